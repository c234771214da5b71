// Tables of a PostgreSQL account set from pg_catalog.
#include "server/pgtableschema.h"

#include "pg/connection.h"
#include "server/pgcopy.h"
#include "server/pgschema.h"
#include "server/requesterror.h"
#include "sql/types.h"

#include <algorithm>

namespace server {

namespace {

// Temporary tables hide those of the current schema; among names that differ in case only
// (possible when created quoted) the exact spelling wins.
constexpr const char *TableQuery =
    "SELECT c.oid, c.relname, pg_catalog.obj_description(c.oid, 'pg_class') "
    "FROM pg_catalog.pg_class c "
    "WHERE c.relkind IN ('r', 'p', 'f') AND lower(c.relname) = lower($1) "
    "AND c.relname NOT LIKE $2 "
    "AND (c.relnamespace = pg_my_temp_schema() OR "
    "c.relnamespace = current_schema()::regnamespace) "
    "ORDER BY c.relnamespace = pg_my_temp_schema() DESC, c.relname = $1 DESC, "
    "c.relname = lower($1) DESC LIMIT 1";

constexpr const char *ColumnQuery =
    "SELECT a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod), a.attnotnull, "
    "pg_catalog.col_description(a.attrelid, a.attnum), a.atthasdef OR a.attidentity <> '', "
    "coalesce(array_position(k.indkey::int2[], a.attnum) - array_lower(k.indkey::int2[], 1) + 1, "
    "0) "
    "FROM pg_catalog.pg_attribute a "
    "LEFT JOIN pg_catalog.pg_index k ON k.indrelid = a.attrelid AND k.indisprimary "
    "WHERE a.attrelid = $1::oid AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum";

// Unique indexes of one plain column, not partial.
constexpr const char *UniqueQuery =
    "SELECT a.attname FROM pg_catalog.pg_index i JOIN pg_catalog.pg_attribute a "
    "ON a.attrelid = i.indrelid AND a.attnum = i.indkey[0] "
    "WHERE i.indrelid = $1::oid AND i.indisunique AND i.indnkeyatts = 1 AND i.indnatts = 1 "
    "AND i.indpred IS NULL AND i.indexprs IS NULL";

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

TableSchema loadPostgresTableSchema(pg::Connection &connection, const QString &table)
{
    const std::string wanted = table.toStdString();
    // The server's own tables (vz_schema, vz_password) take no client's change log.
    const pg::Result found = connection.exec(TableQuery, {wanted, std::string("vz\\_%")});
    if (found.rows() == 0)
        throw RequestError(wire::code::Sql,
                           QStringLiteral("the account set has no table \"%1\"").arg(table));
    const std::string oid(found.text(0, 0));
    TableSchema schema;
    schema.storedName = qText(found.text(0, 1));
    schema.name = qText(sql::spelledName(found.text(0, 1), found.isNull(0, 2) ? std::string_view()
                                                                              : found.text(0, 2)));

    const pg::Result columns = connection.exec(ColumnQuery, {oid});
    QList<std::pair<int, int>> keyOrder; // (position in key, column)
    for (int row = 0; row < columns.rows(); ++row) {
        TableColumn column;
        const PostgresColumnName described = describePostgresColumn(
            columns.text(row, 0), std::string(columns.text(row, 1)),
            columns.isNull(row, 3) ? std::nullopt : std::optional(columns.text(row, 3)));
        column.storedName = qText(columns.text(row, 0));
        column.name = qText(described.name);
        column.declared = parseDeclaredType(described.declared);
        column.notNull = columns.text(row, 2) == "t";
        column.hasDefault = columns.text(row, 4) == "t";
        const int keyPosition = std::stoi(std::string(columns.text(row, 5)));
        column.primaryKey = keyPosition > 0;
        if (keyPosition > 0)
            keyOrder.append({keyPosition, int(schema.columns.size())});
        schema.positions.insert(column.name.toLower(), int(schema.columns.size()));
        schema.columns.append(column);
    }
    std::sort(keyOrder.begin(), keyOrder.end());
    for (const auto &entry : std::as_const(keyOrder))
        schema.keyColumns.append(entry.second);
    if (schema.keyColumns.size() == 1)
        schema.columns[schema.keyColumns.first()].unique = true;

    const pg::Result unique = connection.exec(UniqueQuery, {oid});
    for (int row = 0; row < unique.rows(); ++row) {
        const int column = schema.indexOf(qText(unique.text(row, 0)));
        if (column >= 0)
            schema.columns[column].unique = true;
    }
    return schema;
}

} // namespace server
