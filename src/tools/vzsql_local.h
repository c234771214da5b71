// vzsql's local mode: statements run directly on an account-set database file through the
// dialect translator, results printed as CSV.
#pragma once

#include "sql/translator.h"

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

// Runs the request on the database file (created empty when missing). Errors go to `err`
// prefixed with "vzsql: "; the result is the process exit status (0, or 1 after an error).
int runLocal(const std::string &databasePath, const Request &request, std::ostream &out,
             std::ostream &err);

// Without a database only the references can be listed, from the text alone.
int listReferences(const Request &request, std::ostream &out, std::ostream &err);

} // namespace vzsql
