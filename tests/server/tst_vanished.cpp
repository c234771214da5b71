// A client that vanishes in the middle of a request costs the server nothing: its statement
// stops within a moment, and what it held (its thread, its cursors, the write lock and its
// transaction) is given up for the others.
#include "processstatus.h"
#include "rawclient.h"
#include "serverfixture.h"

#include <QCborArray>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <chrono>
#include <thread>

using namespace vztest;

namespace {

// What the client was doing when it vanished, and how it went.
struct Vanishing
{
    const char *name;
    const char *operation; // "open" or "execute"
    const char *text;
    bool holdsWriteLock;
    bool abortive; // reset (a crashed host) rather than closed
};

void PrintTo(const Vanishing &vanishing, std::ostream *out)
{
    *out << vanishing.name;
}

const Vanishing vanishings[] = {
    {"ReadingClosed", "open", "select count(*) from T a, T b, T c", false, false},
    {"ReadingReset", "open", "select count(*) from T a, T b, T c", false, true},
    {"WritingClosed", "execute", "insert into W select count(*) from T a, T b, T c", true, false},
    {"WritingReset", "execute", "insert into W select count(*) from T a, T b, T c", true, true},
};

class VanishingClient
    : public ServerTest
    , public ::testing::WithParamInterface<Vanishing>
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        if (HasFatalFailure())
            return;
        auto setup = connect();
        setup->execute(QStringLiteral("create table T (ID integer primary key)"));
        setup->execute(QStringLiteral("create table W (N int)"));
        execOnFile("insert into T select x from (with recursive c(x) as (select 1 union all "
                   "select x + 1 from c where x < 2000) select x from c)");
    }

    // A raw client with the account set chosen.
    void startSession(RawClient &client)
    {
        ASSERT_TRUE(vztest::startSession(client, server.port()));
    }

    // Waits until the server runs no more threads than given; the milliseconds it took, or
    // -1 when it still runs more after the time allowed.
    qint64 msUntilThreads(qint64 threads, const QElapsedTimer &since)
    {
        const qint64 pid = server.processId();
        while (since.elapsed() < 10000) {
            if (threadCount(pid) <= threads)
                return since.elapsed();
            QThread::msleep(5);
        }
        return -1;
    }
};

} // namespace

TEST_P(VanishingClient, ItsStatementStopsAndWhatItHeldIsFreedWithinASecond)
{
    using Clock = std::chrono::steady_clock;
    const Vanishing &c = GetParam();
    RawClient vanishing;
    startSession(vanishing);
    QCborMap running = request(3, QString::fromLatin1(c.operation));
    running[QStringLiteral("provider")] = QStringLiteral("pTmp");
    running[QStringLiteral("text")] = QString::fromLatin1(c.text);
    ASSERT_TRUE(vanishing.send(running));
    QThread::msleep(300); // the statement runs

    // Another client's write waits for the write lock as long as the statement holds it.
    std::atomic<Clock::rep> wroteAt{0};
    auto writer = connect();
    std::thread write([&] {
        try {
            writer->execute(QStringLiteral("insert into W values (7)"));
            wroteAt = Clock::now().time_since_epoch().count();
        } catch (const wire::Error &e) {
            ADD_FAILURE() << e.what();
        }
    });
    QThread::msleep(200);
    if (c.holdsWriteLock) {
        EXPECT_EQ(wroteAt, 0) << "the statement did not hold the write lock";
    }

    const qint64 withBoth = threadCount(server.processId());
    QElapsedTimer sinceGone;
    sinceGone.start();
    const Clock::rep goneAt = Clock::now().time_since_epoch().count();
    vanishing.close(c.abortive);
    const qint64 threadGoneMs = msUntilThreads(withBoth - 1, sinceGone);
    write.join();
    const qint64 wroteAfterMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::duration(wroteAt - goneAt))
            .count();
    std::printf("[ measure  ] %s: the session's thread ended %lld ms after its client went; "
                "another client's write was stored %lld ms after\n",
                c.name, static_cast<long long>(threadGoneMs), static_cast<long long>(wroteAfterMs));
    // Well within the server's 120 s query time limit, which would stop it too.
    EXPECT_GE(threadGoneMs, 0) << "the session still runs";
    EXPECT_LT(threadGoneMs, 3000);
    EXPECT_NE(wroteAt, 0);
    EXPECT_LT(wroteAfterMs, 3000);

    // Nothing of the vanished client's statement was stored.
    EXPECT_EQ(scalar(*writer, QStringLiteral("select count(*) from W")).toInt(), 1);
    EXPECT_EQ(scalar(*writer, QStringLiteral("select max(N) from W")).toInt(), 7);
    server.stop();
    QFile log(server.dataDir() + QStringLiteral("/vzserver.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("the client went away"));
}

INSTANTIATE_TEST_SUITE_P(Server, VanishingClient, ::testing::ValuesIn(vanishings),
                         [](const ::testing::TestParamInfo<Vanishing> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(ServerTest, AVanishedClientsOpenCursorNoLongerHoldsItsSnapshot)
{
    auto setup = connect();
    setup->execute(QStringLiteral("create table T (ID integer primary key)"));
    execOnFile("insert into T select x from (with recursive c(x) as (select 1 union all select "
               "x + 1 from c where x < 100) select x from c)");
    RawClient reader;
    ASSERT_TRUE(reader.connect(server.port()));
    ASSERT_TRUE(reader.send(hello(1)));
    ASSERT_TRUE(answeredOk(reader.receive(), 1));
    ASSERT_TRUE(enterAccountSet(reader, 2));
    QCborMap open = request(3, QStringLiteral("open"));
    open[QStringLiteral("provider")] = QStringLiteral("pT");
    open[QStringLiteral("packet")] = 10;
    ASSERT_TRUE(reader.send(open));
    const QCborMap opened = reader.receive();
    ASSERT_TRUE(answeredOk(opened, 3));
    ASSERT_TRUE(opened.contains(QStringLiteral("cursor")));
    setup->execute(QStringLiteral("insert into T values (1000)")); // the snapshot is now old

    // While the cursor keeps its snapshot the log cannot be emptied; once its client is gone
    // it can.
    const auto checkpointBusy = [&] {
        sql::Database db(
            QDir(server.dataDir()).filePath(QStringLiteral("001/VzData.db")).toStdString());
        auto checkpoint = db.prepare("pragma wal_checkpoint(truncate)");
        return checkpoint.step() && checkpoint.columnInt(0) != 0;
    };
    EXPECT_TRUE(checkpointBusy());
    reader.close();
    QDeadlineTimer deadline(3000);
    bool freed = false;
    while (!freed && !deadline.hasExpired()) {
        freed = !checkpointBusy();
        if (!freed)
            QThread::msleep(20);
    }
    EXPECT_TRUE(freed) << "the vanished client's cursor still holds its snapshot";
}
