// The goods picker.
#include "client/masterdata/selectitem.h"

#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/forms/globalobj.h"
#include "client/forms/sharedroutines.h"
#include "client/masterdata/goodssql.h"
#include "client/masterdata/itemedit.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The grid shows a screenful; further rows come as the user scrolls.
constexpr int ResultPacketRows = 100;

std::unique_ptr<TClientDataSet> ownDataSet(const char *name, const char *provider)
{
    auto ds = std::make_unique<TClientDataSet>(QLatin1String(name));
    ds->SetRemoteServer(&Data().cn());
    ds->SetProviderName(QLatin1String(provider));
    return ds;
}

} // namespace

TfrmSelectItem::TfrmSelectItem(QWidget *parent)
    : TfrmComHelp(parent)
{
    setObjectName(QStringLiteral("frmSelectItem"));
    setWindowTitle(QStringLiteral("选择货品"));

    m_cdsHP = ownDataSet("cdsHP", "pTmpf");
    cdsHP = m_cdsHP.get();
    cdsHP->SetPacketRecords(ResultPacketRows);
    m_sHP = std::make_unique<TDataSource>(cdsHP);
    m_cdsKC = ownDataSet("cdsKC", "pTmpl");
    cdsKC = m_cdsKC.get();
    m_sKC = std::make_unique<TDataSource>(cdsKC);
    m_itemType = ownDataSet("ItemType", "pItemType");
    ItemType = m_itemType.get();
    m_sItemType = std::make_unique<TDataSource>(ItemType);

    Label1->setText(QStringLiteral("货品编号/货品名称/助记码："));
    SetHint(Edit1, QStringLiteral("%H.PM"));
    SetHint(Edit2, QString());
    Edit2->hide();
    Label2->hide();
    CbItem->show();
    IsMaterial = new QCheckBox(QStringLiteral("物料"), this);
    IsMaterial->setObjectName(QStringLiteral("IsMaterial"));
    IsProduct = new QCheckBox(QStringLiteral("成品"), this);
    IsProduct->setObjectName(QStringLiteral("IsProduct"));
    SearchRow()->insertWidget(SearchRow()->indexOf(btnFind), IsMaterial);
    SearchRow()->insertWidget(SearchRow()->indexOf(btnFind), IsProduct);
    btnFind->setText(QStringLiteral("查找货品(&Q)"));
    btnCancel->setText(QStringLiteral("退出"));

    // The category tree left of the results, the stock of the current goods below them.
    auto *main = qobject_cast<QVBoxLayout *>(layout());
    main->removeWidget(DBGrid1);
    auto *middle = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("货品类别"), this));
    stDBTree1 = new TDBTreeView(this);
    stDBTree1->setObjectName(QStringLiteral("stDBTree1"));
    stDBTree1->SetDataSource(m_sItemType.get());
    stDBTree1->SetFields(QStringLiteral("ItemType"), QStringLiteral("ParentCode"),
                         QStringLiteral("TypeName"));
    stDBTree1->SetRootText(QStringLiteral("全部类别"));
    stDBTree1->SetSyncDataSet(false);
    stDBTree1->setFixedWidth(170);
    left->addWidget(stDBTree1, 1);
    middle->addLayout(left);
    auto *right = new QVBoxLayout;
    right->addWidget(DBGrid1, 1);
    right->addWidget(new QLabel(QStringLiteral("库存列表："), this));
    DBGridKC = new TDBGrid(this);
    DBGridKC->setObjectName(QStringLiteral("DBGridKC"));
    DBGridKC->SetReadOnly(true);
    DBGridKC->SetDataSource(m_sKC.get());
    DBGridKC->Columns().Add(QStringLiteral("mc"), QStringLiteral("仓库名称"), 160);
    DBGridKC->Columns().Add(QStringLiteral("qty"), QStringLiteral("数量"), 90);
    DBGridKC->setFixedHeight(120);
    right->addWidget(DBGridKC);
    middle->addLayout(right, 1);
    main->insertLayout(1, middle, 1);

    btnOk_All = new QPushButton(QStringLiteral("添加到单据"), this);
    btnOk_All->setObjectName(QStringLiteral("btnOk_All"));
    btnOk_All->setAutoDefault(false);
    btnOK_AlldsHelp = new QPushButton(QStringLiteral("全添到单据"), this);
    btnOK_AlldsHelp->setObjectName(QStringLiteral("btnOK_AlldsHelp"));
    btnOK_AlldsHelp->setAutoDefault(false);
    ButtonRow()->insertWidget(ButtonRow()->indexOf(btnOk), btnOk_All);
    ButtonRow()->insertWidget(ButtonRow()->indexOf(btnOk), btnOK_AlldsHelp);

    SetHelpDataSource(m_sHP.get());
    const std::tuple<const char *, const char *, int> columns[] = {
        {"BH", "货品编号", 90}, {"PM", "货品名称", 150}, {"ZJM", "助记码", 60},
        {"GG", "规格", 100},    {"DW", "单位", 40},      {"aHPLBMC", "货品类别", 80},
        {"SX", "最低库存", 60}, {"XX", "最高库存", 60}};
    for (const auto &[field, title, width] : columns)
        DBGrid1->Columns().Add(QLatin1String(field), QString::fromUtf8(title), width);
    DBGrid1->SetFooterRowCount(0);

    PopupMenu1 = new QMenu(this);
    mnuAddToBill = PopupMenu1->addAction(QStringLiteral("添加到单据"), this,
                                         [this] { Guarded([this] { AddToDocument(); }); });
    mnuShowStock = PopupMenu1->addAction(QStringLiteral("查看库存"), this,
                                         [this] { Guarded([this] { ShowStock(); }); });
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(DBGrid1->mapToGlobal(at)); });

    connect(stDBTree1, &QTreeView::clicked, this,
            [this] { Guarded([this] { SelectCategory(stDBTree1->SelectedKey()); }); });
    connect(CbItem, &QCheckBox::clicked, this, [this](bool on) {
        if (on)
            Guarded([this] { showAllGoods(); });
    });
    for (QCheckBox *box : {IsMaterial, IsProduct})
        connect(box, &QCheckBox::clicked, this, [this] { Guarded([this] { kindToggled(); }); });
    connect(btnOk_All, &QPushButton::clicked, this,
            [this] { Guarded([this] { AddToDocument(); }); });
    connect(btnOK_AlldsHelp, &QPushButton::clicked, this,
            [this] { Guarded([this] { AddAllToDocument(); }); });

    // Walking the grid with the keys asks for the stock of where it stops, not of every row.
    m_stockTimer.setSingleShot(true);
    m_stockTimer.setInterval(80);
    connect(&m_stockTimer, &QTimer::timeout, this, [this] { Guarded([this] { ShowStock(); }); });
    resize(900, 560);
}

TfrmSelectItem::~TfrmSelectItem()
{
    // The grids and the tree let go of the form's datasets before they go.
    DBGrid1->SetDataSource(nullptr);
    DBGridKC->SetDataSource(nullptr);
    stDBTree1->SetDataSource(nullptr);
}

void TfrmSelectItem::FormShow()
{
    StockDate = Data().GetServerDate();
    const TSystemFunctionRight &rights = FuncRight();
    m_canEdit = rights.IsAdministrator() ||
                rights.MenuList.contains(QStringLiteral("mnuHp"), Qt::CaseInsensitive);
    ItemType->SetCommandText(rights.ItemTypeSQL);
    ItemType->Open();
    stDBTree1->Rebuild();
    stDBTree1->SelectRoot();
    stDBTree1->expandToDepth(0);
    Edit1->clear();
    AddAttrColumns(DBGrid1, rights.AttrList);
    TfrmComHelp::FormShow();
    btnNew->setEnabled(m_canEdit);
    btnModify->setEnabled(m_canEdit);
    btnDel->setEnabled(m_canEdit);
    if (!SearchText.isEmpty()) {
        Edit1->setText(SearchText);
        Search();
    }
    mnuAddToBill->setVisible(!SingleChoice);
    btnOk_All->setVisible(!SingleChoice);
    btnOK_AlldsHelp->setVisible(!SingleChoice);
}

void TfrmSelectItem::SetFilter()
{
    // A search looks through every category; without one the tree's category shows.
    const QString search = goods::SearchCondition(Edit1->text(), true);
    FilterText = search.isEmpty() ? m_treeFilter : search;
}

void TfrmSelectItem::SetParam()
{
    const int kind = SessionInfo().DatabaseKind;
    if (IsMaterial->isChecked())
        FilterText += QStringLiteral(" and H.IsMaterial =") + goods::BoolLiteral(kind, true);
    if (IsProduct->isChecked())
        FilterText += QStringLiteral(" and H.IsProduct =") + goods::BoolLiteral(kind, true);
}

QString TfrmSelectItem::ResultSql() const
{
    return QStringLiteral(" select H.*,  C.TypeName as aHPLBMC  from HP H inner join ") +
           FuncRight().ItemTypeFrom + QStringLiteral(" on H.HPLBID=C.ItemType where 1=1  ") +
           FilterText + QStringLiteral(" and H.ZT =") +
           goods::BoolLiteral(SessionInfo().DatabaseKind, false) +
           QStringLiteral(" order by H.BH ");
}

void TfrmSelectItem::OpenData()
{
    cdsHP->Close();
    cdsHP->SetCommandText(ResultSql());
    cdsHP->Open();
    if (cdsHP->IsEmpty() && cdsKC->Active())
        cdsKC->Close();
}

void TfrmSelectItem::SelectCategory(const QString &key)
{
    m_treeFilter = key.isEmpty() ? QStringLiteral(" ") : goods::CategoryCondition(key);
    Edit1->clear();
    CbItem->setChecked(false);
    Search();
}

void TfrmSelectItem::showAllGoods()
{
    Edit1->clear();
    Edit2->clear();
    IsMaterial->setChecked(false);
    IsProduct->setChecked(false);
    m_treeFilter.clear();
    stDBTree1->SelectRoot();
    Search();
}

void TfrmSelectItem::kindToggled()
{
    CbItem->setChecked(false);
    Search();
}

void TfrmSelectItem::dsAfterScroll(TClientDataSet &DataSet)
{
    TfrmComHelp::dsAfterScroll(DataSet);
    m_stockTimer.start();
}

void TfrmSelectItem::ShowStock()
{
    m_stockTimer.stop();
    cdsKC->Close();
    if (!cdsHP->Active() || cdsHP->IsEmpty())
        return;
    cdsKC->SetCommandText(goods::StockQuery(SessionInfo().DatabaseKind, FuncRight().WarehouseFrom,
                                            cdsHP->FieldByName(QStringLiteral("ID"))->AsString(),
                                            StockDate));
    cdsKC->Open();
}

void TfrmSelectItem::btnOkClick()
{
    if (!SingleChoice) {
        TfrmComHelp::btnOkClick();
        return;
    }
    if (!btnOk->isEnabled())
        return;
    Selected = true;
    ResultID = cdsHP->FieldByName(QStringLiteral("ID"))->AsString();
    ResultBH = cdsHP->FieldByName(QStringLiteral("BH"))->AsString();
    LineText = goods::LineText(*cdsHP);
    SetModalResult(mrOk);
}

void TfrmSelectItem::addCurrent()
{
    TClientDataSet &target = *TargetDataSet;
    if (target.State() != dsInsert) {
        if (target.State() == dsEdit)
            target.Post();
        target.Append();
    }
    TField *code = target.FieldByName(QStringLiteral("aBH"));
    const QString bh = cdsHP->FieldByName(QStringLiteral("BH"))->AsString();
    if (code->AsString() != bh)
        code->SetAsString(bh);
    target.Post();
}

void TfrmSelectItem::AddToDocument()
{
    if (!btnOk->isEnabled() || !TargetDataSet)
        return;
    addCurrent();
}

void TfrmSelectItem::AddAllToDocument()
{
    if (!btnOk->isEnabled() || !TargetDataSet)
        return;
    const TBookmark position = cdsHP->GetBookmark();
    cdsHP->DisableControls();
    try {
        for (cdsHP->First(); !cdsHP->Eof(); cdsHP->Next())
            addCurrent();
    } catch (...) {
        cdsHP->EnableControls();
        throw;
    }
    cdsHP->GotoBookmark(position);
    cdsHP->EnableControls();
}

TfrmComEdit *TfrmSelectItem::CreateEditForm()
{
    return new TfrmItemEdit(this);
}
