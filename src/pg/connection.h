// One session with a PostgreSQL server. Statements run in the text format; every failure is a
// pg::Error carrying the server's SQLSTATE. The session speaks UTF-8 whatever the server's
// default.
#pragma once

#include "pg/error.h"
#include "pg/result.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

typedef struct pg_conn PGconn;
typedef struct pg_cancel PGcancel;

namespace pg {

// Not thread-safe, except cancel(), which another thread may call at any time.
class Connection
{
public:
    // conninfo is a libpq connection string or URI. A connect without connect_timeout gives
    // up after 10 seconds. Throws Error with libpq's reason when the server cannot be reached.
    explicit Connection(const std::string &conninfo);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // One statement or a script of several separated by semicolons; a script stops at its
    // first failing statement and returns the last statement's rows. Outside an explicit
    // transaction a script is one transaction.
    Result exec(std::string_view sql);
    // One statement with $1, $2 ... bound to the values; std::nullopt is NULL.
    Result exec(std::string_view sql, const std::vector<std::optional<std::string>> &params);

    // While a statement runs, stop is asked a few times a second; once it says true the
    // statement is cancelled (and fails with 57014, query_canceled). Without it a statement
    // runs until PostgreSQL ends it.
    void setStopCheck(std::function<bool()> stop) { m_stop = std::move(stop); }

    // Ends the statement running at this moment with 57014 (query_canceled); the session
    // stays usable. A statement that has not started yet is not affected.
    void cancel();

    // True inside a transaction block, including one that a failed statement aborted.
    bool inTransaction() const;

    PGconn *handle() { return m_conn.get(); }

private:
    Result take(PGresult *result);
    // Waits for the results of a statement sent, asking m_stop meanwhile; the last one.
    PGresult *awaitResult();
    void abandonCopy(PGresult *result);

    struct Finish
    {
        void operator()(PGconn *conn) const;
    };
    struct FreeCancel
    {
        void operator()(PGcancel *cancel) const;
    };
    std::unique_ptr<PGconn, Finish> m_conn;
    // Made once while no statement runs: PQgetCancel reads the session, PQcancel does not.
    std::unique_ptr<PGcancel, FreeCancel> m_cancel;
    std::function<bool()> m_stop;
};

// Rows for COPY ... FROM STDIN in the text format, the fast way to load a table. Data is
// buffered and sent in large pieces; finish() ends the copy and throws the server's error. A
// copy destroyed unfinished is abandoned: the server discards its rows and the session takes
// statements again.
class CopyIn
{
public:
    CopyIn(Connection &connection, std::string_view copyStatement);
    ~CopyIn();
    CopyIn(const CopyIn &) = delete;
    CopyIn &operator=(const CopyIn &) = delete;

    void put(std::string_view data);
    void finish();

private:
    void flush();
    void drain();

    PGconn *m_conn;
    std::string m_buffer;
    bool m_open = false;
};

} // namespace pg
