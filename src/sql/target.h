// The engines translated SQL runs on, as the lowering pass sees them: one small table of
// spellings and builders per engine. SQLite keeps dates as canonical text and booleans as 0/1;
// PostgreSQL has real date, timestamp and boolean types and its own date arithmetic. Everything
// that differs between them is here; the passes themselves are shared.
#pragma once

#include "sql/ast.h"
#include "sql/emitter.h"
#include "sql/types.h"

#include <string_view>

namespace sql {

class Target
{
public:
    static const Target &of(Engine engine);

    virtual ~Target() = default;

    virtual Engine engine() const = 0;
    virtual SqlStyle style() const = 0;
    // Booleans are a type of their own (true/false), not the numbers 1 and 0.
    virtual bool nativeBooleans() const = 0;
    // Dates are a type of their own, not canonical text that a computed value must be put into.
    virtual bool nativeDates() const = 0;
    // The type CAST converts to for a value type.
    virtual const char *castType(ValueType type) const = 0;
    // The collation of text in ORDER BY and GROUP BY: pinyin order, case-insensitive.
    virtual const char *orderCollation() const = 0;
    // The collation text columns are created with: comparisons without regard to case.
    virtual const char *columnCollation() const = 0;
    // The type a column of a created table gets.
    virtual TypeName columnType(const DeclaredType &declared, const TypeName &asWritten,
                                bool integerKey) const = 0;

    ExprPtr booleanLiteral(bool value) const;
    virtual ExprPtr ifNull(ExprList args, ValueType type, bool real) const = 0;
    // year, month, day, hour, minute or second of a date, as an integer.
    virtual ExprPtr datePart(std::string_view field, ExprPtr date) const = 0;
    // Jet's Weekday: 1 for Sunday.
    virtual ExprPtr weekday(ExprPtr date) const = 0;
    // Today (Date) or the current time to the second (DateTime), local time.
    virtual ExprPtr now(ValueType type) const = 0;
    // A date moved by a number of days, whole or fractional, counted in whole seconds.
    virtual ExprPtr addDays(ExprPtr date, ExprPtr days, bool subtract, ValueType type) const = 0;
    // Days from `earlier` to `later`, exact to the second.
    virtual ExprPtr daysBetween(ExprPtr later, ExprPtr earlier) const = 0;
    // The last `count` characters (count a positive constant).
    virtual ExprPtr rightChars(ExprPtr text, long long count) const = 0;
    // round(x) or round(x, digits), halves away from zero as SQLite rounds.
    virtual ExprPtr round(ExprList args) const = 0;
    // The 1-based position of `part` in `text`, 0 when absent.
    virtual ExprPtr position(ExprPtr text, ExprPtr part) const = 0;
    // A date or date-time as the canonical text SQLite stores.
    virtual ExprPtr dateText(ExprPtr date) const = 0;
    // A number as Jet's CStr writes it: 17, not 17.0.
    virtual ExprPtr numberText(ExprPtr number) const = 0;
    // The right operand of /, \ and Mod: a zero divisor gives Null, as in SQLite.
    virtual ExprPtr divisor(ExprPtr value) const = 0;
    // A value as a condition: booleans as they are, numbers true when not zero.
    virtual ExprPtr condition(ExprPtr value) const = 0;
    // Jet's &: the operands' texts joined, Null read as '', Null only when every operand is.
    virtual ExprPtr ampersand(ExprList operands) const = 0;
    // LIKE as SQLite matches: ASCII letters without regard to case, no escape character
    // unless one is given.
    virtual void lowerLike(LikeExpr &like) const = 0;
    // A call of one of SQLite's own functions, as the engine writes it; false when the engine
    // has no such function.
    virtual bool nativeCall(FunctionExpr &call) const = 0;
};

} // namespace sql
