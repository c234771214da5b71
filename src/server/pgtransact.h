// The parts of a transact request run in one transaction of a PostgreSQL account set, with the
// outcome TransactionRunner gives on SQLite.
#pragma once

#include "server/schema.h"
#include "server/transact.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pg {
class Connection;
}

namespace server {

// The statements of a PostgreSQL script, split at the semicolons outside quotes, quoted names,
// dollar quotes and comments; empty ones left out.
std::vector<std::string_view> splitPostgresScript(std::string_view script);

class PostgresTransactionRunner
{
public:
    using StepHook = TransactionRunner::StepHook;
    // The table a change log goes to; throws RequestError when there is none.
    using SchemaSource = std::function<TableSchema(const QString &table)>;

    // Without a schema source, tables are read from the catalogue (loadPostgresTableSchema).
    PostgresTransactionRunner(pg::Connection &connection, SchemaSource schema = {},
                              StepHook stepHook = {});
    PostgresTransactionRunner(const PostgresTransactionRunner &) = delete;
    PostgresTransactionRunner &operator=(const PostgresTransactionRunner &) = delete;

    // Parts' SQL is PostgreSQL's. A refused row or statement rolls everything back and is
    // reported in the outcome; a failure of the transaction itself (a statement that does not
    // run, the time limit, a deadlock, a lost connection) throws RequestError naming the part,
    // and nothing is stored either.
    TransactOutcome run(const QList<PreparedPart> &parts);

private:
    std::optional<wire::RowError> runApply(const PreparedPart &part, int index,
                                           TransactOutcome &outcome);
    std::optional<wire::RowError> runExecute(const PreparedPart &part, qint64 &count);
    void runQuery(const PreparedPart &part, QVariantList &rows);
    void step();
    void rollback();

    pg::Connection &m_connection;
    SchemaSource m_schema;
    StepHook m_stepHook;
};

} // namespace server
