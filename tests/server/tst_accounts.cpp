// Sessions and account sets through a real vzserver: ConnectAct, the custom methods, the
// account-set list with its folders, backups and the registry's scratch provider.
#include "serverfixture.h"

#include "sql/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

using namespace vztest;

namespace {

const QString listProvider = QStringLiteral("dspAccounts");

QVariantMap accountRow(const QString &no, const QString &name)
{
    return {{QStringLiteral("CompanyCode"), QStringLiteral("BC50A50F-C431-43F1-8E11-23AAE640437E")},
            {QStringLiteral("AccountNo"), no},
            {QStringLiteral("AccountName"), name},
            {QStringLiteral("CompanyName"), name}};
}

class Accounts : public ServerTest
{
protected:
    QString folder(const QString &no) const { return QDir(server.dataDir()).filePath(no); }
    QString database(const QString &no) const { return folder(no) + QStringLiteral("/VzData.db"); }
};

} // namespace

TEST_F(Accounts, ConnectActRefusesAnUnknownAccountSetAndOpensAKnownOne)
{
    auto client = connect(QString());
    // Nothing of an account set is reachable before it is chosen.
    EXPECT_THROW(client->execute(QStringLiteral("create table T (ID int)")), wire::Error);

    QString no = QStringLiteral("999");
    QString message;
    EXPECT_TRUE(client->connectAct(0, no, &message));
    EXPECT_TRUE(message.contains(QStringLiteral("999"))) << message.toStdString();

    // The raw call: five arguments, the code by reference, the refusal as the result.
    const wire::CallResult result = client->call(
        QStringLiteral("ConnectAct"), {0, QString(), QStringLiteral("001"), QString(), QString()});
    EXPECT_EQ(result.result, QVariant(false));
    ASSERT_EQ(result.args.size(), 5);
    EXPECT_EQ(result.args[2], QVariant(QStringLiteral("001")));
    client->login(QStringLiteral("SYS"), QString());
    EXPECT_EQ(client->execute(QStringLiteral("create table T (ID int)")), 0);

    // The server database kind sends no code: the first account set serves.
    auto tsql = connect(QString());
    QString empty;
    EXPECT_FALSE(tsql->connectAct(1, empty));
    EXPECT_EQ(empty, QStringLiteral("001"));
}

TEST_F(Accounts, AnAccountSetWhoseDatabaseIsMissingIsRefused)
{
    ASSERT_TRUE(server.createAccount(QStringLiteral("002")));
    ASSERT_TRUE(QFile::remove(database(QStringLiteral("002"))));
    auto client = connect(QString());
    QString no = QStringLiteral("002");
    QString message;
    EXPECT_TRUE(client->connectAct(0, no, &message));
    EXPECT_TRUE(message.contains(QStringLiteral("missing"))) << message.toStdString();
}

TEST_F(Accounts, ServerDateTableNamesAndCompaction)
{
    auto client = connect();
    const QVariant date = client->call(QStringLiteral("GetServerDate")).result;
    EXPECT_EQ(date.typeId(), QMetaType::QString);
    EXPECT_EQ(date.toString(), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    const QVariant now = client->call(QStringLiteral("GetServerDateTime")).result;
    ASSERT_EQ(now.typeId(), QMetaType::QDateTime);
    EXPECT_LT(qAbs(now.toDateTime().secsTo(QDateTime::currentDateTime())), 5);

    client->execute(QStringLiteral("create table HP (ID integer primary key, PM varchar(20))"));
    client->execute(QStringLiteral("create table CK (ID integer primary key)"));
    const QStringList names =
        client->call(QStringLiteral("GetTableNames")).result.toString().split(QLatin1Char('|'));
    EXPECT_TRUE(names.contains(QStringLiteral("HP")));
    EXPECT_TRUE(names.contains(QStringLiteral("CK")));

    client->execute(QStringLiteral("insert into HP values (1, 'a'), (2, 'b')"));
    const wire::CallResult compacted =
        client->call(QStringLiteral("CompactDatabase"), {QString(), QString()});
    EXPECT_EQ(compacted.result.toInt(), 1);
    EXPECT_EQ(scalar(*client, QStringLiteral("select count(*) from HP")).toInt(), 2);

    try {
        client->call(QStringLiteral("NoSuchMethod"));
        FAIL();
    } catch (const wire::Error &e) {
        EXPECT_EQ(e.code(), wire::code::Method);
        EXPECT_TRUE(e.message().contains(QStringLiteral("NoSuchMethod")));
    }
}

TEST_F(Accounts, BackupDataMakesConsistentCopiesAndKeepsTheLastTen)
{
    auto client = connect();
    client->execute(QStringLiteral("create table HP (ID integer primary key, PM varchar(20))"));
    client->execute(QStringLiteral("insert into HP values (1, 'a'), (2, 'b')"));
    const wire::CallResult first =
        client->call(QStringLiteral("BackupData"), {QStringLiteral("001")});
    const QString copy = QDir(server.dataDir()).filePath(first.result.toString());
    ASSERT_TRUE(QFileInfo::exists(copy)) << copy.toStdString();
    EXPECT_TRUE(copy.contains(QStringLiteral("backup/001/VzData-")));
    {
        sql::Database db(copy.toStdString(), sql::Database::Mode::ReadOnly);
        auto stmt = db.prepare("select count(*) from HP");
        ASSERT_TRUE(stmt.step());
        EXPECT_EQ(stmt.columnInt(0), 2);
    }
    for (int i = 0; i < 11; ++i)
        client->call(QStringLiteral("BackupData"), {QStringLiteral("001")});
    const QStringList copies =
        QDir(QFileInfo(copy).path()).entryList({QStringLiteral("*")}, QDir::Files);
    EXPECT_EQ(copies.size(), 10) << copies.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(QFileInfo::exists(copy)) << copies.join(QLatin1Char(' ')).toStdString() << " / "
                                          << copy.toStdString(); // the oldest went first
}

TEST_F(Accounts, TheAccountSetListCreatesRenamesAndDeletesAccountSets)
{
    auto manager = connect(); // the administrator, logged in to an account set
    wire::OpenResult list = manager->open(listProvider);
    ASSERT_EQ(list.rows.size(), 1);
    ASSERT_EQ(list.fields.size(), 4);
    EXPECT_EQ(list.fields[1].name, QStringLiteral("AccountNo"));
    EXPECT_TRUE(list.fields[1].key);
    EXPECT_EQ(list.rows[0][1], QVariant(QStringLiteral("001")));

    // Create: the row brings its folder and database.
    wire::ApplyResult created = manager->apply(
        listProvider, {}, 0, {inserted(accountRow(QStringLiteral("002"), QStringLiteral("分店")))});
    ASSERT_TRUE(created.errors.isEmpty()) << created.errors.first().message.toStdString();
    EXPECT_TRUE(QFileInfo::exists(database(QStringLiteral("002"))));
    auto user = connect(QStringLiteral("002"));
    user->execute(QStringLiteral("create table Notes (ID int)"));

    // Creating it again, or with a code that cannot name a folder, is refused.
    wire::ApplyResult again =
        manager->apply(listProvider, {}, -1,
                       {inserted(accountRow(QStringLiteral("002"), QStringLiteral("x"))),
                        inserted(accountRow(QStringLiteral("../etc"), QStringLiteral("x")))});
    ASSERT_EQ(again.errors.size(), 2);
    EXPECT_EQ(again.errors[0].code, wire::code::Unique);
    EXPECT_EQ(again.errors[1].code, wire::code::InvalidValue);

    // Rename: an update of the name.
    const QVariantMap asRead = accountRow(QStringLiteral("002"), QStringLiteral("分店"));
    ASSERT_TRUE(manager
                    ->apply(listProvider, {}, 0,
                            {modified(asRead, {{QStringLiteral("AccountName"),
                                                QStringLiteral("二号分店")}})})
                    .errors.isEmpty());
    list = manager->open(listProvider);
    ASSERT_EQ(list.rows.size(), 2);
    EXPECT_EQ(list.rows[1][2], QVariant(QStringLiteral("二号分店")));

    // Delete: refused while someone works in it, then the folder goes with all its files.
    const wire::ApplyResult busy = manager->apply(listProvider, {}, 0, {deleted(asRead)});
    ASSERT_EQ(busy.errors.size(), 1);
    EXPECT_EQ(busy.errors[0].code, wire::code::Refused);
    EXPECT_TRUE(QFileInfo::exists(database(QStringLiteral("002"))));
    user.reset();
    QFile extra(folder(QStringLiteral("002")) + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(extra.open(QIODevice::WriteOnly));
    extra.close();
    // The server notices the closed connection asynchronously; retry briefly.
    wire::ApplyResult removed;
    for (int attempt = 0; attempt < 50; ++attempt) {
        removed = manager->apply(listProvider, {}, 0, {deleted(asRead)});
        if (removed.errors.isEmpty())
            break;
        QThread::msleep(50);
    }
    ASSERT_TRUE(removed.errors.isEmpty()) << removed.errors.first().message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder(QStringLiteral("002"))));
    EXPECT_EQ(manager->open(listProvider).rows.size(), 1);
}

TEST_F(Accounts, AnExistingDatabaseFileIsKeptWhenItsAccountSetIsCreated)
{
    QDir().mkpath(folder(QStringLiteral("003")));
    {
        sql::Database db(database(QStringLiteral("003")).toStdString());
        db.exec("create table Kept (ID int); insert into Kept values (7)");
    }
    auto manager = connect();
    ASSERT_TRUE(manager
                    ->apply(listProvider, {}, 0,
                            {inserted(accountRow(QStringLiteral("003"), QStringLiteral("旧")))})
                    .errors.isEmpty());
    auto user = connect(QStringLiteral("003"));
    EXPECT_EQ(scalar(*user, QStringLiteral("select ID from Kept")).toInt(), 7);
}

TEST_F(Accounts, ClientVersionsAreReadThroughTheRegistrysScratchProvider)
{
    auto client = connect();
    const QString text = QStringLiteral("select * from VersionInfor");
    const wire::OpenResult empty = client->open(QStringLiteral("pAccountTemp"), text);
    EXPECT_EQ(empty.fields.size(), 8);
    const QByteArray program(100000, 'x');
    const wire::ApplyResult stored =
        client->apply(QStringLiteral("pAccountTemp"), text, 0,
                      {inserted({{QStringLiteral("sName"), QStringLiteral("VzClientV9.95")},
                                 {QStringLiteral("sFileName"), QStringLiteral("VzClient.exe")},
                                 {QStringLiteral("sVersion"), QStringLiteral("V9.96")},
                                 {QStringLiteral("pict"), program}})});
    ASSERT_TRUE(stored.errors.isEmpty()) << stored.errors.first().message.toStdString();
    const wire::OpenResult newer = client->open(
        QStringLiteral("pAccountTemp"),
        QStringLiteral("select sName from VersionInfor where sName='VzClientV9.95' and sVersion "
                       ">'V9.95'"));
    EXPECT_EQ(newer.rows.size(), 1);
    const QList<wire::Row> file = rowsOf(
        *client, QStringLiteral("select pict from VersionInfor where sFileName = 'VzClient.exe'"),
        QStringLiteral("pAccountTemp"));
    ASSERT_EQ(file.size(), 1);
    EXPECT_EQ(file[0][0].toByteArray(), program);
    EXPECT_EQ(
        client->execute(QStringLiteral("delete from VersionInfor"), QStringLiteral("pAccountTemp")),
        1);
}

TEST_F(Accounts, TheCommandLineCreatesAnAccountSetOnlyOnce)
{
    QString output;
    EXPECT_EQ(server.runTool({QStringLiteral("--create-account"), QStringLiteral("004"),
                              QStringLiteral("四号"), QStringLiteral("--demo")},
                             &output),
              0)
        << output.toStdString();
    EXPECT_TRUE(QFileInfo::exists(database(QStringLiteral("004"))));
    EXPECT_EQ(server.runTool({QStringLiteral("--create-account"), QStringLiteral("004"),
                              QStringLiteral("again")},
                             &output),
              1);
    EXPECT_TRUE(output.contains(QStringLiteral("already exists"))) << output.toStdString();
    auto client = connect(QStringLiteral("004"));
    const wire::OpenResult list = client->open(listProvider);
    EXPECT_EQ(list.rows.size(), 2);
}

TEST_F(Accounts, ANewCodeMovesTheAccountSetsFolder)
{
    auto manager = connect();
    const QVariantMap row = accountRow(QStringLiteral("005"), QStringLiteral("五号"));
    ASSERT_TRUE(manager->apply(listProvider, {}, 0, {inserted(row)}).errors.isEmpty());
    {
        auto user = connect(QStringLiteral("005"));
        user->execute(QStringLiteral("create table Marker (ID int)"));
        // Not while it is in use.
        const wire::ApplyResult busy =
            manager->apply(listProvider, {}, 0,
                           {modified(row, {{QStringLiteral("AccountNo"), QStringLiteral("006")}})});
        ASSERT_EQ(busy.errors.size(), 1);
        EXPECT_EQ(busy.errors[0].code, wire::code::Refused);
    }
    wire::ApplyResult moved;
    for (int attempt = 0; attempt < 50; ++attempt) { // the server notices the closed session
        moved =
            manager->apply(listProvider, {}, 0,
                           {modified(row, {{QStringLiteral("AccountNo"), QStringLiteral("006")}})});
        if (moved.errors.isEmpty())
            break;
        QThread::msleep(50);
    }
    ASSERT_TRUE(moved.errors.isEmpty()) << moved.errors.first().message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder(QStringLiteral("005"))));
    auto user = connect(QStringLiteral("006"));
    EXPECT_EQ(user->execute(QStringLiteral("insert into Marker values (1)")), 1);
}

namespace {

// The error code a call answers with; empty when it succeeds.
QString callError(wire::Client &client, const QString &method, const QVariantList &args)
{
    try {
        client.call(method, args);
        return {};
    } catch (const wire::Error &e) {
        return e.code().isEmpty() ? QStringLiteral("?") : e.code();
    }
}

} // namespace

TEST_F(Accounts, ListBackupsGivesNameTimeAndSizeNewestFirst)
{
    auto client = connect();
    EXPECT_TRUE(client->call(QStringLiteral("ListBackups"), {QStringLiteral("001")})
                    .result.toList()
                    .isEmpty());
    QStringList made;
    for (int i = 0; i < 3; ++i)
        made.prepend(QFileInfo(client->call(QStringLiteral("BackupData"), {QStringLiteral("001")})
                                   .result.toString())
                         .fileName());
    const QVariantList list =
        client->call(QStringLiteral("ListBackups"), {QStringLiteral("001")}).result.toList();
    ASSERT_EQ(list.size(), 3);
    QDateTime previous;
    for (int i = 0; i < 3; ++i) {
        const QVariantList row = list[i].toList();
        ASSERT_EQ(row.size(), 3);
        EXPECT_EQ(row[0].toString(), made[i]);
        const QString path =
            QDir(server.dataDir()).filePath(QStringLiteral("backup/001/") + made[i]);
        EXPECT_EQ(row[2].toLongLong(), QFileInfo(path).size());
        const QDateTime time = row[1].toDateTime();
        EXPECT_LT(qAbs(time.secsTo(QDateTime::currentDateTime())), 60);
        if (previous.isValid()) {
            EXPECT_LE(time, previous);
        }
        previous = time;
    }
    EXPECT_EQ(callError(*client, QStringLiteral("ListBackups"), {QStringLiteral("999")}),
              wire::code::Method);
}

TEST_F(Accounts, RestoreBackupMakesANewAccountSetFromTheCopy)
{
    auto client = connect();
    client->execute(QStringLiteral("create table HP (ID integer primary key, PM varchar(20))"));
    client->execute(QStringLiteral("insert into HP values (1, '笔'), (2, 'O''Neil')"));
    const QString file =
        QFileInfo(
            client->call(QStringLiteral("BackupData"), {QStringLiteral("001")}).result.toString())
            .fileName();
    client->execute(QStringLiteral("delete from HP")); // what came after the backup

    const wire::CallResult restored =
        client->call(QStringLiteral("RestoreBackup"),
                     {QStringLiteral("001"), file, QStringLiteral("R01"), QStringLiteral("恢复")});
    EXPECT_EQ(restored.result, QVariant(true));
    EXPECT_TRUE(QFileInfo::exists(database(QStringLiteral("R01"))));
    EXPECT_FALSE(QFileInfo::exists(database(QStringLiteral("R01")) + QStringLiteral(".part")));
    const wire::OpenResult list = client->open(listProvider);
    ASSERT_EQ(list.rows.size(), 2);
    EXPECT_EQ(list.rows[1][1], QVariant(QStringLiteral("R01")));
    EXPECT_EQ(list.rows[1][2], QVariant(QStringLiteral("恢复")));

    auto user = connect(QStringLiteral("R01"));
    EXPECT_EQ(scalar(*user, QStringLiteral("select count(*) from HP")).toInt(), 2);
    EXPECT_EQ(scalar(*user, QStringLiteral("select PM from HP where ID = 2")).toString(),
              QStringLiteral("O'Neil"));
    EXPECT_EQ(scalar(*client, QStringLiteral("select count(*) from HP")).toInt(), 0);
}

TEST_F(Accounts, RestoreBackupRefusesAndLeavesNothingBehind)
{
    auto client = connect();
    ASSERT_TRUE(server.createAccount(QStringLiteral("002")));
    const QString file =
        QFileInfo(
            client->call(QStringLiteral("BackupData"), {QStringLiteral("001")}).result.toString())
            .fileName();
    // A file outside the backup folder, reachable by a relative path.
    QFile outside(QDir(server.dataDir()).filePath(QStringLiteral("backup/stray.db")));
    ASSERT_TRUE(QFile::copy(QDir(server.dataDir()).filePath(QStringLiteral("backup/001/") + file),
                            outside.fileName()));
    ASSERT_TRUE(QDir().mkpath(folder(QStringLiteral("F01"))));

    const struct
    {
        const char *what;
        QString account, file, newNo, newName;
        QLatin1StringView code;
    } cases[] = {
        {"an existing code", "001", file, "002", "x", wire::code::Unique},
        {"the same code", "001", file, "001", "x", wire::code::Unique},
        {"a folder already there", "001", file, "F01", "x", wire::code::Unique},
        {"a path upwards", "001", "../stray.db", "N01", "x", wire::code::Method},
        {"a path into another set", "002", "../001/" + file, "N02", "x", wire::code::Method},
        {"an absolute path", "001", outside.fileName(), "N03", "x", wire::code::Method},
        {"no such backup", "001", "VzData-20000101-000000-000.db", "N04", "x", wire::code::Method},
        {"an unknown account set", "999", file, "N05", "x", wire::code::Method},
        {"a code naming a path", "001", file, "../N06", "x", wire::code::InvalidValue},
        {"an empty code", "001", file, "", "x", wire::code::InvalidValue},
        {"an empty name", "001", file, "N07", " ", wire::code::InvalidValue},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(callError(*client, QStringLiteral("RestoreBackup"),
                            {c.account, c.file, c.newNo, c.newName}),
                  c.code)
            << c.what;
        if (!c.newNo.isEmpty() && c.newNo != QLatin1String("002") &&
            c.newNo != QLatin1String("001") && c.newNo != QLatin1String("F01")) {
            EXPECT_FALSE(QFileInfo::exists(folder(c.newNo))) << c.what;
        }
    }
    EXPECT_EQ(client->open(listProvider).rows.size(), 2);
    EXPECT_TRUE(QDir(folder(QStringLiteral("F01"))).isEmpty());

    // A damaged copy is refused and leaves no account set.
    QFile copy(QDir(server.dataDir()).filePath(QStringLiteral("backup/001/") + file));
    ASSERT_TRUE(copy.open(QIODevice::ReadWrite));
    copy.seek(copy.size() / 2);
    copy.write(QByteArray(int(copy.size() / 2), '\xff'));
    copy.close();
    EXPECT_EQ(callError(*client, QStringLiteral("RestoreBackup"),
                        {QStringLiteral("001"), file, QStringLiteral("D01"), QStringLiteral("x")}),
              wire::code::Method);
    EXPECT_FALSE(QFileInfo::exists(folder(QStringLiteral("D01"))));
    EXPECT_EQ(client->open(listProvider).rows.size(), 2);
}
