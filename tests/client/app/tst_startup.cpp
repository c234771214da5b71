// The start-up against a real server: the server address dialog and SysConfig.ini, the
// account-set dialog, the login's refusals and case rules, the upgrade check, download and
// update script, and the whole sequence from the splash to the main window with every
// dialog answered as a user would.
#include "client/app/download.h"
#include "client/app/login.h"
#include "client/app/severadress.h"
#include "client/app/startup.h"
#include "client/app/ztlogin.h"
#include "client/core/inifile.h"
#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/core/sysconfig.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/forms/globalobj.h"
#include "client/shell/mainwindow.h"
#include "client/shell/mdiclient.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"
#include "wire/client.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using vztest::whenModal;

namespace {

QByteArray readFile(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Stores a client program in the server's version list, as an upload would.
// Offers a client version as the administrator's upload does (a logged-in SYS: the registry is
// the administrator's).
void offerVersion(wire::Client &administrator, const QString &version, const QByteArray &program)
{
    wire::Change offer;
    offer.newValues = {{QStringLiteral("sName"), ClientVersionName()},
                       {QStringLiteral("sFileName"), QStringLiteral("VzClient.exe")},
                       {QStringLiteral("sVersion"), version},
                       {QStringLiteral("pict"), program}};
    const wire::ApplyResult stored = administrator.apply(
        QStringLiteral("pAccountTemp"), QStringLiteral("select * from VersionInfor"), 0, {offer});
    QVERIFY(stored.errors.isEmpty());
}

// The start-up makes its own data modules: the world leaves them to the tests.
vztest::WorldOptions startupWorld()
{
    vztest::WorldOptions options;
    options.moreAccountSets = {QStringLiteral("002")};
    options.connect = false;
    return options;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

    vztest::TestWorld world{startupWorld()};
    // Boxes no test expects are answered and reported rather than waited for.
    std::unique_ptr<TMessageBoxScript> unexpected;

private Q_SLOTS:
    void initTestCase() { QVERIFY2(world.start(), qPrintable(world.error())); }

    void cleanupTestCase() { world.stop(); }

    void init() { unexpected = std::make_unique<TMessageBoxScript>(); }

    void cleanup()
    {
        const int boxes = unexpected->Count();
        const QString first = boxes ? unexpected->Requests().first().Text : QString();
        unexpected.reset();
        world.cleanup();
        world.disconnect();
        QVERIFY2(boxes == 0, qPrintable(QStringLiteral("unexpected message: ") + first));
    }

    void registrationSucceedsSilentlyAndAFailureIsReported()
    {
        TMessageBoxScript boxes;
        QVERIFY(RegisterDataAccessLibrary());
        QCOMPARE(boxes.Count(), 0);
        QVERIFY(!RegisterDataAccessLibrary([] { return false; }));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("注册midas.dll出错！"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("错误"));
    }

    void theAddressDialogCreatesAMissingConfigurationAndSavesTheTrimmedAddress()
    {
        QFile::remove(SysConfigFileName());
        std::unique_ptr<TFrmSeverAdress> dialog(CreateForm<TFrmSeverAdress>());
        QString offered;
        const auto answered = whenModal<TFrmSeverAdress>([&](TFrmSeverAdress &form) {
            offered = form.EditSeverAddress->text();
            form.EditSeverAddress->setText(QStringLiteral("  server.local:2110  "));
            QTest::mouseClick(form.btnOK, Qt::LeftButton);
        });
        QCOMPARE(dialog->ShowModal(), mrOk);
        QCOMPARE(offered, QStringLiteral("127.0.0.1"));
        QCOMPARE(SessionInfo().ServerHost, QStringLiteral("server.local:2110"));
        QCOMPARE(TIniFile(SysConfigFileName())
                     .ReadString(QStringLiteral("login"), QStringLiteral("hostname")),
                 QStringLiteral("server.local:2110"));
    }

    void theAddressDialogOffersTheFirstHostNameLineAndCancelEndsIt()
    {
        QFile file(SysConfigFileName());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[hostname]\nhostname=first\n[login]\nhostname=second\n");
        file.close();
        std::unique_ptr<TFrmSeverAdress> dialog(CreateForm<TFrmSeverAdress>());
        QString offered;
        const auto answered = whenModal<TFrmSeverAdress>([&](TFrmSeverAdress &form) {
            offered = form.EditSeverAddress->text();
            form.btnCancel->click();
        });
        QCOMPARE(dialog->ShowModal(), mrCancel);
        QCOMPARE(offered, QStringLiteral("first"));
    }

    void anUnreachableServerKeepsTheAccountSetDialogFromShowing()
    {
        SaveServerAddress(QStringLiteral("127.0.0.1:1"));
        QVERIFY(world.connect(vztest::Reach::Nothing));
        TMessageBoxScript boxes;
        std::unique_ptr<TfrmZTLogin> dialog(CreateForm<TfrmZTLogin>());
        QVERIFY(!dialog->MayShow());
        QVERIFY(!dialog->btnOK->isEnabled());
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(
            boxes.Last().Text,
            QStringLiteral("找不到服务器，请检查本软件包安装目录下面的SysConfig.ini配置文件！"));
    }

    void aChangedServerCertificateEndsTheStartUpWithItsMessage()
    {
        // SysConfig.ini knows another certificate for this server than the one it presents.
        const QString known = QStringLiteral("AB:").repeated(31) + QStringLiteral("AB");
        QVERIFY(TIniFile(SysConfigFileName())
                    .WriteString(QStringLiteral("tls"), world.address(), known));
        const auto address =
            whenModal<TFrmSeverAdress>([](TFrmSeverAdress &form) { form.btnOK->click(); });
        TMessageBoxScript boxes;
        TStartupOptions options;
        options.SplashMs = 0;
        TStartup startup(options);
        QVERIFY(!startup.Run());
        QVERIFY(address);
        QVERIFY(!startup.MainWindow());
        QCOMPARE(boxes.Count(), 1);
        const QString message = boxes.Last().Text;
        QVERIFY2(message.contains(QStringLiteral("安全证书")), qPrintable(message));
        QVERIFY2(message.contains(world.address() + QLatin1Char('=') + known), qPrintable(message));
        QVERIFY2(message.contains(Data().cn().ServerFingerprint()), qPrintable(message));
        QCOMPARE(KnownServerFingerprint(world.address()), known);
    }

    void theAccountSetDialogOffersTheLastChoiceAndRecordsTheNewOne()
    {
        QVERIFY(world.connect(vztest::Reach::Nothing));
        WriteLoginSetting(QStringLiteral("ztcode"), QStringLiteral("nosuch"));
        {
            std::unique_ptr<TfrmZTLogin> dialog(CreateForm<TfrmZTLogin>());
            QVERIFY(dialog->MayShow());
            dialog->show();
            QCOMPARE(dialog->cdsAccounts.RecordCount(), 2);
            QCOMPARE(dialog->cdsAccounts.FieldByName(QStringLiteral("AccountNo"))->AsString(),
                     QStringLiteral("001"));
        }
        WriteLoginSetting(QStringLiteral("ztcode"), QStringLiteral("002"));
        std::unique_ptr<TfrmZTLogin> dialog(CreateForm<TfrmZTLogin>());
        const auto chosen = whenModal<TfrmZTLogin>([](TfrmZTLogin &form) { form.btnOK->click(); });
        QCOMPARE(dialog->ShowModal(), mrOk);
        QCOMPARE(SessionInfo().AccountNo, QStringLiteral("002"));
        QCOMPARE(SessionInfo().AccountName, QStringLiteral("帐套002"));
        QCOMPARE(ReadLoginSetting(QStringLiteral("ztcode")), QStringLiteral("002"));
    }

    void enterOnTheHighlightedAccountSetChoosesIt()
    {
        QVERIFY(world.connect(vztest::Reach::Nothing));
        WriteLoginSetting(QStringLiteral("ztcode"), QStringLiteral("001"));
        std::unique_ptr<TfrmZTLogin> dialog(CreateForm<TfrmZTLogin>());
        const auto chosen = whenModal<TfrmZTLogin>([](TfrmZTLogin &form) {
            QTest::keyClick(form.DBGrid1->View(), Qt::Key_Down); // 002
            QTest::keyClick(form.DBGrid1->View(), Qt::Key_Return);
        });
        QCOMPARE(dialog->ShowModal(), mrOk);
        QVERIFY(chosen);
        QCOMPARE(SessionInfo().AccountNo, QStringLiteral("002"));
    }

    void loginRefusalsAndTheCaseRules_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("loggedIn");
        QTest::newRow("unknown code") << "nobody"
                                      << ""
                                      << "无效的用户代码,请重新输入!"
                                      << "";
        QTest::newRow("wrong password") << "KJ01"
                                        << "124"
                                        << "无效的密码, 请重新输入!"
                                        << "";
        QTest::newRow("empty for a set password") << "KJ01"
                                                  << ""
                                                  << "无效的密码, 请重新输入!"
                                                  << "";
        QTest::newRow("code in lower case") << "kj01"
                                            << "123"
                                            << ""
                                            << "KJ01";
        QTest::newRow("administrator in lower case") << "sys"
                                                     << ""
                                                     << ""
                                                     << "SYS";
        QTest::newRow("empty stored password") << "CG01"
                                               << ""
                                               << ""
                                               << "CG01";
        QTest::newRow("warehouse clerk") << "CK01"
                                         << ""
                                         << ""
                                         << "CK01";
    }

    void loginRefusalsAndTheCaseRules()
    {
        QFETCH(QString, code);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, loggedIn);
        QVERIFY(world.connect(vztest::Reach::Server));
        SessionInfo().AccountNo = QStringLiteral("001");
        FuncRight() = TSystemFunctionRight();
        FuncRight().SetDataSets(&Data().Tmp(), &Data().Tmpf(), &Data().Tmpl());
        TMessageBoxScript boxes;
        std::unique_ptr<TfrmLogin> dialog(CreateForm<TfrmLogin>());
        QVERIFY(dialog->MayShow());
        dialog->show();
        dialog->SetCodeText(code);
        dialog->edtPassword->setText(password);
        dialog->btnOK->click();
        if (!message.isEmpty()) {
            QCOMPARE(boxes.Count(), 1);
            QCOMPARE(boxes.Last().Text, message);
            QCOMPARE(boxes.Last().Caption, QStringLiteral("系统登录"));
            QCOMPARE(boxes.Last().Icon, TMsgIcon::Error);
            QCOMPARE(dialog->ModalResult(), mrNone);
            QVERIFY(FuncRight().UserCode.isEmpty());
            // The server did not let the session in either.
            QVERIFY_THROWS_EXCEPTION(ERemoteError, HasRows(QStringLiteral("select * from HP")));
            return;
        }
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(dialog->ModalResult(), mrOk);
        QCOMPARE(FuncRight().UserCode, loggedIn);
        QCOMPARE(CurUserCode, loggedIn);
        QVERIFY(CurUserID > 0);
        QCOMPARE(FuncRight().UserID, QString::number(CurUserID));
        QVERIFY(CurGroupID.startsWith(QLatin1Char('(')));
        QCOMPARE(FuncRight().CompanyName, QStringLiteral("演示帐套"));
        // Logged in, the user reads the books but never a stored password.
        QVERIFY(HasRows(QStringLiteral("select * from HP")));
        QCOMPARE(QueryValue(QStringLiteral("select uPassword from AppUser where uCode = 'KJ01'"))
                     .toString(),
                 QStringLiteral("******"));
        dialog->close();
        QCOMPARE(ReadLoginSetting(QStringLiteral("user")), code);
        QVERIFY(!Data().AppUser().Active());
    }

    void loginOffersTheLastUserOrSysAndKeepsTypedCodes()
    {
        QVERIFY(world.connect(vztest::Reach::Server));
        SessionInfo().AccountNo = QStringLiteral("001");
        WriteLoginSetting(QStringLiteral("user"), QString());
        QDir(ExeDirFile(QStringLiteral("Reports"))).removeRecursively();
        std::unique_ptr<TfrmLogin> dialog(CreateForm<TfrmLogin>());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QCOMPARE(dialog->CodeText(), QStringLiteral("SYS"));
        QVERIFY(dialog->btnOK->isEnabled());
        // The user-code combo is one line high, like the password edit beside it.
        QVERIFY2(qAbs(dialog->cbCode->height() - dialog->edtPassword->height()) <= 6,
                 qPrintable(QStringLiteral("%1 against %2")
                                .arg(dialog->cbCode->height())
                                .arg(dialog->edtPassword->height())));
        QVERIFY(QDir(ExeDirFile(QStringLiteral("Reports"))).exists());
        QVERIFY(!ComputerName.isEmpty());

        // A code typed into the lookup box stays there when the focus moves on.
        dialog->cbCode->setFocus();
        dialog->cbCode->Edit()->selectAll();
        QTest::keyClicks(dialog->cbCode->Edit(), QStringLiteral("cg01"));
        dialog->edtPassword->setFocus();
        QCOMPARE(dialog->CodeText(), QStringLiteral("cg01"));
        dialog->cbCode->Edit()->clear();
        QVERIFY(!dialog->btnOK->isEnabled());
    }

    void aRefusedSessionKeepsTheLoginFromShowing()
    {
        QVERIFY(world.connect(vztest::Reach::Server));
        world.afterTest([] { SessionInfo().AccountNo = QStringLiteral("001"); });
        SessionInfo().AccountNo = QStringLiteral("nosuch");
        TMessageBoxScript boxes;
        std::unique_ptr<TfrmLogin> dialog(CreateForm<TfrmLogin>());
        QVERIFY(!dialog->MayShow());
        QVERIFY(!dialog->btnOK->isEnabled());
        QVERIFY(!dialog->edtPassword->isEnabled());
        QCOMPARE(boxes.Count(), 0); // the program ends without a further message
    }

    void theUpgradeIsOfferedOnlyForANewerVersion()
    {
        QVERIFY(world.connect(vztest::Reach::Server));
        world.afterTest([this] {
            world.otherClient()->execute(QStringLiteral("delete from VersionInfor"),
                                         QStringLiteral("pAccountTemp"));
        });
        QVERIFY(!CheckClientUpgrade());

        QByteArray program(150000, 'x');
        program[0] = 'A';
        program[149999] = 'Z';
        offerVersion(*world.otherClient(), QStringLiteral("V9.96"), program);
        auto offered = whenModal<TfrmDownLoad>([](TfrmDownLoad &form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("版本升级"));
            QCOMPARE(form.lblText->text(), QStringLiteral("服务器上有新版本，您需要升级版本吗？"));
            form.btnCancel->click();
        });
        QVERIFY(!CheckClientUpgrade());
        QVERIFY(offered);

        // The download writes the program in chunks of 61440 bytes.
        std::unique_ptr<TfrmDownLoad> dialog(CreateForm<TfrmDownLoad>());
        QTemporaryDir target;
        dialog->SetTargetFile(target.filePath(QStringLiteral("vzclient.download")));
        QVERIFY(dialog->DownloadClient());
        QCOMPARE(readFile(dialog->TargetFile()), program);
        QCOMPARE(dialog->ProgressBar1->maximum(), 2);
        QVERIFY(!dialog->UpgradeChosen());
    }

    void theUpdateScriptReplacesTheProgramOnceItHasEndedAndStartsIt()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("vzclient"));
        const QString marker = dir.filePath(QStringLiteral("started"));
        QFile old(program);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("#!/bin/sh\necho old > '" + marker.toUtf8() + "'\n");
        old.close();
        const QString downloaded = dir.filePath(QStringLiteral("vzclient.download"));
        QFile fresh(downloaded);
        QVERIFY(fresh.open(QIODevice::WriteOnly));
        fresh.write("#!/bin/sh\necho new > '" + marker.toUtf8() + "'\n");
        fresh.close();

        // The running program: a process that ends a moment later.
        QProcess running;
        running.start(QStringLiteral("sleep"), {QStringLiteral("0.5")});
        QVERIFY(running.waitForStarted());
        const QString script = WriteUpdateScript(program, downloaded, running.processId());
        QCOMPARE(script, dir.filePath(QStringLiteral("update.sh")));
        QProcess update;
        update.start(QStringLiteral("/bin/sh"), {script});
        QVERIFY(update.waitForStarted());
        QVERIFY(!update.waitForFinished(200)); // still waiting for the program to end
        QVERIFY(running.waitForFinished());
        QVERIFY(update.waitForFinished(5000));
        QTRY_VERIFY(QFile::exists(marker));
        QCOMPARE(readFile(marker), QByteArray("new\n"));
        QVERIFY(!QFile::exists(downloaded));
        QVERIFY(!QFile::exists(script));
    }

    void startUpRunsFromTheSplashToTheMainWindow()
    {
        WriteLoginSetting(QStringLiteral("ztcode"), QStringLiteral("001"));
        auto address = whenModal<TFrmSeverAdress>([this](TFrmSeverAdress &form) {
            QCOMPARE(form.EditSeverAddress->text(), world.address());
            form.btnOK->click();
        });
        auto accounts = whenModal<TfrmZTLogin>([](TfrmZTLogin &form) { form.btnOK->click(); });
        auto login = whenModal<TfrmLogin>([](TfrmLogin &form) {
            form.SetCodeText(QStringLiteral("cg01"));
            form.edtPassword->clear();
            form.btnOK->click();
        });
        TStartupOptions options;
        options.SplashMs = 0;
        auto startup = std::make_unique<TStartup>(options);
        QVERIFY(startup->Run());
        QVERIFY(address && accounts && login);

        TfrmMain *main = startup->MainWindow();
        QVERIFY(main && main->isVisible());
        QCOMPARE(main->windowTitle(), QStringLiteral("VzClientV9.95"));
        QCOMPARE(SessionInfo().AccountNo, QStringLiteral("001"));
        QCOMPARE(FuncRight().UserCode, QStringLiteral("CG01"));
        QCOMPARE(main->StatusPanel(0)->text(), QStringLiteral("帐套：演示帐套"));
        QCOMPARE(main->StatusPanel(1)->text(), CurUserName);
        QVERIFY(main->Item(QStringLiteral("mnuCgsh"))->isEnabled());
        QVERIFY(!main->Item(QStringLiteral("mnuBackup"))->isEnabled());
        QVERIFY(main->Workspace()->isVisible());

        // The purchasing clerk has no backup right: leaving asks the plain question.
        TMessageBoxScript boxes{mrYes};
        QVERIFY(main->close());
        QCOMPARE(boxes.Last().Text, QStringLiteral("确实要退出系统吗？"));
        QVERIFY(!Data().cn().Connected());
    }

    void cancellingTheAddressDialogEndsTheStartUp()
    {
        const auto cancelled =
            whenModal<TFrmSeverAdress>([](TFrmSeverAdress &form) { form.btnCancel->click(); });
        TStartupOptions options;
        options.SplashMs = 0;
        TStartup startup(options);
        QVERIFY(!startup.Run());
        QVERIFY(!startup.MainWindow());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
