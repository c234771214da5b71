// The document worksheet: header order, line values, template filling, and the workbook as a
// spreadsheet program reads it back.
#include "client/output/containeriterator.h"
#include "client/output/xlsxreader.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <xlsxwriter.h>

using namespace output;

namespace {

THeaderControl label(const QString &text, int x, int y)
{
    return {QStringLiteral("lbl") + text, text, QRect(x, y, 60, 20), true, true};
}

THeaderControl value(const QString &name, const QString &text, int x, int y)
{
    return {name, text, QRect(x, y, 100, 20), false, true};
}

// Two header rows given out of order, a hidden control and the status panel.
QList<THeaderControl> header()
{
    return {value(QStringLiteral("edtKH"), QStringLiteral("华联超市"), 300, 40),
            label(QStringLiteral("单号"), 10, 10),
            value(QStringLiteral("pStatus"), QStringLiteral("已审核"), 500, 10),
            label(QStringLiteral("客户："), 200, 40),
            value(QStringLiteral("edtDJBH"), QStringLiteral("XS-0001"), 80, 10),
            {QStringLiteral("edtHidden"), QStringLiteral("x"), QRect(90, 40, 10, 10), false, false},
            label(QStringLiteral("日期"), 10, 40),
            value(QStringLiteral("edtRQ"), QStringLiteral("2026-12-07"), 80, 40)};
}

TDocumentLines lines()
{
    TDocumentLines l;
    l.Columns = {{QStringLiteral("PM"), QStringLiteral("品名")},
                 {QStringLiteral("SL"), QStringLiteral("数量")},
                 {QStringLiteral("DJ"), QStringLiteral("单价")},
                 {QStringLiteral("cJE"), QStringLiteral("金额")}};
    l.Rows = {{QStringLiteral("螺丝"), 3.0, 12.345, 37.035},
              {QStringLiteral("垫片"), 0.0, 0.5, 0.0},
              {QStringLiteral("0"), 2, 1.004, 2.008}};
    l.FooterRows = {{QString(), QString(), QString(), QStringLiteral("39.04")}};
    return l;
}

// A template: title and placeholders above, column titles, a sample line row, a note below.
QString writeTemplate(const QString &dir)
{
    TWorkbookLayout t;
    t.SetCell(0, 0, QStringLiteral("销售出库单"));
    t.SetCell(1, 0, QStringLiteral("单号"));
    t.SetCell(1, 1, QStringLiteral("[DJBH]"));
    t.SetCell(1, 2, QStringLiteral("[khmc]"));
    t.SetCell(2, 1, QStringLiteral("[NoSuchField]"));
    t.SetCell(3, 0, QStringLiteral("品名"));
    t.SetCell(4, 0, QStringLiteral("样例行"));
    t.SetCell(5, 0, QStringLiteral("签收："));
    const QString file = dir + QStringLiteral("/template.xlsx");
    EXPECT_TRUE(SaveWorkbookLayout(t, file));
    return file;
}

} // namespace

TEST(ContainerIterator, HeaderRowsFollowTheFormsVisualOrder)
{
    TContainerIterator it(header(), lines());
    ASSERT_EQ(it.HeaderRows().size(), 2);
    QStringList first, second;
    for (const auto &c : it.HeaderRows()[0])
        first << c.Name;
    for (const auto &c : it.HeaderRows()[1])
        second << c.Name;
    EXPECT_EQ(first, QStringList({QStringLiteral("lbl单号"), QStringLiteral("edtDJBH")}));
    EXPECT_EQ(second, QStringList({QStringLiteral("lbl日期"), QStringLiteral("edtRQ"),
                                   QStringLiteral("lbl客户："), QStringLiteral("edtKH")}));
}

TEST(ContainerIterator, LineValues)
{
    struct Case
    {
        const char *field;
        QVariant value;
        QVariant expected;
    };
    const Case cases[] = {
        {"DJ", 12.345, 12.35},
        {"cJE", 1.005, 1.01},
        {"sJE", -2.345, -2.35},
        {"JJ", 0.004, QVariant()}, // rounds to zero: empty
        {"SL", 0.0, QVariant()},
        {"SL", 0, QVariant()},
        {"SL", 2.5, 2.5},
        {"PM", QStringLiteral("0"), QVariant()},
        {"PM", QStringLiteral("00"), QStringLiteral("00")},
        {"BZ", QVariant(), QVariant()},
    };
    for (const Case &c : cases) {
        const QVariant got =
            TContainerIterator::LineCellValue(QString::fromLatin1(c.field), c.value);
        EXPECT_EQ(got.isNull(), c.expected.isNull())
            << c.field << " " << c.value.toString().toStdString();
        if (!c.expected.isNull()) {
            EXPECT_EQ(got.toString(), c.expected.toString()) << c.field;
        }
    }
}

TEST(ContainerIterator, PlainLayoutReadsBackFromTheWorkbook)
{
    QTemporaryDir dir;
    TContainerIterator it(header(), lines());
    it.Title = QStringLiteral("销售出库单");
    it.PageSetup.Left = 2.0;
    ASSERT_TRUE(it.Layout());
    EXPECT_FALSE(it.UsedTemplateFile());
    const QString file = dir.filePath(QStringLiteral("plain.xlsx"));
    QString error;
    ASSERT_TRUE(SaveWorkbookLayout(it.Sheet(), file, &error)) << error.toStdString();

    TSheetData s;
    ASSERT_TRUE(readXlsxSheet(file, 0, &s, &error)) << error.toStdString();
    EXPECT_EQ(s.cell(0, 0).toString(), QStringLiteral("销售出库单"));
    // Label one column, value two, side by side; a colon added where the label lacks one.
    EXPECT_EQ(s.cell(1, 0).toString(), QStringLiteral("单号:"));
    EXPECT_EQ(s.cell(1, 1).toString(), QStringLiteral("XS-0001"));
    EXPECT_EQ(s.cell(2, 0).toString(), QStringLiteral("日期:"));
    EXPECT_EQ(s.cell(2, 1).toString(), QStringLiteral("2026-12-07"));
    EXPECT_EQ(s.cell(2, 3).toString(), QStringLiteral("客户："));
    EXPECT_EQ(s.cell(2, 4).toString(), QStringLiteral("华联超市"));
    // Nothing of the status panel or hidden controls.
    for (int r = 0; r < s.rows.size(); ++r)
        for (int c = 0; c < s.rows[r].size(); ++c) {
            EXPECT_NE(s.cell(r, c).toString(), QStringLiteral("已审核"));
            EXPECT_NE(s.cell(r, c).toString(), QStringLiteral("x"));
        }
    // Table titles after an empty row, then the lines and the totals.
    EXPECT_EQ(s.cell(4, 0).toString(), QStringLiteral("品名"));
    EXPECT_EQ(s.cell(5, 0).toString(), QStringLiteral("螺丝"));
    EXPECT_EQ(s.cell(5, 2).toDouble(), 12.35);
    EXPECT_EQ(s.cell(5, 3).toDouble(), 37.04);
    EXPECT_TRUE(s.cell(6, 1).isNull()); // zero quantity stays empty
    EXPECT_TRUE(s.cell(6, 3).isNull());
    EXPECT_TRUE(s.cell(7, 0).isNull()); // a text reading "0" too
    EXPECT_EQ(s.cell(7, 2).toDouble(), 1.0);
    EXPECT_EQ(s.cell(8, 0).toString(), QStringLiteral("合计"));
    EXPECT_EQ(s.cell(8, 3).toDouble(), 39.04);
    EXPECT_EQ(s.rows.size(), 9);

    // Borders from the table titles to the totals, "0.00" on the price and amount columns.
    const TWorkbookLayout &sheet = it.Sheet();
    EXPECT_TRUE(sheet.Format(4, 0).HasBorder());
    EXPECT_TRUE(sheet.Format(8, 3).HasBorder());
    EXPECT_FALSE(sheet.Format(2, 0).HasBorder());
    EXPECT_EQ(sheet.Format(5, 2).NumberFormat, QStringLiteral("0.00"));
    EXPECT_TRUE(sheet.Format(5, 1).NumberFormat.isEmpty());
    // The same look is one style: every bordered two-decimal cell shares it.
    EXPECT_EQ(sheet.Cell(5, 2).Style, sheet.Cell(7, 3).Style);
    TSheetData formatted;
    ASSERT_TRUE(readXlsxSheet(file, 0, &formatted, &error, TSheetContent::ValuesAndFormats));
    EXPECT_TRUE(formatted.format(0, 0).Bold);
    EXPECT_EQ(formatted.format(0, 0).FontSize, 20);
    EXPECT_EQ(formatted.format(5, 2).NumberFormat, QStringLiteral("0.00"));
    EXPECT_EQ(formatted.format(8, 3).Borders[edBottom].Line, TBorderLine::Thin);
    // The title spans the header or the table, "合计" the columns before the first total.
    ASSERT_TRUE(sheet.MergeAt(0, 0));
    EXPECT_EQ(sheet.MergeAt(0, 0)->LastColumn, 5); // the header is wider than the table
    ASSERT_TRUE(sheet.MergeAt(8, 0));
    EXPECT_EQ(sheet.MergeAt(8, 0)->LastColumn, 2);
    EXPECT_EQ(sheet.Margins.Left, 2.0);
}

TEST(ContainerIterator, TemplateModeFillsPlaceholdersAndPlacesLines)
{
    QTemporaryDir dir;
    TContainerIterator it(header(), lines());
    it.TemplateFile = writeTemplate(dir.path());
    it.UseTemplate = true;
    it.LineStartRow = 5;
    it.Master = {{QStringLiteral("djbh"), QStringLiteral("XS-0042")},
                 {QStringLiteral("KHMC"), QStringLiteral("华联超市")}};
    ASSERT_TRUE(it.Layout());
    EXPECT_TRUE(it.UsedTemplateFile());
    const QString file = dir.filePath(QStringLiteral("filled.xlsx"));
    ASSERT_TRUE(SaveWorkbookLayout(it.Sheet(), file));

    TSheetData s;
    ASSERT_TRUE(readXlsxSheet(file, 0, &s));
    EXPECT_EQ(s.cell(1, 1).toString(), QStringLiteral("XS-0042"));
    EXPECT_EQ(s.cell(1, 2).toString(), QStringLiteral("华联超市"));
    EXPECT_TRUE(s.cell(2, 1).toString().isEmpty());
    EXPECT_EQ(s.cell(3, 0).toString(), QStringLiteral("品名"));
    // Lines from row 5 on, in place of the sample row; the note moves below the totals.
    EXPECT_EQ(s.cell(4, 0).toString(), QStringLiteral("螺丝"));
    EXPECT_EQ(s.cell(4, 2).toDouble(), 12.35);
    EXPECT_EQ(s.cell(6, 2).toDouble(), 1.0);
    EXPECT_EQ(s.cell(7, 0).toString(), QStringLiteral("合计"));
    EXPECT_EQ(s.cell(8, 0).toString(), QStringLiteral("签收："));
    for (int r = 0; r < s.rows.size(); ++r)
        EXPECT_NE(s.cell(r, 0).toString(), QStringLiteral("样例行"));
}

TEST(ContainerIterator, MissingTemplateFileGivesAPlainWorkbook)
{
    QTemporaryDir dir;
    TContainerIterator it(header(), lines());
    it.Title = QStringLiteral("销售出库单");
    it.TemplateFile = dir.filePath(QStringLiteral("gone.xlsx"));
    it.UseTemplate = true;
    it.FirstRow = 7;
    it.LineStartRow = 5;
    ASSERT_TRUE(it.Layout());
    EXPECT_FALSE(it.UsedTemplateFile());
    EXPECT_EQ(it.Sheet().Value(0, 0).toString(), QStringLiteral("销售出库单"));
    EXPECT_EQ(it.Sheet().Value(1, 0).toString(), QStringLiteral("单号:"));
    EXPECT_EQ(it.Sheet().Value(5, 0).toString(), QStringLiteral("螺丝"));
}

TEST(ContainerIterator, UnreadableTemplateIsRefusedWithAnError)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("broken.xlsx"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a workbook");
    f.close();
    TContainerIterator it(header(), lines());
    it.TemplateFile = file;
    it.UseTemplate = true;
    QString error;
    EXPECT_FALSE(it.Layout(&error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ContainerIterator, LongDocumentsPaintOnSeveralPages)
{
    TDocumentLines many = lines();
    for (int i = 0; i < 200; ++i)
        many.Rows.append({QStringLiteral("货品%1").arg(i), i + 1, 1.5, 1.5 * (i + 1)});
    TContainerIterator it(header(), many);
    it.Title = QStringLiteral("销售出库单");
    ASSERT_TRUE(it.Layout());
    QTemporaryDir dir;
    QPdfWriter pdf(dir.filePath(QStringLiteral("p.pdf")));
    pdf.setResolution(96);
    EXPECT_GT(PaintWorkbookLayout(it.Sheet(), pdf), 1);
}

namespace {

TCellFormat bordered(TBorderLine line)
{
    return TCellFormat().WithBorder(line);
}

// A shop's formatted template: a merged bold title, a styled placeholder, a sample line row
// with its own borders and number formats, a merged note below the lines, set widths and
// heights.
QString writeFormattedTemplate(const QString &dir)
{
    TWorkbookLayout t;
    TCellFormat title;
    title.Bold = true;
    title.FontSize = 16;
    title.HAlign = THorizontalAlign::Center;
    t.SetCell(0, 0, QStringLiteral("销售出库单"), title);
    t.Merge({0, 0, 0, 3});
    t.SetRowHeight(0, 30);
    TCellFormat placeholder;
    placeholder.Bold = true;
    placeholder.Italic = true;
    placeholder.FontColor = qRgb(0xC0, 0, 0);
    t.SetCell(1, 0, QStringLiteral("单号"));
    t.SetCell(1, 1, QStringLiteral("[DJBH]"), placeholder);
    t.SetCell(3, 0, QStringLiteral("品名"), bordered(TBorderLine::Thin));

    TCellFormat name = bordered(TBorderLine::Thin);
    name.FillColor = qRgb(0xFF, 0xFF, 0xCC);
    TCellFormat price = bordered(TBorderLine::Thin);
    price.Bold = true;
    price.NumberFormat = QStringLiteral("0.00");
    TCellFormat amount = bordered(TBorderLine::Thin);
    amount.Borders[edBottom].Line = TBorderLine::Medium;
    amount.NumberFormat = QStringLiteral("#,##0.00");
    t.SetCell(4, 0, QStringLiteral("样例行"), name);
    t.SetCell(4, 1, QVariant(), bordered(TBorderLine::Thin));
    t.SetCell(4, 2, QVariant(), price);
    t.SetCell(4, 3, QVariant(), amount);
    t.SetRowHeight(4, 22);

    t.SetCell(5, 0, QStringLiteral("签收："));
    t.SetCell(5, 1, QStringLiteral("(盖章)"), bordered(TBorderLine::Dotted));
    t.Merge({5, 1, 6, 3});
    t.SetColumnWidth(0, 20);
    t.SetColumnWidth(2, 11.57);
    const QString file = dir + QStringLiteral("/formatted.xlsx");
    EXPECT_TRUE(SaveWorkbookLayout(t, file));
    return file;
}

} // namespace

TEST(ContainerIterator, TemplateFormatsSurviveFilling)
{
    QTemporaryDir dir;
    TContainerIterator it(header(), lines());
    it.TemplateFile = writeFormattedTemplate(dir.path());
    it.UseTemplate = true;
    it.LineStartRow = 5;
    it.Master = {{QStringLiteral("DJBH"), QStringLiteral("XS-0042")}};
    ASSERT_TRUE(it.Layout());
    const QString file = dir.filePath(QStringLiteral("filled.xlsx"));
    ASSERT_TRUE(SaveWorkbookLayout(it.Sheet(), file));

    TSheetData s;
    QString error;
    ASSERT_TRUE(readXlsxSheet(file, 0, &s, &error, TSheetContent::ValuesAndFormats))
        << error.toStdString();
    // The placeholder is replaced in its own look; the title block above the lines stays.
    EXPECT_EQ(s.cell(1, 1).toString(), QStringLiteral("XS-0042"));
    EXPECT_TRUE(s.format(1, 1).Bold);
    EXPECT_TRUE(s.format(1, 1).Italic);
    EXPECT_EQ(s.format(1, 1).FontColor, qRgb(0xC0, 0, 0));
    EXPECT_TRUE(s.merges.contains(TSheetRange({0, 0, 0, 3})));
    EXPECT_EQ(s.format(0, 0).FontSize, 16);
    EXPECT_EQ(s.rowHeights.value(0), 30);

    // Three lines and the totals (rows 4-7) in the sample row's look, column by column.
    ASSERT_EQ(s.cell(4, 2).toDouble(), 12.35);
    for (int r = 4; r <= 7; ++r) {
        SCOPED_TRACE(r);
        EXPECT_TRUE(s.format(r, 2).Bold);
        EXPECT_EQ(s.format(r, 2).NumberFormat, QStringLiteral("0.00"));
        EXPECT_EQ(s.format(r, 0).FillColor, qRgb(0xFF, 0xFF, 0xCC));
        EXPECT_EQ(s.format(r, 1).Borders[edLeft].Line, TBorderLine::Thin);
        // The template's own lines and format win over the table frame's.
        EXPECT_EQ(s.format(r, 3).Borders[edBottom].Line, TBorderLine::Medium);
        EXPECT_EQ(s.format(r, 3).NumberFormat, QStringLiteral("#,##0.00"));
        EXPECT_EQ(s.rowHeights.value(r), 22);
    }
    EXPECT_EQ(s.cell(7, 0).toString(), QStringLiteral("合计"));
    // The note and its two-row merge moved down below the totals; no trace of the sample row.
    EXPECT_EQ(s.cell(8, 0).toString(), QStringLiteral("签收："));
    EXPECT_TRUE(s.merges.contains(TSheetRange({8, 1, 9, 3})));
    EXPECT_EQ(s.format(8, 1).Borders[edTop].Line, TBorderLine::Dotted);
    EXPECT_FALSE(s.rowHeights.contains(8));
    EXPECT_EQ(s.merges.size(), 3); // title, totals label, note
    EXPECT_EQ(s.columnWidths.value(0), 20);
    EXPECT_EQ(s.columnWidths.value(2), 11.57);
}

TEST(WorkbookLayout, RowsMoveMergesAndHeights)
{
    TWorkbookLayout sheet;
    sheet.SetCell(5, 0, QStringLiteral("x"));
    sheet.Merge({1, 0, 1, 2}); // above
    sheet.Merge({2, 0, 4, 0}); // spans the inserted row
    sheet.Merge({3, 1, 3, 2}); // at the inserted row
    sheet.SetRowHeight(3, 18);
    sheet.InsertRow(3);
    EXPECT_EQ(sheet.Merges()[0], TSheetRange({1, 0, 1, 2}));
    EXPECT_EQ(sheet.Merges()[1], TSheetRange({2, 0, 5, 0}));
    EXPECT_EQ(sheet.Merges()[2], TSheetRange({4, 1, 4, 2}));
    EXPECT_EQ(sheet.RowHeight(4), 18);
    EXPECT_EQ(sheet.RowHeight(3), 0);
    EXPECT_EQ(sheet.Value(6, 0).toString(), QStringLiteral("x"));

    sheet.RemoveRow(4);
    EXPECT_EQ(sheet.Merges().size(), 2); // the one-row block went with its row
    EXPECT_EQ(sheet.Merges()[1], TSheetRange({2, 0, 4, 0}));
    EXPECT_EQ(sheet.RowHeight(4), 0);
    sheet.RemoveRow(2);
    sheet.RemoveRow(2);
    EXPECT_EQ(sheet.Merges().size(), 1); // shrunk to a single cell: no merge any more
}

namespace {

bool isDark(QRgb pixel)
{
    return qGray(pixel) < 100;
}

int darkRun(const QImage &image, int x, int fromY, int toY)
{
    int run = 0;
    for (int y = fromY; y <= toY; ++y)
        run += isDark(image.pixel(x, y)) ? 1 : 0;
    return run;
}

} // namespace

TEST(ContainerIterator, PainterDrawsBordersFillsAndSizes)
{
    // Three cells of 10 characters on a 40-point row: thin frame, filled medium frame, none.
    TWorkbookLayout sheet;
    TCellFormat filled = bordered(TBorderLine::Medium);
    filled.FillColor = qRgb(0xFF, 0xFF, 0x00);
    sheet.SetCell(0, 0, QVariant(), bordered(TBorderLine::Thin));
    sheet.SetCell(0, 1, QVariant(), filled);
    sheet.SetCell(0, 2, QVariant());
    sheet.SetCell(1, 0, QStringLiteral("below"));
    for (int c = 0; c < 3; ++c)
        sheet.SetColumnWidth(c, 10);
    sheet.SetRowHeight(0, 30); // 40 pixels at 96 dpi

    QImage image(600, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRectF page(10, 10, 580, 180);
    EXPECT_EQ(PaintWorkbookRows(sheet, painter, page, 0), 2);
    painter.end();

    const int top = 10;
    const int bottom = 50;
    const int mid = (top + bottom) / 2;
    // Find the column edges along the top line of the first two cells.
    QList<int> edges;
    for (int x = 5; x < 600; ++x)
        if (isDark(image.pixel(x, mid)) && (edges.isEmpty() || x > edges.last() + 3))
            edges << x;
    ASSERT_GE(edges.size(), 3);
    EXPECT_NEAR(edges[0], 10, 1);
    const int cellWidth = edges[1] - edges[0];
    EXPECT_GT(cellWidth, 40);
    EXPECT_NEAR(edges[2] - edges[1], cellWidth, 2); // equal set widths
    // The frame closes the row at its set height, not at the body font's.
    EXPECT_TRUE(isDark(image.pixel(edges[0] + cellWidth / 2, bottom)));
    EXPECT_FALSE(isDark(image.pixel(edges[0] + cellWidth / 2, bottom + 4)));
    // Inside: white in the plain frame, yellow in the filled one.
    EXPECT_EQ(image.pixel(edges[0] + cellWidth / 2, mid), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(edges[1] + cellWidth / 2, mid), qRgb(255, 255, 0));
    // A medium line is thicker than a thin one.
    const int thin = darkRun(image, edges[0] + cellWidth / 2, top - 4, top + 4);
    const int medium = darkRun(image, edges[1] + cellWidth / 2, top - 4, top + 4);
    EXPECT_GE(thin, 1);
    EXPECT_GT(medium, thin);
    // The third cell has no lines of its own: nothing at its right edge.
    EXPECT_EQ(darkRun(image, edges[0] + 3 * cellWidth + 1, top + 2, bottom - 2), 0);
}

TEST(ContainerIterator, RowAndColumnFormatsReachTheLines)
{
    // Formats given to a whole column and to the sample row, with no cell stored for them, as
    // a spreadsheet program saves a template formatted by selecting columns and rows.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("columns.xlsx"));
    lxw_workbook *workbook = workbook_new(file.toUtf8().constData());
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Sheet1");
    lxw_format *price = workbook_add_format(workbook);
    format_set_bold(price);
    format_set_num_format(price, "0.000");
    lxw_format *sample = workbook_add_format(workbook);
    format_set_bottom(sample, LXW_BORDER_DOUBLE);
    worksheet_set_column(sheet, 2, 2, 12, price);
    worksheet_set_row(sheet, 4, 18, sample);
    worksheet_write_string(sheet, 3, 0, "品名", nullptr);
    worksheet_write_string(sheet, 4, 0, "样例行", nullptr);
    worksheet_write_string(sheet, 5, 0, "签收：", nullptr);
    ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);

    TSheetData t;
    ASSERT_TRUE(readXlsxSheet(file, 0, &t, nullptr, TSheetContent::ValuesAndFormats));
    EXPECT_TRUE(t.format(10, 2).Bold); // an empty cell of the column
    EXPECT_EQ(t.format(4, 5).Borders[edBottom].Line, TBorderLine::Double); // of the row
    EXPECT_FALSE(t.format(5, 5).HasBorder());

    TContainerIterator it(header(), lines());
    it.TemplateFile = file;
    it.UseTemplate = true;
    it.LineStartRow = 5;
    ASSERT_TRUE(it.Layout());
    const TWorkbookLayout &filled = it.Sheet();
    // The sample row's format wins over the column's, as on the sheet.
    for (int r = 4; r <= 6; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(filled.Format(r, 1).Borders[edBottom].Line, TBorderLine::Double);
        EXPECT_EQ(filled.Format(r, 3).Borders[edBottom].Line, TBorderLine::Double);
        EXPECT_FALSE(filled.Format(r, 2).Bold);
    }
    EXPECT_EQ(filled.Value(8, 0).toString(), QStringLiteral("签收："));
    EXPECT_TRUE(filled.Format(8, 2).Bold);
    EXPECT_EQ(filled.Format(8, 2).NumberFormat, QStringLiteral("0.000"));
}

TEST(ContainerIterator, PaintedNumbersReadAsTheSheetShowsThem)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    struct Case
    {
        double value;
        const char *code;
        const char *shown;
    };
    const Case cases[] = {{1234.5, "#,##0.00", "1,234.50"},
                          {7, "0.00", "7.00"},
                          {0.125, "0.0%", "12.5%"},
                          {46363, "yyyy-mm-dd", "2026-12-07"},
                          {2.5, "", "2.5"}};
    TWorkbookLayout sheet;
    int row = 0;
    for (const Case &c : cases) {
        TCellFormat format;
        format.NumberFormat = QString::fromUtf8(c.code);
        sheet.SetCell(row, 0, QStringLiteral("x"));
        sheet.SetCell(row++, 1, c.value, format);
    }
    sheet.SetColumnWidth(1, 16);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("numbers.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(300);
        ASSERT_EQ(PaintWorkbookLayout(sheet, writer), 1);
    }
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(process.waitForFinished(60000));
    QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    lines.removeIf([](const QString &line) { return line.trimmed().isEmpty(); }); // page feed
    // One line per row, the number at its end as the format shows it.
    ASSERT_EQ(lines.size(), qsizetype(std::size(cases)))
        << lines.join(QLatin1Char('|')).toStdString();
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(
            lines[i].trimmed().endsWith(QLatin1Char(' ') + QString::fromUtf8(cases[i].shown)))
            << lines[i].toStdString() << " / " << cases[i].code;
}
