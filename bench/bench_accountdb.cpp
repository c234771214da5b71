// Building a benchmark account set (scale 1: about 10,000 goods, 200,000 documents and
// 1,000,000 ledger rows) against storing the same number of rows with bare inserts.
//
//   bench_accountdb [--scale N] [--keep FILE]
//
// --keep leaves the built account set at FILE (which must not exist) for other benchmarks.
#include "benchutil.h"
#include "demodata/demodata.h"
#include "server/accountdb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int64_t countRows(sql::Database &db, const char *sqlText)
{
    sql::Statement count = db.prepare(sqlText);
    return count.step() ? count.columnInt(0) : 0;
}

// The floor of any build: the same number of rows stored with one prepared statement in one
// transaction, without deciding what they hold.
double bareInsertMs(const QString &path, int64_t rows)
{
    sql::Database db(path.toStdString());
    db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;"
            "CREATE TABLE t (id INTEGER PRIMARY KEY, RQ DATE, BillType VARCHAR(10), Flag "
            "INTEGER, DJBH VARCHAR(20), HPID INTEGER, HH INTEGER, SL FLOAT, DJ FLOAT, JE FLOAT, "
            "CKID INTEGER, YGID INTEGER)");
    QElapsedTimer timer;
    timer.start();
    db.exec("BEGIN");
    sql::Statement insert = db.prepare("INSERT INTO t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (int64_t i = 1; i <= rows; ++i) {
        insert.bind(1, i);
        insert.bind(2, std::string_view("2024-03-01"));
        insert.bind(3, std::string_view("XS"));
        insert.bind(4, int64_t(-1));
        insert.bind(5, std::string_view("XS2024030001"));
        insert.bind(6, i % 10000);
        insert.bind(7, i % 7);
        insert.bind(8, 3.0);
        insert.bind(9, 12.5);
        insert.bind(10, 37.5);
        insert.bind(11, int64_t(1));
        insert.bind(12, int64_t(5));
        insert.step();
        insert.reset();
    }
    db.exec("COMMIT");
    return double(timer.elapsed());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int scale = 1;
    QString keep;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc)
            scale = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc)
            keep = QString::fromLocal8Bit(argv[++i]);
    }

    QTemporaryDir dir;
    const QString path = keep.isEmpty() ? dir.filePath(QStringLiteral("VzData.db")) : keep;
    server::AccountDbOptions options;
    options.accountName = QStringLiteral("基准帐套");
    QElapsedTimer timer;
    timer.start();
    options.progress = [&](const QString &stage) {
        if (!stage.startsWith(QLatin1String("documents")) || stage.endsWith(QLatin1String("01")))
            std::fprintf(stderr, "%8.1f s  %s\n", timer.elapsed() / 1000.0, qPrintable(stage));
    };
    demodata::DemoOptions demo;
    demo.scale = std::max(0, scale);
    demo.today = QDate(2024, 5, 20);
    demo.progress = options.progress;
    options.fill = demodata::demoFill(demo);
    server::createAccountDatabase(path, options);
    const double buildMs = double(timer.elapsed());

    sql::Database db(path.toStdString(), sql::Database::Mode::ReadOnly);
    const int64_t goods = countRows(db, "SELECT count(*) FROM HP");
    const int64_t ledger = countRows(db, "SELECT count(*) FROM Inv_ItemList");
    int64_t documents = 0;
    int64_t lines = 0;
    for (const char *table :
         {"CGSQZB", "CGDDZB", "CGSHZB", "CGTHZB", "XSDDZB", "XSKDZB", "XSTHZB", "XSSKZB", "CGFKZB",
          "LLZB", "TLZB", "CKDBZB", "KCPDZB", "QTKCBDZB", "CPJCZB", "FYKZZB", "QTSRZB"}) {
        const std::string header(table);
        documents += countRows(db, ("SELECT count(*) FROM " + header).c_str());
        lines +=
            countRows(db, ("SELECT count(*) FROM " + header.substr(0, header.size() - 2)).c_str());
    }
    std::printf("scale %d: %lld goods, %lld documents, %lld lines, %lld ledger rows\n", scale,
                static_cast<long long>(goods), static_cast<long long>(documents),
                static_cast<long long>(lines), static_cast<long long>(ledger));

    const double bareMs =
        bareInsertMs(dir.filePath(QStringLiteral("bare.db")), documents + lines + ledger);
    bench::reportValue("accountdb: scale " + std::to_string(scale) + " build", buildMs / 1000.0,
                       "s", 600.0 * scale);
    bench::reportRatio("accountdb: build vs bare inserts of its rows", buildMs, bareMs, 8.0);
    return 0;
}
