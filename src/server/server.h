// The application server: accepts TCP connections and serves each on its own thread with its
// own session, so that a slow query of one client never stalls another.
#pragma once

#include "server/context.h"
#include "server/log.h"
#include "server/memorybudget.h"
#include "server/registry.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

struct sockaddr_storage;

namespace wire {
class Channel;
class FrameReader;
class TlsContext;
} // namespace wire

namespace server {

class Session;

class Server
{
public:
    // Opens the registry of the data folder and, with TLS, the certificate (making the
    // server's own at the first start); throws sql::Error or wire::TlsError when it cannot.
    explicit Server(ServerOptions options);
    ~Server();
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    // Binds the listening socket; false with a readable error when the address is taken.
    bool listen(QString *error);
    uint16_t port() const { return m_boundPort; }

    // Serves until stop() is called (from any thread or a signal handler).
    void run();
    void stop();

    AccountRegistry &registry() { return m_registry; }

    // SHA-256 of the certificate clients are shown; empty without TLS.
    QString certificateFingerprint() const;

    // Connections being served now.
    int connections() const { return m_active.load(); }

private:
    struct Worker
    {
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    // Serves a new connection on a thread of its own, or refuses it at the connection limit.
    void admit(int fd, const sockaddr_storage &address);
    // Answers a connection that is not served with why, and hangs up.
    void refuse(int fd, const QString &message);
    void serveConnection(int fd, const QString &name, Worker &worker);
    // The connection's channel once its TLS handshake is done (on the connection's own
    // thread); null, with the socket closed and *reason set, when there is none.
    std::unique_ptr<wire::Channel> openChannel(int fd, QString *reason);
    // The requests of one connection until it ends; why it ended.
    QString serve(wire::Channel &channel, Session &session);
    // Serves the complete frames buffered; why the connection must end, or empty.
    QString serveFrames(wire::Channel &channel, Session &session, wire::FrameReader &reader,
                        ConnectionMemory &memory);
    // The reply to one frame; never throws.
    QByteArray answer(Session &session, ConnectionMemory &memory, const QByteArray &payload,
                      qint64 pending);
    void reapFinishedWorkers();

    ServerOptions m_options;
    Logger m_log;
    AccountRegistry m_registry;
    ServerContext m_context;
    MemoryBudget m_requestMemory;
    std::unique_ptr<wire::TlsContext> m_tls;
    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    uint16_t m_boundPort = 0;
    std::atomic<uint64_t> m_connections{0}; // ever accepted, for the names in the log
    std::atomic<int> m_active{0};
    // Refusals are logged at most once a second, with the count since the last line.
    int m_unloggedRefusals = 0;
    int64_t m_lastRefusalLog = 0;
    std::mutex m_workersMutex;
    std::list<std::unique_ptr<Worker>> m_workers;
};

} // namespace server
