// The byte stream between a client and the server: plain TCP, or TLS over it (wire/tls.h).
// Both ends read and write through a Channel, so that the protocol above never knows which.
#pragma once

#include "wire/socket.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace wire {

class Channel
{
public:
    virtual ~Channel();
    Channel(const Channel &) = delete;
    Channel &operator=(const Channel &) = delete;

    // The socket, for poll() and for watching whether the peer hung up. Only the channel
    // reads and writes it.
    int descriptor() const { return m_fd; }

    // Sends everything; false when the peer is gone or stopped reading for longer than the
    // send timeout.
    virtual bool sendAll(const char *data, qsizetype size) = 0;
    bool sendAll(const QByteArray &data) { return sendAll(data.constData(), data.size()); }

    // Waits up to timeoutMs (negative: forever) for data and reads what is there. TimedOut
    // also when only part of an encrypted record arrived in that time.
    virtual ReceiveStatus receiveSome(char *buffer, qsizetype capacity, int timeoutMs,
                                      qsizetype *received) = 0;

    // Input the channel has taken off the socket but not handed out yet: poll() on the
    // descriptor does not see it, so a reader must look here before it waits.
    virtual bool hasBufferedInput() const { return false; }

    // How long a send may wait for a peer that does not read (negative: forever).
    virtual void setSendTimeout(int ms) = 0;

    virtual bool isEncrypted() const { return false; }
    // SHA-256 of the peer's certificate as colon-separated upper-case hex pairs; empty
    // without TLS or without a certificate.
    virtual QString peerFingerprint() const { return {}; }

    // Hangs up abortively (RST) instead of gracefully, as a crashed peer's host would.
    void abort();

protected:
    explicit Channel(int fd)
        : m_fd(fd)
    {}

    int m_fd;
    bool m_aborted = false;
};

// A channel over a connected socket, which it owns; the socket is left blocking.
std::unique_ptr<Channel> plainChannel(int fd);

} // namespace wire
