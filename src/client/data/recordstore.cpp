// Column storage of client datasets.
#include "client/data/recordstore.h"

#include "client/data/formats.h"

#include <QStringEncoder>

#include <algorithm>

namespace DataInternal {

Storage storageFor(TFieldType type)
{
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
        return Storage::Int32;
    case ftLargeint:
        return Storage::Int64;
    case ftBoolean:
        return Storage::Bool;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return Storage::Double;
    case ftDate:
        return Storage::Date;
    case ftTime:
        return Storage::Time;
    case ftDateTime:
        return Storage::DateTime;
    case ftBlob:
    case ftGraphic:
        return Storage::Blob;
    case ftString:
    case ftWideString:
    case ftMemo:
    case ftWideMemo:
    case ftUnknown:
        break;
    }
    return Storage::Text;
}

static int widthOf(Storage kind)
{
    switch (kind) {
    case Storage::Bool:
        return 1;
    case Storage::Int32:
    case Storage::Date:
    case Storage::Time:
        return 4;
    case Storage::Blob:
        return 0;
    case Storage::Int64:
    case Storage::Double:
    case Storage::DateTime:
    case Storage::Text:
        break;
    }
    return 8;
}

int RecordStore::addColumn(Storage kind)
{
    Column c;
    c.kind = kind;
    c.width = widthOf(kind);
    c.cells.resize(size_t(m_capacity) * size_t(c.width));
    c.nulls.assign((size_t(m_capacity) + 63) / 64, ~quint64(0));
    if (kind == Storage::Blob)
        c.blobs.resize(size_t(m_capacity));
    m_columns.push_back(std::move(c));
    return int(m_columns.size()) - 1;
}

void RecordStore::clear()
{
    m_columns.clear();
    m_free.clear();
    m_slotCount = 0;
    m_capacity = 0;
}

void RecordStore::clearSlots()
{
    for (Column &c : m_columns) {
        c.cells.clear();
        c.cells.shrink_to_fit();
        c.nulls.clear();
        c.nulls.shrink_to_fit();
        c.arena.clear();
        c.arena.shrink_to_fit();
        c.garbage = 0;
        c.blobs.clear();
        c.blobs.shrink_to_fit();
    }
    m_free.clear();
    m_slotCount = 0;
    m_capacity = 0;
}

void RecordStore::reserve(int count)
{
    if (count <= m_capacity)
        return;
    for (Column &c : m_columns) {
        c.cells.resize(size_t(count) * size_t(c.width));
        c.nulls.resize((size_t(count) + 63) / 64, ~quint64(0));
        if (c.kind == Storage::Blob)
            c.blobs.resize(size_t(count));
    }
    m_capacity = count;
}

void RecordStore::shrinkToFit()
{
    for (Column &c : m_columns) {
        c.cells.resize(size_t(m_slotCount) * size_t(c.width));
        c.cells.shrink_to_fit();
        c.nulls.resize((size_t(m_slotCount) + 63) / 64);
        c.nulls.shrink_to_fit();
        if (c.kind == Storage::Blob) {
            c.blobs.resize(size_t(m_slotCount));
            c.blobs.shrink_to_fit();
        }
        c.arena.shrink_to_fit();
    }
    m_capacity = m_slotCount;
}

int RecordStore::newSlot()
{
    if (!m_free.empty()) {
        const int slot = m_free.back();
        m_free.pop_back();
        return slot;
    }
    if (m_slotCount == m_capacity)
        reserve(std::max(64, m_capacity + m_capacity / 2));
    // Cells beyond the last slot are null from their creation and freed slots are nulled
    // when freed, so a new slot needs no initialisation.
    return m_slotCount++;
}

int RecordStore::copySlot(int from)
{
    const int slot = newSlot();
    copyCells(from, slot);
    return slot;
}

void RecordStore::copyCells(int from, int to)
{
    for (Column &c : m_columns) {
        if (c.kind == Storage::Text)
            releaseText(c, to);
        const bool null = (c.nulls[size_t(from) >> 6] >> (from & 63)) & 1;
        quint64 &word = c.nulls[size_t(to) >> 6];
        const quint64 bit = quint64(1) << (to & 63);
        word = null ? (word | bit) : (word & ~bit);
        if (c.width)
            std::memcpy(c.cells.data() + size_t(to) * size_t(c.width),
                        c.cells.data() + size_t(from) * size_t(c.width), size_t(c.width));
        if (c.kind == Storage::Blob)
            c.blobs[size_t(to)] = c.blobs[size_t(from)];
    }
}

// Text cells of two slots may share arena bytes (copySlot does not copy them), so releasing
// only counts garbage; compaction keeps shared bytes once per reference, which is correct if
// not minimal.
void RecordStore::releaseText(Column &c, int slot)
{
    if ((c.nulls[size_t(slot) >> 6] >> (slot & 63)) & 1)
        return;
    TextRef ref;
    std::memcpy(&ref, c.cells.data() + size_t(slot) * sizeof(TextRef), sizeof(TextRef));
    c.garbage += ref.length;
}

void RecordStore::freeSlot(int slot)
{
    for (Column &c : m_columns) {
        if (c.kind == Storage::Text)
            releaseText(c, slot);
        if (c.kind == Storage::Blob)
            c.blobs[size_t(slot)] = QByteArray();
        c.nulls[size_t(slot) >> 6] |= quint64(1) << (slot & 63);
    }
    m_free.push_back(slot);
}

void RecordStore::setNull(int column, int slot)
{
    Column &c = m_columns[column];
    if (c.kind == Storage::Text)
        releaseText(c, slot);
    if (c.kind == Storage::Blob)
        c.blobs[size_t(slot)] = QByteArray();
    c.nulls[size_t(slot) >> 6] |= quint64(1) << (slot & 63);
}

void RecordStore::setBoolean(int column, int slot, bool value)
{
    Column &c = m_columns[column];
    c.cells[size_t(slot)] = value ? 1 : 0;
    clearNullBit(c, slot);
}

QString RecordStore::text(int column, int slot) const
{
    if (isNull(column, slot))
        return QString();
    const TextRef ref = textRef(column, slot);
    return QString::fromUtf8(m_columns[column].arena.data() + ref.offset, ref.length);
}

std::string_view RecordStore::utf8(int column, int slot) const
{
    if (isNull(column, slot))
        return {};
    const TextRef ref = textRef(column, slot);
    return std::string_view(m_columns[column].arena.data() + ref.offset, ref.length);
}

void RecordStore::setUtf8(int column, int slot, const char *data, qsizetype size)
{
    Column &c = m_columns[column];
    releaseText(c, slot);
    if (c.garbage > (1 << 20) && c.garbage * 2 > qint64(c.arena.size()))
        compact(c);
    TextRef ref{quint32(c.arena.size()), quint32(size)};
    c.arena.append(data, size_t(size));
    std::memcpy(c.cells.data() + size_t(slot) * sizeof(TextRef), &ref, sizeof(TextRef));
    clearNullBit(c, slot);
}

void RecordStore::setText(int column, int slot, QStringView value)
{
    Column &c = m_columns[column];
    releaseText(c, slot);
    if (c.garbage > (1 << 20) && c.garbage * 2 > qint64(c.arena.size()))
        compact(c);
    const size_t offset = c.arena.size();
    QStringEncoder encoder(QStringEncoder::Utf8);
    c.arena.resize(offset + size_t(encoder.requiredSpace(value.size())));
    char *end = encoder.appendToBuffer(c.arena.data() + offset, value);
    c.arena.resize(size_t(end - c.arena.data()));
    TextRef ref{quint32(offset), quint32(c.arena.size() - offset)};
    std::memcpy(c.cells.data() + size_t(slot) * sizeof(TextRef), &ref, sizeof(TextRef));
    clearNullBit(c, slot);
}

void RecordStore::compact(Column &c)
{
    std::string arena;
    arena.reserve(c.arena.size() - size_t(std::min<qint64>(c.garbage, qint64(c.arena.size()))));
    for (int slot = 0; slot < m_slotCount; ++slot) {
        if ((c.nulls[size_t(slot) >> 6] >> (slot & 63)) & 1)
            continue;
        TextRef ref;
        std::memcpy(&ref, c.cells.data() + size_t(slot) * sizeof(TextRef), sizeof(TextRef));
        const quint32 offset = quint32(arena.size());
        arena.append(c.arena.data() + ref.offset, ref.length);
        ref.offset = offset;
        std::memcpy(c.cells.data() + size_t(slot) * sizeof(TextRef), &ref, sizeof(TextRef));
    }
    c.arena = std::move(arena);
    c.garbage = 0;
}

void RecordStore::setBlob(int column, int slot, const QByteArray &value)
{
    Column &c = m_columns[column];
    c.blobs[size_t(slot)] = value;
    clearNullBit(c, slot);
}

QVariant RecordStore::value(int column, int slot) const
{
    if (isNull(column, slot))
        return QVariant();
    switch (m_columns[column].kind) {
    case Storage::Int32:
        return int32(column, slot);
    case Storage::Int64:
        return int64(column, slot);
    case Storage::Double:
        return float64(column, slot);
    case Storage::Bool:
        return boolean(column, slot);
    case Storage::Date:
        return QDate::fromJulianDay(int32(column, slot));
    case Storage::Time:
        return QTime::fromMSecsSinceStartOfDay(int32(column, slot));
    case Storage::DateTime:
        return unpackDateTime(int64(column, slot));
    case Storage::Text:
        return text(column, slot);
    case Storage::Blob:
        return blob(column, slot);
    }
    return QVariant();
}

static bool variantToDouble(const QVariant &value, double &out)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return TryStrToFloat(value.toString(), out);
    case QMetaType::QDate:
        out = DateTimeToFloat(QDateTime(value.toDate(), QTime(0, 0)));
        return value.toDate().isValid();
    case QMetaType::QDateTime:
        out = DateTimeToFloat(value.toDateTime());
        return value.toDateTime().isValid();
    default:
        break;
    }
    bool ok = false;
    out = value.toDouble(&ok);
    return ok;
}

static bool variantToDateTime(const QVariant &value, QDateTime &out)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        out = value.toDateTime();
        return out.isValid();
    case QMetaType::QDate:
        out = QDateTime(value.toDate(), QTime(0, 0));
        return value.toDate().isValid();
    case QMetaType::QTime:
        out = QDateTime(QDate(1899, 12, 30), value.toTime());
        return value.toTime().isValid();
    case QMetaType::QString:
        return TryStrToDateTime(value.toString(), out);
    default:
        break;
    }
    double number = 0;
    if (!variantToDouble(value, number))
        return false;
    out = FloatToDateTime(number);
    return true;
}

bool RecordStore::setValue(int column, int slot, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        setNull(column, slot);
        return true;
    }
    switch (m_columns[column].kind) {
    case Storage::Int32:
    case Storage::Int64: {
        qint64 number = 0;
        if (value.typeId() == QMetaType::QString) {
            if (!TryStrToInt64(value.toString(), number))
                return false;
        } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
            number = qint64(std::nearbyint(value.toDouble()));
        } else {
            bool ok = false;
            number = value.toLongLong(&ok);
            if (!ok)
                return false;
        }
        if (m_columns[column].kind == Storage::Int32)
            setInt32(column, slot, qint32(number));
        else
            setInt64(column, slot, number);
        return true;
    }
    case Storage::Double: {
        double number = 0;
        if (!variantToDouble(value, number))
            return false;
        setFloat64(column, slot, number);
        return true;
    }
    case Storage::Bool:
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return false;
            const QChar first = s.at(0).toUpper();
            setBoolean(column, slot, first == u'T' || first == u'Y' || first == u'1');
            return true;
        }
        setBoolean(column, slot, value.toBool());
        return true;
    case Storage::Date:
    case Storage::Time:
    case Storage::DateTime: {
        const Storage kind = m_columns[column].kind;
        if (value.typeId() == QMetaType::QDate && kind != Storage::Time) {
            const QDate date = value.toDate();
            if (!date.isValid())
                return false;
            if (kind == Storage::Date)
                setInt32(column, slot, qint32(date.toJulianDay()));
            else
                setInt64(column, slot, date.toJulianDay() * MsecsPerDay);
            return true;
        }
        if (value.typeId() == QMetaType::QTime && kind == Storage::Time) {
            if (!value.toTime().isValid())
                return false;
            setInt32(column, slot, value.toTime().msecsSinceStartOfDay());
            return true;
        }
        QDateTime dateTime;
        if (!variantToDateTime(value, dateTime))
            return false;
        if (m_columns[column].kind == Storage::Date)
            setInt32(column, slot, qint32(dateTime.date().toJulianDay()));
        else if (m_columns[column].kind == Storage::Time)
            setInt32(column, slot, dateTime.time().msecsSinceStartOfDay());
        else
            setInt64(column, slot, packDateTime(dateTime));
        return true;
    }
    case Storage::Text:
        if (value.typeId() == QMetaType::QDate)
            setText(column, slot, FormatDateTime(ShortDateFormat, value.toDate()));
        else if (value.typeId() == QMetaType::QDateTime)
            setText(column, slot, FormatDateTime(u"c", value.toDateTime()));
        else if (value.typeId() == QMetaType::Double)
            setText(column, slot, FloatToStr(value.toDouble()));
        else if (value.typeId() == QMetaType::Bool)
            setText(column, slot, value.toBool() ? u"True" : u"False");
        else
            setText(column, slot, value.toString());
        return true;
    case Storage::Blob:
        setBlob(column, slot, value.toByteArray());
        return true;
    }
    return false;
}

template<class T>
static int threeWay(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int RecordStore::compare(int column, int a, int b, bool caseInsensitive) const
{
    const bool nullA = isNull(column, a);
    const bool nullB = isNull(column, b);
    if (nullA || nullB)
        return nullA == nullB ? 0 : (nullA ? -1 : 1);
    switch (m_columns[column].kind) {
    case Storage::Int32:
    case Storage::Date:
    case Storage::Time:
        return threeWay(int32(column, a), int32(column, b));
    case Storage::Int64:
    case Storage::DateTime:
        return threeWay(int64(column, a), int64(column, b));
    case Storage::Double:
        return threeWay(float64(column, a), float64(column, b));
    case Storage::Bool:
        return threeWay(boolean(column, a), boolean(column, b));
    case Storage::Text: {
        if (caseInsensitive)
            return QString::compare(text(column, a), text(column, b), Qt::CaseInsensitive);
        // UTF-8 bytes order as code points do.
        const int c = utf8(column, a).compare(utf8(column, b));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case Storage::Blob: {
        const int c = blob(column, a).compare(blob(column, b));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    }
    return 0;
}

bool RecordStore::sameValue(int column, int a, int b) const
{
    return compare(column, a, b, false) == 0;
}

qint64 RecordStore::bytes() const
{
    qint64 total = 0;
    for (const Column &c : m_columns) {
        total += qint64(c.cells.capacity()) + qint64(c.nulls.capacity() * sizeof(quint64)) +
                 qint64(c.arena.capacity());
        for (const QByteArray &b : c.blobs)
            total += qint64(sizeof(QByteArray)) + b.capacity();
    }
    return total + qint64(m_free.capacity() * sizeof(int));
}

} // namespace DataInternal
