// Length-prefixed frames of the wire protocol.
#include "wire/frame.h"

#include <QCborParserError>
#include <QCborValue>

namespace wire {

namespace {

constexpr qsizetype KeptCapacity = 1024 * 1024;

uint32_t readLength(const char *data)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

} // namespace

QByteArray encodeFrame(const QCborMap &message)
{
    const QByteArray payload = message.toCborValue().toCbor();
    const auto size = uint32_t(payload.size());
    QByteArray frame;
    frame.reserve(FrameHeaderSize + payload.size());
    frame.append(char(size >> 24));
    frame.append(char(size >> 16));
    frame.append(char(size >> 8));
    frame.append(char(size));
    frame.append(payload);
    return frame;
}

void FrameReader::append(const char *data, qsizetype size)
{
    // Drop consumed bytes before growing, so a long stream of small frames stays small.
    if (m_start > 0 && (m_start == m_buffer.size() || m_start > 64 * 1024)) {
        m_buffer.remove(0, m_start);
        m_start = 0;
    }
    m_buffer.append(data, size);
    // A large frame gets its room at once rather than in steps that each copy what came so far.
    const qint64 pending = pendingFrameSize();
    if (pending > 0 && pending <= m_maxFrameSize) {
        const qsizetype needed = m_start + FrameHeaderSize + qsizetype(pending);
        if (m_buffer.capacity() < needed)
            m_buffer.reserve(needed);
    }
}

qint64 FrameReader::pendingFrameSize() const
{
    if (buffered() < FrameHeaderSize)
        return -1;
    return readLength(m_buffer.constData() + m_start);
}

FrameReader::Status FrameReader::nextPayload(QByteArray &payload, QString *error)
{
    if (buffered() < FrameHeaderSize)
        return Status::NeedMore;
    const uint32_t size = readLength(m_buffer.constData() + m_start);
    if (size > m_maxFrameSize) {
        if (error)
            *error = QStringLiteral("frame of %1 bytes exceeds the limit of %2 bytes")
                         .arg(size)
                         .arg(m_maxFrameSize);
        return Status::TooLarge;
    }
    if (buffered() - FrameHeaderSize < qsizetype(size))
        return Status::NeedMore;
    payload = m_buffer.mid(m_start + FrameHeaderSize, size);
    m_start += FrameHeaderSize + size;
    if (m_start == m_buffer.size()) {
        // The room of a usual frame is kept for the next; that of a large one is given back,
        // or every connection that once received one would hold on to it.
        if (m_buffer.capacity() > KeptCapacity)
            m_buffer = QByteArray();
        else
            m_buffer.truncate(0);
        m_start = 0;
    }
    return Status::Frame;
}

FrameReader::Status FrameReader::next(QCborMap &message, QString *error)
{
    QByteArray payload;
    const Status status = nextPayload(payload, error);
    if (status != Status::Frame)
        return status;
    QCborParserError parseError;
    const QCborValue value = QCborValue::fromCbor(payload, &parseError);
    if (parseError.error != QCborError::NoError) {
        if (error)
            *error = QStringLiteral("malformed frame: %1").arg(parseError.errorString());
        return Status::Malformed;
    }
    if (!value.isMap()) {
        if (error)
            *error = QStringLiteral("malformed frame: the payload is not a map");
        return Status::Malformed;
    }
    message = value.toMap();
    return Status::Frame;
}

} // namespace wire
