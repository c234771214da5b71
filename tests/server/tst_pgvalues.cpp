// Values through a PostgreSQL column and through an SQLite column of the same declared type:
// the client must not tell the two engines apart, on the wire or in what either refuses.
#include "pg/connection.h"
#include "server/pgvalues.h"
#include "server/storage.h"
#include "sql/target.h"
#include "sql/types.h"
#include "support/pgcluster.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>

#include <cmath>
#include <memory>

using namespace server;

namespace {

std::string show(const QVariant &value)
{
    if (!value.isValid())
        return "null";
    const QString text = value.typeId() == QMetaType::QByteArray
                             ? QString::fromLatin1(value.toByteArray().toHex())
                             : value.toString();
    return std::string(value.typeName()) + ':' + text.toStdString();
}

QByteArray cbor(const QVariant &value)
{
    QByteArray out;
    wire::CborWriter writer(out);
    wire::writeValue(writer, value);
    return out;
}

std::string columnType(sql::Engine engine, const char *declared)
{
    return sql::Target::of(engine)
        .columnType(sql::mapDeclaredType(declared), sql::TypeName{declared, {}}, false)
        .toSql();
}

// One SQLite column and one PostgreSQL column, both of a declared type as an account set has
// them, that a value is written into and read back from.
class TwoColumns
{
public:
    explicit TwoColumns(pg::Connection &pg)
        : m_pg(pg)
    {
        sqlite3_open(":memory:", &m_sqlite);
    }
    ~TwoColumns() { sqlite3_close(m_sqlite); }

    void declare(const char *declared)
    {
        m_type = parseDeclaredType(declared).type;
        sqliteExec("DROP TABLE IF EXISTS v; CREATE TABLE v (x " +
                   columnType(sql::Engine::Sqlite, declared) + ")");
        m_pg.exec("DROP TABLE IF EXISTS v; CREATE TABLE v (x " +
                  columnType(sql::Engine::Postgres, declared) + ")");
    }

    struct Read
    {
        QVariant value;
        QByteArray wire; // the CBOR a packet of rows carries
        QString error;
    };

    Read throughSqlite(const QVariant &value)
    {
        Read read;
        const auto stored = toStored(value, m_type, &read.error);
        if (!stored)
            return read;
        sqliteExec("DELETE FROM v");
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(m_sqlite, "INSERT INTO v VALUES (?)", -1, &insert, nullptr);
        stored->bind(insert, 1);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_finalize(insert);
        sqlite3_stmt *select = nullptr;
        sqlite3_prepare_v2(m_sqlite, "SELECT x FROM v", -1, &select, nullptr);
        EXPECT_EQ(sqlite3_step(select), SQLITE_ROW);
        read.value = toWire(select, 0, m_type);
        wire::CborWriter writer(read.wire);
        writeWire(writer, select, 0, m_type);
        sqlite3_finalize(select);
        return read;
    }

    Read throughPostgres(const QVariant &value)
    {
        Read read;
        const auto parameter = postgresFromWire(value, m_type, &read.error);
        if (!parameter)
            return read;
        m_pg.exec("DELETE FROM v");
        m_pg.exec("INSERT INTO v VALUES ($1)", {*parameter});
        const pg::Result rows = m_pg.exec("SELECT x FROM v");
        const auto text =
            rows.isNull(0, 0) ? std::nullopt : std::optional<std::string_view>(rows.text(0, 0));
        read.value = wireFromPostgres(text, m_type);
        wire::CborWriter writer(read.wire);
        writeWireFromPostgres(writer, text, m_type);
        return read;
    }

private:
    void sqliteExec(const std::string &sql)
    {
        char *message = nullptr;
        ASSERT_EQ(sqlite3_exec(m_sqlite, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK)
            << message;
    }

    pg::Connection &m_pg;
    sqlite3 *m_sqlite = nullptr;
    ValueType m_type = ValueType::Unknown;
};

class PgValues : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_pg = std::make_unique<pg::Connection>(testsupport::PgCluster::shared().createDatabase());
    }
    static void TearDownTestSuite() { s_pg.reset(); }

    static std::unique_ptr<pg::Connection> s_pg;
};

std::unique_ptr<pg::Connection> PgValues::s_pg;

struct Case
{
    const char *declared;
    QVariant value;
};

QDateTime at(int y, int m, int d, int h, int min, int s)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}

} // namespace

TEST_F(PgValues, EveryValueReadsBackAsFromSqlite)
{
    const Case cases[] = {
        // Booleans: Jet's True is -1; scripts write True and False as text.
        {"bit", true},
        {"bit", false},
        {"bit", -1},
        {"yesno", 0},
        {"bit", 2.5},
        {"bit", QStringLiteral("True")},
        {"bit", QStringLiteral("no")},
        {"bit", QStringLiteral("")},
        {"bit", QVariant()},
        {"bit", QStringLiteral("maybe")},
        // Whole numbers.
        {"integer", 42},
        {"long", qint64(-9007199254740993)},
        {"integer", 17.0},
        {"integer", QStringLiteral(" 12 ")},
        {"integer", QStringLiteral("")},
        {"integer", true},
        {"integer", QStringLiteral("abc")},
        {"integer", QStringLiteral("1e3")},
        // Floats and money: exact to the last bit, whole amounts included.
        {"float", 0.1},
        {"float", 0.1 + 0.2},
        {"money", 1234.56},
        {"currency", 17},
        {"money", QStringLiteral("19.99")},
        {"money", -0.01},
        {"double", 1e20},
        {"float", 1.7976931348623157e308},
        {"float", 5e-324},
        {"money", QStringLiteral("12,5")},
        // Dates in every form the system writes; the invalid ones refused alike.
        {"date", QDate(2024, 3, 1)},
        {"date", QStringLiteral("2024-3-1")},
        {"date", QStringLiteral("2024/03/01")},
        {"date", 45352},
        {"date", QStringLiteral("")},
        {"date", QDate()},
        {"date", QStringLiteral("2024-02-30")},
        {"date", QStringLiteral("soon")},
        {"date", QDate(1, 1, 1)},
        {"datetime", at(2024, 3, 1, 9, 5, 7)},
        {"datetime", at(2024, 3, 1, 0, 0, 0)},
        {"datetime", QDate(2024, 12, 31)},
        {"datetime", QStringLiteral("2024-03-01T09:05")},
        {"datetime", QStringLiteral("2024-03-01 23:59:59")},
        {"datetime", 45352.5},
        {"timestamp", QStringLiteral("2024-03-01 25:00")},
        // Text, quotes and Chinese included; numbers and dates in text columns as text.
        {"varchar(20)", QStringLiteral("O'Neil")},
        {"varchar(20)", QStringLiteral("中文 名称")},
        {"memo", QStringLiteral("back\\slash\nline")},
        {"varchar(20)", QStringLiteral("")},
        {"varchar(20)", 17.5},
        {"varchar(20)", 17.0},
        {"varchar(20)", 42},
        {"varchar(20)", true},
        {"varchar(20)", QDate(2024, 3, 1)},
        {"varchar(20)", at(2024, 3, 1, 9, 5, 7)},
        // Bytes.
        {"blob", QByteArray("\x00\xff\x10 \\x", 7)},
        {"image", QByteArray()},
        {"blob", QStringLiteral("abc")},
    };
    TwoColumns columns(*s_pg);
    for (const Case &c : cases) {
        columns.declare(c.declared);
        const auto sqlite = columns.throughSqlite(c.value);
        const auto postgres = columns.throughPostgres(c.value);
        const std::string what = std::string(c.declared) + ' ' + show(c.value);
        EXPECT_EQ(postgres.error.toStdString(), sqlite.error.toStdString()) << what;
        EXPECT_EQ(show(wire::normalized(postgres.value)), show(wire::normalized(sqlite.value)))
            << what;
        EXPECT_EQ(postgres.wire.toHex().toStdString(), sqlite.wire.toHex().toStdString()) << what;
        // The fast path of packets writes what the value would.
        if (postgres.error.isEmpty()) {
            EXPECT_EQ(postgres.wire.toHex().toStdString(),
                      cbor(postgres.value).toHex().toStdString())
                << what;
        }
    }
}

// Where PostgreSQL's types are stricter than SQLite's columns: refused, or narrowed to the type,
// never stored as something else silently.
TEST_F(PgValues, WhatPostgresCannotHoldIsRefusedOrNarrowed)
{
    const struct
    {
        const char *declared;
        QVariant value;
        const char *expected; // "error" or the value as show() writes it
    } cases[] = {
        {"integer", 12.5, "error"},
        {"integer", QStringLiteral("12.5"), "error"},
        {"varchar(20)", QString::fromUtf8("a\0b", 3), "error"},
        {"varchar(20)", QByteArray("\xff\xfe", 2), "error"},
        {"varchar(20)", QByteArray("abc"), "QString:abc"},
        // A date column keeps the date of a date-time.
        {"date", at(2024, 3, 1, 9, 5, 7), "QDate:2024-03-01"},
        // SQLite turns NaN into NULL.
        {"float", std::nan(""), "null"},
        {"float", -INFINITY, "double:-inf"},
    };
    TwoColumns columns(*s_pg);
    for (const auto &c : cases) {
        columns.declare(c.declared);
        const auto postgres = columns.throughPostgres(c.value);
        const std::string what = std::string(c.declared) + ' ' + show(c.value);
        if (std::string_view(c.expected) == "error") {
            EXPECT_FALSE(postgres.error.isEmpty()) << what;
            continue;
        }
        EXPECT_TRUE(postgres.error.isEmpty()) << what;
        EXPECT_EQ(show(wire::normalized(postgres.value)), std::string(c.expected)) << what;
    }
}

// Text forms PostgreSQL writes for columns an account set copied from SQLite does not have:
// other timestamp precisions, zones, the old bytea escape format.
TEST(PgValueTexts, OtherFormsReadAsTheirValues)
{
    const struct
    {
        const char *text;
        ValueType type;
        QVariant expected;
    } cases[] = {
        {"2024-03-01 09:05:07.25", ValueType::DateTime, at(2024, 3, 1, 9, 5, 7)},
        {"2024-03-01 09:05:07+01", ValueType::DateTime, at(2024, 3, 1, 9, 5, 7)},
        {"2024-03-01 00:00:00.5", ValueType::DateTime, QDate(2024, 3, 1)},
        {"2024-03-01", ValueType::DateTime, QDate(2024, 3, 1)},
        {"infinity", ValueType::Date, QStringLiteral("infinity")},
        {"true", ValueType::Boolean, true},
        {"0", ValueType::Boolean, false},
        {"-1", ValueType::Boolean, true},
        {"12.5", ValueType::Integer, 12.5},
        {"1e3", ValueType::Integer, qint64(1000)},
        {"NaN", ValueType::Float, std::nan("")},
        {"Infinity", ValueType::Float, INFINITY},
        {"n/a", ValueType::Float, QStringLiteral("n/a")},
        {"ab\\\\c\\001", ValueType::Blob, QByteArray("ab\\c\x01")},
        {"\\x4142", ValueType::Blob, QByteArray("AB")},
        {"\\x414", ValueType::Blob, QByteArray("\\x414")},
    };
    for (const auto &c : cases) {
        const QVariant value = wireFromPostgres(std::string_view(c.text), c.type);
        EXPECT_EQ(show(wire::normalized(value)), show(wire::normalized(c.expected))) << c.text;
        QByteArray written;
        wire::CborWriter writer(written);
        writeWireFromPostgres(writer, std::string_view(c.text), c.type);
        EXPECT_EQ(written.toHex().toStdString(), cbor(value).toHex().toStdString()) << c.text;
    }
    EXPECT_FALSE(wireFromPostgres(std::nullopt, ValueType::Text).isValid());
}

// The type of an expression's column from the oid the server reports for it.
TEST_F(PgValues, ExpressionTypesFromTheServersOids)
{
    const struct
    {
        const char *expression;
        ValueType type;
    } cases[] = {
        {"true", ValueType::Boolean},
        {"1::smallint", ValueType::Integer},
        {"1::integer", ValueType::Integer},
        {"count(*)", ValueType::Integer},
        {"1.5::real", ValueType::Float},
        {"1.5::double precision", ValueType::Float},
        {"sum(1.5)", ValueType::Float},
        {"current_date", ValueType::Date},
        {"localtimestamp(0)", ValueType::DateTime},
        {"now()", ValueType::DateTime},
        {"'\\x00'::bytea", ValueType::Blob},
        {"'a'::text", ValueType::Text},
        {"'a'::varchar(3)", ValueType::Text},
        {"'a'::char(3)", ValueType::Text},
        {"interval '1 day'", ValueType::Text},
    };
    for (const auto &c : cases) {
        const pg::Result result = s_pg->exec(std::string("SELECT ") + c.expression);
        EXPECT_EQ(int(wireTypeOfPostgres(result.columnType(0))), int(c.type)) << c.expression;
    }
}
