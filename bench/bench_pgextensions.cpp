// The PostgreSQL twins of the SQLite functions over 100,000 goods rows, each beside a baseline
// from the same run: the function against a built-in of the same shape on PostgreSQL (what the
// call itself costs), and against the SQLite function on the same rows.
#include "benchutil.h"

#include "pg/connection.h"
#include "pg/quote.h"
#include "sql/database.h"
#include "sql/pgextensions.h"
#include "sql/translator.h"
#include "support/pgcluster.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Rows = 100000;

const char *const Brands[] = {"三一", "长城", "重庆", "齐鲁", "JX-", "O'Neil ", "Acme "};
const char *const Goods[] = {"六角螺母", "不锈钢合页", "PVC管",    "电源线",
                             "开关面板", "办公用品",   "复印纸A4", "铜接头"};

// Goods, amounts and date-times as literal rows both engines read alike.
std::vector<std::string> rowLiterals()
{
    std::vector<std::string> rows;
    rows.reserve(Rows);
    for (int i = 0; i < Rows; ++i) {
        const std::string name =
            std::string(Brands[i % 7]) + Goods[(i / 7) % 8] + std::to_string(i % 1000);
        char rest[96];
        std::snprintf(rest, sizeof rest, ", %d.%02d, '2024-%02d-%02d %02d:%02d:00')",
                      (i * 37) % 100000, i % 100, i % 12 + 1, i % 28 + 1, i % 24, i % 60);
        rows.push_back("(" + std::to_string(i) + ", " + pg::quoteLiteral(name) + rest);
    }
    return rows;
}

void fill(const std::vector<std::string> &rows,
          const std::function<void(const std::string &)> &exec)
{
    for (size_t start = 0; start < rows.size(); start += 1000) {
        std::string insert = "insert into goods values ";
        for (size_t i = start; i < std::min(rows.size(), start + 1000); ++i)
            insert += (i == start ? "" : ", ") + rows[i];
        exec(insert);
    }
}

double perRowUs(double ms)
{
    return ms * 1000.0 / Rows;
}

} // namespace

int main()
{
    const std::vector<std::string> rows = rowLiterals();

    pg::Connection postgres(testsupport::PgCluster::shared().createDatabase());
    postgres.exec(sql::postgresExtensionsScript());
    postgres.exec("create table goods (id integer primary key, pm varchar(100) collate vz_text, "
                  "je double precision, rq timestamp(0) without time zone)");
    fill(rows, [&](const std::string &statement) { postgres.exec(statement); });
    postgres.exec("analyze goods");

    sql::Database sqlite(":memory:");
    sql::registerExtensions(sqlite.handle());
    sqlite.exec("create table goods (id integer primary key, pm varchar(100) collate pinyin, "
                "je float, rq datetime)");
    sqlite.exec("begin");
    fill(rows, [&](const std::string &statement) { sqlite.exec(statement); });
    sqlite.exec("commit");

    auto onPostgres = [&](const std::string &query) {
        return bench::medianMs([&] { postgres.exec(query); }, 3);
    };
    auto onSqlite = [&](const std::string &query) {
        return bench::medianMs([&] { sqlite.exec(query); }, 3);
    };

    struct Case
    {
        const char *name;
        const char *postgres;
        const char *builtin; // the same shape with a built-in
        const char *sqlite;
    };
    const Case cases[] = {
        {"vz_getpy(pm)", "select count(distinct vz_getpy(pm)) from goods",
         "select count(distinct left(pm, 5)) from goods",
         "select count(distinct vz_getpy(pm)) from goods"},
        {"vz_format(je, '#,0.00')", "select count(distinct vz_format(je, '#,0.00')) from goods",
         "select count(distinct to_char(je, 'FM999,990.00')) from goods",
         "select count(distinct vz_format(je, '#,0.00')) from goods"},
        {"vz_format(rq, 'yyyy年m月d日 hh:nn')",
         "select count(distinct vz_format(rq, 'yyyy年m月d日 hh:nn')) from goods",
         "select count(distinct to_char(rq, 'YYYY年FMMM月FMDD日 HH24:MI')) from goods",
         "select count(distinct vz_format(rq, 'yyyy年m月d日 hh:nn')) from goods"},
        {"vz_datetime(text)", "select count(distinct vz_datetime(rq::text)) from goods",
         "select count(distinct rq::text::timestamp) from goods",
         "select count(distinct vz_datetime(rq)) from goods"},
        {"vz_val(text)", "select sum(vz_val(je::text)) from goods",
         "select sum(je::text::float8) from goods",
         "select sum(vz_val(cast(je as text))) from goods"},
        {"vz_instr(1, pm, '管')", "select sum(vz_instr(1, pm, '管')) from goods",
         "select sum(strpos(pm collate \"C\", '管')) from goods",
         "select sum(vz_instr(1, pm, '管')) from goods"},
        {"order by pm (the text collation)",
         "select count(*) from (select pm from goods order by pm offset 0) s",
         "select count(*) from (select pm from goods order by pm collate \"C\" offset 0) s",
         "select count(*) from (select pm from goods order by pm limit -1) s"},
    };
    std::printf("%d goods rows on PostgreSQL and on SQLite\n", Rows);
    for (const Case &c : cases) {
        const double postgresMs = onPostgres(c.postgres);
        const double builtinMs = onPostgres(c.builtin);
        const double sqliteMs = onSqlite(c.sqlite);
        std::printf("\n%s\n", c.name);
        // A report over a million rows spends at most five seconds in one of them.
        bench::reportValue("  PostgreSQL per row", perRowUs(postgresMs), "us", 5.0);
        bench::reportValue("  SQLite per row", perRowUs(sqliteMs), "us");
        bench::reportRatio("  PostgreSQL / its built-in", postgresMs, builtinMs, 10);
        // PL/pgSQL against C: within an order of magnitude.
        bench::reportRatio("  PostgreSQL / SQLite", postgresMs, sqliteMs, 10);
    }
    return 0;
}
