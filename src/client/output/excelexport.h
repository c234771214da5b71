// Grid to workbook in one pass: titles and every row, as the list forms' "导出为Excel2010".
#pragma once

#include "client/widgets/exportsource.h"

#include <QString>

namespace output {

// Column letters as the workbook export computes them: one letter up to 26 columns; above,
// the letters of n / 26 and n mod 26, where a multiple of 26 ends in "Z" (27 -> "AA",
// 52 -> "AZ").
QString ExcelColumnLetters(int columnCount);

// The block the grid fills: "A1:" + the last column's letters + the row count (titles
// included).
QString ExcelTargetRange(int columnCount, int rowCount);

// Writes the grid's titles and all its rows (carriage returns removed, line feeds kept)
// into a new workbook. With a file name the workbook is saved there; without, it is
// written to a temporary file and opened with the desktop's spreadsheet program.
// writtenFile receives the path actually written.
bool ExportGridToExcel(const TExportSource &source, const QString &fileName,
                       QString *writtenFile = nullptr, QString *error = nullptr);

} // namespace output
