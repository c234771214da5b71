// Where the goods attribute columns (SX1 ... SX6, captioned by the company settings) go in a
// grid of goods: right after the model column (GG) or the name column. The grid wrapper adds and
// moves the columns this plan names.
#pragma once

#include <QList>
#include <QString>

struct TGridColumnInfo
{
    QString FieldName;
    bool Visible = true;
};

// One enabled attribute, in the order of the company settings.
struct TAttrItem
{
    QString FieldName; // "SX1" ... "SX6"
    QString Caption;
};

struct TAttrColumn
{
    QString FieldName;
    QString Caption;
    QString DisplayFormat; // "0.00" for the numeric attributes SX4 ... SX6
    int Width = 40;        // 80 for the text attributes SX1 ... SX3
    int Index = 0;         // the column's position once added
};

// The anchor is the last visible column on GG, AGG, CMC1 or MC; its index less one is P,
// and the j-th attribute goes to P + j + 2, so the attributes follow the anchor. P is 0 with
// no anchor, and also for an anchor in the second place: then nothing is added.
QList<TAttrColumn> PlanAttrColumns(const QList<TGridColumnInfo> &columns,
                                   const QList<TAttrItem> &attributes);
