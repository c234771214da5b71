// Twenty clerks at once, each a workstation program of their own, entering purchase receipts
// of ten lines through the real form against vzserver on the scale-1 account set: every
// receipt saved (its number drawn inside the save) and audited (posted to the stock ledger).
// Documents per second for the twenty beside one clerk alone, and the numbers drawn again:
// once with every code typed and looked up, once with the lines pre-entered, which leaves the
// saving and auditing the target is about. Three set-ups side by side: the set in its SQLite
// file; the same set in PostgreSQL behind one server; and behind two servers, the clerks
// shared between them.
//
//   bench_clerks [--clerks N] [--documents N] [--sqlite-only]
#include "benchutil.h"
#include "support/pgcluster.h"
#include "support/serverprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr double TargetDocumentsPerSecond = 200;

struct Run
{
    int documents = 0;
    int retries = 0;
    double seconds = 0;
    QSet<QString> numbers;
    bool ok = true;
};

// preEntered: the lines come filled from goods read once, as from a picker, rather than by a
// look-up per typed code; the clerks' work is then the saving and the auditing alone.
Run runClerks(const std::vector<const vztest::ServerProcess *> &servers, int clerks, int documents,
              bool preEntered)
{
    Run run;
    QElapsedTimer timer;
    std::vector<std::unique_ptr<QProcess>> running;
    for (int clerk = 0; clerk < clerks; ++clerk) {
        auto process = std::make_unique<QProcess>();
        process->setProgram(vztest::programPath(QStringLiteral("docclerk")));
        const vztest::ServerProcess &server = *servers[size_t(clerk) % servers.size()];
        QStringList arguments{
            server.address(),          QString::number(documents),       QStringLiteral("10"),
            QStringLiteral("--audit"), QStringLiteral("--late-numbers"), QStringLiteral("--wait")};
        if (preEntered)
            arguments << QStringLiteral("--pre-entered");
        process->setArguments(arguments);
        process->start();
        running.push_back(std::move(process));
    }
    // The clock runs from the moment every clerk has the form open: what is measured is the
    // entering, saving and auditing, not twenty programs starting up.
    for (auto &process : running) {
        while (!process->canReadLine() && process->state() != QProcess::NotRunning)
            process->waitForReadyRead(1000);
        if (process->readLine().trimmed() != "ready") {
            std::fprintf(stderr, "bench_clerks: a clerk did not start: %s\n",
                         process->readAllStandardError().constData());
            run.ok = false;
            return run;
        }
    }
    timer.start();
    for (auto &process : running) {
        process->write("go\n");
        process->waitForBytesWritten(1000);
    }
    for (auto &process : running) {
        if (!process->waitForFinished(600000) || process->exitCode() != 0) {
            std::fprintf(stderr, "bench_clerks: a clerk failed: %s\n",
                         process->readAllStandardError().constData());
            run.ok = false;
        }
        const QString output = QString::fromLocal8Bit(process->readAllStandardOutput());
        for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (line.startsWith(QLatin1String("retries "))) {
                run.retries += line.mid(8).toInt();
            } else {
                run.numbers.insert(line.trimmed());
                ++run.documents;
            }
        }
    }
    run.seconds = timer.elapsed() / 1000.0;
    return run;
}

struct Setup
{
    const char *name;
    std::vector<const vztest::ServerProcess *> servers;
};

// Save-and-audit rate of the clerks on one set-up (0 when it failed), after printing it all.
double measure(const Setup &setup, int clerks, int documents)
{
    std::printf("\n%s:\n", setup.name);
    double savingRate = 0;
    for (const bool preEntered : {false, true}) {
        const Run alone = runClerks(setup.servers, 1, documents, preEntered);
        const Run many = runClerks(setup.servers, clerks, documents, preEntered);
        if (!alone.ok || !many.ok)
            return 0;
        const double aloneRate = alone.documents / alone.seconds;
        const double manyRate = many.documents / many.seconds;
        std::printf("  %s:\n", preEntered ? "lines pre-entered (saving and auditing only)"
                                          : "lines typed code by code (a look-up per line)");
        std::printf("    1 clerk:   %d documents in %.1f s, %.0f documents/s, %d numbers drawn "
                    "again\n",
                    alone.documents, alone.seconds, aloneRate, alone.retries);
        std::printf("    %d clerks: %d documents in %.1f s, %.0f documents/s, %d numbers drawn "
                    "again, %lld duplicate numbers\n",
                    clerks, many.documents, many.seconds, manyRate, many.retries,
                    qlonglong(many.documents - many.numbers.size()));
        bench::reportRatio(preEntered ? "  one clerk's time per saved document vs twenty's"
                                      : "  one clerk's time per typed document vs twenty's",
                           1000.0 / aloneRate, 1000.0 / manyRate, 100.0);
        if (preEntered)
            savingRate = manyRate;
        else
            bench::reportValue("  documents per second, twenty clerks typing", manyRate, "docs/s");
    }
    bench::reportValue("  documents saved and audited per second, twenty clerks", savingRate,
                       "docs/s");
    std::printf("    target: at least %.0f documents/s saved and audited: %s\n",
                TargetDocumentsPerSecond, savingRate >= TargetDocumentsPerSecond ? "ok" : "MISSED");
    return savingRate;
}

bool fail(const QString &why)
{
    std::fprintf(stderr, "bench_clerks: %s\n", qPrintable(why));
    return false;
}

// Account set 001 of the scale-1 demo in a data folder, in its file or in PostgreSQL.
bool createSet(const vztest::ServerProcess &server, const std::string &conninfo = {})
{
    QStringList arguments{QStringLiteral("--create-account"), QStringLiteral("001"),
                          QStringLiteral("--demo-scale"), QStringLiteral("1")};
    if (!conninfo.empty())
        arguments << QStringLiteral("--engine") << QStringLiteral("postgresql")
                  << QStringLiteral("--pg") << QString::fromStdString(conninfo);
    QString output;
    return server.runTool(arguments, &output) == 0 || fail(output);
}

bool attachSet(const vztest::ServerProcess &server, const std::string &conninfo)
{
    QString output;
    return server.runTool({QStringLiteral("--attach-account"), QStringLiteral("001"),
                           QStringLiteral("--pg"), QString::fromStdString(conninfo)},
                          &output) == 0 ||
           fail(output);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int clerks = 20;
    int documents = 100;
    bool sqliteOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sqlite-only") == 0)
            sqliteOnly = true;
        else if (i + 1 < argc && std::strcmp(argv[i], "--clerks") == 0)
            clerks = std::max(1, std::atoi(argv[++i]));
        else if (i + 1 < argc && std::strcmp(argv[i], "--documents") == 0)
            documents = std::max(1, std::atoi(argv[++i]));
    }
    std::printf("building the scale-1 account sets...\n");
    std::fflush(stdout);
    vztest::ServerProcess onFile;
    if (!createSet(onFile) || !(onFile.start() || fail(onFile.error())))
        return 1;
    std::printf("save and audit of 10-line receipts, each clerk a program of its own\n");
    const double fileRate = measure({"SQLite file, one server", {&onFile}}, clerks, documents);
    onFile.stop();
    if (sqliteOnly)
        return fileRate > 0 ? 0 : 1;

    vztest::ServerProcess first;
    vztest::ServerProcess second;
    std::string conninfo;
    try {
        conninfo = testsupport::PgCluster::shared().createDatabase();
    } catch (const std::exception &error) {
        fail(QString::fromUtf8(error.what()));
        return 1;
    }
    if (!createSet(first, conninfo) || !attachSet(second, conninfo) ||
        !(first.start() || fail(first.error())) || !(second.start() || fail(second.error())))
        return 1;
    const double oneServer = measure({"PostgreSQL, one server", {&first}}, clerks, documents);
    const double twoServers = measure(
        {"PostgreSQL, two servers sharing the clerks", {&first, &second}}, clerks, documents);
    if (fileRate <= 0 || oneServer <= 0 || twoServers <= 0)
        return 1;
    std::printf("\nside by side, documents saved and audited per second by twenty clerks:\n");
    std::printf("  SQLite file: %.0f; PostgreSQL, one server: %.0f; two servers: %.0f\n", fileRate,
                oneServer, twoServers);
    std::printf("  two servers vs one in front of PostgreSQL: x%.2f\n", twoServers / oneServer);
    std::printf("  PostgreSQL (one server) vs the SQLite file: x%.2f\n", oneServer / fileRate);
    return 0;
}
