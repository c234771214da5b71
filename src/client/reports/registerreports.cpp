// The report windows of the window manager.
#include "client/reports/registerreports.h"

#include "client/forms/mdiwindows.h"
#include "client/reports/rptpurchase.h"
#include "client/reports/rptstock.h"

namespace {

template<class Form>
void addReport(const char *className)
{
    TFormRegistry::Register(QLatin1String(className), [] { return new Form; });
}

} // namespace

void RegisterReportForms()
{
    addReport<TFrmRptCGMX>("TFrmRptCGMX");
    addReport<TFrmRptCGHZ>("TFrmRptCGHZ");
    addReport<TFrmRptCGVentderHZ>("TFrmRptCGVentderHZ");
    addReport<TFrmRptCGYGHZ>("TFrmRptCGYGHZ");
    addReport<TFrmRPTCkMx>("TFrmRPTCkMx");
    addReport<TFrmRPTCkkcHz>("TFrmRPTCkkcHz");
    addReport<TFrmRPTCkkcBj>("TFrmRPTCkkcBj");
    addReport<TFrmRptKCZZ_FCHZ>("TFrmRptKCZZ_FCHZ");
    addReport<TFrmRptPdDif>("TFrmRptPdDif");
}
