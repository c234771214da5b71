// The server's limits reached on purpose: connections, the memory requests may hold, and the
// size of one reply. The client beyond a limit gets a clear error; everyone else is served, and
// the server's own memory stays bounded however much a client asks for.
#include "processstatus.h"
#include "rawclient.h"
#include "serverfixture.h"

#include <QCborArray>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <climits>
#include <vector>

using namespace vztest;

namespace {

QString codeOf(const QCborMap &reply)
{
    return reply.value(QStringLiteral("code")).toString();
}

QString errorOf(const QCborMap &reply)
{
    return reply.value(QStringLiteral("error")).toString();
}

QCborMap open(int id, const QString &text)
{
    QCborMap map = request(id, QStringLiteral("open"));
    map[QStringLiteral("provider")] = QStringLiteral("pTmp");
    map[QStringLiteral("text")] = text;
    return map;
}

// A well-behaved session on a raw connection: hello, the account set, and one query whose
// single value it returns (-1 when any step fails).
qint64 countThrough(RawClient &client, const QString &query)
{
    if (!client.send(hello(1)) || !answeredOk(client.receive(), 1))
        return -1;
    if (!enterAccountSet(client, 2))
        return -1;
    if (!client.send(open(3, query)))
        return -1;
    const QCborMap reply = client.receive();
    if (!answeredOk(reply, 3))
        return -1;
    return reply.value(QStringLiteral("rows")).toArray().at(0).toArray().at(0).toInteger();
}

// A request of about the given size: a hello that carries a long text beside.
QCborMap paddedHello(int id, qsizetype bytes)
{
    QCborMap map = hello(id);
    map[QStringLiteral("padding")] = QString(bytes, QLatin1Char('x'));
    return map;
}

class Limits : public ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        if (HasFatalFailure())
            return;
        auto setup = connect();
        setup->execute(QStringLiteral("create table T (ID integer primary key)"));
        setup->execute(QStringLiteral("insert into T values (1)"));
        setup->execute(QStringLiteral("insert into T values (2)"));
        setup->execute(QStringLiteral("insert into T values (3)"));
    }

    // A fresh client gets correct answers.
    void expectServed()
    {
        auto client = connect();
        EXPECT_EQ(scalar(*client, QStringLiteral("select count(*) from T")).toInt(), 3);
    }
};

} // namespace

TEST_F(Limits, ConnectionsBeyondTheLimitAreRefusedAndFreedPlacesServeNewOnes)
{
    constexpr int limit = 256, extra = 44; // the default limit
    // All connect first; then every one of them is used. The refused learn why in place of
    // the TLS handshake, which the server does not start for them.
    std::vector<std::unique_ptr<RawClient>> clients;
    int refused = 0;
    for (int i = 0; i < limit + extra; ++i) {
        auto client = std::make_unique<RawClient>();
        if (client->connect(server.port())) {
            clients.push_back(std::move(client));
            continue;
        }
        ++refused;
        EXPECT_TRUE(client->error().contains(QStringLiteral("maximum of 256 connections")))
            << "connection " << i << ": " << client->error().toStdString();
    }
    std::vector<RawClient *> served;
    for (auto &client : clients) {
        client->send(hello(1));
        if (answeredOk(client->receive(), 1))
            served.push_back(client.get());
    }
    ASSERT_EQ(int(served.size()), limit);
    EXPECT_EQ(refused, extra);
    int working = 0;
    for (RawClient *client : served) {
        if (!enterAccountSet(*client, 2))
            continue;
        client->send(open(3, QStringLiteral("select count(*) from T")));
        const QCborMap reply = client->receive();
        working +=
            reply.value(QStringLiteral("rows")).toArray().at(0).toArray().at(0).toInteger() == 3;
    }
    EXPECT_EQ(working, limit);

    // Places given up are taken by new connections, and only as many as were given up.
    constexpr int leaving = 20;
    for (int i = 0; i < leaving; ++i)
        served[size_t(i)]->close();
    std::vector<std::unique_ptr<RawClient>> newcomers;
    QDeadlineTimer deadline(20000);
    while (int(newcomers.size()) < leaving && !deadline.hasExpired()) {
        // Until the server has seen every leaver go, a newcomer may still be refused at the limit.
        auto client = std::make_unique<RawClient>();
        const bool connected = client->connect(server.port());
        if (!connected) {
            ASSERT_TRUE(client->error().contains(QStringLiteral("maximum of 256 connections")))
                << client->error().toStdString();
        }
        if (connected && countThrough(*client, QStringLiteral("select count(*) from T")) == 3)
            newcomers.push_back(std::move(client));
        else
            QThread::msleep(20);
    }
    EXPECT_EQ(int(newcomers.size()), leaving);
    RawClient oneTooMany;
    EXPECT_FALSE(oneTooMany.connect(server.port()));
    EXPECT_TRUE(oneTooMany.error().contains(QStringLiteral("maximum of 256 connections")))
        << oneTooMany.error().toStdString();
    // Without TLS the refusal is a frame of the protocol.
    RawClient plain;
    ASSERT_TRUE(plain.connect(server.port(), false));
    plain.send(hello(1));
    EXPECT_EQ(codeOf(plain.receive()), QStringLiteral("limit"));

    clients.clear();
    newcomers.clear();
    // Once they are all gone, a client of the protocol library is served again.
    deadline = QDeadlineTimer(20000);
    bool servedAgain = false;
    while (!servedAgain && !deadline.hasExpired()) {
        try {
            auto client = connect();
            servedAgain = scalar(*client, QStringLiteral("select count(*) from T")).toInt() == 3;
        } catch (const wire::Error &) {
            QThread::msleep(20);
        }
    }
    EXPECT_TRUE(servedAgain);
}

TEST_F(Limits, AClientRefusedAtTheLimitLearnsWhyThroughTheLibrary)
{
    std::vector<std::unique_ptr<RawClient>> holders;
    for (int i = 0; i < 256; ++i) {
        holders.push_back(std::make_unique<RawClient>());
        ASSERT_TRUE(holders.back()->connect(server.port()));
        ASSERT_TRUE(holders.back()->send(hello(1)));
        ASSERT_TRUE(answeredOk(holders.back()->receive(), 1)) << "connection " << i;
    }
    wire::Client client;
    try {
        client.connect(server.host(), server.port());
        client.hello();
        FAIL() << "the 257th connection was served";
    } catch (const wire::Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("maximum of 256 connections")))
            << e.message().toStdString();
    }
}

TEST_F(Limits, StalledHalfFramesCannotTakeTheServersMemory)
{
    // Fifty connections each send half of a 60 MB frame (under the 64 MiB frame cap) and stall.
    constexpr qint64 frameSize = 60000000, half = frameSize / 2;
    constexpr qint64 budget = 256 << 20, allowance = 1 << 20; // the defaults
    constexpr int connections = 50;
    constexpr int fitting = int(budget / (half + wire::FrameHeaderSize - allowance));
    const QByteArray halfFrame = lengthPrefix(frameSize) + QByteArray(half, 'x');
    const qint64 pid = server.processId();
    std::vector<std::unique_ptr<RawClient>> stalled;
    for (int i = 0; i < connections; ++i) {
        stalled.push_back(std::make_unique<RawClient>());
        ASSERT_TRUE(stalled.back()->connect(server.port()));
        stalled.back()->sendBytes(halfFrame); // fails part way for the refused
    }
    // The refused get the reason and are hung up on; the others wait for their frames' ends.
    std::vector<bool> refused(connections, false);
    int refusals = 0;
    QDeadlineTimer deadline(20000);
    while (refusals < connections - fitting && !deadline.hasExpired()) {
        for (int i = 0; i < connections; ++i) {
            if (refused[size_t(i)])
                continue;
            const QCborMap reply = stalled[size_t(i)]->receive(20);
            if (reply.isEmpty())
                continue;
            refused[size_t(i)] = true;
            ++refusals;
            EXPECT_EQ(codeOf(reply), QStringLiteral("limit"));
            EXPECT_TRUE(errorOf(reply).contains(QStringLiteral("256 MiB")))
                << errorOf(reply).toStdString();
            EXPECT_TRUE(stalled[size_t(i)]->closedByPeer());
        }
    }
    EXPECT_GE(refusals, connections - fitting);
    EXPECT_LT(refusals, connections) << "no half frame was taken at all";
    const qint64 resident = residentKb(pid);
    std::printf("[ measure  ] server resident with %d connections holding half frames: %lld MB\n",
                connections - refusals, resident / 1024);
    EXPECT_LT(resident, (budget + connections * allowance) / 1024 + 200 * 1024);

    // Meanwhile others are served, small requests and one beyond a connection's own allowance.
    expectServed();
    RawClient medium;
    ASSERT_TRUE(medium.connect(server.port()));
    ASSERT_TRUE(medium.send(paddedHello(1, 2 << 20)));
    EXPECT_TRUE(answeredOk(medium.receive(), 1));

    // Once the stalled ones give up, their memory serves a large request again.
    stalled.clear();
    deadline = QDeadlineTimer(20000);
    bool large = false;
    while (!large && !deadline.hasExpired()) {
        RawClient client;
        ASSERT_TRUE(client.connect(server.port()));
        client.send(paddedHello(1, half));
        large = answeredOk(client.receive(), 1);
        if (!large)
            QThread::msleep(50);
    }
    EXPECT_TRUE(large);
    expectServed();
}

TEST_F(Limits, ARequestThatWouldTakeTooMuchMemoryOnceDecodedIsRefused)
{
    // Eight million one-byte values: a small frame, but gigabytes as variants.
    QByteArray payload = QByteArray::fromHex("a3 626964 01 626f70 6568656c6c6f 6461726773 9f");
    payload += QByteArray(8000000, char(0x00));
    payload += char(0xff);
    RawClient client;
    ASSERT_TRUE(client.connect(server.port()));
    ASSERT_TRUE(client.sendBytes(frameOf(payload)));
    const QCborMap reply = client.receive();
    EXPECT_FALSE(reply.value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(codeOf(reply), QStringLiteral("limit"));
    EXPECT_EQ(reply.value(QStringLiteral("id")).toInteger(), 1) << "the refused request is named";
    EXPECT_LT(peakResidentKb(server.processId()), 400 * 1024);
    // The session goes on.
    ASSERT_TRUE(client.send(hello(2)));
    EXPECT_TRUE(answeredOk(client.receive(), 2));
    expectServed();
}

namespace {

// A server without its own memory cap on requests, in a process whose address space is bounded:
// allocations fail inside a request.
class ShortOfMemory : public Limits
{
protected:
    QStringList serverArguments() const override
    {
        return {QStringLiteral("--max-request-memory"), QStringLiteral("64G")};
    }
};

} // namespace

TEST_F(ShortOfMemory, AFailedAllocationEndsTheRequestNotTheSessionOrTheServer)
{
    RawClient client;
    ASSERT_TRUE(client.connect(server.port()));
    ASSERT_TRUE(client.send(hello(1)));
    ASSERT_TRUE(answeredOk(client.receive(), 1));

    const qint64 pid = server.processId();
    rlimit bound{};
    bound.rlim_cur = rlim_t(processStatus(pid, "VmSize") + 256 * 1024) * 1024;
    bound.rlim_max = RLIM_INFINITY;
    ASSERT_EQ(::prlimit(pid_t(pid), RLIMIT_AS, &bound, nullptr), 0);

    // 24 million values in a 24 MB frame: far more memory, once decoded, than the process has.
    QByteArray payload = QByteArray::fromHex("a3 626964 02 626f70 6568656c6c6f 6461726773 9f");
    payload += QByteArray(24000000, char(0x00));
    payload += char(0xff);
    ASSERT_TRUE(client.sendBytes(frameOf(payload)));
    const QCborMap reply = client.receive(60000);
    EXPECT_FALSE(reply.value(QStringLiteral("ok")).toBool());
    EXPECT_TRUE(errorOf(reply).contains(QStringLiteral("internal error")))
        << errorOf(reply).toStdString();

    ASSERT_TRUE(client.send(hello(3)));
    EXPECT_TRUE(answeredOk(client.receive(), 3)) << "the session did not survive its request";
    expectServed();
    EXPECT_TRUE(server.isRunning());
}

TEST_F(Limits, APacketHoldsNoMoreRowsOrBytesThanTheServerAllowsWhateverIsAsked)
{
    execOnFile("create table Many (ID integer primary key, PM varchar(1000))");
    execOnFile("insert into Many select x, 'p' from (with recursive c(x) as (select 1 union all "
               "select x + 1 from c where x < 150000) select x from c)");
    execOnFile("create table Wide (ID integer primary key, PM varchar(1000))");
    execOnFile("insert into Wide select ID, substr(hex(zeroblob(500)), 1, 1000) from Many where "
               "ID <= 40000");
    auto client = connect();
    struct Case
    {
        int packet;
        int rows;
    };
    const Case cases[] = {{-1, 100000},     {0, 100000},    {INT_MAX, 100000},
                          {100001, 100000}, {99999, 99999}, {5, 5}};
    for (const Case &c : cases) {
        wire::OpenResult result =
            client->open(QStringLiteral("pTmp"), QStringLiteral("select * from Many"), c.packet);
        EXPECT_EQ(result.rows.size(), c.rows) << "packet " << c.packet;
        EXPECT_FALSE(result.eof());
        client->close(result.cursor);
    }

    // Wide rows: the packet ends at 16 MiB, and the rest follows in later ones.
    wire::OpenResult wide = client->open(QStringLiteral("pWide"), {}, -1);
    const qsizetype first = wide.rows.size();
    EXPECT_LT(first * 1000, 17 << 20);
    EXPECT_GT(first * 1000, 15 << 20);
    client->fetchAll(wide);
    EXPECT_EQ(wide.rows.size(), 40000);

    // A select given to execute is refused before it runs: execute is no way to read.
    EXPECT_THROW(client->execute(QStringLiteral("select * from Many")), wire::Error);
}

TEST_F(Limits, ConflictsOnLargeRowsBringBackOnlySoManyOfThem)
{
    // A small change log whose every row conflicts with a stored row of a megabyte.
    execOnFile("create table Large (ID integer primary key, PM text, N int)");
    execOnFile("insert into Large values (1, hex(zeroblob(500000)), 0)");
    QList<wire::Change> changes;
    for (int i = 0; i < 100; ++i)
        changes.append({wire::ChangeKind::Modify,
                        {{QStringLiteral("ID"), 1}, {QStringLiteral("N"), 5}},
                        {{QStringLiteral("N"), 6}}});
    auto client = connect();
    const wire::ApplyResult result = client->apply(QStringLiteral("pLarge"), {}, -1, changes);
    ASSERT_EQ(result.errors.size(), 100);
    int carried = 0;
    for (const wire::RowError &error : result.errors) {
        EXPECT_EQ(error.code, wire::code::Conflict);
        if (!error.current.isEmpty()) {
            ++carried;
            EXPECT_EQ(error.current.value(QStringLiteral("PM")).toString().size(), 1000000);
        }
    }
    // The first conflicts show the row as stored; the reply stops growing at 16 MiB of them.
    EXPECT_GE(carried, 1);
    EXPECT_LE(carried, 8);
    expectServed();
}

TEST_F(Limits, FetchingFiveMillionRowsKeepsTheServersMemoryBounded)
{
    constexpr qint64 total = 5000000;
    execOnFile("create table Big (ID integer primary key, PM varchar(40), SL float)");
    execOnFile("insert into Big select x, 'goods number ' || x, x * 0.5 from (with recursive "
               "c(x) as (select 1 union all select x + 1 from c where x < 5000000) select x "
               "from c)");
    struct CountingSink : wire::RowSink
    {
        qint64 rows = 0, idSum = 0;
        void beginRow() override {}
        void setNull(int) override {}
        void setInteger(int column, qint64 value) override
        {
            if (column == 0)
                idSum += value;
        }
        void setFloat(int, double) override {}
        void setBoolean(int, bool) override {}
        void setText(int, const char *, qsizetype) override {}
        void setDate(int, QDate) override {}
        void setDateTime(int, const QDateTime &) override {}
        void setBlob(int, const QByteArray &) override {}
        void endRow() override { ++rows; }
    } sink;

    const qint64 pid = server.processId();
    auto client = connect();
    const qint64 before = residentKb(pid);
    qint64 highest = before;
    wire::OpenResult result =
        client->open(QStringLiteral("pTmp"), QStringLiteral("select * from Big"), 2000, &sink);
    for (int packet = 1; !result.eof(); ++packet) {
        result.cursor = client->fetch(result.cursor, 0, &sink).cursor;
        if (packet % 50 == 0)
            highest = std::max(highest, residentKb(pid));
    }
    EXPECT_EQ(sink.rows, total);
    EXPECT_EQ(sink.idSum, total * (total + 1) / 2);
    const qint64 peak = peakResidentKb(pid);
    std::printf("[ measure  ] server resident while fetching %lld rows: %lld MB before, at most "
                "%lld MB during; peak of the process %lld MB\n",
                static_cast<long long>(total), before / 1024, highest / 1024, peak / 1024);
    EXPECT_LT(highest - before, 64 * 1024) << "the rows gather in the server";
    EXPECT_LT(peak, 160 * 1024);

    // Nor does one packet as large as it may be.
    wire::OpenResult large =
        client->open(QStringLiteral("pTmp"), QStringLiteral("select * from Big"), -1);
    EXPECT_EQ(large.rows.size(), 100000);
    client->close(large.cursor);
    EXPECT_LT(peakResidentKb(pid), 160 * 1024);
}
