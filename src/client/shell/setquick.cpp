// The quick-launch set-up dialog.
#include "client/shell/setquick.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TfrmSetQuick::TfrmSetQuick(TQuickBar *bar, QWidget *parent)
    : TFrmRoot(parent)
    , m_bar(bar)
    , m_kind(bar && !bar->Kind().isEmpty() ? bar->Kind() : QStringLiteral("office"))
{
    setObjectName(QStringLiteral("frmSetQuick"));
    setWindowTitle(QStringLiteral("设置快捷菜单"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(560, 440);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("所有菜单项"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("快捷菜单项"), this), 0, 2);
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    grid->addWidget(TreeView1, 1, 0);
    auto *middle = new QVBoxLayout;
    middle->addStretch();
    btnAdd = new QPushButton(QStringLiteral("添加"), this);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnDelete = new QPushButton(QStringLiteral("删除"), this);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    btnUp = new QPushButton(QStringLiteral("上移"), this);
    btnUp->setObjectName(QStringLiteral("btnUp"));
    btnDown = new QPushButton(QStringLiteral("下移"), this);
    btnDown->setObjectName(QStringLiteral("btnDown"));
    for (QPushButton *button : {btnAdd, btnDelete, btnUp, btnDown})
        middle->addWidget(button);
    middle->addStretch();
    grid->addLayout(middle, 1, 1);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->addWidget(ListBox1, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    btnSave = new QPushButton(QStringLiteral("保存(&O)"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnClose = new QPushButton(QStringLiteral("关闭(&C)"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    connect(btnAdd, &QPushButton::clicked, this, [this] { AddSelected(); });
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this] { AddSelected(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { DeleteSelected(); });
    connect(btnUp, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(btnDown, &QPushButton::clicked, this, [this] { MoveSelected(1); });
    connect(btnSave, &QPushButton::clicked, this, [this] { Save(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TfrmSetQuick::FormShow()
{
    TFrmRoot::FormShow();
    Guarded([this] {
        m_nodes = LoadFuncTree(Data().Tmpl(), QStringLiteral("0"));
        FillFuncTree(TreeView1, m_nodes, false);
        m_list = TQuickBar::LoadList(FuncRight().UserCode, m_kind, Data().Tmpl());
    });
    fillList(m_list.isEmpty() ? -1 : 0);
    if (TreeView1->topLevelItemCount() > 0)
        TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
}

void TfrmSetQuick::fillList(int selected)
{
    ListBox1->clear();
    for (const TQuickItem &item : std::as_const(m_list))
        ListBox1->addItem(item.Caption);
    if (selected >= 0 && selected < ListBox1->count()) {
        ListBox1->setCurrentRow(selected);
        ListBox1->item(selected)->setSelected(true);
    }
}

bool TfrmSetQuick::SelectNode(const QString &funcNodeNo)
{
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it) {
        const int index = (*it)->data(0, Qt::UserRole).toInt();
        if (index >= 0 && index < m_nodes.size() && m_nodes[index].FuncNodeNo == funcNodeNo) {
            TreeView1->setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

void TfrmSetQuick::AddSelected()
{
    QTreeWidgetItem *item = TreeView1->currentItem();
    if (!item) {
        MessageBox(QStringLiteral("请选择左边树功能节点！"), QStringLiteral("提示"),
                   TMsgIcon::Information);
        return;
    }
    const TFuncNode &node = m_nodes.at(item->data(0, Qt::UserRole).toInt());
    if (node.IsTop()) {
        MessageBox(QStringLiteral("请选择子节点！"), QStringLiteral("提示"), TMsgIcon::Information);
        return;
    }
    for (const TQuickItem &entry : std::as_const(m_list)) {
        if (entry.Caption == node.FuncNodeName)
            return;
    }
    m_list.append({node.FuncNodeName, node.FuncNodeNo, node.ObjectType, node.ObjectName});
    fillList(int(m_list.size()) - 1);
}

void TfrmSetQuick::DeleteSelected()
{
    for (int row = ListBox1->count() - 1; row >= 0; --row) {
        if (ListBox1->item(row)->isSelected())
            m_list.removeAt(row);
    }
    fillList(-1);
}

void TfrmSetQuick::MoveSelected(int step)
{
    const int row = ListBox1->currentRow();
    const bool selected = row >= 0 && ListBox1->item(row)->isSelected();
    if (!selected) {
        QApplication::beep();
        if (!m_list.isEmpty())
            fillList(0);
        return;
    }
    const int target = row + step;
    if (target < 0 || target >= m_list.size()) {
        QApplication::beep();
        return;
    }
    m_list.move(row, target);
    fillList(target);
}

QStringList TfrmSetQuick::SaveStatements(const QString &userCode, const QString &kind,
                                         const QList<TQuickItem> &list)
{
    QStringList statements{QStringLiteral(" delete from Sys_UserQuick where UserNo=") +
                           QuotedStr(userCode) + QStringLiteral(" and VZSystem=") +
                           QuotedStr(kind)};
    for (int i = 0; i < list.size(); ++i)
        statements << QStringLiteral(" insert into Sys_UserQuick(VZSystem,UserNo,XH,FuncNodeNo) "
                                     "Values(") +
                          QuotedStr(kind) + QLatin1Char(',') + QuotedStr(userCode) +
                          QLatin1Char(',') + QString::number(i) + QLatin1Char(',') +
                          QuotedStr(list[i].FuncNodeNo) + QLatin1Char(')');
    return statements;
}

bool TfrmSetQuick::Save()
{
    if (!ExecSQLScript(SaveStatements(FuncRight().UserCode, m_kind, m_list))) {
        MessageBox(QStringLiteral("快捷菜单保存失败！"), QStringLiteral("错误"), TMsgIcon::Error);
        return false;
    }
    if (m_bar)
        Guarded([this] { m_bar->Rebuild(); });
    SetModalResult(mrOk);
    return true;
}
