// The memory requests may hold: every connection its own allowance, beyond it one shared budget
// that is never overdrawn and gets back all a connection took, however it ends.
#include "server/memorybudget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using server::ConnectionMemory;
using server::MemoryBudget;

TEST(MemoryBudget, ConnectionsHoldTheirAllowanceFreelyAndShareTheRest)
{
    MemoryBudget budget(100);
    ConnectionMemory a(budget, 10), b(budget, 10);
    struct Step
    {
        ConnectionMemory &connection;
        qint64 bytes;
        bool held;
        qint64 available; // in the budget afterwards
    };
    const Step steps[] = {
        {a, 10, true, 100}, // within the allowance
        {a, 60, true, 50},  // 50 beyond it
        {b, 70, false, 50}, // 60 beyond b's allowance: more than is left
        {b, 60, true, 0},   // exactly what is left
        {b, 61, false, 0},  // not a byte more
        {a, 11, true, 49},  // a shrinks and gives back
        {b, 109, true, 0},  // and b can take it
        {a, 0, true, 1},    // a holds nothing from the budget
        {b, 5, true, 100},  // b within its allowance: the budget is whole again
    };
    int n = 0;
    for (const Step &step : steps) {
        EXPECT_EQ(step.connection.hold(step.bytes), step.held) << "step " << n;
        EXPECT_EQ(budget.available(), step.available) << "step " << n;
        ++n;
    }
}

TEST(MemoryBudget, AConnectionGivesBackWhatItTookWhenItEnds)
{
    MemoryBudget budget(1000);
    {
        ConnectionMemory connection(budget, 100);
        ASSERT_TRUE(connection.hold(600));
        EXPECT_EQ(budget.available(), 500);
        EXPECT_EQ(connection.reachable(), 100 + 500 + 500);
        ASSERT_FALSE(connection.hold(1200)); // a refused growth keeps what was held
        EXPECT_EQ(budget.available(), 500);
    }
    EXPECT_EQ(budget.available(), 1000);
}

TEST(MemoryBudget, ConnectionsTakingAtOnceNeverOverdrawIt)
{
    constexpr qint64 capacity = 1000;
    MemoryBudget budget(capacity);
    std::atomic<bool> overdrawn{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            ConnectionMemory connection(budget, 0);
            for (int i = 0; i < 20000; ++i) {
                connection.hold((i * 37 + t * 11) % 300);
                if (budget.available() < 0 || budget.available() > capacity)
                    overdrawn = true;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_FALSE(overdrawn);
    EXPECT_EQ(budget.available(), capacity);
}
