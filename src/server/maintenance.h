// Whole-database work the custom methods do: an online backup copy and compaction.
#pragma once

#include <QString>

#include <sqlite3.h>

namespace server {

constexpr int BackupsKept = 10;

// Copies the database behind source, consistently while others keep working, into folder as
// VzData-yyyyMMdd-HHmmss-zzz.db and keeps only the newest BackupsKept copies there. Returns the
// new file's path; throws RequestError when the copy fails (no partial file is left).
QString backupDatabase(sqlite3 *source, const QString &folder);

// Rebuilds the database file without free pages. The caller holds the write lock.
void compactDatabase(sqlite3 *db);

} // namespace server
