// A real vzserver under abuse and load: garbage on the wire, a killed process in the middle of
// a save, many clients at once, a runaway query beside a quick one, and what the log keeps.
#include "rawclient.h"
#include "serverfixture.h"

#include "wire/frame.h"

#include <QCborArray>
#include <QCborMap>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <atomic>
#include <thread>
#include <vector>

using namespace vztest;

TEST_F(ServerTest, GarbageOnOneConnectionDoesNotDisturbAnother)
{
    RawClient good;
    ASSERT_TRUE(good.connect(server.port()));
    good.send(hello(1));
    ASSERT_TRUE(answeredOk(good.receive(), 1));

    // A payload that is no CBOR map: an error reply, and the stream stays usable.
    RawClient malformed;
    ASSERT_TRUE(malformed.connect(server.port()));
    malformed.sendBytes(QByteArray::fromHex("00000004deadbeef"));
    const QCborMap refusal = malformed.receive();
    EXPECT_FALSE(refusal.value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(refusal.value(QStringLiteral("code")).toString(), QStringLiteral("protocol"));
    malformed.send(hello(2));
    EXPECT_TRUE(answeredOk(malformed.receive(), 2));

    // Arrays nested a hundred thousand deep, and a map whose values have the wrong types.
    malformed.sendBytes(frameOf(QByteArray(100000, char(0x81)) + QByteArray(1, char(0))));
    EXPECT_FALSE(malformed.receive().value(QStringLiteral("ok")).toBool());
    QCborMap wrongTypes;
    wrongTypes[QStringLiteral("id")] = QStringLiteral("x");
    wrongTypes[QStringLiteral("op")] = 42;
    malformed.send(wrongTypes);
    EXPECT_FALSE(malformed.receive().value(QStringLiteral("ok")).toBool());

    // A length far above the cap: an error reply, then the server hangs up.
    RawClient huge;
    ASSERT_TRUE(huge.connect(server.port()));
    huge.sendBytes(QByteArray::fromHex("7fffffff"));
    huge.receive();
    EXPECT_TRUE(huge.closedByPeer());

    // Random bytes: an error or a closed connection, nothing else.
    QRandomGenerator random(20240301);
    for (int round = 0; round < 20; ++round) {
        RawClient noise;
        ASSERT_TRUE(noise.connect(server.port()));
        QByteArray bytes(int(random.bounded(1, 4096)), Qt::Uninitialized);
        for (char &b : bytes)
            b = char(random.bounded(256));
        noise.sendBytes(bytes);
    }

    // A frame cut short waits for its end without holding anyone up.
    RawClient truncated;
    ASSERT_TRUE(truncated.connect(server.port()));
    truncated.sendBytes(wire::encodeFrame(hello(3)).left(6));

    good.send(hello(4));
    EXPECT_TRUE(answeredOk(good.receive(), 4));
    EXPECT_TRUE(server.isRunning());
}

TEST_F(ServerTest, RequestsBeforeHelloAndUnknownOperationsAreErrors)
{
    RawClient client;
    ASSERT_TRUE(client.connect(server.port()));
    client.send(request(1, QStringLiteral("open")));
    const QCborMap early = client.receive();
    EXPECT_FALSE(early.value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(early.value(QStringLiteral("code")).toString(), QStringLiteral("session"));

    QCborMap wrongModule = hello(2);
    wrongModule[QStringLiteral("module")] = QStringLiteral("Other.module");
    client.send(wrongModule);
    EXPECT_TRUE(client.receive()
                    .value(QStringLiteral("error"))
                    .toString()
                    .contains(QStringLiteral("Other.module")));

    client.send(hello(3));
    EXPECT_TRUE(answeredOk(client.receive(), 3));
    client.send(request(4, QStringLiteral("dance")));
    const QCborMap unknown = client.receive();
    EXPECT_EQ(unknown.value(QStringLiteral("id")).toInteger(), 4);
    EXPECT_TRUE(
        unknown.value(QStringLiteral("error")).toString().contains(QStringLiteral("dance")));
}

TEST_F(ServerTest, AKilledServerLeavesAnInterruptedSaveUnstored)
{
    auto client = connect();
    client->execute(QStringLiteral("create table HP (ID integer primary key, PM varchar(200))"));
    QList<wire::Change> before;
    for (int i = 1; i <= 10; ++i)
        before.append(
            inserted({{QStringLiteral("ID"), i}, {QStringLiteral("PM"), QStringLiteral("原")}}));
    ASSERT_TRUE(client->apply(QStringLiteral("pHP"), {}, 0, before).errors.isEmpty());

    QList<wire::Change> large;
    const QString text(50, QChar(u'货'));
    for (int i = 11; i <= 150000; ++i)
        large.append(inserted({{QStringLiteral("ID"), i}, {QStringLiteral("PM"), text}}));
    std::atomic<bool> replied{false};
    std::thread saver([&] {
        try {
            client->apply(QStringLiteral("pHP"), {}, 0, large);
            replied = true;
        } catch (const wire::Error &) {
        }
    });
    // Kill as soon as the transaction is visibly being written.
    const QString wal = server.dataDir() + QStringLiteral("/001/VzData.db-wal");
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() && !replied && QFileInfo(wal).size() < 8 * 1024 * 1024)
        QThread::msleep(5);
    server.kill();
    saver.join();
    ASSERT_FALSE(replied) << "the save finished before the server could be killed";

    ASSERT_TRUE(server.start()) << server.error().toStdString();
    auto after = connect();
    EXPECT_EQ(scalar(*after, QStringLiteral("select count(*) from HP")).toInt(), 10);
    EXPECT_EQ(scalar(*after, QStringLiteral("select max(ID) from HP")).toInt(), 10);
}

TEST_F(ServerTest, FiftyClientsSavingAtOnceLoseNothing)
{
    {
        auto setup = connect();
        setup->execute(
            QStringLiteral("create table XSKD (ID integer primary key, ZBID int, SL float)"));
        setup->execute(QStringLiteral("create table MaxBillNo (ID integer primary key, N int)"));
        setup->execute(QStringLiteral("insert into MaxBillNo values (1, 0)"));
    }
    constexpr int clients = 50, saves = 10, linesPerSave = 5;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < clients; ++t) {
        threads.emplace_back([&, t] {
            try {
                auto client = connect();
                for (int s = 0; s < saves; ++s) {
                    QList<wire::Change> lines;
                    for (int l = 0; l < linesPerSave; ++l) {
                        const int id = (t * saves + s) * linesPerSave + l + 1;
                        lines.append(inserted({{QStringLiteral("ID"), id},
                                               {QStringLiteral("ZBID"), t * saves + s},
                                               {QStringLiteral("SL"), 1.5}}));
                    }
                    const wire::ApplyResult result =
                        client->apply(QStringLiteral("pXSKD"), {}, 0, lines);
                    if (!result.errors.isEmpty() || result.applied != linesPerSave)
                        ++failures;
                    if (client->execute(QStringLiteral("update MaxBillNo set N = N + 1")) != 1)
                        ++failures;
                }
            } catch (const std::exception &e) {
                ++failures;
                ADD_FAILURE() << e.what();
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    auto check = connect();
    EXPECT_EQ(scalar(*check, QStringLiteral("select count(*) from XSKD")).toInt(),
              clients * saves * linesPerSave);
    EXPECT_EQ(scalar(*check, QStringLiteral("select sum(SL) from XSKD")).toDouble(),
              clients * saves * linesPerSave * 1.5);
    EXPECT_EQ(scalar(*check, QStringLiteral("select N from MaxBillNo")).toInt(), clients * saves);
}

namespace {

class SlowNeighbour : public ServerTest
{
protected:
    QStringList serverArguments() const override
    {
        return {QStringLiteral("--query-timeout"), QStringLiteral("4")};
    }
};

} // namespace

TEST_F(SlowNeighbour, ASlowQueryDoesNotStallOtherClients)
{
    auto slow = connect();
    slow->execute(QStringLiteral("create table T (ID integer primary key)"));
    QList<wire::Change> rows;
    for (int i = 1; i <= 1000; ++i)
        rows.append(inserted({{QStringLiteral("ID"), i}}));
    ASSERT_TRUE(slow->apply(QStringLiteral("pT"), {}, 0, rows).errors.isEmpty());

    std::atomic<bool> slowDone{false};
    QString slowError;
    std::thread runaway([&] {
        try {
            slow->open(QStringLiteral("pTmp"),
                       QStringLiteral("select count(*) from T a, T b, T c"));
        } catch (const wire::Error &e) {
            slowError = e.code();
        }
        slowDone = true;
    });
    QThread::msleep(300);
    auto quick = connect();
    EXPECT_EQ(scalar(*quick, QStringLiteral("select count(*) from T")).toInt(), 1000);
    EXPECT_FALSE(slowDone) << "the quick query waited for the slow one";
    runaway.join();
    EXPECT_EQ(slowError, wire::code::Timeout);
}

TEST_F(ServerTest, TheLogHasAConnectionsAndFailuresButNoRowData)
{
    {
        auto client = connect();
        client->execute(QStringLiteral("create table HP (ID integer primary key, PM varchar(20))"));
        client->apply(QStringLiteral("pHP"), {}, 0,
                      {inserted({{QStringLiteral("ID"), 1},
                                 {QStringLiteral("PM"), QStringLiteral("SECRET-1")}})});
        // A refused row and a failed statement.
        client->apply(QStringLiteral("pHP"), {}, 0,
                      {inserted({{QStringLiteral("ID"), 1},
                                 {QStringLiteral("PM"), QStringLiteral("SECRET-2")}})});
        EXPECT_THROW(client->open(QStringLiteral("pNothing")), wire::Error);
    }
    server.stop();
    QFile log(server.dataDir() + QStringLiteral("/vzserver.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("connected")));
    EXPECT_TRUE(text.contains(QStringLiteral("disconnected")));
    EXPECT_TRUE(text.contains(QStringLiteral("apply pHP: 1 of 1 rows refused")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("pNothing")));
    EXPECT_FALSE(text.contains(QStringLiteral("SECRET")));
}
