// The SQLite schema: the columns of a table are read the first time a statement names it.
#include "sql/schema.h"

#include "sql/tokenizer.h"
#include "sql/types.h"

namespace sql {

namespace {

sqlite3_stmt *prepare(sqlite3 *db, const char *text)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v3(db, text, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
        throw Error(std::string("cannot read the schema: ") + sqlite3_errmsg(db));
    return stmt;
}

std::string columnText(sqlite3_stmt *stmt, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    return text ? std::string(text) : std::string();
}

struct Resetter
{
    sqlite3_stmt *stmt;
    ~Resetter()
    {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
};

} // namespace

size_t TableInfo::NameHash::operator()(std::string_view name) const
{
    return sql::NameHash()(name);
}

bool TableInfo::NameEqual::operator()(std::string_view a, std::string_view b) const
{
    return equalsIgnoreCase(a, b);
}

const ColumnInfo *TableInfo::column(std::string_view name) const
{
    if (m_index.empty()) {
        for (const ColumnInfo &c : columns) {
            if (equalsIgnoreCase(c.name, name))
                return &c;
        }
        return nullptr;
    }
    auto it = m_index.find(name);
    return it == m_index.end() ? nullptr : &columns[it->second];
}

void TableInfo::buildIndex()
{
    m_index.clear();
    for (size_t i = 0; i < columns.size(); ++i)
        m_index.emplace(columns[i].name, i);
}

SqliteSchema::SqliteSchema(sqlite3 *db)
    : m_db(db)
{
    m_versionMain = prepare(db, "PRAGMA main.schema_version");
    m_versionTemp = prepare(db, "PRAGMA temp.schema_version");
    m_columns = prepare(db, "SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1, ?2)");
}

SqliteSchema::~SqliteSchema()
{
    sqlite3_finalize(m_versionMain);
    sqlite3_finalize(m_versionTemp);
    sqlite3_finalize(m_columns);
}

long long SqliteSchema::readVersion()
{
    long long version = 0;
    for (sqlite3_stmt *stmt : {m_versionMain, m_versionTemp}) {
        Resetter reset{stmt};
        if (sqlite3_step(stmt) == SQLITE_ROW)
            version = version * 1000003 + sqlite3_column_int64(stmt, 0);
    }
    return version;
}

bool SqliteSchema::refreshIfChanged()
{
    const long long version = readVersion();
    if (version == m_version)
        return false;
    m_version = version;
    loadTableList();
    return true;
}

void SqliteSchema::loadTableList()
{
    m_tables.clear();
    for (const char *schema : {"temp", "main"}) {
        const std::string text = std::string("SELECT name, type FROM ") + schema +
                                 ".sqlite_schema WHERE type IN ('table', 'view') AND name NOT "
                                 "LIKE 'sqlite\\_%' ESCAPE '\\'";
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, text.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            throw Error(std::string("cannot read the schema: ") + sqlite3_errmsg(m_db));
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            Entry entry;
            entry.name = columnText(stmt, 0);
            entry.schema = schema;
            entry.isView = columnText(stmt, 1) == "view";
            // A temporary table hides a main one of the same name, as in SQLite.
            std::string key = entry.name;
            m_tables.emplace(std::move(key), std::move(entry));
        }
        sqlite3_finalize(stmt);
    }
}

void SqliteSchema::loadColumns(Entry &entry)
{
    auto info = std::make_unique<TableInfo>();
    info->name = entry.name;
    info->isView = entry.isView;
    Resetter reset{m_columns};
    sqlite3_bind_text(m_columns, 1, entry.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(m_columns, 2, entry.schema.c_str(), -1, SQLITE_TRANSIENT);
    int primaryKeyParts = 0;
    while (sqlite3_step(m_columns) == SQLITE_ROW) {
        ColumnInfo column;
        column.name = columnText(m_columns, 0);
        column.declaredType = columnText(m_columns, 1);
        const DeclaredType declared = mapDeclaredType(column.declaredType);
        column.type = declared.type;
        column.size = declared.size;
        column.storesReal = declared.realAffinity;
        column.notNull = sqlite3_column_int(m_columns, 2) != 0;
        column.primaryKey = sqlite3_column_int(m_columns, 3) != 0;
        primaryKeyParts += column.primaryKey ? 1 : 0;
        column.table = entry.name;
        column.baseColumn = column.name;
        info->columns.push_back(std::move(column));
    }
    // An INTEGER PRIMARY KEY is the rowid: never null even when not declared NOT NULL.
    if (primaryKeyParts == 1) {
        for (ColumnInfo &column : info->columns) {
            if (column.primaryKey && equalsIgnoreCase(column.declaredType, "integer"))
                column.notNull = true;
        }
    }
    info->buildIndex();
    entry.info = std::move(info);
}

const TableInfo *SqliteSchema::find(std::string_view name)
{
    auto it = m_tables.find(name);
    if (it == m_tables.end())
        return nullptr;
    if (!it->second.info)
        loadColumns(it->second);
    return it->second.info.get();
}

std::vector<std::string> SqliteSchema::tableNames()
{
    std::vector<std::string> names;
    names.reserve(m_tables.size());
    for (const auto &[key, entry] : m_tables)
        names.push_back(entry.name);
    return names;
}

} // namespace sql
