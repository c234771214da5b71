// Keeps the stored password hashes (AppUser.uPassword) out of every client's reach. An SQLite
// authorizer on each connection of a session sees every column a statement reads or writes,
// however the statement names it (joins, sub-queries, expressions, views):
//  - hide: reading the column yields NULL, writing it is refused;
//  - inspect: reading is allowed but counted, so that a query whose only use of the column is
//    as plain result columns can have those columns masked ("set or not") by the caller;
//  - trusted: the server's own statements (login, password changes, migrations) see it all.
// The mode belongs to the session's thread; Trust and Inspect scopes put the previous back.
#pragma once

#include <QString>

#include <sqlite3.h>

namespace server {

class PasswordGuard
{
public:
    enum class Mode { Hide, Inspect, Trusted };

    static constexpr char Table[] = "AppUser";
    static constexpr char Column[] = "uPassword";
    // What a masked column shows for a user with a password; the empty text for one without.
    static constexpr char SetMarker[] = "******";

    // Installs the guard on a connection; the guard must outlive it.
    void install(sqlite3 *db);

    Mode mode() const { return m_mode; }
    // Reads of the column counted while inspecting.
    int reads() const { return m_reads; }

    class Scope
    {
    public:
        Scope(PasswordGuard &guard, Mode mode)
            : m_guard(guard)
            , m_previous(guard.m_mode)
            , m_previousReads(guard.m_reads)
        {
            guard.m_mode = mode;
            guard.m_reads = 0;
        }
        ~Scope()
        {
            m_guard.m_mode = m_previous;
            m_guard.m_reads = m_previousReads;
        }
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        PasswordGuard &m_guard;
        Mode m_previous;
        int m_previousReads;
    };

    // Whether a result column of a prepared statement is the stored password itself.
    static bool isPasswordColumn(sqlite3_stmt *stmt, int column);
    // The masked form of a stored value.
    static QString masked(const QString &stored);

private:
    static int authorize(void *self, int action, const char *a, const char *b, const char *,
                         const char *);

    Mode m_mode = Mode::Hide;
    int m_reads = 0;
};

} // namespace server
