// A throw-away PostgreSQL server for the tests: one per test process, made with initdb in a
// fresh temporary folder and listening on 127.0.0.1 on a free port.
//
// The server is a child of the test process and is told by the kernel to shut down when the
// thread that started it ends (PR_SET_PDEATHSIG), so a crashed or killed test leaves no
// server running; first use from the main thread, which gtest's tests run on. A normal exit
// stops it and removes the folder. What a killed run leaves behind is a folder named
// vzpg-<pid>-XXXXXX under $TMPDIR (or /tmp); the next start removes every such folder whose
// process is gone, and by hand `rm -rf /tmp/vzpg-*` is safe once no test runs.
//
// Running as root, the server runs as the `postgres` system user that Debian's postgresql
// package creates. The server's programs are those of $VZ_PG_BINDIR when set, otherwise of
// the newest /usr/lib/postgresql/<version>/bin, otherwise of `pg_config --bindir`.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace pg {
class Connection;
}

namespace testsupport {

class PgCluster
{
public:
    // Starts the server on first use. Throws std::runtime_error naming the step that failed,
    // with the end of its log, when PostgreSQL cannot be started: tests then fail, never skip.
    // Later calls after such a failure throw the same error at once.
    static PgCluster &shared();

    ~PgCluster();
    PgCluster(const PgCluster &) = delete;
    PgCluster &operator=(const PgCluster &) = delete;

    // libpq connection string for a database of this server, as the superuser `vz`.
    std::string connectionString(const std::string &database = "postgres") const;
    // Creates a fresh, uniquely named database (UTF-8, C collation) and returns its connection
    // string. Thread-safe.
    std::string createDatabase();
    int port() const { return m_port; }
    // Where initdb, pg_ctl and pg_dump live.
    std::string binDir() const { return m_binDir; }
    // The temporary folder: the data directory, the server's log and its unix socket.
    std::string folder() const { return m_folder; }

private:
    PgCluster();
    void initialize();
    void start();
    void stop();

    std::string m_binDir;
    std::string m_folder;
    int m_port = 0;
    pid_t m_serverPid = -1;
    pid_t m_ownerPid = -1; // a forked child that exits must not stop its parent's server
    std::mutex m_adminMutex;
    std::unique_ptr<pg::Connection> m_admin; // under m_adminMutex
    int m_databases = 0;                     // under m_adminMutex
};

} // namespace testsupport
