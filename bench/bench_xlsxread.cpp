// Reading a 50,000-row sheet: values only (the import) must not pay for formats, and reading
// with formats (a print template, an import that wants dates) stays close to it.
#include "benchutil.h"
#include "client/output/xlsxreader.h"

#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace {

constexpr int Rows = 50000;
constexpr int Columns = 10;

// Texts, amounts in "#,##0.00" and dates, every cell with a format, as a shop's list looks.
void writeSheet(const QByteArray &path)
{
    lxw_workbook *workbook = workbook_new(path.constData());
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Sheet1");
    lxw_format *amount = workbook_add_format(workbook);
    format_set_num_format(amount, "#,##0.00");
    format_set_border(amount, LXW_BORDER_THIN);
    lxw_format *date = workbook_add_format(workbook);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format *text = workbook_add_format(workbook);
    format_set_bold(text);
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c) {
            if (c % 3 == 0)
                worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), "货品名称", text);
            else if (c % 3 == 1)
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), r * 1.25 + c, amount);
            else
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), 46000 + r % 365, date);
        }
    workbook_close(workbook);
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("big.xlsx"));
    writeSheet(file.toUtf8());
    auto read = [&](output::TSheetContent content) {
        return bench::medianMs(
            [&] {
                output::TSheetData sheet;
                output::readXlsxSheet(file, 0, &sheet, nullptr, content);
            },
            3);
    };
    const double values = read(output::TSheetContent::Values);
    const double formats = read(output::TSheetContent::ValuesAndFormats);
    const bool ok =
        bench::reportRatio("xlsx read: 50k x 10 with formats vs values only", formats, values, 1.3);
    return ok ? 0 : 1;
}
