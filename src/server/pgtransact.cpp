// Several change logs and statements of one request in one PostgreSQL transaction.
#include "server/pgtransact.h"

#include "pg/connection.h"
#include "server/pgapply.h"
#include "server/pgtableschema.h"
#include "server/pgvalues.h"
#include "server/requesterror.h"

#include <libpq-fe.h>

#include <cctype>

namespace server {

namespace {

// A query part runs read-only between these, which also take the read-only setting back.
constexpr const char *QuerySavepoint = "SAVEPOINT vz_query";
constexpr const char *QueryReadOnly = "SET LOCAL transaction_read_only = on";
constexpr const char *QueryRollback = "ROLLBACK TO SAVEPOINT vz_query";
constexpr const char *QueryRelease = "RELEASE SAVEPOINT vz_query";
constexpr std::string_view ReadOnlyTransaction = "25006";

// Rows a statement changed, as sqlite3_changes counts them: not those a select returned.
qint64 changedRows(const pg::Result &result)
{
    const std::string_view status = PQcmdStatus(result.handle());
    for (std::string_view verb : {"INSERT ", "UPDATE ", "DELETE ", "MERGE "}) {
        if (status.substr(0, verb.size()) == verb)
            return result.affectedRows();
    }
    return 0;
}

QString statementTookTooLong()
{
    return QStringLiteral("the statement ran longer than the server's time limit and was stopped");
}

} // namespace

std::vector<std::string_view> splitPostgresScript(std::string_view script)
{
    std::vector<std::string_view> statements;
    size_t start = 0;
    const auto flush = [&](size_t end) {
        std::string_view statement = script.substr(start, end - start);
        const size_t first = statement.find_first_not_of(" \t\r\n");
        if (first != std::string_view::npos) {
            const size_t last = statement.find_last_not_of(" \t\r\n");
            statements.push_back(statement.substr(first, last - first + 1));
        }
        start = end + 1;
    };
    size_t i = 0;
    const size_t n = script.size();
    while (i < n) {
        const char c = script[i];
        if (c == '\'' || c == '"') {
            // Quotes inside are doubled; an E'' string's \' is taken as one too.
            const bool escapes =
                c == '\'' && i > 0 && (script[i - 1] == 'E' || script[i - 1] == 'e');
            ++i;
            while (i < n) {
                if (escapes && script[i] == '\\') {
                    i += 2;
                    continue;
                }
                if (script[i] == c) {
                    if (i + 1 < n && script[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
        } else if (c == '-' && i + 1 < n && script[i + 1] == '-') {
            while (i < n && script[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && script[i + 1] == '*') {
            int depth = 0; // PostgreSQL's block comments nest
            while (i < n) {
                if (script.substr(i, 2) == "/*") {
                    ++depth;
                    i += 2;
                } else if (script.substr(i, 2) == "*/") {
                    i += 2;
                    if (--depth == 0)
                        break;
                } else {
                    ++i;
                }
            }
        } else if (c == '$') {
            // $tag$ ... $tag$, where the tag is empty or a name; $1 is a parameter.
            size_t end = i + 1;
            while (end < n &&
                   (std::isalnum(static_cast<unsigned char>(script[end])) || script[end] == '_'))
                ++end;
            const bool isTag =
                end < n && script[end] == '$' &&
                (end == i + 1 || !std::isdigit(static_cast<unsigned char>(script[i + 1])));
            if (!isTag) {
                ++i;
                continue;
            }
            const std::string_view tag = script.substr(i, end - i + 1);
            const size_t close = script.find(tag, end + 1);
            i = close == std::string_view::npos ? n : close + tag.size();
        } else if (c == ';') {
            flush(i);
            ++i;
        } else {
            ++i;
        }
    }
    if (start < n)
        flush(n);
    return statements;
}

PostgresTransactionRunner::PostgresTransactionRunner(pg::Connection &connection,
                                                     SchemaSource schema, StepHook stepHook)
    : TransactionRunner(std::move(stepHook))
    , m_connection(connection)
    , m_schema(std::move(schema))
{
    if (!m_schema)
        m_schema = [this](const QString &table) {
            try {
                return loadPostgresTableSchema(m_connection, table);
            } catch (const pg::Error &error) {
                throwRequestError(error, statementTookTooLong());
            }
        };
}

void PostgresTransactionRunner::begin()
{
    try {
        m_connection.exec("BEGIN");
    } catch (const pg::Error &error) {
        throwRequestError(error, statementTookTooLong());
    }
}

void PostgresTransactionRunner::commit()
{
    try {
        m_connection.exec("COMMIT");
    } catch (const pg::Error &error) {
        throwRequestError(error, statementTookTooLong());
    }
}

void PostgresTransactionRunner::rollback()
{
    if (!m_connection.inTransaction())
        return;
    try {
        m_connection.exec("ROLLBACK");
    } catch (const pg::Error &) {
        // A lost connection has ended the transaction already.
    }
}

std::unique_ptr<ChangeLogApplier> PostgresTransactionRunner::applierFor(const QString &table)
{
    return std::make_unique<PostgresApplier>(m_connection, m_schema(table));
}

void PostgresTransactionRunner::runQuery(const PreparedPart &part, QVariantList &rows)
{
    try {
        readQuery(part, rows);
    } catch (const pg::Error &error) {
        throwRequestError(error, statementTookTooLong());
    }
}

void PostgresTransactionRunner::readQuery(const PreparedPart &part, QVariantList &rows)
{
    step();
    const std::string_view text(part.sqlText.constData(), size_t(part.sqlText.size()));
    const std::vector<std::string_view> statements = splitPostgresScript(text);
    if (statements.empty())
        throw RequestError(wire::code::Sql, QStringLiteral("the command text is empty"));
    if (statements.size() > 1)
        throw RequestError(wire::code::Sql, QStringLiteral("a query must be a single statement"));
    m_connection.exec(QuerySavepoint);
    m_connection.exec(QueryReadOnly);
    pg::Result result;
    try {
        result = m_connection.exec(
            std::string_view(part.sqlText.constData(), size_t(part.sqlText.size())));
    } catch (const pg::Error &error) {
        if (error.sqlState() != ReadOnlyTransaction)
            throw;
        throw RequestError(wire::code::Sql,
                           QStringLiteral("a query part only reads: use an execute part to "
                                          "change rows"));
    }
    m_connection.exec(QueryRollback);
    m_connection.exec(QueryRelease);
    if (result.rows() > MaxQueryPartRows)
        throw RequestError(wire::code::Limit,
                           QStringLiteral("the query returns more than the %1 rows a part "
                                          "may return")
                               .arg(MaxQueryPartRows));
    QList<ValueType> types;
    for (int column = 0; column < result.columns(); ++column) {
        ValueType type = ValueType::Unknown;
        if (part.translation && size_t(column) < part.translation->columns.size())
            type = toWireType(part.translation->columns[size_t(column)].type);
        if (type == ValueType::Unknown)
            type = wireTypeOfPostgres(result.columnType(column));
        types.append(type);
    }
    for (int r = 0; r < result.rows(); ++r) {
        QVariantList row;
        row.reserve(types.size());
        for (int column = 0; column < types.size(); ++column) {
            const auto text = result.isNull(r, column)
                                  ? std::nullopt
                                  : std::optional<std::string_view>(result.text(r, column));
            row.append(wireFromPostgres(text, types[column]));
        }
        rows.append(QVariant(row));
    }
}

std::optional<wire::RowError> PostgresTransactionRunner::runStatements(const PreparedPart &part,
                                                                       qint64 &count)
{
    const std::string_view script(part.sqlText.constData(), size_t(part.sqlText.size()));
    for (std::string_view statement : splitPostgresScript(script)) {
        step();
        try {
            count += changedRows(m_connection.exec(statement));
        } catch (const pg::Error &error) {
            // A broken key or rule refuses the request, as a row would.
            auto refusal = rowRefusal(error);
            if (!refusal || refusal->code == wire::code::InvalidValue)
                throwRequestError(error, statementTookTooLong());
            return refusal;
        }
    }
    return std::nullopt;
}

} // namespace server
