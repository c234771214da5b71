// vzclient driven by a script: --autologin through the real start-up, --open choosing a menu
// item, and the exit status that tells a missing window from a real one.
#include "support/serverprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result
{
    int exitCode = -1;
    QString err;
};

class VzclientCli : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        server = new vztest::ServerProcess;
        QString output;
        ASSERT_EQ(server->runTool({QStringLiteral("--create-account"), QStringLiteral("001"),
                                   QStringLiteral("演示帐套"), QStringLiteral("--demo")},
                                  &output),
                  0)
            << output.toStdString();
        ASSERT_TRUE(server->start()) << server->error().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }

    // Runs vzclient on a client folder whose SysConfig.ini names the test's server (or the
    // address given).
    Result run(const QStringList &arguments, const QString &address = {})
    {
        QDir(home.path()).mkpath(QStringLiteral("System"));
        QFile config(home.filePath(QStringLiteral("SysConfig.ini")));
        EXPECT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("[login]\nhostname=" +
                     (address.isEmpty() ? server->address() : address).toUtf8() + "\n");
        config.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VZCLIENT_HOME"), home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(vztest::programPath(QStringLiteral("vzclient")),
                      QStringList{QStringLiteral("--autologin"), QStringLiteral("SYS")} +
                          arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return {-1, QStringLiteral("vzclient did not finish")};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromUtf8(process.readAllStandardError())};
    }

    static vztest::ServerProcess *server;
    QTemporaryDir home;
};

vztest::ServerProcess *VzclientCli::server = nullptr;

TEST_F(VzclientCli, TheServerIsRememberedByItsCertificateAndNoTlsReachesAPlainServer)
{
    const QString picture = home.filePath(QStringLiteral("main.png"));
    Result result = run({QStringLiteral("--screenshot"), picture});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    ASSERT_TRUE(QFileInfo(picture).size() > 0) << result.err.toStdString();
    QFile config(home.filePath(QStringLiteral("SysConfig.ini")));
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(config.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[tls]")) &&
                text.contains(server->address() + QLatin1Char('=')))
        << text.toStdString();
    config.close();

    vztest::ServerProcess plain;
    QString output;
    ASSERT_EQ(plain.runTool({QStringLiteral("--create-account"), QStringLiteral("001"),
                             QStringLiteral("演示帐套"), QStringLiteral("--demo")},
                            &output),
              0)
        << output.toStdString();
    ASSERT_TRUE(plain.start({QStringLiteral("--no-tls")})) << plain.error().toStdString();
    // The main window is photographed only when the start-up got through.
    QFile::remove(picture);
    result =
        run({QStringLiteral("--no-tls"), QStringLiteral("--screenshot"), picture}, plain.address());
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(QFileInfo(picture).size() > 0) << result.err.toStdString();
}

TEST_F(VzclientCli, MenuItemWithWindowIsPhotographed)
{
    const QString picture = home.filePath(QStringLiteral("ck.png"));
    const Result result = run({QStringLiteral("--open"), QStringLiteral("mnuCk"),
                               QStringLiteral("--screenshot"), picture});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(QFileInfo(picture).size() > 0);
}

TEST_F(VzclientCli, UnknownMenuItemIsRefused)
{
    const Result result = run({QStringLiteral("--open"), QStringLiteral("mnuNoSuchItem")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains(QStringLiteral("mnuNoSuchItem"))) << result.err.toStdString();
}

} // namespace
