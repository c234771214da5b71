// The goods requisition TfrmCgdd ("物品申请单"): goods ordered from a supplier, with what the
// purchase receipts have brought against each line and whether the order is done or stopped.
#pragma once

#include "client/documents/tradedocument.h"

class QLabel;
class TDBCheckBox;
class TDBDateEdit;

class TfrmCgdd : public TTradeDocument
{
    Q_OBJECT
public:
    explicit TfrmCgdd(QWidget *parent = nullptr);

    static QString HeaderQuery(const QString &where);
    // The lines with the quantity received against each (aSHSL) and the rest (aMSSL).
    static QString LinesQuery(qint64 headerId);

    TDBLookupComboBox *DBLookupBM;
    TDBDateEdit *DBEditJHRQ;
    TDBCheckBox *DBCheckZT;
    // "中止执行" (red) for a stopped order, "执行完毕" (green) once every line is received.
    QLabel *pnlZT;

protected:
    void IniRecord() override;
    void sZbDataChange(TDataSource &Sender, TField *Field) override;

private:
    void showExecution();
};
