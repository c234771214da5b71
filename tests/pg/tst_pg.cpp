// The PostgreSQL client layer against a real server: values, quoting, errors by SQLSTATE,
// cancelling, and the throw-away cluster the other PostgreSQL tests stand on.
#include "pg/connection.h"
#include "pg/quote.h"
#include "support/pgcluster.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::PgCluster;

namespace {

class PgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_conn = std::make_unique<pg::Connection>(PgCluster::shared().createDatabase());
    }

    pg::Connection &conn() { return *m_conn; }
    std::string one(std::string_view sql) { return std::string(conn().exec(sql).text(0, 0)); }

    // The SQLSTATE of the statement's failure, or "" when it succeeds.
    std::string stateOf(std::string_view sql)
    {
        try {
            conn().exec(sql);
        } catch (const pg::Error &error) {
            return error.sqlState();
        }
        return {};
    }

private:
    std::unique_ptr<pg::Connection> m_conn;
};

const std::vector<std::string> awkwardTexts = {
    "O'Neil",
    "张三",
    "阿里巴巴 O'Neil 的 '报价'",
    "back\\slash \\' \\n",
    "''",
    "",
    "\"x\"",
    "Ä é ñ 🍜",
    "line\nbreak\ttab",
    "$1 ?",
    "-- not a comment",
    "'; drop table t; --",
};

} // namespace

TEST_F(PgTest, ParametersBindValuesAndNulls)
{
    const pg::Result result = conn().exec("select $1::int + 1, $2::text is null, $3::text, $4",
                                          {"41", std::nullopt, std::nullopt, "text"});
    ASSERT_EQ(result.rows(), 1);
    ASSERT_EQ(result.columns(), 4);
    EXPECT_EQ(result.text(0, 0), "42");
    EXPECT_EQ(result.text(0, 1), "t");
    EXPECT_TRUE(result.isNull(0, 2));
    EXPECT_EQ(result.text(0, 2), "");
    EXPECT_FALSE(result.isNull(0, 3));
    EXPECT_EQ(result.text(0, 3), "text");
}

TEST_F(PgTest, ResultDescribesColumnsAndCounts)
{
    conn().exec("create table hp (hpid int primary key, pm text)");
    EXPECT_EQ(conn().exec("insert into hp values (1, 'a'), (2, 'b'), (3, 'c')").affectedRows(), 3);
    EXPECT_EQ(conn().exec("update hp set pm = 'x' where hpid >= 2").affectedRows(), 2);
    const pg::Result result = conn().exec("select hpid, pm as 品名 from hp order by hpid");
    EXPECT_EQ(result.rows(), 3);
    EXPECT_EQ(result.affectedRows(), 3);
    EXPECT_EQ(result.columnName(0), "hpid");
    EXPECT_EQ(result.columnName(1), "品名");
    EXPECT_EQ(result.columnType(0), 23u); // int4
    EXPECT_EQ(result.columnType(1), 25u); // text
    EXPECT_EQ(result.text(2, 1), "x");
    EXPECT_THROW((void)result.text(3, 0), std::out_of_range);
    EXPECT_THROW((void)result.isNull(0, 2), std::out_of_range);
    EXPECT_EQ(conn().exec("create index hp_pm on hp (pm)").affectedRows(), 0);
}

TEST_F(PgTest, TextRoundTripsThroughLiteralsAndParameters)
{
    conn().exec("create table kh (id serial primary key, mc text)");
    for (const std::string &text : awkwardTexts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(one("select " + pg::quoteLiteral(text)), text);
        EXPECT_EQ(conn().exec("select $1::text", {text}).text(0, 0), text);
        conn().exec("insert into kh (mc) values (" + pg::quoteLiteral(text) + ")");
        conn().exec("insert into kh (mc) values ($1)", {text});
        EXPECT_EQ(conn().exec("select count(*) from kh where mc = $1", {text}).text(0, 0), "2");
        conn().exec("delete from kh");
    }
    // Characters, not bytes: the session speaks UTF-8.
    EXPECT_EQ(one("select length(" + pg::quoteLiteral("张三") + ")"), "2");
}

TEST_F(PgTest, QuotedIdentifiersKeepTheirSpelling)
{
    for (const std::string name : {"客户\"表", "Order", "select", "a b"}) {
        SCOPED_TRACE(name);
        const std::string table = pg::quoteIdentifier(name);
        conn().exec("create table " + table + " (" + pg::quoteIdentifier(name) + " int)");
        conn().exec("insert into " + table + " values (7)");
        const pg::Result result = conn().exec("select * from " + table);
        EXPECT_EQ(result.columnName(0), name);
        EXPECT_EQ(result.text(0, 0), "7");
        EXPECT_EQ(one("select count(*) from pg_class where relname = " + pg::quoteLiteral(name)),
                  "1");
    }
    EXPECT_EQ(pg::quoteIdentifier("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(pg::quoteLiteral("O'Neil"), "'O''Neil'");
}

// A NUL would cut the text libpq sends short: refused, never truncated.
TEST_F(PgTest, NulCharactersAreRefusedNotTruncated)
{
    const std::string withNul("ab\0'; select 1; --", 19);
    const auto stateOfThrow = [](auto &&call) {
        try {
            call();
        } catch (const pg::Error &error) {
            return error.sqlState();
        }
        return std::string("no error");
    };
    EXPECT_EQ(stateOfThrow([&] { pg::quoteLiteral(withNul); }), "22021");
    EXPECT_EQ(stateOfThrow([&] { pg::quoteIdentifier(withNul); }), "22021");
    EXPECT_EQ(stateOfThrow([&] { conn().exec("select $1::text", {withNul}); }), "22021");
    EXPECT_EQ(stateOfThrow([&] { conn().exec("select 'ab" + std::string(1, '\0') + "'"); }),
              "22021");
    EXPECT_EQ(one("select 1"), "1");
}

TEST_F(PgTest, ErrorsCarryTheServersStateAndMessage)
{
    conn().exec("create table dw (dwbh text primary key, mc text not null,"
                " je numeric check (je >= 0))");
    conn().exec("insert into dw values ('001', '供应商', 1)");
    struct Case
    {
        const char *sql;
        const char *state;
    };
    const Case cases[] = {
        {"insert into dw values ('001', 'x', 1)", "23505"},
        {"insert into dw values ('002', null, 1)", "23502"},
        {"insert into dw values ('003', 'x', -1)", "23514"},
        {"selec * from dw", "42601"},
        {"select * from nosuchtable", "42P01"},
        {"select 1/0", "22012"},
        {"select 'abc'::int", "22P02"},
        {"select 1; select nosuchcolumn from dw", "42703"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(stateOf(c.sql), c.state);
    }
    try {
        conn().exec("insert into dw values ('001', 'x', 1)");
        FAIL() << "duplicate key accepted";
    } catch (const pg::Error &error) {
        EXPECT_EQ(error.sqlState(), pg::sqlstate::UniqueViolation);
        EXPECT_STREQ(error.what(), "duplicate key value violates unique constraint \"dw_pkey\"");
        EXPECT_EQ(error.detail(), "Key (dwbh)=(001) already exists.");
    }
    EXPECT_EQ(one("select count(*) from dw"), "1");
}

TEST_F(PgTest, FailedStatementKeepsTheTransactionOpenUntilRollback)
{
    EXPECT_FALSE(conn().inTransaction());
    conn().exec("begin");
    EXPECT_TRUE(conn().inTransaction());
    EXPECT_EQ(stateOf("select nosuchthing"), "42703");
    EXPECT_TRUE(conn().inTransaction());
    EXPECT_EQ(stateOf("select 1"), "25P02"); // in_failed_sql_transaction
    conn().exec("rollback");
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_EQ(one("select 1"), "1");
}

TEST_F(PgTest, ScriptRunsEveryStatementOrNone)
{
    const pg::Result last = conn().exec("create table s (a int primary key);"
                                        "insert into s values (1), (2);"
                                        "insert into s values (3);"
                                        "select sum(a) from s");
    EXPECT_EQ(last.text(0, 0), "6");
    // Outside a transaction block a script is one transaction: the failure undoes the first
    // insert too.
    EXPECT_EQ(
        stateOf("insert into s values (4); insert into s values (1); insert into s values (5)"),
        "23505");
    EXPECT_EQ(one("select string_agg(a::text, ',' order by a) from s"), "1,2,3");
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_EQ(conn().exec("").rows(), 0);
}

TEST_F(PgTest, CopyIsRefusedAndTheSessionGoesOn)
{
    conn().exec("create table c (a int)");
    EXPECT_THROW(conn().exec("copy c from stdin"), pg::Error);
    EXPECT_THROW(conn().exec("copy (select 1) to stdout"), pg::Error);
    EXPECT_EQ(one("select count(*) from c"), "0");
    EXPECT_FALSE(conn().inTransaction());
}

TEST_F(PgTest, CancelFromAnotherThreadEndsTheRunningStatement)
{
    pg::Connection watcher(PgCluster::shared().connectionString());
    const std::string pid = std::to_string(PQbackendPID(conn().handle()));
    std::thread canceller([&] {
        // Cancel only once the statement runs: a cancel that arrives first hits nothing.
        for (int i = 0; i < 3000; ++i) {
            const pg::Result active =
                watcher.exec("select 1 from pg_stat_activity where pid = " + pid +
                             " and state = 'active' and query like '%pg_sleep%'");
            if (active.rows() == 1)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        conn().cancel();
    });
    EXPECT_EQ(stateOf("select pg_sleep(30)"), "57014");
    canceller.join();
    EXPECT_EQ(one("select 'still here'"), "still here");
    EXPECT_FALSE(conn().inTransaction());
}

TEST_F(PgTest, CancelWithNothingRunningIsHarmless)
{
    conn().cancel();
    EXPECT_EQ(one("select 2"), "2");
}

TEST(PgConnection, RefusedConnectionIsAClearError)
{
    // A port that was free a moment ago: nothing listens there.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length), 0);
    close(fd);
    const std::string port = std::to_string(ntohs(address.sin_port));
    try {
        pg::Connection conn("host=127.0.0.1 port=" + port + " user=vz dbname=postgres");
        FAIL() << "connected to a closed port";
    } catch (const pg::Error &error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("could not connect to PostgreSQL"), std::string::npos) << message;
        EXPECT_NE(message.find(port), std::string::npos) << message;
        EXPECT_NE(message.find("Connection refused"), std::string::npos) << message;
        EXPECT_EQ(error.sqlState(), "");
    }
    EXPECT_THROW(pg::Connection("not a conninfo"), pg::Error);
}

TEST(PgConnection, MissingDatabaseIsNamed)
{
    try {
        pg::Connection conn(PgCluster::shared().connectionString("nosuchdb"));
        FAIL() << "connected to a missing database";
    } catch (const pg::Error &error) {
        EXPECT_NE(std::string(error.what()).find("database \"nosuchdb\" does not exist"),
                  std::string::npos)
            << error.what();
    }
}

TEST(PgCluster, DatabasesAreIndependent)
{
    pg::Connection a(PgCluster::shared().createDatabase());
    pg::Connection b(PgCluster::shared().createDatabase());
    EXPECT_NE(a.exec("select current_database()").text(0, 0),
              b.exec("select current_database()").text(0, 0));
    a.exec("create table t (v text); insert into t values ('a')");
    EXPECT_THROW(b.exec("select * from t"), pg::Error);
    b.exec("create table t (v text); insert into t values ('b1'), ('b2')");
    EXPECT_EQ(a.exec("select string_agg(v, ',') from t").text(0, 0), "a");
    EXPECT_EQ(b.exec("select string_agg(v, ',' order by v) from t").text(0, 0), "b1,b2");
}

TEST(PgCluster, ServerIsSetUpForTests)
{
    PgCluster &cluster = PgCluster::shared();
    pg::Connection conn(cluster.connectionString());
    const auto show = [&](const char *setting) {
        return std::string(conn.exec(std::string("show ") + setting).text(0, 0));
    };
    EXPECT_EQ(show("server_encoding"), "UTF8");
    EXPECT_EQ(show("client_encoding"), "UTF8");
    EXPECT_EQ(show("standard_conforming_strings"), "on");
    EXPECT_EQ(show("max_connections"), "300");
    EXPECT_EQ(show("fsync"), "off");
    EXPECT_EQ(show("port"), std::to_string(cluster.port()));
    EXPECT_EQ(show("listen_addresses"), "127.0.0.1");
    EXPECT_TRUE(fs::exists(fs::path(cluster.binDir()) / "pg_dump"));
    EXPECT_TRUE(fs::exists(fs::path(cluster.binDir()) / "pg_ctl"));
}

TEST(PgConnection, SessionSpeaksUtf8WhateverTheCallerAsks)
{
    pg::Connection conn(PgCluster::shared().connectionString() + " client_encoding=LATIN1");
    EXPECT_EQ(conn.exec("show client_encoding").text(0, 0), "UTF8");
    EXPECT_EQ(conn.exec("select $1::text", {"张三"}).text(0, 0), "张三");
}

TEST(PgCluster, IcuCollationOrdersByPinyin)
{
    pg::Connection conn(PgCluster::shared().createDatabase());
    conn.exec("create collation pinyin (provider = icu, locale = 'zh-u-co-pinyin')");
    const pg::Result result = conn.exec("select string_agg(x, ' ' order by x collate pinyin)"
                                        " from unnest(array['张', '李', '王', '阿']) as x");
    EXPECT_EQ(result.text(0, 0), "阿 李 王 张");
}

// A forked child that exits normally runs the static destructors too.
TEST(PgCluster, ForkedChildThatExitsLeavesTheServerAlone)
{
    PgCluster &cluster = PgCluster::shared();
    cluster.createDatabase();
    const pid_t child = fork();
    if (child == 0)
        std::exit(0);
    ASSERT_GT(child, 0);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    pg::Connection conn(cluster.createDatabase());
    EXPECT_EQ(conn.exec("select 1").text(0, 0), "1");
}

namespace {

bool processGone(pid_t pid)
{
    if (kill(pid, 0) != 0)
        return true;
    // A server whose parent died may linger as a zombie where nothing reaps orphans.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    for (int i = 0; i < 3 && stat >> field; ++i) {
    }
    return field == "Z";
}

bool waitUntilGone(pid_t pid)
{
    for (int i = 0; i < 3000 && !processGone(pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return processGone(pid);
}

pid_t serverPidOf(const std::string &folder)
{
    std::ifstream lockFile(fs::path(folder) / "data" / "postmaster.pid");
    pid_t pid = 0;
    lockFile >> pid;
    return pid;
}

// pgholder with a pipe on each side: its first output line is the cluster's folder.
struct Holder
{
    pid_t pid = -1;
    int input = -1;
    std::string folder;

    Holder()
    {
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            dup2(toChild[0], 0);
            dup2(fromChild[1], 1);
            close_range(3, ~0u, 0);
            execl(VZ_PGHOLDER, VZ_PGHOLDER, nullptr);
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        input = toChild[1];
        char c;
        while (read(fromChild[0], &c, 1) == 1 && c != '\n')
            folder += c;
        close(fromChild[0]);
    }
    int finish()
    {
        close(input);
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }
};

} // namespace

namespace {

// pgholder's exit status and output with the server programs of a folder holding the given
// shell scripts.
std::pair<int, std::string> holdWithPrograms(const std::map<std::string, std::string> &scripts)
{
    std::string dir = (fs::temp_directory_path() / "vzpgbin-XXXXXX").string();
    if (!mkdtemp(dir.data()))
        return {-1, "mkdtemp failed"};
    chmod(dir.c_str(), 0755);
    for (const auto &[name, body] : scripts) {
        const fs::path path = fs::path(dir) / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        chmod(path.c_str(), 0755);
    }
    std::string output;
    FILE *pipe = popen(("VZ_PG_BINDIR=" + dir + " " VZ_PGHOLDER " </dev/null 2>&1").c_str(), "r");
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    fs::remove_all(dir);
    return {status, output};
}

} // namespace

// A server that cannot start fails the tests with the step and the program's own words.
TEST(PgCluster, FailedStartNamesTheStepAndTheLog)
{
    struct Case
    {
        std::map<std::string, std::string> scripts;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{}, {"finding the server programs", "has no executable initdb"}},
        {{{"initdb", "echo 'initdb: error: the disk is on fire' >&2; exit 1"}},
         {"initdb failed", "exit status 1", "the disk is on fire"}},
        {{{"initdb", "mkdir -p \"$2\" && : > \"$2/postgresql.conf\""},
          {"postgres", "echo 'FATAL:  could not create shared memory segment' >&2; exit 1"}},
         {"the server did not start", "exit status 1", "could not create shared memory segment"}},
    };
    for (const Case &c : cases) {
        const auto [status, output] = holdWithPrograms(c.scripts);
        SCOPED_TRACE(output);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
        for (const std::string &text : c.expected)
            EXPECT_NE(output.find(text), std::string::npos) << text;
    }
}

// A test run that is killed must leave no server behind, and its folder must not trouble
// the next run, which removes it.
TEST(PgCluster, KilledRunLeavesNoServerAndItsFolderIsRemovedNextTime)
{
    Holder killed;
    ASSERT_FALSE(killed.folder.empty()) << "pgholder did not start a cluster";
    const pid_t killedServer = serverPidOf(killed.folder);
    ASSERT_GT(killedServer, 0);
    kill(killed.pid, SIGKILL);
    killed.finish();
    EXPECT_TRUE(waitUntilGone(killedServer));
    EXPECT_TRUE(fs::exists(killed.folder));

    Holder next;
    ASSERT_FALSE(next.folder.empty());
    EXPECT_NE(next.folder, killed.folder);
    EXPECT_FALSE(fs::exists(killed.folder));
    const pid_t nextServer = serverPidOf(next.folder);
    ASSERT_GT(nextServer, 0);
    const int status = next.finish();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // A normal exit stops the server and removes the folder.
    EXPECT_TRUE(waitUntilGone(nextServer));
    EXPECT_FALSE(fs::exists(next.folder));
}
