// Reads the cells of a workbook's sheet (.xlsx: a zip of XML parts) without a spreadsheet
// program; used by the Excel import and to check what the exporters wrote.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace output {

struct TSheetData
{
    QString name;
    // rows[r][c], zero-based; texts as QString, numbers as double, booleans as bool; cells
    // never written are null QVariants. Short rows are not padded.
    QList<QList<QVariant>> rows;

    QVariant cell(int row, int column) const
    {
        if (row < 0 || row >= rows.size() || column < 0 || column >= rows[row].size())
            return {};
        return rows[row][column];
    }
};

// Reads the sheet at the given position (0 = first). Returns false with a readable error
// when the file is not a workbook or has no such sheet.
bool readXlsxSheet(const QString &fileName, int sheetIndex, TSheetData *sheet,
                   QString *error = nullptr);

// "B3" -> row 2, column 1. False for a malformed reference.
bool parseCellReference(const QString &reference, int *row, int *column);

} // namespace output
