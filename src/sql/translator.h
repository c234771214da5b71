// The dialect translator: turns the client's Jet- or T-SQL-dialect text into SQLite SQL,
// typed against the live schema of the database it will run on.
#pragma once

#include "sql/database.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sql {

enum class Dialect { Jet, TSql };

// Types of values as the client sees them. Dates and date-times travel as such even though
// SQLite stores them as canonical text, and booleans as booleans though stored as 0/1.
enum class ValueType { Unknown, Integer, Float, Text, Date, DateTime, Boolean, Blob };

struct ColumnInfo
{
    std::string name;
    ValueType type = ValueType::Unknown;
    int size = 0;            // declared size of a text column, 0 when unbounded
    std::string table;       // base table of a result column that is a plain column reference
    std::string baseColumn;  // its name in that table
    bool primaryKey = false;
    bool notNull = false;
};

enum class StatementKind { Select, Insert, Update, Delete, CreateTable, DropTable, Other };

struct Translation
{
    StatementKind kind = StatementKind::Other;
    std::string sql;                 // the SQLite text to run
    std::vector<ColumnInfo> columns; // typed result columns of a query
    std::string table; // target of INSERT/UPDATE/DELETE/CREATE/DROP; first table of a query's FROM
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
    int position() const { return m_position; }

private:
    int m_position;
};

// One translator per database connection: it reads that database's schema and notices
// when it changes (tables created at run time are known at once).
class Translator
{
public:
    explicit Translator(sqlite3 *db);
    ~Translator();
    Translator(const Translator &) = delete;
    Translator &operator=(const Translator &) = delete;

    std::shared_ptr<const Translation> translate(std::string_view text, Dialect dialect);

private:
    sqlite3 *m_db;
};

// Registers the collation and the functions that translated SQL relies on.
// Must be called on every connection that runs translated SQL.
void registerExtensions(sqlite3 *db);

} // namespace sql
