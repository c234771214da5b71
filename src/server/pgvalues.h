// The storage conventions of a PostgreSQL account set: a stored value as the client sees it
// (the same wire values an SQLite account set gives for the same row), and a client value as a
// text parameter for a column of a given type.
#pragma once

#include "server/storage.h"
#include "wire/value.h"

#include <QString>
#include <QVariant>

#include <optional>
#include <string>
#include <string_view>

namespace server {

// PostgreSQL's text form of a column value (nullopt for NULL) as the wire value of a result
// column of the given type.
QVariant wireFromPostgres(std::optional<std::string_view> text, ValueType type);
// The same, written straight into a CBOR stream (the path of packets).
void writeWireFromPostgres(wire::CborWriter &writer, std::optional<std::string_view> text,
                           ValueType type);

// The client type a result column has when neither the translation nor a base column says it:
// from the column's PostgreSQL type (oid).
ValueType wireTypeOfPostgres(unsigned oid);

// A client value as the text parameter for a column of the given type (nullopt is NULL);
// *error says why, when the value cannot be stored in such a column (the same refusals as
// toStored).
std::optional<std::optional<std::string>> postgresFromWire(const QVariant &value,
                                                           ValueType columnType, QString *error);

} // namespace server
