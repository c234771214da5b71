// The schema of a PostgreSQL account set read from PostgreSQL itself: every table and view of
// the demo set is typed as the SQLite side types it, the client's corpus translates to the same
// SQL and result columns as through an SQLite twin, a query's result columns keep the client's
// spelling, tables that appear later are found and dropped ones forgotten once told.
#include "pg/connection.h"
#include "pgdemo.h"
#include "server/pgcopy.h"
#include "server/pgschema.h"
#include "sql/schema.h"
#include "sql/tokenizer.h"
#include "sql/translator.h"
#include "sql/types.h"
#include "support/pgcluster.h"

#include "../sql/sqltest.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <set>

namespace {

using sql::ValueType;

std::set<std::string> lowerCase(const std::vector<std::string> &names)
{
    std::set<std::string> folded;
    for (const std::string &name : names)
        folded.insert(sql::toLower(name));
    return folded;
}

// Where a column seen through PostgreSQL differs from the same column seen through SQLite.
std::string columnDifference(const sql::ColumnInfo &pg, const sql::ColumnInfo &sqlite,
                             bool typeOpen)
{
    std::string out;
    auto differ = [&](const char *what, const std::string &a, const std::string &b) {
        out += std::string(" ") + what + " " + a + " instead of " + b + ";";
    };
    if (!sql::equalsIgnoreCase(pg.name, sqlite.name))
        differ("name", pg.name, sqlite.name);
    if (!sql::equalsIgnoreCase(pg.table, sqlite.table))
        differ("table", pg.table, sqlite.table);
    if (!sql::equalsIgnoreCase(pg.baseColumn, sqlite.baseColumn))
        differ("base column", pg.baseColumn, sqlite.baseColumn);
    if (pg.size != sqlite.size)
        differ("size", std::to_string(pg.size), std::to_string(sqlite.size));
    if (pg.primaryKey != sqlite.primaryKey)
        differ("key", std::to_string(pg.primaryKey), std::to_string(sqlite.primaryKey));
    if (pg.notNull != sqlite.notNull)
        differ("not null", std::to_string(pg.notNull), std::to_string(sqlite.notNull));
    if (typeOpen)
        return out;
    if (pg.type != sqlite.type)
        differ("type", sql::valueTypeName(pg.type), sql::valueTypeName(sqlite.type));
    if (pg.storesReal != sqlite.storesReal)
        differ("real", std::to_string(pg.storesReal), std::to_string(sqlite.storesReal));
    if (pg.declaredType != sqlite.declaredType)
        differ("declared", pg.declaredType, sqlite.declaredType);
    return out;
}

class PgSchemaDemo : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dbtest::PgDemoSet &set = dbtest::PgDemoSet::shared();
        s_db = &set.db;
        s_conninfo = &set.conninfo;
        s_pg = set.pg.get();
    }

    static sql::Database *s_db;
    static std::string *s_conninfo;
    static pg::Connection *s_pg;
};

sql::Database *PgSchemaDemo::s_db = nullptr;
std::string *PgSchemaDemo::s_conninfo = nullptr;
pg::Connection *PgSchemaDemo::s_pg = nullptr;

TEST_F(PgSchemaDemo, EveryTableAndViewIsTypedAsOnSqlite)
{
    sql::SqliteSchema sqlite(s_db->handle());
    server::PostgresSchema postgres(*s_pg);
    sqlite.refreshIfChanged();
    postgres.refreshIfChanged();
    const std::vector<std::string> names = sqlite.tableNames();
    ASSERT_GT(names.size(), 100u);
    // The schema version table is the copy's own, no table of the account set.
    EXPECT_EQ(lowerCase(postgres.tableNames()), lowerCase(names));

    int views = 0;
    for (const std::string &name : names) {
        const sql::TableInfo *expected = sqlite.find(name);
        const sql::TableInfo *actual = postgres.find(name);
        ASSERT_TRUE(expected) << name;
        ASSERT_TRUE(actual) << name;
        EXPECT_TRUE(sql::equalsIgnoreCase(actual->name, name)) << actual->name;
        EXPECT_EQ(actual->isView, expected->isView) << name;
        views += actual->isView;
        ASSERT_EQ(actual->columns.size(), expected->columns.size()) << name;
        for (size_t i = 0; i < expected->columns.size(); ++i) {
            const sql::ColumnInfo &c = expected->columns[i];
            // SQLite leaves a view's computed column untyped; PostgreSQL knows its type.
            const bool typeOpen = expected->isView && c.declaredType.empty();
            EXPECT_EQ(columnDifference(actual->columns[i], c, typeOpen), "")
                << name << "." << c.name;
            // Found by any spelling, as the client writes it.
            EXPECT_EQ(actual->column(c.name), &actual->columns[i]) << name << "." << c.name;
        }
    }
    EXPECT_EQ(views, 2);
    EXPECT_EQ(postgres.find("HPKC")->column("JCS")->type, ValueType::Float);
    EXPECT_EQ(postgres.find("vz_schema"), nullptr);
}

TEST_F(PgSchemaDemo, ResultColumnsKeepTheClientsSpelling)
{
    sql::Translator translator(std::make_unique<server::PostgresSchema>(*s_pg),
                               sql::Engine::Postgres);
    struct Case
    {
        const char *text;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        // Plain columns are named as the schema spells them, as on SQLite.
        {"select BH from HP", {"BH"}},
        {"select bh, Pm from hp", {"BH", "PM"}},
        {"select H.BH, L.MC as Lb from HP H left join HPLB L on H.HPLBID = L.ID", {"BH", "Lb"}},
        {"select x.bh from (select BH from HP) x", {"BH"}},
        // A star takes the names from the schema, which keeps the spelling the copy had.
        {"select * from HPKC", {"HPID", "CKID", "JCS"}},
    };
    for (const Case &c : cases) {
        const auto translation = translator.translate(c.text, sql::Dialect::Jet);
        std::vector<std::string> names;
        for (const sql::ColumnInfo &column : translation->columns)
            names.push_back(column.name);
        EXPECT_EQ(names, c.names) << c.text;
    }
}

TEST_F(PgSchemaDemo, TableCreatedLaterIsFoundAndDroppedOneForgottenWhenTold)
{
    auto owned = std::make_unique<server::PostgresSchema>(*s_pg);
    server::PostgresSchema &schema = *owned;
    sql::Translator translator(std::move(owned), sql::Engine::Postgres);
    EXPECT_EQ(translator.translate("select BH from HP", sql::Dialect::Jet)->columns.size(), 1u);
    const char *late = "select ID, MC from LATE_WORK where ID > 0";
    EXPECT_THROW(translator.translate(late, sql::Dialect::Jet), sql::TranslateError);

    // Another session makes a table, without any comment naming its columns' SQLite types.
    pg::Connection other(*s_conninfo);
    other.exec("CREATE TABLE late_work (id bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, "
               "mc varchar(20), f double precision, n numeric(12, 2), r real, b boolean NOT NULL, "
               "d date, t timestamp(0), p bytea, x text, k integer)");
    other.exec("COMMENT ON COLUMN late_work.mc IS 'the name as the clerk knows it'");
    const auto translation = translator.translate(late, sql::Dialect::Jet);
    EXPECT_EQ(translation->columns.size(), 2u);
    EXPECT_EQ(translation->sql, "SELECT id, mc FROM late_work WHERE id > 0");

    struct Expected
    {
        const char *name;
        ValueType type;
        int size;
        bool real;
        bool key;
        bool notNull;
    };
    const Expected columns[] = {
        {"id", ValueType::Integer, 0, false, true, true},
        {"mc", ValueType::Text, 20, false, false, false},
        {"f", ValueType::Float, 0, true, false, false},
        {"n", ValueType::Float, 0, false, false, false},
        {"r", ValueType::Float, 0, true, false, false},
        {"b", ValueType::Boolean, 0, false, false, true},
        {"d", ValueType::Date, 0, false, false, false},
        {"t", ValueType::DateTime, 0, false, false, false},
        {"p", ValueType::Blob, 0, false, false, false},
        {"x", ValueType::Text, 0, false, false, false},
        {"k", ValueType::Integer, 0, false, false, false},
    };
    const std::optional<sql::TableInfo> table = translator.table("Late_Work");
    ASSERT_TRUE(table);
    ASSERT_EQ(table->columns.size(), std::size(columns));
    for (size_t i = 0; i < std::size(columns); ++i) {
        const Expected &e = columns[i];
        const sql::ColumnInfo &c = table->columns[i];
        EXPECT_EQ(c.name, e.name);
        EXPECT_EQ(c.type, e.type) << e.name;
        EXPECT_EQ(c.size, e.size) << e.name;
        EXPECT_EQ(c.storesReal, e.real) << e.name;
        EXPECT_EQ(c.primaryKey, e.key) << e.name;
        EXPECT_EQ(c.notNull, e.notNull) << e.name;
    }

    other.exec("DROP TABLE late_work");
    schema.invalidate();
    EXPECT_THROW(translator.translate(late, sql::Dialect::Jet), sql::TranslateError);
    EXPECT_FALSE(translator.table("late_work"));
    EXPECT_TRUE(translator.table("hp"));
}

TEST_F(PgSchemaDemo, SessionsTemporaryTableHidesTheTableOfItsName)
{
    auto owned = std::make_unique<server::PostgresSchema>(*s_pg);
    server::PostgresSchema &schema = *owned;
    sql::Translator translator(std::move(owned), sql::Engine::Postgres);
    const char *notes = "select NOTE from HP";
    EXPECT_THROW(translator.translate(notes, sql::Dialect::Jet), sql::TranslateError);

    s_pg->exec("CREATE TEMPORARY TABLE hp (id bigint, note text)");
    schema.invalidate();
    EXPECT_EQ(translator.translate(notes, sql::Dialect::Jet)->columns.at(0).type, ValueType::Text);
    EXPECT_THROW(translator.translate("select BH from HP", sql::Dialect::Jet), sql::TranslateError);

    s_pg->exec("DROP TABLE pg_temp.hp");
    schema.invalidate();
    EXPECT_THROW(translator.translate(notes, sql::Dialect::Jet), sql::TranslateError);
    EXPECT_EQ(translator.translate("select BH from HP", sql::Dialect::Jet)->columns.at(0).size, 30);
}

// A catalogue that cannot be read fails the translation with the translator's own error.
TEST_F(PgSchemaDemo, ACatalogueThatCannotBeReadFailsTheTranslationNotTheCaller)
{
    pg::Connection pg(*s_conninfo);
    sql::Translator translator(std::make_unique<server::PostgresSchema>(pg), sql::Engine::Postgres);
    pg.exec("BEGIN");
    EXPECT_THROW(pg.exec("SELECT * FROM no_such_table"), pg::Error);
    try {
        translator.translate("select BH from HP", sql::Dialect::Jet);
        ADD_FAILURE() << "translated inside an aborted transaction";
    } catch (const sql::Error &error) {
        EXPECT_NE(std::string(error.what()).find("cannot read the schema"), std::string::npos)
            << error.what();
    }
    pg.exec("ROLLBACK");
    EXPECT_NO_THROW(translator.translate("select BH from HP", sql::Dialect::Jet));
}

class PgSchemaCorpus : public ::testing::TestWithParam<sqltest::CorpusFile>
{
};

// Every text the client sends translates through the PostgreSQL catalogue as through an
// SQLite twin. Statements that change data or tables run on both databases, so that later
// texts see the tables earlier ones made or dropped.
TEST_P(PgSchemaCorpus, TranslatesAsThroughAnSqliteTwin)
{
    const sqltest::CorpusFile corpus = GetParam();
    sqltest::TestDb db;
    db.loadCorpus();
    pg::Connection pg(testsupport::PgCluster::shared().createDatabase());
    server::PostgresCopy(db.handle(), pg).run();

    sql::Translator twin(db.handle(), sql::Engine::Postgres);
    auto owned = std::make_unique<server::PostgresSchema>(pg);
    server::PostgresSchema &schema = *owned;
    sql::Translator catalogue(std::move(owned), sql::Engine::Postgres);

    int compared = 0;
    for (const std::string &text : sql::splitStatements(
             sqltest::readFile(sqltest::dataPath(std::string("corpus/") + corpus.file)),
             corpus.dialect)) {
        std::shared_ptr<const sql::Translation> expected;
        std::string refusal;
        try {
            expected = twin.translate(text, corpus.dialect);
        } catch (const sql::TranslateError &error) {
            refusal = error.what();
        }
        std::shared_ptr<const sql::Translation> actual;
        try {
            actual = catalogue.translate(text, corpus.dialect);
        } catch (const sql::TranslateError &error) {
            EXPECT_FALSE(refusal.empty()) << error.what() << "\n  in: " << text;
            continue;
        }
        if (!expected) {
            ADD_FAILURE() << "translated, but not through the twin: " << refusal
                          << "\n  in: " << text;
            continue;
        }
        ++compared;
        EXPECT_EQ(actual->sql, expected->sql) << text;
        EXPECT_EQ(actual->kind, expected->kind) << text;
        EXPECT_TRUE(sql::equalsIgnoreCase(actual->table, expected->table)) << text;
        ASSERT_EQ(actual->columns.size(), expected->columns.size()) << text;
        for (size_t i = 0; i < expected->columns.size(); ++i)
            EXPECT_EQ(columnDifference(actual->columns[i], expected->columns[i], false), "")
                << "column " << i << " of " << text;

        if (actual->kind == sql::StatementKind::Select)
            continue;
        try {
            db.exec(db.translator().translate(text, corpus.dialect)->sql);
            pg.exec(actual->sql);
        } catch (const std::exception &error) {
            ADD_FAILURE() << error.what() << "\n  in: " << text;
        }
        if (actual->kind != sql::StatementKind::Insert &&
            actual->kind != sql::StatementKind::Update &&
            actual->kind != sql::StatementKind::Delete)
            schema.invalidate();
    }
    EXPECT_GT(compared, 20);
}

INSTANTIATE_TEST_SUITE_P(Texts, PgSchemaCorpus, ::testing::ValuesIn(sqltest::CorpusFiles));

} // namespace
