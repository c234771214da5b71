// Value formatting and the CSV writer.
#include "sql/csv.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace sql {

std::string formatFloat(double value)
{
    if (value == 0)
        return "0";
    if (!std::isfinite(value))
        return std::isnan(value) ? "NaN" : (value > 0 ? "Infinity" : "-Infinity");
    char buffer[40];
    // Whole numbers print without an exponent up to where doubles stop having units.
    if (std::fabs(value) < 1e21 && value == std::trunc(value)) {
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
        return buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string formatValue(ValueType type, sqlite3_value *value)
{
    const int storage = sqlite3_value_type(value);
    if (storage == SQLITE_NULL)
        return {};
    auto text = [&] {
        const auto *t = reinterpret_cast<const char *>(sqlite3_value_text(value));
        return t ? std::string(t, size_t(sqlite3_value_bytes(value))) : std::string();
    };
    switch (type) {
    case ValueType::Boolean:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
            return sqlite3_value_double(value) != 0 ? "1" : "0";
        break;
    case ValueType::DateTime:
        if (storage == SQLITE_TEXT) {
            std::string t = text();
            if (t.size() == 10 && t[4] == '-' && t[7] == '-')
                t += " 00:00:00";
            return t;
        }
        break;
    default:
        break;
    }
    switch (storage) {
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        return formatFloat(sqlite3_value_double(value));
    case SQLITE_BLOB: {
        static const char digits[] = "0123456789ABCDEF";
        const auto *bytes = static_cast<const unsigned char *>(sqlite3_value_blob(value));
        const int size = sqlite3_value_bytes(value);
        std::string hex;
        hex.reserve(size_t(size) * 2);
        for (int i = 0; i < size; ++i) {
            hex += digits[bytes[i] >> 4];
            hex += digits[bytes[i] & 15];
        }
        return hex;
    }
    default:
        return text();
    }
}

std::string formatColumn(ValueType type, sqlite3_stmt *statement, int column)
{
    return formatValue(type, sqlite3_column_value(statement, column));
}

std::string formatPostgresValue(ValueType type, std::string_view text)
{
    switch (type) {
    case ValueType::Boolean:
        if (text == "t" || text == "f")
            return text == "t" ? "1" : "0";
        break;
    case ValueType::Float: {
        const std::string copy(text);
        char *end = nullptr;
        const double value = std::strtod(copy.c_str(), &end);
        if (end && *end == '\0' && !copy.empty())
            return formatFloat(value);
        break;
    }
    case ValueType::Date:
        if (text.size() > 10 && text.substr(10) == " 00:00:00")
            return std::string(text.substr(0, 10));
        break;
    case ValueType::DateTime:
        if (text.size() == 10)
            return std::string(text) + " 00:00:00";
        break;
    case ValueType::Blob:
        if (text.substr(0, 2) == "\\x") {
            std::string hex(text.substr(2));
            for (char &c : hex)
                c = char(std::toupper(static_cast<unsigned char>(c)));
            return hex;
        }
        break;
    default:
        break;
    }
    return std::string(text);
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void CsvRecord::separate()
{
    if (m_ended) {
        m_line.clear();
        m_fields = 0;
        m_ended = false;
    }
    if (m_fields++ > 0)
        m_line += ',';
}

void CsvRecord::addText(std::string_view text)
{
    separate();
    m_line += csvField(text);
    m_emptyText = text.empty();
}

void CsvRecord::addNull()
{
    separate();
    m_emptyText = false;
}

const std::string &CsvRecord::end()
{
    if (m_ended) {
        m_line.clear();
        m_fields = 0;
        m_emptyText = false;
    }
    if (m_fields == 1 && m_emptyText)
        m_line = "\"\"";
    m_line += "\r\n";
    m_ended = true;
    return m_line;
}

void CsvWriter::writeRow(const std::vector<std::string> &fields)
{
    for (const std::string &field : fields)
        m_record.addText(field);
    m_out << m_record.end();
}

void CsvWriter::writeHeader(const std::vector<ColumnInfo> &columns)
{
    std::vector<std::string> names;
    names.reserve(columns.size());
    for (const ColumnInfo &column : columns)
        names.push_back(column.name);
    writeRow(names);
}

long long CsvWriter::writeRows(sqlite3_stmt *statement, const std::vector<ColumnInfo> &columns)
{
    const int count = sqlite3_column_count(statement);
    long long rows = 0;
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            throw Error(sqlite3_errmsg(sqlite3_db_handle(statement)), rc);
        for (int c = 0; c < count; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
                m_record.addNull();
                continue;
            }
            const ValueType type =
                size_t(c) < columns.size() ? columns[size_t(c)].type : ValueType::Unknown;
            m_record.addText(formatColumn(type, statement, c));
        }
        m_out << m_record.end();
        ++rows;
    }
    return rows;
}

void CsvWriter::writeValues(const std::vector<std::optional<std::string>> &values)
{
    for (const std::optional<std::string> &value : values) {
        if (value)
            m_record.addText(*value);
        else
            m_record.addNull();
    }
    m_out << m_record.end();
}

} // namespace sql
