// Number format codes as a sheet shows numbers, dates by their cell's format, and cell formats
// written by the layout and read back from the workbook.
#include "client/output/cellformat.h"
#include "client/output/containeriterator.h"
#include "client/output/xlsxreader.h"

#include <QTemporaryDir>

#include <limits>

#include <gtest/gtest.h>

using namespace output;

TEST(CellFormat, NumbersShowAsTheirFormatSays)
{
    struct Case
    {
        double value;
        const char *code;
        const char *shown;
    };
    const Case cases[] = {
        {1234.5, "", "1234.5"},
        {1234.5, "General", "1234.5"},
        {1234.5, "0", "1235"},
        {2.345, "0.00", "2.35"},
        {-2.345, "0.00", "-2.35"},
        {-0.001, "0.00", "0.00"}, // rounds to zero: no sign
        {0.5, "#.00", ".50"},
        {1234567.891, "#,##0.00", "1,234,567.89"},
        {-1234.5, "#,##0.00", "-1,234.50"},
        {999.996, "#,##0.00", "1,000.00"},
        {0.125, "0%", "13%"},
        {0.1234, "0.00%", "12.34%"},
        {-5, "#,##0.00;[Red](#,##0.00)", "(5.00)"},
        {0, "0.00;-0.00;\"-\"", "-"},
        {12.3, "¥#,##0.00", "¥12.30"},
        {12.3, "[$¥-804]#,##0.00", "¥12.30"},
        {12.3, "#,##0.00_ ", "12.30 "},
        {7, "0\"件\"", "7件"},
        {12345, "0.00E+00", "1.23E+04"},
        {1234567, "#,##0,", "1,235"},
        {46363, "yyyy-mm-dd", "2026-12-07"},
        {46363, "yyyy/m/d", "2026/12/7"},
        {46363, "yyyy\"年\"m\"月\"d\"日\"", "2026年12月7日"},
        {46363.5, "yyyy/m/d h:mm", "2026/12/7 12:00"},
        {46363, "d-mmm-yy", "7-Dec-26"},
        {0.75, "h:mm AM/PM", "6:00 PM"},
        {0.75, "hh:mm:ss", "18:00:00"},
        {1.5, "[h]:mm:ss", "36:00:00"},
        {0.6, "上午/下午h\"时\"mm\"分\"", "下午2时24分"},
        {-3, "yyyy-mm-dd", "-3"}, // no calendar day: the number
        {1e10, "yyyy-mm-dd", "10000000000"},
        {std::numeric_limits<double>::infinity(), "0.00", "inf"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatNumber(c.value, QString::fromUtf8(c.code)), QString::fromUtf8(c.shown))
            << c.code << " " << c.value;
    EXPECT_TRUE(FormatNumber(1e300, QStringLiteral("#,##0.00")).endsWith(QStringLiteral(".00")));
    EXPECT_FALSE(FormatNumber(1, QStringLiteral("0.") + QString(400, QLatin1Char('0'))).isEmpty());
}

TEST(CellFormat, DateFormatsAreRecognised)
{
    struct Case
    {
        const char *code;
        bool date;
    };
    const Case cases[] = {
        {"yyyy-mm-dd", true},
        {"m/d/yy", true},
        {"h:mm", true},
        {"[h]:mm:ss", true},
        {"[$-804]yyyy\"年\"m\"月\"", true},
        {"0.00", false},
        {"General", false},
        {"@", false},
        {"#,##0.00_ ;[Red]-#,##0.00 ", false},
        {"\"d\"0", false}, // a quoted letter is text
        {"0\\d", false},   // so is an escaped one
        {"[Red]0.00", false},
        {"0.00E+00", false},
        {"0;yyyy", false}, // the first section decides
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsDateTimeFormat(QString::fromUtf8(c.code)), c.date) << c.code;
    for (int id : {14, 22, 27, 31, 57, 58})
        EXPECT_TRUE(IsDateTimeFormat(BuiltInNumberFormat(id))) << id;
    for (int id : {0, 1, 2, 4, 10, 49})
        EXPECT_FALSE(IsDateTimeFormat(BuiltInNumberFormat(id))) << id;
}

TEST(CellFormat, SerialDays)
{
    struct Case
    {
        double serial;
        QDateTime at;
    };
    const Case cases[] = {
        {1, QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC)},
        {59, QDateTime(QDate(1900, 2, 28), QTime(0, 0), Qt::UTC)},
        {61, QDateTime(QDate(1900, 3, 1), QTime(0, 0), Qt::UTC)},
        {45000.25, QDateTime(QDate(2023, 3, 15), QTime(6, 0), Qt::UTC)},
        {46363.999988426, QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59), Qt::UTC)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DateFromSerial(c.serial), c.at) << c.serial;
        EXPECT_NEAR(SerialFromDate(c.at), c.serial, 1e-6) << c.serial;
    }
    EXPECT_EQ(DateFromSerial(0, true).date(), QDate(1904, 1, 1));
}

TEST(CellFormat, EveryPropertyRoundTripsThroughTheWorkbook)
{
    TCellFormat full;
    full.FontName = QStringLiteral("宋体");
    full.FontSize = 14;
    full.Bold = true;
    full.Italic = true;
    full.Underline = true;
    full.FontColor = qRgb(0xFF, 0, 0);
    full.FillColor = qRgb(0xFF, 0xFF, 0);
    full.Borders[edLeft] = {TBorderLine::Thin, 0};
    full.Borders[edTop] = {TBorderLine::Medium, qRgb(0, 0, 0xFF)};
    full.Borders[edRight] = {TBorderLine::Dashed, 0};
    full.Borders[edBottom] = {TBorderLine::Double, qRgb(0, 0x80, 0)};
    full.HAlign = THorizontalAlign::Center;
    full.VAlign = TVerticalAlign::Top;
    full.Wrap = true;
    full.NumberFormat = QStringLiteral("#,##0.000");
    TCellFormat black;
    black.FontColor = qRgb(0, 0, 0); // black is a colour, not "automatic"

    auto numberFormat = [](const char *code) {
        TCellFormat format;
        format.NumberFormat = QString::fromUtf8(code);
        return format;
    };
    TWorkbookLayout layout;
    layout.SetCell(0, 0, 1.5, full);
    layout.SetCell(0, 5, QStringLiteral("t"), black);
    layout.SetCell(2, 0, 46363.0, numberFormat("yyyy-mm-dd"));
    layout.SetCell(2, 1, 46363.0);
    layout.SetCell(2, 2, 46363.0, numberFormat("m/d/yy"));
    layout.SetCell(2, 3, QStringLiteral("2026-12-07"), numberFormat("yyyy-mm-dd"));
    layout.Merge({3, 1, 4, 3});
    layout.SetColumnWidth(1, 12.57); // widths are whole pixels: 12.5 would read back so
    layout.SetRowHeight(3, 27.75);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("formats.xlsx"));
    ASSERT_TRUE(SaveWorkbookLayout(layout, file));

    TSheetData plain;
    ASSERT_TRUE(readXlsxSheet(file, 0, &plain));
    EXPECT_TRUE(plain.formats.isEmpty()); // values only unless asked
    EXPECT_FALSE(plain.dateTime(2, 0).isValid());

    TSheetData s;
    ASSERT_TRUE(readXlsxSheet(file, 0, &s, nullptr, TSheetContent::ValuesAndFormats));
    EXPECT_EQ(s.format(0, 0), full);
    EXPECT_EQ(s.format(0, 5).FontColor, qRgb(0, 0, 0));
    EXPECT_EQ(s.format(1, 1), s.formats[0]); // never written: the default
    EXPECT_EQ(s.columnWidths.value(1), 12.57);
    EXPECT_EQ(s.rowHeights.value(3), 27.75);
    EXPECT_EQ(s.merges, QList<TSheetRange>({{3, 1, 4, 3}}));
    // Dates by the cell's number format; a built-in date id (14) too; not the general number
    // nor a text in a date format.
    EXPECT_EQ(s.dateTime(2, 0).date(), QDate(2026, 12, 7));
    EXPECT_FALSE(s.dateTime(2, 1).isValid());
    EXPECT_EQ(s.dateTime(2, 2).date(), QDate(2026, 12, 7));
    EXPECT_FALSE(s.dateTime(2, 3).isValid());
}
