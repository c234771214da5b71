// The expenses TfrmFykz ("费用开支"): money paid out, by expense category.
#pragma once

#include "client/documents/incomeexpense.h"

class TfrmFykz : public TfrmIncomeExpense
{
    Q_OBJECT
public:
    explicit TfrmFykz(QWidget *parent = nullptr);

    // The header query of the type's own table; where starts with " where".
    static QString HeaderQuery(const QString &where);
};
