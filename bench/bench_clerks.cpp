// Twenty clerks at once, each a workstation program of their own, entering purchase receipts
// of ten lines through the real form against one vzserver on the scale-1 account set: every
// receipt saved (its number drawn inside the save) and audited (posted to the stock ledger).
// Documents per second for the twenty beside one clerk alone, and the numbers drawn again:
// once with every code typed and looked up, once with the lines pre-entered, which leaves the
// saving and auditing the target is about.
//
//   bench_clerks [--clerks N] [--documents N]
#include "benchutil.h"
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
Run runClerks(const vztest::ServerProcess &server, int clerks, int documents, bool preEntered)
{
    Run run;
    QElapsedTimer timer;
    std::vector<std::unique_ptr<QProcess>> running;
    for (int clerk = 0; clerk < clerks; ++clerk) {
        auto process = std::make_unique<QProcess>();
        process->setProgram(vztest::programPath(QStringLiteral("docclerk")));
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int clerks = 20;
    int documents = 100;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--clerks") == 0)
            clerks = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--documents") == 0)
            documents = std::max(1, std::atoi(argv[++i]));
    }
    vztest::ServerProcess server;
    std::printf("building the scale-1 account set...\n");
    std::fflush(stdout);
    QString output;
    if (server.runTool({QStringLiteral("--create-account"), QStringLiteral("001"),
                        QStringLiteral("--demo-scale"), QStringLiteral("1")},
                       &output) != 0) {
        std::fprintf(stderr, "bench_clerks: %s\n", qPrintable(output));
        return 1;
    }
    if (!server.start()) {
        std::fprintf(stderr, "bench_clerks: %s\n", qPrintable(server.error()));
        return 1;
    }
    std::printf("save and audit of 10-line receipts, each clerk a program of its own:\n");
    bool ok = true;
    double savingRate = 0;
    for (const bool preEntered : {false, true}) {
        const Run alone = runClerks(server, 1, documents, preEntered);
        const Run many = runClerks(server, clerks, documents, preEntered);
        if (!alone.ok || !many.ok) {
            ok = false;
            continue;
        }
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
        bench::reportRatio(preEntered ? "one clerk's time per saved document vs twenty's"
                                      : "one clerk's time per typed document vs twenty's",
                           1000.0 / aloneRate, 1000.0 / manyRate, 100.0);
        if (preEntered)
            savingRate = manyRate;
        else
            bench::reportValue("documents per second, twenty clerks typing", manyRate, "docs/s");
    }
    if (!ok)
        return 1;
    bench::reportValue("documents saved and audited per second, twenty clerks", savingRate,
                       "docs/s");
    std::printf("    target: at least %.0f documents/s saved and audited: %s\n",
                TargetDocumentsPerSecond, savingRate >= TargetDocumentsPerSecond ? "ok" : "MISSED");
    return 0;
}
