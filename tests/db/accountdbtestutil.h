// Helpers of the account-set database tests: building sets in temporary folders, reading
// values and the schema back, and the list of columns the client's SQL names.
#pragma once

#include "sql/database.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace dbtest {

// One value of the first row (0, 0.0 or "" when there is none).
int64_t integer(sql::Database &db, const std::string &sqlText);
double real(sql::Database &db, const std::string &sqlText);
std::string text(sql::Database &db, const std::string &sqlText);

// Every row as text, columns joined by '|'.
std::vector<std::string> rows(sql::Database &db, const std::string &sqlText);

struct Column
{
    std::string name;
    std::string declaredType; // upper case
    std::string collation;    // upper case
    bool notNull = false;
    bool primaryKey = false;
    std::string defaultValue;
};

// Tables (not views) of the database, and their columns as SQLite reports them.
std::vector<std::string> tables(sql::Database &db);
std::vector<Column> columns(sql::Database &db, const std::string &table);
bool hasColumn(sql::Database &db, const std::string &table, const std::string &column);
bool hasTableOrView(sql::Database &db, const std::string &name);

// A line of the required-columns file: a table with columns it must have, or (absent) must
// not have.
struct Requirement
{
    std::string table;
    std::vector<std::string> columns;
    bool absent = false;
    int line = 0;
};
std::vector<Requirement> readRequirements(const QString &path);

// The document kinds: number prefix, header table, lines table.
struct DocumentKind
{
    const char *prefix;
    const char *header;
    const char *lines;
};
const std::vector<DocumentKind> &documentKinds();

} // namespace dbtest
