// vzsql as a user runs it on a database file: Jet statements in, CSV out, errors on standard
// error with status 1; and the version every program prints.
#include "support/hostilesql.h"
#include "support/serverprocess.h"

#include "vzversion.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result
{
    int exitCode = -1;
    QString out;
    QString err;
    bool crashed = false;
};

Result runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(vztest::programPath(program), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()),
            process.exitStatus() == QProcess::CrashExit};
}

Result vzsql(const QStringList &arguments)
{
    return runProgram(QStringLiteral("vzsql"), arguments);
}

class Vzsql : public ::testing::Test
{
protected:
    Result run(const QString &statement, const QStringList &more = {})
    {
        return vzsql(
            QStringList{QStringLiteral("--db"), database, QStringLiteral("-c"), statement} + more);
    }
    void ok(const QString &statement, const QStringList &more = {})
    {
        const Result result = run(statement, more);
        ASSERT_EQ(result.exitCode, 0)
            << statement.toStdString() << ": " << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    }
    QString csv(const QString &statement, const QStringList &more = {})
    {
        const Result result = run(statement, more);
        EXPECT_EQ(result.exitCode, 0)
            << statement.toStdString() << ": " << result.err.toStdString();
        EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        return result.out;
    }

    QTemporaryDir dir;
    QString database = dir.filePath(QStringLiteral("t.db"));
};

TEST(Programs, PrintTheirVersion)
{
    for (const QString &program :
         {QStringLiteral("vzsql"), QStringLiteral("vzserver"), QStringLiteral("vzclient")}) {
        const Result result = runProgram(program, {QStringLiteral("--version")});
        EXPECT_EQ(result.exitCode, 0) << program.toStdString();
        EXPECT_TRUE(result.out.contains(QStringLiteral(VZ_PRODUCT_VERSION)))
            << program.toStdString() << ": " << result.out.toStdString();
        EXPECT_TRUE(result.out.contains(QStringLiteral(VZ_PRODUCT_TITLE)));
    }
}

TEST_F(Vzsql, JetInsertsAndSelectsOnANewFile)
{
    ok(QStringLiteral("create table T (ID int, RQ date, MC varchar(20), ZT bit)"));
    EXPECT_TRUE(QFileInfo::exists(database));
    ok(QStringLiteral("insert into T (ID, RQ, MC, ZT) values (1, #2024-3-1#, '螺丝', True)"));
    ok(QStringLiteral("insert into T (ID, RQ, MC) values (2, '2024/02/29', 'O''Neil, \"Jr\"')"));
    ok(QStringLiteral("insert into T values (3, Null, 'b', -1)"));
    EXPECT_EQ(csv(QStringLiteral("select * from T")),
              QStringLiteral("ID,RQ,MC,ZT\r\n"
                             "1,2024-03-01,螺丝,1\r\n"
                             "2,2024-02-29,\"O'Neil, \"\"Jr\"\"\",0\r\n"
                             "3,,b,1\r\n"));
    EXPECT_EQ(
        csv(QStringLiteral("select ID, RQ + 30 as D, MC + '_' + MC as X, "
                           "iif(ZT, '是', '否') as Y, Year(RQ), left(RQ, 7) as M "
                           "from T where RQ between #2024-02-01# and #2024-03-31# "
                           "order by RQ")),
        QStringLiteral("ID,D,X,Y,Expr1000,M\r\n"
                       "2,2024-03-30,\"O'Neil, \"\"Jr\"\"_O'Neil, \"\"Jr\"\"\",否,2024,2024-02\r\n"
                       "1,2024-03-31,螺丝_螺丝,是,2024,2024-03\r\n"));
    EXPECT_EQ(csv(QStringLiteral("select top 1 ID from T where not ZT")),
              QStringLiteral("ID\r\n2\r\n"));
    EXPECT_EQ(csv(QStringLiteral("select count(*) as N, sum(ID) / 4 as Q from T where ZT = true")),
              QStringLiteral("N,Q\r\n2,1\r\n"));
    // An empty result still names its columns.
    EXPECT_EQ(csv(QStringLiteral("select ID, MC from T where 1=2")), QStringLiteral("ID,MC\r\n"));
}

TEST_F(Vzsql, TsqlDialect)
{
    ok(QStringLiteral("create table T (ID int, RQ datetime, MC varchar(20))"));
    ok(QStringLiteral("insert into T values (1, '2024-03-01', 'a')"),
       {QStringLiteral("--dialect"), QStringLiteral("tsql")});
    EXPECT_EQ(csv(QStringLiteral("select top 1 isnull(MC, '') + '!' as X, RQ, 7/2 as H from T"),
                  {QStringLiteral("--dialect"), QStringLiteral("tsql")}),
              QStringLiteral("X,RQ,H\r\na!,2024-03-01 00:00:00,3\r\n"));
    EXPECT_EQ(csv(QStringLiteral("select 7/2 as H from T")), QStringLiteral("H\r\n3.5\r\n"));
}

TEST_F(Vzsql, RunsAScriptFileInOrder)
{
    const QString script = dir.filePath(QStringLiteral("s.sql"));
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("create table K (ID int, MC char(10));\n"
               "insert into K values (1, 'x;y')\n"
               "insert into K values (2, 'z');\n"
               "select MC from K order by ID;\n"
               "select count(*) as N from K;\n");
    file.close();
    const Result result = vzsql({QStringLiteral("--db"), database, QStringLiteral("-f"), script});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("MC\r\nx;y\r\nz\r\nN\r\n2\r\n"));

    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(
        "insert into K values (3, 'w');\nselect Nope from K;\ninsert into K values (4, 'v');\n");
    file.close();
    const Result failed = vzsql({QStringLiteral("--db"), database, QStringLiteral("-f"), script});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("statement 2: unknown column Nope")))
        << failed.err.toStdString();
    // The statements before the error ran, the ones after it did not.
    EXPECT_EQ(csv(QStringLiteral("select max(ID) as M from K")), QStringLiteral("M\r\n3\r\n"));
}

TEST_F(Vzsql, PrintsTheTranslationInsteadOfRunning)
{
    ok(QStringLiteral("create table T (ID int, RQ date, MC varchar(20), ZT bit)"));
    const Result result =
        run(QStringLiteral("select top 5 MC + '_' from T where RQ > #2024-3-1# order by ID"),
            {QStringLiteral("--translate")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.toStdString(),
              "SELECT Expr1000 FROM (SELECT MC || '_' AS \"Expr1000\", rank() OVER (ORDER BY ID) "
              "AS \"vz_rank\" FROM T WHERE RQ > '2024-03-01') WHERE vz_rank <= 5 ORDER BY "
              "vz_rank\n");
    // Nothing was inserted by translating an insert.
    run(QStringLiteral("insert into T (ID) values (1)"), {QStringLiteral("--translate")});
    EXPECT_EQ(csv(QStringLiteral("select count(*) as N from T")), QStringLiteral("N\r\n0\r\n"));
}

TEST_F(Vzsql, ListsReferencesWithOrWithoutADatabase)
{
    const Result loose = vzsql(
        {QStringLiteral("--references"), QStringLiteral("-c"),
         QStringLiteral("select M.*, H.BH from CGTH M, HP H, M inner join H on M.HPID=H.ID")});
    EXPECT_EQ(loose.exitCode, 0) << loose.err.toStdString();
    EXPECT_EQ(loose.out,
              QStringLiteral("table,column\r\nCGTH,*\r\nCGTH,HPID\r\nHP,ID\r\nHP,BH\r\n"));
    ok(QStringLiteral("create table HP (ID int, BH char(10))"));
    const Result missing =
        run(QStringLiteral("select H.PM from HP H"), {QStringLiteral("--references")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("unknown column H.PM")));
}

// Texts far beyond the bounds of the translator, from a file as a user would run them: an error
// naming the bound, status 1, no crash; whether translated only or run, in both dialects.
TEST_F(Vzsql, TooComplexStatementsAreErrorsNotCrashes)
{
    ok(QStringLiteral("create table Inv_Itemlist (ID int, a int)"));
    const std::vector<vztest::HostileStatement> cases = vztest::hostileStatements();
    const QString file = dir.filePath(QStringLiteral("q.sql"));
    for (const auto &c : cases) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.text);
        out.close();
        for (const QStringList &mode :
             {QStringList{QStringLiteral("--translate")}, QStringList{},
              QStringList{QStringLiteral("--dialect"), QStringLiteral("tsql")}}) {
            const Result result = vzsql(
                QStringList{QStringLiteral("--db"), database, QStringLiteral("-f"), file} + mode);
            EXPECT_FALSE(result.crashed) << c.what;
            EXPECT_EQ(result.exitCode, 1) << c.what;
            EXPECT_TRUE(result.err.startsWith(
                QStringLiteral("vzsql: statement too complex: nested deeper than 256 levels")))
                << c.what << ": " << result.err.left(200).toStdString();
            EXPECT_TRUE(result.out.isEmpty()) << c.what;
        }
    }
    // The file is fine afterwards.
    EXPECT_EQ(csv(QStringLiteral("select count(*) as N from Inv_Itemlist")),
              QStringLiteral("N\r\n0\r\n"));
}

// A row that is one empty text is written "" so that it reads back as a row; a NULL stays empty.
TEST_F(Vzsql, AnEmptyTextAloneIsQuotedANullIsNot)
{
    ok(QStringLiteral("create table E (ID int, MC varchar(10))"));
    ok(QStringLiteral("insert into E values (1, ''), (2, Null), (3, 'a')"));
    EXPECT_EQ(csv(QStringLiteral("select MC from E order by ID")),
              QStringLiteral("MC\r\n\"\"\r\n\r\na\r\n"));
    EXPECT_EQ(csv(QStringLiteral("select ID, MC from E order by ID")),
              QStringLiteral("ID,MC\r\n1,\r\n2,\r\n3,a\r\n"));
}

TEST_F(Vzsql, ReportsErrorsWithStatusOne)
{
    const Result syntax = run(QStringLiteral("select from T"));
    EXPECT_EQ(syntax.exitCode, 1);
    EXPECT_TRUE(syntax.out.isEmpty());
    EXPECT_EQ(syntax.err, QStringLiteral("vzsql: syntax error at position 8 near \"from\", "
                                         "expected an expression\n"));
    const Result unknown = run(QStringLiteral("select * from Nowhere"));
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("unknown table Nowhere")));
    EXPECT_TRUE(unknown.out.isEmpty());
    const Result usage = vzsql({QStringLiteral("-c"), QStringLiteral("select 1")});
    EXPECT_EQ(usage.exitCode, 2);
    const Result dialect =
        run(QStringLiteral("select 1"), {QStringLiteral("--dialect"), QStringLiteral("oracle")});
    EXPECT_EQ(dialect.exitCode, 2);
}

} // namespace
