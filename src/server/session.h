// One client connection's session: the module it named, the account set ConnectAct chose and
// its dialect, the database connections and the open cursors; it answers one request at a
// time.
#pragma once

#include "server/accountstore.h"
#include "server/context.h"
#include "server/provider.h"
#include "server/requesterror.h"
#include "server/sessiondb.h"
#include "server/sqlitestore.h"
#include "server/transact.h"
#include "wire/protocol.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace server {

class Session
{
public:
    // What a user may do only as SYS or with a group right to it.
    enum class Duty { AccountSets, Backup, Restore, Compact, Users, Registry };

    // name identifies the connection in the log ("#12 127.0.0.1:50432"); clientSocket, when
    // given, is watched while a request runs, to stop it once the client has gone.
    Session(ServerContext &context, QString name, int clientSocket = -1);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Serves one request and returns the reply frame; never throws. A packet of rows ends
    // once the reply reaches packetBytes (or the server's packet limit, when lower).
    QByteArray handle(const wire::Message &request, qint64 packetBytes);

    // The reply to a frame that could not be decoded.
    static QByteArray errorFrame(const QVariant &id, const QString &code, const QString &message,
                                 const RequestError::Details &details = {});

    // Logs a failure of this connection, unless it has failed so often lately that more
    // lines would only fill the disk (they are counted instead).
    void logFailure(const QString &text);

    // A request of this connection could not be read at all.
    void noteMalformed() { ++m_protocolErrorsInARow; }
    // Requests in a row that could not be read or named nothing this server serves: a client
    // of the protocol never sends one, so a long run of them is noise or an attack.
    int protocolErrorsInARow() const { return m_protocolErrorsInARow; }

    const QString &name() const { return m_name; }
    int requests() const { return m_requests; }
    int unloggedFailures() const { return m_unloggedFailures; }
    // The last request was stopped because its client had gone.
    bool clientGone() const { return m_clock.reason() == QueryClock::Stop::ClientGone; }

private:
    void dispatch(const QString &operation, const wire::Message &request,
                  wire::FrameBuilder &reply);
    void hello(const wire::Message &request, wire::FrameBuilder &reply);
    void call(const wire::Message &request, wire::FrameBuilder &reply);
    void open(const wire::Message &request, wire::FrameBuilder &reply);
    void fetch(const wire::Message &request, wire::FrameBuilder &reply);
    void close(const wire::Message &request, wire::FrameBuilder &reply);
    void execute(const wire::Message &request, wire::FrameBuilder &reply);
    void apply(const wire::Message &request, wire::FrameBuilder &reply);
    void transact(const wire::Message &request, wire::FrameBuilder &reply);

    // Custom methods: they may change their by-reference arguments in place.
    QVariant connectAct(QVariantList &args, QString &message);
    QVariant login(const QVariantList &args);
    QVariant changePassword(const QVariantList &args);
    QVariant setPassword(const QVariantList &args);
    QVariant getTableNames();
    QVariant backupData(QVariantList &args);
    QVariant compactDatabase();
    QVariant listBackups(const QVariantList &args);
    QVariant restoreBackup(const QVariantList &args);

    // The logged-in user and what the user may do (sessionauth.cpp).
    struct LoggedInUser
    {
        qint64 id = 0;
        QString code;
        QString groups; // AppUser.gID
    };
    struct StoredUser
    {
        qint64 id = 0;
        QString password; // the stored form
        QVariantMap row;  // what Login answers: every column but the password
    };
    static QString peerHost(int socket);
    void requireLogin() const;
    bool holds(Duty duty);
    void require(Duty duty);
    std::optional<StoredUser> findUser(const QString &code);
    // Verifies an entry after the delay failed attempts from this address have earned.
    bool checkPassword(const QString &entry, const QString &stored);
    void waitOutThrottle();
    void storePassword(qint64 userId, const QString &password);
    static void refusePasswordWrites(const sql::Translation &translation);
    static void stripPasswords(const QString &table, QList<wire::Change> &changes);
    // Before Login only the start-up's requests are served.
    void checkAllowedBeforeLogin(const QString &operation, const wire::Message &request);

    Provider resolve(const QString &provider, bool hasCommandText);
    DatabaseOptions databaseOptions() const;
    std::unique_ptr<AccountStore> openStore(AccountSet &set);
    // What only a database file offers (backups, compacting); refused for other engines.
    static SessionDatabase &sqliteDatabaseOf(AccountStore &store);
    AccountStore &storeOf(const Provider &provider);
    AccountStore &accountStore();
    AccountStore &registryStore();
    void leaveAccountSet();
    // A part of a transact request checked and translated, ready to run on the account set.
    PreparedPart preparePart(AccountStore &store, const wire::TransactPart &part);
    // The table a provider's changes go to, for marking read-only fields and applying: the
    // provider's own table, else the one the translation of its command text names.
    QString targetTable(const Provider &provider, const sql::Translation *translation);
    QByteArray translate(AccountStore &store, const QString &text,
                         std::shared_ptr<const sql::Translation> *translation = nullptr);
    // A query of the server's own, written in Jet SQL that SQLite reads as it is.
    QByteArray ownQuery(AccountStore &store, const QByteArray &jetText,
                        std::shared_ptr<const sql::Translation> *translation);
    // Every statement of a script translated on its own, joined for a transact part.
    QByteArray translateScript(AccountStore &store, const QString &text);
    // The statements of a script, translated, each with where it starts in the script's UTF-8.
    struct ScriptStatement
    {
        QByteArray sql;
        qsizetype start = 0;
    };
    QList<ScriptStatement> translateStatements(AccountStore &store, const std::string &script);
    // The error of the statement of a script that starts at byte start: which one, and where.
    static RequestError statementError(const QString &message, const std::string &script,
                                       qsizetype start, qsizetype index);

    void writePacket(QueryCursor &cursor, int packetSize, wire::FrameBuilder &reply);
    void log(const QString &text) const;
    // Why a stopped statement stopped, for its reply.
    QString stopMessage(const QString &message) const;

    ServerContext &m_context;
    QString m_name;
    QString m_peerHost; // the client's address, for slowing down password guessing
    QString m_module;   // empty until hello
    std::optional<LoggedInUser> m_user;
    sql::Dialect m_dialect = sql::Dialect::Jet;
    QueryClock m_clock;
    std::shared_ptr<AccountSet> m_account;
    std::unique_ptr<AccountStore> m_accountStore;
    std::unique_ptr<SqliteStore> m_registryStore;
    std::map<qint64, std::unique_ptr<QueryCursor>> m_cursors;
    std::map<qint64, int> m_packetSizes; // the size each cursor was opened with
    qint64 m_nextCursor = 1;
    int m_requests = 0;
    QString m_operation; // of the request being served, for the log
    qint64 m_packetBytes = 0;
    // Failure lines: a burst is logged in full, then about one a second.
    double m_logTokens = 0;
    qint64 m_logRefilled = 0; // ms since the epoch
    int m_unloggedFailures = 0;
    int m_protocolErrorsInARow = 0;
};

} // namespace server
