// The front end: tokens, the grammar of both dialects, error positions, scripts, and the
// parse -> print -> parse round trip over every text of the corpus.
#include "sqltest.h"

#include "sql/emitter.h"
#include "sql/parser.h"

#include <gtest/gtest.h>

namespace {

using sql::Dialect;

std::string reprint(const std::string &text, Dialect dialect = Dialect::Jet)
{
    return sql::parseStatement(text, dialect)->toSql();
}

std::string errorOf(const std::string &text, Dialect dialect = Dialect::Jet)
{
    try {
        sql::parseStatement(text, dialect);
    } catch (const sql::TranslateError &e) {
        return e.what();
    }
    return "no error";
}

TEST(Tokenizer, ReadsLiteralsNamesAndOperators)
{
    const auto tokens = sql::tokenize("select N'a''b', [两 字], `x`, #2024-3-1#, 1.5e3, .5 "
                                      "from T where a<>b and c>=d -- comment\n/* block */ || e",
                                      Dialect::Jet);
    std::vector<std::string> texts;
    for (const sql::Token &token : tokens) {
        if (!token.is(sql::TokenKind::End))
            texts.emplace_back(token.text);
    }
    const std::vector<std::string> expected = {
        "select", "N'a''b'", ",",   "[两 字]", ",",    "`x`", ",",     "#2024-3-1#",
        ",",      "1.5e3",   ",",   ".5",      "from", "T",   "where", "a",
        "<>",     "b",       "and", "c",       ">=",   "d",   "||",    "e"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(tokens[1].value, "a'b");
    EXPECT_EQ(tokens[3].value, "两 字");
    EXPECT_EQ(tokens[7].value, "2024-3-1");
}

TEST(Tokenizer, DoubleQuotesAreTextInJetAndNamesInTsql)
{
    EXPECT_EQ(sql::tokenize("\"a\"", Dialect::Jet)[0].kind, sql::TokenKind::String);
    EXPECT_EQ(sql::tokenize("\"a\"", Dialect::TSql)[0].kind, sql::TokenKind::QuotedIdentifier);
}

TEST(Tokenizer, AStringMayTouchTheNextKeyword)
{
    // "update AppUser set uPassword = '" + new + "'" + "where uCode = '" ...
    EXPECT_EQ(reprint("update AppUser set uPassword = 'abc'where uCode = 'SYS'"),
              "UPDATE AppUser SET uPassword = 'abc' WHERE uCode = 'SYS'");
}

TEST(Parser, PrecedenceFollowsJet)
{
    // AND binds before OR: the stopped-goods filter does not cover the OR branches.
    EXPECT_EQ(reprint("select a from t where h.zt = false and bh like 'x%' or pm like 'x%'"),
              "SELECT a FROM t WHERE h.zt = False AND bh LIKE 'x%' OR pm LIKE 'x%'");
    EXPECT_EQ(reprint("select a from t where not x = 1 and y between 1 + 1 and 3"),
              "SELECT a FROM t WHERE NOT x = 1 AND y BETWEEN 1 + 1 AND 3");
    EXPECT_EQ(reprint("select (a + b) * c, a + b * c, a - (b - c), -(-a), a & b + c from t"),
              "SELECT (a + b) * c, a + b * c, a - (b - c), - -a, a & b + c FROM t");
    EXPECT_EQ(reprint("select RefSL+-1*5 from t"), "SELECT RefSL + -1 * 5 FROM t");
}

TEST(Parser, AcceptsTheJoinForms)
{
    EXPECT_EQ(reprint("select * from (((A as Z left outer join B K on Z.a = K.a) left join C on "
                      "Z.c = C.c) left join D S on Z.d = S.d) inner join E on Z.e = E.e"),
              "SELECT * FROM (((A AS Z LEFT JOIN B AS K ON Z.a = K.a) LEFT JOIN C ON Z.c = C.c) "
              "LEFT JOIN D AS S ON Z.d = S.d) INNER JOIN E ON Z.e = E.e");
    EXPECT_EQ(reprint("select 1 from ((select a from t) x left join u on x.a = u.a)"),
              "SELECT 1 FROM (SELECT a FROM t) AS x LEFT JOIN u ON x.a = u.a");
    EXPECT_EQ(reprint("select 1 from ((select a from t) union (select a from u)) k"),
              "SELECT 1 FROM (SELECT a FROM t UNION SELECT a FROM u) AS k");
    EXPECT_EQ(reprint("select 1 from A right join B on A.x = B.x cross join C"),
              "SELECT 1 FROM (A RIGHT JOIN B ON A.x = B.x) CROSS JOIN C");
}

TEST(Parser, ReadsTopDistinctAndCompoundOrder)
{
    EXPECT_EQ(reprint("select distinct top 5 a from t order by a desc"),
              "SELECT DISTINCT TOP 5 a FROM t ORDER BY a DESC");
    EXPECT_EQ(reprint("select top (3) a from t", Dialect::TSql), "SELECT TOP 3 a FROM t");
    EXPECT_EQ(reprint("(select a from t order by a) union all select b from u order by 1"),
              "SELECT * FROM (SELECT a FROM t ORDER BY a) UNION ALL SELECT b FROM u ORDER BY 1");
}

TEST(Parser, ReadsTheOtherStatements)
{
    EXPECT_EQ(reprint("INSERT into MaxBillNo(TableName,MaxNo) VALUES ('X',2), ('Y', 3)"),
              "INSERT INTO MaxBillNo (TableName, MaxNo) VALUES ('X', 2), ('Y', 3)");
    EXPECT_EQ(reprint("insert into T select * from U where 1=2"),
              "INSERT INTO T SELECT * FROM U WHERE 1 = 2");
    EXPECT_EQ(reprint("delete * from T where a = 1"), "DELETE FROM T WHERE a = 1");
    EXPECT_EQ(reprint("delete T.* from T"), "DELETE FROM T");
    EXPECT_EQ(reprint("delete T where a = 1", Dialect::TSql), "DELETE FROM T WHERE a = 1");
    EXPECT_EQ(reprint("create table R(keyid char(20) ,Qty1 float not null default 0, "
                      "d decimal(18,2), primary key (keyid))"),
              "CREATE TABLE R (keyid char(20), Qty1 float NOT NULL DEFAULT (0), d decimal(18,2), "
              "PRIMARY KEY (keyid))");
    EXPECT_EQ(reprint("drop table if exists R"), "DROP TABLE IF EXISTS R");
    EXPECT_EQ(reprint("update T set a = #2024-3-1#, b = True"),
              "UPDATE T SET a = #2024-03-01#, b = True");
}

TEST(Parser, TakesUserDataAsCaptions)
{
    // "a.s" + id + " as " + warehouse name + ",": names that are not identifiers.
    EXPECT_EQ(reprint("select a.s1 as 1号仓库, a.s2 as 二 号库, a.s3 as 总仓 from t"),
              "SELECT a.s1 AS [1号仓库], a.s2 AS [二 号库], a.s3 AS 总仓 FROM t");
    EXPECT_EQ(reprint("select a as [x]]y] from t"), "SELECT a AS `x]y` FROM t");
}

TEST(Parser, ToleratesTheWaysOptionalConditionsAreAppended)
{
    EXPECT_EQ(reprint("select * from S where 1=1 and  order by BH"),
              "SELECT * FROM S WHERE 1 = 1 ORDER BY BH");
    EXPECT_EQ(reprint("select * from S where 1=1 and  and BH like 'x%'"),
              "SELECT * FROM S WHERE 1 = 1 AND BH LIKE 'x%'");
    // A range appended with its own WHERE to a query that has one.
    EXPECT_EQ(reprint("select * from CGTHZB Z where 1=1 where Z.RQ between #2024-03-01# and "
                      "#2024-03-31# order by Z.DJBH"),
              "SELECT * FROM CGTHZB AS Z WHERE 1 = 1 AND Z.RQ BETWEEN #2024-03-01# AND "
              "#2024-03-31# ORDER BY Z.DJBH");
    // A dangling OR is still an error.
    EXPECT_NE(errorOf("select * from S where 1=1 or  order by BH"), "no error");
}

TEST(Parser, ErrorsNameThePositionAndTheToken)
{
    EXPECT_EQ(errorOf("select a, from t"),
              "syntax error at position 11 near \"from\", expected an expression");
    // Positions count characters, not bytes.
    EXPECT_EQ(errorOf("select '螺丝' from t wher x"),
              "syntax error at position 25 near \"x\", expected the end of the statement");
    EXPECT_EQ(errorOf("select a from t where"),
              "syntax error at position 22: unexpected end of text, expected an expression");
    EXPECT_EQ(errorOf("select a from t where b = 'x"), "unterminated string at position 27");
    EXPECT_EQ(errorOf("select #2024-02-30# from t"), "invalid date #2024-02-30# at position 8");
    EXPECT_EQ(errorOf("select ? from t"), "unexpected character \"?\" at position 8");
    EXPECT_EQ(errorOf("grant all to x"),
              "syntax error at position 1 near \"grant\", expected SELECT, INSERT, UPDATE, DELETE, "
              "CREATE TABLE or DROP TABLE");
    try {
        sql::parseStatement("select a from", Dialect::Jet);
        FAIL();
    } catch (const sql::TranslateError &e) {
        EXPECT_EQ(e.position(), 14);
    }
}

// The bounds on the tree name the bound and where the text crossed it; the whole translation
// of texts beyond them is in tst_limits.cpp.
TEST(Parser, TooComplexStatementsAreErrorsNotCrashes)
{
    EXPECT_EQ(errorOf("select " + std::string(100000, '(') + "1" + std::string(100000, ')')),
              "statement too complex: nested deeper than 256 levels at position 264");
    std::string sum = "select 1";
    for (int i = 0; i < 100000; ++i)
        sum += "+1";
    EXPECT_EQ(errorOf(sum), "statement too complex: nested deeper than 256 levels at position 521");
    std::string queries = "select 1 from t where a in ";
    for (int i = 0; i < 5000; ++i)
        queries += "(select a from t where a in ";
    EXPECT_EQ(errorOf(queries, Dialect::TSql).substr(0, 64),
              "statement too complex: queries nested deeper than 40 levels at p");
    // Each statement of a script has the bounds to itself.
    std::string script;
    for (int i = 0; i < 20000; ++i)
        script +=
            "insert into T values (" + std::to_string(i) + ", 'x', 1, 2, 3, 4, 5, 6, 7, 8);\n";
    EXPECT_EQ(sql::splitStatements(script, Dialect::Jet).size(), 20000u);
}

TEST(Parser, SplitsScripts)
{
    const auto statements =
        sql::splitStatements("insert into T values (1, 'a;b');\n\n-- comment\nselect * from T\n"
                             "insert into T values (2, 'c') ; ;select 1 from T",
                             Dialect::Jet);
    ASSERT_EQ(statements.size(), 4u);
    EXPECT_EQ(statements[0], "insert into T values (1, 'a;b')");
    EXPECT_EQ(statements[1], "select * from T");
    EXPECT_EQ(statements[3], "select 1 from T");
    EXPECT_THROW(sql::splitStatements("select 1 from T garbage garbage", Dialect::Jet),
                 sql::TranslateError);
}

// Names go into SQLite text quoted so that no name can end the quotes early: a name that
// needs no quotes keeps its text, any other is quoted with its quotes doubled.
TEST(Emitter, QuotesNamesForSqlite)
{
    const struct
    {
        const char *name;
        const char *identifier; // quoteSqliteIdentifier
        const char *sqlite;     // quoteSqliteName
    } cases[] = {
        {"HP", "\"HP\"", "HP"},
        {"order", "\"order\"", "\"order\""},
        {"货品", "\"货品\"", "\"货品\""},
        {"a b", "\"a b\"", "\"a b\""},
        {"a\"b", "\"a\"\"b\"", "\"a\"\"b\""},
        {"\"", "\"\"\"\"", "\"\"\"\""},
        {"", "\"\"", "\"\""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(sql::quoteSqliteIdentifier(c.name), c.identifier) << c.name;
        EXPECT_EQ(sql::quoteSqliteName(c.name), c.sqlite) << c.name;
    }
}

// Printing in the source dialect and parsing again gives the same tree, for every text the
// client sends.
TEST(Parser, CorpusRoundTrips)
{
    int count = 0;
    for (const auto &[file, dialect] :
         {std::pair{"both.sql", Dialect::Jet}, std::pair{"both.sql", Dialect::TSql},
          std::pair{"jet.sql", Dialect::Jet}, std::pair{"tsql.sql", Dialect::TSql}}) {
        const auto statements = sql::splitStatements(
            sqltest::readFile(sqltest::dataPath(std::string("corpus/") + file)), dialect);
        for (const std::string &text : statements) {
            const std::string once = reprint(text, dialect);
            EXPECT_EQ(reprint(once, dialect), once) << text;
            ++count;
        }
    }
    EXPECT_GT(count, 400);
}

} // namespace
