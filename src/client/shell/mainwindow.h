// The main window TfrmMain: the MDI frame with the main menu, the quick-launch bar, the
// workspace, the tab bar of open windows and the status bar. Every menu item, large button,
// workspace tile and quick-launch button opens its window through one table of entries.
#pragma once

#include "client/shell/quickbar.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>

#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class QToolBar;
class TfrmMDIClient;
class TTabControlEx;

class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The frame's set-up after the login: the user's rights and data scope, the window
    // manager's tab bar, the child geometry, captions and status panels, the administrator's
    // items, the menu rights and the quick-launch bar.
    void FormCreate();

    QMdiArea *mdiArea() const { return m_mdiArea; }
    TfrmMDIClient *Workspace() const { return m_workspace; }
    TTabControlEx *TabControl() const { return TabControlEx1; }
    QToolBar *QuickToolBar() const { return dxbrQuick; }
    QToolBar *LargeToolBar() const { return dxbrTool; }
    TQuickBar &QuickBar() { return m_quick; }
    QLabel *StatusPanel(int index) const { return m_panels.value(index); }

    // The frame's components by name: menu items, sub-menus and large buttons. Rights are
    // applied to them (ApplyMenuRights) and tiles click them.
    QObject *Components() const { return m_components; }
    // The menu item of the name, whatever its letters' case (rights objects ignore it too).
    QAction *Item(const QString &name) const;
    QStringList ItemNames() const;

    // The tile handler shared by the workspace tiles, the report list and the quick-launch
    // buttons: "btnExit" closes the frame; a name ending in "_" and one more character loses
    // those two; the item of that name is clicked; other names do nothing.
    void TileClick(const QString &name);

    // The client upload of "上传版本": the program file goes into the server's VersionInfor
    // under the product code and version. True when it was stored.
    bool UploadClient(const QString &fileName);

    // The closing question: TFrmExit for users with the backup right, else "确实要退出系统吗？".
    bool FormCloseQuery();

    // The child-window geometry of the session, from the frame's present size.
    void ComputeChildGeometry();
    // Status panel 3: "2024年03月05日 星期二".
    static QString StatusDateText(const QDate &date);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void runOpener(const QString &name);
    void showChild(const QString &className, const QString &kind);
    void layOutWorkspace();
    void chooseUploadFile();
    void showCalendar();
    void showAbout();

    QObject *m_components;
    QMdiArea *m_mdiArea;
    TfrmMDIClient *m_workspace = nullptr;
    QMdiSubWindow *m_workspaceWindow = nullptr;
    TTabControlEx *TabControlEx1;
    QMenuBar *dxbrMain = nullptr;
    QToolBar *dxbrQuick = nullptr;
    QToolBar *dxbrTool = nullptr;
    QMenu *m_helpMenu = nullptr;
    QList<QLabel *> m_panels;
    QHash<QString, QAction *> m_items;
    QHash<QString, std::function<void()>> m_openers;
    TQuickBar m_quick;
    bool m_created = false;
    bool m_shown = false;
    bool m_closing = false;
};
