// The error a request handler throws to answer with an error reply: a code from wire::code
// and a message for people.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <stdexcept>
#include <utility>

namespace server {

class RequestError : public std::runtime_error
{
public:
    RequestError(QLatin1StringView code, const QString &message)
        : std::runtime_error(message.toStdString())
        , m_code(code)
        , m_message(message)
    {}
    // The same error said again, with its code (a message given more context, say).
    RequestError(const QString &code, const QString &message)
        : std::runtime_error(message.toStdString())
        , m_code(code)
        , m_message(message)
    {}

    QString code() const { return m_code; }
    QString message() const { return m_message; }

    // Keys the error reply carries after code and message, in order (where in a script it
    // failed).
    using Details = QList<std::pair<QLatin1StringView, QVariant>>;
    Details details() const { return m_details; }
    void setDetails(const Details &details) { m_details = details; }

private:
    QString m_code;
    QString m_message;
    Details m_details;
};

} // namespace server
