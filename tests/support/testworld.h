// The world of the client's end-to-end tests: a real vzserver on fresh account sets in a
// temporary data folder, a client folder whose SysConfig.ini names it, the data modules
// connected as the start-up connects them, a logged-in user, and a per-test clean-up that
// puts back what a test changed, whether its checks passed or not.
//
//   vztest::TestWorld world;                  // account set 001 with the demo rows
//   void initTestCase() { QVERIFY2(world.start(), qPrintable(world.error())); }
//   void cleanup() { world.cleanup(); }
//   void aTest()
//   {
//       world.keepTables({"KH"});             // KH is put back in cleanup()
//       world.afterTest("delete from XSKDZB where ID >= 9000");
//       ...
//   }
#pragma once

#include "support/serverprocess.h"
#include "support/whenmodal.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <source_location>
#include <string>
#include <utility>
#include <vector>

class TData;
class TDataBb;

namespace wire {
class Client;
}

namespace vztest {

struct WorldOptions
{
    // Account set 001 holds the demo rows; without them, what a new account set holds.
    bool demo = true;
    // Further new account sets ("002" ...), named "帐套" followed by the number.
    QStringList moreAccountSets;
    // start() connects the data modules to account set 001 and logs this user in; an empty
    // code logs nobody in. Without connect the data modules are the test's (the start-up
    // sequence makes its own).
    bool connect = true;
    QString user = QStringLiteral("SYS");
    // The report data module beside the central one, as the start-up makes it.
    bool reportData = true;
    // Account set 001 lives in a database of the tests' PostgreSQL instead of a file; by
    // default when the environment says VZ_TEST_ENGINE=postgresql (ctest runs the document
    // tests once more so).
    bool postgres = qEnvironmentVariable("VZ_TEST_ENGINE") == QLatin1String("postgresql");
};

// How far fresh data modules are connected.
enum class Reach { Nothing, Server, AccountSet };

class TestWorld
{
public:
    explicit TestWorld(WorldOptions options = {});
    ~TestWorld();
    TestWorld(const TestWorld &) = delete;
    TestWorld &operator=(const TestWorld &) = delete;

    // Creates the account sets, starts the server, writes the client folder and, as the
    // options say, connects and logs in; false with the reason in error().
    bool start();
    // Runs what cleanup() still holds, drops the data modules and stops the server.
    void stop();
    QString error() const { return m_error; }

    // Fresh data modules (Data(), and DataBb() with reportData) with the scratch datasets of
    // the rights object, connected as far as asked: to the server as the start-up connects,
    // to account set 001 as the login chooses it.
    bool connect(Reach reach = Reach::AccountSet);
    void disconnect();
    // Logs a user in on the server and fills the identity, company settings and rights, as
    // the login dialog does. The demo's users have empty passwords but KJ01's "123".
    bool login(const QString &userCode, const QString &password = {});

    ServerProcess &server() { return m_server; }
    QString address() const { return m_server.address(); }
    QString clientFolder() const { return m_home.path(); }

    // A second workstation: its own protocol connection to an account set, logged in as SYS.
    std::unique_ptr<wire::Client> otherClient(const QString &accountNo = QStringLiteral("001"));

    // What the running test changed, put back by cleanup() in reverse order of registration:
    // a statement on account set 001, any step, or tables restored to the rows they hold
    // now. Register before changing, so that a check that fails midway leaves nothing behind.
    void afterTest(const QString &sql,
                   std::source_location where = std::source_location::current());
    void afterTest(std::function<void()> step,
                   std::source_location where = std::source_location::current());
    bool keepTables(const QStringList &tables,
                    std::source_location where = std::source_location::current());
    // The per-test clean-up (Qt Test's cleanup(), GoogleTest's TearDown()): runs the
    // registered steps, statements and restores on a connection of its own whatever state the
    // test left Data() in, and points SysConfig.ini at the server again. A step that fails
    // fails the test.
    void cleanup();

private:
    struct Step
    {
        std::function<void()> run;
        QString what;
        std::source_location where;
    };
    wire::Client &housekeeping();
    std::string mainDatabaseFile() const;
    std::vector<std::pair<qint64, std::string>> storedPasswords() const;
    void restorePasswords(const std::vector<std::pair<qint64, std::string>> &passwords);

    WorldOptions m_options;
    ServerProcess m_server;
    QTemporaryDir m_home;
    std::unique_ptr<TData> m_data;
    std::unique_ptr<TDataBb> m_dataBb;
    std::unique_ptr<wire::Client> m_housekeeping;
    std::vector<Step> m_steps;
    std::string m_pgConnInfo; // account set 001's database, when it lives in PostgreSQL
    bool m_started = false;
    QString m_error;
};

} // namespace vztest
