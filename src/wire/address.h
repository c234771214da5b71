// Server addresses as users type them: "host", "host:port", "[v6-address]:port".
#pragma once

#include "wire/protocol.h"

#include <QString>

namespace wire {

struct ServerAddress
{
    QString host;
    quint16 port = DefaultPort;
};

// Without a port the default port 211 is used; an IPv6 address without brackets has no port.
// False for an empty host or a malformed port.
bool parseServerAddress(const QString &text, ServerAddress *address);

} // namespace wire
