// Cells of an .xlsx sheet read with libzip and Qt's XML reader.
#include "client/output/xlsxreader.h"

#include <QColor>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace output {

namespace {

// The legacy colour palette that "indexed" colours refer to; 64 and above mean automatic.
constexpr QRgb kIndexedColors[64] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

// The largest sheet: a damaged one must not make the reader allocate beyond it.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

// Maximum digit width in pixels of the usual body fonts: column widths are stored in it.
constexpr double kDigitPixels = 7;

struct ZipCloser
{
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser
{
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};

bool readEntry(zip_t *archive, const QString &name, QByteArray *data)
{
    const QByteArray entry = name.toUtf8();
    zip_stat_t stat;
    zip_stat_init(&stat);
    // Parts beyond any real workbook's size are damage or a zip bomb, not data to allocate for.
    constexpr zip_uint64_t kMaxPartBytes = zip_uint64_t(1) << 30;
    if (zip_stat(archive, entry.constData(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        stat.size > kMaxPartBytes)
        return false;
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen(archive, entry.constData(), 0));
    if (!file)
        return false;
    data->resize(qsizetype(stat.size));
    zip_int64_t done = 0;
    while (done < zip_int64_t(stat.size)) {
        const zip_int64_t n =
            zip_fread(file.get(), data->data() + done, stat.size - zip_uint64_t(done));
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QStringList readSharedStrings(const QByteArray &xml)
{
    QStringList strings;
    QXmlStreamReader reader(xml);
    QString current;
    bool inItem = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (reader.name() == QLatin1String("si")) {
                inItem = true;
                current.clear();
            } else if (inItem && reader.name() == QLatin1String("t")) {
                current += reader.readElementText();
            } else if (reader.name() == QLatin1String("rPh")) {
                reader.skipCurrentElement(); // phonetic hints are not part of the text
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1String("si")) {
            strings << current;
            inItem = false;
        }
    }
    return strings;
}

bool flagOn(const QXmlStreamAttributes &attributes, QLatin1String name, bool absent = true)
{
    if (!attributes.hasAttribute(name))
        return absent;
    const auto value = attributes.value(name);
    return value != QLatin1String("0") && value != QLatin1String("false") &&
           value != QLatin1String("none");
}

// The theme's colours in the order "theme" attributes count them (light 1 before dark 1).
QList<QRgb> readThemeColors(zip_t *archive)
{
    QByteArray xml;
    if (!readEntry(archive, QStringLiteral("xl/theme/theme1.xml"), &xml))
        return {};
    QList<QRgb> scheme;
    QXmlStreamReader reader(xml);
    bool inScheme = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("clrScheme")) {
            inScheme = true;
        } else if (reader.isEndElement() && reader.name() == QLatin1String("clrScheme")) {
            break;
        } else if (inScheme && reader.isStartElement()) {
            const auto attributes = reader.attributes();
            if (reader.name() == QLatin1String("srgbClr"))
                scheme << attributes.value(QLatin1String("val")).toUInt(nullptr, 16);
            else if (reader.name() == QLatin1String("sysClr"))
                scheme << attributes.value(QLatin1String("lastClr")).toUInt(nullptr, 16);
        }
    }
    if (scheme.size() >= 4)
        std::swap(scheme[0], scheme[1]), std::swap(scheme[2], scheme[3]);
    return scheme;
}

// Lightens (tint > 0) or darkens a colour the way themed colours are shaded.
QRgb applyTint(QRgb rgb, double tint)
{
    if (tint == 0)
        return rgb;
    QColor color(rgb);
    float h, s, l;
    color.getHslF(&h, &s, &l);
    l = float(tint < 0 ? l * (1 + tint) : l * (1 - tint) + tint);
    return QColor::fromHslF(h, s, std::clamp(l, 0.0f, 1.0f)).rgb();
}

// A colour element's colour, opaque; 0 for automatic or an unknown reference.
QRgb readColor(const QXmlStreamAttributes &attributes, const QList<QRgb> &theme)
{
    QRgb rgb = 0;
    if (attributes.hasAttribute(QLatin1String("rgb"))) {
        rgb = attributes.value(QLatin1String("rgb")).toUInt(nullptr, 16);
    } else if (attributes.hasAttribute(QLatin1String("indexed"))) {
        const int index = attributes.value(QLatin1String("indexed")).toInt();
        if (index < 0 || index >= 64)
            return 0;
        rgb = kIndexedColors[index];
    } else if (attributes.hasAttribute(QLatin1String("theme"))) {
        const int index = attributes.value(QLatin1String("theme")).toInt();
        if (index < 0 || index >= theme.size())
            return 0;
        rgb = theme[index];
    } else {
        return 0;
    }
    rgb = applyTint(rgb, attributes.value(QLatin1String("tint")).toDouble());
    return rgb | 0xFF000000u;
}

// The cell formats of the styles part: every "xf" of cellXfs resolved to its font, fill,
// border, alignment and number format code.
QList<TCellFormat> readCellFormats(const QByteArray &xml, const QList<QRgb> &theme)
{
    QHash<int, QString> numberFormats;
    QList<TCellFormat> fonts; // font properties only
    QList<QRgb> fills;
    QList<std::array<TCellBorder, 4>> borders;
    QList<TCellFormat> formats;
    QXmlStreamReader reader(xml);
    QString section;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == section) {
            section.clear();
            continue;
        }
        if (!reader.isStartElement())
            continue;
        const auto name = reader.name();
        const auto attributes = reader.attributes();
        if (section.isEmpty()) {
            if (name == QLatin1String("numFmts") || name == QLatin1String("fonts") ||
                name == QLatin1String("fills") || name == QLatin1String("borders") ||
                name == QLatin1String("cellXfs"))
                section = name.toString();
            else if (name != QLatin1String("styleSheet"))
                reader.skipCurrentElement(); // named styles, differential formats, ...
            continue;
        }
        if (name == QLatin1String("numFmt")) {
            numberFormats.insert(attributes.value(QLatin1String("numFmtId")).toInt(),
                                 attributes.value(QLatin1String("formatCode")).toString());
        } else if (name == QLatin1String("font")) {
            TCellFormat font;
            while (reader.readNextStartElement()) {
                const auto a = reader.attributes();
                const auto element = reader.name();
                if (element == QLatin1String("b"))
                    font.Bold = flagOn(a, QLatin1String("val"));
                else if (element == QLatin1String("i"))
                    font.Italic = flagOn(a, QLatin1String("val"));
                else if (element == QLatin1String("u"))
                    font.Underline = flagOn(a, QLatin1String("val"));
                else if (element == QLatin1String("sz"))
                    font.FontSize = a.value(QLatin1String("val")).toDouble();
                else if (element == QLatin1String("name"))
                    font.FontName = a.value(QLatin1String("val")).toString();
                else if (element == QLatin1String("color"))
                    font.FontColor = readColor(a, theme);
                reader.skipCurrentElement();
            }
            fonts << font;
        } else if (name == QLatin1String("fill")) {
            QRgb fill = 0;
            while (reader.readNextStartElement()) {
                if (reader.name() == QLatin1String("patternFill")) {
                    const auto type = reader.attributes().value(QLatin1String("patternType"));
                    const bool painted = !type.isEmpty() && type != QLatin1String("none") &&
                                         type != QLatin1String("gray125");
                    while (reader.readNextStartElement()) {
                        if (painted && reader.name() == QLatin1String("fgColor"))
                            fill = readColor(reader.attributes(), theme);
                        reader.skipCurrentElement();
                    }
                } else {
                    reader.skipCurrentElement(); // gradients: no fill on paper
                }
            }
            fills << fill;
        } else if (name == QLatin1String("border")) {
            std::array<TCellBorder, 4> edges{};
            while (reader.readNextStartElement()) {
                const auto element = reader.name();
                int edge = -1;
                if (element == QLatin1String("left") || element == QLatin1String("start"))
                    edge = edLeft;
                else if (element == QLatin1String("top"))
                    edge = edTop;
                else if (element == QLatin1String("right") || element == QLatin1String("end"))
                    edge = edRight;
                else if (element == QLatin1String("bottom"))
                    edge = edBottom;
                if (edge < 0) {
                    reader.skipCurrentElement();
                    continue;
                }
                edges[edge].Line =
                    BorderLineFromName(reader.attributes().value(QLatin1String("style")));
                while (reader.readNextStartElement()) {
                    if (reader.name() == QLatin1String("color"))
                        edges[edge].Color = readColor(reader.attributes(), theme);
                    reader.skipCurrentElement();
                }
            }
            borders << edges;
        } else if (name == QLatin1String("xf")) {
            TCellFormat format = fonts.value(attributes.value(QLatin1String("fontId")).toInt());
            format.FillColor = fills.value(attributes.value(QLatin1String("fillId")).toInt());
            format.Borders = borders.value(attributes.value(QLatin1String("borderId")).toInt());
            const int numberId = attributes.value(QLatin1String("numFmtId")).toInt();
            format.NumberFormat = numberFormats.contains(numberId) ? numberFormats.value(numberId)
                                                                   : BuiltInNumberFormat(numberId);
            while (reader.readNextStartElement()) {
                if (reader.name() == QLatin1String("alignment")) {
                    static const QHash<QString, THorizontalAlign> horizontal = {
                        {QStringLiteral("left"), THorizontalAlign::Left},
                        {QStringLiteral("center"), THorizontalAlign::Center},
                        {QStringLiteral("right"), THorizontalAlign::Right},
                        {QStringLiteral("fill"), THorizontalAlign::Fill},
                        {QStringLiteral("justify"), THorizontalAlign::Justify},
                        {QStringLiteral("distributed"), THorizontalAlign::Justify},
                        {QStringLiteral("centerContinuous"), THorizontalAlign::CenterAcross}};
                    static const QHash<QString, TVerticalAlign> vertical = {
                        {QStringLiteral("top"), TVerticalAlign::Top},
                        {QStringLiteral("center"), TVerticalAlign::Center},
                        {QStringLiteral("justify"), TVerticalAlign::Justify},
                        {QStringLiteral("distributed"), TVerticalAlign::Justify}};
                    const auto a = reader.attributes();
                    format.HAlign = horizontal.value(
                        a.value(QLatin1String("horizontal")).toString(), THorizontalAlign::General);
                    format.VAlign = vertical.value(a.value(QLatin1String("vertical")).toString(),
                                                   TVerticalAlign::Bottom);
                    format.Wrap = flagOn(a, QLatin1String("wrapText"), false);
                }
                reader.skipCurrentElement();
            }
            formats << format;
        } else {
            reader.skipCurrentElement();
        }
    }
    if (formats.isEmpty())
        formats << TCellFormat();
    return formats;
}

// A stored column width (digit widths plus padding) as the characters the user typed.
double columnCharacters(double stored)
{
    const double pixels = std::round(stored * kDigitPixels);
    const double characters =
        pixels > kDigitPixels + 5 ? (pixels - 5) / kDigitPixels : pixels / (kDigitPixels + 5);
    return std::round(characters * 100) / 100;
}

bool parseRange(const QString &reference, TSheetRange *range)
{
    const QString first = reference.section(QLatin1Char(':'), 0, 0);
    const QString last =
        reference.contains(QLatin1Char(':')) ? reference.section(QLatin1Char(':'), 1, 1) : first;
    return parseCellReference(first, &range->FirstRow, &range->FirstColumn) &&
           parseCellReference(last, &range->LastRow, &range->LastColumn) &&
           range->LastRow >= range->FirstRow && range->LastColumn >= range->FirstColumn;
}

// The path of the sheet at the given position, from the workbook part and its relations.
bool sheetPath(zip_t *archive, int sheetIndex, QString *path, QString *name, bool *date1904)
{
    QByteArray workbook;
    QByteArray rels;
    if (!readEntry(archive, QStringLiteral("xl/workbook.xml"), &workbook) ||
        !readEntry(archive, QStringLiteral("xl/_rels/workbook.xml.rels"), &rels))
        return false;
    QString relationId;
    QXmlStreamReader reader(workbook);
    int index = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("workbookPr"))
            *date1904 = flagOn(reader.attributes(), QLatin1String("date1904"), false);
        if (reader.isStartElement() && reader.name() == QLatin1String("sheet")) {
            if (index++ == sheetIndex) {
                *name = reader.attributes().value(QLatin1String("name")).toString();
                for (const auto &attribute : reader.attributes()) {
                    if (attribute.name() == QLatin1String("id"))
                        relationId = attribute.value().toString();
                }
                break;
            }
        }
    }
    if (relationId.isEmpty())
        return false;
    QXmlStreamReader relations(rels);
    while (!relations.atEnd()) {
        relations.readNext();
        if (relations.isStartElement() && relations.name() == QLatin1String("Relationship") &&
            relations.attributes().value(QLatin1String("Id")) == relationId) {
            QString target = relations.attributes().value(QLatin1String("Target")).toString();
            if (target.startsWith(QLatin1Char('/')))
                target = target.mid(1);
            else
                target = QStringLiteral("xl/") + target;
            *path = target;
            return true;
        }
    }
    return false;
}

} // namespace

bool parseCellReference(const QString &reference, int *row, int *column)
{
    int col = 0;
    int i = 0;
    while (i < reference.size() && i < 3) {
        const char16_t letter = reference.at(i).toUpper().unicode();
        if (letter < u'A' || letter > u'Z')
            break;
        col = col * 26 + (letter - u'A' + 1);
        ++i;
    }
    bool ok = false;
    const int r = reference.mid(i).toInt(&ok);
    if (i == 0 || !ok || r < 1 || r > kMaxRows || col > kMaxColumns)
        return false;
    *row = r - 1;
    *column = col - 1;
    return true;
}

bool readXlsxSheetNames(const QString &fileName, QStringList *names, QString *error)
{
    int zipError = 0;
    ZipPtr archive(zip_open(QFile::encodeName(fileName).constData(), ZIP_RDONLY, &zipError));
    QByteArray workbook;
    if (!archive || !readEntry(archive.get(), QStringLiteral("xl/workbook.xml"), &workbook)) {
        if (error)
            *error = QStringLiteral("%1 is not a workbook").arg(fileName);
        return false;
    }
    names->clear();
    QXmlStreamReader reader(workbook);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("sheet"))
            names->append(reader.attributes().value(QLatin1String("name")).toString());
    }
    if (reader.hasError()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(fileName, reader.errorString());
        return false;
    }
    return true;
}

int TSheetData::formatId(int row, int column) const
{
    if (row >= 0 && row < formatIds.size() && column >= 0 && column < formatIds[row].size() &&
        formatIds[row][column] >= 0)
        return formatIds[row][column];
    return rowFormatIds.value(row, columnFormatIds.value(column, 0));
}

QDateTime TSheetData::dateTime(int row, int column) const
{
    const QVariant value = cell(row, column);
    if (value.typeId() != QMetaType::Double || !IsDateTimeFormat(format(row, column).NumberFormat))
        return {};
    return DateFromSerial(value.toDouble(), date1904);
}

bool readXlsxSheet(const QString &fileName, int sheetIndex, TSheetData *sheet, QString *error,
                   TSheetContent content)
{
    auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    int zipError = 0;
    ZipPtr archive(zip_open(QFile::encodeName(fileName).constData(), ZIP_RDONLY, &zipError));
    if (!archive)
        return fail(QStringLiteral("%1 is not a workbook").arg(fileName));

    *sheet = TSheetData();
    QString path;
    if (!sheetPath(archive.get(), sheetIndex, &path, &sheet->name, &sheet->date1904))
        return fail(QStringLiteral("%1 has no sheet %2").arg(fileName).arg(sheetIndex + 1));
    QByteArray sharedXml;
    const QStringList shared =
        readEntry(archive.get(), QStringLiteral("xl/sharedStrings.xml"), &sharedXml)
            ? readSharedStrings(sharedXml)
            : QStringList();
    QByteArray xml;
    if (!readEntry(archive.get(), path, &xml))
        return fail(QStringLiteral("%1: the sheet part %2 is missing").arg(fileName, path));
    const bool withFormats = content == TSheetContent::ValuesAndFormats;
    if (withFormats) {
        QByteArray styles;
        sheet->formats = readEntry(archive.get(), QStringLiteral("xl/styles.xml"), &styles)
                             ? readCellFormats(styles, readThemeColors(archive.get()))
                             : QList<TCellFormat>{TCellFormat()};
    }

    QXmlStreamReader reader(xml);
    int row = -1;
    int column = -1;
    int rowOfCells = -1; // the row being read, for cells written without their reference
    QString type;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const auto name = reader.name();
        if (name == QLatin1String("row")) {
            bool ok = false;
            const int r = reader.attributes().value(QLatin1String("r")).toInt(&ok);
            rowOfCells = ok && r >= 1 ? r - 1 : rowOfCells + 1;
            column = -1;
        }
        if (name == QLatin1String("c")) {
            const auto attributes = reader.attributes();
            type = attributes.value(QLatin1String("t")).toString();
            const QString reference = attributes.value(QLatin1String("r")).toString();
            // Some programs leave the reference out: such a cell follows the previous one.
            bool placed = false;
            if (reference.isEmpty()) {
                row = std::max(rowOfCells, 0);
                ++column;
                placed = row < kMaxRows && column < kMaxColumns;
            } else {
                placed = parseCellReference(reference, &row, &column);
            }
            if (!placed)
                return fail(QStringLiteral("%1: malformed cell reference").arg(fileName));
            if (withFormats) {
                const int id = attributes.value(QLatin1String("s")).toInt();
                if (sheet->formatIds.size() <= row)
                    sheet->formatIds.resize(row + 1);
                auto &ids = sheet->formatIds[row];
                while (ids.size() <= column)
                    ids.append(-1);
                ids[column] = id > 0 && id < sheet->formats.size() ? id : 0;
            }
        } else if (name == QLatin1String("v") || name == QLatin1String("is")) {
            QVariant value;
            if (name == QLatin1String("is")) {
                QString text;
                while (!(reader.isEndElement() && reader.name() == QLatin1String("is")) &&
                       !reader.atEnd()) {
                    reader.readNext();
                    if (reader.isStartElement() && reader.name() == QLatin1String("t"))
                        text += reader.readElementText();
                }
                value = text;
            } else {
                const QString raw = reader.readElementText();
                if (type == QLatin1String("s"))
                    value = shared.value(raw.toInt());
                else if (type == QLatin1String("b"))
                    value = raw == QLatin1String("1");
                else if (type == QLatin1String("d")) // ISO 8601, written by some programs
                    value = raw.contains(u'T') ? QVariant(QDateTime::fromString(raw, Qt::ISODate))
                                               : QVariant(QDate::fromString(raw, Qt::ISODate));
                else if (type == QLatin1String("str") || type == QLatin1String("e"))
                    value = raw;
                else
                    value = raw.toDouble();
            }
            if (row < 0 || column < 0)
                continue;
            if (sheet->rows.size() <= row)
                sheet->rows.resize(row + 1);
            auto &cells = sheet->rows[row];
            if (cells.size() <= column)
                cells.resize(column + 1);
            cells[column] = value;
        } else if (!withFormats) {
            continue;
        } else if (name == QLatin1String("row")) {
            const auto attributes = reader.attributes();
            bool ok = false;
            const int r = attributes.value(QLatin1String("r")).toInt(&ok) - 1;
            const double height = attributes.value(QLatin1String("ht")).toDouble();
            if (ok && r >= 0 && height > 0)
                sheet->rowHeights.insert(r, height);
            const int id = attributes.value(QLatin1String("s")).toInt();
            if (ok && r >= 0 && flagOn(attributes, QLatin1String("customFormat"), false) &&
                id > 0 && id < sheet->formats.size())
                sheet->rowFormatIds.insert(r, id);
        } else if (name == QLatin1String("col")) {
            const auto attributes = reader.attributes();
            const int first = attributes.value(QLatin1String("min")).toInt() - 1;
            const int last = attributes.value(QLatin1String("max")).toInt() - 1;
            const double width = attributes.value(QLatin1String("width")).toDouble();
            const bool hidden = flagOn(attributes, QLatin1String("hidden"), false);
            const int id = attributes.value(QLatin1String("style")).toInt();
            if (first < 0 || last < first)
                continue;
            // Formats given to whole columns reach the sheet's end: the first ones are enough.
            for (int c = first; c <= std::min(last, first + 1024); ++c) {
                if (width > 0 || hidden)
                    sheet->columnWidths.insert(c, hidden ? 0.0 : columnCharacters(width));
                if (id > 0 && id < sheet->formats.size())
                    sheet->columnFormatIds.insert(c, id);
            }
        } else if (name == QLatin1String("mergeCell")) {
            TSheetRange range;
            if (parseRange(reader.attributes().value(QLatin1String("ref")).toString(), &range))
                sheet->merges << range;
        }
    }
    if (reader.hasError())
        return fail(QStringLiteral("%1: %2").arg(fileName, reader.errorString()));
    return true;
}

} // namespace output
