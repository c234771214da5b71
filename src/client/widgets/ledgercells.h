// Amounts drawn the way a paper ledger writes them: one digit per cell, the cents in the two
// rightmost cells, rules between the cells marking the decimal point and the thousands.
#pragma once

#include <QChar>
#include <QList>
#include <QRect>
#include <QString>
#include <QVariant>

class QFont;
class QPainter;

enum class TLedgerRule { Silver, Green, Red };

struct TLedgerLayout
{
    // One character per cell, left to right; blank cells are spaces. Digits are
    // right-aligned: the last cell holds the hundredths.
    QList<QChar> Cells;
    // Rules[i] is drawn at the right edge of Cells[i].
    QList<TLedgerRule> Rules;
    // Negative amounts are written in red.
    bool Red = false;
};

// Lays out value (formatted "0.00", the point removed) in at least minimumCells cells; more
// cells are used when the digits need them. A null value gives blank cells and the rules.
TLedgerLayout LedgerLayout(const QVariant &value, int minimumCells);

// Width of one cell: the width of the digit "8" plus 4 pixels.
int LedgerCellWidth(const QFont &font);

// Paints the cells of value into rect (right-aligned, centred vertically).
void PaintLedgerCells(QPainter &painter, const QRect &rect, const QVariant &value,
                      const QFont &font, const QColor &textColor);
