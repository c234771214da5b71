// A list or report grid into a workbook in one pass: the titles and every row of its dataset
// as the grid shows them, the dataset's position and its controls left as they were.
#pragma once

#include <QString>

class TDBGrid;

// Writes the grid to fileName; without a file name the workbook is written to a temporary
// file and opened with the desktop's spreadsheet program. writtenFile receives the path
// actually written. False with a readable error when nothing could be written.
bool ExportGridToExcel(TDBGrid &grid, const QString &fileName, QString *writtenFile = nullptr,
                       QString *error = nullptr);
