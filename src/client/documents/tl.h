// The return TfrmStockTl ("物品归还单"): goods a person brings back to a warehouse.
#pragma once

#include "client/documents/staffstock.h"

class TfrmStockTl : public TfrmStaffStockDj
{
    Q_OBJECT
public:
    explicit TfrmStockTl(QWidget *parent = nullptr);

    // The header query of the type's own table; where starts with " where".
    static QString HeaderQuery(const QString &where);
};
