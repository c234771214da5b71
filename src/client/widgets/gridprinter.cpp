// Grid printing.
#include "client/widgets/gridprinter.h"

#include "client/data/clientdataset.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridmodel.h"
#include "client/widgets/uistyle.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTableView>

#include <functional>
#include <vector>

namespace {

QFont pointFont(int points, bool bold)
{
    QFont font = SongFont(12, bold);
    font.setPointSize(points);
    return font;
}

} // namespace

QString ExpandPageText(const QString &text, int page, int pages)
{
    QString result = text;
    result.replace(QLatin1String("&[Pages]"), QString::number(pages));
    result.replace(QLatin1String("&[Page]"), QString::number(page));
    return result;
}

struct TDBGridPrinter::Layout
{
    std::vector<int> columns; // visible grid columns
    std::vector<double> widths;
    double rowHeight = 0;
    double headerHeight = 0; // title and subtitle block
    double titlesHeight = 0; // the column titles
    double pageFooterHeight = 0;
    QRectF page; // the printable area in device pixels
    int rowsPerPage = 1;
    int rows = 0;
    int pages = 1;
};

TDBGridPrinter::TDBGridPrinter(const TDBGrid &grid)
    : m_grid(grid)
{}

TGridPrintOptions TDBGridPrinter::resolvedOptions() const
{
    TGridPrintOptions options = m_options;
    if (options.TitleFont == QFont())
        options.TitleFont = pointFont(12, true);
    if (options.FooterFont == QFont())
        options.FooterFont = pointFont(10, false);
    if (options.Font == QFont())
        options.Font = pointFont(9, false);
    return options;
}

TDBGridPrinter::Layout TDBGridPrinter::layout(QPagedPaintDevice &device) const
{
    const TGridPrintOptions options = resolvedOptions();
    Layout l;
    const double dpmm = device.logicalDpiX() / 25.4;
    const QMarginsF margins(options.MarginsMm.left() * dpmm, options.MarginsMm.top() * dpmm,
                            options.MarginsMm.right() * dpmm, options.MarginsMm.bottom() * dpmm);
    // QPdfWriter and QPrinter report the paintable area without their own margins.
    l.page = QRectF(0, 0, device.width(), device.height()).marginsRemoved(margins);

    const QFontMetricsF cell(options.Font, &device);
    const QFontMetricsF title(options.TitleFont, &device);
    const QFontMetricsF footer(options.FooterFont, &device);
    l.rowHeight = cell.height() * 1.5;
    l.titlesHeight = l.rowHeight;
    l.headerHeight = options.Title.isEmpty() ? 0 : title.height() * 1.8;
    if (!options.SubTitle.isEmpty())
        l.headerHeight += footer.height() * 1.5;
    l.pageFooterHeight = options.PageFooter.isEmpty() && options.PageFooterLeft.isEmpty()
                             ? 0
                             : footer.height() * 1.8;

    const TDBGridColumns &columns = m_grid.Columns();
    double total = 0;
    for (int i = 0; i < columns.Count(); ++i) {
        if (!columns[i]->Visible())
            continue;
        l.columns.push_back(i);
        const double width =
            m_grid.View()->columnWidth(i) > 0 ? m_grid.View()->columnWidth(i) : columns[i]->Width();
        l.widths.push_back(width);
        total += width;
    }
    // Grid pixels become device pixels; fitted, the columns share the page width.
    const double scale =
        options.FitToPageWidth && total > 0 ? l.page.width() / total : device.logicalDpiX() / 96.0;
    for (double &width : l.widths)
        width *= scale;

    TClientDataSet *ds = m_grid.DataSet();
    l.rows = ds ? ds->RowCount() : 0;
    const bool footerRow = options.PrintFooterRow && m_grid.FooterRowCount() > 0;
    const double body = l.page.height() - l.headerHeight - l.titlesHeight - l.pageFooterHeight;
    l.rowsPerPage = qMax(1, int(body / l.rowHeight));
    const int lines = l.rows + (footerRow ? 1 : 0);
    l.pages = qMax(1, (lines + l.rowsPerPage - 1) / l.rowsPerPage);
    return l;
}

int TDBGridPrinter::PageCount(QPagedPaintDevice &device) const
{
    return layout(device).pages;
}

bool TDBGridPrinter::Print(QPagedPaintDevice &device) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const TGridPrintOptions options = resolvedOptions();
    const Layout l = layout(device);
    const TDBGridColumns &columns = m_grid.Columns();
    TDBGridModel *model = m_grid.Model();
    const bool footerRow = options.PrintFooterRow && m_grid.FooterRowCount() > 0;
    const QPen line(QColor(0x60, 0x60, 0x60), 0);
    int row = 0;
    for (int page = 1; page <= l.pages; ++page) {
        if (page > 1)
            device.newPage();
        double y = l.page.top();
        if (!options.Title.isEmpty()) {
            painter.setFont(options.TitleFont);
            painter.setPen(Qt::black);
            const double h = QFontMetricsF(options.TitleFont, &device).height() * 1.8;
            painter.drawText(QRectF(l.page.left(), y, l.page.width(), h), Qt::AlignCenter,
                             options.Title);
            y += h;
        }
        if (!options.SubTitle.isEmpty()) {
            painter.setFont(options.FooterFont);
            const double h = QFontMetricsF(options.FooterFont, &device).height() * 1.5;
            painter.drawText(QRectF(l.page.left(), y, l.page.width(), h), Qt::AlignCenter,
                             options.SubTitle);
            y += h;
        }
        auto drawRow = [&](double top, const std::function<QString(int)> &text,
                           const std::function<int(int)> &alignment, bool shaded) {
            double x = l.page.left();
            painter.setFont(options.Font);
            for (size_t c = 0; c < l.columns.size(); ++c) {
                const QRectF rect(x, top, l.widths[c], l.rowHeight);
                if (shaded)
                    painter.fillRect(rect, QColor(0xEE, 0xEE, 0xEE));
                painter.setPen(line);
                painter.drawRect(rect);
                painter.setPen(Qt::black);
                painter.drawText(rect.adjusted(l.rowHeight * 0.15, 0, -l.rowHeight * 0.15, 0),
                                 alignment(l.columns[c]) | Qt::TextSingleLine, text(l.columns[c]));
                x += l.widths[c];
            }
        };
        drawRow(
            y, [&](int c) { return columns[c]->Title().Levels().join(QLatin1Char('-')); },
            [](int) { return int(Qt::AlignCenter); }, true);
        y += l.titlesHeight;
        for (int n = 0; n < l.rowsPerPage && row <= l.rows; ++n) {
            if (row < l.rows) {
                const int dataRow = row;
                drawRow(
                    y, [&](int c) { return model->CellText(dataRow, columns[c]); },
                    [&](int c) { return QtAlignment(columns[c]->Alignment()); }, false);
            } else if (footerRow) {
                drawRow(
                    y, [&](int c) { return m_grid.FooterText(c); },
                    [&](int c) {
                        return columns[c]->Footer().ValueType() == fvtStaticText
                                   ? int(Qt::AlignCenter)
                                   : int(Qt::AlignRight | Qt::AlignVCenter);
                    },
                    true);
            } else {
                break;
            }
            y += l.rowHeight;
            ++row;
        }
        if (!options.PageFooter.isEmpty()) {
            painter.setFont(options.FooterFont);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(l.page.left(), l.page.bottom() - l.pageFooterHeight,
                                    l.page.width(), l.pageFooterHeight),
                             Qt::AlignRight | Qt::AlignVCenter,
                             ExpandPageText(options.PageFooter, page, l.pages));
        }
        if (!options.PageFooterLeft.isEmpty()) {
            painter.setFont(options.FooterFont);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(l.page.left(), l.page.bottom() - l.pageFooterHeight,
                                    l.page.width(), l.pageFooterHeight),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             ExpandPageText(options.PageFooterLeft, page, l.pages));
        }
    }
    return painter.end();
}
