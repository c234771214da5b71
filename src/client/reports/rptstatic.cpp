#include "client/reports/rptstatic.h"

#include "client/core/session.h"
#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/dbtypes.h"
#include "client/data/serveraccess.h"
#include "client/reports/rptchart.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>

namespace {

// Sends the statements as one request; a refusal is raised with the server's message.
void sendAtomic(std::initializer_list<QString> statements)
{
    TAtomicRequest request(&Data().cn());
    for (const QString &sql : statements)
        request.Execute(sql);
    const TAtomicResult result = request.Send();
    if (!result.Ok)
        throw EDatabaseError(result.Message);
}

TColumn *addColumn(TDBGrid *grid, const QString &field, const QString &title, int width)
{
    TColumn *column = grid->Columns().Add(field, title, width);
    column->Title().SetAlignment(taCenter);
    column->Title().SetTitleButton(true);
    return column;
}

} // namespace

// TFrmRptTradeStatic -----------------------------------------------------------------------------

TFrmRptTradeStatic::TFrmRptTradeStatic(const char *name, const QString &caption)
    : m_sales(!caption.startsWith(QStringLiteral("采购")))
{
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    AddCombo("CombItem", QStringLiteral("货品名称"));
    AddButtonEdit("RzButtonEdit_ItemInfor", QStringLiteral("货品信息"));
}

void TFrmRptTradeStatic::SetBillType(const QString &caption)
{
    const bool sales = !caption.startsWith(QStringLiteral("采购"));
    if (!caption.isEmpty() && sales != m_sales) {
        m_sales = sales;
        cdsQry->Close();
        VariantChanged();
    }
    TFrmRptModal::SetBillType(caption);
}

QString TFrmRptTradeStatic::Rows() const
{
    return PriceRowsSQL(m_sales, GetWhereSQL(true));
}

// TFrmRptStatic_Price ----------------------------------------------------------------------------

TFrmRptStatic_Price::TFrmRptStatic_Price(QWidget *parent)
    : TFrmRptTradeStatic("FrmRptStatic_Price", QStringLiteral("采购价格分析"))
{
    setParent(parent, windowFlags());
    RadioGroupFX = new TRadioGroup(Panel1);
    RadioGroupFX->setObjectName(QStringLiteral("RadioGroupFX"));
    AddConditionWidget(RadioGroupFX, QStringLiteral("分析对象："));
    VariantChanged();
    RadioGroupFX->OnClick = [this] {
        cdsQry->Close();
        rebuildColumns();
    };
}

void TFrmRptStatic_Price::FormCreate()
{
    TFrmRptTradeStatic::FormCreate();
    rebuildColumns();
}

void TFrmRptStatic_Price::VariantChanged()
{
    RadioGroupFX->SetItems({QStringLiteral("货品"),
                            Sales() ? QStringLiteral("货品-客户") : QStringLiteral("货品-供应商")});
    rebuildColumns();
}

void TFrmRptStatic_Price::rebuildColumns()
{
    const QString price = Sales() ? QStringLiteral("售价") : QStringLiteral("进价");
    const QString partner = Sales() ? QStringLiteral("客户") : QStringLiteral("供应商");
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.BeginUpdate();
    columns.Clear();
    addColumn(DBGrid1, QStringLiteral("BH"), QStringLiteral("编号"), 80);
    addColumn(DBGrid1, QStringLiteral("PM"), QStringLiteral("名称"), 130);
    addColumn(DBGrid1, QStringLiteral("GG"), QStringLiteral("规格"), 70);
    addColumn(DBGrid1, QStringLiteral("DW"), QStringLiteral("单位"), 40);
    if (RadioGroupFX->ItemIndex() == 1)
        addColumn(DBGrid1, QStringLiteral("KHGYS"), partner, 120);
    for (const auto &[prefix, group] :
         {std::pair{"Lo", QStringLiteral("最低")}, std::pair{"Hi", QStringLiteral("最高")}}) {
        const QString head = group + price + QLatin1Char('|');
        const QString p = QLatin1String(prefix);
        addColumn(DBGrid1, p + QStringLiteral("RQ"), head + QStringLiteral("日期"), 80);
        addColumn(DBGrid1, p + QStringLiteral("DJ"), head + QStringLiteral("单价"), 70)
            ->SetDisplayFormat(QStringLiteral("#,0.00"));
        addColumn(DBGrid1, p + QStringLiteral("KHGYS"), head + partner, 110);
        addColumn(DBGrid1, p + QStringLiteral("XM"), head + QStringLiteral("业务员"), 60);
    }
    addColumn(DBGrid1, QStringLiteral("AvgDJ"), QStringLiteral("平均") + price, 70)
        ->SetDisplayFormat(QStringLiteral("#,0.00"));
    addColumn(DBGrid1, QStringLiteral("LastDJ"), QStringLiteral("最新") + price, 70)
        ->SetDisplayFormat(QStringLiteral("#,0.00"));
    columns.EndUpdate();
    DBGrid1->SetUseMultiTitle(true);
    DBGrid1->SetFooterRowCount(0);
}

void TFrmRptStatic_Price::OpenDataSet()
{
    rebuildColumns();
    SetSQLText(PriceAnalysisSQL(Sales(), Rows(),
                                RadioGroupFX->ItemIndex() == 1 ? TPriceSubject::GoodsPartner
                                                               : TPriceSubject::Goods));
    TFrmRptTradeStatic::OpenDataSet();
}

// TFrmStatic_Structure ---------------------------------------------------------------------------

TFrmStatic_Structure::TFrmStatic_Structure(QWidget *parent)
    : TFrmRptTradeStatic("FrmStatic_Structure", QStringLiteral("结构分析"))
{
    setParent(parent, windowFlags());
    AddColumns({{"BH", "编号", 80},
                {"PM", "名称", 140},
                {"GG", "规格", 70},
                {"DW", "单位", 40},
                {"sl_all", "数量", 80},
                {"je", "金额", 100},
                {"Rate", "比率", 70}});
}

void TFrmStatic_Structure::OpenDataSet()
{
    const QString rows = Rows();
    const double total = QueryValue(StructureTotalSQL(rows)).toDouble();
    // Without a turnover there is no share to give; null keeps either dialect from dividing
    // by zero.
    SetSQLText(
        StructureSQL(rows, total != 0 ? QString::number(total, 'g', 17) : QStringLiteral("null")));
    TFrmRptTradeStatic::OpenDataSet();
}

void TFrmStatic_Structure::iniColCaption()
{
    TFrmRptTradeStatic::iniColCaption();
    if (TColumn *rate = DBGrid1->Columns().FindByFieldName(QStringLiteral("Rate")))
        rate->SetDisplayFormat(QStringLiteral("#.##%"));
}

// TFrm_Static_Month ------------------------------------------------------------------------------

TFrm_Static_Month::TFrm_Static_Month(QWidget *parent)
    : m_variant(&YearVariants().front())
{
    setParent(parent, windowFlags());
    setObjectName(QStringLiteral("Frm_Static_Month"));
    setWindowTitle(QStringLiteral("年分析"));
    // A whole year: the year takes the place of the period.
    for (QWidget *w :
         std::initializer_list<QWidget *>{Label1, dtpRqa, Label2, dtpRqb, CombSelectedDate})
        w->hide();
    edtYear = new QLineEdit(QString::number(QDate::currentDate().year()), Panel1);
    edtYear->setObjectName(QStringLiteral("edtYear"));
    edtYear->setMaximumWidth(60);
    AddConditionWidget(edtYear, QStringLiteral("年份："));
    RadioGroupFX = new TRadioGroup(Panel1);
    RadioGroupFX->setObjectName(QStringLiteral("RadioGroupFX"));
    AddConditionWidget(RadioGroupFX, QStringLiteral("分析对象："));
    RadioGroupFX->OnClick = [this] {
        cdsQry->Close();
        rebuildColumns();
    };
    applyVariant(*m_variant);
}

void TFrm_Static_Month::FormCreate()
{
    TFrmRptModal::FormCreate();
    rebuildColumns();
}

void TFrm_Static_Month::SetBillType(const QString &caption)
{
    if (const TYearVariant *variant = FindYearVariant(caption))
        applyVariant(*variant);
    TFrmRptModal::SetBillType(caption);
}

void TFrm_Static_Month::applyVariant(const TYearVariant &variant)
{
    m_variant = &variant;
    cdsQry->Close();
    QStringList subjects;
    for (const TYearSubject &subject : variant.Subjects)
        subjects << QString::fromUtf8(subject.Caption);
    RadioGroupFX->SetItems(subjects);
    rebuildColumns();
}

void TFrm_Static_Month::rebuildColumns()
{
    static const char *const months[] = {"一月", "二月", "三月", "四月", "五月",   "六月",
                                         "七月", "八月", "九月", "十月", "十一月", "十二月"};
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.BeginUpdate();
    columns.Clear();
    addColumn(DBGrid1, QStringLiteral("keyid"), RadioGroupFX->Text(), 120)
        ->Footer()
        .SetStaticText(QStringLiteral("合计"));
    auto amount = [&](const QString &field, const QString &title) {
        TColumn *column = addColumn(DBGrid1, field, QStringLiteral("金额|") + title, 80);
        column->SetDisplayFormat(QStringLiteral("#,0.00"));
        column->Footer().SetSum(QStringLiteral("#,0.00"));
    };
    for (int m = 1; m <= 12; ++m)
        amount(QStringLiteral("Amount%1").arg(m), QString::fromUtf8(months[m - 1]));
    amount(QStringLiteral("AllAmount"), QStringLiteral("总金额"));
    columns.EndUpdate();
    DBGrid1->SetUseMultiTitle(true);
    DBGrid1->SetFooterRowCount(1);
}

void TFrm_Static_Month::OpenDataSet()
{
    bool ok = false;
    const int year = edtYear->text().trimmed().toInt(&ok);
    if (!ok || year < 1900 || year > 9999) {
        MessageBox(QStringLiteral("请输入正确的年份，如 ") +
                       QString::number(QDate::currentDate().year()) + QStringLiteral("。"),
                   QStringLiteral("提示"), TMsgIcon::Information);
        return;
    }
    const int index = qMax(0, RadioGroupFX->ItemIndex());
    const TYearAnalysis analysis(Context(), *m_variant, m_variant->Subjects[size_t(index)], year,
                                 TYearAnalysis::WorkTableName(CurUserCode));
    cdsQry->Close();
    rebuildColumns();
    // The server reads a request against the tables there are when it arrives: the table is
    // made in one request, filled and totalled in the next.
    sendAtomic({analysis.DropSQL(), analysis.CreateSQL()});
    sendAtomic({analysis.FillSQL(), analysis.TotalsSQL()});
    SetSQLText(analysis.ReportSQL());
    TFrmRptModal::OpenDataSet();
}
