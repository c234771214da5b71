// The one place the import reads a workbook (.xlsx, .xls or .csv): every sheet's cells as the texts
// the conversion works on. Dates come out as "yyyy-MM-dd" (with the time when it is not midnight),
// as the cell's number format shows them.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct TImportSheet
{
    QString Name;
    QList<QStringList> Rows; // Rows[0] holds the headings
};

// False with a readable error when the file is not a workbook the import can read.
bool ReadImportWorkbook(const QString &fileName, QList<TImportSheet> *sheets, QString *error);
