// A document stored through a real vzserver as one atomic request (its lines, its header and
// the number counter's compare-and-set) beside the same stored as it was before: two change
// logs and a statement in three requests, each its own transaction. Prints the times, their
// ratio and the server round trips of each.
#include "benchutil.h"
#include "client/core/session.h"
#include "client/data/atomicrequest.h"
#include "client/data/clientdataset.h"
#include "client/data/socketconnection.h"
#include "support/serverprocess.h"

#include <QCoreApplication>
#include <QDate>

#include <cstdio>
#include <memory>

namespace {

constexpr int Lines = 500;
constexpr int Repetitions = 9;

std::unique_ptr<TClientDataSet> openEmpty(TSocketConnection &cn, const QString &table)
{
    auto ds = std::make_unique<TClientDataSet>();
    ds->SetRemoteServer(&cn);
    ds->SetProviderName(QStringLiteral("p") + table);
    ds->SetCommandText(QStringLiteral("select * from %1 where 1 = 2").arg(table));
    ds->Open();
    return ds;
}

// A document of Lines lines with the given header ID, entered into fresh datasets.
struct Document
{
    std::unique_ptr<TClientDataSet> header;
    std::unique_ptr<TClientDataSet> lines;
    QString counterStep;
};

Document enter(TSocketConnection &cn, int id)
{
    Document doc{
        openEmpty(cn, QStringLiteral("CGSHZB")), openEmpty(cn, QStringLiteral("CGSH")), {}};
    const QString number = QStringLiteral("CS202403%1").arg(id, 4, 10, QLatin1Char('0'));
    for (int i = 1; i <= Lines; ++i) {
        doc.lines->Append();
        doc.lines->FieldByName(QStringLiteral("ZBID"))->SetAsInteger(id);
        doc.lines->FieldByName(QStringLiteral("HH"))->SetAsInteger(i);
        doc.lines->FieldByName(QStringLiteral("DJBH"))->SetAsString(number);
        doc.lines->FieldByName(QStringLiteral("HPID"))->SetAsInteger(i);
        doc.lines->FieldByName(QStringLiteral("SL"))->SetAsFloat(i % 7 + 1);
        doc.lines->FieldByName(QStringLiteral("DJ"))->SetAsFloat(12.5);
        doc.lines->FieldByName(QStringLiteral("RECID"))
            ->SetAsString(QStringLiteral("20240301120000_%1").arg(i));
        doc.lines->Post();
    }
    doc.header->Append();
    doc.header->FieldByName(QStringLiteral("ID"))->SetAsInteger(id);
    doc.header->FieldByName(QStringLiteral("DJBH"))->SetAsString(number);
    doc.header->FieldByName(QStringLiteral("RQ"))->SetAsDateTime(QDateTime(QDate(2024, 3, 1), {}));
    doc.header->Post();
    doc.counterStep = QStringLiteral("update MaxBillNo set MaxNo = %1 where TableName = "
                                     "'CS202403' and MaxNo = %2")
                          .arg(id + 1)
                          .arg(id);
    return doc;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    vztest::ServerProcess server;
    if (!server.createAccount(QStringLiteral("001")) || !server.start()) {
        std::fprintf(stderr, "bench_atomic: %s\n", qPrintable(server.error()));
        return 1;
    }
    TSocketConnection cn(QStringLiteral("ZezU.datas"));
    cn.SetHost(server.address());
    CurUserCode = QStringLiteral("SYS"); // the connection logs SYS in
    QString accountNo = QStringLiteral("001");
    if (cn.AppServer().ConnectAct(0, accountNo)) {
        std::fprintf(stderr, "bench_atomic: the account set was refused\n");
        return 1;
    }
    cn.ExecuteCommand({}, QStringLiteral("insert into MaxBillNo (TableName, MaxNo) values "
                                         "('CS202403', 1)"));

    int nextId = 1;
    int atomicRequests = 0;
    int separateRequests = 0;
    bool failed = false;
    // Entering the document is not measured: each repetition stores a new one.
    std::vector<Document> documents;
    const auto prepare = [&](int count) {
        documents.clear();
        for (int i = 0; i < count; ++i)
            documents.push_back(enter(cn, nextId++));
    };

    prepare(Repetitions);
    size_t next = 0;
    const double atomic = bench::medianMs(
        [&] {
            Document &doc = documents[next++];
            const int before = cn.RequestCount();
            TAtomicRequest request;
            request.Apply(*doc.lines).Apply(*doc.header).Execute(doc.counterStep, 1);
            const TAtomicResult result = request.Send();
            atomicRequests = cn.RequestCount() - before;
            if (!result.Ok) {
                std::fprintf(stderr, "bench_atomic: %s\n", qPrintable(result.Text()));
                failed = true;
            }
        },
        Repetitions);

    prepare(Repetitions);
    next = 0;
    const double separate = bench::medianMs(
        [&] {
            Document &doc = documents[next++];
            const int before = cn.RequestCount();
            const int refused = doc.lines->ApplyUpdates(0) + doc.header->ApplyUpdates(0);
            const int moved = cn.ExecuteCommand({}, doc.counterStep);
            separateRequests = cn.RequestCount() - before;
            if (refused != 0 || moved != 1) {
                std::fprintf(stderr, "bench_atomic: the separate store failed\n");
                failed = true;
            }
        },
        Repetitions);

    bench::reportRatio("atomic: store a 500-line document, one request vs three", atomic, separate,
                       1.3);
    bench::reportValue("atomic: server round trips, one atomic request", atomicRequests, "requests",
                       1);
    bench::reportValue("atomic: server round trips, separate requests", separateRequests,
                       "requests");
    return failed ? 1 : 0;
}
