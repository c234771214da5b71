// The grid file exporters: workbook, CSV, HTML, RTF and text.
#include "client/output/gridexport.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

#include <xlsxwriter.h>

#include <memory>
#include <vector>

namespace output {

namespace {

struct WorkbookCloser
{
    void operator()(lxw_workbook *workbook) const
    {
        if (workbook)
            workbook_close(workbook);
    }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookCloser>;

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

bool isNumericKind(ColumnKind kind)
{
    return kind == ColumnKind::Number;
}

// Text for the delimited formats: what the user sees, except that numbers lose their
// thousands separators so that spreadsheet programs read them as numbers.
QString plainCellText(const TExportSource &source, int row, int column)
{
    QString text = source.cellText(row, column);
    if (isNumericKind(source.columnKind(column)))
        text.remove(QLatin1Char(','));
    return text;
}

QString csvField(const QString &value)
{
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString rtfText(const QString &text)
{
    QString out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\\line ");
        } else if (c == QLatin1Char('\r')) {
            continue;
        } else if (u < 0x80) {
            out += c;
        } else {
            // RTF writes a Unicode code unit as a signed 16-bit number with a fallback.
            out += QStringLiteral("\\u%1?").arg(int(qint16(u)));
        }
    }
    return out;
}

bool writeTextFile(const QString &fileName, const QString &content, bool byteOrderMark,
                   QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, file.errorString());
        return false;
    }
    if (byteOrderMark)
        file.write("\xEF\xBB\xBF");
    file.write(content.toUtf8());
    if (!file.commit()) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}

QString csvContent(const TExportSource &source)
{
    QString out;
    QStringList fields;
    for (int c = 0; c < source.columnCount(); ++c)
        fields << csvField(source.columnTitle(c));
    out += fields.join(QLatin1Char(',')) + QLatin1String("\r\n");
    for (int r = 0; r < source.rowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < source.columnCount(); ++c)
            fields << csvField(plainCellText(source, r, c));
        out += fields.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    return out;
}

QString textContent(const TExportSource &source)
{
    auto clean = [](QString text) {
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return text;
    };
    QString out;
    QStringList fields;
    for (int c = 0; c < source.columnCount(); ++c)
        fields << clean(source.columnTitle(c));
    out += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int r = 0; r < source.rowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < source.columnCount(); ++c)
            fields << clean(source.cellText(r, c));
        out += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return out;
}

QString htmlContent(const TExportSource &source)
{
    QString out = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                                 "</head>\n<body>\n<table border=\"1\" cellspacing=\"0\">\n<tr>");
    for (int c = 0; c < source.columnCount(); ++c)
        out += QStringLiteral("<th>%1</th>").arg(source.columnTitle(c).toHtmlEscaped());
    out += QLatin1String("</tr>\n");
    for (int r = 0; r < source.rowCount(); ++r) {
        out += QLatin1String("<tr>");
        for (int c = 0; c < source.columnCount(); ++c) {
            const QString align = isNumericKind(source.columnKind(c))
                                      ? QStringLiteral(" align=\"right\"")
                                      : QString();
            QString text = source.cellText(r, c).toHtmlEscaped();
            text.replace(QLatin1Char('\n'), QLatin1String("<br>"));
            out += QStringLiteral("<td%1>%2</td>").arg(align, text);
        }
        out += QLatin1String("</tr>\n");
    }
    out += QLatin1String("</table>\n</body>\n</html>\n");
    return out;
}

QString rtfContent(const TExportSource &source)
{
    const int columns = source.columnCount();
    QString rowHeader = QStringLiteral("\\trowd\\trgaph60");
    for (int c = 0; c < columns; ++c)
        rowHeader +=
            QStringLiteral("\\clbrdrt\\brdrs\\clbrdrl\\brdrs\\clbrdrb\\brdrs\\clbrdrr\\brdrs"
                           "\\cellx%1")
                .arg((c + 1) * 1600);
    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil SimSun;}}"
                                 "\\uc1\\f0\\fs20\n");
    auto appendRow = [&](auto cellOf) {
        out += rowHeader;
        for (int c = 0; c < columns; ++c)
            out += QStringLiteral("\\pard\\intbl %1\\cell").arg(rtfText(cellOf(c)));
        out += QLatin1String("\\row\n");
    };
    appendRow([&](int c) { return source.columnTitle(c); });
    for (int r = 0; r < source.rowCount(); ++r)
        appendRow([&](int c) { return source.cellText(r, c); });
    out += QLatin1String("}\n");
    return out;
}

} // namespace

QString exportExtension(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Excel:
        return QStringLiteral("xlsx");
    case ExportFormat::Csv:
        return QStringLiteral("csv");
    case ExportFormat::Html:
        return QStringLiteral("htm");
    case ExportFormat::Rtf:
        return QStringLiteral("rtf");
    case ExportFormat::Text:
        return QStringLiteral("txt");
    }
    return {};
}

QStringList exportFilters()
{
    return {QStringLiteral("Microsoft Excel (*.xlsx)"),
            QStringLiteral("Comma separated values (*.csv)"), QStringLiteral("HTML file (*.htm)"),
            QStringLiteral("Rich Text Format (*.rtf)"), QStringLiteral("Text files (*.txt)")};
}

QString withExportExtension(const QString &fileName, ExportFormat format)
{
    const QString extension = exportExtension(format);
    if (fileName.right(extension.size()).compare(extension, Qt::CaseInsensitive) == 0)
        return fileName;
    return fileName + QLatin1Char('.') + extension;
}

bool exportToFile(const TExportSource &source, const QString &fileName, ExportFormat format,
                  QString *error)
{
    switch (format) {
    case ExportFormat::Excel:
        return writeXlsx(source, fileName, QStringLiteral("Sheet1"), error);
    case ExportFormat::Csv:
        return writeTextFile(fileName, csvContent(source), true, error);
    case ExportFormat::Html:
        return writeTextFile(fileName, htmlContent(source), false, error);
    case ExportFormat::Rtf:
        return writeTextFile(fileName, rtfContent(source), false, error);
    case ExportFormat::Text:
        return writeTextFile(fileName, textContent(source), false, error);
    }
    return false;
}

QString excelNumberFormat(const QString &delphiMask)
{
    if (delphiMask.isEmpty())
        return {};
    // Split off the literal text around the digit placeholders ("￥,0.00", "0.0%").
    int first = -1;
    int last = -1;
    for (int i = 0; i < delphiMask.size(); ++i) {
        const QChar c = delphiMask.at(i);
        if (c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char(',') ||
            c == QLatin1Char('.')) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return {};
    const QString core = delphiMask.mid(first, last - first + 1);
    auto literal = [](const QString &text) {
        QString out;
        for (const QChar c : text) {
            if (c == QLatin1Char('%'))
                out += c;
            else if (c != QLatin1Char('"'))
                out += QLatin1Char('"') + QString(c) + QLatin1Char('"');
        }
        return out;
    };
    const bool thousands = delphiMask.left(last + 1).contains(QLatin1Char(','));
    const int dot = core.indexOf(QLatin1Char('.'));
    const QString decimals = dot >= 0 ? core.mid(dot + 1).remove(QLatin1Char(',')) : QString();
    QString format = thousands ? QStringLiteral("#,##0") : QStringLiteral("0");
    if (!decimals.isEmpty())
        format += QLatin1Char('.') + decimals;
    return literal(delphiMask.left(first)) + format + literal(delphiMask.mid(last + 1));
}

bool writeXlsx(const TExportSource &source, const QString &fileName, const QString &sheetName,
               QString *error)
{
    QFile::remove(fileName);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows go out as they are written
    const QByteArray path = QFile::encodeName(fileName);
    WorkbookPtr workbook(workbook_new_opt(path.constData(), &options));
    if (!workbook) {
        setError(error, QStringLiteral("cannot create %1").arg(fileName));
        return false;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(workbook.get(), sheetName.toUtf8().constData());
    lxw_format *titleFormat = workbook_add_format(workbook.get());
    format_set_bold(titleFormat);

    const int columns = source.columnCount();
    std::vector<lxw_format *> formats(size_t(columns), nullptr);
    for (int c = 0; c < columns; ++c) {
        QString numberFormat;
        switch (source.columnKind(c)) {
        case ColumnKind::Number:
            numberFormat = excelNumberFormat(source.displayFormat(c));
            break;
        case ColumnKind::Date:
            numberFormat = QStringLiteral("yyyy-mm-dd");
            break;
        case ColumnKind::DateTime:
            numberFormat = QStringLiteral("yyyy-mm-dd hh:mm:ss");
            break;
        default:
            break;
        }
        if (!numberFormat.isEmpty()) {
            formats[size_t(c)] = workbook_add_format(workbook.get());
            format_set_num_format(formats[size_t(c)], numberFormat.toUtf8().constData());
        }
        worksheet_write_string(sheet, 0, lxw_col_t(c), source.columnTitle(c).toUtf8().constData(),
                               titleFormat);
    }

    const int rows = source.rowCount();
    for (int r = 0; r < rows; ++r) {
        const auto row = lxw_row_t(r + 1);
        for (int c = 0; c < columns; ++c) {
            const auto col = lxw_col_t(c);
            const ColumnKind kind = source.columnKind(c);
            if (kind == ColumnKind::Text || kind == ColumnKind::Boolean) {
                const QString text = source.cellText(r, c);
                if (!text.isEmpty())
                    worksheet_write_string(sheet, row, col, text.toUtf8().constData(), nullptr);
                continue;
            }
            const QVariant value = source.cellValue(r, c);
            lxw_format *format = formats[size_t(c)];
            if (kind == ColumnKind::Number) {
                // What the grid shows empty stays empty (a zero may be shown as nothing);
                // other numbers need no text, which keeps large exports fast.
                const double number = value.toDouble();
                if (!value.isNull() && (number != 0 || !source.cellText(r, c).isEmpty()))
                    worksheet_write_number(sheet, row, col, number, format);
                continue;
            }
            // Dates and date-times: a real date cell when there is a date behind the text.
            const QString text = source.cellText(r, c);
            if (text.isEmpty())
                continue;
            const QDateTime dt = value.typeId() == QMetaType::QDate ? value.toDate().startOfDay()
                                                                    : value.toDateTime();
            if (dt.isValid()) {
                lxw_datetime when{dt.date().year(), dt.date().month(),  dt.date().day(),
                                  dt.time().hour(), dt.time().minute(), double(dt.time().second())};
                worksheet_write_datetime(sheet, row, col, &when, format);
            } else {
                worksheet_write_string(sheet, row, col, text.toUtf8().constData(), nullptr);
            }
        }
    }
    const lxw_error result = workbook_close(workbook.release());
    if (result != LXW_NO_ERROR) {
        setError(error, QStringLiteral("cannot write %1: %2")
                            .arg(fileName, QString::fromUtf8(lxw_strerror(result))));
        QFile::remove(fileName);
        return false;
    }
    return true;
}

} // namespace output
