// Printing a data grid the way the list and report forms print theirs: a page header with the
// caption, the titles repeated on every page, all rows, the footer row at the end, a page
// footer such as "第&[Page]页，共&[Pages]页", columns fitted to the page width.
//
// It paints on any paged device: a QPrinter (and so the print preview) or a QPdfWriter.
#pragma once

#include <QFont>
#include <QMarginsF>
#include <QString>

class QPagedPaintDevice;
class TDBGrid;

struct TGridPrintOptions
{
    QString Title;    // the page header, usually the window caption
    QString SubTitle; // a second header line (a date range), may be empty
    QString PageFooter = QStringLiteral("第&[Page]页，共&[Pages]页");
    QString PageFooterLeft; // printed left in the page footer, e.g. the print date
    QFont TitleFont;        // the Song face, 12 points, bold, unless set
    QFont FooterFont;       // the Song face, 10 points, unless set
    QFont Font;             // the cells; the Song face, 9 points, unless set
    bool FitToPageWidth = true;
    bool PrintFooterRow = true;
    QMarginsF MarginsMm{10, 15, 10, 15};
};

// "&[Page]" and "&[Pages]" replaced by the numbers.
QString ExpandPageText(const QString &text, int page, int pages);

class TDBGridPrinter
{
public:
    explicit TDBGridPrinter(const TDBGrid &grid);

    TGridPrintOptions &Options() { return m_options; }
    const TGridPrintOptions &Options() const { return m_options; }

    // The pages the grid takes on the device (its page size and resolution).
    int PageCount(QPagedPaintDevice &device) const;
    // Paints every page; false when the device cannot be painted on.
    bool Print(QPagedPaintDevice &device) const;

private:
    struct Layout;
    Layout layout(QPagedPaintDevice &device) const;
    TGridPrintOptions resolvedOptions() const;

    const TDBGrid &m_grid;
    TGridPrintOptions m_options;
};
