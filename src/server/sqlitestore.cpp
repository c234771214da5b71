// An account set in an SQLite file: a writer, readers that keep a cursor's snapshot, and the
// authorizer that guards the stored passwords.
#include "server/sqlitestore.h"

#include "server/accountdb.h"
#include "server/cursor.h"
#include "server/requesterror.h"
#include "server/schema.h"

namespace server {

namespace {

// One statement of the server's own on a connection, finalized however it ends.
class OwnStatement
{
public:
    OwnStatement(sqlite3 *db, const QByteArray &sqlText, const QVariantList &params)
        : m_db(db)
        , m_stmt(prepareSingle(db, sqlText))
    {
        for (int i = 0; i < params.size(); ++i) {
            const QVariant &value = params[i];
            int rc;
            if (value.isNull()) {
                rc = sqlite3_bind_null(m_stmt, i + 1);
            } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
                rc = sqlite3_bind_int64(m_stmt, i + 1, value.toLongLong());
            } else {
                const QByteArray text = value.toString().toUtf8();
                rc = sqlite3_bind_text(m_stmt, i + 1, text.constData(), int(text.size()),
                                       SQLITE_TRANSIENT);
            }
            if (rc != SQLITE_OK) {
                sqlite3_finalize(m_stmt);
                throwSqlError(db, rc);
            }
        }
    }
    ~OwnStatement() { sqlite3_finalize(m_stmt); }
    OwnStatement(const OwnStatement &) = delete;
    OwnStatement &operator=(const OwnStatement &) = delete;

    sqlite3_stmt *get() const { return m_stmt; }
    // True on a row, false at the end; throws when the statement fails.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            throwSqlError(m_db, rc);
        return rc == SQLITE_ROW;
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt;
};

QVariant columnValue(sqlite3_stmt *stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_NULL:
        return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)));
    }
}

} // namespace

SqliteStore::SqliteStore(const QString &path, std::timed_mutex &writeLock, QueryClock &clock,
                         const DatabaseOptions &options)
    : m_db(path, writeLock, clock, options)
{}

SqliteStore::~SqliteStore() = default;

QString SqliteStore::findTable(const QString &name)
{
    return m_db.schema().findTable(name);
}

QStringList SqliteStore::tableNames()
{
    QStringList names;
    const QList<QVariantList> rows =
        readTrusted("SELECT name FROM sqlite_master WHERE type='table' "
                    "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name");
    for (const QVariantList &row : rows)
        names.append(row.value(0).toString());
    return names;
}

sqlite3_stmt *SqliteStore::preparePasswordSafe(sqlite3 *handle, const QByteArray &sqlText,
                                               QList<int> &maskedColumns)
{
    PasswordGuard &guard = m_db.passwordGuard();
    {
        const PasswordGuard::Scope inspect(guard, PasswordGuard::Mode::Inspect);
        sqlite3_stmt *stmt = prepareSingle(handle, sqlText);
        const int reads = guard.reads();
        if (reads == 0)
            return stmt;
        // The stored passwords are read; when only as plain result columns, those show
        // whether a password is set. Any other use reads NULL instead.
        for (int c = 0; c < sqlite3_column_count(stmt); ++c)
            if (PasswordGuard::isPasswordColumn(stmt, c))
                maskedColumns.append(c);
        if (maskedColumns.size() == reads && sqlite3_stmt_readonly(stmt))
            return stmt;
        sqlite3_finalize(stmt);
        maskedColumns.clear();
    }
    return prepareSingle(handle, sqlText);
}

OpenedQuery SqliteStore::open(const QueryRequest &query)
{
    auto reader = m_db.takeReader();
    sqlite3_stmt *stmt = nullptr;
    QList<int> maskedColumns;
    try {
        stmt = preparePasswordSafe(reader->handle(), query.sqlText, maskedColumns);
    } catch (...) {
        m_db.returnReader(std::move(reader));
        throw;
    }
    if (!sqlite3_stmt_readonly(stmt)) {
        // A statement that changes data runs on the writer; it has no rows to show.
        sqlite3_finalize(stmt);
        m_db.returnReader(std::move(reader));
        if (query.beforeWrite)
            query.beforeWrite();
        return {nullptr, m_db.execute({query.sqlText})};
    }
    QList<wire::Field> fields;
    try {
        fields = describeResult(stmt, query.translation, &m_db.schema());
    } catch (...) {
        sqlite3_finalize(stmt);
        m_db.returnReader(std::move(reader));
        throw;
    }
    markForeignFields(fields, query.targetTable);
    auto cursor = std::make_unique<Cursor>(m_db, std::move(reader), stmt, std::move(fields));
    for (int column : std::as_const(maskedColumns))
        cursor->maskPassword(column);
    cursor->peek();
    return {std::move(cursor), 0};
}

int64_t SqliteStore::execute(const QList<QByteArray> &statements, qsizetype *failed)
{
    return m_db.execute(statements, failed);
}

ApplyOutcome SqliteStore::apply(const QString &table, const QList<wire::Change> &changes,
                                int maxErrors)
{
    const auto lock = m_db.lockForWrite();
    ChangeApplier applier(m_db.writer().handle(), m_db.schema().tableSchema(table),
                          &m_db.writerStatements());
    ApplyOutcome outcome = applier.apply(changes, maxErrors);
    m_db.writerStatements().trim();
    return outcome;
}

TransactOutcome SqliteStore::transact(const QList<PreparedPart> &parts,
                                      TransactionRunner::StepHook stepHook)
{
    const auto lock = m_db.lockForWrite();
    SqliteTransactionRunner runner(m_db.writer().handle(), m_db.schema(), &m_db.writerStatements(),
                                   std::move(stepHook));
    TransactOutcome outcome = runner.run(parts);
    m_db.writerStatements().trim();
    return outcome;
}

QList<QVariantList> SqliteStore::readTrusted(const QByteArray &sqlText, const QVariantList &params)
{
    const PasswordGuard::Scope trusted(m_db.passwordGuard(), PasswordGuard::Mode::Trusted);
    auto reader = m_db.takeReader();
    QList<QVariantList> rows;
    try {
        OwnStatement statement(reader->handle(), sqlText, params);
        const int columns = sqlite3_column_count(statement.get());
        while (statement.step()) {
            QVariantList row;
            row.reserve(columns);
            for (int c = 0; c < columns; ++c)
                row.append(columnValue(statement.get(), c));
            rows.append(std::move(row));
        }
    } catch (...) {
        m_db.returnReader(std::move(reader));
        throw;
    }
    m_db.returnReader(std::move(reader));
    return rows;
}

int64_t SqliteStore::writeTrusted(const QByteArray &sqlText, const QVariantList &params)
{
    const PasswordGuard::Scope trusted(m_db.passwordGuard(), PasswordGuard::Mode::Trusted);
    const auto lock = m_db.lockForWrite();
    sqlite3 *handle = m_db.writer().handle();
    OwnStatement statement(handle, sqlText, params);
    statement.step();
    return sqlite3_changes64(handle);
}

QString SqliteStore::storedPassword(qint64 userId)
{
    const QList<QVariantList> rows =
        readTrusted("SELECT uPassword FROM AppUser WHERE ID = ?", {userId});
    return rows.isEmpty() ? QString() : rows.first().value(0).toString();
}

void SqliteStore::storePassword(qint64 userId, const QString &hash)
{
    writeTrusted("UPDATE AppUser SET uPassword = ? WHERE ID = ?", {hash, userId});
}

void SqliteStore::upgrade(const std::function<void(const QString &)> &note)
{
    const PasswordGuard::Scope trusted(m_db.passwordGuard(), PasswordGuard::Mode::Trusted);
    const auto lock = m_db.lockForWrite();
    upgradeAccountDatabase(m_db.writer(), note);
}

} // namespace server
