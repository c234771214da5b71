// Client dataset costs measured side by side:
//  - opening 100,000 rows x 20 columns through the provider interface (an in-process SQLite
//    provider) and walking them with field access, against reading the same rows from SQLite
//    directly; the memory the dataset holds against the same data as CSV;
//  - posting 10,000 edits and building them into one change log, against the same updates run
//    directly as prepared statements; the apply through the in-process provider is reported
//    per change beside it.
#include "benchutil.h"
#include "client/data/clientdataset.h"
#include "sql/database.h"

#include "../tests/client/data/sqliteprovider.h"

#include <QByteArray>
#include <QString>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

namespace {

constexpr int Rows = 100000;
constexpr int Edits = 10000;

const char *const Names[] = {"螺丝",   "六角螺母", "平垫圈", "弹簧垫",   "不锈钢合页",
                             "铜接头", "PVC管",    "电源线", "开关面板", "插座"};

// 20 columns: 1 key, 5 integers, 5 amounts, 6 texts, 2 dates, 1 flag.
void createTable(sql::Database &db)
{
    db.exec("create table HP (ID integer primary key, BH varchar(10), PM varchar(40),"
            " GG varchar(20), DW varchar(4), ZJM varchar(10), BZ varchar(60),"
            " HPLBID integer, CKID integer, KHID integer, YGID integer, HH integer,"
            " SL float, DJ float, JE float, ZKJE float, NSL float,"
            " RQ date, JHRQ date, ZT boolean)");
    std::mt19937 random(7);
    db.exec("begin");
    sql::Statement insert =
        db.prepare("insert into HP values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
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

// The same rows as CSV text: the measure of the data's size.
qint64 csvBytes(sql::Database &db)
{
    qint64 bytes = 0;
    sql::Statement stmt = db.prepare("select * from HP");
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

// Reading every row from SQLite into values a program can use.
double readDirect(sql::Database &db)
{
    double checksum = 0;
    sql::Statement stmt = db.prepare("select * from HP");
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
    const int count = ds.FieldCount();
    std::vector<TField *> fields;
    for (int i = 0; i < count; ++i)
        fields.push_back(ds.Fields(i));
    ds.First();
    while (!ds.Eof()) {
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
        ds.Next();
    }
    return checksum;
}

std::unique_ptr<TClientDataSet> openGoods(SqliteProvider &provider)
{
    auto ds = std::make_unique<TClientDataSet>(QStringLiteral("Hp"));
    ds->SetRemoteServer(&provider);
    ds->SetProviderName(QStringLiteral("pHp"));
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

int main()
{
    sql::Database db(":memory:");
    createTable(db);
    SqliteProvider provider(db);

    double checkDirect = 0, checkDataSet = 0;
    const double direct = bench::medianMs([&] { checkDirect = readDirect(db); }, 5);
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

    const qint64 csv = csvBytes(db);
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
