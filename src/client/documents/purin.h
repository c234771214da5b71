// The purchase receipt TfrmPurIn ("采购入库单"): goods received from a supplier into a
// warehouse, with the invoice type that gives the lines their tax rate, a document discount
// that every line takes and the money paid now.
#pragma once

#include "client/documents/tradedocument.h"

class TDBRadioGroup;

class TfrmPurIn : public TTradeDocument
{
    Q_OBJECT
public:
    explicit TfrmPurIn(QWidget *parent = nullptr);
    ~TfrmPurIn() override;

    // The header query of receipts: names of supplier, warehouse, payment method, account
    // and invoice type beside the header's keys. where starts with " where".
    static QString HeaderQuery(const QString &where);
    // The lines of one receipt with the goods' code, name, unit, size and category.
    static QString LinesQuery(qint64 headerId);

    TDBButtonEdit *DBEditGysBH;
    TDBEdit *DBEditGysMC;
    TDBLookupComboBox *DBComboBox2; // invoice type
    TDBRadioGroup *DBRadioCGLX;
    TDBEdit *dbedtXSJE; // the document discount NZK

protected:
    void ZbOnNewRecord(TClientDataSet &DataSet) override;
    void sZbDataChange(TDataSource &Sender, TField *Field) override;
    // Money paid now needs a payment method and an account.
    void aSaveExecute() override;

private:
    void discountLeft();
};
