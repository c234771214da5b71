// Saved column layouts of the forms' grids: "System\GridLayout.ini" beside the program, one
// section per form.
#pragma once

#include <QString>

class TDBGrid;

QString GridLayoutFile();

// Column order and widths of grid under section (the form's name), one key per field.
bool SaveGridLayout(const TDBGrid &grid, const QString &section,
                    const QString &fileName = GridLayoutFile());
// Puts back what SaveGridLayout stored; a missing file or section leaves the grid alone.
void RestoreGridLayout(TDBGrid &grid, const QString &section,
                       const QString &fileName = GridLayoutFile());
