// The window manager of the main frame: one workspace window per form class, the limit of
// open windows, and the tab bar that lists them.
#pragma once

#include <QHash>
#include <QMdiArea>
#include <QPointer>
#include <QString>
#include <QTabBar>

#include <functional>

class QMdiSubWindow;
class QWidget;
class TFrmRoot;

// How a window class is made; forms register themselves by class name ("TfrmStockCode").
using TFormFactory = std::function<TFrmRoot *()>;

class TFormRegistry
{
public:
    static void Register(const QString &className, TFormFactory factory);
    static bool Contains(const QString &className);
    // A new, created (FormCreate has run) instance; nullptr for an unknown class.
    static TFrmRoot *Create(const QString &className);

private:
    static QHash<QString, TFormFactory> &factories();
};

// The mode text a window was opened with (OpenModalWithText, OpenHRForm): a window that
// takes one reads it when it shows.
QString ModeText(const QObject *form);
void SetModeText(QObject *form, const QString &text);

// Tells the user that a window this version does not have cannot open (through the window
// manager's OnWindowMissing when one is installed).
void SayWindowMissing(const QString &className);

class TShowMDIWindowObj
{
public:
    static constexpr int MaxChildren = 30;
    static const QString WorkspaceTab; // "业务导航"

    void SetMdiArea(QMdiArea *area);
    void SetTabBar(QTabBar *tabBar);
    QMdiArea *MdiArea() const { return m_area; }
    QTabBar *TabBar() const { return m_tabBar; }

    // Shows the window of the class, creating it when it is not open. The window's name is
    // the class name without its first letter (TfrmHp -> frmHp). Refuses with a message when
    // more than MaxChildren windows are open, and says so when the class does not exist.
    // prepare runs on a new window before it shows.
    QWidget *ShowForm(const QString &className,
                      const std::function<void(TFrmRoot &form)> &prepare = {});
    // Creates the window of the class, runs it modally and frees it; true when it ended with
    // OK. prepare runs between creation and showing (a caller's settings, a mode text).
    // Says so when the class does not exist.
    bool OpenModal(const QString &className,
                   const std::function<void(TFrmRoot &form)> &prepare = {});
    // OpenModal with the text as the window's mode text ("office", "0").
    bool OpenModalWithText(const QString &className, const QString &text);
    // The personnel records: the wage tables open modally, any other kind opens the personnel
    // window with the kind as its mode text, handed to it before it shows.
    QWidget *OpenHRForm(const QString &kind);

    // A report window that opened records itself in the workspace's list of frequently used
    // reports; the main frame installs the handler.
    std::function<void(const QString &caption)> OnAddRecentReport;
    void AddRecentReport(const QString &caption)
    {
        if (OnAddRecentReport)
            OnAddRecentReport(caption);
    }

    // Replaces the message that a window is not provided: a scripted client reports it to
    // its caller instead of waiting for a click on a message box.
    std::function<void(const QString &what)> OnWindowMissing;

    // An open window by component name, or nullptr.
    QWidget *FindForm(const QString &name) const;
    int ChildCount() const;

    // Places a form in the workspace as a child window with the standard geometry.
    QMdiSubWindow *AddChild(QWidget *form);
    // The standard size and position of a child window, from the session geometry.
    void PlaceChild(QWidget *window) const;

    // The tab of a caption: selected, added first when missing.
    void TabShown(const QString &caption);
    // Removes the tab whose trimmed text equals the trimmed caption.
    void TabClosed(const QString &caption);
    // A window that changed its caption (a document of another kind) keeps its tab.
    void TabRenamed(const QString &oldCaption, const QString &newCaption);
    // Shows, raises and focuses the window whose caption is the tab's trimmed text.
    void TabSelected(int index);
    // Closes the tab's window; a tab without a window just goes.
    void TabCloseRequested(int index);

private:
    QWidget *windowForCaption(const QString &caption) const;

    QPointer<QMdiArea> m_area;
    QPointer<QTabBar> m_tabBar;
    bool m_updatingTabs = false;
};
