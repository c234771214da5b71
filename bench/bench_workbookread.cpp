// Reading an import file of 30,000 rows by 12 columns through the workbook reader, in each
// format a shop's files come in: rows per second side by side, the .xlsx file as the baseline.
// The .xls file is written with python3-xlwt when it is installed and skipped otherwise. A text
// file must read faster than the zipped XML of the same cells.
#include "benchutil.h"
#include "client/output/workbookreader.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace {

constexpr int Rows = 30000;
constexpr int Columns = 12;

// Codes, names, amounts and dates in turn, as a goods or employee list looks.
enum class TKind { Code, Name, Amount, Date };
TKind kindOf(int column)
{
    return TKind(column % 4);
}

void writeXlsx(const QString &path)
{
    lxw_workbook *book = workbook_new(path.toUtf8().constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Sheet1");
    lxw_format *date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c) {
            const auto row = lxw_row_t(r);
            const auto col = lxw_col_t(c);
            switch (kindOf(c)) {
            case TKind::Code:
                worksheet_write_string(sheet, row, col, QByteArray::number(100000 + r).constData(),
                                       nullptr);
                break;
            case TKind::Name:
                worksheet_write_string(sheet, row, col, "货品名称", nullptr);
                break;
            case TKind::Amount:
                worksheet_write_number(sheet, row, col, r * 1.25 + c, nullptr);
                break;
            case TKind::Date:
                worksheet_write_number(sheet, row, col, 46000 + r % 365, date);
                break;
            }
        }
    workbook_close(book);
}

void writeCsv(const QString &path)
{
    QByteArray text;
    text.reserve(Rows * Columns * 12);
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c) {
            if (c > 0)
                text += ',';
            switch (kindOf(c)) {
            case TKind::Code:
                text += QByteArray::number(100000 + r);
                break;
            case TKind::Name:
                text += "\"货品,名称\"";
                break;
            case TKind::Amount:
                text += QByteArray::number(r * 1.25 + c);
                break;
            case TKind::Date:
                text += "2025-12-31";
                break;
            }
        }
        text += "\r\n";
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

bool writeXls(const QString &path)
{
    const QString script = QStringLiteral("import sys, datetime, xlwt\n"
                                          "book = xlwt.Workbook(encoding='utf-8')\n"
                                          "sheet = book.add_sheet('Sheet1')\n"
                                          "date = xlwt.easyxf(num_format_str='yyyy-mm-dd')\n"
                                          "day = datetime.date(2025, 12, 31)\n"
                                          "for r in range(%1):\n"
                                          "    for c in range(%2):\n"
                                          "        k = c % 4\n"
                                          "        if k == 0: sheet.write(r, c, str(100000 + r))\n"
                                          "        elif k == 1: sheet.write(r, c, '货品名称')\n"
                                          "        elif k == 2: sheet.write(r, c, r * 1.25 + c)\n"
                                          "        else: sheet.write(r, c, day, date)\n"
                                          "book.save(sys.argv[1])\n")
                               .arg(Rows)
                               .arg(Columns);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
    return python.waitForFinished(600000) && python.exitStatus() == QProcess::NormalExit &&
           python.exitCode() == 0 && QFile::exists(path);
}

// Milliseconds to open the file and read its one sheet; negative when it cannot be read.
double readMs(const QString &path)
{
    bool ok = true;
    const double ms = bench::medianMs(
        [&] {
            QString error;
            output::TSheetData sheet;
            auto reader = output::OpenWorkbook(path, &error);
            ok = ok && reader && reader->ReadSheet(0, &sheet, &error) && sheet.rows.size() == Rows;
        },
        3);
    return ok ? ms : -1;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString xlsx = dir.filePath(QStringLiteral("goods.xlsx"));
    const QString xls = dir.filePath(QStringLiteral("goods.xls"));
    const QString csv = dir.filePath(QStringLiteral("goods.csv"));
    writeXlsx(xlsx);
    writeCsv(csv);
    const bool haveXls = writeXls(xls);

    const double xlsxMs = readMs(xlsx);
    bool ok = xlsxMs > 0;
    const auto report = [&](const char *name, double ms) {
        if (ms <= 0) {
            std::printf("%-48s could not be read\n", name);
            ok = false;
            return;
        }
        bench::reportValue(std::string(name) + " rows/s", Rows / (ms / 1000), "rows/s");
    };
    report("xlsx 30k x 12", xlsxMs);
    const double csvMs = readMs(csv);
    report("csv 30k x 12", csvMs);
    if (haveXls) {
        const double xlsMs = readMs(xls);
        report("xls 30k x 12", xlsMs);
        // Almost all of it is freexl_open, which parses the whole file in a tight loop of its
        // own before the first cell is asked for: shown, not held to a target.
        if (xlsMs > 0)
            bench::reportValue("xls vs xlsx read time (ratio)", xlsMs / xlsxMs, "x");
    } else {
        std::printf("%-48s skipped: python3-xlwt is not installed\n", "xls 30k x 12");
    }
    if (csvMs > 0)
        ok = bench::reportRatio("csv vs xlsx read time", csvMs, xlsxMs, 1.0) && ok;
    return ok ? 0 : 1;
}
