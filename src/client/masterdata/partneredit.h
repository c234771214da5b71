// The customer edit form TfrmCustomEdit and the supplier edit form TfrmVendCustEdit: code,
// names, region, contact, bank and opening balance of a trading partner. Leaving the short
// name fills an empty full name and an empty mnemonic; after a save the balances shown are
// read back from the server.
#pragma once

#include "client/forms/comedit.h"
#include "client/masterdata/editrows.h"

class TfrmPartnerEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    TDBEdit *RzDBEdit_BH;
    TDBEdit *RzDBEdit_Name; // the short name MC
    TDBEdit *RzDBEdit_QC;
    TDBEdit *RzDBEdit_ZJM;
    TDBLookupComboBox *RzDBLookupComboBox_DQ;

protected:
    // table "KH" or "GYS"; the opening-balance caption differs.
    // codeCaption: what a refused duplicate code is called ("客户编号").
    TfrmPartnerEdit(QWidget *parent, TDataSource *source, const QString &table,
                    const char *openingCaption, const char *codeCaption);

    void FormShow() override;
    void SetDuplicateValue() override;
    void MyAfterApplyUpdates() override;
    void sDataChange(TDataSource &Sender, TField *Field) override;
    // The short name was left: an empty full name and mnemonic follow it.
    void ShortNameExit();

    TEditRows m_rows;

private:
    QString m_table;
    QString m_codeCaption;
};

class TfrmCustomEdit : public TfrmPartnerEdit
{
    Q_OBJECT
public:
    explicit TfrmCustomEdit(QWidget *parent = nullptr);

protected:
    void FormShow() override;
};

class TfrmVendCustEdit : public TfrmPartnerEdit
{
    Q_OBJECT
public:
    explicit TfrmVendCustEdit(QWidget *parent = nullptr);
};
