// Several change logs and statements of one request in one transaction.
#include "server/transact.h"

#include "server/apply.h"
#include "server/requesterror.h"
#include "server/schema.h"
#include "server/sessiondb.h"
#include "server/storage.h"

#include <memory>

namespace server {

namespace {

using wire::TransactPart;

[[noreturn]] void malformed(int part, const QString &problem)
{
    throw RequestError(wire::code::Protocol, QStringLiteral("part %1: %2").arg(part).arg(problem));
}

bool isText(const QVariant &value)
{
    return value.typeId() == QMetaType::QString;
}

// A text key of a part: absent is empty, anything else than text is malformed.
QString textOf(const QVariantMap &map, QLatin1StringView name, int part)
{
    const auto it = map.constFind(name);
    if (it == map.cend())
        return {};
    if (!isText(*it))
        malformed(part, QStringLiteral("\"%1\" must be text").arg(name));
    return it->toString();
}

TransactPart parseApply(const QVariantMap &map, int part)
{
    TransactPart parsed;
    parsed.kind = TransactPart::Kind::Apply;
    parsed.provider = textOf(map, wire::key::Provider, part);
    if (parsed.provider.isEmpty())
        malformed(part, QStringLiteral("a change log needs \"provider\""));
    parsed.text = textOf(map, wire::key::Text, part);
    const QVariant changes = map.value(wire::key::Changes);
    if (changes.typeId() != QMetaType::QVariantList)
        malformed(part, QStringLiteral("a change log needs \"changes\", an array"));
    const QVariantList list = changes.toList();
    parsed.changes.reserve(list.size());
    for (const QVariant &item : list) {
        const auto change = item.typeId() == QMetaType::QVariantMap
                                ? wire::changeFromMap(item.toMap())
                                : std::nullopt;
        if (!change)
            malformed(part, QStringLiteral("change %1 is no map with a valid kind (insert, modify "
                                           "or delete)")
                                .arg(parsed.changes.size()));
        parsed.changes.append(std::move(*change));
    }
    return parsed;
}

TransactPart parseQuery(const QVariantMap &map, int part)
{
    TransactPart parsed;
    parsed.kind = TransactPart::Kind::Query;
    parsed.text = textOf(map, wire::key::Text, part);
    if (parsed.text.trimmed().isEmpty())
        malformed(part, QStringLiteral("a query part needs \"text\""));
    return parsed;
}

TransactPart parseExecute(const QVariantMap &map, int part)
{
    TransactPart parsed;
    parsed.kind = TransactPart::Kind::Execute;
    parsed.text = textOf(map, wire::key::Text, part);
    if (parsed.text.trimmed().isEmpty())
        malformed(part, QStringLiteral("a statement part needs \"text\""));
    const auto expect = map.constFind(wire::key::ExpectRows);
    if (expect != map.cend() && !expect->isNull()) {
        if (expect->typeId() != QMetaType::LongLong || expect->toLongLong() < 0)
            malformed(part, QStringLiteral("\"expectRows\" must be a whole number, 0 or more"));
        parsed.expectRows = expect->toLongLong();
    }
    return parsed;
}

// A statement that broke a key or a rule refuses the request, as a row would; nullopt for
// any other failure.
std::optional<wire::RowError> constraintRefusal(sqlite3 *db, int rc)
{
    if ((rc & 0xff) != SQLITE_CONSTRAINT)
        return std::nullopt;
    const int extended = sqlite3_extended_errcode(db);
    wire::RowError error;
    error.code = extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY
                     ? QString(wire::code::Unique)
                     : QString(wire::code::Constraint);
    error.message = QString::fromUtf8(sqlite3_errmsg(db));
    return error;
}

int execSql(sqlite3 *db, const char *sqlText)
{
    return sqlite3_exec(db, sqlText, nullptr, nullptr, nullptr);
}

} // namespace

QList<TransactPart> parseTransactParts(const QVariant &parts)
{
    if (parts.typeId() != QMetaType::QVariantList)
        throw RequestError(wire::code::Protocol,
                           QStringLiteral("a transact request needs \"parts\", an array"));
    const QVariantList list = parts.toList();
    if (list.isEmpty())
        throw RequestError(wire::code::Protocol, QStringLiteral("the request has no parts"));
    if (list.size() > MaxTransactParts)
        throw RequestError(wire::code::Limit,
                           QStringLiteral("the request has %1 parts, more than the %2 one request "
                                          "may carry")
                               .arg(list.size())
                               .arg(MaxTransactParts));
    QList<TransactPart> parsed;
    parsed.reserve(list.size());
    for (int i = 0; i < list.size(); ++i) {
        if (list[i].typeId() != QMetaType::QVariantMap)
            malformed(i, QStringLiteral("a part must be a map"));
        const QVariantMap map = list[i].toMap();
        const QString kind = textOf(map, wire::key::Kind, i);
        if (kind == wire::op::Apply)
            parsed.append(parseApply(map, i));
        else if (kind == wire::op::Execute)
            parsed.append(parseExecute(map, i));
        else if (kind == wire::op::Query)
            parsed.append(parseQuery(map, i));
        else
            malformed(i, QStringLiteral("\"kind\" must be \"apply\", \"execute\" or \"query\""));
    }
    return parsed;
}

void TransactionRunner::step()
{
    if (m_stepHook)
        m_stepHook();
}

TransactOutcome TransactionRunner::run(const QList<PreparedPart> &parts)
{
    TransactOutcome outcome;
    outcome.counts = QList<qint64>(parts.size(), 0);
    outcome.results = QList<QVariantList>(parts.size());
    begin();
    int part = 0;
    try {
        for (; part < parts.size(); ++part) {
            std::optional<wire::RowError> refusal;
            switch (parts[part].kind) {
            case TransactPart::Kind::Apply:
                refusal = runApply(parts[part], part, outcome);
                break;
            case TransactPart::Kind::Execute:
                refusal = runExecute(parts[part], outcome.counts[part]);
                break;
            case TransactPart::Kind::Query:
                runQuery(parts[part], outcome.results[part]);
                break;
            }
            if (refusal) {
                rollback();
                refusal->part = part;
                outcome.rolledBack = true;
                outcome.errors.append(*refusal);
                outcome.counts.fill(0);
                outcome.results = QList<QVariantList>(parts.size());
                outcome.inserted.clear();
                return outcome;
            }
        }
        step();
        commit();
        step();
    } catch (const RequestError &e) {
        rollback();
        if (part >= parts.size())
            throw;
        throw RequestError(e.code(), QStringLiteral("part %1: %2").arg(part).arg(e.message()));
    } catch (...) {
        rollback();
        throw;
    }
    return outcome;
}

std::optional<wire::RowError> TransactionRunner::runApply(const PreparedPart &part, int index,
                                                          TransactOutcome &outcome)
{
    const std::unique_ptr<ChangeLogApplier> applier = applierFor(part.table);
    applier->setHooks(
        [this](const wire::Change &, int) -> std::optional<wire::RowError> {
            step();
            return std::nullopt;
        },
        {});
    const ApplyOutcome applied = applier->applyRows(part.changes, 0);
    if (!applied.errors.isEmpty())
        return applied.errors.first();
    outcome.counts[index] = applied.applied;
    for (wire::InsertedRow row : applied.inserted) {
        row.part = index;
        outcome.inserted.append(std::move(row));
    }
    return std::nullopt;
}

std::optional<wire::RowError> TransactionRunner::runExecute(const PreparedPart &part, qint64 &count)
{
    if (auto refusal = runStatements(part, count))
        return refusal;
    if (part.expectRows >= 0 && count != part.expectRows) {
        wire::RowError error;
        error.code = wire::code::Conflict;
        error.message = QStringLiteral("the statements changed %1 rows where %2 were expected: "
                                       "the data changed since it was read")
                            .arg(count)
                            .arg(part.expectRows);
        return error;
    }
    return std::nullopt;
}

SqliteTransactionRunner::SqliteTransactionRunner(sqlite3 *db, SchemaCache &schema,
                                                 StatementCache *statements, StepHook stepHook)
    : TransactionRunner(std::move(stepHook))
    , m_db(db)
    , m_schema(schema)
    , m_statements(statements)
{}

void SqliteTransactionRunner::begin()
{
    const int rc = execSql(m_db, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        throwSqlError(m_db, rc);
}

void SqliteTransactionRunner::commit()
{
    const int rc = execSql(m_db, "COMMIT");
    if (rc != SQLITE_OK)
        throwSqlError(m_db, rc);
}

void SqliteTransactionRunner::rollback()
{
    if (!sqlite3_get_autocommit(m_db))
        execSql(m_db, "ROLLBACK");
}

std::unique_ptr<ChangeLogApplier> SqliteTransactionRunner::applierFor(const QString &table)
{
    return std::make_unique<ChangeApplier>(m_db, m_schema.tableSchema(table), m_statements);
}

void SqliteTransactionRunner::runQuery(const PreparedPart &part, QVariantList &rows)
{
    step();
    sqlite3_stmt *stmt = prepareSingle(m_db, part.sqlText);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> owner(stmt, sqlite3_finalize);
    if (!sqlite3_stmt_readonly(stmt))
        throw RequestError(wire::code::Sql,
                           QStringLiteral("a query part only reads: use an execute part to "
                                          "change rows"));
    const QList<wire::Field> fields = describeResult(stmt, part.translation.get(), &m_schema);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (rows.size() >= MaxQueryPartRows)
            throw RequestError(wire::code::Limit,
                               QStringLiteral("the query returns more than the %1 rows a part "
                                              "may return")
                                   .arg(MaxQueryPartRows));
        QVariantList row;
        row.reserve(fields.size());
        for (int column = 0; column < fields.size(); ++column)
            row.append(toWire(stmt, column, fields[column].type));
        rows.append(QVariant(row));
    }
    if (rc != SQLITE_DONE)
        throwSqlError(m_db, rc);
}

std::optional<wire::RowError> SqliteTransactionRunner::runStatements(const PreparedPart &part,
                                                                     qint64 &count)
{
    std::optional<wire::RowError> refusal;
    forEachStatement(m_db, part.sqlText, [&](sqlite3_stmt *stmt, bool) {
        step();
        // sqlite3_changes keeps the count of the last insert, update or delete through other
        // statements (DDL); the total moves only when this one changed rows.
        const sqlite3_int64 before = sqlite3_total_changes64(m_db);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            refusal = constraintRefusal(m_db, rc);
            if (!refusal)
                throwSqlError(m_db, rc);
            return false;
        }
        if (sqlite3_total_changes64(m_db) != before)
            count += sqlite3_changes(m_db); // the statement's own rows, not its triggers
        return true;
    });
    return refusal;
}

} // namespace server
