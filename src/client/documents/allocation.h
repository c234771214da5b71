// How a receipt or payment spreads money over the open documents it settles, in cents: the
// arithmetic the settlement forms and their checks share.
#pragma once

#include <QList>

namespace allocation {

// Amounts within half a cent are the same amount.
constexpr double Tolerance = 0.005;

// Spreads amount over the open amounts in their order, the oldest first: each takes what is
// open on it while the amount lasts, the one where it runs out the rest, every later one 0.
QList<double> Spread(double amount, const QList<double> &open);

// What one document takes from what is left: nothing when it holds an amount already (the
// clerk's figure stays), else what is open on it, at most what is left, never below 0.
double TakeForOne(double held, double open, double left);

} // namespace allocation
