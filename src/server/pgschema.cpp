// The schema of a PostgreSQL account set, from pg_class and pg_attribute: information_schema
// would answer the same far more slowly.
#include "server/pgschema.h"

#include "pg/connection.h"
#include "server/pgcopy.h"
#include "sql/tokenizer.h"
#include "sql/types.h"

namespace server {

namespace {

// Relations of the current schema, then the session's temporary ones, which hide them. The
// server's own tables (vz_schema, vz_password) are no client's business.
constexpr const char *TableListQuery =
    "SELECT c.relname, c.oid, c.relkind IN ('v', 'm'), "
    "pg_catalog.obj_description(c.oid, 'pg_class') FROM pg_catalog.pg_class c "
    "WHERE c.relkind IN ('r', 'p', 'f', 'v', 'm') AND (c.relnamespace = pg_my_temp_schema() OR "
    "(c.relnamespace = current_schema()::regnamespace AND c.relname NOT LIKE $1)) "
    "ORDER BY c.relnamespace = pg_my_temp_schema() DESC, c.relname";

constexpr const char *ColumnQuery =
    "SELECT a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod), a.attnotnull, "
    "pg_catalog.col_description(a.attrelid, a.attnum), "
    "coalesce(a.attnum = ANY (k.indkey), false) FROM pg_catalog.pg_attribute a "
    "LEFT JOIN pg_catalog.pg_index k ON k.indrelid = a.attrelid AND k.indisprimary "
    "WHERE a.attrelid = $1::oid AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum";

} // namespace

PostgresColumnName describePostgresColumn(std::string_view folded, std::string postgresType,
                                          std::optional<std::string_view> comment)
{
    const sql::PostgresColumnNote note = sql::parsePostgresColumnNote(comment.value_or(""));
    for (std::string_view zone : {" without time zone", " with time zone"}) {
        if (const size_t at = postgresType.find(zone); at != std::string::npos)
            postgresType.erase(at, zone.size());
    }
    if (postgresType == "bytea")
        postgresType = "blob";
    PostgresColumnName column{sql::spelledName(folded, note.spelling), std::move(postgresType)};
    // A comment that is no declared type of this kind was written by someone else.
    if (!note.declared.empty() &&
        sql::mapDeclaredType(note.declared).type == sql::mapDeclaredType(column.declared).type)
        column.declared = note.declared;
    return column;
}

PostgresSchema::PostgresSchema(pg::Connection &connection)
    : m_connection(connection)
{}

PostgresSchema::~PostgresSchema() = default;

// The translator's callers know its errors, not PostgreSQL's: a catalogue that cannot be read
// (a lost connection, a transaction a failed statement aborted) fails the translation.
pg::Result PostgresSchema::readCatalog(const char *query,
                                       const std::vector<std::optional<std::string>> &params)
{
    try {
        return m_connection.exec(query, params);
    } catch (const pg::Error &error) {
        throw sql::Error(std::string("cannot read the schema: ") + error.what());
    }
}

bool PostgresSchema::refreshIfChanged()
{
    if (!m_stale.exchange(false))
        return false;
    m_tables.clear();
    loadTableList();
    return true;
}

void PostgresSchema::loadOnce()
{
    if (!m_loaded)
        loadTableList();
}

void PostgresSchema::loadTableList()
{
    const pg::Result list = readCatalog(TableListQuery, {std::string("vz\\_%")});
    for (int row = 0; row < list.rows(); ++row) {
        Entry entry;
        entry.name = sql::spelledName(list.text(row, 0),
                                      list.isNull(row, 3) ? std::string_view() : list.text(row, 3));
        if (!list.isNull(row, 3) && entry.name == list.text(row, 3))
            m_spelled = true;
        entry.oid = list.text(row, 1);
        entry.isView = list.text(row, 2) == "t";
        std::string key = entry.name;
        m_tables.emplace(std::move(key), std::move(entry));
    }
    m_loaded = true;
}

void PostgresSchema::loadColumns(Entry &entry)
{
    auto info = std::make_unique<sql::TableInfo>();
    info->name = entry.name;
    info->isView = entry.isView;
    const pg::Result columns = readCatalog(ColumnQuery, {entry.oid});
    for (int row = 0; row < columns.rows(); ++row) {
        sql::ColumnInfo column;
        const PostgresColumnName described = describePostgresColumn(
            columns.text(row, 0), std::string(columns.text(row, 1)),
            columns.isNull(row, 3) ? std::nullopt : std::optional(columns.text(row, 3)));
        column.name = described.name;
        column.declaredType = described.declared;
        const sql::DeclaredType declared = sql::mapDeclaredType(described.declared);
        column.type = declared.type;
        column.size = declared.size;
        column.storesReal = declared.realAffinity;
        column.notNull = columns.text(row, 2) == "t";
        column.primaryKey = columns.text(row, 4) == "t";
        column.table = entry.name;
        column.baseColumn = column.name;
        info->columns.push_back(std::move(column));
    }
    info->buildIndex();
    entry.info = std::move(info);
}

const sql::TableInfo *PostgresSchema::find(std::string_view name)
{
    loadOnce();
    auto it = m_tables.find(name);
    if (it == m_tables.end()) {
        loadTableList();
        it = m_tables.find(name);
        if (it == m_tables.end())
            return nullptr;
    }
    if (!it->second.info)
        loadColumns(it->second);
    return it->second.info.get();
}

std::vector<std::string> PostgresSchema::tableNames()
{
    loadOnce();
    std::vector<std::string> names;
    names.reserve(m_tables.size());
    for (const auto &[key, entry] : m_tables)
        names.push_back(entry.name);
    return names;
}

} // namespace server
