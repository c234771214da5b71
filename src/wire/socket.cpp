// Blocking TCP helpers over POSIX sockets.
#include "wire/socket.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace wire {

namespace {

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Finishes a non-blocking connect within the time left; 0 or an errno value.
int awaitConnect(int fd, int timeoutMs)
{
    pollfd pfd{fd, POLLOUT, 0};
    for (;;) {
        const int n = ::poll(&pfd, 1, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ETIMEDOUT;
        int code = 0;
        socklen_t len = sizeof code;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &len);
        return code;
    }
}

} // namespace

void tuneSocket(int fd)
{
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    const int idle = 60, interval = 10, count = 6;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

int connectTcp(const QString &host, uint16_t port, int timeoutMs, QString *error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *addresses = nullptr;
    const QByteArray name = host.trimmed().toUtf8();
    const QByteArray service = QByteArray::number(port);
    const int rc = ::getaddrinfo(name.constData(), service.constData(), &hints, &addresses);
    if (rc != 0) {
        *error = QStringLiteral("cannot resolve the server address \"%1\": %2")
                     .arg(host, QString::fromLocal8Bit(::gai_strerror(rc)));
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int lastError = ECONNREFUSED;
    int fd = -1;
    for (addrinfo *a = addresses; a && fd < 0; a = a->ai_next) {
        const int s =
            ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (s < 0) {
            lastError = errno;
            continue;
        }
        int code = 0;
        if (::connect(s, a->ai_addr, a->ai_addrlen) != 0) {
            code = errno;
            if (code == EINPROGRESS) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                      deadline - std::chrono::steady_clock::now())
                                      .count();
                code = awaitConnect(s, int(std::max<long long>(left, 0)));
            }
        }
        if (code != 0) {
            lastError = code;
            ::close(s);
            continue;
        }
        ::fcntl(s, F_SETFL, ::fcntl(s, F_GETFL) & ~O_NONBLOCK);
        tuneSocket(s);
        fd = s;
    }
    ::freeaddrinfo(addresses);
    if (fd < 0)
        *error = QStringLiteral("cannot connect to the server %1:%2: %3")
                     .arg(host)
                     .arg(port)
                     .arg(errnoText(lastError));
    return fd;
}

bool sendAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

ReceiveStatus receiveSome(int fd, char *buffer, qsizetype capacity, int timeoutMs,
                          qsizetype *received)
{
    *received = 0;
    pollfd pfd{fd, POLLIN, 0};
    for (;;) {
        const int n = ::poll(&pfd, 1, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ReceiveStatus::Failed;
        if (n == 0)
            return ReceiveStatus::TimedOut;
        break;
    }
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, size_t(capacity), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ReceiveStatus::Failed;
        if (n == 0)
            return ReceiveStatus::Closed;
        *received = n;
        return ReceiveStatus::Data;
    }
}

} // namespace wire
