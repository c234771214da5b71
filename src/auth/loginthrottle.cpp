#include "auth/loginthrottle.h"

#include <algorithm>

namespace auth {

qint64 LoginThrottle::delayMs(const QString &address, qint64 nowMs)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_records.constFind(address);
    if (it == m_records.cend() || nowMs - it->lastMs >= ForgetAfterMs)
        return 0;
    const int beyond = it->failures - FreeFailures; // 0: the first attempt that waits
    if (beyond < 0)
        return 0;
    const int doublings = std::min(beyond, 16);
    return std::min(FirstDelayMs << doublings, MaxDelayMs);
}

void LoginThrottle::failed(const QString &address, qint64 nowMs)
{
    std::lock_guard lock(m_mutex);
    auto it = m_records.find(address);
    if (it == m_records.end()) {
        if (m_records.size() >= MaxAddresses)
            forgetQuiet(nowMs);
        it = m_records.insert(address, Record{});
    } else if (nowMs - it->lastMs >= ForgetAfterMs) {
        it->failures = 0;
    }
    it->failures = std::min(it->failures + 1, 1000);
    it->lastMs = nowMs;
}

void LoginThrottle::succeeded(const QString &address)
{
    std::lock_guard lock(m_mutex);
    m_records.remove(address);
}

void LoginThrottle::forgetQuiet(qint64 nowMs)
{
    for (auto it = m_records.begin(); it != m_records.end();)
        it = nowMs - it->lastMs >= ForgetAfterMs ? m_records.erase(it) : std::next(it);
    if (m_records.size() < MaxAddresses)
        return;
    // Still full of recent addresses: drop the quietest half.
    QList<qint64> times;
    for (const Record &record : std::as_const(m_records))
        times.append(record.lastMs);
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    const qint64 median = times[times.size() / 2];
    for (auto it = m_records.begin(); it != m_records.end();)
        it = it->lastMs <= median ? m_records.erase(it) : std::next(it);
}

} // namespace auth
