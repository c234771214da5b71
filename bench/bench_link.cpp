// The server link measured against a real vzserver process, each figure beside its
// in-process SQLite baseline from the same run:
//  - 100,000 rows x 20 columns opened through the server into a client dataset in packets
//    of 2000 and walked with field access, against reading the same rows from the account
//    set's database file in-process; the memory the dataset holds against the same data
//    as CSV;
//  - 10,000 edits posted into one change log and applied through the server, per change,
//    beside the same updates run in-process as prepared statements.
#include "benchtable.h"
#include "benchutil.h"
#include "client/core/session.h"
#include "client/data/clientdataset.h"
#include "client/data/socketconnection.h"
#include "sql/database.h"
#include "support/serverprocess.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <random>
#include <vector>

namespace {

using namespace benchtable;

constexpr int Rows = 100000;
constexpr int Edits = 10000;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::unique_ptr<TClientDataSet> openBench(TSocketConnection &cn)
{
    auto ds = std::make_unique<TClientDataSet>(QStringLiteral("BENCH"));
    ds->SetRemoteServer(&cn);
    ds->SetProviderName(QStringLiteral("pBENCH"));
    ds->SetPacketRecords(2000);
    ds->Open();
    return ds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    vztest::ServerProcess server;
    if (!server.createAccount(QStringLiteral("001"))) {
        std::fprintf(stderr, "bench_link: %s\n", qPrintable(server.error()));
        return 1;
    }
    const std::string file =
        QDir(server.dataDir()).filePath(QStringLiteral("001/VzData.db")).toStdString();
    {
        sql::Database db(file);
        createTable(db, "BENCH", Rows);
    }
    if (!server.start()) {
        std::fprintf(stderr, "bench_link: %s\n", qPrintable(server.error()));
        return 1;
    }
    TSocketConnection cn(QStringLiteral("ZezU.datas"));
    cn.SetHost(server.address());
    CurUserCode = QStringLiteral("SYS"); // the connection logs SYS in
    QString accountNo = QStringLiteral("001");
    if (cn.AppServer().ConnectAct(0, accountNo)) {
        std::fprintf(stderr, "bench_link: the account set was refused\n");
        return 1;
    }
    sql::Database db(file, sql::Database::Mode::ReadWrite);

    // 1. Open and walk.
    double checkDirect = 0, checkDataSet = 0;
    const double direct = bench::medianMs([&] { checkDirect = readDirect(db, "BENCH"); }, 5);
    const double openAndWalk = bench::medianMs(
        [&] {
            auto ds = openBench(cn);
            checkDataSet = walk(*ds);
            if (ds->RecordCount() != Rows)
                std::printf("warning: %d rows arrived\n", ds->RecordCount());
        },
        5);
    if (checkDirect == 0 || checkDataSet == 0)
        std::printf("warning: nothing was read\n");
    bench::reportRatio("link: open 100k x 20 via vzserver + walk", openAndWalk, direct, 3.0);

    // 2. Memory held by the rows.
    const qint64 csv = csvBytes(db, "BENCH");
    {
        const qint64 before = heapInUse();
        auto ds = openBench(cn);
        ds->Last();
        const qint64 held = heapInUse() - before;
        reportMemory("link: heap held by 100k x 20 vs CSV", double(held), double(csv), 2.5);
        reportMemory("link: record store bytes vs CSV", double(ds->DataSize()), double(csv), 2.5);
    }

    // 3. Edits applied as one change log.
    std::vector<int> ids(Rows);
    std::iota(ids.begin(), ids.end(), 1);
    std::shuffle(ids.begin(), ids.end(), std::mt19937(11));
    ids.resize(Edits);
    const double directUpdates = bench::medianMs(
        [&] {
            db.exec("begin");
            sql::Statement update = db.prepare("update BENCH set SL = ?, BZ = ? where ID = ?");
            for (int i = 0; i < Edits; ++i) {
                update.bind(1, double(i) / 4);
                update.bind(2, std::string("direct"));
                update.bind(3, int64_t(ids[size_t(i)]));
                update.step();
                update.reset();
            }
            db.exec("rollback");
        },
        3);
    constexpr int Rounds = 3;
    double editMs = 0, applyMs = 0;
    bool stored = true;
    for (int round = 0; round < Rounds; ++round) {
        auto ds = openBench(cn);
        ds->Last();
        TField *sl = ds->FieldByName(QStringLiteral("SL"));
        TField *bz = ds->FieldByName(QStringLiteral("BZ"));
        const auto start = Clock::now();
        for (int i = 0; i < Edits; ++i) {
            ds->SetRecNo(ids[size_t(i)]);
            ds->Edit();
            sl->SetAsFloat(double(i) / 4 + round);
            bz->SetAsString(QStringLiteral("改%1").arg(round));
            ds->Post();
        }
        editMs += msSince(start) / Rounds;
        const auto applying = Clock::now();
        if (ds->ApplyUpdates(0) != 0 || ds->ChangeCount() != 0)
            stored = false;
        applyMs += msSince(applying) / Rounds;
    }
    {
        sql::Statement check = db.prepare("select count(*) from BENCH where BZ = '改2'");
        check.step();
        if (check.columnInt(0) != Edits)
            stored = false;
    }
    bench::reportValue("link: post one edit into the change log", editMs * 1000 / Edits, "us");
    bench::reportValue("link: apply via vzserver, per change", applyMs * 1000 / Edits, "us");
    bench::reportValue("link: edit + apply via vzserver, per change",
                       (editMs + applyMs) * 1000 / Edits, "us");
    std::printf("%-48s subject %9.3f ms  baseline %9.3f ms  ratio %6.2f  (no target)\n",
                "link: 10k edits + apply vs in-process updates", editMs + applyMs, directUpdates,
                (editMs + applyMs) / directUpdates);
    std::printf("%-48s %s\n", "link: every change stored", stored ? "ok" : "MISSED");
    cn.Close();
    server.stop();
    return stored ? 0 : 1;
}
