// Every SQL text the client sends, joined as the client joins it, parses, translates and runs
// against a schema holding the tables and columns it names, in each dialect it is sent in.
// The result metadata SQLite reports agrees with the translator's typed columns.
#include "sqltest.h"

#include <gtest/gtest.h>

namespace {

class Corpus : public ::testing::TestWithParam<sqltest::CorpusFile>
{
};

TEST_P(Corpus, EveryTextRunsWithTypedColumns)
{
    const sqltest::CorpusFile corpus = GetParam();
    sqltest::TestDb db;
    db.loadCorpus();
    const std::vector<std::string> statements = sql::splitStatements(
        sqltest::readFile(sqltest::dataPath(std::string("corpus/") + corpus.file)), corpus.dialect);
    ASSERT_GT(statements.size(), 20u);
    int failures = 0;
    for (const std::string &text : statements) {
        try {
            const sqltest::Result result = db.run(text, corpus.dialect);
            if (result.translation->kind != sql::StatementKind::Select)
                continue;
            // SQLite's own column names are the typed names the translation promises.
            sqlite3_stmt *stmt = nullptr;
            ASSERT_EQ(sqlite3_prepare_v2(db.handle(), result.translation->sql.c_str(), -1, &stmt,
                                         nullptr),
                      SQLITE_OK)
                << text;
            const int count = sqlite3_column_count(stmt);
            EXPECT_EQ(size_t(count), result.translation->columns.size()) << text;
            for (int c = 0; c < count && size_t(c) < result.translation->columns.size(); ++c) {
                EXPECT_EQ(sqlite3_column_name(stmt, c), result.translation->columns[size_t(c)].name)
                    << text;
                EXPECT_NE(result.translation->columns[size_t(c)].type, sql::ValueType::Unknown)
                    << result.translation->columns[size_t(c)].name << " in " << text;
            }
            sqlite3_finalize(stmt);
        } catch (const sql::Error &e) {
            ++failures;
            ADD_FAILURE() << e.what() << "\n  in: " << text;
        }
    }
    EXPECT_EQ(failures, 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, Corpus, ::testing::ValuesIn(sqltest::CorpusFiles));

} // namespace
