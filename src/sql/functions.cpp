// The rows of the function catalogue.
#include "sql/functions.h"

#include "sql/tokenizer.h"

#include <array>

namespace sql {

namespace {

using V = ValueType;
using L = Lowering;
using T = Typing;

constexpr FunctionInfo Functions[] = {
    // Aggregates.
    {"count", 0, 1, L::Native, T::Fixed, V::Integer, nullptr, true},
    {"sum", 1, 1, L::Native, T::Sum, V::Unknown, nullptr, true},
    {"avg", 1, 1, L::Native, T::Fixed, V::Float, nullptr, true},
    {"min", 1, 1, L::Native, T::FirstArg, V::Unknown, nullptr, true},
    {"max", 1, 1, L::Native, T::FirstArg, V::Unknown, nullptr, true},
    {"total", 1, 1, L::Native, T::Fixed, V::Float, nullptr, true},
    {"group_concat", 1, 2, L::Native, T::Fixed, V::Text, nullptr, true},
    // Scalar min/max of SQLite.
    {"min", 2, -1, L::Native, T::Wider, V::Unknown, nullptr, false},
    {"max", 2, -1, L::Native, T::Wider, V::Unknown, nullptr, false},

    // Jet.
    {"iif", 3, 3, L::Iif, T::Iif, V::Unknown, nullptr, false},
    {"switch", 2, -1, L::Switch, T::Switch, V::Unknown, nullptr, false},
    {"isnull", 1, 2, L::IsNull, T::Fixed, V::Boolean, nullptr, false},
    {"nz", 1, 2, L::Nz, T::Wider, V::Unknown, nullptr, false},
    {"left", 2, 2, L::Left, T::Fixed, V::Text, nullptr, false},
    {"right", 2, 2, L::Right, T::Fixed, V::Text, nullptr, false},
    {"mid", 2, 3, L::Mid, T::Fixed, V::Text, nullptr, false},
    {"len", 1, 1, L::Rename, T::Fixed, V::Integer, "length", false},
    {"ucase", 1, 1, L::Rename, T::Fixed, V::Text, "upper", false},
    {"lcase", 1, 1, L::Rename, T::Fixed, V::Text, "lower", false},
    {"instr", 2, 3, L::Instr, T::Fixed, V::Integer, nullptr, false},
    {"year", 1, 1, L::DatePart, T::Fixed, V::Integer, "year", false},
    {"month", 1, 1, L::DatePart, T::Fixed, V::Integer, "month", false},
    {"day", 1, 1, L::DatePart, T::Fixed, V::Integer, "day", false},
    {"hour", 1, 1, L::DatePart, T::Fixed, V::Integer, "hour", false},
    {"minute", 1, 1, L::DatePart, T::Fixed, V::Integer, "minute", false},
    {"second", 1, 1, L::DatePart, T::Fixed, V::Integer, "second", false},
    {"weekday", 1, 1, L::Weekday, T::Fixed, V::Integer, nullptr, false},
    {"date", 0, 0, L::Now, T::Fixed, V::Date, nullptr, false},
    {"now", 0, 0, L::Now, T::Fixed, V::DateTime, nullptr, false},
    {"format", 1, 2, L::Format, T::Fixed, V::Text, nullptr, false},
    {"val", 1, 1, L::Val, T::Fixed, V::Float, nullptr, false},
    {"cstr", 1, 1, L::Convert, T::Fixed, V::Text, nullptr, false},
    {"cint", 1, 1, L::Convert, T::Fixed, V::Integer, nullptr, false},
    {"clng", 1, 1, L::Convert, T::Fixed, V::Integer, nullptr, false},
    {"cdbl", 1, 1, L::Convert, T::Fixed, V::Float, nullptr, false},
    {"csng", 1, 1, L::Convert, T::Fixed, V::Float, nullptr, false},
    {"ccur", 1, 1, L::Convert, T::Fixed, V::Float, nullptr, false},
    {"cbool", 1, 1, L::ToBoolean, T::Fixed, V::Boolean, nullptr, false},
    {"cdate", 1, 1, L::ToDate, T::Fixed, V::DateTime, nullptr, false},
    {"datevalue", 1, 1, L::ToDate, T::Fixed, V::Date, nullptr, false},

    // T-SQL.
    {"getdate", 0, 0, L::Now, T::Fixed, V::DateTime, nullptr, false},
    {"substring", 3, 3, L::Rename, T::Fixed, V::Text, "substr", false},
    {"charindex", 2, 2, L::CharIndex, T::Fixed, V::Integer, nullptr, false},

    // This system's own: the mnemonic code of a name, so that one statement recomputes them all.
    {"getpy", 1, 1, L::Rename, T::Fixed, V::Text, "vz_getpy", false},
    // Bytes written as hexadecimal text, so that a script line can carry a picture.
    {"unhex", 1, 1, L::Rename, T::Fixed, V::Blob, "vz_unhex", false},

    // SQLite's own, passed through.
    {"substr", 2, 3, L::Native, T::Fixed, V::Text, nullptr, false},
    {"length", 1, 1, L::Native, T::Fixed, V::Integer, nullptr, false},
    {"upper", 1, 1, L::Native, T::Fixed, V::Text, nullptr, false},
    {"lower", 1, 1, L::Native, T::Fixed, V::Text, nullptr, false},
    {"trim", 1, 2, L::Native, T::Fixed, V::Text, nullptr, false},
    {"ltrim", 1, 2, L::Native, T::Fixed, V::Text, nullptr, false},
    {"rtrim", 1, 2, L::Native, T::Fixed, V::Text, nullptr, false},
    {"replace", 3, 3, L::Native, T::Fixed, V::Text, nullptr, false},
    {"ifnull", 2, 2, L::Native, T::Wider, V::Unknown, nullptr, false},
    {"coalesce", 2, -1, L::Native, T::Wider, V::Unknown, nullptr, false},
    {"nullif", 2, 2, L::Native, T::FirstArg, V::Unknown, nullptr, false},
    {"abs", 1, 1, L::Native, T::FirstArg, V::Unknown, nullptr, false},
    {"round", 1, 2, L::Native, T::Fixed, V::Float, nullptr, false},
    {"sign", 1, 1, L::Native, T::Fixed, V::Integer, nullptr, false},
    {"printf", 1, -1, L::Native, T::Fixed, V::Text, nullptr, false},
    {"typeof", 1, 1, L::Native, T::Fixed, V::Text, nullptr, false},
    {"hex", 1, 1, L::Native, T::Fixed, V::Text, nullptr, false},
    {"quote", 1, 1, L::Native, T::Fixed, V::Text, nullptr, false},
    {"random", 0, 0, L::Native, T::Fixed, V::Integer, nullptr, false},
    {"unicode", 1, 1, L::Native, T::Fixed, V::Integer, nullptr, false},
    {"char", 1, -1, L::Native, T::Fixed, V::Text, nullptr, false},
    {"julianday", 1, -1, L::Native, T::Fixed, V::Float, nullptr, false},
    {"strftime", 2, -1, L::Native, T::Fixed, V::Text, nullptr, false},
    {"datetime", 1, -1, L::Native, T::Fixed, V::DateTime, nullptr, false},
    {"date", 1, -1, L::Native, T::Fixed, V::Date, nullptr, false},
    {"time", 1, -1, L::Native, T::Fixed, V::Text, nullptr, false},
};

} // namespace

const FunctionInfo *findFunction(std::string_view name, int argumentCount)
{
    const FunctionInfo *nameMatch = nullptr;
    for (const FunctionInfo &f : Functions) {
        if (!equalsIgnoreCase(name, f.name))
            continue;
        if (argumentCount >= f.minArgs && (f.maxArgs < 0 || argumentCount <= f.maxArgs))
            return &f;
        if (!nameMatch)
            nameMatch = &f;
    }
    return nameMatch; // the caller reports the wrong argument count
}

} // namespace sql
