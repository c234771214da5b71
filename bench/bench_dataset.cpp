// Client dataset costs measured side by side:
//  - opening 100,000 rows x 20 columns through the provider interface (an in-process SQLite
//    provider) and walking them with field access, against reading the same rows from SQLite
//    directly; the memory the dataset holds against the same data as CSV;
//  - posting 10,000 edits and building them into one change log, against the same updates run
//    directly as prepared statements; the apply through the in-process provider is reported
//    per change beside it.
#include "benchtable.h"
#include "benchutil.h"
#include "client/data/clientdataset.h"
#include "sql/database.h"

#include "../tests/client/data/sqliteprovider.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

namespace {

using namespace benchtable;

constexpr int Rows = 100000;
constexpr int Edits = 10000;

std::unique_ptr<TClientDataSet> openGoods(SqliteProvider &provider)
{
    auto ds = std::make_unique<TClientDataSet>(QStringLiteral("Hp"));
    ds->SetRemoteServer(&provider);
    ds->SetProviderName(QStringLiteral("pHp"));
    ds->SetPacketRecords(2000);
    ds->Open();
    return ds;
}

} // namespace

int main()
{
    sql::Database db(":memory:");
    createTable(db, "HP", Rows);
    SqliteProvider provider(db);

    double checkDirect = 0, checkDataSet = 0;
    const double direct = bench::medianMs([&] { checkDirect = readDirect(db, "HP"); }, 5);
    const double openAndWalk = bench::medianMs(
        [&] {
            auto ds = openGoods(provider);
            checkDataSet = walk(*ds);
        },
        5);
    if (checkDirect == 0 || checkDataSet == 0)
        std::printf("warning: nothing was read\n");
    bench::reportRatio("dataset: open 100k x 20 via provider + walk", openAndWalk, direct, 3.0);

    {
        auto ds = openGoods(provider);
        ds->Last();
        const double walkOnly = bench::medianMs([&] { walk(*ds); }, 5);
        bench::reportRatio("dataset: walk 100k x 20 held in memory", walkOnly, direct, 1.0);
    }

    const qint64 csv = csvBytes(db, "HP");
    const qint64 before = heapInUse();
    {
        auto ds = openGoods(provider);
        ds->Last();
        const qint64 held = heapInUse() - before;
        reportMemory("dataset: heap held by 100k x 20 vs CSV", double(held), double(csv), 2.5);
        reportMemory("dataset: record store bytes vs CSV", double(ds->DataSize()), double(csv),
                     2.5);
    }

    // Edits: 10,000 records get two new values each and go to the server as one change log.
    std::vector<int> ids(Rows);
    std::iota(ids.begin(), ids.end(), 1);
    std::shuffle(ids.begin(), ids.end(), std::mt19937(11));
    ids.resize(Edits);
    double editMs = 0, deltaMs = 0, applyMs = 0;
    const double directUpdates = bench::medianMs(
        [&] {
            db.exec("begin");
            sql::Statement update = db.prepare("update HP set SL = ?, BZ = ? where ID = ?");
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
    for (int round = 0; round < 3; ++round) {
        auto ds = openGoods(provider);
        TField *sl = ds->FieldByName(QStringLiteral("SL"));
        TField *bz = ds->FieldByName(QStringLiteral("BZ"));
        ds->Last();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < Edits; ++i) {
            ds->SetRecNo(ids[size_t(i)]);
            ds->Edit();
            sl->SetAsFloat(double(i) / 4 + round);
            bz->SetAsString(QStringLiteral("改%1").arg(round));
            ds->Post();
        }
        const auto edited = std::chrono::steady_clock::now();
        if (ds->ChangeCount() != Edits)
            std::printf("warning: %d changes logged\n", ds->ChangeCount());
        const TDelta delta = ds->Delta();
        const auto built = std::chrono::steady_clock::now();
        if (ds->ApplyUpdates(0) != 0)
            std::printf("warning: apply failed\n");
        const auto applied = std::chrono::steady_clock::now();
        editMs += std::chrono::duration<double, std::milli>(edited - start).count() / 3;
        deltaMs += std::chrono::duration<double, std::milli>(built - edited).count() / 3;
        applyMs += std::chrono::duration<double, std::milli>(applied - built).count() / 3;
    }
    bench::reportValue("dataset: post one edit into the change log", editMs * 1000 / Edits, "us");
    bench::reportValue("dataset: delta of a 10k change log, per change", deltaMs * 1000 / Edits,
                       "us");
    bench::reportValue("dataset: apply via SQLite provider, per change", applyMs * 1000 / Edits,
                       "us");
    // The client's share: posting the edits and building the delta, against the database
    // doing the same updates itself. The provider's share is the server's to measure.
    bench::reportRatio("dataset: 10k edits + delta vs direct updates", editMs + deltaMs,
                       directUpdates, 3.0);
    return 0;
}
