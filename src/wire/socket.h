// Blocking TCP helpers over POSIX sockets, shared by the protocol client and the server.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace wire {

// Connects to host:port (a name or an address) within timeoutMs; the socket descriptor, or
// -1 with a readable *error.
int connectTcp(const QString &host, uint16_t port, int timeoutMs, QString *error);

// Sends everything; false when the peer is gone.
bool sendAll(int fd, const char *data, qsizetype size);
inline bool sendAll(int fd, const QByteArray &data)
{
    return sendAll(fd, data.constData(), data.size());
}

enum class ReceiveStatus { Data, Closed, TimedOut, Failed };

// Waits up to timeoutMs (negative: forever) for data and reads what is there into buffer.
ReceiveStatus receiveSome(int fd, char *buffer, qsizetype capacity, int timeoutMs,
                          qsizetype *received);

// Small requests and replies must not wait for Nagle's algorithm; dead peers are noticed.
void tuneSocket(int fd);

} // namespace wire
