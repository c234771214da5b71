// A dataset's change log as the protocol carries it to the server's applier, and the rows the
// applier refused mapped back onto the change log. The server link and the in-process test
// provider share it, so both hand the applier the same changes.
#pragma once

#include "client/data/remoteserver.h"
#include "wire/protocol.h"

#include <QList>

// One change per delta row: the new values of changed columns, and the old values the server
// locates the row by (its key and the changed columns, or every column without a key).
QList<wire::Change> WireChanges(const TDelta &delta);

// The refused rows by the delta's positions; a column the table lacks keeps the value the
// client holds.
TApplyResult ApplyResultOf(bool rolledBack, const QList<wire::RowError> &errors,
                           const TDelta &delta);
