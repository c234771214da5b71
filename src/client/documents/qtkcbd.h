// The other stock change TfrmQtkcbd ("其它库存变动"): goods into or out of a warehouse for a
// reason of the user's own list (QTKCBDLX). The change type decides the direction at audit
// (its RKL flag); the header keeps the direction CRLX beside it, 1 in and 2 out.
#pragma once

#include "client/documents/typeddj.h"

class TDBComboBox;
class TDBEdit;
class TDBLookupComboBox;

class TfrmQtkcbd : public TfrmTypedDj
{
    Q_OBJECT
public:
    explicit TfrmQtkcbd(QWidget *parent = nullptr);

    TDBLookupComboBox *DBLookupCK;
    TDBLookupComboBox *DBLookupLX; // the change type QTKCBDLXID
    TDBEdit *DBEditCRLX;           // the direction, shown
    TDBComboBox *DBComboJSR;

    // The header query with the change type's and the warehouse's names and the direction as
    // text; where starts with " where".
    static QString HeaderQuery(const QString &where);

protected:
    QString HeaderSql(const QString &where) const override;
    void sZbDataChange(TDataSource &Sender, TField *Field) override;
    void aSaveExecute() override;
};
