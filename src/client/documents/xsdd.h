// The sales order TfrmXsdd ("销售订单"): goods a customer ordered, with what the deliveries
// have taken of each line and what is still open.
#pragma once

#include "client/documents/tradedocument.h"

class TDBCheckBox;
class TDBDateEdit;

class TfrmXsdd : public TTradeDocument
{
    Q_OBJECT
public:
    explicit TfrmXsdd(QWidget *parent = nullptr);

    static QString HeaderQuery(const QString &where);
    // The lines with the quantity delivered (aYTSL) and the open rest (aMTSL).
    static QString LinesQuery(qint64 headerId);

    TDBDateEdit *DBEditJHRQ;
    TDBCheckBox *DBCheckZT;

protected:
    void ZbOnNewRecord(TClientDataSet &DataSet) override;
};
