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

// The value as its cell shows it.
QString shownText(const QVariant &value, const TCellFormat &format)
{
    if (value.typeId() == QMetaType::Double)
        return FormatNumber(value.toDouble(), format.NumberFormat);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    return value.toString();
}

// The looks the plain layout gives its cells.
TCellFormat titleFormat()
{
    TCellFormat format;
    format.FontName = QStringLiteral("黑体");
    format.Bold = true;
    format.FontSize = 20;
    format.HAlign = THorizontalAlign::Center;
    format.VAlign = TVerticalAlign::Center;
    return format;
}

TCellFormat alignedFormat(THorizontalAlign align)
{
    TCellFormat format;
    format.HAlign = align;
    format.VAlign = TVerticalAlign::Center;
    return format;
}

const QString kTwoDecimals = QStringLiteral("0.00");

} // namespace

// --- TWorkbookLayout ----------------------------------------------------------------------

TWorkbookLayout::TWorkbookLayout()
    : m_styles{TCellFormat()}
{}

int TWorkbookLayout::ColumnCount() const
{
    int count = 0;
    for (const auto &row : m_rows)
        count = std::max(count, int(row.size()));
    for (const TSheetRange &merge : m_merges)
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
    if (row < 0 || column < 0 || style < 0 || style >= m_styles.size())
        return;
    while (m_rows.size() <= row)
        m_rows.append(QList<TSheetCell>());
    auto &cells = m_rows[row];
    while (cells.size() <= column)
        cells.append(TSheetCell());
    cells[column] = {value, style};
}

void TWorkbookLayout::SetValue(int row, int column, const QVariant &value)
{
    SetCell(row, column, value, Cell(row, column).Style);
}

void TWorkbookLayout::SetFormat(int row, int column, const TCellFormat &format)
{
    SetCell(row, column, Value(row, column), StyleId(format));
}

int TWorkbookLayout::StyleId(const TCellFormat &format)
{
    // A document uses a handful of looks; a linear search beats hashing the strings.
    const qsizetype at = m_styles.indexOf(format);
    if (at >= 0)
        return int(at);
    m_styles.append(format);
    return int(m_styles.size() - 1);
}

void TWorkbookLayout::InsertRow(int row)
{
    if (row < 0)
        return;
    if (row >= m_rows.size()) {
        while (m_rows.size() <= row)
            m_rows.append(QList<TSheetCell>());
    } else {
        m_rows.insert(row, QList<TSheetCell>());
    }
    for (TSheetRange &merge : m_merges) {
        if (merge.FirstRow >= row)
            ++merge.FirstRow;
        if (merge.LastRow >= row)
            ++merge.LastRow;
    }
    QMap<int, double> heights;
    for (auto it = m_rowHeights.cbegin(); it != m_rowHeights.cend(); ++it)
        heights.insert(it.key() >= row ? it.key() + 1 : it.key(), it.value());
    m_rowHeights = heights;
}

void TWorkbookLayout::RemoveRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows.removeAt(row);
    for (TSheetRange &merge : m_merges) {
        if (merge.FirstRow > row)
            --merge.FirstRow;
        if (merge.LastRow >= row)
            --merge.LastRow;
    }
    // Blocks left without a row or shrunk to one cell are no merge any more.
    m_merges.removeIf([](const TSheetRange &merge) {
        return merge.LastRow < merge.FirstRow ||
               (merge.LastRow == merge.FirstRow && merge.LastColumn == merge.FirstColumn);
    });
    QMap<int, double> heights;
    for (auto it = m_rowHeights.cbegin(); it != m_rowHeights.cend(); ++it)
        if (it.key() != row)
            heights.insert(it.key() > row ? it.key() - 1 : it.key(), it.value());
    m_rowHeights = heights;
}

void TWorkbookLayout::Merge(const TSheetRange &range)
{
    if (range.FirstRow < 0 || range.FirstColumn < 0 || range.LastRow < range.FirstRow ||
        range.LastColumn < range.FirstColumn ||
        (range.LastRow == range.FirstRow && range.LastColumn == range.FirstColumn))
        return;
    m_merges.append(range);
}

const TSheetRange *TWorkbookLayout::MergeAt(int row, int column) const
{
    for (const TSheetRange &merge : m_merges)
        if (merge.FirstRow == row && merge.FirstColumn == column)
            return &merge;
    return nullptr;
}

const TSheetRange *TWorkbookLayout::CoveredBy(int row, int column) const
{
    for (const TSheetRange &merge : m_merges)
        if (merge.Contains(row, column) && (merge.FirstRow != row || merge.FirstColumn != column))
            return &merge;
    return nullptr;
}

void TWorkbookLayout::SetColumnWidth(int column, double characters)
{
    if (column >= 0 && characters >= 0)
        m_columnWidths.insert(column, characters);
}

void TWorkbookLayout::SetRowHeight(int row, double points)
{
    if (row >= 0 && points > 0)
        m_rowHeights.insert(row, points);
}

QList<double> TWorkbookLayout::ColumnWidths() const
{
    QList<double> widths(ColumnCount(), 8.43);
    for (int r = 0; r < m_rows.size(); ++r)
        for (int c = 0; c < m_rows[r].size(); ++c) {
            // Merged blocks spread over several columns: they do not widen one.
            if (MergeAt(r, c) || CoveredBy(r, c))
                continue;
            const TSheetCell &cell = m_rows[r][c];
            widths[c] =
                std::max(widths[c], textWidth(shownText(cell.Value, m_styles[cell.Style])) + 2);
        }
    for (auto it = m_columnWidths.cbegin(); it != m_columnWidths.cend(); ++it) {
        if (it.key() >= widths.size())
            widths.resize(it.key() + 1, 8.43);
        widths[it.key()] = it.value();
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
    if (!readXlsxSheet(TemplateFile, 0, &data, error, TSheetContent::ValuesAndFormats))
        return false;
    QList<int> styleOf(data.formats.size(), -1); // workbook format -> layout style
    // Cells the sheet does not store still show their row's or column's format; they count
    // as far as the contents or the line table reach.
    const int rows = int(std::max(data.rows.size(), data.formatIds.size()));
    int columns = m_tableWidth;
    for (int r = 0; r < rows; ++r)
        columns = std::max({columns, r < data.rows.size() ? int(data.rows[r].size()) : 0,
                            r < data.formatIds.size() ? int(data.formatIds[r].size()) : 0});
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const QVariant value = data.cell(r, c);
            const int id = data.formatId(r, c);
            if (styleOf[id] < 0)
                styleOf[id] = m_sheet.StyleId(data.formats[id]);
            if (!value.isNull() || id != 0)
                m_sheet.SetCell(r, c, value, styleOf[id]);
        }
    for (const TSheetRange &merge : data.merges)
        m_sheet.Merge(merge);
    for (auto it = data.columnWidths.cbegin(); it != data.columnWidths.cend(); ++it)
        m_sheet.SetColumnWidth(it.key(), it.value());
    for (auto it = data.rowHeights.cbegin(); it != data.rowHeights.cend(); ++it)
        m_sheet.SetRowHeight(it.key(), it.value());
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
            m_sheet.SetValue(r, c, byUpperName.value(field));
        }
}

void TContainerIterator::writeHeader()
{
    const int titleRow = FirstRow - 1;
    m_sheet.SetCell(titleRow, 0, Title, titleFormat());
    const int labelStyle = m_sheet.StyleId(alignedFormat(THorizontalAlign::Right));
    const int valueStyle = m_sheet.StyleId(alignedFormat(THorizontalAlign::Left));
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
                m_sheet.SetCell(row, column, text, labelStyle);
                m_sheet.Merge(row, column, column + kLabelSpan - 1);
                column += kLabelSpan;
            } else {
                m_sheet.SetCell(row, column, control.Text, valueStyle);
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
        m_sheet.SetCell(tableTitleRow, c, m_lines.Columns[c].Title, labelStyle);
    m_sheet.Merge(titleRow, 0, std::max(m_tableWidth, headerWidth) - 1);
}

int TContainerIterator::writeLines(int row, int sampleRow)
{
    QList<int> sampleStyles;
    double sampleHeight = 0;
    if (sampleRow >= 0) {
        for (int c = 0; c < m_sheet.ColumnCount(); ++c)
            sampleStyles << m_sheet.Cell(sampleRow, c).Style;
        sampleHeight = m_sheet.RowHeight(sampleRow);
    }
    auto insertRow = [&] {
        ++row;
        m_sheet.InsertRow(row);
        for (int c = 0; c < sampleStyles.size(); ++c)
            m_sheet.SetCell(row, c, QVariant(), sampleStyles[c]);
        m_sheet.SetRowHeight(row, sampleHeight);
    };
    for (const QVariantList &record : m_lines.Rows) {
        insertRow();
        for (int c = 0; c < m_lines.Columns.size() && c < record.size(); ++c)
            m_sheet.SetValue(row, c, LineCellValue(m_lines.Columns[c].FieldName, record[c]));
    }
    for (const QStringList &footer : m_lines.FooterRows) {
        insertRow();
        m_sheet.SetValue(row, 0, QStringLiteral("合计"));
        int firstValue = -1;
        for (int c = 1; c < m_lines.Columns.size() && c < footer.size(); ++c) {
            const QString text = footer[c].trimmed();
            if (text.isEmpty() || text == QStringLiteral("0"))
                continue;
            bool isNumber = false;
            const double number = QString(text).remove(QLatin1Char(',')).toDouble(&isNumber);
            m_sheet.SetValue(row, c, isNumber ? QVariant(number) : QVariant(text));
            if (firstValue < 0)
                firstValue = c;
        }
        if (firstValue > 1)
            m_sheet.Merge(row, 0, firstValue - 1);
    }
    return row;
}

// Borders on the whole table and two decimals on the price and amount columns; a template's
// own lines and number formats are kept where it has them.
void TContainerIterator::frame(int firstRow, int lastRow)
{
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = 0; c < m_tableWidth; ++c) {
            TCellFormat format = m_sheet.Format(r, c);
            for (TCellBorder &border : format.Borders)
                if (border.Line == TBorderLine::None)
                    border.Line = TBorderLine::Thin;
            if (c < m_lines.Columns.size() && isNumberFormatField(m_lines.Columns[c].FieldName) &&
                r > firstRow && format.NumberFormat.isEmpty())
                format.NumberFormat = kTwoDecimals;
            m_sheet.SetFormat(r, c, format);
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
        lastRow = writeLines(sampleRow - 1, sampleRow);
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

lxw_color_t workbookColor(QRgb rgb)
{
    const lxw_color_t color = rgb & 0xFFFFFFu;
    return color == 0 ? lxw_color_t(LXW_COLOR_BLACK) : color; // 0 would mean "not set"
}

// One workbook format per distinct style of the layout, made when first used.
class FormatCache
{
public:
    FormatCache(lxw_workbook *workbook, const QList<TCellFormat> &styles)
        : m_workbook(workbook)
        , m_styles(styles)
        , m_formats(styles.size(), nullptr)
    {}
    lxw_format *format(int style)
    {
        if (style <= 0 || style >= m_styles.size() || m_styles[style] == TCellFormat())
            return nullptr;
        if (!m_formats[style])
            m_formats[style] = make(m_styles[style]);
        return m_formats[style];
    }

private:
    lxw_format *make(const TCellFormat &f)
    {
        static_assert(int(TBorderLine::Thick) == LXW_BORDER_THICK &&
                      int(TBorderLine::SlantDashDot) == LXW_BORDER_SLANT_DASH_DOT);
        static const uint8_t horizontal[] = {
            LXW_ALIGN_NONE, LXW_ALIGN_LEFT,    LXW_ALIGN_CENTER,       LXW_ALIGN_RIGHT,
            LXW_ALIGN_FILL, LXW_ALIGN_JUSTIFY, LXW_ALIGN_CENTER_ACROSS};
        static const uint8_t vertical[] = {LXW_ALIGN_VERTICAL_BOTTOM, LXW_ALIGN_VERTICAL_TOP,
                                           LXW_ALIGN_VERTICAL_CENTER, LXW_ALIGN_VERTICAL_JUSTIFY};
        lxw_format *format = workbook_add_format(m_workbook);
        if (!f.FontName.isEmpty())
            format_set_font_name(format, f.FontName.toUtf8().constData());
        if (f.FontSize > 0)
            format_set_font_size(format, f.FontSize);
        if (f.Bold)
            format_set_bold(format);
        if (f.Italic)
            format_set_italic(format);
        if (f.Underline)
            format_set_underline(format, LXW_UNDERLINE_SINGLE);
        if (f.FontColor)
            format_set_font_color(format, workbookColor(f.FontColor));
        if (f.FillColor) {
            format_set_pattern(format, LXW_PATTERN_SOLID);
            format_set_bg_color(format, workbookColor(f.FillColor));
        }
        using SetLine = void (*)(lxw_format *, uint8_t);
        using SetColor = void (*)(lxw_format *, lxw_color_t);
        static const SetLine lines[] = {format_set_left, format_set_top, format_set_right,
                                        format_set_bottom};
        static const SetColor colors[] = {format_set_left_color, format_set_top_color,
                                          format_set_right_color, format_set_bottom_color};
        for (int edge = edLeft; edge <= edBottom; ++edge) {
            const TCellBorder &border = f.Borders[edge];
            if (border.Line == TBorderLine::None)
                continue;
            lines[edge](format, uint8_t(border.Line));
            if (border.Color)
                colors[edge](format, workbookColor(border.Color));
        }
        if (f.HAlign != THorizontalAlign::General)
            format_set_align(format, horizontal[int(f.HAlign)]);
        if (f.VAlign != TVerticalAlign::Bottom)
            format_set_align(format, vertical[int(f.VAlign)]);
        if (f.Wrap)
            format_set_text_wrap(format);
        if (!f.NumberFormat.isEmpty())
            format_set_num_format(format, f.NumberFormat.toUtf8().constData());
        return format;
    }

    lxw_workbook *m_workbook;
    const QList<TCellFormat> &m_styles;
    QList<lxw_format *> m_formats;
};

void writeCell(lxw_worksheet *worksheet, int row, int column, const QVariant &value,
               lxw_format *format)
{
    const auto r = lxw_row_t(row);
    const auto c = lxw_col_t(column);
    if (value.typeId() == QMetaType::Double)
        worksheet_write_number(worksheet, r, c, value.toDouble(), format);
    else if (value.typeId() == QMetaType::Bool)
        worksheet_write_boolean(worksheet, r, c, value.toBool(), format);
    else if (!value.isNull() && !value.toString().isEmpty())
        worksheet_write_string(worksheet, r, c, value.toString().toUtf8().constData(), format);
    else if (format)
        worksheet_write_blank(worksheet, r, c, format);
}

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
    FormatCache formats(workbook.get(), sheet.Styles());
    const TSheetMargins &m = sheet.Margins;
    worksheet_set_margins(worksheet, m.Left / kCentimetresPerInch, m.Right / kCentimetresPerInch,
                          m.Top / kCentimetresPerInch, m.Bottom / kCentimetresPerInch);
    worksheet_set_paper(worksheet, 9); // A4
    worksheet_set_portrait(worksheet);

    const QList<double> widths = sheet.ColumnWidths();
    for (int c = 0; c < widths.size(); ++c)
        worksheet_set_column(worksheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr);
    for (auto it = sheet.RowHeights().cbegin(); it != sheet.RowHeights().cend(); ++it)
        worksheet_set_row(worksheet, lxw_row_t(it.key()), it.value(), nullptr);

    // A merge fills its block with blanks in the first cell's format; every cell is written
    // afterwards with its own value and format.
    for (const TSheetRange &merge : sheet.Merges())
        worksheet_merge_range(worksheet, lxw_row_t(merge.FirstRow), lxw_col_t(merge.FirstColumn),
                              lxw_row_t(merge.LastRow), lxw_col_t(merge.LastColumn), "",
                              formats.format(sheet.Cell(merge.FirstRow, merge.FirstColumn).Style));
    const int columns = sheet.ColumnCount();
    for (int r = 0; r < sheet.RowCount(); ++r)
        for (int c = 0; c < columns; ++c) {
            const TSheetCell cell = sheet.Cell(r, c);
            writeCell(worksheet, r, c, cell.Value, formats.format(cell.Style));
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

namespace {

constexpr double kBodyPoints = 10;

QFont cellFont(const TCellFormat &format)
{
    QStringList families;
    if (!format.FontName.isEmpty())
        families << format.FontName;
    families << QStringLiteral("SimSun") << QStringLiteral("宋体")
             << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("Noto Serif CJK SC");
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(format.FontSize > 0 ? format.FontSize : kBodyPoints);
    font.setBold(format.Bold);
    font.setItalic(format.Italic);
    font.setUnderline(format.Underline);
    return font;
}

int textFlags(const TCellFormat &format, const QVariant &value)
{
    int flags = format.Wrap ? int(Qt::TextWordWrap) : 0;
    switch (format.HAlign) {
    case THorizontalAlign::General:
        flags |= value.typeId() == QMetaType::Double ? Qt::AlignRight
                 : value.typeId() == QMetaType::Bool ? Qt::AlignHCenter
                                                     : Qt::AlignLeft;
        break;
    case THorizontalAlign::Center:
    case THorizontalAlign::CenterAcross:
        flags |= Qt::AlignHCenter;
        break;
    case THorizontalAlign::Right:
        flags |= Qt::AlignRight;
        break;
    case THorizontalAlign::Justify:
        flags |= Qt::AlignJustify;
        break;
    default:
        flags |= Qt::AlignLeft;
        break;
    }
    switch (format.VAlign) {
    case TVerticalAlign::Top:
    case TVerticalAlign::Justify:
        flags |= Qt::AlignTop;
        break;
    case TVerticalAlign::Center:
        flags |= Qt::AlignVCenter;
        break;
    default:
        flags |= Qt::AlignBottom;
        break;
    }
    return flags;
}

// Column positions and row heights of a sheet on one paint device.
class SheetGeometry
{
public:
    SheetGeometry(const TWorkbookLayout &sheet, QPaintDevice *device, const QRectF &page)
        : m_sheet(sheet)
        , m_device(device)
        , m_unit(std::max(1.0, device->logicalDpiY() / 96.0))
    {
        // Column widths in characters, scaled down together when wider than the page.
        QList<double> widths = sheet.ColumnWidths();
        widths.resize(std::min(widths.size(), qsizetype(sheet.ColumnCount())));
        const QFont body = cellFont(TCellFormat());
        const double charWidth = QFontMetricsF(body, device).horizontalAdvance(QLatin1Char('0'));
        double total = 0;
        for (double w : widths)
            total += w * charWidth;
        const double scale = total > page.width() && total > 0 ? page.width() / total : 1.0;
        double x = page.left();
        for (double w : widths) {
            m_left.append(x);
            x += w * charWidth * scale;
        }
        m_left.append(x);
        m_bodyRow = QFontMetricsF(body, device).height() * 1.5;
    }

    int columns() const { return int(m_left.size()) - 1; }
    double left(int column) const { return m_left[column]; }
    double unit() const { return m_unit; }

    // A set height, else the tallest font of the row's texts with some air.
    double rowHeight(int row)
    {
        if (m_sheet.RowHeight(row) > 0)
            return m_sheet.RowHeight(row) * m_device->logicalDpiY() / 72.0;
        double height = m_bodyRow;
        for (int c = 0; c < columns(); ++c) {
            const TSheetCell cell = m_sheet.Cell(row, c);
            if (cell.Value.isNull() || cell.Style == 0)
                continue;
            auto it = m_fontHeights.find(cell.Style);
            if (it == m_fontHeights.end())
                it = m_fontHeights.insert(
                    cell.Style,
                    QFontMetricsF(cellFont(m_sheet.Styles()[cell.Style]), m_device).height() * 1.4);
            height = std::max(height, *it);
        }
        return height;
    }

    double rowsHeight(int first, int last)
    {
        double height = 0;
        for (int r = first; r <= last; ++r)
            height += rowHeight(r);
        return height;
    }

private:
    const TWorkbookLayout &m_sheet;
    QPaintDevice *m_device;
    double m_unit;
    double m_bodyRow = 0;
    QList<double> m_left;
    QHash<int, double> m_fontHeights;
};

struct BorderLine
{
    QLineF Line;
    TCellBorder Border;
};

void drawBorder(QPainter &painter, const BorderLine &line, double unit)
{
    static const QHash<TBorderLine, std::pair<double, Qt::PenStyle>> pens = {
        {TBorderLine::Thin, {1, Qt::SolidLine}},
        {TBorderLine::Medium, {2, Qt::SolidLine}},
        {TBorderLine::Thick, {3, Qt::SolidLine}},
        {TBorderLine::Hair, {1, Qt::DotLine}},
        {TBorderLine::Dotted, {1, Qt::DotLine}},
        {TBorderLine::Dashed, {1, Qt::DashLine}},
        {TBorderLine::MediumDashed, {2, Qt::DashLine}},
        {TBorderLine::DashDot, {1, Qt::DashDotLine}},
        {TBorderLine::MediumDashDot, {2, Qt::DashDotLine}},
        {TBorderLine::SlantDashDot, {2, Qt::DashDotLine}},
        {TBorderLine::DashDotDot, {1, Qt::DashDotDotLine}},
        {TBorderLine::MediumDashDotDot, {2, Qt::DashDotDotLine}}};
    const QColor color = line.Border.Color ? QColor(line.Border.Color) : QColor(Qt::black);
    if (line.Border.Line == TBorderLine::Double) {
        // Two thin lines either side of the edge.
        const QLineF l = line.Line;
        const QPointF offset = l.dx() == 0 ? QPointF(unit, 0) : QPointF(0, unit);
        painter.setPen(QPen(color, unit, Qt::SolidLine, Qt::SquareCap));
        painter.drawLine(l.translated(-offset));
        painter.drawLine(l.translated(offset));
        return;
    }
    const auto pen = pens.value(line.Border.Line, {1, Qt::SolidLine});
    painter.setPen(QPen(color, pen.first * unit, pen.second, Qt::SquareCap));
    painter.drawLine(line.Line);
}

} // namespace

int PaintWorkbookRows(const TWorkbookLayout &sheet, QPainter &painter, const QRectF &page,
                      int firstRow)
{
    SheetGeometry geometry(sheet, painter.device(), page);
    QList<BorderLine> borders;
    double y = page.top();
    int r = firstRow;
    for (; r < sheet.RowCount(); ++r) {
        // A merged block moves to the next page whole.
        double needed = geometry.rowHeight(r);
        for (int c = 0; c < geometry.columns(); ++c)
            if (const TSheetRange *merge = sheet.MergeAt(r, c))
                needed = std::max(needed, geometry.rowsHeight(r, merge->LastRow));
        if (y + needed > page.bottom() && r > firstRow)
            break;
        const double h = geometry.rowHeight(r);
        for (int c = 0; c < geometry.columns(); ++c) {
            if (sheet.CoveredBy(r, c))
                continue;
            int lastColumn = c;
            int lastRow = r;
            if (const TSheetRange *merge = sheet.MergeAt(r, c)) {
                lastColumn = std::min(merge->LastColumn, geometry.columns() - 1);
                lastRow = merge->LastRow;
            }
            const QRectF box(geometry.left(c), y, geometry.left(lastColumn + 1) - geometry.left(c),
                             lastRow == r ? h : geometry.rowsHeight(r, lastRow));
            const TSheetCell cell = sheet.Cell(r, c);
            const TCellFormat &format = sheet.Styles()[cell.Style];
            if (format.FillColor)
                painter.fillRect(box, QColor(format.FillColor));
            // A merged block's edges are those of the cells along them.
            const TCellFormat &topRight = sheet.Format(r, lastColumn);
            const TCellFormat &bottomLeft = sheet.Format(lastRow, c);
            auto edge = [&](const TCellFormat &owner, TCellEdge side) {
                return owner.Borders[side].Line != TBorderLine::None ? owner.Borders[side]
                                                                     : format.Borders[side];
            };
            const std::array<BorderLine, 4> edges = {
                BorderLine{QLineF(box.topLeft(), box.bottomLeft()), format.Borders[edLeft]},
                BorderLine{QLineF(box.topLeft(), box.topRight()), format.Borders[edTop]},
                BorderLine{QLineF(box.topRight(), box.bottomRight()), edge(topRight, edRight)},
                BorderLine{QLineF(box.bottomLeft(), box.bottomRight()),
                           edge(bottomLeft, edBottom)}};
            for (const BorderLine &line : edges)
                if (line.Border.Line != TBorderLine::None)
                    borders << line;
            const QString text = shownText(cell.Value, format);
            if (!text.isEmpty()) {
                const double pad = 2 * geometry.unit();
                painter.setFont(cellFont(format));
                painter.setPen(format.FontColor ? QColor(format.FontColor) : QColor(Qt::black));
                // A text runs on over empty neighbours, as on the sheet.
                int flags = textFlags(format, cell.Value);
                if (!format.Wrap && cell.Value.typeId() == QMetaType::QString &&
                    sheet.Value(r, lastColumn + 1).isNull())
                    flags |= Qt::TextDontClip;
                painter.drawText(box.adjusted(pad, pad / 2, -pad, -pad / 2), flags, text);
            }
            c = lastColumn;
        }
        y += h;
    }
    // Lines go over every fill, so a neighbour's fill never hides half of one.
    for (const BorderLine &line : borders)
        drawBorder(painter, line, geometry.unit());
    return r;
}

int PaintWorkbookLayout(const TWorkbookLayout &sheet, QPagedPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const double perCm = device.logicalDpiX() / kCentimetresPerInch;
    const TSheetMargins &m = sheet.Margins;
    const QRectF page(m.Left * perCm, m.Top * perCm, device.width() - (m.Left + m.Right) * perCm,
                      device.height() - (m.Top + m.Bottom) * perCm);
    int pages = 1;
    int row = PaintWorkbookRows(sheet, painter, page, 0);
    while (row < sheet.RowCount()) {
        device.newPage();
        ++pages;
        row = PaintWorkbookRows(sheet, painter, page, row);
    }
    painter.end();
    return pages;
}

} // namespace output
