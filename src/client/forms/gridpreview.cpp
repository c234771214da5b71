// The print preview of a grid.
#include "client/forms/gridpreview.h"

#include "client/widgets/gridprinter.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

void PreviewGridPrint(const TDBGrid &grid, const TGridPrintOptions &options, QWidget *parent)
{
    TDBGridPrinter gridPrinter(grid);
    gridPrinter.Options() = options;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(options.Title);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(options.Title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&gridPrinter](QPrinter *device) { gridPrinter.Print(*device); });
    preview.exec();
}
