// The translator's view of a database's tables, read from the database itself so that tables
// created at run time (report work tables) are known at once.
#pragma once

#include "sql/tokenizer.h"
#include "sql/translator.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sql {

// The tables and views of one database, as the binder, the lowering and the rewrites ask for
// them. Used under the translator's lock only.
class SchemaCatalog
{
public:
    virtual ~SchemaCatalog() = default;

    // Re-reads the table list when the schema changed since the last call; true when it did
    // (the translator then forgets its translations).
    virtual bool refreshIfChanged() = 0;

    // A table or view by name (any case), or null. Valid until the next refresh or change.
    virtual const TableInfo *find(std::string_view name) = 0;
    virtual std::vector<std::string> tableNames() = 0;

    // Whether names come back spelled as their creator wrote them. Where the engine folded
    // them, a query's result column keeps the spelling the query gives it.
    virtual bool keepsSpelling() const { return true; }
};

// The schema of an SQLite database, read through sqlite_schema and pragma_table_info; its
// version counters tell when another statement changed it.
class SqliteSchema final : public SchemaCatalog
{
public:
    explicit SqliteSchema(sqlite3 *db);
    ~SqliteSchema() override;
    SqliteSchema(const SqliteSchema &) = delete;
    SqliteSchema &operator=(const SqliteSchema &) = delete;

    bool refreshIfChanged() override;
    const TableInfo *find(std::string_view name) override;
    std::vector<std::string> tableNames() override;

private:
    struct Entry
    {
        std::string name;
        std::string schema; // "main" or "temp"
        bool isView = false;
        std::unique_ptr<TableInfo> info; // columns, read on first use
    };

    long long readVersion();
    void loadTableList();
    void loadColumns(Entry &entry);

    sqlite3 *m_db;
    long long m_version = -1;
    std::unordered_map<std::string, Entry, NameHash, NameEqual> m_tables; // by name, any case
    sqlite3_stmt *m_versionMain = nullptr;
    sqlite3_stmt *m_versionTemp = nullptr;
    sqlite3_stmt *m_columns = nullptr;
};

} // namespace sql
