// The other income TfrmQtsr ("其它收入"): money received, by income category.
#pragma once

#include "client/documents/incomeexpense.h"

class TfrmQtsr : public TfrmIncomeExpense
{
    Q_OBJECT
public:
    explicit TfrmQtsr(QWidget *parent = nullptr);

    // The header query of the type's own table; where starts with " where".
    static QString HeaderQuery(const QString &where);
};
