#include "pg/result.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstring>
#include <stdexcept>

namespace pg {

void Result::Clear::operator()(PGresult *result) const
{
    PQclear(result);
}

Result::Result(PGresult *result)
    : m_result(result)
{}

int Result::rows() const
{
    return m_result ? PQntuples(m_result.get()) : 0;
}

int Result::columns() const
{
    return m_result ? PQnfields(m_result.get()) : 0;
}

void Result::checkColumn(int column) const
{
    if (column < 0 || column >= columns())
        throw std::out_of_range("pg::Result: column " + std::to_string(column) + " of " +
                                std::to_string(columns()));
}

void Result::checkCell(int row, int column) const
{
    checkColumn(column);
    if (row < 0 || row >= rows())
        throw std::out_of_range("pg::Result: row " + std::to_string(row) + " of " +
                                std::to_string(rows()));
}

bool Result::isNull(int row, int column) const
{
    checkCell(row, column);
    return PQgetisnull(m_result.get(), row, column) != 0;
}

std::string_view Result::text(int row, int column) const
{
    checkCell(row, column);
    return {PQgetvalue(m_result.get(), row, column),
            static_cast<size_t>(PQgetlength(m_result.get(), row, column))};
}

std::string Result::columnName(int column) const
{
    checkColumn(column);
    return PQfname(m_result.get(), column);
}

unsigned Result::columnType(int column) const
{
    checkColumn(column);
    return PQftype(m_result.get(), column);
}

long long Result::affectedRows() const
{
    if (!m_result)
        return 0;
    const char *count = PQcmdTuples(m_result.get());
    long long value = 0;
    std::from_chars(count, count + std::strlen(count), value);
    return value;
}

} // namespace pg
