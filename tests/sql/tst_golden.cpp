// The golden files on SQLite (golden.h describes them).
#include "golden.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class SqliteEngine final : public sqltest::GoldenEngine
{
public:
    bool isSqlite() const override { return true; }
    void exec(const std::string &script) override { m_db.exec(script); }
    sqltest::Result run(const std::string &text, sql::Dialect dialect) override
    {
        return m_db.run(text, dialect);
    }

private:
    sqltest::TestDb m_db;
};

class Golden : public ::testing::TestWithParam<std::string>
{
};

TEST_P(Golden, File)
{
    SqliteEngine engine;
    sqltest::checkGoldenFile(GetParam(), engine);
}

INSTANTIATE_TEST_SUITE_P(Files, Golden, ::testing::ValuesIn(sqltest::goldenFiles()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             std::string name = info.param.substr(0, info.param.size() - 5);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
