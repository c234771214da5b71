// Typed values of the wire protocol and their CBOR form.
#include "wire/value.h"

#include <QByteArray>
#include <QStringList>
#include <QTime>
#include <QVariantList>
#include <QVariantMap>

#include <array>
#include <limits>

namespace wire {

namespace {

struct TypeNameEntry
{
    ValueType type;
    const char *name;
};

constexpr std::array<TypeNameEntry, 8> typeNames{{{ValueType::Unknown, "unknown"},
                                                  {ValueType::Integer, "integer"},
                                                  {ValueType::Float, "float"},
                                                  {ValueType::Text, "text"},
                                                  {ValueType::Boolean, "boolean"},
                                                  {ValueType::Date, "date"},
                                                  {ValueType::DateTime, "datetime"},
                                                  {ValueType::Blob, "blob"}}};

// A string's chunk, once its announced size is counted: a length far beyond the frame must
// be refused before anything is allocated for it. bytesPerByte: what a byte becomes in memory.
bool chargeChunk(QCborStreamReader &reader, DecodeLimits &limits, qint64 bytesPerByte,
                 QString *error)
{
    const qsizetype size = reader.currentStringChunkSize();
    return limits.charge(qMax<qsizetype>(size, 0) * bytesPerByte, error);
}

QString readText(QCborStreamReader &reader, QString *error, DecodeLimits &limits)
{
    QString text;
    if (!chargeChunk(reader, limits, 2, error))
        return text;
    auto chunk = reader.readString();
    while (chunk.status == QCborStreamReader::Ok) {
        text += chunk.data;
        if (!chargeChunk(reader, limits, 2, error))
            return text;
        chunk = reader.readString();
    }
    if (chunk.status == QCborStreamReader::Error && error)
        *error = reader.lastError().toString();
    return text;
}

QByteArray readBytes(QCborStreamReader &reader, QString *error, DecodeLimits &limits)
{
    QByteArray bytes;
    if (!chargeChunk(reader, limits, 1, error))
        return bytes;
    auto chunk = reader.readByteArray();
    while (chunk.status == QCborStreamReader::Ok) {
        bytes += chunk.data;
        if (!chargeChunk(reader, limits, 1, error))
            return bytes;
        chunk = reader.readByteArray();
    }
    if (chunk.status == QCborStreamReader::Error && error)
        *error = reader.lastError().toString();
    return bytes;
}

bool failed(QCborStreamReader &reader, QString *error)
{
    if (error && !error->isEmpty())
        return true;
    if (reader.lastError() != QCborError::NoError) {
        if (error)
            *error = reader.lastError().toString();
        return true;
    }
    return false;
}

QVariant readValueAt(QCborStreamReader &reader, QString *error, DecodeLimits &limits, int depth);

QVariant readTagged(QCborStreamReader &reader, QString *error, DecodeLimits &limits, int depth)
{
    const QCborTag tag = reader.toTag();
    reader.next();
    const QVariant inner = readValueAt(reader, error, limits, depth);
    if (failed(reader, error))
        return {};
    if (tag == DateTag && inner.typeId() == QMetaType::QString) {
        const QDate date = QDate::fromString(inner.toString(), Qt::ISODate);
        if (!date.isValid() && error)
            *error = QStringLiteral("invalid date \"%1\"").arg(inner.toString());
        return date;
    }
    if (tag == DateTimeTag && inner.typeId() == QMetaType::QString) {
        const QDateTime dateTime = parseDateTimeText(inner.toString());
        if (!dateTime.isValid() && error)
            *error = QStringLiteral("invalid date-time \"%1\"").arg(inner.toString());
        return dateTime;
    }
    return inner; // unknown tags are transparent
}

bool tooDeep(const DecodeLimits &limits, int depth, QString *error)
{
    if (depth < limits.maxDepth)
        return false;
    if (error)
        *error = QStringLiteral("values nested too deeply");
    return true;
}

// Containers recurse, each level one deeper, so the depth limit also bounds the stack.
QVariant readValueAt(QCborStreamReader &reader, QString *error, DecodeLimits &limits, int depth)
{
    if (!limits.charge(DecodeLimits::ValueCost, error))
        return {};
    switch (reader.type()) {
    case QCborStreamReader::UnsignedInteger: {
        const quint64 n = reader.toUnsignedInteger();
        reader.next();
        if (n > quint64(std::numeric_limits<qint64>::max()))
            return double(n);
        return qint64(n);
    }
    case QCborStreamReader::NegativeInteger: {
        const quint64 magnitude = quint64(reader.toNegativeInteger());
        reader.next();
        if (magnitude > quint64(std::numeric_limits<qint64>::max()) + 1)
            return -double(magnitude);
        return qint64(-1) - qint64(magnitude - 1);
    }
    case QCborStreamReader::ByteArray:
        return readBytes(reader, error, limits);
    case QCborStreamReader::String:
        return readText(reader, error, limits);
    case QCborStreamReader::Array: {
        if (tooDeep(limits, depth, error))
            return {};
        QVariantList list;
        reader.enterContainer();
        while (reader.hasNext() && !failed(reader, error))
            list.append(readValueAt(reader, error, limits, depth + 1));
        if (failed(reader, error))
            return {};
        reader.leaveContainer();
        return list;
    }
    case QCborStreamReader::Map: {
        if (tooDeep(limits, depth, error))
            return {};
        QVariantMap map;
        reader.enterContainer();
        while (reader.hasNext() && !failed(reader, error)) {
            const QVariant key = readValueAt(reader, error, limits, depth + 1);
            if (failed(reader, error) || !reader.hasNext())
                break;
            map.insert(key.toString(), readValueAt(reader, error, limits, depth + 1));
        }
        if (failed(reader, error))
            return {};
        reader.leaveContainer();
        return map;
    }
    case QCborStreamReader::Tag:
        if (tooDeep(limits, depth, error))
            return {};
        return readTagged(reader, error, limits, depth + 1);
    case QCborStreamReader::SimpleType: {
        QVariant result;
        if (reader.isTrue())
            result = true;
        else if (reader.isFalse())
            result = false;
        reader.next();
        return result;
    }
    case QCborStreamReader::Float16: {
        const double d = double(float(reader.toFloat16()));
        reader.next();
        return d;
    }
    case QCborStreamReader::Float: {
        const double d = double(reader.toFloat());
        reader.next();
        return d;
    }
    case QCborStreamReader::Double: {
        const double d = reader.toDouble();
        reader.next();
        return d;
    }
    case QCborStreamReader::Invalid:
        break;
    }
    if (error && error->isEmpty())
        *error = reader.lastError() != QCborError::NoError
                     ? reader.lastError().toString()
                     : QStringLiteral("unexpected end of data");
    return {};
}

} // namespace

QString typeName(ValueType type)
{
    for (const auto &entry : typeNames)
        if (entry.type == type)
            return QString::fromLatin1(entry.name);
    return QStringLiteral("unknown");
}

ValueType typeFromName(QStringView name)
{
    for (const auto &entry : typeNames)
        if (name.compare(QLatin1StringView(entry.name), Qt::CaseInsensitive) == 0)
            return entry.type;
    return ValueType::Unknown;
}

QString dateTimeText(const QDateTime &dateTime)
{
    const QTime time = dateTime.time();
    return dateTime.toString(time.msec() ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                         : QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QDateTime parseDateTimeText(QStringView text)
{
    if (text.size() < 10)
        return {};
    const QDate date = QDate::fromString(text.left(10).toString(), Qt::ISODate);
    if (!date.isValid())
        return {};
    QStringView rest = text.mid(10);
    if (rest.isEmpty())
        return QDateTime(date, QTime(0, 0));
    if (rest.front() != u'T' && rest.front() != u' ')
        return {};
    rest = rest.mid(1);
    // Drop a zone designator: the protocol carries wall-clock times.
    if (rest.endsWith(u'Z') || rest.endsWith(u'z'))
        rest.chop(1);
    else if (rest.size() > 6 && (rest[rest.size() - 6] == u'+' || rest[rest.size() - 6] == u'-'))
        rest.chop(6);
    QTime time = QTime::fromString(rest.toString(), Qt::ISODateWithMs);
    if (!time.isValid())
        time = QTime::fromString(rest.toString(), QStringLiteral("H:m:s"));
    if (!time.isValid())
        time = QTime::fromString(rest.toString(), QStringLiteral("H:m"));
    if (!time.isValid())
        return {};
    return QDateTime(date, time);
}

void writeValue(CborWriter &writer, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        writer.appendNull();
        return;
    case QMetaType::Bool:
        writer.append(value.toBool());
        return;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Long:
    case QMetaType::LongLong:
        writer.append(qint64(value.toLongLong()));
        return;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        writer.append(quint64(value.toULongLong()));
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        writer.append(value.toDouble());
        return;
    case QMetaType::QString:
        writer.append(value.toString());
        return;
    case QMetaType::QByteArray:
        writer.append(value.toByteArray());
        return;
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        if (!date.isValid()) {
            writer.appendNull();
            return;
        }
        writer.append(DateTag);
        writer.append(date.toString(Qt::ISODate));
        return;
    }
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        if (!dateTime.isValid()) {
            writer.appendNull();
            return;
        }
        writer.append(DateTimeTag);
        writer.append(dateTimeText(dateTime));
        return;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        const QVariantList list = value.toList();
        writer.startArray(quint64(list.size()));
        for (const QVariant &item : list)
            writeValue(writer, item);
        writer.endArray();
        return;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        writer.startMap(quint64(map.size()));
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            writer.append(it.key());
            writeValue(writer, it.value());
        }
        writer.endMap();
        return;
    }
    default:
        writer.append(value.toString());
        return;
    }
}

bool DecodeLimits::charge(qint64 bytes, QString *error)
{
    usedBytes += bytes;
    if (usedBytes <= maxBytes)
        return true;
    exceeded = true;
    if (error && error->isEmpty())
        *error = QStringLiteral("the message would take more than %1 MiB of memory once read")
                     .arg(qMax<qint64>(maxBytes >> 20, 1));
    return false;
}

QVariant readValue(QCborStreamReader &reader, QString *error, DecodeLimits &limits)
{
    return readValueAt(reader, error, limits, 0);
}

QVariant readValue(QCborStreamReader &reader, QString *error)
{
    DecodeLimits limits;
    return readValueAt(reader, error, limits, 0);
}

QVariant normalized(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Nullptr:
        return {};
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Long:
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return qint64(value.toLongLong());
    case QMetaType::Float:
        return value.toDouble();
    default:
        return value;
    }
}

} // namespace wire
