// One way to read the sheets of a workbook the user picked for import, whatever program saved
// it: .xlsx, .xls (BIFF) or .csv, told apart by their first bytes and, for text, the name.
#pragma once

#include "client/output/xlsxreader.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace output {

// Cells come as QString, double, bool, QDate (a date without time), QDateTime, QTime (a time
// of day without a date) or a null QVariant for an empty cell. Formats are not kept; merges
// are kept where the format stores them (.xlsx).
class TWorkbookReader
{
public:
    virtual ~TWorkbookReader() = default;

    virtual QStringList SheetNames() const = 0;
    // False with a readable error for a sheet that is missing or cannot be read.
    virtual bool ReadSheet(int index, TSheetData *sheet, QString *error) = 0;
};

// Null with a readable error for a file that is missing, not a workbook, damaged or protected
// with a password.
std::unique_ptr<TWorkbookReader> OpenWorkbook(const QString &fileName, QString *error);

// Gives every cell of a merged range the value of its first cell, so a heading merged over
// several columns names each of them.
void SpreadMergedCells(TSheetData *sheet);

// Cells of a comma-separated text: quoted fields may hold commas, doubled quotes and line
// breaks. Texts stay texts, "12.50" included: only the target column knows whether it is a
// number, a code with leading zeros or a date. Exposed for tests.
QList<QList<QVariant>> ParseCsv(const QString &text);
// UTF-8 after a BOM or when the bytes are valid UTF-8, else GBK.
QString DecodeCsv(const QByteArray &bytes);

} // namespace output
