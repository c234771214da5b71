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

// Reads an array of arrays into rows without building a nested variant per row.
bool readRows(QCborStreamReader &reader, QList<Row> &rows, QString *error)
{
    if (!reader.isArray()) {
        *error = QStringLiteral("\"rows\" is not an array");
        return false;
    }
    if (reader.isLengthKnown())
        rows.reserve(qsizetype(qMin<quint64>(reader.length(), 1u << 20)));
    reader.enterContainer();
    while (reader.hasNext() && !readFailed(reader, error)) {
        if (!reader.isArray()) {
            *error = QStringLiteral("a row is not an array");
            return false;
        }
        Row row;
        if (reader.isLengthKnown())
            row.reserve(qsizetype(qMin<quint64>(reader.length(), 4096)));
        reader.enterContainer();
        while (reader.hasNext() && !readFailed(reader, error))
            row.append(readValue(reader, error));
        if (readFailed(reader, error))
            return false;
        reader.leaveContainer();
        rows.append(std::move(row));
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

bool decodeMessage(const QByteArray &payload, Message &message, QString *error)
{
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
            if (!readRows(reader, message.rows, &problem))
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
{
    m_frame.reserve(256);
    m_frame.append(FrameHeaderSize, '\0');
    m_device.setBuffer(&m_frame);
    m_device.open(QIODevice::WriteOnly | QIODevice::Append);
    m_writer = std::make_unique<QCborStreamWriter>(&m_device);
    m_writer->startMap();
}

FrameBuilder::~FrameBuilder() = default;

void FrameBuilder::add(QLatin1StringView name, const QVariant &value)
{
    m_writer->append(name);
    writeValue(*m_writer, value);
}

void FrameBuilder::addKey(QLatin1StringView name)
{
    m_writer->append(name);
}

QByteArray FrameBuilder::finish()
{
    m_writer->endMap();
    m_writer.reset();
    m_device.close();
    const auto size = uint32_t(m_frame.size() - FrameHeaderSize);
    m_frame[0] = char(size >> 24);
    m_frame[1] = char(size >> 16);
    m_frame[2] = char(size >> 8);
    m_frame[3] = char(size);
    return std::move(m_frame);
}

} // namespace wire
