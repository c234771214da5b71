// vzsql --server as a user runs it against a real vzserver.
#include "serverfixture.h"
#include "support/hostilesql.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace vztest;

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
    bool crashed = false;
};

class RemoteShell : public ServerTest
{
protected:
    ToolRun vzsql(const QStringList &arguments, const QString &password = {})
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VZ_PASSWORD"), password); // SYS has none
        process.setProcessEnvironment(environment);
        process.start(programPath(QStringLiteral("vzsql")), arguments);
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError()),
                process.exitStatus() == QProcess::CrashExit};
    }

    QStringList remote(const QString &account = QStringLiteral("001"))
    {
        return {QStringLiteral("--server"),  server.address(),
                QStringLiteral("--account"), account,
                QStringLiteral("--user"),    QStringLiteral("SYS")};
    }
};

} // namespace

TEST_F(RemoteShell, RunsStatementsThroughTheServerAndPrintsCsv)
{
    const ToolRun created =
        vzsql(remote() +
              QStringList{
                  QStringLiteral("-c"),
                  QStringLiteral("create table T (ID integer primary key, MC varchar(20), RQ date, "
                                 "SJ datetime, ZT bit, SL float)"),
                  QStringLiteral("-c"),
                  QStringLiteral(
                      "insert into T values (1, 'a,\"b\"', '2024-03-01', '2024-03-01 10:05:00', "
                      "1, 17.0), (2, '螺丝', null, '2024-03-02', 0, 0.1)")});
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
    EXPECT_TRUE(created.out.isEmpty());

    const ToolRun selected =
        vzsql(remote() +
              QStringList{QStringLiteral("-c"), QStringLiteral("select * from T order by ID")});
    EXPECT_EQ(selected.exitCode, 0) << selected.err.toStdString();
    // Printed as the local mode prints the same rows of an account-set file.
    EXPECT_EQ(selected.out,
              QStringLiteral("ID,MC,RQ,SJ,ZT,SL\r\n"
                             "1,\"a,\"\"b\"\"\",2024-03-01,2024-03-01 10:05:00,1,17\r\n"
                             "2,螺丝,,2024-03-02 00:00:00,0,0.1\r\n"));
}

TEST_F(RemoteShell, NothingIsReadWithoutALogin)
{
    execOnFile("create table HP (ID integer primary key); insert into HP values (1), (2)");
    execOnFile("insert into AppUser (ID, uCode, uName, uPassword, gID) values "
               "(4, 'KJ01', 'Accountant', '', '(4)')");
    const QStringList count{QStringLiteral("-c"), QStringLiteral("select count(*) from HP")};
    const QStringList anonymous{QStringLiteral("--server"), server.address(),
                                QStringLiteral("--account"), QStringLiteral("001")};
    const ToolRun refused = vzsql(anonymous + count);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("not logged in"))) << refused.err.toStdString();
    EXPECT_TRUE(refused.out.isEmpty());

    const ToolRun answered = vzsql(remote() + count);
    EXPECT_EQ(answered.exitCode, 0) << answered.err.toStdString();
    EXPECT_TRUE(answered.out.endsWith(QStringLiteral("\r\n2\r\n"))) << answered.out.toStdString();

    // The password comes from VZ_PASSWORD when no terminal asks for it.
    const QStringList accountant =
        anonymous + QStringList{QStringLiteral("--user"), QStringLiteral("KJ01")};
    const ToolRun wrong = vzsql(accountant + count, QStringLiteral("guess"));
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("wrong password"))) << wrong.err.toStdString();
    EXPECT_EQ(vzsql(accountant + count).exitCode, 0);
}

TEST_F(RemoteShell, ARefusedAccountSetAFailedStatementOrNoServerExitWithOne)
{
    const ToolRun refused = vzsql(remote(QStringLiteral("999")) +
                                  QStringList{QStringLiteral("-c"), QStringLiteral("select 1")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("999"))) << refused.err.toStdString();

    const ToolRun failed = vzsql(
        remote() + QStringList{QStringLiteral("-c"), QStringLiteral("select * from Missing")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("Missing")));
    EXPECT_TRUE(failed.out.isEmpty());

    const quint16 port = server.port();
    server.stop();
    const ToolRun unreachable =
        vzsql({QStringLiteral("--server"), QStringLiteral("127.0.0.1:%1").arg(port),
               QStringLiteral("--account"), QStringLiteral("001"), QStringLiteral("-c"),
               QStringLiteral("select 1")});
    EXPECT_EQ(unreachable.exitCode, 1);
    EXPECT_TRUE(unreachable.err.contains(QStringLiteral("cannot connect")))
        << unreachable.err.toStdString();
}

TEST_F(RemoteShell, TheServersCertificateIsShownOrCheckedAndTlsCanBeLeftOut)
{
    const QStringList select{QStringLiteral("-c"), QStringLiteral("select 1")};
    wire::Client probe;
    probe.connect(server.host(), server.port());
    const QString fingerprint = probe.serverFingerprint();

    // Not pinned: answered, and the fingerprint is shown for the user to compare.
    const ToolRun shown = vzsql(remote() + select);
    EXPECT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_TRUE(shown.err.contains(fingerprint)) << shown.err.toStdString();

    const ToolRun pinned =
        vzsql(remote() + QStringList{QStringLiteral("--fingerprint"), fingerprint} + select);
    EXPECT_EQ(pinned.exitCode, 0) << pinned.err.toStdString();
    EXPECT_EQ(pinned.out, QStringLiteral("Expr1000\r\n1\r\n"));
    EXPECT_TRUE(pinned.err.isEmpty()) << pinned.err.toStdString();

    const QString other = QStringLiteral("00").repeated(32);
    const ToolRun refused =
        vzsql(remote() + QStringList{QStringLiteral("--fingerprint"), other} + select);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_TRUE(refused.err.contains(fingerprint) && refused.err.contains(other))
        << refused.err.toStdString();

    const ToolRun plain = vzsql(remote() + QStringList{QStringLiteral("--no-tls")} + select);
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_TRUE(plain.err.contains(QStringLiteral("requires an encrypted connection (TLS)")))
        << plain.err.toStdString();

    server.stop();
    ASSERT_TRUE(server.start({QStringLiteral("--no-tls")})) << server.error().toStdString();
    const ToolRun withoutTls = vzsql(remote() + QStringList{QStringLiteral("--no-tls")} + select);
    EXPECT_EQ(withoutTls.exitCode, 0) << withoutTls.err.toStdString();
    EXPECT_EQ(withoutTls.out, QStringLiteral("Expr1000\r\n1\r\n"));
    const ToolRun encrypted = vzsql(remote() + select);
    EXPECT_EQ(encrypted.exitCode, 1);
    EXPECT_TRUE(encrypted.err.contains(QStringLiteral("does not use encrypted connections")))
        << encrypted.err.toStdString();
}

// Statements far beyond the translator's bounds, sent as a user would send them: each gets an
// error reply from the server, and the same server then answers another client.
TEST_F(RemoteShell, TooComplexStatementsGetAnErrorAndTheServerServesOn)
{
    const ToolRun created = vzsql(
        remote() + QStringList{QStringLiteral("-c"),
                               QStringLiteral("create table Inv_Itemlist (ID int, a int)"),
                               QStringLiteral("-c"),
                               QStringLiteral("insert into Inv_Itemlist values (1, 1), (2, 3)")});
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();

    const std::vector<vztest::HostileStatement> cases = vztest::hostileStatements();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("q.sql"));
    for (const auto &c : cases) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.text);
        out.close();
        const ToolRun refused = vzsql(remote() + QStringList{QStringLiteral("-f"), file});
        EXPECT_FALSE(refused.crashed) << c.what;
        EXPECT_EQ(refused.exitCode, 1) << c.what;
        EXPECT_TRUE(refused.err.contains(
            QStringLiteral("statement too complex: nested deeper than 256 levels")))
            << c.what << ": " << refused.err.left(300).toStdString();
        EXPECT_TRUE(refused.out.isEmpty()) << c.what;

        // The reply is the server's own: the same text sent by a protocol client.
        try {
            rowsOf(*connect(), QString::fromUtf8(c.text));
            ADD_FAILURE() << c.what << " was answered";
        } catch (const wire::Error &e) {
            EXPECT_EQ(e.kind(), wire::Error::Kind::Server) << c.what;
            EXPECT_TRUE(e.message().startsWith(
                QStringLiteral("statement too complex: nested deeper than 256 levels")))
                << c.what << ": " << e.message().left(300).toStdString();
        }

        const ToolRun counted =
            vzsql(remote() + QStringList{QStringLiteral("-c"),
                                         QStringLiteral("select count(*) from Inv_Itemlist")});
        EXPECT_EQ(counted.exitCode, 0) << c.what << ": " << counted.err.toStdString();
        EXPECT_EQ(counted.out, QStringLiteral("Expr1000\r\n2\r\n")) << c.what;
    }
}

// Through the server as on a file: a row that is one empty text is written "", a NULL stays
// empty.
TEST_F(RemoteShell, AnEmptyTextAloneIsQuotedANullIsNot)
{
    const ToolRun created = vzsql(
        remote() +
        QStringList{QStringLiteral("-c"), QStringLiteral("create table E (ID int, MC varchar(10))"),
                    QStringLiteral("-c"),
                    QStringLiteral("insert into E values (1, ''), (2, Null), (3, 'a')")});
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
    const ToolRun single =
        vzsql(remote() +
              QStringList{QStringLiteral("-c"), QStringLiteral("select MC from E order by ID")});
    EXPECT_EQ(single.exitCode, 0) << single.err.toStdString();
    EXPECT_EQ(single.out, QStringLiteral("MC\r\n\"\"\r\n\r\na\r\n"));
    const ToolRun wide =
        vzsql(remote() + QStringList{QStringLiteral("-c"),
                                     QStringLiteral("select ID, MC from E order by ID")});
    EXPECT_EQ(wide.out, QStringLiteral("ID,MC\r\n1,\r\n2,\r\n3,a\r\n"));
}
