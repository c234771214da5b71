// The edit forms of the small code tables: accounts TfrmZhEdit, payment methods
// TfrmSfkfsEdit, income and expense categories TfrmSrzclbEdit and kinds of other stock changes
// TfrmQtkcbdlxEdit.
#pragma once

#include "client/forms/comedit.h"
#include "client/masterdata/editrows.h"

class TDBRadioGroup;

// An account: number, name, cash or bank, bank and bank account (bank accounts only) and the
// opening balance; the current balance is read back after a save.
class TfrmZhEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmZhEdit(QWidget *parent = nullptr);

    TDBEdit *RzDBEdit_Name;
    TDBRadioGroup *RzDBRadioGroup_YHL;
    TDBEdit *RzDBEdit_KHYH;
    TDBEdit *RzDBEdit_YHZH;
    TDBEdit *RzDBEdit_QCJE;

protected:
    void FormShow() override;
    void dsBeforePost(TClientDataSet &DataSet) override;
    void sDataChange(TDataSource &Sender, TField *Field) override;
    void MyAfterApplyUpdates() override;

private:
    bool isBank() const;
    // The bank and bank-account edits follow the kind of account.
    void updateBankFields();

    TEditRows m_rows;
};

// A payment method and the account its money goes to by default.
class TfrmSfkfsEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmSfkfsEdit(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    void sDataChange(TDataSource &Sender, TField *Field) override;

private:
    TEditRows m_rows;
};

// An income or expense category.
class TfrmSrzclbEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmSrzclbEdit(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    void SetDuplicateValue() override;
    void sDataChange(TDataSource &Sender, TField *Field) override;

private:
    TEditRows m_rows;
};

// A kind of other stock change: receipt (stock increases, the default) or issue.
class TfrmQtkcbdlxEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmQtkcbdlxEdit(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    void dsOnNewRecord(TClientDataSet &DataSet) override;
    void SetDuplicateValue() override;

private:
    TEditRows m_rows;
};
