// The declared-type table. Names the account sets, Jet DDL and T-SQL DDL use are listed
// explicitly; any other name falls back to SQLite's own affinity rules.
#include "sql/types.h"

#include <algorithm>
#include <cctype>

#include "sql/tokenizer.h"

#include <array>
#include <cstdlib>

namespace sql {

namespace {

struct TypeRow
{
    const char *name;
    ValueType type;
    const char *sqliteName; // "" keeps the declared name
};

constexpr std::array TypeTable = {
    TypeRow{"int", ValueType::Integer, ""},
    TypeRow{"integer", ValueType::Integer, ""},
    TypeRow{"smallint", ValueType::Integer, ""},
    TypeRow{"tinyint", ValueType::Integer, ""},
    TypeRow{"bigint", ValueType::Integer, ""},
    TypeRow{"mediumint", ValueType::Integer, ""},
    TypeRow{"long", ValueType::Integer, "integer"},
    TypeRow{"short", ValueType::Integer, "integer"},
    TypeRow{"byte", ValueType::Integer, "integer"},
    TypeRow{"counter", ValueType::Integer, "integer"},
    TypeRow{"autoincrement", ValueType::Integer, "integer"},
    TypeRow{"bit", ValueType::Boolean, ""},
    TypeRow{"boolean", ValueType::Boolean, ""},
    TypeRow{"bool", ValueType::Boolean, ""},
    TypeRow{"yesno", ValueType::Boolean, ""},
    TypeRow{"logical", ValueType::Boolean, ""},
    TypeRow{"float", ValueType::Float, ""},
    TypeRow{"real", ValueType::Float, ""},
    TypeRow{"double", ValueType::Float, ""},
    TypeRow{"double precision", ValueType::Float, ""},
    TypeRow{"single", ValueType::Float, "real"},
    TypeRow{"money", ValueType::Float, "float"},
    TypeRow{"smallmoney", ValueType::Float, "float"},
    TypeRow{"currency", ValueType::Float, "float"},
    TypeRow{"decimal", ValueType::Float, "float"},
    TypeRow{"numeric", ValueType::Float, "float"},
    TypeRow{"number", ValueType::Float, "float"},
    TypeRow{"char", ValueType::Text, ""},
    TypeRow{"varchar", ValueType::Text, ""},
    TypeRow{"nchar", ValueType::Text, ""},
    TypeRow{"nvarchar", ValueType::Text, ""},
    TypeRow{"character", ValueType::Text, ""},
    TypeRow{"character varying", ValueType::Text, ""},
    TypeRow{"varying character", ValueType::Text, ""},
    TypeRow{"national character", ValueType::Text, ""},
    TypeRow{"national varchar", ValueType::Text, ""},
    TypeRow{"text", ValueType::Text, ""},
    TypeRow{"ntext", ValueType::Text, ""},
    TypeRow{"longtext", ValueType::Text, ""},
    TypeRow{"memo", ValueType::Text, "text"},
    TypeRow{"string", ValueType::Text, "text"},
    TypeRow{"clob", ValueType::Text, ""},
    TypeRow{"date", ValueType::Date, ""},
    TypeRow{"datetime", ValueType::DateTime, ""},
    TypeRow{"datetime2", ValueType::DateTime, "datetime"},
    TypeRow{"smalldatetime", ValueType::DateTime, "datetime"},
    TypeRow{"timestamp", ValueType::DateTime, "datetime"},
    TypeRow{"time", ValueType::DateTime, "datetime"},
    TypeRow{"blob", ValueType::Blob, ""},
    TypeRow{"image", ValueType::Blob, "blob"},
    TypeRow{"longbinary", ValueType::Blob, "blob"},
    TypeRow{"binary", ValueType::Blob, "blob"},
    TypeRow{"varbinary", ValueType::Blob, "blob"},
    TypeRow{"oleobject", ValueType::Blob, "blob"},
    TypeRow{"general", ValueType::Blob, "blob"},
};

constexpr std::array TypeNames = {"Unknown", "Integer",  "Float",   "Text",
                                  "Date",    "DateTime", "Boolean", "Blob"};

bool contains(const std::string &haystack, const char *needle)
{
    return haystack.find(needle) != std::string::npos;
}

// SQLite's rule for the affinity of a declared type (datatype3.html, 3.1).
ValueType affinityType(const std::string &lower, bool &real)
{
    real = false;
    if (contains(lower, "int"))
        return ValueType::Integer;
    if (contains(lower, "char") || contains(lower, "clob") || contains(lower, "text"))
        return ValueType::Text;
    if (contains(lower, "blob") || lower.empty())
        return lower.empty() ? ValueType::Unknown : ValueType::Blob;
    if (contains(lower, "real") || contains(lower, "floa") || contains(lower, "doub")) {
        real = true;
        return ValueType::Float;
    }
    return ValueType::Unknown;
}

} // namespace

const char *valueTypeName(ValueType type)
{
    return TypeNames[size_t(type)];
}

std::optional<ValueType> valueTypeFromName(std::string_view name)
{
    for (size_t i = 0; i < TypeNames.size(); ++i) {
        if (equalsIgnoreCase(name, TypeNames[i]))
            return ValueType(i);
    }
    return std::nullopt;
}

bool isNumeric(ValueType type)
{
    return type == ValueType::Integer || type == ValueType::Float || type == ValueType::Boolean;
}

bool isTemporal(ValueType type)
{
    return type == ValueType::Date || type == ValueType::DateTime;
}

ValueType widen(ValueType a, ValueType b)
{
    if (a == b)
        return a;
    if (a == ValueType::Unknown)
        return b;
    if (b == ValueType::Unknown)
        return a;
    if (a == ValueType::Blob || b == ValueType::Blob)
        return ValueType::Blob;
    if (isNumeric(a) && isNumeric(b))
        return (a == ValueType::Float || b == ValueType::Float) ? ValueType::Float
                                                                : ValueType::Integer;
    if (isTemporal(a) && isTemporal(b))
        return ValueType::DateTime;
    return ValueType::Text;
}

DeclaredType mapDeclaredType(std::string_view declared)
{
    DeclaredType result;
    std::string lower = toLower(declared);
    // Split off "(n)" or "(p,s)".
    const size_t paren = lower.find('(');
    if (paren != std::string::npos) {
        result.size = std::atoi(lower.c_str() + paren + 1);
        lower.erase(paren);
    }
    while (!lower.empty() && lower.back() == ' ')
        lower.pop_back();
    while (!lower.empty() && lower.front() == ' ')
        lower.erase(0, 1);

    for (const TypeRow &row : TypeTable) {
        if (lower == row.name) {
            result.type = row.type;
            result.sqliteName = row.sqliteName;
            break;
        }
    }
    bool real = false;
    const ValueType affinity = affinityType(lower, real);
    if (result.type == ValueType::Unknown)
        result.type = affinity;
    // The affinity of the name as declared: a column declared MONEY keeps whole numbers as
    // integers (it is created as float by the translator, but may come from elsewhere).
    result.realAffinity = real;
    if (result.type != ValueType::Text)
        result.size = 0;
    return result;
}

std::string postgresColumnNote(std::string_view declared, std::string_view spelling)
{
    std::string note(declared);
    note += '\n';
    note += spelling;
    return note;
}

PostgresColumnNote parsePostgresColumnNote(std::string_view comment)
{
    const size_t newline = comment.find('\n');
    if (newline == std::string_view::npos)
        return {std::string(comment), {}};
    return {std::string(comment.substr(0, newline)), std::string(comment.substr(newline + 1))};
}

std::string spelledName(std::string_view folded, std::string_view spelling)
{
    // Someone else's comment, or a name that is not this one: PostgreSQL's name holds.
    if (spelling.empty() || spelling.size() != folded.size() ||
        !std::equal(spelling.begin(), spelling.end(), folded.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) ==
                   std::tolower(static_cast<unsigned char>(b));
        }))
        return std::string(folded);
    return std::string(spelling);
}

} // namespace sql
