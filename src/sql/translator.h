// The dialect translator: turns the client's Jet- or T-SQL-dialect text into SQLite SQL,
// typed against the live schema of the database it will run on.
#pragma once

#include "sql/database.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sql {

enum class Dialect { Jet, TSql };

// The database engine translated SQL runs on.
enum class Engine { Sqlite, Postgres };

// Types of values as the client sees them. Dates and date-times travel as such even though
// SQLite stores them as canonical text, and booleans as booleans though stored as 0/1.
enum class ValueType { Unknown, Integer, Float, Text, Date, DateTime, Boolean, Blob };

struct ColumnInfo
{
    std::string name;
    ValueType type = ValueType::Unknown;
    int size = 0;           // declared size of a text column, 0 when unbounded
    std::string table;      // base table of a result column that is a plain column reference
    std::string baseColumn; // its name in that table
    bool primaryKey = false;
    bool notNull = false;
    std::string declaredType; // of a table column: as declared ("varchar(20)", "bit")
    bool storesReal = false;  // of a table column: REAL affinity, every number is stored as REAL
};

// A table (or view) of the live schema. Its columns carry table = the table's name and
// baseColumn = the column's name.
struct TableInfo
{
    std::string name;
    bool isView = false;
    std::vector<ColumnInfo> columns; // in table order

    // A column by name in any case, or null.
    const ColumnInfo *column(std::string_view name) const;
    void buildIndex();

private:
    struct NameHash
    {
        using is_transparent = void;
        size_t operator()(std::string_view name) const;
    };
    struct NameEqual
    {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    std::unordered_map<std::string, size_t, NameHash, NameEqual> m_index; // name -> position
};

enum class StatementKind { Select, Insert, Update, Delete, CreateTable, DropTable, Other };

// A table and column a statement reads or writes ("*" for a star).
struct ColumnReference
{
    std::string table;
    std::string column;
    bool operator==(const ColumnReference &other) const = default;
};

struct Translation
{
    StatementKind kind = StatementKind::Other;
    // The text to run on the engine. For PostgreSQL, CREATE TABLE is a script: the table, then
    // the comments that keep the types its columns were declared with.
    std::string sql;
    std::vector<ColumnInfo> columns; // typed result columns of a query
    // Target of INSERT/UPDATE/DELETE/CREATE/DROP; of a query, the first table its FROM reads,
    // through joins and derived tables: the table its rows are saved to.
    std::string table;
    std::vector<ColumnReference> references; // base-table columns named, in order, no repeats
};

// Text that cannot be translated: a syntax error (with its position and token) or an
// unknown table or column (named in the message).
class TranslateError : public Error
{
public:
    explicit TranslateError(const std::string &message, int position = -1)
        : Error(message)
        , m_position(position)
    {}
    // 1-based position in characters of the offending token, -1 when there is none.
    int position() const { return m_position; }

private:
    int m_position;
};

class SchemaCatalog; // sql/schema.h

// One translator per database connection: it reads that database's schema and notices
// when it changes (tables created at run time are known at once). Translations are cached by
// dialect and text; a schema change empties the cache. Safe to call from several threads.
class Translator
{
public:
    // The schema read from an SQLite database; for PostgreSQL, one that holds the same tables.
    explicit Translator(sqlite3 *db, Engine engine = Engine::Sqlite);
    // The schema read from any source, which the translator owns and asks under its lock only.
    Translator(std::unique_ptr<SchemaCatalog> schema, Engine engine);
    ~Translator();
    Translator(const Translator &) = delete;
    Translator &operator=(const Translator &) = delete;

    std::shared_ptr<const Translation> translate(std::string_view text, Dialect dialect);
    Engine engine() const;
    // Translates without looking into or filling the cache.
    std::shared_ptr<const Translation> translateUncached(std::string_view text, Dialect dialect);

    // The live schema as the translator sees it (empty when there is no such table).
    std::optional<TableInfo> table(std::string_view name);
    std::vector<std::string> tableNames();

    // Whether translations also get the rewrites that only make them faster (on by default;
    // off to compare their results or their speed with the text as written).
    void setOptimize(bool on);

    void clearCache();
    size_t cacheSize() const;
    void setCacheCapacity(size_t entries);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Registers the collation and the functions that translated SQL relies on.
// Must be called on every connection that runs translated SQL.
void registerExtensions(sqlite3 *db);

// The statements of a script in order (';' separates them; it may be left out where the next
// statement plainly starts). Throws TranslateError when the script does not parse.
std::vector<std::string> splitStatements(std::string_view script, Dialect dialect);
// The same as views into script, so that a caller can tell where each statement starts.
std::vector<std::string_view> splitStatementViews(std::string_view script, Dialect dialect);

// The table.column pairs a statement names, worked out from the text alone (no schema): an
// unqualified column is attributed to the only table of its query, or to "" when there are
// several. Translation::references gives the exact list against a live schema.
std::vector<ColumnReference> referencedColumns(std::string_view text, Dialect dialect);

} // namespace sql
