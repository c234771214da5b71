// The listening socket and the thread that serves each connection.
#include "server/server.h"

#include "server/certificate.h"
#include "server/session.h"
#include "wire/channel.h"
#include "wire/frame.h"
#include "wire/protocol.h"
#include "wire/socket.h"
#include "wire/tls.h"

#include <QDateTime>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace server {

namespace {

QString peerName(const sockaddr_storage &address)
{
    char host[INET6_ADDRSTRLEN] = {};
    uint16_t port = 0;
    if (address.ss_family == AF_INET) {
        const auto *in = reinterpret_cast<const sockaddr_in *>(&address);
        ::inet_ntop(AF_INET, &in->sin_addr, host, sizeof host);
        port = ntohs(in->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(&address);
        ::inet_ntop(AF_INET6, &in6->sin6_addr, host, sizeof host);
        port = ntohs(in6->sin6_port);
    }
    return QStringLiteral("%1:%2").arg(QString::fromLatin1(host)).arg(port);
}

// A packet may always grow to this size, however much request memory the others hold.
constexpr qint64 MinPacketBytes = 64 * 1024;

// A connection sending this many malformed or unknown requests in a row is noise or an attack:
// answering each would let it take the server's time from everyone else.
constexpr int MaxProtocolErrorsInARow = 100;

// A client that stops reading its replies must not hold a thread forever.
constexpr int SendTimeoutMs = 60000;

// What a plain-protocol client gets from a TLS server, and a TLS client from a plain one.
const QString TlsRequired = QStringLiteral(
    "this server requires an encrypted connection (TLS): connect with TLS, or run the server "
    "with --no-tls on a trusted network only");
const QString TlsUnavailable = QStringLiteral(
    "this server does not use encrypted connections (it runs with --no-tls): connect without "
    "TLS");

// The first bytes of a TLS handshake record, read as a frame's length.
bool looksLikeTlsHandshake(qint64 announcedFrameSize)
{
    return announcedFrameSize >> 16 == 0x1603;
}

} // namespace

Server::Server(ServerOptions options)
    : m_options(std::move(options))
    , m_log(m_options.dataDir.isEmpty() ? QString()
                                        : m_options.dataDir + QStringLiteral("/vzserver.log"))
    , m_registry(m_options.dataDir)
    , m_context(m_options, m_registry, m_log)
    , m_requestMemory(m_options.maxRequestMemory)
{
    if (::pipe2(m_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wakePipe[0] = m_wakePipe[1] = -1;
    m_registry.setNotice([this](const QString &line) { m_log.write(line); });
    if (!m_options.tls)
        return;
    CertificateFiles files{m_options.tlsCertificateFile, m_options.tlsKeyFile, false};
    if (files.certificate.isEmpty())
        files = ownCertificate(m_options.dataDir);
    m_tls = wire::TlsContext::server(files.certificate, files.key);
    m_log.write(QStringLiteral("%1 TLS certificate %2, SHA-256 fingerprint %3")
                    .arg(files.created ? QStringLiteral("made the self-signed")
                                       : QStringLiteral("using the"),
                         files.certificate, m_tls->fingerprint()));
}

QString Server::certificateFingerprint() const
{
    return m_tls ? m_tls->fingerprint() : QString();
}

Server::~Server()
{
    stop();
    std::list<std::unique_ptr<Worker>> workers;
    {
        std::lock_guard lock(m_workersMutex);
        workers.swap(m_workers);
    }
    for (auto &worker : workers)
        worker->thread.join();
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    for (int fd : m_wakePipe)
        if (fd >= 0)
            ::close(fd);
}

bool Server::listen(QString *error)
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    const QByteArray address = m_options.listenAddress.toLatin1();
    auto *in = reinterpret_cast<sockaddr_in *>(&storage);
    auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
    if (::inet_pton(AF_INET, address.constData(), &in->sin_addr) == 1) {
        in->sin_family = AF_INET;
        in->sin_port = htons(m_options.port);
        length = sizeof(sockaddr_in);
    } else if (::inet_pton(AF_INET6, address.constData(), &in6->sin6_addr) == 1) {
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(m_options.port);
        length = sizeof(sockaddr_in6);
    } else {
        *error = QStringLiteral("invalid listen address \"%1\"").arg(m_options.listenAddress);
        return false;
    }
    const int fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&storage), length) != 0 || ::listen(fd, 128) != 0) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(m_options.listenAddress)
                     .arg(m_options.port)
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        return false;
    }
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&storage), &length);
    m_boundPort = storage.ss_family == AF_INET ? ntohs(in->sin_port) : ntohs(in6->sin6_port);
    m_listenFd = fd;
    return true;
}

void Server::run()
{
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        const int n = ::poll(fds, 2, 1000);
        if (n < 0 && errno != EINTR)
            break;
        if (fds[1].revents)
            break;
        reapFinishedWorkers();
        if (n <= 0 || !(fds[0].revents & POLLIN))
            continue;
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int client =
            ::accept4(m_listenFd, reinterpret_cast<sockaddr *>(&address), &length, SOCK_CLOEXEC);
        if (client >= 0) {
            admit(client, address);
        } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // The connection stays queued until a descriptor is free; waiting a little
            // keeps this loop from spinning on it meanwhile.
            pollfd wake{m_wakePipe[0], POLLIN, 0};
            ::poll(&wake, 1, 100);
        }
    }
}

void Server::admit(int fd, const sockaddr_storage &address)
{
    wire::tuneSocket(fd);
    const timeval sendTimeout{SendTimeoutMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    if (m_active >= m_options.maxConnections) {
        refuse(fd, QStringLiteral("the server is serving its maximum of %1 connections: try "
                                  "again later")
                       .arg(m_options.maxConnections));
        return;
    }
    const QString name = QStringLiteral("#%1 %2").arg(++m_connections).arg(peerName(address));
    auto worker = std::make_unique<Worker>();
    Worker *raw = worker.get();
    std::lock_guard lock(m_workersMutex);
    ++m_active;
    try {
        raw->thread = std::thread([this, fd, raw, name] { serveConnection(fd, name, *raw); });
    } catch (const std::exception &e) {
        --m_active;
        refuse(fd, QStringLiteral("the server cannot take another connection now (%1): try "
                                  "again later")
                       .arg(QString::fromLocal8Bit(e.what())));
        return;
    }
    m_workers.push_back(std::move(worker));
}

void Server::refuse(int fd, const QString &message)
{
    wire::sendAll(fd, Session::errorFrame({}, wire::code::Limit, message));
    ::close(fd);
    ++m_unloggedRefusals;
    const int64_t now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastRefusalLog < 1000)
        return;
    m_log.write(
        QStringLiteral("refused %1 connection(s): %2").arg(m_unloggedRefusals).arg(message));
    m_unloggedRefusals = 0;
    m_lastRefusalLog = now;
}

void Server::stop()
{
    m_context.stopping = true; // stops running statements
    if (m_wakePipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakePipe[1], &byte, 1);
    }
}

void Server::reapFinishedWorkers()
{
    std::lock_guard lock(m_workersMutex);
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void Server::serveConnection(int fd, const QString &name, Worker &worker)
{
    // However the thread ends, its place is free for another.
    struct Release
    {
        Server &server;
        Worker &worker;
        ~Release()
        {
            --server.m_active;
            worker.finished = true;
        }
    } release{*this, worker};
    try {
        m_log.write(name + QStringLiteral(" connected"));
        QString reason;
        try {
            const std::unique_ptr<wire::Channel> channel = openChannel(fd, &reason);
            if (channel) {
                Session session(m_context, name, channel->descriptor());
                reason = serve(*channel, session);
                reason += QStringLiteral(", %1 requests").arg(session.requests());
                if (session.unloggedFailures() > 0)
                    reason +=
                        QStringLiteral(", %1 failures not logged").arg(session.unloggedFailures());
            }
        } catch (const std::exception &e) {
            reason = QStringLiteral("internal error: %1").arg(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            reason = QStringLiteral("internal error");
        }
        m_log.write(name + QStringLiteral(" disconnected: ") + reason);
    } catch (...) {
        // Not even the log line could be written (memory): the connection ends all the same.
    }
}

std::unique_ptr<wire::Channel> Server::openChannel(int fd, QString *reason)
{
    if (!m_tls)
        return wire::plainChannel(fd);
    wire::AcceptFailure failure = wire::AcceptFailure::None;
    QString error;
    std::unique_ptr<wire::Channel> channel;
    try {
        channel = wire::acceptTls(*m_tls, fd, m_options.handshakeTimeoutMs, m_wakePipe[0], &failure,
                                  &error);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (channel) {
        channel->setSendTimeout(SendTimeoutMs);
        return channel;
    }
    if (failure == wire::AcceptFailure::NotTls) {
        // Said in the plain protocol, which is all such a client reads. What it sent is read
        // before the socket is closed: closing over unread bytes would reset the connection
        // and could take the answer with it.
        wire::sendAll(fd, Session::errorFrame({}, wire::code::Protocol, TlsRequired));
        ::shutdown(fd, SHUT_WR);
        char buffer[4096];
        qsizetype received = 0;
        for (int i = 0; i < 16 && wire::receiveSome(fd, buffer, sizeof buffer, 200, &received) ==
                                      wire::ReceiveStatus::Data;
             ++i) {
        }
        error = QStringLiteral("the client does not speak TLS: told it so");
    }
    ::close(fd);
    *reason = error;
    return {};
}

QString Server::serve(wire::Channel &channel, Session &session)
{
    ConnectionMemory memory(m_requestMemory, m_options.connectionAllowance);
    wire::FrameReader reader(m_options.maxFrameSize);
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (;;) {
        // Bytes the channel has taken off the socket already are not seen by poll().
        if (!channel.hasBufferedInput()) {
            // Waiting for a request is unbounded; a frame once started must arrive in time.
            const int timeout = reader.buffered() > 0 ? m_options.frameTimeoutMs : -1;
            pollfd fds[2] = {{channel.descriptor(), POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
            const int n = ::poll(fds, 2, timeout);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 || fds[1].revents)
                return QStringLiteral("server stopping");
            if (n == 0)
                return QStringLiteral("a frame did not arrive within %1 s")
                    .arg(m_options.frameTimeoutMs / 1000);
        }
        qsizetype received = 0;
        switch (channel.receiveSome(buffer.data(), buffer.size(), 0, &received)) {
        case wire::ReceiveStatus::Data:
            break;
        case wire::ReceiveStatus::TimedOut:
            continue; // part of an encrypted record, or none of the request's bytes
        case wire::ReceiveStatus::Closed:
        case wire::ReceiveStatus::Failed:
            return QStringLiteral("closed by the client");
        }
        reader.append(buffer.constData(), received);
        if (!memory.hold(reader.buffered())) {
            // The stream cannot be followed past bytes the server will not keep.
            const QString message =
                QStringLiteral("the server holds its maximum of %1 MiB of requests being sent "
                               "or served: send large requests in smaller parts, or try again "
                               "later")
                    .arg(m_options.maxRequestMemory >> 20);
            channel.sendAll(Session::errorFrame({}, wire::code::Limit, message));
            return message;
        }
        const QString reason = serveFrames(channel, session, reader, memory);
        if (!reason.isEmpty())
            return reason;
        memory.hold(reader.buffered()); // served requests give their memory back
    }
}

QString Server::serveFrames(wire::Channel &channel, Session &session, wire::FrameReader &reader,
                            ConnectionMemory &memory)
{
    for (;;) {
        QByteArray payload;
        QString error;
        const auto status = reader.nextPayload(payload, &error);
        if (status == wire::FrameReader::Status::NeedMore)
            return {};
        if (status == wire::FrameReader::Status::TooLarge) {
            // The stream cannot be trusted past a length it will not read.
            if (!m_tls && looksLikeTlsHandshake(reader.pendingFrameSize()))
                error = TlsUnavailable;
            channel.sendAll(Session::errorFrame({}, wire::code::Protocol, error));
            return error;
        }
        const QByteArray reply = answer(session, memory, payload, reader.buffered());
        if (session.clientGone())
            return QStringLiteral("the client went away during a request");
        memory.hold(payload.size() + reader.buffered() + reply.size());
        if (!channel.sendAll(reply))
            return QStringLiteral("the client went away");
        if (session.protocolErrorsInARow() >= MaxProtocolErrorsInARow) {
            const QString reason =
                QStringLiteral("%1 requests in a row were malformed or unknown: the server "
                               "hangs up")
                    .arg(MaxProtocolErrorsInARow);
            channel.sendAll(Session::errorFrame({}, wire::code::Protocol, reason));
            return reason;
        }
    }
}

QByteArray Server::answer(Session &session, ConnectionMemory &memory, const QByteArray &payload,
                          qint64 pending)
{
    // The boundary of a request: whatever fails while it is read or served ends the request
    // with an error reply, never the connection or the server.
    try {
        // A request may take in memory what the connection can still hold.
        const qint64 held = payload.size() + pending;
        wire::DecodeLimits limits;
        limits.maxBytes = std::max<qint64>(memory.reachable() - held, 0);
        wire::Message request;
        QString error;
        if (!wire::decodeMessage(payload, request, &error, nullptr, &limits)) {
            if (!limits.exceeded) {
                session.noteMalformed();
                session.logFailure(QStringLiteral("request failed: ") + error);
                return Session::errorFrame({}, wire::code::Protocol, error);
            }
            error = QStringLiteral("the request would take more than the %1 MiB the server can "
                                   "hold for it now: send it in smaller parts, or try again later")
                        .arg(std::max<qint64>(limits.maxBytes >> 20, 1));
            session.logFailure(QStringLiteral("request refused: ") + error);
            // The id comes first in a request; when it was read, the client learns which
            // request was refused and its session goes on.
            return Session::errorFrame(request.value(wire::key::Id), wire::code::Limit, error);
        }
        memory.hold(held + limits.usedBytes);
        const qint64 packetBytes =
            std::max<qint64>(memory.reachable() - held - limits.usedBytes, MinPacketBytes);
        return session.handle(request, packetBytes);
    } catch (const std::exception &e) {
        const QString error =
            QStringLiteral("internal error: %1").arg(QString::fromLocal8Bit(e.what()));
        session.logFailure(QStringLiteral("request failed: ") + error);
        return Session::errorFrame({}, wire::code::Protocol, error);
    } catch (...) {
        session.logFailure(QStringLiteral("request failed: internal error"));
        return Session::errorFrame({}, wire::code::Protocol, QStringLiteral("internal error"));
    }
}

} // namespace server
