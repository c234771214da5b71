#include "client/print/reporttemplate.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace print {

namespace {

template<typename T>
struct TName
{
    T Value;
    const char *Text;
};

const TName<TBandKind> BandNames[] = {
    {TBandKind::Title, "title"},           {TBandKind::PageHeader, "pageHeader"},
    {TBandKind::Master, "master"},         {TBandKind::ColumnHeader, "columnHeader"},
    {TBandKind::Detail, "detail"},         {TBandKind::Summary, "summary"},
    {TBandKind::PageFooter, "pageFooter"},
};

const TName<TItemKind> ItemNames[] = {
    {TItemKind::Text, "text"},       {TItemKind::Line, "line"},
    {TItemKind::Rectangle, "rect"},  {TItemKind::Picture, "picture"},
    {TItemKind::Barcode, "barcode"}, {TItemKind::QrCode, "qrcode"},
};

const TName<QPageSize::PageSizeId> PageNames[] = {
    {QPageSize::A4, "A4"},
    {QPageSize::A5, "A5"},
    {QPageSize::B5, "B5"},
    {QPageSize::Letter, "Letter"},
};

const TName<int> HorizontalNames[] = {
    {Qt::AlignLeft, "left"}, {Qt::AlignHCenter, "center"}, {Qt::AlignRight, "right"}};
const TName<int> VerticalNames[] = {
    {Qt::AlignTop, "top"}, {Qt::AlignVCenter, "center"}, {Qt::AlignBottom, "bottom"}};

template<typename T, size_t N>
QString nameOf(const TName<T> (&names)[N], T value)
{
    for (const TName<T> &name : names)
        if (name.Value == value)
            return QString::fromLatin1(name.Text);
    return QString::fromLatin1(names[0].Text);
}

template<typename T, size_t N>
bool valueOf(const TName<T> (&names)[N], const QString &text, T &value)
{
    for (const TName<T> &name : names)
        if (text == QLatin1String(name.Text)) {
            value = name.Value;
            return true;
        }
    return false;
}

QJsonArray rectToJson(const QRectF &rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QString bordersToText(int borders)
{
    if (borders == BorderAll)
        return QStringLiteral("all");
    QString text;
    if (borders & BorderLeft)
        text += u'L';
    if (borders & BorderTop)
        text += u'T';
    if (borders & BorderRight)
        text += u'R';
    if (borders & BorderBottom)
        text += u'B';
    return text;
}

int bordersFromText(const QString &text)
{
    if (text == QLatin1String("all"))
        return BorderAll;
    int borders = BorderNone;
    for (QChar c : text)
        borders |= c == u'L'   ? BorderLeft
                   : c == u'T' ? BorderTop
                   : c == u'R' ? BorderRight
                   : c == u'B' ? BorderBottom
                               : 0;
    return borders;
}

QJsonObject itemToJson(const TReportItem &item)
{
    const TReportItem defaults;
    QJsonObject o;
    o[u"type"] = nameOf(ItemNames, item.Kind);
    if (!item.Name.isEmpty())
        o[u"name"] = item.Name;
    o[u"rect"] = rectToJson(item.Rect);
    if (!item.Text.isEmpty())
        o[u"text"] = item.Text;
    if (!item.Format.isEmpty())
        o[u"format"] = item.Format;
    if (item.BlankWhenZero)
        o[u"blankWhenZero"] = true;
    if (item.Align != defaults.Align) {
        o[u"align"] = nameOf(HorizontalNames, int(item.Align & Qt::AlignHorizontal_Mask));
        o[u"valign"] = nameOf(VerticalNames, int(item.Align & Qt::AlignVertical_Mask));
    }
    if (item.WordWrap)
        o[u"wordWrap"] = true;
    if (item.Font != defaults.Font) {
        QJsonObject font;
        if (!item.Font.Family.isEmpty())
            font[u"family"] = item.Font.Family;
        font[u"size"] = item.Font.PointSize;
        if (item.Font.Bold)
            font[u"bold"] = true;
        if (item.Font.Italic)
            font[u"italic"] = true;
        o[u"font"] = font;
    }
    if (item.Borders != BorderNone)
        o[u"borders"] = bordersToText(item.Borders);
    if (item.PenWidth != defaults.PenWidth)
        o[u"penWidth"] = item.PenWidth;
    if (!item.Barcode.isEmpty())
        o[u"barcode"] = item.Barcode;
    if (item.ShowBarcodeText != defaults.ShowBarcodeText)
        o[u"showText"] = item.ShowBarcodeText;
    if (!item.Picture.isEmpty())
        o[u"picture"] = QString::fromLatin1(item.Picture.toBase64());
    return o;
}

bool readRect(const QJsonValue &value, QRectF &rect)
{
    const QJsonArray a = value.toArray();
    if (a.size() != 4)
        return false;
    for (const QJsonValue &v : a)
        if (!v.isDouble())
            return false;
    rect = QRectF(a[0].toDouble(), a[1].toDouble(), a[2].toDouble(), a[3].toDouble());
    return rect.width() >= 0 && rect.height() >= 0;
}

bool itemFromJson(const QJsonObject &o, TReportItem &item, QString &error)
{
    if (!valueOf(ItemNames, o[u"type"].toString(), item.Kind)) {
        error = QStringLiteral("未知的项目类型“%1”").arg(o[u"type"].toString());
        return false;
    }
    if (!readRect(o[u"rect"], item.Rect)) {
        error = QStringLiteral("项目的位置应为 [左, 上, 宽, 高]（毫米）");
        return false;
    }
    item.Name = o[u"name"].toString();
    item.Text = o[u"text"].toString();
    item.Format = o[u"format"].toString();
    item.BlankWhenZero = o[u"blankWhenZero"].toBool();
    int horizontal = Qt::AlignLeft;
    int vertical = Qt::AlignVCenter;
    if (o.contains(u"align") && !valueOf(HorizontalNames, o[u"align"].toString(), horizontal)) {
        error = QStringLiteral("未知的对齐方式“%1”").arg(o[u"align"].toString());
        return false;
    }
    if (o.contains(u"valign") && !valueOf(VerticalNames, o[u"valign"].toString(), vertical)) {
        error = QStringLiteral("未知的对齐方式“%1”").arg(o[u"valign"].toString());
        return false;
    }
    item.Align = Qt::Alignment(horizontal | vertical);
    item.WordWrap = o[u"wordWrap"].toBool();
    const QJsonObject font = o[u"font"].toObject();
    item.Font.Family = font[u"family"].toString();
    item.Font.PointSize = font[u"size"].toDouble(item.Font.PointSize);
    item.Font.Bold = font[u"bold"].toBool();
    item.Font.Italic = font[u"italic"].toBool();
    if (item.Font.PointSize <= 0 || item.Font.PointSize > 200) {
        error = QStringLiteral("字号须在 0 到 200 之间");
        return false;
    }
    item.Borders = bordersFromText(o[u"borders"].toString());
    item.PenWidth = o[u"penWidth"].toDouble(item.PenWidth);
    item.Barcode = o[u"barcode"].toString();
    if (item.Kind == TItemKind::Barcode && item.Barcode.isEmpty())
        item.Barcode = QStringLiteral("code128");
    if (item.Kind == TItemKind::Barcode && item.Barcode != QLatin1String("code128") &&
        item.Barcode != QLatin1String("ean13")) {
        error = QStringLiteral("未知的条码类型“%1”").arg(item.Barcode);
        return false;
    }
    item.ShowBarcodeText = o[u"showText"].toBool(true);
    item.Picture = QByteArray::fromBase64(o[u"picture"].toString().toLatin1());
    return true;
}

} // namespace

const TReportBand *TReportTemplate::Band(TBandKind kind) const
{
    for (const TReportBand &band : Bands)
        if (band.Kind == kind)
            return &band;
    return nullptr;
}

QSizeF TReportTemplate::PageSizeMm() const
{
    const QSizeF size = QPageSize::size(PageSize, QPageSize::Millimeter);
    return Orientation == QPageLayout::Landscape ? size.transposed() : size;
}

QByteArray TemplateToJson(const TReportTemplate &report)
{
    QJsonObject page;
    page[u"size"] = nameOf(PageNames, report.PageSize);
    page[u"orientation"] = report.Orientation == QPageLayout::Landscape
                               ? QStringLiteral("landscape")
                               : QStringLiteral("portrait");
    page[u"margins"] = QJsonArray{report.MarginsMm.left(), report.MarginsMm.top(),
                                  report.MarginsMm.right(), report.MarginsMm.bottom()};
    QJsonArray bands;
    for (const TReportBand &band : report.Bands) {
        QJsonArray items;
        for (const TReportItem &item : band.Items)
            items.append(itemToJson(item));
        bands.append(QJsonObject{{u"band"_qs, nameOf(BandNames, band.Kind)},
                                 {u"height"_qs, band.Height},
                                 {u"items"_qs, items}});
    }
    const QJsonObject root{{u"format"_qs, u"vzreport"_qs},
                           {u"version"_qs, 1},
                           {u"page"_qs, page},
                           {u"bands"_qs, bands}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool TemplateFromJson(const QByteArray &json, TReportTemplate &report, QString *error)
{
    QString message;
    const auto fail = [&](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject())
        return fail(QStringLiteral("报表模板不是有效的 JSON：%1").arg(parseError.errorString()));
    const QJsonObject root = document.object();
    if (root[u"format"].toString() != QLatin1String("vzreport"))
        return fail(QStringLiteral("不是报表模板文件"));
    if (root[u"version"].toInt() != 1)
        return fail(QStringLiteral("不支持的报表模板版本 %1").arg(root[u"version"].toInt()));

    TReportTemplate read;
    const QJsonObject page = root[u"page"].toObject();
    if (page.contains(u"size") && !valueOf(PageNames, page[u"size"].toString(), read.PageSize))
        return fail(QStringLiteral("未知的纸张“%1”").arg(page[u"size"].toString()));
    read.Orientation = page[u"orientation"].toString() == QLatin1String("landscape")
                           ? QPageLayout::Landscape
                           : QPageLayout::Portrait;
    if (page.contains(u"margins")) {
        QRectF m;
        if (!readRect(page[u"margins"], m))
            return fail(QStringLiteral("页边距应为 [左, 上, 右, 下]（毫米）"));
        read.MarginsMm = QMarginsF(m.x(), m.y(), m.width(), m.height());
    }
    for (const QJsonValue &bandValue : root[u"bands"].toArray()) {
        const QJsonObject o = bandValue.toObject();
        TReportBand band;
        if (!valueOf(BandNames, o[u"band"].toString(), band.Kind))
            return fail(QStringLiteral("未知的栏“%1”").arg(o[u"band"].toString()));
        if (read.Band(band.Kind))
            return fail(QStringLiteral("栏“%1”出现了两次").arg(o[u"band"].toString()));
        band.Height = o[u"height"].toDouble(-1);
        if (band.Height < 0 || band.Height > 1000)
            return fail(QStringLiteral("栏“%1”的高度无效").arg(o[u"band"].toString()));
        for (const QJsonValue &itemValue : o[u"items"].toArray()) {
            TReportItem item;
            if (!itemFromJson(itemValue.toObject(), item, message))
                return fail(QStringLiteral("栏“%1”：%2").arg(o[u"band"].toString(), message));
            band.Items.append(item);
        }
        read.Bands.append(band);
    }
    const QSizeF size = read.PageSizeMm();
    const double usable = size.height() - read.MarginsMm.top() - read.MarginsMm.bottom();
    const auto height = [&](TBandKind kind) {
        const TReportBand *band = read.Band(kind);
        return band ? band->Height : 0.0;
    };
    // Every page must hold its header, its footer and one line, or the lines would never end.
    if (height(TBandKind::PageHeader) + height(TBandKind::PageFooter) +
            height(TBandKind::ColumnHeader) + std::max(height(TBandKind::Detail), 0.1) >
        usable)
        return fail(QStringLiteral("页眉、页脚与一行明细的高度超过了纸张"));
    report = read;
    return true;
}

bool LoadReportTemplate(const QString &fileName, TReportTemplate &report, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法打开报表模板 %1：%2").arg(fileName, file.errorString());
        return false;
    }
    return TemplateFromJson(file.readAll(), report, error);
}

bool SaveReportTemplate(const QString &fileName, const TReportTemplate &report, QString *error)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(TemplateToJson(report)) >= 0 && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("无法保存报表模板 %1：%2").arg(fileName, file.errorString());
    return false;
}

} // namespace print
