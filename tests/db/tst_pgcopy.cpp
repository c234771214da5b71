// An account set copied into PostgreSQL: the demo set verifies and answers as on SQLite; every
// kind of value survives; the client's corpus of queries returns the same rows on both
// engines; a copy that fails leaves the PostgreSQL database as it was.
#include "accountdbtestutil.h"
#include "pg/connection.h"
#include "pgdemo.h"
#include "server/accountdb.h"
#include "server/pgcopy.h"
#include "sql/csv.h"
#include "sql/translator.h"
#include "support/pgcluster.h"

#include "../sql/sqltest.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>

#include <algorithm>

namespace {

std::string onlyValue(pg::Connection &pg, const std::string &query)
{
    const pg::Result result = pg.exec(query);
    return result.rows() ? std::string(result.text(0, 0)) : std::string();
}

int tableCount(pg::Connection &pg)
{
    return std::stoi(
        onlyValue(pg, "SELECT count(*) FROM pg_tables WHERE schemaname = current_schema()"));
}

// A query's rows on each engine, translated for it, in the display form of its typed columns.
class TwoEngines
{
public:
    TwoEngines(sqlite3 *sqlite, pg::Connection &pg)
        : m_sqlite(sqlite)
        , m_pg(pg)
        , m_sqliteTranslator(sqlite)
        , m_pgTranslator(sqlite, sql::Engine::Postgres)
    {}

    std::vector<std::string> sqliteRows(const std::string &text, sql::Dialect dialect)
    {
        const auto translation = m_sqliteTranslator.translate(text, dialect);
        sqlite3_stmt *raw = nullptr;
        if (sqlite3_prepare_v2(m_sqlite, translation->sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_sqlite));
        sql::Statement statement(m_sqlite, raw);
        std::vector<std::string> rows;
        while (statement.step()) {
            std::string line;
            for (int c = 0; c < statement.columnCount(); ++c)
                line += (c ? "," : "") +
                        sql::csvField(sql::formatColumn(typeOf(*translation, c), raw, c));
            rows.push_back(std::move(line));
        }
        return rows;
    }

    std::vector<std::string> postgresRows(const std::string &text, sql::Dialect dialect)
    {
        const auto translation = m_pgTranslator.translate(text, dialect);
        const pg::Result result = m_pg.exec(translation->sql);
        std::vector<std::string> rows;
        for (int r = 0; r < result.rows(); ++r) {
            std::string line;
            for (int c = 0; c < result.columns(); ++c) {
                line += c ? "," : "";
                if (!result.isNull(r, c))
                    line += sql::csvField(
                        sql::formatPostgresValue(typeOf(*translation, c), result.text(r, c)));
            }
            rows.push_back(std::move(line));
        }
        return rows;
    }

private:
    static sql::ValueType typeOf(const sql::Translation &translation, int column)
    {
        return size_t(column) < translation.columns.size()
                   ? translation.columns[size_t(column)].type
                   : sql::ValueType::Unknown;
    }

    sqlite3 *m_sqlite;
    pg::Connection &m_pg;
    sql::Translator m_sqliteTranslator;
    sql::Translator m_pgTranslator;
};

class PgCopyDemo : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dbtest::PgDemoSet &set = dbtest::PgDemoSet::shared();
        s_db = &set.db;
        s_pg = set.pg.get();
        s_report = &set.report;
    }

    static sql::Database *s_db;
    static pg::Connection *s_pg;
    static server::CopyReport *s_report;
};

sql::Database *PgCopyDemo::s_db = nullptr;
pg::Connection *PgCopyDemo::s_pg = nullptr;
server::CopyReport *PgCopyDemo::s_report = nullptr;

TEST_F(PgCopyDemo, EveryTableArrivesWithItsRowsIndexesViewsAndVersion)
{
    const std::vector<std::string> tables = dbtest::tables(*s_db);
    ASSERT_EQ(s_report->tables.size(), tables.size());
    long long rows = 0;
    for (const server::CopiedTable &table : s_report->tables) {
        EXPECT_EQ(table.rows, dbtest::integer(*s_db, "SELECT count(*) FROM \"" + table.name + "\""))
            << table.name;
        EXPECT_GT(table.checks, 1) << table.name;
        rows += table.rows;
    }
    EXPECT_GT(rows, 5000);
    EXPECT_EQ(s_report->views, 2);
    EXPECT_GT(s_report->indexes, 150);
    EXPECT_EQ(s_report->schemaVersion, server::accountSchemaVersion());
    EXPECT_EQ(onlyValue(*s_pg, "SELECT version FROM vz_schema"),
              std::to_string(server::accountSchemaVersion()));
}

TEST_F(PgCopyDemo, AnswersTheClientsQueriesAsSqliteDoes)
{
    TwoEngines engines(s_db->handle(), *s_pg);
    // The stock view, a join with text ordering, dates, and a partner search by prefix.
    for (const char *text : {
             "select HPID, CKID, JCS from HPKC order by HPID, CKID",
             "select H.BH, H.PM, L.MC from HP H left join HPLB L on H.HPLBID = L.ID order by H.PM, "
             "H.BH",
             "select top 5 DJBH, RQ, JE from XSKDZB order by RQ desc, DJBH",
             "select MC from KH where MC like '%公司%' or BH like 'k%' order by MC",
             "select count(*), sum(SL * DJ) from XSKD",
             "select DJBH, RQ + SKQX as DQ from XSKDZB where SKQX > 0 order by DJBH",
             "select year(RQ) as Y, month(RQ) as M, count(*) as N from CGSHZB group by year(RQ), "
             "month(RQ) order by 1, 2",
         }) {
        EXPECT_EQ(engines.postgresRows(text, sql::Dialect::Jet),
                  engines.sqliteRows(text, sql::Dialect::Jet))
            << text;
    }
}

TEST_F(PgCopyDemo, KeysContinueAndCodesStayUniqueWithoutRegardToCase)
{
    const std::string next = onlyValue(*s_pg, "SELECT max(id) + 1 FROM hp");
    EXPECT_EQ(onlyValue(*s_pg, "INSERT INTO hp (bh, pm) VALUES ('PG-NEW', 'x') RETURNING id"),
              next);
    s_pg->exec("DELETE FROM hp WHERE bh = 'PG-NEW'");
    try {
        s_pg->exec("INSERT INTO appuser (ucode, uname) VALUES ('sys', 'second')");
        ADD_FAILURE() << "a second SYS in lower case was stored";
    } catch (const pg::Error &error) {
        EXPECT_EQ(error.sqlState(), pg::sqlstate::UniqueViolation) << error.what();
    }
}

// Values of every kind, including those COPY's text format gives a meaning to.
TEST(PgCopy, EveryKindOfValueSurvivesTheJourney)
{
    sql::Database db(":memory:");
    sql::registerExtensions(db.handle());
    db.exec("CREATE TABLE V (ID INTEGER PRIMARY KEY, T VARCHAR(40) COLLATE NOCASE, M TEXT, "
            "N INTEGER, F FLOAT, B BIT NOT NULL DEFAULT 0, D DATE, S DATETIME, P BLOB)");
    db.exec("INSERT INTO V VALUES "
            "(1, 'O''Neil', 'tab\there' || char(10) || 'line\\back', 7, 0.1, 1, '2024-02-29', "
            "'2024-03-01 23:59:59', x'00ff10'),"
            "(2, '张三丰', '', -9007199254740993, -1e300, 0, '1899-12-30', '2024-03-01', x''),"
            "(3, NULL, NULL, NULL, NULL, 0, NULL, NULL, NULL),"
            "(7, 'a\\N', '\\.', 0, 1.5, 1, '2100-01-01', '2000-01-01 00:00:01', x'5c4e')");
    pg::Connection pg(testsupport::PgCluster::shared().createDatabase());
    server::PostgresCopy copy(db.handle(), pg);
    const server::CopyReport report = copy.run();
    ASSERT_EQ(report.tables.size(), 1u);
    EXPECT_EQ(report.tables[0].rows, 4);

    TwoEngines engines(db.handle(), pg);
    const std::string all = "select * from V order by ID";
    EXPECT_EQ(engines.postgresRows(all, sql::Dialect::Jet),
              engines.sqliteRows(all, sql::Dialect::Jet));
    // The key goes on after the highest copied, not after the count.
    EXPECT_EQ(onlyValue(pg, "INSERT INTO v (t) VALUES ('new') RETURNING id"), "8");
}

// The backup the README gives: pg_dump of the copy, restored into another database, answers
// the same (the collation and functions travel with the dump).
TEST(PgCopy, ACopyRestoredFromItsDumpAnswersTheSame)
{
    sql::Database db(":memory:");
    sql::registerExtensions(db.handle());
    db.exec("CREATE TABLE P (ID INTEGER PRIMARY KEY, MC VARCHAR(20) COLLATE NOCASE, D DATE)");
    db.exec("INSERT INTO P VALUES (1, '张三', '2024-01-31'), (2, 'abc', NULL), (3, 'ABD', "
            "'2024-02-29'), (4, '阿', '2023-12-31')");
    const std::string from = testsupport::PgCluster::shared().createDatabase();
    const std::string to = testsupport::PgCluster::shared().createDatabase();
    {
        pg::Connection pg(from);
        server::PostgresCopy(db.handle(), pg).run();
    }
    QTemporaryDir dir;
    const QString dump = dir.filePath(QStringLiteral("p.dump"));
    const QString bin = QString::fromStdString(testsupport::PgCluster::shared().binDir());
    QProcess pgDump;
    pgDump.start(bin + QStringLiteral("/pg_dump"),
                 {QStringLiteral("-Fc"), QStringLiteral("-f"), dump, QStringLiteral("-d"),
                  QString::fromStdString(from)});
    ASSERT_TRUE(pgDump.waitForFinished(60000));
    ASSERT_EQ(pgDump.exitCode(), 0) << pgDump.readAllStandardError().toStdString();
    QProcess pgRestore;
    pgRestore.start(bin + QStringLiteral("/pg_restore"),
                    {QStringLiteral("-d"), QString::fromStdString(to), dump});
    ASSERT_TRUE(pgRestore.waitForFinished(60000));
    ASSERT_EQ(pgRestore.exitCode(), 0) << pgRestore.readAllStandardError().toStdString();

    pg::Connection restored(to);
    TwoEngines engines(db.handle(), restored);
    for (const char *text : {"select MC, D from P order by MC", "select ID from P where MC = 'ABC'",
                             "select count(*) from P where MC like 'ab%'"}) {
        EXPECT_EQ(engines.postgresRows(text, sql::Dialect::Jet),
                  engines.sqliteRows(text, sql::Dialect::Jet))
            << text;
    }
    EXPECT_EQ(onlyValue(restored, "INSERT INTO p (mc) VALUES ('new') RETURNING id"), "5");
}

struct BadCopy
{
    const char *name;
    const char *sqlite;  // set-up of the SQLite side
    const char *message; // part of the refusal
};

class PgCopyRefusal : public ::testing::TestWithParam<BadCopy>
{
};

TEST_P(PgCopyRefusal, LeavesThePostgresDatabaseAsItWas)
{
    const BadCopy bad = GetParam();
    sql::Database db(":memory:");
    sql::registerExtensions(db.handle());
    db.exec("CREATE TABLE A (ID INTEGER PRIMARY KEY, MC VARCHAR(10) COLLATE NOCASE)");
    db.exec("INSERT INTO A VALUES (1, 'first')");
    db.exec(bad.sqlite);
    pg::Connection pg(testsupport::PgCluster::shared().createDatabase());
    server::PostgresCopy copy(db.handle(), pg);
    try {
        copy.run();
        ADD_FAILURE() << bad.name << ": the copy was made";
    } catch (const std::exception &error) {
        EXPECT_NE(std::string(error.what()).find(bad.message), std::string::npos)
            << bad.name << ": " << error.what();
    }
    EXPECT_EQ(tableCount(pg), 0) << bad.name;
    EXPECT_EQ(onlyValue(pg, "SELECT count(*) FROM pg_collation WHERE collname = 'vz_text'"), "0");
    EXPECT_FALSE(pg.inTransaction());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PgCopyRefusal,
    ::testing::Values(
        BadCopy{"TextInAnIntegerColumn",
                "CREATE TABLE B (ID INTEGER PRIMARY KEY, N INTEGER); INSERT INTO B VALUES (1, 5), "
                "(2, 'abc')",
                "table B, row 2, column N"},
        BadCopy{"FractionInAnIntegerColumn",
                "CREATE TABLE B (ID INTEGER PRIMARY KEY, N INTEGER); INSERT INTO B VALUES (1, 2.5)",
                "column N"},
        BadCopy{"NotADate",
                "CREATE TABLE B (ID INTEGER PRIMARY KEY, D DATE); INSERT INTO B VALUES "
                "(1, '2024-02-30')",
                "table B"},
        BadCopy{"ANumberInADateColumn",
                "CREATE TABLE B (ID INTEGER PRIMARY KEY, D DATETIME); INSERT INTO B VALUES (1, "
                "45352.5)",
                "table B, row 1, column D"},
        BadCopy{"DuplicateCodesUnderAUniqueKey",
                "CREATE TABLE B (ID INTEGER PRIMARY KEY, BH VARCHAR(9)); INSERT INTO B VALUES (1, "
                "'K1'), (2, 'k1'); CREATE UNIQUE INDEX B_BH ON B (BH)",
                "b_bh"}),
    [](const ::testing::TestParamInfo<BadCopy> &info) { return std::string(info.param.name); });

struct ServerRun
{
    int exitCode = -1;
    QString output;
};

ServerRun run(const char *program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QString::fromUtf8(program), arguments);
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

ServerRun vzserver(const QStringList &arguments)
{
    return run(VZ_SERVER_BINARY, arguments);
}

TEST(MigrateAccount, CopiesASetOnceAndSaysWhyItWillNotAgain)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    ASSERT_EQ(vzserver({QStringLiteral("--data"), data, QStringLiteral("--create-account"),
                        QStringLiteral("001"), QStringLiteral("--demo"), QStringLiteral("演示")})
                  .exitCode,
              0);
    const QString target =
        QString::fromStdString(testsupport::PgCluster::shared().createDatabase());
    const QStringList migrate{QStringLiteral("--data"),
                              data,
                              QStringLiteral("--migrate-account"),
                              QStringLiteral("001"),
                              QStringLiteral("--to-pg"),
                              target};

    const ServerRun first = vzserver(migrate);
    EXPECT_EQ(first.exitCode, 0) << first.output.toStdString();
    EXPECT_TRUE(first.output.contains(QStringLiteral("copied and verified account set 001")))
        << first.output.toStdString();
    pg::Connection pg(target.toStdString());
    sql::Database file(dir.filePath(QStringLiteral("data/001/VzData.db")).toStdString(),
                       sql::Database::Mode::ReadOnly);
    EXPECT_EQ(onlyValue(pg, "SELECT count(*) FROM hp"),
              std::to_string(dbtest::integer(file, "SELECT count(*) FROM HP")));

    const ServerRun again = vzserver(migrate);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.output.contains(QStringLiteral("already holds tables")))
        << again.output.toStdString();

    const ServerRun unknown =
        vzserver({QStringLiteral("--data"), data, QStringLiteral("--migrate-account"),
                  QStringLiteral("009"), QStringLiteral("--to-pg"), target});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.output.contains(QStringLiteral("no account set 009")))
        << unknown.output.toStdString();

    const ServerRun alone = vzserver({QStringLiteral("--data"), data,
                                      QStringLiteral("--migrate-account"), QStringLiteral("001")});
    EXPECT_EQ(alone.exitCode, 2);

    // The SQL shell prints the same on the copy as on the file, in both dialects.
    const QString filePath = dir.filePath(QStringLiteral("data/001/VzData.db"));
    for (const char *text : {
             "select top 20 BH, PM, JJ, ZT, IsMaterial from HP where BH like '110%' order by BH",
             "select top 3 DJBH, RQ from XSKDZB order by RQ desc, DJBH",
             "select count(*) as N, sum(SL*DJ) as JE from XSKD",
             "select MC & '-' & BH as K from KH where ZT = False order by MC",
             "select uCode, uName from AppUser order by uCode",
         }) {
        for (const char *dialect : {"jet", "tsql"}) {
            const QStringList common{QStringLiteral("--dialect"), QString::fromUtf8(dialect),
                                     QStringLiteral("-c"), QString::fromUtf8(text)};
            const ServerRun onFile =
                run(VZ_SQL_BINARY, QStringList{QStringLiteral("--db"), filePath} + common);
            const ServerRun onCopy =
                run(VZ_SQL_BINARY, QStringList{QStringLiteral("--pg"), target} + common);
            EXPECT_EQ(onFile.exitCode, 0) << text << ": " << onFile.output.toStdString();
            EXPECT_EQ(onCopy.output.toStdString(), onFile.output.toStdString())
                << dialect << ": " << text;
        }
    }

    // Now() is the local time of the machine, not the PostgreSQL server's zone.
    QProcess shell;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), QStringLiteral("Pacific/Kiritimati")); // UTC+14
    shell.setProcessEnvironment(environment);
    shell.start(QStringLiteral(VZ_SQL_BINARY),
                {QStringLiteral("--pg"), target, QStringLiteral("-c"),
                 QStringLiteral("select hour(now()) as H")});
    ASSERT_TRUE(shell.waitForFinished(60000));
    const QStringList lines = QString::fromUtf8(shell.readAllStandardOutput()).split(u'\n');
    ASSERT_GE(lines.size(), 2) << shell.readAllStandardError().toStdString();
    const int expected =
        QDateTime::currentDateTimeUtc().toTimeZone(QTimeZone("Pacific/Kiritimati")).time().hour();
    const int hour = lines[1].trimmed().toInt();
    EXPECT_TRUE(hour == expected || (hour + 1) % 24 == expected || (expected + 1) % 24 == hour)
        << "hour " << hour << ", expected " << expected;
}

TEST(PgCopy, RefusesADatabaseThatAlreadyHoldsTables)
{
    sql::Database db(":memory:");
    db.exec("CREATE TABLE A (ID INTEGER PRIMARY KEY)");
    pg::Connection pg(testsupport::PgCluster::shared().createDatabase());
    pg.exec("CREATE TABLE somebody_elses (x integer)");
    server::PostgresCopy copy(db.handle(), pg);
    EXPECT_THROW(copy.run(), std::runtime_error);
    EXPECT_EQ(tableCount(pg), 1);
}

class PgCorpus : public ::testing::TestWithParam<sqltest::CorpusFile>
{
};

// Every text the client sends, on a copy of the corpus database: the same rows from
// PostgreSQL as from SQLite (compared as sets where the text leaves the order open), and the
// statements that change data change the same rows.
TEST_P(PgCorpus, EveryTextAnswersTheSameRowsOnBothEngines)
{
    const sqltest::CorpusFile corpus = GetParam();
    sqltest::TestDb db;
    db.loadCorpus();
    pg::Connection pg(testsupport::PgCluster::shared().createDatabase());
    server::PostgresCopy(db.handle(), pg).run();
    TwoEngines engines(db.handle(), pg);
    int compared = 0;
    for (const std::string &text : sql::splitStatements(
             sqltest::readFile(sqltest::dataPath(std::string("corpus/") + corpus.file)),
             corpus.dialect)) {
        try {
            // PostgreSQL first: its translator reads the SQLite side's tables, which a DROP
            // there would take away.
            std::vector<std::string> actual = engines.postgresRows(text, corpus.dialect);
            std::vector<std::string> expected = engines.sqliteRows(text, corpus.dialect);
            std::sort(expected.begin(), expected.end());
            std::sort(actual.begin(), actual.end());
            EXPECT_EQ(actual, expected) << text;
            ++compared;
        } catch (const std::exception &error) {
            ADD_FAILURE() << error.what() << "\n  in: " << text;
        }
    }
    EXPECT_GT(compared, 20);
}

INSTANTIATE_TEST_SUITE_P(Texts, PgCorpus, ::testing::ValuesIn(sqltest::CorpusFiles));

} // namespace
