// A session's connections to one database file: the writer that runs statements and applies
// changes, readers for queries (a cursor keeps its reader, and with it its snapshot, until it
// is finished), the translator, and the time limit every statement runs under.
#pragma once

#include "server/passwordguard.h"
#include "server/schema.h"
#include "sql/database.h"
#include "sql/translator.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace server {

class StatementCache;

// The deadline of the request being served. The progress handler of every connection of the
// session stops a statement once the deadline has passed, the server is stopping, or the client
// has gone: its socket is looked at a few times a second while a request runs, so that a
// vanished client's statement ends within a fraction of a second and frees what it holds.
class QueryClock
{
public:
    enum class Stop { None, Deadline, ServerStopping, ClientGone };

    // clientSocket: the connection of the session, or -1 when there is none to watch.
    explicit QueryClock(const std::atomic<bool> &stopping, int clientSocket = -1)
        : m_stopping(stopping)
        , m_socket(clientSocket)
    {}

    void start(int limitMs);
    void stop();
    // True once the running request must stop; reason() says why. Only the session's own
    // thread calls it.
    bool expired();
    Stop reason() const { return m_reason; }
    bool stopping() const { return m_stopping.load(std::memory_order_relaxed); }

private:
    static constexpr int64_t NoDeadline = INT64_MAX;
    int64_t m_deadline = NoDeadline;
    bool m_running = false;
    int64_t m_nextLook = 0; // when to look at the client's socket again
    Stop m_reason = Stop::None;
    const std::atomic<bool> &m_stopping;
    const int m_socket;
};

struct DatabaseOptions
{
    int busyTimeoutMs = 30000;
    bool synchronousFull = true; // a committed change survives a power failure
};

class SessionDatabase
{
public:
    // Opens the writer; throws sql::Error when the file cannot be opened.
    SessionDatabase(const QString &path, std::timed_mutex &writeLock, QueryClock &clock,
                    const DatabaseOptions &options);
    ~SessionDatabase();
    SessionDatabase(const SessionDatabase &) = delete;
    SessionDatabase &operator=(const SessionDatabase &) = delete;

    const QString &path() const { return m_path; }
    // Watches every connection of this database for the stored passwords.
    PasswordGuard &passwordGuard() { return m_guard; }
    sql::Database &writer() { return m_writer; }
    sql::Translator &translator() { return *m_translator; }
    // The writer's table names and columns, and the statements it keeps prepared.
    SchemaCache &schema() { return *m_schema; }
    StatementCache &writerStatements() { return *m_writerStatements; }

    // A connection without pending statements, whose next query sees every committed change.
    std::unique_ptr<sql::Database> takeReader();
    void returnReader(std::unique_ptr<sql::Database> reader);

    // Serialises writers of the same file within this server, so they queue instead of
    // polling SQLite's lock; throws RequestError(busy) after the busy timeout, and
    // RequestError(timeout) when the request must stop while it waits.
    std::unique_lock<std::timed_mutex> lockForWrite();

    // Runs statements (SQLite texts) on the writer under the write lock, in one transaction
    // when there are several; the number of rows changed. A statement that returns rows is
    // refused before it runs. When one fails, *failed is its position in the list.
    int64_t execute(const QList<QByteArray> &statements, qsizetype *failed = nullptr);

private:
    sql::Database openConnection();

    QString m_path;
    std::timed_mutex &m_writeLock;
    QueryClock &m_clock;
    DatabaseOptions m_options;
    PasswordGuard m_guard; // before the connections it is installed on
    sql::Database m_writer;
    std::unique_ptr<sql::Translator> m_translator;
    std::unique_ptr<SchemaCache> m_schema;
    std::unique_ptr<StatementCache> m_writerStatements;
    std::vector<std::unique_ptr<sql::Database>> m_idleReaders;
};

// Turns a failed SQLite call into the request error the client sees.
[[noreturn]] void throwSqlError(sqlite3 *db, int rc);

// Prepares the one statement of a text; throws when it fails or more statements follow.
sqlite3_stmt *prepareSingle(sqlite3 *db, const QByteArray &sqlText);

// Prepares the statements of an SQLite text one after another and hands each to run, with
// whether it is the last; stops early when run returns false. Throws when one does not prepare.
void forEachStatement(sqlite3 *db, const QByteArray &sqlText,
                      const std::function<bool(sqlite3_stmt *stmt, bool last)> &run);

} // namespace server
