// One transaction over the parts of a transact request: change logs applied as apply applies
// them and statements run as execute runs them, in the order sent, all stored or none. The
// request is read and checked whole before the transaction starts, and the transaction ends
// within the request: no lock is ever held while the server waits for a client.
#pragma once

#include "sql/translator.h"
#include "wire/protocol.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <functional>
#include <memory>
#include <optional>

namespace server {

// Parts one request may carry; a document's save or audit takes a handful.
constexpr int MaxTransactParts = 1000;

// The parts of a request's "parts" value; throws RequestError (protocol, or limit for too many
// parts) naming the part and what is wrong with it.
QList<wire::TransactPart> parseTransactParts(const QVariant &parts);

// A part ready to run: the table a change log goes to, or the statements in SQLite's SQL.
struct PreparedPart
{
    wire::TransactPart::Kind kind = wire::TransactPart::Kind::Execute;
    QString table;               // Apply
    QList<wire::Change> changes; // Apply
    QByteArray sqlText;          // Execute: one or more statements; Query: one select
    qint64 expectRows = -1;      // Execute
    std::shared_ptr<const sql::Translation> translation; // Query: the column types
};

// Rows one query part may return: it reads a counter or a few rows written by the parts before
// it, not a report.
constexpr int MaxQueryPartRows = 1000;

struct TransactOutcome
{
    bool rolledBack = false;
    QList<wire::RowError> errors;      // the refusal that rolled the request back, with its part
    QList<qint64> counts;              // per part: rows stored or changed; zeros when rolled back
    QList<QVariantList> results;       // per part: a query part's rows; empty when rolled back
    QList<wire::InsertedRow> inserted; // the keys of the rows the change logs inserted
};

class ChangeLogApplier;
class SchemaCache;
class StatementCache;

// The parts of one request in one transaction, whatever the engine: refusals roll everything
// back and are reported, failures name their part. An engine keeps the transaction, runs the
// statements and queries and supplies the appliers.
class TransactionRunner
{
public:
    // Runs at every step of the transaction: before each row written, each statement of a
    // script and the commit, and once after the commit.
    using StepHook = std::function<void()>;

    virtual ~TransactionRunner() = default;
    TransactionRunner(const TransactionRunner &) = delete;
    TransactionRunner &operator=(const TransactionRunner &) = delete;

    // A refused row or statement rolls everything back and is reported in the outcome; a
    // failure of the transaction itself (a statement that does not run, the time limit, locked
    // rows, a lost connection) throws RequestError, naming the part, and nothing is stored
    // either.
    TransactOutcome run(const QList<PreparedPart> &parts);

protected:
    explicit TransactionRunner(StepHook stepHook)
        : m_stepHook(std::move(stepHook))
    {}

    // Each throws RequestError only; rollback never throws.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual std::unique_ptr<ChangeLogApplier> applierFor(const QString &table) = 0;
    // The statements of an execute part, adding the rows they changed to count (not rows a
    // select returned); a statement that breaks a key or rule refuses the request.
    virtual std::optional<wire::RowError> runStatements(const PreparedPart &part,
                                                        qint64 &count) = 0;
    virtual void runQuery(const PreparedPart &part, QVariantList &rows) = 0;
    void step();

private:
    // The rows the part stored or changed, or the refusal.
    std::optional<wire::RowError> runApply(const PreparedPart &part, int index,
                                           TransactOutcome &outcome);
    std::optional<wire::RowError> runExecute(const PreparedPart &part, qint64 &count);

    StepHook m_stepHook;
};

class SqliteTransactionRunner final : public TransactionRunner
{
public:
    // The caller holds the database's write lock.
    SqliteTransactionRunner(sqlite3 *db, SchemaCache &schema, StatementCache *statements,
                            StepHook stepHook = {});

private:
    void begin() override;
    void commit() override;
    void rollback() override;
    std::unique_ptr<ChangeLogApplier> applierFor(const QString &table) override;
    std::optional<wire::RowError> runStatements(const PreparedPart &part, qint64 &count) override;
    void runQuery(const PreparedPart &part, QVariantList &rows) override;

    sqlite3 *m_db;
    SchemaCache &m_schema;
    StatementCache *m_statements;
};

} // namespace server
