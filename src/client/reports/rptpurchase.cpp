#include "client/reports/rptpurchase.h"

#include "client/common/sqltext.h"
#include "client/data/clientdataset.h"
#include "client/forms/globalobj.h"
#include "client/forms/sharedroutines.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"

namespace {

const QString DetailClass = QStringLiteral("TFrmRptCGMX");
const QString BySupplierCaption = QStringLiteral("供应商供货明细表");
const QString ByGoodsCaption = QStringLiteral("货品采购明细表");

// The buyer is the header's YWY text, which the shared condition panel has no alias for.
QString buyerCondition(const QWidget *panel)
{
    const auto *combo = panel->findChild<QComboBox *>(QStringLiteral("CombYWY"));
    if (!combo)
        return {};
    const QString text = combo->currentText().trimmed();
    if (text.isEmpty() || text == QStringLiteral("所有"))
        return {};
    return QStringLiteral(" and M.YWY = ") + QuotedStr(text);
}

const TReportColumn Amounts[] = {{"JEA", "金额", 90}, {"JEB", "税额", 80}, {"JEC", "价税合计", 90}};

} // namespace

TFrmRptPurchase::TFrmRptPurchase(const char *name, const QString &caption,
                                 std::initializer_list<TReportColumn> columns, bool withAttributes)
{
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    AddColumns(columns);
    AddColumns(Amounts);
    SetWithAttributes(withAttributes);
}

void TFrmRptPurchase::OpenDataSet()
{
    SetSQLText(ComposeSQL(GetWhereSQL(true) + buyerCondition(Panel1)));
    TFrmRptModal::OpenDataSet();
}

TFrmRptCGMX::TFrmRptCGMX(QWidget *parent)
    : TFrmRptPurchase("FrmRptCGMX", QStringLiteral("采购明细表"),
                      {{"LX", "业务类型", 70},
                       {"RQ", "日期", 80},
                       {"DH", "单号", 110},
                       {"GYSMC", "供应商名称", 140},
                       {"BH", "货品编号", 80},
                       {"PM", "品名", 120},
                       {"GG", "规格", 70},
                       {"SL", "数量", 70},
                       {"DJ", "单价", 70},
                       {"NSL", "税率%", 50}},
                      true)
{
    setParent(parent, windowFlags());
    AddButtonEdit("RzButtonEdit_GYS", QStringLiteral("供应商"));
    AddCombo("CombItem", QStringLiteral("货品名称"));
    AddCombo("CombItemType", QStringLiteral("货品类别"));
    AddButtonEdit("RzButtonEdit_ItemInfor", QStringLiteral("货品信息"));
    AddCombo("CombYWY", QStringLiteral("采购员"), 80);
}

void TFrmRptCGMX::SetBillType(const QString &caption)
{
    const QString variant = caption.isEmpty() ? windowTitle() : caption;
    QStringList leading;
    TPurchaseDetailOrder order = TPurchaseDetailOrder::None;
    if (variant == BySupplierCaption) {
        order = TPurchaseDetailOrder::BySupplier;
        leading = {QStringLiteral("GYSMC"), QStringLiteral("BH"), QStringLiteral("PM"),
                   QStringLiteral("GG")};
    } else if (variant == ByGoodsCaption) {
        order = TPurchaseDetailOrder::ByGoods;
        leading = {QStringLiteral("BH"), QStringLiteral("PM"), QStringLiteral("GG"),
                   QStringLiteral("GYSMC")};
    }
    if (order != m_order)
        cdsQry->Close();
    m_order = order;
    TDBGridColumns &columns = DBGrid1->Columns();
    for (int to = 0; to < leading.size(); ++to)
        if (TColumn *column = columns.FindByFieldName(leading[to]))
            columns.Move(columns.IndexOf(column), to);
    PlaceTotalCaption();
    TFrmRptPurchase::SetBillType(caption);
}

QString TFrmRptCGMX::ComposeSQL(const QString &condition) const
{
    return PurchaseDetailSQL(Context(), condition, m_order);
}

TFrmRptCGHZ::TFrmRptCGHZ(QWidget *parent)
    : TFrmRptPurchase("FrmRptCGHZ", QStringLiteral("货品采购汇总表"),
                      {{"TypeName", "货品类别", 90},
                       {"BH", "货品编号", 80},
                       {"PM", "品名", 130},
                       {"GG", "规格", 70},
                       {"DW", "单位", 50},
                       {"SL", "数量", 70}},
                      true)
{
    setParent(parent, windowFlags());
    AddCombo("CombVendor", QStringLiteral("供应商"));
    AddCombo("CombItem", QStringLiteral("货品名称"));
    AddCombo("CombItemType", QStringLiteral("货品类别"));
    AddButtonEdit("RzButtonEdit_ItemInfor", QStringLiteral("货品信息"));
}

QString TFrmRptCGHZ::ComposeSQL(const QString &condition) const
{
    return PurchaseSummarySQL(Context(), condition);
}

void TFrmRptCGHZ::DBGrid1DblClick()
{
    if (!cdsQry->Active() || cdsQry->IsEmpty())
        return;
    ShowDetailReport(DetailClass, ByGoodsCaption,
                     QStringLiteral("CombItem:") + FieldText(QStringLiteral("PM")));
}

TFrmRptCGVentderHZ::TFrmRptCGVentderHZ(QWidget *parent)
    : TFrmRptPurchase("FrmRptCGVentderHZ", QStringLiteral("供应商供货汇总表"),
                      {{"GYSBH", "供应商编号", 90}, {"GYSMC", "供应商名称", 180}}, false)
{
    setParent(parent, windowFlags());
    AddButtonEdit("RzButtonEdit_GYS", QStringLiteral("供应商"));
    AddCombo("CombItem", QStringLiteral("货品名称"));
}

QString TFrmRptCGVentderHZ::ComposeSQL(const QString &condition) const
{
    return PurchaseBySupplierSQL(Context(), condition);
}

void TFrmRptCGVentderHZ::DBGrid1DblClick()
{
    if (!cdsQry->Active() || cdsQry->IsEmpty())
        return;
    ShowDetailReport(DetailClass, BySupplierCaption,
                     QStringLiteral("RzButtonEdit_GYS:") + FieldText(QStringLiteral("GYSMC")) +
                         QLatin1Char('|') + FieldText(QStringLiteral("GYSID")));
}

TFrmRptCGYGHZ::TFrmRptCGYGHZ(QWidget *parent)
    : TFrmRptPurchase("FrmRptCGYGHZ", QStringLiteral("采购员采购汇总表"), {{"YWY", "采购员", 100}},
                      false)
{
    setParent(parent, windowFlags());
    AddButtonEdit("RzButtonEdit_GYS", QStringLiteral("供应商"));
    AddCombo("CombYWY", QStringLiteral("采购员"), 80);
}

QString TFrmRptCGYGHZ::ComposeSQL(const QString &condition) const
{
    return PurchaseByBuyerSQL(Context(), condition);
}

void TFrmRptCGYGHZ::DBGrid1DblClick()
{
    if (!cdsQry->Active() || cdsQry->IsEmpty())
        return;
    ShowDetailReport(DetailClass, QStringLiteral("采购明细表"),
                     QStringLiteral("CombYWY:") + FieldText(QStringLiteral("YWY")));
}
