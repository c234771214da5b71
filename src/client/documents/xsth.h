// The sales return TfrmSalIn ("销售退货单"): goods a customer brings back into a warehouse,
// priced at the customer's level, with a header total that follows the lines (tax included)
// and a warning when the return lifts a goods item above its stock ceiling. The list that
// opens it may set its tables and object name.
#pragma once

#include "client/documents/tradedocument.h"

class TfrmSalIn : public TTradeDocument
{
    Q_OBJECT
public:
    explicit TfrmSalIn(QWidget *parent = nullptr);

    static QString HeaderQuery(const QString &where);
    static QString LinesQuery(qint64 headerId);
    // The return types by THLX (1, 2).
    static const QStringList &ReturnTypes();

    TDBComboBox *DBComboTHLX;
    TDBEdit *DBEditJE;

protected:
    void sMxDataChange(TDataSource &Sender, TField *Field) override;
    void TotalField(char kind, const QVariant &value) override;

private:
    void priceReturnedGoods();
    void warnAboveStockCeiling();
};
