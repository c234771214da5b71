#include "client/admin/importworkbook.h"

#include "client/output/xlsxreader.h"

#include <QDateTime>

namespace {

QString cellText(const output::TSheetData &sheet, int row, int column)
{
    const QVariant value = sheet.cell(row, column);
    switch (value.typeId()) {
    case QMetaType::Double: {
        const QDateTime when = sheet.dateTime(row, column);
        if (when.isValid())
            return when.time() == QTime(0, 0)
                       ? when.date().toString(Qt::ISODate)
                       : when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        return QString::number(value.toDouble(), 'g', 15);
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return value.toString();
    }
}

} // namespace

bool ReadImportWorkbook(const QString &fileName, QList<TImportSheet> *sheets, QString *error)
{
    sheets->clear();
    for (int index = 0;; ++index) {
        output::TSheetData data;
        QString why;
        if (!output::readXlsxSheet(fileName, index, &data, &why,
                                   output::TSheetContent::ValuesAndFormats)) {
            // Past the last sheet the reader says there is no such sheet; a file without a
            // first sheet is no workbook.
            if (index == 0 && error)
                *error = why;
            return index > 0;
        }
        TImportSheet sheet;
        sheet.Name = data.name;
        sheet.Rows.reserve(data.rows.size());
        for (int r = 0; r < data.rows.size(); ++r) {
            QStringList texts;
            texts.reserve(data.rows[r].size());
            for (int c = 0; c < data.rows[r].size(); ++c)
                texts << cellText(data, r, c);
            sheet.Rows << texts;
        }
        *sheets << sheet;
    }
}
