// The error a request handler throws to answer with an error reply: a code from wire::code
// and a message for people.
#pragma once

#include <QString>

#include <stdexcept>

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

private:
    QString m_code;
    QString m_message;
};

} // namespace server
