// Lowering of queries: TOP, Jet's ties, collations of ORDER BY and GROUP BY, '' in UNION
// columns, and stars written out when their columns needed new names.
#include "sql/lowering.h"
#include "sql/datetime.h"
#include "sql/emitter.h"
#include "sql/functions.h"
#include "sql/tokenizer.h"
#include "sql/types.h"

namespace sql::lowering {

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
    if (core.where)
        core.where = m_target.condition(std::move(core.where));
    if (core.having)
        core.having = m_target.condition(std::move(core.having));
    // A text column groups by the collation it is declared with (case-insensitive in every
    // account set), which keeps its index usable; computed text needs the collation spelled.
    for (ExprPtr &key : core.groupBy) {
        if (key->kind != ExprKind::Column || key->as<ColumnExpr>().baseTable.empty())
            collateText(key);
    }
    if (m_target.engine() == Engine::Postgres)
        groupBareColumns(core);
    expandStars(core);
    m_cores.pop_back();
}

void Lowerer::leaveSelect(SelectStmt &select)
{
    for (OrderItem &item : select.orderBy)
        collateText(item.expr);
    if (select.members.size() > 1)
        nullEmptyStrings(select);
    const bool postgres = m_target.engine() == Engine::Postgres;
    if (postgres && select.members.size() > 1)
        alignUnionTypes(select);
    applyTop(select);
    if (postgres)
        sortOutside(select);
}

void Lowerer::collateText(ExprPtr &key)
{
    if (key->type != ValueType::Text || key->kind == ExprKind::Collate)
        return;
    if (isLiteral(*key, LiteralKind::Integer))
        return;
    const ValueType type = key->type;
    key = typed(std::make_unique<CollateExpr>(std::move(key), m_target.orderCollation()), type);
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
    forEachMemberColumn(select, [&](SelectCore &member, ResultColumn &column, size_t result) {
        const ValueType type = select.result[result].type;
        if (type != ValueType::Text && type != ValueType::Unknown &&
            isLiteral(*column.expr, LiteralKind::String) &&
            column.expr->as<LiteralExpr>().text.empty()) {
            column.expr = typed(std::make_unique<LiteralExpr>(LiteralKind::Null, "NULL"), type);
            member.result[result].type = type;
        }
    });
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

} // namespace sql::lowering
