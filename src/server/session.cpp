// One connection's session: requests in, replies out.
#include "server/session.h"

#include "server/accountdb.h"
#include "server/apply.h"
#include "server/maintenance.h"
#include "server/pgstore.h"
#include "server/requesterror.h"
#include "server/schema.h"
#include "wire/frame.h"

#include "vzversion.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QStringList>
#include <QTime>

#include <algorithm>
#include <cstdlib>

namespace server {

namespace {

using namespace wire;

bool sameName(const QString &a, QLatin1StringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

constexpr char accountListQuery[] = "SELECT CompanyCode, AccountNo, AccountName, CompanyName "
                                    "FROM Accounts ORDER BY AccountNo";

// Messages and log lines quote what the client sent (names, statements); a request of
// megabytes must not come back as a reply or a log line of megabytes.
constexpr qsizetype MaxMessageLength = 1000;

QString shortened(const QString &text)
{
    if (text.size() <= MaxMessageLength)
        return text;
    return text.left(MaxMessageLength) +
           QStringLiteral("... (%1 characters more)").arg(text.size() - MaxMessageLength);
}

QVariantList insertedList(const QList<InsertedRow> &rows)
{
    QVariantList list;
    list.reserve(rows.size());
    for (const InsertedRow &row : rows)
        list.append(toMap(row));
    return list;
}

// Failure lines a connection may log at once; after them, one a second.
constexpr double FailureLogBurst = 20;

} // namespace

Session::Session(ServerContext &context, QString name, int clientSocket)
    : m_context(context)
    , m_name(std::move(name))
    , m_peerHost(peerHost(clientSocket))
    , m_clock(context.stopping, clientSocket)
    , m_logTokens(FailureLogBurst)
    , m_logRefilled(QDateTime::currentMSecsSinceEpoch())
{}

Session::~Session()
{
    leaveAccountSet();
    m_cursors.clear();
    m_registryStore.reset();
}

void Session::log(const QString &text) const
{
    m_context.log.write(m_name + QLatin1Char(' ') + shortened(text));
}

void Session::logFailure(const QString &text)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    m_logTokens = std::min(FailureLogBurst, m_logTokens + double(now - m_logRefilled) / 1000);
    m_logRefilled = now;
    if (m_logTokens < 1) {
        ++m_unloggedFailures;
        return;
    }
    m_logTokens -= 1;
    log(text);
}

QString Session::stopMessage(const QString &message) const
{
    switch (m_clock.reason()) {
    case QueryClock::Stop::ClientGone:
        return QStringLiteral("the client went away: its request was stopped");
    case QueryClock::Stop::ServerStopping:
        return QStringLiteral("the server is stopping: the request was not finished");
    default:
        return message;
    }
}

QByteArray Session::errorFrame(const QVariant &id, const QString &code, const QString &message,
                               const RequestError::Details &details)
{
    FrameBuilder reply;
    reply.add(key::Id, id);
    reply.add(key::Ok, false);
    reply.add(key::Code, code);
    reply.add(key::Error, message);
    for (const auto &[name, value] : details)
        reply.add(name, value);
    return reply.finish();
}

QByteArray Session::handle(const Message &request, qint64 packetBytes)
{
    ++m_requests;
    const QVariant id = request.value(key::Id);
    m_operation = shortened(request.value(key::Op).toString());
    m_packetBytes = packetBytes;
    m_clock.start(m_context.options.queryTimeoutMs);
    QString code;
    QString message;
    RequestError::Details details;
    // The boundary of a request: whatever fails in it ends the request, never the session.
    try {
        FrameBuilder reply;
        reply.add(key::Id, id);
        reply.add(key::Ok, true);
        dispatch(request.value(key::Op).toString(), request, reply);
        m_clock.stop();
        QByteArray frame = reply.finish();
        // Packets stop short of it; anything else that grew so large the client would refuse.
        const qint64 payload = frame.size() - FrameHeaderSize;
        if (payload > qint64(m_context.options.maxFrameSize))
            throw RequestError(code::Limit,
                               QStringLiteral("the reply would take %1 MiB, more than the %2 MiB "
                                              "a frame may hold")
                                   .arg(payload >> 20)
                                   .arg(m_context.options.maxFrameSize >> 20));
        m_protocolErrorsInARow = 0;
        return frame;
    } catch (const RequestError &e) {
        code = e.code();
        message = code == code::Timeout ? stopMessage(e.message()) : e.message();
        details = e.details();
    } catch (const sql::Error &e) {
        const bool stopped = (e.code() & 0xff) == SQLITE_INTERRUPT;
        code = stopped ? code::Timeout : code::Sql;
        message = stopped ? stopMessage(QString::fromUtf8(e.what())) : QString::fromUtf8(e.what());
    } catch (const std::exception &e) {
        code = code::Protocol;
        message = QStringLiteral("internal error: %1").arg(QString::fromUtf8(e.what()));
    } catch (...) {
        code = code::Protocol;
        message = QStringLiteral("internal error");
    }
    m_clock.stop();
    m_protocolErrorsInARow = code == code::Protocol ? m_protocolErrorsInARow + 1 : 0;
    message = shortened(message);
    logFailure(QStringLiteral("%1 failed: %2").arg(m_operation, message));
    return errorFrame(id, code, message, details);
}

void Session::dispatch(const QString &operation, const Message &request, FrameBuilder &reply)
{
    using Handler = void (Session::*)(const Message &, FrameBuilder &);
    static const std::pair<QLatin1StringView, Handler> handlers[] = {
        {op::Hello, &Session::hello}, {op::Call, &Session::call},
        {op::Open, &Session::open},   {op::Fetch, &Session::fetch},
        {op::Close, &Session::close}, {op::Execute, &Session::execute},
        {op::Apply, &Session::apply}, {op::Transact, &Session::transact},
    };
    for (const auto &[name, handler] : handlers) {
        if (operation != name)
            continue;
        if (m_module.isEmpty() && name != op::Hello)
            throw RequestError(code::Session,
                               QStringLiteral("the first request must be hello, naming the "
                                              "module %1 or %2")
                                   .arg(CentralModule, ReportModule));
        if (!m_user)
            checkAllowedBeforeLogin(operation, request);
        (this->*handler)(request, reply);
        return;
    }
    throw RequestError(code::Protocol,
                       operation.isEmpty()
                           ? QStringLiteral("the request names no operation")
                           : QStringLiteral("unknown operation \"%1\"").arg(shortened(operation)));
}

void Session::checkAllowedBeforeLogin(const QString &operation, const Message &request)
{
    // The start-up: the account-set list, the upgrade check, ConnectAct, the user codes of the
    // login box, and Login itself. The rest waits for a user.
    if (operation == op::Hello || operation == op::Fetch || operation == op::Close)
        return; // a cursor can only come from an open allowed here
    if (operation == op::Call) {
        const QString method = request.value(key::Method).toString();
        if (sameName(method, QLatin1StringView("ConnectAct")) ||
            sameName(method, QLatin1StringView("Login")))
            return;
    } else if (operation == op::Open) {
        const QString provider = request.value(key::Provider).toString();
        if (isRegistryProvider(provider) || sameName(provider, QLatin1StringView("pAppUser")))
            return; // open itself keeps these to reading
    }
    requireLogin();
}

void Session::hello(const Message &request, FrameBuilder &reply)
{
    const QString module = request.value(key::Module).toString();
    if (sameName(module, CentralModule))
        m_module = CentralModule;
    else if (sameName(module, ReportModule))
        m_module = ReportModule;
    else
        throw RequestError(code::Protocol,
                           QStringLiteral("unknown module \"%1\": this server serves %2 and %3")
                               .arg(shortened(module), CentralModule, ReportModule));
    reply.add(key::Product, QStringLiteral(VZ_PRODUCT_TITLE));
    reply.add(key::Version, QStringLiteral(VZ_PRODUCT_VERSION));
    reply.add(key::Module, m_module);
    reply.add(key::Protocol, ProtocolVersion);
}

// ---------------------------------------------------------------------------------------------
// Custom methods

void Session::call(const Message &request, FrameBuilder &reply)
{
    const QString method = request.value(key::Method).toString();
    m_operation = QStringLiteral("call ") + shortened(method);
    QVariantList args = request.value(key::Args).toList();
    QVariant result;
    QString message;
    if (sameName(method, QLatin1StringView("ConnectAct")))
        result = connectAct(args, message);
    else if (sameName(method, QLatin1StringView("Login")))
        result = login(args);
    else if (sameName(method, QLatin1StringView("ChangePassword")))
        result = changePassword(args);
    else if (sameName(method, QLatin1StringView("SetPassword")))
        result = setPassword(args);
    else if (sameName(method, QLatin1StringView("GetServerDate")))
        result = QDate::currentDate().toString(Qt::ISODate);
    else if (sameName(method, QLatin1StringView("GetServerDateTime")))
        result = QDateTime(QDate::currentDate(),
                           QTime::fromMSecsSinceStartOfDay(
                               QTime::currentTime().msecsSinceStartOfDay() / 1000 * 1000));
    else if (sameName(method, QLatin1StringView("GetTableNames")))
        result = getTableNames();
    else if (sameName(method, QLatin1StringView("BackupData")))
        result = backupData(args);
    else if (sameName(method, QLatin1StringView("CompactDatabase")))
        result = compactDatabase();
    else if (sameName(method, QLatin1StringView("ListBackups")))
        result = listBackups(args);
    else if (sameName(method, QLatin1StringView("RestoreBackup")))
        result = restoreBackup(args);
    else
        throw RequestError(code::Method,
                           QStringLiteral("unknown method \"%1\"").arg(shortened(method)));
    reply.add(key::Result, result);
    reply.add(key::Args, args);
    if (!message.isEmpty())
        reply.add(key::Message, message);
}

// ConnectAct(DatabaseKind, '', AccountNo by reference, '', ''): true refuses the session.
QVariant Session::connectAct(QVariantList &args, QString &message)
{
    while (args.size() < 5)
        args.append(QString());
    const int databaseKind = args[0].toInt();
    QString accountNo = args[2].toString().trimmed();
    if (accountNo.isEmpty()) // one server database: the first account set stands for it
        accountNo = m_context.registry.firstAccountNo();
    const auto refuse = [&](const QString &reason) {
        message = shortened(reason);
        logFailure(QStringLiteral("ConnectAct refused: %1").arg(reason));
        return QVariant(true);
    };
    if (accountNo.isEmpty())
        return refuse(QStringLiteral("the server has no account set"));

    QString reason;
    const auto set = m_context.registry.acquire(accountNo, &reason);
    if (!set)
        return refuse(reason);
    std::unique_ptr<AccountStore> store;
    try {
        store = openStore(*set);
        m_clock.stop(); // an upgrade takes as long as it takes
        std::call_once(set->upgraded, [&] {
            store->upgrade([&](const QString &note) {
                log(QStringLiteral("account set %1 upgraded: %2").arg(accountNo, note));
            });
        });
        m_clock.start(m_context.options.queryTimeoutMs);
    } catch (const std::exception &e) {
        m_context.registry.release(set);
        return refuse(QStringLiteral("the database of account set \"%1\" cannot be opened: %2")
                          .arg(accountNo, QString::fromUtf8(e.what())));
    }
    leaveAccountSet();
    m_user.reset(); // a user belongs to one account set: log in to the new one
    m_account = set;
    m_accountStore = std::move(store);
    m_dialect = databaseKind == 1 ? sql::Dialect::TSql : sql::Dialect::Jet;
    args[2] = set->accountNo;
    return false;
}

QVariant Session::getTableNames()
{
    return accountStore().tableNames().join(QLatin1Char('|'));
}

// BackupData(AccountNo by reference): the named account set, or the session's own.
QVariant Session::backupData(QVariantList &args)
{
    const QString accountNo = args.value(0).toString().trimmed();
    AccountRegistry &registry = m_context.registry;
    QString path;
    if (accountNo.isEmpty() ||
        (m_account && accountNo.compare(m_account->accountNo, Qt::CaseInsensitive) == 0)) {
        AccountStore &store = accountStore();
        AccountRegistry::requireFileDatabase(*m_account, AccountRegistry::FileWork::Backup);
        SessionDatabase &db = sqliteDatabaseOf(store);
        auto reader = db.takeReader();
        try {
            path = backupDatabase(reader->handle(), registry.backupFolder(m_account->accountNo));
        } catch (...) {
            db.returnReader(std::move(reader));
            throw;
        }
        db.returnReader(std::move(reader));
    } else {
        // Any user may back up the books he works in (the exit dialog offers it to all);
        // another account set is the administrator's.
        require(Duty::Backup);
        QString reason;
        const auto set = registry.acquire(accountNo, &reason); // keeps it from being deleted
        if (!set)
            throw RequestError(code::Method, reason);
        try {
            AccountRegistry::requireFileDatabase(*set, AccountRegistry::FileWork::Backup);
            sql::Database source(set->path.toStdString(), sql::Database::Mode::ReadOnly);
            path = backupDatabase(source.handle(), registry.backupFolder(set->accountNo));
        } catch (...) {
            registry.release(set);
            throw;
        }
        registry.release(set);
    }
    return QDir(registry.dataDir()).relativeFilePath(path);
}

QVariant Session::compactDatabase()
{
    require(Duty::Compact);
    AccountStore &store = accountStore();
    AccountRegistry::requireFileDatabase(*m_account, AccountRegistry::FileWork::Compact);
    SessionDatabase &db = sqliteDatabaseOf(store);
    const PasswordGuard::Scope trusted(db.passwordGuard(), PasswordGuard::Mode::Trusted);
    const auto lock = db.lockForWrite();
    server::compactDatabase(db.writer().handle());
    return 1;
}

// ListBackups(AccountNo): one [file name, time, size] per backup, newest first.
QVariant Session::listBackups(const QVariantList &args)
{
    require(Duty::Restore);
    QVariantList rows;
    for (const BackupInfo &backup : m_context.registry.backups(args.value(0).toString().trimmed()))
        rows.append(QVariant(QVariantList{backup.fileName, backup.time, backup.size}));
    return rows;
}

// RestoreBackup(AccountNo, BackupFile, NewAccountNo, NewAccountName): the backup as a new
// account set.
QVariant Session::restoreBackup(const QVariantList &args)
{
    require(Duty::Restore);
    const QString accountNo = args.value(0).toString().trimmed();
    const QString fileName = args.value(1).toString();
    AccountInfo target;
    target.accountNo = args.value(2).toString().trimmed();
    target.accountName = args.value(3).toString();
    m_context.registry.restoreBackup(accountNo, fileName, target);
    log(QStringLiteral("account set %1 restored from %2 of %3")
            .arg(target.accountNo, fileName, accountNo));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Providers and databases

DatabaseOptions Session::databaseOptions() const
{
    DatabaseOptions options;
    options.busyTimeoutMs = m_context.options.busyTimeoutMs;
    options.synchronousFull = m_context.options.synchronousFull;
    return options;
}

std::unique_ptr<AccountStore> Session::openStore(AccountSet &set)
{
    if (!set.pgConnInfo.empty())
        return std::make_unique<PostgresStore>(set.pgConnInfo, m_clock,
                                               m_context.options.busyTimeoutMs);
    return std::make_unique<SqliteStore>(set.path, set.writeLock, m_clock, databaseOptions());
}

SessionDatabase &Session::sqliteDatabaseOf(AccountStore &store)
{
    SessionDatabase *db = store.sqliteDatabase();
    if (!db)
        throw RequestError(code::Method,
                           QStringLiteral("the account set lives in PostgreSQL: back it up and "
                                          "maintain it with PostgreSQL's own tools (pg_dump, "
                                          "VACUUM)"));
    return *db;
}

AccountStore &Session::accountStore()
{
    if (!m_accountStore)
        throw RequestError(code::Session,
                           QStringLiteral("no account set is open: call ConnectAct first"));
    return *m_accountStore;
}

AccountStore &Session::registryStore()
{
    if (!m_registryStore)
        m_registryStore = std::make_unique<SqliteStore>(m_context.registry.registryPath(),
                                                        m_context.registry.writeLock(), m_clock,
                                                        databaseOptions());
    return *m_registryStore;
}

AccountStore &Session::storeOf(const Provider &provider)
{
    return provider.onRegistry() ? registryStore() : accountStore();
}

Provider Session::resolve(const QString &provider, bool hasCommandText)
{
    if (provider.isEmpty())
        throw RequestError(code::Provider, QStringLiteral("the request names no provider"));
    if (!m_accountStore && !isRegistryProvider(provider))
        accountStore(); // throws: no account set yet
    return resolveProvider(provider, hasCommandText, [this](const QString &table) {
        return m_accountStore->findTable(table);
    });
}

void Session::leaveAccountSet()
{
    m_cursors.clear();
    m_packetSizes.clear();
    m_accountStore.reset();
    if (m_account) {
        m_context.registry.release(m_account);
        m_account.reset();
    }
}

QByteArray Session::translate(AccountStore &store, const QString &text,
                              std::shared_ptr<const sql::Translation> *translation)
{
    auto result = store.translator().translate(text.toStdString(), m_dialect);
    refusePasswordWrites(*result);
    QByteArray sqlText = QByteArray::fromStdString(result->sql);
    if (translation)
        *translation = std::move(result);
    return sqlText;
}

QByteArray Session::ownQuery(AccountStore &store, const QByteArray &jetText,
                             std::shared_ptr<const sql::Translation> *translation)
{
    // SQLite reads the text as it is (brackets included); other engines need it translated.
    if (store.engine() == sql::Engine::Sqlite)
        return jetText;
    return translate(store, QString::fromUtf8(jetText), translation);
}

QString Session::targetTable(const Provider &provider, const sql::Translation *translation)
{
    switch (provider.kind) {
    case Provider::Kind::Table:
        return provider.table;
    case Provider::Kind::AccountList:
        return QStringLiteral("Accounts");
    default:
        break;
    }
    if (!translation || translation->table.empty())
        return {};
    const QString table = QString::fromStdString(translation->table);
    const QString stored = storeOf(provider).findTable(table);
    return stored.isEmpty() ? table : stored;
}

// ---------------------------------------------------------------------------------------------
// Reading

void Session::writePacket(QueryCursor &cursor, int packetSize, FrameBuilder &reply)
{
    const ServerOptions &options = m_context.options;
    PacketLimits limits;
    limits.rows =
        packetSize > 0 ? std::min(packetSize, options.maxPacketRows) : options.maxPacketRows;
    limits.bytes = std::min(m_packetBytes, options.maxPacketBytes);
    limits.maxFrame = qint64(options.maxFrameSize) - 4096; // room for the keys after the rows
    reply.addKey(key::Rows);
    cursor.writePacket(reply, limits);
}

void Session::open(const Message &request, FrameBuilder &reply)
{
    const QString providerName = request.value(key::Provider).toString();
    const QString text = request.value(key::Text).toString();
    const bool hasText = !text.trimmed().isEmpty();
    const int packetSize =
        request.has(key::Packet) ? request.value(key::Packet).toInt() : DefaultPacketSize;
    m_operation = QStringLiteral("open ") + shortened(providerName);
    if (int(m_cursors.size()) >= m_context.options.maxCursors)
        throw RequestError(code::Cursor,
                           QStringLiteral("too many open cursors (%1): close datasets that are "
                                          "not read to the end")
                               .arg(m_cursors.size()));

    const Provider provider = resolve(providerName, hasText);
    AccountStore &store = storeOf(provider);
    std::shared_ptr<const sql::Translation> translation;
    QByteArray sqlText;
    if (provider.kind == Provider::Kind::AccountList)
        sqlText = accountListQuery;
    else if (!m_user && !provider.onRegistry()) // the login box's list
        sqlText = ownQuery(store, "SELECT uCode, uName FROM AppUser ORDER BY uCode", &translation);
    else if (!hasText && provider.kind == Provider::Kind::Table)
        sqlText = ownQuery(store, "SELECT * FROM [" + provider.table.toUtf8() + "]", &translation);
    else if (!hasText)
        throw RequestError(
            code::Provider,
            QStringLiteral("provider \"%1\" needs a command text").arg(providerName));
    else
        sqlText = translate(store, text, &translation);

    QueryRequest query;
    query.sqlText = sqlText;
    query.translation = translation.get();
    query.targetTable = targetTable(provider, translation.get());
    if (provider.onRegistry())
        query.beforeWrite = [this] {
            require(Duty::Registry);
        };
    OpenedQuery opened = store.open(query);
    if (!opened.cursor) { // a statement that changes data: no rows to show
        reply.add(key::Fields, QVariantList());
        reply.add(key::Rows, QVariantList());
        reply.add(key::RowsAffected, qint64(opened.changed));
        reply.add(key::Eof, true);
        return;
    }
    std::unique_ptr<QueryCursor> cursor = std::move(opened.cursor);
    reply.addKey(key::Fields); // before the rows: a reader sets up its columns first
    writeFields(reply.writer(), cursor->fields());
    writePacket(*cursor, packetSize, reply);
    if (cursor->exhausted()) {
        reply.add(key::Eof, true);
        return;
    }
    const qint64 id = m_nextCursor++;
    m_cursors.emplace(id, std::move(cursor));
    m_packetSizes.emplace(id, packetSize);
    reply.add(key::Cursor, id);
    reply.add(key::Eof, false);
}

void Session::fetch(const Message &request, FrameBuilder &reply)
{
    const qint64 id = request.value(key::Cursor).toLongLong();
    const auto it = m_cursors.find(id);
    if (it == m_cursors.end())
        throw RequestError(code::Cursor,
                           QStringLiteral("there is no open cursor %1: it was read to the end, "
                                          "closed, or its account set was left")
                               .arg(id));
    const int packetSize =
        request.has(key::Packet) ? request.value(key::Packet).toInt() : m_packetSizes[id];
    try {
        writePacket(*it->second, packetSize, reply);
    } catch (...) {
        m_cursors.erase(id); // a statement that failed half-way cannot go on
        m_packetSizes.erase(id);
        throw;
    }
    if (it->second->exhausted()) {
        m_cursors.erase(it);
        m_packetSizes.erase(id);
        reply.add(key::Eof, true);
        return;
    }
    reply.add(key::Cursor, id);
    reply.add(key::Eof, false);
}

void Session::close(const Message &request, FrameBuilder &)
{
    const qint64 id = request.value(key::Cursor).toLongLong();
    m_cursors.erase(id);
    m_packetSizes.erase(id);
}

// ---------------------------------------------------------------------------------------------
// Writing

void Session::execute(const Message &request, FrameBuilder &reply)
{
    const QString text = request.value(key::Text).toString();
    const QString providerName = request.value(key::Provider).toString();
    if (!providerName.isEmpty())
        m_operation = QStringLiteral("execute ") + shortened(providerName);
    if (text.trimmed().isEmpty())
        throw RequestError(code::Sql, QStringLiteral("the statement is empty"));
    // The provider only tells which database: the registry's scratch provider or the account set.
    const bool onRegistry = !providerName.isEmpty() && isRegistryProvider(providerName);
    if (onRegistry)
        require(Duty::Registry);
    AccountStore &store = onRegistry ? registryStore() : accountStore();
    if (!text.contains(QLatin1Char(';'))) { // one statement: no need to parse the text twice
        reply.add(key::RowsAffected, qint64(store.execute({translate(store, text)})));
        return;
    }
    const std::string script = text.toStdString();
    const QList<ScriptStatement> statements = translateStatements(store, script);
    QList<QByteArray> sqlTexts;
    sqlTexts.reserve(statements.size());
    for (const ScriptStatement &statement : statements)
        sqlTexts.append(statement.sql);
    qsizetype failed = -1;
    try {
        reply.add(key::RowsAffected, qint64(store.execute(sqlTexts, &failed)));
    } catch (const RequestError &e) {
        if (statements.size() < 2 || failed < 0 || e.code() != code::Sql)
            throw;
        throw statementError(e.message(), script, statements[failed].start, failed);
    }
}

namespace {

// Line and column (both from 1, counted in characters) of a byte offset of a UTF-8 text.
std::pair<int, int> lineAndColumn(const std::string &text, qsizetype offset)
{
    int line = 1;
    int column = 1;
    for (qsizetype i = 0; i < offset && i < qsizetype(text.size()); ++i) {
        const auto byte = static_cast<unsigned char>(text[size_t(i)]);
        if (byte == '\n') {
            ++line;
            column = 1;
        } else if ((byte & 0xc0) != 0x80) { // not a continuation byte: a character starts
            ++column;
        }
    }
    return {line, column};
}

} // namespace

RequestError Session::statementError(const QString &message, const std::string &script,
                                     qsizetype start, qsizetype index)
{
    const auto [line, column] = lineAndColumn(script, start);
    RequestError error(code::Sql,
                       QStringLiteral("statement %1 (counted from 0), at line %2, column %3: %4")
                           .arg(index)
                           .arg(line)
                           .arg(column)
                           .arg(message));
    error.setDetails({{key::Statement, index}, {key::Line, line}, {key::Column, column}});
    return error;
}

QList<Session::ScriptStatement> Session::translateStatements(AccountStore &store,
                                                             const std::string &script)
{
    QList<ScriptStatement> statements;
    const auto views = sql::splitStatementViews(script, m_dialect);
    for (size_t i = 0; i < views.size(); ++i) {
        const qsizetype start = views[i].data() - script.data();
        try {
            statements.append(
                {translate(store, QString::fromUtf8(views[i].data(), qsizetype(views[i].size()))),
                 start});
        } catch (const sql::Error &e) {
            if (views.size() < 2)
                throw;
            throw statementError(QString::fromUtf8(e.what()), script, start, qsizetype(i));
        }
    }
    return statements;
}

QByteArray Session::translateScript(AccountStore &store, const QString &text)
{
    // Splitting parses the text, so a single statement (the usual case) skips it.
    if (!text.contains(QLatin1Char(';')))
        return translate(store, text);
    QByteArray script;
    for (const ScriptStatement &statement : translateStatements(store, text.toStdString())) {
        if (!script.isEmpty())
            script += ";\n";
        script += statement.sql;
    }
    return script;
}

void Session::apply(const Message &request, FrameBuilder &reply)
{
    const QString providerName = request.value(key::Provider).toString();
    const QString text = request.value(key::Text).toString();
    const int maxErrors = request.value(key::MaxErrors).toInt();
    m_operation = QStringLiteral("apply ") + shortened(providerName);
    QList<Change> changes;
    const QVariantList list = request.value(key::Changes).toList();
    changes.reserve(list.size());
    for (const QVariant &item : list) {
        auto change = changeFromMap(item.toMap());
        if (!change)
            throw RequestError(code::Protocol,
                               QStringLiteral("change %1 has no valid kind (insert, modify or "
                                              "delete)")
                                   .arg(changes.size()));
        changes.append(std::move(*change));
    }

    const Provider provider = resolve(providerName, !text.trimmed().isEmpty());
    if (provider.kind == Provider::Kind::AccountList)
        require(Duty::AccountSets);
    else if (provider.onRegistry())
        require(Duty::Registry);
    ApplyOutcome outcome;
    if (provider.kind == Provider::Kind::AccountList) {
        outcome =
            m_context.registry.applyChanges(changes, maxErrors, m_context.options.busyTimeoutMs);
    } else {
        AccountStore &store = storeOf(provider);
        std::shared_ptr<const sql::Translation> translation;
        if (provider.kind != Provider::Kind::Table && !text.trimmed().isEmpty())
            translate(store, text, &translation);
        const QString table = targetTable(provider, translation.get());
        if (table.isEmpty())
            throw RequestError(code::Provider,
                               QStringLiteral("cannot tell which table the changes of provider "
                                              "\"%1\" belong to: send the command text the rows "
                                              "were read with")
                                   .arg(providerName));
        stripPasswords(table, changes);
        outcome = store.apply(table, changes, maxErrors);
    }

    reply.add(key::Applied, outcome.applied);
    reply.add(key::RolledBack, outcome.rolledBack);
    QVariantList errors;
    for (const RowError &error : std::as_const(outcome.errors))
        errors.append(toMap(error));
    reply.add(key::Errors, errors);
    reply.add(key::Inserted, insertedList(outcome.inserted));
    if (!outcome.errors.isEmpty()) {
        QStringList codes;
        for (const RowError &error : std::as_const(outcome.errors))
            if (!codes.contains(error.code))
                codes.append(error.code);
        logFailure(QStringLiteral("%1: %2 of %3 rows refused (%4)%5")
                       .arg(m_operation)
                       .arg(outcome.errors.size())
                       .arg(changes.size())
                       .arg(codes.join(QStringLiteral(", ")),
                            outcome.rolledBack ? QStringLiteral(", nothing stored") : QString()));
    }
}

PreparedPart Session::preparePart(AccountStore &store, const TransactPart &part)
{
    PreparedPart prepared;
    prepared.kind = part.kind;
    if (part.kind == TransactPart::Kind::Execute) {
        prepared.sqlText = translateScript(store, part.text);
        prepared.expectRows = part.expectRows;
        return prepared;
    }
    if (part.kind == TransactPart::Kind::Query) {
        prepared.sqlText = translate(store, part.text, &prepared.translation);
        return prepared;
    }
    const bool hasText = !part.text.trimmed().isEmpty();
    const Provider provider = resolve(part.provider, hasText);
    if (provider.onRegistry() || provider.kind == Provider::Kind::AccountList)
        throw RequestError(code::Provider,
                           QStringLiteral("provider \"%1\" does not store into the account set: "
                                          "it cannot take part in a transaction")
                               .arg(shortened(part.provider)));
    std::shared_ptr<const sql::Translation> translation;
    if (provider.kind != Provider::Kind::Table && hasText)
        translate(store, part.text, &translation);
    prepared.table = targetTable(provider, translation.get());
    if (prepared.table.isEmpty())
        throw RequestError(code::Provider,
                           QStringLiteral("cannot tell which table the changes of provider "
                                          "\"%1\" belong to: send the command text the rows were "
                                          "read with")
                               .arg(shortened(part.provider)));
    prepared.changes = part.changes;
    stripPasswords(prepared.table, prepared.changes);
    return prepared;
}

void Session::transact(const Message &request, FrameBuilder &reply)
{
    const QList<TransactPart> parts = parseTransactParts(request.value(key::Parts));
    AccountStore &store = accountStore();
    // Everything that can be checked is checked before the transaction starts.
    QList<PreparedPart> prepared;
    prepared.reserve(parts.size());
    for (int i = 0; i < parts.size(); ++i) {
        try {
            prepared.append(preparePart(store, parts[i]));
        } catch (const RequestError &e) {
            throw RequestError(e.code(), QStringLiteral("part %1: %2").arg(i).arg(e.message()));
        } catch (const sql::Error &e) {
            throw RequestError(
                code::Sql, QStringLiteral("part %1: %2").arg(i).arg(QString::fromUtf8(e.what())));
        }
    }

    TransactionRunner::StepHook stepHook;
    if (m_context.options.killAtStatement > 0) {
        stepHook = [this] {
            if (++m_context.transactStatements == m_context.options.killAtStatement)
                std::_Exit(86); // a test's power failure: nothing is flushed or closed
        };
    }
    const TransactOutcome outcome = store.transact(prepared, std::move(stepHook));

    reply.add(key::RolledBack, outcome.rolledBack);
    QVariantList errors;
    for (const RowError &error : std::as_const(outcome.errors))
        errors.append(toMap(error));
    reply.add(key::Errors, errors);
    QVariantList counts;
    for (qint64 count : std::as_const(outcome.counts))
        counts.append(count);
    reply.add(key::Counts, counts);
    QVariantList results;
    for (const QVariantList &rows : std::as_const(outcome.results))
        results.append(QVariant(rows));
    reply.add(key::Results, results);
    reply.add(key::Inserted, insertedList(outcome.inserted));
    if (outcome.rolledBack) {
        const RowError &refusal = outcome.errors.first();
        logFailure(QStringLiteral("transact of %1 parts refused by part %2 (%3), nothing stored")
                       .arg(parts.size())
                       .arg(refusal.part)
                       .arg(refusal.code));
    }
}

} // namespace server
