// Shared helpers of the translator tests.
#include "sqltest.h"

#include "sql/types.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sqltest {

std::string dataPath(const std::string &relative)
{
    return std::string(VZ_SQL_TEST_DIR) + "/" + relative;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::map<std::string, std::string> corpusTexts(const std::string &file)
{
    std::map<std::string, std::string> texts;
    const std::string text = readFile(dataPath("corpus/" + file));
    size_t at = 0;
    while ((at = text.find("\n-- ", at)) != std::string::npos) {
        const size_t labelEnd = text.find('\n', at + 4);
        const size_t end = text.find(";\n", labelEnd);
        if (labelEnd == std::string::npos || end == std::string::npos)
            break;
        texts[text.substr(at + 4, labelEnd - at - 4)] =
            text.substr(labelEnd + 1, end - labelEnd - 1);
        at = labelEnd;
    }
    return texts;
}

std::string Result::header() const
{
    std::string text;
    for (const sql::ColumnInfo &column : translation->columns) {
        if (!text.empty())
            text += ',';
        text += column.name + ":" + sql::valueTypeName(column.type);
    }
    return text;
}

TestDb::TestDb()
    : m_db(":memory:")
{
    sql::registerExtensions(m_db.handle());
    m_translator = std::make_unique<sql::Translator>(m_db.handle());
}

void TestDb::exec(const std::string &sqliteText)
{
    m_db.exec(sqliteText);
}

void TestDb::loadCorpus()
{
    exec(readFile(dataPath("corpus/schema.sql")));
    exec(readFile(dataPath("corpus/data.sql")));
}

void PrintTo(const CorpusFile &corpus, std::ostream *os)
{
    *os << corpus.file << (corpus.dialect == sql::Dialect::Jet ? " (jet)" : " (tsql)");
}

Result TestDb::run(const std::string &text, sql::Dialect dialect)
{
    Result result;
    result.translation = m_translator->translate(text, dialect);
    sql::Statement statement = m_db.prepare(result.translation->sql);
    const int columns = statement.columnCount();
    while (statement.step()) {
        std::string line;
        for (int c = 0; c < columns; ++c) {
            if (c)
                line += ',';
            const sql::ValueType type = size_t(c) < result.translation->columns.size()
                                            ? result.translation->columns[size_t(c)].type
                                            : sql::ValueType::Unknown;
            line += sql::csvField(sql::formatColumn(type, statement.handle(), c));
        }
        result.rows.push_back(std::move(line));
    }
    return result;
}

std::string TestDb::translate(const std::string &text, sql::Dialect dialect)
{
    return m_translator->translate(text, dialect)->sql;
}

std::string TestDb::value(const std::string &text, sql::Dialect dialect)
{
    Result result = run(text, dialect);
    if (result.rows.size() != 1)
        throw std::runtime_error(std::to_string(result.rows.size()) + " rows from " + text);
    return result.rows.front();
}

} // namespace sqltest
