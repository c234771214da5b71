// Typed values of the wire protocol: the eight kinds a column can hold and their CBOR form.
// On the C++ side a value is a QVariant: invalid for null, qint64, double, QString, bool,
// QDate, QDateTime or QByteArray.
#pragma once

#include "wire/cborwriter.h"

#include <QCborStreamReader>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <limits>

namespace wire {

enum class ValueType { Unknown, Integer, Float, Text, Boolean, Date, DateTime, Blob };

// "integer", "float", "text", "boolean", "date", "datetime", "blob" or "unknown".
QString typeName(ValueType type);
ValueType typeFromName(QStringView name);

// CBOR tags of dates (RFC 8943 full-date text) and date-times (RFC 3339 text, here always
// without a zone offset: the wall-clock time of the account set).
constexpr QCborTag DateTag = QCborTag(1004);
constexpr QCborTag DateTimeTag = QCborTag(0);

// "yyyy-MM-ddTHH:mm:ss", with ".zzz" only when there are milliseconds.
QString dateTimeText(const QDateTime &dateTime);
// Accepts "yyyy-MM-dd[THH:mm[:ss[.zzz]]]" with 'T' or a blank, ignoring a trailing zone
// designator; an invalid QDateTime otherwise.
QDateTime parseDateTimeText(QStringView text);

// Writes one value. Lists and maps nest; types without a wire form travel as their text.
void writeValue(CborWriter &writer, const QVariant &value);

// What decoding untrusted input may build: how deep values nest, and about how much memory the
// decoded values take. The cost is counted while reading, before a value is built, so that a
// small frame cannot make the reader allocate far more than the frame itself.
struct DecodeLimits
{
    int maxDepth = 16;
    qint64 maxBytes = std::numeric_limits<qint64>::max();
    qint64 usedBytes = 0;  // counted so far
    bool exceeded = false; // decoding stopped at maxBytes

    // A value in memory: its variant and its share of the container holding it. A text
    // counts two bytes per byte of UTF-8 besides.
    static constexpr qint64 ValueCost = 64;

    // Counts bytes; false with *error when the count passes maxBytes.
    bool charge(qint64 bytes, QString *error);
};

// Reads one complete value (nested arrays become QVariantList, maps QVariantMap) and
// advances past it. Nesting deeper than the limits allow, a value past their memory or
// malformed input leaves an error in *error and returns an invalid variant.
QVariant readValue(QCborStreamReader &reader, QString *error, DecodeLimits &limits);
QVariant readValue(QCborStreamReader &reader, QString *error);

// The variant's value as the wire would carry it, for comparisons in tests and tools:
// integers widen to qint64, floats to double, null stays invalid.
QVariant normalized(const QVariant &value);

} // namespace wire
