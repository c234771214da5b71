// The function catalogue: every function the client's dialects (and SQLite itself) may call,
// how many arguments it takes, how its result is typed and how it is lowered; where the
// engines spell a lowering differently, Target holds the spellings.
// Dialect differences live here as rows, not as branches in the passes.
#pragma once

#include "sql/translator.h"

#include <string_view>

namespace sql {

// How a call is written in SQLite.
enum class Lowering {
    Native,    // the same call
    Rename,    // the same arguments under `target`
    Iif,       // CASE WHEN c THEN a ELSE b END (ifnull(x, y) for iif(isnull(x), y, x))
    Switch,    // CASE WHEN c1 THEN v1 ... END
    IsNull,    // one argument: (x IS NULL); two: ifnull(x, y)
    Nz,        // ifnull(x, 0 or '')
    Left,      // substr(x, 1, n)
    Right,     // substr(x, -n)
    Mid,       // substr(x, i[, n])
    DatePart,  // the `target` part (year ... second) of a date, as an integer
    Weekday,   // strftime('%w', x) + 1
    Now,       // today or now, by the result type, when called without arguments
    Format,    // vz_format(x, mask), or a plain expression for simple masks
    Val,       // vz_val(x), or x itself when it is already a number
    Instr,     // instr(s, t), or vz_instr(start, s, t)
    CharIndex, // instr(s, t) with the arguments swapped
    Convert,   // a conversion function: CAST(x AS the engine's type for the result type)
    ToBoolean, // (x <> 0)
    ToDate,    // vz_datetime(x)
};

// How the result is typed.
enum class Typing {
    Fixed,    // `type`
    FirstArg, // the type of the first argument
    Wider,    // the wider type of all arguments
    Iif,      // the wider of the second and third arguments
    Switch,   // the wider of the value arguments
    Sum,      // the argument's type, booleans counting as integers
};

struct FunctionInfo
{
    std::string_view name;
    int minArgs;
    int maxArgs; // -1: any number
    Lowering lowering;
    Typing typing;
    ValueType type;
    const char *target; // the SQLite function or strftime format, for rows that need one
    bool aggregate;
};

// The row for a name (any case), or null for an unknown function. Jet's Date() without
// arguments and SQLite's date(...) with arguments share a name, as do the aggregate min(x) and
// the scalar min(a, b); the argument count picks the row.
const FunctionInfo *findFunction(std::string_view name, int argumentCount);

} // namespace sql
