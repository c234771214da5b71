// Framing of the wire protocol: a 4-byte big-endian length followed by one CBOR map.
#pragma once

#include <QByteArray>
#include <QCborMap>
#include <QString>

#include <cstdint>

namespace wire {

// Frames above this size are refused by both ends; a peer announcing one is cut off.
constexpr uint32_t DefaultMaxFrameSize = 64u * 1024u * 1024u;
constexpr int FrameHeaderSize = 4;

QByteArray encodeFrame(const QCborMap &message);

// Reassembles frames from a byte stream that arrives in arbitrary pieces.
class FrameReader
{
public:
    enum class Status {
        NeedMore, // no complete frame buffered yet
        Frame,    // one frame decoded into the output map
        TooLarge, // the announced length exceeds the cap; the stream cannot be trusted any more
        Malformed // the frame's payload is not one CBOR map; the stream stays in step
    };

    explicit FrameReader(uint32_t maxFrameSize = DefaultMaxFrameSize)
        : m_maxFrameSize(maxFrameSize)
    {}

    void append(const char *data, qsizetype size);
    void append(const QByteArray &data) { append(data.constData(), data.size()); }

    // Takes the next frame out of the buffer. On Malformed, error names the problem.
    Status next(QCborMap &message, QString *error = nullptr);
    // Takes the next frame's payload out of the buffer without decoding it (never Malformed).
    Status nextPayload(QByteArray &payload, QString *error = nullptr);

    qsizetype buffered() const { return m_buffer.size() - m_start; }
    // The room the buffer has taken, filled or not.
    qsizetype capacity() const { return m_buffer.capacity(); }
    // Length announced by the frame whose header is buffered, or -1.
    qint64 pendingFrameSize() const;

private:
    QByteArray m_buffer;
    qsizetype m_start = 0; // consumed bytes at the front, dropped lazily
    uint32_t m_maxFrameSize;
};

} // namespace wire
