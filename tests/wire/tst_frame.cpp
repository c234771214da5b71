// Framing must survive any split of the byte stream and refuse what it cannot trust.
#include "wire/frame.h"

#include <QCborArray>
#include <QCborValue>

#include <gtest/gtest.h>

namespace {

QCborMap sample(int id)
{
    QCborMap map;
    map[QStringLiteral("id")] = id;
    map[QStringLiteral("op")] = QStringLiteral("open");
    map[QStringLiteral("text")] = QStringLiteral("select * from HP where PM = '螺丝'");
    return map;
}

} // namespace

TEST(Frame, RoundTripsAcrossEverySplitPoint)
{
    const QByteArray stream = wire::encodeFrame(sample(1)) + wire::encodeFrame(sample(2));
    for (qsizetype split = 0; split <= stream.size(); ++split) {
        wire::FrameReader reader;
        QList<QCborMap> frames;
        for (const QByteArray &piece : {stream.left(split), stream.mid(split)}) {
            reader.append(piece);
            QCborMap frame;
            while (reader.next(frame) == wire::FrameReader::Status::Frame)
                frames.append(frame);
        }
        ASSERT_EQ(frames.size(), 2) << "split at " << split;
        EXPECT_EQ(frames[0], sample(1));
        EXPECT_EQ(frames[1], sample(2));
        EXPECT_EQ(reader.buffered(), 0);
    }
}

TEST(Frame, AnnouncedLengthAboveTheCapIsRefusedBeforeBuffering)
{
    wire::FrameReader reader(1024);
    reader.append(QByteArray::fromHex("7fffffff"));
    QCborMap frame;
    QString error;
    EXPECT_EQ(reader.next(frame, &error), wire::FrameReader::Status::TooLarge);
    EXPECT_TRUE(error.contains(QStringLiteral("exceeds")));
}

TEST(Frame, GarbagePayloadIsMalformedAndTheStreamStaysInStep)
{
    const QByteArray garbage = QByteArray::fromHex("00000003ffffff");
    QCborArray array;
    array.append(1);
    const QByteArray payload = QCborValue(array).toCbor();
    const QByteArray notAMap = QByteArray::fromHex("000000") + char(payload.size()) + payload;

    wire::FrameReader reader;
    reader.append(garbage + notAMap + wire::encodeFrame(sample(7)));
    QCborMap frame;
    EXPECT_EQ(reader.next(frame), wire::FrameReader::Status::Malformed);
    EXPECT_EQ(reader.next(frame), wire::FrameReader::Status::Malformed);
    ASSERT_EQ(reader.next(frame), wire::FrameReader::Status::Frame);
    EXPECT_EQ(frame, sample(7));
    EXPECT_EQ(reader.next(frame), wire::FrameReader::Status::NeedMore);
}

TEST(Frame, TheRoomOfALargeFrameIsGivenBackOnceItIsTaken)
{
    QCborMap large = sample(1);
    large[QStringLiteral("text")] = QString(3 << 20, QLatin1Char('x'));
    const QByteArray frame = wire::encodeFrame(large);
    wire::FrameReader reader;
    // In pieces, as a socket delivers it: the whole room is taken at the header, not in steps.
    for (qsizetype at = 0; at < frame.size(); at += 64 * 1024)
        reader.append(frame.mid(at, 64 * 1024));
    QCborMap decoded;
    ASSERT_EQ(reader.next(decoded), wire::FrameReader::Status::Frame);
    EXPECT_EQ(decoded, large);
    EXPECT_EQ(reader.buffered(), 0);
    EXPECT_LE(reader.capacity(), 1024 * 1024) << "an idle connection keeps a large buffer";

    // Small frames keep their room, for the next.
    reader.append(wire::encodeFrame(sample(2)));
    ASSERT_EQ(reader.next(decoded), wire::FrameReader::Status::Frame);
    EXPECT_GT(reader.capacity(), 0);
}
