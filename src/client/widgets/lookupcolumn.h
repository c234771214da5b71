// The columns of a look-up list: which list field, under which title, how many characters
// wide. The lookup combo and the floating look-up box show their lists with them.
#pragma once

#include <QList>
#include <QString>

class TDBGrid;

struct TLookupColumn
{
    QString FieldName;
    QString Title;
    int Width = 0; // characters; 0 takes the field's display width
};

// Replaces the grid's columns; titles show when any column has one.
void SetLookupColumns(TDBGrid &grid, const QList<TLookupColumn> &columns);
