#include "server/server.h"

#include "vzversion.h"
#include "wire/frame.h"

#include <QCborMap>
#include <QCborValue>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace server {

namespace {

bool sendAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::send(fd, p, size_t(left), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

QCborMap errorReply(const QCborValue &id, const QString &message)
{
    QCborMap reply;
    reply[QStringLiteral("id")] = id;
    reply[QStringLiteral("ok")] = false;
    reply[QStringLiteral("error")] = message;
    return reply;
}

QCborMap dispatch(const QCborMap &request)
{
    const QCborValue id = request.value(QStringLiteral("id"));
    const QString op = request.value(QStringLiteral("op")).toString();
    if (op == QLatin1String("hello")) {
        QCborMap reply;
        reply[QStringLiteral("id")] = id;
        reply[QStringLiteral("ok")] = true;
        reply[QStringLiteral("product")] = QStringLiteral(VZ_PRODUCT_TITLE);
        reply[QStringLiteral("version")] = QStringLiteral(VZ_PRODUCT_VERSION);
        return reply;
    }
    return errorReply(id, QStringLiteral("unknown operation \"%1\"").arg(op));
}

} // namespace

Server::Server(ServerOptions options)
    : m_options(std::move(options))
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
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(m_options.port);
    if (::inet_pton(AF_INET, m_options.listenAddress.toLatin1().constData(), &addr.sin_addr) != 1) {
        *error = QStringLiteral("invalid listen address \"%1\"").arg(m_options.listenAddress);
        return false;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
        ::listen(fd, 128) != 0) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(m_options.listenAddress)
                     .arg(m_options.port)
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        return false;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    m_boundPort = ntohs(addr.sin_port);
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
        const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        const int one = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto worker = std::make_unique<Worker>();
        Worker *raw = worker.get();
        std::lock_guard lock(m_workersMutex);
        m_workers.push_back(std::move(worker));
        raw->thread = std::thread([this, client, raw] {
            serveConnection(client);
            raw->finished = true;
        });
    }
}

void Server::stop()
{
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

void Server::serveConnection(int fd)
{
    wire::FrameReader reader;
    char buffer[64 * 1024];
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents)
            break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reader.append(buffer, n);
        bool open = true;
        for (;;) {
            QCborMap request;
            QString error;
            const auto status = reader.next(request, &error);
            if (status == wire::FrameReader::Status::NeedMore)
                break;
            if (status == wire::FrameReader::Status::TooLarge) {
                sendAll(fd, wire::encodeFrame(errorReply(QCborValue(), error)));
                open = false;
                break;
            }
            const QCborMap reply = status == wire::FrameReader::Status::Frame
                                       ? dispatch(request)
                                       : errorReply(QCborValue(), error);
            if (!sendAll(fd, wire::encodeFrame(reply))) {
                open = false;
                break;
            }
        }
        if (!open)
            break;
    }
    ::close(fd);
}

} // namespace server
