// Change logs applied to one table of a PostgreSQL account set.
#include "server/pgapply.h"

#include "pg/connection.h"
#include "pg/quote.h"
#include "server/pgvalues.h"
#include "server/requesterror.h"

#include <QStringList>

namespace server {

namespace {

// A row that fails is rolled back to here, so that the rows before it stay written.
constexpr const char *RowSavepoint = "SAVEPOINT vz_row";
constexpr const char *RowRollback = "ROLLBACK TO SAVEPOINT vz_row";
constexpr const char *RowRelease = "RELEASE SAVEPOINT vz_row";

// A statement that changed nothing because another session changed the row in between may
// find it changed back by the time the row is read again; it is tried this often.
constexpr int WriteAttempts = 3;

// See apply.cpp: conflicts carry the stored rows up to this much.
constexpr qint64 MaxCurrentRowBytes = 16 * 1024 * 1024;

bool startsWith(const std::string &text, std::string_view prefix)
{
    return std::string_view(text).substr(0, prefix.size()) == prefix;
}

std::string placeholder(std::vector<std::optional<std::string>> &params,
                        std::optional<std::string> value)
{
    params.push_back(std::move(value));
    return "$" + std::to_string(params.size());
}

std::optional<std::string_view> cell(const pg::Result &result, int row, int column)
{
    if (result.isNull(row, column))
        return std::nullopt;
    return result.text(row, column);
}

// A value as the duplicate-key message shows it, as SQLite's side shows it.
QString shownValue(const std::optional<std::string> &value, ValueType type)
{
    if (!value)
        return QStringLiteral("NULL");
    const QString text = QString::fromStdString(*value);
    switch (type) {
    case ValueType::Boolean:
        return text == QLatin1String("t") ? QStringLiteral("1") : QStringLiteral("0");
    case ValueType::Integer:
        return text;
    case ValueType::Float:
        return realText(text.toDouble());
    case ValueType::Blob:
        return QStringLiteral("(binary)");
    default:
        return QLatin1Char('\'') + text + QLatin1Char('\'');
    }
}

// The columns of PostgreSQL's "Key (a, b)=(1, x) already exists.".
QStringList keyColumnsOf(const std::string &detail)
{
    const QString text = QString::fromStdString(detail);
    const qsizetype open = text.indexOf(QLatin1String("Key ("));
    const qsizetype close = text.indexOf(QLatin1String(")=("));
    if (open < 0 || close < open)
        return {};
    QStringList names;
    for (QString name : text.mid(open + 5, close - open - 5).split(QStringLiteral(", "))) {
        if (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
            name =
                name.mid(1, name.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
        names.append(name);
    }
    return names;
}

wire::RowError notFound(wire::RowError &error)
{
    error.code = wire::code::NotFound;
    error.message = QStringLiteral("the row was deleted by another user since it was read");
    return error;
}

QString savingTookTooLong()
{
    return QStringLiteral("saving the changes took too long and was stopped");
}

} // namespace

void throwRequestError(const pg::Error &error, const QString &timedOut)
{
    const std::string &state = error.sqlState();
    const QString message = QString::fromUtf8(error.what());
    if (state == pg::sqlstate::QueryCanceled)
        throw RequestError(wire::code::Timeout, timedOut);
    if (state == pg::sqlstate::LockNotAvailable)
        throw RequestError(
            wire::code::Busy,
            QStringLiteral("the rows stayed locked by another session: %1").arg(message));
    if (state == pg::sqlstate::SerializationFailure || state == pg::sqlstate::DeadlockDetected)
        throw RequestError(wire::code::Busy,
                           QStringLiteral("another session wrote the same rows at the same time "
                                          "(%1); nothing was stored, try again")
                               .arg(message));
    throw RequestError(wire::code::Sql, message);
}

std::optional<wire::RowError> rowRefusal(const pg::Error &error)
{
    const std::string &state = error.sqlState();
    wire::RowError refusal;
    refusal.message = QString::fromUtf8(error.what());
    if (state == pg::sqlstate::UniqueViolation)
        refusal.code = wire::code::Unique;
    else if (startsWith(state, "23"))
        refusal.code = wire::code::Constraint;
    else if (startsWith(state, "22"))
        refusal.code = wire::code::InvalidValue;
    else
        return std::nullopt;
    return refusal;
}

PostgresApplier::PostgresApplier(pg::Connection &connection, TableSchema schema)
    : ChangeLogApplier(std::move(schema))
    , m_connection(connection)
    , m_clientNames(m_schema.columns.size())
{}

PostgresApplier::~PostgresApplier() = default;

std::string PostgresApplier::quotedTable() const
{
    return pg::quoteIdentifier(
        (m_schema.storedName.isEmpty() ? m_schema.name : m_schema.storedName).toStdString());
}

std::string PostgresApplier::quotedColumn(int column) const
{
    const TableColumn &stored = m_schema.columns[column];
    return pg::quoteIdentifier(
        (stored.storedName.isEmpty() ? stored.name : stored.storedName).toStdString());
}

QString PostgresApplier::clientName(int column) const
{
    return m_clientNames[column].isEmpty() ? m_schema.columns[column].name : m_clientNames[column];
}

std::string PostgresApplier::compared(int column) const
{
    const ValueType type = m_schema.columns[column].declared.type;
    if (type == ValueType::Text || type == ValueType::Unknown)
        return "(" + quotedColumn(column) + "::text COLLATE \"C\")";
    return quotedColumn(column);
}

ApplyOutcome PostgresApplier::apply(const QList<wire::Change> &changes, int maxErrors)
{
    const auto rollback = [this] {
        if (!m_connection.inTransaction())
            return;
        try {
            m_connection.exec("ROLLBACK");
        } catch (const pg::Error &) {
            // A lost connection has ended the transaction already.
        }
    };
    try {
        m_connection.exec("BEGIN");
        ApplyOutcome outcome = applyRows(changes, maxErrors);
        m_connection.exec(outcome.rolledBack ? "ROLLBACK" : "COMMIT");
        return outcome;
    } catch (const pg::Error &error) {
        rollback();
        throwRequestError(error, savingTookTooLong());
    } catch (...) {
        rollback();
        throw;
    }
}

void PostgresApplier::startRows(int maxErrors)
{
    m_savepoints = maxErrors != 0;
}

std::optional<wire::RowError> PostgresApplier::applyOne(const wire::Change &change, int index)
{
    wire::RowError error;
    error.index = index;
    error.kind = change.kind;
    try {
        m_statementFailed = false;
        if (m_savepoints)
            m_connection.exec(RowSavepoint);
        std::optional<wire::RowError> refusal = writeOne(change, error);
        if (m_savepoints) {
            if (m_statementFailed)
                m_connection.exec(RowRollback);
            m_connection.exec(RowRelease);
        }
        return refusal;
    } catch (const pg::Error &failure) {
        throwRequestError(failure, savingTookTooLong());
    }
}

std::optional<wire::RowError> PostgresApplier::writeOne(const wire::Change &change,
                                                        wire::RowError &error)
{
    switch (change.kind) {
    case wire::ChangeKind::Insert:
        return insertRow(alignValues(change.newValues, &m_clientNames), error);
    case wire::ChangeKind::Modify: {
        const RowValues oldValues = alignValues(change.oldValues, &m_clientNames);
        return modifyRow(oldValues, alignValues(change.newValues, &m_clientNames), error);
    }
    case wire::ChangeKind::Delete:
        return deleteRow(alignValues(change.oldValues, &m_clientNames), error);
    }
    return std::nullopt;
}

std::optional<std::string> PostgresApplier::locate(const RowValues &oldValues, Params &params,
                                                   wire::RowError &error) const
{
    const std::optional<QList<int>> found = locatorColumns(oldValues, error);
    if (!found)
        return std::nullopt;
    const QList<int> &columns = *found;
    std::string where;
    for (int c : std::as_const(columns)) {
        const TableColumn &column = m_schema.columns[c];
        if (!oldValues[c]) {
            error.code = wire::code::InvalidValue;
            error.message = QStringLiteral("the change does not carry the key column %1 of %2")
                                .arg(clientName(c), m_schema.name);
            return std::nullopt;
        }
        QString problem;
        const auto value = postgresFromWire(*oldValues[c], column.declared.type, &problem);
        if (!value) {
            error.code = wire::code::InvalidValue;
            error.message = QStringLiteral("column %1: %2").arg(clientName(c), problem);
            return std::nullopt;
        }
        if (!where.empty())
            where += " AND ";
        where += quotedColumn(c);
        where += *value ? " = " + placeholder(params, *value) : std::string(" IS NULL");
    }
    // Without a key the first row with all the old values stands for the row.
    if (m_locatorColumns.isEmpty())
        where = "ctid = (SELECT ctid FROM " + quotedTable() + " WHERE " + where + " LIMIT 1)";
    return where;
}

std::optional<QVariantMap> PostgresApplier::readCurrent(const RowValues &oldValues,
                                                        const OldValues &read,
                                                        QStringList *conflicting, qint64 *bytes)
{
    Params params;
    wire::RowError ignored;
    const auto where = locate(oldValues, params, ignored);
    if (!where)
        return std::nullopt;
    std::string columns;
    for (int c = 0; c < m_schema.columns.size(); ++c)
        columns += (c ? ", " : "") + quotedColumn(c);
    for (const auto &[c, value] : read)
        columns += ", " + compared(c) + " IS NOT DISTINCT FROM " + placeholder(params, value);
    const pg::Result row = m_connection.exec(
        "SELECT " + columns + " FROM " + quotedTable() + " WHERE " + *where + " LIMIT 1", params);
    if (row.rows() == 0)
        return std::nullopt;
    QVariantMap current;
    const int width = int(m_schema.columns.size());
    for (int c = 0; c < width; ++c) {
        const auto text = cell(row, 0, c);
        current.insert(clientName(c), wireFromPostgres(text, m_schema.columns[c].declared.type));
        if (bytes)
            *bytes += 64 + (text ? qint64(text->size()) * 2 : 0);
    }
    for (int i = 0; i < read.size(); ++i) {
        if (conflicting && row.text(0, width + i) != "t")
            conflicting->append(clientName(read[i].first));
    }
    return current;
}

std::optional<wire::RowError> PostgresApplier::insertRow(const RowValues &values,
                                                         wire::RowError &error)
{
    std::string names;
    std::string marks;
    Params params;
    QList<int> columns;
    for (int c = 0; c < values.size(); ++c) {
        if (!values[c])
            continue;
        const TableColumn &column = m_schema.columns[c];
        QString problem;
        auto value = postgresFromWire(*values[c], column.declared.type, &problem);
        if (!value) {
            error.code = wire::code::InvalidValue;
            error.message = QStringLiteral("column %1: %2").arg(clientName(c), problem);
            return error;
        }
        // An empty value of a column that may not be empty takes the column's default, as
        // Jet's Yes/No and Number columns would; an identity key gets its next value.
        if (!*value && column.notNull && column.hasDefault)
            continue;
        if (!names.empty()) {
            names += ", ";
            marks += ", ";
        }
        names += quotedColumn(c);
        marks += placeholder(params, std::move(*value));
        columns.append(c);
    }
    std::string sqlText =
        names.empty() ? "INSERT INTO " + quotedTable() + " DEFAULT VALUES"
                      : "INSERT INTO " + quotedTable() + " (" + names + ") VALUES (" + marks + ")";
    std::string returning;
    for (int c : std::as_const(m_locatorColumns))
        returning += (returning.empty() ? " RETURNING " : ", ") + quotedColumn(c);
    sqlText += returning;
    pg::Result inserted;
    try {
        inserted = m_connection.exec(sqlText, params);
    } catch (const pg::Error &failure) {
        return refused(failure, params, columns, error);
    }
    m_insertedKey.clear();
    for (int i = 0; i < m_locatorColumns.size() && inserted.rows() > 0; ++i) {
        const int c = m_locatorColumns[i];
        m_insertedKey.insert(clientName(c), wireFromPostgres(cell(inserted, 0, i),
                                                             m_schema.columns[c].declared.type));
    }
    return std::nullopt;
}

std::optional<wire::RowError> PostgresApplier::modifyRow(const RowValues &oldValues,
                                                         const RowValues &newValues,
                                                         wire::RowError &error)
{
    if (Params probe; !locate(oldValues, probe, error))
        return error;

    Params assignments;
    std::string set;
    QList<int> columns;
    OldValues read; // the values the client read of the columns it changes
    QStringList unreadable;
    bool invalid = false;
    for (int c = 0; c < newValues.size(); ++c) {
        if (!newValues[c])
            continue;
        const TableColumn &column = m_schema.columns[c];
        QString problem;
        if (oldValues[c]) {
            // A value no column of this type holds is not what is stored either.
            if (auto was = postgresFromWire(*oldValues[c], column.declared.type, &problem))
                read.append({c, std::move(*was)});
            else
                unreadable.append(clientName(c));
        }
        auto value = postgresFromWire(*newValues[c], column.declared.type, &problem);
        if (!value) {
            error.code = wire::code::InvalidValue;
            error.message = QStringLiteral("column %1: %2").arg(clientName(c), problem);
            invalid = true;
            break;
        }
        if (!*value && column.notNull && column.hasDefault)
            continue; // see insertRow: the column keeps what it holds
        if (!set.empty())
            set += ", ";
        set += quotedColumn(c) + " = " + placeholder(assignments, std::move(*value));
        columns.append(c);
    }
    // A row that is gone is reported so before a value it could not take, as on SQLite.
    if (invalid)
        return readCurrent(oldValues, {}, nullptr, nullptr) ? error : notFound(error);

    for (int attempt = 0; attempt < WriteAttempts; ++attempt) {
        if (unreadable.isEmpty()) {
            Params params = assignments;
            std::string where = *locate(oldValues, params, error);
            for (const auto &[c, value] : read)
                where +=
                    " AND " + compared(c) + " IS NOT DISTINCT FROM " + placeholder(params, value);
            // The row is changed only as the client read it, in the one statement, so that
            // two sessions changing it at the same time cannot both succeed.
            const std::string sqlText =
                set.empty() ? "SELECT 1 FROM " + quotedTable() + " WHERE " + where
                            : "UPDATE " + quotedTable() + " SET " + set + " WHERE " + where;
            try {
                const pg::Result result = m_connection.exec(sqlText, params);
                if ((set.empty() ? result.rows() : result.affectedRows()) > 0)
                    return std::nullopt;
            } catch (const pg::Error &failure) {
                return refused(failure, params, columns, error);
            }
        }
        QStringList conflicting = unreadable;
        qint64 bytes = 0;
        const auto current = readCurrent(oldValues, read, &conflicting, &bytes);
        if (!current)
            return notFound(error);
        if (conflicting.isEmpty() && attempt + 1 < WriteAttempts)
            continue; // changed back meanwhile
        error.code = wire::code::Conflict;
        error.message = QStringLiteral("the row was changed by another user since it was read "
                                       "(%1)")
                            .arg(conflicting.join(QStringLiteral(", ")));
        if (m_currentRowBytes + bytes <= MaxCurrentRowBytes) {
            error.current = *current;
            m_currentRowBytes += bytes;
        }
        return error;
    }
    return error;
}

std::optional<wire::RowError> PostgresApplier::deleteRow(const RowValues &oldValues,
                                                         wire::RowError &error)
{
    for (int attempt = 0; attempt < WriteAttempts; ++attempt) {
        Params params;
        const auto where = locate(oldValues, params, error);
        if (!where)
            return error;
        try {
            const pg::Result result =
                m_connection.exec("DELETE FROM " + quotedTable() + " WHERE " + *where, params);
            if (result.affectedRows() > 0)
                return std::nullopt;
        } catch (const pg::Error &failure) {
            return refused(failure, params, {}, error);
        }
        // A row without a key that another session changed has moved; it is looked for again.
        if (!readCurrent(oldValues, {}, nullptr, nullptr))
            break;
    }
    return notFound(error);
}

wire::RowError PostgresApplier::refused(const pg::Error &failure, const Params &params,
                                        const QList<int> &columns, wire::RowError &row)
{
    m_statementFailed = true;
    const auto refusal = rowRefusal(failure);
    if (!refusal)
        throwRequestError(failure, savingTookTooLong());
    row.code = refusal->code;
    row.message = refusal->message;
    if (row.code != wire::code::Unique)
        return row;
    // Named with the values this row gave the key, as on SQLite's side.
    const QStringList keyColumns = keyColumnsOf(failure.detail());
    QStringList names;
    QStringList shown;
    for (const QString &name : keyColumns) {
        const int c = m_schema.indexOf(name);
        names.append(c >= 0 ? clientName(c) : name);
        const qsizetype at = columns.indexOf(c);
        if (c >= 0 && at >= 0)
            shown.append(clientName(c) + QStringLiteral(" = ") +
                         shownValue(params[size_t(at)], m_schema.columns[c].declared.type));
    }
    row.message = duplicateKeyMessage(m_schema.name, shown, names);
    return row;
}

} // namespace server
