// The shared budget of request memory and each connection's hold on it.
#include "server/memorybudget.h"

#include <algorithm>

namespace server {

bool MemoryBudget::tryTake(qint64 bytes)
{
    qint64 taken = m_taken.load(std::memory_order_relaxed);
    do {
        if (taken + bytes > m_capacity)
            return false;
    } while (!m_taken.compare_exchange_weak(taken, taken + bytes, std::memory_order_relaxed));
    return true;
}

void MemoryBudget::giveBack(qint64 bytes)
{
    m_taken.fetch_sub(bytes, std::memory_order_relaxed);
}

qint64 MemoryBudget::available() const
{
    return m_capacity - m_taken.load(std::memory_order_relaxed);
}

bool ConnectionMemory::hold(qint64 bytes)
{
    const qint64 needed = std::max<qint64>(bytes - m_allowance, 0);
    if (needed > m_taken) {
        if (!m_budget.tryTake(needed - m_taken))
            return false;
    } else if (needed < m_taken) {
        m_budget.giveBack(m_taken - needed);
    }
    m_taken = needed;
    return true;
}

} // namespace server
