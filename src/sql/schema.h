// The translator's view of a database's tables, read from SQLite itself so that tables created
// at run time (report work tables) are known at once.
#pragma once

#include "sql/tokenizer.h"
#include "sql/translator.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sql {

class SchemaCatalog
{
public:
    explicit SchemaCatalog(sqlite3 *db);
    ~SchemaCatalog();
    SchemaCatalog(const SchemaCatalog &) = delete;
    SchemaCatalog &operator=(const SchemaCatalog &) = delete;

    // Re-reads the table list when another statement changed the schema; true when it did.
    bool refreshIfChanged();

    // A table or view by name (any case), or null. Valid until the next refresh.
    const TableInfo *find(std::string_view name);
    std::vector<std::string> tableNames();

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
