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

    TDBLookupComboBox *DBLookupCK;
    TDBLookupComboBox *DBLookupBM;
    TDBComboBox *DBComboJSR;
    TDBEdit *DBEditJE;

protected:
    void sMxDataChange(TDataSource &Sender, TField *Field) override;
    void TotalField(char kind, const QVariant &value) override;
};
