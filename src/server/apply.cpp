// Change logs applied to one table in one transaction, with conflict detection.
#include "server/apply.h"

#include "server/requesterror.h"

#include <QStringList>

namespace server {

namespace {

QString shownValue(const StoredValue &value)
{
    switch (value.kind) {
    case StoredValue::Kind::Null:
        return QStringLiteral("NULL");
    case StoredValue::Kind::Integer:
        return QString::number(value.integer);
    case StoredValue::Kind::Real:
        return realText(value.real);
    case StoredValue::Kind::Text:
        return QLatin1Char('\'') + QString::fromUtf8(value.bytes) + QLatin1Char('\'');
    case StoredValue::Kind::Blob:
        return QStringLiteral("(binary)");
    }
    return {};
}

// The rows as stored go back with the conflicts they caused, so that the user can reconcile
// them; past this much, in a change log of many conflicts on large rows, the rest go back
// without (the client reads them again), or the reply would grow without bound.
constexpr qint64 MaxCurrentRowBytes = 16 * 1024 * 1024;

qint64 bytesOf(const QList<StoredValue> &row)
{
    qint64 bytes = 0;
    for (const StoredValue &value : row)
        bytes += 64 + value.bytes.size() * 2;
    return bytes;
}

// Runs a statement that must succeed for the transaction to make sense.
int execSql(sqlite3 *db, const char *sqlText)
{
    return sqlite3_exec(db, sqlText, nullptr, nullptr, nullptr);
}

} // namespace

StatementCache::~StatementCache()
{
    for (sqlite3_stmt *stmt : std::as_const(m_statements))
        sqlite3_finalize(stmt);
}

sqlite3_stmt *StatementCache::statement(const QByteArray &sqlText, int *rc)
{
    *rc = SQLITE_OK;
    if (sqlite3_stmt *kept = m_statements.value(sqlText)) {
        sqlite3_reset(kept);
        sqlite3_clear_bindings(kept);
        return kept;
    }
    sqlite3_stmt *stmt = nullptr;
    *rc = sqlite3_prepare_v3(m_db, sqlText.constData(), int(sqlText.size()),
                             SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (*rc != SQLITE_OK)
        return nullptr;
    m_statements.insert(sqlText, stmt);
    return stmt;
}

void StatementCache::trim()
{
    if (m_statements.size() <= MaxStatements)
        return;
    for (sqlite3_stmt *stmt : std::as_const(m_statements))
        sqlite3_finalize(stmt);
    m_statements.clear();
}

QString duplicateKeyMessage(const QString &table, const QStringList &shown,
                            const QStringList &keyColumns)
{
    return QStringLiteral("duplicate key: table %1 already has a row with %2 (unique key %3)")
        .arg(table,
             shown.isEmpty() ? QStringLiteral("the same values") : shown.join(QStringLiteral(", ")),
             keyColumns.join(QStringLiteral(", ")));
}

ChangeLogApplier::ChangeLogApplier(TableSchema schema)
    : m_schema(std::move(schema))
{
    m_locatorColumns = m_schema.keyColumns;
    if (m_locatorColumns.isEmpty()) {
        const int id = m_schema.indexOf(QStringLiteral("ID"));
        if (id >= 0)
            m_locatorColumns.append(id);
    }
}

void ChangeLogApplier::setHooks(BeforeRow before, AfterRow after)
{
    m_before = std::move(before);
    m_after = std::move(after);
}

ApplyOutcome ChangeLogApplier::applyRows(const QList<wire::Change> &changes, int maxErrors)
{
    ApplyOutcome outcome;
    m_currentRowBytes = 0;
    startRows(maxErrors);
    for (int i = 0; i < changes.size(); ++i) {
        std::optional<wire::RowError> error;
        if (m_before)
            error = m_before(changes[i], i);
        if (!error)
            error = applyOne(changes[i], i);
        if (m_after)
            m_after(i, !error);
        if (!error) {
            ++outcome.applied;
            if (changes[i].kind == wire::ChangeKind::Insert)
                outcome.inserted.append({i, insertedKeyOf(changes[i]), -1});
            continue;
        }
        outcome.errors.append(*error);
        if (maxErrors >= 0 && outcome.errors.size() > maxErrors) {
            outcome.applied = 0;
            outcome.rolledBack = true;
            outcome.inserted.clear();
            return outcome;
        }
    }
    return outcome;
}

ChangeLogApplier::RowValues ChangeLogApplier::alignValues(const QVariantMap &values,
                                                          QList<QString> *spellings) const
{
    RowValues aligned(m_schema.columns.size());
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const int column = m_schema.indexOf(it.key());
        if (column < 0) // display and calculated columns are not the table's
            continue;
        aligned[column] = it.value();
        if (spellings && (*spellings)[column].isEmpty())
            (*spellings)[column] = it.key();
    }
    return aligned;
}

std::optional<QList<int>> ChangeLogApplier::locatorColumns(const RowValues &oldValues,
                                                           wire::RowError &error) const
{
    QList<int> columns = m_locatorColumns;
    if (columns.isEmpty()) {
        for (int c = 0; c < oldValues.size(); ++c)
            if (oldValues[c])
                columns.append(c);
    }
    if (columns.isEmpty()) {
        error.code = wire::code::InvalidValue;
        error.message = QStringLiteral("the change does not say which row of %1 it concerns")
                            .arg(m_schema.name);
        return std::nullopt;
    }
    return columns;
}

ChangeApplier::ChangeApplier(sqlite3 *db, TableSchema schema, StatementCache *statements)
    : ChangeLogApplier(std::move(schema))
    , m_db(db)
    , m_ownStatements(statements ? nullptr : std::make_unique<StatementCache>(db))
    , m_statements(statements ? statements : m_ownStatements.get())
{}

ChangeApplier::~ChangeApplier() = default;

QByteArray ChangeApplier::quotedTable() const
{
    return quotedName(m_schema.name);
}

QByteArray ChangeApplier::quotedColumn(int column) const
{
    return quotedName(m_schema.columns[column].name);
}

sqlite3_stmt *ChangeApplier::statement(const QByteArray &sqlText)
{
    int rc = SQLITE_OK;
    sqlite3_stmt *stmt = m_statements->statement(sqlText, &rc);
    if (!stmt)
        throwFatal(rc);
    return stmt;
}

void ChangeApplier::throwFatal(int rc)
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    switch (rc & 0xff) {
    case SQLITE_INTERRUPT:
        throw RequestError(wire::code::Timeout,
                           QStringLiteral("saving the changes took too long and was stopped"));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw RequestError(wire::code::Busy,
                           QStringLiteral("the database stayed locked: %1").arg(message));
    default:
        throw RequestError(wire::code::Sql, message);
    }
}

ApplyOutcome ChangeApplier::apply(const QList<wire::Change> &changes, int maxErrors)
{
    const int rc = execSql(m_db, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        throwFatal(rc);
    try {
        ApplyOutcome outcome = applyRows(changes, maxErrors);
        if (outcome.rolledBack) {
            execSql(m_db, "ROLLBACK");
            return outcome;
        }
        const int commit = execSql(m_db, "COMMIT");
        if (commit != SQLITE_OK)
            throwFatal(commit);
        return outcome;
    } catch (...) {
        if (!sqlite3_get_autocommit(m_db))
            execSql(m_db, "ROLLBACK");
        throw;
    }
}

QVariantMap ChangeApplier::insertedKeyOf(const wire::Change &change)
{
    return insertedKey(alignValues(change.newValues));
}

std::optional<wire::RowError> ChangeApplier::applyOne(const wire::Change &change, int index)
{
    wire::RowError error;
    error.index = index;
    error.kind = change.kind;
    switch (change.kind) {
    case wire::ChangeKind::Insert:
        return insertRow(alignValues(change.newValues), error);
    case wire::ChangeKind::Modify:
        return modifyRow(alignValues(change.oldValues), alignValues(change.newValues), error);
    case wire::ChangeKind::Delete:
        return deleteRow(alignValues(change.oldValues), error);
    }
    return std::nullopt;
}

std::optional<wire::RowError> ChangeApplier::insertRow(const RowValues &values,
                                                       wire::RowError &error)
{
    QByteArray names;
    QByteArray marks;
    QList<StoredValue> stored;
    QList<int> columns;
    for (int c = 0; c < values.size(); ++c) {
        if (!values[c])
            continue;
        const TableColumn &column = m_schema.columns[c];
        QString problem;
        const auto value = toStored(*values[c], column.declared.type, &problem);
        if (!value) {
            error.code = wire::code::InvalidValue;
            error.message = QStringLiteral("column %1: %2").arg(column.name, problem);
            return error;
        }
        // An empty value of a column that may not be empty takes the column's default, as
        // Jet's Yes/No and Number columns would.
        if (value->isNull() && column.notNull && column.hasDefault)
            continue;
        if (!names.isEmpty()) {
            names += ',';
            marks += ',';
        }
        names += quotedColumn(c);
        marks += '?';
        stored.append(*value);
        columns.append(c);
    }
    const QByteArray sqlText = names.isEmpty() ? "INSERT INTO " + quotedTable() + " DEFAULT VALUES"
                                               : "INSERT INTO " + quotedTable() + " (" + names +
                                                     ") VALUES (" + marks + ")";
    return runWrite(sqlText, stored, columns, error);
}

std::optional<ChangeApplier::Locator> ChangeApplier::locate(const RowValues &oldValues,
                                                            wire::RowError &error)
{
    Locator locator;
    const std::optional<QList<int>> found = locatorColumns(oldValues, error);
    if (!found)
        return std::nullopt;
    const QList<int> &columns = *found;
    for (int c : columns) {
        const TableColumn &column = m_schema.columns[c];
        if (!oldValues[c]) {
            error.code = wire::code::InvalidValue;
            error.message = QStringLiteral("the change does not carry the key column %1 of %2")
                                .arg(column.name, m_schema.name);
            return std::nullopt;
        }
        QString problem;
        const auto value = toStored(*oldValues[c], column.declared.type, &problem);
        if (!value) {
            error.code = wire::code::InvalidValue;
            error.message = QStringLiteral("column %1: %2").arg(column.name, problem);
            return std::nullopt;
        }
        if (!locator.where.isEmpty())
            locator.where += " AND ";
        locator.where += quotedColumn(c);
        if (value->isNull()) {
            locator.where += " IS NULL";
        } else {
            locator.where += "=?";
            locator.values.append(*value);
        }
    }
    if (m_locatorColumns.isEmpty()) {
        // Without a key the first row with all the old values stands for the row.
        locator.where =
            "rowid=(SELECT rowid FROM " + quotedTable() + " WHERE " + locator.where + " LIMIT 1)";
    }
    return locator;
}

QVariantMap ChangeApplier::insertedKey(const RowValues &values)
{
    QVariantMap key;
    if (m_locatorColumns.isEmpty())
        return key;
    QByteArray columns;
    for (int c : std::as_const(m_locatorColumns)) {
        if (!columns.isEmpty())
            columns += ',';
        columns += quotedColumn(c);
    }
    // Read back rather than echoed: the server may have chosen the key, and a key given as
    // text is stored as the number its column holds.
    int rc = SQLITE_OK;
    sqlite3_stmt *stmt = m_statements->statement(
        "SELECT " + columns + " FROM " + quotedTable() + " WHERE _rowid_=?", &rc);
    if (stmt) {
        sqlite3_bind_int64(stmt, 1, sqlite3_last_insert_rowid(m_db));
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            for (int i = 0; i < m_locatorColumns.size(); ++i) {
                const TableColumn &column = m_schema.columns[m_locatorColumns[i]];
                key.insert(column.name, toWire(stmt, i, column.declared.type));
            }
        }
        sqlite3_reset(stmt);
        if (rc == SQLITE_ROW)
            return key;
    }
    // A table without rowid: its key was in the row as sent.
    for (int c : std::as_const(m_locatorColumns)) {
        if (values[c])
            key.insert(m_schema.columns[c].name, *values[c]);
    }
    return key;
}

bool ChangeApplier::readCurrent(const Locator &locator, QList<StoredValue> &stored,
                                QVariantMap &current)
{
    QByteArray columns;
    for (int c = 0; c < m_schema.columns.size(); ++c) {
        if (c)
            columns += ',';
        columns += quotedColumn(c);
    }
    sqlite3_stmt *stmt =
        statement("SELECT " + columns + " FROM " + quotedTable() + " WHERE " + locator.where);
    for (int i = 0; i < locator.values.size(); ++i)
        locator.values[i].bind(stmt, i + 1);
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        throwFatal(rc);
    for (int c = 0; c < m_schema.columns.size(); ++c) {
        stored.append(StoredValue::fromColumn(stmt, c));
        current.insert(m_schema.columns[c].name,
                       toWire(stmt, c, m_schema.columns[c].declared.type));
    }
    sqlite3_reset(stmt);
    return true;
}

std::optional<wire::RowError> ChangeApplier::modifyRow(const RowValues &oldValues,
                                                       const RowValues &newValues,
                                                       wire::RowError &error)
{
    const auto locator = locate(oldValues, error);
    if (!locator)
        return error;
    QList<StoredValue> stored;
    QVariantMap current;
    if (!readCurrent(*locator, stored, current)) {
        error.code = wire::code::NotFound;
        error.message = QStringLiteral("the row was deleted by another user since it was read");
        return error;
    }

    QByteArray assignments;
    QList<StoredValue> values;
    QList<int> columns;
    QStringList conflicting;
    for (int c = 0; c < newValues.size(); ++c) {
        if (!newValues[c])
            continue;
        const TableColumn &column = m_schema.columns[c];
        QString problem;
        if (oldValues[c]) {
            // The column as this client read it must still be stored that way.
            const auto was = toStored(*oldValues[c], column.declared.type, &problem);
            if (!was || !was->sameAs(canonicalStored(stored[c], column.declared.type)))
                conflicting.append(column.name);
        }
        auto value = toStored(*newValues[c], column.declared.type, &problem);
        if (!value) {
            error.code = wire::code::InvalidValue;
            error.message = QStringLiteral("column %1: %2").arg(column.name, problem);
            return error;
        }
        if (value->isNull() && column.notNull && column.hasDefault)
            continue; // see insertRow: the column keeps what it holds
        if (!assignments.isEmpty())
            assignments += ',';
        assignments += quotedColumn(c) + "=?";
        values.append(*value);
        columns.append(c);
    }
    if (!conflicting.isEmpty()) {
        error.code = wire::code::Conflict;
        error.message = QStringLiteral("the row was changed by another user since it was read "
                                       "(%1)")
                            .arg(conflicting.join(QStringLiteral(", ")));
        const qint64 bytes = bytesOf(stored);
        if (m_currentRowBytes + bytes <= MaxCurrentRowBytes) {
            error.current = current;
            m_currentRowBytes += bytes;
        }
        return error;
    }
    if (assignments.isEmpty())
        return std::nullopt;
    values += locator->values;
    return runWrite("UPDATE " + quotedTable() + " SET " + assignments + " WHERE " + locator->where,
                    values, columns, error);
}

std::optional<wire::RowError> ChangeApplier::deleteRow(const RowValues &oldValues,
                                                       wire::RowError &error)
{
    const auto locator = locate(oldValues, error);
    if (!locator)
        return error;
    QList<StoredValue> stored;
    QVariantMap current;
    if (!readCurrent(*locator, stored, current)) {
        error.code = wire::code::NotFound;
        error.message = QStringLiteral("the row was deleted by another user since it was read");
        return error;
    }
    return runWrite("DELETE FROM " + quotedTable() + " WHERE " + locator->where, locator->values,
                    {}, error);
}

std::optional<wire::RowError> ChangeApplier::runWrite(const QByteArray &sqlText,
                                                      const QList<StoredValue> &values,
                                                      const QList<int> &columns,
                                                      wire::RowError &error)
{
    sqlite3_stmt *stmt = statement(sqlText);
    for (int i = 0; i < values.size(); ++i)
        values[i].bind(stmt, i + 1);
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc == SQLITE_DONE)
        return std::nullopt;
    const int extended = sqlite3_extended_errcode(m_db);
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    if ((rc & 0xff) != SQLITE_CONSTRAINT && (rc & 0xff) != SQLITE_MISMATCH &&
        (rc & 0xff) != SQLITE_TOOBIG && (rc & 0xff) != SQLITE_RANGE)
        throwFatal(rc);
    if (extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY) {
        // SQLite names the key as "T.A, T.B"; name it with the values this row gave it.
        const QString keyText = message.section(QStringLiteral(": "), 1);
        QStringList keyColumns;
        QStringList shown;
        for (const QString &qualified : keyText.split(QStringLiteral(", "))) {
            const QString name = qualified.section(QLatin1Char('.'), -1);
            keyColumns.append(name);
            const int c = m_schema.indexOf(name);
            const int at = columns.indexOf(c);
            if (c >= 0 && at >= 0)
                shown.append(name + QStringLiteral(" = ") + shownValue(values[at]));
        }
        error.code = wire::code::Unique;
        error.message = duplicateKeyMessage(m_schema.name, shown, keyColumns);
        return error;
    }
    error.code = (rc & 0xff) == SQLITE_CONSTRAINT ? QString(wire::code::Constraint)
                                                  : QString(wire::code::InvalidValue);
    error.message = message;
    return error;
}

} // namespace server
