// The document worksheet: layout, .xlsx writer and painter.
#include "client/output/containeriterator.h"

#include "client/common/valueroutines.h"
#include "client/output/xlsxreader.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <xlsxwriter.h>

#include <algorithm>
#include <map>
#include <memory>

namespace output {

namespace {

// Template placeholders are looked for in this block only: the header part of any template.
constexpr int kTemplateRows = 50;
constexpr int kTemplateColumns = 20;
// A header label spans one column, its value two: values are the longer texts.
constexpr int kLabelSpan = 1;
constexpr int kValueSpan = 2;

bool isTwoDecimalField(const QString &fieldName)
{
    static const QStringList fields = {QStringLiteral("DJ"),  QStringLiteral("JJ"),
                                       QStringLiteral("JJJ"), QStringLiteral("JQJ"),
                                       QStringLiteral("cJE"), QStringLiteral("sJE")};
    return fields.contains(fieldName, Qt::CaseInsensitive);
}

bool isNumberFormatField(const QString &fieldName)
{
    return fieldName.compare(QStringLiteral("DJ"), Qt::CaseInsensitive) == 0 ||
           fieldName.compare(QStringLiteral("cJE"), Qt::CaseInsensitive) == 0;
}

double textWidth(const QString &text)
{
    double width = 0;
    for (const QChar c : text)
        width += c.unicode() > 0x7f ? 2 : 1;
    return width;
}

QString numberText(double number)
{
    // Shortest text that reads back as the number, as the sheet shows a general number.
    return QString::number(number, 'g', 15);
}

QString shownText(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double)
        return numberText(value.toDouble());
    return value.toString();
}

} // namespace

// --- TWorkbookLayout ----------------------------------------------------------------------

int TWorkbookLayout::ColumnCount() const
{
    int count = 0;
    for (const auto &row : m_rows)
        count = std::max(count, int(row.size()));
    for (const TSheetMerge &merge : m_merges)
        count = std::max(count, merge.LastColumn + 1);
    return count;
}

TSheetCell TWorkbookLayout::Cell(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_rows[row].size())
        return {};
    return m_rows[row][column];
}

void TWorkbookLayout::SetCell(int row, int column, const QVariant &value, int style)
{
    if (row < 0 || column < 0)
        return;
    while (m_rows.size() <= row)
        m_rows.append(QList<TSheetCell>());
    auto &cells = m_rows[row];
    while (cells.size() <= column)
        cells.append(TSheetCell());
    cells[column] = {value, style};
}

void TWorkbookLayout::AddStyle(int row, int column, int style)
{
    TSheetCell cell = Cell(row, column);
    SetCell(row, column, cell.Value, cell.Style | style);
}

void TWorkbookLayout::InsertRow(int row)
{
    if (row >= m_rows.size()) {
        while (m_rows.size() <= row)
            m_rows.append(QList<TSheetCell>());
    } else {
        m_rows.insert(row, QList<TSheetCell>());
    }
    for (TSheetMerge &merge : m_merges)
        if (merge.Row >= row)
            ++merge.Row;
}

void TWorkbookLayout::RemoveRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows.removeAt(row);
    m_merges.removeIf([row](const TSheetMerge &merge) { return merge.Row == row; });
    for (TSheetMerge &merge : m_merges)
        if (merge.Row > row)
            --merge.Row;
}

void TWorkbookLayout::Merge(int row, int firstColumn, int lastColumn)
{
    if (lastColumn <= firstColumn)
        return;
    m_merges.append({row, firstColumn, lastColumn});
}

const TSheetMerge *TWorkbookLayout::MergeAt(int row, int column) const
{
    for (const TSheetMerge &merge : m_merges)
        if (merge.Row == row && merge.FirstColumn == column)
            return &merge;
    return nullptr;
}

QList<double> TWorkbookLayout::ColumnWidths() const
{
    QList<double> widths(ColumnCount(), 8.43);
    for (int r = 0; r < m_rows.size(); ++r)
        for (int c = 0; c < m_rows[r].size(); ++c) {
            // Merged blocks and the title spread over several columns: they do not widen one.
            if (MergeAt(r, c) || (m_rows[r][c].Style & csTitle))
                continue;
            widths[c] = std::max(widths[c], textWidth(shownText(m_rows[r][c].Value)) + 2);
        }
    return widths;
}

// --- TContainerIterator -------------------------------------------------------------------

TContainerIterator::TContainerIterator(QList<THeaderControl> header, TDocumentLines lines)
    : m_lines(std::move(lines))
{
    // Controls on one vertical position form a visual row, read left to right.
    std::map<int, QList<THeaderControl>> rows;
    for (THeaderControl &control : header) {
        if (!control.Visible || control.Name == QStringLiteral("pStatus"))
            continue;
        rows[control.Geometry.top()].append(std::move(control));
    }
    for (auto &[top, controls] : rows) {
        std::stable_sort(controls.begin(), controls.end(),
                         [](const THeaderControl &a, const THeaderControl &b) {
                             return a.Geometry.left() < b.Geometry.left();
                         });
        m_headerRows.append(controls);
    }
    m_tableWidth = std::max(1, int(m_lines.Columns.size()));
}

QVariant TContainerIterator::LineCellValue(const QString &fieldName, const QVariant &value)
{
    if (value.isNull())
        return {};
    if (isTwoDecimalField(fieldName)) {
        const double rounded = RoundTo(value, 2);
        return rounded == 0 ? QVariant() : QVariant(rounded);
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        return number == 0 ? QVariant() : QVariant(number);
    }
    default:
        break;
    }
    const QString text = value.toString();
    return text == QStringLiteral("0") ? QVariant() : QVariant(text);
}

bool TContainerIterator::openWorkbook(QString *error)
{
    m_sheet = TWorkbookLayout();
    m_usedTemplateFile = false;
    if (TemplateFile.isEmpty() || !QFileInfo(TemplateFile).isFile()) {
        FirstRow = 1;
        return true;
    }
    TSheetData data;
    if (!readXlsxSheet(TemplateFile, 0, &data, error))
        return false;
    for (int r = 0; r < data.rows.size(); ++r)
        for (int c = 0; c < data.rows[r].size(); ++c)
            if (!data.rows[r][c].isNull())
                m_sheet.SetCell(r, c, data.rows[r][c]);
    m_usedTemplateFile = true;
    return true;
}

void TContainerIterator::fillTemplateHeader()
{
    QMap<QString, QString> byUpperName;
    for (auto it = Master.cbegin(); it != Master.cend(); ++it)
        byUpperName.insert(it.key().toUpper(), it.value());
    const int rows = std::min(kTemplateRows, m_sheet.RowCount());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < kTemplateColumns; ++c) {
            const QVariant value = m_sheet.Value(r, c);
            if (value.typeId() != QMetaType::QString)
                continue;
            const QString text = value.toString();
            if (!text.startsWith(QLatin1Char('[')) || text.size() < 2)
                continue;
            const QString field = text.mid(1, text.size() - 2).toUpper();
            m_sheet.SetCell(r, c, byUpperName.value(field), m_sheet.Cell(r, c).Style);
        }
}

void TContainerIterator::writeHeader()
{
    const int titleRow = FirstRow - 1;
    m_sheet.SetCell(titleRow, 0, Title, csTitle);
    int row = titleRow + 1;
    int headerWidth = 1;
    for (const QList<THeaderControl> &controls : m_headerRows) {
        int column = 0;
        for (const THeaderControl &control : controls) {
            if (control.IsLabel) {
                QString text = control.Text.trimmed();
                if (!text.isEmpty() && !text.endsWith(QLatin1Char(':')) &&
                    !text.endsWith(QChar(0xFF1A)))
                    text += QLatin1Char(':');
                m_sheet.SetCell(row, column, text, csLabel);
                m_sheet.Merge(row, column, column + kLabelSpan - 1);
                column += kLabelSpan;
            } else {
                m_sheet.SetCell(row, column, control.Text, csValue);
                m_sheet.Merge(row, column, column + kValueSpan - 1);
                column += kValueSpan;
            }
        }
        headerWidth = std::max(headerWidth, column);
        ++row;
    }
    // The table's titles follow the header after one empty row.
    const int tableTitleRow = row + 1;
    for (int c = 0; c < m_lines.Columns.size(); ++c)
        m_sheet.SetCell(tableTitleRow, c, m_lines.Columns[c].Title, csLabel);
    m_sheet.Merge(titleRow, 0, std::max(m_tableWidth, headerWidth) - 1);
}

// Writes the lines and totals below the row (0-based), each in a freshly inserted row so
// whatever the template holds below moves down. Returns the last row written.
int TContainerIterator::writeLines(int row)
{
    for (const QVariantList &record : m_lines.Rows) {
        ++row;
        m_sheet.InsertRow(row);
        for (int c = 0; c < m_lines.Columns.size() && c < record.size(); ++c)
            m_sheet.SetCell(row, c, LineCellValue(m_lines.Columns[c].FieldName, record[c]));
    }
    for (const QStringList &footer : m_lines.FooterRows) {
        ++row;
        m_sheet.InsertRow(row);
        m_sheet.SetCell(row, 0, QStringLiteral("合计"));
        int firstValue = -1;
        for (int c = 1; c < m_lines.Columns.size() && c < footer.size(); ++c) {
            const QString text = footer[c].trimmed();
            if (text.isEmpty() || text == QStringLiteral("0"))
                continue;
            bool isNumber = false;
            const double number = QString(text).remove(QLatin1Char(',')).toDouble(&isNumber);
            m_sheet.SetCell(row, c, isNumber ? QVariant(number) : QVariant(text));
            if (firstValue < 0)
                firstValue = c;
        }
        if (firstValue > 1)
            m_sheet.Merge(row, 0, firstValue - 1);
    }
    return row;
}

void TContainerIterator::frame(int firstRow, int lastRow)
{
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = 0; c < m_tableWidth; ++c) {
            int style = csBorder;
            if (c < m_lines.Columns.size() && isNumberFormatField(m_lines.Columns[c].FieldName) &&
                r > firstRow)
                style |= csTwoDecimals;
            m_sheet.AddStyle(r, c, style);
        }
}

bool TContainerIterator::Layout(QString *error)
{
    if (!openWorkbook(error))
        return false;
    const bool templateMode = UseTemplate && m_usedTemplateFile;
    int tableFirstRow = 0;
    int lastRow = 0;
    if (templateMode) {
        fillTemplateHeader();
        // Lines take the place of the template's sample line row, which goes afterwards.
        const int sampleRow = std::max(0, LineStartRow - 1);
        lastRow = writeLines(sampleRow - 1);
        m_sheet.RemoveRow(lastRow + 1);
        tableFirstRow = sampleRow;
    } else {
        if (!m_usedTemplateFile)
            FirstRow = 1;
        writeHeader();
        tableFirstRow = FirstRow - 1 + int(m_headerRows.size()) + 2;
        lastRow = writeLines(tableFirstRow);
    }
    if (lastRow >= tableFirstRow)
        frame(tableFirstRow, lastRow);
    m_sheet.Margins = PageSetup;
    return true;
}

// --- Writer -------------------------------------------------------------------------------

namespace {

struct WorkbookCloser
{
    void operator()(lxw_workbook *workbook) const
    {
        if (workbook)
            workbook_close(workbook);
    }
};

class FormatCache
{
public:
    explicit FormatCache(lxw_workbook *workbook)
        : m_workbook(workbook)
    {}
    lxw_format *format(int style)
    {
        if (style == csPlain)
            return nullptr;
        auto it = m_formats.find(style);
        if (it != m_formats.end())
            return it->second;
        lxw_format *format = workbook_add_format(m_workbook);
        if (style & csTitle) {
            format_set_font_name(format, "黑体");
            format_set_bold(format);
            format_set_font_size(format, 20);
            format_set_align(format, LXW_ALIGN_CENTER);
        }
        if (style & csLabel)
            format_set_align(format, LXW_ALIGN_RIGHT);
        if (style & csValue)
            format_set_align(format, LXW_ALIGN_LEFT);
        if (style & csBorder)
            format_set_border(format, LXW_BORDER_THIN);
        if (style & csTwoDecimals)
            format_set_num_format(format, "0.00");
        m_formats.emplace(style, format);
        return format;
    }

private:
    lxw_workbook *m_workbook;
    std::map<int, lxw_format *> m_formats;
};

constexpr double kCentimetresPerInch = 2.54;

} // namespace

bool SaveWorkbookLayout(const TWorkbookLayout &sheet, const QString &fileName, QString *error)
{
    QFile::remove(fileName);
    const QByteArray path = QFile::encodeName(fileName);
    std::unique_ptr<lxw_workbook, WorkbookCloser> workbook(workbook_new(path.constData()));
    if (!workbook) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(fileName);
        return false;
    }
    lxw_worksheet *worksheet = workbook_add_worksheet(workbook.get(), "Sheet1");
    FormatCache formats(workbook.get());
    const TSheetMargins &m = sheet.Margins;
    worksheet_set_margins(worksheet, m.Left / kCentimetresPerInch, m.Right / kCentimetresPerInch,
                          m.Top / kCentimetresPerInch, m.Bottom / kCentimetresPerInch);
    worksheet_set_paper(worksheet, 9); // A4
    worksheet_set_portrait(worksheet);

    const QList<double> widths = sheet.ColumnWidths();
    for (int c = 0; c < widths.size(); ++c)
        worksheet_set_column(worksheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr);

    for (int r = 0; r < sheet.RowCount(); ++r)
        for (int c = 0; c < sheet.ColumnCount(); ++c) {
            if (const TSheetMerge *merge = sheet.MergeAt(r, c)) {
                const TSheetCell cell = sheet.Cell(r, c);
                const QByteArray text = shownText(cell.Value).toUtf8();
                worksheet_merge_range(worksheet, lxw_row_t(r), lxw_col_t(c), lxw_row_t(r),
                                      lxw_col_t(merge->LastColumn), "", formats.format(cell.Style));
                // The merge writes a blank; the value goes in afterwards with its type.
                if (cell.Value.typeId() == QMetaType::Double)
                    worksheet_write_number(worksheet, lxw_row_t(r), lxw_col_t(c),
                                           cell.Value.toDouble(), formats.format(cell.Style));
                else if (!cell.Value.isNull())
                    worksheet_write_string(worksheet, lxw_row_t(r), lxw_col_t(c), text.constData(),
                                           formats.format(cell.Style));
                c = merge->LastColumn;
                continue;
            }
            const TSheetCell cell = sheet.Cell(r, c);
            lxw_format *format = formats.format(cell.Style);
            if (cell.Value.typeId() == QMetaType::Double)
                worksheet_write_number(worksheet, lxw_row_t(r), lxw_col_t(c), cell.Value.toDouble(),
                                       format);
            else if (!cell.Value.isNull() && !cell.Value.toString().isEmpty())
                worksheet_write_string(worksheet, lxw_row_t(r), lxw_col_t(c),
                                       cell.Value.toString().toUtf8().constData(), format);
            else if (format)
                worksheet_write_blank(worksheet, lxw_row_t(r), lxw_col_t(c), format);
        }
    const lxw_error result = workbook_close(workbook.release());
    if (result != LXW_NO_ERROR) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2")
                         .arg(fileName, QString::fromUtf8(lxw_strerror(result)));
        return false;
    }
    return true;
}

// --- Painter ------------------------------------------------------------------------------

int PaintWorkbookLayout(const TWorkbookLayout &sheet, QPagedPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const double dpi = device.logicalDpiX();
    const double perCm = dpi / kCentimetresPerInch;
    const TSheetMargins &m = sheet.Margins;
    const QRectF page(m.Left * perCm, m.Top * perCm, device.width() - (m.Left + m.Right) * perCm,
                      device.height() - (m.Top + m.Bottom) * perCm);

    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")});
    font.setPointSizeF(10);
    QFont titleFont = font;
    titleFont.setFamilies(
        {QStringLiteral("SimHei"), QStringLiteral("黑体"), QStringLiteral("Noto Sans CJK SC")});
    titleFont.setBold(true);
    titleFont.setPointSizeF(20);

    // Column widths in characters, scaled down together when the sheet is wider than the page.
    const QList<double> widths = sheet.ColumnWidths();
    const double charWidth = QFontMetricsF(font, &device).horizontalAdvance(QLatin1Char('0'));
    double total = 0;
    for (double w : widths)
        total += w * charWidth;
    const double scale = total > page.width() && total > 0 ? page.width() / total : 1.0;
    QList<double> left;
    double x = page.left();
    for (double w : widths) {
        left.append(x);
        x += w * charWidth * scale;
    }
    left.append(x);

    const double rowHeight = QFontMetricsF(font, &device).height() * 1.5;
    const double titleHeight = QFontMetricsF(titleFont, &device).height() * 1.4;
    double y = page.top();
    int pages = 1;
    for (int r = 0; r < sheet.RowCount(); ++r) {
        bool isTitleRow = false;
        for (int c = 0; c < widths.size(); ++c)
            isTitleRow = isTitleRow || (sheet.Cell(r, c).Style & csTitle);
        const double h = isTitleRow ? titleHeight : rowHeight;
        if (y + h > page.bottom() && y > page.top()) {
            device.newPage();
            ++pages;
            y = page.top();
        }
        for (int c = 0; c < widths.size(); ++c) {
            const TSheetCell cell = sheet.Cell(r, c);
            int last = c;
            if (const TSheetMerge *merge = sheet.MergeAt(r, c))
                last = std::min(merge->LastColumn, int(widths.size()) - 1);
            const QRectF box(left[c], y, left[last + 1] - left[c], h);
            if (cell.Style & csBorder) {
                painter.setPen(QPen(Qt::black, 0));
                painter.drawRect(box);
            }
            const QString text =
                (cell.Style & csTwoDecimals) && cell.Value.typeId() == QMetaType::Double
                    ? QString::number(cell.Value.toDouble(), 'f', 2)
                    : shownText(cell.Value);
            if (!text.isEmpty()) {
                int align = Qt::AlignVCenter;
                if (cell.Style & csTitle)
                    align |= Qt::AlignHCenter;
                else if ((cell.Style & csLabel) || cell.Value.typeId() == QMetaType::Double)
                    align |= Qt::AlignRight;
                else
                    align |= Qt::AlignLeft;
                painter.setFont((cell.Style & csTitle) ? titleFont : font);
                painter.drawText(box.adjusted(2, 0, -2, 0), align, text);
            }
            c = last;
        }
        y += h;
    }
    painter.end();
    return pages;
}

} // namespace output
