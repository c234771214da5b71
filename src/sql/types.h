// Value types: how declared column types map to them, how UNION and CASE combine them, and
// the SQLite type each declared type is created with.
#pragma once

#include "sql/translator.h"

#include <optional>
#include <string>
#include <string_view>

namespace sql {

const char *valueTypeName(ValueType type);
std::optional<ValueType> valueTypeFromName(std::string_view name);

bool isNumeric(ValueType type);  // Integer, Float or Boolean
bool isTemporal(ValueType type); // Date or DateTime

// The type of a column whose values come from two sources (UNION members, CASE branches):
// integer with float is float, date with date-time is date-time, anything with text is text.
ValueType widen(ValueType a, ValueType b);

struct DeclaredType
{
    ValueType type = ValueType::Unknown;
    int size = 0;              // the n of char(n)
    bool realAffinity = false; // a column declared so stores every number as REAL
    // The declared type a created column gets in SQLite, so that its affinity is right:
    // `money` becomes `float`, `memo` becomes `text`; empty when the name is kept as written.
    std::string sqliteName;
};

// Maps a declared type such as "varchar(20)", "bit", "money", "date" (any case).
DeclaredType mapDeclaredType(std::string_view declared);

// What a PostgreSQL column's comment keeps of the column as SQLite had it: its declared type
// (a text's length, money or float), then a line with its name as the client spells it, which
// PostgreSQL folds to lower case. Sets copied before names were kept hold the type alone.
struct PostgresColumnNote
{
    std::string declared;
    std::string spelling; // empty when the comment has none
};
std::string postgresColumnNote(std::string_view declared, std::string_view spelling);
PostgresColumnNote parsePostgresColumnNote(std::string_view comment);
// A name kept in a comment, when it is the folded name spelled otherwise; else the folded name.
std::string spelledName(std::string_view folded, std::string_view spelling);

} // namespace sql
