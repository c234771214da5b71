// The storage conventions of account-set databases in one place: the type a declared column
// has, the canonical stored form of every value written (dates as 'YYYY-MM-DD' or
// 'YYYY-MM-DD HH:MM:SS' text, booleans 0/1), and the wire value of every stored one.
#pragma once

#include "wire/value.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace server {

using wire::ValueType;

struct DeclaredType
{
    ValueType type = ValueType::Unknown;
    int size = 0; // the n of "varchar(n)"
};

// The client-side type of a column declared as decl ("varchar(50)", "bit", "datetime", ...).
DeclaredType parseDeclaredType(std::string_view decl);

// A value in the form SQLite holds it.
struct StoredValue
{
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    int64_t integer = 0;
    double real = 0;
    QByteArray bytes; // UTF-8 for Text

    static StoredValue null() { return {}; }
    static StoredValue ofInteger(int64_t v);
    static StoredValue ofReal(double v);
    static StoredValue ofText(const QString &text);
    static StoredValue ofBlob(const QByteArray &bytes);
    static StoredValue fromColumn(sqlite3_stmt *stmt, int column);

    bool isNull() const { return kind == Kind::Null; }
    int bind(sqlite3_stmt *stmt, int index) const; // SQLite result code
    // Equality as a comparison of a row read earlier with the row now stored: numbers by
    // value whatever their storage class, text and blobs byte for byte.
    bool sameAs(const StoredValue &other) const;
};

// The canonical stored form of a client value written into a column of the given type:
// dates and date-times canonical text, booleans 0/1 (Jet's True, -1, becomes 1), numbers
// from numeric text. nullopt with *error when the value cannot be stored in such a column.
std::optional<StoredValue> toStored(const QVariant &value, ValueType columnType, QString *error);

// A value as read from a column, in the canonical form a write would give it now, so that rows
// written before the conventions (dates as '2024-3-1', Jet's -1 for true) compare equal to
// what the client read.
StoredValue canonicalStored(const StoredValue &value, ValueType columnType);

// Canonical text of a date or date-time in any form the system writes ("2024-3-1",
// "2024/03/01", "2024-03-01 9:05:00", "2024-03-01T09:05"); empty when it is none.
QString canonicalDateText(QStringView text);

// The wire value of a stored value in a result column of the given type.
QVariant toWire(sqlite3_stmt *stmt, int column, ValueType type);
// The same, written straight into a CBOR stream (the path of packets).
void writeWire(wire::CborWriter &writer, sqlite3_stmt *stmt, int column, ValueType type);

// SQLite's own text of a floating-point number ("17.0", "0.1").
QString realText(double value);

} // namespace server
