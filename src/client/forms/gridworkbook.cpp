// Grid to workbook.
#include "client/forms/gridworkbook.h"

#include "client/data/clientdataset.h"
#include "client/output/excelexport.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridexportsource.h"
#include "client/widgets/messagebox.h"

bool ExportGridToExcel(TDBGrid &grid, const QString &fileName, QString *writtenFile, QString *error)
{
    THourGlass hourGlass;
    TClientDataSet *ds = grid.DataSet();
    TBookmark position;
    if (ds) {
        position = ds->GetBookmark();
        ds->DisableControls();
    }
    const TGridExportSource source(grid, false);
    const bool written = output::ExportGridToExcel(source, fileName, writtenFile, error);
    if (ds) {
        if (!position.isNull() && ds->BookmarkValid(position))
            ds->GotoBookmark(position);
        ds->EnableControls();
    }
    return written;
}
