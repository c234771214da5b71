// An account set in a PostgreSQL database. A session holds two connections: the writer, for
// statements, change logs, transactions and the catalogue, and the reader, which holds the
// session's open cursors in one read-only transaction (each cursor with its own snapshot,
// taken when it was opened). Several server processes may serve the same database: every
// rule that must hold across them (conflict detection, numbering) is enforced by PostgreSQL's
// row locks, not by a lock of this process.
#pragma once

#include "server/accountstore.h"
#include "server/schema.h"

#include <QHash>

#include <memory>
#include <string>

namespace pg {
class Connection;
class Error;
} // namespace pg

namespace server {

class PostgresSchema;
class QueryClock;

class PostgresStore final : public AccountStore
{
public:
    // Connects the writer; throws pg::Error when PostgreSQL cannot be reached.
    // busyTimeoutMs: how long a write waits for rows another session holds locked.
    PostgresStore(std::string conninfo, QueryClock &clock, int busyTimeoutMs);
    ~PostgresStore() override;

    sql::Engine engine() const override { return sql::Engine::Postgres; }
    sql::Translator &translator() override { return *m_translator; }
    QString findTable(const QString &name) override;
    QStringList tableNames() override;
    OpenedQuery open(const QueryRequest &query) override;
    int64_t execute(const QList<QByteArray> &statements, qsizetype *failed = nullptr) override;
    ApplyOutcome apply(const QString &table, const QList<wire::Change> &changes,
                       int maxErrors) override;
    TransactOutcome transact(const QList<PreparedPart> &parts,
                             TransactionRunner::StepHook stepHook) override;
    QList<QVariantList> readTrusted(const QByteArray &sqlText,
                                    const QVariantList &params = {}) override;
    int64_t writeTrusted(const QByteArray &sqlText, const QVariantList &params = {}) override;
    QString storedPassword(qint64 userId) override;
    void storePassword(qint64 userId, const QString &hash) override;
    void upgrade(const std::function<void(const QString &)> &note) override;

    // The request error a failure of PostgreSQL stands for.
    [[noreturn]] static void rethrow(const pg::Error &error);

private:
    class Cursor;
    friend class Cursor;

    std::unique_ptr<pg::Connection> connect();
    pg::Connection &reader();
    // The reader's transaction ends with the last cursor, so that no snapshot outlives it.
    void cursorClosed();
    // After DDL the catalogue is read again.
    void noteStatement(const QByteArray &sqlText);
    // A table's columns and key for applying changes, read once until DDL runs.
    TableSchema tableSchema(const QString &table);

    const std::string m_conninfo;
    QueryClock &m_clock;
    const int m_busyTimeoutMs;
    std::unique_ptr<pg::Connection> m_writer;
    std::unique_ptr<pg::Connection> m_reader; // connected with the first cursor
    PostgresSchema *m_schema = nullptr;       // owned by the translator
    std::unique_ptr<sql::Translator> m_translator;
    QHash<QString, TableSchema> m_tableSchemas; // by lower-case name
    int m_openCursors = 0;
    // Counts the reader's transactions that ended under open cursors: those cursors are gone.
    int m_readerGeneration = 0;
    qint64 m_nextCursor = 1;
};

} // namespace server
