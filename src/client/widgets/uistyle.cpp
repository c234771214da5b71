// Shared colours and fonts.
#include "client/widgets/uistyle.h"

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
