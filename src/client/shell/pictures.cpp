// The drawn pictures of buttons and tiles.
#include "client/shell/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QColor pictureColor(TFunctionPicture picture)
{
    switch (picture) {
    case fpBill:
        return QColor(0x2e, 0x8b, 0x57);
    case fpReport:
        return QColor(0xd9, 0x7a, 0x16);
    case fpTool:
        return QColor(0x6b, 0x5b, 0x95);
    case fpExit:
        return QColor(0xb8, 0x32, 0x27);
    case fpData:
        break;
    }
    return QColor(0x2f, 0x6d, 0xb5);
}

void drawGlyph(QPainter &p, TFunctionPicture picture, qreal s)
{
    QPen pen(Qt::white, s * 0.07, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (picture) {
    case fpBill: { // a document with lines and a folded corner
        QPainterPath page;
        page.moveTo(s * 0.30, s * 0.20);
        page.lineTo(s * 0.58, s * 0.20);
        page.lineTo(s * 0.72, s * 0.34);
        page.lineTo(s * 0.72, s * 0.80);
        page.lineTo(s * 0.30, s * 0.80);
        page.closeSubpath();
        p.drawPath(page);
        for (qreal y : {0.46, 0.58, 0.70})
            p.drawLine(QPointF(s * 0.38, s * y), QPointF(s * 0.64, s * y));
        break;
    }
    case fpReport: { // a bar chart
        p.drawLine(QPointF(s * 0.24, s * 0.78), QPointF(s * 0.78, s * 0.78));
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(s * 0.30, s * 0.52, s * 0.10, s * 0.22));
        p.drawRect(QRectF(s * 0.46, s * 0.34, s * 0.10, s * 0.40));
        p.drawRect(QRectF(s * 0.62, s * 0.22, s * 0.10, s * 0.52));
        break;
    }
    case fpExit: { // the power sign
        p.drawArc(QRectF(s * 0.26, s * 0.28, s * 0.48, s * 0.48), 120 * 16, 300 * 16);
        p.drawLine(QPointF(s * 0.50, s * 0.20), QPointF(s * 0.50, s * 0.50));
        break;
    }
    case fpTool: { // a gear-like ring
        p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.18, s * 0.18);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(s * 0.5, s * 0.5);
            p.rotate(i * 45);
            p.drawLine(QPointF(0, -s * 0.22), QPointF(0, -s * 0.30));
            p.restore();
        }
        break;
    }
    case fpData: { // a card index
        p.drawRoundedRect(QRectF(s * 0.24, s * 0.26, s * 0.52, s * 0.48), s * 0.05, s * 0.05);
        p.drawLine(QPointF(s * 0.24, s * 0.40), QPointF(s * 0.76, s * 0.40));
        p.drawLine(QPointF(s * 0.34, s * 0.52), QPointF(s * 0.66, s * 0.52));
        p.drawLine(QPointF(s * 0.34, s * 0.63), QPointF(s * 0.56, s * 0.63));
        break;
    }
    }
}

QPixmap drawPicture(TFunctionPicture picture, int size, bool disabled)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QColor color = pictureColor(picture);
    if (disabled) {
        const int grey = qGray(color.rgb());
        color = QColor(grey, grey, grey).lighter(150);
    }
    QLinearGradient fill(0, 0, 0, size);
    fill.setColorAt(0, color.lighter(125));
    fill.setColorAt(1, color);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size * 0.2, size * 0.2);
    drawGlyph(p, picture, size);
    return pixmap;
}

} // namespace

TFunctionPicture PictureOfObjectType(const QString &objectType)
{
    if (objectType.compare(QLatin1String("Bill"), Qt::CaseInsensitive) == 0)
        return fpBill;
    if (objectType.compare(QLatin1String("Report"), Qt::CaseInsensitive) == 0)
        return fpReport;
    return fpData;
}

QIcon FunctionIcon(TFunctionPicture picture, int size)
{
    QIcon icon;
    icon.addPixmap(drawPicture(picture, size, false), QIcon::Normal);
    icon.addPixmap(drawPicture(picture, size, true), QIcon::Disabled);
    return icon;
}
