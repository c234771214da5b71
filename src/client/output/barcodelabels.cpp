// Code 128 symbols and the sheets of goods barcode labels.
#include "client/output/barcodelabels.h"

#include "client/data/formats.h"
#include "client/widgets/uistyle.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <cmath>

namespace output {

namespace {

// Bar and space widths of the symbols 0–105, and of the stop (106), which ends with a
// two-module bar.
constexpr const char *Patterns[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};

enum : int { CodeC = 99, CodeB = 100, StartB = 104, StartC = 105, Stop = 106 };

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int digitRun(const QString &text, qsizetype from)
{
    qsizetype end = from;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    return int(end - from);
}

int digitPair(const QString &text, qsizetype at)
{
    return (text[at].unicode() - '0') * 10 + (text[at + 1].unicode() - '0');
}

QFont labelFont(int points, bool bold)
{
    QFont font = SongFont(12, bold);
    font.setPointSize(points);
    return font;
}

} // namespace

int TCode128::SymbolModules() const
{
    int modules = 0;
    for (int width : Widths)
        modules += width;
    return modules;
}

QString TCode128::ModuleString() const
{
    QString modules;
    modules.reserve(SymbolModules());
    bool bar = true;
    for (int width : Widths) {
        modules += QString(width, bar ? QLatin1Char('1') : QLatin1Char('0'));
        bar = !bar;
    }
    return modules;
}

TCode128 EncodeCode128(const QString &text)
{
    TCode128 code;
    if (text.isEmpty()) {
        code.Error = QStringLiteral("条码为空");
        return code;
    }
    for (QChar c : text) {
        if (c.unicode() < 32 || c.unicode() > 126) {
            code.Error = QStringLiteral("条码“%1”含有无法编码的字符“%2”").arg(text, c);
            return code;
        }
    }

    const int leadingDigits = digitRun(text, 0);
    bool setC = leadingDigits >= 4 || (leadingDigits == text.size() && leadingDigits % 2 == 0);
    code.Symbols.append(setC ? StartC : StartB);
    qsizetype i = 0;
    while (i < text.size()) {
        const int run = digitRun(text, i);
        if (setC) {
            if (run >= 2) {
                code.Symbols.append(digitPair(text, i));
                i += 2;
                continue;
            }
            code.Symbols.append(CodeB);
            setC = false;
            continue;
        }
        if (run >= 4) {
            // An odd run keeps its first digit in set B, so that set C takes whole pairs.
            if (run % 2 == 1) {
                code.Symbols.append(text[i].unicode() - 32);
                ++i;
            }
            code.Symbols.append(CodeC);
            setC = true;
            continue;
        }
        code.Symbols.append(text[i].unicode() - 32);
        ++i;
    }

    int sum = code.Symbols.first();
    for (qsizetype k = 1; k < code.Symbols.size(); ++k)
        sum = (sum + int(k) * code.Symbols[k]) % 103;
    code.CheckSymbol = sum;
    code.Symbols.append(sum);
    code.Symbols.append(Stop);
    for (int symbol : std::as_const(code.Symbols))
        for (const char *w = Patterns[symbol]; *w; ++w)
            code.Widths.append(*w - '0');
    code.Ok = true;
    return code;
}

QString LabelPriceText(double price)
{
    return QStringLiteral("¥") + FormatFloat(u"0.00", price);
}

struct TBarcodeLabelPrinter::Grid
{
    int columns = 1;
    int rows = 1;
    double dpmm = 1;
    QPointF origin;
    QSizeF label;
    QSizeF pitch;
    int perPage() const { return columns * rows; }
};

TBarcodeLabelPrinter::TBarcodeLabelPrinter(QList<TBarcodeLabel> labels)
    : m_labels(std::move(labels))
{}

TBarcodeLabelPrinter::Grid TBarcodeLabelPrinter::grid(QPagedPaintDevice &device) const
{
    const TLabelSheet &s = m_sheet;
    Grid g;
    g.dpmm = device.logicalDpiX() / 25.4;
    const double dpmmY = device.logicalDpiY() / 25.4;
    const QSizeF pageMm(device.width() / g.dpmm, device.height() / dpmmY);
    // A sheet measured to the tenth of a millimetre still fits a page that rounds to pixels.
    constexpr double slackMm = 0.5;
    const auto fit = [slackMm](double room, double size, double gap, int wanted) {
        if (size <= 0)
            return 1;
        const int fits = int(std::floor((room + gap + slackMm) / (size + gap)));
        return qBound(1, fits, qMax(1, wanted));
    };
    g.columns = fit(pageMm.width() - s.MarginsMm.left() - s.MarginsMm.right(),
                    s.LabelSizeMm.width(), s.GapMm.width(), s.Columns);
    g.rows = fit(pageMm.height() - s.MarginsMm.top() - s.MarginsMm.bottom(), s.LabelSizeMm.height(),
                 s.GapMm.height(), s.Rows);
    g.origin = QPointF(s.MarginsMm.left() * g.dpmm, s.MarginsMm.top() * dpmmY);
    g.label = QSizeF(s.LabelSizeMm.width() * g.dpmm, s.LabelSizeMm.height() * dpmmY);
    g.pitch = QSizeF((s.LabelSizeMm.width() + s.GapMm.width()) * g.dpmm,
                     (s.LabelSizeMm.height() + s.GapMm.height()) * dpmmY);
    return g;
}

int TBarcodeLabelPrinter::LabelsPerPage(QPagedPaintDevice &device) const
{
    return grid(device).perPage();
}

int TBarcodeLabelPrinter::PageCount(QPagedPaintDevice &device) const
{
    const int perPage = LabelsPerPage(device);
    return int((m_labels.size() + perPage - 1) / perPage);
}

bool TBarcodeLabelPrinter::Print(QPagedPaintDevice &device) const
{
    if (m_labels.isEmpty())
        return false;
    const Grid g = grid(device);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (qsizetype i = 0; i < m_labels.size(); ++i) {
        const int onPage = int(i % g.perPage());
        if (i > 0 && onPage == 0)
            device.newPage();
        const QPointF topLeft(g.origin.x() + (onPage % g.columns) * g.pitch.width(),
                              g.origin.y() + (onPage / g.columns) * g.pitch.height());
        PaintLabel(painter, QRectF(topLeft, g.label), g.dpmm, m_labels[i]);
    }
    return painter.end();
}

void TBarcodeLabelPrinter::PaintLabel(QPainter &painter, const QRectF &rect, double dotsPerMm,
                                      const TBarcodeLabel &label) const
{
    const double pad = m_sheet.PaddingMm * dotsPerMm;
    const QRectF inner = rect.adjusted(pad, pad, -pad, -pad);
    if (inner.width() <= 0 || inner.height() <= 0)
        return;
    painter.save();
    painter.setClipRect(rect);
    painter.setPen(Qt::black);

    const QFont nameFont = labelFont(10, true);
    const QFont smallFont = labelFont(7, false);
    const QFont priceFont = labelFont(10, true);
    const QFontMetricsF nameMetrics(nameFont, painter.device());
    const QFontMetricsF smallMetrics(smallFont, painter.device());
    const QFontMetricsF priceMetrics(priceFont, painter.device());

    double top = inner.top();
    const auto textLine = [&](const QFont &font, const QFontMetricsF &metrics,
                              const QString &text) {
        painter.setFont(font);
        const QRectF line(inner.left(), top, inner.width(), metrics.height());
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(text, Qt::ElideRight, inner.width()));
        top += metrics.height();
    };
    textLine(nameFont, nameMetrics, label.Name);
    if (!label.Size.isEmpty())
        textLine(smallFont, smallMetrics, label.Size);

    // From the bottom: the price line (the unit at its right), the code's text, the bars.
    const QRectF priceLine(inner.left(), inner.bottom() - priceMetrics.height(), inner.width(),
                           priceMetrics.height());
    painter.setFont(priceFont);
    painter.drawText(priceLine, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     LabelPriceText(label.Price));
    if (!label.Unit.isEmpty()) {
        painter.setFont(smallFont);
        painter.drawText(priceLine, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                         smallMetrics.elidedText(label.Unit, Qt::ElideRight, inner.width() / 3));
    }
    const QRectF codeLine(inner.left(), priceLine.top() - smallMetrics.height(), inner.width(),
                          smallMetrics.height());
    painter.setFont(smallFont);
    painter.drawText(codeLine, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                     smallMetrics.elidedText(label.Code, Qt::ElideMiddle, inner.width()));

    const QRectF bars(inner.left(), top + 0.5 * dotsPerMm, inner.width(),
                      codeLine.top() - top - 0.5 * dotsPerMm);
    if (bars.height() > 0) {
        const TCode128 code = EncodeCode128(label.Code);
        if (code.Ok) {
            // Whole device pixels per module where the device has them to spare, so that
            // every bar of one width prints equally wide.
            double module = bars.width() / code.TotalModules();
            if (module >= 1)
                module = std::floor(module);
            double x = bars.left() + (bars.width() - module * code.SymbolModules()) / 2;
            bool bar = true;
            for (int width : code.Widths) {
                if (bar)
                    painter.fillRect(QRectF(x, bars.top(), module * width, bars.height()),
                                     Qt::black);
                x += module * width;
                bar = !bar;
            }
        } else {
            painter.drawRect(bars);
            painter.setFont(nameFont);
            painter.drawText(bars, Qt::AlignCenter, QStringLiteral("无法编码"));
        }
    }
    painter.restore();
}

} // namespace output
