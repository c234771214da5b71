#include "support/pgcluster.h"

#include "pg/connection.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace testsupport {

namespace {

constexpr const char *FolderPrefix = "vzpg-";
constexpr int PortAttempts = 5;
constexpr auto StartTimeout = std::chrono::seconds(60);
constexpr auto StopTimeout = std::chrono::seconds(10);

[[noreturn]] void fail(const std::string &step, const std::string &why)
{
    throw std::runtime_error("PostgreSQL test cluster: " + step + ": " + why);
}

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string logTail(const fs::path &path, int lines = 25)
{
    const std::string text = readFile(path);
    size_t from = text.size();
    while (lines-- > 0 && from > 0) {
        const size_t newline = text.rfind('\n', from - 1);
        from = newline == std::string::npos ? 0 : newline;
    }
    const std::string tail = text.substr(from);
    return tail.empty() ? " (empty)" : "\n" + tail;
}

// The user the server runs as: the current one, or `postgres` when the tests run as root,
// because the server refuses to run as root.
struct Account
{
    bool switchUser = false;
    uid_t uid = 0;
    gid_t gid = 0;
};

Account serverAccount()
{
    Account account;
    if (geteuid() != 0)
        return account;
    const passwd *user = getpwnam("postgres");
    if (!user)
        fail("choosing the user",
             "running as root needs the `postgres` system user, which Debian's postgresql "
             "package creates");
    account.switchUser = true;
    account.uid = user->pw_uid;
    account.gid = user->pw_gid;
    return account;
}

bool hasInitdb(const fs::path &dir)
{
    return access((dir / "initdb").c_str(), X_OK) == 0;
}

std::string findBinDir()
{
    if (const char *env = std::getenv("VZ_PG_BINDIR"); env && *env) {
        if (!hasInitdb(env))
            fail("finding the server programs",
                 std::string("VZ_PG_BINDIR=") + env + " has no executable initdb");
        return env;
    }
    fs::path best;
    int bestVersion = -1;
    std::error_code ec;
    for (const fs::directory_entry &entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const std::string name = entry.path().filename().string();
        char *end = nullptr;
        const long version = std::strtol(name.c_str(), &end, 10);
        if (end == name.c_str() || *end != '\0' || !hasInitdb(entry.path() / "bin"))
            continue;
        if (version > bestVersion) {
            bestVersion = static_cast<int>(version);
            best = entry.path() / "bin";
        }
    }
    if (!best.empty())
        return best.string();
    if (FILE *pipe = popen("pg_config --bindir 2>/dev/null", "r")) {
        char line[4096] = {};
        const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
        pclose(pipe);
        std::string dir = read ? line : "";
        while (!dir.empty() && (dir.back() == '\n' || dir.back() == ' '))
            dir.pop_back();
        if (!dir.empty() && hasInitdb(dir))
            return dir;
    }
    fail("finding the server programs",
         "no initdb in /usr/lib/postgresql/*/bin nor in `pg_config --bindir`; install Debian's "
         "postgresql package or set VZ_PG_BINDIR");
}

// $TMPDIR when the server can use it, /tmp otherwise: the server's user must get through
// every folder above it, and the unix socket's path must stay within the 107 bytes a socket
// address holds.
fs::path temporaryBase(const Account &account)
{
    constexpr size_t MaxBaseLength = 70;
    const char *env = std::getenv("TMPDIR");
    std::error_code ec;
    const fs::path base = env && *env ? fs::absolute(env, ec) : fs::path();
    if (base.empty() || ec || !fs::is_directory(base, ec) || base.native().size() > MaxBaseLength)
        return "/tmp";
    if (!account.switchUser)
        return base;
    for (fs::path dir = base;; dir = dir.parent_path()) {
        struct stat info = {};
        if (stat(dir.c_str(), &info) != 0 || !(info.st_mode & S_IXOTH))
            return "/tmp";
        if (dir == dir.root_path())
            return base;
    }
}

// Folders of earlier runs whose process is gone: a killed run cannot remove its own. The
// process id in the name tells; a reused id only keeps a folder a while longer.
void removeStaleFolders(const fs::path &base)
{
    std::error_code ec;
    for (const fs::directory_entry &entry : fs::directory_iterator(base, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(FolderPrefix, 0) != 0)
            continue;
        const long pid = std::strtol(name.c_str() + std::strlen(FolderPrefix), nullptr, 10);
        if (pid <= 0 || pid == getpid() || kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        std::error_code ignored;
        fs::remove_all(entry.path(), ignored);
    }
}

int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        fail("choosing a port", std::strerror(errno));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool ok = bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0;
    const int error = errno;
    close(fd);
    if (!ok)
        fail("choosing a port", std::strerror(error));
    return ntohs(address.sin_port);
}

struct Spawn
{
    std::vector<std::string> arguments; // the program's full path first
    fs::path workingDir;
    fs::path output; // stdout and stderr are appended here
    Account account;
    int deathSignal = 0; // sent to the child when the spawning thread ends
};

// fork + exec with nothing but system calls in the child, since the tests run threads.
pid_t spawn(const Spawn &how)
{
    std::vector<char *> argv;
    for (const std::string &argument : how.arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    const int out = open(how.output.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (out < 0 || in < 0) {
        const int error = errno;
        close(out);
        close(in);
        fail("starting " + how.arguments.front(),
             "cannot open " + how.output.string() + ": " + std::strerror(error));
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        if (how.account.switchUser &&
            (setgroups(0, nullptr) != 0 ||
             setresgid(how.account.gid, how.account.gid, how.account.gid) != 0 ||
             setresuid(how.account.uid, how.account.uid, how.account.uid) != 0))
            _exit(126);
        // After the change of user, which clears it.
        if (how.deathSignal &&
            (prctl(PR_SET_PDEATHSIG, how.deathSignal) != 0 || getppid() != parent))
            _exit(126);
        if (chdir(how.workingDir.c_str()) != 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
            dup2(out, 2) < 0)
            _exit(126);
        close_range(3, ~0u, 0);
        execve(argv[0], argv.data(), environ);
        _exit(127);
    }
    const int error = errno;
    close(out);
    close(in);
    if (pid < 0)
        fail("starting " + how.arguments.front(), std::strerror(error));
    return pid;
}

std::string describeStatus(int status)
{
    if (WIFEXITED(status) && WEXITSTATUS(status) == 126)
        return "exit status 126 (could not become the server's user or enter the folder)";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        return "exit status 127 (the program could not be executed)";
    if (WIFEXITED(status))
        return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// The server writes "ready" into the lock file's status line once it takes connections; the
// first line, its process id, tells it from another server.
bool serverReady(const fs::path &dataDir, pid_t pid)
{
    std::istringstream lines(readFile(dataDir / "postmaster.pid"));
    std::string line;
    std::vector<std::string> fields;
    while (std::getline(lines, line))
        fields.push_back(line);
    return fields.size() >= 8 && fields[0] == std::to_string(pid) &&
           fields[7].rfind("ready", 0) == 0;
}

std::string conninfoValue(const std::string &value)
{
    if (!value.empty() && value.find_first_of(" '\\") == std::string::npos)
        return value;
    std::string quoted = "'";
    for (char c : value) {
        if (c == '\'' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

} // namespace

PgCluster &PgCluster::shared()
{
    static std::mutex mutex;
    static std::unique_ptr<PgCluster> cluster;
    static std::string failure;
    std::lock_guard lock(mutex);
    if (!cluster) {
        if (!failure.empty())
            throw std::runtime_error(failure);
        try {
            cluster.reset(new PgCluster);
        } catch (const std::exception &error) {
            failure = error.what();
            throw;
        }
    }
    return *cluster;
}

PgCluster::PgCluster()
    : m_ownerPid(getpid())
{
    const Account account = serverAccount();
    m_binDir = findBinDir();
    const fs::path base = temporaryBase(account);
    removeStaleFolders(base);
    std::string pattern = (base / (FolderPrefix + std::to_string(getpid()) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        fail("creating the folder", pattern + ": " + std::strerror(errno));
    m_folder = pattern;
    try {
        if (account.switchUser && chown(m_folder.c_str(), account.uid, account.gid) != 0)
            fail("handing the folder to postgres", std::strerror(errno));
        const Clock::time_point initStart = Clock::now();
        initialize();
        const long long initMs = millisecondsSince(initStart);
        const Clock::time_point startStart = Clock::now();
        start();
        std::cerr << "PostgreSQL test cluster: " << m_binDir << ", port " << m_port << ", initdb "
                  << initMs << " ms, start " << millisecondsSince(startStart) << " ms\n";
    } catch (...) {
        stop();
        throw;
    }
}

PgCluster::~PgCluster()
{
    stop();
}

void PgCluster::initialize()
{
    const fs::path folder = m_folder;
    const fs::path log = folder / "initdb.log";
    // C.UTF-8 sorts by code point like C but classifies Chinese characters; C is the fallback
    // where the C library lacks it.
    std::string why;
    for (const char *locale : {"C.UTF-8", "C"}) {
        const pid_t pid = spawn(
            {{m_binDir + "/initdb", "-D", (folder / "data").string(), "-U", "vz", "--auth=trust",
              "-E", "UTF8", std::string("--locale=") + locale, "--no-sync", "--no-instructions"},
             folder,
             log,
             serverAccount(),
             0});
        const int status = waitFor(pid);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            why.clear();
            break;
        }
        why = describeStatus(status) + "; end of its log:" + logTail(log);
        std::error_code ignored;
        fs::remove_all(folder / "data", ignored);
    }
    if (!why.empty())
        fail("initdb failed", why);

    // Durability is worth nothing to a folder that is removed at exit; the server tests open
    // many sessions at once.
    std::ofstream conf(folder / "data" / "postgresql.conf", std::ios::app);
    conf << "\n# Test cluster\n"
         << "listen_addresses = '127.0.0.1'\n"
         << "unix_socket_directories = '" << m_folder << "'\n"
         << "max_connections = 300\n"
         << "fsync = off\n"
         << "synchronous_commit = off\n"
         << "full_page_writes = off\n"
         << "wal_level = minimal\n"
         << "max_wal_senders = 0\n";
    if (!conf.flush())
        fail("writing postgresql.conf", "cannot append to the data folder's configuration");
}

void PgCluster::start()
{
    const fs::path folder = m_folder;
    const fs::path log = folder / "server.log";
    for (int attempt = 1;; ++attempt) {
        m_port = freePort();
        m_serverPid = spawn({{m_binDir + "/postgres", "-D", (folder / "data").string(), "-p",
                              std::to_string(m_port)},
                             folder,
                             log,
                             serverAccount(),
                             SIGQUIT});
        const Clock::time_point deadline = Clock::now() + StartTimeout;
        while (!serverReady(folder / "data", m_serverPid)) {
            int status = 0;
            if (waitpid(m_serverPid, &status, WNOHANG) == m_serverPid) {
                m_serverPid = -1;
                const std::string text = readFile(log);
                // Another program took the port between our probe and the server's bind.
                if (attempt < PortAttempts && text.find("could not bind") != std::string::npos)
                    break;
                fail("the server did not start",
                     describeStatus(status) + "; end of its log:" + logTail(log));
            }
            if (Clock::now() > deadline)
                fail("the server did not start",
                     "not ready after 60 s; end of its log:" + logTail(log));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (m_serverPid > 0)
            return;
        std::ofstream(log, std::ios::app) << "-- port " << m_port << " was taken; retrying\n";
    }
}

// Immediate shutdown: the data is thrown away, so there is nothing to write back.
void PgCluster::stop()
{
    if (getpid() != m_ownerPid) {
        // Finishing the admin session would end it for the parent too: their socket is one.
        (void)m_admin.release();
        return;
    }
    {
        std::lock_guard lock(m_adminMutex);
        m_admin.reset();
    }
    if (m_serverPid > 0) {
        kill(m_serverPid, SIGQUIT);
        const Clock::time_point deadline = Clock::now() + StopTimeout;
        int status = 0;
        while (waitpid(m_serverPid, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                kill(m_serverPid, SIGKILL);
                waitFor(m_serverPid);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        m_serverPid = -1;
    }
    if (!m_folder.empty()) {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
}

std::string PgCluster::connectionString(const std::string &database) const
{
    return "host=127.0.0.1 port=" + std::to_string(m_port) +
           " user=vz dbname=" + conninfoValue(database);
}

std::string PgCluster::createDatabase()
{
    std::lock_guard lock(m_adminMutex);
    if (!m_admin)
        m_admin = std::make_unique<pg::Connection>(connectionString());
    const std::string name = "vztest_" + std::to_string(++m_databases);
    m_admin->exec("create database " + name);
    return connectionString(name);
}

} // namespace testsupport
