#include "client/reports/rptcash.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/widgets/dbgrid.h"

#include <QDateEdit>

namespace {

const QString All = QStringLiteral("所有");

const QStringList &incomeExpenseTypes()
{
    static const QStringList types = {All, QStringLiteral("费用开支"), QStringLiteral("其它收入")};
    return types;
}

const TReportColumn IncomeExpenseAmounts[] = {{"JEA", "支出金额", 90}, {"JEB", "收入金额", 90}};

} // namespace

const QStringList &CashBusinessTypes()
{
    static const QStringList types = {QStringLiteral("采购收货"), QStringLiteral("采购付款"),
                                      QStringLiteral("采购退货"), QStringLiteral("销售出库"),
                                      QStringLiteral("销售收款"), QStringLiteral("销售退货"),
                                      QStringLiteral("费用开支"), QStringLiteral("其它收入"),
                                      QStringLiteral("帐户转入"), QStringLiteral("帐户转出")};
    return types;
}

TFrmRptMoney::TFrmRptMoney(const char *name, const QString &caption,
                           std::initializer_list<TReportColumn> columns, const char *typeCombo,
                           const QStringList &types)
{
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    AddColumns(columns);
    // Editable like the other conditions, so a drill-down can copy it.
    m_type = AddCombo(typeCombo, QStringLiteral("业务类型"), 90);
    m_type->addItems(types);
    m_type->setEditText(All);
}

QString TFrmRptMoney::ChosenType() const
{
    const QString type = m_type->currentText().trimmed();
    return type == All ? QString() : type;
}

void TFrmRptMoney::OpenDataSet()
{
    SetSQLText(ComposeSQL());
    TFrmRptModal::OpenDataSet();
}

TFrmRptSzLsz::TFrmRptSzLsz(QWidget *parent)
    : TFrmRptMoney("FrmRptSzLsz", QStringLiteral("现金银行明细帐"),
                   {{"ZHMC", "帐户", 110},
                    {"RQ", "日期", 80},
                    {"LX", "业务类型", 80},
                    {"DH", "单号", 120},
                    {"SFKFSMC", "收付款方式", 90},
                    {"JEA", "收入金额", 90},
                    {"JEB", "支出金额", 90}},
                   "CombYWLX", QStringList{All} + CashBusinessTypes())
{
    setParent(parent, windowFlags());
}

QString TFrmRptSzLsz::ComposeSQL() const
{
    return CashBankDetailSQL(Context(), 0, dtpRqa->date(), dtpRqb->date(), ChosenType());
}

TFrmRptXjyhHZ::TFrmRptXjyhHZ(QWidget *parent)
    : TFrmRptMoney("FrmRptXjyhHZ", QStringLiteral("现金银行总帐"),
                   {{"MC", "帐户名称", 120},
                    {"YHZH", "银行帐号", 150},
                    {"JEA", "期初余额", 100},
                    {"JEB", "收入", 100},
                    {"JEC", "支出", 100},
                    {"JED", "期末余额", 100}},
                   "CombYWLX", QStringList{All} + CashBusinessTypes())
{
    setParent(parent, windowFlags());
}

QString TFrmRptXjyhHZ::ComposeSQL() const
{
    return CashBankSummarySQL(Context(), dtpRqa->date(), dtpRqb->date(), ChosenType());
}

TFrmRptSzBase::TFrmRptSzBase(const char *name, const QString &caption,
                             std::initializer_list<TReportColumn> columns)
    : TFrmRptMoney(name, caption, columns, "CombLX", incomeExpenseTypes())
{
    CombLB = AddCombo("CombLB", QStringLiteral("收支类别"));
    AddColumns(IncomeExpenseAmounts);
}

void TFrmRptSzBase::FormCreate()
{
    TFrmRptMoney::FormCreate();
    // The categories are no list the shared panel knows.
    CombLB->OnDropDown = [](TConditionCombo &combo) {
        if (combo.count() > 0)
            return;
        const QString typed = combo.currentText();
        TClientDataSet &query = Data().DataSetByName(QStringLiteral("cdsQryPub"));
        query.Close();
        query.SetCommandText(QStringLiteral("select MC from SRZCLB order by BH"));
        query.Open();
        QStringList items{All};
        for (query.First(); !query.Eof(); query.Next())
            items << query.Fields(0)->AsString();
        query.Close();
        combo.addItems(items);
        combo.setEditText(typed);
    };
}

int TFrmRptSzBase::CategoryId() const
{
    const QString name = CombLB->currentText().trimmed();
    if (name.isEmpty() || name == All)
        return 0;
    TClientDataSet &query = Data().DataSetByName(QStringLiteral("cdsQryPub"));
    query.Close();
    query.SetCommandText(QStringLiteral("select ID from SRZCLB where MC = ") + QuotedStr(name));
    query.Open();
    const int id = query.IsEmpty() ? 0 : query.Fields(0)->AsInteger();
    query.Close();
    return id;
}

TFrmRptSzMx::TFrmRptSzMx(QWidget *parent)
    : TFrmRptSzBase("FrmRptSzMx", QStringLiteral("费用开支及其它收入明细表"),
                    {{"RQ", "日期", 80},
                     {"DH", "单号", 120},
                     {"LX", "类型", 70},
                     {"MC", "收支类别", 100},
                     {"Vender", "往来单位", 130},
                     {"ZYA", "支出摘要", 120},
                     {"ZYB", "收入摘要", 120},
                     {"JSR", "经手人", 60}})
{
    setParent(parent, windowFlags());
    AddCombo("CombVender", QStringLiteral("往来单位"));
}

QString TFrmRptSzMx::ComposeSQL() const
{
    const auto *vender = Panel1->findChild<QComboBox *>(QStringLiteral("CombVender"));
    return IncomeExpenseDetailSQL(Context(), CategoryId(), dtpRqa->date(), dtpRqb->date(),
                                  ChosenType(), vender->currentText().trimmed());
}

TFrmRptSzHZ::TFrmRptSzHZ(QWidget *parent)
    : TFrmRptSzBase("FrmRptSzHZ", QStringLiteral("费用开支及其它收入汇总表"),
                    {{"LX", "类型", 80}, {"BH", "类别编号", 80}, {"MC", "收支类别", 140}})
{
    setParent(parent, windowFlags());
}

QString TFrmRptSzHZ::ComposeSQL() const
{
    return IncomeExpenseSummarySQL(Context(), CategoryId(), dtpRqa->date(), dtpRqb->date(),
                                   ChosenType());
}

void TFrmRptSzHZ::DBGrid1DblClick()
{
    if (!cdsQry->Active() || cdsQry->IsEmpty())
        return;
    ShowDetailReport(QStringLiteral("TFrmRptSzMx"), QString(),
                     QStringLiteral("CombLB:") + FieldText(QStringLiteral("MC")));
}
