#include "pg/connection.h"

#include <libpq-fe.h>

#include <poll.h>

namespace pg {

namespace {

// libpq ends its messages with a newline, sometimes followed by a hint line.
std::string trimmed(const char *message)
{
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

Error errorOf(const PGresult *result, PGconn *conn)
{
    if (!result)
        return Error(trimmed(PQerrorMessage(conn)));
    const char *primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    const char *state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    const char *detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL);
    return Error(primary ? std::string(primary) : trimmed(PQresultErrorMessage(result)),
                 state ? state : "", detail ? detail : "");
}

// A NUL would end the C string libpq sends, cutting statement or value short without a word.
std::string withoutNul(std::string_view text, const char *what)
{
    if (text.find('\0') != std::string_view::npos)
        throw Error(std::string(what) + " contains a NUL character",
                    std::string(sqlstate::CharacterNotInRepertoire));
    return std::string(text);
}

void ignoreNotice(void *, const char *) {}

} // namespace

void Connection::Finish::operator()(PGconn *conn) const
{
    PQfinish(conn);
}

void Connection::FreeCancel::operator()(PGcancel *cancel) const
{
    PQfreeCancel(cancel);
}

Connection::Connection(const std::string &conninfo)
{
    // Later keywords override earlier ones: the caller's string may set its own time-out, but
    // never the encoding.
    const char *const keywords[] = {"connect_timeout", "dbname", "client_encoding", nullptr};
    const char *const values[] = {"10", conninfo.c_str(), "UTF8", nullptr};
    m_conn.reset(PQconnectdbParams(keywords, values, 1));
    if (!m_conn)
        throw Error("could not connect to PostgreSQL: out of memory");
    if (PQstatus(m_conn.get()) != CONNECTION_OK)
        throw Error("could not connect to PostgreSQL: " + trimmed(PQerrorMessage(m_conn.get())));
    PQsetNoticeProcessor(m_conn.get(), ignoreNotice, nullptr);
    m_cancel.reset(PQgetCancel(m_conn.get()));
}

Connection::~Connection() = default;

Result Connection::exec(std::string_view sql)
{
    const std::string text = withoutNul(sql, "statement");
    if (!m_stop)
        return take(PQexec(m_conn.get(), text.c_str()));
    if (!PQsendQuery(m_conn.get(), text.c_str()))
        throw Error(trimmed(PQerrorMessage(m_conn.get())));
    return take(awaitResult());
}

PGresult *Connection::awaitResult()
{
    PGconn *conn = m_conn.get();
    bool cancelled = false;
    for (;;) {
        if (!PQconsumeInput(conn))
            break; // the connection broke: PQgetResult reports it
        if (!PQisBusy(conn))
            break;
        pollfd pfd{PQsocket(conn), POLLIN, 0};
        ::poll(&pfd, 1, 100);
        if (!cancelled && m_stop && m_stop()) {
            cancel();
            cancelled = true;
        }
    }
    // As PQexec does: of several results (a script) the last, or the first error.
    PGresult *last = nullptr;
    while (PGresult *next = PQgetResult(conn)) {
        const ExecStatusType status = PQresultStatus(next);
        if (status == PGRES_COPY_IN || status == PGRES_COPY_OUT || status == PGRES_COPY_BOTH) {
            PQclear(last);
            return next; // take() brings the session out of it
        }
        if (last && (PQresultStatus(last) == PGRES_FATAL_ERROR)) {
            PQclear(next);
            continue;
        }
        PQclear(last);
        last = next;
    }
    return last;
}

Result Connection::exec(std::string_view sql, const std::vector<std::optional<std::string>> &params)
{
    const std::string text = withoutNul(sql, "statement");
    std::vector<const char *> values;
    values.reserve(params.size());
    for (const std::optional<std::string> &param : params) {
        if (param && param->find('\0') != std::string::npos)
            throw Error("parameter $" + std::to_string(values.size() + 1) +
                            " contains a NUL character",
                        std::string(sqlstate::CharacterNotInRepertoire));
        values.push_back(param ? param->c_str() : nullptr);
    }
    if (!m_stop)
        return take(PQexecParams(m_conn.get(), text.c_str(), static_cast<int>(values.size()),
                                 nullptr, values.data(), nullptr, nullptr, 0));
    if (!PQsendQueryParams(m_conn.get(), text.c_str(), static_cast<int>(values.size()), nullptr,
                           values.data(), nullptr, nullptr, 0))
        throw Error(trimmed(PQerrorMessage(m_conn.get())));
    return take(awaitResult());
}

Result Connection::take(PGresult *raw)
{
    Result result(raw);
    switch (PQresultStatus(raw)) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
    case PGRES_EMPTY_QUERY:
        return result;
    case PGRES_COPY_IN:
    case PGRES_COPY_OUT:
    case PGRES_COPY_BOTH:
        abandonCopy(raw);
        throw Error("COPY is not supported on this connection");
    default:
        throw errorOf(raw, m_conn.get());
    }
}

CopyIn::CopyIn(Connection &connection, std::string_view copyStatement)
    : m_conn(connection.handle())
{
    const std::string text = withoutNul(copyStatement, "the statement");
    PGresult *result = PQexec(m_conn, text.c_str());
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COPY_IN) {
        PQclear(result);
        m_open = true;
        return;
    }
    Error error = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK
                      ? Error("not a COPY ... FROM STDIN statement")
                      : errorOf(result, m_conn);
    PQclear(result);
    drain();
    throw error;
}

CopyIn::~CopyIn()
{
    if (m_open) {
        PQputCopyEnd(m_conn, "the copy was abandoned");
        drain();
    }
}

void CopyIn::put(std::string_view data)
{
    m_buffer += data;
    if (m_buffer.size() >= 1 << 16)
        flush();
}

void CopyIn::flush()
{
    if (!m_buffer.empty() && PQputCopyData(m_conn, m_buffer.data(), int(m_buffer.size())) != 1)
        throw Error(trimmed(PQerrorMessage(m_conn)));
    m_buffer.clear();
}

void CopyIn::finish()
{
    flush();
    m_open = false;
    if (PQputCopyEnd(m_conn, nullptr) != 1) {
        Error error(trimmed(PQerrorMessage(m_conn)));
        drain();
        throw error;
    }
    PGresult *result = PQgetResult(m_conn);
    const bool ok = result && PQresultStatus(result) == PGRES_COMMAND_OK;
    std::optional<Error> error;
    if (!ok)
        error = errorOf(result, m_conn);
    PQclear(result);
    drain();
    if (error)
        throw *error;
}

void CopyIn::drain()
{
    while (PGresult *rest = PQgetResult(m_conn))
        PQclear(rest);
}

// Brings the session out of a COPY that exec() started, so that it takes statements again.
void Connection::abandonCopy(PGresult *result)
{
    PGconn *conn = m_conn.get();
    if (PQresultStatus(result) == PGRES_COPY_IN) {
        PQputCopyEnd(conn, "COPY is not supported on this connection");
    } else {
        char *buffer = nullptr;
        while (PQgetCopyData(conn, &buffer, 0) > 0)
            PQfreemem(buffer);
    }
    while (PGresult *rest = PQgetResult(conn))
        PQclear(rest);
}

void Connection::cancel()
{
    char message[256];
    if (m_cancel && !PQcancel(m_cancel.get(), message, sizeof message))
        throw Error(std::string("could not cancel the statement: ") + message);
}

bool Connection::inTransaction() const
{
    const PGTransactionStatusType status = PQtransactionStatus(m_conn.get());
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

} // namespace pg
