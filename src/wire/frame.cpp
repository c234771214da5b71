#include "wire/frame.h"

#include <QCborParserError>
#include <QCborValue>

namespace wire {

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

FrameReader::Status FrameReader::next(QCborMap &message, QString *error)
{
    if (m_buffer.size() < FrameHeaderSize)
        return Status::NeedMore;
    const auto *p = reinterpret_cast<const unsigned char *>(m_buffer.constData());
    const uint32_t size = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    if (size > m_maxFrameSize) {
        if (error)
            *error = QStringLiteral("frame of %1 bytes exceeds the limit of %2 bytes")
                         .arg(size)
                         .arg(m_maxFrameSize);
        return Status::TooLarge;
    }
    if (m_buffer.size() - FrameHeaderSize < qsizetype(size))
        return Status::NeedMore;

    const QByteArray payload = m_buffer.mid(FrameHeaderSize, size);
    m_buffer.remove(0, FrameHeaderSize + size);

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
