// The spreading of a settlement's money over open documents.
#include "client/documents/allocation.h"

#include "client/common/valueroutines.h"

#include <QtGlobal>

namespace allocation {

QList<double> Spread(double amount, const QList<double> &open)
{
    QList<double> taken;
    taken.reserve(open.size());
    double left = qMax(0.0, RoundTo(amount, 2));
    for (double due : open) {
        const double share = qMax(0.0, qMin(RoundTo(due, 2), left));
        taken.append(share);
        left = RoundTo(left - share, 2);
    }
    return taken;
}

double TakeForOne(double held, double open, double left)
{
    if (qAbs(held) >= Tolerance)
        return held;
    return qMax(0.0, qMin(RoundTo(open, 2), RoundTo(left, 2)));
}

} // namespace allocation
