// The quick-launch bar: one large button per function the user chose (the shared list of
// "pub" for a user without one of their own), and the exit button at the end.
#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QToolBar>

#include <functional>

class QAction;
class TClientDataSet;

struct TQuickItem
{
    QString Caption; // FuncNodeName
    QString FuncNodeNo;
    QString ObjectType;
    QString ObjectName;
};

class TQuickBar
{
public:
    // The function tree a system kind's list refers to ("office": Sys_FuncTree_office).
    static QString TreeTableOf(const QString &kind);
    // The query of one user's list, in its order.
    static QString ListSQL(const QString &userCode, const QString &kind, const QString &treeTable);
    // The user's list, or the shared list of "pub" when the user has none (run on dataSet).
    static QList<TQuickItem> LoadList(const QString &userCode, const QString &kind,
                                      TClientDataSet &dataSet);

    // Fills the toolbar for the logged-in user and remembers the kind and the toolbar for
    // Rebuild(). Nothing happens to a hidden toolbar.
    void Build(const QString &kind, QToolBar *bar);
    void Rebuild();

    const QString &Kind() const { return m_kind; }
    QToolBar *Bar() const { return m_bar; }

    // Clicks run the frame's tile handler with the button's name (ObjectName + "_1", or
    // "btnExit").
    std::function<void(const QString &name)> OnClick;
    // Whether a button's function may be used now; a button for a withheld function shows
    // disabled (its click would do nothing).
    std::function<bool(const QString &name)> IsEnabled;

private:
    QString m_kind;
    QPointer<QToolBar> m_bar;
    QList<QPointer<QAction>> m_actions;
};
