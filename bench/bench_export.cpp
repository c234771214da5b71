// Export of 100,000 rows x 20 columns to a workbook, against writing the same cells with
// libxlsxwriter directly: once from a plain export source, once from a list's real grid over
// its client dataset (the list's export menu and ExportGridToExcel).
#include "benchutil.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/forms/gridworkbook.h"
#include "client/output/gridexport.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridexportsource.h"

#include <QApplication>
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

// The same cells in a client dataset, formatted as a list formats its amounts.
void fillDataSet(TClientDataSet &ds, const BenchSource &source)
{
    for (int c = 0; c < Columns; ++c)
        ds.FieldDefs().Add(QStringLiteral("F%1").arg(c), c % 2 ? ftFloat : ftString,
                           c % 2 ? 0 : 40);
    ds.CreateDataSet();
    ds.SetLogChanges(false);
    ds.DisableControls();
    for (int r = 0; r < Rows; ++r) {
        QVariantList values;
        for (int c = 0; c < Columns; ++c)
            values << source.cellValue(r, c);
        ds.AppendRecord(values);
    }
    ds.EnableControls();
    ds.First();
    for (int c = 1; c < Columns; c += 2)
        ds.Fields(c)->SetDisplayFormat(QStringLiteral("#,0.00"));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const BenchSource source;
    const QString subjectPath = dir.filePath(QStringLiteral("subject.xlsx"));
    const QByteArray basePath = QDir(dir.path()).filePath(QStringLiteral("base.xlsx")).toUtf8();
    const double baseline = bench::medianMs([&] { writeDirect(source, basePath); }, 3);
    const double subject = bench::medianMs(
        [&] { output::exportToFile(source, subjectPath, output::ExportFormat::Excel); }, 3);
    bool ok =
        bench::reportRatio("export: 100k x 20 workbook vs libxlsxwriter", subject, baseline, 1.5);

    TClientDataSet ds(QStringLiteral("Bench"));
    fillDataSet(ds, source);
    TDataSource dataSource(&ds);
    TDBGrid grid;
    grid.SetDataSource(&dataSource);
    for (int c = 0; c < Columns; ++c)
        grid.Columns()[c]->Title().SetCaption(source.columnTitle(c));
    const QString gridPath = dir.filePath(QStringLiteral("grid.xlsx"));
    const double fromGrid = bench::medianMs(
        [&] {
            const TGridExportSource gridSource(grid);
            output::exportToFile(gridSource, gridPath, output::ExportFormat::Excel);
        },
        3);
    ok = bench::reportRatio("export: list grid over 100k x 20 dataset vs libxlsxwriter", fromGrid,
                            baseline, 1.5) &&
         ok;
    const QString workbookPath = dir.filePath(QStringLiteral("workbook.xlsx"));
    const double workbook = bench::medianMs([&] { ExportGridToExcel(grid, workbookPath); }, 3);
    ok = bench::reportRatio("ExportGridToExcel: 100k x 20 grid vs libxlsxwriter", workbook,
                            baseline, 1.5) &&
         ok;
    return ok ? 0 : 1;
}
