// What the kernel says about a running server process: its memory and its threads.
#pragma once

#include <QFile>
#include <QString>

namespace vztest {

// A field of /proc/PID/status as a number (kB for the memory fields); -1 when absent.
inline qint64 processStatus(qint64 pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        QByteArray value = line.mid(prefix.size()).trimmed();
        if (value.endsWith(" kB"))
            value.chop(3);
        return value.toLongLong();
    }
    return -1;
}

inline qint64 residentKb(qint64 pid)
{
    return processStatus(pid, "VmRSS");
}
inline qint64 peakResidentKb(qint64 pid)
{
    return processStatus(pid, "VmHWM");
}
inline qint64 threadCount(qint64 pid)
{
    return processStatus(pid, "Threads");
}

} // namespace vztest
