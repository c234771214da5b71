// Shared helpers of the translator tests: an in-memory database with the extensions registered,
// a translator on it, and results as the CSV lines vzsql prints.
#pragma once

#include "sql/csv.h"
#include "sql/translator.h"

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace sqltest {

// The folder of the test data (corpus, golden files, fuzz corpus).
std::string dataPath(const std::string &relative);
std::string readFile(const std::string &path);
// The texts of a corpus file ("jet.sql", ...) by the label of their "-- label" line.
std::map<std::string, std::string> corpusTexts(const std::string &file);

// A corpus file and the dialect its texts are sent in.
struct CorpusFile
{
    const char *file;
    sql::Dialect dialect;
};
void PrintTo(const CorpusFile &corpus, std::ostream *os);
// Every corpus file in every dialect it is sent in.
inline constexpr CorpusFile CorpusFiles[] = {{"both.sql", sql::Dialect::Jet},
                                             {"both.sql", sql::Dialect::TSql},
                                             {"jet.sql", sql::Dialect::Jet},
                                             {"tsql.sql", sql::Dialect::TSql}};

struct Result
{
    std::shared_ptr<const sql::Translation> translation;
    std::vector<std::string> rows; // CSV lines without the line break
    std::string header() const;    // "name:Type,name:Type"
};

class TestDb
{
public:
    TestDb();
    sqlite3 *handle() const { return m_db.handle(); }
    sql::Translator &translator() { return *m_translator; }

    // Runs SQLite SQL as it is (schema and data set-up).
    void exec(const std::string &sqliteText);
    // The corpus schema and its data.
    void loadCorpus();
    // Translates and runs one statement; throws sql::Error on failure.
    Result run(const std::string &text, sql::Dialect dialect = sql::Dialect::Jet);
    std::string translate(const std::string &text, sql::Dialect dialect = sql::Dialect::Jet);
    // The single value of a one-row, one-column query, as vzsql prints it.
    std::string value(const std::string &text, sql::Dialect dialect = sql::Dialect::Jet);

private:
    sql::Database m_db;
    std::unique_ptr<sql::Translator> m_translator;
};

} // namespace sqltest
