// The server link: a socket connection to one remote module of the application server
// ("ZezU.datas" for the central data module, "ZezU.DatasBb" for the reports). It serves the
// providers of the client datasets that name it as their RemoteServer and the server's
// custom methods, called by name through AppServer().
//
// Every call blocks until the answer is in. A connection opens on demand: the first call
// connects, names the module, chooses the session's account set and, once the login has
// named the user (CurUserCode), logs that user in. When the connection
// breaks (the server went away, did not answer in time, or answered something unreadable)
// the call raises EConnectionError with a readable message, and the next call connects
// again and chooses the same account set, so a restarted server costs the user one error.
// Rows still being fetched from the broken connection are gone: their dataset is opened
// again.
#pragma once

#include "client/data/remoteserver.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>

namespace wire {
class Client;
class Error;
} // namespace wire

// The server answered a request with an error; Message() is the server's text.
class ERemoteError : public EDatabaseError
{
public:
    ERemoteError(const QString &message, const QString &errorCode)
        : EDatabaseError(message)
        , m_errorCode(errorCode)
    {}
    // "sql", "provider", "method", "timeout", "busy", "session", "refused", ...
    const QString &ErrorCode() const { return m_errorCode; }

private:
    QString m_errorCode;
};

// No connection could be made, or the connection broke; it is closed now and the next call
// connects again.
class EConnectionError : public EDatabaseError
{
public:
    enum TReason {
        crCannotConnect, // the server could not be reached
        crLost,          // the server went away
        crTimeout,       // the server did not answer in time
        crProtocol,      // the answer could not be understood
        // The server's certificate is not the one remembered for it: not connected, and the
        // message says what to do
        crCertificateChanged
    };
    EConnectionError(TReason reason, const QString &message)
        : EDatabaseError(message)
        , m_reason(reason)
    {}
    TReason Reason() const { return m_reason; }

private:
    TReason m_reason;
};

class TSocketConnection;

// The server object of a connection: the application server's custom methods, called late
// by name. A named argument list comes back as the method left it, so arguments the method
// takes by reference return changed:
//
//   QVariantList args{SessionInfo().DatabaseKind, QString(), SessionInfo().AccountNo,
//                     QString(), QString()};
//   const bool refused = Data().cn().AppServer().Call("ConnectAct", args).toBool();
//   SessionInfo().AccountNo = args[2].toString();
//
// A call connects first when needed. A method that fails raises ERemoteError.
class TAppServer
{
public:
    QVariant Call(const QString &method, QVariantList &args);
    QVariant Call(const QString &method, const QVariantList &args = {});
    // Why the last call was refused, when the method says (ConnectAct).
    const QString &LastMessage() const { return m_lastMessage; }

    // The methods of the server contract, typed.
    // True when the server refuses the session; accountNo comes back as the server chose it.
    bool ConnectAct(int databaseKind, QString &accountNo);
    QDate GetServerDate();
    QDateTime GetServerDateTime();
    QString GetTableNames(); // joined by "|"
    QVariant BackupData(QString &accountNo);
    QVariant CompactDatabase(const QString &a = {}, const QString &b = {});
    // Binds the session to a user (after ConnectAct): the user's row without the password.
    // A refusal raises ERemoteError with the code "unknownUser" or "wrongPassword".
    QVariantMap Login(const QString &userCode, const QString &password);
    // The logged-in user's own password; ERemoteError "wrongPassword" when old is wrong.
    void ChangePassword(const QString &oldPassword, const QString &newPassword);
    // Another user's password (the administrator's duty).
    void SetPassword(const QString &userCode, const QString &newPassword);

private:
    friend class TSocketConnection;
    explicit TAppServer(TSocketConnection &connection)
        : m_connection(connection)
    {}
    TSocketConnection &m_connection;
    QString m_lastMessage;
};

class TSocketConnection final : public TCustomRemoteServer
{
public:
    // How a new connection chooses its account set.
    enum TSessionRule {
        // Repeat the last ConnectAct this connection's session accepted (none before the
        // first): the central connection, whose ConnectAct the login makes.
        srRepeatConnectAct,
        // Call ConnectAct with the DatabaseKind and AccountNo of SessionInfo(): the report
        // connection, which reads the account set the user chose.
        srSessionAccount
    };

    explicit TSocketConnection(const QString &serverName);
    ~TSocketConnection() override;
    TSocketConnection(const TSocketConnection &) = delete;
    TSocketConnection &operator=(const TSocketConnection &) = delete;

    const QString &Name() const { return m_name; }
    void SetName(const QString &name) { m_name = name; }
    const QString &ServerName() const { return m_serverName; }

    // "host" or "host:port" (IPv6 in brackets with a port); without a port, 211. Another
    // server than before closes the connection and forgets its account set.
    void SetHost(const QString &address);
    QString Host() const;
    quint16 Port() const;
    // "host:port" of the server the connection reaches, for messages.
    QString Address() const;
    // Takes host and port from another connection whenever this one connects.
    void FollowHostOf(const TSocketConnection *other) { m_hostSource = other; }

    TSessionRule SessionRule() const { return m_sessionRule; }
    void SetSessionRule(TSessionRule rule) { m_sessionRule = rule; }

    // Encrypted unless switched off (a server run with --no-tls on a trusted loopback); a
    // connection that follows another's host follows its choice too. An encrypted connection
    // remembers the server's certificate in SysConfig.ini at the first connection and refuses
    // another one later (crCertificateChanged).
    void SetTls(bool on) { m_tls = on; }
    bool Tls() const { return m_hostSource ? m_hostSource->Tls() : m_tls; }
    // SHA-256 of the certificate of the current (or last) server, as SysConfig.ini keeps it.
    QString ServerFingerprint() const;

    void SetConnectTimeout(int ms) { m_connectTimeoutMs = ms; }
    void SetReplyTimeout(int ms);

    // Connects, names the module and chooses the account set; EConnectionError when the
    // server cannot be reached, ERemoteError when it refuses.
    void Open();
    void Close();
    bool Connected() const;
    void SetConnected(bool connected);
    // Connections made so far (a reconnect counts), for diagnostics and tests.
    int ConnectCount() const { return m_connectCount; }
    // Requests sent to the server since the connection object was made (over every
    // connection it opened), for benchmarks that count round trips.
    int RequestCount() const;

    TAppServer &AppServer() { return m_appServer; }

    // TCustomRemoteServer
    TProviderCursor OpenProvider(const QString &providerName, const QString &commandText,
                                 int packetRecords) override;
    bool FetchPacket(qint64 handle, int count, TPacketWriter &rows) override;
    void CloseCursor(qint64 handle) override;
    int ExecuteCommand(const QString &providerName, const QString &commandText) override;
    TApplyResult ApplyUpdates(const QString &providerName, const QString &commandText,
                              int maxErrors, const TDelta &delta) override;
    TRequestResult ApplyParts(const QList<TRequestPart> &parts) override;

private:
    friend class TAppServer;
    struct Cursor;
    struct Session
    {
        int databaseKind = 0;
        QString accountNo;
    };

    void ensureOpen();
    void connectClient();
    void chooseAccountSet();
    QVariant call(const QString &method, QVariantList &args, QString *message);
    // Turns a protocol failure into the data layer's errors; a broken connection is closed
    // and its cursors dropped first.
    [[noreturn]] void fail(const wire::Error &error);
    void dropConnection();

    QString m_name;
    QString m_serverName;
    QString m_host = QStringLiteral("127.0.0.1");
    quint16 m_port = 211;
    bool m_tls = true;
    const TSocketConnection *m_hostSource = nullptr;
    QString m_peer; // the address of the current connection
    TSessionRule m_sessionRule = srRepeatConnectAct;
    std::optional<Session> m_session;
    int m_connectTimeoutMs = 10000;
    int m_connectCount = 0;
    std::unique_ptr<wire::Client> m_client;
    TAppServer m_appServer;
    std::unordered_map<qint64, std::unique_ptr<Cursor>> m_cursors;
    qint64 m_nextHandle = 1;
};

// ConnectServer of the start-up: points the connection at the server that SysConfig.ini
// names (writing a default file first when there is none), then disconnects and connects.
// False with the message for the user when that fails: "找不到服务器..." when the server
// cannot be reached, the connection's own message when the server's certificate changed,
// "连接服务器错误！" when it answers but the connection does not open.
bool ConnectServer(TSocketConnection *connection, QString *message);
