// A client that can also send what a well-behaved one never would: any bytes, frames cut short,
// requests without waiting for replies, and an abrupt end. Plain sockets, so that a test also
// controls how the connection ends.
#pragma once

#include "wire/frame.h"
#include "wire/socket.h"

#include <QCborArray>
#include <QCborMap>
#include <QDeadlineTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vztest {

class RawClient
{
public:
    RawClient() = default;
    ~RawClient() { close(); }
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    bool connect(quint16 port)
    {
        close();
        QString error;
        m_fd = wire::connectTcp(QStringLiteral("127.0.0.1"), port, 5000, &error);
        m_reader = wire::FrameReader();
        m_closed = false;
        return m_fd >= 0;
    }
    bool isOpen() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }

    // False when the server has hung up before everything was sent.
    bool sendBytes(const QByteArray &bytes) { return m_fd >= 0 && wire::sendAll(m_fd, bytes); }
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
        if (m_fd < 0)
            return;
        if (abortive) {
            const linger reset{1, 0};
            ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        }
        ::close(m_fd);
        m_fd = -1;
    }

private:
    // Reads what arrives before the deadline into the frame reader; false when nothing more
    // will come (closed, or the time is up).
    bool fill(const QDeadlineTimer &deadline)
    {
        if (m_fd < 0 || m_closed)
            return false;
        char buffer[64 * 1024];
        qsizetype received = 0;
        switch (wire::receiveSome(m_fd, buffer, sizeof buffer,
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

    int m_fd = -1;
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
