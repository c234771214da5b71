// Type-directed rewrites into SQLite's terms. Runs post-order over a bound tree: by the time a
// node is rewritten its children already are, and every node still carries the type the binder
// gave it, so a replacement keeps the type of what it replaces.
#include "sql/datetime.h"
#include "sql/emitter.h"
#include "sql/functions.h"
#include "sql/rewriter.h"
#include "sql/tokenizer.h"
#include "sql/types.h"
#include "sql/walker.h"

#include <cmath>
#include <cstdlib>

namespace sql {

namespace {

// ---- Small builders ------------------------------------------------------------------------

ExprPtr typed(ExprPtr expr, ValueType type, bool storesReal = false)
{
    expr->type = type;
    expr->storesReal = storesReal;
    return expr;
}

ExprPtr stringLiteral(std::string text, ValueType type = ValueType::Text)
{
    return typed(std::make_unique<LiteralExpr>(LiteralKind::String, std::move(text)), type);
}

ExprPtr integerLiteral(long long value, ValueType type = ValueType::Integer)
{
    return typed(std::make_unique<LiteralExpr>(LiteralKind::Integer, std::to_string(value)), type);
}

ExprPtr call(const char *name, ExprList args, ValueType type, bool storesReal = false)
{
    auto function = std::make_unique<FunctionExpr>(name, std::move(args));
    function->lowered = true;
    return typed(std::move(function), type, storesReal);
}

template<class... Args>
ExprList list(Args &&...args)
{
    ExprList result;
    (result.push_back(std::forward<Args>(args)), ...);
    return result;
}

ExprPtr castTo(ExprPtr operand, const char *typeName, ValueType type)
{
    return typed(std::make_unique<CastExpr>(std::move(operand), TypeName{typeName, {}}), type,
                 type == ValueType::Float);
}

ExprPtr binary(BinaryOp op, ExprPtr left, ExprPtr right, ValueType type, bool storesReal = false)
{
    return typed(std::make_unique<BinaryExpr>(op, std::move(left), std::move(right)), type,
                 storesReal);
}

bool isLiteral(const Expr &expr, LiteralKind kind)
{
    return expr.kind == ExprKind::Literal && expr.as<LiteralExpr>().literal == kind;
}

// A number written in the text: 45352.5, -3.
std::optional<double> numericLiteral(const Expr &expr)
{
    if (isLiteral(expr, LiteralKind::Integer) || isLiteral(expr, LiteralKind::Float))
        return std::strtod(expr.as<LiteralExpr>().text.c_str(), nullptr);
    if (expr.kind == ExprKind::Unary && expr.as<UnaryExpr>().op != UnaryOp::Not) {
        auto value = numericLiteral(*expr.as<UnaryExpr>().operand);
        if (value && expr.as<UnaryExpr>().op == UnaryOp::Minus)
            return -*value;
        return value;
    }
    return std::nullopt;
}

bool isNullableBooleanColumn(const Expr &expr)
{
    return expr.kind == ExprKind::Column && expr.type == ValueType::Boolean &&
           !expr.as<ColumnExpr>().notNull;
}

// A boolean column used as a condition: Jet's Yes/No fields are never Null, so a Null must
// count as false, also under NOT.
ExprPtr booleanCondition(ExprPtr expr)
{
    if (!isNullableBooleanColumn(*expr))
        return expr;
    return call("ifnull", list(std::move(expr), integerLiteral(0)), ValueType::Boolean);
}

std::string sqliteText(const Expr &expr)
{
    return SqlWriter(SqlStyle::Sqlite).expr(expr);
}

// "0", "0.00", "0.000": the masks that are only a rounding.
int roundingDigits(const std::string &mask)
{
    if (mask == "0")
        return 0;
    if (mask.size() < 3 || mask.compare(0, 2, "0.") != 0)
        return -1;
    for (size_t i = 2; i < mask.size(); ++i) {
        if (mask[i] != '0')
            return -1;
    }
    return int(mask.size() - 2);
}

// ---- The pass ------------------------------------------------------------------------------

class Lowerer : public Walker
{
public:
    Lowerer(const LoweringOptions &options, std::string_view text)
        : m_options(options)
        , m_text(text)
    {}

    void lower(StatementNode &statement, const TableInfo *target);

protected:
    bool visitCore(SelectCore &core) override;
    void leaveCore(SelectCore &core) override;
    void leaveSelect(SelectStmt &select) override;
    void leaveExpr(ExprPtr &expr) override;

private:
    struct CoreFrame
    {
        SelectCore *core;
        std::vector<ExprPtr> aliased; // originals of the result columns used as aliases
    };

    [[noreturn]] void fail(const std::string &message, int offset) const;

    void lowerColumn(ExprPtr &expr);
    void lowerBinary(ExprPtr &expr);
    void lowerComparison(BinaryExpr &binary);
    void lowerFunction(ExprPtr &expr);
    void lowerCast(ExprPtr &expr);
    void normaliseDateOperand(ExprPtr &operand, ValueType dateType);
    ExprPtr dateArithmetic(ExprPtr date, ExprPtr days, bool subtract, ValueType type);

    void collateText(ExprPtr &key);
    void expandStars(SelectCore &core);
    void applyTop(SelectStmt &select);
    void applyJetTies(SelectStmt &select);
    void nullEmptyStrings(SelectStmt &select);

    void coerceForColumn(ExprPtr &value, const ColumnInfo &column, const std::string &table);
    void coerceSelectForColumns(SelectStmt &select, const std::vector<const ColumnInfo *> &columns,
                                const std::string &table);
    void lowerCreateTable(CreateTableStatement &create);

    const LoweringOptions &m_options;
    std::string_view m_text;
    std::vector<CoreFrame> m_cores;
};

void Lowerer::fail(const std::string &message, int offset) const
{
    if (offset < 0)
        throw TranslateError(message);
    const int position = characterPosition(m_text, offset);
    throw TranslateError(message + " at position " + std::to_string(position), position);
}

bool Lowerer::visitCore(SelectCore &core)
{
    CoreFrame frame{&core, {}};
    frame.aliased.resize(core.columns.size());
    for (size_t i = 0; i < core.columns.size(); ++i) {
        if (core.columns[i].referenced)
            frame.aliased[i] = core.columns[i].expr->clone();
    }
    m_cores.push_back(std::move(frame));
    return true;
}

void Lowerer::leaveCore(SelectCore &core)
{
    // A text column groups by the collation it is declared with (case-insensitive in every
    // account set), which keeps its index usable; computed text needs the collation spelled.
    for (ExprPtr &key : core.groupBy) {
        if (key->kind != ExprKind::Column || key->as<ColumnExpr>().baseTable.empty())
            collateText(key);
    }
    expandStars(core);
    m_cores.pop_back();
}

void Lowerer::leaveSelect(SelectStmt &select)
{
    for (OrderItem &item : select.orderBy)
        collateText(item.expr);
    if (select.members.size() > 1)
        nullEmptyStrings(select);
    applyTop(select);
}

void Lowerer::collateText(ExprPtr &key)
{
    if (key->type != ValueType::Text || key->kind == ExprKind::Collate)
        return;
    if (isLiteral(*key, LiteralKind::Integer))
        return;
    const ValueType type = key->type;
    key = typed(std::make_unique<CollateExpr>(std::move(key), TextCollation), type);
}

// A star whose columns needed new names (duplicates) is written out column by column, so that
// each can carry its name.
void Lowerer::expandStars(SelectCore &core)
{
    bool needed = false;
    size_t result = 0;
    for (const ResultColumn &column : core.columns) {
        if (column.expr->kind != ExprKind::Star) {
            ++result;
            continue;
        }
        for (const StarExpr::Column &c : column.expr->as<StarExpr>().expansion) {
            if (core.result[result++].name != c.column)
                needed = true;
        }
    }
    if (!needed)
        return;
    std::vector<ResultColumn> columns;
    result = 0;
    for (ResultColumn &column : core.columns) {
        if (column.expr->kind != ExprKind::Star) {
            columns.push_back(std::move(column));
            ++result;
            continue;
        }
        for (const StarExpr::Column &c : column.expr->as<StarExpr>().expansion) {
            auto ref = std::make_unique<ColumnExpr>(c.qualifier, c.column);
            ref->type = core.result[result].type;
            columns.emplace_back(std::move(ref), std::string());
            ++result;
        }
    }
    core.columns = std::move(columns);
}

// In a UNION whose column is numeric, a date or a boolean, a member's '' stands for "no value".
void Lowerer::nullEmptyStrings(SelectStmt &select)
{
    for (auto &member : select.members) {
        size_t result = 0;
        for (ResultColumn &column : member->columns) {
            if (column.expr->kind == ExprKind::Star) {
                result += column.expr->as<StarExpr>().expansion.size();
                continue;
            }
            const ValueType type = select.result[result].type;
            if (type != ValueType::Text && type != ValueType::Unknown &&
                isLiteral(*column.expr, LiteralKind::String) &&
                column.expr->as<LiteralExpr>().text.empty()) {
                column.expr = typed(std::make_unique<LiteralExpr>(LiteralKind::Null, "NULL"), type);
                member->result[result].type = type;
            }
            ++result;
        }
    }
}

void Lowerer::applyTop(SelectStmt &select)
{
    if (select.members.size() > 1) {
        // SQLite allows no LIMIT on a member: each limited member becomes a derived table.
        for (auto &member : select.members) {
            if (member->top < 0)
                continue;
            if (member->topPercent)
                fail("TOP ... PERCENT is not supported", member->position);
            auto inner = std::make_unique<SelectStmt>();
            inner->limit = member->top;
            member->top = -1;
            inner->result = member->result;
            const int position = member->position;
            inner->members.push_back(std::move(member));
            auto wrapper = std::make_unique<SelectCore>();
            wrapper->position = position;
            wrapper->result = inner->result;
            auto star = std::make_unique<StarExpr>(std::string());
            for (const ColumnInfo &c : inner->result)
                star->expansion.push_back({std::string(), c.name});
            wrapper->columns.emplace_back(std::move(star), std::string());
            wrapper->from.push_back(std::make_unique<SubqueryRef>(std::move(inner)));
            member = std::move(wrapper);
        }
        return;
    }
    SelectCore &core = *select.members.front();
    if (core.top < 0)
        return;
    if (core.topPercent)
        fail("TOP ... PERCENT is not supported", core.position);
    if (m_options.dialect == Dialect::Jet && m_options.jetTopTies && !select.orderBy.empty() &&
        !core.distinct) {
        applyJetTies(select);
        return;
    }
    select.limit = core.top;
    core.top = -1;
}

// TOP n with ORDER BY in Jet returns the first n rows and every row tied with the n-th:
//   SELECT <columns> FROM (SELECT ..., rank() OVER (ORDER BY <keys>) AS "vz_rank" ...)
//   WHERE "vz_rank" <= n ORDER BY "vz_rank"
void Lowerer::applyJetTies(SelectStmt &select)
{
    static const char *RankName = "vz_rank";
    auto &core = *select.members.front();
    const long long top = core.top;
    core.top = -1;

    // The window cannot see result aliases or positions: spell the keys out.
    auto resultExpr = [&](size_t index) -> ExprPtr {
        size_t result = 0;
        for (const ResultColumn &column : core.columns) {
            if (column.expr->kind == ExprKind::Star) {
                const auto &expansion = column.expr->as<StarExpr>().expansion;
                if (index < result + expansion.size()) {
                    const auto &c = expansion[index - result];
                    return std::make_unique<ColumnExpr>(c.qualifier, c.column);
                }
                result += expansion.size();
                continue;
            }
            if (result == index)
                return column.expr->clone();
            ++result;
        }
        return nullptr;
    };
    std::vector<OrderItem> keys;
    for (OrderItem &item : select.orderBy) {
        Expr *key = item.expr.get();
        std::string collation;
        if (key->kind == ExprKind::Collate) {
            collation = key->as<CollateExpr>().collation;
            key = key->as<CollateExpr>().operand.get();
        }
        ExprPtr spelled;
        if (key->kind == ExprKind::Column && key->as<ColumnExpr>().outputName) {
            const std::string &name = key->as<ColumnExpr>().column;
            for (size_t i = 0; i < core.result.size() && !spelled; ++i) {
                if (core.result[i].name == name)
                    spelled = resultExpr(i);
            }
        } else if (isLiteral(*key, LiteralKind::Integer)) {
            spelled = resultExpr(size_t(std::stoll(key->as<LiteralExpr>().text) - 1));
        }
        if (!spelled)
            spelled = key->clone();
        if (!collation.empty())
            spelled = std::make_unique<CollateExpr>(std::move(spelled), collation);
        keys.emplace_back(std::move(spelled), item.descending);
    }

    auto rank = std::make_unique<FunctionExpr>("rank", ExprList());
    rank->lowered = true;
    rank->window = true;
    rank->windowOrder = std::move(keys);
    rank->type = ValueType::Integer;
    const std::vector<ColumnInfo> visible = core.result;
    core.columns.emplace_back(std::move(rank), RankName);
    ColumnInfo rankInfo;
    rankInfo.name = RankName;
    rankInfo.type = ValueType::Integer;
    core.result.push_back(rankInfo);

    auto inner = std::make_unique<SelectStmt>();
    inner->result = core.result;
    inner->members.push_back(std::move(select.members.front()));

    auto outer = std::make_unique<SelectCore>();
    outer->position = inner->members.front()->position;
    outer->result = visible;
    for (const ColumnInfo &c : visible) {
        auto ref = std::make_unique<ColumnExpr>(std::string(), c.name);
        ref->outputName = true;
        ref->type = c.type;
        outer->columns.emplace_back(std::move(ref), std::string());
    }
    outer->from.push_back(std::make_unique<SubqueryRef>(std::move(inner)));
    auto rankRef = std::make_unique<ColumnExpr>(std::string(), RankName);
    rankRef->outputName = true;
    outer->where =
        binary(BinaryOp::LessEqual, std::move(rankRef), integerLiteral(top), ValueType::Boolean);

    select.members.front() = std::move(outer);
    select.orderBy.clear();
    auto order = std::make_unique<ColumnExpr>(std::string(), RankName);
    order->outputName = true;
    select.orderBy.emplace_back(std::move(order), false);
}

// ---- Expressions ---------------------------------------------------------------------------

void Lowerer::leaveExpr(ExprPtr &expr)
{
    switch (expr->kind) {
    case ExprKind::Literal: {
        auto &literal = expr->as<LiteralExpr>();
        if (literal.literal == LiteralKind::Date)
            literal.literal = LiteralKind::String;
        else if (literal.literal == LiteralKind::Boolean)
            literal.literal = LiteralKind::Integer;
        return;
    }
    case ExprKind::Column:
        lowerColumn(expr);
        return;
    case ExprKind::Unary: {
        auto &unary = expr->as<UnaryExpr>();
        if (unary.op == UnaryOp::Not)
            unary.operand = booleanCondition(std::move(unary.operand));
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

// A select-list alias used again in the same query becomes the expression it names.
void Lowerer::lowerColumn(ExprPtr &expr)
{
    const auto &column = expr->as<ColumnExpr>();
    if (column.aliasIndex < 0 || m_cores.empty())
        return;
    CoreFrame &frame = m_cores.back();
    const ExprPtr &original = frame.aliased[size_t(column.aliasIndex)];
    if (!original)
        return;
    ExprPtr copy = original->clone();
    walkExpr(copy);
    expr = std::move(copy);
}

void Lowerer::lowerBinary(ExprPtr &expr)
{
    auto &b = expr->as<BinaryExpr>();
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
            // Days between, exact to the second.
            ExprPtr seconds = binary(
                BinaryOp::Subtract,
                call("strftime", list(stringLiteral("%s"), std::move(b.left)), ValueType::Text),
                call("strftime", list(stringLiteral("%s"), std::move(b.right)), ValueType::Text),
                ValueType::Integer);
            expr = binary(BinaryOp::Divide, std::move(seconds),
                          typed(std::make_unique<LiteralExpr>(LiteralKind::Float, "86400.0"),
                                ValueType::Float, true),
                          ValueType::Float, true);
        } else if (isTemporal(type)) {
            expr = dateArithmetic(std::move(b.left), std::move(b.right), true, type);
        }
        return;
    case BinaryOp::Divide:
        // Jet divides in floating point; SQLite truncates integer by integer.
        if (m_options.dialect == Dialect::Jet && !b.left->storesReal && !b.right->storesReal)
            b.left = castTo(std::move(b.left), "REAL", ValueType::Float);
        return;
    case BinaryOp::IntDivide:
    case BinaryOp::Modulo: {
        // Jet rounds both operands to whole numbers first.
        for (ExprPtr *operand : {&b.left, &b.right}) {
            if ((*operand)->type != ValueType::Integer && (*operand)->type != ValueType::Boolean)
                *operand = castTo(call("round", list(std::move(*operand)), ValueType::Float, true),
                                  "INTEGER", ValueType::Integer);
        }
        if (b.op == BinaryOp::IntDivide)
            b.op = BinaryOp::Divide;
        return;
    }
    case BinaryOp::Ampersand: {
        // Jet's & reads Null as '' unless both sides are Null.
        ExprPtr left = b.left->clone();
        ExprPtr right = b.right->clone();
        ExprPtr both =
            binary(BinaryOp::Concat, std::move(b.left), std::move(b.right), ValueType::Text);
        expr = call("coalesce", list(std::move(both), std::move(left), std::move(right)),
                    ValueType::Text);
        return;
    }
    case BinaryOp::And:
    case BinaryOp::Or:
        return;
    default:
        if (isComparison(b.op))
            lowerComparison(b);
        return;
    }
}

// Days and fractions of a day as Jet adds them, counted in whole seconds so that a third of a
// day is 08:00:00; Nulls stay Null and negative counts work. The result is canonical (no time
// part at midnight).
ExprPtr Lowerer::dateArithmetic(ExprPtr date, ExprPtr days, bool subtract, ValueType type)
{
    ExprPtr seconds = call("strftime", list(stringLiteral("%s"), std::move(date)), ValueType::Text);
    const bool whole = days->type == ValueType::Integer || days->type == ValueType::Boolean;
    ExprPtr offset = binary(BinaryOp::Multiply, std::move(days), integerLiteral(86400),
                            whole ? ValueType::Integer : ValueType::Float);
    if (!whole)
        offset = call("round", list(std::move(offset)), ValueType::Float, true);
    ExprPtr sum = binary(subtract ? BinaryOp::Subtract : BinaryOp::Add, std::move(seconds),
                         std::move(offset), ValueType::Integer);
    ExprPtr text =
        call("datetime", list(std::move(sum), stringLiteral("unixepoch")), ValueType::DateTime);
    return call("replace", list(std::move(text), stringLiteral(" 00:00:00"), stringLiteral("")),
                type);
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
        b.right = integerLiteral(0);
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

    switch (info->lowering) {
    case Lowering::Native:
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
            expr = call("ifnull", list(std::move(args[2]), std::move(args[1])), type, real);
            return;
        }
        auto c = std::make_unique<CaseExpr>(f.position);
        c->whens.push_back({std::move(args[0]), std::move(args[1])});
        c->elseResult = std::move(args[2]);
        expr = typed(std::move(c), type, real);
        return;
    }
    case Lowering::Switch: {
        auto c = std::make_unique<CaseExpr>(f.position);
        for (size_t i = 0; i + 1 < args.size(); i += 2)
            c->whens.push_back({std::move(args[i]), std::move(args[i + 1])});
        expr = typed(std::move(c), type, real);
        return;
    }
    case Lowering::IsNull:
        if (args.size() == 1)
            expr = typed(std::make_unique<IsNullExpr>(std::move(args[0]), false, f.position),
                         ValueType::Boolean);
        else
            expr = call("ifnull", std::move(args), type, real);
        return;
    case Lowering::Nz:
        if (args.size() == 1)
            args.push_back(args[0]->type == ValueType::Text ? stringLiteral("")
                                                            : integerLiteral(0));
        expr = call("ifnull", std::move(args), type, real);
        return;
    case Lowering::Left:
        expr = call("substr", list(std::move(args[0]), integerLiteral(1), std::move(args[1])),
                    ValueType::Text);
        return;
    case Lowering::Right: {
        auto count = numericLiteral(*args[1]);
        if (count && *count > 0 && std::floor(*count) == *count) {
            expr = call("substr", list(std::move(args[0]), integerLiteral(-(long long)*count)),
                        ValueType::Text);
        } else {
            // substr(x, max(length(x) - n + 1, 1)): Right(x, 0) is '' as in Jet.
            ExprPtr length = call("length", list(args[0]->clone()), ValueType::Integer);
            ExprPtr start = binary(BinaryOp::Add,
                                   binary(BinaryOp::Subtract, std::move(length), std::move(args[1]),
                                          ValueType::Integer),
                                   integerLiteral(1), ValueType::Integer);
            expr =
                call("substr",
                     list(std::move(args[0]), call("max", list(std::move(start), integerLiteral(1)),
                                                   ValueType::Integer)),
                     ValueType::Text);
        }
        return;
    }
    case Lowering::Mid:
        expr = call("substr", std::move(args), ValueType::Text);
        return;
    case Lowering::DatePart:
        expr = castTo(call("strftime", list(stringLiteral(info->target), std::move(args[0])),
                           ValueType::Text),
                      "INTEGER", ValueType::Integer);
        return;
    case Lowering::Weekday:
        expr = binary(
            BinaryOp::Add,
            castTo(call("strftime", list(stringLiteral("%w"), std::move(args[0])), ValueType::Text),
                   "INTEGER", ValueType::Integer),
            integerLiteral(1), ValueType::Integer);
        return;
    case Lowering::Now:
        expr = call(info->target, list(stringLiteral("now"), stringLiteral("localtime")), type);
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
                expr = call("round", list(std::move(value), integerLiteral(digits)),
                            ValueType::Float, true);
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
    case Lowering::Instr: {
        const char *name = args.size() == 2 ? "instr" : "vz_instr";
        expr = call(name, std::move(args), ValueType::Integer);
        return;
    }
    case Lowering::CharIndex:
        expr = call("instr", list(std::move(args[1]), std::move(args[0])), ValueType::Integer);
        return;
    case Lowering::Convert:
        if (type == ValueType::Integer)
            expr = castTo(call("round", std::move(args), ValueType::Float, true), "INTEGER",
                          ValueType::Integer);
        else if (type == ValueType::Text && isTemporal(args[0]->type))
            expr = typed(std::move(args[0]), ValueType::Text);
        else
            expr = castTo(std::move(args[0]), info->target, type);
        return;
    case Lowering::ToBoolean:
        expr =
            binary(BinaryOp::NotEqual, std::move(args[0]), integerLiteral(0), ValueType::Boolean);
        return;
    case Lowering::ToDate:
        expr = call("vz_datetime", std::move(args), type);
        return;
    }
}

// CAST and CONVERT by the target's value type; dates are canonical text already.
void Lowerer::lowerCast(ExprPtr &expr)
{
    auto &cast = expr->as<CastExpr>();
    const ValueType type = expr->type;
    const ValueType from = cast.operand->type;
    switch (type) {
    case ValueType::Text:
        if (isTemporal(from) || from == ValueType::Text)
            expr = typed(std::move(cast.operand), ValueType::Text);
        else
            cast.target = TypeName{"TEXT", {}};
        return;
    case ValueType::Integer:
        cast.target = TypeName{"INTEGER", {}};
        return;
    case ValueType::Float:
        cast.target = TypeName{"REAL", {}};
        return;
    case ValueType::Boolean:
        expr = binary(BinaryOp::NotEqual, std::move(cast.operand), integerLiteral(0),
                      ValueType::Boolean);
        return;
    case ValueType::Date:
    case ValueType::DateTime:
        if (!isTemporal(from))
            expr = call("vz_datetime", list(std::move(cast.operand)), type);
        else
            expr = typed(std::move(cast.operand), type);
        return;
    case ValueType::Blob:
        cast.target = TypeName{"BLOB", {}};
        return;
    case ValueType::Unknown:
        return;
    }
}

// ---- Statements ----------------------------------------------------------------------------

// A value written into a date or Yes/No column is stored in canonical form.
void Lowerer::coerceForColumn(ExprPtr &value, const ColumnInfo &column, const std::string &table)
{
    const std::string where = " for " + table + "." + column.name;
    if (isTemporal(column.type)) {
        if (isLiteral(*value, LiteralKind::Null) || isTemporal(value->type))
            return;
        if (isLiteral(*value, LiteralKind::String)) {
            auto &literal = value->as<LiteralExpr>();
            if (literal.text.empty()) {
                value =
                    typed(std::make_unique<LiteralExpr>(LiteralKind::Null, "NULL"), column.type);
                return;
            }
            auto canonical = canonicalDateTime(literal.text);
            if (!canonical)
                fail("invalid date '" + literal.text + "'" + where, value->position);
            literal.text = *canonical;
            literal.type = column.type;
            return;
        }
        if (auto number = numericLiteral(*value)) {
            auto text = dateTimeFromSerial(*number);
            if (!text)
                fail("the number " + value->toSql() + " is not a date" + where, value->position);
            value = stringLiteral(*text, column.type);
            return;
        }
        value = call("vz_datetime", list(std::move(value)), column.type);
        return;
    }
    if (column.type == ValueType::Boolean) {
        if (isLiteral(*value, LiteralKind::Null)) {
            value = integerLiteral(0, ValueType::Boolean);
            return;
        }
        if (auto number = numericLiteral(*value)) {
            value = integerLiteral(*number != 0 ? 1 : 0, ValueType::Boolean);
            return;
        }
        if (isLiteral(*value, LiteralKind::String)) {
            const std::string text = toLower(value->as<LiteralExpr>().text);
            int truth = -1;
            for (const char *t : {"true", "yes", "on", "-1", "1"}) {
                if (text == t)
                    truth = 1;
            }
            for (const char *f : {"false", "no", "off", "0"}) {
                if (text == f)
                    truth = 0;
            }
            if (truth < 0)
                fail("'" + value->as<LiteralExpr>().text + "' is not a Yes/No value" + where,
                     value->position);
            value = integerLiteral(truth, ValueType::Boolean);
            return;
        }
        if (value->type == ValueType::Boolean)
            return;
        auto c = std::make_unique<CaseExpr>();
        c->whens.push_back({std::move(value), integerLiteral(1)});
        c->elseResult = integerLiteral(0);
        value = typed(std::move(c), ValueType::Boolean);
    }
}

void Lowerer::coerceSelectForColumns(SelectStmt &select,
                                     const std::vector<const ColumnInfo *> &columns,
                                     const std::string &table)
{
    for (auto &member : select.members) {
        size_t result = 0;
        for (ResultColumn &column : member->columns) {
            if (column.expr->kind == ExprKind::Star) {
                result += column.expr->as<StarExpr>().expansion.size();
                continue;
            }
            if (result < columns.size() && columns[result])
                coerceForColumn(column.expr, *columns[result], table);
            ++result;
        }
    }
}

void Lowerer::lowerCreateTable(CreateTableStatement &create)
{
    for (ColumnDef &column : create.columns) {
        const DeclaredType declared = mapDeclaredType(column.type.toSql());
        if (!declared.sqliteName.empty())
            column.type.name = declared.sqliteName;
        if (declared.type != ValueType::Text && declared.type != ValueType::Unknown)
            column.type.args.clear();
        // Only INTEGER PRIMARY KEY makes the key the rowid, which orders "the first row".
        if (column.primaryKey && declared.type == ValueType::Integer)
            column.type = TypeName{"integer", {}};
        if (declared.type == ValueType::Text)
            column.collation = "NOCASE";
        // Jet's Yes/No fields are never Null and start as No.
        if (declared.type == ValueType::Boolean) {
            column.notNull = true;
            if (!column.defaultValue)
                column.defaultValue = integerLiteral(0, ValueType::Boolean);
        }
    }
}

void Lowerer::lower(StatementNode &statement, const TableInfo *target)
{
    walkStatement(statement);
    switch (statement.kind) {
    case StatementKind::Insert: {
        auto &insert = statement.as<InsertStatement>();
        if (!target)
            return;
        std::vector<const ColumnInfo *> columns;
        if (insert.columns.empty()) {
            for (const ColumnInfo &column : target->columns)
                columns.push_back(&column);
        } else {
            for (const std::string &name : insert.columns)
                columns.push_back(target->column(name));
        }
        for (ExprList &row : insert.rows) {
            for (size_t i = 0; i < row.size() && i < columns.size(); ++i) {
                if (columns[i])
                    coerceForColumn(row[i], *columns[i], target->name);
            }
        }
        if (insert.select)
            coerceSelectForColumns(*insert.select, columns, target->name);
        return;
    }
    case StatementKind::Update: {
        if (!target)
            return;
        for (Assignment &assignment : statement.as<UpdateStatement>().assignments) {
            if (const ColumnInfo *column = target->column(assignment.column))
                coerceForColumn(assignment.value, *column, target->name);
        }
        return;
    }
    case StatementKind::CreateTable:
        lowerCreateTable(statement.as<CreateTableStatement>());
        return;
    default:
        return;
    }
}

} // namespace

void lowerStatement(StatementNode &statement, const LoweringOptions &options, std::string_view text,
                    const TableInfo *target)
{
    Lowerer lowerer(options, text);
    lowerer.lower(statement, target);
}

} // namespace sql
