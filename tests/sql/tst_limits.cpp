// Texts of any length or depth through the whole translation: each gets a result or a clear
// "statement too complex" error, never a crash or a hang, in both dialects; and the deepest
// statements the bounds let through translate on a thread with a small stack.
#include "sqltest.h"

#include "sql/ast.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <functional>

namespace {

using sql::Dialect;
using sql::TreeLimits;

std::string repeated(const std::string &piece, int count)
{
    std::string text;
    text.reserve(piece.size() * size_t(count));
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

// piece(0), piece(1), ... joined by `separator`.
std::string joined(int count, const std::string &separator,
                   const std::function<std::string(int)> &piece)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i)
            text += separator;
        text += piece(i);
    }
    return text;
}

// The message of the error the translation ends with, or "translated".
std::string outcome(sqltest::TestDb &db, const std::string &text, Dialect dialect)
{
    try {
        db.translator().translateUncached(text, dialect);
    } catch (const sql::TranslateError &e) {
        return e.what();
    }
    return "translated";
}

class Limits : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.exec("create table T (A integer, B varchar(20), RQ date, ZT bit NOT NULL DEFAULT 0);"
                "insert into T values (1, 'x', '2024-03-01', 1), (2, 'y', '2024-03-02', 0);");
        std::string wide = "create table W (C0 integer";
        for (int i = 1; i < 100; ++i)
            wide += ", C" + std::to_string(i) + " varchar(20)";
        db.exec(wide + ")");
    }
    sqltest::TestDb db;
};

const std::string Deeper = "statement too complex: nested deeper than " +
                           std::to_string(TreeLimits::MaxDepth) + " levels at position ";
const std::string QueriesDeeper = "statement too complex: queries nested deeper than " +
                                  std::to_string(TreeLimits::MaxQueryDepth) + " levels";
const std::string MoreNodes =
    "statement too complex: more than " + std::to_string(TreeLimits::MaxNodes) + " nodes";

TEST_F(Limits, HostileTextsGetAClearError)
{
    const struct
    {
        const char *what;
        std::string text;
        std::string error; // the start of the message
    } cases[] = {
        {"a sum of 100,000 terms", "select 1" + repeated("+1", 99999), Deeper},
        {"a conjunction of 200,000 terms",
         "select count(*) from T where 1=1" + repeated(" and A=1", 200000), Deeper},
        {"100,000 nested parentheses",
         "select " + repeated("(", 100000) + "1" + repeated(")", 100000) + " from T", Deeper},
        {"100,000 NOTs", "select A from T where " + repeated("not ", 100000) + "A=1", Deeper},
        {"100,000 minus signs", "select " + repeated("- ", 100000) + "1 from T", Deeper},
        {"100,000 plus signs", "select " + repeated("+ ", 100000) + "1 from T", Deeper},
        {"a product of 100,000 factors", "select A" + repeated("*A", 100000) + " from T", Deeper},
        {"100,000 &", "select B" + repeated(" & B", 100000) + " from T", Deeper},
        {"100,000 OR", "select A from T where A=1" + repeated(" or A=2", 100000), Deeper},
        {"100,000 WHERE", "select A from T where A=1" + repeated(" where A=2", 100000), Deeper},
        {"100,000 COLLATE", "select B" + repeated(" collate nocase", 100000) + " from T", Deeper},
        {"50,000 nested calls",
         "select " + repeated("abs(", 50000) + "A" + repeated(")", 50000) + " from T", Deeper},
        {"50,000 nested IIF",
         "select " + repeated("iif(A=1, 1, ", 50000) + "0" + repeated(")", 50000) + " from T",
         Deeper},
        {"50,000 nested SWITCH",
         "select " + repeated("switch(A=1, 1, true, ", 50000) + "0" + repeated(")", 50000) +
             " from T",
         Deeper},
        {"50,000 nested CASE",
         "select " + repeated("case when A=1 then 1 else ", 50000) + "0" + repeated(" end", 50000) +
             " from T",
         Deeper},
        {"50,000 nested CAST",
         "select " + repeated("cast(", 50000) + "A" + repeated(" as integer)", 50000) + " from T",
         Deeper},
        {"50,000 nested BETWEEN",
         "select A from T where A between " + repeated("(A between ", 50000) + "1" +
             repeated(" and 2)", 50000) + " and 3",
         Deeper},
        {"50,000 nested IN lists",
         "select A from T where A in (" + repeated("(A in (", 50000) + "1" + repeated("))", 50000) +
             ")",
         Deeper},
        {"a chain of 50,000 joins",
         "select T0.A from T T0" + joined(50000, "",
                                          [](int i) {
                                              const std::string t = "T" + std::to_string(i + 1);
                                              return " join T " + t + " on " + t + ".A=T0.A";
                                          }),
         Deeper},
        {"50,000 nested scalar subqueries",
         "select " + repeated("(select ", 50000) + "1" + repeated(" from T)", 50000) + " from T",
         QueriesDeeper},
        {"50,000 nested derived tables",
         "select * from " + repeated("(select * from ", 50000) + "T" + repeated(") X", 50000),
         QueriesDeeper},
        {"50,000 nested IN subqueries",
         "select A from T where " + repeated("A in (select A from T where ", 50000) + "A=1" +
             repeated(")", 50000),
         QueriesDeeper},
        {"50,000 nested EXISTS",
         "select A from T where " + repeated("exists (select A from T where ", 50000) + "A=1" +
             repeated(")", 50000),
         QueriesDeeper},
        {"50,000 nested UNION members",
         "select A from T union " + repeated("(select A from T union ", 50000) + "select A from T" +
             repeated(")", 50000),
         QueriesDeeper},
        {"an IN list of 150,000 values",
         "select A from T where A in (" +
             joined(150000, ",", [](int i) { return std::to_string(i); }) + ")",
         MoreNodes},
        {"150,000 result columns",
         "select " + joined(150000, ",", [](int) { return std::string("A"); }) + " from T",
         MoreNodes},
        {"150,000 rows of VALUES",
         "insert into T (A, ZT) values " +
             joined(150000, ",", [](int) { return std::string("(1, 0)"); }),
         MoreNodes},
        {"a table of 150,000 columns",
         "create table X (" +
             joined(150000, ",", [](int i) { return "C" + std::to_string(i) + " int"; }) + ")",
         "statement too complex: more than " + std::to_string(TreeLimits::MaxTokens) + " tokens"},
        {"5,000 stars",
         "select " + joined(5000, ",", [](int) { return std::string("*"); }) + " from T",
         "statement too complex: more than " + std::to_string(TreeLimits::MaxResultColumns) +
             " result columns"},
        {"a star over 5,000 tables",
         "select * from " + joined(5000, ",", [](int i) { return "W W" + std::to_string(i); }),
         "statement too complex: more than " + std::to_string(TreeLimits::MaxResultColumns) +
             " result columns"},
        {"stars over wide tables in 400 members of a UNION",
         joined(400, " union all ", [](int) { return std::string("select * from W a, W b, W c"); }),
         "statement too complex: more than " + std::to_string(TreeLimits::MaxNodes) +
             " result columns in its queries"},
        {"aliases that double at every step",
         "select 1 as X0" +
             joined(40, "",
                    [](int i) {
                        const std::string x = "X" + std::to_string(i);
                        return ", " + x + "+" + x + " as X" + std::to_string(i + 1);
                    }) +
             " from T",
         MoreNodes + " with its select-list aliases written out"},
        {"a chain of 1,500 aliases",
         "select 1 as X0" +
             joined(1500, "",
                    [](int i) {
                        return ", X" + std::to_string(i) + "+1 as X" + std::to_string(i + 1);
                    }) +
             " from T",
         "statement too complex: nested deeper than " + std::to_string(TreeLimits::MaxWalkDepth) +
             " levels"},
    };
    for (const auto &c : cases) {
        for (Dialect dialect : {Dialect::Jet, Dialect::TSql}) {
            const std::string error = outcome(db, c.text, dialect);
            EXPECT_EQ(error.substr(0, c.error.size()), c.error)
                << c.what << (dialect == Dialect::Jet ? " (jet)" : " (tsql)");
        }
    }
}

// The bounds leave room: long chains, deep nesting and long lists below them translate and
// give the right values.
TEST_F(Limits, StatementsWithinTheBoundsGiveTheirResults)
{
    const int chain = TreeLimits::MaxDepth - 10;
    const struct
    {
        const char *what;
        std::string text;
        std::string value;
    } cases[] = {
        {"a long sum", "select 1" + repeated("+1", chain) + " from T where A=1",
         std::to_string(chain + 1)},
        {"a long conjunction", "select count(*) from T where 1=1" + repeated(" and A=1", chain),
         "1"},
        {"a long disjunction", "select count(*) from T where A=3" + repeated(" or A=2", chain),
         "1"},
        // SQLite itself parses about a hundred levels of parentheses and prefixes, fewer of calls.
        {"an even number of NOTs", "select count(*) from T where " + repeated("not ", 90) + "ZT",
         "1"},
        {"an odd number of minus signs", "select " + repeated("- ", 89) + "1 from T where A=1",
         "-1"},
        {"nested parentheses",
         "select " + repeated("(", 90) + "A" + repeated(")", 90) + " from T where A=2", "2"},
        {"nested calls",
         "select " + repeated("abs(", 25) + "-A" + repeated(")", 25) + " from T where A=2", "2"},
        {"nested subqueries",
         "select " + repeated("(select ", 10) + "max(A)" + repeated(" from T)", 10) +
             " from T where A=1",
         "2"},
        {"a long IN list",
         "select count(*) from T where A in (" +
             joined(90000, ",", [](int i) { return std::to_string(i + 2); }) + ")",
         "1"},
        {"the widest result",
         "select count(*) from (select " +
             joined(2000, ",", [](int i) { return "A as X" + std::to_string(i); }) + " from T) Q",
         "2"},
    };
    for (const auto &c : cases) {
        for (Dialect dialect : {Dialect::Jet, Dialect::TSql}) {
            try {
                EXPECT_EQ(db.value(c.text, dialect), c.value) << c.what;
            } catch (const sql::Error &e) {
                ADD_FAILURE() << c.what << ": " << e.what();
            }
        }
    }
}

struct StackRun
{
    sqltest::TestDb *db;
    std::string text;
    std::string result;
};

void *translateOnThread(void *argument)
{
    auto *run = static_cast<StackRun *>(argument);
    run->result = outcome(*run->db, run->text, Dialect::Jet);
    return nullptr;
}

// What the translation of `text` ends with on a thread whose stack has `bytes`.
std::string outcomeOnStack(sqltest::TestDb &db, const std::string &text, size_t bytes)
{
    StackRun run{&db, text, {}};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, bytes);
    pthread_t thread;
    if (pthread_create(&thread, &attributes, translateOnThread, &run) != 0)
        return "no thread";
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    return run.result;
}

// Each recursive construct as deep as the bounds allow: the passes stay far from the end of a
// 1 MB stack (the parser needs about 2.3 KB a level of nested calls in an optimised build; an
// unoptimised one needs about twice the stack, and gets twice the room here).
TEST_F(Limits, TheDeepestStatementsTranslateOnASmallStack)
{
#ifdef NDEBUG
    const size_t stack = 1024 * 1024;
#else
    const size_t stack = 2 * 1024 * 1024;
#endif
    const struct
    {
        const char *what;
        std::function<std::string(int)> text; // the construct n levels deep
    } shapes[] = {
        {"sum",
         [](int n) {
             return "select 1" + repeated("+1", n) + " from T";
         }},
        {"conjunction",
         [](int n) {
             return "select A from T where A=1" + repeated(" and A=1", n);
         }},
        {"parentheses",
         [](int n) {
             return "select " + repeated("(", n) + "1" + repeated(")", n) + " from T";
         }},
        {"parenthesised sums",
         [](int n) {
             return "select " + repeated("1+(", n / 2) + "1" + repeated(")", n / 2) + " from T";
         }},
        {"NOT",
         [](int n) {
             return "select A from T where " + repeated("not ", n) + "ZT";
         }},
        {"minus",
         [](int n) {
             return "select " + repeated("- ", n) + "1 from T";
         }},
        {"calls",
         [](int n) {
             return "select " + repeated("abs(", n) + "A" + repeated(")", n) + " from T";
         }},
        {"IIF",
         [](int n) {
             return "select " + repeated("iif(A=1, 1, ", n) + "0" + repeated(")", n) + " from T";
         }},
        {"CASE",
         [](int n) {
             return "select " + repeated("case when A=1 then 1 else ", n) + "0" +
                    repeated(" end", n) + " from T";
         }},
        {"dates",
         [](int n) {
             return "select RQ" + repeated("+1", n) + " from T";
         }},
        {"joins",
         [](int n) {
             return "select T0.A from T T0" + joined(n, "", [](int i) {
                        const std::string t = "T" + std::to_string(i + 1);
                        return " join T " + t + " on " + t + ".A=T0.A";
                    });
         }},
        {"subqueries",
         [](int n) {
             return "select " + repeated("(select abs(abs(", n) + "1" + repeated(")) from T)", n) +
                    " from T";
         }},
        {"derived tables",
         [](int n) {
             return "select * from " + repeated("(select * from ", n) + "T" + repeated(") X", n);
         }},
        {"EXISTS",
         [](int n) {
             return "select A from T where " + repeated("exists (select A from T where ", n) +
                    "A=1" + repeated(")", n);
         }},
        {"aliases of nested calls",
         [](int n) {
             return "select " + repeated("abs(", 100) + "A" + repeated(")", 100) + " as X0" +
                    joined(n, "",
                           [](int i) {
                               return ", " + repeated("abs(", 100) + "X" + std::to_string(i) +
                                      repeated(")", 100) + " as X" + std::to_string(i + 1);
                           }) +
                    " from T";
         }},
    };
    for (const auto &shape : shapes) {
        // The deepest that translates.
        int low = 0;
        int high = TreeLimits::MaxDepth;
        while (low < high) {
            const int middle = (low + high + 1) / 2;
            if (outcome(db, shape.text(middle), Dialect::Jet) == "translated")
                low = middle;
            else
                high = middle - 1;
        }
        ASSERT_GT(low, 0) << shape.what;
        EXPECT_EQ(outcomeOnStack(db, shape.text(low), stack), "translated") << shape.what;
    }
}

} // namespace
