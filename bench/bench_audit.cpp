// Auditing a stored document through a real vzserver on the scale-1 account set: a purchase
// receipt of 500 lines raised to its final level, which posts its 500 stock-ledger rows, and
// returned to draft, which removes them; beside the same for 5 lines, with the server round
// trips each takes (one: the status change and the ledger rows go together).
//
//   bench_audit [--runs N]
#include "benchclient.h"
#include "benchutil.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/documents/purin.h"
#include "client/forms/globalobj.h"
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

constexpr double TargetMs = 100;

int QueryValueCount(int id)
{
    return QueryValue(
               QStringLiteral("select count(*) from Inv_ItemList where DJBH = 'CS%1'").arg(id))
        .toInt();
}

// The receipt form with its audit reachable without the confirmation.
class TAuditedReceipt : public TfrmPurIn
{
public:
    bool Audit() { return AuditBill(true); }
    void UnAudit()
    {
        TMessageBoxScript yes{mrYes};
        aUnAuditExecute();
    }
};

struct Timing
{
    std::vector<double> audit, unaudit;
    qint64 auditRequests = 0, unauditRequests = 0;
};

Timing measure(int id, int lines, int runs)
{
    TData &data = Data();
    TClientDataSet &header = data.Cgshzb();
    header.Close();
    header.SetCommandText(
        TfrmPurIn::HeaderQuery(QStringLiteral(" where Z.ID = ") + QString::number(id)));
    header.Open();
    QPointer<TAuditedReceipt> form = CreateForm<TAuditedReceipt>();
    form->FOpenMode = QStringLiteral("M");
    form->FSingleBill = true;
    form->show();
    QApplication::processEvents();
    Timing timing;
    for (int run = 0; run < runs; ++run) {
        qint64 before = data.cn().RequestCount();
        auto start = Clock::now();
        if (!form->Audit()) {
            std::fprintf(stderr, "bench_audit: the audit failed\n");
            std::exit(1);
        }
        timing.audit.push_back(msSince(start));
        timing.auditRequests = data.cn().RequestCount() - before;
        const int posted = QueryValueCount(id);
        if (posted != lines) {
            std::fprintf(stderr, "bench_audit: %d ledger rows instead of %d\n", posted, lines);
            std::exit(1);
        }
        before = data.cn().RequestCount();
        start = Clock::now();
        form->UnAudit();
        timing.unaudit.push_back(msSince(start));
        timing.unauditRequests = data.cn().RequestCount() - before;
    }
    form->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return timing;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = bench::runsArgument(argc, argv, 20);
    vztest::ServerProcess server;
    TData data;
    if (!bench::startWithReceipts(server, data, "bench_audit"))
        return 1;
    FuncRight().AuditNum = 1;
    TMessageBoxScript noBoxes;

    const Timing large = measure(bench::LargeReceipt, 500, runs);
    const Timing small = measure(bench::SmallReceipt, 5, runs);
    std::printf("audit (post) and un-audit of a stored purchase receipt (%d runs each):\n", runs);
    std::printf(
        "    500 lines: audit p50 %.1f ms, p95 %.1f ms, %lld round trips; un-audit p50 %.1f ms, "
        "%lld round trips\n",
        percentile(large.audit, 0.5), percentile(large.audit, 0.95), large.auditRequests,
        percentile(large.unaudit, 0.5), large.unauditRequests);
    std::printf(
        "    5 lines:   audit p50 %.1f ms, p95 %.1f ms, %lld round trips; un-audit p50 %.1f ms, "
        "%lld round trips\n",
        percentile(small.audit, 0.5), percentile(small.audit, 0.95), small.auditRequests,
        percentile(small.unaudit, 0.5), small.unauditRequests);
    // A hundred times the lines may cost up to a hundred times: the per-line work stays linear.
    bench::reportRatio("500-line vs 5-line audit p50", percentile(large.audit, 0.5),
                       percentile(small.audit, 0.5), 100.0);
    bench::reportRatio("audit round trips 500 vs 5 lines", double(large.auditRequests),
                       double(small.auditRequests), 1.0);
    bench::reportValue("500-line audit p95", percentile(large.audit, 0.95), "ms", TargetMs);
    return 0;
}
