// The listening socket and the thread that serves each connection.
#include "server/server.h"

#include "server/session.h"
#include "wire/frame.h"
#include "wire/protocol.h"
#include "wire/socket.h"

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

} // namespace

Server::Server(ServerOptions options)
    : m_options(std::move(options))
    , m_log(m_options.dataDir.isEmpty() ? QString()
                                        : m_options.dataDir + QStringLiteral("/vzserver.log"))
    , m_registry(m_options.dataDir)
    , m_context(m_options, m_registry, m_log)
{
    if (::pipe2(m_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wakePipe[0] = m_wakePipe[1] = -1;
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
        if (client < 0)
            continue;
        wire::tuneSocket(client);
        // A client that stops reading its replies must not hold a thread forever.
        const timeval sendTimeout{60, 0};
        ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
        const QString name = QStringLiteral("#%1 %2").arg(++m_connections).arg(peerName(address));
        auto worker = std::make_unique<Worker>();
        Worker *raw = worker.get();
        std::lock_guard lock(m_workersMutex);
        m_workers.push_back(std::move(worker));
        raw->thread = std::thread([this, client, raw, name] {
            serveConnection(client, name);
            raw->finished = true;
        });
    }
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

void Server::serveConnection(int fd, const QString &name)
{
    m_log.write(name + QStringLiteral(" connected"));
    QString reason = QStringLiteral("closed by the client");
    {
        Session session(m_context, name);
        wire::FrameReader reader(m_options.maxFrameSize);
        QByteArray buffer(256 * 1024, Qt::Uninitialized);
        bool open = true;
        while (open) {
            // Waiting for a request is unbounded; a frame once started must arrive in time.
            const int timeout = reader.buffered() > 0 ? m_options.frameTimeoutMs : -1;
            pollfd fds[2] = {{fd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
            const int n = ::poll(fds, 2, timeout);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 || fds[1].revents) {
                reason = QStringLiteral("server stopping");
                break;
            }
            if (n == 0) {
                reason = QStringLiteral("a frame did not arrive within %1 s")
                             .arg(m_options.frameTimeoutMs / 1000);
                break;
            }
            const ssize_t received = ::recv(fd, buffer.data(), size_t(buffer.size()), 0);
            if (received < 0 && errno == EINTR)
                continue;
            if (received <= 0)
                break;
            reader.append(buffer.constData(), received);
            for (;;) {
                QByteArray payload;
                QString error;
                const auto status = reader.nextPayload(payload, &error);
                if (status == wire::FrameReader::Status::NeedMore)
                    break;
                if (status == wire::FrameReader::Status::TooLarge) {
                    // The stream cannot be trusted past a length it will not read.
                    wire::sendAll(fd, Session::errorFrame({}, wire::code::Protocol, error));
                    reason = error;
                    open = false;
                    break;
                }
                wire::Message request;
                QByteArray reply;
                if (wire::decodeMessage(payload, request, &error)) {
                    reply = session.handle(request);
                } else {
                    m_log.write(name + QStringLiteral(" request failed: ") + error);
                    reply = Session::errorFrame({}, wire::code::Protocol, error);
                }
                if (!wire::sendAll(fd, reply)) {
                    reason = QStringLiteral("the client went away");
                    open = false;
                    break;
                }
            }
        }
        reason += QStringLiteral(", %1 requests").arg(session.requests());
    }
    ::close(fd);
    m_log.write(name + QStringLiteral(" disconnected: ") + reason);
}

} // namespace server
