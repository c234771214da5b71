// Cells of an .xlsx sheet read with libzip and Qt's XML reader.
#include "client/output/xlsxreader.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <zip.h>

#include <memory>

namespace output {

namespace {

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
    if (zip_stat(archive, entry.constData(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
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

// The path of the sheet at the given position, from the workbook part and its relations.
bool sheetPath(zip_t *archive, int sheetIndex, QString *path, QString *name)
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
    while (i < reference.size() && reference.at(i).isLetter()) {
        col = col * 26 + (reference.at(i).toUpper().unicode() - u'A' + 1);
        ++i;
    }
    bool ok = false;
    const int r = reference.mid(i).toInt(&ok);
    if (i == 0 || !ok || r < 1)
        return false;
    *row = r - 1;
    *column = col - 1;
    return true;
}

bool readXlsxSheet(const QString &fileName, int sheetIndex, TSheetData *sheet, QString *error)
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

    QString path;
    if (!sheetPath(archive.get(), sheetIndex, &path, &sheet->name))
        return fail(QStringLiteral("%1 has no sheet %2").arg(fileName).arg(sheetIndex + 1));
    QByteArray sharedXml;
    const QStringList shared =
        readEntry(archive.get(), QStringLiteral("xl/sharedStrings.xml"), &sharedXml)
            ? readSharedStrings(sharedXml)
            : QStringList();
    QByteArray xml;
    if (!readEntry(archive.get(), path, &xml))
        return fail(QStringLiteral("%1: the sheet part %2 is missing").arg(fileName, path));

    sheet->rows.clear();
    QXmlStreamReader reader(xml);
    int row = -1;
    int column = -1;
    QString type;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const auto name = reader.name();
        if (name == QLatin1String("c")) {
            type = reader.attributes().value(QLatin1String("t")).toString();
            if (!parseCellReference(reader.attributes().value(QLatin1String("r")).toString(), &row,
                                    &column))
                return fail(QStringLiteral("%1: malformed cell reference").arg(fileName));
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
        }
    }
    if (reader.hasError())
        return fail(QStringLiteral("%1: %2").arg(fileName, reader.errorString()));
    return true;
}

} // namespace output
