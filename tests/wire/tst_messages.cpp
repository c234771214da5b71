// Typed values and messages must survive the trip through CBOR exactly, and decoding must
// refuse what is not a well-formed message without trusting announced sizes.
#include "wire/frame.h"
#include "wire/protocol.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>

#include <gtest/gtest.h>

#include <limits>

using namespace wire;

namespace {

QByteArray payloadOf(FrameBuilder &builder)
{
    return builder.finish().mid(FrameHeaderSize);
}

QVariant roundTrip(const QVariant &value)
{
    FrameBuilder builder;
    builder.add(key::Result, value);
    Message message;
    QString error;
    EXPECT_TRUE(decodeMessage(payloadOf(builder), message, &error)) << error.toStdString();
    return message.value(key::Result);
}

} // namespace

TEST(Values, EveryTypeRoundTripsWithItsType)
{
    const QVariant values[] = {
        QVariant(),
        QVariant(qint64(-9007199254740993LL)),
        QVariant(qint64(0)),
        QVariant(17.0), // stays a float although integral
        QVariant(0.1),
        QVariant(QStringLiteral("螺丝 O'Neil")),
        QVariant(QString()),
        QVariant(true),
        QVariant(false),
        QVariant(QDate(2024, 2, 29)),
        QVariant(QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7))),
        QVariant(QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7, 250))),
        QVariant(QByteArray("\x00\xff\x10", 3)),
    };
    for (const QVariant &value : values) {
        const QVariant back = roundTrip(value);
        EXPECT_EQ(back.typeId(), normalized(value).typeId()) << value.toString().toStdString();
        EXPECT_EQ(back, normalized(value)) << value.toString().toStdString();
    }
    EXPECT_EQ(roundTrip(42).typeId(), QMetaType::LongLong);
    EXPECT_EQ(roundTrip(QVariantList{1, QStringLiteral("a")}),
              QVariant(QVariantList{qint64(1), QStringLiteral("a")}));
}

TEST(Values, TheEncoderWritesStandardCborThatOtherDecodersRead)
{
    QByteArray bytes;
    CborWriter writer(bytes);
    writer.startArray(); // indefinite
    for (qint64 n : {qint64(0), qint64(23), qint64(24), qint64(255), qint64(256), qint64(65535),
                     qint64(65536), qint64(4294967295LL), qint64(4294967296LL), qint64(-1),
                     qint64(-25), qint64(-4294967297LL), std::numeric_limits<qint64>::min(),
                     std::numeric_limits<qint64>::max()})
        writer.append(n);
    writer.append(-0.5);
    writer.append(QString(300, QChar(u'字'))); // a text longer than 255 bytes
    writer.append(QByteArray(70000, 'b'));     // a byte string longer than 65535
    writer.startMap(1);
    writer.append(QLatin1StringView("k"));
    writer.appendNull();
    writer.endMap();
    writer.endArray();
    const QCborArray array = QCborValue::fromCbor(bytes).toArray();
    ASSERT_EQ(array.size(), 18);
    EXPECT_EQ(array[0].toInteger(), 0);
    EXPECT_EQ(array[8].toInteger(), 4294967296LL);
    EXPECT_EQ(array[11].toInteger(), -4294967297LL);
    EXPECT_EQ(array[12].toInteger(), std::numeric_limits<qint64>::min());
    EXPECT_EQ(array[13].toInteger(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(array[14].toDouble(), -0.5);
    EXPECT_EQ(array[15].toString().size(), 300);
    EXPECT_EQ(array[16].toByteArray().size(), 70000);
    EXPECT_TRUE(array[17].toMap().value(QStringLiteral("k")).isNull());
}

TEST(Values, DatesAndDateTimesUseTheirTagsAndWallClockText)
{
    FrameBuilder builder;
    builder.add(key::Result, QDate(2024, 3, 1));
    builder.add(key::Current, QDateTime(QDate(2024, 3, 1), QTime(10, 0), Qt::UTC));
    const QByteArray payload = payloadOf(builder);
    // tag 1004 + a 10-byte text; tag 0 + a 19-byte text without any zone offset
    EXPECT_TRUE(payload.contains(QByteArray("\xd9\x03\xec\x6a"
                                            "2024-03-01")));
    EXPECT_TRUE(payload.contains(QByteArray("\xc0\x73"
                                            "2024-03-01T10:00:00")));

    // A peer that sends an offset or a blank separator means the same wall-clock time.
    EXPECT_EQ(parseDateTimeText(u"2024-03-01T10:00:00+08:00"),
              QDateTime(QDate(2024, 3, 1), QTime(10, 0)));
    EXPECT_EQ(parseDateTimeText(u"2024-03-01 10:00:00Z"),
              QDateTime(QDate(2024, 3, 1), QTime(10, 0)));
    EXPECT_FALSE(parseDateTimeText(u"2024-03-01X10").isValid());
}

TEST(Messages, RowsDecodeApartFromTheOtherKeys)
{
    FrameBuilder builder;
    builder.add(key::Id, 7);
    builder.add(key::Ok, true);
    builder.addKey(key::Rows);
    builder.writer().startArray();
    for (int r = 0; r < 3; ++r) {
        builder.writer().startArray(2);
        writeValue(builder.writer(), r);
        writeValue(builder.writer(), QStringLiteral("行%1").arg(r));
        builder.writer().endArray();
    }
    builder.writer().endArray();
    builder.add(key::Eof, true);
    Message message;
    QString error;
    ASSERT_TRUE(decodeMessage(payloadOf(builder), message, &error)) << error.toStdString();
    EXPECT_EQ(message.value(key::Id).toInt(), 7);
    EXPECT_FALSE(message.has(key::Rows));
    ASSERT_EQ(message.rows.size(), 3);
    EXPECT_EQ(message.rows[2][1], QVariant(QStringLiteral("行2")));
    EXPECT_TRUE(message.value(key::Eof).toBool());
}

TEST(Messages, ChangesFieldsAndRowErrorsSurviveTheirMaps)
{
    const Change change{
        ChangeKind::Modify,
        {{QStringLiteral("ID"), qint64(1)}, {QStringLiteral("PM"), QStringLiteral("旧")}},
        {{QStringLiteral("PM"), QStringLiteral("新")}}};
    const auto back = changeFromMap(roundTrip(toMap(change)).toMap());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, ChangeKind::Modify);
    EXPECT_EQ(back->oldValues, change.oldValues);
    EXPECT_EQ(back->newValues, change.newValues);
    EXPECT_FALSE(changeFromMap({{QStringLiteral("kind"), QStringLiteral("upsert")}}));

    Field field;
    field.name = QStringLiteral("BH");
    field.type = ValueType::Text;
    field.size = 20;
    field.table = QStringLiteral("HP");
    field.column = QStringLiteral("BH");
    field.key = true;
    const Field fieldBack = fieldFromMap(roundTrip(toMap(field)).toMap());
    EXPECT_EQ(fieldBack.name, field.name);
    EXPECT_EQ(fieldBack.type, ValueType::Text);
    EXPECT_EQ(fieldBack.size, 20);
    EXPECT_EQ(fieldBack.table, QStringLiteral("HP"));
    EXPECT_TRUE(fieldBack.key);
    EXPECT_FALSE(fieldBack.readOnly);

    RowError error{3,
                   ChangeKind::Delete,
                   QString(code::Conflict),
                   QStringLiteral("changed"),
                   {{QStringLiteral("PM"), QStringLiteral("他的")}}};
    const RowError errorBack = rowErrorFromMap(roundTrip(toMap(error)).toMap());
    EXPECT_EQ(errorBack.index, 3);
    EXPECT_EQ(errorBack.kind, ChangeKind::Delete);
    EXPECT_EQ(errorBack.code, QStringLiteral("conflict"));
    EXPECT_EQ(errorBack.current.value(QStringLiteral("PM")), QVariant(QStringLiteral("他的")));
}

TEST(Messages, FieldsWrittenStraightOutDecodeAsTheirMaps)
{
    Field keyed;
    keyed.name = QStringLiteral("BH");
    keyed.type = ValueType::Text;
    keyed.size = 20;
    keyed.table = QStringLiteral("HP");
    keyed.column = QStringLiteral("BH");
    keyed.key = true;
    keyed.notNull = true;
    Field computed;
    computed.name = QStringLiteral("金额");
    computed.type = ValueType::Float;
    computed.readOnly = true;
    const QList<Field> fields{keyed, computed};

    FrameBuilder builder;
    builder.addKey(key::Fields);
    writeFields(builder.writer(), fields);
    Message message;
    QString error;
    ASSERT_TRUE(decodeMessage(payloadOf(builder), message, &error)) << error.toStdString();
    ASSERT_EQ(message.fields.size(), fields.size());
    for (int i = 0; i < fields.size(); ++i)
        EXPECT_EQ(toMap(message.fields[i]), toMap(fields[i]));
    EXPECT_FALSE(message.has(key::Fields));
}

TEST(Messages, RefusalsOfATransactNameTheirPartAndRowWhenTheyHaveOne)
{
    RowError row{2, ChangeKind::Insert, QString(code::Unique), QStringLiteral("duplicate"), {}, 1};
    const QVariantMap rowMap = roundTrip(toMap(row)).toMap();
    const RowError rowBack = rowErrorFromMap(rowMap);
    EXPECT_EQ(rowBack.part, 1);
    EXPECT_EQ(rowBack.index, 2);
    EXPECT_EQ(rowBack.kind, ChangeKind::Insert);

    // A statement's refusal has a part and no row.
    RowError statement;
    statement.part = 3;
    statement.code = code::Conflict;
    const QVariantMap statementMap = roundTrip(toMap(statement)).toMap();
    EXPECT_FALSE(statementMap.contains(key::Index));
    EXPECT_FALSE(statementMap.contains(key::Kind));
    const RowError statementBack = rowErrorFromMap(statementMap);
    EXPECT_EQ(statementBack.part, 3);
    EXPECT_EQ(statementBack.index, -1);

    // An apply's refused row has no part.
    RowError applied{0, ChangeKind::Modify, QString(code::Conflict), {}, {}};
    EXPECT_FALSE(toMap(applied).contains(key::Part));
    EXPECT_EQ(rowErrorFromMap(toMap(applied)).part, -1);
}

TEST(Messages, TransactPartsCarryWhatTheirKindNeeds)
{
    TransactPart apply;
    apply.kind = TransactPart::Kind::Apply;
    apply.provider = QStringLiteral("pCgsh");
    apply.changes = {Change{ChangeKind::Insert, {}, {{QStringLiteral("ID"), qint64(1)}}}};
    const QVariantMap applyMap = roundTrip(toMap(apply)).toMap();
    EXPECT_EQ(applyMap.value(key::Kind).toString(), QStringLiteral("apply"));
    EXPECT_EQ(applyMap.value(key::Provider).toString(), QStringLiteral("pCgsh"));
    EXPECT_FALSE(applyMap.contains(key::Text));
    ASSERT_EQ(applyMap.value(key::Changes).toList().size(), 1);
    EXPECT_FALSE(applyMap.contains(key::ExpectRows));

    TransactPart execute;
    execute.text = QStringLiteral("update MaxBillNo set MaxNo = 2 where MaxNo = 1");
    EXPECT_FALSE(toMap(execute).contains(key::ExpectRows)) << "no expectation by default";
    execute.expectRows = 0;
    const QVariantMap executeMap = roundTrip(toMap(execute)).toMap();
    EXPECT_EQ(executeMap.value(key::Kind).toString(), QStringLiteral("execute"));
    EXPECT_EQ(executeMap.value(key::ExpectRows).toLongLong(), 0);
    EXPECT_FALSE(executeMap.contains(key::Provider));
}

TEST(Messages, MalformedPayloadsAreRefused)
{
    Message message;
    QString error;
    const QByteArray cases[] = {
        QByteArray(),                                        // nothing
        QByteArray::fromHex("81 01"),                        // an array, not a map
        QByteArray::fromHex("a1 01 02"),                     // a key that is no text
        QByteArray::fromHex("a1 61 61"),                     // a key without its value
        QByteArray::fromHex("a1 61 61 7a ffffffff"),         // a text announcing 4 GiB
        QByteArray::fromHex("a1 61 61 9b ffffffffffffffff"), // an array announcing 2^64 items
        QByteArray::fromHex("a1 61 61 01 02"),               // data after the map
        QByteArray::fromHex("a1 64 726f7773 01"),            // rows that are not an array
        QByteArray::fromHex("a1 64 726f7773 81 01"),         // a row that is not an array
        QByteArray::fromHex("a1 66 6669656c6473 01"),        // fields that are not an array
        QByteArray::fromHex("a1 66 6669656c6473 81 01"),     // a field that is not a map
        QByteArray::fromHex("a1 66 6669656c6473 81 a1 64 6e616d65"), // a field key without value
        QByteArray::fromHex("a1 66 6669656c6473 81 a1 64 6e616d65 7a ffffffff"), // a 4 GiB name
        QByteArray(100000, char(0x81)) + QByteArray(1, char(0)), // nesting without end
    };
    for (const QByteArray &payload : cases) {
        message = {};
        error.clear();
        EXPECT_FALSE(decodeMessage(payload, message, &error))
            << payload.left(16).toHex().toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    // Nested a little deeper than values go: refused, not a crash.
    QByteArray deep = QByteArray::fromHex("a1 61 61");
    deep += QByteArray(40, char(0x81)) + QByteArray(1, char(0));
    EXPECT_FALSE(decodeMessage(deep, message, &error));
}

TEST(Messages, DecodingStopsAtTheMemoryLimitBeforeBuildingMore)
{
    // A request's size once decoded is bounded by what the reader may spend, whatever its size
    // on the wire: one-byte values, texts and bytes announced beyond the limit, rows.
    struct Case
    {
        const char *name;
        QByteArray payload;
    };
    const QByteArray head = QByteArray::fromHex("a2 626964 07 6461726773");
    const Case cases[] = {
        {"one-byte values", head + QByteArray::fromHex("9f") + QByteArray(100000, char(0)) +
                                QByteArray::fromHex("ff")},
        {"empty arrays", head + QByteArray::fromHex("9f") + QByteArray(100000, char(0x80)) +
                             QByteArray::fromHex("ff")},
        {"a text announcing 1 GiB", head + QByteArray::fromHex("7a 40000000 41")},
        {"bytes announcing 1 GiB", head + QByteArray::fromHex("5a 40000000 41")},
        {"many short texts", head + QByteArray::fromHex("9f") +
                                 QByteArray::fromHex("6161").repeated(50000) +
                                 QByteArray::fromHex("ff")},
        {"rows of one-byte cells",
         QByteArray::fromHex("a2 626964 07 64726f7773 9f") +
             (QByteArray::fromHex("8a") + QByteArray(10, char(1))).repeated(10000) +
             QByteArray::fromHex("ff")},
    };
    for (const Case &c : cases) {
        Message message;
        QString error;
        DecodeLimits limits;
        limits.maxBytes = 1 << 20;
        EXPECT_FALSE(decodeMessage(c.payload, message, &error, nullptr, &limits)) << c.name;
        EXPECT_TRUE(limits.exceeded) << c.name;
        EXPECT_TRUE(error.contains(QStringLiteral("1 MiB"))) << c.name << error.toStdString();
        EXPECT_EQ(message.value(key::Id).toLongLong(), 7) << c.name << ": the id is known";

        // Within a larger limit the same payloads are read, or refused as malformed only.
        Message unlimited;
        QString problem;
        DecodeLimits ample;
        const bool read = decodeMessage(c.payload, unlimited, &problem, nullptr, &ample);
        EXPECT_FALSE(ample.exceeded) << c.name;
        EXPECT_TRUE(read || problem.startsWith(QStringLiteral("malformed"))) << c.name;
    }

    // A usual request stays far within a small limit, and the count is near its real size.
    FrameBuilder builder;
    builder.add(key::Id, 1);
    builder.add(key::Op, QStringLiteral("open"));
    builder.add(key::Text, QStringLiteral("select * from HP where PM = '螺丝'"));
    Message message;
    QString error;
    DecodeLimits limits;
    limits.maxBytes = 4096;
    EXPECT_TRUE(decodeMessage(payloadOf(builder), message, &error, nullptr, &limits))
        << error.toStdString();
    EXPECT_GT(limits.usedBytes, 6 * DecodeLimits::ValueCost);
    EXPECT_LT(limits.usedBytes, 1024);
}
