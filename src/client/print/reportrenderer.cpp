#include "client/print/reportrenderer.h"

#include "client/print/barcodes.h"
#include "client/print/capitalmoney.h"

#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QLocale>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

#include <cmath>

namespace print {

namespace {

QFont reportFont(const TReportFont &font)
{
    QFont f;
    if (font.Family.isEmpty())
        // Where Windows' Song face is missing, AR PL UMing is the Song face Debian has; the
        // Noto CJK faces share glyphs between radicals and ideographs, which PDF text
        // extraction then reads back as radicals.
        f.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                       QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"),
                       QStringLiteral("Noto Sans CJK SC")});
    else
        f.setFamily(font.Family);
    f.setPointSizeF(font.PointSize);
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    return f;
}

bool isDateFormat(const QString &format)
{
    return format.contains(u'y') || format.contains(u'M') || format.contains(u'd');
}

bool toNumber(const QVariant &value, double &number)
{
    if (!value.isValid() || value.isNull())
        return false;
    bool ok = false;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        number = value.toDouble();
        return true;
    default:
        number = value.toString().trimmed().toDouble(&ok);
        return ok;
    }
}

// Rounds on the shortest decimal form, so 1.005 goes to 1.01 as the user expects.
double roundTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double scaled = QString::number(value * scale, 'g', 15).toDouble();
    return std::round(scaled) / scale;
}

QString formatNumber(double value, const QString &format)
{
    const qsizetype point = format.indexOf(u'.');
    const QString fraction = point < 0 ? QString() : format.mid(point + 1);
    const int fixed = int(fraction.count(u'0'));
    const int optional = int(fraction.count(u'#'));
    const bool grouped = format.left(point < 0 ? format.size() : point).contains(u',');
    const int decimals = fixed + optional;
    QString text = QString::number(roundTo(value, decimals), 'f', decimals);
    if (text.startsWith(u'-') && text.toDouble() == 0)
        text.remove(0, 1);
    if (optional > 0) {
        const qsizetype dot = text.indexOf(u'.');
        qsizetype keep = text.size();
        while (keep > dot + 1 + fixed && text.at(keep - 1) == u'0')
            --keep;
        if (keep == dot + 1)
            --keep;
        text.truncate(keep);
    }
    if (grouped) {
        const bool negative = text.startsWith(u'-');
        const qsizetype dot = text.indexOf(u'.');
        qsizetype end = dot < 0 ? text.size() : dot;
        for (qsizetype i = end - 3; i > (negative ? 1 : 0); i -= 3)
            text.insert(i, u',');
    }
    return text;
}

QString formatDate(const QVariant &value, const QString &format)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(format);
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(format);
    const QString text = value.toString().trimmed();
    QDateTime dt = QDateTime::fromString(text, Qt::ISODate);
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(text.left(10), Qt::ISODate), QTime());
    return dt.isValid() ? dt.toString(format) : text;
}

// "[...]" placeholders; "&[Page]" is the grid printer's spelling of "[Page]".
const QRegularExpression &placeholderPattern()
{
    static const QRegularExpression pattern(QStringLiteral("&?\\[([^\\[\\]]+)\\]"));
    return pattern;
}

const QRegularExpression &callPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\w+)\\((.*)\\)\\s*$"));
    return pattern;
}

} // namespace

QString FormatReportValue(const QVariant &value, const QString &format, bool blankWhenZero)
{
    double number = 0;
    const bool numeric = toNumber(value, number);
    if (blankWhenZero && numeric && number == 0)
        return QString();
    if (!format.isEmpty() && isDateFormat(format) && value.isValid())
        return formatDate(value, format);
    if (!format.isEmpty() && numeric)
        return formatNumber(number, format);
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    return value.toString();
}

bool TReport::SetNamedText(const QString &name, const QString &text)
{
    for (const TReportBand &band : m_template.Bands)
        for (const TReportItem &item : band.Items)
            if (item.Name == name) {
                m_named.Set(name, text);
                return true;
            }
    return false;
}

TReportRenderer::TReportRenderer(const TReport &report, const TReportDataSource &data)
    : m_report(report)
    , m_data(data)
{
    layout();
}

void TReportRenderer::layout()
{
    const TReportTemplate &t = m_report.Template();
    const double pageHeight = t.PageSizeMm().height();
    const TReportBand *pageHeader = t.Band(TBandKind::PageHeader);
    const TReportBand *pageFooter = t.Band(TBandKind::PageFooter);
    const TReportBand *columnHeader = t.Band(TBandKind::ColumnHeader);
    const double footerTop =
        pageHeight - t.MarginsMm.bottom() - (pageFooter ? pageFooter->Height : 0);
    double y = 0;
    bool fresh = true; // nothing but the page header on the current page yet

    const auto startPage = [&] {
        if (!m_pages.isEmpty() && pageFooter)
            m_pages.last().append({pageFooter, footerTop, -1});
        m_pages.append(TPage());
        y = t.MarginsMm.top();
        if (pageHeader) {
            m_pages.last().append({pageHeader, y, -1});
            y += pageHeader->Height;
        }
        fresh = true;
    };
    // A band that does not fit goes to the next page, unless the page is still empty: then it
    // is printed cut off rather than pushed on forever.
    const auto place = [&](const TReportBand *band, int line) {
        if (!band)
            return false;
        bool newPage = false;
        if (y + band->Height > footerTop + 1e-6 && !fresh) {
            startPage();
            newPage = true;
        }
        m_pages.last().append({band, y, line});
        y += band->Height;
        fresh = false;
        return newPage;
    };

    startPage();
    place(t.Band(TBandKind::Title), -1);
    place(t.Band(TBandKind::Master), -1);
    place(columnHeader, -1);
    if (const TReportBand *detail = t.Band(TBandKind::Detail)) {
        for (int line = 0; line < m_data.LineCount(); ++line) {
            const double needed = detail->Height;
            if (y + needed > footerTop + 1e-6) {
                startPage();
                place(columnHeader, -1);
            }
            place(detail, line);
        }
    }
    place(t.Band(TBandKind::Summary), -1);
    if (pageFooter)
        m_pages.last().append({pageFooter, footerTop, -1});
}

double TReportRenderer::sum(const QString &field) const
{
    const auto it = m_sums.constFind(field);
    if (it != m_sums.constEnd())
        return *it;
    // Summed in long double, so a long column of amounts still adds up to the cent.
    long double total = 0;
    double number = 0;
    for (int line = 0; line < m_data.LineCount(); ++line)
        if (toNumber(m_data.LineValue(line, field), number))
            total += number;
    const double value = double(total);
    m_sums.insert(field, value);
    return value;
}

QVariant TReportRenderer::evaluate(const QString &expression, int page, int line, int depth) const
{
    // Calls nest only a level or two; a deeper nesting is a broken template, not a reason to
    // run out of stack.
    if (depth > 8)
        return {};
    const QString e = expression.trimmed();
    if (e == QLatin1String("Page"))
        return page + 1;
    if (e == QLatin1String("Pages"))
        return PageCount();
    if (e == QLatin1String("RowNo"))
        return line >= 0 ? QVariant(line + 1) : QVariant();
    if (e.startsWith(QLatin1String("Line.")))
        return line >= 0 ? m_data.LineValue(line, e.mid(5)) : QVariant();
    const QRegularExpressionMatch call = callPattern().match(e);
    if (call.hasMatch()) {
        const QString function = call.captured(1);
        const QString argument = call.captured(2).trimmed();
        if (function == QLatin1String("Sum") && argument.startsWith(QLatin1String("Line.")))
            return sum(argument.mid(5));
        if (function == QLatin1String("Capital")) {
            double number = 0;
            return toNumber(evaluate(argument, page, line, depth + 1), number)
                       ? CapitalMoney(number)
                       : QString();
        }
        return {};
    }
    return m_data.MasterValue(e);
}

QString TReportRenderer::expand(const QString &text, const TReportItem &item, int page,
                                int line) const
{
    if (!text.contains(u'['))
        return text;
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator it = placeholderPattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        out +=
            FormatReportValue(evaluate(m.captured(1), page, line), item.Format, item.BlankWhenZero);
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

void PaintReportItem(QPainter &painter, const TReportItem &item, const QString &text,
                     const QRectF &rect, double dotsPerMm, const QImage &picture)
{
    QPen pen(Qt::black, std::max(1.0, item.PenWidth * dotsPerMm));
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    switch (item.Kind) {
    case TItemKind::Line:
        painter.drawLine(rect.topLeft(), rect.bottomRight());
        return;
    case TItemKind::Rectangle:
        painter.drawRect(rect);
        return;
    case TItemKind::Picture:
        if (!picture.isNull()) {
            const QSizeF size = QSizeF(picture.size()).scaled(rect.size(), Qt::KeepAspectRatio);
            painter.drawImage(QRectF(rect.topLeft(), size), picture);
        }
        break;
    case TItemKind::Barcode:
        painter.setFont(reportFont(item.Font));
        PaintBarcode(painter, rect,
                     item.Barcode == QLatin1String("ean13") ? TBarcodeType::Ean13
                                                            : TBarcodeType::Code128,
                     text, item.ShowBarcodeText);
        break;
    case TItemKind::QrCode:
        PaintQrCode(painter, rect, text);
        break;
    case TItemKind::Text:
        if (!text.isEmpty()) {
            painter.setFont(reportFont(item.Font));
            const double padding = 0.6 * dotsPerMm;
            const QRectF inner = rect.adjusted(padding, 0, -padding, 0);
            painter.drawText(inner, int(item.Align) | (item.WordWrap ? Qt::TextWordWrap : 0), text);
        }
        break;
    }
    if (item.Borders != BorderNone) {
        painter.setPen(pen);
        if (item.Borders & BorderLeft)
            painter.drawLine(rect.topLeft(), rect.bottomLeft());
        if (item.Borders & BorderTop)
            painter.drawLine(rect.topLeft(), rect.topRight());
        if (item.Borders & BorderRight)
            painter.drawLine(rect.topRight(), rect.bottomRight());
        if (item.Borders & BorderBottom)
            painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    }
}

void TReportRenderer::paintItem(QPainter &painter, const TReportItem &item, const QRectF &rect,
                                double dotsPerMm, int page, int line) const
{
    QString text = item.Text;
    QImage picture;
    if (item.Kind == TItemKind::Picture) {
        auto it = m_pictures.find(&item);
        if (it == m_pictures.end())
            it = m_pictures.insert(&item, QImage::fromData(item.Picture));
        picture = *it;
    } else if (item.Kind == TItemKind::Text && !item.Name.isEmpty()) {
        const std::optional<QString> named = m_report.NamedTexts().Find(item.Name);
        if (named)
            text = *named;
        else if (text.isEmpty())
            return; // a named text nobody set: the item is left out, borders and all
    }
    PaintReportItem(painter, item, expand(text, item, page, line), rect, dotsPerMm, picture);
}

void TReportRenderer::PaintPage(QPainter &painter, int page, double dotsPerMm) const
{
    if (page < 0 || page >= m_pages.size())
        return;
    const double left = m_report.Template().MarginsMm.left();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const TPlacedBand &placed : m_pages.at(page)) {
        for (const TReportItem &item : placed.Band->Items) {
            const QRectF mm = item.Rect.translated(left, placed.Top);
            const QRectF rect(mm.x() * dotsPerMm, mm.y() * dotsPerMm, mm.width() * dotsPerMm,
                              mm.height() * dotsPerMm);
            paintItem(painter, item, rect, dotsPerMm, page, placed.Line);
        }
    }
    painter.restore();
}

QImage TReportRenderer::PageImage(int page, double dotsPerInch) const
{
    const double dotsPerMm = dotsPerInch / 25.4;
    const QSizeF size = m_report.Template().PageSizeMm() * dotsPerMm;
    QImage image(size.toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dotsPerMm * 1000));
    image.setDotsPerMeterY(qRound(dotsPerMm * 1000));
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPage(painter, page, dotsPerMm);
    return image;
}

bool TReportRenderer::Print(QPagedPaintDevice &device, QString *error) const
{
    const TReportTemplate &t = m_report.Template();
    // The template places everything from the paper's edge, so the device adds no margins.
    device.setPageLayout(QPageLayout(QPageSize(t.PageSize), t.Orientation, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = QStringLiteral("无法在打印设备上绘制");
        return false;
    }
    const double dotsPerMm = device.logicalDpiX() / 25.4;
    for (int page = 0; page < PageCount(); ++page) {
        if (page > 0 && !device.newPage()) {
            if (error)
                *error = QStringLiteral("打印设备无法换页");
            return false;
        }
        PaintPage(painter, page, dotsPerMm);
    }
    return painter.end();
}

bool TReportRenderer::WritePdf(const QString &fileName, QString *error) const
{
    QPdfWriter writer(fileName);
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("VzClient"));
    if (!Print(writer, error))
        return false;
    return true;
}

} // namespace print
