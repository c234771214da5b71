// The application server: accepts TCP connections and serves each on its own thread with its
// own session, so that a slow query of one client never stalls another.
#pragma once

#include "server/context.h"
#include "server/log.h"
#include "server/registry.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace server {

class Server
{
public:
    // Opens the registry of the data folder; throws sql::Error when it cannot.
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

private:
    struct Worker
    {
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void serveConnection(int fd, const QString &name);
    void reapFinishedWorkers();

    ServerOptions m_options;
    Logger m_log;
    AccountRegistry m_registry;
    ServerContext m_context;
    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    uint16_t m_boundPort = 0;
    std::atomic<uint64_t> m_connections{0};
    std::mutex m_workersMutex;
    std::list<std::unique_ptr<Worker>> m_workers;
};

} // namespace server
