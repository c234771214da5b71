// The purchase receipt TfrmPurIn ("采购入库单"): goods received from a supplier into a
// warehouse, with the invoice type that gives new lines their tax rate and a document
// discount that every line takes.
#pragma once

#include "client/documents/comdj.h"

class TDBButtonEdit;
class TDBEdit;
class TDBLookupComboBox;
class TDBComboBox;
class TDBRadioGroup;

class TfrmPurIn : public TfrmComDj
{
    Q_OBJECT
public:
    explicit TfrmPurIn(QWidget *parent = nullptr);
    ~TfrmPurIn() override;

    // The header query of receipts: names of supplier, warehouse, payment method, account
    // and invoice type beside the header's keys. where starts with " where".
    static QString HeaderSql(const QString &where);
    // The lines of one receipt with the goods' code, name, unit, size and category.
    static QString LinesSql(qint64 headerId);

    TDBButtonEdit *DBEditGysBH;
    TDBEdit *DBEditGysMC;
    TDBLookupComboBox *DBLookupCK;
    TDBLookupComboBox *DBComboBox2; // invoice type
    TDBRadioGroup *DBRadioCGLX;
    TDBComboBox *DBComboYWY;
    TDBEdit *dbedtXSJE; // the document discount NZK
    TDBEdit *DBEditBZ;

protected:
    void FormShow() override;
    void IniRecord() override;
    void ZbOnNewRecord(TClientDataSet &DataSet) override;
    void MxOnNewRecord(TClientDataSet &DataSet) override;
    void sZbDataChange(TDataSource &Sender, TField *Field) override;

private:
    void buildHeader();
    void pickSupplier();
    void supplierCodeTyped();
    void discountLeft();
    void applyTaxRateToLines();
    double invoiceTaxRate() const;

    std::unique_ptr<TClientDataSet> m_invoiceTypes;
    std::unique_ptr<TDataSource> m_sInvoiceTypes;
    bool m_applyingHeader = false;
};
