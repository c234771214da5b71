// The 20-column table the data-layer benchmarks share: its rows, its size as CSV, the
// in-process read that is their baseline, the walk of a dataset over it, and the heap measure.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "sql/database.h"

#include <QByteArray>
#include <QString>

#include <malloc.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace benchtable {

inline const char *const Names[] = {"螺丝",   "六角螺母", "平垫圈", "弹簧垫",   "不锈钢合页",
                                    "铜接头", "PVC管",    "电源线", "开关面板", "插座"};

// 20 columns of the kinds a goods or document table has: a key, integers, amounts, texts,
// dates and a flag.
inline void createTable(sql::Database &db, const char *table, int rows)
{
    db.exec(std::string("create table ") + table +
            " (ID integer primary key, BH varchar(10), PM varchar(40),"
            " GG varchar(20), DW varchar(4), ZJM varchar(10), BZ varchar(60),"
            " HPLBID integer, CKID integer, KHID integer, YGID integer, HH integer,"
            " SL float, DJ float, JE float, ZKJE float, NSL float,"
            " RQ date, JHRQ date, ZT bit)");
    std::mt19937 random(7);
    db.exec("begin");
    sql::Statement insert = db.prepare(std::string("insert into ") + table +
                                       " values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (int id = 1; id <= rows; ++id) {
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

inline qint64 csvBytes(sql::Database &db, const char *table)
{
    qint64 bytes = 0;
    sql::Statement stmt = db.prepare(std::string("select * from ") + table);
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
inline double readDirect(sql::Database &db, const char *table)
{
    double checksum = 0;
    sql::Statement stmt = db.prepare(std::string("select * from ") + table);
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
inline double walk(TClientDataSet &ds)
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

inline qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

inline void reportMemory(const char *name, double subject, double baseline, double target)
{
    const double ratio = subject / baseline;
    std::printf("%-48s subject %9.3f MB  baseline %9.3f MB  ratio %6.2f  (target <= %.2f) %s\n",
                name, subject / 1048576, baseline / 1048576, ratio, target,
                ratio <= target ? "ok" : "MISSED");
    std::fflush(stdout);
}

} // namespace benchtable
