// The grid file exporters: workbook (.xlsx), CSV, HTML, RTF and plain text, all rows.
#pragma once

#include "client/widgets/exportsource.h"

#include <QString>

namespace output {

// In the order the export dialog offers them.
enum class ExportFormat { Excel = 1, Csv, Html, Rtf, Text };

QString exportExtension(ExportFormat format);
// The save dialog's filter entries, in the order of ExportFormat.
QStringList exportFilters();

// Appends "." + the format's extension when the name does not already end with it
// (compared without regard to case).
QString withExportExtension(const QString &fileName, ExportFormat format);

// Writes every row of the source. Returns false with a readable error when the file cannot
// be written; a partly written file is removed.
bool exportToFile(const TExportSource &source, const QString &fileName, ExportFormat format,
                  QString *error = nullptr);

bool writeXlsx(const TExportSource &source, const QString &fileName, const QString &sheetName,
               QString *error = nullptr);

// Converts a Delphi display mask to a spreadsheet number format ("#,0.00" -> "#,##0.00").
QString excelNumberFormat(const QString &delphiMask);

} // namespace output
