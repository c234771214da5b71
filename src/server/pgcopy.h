// An account-set database copied from SQLite into an empty PostgreSQL database: the functions
// and collation translated SQL needs, every table with its keys, defaults and indexes (each
// column's declared type, with a text's length that is advisory as in SQLite, rides along as the
// column's comment), the views (translated for PostgreSQL), every row, and the schema version. The
// copy is one PostgreSQL transaction and is verified inside it before it commits: each table's row
// count and, column by column, the count of values and their sum (numbers), total length (text and
// bytes) or earliest and latest value (dates) must agree with the SQLite side. Whatever fails,
// the PostgreSQL database is left as it was.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;

namespace pg {
class Connection;
}

namespace server {

struct CopiedTable
{
    std::string name;
    long long rows = 0;
    int checks = 0; // figures compared between the two databases
};

struct CopyReport
{
    std::vector<CopiedTable> tables;
    int views = 0;
    int indexes = 0;
    int schemaVersion = 0;
};

// The table PostgreSQL account sets keep their schema version in (SQLite's user_version).
inline constexpr const char *SchemaVersionTable = "vz_schema";

// Where a PostgreSQL account set keeps the password hashes, apart from AppUser: no client
// statement can name a vz_ table, so the hashes are out of reach of whatever SQL a logged-in
// user sends. AppUser.uPassword holds only whether a password is set.
inline constexpr const char *PasswordTable = "vz_password";

class PostgresCopy
{
public:
    // Progress: a table's name as its rows start to travel.
    using Progress = std::function<void(const std::string &table)>;

    PostgresCopy(sqlite3 *source, pg::Connection &target);

    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Throws std::runtime_error (or pg::Error) naming the table, and where it can the row and
    // column, that could not be copied or did not verify.
    CopyReport run();

private:
    struct Column;
    struct Table;

    std::vector<Table> readTables();
    // Moves the password hashes out of AppUser into their own table.
    void hidePasswords();
    void createTable(const Table &table);
    void copyRows(const Table &table);
    int createIndexes(const Table &table);
    int createViews();
    // kind: TABLE or VIEW.
    void commentColumns(const std::string &relation,
                        const std::vector<std::pair<std::string, std::string>> &declared,
                        const char *kind);
    void resetIdentity(const Table &table);
    // The table's figures compared; its rows and the number of figures.
    CopiedTable verify(const Table &table);

    sqlite3 *m_source;
    pg::Connection &m_target;
    Progress m_progress;
};

} // namespace server
