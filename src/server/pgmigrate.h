// Brings a PostgreSQL account set to the schema version of this program. A set moved into
// PostgreSQL arrives at the version of the SQLite set it was copied from; each later migration
// needs its PostgreSQL form (db/migrations/postgresql, named as the SQLite one), which runs in a
// transaction of its own together with the new version number. Several servers may start at
// once: the version row is locked while a migration runs, so each runs once.
#pragma once

#include "server/accountdb.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace pg {
class Connection;
}

namespace server {

struct PostgresMigration
{
    int version = 0;
    QString name;
    QByteArray sql;
};

// The PostgreSQL forms compiled into this program, by version.
const std::vector<PostgresMigration> &postgresMigrations();

// Applies the migrations after the set's version up to latest. Throws std::runtime_error,
// with the set left at the last version that was applied whole, when a migration has no
// PostgreSQL form or fails, and when the set is newer than this program.
void upgradePostgresAccount(pg::Connection &connection, int latest,
                            const std::vector<PostgresMigration> &available,
                            const MigrationNote &note = {});

} // namespace server
