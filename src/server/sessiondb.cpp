// A session's writer and reader connections to one database file.
#include "server/sessiondb.h"

#include "server/apply.h"
#include "server/requesterror.h"
#include "wire/protocol.h"

#include <algorithm>
#include <cctype>
#include <poll.h>

namespace server {

namespace {

int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int onProgress(void *context)
{
    return static_cast<QueryClock *>(context)->expired() ? 1 : 0;
}

// How often a running request looks whether its client is still there.
constexpr int64_t ClientLookIntervalNs = 100 * 1000 * 1000;

// True when the peer has closed the connection (or reset it); data it sent ahead does not count.
bool clientHungUp(int socket)
{
    pollfd pfd{socket, POLLRDHUP, 0};
    return ::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

bool onlyBlanks(const char *text)
{
    while (*text) {
        if (!std::isspace(static_cast<unsigned char>(*text)) && *text != ';')
            return false;
        ++text;
    }
    return true;
}

constexpr int MaxIdleReaders = 2;

} // namespace

void QueryClock::start(int limitMs)
{
    const int64_t now = nowNs();
    m_deadline = limitMs > 0 ? now + int64_t(limitMs) * 1000000 : NoDeadline;
    m_running = true;
    m_nextLook = now + ClientLookIntervalNs;
    m_reason = Stop::None;
}

void QueryClock::stop()
{
    m_deadline = NoDeadline;
    m_running = false;
}

bool QueryClock::expired()
{
    if (m_reason != Stop::None)
        return true;
    if (stopping()) {
        m_reason = Stop::ServerStopping;
        return true;
    }
    if (!m_running)
        return false;
    const int64_t now = nowNs();
    if (now > m_deadline)
        m_reason = Stop::Deadline;
    else if (m_socket >= 0 && now >= m_nextLook) {
        m_nextLook = now + ClientLookIntervalNs;
        if (clientHungUp(m_socket))
            m_reason = Stop::ClientGone;
    }
    return m_reason != Stop::None;
}

[[noreturn]] void throwSqlError(sqlite3 *db, int rc)
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    switch (rc & 0xff) {
    case SQLITE_INTERRUPT:
        throw RequestError(wire::code::Timeout,
                           QStringLiteral("the statement ran longer than the server's time "
                                          "limit and was stopped"));
    case SQLITE_AUTH:
        throw RequestError(wire::code::Denied,
                           QStringLiteral("stored passwords are changed only through the "
                                          "ChangePassword and SetPassword methods"));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw RequestError(wire::code::Busy,
                           QStringLiteral("the database stayed locked: %1").arg(message));
    default:
        throw RequestError(wire::code::Sql, message);
    }
}

sqlite3_stmt *prepareSingle(sqlite3 *db, const QByteArray &sqlText)
{
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    const int rc =
        sqlite3_prepare_v2(db, sqlText.constData(), int(sqlText.size()) + 1, &stmt, &tail);
    if (rc != SQLITE_OK)
        throwSqlError(db, rc);
    if (!stmt)
        throw RequestError(wire::code::Sql, QStringLiteral("the command text is empty"));
    if (tail && !onlyBlanks(tail)) {
        sqlite3_finalize(stmt);
        throw RequestError(wire::code::Sql, QStringLiteral("a query must be a single statement"));
    }
    return stmt;
}

SessionDatabase::SessionDatabase(const QString &path, std::timed_mutex &writeLock,
                                 QueryClock &clock, const DatabaseOptions &options)
    : m_path(path)
    , m_writeLock(writeLock)
    , m_clock(clock)
    , m_options(options)
{
    m_writer = openConnection();
    m_writer.exec("PRAGMA journal_mode=WAL");
    m_translator = std::make_unique<sql::Translator>(m_writer.handle());
    m_schema = std::make_unique<SchemaCache>(m_writer.handle());
    m_writerStatements = std::make_unique<StatementCache>(m_writer.handle());
}

SessionDatabase::~SessionDatabase()
{
    m_writerStatements.reset();
    m_schema.reset();
    m_translator.reset();
}

sql::Database SessionDatabase::openConnection()
{
    sql::Database db(m_path.toStdString(), sql::Database::Mode::ReadWrite);
    sqlite3_busy_timeout(db.handle(), m_options.busyTimeoutMs);
    db.exec(m_options.synchronousFull ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
    sql::registerExtensions(db.handle());
    sqlite3_progress_handler(db.handle(), 1000, onProgress, &m_clock);
    m_guard.install(db.handle());
    return db;
}

std::unique_ptr<sql::Database> SessionDatabase::takeReader()
{
    if (!m_idleReaders.empty()) {
        auto reader = std::move(m_idleReaders.back());
        m_idleReaders.pop_back();
        return reader;
    }
    return std::make_unique<sql::Database>(openConnection());
}

void SessionDatabase::returnReader(std::unique_ptr<sql::Database> reader)
{
    if (!reader)
        return;
    // A reader must not keep a transaction (and so an old snapshot) open.
    if (!sqlite3_get_autocommit(reader->handle()))
        sqlite3_exec(reader->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    if (m_idleReaders.size() < MaxIdleReaders)
        m_idleReaders.push_back(std::move(reader));
}

std::unique_lock<std::timed_mutex> SessionDatabase::lockForWrite()
{
    std::unique_lock lock(m_writeLock, std::defer_lock);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(m_options.busyTimeoutMs);
    // In slices: a request whose client has gone, or whose time is up, stops waiting.
    while (!lock.try_lock_for(std::chrono::milliseconds(100))) {
        if (m_clock.expired())
            throw RequestError(wire::code::Timeout,
                               QStringLiteral("the request was stopped while it waited for "
                                              "other users' changes"));
        if (std::chrono::steady_clock::now() >= deadline)
            throw RequestError(wire::code::Busy,
                               QStringLiteral("the database stayed busy with other users' "
                                              "changes for %1 s")
                                   .arg(m_options.busyTimeoutMs / 1000));
    }
    return lock;
}

void forEachStatement(sqlite3 *db, const QByteArray &sqlText,
                      const std::function<bool(sqlite3_stmt *stmt, bool last)> &run)
{
    const char *next = sqlText.constData();
    const char *end = next + sqlText.size();
    while (next < end && !onlyBlanks(next)) {
        sqlite3_stmt *stmt = nullptr;
        const char *tail = nullptr;
        const int rc = sqlite3_prepare_v2(db, next, int(end - next), &stmt, &tail);
        if (rc != SQLITE_OK)
            throwSqlError(db, rc);
        next = tail;
        if (!stmt)
            continue;
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> guard(stmt, sqlite3_finalize);
        if (!run(stmt, onlyBlanks(next)))
            return;
    }
}

int64_t SessionDatabase::execute(const QList<QByteArray> &statements, qsizetype *failed)
{
    const auto lock = lockForWrite();
    sqlite3 *db = m_writer.handle();
    int64_t changed = 0;
    // A script (a delete and the inserts that replace the rows, say) is all or nothing.
    bool inTransaction = false;
    qsizetype current = 0;
    try {
        for (; current < statements.size(); ++current) {
            forEachStatement(db, statements[current], [&](sqlite3_stmt *stmt, bool last) {
                int rc;
                if (sqlite3_column_count(stmt) > 0)
                    throw RequestError(wire::code::Sql,
                                       QStringLiteral("the statement returns rows: read them "
                                                      "with open, execute only runs statements "
                                                      "that return none"));
                const bool more = !last || current + 1 < statements.size();
                if (!inTransaction && more && sqlite3_get_autocommit(db)) {
                    if ((rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr)) !=
                        SQLITE_OK)
                        throwSqlError(db, rc);
                    inTransaction = true;
                }
                // Not sqlite3_changes: DDL leaves it at the count of the last insert, update
                // or delete.
                const sqlite3_int64 before = sqlite3_total_changes64(db);
                rc = sqlite3_step(stmt);
                if (rc != SQLITE_DONE)
                    throwSqlError(db, rc);
                if (sqlite3_total_changes64(db) != before)
                    changed += sqlite3_changes(db); // its own rows, not its triggers
                return true;
            });
        }
        if (inTransaction) {
            const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK)
                throwSqlError(db, rc);
        }
    } catch (...) {
        if (inTransaction && !sqlite3_get_autocommit(db))
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (failed)
            *failed = std::min(current, statements.size() - 1);
        throw;
    }
    return changed;
}

} // namespace server
