// The blocking protocol client: one TCP connection to vzserver, one request at a time.
// The desktop client's data layer, vzsql and the tests all talk to the server through it.
#pragma once

#include "wire/frame.h"
#include "wire/protocol.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <stdexcept>

namespace wire {

class Channel;
class TlsContext;

// A failed request. kind() tells whether the connection is still usable: after
// ConnectionLost and Timeout it is closed; after Server the session goes on.
class Error : public std::runtime_error
{
public:
    enum class Kind {
        ConnectionLost, // could not connect, or the server went away
        Certificate,    // the server's certificate is not the one expected: not connected
        Timeout,        // no reply within the client's time limit
        Protocol,       // the server's reply could not be understood
        Server          // the server answered with an error (code() says which)
    };

    Error(Kind kind, const QString &message, const QString &code = {});

    Kind kind() const { return m_kind; }
    QString message() const { return m_message; }
    QString code() const { return m_code; } // code::Sql, code::Timeout, ... for Server errors

private:
    Kind m_kind;
    QString m_message;
    QString m_code;
};

struct ServerInfo
{
    QString product;
    QString version;
    QString module;
    int protocol = 0;
};

struct CallResult
{
    QVariant result;
    QVariantList args; // every argument as the method left it (by-reference ones changed)
    QString message;   // why, when a method answers with a refusal (ConnectAct)
};

struct Packet
{
    QList<Row> rows;
    qint64 cursor = 0; // non-zero while rows remain: pass it to fetch() or close()
    bool eof() const { return cursor == 0; }
};

struct OpenResult : Packet
{
    QList<Field> fields;
    qint64 rowsAffected = -1; // a statement without result columns was run instead
};

struct ApplyResult
{
    int applied = 0;         // rows stored
    bool rolledBack = false; // more errors than allowed: nothing was stored
    QList<RowError> errors;
    QList<InsertedRow> inserted; // per stored insert: the key it was stored with
};

struct TransactResult
{
    // A part refused the request (a row of a change log, or a statement that changed other
    // than the rows expected): nothing was stored, and errors says which.
    bool rolledBack = false;
    QList<RowError> errors; // with the part (and, for a change log, the row) that refused
    QList<qint64> counts;   // per part: rows stored or changed; zeros when rolled back
    // Per part: the rows a query part read (each a list of values), empty for other parts and
    // when rolled back.
    QList<QVariantList> results;
    QList<InsertedRow> inserted; // per stored insert of a change log: its part and key
};

class Client
{
public:
    Client();
    ~Client();
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    // Connects (the TLS handshake included) within timeoutMs; throws Error(ConnectionLost)
    // with the reason when it cannot, Error(Certificate) when the server's certificate is not
    // the expected one.
    void connect(const QString &host, quint16 port = DefaultPort, int timeoutMs = 10000);
    void disconnect();
    bool isConnected() const { return m_channel != nullptr; }

    // TLS is on unless switched off, for a server run with --no-tls; for the next connect.
    void setTls(bool on) { m_tls = on; }
    bool tls() const { return m_tls; }
    // The fingerprint the server's certificate must have (hex pairs, colons optional); empty:
    // any, which the caller may then read from serverFingerprint() and remember.
    void setExpectedFingerprint(const QString &fingerprint) { m_expectedFingerprint = fingerprint; }
    // SHA-256 of the certificate the server presented at the last connect, also when it was
    // refused, as colon-separated upper-case hex pairs; empty without TLS.
    QString serverFingerprint() const { return m_serverFingerprint; }

    // How long to wait for a reply before giving up (and closing the connection).
    // Default ten minutes; the server stops a runaway query earlier on its own.
    void setReplyTimeout(int ms) { m_replyTimeoutMs = ms; }

    // Names the remote module: CentralModule or ReportModule.
    ServerInfo hello(const QString &module = CentralModule);

    // A custom method by name.
    CallResult call(const QString &method, const QVariantList &args = {});
    // ConnectAct with its five arguments; true when the server refuses the session.
    // accountNo comes back as the server chose it (the first account set when empty).
    bool connectAct(int databaseKind, QString &accountNo, QString *message = nullptr);
    // Binds the session to a user of its account set (after connectAct); the user's row
    // without the password. A refusal is an Error of kind Server with code unknownUser or
    // wrongPassword.
    QVariantMap login(const QString &userCode, const QString &password);

    // Opens a provider: the field definitions and the first packet of at most packetSize
    // rows (packetSize <= 0: as many as fit in one reply). Without command text a table
    // provider reads its table. With a sink the rows go there, after the fields are known,
    // instead of into the result.
    OpenResult open(const QString &provider, const QString &commandText = {},
                    int packetSize = DefaultPacketSize, RowSink *sink = nullptr);
    // The next packet of an open cursor (packetSize 0: the size given to open; negative: as
    // many rows as fit in one reply).
    Packet fetch(qint64 cursor, int packetSize = 0, RowSink *sink = nullptr);
    // Reads all remaining rows of a cursor into rows.
    void fetchAll(OpenResult &result);
    void close(qint64 cursor);

    // Runs a statement that returns no rows; the number of rows it changed. The provider
    // (optional) chooses the database: pAccountTemp runs on the registry.
    qint64 execute(const QString &text, const QString &provider = {});

    // Applies a change log to the provider's table. maxErrors 0: all or nothing; -1: store
    // every good row; N: store the good rows unless more than N fail.
    ApplyResult apply(const QString &provider, const QString &commandText, int maxErrors,
                      const QList<Change> &changes);

    // Stores change logs and runs statements, in the order given, in one transaction: all of
    // them or, when one part is refused, none.
    TransactResult transact(const QList<TransactPart> &parts);

    // Requests sent over this client's connections since it was made.
    qint64 requestsSent() const { return m_requestsSent; }

private:
    Message request(FrameBuilder &builder, RowSink *sink = nullptr);
    void begin(FrameBuilder &builder, QLatin1StringView operation);
    [[noreturn]] void fail(Error::Kind kind, const QString &message);
    // The message of an error reply that has already arrived, read without waiting; empty
    // when there is none.
    QString closingMessage();

    std::unique_ptr<Channel> m_channel;
    std::unique_ptr<TlsContext> m_tlsContext; // made at the first TLS connect
    bool m_tls = true;
    QString m_expectedFingerprint;
    QString m_serverFingerprint;
    qint64 m_nextId = 1;
    qint64 m_requestsSent = 0;
    int m_replyTimeoutMs = 10 * 60 * 1000;
    FrameReader m_reader;
    QString m_peer;
};

} // namespace wire
