// The two engines' tables of spellings and builders.
#include "sql/target.h"

#include "sql/lowering.h"
#include "sql/tokenizer.h"

namespace sql {

using namespace lowering;

namespace {

class SqliteTarget final : public Target
{
public:
    Engine engine() const override { return Engine::Sqlite; }
    SqlStyle style() const override { return SqlStyle::Sqlite; }
    bool nativeBooleans() const override { return false; }
    bool nativeDates() const override { return false; }

    const char *castType(ValueType type) const override
    {
        switch (type) {
        case ValueType::Integer:
        case ValueType::Boolean:
            return "INTEGER";
        case ValueType::Float:
            return "REAL";
        case ValueType::Blob:
            return "BLOB";
        default:
            return "TEXT";
        }
    }
    const char *orderCollation() const override { return "pinyin"; }
    const char *columnCollation() const override { return "NOCASE"; }

    TypeName columnType(const DeclaredType &declared, const TypeName &asWritten,
                        bool integerKey) const override
    {
        // Only INTEGER PRIMARY KEY makes the key the rowid, which orders "the first row".
        if (integerKey)
            return TypeName{"integer", {}};
        TypeName type = asWritten;
        if (!declared.sqliteName.empty())
            type.name = declared.sqliteName;
        if (declared.type != ValueType::Text && declared.type != ValueType::Unknown)
            type.args.clear();
        return type;
    }

    ExprPtr ifNull(ExprList args, ValueType type, bool real) const override
    {
        return call("ifnull", std::move(args), type, real);
    }

    ExprPtr datePart(std::string_view field, ExprPtr date) const override
    {
        static constexpr std::pair<std::string_view, const char *> Formats[] = {
            {"year", "%Y"}, {"month", "%m"},  {"day", "%d"},
            {"hour", "%H"}, {"minute", "%M"}, {"second", "%S"}};
        const char *format = "%Y";
        for (const auto &[name, f] : Formats) {
            if (name == field)
                format = f;
        }
        return castTo(
            call("strftime", list(stringLiteral(format), std::move(date)), ValueType::Text),
            "INTEGER", ValueType::Integer);
    }

    ExprPtr weekday(ExprPtr date) const override
    {
        return binary(
            BinaryOp::Add,
            castTo(call("strftime", list(stringLiteral("%w"), std::move(date)), ValueType::Text),
                   "INTEGER", ValueType::Integer),
            integerLiteral(1), ValueType::Integer);
    }

    ExprPtr now(ValueType type) const override
    {
        return call(type == ValueType::Date ? "date" : "datetime",
                    list(stringLiteral("now"), stringLiteral("localtime")), type);
    }

    // Canonical text again afterwards: no time part at midnight.
    ExprPtr addDays(ExprPtr date, ExprPtr days, bool subtract, ValueType type) const override
    {
        ExprPtr seconds = unixSeconds(std::move(date));
        const bool whole = days->type == ValueType::Integer || days->type == ValueType::Boolean;
        ExprPtr offset = binary(BinaryOp::Multiply, std::move(days), integerLiteral(86400),
                                whole ? ValueType::Integer : ValueType::Float);
        if (!whole)
            offset = round(list(std::move(offset)));
        ExprPtr sum = binary(subtract ? BinaryOp::Subtract : BinaryOp::Add, std::move(seconds),
                             std::move(offset), ValueType::Integer);
        ExprPtr text =
            call("datetime", list(std::move(sum), stringLiteral("unixepoch")), ValueType::DateTime);
        return call("replace", list(std::move(text), stringLiteral(" 00:00:00"), stringLiteral("")),
                    type);
    }

    ExprPtr daysBetween(ExprPtr later, ExprPtr earlier) const override
    {
        ExprPtr seconds = binary(BinaryOp::Subtract, unixSeconds(std::move(later)),
                                 unixSeconds(std::move(earlier)), ValueType::Integer);
        return binary(BinaryOp::Divide, std::move(seconds), floatLiteral("86400.0"),
                      ValueType::Float, true);
    }

    ExprPtr rightChars(ExprPtr text, long long count) const override
    {
        return call("substr", list(std::move(text), integerLiteral(-count)), ValueType::Text);
    }

    ExprPtr position(ExprPtr text, ExprPtr part) const override
    {
        return call("instr", list(std::move(text), std::move(part)), ValueType::Integer);
    }

    ExprPtr dateText(ExprPtr date) const override
    {
        return typed(std::move(date), ValueType::Text);
    }

    ExprPtr condition(ExprPtr value) const override { return value; }

    ExprPtr numberText(ExprPtr number) const override
    {
        return call("vz_amp", list(std::move(number)), ValueType::Text);
    }

    ExprPtr divisor(ExprPtr value) const override { return value; }

    ExprPtr ampersand(ExprList operands) const override
    {
        return call("vz_amp", std::move(operands), ValueType::Text);
    }

    void lowerLike(LikeExpr &) const override {}

    ExprPtr round(ExprList args) const override
    {
        return call("round", std::move(args), ValueType::Float, true);
    }
    bool nativeCall(FunctionExpr &) const override { return true; }

private:
    static ExprPtr unixSeconds(ExprPtr date)
    {
        return call("strftime", list(stringLiteral("%s"), std::move(date)), ValueType::Text);
    }
};

class PostgresTarget final : public Target
{
public:
    Engine engine() const override { return Engine::Postgres; }
    SqlStyle style() const override { return SqlStyle::Postgres; }
    bool nativeBooleans() const override { return true; }
    bool nativeDates() const override { return true; }

    const char *castType(ValueType type) const override
    {
        switch (type) {
        case ValueType::Integer:
            return "bigint";
        case ValueType::Float:
            return "double precision";
        case ValueType::Boolean:
            return "boolean";
        case ValueType::Date:
            return "date";
        case ValueType::DateTime:
            return "timestamp(0)";
        case ValueType::Blob:
            return "bytea";
        default:
            return "text";
        }
    }
    const char *orderCollation() const override { return "vz_text"; }
    const char *columnCollation() const override { return "vz_text"; }

    TypeName columnType(const DeclaredType &declared, const TypeName &asWritten,
                        bool integerKey) const override
    {
        // A key filled by the engine when an insert leaves it out, as SQLite's rowid is.
        if (integerKey)
            return TypeName{"bigint generated by default as identity", {}};
        switch (declared.type) {
        // SQLite's integers are 64 bits whatever the declaration.
        case ValueType::Integer:
            return TypeName{"bigint", {}};
        case ValueType::Float:
            return TypeName{"double precision", {}};
        case ValueType::Boolean:
            return TypeName{"boolean", {}};
        case ValueType::Date:
            return TypeName{"date", {}};
        case ValueType::DateTime:
            return TypeName{"timestamp(0)", {}};
        case ValueType::Blob:
            return TypeName{"bytea", {}};
        // A declared length is advisory in SQLite, and stored texts may exceed it (password
        // hashes in a column once sized for passwords); PostgreSQL would refuse them.
        case ValueType::Text:
            return TypeName{"text", {}};
        case ValueType::Unknown:
            return TypeName{"text", {}};
        }
        return asWritten;
    }

    ExprPtr ifNull(ExprList args, ValueType type, bool real) const override
    {
        return call("coalesce", std::move(args), type, real);
    }

    ExprPtr datePart(std::string_view field, ExprPtr date) const override
    {
        return castTo(call("date_part", list(stringLiteral(std::string(field)), std::move(date)),
                           ValueType::Float, true),
                      "bigint", ValueType::Integer);
    }

    ExprPtr weekday(ExprPtr date) const override
    {
        return binary(BinaryOp::Add, datePart("dow", std::move(date)), integerLiteral(1),
                      ValueType::Integer);
    }

    ExprPtr now(ValueType type) const override
    {
        ExprPtr second =
            call("date_trunc", list(stringLiteral("second"), call("now", {}, ValueType::DateTime)),
                 ValueType::DateTime);
        return castTo(std::move(second), castType(type), type);
    }

    ExprPtr addDays(ExprPtr date, ExprPtr days, bool subtract, ValueType type) const override
    {
        const bool whole = days->type == ValueType::Integer || days->type == ValueType::Boolean;
        const BinaryOp op = subtract ? BinaryOp::Subtract : BinaryOp::Add;
        // A date plus whole days is a date.
        if (whole && date->type == ValueType::Date && type == ValueType::Date)
            return binary(op, std::move(date),
                          castTo(std::move(days), "integer", ValueType::Integer), type);
        ExprPtr seconds = binary(BinaryOp::Multiply, std::move(days), integerLiteral(86400),
                                 whole ? ValueType::Integer : ValueType::Float);
        if (!whole)
            seconds = round(list(std::move(seconds)));
        ExprPtr interval = binary(BinaryOp::Multiply, std::move(seconds),
                                  castTo(stringLiteral("1 second"), "interval", ValueType::Unknown),
                                  ValueType::Unknown);
        ExprPtr moved = binary(op, castTo(std::move(date), "timestamp(0)", ValueType::DateTime),
                               std::move(interval), ValueType::DateTime);
        return castTo(std::move(moved), "timestamp(0)", type);
    }

    ExprPtr daysBetween(ExprPtr later, ExprPtr earlier) const override
    {
        ExprPtr difference = binary(
            BinaryOp::Subtract, castTo(std::move(later), "timestamp(0)", ValueType::DateTime),
            castTo(std::move(earlier), "timestamp(0)", ValueType::DateTime), ValueType::Unknown);
        ExprPtr seconds = call("date_part", list(stringLiteral("epoch"), std::move(difference)),
                               ValueType::Float, true);
        return binary(BinaryOp::Divide, std::move(seconds), floatLiteral("86400.0"),
                      ValueType::Float, true);
    }

    ExprPtr rightChars(ExprPtr text, long long count) const override
    {
        return call("right", list(std::move(text), integerLiteral(count)), ValueType::Text);
    }

    // Substring searches refuse the text columns' nondeterministic collation.
    ExprPtr position(ExprPtr text, ExprPtr part) const override
    {
        return call("strpos", list(codePoints(std::move(text)), std::move(part)),
                    ValueType::Integer);
    }

    // round() of a double rounds halves to even; of a numeric, away from zero.
    ExprPtr round(ExprList args) const override
    {
        args[0] = castTo(std::move(args[0]), "numeric", ValueType::Float);
        return castTo(call("round", std::move(args), ValueType::Float, true), "double precision",
                      ValueType::Float);
    }

    ExprPtr dateText(ExprPtr date) const override
    {
        ExprPtr text = castTo(std::move(date), "text", ValueType::Text);
        return call("replace", list(std::move(text), stringLiteral(" 00:00:00"), stringLiteral("")),
                    ValueType::Text);
    }

    ExprPtr numberText(ExprPtr number) const override
    {
        return call("vz_str", list(std::move(number)), ValueType::Text);
    }

    ExprPtr divisor(ExprPtr value) const override
    {
        if (auto number = numericLiteral(*value); number && *number != 0)
            return value;
        const ValueType type = value->type;
        const bool real = value->storesReal;
        return call("nullif", list(std::move(value), integerLiteral(0)), type, real);
    }

    ExprPtr condition(ExprPtr value) const override
    {
        if (value->type == ValueType::Integer || value->type == ValueType::Float)
            return binary(BinaryOp::NotEqual, std::move(value), integerLiteral(0),
                          ValueType::Boolean);
        return value;
    }

    // vz_amp takes text only: other values go through vz_str, which writes them as Jet does.
    ExprPtr ampersand(ExprList operands) const override
    {
        for (ExprPtr &operand : operands) {
            if (operand->type != ValueType::Text)
                operand = call("vz_str", list(std::move(operand)), ValueType::Text);
        }
        return call("vz_amp", std::move(operands), ValueType::Text);
    }

    // Text columns carry a nondeterministic collation, on which PostgreSQL refuses LIKE:
    // ucs_basic compares code points, and ILIKE under it folds ASCII letters only.
    void lowerLike(LikeExpr &like) const override
    {
        if (like.operand->type != ValueType::Text)
            like.operand = castTo(std::move(like.operand), "text", ValueType::Text);
        like.operand = codePoints(std::move(like.operand));
        if (!like.escape)
            like.escape = stringLiteral("");
    }

    bool nativeCall(FunctionExpr &f) const override
    {
        struct Spelling
        {
            std::string_view name;
            bool aggregate;
            const char *target;
        };
        static constexpr Spelling Spellings[] = {
            {"ifnull", false, "coalesce"},
            {"min", false, "least"},
            {"max", false, "greatest"},
            {"group_concat", true, "string_agg"},
            {"substr", false, "substr"},
            {"length", false, "length"},
            {"upper", false, "upper"},
            {"lower", false, "lower"},
            {"trim", false, "btrim"},
            {"ltrim", false, "ltrim"},
            {"rtrim", false, "rtrim"},
            {"replace", false, "replace"},
            {"coalesce", false, "coalesce"},
            {"nullif", false, "nullif"},
            {"abs", false, "abs"},
            {"round", false, "round"},
            {"sign", false, "sign"},
            {"count", true, "count"},
            {"sum", true, "sum"},
            {"avg", true, "avg"},
            {"min", true, "min"},
            {"max", true, "max"},
            {"rank", true, "rank"},
        };
        const bool aggregate = f.star || (f.args.size() == 1 && (equalsIgnoreCase(f.name, "min") ||
                                                                 equalsIgnoreCase(f.name, "max")));
        const Spelling *spelling = nullptr;
        for (const Spelling &s : Spellings) {
            const bool minOrMax = s.name == "min" || s.name == "max";
            if (equalsIgnoreCase(f.name, s.name) && (!minOrMax || s.aggregate == aggregate))
                spelling = &s;
        }
        if (!spelling)
            return false;
        f.name = spelling->target;
        // Substring searches refuse the text columns' nondeterministic collation.
        if (spelling->name == "replace")
            f.args[0] = codePoints(std::move(f.args[0]));
        if (spelling->name == "round")
            f.args[0] = castTo(std::move(f.args[0]), "numeric", ValueType::Float);
        // SQLite's group_concat separates with a comma unless told otherwise.
        if (spelling->name == "group_concat" && f.args.size() == 1)
            f.args.push_back(stringLiteral(","));
        return true;
    }

private:
    // Text under ucs_basic: code point order, on which PostgreSQL allows LIKE and searches.
    static ExprPtr codePoints(ExprPtr text)
    {
        return typed(std::make_unique<CollateExpr>(std::move(text), "ucs_basic"), ValueType::Text);
    }
};

} // namespace

const Target &Target::of(Engine engine)
{
    static const SqliteTarget sqlite;
    static const PostgresTarget postgres;
    return engine == Engine::Postgres ? static_cast<const Target &>(postgres) : sqlite;
}

ExprPtr Target::booleanLiteral(bool value) const
{
    if (nativeBooleans())
        return typed(std::make_unique<LiteralExpr>(LiteralKind::Boolean, value ? "1" : "0"),
                     ValueType::Boolean);
    return integerLiteral(value ? 1 : 0, ValueType::Boolean);
}

} // namespace sql
