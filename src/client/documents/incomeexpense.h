// TfrmIncomeExpense: the money documents whose lines are income or expense categories
// (SRZCLB) with an amount each, not goods — the expenses TfrmFykz and the other income
// TfrmQtsr differ only by the record they pass. The header names how the money went and the
// account it went through, both required.
#pragma once

#include "client/documents/typeddj.h"

class TDBComboBox;
class TDBEdit;
class TDBLookupComboBox;

struct TIncomeExpenseKind
{
    const char *FormName;
    const char *Caption;
    TDocumentTables Tables;
    const char *PickerCaption; // the category picker's caption, which chooses its categories
    const char *CategorySql;   // the query of a typed category code, up to the quoted code
};

class TfrmIncomeExpense : public TfrmTypedDj
{
    Q_OBJECT
public:
    TDBLookupComboBox *DBLookupSFKFS;
    TDBLookupComboBox *DBLookupZH;
    TDBEdit *DBEditPH;
    TDBComboBox *DBComboJSR;

    // The header query of the documents kept in headerTable, with the payment method's and the
    // account's names; where starts with " where".
    static QString HeaderQueryOf(const QString &headerTable, const QString &where);
    // The lines of one document with their category's code and name.
    static QString LinesQueryOf(const QString &linesTable, qint64 headerId);

protected:
    TfrmIncomeExpense(const TIncomeExpenseKind &kind, QWidget *parent);

    QString HeaderSql(const QString &where) const override;
    QString LinesSql(qint64 headerId) const override;
    void sZbDataChange(TDataSource &Sender, TField *Field) override;
    void sMxDataChange(TDataSource &Sender, TField *Field) override;
    void DBGrid1EditButtonClick() override;

private:
    void categoryCodeTyped();

    const TIncomeExpenseKind &m_kind;
    bool m_inCategoryCode = false;
};
