// The report windows of the window manager.
#include "client/reports/registerreports.h"

#include "client/forms/mdiwindows.h"
#include "client/reports/rptcash.h"
#include "client/reports/rptchart.h"
#include "client/reports/rpthr.h"
#include "client/reports/rptissue.h"
#include "client/reports/rptpurchase.h"
#include "client/reports/rptstatic.h"
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
    addReport<TFrmRptModal_Tu>("TFrmRptModal_Tu");
    addReport<TFrmRptModal_Tu_Rs>("TFrmRptModal_Tu_Rs");
    addReport<TFrmRptStatic_Price>("TFrmRptStatic_Price");
    addReport<TFrmStatic_Structure>("TFrmStatic_Structure");
    addReport<TFrm_Static_Month>("TFrm_Static_Month");
}
