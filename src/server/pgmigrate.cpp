#include "server/pgmigrate.h"

#include "pg/connection.h"
#include "server/pgcopy.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <stdexcept>

namespace server {

const std::vector<PostgresMigration> &postgresMigrations()
{
    static const std::vector<PostgresMigration> list = [] {
        std::vector<PostgresMigration> result;
        const QDir dir(QStringLiteral(":/accountdb/postgresql"));
        const QRegularExpression pattern(QStringLiteral("^(\\d+)_.*\\.sql$"));
        for (const QString &file : dir.entryList(QDir::Files, QDir::Name)) {
            const QRegularExpressionMatch match = pattern.match(file);
            QFile f(dir.filePath(file));
            if (match.hasMatch() && f.open(QIODevice::ReadOnly))
                result.push_back({match.captured(1).toInt(), file, f.readAll()});
        }
        std::sort(result.begin(), result.end(),
                  [](const PostgresMigration &a, const PostgresMigration &b) {
                      return a.version < b.version;
                  });
        return result;
    }();
    return list;
}

namespace {

int lockedVersion(pg::Connection &connection)
{
    const pg::Result result =
        connection.exec(std::string("SELECT version FROM ") + SchemaVersionTable + " FOR UPDATE");
    if (result.rows() != 1)
        throw std::runtime_error("the schema version table has " + std::to_string(result.rows()) +
                                 " rows instead of one");
    return std::stoi(std::string(result.text(0, 0)));
}

} // namespace

void upgradePostgresAccount(pg::Connection &connection, int latest,
                            const std::vector<PostgresMigration> &available,
                            const MigrationNote &note)
{
    for (;;) {
        connection.exec("BEGIN");
        try {
            const int version = lockedVersion(connection);
            if (version > latest)
                throw std::runtime_error("its schema has version " + std::to_string(version) +
                                         ", newer than this server's " + std::to_string(latest) +
                                         ": use a newer server");
            if (version == latest) {
                connection.exec("COMMIT");
                return;
            }
            const auto next =
                std::find_if(available.begin(), available.end(),
                             [&](const PostgresMigration &m) { return m.version == version + 1; });
            if (next == available.end())
                throw std::runtime_error(
                    "schema migration " + std::to_string(version + 1) +
                    " has no PostgreSQL form: this server cannot bring the set from version " +
                    std::to_string(version) + " to " + std::to_string(latest));
            try {
                connection.exec(next->sql.toStdString());
            } catch (const pg::Error &error) {
                throw std::runtime_error("schema migration " + next->name.toStdString() +
                                         " failed: " + error.what());
            }
            connection.exec(std::string("UPDATE ") + SchemaVersionTable +
                            " SET version = " + std::to_string(next->version));
            connection.exec("COMMIT");
            if (note)
                note(QStringLiteral("schema migration %1 applied").arg(next->name));
        } catch (...) {
            if (connection.inTransaction())
                connection.exec("ROLLBACK");
            throw;
        }
    }
}

} // namespace server
