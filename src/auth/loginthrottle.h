// Slows down password guessing from one address: after a few failed logins each further
// attempt from that address waits longer before it is answered. Nobody is ever locked out
// (an attacker could otherwise lock the real user out), and the count fades once the address
// has been quiet for a while. Thread-safe: every connection's session asks the one throttle.
#pragma once

#include <QHash>
#include <QString>

#include <mutex>

namespace auth {

class LoginThrottle
{
public:
    // Failures answered at once; the attempt after them waits FirstDelayMs, each further one
    // twice as long as the one before.
    static constexpr int FreeFailures = 3;
    static constexpr qint64 FirstDelayMs = 1000;
    static constexpr qint64 MaxDelayMs = 30000;
    // A quiet address is forgotten after this long.
    static constexpr qint64 ForgetAfterMs = 15 * 60 * 1000;
    // Addresses remembered at most; the longest quiet ones go first.
    static constexpr int MaxAddresses = 10000;

    // How long the next attempt from address must wait, at time nowMs.
    qint64 delayMs(const QString &address, qint64 nowMs);
    void failed(const QString &address, qint64 nowMs);
    void succeeded(const QString &address);

private:
    struct Record
    {
        int failures = 0;
        qint64 lastMs = 0;
    };
    void forgetQuiet(qint64 nowMs);

    std::mutex m_mutex;
    QHash<QString, Record> m_records;
};

} // namespace auth
