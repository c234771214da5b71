// Export of 100,000 rows x 20 columns to a workbook, against writing the same cells with
// libxlsxwriter directly.
#include "benchutil.h"
#include "client/output/gridexport.h"

#include <QDir>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <vector>

namespace {

constexpr int Rows = 100000;
constexpr int Columns = 20;

// Half text, half amounts, as a document list looks.
class BenchSource : public output::TExportSource
{
public:
    BenchSource()
    {
        texts.reserve(Rows);
        for (int r = 0; r < Rows; ++r)
            texts.push_back(QStringLiteral("货品%1").arg(r));
    }
    int columnCount() const override { return Columns; }
    int rowCount() const override { return Rows; }
    QString columnTitle(int c) const override { return QStringLiteral("列%1").arg(c); }
    output::ColumnKind columnKind(int c) const override
    {
        return c % 2 ? output::ColumnKind::Number : output::ColumnKind::Text;
    }
    QString displayFormat(int) const override { return QStringLiteral("#,0.00"); }
    QString cellText(int r, int c) const override
    {
        return c % 2 ? QString::number(value(r, c), 'f', 2) : texts[size_t(r)];
    }
    QVariant cellValue(int r, int c) const override
    {
        return c % 2 ? QVariant(value(r, c)) : QVariant(texts[size_t(r)]);
    }
    static double value(int r, int c) { return r * 1.25 + c; }
    std::vector<QString> texts;
};

void writeDirect(const BenchSource &source, const QByteArray &path)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *workbook = workbook_new_opt(path.constData(), &options);
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Sheet1");
    lxw_format *number = workbook_add_format(workbook);
    format_set_num_format(number, "#,##0.00");
    for (int c = 0; c < Columns; ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), source.columnTitle(c).toUtf8().constData(),
                               nullptr);
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c) {
            if (c % 2)
                worksheet_write_number(sheet, lxw_row_t(r + 1), lxw_col_t(c),
                                       BenchSource::value(r, c), number);
            else
                worksheet_write_string(sheet, lxw_row_t(r + 1), lxw_col_t(c),
                                       source.texts[size_t(r)].toUtf8().constData(), nullptr);
        }
    }
    workbook_close(workbook);
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const BenchSource source;
    const QString subjectPath = dir.filePath(QStringLiteral("subject.xlsx"));
    const QByteArray basePath = QDir(dir.path()).filePath(QStringLiteral("base.xlsx")).toUtf8();
    const double baseline = bench::medianMs([&] { writeDirect(source, basePath); }, 3);
    const double subject = bench::medianMs(
        [&] { output::exportToFile(source, subjectPath, output::ExportFormat::Excel); }, 3);
    bench::reportRatio("export: 100k x 20 workbook vs libxlsxwriter", subject, baseline, 1.5);
    return 0;
}
