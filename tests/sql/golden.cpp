// The golden-file reader and the loop that checks one file on an engine.
#include "golden.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <sstream>

namespace {

struct Record
{
    int line = 0;
    std::string directive;
    std::vector<std::string> arguments;
    std::vector<std::vector<std::string>> sections; // split at "----"
};

std::vector<std::string> words(const std::string &line)
{
    std::istringstream in(line);
    std::vector<std::string> result;
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

std::vector<Record> parseFile(const std::string &text)
{
    std::vector<Record> records;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    Record *current = nullptr;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!current) {
            if (line.empty() || line[0] == '#')
                continue;
            records.emplace_back();
            current = &records.back();
            current->line = number;
            auto w = words(line);
            current->directive = w.empty() ? std::string() : w.front();
            current->arguments.assign(w.begin() + (w.empty() ? 0 : 1), w.end());
            current->sections.emplace_back();
            continue;
        }
        if (line.empty()) {
            current = nullptr;
            continue;
        }
        if (line == "----")
            current->sections.emplace_back();
        else
            current->sections.back().push_back(line);
    }
    return records;
}

std::string join(const std::vector<std::string> &lines, const char *separator)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += separator;
        text += lines[i];
    }
    return text;
}

sql::Dialect dialectOf(const Record &record)
{
    for (const std::string &argument : record.arguments) {
        if (argument == "tsql")
            return sql::Dialect::TSql;
    }
    return sql::Dialect::Jet;
}

} // namespace

namespace sqltest {

std::vector<std::string> goldenFiles()
{
    std::vector<std::string> files;
    if (DIR *dir = opendir(sqltest::dataPath("golden").c_str())) {
        while (dirent *entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 5 && name.compare(name.size() - 5, 5, ".test") == 0)
                files.push_back(name);
        }
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

void checkGoldenFile(const std::string &file, GoldenEngine &db)
{
    const auto records = parseFile(sqltest::readFile(sqltest::dataPath("golden/" + file)));
    ASSERT_FALSE(records.empty());
    for (const Record &record : records) {
        const std::string where = file + ":" + std::to_string(record.line);
        const std::string sqlText = join(record.sections.front(), "\n");
        const sql::Dialect dialect = dialectOf(record);
        const bool sqliteOnly = std::find(record.arguments.begin(), record.arguments.end(),
                                          "sqlite") != record.arguments.end();
        if (sqliteOnly && !db.isSqlite())
            continue;
        if (record.directive == "exec") {
            db.exec(sqlText);
            continue;
        }
        if (record.directive == "statement") {
            const bool expectError =
                !record.arguments.empty() && record.arguments.front() == "error";
            try {
                db.run(sqlText, dialect);
                EXPECT_FALSE(expectError) << where << ": no error from " << sqlText;
            } catch (const std::exception &e) {
                if (!expectError) {
                    ADD_FAILURE() << where << ": " << e.what();
                } else if (record.sections.size() > 1 && !record.sections[1].empty()) {
                    const std::string expected = record.sections[1].front();
                    EXPECT_NE(std::string(e.what()).find(expected), std::string::npos)
                        << where << ": the message \"" << e.what() << "\" lacks \"" << expected
                        << "\"";
                }
            }
            continue;
        }
        ASSERT_EQ(record.directive, "query") << where;
        ASSERT_EQ(record.sections.size(), 3u) << where << ": a query needs two ---- lines";
        sqltest::Result result;
        try {
            result = db.run(sqlText, dialect);
        } catch (const std::exception &e) {
            ADD_FAILURE() << where << ": " << e.what();
            continue;
        }
        const auto &translation = record.sections[1];
        if (db.isSqlite() && !translation.empty() && translation.front() != "*") {
            EXPECT_EQ(result.translation->sql, join(translation, "\n")) << where;
        }
        const auto &expected = record.sections[2];
        ASSERT_FALSE(expected.empty()) << where << ": the header line is missing";
        EXPECT_EQ(result.header(), expected.front()) << where;
        std::vector<std::string> rows(expected.begin() + 1, expected.end());
        if (std::find(record.arguments.begin(), record.arguments.end(), "rowsort") !=
            record.arguments.end()) {
            std::sort(rows.begin(), rows.end());
            std::sort(result.rows.begin(), result.rows.end());
        }
        EXPECT_EQ(result.rows, rows) << where;
    }
}

} // namespace sqltest
