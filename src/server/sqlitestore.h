// An account set (or the registry) in an SQLite database file.
#pragma once

#include "server/accountstore.h"
#include "server/sessiondb.h"

#include <memory>

namespace server {

class SqliteStore final : public AccountStore
{
public:
    // Opens the writer; throws sql::Error when the file cannot be opened.
    SqliteStore(const QString &path, std::timed_mutex &writeLock, QueryClock &clock,
                const DatabaseOptions &options);
    ~SqliteStore() override;

    sql::Engine engine() const override { return sql::Engine::Sqlite; }
    sql::Translator &translator() override { return m_db.translator(); }
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
    SessionDatabase *sqliteDatabase() override { return &m_db; }

private:
    // Prepares a client's query so that it never reads a stored password: plain result columns
    // of it are listed in maskedColumns, any other use reads NULL.
    sqlite3_stmt *preparePasswordSafe(sqlite3 *handle, const QByteArray &sqlText,
                                      QList<int> &maskedColumns);

    SessionDatabase m_db;
};

} // namespace server
