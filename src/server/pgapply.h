// A client's change log applied to one table of a PostgreSQL account set, with the outcome an
// SQLite account set gives for the same rows. Several servers may write the same database, so
// nothing is read first and written later: a row is changed only by a statement whose WHERE
// holds its key and the values the client read, and a statement that changed nothing is then
// told apart as a conflict or a deleted row.
#pragma once

#include "server/apply.h"
#include "server/schema.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>
#include <string>
#include <vector>

namespace pg {
class Connection;
class Error;
} // namespace pg

namespace server {

// The failure of a whole request a PostgreSQL error stands for: 57014 (a cancelled statement)
// is the time limit, 40001 and 40P01 (serialization failure, deadlock) a busy database, the rest
// an SQL error. timedOut is the time limit's message.
[[noreturn]] void throwRequestError(const pg::Error &error, const QString &timedOut);

// A statement that broke a key or a rule (class 23) or had a value its column cannot take
// (class 22) refuses its row or request; nullopt for every other failure.
std::optional<wire::RowError> rowRefusal(const pg::Error &error);

class PostgresApplier final : public ChangeLogApplier
{
public:
    PostgresApplier(pg::Connection &connection, TableSchema schema);
    ~PostgresApplier() override;

    ApplyOutcome apply(const QList<wire::Change> &changes, int maxErrors) override;

private:
    using Params = std::vector<std::optional<std::string>>;

    void startRows(int maxErrors) override;
    std::optional<wire::RowError> applyOne(const wire::Change &change, int index) override;
    QVariantMap insertedKeyOf(const wire::Change &) override { return m_insertedKey; }
    std::optional<wire::RowError> writeOne(const wire::Change &change, wire::RowError &error);
    std::optional<wire::RowError> insertRow(const RowValues &values, wire::RowError &error);
    std::optional<wire::RowError> modifyRow(const RowValues &oldValues, const RowValues &newValues,
                                            wire::RowError &error);
    std::optional<wire::RowError> deleteRow(const RowValues &oldValues, wire::RowError &error);

    // The WHERE that finds the row the old values stand for, its values added to params.
    std::optional<std::string> locate(const RowValues &oldValues, Params &params,
                                      wire::RowError &error) const;
    // The column as a comparison of what the client read with what is stored sees it: text
    // byte for byte, whatever the column's collation.
    std::string compared(int column) const;
    // The row the old values locate as it is now, in wire form, or nullopt when it is gone;
    // conflicting gets the columns whose stored value is no longer what the client read.
    using OldValues = QList<std::pair<int, std::optional<std::string>>>;
    std::optional<QVariantMap> readCurrent(const RowValues &oldValues, const OldValues &read,
                                           QStringList *conflicting, qint64 *bytes);
    // The row refused for the error of its write, or the whole request failed (this throws).
    wire::RowError refused(const pg::Error &error, const Params &params, const QList<int> &columns,
                           wire::RowError &row);

    std::string quotedTable() const;
    std::string quotedColumn(int column) const;
    // The column as the client names it: the spelling of the change log when it had one.
    QString clientName(int column) const;

    pg::Connection &m_connection;
    QList<QString> m_clientNames;
    QVariantMap m_insertedKey; // of the last insert
    bool m_savepoints = false; // rows that fail are rolled back alone
    bool m_statementFailed = false;
};

} // namespace server
