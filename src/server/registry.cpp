// The account sets of a data folder and their registry database.
#include "server/registry.h"

#include "pg/connection.h"
#include "server/pgcopy.h"
#include "server/requesterror.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <libpq-fe.h>
#include <sys/file.h>
#include <unistd.h>

namespace server {

namespace {

constexpr char backupFolderName[] = "backup";

QVariant valueOf(const QVariantMap &values, const QString &name)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    return {};
}

bool hasValue(const QVariantMap &values, const QString &name)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

wire::RowError rowError(const wire::Change &change, int index, QLatin1StringView code,
                        const QString &message)
{
    wire::RowError error;
    error.index = index;
    error.kind = change.kind;
    error.code = code;
    error.message = message;
    return error;
}

const QString accountNoColumn = QStringLiteral("AccountNo");
const QString accountNameColumn = QStringLiteral("AccountName");

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Where a connection string points, without its password: host, port, database and user.
QString describeConnInfo(const std::string &connInfo)
{
    PQconninfoOption *options = PQconninfoParse(connInfo.c_str(), nullptr);
    if (!options)
        return QStringLiteral("an unreadable connection string");
    QStringList parts;
    for (const PQconninfoOption *option = options; option->keyword; ++option) {
        if (!option->val || !*option->val)
            continue;
        for (const char *keyword : {"host", "hostaddr", "port", "dbname", "user"})
            if (std::strcmp(option->keyword, keyword) == 0)
                parts << QStringLiteral("%1=%2").arg(QLatin1String(keyword),
                                                     QString::fromUtf8(option->val));
    }
    PQconninfoFree(options);
    return parts.isEmpty() ? QStringLiteral("libpq's defaults") : parts.join(QLatin1Char(' '));
}

// A connection string the folder's file can hold and libpq can read.
QString connInfoProblem(const std::string &connInfo)
{
    if (QString::fromStdString(connInfo).trimmed().isEmpty())
        return QStringLiteral("the PostgreSQL connection string is empty");
    if (connInfo.find_first_of("\r\n") != std::string::npos)
        return QStringLiteral("the PostgreSQL connection string must be one line");
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(connInfo.c_str(), &error);
    if (!options) {
        const QString why = error ? QString::fromUtf8(error).trimmed() : QString();
        PQfreemem(error);
        return QStringLiteral("the PostgreSQL connection string is not valid: %1").arg(why);
    }
    PQconninfoFree(options);
    return {};
}

void removeDatabaseFiles(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace

std::unique_ptr<SetLock> SetLock::tryLock(const QString &folder, Kind kind, QString *reason)
{
    QString ignored;
    if (!reason)
        reason = &ignored;
    const QString path = folder + QLatin1Char('/') + QLatin1String(FileName);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *reason = QStringLiteral("cannot open %1: %2").arg(path, systemError(errno));
        return nullptr;
    }
    if (::flock(fd, (kind == Kind::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK)
            *reason = QStringLiteral("cannot lock %1: %2").arg(path, systemError(error));
        else if (kind == Kind::Shared)
            *reason = QStringLiteral("another process is moving it into PostgreSQL; try again "
                                     "when that is done");
        else
            *reason = QStringLiteral("a vzserver of this data folder is serving it: its users "
                                     "must leave it (or the server must stop) first");
        return nullptr;
    }
    return std::unique_ptr<SetLock>(new SetLock(fd));
}

SetLock::~SetLock()
{
    ::close(m_fd);
}

AccountRegistry::AccountRegistry(const QString &dataDir)
    : m_dataDir(QDir(dataDir).absolutePath())
{
    QDir().mkpath(m_dataDir);
    m_db.open(registryPath().toStdString());
    sqlite3_busy_timeout(m_db.handle(), 30000);
    m_db.exec("PRAGMA journal_mode=WAL");
    m_db.exec("PRAGMA synchronous=FULL");
    m_db.exec("CREATE TABLE IF NOT EXISTS Accounts ("
              "CompanyCode varchar(50), "
              "AccountNo varchar(50) NOT NULL PRIMARY KEY COLLATE NOCASE, "
              "AccountName varchar(50), "
              "CompanyName varchar(50))");
    m_db.exec("CREATE TABLE IF NOT EXISTS VersionInfor ("
              "sName varchar(50), sFileName varchar(50), sVersion varchar(50), pict blob, "
              "S1 varchar(50), S2 varchar(50), F1 float, F2 float)");
}

QString AccountRegistry::registryPath() const
{
    return m_dataDir + QLatin1Char('/') + QLatin1String(RegistryFileName);
}

QString AccountRegistry::accountFolder(const QString &accountNo) const
{
    return m_dataDir + QLatin1Char('/') + accountNo;
}

QString AccountRegistry::databasePath(const QString &accountNo) const
{
    return accountFolder(accountNo) + QLatin1Char('/') + QLatin1String(DatabaseFileName);
}

QString AccountRegistry::backupFolder(const QString &accountNo) const
{
    return m_dataDir + QLatin1Char('/') + QLatin1String(backupFolderName) + QLatin1Char('/') +
           accountNo;
}

QString AccountRegistry::pgConnInfoPath(const QString &accountNo) const
{
    return accountFolder(accountNo) + QLatin1Char('/') + QLatin1String(PgConnInfoFileName);
}

bool AccountRegistry::isPostgres(const QString &accountNo) const
{
    return QFileInfo::exists(pgConnInfoPath(accountNo));
}

void AccountRegistry::notice(const QString &line) const
{
    if (m_notice)
        m_notice(line);
}

void AccountRegistry::writePgConnInfo(const QString &path, const std::string &connInfo)
{
    if (const QString problem = connInfoProblem(connInfo); !problem.isEmpty())
        throw RequestError(wire::code::InvalidValue, problem);
    // Made 0600 from the start: the password must never sit in a file others can read.
    const QString partial = path + QStringLiteral(".part");
    const QByteArray partialName = QFile::encodeName(partial);
    ::unlink(partialName.constData());
    const int fd = ::open(partialName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw RequestError(wire::code::Method,
                           QStringLiteral("cannot write %1: %2").arg(partial, systemError(errno)));
    std::string line = connInfo;
    line.push_back('\n');
    size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += size_t(n);
    }
    const int error = errno;
    const bool synced = written == line.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!synced || ::rename(partialName.constData(), QFile::encodeName(path).constData()) != 0) {
        const int renameError = synced ? errno : error;
        ::unlink(partialName.constData());
        throw RequestError(
            wire::code::Method,
            QStringLiteral("cannot write %1: %2").arg(path, systemError(renameError)));
    }
}

std::string AccountRegistry::readPgConnInfo(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readLine(64 * 1024).trimmed().toStdString();
}

void AccountRegistry::requireFileDatabase(const AccountSet &set, FileWork work)
{
    if (!set.pgConnInfo.empty())
        throw livesInPostgres(set.accountNo, work);
}

void AccountRegistry::requireFileDatabase(const QString &accountNo, FileWork work) const
{
    if (isPostgres(accountNo))
        throw livesInPostgres(accountNo, work);
}

RequestError AccountRegistry::livesInPostgres(const QString &accountNo, FileWork work)
{
    static const std::map<FileWork, const char *> advice{
        {FileWork::Backup, "back it up with pg_dump (pg_dump -Fc) on the database server"},
        {FileWork::Restore, "it has no backup copies here; a pg_dump file is restored with "
                            "pg_restore"},
        {FileWork::Compact, "PostgreSQL reclaims free space itself (autovacuum); VACUUM FULL "
                            "is its administrator's work"},
    };
    return RequestError(wire::code::Method,
                        QStringLiteral("the account set \"%1\" lives in PostgreSQL: %2")
                            .arg(accountNo, QString::fromUtf8(advice.at(work))));
}

QString AccountRegistry::checkAccountNo(const QString &accountNo)
{
    if (accountNo.trimmed().isEmpty())
        return QStringLiteral("the account set code is empty");
    if (accountNo.size() > 50)
        return QStringLiteral("the account set code \"%1\" is longer than 50 characters")
            .arg(accountNo);
    for (const QChar c : accountNo)
        if (!c.isLetterOrNumber() && c != u'_' && c != u'-')
            return QStringLiteral("the account set code \"%1\" may hold only letters and digits")
                .arg(accountNo);
    if (accountNo.compare(QLatin1String(backupFolderName), Qt::CaseInsensitive) == 0)
        return QStringLiteral("\"%1\" is reserved for the backup folder").arg(accountNo);
    return {};
}

std::optional<AccountInfo> AccountRegistry::find(const QString &accountNo)
{
    std::lock_guard lock(m_mutex);
    auto stmt = m_db.prepare("SELECT CompanyCode, AccountNo, AccountName, CompanyName "
                             "FROM Accounts WHERE AccountNo = ?1");
    stmt.bind(1, accountNo.trimmed().toStdString());
    if (!stmt.step())
        return std::nullopt;
    AccountInfo info;
    info.companyCode = QString::fromStdString(stmt.columnText(0));
    info.accountNo = QString::fromStdString(stmt.columnText(1));
    info.accountName = QString::fromStdString(stmt.columnText(2));
    info.companyName = QString::fromStdString(stmt.columnText(3));
    return info;
}

QString AccountRegistry::firstAccountNo()
{
    std::lock_guard lock(m_mutex);
    auto stmt = m_db.prepare("SELECT AccountNo FROM Accounts ORDER BY AccountNo LIMIT 1");
    return stmt.step() ? QString::fromStdString(stmt.columnText(0)) : QString();
}

bool AccountRegistry::inUse(const QString &accountNo) const
{
    const auto it = m_sets.find(accountNo.toLower());
    return it != m_sets.end() && it->second->sessions > 0;
}

std::shared_ptr<AccountSet> AccountRegistry::acquire(const QString &accountNo, QString *reason)
{
    const auto info = find(accountNo);
    std::lock_guard lock(m_mutex);
    if (!info) {
        *reason = QStringLiteral("there is no account set \"%1\"").arg(accountNo);
        return nullptr;
    }
    auto &set = m_sets[info->accountNo.toLower()];
    if (!set || set->sessions == 0) {
        // Looked at anew whenever no session holds it: another process may have moved it
        // into PostgreSQL in the meantime.
        const QString path = databasePath(info->accountNo);
        const QString connInfoPath = pgConnInfoPath(info->accountNo);
        std::string connInfo;
        if (QFileInfo::exists(connInfoPath)) {
            connInfo = readPgConnInfo(connInfoPath);
            if (connInfo.empty()) {
                *reason = QStringLiteral("the PostgreSQL connection of account set \"%1\" "
                                         "cannot be read from %2")
                              .arg(accountNo, connInfoPath);
                return nullptr;
            }
        } else if (!QFileInfo::exists(path)) {
            *reason =
                QStringLiteral("the database of account set \"%1\" is missing").arg(accountNo);
            return nullptr;
        }
        QString why;
        auto inUse = SetLock::tryLock(accountFolder(info->accountNo), SetLock::Kind::Shared, &why);
        if (!inUse) {
            *reason =
                QStringLiteral("the account set \"%1\" cannot be opened: %2").arg(accountNo, why);
            return nullptr;
        }
        if (!set || set->pgConnInfo != connInfo) {
            set = std::make_shared<AccountSet>();
            set->accountNo = info->accountNo;
            set->path = path;
            set->pgConnInfo = connInfo;
        }
        set->inUse = std::move(inUse);
    }
    ++set->sessions;
    return set;
}

void AccountRegistry::release(const std::shared_ptr<AccountSet> &set)
{
    if (!set)
        return;
    std::lock_guard lock(m_mutex);
    if (--set->sessions == 0)
        set->inUse.reset();
}

ApplyOutcome AccountRegistry::applyChanges(const QList<wire::Change> &changes, int maxErrors,
                                           int busyTimeoutMs, const AccountDbOptions &options)
{
    std::unique_lock write(m_writeLock, std::defer_lock);
    if (!write.try_lock_for(std::chrono::milliseconds(busyTimeoutMs)))
        throw RequestError(wire::code::Busy,
                           QStringLiteral("the list of account sets stayed locked"));
    std::lock_guard lock(m_mutex);

    // What each row does to the folders once it is stored: new folders are made before the
    // row is written (and removed again when it is not stored); renames and removals wait
    // for the commit.
    struct FolderWork
    {
        QString createdFolder;   // made for an inserted row
        QString createdDatabase; // made for an inserted row
        QString renameFrom, renameTo;
        QString remove;
    };
    QList<FolderWork> work(changes.size());
    const auto undoCreated = [&](FolderWork &w) {
        if (!w.createdDatabase.isEmpty()) {
            for (const char *suffix : {"", "-wal", "-shm", "-journal"})
                QFile::remove(w.createdDatabase + QLatin1String(suffix));
        }
        if (!w.createdFolder.isEmpty())
            QDir(w.createdFolder).removeRecursively();
        w = FolderWork();
    };

    const auto before = [&](const wire::Change &change,
                            int index) -> std::optional<wire::RowError> {
        FolderWork &w = work[index];
        switch (change.kind) {
        case wire::ChangeKind::Insert: {
            const QString no = valueOf(change.newValues, accountNoColumn).toString().trimmed();
            if (const QString problem = checkAccountNo(no); !problem.isEmpty())
                return rowError(change, index, wire::code::InvalidValue, problem);
            auto stmt = m_db.prepare("SELECT 1 FROM Accounts WHERE AccountNo = ?1");
            stmt.bind(1, no.toStdString());
            if (stmt.step())
                return rowError(change, index, wire::code::Unique,
                                QStringLiteral("the account set \"%1\" already exists").arg(no));
            const QString folder = accountFolder(no);
            if (!QFileInfo::exists(folder)) {
                if (!QDir().mkpath(folder))
                    return rowError(change, index, wire::code::Refused,
                                    QStringLiteral("cannot create the folder %1").arg(folder));
                w.createdFolder = folder;
            }
            const QString path = databasePath(no);
            // An existing database, or a PostgreSQL set's folder, is taken over as it is.
            if (!QFileInfo::exists(path) && !isPostgres(no)) {
                AccountDbOptions databaseOptions = options;
                databaseOptions.accountName =
                    valueOf(change.newValues, accountNameColumn).toString();
                try {
                    createAccountDatabase(path, databaseOptions);
                    w.createdDatabase = path;
                } catch (const std::exception &e) {
                    w.createdDatabase = path;
                    undoCreated(w);
                    return rowError(change, index, wire::code::Sql,
                                    QStringLiteral("cannot create the database of account set "
                                                   "\"%1\": %2")
                                        .arg(no, QString::fromUtf8(e.what())));
                }
            }
            return std::nullopt;
        }
        case wire::ChangeKind::Modify: {
            if (!hasValue(change.newValues, accountNoColumn))
                return std::nullopt; // a renamed account set keeps its folder
            const QString from = valueOf(change.oldValues, accountNoColumn).toString().trimmed();
            const QString to = valueOf(change.newValues, accountNoColumn).toString().trimmed();
            if (from == to)
                return std::nullopt;
            if (const QString problem = checkAccountNo(to); !problem.isEmpty())
                return rowError(change, index, wire::code::InvalidValue, problem);
            if (inUse(from))
                return rowError(change, index, wire::code::Refused,
                                QStringLiteral("the account set \"%1\" is in use and cannot "
                                               "change its code")
                                    .arg(from));
            if (from.compare(to, Qt::CaseInsensitive) != 0 && QFileInfo::exists(accountFolder(to)))
                return rowError(
                    change, index, wire::code::Unique,
                    QStringLiteral("the folder of account set \"%1\" already exists").arg(to));
            w.renameFrom = accountFolder(from);
            w.renameTo = accountFolder(to);
            return std::nullopt;
        }
        case wire::ChangeKind::Delete: {
            const QString no = valueOf(change.oldValues, accountNoColumn).toString().trimmed();
            if (inUse(no))
                return rowError(change, index, wire::code::Refused,
                                QStringLiteral("the account set \"%1\" is in use and cannot be "
                                               "deleted")
                                    .arg(no));
            if (checkAccountNo(no).isEmpty())
                w.remove = accountFolder(no);
            return std::nullopt;
        }
        }
        return std::nullopt;
    };
    const auto after = [&](int index, bool stored) {
        if (!stored)
            undoCreated(work[index]);
    };

    ChangeApplier applier(m_db.handle(),
                          loadTableSchema(m_db.handle(), QStringLiteral("Accounts")));
    applier.setHooks(before, after);
    ApplyOutcome outcome;
    try {
        outcome = applier.apply(changes, maxErrors);
    } catch (...) {
        for (FolderWork &w : work)
            undoCreated(w);
        throw;
    }
    if (outcome.rolledBack) {
        for (FolderWork &w : work)
            undoCreated(w);
        return outcome;
    }
    for (const FolderWork &w : std::as_const(work)) {
        if (!w.renameFrom.isEmpty() && QFileInfo::exists(w.renameFrom)) {
            m_sets.erase(QFileInfo(w.renameFrom).fileName().toLower());
            QDir().rename(w.renameFrom, w.renameTo);
        }
        if (!w.remove.isEmpty()) {
            const QString no = QFileInfo(w.remove).fileName();
            m_sets.erase(no.toLower());
            const bool postgres = isPostgres(no);
            const std::string connInfo =
                postgres ? readPgConnInfo(pgConnInfoPath(no)) : std::string();
            QDir(w.remove).removeRecursively();
            if (postgres)
                notice(QStringLiteral("account set %1 deleted: its PostgreSQL database (%2) "
                                      "stays as it was; drop it there when it is no longer "
                                      "wanted")
                           .arg(no, describeConnInfo(connInfo)));
        }
    }
    return outcome;
}

QList<BackupInfo> AccountRegistry::backups(const QString &accountNo)
{
    const auto info = find(accountNo);
    if (!info)
        throw RequestError(wire::code::Method,
                           QStringLiteral("there is no account set \"%1\"").arg(accountNo));
    requireFileDatabase(info->accountNo, FileWork::Restore);
    const QDir folder(backupFolder(info->accountNo));
    QList<BackupInfo> list;
    // Names sort by time; the newest comes first.
    for (const QFileInfo &file : folder.entryInfoList({QStringLiteral("VzData-*.db")}, QDir::Files,
                                                      QDir::Name | QDir::Reversed)) {
        BackupInfo backup;
        backup.fileName = file.fileName();
        backup.time = QDateTime::fromString(file.completeBaseName().mid(7),
                                            QStringLiteral("yyyyMMdd-HHmmss-zzz"));
        if (!backup.time.isValid())
            backup.time = file.lastModified();
        backup.size = file.size();
        list << backup;
    }
    return list;
}

void AccountRegistry::restoreBackup(const QString &accountNo, const QString &fileName,
                                    const AccountInfo &target)
{
    const auto source = find(accountNo);
    if (!source)
        throw RequestError(wire::code::Method,
                           QStringLiteral("there is no account set \"%1\"").arg(accountNo));
    // Only a name the listing gives: no path reaches outside the backup folder.
    bool listed = false;
    for (const BackupInfo &backup : backups(source->accountNo))
        listed = listed || backup.fileName == fileName;
    if (!listed)
        throw RequestError(wire::code::Method,
                           QStringLiteral("\"%1\" is not a backup of account set \"%2\"")
                               .arg(fileName, source->accountNo));
    requireFileDatabase(source->accountNo, FileWork::Restore);
    const QString newNo = target.accountNo.trimmed();
    if (const QString problem = checkAccountNo(newNo); !problem.isEmpty())
        throw RequestError(wire::code::InvalidValue, problem);
    if (target.accountName.trimmed().isEmpty())
        throw RequestError(wire::code::InvalidValue,
                           QStringLiteral("the new account set needs a name"));
    if (target.accountName.size() > 50)
        throw RequestError(wire::code::InvalidValue,
                           QStringLiteral("the account set name is longer than 50 characters"));

    std::unique_lock write(m_writeLock, std::defer_lock);
    if (!write.try_lock_for(std::chrono::milliseconds(30000)))
        throw RequestError(wire::code::Busy,
                           QStringLiteral("the list of account sets stayed locked"));
    std::lock_guard lock(m_mutex);
    {
        auto stmt = m_db.prepare("SELECT 1 FROM Accounts WHERE AccountNo = ?1");
        stmt.bind(1, newNo.toStdString());
        if (stmt.step())
            throw RequestError(wire::code::Unique,
                               QStringLiteral("the account set \"%1\" already exists").arg(newNo));
    }
    const QString folder = accountFolder(newNo);
    if (QFileInfo::exists(folder))
        throw RequestError(
            wire::code::Unique,
            QStringLiteral("the folder of account set \"%1\" already exists").arg(newNo));
    const auto fail = [&](const QString &why) {
        QDir(folder).removeRecursively();
        throw RequestError(wire::code::Method,
                           QStringLiteral("restoring %1 failed: %2").arg(fileName, why));
    };
    if (!QDir().mkpath(folder))
        fail(QStringLiteral("cannot create the folder %1").arg(folder));
    const QString partial = databasePath(newNo) + QStringLiteral(".part");
    if (!QFile::copy(backupFolder(source->accountNo) + QLatin1Char('/') + fileName, partial))
        fail(QStringLiteral("cannot copy the backup"));
    QString verdict;
    try {
        sql::Database copy(partial.toStdString(), sql::Database::Mode::ReadOnly);
        auto check = copy.prepare("PRAGMA integrity_check");
        verdict = check.step() ? QString::fromStdString(check.columnText(0)) : QString();
    } catch (const sql::Error &e) {
        verdict = QString::fromUtf8(e.what());
    }
    if (verdict != QLatin1String("ok"))
        fail(QStringLiteral("the copy is damaged: %1").arg(verdict));
    if (!QFile::rename(partial, databasePath(newNo)))
        fail(QStringLiteral("cannot name the database file"));
    AccountInfo row = target;
    row.companyCode = source->companyCode;
    row.accountNo = newNo;
    row.accountName = target.accountName.trimmed();
    if (row.companyName.isEmpty())
        row.companyName = source->companyName;
    try {
        insertRow(row);
    } catch (const sql::Error &e) {
        fail(QString::fromUtf8(e.what()));
    }
}

void AccountRegistry::insertRow(const AccountInfo &info)
{
    auto insert = m_db.prepare("INSERT INTO Accounts (CompanyCode, AccountNo, AccountName, "
                               "CompanyName) VALUES (?1, ?2, ?3, ?4)");
    insert.bind(1, (info.companyCode.isEmpty() ? QString(DefaultCompanyCode) : info.companyCode)
                       .toStdString());
    insert.bind(2, info.accountNo.toStdString());
    insert.bind(3, info.accountName.toStdString());
    insert.bind(4, info.companyName.toStdString());
    insert.step();
}

void AccountRegistry::create(const AccountInfo &info, const AccountDbOptions &options)
{
    wire::Change change;
    change.kind = wire::ChangeKind::Insert;
    change.newValues.insert(QStringLiteral("CompanyCode"), info.companyCode.isEmpty()
                                                               ? QString(DefaultCompanyCode)
                                                               : info.companyCode);
    change.newValues.insert(accountNoColumn, info.accountNo);
    change.newValues.insert(accountNameColumn, info.accountName);
    change.newValues.insert(QStringLiteral("CompanyName"), info.companyName);
    const ApplyOutcome outcome = applyChanges({change}, 0, 30000, options);
    if (!outcome.errors.isEmpty())
        throw RequestError(QLatin1StringView(wire::code::Refused), outcome.errors.first().message);
}

std::unique_ptr<pg::Connection> AccountRegistry::connectNewSet(const QString &accountNo,
                                                               const std::string &connInfo)
{
    if (const QString problem = checkAccountNo(accountNo); !problem.isEmpty())
        throw RequestError(wire::code::InvalidValue, problem);
    if (const QString problem = connInfoProblem(connInfo); !problem.isEmpty())
        throw RequestError(wire::code::InvalidValue, problem);
    if (find(accountNo))
        throw RequestError(wire::code::Unique,
                           QStringLiteral("the account set \"%1\" already exists").arg(accountNo));
    // Reached before anything is built: a wrong connection string fails in seconds.
    try {
        return std::make_unique<pg::Connection>(connInfo);
    } catch (const std::exception &e) {
        throw RequestError(wire::code::Method, QStringLiteral("cannot connect to PostgreSQL: %1")
                                                   .arg(QString::fromUtf8(e.what()).trimmed()));
    }
}

void AccountRegistry::registerSet(const AccountInfo &info)
{
    std::unique_lock write(m_writeLock, std::defer_lock);
    if (!write.try_lock_for(std::chrono::milliseconds(30000)))
        throw RequestError(wire::code::Busy,
                           QStringLiteral("the list of account sets stayed locked"));
    std::lock_guard lock(m_mutex);
    AccountInfo row = info;
    row.accountNo = info.accountNo.trimmed();
    insertRow(row);
}

void AccountRegistry::attachPostgres(const AccountInfo &info, const std::string &connInfo)
{
    const QString no = info.accountNo.trimmed();
    const std::unique_ptr<pg::Connection> target = connectNewSet(no, connInfo);
    try {
        const pg::Result version =
            target->exec(std::string("SELECT version FROM ") + SchemaVersionTable);
        if (version.rows() != 1)
            throw std::runtime_error("its schema version is missing");
    } catch (const std::exception &e) {
        throw RequestError(wire::code::Method,
                           QStringLiteral("the database holds no account set (%1): make one "
                                          "with --create-account NO NAME --engine postgresql")
                               .arg(QString::fromUtf8(e.what()).trimmed()));
    }
    const QString folder = accountFolder(no);
    // mkdir, not mkpath: a folder that exists is someone else's.
    if (!QDir().mkdir(folder))
        throw RequestError(wire::code::Unique,
                           QStringLiteral("the folder %1 already exists or cannot be made: move "
                                          "it away first")
                               .arg(folder));
    try {
        writePgConnInfo(pgConnInfoPath(no), connInfo);
        registerSet(info);
    } catch (...) {
        QDir(folder).removeRecursively();
        throw;
    }
}

void AccountRegistry::createOnPostgres(const AccountInfo &info, const AccountDbOptions &options,
                                       const std::string &connInfo,
                                       const std::function<void(const std::string &)> &progress)
{
    const QString no = info.accountNo.trimmed();
    const std::unique_ptr<pg::Connection> target = connectNewSet(no, connInfo);
    const QString folder = accountFolder(no);
    const QString building = folder + QStringLiteral("/VzData.db.for-postgresql");
    if (QFileInfo::exists(folder)) {
        // What an interrupted creation leaves (the set has no row, no process holds the folder's
        // lock) goes; anything else stays.
        const auto previous = SetLock::tryLock(folder, SetLock::Kind::Exclusive, nullptr);
        QStringList files = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                   QDir::Hidden | QDir::System);
        files.removeAll(QLatin1String(SetLock::FileName));
        const bool leftOver = previous && !files.isEmpty() &&
                              std::all_of(files.cbegin(), files.cend(), [&](const QString &f) {
                                  return f.startsWith(QFileInfo(building).fileName());
                              });
        if (!leftOver || !QDir(folder).removeRecursively())
            throw RequestError(
                wire::code::Unique,
                QStringLiteral("the folder %1 already exists: move it away first").arg(folder));
    }

    // mkdir, not mkpath: a folder another process made meanwhile is not ours to remove.
    if (!QDir().mkdir(folder))
        throw RequestError(wire::code::Method,
                           QStringLiteral("cannot create the folder %1").arg(folder));
    QString why;
    const auto alone = SetLock::tryLock(folder, SetLock::Kind::Exclusive, &why);
    if (!alone) {
        QDir(folder).removeRecursively();
        throw RequestError(wire::code::Method, why);
    }
    try {
        createAccountDatabase(building, options);
        {
            sql::Database source(building.toStdString(), sql::Database::Mode::ReadOnly);
            PostgresCopy copy(source.handle(), *target);
            copy.setProgress(progress);
            copy.run();
        }
        writePgConnInfo(pgConnInfoPath(no), connInfo);
        removeDatabaseFiles(building);
        registerSet(info);
    } catch (const std::exception &e) {
        QDir(folder).removeRecursively();
        const auto *request = dynamic_cast<const RequestError *>(&e);
        throw RequestError(wire::code::Method,
                           request ? request->message() : QString::fromUtf8(e.what()).trimmed());
    }
}

QString AccountRegistry::switchToPostgres(const QString &accountNo, const std::string &connInfo)
{
    const auto info = find(accountNo);
    if (!info)
        throw RequestError(wire::code::Method,
                           QStringLiteral("there is no account set \"%1\"").arg(accountNo));
    const QString no = info->accountNo;
    if (isPostgres(no))
        throw RequestError(
            wire::code::Method,
            QStringLiteral("the account set \"%1\" already lives in PostgreSQL").arg(no));
    const QString path = databasePath(no);
    try {
        // The kept file must stand on its own: what the write-ahead log holds goes into it.
        sql::Database db(path.toStdString(), sql::Database::Mode::ReadWrite);
        db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
        db.exec("PRAGMA journal_mode=DELETE");
    } catch (const std::exception &e) {
        throw RequestError(wire::code::Method,
                           QStringLiteral("cannot close the file of account set \"%1\": %2")
                               .arg(no, QString::fromUtf8(e.what())));
    }
    const QString stamp = path + QStringLiteral(".migrated-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString kept = stamp;
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = stamp + QStringLiteral("-%1").arg(n);
    // Once the connection file is there the set is a PostgreSQL one, whether or not the
    // rename below happens: a file left beside it is never served.
    writePgConnInfo(pgConnInfoPath(no), connInfo);
    if (!QFile::rename(path, kept)) {
        QFile::remove(pgConnInfoPath(no));
        throw RequestError(wire::code::Method,
                           QStringLiteral("cannot rename %1 to %2").arg(path, kept));
    }
    removeDatabaseFiles(path); // no log or journal of the renamed file stays behind
    std::lock_guard lock(m_mutex);
    if (!inUse(no))
        m_sets.erase(no.toLower());
    return kept;
}

} // namespace server
