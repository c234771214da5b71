// Local mode of vzsql.
#include "tools/vzsql_local.h"

#include "sql/csv.h"
#include "sql/database.h"

namespace vzsql {

namespace {

// Prefixes an error with the statement's number when a script has several.
std::string where(const Request &request, size_t index)
{
    if (request.statements.size() < 2)
        return {};
    return "statement " + std::to_string(index + 1) + ": ";
}

void printReferences(const std::vector<sql::ColumnReference> &references, sql::CsvWriter &csv)
{
    for (const sql::ColumnReference &reference : references)
        csv.writeRow({reference.table, reference.column});
}

} // namespace

int runLocal(const std::string &databasePath, const Request &request, std::ostream &out,
             std::ostream &err)
{
    size_t index = 0;
    try {
        sql::Database db(databasePath);
        sqlite3_busy_timeout(db.handle(), 5000);
        sql::registerExtensions(db.handle());
        sql::Translator translator(db.handle());
        sql::CsvWriter csv(out);
        if (request.action == Action::References)
            csv.writeRow({"table", "column"});

        int failures = 0;
        for (; index < request.statements.size(); ++index) {
            if (request.action == Action::References) {
                // A schema check wants every unknown name, not just the first.
                try {
                    printReferences(
                        translator.translate(request.statements[index], request.dialect)
                            ->references,
                        csv);
                } catch (const sql::Error &e) {
                    out.flush();
                    err << "vzsql: " << where(request, index) << e.what() << '\n';
                    ++failures;
                }
                continue;
            }
            auto translation = translator.translate(request.statements[index], request.dialect);
            if (request.action == Action::Translate) {
                out << translation->sql << '\n';
                continue;
            }
            sql::Statement statement = db.prepare(translation->sql);
            if (statement.columnCount() == 0) {
                while (statement.step()) {
                }
                continue;
            }
            csv.writeHeader(translation->columns);
            csv.writeRows(statement.handle(), translation->columns);
        }
        if (failures > 0) {
            out.flush();
            return 1;
        }
    } catch (const sql::Error &e) {
        out.flush();
        err << "vzsql: " << where(request, index) << e.what() << '\n';
        return 1;
    }
    out.flush();
    return 0;
}

int listReferences(const Request &request, std::ostream &out, std::ostream &err)
{
    sql::CsvWriter csv(out);
    csv.writeRow({"table", "column"});
    int failures = 0;
    for (size_t index = 0; index < request.statements.size(); ++index) {
        try {
            printReferences(sql::referencedColumns(request.statements[index], request.dialect),
                            csv);
        } catch (const sql::Error &e) {
            out.flush();
            err << "vzsql: " << where(request, index) << e.what() << '\n';
            ++failures;
        }
    }
    out.flush();
    return failures > 0 ? 1 : 0;
}

} // namespace vzsql
