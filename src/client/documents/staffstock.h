// TfrmStaffStockDj: documents of goods a person of a department takes from a warehouse or
// brings back to it (the issue and the return). The header names the warehouse, the
// department (BMID, shown as aBMMC) and the person (JSR, with YGID); choosing a person by name
// brings the person's department along.
#pragma once

#include "client/documents/typeddj.h"

class TDBComboBox;
class TDBLookupComboBox;

class TfrmStaffStockDj : public TfrmTypedDj
{
    Q_OBJECT
public:
    TDBLookupComboBox *DBLookupCK;
    TDBLookupComboBox *DBLookupBM;
    TDBComboBox *DBComboJSR;

    // The header query of the issues or returns kept in headerTable, with the department's and
    // the warehouse's names; where starts with " where".
    static QString HeaderQueryOf(const QString &headerTable, const QString &where);

protected:
    TfrmStaffStockDj(const char *formName, const QString &caption, const TDocumentTables &tables,
                     const QString &personCaption, QWidget *parent);

    QString HeaderSql(const QString &where) const override;
    void sZbDataChange(TDataSource &Sender, TField *Field) override;
};
