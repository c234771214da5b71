// Query results as text: one display form per value type (dates YYYY-MM-DD, date-times
// YYYY-MM-DD HH:MM:SS, numbers without grouping), and CSV after RFC 4180.
#pragma once

#include "sql/translator.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace sql {

// The shortest text that gives the number back to 15 significant digits ("17", "0.1", "-2.5").
std::string formatFloat(double value);

// A stored value as text for its column type; an empty text for NULL. A date-time column
// shows its midnight values with 00:00:00, booleans show 1 or 0.
std::string formatValue(ValueType type, sqlite3_value *value);
std::string formatColumn(ValueType type, sqlite3_stmt *statement, int column);
// The same for a value PostgreSQL gave in its text form (booleans t/f, bytea \x..., dates
// where the column is a date-time, numbers as PostgreSQL writes them).
std::string formatPostgresValue(ValueType type, std::string_view text);

// A field quoted when it holds a comma, a quote or a line break.
std::string csvField(std::string_view text);

// One record, field by field. A NULL is an empty field. A record whose only field is an empty
// text is written "" (as Python's csv module writes it), so that it reads back as a record and
// not as a blank line; a record whose only field is NULL stays empty.
class CsvRecord
{
public:
    void addText(std::string_view text);
    void addNull();
    // The record ended by CRLF. The next field starts a new record.
    const std::string &end();

private:
    void separate();

    std::string m_line;
    int m_fields = 0;
    bool m_emptyText = false; // the last field is an empty text
    bool m_ended = false;
};

class CsvWriter
{
public:
    explicit CsvWriter(std::ostream &out)
        : m_out(out)
    {}

    void writeRow(const std::vector<std::string> &fields);
    void writeHeader(const std::vector<ColumnInfo> &columns);
    // Steps the statement to its end, one line per row, each value formatted for the type of
    // its column. Returns the number of rows.
    long long writeRows(sqlite3_stmt *statement, const std::vector<ColumnInfo> &columns);
    // One record of formatted values; an empty optional is a NULL.
    void writeValues(const std::vector<std::optional<std::string>> &values);

private:
    std::ostream &m_out;
    CsvRecord m_record;
};

} // namespace sql
