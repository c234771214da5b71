// vzsql --server as a user runs it against a real vzserver.
#include "serverfixture.h"

#include <QProcess>

using namespace vztest;

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

class RemoteShell : public ServerTest
{
protected:
    ToolRun vzsql(const QStringList &arguments)
    {
        QProcess process;
        process.start(programPath(QStringLiteral("vzsql")), arguments);
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QStringList remote(const QString &account = QStringLiteral("001"))
    {
        return {QStringLiteral("--server"), server.address(), QStringLiteral("--account"), account};
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
