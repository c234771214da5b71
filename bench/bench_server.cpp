// The server measured through the protocol on loopback, each figure beside its in-process
// SQLite baseline: a one-row open, a 100,000-row open in packets of 2000, twenty clients
// saving at once, and twenty clients' throughput beside fifty hostile connections against the
// same clients alone.
#include "benchutil.h"
#include "server/server.h"
#include "wire/client.h"
#include "wire/frame.h"
#include "wire/socket.h"

#include <QCborMap>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QVariant columnValue(sqlite3_stmt *stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    default:
        return {};
    }
}

// The baseline: the same rows read in-process into the same row lists the client ends with.
QList<wire::Row> readInProcess(sqlite3 *db, const char *query)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, query, -1, &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    QList<wire::Row> rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        wire::Row row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.append(columnValue(stmt, c));
        rows.append(std::move(row));
    }
    sqlite3_finalize(stmt);
    return rows;
}

std::unique_ptr<wire::Client> connectClient(quint16 port)
{
    auto client = std::make_unique<wire::Client>();
    client->setTls(false);
    client->connect(QStringLiteral("127.0.0.1"), port);
    client->hello();
    QString no = QStringLiteral("001");
    client->connectAct(0, no);
    client->login(QStringLiteral("SYS"), QString());
    return client;
}

void createData(wire::Client &client)
{
    QString columns = QStringLiteral("ID integer primary key");
    for (int c = 1; c < 20; ++c) {
        const char *type = c % 4 == 0   ? "date"
                           : c % 4 == 1 ? "varchar(40)"
                           : c % 4 == 2 ? "float"
                                        : "int";
        columns += QStringLiteral(", C%1 %2").arg(c).arg(QLatin1String(type));
    }
    client.execute(QStringLiteral("create table B (%1)").arg(columns));
    client.execute(QStringLiteral("create table T (ID integer primary key, BH varchar(20), PM "
                                  "varchar(50), SL float)"));
    client.execute(QStringLiteral("insert into T values (1, 'A001', '螺丝', 1.5)"));
    client.execute(
        QStringLiteral("create table BenchLines (ID integer primary key, ZBID int, HPID int, "
                       "SL float, DJ float, JE float)"));
    constexpr int rows = 100000, perApply = 5000;
    for (int first = 1; first <= rows; first += perApply) {
        QList<wire::Change> changes;
        for (int id = first; id < first + perApply; ++id) {
            QVariantMap values{{QStringLiteral("ID"), id}};
            for (int c = 1; c < 20; ++c) {
                QVariant v;
                switch (c % 4) {
                case 0:
                    v = QDate(2024, 1, 1).addDays(id % 365);
                    break;
                case 1:
                    v = QStringLiteral("商品名称%1-%2").arg(id).arg(c);
                    break;
                case 2:
                    v = id * 0.25 + c;
                    break;
                default:
                    v = id + c;
                }
                values.insert(QStringLiteral("C%1").arg(c), v);
            }
            changes.append({wire::ChangeKind::Insert, {}, values});
        }
        client.apply(QStringLiteral("pB"), {}, 0, changes);
    }
}

// Connections that only cost the server: half of each stalled frame sent, or garbage frames
// sent on and on without a reply ever read.
class HostileLoad
{
public:
    HostileLoad(quint16 port, int connections)
    {
        // Payloads that are no CBOR, and well-formed requests of operations that do not exist.
        QCborMap unknown;
        unknown[QStringLiteral("id")] = 1;
        unknown[QStringLiteral("op")] = QStringLiteral("dance");
        const QByteArray garbage =
            (QByteArray::fromHex("00000004deadbeef") + wire::encodeFrame(unknown)).repeated(500);
        QByteArray halfFrame = QByteArray::fromHex("00100000"); // announces 1 MiB
        halfFrame += QByteArray(512 * 1024, 'x');
        for (int i = 0; i < connections; ++i) {
            QString error;
            const int fd = wire::connectTcp(QStringLiteral("127.0.0.1"), port, 5000, &error);
            if (fd < 0)
                continue;
            m_sockets.push_back(fd);
            if (i % 2 == 0) {
                wire::sendAll(fd, halfFrame);
                continue;
            }
            // The server answers each with an error nobody reads, until its replies back up
            // and this sender waits on it.
            m_threads.emplace_back([this, fd, garbage] {
                while (!m_stop && wire::sendAll(fd, garbage)) {
                }
            });
        }
    }
    ~HostileLoad()
    {
        m_stop = true;
        for (int fd : m_sockets)
            ::shutdown(fd, SHUT_RDWR);
        for (std::thread &thread : m_threads)
            thread.join();
        for (int fd : m_sockets)
            ::close(fd);
    }

private:
    std::atomic<bool> m_stop{false};
    std::vector<int> m_sockets;
    std::vector<std::thread> m_threads;
};

// Requests per second of twenty clients each running one-row opens.
double wellBehavedThroughput(quint16 port)
{
    constexpr int clients = 20, requests = 300;
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (int t = 0; t < clients; ++t) {
        threads.emplace_back([port] {
            auto c = connectClient(port);
            for (int i = 0; i < requests; ++i)
                c->open(QStringLiteral("pT"), QStringLiteral("select * from T where ID = 1"));
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    return clients * requests / (msSince(start) / 1000.0);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dataDir;
    server::ServerOptions options;
    options.dataDir = dataDir.path();
    options.port = 0;
    // The figures are the server's own; what TLS adds is measured by bench_wire, and the
    // hostile load below speaks the plain protocol.
    options.tls = false;
    server::Server server(options);
    server.registry().create({{}, QStringLiteral("001"), QStringLiteral("bench"), {}}, {});
    QString error;
    if (!server.listen(&error)) {
        std::fprintf(stderr, "bench_server: %s\n", qPrintable(error));
        return 1;
    }
    std::thread serving([&] { server.run(); });
    const quint16 port = server.port();
    auto client = connectClient(port);
    createData(*client);

    sqlite3 *db = nullptr;
    sqlite3_open_v2((dataDir.path() + QStringLiteral("/001/VzData.db")).toUtf8().constData(), &db,
                    SQLITE_OPEN_READONLY, nullptr);

    // 1. One-row open round trip.
    {
        const QString text = QStringLiteral("select * from T where ID = 1");
        std::vector<double> times;
        for (int i = 0; i < 3000; ++i) {
            const auto start = Clock::now();
            client->open(QStringLiteral("pT"), text);
            times.push_back(msSince(start));
        }
        std::sort(times.begin(), times.end());
        std::vector<double> local;
        for (int i = 0; i < 3000; ++i) {
            const auto start = Clock::now();
            readInProcess(db, "select * from T where ID = 1");
            local.push_back(msSince(start));
        }
        std::sort(local.begin(), local.end());
        bench::reportValue("server: one-row open round trip p50", times[times.size() / 2], "ms",
                           0.2);
        bench::reportValue("server: one-row open round trip p99", times[times.size() * 99 / 100],
                           "ms");
        std::printf("%-48s subject %9.3f ms  baseline %9.3f ms  ratio %6.2f  (no target)\n",
                    "server: one-row open vs in-process query (p50)", times[times.size() / 2],
                    local[local.size() / 2], times[times.size() / 2] / local[local.size() / 2]);
    }

    // 2. 100,000 rows x 20 columns in packets of 2000.
    {
        size_t received = 0;
        const double subject = bench::medianMs(
            [&] {
                wire::OpenResult result = client->open(QStringLiteral("pB"), {}, 2000);
                client->fetchAll(result);
                received = size_t(result.rows.size());
            },
            3);
        size_t local = 0;
        const double baseline = bench::medianMs(
            [&] { local = size_t(readInProcess(db, "select * from B").size()); }, 3);
        if (received != 100000 || local != 100000)
            std::printf("server: WRONG ROW COUNT %zu / %zu\n", received, local);
        bench::reportRatio("server: open 100k x 20 in packets vs in-process", subject, baseline,
                           3.0);

        // The same rows handed value by value to a reader's own storage (no QVariant).
        struct CountingSink : wire::RowSink
        {
            size_t rows = 0, bytes = 0;
            void beginRow() override {}
            void setNull(int) override {}
            void setInteger(int, qint64) override {}
            void setFloat(int, double) override {}
            void setBoolean(int, bool) override {}
            void setText(int, const char *, qsizetype size) override { bytes += size_t(size); }
            void setDate(int, QDate) override {}
            void setDateTime(int, const QDateTime &) override {}
            void setBlob(int, const QByteArray &) override {}
            void endRow() override { ++rows; }
        } sink;
        const double streamed = bench::medianMs(
            [&] {
                wire::OpenResult result = client->open(QStringLiteral("pB"), {}, 2000, &sink);
                while (!result.eof())
                    result.cursor = client->fetch(result.cursor, 0, &sink).cursor;
            },
            3);
        bench::reportRatio("server: the same into a row sink vs in-process", streamed, baseline,
                           3.0);
    }

    // 3. Twenty clients applying 1,000 small change sets each.
    {
        constexpr int clients = 20, sets = 1000, lines = 3;
        std::atomic<int> failed{0};
        const auto start = Clock::now();
        std::vector<std::thread> threads;
        for (int t = 0; t < clients; ++t) {
            threads.emplace_back([&, t] {
                auto c = connectClient(port);
                for (int s = 0; s < sets; ++s) {
                    QList<wire::Change> changes;
                    for (int l = 0; l < lines; ++l) {
                        const int id = (t * sets + s) * lines + l + 1;
                        changes.append({wire::ChangeKind::Insert,
                                        {},
                                        {{QStringLiteral("ID"), id},
                                         {QStringLiteral("ZBID"), t * sets + s},
                                         {QStringLiteral("HPID"), l},
                                         {QStringLiteral("SL"), 2.0},
                                         {QStringLiteral("DJ"), 3.5},
                                         {QStringLiteral("JE"), 7.0}}});
                    }
                    const wire::ApplyResult result =
                        c->apply(QStringLiteral("pBenchLines"), {}, 0, changes);
                    if (!result.errors.isEmpty())
                        ++failed;
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        const double elapsed = msSince(start);
        const qint64 stored =
            client->open(QStringLiteral("pTmp"), QStringLiteral("select count(*) from BenchLines"))
                .rows.first()
                .first()
                .toLongLong();
        bench::reportValue("server: 20 clients x 1000 change sets, sets/s",
                           clients * sets / (elapsed / 1000.0), "sets/s");
        std::printf("%-48s %s (%lld of %d rows stored, %d sets refused)\n",
                    "server: concurrent saves lost nothing",
                    stored == clients * sets * lines && failed == 0 ? "ok" : "MISSED",
                    static_cast<long long>(stored), clients * sets * lines, int(failed));
    }

    // 4. The same well-behaved clients beside fifty hostile connections, and alone; rounds
    // alternate so that both see the same machine.
    {
        std::vector<double> alone, beside;
        for (int round = 0; round < 3; ++round) {
            alone.push_back(wellBehavedThroughput(port));
            HostileLoad hostile(port, 50);
            beside.push_back(wellBehavedThroughput(port));
        }
        std::sort(alone.begin(), alone.end());
        std::sort(beside.begin(), beside.end());
        const double subject = beside[1], baseline = alone[1], ratio = subject / baseline;
        std::printf("%-48s subject %9.0f req/s  baseline %9.0f req/s  ratio %6.2f  (target >= "
                    "0.80) %s\n",
                    "server: 20 clients beside 50 hostile vs alone", subject, baseline, ratio,
                    ratio >= 0.8 ? "ok" : "MISSED");
        std::fflush(stdout);
    }

    sqlite3_close(db);
    client.reset();
    server.stop();
    serving.join();
    return 0;
}
