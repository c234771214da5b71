// The workbook formats a shop's files arrive in, each read by its own small reader.
#include "client/output/workbookreader.h"

#include "client/common/gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <freexl.h>

#include <cmath>

namespace output {

namespace {

constexpr QByteArrayView kZipMagic("PK\x03\x04", 4);
constexpr QByteArrayView kCompoundMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
// Text files beyond this are not a list anyone typed; reading them whole would only exhaust
// memory.
constexpr qint64 kMaxCsvBytes = qint64(256) << 20;

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

bool checkIndex(const QStringList &names, int index, const QString &fileName, QString *error)
{
    if (index >= 0 && index < names.size())
        return true;
    return fail(error, QStringLiteral("%1 has no sheet %2").arg(fileName).arg(index + 1));
}

class TXlsxWorkbook final : public TWorkbookReader
{
public:
    TXlsxWorkbook(QString fileName, QStringList names)
        : m_fileName(std::move(fileName))
        , m_names(std::move(names))
    {}

    QStringList SheetNames() const override { return m_names; }

    bool ReadSheet(int index, TSheetData *sheet, QString *error) override
    {
        if (!checkIndex(m_names, index, m_fileName, error))
            return false;
        // Dates are numbers told apart only by their format, so formats must be read.
        if (!readXlsxSheet(m_fileName, index, sheet, error, TSheetContent::ValuesAndFormats))
            return false;
        QList<bool> dateFormats;
        dateFormats.reserve(sheet->formats.size());
        for (const TCellFormat &format : std::as_const(sheet->formats))
            dateFormats << IsDateTimeFormat(format.NumberFormat);
        for (int r = 0; r < sheet->rows.size(); ++r) {
            auto &cells = sheet->rows[r];
            for (int c = 0; c < cells.size(); ++c) {
                if (cells[c].typeId() != QMetaType::Double ||
                    !dateFormats.value(sheet->formatId(r, c)))
                    continue;
                const double serial = cells[c].toDouble();
                const QDateTime moment = DateFromSerial(serial, sheet->date1904);
                if (!moment.isValid())
                    continue;
                if (serial < 1)
                    cells[c] = moment.time();
                else if (serial == std::floor(serial))
                    cells[c] = moment.date();
                else
                    cells[c] = moment;
            }
        }
        const QList<TSheetRange> merges = sheet->merges;
        const QString name = sheet->name;
        const bool date1904 = sheet->date1904;
        auto rows = std::move(sheet->rows);
        *sheet = TSheetData();
        sheet->name = name;
        sheet->rows = std::move(rows);
        sheet->merges = merges;
        sheet->date1904 = date1904;
        return true;
    }

private:
    QString m_fileName;
    QStringList m_names;
};

struct FreeXlCloser
{
    void operator()(const void *handle) const { freexl_close(handle); }
};
using FreeXlHandle = std::unique_ptr<const void, FreeXlCloser>;

class TXlsWorkbook final : public TWorkbookReader
{
public:
    TXlsWorkbook(QString fileName, FreeXlHandle handle, QStringList names)
        : m_fileName(std::move(fileName))
        , m_handle(std::move(handle))
        , m_names(std::move(names))
    {}

    static std::unique_ptr<TWorkbookReader> Open(const QString &fileName, QString *error)
    {
        const void *raw = nullptr;
        const int opened = freexl_open(QFile::encodeName(fileName).constData(), &raw);
        FreeXlHandle handle(raw);
        unsigned int password = 0;
        if (opened == FREEXL_OK &&
            freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
            password == FREEXL_BIFF_OBFUSCATED) {
            fail(error, QStringLiteral("%1 is protected with a password").arg(fileName));
            return nullptr;
        }
        unsigned int count = 0;
        if (opened != FREEXL_OK ||
            freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
            fail(error, QStringLiteral("%1 is not a readable workbook (damaged or in an unknown "
                                       "format)")
                            .arg(fileName));
            return nullptr;
        }
        QStringList names;
        for (unsigned short i = 0; i < count && i < 0xFFFF; ++i) {
            const char *name = nullptr;
            if (freexl_get_worksheet_name(raw, i, &name) != FREEXL_OK)
                break;
            names << QString::fromUtf8(name ? name : "");
        }
        return std::make_unique<TXlsWorkbook>(fileName, std::move(handle), std::move(names));
    }

    QStringList SheetNames() const override { return m_names; }

    bool ReadSheet(int index, TSheetData *sheet, QString *error) override
    {
        if (!checkIndex(m_names, index, m_fileName, error))
            return false;
        const void *handle = m_handle.get();
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(handle, static_cast<unsigned short>(index)) !=
                FREEXL_OK ||
            freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
            return fail(
                error,
                QStringLiteral("%1: sheet %2 cannot be read").arg(m_fileName).arg(index + 1));
        *sheet = TSheetData();
        sheet->name = m_names.at(index);
        sheet->rows.reserve(qsizetype(std::min(rows, 65536u)));
        for (unsigned int r = 0; r < rows; ++r) {
            QList<QVariant> cells(columns);
            int last = -1;
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK)
                    continue;
                cells[c] = cellValue(value);
                if (!cells[c].isNull())
                    last = c;
            }
            cells.resize(last + 1);
            sheet->rows << std::move(cells);
        }
        while (!sheet->rows.isEmpty() && sheet->rows.constLast().isEmpty())
            sheet->rows.removeLast();
        return true;
    }

private:
    static QVariant cellValue(const FreeXL_CellValue &value)
    {
        const auto text = [&] {
            return QString::fromUtf8(value.value.text_value);
        };
        switch (value.type) {
        case FREEXL_CELL_INT:
            return double(value.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return value.value.double_value;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return text();
        case FREEXL_CELL_DATE:
            return QDate::fromString(text(), Qt::ISODate);
        case FREEXL_CELL_DATETIME: {
            QDateTime moment = QDateTime::fromString(text(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            return moment.isValid() ? QVariant(moment) : QVariant();
        }
        case FREEXL_CELL_TIME:
            return QTime::fromString(text(), QStringLiteral("HH:mm:ss"));
        default:
            return {};
        }
    }

    QString m_fileName;
    FreeXlHandle m_handle;
    QStringList m_names;
};

// A comma-separated file is one sheet, named after the file.
class TCsvWorkbook final : public TWorkbookReader
{
public:
    TCsvWorkbook(QString name, QList<QList<QVariant>> rows)
        : m_name(std::move(name))
        , m_rows(std::move(rows))
    {}

    QStringList SheetNames() const override { return {m_name}; }

    bool ReadSheet(int index, TSheetData *sheet, QString *error) override
    {
        if (!checkIndex({m_name}, index, m_name, error))
            return false;
        *sheet = TSheetData();
        sheet->name = m_name;
        sheet->rows = m_rows;
        return true;
    }

private:
    QString m_name;
    QList<QList<QVariant>> m_rows;
};

} // namespace

QString DecodeCsv(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? FromGbk(bytes) : text;
}

QList<QList<QVariant>> ParseCsv(const QString &text)
{
    QList<QList<QVariant>> rows;
    QList<QVariant> row;
    QString field;
    bool quoted = false;     // inside a quoted field
    bool wasQuoted = false;  // the current field was quoted: an empty "" is an empty text
    bool rowStarted = false; // something was read since the last line break
    const auto endField = [&] {
        row << (field.isEmpty() && !wasQuoted ? QVariant() : QVariant(field));
        field.clear();
        wasQuoted = false;
    };
    const auto endRow = [&] {
        endField();
        while (!row.isEmpty() && row.constLast().isNull())
            row.removeLast();
        rows << row;
        row.clear();
        rowStarted = false;
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = text.at(i);
        if (quoted) {
            if (ch != u'"')
                field += ch;
            else if (i + 1 < n && text.at(i + 1) == u'"')
                field += text.at(++i);
            else
                quoted = false;
            continue;
        }
        if (ch == u'"' && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = rowStarted = true;
        } else if (ch == u',') {
            endField();
            rowStarted = true;
        } else if (ch == u'\r' || ch == u'\n') {
            if (ch == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            endRow();
        } else {
            // A stray quote inside an unquoted field is kept as written.
            field += ch;
            rowStarted = true;
        }
    }
    if (rowStarted || !field.isEmpty())
        endRow();
    return rows;
}

std::unique_ptr<TWorkbookReader> OpenWorkbook(const QString &fileName, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("%1 cannot be opened: %2").arg(fileName, file.errorString()));
        return nullptr;
    }
    const QByteArray head = file.peek(8);
    if (head.startsWith(kZipMagic)) {
        QStringList names;
        if (!readXlsxSheetNames(fileName, &names, error))
            return nullptr;
        if (names.isEmpty()) {
            fail(error, QStringLiteral("%1 has no sheets").arg(fileName));
            return nullptr;
        }
        return std::make_unique<TXlsxWorkbook>(fileName, std::move(names));
    }
    if (head.startsWith(kCompoundMagic)) {
        // A password-protected .xlsx is a compound file holding the encrypted package.
        const QByteArray all = file.read(qint64(1) << 20);
        const QByteArray encrypted =
            QByteArray::fromRawData(reinterpret_cast<const char *>(u"EncryptedPackage"), 32);
        if (all.contains(encrypted)) {
            fail(error, QStringLiteral("%1 is protected with a password").arg(fileName));
            return nullptr;
        }
        return TXlsWorkbook::Open(fileName, error);
    }
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("txt")) {
        fail(error, QStringLiteral("%1 is not a workbook (.xlsx, .xls or .csv)").arg(fileName));
        return nullptr;
    }
    if (file.size() > kMaxCsvBytes) {
        fail(error, QStringLiteral("%1 is too large to import").arg(fileName));
        return nullptr;
    }
    return std::make_unique<TCsvWorkbook>(QFileInfo(fileName).completeBaseName(),
                                          ParseCsv(DecodeCsv(file.readAll())));
}

void SpreadMergedCells(TSheetData *sheet)
{
    for (const TSheetRange &range : std::as_const(sheet->merges)) {
        const QVariant value = sheet->cell(range.FirstRow, range.FirstColumn);
        if (value.isNull())
            continue;
        // Ranges reaching far beyond the stored cells only name cells nobody filled.
        const int lastRow = std::min(range.LastRow, int(sheet->rows.size()) - 1);
        for (int r = range.FirstRow; r <= lastRow; ++r) {
            auto &cells = sheet->rows[r];
            const int lastColumn = std::min(range.LastColumn, range.FirstColumn + 16384);
            if (cells.size() <= lastColumn)
                cells.resize(lastColumn + 1);
            for (int c = range.FirstColumn; c <= lastColumn; ++c)
                cells[c] = value;
        }
    }
}

} // namespace output
