// The main frame against a real server: menu and tile rights for the administrator and a
// restricted user, opening windows through the menu and tiles, the limit of open windows,
// the frequently used reports, the quick-launch bar and its dialog, the client upload and
// the closing question.
#include "client/admin/exitform.h"
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/forms/addtabform.h"
#include "client/forms/globalobj.h"
#include "client/shell/mainmenu.h"
#include "client/shell/mainwindow.h"
#include "client/shell/mdiclient.h"
#include "client/shell/pictures.h"
#include "client/shell/setquick.h"
#include "client/shell/tabcontrolex.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using vztest::whenModal;

namespace {

// A window of the workspace that records the kind the frame handed it.
class TTestWindow : public TFrmAddTab
{
public:
    explicit TTestWindow(const QString &caption) { setWindowTitle(caption); }
    void SetBillType(const QString &billType) override
    {
        TFrmAddTab::SetBillType(billType);
        kinds << billType;
    }
    QStringList kinds;
};

void registerWindow(const QString &className, const QString &caption)
{
    TFormRegistry::Register(className, [caption] { return new TTestWindow(caption); });
}

QStringList barNames(QToolBar *bar)
{
    QStringList names;
    for (QAction *action : bar->actions())
        names << action->objectName();
    return names;
}

int openChildren(const TfrmMain &main)
{
    return int(main.mdiArea()->subWindowList().size()) - 1; // without the workspace
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TMessageBoxScript> unexpected;

    TfrmMain &openAs(const QString &userCode, const QString &password = {})
    {
        if (!world.login(userCode, password))
            QTest::qFail(qPrintable(world.error()), __FILE__, __LINE__);
        main = std::make_unique<TfrmMain>();
        main->FormCreate();
        main->resize(1200, 800);
        main->show();
        return *main;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(world.start(), qPrintable(world.error())); }

    void cleanupTestCase() { world.stop(); }

    void init() { unexpected = std::make_unique<TMessageBoxScript>(); }

    void cleanup()
    {
        if (main) {
            main->mdiArea()->closeAllSubWindows();
            main.reset();
        }
        world.cleanup();
        const int boxes = unexpected->Count();
        const QString first = boxes ? unexpected->Requests().first().Text : QString();
        unexpected.reset();
        QVERIFY2(boxes == 0, qPrintable(QStringLiteral("unexpected message: ") + first));
    }

    void theAdministratorMayUseEveryItem()
    {
        TfrmMain &frame = openAs(QStringLiteral("SYS"));
        for (const QString &name : frame.ItemNames())
            QVERIFY2(frame.Item(name)->isEnabled(), qPrintable(name));
        QVERIFY(frame.Item(QStringLiteral("Tool_UpLoad"))->isVisible());
        QVERIFY(frame.Item(QStringLiteral("mnuInitData"))->isVisible());
        QVERIFY(FuncRight().MenuList.contains(QStringLiteral("mnuBackup")));
        for (QToolButton *tile : frame.Workspace()->Tiles())
            QVERIFY2(tile->isEnabled(), qPrintable(tile->objectName()));
    }

    void aRestrictedUserGetsWhatTheGroupGrants()
    {
        // CG01's group grants purchasing (04..), goods issues (0502), goods and suppliers.
        TfrmMain &frame = openAs(QStringLiteral("CG01"));
        QVERIFY(frame.Item(QStringLiteral("mnuCgsh"))->isEnabled());
        QVERIFY(frame.Item(QStringLiteral("mnuBbGysGhHz"))->isEnabled());
        QVERIFY(frame.Item(QStringLiteral("mnuLl"))->isEnabled());
        QVERIFY(frame.Item(QStringLiteral("mnuHp"))->isEnabled());
        QVERIFY(!frame.Item(QStringLiteral("mnuBackup"))->isEnabled());
        QVERIFY(!frame.Item(QStringLiteral("mnuPopedom"))->isEnabled());
        QVERIFY(!frame.Item(QStringLiteral("mnuKcpd"))->isEnabled());
        // Large buttons follow the item without their last character.
        QVERIFY(frame.Item(QStringLiteral("mnuCgsh1"))->isEnabled());
        QVERIFY(!frame.Item(QStringLiteral("mnuYg1"))->isEnabled());
        QVERIFY(!frame.Item(QStringLiteral("mnuBbCkkcHz1"))->isEnabled());
        // The import's items follow their sub-menu; items outside the rights stay usable.
        QVERIFY(!frame.Item(QStringLiteral("mnuDataIn"))->isEnabled());
        QVERIFY(!frame.Item(QStringLiteral("mnuDataIn_HP"))->isEnabled());
        QVERIFY(!frame.Item(QStringLiteral("mnuDataIn_YG"))->isEnabled());
        QVERIFY(frame.Item(QStringLiteral("Quick_mnu"))->isEnabled());
        QVERIFY(!frame.Item(QStringLiteral("Tool_UpLoad"))->isVisible());
        QVERIFY(!frame.Item(QStringLiteral("mnuInitData"))->isVisible());
        QVERIFY(FuncRight().MenuList.contains(QStringLiteral("mnuCgsh")));
        QVERIFY(!FuncRight().MenuList.contains(QStringLiteral("mnuBackup")));
        // Tiles by their names.
        QVERIFY(frame.Workspace()->Tile(QStringLiteral("mnuHp"))->isEnabled());
        QVERIFY(!frame.Workspace()->Tile(QStringLiteral("mnuCk"))->isEnabled());
        QVERIFY(!frame.Workspace()->Tile(QStringLiteral("Password_mnu"))->isEnabled());
        // The purchasing department's scope narrows nothing while the company has it off.
        QCOMPARE(FuncRight().WarehouseSQL, TSystemFunctionRight::DefaultWarehouseSQL);
        QCOMPARE(Data().Ck().CommandText(), FuncRight().WarehouseSQL);
    }

    void theStatusBarShowsAccountSetUserAndDay()
    {
        TfrmMain &frame = openAs(QStringLiteral("KJ01"), QStringLiteral("123"));
        QCOMPARE(frame.StatusPanel(0)->text(), QStringLiteral("帐套：演示帐套"));
        QCOMPARE(frame.StatusPanel(1)->text(), FuncRight().UserName);
        QCOMPARE(frame.StatusPanel(0)->width(), 180);
        QCOMPARE(TfrmMain::StatusDateText(QDate(2024, 3, 5)),
                 QStringLiteral("2024年03月05日 星期二"));
        QCOMPARE(TfrmMain::StatusDateText(QDate(2024, 3, 10)),
                 QStringLiteral("2024年03月10日 星期日"));
        QCOMPARE(frame.TabControl()->count(), 1);
        QCOMPARE(frame.TabControl()->tabText(0), QStringLiteral("业务导航   "));
    }

    void openingAnItemTwiceBringsTheFirstWindowForward()
    {
        registerWindow(QStringLiteral("TfrmStockCode"), QStringLiteral("仓库资料"));
        registerWindow(QStringLiteral("TfrmVendCust"), QStringLiteral("供应商资料"));
        TfrmMain &frame = openAs(QStringLiteral("SYS"));
        frame.Item(QStringLiteral("mnuCk"))->trigger();
        QWidget *first = GlobalObj().MDIWindows.FindForm(QStringLiteral("frmStockCode"));
        QVERIFY(first);
        frame.Item(QStringLiteral("mnuGys"))->trigger();
        QCOMPARE(frame.mdiArea()->activeSubWindow()->widget()->windowTitle(),
                 QStringLiteral("供应商资料"));
        frame.Item(QStringLiteral("mnuCk"))->trigger();
        QCOMPARE(openChildren(frame), 2);
        QCOMPARE(frame.mdiArea()->activeSubWindow()->widget(), first);
        QCOMPARE(frame.TabControl()->count(), 3);
        QCOMPARE(frame.TabControl()->tabText(frame.TabControl()->currentIndex()).trimmed(),
                 QStringLiteral("仓库资料"));
        // A window that takes another caption (a document of another kind) keeps its tab,
        // and closing it removes that tab.
        first->setWindowTitle(QStringLiteral("库存初始单"));
        QCOMPARE(frame.TabControl()->count(), 3);
        QCOMPARE(frame.TabControl()->tabText(frame.TabControl()->currentIndex()).trimmed(),
                 QStringLiteral("库存初始单"));
        static_cast<TFrmRoot *>(first)->Close();
        QTRY_COMPARE(frame.TabControl()->count(), 2);
    }

    void theThirtyFirstWindowIsRefused()
    {
        TfrmMain &frame = openAs(QStringLiteral("SYS"));
        for (int i = 1; i <= 31; ++i)
            registerWindow(QStringLiteral("TfrmTest%1").arg(i), QStringLiteral("窗口%1").arg(i));
        for (int i = 1; i <= 30; ++i)
            QVERIFY(GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmTest%1").arg(i)));
        TMessageBoxScript boxes;
        QVERIFY(!GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmTest31")));
        QCOMPARE(boxes.Last().Text, QStringLiteral("打开太多的窗体，请关掉不必要的窗体！"));
        QCOMPARE(openChildren(frame), 30);
    }

    void tilesStripTheirSuffixAndPassTheKind()
    {
        registerWindow(QStringLiteral("TFrmRptModal_Tu"), QStringLiteral("图形分析"));
        TfrmMain &frame = openAs(QStringLiteral("SYS"));
        QTest::mouseClick(frame.Workspace()->Tile(QStringLiteral("mnu_LL_Static_Tu_1")),
                          Qt::LeftButton);
        auto *chart = dynamic_cast<TTestWindow *>(
            GlobalObj().MDIWindows.FindForm(QStringLiteral("FrmRptModal_Tu")));
        QVERIFY(chart);
        QCOMPARE(chart->kinds, QStringList{QStringLiteral("物品领用图表分析")});
        // The same window class for the purchase chart: shown again with its own kind.
        frame.TileClick(QStringLiteral("mnu_CG_Static_Chart"));
        QCOMPARE(chart->kinds.last(), QStringLiteral("采购图形分析"));
        QCOMPARE(openChildren(frame), 1);
        // A tile without an item does nothing; an item without its window says so.
        frame.TileClick(QStringLiteral("FrameStockPd"));
        QCOMPARE(openChildren(frame), 1);
        TMessageBoxScript boxes;
        frame.TileClick(QStringLiteral("mnuBbPdDif"));
        QCOMPARE(boxes.Count(), 1);
        QVERIFY(boxes.Last().Text.contains(QStringLiteral("TFrmRptPdDif")));
    }

    // Every document a shop enters has a menu item (whatever the case of its name), the menu
    // list that quick launch and rights read knows it, in the menu's order.
    void everyDocumentHasItsPlaceInTheMenus()
    {
        TfrmMain &frame = openAs(QStringLiteral("SYS"));
        const std::pair<const char *, const char *> documents[] = {
            {"mnuCgsq", "采购申请单"},     {"mnuCgsh", "采购入库单"}, {"mnuCgth", "采购退货单"},
            {"mnuXsdd", "销售订单"},       {"mnuXskd", "销售出库单"}, {"mnuXsth", "销售退货单"},
            {"mnuSq", "物品申请单"},       {"mnuLl", "物品领用单"},   {"mnuTl", "物品归还单"},
            {"mnuKcpd", "库存盘点"},       {"mnuCkdb", "仓库调拨"},   {"mnuKctz", "库存调整"},
            {"mnuQtkcbd", "其他库存变动"}, {"mnuCpjc", "产品进仓单"}, {"mnuFykz", "费用开支单"},
            {"mnuQtsr", "其它收入单"},     {"mnuXssk", "销售收款单"}, {"mnuCgfk", "采购付款单"}};
        for (const auto &[name, caption] : documents) {
            QAction *item = frame.Item(QLatin1String(name));
            QVERIFY2(item, name);
            QCOMPARE(item->text(), QString::fromUtf8(caption));
            QVERIFY2(item->isEnabled(), name);
            QCOMPARE(QueryValue(QStringLiteral("select mCaption from AppMenu where mName = ") +
                                QuotedStr(item->objectName()))
                         .toString(),
                     QString::fromUtf8(caption));
        }
        for (const char *tile :
             {"mnuCgth", "mnuXsdd", "mnuXskd", "mnuXsth", "mnuCpjc", "mnuSq", "mnuXssk", "mnuCgfk"})
            QVERIFY2(frame.Workspace()->Tile(QLatin1String(tile)), tile);
        // The opening-stock item of the file menu, through its sub-menu's first item.
        QVERIFY(frame.Item(QStringLiteral("mnuQcData"))->menu());

        QStringList menuOrder;
        for (const TMainMenuEntry &entry : MainMenuEntries())
            menuOrder << QLatin1String(entry.name);
        TTmpDataSet list;
        list->SetCommandText(QStringLiteral("select mName from AppMenu order by mIndex"));
        list->Open();
        qsizetype last = -1;
        for (list->First(); !list->Eof(); list->Next()) {
            const QString name = list->FieldByName(QStringLiteral("mName"))->AsString();
            const qsizetype at = menuOrder.indexOf(name);
            QVERIFY2(at > last, qPrintable(name + QStringLiteral(" is out of the menu's order")));
            last = at;
        }
    }

    void reportWindowsFillTheRecentReportList()
    {
        TfrmMain &frame = openAs(QStringLiteral("SYS"));
        TfrmMDIClient *workspace = frame.Workspace();
        workspace->ClearReports();
        TShowMDIWindowObj &windows = GlobalObj().MDIWindows;

        windows.AddRecentReport(QStringLiteral("库存总帐"));
        windows.AddRecentReport(QStringLiteral("库存明细帐"));
        windows.AddRecentReport(QStringLiteral("费用开支及其它收入汇总表")); // 24 bytes
        windows.AddRecentReport(QStringLiteral("未知报表"));                 // not in the tree
        QCOMPARE(workspace->RecentReports().Count(), 2);
        windows.AddRecentReport(QStringLiteral("库存总帐"));
        QTreeWidget *tree = workspace->ReportTree();
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("库存总帐"));
        QCOMPARE(tree->currentItem(), tree->topLevelItem(0));
        QCOMPARE(workspace->RecentReports().Entries().first().ItemName,
                 QStringLiteral("mnuBbCkkcHz"));

        // Never more than 20: every short report title of the function tree.
        TTmpDataSet titles;
        titles->SetCommandText(QStringLiteral(
            "select FuncNodeName from Sys_FuncTree_office where ObjectType='Report' order by "
            "FuncNodeNo"));
        titles->Open();
        QStringList added;
        for (titles->First(); !titles->Eof(); titles->Next()) {
            const QString title = titles->Fields(0)->AsString();
            if (!TRecentReports::RecordedTitle(title).isEmpty() &&
                title == TRecentReports::RecordedTitle(title)) {
                windows.AddRecentReport(title);
                added << title;
            }
        }
        QVERIFY(added.size() > 20);
        QCOMPARE(tree->topLevelItemCount(), 20);
        QCOMPARE(tree->topLevelItem(0)->text(0), added.last());

        // The list outlives the frame in Tree_Function.txt.
        main.reset();
        TRecentReports saved;
        QVERIFY(saved.Load(TfrmMDIClient::ReportFile()));
        QCOMPARE(saved.Count(), 20);
        QCOMPARE(saved.Entries().first().Title, added.last());
    }

    void aListedReportOpensItsItemAndThePopupClearsTheList()
    {
        registerWindow(QStringLiteral("TFrmRPTCkkcHz"), QStringLiteral("库存总帐"));
        TfrmMain &frame = openAs(QStringLiteral("SYS"));
        TfrmMDIClient *workspace = frame.Workspace();
        workspace->ClearReports();
        GlobalObj().MDIWindows.AddRecentReport(QStringLiteral("库存明细帐"));
        GlobalObj().MDIWindows.AddRecentReport(QStringLiteral("库存总帐"));
        QTreeWidget *tree = workspace->ReportTree();
        const QRect first = tree->visualItemRect(tree->topLevelItem(0));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, first.center());
        QVERIFY(GlobalObj().MDIWindows.FindForm(QStringLiteral("FrmRPTCkkcHz")));
        workspace->DeleteSelectedReport();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("库存明细帐"));
        workspace->ClearReports();
        QCOMPARE(tree->topLevelItemCount(), 0);
    }

    void theQuickBarFallsBackToPubAndEndsWithExit()
    {
        world.afterTest(QStringLiteral("delete from Sys_UserQuick where UserNo='CK01'"));
        QVERIFY(ExecSQL(QStringLiteral("delete from Sys_UserQuick where UserNo='CK01'")));
        TfrmMain &frame = openAs(QStringLiteral("CK01"));
        const QStringList pub{QStringLiteral("mnuCgsh_1"), QStringLiteral("mnuLl_1"),
                              QStringLiteral("mnuHp_1"),   QStringLiteral("mnuYg_1"),
                              QStringLiteral("mnuKcpd_1"), QStringLiteral("mnuBbCkkcHz_1"),
                              QStringLiteral("btnExit")};
        QCOMPARE(barNames(frame.QuickToolBar()), pub);
        const QList<QAction *> buttons = frame.QuickToolBar()->actions();
        QCOMPARE(buttons[0]->property("picture").toInt(), int(fpBill));
        QCOMPARE(buttons[2]->property("picture").toInt(), int(fpData));
        QCOMPARE(buttons[5]->property("picture").toInt(), int(fpReport));
        QCOMPARE(buttons[6]->property("picture").toInt(), int(fpExit));
        QCOMPARE(buttons[6]->text(), QStringLiteral("退出系统"));
        // The warehouse keeper may not receive purchases: the button shows it.
        QVERIFY(!buttons[0]->isEnabled());
        QVERIFY(buttons[4]->isEnabled());

        // An empty list of one's own still shows pub's buttons.
        std::unique_ptr<TfrmSetQuick> dialog(CreateForm<TfrmSetQuick>(&frame.QuickBar()));
        dialog->show();
        QCOMPARE(dialog->ListBox1->count(), 6);
        dialog->ListBox1->selectAll();
        dialog->DeleteSelected();
        QVERIFY(dialog->Save());
        QCOMPARE(barNames(frame.QuickToolBar()), pub);
    }

    void theQuickLaunchDialogEditsAndSavesTheUsersList()
    {
        world.afterTest(QStringLiteral("delete from Sys_UserQuick where UserNo='CK01'"));
        TfrmMain &frame = openAs(QStringLiteral("CK01"));
        std::unique_ptr<TfrmSetQuick> dialog(CreateForm<TfrmSetQuick>(&frame.QuickBar()));
        dialog->show();
        dialog->ListBox1->selectAll();
        dialog->DeleteSelected();

        TMessageBoxScript boxes;
        dialog->TreeView1->setCurrentItem(nullptr);
        dialog->AddSelected();
        QCOMPARE(boxes.Last().Text, QStringLiteral("请选择左边树功能节点！"));
        QVERIFY(dialog->SelectNode(QStringLiteral("0600")));
        dialog->AddSelected();
        QCOMPARE(boxes.Last().Text, QStringLiteral("请选择子节点！"));
        QCOMPARE(boxes.Count(), 2);

        for (const char *node : {"0602", "0205", "0608", "0602"})
            QVERIFY(dialog->SelectNode(QLatin1String(node)) && (dialog->AddSelected(), true));
        QCOMPARE(dialog->QuickList().size(), 3); // the second 仓库调拨 adds nothing
        dialog->MoveSelected(-1);                // 库存报警明细表 up one
        QCOMPARE(dialog->QuickList()[1].FuncNodeNo, QStringLiteral("0608"));
        QCOMPARE(dialog->ListBox1->currentRow(), 1);
        dialog->ListBox1->setCurrentRow(0);
        dialog->MoveSelected(-1); // already first: nothing moves
        QCOMPARE(dialog->QuickList()[0].FuncNodeNo, QStringLiteral("0602"));
        QVERIFY(dialog->Save());

        QCOMPARE(barNames(frame.QuickToolBar()),
                 (QStringList{QStringLiteral("mnuCkdb_1"), QStringLiteral("mnuBbCkbj_1"),
                              QStringLiteral("mnuCk_1"), QStringLiteral("btnExit")}));
        QCOMPARE(frame.QuickToolBar()->actions()[1]->property("picture").toInt(), int(fpReport));
        TTmpDataSet rows;
        rows->SetCommandText(QStringLiteral(
            "select XH,FuncNodeNo from Sys_UserQuick where UserNo='CK01' and VZSystem='office' "
            "order by XH"));
        rows->Open();
        QCOMPARE(rows->RecordCount(), 3);
        QCOMPARE(rows->FieldByName(QStringLiteral("FuncNodeNo"))->AsString(),
                 QStringLiteral("0602"));
        QCOMPARE(
            TfrmSetQuick::SaveStatements(QStringLiteral("O'Neil"), QStringLiteral("office"), {})
                .first(),
            QStringLiteral(" delete from Sys_UserQuick where UserNo='O''Neil' and "
                           "VZSystem='office'"));
    }

    void closingOffersTheBackupToThoseWhoMayBackUp()
    {
        // Leaving disconnects the data modules; the next test finds them connected again.
        world.afterTest([this] { QVERIFY2(world.connect(), qPrintable(world.error())); });
        TfrmMain &frame = openAs(QStringLiteral("SYS"));
        const auto stayed = whenModal<TFrmExit>([](TFrmExit &form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("退出选项"));
            form.btnCancel->click();
        });
        QVERIFY(!frame.close());
        QVERIFY(frame.isVisible());
        QVERIFY(Data().cn().Connected());
        const auto left = whenModal<TFrmExit>([](TFrmExit &form) { form.btnOK->click(); });
        QVERIFY(frame.close());
        QVERIFY(!Data().cn().Connected());
    }

    void closingAsksTheOthersAQuestion()
    {
        TfrmMain &frame = openAs(QStringLiteral("CG01"));
        TMessageBoxScript boxes{mrNo};
        QVERIFY(!frame.close());
        QCOMPARE(boxes.Last().Text, QStringLiteral("确实要退出系统吗？"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("退出系统"));
        QCOMPARE(boxes.Last().Buttons, TMsgButtons::YesNo);
        QVERIFY(frame.isVisible());
    }

    void theUploadAcceptsOnlyTheClientProgram()
    {
        world.afterTest([] {
            RunSQL(Data().AccountTemp(), QStringLiteral("delete from VersionInfor"), false);
        });
        TfrmMain &frame = openAs(QStringLiteral("SYS"));
        QTemporaryDir dir;
        const QString other = dir.filePath(QStringLiteral("notepad"));
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.close();
        TMessageBoxScript boxes;
        QVERIFY(!frame.UploadClient(other));
        QVERIFY(boxes.Last().Text.startsWith(QStringLiteral("只能上传客户端软件：")));

        const QString program =
            dir.filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        QFile client(program);
        QVERIFY(client.open(QIODevice::WriteOnly));
        client.write(QByteArray(70000, 'c'));
        client.close();
        QVERIFY(frame.UploadClient(program));
        QVERIFY(frame.UploadClient(program)); // replaces, never duplicates
        QCOMPARE(boxes.Last().Text, QStringLiteral("上传版本成功！"));
        TClientDataSet &temp = Data().AccountTemp();
        QVERIFY(RunSQL(temp, QStringLiteral("select * from VersionInfor"), true));
        QCOMPARE(temp.RecordCount(), 1);
        QCOMPARE(temp.FieldByName(QStringLiteral("sName"))->AsString(), ClientVersionName());
        QCOMPARE(temp.FieldByName(QStringLiteral("sVersion"))->AsString(), QStringLiteral("V9.95"));
        QCOMPARE(temp.FieldByName(QStringLiteral("pict"))->AsBytes().size(), 70000);
        temp.Close();
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
