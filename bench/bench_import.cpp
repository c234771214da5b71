// The goods import end to end through a real server: 30,000 goods in a workbook of 12 mapped
// columns naming 50 categories that do not exist yet, read, converted, and written with their
// opening stock in one request. Target: at most 10 s in all.
//
//   bench_import
#include "benchclient.h"
#include "benchutil.h"
#include "client/admin/importrun.h"
#include "client/admin/importworkbook.h"
#include "client/data/serveraccess.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

#include <xlsxwriter.h>

namespace {

constexpr int Goods = 30000;

const char *const Headings[] = {"货品编号", "货品名称", "货品规格", "计量单位",
                                "货品类别", "条形码",   "助记码",   "采购价",
                                "批发价",   "零售价",   "仓库",     "期初数量"};

void writeWorkbook(const QString &file)
{
    lxw_workbook *workbook = workbook_new(file.toUtf8().constData());
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    for (int c = 0; c < 12; ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), Headings[c], nullptr);
    for (int r = 1; r <= Goods; ++r) {
        const auto row = lxw_row_t(r);
        const auto text = [&](int c, const QString &value) {
            worksheet_write_string(sheet, row, lxw_col_t(c), value.toUtf8().constData(), nullptr);
        };
        text(0, QStringLiteral("B%1").arg(r, 6, 10, QLatin1Char('0')));
        text(1, QStringLiteral("导入货品%1").arg(r));
        text(2, QStringLiteral("%1ml").arg(r % 500));
        text(3, QStringLiteral("瓶"));
        text(4, QStringLiteral("新类别%1").arg(r % 50));
        text(5, QStringLiteral("69%1").arg(r, 11, 10, QLatin1Char('0')));
        text(6, QStringLiteral("DR%1").arg(r));
        worksheet_write_number(sheet, row, 7, 1.25 + r % 100, nullptr);
        worksheet_write_number(sheet, row, 8, 1.5 + r % 100, nullptr);
        worksheet_write_number(sheet, row, 9, 2 + r % 100, nullptr);
        text(10, QStringLiteral("导入仓%1").arg(r % 3));
        worksheet_write_number(sheet, row, 11, r % 7, nullptr);
    }
    workbook_close(workbook);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("goods.xlsx"));
    writeWorkbook(file);

    vztest::ServerProcess server;
    TData data;
    QString output;
    if (server.runTool({QStringLiteral("--create-account"), QStringLiteral("001")}, &output) != 0) {
        std::fprintf(stderr, "bench_import: %s\n", qPrintable(output));
        return 1;
    }
    if (!server.start()) {
        std::fprintf(stderr, "bench_import: %s\n", qPrintable(server.error()));
        return 1;
    }
    if (!bench::connectAsAdministrator(data, server.address(), QStringLiteral("001"),
                                       "bench_import"))
        return 1;

    const auto start = bench::Clock::now();
    QList<TImportSheet> sheets;
    QString error;
    if (!ReadImportWorkbook(file, &sheets, &error)) {
        std::fprintf(stderr, "bench_import: %s\n", qPrintable(error));
        return 1;
    }
    const double readMs = bench::msSince(start);

    auto step = bench::Clock::now();
    QList<TImportField> fields = {
        {QStringLiteral("BH"), QString::fromUtf8(Headings[0]), QStringLiteral("S")},
        {QStringLiteral("PM"), QString::fromUtf8(Headings[1]), QStringLiteral("S")},
        {QStringLiteral("GG"), QString::fromUtf8(Headings[2]), QStringLiteral("S")},
        {QStringLiteral("DW"), QString::fromUtf8(Headings[3]), QStringLiteral("S")},
        {QStringLiteral("HPLBID"), QString::fromUtf8(Headings[4]), QStringLiteral("I")},
        {QStringLiteral("BarCode"), QString::fromUtf8(Headings[5]), QStringLiteral("S")},
        {QStringLiteral("ZJM"), QString::fromUtf8(Headings[6]), QStringLiteral("S")},
        {QStringLiteral("JJ"), QString::fromUtf8(Headings[7]), QStringLiteral("F")},
        {QStringLiteral("JJJ"), QString::fromUtf8(Headings[8]), QStringLiteral("F")},
        {QStringLiteral("JQJ"), QString::fromUtf8(Headings[9]), QStringLiteral("F")},
        {QStringLiteral("CKID"), QString::fromUtf8(Headings[10]), QStringLiteral("I")},
        {QStringLiteral("InSL"), QString::fromUtf8(Headings[11]), QStringLiteral("F")},
    };
    MapFieldsByHeading(fields, sheets.first().Rows.first());
    TImportNames names;
    LoadImportNames(names);
    TImportBuilder builder(QStringLiteral("hp"), fields, true, &names);
    for (const TImportSheet &sheet : std::as_const(sheets))
        for (int r = 1; r < sheet.Rows.size(); ++r)
            builder.AddRow(sheet.Rows[r], &error);
    QString counter;
    const QStringList following =
        GoodsImportFollowing(builder.StockedGoods(), data.GetServerDate(), &counter);
    const double buildMs = bench::msSince(step);

    step = bench::Clock::now();
    const TAtomicResult result =
        SendImport(QStringLiteral("hp"), builder.Statements(), following, counter);
    const double sendMs = bench::msSince(step);
    const double totalMs = bench::msSince(start);
    if (!result.Ok) {
        std::fprintf(stderr, "bench_import: %s\n", qPrintable(result.Text()));
        return 1;
    }
    const int stored = QueryValue(QStringLiteral("select count(*) from hp")).toInt();
    const int categories = QueryValue(QStringLiteral("select count(*) from pub_ItemType where "
                                                     "TypeName like '新类别%'"))
                               .toInt();
    std::printf("new categories: %d\n", categories);
    std::printf("goods imported: %d (stored %d), statements %lld\n", builder.Imported(), stored,
                static_cast<long long>(builder.Statements().size() + following.size()));
    std::printf("read workbook   %8.0f ms\n", readMs);
    std::printf("convert + stock %8.0f ms\n", buildMs);
    std::printf("one request     %8.0f ms\n", sendMs);
    std::printf("end to end      %8.0f ms  (target <= 10000 ms)  %.0f rows/s\n", totalMs,
                Goods * 1000.0 / totalMs);
    return stored == Goods && categories == 50 ? 0 : 1;
}
