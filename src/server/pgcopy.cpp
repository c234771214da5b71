// The copy of an account set into PostgreSQL.
#include "server/pgcopy.h"

#include "server/passwordguard.h"

#include "pg/connection.h"
#include "pg/quote.h"
#include "sql/database.h"
#include "sql/emitter.h"
#include "sql/pgextensions.h"
#include "sql/target.h"
#include "sql/tokenizer.h"
#include "sql/translator.h"
#include "sql/types.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>
#include <stdexcept>

namespace server {

using sql::ValueType;

struct PostgresCopy::Column
{
    std::string name;
    std::string declared;
    sql::DeclaredType type;
    bool notNull = false;
    std::optional<std::string> defaultValue; // as SQLite holds it: SQL text
    int keyPosition = 0;                     // 1-based place in the primary key, 0 outside it
};

struct PostgresCopy::Table
{
    std::string name;
    std::vector<Column> columns;
    const Column *identity = nullptr; // the integer key PostgreSQL fills as SQLite's rowid does
};

namespace {

std::string pgName(std::string_view name)
{
    return sql::quotePostgresName(name);
}

std::string sqliteName(std::string_view name)
{
    return sql::quoteSqliteIdentifier(name);
}

[[noreturn]] void fail(const std::string &message)
{
    throw std::runtime_error(message);
}

bool isNumber(std::string_view text, bool integral)
{
    if (text.empty())
        return false;
    const std::string copy(text);
    char *end = nullptr;
    if (integral)
        std::strtoll(copy.c_str(), &end, 10);
    else
        std::strtod(copy.c_str(), &end);
    return end && *end == '\0';
}

std::string formatDouble(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

// A value in COPY's text format: backslash escapes for the characters it gives a meaning.
void appendEscaped(std::string &out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
}

sql::Statement prepare(sqlite3 *db, const std::string &text, const std::string &what)
{
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, text.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        fail(what + ": " + sqlite3_errmsg(db));
    return sql::Statement(db, raw);
}

std::string sqliteText(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? std::string(text, size_t(sqlite3_column_bytes(statement, column)))
                : std::string();
}

// One value of a SQLite row as COPY text for its column's PostgreSQL type, or an empty optional
// when the value has no place in that type.
std::optional<std::string> copyValue(ValueType type, sqlite3_stmt *statement, int column)
{
    const int storage = sqlite3_column_type(statement, column);
    if (storage == SQLITE_NULL)
        return "\\N";
    switch (type) {
    case ValueType::Boolean:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
            return sqlite3_column_double(statement, column) != 0 ? "t" : "f";
        return std::nullopt;
    case ValueType::Integer:
        if (storage == SQLITE_INTEGER)
            return std::to_string(sqlite3_column_int64(statement, column));
        if (storage == SQLITE_FLOAT) {
            const double value = sqlite3_column_double(statement, column);
            if (value == std::trunc(value) && std::fabs(value) < 9.2e18)
                return std::to_string((long long)value);
            return std::nullopt;
        }
        if (const std::string text = sqliteText(statement, column); isNumber(text, true))
            return text;
        return std::nullopt;
    case ValueType::Float:
        if (storage == SQLITE_INTEGER)
            return std::to_string(sqlite3_column_int64(statement, column));
        if (storage == SQLITE_FLOAT)
            return formatDouble(sqlite3_column_double(statement, column));
        if (const std::string text = sqliteText(statement, column); isNumber(text, false))
            return text;
        return std::nullopt;
    case ValueType::Date:
    case ValueType::DateTime:
        if (storage != SQLITE_TEXT)
            return std::nullopt;
        return sqliteText(statement, column);
    case ValueType::Blob: {
        static const char digits[] = "0123456789abcdef";
        const auto *bytes =
            static_cast<const unsigned char *>(sqlite3_column_blob(statement, column));
        const int size = sqlite3_column_bytes(statement, column);
        std::string hex = "\\\\x";
        hex.reserve(size_t(size) * 2 + 3);
        for (int i = 0; i < size; ++i) {
            hex += digits[bytes[i] >> 4];
            hex += digits[bytes[i] & 15];
        }
        return hex;
    }
    default: {
        std::string escaped;
        appendEscaped(escaped, sqliteText(statement, column));
        return escaped;
    }
    }
}

// The figures verify() compares for a column: SQLite's and PostgreSQL's spelling of each.
struct Check
{
    std::string sqlite;
    std::string postgres;
    enum Kind { Exact, Number, Date, DateTime } kind;
};

std::vector<Check> columnChecks(const std::string &name, ValueType type)
{
    const std::string s = sqliteName(name);
    const std::string p = pgName(name);
    std::vector<Check> checks{{"count(" + s + ")", "count(" + p + ")", Check::Exact}};
    switch (type) {
    case ValueType::Integer:
        checks.push_back({"sum(" + s + ")", "sum(" + p + ")", Check::Exact});
        break;
    case ValueType::Boolean:
        checks.push_back({"sum(" + s + " <> 0)", "sum(CAST(" + p + " AS integer))", Check::Exact});
        break;
    case ValueType::Float:
        checks.push_back({"sum(" + s + ")", "sum(" + p + ")", Check::Number});
        break;
    case ValueType::Date:
    case ValueType::DateTime: {
        const Check::Kind kind = type == ValueType::Date ? Check::Date : Check::DateTime;
        checks.push_back({"min(" + s + ")", "min(" + p + ")", kind});
        checks.push_back({"max(" + s + ")", "max(" + p + ")", kind});
        break;
    }
    case ValueType::Blob:
        checks.push_back(
            {"sum(length(CAST(" + s + " AS BLOB)))", "sum(octet_length(" + p + "))", Check::Exact});
        break;
    default:
        checks.push_back({"sum(length(" + s + "))", "sum(length(" + p + "))", Check::Exact});
        break;
    }
    return checks;
}

bool sameFigure(const Check &check, const std::string &a, const std::string &b)
{
    switch (check.kind) {
    case Check::Exact: {
        // Empty sums are Null on both sides; PostgreSQL's numeric sums have no fraction here.
        if (a.empty() || b.empty())
            return a == b;
        return std::strtold(a.c_str(), nullptr) == std::strtold(b.c_str(), nullptr);
    }
    case Check::Number: {
        if (a.empty() || b.empty())
            return a == b;
        const double x = std::strtod(a.c_str(), nullptr);
        const double y = std::strtod(b.c_str(), nullptr);
        return std::fabs(x - y) <= 1e-9 * std::max({1.0, std::fabs(x), std::fabs(y)});
    }
    case Check::Date:
        return a.substr(0, 10) == b.substr(0, 10);
    case Check::DateTime: {
        auto full = [](std::string text) {
            if (text.size() == 10)
                text += " 00:00:00";
            return text;
        };
        return full(a) == full(b);
    }
    }
    return false;
}

// SQL text of a SQLite default as PostgreSQL takes it for the column's type.
std::string defaultFor(const std::string &table, const std::string &column, ValueType type,
                       const std::string &value)
{
    std::string text = value;
    while (text.size() > 1 && text.front() == '(' && text.back() == ')')
        text = text.substr(1, text.size() - 2);
    if (isNumber(text, false)) {
        if (type == ValueType::Boolean)
            return std::strtod(text.c_str(), nullptr) != 0 ? "TRUE" : "FALSE";
        return text;
    }
    if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'' &&
        type != ValueType::Boolean)
        return text;
    if (sql::equalsIgnoreCase(text, "null"))
        return "NULL";
    fail("table " + table + ", column " + column + ": the default " + value +
         " has no PostgreSQL form here");
}

} // namespace

PostgresCopy::PostgresCopy(sqlite3 *source, pg::Connection &target)
    : m_source(source)
    , m_target(target)
{}

std::vector<PostgresCopy::Table> PostgresCopy::readTables()
{
    std::vector<Table> tables;
    sql::Statement list = prepare(m_source,
                                  "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                  "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name",
                                  "cannot list the tables");
    while (list.step())
        tables.push_back(Table{list.columnText(0), {}, nullptr});

    for (Table &table : tables) {
        sql::Statement info = prepare(m_source, "PRAGMA table_info(" + sqliteName(table.name) + ")",
                                      "table " + table.name);
        int keyColumns = 0;
        while (info.step()) {
            Column column;
            column.name = info.columnText(1);
            column.declared = info.columnText(2);
            column.type = sql::mapDeclaredType(column.declared);
            column.notNull = info.columnInt(3) != 0;
            if (!info.isNull(4))
                column.defaultValue = info.columnText(4);
            column.keyPosition = int(info.columnInt(5));
            keyColumns += column.keyPosition > 0;
            table.columns.push_back(std::move(column));
        }
        if (keyColumns == 1) {
            for (const Column &column : table.columns) {
                if (column.keyPosition == 1 && column.type.type == ValueType::Integer)
                    table.identity = &column;
            }
        }
    }
    return tables;
}

void PostgresCopy::createTable(const Table &table)
{
    const sql::Target &postgres = sql::Target::of(sql::Engine::Postgres);
    std::string ddl = "CREATE TABLE " + pgName(table.name) + " (";
    std::vector<std::string> key(table.columns.size());
    size_t keyColumns = 0;
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const Column &column = table.columns[i];
        if (i)
            ddl += ", ";
        std::string declared = sql::toLower(column.declared);
        if (const size_t paren = declared.find('('); paren != std::string::npos)
            declared.erase(paren);
        const sql::TypeName type = postgres.columnType(column.type, sql::TypeName{declared, {}},
                                                       &column == table.identity);
        ddl += pgName(column.name) + " " + type.toSql();
        if (column.type.type == ValueType::Text)
            ddl += std::string(" COLLATE ") + postgres.columnCollation();
        if (column.notNull)
            ddl += " NOT NULL";
        if (column.defaultValue && &column != table.identity)
            ddl += " DEFAULT " +
                   defaultFor(table.name, column.name, column.type.type, *column.defaultValue);
        if (&column == table.identity)
            ddl += " PRIMARY KEY";
        if (column.keyPosition > 0) {
            key[size_t(column.keyPosition - 1)] = pgName(column.name);
            ++keyColumns;
        }
    }
    if (keyColumns > 0 && !table.identity) {
        ddl += ", PRIMARY KEY (";
        for (size_t i = 0; i < keyColumns; ++i)
            ddl += (i ? ", " : "") + key[i];
        ddl += ")";
    }
    ddl += ")";
    m_target.exec(ddl);
    std::vector<std::pair<std::string, std::string>> declared;
    for (const Column &column : table.columns)
        declared.emplace_back(column.name, column.declared);
    commentColumns(table.name, declared, "TABLE");
}

// What PostgreSQL's catalogue would not give back: the names as the client spells them, and
// the type each column was declared with in SQLite: the length of a text column, which the
// client shows as the field's size, and the name that decides whether numbers are stored as
// REAL (float) or kept whole (money).
void PostgresCopy::commentColumns(const std::string &relation,
                                  const std::vector<std::pair<std::string, std::string>> &declared,
                                  const char *kind)
{
    std::string script = std::string("COMMENT ON ") + kind + " " + pgName(relation) + " IS " +
                         pg::quoteLiteral(relation) + ";";
    for (const auto &[column, type] : declared)
        script += "COMMENT ON COLUMN " + pgName(relation) + "." + pgName(column) + " IS " +
                  pg::quoteLiteral(sql::postgresColumnNote(type, column)) + ";";
    m_target.exec(script);
}

void PostgresCopy::copyRows(const Table &table)
{
    std::string columns;
    std::string selected;
    for (const Column &column : table.columns) {
        columns += (columns.empty() ? "" : ", ") + pgName(column.name);
        selected += (selected.empty() ? "" : ", ") + sqliteName(column.name);
    }
    sql::Statement rows = prepare(
        m_source, "SELECT " + selected + " FROM " + sqliteName(table.name), "table " + table.name);
    sqlite3_stmt *raw = rows.handle();

    pg::CopyIn copy(m_target, "COPY " + pgName(table.name) + " (" + columns + ") FROM STDIN");
    std::string line;
    long long row = 0;
    while (rows.step()) {
        ++row;
        line.clear();
        for (size_t c = 0; c < table.columns.size(); ++c) {
            const Column &column = table.columns[c];
            auto value = copyValue(column.type.type, raw, int(c));
            if (!value)
                fail("table " + table.name + ", row " + std::to_string(row) + ", column " +
                     column.name + ": the value '" + sqliteText(raw, int(c)) + "' is no " +
                     sql::valueTypeName(column.type.type));
            if (c)
                line += '\t';
            line += *value;
        }
        line += '\n';
        copy.put(line);
    }
    try {
        copy.finish();
    } catch (const pg::Error &error) {
        fail("table " + table.name + ": " + error.what());
    }
}

// SQLite gives a row without a key the largest key plus one, whatever keys were written
// explicitly before (the client numbers its rows itself, max(ID) + 1). The identity follows
// the keys written: after every insert statement it is moved up to the largest key, so that a
// row left to PostgreSQL never takes a key a client wrote. Statement-level, so a bulk insert
// costs one look at the key's index.
constexpr const char *KeepIdentityFunction = R"(
CREATE FUNCTION vz_keep_identity() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
    sequence regclass := pg_get_serial_sequence(quote_ident(TG_TABLE_NAME), TG_ARGV[0]);
    top bigint;
BEGIN
    EXECUTE format('SELECT max(%I) FROM %I', TG_ARGV[0], TG_TABLE_NAME) INTO top;
    IF top > coalesce(pg_sequence_last_value(sequence), 0) THEN
        PERFORM setval(sequence, top);
    END IF;
    RETURN NULL;
END $$)";

void PostgresCopy::resetIdentity(const Table &table)
{
    if (!table.identity)
        return;
    const std::string key = pgName(table.identity->name);
    const std::string next(
        m_target.exec("SELECT coalesce(max(" + key + "), 0) + 1 FROM " + pgName(table.name))
            .text(0, 0));
    m_target.exec("ALTER TABLE " + pgName(table.name) + " ALTER COLUMN " + key + " RESTART WITH " +
                  next);
    m_target.exec("CREATE TRIGGER vz_keep_identity AFTER INSERT ON " + pgName(table.name) +
                  " FOR EACH STATEMENT EXECUTE FUNCTION vz_keep_identity(" +
                  pg::quoteLiteral(sql::toLower(table.identity->name)) + ")");
}

int PostgresCopy::createIndexes(const Table &table)
{
    int created = 0;
    sql::Statement list = prepare(m_source, "PRAGMA index_list(" + sqliteName(table.name) + ")",
                                  "table " + table.name);
    struct Index
    {
        std::string name;
        bool unique;
    };
    std::vector<Index> indexes;
    while (list.step()) {
        if (list.columnText(3) == "pk")
            continue;
        if (list.columnInt(4) != 0)
            fail("table " + table.name + ": the partial index " + list.columnText(1) +
                 " has no copy");
        indexes.push_back({list.columnText(1), list.columnInt(2) != 0});
    }
    for (const Index &index : indexes) {
        sql::Statement columns = prepare(
            m_source, "PRAGMA index_info(" + sqliteName(index.name) + ")", "index " + index.name);
        std::string list;
        while (columns.step()) {
            if (columns.isNull(2))
                fail("index " + index.name + ": an index on an expression has no copy");
            // In the order the translator sorts in (Nulls first), so that a sort can read it.
            list += (list.empty() ? "" : ", ") + pgName(columns.columnText(2)) + " NULLS FIRST";
        }
        // SQLite's automatic indexes of UNIQUE constraints have names PostgreSQL's would not.
        std::string name = index.name;
        if (name.rfind("sqlite_autoindex_", 0) == 0)
            name = table.name + "_unique" + std::to_string(created + 1);
        m_target.exec(std::string(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") +
                      pgName(name) + " ON " + pgName(table.name) + " (" + list + ")");
        ++created;
    }
    return created;
}

int PostgresCopy::createViews()
{
    sql::Statement views =
        prepare(m_source, "SELECT name, sql FROM sqlite_master WHERE type = 'view' ORDER BY rowid",
                "cannot list the views");
    sql::Translator translator(m_source, sql::Engine::Postgres);
    static const std::regex Head(R"(^\s*CREATE\s+(TEMP\w*\s+)?VIEW\s+(IF\s+NOT\s+EXISTS\s+)?)"
                                 R"(("[^"]*"|\[[^\]]*\]|`[^`]*`|\S+)\s+AS\s+)",
                                 std::regex::icase);
    int created = 0;
    while (views.step()) {
        const std::string name = views.columnText(0);
        const std::string text = views.columnText(1);
        std::smatch match;
        if (!std::regex_search(text, match, Head))
            fail("view " + name + ": its definition is not CREATE VIEW ... AS SELECT");
        std::string query = match.suffix();
        while (!query.empty() && (query.back() == ';' || std::isspace((unsigned char)query.back())))
            query.pop_back();
        const auto translation = translator.translate(query, sql::Dialect::Jet);
        m_target.exec("CREATE VIEW " + pgName(name) + " AS " + translation->sql);
        // Only the columns PostgreSQL named as SQLite did: an expression's name may differ.
        const pg::Result named =
            m_target.exec("SELECT attname FROM pg_attribute WHERE attrelid = $1::regclass AND "
                          "attnum > 0 AND NOT attisdropped",
                          {pgName(name)});
        std::vector<std::pair<std::string, std::string>> declared;
        sql::Statement columns =
            prepare(m_source, "PRAGMA table_info(" + sqliteName(name) + ")", "view " + name);
        while (columns.step()) {
            const std::string column = columns.columnText(1);
            for (int row = 0; row < named.rows(); ++row) {
                if (named.text(row, 0) == sql::toLower(column))
                    declared.emplace_back(column, columns.columnText(2));
            }
        }
        commentColumns(name, declared, "VIEW");
        ++created;
    }
    return created;
}

CopiedTable PostgresCopy::verify(const Table &table)
{
    std::vector<Check> checks{{"count(*)", "count(*)", Check::Exact}};
    for (const Column &column : table.columns) {
        for (Check &check : columnChecks(column.name, column.type.type))
            checks.push_back(std::move(check));
    }
    std::string sqliteQuery = "SELECT ";
    std::string pgQuery = "SELECT ";
    for (size_t i = 0; i < checks.size(); ++i) {
        sqliteQuery += (i ? ", " : "") + checks[i].sqlite;
        pgQuery += (i ? ", " : "") + checks[i].postgres;
    }
    sqliteQuery += " FROM " + sqliteName(table.name);
    pgQuery += " FROM " + pgName(table.name);

    sql::Statement source = prepare(m_source, sqliteQuery, "table " + table.name);
    if (!source.step())
        fail("table " + table.name + ": no figures to verify");
    const pg::Result copied = m_target.exec(pgQuery);
    for (size_t i = 0; i < checks.size(); ++i) {
        const std::string a = source.isNull(int(i)) ? std::string() : source.columnText(int(i));
        const std::string b(copied.text(0, int(i)));
        if (!sameFigure(checks[i], a, b))
            fail("table " + table.name + ": the copy does not verify: " + checks[i].sqlite +
                 " is " + (a.empty() ? "Null" : a) + " in SQLite and " + (b.empty() ? "Null" : b) +
                 " in PostgreSQL");
    }
    // The first figure is the row count, which has just agreed.
    return CopiedTable{table.name, std::atoll(std::string(copied.text(0, 0)).c_str()),
                       int(checks.size())};
}

CopyReport PostgresCopy::run()
{
    CopyReport report;
    // One snapshot of the file for the whole copy, whoever writes to it meanwhile.
    const bool ownRead = sqlite3_get_autocommit(m_source) != 0;
    if (ownRead)
        sqlite3_exec(m_source, "BEGIN", nullptr, nullptr, nullptr);
    struct EndRead
    {
        sqlite3 *db;
        bool own;
        ~EndRead()
        {
            if (own)
                sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        }
    } endRead{m_source, ownRead};
    const pg::Result existing =
        m_target.exec("SELECT count(*) FROM pg_tables WHERE schemaname = current_schema()");
    if (std::string(existing.text(0, 0)) != "0")
        fail("the PostgreSQL database already holds tables: an account set is copied into an "
             "empty database only");
    std::vector<Table> tables = readTables();
    int version = 0;
    {
        sql::Statement statement =
            prepare(m_source, "PRAGMA user_version", "cannot read the schema version");
        if (statement.step())
            version = int(statement.columnInt(0));
    }

    m_target.exec("BEGIN");
    try {
        m_target.exec(sql::postgresExtensionsScript());
        m_target.exec(KeepIdentityFunction);
        for (const Table &table : tables) {
            if (m_progress)
                m_progress(table.name);
            createTable(table);
            copyRows(table);
            resetIdentity(table);
            report.indexes += createIndexes(table);
        }
        report.views = createViews();
        m_target.exec(std::string("CREATE TABLE ") + SchemaVersionTable +
                      " (version integer NOT NULL)");
        m_target.exec(std::string("INSERT INTO ") + SchemaVersionTable + " VALUES (" +
                      std::to_string(version) + ")");
        for (const Table &table : tables) {
            report.tables.push_back(verify(table));
        }
        hidePasswords();
        m_target.exec("COMMIT");
    } catch (...) {
        if (m_target.inTransaction())
            m_target.exec("ROLLBACK");
        throw;
    }
    // Without statistics the planner guesses, and a report over the ledger may take minutes.
    m_target.exec("ANALYZE");
    report.schemaVersion = version;
    return report;
}

void PostgresCopy::hidePasswords()
{
    m_target.exec(std::string("CREATE TABLE ") + PasswordTable +
                  " (user_id bigint PRIMARY KEY, hash text NOT NULL)");
    const pg::Result column =
        m_target.exec("SELECT 1 FROM pg_catalog.pg_attribute WHERE attrelid = "
                      "to_regclass('appuser') AND attname = 'upassword' AND NOT attisdropped");
    if (column.rows() == 0)
        return;
    m_target.exec(std::string("INSERT INTO ") + PasswordTable +
                  " SELECT id, upassword FROM appuser WHERE coalesce(upassword, '') <> ''");
    m_target.exec(std::string("UPDATE appuser SET upassword = '") + PasswordGuard::SetMarker +
                  "' WHERE upassword <> ''");
}

} // namespace server
