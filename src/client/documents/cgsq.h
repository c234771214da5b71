// The purchase requisition TfrmCgsq ("采购申请单"): goods a department asks the buyers for;
// the purchase receipts refer to its lines.
#pragma once

#include "client/documents/tradedocument.h"

class TfrmCgsq : public TTradeDocument
{
    Q_OBJECT
public:
    explicit TfrmCgsq(QWidget *parent = nullptr);

    static QString HeaderQuery(const QString &where);
    static QString LinesQuery(qint64 headerId);

    TDBLookupComboBox *DBLookupBM;

protected:
};
