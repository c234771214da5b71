#include "client/reports/rptstock.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/documents/docview.h"
#include "client/forms/globalobj.h"
#include "client/forms/sharedroutines.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString Opening = QStringLiteral("期初结存");
const QString Closing = QStringLiteral("期末结存");

bool chosen(const TButtonEdit *edit)
{
    const QString text = edit ? edit->text().trimmed() : QString();
    return !text.isEmpty() && text != QStringLiteral("所有") && text != QStringLiteral("全部");
}

} // namespace

QString BuildStockByWarehouse(TCustomRemoteServer &server, const TStockByWarehouse &pivot,
                              const QString &condition)
{
    // The server reads every statement of a request against the tables there are when it
    // arrives, so the fill cannot share a request with the create of its table: the table is
    // made first, then filled and totalled as one.
    auto send = [&server](std::initializer_list<QString> statements) {
        TAtomicRequest request(&server);
        for (const QString &sql : statements)
            request.Execute(sql);
        const TAtomicResult result = request.Send();
        if (!result.Ok)
            throw EDatabaseError(result.Message);
    };
    send({pivot.DropSQL(), pivot.CreateSQL()});
    send({pivot.FillSQL(condition), pivot.TotalsSQL()});
    return pivot.ReportSQL();
}

bool RecalcIssueAmounts(QString *message)
{
    TAtomicRequest request(&Data().cn());
    request.Execute(RecalcIssueAmountsSQL());
    const TAtomicResult result = request.Send();
    if (!result.Ok && message)
        *message = result.Message;
    return result.Ok;
}

TFrmRptStock::TFrmRptStock(const char *name, const QString &caption,
                           std::initializer_list<TReportColumn> columns, bool withAttributes)
{
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    AddColumns(columns);
    SetWithAttributes(withAttributes);
}

void TFrmRptStock::OpenDataSet()
{
    SetSQLText(ComposeSQL());
    TFrmRptModal::OpenDataSet();
}

QCheckBox *TFrmRptStock::AddCheckBox(const char *name, const QString &caption)
{
    auto *check = new QCheckBox(caption, Panel1);
    check->setObjectName(QLatin1String(name));
    AddConditionWidget(check, QString());
    return check;
}

// Stock ledger ---------------------------------------------------------------------------------

TFrmRPTCkMx::TFrmRPTCkMx(QWidget *parent)
    : TFrmRptStock("FrmRPTCkMx", QStringLiteral("库存明细帐"),
                   {{"BHPM", "货品", 150},
                    {"ZBID_BH", "单据编号", 110},
                    {"RQ", "日期", 80},
                    {"LX", "业务类型", 70},
                    {"GG", "规格", 70},
                    {"DW", "单位", 40},
                    {"SLA", "期初数量", 70},
                    {"DJA", "期初单价", 70},
                    {"JEA", "期初金额", 80},
                    {"SLB", "入库数量", 70},
                    {"DJB", "入库单价", 70},
                    {"JEB", "入库金额", 80},
                    {"SLC", "出库数量", 70},
                    {"DJC", "出库单价", 70},
                    {"JEC", "出库金额", 80},
                    {"SLD", "结存数量", 70},
                    {"DJD", "结存单价", 70},
                    {"JED", "结存金额", 80}},
                   true)
{
    setParent(parent, windowFlags());
    AddButtonEdit("RzButtonEdit_Stock", QStringLiteral("仓库"), 90);
    AddCombo("CombItemType", QStringLiteral("货品类别"), 90);
    AddCombo("CombItem", QStringLiteral("货品名称"), 90);
    AddButtonEdit("RzButtonEdit_ItemNO", QStringLiteral("货品编号"), 90);
    AddButtonEdit("RzButtonEdit_ItemInfor", QStringLiteral("货品信息"), 90);
    AddButtonEdit("RzButtonEdit_Emp", QStringLiteral("经手人"), 70);
    chkInOut = AddCheckBox("chkInOut", QStringLiteral("只显示本期有入库出库的数据"));
}

void TFrmRPTCkMx::FormCreate()
{
    TFrmRptStock::FormCreate();
    // The closing amount is a running balance: its column sum means nothing.
    if (TColumn *closing = DBGrid1->Columns().FindByFieldName(QStringLiteral("JED")))
        closing->Footer().SetValueType(fvtNon);
}

QString TFrmRPTCkMx::ComposeSQL()
{
    return StockLedgerSQL(Context(), GetConditionSQL(), dtpRqa->date(), dtpRqb->date(),
                          chkInOut->isChecked());
}

bool TFrmRPTCkMx::HidesZero(const TColumn &column) const
{
    return StockLedgerHidesZero(FieldText(QStringLiteral("ZBID_BH")),
                                FieldText(QStringLiteral("RQ")), column.FieldName());
}

void TFrmRPTCkMx::DBGrid1DblClick()
{
    if (!cdsQry->Active() || cdsQry->IsEmpty())
        return;
    const QString number = FieldText(QStringLiteral("ZBID_BH"));
    if (number.isEmpty() || number == Opening || number == Closing)
        return;
    OpenDocumentByNumber(number, FieldText(QStringLiteral("LX")));
}

// Stock general ledger -------------------------------------------------------------------------

TFrmRPTCkkcHz::TFrmRPTCkkcHz(QWidget *parent)
    : TFrmRptStock("FrmRPTCkkcHz", QStringLiteral("库存总帐"),
                   {{"BH", "货品编号", 80},
                    {"PM", "品名", 120},
                    {"GG", "规格", 70},
                    {"DW", "单位", 40},
                    {"TypeName", "货品类别", 80},
                    {"SLA", "期初数量", 70},
                    {"JEA", "期初金额", 85},
                    {"SLB", "本期收入数量", 80},
                    {"JEB", "本期收入金额", 90},
                    {"SLC", "本期发出数量", 80},
                    {"JEC", "本期发出金额", 90},
                    {"SLD", "结存数量", 70},
                    {"JED", "结存金额", 90}},
                   true)
{
    setParent(parent, windowFlags());
    AddButtonEdit("RzButtonEdit_Stock", QStringLiteral("仓库"), 90);
    AddCombo("CombItemType", QStringLiteral("货品类别"), 90);
    AddCombo("CombItem", QStringLiteral("货品名称"), 90);
    AddButtonEdit("RzButtonEdit_ItemNO", QStringLiteral("货品编号"), 90);
    AddButtonEdit("RzButtonEdit_ItemInfor", QStringLiteral("货品信息"), 90);
    chkCK = AddCheckBox("chkCK", QStringLiteral("分仓库显示"));
    btnCalc = new QPushButton(QStringLiteral("计算成本价格"), Panel1);
    btnCalc->setObjectName(QStringLiteral("btnCalc"));
    AddConditionWidget(btnCalc, QString());
    connect(btnCalc, &QPushButton::clicked, this, [] {
        Guarded([] {
            QString why;
            if (RecalcIssueAmounts(&why))
                MessageBox(QStringLiteral("重新计算成本成功！"), QStringLiteral("提示"),
                           TMsgIcon::Information);
            else
                MessageBox(QStringLiteral("重新计算成本失败：") + why, QStringLiteral("提示"),
                           TMsgIcon::Error);
        });
    });
}

void TFrmRPTCkkcHz::showWarehouseColumn(bool on)
{
    TDBGridColumns &columns = DBGrid1->Columns();
    TColumn *warehouse = columns.FindByFieldName(QStringLiteral("CKMC"));
    if (on && !warehouse) {
        warehouse = columns.Add(QStringLiteral("CKMC"), QStringLiteral("仓库"), 70);
        warehouse->Title().SetAlignment(taCenter);
        columns.Move(columns.IndexOf(warehouse), 0);
    } else if (!on && warehouse) {
        columns.Remove(warehouse);
    }
    PlaceTotalCaption();
}

QString TFrmRPTCkkcHz::ComposeSQL()
{
    const bool byWarehouse = chkCK->isChecked();
    cdsQry->Close(); // the grid changes its columns while the old rows are gone
    showWarehouseColumn(byWarehouse);
    return GetKcHzSQL(Context(), GetWhereSQL(false), dtpRqa->date(), byWarehouse);
}

bool TFrmRPTCkkcHz::HidesZero(const TColumn &) const
{
    return true;
}

void TFrmRPTCkkcHz::DBGrid1DblClick()
{
    if (!cdsQry->Active() || cdsQry->IsEmpty())
        return;
    ShowDetailReport(QStringLiteral("TFrmRPTCkMx"), QString(),
                     QStringLiteral("RzButtonEdit_ItemNO:") + FieldText(QStringLiteral("BH")));
}

// Stock alarms ---------------------------------------------------------------------------------

TFrmRPTCkkcBj::TFrmRPTCkkcBj(QWidget *parent)
    : TFrmRptStock("FrmRPTCkkcBj", QStringLiteral("库存报警明细表"),
                   {{"BH", "货品编号", 80},
                    {"PM", "品名", 140},
                    {"GG", "规格", 80},
                    {"DW", "单位", 50},
                    {"XX", "最高库存", 80},
                    {"Qty", "现在库存", 80},
                    {"SX", "最低库存", 80}},
                   true)
{
    setParent(parent, windowFlags());
    // The alarm compares today's stock: there is no period.
    for (QWidget *w :
         std::initializer_list<QWidget *>{Label1, dtpRqa, Label2, dtpRqb, CombSelectedDate})
        w->hide();
    AddCombo("CombItem", QStringLiteral("货品名称"));
    auto *group = new QWidget(Panel1); // the choice sits in the row of the other conditions
    group->setObjectName(QStringLiteral("RadioGroup1"));
    auto *row = new QHBoxLayout(group);
    row->setContentsMargins(6, 0, 6, 0);
    auto radio = [&](const char *name, const QString &caption) {
        auto *button = new QRadioButton(caption, group);
        button->setObjectName(QLatin1String(name));
        row->addWidget(button);
        return button;
    };
    rbAll = radio("rbAll", QStringLiteral("全部"));
    rbBelowMinimum = radio("rbBelowMinimum", QStringLiteral("最低库存"));
    rbAboveMaximum = radio("rbAboveMaximum", QStringLiteral("最高库存"));
    rbAll->setChecked(true);
    AddConditionWidget(group, QString());
}

QString TFrmRPTCkkcBj::ComposeSQL()
{
    TStockAlarm which = TStockAlarm::All;
    if (rbBelowMinimum->isChecked())
        which = TStockAlarm::BelowMinimum;
    else if (rbAboveMaximum->isChecked())
        which = TStockAlarm::AboveMaximum;
    return StockAlarmSQL(Context(), GetConditionSQL(), which);
}

void TFrmRPTCkkcBj::GetCellParams(TColumn &column, TCellParams &params)
{
    TFrmRptStock::GetCellParams(column, params);
    if (params.Row < 0 || !cdsQry->Active())
        return;
    const double minimum = cdsQry->FieldByName(QStringLiteral("SX"))->AsFloat();
    const double maximum = cdsQry->FieldByName(QStringLiteral("XX"))->AsFloat();
    const double quantity = cdsQry->FieldByName(QStringLiteral("Qty"))->AsFloat();
    if (minimum <= 0)
        return;
    if (quantity < minimum)
        params.FontColor = Qt::red;
    else if (quantity > maximum)
        params.FontColor = Qt::blue;
}

// Stock by warehouse ---------------------------------------------------------------------------

TFrmRptKCZZ_FCHZ::TFrmRptKCZZ_FCHZ(QWidget *parent)
    : TFrmRptStock("FrmRptKCZZ_FCHZ", QStringLiteral("分仓库存汇总表"),
                   {{"bh", "编号", 80},
                    {"pm", "名称", 140},
                    {"GG", "规格", 70},
                    {"DW", "单位", 50},
                    {"AllQty", "总计", 80}},
                   false)
{
    setParent(parent, windowFlags());
    // The stock at a cut-off date: no from-date.
    Label1->setText(QStringLiteral("截止日期："));
    dtpRqa->hide();
    Label2->hide();
    AddCombo("CombItem", QStringLiteral("货品名称"));
    AddCombo("CombItemType", QStringLiteral("货品类别"));
    AddButtonEdit("RzButtonEdit_Stock", QStringLiteral("仓库"));
}

void TFrmRptKCZZ_FCHZ::rebuildColumns(const QList<QPair<int, QString>> &warehouses)
{
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.BeginUpdate();
    columns.Clear();
    auto add = [&](const QString &field, const QString &title, int width) {
        TColumn *column = columns.Add(field, title, width);
        column->Title().SetAlignment(taCenter);
        column->Title().SetTitleButton(true);
        return column;
    };
    add(QStringLiteral("bh"), QStringLiteral("编号"), 80)
        ->Footer()
        .SetStaticText(QStringLiteral("合计"));
    add(QStringLiteral("pm"), QStringLiteral("名称"), 140);
    add(QStringLiteral("GG"), QStringLiteral("规格"), 70);
    add(QStringLiteral("DW"), QStringLiteral("单位"), 50);
    QStringList quantities;
    for (const auto &[id, name] : warehouses)
        quantities << TStockByWarehouse::ColumnName(id);
    for (qsizetype i = 0; i < warehouses.size(); ++i)
        add(quantities[i], QStringLiteral("仓库|") + warehouses[i].second, 70);
    quantities << QStringLiteral("AllQty");
    add(QStringLiteral("AllQty"), QStringLiteral("总计"), 80);
    for (const QString &field : quantities) {
        TColumn *column = columns.FindByFieldName(field);
        column->SetDisplayFormat(QStringLiteral("#,0.###"));
        column->Footer().SetSum(QStringLiteral("#,0.###"), field);
    }
    columns.EndUpdate();
    AddAttrColumns(DBGrid1, FuncRight().AttrList);
    DBGrid1->SetUseMultiTitle(true);
    DBGrid1->SetFooterRowCount(1);
}

QString TFrmRptKCZZ_FCHZ::ComposeSQL()
{
    const auto *stock = Panel1->findChild<TButtonEdit *>(QStringLiteral("RzButtonEdit_Stock"));
    TClientDataSet &query = Data().DataSetByName(QStringLiteral("cdsQryPub"));
    query.Close();
    query.SetCommandText(
        TStockByWarehouse::WarehousesSQL(chosen(stock) ? stock->Key() : QString()));
    query.Open();
    QList<QPair<int, QString>> warehouses;
    for (query.First(); !query.Eof(); query.Next())
        warehouses.append({query.Fields(0)->AsInteger(), query.Fields(1)->AsString()});
    query.Close();

    const TStockByWarehouse pivot(Context(), warehouses,
                                  TStockByWarehouse::WorkTableName(CurUserCode));
    cdsQry->Close();
    rebuildColumns(warehouses);
    return BuildStockByWarehouse(Data().cn(), pivot, GetWhereSQL(false));
}

// Stocktaking differences ----------------------------------------------------------------------

TFrmRptPdDif::TFrmRptPdDif(QWidget *parent)
    : TFrmRptStock("FrmRptPdDif", QStringLiteral("盘点差异表"),
                   {{"CKMC", "仓库", 80},
                    {"TypeName", "货品类别", 80},
                    {"BH", "货品编号", 80},
                    {"PM", "品名", 130},
                    {"GG", "规格", 70},
                    {"DW", "单位", 40},
                    {"DJ", "单价", 70},
                    {"SL", "数量", 70},
                    {"JE", "金额", 90}},
                   true)
{
    setParent(parent, windowFlags());
    AddButtonEdit("RzButtonEdit_Stock", QStringLiteral("仓库"), 90);
    AddCombo("CombItemType", QStringLiteral("货品类别"), 90);
    AddCombo("CombItem", QStringLiteral("货品名称"), 90);
    AddButtonEdit("RzButtonEdit_ItemNO", QStringLiteral("货品编号"), 90);
    AddButtonEdit("RzButtonEdit_ItemInfor", QStringLiteral("货品信息"), 90);
}

QString TFrmRptPdDif::ComposeSQL()
{
    return StocktakingDifferenceSQL(GetWhereSQL(true));
}
