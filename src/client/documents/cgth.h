// The purchase return TfrmPurOut ("采购退货单"): goods sent back to a supplier out of a
// warehouse, the money refunded or kept as prepayment. The list that opens it may set its
// tables and object name.
#pragma once

#include "client/documents/tradedocument.h"

class TDBComboBox;

class TfrmPurOut : public TTradeDocument
{
    Q_OBJECT
public:
    explicit TfrmPurOut(QWidget *parent = nullptr);

    static QString HeaderQuery(const QString &where);
    static QString LinesQuery(qint64 headerId);
    // The return types by THLX (1, 2).
    static const QStringList &ReturnTypes();

    TDBComboBox *DBComboTHLX;

protected:
};
