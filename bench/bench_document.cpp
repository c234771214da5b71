// Opening a stored document in the document form through a real vzserver on the scale-1
// account set: a purchase receipt of 500 lines beside one of 5, from selecting its header to
// the form shown with its lines painted, with the server round trips each opening takes (a
// constant, not one per line).
//
//   bench_document [--runs N]
#include "benchclient.h"
#include "benchutil.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/socketconnection.h"
#include "client/documents/purin.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"
#include "sql/database.h"
#include "support/serverprocess.h"

#include <QApplication>
#include <QPointer>

#include <algorithm>
#include <chrono>

namespace {

using bench::Clock;
using bench::msSince;
using bench::percentile;

constexpr double TargetMs = 200;

struct Opening
{
    double ms = 0;
    qint64 requests = 0;
};

Opening openOnce(int id, int expectedLines)
{
    TData &data = Data();
    const qint64 before = data.cn().RequestCount();
    const auto start = Clock::now();
    TClientDataSet &header = data.Cgshzb();
    header.Close();
    header.SetCommandText(
        TfrmPurIn::HeaderQuery(QStringLiteral(" where Z.ID = ") + QString::number(id)));
    header.Open();
    QPointer<TfrmPurIn> form = CreateForm<TfrmPurIn>();
    form->FOpenMode = QStringLiteral("M");
    form->FSingleBill = true;
    form->resize(1200, 800);
    form->show();
    QApplication::processEvents(); // the grid lays out and paints its rows
    Opening result{msSince(start), data.cn().RequestCount() - before};
    if (form->MxDataSet()->RecordCount() != expectedLines) {
        std::fprintf(stderr, "bench_document: %d lines instead of %d\n",
                     form->MxDataSet()->RecordCount(), expectedLines);
        std::exit(1);
    }
    form->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = bench::runsArgument(argc, argv, 30);
    vztest::ServerProcess server;
    TData data;
    if (!bench::startWithReceipts(server, data, "bench_document"))
        return 1;
    TMessageBoxScript noBoxes;

    openOnce(bench::LargeReceipt, 500); // connections warm, translations cached
    std::vector<double> large, small;
    qint64 largeRequests = 0, smallRequests = 0;
    for (int run = 0; run < runs; ++run) {
        const Opening big = openOnce(bench::LargeReceipt, 500);
        const Opening little = openOnce(bench::SmallReceipt, 5);
        large.push_back(big.ms);
        small.push_back(little.ms);
        largeRequests = big.requests;
        smallRequests = little.requests;
    }
    if (noBoxes.Count() > 0) {
        std::fprintf(stderr, "bench_document: unexpected message \"%s\"\n",
                     qPrintable(noBoxes.Last().Text));
        return 1;
    }
    std::printf("open a stored purchase receipt into the form (%d runs):\n", runs);
    std::printf("    500 lines: p50 %.1f ms, p95 %.1f ms, %lld server round trips\n",
                percentile(large, 0.5), percentile(large, 0.95), largeRequests);
    std::printf("    5 lines:   p50 %.1f ms, p95 %.1f ms, %lld server round trips\n",
                percentile(small, 0.5), percentile(small, 0.95), smallRequests);
    bench::reportRatio("500-line vs 5-line opening p50", percentile(large, 0.5),
                       percentile(small, 0.5), 3.0);
    bench::reportRatio("round trips 500 vs 5 lines", double(largeRequests), double(smallRequests),
                       1.0);
    bench::reportValue("500-line opening p95", percentile(large, 0.95), "ms", TargetMs);
    return 0;
}
