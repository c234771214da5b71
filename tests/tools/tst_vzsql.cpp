// vzsql as a user runs it: a new file, statements, CSV on standard output.
#include "support/serverprocess.h"

#include "vzversion.h"

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
};

Result run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(vztest::programPath(program), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(Programs, PrintTheirVersion)
{
    for (const QString &program :
         {QStringLiteral("vzsql"), QStringLiteral("vzserver"), QStringLiteral("vzclient")}) {
        const Result result = run(program, {QStringLiteral("--version")});
        EXPECT_EQ(result.exitCode, 0) << program.toStdString();
        EXPECT_TRUE(result.out.contains(QStringLiteral(VZ_PRODUCT_VERSION)))
            << program.toStdString() << ": " << result.out.toStdString();
        EXPECT_TRUE(result.out.contains(QStringLiteral(VZ_PRODUCT_TITLE)));
    }
}

TEST(Vzsql, CreatesANewFileAndPrintsCsv)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("t.db"));
    ASSERT_EQ(
        run(QStringLiteral("vzsql"), {QStringLiteral("--db"), db, QStringLiteral("-c"),
                                      QStringLiteral("create table T (ID int, MC varchar(20))")})
            .exitCode,
        0);
    EXPECT_TRUE(QFileInfo::exists(db));
    run(QStringLiteral("vzsql"), {QStringLiteral("--db"), db, QStringLiteral("-c"),
                                  QStringLiteral("insert into T values (1, 'a,\"b\"')")});
    const Result result =
        run(QStringLiteral("vzsql"), {QStringLiteral("--db"), db, QStringLiteral("-c"),
                                      QStringLiteral("select ID, MC from T")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, QStringLiteral("ID,MC\r\n1,\"a,\"\"b\"\"\"\r\n"));
}

TEST(Vzsql, ReportsAnErrorWithStatusOne)
{
    QTemporaryDir dir;
    const Result result = run(QStringLiteral("vzsql"),
                              {QStringLiteral("--db"), dir.filePath(QStringLiteral("t.db")),
                               QStringLiteral("-c"), QStringLiteral("select * from Missing")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Missing")));
    EXPECT_TRUE(result.out.isEmpty());
}
