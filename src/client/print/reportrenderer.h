// Lays a report template's bands out over pages and paints them: the page header and footer
// on every page, the lines flowing from page to page with their column header repeated, the
// summary after the last line. Paints on any paged device (a printer and so its preview, a
// PDF file) or into page images.
#pragma once

#include "client/print/reportdata.h"
#include "client/print/reporttemplate.h"

#include <QHash>
#include <QImage>
#include <QList>

class QPagedPaintDevice;
class QPainter;

namespace print {

// A value as an item's format shows it: "0.00" and "#,##0.00" for numbers (halves rounded
// away from zero), Qt date patterns such as "yyyy-MM-dd" for dates; blankWhenZero prints a
// zero as nothing.
QString FormatReportValue(const QVariant &value, const QString &format, bool blankWhenZero);

// Paints one item into rect (device units) showing text: the renderer passes the values of the
// placeholders, the designer the placeholders as written.
void PaintReportItem(QPainter &painter, const TReportItem &item, const QString &text,
                     const QRectF &rect, double dotsPerMm, const QImage &picture = QImage());

// A report: the template and the named texts set on it.
class TReport
{
public:
    TReport() = default;
    explicit TReport(TReportTemplate report)
        : m_template(std::move(report))
    {}

    TReportTemplate &Template() { return m_template; }
    const TReportTemplate &Template() const { return m_template; }
    // Sets the text of the items of that name; false (and nothing set) when the template has
    // none, which is not an error.
    bool SetNamedText(const QString &name, const QString &text);
    const TNamedTexts &NamedTexts() const { return m_named; }

private:
    TReportTemplate m_template;
    TNamedTexts m_named;
};

class TReportRenderer
{
public:
    // Both must outlive the renderer.
    TReportRenderer(const TReport &report, const TReportDataSource &data);

    int PageCount() const { return int(m_pages.size()); }
    // Paints page (0-based) with the page's top left at the painter's origin.
    void PaintPage(QPainter &painter, int page, double dotsPerMm) const;
    // The page as a white image at the resolution.
    QImage PageImage(int page, double dotsPerInch) const;
    // Sets the device's page to the template's and paints every page; false with a message
    // when the device cannot be painted on.
    bool Print(QPagedPaintDevice &device, QString *error = nullptr) const;
    bool WritePdf(const QString &fileName, QString *error = nullptr) const;

private:
    struct TPlacedBand
    {
        const TReportBand *Band;
        double Top; // millimetres from the top of the page
        int Line;   // the line of a detail band, otherwise -1
    };
    using TPage = QList<TPlacedBand>;

    void layout();
    void paintItem(QPainter &painter, const TReportItem &item, const QRectF &rect, double dotsPerMm,
                   int page, int line) const;
    QString expand(const QString &text, const TReportItem &item, int page, int line) const;
    QVariant evaluate(const QString &expression, int page, int line, int depth = 0) const;
    double sum(const QString &field) const;

    const TReport &m_report;
    const TReportDataSource &m_data;
    QList<TPage> m_pages;
    mutable QHash<QString, double> m_sums;
    mutable QHash<const TReportItem *, QImage> m_pictures;
};

} // namespace print
