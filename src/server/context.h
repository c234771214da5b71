// What every session of a server shares: the options it was started with, the account sets,
// the log and the flag that stops running statements when the server shuts down.
#pragma once

#include "auth/loginthrottle.h"
#include "server/log.h"
#include "server/registry.h"

#include <QString>

#include <atomic>
#include <cstdint>

namespace server {

struct ServerOptions
{
    QString dataDir;
    QString listenAddress = QStringLiteral("127.0.0.1");
    uint16_t port = 211;
    int queryTimeoutMs = 120000; // a request's statements are stopped after this long
    int busyTimeoutMs = 30000;   // how long a write waits for other writers
    int frameTimeoutMs = 60000;  // how long a started frame may take to arrive
    // TLS on every connection, with the certificate and key given, or else the server's own
    // (made in the data folder at the first start).
    bool tls = true;
    QString tlsCertificateFile;
    QString tlsKeyFile;
    int handshakeTimeoutMs = 10000; // a client's TLS handshake must end within this
    uint32_t maxFrameSize = 64u * 1024u * 1024u;
    int maxCursors = 64;                      // open cursors per session
    int maxConnections = 256;                 // more are refused with an error reply
    int maxPacketRows = 100000;               // rows of one reply, whatever the client asks for
    qint64 maxPacketBytes = 16 * 1024 * 1024; // a packet ends once its reply reaches this
    // Memory held for requests (frames arriving, requests being read and served, their
    // replies): each connection holds up to connectionAllowance on its own, beyond that all
    // share maxRequestMemory.
    qint64 connectionAllowance = 1024 * 1024;
    qint64 maxRequestMemory = 256 * 1024 * 1024;
    bool synchronousFull = true;
    // Tests only: the process exits at once at the Nth step of transact requests (before each
    // row or statement, before the commit and after it; 0: never), to prove that a request is
    // stored whole or not at all.
    int killAtStatement = 0;
};

struct ServerContext
{
    ServerContext(const ServerOptions &serverOptions, AccountRegistry &accountRegistry,
                  Logger &logger)
        : options(serverOptions)
        , registry(accountRegistry)
        , log(logger)
    {}

    const ServerOptions options;
    AccountRegistry &registry;
    Logger &log;
    std::atomic<bool> stopping{false};
    auth::LoginThrottle loginThrottle;      // failed logins by address
    std::atomic<int> transactStatements{0}; // counted for killAtStatement
};

} // namespace server
