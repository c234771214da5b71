// Plain TCP channels.
#include "wire/channel.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace wire {

namespace {

class PlainChannel final : public Channel
{
public:
    explicit PlainChannel(int fd)
        : Channel(fd)
    {}

    bool sendAll(const char *data, qsizetype size) override
    {
        return wire::sendAll(m_fd, data, size);
    }

    ReceiveStatus receiveSome(char *buffer, qsizetype capacity, int timeoutMs,
                              qsizetype *received) override
    {
        return wire::receiveSome(m_fd, buffer, capacity, timeoutMs, received);
    }

    void setSendTimeout(int ms) override
    {
        const timeval timeout{ms < 0 ? 0 : ms / 1000, ms < 0 ? 0 : (ms % 1000) * 1000};
        ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    }
};

} // namespace

Channel::~Channel()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void Channel::abort()
{
    m_aborted = true;
    const linger reset{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
}

std::unique_ptr<Channel> plainChannel(int fd)
{
    return std::make_unique<PlainChannel>(fd);
}

} // namespace wire
