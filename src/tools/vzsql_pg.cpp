// Local mode on a PostgreSQL account set: the translator reads the schema from PostgreSQL and
// writes for it; values are shown as the same values from an account-set file are.
#include "tools/vzsql_local.h"

#include "pg/connection.h"
#include "pg/quote.h"
#include "server/pgschema.h"

#include <QTimeZone>

namespace vzsql {

namespace {

class PostgresBackend final : public Backend
{
public:
    explicit PostgresBackend(const std::string &conninfo)
        : m_connection(conninfo)
    {
        // A report's plan costs more to compile than it saves.
        m_connection.exec("SET jit = off");
        // Jet's Now() and Date() are the local time of the machine the SQL runs for, as
        // SQLite's 'localtime' is; PostgreSQL's follow the session's time zone.
        const QByteArray zone = QTimeZone::systemTimeZoneId();
        if (!zone.isEmpty())
            m_connection.exec("SET TimeZone = " + pg::quoteLiteral(zone.toStdString()));
        auto schema = std::make_unique<server::PostgresSchema>(m_connection);
        m_schema = schema.get();
        m_translator = std::make_unique<sql::Translator>(std::move(schema), sql::Engine::Postgres);
    }

    sql::Translator &translator() override { return *m_translator; }

    void run(const sql::Translation &translation, sql::CsvWriter &csv) override
    {
        const pg::Result result = m_connection.exec(translation.sql);
        if (translation.kind == sql::StatementKind::CreateTable ||
            translation.kind == sql::StatementKind::DropTable)
            m_schema->invalidate();
        if (translation.kind != sql::StatementKind::Select)
            return;
        csv.writeHeader(translation.columns);
        std::vector<std::optional<std::string>> values(size_t(result.columns()));
        for (int r = 0; r < result.rows(); ++r) {
            for (int c = 0; c < result.columns(); ++c) {
                const sql::ValueType type = size_t(c) < translation.columns.size()
                                                ? translation.columns[size_t(c)].type
                                                : sql::ValueType::Unknown;
                values[size_t(c)] =
                    result.isNull(r, c)
                        ? std::nullopt
                        : std::optional(sql::formatPostgresValue(type, result.text(r, c)));
            }
            csv.writeValues(values);
        }
    }

private:
    pg::Connection m_connection;
    server::PostgresSchema *m_schema = nullptr; // owned by the translator
    std::unique_ptr<sql::Translator> m_translator;
};

} // namespace

std::unique_ptr<Backend> openPostgres(const std::string &conninfo)
{
    return std::make_unique<PostgresBackend>(conninfo);
}

} // namespace vzsql
