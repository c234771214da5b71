// The database of one account set: created from the template (schema and catalogue data),
// upgraded in place when the schema grows, optionally filled with demo data.
#pragma once

#include "sql/database.h"

#include <QString>

namespace server {

struct AccountDbOptions
{
    QString accountName;
    bool demo = false;  // fill with the demo documents and master data
    int demoScale = 0;  // 0: the small demo; N: about N x 10,000 goods and 200,000 documents
};

// Creates the database file of a new account set. Never overwrites an existing file.
// Throws sql::Error when the file exists or cannot be written.
void createAccountDatabase(const QString &path, const AccountDbOptions &options);

// Brings an existing account-set database to the current schema version.
void upgradeAccountDatabase(sql::Database &db);

} // namespace server
