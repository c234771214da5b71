// The account sets of a data folder: the registry database (the list of account sets and
// the client versions in VersionInfor) and one folder per account set, named by its
// AccountNo, holding its database VzData.db. Also tracks which account sets sessions use.
#pragma once

#include "server/accountdb.h"
#include "server/apply.h"
#include "sql/database.h"
#include "wire/protocol.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace server {

struct AccountInfo
{
    QString companyCode;
    QString accountNo;
    QString accountName;
    QString companyName;
};

// One backup copy of an account set.
struct BackupInfo
{
    QString fileName; // in the account set's backup folder
    QDateTime time;   // when it was made
    qint64 size = 0;  // bytes
};

// One account set as the sessions of this process share it.
struct AccountSet
{
    QString accountNo;
    QString path;
    std::timed_mutex writeLock; // see SessionDatabase::lockForWrite
    int sessions = 0;           // guarded by the registry
    std::once_flag upgraded;    // the schema is brought up to date once per process
};

class AccountRegistry
{
public:
    static constexpr char DatabaseFileName[] = "VzData.db";
    static constexpr char RegistryFileName[] = "registry.db";
    static constexpr char DefaultCompanyCode[] = "BC50A50F-C431-43F1-8E11-23AAE640437E";

    // Opens (creating when missing) the registry of a data folder; throws sql::Error.
    explicit AccountRegistry(const QString &dataDir);

    QString dataDir() const { return m_dataDir; }
    QString registryPath() const;
    QString accountFolder(const QString &accountNo) const;
    QString databasePath(const QString &accountNo) const;
    QString backupFolder(const QString &accountNo) const;
    std::timed_mutex &writeLock() { return m_writeLock; }

    std::optional<AccountInfo> find(const QString &accountNo);
    QString firstAccountNo();

    // A session starts using an account set; nullptr with *reason when it is unknown or its
    // database is missing. Every acquire is paired with a release.
    std::shared_ptr<AccountSet> acquire(const QString &accountNo, QString *reason);
    void release(const std::shared_ptr<AccountSet> &set);

    // Applies changes of the account-set list: an inserted row gets its folder and a new
    // database (an existing database file is kept, never overwritten), a deleted row loses
    // its folder (refused while a session uses it), a changed AccountNo renames the folder.
    ApplyOutcome applyChanges(const QList<wire::Change> &changes, int maxErrors, int busyTimeoutMs,
                              const AccountDbOptions &options = {});

    // Creates one account set (the command line's --create-account); throws RequestError.
    void create(const AccountInfo &info, const AccountDbOptions &options);

    // The backup copies of an account set, newest first; throws RequestError when the account
    // set is unknown.
    QList<BackupInfo> backups(const QString &accountNo);

    // Makes one of accountNo's backups the database of a new account set: the copy is checked
    // before the list names it, and a failure leaves neither folder nor row. The file must be
    // one of backups(accountNo) by name; the new code must be free. Throws RequestError.
    void restoreBackup(const QString &accountNo, const QString &fileName,
                       const AccountInfo &target);

    // Empty when the code can name an account set and its folder, else why not.
    static QString checkAccountNo(const QString &accountNo);

private:
    bool inUse(const QString &accountNo) const;

    QString m_dataDir;
    std::mutex m_mutex; // guards m_db and m_sets
    std::timed_mutex m_writeLock;
    sql::Database m_db;
    std::map<QString, std::shared_ptr<AccountSet>> m_sets; // by lower-case AccountNo
};

} // namespace server
