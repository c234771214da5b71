// The lowering pass: type-directed rewrites of a bound tree into SQLite's terms, in three
// parts (expressions, queries, statements). Internal to the translator.
#pragma once

#include "sql/ast.h"
#include "sql/emitter.h"
#include "sql/rewriter.h"
#include "sql/target.h"
#include "sql/walker.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sql {
struct FunctionInfo;
}

namespace sql::lowering {

// Small builders of typed nodes.

inline ExprPtr typed(ExprPtr expr, ValueType type, bool storesReal = false)
{
    expr->type = type;
    expr->storesReal = storesReal;
    return expr;
}

inline ExprPtr stringLiteral(std::string text, ValueType type = ValueType::Text)
{
    return typed(std::make_unique<LiteralExpr>(LiteralKind::String, std::move(text)), type);
}

inline ExprPtr integerLiteral(long long value, ValueType type = ValueType::Integer)
{
    return typed(std::make_unique<LiteralExpr>(LiteralKind::Integer, std::to_string(value)), type);
}

inline ExprPtr floatLiteral(const char *text)
{
    return typed(std::make_unique<LiteralExpr>(LiteralKind::Float, text), ValueType::Float, true);
}

inline ExprPtr call(const char *name, ExprList args, ValueType type, bool storesReal = false)
{
    auto function = std::make_unique<FunctionExpr>(name, std::move(args));
    function->lowered = true;
    return typed(std::move(function), type, storesReal);
}

template<class... Args>
inline ExprList list(Args &&...args)
{
    ExprList result;
    (result.push_back(std::forward<Args>(args)), ...);
    return result;
}

inline ExprPtr castTo(ExprPtr operand, const char *typeName, ValueType type)
{
    return typed(std::make_unique<CastExpr>(std::move(operand), TypeName{typeName, {}}), type,
                 type == ValueType::Float);
}

inline ExprPtr binary(BinaryOp op, ExprPtr left, ExprPtr right, ValueType type,
                      bool storesReal = false)
{
    return typed(std::make_unique<BinaryExpr>(op, std::move(left), std::move(right)), type,
                 storesReal);
}

inline bool isLiteral(const Expr &expr, LiteralKind kind)
{
    return expr.kind == ExprKind::Literal && expr.as<LiteralExpr>().literal == kind;
}

// A number written in the text: 45352.5, -3.
inline std::optional<double> numericLiteral(const Expr &expr)
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

inline bool isNullableBooleanColumn(const Expr &expr)
{
    return expr.kind == ExprKind::Column && expr.type == ValueType::Boolean &&
           !expr.as<ColumnExpr>().notNull;
}

inline std::string sqliteText(const Expr &expr)
{
    return SqlWriter(SqlStyle::Sqlite).expr(expr);
}

// "0", "0.00", "0.000": the masks that are only a rounding.
inline int roundingDigits(const std::string &mask)
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

// Calls visit(member, column, index) for every written-out result column of every member of a
// UNION (or the one member of a query), index counting the columns a star stands for.
template<class Visit>
void forEachMemberColumn(SelectStmt &select, Visit visit)
{
    for (auto &member : select.members) {
        size_t result = 0;
        for (ResultColumn &column : member->columns) {
            if (column.expr->kind == ExprKind::Star) {
                result += column.expr->as<StarExpr>().expansion.size();
                continue;
            }
            visit(*member, column, result++);
        }
    }
}

// Counts the expressions of a tree, those of its subqueries included.
class NodeCounter : public Walker
{
public:
    long long count = 0;

protected:
    void leaveExpr(ExprPtr &) override { ++count; }
};

class Lowerer : public Walker
{
public:
    Lowerer(const LoweringOptions &options, std::string_view text)
        : m_options(options)
        , m_target(Target::of(options.engine))
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

    ExprPtr booleanCondition(ExprPtr expr) const;
    ExprPtr truthValue(ExprPtr value) const;
    void lowerLiteral(ExprPtr &expr);

    void lowerColumn(ExprPtr &expr);
    void lowerBinary(ExprPtr &expr);
    void lowerComparison(BinaryExpr &binary);
    void lowerFunction(ExprPtr &expr);
    void lowerCast(ExprPtr &expr);
    void normaliseDateOperand(ExprPtr &operand, ValueType dateType);
    ExprPtr dateArithmetic(ExprPtr date, ExprPtr days, bool subtract, ValueType type);

    void collateText(ExprPtr &key);
    void groupBareColumns(SelectCore &core);
    void sortOutside(SelectStmt &select);
    void alignUnionTypes(SelectStmt &select);
    void textArguments(FunctionExpr &f, const FunctionInfo &info) const;
    ExprPtr textArgument(ExprPtr value) const;
    ExprPtr numberOf(ExprPtr value) const;
    void expandStars(SelectCore &core);
    void applyTop(SelectStmt &select);
    void applyJetTies(SelectStmt &select);
    void nullEmptyStrings(SelectStmt &select);

    void coerceForColumn(ExprPtr &value, const ColumnInfo &column, const std::string &table);
    void coerceSelectForColumns(SelectStmt &select, const std::vector<const ColumnInfo *> &columns,
                                const std::string &table);
    void lowerCreateTable(CreateTableStatement &create);

    const LoweringOptions &m_options;
    const Target &m_target;
    std::string_view m_text;
    std::vector<CoreFrame> m_cores;
    long long m_inlined = 0; // nodes of the alias references written out so far
};

} // namespace sql::lowering
