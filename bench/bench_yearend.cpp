// The year-end carry-forward on a scale-1 account set (a million ledger rows, some thirty
// thousand balances), through its window as a user runs it: the snapshot, the server's backup,
// the one request that empties the year and writes the balances back, the compaction. Printed
// beside it, as the baseline, the time the server takes to copy the account set (its backup):
// the whole carry-forward should cost a few backups, not a multiple of the data.
//
//   bench_yearend
#include "benchclient.h"
#include "benchutil.h"
#include "client/admin/dataclear.h"
#include "client/data/serveraccess.h"
#include "client/forms/mdiwindows.h"
#include "client/security/systemfunctionright.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QPushButton>

#include <cmath>
#include <cstdio>

namespace {

double stockTotal()
{
    return QueryValue(QStringLiteral("select sum(SL*Flag) from Inv_ItemList")).toDouble();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vztest::ServerProcess server;
    TData data;
    std::printf("building the scale-1 account set...\n");
    std::fflush(stdout);
    if (!bench::createScaleOneAccountSet(server, QStringLiteral("001"), "bench_yearend"))
        return 1;
    if (!server.start()) {
        std::fprintf(stderr, "bench_yearend: %s\n", qPrintable(server.error()));
        return 1;
    }
    if (!bench::connectAsAdministrator(data, server.address(), QStringLiteral("001"),
                                       "bench_yearend"))
        return 1;
    FuncRight().LoadCompanySettings();

    const int ledgerBefore =
        QueryValue(QStringLiteral("select count(*) from Inv_ItemList")).toInt();
    const double stockBefore = stockTotal();

    auto start = bench::Clock::now();
    const QList<TStockBalance> snapshot = TFrmYearJZ::ReadSnapshot();
    const double snapshotMs = bench::msSince(start);

    start = bench::Clock::now();
    QString accountNo = QStringLiteral("001");
    data.cn().AppServer().BackupData(accountNo);
    const double backupMs = bench::msSince(start);

    auto *form = CreateForm<TFrmYearJZ>();
    SetModeText(form, QStringLiteral("0"));
    QStringList texts;
    start = bench::Clock::now();
    {
        TMessageBoxScript answers{mrYes, mrOk};
        form->RzBitBtn1->click();
        for (const TMessageRequest &request : answers.Requests())
            texts << request.Text;
    }
    const double yearEndMs = bench::msSince(start);
    delete form;

    const int ledgerAfter = QueryValue(QStringLiteral("select count(*) from Inv_ItemList")).toInt();
    const double stockAfter = stockTotal();
    std::printf("ledger rows before %d, balances %lld, ledger rows after %d\n", ledgerBefore,
                qlonglong(snapshot.size()), ledgerAfter);
    std::printf("messages: %s\n", qPrintable(texts.join(QStringLiteral(" | "))));
    std::printf("stock before %.4f, after %.4f: %s\n", stockBefore, stockAfter,
                std::abs(stockBefore - stockAfter) < 1e-6 ? "same" : "DIFFERENT");
    std::printf("snapshot alone:               %9.0f ms\n", snapshotMs);
    std::printf("backup alone (baseline):      %9.0f ms\n", backupMs);
    std::printf("whole year-end from the window: %7.0f ms   %.1f backups\n", yearEndMs,
                yearEndMs / backupMs);
    return texts.contains(QStringLiteral("年末结存成功！")) ? 0 : 1;
}
