#include "client/admin/importworkbook.h"

#include "client/output/workbookreader.h"

#include <QDateTime>

namespace {

QString cellText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime when = value.toDateTime();
        return when.time() == QTime(0, 0) ? when.date().toString(Qt::ISODate)
                                          : when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 15);
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
    const std::unique_ptr<output::TWorkbookReader> book = output::OpenWorkbook(fileName, error);
    if (!book)
        return false;
    const QStringList names = book->SheetNames();
    for (int index = 0; index < names.size(); ++index) {
        output::TSheetData data;
        if (!book->ReadSheet(index, &data, error))
            return false;
        TImportSheet sheet;
        sheet.Name = names[index];
        sheet.Rows.reserve(data.rows.size());
        for (const QList<QVariant> &row : std::as_const(data.rows)) {
            QStringList texts;
            texts.reserve(row.size());
            for (const QVariant &value : row)
                texts << cellText(value);
            sheet.Rows << texts;
        }
        *sheets << sheet;
    }
    return true;
}
