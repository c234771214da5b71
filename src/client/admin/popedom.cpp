// The rights form: a group's functions, items, denied categories and department scope.
#include "client/admin/popedom.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/forms/comedit.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridcolumns.h"
#include "client/widgets/messagebox.h"

#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString CompanyCode = QStringLiteral("VZ");

QString fieldText(const TClientDataSet &dataSet, const QString &name)
{
    const TField *field = dataSet.FindField(name);
    return field && !field->IsNull() ? field->AsString() : QString();
}

// The goods-category chooser of the denied-categories grid.
class TItemTypeChooser : public QDialog
{
public:
    explicit TItemTypeChooser(QWidget *parent)
        : QDialog(parent)
    {
        setWindowTitle(QStringLiteral("选择货品类别"));
        resize(320, 360);
        auto *layout = new QVBoxLayout(this);
        m_table = new QTableWidget(0, 2, this);
        m_table->setHorizontalHeaderLabels(
            {QStringLiteral("货品类别代码"), QStringLiteral("货品类别名称")});
        m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_table->setSelectionMode(QAbstractItemView::SingleSelection);
        m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_table->verticalHeader()->hide();
        m_table->horizontalHeader()->setStretchLastSection(true);
        layout->addWidget(m_table);
        auto *buttons = new QDialogButtonBox(this);
        buttons->addButton(QStringLiteral("确定(&O)"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QStringLiteral("取消(&C)"), QDialogButtonBox::RejectRole);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(m_table, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);

        TTmpDataSet tmp;
        tmp->SetCommandText(
            QStringLiteral(" select ItemType,TypeName from Pub_ItemType order by ItemType"));
        tmp->Open();
        for (tmp->First(); !tmp->Eof(); tmp->Next()) {
            const int row = m_table->rowCount();
            m_table->insertRow(row);
            m_table->setItem(row, 0, new QTableWidgetItem(tmp->Fields(0)->AsString()));
            m_table->setItem(row, 1, new QTableWidgetItem(tmp->Fields(1)->AsString()));
        }
        if (m_table->rowCount() > 0)
            m_table->selectRow(0);
    }
    QString code() const
    {
        const int row = m_table->currentRow();
        return row < 0 ? QString() : m_table->item(row, 0)->text();
    }
    QString name() const
    {
        const int row = m_table->currentRow();
        return row < 0 ? QString() : m_table->item(row, 1)->text();
    }

private:
    QTableWidget *m_table;
};

} // namespace

TfrmPopedom::TfrmPopedom(QWidget *parent)
    : TFrmAddTab(parent)
    , cdsUnRight(QStringLiteral("cdsUnRight"))
{
    setObjectName(QStringLiteral("frmPopedom"));
    setWindowTitle(QStringLiteral("权限分配"));
    resize(820, 560);
    sUnRight.SetDataSet(&cdsUnRight);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    aAddGroup = toolBar->addAction(QStringLiteral("增加用户组 "));
    aAddGroup->setObjectName(QStringLiteral("aAddGroup"));
    aModifyGroup = toolBar->addAction(QStringLiteral("修改用户组  "));
    aModifyGroup->setObjectName(QStringLiteral("aModifyGroup"));
    aDeleteGroup = toolBar->addAction(QStringLiteral("删除用户组"));
    aDeleteGroup->setObjectName(QStringLiteral("aDeleteGroup"));
    toolBar->addSeparator();
    aClose = toolBar->addAction(QStringLiteral("关闭 "));
    aClose->setObjectName(QStringLiteral("aClose"));
    layout->addWidget(toolBar);

    auto *splitter = new QSplitter(this);
    DBGridGroup = new TDBGrid(splitter);
    DBGridGroup->setObjectName(QStringLiteral("DBGridGroup"));
    DBGridGroup->SetOptions(dgTitles | dgColLines | dgRowLines | dgRowSelect |
                            dgAlwaysShowSelection | dgIndicator | dgColumnResize);
    DBGridGroup->SetReadOnly(true);
    DBGridGroup->Columns().Add(QStringLiteral("gName"), QStringLiteral("用户组"), 110);
    DBGridGroup->Columns().Add(QStringLiteral("mc"), QStringLiteral("所属部门"), 100);

    PageControl1 = new QTabWidget(splitter);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabFunc = new QWidget;
    TabFunc->setObjectName(QStringLiteral("TabFunc"));
    auto *funcLayout = new QHBoxLayout(TabFunc);
    fcTreeView1 = new QTreeWidget(TabFunc);
    fcTreeView1->setObjectName(QStringLiteral("fcTreeView1"));
    fcTreeView1->setHeaderLabel(QStringLiteral("功能"));
    fcTreeView2 = new QTreeWidget(TabFunc);
    fcTreeView2->setObjectName(QStringLiteral("fcTreeView2"));
    fcTreeView2->setHeaderLabel(QStringLiteral("功能项"));
    funcLayout->addWidget(fcTreeView1, 3);
    funcLayout->addWidget(fcTreeView2, 2);
    PageControl1->addTab(TabFunc, QStringLiteral("功能权限"));

    TabHplb = new QWidget;
    TabHplb->setObjectName(QStringLiteral("TabHplb"));
    auto *hplbLayout = new QVBoxLayout(TabHplb);
    DBGridHplb = new TDBGrid(TabHplb);
    DBGridHplb->setObjectName(QStringLiteral("DBGridHplb"));
    DBGridHplb->SetOptions(dgTitles | dgColLines | dgRowLines | dgIndicator | dgEditing |
                           dgColumnResize);
    TColumn *code =
        DBGridHplb->Columns().Add(QStringLiteral("ItemType"), QStringLiteral("货品类别代码"), 110);
    code->SetButtonStyle(cbsEllipsis);
    TColumn *name =
        DBGridHplb->Columns().Add(QStringLiteral("aHPLBMC"), QStringLiteral("货品类别名称"), 180);
    name->SetReadOnly(true);
    DBGridHplb->SetDataSource(&sUnRight);
    DBGridHplb->setContextMenuPolicy(Qt::CustomContextMenu);
    hplbLayout->addWidget(DBGridHplb, 1);
    auto *note =
        new QLabel(QStringLiteral("注意：设置货品类别后，用户组将看不到这些类别的货品"), TabHplb);
    note->setStyleSheet(QStringLiteral("color: #b03020;"));
    hplbLayout->addWidget(note);
    PageControl1->addTab(TabHplb, QStringLiteral("货品类别权限"));
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    btnApply = new QPushButton(QStringLiteral("应用[&A]"), this);
    btnApply->setObjectName(QStringLiteral("btnApply"));
    btnClose = new QPushButton(QStringLiteral("关闭(&C)"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    buttons->addWidget(btnApply);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);

    auto *hplbMenu = new QMenu(DBGridHplb);
    aAddHplb = hplbMenu->addAction(QStringLiteral("增加(&A)"));
    aAddHplb->setObjectName(QStringLiteral("aAddHplb"));
    aDeleteHplb = hplbMenu->addAction(QStringLiteral("删除(&D)"));
    aDeleteHplb->setObjectName(QStringLiteral("aDeleteHplb"));
    connect(DBGridHplb, &QWidget::customContextMenuRequested, this,
            [this, hplbMenu](const QPoint &at) { hplbMenu->popup(DBGridHplb->mapToGlobal(at)); });
    connect(aAddHplb, &QAction::triggered, this, [this] {
        Guarded([this] {
            if (!cdsUnRight.Active())
                return;
            cdsUnRight.Append();
            cdsUnRight.FieldByName(QStringLiteral("UserGroupNo"))->SetAsString(m_groupID);
        });
    });
    connect(aDeleteHplb, &QAction::triggered, this, [this] {
        Guarded([this] {
            if (cdsUnRight.Active() && !cdsUnRight.IsEmpty())
                cdsUnRight.Delete();
        });
    });
    DBGridHplb->OnEditButtonClick = [this](TDBGrid &) {
        chooseCategory();
    };

    connect(aAddGroup, &QAction::triggered, this, [this] { AddGroup(); });
    connect(aModifyGroup, &QAction::triggered, this, [this] { ModifyGroup(); });
    connect(aDeleteGroup, &QAction::triggered, this, [this] { DeleteGroup(); });
    connect(aClose, &QAction::triggered, this, [this] { Close(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { Close(); });
    connect(btnApply, &QPushButton::clicked, this, [this] { Apply(); });
    DBGridGroup->OnDblClick = [this](TDBGrid &) {
        ModifyGroup();
    };
    DBGridGroup->OnCellClick = [this](TDBGrid &, TColumn &) {
        if (PageControl1->currentWidget() == TabHplb)
            RefreshDeniedCategories();
    };
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (PageControl1->currentWidget() == TabHplb)
            RefreshDeniedCategories();
    });

    connect(fcTreeView1, &QTreeWidget::currentItemChanged, this, [this] { nodeSelected(); });
    connect(fcTreeView1, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem *item) { nodeChanged(item); });
    connect(fcTreeView1, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem *item) { nodeExpanded(item); });
    connect(fcTreeView2, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem *item) { itemChanged(item); });
    fcTreeView1->installEventFilter(this);
}

TfrmPopedom::~TfrmPopedom()
{
    if (m_eventsSaved && DataExists())
        Data().AppUserGroup().Events() = m_savedGroupEvents;
    DBGridGroup->SetDataSource(nullptr);
    DBGridHplb->SetDataSource(nullptr);
}

void TfrmPopedom::FormShow()
{
    TFrmAddTab::FormShow();
    TClientDataSet &groups = Data().AppUserGroup();
    if (!m_eventsSaved) {
        m_savedGroupEvents = groups.Events();
        m_eventsSaved = true;
        groups.Events().AfterScroll = [this](TClientDataSet &) {
            groupChanged();
        };
        groups.Events().AfterOpen = [this](TClientDataSet &) {
            groupChanged();
        };
    }
    groups.Close();
    groups.Open();
    DBGridGroup->SetDataSource(&Data().sAppUserGroup());
    groupChanged();
}

void TfrmPopedom::FormClose()
{
    if (m_eventsSaved && DataExists()) {
        Data().AppUserGroup().Events() = m_savedGroupEvents;
        m_eventsSaved = false;
    }
    TFrmAddTab::FormClose();
}

void TfrmPopedom::updateGroupActions()
{
    TClientDataSet &groups = Data().AppUserGroup();
    const bool any = groups.Active() && !groups.IsEmpty();
    aModifyGroup->setEnabled(any);
    aDeleteGroup->setEnabled(any);
}

void TfrmPopedom::groupChanged()
{
    TClientDataSet &groups = Data().AppUserGroup();
    const bool any = groups.Active() && !groups.IsEmpty() && groups.State() == dsBrowse;
    const QString id = any ? fieldText(groups, QStringLiteral("ID")) : QString();
    updateGroupActions();
    if (id == m_groupID && !m_nodes.isEmpty())
        return;
    m_groupID = id;
    m_groupName = any ? fieldText(groups, QStringLiteral("gName")) : QString();
    Guarded([this] { LoadFunctionTree(); });
    if (PageControl1->currentWidget() == TabHplb)
        Guarded([this] { RefreshDeniedCategories(); });
}

void TfrmPopedom::LoadFunctionTree()
{
    m_updating = true;
    fcTreeView2->clear();
    m_itemsOwner = nullptr;
    m_nodes = LoadFuncTree(Data().Tmpl(), m_groupID);
    m_items = FillFuncTree(fcTreeView1, m_nodes, true);
    m_updating = false;
}

TFuncNode *TfrmPopedom::nodeOf(QTreeWidgetItem *item)
{
    if (!item)
        return nullptr;
    const int index = item->data(0, Qt::UserRole).toInt();
    return index >= 0 && index < m_nodes.size() ? &m_nodes[index] : nullptr;
}

QTreeWidgetItem *TfrmPopedom::NodeItem(const QString &funcNodeNo) const
{
    for (int i = 0; i < m_nodes.size(); ++i) {
        if (m_nodes[i].FuncNodeNo == funcNodeNo)
            return m_items.value(i);
    }
    return nullptr;
}

void TfrmPopedom::SetNodeChecked(const QString &funcNodeNo, bool checked)
{
    if (QTreeWidgetItem *item = NodeItem(funcNodeNo))
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

bool TfrmPopedom::SetItemChecked(const QString &funcItemNo, bool checked)
{
    for (QTreeWidgetItemIterator it(fcTreeView2); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == funcItemNo) {
            (*it)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
            return true;
        }
    }
    return false;
}

QStringList TfrmPopedom::itemCodesOf(const QString &objectType)
{
    QStringList codes;
    TTmpDataSet tmp;
    tmp->SetCommandText(QStringLiteral("select FuncItemNo from Sys_FuncItem where ObjectType=") +
                        QuotedStr(objectType));
    tmp->Open();
    for (tmp->First(); !tmp->Eof(); tmp->Next())
        codes << tmp->Fields(0)->AsString();
    return codes;
}

void TfrmPopedom::nodeSelected()
{
    QTreeWidgetItem *item = fcTreeView1->currentItem();
    m_updating = true;
    fcTreeView2->clear();
    m_itemsOwner = nullptr;
    m_updating = false;
    TFuncNode *node = nodeOf(item);
    if (!node || item->checkState(0) != Qt::Checked)
        return;
    m_itemsOwner = item;
    const QStringList granted = node->FuncItems.split(QLatin1Char(','), Qt::SkipEmptyParts);
    Guarded([&] {
        TTmpDataSet tmp;
        tmp->SetCommandText(QStringLiteral("select FuncItemNo,FuncItemName,PrevItemNo,FuncItemDesc "
                                           "from Sys_FuncItem where ObjectType=") +
                            QuotedStr(node->ObjectType));
        tmp->Open();
        m_updating = true;
        QHash<QString, QTreeWidgetItem *> byNo;
        QList<QPair<QTreeWidgetItem *, QString>> pending;
        for (tmp->First(); !tmp->Eof(); tmp->Next()) {
            const QString no = fieldText(*tmp, QStringLiteral("FuncItemNo"));
            auto *entry = new QTreeWidgetItem(
                {QStringLiteral("%1: %2").arg(fieldText(*tmp, QStringLiteral("FuncItemName")),
                                              fieldText(*tmp, QStringLiteral("FuncItemDesc")))});
            entry->setData(0, Qt::UserRole, no);
            entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
            entry->setCheckState(0, granted.contains(no) ? Qt::Checked : Qt::Unchecked);
            byNo.insert(no, entry);
            pending.append({entry, fieldText(*tmp, QStringLiteral("PrevItemNo"))});
        }
        for (const auto &[entry, parentNo] : pending) {
            QTreeWidgetItem *parent = byNo.value(parentNo);
            if (parent && parent != entry)
                parent->addChild(entry);
            else
                fcTreeView2->addTopLevelItem(entry);
        }
        fcTreeView2->expandAll();
        m_updating = false;
    });
    m_updating = false;
}

void TfrmPopedom::storeItemChecks()
{
    TFuncNode *node = nodeOf(m_itemsOwner);
    if (!node)
        return;
    QStringList codes;
    for (QTreeWidgetItemIterator it(fcTreeView2); *it; ++it) {
        if ((*it)->checkState(0) == Qt::Checked)
            codes << (*it)->data(0, Qt::UserRole).toString();
    }
    node->FuncItems = codes.join(QLatin1Char(','));
}

void TfrmPopedom::itemChanged(QTreeWidgetItem *)
{
    if (!m_updating)
        storeItemChecks();
}

void TfrmPopedom::grantAllItems(QTreeWidgetItem *item, bool granted)
{
    TFuncNode *node = nodeOf(item);
    if (!node || item->childCount() > 0 || node->ObjectType.isEmpty())
        return;
    node->FuncItems = granted ? itemCodesOf(node->ObjectType).join(QLatin1Char(',')) : QString();
}

void TfrmPopedom::setChecked(QTreeWidgetItem *item, bool checked)
{
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    if (TFuncNode *node = nodeOf(item))
        node->Granted = checked;
}

void TfrmPopedom::pushDown(QTreeWidgetItem *item, bool checked)
{
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem *child = item->child(i);
        setChecked(child, checked);
        grantAllItems(child, checked);
        pushDown(child, checked);
    }
}

void TfrmPopedom::pullUp(QTreeWidgetItem *item, bool checked)
{
    for (QTreeWidgetItem *parent = item->parent(); parent; parent = parent->parent()) {
        bool keep = checked;
        if (!checked) {
            for (int i = 0; i < parent->childCount() && !keep; ++i)
                keep = parent->child(i)->checkState(0) == Qt::Checked;
        }
        setChecked(parent, keep);
    }
}

void TfrmPopedom::nodeChanged(QTreeWidgetItem *item)
{
    if (m_updating)
        return;
    TFuncNode *node = nodeOf(item);
    if (!node)
        return;
    const bool checked = item->checkState(0) == Qt::Checked;
    if (node->Granted == checked)
        return;
    m_updating = true;
    Guarded([&] {
        node->Granted = checked;
        grantAllItems(item, checked);
        pushDown(item, checked);
        pullUp(item, checked);
    });
    m_updating = false;
    if (item == fcTreeView1->currentItem())
        nodeSelected();
}

void TfrmPopedom::nodeExpanded(QTreeWidgetItem *item)
{
    storeItemChecks();
    QTreeWidgetItem *parent = item->parent();
    const int count = parent ? parent->childCount() : fcTreeView1->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem *sibling = parent ? parent->child(i) : fcTreeView1->topLevelItem(i);
        if (sibling != item)
            sibling->setExpanded(false);
    }
}

bool TfrmPopedom::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == fcTreeView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Y || key == Qt::Key_N) && fcTreeView1->currentItem()) {
            fcTreeView1->currentItem()->setCheckState(0, key == Qt::Key_Y ? Qt::Checked
                                                                          : Qt::Unchecked);
            return true;
        }
    }
    return TFrmAddTab::eventFilter(watched, event);
}

bool TfrmPopedom::Apply()
{
    bool done = false;
    if (!Guarded([&] {
            done = PageControl1->currentWidget() == TabHplb ? applyDeniedCategories()
                                                            : applyFunctions();
        }))
        return false;
    if (done)
        MessageBox(QStringLiteral("保存成功！"), QStringLiteral("提示"), TMsgIcon::Information);
    return done;
}

bool TfrmPopedom::applyFunctions()
{
    if (m_groupID.isEmpty())
        return false;
    storeItemChecks();
    QStringList statements;
    statements << QStringLiteral(
                      "delete from Sys_GroupFuncRight where CompanyCode=%1 and UserGroupNo=%2")
                      .arg(QuotedStr(CompanyCode), m_groupID);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    for (const TFuncNode &node : std::as_const(m_nodes)) {
        if (!node.Granted || node.ObjectName.isEmpty())
            continue;
        statements << QStringLiteral("insert into Sys_GroupFuncRight values(%1,%2,%3,%4,%5,%6)")
                          .arg(QuotedStr(CompanyCode), m_groupID, QuotedStr(node.FuncNodeNo),
                               QuotedStr(node.ObjectName), QuotedStr(node.FuncItems),
                               QuotedStr(today));
    }
    if (!ExecSQLScript(statements)) {
        MessageBox(QStringLiteral("权限保存失败，请重新应用！"), QStringLiteral("错误"),
                   TMsgIcon::Error);
        return false;
    }
    return true;
}

void TfrmPopedom::RefreshDeniedCategories()
{
    if (!cdsUnRight.RemoteServer()) {
        cdsUnRight.SetRemoteServer(&Data().cn());
        cdsUnRight.SetProviderName(QStringLiteral("pTmp"));
    }
    OpenQuery(cdsUnRight,
              QStringLiteral(" select H.UserGroupNo,H.ItemType,L.TypeName as aHPLBMC  from "
                             "Sys_GroupUnRight_HPLB H Left outer join Pub_ItemType L on "
                             "H.ItemType=L.ItemType where H.UserGroupNo=") +
                  (m_groupID.isEmpty() ? QStringLiteral("0") : m_groupID) +
                  QStringLiteral(" order by H.UserGroupNo"));
}

bool TfrmPopedom::applyDeniedCategories()
{
    if (m_groupID.isEmpty() || !cdsUnRight.Active())
        return false;
    cdsUnRight.CheckBrowseMode();
    QStringList statements{QStringLiteral("delete from Sys_GroupUnRight_HPLB where UserGroupNo=") +
                           m_groupID};
    for (int row = 0; row < cdsUnRight.RowCount(); ++row) {
        const TClientDataSet::TRowScope scope(cdsUnRight, row);
        const QString itemType = fieldText(cdsUnRight, QStringLiteral("ItemType"));
        if (itemType.isEmpty())
            continue;
        const QString group = fieldText(cdsUnRight, QStringLiteral("UserGroupNo"));
        statements << QStringLiteral(
                          " insert into Sys_GroupUnRight_HPLB(UserGroupNo,ItemType)  values(") +
                          (group.isEmpty() ? m_groupID : group) + QLatin1Char(',') +
                          QString::number(itemType.toLongLong()) + QLatin1Char(')');
    }
    if (!ExecSQLScript(statements)) {
        MessageBox(QStringLiteral("货品类别权限保存失败，请重新应用！"), QStringLiteral("错误"),
                   TMsgIcon::Error);
        return false;
    }
    RefreshDeniedCategories();
    return true;
}

void TfrmPopedom::chooseCategory()
{
    if (!cdsUnRight.Active())
        return;
    TItemTypeChooser chooser(this);
    if (chooser.exec() != QDialog::Accepted || chooser.code().isEmpty())
        return;
    Guarded([&] {
        if (cdsUnRight.State() == dsBrowse)
            cdsUnRight.Edit();
        cdsUnRight.FieldByName(QStringLiteral("ItemType"))->SetAsString(chooser.code());
        cdsUnRight.FieldByName(QStringLiteral("aHPLBMC"))->SetAsString(chooser.name());
    });
}

bool TfrmPopedom::openGroupEdit(const QString &mode)
{
    const bool saved = GlobalObj().MDIWindows.OpenModal(
        QStringLiteral("TfrmUserGroupEdit"), [&mode](TFrmRoot &form) {
            SetModeText(&form, mode);
            if (auto *edit = qobject_cast<TfrmComEdit *>(&form))
                edit->EditMode = mode;
        });
    // The list shows what the edit form stored; the current group's tree follows.
    Guarded([this] {
        TClientDataSet &groups = Data().AppUserGroup();
        const QString id = m_groupID;
        groups.Close();
        groups.Open();
        if (!id.isEmpty())
            groups.Locate(QStringLiteral("ID"), id);
        m_nodes.clear();
        groupChanged();
    });
    return saved;
}

void TfrmPopedom::AddGroup()
{
    openGroupEdit(QStringLiteral("A"));
}

void TfrmPopedom::ModifyGroup()
{
    TClientDataSet &groups = Data().AppUserGroup();
    if (!groups.Active() || groups.IsEmpty())
        return;
    openGroupEdit(QStringLiteral("M"));
}

void TfrmPopedom::DeleteGroup()
{
    TClientDataSet &groups = Data().AppUserGroup();
    if (!groups.Active() || groups.IsEmpty())
        return;
    const QString name = fieldText(groups, QStringLiteral("gName"));
    const QString id = fieldText(groups, QStringLiteral("ID"));
    bool referenced = false;
    if (!Guarded([&] {
            referenced = HasRows(QStringLiteral(" select top 1 1 from AppUser where gName = ") +
                                 QuotedStr(name));
        }))
        return;
    if (referenced) {
        MessageBox(QStringLiteral("用户组被【用户管理】引用,不能删除！"), QStringLiteral("提示"),
                   TMsgIcon::Warning);
        return;
    }
    if (!Confirm(QStringLiteral("确定要删除此用户组别吗?"), QStringLiteral("资料删除"), true))
        return;
    Guarded([&] {
        groups.Delete();
        if (groups.ApplyUpdates(-1) > 0) {
            groups.CancelUpdates();
            return;
        }
        ExecSQL(
            QStringLiteral("delete from Sys_GroupFuncRight where CompanyCode=%1 and UserGroupNo=%2")
                .arg(QuotedStr(CompanyCode), id));
    });
    m_nodes.clear();
    groupChanged();
}
