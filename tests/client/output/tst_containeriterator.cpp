// The document worksheet: header order, line values, template filling, and the workbook as a
// spreadsheet program reads it back.
#include "client/output/containeriterator.h"
#include "client/output/xlsxreader.h"

#include <QImage>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    EXPECT_TRUE(sheet.Cell(4, 0).Style & csBorder);
    EXPECT_TRUE(sheet.Cell(8, 3).Style & csBorder);
    EXPECT_FALSE(sheet.Cell(2, 0).Style & csBorder);
    EXPECT_TRUE(sheet.Cell(5, 2).Style & csTwoDecimals);
    EXPECT_FALSE(sheet.Cell(5, 1).Style & csTwoDecimals);
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
