#include "client/reports/rptissue.h"

#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/forms/globalobj.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"

#include <QRegularExpression>

namespace {

QString rateSQL(const TReportContext &, const QString &)
{
    return {}; // composed by the form, which reads the stock value first
}

const std::vector<TIssueReport> &reports()
{
    using R = TIssueReport;
    static const std::vector<TIssueReport> all = {
        {"TFrmRptLLryly",
         "人员领用明细表",
         R::Recipient | R::GoodsName | R::Department | R::Attributes,
         {{"MC", "部门", 90},
          {"XM", "领用人", 70},
          {"RQ", "日期", 80},
          {"DH", "单号", 110},
          {"BH", "物品编号", 80},
          {"PM", "物品名称", 120},
          {"GG", "规格", 70},
          {"DW", "单位", 45},
          {"SL", "数量", 60},
          {"DJ", "单价", 70},
          {"JE", "金额", 80},
          {"JSR", "经手人", 60},
          {"BZ", "备注", 120}},
         IssuesByRecipientSQL,
         false},
        {"TFrmRptLLrylyHz",
         "人员领用汇总表",
         R::Recipient | R::GoodsName | R::Department | R::Attributes,
         {{"YGBH", "员工编号", 80},
          {"XM", "领用人", 80},
          {"BH", "物品编号", 90},
          {"PM", "物品名称", 140},
          {"SL", "数量", 70},
          {"JE", "金额", 90}},
         IssuesByRecipientSummarySQL,
         false},
        {"TFrmRptLLwply",
         "物品领用明细表",
         R::Recipient | R::GoodsName | R::Category | R::Attributes,
         {{"BH", "物品编号", 80},
          {"PM", "物品名称", 120},
          {"GG", "规格", 70},
          {"DW", "单位", 45},
          {"RQ", "日期", 80},
          {"DH", "单号", 110},
          {"MC", "部门", 90},
          {"XM", "领用人", 70},
          {"SL", "数量", 60},
          {"DJ", "单价", 70},
          {"JE", "金额", 80},
          {"BZ", "备注", 120}},
         IssuesByGoodsSQL,
         false},
        {"TFrmRptLLwpgh",
         "物品归还明细表",
         R::Recipient | R::GoodsName,
         {{"RQ", "日期", 80},
          {"DH", "单号", 110},
          {"MC", "部门", 90},
          {"XM", "归还人", 70},
          {"BH", "物品编号", 80},
          {"PM", "物品名称", 120},
          {"GG", "规格", 70},
          {"DW", "单位", 45},
          {"SL", "数量", 60},
          {"DJ", "单价", 70},
          {"JE", "金额", 80},
          {"BZ", "备注", 120}},
         ReturnsSQL,
         false},
        {"TFrmRptLLbmhz",
         "部门领用汇总表",
         R::Department | R::GoodsName,
         {{"BMMC", "部门", 100},
          {"BH", "物品编号", 80},
          {"PM", "物品名称", 130},
          {"GG", "规格", 70},
          {"DW", "单位", 45},
          {"DJ", "单价", 70},
          {"SL", "数量", 70},
          {"JE", "金额", 90}},
         IssuesByDepartmentSQL,
         true},
        {"TFrmRptLLLBhz",
         "物品类别领用汇总表",
         R::Department | R::Category,
         {{"MC", "部门", 120},
          {"TypeName", "物品类别", 120},
          {"SL", "数量", 80},
          {"JE", "金额", 100}},
         IssuesByCategorySQL,
         false},
        {"TFrmRptLLbmRate",
         "部门领用金额占库存比",
         R::Department | R::Category,
         {{"MC", "部门", 140}, {"JE", "领用金额", 110}, {"Rate", "占库存比", 90}},
         rateSQL,
         false},
    };
    return all;
}

const TIssueReport &reportOf(const char *className)
{
    for (const TIssueReport &report : reports())
        if (qstrcmp(report.ClassName, className) == 0)
            return report;
    Q_UNREACHABLE();
}

} // namespace

const std::vector<TIssueReport> &IssueReports()
{
    return reports();
}

TFrmRptIssue::TFrmRptIssue(const TIssueReport &report, QWidget *parent)
    : m_report(report)
{
    setParent(parent, windowFlags());
    setObjectName(QLatin1String(report.ClassName + 1));
    setWindowTitle(QString::fromUtf8(report.Caption));
    AddColumns(report.Columns);
    // In the order the panel's condition walks them.
    if (report.Conditions & TIssueReport::Department)
        m_dept = AddButtonEdit("RzButtonEdit_Dept", QStringLiteral("部门"));
    if (report.Conditions & TIssueReport::Recipient)
        AddButtonEdit("RzButtonEdit_Emp", QStringLiteral("领用人"), 90);
    if (report.Conditions & TIssueReport::GoodsName)
        AddCombo("CombItem", QStringLiteral("物品名称"));
    if (report.Conditions & TIssueReport::Category)
        AddCombo("CombItemType", QStringLiteral("物品类别"));
    if (report.Conditions & TIssueReport::Attributes)
        AddButtonEdit("RzButtonEdit_ItemInfor", QStringLiteral("物品信息"));
    if (m_dept)
        m_dept->setText(QStringLiteral("全部"));
}

void TFrmRptIssue::FormCreate()
{
    TFrmRptModal::FormCreate();
    if (!m_report.TotalRows)
        return;
    // The result carries its subtotals and total: a sum footer would count each line thrice.
    TDBGridColumns &columns = DBGrid1->Columns();
    for (int i = 0; i < columns.Count(); ++i)
        columns[i]->Footer().SetValueType(fvtNon);
    DBGrid1->SetFooterRowCount(0);
}

QString TFrmRptIssue::DepartmentCondition() const
{
    if (!m_dept)
        return {};
    const QString text = m_dept->text().trimmed();
    if (text.isEmpty() || text == QStringLiteral("全部") || text == QStringLiteral("所有"))
        return {};
    // Only the id list the picker writes gets into the text, whatever a copy brought along.
    static const QRegularExpression picked(
        QStringLiteral("^\\s*and\\s+C\\.ID\\s+in\\s*\\(\\s*\\d+(\\s*,\\s*\\d+)*\\s*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString key = m_dept->Key();
    return picked.match(key).hasMatch() ? QLatin1Char(' ') + key.trimmed() : QString();
}

void TFrmRptIssue::OpenDataSet()
{
    SetSQLText(m_report.Compose(Context(), GetWhereSQL(true) + DepartmentCondition()));
    TFrmRptModal::OpenDataSet();
}

void TFrmRptIssue::GetCellParams(TColumn &column, TCellParams &params)
{
    TFrmRptModal::GetCellParams(column, params);
    if (m_report.TotalRows && params.Row >= 0 && cdsQry->Active() &&
        FieldText(QStringLiteral("PM")) == QStringLiteral("小计"))
        params.FontColor = Qt::blue;
}

TFrmRptLLbmRate::TFrmRptLLbmRate(QWidget *parent)
    : TFrmRptIssue(reportOf("TFrmRptLLbmRate"), parent)
{
    if (TColumn *rate = DBGrid1->Columns().FindByFieldName(QStringLiteral("Rate")))
        rate->SetDisplayFormat(QStringLiteral("0.0%"));
}

void TFrmRptLLbmRate::OpenDataSet()
{
    TClientDataSet &query = Data().DataSetByName(QStringLiteral("cdsQryPub"));
    query.Close();
    query.SetCommandText(StockValueSQL(Context(), dtpRqb->date()));
    query.Open();
    const bool none = query.IsEmpty() || query.Fields(0)->IsNull();
    const double value = none ? 0.0 : query.Fields(0)->AsFloat();
    query.Close();
    m_stockValue = none ? QString() : QString::number(value, 'g', 15);
    if (value == 0.0) {
        cdsQry->Close();
        return;
    }
    SetSQLText(IssueRateByDepartmentSQL(Context(), GetWhereSQL(true) + DepartmentCondition(),
                                        m_stockValue));
    TFrmRptModal::OpenDataSet();
}

TFrmRptModal *CreateIssueReport(const TIssueReport &report)
{
    if (qstrcmp(report.ClassName, "TFrmRptLLbmRate") == 0)
        return new TFrmRptLLbmRate;
    return new TFrmRptIssue(report);
}
