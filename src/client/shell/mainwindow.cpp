#include "client/shell/mainwindow.h"

#include "client/admin/exitform.h"
#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/shell/startform.h"
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/forms/sharedroutines.h"
#include "client/shell/hooks.h"
#include "client/shell/mdiclient.h"
#include "client/shell/pictures.h"
#include "client/shell/setquick.h"
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

// One entry of the main menu. Menu starts a menu of the bar, Submenu a sub-menu of the
// current menu (entries with sub set go into it); the other kinds are items and say how the
// item opens its window.
struct TfrmMain::TMenuEntry
{
    enum TOpen { Menu, Submenu, Child, Modal, ModalText, HR, SameAs, Command };
    TOpen open;
    const char *name;
    const char *caption;
    const char *target = nullptr; // window class, item name or command
    const char *text = nullptr;   // the window's kind or mode text
    bool separator = false;       // a line before the entry
    bool sub = false;             // an item of the current sub-menu
};

void TfrmMain::createMenus()
{
    using M = TMenuEntry;
    // clang-format off
    static const TMenuEntry entries[] = {
        {M::Menu, "subFile", "文件(&F)"},
        {M::Submenu, "mnuQcData", "期初录入"},
        {M::SameAs, "dxBarButton1", "商品库存初始化录入", "mnuKcpd", nullptr, false, true},
        {M::Submenu, "mnuDataIn", "Excel数据导入"},
        {M::Command, "mnuDataIn_HP", "导入货品资料", "ImportHp", nullptr, false, true},
        {M::Command, "mnuDataIn_YG", "导入员工资料", "ImportYg", nullptr, false, true},
        {M::ModalText, "mnuInitData", "系统初始化", "TFrmInitData", "0"},
        {M::Modal, "mnuBackup", "备份数据", "TFrmExportSQL", nullptr, true},
        {M::Command, "mnuRestore", "恢复数据", "Restore"},
        {M::Command, "mnuCompact", "压缩数据库", "Compact"},
        {M::ModalText, "mnuYearJZ", "年末结转", "TFrmYearJZ", "0"},
        {M::Child, "mnuUser", "用户管理", "TfrmSysUser", nullptr, true},
        {M::Modal, "Password_mnu", "更换密码", "TfrmSysPassword"},
        {M::Child, "mnuPopedom", "权限设置", "TfrmPopedom"},
        {M::Modal, "mnuSystemSet", "系统设置", "TSystemSetFrm"},
        {M::Command, "mnuAlert", "系统提示", "Alert", nullptr, true},
        {M::Modal, "mnuAcount", "帐套管理", "TfrmZTManager"},
        {M::Command, "Exit_mnu", "退出系统", "Exit", nullptr, true},

        {M::Menu, "subBase", "基本资料(&A)"},
        {M::Child, "mnuBm", "部门资料", "TDepartFrm"},
        {M::Child, "mnuDq", "地区资料", "TfrmDq"},
        {M::Child, "mnuGys", "供应商资料", "TfrmVendCust"},
        {M::Child, "mnuYg", "人员资料", "TfrmEemployee", nullptr, true},
        {M::Child, "mnuCk", "仓库资料", "TfrmStockCode"},
        {M::Child, "mnuHp", "货品资料", "TfrmHp"},
        {M::Child, "mnuHplb", "货品类别", "TItemTypeFrm"},
        {M::Child, "mnuQtkcbdlx", "其它库存变动类型", "TfrmQtkcbdlx"},
        {M::Child, "mnuZh", "账户管理", "TfrmArapZh", nullptr, true},
        {M::Child, "mnuSrzclb", "收入支出类别", "TfrmArapZcLb"},
        {M::Child, "mnuSfkfs", "收付款方式", "TfrmArapType"},
        {M::ModalText, "mnuProject", "选项...", "TPub_ProjectFrm", "office", true},

        {M::Menu, "subHr", "人事管理(&B)"},
        {M::Child, "mnuYgdy", "员工档案管理", "TfrmEemployee"},
        {M::HR, "mnuYght", "员工合同管理"},
        {M::HR, "mnuYgpx", "员工培训管理"},
        {M::HR, "mnuYgkp", "员工考评管理"},
        {M::HR, "mnuYgdd", "员工调动管理"},
        {M::HR, "mnuYgjc", "员工奖惩管理"},
        {M::HR, "mnuYgtx", "员工调薪管理"},
        {M::Child, "mnuYgsrtx", "人事信息提醒", "TFrmRptRsTx", nullptr, true},
        {M::Child, "mnuYgxxfx", "员工信息分析图表", "TFrmRptModal_Tu_Rs"},

        {M::Menu, "subPurchase", "采购管理(&C)"},
        {M::Child, "mnuCgsq", "采购申请单", "TfrmCgsqzb"},
        {M::Child, "mnuCgsh", "采购入库单", "TfrmPurInWork"},
        {M::Child, "mnuBbGysGhHz", "供应商供货汇总表", "TFrmRptCGVentderHZ", nullptr, true},
        {M::Child, "mnuBbGysGhMx", "供应商供货明细表", "TFrmRptCGMX", "供应商供货明细表"},
        {M::Child, "mnuBbYGCgHz", "采购员采购汇总表", "TFrmRptCGYGHZ"},
        {M::Child, "mnuBbHpCgHz", "货品采购汇总表", "TFrmRptCGHZ"},
        {M::Child, "mnuBbHpCgMx", "货品采购明细表", "TFrmRptCGMX", "货品采购明细表"},
        {M::Child, "mnu_CG_Static_Month", "年采购量分析", "TFrm_Static_Month", "年采购量分析", true},
        {M::Child, "mnu_CG_Static_Chart", "采购图形分析", "TFrmRptModal_Tu", "采购图形分析"},
        {M::Child, "mnu_CG_Static_Price", "采购价格分析", "TFrmRptStatic_Price", "采购价格分析"},
        {M::Child, "mnu_CG_Static_Struct", "采购结构分析", "TFrmStatic_Structure", "采购结构分析"},

        {M::Menu, "subIssue", "领用管理(&D)"},
        {M::Child, "mnuLl", "物品领用单", "TfrmStockLlWork"},
        {M::Child, "mnuTl", "物品归还单", "TfrmStockTlWork"},
        {M::Child, "mnuBbHpXsMx", "物品领用明细表", "TFrmRptLLwply", nullptr, true},
        {M::Child, "mnuBBMLBHZ", "物品类别领用汇总表", "TFrmRptLLLBhz"},
        {M::Child, "mnuBbYwyXsMx", "人员领用明细表", "TFrmRptLLryly"},
        {M::Child, "mnuBbYwyXsHz", "人员领用汇总表", "TFrmRptLLrylyHz"},
        {M::Child, "mnuBBMHZ", "部门领用汇总表", "TFrmRptLLbmhz"},
        {M::Child, "mnuBBRate", "部门领用金额占库存比", "TFrmRptLLbmRate"},
        {M::Child, "mnuBbHpTlMx", "物品归还明细帐表", "TFrmRptLLwpgh"},
        {M::Child, "mnu_LL_Static_Month_wp", "物品月领用分析", "TFrm_Static_Month", "物品月领用分析", true},
        {M::Child, "mnu_LL_Static_Month_ry", "人员月领用分析", "TFrm_Static_Month", "人员月领用分析"},
        {M::Child, "mnu_LL_Static_Month_bm", "部门月领用分析", "TFrm_Static_Month", "部门月领用分析"},
        {M::Child, "mnu_LL_Static_Tu", "物品领用图表分析", "TFrmRptModal_Tu", "物品领用图表分析"},

        {M::Menu, "subStock", "库存管理(&E)"},
        {M::Child, "mnuKcpd", "库存盘点", "TFrmPdWork", "KCPD"},
        {M::Child, "mnuCkdb", "仓库调拨", "TfrmStockdbWork", "CKDB"},
        {M::Child, "mnuKctz", "库存调整", "TFrmPdWork", "KCTZ"},
        {M::Child, "mnuQTkcbd", "其他库存变动", "TfrmQtkcbdzb"},
        {M::Child, "mnuBbCkkcHz", "库存总帐", "TFrmRPTCkkcHz", nullptr, true},
        {M::Child, "mnuBbCkkcMx", "库存明细帐", "TFrmRPTCkMx"},
        {M::Child, "mnuBbCkkcHz_FC", "分仓库存汇总表", "TFrmRptKCZZ_FCHZ"},
        {M::Child, "mnuBbCkbj", "库存报警明细表", "TFrmRPTCkkcBj"},
        {M::Child, "mnuBbPdDif", "盘点差异表", "TFrmRptPdDif"},

        {M::Menu, "subFinance", "财务管理(&F)"},
        {M::Child, "mnuFykz", "费用开支单", "TfrmArapFykzWork"},
        {M::Child, "mnuYhckqk", "银行存取款", "TfrmArapYhck"},
        {M::Child, "mnuQtsr", "其它收入单", "TfrmArapQtsrWork"},
        {M::Child, "mnuXjyhBb", "现金银行总帐表", "TFrmRptXjyhHZ", nullptr, true},
        {M::Child, "mnuBbSzLsz", "现金银行明细帐表", "TFrmRptSzLsz"},
        {M::Child, "mnuBbSzHz", "费用开支及其它收入汇总表", "TFrmRptSzHZ"},
        {M::Child, "mnuBbSzMx", "费用开支及其它收入明细表", "TFrmRptSzMx"},

        {M::Menu, "subTool", "工具(&T)"},
        {M::Command, "Quick_mnu", "设置快捷菜单", "SetQuick"},
        {M::Command, "Tool_mnu", "万年历", "Calendar"},
        {M::Command, "Tool_UpLoad", "上传版本", "Upload"},

        {M::Menu, "subHelp", "帮助(&H)"},
        {M::Command, "URL_mnu", "访问主页", "Url"},
        {M::Command, "About_mnu", "关于", "About"},
    };
    // clang-format on

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
    for (const TMenuEntry &entry : entries) {
        const QString name = QLatin1String(entry.name);
        const QString caption = QString::fromUtf8(entry.caption);
        const QString target = entry.target ? QString::fromUtf8(entry.target) : QString();
        const QString text = entry.text ? QString::fromUtf8(entry.text) : QString();
        if (entry.open == TMenuEntry::Menu) {
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
        if (entry.open == TMenuEntry::Submenu) {
            subMenu = new QMenu(caption, menu);
            subMenu->setObjectName(name + QStringLiteral("Menu"));
            action->setMenu(subMenu);
            menu->addAction(action);
            continue;
        }
        into->addAction(action);
        std::function<void()> opener;
        switch (entry.open) {
        case TMenuEntry::Child:
            opener = [this, target, text] {
                showChild(target, text);
            };
            break;
        case TMenuEntry::Modal:
            opener = [target] {
                GlobalObj().MDIWindows.OpenModal(target);
            };
            break;
        case TMenuEntry::ModalText:
            opener = [target, text] {
                GlobalObj().MDIWindows.OpenModalWithText(target, text);
            };
            break;
        case TMenuEntry::HR:
            opener = [caption] {
                GlobalObj().MDIWindows.OpenHRForm(caption);
            };
            break;
        case TMenuEntry::SameAs:
            opener = [this, target] {
                runOpener(target);
            };
            break;
        case TMenuEntry::Command:
            opener = commands.value(target);
            break;
        case TMenuEntry::Menu:
        case TMenuEntry::Submenu:
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
    if (QAction *item = m_items.value(name))
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
