// Lowering of expressions: Jet's functions, operators by the types of their operands, dates,
// booleans, casts, and select-list aliases used again.
#include "sql/datetime.h"
#include "sql/emitter.h"
#include "sql/functions.h"
#include "sql/lowering.h"
#include "sql/tokenizer.h"
#include "sql/types.h"

#include <algorithm>
#include <cmath>

namespace sql::lowering {

void Lowerer::leaveExpr(ExprPtr &expr)
{
    switch (expr->kind) {
    case ExprKind::Literal:
        lowerLiteral(expr);
        return;
    case ExprKind::Column:
        lowerColumn(expr);
        return;
    case ExprKind::Unary: {
        auto &unary = expr->as<UnaryExpr>();
        if (unary.op == UnaryOp::Not)
            unary.operand = m_target.condition(booleanCondition(std::move(unary.operand)));
        else
            unary.operand = numberOf(std::move(unary.operand));
        return;
    }
    case ExprKind::Binary:
        lowerBinary(expr);
        return;
    case ExprKind::Function:
        lowerFunction(expr);
        return;
    case ExprKind::Cast:
        lowerCast(expr);
        return;
    case ExprKind::Like:
        m_target.lowerLike(expr->as<LikeExpr>());
        return;
    case ExprKind::Case: {
        auto &c = expr->as<CaseExpr>();
        // CASE yesno WHEN 1: the Yes/No counts as the number SQLite stores.
        if (c.operand && c.operand->type == ValueType::Boolean && !c.whens.empty() &&
            numericLiteral(*c.whens.front().condition))
            c.operand = numberOf(std::move(c.operand));
        if (!c.operand) {
            for (CaseExpr::When &when : c.whens)
                when.condition = m_target.condition(std::move(when.condition));
        }
        return;
    }
    case ExprKind::Between: {
        auto &between = expr->as<BetweenExpr>();
        if (isTemporal(between.operand->type)) {
            normaliseDateOperand(between.low, between.operand->type);
            normaliseDateOperand(between.high, between.operand->type);
        }
        return;
    }
    case ExprKind::In: {
        auto &in = expr->as<InExpr>();
        if (isTemporal(in.operand->type)) {
            for (ExprPtr &item : in.list)
                normaliseDateOperand(item, in.operand->type);
        }
        return;
    }
    default:
        return;
    }
}

// A date literal is canonical text; the writer of an engine with date types types it. A
// boolean is 1 or 0 where the engine has no boolean type.
void Lowerer::lowerLiteral(ExprPtr &expr)
{
    auto &literal = expr->as<LiteralExpr>();
    if (literal.literal == LiteralKind::Date)
        literal.literal = LiteralKind::String;
    else if (literal.literal == LiteralKind::Boolean && !m_target.nativeBooleans())
        literal.literal = LiteralKind::Integer;
}

// A boolean column used as a condition: Jet's Yes/No fields are never Null, so a Null must
// count as false, also under NOT.
ExprPtr Lowerer::booleanCondition(ExprPtr expr) const
{
    if (!isNullableBooleanColumn(*expr))
        return expr;
    return m_target.ifNull(list(std::move(expr), m_target.booleanLiteral(false)),
                           ValueType::Boolean, false);
}

// A select-list alias used again in the same query becomes the expression it names.
void Lowerer::lowerColumn(ExprPtr &expr)
{
    const auto &column = expr->as<ColumnExpr>();
    if (column.aliasIndex < 0)
        return;
    // An alias in ORDER BY is walked after its select; SQLite resolves it there itself.
    for (auto frame = m_cores.rbegin(); frame != m_cores.rend(); ++frame) {
        if (frame->core != column.aliasCore)
            continue;
        const ExprPtr &original = frame->aliased[size_t(column.aliasIndex)];
        if (!original)
            return;
        ExprPtr copy = original->clone();
        // Aliases built on aliases double at every step: the nodes written out are held to the
        // bound on the nodes a text may have.
        NodeCounter counter;
        counter.walkExpr(copy);
        m_inlined += counter.count;
        if (m_inlined > TreeLimits::MaxNodes)
            fail("statement too complex: more than " + std::to_string(TreeLimits::MaxNodes) +
                     " nodes with its select-list aliases written out",
                 expr->position);
        walkExpr(copy);
        expr = std::move(copy);
        return;
    }
}

void Lowerer::lowerBinary(ExprPtr &expr)
{
    auto &b = expr->as<BinaryExpr>();
    if (isArithmetic(b.op)) {
        b.left = numberOf(std::move(b.left));
        b.right = numberOf(std::move(b.right));
    }
    const ValueType type = expr->type;
    const ValueType l = b.left->type;
    const ValueType r = b.right->type;
    switch (b.op) {
    case BinaryOp::Add:
        if (type == ValueType::Text) {
            b.op = BinaryOp::Concat;
        } else if (isTemporal(type)) {
            const bool dateLeft = isTemporal(l);
            expr = dateArithmetic(std::move(dateLeft ? b.left : b.right),
                                  std::move(dateLeft ? b.right : b.left), false, type);
        }
        return;
    case BinaryOp::Subtract:
        if (isTemporal(l) && isTemporal(r)) {
            expr = m_target.daysBetween(std::move(b.left), std::move(b.right));
        } else if (isTemporal(type)) {
            expr = dateArithmetic(std::move(b.left), std::move(b.right), true, type);
        }
        return;
    case BinaryOp::Divide:
        // Jet divides in floating point; the engines truncate integer by integer.
        if (m_options.dialect == Dialect::Jet && !b.left->storesReal && !b.right->storesReal)
            b.left =
                castTo(std::move(b.left), m_target.castType(ValueType::Float), ValueType::Float);
        b.right = m_target.divisor(std::move(b.right));
        return;
    case BinaryOp::IntDivide:
    case BinaryOp::Modulo: {
        // Jet rounds both operands to whole numbers first.
        for (ExprPtr *operand : {&b.left, &b.right}) {
            if ((*operand)->type != ValueType::Integer && (*operand)->type != ValueType::Boolean)
                *operand = castTo(m_target.round(list(std::move(*operand))),
                                  m_target.castType(ValueType::Integer), ValueType::Integer);
        }
        if (b.op == BinaryOp::IntDivide)
            b.op = BinaryOp::Divide;
        b.right = m_target.divisor(std::move(b.right));
        return;
    }
    case BinaryOp::Ampersand: {
        // Jet's & reads Null as '' unless every operand is Null: one call for the whole chain, so
        // that no operand is written (or evaluated) twice.
        ExprList operands;
        if (b.left->kind == ExprKind::Function && b.left->as<FunctionExpr>().name == "vz_amp")
            operands = std::move(b.left->as<FunctionExpr>().args);
        else
            operands.push_back(std::move(b.left));
        operands.push_back(std::move(b.right));
        expr = call("vz_amp", std::move(operands), ValueType::Text);
        return;
    }
    case BinaryOp::And:
    case BinaryOp::Or:
        b.left = m_target.condition(std::move(b.left));
        b.right = m_target.condition(std::move(b.right));
        return;
    default:
        if (isComparison(b.op))
            lowerComparison(b);
        return;
    }
}

// Days and fractions of a day as Jet adds them, counted in whole seconds so that a third of a
// day is 08:00:00; Nulls stay Null and negative counts work.
ExprPtr Lowerer::dateArithmetic(ExprPtr date, ExprPtr days, bool subtract, ValueType type)
{
    return m_target.addDays(std::move(date), std::move(days), subtract, type);
}

void Lowerer::normaliseDateOperand(ExprPtr &operand, ValueType dateType)
{
    if (isLiteral(*operand, LiteralKind::String)) {
        auto &literal = operand->as<LiteralExpr>();
        auto canonical = canonicalDateTime(literal.text);
        if (!canonical)
            fail("invalid date '" + literal.text + "'", operand->position);
        literal.text = *canonical;
        literal.type = dateType;
        return;
    }
    if (auto number = numericLiteral(*operand)) {
        auto text = dateTimeFromSerial(*number);
        if (!text)
            fail("the number " + operand->toSql() + " is not a date", operand->position);
        operand = stringLiteral(*text, dateType);
        return;
    }
    if (operand->type == ValueType::Integer || operand->type == ValueType::Float)
        operand = call("vz_datetime", list(std::move(operand)), ValueType::DateTime);
}

void Lowerer::lowerComparison(BinaryExpr &b)
{
    const ValueType l = b.left->type;
    const ValueType r = b.right->type;
    if (isTemporal(l) && !isTemporal(r)) {
        normaliseDateOperand(b.right, l);
        return;
    }
    if (isTemporal(r) && !isTemporal(l)) {
        normaliseDateOperand(b.left, r);
        return;
    }
    if (b.op != BinaryOp::Equal && b.op != BinaryOp::NotEqual)
        return;
    // A Yes/No value compared with True/False (or Jet's -1): true is any non-zero value.
    for (int side = 0; side < 2; ++side) {
        ExprPtr &value = side == 0 ? b.left : b.right;
        ExprPtr &constant = side == 0 ? b.right : b.left;
        if (value->type != ValueType::Boolean || isLiteral(*value, LiteralKind::Integer))
            continue;
        auto number = numericLiteral(*constant);
        if (!number ||
            (constant->type != ValueType::Boolean && *number != 0 && *number != 1 && *number != -1))
            continue;
        const bool truth = *number != 0;
        const bool wantTrue = (b.op == BinaryOp::Equal) == truth;
        b.op = wantTrue ? BinaryOp::NotEqual : BinaryOp::Equal;
        ExprPtr operand = booleanCondition(std::move(value));
        b.left = std::move(operand);
        b.right = m_target.booleanLiteral(false);
        return;
    }
}

void Lowerer::lowerFunction(ExprPtr &expr)
{
    auto &f = expr->as<FunctionExpr>();
    if (f.lowered)
        return;
    const FunctionInfo *info = findFunction(f.name, f.star ? 0 : int(f.args.size()));
    if (!info)
        return; // the binder has reported it
    const ValueType type = expr->type;
    const bool real = expr->storesReal;
    ExprList &args = f.args;
    textArguments(f, *info);
    if (info->typing == Typing::Sum && !args.empty())
        args[0] = numberOf(std::move(args[0]));

    switch (info->lowering) {
    case Lowering::Native:
        if (!m_target.nativeCall(f))
            fail("the function " + f.name + " is not available on this database engine",
                 f.position);
        f.lowered = true;
        return;
    case Lowering::Rename:
        f.name = info->target;
        f.lowered = true;
        return;
    case Lowering::Iif: {
        // iif(isnull(x), y, x) is the null-to-zero idiom: ifnull(x, y).
        if (args[0]->kind == ExprKind::IsNull && !args[0]->as<IsNullExpr>().negated &&
            sqliteText(*args[0]->as<IsNullExpr>().operand) == sqliteText(*args[2])) {
            expr = m_target.ifNull(list(std::move(args[2]), std::move(args[1])), type, real);
            return;
        }
        auto c = std::make_unique<CaseExpr>(f.position);
        c->whens.push_back({m_target.condition(std::move(args[0])), std::move(args[1])});
        c->elseResult = std::move(args[2]);
        expr = typed(std::move(c), type, real);
        return;
    }
    case Lowering::Switch: {
        auto c = std::make_unique<CaseExpr>(f.position);
        for (size_t i = 0; i + 1 < args.size(); i += 2)
            c->whens.push_back({m_target.condition(std::move(args[i])), std::move(args[i + 1])});
        expr = typed(std::move(c), type, real);
        return;
    }
    case Lowering::IsNull:
        if (args.size() == 1)
            expr = typed(std::make_unique<IsNullExpr>(std::move(args[0]), false, f.position),
                         ValueType::Boolean);
        else
            expr = m_target.ifNull(std::move(args), type, real);
        return;
    case Lowering::Nz:
        if (args.size() == 1)
            args.push_back(args[0]->type == ValueType::Text ? stringLiteral("")
                                                            : integerLiteral(0));
        expr = m_target.ifNull(std::move(args), type, real);
        return;
    case Lowering::Left:
        expr = call("substr", list(std::move(args[0]), integerLiteral(1), std::move(args[1])),
                    ValueType::Text);
        return;
    case Lowering::Right: {
        auto count = numericLiteral(*args[1]);
        if (count && *count > 0 && std::floor(*count) == *count)
            expr = m_target.rightChars(std::move(args[0]), (long long)*count);
        else
            expr = call("vz_right", std::move(args), ValueType::Text); // Right(x, 0) is ''
        return;
    }
    case Lowering::Mid:
        expr = call("substr", std::move(args), ValueType::Text);
        return;
    case Lowering::DatePart:
        expr = m_target.datePart(info->target, std::move(args[0]));
        return;
    case Lowering::Weekday:
        expr = m_target.weekday(std::move(args[0]));
        return;
    case Lowering::Now:
        expr = m_target.now(type);
        return;
    case Lowering::Format:
        if (args.size() == 1)
            args.push_back(stringLiteral(""));
        expr = call("vz_format", std::move(args), ValueType::Text);
        return;
    case Lowering::Val: {
        Expr &arg = *args[0];
        // val(format(x, '0.00')) rounds x to two places, half away from zero.
        if (arg.kind == ExprKind::Function && arg.as<FunctionExpr>().name == "vz_format" &&
            isLiteral(*arg.as<FunctionExpr>().args[1], LiteralKind::String)) {
            const int digits =
                roundingDigits(arg.as<FunctionExpr>().args[1]->as<LiteralExpr>().text);
            if (digits >= 0) {
                ExprPtr value = std::move(arg.as<FunctionExpr>().args[0]);
                expr = m_target.round(list(std::move(value), integerLiteral(digits)));
                return;
            }
        }
        if (isNumeric(arg.type)) {
            ExprPtr value = std::move(args[0]);
            expr = std::move(value);
            return;
        }
        expr = call("vz_val", std::move(args), ValueType::Float, true);
        return;
    }
    case Lowering::Instr:
        if (args.size() == 2)
            expr = m_target.position(std::move(args[0]), std::move(args[1]));
        else
            expr = call("vz_instr", std::move(args), ValueType::Integer);
        return;
    case Lowering::CharIndex:
        expr = m_target.position(std::move(args[1]), std::move(args[0]));
        return;
    case Lowering::Convert:
        if (type == ValueType::Integer)
            expr = castTo(m_target.round(std::move(args)), m_target.castType(ValueType::Integer),
                          ValueType::Integer);
        else if (type == ValueType::Text && isTemporal(args[0]->type))
            expr = m_target.dateText(std::move(args[0]));
        else if (type == ValueType::Text && args[0]->type == ValueType::Float)
            expr = m_target.numberText(std::move(args[0]));
        else
            expr = castTo(std::move(args[0]), m_target.castType(type), type);
        return;
    case Lowering::ToBoolean:
        expr = truthValue(std::move(args[0]));
        return;
    case Lowering::ToDate:
        expr = call("vz_datetime", std::move(args), type);
        return;
    }
}

// A Yes/No in arithmetic or a sum counts 1 for Yes, as SQLite stores it.
ExprPtr Lowerer::numberOf(ExprPtr value) const
{
    if (!m_target.nativeBooleans() || value->type != ValueType::Boolean ||
        isLiteral(*value, LiteralKind::Null))
        return value;
    return castTo(std::move(value), "integer", ValueType::Integer);
}

// Functions of text read a date or a number as its text, as SQLite stores or shows it; SQLite
// reads any value so itself.
void Lowerer::textArguments(FunctionExpr &f, const FunctionInfo &info) const
{
    static constexpr std::string_view TextFunctions[] = {
        "left",   "right",  "mid",   "len",   "ucase", "lcase", "instr", "substring", "charindex",
        "substr", "length", "upper", "lower", "trim",  "ltrim", "rtrim", "replace"};
    if (!m_target.nativeDates())
        return;
    const auto named = [&](std::string_view name) {
        return equalsIgnoreCase(f.name, name);
    };
    if (std::none_of(std::begin(TextFunctions), std::end(TextFunctions), named))
        return;
    ExprList &args = f.args;
    // InStr(start, text, part) starts with a number; InStr and CharIndex search text in text.
    const size_t first = info.lowering == Lowering::Instr && args.size() == 3 ? 1 : 0;
    const bool all = info.lowering == Lowering::Instr || info.lowering == Lowering::CharIndex;
    for (size_t i = first; i < args.size() && (all || i == first); ++i)
        args[i] = textArgument(std::move(args[i]));
}

ExprPtr Lowerer::textArgument(ExprPtr value) const
{
    if (!m_target.nativeDates() || value->type == ValueType::Text ||
        value->type == ValueType::Unknown || isLiteral(*value, LiteralKind::Null))
        return value;
    if (isTemporal(value->type))
        return m_target.dateText(std::move(value));
    if (value->type == ValueType::Float)
        return m_target.numberText(std::move(value));
    return castTo(std::move(value), m_target.castType(ValueType::Text), ValueType::Text);
}

// A value as a Yes/No: not zero is true (a boolean of an engine with a boolean type is one).
ExprPtr Lowerer::truthValue(ExprPtr value) const
{
    if (value->type == ValueType::Boolean && m_target.nativeBooleans())
        return value;
    return binary(BinaryOp::NotEqual, std::move(value), integerLiteral(0), ValueType::Boolean);
}

// CAST and CONVERT by the target's value type.
void Lowerer::lowerCast(ExprPtr &expr)
{
    auto &cast = expr->as<CastExpr>();
    const ValueType type = expr->type;
    const ValueType from = cast.operand->type;
    switch (type) {
    case ValueType::Text:
        if (from == ValueType::Text)
            expr = typed(std::move(cast.operand), ValueType::Text);
        else if (isTemporal(from))
            expr = m_target.dateText(std::move(cast.operand));
        else if (from == ValueType::Float)
            expr = m_target.numberText(std::move(cast.operand));
        else
            cast.target = TypeName{m_target.castType(ValueType::Text), {}};
        return;
    case ValueType::Integer:
    case ValueType::Float:
        cast.target = TypeName{m_target.castType(type), {}};
        return;
    case ValueType::Boolean:
        expr = truthValue(std::move(cast.operand));
        return;
    case ValueType::Date:
    case ValueType::DateTime:
        if (!isTemporal(from))
            expr = call("vz_datetime", list(std::move(cast.operand)), type);
        else
            expr = typed(std::move(cast.operand), type);
        return;
    case ValueType::Blob:
        cast.target = TypeName{m_target.castType(ValueType::Blob), {}};
        return;
    case ValueType::Unknown:
        return;
    }
}

} // namespace sql::lowering
