// The print preview of a grid, from which the user prints it.
#pragma once

class QWidget;
class TDBGrid;
struct TGridPrintOptions;

// Shows the preview (the window "PrintPreview", captioned with options.Title) and returns
// when it is closed.
void PreviewGridPrint(const TDBGrid &grid, const TGridPrintOptions &options, QWidget *parent);
