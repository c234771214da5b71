// Account sets that live in PostgreSQL, through a real vzserver and its command line: creating
// one, what a failure leaves, the list, deleting, switching a file set over, and the file-only
// maintenance a PostgreSQL set refuses.
#include "serverfixture.h"

#include "pg/connection.h"
#include "server/registry.h"
#include "server/requesterror.h"
#include "sql/database.h"
#include "support/pgcluster.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sys/stat.h>

using namespace vztest;
using server::AccountRegistry;

namespace {

const QString listProvider = QStringLiteral("dspAccounts");
// Travels in every connection string below; must never land anywhere but the conninfo file.
const char secret[] = "Vz-Secret-7f3a9c";

QString freshDatabase()
{
    return QString::fromStdString(testsupport::PgCluster::shared().createDatabase()) +
           QStringLiteral(" password=") + QLatin1String(secret);
}

std::string onlyValue(const QString &connInfo, const std::string &sqlText)
{
    pg::Connection pg(connInfo.toStdString());
    const pg::Result result = pg.exec(sqlText);
    return result.rows() == 1 ? std::string(result.text(0, 0))
                              : "(" + std::to_string(result.rows()) + " rows)";
}

long long tablesIn(const QString &connInfo)
{
    return std::stoll(onlyValue(connInfo, "SELECT count(*) FROM information_schema.tables "
                                          "WHERE table_schema = 'public'"));
}

QVariantMap accountRow(const QString &no, const QString &name)
{
    return {{QStringLiteral("CompanyCode"), QLatin1String(AccountRegistry::DefaultCompanyCode)},
            {QStringLiteral("AccountNo"), no},
            {QStringLiteral("AccountName"), name},
            {QStringLiteral("CompanyName"), name}};
}

class PgAccounts : public ServerTest
{
protected:
    QString folder(const QString &no) const { return QDir(server.dataDir()).filePath(no); }
    QString connInfoFile(const QString &no) const
    {
        return folder(no) + QLatin1Char('/') + QLatin1String(AccountRegistry::PgConnInfoFileName);
    }
    // The files of a set's folder, sorted; the lock file a serving process keeps is left out.
    QStringList filesOf(const QString &no) const
    {
        QStringList files = QDir(folder(no)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        files.removeAll(QLatin1String(server::SetLock::FileName));
        return files;
    }
    bool listed(const QString &no) const
    {
        sql::Database registry(QDir(server.dataDir()).filePath("registry.db").toStdString(),
                               sql::Database::Mode::ReadOnly);
        auto row = registry.prepare("SELECT count(*) FROM Accounts WHERE AccountNo = ?1");
        row.bind(1, no.toStdString());
        return row.step() && row.columnInt(0) == 1;
    }
    int createOnPostgres(const QString &no, const QString &connInfo, QString *output,
                         const QStringList &extra = {})
    {
        return server.runTool(QStringList{QStringLiteral("--create-account"), no,
                                          QStringLiteral("--engine"), QStringLiteral("postgresql"),
                                          QStringLiteral("--pg"), connInfo} +
                                  extra + QStringList{QStringLiteral("分店")},
                              output);
    }
};

TEST_F(PgAccounts, ADemoSetIsCreatedInPostgresWithItsSecretOnlyInItsFolder)
{
    const QString target = freshDatabase();
    QString output;
    ASSERT_EQ(createOnPostgres(QStringLiteral("002"), target, &output, {QStringLiteral("--demo")}),
              0)
        << output.toStdString();
    EXPECT_FALSE(output.contains(QLatin1String(secret))) << output.toStdString();

    // The folder holds the connection string alone: the file it was built in is gone.
    EXPECT_EQ(filesOf(QStringLiteral("002")).join(QLatin1Char(' ')).toStdString(),
              AccountRegistry::PgConnInfoFileName);
    QFile file(connInfoFile(QStringLiteral("002")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), target.toUtf8() + '\n');
    struct stat info
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(file.fileName()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    // No other byte of the data folder (registry.db, its log, the server's log) holds it.
    for (QDirIterator it(server.dataDir(), QDir::Files | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        if (path == file.fileName())
            continue;
        QFile other(path);
        ASSERT_TRUE(other.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_FALSE(other.readAll().contains(secret)) << path.toStdString();
    }

    // The running server lists it beside the file set, and the registry tells the two apart.
    auto manager = connect();
    const wire::OpenResult list = manager->open(listProvider);
    ASSERT_EQ(list.rows.size(), 2);
    EXPECT_EQ(list.rows[1][1], QVariant(QStringLiteral("002")));
    AccountRegistry registry(server.dataDir());
    EXPECT_TRUE(registry.isPostgres(QStringLiteral("002")));
    EXPECT_FALSE(registry.isPostgres(QStringLiteral("001")));
    QString reason;
    const auto set = registry.acquire(QStringLiteral("002"), &reason);
    ASSERT_TRUE(set) << reason.toStdString();
    EXPECT_EQ(set->pgConnInfo, target.toStdString());
    registry.release(set);
    const auto fileSet = registry.acquire(QStringLiteral("001"), &reason);
    ASSERT_TRUE(fileSet) << reason.toStdString();
    EXPECT_TRUE(fileSet->pgConnInfo.empty());
    registry.release(fileSet);

    // The demo data are in PostgreSQL as a file set made the same way holds them.
    ASSERT_EQ(server.runTool({QStringLiteral("--create-account"), QStringLiteral("008"),
                              QStringLiteral("--demo"), QStringLiteral("分店")}),
              0);
    {
        sql::Database demo(QDir(folder(QStringLiteral("008"))).filePath("VzData.db").toStdString(),
                           sql::Database::Mode::ReadOnly);
        for (const char *table : {"HP", "KH", "XSKDZB", "XSKD", "AppUser"}) {
            auto count = demo.prepare(std::string("SELECT count(*) FROM ") + table);
            ASSERT_TRUE(count.step());
            EXPECT_GT(count.columnInt(0), 0) << table;
            EXPECT_EQ(onlyValue(target, std::string("SELECT count(*) FROM ") + table),
                      std::to_string(count.columnInt(0)))
                << table;
        }
        auto version = demo.prepare("PRAGMA user_version");
        ASSERT_TRUE(version.step());
        EXPECT_EQ(onlyValue(target, "SELECT version FROM vz_schema"),
                  std::to_string(version.columnInt(0)));
    }
}

struct BadCreation
{
    const char *name;
    // Prepares the target and gives its connection string.
    QString (*target)();
    const char *why; // in what vzserver says
};

class PgAccountsRefused
    : public PgAccounts
    , public ::testing::WithParamInterface<BadCreation>
{
};

TEST_P(PgAccountsRefused, AFailedCreationLeavesNeitherFolderNorRow)
{
    const BadCreation &bad = GetParam();
    const QString target = bad.target();
    QString output;
    EXPECT_EQ(createOnPostgres(QStringLiteral("003"), target, &output), 1);
    EXPECT_TRUE(output.contains(QLatin1String(bad.why))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("was not created"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QLatin1String(secret))) << output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder(QStringLiteral("003"))));
    EXPECT_FALSE(listed(QStringLiteral("003")));
    // The server goes on as before.
    EXPECT_EQ(connect()->open(listProvider).rows.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, PgAccountsRefused,
    ::testing::Values(
        BadCreation{"NoServerThere",
                    [] {
                        return QStringLiteral("host=127.0.0.1 port=1 dbname=shop connect_timeout=5 "
                                              "password=") +
                               QLatin1String(secret);
                    },
                    "cannot connect to PostgreSQL"},
        BadCreation{"UnknownDatabase",
                    [] {
                        return QString::fromStdString(
                                   testsupport::PgCluster::shared().connectionString(
                                       "no_such_database")) +
                               QStringLiteral(" password=") + QLatin1String(secret);
                    },
                    "no_such_database"},
        BadCreation{"DatabaseThatHoldsTables",
                    [] {
                        const QString target = freshDatabase();
                        pg::Connection(target.toStdString()).exec("CREATE TABLE hp (bh text)");
                        return target;
                    },
                    "already holds tables"},
        BadCreation{"UnreadableConnectionString",
                    [] { return QStringLiteral("dbname='never closed"); },
                    "connection string is not valid"},
        BadCreation{"TwoLines", [] { return freshDatabase() + QStringLiteral("\nuser=other"); },
                    "must be one line"}),
    [](const ::testing::TestParamInfo<BadCreation> &info) { return std::string(info.param.name); });

TEST_F(PgAccounts, TheCommandLineSaysWhatIsWrongWithItsOptions)
{
    const QString target = freshDatabase();
    const struct
    {
        QStringList arguments;
        int exitCode;
        const char *why;
    } cases[] = {
        {{"--create-account", "004", "--engine", "postgresql", "名"}, 2, "go together"},
        {{"--create-account", "004", "--pg", target, "名"}, 2, "go together"},
        {{"--create-account", "004", "--engine", "oracle", "名"}, 2, "sqlite or postgresql"},
        {{"--engine", "postgresql", "--pg", target}, 2, "go with --create-account"},
        {{"--switch"}, 2, "goes with --migrate-account"},
        // An existing code is refused, and the set of that code is left as it was.
        {{"--create-account", "001", "--engine", "postgresql", "--pg", target, "名"},
         1,
         "already exists"},
    };
    for (const auto &c : cases) {
        QString output;
        EXPECT_EQ(server.runTool(c.arguments, &output), c.exitCode) << output.toStdString();
        EXPECT_TRUE(output.contains(QLatin1String(c.why))) << output.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder(QStringLiteral("004"))));
    EXPECT_EQ(filesOf(QStringLiteral("001")).first(), QStringLiteral("VzData.db"));
    EXPECT_FALSE(AccountRegistry(server.dataDir()).isPostgres(QStringLiteral("001")));
    EXPECT_EQ(tablesIn(target), 0);
}

TEST_F(PgAccounts, AFolderWithoutARowIsReusedOnlyWhenAnInterruptedCreationLeftIt)
{
    const auto put = [&](const QString &no, const QString &file) {
        ASSERT_TRUE(QDir().mkpath(folder(no)));
        QFile junk(folder(no) + QLatin1Char('/') + file);
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("half a build");
    };
    put(QStringLiteral("006"), QStringLiteral("VzData.db.for-postgresql"));
    put(QStringLiteral("006"), QStringLiteral("VzData.db.for-postgresql.building-99-1-journal"));
    put(QStringLiteral("007"), QStringLiteral("VzData.db.for-postgresql"));
    put(QStringLiteral("007"), QStringLiteral("Notes.txt"));

    QString output;
    EXPECT_EQ(createOnPostgres(QStringLiteral("006"), freshDatabase(), &output), 0)
        << output.toStdString();
    EXPECT_EQ(filesOf(QStringLiteral("006")).join(QLatin1Char(' ')).toStdString(),
              AccountRegistry::PgConnInfoFileName);

    const QString target = freshDatabase();
    EXPECT_EQ(createOnPostgres(QStringLiteral("007"), target, &output), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("already exists: move it away first")))
        << output.toStdString();
    EXPECT_EQ(filesOf(QStringLiteral("007")).join(QLatin1Char(' ')).toStdString(),
              "Notes.txt VzData.db.for-postgresql");
    EXPECT_FALSE(listed(QStringLiteral("007")));
    EXPECT_EQ(tablesIn(target), 0);

    // Another process still building there: left alone.
    put(QStringLiteral("008"), QStringLiteral("VzData.db.for-postgresql"));
    const auto building = server::SetLock::tryLock(folder(QStringLiteral("008")),
                                                   server::SetLock::Kind::Exclusive, nullptr);
    ASSERT_TRUE(building);
    EXPECT_EQ(createOnPostgres(QStringLiteral("008"), target, &output), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("already exists: move it away first")))
        << output.toStdString();
    EXPECT_EQ(filesOf(QStringLiteral("008")).join(QLatin1Char(' ')).toStdString(),
              "VzData.db.for-postgresql");
}

TEST_F(PgAccounts, DeletingAPostgresSetRemovesItsFolderAndLeavesTheDatabase)
{
    const QString target = freshDatabase();
    QString output;
    ASSERT_EQ(createOnPostgres(QStringLiteral("002"), target, &output), 0) << output.toStdString();
    const long long tables = tablesIn(target);
    ASSERT_GT(tables, 10);

    auto manager = connect();
    const wire::ApplyResult gone = manager->apply(
        listProvider, {}, 0, {deleted(accountRow(QStringLiteral("002"), QStringLiteral("分店")))});
    ASSERT_TRUE(gone.errors.isEmpty()) << gone.errors.first().message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder(QStringLiteral("002"))));
    EXPECT_FALSE(listed(QStringLiteral("002")));
    EXPECT_EQ(tablesIn(target), tables);

    // The log says where the database that stays is, without the password.
    QFile log(QDir(server.dataDir()).filePath(QStringLiteral("vzserver.log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    const QString dbname =
        target.section(QStringLiteral("dbname="), 1).section(QLatin1Char(' '), 0, 0);
    ASSERT_FALSE(dbname.isEmpty());
    EXPECT_TRUE(text.contains(QStringLiteral("account set 002 deleted: its PostgreSQL database")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("dbname=") + dbname)) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1String(secret)));
}

TEST_F(PgAccounts, ARowAddedForAPostgresFolderTakesItOverAsItIs)
{
    // Another data folder's set, its folder copied here (a second server in front of the same
    // database), then named in the list of account sets.
    const QString target = freshDatabase();
    vztest::ServerProcess other;
    QString output;
    ASSERT_EQ(other.runTool({QStringLiteral("--create-account"), QStringLiteral("002"),
                             QStringLiteral("--engine"), QStringLiteral("postgresql"),
                             QStringLiteral("--pg"), target, QStringLiteral("分店")},
                            &output),
              0)
        << output.toStdString();
    ASSERT_TRUE(QDir().mkpath(folder(QStringLiteral("002"))));
    ASSERT_TRUE(QFile::copy(QDir(other.dataDir()).filePath(QStringLiteral("002/")) +
                                QLatin1String(AccountRegistry::PgConnInfoFileName),
                            connInfoFile(QStringLiteral("002"))));

    auto manager = connect();
    const wire::ApplyResult added = manager->apply(
        listProvider, {}, 0, {inserted(accountRow(QStringLiteral("002"), QStringLiteral("分店")))});
    ASSERT_TRUE(added.errors.isEmpty()) << added.errors.first().message.toStdString();
    EXPECT_EQ(filesOf(QStringLiteral("002")).join(QLatin1Char(' ')).toStdString(),
              AccountRegistry::PgConnInfoFileName);
    EXPECT_TRUE(AccountRegistry(server.dataDir()).isPostgres(QStringLiteral("002")));
}

TEST_F(PgAccounts, SwitchingMovesAFileSetOnceNobodyWorksInItAndKeepsTheFile)
{
    execOnFile("CREATE TABLE Marker (N int); INSERT INTO Marker VALUES (42)");
    const QString target = freshDatabase();
    const QStringList switchTo{QStringLiteral("--migrate-account"), QStringLiteral("001"),
                               QStringLiteral("--to-pg"), target, QStringLiteral("--switch")};

    // Refused while the server serves the set; nothing was copied.
    auto user = connect();
    QString output;
    EXPECT_EQ(server.runTool(switchTo, &output), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("is serving it"))) << output.toStdString();
    EXPECT_EQ(tablesIn(target), 0);
    EXPECT_EQ(filesOf(QStringLiteral("001")).first(), QStringLiteral("VzData.db"));

    // Once its user has left, the switch goes through (the server ends a session when it sees
    // the connection close: a moment later).
    user.reset();
    int exitCode = -1;
    QElapsedTimer waited;
    waited.start();
    while ((exitCode = server.runTool(switchTo, &output)) != 0 && waited.elapsed() < 15000 &&
           output.contains(QStringLiteral("is serving it")))
        QThread::msleep(100);
    ASSERT_EQ(exitCode, 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("now lives in PostgreSQL"))) << output.toStdString();
    EXPECT_EQ(onlyValue(target, "SELECT n FROM marker"), "42");

    const QStringList files = filesOf(QStringLiteral("001"));
    ASSERT_EQ(files.size(), 2) << files.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(files[0], QLatin1String(AccountRegistry::PgConnInfoFileName));
    EXPECT_TRUE(files[1].startsWith(QStringLiteral("VzData.db.migrated-")))
        << files[1].toStdString();
    struct stat info
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(connInfoFile(QStringLiteral("001"))).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    {
        sql::Database kept(QDir(folder(QStringLiteral("001"))).filePath(files[1]).toStdString(),
                           sql::Database::Mode::ReadOnly);
        auto marker = kept.prepare("SELECT N FROM Marker");
        ASSERT_TRUE(marker.step());
        EXPECT_EQ(marker.columnInt(0), 42);
    }
    AccountRegistry registry(server.dataDir());
    EXPECT_TRUE(registry.isPostgres(QStringLiteral("001")));

    // A second switch has nothing to do.
    EXPECT_EQ(server.runTool(switchTo, &output), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("already lives in PostgreSQL")))
        << output.toStdString();
}

TEST_F(PgAccounts, ASwitchAfterTheServerDiedKeepsWhatOnlyItsLogHeld)
{
    auto user = connect();
    user->execute(QStringLiteral("create table Marker (N int)"));
    user->execute(QStringLiteral("insert into Marker values (7)"));
    server.kill(); // its lock goes with it; the rows stay in the write-ahead log
    ASSERT_TRUE(
        QFileInfo::exists(folder(QStringLiteral("001")) + QStringLiteral("/VzData.db-wal")));

    const QString target = freshDatabase();
    QString output;
    ASSERT_EQ(server.runTool({QStringLiteral("--migrate-account"), QStringLiteral("001"),
                              QStringLiteral("--to-pg"), target, QStringLiteral("--switch")},
                             &output),
              0)
        << output.toStdString();
    EXPECT_EQ(onlyValue(target, "SELECT n FROM marker"), "7");
    const QStringList files = filesOf(QStringLiteral("001"));
    ASSERT_EQ(files.size(), 2) << files.join(QLatin1Char(' ')).toStdString();
    sql::Database kept(QDir(folder(QStringLiteral("001"))).filePath(files[1]).toStdString(),
                       sql::Database::Mode::ReadOnly);
    auto marker = kept.prepare("SELECT N FROM Marker");
    ASSERT_TRUE(marker.step());
    EXPECT_EQ(marker.columnInt(0), 7);
}

TEST_F(PgAccounts, ASetBeingSwitchedIsNotOpened)
{
    auto alone = server::SetLock::tryLock(folder(QStringLiteral("001")),
                                          server::SetLock::Kind::Exclusive, nullptr);
    ASSERT_TRUE(alone);
    auto client = std::make_unique<wire::Client>();
    client->connect(server.host(), server.port());
    client->hello(wire::CentralModule);
    QString no = QStringLiteral("001");
    QString message;
    EXPECT_TRUE(client->connectAct(0, no, &message));
    EXPECT_TRUE(message.contains(QStringLiteral("moving it into PostgreSQL")))
        << message.toStdString();

    alone.reset();
    EXPECT_FALSE(client->connectAct(0, no, &message)) << message.toStdString();
}

TEST_F(PgAccounts, BackupsAndCompactionOfAPostgresSetAreRefused)
{
    QString output;
    ASSERT_EQ(createOnPostgres(QStringLiteral("002"), freshDatabase(), &output), 0)
        << output.toStdString();

    // Through the server: the registry's own refusals.
    auto manager = connect();
    const struct
    {
        const char *method;
        QVariantList args;
    } calls[] = {
        {"ListBackups", {QStringLiteral("002")}},
        {"RestoreBackup",
         {QStringLiteral("002"), QStringLiteral("VzData-20260101-000000-000.db"),
          QStringLiteral("005"), QStringLiteral("恢复")}},
    };
    for (const auto &call : calls) {
        try {
            manager->call(QLatin1String(call.method), call.args);
            ADD_FAILURE() << call.method << " was not refused";
        } catch (const wire::Error &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("lives in PostgreSQL: it has no "
                                                            "backup copies here")))
                << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QStringLiteral("pg_restore")));
        }
    }
    EXPECT_FALSE(QFileInfo::exists(folder(QStringLiteral("005"))));

    // What the session asks before a backup or compaction of the set it holds.
    AccountRegistry registry(server.dataDir());
    QString reason;
    const auto set = registry.acquire(QStringLiteral("002"), &reason);
    ASSERT_TRUE(set) << reason.toStdString();
    const auto fileSet = registry.acquire(QStringLiteral("001"), &reason);
    ASSERT_TRUE(fileSet) << reason.toStdString();
    const struct
    {
        AccountRegistry::FileWork work;
        const char *advice;
    } works[] = {
        {AccountRegistry::FileWork::Backup, "back it up with pg_dump"},
        {AccountRegistry::FileWork::Restore, "restored with pg_restore"},
        {AccountRegistry::FileWork::Compact, "autovacuum"},
    };
    for (const auto &w : works) {
        EXPECT_NO_THROW(AccountRegistry::requireFileDatabase(*fileSet, w.work));
        EXPECT_NO_THROW(registry.requireFileDatabase(QStringLiteral("001"), w.work));
        for (const bool byName : {false, true}) {
            try {
                if (byName)
                    registry.requireFileDatabase(QStringLiteral("002"), w.work);
                else
                    AccountRegistry::requireFileDatabase(*set, w.work);
                ADD_FAILURE() << w.advice << ": not refused";
            } catch (const server::RequestError &e) {
                EXPECT_TRUE(e.message().startsWith(
                    QStringLiteral("the account set \"002\" lives in PostgreSQL: ")))
                    << e.message().toStdString();
                EXPECT_TRUE(e.message().contains(QLatin1String(w.advice)))
                    << e.message().toStdString();
            }
        }
    }
    registry.release(set);
    registry.release(fileSet);
}

} // namespace
