// The server link measured against a real vzserver process, each figure beside its
// in-process SQLite baseline from the same run:
//  - 100,000 rows x 20 columns opened through the server into a client dataset in packets
//    of 2000 and walked with field access, against reading the same rows from the account
//    set's database file in-process; the memory the dataset holds against the same data
//    as CSV;
//  - 10,000 edits posted into one change log and applied through the server, per change,
//    beside the same updates run in-process as prepared statements.
#include "benchutil.h"
#include "client/data/clientdataset.h"
#include "client/data/socketconnection.h"
#include "sql/database.h"
#include "support/serverprocess.h"

#include <QCoreApplication>
#include <QDir>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <random>
#include <vector>

namespace {

constexpr int Rows = 100000;
constexpr int Edits = 10000;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const char *const Names[] = {"螺丝",   "六角螺母", "平垫圈", "弹簧垫",   "不锈钢合页",
                             "铜接头", "PVC管",    "电源线", "开关面板", "插座"};

// 20 columns of the kinds a goods or document table has: a key, integers, amounts, texts,
// dates and a flag.
void createTable(sql::Database &db)
{
    db.exec("create table BENCH (ID integer primary key, BH varchar(10), PM varchar(40),"
            " GG varchar(20), DW varchar(4), ZJM varchar(10), BZ varchar(60),"
            " HPLBID integer, CKID integer, KHID integer, YGID integer, HH integer,"
            " SL float, DJ float, JE float, ZKJE float, NSL float,"
            " RQ date, JHRQ date, ZT bit)");
    std::mt19937 random(7);
    db.exec("begin");
    sql::Statement insert =
        db.prepare("insert into BENCH values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (int id = 1; id <= Rows; ++id) {
        const int n = int(random() % 10);
        const double sl = double(random() % 100000) / 100;
        const double dj = double(random() % 500000) / 100;
        int c = 1;
        insert.bind(c++, int64_t(id));
        insert.bind(c++, QStringLiteral("HP%1").arg(id, 6, 10, QLatin1Char('0')).toStdString());
        insert.bind(c++, std::string(Names[n]) + std::to_string(random() % 100));
        insert.bind(c++,
                    QStringLiteral("M%1x%2").arg(random() % 20).arg(random() % 60).toStdString());
        insert.bind(c++, std::string(n % 2 ? "个" : "套"));
        insert.bind(c++, QStringLiteral("LS%1").arg(random() % 1000).toStdString());
        if (id % 3 == 0)
            insert.bindNull(c++);
        else
            insert.bind(c++, std::string("备注") + std::string(size_t(random() % 12), 'x'));
        insert.bind(c++, int64_t(random() % 50));
        insert.bind(c++, int64_t(random() % 8));
        insert.bind(c++, int64_t(random() % 2000));
        insert.bind(c++, int64_t(random() % 300));
        insert.bind(c++, int64_t(id % 15 + 1));
        insert.bind(c++, sl);
        insert.bind(c++, dj);
        insert.bind(c++, double(qRound64(sl * dj * 100)) / 100);
        insert.bind(c++, double(random() % 1000) / 100);
        insert.bind(c++, double(random() % 2 ? 13 : 17));
        insert.bind(c++, QStringLiteral("2024-%1-%2")
                             .arg(random() % 12 + 1, 2, 10, QLatin1Char('0'))
                             .arg(random() % 28 + 1, 2, 10, QLatin1Char('0'))
                             .toStdString());
        insert.bind(c++, std::string("2025-01-15"));
        insert.bind(c++, int64_t(random() % 2));
        insert.step();
        insert.reset();
    }
    db.exec("commit");
}

qint64 csvBytes(sql::Database &db)
{
    qint64 bytes = 0;
    sql::Statement stmt = db.prepare("select * from BENCH");
    while (stmt.step()) {
        for (int c = 0; c < stmt.columnCount(); ++c) {
            if (stmt.columnType(c) == SQLITE_FLOAT)
                bytes += QByteArray::number(stmt.columnDouble(c), 'g', 15).size();
            else
                bytes += qint64(stmt.columnText(c).size());
            bytes += 1; // separator or line end
        }
    }
    return bytes;
}

// The baseline: every row read in-process into values a program can use.
double readDirect(sql::Database &db)
{
    double checksum = 0;
    sql::Statement stmt = db.prepare("select * from BENCH");
    while (stmt.step()) {
        for (int c = 0; c < stmt.columnCount(); ++c) {
            switch (stmt.columnType(c)) {
            case SQLITE_INTEGER:
                checksum += double(stmt.columnInt(c));
                break;
            case SQLITE_FLOAT:
                checksum += stmt.columnDouble(c);
                break;
            case SQLITE_TEXT: {
                const auto *text =
                    reinterpret_cast<const char *>(sqlite3_column_text(stmt.handle(), c));
                checksum +=
                    double(QString::fromUtf8(text, sqlite3_column_bytes(stmt.handle(), c)).size());
                break;
            }
            default:
                break;
            }
        }
    }
    return checksum;
}

// Walks every record reading each field as a form would.
double walk(TClientDataSet &ds)
{
    double checksum = 0;
    std::vector<TField *> fields;
    for (int i = 0; i < ds.FieldCount(); ++i)
        fields.push_back(ds.Fields(i));
    for (ds.First(); !ds.Eof(); ds.Next()) {
        for (TField *f : fields) {
            if (f->IsNull())
                continue;
            switch (f->DataType()) {
            case ftWideString:
                checksum += double(f->AsString().size());
                break;
            case ftDate:
                checksum += double(f->AsDate().day());
                break;
            case ftBoolean:
                checksum += f->AsBoolean() ? 1 : 0;
                break;
            default:
                checksum += f->AsFloat();
                break;
            }
        }
    }
    return checksum;
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

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

void reportMemory(const char *name, double subject, double baseline, double target)
{
    const double ratio = subject / baseline;
    std::printf("%-48s subject %9.3f MB  baseline %9.3f MB  ratio %6.2f  (target <= %.2f) %s\n",
                name, subject / 1048576, baseline / 1048576, ratio, target,
                ratio <= target ? "ok" : "MISSED");
    std::fflush(stdout);
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
        createTable(db);
    }
    if (!server.start()) {
        std::fprintf(stderr, "bench_link: %s\n", qPrintable(server.error()));
        return 1;
    }
    TSocketConnection cn(QStringLiteral("ZezU.datas"));
    cn.SetHost(server.address());
    QString accountNo = QStringLiteral("001");
    if (cn.AppServer().ConnectAct(0, accountNo)) {
        std::fprintf(stderr, "bench_link: the account set was refused\n");
        return 1;
    }
    sql::Database db(file, sql::Database::Mode::ReadWrite);

    // 1. Open and walk.
    double checkDirect = 0, checkDataSet = 0;
    const double direct = bench::medianMs([&] { checkDirect = readDirect(db); }, 5);
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
    const qint64 csv = csvBytes(db);
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
