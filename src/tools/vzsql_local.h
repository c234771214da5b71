// vzsql's local mode: statements run directly on an account set's database (its SQLite file,
// or the PostgreSQL database it was copied into) through the dialect translator, results
// printed as CSV.
#pragma once

#include "sql/csv.h"
#include "sql/translator.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace vzsql {

enum class Action {
    Run,        // run the statements, print the results of queries as CSV
    Translate,  // print the SQLite text of each statement
    References, // print the table,column pairs each statement names (all statements, also
                // after an error: a schema check wants every unknown name)
};

// What the command line asked for, whatever the mode.
struct Request
{
    sql::Dialect dialect = sql::Dialect::Jet;
    Action action = Action::Run;
    std::vector<std::string> statements; // in order
};

// The database local mode runs statements on.
class Backend
{
public:
    virtual ~Backend() = default;
    virtual sql::Translator &translator() = 0;
    // Runs one translated statement; a query's header and rows go to csv.
    virtual void run(const sql::Translation &translation, sql::CsvWriter &csv) = 0;
};

// An account-set file (created empty when missing); throws sql::Error.
std::unique_ptr<Backend> openFile(const std::string &databasePath);
// A PostgreSQL account set by its libpq connection string; throws std::exception.
std::unique_ptr<Backend> openPostgres(const std::string &conninfo);

// Runs the request. Errors go to `err` prefixed with "vzsql: "; the result is the process exit
// status (0, or 1 after an error).
int runLocal(const std::function<std::unique_ptr<Backend>()> &open, const Request &request,
             std::ostream &out, std::ostream &err);

// Without a database only the references can be listed, from the text alone.
int listReferences(const Request &request, std::ostream &out, std::ostream &err);

} // namespace vzsql
