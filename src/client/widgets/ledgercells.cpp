// Ledger-style digit cells.
#include "client/widgets/ledgercells.h"

#include "client/data/formats.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

// The rule at the right edge of the cell that has `right` cells to its right.
TLedgerRule ruleAt(int right)
{
    if (right == 0)
        return TLedgerRule::Green; // the column's right edge
    if (right == 2)
        return TLedgerRule::Red; // between the units and the tenths: the decimal point
    // Digits left of the point: units have 2 cells to their right, tens 3, hundreds 4...
    // a rule before every third digit counting from the units.
    if (right >= 5 && (right - 2) % 3 == 0)
        return TLedgerRule::Green;
    return TLedgerRule::Silver;
}

QColor ruleColor(TLedgerRule rule)
{
    switch (rule) {
    case TLedgerRule::Green:
        return QColor(0, 128, 0);
    case TLedgerRule::Red:
        return QColor(Qt::red);
    case TLedgerRule::Silver:
        break;
    }
    return QColor(0xC0, 0xC0, 0xC0);
}

} // namespace

TLedgerLayout LedgerLayout(const QVariant &value, int minimumCells)
{
    TLedgerLayout layout;
    QString digits;
    if (value.isValid() && !value.isNull()) {
        const double number = value.toDouble();
        digits = FormatFloat(u"0.00", number);
        digits.remove(QLatin1Char('.'));
        layout.Red = digits.startsWith(QLatin1Char('-'));
    }
    const int count = qMax(minimumCells, int(digits.size()));
    layout.Cells.reserve(count);
    layout.Rules.reserve(count);
    const int blanks = count - int(digits.size());
    for (int i = 0; i < count; ++i) {
        layout.Cells.append(i < blanks ? QLatin1Char(' ') : digits.at(i - blanks));
        layout.Rules.append(ruleAt(count - 1 - i));
    }
    return layout;
}

int LedgerCellWidth(const QFont &font)
{
    return QFontMetrics(font).horizontalAdvance(QLatin1Char('8')) + 4;
}

void PaintLedgerCells(QPainter &painter, const QRect &rect, const QVariant &value,
                      const QFont &font, const QColor &textColor)
{
    const int cellWidth = LedgerCellWidth(font);
    const int visibleCells = qMax(1, rect.width() / cellWidth);
    const TLedgerLayout layout = LedgerLayout(value, visibleCells);
    const int count = int(layout.Cells.size());

    painter.save();
    painter.setClipRect(rect);
    painter.setFont(font);
    const QColor color = layout.Red ? QColor(Qt::red) : textColor;
    for (int i = 0; i < count; ++i) {
        const int right = rect.right() + 1 - (count - 1 - i) * cellWidth;
        const QRect cell(right - cellWidth, rect.top(), cellWidth, rect.height());
        if (layout.Cells[i] != QLatin1Char(' ')) {
            painter.setPen(color);
            painter.drawText(cell.adjusted(0, 0, -2, 0), Qt::AlignRight | Qt::AlignVCenter,
                             QString(layout.Cells[i]));
        }
        painter.setPen(ruleColor(layout.Rules[i]));
        painter.drawLine(right - 1, rect.top(), right - 1, rect.bottom());
    }
    painter.restore();
}
