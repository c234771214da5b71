// The socket connection over the protocol client.
#include "client/data/socketconnection.h"

#include "client/core/session.h"
#include "client/core/sysconfig.h"
#include "client/data/deltachanges.h"
#include "client/data/formats.h"
#include "wire/client.h"

#include <QHash>
#include <QLoggingCategory>

#include <cstring>

namespace {

Q_LOGGING_CATEGORY(lcLink, "vz.link")

// The user reads the Chinese message; the transport's own words go to the log.
void logDetail(const QString &peer, const wire::Error &error)
{
    qCWarning(lcLink).noquote() << "server" << peer << ":" << error.message();
}

// Rows that come with the reply to an open, before the dataset has made its fields: kept
// as a compact byte stream and handed on by the first fetch.
class BufferedRows final : public wire::RowSink
{
public:
    void beginRow() override { tag(Tag::Row, 0); }
    void setNull(int column) override { tag(Tag::Null, column); }
    void setInteger(int column, qint64 value) override
    {
        tag(Tag::Integer, column);
        put(value);
    }
    void setFloat(int column, double value) override
    {
        tag(Tag::Float, column);
        put(value);
    }
    void setBoolean(int column, bool value) override
    {
        tag(value ? Tag::True : Tag::False, column);
    }
    void setText(int column, const char *utf8, qsizetype size) override
    {
        tag(Tag::Text, column);
        bytes(utf8, size);
    }
    void setDate(int column, QDate value) override
    {
        tag(Tag::Date, column);
        put(value.toJulianDay());
    }
    void setDateTime(int column, const QDateTime &value) override
    {
        tag(Tag::DateTime, column);
        put(value.date().toJulianDay());
        put(qint64(value.time().msecsSinceStartOfDay()));
    }
    void setBlob(int column, const QByteArray &value) override
    {
        tag(Tag::Blob, column);
        bytes(value.constData(), value.size());
    }
    void endRow() override { ++m_rows; }

    int rows() const { return m_rows; }

    // Writes up to count rows (every one when count < 0); returns the rows written.
    int replay(TPacketWriter &writer, int count)
    {
        int written = 0;
        bool open = false;
        while (m_read < m_data.size()) {
            const auto t = Tag(m_data[m_read]);
            if (t == Tag::Row) {
                if (open) {
                    writer.EndRow();
                    ++written;
                    open = false;
                }
                if (count >= 0 && written >= count)
                    break;
                m_read += 1 + sizeof(qint32);
                writer.BeginRow();
                open = true;
                continue;
            }
            const int column = take<qint32>(1);
            switch (t) {
            case Tag::Null:
                writer.SetNull(column);
                break;
            case Tag::Integer:
                writer.SetInteger(column, take<qint64>());
                break;
            case Tag::Float:
                writer.SetFloat(column, take<double>());
                break;
            case Tag::True:
            case Tag::False:
                writer.SetBoolean(column, t == Tag::True);
                break;
            case Tag::Text: {
                const qint32 size = take<qint32>();
                writer.SetUtf8(column, m_data.constData() + m_read, size);
                m_read += size;
                break;
            }
            case Tag::Date:
                writer.SetDate(column, QDate::fromJulianDay(take<qint64>()));
                break;
            case Tag::DateTime: {
                const QDate date = QDate::fromJulianDay(take<qint64>());
                writer.SetDateTime(
                    column, QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(take<qint64>()))));
                break;
            }
            case Tag::Blob: {
                const qint32 size = take<qint32>();
                writer.SetBlob(column, m_data.mid(m_read, size));
                m_read += size;
                break;
            }
            case Tag::Row:
                break;
            }
        }
        if (open) {
            writer.EndRow();
            ++written;
        }
        m_rows -= written;
        if (m_read >= m_data.size()) {
            m_data = QByteArray();
            m_read = 0;
        }
        return written;
    }

private:
    enum class Tag : char { Row, Null, Integer, Float, True, False, Text, Date, DateTime, Blob };

    void tag(Tag t, int column)
    {
        m_data.append(char(t));
        put(qint32(column));
    }
    template<typename T>
    void put(T value)
    {
        m_data.append(reinterpret_cast<const char *>(&value), sizeof value);
    }
    void bytes(const char *data, qsizetype size)
    {
        put(qint32(size));
        m_data.append(data, size);
    }
    // Reads a value, after skipping `skip` bytes (the tag).
    template<typename T>
    T take(int skip = 0)
    {
        m_read += skip;
        T value;
        std::memcpy(&value, m_data.constData() + m_read, sizeof value);
        m_read += sizeof value;
        return value;
    }

    QByteArray m_data;
    qsizetype m_read = 0;
    int m_rows = 0;
};

// Hands the rows of a fetch straight to the dataset's record store.
class WriterSink final : public wire::RowSink
{
public:
    explicit WriterSink(TPacketWriter &writer)
        : m_writer(writer)
    {}
    void beginRow() override { m_writer.BeginRow(); }
    void setNull(int column) override { m_writer.SetNull(column); }
    void setInteger(int column, qint64 value) override { m_writer.SetInteger(column, value); }
    void setFloat(int column, double value) override { m_writer.SetFloat(column, value); }
    void setBoolean(int column, bool value) override { m_writer.SetBoolean(column, value); }
    void setText(int column, const char *utf8, qsizetype size) override
    {
        m_writer.SetUtf8(column, utf8, size);
    }
    void setDate(int column, QDate value) override { m_writer.SetDate(column, value); }
    void setDateTime(int column, const QDateTime &value) override
    {
        m_writer.SetDateTime(column, value);
    }
    void setBlob(int column, const QByteArray &value) override { m_writer.SetBlob(column, value); }
    void endRow() override
    {
        m_writer.EndRow();
        ++rows;
    }

    int rows = 0;

private:
    TPacketWriter &m_writer;
};

TFieldDef fieldDefOf(const wire::Field &field)
{
    TFieldDef def;
    def.Name = field.name;
    switch (field.type) {
    case wire::ValueType::Integer:
        // Table columns hold 32-bit integers; a computed one (a count, a sum) may not fit.
        def.DataType = field.readOnly ? ftLargeint : ftInteger;
        break;
    case wire::ValueType::Float:
        def.DataType = ftFloat;
        break;
    case wire::ValueType::Boolean:
        def.DataType = ftBoolean;
        break;
    case wire::ValueType::Date:
        def.DataType = ftDate;
        break;
    case wire::ValueType::DateTime:
        def.DataType = ftDateTime;
        break;
    case wire::ValueType::Blob:
        def.DataType = ftBlob;
        break;
    case wire::ValueType::Text:
    case wire::ValueType::Unknown:
        // A column the server cannot type (an expression over no rows) reads as text.
        def.DataType = ftWideString;
        def.Size = field.size;
        break;
    }
    // NOT NULL columns keep their defaults on the server, so the client requires nothing;
    // computed and looked-up columns are shown and edited but never sent back.
    if (field.readOnly)
        def.ProviderFlags = {};
    else if (field.key)
        def.ProviderFlags = TProviderFlags(pfInUpdate | pfInWhere | pfInKey);
    if (!field.table.isEmpty())
        def.Origin = field.table + QLatin1Char('.') + field.column;
    return def;
}

// Rows asked for in one request (wanted < 0: all that remain). Large results come in several
// replies of moderate size rather than one of up to 16 MiB, which the connection's buffers
// would keep for good.
int rowsPerRequest(int wanted)
{
    constexpr int MaxRows = 2000;
    return wanted < 0 || wanted > MaxRows ? MaxRows : wanted;
}

bool sameServerName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

struct TSocketConnection::Cursor
{
    qint64 serverCursor = 0; // 0 once the server sent the last row
    BufferedRows buffered;
};

// --- TAppServer ------------------------------------------------------------------------------

QVariant TAppServer::Call(const QString &method, QVariantList &args)
{
    return m_connection.call(method, args, &m_lastMessage);
}

QVariant TAppServer::Call(const QString &method, const QVariantList &args)
{
    QVariantList copy = args;
    return m_connection.call(method, copy, &m_lastMessage);
}

bool TAppServer::ConnectAct(int databaseKind, QString &accountNo)
{
    QVariantList args{databaseKind, QString(), accountNo, QString(), QString()};
    const bool refused = Call(QStringLiteral("ConnectAct"), args).toBool();
    accountNo = args.value(2).toString();
    return refused;
}

QDate TAppServer::GetServerDate()
{
    const QVariant result = Call(QStringLiteral("GetServerDate"));
    if (result.typeId() == QMetaType::QDate)
        return result.toDate();
    if (result.typeId() == QMetaType::QDateTime)
        return result.toDateTime().date();
    QDate date;
    if (!TryStrToDate(result.toString(), date))
        throw EDatabaseError(
            QStringLiteral("The server's date \"%1\" is not a date").arg(result.toString()));
    return date;
}

QDateTime TAppServer::GetServerDateTime()
{
    const QVariant result = Call(QStringLiteral("GetServerDateTime"));
    if (result.typeId() == QMetaType::QDateTime)
        return result.toDateTime();
    if (result.typeId() == QMetaType::QDate)
        return QDateTime(result.toDate(), QTime(0, 0));
    QDateTime value;
    if (!TryStrToDateTime(result.toString(), value))
        throw EDatabaseError(
            QStringLiteral("The server's time \"%1\" is not a date").arg(result.toString()));
    return value;
}

QString TAppServer::GetTableNames()
{
    return Call(QStringLiteral("GetTableNames")).toString();
}

QVariant TAppServer::BackupData(QString &accountNo)
{
    QVariantList args{accountNo};
    const QVariant result = Call(QStringLiteral("BackupData"), args);
    accountNo = args.value(0).toString();
    return result;
}

QVariant TAppServer::CompactDatabase(const QString &a, const QString &b)
{
    return Call(QStringLiteral("CompactDatabase"), QVariantList{a, b});
}

QVariantMap TAppServer::Login(const QString &userCode, const QString &password)
{
    return Call(QStringLiteral("Login"), QVariantList{userCode, password}).toMap();
}

void TAppServer::ChangePassword(const QString &oldPassword, const QString &newPassword)
{
    Call(QStringLiteral("ChangePassword"), QVariantList{oldPassword, newPassword});
}

void TAppServer::SetPassword(const QString &userCode, const QString &newPassword)
{
    Call(QStringLiteral("SetPassword"), QVariantList{userCode, newPassword});
}

// --- TSocketConnection -------------------------------------------------------------------------

TSocketConnection::TSocketConnection(const QString &serverName)
    : m_serverName(serverName)
    , m_client(std::make_unique<wire::Client>())
    , m_appServer(*this)
{}

TSocketConnection::~TSocketConnection() = default;

void TSocketConnection::SetHost(const QString &address)
{
    const ServerAddress parsed = ParseServerAddress(address);
    if (parsed.host == m_host && parsed.port == m_port)
        return;
    Close();
    m_session.reset();
    m_host = parsed.host;
    m_port = parsed.port;
}

QString TSocketConnection::Host() const
{
    return m_hostSource ? m_hostSource->Host() : m_host;
}

quint16 TSocketConnection::Port() const
{
    return m_hostSource ? m_hostSource->Port() : m_port;
}

QString TSocketConnection::Address() const
{
    const QString host = Host();
    const QString shown = host.contains(QLatin1Char(':')) ? u'[' + host + u']' : host;
    return shown + QLatin1Char(':') + QString::number(Port());
}

void TSocketConnection::SetReplyTimeout(int ms)
{
    m_client->setReplyTimeout(ms);
}

bool TSocketConnection::Connected() const
{
    return m_client->isConnected();
}

void TSocketConnection::SetConnected(bool connected)
{
    if (connected)
        Open();
    else
        Close();
}

void TSocketConnection::Open()
{
    if (Connected())
        return;
    dropConnection();
    m_peer = Address();
    connectClient();
    ++m_connectCount;
    try {
        const wire::ServerInfo info = m_client->hello(m_serverName);
        if (!info.module.isEmpty() && !sameServerName(info.module, m_serverName))
            throw EConnectionError(
                EConnectionError::crProtocol,
                QStringLiteral("服务器 %1 没有模块 %2").arg(m_peer, m_serverName));
        chooseAccountSet();
    } catch (const wire::Error &e) {
        dropConnection();
        fail(e);
    } catch (...) {
        dropConnection();
        throw;
    }
}

QString TSocketConnection::ServerFingerprint() const
{
    return m_client->serverFingerprint();
}

void TSocketConnection::connectClient()
{
    // The key names the server as the user configured it, so that each of several servers
    // keeps its own certificate.
    const QString server = Host() + QLatin1Char(':') + QString::number(Port());
    const QString known = Tls() ? KnownServerFingerprint(server) : QString();
    m_client->setTls(Tls());
    m_client->setExpectedFingerprint(known);
    try {
        m_client->connect(Host(), Port(), m_connectTimeoutMs);
    } catch (const wire::Error &e) {
        logDetail(m_peer, e);
        if (e.kind() == wire::Error::Kind::Certificate)
            throw EConnectionError(
                EConnectionError::crCertificateChanged,
                QStringLiteral(
                    "服务器 %1 的安全证书与本机记住的不同，程序拒绝连接。\n\n"
                    "可能是管理员更换了服务器或重新生成了证书，也可能有人正在截取本机与服务器"
                    "之间的通信。\n\n"
                    "原来的证书指纹：%2\n"
                    "现在的证书指纹：%3\n\n"
                    "如果确认是管理员更换了证书，请打开 %4，删除 [tls] 一节中的这一行：\n"
                    "%5=%2\n"
                    "然后重新启动本程序，它将记住新的证书。")
                    .arg(m_peer, known, m_client->serverFingerprint(), SysConfigFileName(),
                         server));
        throw EConnectionError(EConnectionError::crCannotConnect,
                               QStringLiteral("无法连接服务器 %1。").arg(m_peer));
    }
    if (Tls() && known.isEmpty())
        RememberServerFingerprint(server, m_client->serverFingerprint());
}

void TSocketConnection::chooseAccountSet()
{
    Session session;
    if (m_sessionRule == srSessionAccount) {
        session.databaseKind = SessionInfo().DatabaseKind;
        session.accountNo = SessionInfo().AccountNo;
    } else if (m_session) {
        session = *m_session;
    } else {
        return;
    }
    QString accountNo = session.accountNo;
    QString message;
    if (m_client->connectAct(session.databaseKind, accountNo, &message)) {
        throw ERemoteError(
            QStringLiteral("服务器拒绝打开帐套 %1：%2").arg(session.accountNo, message),
            QStringLiteral("refused"));
    }
    // A new connection (the report module's, or one made again after a break) is the same
    // user's: the login dialog's answer holds for the whole run.
    if (!CurUserCode.isEmpty())
        m_client->login(CurUserCode, CurUserPassword);
}

void TSocketConnection::Close()
{
    dropConnection();
}

void TSocketConnection::dropConnection()
{
    m_client->disconnect();
    m_cursors.clear();
}

void TSocketConnection::ensureOpen()
{
    if (!Connected())
        Open();
}

void TSocketConnection::fail(const wire::Error &error)
{
    if (error.kind() == wire::Error::Kind::Server)
        throw ERemoteError(error.message(), error.code());
    if (m_client->isConnected()) // refused before it was sent: the session goes on
        throw EDatabaseError(error.message());
    dropConnection();
    logDetail(m_peer, error);
    switch (error.kind()) {
    case wire::Error::Kind::Timeout:
        throw EConnectionError(
            EConnectionError::crTimeout,
            QStringLiteral("服务器 %1 没有及时应答，连接已断开，下次操作时将重新连接。")
                .arg(m_peer));
    case wire::Error::Kind::Protocol:
        throw EConnectionError(
            EConnectionError::crProtocol,
            QStringLiteral("服务器 %1 的应答无法识别，连接已断开，下次操作时将重新连接。")
                .arg(m_peer));
    default:
        throw EConnectionError(
            EConnectionError::crLost,
            QStringLiteral("与服务器 %1 的连接已断开，下次操作时将重新连接。").arg(m_peer));
    }
}

QVariant TSocketConnection::call(const QString &method, QVariantList &args, QString *message)
{
    ensureOpen();
    wire::CallResult result;
    try {
        result = m_client->call(method, args);
    } catch (const wire::Error &e) {
        fail(e);
    }
    for (int i = 0; i < args.size() && i < result.args.size(); ++i)
        args[i] = result.args[i];
    if (message)
        *message = result.message;
    if (method.compare(QLatin1String("ConnectAct"), Qt::CaseInsensitive) == 0) {
        // The account set a reconnect chooses again.
        if (result.result.toBool()) {
            m_session.reset();
        } else {
            m_session = Session{args.value(0).toInt(), args.value(2).toString()};
            // Another account set: the server forgot the user, who carries over to it.
            if (!CurUserCode.isEmpty()) {
                try {
                    m_client->login(CurUserCode, CurUserPassword);
                } catch (const wire::Error &e) {
                    fail(e);
                }
            }
        }
    }
    return result.result;
}

TProviderCursor TSocketConnection::OpenProvider(const QString &providerName,
                                                const QString &commandText, int packetRecords)
{
    ensureOpen();
    auto cursor = std::make_unique<Cursor>();
    // The reply to an open carries the first packet; a dataset that wants only the field
    // definitions (0) still gets one row, kept until it asks.
    const int packet = packetRecords == 0 ? 1 : rowsPerRequest(packetRecords);
    wire::OpenResult result;
    try {
        result = m_client->open(providerName, commandText, packet, &cursor->buffered);
    } catch (const wire::Error &e) {
        fail(e);
    }
    if (result.rowsAffected >= 0)
        throw EDatabaseError(QStringLiteral("CommandText does not return a result set"));
    TProviderCursor opened;
    opened.FieldDefs.reserve(result.fields.size());
    for (const wire::Field &field : result.fields)
        opened.FieldDefs.append(fieldDefOf(field));
    cursor->serverCursor = result.cursor;
    opened.Handle = m_nextHandle++;
    m_cursors.emplace(opened.Handle, std::move(cursor));
    return opened;
}

bool TSocketConnection::FetchPacket(qint64 handle, int count, TPacketWriter &rows)
{
    const auto found = m_cursors.find(handle);
    if (found == m_cursors.end())
        throw EConnectionError(
            EConnectionError::crLost,
            QStringLiteral("与服务器的连接断开过，其余的数据已无法读取，请重新打开。"));
    Cursor &cursor = *found->second;
    int written = cursor.buffered.replay(rows, count);
    while ((count < 0 || written < count) && cursor.serverCursor != 0) {
        WriterSink sink(rows);
        wire::Packet packet;
        try {
            packet = m_client->fetch(cursor.serverCursor,
                                     rowsPerRequest(count < 0 ? -1 : count - written), &sink);
        } catch (const wire::Error &e) {
            fail(e);
        }
        written += sink.rows;
        cursor.serverCursor = packet.cursor;
    }
    const bool more = cursor.serverCursor != 0 || cursor.buffered.rows() > 0;
    if (!more)
        m_cursors.erase(found);
    return more;
}

void TSocketConnection::CloseCursor(qint64 handle)
{
    const auto found = m_cursors.find(handle);
    if (found == m_cursors.end())
        return;
    const qint64 serverCursor = found->second->serverCursor;
    m_cursors.erase(found);
    if (serverCursor == 0 || !Connected())
        return;
    // Closing must not fail: a cursor the server no longer has is gone anyway, and one of a
    // broken connection went with it.
    try {
        m_client->close(serverCursor);
    } catch (const wire::Error &) {
    }
}

int TSocketConnection::ExecuteCommand(const QString &providerName, const QString &commandText)
{
    ensureOpen();
    try {
        return int(m_client->execute(commandText, providerName));
    } catch (const wire::Error &e) {
        fail(e);
    }
}

TApplyResult TSocketConnection::ApplyUpdates(const QString &providerName,
                                             const QString &commandText, int maxErrors,
                                             const TDelta &delta)
{
    const QList<wire::Change> changes = WireChanges(delta);
    ensureOpen();
    wire::ApplyResult applied;
    try {
        applied = m_client->apply(providerName, commandText, maxErrors, changes);
    } catch (const wire::Error &e) {
        fail(e);
    }
    return ApplyResultOf(applied.rolledBack, applied.errors, delta);
}

TRequestResult TSocketConnection::ApplyParts(const QList<TRequestPart> &parts)
{
    QList<wire::TransactPart> wireParts;
    wireParts.reserve(parts.size());
    for (const TRequestPart &part : parts) {
        wire::TransactPart wirePart;
        wirePart.text = part.CommandText;
        if (part.Kind == TRequestPart::rpApply) {
            wirePart.kind = wire::TransactPart::Kind::Apply;
            wirePart.provider = part.ProviderName;
            wirePart.changes = WireChanges(part.Delta);
        } else if (part.Kind == TRequestPart::rpQuery) {
            wirePart.kind = wire::TransactPart::Kind::Query;
        } else {
            wirePart.kind = wire::TransactPart::Kind::Execute;
            wirePart.expectRows = part.ExpectedRows;
        }
        wireParts.append(std::move(wirePart));
    }
    ensureOpen();
    wire::TransactResult stored;
    try {
        stored = m_client->transact(wireParts);
    } catch (const wire::Error &e) {
        fail(e);
    }
    TRequestResult result;
    result.RolledBack = stored.rolledBack;
    result.RowsAffected = stored.counts;
    result.Rows = stored.results;
    for (const wire::RowError &error : std::as_const(stored.errors)) {
        TPartError refused;
        refused.Part = error.part;
        const bool ofRow = error.part >= 0 && error.part < parts.size() && error.index >= 0 &&
                           parts[error.part].Kind == TRequestPart::rpApply;
        if (ofRow) {
            refused.Error =
                ApplyResultOf(false, {error}, parts[error.part].Delta).Errors.constFirst();
        } else {
            refused.Error.ErrorCode = error.code;
            refused.Error.Message = error.message;
        }
        result.Errors.append(refused);
    }
    return result;
}

int TSocketConnection::RequestCount() const
{
    return int(m_client->requestsSent());
}

// --- ConnectServer
// --------------------------------------------------------------------------------

bool ConnectServer(TSocketConnection *connection, QString *message)
{
    if (!connection)
        return false;
    if (!SysConfigExists())
        WriteDefaultConfig();
    connection->SetHost(ConfiguredHostName());
    try {
        connection->Close();
        connection->Open();
        if (connection->Connected())
            return true;
        connection->Close();
        if (message)
            *message = QStringLiteral("连接服务器错误！");
        return false;
    } catch (const EConnectionError &e) {
        connection->Close();
        if (message) {
            switch (e.Reason()) {
            case EConnectionError::crCannotConnect:
                *message = QStringLiteral(
                    "找不到服务器，请检查本软件包安装目录下面的SysConfig.ini配置文件！");
                break;
            case EConnectionError::crCertificateChanged:
                *message = e.Message();
                break;
            default:
                *message = QStringLiteral("连接服务器错误！");
            }
        }
        return false;
    } catch (const Exception &) {
        connection->Close();
        if (message)
            *message = QStringLiteral("连接服务器错误！");
        return false;
    }
}
