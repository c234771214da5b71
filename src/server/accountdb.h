// The database of one account set: created from the template (schema and catalogue data),
// upgraded in place when the schema grows, optionally filled with demo data.
#pragma once

#include "sql/database.h"

#include <QDate>
#include <QString>

#include <functional>

namespace server {

struct AccountDbOptions
{
    QString accountName;
    bool demo = false; // fill with the demo documents and master data
    int demoScale = 0; // 0: the small demo; N: about N x 10,000 goods and 200,000 documents
    // The last day of the demo period (documents run up to it); invalid means today. Fixing
    // it makes a demo account set reproducible byte for byte.
    QDate demoToday;
    // Told the stage of a long build ("goods", "documents 2024-03", ...); may be empty.
    std::function<void(const QString &stage)> progress;
};

// Creates the database file of a new account set. Never overwrites an existing file: the
// set is built under a temporary name beside it and linked into place only when complete,
// so a failed or interrupted build leaves nothing behind.
// Throws sql::Error when the file exists or cannot be written.
void createAccountDatabase(const QString &path, const AccountDbOptions &options);

// Brings an existing account-set database to the current schema version. Running it on an
// up-to-date database does nothing; a database of a newer version is refused (sql::Error).
void upgradeAccountDatabase(sql::Database &db);

// The schema version this program creates: the number of its last migration.
int accountSchemaVersion();

// The schema version of an open database (its PRAGMA user_version; 0 when empty).
int schemaVersionOf(sql::Database &db);

// Applies the migrations after the database's version up to and including toVersion, each
// in its own transaction. upgradeAccountDatabase() is migrateAccountDatabase(db, latest).
void migrateAccountDatabase(sql::Database &db, int toVersion);

} // namespace server
