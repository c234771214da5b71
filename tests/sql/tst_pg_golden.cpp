// The golden files on PostgreSQL: the same client SQL, translated for PostgreSQL, must return the
// same rows as on SQLite. The set-up scripts are SQLite's; each statement is translated as Jet
// SQL for PostgreSQL, and an SQLite twin of the schema gives the translator its tables.
#include "golden.h"

#include "pg/connection.h"
#include "sql/csv.h"
#include "sql/pgextensions.h"
#include "sql/translator.h"
#include "support/pgcluster.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class PostgresEngine final : public sqltest::GoldenEngine
{
public:
    PostgresEngine()
        : m_pg(testsupport::PgCluster::shared().createDatabase())
        , m_translator(m_twin.handle(), sql::Engine::Postgres)
    {
        m_pg.exec(sql::postgresExtensionsScript());
    }

    bool isSqlite() const override { return false; }

    void exec(const std::string &script) override
    {
        for (const std::string &statement : sql::splitStatements(script, sql::Dialect::Jet)) {
            m_pg.exec(m_translator.translate(statement, sql::Dialect::Jet)->sql);
            m_twin.exec(statement);
        }
    }

    sqltest::Result run(const std::string &text, sql::Dialect dialect) override
    {
        sqltest::Result result;
        result.translation = m_translator.translate(text, dialect);
        const pg::Result rows = m_pg.exec(result.translation->sql);
        // A statement that changes the schema changes the twin's too.
        if (result.translation->kind == sql::StatementKind::CreateTable ||
            result.translation->kind == sql::StatementKind::DropTable)
            m_twin.exec(text);
        const auto &columns = result.translation->columns;
        for (int r = 0; r < rows.rows(); ++r) {
            std::string line;
            for (int c = 0; c < rows.columns(); ++c) {
                if (c)
                    line += ',';
                const sql::ValueType type =
                    size_t(c) < columns.size() ? columns[size_t(c)].type : sql::ValueType::Unknown;
                if (!rows.isNull(r, c))
                    line += sql::csvField(sql::formatPostgresValue(type, rows.text(r, c)));
            }
            result.rows.push_back(std::move(line));
        }
        return result;
    }

private:
    sqltest::TestDb m_twin; // holds the schema the translator types against
    pg::Connection m_pg;
    sql::Translator m_translator;
};

class PostgresGolden : public ::testing::TestWithParam<std::string>
{
};

TEST_P(PostgresGolden, File)
{
    PostgresEngine engine;
    sqltest::checkGoldenFile(GetParam(), engine);
}

INSTANTIATE_TEST_SUITE_P(Files, PostgresGolden, ::testing::ValuesIn(sqltest::goldenFiles()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             std::string name = info.param.substr(0, info.param.size() - 5);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
