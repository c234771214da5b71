// The server's log of connections and failed requests.
#include "server/log.h"

#include <QDateTime>

#include <cstdio>

namespace server {

Logger::Logger(const QString &filePath)
{
    if (!filePath.isEmpty()) {
        m_file.setFileName(filePath);
        if (!m_file.open(QIODevice::Append | QIODevice::Text))
            std::fprintf(stderr, "vzserver: cannot write the log file %s\n", qPrintable(filePath));
    }
}

void Logger::write(const QString &line)
{
    const QByteArray text =
        (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) + line +
         QLatin1Char('\n'))
            .toUtf8();
    std::lock_guard lock(m_mutex);
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
    if (m_file.isOpen()) {
        m_file.write(text);
        m_file.flush();
    }
}

} // namespace server
