// The report windows of the window manager.
#include "client/reports/registerreports.h"

#include "client/forms/mdiwindows.h"
#include "client/reports/rptcash.h"
#include "client/reports/rpthr.h"
#include "client/reports/rptissue.h"
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
    for (const TIssueReport &report : IssueReports())
        TFormRegistry::Register(QLatin1String(report.ClassName),
                                [&report] { return CreateIssueReport(report); });
    addReport<TFrmRptSzLsz>("TFrmRptSzLsz");
    addReport<TFrmRptXjyhHZ>("TFrmRptXjyhHZ");
    addReport<TFrmRptSzMx>("TFrmRptSzMx");
    addReport<TFrmRptSzHZ>("TFrmRptSzHZ");
    addReport<TFrmRptRsTx>("TFrmRptRsTx");
}
