// End-to-end checks of a real vzserver process.
#include "support/serverprocess.h"
#include "wire/frame.h"

#include "vzversion.h"

#include <QTcpSocket>

#include <gtest/gtest.h>

namespace {

// A raw client that can also send what a well-behaved one never would.
class RawClient
{
public:
    bool connect(quint16 port)
    {
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        return m_socket.waitForConnected(5000);
    }
    void sendBytes(const QByteArray &bytes)
    {
        m_socket.write(bytes);
        m_socket.waitForBytesWritten(5000);
    }
    void send(const QCborMap &message) { sendBytes(wire::encodeFrame(message)); }

    // The next reply, or an empty map when the server closed the connection instead.
    QCborMap receive()
    {
        for (;;) {
            QCborMap frame;
            if (m_reader.next(frame) == wire::FrameReader::Status::Frame)
                return frame;
            if (!m_socket.waitForReadyRead(5000))
                return {};
            m_reader.append(m_socket.readAll());
        }
    }
    bool closedByPeer()
    {
        if (m_socket.state() == QAbstractSocket::UnconnectedState)
            return true;
        m_socket.waitForReadyRead(5000);
        m_reader.append(m_socket.readAll());
        return m_socket.state() == QAbstractSocket::UnconnectedState;
    }

private:
    QTcpSocket m_socket;
    wire::FrameReader m_reader;
};

QCborMap hello(int id)
{
    QCborMap request;
    request[QStringLiteral("id")] = id;
    request[QStringLiteral("op")] = QStringLiteral("hello");
    request[QStringLiteral("module")] = QStringLiteral("ZezU.datas");
    return request;
}

} // namespace

TEST(Server, AnswersHelloWithItsVersion)
{
    vztest::ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    RawClient client;
    ASSERT_TRUE(client.connect(server.port()));
    client.send(hello(1));
    const QCborMap reply = client.receive();
    EXPECT_EQ(reply.value(QStringLiteral("id")).toInteger(), 1);
    EXPECT_TRUE(reply.value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(reply.value(QStringLiteral("version")).toString(),
              QStringLiteral(VZ_PRODUCT_VERSION));
}

TEST(Server, GarbageOnOneConnectionDoesNotDisturbAnother)
{
    vztest::ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error().toStdString();

    RawClient good;
    ASSERT_TRUE(good.connect(server.port()));

    RawClient malformed;
    ASSERT_TRUE(malformed.connect(server.port()));
    malformed.sendBytes(QByteArray::fromHex("00000004deadbeef"));
    EXPECT_FALSE(malformed.receive().value(QStringLiteral("ok")).toBool());

    RawClient huge;
    ASSERT_TRUE(huge.connect(server.port()));
    huge.sendBytes(QByteArray::fromHex("7fffffff"));
    huge.receive(); // an error reply, then the server hangs up
    EXPECT_TRUE(huge.closedByPeer());

    RawClient truncated;
    ASSERT_TRUE(truncated.connect(server.port()));
    truncated.sendBytes(wire::encodeFrame(hello(3)).left(6));

    good.send(hello(2));
    const QCborMap reply = good.receive();
    EXPECT_EQ(reply.value(QStringLiteral("id")).toInteger(), 2);
    EXPECT_TRUE(reply.value(QStringLiteral("ok")).toBool());
    EXPECT_TRUE(server.isRunning());
}
