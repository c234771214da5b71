// GetPY in SQL: one statement recomputes every stored mnemonic, row by row the same as the
// routine the client uses, in both dialects; a Null name keeps a Null mnemonic.
#include "sqltest.h"

#include "text/pinyin.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

const std::optional<std::string> Names[] = {
    "A4复印纸",
    "办公用品经营部",
    "m6 螺丝",
    "！全角",
    "亍",
    "A😀B",
    "們",
    "€AB",
    "",
    std::nullopt,
    std::string(5000, 'x') + "中",
};

std::optional<std::string> stored(sqlite3_stmt *statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return std::nullopt;
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return std::string(text, size_t(sqlite3_column_bytes(statement, column)));
}

class Mnemonic : public ::testing::TestWithParam<sql::Dialect>
{
};

TEST_P(Mnemonic, OneUpdateGivesEachRowTheClientsMnemonic)
{
    sqltest::TestDb db;
    db.exec("CREATE TABLE HP (ID INTEGER PRIMARY KEY, PM VARCHAR(40) COLLATE NOCASE, ZJM "
            "VARCHAR(50) COLLATE NOCASE)");
    {
        sqlite3_stmt *stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db.handle(),
                                     "INSERT INTO HP (ID, PM, ZJM) VALUES (?, ?, 'old')", -1, &stmt,
                                     nullptr),
                  SQLITE_OK);
        int id = 0;
        for (const auto &name : Names) {
            sqlite3_bind_int(stmt, 1, ++id);
            if (name)
                sqlite3_bind_text(stmt, 2, name->data(), int(name->size()), SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(stmt, 2);
            ASSERT_EQ(sqlite3_step(stmt), SQLITE_DONE);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
    }

    db.run("update HP set ZJM=GetPY(PM)", GetParam());

    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(db.handle(), "SELECT PM, ZJM FROM HP ORDER BY ID", -1, &stmt, nullptr),
        SQLITE_OK);
    size_t rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const std::optional<std::string> name = stored(stmt, 0);
        const std::optional<std::string> mnemonic = stored(stmt, 1);
        ASSERT_LT(rows, std::size(Names));
        if (name)
            EXPECT_EQ(mnemonic, text::MnemonicOf(*name)) << *name;
        else
            EXPECT_EQ(mnemonic, std::nullopt);
        ++rows;
    }
    sqlite3_finalize(stmt);
    EXPECT_EQ(rows, std::size(Names));
}

INSTANTIATE_TEST_SUITE_P(Dialects, Mnemonic,
                         ::testing::Values(sql::Dialect::Jet, sql::Dialect::TSql),
                         [](const ::testing::TestParamInfo<sql::Dialect> &info) {
                             return info.param == sql::Dialect::Jet ? "Jet" : "TSql";
                         });

} // namespace
