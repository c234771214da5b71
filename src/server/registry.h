// The account sets of a data folder: the registry database (the list of account sets and
// the client versions in VersionInfor) and one folder per account set, named by its
// AccountNo, holding either its database VzData.db or, for a set that lives in PostgreSQL,
// the connection string in PostgreSQL.conninfo (never in registry.db: clients read its
// tables before they log in). Also tracks which account sets sessions use.
#pragma once

#include "server/accountdb.h"
#include "server/apply.h"
#include "sql/database.h"
#include "wire/protocol.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace pg {
class Connection;
}

namespace server {

class RequestError;

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

// An flock(2) on the lock file of an account set's folder. Every process serving the set
// holds it shared; a process that moves the set into PostgreSQL holds it alone, so neither
// can start while the other works. The kernel drops it however the process ends.
class SetLock
{
public:
    enum class Kind { Shared, Exclusive };
    static constexpr char FileName[] = "InUse.lock";

    // nullptr with *reason when another process holds the lock the other way.
    static std::unique_ptr<SetLock> tryLock(const QString &folder, Kind kind, QString *reason);
    ~SetLock();
    SetLock(const SetLock &) = delete;
    SetLock &operator=(const SetLock &) = delete;

private:
    explicit SetLock(int fd)
        : m_fd(fd)
    {}
    int m_fd;
};

// One account set as the sessions of this process share it.
struct AccountSet
{
    QString accountNo;
    QString path;                   // the SQLite database; where it would be for a PostgreSQL set
    std::string pgConnInfo;         // empty: the set is the SQLite database at path
    std::unique_ptr<SetLock> inUse; // held while sessions > 0
    std::timed_mutex writeLock;     // see SessionDatabase::lockForWrite
    int sessions = 0;               // guarded by the registry
    std::once_flag upgraded;        // the schema is brought up to date once per process
};

class AccountRegistry
{
public:
    static constexpr char DatabaseFileName[] = "VzData.db";
    static constexpr char RegistryFileName[] = "registry.db";
    static constexpr char DefaultCompanyCode[] = "BC50A50F-C431-43F1-8E11-23AAE640437E";
    static constexpr char PgConnInfoFileName[] = "PostgreSQL.conninfo";

    // Work on an account set's database file that a PostgreSQL set leaves to PostgreSQL's
    // own tools.
    enum class FileWork { Backup, Restore, Compact };

    // Opens (creating when missing) the registry of a data folder; throws sql::Error.
    explicit AccountRegistry(const QString &dataDir);

    QString dataDir() const { return m_dataDir; }
    QString registryPath() const;
    QString accountFolder(const QString &accountNo) const;
    QString databasePath(const QString &accountNo) const;
    QString backupFolder(const QString &accountNo) const;
    QString pgConnInfoPath(const QString &accountNo) const;
    std::timed_mutex &writeLock() { return m_writeLock; }

    // Lines for the server's log (a PostgreSQL database that outlives its deleted set).
    void setNotice(std::function<void(const QString &)> notice) { m_notice = std::move(notice); }

    // True when the account set (as the registry spells its code) lives in PostgreSQL.
    bool isPostgres(const QString &accountNo) const;

    std::optional<AccountInfo> find(const QString &accountNo);
    QString firstAccountNo();

    // A session starts using an account set; nullptr with *reason when it is unknown, its
    // database is missing or another process is moving it into PostgreSQL. Every acquire is
    // paired with a release. A PostgreSQL set comes with its pgConnInfo.
    std::shared_ptr<AccountSet> acquire(const QString &accountNo, QString *reason);
    void release(const std::shared_ptr<AccountSet> &set);

    // Applies changes of the account-set list: an inserted row gets its folder and a new
    // database (an existing database file is kept, never overwritten), a deleted row loses
    // its folder (refused while a session uses it), a changed AccountNo renames the folder.
    ApplyOutcome applyChanges(const QList<wire::Change> &changes, int maxErrors, int busyTimeoutMs,
                              const AccountDbOptions &options = {});

    // Creates one account set (the command line's --create-account); throws RequestError.
    void create(const AccountInfo &info, const AccountDbOptions &options);

    // Creates one account set in the empty PostgreSQL database connInfo names: built as an
    // SQLite file in its folder, copied and verified there, then the file is removed and the
    // folder keeps the connection string. A failure leaves neither folder nor row; one in the
    // copy leaves the PostgreSQL database unchanged too. Throws RequestError.
    void createOnPostgres(const AccountInfo &info, const AccountDbOptions &options,
                          const std::string &connInfo,
                          const std::function<void(const std::string &table)> &progress = {});

    // Registers an account set that already lives in the PostgreSQL database connInfo names
    // (made by another server's --create-account or --migrate-account), so that this server
    // serves it too. The folder keeps the connection string only. Throws RequestError.
    void attachPostgres(const AccountInfo &info, const std::string &connInfo);

    // Makes a copied SQLite set (see PostgresCopy) a PostgreSQL one: the connection string is
    // written and the file kept as VzData.db.migrated-<time>. The caller holds the set's lock
    // alone. Returns the kept file's path; throws RequestError.
    QString switchToPostgres(const QString &accountNo, const std::string &connInfo);

    // Throws RequestError when the account set lives in PostgreSQL: backups, restores and
    // compaction there are pg_dump's, pg_restore's and PostgreSQL's own work.
    static void requireFileDatabase(const AccountSet &set, FileWork work);
    void requireFileDatabase(const QString &accountNo, FileWork work) const;

    // Writes a set folder's connection file: one line, mode 0600, through a temporary file
    // renamed into place. Throws RequestError.
    static void writePgConnInfo(const QString &path, const std::string &connInfo);
    // The connection string of a set folder's file; empty when it cannot be read.
    static std::string readPgConnInfo(const QString &path);

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
    void notice(const QString &line) const;
    static RequestError livesInPostgres(const QString &accountNo, FileWork work);
    void insertRow(const AccountInfo &info); // the caller holds m_mutex
    void registerSet(const AccountInfo &info);
    // Checks that a new set may take the code and the connection string, and connects.
    std::unique_ptr<pg::Connection> connectNewSet(const QString &accountNo,
                                                  const std::string &connInfo);

    QString m_dataDir;
    std::mutex m_mutex; // guards m_db and m_sets
    std::timed_mutex m_writeLock;
    sql::Database m_db;
    std::map<QString, std::shared_ptr<AccountSet>> m_sets; // by lower-case AccountNo
    std::function<void(const QString &)> m_notice;
};

} // namespace server
