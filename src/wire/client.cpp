// The blocking protocol client.
#include "wire/client.h"

#include "wire/channel.h"
#include "wire/socket.h"
#include "wire/tls.h"

#include <chrono>
#include <unistd.h>

namespace wire {

Error::Error(Kind kind, const QString &message, const QString &code)
    : std::runtime_error(message.toStdString())
    , m_kind(kind)
    , m_message(message)
    , m_code(code)
{}

Client::Client() = default;

Client::~Client()
{
    disconnect();
}

void Client::connect(const QString &host, quint16 port, int timeoutMs)
{
    disconnect();
    m_serverFingerprint.clear();
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    QString error;
    const int fd = connectTcp(host, port, timeoutMs, &error);
    if (fd < 0)
        throw Error(Error::Kind::ConnectionLost, error);
    m_peer = host + QLatin1Char(':') + QString::number(port);
    m_reader = FrameReader();
    if (!m_tls) {
        m_channel = plainChannel(fd);
        return;
    }
    try {
        if (!m_tlsContext)
            m_tlsContext = TlsContext::client();
    } catch (const TlsError &e) {
        ::close(fd);
        throw Error(Error::Kind::ConnectionLost, QString::fromLocal8Bit(e.what()));
    }
    // The handshake has what the connect left of the time.
    const auto spent =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    m_channel =
        connectTls(*m_tlsContext, fd, host, int(std::max<long long>(timeoutMs - spent, 1)), &error);
    if (!m_channel) {
        ::close(fd);
        throw Error(
            Error::Kind::ConnectionLost,
            QStringLiteral("cannot connect to the server %1 over TLS: %2").arg(m_peer, error));
    }
    m_serverFingerprint = m_channel->peerFingerprint();
    if (!m_expectedFingerprint.isEmpty() &&
        !sameFingerprint(m_serverFingerprint, m_expectedFingerprint)) {
        m_channel.reset();
        throw Error(Error::Kind::Certificate,
                    QStringLiteral("the server %1 presented a certificate with the fingerprint "
                                   "%2 instead of the expected %3: the server may have been "
                                   "replaced, or someone may be intercepting the connection")
                        .arg(m_peer, m_serverFingerprint, m_expectedFingerprint));
    }
}

void Client::disconnect()
{
    m_channel.reset();
}

void Client::fail(Error::Kind kind, const QString &message)
{
    disconnect();
    throw Error(kind, message);
}

void Client::begin(FrameBuilder &builder, QLatin1StringView operation)
{
    builder.add(key::Id, m_nextId++);
    builder.add(key::Op, QString(operation));
}

Message Client::request(FrameBuilder &builder, RowSink *sink)
{
    if (!m_channel)
        throw Error(Error::Kind::ConnectionLost, QStringLiteral("not connected to the server"));
    const QByteArray frame = builder.finish();
    if (frame.size() - FrameHeaderSize > qsizetype(DefaultMaxFrameSize))
        throw Error(Error::Kind::Protocol,
                    QStringLiteral("the request of %1 MiB exceeds the protocol's limit of %2 MiB: "
                                   "send it in smaller parts")
                        .arg(frame.size() >> 20)
                        .arg(DefaultMaxFrameSize >> 20));
    if (!m_channel->sendAll(frame)) {
        // A server that refuses a client (at one of its limits) says why before it hangs up.
        const QString refusal = closingMessage();
        fail(Error::Kind::ConnectionLost,
             refusal.isEmpty()
                 ? QStringLiteral("the connection to the server %1 was lost").arg(m_peer)
                 : refusal);
    }
    ++m_requestsSent;
    const qint64 id = m_nextId - 1;

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_replyTimeoutMs);
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    for (;;) {
        QByteArray payload;
        QString error;
        const auto status = m_reader.nextPayload(payload, &error);
        if (status == FrameReader::Status::TooLarge)
            fail(Error::Kind::Protocol, error);
        if (status == FrameReader::Status::Frame) {
            Message reply;
            if (!decodeMessage(payload, reply, &error, sink))
                fail(Error::Kind::Protocol, error);
            if (reply.value(key::Id).toLongLong() != id && reply.has(key::Id) &&
                !reply.value(key::Id).isNull())
                continue; // a stale reply of an abandoned request
            if (!reply.value(key::Ok).toBool()) {
                QString message = reply.value(key::Error).toString();
                if (message.isEmpty())
                    message = QStringLiteral("the server refused the request");
                // A reply without an id answers a frame the server could not read: the
                // stream is no longer in step.
                if (!reply.has(key::Id) || reply.value(key::Id).isNull())
                    fail(Error::Kind::Protocol, message);
                throw Error(Error::Kind::Server, message, reply.value(key::Code).toString());
            }
            return reply;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            fail(Error::Kind::Timeout, QStringLiteral("the server %1 did not answer within %2 s")
                                           .arg(m_peer)
                                           .arg(m_replyTimeoutMs / 1000));
        qsizetype received = 0;
        switch (m_channel->receiveSome(buffer.data(), buffer.size(), int(left), &received)) {
        case ReceiveStatus::Data:
            m_reader.append(buffer.constData(), received);
            break;
        case ReceiveStatus::TimedOut:
            continue;
        case ReceiveStatus::Closed:
        case ReceiveStatus::Failed:
            fail(Error::Kind::ConnectionLost,
                 QStringLiteral("the connection to the server %1 was lost").arg(m_peer));
        }
    }
}

QString Client::closingMessage()
{
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    qsizetype received = 0;
    while (m_channel && m_channel->receiveSome(buffer.data(), buffer.size(), 0, &received) ==
                            ReceiveStatus::Data)
        m_reader.append(buffer.constData(), received);
    QByteArray payload;
    while (m_reader.nextPayload(payload) == FrameReader::Status::Frame) {
        Message reply;
        QString error;
        if (decodeMessage(payload, reply, &error) && !reply.value(key::Ok).toBool())
            return reply.value(key::Error).toString();
    }
    return {};
}

ServerInfo Client::hello(const QString &module)
{
    FrameBuilder builder;
    begin(builder, op::Hello);
    builder.add(key::Module, module);
    builder.add(key::Protocol, ProtocolVersion);
    const Message reply = request(builder);
    ServerInfo info;
    info.product = reply.value(key::Product).toString();
    info.version = reply.value(key::Version).toString();
    info.module = reply.value(key::Module).toString();
    info.protocol = reply.value(key::Protocol).toInt();
    return info;
}

CallResult Client::call(const QString &method, const QVariantList &args)
{
    FrameBuilder builder;
    begin(builder, op::Call);
    builder.add(key::Method, method);
    builder.add(key::Args, args);
    const Message reply = request(builder);
    CallResult result;
    result.result = reply.value(key::Result);
    result.args = reply.value(key::Args).toList();
    result.message = reply.value(key::Message).toString();
    return result;
}

bool Client::connectAct(int databaseKind, QString &accountNo, QString *message)
{
    const CallResult result = call(QStringLiteral("ConnectAct"),
                                   {databaseKind, QString(), accountNo, QString(), QString()});
    if (result.args.size() > 2)
        accountNo = result.args.at(2).toString();
    if (message)
        *message = result.message;
    return result.result.toBool();
}

QVariantMap Client::login(const QString &userCode, const QString &password)
{
    return call(QStringLiteral("Login"), {userCode, password}).result.toMap();
}

OpenResult Client::open(const QString &provider, const QString &commandText, int packetSize,
                        RowSink *sink)
{
    FrameBuilder builder;
    begin(builder, op::Open);
    builder.add(key::Provider, provider);
    if (!commandText.isEmpty())
        builder.add(key::Text, commandText);
    builder.add(key::Packet, packetSize);
    Message reply = request(builder, sink);
    OpenResult result;
    result.fields = std::move(reply.fields);
    result.rows = std::move(reply.rows);
    result.cursor = reply.value(key::Cursor).toLongLong();
    if (reply.has(key::RowsAffected))
        result.rowsAffected = reply.value(key::RowsAffected).toLongLong();
    return result;
}

Packet Client::fetch(qint64 cursor, int packetSize, RowSink *sink)
{
    FrameBuilder builder;
    begin(builder, op::Fetch);
    builder.add(key::Cursor, cursor);
    if (packetSize != 0)
        builder.add(key::Packet, packetSize);
    Message reply = request(builder, sink);
    Packet packet;
    packet.rows = std::move(reply.rows);
    packet.cursor = reply.value(key::Cursor).toLongLong();
    return packet;
}

void Client::fetchAll(OpenResult &result)
{
    while (!result.eof()) {
        Packet packet = fetch(result.cursor);
        if (result.rows.isEmpty())
            result.rows = std::move(packet.rows);
        else
            result.rows.append(std::move(packet.rows));
        result.cursor = packet.cursor;
    }
}

void Client::close(qint64 cursor)
{
    FrameBuilder builder;
    begin(builder, op::Close);
    builder.add(key::Cursor, cursor);
    request(builder);
}

qint64 Client::execute(const QString &text, const QString &provider)
{
    FrameBuilder builder;
    begin(builder, op::Execute);
    if (!provider.isEmpty())
        builder.add(key::Provider, provider);
    builder.add(key::Text, text);
    return request(builder).value(key::RowsAffected).toLongLong();
}

ApplyResult Client::apply(const QString &provider, const QString &commandText, int maxErrors,
                          const QList<Change> &changes)
{
    FrameBuilder builder;
    begin(builder, op::Apply);
    builder.add(key::Provider, provider);
    if (!commandText.isEmpty())
        builder.add(key::Text, commandText);
    builder.add(key::MaxErrors, maxErrors);
    builder.addKey(key::Changes);
    builder.writer().startArray(quint64(changes.size()));
    for (const Change &change : changes)
        writeValue(builder.writer(), toMap(change));
    builder.writer().endArray();
    const Message reply = request(builder);
    ApplyResult result;
    result.applied = reply.value(key::Applied).toInt();
    result.rolledBack = reply.value(key::RolledBack).toBool();
    for (const QVariant &error : reply.value(key::Errors).toList())
        result.errors.append(rowErrorFromMap(error.toMap()));
    for (const QVariant &row : reply.value(key::Inserted).toList())
        result.inserted.append(insertedRowFromMap(row.toMap()));
    return result;
}

TransactResult Client::transact(const QList<TransactPart> &parts)
{
    FrameBuilder builder;
    begin(builder, op::Transact);
    builder.addKey(key::Parts);
    builder.writer().startArray(quint64(parts.size()));
    for (const TransactPart &part : parts)
        writeValue(builder.writer(), toMap(part));
    builder.writer().endArray();
    const Message reply = request(builder);
    TransactResult result;
    result.rolledBack = reply.value(key::RolledBack).toBool();
    for (const QVariant &error : reply.value(key::Errors).toList())
        result.errors.append(rowErrorFromMap(error.toMap()));
    for (const QVariant &count : reply.value(key::Counts).toList())
        result.counts.append(count.toLongLong());
    for (const QVariant &rows : reply.value(key::Results).toList())
        result.results.append(rows.toList());
    for (const QVariant &row : reply.value(key::Inserted).toList())
        result.inserted.append(insertedRowFromMap(row.toMap()));
    return result;
}

} // namespace wire
