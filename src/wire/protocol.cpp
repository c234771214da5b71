// Operation and key names of the wire protocol and the structures replies carry.
#include "wire/protocol.h"

#include "wire/frame.h"

#include <limits>

namespace wire {

namespace {

bool readFailed(QCborStreamReader &reader, QString *error)
{
    if (!error->isEmpty())
        return true;
    if (reader.lastError() != QCborError::NoError) {
        *error = reader.lastError().toString();
        return true;
    }
    return false;
}

// Reads a text or byte string, in however many chunks it comes, into buffer; each chunk is
// counted (as text, two bytes per byte) before room is made for it.
bool readStringInto(QCborStreamReader &reader, QByteArray &buffer, DecodeLimits &limits,
                    QString *error)
{
    buffer.resize(0);
    QCborStreamReader::StringResult<qsizetype> chunk;
    do {
        const qsizetype have = buffer.size();
        const qsizetype size = qMax<qsizetype>(reader.currentStringChunkSize(), 0);
        if (!limits.charge(2 * size, error))
            return false;
        buffer.resize(have + size);
        chunk = reader.readStringChunk(buffer.data() + have, size);
        buffer.resize(have + (chunk.status == QCborStreamReader::Ok ? chunk.data : 0));
    } while (chunk.status == QCborStreamReader::Ok);
    return chunk.status != QCborStreamReader::Error;
}

// "d" digits at text[from...] as a number; -1 when one of them is no digit.
int digitsAt(const char *text, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The canonical forms the server writes, without a detour through QString: "YYYY-MM-DD"
// and "YYYY-MM-DDTHH:MM:SS"; anything else goes the general way.
QDate parseDate(const QByteArray &text)
{
    const char *t = text.constData();
    if (text.size() == 10 && t[4] == '-' && t[7] == '-') {
        const int year = digitsAt(t, 0, 4), month = digitsAt(t, 5, 2), day = digitsAt(t, 8, 2);
        if (year >= 0 && month >= 0 && day >= 0)
            return QDate(year, month, day);
    }
    return QDate::fromString(QString::fromUtf8(text), Qt::ISODate);
}

QDateTime parseDateTime(const QByteArray &text)
{
    const char *t = text.constData();
    if (text.size() == 19 && t[10] == 'T' && t[13] == ':' && t[16] == ':') {
        const QDate date = parseDate(text.left(10));
        const int hour = digitsAt(t, 11, 2), minute = digitsAt(t, 14, 2),
                  second = digitsAt(t, 17, 2);
        if (date.isValid() && hour >= 0 && minute >= 0 && second >= 0)
            return QDateTime(date, QTime(hour, minute, second));
    }
    return parseDateTimeText(QString::fromUtf8(text));
}

// Reads one cell of a row into the sink. Cells hold scalars only; the common kinds are read
// straight from the stream, without a variant per value.
bool readCell(QCborStreamReader &reader, int column, RowSink &sink, QByteArray &buffer,
              DecodeLimits &limits, QString *error)
{
    if (!limits.charge(DecodeLimits::ValueCost, error))
        return false;
    switch (reader.type()) {
    case QCborStreamReader::UnsignedInteger: {
        const quint64 n = reader.toUnsignedInteger();
        reader.next();
        if (n > quint64(std::numeric_limits<qint64>::max()))
            sink.setFloat(column, double(n));
        else
            sink.setInteger(column, qint64(n));
        return true;
    }
    case QCborStreamReader::NegativeInteger: {
        const quint64 magnitude = quint64(reader.toNegativeInteger());
        reader.next();
        if (magnitude > quint64(std::numeric_limits<qint64>::max()) + 1)
            sink.setFloat(column, -double(magnitude));
        else
            sink.setInteger(column, qint64(-1) - qint64(magnitude - 1));
        return true;
    }
    case QCborStreamReader::Float16: {
        const double d = double(float(reader.toFloat16()));
        reader.next();
        sink.setFloat(column, d);
        return true;
    }
    case QCborStreamReader::Float: {
        const double d = double(reader.toFloat());
        reader.next();
        sink.setFloat(column, d);
        return true;
    }
    case QCborStreamReader::Double: {
        const double d = reader.toDouble();
        reader.next();
        sink.setFloat(column, d);
        return true;
    }
    case QCborStreamReader::SimpleType:
        if (reader.isTrue() || reader.isFalse())
            sink.setBoolean(column, reader.isTrue());
        else
            sink.setNull(column);
        reader.next();
        return true;
    case QCborStreamReader::String:
        if (!readStringInto(reader, buffer, limits, error))
            return false;
        sink.setText(column, buffer.constData(), buffer.size());
        return true;
    case QCborStreamReader::ByteArray:
        sink.setBlob(column, readValue(reader, error, limits).toByteArray());
        return true;
    case QCborStreamReader::Tag: {
        const QCborTag tag = reader.toTag();
        if (tag == DateTag || tag == DateTimeTag) {
            reader.next();
            if (reader.isString()) {
                if (!readStringInto(reader, buffer, limits, error))
                    return false;
                if (tag == DateTag) {
                    const QDate date = parseDate(buffer);
                    if (!date.isValid()) {
                        *error =
                            QStringLiteral("invalid date \"%1\"").arg(QString::fromUtf8(buffer));
                        return false;
                    }
                    sink.setDate(column, date);
                } else {
                    const QDateTime dateTime = parseDateTime(buffer);
                    if (!dateTime.isValid()) {
                        *error = QStringLiteral("invalid date-time \"%1\"")
                                     .arg(QString::fromUtf8(buffer));
                        return false;
                    }
                    sink.setDateTime(column, dateTime);
                }
                return true;
            }
        }
        // Other tags, and date tags on something else than text, are transparent.
        const QVariant value = readValue(reader, error, limits);
        switch (value.typeId()) {
        case QMetaType::QString: {
            const QByteArray utf8 = value.toString().toUtf8();
            sink.setText(column, utf8.constData(), utf8.size());
            break;
        }
        case QMetaType::QByteArray:
            sink.setBlob(column, value.toByteArray());
            break;
        case QMetaType::Bool:
            sink.setBoolean(column, value.toBool());
            break;
        case QMetaType::LongLong:
            sink.setInteger(column, value.toLongLong());
            break;
        case QMetaType::QDate:
            sink.setDate(column, value.toDate());
            break;
        case QMetaType::QDateTime:
            sink.setDateTime(column, value.toDateTime());
            break;
        default:
            if (value.isValid())
                sink.setFloat(column, value.toDouble());
            else
                sink.setNull(column);
            break;
        }
        return true;
    }
    default:
        if (error->isEmpty())
            *error = QStringLiteral("a row holds a value that fits no column");
        return false;
    }
}

// Reads an array of arrays into the sink without building a nested variant per row.
bool readRows(QCborStreamReader &reader, RowSink &sink, DecodeLimits &limits, QString *error)
{
    if (!reader.isArray()) {
        *error = QStringLiteral("\"rows\" is not an array");
        return false;
    }
    QByteArray buffer;
    reader.enterContainer();
    while (reader.hasNext() && !readFailed(reader, error)) {
        if (!reader.isArray()) {
            *error = QStringLiteral("a row is not an array");
            return false;
        }
        sink.beginRow();
        reader.enterContainer();
        for (int column = 0; reader.hasNext() && !readFailed(reader, error); ++column)
            if (!readCell(reader, column, sink, buffer, limits, error))
                break;
        if (readFailed(reader, error))
            return false;
        reader.leaveContainer();
        sink.endRow();
    }
    if (readFailed(reader, error))
        return false;
    reader.leaveContainer();
    return true;
}

// Reads an array of field maps into fields: every query's reply carries one, and a map per
// field costs more than the rows of a small result.
bool readFields(QCborStreamReader &reader, QList<Field> &fields, DecodeLimits &limits,
                QString *error)
{
    if (!reader.isArray()) {
        *error = QStringLiteral("\"fields\" is not an array");
        return false;
    }
    reader.enterContainer();
    while (reader.hasNext() && !readFailed(reader, error)) {
        if (!reader.isMap()) {
            *error = QStringLiteral("a field is not a map");
            return false;
        }
        if (!limits.charge(8 * DecodeLimits::ValueCost, error))
            return false;
        Field field;
        reader.enterContainer();
        while (reader.hasNext() && !readFailed(reader, error)) {
            const QString name = readValue(reader, error, limits).toString();
            if (readFailed(reader, error) || !reader.hasNext()) {
                if (error->isEmpty())
                    *error = QStringLiteral("a field's key has no value");
                return false;
            }
            const QVariant value = readValue(reader, error, limits);
            if (!error->isEmpty())
                return false;
            if (name == key::Name)
                field.name = value.toString();
            else if (name == key::Type)
                field.type = typeFromName(value.toString());
            else if (name == key::Size)
                field.size = value.toInt();
            else if (name == key::Table)
                field.table = value.toString();
            else if (name == key::Column)
                field.column = value.toString();
            else if (name == key::Key)
                field.key = value.toBool();
            else if (name == key::NotNull)
                field.notNull = value.toBool();
            else if (name == key::ReadOnly)
                field.readOnly = value.toBool();
            else if (name == key::Unique)
                field.unique = value.toBool();
        }
        if (readFailed(reader, error))
            return false;
        reader.leaveContainer();
        fields.append(std::move(field));
    }
    if (readFailed(reader, error))
        return false;
    reader.leaveContainer();
    return true;
}

} // namespace

QString changeKindName(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::Insert:
        return QStringLiteral("insert");
    case ChangeKind::Modify:
        return QStringLiteral("modify");
    case ChangeKind::Delete:
        return QStringLiteral("delete");
    }
    return {};
}

std::optional<ChangeKind> changeKindFromName(QStringView name)
{
    for (ChangeKind kind : {ChangeKind::Insert, ChangeKind::Modify, ChangeKind::Delete})
        if (name.compare(changeKindName(kind), Qt::CaseInsensitive) == 0)
            return kind;
    return std::nullopt;
}

QVariantMap toMap(const Field &field)
{
    QVariantMap map;
    map.insert(key::Name, field.name);
    map.insert(key::Type, typeName(field.type));
    map.insert(key::Size, field.size);
    if (!field.table.isEmpty()) {
        map.insert(key::Table, field.table);
        map.insert(key::Column, field.column);
    }
    map.insert(key::Key, field.key);
    map.insert(key::NotNull, field.notNull);
    map.insert(key::ReadOnly, field.readOnly);
    map.insert(key::Unique, field.unique);
    return map;
}

void writeFields(CborWriter &writer, const QList<Field> &fields)
{
    writer.startArray(quint64(fields.size()));
    for (const Field &field : fields) {
        const bool hasTable = !field.table.isEmpty();
        writer.startMap(hasTable ? 9 : 7);
        writer.append(key::Name);
        writer.append(field.name);
        writer.append(key::Type);
        writer.append(typeName(field.type));
        writer.append(key::Size);
        writer.append(qint64(field.size));
        if (hasTable) {
            writer.append(key::Table);
            writer.append(field.table);
            writer.append(key::Column);
            writer.append(field.column);
        }
        writer.append(key::Key);
        writer.append(field.key);
        writer.append(key::NotNull);
        writer.append(field.notNull);
        writer.append(key::ReadOnly);
        writer.append(field.readOnly);
        writer.append(key::Unique);
        writer.append(field.unique);
        writer.endMap();
    }
    writer.endArray();
}

Field fieldFromMap(const QVariantMap &map)
{
    Field field;
    field.name = map.value(key::Name).toString();
    field.type = typeFromName(map.value(key::Type).toString());
    field.size = map.value(key::Size).toInt();
    field.table = map.value(key::Table).toString();
    field.column = map.value(key::Column).toString();
    field.key = map.value(key::Key).toBool();
    field.notNull = map.value(key::NotNull).toBool();
    field.readOnly = map.value(key::ReadOnly).toBool();
    field.unique = map.value(key::Unique).toBool();
    return field;
}

QVariantMap toMap(const Change &change)
{
    QVariantMap map;
    map.insert(key::Kind, changeKindName(change.kind));
    if (change.kind != ChangeKind::Insert)
        map.insert(key::Old, change.oldValues);
    if (change.kind != ChangeKind::Delete)
        map.insert(key::New, change.newValues);
    return map;
}

std::optional<Change> changeFromMap(const QVariantMap &map)
{
    const auto kind = changeKindFromName(map.value(key::Kind).toString());
    if (!kind)
        return std::nullopt;
    Change change;
    change.kind = *kind;
    change.oldValues = map.value(key::Old).toMap();
    change.newValues = map.value(key::New).toMap();
    return change;
}

QVariantMap toMap(const RowError &error)
{
    QVariantMap map;
    if (error.part >= 0)
        map.insert(key::Part, error.part);
    if (error.index >= 0) {
        map.insert(key::Index, error.index);
        map.insert(key::Kind, changeKindName(error.kind));
    }
    map.insert(key::Code, error.code);
    map.insert(key::Message, error.message);
    if (!error.current.isEmpty())
        map.insert(key::Current, error.current);
    return map;
}

RowError rowErrorFromMap(const QVariantMap &map)
{
    RowError error;
    error.part = map.value(key::Part, -1).toInt();
    error.index = map.value(key::Index, -1).toInt();
    error.kind = changeKindFromName(map.value(key::Kind).toString()).value_or(ChangeKind::Insert);
    error.code = map.value(key::Code).toString();
    error.message = map.value(key::Message).toString();
    error.current = map.value(key::Current).toMap();
    return error;
}

QVariantMap toMap(const InsertedRow &row)
{
    QVariantMap map;
    if (row.part >= 0)
        map.insert(key::Part, row.part);
    map.insert(key::Index, row.index);
    map.insert(key::Key, row.key);
    return map;
}

InsertedRow insertedRowFromMap(const QVariantMap &map)
{
    InsertedRow row;
    row.part = map.value(key::Part, -1).toInt();
    row.index = map.value(key::Index, -1).toInt();
    row.key = map.value(key::Key).toMap();
    return row;
}

QVariantMap toMap(const TransactPart &part)
{
    QVariantMap map;
    if (part.kind == TransactPart::Kind::Apply) {
        map.insert(key::Kind, QString(op::Apply));
        map.insert(key::Provider, part.provider);
        if (!part.text.isEmpty())
            map.insert(key::Text, part.text);
        QVariantList changes;
        changes.reserve(part.changes.size());
        for (const Change &change : part.changes)
            changes.append(toMap(change));
        map.insert(key::Changes, changes);
    } else if (part.kind == TransactPart::Kind::Query) {
        map.insert(key::Kind, QString(op::Query));
        map.insert(key::Text, part.text);
    } else {
        map.insert(key::Kind, QString(op::Execute));
        map.insert(key::Text, part.text);
        if (part.expectRows >= 0)
            map.insert(key::ExpectRows, part.expectRows);
    }
    return map;
}

bool decodeMessage(const QByteArray &payload, Message &message, QString *error, RowSink *rowSink,
                   DecodeLimits *limits)
{
    DecodeLimits unlimited;
    DecodeLimits &bounds = limits ? *limits : unlimited;
    VariantRowSink rows(message.rows);
    QString problem;
    QCborStreamReader reader(payload);
    if (!reader.isMap()) {
        *error = QStringLiteral("malformed message: the payload is not a CBOR map");
        return false;
    }
    reader.enterContainer();
    while (reader.hasNext() && !readFailed(reader, &problem)) {
        if (!reader.isString()) {
            problem = QStringLiteral("a key is not a text");
            break;
        }
        const QString name = readValue(reader, &problem, bounds).toString();
        if (readFailed(reader, &problem) || !reader.hasNext())
            break;
        if (name == key::Rows) {
            if (!readRows(reader, rowSink ? *rowSink : rows, bounds, &problem))
                break;
        } else if (name == key::Fields) {
            if (!readFields(reader, message.fields, bounds, &problem))
                break;
        } else {
            message.values.insert(name, readValue(reader, &problem, bounds));
        }
    }
    if (problem.isEmpty() && reader.lastError() == QCborError::NoError) {
        reader.leaveContainer();
        if (reader.lastError() == QCborError::NoError && reader.currentOffset() == payload.size())
            return true;
        problem = reader.lastError() != QCborError::NoError
                      ? reader.lastError().toString()
                      : QStringLiteral("data after the message map");
    }
    if (problem.isEmpty())
        problem = reader.lastError().toString();
    *error = bounds.exceeded ? problem : QStringLiteral("malformed message: %1").arg(problem);
    return false;
}

FrameBuilder::FrameBuilder()
    : m_writer(m_frame)
{
    m_frame.reserve(256);
    m_frame.append(FrameHeaderSize, '\0');
    m_writer.startMap();
}

FrameBuilder::~FrameBuilder() = default;

void FrameBuilder::add(QLatin1StringView name, const QVariant &value)
{
    m_writer.append(name);
    writeValue(m_writer, value);
}

void FrameBuilder::addKey(QLatin1StringView name)
{
    m_writer.append(name);
}

QByteArray FrameBuilder::finish()
{
    m_writer.endMap();
    const auto size = uint32_t(m_frame.size() - FrameHeaderSize);
    m_frame[0] = char(size >> 24);
    m_frame[1] = char(size >> 16);
    m_frame[2] = char(size >> 8);
    m_frame[3] = char(size);
    return std::move(m_frame);
}

} // namespace wire
