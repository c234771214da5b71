// The rows of one statement, in text format, owning libpq's result.
#pragma once

#include <memory>
#include <string>
#include <string_view>

typedef struct pg_result PGresult;

namespace pg {

class Result
{
public:
    Result() = default;
    explicit Result(PGresult *result);

    int rows() const;
    int columns() const;
    // Row and column out of range throw std::out_of_range: libpq would hand back a null
    // pointer there.
    bool isNull(int row, int column) const;
    // Empty for NULL; valid as long as this result lives.
    std::string_view text(int row, int column) const;
    std::string columnName(int column) const;
    unsigned columnType(int column) const; // the type's oid
    // Rows inserted, updated, deleted or selected; 0 for commands that do not count rows.
    long long affectedRows() const;

    PGresult *handle() const { return m_result.get(); }

private:
    void checkCell(int row, int column) const;
    void checkColumn(int column) const;

    struct Clear
    {
        void operator()(PGresult *result) const;
    };
    std::unique_ptr<PGresult, Clear> m_result;
};

} // namespace pg
