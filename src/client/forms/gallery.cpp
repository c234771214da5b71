// The component gallery.
#include "client/forms/gallery.h"

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/dbnavigator.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/messagebox.h"
#include "client/widgets/uistyle.h"

#include <QApplication>
#include <QBuffer>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItem>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace {

struct GoodsRow
{
    const char *code;
    const char *name;
    const char *gg;
    const char *unit;
    const char *category;
    double price;
};

const GoodsRow Goods[] = {
    {"HP0001", "不锈钢内六角螺丝", "M6×20", "盒", "0101", 18.5},
    {"HP0002", "活动扳手", "250mm", "把", "0102", 36.0},
    {"HP0003", "冲击电钻", "710W", "台", "0102", 289.0},
    {"HP0004", "钢卷尺", "5m", "把", "0102", 12.8},
    {"HP0005", "水砂纸", "240目", "张", "0301", 0.9},
    {"HP0006", "封箱胶带", "48mm×100m", "卷", "0301", 6.5},
    {"HP0007", "铜芯电线", "BV2.5", "卷", "0201", 168.0},
    {"HP0008", "十字螺丝刀", "PH2×150", "把", "0102", 9.9},
    {"HP0009", "膨胀螺栓", "M8×80", "盒", "0101", 42.0},
    {"HP0010", "绝缘胶布", "18mm", "卷", "0201", 2.5},
};

std::unique_ptr<TClientDataSet> newDataSet(const QString &name)
{
    return std::make_unique<TClientDataSet>(name);
}

// A small picture for the goods image field.
QByteArray samplePicture()
{
    QImage image(120, 90, QImage::Format_RGB32);
    image.fill(QColor(0xF4, 0xF6, 0xFA));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x6B, 0x8F, 0xC4));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRect(18, 30, 84, 28), 6, 6);
    painter.setBrush(QColor(0x3A, 0x4A, 0x60));
    painter.drawRect(QRect(52, 20, 16, 50));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

struct TfrmGallery::Data
{
    std::unique_ptr<TClientDataSet> hp = newDataSet(QStringLiteral("Hp"));
    std::unique_ptr<TClientDataSet> ck = newDataSet(QStringLiteral("Ck"));
    std::unique_ptr<TClientDataSet> gys = newDataSet(QStringLiteral("Gys"));
    std::unique_ptr<TClientDataSet> itemType = newDataSet(QStringLiteral("cdsTree"));
    std::unique_ptr<TClientDataSet> zb = newDataSet(QStringLiteral("Cgshzb"));
    std::unique_ptr<TClientDataSet> mx = newDataSet(QStringLiteral("Cgsh"));
    std::unique_ptr<TClientDataSet> report = newDataSet(QStringLiteral("cdsQry"));
    TDataSource sHp{hp.get()};
    TDataSource sCk{ck.get()};
    TDataSource sTree{itemType.get()};
    TDataSource sZb{zb.get()};
    TDataSource sMx{mx.get()};
    TDataSource sQry{report.get()};

    Data()
    {
        ck->FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        ck->FieldDefs().Add(QStringLiteral("BH"), ftString, 10);
        ck->FieldDefs().Add(QStringLiteral("MC"), ftString, 40);
        ck->CreateDataSet();
        ck->AppendRecord({1, QStringLiteral("01"), QStringLiteral("总仓库")});
        ck->AppendRecord({2, QStringLiteral("02"), QStringLiteral("门市仓库")});
        ck->AppendRecord({3, QStringLiteral("03"), QStringLiteral("原料仓库")});

        gys->FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        gys->FieldDefs().Add(QStringLiteral("MC"), ftString, 60);
        gys->CreateDataSet();
        gys->AppendRecord({1, QStringLiteral("宏达五金机电有限公司")});
        gys->AppendRecord({2, QStringLiteral("顺发电线电缆厂")});

        itemType->FieldDefs().Add(QStringLiteral("ItemType"), ftString, 10);
        itemType->FieldDefs().Add(QStringLiteral("ParentCode"), ftString, 10);
        itemType->FieldDefs().Add(QStringLiteral("TypeName"), ftString, 30);
        itemType->CreateDataSet();
        for (const auto &[code, parent, name] :
             {std::tuple{"01", "", "五金"}, std::tuple{"0101", "01", "紧固件"},
              std::tuple{"0102", "01", "手动工具"}, std::tuple{"02", "", "电工器材"},
              std::tuple{"0201", "02", "电线电缆"}, std::tuple{"03", "", "辅料"},
              std::tuple{"0301", "03", "包装耗材"}})
            itemType->AppendRecord(
                {QString::fromUtf8(code), QString::fromUtf8(parent), QString::fromUtf8(name)});

        hp->FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        hp->FieldDefs().Add(QStringLiteral("BH"), ftString, 20);
        hp->FieldDefs().Add(QStringLiteral("PM"), ftString, 60);
        hp->FieldDefs().Add(QStringLiteral("GG"), ftString, 30);
        hp->FieldDefs().Add(QStringLiteral("DW"), ftString, 10);
        hp->FieldDefs().Add(QStringLiteral("HPLBID"), ftString, 10);
        hp->FieldDefs().Add(QStringLiteral("JJ"), ftFloat);
        hp->FieldDefs().Add(QStringLiteral("CKID"), ftInteger);
        hp->FieldDefs().Add(QStringLiteral("ZT"), ftBoolean);
        hp->FieldDefs().Add(QStringLiteral("JLFS"), ftString, 10);
        hp->FieldDefs().Add(QStringLiteral("BZ"), ftMemo);
        hp->FieldDefs().Add(QStringLiteral("Pict"), ftGraphic);
        hp->CreateDataSet();
        const QByteArray picture = samplePicture();
        int id = 1;
        for (const GoodsRow &row : Goods) {
            hp->AppendRecord({id, QString::fromUtf8(row.code), QString::fromUtf8(row.name),
                              QString::fromUtf8(row.gg), QString::fromUtf8(row.unit),
                              QString::fromUtf8(row.category), row.price, 1 + id % 3, id == 5,
                              id % 2 ? QStringLiteral("批次") : QStringLiteral("序列号"),
                              QStringLiteral("常用备货，库存低于安全量时补货。"),
                              id == 1 ? QVariant(picture) : QVariant()});
            ++id;
        }
        hp->FieldByName(QStringLiteral("JJ"))->SetDisplayFormat(QStringLiteral("#,0.00"));

        zb->FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        zb->FieldDefs().Add(QStringLiteral("DJBH"), ftString, 12);
        zb->FieldDefs().Add(QStringLiteral("RQ"), ftDate);
        zb->FieldDefs().Add(QStringLiteral("CKID"), ftInteger);
        zb->FieldDefs().Add(QStringLiteral("aGYSMC"), ftString, 60);
        zb->FieldDefs().Add(QStringLiteral("BZ"), ftString, 60);
        zb->CreateDataSet();
        zb->AppendRecord({240301, QStringLiteral("CS2403000012"), QDate(2024, 3, 18), 1,
                          QStringLiteral("宏达五金机电有限公司"), QStringLiteral("月中补货")});

        mx->FieldDefs().Add(QStringLiteral("HH"), ftInteger);
        mx->FieldDefs().Add(QStringLiteral("aBH"), ftString, 20);
        mx->FieldDefs().Add(QStringLiteral("aPM"), ftString, 60);
        mx->FieldDefs().Add(QStringLiteral("aGG"), ftString, 30);
        mx->FieldDefs().Add(QStringLiteral("aDW"), ftString, 10);
        mx->FieldDefs().Add(QStringLiteral("SL"), ftFloat);
        mx->FieldDefs().Add(QStringLiteral("DJ"), ftFloat);
        mx->FieldDefs().Add(QStringLiteral("cJE"), ftFloat);
        mx->CreateDataSet();
        const double quantities[] = {20, 6, 2, 12, 500, 40, 3};
        for (int i = 0; i < 7; ++i) {
            const GoodsRow &row = Goods[i];
            mx->AppendRecord({i + 1, QString::fromUtf8(row.code), QString::fromUtf8(row.name),
                              QString::fromUtf8(row.gg), QString::fromUtf8(row.unit),
                              quantities[i], row.price, quantities[i] * row.price});
        }
        mx->AppendRecord({8, QStringLiteral("HP0003"), QStringLiteral("冲击电钻"),
                          QStringLiteral("710W"), QStringLiteral("台"), -1.0, 289.0, -289.0});
        for (const char *name : {"SL"})
            mx->FieldByName(QLatin1String(name))->SetDisplayFormat(QStringLiteral("#,0.##"));
        mx->FieldByName(QStringLiteral("DJ"))->SetDisplayFormat(QStringLiteral("#,0.00"));

        report->FieldDefs().Add(QStringLiteral("TypeName"), ftString, 30);
        report->FieldDefs().Add(QStringLiteral("BH"), ftString, 20);
        report->FieldDefs().Add(QStringLiteral("PM"), ftString, 60);
        report->FieldDefs().Add(QStringLiteral("GYS"), ftString, 60);
        report->FieldDefs().Add(QStringLiteral("SL"), ftFloat);
        report->FieldDefs().Add(QStringLiteral("Amount1"), ftFloat);
        report->FieldDefs().Add(QStringLiteral("Amount2"), ftFloat);
        report->FieldDefs().Add(QStringLiteral("Amount3"), ftFloat);
        report->FieldDefs().Add(QStringLiteral("AllAmount"), ftFloat);
        report->CreateDataSet();
        const char *typeNames[] = {"紧固件",   "手动工具", "手动工具", "手动工具", "包装耗材",
                                   "包装耗材", "电线电缆", "手动工具", "紧固件",   "电线电缆"};
        const char *suppliers[] = {"宏达五金机电有限公司", "顺发电线电缆厂"};
        for (int i = 0; i < 10; ++i) {
            const GoodsRow &row = Goods[i];
            const double a1 = (i % 3 == 1) ? 0 : row.price * (10 + i);
            const double a2 = row.price * (6 + i % 4);
            const double a3 = (i % 4 == 0) ? 0 : row.price * (3 + i);
            report->AppendRecord({QString::fromUtf8(typeNames[i]), QString::fromUtf8(row.code),
                                  QString::fromUtf8(row.name),
                                  QString::fromUtf8(suppliers[i == 6 || i == 9 ? 1 : 0]),
                                  double(19 + i * 7), a1, a2, a3, a1 + a2 + a3});
        }
        for (TClientDataSet *ds :
             {hp.get(), ck.get(), gys.get(), itemType.get(), zb.get(), mx.get(), report.get()}) {
            ds->MergeChangeLog();
            ds->First();
        }
    }
};

TfrmGallery::TfrmGallery(QWidget *parent)
    : TFrmRoot(parent)
    , m_data(std::make_unique<Data>())
{
    setObjectName(QStringLiteral("frmGallery"));
    setWindowTitle(QStringLiteral("组件展示"));
    setWindowFlags(Qt::Window);
    resize(1100, 720);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    m_pages = new QTabWidget(this);
    m_pages->addTab(documentPage(), QStringLiteral("单据明细"));
    m_pages->addTab(reportPage(), QStringLiteral("报表"));
    m_pages->addTab(masterDataPage(), QStringLiteral("资料编辑"));
    m_pages->addTab(dialogPage(), QStringLiteral("对话框"));
    layout->addWidget(m_pages, 1);
    auto *status = new QTabBar(this);
    status->addTab(QStringLiteral("全部"));
    status->addTab(QStringLiteral("草稿"));
    status->addTab(QStringLiteral("审核"));
    status->setShape(QTabBar::RoundedSouth);
    layout->addWidget(status);
}

TfrmGallery::~TfrmGallery() = default;

QWidget *TfrmGallery::documentPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    auto *title = new QLabel(QStringLiteral("采购收货单"), page);
    title->setAlignment(Qt::AlignCenter);
    title->setFont(SongFont(20, true));
    layout->addWidget(title);

    auto *header = new TPanel(page);
    auto *grid = new QGridLayout(header);
    auto *number = new TDBEdit(header);
    number->SetDataSource(&m_data->sZb);
    number->SetDataField(QStringLiteral("DJBH"));
    number->SetReadOnly(true);
    auto *date = new TDBDateEdit(header);
    date->SetDataSource(&m_data->sZb);
    date->SetDataField(QStringLiteral("RQ"));
    auto *warehouse = new TDBLookupComboBox(header);
    warehouse->SetListSource(&m_data->sCk);
    warehouse->SetKeyField(QStringLiteral("ID"));
    warehouse->SetListField(QStringLiteral("MC;BH"));
    warehouse->SetDataSource(&m_data->sZb);
    warehouse->SetDataField(QStringLiteral("CKID"));
    auto *supplier = new TDBButtonEdit(header);
    supplier->SetDataSource(&m_data->sZb);
    supplier->SetDataField(QStringLiteral("aGYSMC"));
    supplier->SetReadOnly(true);
    supplier->OnButtonClick = [this](TButtonEdit &) {
        TClientDataSet &zb = *m_data->zb;
        Guarded([&] {
            zb.Edit();
            const bool first = zb.FieldByName(QStringLiteral("aGYSMC"))
                                   ->AsString()
                                   .startsWith(QStringLiteral("宏达"));
            zb.FieldByName(QStringLiteral("aGYSMC"))
                ->SetAsString(first ? QStringLiteral("顺发电线电缆厂")
                                    : QStringLiteral("宏达五金机电有限公司"));
        });
    };
    auto *remark = new TDBEdit(header);
    remark->SetDataSource(&m_data->sZb);
    remark->SetDataField(QStringLiteral("BZ"));
    grid->addWidget(caption(QStringLiteral("单号："), header), 0, 0);
    grid->addWidget(number, 0, 1);
    grid->addWidget(caption(QStringLiteral("日期："), header), 0, 2);
    grid->addWidget(date, 0, 3);
    grid->addWidget(caption(QStringLiteral("仓库："), header), 0, 4);
    grid->addWidget(warehouse, 0, 5);
    grid->addWidget(caption(QStringLiteral("供应商："), header), 1, 0);
    grid->addWidget(supplier, 1, 1, 1, 3);
    grid->addWidget(caption(QStringLiteral("备注："), header), 1, 4);
    grid->addWidget(remark, 1, 5);
    auto *status = new QLabel(QStringLiteral("未审核"), header);
    QPalette red = status->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    status->setPalette(red);
    status->setFont(SongFont(14, true));
    grid->addWidget(status, 0, 6, 2, 1, Qt::AlignCenter);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
    layout->addWidget(header);

    auto *lines = new TDBGrid(page);
    lines->setObjectName(QStringLiteral("DBGrid1"));
    TDBGridColumns &columns = lines->Columns();
    columns.BeginUpdate();
    columns.Add(QStringLiteral("HH"), QStringLiteral("行号"), 40)->SetReadOnly(true);
    TColumn *code = columns.Add(QStringLiteral("aBH"), QStringLiteral("货品编号"), 90);
    code->SetButtonStyle(cbsEllipsis);
    code->SetAlwaysShowEditButton(true);
    columns.Add(QStringLiteral("aPM"), QStringLiteral("货品名称"), 150)->SetReadOnly(true);
    columns.Add(QStringLiteral("aGG"), QStringLiteral("规格"), 90)->SetReadOnly(true);
    columns.Add(QStringLiteral("aDW"), QStringLiteral("单位"), 44)->SetReadOnly(true);
    columns.Add(QStringLiteral("SL"), QStringLiteral("数量"), 70);
    columns.Add(QStringLiteral("DJ"), QStringLiteral("单价"), 80)->SetButtonStyle(cbsEllipsis);
    TColumn *amount = columns.Add(QStringLiteral("cJE"), QStringLiteral("金额"), 150);
    amount->SetLedgerCells(true);
    for (int i = 0; i < columns.Count(); ++i)
        columns[i]->Title().SetAlignment(taCenter);
    columns[0]->Footer().SetStaticText(QStringLiteral("合计"));
    columns[5]->Footer().SetSum(QStringLiteral("#,0.00"));
    amount->Footer().SetSum(QStringLiteral("#,0.00"));
    columns.EndUpdate();
    lines->SetFooterRowCount(1);
    lines->SetDataSource(&m_data->sMx);
    lines->OnEditButtonClick = [](TDBGrid &sender) {
        ShowMessage(QStringLiteral("选择货品：") + sender.SelectedField()->AsString());
    };
    // The amount follows quantity and price as they are edited.
    m_data->mx->BeforePost = [](TClientDataSet &ds) {
        ds.FieldByName(QStringLiteral("cJE"))
            ->SetAsFloat(ds.FieldByName(QStringLiteral("SL"))->AsFloat() *
                         ds.FieldByName(QStringLiteral("DJ"))->AsFloat());
    };
    layout->addWidget(lines, 1);

    auto *bottom = new QHBoxLayout;
    auto *navigator = new TDBNavigator(page);
    navigator->SetDataSource(&m_data->sMx);
    bottom->addWidget(new QLabel(QStringLiteral("条形码："), page));
    auto *barcode = new QLineEdit(page);
    barcode->setMaximumWidth(180);
    bottom->addWidget(barcode);
    bottom->addWidget(new QLabel(QStringLiteral("数量："), page));
    auto *quantity = new TNumericEdit(page);
    quantity->setText(QStringLiteral("1"));
    quantity->setMaximumWidth(70);
    bottom->addWidget(quantity);
    bottom->addStretch();
    bottom->addWidget(navigator);
    layout->addLayout(bottom);
    return page;
}

QWidget *TfrmGallery::reportPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *conditions = new QHBoxLayout;
    auto *range = new TDateRangeEdit(page);
    range->SetRange(QDate(2024, 1, 1), QDate(2024, 3, 31));
    conditions->addWidget(range);
    conditions->addWidget(new QLabel(QStringLiteral("供应商："), page));
    auto *supplier = new TButtonEdit(page);
    supplier->setText(QStringLiteral("所有"));
    supplier->setMaximumWidth(200);
    conditions->addWidget(supplier);
    conditions->addStretch();
    layout->addLayout(conditions);

    auto *grid = new TDBGrid(page);
    grid->setObjectName(QStringLiteral("FrmRptCGHZ"));
    TDBGridColumns &columns = grid->Columns();
    columns.BeginUpdate();
    columns.Add(QStringLiteral("TypeName"), QStringLiteral("货品类别"), 80);
    columns.Add(QStringLiteral("BH"), QStringLiteral("货品编号"), 70);
    columns.Add(QStringLiteral("PM"), QStringLiteral("货品名称"), 130);
    columns.Add(QStringLiteral("GYS"), QStringLiteral("供应商"), 150);
    columns.Add(QStringLiteral("SL"), QStringLiteral("数量"), 60)
        ->SetDisplayFormat(QStringLiteral("#,0.###"));
    const char *months[] = {"金额|一月", "金额|二月", "金额|三月", "金额|合计"};
    const char *fields[] = {"Amount1", "Amount2", "Amount3", "AllAmount"};
    for (int i = 0; i < 4; ++i) {
        TColumn *column = columns.Add(QLatin1String(fields[i]), QString::fromUtf8(months[i]), 86);
        column->SetDisplayFormat(QStringLiteral("#,0.00"));
        column->Footer().SetSum(QStringLiteral("#,0.00"));
    }
    columns[0]->Footer().SetStaticText(QStringLiteral("合计"));
    columns[4]->Footer().SetSum(QStringLiteral("#,0.###"));
    columns.EndUpdate();
    grid->SetFooterRowCount(1);
    grid->SetOptions(grid->Options() | dgRowSelect | dgAlwaysShowSelection);
    grid->SetReadOnly(true);
    grid->SetTitleButtons(true);
    grid->SetGroupPanelVisible(true);
    grid->SetFilterRowVisible(true);
    grid->SetUseMultiTitle(true);
    grid->SetDataSource(&m_data->sQry);
    grid->SetGroupFields({QStringLiteral("GYS")});
    // Zeros vanish, as the stock ledger reports draw them.
    grid->OnGetCellParams = [](TDBGrid &, TColumn &, TCellParams &params) {
        if (params.Text == QLatin1String("0.00"))
            params.FontColor = params.Background;
    };
    layout->addWidget(grid, 1);
    return page;
}

QWidget *TfrmGallery::masterDataPage()
{
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    auto *splitter = new QSplitter(page);

    auto *tree = new TDBTreeView(splitter);
    tree->SetFields(QStringLiteral("ItemType"), QStringLiteral("ParentCode"),
                    QStringLiteral("TypeName"));
    tree->SetRootText(QStringLiteral("全部类别"));
    tree->SetMutualExpand(true);
    tree->SetSyncDataSet(false);
    tree->SetDataSource(&m_data->sTree);
    if (QStandardItem *hardware = tree->ItemOfKey(QStringLiteral("01"))) {
        tree->expand(hardware->index());
        tree->SelectKey(QStringLiteral("0102"));
    }
    tree->setMinimumWidth(170);

    auto *right = new QWidget(splitter);
    auto *rightLayout = new QVBoxLayout(right);
    auto *list = new TDBGrid(right);
    list->Columns().Add(QStringLiteral("BH"), QStringLiteral("货品编号"), 80);
    list->Columns().Add(QStringLiteral("PM"), QStringLiteral("货品名称"), 140);
    list->Columns().Add(QStringLiteral("GG"), QStringLiteral("规格"), 90);
    list->Columns().Add(QStringLiteral("DW"), QStringLiteral("单位"), 44);
    list->Columns().Add(QStringLiteral("JJ"), QStringLiteral("进价"), 80);
    list->Columns().Add(QStringLiteral("ZT"), QStringLiteral("停用"), 44);
    list->SetOptions(list->Options() | dgRowSelect | dgAlwaysShowSelection);
    list->SetReadOnly(true);
    list->SetTitleButtons(true);
    list->SetDataSource(&m_data->sHp);
    rightLayout->addWidget(list, 1);

    auto *editor = new QWidget(right);
    auto *form = new QGridLayout(editor);
    auto addEdit = [&](int row, int column, const QString &label, QWidget *widget) {
        form->addWidget(caption(label, editor), row, column * 2);
        form->addWidget(widget, row, column * 2 + 1);
    };
    auto *code = new TDBEdit(editor);
    code->SetDataSource(&m_data->sHp);
    code->SetDataField(QStringLiteral("BH"));
    auto *name = new TDBEdit(editor);
    name->SetDataSource(&m_data->sHp);
    name->SetDataField(QStringLiteral("PM"));
    auto *unit = new TDBComboBox(editor);
    unit->SetItems({QStringLiteral("把"), QStringLiteral("盒"), QStringLiteral("台"),
                    QStringLiteral("张"), QStringLiteral("卷")});
    unit->SetDataSource(&m_data->sHp);
    unit->SetDataField(QStringLiteral("DW"));
    auto *price = new TDBEdit(editor);
    price->SetDataSource(&m_data->sHp);
    price->SetDataField(QStringLiteral("JJ"));
    auto *warehouse = new TDBLookupComboBox(editor);
    warehouse->SetListSource(&m_data->sCk);
    warehouse->SetKeyField(QStringLiteral("ID"));
    warehouse->SetListField(QStringLiteral("MC"));
    warehouse->SetDataSource(&m_data->sHp);
    warehouse->SetDataField(QStringLiteral("CKID"));
    auto *stopped = new TDBCheckBox(QStringLiteral("停用"), editor);
    stopped->SetDataSource(&m_data->sHp);
    stopped->SetDataField(QStringLiteral("ZT"));
    auto *tracking = new TDBRadioGroup(QStringLiteral("记录方式"), editor);
    tracking->SetItems({QStringLiteral("批次"), QStringLiteral("序列号")});
    tracking->SetColumns(2);
    tracking->SetDataSource(&m_data->sHp);
    tracking->SetDataField(QStringLiteral("JLFS"));
    auto *memo = new TDBMemo(editor);
    memo->SetDataSource(&m_data->sHp);
    memo->SetDataField(QStringLiteral("BZ"));
    memo->setMaximumHeight(60);
    auto *image = new TDBImage(editor);
    image->SetDataSource(&m_data->sHp);
    image->SetDataField(QStringLiteral("Pict"));
    image->setFixedSize(130, 100);
    addEdit(0, 0, QStringLiteral("编号："), code);
    addEdit(0, 1, QStringLiteral("名称："), name);
    addEdit(1, 0, QStringLiteral("单位："), unit);
    addEdit(1, 1, QStringLiteral("进价："), price);
    addEdit(2, 0, QStringLiteral("仓库："), warehouse);
    form->addWidget(stopped, 2, 3);
    form->addWidget(tracking, 3, 1, 1, 3);
    form->addWidget(caption(QStringLiteral("备注："), editor), 4, 0);
    form->addWidget(memo, 4, 1, 1, 3);
    form->addWidget(image, 0, 4, 5, 1, Qt::AlignTop);
    rightLayout->addWidget(editor);
    auto *navigator = new TDBNavigator(right);
    navigator->SetDataSource(&m_data->sHp);
    rightLayout->addWidget(navigator);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter);
    return page;
}

QWidget *TfrmGallery::dialogPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *buttons = new QHBoxLayout;
    auto *confirm = new QPushButton(QStringLiteral("删除确认"), page);
    connect(confirm, &QPushButton::clicked, this, [] {
        MessageBox(QStringLiteral("确定要删除此项资料吗?"), QStringLiteral("资料删除"),
                   TMsgIcon::Question, TMsgButtons::YesNo, mrNo);
    });
    auto *error = new QPushButton(QStringLiteral("出错提示"), page);
    connect(error, &QPushButton::clicked, this, [] {
        MessageBox(QStringLiteral("没有设置数据集！"), QStringLiteral("出错提示"), TMsgIcon::Error);
    });
    auto *busy = new QPushButton(QStringLiteral("查询等待"), page);
    connect(busy, &QPushButton::clicked, this, [] {
        TBusyMessage message;
        THourGlass hourGlass;
        QThread::msleep(1200);
    });
    auto *base = new QPushButton(QStringLiteral("基础模板"), page);
    connect(base, &QPushButton::clicked, this, [this] {
        auto *form = CreateForm<TFrmBase>(this);
        auto *ok = new QPushButton(QStringLiteral("确定(&O)"), form->PanelBottom());
        ok->move(380, 8);
        connect(ok, &QPushButton::clicked, form, [form] { form->SetModalResult(mrOk); });
        auto *text = new QLabel(QStringLiteral("库存低于安全量的货品有 3 种，请及时补货。"),
                                form->PanelClient());
        text->move(24, 24);
        form->show();
    });
    auto *progress = new QPushButton(QStringLiteral("进度对话框"), page);
    connect(progress, &QPushButton::clicked, this, [this] {
        TdlgProgress dialog(this);
        dialog.SetRange(0, 100);
        dialog.show();
        for (int i = 1; i <= 100 && !dialog.Cancelled(); ++i) {
            dialog.SetPosition(i);
            dialog.SetText(QStringLiteral("第 %1 行").arg(i));
            TdlgProgress::ProcessMessages();
            QThread::msleep(20);
        }
        dialog.SetCanClose(true);
        dialog.close();
    });
    for (QPushButton *button : {confirm, error, busy, base, progress})
        buttons->addWidget(button);
    buttons->addStretch();
    layout->addLayout(buttons);
    auto *numbers = new QFormLayout;
    auto *number = new TNumericEdit(page);
    number->setMaximumWidth(160);
    numbers->addRow(QStringLiteral("数量（只收数字）："), number);
    auto *range = new TDateRangeEdit(page);
    range->SetCheckable(true);
    numbers->addRow(QStringLiteral("日期范围："), range);
    layout->addLayout(numbers);
    layout->addStretch();
    return page;
}

int RunGallery(const QString &screenshotFile, int page)
{
    auto *gallery = CreateForm<TfrmGallery>();
    gallery->Pages()->setCurrentIndex(qBound(0, page, gallery->Pages()->count() - 1));
    gallery->show();
    if (!screenshotFile.isEmpty()) {
        QTimer::singleShot(600, gallery, [gallery, screenshotFile] {
            const bool saved = gallery->grab().save(screenshotFile);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
