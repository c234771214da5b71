// Shared colours and fonts.
#include "client/widgets/uistyle.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStringList>

QColor DelphiColor(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int ToDelphiColor(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

QColor FormColor()
{
    return DelphiColor(clFormColor);
}

QColor ButtonFaceColor()
{
    return QColor(0xF0, 0xF0, 0xF0);
}

QColor HighlightColor()
{
    return QColor(0x31, 0x6A, 0xC5);
}

QColor HighlightTextColor()
{
    return QColor(Qt::white);
}

QFont SongFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFont RootFont()
{
    return SongFont(12);
}

int QtAlignment(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QIcon ProductIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        QPixmap picture(size, size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 0, size);
        sky.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
        sky.setColorAt(1, QColor(0x5b, 0x8f, 0xd0));
        QPainterPath tile;
        const qreal radius = size / 5.0;
        tile.addRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), radius, radius);
        painter.fillPath(tile, sky);
        // A "V" of two strokes, the product's initial.
        QPen pen(Qt::white, qMax(1.5, size / 9.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        const qreal m = size * 0.24;
        painter.drawPolyline(
            QPolygonF{QPointF(m, m), QPointF(size / 2.0, size - m), QPointF(size - m, m)});
        painter.end();
        icon.addPixmap(picture);
    }
    return icon;
}
