// The tab bar of the open windows.
#include "client/shell/tabcontrolex.h"

#include <QPainter>
#include <QPainterPath>

TTabControlEx::TTabControlEx(QWidget *parent)
    : QTabBar(parent)
{
    setObjectName(QStringLiteral("TabControlEx1"));
    setShape(QTabBar::RoundedSouth);
    setTabsClosable(true);
    setMovable(false);
    setExpanding(false);
    setDrawBase(false);
    setElideMode(Qt::ElideNone);
    setUsesScrollButtons(true);
    setFixedHeight(BarHeight);
}

QSize TTabControlEx::tabSizeHint(int index) const
{
    const int text = fontMetrics().horizontalAdvance(tabText(index).trimmed());
    const bool closable = tabButton(index, QTabBar::RightSide) != nullptr;
    return {text + (closable ? 40 : 24), BarHeight};
}

QSize TTabControlEx::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}

void TTabControlEx::tabInserted(int index)
{
    QTabBar::tabInserted(index);
    // The workspace's tab stays: the workspace is always open.
    if (index == 0) {
        if (QWidget *button = tabButton(0, QTabBar::RightSide)) {
            setTabButton(0, QTabBar::RightSide, nullptr);
            button->deleteLater();
        }
    }
}

void TTabControlEx::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0xdc, 0xe6, 0xf4));
    p.setPen(QColor(0x8e, 0xa8, 0xcc));
    p.drawLine(0, 0, width(), 0);
    for (int i = 0; i < count(); ++i) {
        const QRect r = tabRect(i).adjusted(1, 0, -1, -2);
        const bool current = i == currentIndex();
        QPainterPath shape;
        shape.moveTo(r.left(), r.top());
        shape.lineTo(r.left(), r.bottom() - 4);
        shape.quadTo(r.left(), r.bottom(), r.left() + 4, r.bottom());
        shape.lineTo(r.right() - 4, r.bottom());
        shape.quadTo(r.right(), r.bottom(), r.right(), r.bottom() - 4);
        shape.lineTo(r.right(), r.top());
        QLinearGradient fill(0, r.top(), 0, r.bottom());
        if (current) {
            fill.setColorAt(0, Qt::white);
            fill.setColorAt(1, QColor(0xf4, 0xf8, 0xfd));
        } else {
            fill.setColorAt(0, QColor(0xe8, 0xef, 0xf9));
            fill.setColorAt(1, QColor(0xcf, 0xdc, 0xef));
        }
        p.setPen(QColor(0x8e, 0xa8, 0xcc));
        p.setBrush(fill);
        p.drawPath(shape);
        if (current) {
            p.setPen(QPen(QColor(0x2f, 0x6d, 0xb5), 2));
            p.drawLine(QPointF(r.left() + 3, r.bottom()), QPointF(r.right() - 3, r.bottom()));
        }
        QRect textRect = r.adjusted(10, 0, -6, 0);
        if (tabButton(i, QTabBar::RightSide))
            textRect.setRight(textRect.right() - 16);
        QFont font = this->font();
        font.setBold(current);
        p.setFont(font);
        p.setPen(current ? QColor(0x1f, 0x3f, 0x6e) : QColor(0x33, 0x33, 0x33));
        p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, tabText(i).trimmed());
    }
}
