// Values: reading and writing canonical dates, Jet's Format and Val, and the display text and
// CSV quoting that vzsql prints.
#include "sqltest.h"

#include "sql/datetime.h"
#include "sql/vbformat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

namespace {

std::string canonical(const std::string &text, sql::DateOrder order = sql::DateOrder::MonthFirst)
{
    auto result = sql::canonicalDateTime(text, order);
    return result ? *result : "invalid";
}

TEST(Dates, ReadTheFormsTheClientAndItsUsersWrite)
{
    EXPECT_EQ(canonical("2024-03-01"), "2024-03-01");
    EXPECT_EQ(canonical("2024-3-1"), "2024-03-01");
    EXPECT_EQ(canonical("2024/03/01"), "2024-03-01");
    EXPECT_EQ(canonical("2024.3.1"), "2024-03-01");
    EXPECT_EQ(canonical("20240301"), "2024-03-01");
    EXPECT_EQ(canonical("3/1/2024"), "2024-03-01");
    EXPECT_EQ(canonical("3/1/2024", sql::DateOrder::DayFirst), "2024-01-03");
    EXPECT_EQ(canonical("3/1/24"), "2024-03-01");
    EXPECT_EQ(canonical("3/1/95"), "1995-03-01");
    EXPECT_EQ(canonical(" 2024-03-01 00:00:00 "), "2024-03-01");
    EXPECT_EQ(canonical("2024-03-01 9:05:00"), "2024-03-01 09:05:00");
    EXPECT_EQ(canonical("2024-03-01T09:05"), "2024-03-01 09:05:00");
    EXPECT_EQ(canonical("2024-03-01 12:30:15.250"), "2024-03-01 12:30:15");
    EXPECT_EQ(canonical("2024-03-01 9:05:00 PM"), "2024-03-01 21:05:00");
    EXPECT_EQ(canonical("2024-03-01 12:00 am"), "2024-03-01");
    EXPECT_EQ(canonical("10:00:00"), "1899-12-30 10:00:00");
    EXPECT_EQ(canonical("2024-02-29"), "2024-02-29");
}

TEST(Dates, RefuseWhatIsNotADate)
{
    for (const char *text : {"", "2023-02-29", "1900-02-29", "2024-13-01", "2024-00-10",
                             "2024-04-31", "2024-03-01 24:00:00", "2024-03-01 10:60", "soon",
                             "2024-03", "2024-03-01x", "13 PM", "0099-01-01", "2024/03-01"})
        EXPECT_EQ(canonical(text), "invalid") << text;
    EXPECT_EQ(canonical("2000-02-29"), "2000-02-29");
}

TEST(Dates, SerialNumbersAreJetDates)
{
    EXPECT_EQ(*sql::dateTimeFromSerial(0), "1899-12-30");
    EXPECT_EQ(*sql::dateTimeFromSerial(45352), "2024-03-01");
    EXPECT_EQ(*sql::dateTimeFromSerial(45352.999988426), "2024-03-01 23:59:59");
    EXPECT_EQ(*sql::dateTimeFromSerial(45352.9999999), "2024-03-02");
    EXPECT_EQ(*sql::dateTimeFromSerial(45352.5), "2024-03-01 12:00:00");
    // Before day zero the fraction still counts forward within the day.
    EXPECT_EQ(*sql::dateTimeFromSerial(-1.25), "1899-12-29 06:00:00");
    EXPECT_FALSE(sql::dateTimeFromSerial(1e12));
    EXPECT_TRUE(sql::isCanonicalDateTime("2024-03-01 10:00:00"));
    EXPECT_FALSE(sql::isCanonicalDateTime("2024-03-01 00:00:00"));
    EXPECT_FALSE(sql::isCanonicalDateTime("2024-3-1"));
}

TEST(Format, RoundsHalfAwayFromZeroOnTheDecimalValue)
{
    EXPECT_EQ(sql::roundedDecimal(1.005, 2), "1.01");
    EXPECT_EQ(sql::roundedDecimal(2.675, 2), "2.68");
    EXPECT_EQ(sql::roundedDecimal(-0.125, 2), "-0.13");
    EXPECT_EQ(sql::roundedDecimal(-0.001, 2), "0.00");
    EXPECT_EQ(sql::roundedDecimal(9.995, 2), "10.00");
    EXPECT_EQ(sql::roundedDecimal(0.5, 0), "1");
    EXPECT_EQ(sql::roundedDecimal(123456789.125, 2), "123456789.13");
    EXPECT_EQ(sql::roundedDecimal(1e-7, 3), "0.000");
}

TEST(Format, NumberMasks)
{
    EXPECT_EQ(sql::formatNumber(1234.5, "0.00"), "1234.50");
    EXPECT_EQ(sql::formatNumber(1234.5, "#,0.00"), "1,234.50");
    EXPECT_EQ(sql::formatNumber(-1234567.891, "#,0.00"), "-1,234,567.89");
    EXPECT_EQ(sql::formatNumber(12, "#,0.##"), "12.");
    EXPECT_EQ(sql::formatNumber(12.3456, "#,0.###"), "12.346");
    EXPECT_EQ(sql::formatNumber(0.125, "0.0%"), "12.5%");
    EXPECT_EQ(sql::formatNumber(0.5, "#.##%"), "50.%");
    EXPECT_EQ(sql::formatNumber(0.25, "#.##"), ".25");
    EXPECT_EQ(sql::formatNumber(7, "0"), "7");
    EXPECT_EQ(sql::formatNumber(7, "000"), "007");
    EXPECT_EQ(sql::formatNumber(1234.5, "￥#,0.00"), "￥1,234.50");
    EXPECT_EQ(sql::formatNumber(-5, "0.00;(0.00)"), "(5.00)");
    EXPECT_EQ(sql::formatNumber(1234.5, "Standard"), "1,234.50");
    EXPECT_EQ(sql::formatNumber(0.5, "Percent"), "50.00%");
    EXPECT_EQ(sql::formatNumber(0.1, ""), "0.1");
    // Val("1e999") gives infinity, which has no digits to round.
    EXPECT_EQ(sql::formatNumber(HUGE_VAL, "#,0.00"), "Infinity");
    EXPECT_EQ(sql::formatNumber(-HUGE_VAL, "0"), "-Infinity");
    EXPECT_EQ(sql::formatNumber(std::nan(""), "0.00"), "NaN");
    EXPECT_EQ(sql::roundedDecimal(HUGE_VAL, 2), "Infinity");
}

TEST(Format, DateMasks)
{
    EXPECT_TRUE(sql::isDateMask("yyyy-mm-dd"));
    EXPECT_TRUE(sql::isDateMask("mm"));
    EXPECT_FALSE(sql::isDateMask("#,0.00"));
    EXPECT_EQ(*sql::formatDate("2024-03-01 09:05:07", "yyyy-mm-dd hh:nn:ss"),
              "2024-03-01 09:05:07");
    EXPECT_EQ(*sql::formatDate("2024-03-01", "yyyy年m月d日"), "2024年3月1日");
    EXPECT_EQ(*sql::formatDate("2024-03-01 09:05:07", "h:mm"), "9:05");
    EXPECT_EQ(*sql::formatDate("2024-03-01", "yy/mm"), "24/03");
    EXPECT_EQ(*sql::formatDate("2024-03-01", "Short Date"), "2024-03-01");
}

TEST(Val, ReadsTheLeadingNumber)
{
    EXPECT_EQ(sql::val(" 1 2"), 12);
    EXPECT_EQ(sql::val("12abc"), 12);
    EXPECT_EQ(sql::val("-3.5e2x"), -350);
    EXPECT_EQ(sql::val("1.5D1"), 15);
    EXPECT_EQ(sql::val("&HFF"), 255);
    EXPECT_EQ(sql::val("&O17"), 15);
    EXPECT_EQ(sql::val("abc"), 0);
    EXPECT_EQ(sql::val(""), 0);
    EXPECT_EQ(sql::val(".5"), 0.5);
    EXPECT_EQ(sql::val("1.2.3"), 1.2);
}

TEST(Csv, QuotesAfterRfc4180)
{
    EXPECT_EQ(sql::csvField("plain"), "plain");
    EXPECT_EQ(sql::csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(sql::csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(sql::csvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(sql::csvField("螺丝"), "螺丝");
    std::ostringstream out;
    sql::CsvWriter writer(out);
    writer.writeRow({"a", "b,c", ""});
    EXPECT_EQ(out.str(), "a,\"b,c\",\r\n");
}

// A record that is one empty text must not read back as a blank line, that is as no record;
// a NULL has no text at all.
TEST(Csv, AnEmptyTextAloneIsQuotedANullIsNot)
{
    const std::optional<std::string> null;
    const struct
    {
        std::vector<std::optional<std::string>> fields;
        const char *line;
    } cases[] = {
        {{""}, "\"\"\r\n"},    {{null}, "\r\n"}, {{"", ""}, ",\r\n"},      {{"", null}, ",\r\n"},
        {{null, ""}, ",\r\n"}, {{"a"}, "a\r\n"}, {{"a,b"}, "\"a,b\"\r\n"}, {{}, "\r\n"},
    };
    sql::CsvRecord record;
    for (const auto &c : cases) {
        for (const auto &field : c.fields) {
            if (field)
                record.addText(*field);
            else
                record.addNull();
        }
        EXPECT_EQ(record.end(), c.line);
    }
    // Through a database: '' and NULL in a one-column result, and in a wider one.
    sql::Database db(":memory:");
    db.exec("create table E (ID integer, MC text); "
            "insert into E values (1, ''), (2, NULL), (3, 'a')");
    for (const auto &[query, expected] : std::vector<std::pair<std::string, std::string>>{
             {"select MC from E order by ID", "\"\"\r\n\r\na\r\n"},
             {"select ID, MC from E order by ID", "1,\r\n2,\r\n3,a\r\n"},
         }) {
        std::ostringstream out;
        sql::CsvWriter writer(out);
        sql::Statement statement = db.prepare(query);
        writer.writeRows(statement.handle(), {});
        EXPECT_EQ(out.str(), expected) << query;
    }
}

TEST(Csv, NumbersHaveNoGroupingAndNoNoise)
{
    EXPECT_EQ(sql::formatFloat(17.0), "17");
    EXPECT_EQ(sql::formatFloat(-0.0), "0");
    EXPECT_EQ(sql::formatFloat(0.1 + 0.2), "0.3");
    EXPECT_EQ(sql::formatFloat(1234567.891), "1234567.891");
    EXPECT_EQ(sql::formatFloat(1e20), "100000000000000000000");
    EXPECT_EQ(sql::formatFloat(1.5e-7), "1.5e-07");
}

TEST(Csv, ValuesAreShownByTheirColumnType)
{
    sqltest::TestDb db;
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.handle(),
                                 "select '2024-03-01', '2024-03-01 10:00:00', -1, 2.0, NULL, "
                                 "x'01ff', 3",
                                 -1, &stmt, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    using sql::ValueType;
    EXPECT_EQ(sql::formatColumn(ValueType::DateTime, stmt, 0), "2024-03-01 00:00:00");
    EXPECT_EQ(sql::formatColumn(ValueType::Date, stmt, 0), "2024-03-01");
    EXPECT_EQ(sql::formatColumn(ValueType::DateTime, stmt, 1), "2024-03-01 10:00:00");
    EXPECT_EQ(sql::formatColumn(ValueType::Boolean, stmt, 2), "1");
    EXPECT_EQ(sql::formatColumn(ValueType::Float, stmt, 3), "2");
    EXPECT_EQ(sql::formatColumn(ValueType::Integer, stmt, 4), "");
    EXPECT_EQ(sql::formatColumn(ValueType::Blob, stmt, 5), "01FF");
    EXPECT_EQ(sql::formatColumn(ValueType::Float, stmt, 6), "3");
    sqlite3_finalize(stmt);
}

TEST(Collation, OrdersLikeJetChineseAndIgnoresCase)
{
    sqltest::TestDb db;
    db.exec("CREATE TABLE N (MC TEXT);"
            "INSERT INTO N VALUES ('张三'), ('李四'), ('b'), ('A'), ('a'), ('阿'), ('1号'), "
            "('Ｂ'), ('王五');");
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.handle(),
                                 "SELECT group_concat(MC, ' ') FROM (SELECT MC FROM N ORDER BY MC "
                                 "COLLATE pinyin, MC)",
                                 -1, &stmt, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    // Digits, then Latin letters without regard to case or width, then Chinese by pinyin.
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0))),
              "1号 A a b Ｂ 阿 李四 王五 张三");
    sqlite3_finalize(stmt);
    EXPECT_EQ(db.value("select count(*) from (select distinct MC from N)"), "9");
    EXPECT_EQ(db.value("select count(*) from (select upper(MC) as U from N group by upper(MC))"),
              "7");
}

} // namespace
