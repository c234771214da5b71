// Frames no client of the protocol library sends: noise, cut and malformed CBOR, nesting without
// end, absurd lengths, unknown operations, every field of every request with a value of the
// wrong type, and a thousand requests at once. Each gets an error (or a hang-up where the stream
// can no longer be followed); after each, a fresh client gets correct answers.
#include "rawclient.h"
#include "serverfixture.h"

#include <QCborArray>
#include <QRandomGenerator>

#include <vector>

using namespace vztest;

namespace {

class Hostile : public ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        if (HasFatalFailure())
            return;
        auto setup = connect();
        setup->execute(QStringLiteral("create table T (ID integer primary key, PM varchar(20))"));
        setup->execute(QStringLiteral("insert into T values (1, 'a')"));
        setup->execute(QStringLiteral("insert into T values (2, 'b')"));
        setup->execute(QStringLiteral("insert into T values (3, 'c')"));
    }

    // A fresh client is served as if nothing had happened.
    void expectServed(const std::string &after)
    {
        ASSERT_TRUE(server.isRunning()) << "the server died after " << after;
        try {
            auto client = connect();
            EXPECT_EQ(scalar(*client, QStringLiteral("select count(*) from T")).toInt(), 3)
                << "after " << after;
        } catch (const wire::Error &e) {
            ADD_FAILURE() << "after " << after << ": " << e.what();
        }
    }

    // A raw session that said hello and chose the account set.
    void startSession(RawClient &client)
    {
        ASSERT_TRUE(vztest::startSession(client, server.port()));
    }
};

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray repeated(const char *hexUnit, int times)
{
    return hex(hexUnit).repeated(times);
}

// What the server does with a hostile frame.
enum class Answer {
    ErrorAndGoesOn,  // an error reply; the connection serves the next request
    ErrorAndHangsUp, // an error reply, then the connection is closed
    WaitsForTheRest, // a frame not complete yet: nothing until the time limit
};

struct Frame
{
    const char *name;
    QByteArray bytes;
    Answer answer;
};

} // namespace

TEST_F(Hostile, MalformedFramesGetAnErrorAndHarmNoOne)
{
    const QByteArray key = hex("a1 61 61"); // a map of one entry, key "a"
    const Frame frames[] = {
        {"an empty frame", frameOf({}), Answer::ErrorAndGoesOn},
        {"a payload that is no CBOR", frameOf(hex("ffffffff")), Answer::ErrorAndGoesOn},
        {"a request cut short inside its frame",
         frameOf(wire::encodeFrame(hello(5)).mid(4).chopped(3)), Answer::ErrorAndGoesOn},
        {"an array, not a map", frameOf(hex("82 01 02")), Answer::ErrorAndGoesOn},
        {"a map with a key that is no text", frameOf(hex("a1 01 02")), Answer::ErrorAndGoesOn},
        {"a map nested 100,000 deep", frameOf(repeated("a1 61 61", 100000) + hex("00")),
         Answer::ErrorAndGoesOn},
        {"indefinite maps nested 100,000 deep without end",
         frameOf(key + repeated("bf 61 61", 100000)), Answer::ErrorAndGoesOn},
        {"an array nested 100,000 deep", frameOf(key + repeated("81", 100000) + hex("00")),
         Answer::ErrorAndGoesOn},
        {"tags nested 100,000 deep", frameOf(key + repeated("c6", 100000) + hex("00")),
         Answer::ErrorAndGoesOn},
        {"a text announcing 4 GiB", frameOf(key + hex("7b 0000000100000000 41")),
         Answer::ErrorAndGoesOn},
        {"bytes announcing 2^63", frameOf(key + hex("5b 7fffffffffffffff 41")),
         Answer::ErrorAndGoesOn},
        {"an array announcing 2^64 items", frameOf(key + hex("9b ffffffffffffffff 01")),
         Answer::ErrorAndGoesOn},
        {"rows that are no rows", frameOf(hex("a1 64 726f7773 81 a0")), Answer::ErrorAndGoesOn},
        {"data after the map", frameOf(wire::encodeFrame(hello(5)).mid(4) + hex("00")),
         Answer::ErrorAndGoesOn},
        {"a frame declaring 4 GB", hex("ffffffff"), Answer::ErrorAndHangsUp},
        {"a frame declaring 4 GB, then data", hex("ffffffff") + QByteArray(100000, 'x'),
         Answer::ErrorAndHangsUp},
        {"a frame declaring just over the cap", hex("04000001"), Answer::ErrorAndHangsUp},
        {"a frame cut short", hex("00000100") + QByteArray(10, 'x'), Answer::WaitsForTheRest},
    };
    for (const Frame &frame : frames) {
        SCOPED_TRACE(frame.name);
        RawClient client;
        ASSERT_TRUE(client.connect(server.port()));
        client.sendBytes(frame.bytes);
        if (frame.answer == Answer::WaitsForTheRest) {
            EXPECT_TRUE(client.receive(300).isEmpty());
            client.close();
        } else {
            const QCborMap reply = client.receive();
            EXPECT_FALSE(reply.isEmpty()) << "no reply";
            EXPECT_FALSE(reply.value(QStringLiteral("ok")).toBool());
            EXPECT_FALSE(reply.value(QStringLiteral("error")).toString().isEmpty());
            if (frame.answer == Answer::ErrorAndHangsUp) {
                EXPECT_TRUE(client.closedByPeer());
            } else {
                ASSERT_TRUE(client.send(hello(9)));
                EXPECT_TRUE(answeredOk(client.receive(), 9)) << "the connection lost its step";
            }
        }
        expectServed(frame.name);
    }
}

TEST_F(Hostile, RandomBytesGetErrorsOrAHangUpAndHarmNoOne)
{
    QRandomGenerator random(20250114);
    for (int round = 0; round < 30; ++round) {
        RawClient noise;
        ASSERT_TRUE(noise.connect(server.port()));
        QByteArray bytes(int(random.bounded(1, 65536)), Qt::Uninitialized);
        for (char &b : bytes)
            b = char(random.bounded(256));
        // A plausible length first, half of the time, so that the payload is read as one.
        if (round % 2 == 0)
            bytes.replace(0, 4, lengthPrefix(uint32_t(bytes.size() - 4)));
        noise.sendBytes(bytes);
        if (round % 2 == 0) {
            const QCborMap reply = noise.receive();
            EXPECT_FALSE(reply.value(QStringLiteral("ok")).toBool());
        }
        expectServed("random bytes, round " + std::to_string(round));
    }
}

TEST_F(Hostile, UnknownOperationsAndValuesOfTheWrongTypeInEveryFieldAreErrors)
{
    // Every field each operation reads, and one of every kind of value in it.
    const std::pair<const char *, std::vector<const char *>> fields[] = {
        {"hello", {"module", "protocol"}},
        {"call", {"method", "args"}},
        {"open", {"provider", "text", "packet"}},
        {"fetch", {"cursor", "packet"}},
        {"close", {"cursor"}},
        {"execute", {"text", "provider"}},
        {"apply", {"provider", "text", "maxErrors", "changes"}},
        {"transact", {"parts"}},
        {"dance", {"text"}},
    };
    QCborArray nested;
    for (int i = 0; i < 10; ++i)
        nested = QCborArray{nested};
    const QCborValue values[] = {
        QCborValue(42),
        QCborValue(-1),
        QCborValue(std::numeric_limits<qint64>::min()),
        QCborValue(1.5),
        QCborValue(std::numeric_limits<double>::quiet_NaN()),
        QCborValue(QStringLiteral("x")),
        QCborValue(QString(100000, QLatin1Char('y'))),
        QCborValue(QByteArray("\x00\xff", 2)),
        QCborValue(QCborArray{1, QStringLiteral("two"), QCborMap()}),
        QCborValue(QCborMap{{QStringLiteral("kind"), 5}, {3, QStringLiteral("three")}}),
        QCborValue(nested),
        QCborValue(nullptr),
        QCborValue(true),
        QCborValue(QCborValue::Undefined),
        QCborValue(QCborKnownTags::DateTimeString, 17),
        QCborValue(QCborTag(1004), QStringLiteral("2024-13-45")),
    };
    // The values a well-formed request of each operation would carry besides.
    const QCborMap valid = {
        {QStringLiteral("module"), QStringLiteral("ZezU.datas")},
        {QStringLiteral("method"), QStringLiteral("GetServerDate")},
        {QStringLiteral("provider"), QStringLiteral("pT")},
        {QStringLiteral("text"), QStringLiteral("select * from T")},
        {QStringLiteral("cursor"), 1},
        {QStringLiteral("maxErrors"), 0},
        {QStringLiteral("changes"),
         QCborArray{QCborMap{{QStringLiteral("kind"), QStringLiteral("modify")},
                             {QStringLiteral("old"), QCborValue(nested)},
                             {QStringLiteral("new"), QCborArray{1}}},
                    QCborMap{{QStringLiteral("kind"), QStringLiteral("insert")},
                             {QStringLiteral("new"), QCborMap{{QStringLiteral("ID"), nested},
                                                              {QStringLiteral("PM"), 1.5}}}}}},
        {QStringLiteral("parts"),
         QCborArray{QCborMap{{QStringLiteral("kind"), QStringLiteral("execute")},
                             {QStringLiteral("text"), QStringLiteral("delete from T where ID = 0")},
                             {QStringLiteral("expectRows"), 0}}}},
    };
    // The reply to request id names it; only a value the protocol cannot carry at all (a date
    // that is none) makes the message malformed, and that answer names no request.
    const auto expectAnswer = [](const QCborMap &reply, int id, const std::string &what) {
        ASSERT_FALSE(reply.isEmpty()) << what;
        if (!reply.value(QStringLiteral("id")).isNull()) {
            EXPECT_EQ(reply.value(QStringLiteral("id")).toInteger(), id) << what;
        } else {
            EXPECT_TRUE(reply.value(QStringLiteral("error"))
                            .toString()
                            .startsWith(QStringLiteral("malformed")))
                << what;
        }
        if (!reply.value(QStringLiteral("ok")).toBool()) {
            EXPECT_FALSE(reply.value(QStringLiteral("error")).toString().isEmpty()) << what;
        }
    };
    RawClient client;
    startSession(client);
    int id = 100;
    for (const auto &[operation, keys] : fields) {
        for (const char *name : keys) {
            for (const QCborValue &value : values) {
                QCborMap message = request(++id, QString::fromLatin1(operation));
                for (const char *other : keys)
                    message[QString::fromLatin1(other)] = valid.value(QString::fromLatin1(other));
                message[QString::fromLatin1(name)] = value;
                ASSERT_TRUE(client.send(message));
                expectAnswer(client.receive(), id,
                             std::string(operation) + " with " + name + " = " +
                                 value.toDiagnosticNotation().left(60).toStdString());
            }
        }
        expectServed(operation);
    }
    // An id or an operation of any type: an error reply that echoes the id.
    for (const QCborValue &value : values) {
        const std::string what = value.toDiagnosticNotation().left(60).toStdString();
        QCborMap wrongOperation = request(++id, {});
        wrongOperation[QStringLiteral("op")] = value;
        ASSERT_TRUE(client.send(wrongOperation));
        const QCborMap reply = client.receive();
        expectAnswer(reply, id, "op = " + what);
        EXPECT_FALSE(reply.value(QStringLiteral("ok")).toBool());

        QCborMap wrongId = hello(0);
        wrongId[QStringLiteral("id")] = value;
        ASSERT_TRUE(client.send(wrongId));
        const QCborMap helloReply = client.receive();
        // Answered, echoing the id, unless the id is a value the protocol cannot carry.
        if (!helloReply.value(QStringLiteral("ok")).toBool())
            expectAnswer(helloReply, 0, "id = " + what);
    }
    // The session is still in step and still works.
    QCborMap query = request(++id, QStringLiteral("open"));
    query[QStringLiteral("provider")] = QStringLiteral("pTmp");
    query[QStringLiteral("text")] = QStringLiteral("select count(*) from T");
    ASSERT_TRUE(client.send(query));
    const QCborMap counted = client.receive();
    ASSERT_TRUE(answeredOk(counted, id));
    EXPECT_EQ(counted.value(QStringLiteral("rows")).toArray().at(0).toArray().at(0).toInteger(), 3);
    expectServed("values of the wrong type");
}

TEST_F(Hostile, AThousandRequestsSentAtOnceAreAnsweredInOrder)
{
    RawClient client;
    startSession(client);
    constexpr int count = 1000;
    QByteArray burst;
    for (int i = 0; i < count; ++i) {
        QCborMap message = request(1000 + i, QStringLiteral("open"));
        message[QStringLiteral("provider")] = QStringLiteral("pTmp");
        // Every third is wrong, so that errors and rows interleave.
        message[QStringLiteral("text")] =
            i % 3 == 2 ? QStringLiteral("select nothing from nowhere")
                       : QStringLiteral("select count(*) + %1 from T").arg(i);
        burst += wire::encodeFrame(message);
    }
    ASSERT_TRUE(client.sendBytes(burst));
    // Someone else is served meanwhile.
    expectServed("a thousand requests at once");
    for (int i = 0; i < count; ++i) {
        const QCborMap reply = client.receive();
        ASSERT_EQ(reply.value(QStringLiteral("id")).toInteger(), 1000 + i);
        if (i % 3 == 2) {
            EXPECT_FALSE(reply.value(QStringLiteral("ok")).toBool());
        } else {
            ASSERT_TRUE(reply.value(QStringLiteral("ok")).toBool());
            EXPECT_EQ(
                reply.value(QStringLiteral("rows")).toArray().at(0).toArray().at(0).toInteger(),
                3 + i);
        }
    }

    // A thousand garbage frames from a client that never reads its replies, then leaves.
    RawClient rude;
    ASSERT_TRUE(rude.connect(server.port()));
    ASSERT_TRUE(rude.sendBytes(frameOf(hex("ffff")).repeated(count)));
    expectServed("a thousand garbage frames");
    rude.close();
    expectServed("a rude client left");
}

TEST_F(Hostile, AConnectionSendingOnlyNoiseIsHungUpOnAndOneThatAlsoWorksIsNot)
{
    const QByteArray malformed = frameOf(hex("ffff"));
    // Malformed frames and unknown operations, a hundred and fifty in a row.
    RawClient noisy;
    ASSERT_TRUE(noisy.connect(server.port()));
    QByteArray burst;
    for (int i = 0; i < 150; ++i)
        burst += i % 2 ? malformed : wire::encodeFrame(request(i, QStringLiteral("dance")));
    noisy.sendBytes(burst);
    int errors = 0;
    QCborMap last;
    for (QCborMap reply = noisy.receive(); !reply.isEmpty(); reply = noisy.receive()) {
        ++errors;
        last = reply;
    }
    EXPECT_EQ(errors, 101) << "a hundred answers and the reason for hanging up";
    EXPECT_TRUE(last.value(QStringLiteral("error"))
                    .toString()
                    .contains(QStringLiteral("100 requests in a row")));
    EXPECT_TRUE(noisy.closedByPeer());

    // As many mistakes, each followed by a request that works: the session goes on.
    RawClient clumsy;
    ASSERT_TRUE(clumsy.connect(server.port()));
    for (int i = 0; i < 150; ++i) {
        ASSERT_TRUE(clumsy.sendBytes(malformed + wire::encodeFrame(hello(i))));
        EXPECT_FALSE(clumsy.receive().value(QStringLiteral("ok")).toBool());
        ASSERT_TRUE(answeredOk(clumsy.receive(), i)) << "cut off after " << i << " mistakes";
    }
    expectServed("noise");
}
