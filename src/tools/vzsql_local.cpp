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

namespace {

class FileBackend final : public Backend
{
public:
    explicit FileBackend(const std::string &path)
        : m_db(path)
    {
        sqlite3_busy_timeout(m_db.handle(), 5000);
        sql::registerExtensions(m_db.handle());
        m_translator = std::make_unique<sql::Translator>(m_db.handle());
    }

    sql::Translator &translator() override { return *m_translator; }

    void run(const sql::Translation &translation, sql::CsvWriter &csv) override
    {
        sql::Statement statement = m_db.prepare(translation.sql);
        if (statement.columnCount() == 0) {
            while (statement.step()) {
            }
            return;
        }
        csv.writeHeader(translation.columns);
        csv.writeRows(statement.handle(), translation.columns);
    }

private:
    sql::Database m_db;
    std::unique_ptr<sql::Translator> m_translator;
};

} // namespace

std::unique_ptr<Backend> openFile(const std::string &databasePath)
{
    return std::make_unique<FileBackend>(databasePath);
}

int runLocal(const std::function<std::unique_ptr<Backend>()> &open, const Request &request,
             std::ostream &out, std::ostream &err)
{
    size_t index = 0;
    try {
        const std::unique_ptr<Backend> backend = open();
        sql::Translator &translator = backend->translator();
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
            backend->run(*translation, csv);
        }
        if (failures > 0) {
            out.flush();
            return 1;
        }
    } catch (const std::exception &e) {
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
