// Applies a client's change log to one table in one transaction: rows are located by key,
// rows changed by someone else since they were read are refused, and maxErrors decides
// whether the good rows are stored when others fail.
#pragma once

#include "server/schema.h"
#include "wire/protocol.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace server {

struct ApplyOutcome
{
    int applied = 0;
    bool rolledBack = false;
    QList<wire::RowError> errors;
    QList<wire::InsertedRow> inserted; // the stored inserts, with the keys they were given
};

// Statements of one connection kept prepared from request to request: a document's save sends
// the same inserts every time, and preparing them again would be most of the work done while
// the write lock is held. Trimmed between requests only, so that a statement handed out stays
// valid for the rest of its request.
class StatementCache
{
public:
    explicit StatementCache(sqlite3 *db)
        : m_db(db)
    {}
    ~StatementCache();
    StatementCache(const StatementCache &) = delete;
    StatementCache &operator=(const StatementCache &) = delete;

    // The statement of the text, reset and unbound; prepared on first use. SQLite's result
    // code when it does not prepare (and nullptr).
    sqlite3_stmt *statement(const QByteArray &sqlText, int *rc);
    // Finalizes everything once more statements are kept than a connection needs.
    void trim();

private:
    static constexpr int MaxStatements = 256;
    sqlite3 *m_db;
    QHash<QByteArray, sqlite3_stmt *> m_statements;
};

// Why a row was refused for a duplicate key: shown holds "column = value" for the key columns
// whose values the row gave.
QString duplicateKeyMessage(const QString &table, const QStringList &shown,
                            const QStringList &keyColumns);

// A change log applied to one table, whatever the engine: the rows in their order, the hooks,
// maxErrors and the outcome. An engine writes the single rows and keeps the transaction.
class ChangeLogApplier
{
public:
    // Runs before a row is written, inside the transaction; an error refuses the row.
    using BeforeRow = std::function<std::optional<wire::RowError>(const wire::Change &, int)>;
    // Runs after a row was written (stored true) or refused.
    using AfterRow = std::function<void(int index, bool stored)>;

    virtual ~ChangeLogApplier() = default;
    ChangeLogApplier(const ChangeLogApplier &) = delete;
    ChangeLogApplier &operator=(const ChangeLogApplier &) = delete;

    void setHooks(BeforeRow before, AfterRow after);

    // In a transaction of its own. Throws RequestError when the whole apply fails (time limit,
    // locked rows, lost connection); the transaction is rolled back then.
    virtual ApplyOutcome apply(const QList<wire::Change> &changes, int maxErrors) = 0;
    // The same inside a transaction the caller holds: with more errors than maxErrors it stops
    // at once and says rolledBack, and the caller must roll the transaction back, as it must
    // when this throws.
    ApplyOutcome applyRows(const QList<wire::Change> &changes, int maxErrors);

protected:
    // The change's values for the table's columns (columns the table lacks are dropped).
    using RowValues = QList<std::optional<QVariant>>;

    explicit ChangeLogApplier(TableSchema schema);

    // Before the first row of a change log.
    virtual void startRows(int maxErrors) { Q_UNUSED(maxErrors) }
    // Writes one row: its refusal, or nothing when it was stored.
    virtual std::optional<wire::RowError> applyOne(const wire::Change &change, int index) = 0;
    // The key columns of the row the insert just applied stored, as stored.
    virtual QVariantMap insertedKeyOf(const wire::Change &change) = 0;

    // The columns that find the row old values stand for: the key, or every column given
    // when the table has none; nullopt with the refusal when there are none.
    std::optional<QList<int>> locatorColumns(const RowValues &oldValues,
                                             wire::RowError &error) const;
    // spellings, when given, learns how the change log spells each column it names first.
    RowValues alignValues(const QVariantMap &values, QList<QString> *spellings = nullptr) const;

    TableSchema m_schema;
    QList<int> m_locatorColumns; // key columns, or empty to match on every column given
    BeforeRow m_before;
    AfterRow m_after;
    qint64 m_currentRowBytes = 0; // of the stored rows the conflicts of this apply carry
};

class ChangeApplier final : public ChangeLogApplier
{
public:
    // statements: the connection's kept statements; without them the applier prepares its
    // own for its lifetime.
    ChangeApplier(sqlite3 *db, TableSchema schema, StatementCache *statements = nullptr);
    ~ChangeApplier() override;

    // The caller holds the database's write lock.
    ApplyOutcome apply(const QList<wire::Change> &changes, int maxErrors) override;

private:
    struct Locator
    {
        QByteArray where;
        QList<StoredValue> values;
    };

    std::optional<wire::RowError> applyOne(const wire::Change &change, int index) override;
    QVariantMap insertedKeyOf(const wire::Change &change) override;
    std::optional<wire::RowError> insertRow(const RowValues &values, wire::RowError &error);
    std::optional<wire::RowError> modifyRow(const RowValues &oldValues, const RowValues &newValues,
                                            wire::RowError &error);
    std::optional<wire::RowError> deleteRow(const RowValues &oldValues, wire::RowError &error);

    std::optional<Locator> locate(const RowValues &oldValues, wire::RowError &error);
    // The key columns of the row the last insert stored, as stored.
    QVariantMap insertedKey(const RowValues &values);
    // Reads the located row: true when it exists; its stored values and its wire form.
    bool readCurrent(const Locator &locator, QList<StoredValue> &stored, QVariantMap &current);
    std::optional<wire::RowError> runWrite(const QByteArray &sqlText,
                                           const QList<StoredValue> &values,
                                           const QList<int> &columns, wire::RowError &error);

    sqlite3_stmt *statement(const QByteArray &sqlText);
    [[noreturn]] void throwFatal(int rc);
    QByteArray quotedTable() const;
    QByteArray quotedColumn(int column) const;

    sqlite3 *m_db;
    std::unique_ptr<StatementCache> m_ownStatements;
    StatementCache *m_statements;
};

} // namespace server
