// Later schema migrations of PostgreSQL account sets: applied in order, each whole or not at
// all, refused where a form is missing or the set is newer, run once when servers start at once.
#include "pg/connection.h"
#include "server/accountdb.h"
#include "server/pgcopy.h"
#include "server/pgmigrate.h"
#include "support/pgcluster.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using server::PostgresMigration;

// A database at the given schema version, with a table the migrations below change.
std::string databaseAt(int version)
{
    const std::string conninfo = testsupport::PgCluster::shared().createDatabase();
    pg::Connection db(conninfo);
    db.exec(std::string("CREATE TABLE ") + server::SchemaVersionTable +
            " (version integer NOT NULL); INSERT INTO " + server::SchemaVersionTable + " VALUES (" +
            std::to_string(version) + "); CREATE TABLE t (id bigint)");
    return conninfo;
}

int versionOf(pg::Connection &db)
{
    return std::stoi(std::string(
        db.exec(std::string("SELECT version FROM ") + server::SchemaVersionTable).text(0, 0)));
}

std::string columnsOf(pg::Connection &db)
{
    const pg::Result result = db.exec("SELECT string_agg(attname, ',' ORDER BY attnum) FROM "
                                      "pg_attribute WHERE attrelid = 't'::regclass AND attnum > 0 "
                                      "AND NOT attisdropped");
    return std::string(result.text(0, 0));
}

const std::vector<PostgresMigration> Forms = {
    {12, QStringLiteral("0012_a.sql"), "ALTER TABLE t ADD COLUMN a text"},
    {13, QStringLiteral("0013_b.sql"), "ALTER TABLE t ADD COLUMN b text; INSERT INTO t VALUES (1)"},
    {14, QStringLiteral("0014_c.sql"), "ALTER TABLE t ADD COLUMN c text"},
};

TEST(PgMigrate, EveryMigrationAfterTheFirstPostgresVersionHasItsForm)
{
    // Sets reach PostgreSQL at version 11 at the earliest: every later migration needs a form.
    for (int version = 12; version <= server::accountSchemaVersion(); ++version) {
        const auto &forms = server::postgresMigrations();
        EXPECT_TRUE(std::any_of(forms.begin(), forms.end(),
                                [&](const PostgresMigration &m) { return m.version == version; }))
            << "migration " << version << " has no file in db/migrations/postgresql";
    }
}

TEST(PgMigrate, AppliesTheLaterFormsInOrderAndSaysSo)
{
    pg::Connection db(databaseAt(12));
    QStringList notes;
    server::upgradePostgresAccount(db, 14, Forms, [&](const QString &note) { notes << note; });
    EXPECT_EQ(versionOf(db), 14);
    EXPECT_EQ(columnsOf(db), "id,b,c"); // 0012 was in already
    EXPECT_EQ(notes.size(), 2);
    server::upgradePostgresAccount(db, 14, Forms); // up to date: nothing happens
    EXPECT_EQ(columnsOf(db), "id,b,c");
}

struct Refusal
{
    const char *what;
    int from;
    int latest;
    std::vector<PostgresMigration> forms;
    int versionAfter;
    const char *columnsAfter;
    const char *message;
};

class PgMigrateRefusal : public ::testing::TestWithParam<Refusal>
{
};

TEST_P(PgMigrateRefusal, StopsAtTheLastWholeVersion)
{
    const Refusal &c = GetParam();
    pg::Connection db(databaseAt(c.from));
    try {
        server::upgradePostgresAccount(db, c.latest, c.forms);
        ADD_FAILURE() << "the upgrade went through";
    } catch (const std::runtime_error &error) {
        EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(versionOf(db), c.versionAfter);
    EXPECT_EQ(columnsOf(db), c.columnsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PgMigrateRefusal,
    ::testing::Values(
        Refusal{"missing form", 11, 14, {Forms[0], Forms[2]}, 12, "id,a", "migration 13 has no"},
        Refusal{
            "failing form",
            11,
            14,
            {Forms[0],
             {13, QStringLiteral("0013_bad.sql"), "ALTER TABLE t ADD COLUMN b text; SELECT 1/0"},
             Forms[2]},
            12,
            "id,a",
            "0013_bad.sql failed"},
        Refusal{"newer set", 15, 14, Forms, 15, "id", "newer than this server's"}),
    [](const ::testing::TestParamInfo<Refusal> &info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(PgMigrate, ServersStartingAtOnceRunEachMigrationOnce)
{
    const std::string conninfo = databaseAt(11);
    std::vector<std::thread> servers;
    std::atomic<int> failures{0};
    for (int i = 0; i < 4; ++i) {
        servers.emplace_back([&] {
            try {
                pg::Connection db(conninfo);
                server::upgradePostgresAccount(db, 14, Forms);
            } catch (const std::exception &) {
                ++failures;
            }
        });
    }
    for (std::thread &server : servers)
        server.join();
    pg::Connection db(conninfo);
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(versionOf(db), 14);
    EXPECT_EQ(columnsOf(db), "id,a,b,c");
    EXPECT_EQ(db.exec("SELECT count(*) FROM t").text(0, 0), "1");
}

} // namespace
