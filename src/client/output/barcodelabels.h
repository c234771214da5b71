// Goods barcode labels printed straight onto a sheet of labels: the Code 128 symbol of each
// goods' barcode with its name, 规格 (size or model), unit and price, in a grid of labels per page
// (3 × 8 on A4 unless configured), on any paged device (a printer, its preview, a PDF file).
#pragma once

#include <QList>
#include <QMarginsF>
#include <QSizeF>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QRectF;

namespace output {

// Light margin on each side of a symbol, in modules; scanners need it to find the start.
inline constexpr int Code128QuietZone = 10;

// A Code 128 symbol: start, data and check symbols of 11 modules each and the stop of 13.
struct TCode128
{
    bool Ok = false;
    QString Error;       // why the text cannot be encoded, when not Ok
    QList<int> Symbols;  // symbol values: start (104 B, 105 C), data, check, stop (106)
    QList<int> Widths;   // module widths, bar first, alternating bar and space, stop included
    int CheckSymbol = 0; // the mod-103 check value

    // Modules of the symbol itself, and with the quiet zones on both sides.
    int SymbolModules() const;
    int TotalModules() const { return SymbolModules() + 2 * Code128QuietZone; }
    // The symbol as "1" for a bar module and "0" for a space module.
    QString ModuleString() const;
};

// Encodes printable ASCII (32–126) with code sets B and C: set C for runs of four or more
// digits and for a text that is an even number of digits, an odd run giving its first digit
// (or, at the start, its last) to set B. Any other character, or an empty text, gives a
// result that is not Ok.
TCode128 EncodeCode128(const QString &text);

struct TBarcodeLabel
{
    QString Code; // the barcode's text
    QString Name;
    QString Size; // 规格
    QString Unit;
    double Price = 0;
};

// The sheet: label size, grid and the page margins, in millimetres from the device's
// printable area. The defaults are the common 24-label A4 sheet (63.5 × 33.9 mm).
struct TLabelSheet
{
    int Columns = 3;
    int Rows = 8;
    QSizeF LabelSizeMm{63.5, 33.9};
    QSizeF GapMm{2.5, 0}; // between neighbouring labels
    QMarginsF MarginsMm{6.5, 12.9, 6.5, 12.9};
    double PaddingMm = 2; // inside each label
};

class TBarcodeLabelPrinter
{
public:
    explicit TBarcodeLabelPrinter(QList<TBarcodeLabel> labels = {});

    QList<TBarcodeLabel> &Labels() { return m_labels; }
    const QList<TBarcodeLabel> &Labels() const { return m_labels; }
    TLabelSheet &Sheet() { return m_sheet; }
    const TLabelSheet &Sheet() const { return m_sheet; }

    // Labels per page on the device: the sheet's grid, cut to the rows and columns that fit
    // its page (at least one label).
    int LabelsPerPage(QPagedPaintDevice &device) const;
    // 0 without labels.
    int PageCount(QPagedPaintDevice &device) const;
    // Paints every page; false when there is nothing to print or the device cannot be
    // painted on.
    bool Print(QPagedPaintDevice &device) const;

    // Paints one label into rect (device pixels; dotsPerMm converts the sheet's sizes), for
    // the pages and for previews on any painter.
    void PaintLabel(QPainter &painter, const QRectF &rect, double dotsPerMm,
                    const TBarcodeLabel &label) const;

private:
    struct Grid;
    Grid grid(QPagedPaintDevice &device) const;

    QList<TBarcodeLabel> m_labels;
    TLabelSheet m_sheet;
};

// The price as a label shows it: "¥12.50".
QString LabelPriceText(double price);

} // namespace output
