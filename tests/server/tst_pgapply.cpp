// The write path of a PostgreSQL account set: change logs and transactions give what they give
// on SQLite for the same rows, and hold when several connections write the same rows at once.
#include "db/pgdemo.h"
#include "pg/connection.h"
#include "server/apply.h"
#include "server/pgapply.h"
#include "server/pgcopy.h"
#include "server/pgtableschema.h"
#include "server/pgtransact.h"
#include "server/pgvalues.h"
#include "server/requesterror.h"
#include "server/schema.h"
#include "server/transact.h"
#include "sql/database.h"
#include "sql/translator.h"
#include "support/pgcluster.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>

#include <atomic>
#include <chrono>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <thread>

using namespace server;
using wire::ChangeKind;

namespace {

// Both account sets start with these tables and rows: a table with an integer key and a
// unique code, one with a key of two columns and defaults, one without a key, a counter.
constexpr const char *Seed = R"(
CREATE TABLE HP (ID integer primary key, BH varchar(20), PM varchar(50), SL float, JE money,
                 RQ date, SJ datetime, ZT bit, PIC blob, BZ memo);
CREATE UNIQUE INDEX HP_BH ON HP (BH);
INSERT INTO HP VALUES (1, 'B1', 'O''Neil', 0.5, 12.5, '2024-03-01', '2024-03-01 09:05:07', 1,
                       X'00FF10', NULL);
INSERT INTO HP VALUES (2, 'B2', '螺丝钉', 3, 0.1, '2024-12-31', '2024-03-02', 0, NULL, 'note');
INSERT INTO HP VALUES (3, 'B3', 'C', NULL, NULL, NULL, NULL, NULL, NULL, NULL);
CREATE TABLE MX (DJBH varchar(20) NOT NULL, XH integer NOT NULL, SL float DEFAULT 0 NOT NULL,
                 ZT bit DEFAULT 0 NOT NULL, PRIMARY KEY (DJBH, XH));
INSERT INTO MX VALUES ('D1', 1, 2, 0);
INSERT INTO MX VALUES ('D1', 2, 5, 1);
CREATE TABLE RZ (CZY varchar(20), NR varchar(50));
INSERT INTO RZ VALUES ('A', 'x');
INSERT INTO RZ VALUES ('B', 'y');
CREATE TABLE JS (ID integer primary key, N integer NOT NULL DEFAULT 0);
INSERT INTO JS VALUES (1, 0);
)";

wire::Change inserted(const QVariantMap &values)
{
    return {ChangeKind::Insert, {}, values};
}

wire::Change modified(const QVariantMap &oldValues, const QVariantMap &newValues)
{
    return {ChangeKind::Modify, oldValues, newValues};
}

wire::Change deleted(const QVariantMap &oldValues)
{
    return {ChangeKind::Delete, oldValues, {}};
}

QDateTime at(int y, int m, int d, int h, int min, int s)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}

std::string show(const QVariant &value)
{
    const QVariant v = wire::normalized(value);
    if (!v.isValid())
        return "null";
    const QString text = v.typeId() == QMetaType::QByteArray
                             ? QString::fromLatin1(v.toByteArray().toHex())
                             : v.toString();
    return std::string(v.typeName()) + ':' + text.toStdString();
}

// A map with its names folded: PostgreSQL has its names in lower case.
std::string show(const QVariantMap &map)
{
    std::map<std::string, std::string> folded;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        folded[it.key().toLower().toStdString()] = show(it.value());
    std::string text = "{";
    for (const auto &[name, value] : folded)
        text += name + "=" + value + " ";
    return text + "}";
}

std::string show(const ApplyOutcome &outcome)
{
    std::string text = "applied " + std::to_string(outcome.applied) +
                       (outcome.rolledBack ? " rolledBack" : "") + "\n";
    for (const wire::RowError &error : outcome.errors)
        text += "error " + std::to_string(error.index) + " " +
                wire::changeKindName(error.kind).toStdString() + " " + error.code.toStdString() +
                " current " + show(error.current) + "\n";
    for (const wire::InsertedRow &row : outcome.inserted)
        text += "inserted " + std::to_string(row.index) + " " + show(row.key) + "\n";
    return text;
}

std::string show(const TransactOutcome &outcome)
{
    std::string text = outcome.rolledBack ? "rolledBack\n" : "";
    for (const wire::RowError &error : outcome.errors)
        text += "error part " + std::to_string(error.part) + " row " + std::to_string(error.index) +
                " " + error.code.toStdString() + " current " + show(error.current) + "\n";
    for (qint64 count : outcome.counts)
        text += "count " + std::to_string(count) + "\n";
    for (const QVariantList &rows : outcome.results)
        for (const QVariant &row : rows) {
            text += "row";
            for (const QVariant &value : row.toList())
                text += " " + show(value);
            text += "\n";
        }
    for (const wire::InsertedRow &row : outcome.inserted)
        text += "inserted part " + std::to_string(row.part) + " row " + std::to_string(row.index) +
                " " + show(row.key) + "\n";
    return text;
}

// The messages name the same columns and values on both sides; PostgreSQL's table names are
// in lower case.
std::string messages(const QList<wire::RowError> &errors)
{
    std::string text;
    for (const wire::RowError &error : errors) {
        if (error.code == wire::code::Conflict || error.code == wire::code::NotFound ||
            error.code == wire::code::Unique || error.code == wire::code::InvalidValue)
            text += error.message.toLower().toStdString() + "\n";
    }
    return text;
}

// The same account set in SQLite and in a fresh PostgreSQL database, copied the way an account
// set moves to PostgreSQL.
struct TwoSets
{
    TwoSets()
    {
        sqlite.open(":memory:");
        sql::registerExtensions(sqlite.handle());
        sqlite.exec(Seed);
        conninfo = testsupport::PgCluster::shared().createDatabase();
        pg = std::make_unique<pg::Connection>(conninfo);
        PostgresCopy(sqlite.handle(), *pg).run();
    }

    ApplyOutcome applySqlite(const QString &table, const QList<wire::Change> &changes,
                             int maxErrors)
    {
        ChangeApplier applier(sqlite.handle(), loadTableSchema(sqlite.handle(), table));
        return applier.apply(changes, maxErrors);
    }

    ApplyOutcome applyPostgres(const QString &table, const QList<wire::Change> &changes,
                               int maxErrors)
    {
        PostgresApplier applier(*pg, loadPostgresTableSchema(*pg, table));
        return applier.apply(changes, maxErrors);
    }

    // Every row of the table in wire form, in key order.
    std::string rowsSqlite(const QString &table, const char *order)
    {
        const TableSchema schema = loadTableSchema(sqlite.handle(), table);
        sql::Statement select =
            sqlite.prepare("SELECT * FROM " + table.toStdString() + " ORDER BY " + order);
        std::string text;
        while (select.step()) {
            for (int c = 0; c < schema.columns.size(); ++c)
                text += show(toWire(select.handle(), c, schema.columns[c].declared.type)) + " ";
            text += "\n";
        }
        return text;
    }

    std::string rowsPostgres(const QString &table, const char *order)
    {
        const TableSchema schema = loadPostgresTableSchema(*pg, table);
        const pg::Result rows =
            pg->exec("SELECT * FROM " + table.toStdString() + " ORDER BY " + order);
        std::string text;
        for (int r = 0; r < rows.rows(); ++r) {
            for (int c = 0; c < schema.columns.size(); ++c) {
                const auto cell = rows.isNull(r, c)
                                      ? std::nullopt
                                      : std::optional<std::string_view>(rows.text(r, c));
                text += show(wireFromPostgres(cell, schema.columns[c].declared.type)) + " ";
            }
            text += "\n";
        }
        return text;
    }

    sql::Database sqlite;
    std::string conninfo;
    std::unique_ptr<pg::Connection> pg;
};

struct ApplyCase
{
    const char *name;
    const char *table;
    const char *order; // of the rows compared afterwards
    int maxErrors;
    QList<wire::Change> changes;
    const char *expected; // a part of the outcome that must be there, as show() writes it
};

const QVariantMap hp1{{"ID", 1},
                      {"BH", "B1"},
                      {"PM", "O'Neil"},
                      {"SL", 0.5},
                      {"JE", 12.5},
                      {"RQ", QDate(2024, 3, 1)},
                      {"SJ", at(2024, 3, 1, 9, 5, 7)},
                      {"ZT", true},
                      {"PIC", QByteArray("\x00\xff\x10", 3)},
                      {"BZ", QVariant()}};

QVariantMap with(QVariantMap map, const QVariantMap &changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

} // namespace

TEST(PgApply, ChangeLogsHaveTheSameOutcomeOnBothEngines)
{
    const ApplyCase cases[] = {
        {"insert, modify and delete",
         "HP",
         "ID",
         0,
         {inserted({{"ID", 10}, {"bh", "B10"}, {"PM", "新"}, {"JE", 19.99}, {"xDisplay", 1}}),
          modified(hp1, {{"PM", "改"}, {"RQ", QDate(2025, 1, 2)}, {"BZ", "note"}}),
          deleted({{"ID", 3}})},
         "applied 3\n"},
        {"a changed column read stale is a conflict with the stored row",
         "HP",
         "ID",
         0,
         {modified(with(hp1, {{"PM", "他的"}}), {{"PM", "我的"}})},
         "error 0 modify conflict current {bh=QString:B1 bz=null id=qlonglong:1"},
        {"an unchanged column read stale is no conflict",
         "HP",
         "ID",
         0,
         {modified(with(hp1, {{"BZ", "他的"}}), {{"SL", 9.0}})},
         "applied 1\n"},
        {"text compared byte for byte, not by the column's collation",
         "HP",
         "ID",
         -1,
         {modified(with(hp1, {{"PM", "o'neil"}}), {{"PM", "x"}})},
         "modify conflict"},
        {"a row deleted meanwhile",
         "HP",
         "ID",
         -1,
         {modified({{"ID", 99}, {"SL", 1.0}}, {{"SL", 5.0}}), deleted({{"ID", 99}})},
         "error 0 modify notFound"},
        {"an invalid value in a row that is gone is notFound",
         "HP",
         "ID",
         -1,
         {modified({{"ID", 99}}, {{"RQ", "soon"}}), modified({{"ID", 2}}, {{"RQ", "soon"}})},
         "error 1 modify invalidValue"},
        {"a taken key rolls everything back",
         "HP",
         "ID",
         0,
         {inserted({{"ID", 11}, {"BH", "B11"}}), inserted({{"ID", 1}, {"BH", "B12"}})},
         "applied 0 rolledBack\nerror 1 insert unique"},
        {"with no limit the good rows stay and each bad one is reported",
         "HP",
         "ID",
         -1,
         {inserted({{"ID", 11}, {"BH", "B11"}}), inserted({{"ID", 12}, {"BH", "B1"}}),
          modified({{"ID", 2}, {"BH", "B2"}}, {{"BH", "B3"}}), inserted({{"ID", 13}}),
          inserted({{"ID", 1}})},
         "applied 2\nerror 1 insert unique"},
        {"a limit above zero keeps the good rows while the errors stay within it",
         "HP",
         "ID",
         1,
         {inserted({{"ID", 1}}), inserted({{"ID", 14}, {"PM", "ok"}})},
         "applied 1\n"},
        {"past the limit nothing is stored",
         "HP",
         "ID",
         1,
         {inserted({{"ID", 1}}), inserted({{"ID", 14}}), inserted({{"ID", 2}})},
         "rolledBack"},
        {"keys left out are filled in and given back, also after a key given by the client",
         "HP",
         "ID",
         0,
         {inserted({{"PM", "auto"}}), inserted({{"ID", 20}, {"PM", "mine"}}),
          inserted({{"ID", QVariant()}, {"PM", "auto again"}})},
         "inserted 0 {id=qlonglong:4 }\ninserted 1 {id=qlonglong:20 }\n"
         "inserted 2 {id=qlonglong:21 }"},
        {"old values compared in their canonical form",
         "HP",
         "ID",
         0,
         {modified({{"ID", 1},
                    {"RQ", "2024-3-1"},
                    {"SJ", "2024-03-01T09:05:07"},
                    {"ZT", -1},
                    {"JE", "12.50"},
                    {"SL", "0.5"},
                    {"PIC", QByteArray("\x00\xff\x10", 3)},
                    {"BZ", QVariant()}},
                   {{"RQ", QDate(2024, 3, 2)},
                    {"SJ", at(2024, 3, 2, 0, 0, 0)},
                    {"ZT", false},
                    {"JE", 13},
                    {"SL", 1.25},
                    {"PIC", QByteArray()},
                    {"BZ", "was null"}}),
          modified({{"ID", 2}, {"SJ", at(2024, 3, 2, 0, 0, 0)}, {"ZT", "False"}, {"JE", 0.1}},
                   {{"SJ", QDate(2024, 3, 3)}, {"ZT", "yes"}, {"JE", 0.30000000000000004}})},
         "applied 2\n"},
        {"a value read as NULL that is no longer NULL is a conflict",
         "HP",
         "ID",
         -1,
         {modified({{"ID", 2}, {"BZ", QVariant()}}, {{"BZ", "x"}}),
          modified({{"ID", 3}, {"SL", QVariant()}, {"PM", "C"}}, {{"SL", 1}, {"PM", "D"}})},
         "error 0 modify conflict"},
        {"a value no column holds is no stored value",
         "HP",
         "ID",
         -1,
         {modified({{"ID", 1}, {"RQ", "soon"}}, {{"RQ", QDate(2024, 1, 1)}})},
         "error 0 modify conflict"},
        {"a key of two columns",
         "MX",
         "DJBH, XH",
         -1,
         {modified({{"DJBH", "D1"}, {"XH", 1}, {"SL", 2}}, {{"SL", 3}}),
          deleted({{"DJBH", "D1"}, {"XH", 2}}), inserted({{"DJBH", "D1"}, {"XH", 1}}),
          inserted({{"DJBH", "D2"}, {"XH", 1}, {"SL", QVariant()}, {"ZT", QVariant()}}),
          inserted({{"DJBH", "D3"}}), modified({{"DJBH", "D1"}, {"XH", 7}}, {{"SL", 3}})},
         "applied 3\nerror 2 insert unique current {}\nerror 4 insert constraint current {}\n"
         "error 5 modify notFound"},
        {"without a key the row is the first with all the old values",
         "RZ",
         "CZY, NR",
         -1,
         {modified({{"CZY", "A"}, {"NR", "x"}}, {{"NR", "z"}}),
          deleted({{"CZY", "B"}, {"NR", "y"}}), deleted({{"CZY", "B"}, {"NR", "y"}}),
          inserted({{"CZY", "C"}})},
         "applied 3\nerror 2 delete notFound"},
        {"a change that says no row",
         "RZ",
         "CZY, NR",
         -1,
         {modified({}, {{"NR", "z"}}), deleted({{"other", 1}})},
         "error 0 modify invalidValue"},
        {"values a column cannot take",
         "HP",
         "ID",
         -1,
         {inserted({{"ID", 30}, {"RQ", "2024-02-30"}}), inserted({{"ID", 31}, {"SL", "abc"}}),
          inserted({{"ID", 32}, {"ZT", "maybe"}}), modified({{"ID", 1}}, {{"JE", "12,5"}})},
         "applied 0\nerror 0 insert invalidValue"},
    };
    for (const ApplyCase &c : cases) {
        SCOPED_TRACE(c.name);
        TwoSets sets;
        const ApplyOutcome sqlite = sets.applySqlite(c.table, c.changes, c.maxErrors);
        const ApplyOutcome postgres = sets.applyPostgres(c.table, c.changes, c.maxErrors);
        EXPECT_EQ(show(postgres), show(sqlite));
        EXPECT_NE(show(sqlite).find(c.expected), std::string::npos) << show(sqlite);
        EXPECT_EQ(messages(postgres.errors), messages(sqlite.errors));
        EXPECT_EQ(sets.rowsPostgres(c.table, c.order), sets.rowsSqlite(c.table, c.order));
    }
}

TEST(PgApply, TheTableSchemaIsTheOneSqliteGivesForEveryTableOfTheDemoSet)
{
    dbtest::PgDemoSet &demo = dbtest::PgDemoSet::shared();
    sql::Statement tables = demo.db.prepare(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'");
    int compared = 0;
    while (tables.step()) {
        const QString name = QString::fromStdString(tables.columnText(0));
        SCOPED_TRACE(name.toStdString());
        const TableSchema sqlite = loadTableSchema(demo.db.handle(), name);
        // The client's spelling in any case finds the table.
        const TableSchema postgres = loadPostgresTableSchema(*demo.pg, name.toUpper());
        EXPECT_EQ(postgres.name, name); // the client's spelling, kept by the copy
        EXPECT_EQ(postgres.storedName, name.toLower());
        ASSERT_EQ(postgres.columns.size(), sqlite.columns.size());
        EXPECT_EQ(postgres.keyColumns, sqlite.keyColumns);
        for (int c = 0; c < sqlite.columns.size(); ++c) {
            const TableColumn &s = sqlite.columns[c];
            const TableColumn &p = postgres.columns[c];
            SCOPED_TRACE(s.name.toStdString());
            EXPECT_EQ(p.name, s.name);
            EXPECT_EQ(postgres.indexOf(s.name), c);
            EXPECT_EQ(int(p.declared.type), int(s.declared.type));
            EXPECT_EQ(p.declared.size, s.declared.size);
            EXPECT_EQ(p.notNull, s.notNull || s.primaryKey); // PostgreSQL's keys are not null
            EXPECT_EQ(p.primaryKey, s.primaryKey);
            EXPECT_EQ(p.unique, s.unique);
            // The integer key SQLite fills as its rowid is an identity, which is a default.
            const bool rowid = sqlite.keyColumns.size() == 1 && s.primaryKey &&
                               s.declared.type == ValueType::Integer;
            EXPECT_EQ(p.hasDefault, s.hasDefault || rowid);
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
    EXPECT_THROW(loadPostgresTableSchema(*demo.pg, QStringLiteral("NoSuchTable")), RequestError);
    EXPECT_THROW(loadPostgresTableSchema(*demo.pg, QStringLiteral("vz_schema")), RequestError);
}

// Every row of the demo set saved again with every column as it was read: in whatever form the
// SQLite side stored a value, the copy compares equal to what the client read, so that no
// clerk's save is refused as a conflict after the move to PostgreSQL.
TEST(PgApply, EveryDemoRowSavedAsReadIsNoConflict)
{
    dbtest::PgDemoSet &demo = dbtest::PgDemoSet::shared();
    sql::Statement tables = demo.db.prepare(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'");
    int rows = 0;
    while (tables.step()) {
        const QString name = QString::fromStdString(tables.columnText(0));
        SCOPED_TRACE(name.toStdString());
        const TableSchema schema = loadTableSchema(demo.db.handle(), name);
        sql::Statement select =
            demo.db.prepare("SELECT * FROM \"" + name.toStdString() + "\" LIMIT 200");
        QList<wire::Change> changes;
        while (select.step()) {
            QVariantMap row;
            for (int c = 0; c < schema.columns.size(); ++c)
                // The server drops the stored passwords from every change log.
                if (!(name == QLatin1String("AppUser") && schema.columns[c].name == "uPassword"))
                    row.insert(schema.columns[c].name,
                               toWire(select.handle(), c, schema.columns[c].declared.type));
            changes.append(modified(row, row));
        }
        if (changes.isEmpty())
            continue;
        demo.pg->exec("BEGIN");
        PostgresApplier applier(*demo.pg, loadPostgresTableSchema(*demo.pg, name));
        const ApplyOutcome outcome = applier.applyRows(changes, -1);
        demo.pg->exec("ROLLBACK");
        EXPECT_EQ(outcome.applied, changes.size()) << show(outcome);
        for (const wire::RowError &error : outcome.errors)
            ADD_FAILURE() << error.message.toStdString() << " " << show(error.current);
        rows += outcome.applied;
    }
    EXPECT_GT(rows, 500);
}

namespace {

PreparedPart applyPart(const QString &table, const QList<wire::Change> &changes)
{
    PreparedPart part;
    part.kind = wire::TransactPart::Kind::Apply;
    part.table = table;
    part.changes = changes;
    return part;
}

PreparedPart executePart(const char *sqlText, qint64 expectRows = -1)
{
    PreparedPart part;
    part.kind = wire::TransactPart::Kind::Execute;
    part.sqlText = sqlText;
    part.expectRows = expectRows;
    return part;
}

PreparedPart queryPart(const char *sqlText)
{
    PreparedPart part;
    part.kind = wire::TransactPart::Kind::Query;
    part.sqlText = sqlText;
    return part;
}

// A transaction's outcome, or the error it threw as "error <code>".
template<typename Run>
std::string outcomeOf(Run run)
{
    try {
        return show(run());
    } catch (const RequestError &error) {
        return "error " + error.code().toStdString();
    }
}

struct TransactCase
{
    const char *name;
    QList<PreparedPart> parts;
    const char *expected;
};

} // namespace

TEST(PgApply, TransactionsHaveTheSameOutcomeOnBothEngines)
{
    const TransactCase cases[] = {
        {"change logs, scripts and queries in one",
         {applyPart("HP", {inserted({{"PM", "new"}}), deleted({{"ID", 3}})}),
          executePart("UPDATE JS SET N = N + 1 WHERE ID = 1; INSERT INTO JS (ID, N) VALUES (2, 5);"
                      " SELECT * FROM HP; UPDATE HP SET SL = 1 WHERE ID IN (1, 2)",
                      4),
          queryPart("SELECT ID, N FROM JS ORDER BY ID"),
          queryPart("SELECT PM, RQ, SJ, ZT, PIC FROM HP WHERE ID < 3 ORDER BY ID"),
          applyPart("JS", {modified({{"ID", 2}, {"N", 5}}, {{"N", 6}})})},
         "count 2\ncount 4\ncount 0\ncount 0\ncount 1\nrow qlonglong:1 qlonglong:1"},
        {"a script that changes other rows than expected",
         {applyPart("HP", {inserted({{"PM", "new"}})}),
          executePart("UPDATE JS SET N = 7 WHERE N = 99", 1)},
         "rolledBack\nerror part 1 row -1 conflict"},
        {"a script that breaks a key",
         {executePart("UPDATE JS SET N = 1"), executePart("INSERT INTO HP (ID) VALUES (1)")},
         "rolledBack\nerror part 1 row -1 unique"},
        {"a conflicting row",
         {executePart("UPDATE JS SET N = 1"),
          applyPart("HP", {modified({{"ID", 1}, {"PM", "old"}}, {{"PM", "new"}})})},
         "rolledBack\nerror part 1 row 0 conflict current {bh=QString:B1"},
        {"a query part that writes", {queryPart("DELETE FROM JS")}, "error sql"},
        {"two statements as one query", {queryPart("SELECT 1; SELECT 2")}, "error sql"},
        {"a statement that does not run",
         {executePart("UPDATE JS SET N = 1"), executePart("UPDATE NoSuchTable SET N = 1")},
         "error sql"},
        {"a change log for a table that is not there",
         {applyPart("NoSuchTable", {inserted({{"ID", 1}})})},
         "error sql"},
    };
    for (const TransactCase &c : cases) {
        SCOPED_TRACE(c.name);
        TwoSets sets;
        SchemaCache schema(sets.sqlite.handle());
        StatementCache statements(sets.sqlite.handle());
        int sqliteSteps = 0;
        int postgresSteps = 0;
        SqliteTransactionRunner sqliteRunner(sets.sqlite.handle(), schema, &statements,
                                             [&] { ++sqliteSteps; });
        PostgresTransactionRunner postgresRunner(*sets.pg, {}, [&] { ++postgresSteps; });
        const std::string sqlite = outcomeOf([&] { return sqliteRunner.run(c.parts); });
        const std::string postgres = outcomeOf([&] { return postgresRunner.run(c.parts); });
        EXPECT_EQ(postgres, sqlite);
        EXPECT_NE(sqlite.find(c.expected), std::string::npos) << sqlite;
        if (sqlite.rfind("error", 0) != 0) {
            EXPECT_EQ(postgresSteps, sqliteSteps);
        }
        EXPECT_FALSE(sets.pg->inTransaction());
        for (const auto &[table, order] : {std::pair{"HP", "ID"}, std::pair{"JS", "ID"}})
            EXPECT_EQ(sets.rowsPostgres(table, order), sets.rowsSqlite(table, order)) << table;
    }
}

TEST(PgApply, ATransactionStoppedAtAnyStepStoresNothing)
{
    TwoSets sets;
    const QList<PreparedPart> parts{
        applyPart("HP", {inserted({{"PM", "new"}}), modified({{"ID", 1}}, {{"PM", "x"}})}),
        executePart("UPDATE JS SET N = N + 1; DELETE FROM HP WHERE ID = 3"),
        queryPart("SELECT N FROM JS"), applyPart("MX", {deleted({{"DJBH", "D1"}, {"XH", 1}})})};
    const std::string before = sets.rowsPostgres("HP", "ID") + sets.rowsPostgres("JS", "ID") +
                               sets.rowsPostgres("MX", "DJBH, XH");
    int steps = 0;
    {
        PostgresTransactionRunner counting(*sets.pg, {}, [&] { ++steps; });
        ASSERT_FALSE(counting.run(parts).rolledBack);
    }
    EXPECT_EQ(steps, 2 + 2 + 1 + 1 + 2); // rows, statements, the query, a row, the commit
    // The set again, stopped at each step before the commit.
    for (int stop = 1; stop < steps; ++stop) {
        SCOPED_TRACE(stop);
        TwoSets fresh;
        int step = 0;
        PostgresTransactionRunner runner(*fresh.pg, {}, [&] {
            if (++step == stop)
                throw std::runtime_error("stopped");
        });
        EXPECT_THROW(runner.run(parts), std::runtime_error);
        EXPECT_FALSE(fresh.pg->inTransaction());
        EXPECT_EQ(fresh.rowsPostgres("HP", "ID") + fresh.rowsPostgres("JS", "ID") +
                      fresh.rowsPostgres("MX", "DJBH, XH"),
                  before);
    }
}

TEST(PgApply, ScriptsSplitAtTheirStatementsOnly)
{
    const struct
    {
        const char *script;
        std::vector<std::string_view> statements;
    } cases[] = {
        {"select 1; select 2;", {"select 1", "select 2"}},
        {" ; select ';'';' ;;", {"select ';'';'"}},
        {"select \"a;b\" from t; select 2", {"select \"a;b\" from t", "select 2"}},
        {"select 1 -- a; comment\n; select 2", {"select 1 -- a; comment", "select 2"}},
        {"select /* a; /* nested; */ b; */ 1; x", {"select /* a; /* nested; */ b; */ 1", "x"}},
        {"select $$a;b$$, $q$;$q$; select $1", {"select $$a;b$$, $q$;$q$", "select $1"}},
        {"select E'\\';' ; y", {"select E'\\';'", "y"}},
        {"select 'unterminated; x", {"select 'unterminated; x"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitPostgresScript(c.script), c.statements) << c.script;
}

namespace {

// Waits until the session of another connection waits for a row lock.
void waitForLockWait(pg::Connection &observer)
{
    for (int i = 0; i < 1000; ++i) {
        const pg::Result waiting = observer.exec(
            "SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' AND "
            "datname = current_database()");
        if (waiting.text(0, 0) != "0")
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    FAIL() << "the other session never waited for the row";
}

} // namespace

// A session that read the row before another changed it, and writes while the other's change is
// not yet committed, waits for it and then finds the row changed: only one of them is stored.
TEST(PgApply, OfTwoSessionsChangingTheSameRowOnlyOneWins)
{
    TwoSets sets;
    pg::Connection second(sets.conninfo);
    pg::Connection observer(sets.conninfo);
    const QVariantMap asRead{{"ID", 1}, {"PM", "O'Neil"}, {"SL", 0.5}};
    for (const QVariantMap &change : {QVariantMap{{"PM", "first"}}, QVariantMap{{"SL", 2.0}}}) {
        const QString column = change.firstKey();
        SCOPED_TRACE(column.toStdString());
        PostgresApplier first(*sets.pg, loadPostgresTableSchema(*sets.pg, "HP"));
        sets.pg->exec("BEGIN");
        ASSERT_TRUE(first.applyRows({modified(asRead, change)}, 0).errors.isEmpty());

        ApplyOutcome late;
        std::thread other([&] {
            PostgresApplier applier(second, loadPostgresTableSchema(second, "HP"));
            const QVariant mine = column == "PM" ? QVariant("second") : QVariant(3.0);
            late = applier.apply({modified(asRead, {{column, mine}})}, 0);
        });
        waitForLockWait(observer);
        sets.pg->exec("COMMIT");
        other.join();

        ASSERT_EQ(late.errors.size(), 1);
        EXPECT_EQ(late.errors[0].code, wire::code::Conflict);
        EXPECT_EQ(show(late.errors[0].current.value(column)), show(change.first()));
        const pg::Result stored = sets.pg->exec("SELECT pm, sl FROM hp WHERE id = 1");
        EXPECT_EQ(stored.text(0, column == "PM" ? 0 : 1),
                  column == "PM" ? std::string_view("first") : std::string_view("2"));
    }

    // The same at full speed from two threads, many times: exactly one of each pair wins.
    int conflicts = 0;
    for (int round = 0; round < 50; ++round) {
        const QVariantMap old{{"ID", 2}, {"BZ", round ? QVariant(round - 1) : QVariant("note")}};
        std::atomic<int> ready = 0;
        ApplyOutcome outcomes[2];
        const auto run = [&](pg::Connection &connection, ApplyOutcome &outcome) {
            PostgresApplier applier(connection, loadPostgresTableSchema(connection, "HP"));
            ++ready;
            while (ready < 2) {
            }
            outcome = applier.apply({modified(old, {{"BZ", QString::number(round)}})}, 0);
        };
        std::thread a(run, std::ref(*sets.pg), std::ref(outcomes[0]));
        std::thread b(run, std::ref(second), std::ref(outcomes[1]));
        a.join();
        b.join();
        ASSERT_EQ(outcomes[0].applied + outcomes[1].applied, 1) << round;
        conflicts += outcomes[0].errors.size() + outcomes[1].errors.size();
    }
    EXPECT_EQ(conflicts, 50);
}

// Two sessions increment a counter as a client does, from the value each read, in a loop:
// a refused increment is read and tried again, and none is ever lost.
TEST(PgApply, ConcurrentIncrementsAreNeverLost)
{
    TwoSets sets;
    pg::Connection second(sets.conninfo);
    constexpr int Increments = 150;
    std::atomic<int> stored = 0;
    std::atomic<int> refused = 0;
    const auto byChangeLog = [&](pg::Connection &connection) {
        PostgresApplier applier(connection, loadPostgresTableSchema(connection, "JS"));
        for (int done = 0; done < Increments;) {
            const long long n = std::stoll(
                std::string(connection.exec("SELECT n FROM js WHERE id = 1").text(0, 0)));
            const ApplyOutcome outcome =
                applier.apply({modified({{"ID", 1}, {"N", n}}, {{"N", n + 1}})}, 0);
            if (outcome.errors.isEmpty()) {
                ++done;
                ++stored;
            } else {
                ++refused;
            }
        }
    };
    const auto byStatement = [&](pg::Connection &connection) {
        PostgresTransactionRunner runner(connection);
        for (int done = 0; done < Increments;) {
            const std::string n(connection.exec("SELECT n FROM js WHERE id = 1").text(0, 0));
            const std::string update = "UPDATE js SET n = " + std::to_string(std::stoll(n) + 1) +
                                       " WHERE id = 1 AND n = " + n;
            const TransactOutcome outcome = runner.run({executePart(update.c_str(), 1)});
            if (!outcome.rolledBack) {
                ++done;
                ++stored;
            } else {
                ++refused;
            }
        }
    };
    std::thread a(byChangeLog, std::ref(*sets.pg));
    std::thread b(byChangeLog, std::ref(second));
    a.join();
    b.join();
    std::thread c(byStatement, std::ref(*sets.pg));
    std::thread d(byStatement, std::ref(second));
    c.join();
    d.join();
    EXPECT_EQ(stored, 4 * Increments);
    EXPECT_EQ(sets.pg->exec("SELECT n FROM js WHERE id = 1").text(0, 0),
              std::to_string(4 * Increments));
    std::cout << "increments refused and tried again: " << refused << "\n";
}

// A cancelled statement is the time limit; nothing of the apply or transaction stays.
TEST(PgApply, ACancelledStatementIsATimeoutAndStoresNothing)
{
    TwoSets sets;
    const std::function<void()> requests[] = {
        [&] {
            PostgresApplier applier(*sets.pg, loadPostgresTableSchema(*sets.pg, "HP"));
            applier.apply({inserted({{"ID", 40}}), modified({{"ID", 2}}, {{"PM", "x"}})}, -1);
        },
        [&] {
            PostgresTransactionRunner runner(*sets.pg);
            runner.run({applyPart("HP", {inserted({{"ID", 40}})}),
                        executePart("UPDATE hp SET pm = 'x' WHERE id = 2")});
        },
    };
    for (const auto &request : requests) {
        pg::Connection blocker(sets.conninfo);
        blocker.exec("BEGIN");
        blocker.exec("SELECT * FROM hp WHERE id = 2 FOR UPDATE");
        std::thread canceller([&] {
            pg::Connection observer(sets.conninfo);
            waitForLockWait(observer);
            sets.pg->cancel();
        });
        try {
            request();
            ADD_FAILURE() << "no timeout";
        } catch (const RequestError &error) {
            EXPECT_EQ(error.code(), wire::code::Timeout);
        }
        canceller.join();
        blocker.exec("ROLLBACK");
        EXPECT_FALSE(sets.pg->inTransaction());
        EXPECT_EQ(sets.pg->exec("SELECT count(*) FROM hp WHERE id = 40").text(0, 0), "0");
    }
}

// The server ending the session in the middle of an apply fails the request; the rows written
// before are gone with the session.
TEST(PgApply, ALostSessionFailsTheApplyAndStoresNothing)
{
    TwoSets sets;
    pg::Connection lost(sets.conninfo);
    const std::string pid(lost.exec("SELECT pg_backend_pid()").text(0, 0));
    pg::Connection blocker(sets.conninfo);
    blocker.exec("BEGIN");
    blocker.exec("SELECT * FROM hp WHERE id = 2 FOR UPDATE");
    std::thread terminator([&] {
        pg::Connection observer(sets.conninfo);
        waitForLockWait(observer);
        observer.exec("SELECT pg_terminate_backend(" + pid + ")");
    });
    PostgresApplier applier(lost, loadPostgresTableSchema(lost, "HP"));
    try {
        applier.apply({inserted({{"ID", 40}}), modified({{"ID", 2}}, {{"PM", "x"}})}, -1);
        ADD_FAILURE() << "the apply went on without its session";
    } catch (const RequestError &error) {
        EXPECT_EQ(error.code(), wire::code::Sql) << error.message().toStdString();
    }
    terminator.join();
    blocker.exec("ROLLBACK");
    EXPECT_EQ(sets.pg->exec("SELECT count(*) FROM hp WHERE id = 40").text(0, 0), "0");
}

// Two sessions that wait for each other's rows: PostgreSQL ends one, which is busy and keeps
// nothing; the other is stored.
TEST(PgApply, ADeadlockIsBusyAndStoresNothing)
{
    TwoSets sets;
    pg::Connection second(sets.conninfo);
    sets.pg->exec("SET deadlock_timeout = '50ms'");
    second.exec("SET deadlock_timeout = '50ms'");
    std::atomic<int> ready = 0;
    std::string outcomes[2];
    const auto run = [&](pg::Connection &connection, int first, std::string &outcome) {
        PostgresTransactionRunner runner(connection, {}, [&] {});
        const std::string one = "UPDATE hp SET sl = 1 WHERE id = " + std::to_string(first);
        const std::string other = "UPDATE hp SET sl = 1 WHERE id = " + std::to_string(3 - first);
        PreparedPart wait = executePart("SELECT pg_sleep(0.3)");
        outcome = outcomeOf([&] {
            ++ready;
            return runner.run({executePart(one.c_str()), wait, executePart(other.c_str())});
        });
    };
    std::thread a(run, std::ref(*sets.pg), 1, std::ref(outcomes[0]));
    std::thread b(run, std::ref(second), 2, std::ref(outcomes[1]));
    a.join();
    b.join();
    const int busy = (outcomes[0] == "error busy") + (outcomes[1] == "error busy");
    EXPECT_EQ(busy, 1) << outcomes[0] << " / " << outcomes[1];
    EXPECT_FALSE(sets.pg->inTransaction());
    EXPECT_FALSE(second.inTransaction());
}
