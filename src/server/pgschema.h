// The translator's view of a PostgreSQL account set, read from pg_catalog: the tables and views
// of the session's current schema (and its temporary tables, which hide them), each column
// typed as the SQLite side types the same column. An account set copied from SQLite keeps each
// column's declared type as the column's comment, which gives back the type, the text size and
// the affinity exactly; a column without one is typed from its PostgreSQL type.
//
// PostgreSQL has no schema version to watch. A name that is not known makes the table list be
// read again (a table another session created is found); a dropped or altered table goes only
// when the server, having run DDL, calls invalidate(). Names come back as PostgreSQL folded
// them, in lower case.
#pragma once

#include "sql/schema.h"

#include <atomic>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "pg/result.h"

#include <optional>

namespace pg {
class Connection;
}

namespace server {

// A column of a PostgreSQL account set as the client knows it: its name spelled as in SQLite,
// and the type it was declared with there, both kept in its comment; without them PostgreSQL's
// name and its type as a declared type reads (a time zone left out, bytea a blob).
struct PostgresColumnName
{
    std::string name;
    std::string declared;
};
PostgresColumnName describePostgresColumn(std::string_view folded, std::string postgresType,
                                          std::optional<std::string_view> comment);

class PostgresSchema final : public sql::SchemaCatalog
{
public:
    // The connection stays the caller's and must outlive this; both are used under the
    // translator's lock only.
    explicit PostgresSchema(pg::Connection &connection);
    ~PostgresSchema() override;
    PostgresSchema(const PostgresSchema &) = delete;
    PostgresSchema &operator=(const PostgresSchema &) = delete;

    bool refreshIfChanged() override;
    const sql::TableInfo *find(std::string_view name) override;
    std::vector<std::string> tableNames() override;
    // Names keep the spelling they had in SQLite where the copy kept it in comments; the sets
    // copied before that have PostgreSQL's folded names only.
    bool keepsSpelling() const override { return m_spelled; }

    // Forgets every table: the next translation reads the schema again and the translator
    // forgets its translations. Call it after DDL; safe from any thread.
    void invalidate() { m_stale = true; }

private:
    struct Entry
    {
        std::string name;
        std::string oid;
        bool isView = false;
        std::unique_ptr<sql::TableInfo> info; // columns, read on first use
    };

    // Adds the tables not known yet; those known keep their columns, so that a table found
    // earlier in the same translation stays valid: only refreshIfChanged() forgets any.
    void loadTableList();
    void loadOnce();
    void loadColumns(Entry &entry);
    pg::Result readCatalog(const char *query,
                           const std::vector<std::optional<std::string>> &params);

    pg::Connection &m_connection;
    std::atomic<bool> m_stale = true;
    bool m_loaded = false;
    std::atomic<bool> m_spelled = false; // a table's name came with its spelling
    std::unordered_map<std::string, Entry, sql::NameHash, sql::NameEqual> m_tables; // any case
};

} // namespace server
