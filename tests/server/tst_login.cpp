// Sessions that know their user, through a real vzserver: what a session may do before Login,
// the passwords that never leave the server, and the administrative rights it checks itself.
#include "serverfixture.h"

#include "auth/passwordhash.h"

#include <QFile>

using namespace vztest;

namespace {

class Login : public ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        // A clerk in group 9 (no grants yet) and an accountant with a password.
        execOnFile(
            "insert into AppUser (ID, uCode, uName, uPassword, gID, gName, YGID) values "
            "(7, 'CLERK', 'Clerk', '', '(9)', 'Shop', 0), "
            "(8, 'KJ01', 'Accountant', '" +
            auth::hashPassword(QStringLiteral("123"), auth::MinimumIterations).toStdString() +
            "', '(9)', 'Shop', 0)");
    }

    // A session on account set 001 that has not logged in.
    std::unique_ptr<wire::Client> anonymous()
    {
        return connect(QStringLiteral("001"), wire::CentralModule, QString());
    }

    std::unique_ptr<wire::Client> as(const QString &user, const QString &password = {})
    {
        auto client = anonymous();
        client->login(user, password);
        return client;
    }

    static QString codeOf(const std::function<void()> &request)
    {
        try {
            request();
        } catch (const wire::Error &e) {
            return e.code();
        }
        return QStringLiteral("(served)");
    }

    static QVariant value(wire::Client &client, const QString &text)
    {
        const QList<wire::Row> rows = rowsOf(client, text);
        return rows.isEmpty() || rows.first().isEmpty() ? QVariant() : rows.first().first();
    }

    QList<wire::Change> deleteAccountSet(const QString &no)
    {
        wire::Change change;
        change.kind = wire::ChangeKind::Delete;
        change.oldValues = {{QStringLiteral("AccountNo"), no}};
        return {change};
    }
};

} // namespace

TEST_F(Login, BeforeLoginOnlyTheStartUpsRequestsAreServed)
{
    execOnFile("create table HP (ID integer primary key, BH text)");
    ASSERT_TRUE(server.createAccount(QStringLiteral("002")));
    auto client = anonymous();

    // What the start-up needs.
    EXPECT_FALSE(rowsOf(*client, {}, QStringLiteral("dspAccounts")).isEmpty());
    EXPECT_TRUE(rowsOf(*client, QStringLiteral("select * from VersionInfor"),
                       QStringLiteral("pAccountTemp"))
                    .isEmpty());
    // The login box's list: codes and names, whatever was asked for.
    wire::OpenResult users =
        client->open(QStringLiteral("pAppUser"), QStringLiteral("select * from AppUser"));
    ASSERT_EQ(users.fields.size(), 2);
    EXPECT_EQ(users.fields[0].name, QStringLiteral("uCode"));
    EXPECT_EQ(users.fields[1].name, QStringLiteral("uName"));
    EXPECT_EQ(users.rows.size(), 3);

    // Everything else waits for a user.
    const struct
    {
        const char *what;
        std::function<void()> request;
    } refused[] = {
        {"read HP",
         [&] {
             rowsOf(*client, QStringLiteral("select * from HP"));
         }},
        {"open the table",
         [&] {
             client->open(QStringLiteral("pHP"));
         }},
        {"execute",
         [&] {
             client->execute(QStringLiteral("delete from HP"));
         }},
        {"server date",
         [&] {
             client->call(QStringLiteral("GetServerDate"));
         }},
        {"table names",
         [&] {
             client->call(QStringLiteral("GetTableNames"));
         }},
        {"delete an account set",
         [&] {
             client->apply(QStringLiteral("dspAccounts"), {}, 0,
                           deleteAccountSet(QStringLiteral("002")));
         }},
        {"write the registry",
         [&] {
             client->execute(QStringLiteral("delete from VersionInfor"),
                             QStringLiteral("pAccountTemp"));
         }},
        {"write the registry through open",
         [&] {
             client->open(QStringLiteral("pAccountTemp"),
                          QStringLiteral("delete from VersionInfor"));
         }},
        {"back up",
         [&] {
             client->call(QStringLiteral("BackupData"), {QString()});
         }},
        {"set a password",
         [&] {
             client->call(QStringLiteral("SetPassword"), {QStringLiteral("SYS"), QString("x")});
         }},
    };
    for (const auto &[what, request] : refused)
        EXPECT_EQ(codeOf(request), QStringLiteral("login")) << what;
    EXPECT_TRUE(QFile::exists(server.dataDir() + QStringLiteral("/002/VzData.db")));

    // Refused logins leave it so; a right one opens the books.
    EXPECT_EQ(codeOf([&] { client->login(QStringLiteral("nobody"), {}); }),
              QStringLiteral("unknownUser"));
    EXPECT_EQ(codeOf([&] { client->login(QStringLiteral("KJ01"), QStringLiteral("12")); }),
              QStringLiteral("wrongPassword"));
    EXPECT_EQ(codeOf([&] { client->login(QStringLiteral("KJ01"), {}); }),
              QStringLiteral("wrongPassword"));
    EXPECT_EQ(codeOf(refused[0].request), QStringLiteral("login"));
    const QVariantMap user = client->login(QStringLiteral("kj01"), QStringLiteral("123"));
    EXPECT_EQ(user.value(QStringLiteral("uCode")), QVariant(QStringLiteral("KJ01")));
    EXPECT_EQ(user.value(QStringLiteral("ID")).toLongLong(), 8);
    EXPECT_EQ(user.value(QStringLiteral("gID")), QVariant(QStringLiteral("(9)")));
    EXPECT_FALSE(user.contains(QStringLiteral("uPassword")));
    EXPECT_EQ(codeOf(refused[0].request), QStringLiteral("(served)"));

    // Another account set is another set of users: ConnectAct logs out.
    QString no = QStringLiteral("002");
    ASSERT_FALSE(client->connectAct(0, no));
    EXPECT_EQ(codeOf([&] { client->call(QStringLiteral("GetServerDate")); }),
              QStringLiteral("login"));
}

TEST_F(Login, TheStoredPasswordsNeverLeaveTheServer)
{
    auto client = as(QStringLiteral("SYS"));
    const QString stored = QStringLiteral("pbkdf2-sha256$");
    // Plain result columns show only whether a password is set; every other use reads NULL.
    const struct
    {
        const char *sql;
        QVariant kj01;
    } reads[] = {
        {"select uPassword from AppUser where ID = 8", QStringLiteral("******")},
        {"select p from (select uPassword as p, ID from AppUser) where ID = 8",
         QStringLiteral("******")},
        {"select * from AppUser where ID = 8", QVariant()}, // checked by column below
        {"select substr(uPassword, 1, 14) from AppUser where ID = 8", QVariant()},
        {"select uPassword || '' from AppUser where ID = 8", QVariant()},
        {"select count(*) from AppUser where uPassword like 'pbkdf2%'", qint64(0)},
        {"select uPassword from AppUser where ID = 8 and uPassword <> ''", QVariant()},
    };
    for (const auto &[sql, expected] : reads) {
        const QList<wire::Row> rows = rowsOf(*client, QString::fromLatin1(sql));
        for (const wire::Row &row : rows)
            for (const QVariant &cell : row)
                EXPECT_FALSE(cell.toString().contains(stored)) << sql;
        if (QByteArray(sql).startsWith("select * ")) {
            EXPECT_TRUE(rows.first().contains(QVariant(QStringLiteral("******")))) << sql;
            continue;
        }
        const QVariant got = rows.isEmpty() ? QVariant() : rows.first().first();
        EXPECT_EQ(got.toString(), expected.toString()) << sql;
    }
    EXPECT_EQ(value(*client, QStringLiteral("select uPassword from AppUser where ID = 7")),
              QVariant(QString()));

    // Not through a copy, nor through a transact query.
    client->execute(QStringLiteral("create table Leak (p text)"));
    client->execute(QStringLiteral("insert into Leak select uPassword from AppUser"));
    EXPECT_EQ(value(*client, QStringLiteral("select count(p) from Leak")), QVariant(qint64(0)));
    wire::TransactPart query;
    query.kind = wire::TransactPart::Kind::Query;
    query.text = QStringLiteral("select uPassword from AppUser where ID = 8");
    const wire::TransactResult result = client->transact({query});
    ASSERT_EQ(result.results.size(), 1);
    EXPECT_FALSE(result.results.first().first().toList().first().toString().contains(stored));

    // Written only through the methods: a statement is refused, a change log's value ignored.
    EXPECT_EQ(codeOf([&] {
                  client->execute(QStringLiteral("update AppUser set uPassword = '' where ID = 8"));
              }),
              QStringLiteral("denied"));
    wire::Change change;
    change.kind = wire::ChangeKind::Modify;
    change.oldValues = {{QStringLiteral("ID"), 8},
                        {QStringLiteral("uName"), QStringLiteral("Accountant")},
                        {QStringLiteral("uPassword"), QStringLiteral("******")}};
    change.newValues = {{QStringLiteral("uName"), QStringLiteral("Chief accountant")},
                        {QStringLiteral("uPassword"), QString()}};
    const wire::ApplyResult applied = client->apply(QStringLiteral("pAppUser"), {}, 0, {change});
    EXPECT_EQ(applied.applied, 1);
    EXPECT_TRUE(applied.errors.isEmpty());
    EXPECT_EQ(value(*client, QStringLiteral("select uName from AppUser where ID = 8")),
              QVariant(QStringLiteral("Chief accountant")));
    EXPECT_EQ(as(QStringLiteral("KJ01"), QStringLiteral("123"))
                  ->login(QStringLiteral("KJ01"), QStringLiteral("123"))
                  .value(QStringLiteral("uName")),
              QVariant(QStringLiteral("Chief accountant")));
}

TEST_F(Login, PasswordsChangeThroughTheMethodsOnly)
{
    auto accountant = as(QStringLiteral("KJ01"), QStringLiteral("123"));
    EXPECT_EQ(codeOf([&] {
                  accountant->call(QStringLiteral("ChangePassword"),
                                   {QStringLiteral("124"), QStringLiteral("new'one")});
              }),
              QStringLiteral("wrongPassword"));
    accountant->call(QStringLiteral("ChangePassword"),
                     {QStringLiteral("123"), QStringLiteral("new'one")});
    EXPECT_EQ(codeOf([&] { as(QStringLiteral("KJ01"), QStringLiteral("123")); }),
              QStringLiteral("wrongPassword"));
    EXPECT_EQ(codeOf([&] { as(QStringLiteral("KJ01"), QStringLiteral("new'one")); }),
              QStringLiteral("(served)"));

    // Setting another user's password is the user manager's duty; SYS's is SYS's own.
    auto clerk = as(QStringLiteral("CLERK"));
    const auto setPassword = [](wire::Client &client, const char *user, const char *password) {
        return codeOf([&] {
            client.call(QStringLiteral("SetPassword"),
                        {QString::fromLatin1(user), QString::fromLatin1(password)});
        });
    };
    EXPECT_EQ(setPassword(*clerk, "KJ01", "x"), QStringLiteral("denied"));
    execOnFile("insert into Sys_GroupFuncRight (CompanyCode, UserGroupNo, FuncNodeNo, "
               "ObjectName) values ('VZ', 9, '0108', 'mnuUser')");
    EXPECT_EQ(setPassword(*clerk, "KJ01", "x"), QStringLiteral("(served)"));
    EXPECT_EQ(setPassword(*clerk, "SYS", "x"), QStringLiteral("denied"));
    EXPECT_EQ(setPassword(*clerk, "nobody", "x"), QStringLiteral("unknownUser"));
    EXPECT_EQ(codeOf([&] { as(QStringLiteral("KJ01"), QStringLiteral("x")); }),
              QStringLiteral("(served)"));
    auto sys = as(QStringLiteral("SYS"));
    EXPECT_EQ(setPassword(*sys, "SYS", "root"), QStringLiteral("(served)"));
    EXPECT_EQ(codeOf([&] { as(QStringLiteral("SYS"), QString()); }),
              QStringLiteral("wrongPassword"));
    EXPECT_EQ(codeOf([&] { as(QStringLiteral("sys"), QStringLiteral("root")); }),
              QStringLiteral("(served)"));
    // An empty new password is no password: the empty entry logs in again.
    EXPECT_EQ(setPassword(*sys, "KJ01", ""), QStringLiteral("(served)"));
    EXPECT_EQ(codeOf([&] { as(QStringLiteral("KJ01"), QString()); }), QStringLiteral("(served)"));
}

TEST_F(Login, AdministeringAccountSetsNeedsSysOrTheRight)
{
    ASSERT_TRUE(server.createAccount(QStringLiteral("002")));
    auto clerk = as(QStringLiteral("CLERK"));
    const auto deleting = [&](wire::Client &client) {
        return codeOf([&] {
            const wire::ApplyResult result = client.apply(QStringLiteral("dspAccounts"), {}, 0,
                                                          deleteAccountSet(QStringLiteral("002")));
            if (!result.errors.isEmpty())
                throw wire::Error(wire::Error::Kind::Server, result.errors.first().message,
                                  result.errors.first().code);
        });
    };
    // Each duty of the clerk, refused until the group holds the right.
    const struct
    {
        const char *what;
        std::function<void()> request;
    } duties[] = {
        {"back up another set",
         [&] {
             clerk->call(QStringLiteral("BackupData"), {QStringLiteral("002")});
         }},
        {"list backups",
         [&] {
             clerk->call(QStringLiteral("ListBackups"), {QStringLiteral("001")});
         }},
        {"compact",
         [&] {
             clerk->call(QStringLiteral("CompactDatabase"), {QString(), QString()});
         }},
        {"write the registry",
         [&] {
             clerk->execute(QStringLiteral("delete from VersionInfor"),
                            QStringLiteral("pAccountTemp"));
         }},
    };
    for (const auto &[what, request] : duties)
        EXPECT_EQ(codeOf(request), QStringLiteral("denied")) << what;
    EXPECT_EQ(deleting(*clerk), QStringLiteral("denied"));
    EXPECT_TRUE(QFile::exists(server.dataDir() + QStringLiteral("/002/VzData.db")));
    // Backing up the books one works in needs no right: the exit dialog offers it to all.
    EXPECT_EQ(codeOf([&] { clerk->call(QStringLiteral("BackupData"), {QString()}); }),
              QStringLiteral("(served)"));

    execOnFile("insert into Sys_GroupFuncRight (CompanyCode, UserGroupNo, FuncNodeNo, "
               "ObjectName) values ('VZ', 9, '0113', 'mnuAcount')");
    for (const auto &[what, request] : duties)
        EXPECT_EQ(codeOf(request), QStringLiteral("(served)")) << what;

    execOnFile("delete from Sys_GroupFuncRight");
    EXPECT_EQ(deleting(*clerk), QStringLiteral("denied"));
    auto sys = as(QStringLiteral("SYS"));
    EXPECT_EQ(deleting(*sys), QStringLiteral("(served)"));
    EXPECT_FALSE(QFile::exists(server.dataDir() + QStringLiteral("/002/VzData.db")));
}
