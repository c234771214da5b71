// Look-up list columns on a grid.
#include "client/widgets/lookupcolumn.h"

#include "client/widgets/dbgrid.h"

#include <QFontMetrics>

void SetLookupColumns(TDBGrid &grid, const QList<TLookupColumn> &columns)
{
    TDBGridColumns &gridColumns = grid.Columns();
    gridColumns.BeginUpdate();
    gridColumns.Clear();
    const int digit = QFontMetrics(grid.font()).horizontalAdvance(QLatin1Char('0'));
    bool titles = false;
    for (const TLookupColumn &column : columns) {
        gridColumns.Add(column.FieldName, column.Title,
                        column.Width > 0 ? column.Width * digit + 8 : 0);
        titles = titles || !column.Title.isEmpty();
    }
    gridColumns.EndUpdate();
    TDBGridOptions options = grid.Options();
    options.setFlag(dgTitles, titles);
    grid.SetOptions(options);
}
