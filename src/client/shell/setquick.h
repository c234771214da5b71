// The dialog "设置快捷菜单": the user picks functions from the function tree for the
// quick-launch bar, orders them and saves the list in Sys_UserQuick.
#pragma once

#include "client/admin/functree.h"
#include "client/forms/rootform.h"
#include "client/shell/quickbar.h"

#include <QList>

class QListWidget;
class QPushButton;
class QTreeWidget;

class TfrmSetQuick : public TFrmRoot
{
    Q_OBJECT
public:
    // bar is rebuilt after a save; it may be null.
    explicit TfrmSetQuick(TQuickBar *bar, QWidget *parent = nullptr);

    const QList<TQuickItem> &QuickList() const { return m_list; }
    // The statements a save runs, in order.
    static QStringList SaveStatements(const QString &userCode, const QString &kind,
                                      const QList<TQuickItem> &list);

    void AddSelected();
    void DeleteSelected();
    void MoveSelected(int step);
    bool Save();
    // Selects the tree node of a FuncNodeNo.
    bool SelectNode(const QString &funcNodeNo);

    QTreeWidget *TreeView1;
    QListWidget *ListBox1;
    QPushButton *btnAdd;
    QPushButton *btnDelete;
    QPushButton *btnUp;
    QPushButton *btnDown;
    QPushButton *btnSave;
    QPushButton *btnClose;

protected:
    void FormShow() override;

private:
    void fillList(int selected);

    TQuickBar *m_bar;
    QString m_kind;
    QList<TFuncNode> m_nodes;
    QList<TQuickItem> m_list;
};
