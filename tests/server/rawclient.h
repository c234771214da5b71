// A client that can also send what a well-behaved one never would: any bytes, frames cut short,
// requests without waiting for replies, and an abrupt end. Over TLS as the server's clients
// talk, or plain for a server run with --no-tls; the socket is its own, so that a test also
// controls how the connection ends.
#pragma once

#include "wire/channel.h"
#include "wire/frame.h"
#include "wire/socket.h"
#include "wire/tls.h"

#include <QCborArray>
#include <QCborMap>
#include <QDeadlineTimer>

#include <memory>
#include <unistd.h>

namespace vztest {

class RawClient
{
public:
    RawClient() = default;
    ~RawClient() { close(); }
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    // Connects and, with tls, completes the handshake; false when either fails.
    bool connect(quint16 port, bool tls = true)
    {
        close();
        m_error.clear();
        const int fd = wire::connectTcp(QStringLiteral("127.0.0.1"), port, 5000, &m_error);
        m_reader = wire::FrameReader();
        m_closed = false;
        if (fd < 0)
            return false;
        if (!tls) {
            m_channel = wire::plainChannel(fd);
            return true;
        }
        m_channel = wire::connectTls(clientTls(), fd, QString(), 5000, &m_error);
        if (!m_channel)
            ::close(fd);
        return m_channel != nullptr;
    }
    // Why the last connect failed.
    const QString &error() const { return m_error; }
    bool isOpen() const { return m_channel != nullptr; }
    int descriptor() const { return m_channel ? m_channel->descriptor() : -1; }

    // False when the server has hung up before everything was sent.
    bool sendBytes(const QByteArray &bytes) { return m_channel && m_channel->sendAll(bytes); }
    bool send(const QCborMap &message) { return sendBytes(wire::encodeFrame(message)); }

    // The next reply, or an empty map when the server closed the connection (or sent nothing
    // within the time) instead.
    QCborMap receive(int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            QCborMap frame;
            const auto status = m_reader.next(frame);
            if (status == wire::FrameReader::Status::Frame)
                return frame;
            if (status != wire::FrameReader::Status::NeedMore || !fill(deadline))
                return {};
        }
    }

    // True once the server has closed the connection (after whatever replies it sent).
    bool closedByPeer(int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (fill(deadline)) {
        }
        return m_closed;
    }

    // Hangs up: gracefully (FIN), or abortively (RST) as a crashed client's host may.
    void close(bool abortive = false)
    {
        if (m_channel && abortive)
            m_channel->abort();
        m_channel.reset();
    }

    // The TLS setup of every raw client of the process.
    static const wire::TlsContext &clientTls()
    {
        static const std::unique_ptr<wire::TlsContext> context = wire::TlsContext::client();
        return *context;
    }

private:
    // Reads what arrives before the deadline into the frame reader; false when nothing more
    // will come (closed, or the time is up).
    bool fill(const QDeadlineTimer &deadline)
    {
        if (!m_channel || m_closed)
            return false;
        char buffer[64 * 1024];
        qsizetype received = 0;
        switch (m_channel->receiveSome(buffer, sizeof buffer,
                                       int(qMax<qint64>(deadline.remainingTime(), 0)), &received)) {
        case wire::ReceiveStatus::Data:
            m_reader.append(buffer, received);
            return true;
        case wire::ReceiveStatus::TimedOut:
            return false;
        case wire::ReceiveStatus::Closed:
        case wire::ReceiveStatus::Failed:
            m_closed = true;
            return false;
        }
        return false;
    }

    std::unique_ptr<wire::Channel> m_channel;
    QString m_error;
    bool m_closed = false;
    wire::FrameReader m_reader;
};

// Requests as a raw client writes them.
inline QCborMap request(int id, const QString &operation)
{
    QCborMap map;
    map[QStringLiteral("id")] = id;
    map[QStringLiteral("op")] = operation;
    return map;
}

inline QCborMap hello(int id)
{
    QCborMap map = request(id, QStringLiteral("hello"));
    map[QStringLiteral("module")] = QStringLiteral("ZezU.datas");
    return map;
}

inline bool answeredOk(const QCborMap &reply, int id)
{
    return reply.value(QStringLiteral("id")).toInteger() == id &&
           reply.value(QStringLiteral("ok")).toBool();
}

// Chooses account set 001 and logs SYS in, both as request id; false when either fails.
inline bool enterAccountSet(RawClient &client, int id)
{
    QCborMap connectAct = request(id, QStringLiteral("call"));
    connectAct[QStringLiteral("method")] = QStringLiteral("ConnectAct");
    connectAct[QStringLiteral("args")] =
        QCborArray{0, QString(), QStringLiteral("001"), QString(), QString()};
    if (!client.send(connectAct) || !answeredOk(client.receive(), id))
        return false;
    QCborMap login = request(id, QStringLiteral("call"));
    login[QStringLiteral("method")] = QStringLiteral("Login");
    login[QStringLiteral("args")] = QCborArray{QStringLiteral("SYS"), QString()};
    return client.send(login) && answeredOk(client.receive(), id);
}

// Connects client, says hello (request 1), chooses account set 001 and logs SYS in (requests
// 2); false when any step fails.
inline bool startSession(RawClient &client, quint16 port)
{
    if (!client.connect(port) || !client.send(hello(1)) || !answeredOk(client.receive(), 1))
        return false;
    return enterAccountSet(client, 2);
}

// The length in front of a frame, true or not.
inline QByteArray lengthPrefix(uint32_t size)
{
    QByteArray prefix;
    prefix.append(char(size >> 24))
        .append(char(size >> 16))
        .append(char(size >> 8))
        .append(char(size));
    return prefix;
}

// A frame around any payload, well-formed or not.
inline QByteArray frameOf(const QByteArray &payload)
{
    return lengthPrefix(uint32_t(payload.size())) + payload;
}

} // namespace vztest
