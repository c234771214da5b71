#include "server/accountdb.h"

#include <QFileInfo>

namespace server {

// Placeholder until the account-set schema lands: an empty database.
void createAccountDatabase(const QString &path, const AccountDbOptions &)
{
    if (QFileInfo::exists(path))
        throw sql::Error("the database " + path.toStdString() + " already exists");
    sql::Database db(path.toStdString());
    db.exec("PRAGMA journal_mode=WAL");
}

void upgradeAccountDatabase(sql::Database &) {}

} // namespace server
