// The demo account set (scale 0, fixed day) built once per test process and copied into a
// database of the test PostgreSQL: the two sides the PostgreSQL tests compare.
#pragma once

#include "pg/connection.h"
#include "server/pgcopy.h"
#include "sql/database.h"

#include <QTemporaryDir>

#include <memory>
#include <string>

namespace dbtest {

struct PgDemoSet
{
    // Built on first use; throws when the set cannot be built or copied.
    static PgDemoSet &shared();

    QTemporaryDir dir;
    sql::Database db; // the SQLite set, with the translator's extensions
    std::string conninfo;
    std::unique_ptr<pg::Connection> pg;
    server::CopyReport report;

private:
    PgDemoSet();
};

} // namespace dbtest
