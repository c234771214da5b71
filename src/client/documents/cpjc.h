// The product intake TfrmProductIn ("产品进仓单"): finished products into a warehouse, the
// header total following the lines as they are typed. The opener may name other tables
// (the production intakes); without them the form keeps CPJCZB / CPJC.
#pragma once

#include "client/documents/typeddj.h"

class TDBComboBox;
class TDBEdit;
class TDBLookupComboBox;

class TfrmProductIn : public TfrmTypedDj
{
    Q_OBJECT
public:
    explicit TfrmProductIn(QWidget *parent = nullptr);

    // The header query of the type's own table; where starts with " where".
    static QString HeaderQuery(const QString &where);

    TDBLookupComboBox *DBLookupCK;
    TDBLookupComboBox *DBLookupBM;
    TDBComboBox *DBComboJSR;
    TDBEdit *DBEditJE;

    // The header query of the intakes kept in headerTable, with the warehouse's and the
    // department's names; where starts with " where".
    static QString HeaderQueryOf(const QString &headerTable, const QString &where);

protected:
    QString HeaderSql(const QString &where) const override;
    void sMxDataChange(TDataSource &Sender, TField *Field) override;
    void TotalField(char kind, const QVariant &value) override;
};
