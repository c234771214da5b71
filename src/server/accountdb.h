// The database of one account set: created from the template (schema and catalogue data),
// upgraded in place when the schema grows, optionally filled by the caller (demo data).
#pragma once

#include "sql/database.h"

#include <QString>

#include <functional>

namespace server {

struct AccountDbOptions
{
    QString accountName;
    // Fills the new set once its schema, catalogue and name are in place, before its
    // statistics are gathered (the demo data); may be empty. An exception from it leaves
    // no file behind.
    std::function<void(sql::Database &db)> fill;
    // Told the stage of a long build ("schema", "statistics"); may be empty.
    std::function<void(const QString &stage)> progress;
};

// Creates the database file of a new account set. Never overwrites an existing file: the
// set is built under a temporary name beside it and linked into place only when complete,
// so a failed or interrupted build leaves nothing behind.
// Throws sql::Error when the file exists or cannot be written.
void createAccountDatabase(const QString &path, const AccountDbOptions &options);

// Told what an upgrade found worth a person's attention: a unique key a table's rows kept
// from being made, with the duplicate values (they are also kept in table KeyDuplicates).
using MigrationNote = std::function<void(const QString &note)>;

// Brings an existing account-set database to the current schema version. Running it on an
// up-to-date database does nothing; a database of a newer version is refused (sql::Error).
void upgradeAccountDatabase(sql::Database &db, const MigrationNote &note = {});

// The schema version this program creates: the number of its last migration.
int accountSchemaVersion();

// The schema version of an open database (its PRAGMA user_version; 0 when empty).
int schemaVersionOf(sql::Database &db);

// Applies the migrations after the database's version up to and including toVersion, each
// in its own transaction. upgradeAccountDatabase() is migrateAccountDatabase(db, latest).
// A migration's CREATE UNIQUE INDEX that the rows break makes the index without UNIQUE and
// notes the duplicates instead of failing.
void migrateAccountDatabase(sql::Database &db, int toVersion, const MigrationNote &note = {});

} // namespace server
