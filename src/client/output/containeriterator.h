// A business document laid out on a worksheet: the title, the header fields as the document
// form arranges them, the line table with its totals, borders and number formats. The layout
// is either written to an .xlsx workbook or painted on a printer (the print preview), so both
// show the same cells.
#pragma once

#include "client/output/cellformat.h"

#include <QList>
#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>

class QPagedPaintDevice;
class QPainter;
class QRectF;

namespace output {

// One control of the document's header panel, as the form shows it.
struct THeaderControl
{
    QString Name;
    QString Text;
    QRect Geometry; // position in the header panel
    bool IsLabel = false;
    bool Visible = true;
};

struct TLineColumn
{
    QString FieldName;
    QString Title;
};

// The line grid: its visible columns, every record's values (one per column) and the texts of
// its footer rows (none when the grid shows no footer).
struct TDocumentLines
{
    QList<TLineColumn> Columns;
    QList<QVariantList> Rows;
    QList<QStringList> FooterRows;
};

// Page margins in centimetres.
struct TSheetMargins
{
    double Top = 1.5;
    double Bottom = 1.5;
    double Left = 1.0;
    double Right = 1.0;
    double Header = 0.5;
    double Footer = 0.5;
};

struct TSheetCell
{
    QVariant Value; // QString or double; null for an empty cell
    int Style = 0;  // index into the layout's styles, 0 = the default format
};

// The laid-out worksheet, zero-based rows and columns. Cells refer to a deduplicated table
// of formats, so the writer makes one workbook format per distinct look.
class TWorkbookLayout
{
public:
    TWorkbookLayout();

    int RowCount() const { return int(m_rows.size()); }
    int ColumnCount() const;
    TSheetCell Cell(int row, int column) const;
    QVariant Value(int row, int column) const { return Cell(row, column).Value; }
    const TCellFormat &Format(int row, int column) const
    {
        return m_styles[Cell(row, column).Style];
    }
    void SetCell(int row, int column, const QVariant &value, int style = 0);
    void SetCell(int row, int column, const QVariant &value, const TCellFormat &format)
    {
        SetCell(row, column, value, StyleId(format));
    }
    void SetValue(int row, int column, const QVariant &value);
    void SetFormat(int row, int column, const TCellFormat &format);

    // The index of the format in Styles(), added when new.
    int StyleId(const TCellFormat &format);
    const QList<TCellFormat> &Styles() const { return m_styles; }

    // Rows inserted or removed move merges, row heights and the cells below; a merge that
    // spans the row grows or shrinks.
    void InsertRow(int row);
    void RemoveRow(int row);
    void Merge(const TSheetRange &range);
    void Merge(int row, int firstColumn, int lastColumn)
    {
        Merge({row, firstColumn, row, lastColumn});
    }
    const QList<TSheetRange> &Merges() const { return m_merges; }
    // The merge block that starts at the cell, or nullptr.
    const TSheetRange *MergeAt(int row, int column) const;
    // The merge block that covers the cell without starting there, or nullptr.
    const TSheetRange *CoveredBy(int row, int column) const;

    // Widths in characters of the body font, heights in points; 0 = fitted to the contents.
    void SetColumnWidth(int column, double characters);
    void SetRowHeight(int row, double points);
    double RowHeight(int row) const { return m_rowHeights.value(row); }
    const QMap<int, double> &RowHeights() const { return m_rowHeights; }
    // The width of each column: as set, else fitted to its texts (a Chinese character counts
    // two, as it prints twice as wide).
    QList<double> ColumnWidths() const;

    TSheetMargins Margins;

private:
    QList<QList<TSheetCell>> m_rows;
    QList<TCellFormat> m_styles;
    QList<TSheetRange> m_merges;
    QMap<int, double> m_columnWidths;
    QMap<int, double> m_rowHeights;
};

// Lays a document out. Fill the public fields, then call Layout().
class TContainerIterator
{
public:
    TContainerIterator(QList<THeaderControl> header, TDocumentLines lines);

    // Header field values by field name (any case) for a template's "[FIELD]" cells.
    QMap<QString, QString> Master;
    TSheetMargins PageSetup;
    QString Title;
    QString TemplateFile;
    int FirstRow = 1;     // the title row, 1-based
    int LineStartRow = 1; // the template's sample line row, 1-based
    bool UseTemplate = false;

    // The header layout: visual rows top to bottom, each left to right.
    const QList<QList<THeaderControl>> &HeaderRows() const { return m_headerRows; }

    // Opens the template (when named and readable) or starts an empty sheet, then fills the
    // template's placeholders or writes the plain header, then the lines, totals and frame.
    // False with a readable error when a named, existing template cannot be read.
    bool Layout(QString *error = nullptr);
    const TWorkbookLayout &Sheet() const { return m_sheet; }
    // True when Layout() worked on a template file rather than an empty sheet.
    bool UsedTemplateFile() const { return m_usedTemplateFile; }

    // The value as the sheet shows it: two-decimal fields rounded, "0" left empty.
    static QVariant LineCellValue(const QString &fieldName, const QVariant &value);

private:
    bool openWorkbook(QString *error);
    void fillTemplateHeader();
    void writeHeader();
    // Writes the lines and totals each in a row inserted after the given one; a template's
    // sample row lends every inserted row its formats and height.
    int writeLines(int row, int sampleRow = -1);
    void frame(int firstRow, int lastRow);

    QList<QList<THeaderControl>> m_headerRows;
    TDocumentLines m_lines;
    TWorkbookLayout m_sheet;
    bool m_usedTemplateFile = false;
    int m_tableWidth = 1;
};

// Writes the layout as an .xlsx workbook with its margins.
bool SaveWorkbookLayout(const TWorkbookLayout &sheet, const QString &fileName,
                        QString *error = nullptr);

// Paints the layout on the device page by page (rows that do not fit go to the next page);
// returns the number of pages, 0 when the device cannot be painted on.
int PaintWorkbookLayout(const TWorkbookLayout &sheet, QPagedPaintDevice &device);

// Paints the rows from firstRow on that fit into the page rectangle; returns the first row
// left for the next page (RowCount() when all are painted; at least one row per call).
int PaintWorkbookRows(const TWorkbookLayout &sheet, QPainter &painter, const QRectF &page,
                      int firstRow);

} // namespace output
