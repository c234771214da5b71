// The sales delivery TfrmSalOunt ("销售出库单"): goods delivered to a customer out of a
// warehouse at their cost, with the invoice type that gives new lines their tax rate and the
// money received now.
#pragma once

#include "client/documents/tradedocument.h"

#include <QMap>

class TDBRadioGroup;

class TfrmSalOunt : public TTradeDocument
{
    Q_OBJECT
public:
    explicit TfrmSalOunt(QWidget *parent = nullptr);

    static QString HeaderQuery(const QString &where);
    static QString LinesQuery(qint64 headerId);

    TDBLookupComboBox *DBComboBox2; // invoice type
    TDBRadioGroup *DBRadioXSLX;
    TDBComboBox *DBComboPriceLevel;

protected:
    void ZbOnNewRecord(TClientDataSet &DataSet) override;
    void SetReprotBuildParam() override;
    // Money received now needs a payment method and an account; none received clears both.
    void aSaveExecute() override;
};
