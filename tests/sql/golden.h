// Golden files in the manner of sqllogictest: each record gives the client's SQL, the SQLite
// text it must become and the rows it must return, so adding a case is adding a few lines.
//
//   exec                      SQLite script run as it is (schema, data)
//   statement ok [jet|tsql]   a statement that must translate and run
//   statement error [dialect] the statement, "----", a part of the expected message
//   query [jet|tsql] [rowsort] [sqlite] the query, "----", the translation ("*" skips it), "----",
//                             the typed header "name:Type,...", then the rows as CSV (compared
//                             after sorting with rowsort, for rows whose order is not defined)
//
// "sqlite" marks a record about SQLite's own functions, which the other engines skip. The
// translation is SQLite's; every engine must return the same rows.
// Records end at a blank line; lines starting with '#' between records are comments.
#pragma once

#include "sqltest.h"

#include <string>
#include <vector>

namespace sqltest {

// An engine the golden files run on.
class GoldenEngine
{
public:
    virtual ~GoldenEngine() = default;
    virtual bool isSqlite() const = 0;
    virtual void exec(const std::string &sqliteScript) = 0;
    // Translates and runs one statement; throws sql::Error (or another std::exception).
    virtual Result run(const std::string &text, sql::Dialect dialect) = 0;
};

std::vector<std::string> goldenFiles();
// Runs one file's records on an engine, as gtest failures.
void checkGoldenFile(const std::string &file, GoldenEngine &engine);

} // namespace sqltest
