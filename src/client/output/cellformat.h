// How a worksheet cell looks: font, fill, borders, alignment and number format, as a plain value
// that the workbook reader fills, the layout deduplicates and the writer and painter apply.
#pragma once

#include <QDateTime>
#include <QRgb>
#include <QString>

#include <array>

namespace output {

// The line styles of a cell edge, numbered as the workbook format numbers them.
enum class TBorderLine : quint8 {
    None,
    Thin,
    Medium,
    Dashed,
    Dotted,
    Thick,
    Double,
    Hair,
    MediumDashed,
    DashDot,
    MediumDashDot,
    DashDotDot,
    MediumDashDotDot,
    SlantDashDot
};

// The element name of a line style in the workbook's XML ("thin", ...), and back; unknown
// names read as None.
QString BorderLineName(TBorderLine line);
TBorderLine BorderLineFromName(QStringView name);

enum class THorizontalAlign : quint8 { General, Left, Center, Right, Fill, Justify, CenterAcross };
enum class TVerticalAlign : quint8 { Bottom, Top, Center, Justify };

enum TCellEdge { edLeft, edTop, edRight, edBottom };

// A block of cells, zero-based and inclusive.
struct TSheetRange
{
    int FirstRow = 0;
    int FirstColumn = 0;
    int LastRow = 0;
    int LastColumn = 0;
    bool Contains(int row, int column) const
    {
        return row >= FirstRow && row <= LastRow && column >= FirstColumn && column <= LastColumn;
    }
    bool operator==(const TSheetRange &) const = default;
};

struct TCellBorder
{
    TBorderLine Line = TBorderLine::None;
    QRgb Color = 0; // 0: automatic (black)
    bool operator==(const TCellBorder &) const = default;
};

struct TCellFormat
{
    QString FontName;    // empty: the sheet's body font
    double FontSize = 0; // points; 0: the body size
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    QRgb FontColor = 0;                   // 0: automatic
    QRgb FillColor = 0;                   // 0: no fill
    std::array<TCellBorder, 4> Borders{}; // by TCellEdge
    THorizontalAlign HAlign = THorizontalAlign::General;
    TVerticalAlign VAlign = TVerticalAlign::Bottom;
    bool Wrap = false;
    QString NumberFormat; // format code; empty: General

    bool operator==(const TCellFormat &) const = default;
    bool HasBorder() const;
    // The same format with a line on every edge.
    TCellFormat WithBorder(TBorderLine line) const;
};

// The code of a built-in number format id (as a Chinese-language spreadsheet shows it), empty
// for General and ids that have none.
QString BuiltInNumberFormat(int id);

// True when the code shows a number as a date or a time.
bool IsDateTimeFormat(const QString &code);

// The date and time of a serial day number; the 1900 system counts the nonexistent
// 1900-02-29 as day 60, the 1904 system starts at 1904-01-01 = 0.
QDateTime DateFromSerial(double serial, bool date1904 = false);
double SerialFromDate(const QDateTime &dateTime);

// The number as a cell with this format code shows it.
QString FormatNumber(double value, const QString &code, bool date1904 = false);

} // namespace output
