// The PostgreSQL functions and collation against their SQLite twins: every case runs on an
// SQLite connection with the extensions registered and on a PostgreSQL database where the
// installation script ran, and both engines must give the same answer, Null or error message.
#include "sql/database.h"
#include "sql/pgextensions.h"
#include "sql/translator.h"

#include "pg/connection.h"
#include "pg/quote.h"
#include "support/pgcluster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// What a query gave: a value, Null, or an error with its message.
struct Answer
{
    bool failed = false;
    std::optional<std::string> value;
    std::string error;

    bool operator==(const Answer &other) const
    {
        return failed == other.failed && (failed ? error == other.error : value == other.value);
    }
};

std::ostream &operator<<(std::ostream &out, const Answer &answer)
{
    if (answer.failed)
        return out << "error (" << answer.error << ")";
    return out << (answer.value ? "'" + *answer.value + "'" : std::string("Null"));
}

std::string exactText(double number)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", number);
    return buffer;
}

// How the two engines' results are compared.
enum class Kind {
    Text,     // as text
    Number,   // as doubles: SQLite writes 12.0, PostgreSQL 12
    DateTime, // SQLite's canonical text against the timestamp written by vz_str
    Bytes,    // as hexadecimal digits
};

class Engines : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_sqlite = std::make_unique<sql::Database>(":memory:");
        sql::registerExtensions(s_sqlite->handle());
        s_postgres =
            std::make_unique<pg::Connection>(testsupport::PgCluster::shared().createDatabase());
        // Installing twice is harmless: the second run replaces what the first made.
        s_postgres->exec(sql::postgresExtensionsScript());
        s_postgres->exec(sql::postgresExtensionsScript());
        // Every query in a parallel worker: the functions are marked parallel safe, and a
        // worker refuses what is not (a subtransaction, for one).
        s_postgres->exec("select set_config(name, 'on', false) from pg_settings "
                         "where name in ('force_parallel_mode', 'debug_parallel_query')");
    }

    static void TearDownTestSuite()
    {
        s_postgres.reset();
        s_sqlite.reset();
    }

    static Answer sqlite(const std::string &expression, Kind kind = Kind::Text)
    {
        // hex() would turn Null into ''.
        const std::string query =
            "select " + (kind == Kind::Bytes
                             ? "iif((" + expression + ") is null, null, hex(" + expression + "))"
                             : expression);
        Answer answer;
        try {
            sql::Statement statement = s_sqlite->prepare(query);
            if (!statement.step())
                throw std::runtime_error("no row from " + query);
            // A real's text has only 15 digits.
            if (kind == Kind::Number && statement.columnType(0) == SQLITE_FLOAT)
                answer.value = exactText(statement.columnDouble(0));
            else if (!statement.isNull(0))
                answer.value = statement.columnText(0);
        } catch (const sql::Error &e) {
            answer.failed = true;
            answer.error = e.what();
        }
        return normalized(answer, kind);
    }

    // `from` names rows to read the arguments from, so that the functions run in the worker
    // and not in the planner, which computes immutable functions of constants itself.
    static Answer postgres(const std::string &expression, Kind kind = Kind::Text,
                           const std::string &from = {})
    {
        std::string query = "select ";
        if (kind == Kind::DateTime)
            query += "vz_str(" + expression + ")";
        else if (kind == Kind::Bytes)
            query += "upper(encode(" + expression + ", 'hex'))";
        else
            query += expression;
        query += from;
        Answer answer;
        try {
            const pg::Result result = s_postgres->exec(query);
            if (!result.isNull(0, 0))
                answer.value = std::string(result.text(0, 0));
        } catch (const pg::Error &e) {
            answer.failed = true;
            answer.error = e.what();
        }
        return normalized(answer, kind);
    }

    static Answer normalized(Answer answer, Kind kind)
    {
        if (kind == Kind::Number && answer.value) {
            char *end = nullptr;
            const double number = std::strtod(answer.value->c_str(), &end);
            if (end && *end == '\0')
                answer.value = exactText(number);
        }
        return answer;
    }

    // The same call on both engines; `pgExpression` where PostgreSQL needs other argument
    // types than SQLite.
    static void expectSame(const std::string &expression, Kind kind = Kind::Text,
                           const std::string &pgExpression = {}, const std::string &pgFrom = {})
    {
        const std::string pgText = pgExpression.empty() ? expression : pgExpression;
        EXPECT_EQ(sqlite(expression, kind), postgres(pgText, kind, pgFrom))
            << "SQLite: " << expression << "\nPostgreSQL: " << pgText << pgFrom;
    }

    static std::unique_ptr<sql::Database> s_sqlite;
    static std::unique_ptr<pg::Connection> s_postgres;
};

std::unique_ptr<sql::Database> Engines::s_sqlite;
std::unique_ptr<pg::Connection> Engines::s_postgres;

// Numbers as SQLite reads their literals, and as PostgreSQL reads the same digits as a double.
const char *const Numbers[] = {
    "0",
    "1",
    "-1",
    "0.5",
    "-0.5",
    "1.005",
    "2.675",
    "1.5",
    "2.5",
    "-2.5",
    "99.995",
    "0.004",
    "0.006",
    "-0.004",
    "12.5",
    "1234567.891",
    "-1234567.891",
    "1e15",
    "1e20",
    "123456789012345678",
    "-0.0001",
    "0.00001234",
    "3.14159265358979",
    "999999.995",
    "0.125",
    "-7",
    "1e-7",
    "45000.75",
};

const char *const NumberMasks[] = {
    "0",
    "0.00",
    "#,0.00",
    "#,0.##",
    "0.0%",
    "#.##%",
    "Fixed",
    "Standard",
    "Percent",
    "General Number",
    "",
    "#",
    "0.##",
    "00000",
    "#,#",
    "#,##0",
    "0.00;(0.00)",
    "0;-0;zero",
    "\"合计：\"#,0.00元",
    "\\$0.00",
    "0.0\\%",
    "abc",
    "#.#",
    "0.000000",
    ".00",
    "0,000.0",
    "0.00 \"kg\"",
    "#,0.00;\"欠\"#,0.00",
    // Separators out of place, lone quotes and escapes, empty sections.
    "#,0.0,",
    "0.0.0",
    ",0",
    "0,",
    "%0",
    "\\",
    "\"",
    "0.00\"%\"",
    ";0",
    "0;",
    "0;;",
    "E0.0e+00",
};

TEST_F(Engines, FormatsNumbersWithEveryMask)
{
    for (const std::string number : Numbers) {
        // Whole numbers are integers on both engines, the others doubles.
        const std::string pgNumber = number.find_first_of(".e") == std::string::npos
                                         ? number
                                         : pg::quoteLiteral(number) + "::float8";
        for (const char *mask : NumberMasks) {
            expectSame("vz_format(" + number + ", " + pg::quoteLiteral(mask) + ")", Kind::Text,
                       "vz_format(" + pgNumber + ", " + pg::quoteLiteral(mask) + ")");
        }
    }
}

TEST_F(Engines, FormatsTextThatReadsAsANumberAndPassesOtherText)
{
    const char *const texts[] = {"12.5", " 12.5",  "-3",   "1e3",   ".5",    "12.5 ",  "abc",
                                 "",     "O'Neil", "中文", "1,000", "1e999", "-1e999", "1e-999"};
    for (const char *text : texts) {
        for (const char *mask : {"0.00", "#,0", "0%", "General Number", "abc", "yyyy"})
            expectSame("vz_format(" + pg::quoteLiteral(text) + ", " + pg::quoteLiteral(mask) + ")");
    }
    expectSame("vz_format(null, '0.00')");
    expectSame("vz_format(1.5, null)", Kind::Text, "vz_format(1.5::float8, null)");
}

const char *const DateValues[] = {
    "2024-02-29",          "2024-12-31 23:59:59", "2023-01-01 00:00:01", "1999-12-31",
    "2000-03-01 12:00:00", "0100-01-01",          "9999-12-31 01:02:03", "2024-06-30 09:05:07",
};

const char *const DateMasks[] = {
    "yyyy-mm-dd",
    "yyyy年m月d日",
    "yy/m/d",
    "hh:nn:ss",
    "h:n:s",
    "hh:mm",
    "h:mm:ss",
    "mm/dd/yyyy",
    "yyyymmdd",
    "Short Date",
    "Long Time",
    "General Date",
    "\"Q\"yyyy",
    "yyyy\"年\"",
    "d",
    "yyyy-mm-dd hh:nn",
    "m",
    "\"unclosed",
    // Letters and signs that mean something to to_char(), and runs Jet reads its own way.
    "hh:nn AM/PM",
    "mmm",
    "dddd",
    "yyy",
    "yyyyy",
    "MM/DD/YYYY",
    "Hh:Nn",
    "yyyy\\mm",
    "d\"\"d",
    "TZ yyyy",
    "Q yyyy",
    "W d",
    "IYYY",
    "\"FMDD\"d",
    "\"\\\"yyyy",
    "J",
    "hh\"h\"mm",
    "yyyy%",
    "第d天",
    "ss.000",
    "yyyy-mm-ddThh:nn:ss",
};

TEST_F(Engines, FormatsDatesOfEveryType)
{
    for (const char *value : DateValues) {
        for (const char *mask : DateMasks) {
            const std::string sqlite =
                "vz_format(" + pg::quoteLiteral(value) + ", " + pg::quoteLiteral(mask) + ")";
            expectSame(sqlite);
            expectSame(sqlite, Kind::Text,
                       "vz_format(" + pg::quoteLiteral(value) + "::timestamp, " +
                           pg::quoteLiteral(mask) + ")");
        }
    }
    // A date column against SQLite's date text.
    expectSame("vz_format('2024-02-29', 'yyyy年mm月dd日')", Kind::Text,
               "vz_format(date '2024-02-29', 'yyyy年mm月dd日')");
    // A number mask on a date gives the date's text.
    expectSame("vz_format('2024-02-29 10:00:00', '0.00')", Kind::Text,
               "vz_format(timestamp '2024-02-29 10:00:00', '0.00')");
    // Text that is no date passes unchanged.
    expectSame("vz_format('2024-02-30', 'yyyy-mm-dd')");
    expectSame("vz_format('O''Neil', 'yyyy')");
    // Whole numbers stay whole where a date mask cannot format them.
    for (const char *number : {"123456789012345678", "45000", "-2000000"}) {
        for (const char *mask : {"yyyy-mm-dd", "General Number", "#,0.00"})
            expectSame("vz_format(" + std::string(number) + ", " + pg::quoteLiteral(mask) + ")");
    }
    // Date serials.
    for (const char *serial : {"45000", "45000.25", "-1.5", "0", "60.999999", "1e7"}) {
        expectSame("vz_format(" + std::string(serial) + ", 'yyyy-mm-dd hh:nn:ss')", Kind::Text,
                   "vz_format(" + pg::quoteLiteral(serial) + "::float8, 'yyyy-mm-dd hh:nn:ss')");
    }
}

TEST_F(Engines, ReadsDatesAndRefusesInvalidOnes)
{
    const char *const texts[] = {
        "2024-03-01",
        "2024/3/1",
        "2024.3.1",
        "20240301",
        "3/1/2024",
        "12/31/99",
        "1/1/29",
        "2024-02-29 13:05",
        "2024-03-01T09:05:00",
        "2024-03-01 9:05:00 PM",
        "2024-03-01 12:00 am",
        "  2024-03-01  ",
        "9:05",
        "23:59:59.75",
        "2024-12-31 23:59:59",
        "2024-01-31",
        // Invalid: both engines refuse.
        "2024-02-30",
        "2023-02-29",
        "1900-02-29",
        "2024-13-01",
        "2024-04-31",
        "0099-01-01",
        "2024-03-01 24:00",
        "2024-03-01 13:00 PM",
        "2024-03-01 9:5",
        "2024-3-1-",
        "abc",
        "O'Neil",
        "２０２４-03-01",
        "2024-03-01 ",
        "2024-03-01T",
        "123:00",
        " ",
        "31/12/2024",
        "2024-03-011",
        "1/2/20245",
    };
    for (const char *text : texts)
        expectSame("vz_datetime(" + pg::quoteLiteral(text) + ")", Kind::DateTime);
    expectSame("vz_datetime('')", Kind::DateTime);
    expectSame("vz_datetime(null)", Kind::DateTime, "vz_datetime(null::text)");
    for (const char *serial : {"0", "1", "-1", "45000.5", "-1.25", "0.99999999", "2958465",
                               "2958466", "-657434", "-657435", "3000001", "36526.000011574",
                               // Halves of a second, exactly: away from zero, not to even.
                               "5.787037037037037e-06", "2.8935185185185186e-05",
                               "-2.8935185185185186e-05", "0.999994212962963"}) {
        expectSame("vz_datetime(" + std::string(serial) + ")", Kind::DateTime,
                   "vz_datetime(" + pg::quoteLiteral(serial) + "::float8)");
    }
    expectSame("vz_datetime('2024-02-29')", Kind::DateTime, "vz_datetime(date '2024-02-29')");
}

TEST_F(Engines, ReadsNumbersAsVal)
{
    const char *const texts[] = {
        "12",
        " 1 2 3",
        "-1.5e3x",
        "1.5D2",
        "&HFF",
        "&hff",
        "&O17",
        "&H",
        "&Hzz",
        "&H-10",
        "&H0x1F",
        "&HFFFFFFFFFFFFFFFFF",
        "abc",
        "",
        ".5",
        "-.5",
        "+3",
        "1e",
        "1e+",
        "12abc",
        "1e999",
        "-1e999",
        "1e-999",
        "O'Neil",
        "中文12",
        "12中文",
        "\t7\n",
        "1.2.3",
        "--1",
        "-0",
        "+0.0e5",
        "1e-320",
        "-2.4e-324",
        "2.5e-324",
        "1.7976931348623157e308",
        "1.8e308",
        "1e99999999999",
        "1e-99999999999",
        "0.000000000000000000001e-300",
        "1d-3",
    };
    for (const char *text : texts)
        expectSame("vz_val(" + pg::quoteLiteral(text) + ")", Kind::Number);
    // Beyond what a double holds, however it is written.
    expectSame("vz_val('1" + std::string(400, '0') + "')", Kind::Number);
    expectSame("vz_val('0." + std::string(400, '0') + "1e100')", Kind::Number);
    expectSame("vz_val(null)", Kind::Number, "vz_val(null::text)");
    expectSame("vz_val(2.5)", Kind::Number, "vz_val(2.5::float8)");
    expectSame("vz_val(-7)", Kind::Number);
}

TEST_F(Engines, FindsTextWithInStr)
{
    struct Case
    {
        const char *start;
        const char *text;
        const char *part;
    };
    const Case cases[] = {
        {"1", "abcabc", "c"},    {"4", "abcabc", "c"}, {"7", "abcabc", "c"},
        {"7", "abcabc", ""},     {"8", "abcabc", ""},  {"1", "", ""},
        {"2", "中文中文", "中"}, {"1", "O'Neil", "'"}, {"3", "ABC", "c"},
        {"0", "abc", "a"},       {"-1", "abc", "a"},   {"99999999999", "a", ""},
    };
    for (const Case &c : cases) {
        expectSame("vz_instr(" + std::string(c.start) + ", " + pg::quoteLiteral(c.text) + ", " +
                   pg::quoteLiteral(c.part) + ")");
    }
    expectSame("vz_instr(null, 'a', 'a')");
    expectSame("vz_instr(1, null, 'a')");
    expectSame("vz_instr(1, 'a', null)");
}

TEST_F(Engines, TakesTheRightOfText)
{
    for (const char *count : {"0", "1", "2", "5", "99999999999", "-1"}) {
        for (const char *text : {"中文字", "O'Neil", ""})
            expectSame("vz_right(" + pg::quoteLiteral(text) + ", " + count + ")");
    }
    expectSame("vz_right(null, 1)", Kind::Text, "vz_right(null::text, 1)");
    expectSame("vz_right('abc', null)");
}

TEST_F(Engines, JoinsWithAmpersand)
{
    expectSame("vz_amp('a', null, 'b')");
    expectSame("vz_amp(null, null)", Kind::Text, "vz_amp(null::text, null)");
    expectSame("vz_amp('O''Neil', '', '中文')");
    // Numbers as Jet writes them: PostgreSQL's translation passes them through vz_str.
    for (const char *number :
         {"17", "17.0", "0.1", "-2.5", "1e20", "1e21", "123456789012345678", "-123456789012345678",
          "1.0/3", "-0.0", "4611686018427388928.0", "-9.3e18", "9.2e18"}) {
        expectSame("vz_amp('n=', " + std::string(number) + ")", Kind::Text,
                   "vz_amp('n=', vz_str(" + std::string(number) + "))");
    }
    expectSame("vz_amp('b=', 1, 0)", Kind::Text, "vz_amp('b=', vz_str(true), vz_str(false))");
    expectSame("vz_format(1, '0.00')", Kind::Text, "vz_format(true, '0.00')");
    expectSame("vz_format(0, 'yyyy-mm-dd')", Kind::Text, "vz_format(false, 'yyyy-mm-dd')");
    expectSame("vz_amp('d=', '2024-02-29')", Kind::Text, "vz_amp('d=', vz_str(date '2024-02-29'))");
    expectSame("vz_amp('d=', '2024-02-29 10:00:00')", Kind::Text,
               "vz_amp('d=', vz_str(timestamp '2024-02-29 10:00:00'))");
}

TEST_F(Engines, DecodesHexadecimal)
{
    for (const char *text : {"4142", "e4b8ad", "", "414", "zz", "41 42", "中文", "0g"})
        expectSame("vz_unhex(" + pg::quoteLiteral(text) + ")", Kind::Bytes);
    expectSame("vz_unhex(null)", Kind::Bytes, "vz_unhex(null::text)");
}

TEST_F(Engines, MakesMnemonics)
{
    const char *const names[] = {
        "A4复印纸",
        "办公用品经营部",
        "m6 螺丝",
        "！全角",
        "亍",
        "A😀B",
        "們",
        "",
        "O'Neil",
        "张三",
        "长城宽带",
        "重庆火锅",
        "齐鲁制药",
        "犇羴鱻",
        "ｍ６",
        "a\u200bb",
        // GBK writes € as the one byte 80, which takes the byte after it along; the zero-width
        // characters it drops move the five characters looked at, and only the first 40
        // bytes are converted.
        "€AB",
        "€中国",
        "A€中国人民",
        "€€中",
        "\uF8F5中",
        "\uE000中国",
        "€\uE000中",
        "€😀中",
        "€\u200b中",
        "\u200b\u200b张三李四王五",
        "\U000E0041张三",
        "\U0001D173中国人民银行",
        "€\U0001D173中",
        "张\u00ad三李四王五六",
    };
    for (const char *name : names)
        expectSame("vz_getpy(" + pg::quoteLiteral(name) + ")");
    expectSame("vz_getpy(null)", Kind::Text, "vz_getpy(null::text)");
    expectSame("vz_getpy('" + std::string(5000, 'x') + "中')");
    std::string zeroWidth;
    for (int i = 0; i < 13; ++i) {
        zeroWidth += "\u200b";
        // The cut at 40 bytes falls inside 张 when 13 of them (39 bytes) come first.
        expectSame("vz_getpy('" + zeroWidth + "张三')");
        expectSame("vz_getpy('" + zeroWidth + "a张三')");
    }
}

// Every character of the basic plane alone, behind four Chinese characters, and between € and
// a Chinese character, where its GBK bytes are read in other pairs: the tables are the
// client's, with nothing left out.
TEST_F(Engines, MakesTheSameLetterForEveryCharacter)
{
    const std::string sqliteChars =
        "with recursive c(n) as (select 1 union all select n + 1 from c where n < 65535) "
        "select group_concat(vz_getpy(char(n)) || '.' || vz_getpy('张三李四' || char(n)) || '.' || "
        "vz_getpy('€' || char(n) || '中'), ',') "
        "from c where n not between 55296 and 57343";
    const std::string pgChars =
        "select string_agg(vz_getpy(chr(n)) || '.' || vz_getpy('张三李四' || chr(n)) || '.' || "
        "vz_getpy('€' || chr(n) || '中'), ',' "
        "order by n) from generate_series(1, 65535) n where n not between 55296 and 57343";
    sql::Statement statement = s_sqlite->prepare(sqliteChars);
    ASSERT_TRUE(statement.step());
    const std::string fromSqlite = statement.columnText(0);
    const std::string fromPostgres(s_postgres->exec(pgChars).text(0, 0));
    ASSERT_EQ(fromSqlite.size(), fromPostgres.size());
    // The first difference, not 65,000 letters.
    size_t i = 0;
    while (i < fromSqlite.size() && fromSqlite[i] == fromPostgres[i])
        ++i;
    EXPECT_EQ(i, fromSqlite.size()) << "first difference at the entry "
                                    << std::count(fromSqlite.begin(), fromSqlite.begin() + i, ',');
}

// The same answers from stored values, computed in a parallel worker.
TEST_F(Engines, AnswersAlikeForStoredValues)
{
    const char *const texts[] = {
        "12.5",     "-1.5e3x",    "1e999",         "1e-999", "&HFF",   "2024-02-29",
        "3/1/2024", "2024-02-30", "9:05 PM",       "45000",  "O'Neil", "张三李四王五",
        "€中国",    "",           "1e99999999999", "0.125",  "abc",    "A4复印纸",
    };
    s_postgres->exec("create table stored (id integer, t text)");
    for (size_t i = 0; i < std::size(texts); ++i) {
        s_postgres->exec("insert into stored values (" + std::to_string(i) + ", " +
                         pg::quoteLiteral(texts[i]) + ")");
    }
    struct Call
    {
        const char *function; // of @
        Kind kind;
    };
    const Call calls[] = {
        {"vz_val(@)", Kind::Number},
        {"vz_datetime(@)", Kind::DateTime},
        {"vz_format(@, '#,0.00')", Kind::Text},
        {"vz_format(@, 'yyyy年m月d日 hh:nn')", Kind::Text},
        {"vz_format(vz_val(@), '0.00%')", Kind::Text},
        {"vz_getpy(@)", Kind::Text},
        {"vz_instr(2, @, '2')", Kind::Text},
        {"vz_right(@, 3)", Kind::Text},
        {"vz_amp(@, '|', @)", Kind::Text},
    };
    for (const Call &call : calls) {
        for (size_t i = 0; i < std::size(texts); ++i) {
            std::string sqliteCall = call.function, pgCall = call.function;
            for (size_t at; (at = sqliteCall.find('@')) != std::string::npos;)
                sqliteCall.replace(at, 1, pg::quoteLiteral(texts[i]));
            std::replace(pgCall.begin(), pgCall.end(), '@', 't');
            expectSame(sqliteCall, call.kind, pgCall,
                       " from stored where id = " + std::to_string(i));
        }
    }
}

TEST_F(Engines, WorksOnColumnsOfTheTextCollation)
{
    s_sqlite->exec("create table c (name text collate pinyin)");
    s_postgres->exec("create table c (name text collate vz_text)");
    for (const char *name : {"abc", "ABC", "a\\%c", "中文", "ｂ12"}) {
        const std::string insert = "insert into c values (" + pg::quoteLiteral(name) + ")";
        s_sqlite->exec(insert);
        s_postgres->exec(insert);
    }
    for (const char *call : {"vz_instr(1, name, 'c')", "vz_getpy(name)", "vz_format(name, '0.00')",
                             "vz_format(name, 'yyyy')", "vz_format(vz_val(name), '0.00')",
                             "vz_right(name, 2)", "vz_amp(name, 'x')"}) {
        expectSame("(select group_concat(" + std::string(call) +
                       ", '|') from "
                       "(select name from c order by name collate binary))",
                   Kind::Text,
                   "(select string_agg(" + std::string(call) +
                       "::text, '|' order by name "
                       "collate \"C\") from c)");
    }
}

// Case-insensitive equality comes with the collation; LIKE is written with ILIKE on the "C"
// collation and no escape character, which matches exactly what SQLite's LIKE matches.
TEST_F(Engines, ComparesAndMatchesWithoutCase)
{
    s_sqlite->exec("create table m (id integer, name text collate pinyin)");
    s_postgres->exec("create table m (id integer, name text collate vz_text)");
    const char *const names[] = {"abc",  "ABC",  "Abc",    "ＡＢＣ", "ａｂｃ", "abd", "a\\bc",
                                 "a%bc", "张三", "O'Neil", "o'neil", "Äbc",    "äbc", "ab_"};
    int id = 0;
    for (const char *name : names) {
        const std::string insert =
            "insert into m values (" + std::to_string(++id) + ", " + pg::quoteLiteral(name) + ")";
        s_sqlite->exec(insert);
        s_postgres->exec(insert);
    }
    for (const char *literal : {"abc", "ABC", "ａｂｃ", "o'neil", "张三", "abd", "ÄBC"}) {
        expectSame("(select group_concat(id) from (select id from m where name = " +
                       pg::quoteLiteral(literal) + " order by id))",
                   Kind::Text,
                   "(select string_agg(id::text, ',' order by id) from m where name = " +
                       pg::quoteLiteral(literal) + ")");
    }
    for (const char *pattern : {"ab%", "AB%", "a_c", "%c", "a\\%", "a\\b%", "ａ%", "张%", "o'%",
                                "%\\%%", "ab\\_", "ä%"}) {
        expectSame("(select group_concat(id) from (select id from m where name like " +
                       pg::quoteLiteral(pattern) + " order by id))",
                   Kind::Text,
                   "(select string_agg(id::text, ',' order by id) from m where name "
                   "collate \"C\" ilike " +
                       pg::quoteLiteral(pattern) + " escape '')");
    }
    expectSame("(select group_concat(n) from (select count(*) n from m group by name order by n))",
               Kind::Text,
               "(select string_agg(n::text, ',' order by n) from "
               "(select count(*) n from m group by name) g)");
}

TEST_F(Engines, SortsChineseAndLatinNamesAlike)
{
    s_sqlite->exec("create table s (name text collate pinyin)");
    s_postgres->exec("create table s (name text collate vz_text)");
    const char *const names[] = {
        "张三", "李四",  "王五",   "赵六",   "阿里", "啊",     "安徽",  "北京",   "bob",  "Bob",
        "BOB",  "alice", "Alice",  "Zoe",    "zoe",  "O'Neil", "中国",  "重庆",   "长沙", "长城",
        "银行", "行业",  "1号",    "10号",   "2号",  "Ａ公司", "a公司", "",       "亍",   "犇",
        "ｚ",   "-dash", "_under", "张三丰", "张",   "Émile",  "emile", "Zürich", "办公", "辦公",
    };
    for (const char *name : names) {
        const std::string insert = "insert into s values (" + pg::quoteLiteral(name) + ")";
        s_sqlite->exec(insert);
        s_postgres->exec(insert);
    }
    expectSame("(select group_concat(name, '|') from (select name from s "
               "order by name, name collate binary))",
               Kind::Text,
               "(select string_agg(name, '|' order by name, name collate \"C\") from s)");
}

// Two thousand names drawn from Chinese characters (common, rare, traditional), Latin letters
// of both cases and widths, accents, digits and punctuation.
TEST_F(Engines, SortsRandomNamesAlike)
{
    const char *const pieces[] = {
        "张", "章", "长", "常", "行", "银", "阿", "啊", "中", "重", "亍", "犇", "們", "辦", "公",
        "a",  "A",  "b",  "B",  "z",  "Z",  "ａ", "Ａ", "é",  "É",  "e",  "ü",  "0",  "1",  "9",
        "１", "-",  "_",  " ",  "'",  "(",  "（", "、", "·",  "ß",  "ss", "ǎ",  "ō",  "😀",  "。",
    };
    s_sqlite->exec("create table r (name text collate pinyin)");
    s_postgres->exec("create table r (name text collate vz_text)");
    std::mt19937 random(27);
    std::string insert;
    for (int i = 0; i < 2000; ++i) {
        std::string name;
        for (size_t length = 1 + random() % 6; length > 0; --length)
            name += pieces[random() % std::size(pieces)];
        insert +=
            (insert.empty() ? "insert into r values (" : ", (") + pg::quoteLiteral(name) + ")";
    }
    s_sqlite->exec(insert);
    s_postgres->exec(insert);
    expectSame("(select group_concat(name, '|') from (select name from r "
               "order by name, name collate binary))",
               Kind::Text,
               "(select string_agg(name, '|' order by name, name collate \"C\") from r)");
    expectSame("(select count(*) from (select distinct name from r))", Kind::Text,
               "(select count(*) from (select distinct name from r) d)");
}

// Code points are what the mnemonic reads, and ascii() gives them in UTF-8 only.
TEST(PostgresExtensionsScript, RefusesADatabaseNotInUtf8)
{
    testsupport::PgCluster &cluster = testsupport::PgCluster::shared();
    pg::Connection(cluster.connectionString())
        .exec("create database vz_latin1 encoding 'LATIN1' locale 'C' template template0");
    pg::Connection latin1(cluster.connectionString("vz_latin1"));
    try {
        latin1.exec(sql::postgresExtensionsScript());
        ADD_FAILURE() << "the script installed in a LATIN1 database";
    } catch (const pg::Error &e) {
        EXPECT_EQ(e.sqlState(), "22021");
    }
    EXPECT_EQ(latin1.exec("select count(*) from pg_proc where proname like 'vz\\_%'").text(0, 0),
              "0");
}

} // namespace
