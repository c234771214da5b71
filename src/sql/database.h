// Thin RAII layer over the SQLite C API, shared by the server, vzsql and the schema tools.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sql {

// A failed SQLite call, carrying SQLite's own message and result code.
class Error : public std::runtime_error
{
public:
    Error(const std::string &message, int code = SQLITE_ERROR)
        : std::runtime_error(message)
        , m_code(code)
    {}
    int code() const { return m_code; }

private:
    int m_code;
};

class Statement;

class Database
{
public:
    enum class Mode { ReadWriteCreate, ReadWrite, ReadOnly };

    Database() = default;
    explicit Database(const std::string &path, Mode mode = Mode::ReadWriteCreate);
    ~Database();
    Database(Database &&other) noexcept;
    Database &operator=(Database &&other) noexcept;
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    void open(const std::string &path, Mode mode = Mode::ReadWriteCreate);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3 *handle() const { return m_db; }
    const std::string &path() const { return m_path; }

    // Runs one or more statements that return no rows of interest.
    void exec(std::string_view sqlText);
    Statement prepare(std::string_view sqlText);

    int64_t lastInsertRowId() const;
    int changes() const;
    std::string lastError() const;

private:
    sqlite3 *m_db = nullptr;
    std::string m_path;
};

// A prepared statement; step() returns true while a row is available.
class Statement
{
public:
    Statement() = default;
    Statement(sqlite3 *db, sqlite3_stmt *stmt)
        : m_db(db)
        , m_stmt(stmt)
    {}
    ~Statement();
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    sqlite3_stmt *handle() const { return m_stmt; }

    void bindNull(int index);
    void bind(int index, int64_t value);
    void bind(int index, double value);
    void bind(int index, std::string_view text);
    void bindBlob(int index, const void *data, int size);

    bool step();
    void reset();

    int columnCount() const;
    std::string columnName(int column) const;
    int columnType(int column) const;
    bool isNull(int column) const;
    int64_t columnInt(int column) const;
    double columnDouble(int column) const;
    std::string columnText(int column) const;

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace sql
