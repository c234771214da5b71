// The semantic pass: declared types, typed result columns, the live schema with its refresh, the
// translation cache and the table.column references.
#include "sqltest.h"

#include "sql/types.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using sql::ValueType;

class Typing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.exec("CREATE TABLE HP (ID INTEGER PRIMARY KEY, BH VARCHAR(20) COLLATE NOCASE NOT NULL, "
                "PM VARCHAR(40) COLLATE NOCASE, RQ DATE, SJ DATETIME, ZT BOOLEAN NOT NULL DEFAULT "
                "0, SL REAL NOT NULL DEFAULT 0, JE MONEY, N INTEGER, P BLOB, X);"
                "INSERT INTO HP (ID, BH, PM, RQ, SL) VALUES (1, 'A01', '螺丝', '2024-03-01', 2);");
    }

    std::vector<sql::ColumnInfo> columns(const std::string &text,
                                         sql::Dialect dialect = sql::Dialect::Jet)
    {
        return db.translator().translate(text, dialect)->columns;
    }
    std::vector<ValueType> types(const std::string &text, sql::Dialect dialect = sql::Dialect::Jet)
    {
        std::vector<ValueType> result;
        for (const auto &c : columns(text, dialect))
            result.push_back(c.type);
        return result;
    }

    sqltest::TestDb db;
};

TEST(DeclaredTypes, MapToValueTypes)
{
    struct Case
    {
        const char *declared;
        ValueType type;
        int size;
        bool real;
        const char *created;
    };
    const Case cases[] = {
        {"int", ValueType::Integer, 0, false, ""},
        {"INTEGER", ValueType::Integer, 0, false, ""},
        {"smallint", ValueType::Integer, 0, false, ""},
        {"counter", ValueType::Integer, 0, false, "integer"},
        {"float", ValueType::Float, 0, true, ""},
        {"double precision", ValueType::Float, 0, true, ""},
        {"money", ValueType::Float, 0, false, "float"},
        {"decimal(18,2)", ValueType::Float, 0, false, "float"},
        {"varchar(20)", ValueType::Text, 20, false, ""},
        {"nvarchar(50)", ValueType::Text, 50, false, ""},
        {"char(20)", ValueType::Text, 20, false, ""},
        {"memo", ValueType::Text, 0, false, "text"},
        {"date", ValueType::Date, 0, false, ""},
        {"datetime", ValueType::DateTime, 0, false, ""},
        {"bit", ValueType::Boolean, 0, false, ""},
        {"yesno", ValueType::Boolean, 0, false, ""},
        {"BOOLEAN", ValueType::Boolean, 0, false, ""},
        {"image", ValueType::Blob, 0, false, "blob"},
        {"", ValueType::Unknown, 0, false, ""},
        {"BIGINT UNSIGNED", ValueType::Integer, 0, false, ""},
        {"VARYING CHARACTER(10)", ValueType::Text, 10, false, ""},
    };
    for (const Case &c : cases) {
        const sql::DeclaredType declared = sql::mapDeclaredType(c.declared);
        EXPECT_EQ(declared.type, c.type) << c.declared;
        EXPECT_EQ(declared.size, c.size) << c.declared;
        EXPECT_EQ(declared.realAffinity, c.real) << c.declared;
        EXPECT_EQ(declared.sqliteName, c.created) << c.declared;
    }
}

TEST(ValueTypes, WidenAsUnionsAndBranchesCombine)
{
    EXPECT_EQ(sql::widen(ValueType::Integer, ValueType::Float), ValueType::Float);
    EXPECT_EQ(sql::widen(ValueType::Boolean, ValueType::Integer), ValueType::Integer);
    EXPECT_EQ(sql::widen(ValueType::Date, ValueType::DateTime), ValueType::DateTime);
    EXPECT_EQ(sql::widen(ValueType::Date, ValueType::Text), ValueType::Text);
    EXPECT_EQ(sql::widen(ValueType::Unknown, ValueType::Date), ValueType::Date);
    EXPECT_EQ(sql::widen(ValueType::Float, ValueType::Text), ValueType::Text);
}

TEST_F(Typing, TableColumnsCarryTheirSchema)
{
    const auto result = columns("select ID, bh, PM as Name, RQ, ZT, JE, P, X from HP");
    ASSERT_EQ(result.size(), 8u);
    EXPECT_EQ(result[0].type, ValueType::Integer);
    EXPECT_TRUE(result[0].primaryKey);
    EXPECT_TRUE(result[0].notNull);
    // The schema's spelling, as SQLite reports it.
    EXPECT_EQ(result[1].name, "BH");
    EXPECT_EQ(result[1].type, ValueType::Text);
    EXPECT_EQ(result[1].size, 20);
    EXPECT_TRUE(result[1].notNull);
    EXPECT_EQ(result[1].table, "HP");
    EXPECT_EQ(result[1].baseColumn, "BH");
    EXPECT_EQ(result[2].name, "Name");
    EXPECT_EQ(result[2].baseColumn, "PM");
    EXPECT_FALSE(result[2].notNull);
    EXPECT_EQ(result[3].type, ValueType::Date);
    EXPECT_EQ(result[4].type, ValueType::Boolean);
    EXPECT_EQ(result[5].type, ValueType::Float);
    EXPECT_EQ(result[6].type, ValueType::Blob);
    EXPECT_EQ(result[7].type, ValueType::Unknown);
}

TEST_F(Typing, ExpressionsAreTypedStatically)
{
    EXPECT_EQ(types("select 0.000 as JEA, 0 as SLA, '' as DJ, #2024-03-01# as D, "
                    "#2024-03-01 10:00# as T, True as B, Null as N"),
              (std::vector{ValueType::Float, ValueType::Integer, ValueType::Text, ValueType::Date,
                           ValueType::DateTime, ValueType::Boolean, ValueType::Unknown}));
    EXPECT_EQ(types("select BH + PM, BH & ID, SL + N, N + N, RQ + N, N + RQ, RQ - SJ, -ZT, "
                    "N / 2, N \\ 2, ZT and ID > 1 from HP"),
              (std::vector{ValueType::Text, ValueType::Text, ValueType::Float, ValueType::Integer,
                           ValueType::Date, ValueType::Date, ValueType::Float, ValueType::Integer,
                           ValueType::Float, ValueType::Integer, ValueType::Boolean}));
    EXPECT_EQ(types("select N / 2, SL / 2 from HP", sql::Dialect::TSql),
              (std::vector{ValueType::Integer, ValueType::Float}));
    EXPECT_EQ(types("select count(*), sum(N), sum(ZT), sum(SL), avg(N), max(RQ), min(PM) from HP"),
              (std::vector{ValueType::Integer, ValueType::Integer, ValueType::Integer,
                           ValueType::Float, ValueType::Float, ValueType::Date, ValueType::Text}));
    EXPECT_EQ(
        types("select iif(ZT, N, SL), iif(ZT, PM, N), switch(ZT, RQ, true, SJ), "
              "isnull(PM), nz(N), left(RQ, 4), year(RQ), val(PM), format(SL, '0.00'), "
              "now(), date(), (select max(SJ) from HP) from HP"),
        (std::vector{ValueType::Float, ValueType::Text, ValueType::DateTime, ValueType::Boolean,
                     ValueType::Integer, ValueType::Text, ValueType::Integer, ValueType::Float,
                     ValueType::Text, ValueType::DateTime, ValueType::Date, ValueType::DateTime}));
    EXPECT_EQ(types("select isnull(N, 0), getdate(), CAST(RQ AS char(20)), CAST(PM AS int), "
                    "CONVERT(float, PM), case when ZT then 1 else 2.5 end from HP",
                    sql::Dialect::TSql),
              (std::vector{ValueType::Integer, ValueType::DateTime, ValueType::Text,
                           ValueType::Integer, ValueType::Float, ValueType::Float}));
}

TEST_F(Typing, AggregatesOverNoRowsKeepTheArgumentType)
{
    // QueryValue gives 0 or '' on an empty result by the column's type.
    const auto result = db.run("select sum(SL) as S, max(PM) as M from HP where 1=2");
    EXPECT_EQ(result.header(), "S:Float,M:Text");
    EXPECT_EQ(result.rows, std::vector<std::string>{","});
}

TEST_F(Typing, UnionAndDerivedColumnsAreWidened)
{
    EXPECT_EQ(types("select 0 as A, '' as B, RQ from HP union all select SL, RQ, '' from HP"),
              (std::vector{ValueType::Float, ValueType::Date, ValueType::Date}));
    EXPECT_EQ(types("select * from (select N as A, BH from HP union select 2.5, 'x' from HP) k"),
              (std::vector{ValueType::Float, ValueType::Text}));
    const auto derived = columns("select k.BH from (select BH from HP) k");
    EXPECT_EQ(derived[0].table, "HP");
    EXPECT_EQ(derived[0].size, 20);
}

TEST_F(Typing, StarsExpandToTheSourceColumns)
{
    const auto result = columns("select *, 'x' as Y from HP");
    ASSERT_EQ(result.size(), 12u);
    EXPECT_EQ(result[0].name, "ID");
    EXPECT_EQ(result[10].name, "X");
    EXPECT_EQ(result[11].name, "Y");
}

TEST_F(Typing, TablesCreatedAtRunTimeAreKnownAtOnce)
{
    db.translator().translate("select ID from HP", sql::Dialect::Jet);
    EXPECT_EQ(db.translator().cacheSize(), 1u);
    EXPECT_THROW(db.translate("select * from rpt_Static_StockQty"), sql::TranslateError);
    // A statement outside the translator changes the schema; the translator notices.
    sqlite3 *handle = db.handle();
    ASSERT_EQ(sqlite3_exec(handle, "CREATE TABLE rpt_Static_StockQty (hpid int, s3 float)", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    const auto result = db.run("select s3 from rpt_Static_StockQty");
    EXPECT_EQ(result.header(), "s3:Float");
    // The schema change emptied the cache.
    EXPECT_EQ(db.translator().cacheSize(), 1u);
    db.run("drop table rpt_Static_StockQty");
    EXPECT_THROW(db.translate("select * from rpt_Static_StockQty"), sql::TranslateError);
}

TEST_F(Typing, TranslationsAreCachedByDialectAndText)
{
    auto &translator = db.translator();
    auto a = translator.translate("select BH + PM from HP", sql::Dialect::Jet);
    auto b = translator.translate("select BH + PM from HP", sql::Dialect::Jet);
    auto c = translator.translate("select BH + PM from HP", sql::Dialect::TSql);
    EXPECT_EQ(a.get(), b.get());
    EXPECT_NE(a.get(), c.get());
    EXPECT_EQ(translator.cacheSize(), 2u);
    translator.setCacheCapacity(1);
    EXPECT_EQ(translator.cacheSize(), 1u);
    translator.translate("select 1 from HP", sql::Dialect::Jet);
    EXPECT_EQ(translator.cacheSize(), 1u);
    auto d = translator.translate("select 1 from HP", sql::Dialect::Jet);
    EXPECT_EQ(translator.translate("select 1 from HP", sql::Dialect::Jet).get(), d.get());
    translator.clearCache();
    EXPECT_EQ(translator.cacheSize(), 0u);
}

TEST_F(Typing, TranslatesFromSeveralThreads)
{
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const std::string text = "select ID + " + std::to_string(i % 20) + " from HP";
                if (db.translator()
                        .translate(text, t % 2 ? sql::Dialect::Jet : sql::Dialect::TSql)
                        ->columns.size() != 1)
                    ++failures;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
}

TEST_F(Typing, ExposesTheLiveSchema)
{
    const auto table = db.translator().table("hp");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->name, "HP");
    ASSERT_EQ(table->columns.size(), 11u);
    EXPECT_TRUE(table->column("id")->primaryKey);
    EXPECT_EQ(table->column("zt")->type, ValueType::Boolean);
    EXPECT_EQ(table->column("zt")->declaredType, "BOOLEAN");
    EXPECT_TRUE(table->column("SL")->storesReal);
    EXPECT_FALSE(table->column("JE")->storesReal); // MONEY has NUMERIC affinity
    EXPECT_EQ(table->column("missing"), nullptr);
    EXPECT_FALSE(db.translator().table("nothing"));
    const auto names = db.translator().tableNames();
    EXPECT_EQ(names, std::vector<std::string>{"HP"});
}

TEST_F(Typing, ListsTheColumnsAStatementNames)
{
    db.exec("CREATE TABLE CK (ID INTEGER PRIMARY KEY, MC TEXT, BMID INTEGER);"
            "CREATE TABLE BM (ID INTEGER PRIMARY KEY, MC TEXT)");
    // An unqualified name in two tables is an error, not a guess.
    EXPECT_THROW(db.translate("select MC from CK C left join BM B on c.bmid = b.id"),
                 sql::TranslateError);
    const auto resolved =
        db.translator()
            .translate("select b.mc as bmmc, c.* from CK C left join BM B on c.bmid = b.id",
                       sql::Dialect::Jet)
            ->references;
    EXPECT_EQ(resolved, (std::vector<sql::ColumnReference>{
                            {"CK", "BMID"}, {"BM", "ID"}, {"BM", "MC"}, {"CK", "*"}}));
    EXPECT_EQ(db.translator()
                  .translate("update CK set MC = 'a' where BMID = 1", sql::Dialect::Jet)
                  ->references,
              (std::vector<sql::ColumnReference>{{"CK", "MC"}, {"CK", "BMID"}}));
    EXPECT_EQ(db.translator().translate("select ID from CK", sql::Dialect::Jet)->table, "CK");
}

// The server saves a dataset's changes to the table its command text reads first.
TEST_F(Typing, AQueryNamesTheTableItsRowsAreSavedTo)
{
    db.exec("CREATE TABLE KH (ID INTEGER PRIMARY KEY, DQID INTEGER);"
            "CREATE TABLE DQ (ID INTEGER PRIMARY KEY, MC TEXT);"
            "CREATE TABLE XSKD (ID INTEGER PRIMARY KEY);"
            "CREATE TABLE XSKDZB (ID INTEGER PRIMARY KEY);"
            "CREATE TABLE CGSH (ID INTEGER PRIMARY KEY, HPID INTEGER, CKID INTEGER);"
            "CREATE TABLE CGTH (ID INTEGER PRIMARY KEY, HPID INTEGER, ZBID INTEGER);"
            "CREATE TABLE CK (ID INTEGER PRIMARY KEY);"
            "CREATE TABLE Sjzl (ID INTEGER PRIMARY KEY);"
            "CREATE TABLE \"Real\" (ID INTEGER PRIMARY KEY)");
    const struct
    {
        const char *text;
        sql::Dialect dialect;
        const char *table;
    } cases[] = {
        {"select * from HP where ID = 1", sql::Dialect::Jet, "HP"},
        {"SELECT H.*, D.MC as aDQMC FROM [KH] H left join DQ D on D.ID=H.DQID", sql::Dialect::Jet,
         "KH"},
        {"select (select count(*) from XSKD) as n, a.* from XSKDZB a", sql::Dialect::Jet, "XSKDZB"},
        {"select * from ((CGSH M inner join HP H on M.HPID=H.ID) inner join CK C on C.ID = "
         "M.CKID)",
         sql::Dialect::Jet, "CGSH"},
        {"select M.*, H.BH as aBH from CGTH M, HP H, M inner join H on M.HPID=H.ID where ZBID = 5",
         sql::Dialect::Jet, "CGTH"},
        {"select * from (select ID from Sjzl) x", sql::Dialect::Jet, "Sjzl"},
        {"select * from (select * from (select ID from Sjzl) y) x", sql::Dialect::Jet, "Sjzl"},
        {"select x.ID from (select ID, HPID from CGSH) x inner join HP H on x.HPID = H.ID",
         sql::Dialect::Jet, "CGSH"},
        {"select ID from XSKD union select ID from CK", sql::Dialect::Jet, "XSKD"},
        {"select 'from X' as t, * from \"Real\"", sql::Dialect::TSql, "Real"},
        {"select 'from CK' as t from Sjzl", sql::Dialect::Jet, "Sjzl"},
        {"select 1", sql::Dialect::Jet, ""},
        {"update hp set PM = 'a' where ID = 1", sql::Dialect::Jet, "HP"},
        {"delete from ck where ID = 1", sql::Dialect::Jet, "CK"},
        {"insert into Sjzl (ID) values (1)", sql::Dialect::Jet, "Sjzl"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(db.translator().translate(c.text, c.dialect)->table, c.table) << c.text;
}

TEST(References, FromTheTextAlone)
{
    EXPECT_EQ(sql::referencedColumns("select M.*, H.BH as aBH from CGTH M, HP H, M inner join H "
                                     "on M.HPID=H.ID where ZBID = 5",
                                     sql::Dialect::Jet),
              (std::vector<sql::ColumnReference>{
                  {"CGTH", "*"}, {"CGTH", "HPID"}, {"HP", "ID"}, {"", "ZBID"}, {"HP", "BH"}}));
    EXPECT_EQ(
        sql::referencedColumns("select XM from YG where YWYBZ order by BH", sql::Dialect::Jet),
        (std::vector<sql::ColumnReference>{{"YG", "YWYBZ"}, {"YG", "XM"}, {"YG", "BH"}}));
    EXPECT_EQ(sql::referencedColumns("insert into Sys_UserQuick(VZSystem,UserNo) Values('J','S')",
                                     sql::Dialect::Jet),
              (std::vector<sql::ColumnReference>{{"Sys_UserQuick", "VZSystem"},
                                                 {"Sys_UserQuick", "UserNo"}}));
}

} // namespace

namespace {

TEST(WorkTables, AreCreatedInTheStorageConventions)
{
    sqltest::TestDb db;
    EXPECT_EQ(db.translate("create table W (ID counter primary key, MC char(20), BZ memo, "
                           "JE money, RQ datetime, ZT yesno, P image, N numeric(18,2))"),
              "CREATE TABLE W (ID integer PRIMARY KEY, MC char(20) COLLATE NOCASE, BZ text COLLATE "
              "NOCASE, JE float, RQ datetime, ZT yesno NOT NULL DEFAULT (0), P blob, N float)");
    db.run("create table W (ID counter primary key, MC char(20), BZ memo, JE money, ZT bit)");
    const auto table = db.translator().table("W");
    ASSERT_TRUE(table);
    EXPECT_TRUE(table->column("ID")->primaryKey);
    EXPECT_TRUE(table->column("JE")->storesReal);
    EXPECT_EQ(table->column("BZ")->type, sql::ValueType::Text);
    EXPECT_TRUE(table->column("ZT")->notNull);
    // The rowid key orders the rows, so a TOP without ORDER BY takes the lowest ID.
    db.run("insert into W (ID, MC) values (5, 'b')");
    db.run("insert into W (ID, MC) values (2, 'a')");
    EXPECT_EQ(db.value("select top 1 MC from W"), "a");
}

} // namespace
