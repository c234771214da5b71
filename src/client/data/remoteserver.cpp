// The packet writer: rows of a provider's packet go straight into the record store.
#include "client/data/remoteserver.h"

#include "client/data/recordstore.h"

using DataInternal::Storage;

TRequestResult TCustomRemoteServer::ApplyParts(const QList<TRequestPart> &)
{
    throw EDatabaseError(
        QStringLiteral("This server cannot store several change logs in one request"));
}

TPacketWriter::TPacketWriter(DataInternal::RecordStore &store, QList<int> columnMap)
    : m_store(store)
    , m_columnMap(std::move(columnMap))
{}

int TPacketWriter::target(int column) const
{
    if (m_slot < 0)
        throw EDatabaseError(QStringLiteral("A packet row was written before it was begun"));
    return column >= 0 && column < m_columnMap.size() ? m_columnMap[column] : -1;
}

void TPacketWriter::BeginRow()
{
    m_slot = m_store.newSlot();
    if (m_slots)
        m_slots->push_back(m_slot);
}

void TPacketWriter::EndRow()
{
    m_slot = -1;
    ++m_rows;
}

void TPacketWriter::SetNull(int column)
{
    const int c = target(column);
    if (c >= 0)
        m_store.setNull(c, m_slot);
}

void TPacketWriter::SetInteger(int column, qint64 value)
{
    const int c = target(column);
    if (c < 0)
        return;
    switch (m_store.kind(c)) {
    case Storage::Int32:
        m_store.setInt32(c, m_slot, qint32(value));
        break;
    case Storage::Int64:
        m_store.setInt64(c, m_slot, value);
        break;
    case Storage::Double:
        m_store.setFloat64(c, m_slot, double(value));
        break;
    case Storage::Bool:
        m_store.setBoolean(c, m_slot, value != 0);
        break;
    default:
        m_store.setValue(c, m_slot, QVariant(value));
        break;
    }
}

void TPacketWriter::SetFloat(int column, double value)
{
    const int c = target(column);
    if (c < 0)
        return;
    if (m_store.kind(c) == Storage::Double)
        m_store.setFloat64(c, m_slot, value);
    else
        m_store.setValue(c, m_slot, QVariant(value));
}

void TPacketWriter::SetBoolean(int column, bool value)
{
    const int c = target(column);
    if (c < 0)
        return;
    if (m_store.kind(c) == Storage::Bool)
        m_store.setBoolean(c, m_slot, value);
    else
        m_store.setValue(c, m_slot, QVariant(value));
}

void TPacketWriter::SetText(int column, QStringView value)
{
    const int c = target(column);
    if (c < 0)
        return;
    if (m_store.kind(c) == Storage::Text)
        m_store.setText(c, m_slot, value);
    else if (!m_store.setValue(c, m_slot, QVariant(value.toString())))
        m_store.setNull(c, m_slot);
}

void TPacketWriter::SetUtf8(int column, const char *data, qsizetype size)
{
    const int c = target(column);
    if (c < 0)
        return;
    if (m_store.kind(c) == Storage::Text)
        m_store.setUtf8(c, m_slot, data, size);
    else if (!m_store.setValue(c, m_slot, QVariant(QString::fromUtf8(data, size))))
        m_store.setNull(c, m_slot);
}

void TPacketWriter::SetDate(int column, QDate value)
{
    const int c = target(column);
    if (c < 0)
        return;
    if (!value.isValid())
        m_store.setNull(c, m_slot);
    else if (m_store.kind(c) == Storage::Date)
        m_store.setInt32(c, m_slot, qint32(value.toJulianDay()));
    else
        m_store.setValue(c, m_slot, QVariant(value));
}

void TPacketWriter::SetTime(int column, QTime value)
{
    const int c = target(column);
    if (c < 0)
        return;
    if (!value.isValid())
        m_store.setNull(c, m_slot);
    else if (m_store.kind(c) == Storage::Time)
        m_store.setInt32(c, m_slot, value.msecsSinceStartOfDay());
    else
        m_store.setValue(c, m_slot, QVariant(value));
}

void TPacketWriter::SetDateTime(int column, const QDateTime &value)
{
    const int c = target(column);
    if (c < 0)
        return;
    if (!value.isValid())
        m_store.setNull(c, m_slot);
    else if (m_store.kind(c) == Storage::DateTime)
        m_store.setInt64(c, m_slot, DataInternal::packDateTime(value));
    else
        m_store.setValue(c, m_slot, QVariant(value));
}

void TPacketWriter::SetBlob(int column, const QByteArray &value)
{
    const int c = target(column);
    if (c < 0)
        return;
    if (m_store.kind(c) == Storage::Blob)
        m_store.setBlob(c, m_slot, value);
    else
        m_store.setValue(c, m_slot, QVariant(value));
}

void TPacketWriter::SetValue(int column, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        SetNull(column);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        SetInteger(column, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        SetFloat(column, value.toDouble());
        break;
    case QMetaType::Bool:
        SetBoolean(column, value.toBool());
        break;
    case QMetaType::QString:
        SetText(column, value.toString());
        break;
    case QMetaType::QDate:
        SetDate(column, value.toDate());
        break;
    case QMetaType::QTime:
        SetTime(column, value.toTime());
        break;
    case QMetaType::QDateTime:
        SetDateTime(column, value.toDateTime());
        break;
    case QMetaType::QByteArray:
        SetBlob(column, value.toByteArray());
        break;
    default: {
        const int c = target(column);
        if (c >= 0 && !m_store.setValue(c, m_slot, value))
            m_store.setNull(c, m_slot);
        break;
    }
    }
}
