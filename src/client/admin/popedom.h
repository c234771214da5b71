// The rights form "权限分配": a user group's functions and their items, checked in the function
// tree and stored in Sys_GroupFuncRight; the goods categories the group must not see; and
// adding, changing and deleting groups.
#pragma once

#include "client/admin/functree.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/forms/addtabform.h"

#include <QList>

class QAction;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TDBGrid;

class TfrmPopedom : public TFrmAddTab
{
    Q_OBJECT
public:
    explicit TfrmPopedom(QWidget *parent = nullptr);
    ~TfrmPopedom() override;

    // The group whose rights show, and its name.
    const QString &GroupID() const { return m_groupID; }
    const QString &GroupName() const { return m_groupName; }
    const QList<TFuncNode> &Nodes() const { return m_nodes; }
    // The tree item of a node, by FuncNodeNo.
    QTreeWidgetItem *NodeItem(const QString &funcNodeNo) const;
    void SetNodeChecked(const QString &funcNodeNo, bool checked);
    // Checks an item of the selected node's list, by its code.
    bool SetItemChecked(const QString &funcItemNo, bool checked);

    // Reloads the function tree for the current group.
    void LoadFunctionTree();
    // Stores the page shown: the function rights, or the denied goods categories.
    bool Apply();
    void AddGroup();
    void ModifyGroup();
    void DeleteGroup();
    void RefreshDeniedCategories();

    TDBGrid *DBGridGroup;
    QTabWidget *PageControl1;
    QWidget *TabFunc;
    QWidget *TabHplb;
    QTreeWidget *fcTreeView1 = nullptr;
    QTreeWidget *fcTreeView2;
    TDBGrid *DBGridHplb;
    TClientDataSet cdsUnRight;
    TDataSource sUnRight;
    QAction *aAddGroup;
    QAction *aModifyGroup;
    QAction *aDeleteGroup;
    QAction *aClose;
    QAction *aAddHplb;
    QAction *aDeleteHplb;
    QPushButton *btnApply;
    QPushButton *btnClose;

protected:
    void FormShow() override;
    void FormClose() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void groupChanged();
    void updateGroupActions();
    void nodeSelected();
    void nodeChanged(QTreeWidgetItem *item);
    void itemChanged(QTreeWidgetItem *item);
    void nodeExpanded(QTreeWidgetItem *item);
    void storeItemChecks();
    void setChecked(QTreeWidgetItem *item, bool checked);
    void pushDown(QTreeWidgetItem *item, bool checked);
    void pullUp(QTreeWidgetItem *item, bool checked);
    void grantAllItems(QTreeWidgetItem *item, bool granted);
    TFuncNode *nodeOf(QTreeWidgetItem *item);
    QStringList itemCodesOf(const QString &objectType);
    bool applyFunctions();
    bool applyDeniedCategories();
    void chooseCategory();
    bool openGroupEdit(const QString &mode);

    QString m_groupID;
    QString m_groupName;
    QList<TFuncNode> m_nodes;
    QList<QTreeWidgetItem *> m_items;
    QTreeWidgetItem *m_itemsOwner = nullptr; // the node whose items fcTreeView2 shows
    bool m_updating = false;
    bool m_eventsSaved = false;
    TDataSetEvents m_savedGroupEvents;
};
