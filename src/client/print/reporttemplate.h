// A banded report template (.rtm, JSON): the page, its bands and the items on them. Sizes
// and positions are millimetres; an item's position is relative to its band's top left.
// docs/report-templates.md describes the file.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>

namespace print {

enum class TBandKind {
    Title,        // once, at the top of the first page
    PageHeader,   // at the top of every page
    Master,       // once per document, after the title
    ColumnHeader, // above the lines on every page that has lines
    Detail,       // once per line
    Summary,      // once, after the last line
    PageFooter,   // at the bottom of every page
};

enum class TItemKind { Text, Line, Rectangle, Picture, Barcode, QrCode };

// Which edges of an item carry a border line.
enum TBorder {
    BorderNone = 0,
    BorderLeft = 1,
    BorderTop = 2,
    BorderRight = 4,
    BorderBottom = 8,
    BorderAll = 15
};

struct TReportFont
{
    QString Family; // empty: the Song face
    double PointSize = 10;
    bool Bold = false;
    bool Italic = false;
    bool operator==(const TReportFont &) const = default;
};

struct TReportItem
{
    TItemKind Kind = TItemKind::Text;
    QString Name;   // a named text's name; the report's program sets its text
    QRectF Rect;    // millimetres within the band
    QString Text;   // static text with "[FIELD]", "[Line.FIELD]", "[Sum(Line.FIELD)]" ...
    QString Format; // "0.00", "#,##0.00", "yyyy-MM-dd"
    bool BlankWhenZero = false;
    Qt::Alignment Align = Qt::AlignLeft | Qt::AlignVCenter;
    bool WordWrap = false;
    TReportFont Font;
    int Borders = BorderNone;
    double PenWidth = 0.2; // millimetres, for borders, lines and rectangles
    QString Barcode;       // "code128" or "ean13"
    bool ShowBarcodeText = true;
    QByteArray Picture; // image file bytes, kept in the template
    bool operator==(const TReportItem &) const = default;
};

struct TReportBand
{
    TBandKind Kind = TBandKind::Detail;
    double Height = 8; // millimetres
    QList<TReportItem> Items;
    bool operator==(const TReportBand &) const = default;
};

struct TReportTemplate
{
    QPageSize::PageSizeId PageSize = QPageSize::A4;
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    QMarginsF MarginsMm{15, 12, 15, 12};
    QList<TReportBand> Bands;

    const TReportBand *Band(TBandKind kind) const;
    QSizeF PageSizeMm() const;
    bool operator==(const TReportTemplate &) const = default;
};

QByteArray TemplateToJson(const TReportTemplate &report);
// False with a message that says what is wrong; report is left as it was.
bool TemplateFromJson(const QByteArray &json, TReportTemplate &report, QString *error);

bool LoadReportTemplate(const QString &fileName, TReportTemplate &report, QString *error);
bool SaveReportTemplate(const QString &fileName, const TReportTemplate &report, QString *error);

} // namespace print
