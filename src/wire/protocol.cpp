#include "wire/protocol.h"

#include "wire/frame.h"

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

// Reads one cell of a row into the sink. Cells hold scalars only.
bool readCell(QCborStreamReader &reader, int column, RowSink &sink, QByteArray &buffer,
              QString *error)
{
    switch (reader.type()) {
    case QCborStreamReader::UnsignedInteger:
    case QCborStreamReader::NegativeInteger: {
        const QVariant n = readValue(reader, error);
        if (n.typeId() == QMetaType::Double)
            sink.setFloat(column, n.toDouble());
        else
            sink.setInteger(column, n.toLongLong());
        return true;
    }
    case QCborStreamReader::Float16:
    case QCborStreamReader::Float:
    case QCborStreamReader::Double:
        sink.setFloat(column, readValue(reader, error).toDouble());
        return true;
    case QCborStreamReader::SimpleType:
        if (reader.isTrue() || reader.isFalse())
            sink.setBoolean(column, reader.isTrue());
        else
            sink.setNull(column);
        reader.next();
        return true;
    case QCborStreamReader::String: {
        buffer.resize(0);
        QCborStreamReader::StringResult<qsizetype> chunk;
        do {
            const qsizetype have = buffer.size();
            const qsizetype size = reader.currentStringChunkSize();
            buffer.resize(have + qMax<qsizetype>(size, 0));
            chunk = reader.readStringChunk(buffer.data() + have, size);
            buffer.resize(have + (chunk.status == QCborStreamReader::Ok ? chunk.data : 0));
        } while (chunk.status == QCborStreamReader::Ok);
        if (chunk.status == QCborStreamReader::Error)
            return false;
        sink.setText(column, buffer.constData(), buffer.size());
        return true;
    }
    case QCborStreamReader::ByteArray:
        sink.setBlob(column, readValue(reader, error).toByteArray());
        return true;
    case QCborStreamReader::Tag: {
        const QVariant value = readValue(reader, error);
        if (value.typeId() == QMetaType::QDate)
            sink.setDate(column, value.toDate());
        else if (value.typeId() == QMetaType::QDateTime)
            sink.setDateTime(column, value.toDateTime());
        else if (value.typeId() == QMetaType::QString)
            sink.setText(column, value.toString().toUtf8().constData(),
                         value.toString().toUtf8().size());
        else if (!value.isValid())
            sink.setNull(column);
        else
            sink.setFloat(column, value.toDouble());
        return true;
    }
    default:
        if (error->isEmpty())
            *error = QStringLiteral("a row holds a value that fits no column");
        return false;
    }
}

// Reads an array of arrays into the sink without building a nested variant per row.
bool readRows(QCborStreamReader &reader, RowSink &sink, QString *error)
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
            if (!readCell(reader, column, sink, buffer, error))
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
    return map;
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
    map.insert(key::Index, error.index);
    map.insert(key::Kind, changeKindName(error.kind));
    map.insert(key::Code, error.code);
    map.insert(key::Message, error.message);
    if (!error.current.isEmpty())
        map.insert(key::Current, error.current);
    return map;
}

RowError rowErrorFromMap(const QVariantMap &map)
{
    RowError error;
    error.index = map.value(key::Index).toInt();
    error.kind = changeKindFromName(map.value(key::Kind).toString()).value_or(ChangeKind::Insert);
    error.code = map.value(key::Code).toString();
    error.message = map.value(key::Message).toString();
    error.current = map.value(key::Current).toMap();
    return error;
}

bool decodeMessage(const QByteArray &payload, Message &message, QString *error, RowSink *rowSink)
{
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
        const QString name = readValue(reader, &problem).toString();
        if (readFailed(reader, &problem) || !reader.hasNext())
            break;
        if (name == key::Rows) {
            if (!readRows(reader, rowSink ? *rowSink : rows, &problem))
                break;
        } else {
            message.values.insert(name, readValue(reader, &problem));
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
    *error = QStringLiteral("malformed message: %1").arg(problem);
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
