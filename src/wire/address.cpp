// Server addresses as users type them.
#include "wire/address.h"

namespace wire {

bool parseServerAddress(const QString &text, ServerAddress *address)
{
    QString host = text.trimmed();
    QString portText;
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        portText = host.mid(close + 1);
        host = host.mid(1, close - 1);
        if (!portText.isEmpty() && !portText.startsWith(QLatin1Char(':')))
            return false;
        portText = portText.mid(1);
    } else if (host.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = host.indexOf(QLatin1Char(':'));
        portText = host.mid(colon + 1);
        host = host.left(colon);
    }
    address->host = host;
    address->port = DefaultPort;
    if (!portText.isEmpty()) {
        bool ok = false;
        const uint value = portText.toUInt(&ok);
        if (!ok || value == 0 || value > 65535)
            return false;
        address->port = quint16(value);
    }
    return !host.isEmpty();
}

} // namespace wire
