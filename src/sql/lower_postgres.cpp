// Lowering of query shapes that SQLite accepts and PostgreSQL does not: ORDER BY terms that
// are expressions over result columns, or that a UNION or DISTINCT cannot sort by; bare columns
// beside aggregates; UNION members whose types PostgreSQL will not unify.
#include "sql/functions.h"
#include "sql/lowering.h"
#include "sql/tokenizer.h"
#include "sql/types.h"

#include <algorithm>
#include <optional>

namespace sql::lowering {

namespace {

bool isAggregateCall(const Expr &expr)
{
    if (expr.kind != ExprKind::Function)
        return false;
    const auto &f = expr.as<FunctionExpr>();
    if (f.window)
        return false;
    if (f.name == "string_agg")
        return true;
    const FunctionInfo *info = findFunction(f.name, f.star ? 0 : int(f.args.size()));
    return info && info->aggregate;
}

// Whether an expression names a result column: a name the binder resolved so, or one it left
// to the engine (an alias inside an expression).
class OutputNameFinder : public Walker
{
public:
    explicit OutputNameFinder(const std::vector<ColumnInfo> &result)
        : m_result(result)
    {}
    bool found = false;

protected:
    bool visitExpr(ExprPtr &expr) override
    {
        if (expr->kind == ExprKind::Column && isOutputName(expr->as<ColumnExpr>()))
            found = true;
        return !found && expr->kind != ExprKind::Subquery && expr->kind != ExprKind::Exists;
    }

private:
    bool isOutputName(const ColumnExpr &column) const
    {
        if (column.outputName)
            return true;
        if (!column.table.empty() || !column.baseTable.empty())
            return false;
        return std::any_of(m_result.begin(), m_result.end(), [&](const ColumnInfo &c) {
            return equalsIgnoreCase(c.name, column.column);
        });
    }

    const std::vector<ColumnInfo> &m_result;
};

bool isBareReference(const Expr &expr)
{
    return expr.kind == ExprKind::Column || isLiteral(expr, LiteralKind::Integer);
}

// Column references of an ORDER BY term that sorts a derived table made of the query: each
// becomes the name of the result column it is.
class ResultNames : public Walker
{
public:
    explicit ResultNames(const SelectCore &core)
        : m_core(core)
    {}

protected:
    bool visitExpr(ExprPtr &expr) override
    {
        if (expr->kind == ExprKind::Subquery || expr->kind == ExprKind::Exists)
            return false;
        if (expr->kind != ExprKind::Column || expr->as<ColumnExpr>().outputName)
            return true;
        const auto &reference = expr->as<ColumnExpr>();
        if (auto name = resultName(reference)) {
            auto named = std::make_unique<ColumnExpr>(std::string(), *name);
            named->outputName = true;
            named->type = expr->type;
            expr = std::move(named);
        }
        return false;
    }

private:
    std::optional<std::string> resultName(const ColumnExpr &reference) const
    {
        size_t result = 0;
        for (const ResultColumn &column : m_core.columns) {
            if (column.expr->kind == ExprKind::Star) {
                for (const StarExpr::Column &c : column.expr->as<StarExpr>().expansion) {
                    if (equalsIgnoreCase(c.column, reference.column) &&
                        (reference.table.empty() || equalsIgnoreCase(c.qualifier, reference.table)))
                        return m_core.result[result].name;
                    ++result;
                }
                continue;
            }
            if (column.expr->kind == ExprKind::Column) {
                const auto &c = column.expr->as<ColumnExpr>();
                if (equalsIgnoreCase(c.column, reference.column) &&
                    (reference.table.empty() || c.table.empty() ||
                     equalsIgnoreCase(c.table, reference.table)))
                    return m_core.result[result].name;
            }
            ++result;
        }
        return std::nullopt;
    }

    const SelectCore &m_core;
};

// Bare columns beside aggregates: SQLite takes them from some row of the group, PostgreSQL
// refuses them; min() takes one, and the grouping keys stay as they are.
class BareColumns : public Walker
{
public:
    explicit BareColumns(const SelectCore &core)
    {
        for (const ExprPtr &key : core.groupBy)
            m_keys.push_back(sqliteText(*key));
    }

protected:
    bool visitExpr(ExprPtr &expr) override
    {
        if (expr->kind == ExprKind::Subquery || expr->kind == ExprKind::Exists ||
            isAggregateCall(*expr))
            return false;
        if (!m_keys.empty() &&
            std::find(m_keys.begin(), m_keys.end(), sqliteText(*expr)) != m_keys.end())
            return false;
        if (expr->kind == ExprKind::Column && !expr->as<ColumnExpr>().outputName) {
            const ValueType type = expr->type;
            const bool real = expr->storesReal;
            expr = call("min", list(std::move(expr)), type, real);
            return false;
        }
        return true;
    }

private:
    std::vector<std::string> m_keys;
};

class AggregateFinder : public Walker
{
public:
    bool found = false;

protected:
    bool visitExpr(ExprPtr &expr) override
    {
        if (isAggregateCall(*expr))
            found = true;
        return !found && expr->kind != ExprKind::Subquery && expr->kind != ExprKind::Exists;
    }
};

} // namespace

void Lowerer::groupBareColumns(SelectCore &core)
{
    AggregateFinder finder;
    for (ResultColumn &column : core.columns)
        finder.walkExpr(column.expr);
    if (core.having)
        finder.walkExpr(core.having);
    if (!finder.found && core.groupBy.empty())
        return;
    BareColumns bare(core);
    for (ResultColumn &column : core.columns) {
        if (column.expr->kind != ExprKind::Star)
            bare.walkExpr(column.expr);
    }
}

// PostgreSQL sorts a UNION or a DISTINCT query by result columns only, and sorts any query by
// a result column's name only when the term is that name alone. Any other ORDER BY sorts the
// query as a derived table, whose columns the result columns then are.
void Lowerer::sortOutside(SelectStmt &select)
{
    if (select.orderBy.empty())
        return;
    const bool restricted = select.members.size() > 1 || select.members.front()->distinct;
    bool needed = false;
    for (OrderItem &item : select.orderBy) {
        if (isBareReference(*item.expr))
            continue;
        OutputNameFinder finder(select.result);
        finder.walkExpr(item.expr);
        needed = needed || restricted || finder.found;
    }
    if (!needed)
        return;
    ResultNames names(*select.members.front());
    for (OrderItem &item : select.orderBy) {
        if (isLiteral(*item.expr, LiteralKind::Integer)) {
            const size_t index = size_t(std::stoll(item.expr->as<LiteralExpr>().text) - 1);
            if (index < select.result.size()) {
                auto named = std::make_unique<ColumnExpr>(std::string(), select.result[index].name);
                named->outputName = true;
                named->type = select.result[index].type;
                item.expr = std::move(named);
            }
            continue;
        }
        names.walkExpr(item.expr);
    }

    auto inner = std::make_unique<SelectStmt>();
    inner->members = std::move(select.members);
    inner->ops = std::move(select.ops);
    inner->result = select.result;
    auto wrapper = std::make_unique<SelectCore>();
    wrapper->position = inner->members.front()->position;
    wrapper->result = select.result;
    auto star = std::make_unique<StarExpr>(std::string());
    for (const ColumnInfo &c : select.result)
        star->expansion.push_back({std::string(), c.name});
    wrapper->columns.emplace_back(std::move(star), std::string());
    wrapper->from.push_back(std::make_unique<SubqueryRef>(std::move(inner)));
    select.members.clear();
    select.ops.clear();
    select.members.push_back(std::move(wrapper));
}

// PostgreSQL unifies a UNION column's types strictly, member by member: where the column is
// text, a member's date or number becomes text as SQLite would compare it; a Null takes the
// column's type, or it would make the column text before a later member's date.
void Lowerer::alignUnionTypes(SelectStmt &select)
{
    forEachMemberColumn(select, [&](SelectCore &, ResultColumn &column, size_t result) {
        if (result >= select.result.size())
            return;
        const ValueType wanted = select.result[result].type;
        const ValueType type = column.expr->type;
        if (isLiteral(*column.expr, LiteralKind::Null)) {
            if (wanted != ValueType::Unknown)
                column.expr = castTo(std::move(column.expr), m_target.castType(wanted), wanted);
        } else if (wanted == ValueType::Text && type != ValueType::Text &&
                   type != ValueType::Unknown) {
            column.expr = isTemporal(type)
                              ? m_target.dateText(std::move(column.expr))
                              : castTo(std::move(column.expr), "text", ValueType::Text);
        }
    });
}

} // namespace sql::lowering
