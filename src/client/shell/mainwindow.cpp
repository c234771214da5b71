// The main window: menus, quick-launch bar, workspace, tab bar and status bar.
#include "client/shell/mainwindow.h"

#include "client/admin/exitform.h"
#include "client/common/sqltext.h"
#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/forms/sharedroutines.h"
#include "client/shell/hooks.h"
#include "client/shell/mainmenu.h"
#include "client/shell/mdiclient.h"
#include "client/shell/pictures.h"
#include "client/shell/setquick.h"
#include "client/shell/startform.h"
#include "client/shell/tabcontrolex.h"
#include "client/widgets/messagebox.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString VendorPage = QStringLiteral("https://vzclient.example.com/");

} // namespace

void TfrmMain::createMenus()
{
    const QHash<QString, std::function<void()>> commands{
        {QStringLiteral("ImportHp"),
         [] {
             ImportFromExcel(QStringLiteral("hp"), QStringLiteral("hp"), 0, true);
         }},
        {QStringLiteral("ImportYg"),
         [] {
             ImportFromExcel(QStringLiteral("yg"), QStringLiteral("yg"), 0, true);
         }},
        {QStringLiteral("Restore"),
         [] {
             RestoreFromScript();
         }},
        {QStringLiteral("Compact"),
         [] {
             if (Data().cn().AppServer().CompactDatabase(QString(), QString()).toInt() == 1)
                 ShowMessage(QStringLiteral("压缩数据库成功！"));
         }},
        {QStringLiteral("Alert"),
         [] {
             ShowAlert(QStringLiteral("audit_office"), false);
         }},
        {QStringLiteral("Exit"),
         [this] {
             close();
         }},
        {QStringLiteral("SetQuick"),
         [this] {
             std::unique_ptr<TfrmSetQuick> dialog(CreateForm<TfrmSetQuick>(&m_quick, this));
             dialog->ShowModal();
         }},
        {QStringLiteral("Calendar"),
         [this] {
             showCalendar();
         }},
        {QStringLiteral("Upload"),
         [this] {
             chooseUploadFile();
         }},
        {QStringLiteral("Url"),
         [] {
             QDesktopServices::openUrl(QUrl(VendorPage));
         }},
        {QStringLiteral("About"),
         [this] {
             showAbout();
         }},
    };

    QMenu *menu = nullptr;
    QMenu *subMenu = nullptr;
    for (const TMainMenuEntry &entry : MainMenuEntries()) {
        const QString name = QLatin1String(entry.name);
        const QString caption = QString::fromUtf8(entry.caption);
        const QString target = entry.target ? QString::fromUtf8(entry.target) : QString();
        const QString text = entry.text ? QString::fromUtf8(entry.text) : QString();
        if (entry.open == TMainMenuEntry::Menu) {
            menu = dxbrMain->addMenu(caption);
            menu->setObjectName(name);
            subMenu = nullptr;
            if (name == QLatin1String("subHelp"))
                m_helpMenu = menu;
            continue;
        }
        QMenu *into = entry.sub && subMenu ? subMenu : menu;
        if (entry.separator)
            into->addSeparator();
        auto *action = new QAction(caption, m_components);
        action->setObjectName(name);
        m_items.insert(name, action);
        if (entry.open == TMainMenuEntry::Submenu) {
            subMenu = new QMenu(caption, menu);
            subMenu->setObjectName(name + QStringLiteral("Menu"));
            action->setMenu(subMenu);
            menu->addAction(action);
            continue;
        }
        into->addAction(action);
        std::function<void()> opener;
        switch (entry.open) {
        case TMainMenuEntry::Child:
            opener = [this, target, text] {
                showChild(target, text);
            };
            break;
        case TMainMenuEntry::Modal:
            opener = [target] {
                GlobalObj().MDIWindows.OpenModal(target);
            };
            break;
        case TMainMenuEntry::ModalText:
            opener = [target, text] {
                GlobalObj().MDIWindows.OpenModalWithText(target, text);
            };
            break;
        case TMainMenuEntry::HR:
            opener = [caption] {
                GlobalObj().MDIWindows.OpenHRForm(caption);
            };
            break;
        case TMainMenuEntry::SameAs:
            opener = [this, target] {
                runOpener(target);
            };
            break;
        case TMainMenuEntry::Command:
            opener = commands.value(target);
            break;
        case TMainMenuEntry::Menu:
        case TMainMenuEntry::Submenu:
            break;
        }
        m_openers.insert(name, opener);
        connect(action, &QAction::triggered, this, [this, name] { runOpener(name); });
    }
}

void TfrmMain::createToolBars()
{
    dxbrQuick = new QToolBar(QStringLiteral("快捷菜单"), this);
    dxbrQuick->setObjectName(QStringLiteral("dxbrQuick"));
    dxbrQuick->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    dxbrQuick->setIconSize(QSize(32, 32));
    dxbrQuick->setMovable(false);
    addToolBar(Qt::TopToolBarArea, dxbrQuick);

    // The fixed large buttons; the quick-launch bar that each user composes stands in for
    // them, so their bar starts hidden (the toolbars' context menu shows it).
    dxbrTool = new QToolBar(QStringLiteral("常用功能"), this);
    dxbrTool->setObjectName(QStringLiteral("dxbrTool"));
    dxbrTool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    dxbrTool->setIconSize(QSize(32, 32));
    struct Large
    {
        const char *name;
        const char *caption;
        TFunctionPicture picture;
    };
    static const Large buttons[] = {
        {"mnuCgsh1", "采购入库", fpBill},       {"mnuLl1", "物品领用", fpBill},
        {"mnuHp1", "货品资料", fpData},         {"mnuYg1", "人员资料", fpData},
        {"mnuBbCkkcHz1", "库存总帐", fpReport}, {"dxBarLargeButton6", "退出系统", fpExit},
    };
    for (const Large &button : buttons) {
        const QString name = QLatin1String(button.name);
        auto *action = new QAction(FunctionIcon(button.picture, 32),
                                   QString::fromUtf8(button.caption), m_components);
        action->setObjectName(name);
        action->setProperty("largeButton", true);
        m_items.insert(name, action);
        dxbrTool->addAction(action);
        const QString handler = name == QLatin1String("dxBarLargeButton6")
                                    ? QStringLiteral("Exit_mnu")
                                    : name.chopped(1);
        connect(action, &QAction::triggered, this, [this, handler] { runOpener(handler); });
    }
    addToolBar(Qt::TopToolBarArea, dxbrTool);
    dxbrTool->hide();
}

void TfrmMain::createStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    const int widths[] = {180, 100, 200, 50};
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i < 3) {
            panel->setFixedWidth(widths[i]);
            panel->setAlignment(Qt::AlignCenter);
            bar->addWidget(panel);
        } else {
            panel->setMinimumWidth(widths[i]);
            panel->setContentsMargins(6, 0, 0, 0);
            bar->addWidget(panel, 1);
        }
        m_panels << panel;
    }
}

TfrmMain::TfrmMain(QWidget *parent)
    : QMainWindow(parent)
    , m_components(new QObject(this))
    , m_mdiArea(new QMdiArea)
    , TabControlEx1(new TTabControlEx)
{
    setObjectName(QStringLiteral("frmMain"));
    m_components->setObjectName(QStringLiteral("Components"));
    setWindowTitle(SessionInfo().Product.Caption);
    resize(1024, 720);

    dxbrMain = menuBar();
    dxbrMain->setObjectName(QStringLiteral("dxbrMain"));
    createMenus();
    createToolBars();
    createStatusBar();

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_mdiArea->setObjectName(QStringLiteral("MDIClient"));
    m_mdiArea->setParent(central);
    m_mdiArea->setBackground(QColor(0xc9, 0xd6, 0xe8));
    TabControlEx1->setParent(central);
    layout->addWidget(m_mdiArea, 1);
    layout->addWidget(TabControlEx1);
    setCentralWidget(central);
    m_mdiArea->viewport()->installEventFilter(this);

    m_workspace = new TfrmMDIClient;
    m_workspace->setProperty("vzTabbed", true);
    m_workspace->OnTileClick = [this](const QString &name) {
        TileClick(name);
    };
    m_workspaceWindow =
        m_mdiArea->addSubWindow(m_workspace, Qt::SubWindow | Qt::FramelessWindowHint);
    m_workspaceWindow->setObjectName(QStringLiteral("MDIClientWindow"));
    m_workspaceWindow->show();
    m_quick.OnClick = [this](const QString &name) {
        TileClick(name);
    };
    m_quick.IsEnabled = [this](const QString &name) {
        const QAction *item = m_items.value(name.chopped(2));
        return !name.endsWith(QLatin1String("_1")) || !item || item->isEnabled();
    };
}

TfrmMain::~TfrmMain()
{
    TShowMDIWindowObj &windows = GlobalObj().MDIWindows;
    if (windows.MdiArea() == m_mdiArea) {
        windows.OnAddRecentReport = nullptr;
        windows.SetMdiArea(nullptr);
        windows.SetTabBar(nullptr);
    }
    if (m_workspace)
        m_workspace->SaveReports();
}

void TfrmMain::FormCreate()
{
    if (m_created)
        return;
    m_created = true;
    TSessionInfo &session = SessionInfo();
    TSystemFunctionRight &right = FuncRight();

    // 1. The background picture.
    const QString background = ExeDirFile(QStringLiteral("client.jpg"));
    QPixmap picture;
    if (QFileInfo::exists(background) && picture.load(background))
        m_mdiArea->setBackground(picture);

    // 2. The workspace: the user's rights and scope, the scoped lists, the tab bar.
    right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
    Data().Ck().SetCommandText(right.WarehouseSQL);
    Data().Bm().SetCommandText(right.DeptSQL);
    TShowMDIWindowObj &windows = GlobalObj().MDIWindows;
    windows.SetMdiArea(m_mdiArea);
    windows.SetTabBar(TabControlEx1);
    windows.TabShown(TShowMDIWindowObj::WorkspaceTab);
    windows.OnAddRecentReport = [this](const QString &caption) {
        Guarded([&] { m_workspace->AddRecentReport(caption); });
    };
    right.ApplyWorkspaceRights(m_workspace);
    m_workspace->SetBannerText(right.CompanyName, CurUserName);

    // 3. The child geometry, once the frame has its size.
    ComputeChildGeometry();

    // 4. Captions.
    setWindowTitle(session.Product.Caption);

    // 5. Status panels; the vendor's menu only where the vendor is shown.
    m_panels[0]->setText(QStringLiteral("帐套：") + session.AccountName);
    m_panels[1]->setText(CurUserName);
    m_panels[2]->setText(StatusDateText(QDate::currentDate()));
    m_panels[3]->setText(session.Product.Caption + QStringLiteral("  采购·库存·领用·财务·人事"));
    if (session.HideVendorInfo && m_helpMenu)
        m_helpMenu->menuAction()->setVisible(false);

    // 6. The administrator's items.
    const bool admin = CurUserCode.toUpper() == QLatin1String("SYS");
    m_items.value(QStringLiteral("Tool_UpLoad"))->setVisible(admin);
    m_items.value(QStringLiteral("mnuInitData"))->setVisible(admin);

    // 7. Menu rights; the import's items follow their sub-menu.
    right.ApplyMenuRights(m_components);
    const bool importAllowed = m_items.value(QStringLiteral("mnuDataIn"))->isEnabled();
    m_items.value(QStringLiteral("mnuDataIn_HP"))->setEnabled(importAllowed);
    m_items.value(QStringLiteral("mnuDataIn_YG"))->setEnabled(importAllowed);

    // 8. The quick-launch bar.
    m_quick.Build(QStringLiteral("office"), dxbrQuick);
}

QStringList TfrmMain::ItemNames() const
{
    QStringList names = m_items.keys();
    names.sort();
    return names;
}

QString TfrmMain::StatusDateText(const QDate &date)
{
    static const char *const weekdays[] = {"星期日", "星期一", "星期二", "星期三",
                                           "星期四", "星期五", "星期六"};
    return date.toString(QStringLiteral("yyyy年MM月dd日 ")) +
           QString::fromUtf8(weekdays[date.dayOfWeek() % 7]);
}

void TfrmMain::ComputeChildGeometry()
{
    TSessionInfo &session = SessionInfo();
    const QSize client = m_mdiArea->viewport()->size();
    session.ChildTopMDI = 0;
    session.ChildTopOther = height() - client.height();
    session.AreaHeight = client.height() - 2;
    session.AreaWidth = client.width();
    session.ChildHeight = session.AreaHeight - session.AreaHeight / 7;
    session.ChildWidth = session.AreaWidth - session.AreaWidth / 8;
    session.ChildLeft = width() / 2 - session.ChildWidth / 2;
}

void TfrmMain::layOutWorkspace()
{
    if (m_workspaceWindow)
        m_workspaceWindow->setGeometry(m_mdiArea->viewport()->rect());
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_mdiArea->viewport() && event->type() == QEvent::Resize) {
        layOutWorkspace();
        ComputeChildGeometry();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    layOutWorkspace();
    if (m_shown || !m_created)
        return;
    m_shown = true;
    Guarded([] {
        SessionInfo().DefaultSjzlID =
            QueryValue(QStringLiteral("select Top 1 ID from SJZL order by XH")).toInt();
    });
}

QAction *TfrmMain::Item(const QString &name) const
{
    if (QAction *exact = m_items.value(name))
        return exact;
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    return nullptr;
}

void TfrmMain::runOpener(const QString &name)
{
    const std::function<void()> opener = m_openers.value(name);
    if (opener)
        Guarded(opener);
}

void TfrmMain::showChild(const QString &className, const QString &kind)
{
    QWidget *form = GlobalObj().MDIWindows.ShowForm(className);
    if (!form || kind.isEmpty())
        return;
    if (auto *root = qobject_cast<TFrmRoot *>(form))
        root->SetBillType(kind);
}

void TfrmMain::TileClick(const QString &clicked)
{
    if (clicked == QLatin1String("btnExit")) {
        close();
        return;
    }
    QString name = clicked;
    if (name.size() >= 2 && name.at(name.size() - 2) == QLatin1Char('_'))
        name.chop(2);
    if (QAction *item = Item(name))
        item->trigger();
}

void TfrmMain::chooseUploadFile()
{
    QDir start(QCoreApplication::applicationDirPath());
    start.cdUp();
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString fileName = QFileDialog::getOpenFileName(
        this, QStringLiteral("上传版本"), start.path(),
        QStringLiteral("%1|%1*;;*|*").arg(program).replace(QLatin1Char('|'), QLatin1Char(' ')));
    if (!fileName.isEmpty())
        UploadClient(fileName);
}

bool TfrmMain::UploadClient(const QString &fileName)
{
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (!QFileInfo(fileName).fileName().contains(program, Qt::CaseInsensitive)) {
        MessageBox(QStringLiteral("只能上传客户端软件：") + program, QStringLiteral("上传版本"),
                   TMsgIcon::Warning);
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        MessageBox(QStringLiteral("上传版本失败！"), QStringLiteral("上传版本"), TMsgIcon::Error);
        return false;
    }
    const QByteArray image = file.readAll();

    // The versions live in the server's registry, beside the account sets, where every
    // client's upgrade check reads them.
    TClientDataSet &versions = Data().VersionInfor();
    versions.Close();
    versions.SetProviderName(QStringLiteral("pAccountTemp"));
    int errors = 1;
    Guarded([&] {
        if (!RunSQL(versions,
                    QStringLiteral("delete from VersionInfor where sName=") +
                        QuotedStr(ClientVersionName()),
                    false))
            return;
        OpenQuery(versions, QStringLiteral("select * from VersionInfor  where sName = '111' "));
        versions.Append();
        versions.FieldByName(QStringLiteral("sName"))->SetAsString(ClientVersionName());
        versions.FieldByName(QStringLiteral("sVersion"))
            ->SetAsString(SessionInfo().Product.Version);
        versions.FieldByName(QStringLiteral("sFileName"))
            ->SetAsString(QStringLiteral("VzClient.exe"));
        versions.FieldByName(QStringLiteral("pict"))->SetAsBytes(image);
        versions.Post();
        errors = versions.ApplyUpdates(-1);
    });
    versions.Close();
    if (errors == 0)
        MessageBox(QStringLiteral("上传版本成功！"), QStringLiteral("上传版本"),
                   TMsgIcon::Information);
    else
        MessageBox(QStringLiteral("上传版本失败！"), QStringLiteral("上传版本"), TMsgIcon::Error);
    return errors == 0;
}

void TfrmMain::showCalendar()
{
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("万年历"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *calendar = new QCalendarWidget(&dialog);
    calendar->setGridVisible(true);
    calendar->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    layout->addWidget(calendar);
    dialog.exec();
}

void TfrmMain::showAbout()
{
    TfrmStart about(this);
    about.SetClickCloses(true);
    about.exec();
}

bool TfrmMain::FormCloseQuery()
{
    if (FuncRight().HasRight(QStringLiteral("mnuBackup"))) {
        std::unique_ptr<TFrmExit> exitForm(CreateForm<TFrmExit>(this));
        return exitForm->ShowModal() == mrOk;
    }
    return MessageBox(QStringLiteral("确实要退出系统吗？"), QStringLiteral("退出系统"),
                      TMsgIcon::Question, TMsgButtons::YesNo) == mrYes;
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // Windows that refuse to close (unsaved work) keep the frame open.
    m_mdiArea->closeAllSubWindows();
    for (QMdiSubWindow *window : m_mdiArea->subWindowList()) {
        if (window != m_workspaceWindow) {
            event->ignore();
            return;
        }
    }
    m_closing = true;
    m_workspace->SaveReports();
    if (DataExists()) {
        Data().cn().Close();
        Data().CnBb().Close();
    }
    event->accept();
    QCoreApplication::quit();
}
