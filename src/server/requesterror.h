// The error a request handler throws to answer with an error reply: a code from wire::code
// and a message for people.
#pragma once

#include <QString>
#include <QVariantMap>

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

    // Keys the error reply carries besides code and message (where in a script it failed).
    QVariantMap details() const { return m_details; }
    void setDetails(const QVariantMap &details) { m_details = details; }

private:
    QString m_code;
    QString m_message;
    QVariantMap m_details;
};

} // namespace server
