// Reads the cells of a workbook's sheet (.xlsx: a zip of XML parts) without a spreadsheet
// program; used by the Excel import and to check what the exporters wrote.
#pragma once

#include "client/output/cellformat.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

namespace output {

enum class TSheetContent { Values, ValuesAndFormats };

struct TSheetData
{
    QString name;
    // rows[r][c], zero-based; texts as QString, numbers as double, booleans as bool, cells
    // stored as ISO dates as QDate or QDateTime; cells never written are null QVariants. Short
    // rows are not padded.
    QList<QList<QVariant>> rows;

    // Read with TSheetContent::ValuesAndFormats only; empty otherwise.
    QList<TCellFormat> formats; // the workbook's cell formats, 0 = the default one
    // formatIds[r][c] into formats for every cell the sheet stores, -1 where it stores none;
    // such cells take their row's format, else their column's.
    QList<QList<int>> formatIds;
    QMap<int, int> rowFormatIds;
    QMap<int, int> columnFormatIds;
    QMap<int, double> columnWidths; // by column, in characters of the body font
    QMap<int, double> rowHeights;   // by row, in points
    QList<TSheetRange> merges;
    bool date1904 = false;

    QVariant cell(int row, int column) const
    {
        if (row < 0 || row >= rows.size() || column < 0 || column >= rows[row].size())
            return {};
        return rows[row][column];
    }
    int formatId(int row, int column) const;
    TCellFormat format(int row, int column) const { return formats.value(formatId(row, column)); }
    // The cell's date and time (no time zone) when it holds a number its format shows as a
    // date or time; invalid otherwise and when formats were not read.
    QDateTime dateTime(int row, int column) const;
};

// Reads the sheet at the given position (0 = first). Returns false with a readable error
// when the file is not a workbook or has no such sheet. Formats cost a second pass over the
// styles part and an index per cell: the plain import reads values only.
bool readXlsxSheet(const QString &fileName, int sheetIndex, TSheetData *sheet,
                   QString *error = nullptr, TSheetContent content = TSheetContent::Values);

// The names of the workbook's sheets in their order; false with a readable error when the file
// is not a workbook.
bool readXlsxSheetNames(const QString &fileName, QStringList *names, QString *error = nullptr);

// "B3" -> row 2, column 1. False for a malformed reference or one beyond the largest sheet.
bool parseCellReference(const QString &reference, int *row, int *column);

} // namespace output
