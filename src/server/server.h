// The application server: accepts TCP connections and serves each on its own thread.
#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace server {

struct ServerOptions
{
    QString dataDir;
    QString listenAddress = QStringLiteral("127.0.0.1");
    uint16_t port = 211;
};

class Server
{
public:
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

private:
    struct Worker
    {
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void serveConnection(int fd);
    void reapFinishedWorkers();

    ServerOptions m_options;
    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    uint16_t m_boundPort = 0;
    std::mutex m_workersMutex;
    std::list<std::unique_ptr<Worker>> m_workers;
};

} // namespace server
