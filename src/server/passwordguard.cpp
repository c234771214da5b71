#include "server/passwordguard.h"

namespace server {

namespace {

bool sameName(const char *a, const char *b)
{
    return a && sqlite3_stricmp(a, b) == 0;
}

} // namespace

void PasswordGuard::install(sqlite3 *db)
{
    sqlite3_set_authorizer(db, &PasswordGuard::authorize, this);
}

int PasswordGuard::authorize(void *self, int action, const char *a, const char *b, const char *,
                             const char *)
{
    auto *guard = static_cast<PasswordGuard *>(self);
    if (guard->m_mode == Mode::Trusted)
        return SQLITE_OK;
    if ((action != SQLITE_READ && action != SQLITE_UPDATE) || !sameName(a, Table) ||
        !sameName(b, Column))
        return SQLITE_OK;
    if (action == SQLITE_UPDATE)
        return SQLITE_DENY; // passwords change through ChangePassword and SetPassword only
    if (guard->m_mode == Mode::Inspect) {
        ++guard->m_reads;
        return SQLITE_OK;
    }
    return SQLITE_IGNORE;
}

bool PasswordGuard::isPasswordColumn(sqlite3_stmt *stmt, int column)
{
    return sameName(sqlite3_column_table_name(stmt, column), Table) &&
           sameName(sqlite3_column_origin_name(stmt, column), Column);
}

QString PasswordGuard::masked(const QString &stored)
{
    return stored.isEmpty() ? QString() : QString::fromLatin1(SetMarker);
}

} // namespace server
