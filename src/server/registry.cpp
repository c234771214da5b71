// The account sets of a data folder and their registry database.
#include "server/registry.h"

#include "server/requesterror.h"

#include <QDir>
#include <QFileInfo>

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

} // namespace

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
    const QString path = databasePath(info->accountNo);
    if (!QFileInfo::exists(path)) {
        *reason = QStringLiteral("the database of account set \"%1\" is missing").arg(accountNo);
        return nullptr;
    }
    auto &set = m_sets[info->accountNo.toLower()];
    if (!set) {
        set = std::make_shared<AccountSet>();
        set->accountNo = info->accountNo;
        set->path = path;
    }
    ++set->sessions;
    return set;
}

void AccountRegistry::release(const std::shared_ptr<AccountSet> &set)
{
    if (!set)
        return;
    std::lock_guard lock(m_mutex);
    --set->sessions;
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
            if (!QFileInfo::exists(path)) { // an existing database is taken over as it is
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
            m_sets.erase(QFileInfo(w.remove).fileName().toLower());
            QDir(w.remove).removeRecursively();
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
    try {
        auto insert = m_db.prepare("INSERT INTO Accounts (CompanyCode, AccountNo, AccountName, "
                                   "CompanyName) VALUES (?1, ?2, ?3, ?4)");
        insert.bind(1, source->companyCode.toStdString());
        insert.bind(2, newNo.toStdString());
        insert.bind(3, target.accountName.trimmed().toStdString());
        insert.bind(4, (target.companyName.isEmpty() ? source->companyName : target.companyName)
                           .toStdString());
        insert.step();
    } catch (const sql::Error &e) {
        fail(QString::fromUtf8(e.what()));
    }
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

} // namespace server
