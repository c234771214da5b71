// Grid to workbook in one pass, through libxlsxwriter.
#include "client/output/excelexport.h"

#include "client/output/gridexport.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QUrl>

namespace output {

namespace {

QChar letter(int n)
{
    return QChar(u'A' + n - 1);
}

// The same table with carriage returns taken out of every text.
class WithoutCarriageReturns : public TExportSource
{
public:
    explicit WithoutCarriageReturns(const TExportSource &source)
        : m_source(source)
    {}
    int columnCount() const override { return m_source.columnCount(); }
    int rowCount() const override { return m_source.rowCount(); }
    QString columnTitle(int column) const override { return clean(m_source.columnTitle(column)); }
    ColumnKind columnKind(int column) const override { return m_source.columnKind(column); }
    QString displayFormat(int column) const override { return m_source.displayFormat(column); }
    QString cellText(int row, int column) const override
    {
        return clean(m_source.cellText(row, column));
    }
    QVariant cellValue(int row, int column) const override
    {
        const QVariant value = m_source.cellValue(row, column);
        return value.typeId() == QMetaType::QString ? QVariant(clean(value.toString())) : value;
    }

private:
    static QString clean(QString text) { return text.remove(QLatin1Char('\r')); }
    const TExportSource &m_source;
};

} // namespace

QString ExcelColumnLetters(int n)
{
    if (n <= 26)
        return QString(letter(n));
    if (n % 26 == 0)
        return QString(letter(n / 26 - 1)) + QLatin1Char('Z');
    return QString(letter(n / 26)) + letter(n % 26);
}

QString ExcelTargetRange(int columnCount, int rowCount)
{
    return QStringLiteral("A1:") + ExcelColumnLetters(columnCount) + QString::number(rowCount);
}

bool ExportGridToExcel(const TExportSource &source, const QString &fileName, QString *writtenFile,
                       QString *error)
{
    QString target = fileName;
    if (target.isEmpty()) {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
        target = QDir(dir).filePath(
            QStringLiteral("export_%1.xlsx")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmsszzz"))));
    }
    const WithoutCarriageReturns cleaned(source);
    if (!writeXlsx(cleaned, target, QStringLiteral("Sheet1"), error))
        return false;
    if (writtenFile)
        *writtenFile = target;
    if (fileName.isEmpty() && !QDesktopServices::openUrl(QUrl::fromLocalFile(target))) {
        if (error)
            *error = QStringLiteral("no spreadsheet program opens %1").arg(target);
        return false;
    }
    return true;
}

} // namespace output
