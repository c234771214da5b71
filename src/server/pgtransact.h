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

class PostgresTransactionRunner final : public TransactionRunner
{
public:
    // The table a change log goes to; throws RequestError when there is none.
    using SchemaSource = std::function<TableSchema(const QString &table)>;

    // Parts' SQL is PostgreSQL's. Without a schema source, tables are read from the catalogue
    // (loadPostgresTableSchema).
    PostgresTransactionRunner(pg::Connection &connection, SchemaSource schema = {},
                              StepHook stepHook = {});

private:
    void begin() override;
    void commit() override;
    void rollback() override;
    std::unique_ptr<ChangeLogApplier> applierFor(const QString &table) override;
    std::optional<wire::RowError> runStatements(const PreparedPart &part, qint64 &count) override;
    void runQuery(const PreparedPart &part, QVariantList &rows) override;
    void readQuery(const PreparedPart &part, QVariantList &rows);

    pg::Connection &m_connection;
    SchemaSource m_schema;
};

} // namespace server
