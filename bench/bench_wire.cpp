// The wire's own costs: framing a packet of 2000 rows against encoding the same CBOR value
// alone; and, through a real server on loopback, the round trip of a small request and the
// cost of connecting with TLS, each beside the same without TLS.
#include "benchutil.h"
#include "server/server.h"
#include "wire/client.h"
#include "wire/frame.h"

#include <QCborArray>
#include <QCborValue>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A server in this process on a free port, with or without TLS.
class LoopbackServer
{
public:
    explicit LoopbackServer(bool tls)
    {
        server::ServerOptions options;
        options.dataDir = m_dataDir.path();
        options.port = 0;
        options.tls = tls;
        m_server = std::make_unique<server::Server>(options);
        QString error;
        if (!m_server->listen(&error)) {
            std::fprintf(stderr, "bench_wire: %s\n", qPrintable(error));
            std::exit(1);
        }
        m_thread = std::thread([this] { m_server->run(); });
    }
    ~LoopbackServer()
    {
        m_server->stop();
        m_thread.join();
    }

    std::unique_ptr<wire::Client> connect(bool tls) const
    {
        auto client = std::make_unique<wire::Client>();
        client->setTls(tls);
        client->connect(QStringLiteral("127.0.0.1"), m_server->port());
        return client;
    }

private:
    QTemporaryDir m_dataDir;
    std::unique_ptr<server::Server> m_server;
    std::thread m_thread;
};

void framing()
{
    QCborArray rows;
    for (int r = 0; r < 2000; ++r) {
        QCborArray row;
        for (int c = 0; c < 20; ++c)
            row.append(c % 2 ? QCborValue(r * 1.5 + c)
                             : QCborValue(QStringLiteral("商品%1").arg(r)));
        rows.append(row);
    }
    QCborMap packet;
    packet[QStringLiteral("rows")] = rows;

    const double baseline = bench::medianMs([&] {
        for (int i = 0; i < 20; ++i)
            (void)QCborValue(packet).toCbor();
    });
    const double subject = bench::medianMs([&] {
        for (int i = 0; i < 20; ++i) {
            wire::FrameReader reader;
            reader.append(wire::encodeFrame(packet));
            QCborMap decoded;
            reader.next(decoded);
        }
    });
    bench::reportRatio("wire: frame encode+decode vs CBOR encode", subject, baseline, 4.0);
}

// The servers log every connection to standard error, which would bury the figures.
class QuietStandardError
{
public:
    QuietStandardError()
        : m_saved(::dup(STDERR_FILENO))
    {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    ~QuietStandardError()
    {
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    QuietStandardError(const QuietStandardError &) = delete;
    QuietStandardError &operator=(const QuietStandardError &) = delete;

private:
    int m_saved;
};

double millisecondsOf(const std::function<void()> &step)
{
    const auto start = bench::Clock::now();
    step();
    return bench::msSince(start);
}

void transport()
{
    double tlsTrip = 0, plainTrip = 0, tlsConnect = 0, plainConnect = 0;
    {
        const QuietStandardError quiet;
        const LoopbackServer encrypted(true);
        const LoopbackServer plain(false);

        // A small request answered at once: what TLS adds to every call the client makes.
        // Batches of both kinds take turns, so that a busy machine slows both alike.
        constexpr int batches = 200, batch = 50;
        const auto tlsClient = encrypted.connect(true);
        const auto plainClient = plain.connect(false);
        std::vector<double> tlsTimes, plainTimes;
        const auto requests = [](wire::Client &client) {
            return [&client] {
                for (int i = 0; i < batch; ++i)
                    client.hello();
            };
        };
        for (int b = 0; b < batches; ++b) {
            tlsTimes.push_back(millisecondsOf(requests(*tlsClient)) / batch);
            plainTimes.push_back(millisecondsOf(requests(*plainClient)) / batch);
        }
        tlsTrip = bench::percentile(tlsTimes, 0.5);
        plainTrip = bench::percentile(plainTimes, 0.5);

        // Connecting: TCP, the handshake (a P-256 key exchange and signature) and a first
        // request, in turns as well.
        constexpr int connects = 300;
        tlsTimes.clear();
        plainTimes.clear();
        for (int i = 0; i < connects; ++i) {
            tlsTimes.push_back(millisecondsOf([&] { encrypted.connect(true)->hello(); }));
            plainTimes.push_back(millisecondsOf([&] { plain.connect(false)->hello(); }));
        }
        tlsConnect = bench::percentile(tlsTimes, 0.5);
        plainConnect = bench::percentile(plainTimes, 0.5);
    }
    bench::reportRatio("wire: small request round trip, TLS vs plain", tlsTrip, plainTrip, 1.5);
    bench::reportValue("wire: small request round trip over TLS", tlsTrip * 1000, "us");
    bench::reportValue("wire: small request round trip without TLS", plainTrip * 1000, "us");
    bench::reportRatio("wire: connect + first request, TLS vs plain", tlsConnect, plainConnect,
                       20.0);
    bench::reportValue("wire: connect + first request over TLS", tlsConnect, "ms", 5.0);
    bench::reportValue("wire: connect + first request without TLS", plainConnect, "ms");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    framing();
    transport();
    return 0;
}
