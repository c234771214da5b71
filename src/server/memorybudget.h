// The memory connections hold for requests: frames arriving, the request being read and served,
// and its reply. Each connection holds a small allowance on its own; beyond it, connections take
// from one budget they all share, so that many large or stalled requests together cannot
// exhaust the server's memory while small requests still get through.
#pragma once

#include <QtGlobal>

#include <atomic>

namespace server {

class MemoryBudget
{
public:
    explicit MemoryBudget(qint64 capacity)
        : m_capacity(capacity)
    {}

    // False, taking nothing, when fewer bytes are left.
    bool tryTake(qint64 bytes);
    void giveBack(qint64 bytes);
    qint64 available() const;
    qint64 capacity() const { return m_capacity; }

private:
    const qint64 m_capacity;
    std::atomic<qint64> m_taken{0};
};

// One connection's hold on request memory; what it took from the budget goes back when it ends.
class ConnectionMemory
{
public:
    ConnectionMemory(MemoryBudget &budget, qint64 allowance)
        : m_budget(budget)
        , m_allowance(allowance)
    {}
    ~ConnectionMemory() { m_budget.giveBack(m_taken); }
    ConnectionMemory(const ConnectionMemory &) = delete;
    ConnectionMemory &operator=(const ConnectionMemory &) = delete;

    // Makes what the connection holds bytes in all, taking from or giving back to the budget;
    // false, holding what it held, when the budget cannot cover the growth.
    bool hold(qint64 bytes);
    // The most the connection could hold at the moment.
    qint64 reachable() const { return m_allowance + m_taken + m_budget.available(); }

private:
    MemoryBudget &m_budget;
    const qint64 m_allowance;
    qint64 m_taken = 0; // from the budget
};

} // namespace server
