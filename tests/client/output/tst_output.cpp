// The grid exporters: what lands in each file format, read back the way a user's program
// would read it.
#include "client/output/excelexport.h"
#include "client/output/gridexport.h"
#include "client/output/xlsxreader.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace output;

namespace {

struct Column
{
    QString title;
    ColumnKind kind;
    QString format;
};

// Rows as a grid would show them: display text beside the typed value.
class TableSource : public TExportSource
{
public:
    QList<Column> columns;
    QList<QList<QVariant>> values;

    int columnCount() const override { return int(columns.size()); }
    int rowCount() const override { return int(values.size()); }
    QString columnTitle(int c) const override { return columns[c].title; }
    ColumnKind columnKind(int c) const override { return columns[c].kind; }
    QString displayFormat(int c) const override { return columns[c].format; }
    QVariant cellValue(int r, int c) const override { return values[r][c]; }
    QString cellText(int r, int c) const override
    {
        const QVariant v = values[r][c];
        if (v.isNull())
            return {};
        if (columns[c].kind == ColumnKind::Number)
            return QString::number(v.toDouble(), 'f', 2);
        if (columns[c].kind == ColumnKind::Date)
            return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        return v.toString();
    }
};

TableSource goodsTable()
{
    TableSource t;
    t.columns = {{QStringLiteral("编号"), ColumnKind::Text, {}},
                 {QStringLiteral("品名"), ColumnKind::Text, {}},
                 {QStringLiteral("金额"), ColumnKind::Number, QStringLiteral("#,0.00")},
                 {QStringLiteral("日期"), ColumnKind::Date, {}}};
    t.values = {
        {QStringLiteral("A01"), QStringLiteral("螺丝, \"M3\""), 1234.5, QDate(2024, 3, 1)},
        {QStringLiteral("A02"), QStringLiteral("多行\r\n说明"), QVariant(), QDate(2024, 3, 2)},
        {QStringLiteral("A03"), QStringLiteral("O'Neil"), -0.25, QVariant()}};
    return t;
}

TableSource wideTable(int columns, int rows)
{
    TableSource t;
    for (int c = 0; c < columns; ++c)
        t.columns.append({QStringLiteral("列%1").arg(c + 1), ColumnKind::Text, {}});
    for (int r = 0; r < rows; ++r) {
        QList<QVariant> row;
        for (int c = 0; c < columns; ++c)
            row.append(QStringLiteral("r%1c%2").arg(r).arg(c));
        t.values.append(row);
    }
    return t;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

TEST(ExcelColumns, LettersFollowTheWorkbookRule)
{
    EXPECT_EQ(ExcelColumnLetters(1), QStringLiteral("A"));
    EXPECT_EQ(ExcelColumnLetters(26), QStringLiteral("Z"));
    EXPECT_EQ(ExcelColumnLetters(27), QStringLiteral("AA"));
    EXPECT_EQ(ExcelColumnLetters(52), QStringLiteral("AZ"));
    EXPECT_EQ(ExcelColumnLetters(53), QStringLiteral("BA"));
    EXPECT_EQ(ExcelTargetRange(27, 101), QStringLiteral("A1:AA101"));
    EXPECT_EQ(ExcelTargetRange(52, 3), QStringLiteral("A1:AZ3"));
}

TEST(ExcelColumns, WideGridsLandInTheColumnsTheRangeNames)
{
    QTemporaryDir dir;
    for (const int columns : {27, 52}) {
        const TableSource table = wideTable(columns, 3);
        const QString path = dir.filePath(QStringLiteral("wide%1.xlsx").arg(columns));
        QString written;
        ASSERT_TRUE(ExportGridToExcel(table, path, &written));
        EXPECT_EQ(written, path);
        TSheetData sheet;
        ASSERT_TRUE(readXlsxSheet(path, 0, &sheet));
        ASSERT_EQ(sheet.rows.size(), 4);
        int lastRow = 0;
        int lastColumn = 0;
        parseCellReference(ExcelTargetRange(columns, 4).section(QLatin1Char(':'), 1), &lastRow,
                           &lastColumn);
        EXPECT_EQ(lastColumn, columns - 1);
        EXPECT_EQ(sheet.cell(0, lastColumn).toString(), QStringLiteral("列%1").arg(columns));
        EXPECT_EQ(sheet.cell(lastRow, lastColumn).toString(),
                  QStringLiteral("r2c%1").arg(columns - 1));
        EXPECT_FALSE(sheet.cell(0, columns).isValid());
    }
}

TEST(GridExport, WorkbookKeepsTypesAndDropsCarriageReturns)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("goods.xlsx"));
    ASSERT_TRUE(ExportGridToExcel(goodsTable(), path));
    TSheetData sheet;
    QString error;
    ASSERT_TRUE(readXlsxSheet(path, 0, &sheet, &error)) << error.toStdString();
    EXPECT_EQ(sheet.cell(0, 1).toString(), QStringLiteral("品名"));
    EXPECT_EQ(sheet.cell(1, 1).toString(), QStringLiteral("螺丝, \"M3\""));
    EXPECT_EQ(sheet.cell(2, 1).toString(), QStringLiteral("多行\n说明"));
    EXPECT_DOUBLE_EQ(sheet.cell(1, 2).toDouble(), 1234.5);
    EXPECT_FALSE(sheet.cell(2, 2).isValid()) << "an empty cell stays empty";
    EXPECT_DOUBLE_EQ(sheet.cell(3, 2).toDouble(), -0.25);
    // Dates are day numbers counted from 1899-12-30.
    EXPECT_DOUBLE_EQ(sheet.cell(1, 3).toDouble(), 45352.0);
}

TEST(GridExport, CsvRoundTripsThroughAnRfc4180Reader)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("goods.csv"));
    ASSERT_TRUE(exportToFile(goodsTable(), path, ExportFormat::Csv));
    QByteArray bytes = readAll(path);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << "spreadsheet programs need the BOM for UTF-8";
    const QString text = QString::fromUtf8(bytes.mid(3));

    // A minimal RFC 4180 reader.
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && text.mid(i, 2) == QLatin1String("\r\n")) {
            record << field;
            records << record;
            record.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[0], (QStringList{QStringLiteral("编号"), QStringLiteral("品名"),
                                       QStringLiteral("金额"), QStringLiteral("日期")}));
    EXPECT_EQ(records[1][1], QStringLiteral("螺丝, \"M3\""));
    EXPECT_EQ(records[1][2], QStringLiteral("1234.50"));
    EXPECT_EQ(records[2][1], QStringLiteral("多行\r\n说明"));
    EXPECT_EQ(records[3][1], QStringLiteral("O'Neil"));
    EXPECT_EQ(records[3][3], QString());
}

TEST(GridExport, HtmlRtfAndTextCarryEveryRow)
{
    QTemporaryDir dir;
    const TableSource table = goodsTable();
    const QString html = dir.filePath(QStringLiteral("g.htm"));
    const QString rtf = dir.filePath(QStringLiteral("g.rtf"));
    const QString txt = dir.filePath(QStringLiteral("g.txt"));
    ASSERT_TRUE(exportToFile(table, html, ExportFormat::Html));
    ASSERT_TRUE(exportToFile(table, rtf, ExportFormat::Rtf));
    ASSERT_TRUE(exportToFile(table, txt, ExportFormat::Text));

    const QString h = QString::fromUtf8(readAll(html));
    EXPECT_TRUE(h.contains(QStringLiteral("<th>品名</th>")));
    EXPECT_TRUE(h.contains(QStringLiteral("螺丝, &quot;M3&quot;")));
    EXPECT_EQ(h.count(QStringLiteral("<tr>")), 4);

    const QString r = QString::fromLatin1(readAll(rtf));
    EXPECT_TRUE(r.startsWith(QStringLiteral("{\\rtf1")));
    EXPECT_EQ(r.count(QStringLiteral("\\row")), 4);
    EXPECT_TRUE(r.contains(QStringLiteral("\\u21697?"))) << "品 is U+54C1 = 21697";

    const QStringList lines =
        QString::fromUtf8(readAll(txt)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[3].split(QLatin1Char('\t')).value(1), QStringLiteral("O'Neil"));
}

TEST(GridExport, ExtensionIsAppendedUnlessTheNameEndsWithIt)
{
    EXPECT_EQ(withExportExtension(QStringLiteral("/tmp/货品资料"), ExportFormat::Csv),
              QStringLiteral("/tmp/货品资料.csv"));
    EXPECT_EQ(withExportExtension(QStringLiteral("/tmp/a.CSV"), ExportFormat::Csv),
              QStringLiteral("/tmp/a.CSV"));
    EXPECT_EQ(withExportExtension(QStringLiteral("a.xls"), ExportFormat::Excel),
              QStringLiteral("a.xls.xlsx"));
    EXPECT_EQ(withExportExtension(QStringLiteral("a.xlsx"), ExportFormat::Excel),
              QStringLiteral("a.xlsx"));
    EXPECT_EQ(withExportExtension(QStringLiteral("a"), ExportFormat::Html),
              QStringLiteral("a.htm"));
}

TEST(GridExport, DisplayMasksBecomeWorkbookFormats)
{
    EXPECT_EQ(excelNumberFormat(QStringLiteral("#,0.00")), QStringLiteral("#,##0.00"));
    EXPECT_EQ(excelNumberFormat(QStringLiteral("#,0.##")), QStringLiteral("#,##0.##"));
    EXPECT_EQ(excelNumberFormat(QStringLiteral("0.00")), QStringLiteral("0.00"));
    EXPECT_EQ(excelNumberFormat(QStringLiteral("￥,0.00")), QStringLiteral("\"￥\"#,##0.00"));
    EXPECT_EQ(excelNumberFormat(QStringLiteral("0.0%")), QStringLiteral("0.0%"));
    EXPECT_EQ(excelNumberFormat(QString()), QString());
}

TEST(GridExport, UnwritableTargetIsAnErrorNotACrash)
{
    QString error;
    EXPECT_FALSE(exportToFile(goodsTable(), QStringLiteral("/nonexistent/dir/x.csv"),
                              ExportFormat::Csv, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(exportToFile(goodsTable(), QStringLiteral("/nonexistent/dir/x.xlsx"),
                              ExportFormat::Excel, &error));
    TSheetData sheet;
    EXPECT_FALSE(readXlsxSheet(QStringLiteral("/nonexistent.xlsx"), 0, &sheet, &error));
}
