// Grouping below key joins. The stock reports group a derived table of ledger rows that left
// joins the goods, their category, the warehouse and the employee by primary key, and group by
// the goods id together with the goods' code, name, unit and category name:
//
//   select HPID, BH, PM, sum(...) from (select M.*, H.BH, H.PM, L.TypeName ... from ((T M
//     left join HP H on M.HPID = H.ID) left join Pub_ItemType L on H.HPLBID = L.ItemType) ...
//     where ...) M group by HPID, BH, PM, TypeName
//
// Every column of H and L is fixed by HPID (a left join on a primary key matches at most one
// row), so grouping by them splits no group: the rows are the same when the query groups by
// HPID alone and joins H and L to the groups afterwards. SQLite then sums the ledger in the
// order of an index on HPID instead of sorting a million wide rows, and the joins the sums do
// not need are dropped from the derived table. Anything else stays as written.
#include "sql/functions.h"
#include "sql/rewriter.h"
#include "sql/schema.h"
#include "sql/tokenizer.h"
#include "sql/walker.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

namespace sql {

namespace {

// One table of the derived table's join chain; the first is the base table.
struct ChainTable
{
    std::string alias;
    std::string table;
    int parent = -1;          // the table whose column the join condition names
    std::string parentColumn; // that column, as written
    ExprPtr on;               // the join condition, null for the base table
    bool unique = true;       // joined on its whole primary key: at most one row per row
    bool needed = false;
    std::string column; // its own column in the join condition
};

// A result column of the derived table: which chain table and column it reads, or for a
// computed column (table -1) the chain tables its expression reads.
struct DerivedColumn
{
    std::string name;
    int table = -1;
    std::string column;
    std::vector<int> reads;
};

const ColumnExpr *asColumn(const Expr &expr)
{
    const Expr *inner = &expr;
    if (inner->kind == ExprKind::Collate)
        inner = inner->as<CollateExpr>().operand.get();
    return inner->kind == ExprKind::Column ? &inner->as<ColumnExpr>() : nullptr;
}

bool isAggregateCall(const Expr &expr)
{
    if (expr.kind != ExprKind::Function)
        return false;
    const auto &function = expr.as<FunctionExpr>();
    if (function.window)
        return false;
    const FunctionInfo *info = findFunction(function.name, int(function.args.size()));
    return (info && info->aggregate) || (function.star && equalsIgnoreCase(function.name, "count"));
}

// Calls f on every column reference of an expression that is not inside an aggregate call;
// false when the expression holds a query or a window function (not handled).
template<class F>
bool forEachColumn(const Expr &expr, bool insideAggregate, const F &f);

template<class F>
bool forEachChild(const Expr &expr, bool insideAggregate, const F &f)
{
    auto each = [&](const ExprPtr &child) {
        return !child || forEachColumn(*child, insideAggregate, f);
    };
    switch (expr.kind) {
    case ExprKind::Literal:
    case ExprKind::Column:
    case ExprKind::Star:
        return true;
    case ExprKind::Unary:
        return each(expr.as<UnaryExpr>().operand);
    case ExprKind::Binary:
        return each(expr.as<BinaryExpr>().left) && each(expr.as<BinaryExpr>().right);
    case ExprKind::Function: {
        const auto &function = expr.as<FunctionExpr>();
        if (function.window)
            return false;
        return std::all_of(function.args.begin(), function.args.end(), each);
    }
    case ExprKind::Case: {
        const auto &c = expr.as<CaseExpr>();
        if (!each(c.operand) || !each(c.elseResult))
            return false;
        return std::all_of(c.whens.begin(), c.whens.end(), [&](const CaseExpr::When &when) {
            return each(when.condition) && each(when.result);
        });
    }
    case ExprKind::Cast:
        return each(expr.as<CastExpr>().operand);
    case ExprKind::Between: {
        const auto &b = expr.as<BetweenExpr>();
        return each(b.operand) && each(b.low) && each(b.high);
    }
    case ExprKind::In: {
        const auto &in = expr.as<InExpr>();
        return !in.select && each(in.operand) && std::all_of(in.list.begin(), in.list.end(), each);
    }
    case ExprKind::IsNull:
        return each(expr.as<IsNullExpr>().operand);
    case ExprKind::Like: {
        const auto &like = expr.as<LikeExpr>();
        return each(like.operand) && each(like.pattern) && each(like.escape);
    }
    case ExprKind::Collate:
        return each(expr.as<CollateExpr>().operand);
    case ExprKind::Exists:
    case ExprKind::Subquery:
        return false;
    }
    return false;
}

template<class F>
bool forEachColumn(const Expr &expr, bool insideAggregate, const F &f)
{
    if (expr.kind == ExprKind::Column)
        return f(expr.as<ColumnExpr>(), insideAggregate);
    if (isAggregateCall(expr)) {
        if (insideAggregate)
            return false; // nested aggregates are an error SQLite reports itself
        return forEachChild(expr, true, f);
    }
    return forEachChild(expr, insideAggregate, f);
}

// Replaces every maximal aggregate call below `expr` by what `replace` returns for it.
template<class F>
void replaceAggregates(ExprPtr &expr, const F &replace);

template<class F>
void replaceAggregateChildren(Expr &expr, const F &replace)
{
    auto each = [&](ExprPtr &child) {
        if (child)
            replaceAggregates(child, replace);
    };
    switch (expr.kind) {
    case ExprKind::Unary:
        each(expr.as<UnaryExpr>().operand);
        break;
    case ExprKind::Binary:
        each(expr.as<BinaryExpr>().left);
        each(expr.as<BinaryExpr>().right);
        break;
    case ExprKind::Function:
        for (ExprPtr &arg : expr.as<FunctionExpr>().args)
            each(arg);
        break;
    case ExprKind::Case: {
        auto &c = expr.as<CaseExpr>();
        each(c.operand);
        for (CaseExpr::When &when : c.whens) {
            each(when.condition);
            each(when.result);
        }
        each(c.elseResult);
        break;
    }
    case ExprKind::Cast:
        each(expr.as<CastExpr>().operand);
        break;
    case ExprKind::Between:
        each(expr.as<BetweenExpr>().operand);
        each(expr.as<BetweenExpr>().low);
        each(expr.as<BetweenExpr>().high);
        break;
    case ExprKind::In:
        each(expr.as<InExpr>().operand);
        for (ExprPtr &item : expr.as<InExpr>().list)
            each(item);
        break;
    case ExprKind::IsNull:
        each(expr.as<IsNullExpr>().operand);
        break;
    case ExprKind::Like:
        each(expr.as<LikeExpr>().operand);
        each(expr.as<LikeExpr>().pattern);
        each(expr.as<LikeExpr>().escape);
        break;
    case ExprKind::Collate:
        each(expr.as<CollateExpr>().operand);
        break;
    default:
        break;
    }
}

template<class F>
void replaceAggregates(ExprPtr &expr, const F &replace)
{
    if (isAggregateCall(*expr)) {
        expr = replace(std::move(expr));
        return;
    }
    if (expr->kind == ExprKind::Column) {
        expr = replace(std::move(expr));
        return;
    }
    replaceAggregateChildren(*expr, replace);
}

// What a query over a derived table knows of it when the derived table reads a base table
// left joined to others: which table and column each of its result columns reads, and which
// joined tables match at most one row through a chain of primary keys.
class KeyJoinAnalysis
{
public:
    explicit KeyJoinAnalysis(SchemaCatalog &catalog)
        : m_catalog(catalog)
    {}

protected:
    // Reads the derived table that is the only FROM item of `core`; null when it is not a
    // plain query over a left join chain of column equalities.
    SelectCore *readDerivedTable(SelectCore &core)
    {
        if (core.from.size() != 1 || core.from.front()->kind != SourceKind::Subquery)
            return nullptr;
        auto &derivedRef = core.from.front()->as<SubqueryRef>();
        SelectStmt &derivedSelect = *derivedRef.select;
        if (derivedSelect.members.size() != 1 || !derivedSelect.orderBy.empty() ||
            derivedSelect.limit >= 0 || derivedRef.alias.empty())
            return nullptr;
        SelectCore &inner = *derivedSelect.members.front();
        if (!inner.groupBy.empty() || inner.having || inner.distinct || inner.top >= 0 ||
            inner.from.size() != 1)
            return nullptr;
        m_chain.clear();
        m_columns.clear();
        m_alias = derivedRef.alias;
        if (!readChain(*inner.from.front()) || !readColumns(inner))
            return nullptr;
        return &inner;
    }

    // The single-column primary key of a base table, empty when it has none.
    std::string primaryKey(const std::string &table)
    {
        const TableInfo *info = m_catalog.find(table);
        if (!info || info->isView)
            return {};
        std::string key;
        for (const ColumnInfo &column : info->columns) {
            if (!column.primaryKey)
                continue;
            if (!key.empty())
                return {};
            key = column.name;
        }
        return key;
    }

    static std::string aliasOf(const TableSource &source)
    {
        return source.alias.empty() ? source.as<TableRef>().name : source.alias;
    }

    int chainIndex(const std::string &alias) const
    {
        for (size_t i = 0; i < m_chain.size(); ++i) {
            if (equalsIgnoreCase(m_chain[i].alias, alias))
                return int(i);
        }
        return -1;
    }

    // The chain table a column of the derived table's own query reads.
    int sourceOf(const ColumnExpr &column) const
    {
        if (!column.table.empty())
            return chainIndex(column.table);
        int found = -1;
        for (size_t i = 0; i < m_chain.size(); ++i) {
            if (equalsIgnoreCase(m_chain[i].table, column.baseTable)) {
                if (found >= 0)
                    return -1;
                found = int(i);
            }
        }
        return found;
    }

    // Reads `T a left join X b on b.pk = a.c left join ...` into m_chain.
    bool readChain(TableSource &source)
    {
        if (source.kind == SourceKind::Table) {
            m_chain.push_back(
                {aliasOf(source), source.as<TableRef>().name, -1, {}, nullptr, true, false, {}});
            return true;
        }
        if (source.kind != SourceKind::Join)
            return false;
        auto &join = source.as<JoinRef>();
        if (join.type != JoinType::Left || join.right->kind != SourceKind::Table || !join.on)
            return false;
        if (!readChain(*join.left))
            return false;
        const std::string alias = aliasOf(*join.right);
        const std::string table = join.right->as<TableRef>().name;
        const std::string key = primaryKey(table);
        if (chainIndex(alias) >= 0 || join.on->kind != ExprKind::Binary)
            return false;
        const auto &equal = join.on->as<BinaryExpr>();
        if (equal.op != BinaryOp::Equal || equal.left->kind != ExprKind::Column ||
            equal.right->kind != ExprKind::Column)
            return false;
        const auto *a = &equal.left->as<ColumnExpr>();
        const auto *b = &equal.right->as<ColumnExpr>();
        if (!equalsIgnoreCase(b->table, alias))
            std::swap(a, b);
        if (!equalsIgnoreCase(b->table, alias) || a->table.empty())
            return false;
        const int parent = chainIndex(a->table);
        if (parent < 0)
            return false;
        const bool unique = !key.empty() && equalsIgnoreCase(b->column, key);
        m_chain.push_back(
            {alias, table, parent, a->column, join.on->clone(), unique, false, b->column});
        return true;
    }

    // The result columns of the derived table's query by name; false when one is not a plain
    // column of the chain.
    bool readColumns(const SelectCore &inner)
    {
        size_t result = 0;
        for (const ResultColumn &column : inner.columns) {
            if (column.expr->kind == ExprKind::Star) {
                for (const StarExpr::Column &c : column.expr->as<StarExpr>().expansion) {
                    const int table = chainIndex(c.qualifier);
                    if (table < 0 || result >= inner.result.size())
                        return false;
                    m_columns.push_back({inner.result[result++].name, table, c.column, {}});
                }
                continue;
            }
            if (result >= inner.result.size())
                return false;
            if (column.expr->kind != ExprKind::Column) {
                // A row-wise expression over the chain's columns (an amount from quantity and
                // price): it fixes nothing, but the sums may read it.
                std::vector<int> reads;
                if (!forEachColumn(*column.expr, false,
                                   [&](const ColumnExpr &ref, bool insideAggregate) {
                                       const int table = sourceOf(ref);
                                       reads.push_back(table);
                                       return table >= 0 && !insideAggregate;
                                   }))
                    return false;
                m_columns.push_back({inner.result[result++].name, -1, {}, std::move(reads)});
                continue;
            }
            const auto &ref = column.expr->as<ColumnExpr>();
            const int table = sourceOf(ref);
            if (table < 0)
                return false;
            const std::string baseColumn = ref.baseColumn.empty() ? ref.column : ref.baseColumn;
            m_columns.push_back({inner.result[result++].name, table, baseColumn, {}});
        }
        return result == inner.result.size();
    }

    const DerivedColumn *derived(const ColumnExpr &column) const
    {
        if (!column.table.empty() && !equalsIgnoreCase(column.table, m_alias))
            return nullptr;
        for (const DerivedColumn &c : m_columns) {
            if (equalsIgnoreCase(c.name, column.column))
                return &c;
        }
        return nullptr;
    }

    // The chain table that fixes `table` through primary-key joins reaches the base table
    // through a column; that column, or empty.
    std::string baseColumnFixing(int table) const
    {
        for (; table > 0; table = m_chain[size_t(table)].parent) {
            if (!m_chain[size_t(table)].unique)
                return {};
            if (m_chain[size_t(table)].parent == 0)
                return m_chain[size_t(table)].parentColumn;
        }
        return {};
    }

    const DerivedColumn *baseColumnNamed(const std::string &column) const
    {
        for (const DerivedColumn &c : m_columns) {
            if (c.table == 0 && equalsIgnoreCase(c.column, column))
                return &c;
        }
        return nullptr;
    }

    SchemaCatalog &m_catalog;
    std::vector<ChainTable> m_chain;
    std::vector<DerivedColumn> m_columns;
    std::string m_alias; // of the derived table in the query over it
};

class AggregatePushdown
    : public Walker
    , private KeyJoinAnalysis
{
public:
    using KeyJoinAnalysis::KeyJoinAnalysis;

protected:
    void leaveSelect(SelectStmt &select) override
    {
        if (select.limit >= 0)
            return;
        if (select.members.size() == 1) {
            rewrite(*select.members.front(), select.orderBy);
        } else if (select.orderBy.empty()) {
            // Each member of a compound gives the same rows grouped either way.
            for (auto &member : select.members)
                rewrite(*member, select.orderBy);
        }
    }

private:
    // orderBy: of the select whose only member is core, which may name its group keys.
    void rewrite(SelectCore &core, std::vector<OrderItem> &orderBy);
};

void AggregatePushdown::rewrite(SelectCore &core, std::vector<OrderItem> &orderBy)
{
    if (core.groupBy.empty() || core.having || core.distinct || core.top >= 0)
        return;
    SelectCore *derivedCore = readDerivedTable(core);
    if (!derivedCore || m_chain.size() < 2)
        return;
    // Without the ledger's key among the group keys there is nothing to gain from moving the
    // joins out, but the joins that nothing reads still cost a lookup per row.
    SelectCore &inner = *derivedCore;

    // Group keys: those of the base table stay; those fixed by a base key move out.
    std::vector<const DerivedColumn *> keys;
    std::vector<bool> dependent;
    for (const ExprPtr &group : core.groupBy) {
        const ColumnExpr *column = asColumn(*group);
        const DerivedColumn *c = column ? derived(*column) : nullptr;
        if (!c)
            return;
        keys.push_back(c);
    }
    auto isKept = [&](const DerivedColumn *c) {
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] == c && !dependent[i])
                return true;
        }
        return false;
    };
    bool anyDependent = false;
    for (const DerivedColumn *c : keys) {
        bool fixed = false;
        if (c->table > 0) {
            const DerivedColumn *base = baseColumnNamed(baseColumnFixing(c->table));
            fixed =
                base && std::find(keys.begin(), keys.end(), base) != keys.end() && base->table == 0;
        }
        dependent.push_back(fixed);
        anyDependent = anyDependent || fixed;
    }

    // Every column the grouping query names outside its sums must be a group key.
    std::vector<int> outerTables; // chain tables the outer query joins again
    std::vector<const DerivedColumn *> innerUses;
    auto note = [&](const ColumnExpr &column, bool insideAggregate) {
        const DerivedColumn *c = derived(column);
        if (!c)
            return false;
        if (insideAggregate) {
            innerUses.push_back(c);
            return true;
        }
        if (std::find(keys.begin(), keys.end(), c) == keys.end())
            return false;
        if (!isKept(c))
            outerTables.push_back(c->table);
        return true;
    };
    for (const ResultColumn &column : core.columns) {
        if (column.expr->kind == ExprKind::Star || !forEachColumn(*column.expr, false, note))
            return;
    }
    if (core.where && !forEachColumn(*core.where, true, note))
        return;
    // The order: by result columns, which keep their names, or by group keys.
    for (const OrderItem &item : orderBy) {
        const ColumnExpr *column = asColumn(*item.expr);
        if (!column || (!column->outputName && !note(*column, false)))
            return;
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!dependent[i])
            innerUses.push_back(keys[i]);
    }

    // The tables the grouped rows still need: the base, those the filter or the sums read,
    // and those they are joined through.
    auto markNeeded = [&](int table) {
        for (; table >= 0 && !m_chain[size_t(table)].needed; table = m_chain[size_t(table)].parent)
            m_chain[size_t(table)].needed = true;
    };
    markNeeded(0);
    for (size_t i = 1; i < m_chain.size(); ++i) {
        if (!m_chain[i].unique)
            markNeeded(int(i)); // it may repeat rows
    }
    for (const DerivedColumn *c : innerUses) {
        markNeeded(c->table);
        for (int table : c->reads)
            markNeeded(table);
    }
    if (inner.where && !forEachColumn(*inner.where, false, [&](const ColumnExpr &column, bool) {
            const int table = sourceOf(column);
            if (table >= 0)
                markNeeded(table);
            return table >= 0;
        }))
        return;

    // From here on the statement changes. The derived table drops the joins nothing needs.
    {
        std::vector<ResultColumn> columns;
        std::vector<ColumnInfo> result;
        size_t at = 0;
        for (ResultColumn &column : inner.columns) {
            if (column.expr->kind == ExprKind::Star) {
                const size_t n = column.expr->as<StarExpr>().expansion.size();
                for (size_t i = 0; i < n; ++i)
                    result.push_back(inner.result[at + i]);
                at += n;
                columns.push_back(std::move(column));
                continue;
            }
            const DerivedColumn &c = m_columns[at];
            const bool readable = c.table >= 0
                                      ? m_chain[size_t(c.table)].needed
                                      : std::all_of(c.reads.begin(), c.reads.end(), [&](int table) {
                                            return m_chain[size_t(table)].needed;
                                        });
            if (readable) {
                result.push_back(inner.result[at]);
                columns.push_back(std::move(column));
            }
            ++at;
        }
        inner.columns = std::move(columns);
        inner.result = std::move(result);
        SourcePtr tree = std::make_unique<TableRef>(m_chain[0].table);
        tree->alias = m_chain[0].alias;
        for (size_t i = 1; i < m_chain.size(); ++i) {
            if (!m_chain[i].needed)
                continue;
            auto right = std::make_unique<TableRef>(m_chain[i].table);
            right->alias = m_chain[i].alias;
            tree = std::make_unique<JoinRef>(JoinType::Left, std::move(tree), std::move(right),
                                             m_chain[i].on->clone());
        }
        inner.from.front() = std::move(tree);
    }

    if (!anyDependent)
        return; // the joins nothing read are gone; the grouping itself stays

    // The groups, joined again to the tables their described columns come from, under the
    // derived table's alias unless one of those tables has it.
    std::vector<bool> joinOuter(m_chain.size());
    for (int table : outerTables) {
        for (; table > 0; table = m_chain[size_t(table)].parent)
            joinOuter[size_t(table)] = true;
    }
    std::string groupsAlias = m_alias;
    for (size_t i = 1; i < m_chain.size(); ++i) {
        if (joinOuter[i] && equalsIgnoreCase(m_chain[i].alias, m_alias))
            groupsAlias = "vz_groups";
    }

    // The grouping query proper: base keys and sums over the derived table.
    auto grouped = std::make_unique<SelectCore>();
    std::vector<std::string> keyNames;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (dependent[i] ||
            std::find(keyNames.begin(), keyNames.end(), keys[i]->name) != keyNames.end())
            continue;
        keyNames.push_back(keys[i]->name);
        grouped->columns.emplace_back(std::make_unique<ColumnExpr>(m_alias, keys[i]->name),
                                      keys[i]->name);
        grouped->groupBy.push_back(core.groupBy[i]->clone());
    }
    grouped->where = std::move(core.where);
    int sums = 0;
    auto outerColumn = [&](ExprPtr expr) -> ExprPtr {
        if (expr->kind == ExprKind::Column) {
            const DerivedColumn *c = derived(expr->as<ColumnExpr>());
            if (isKept(c))
                return std::make_unique<ColumnExpr>(groupsAlias, c->name);
            return std::make_unique<ColumnExpr>(m_chain[size_t(c->table)].alias, c->column);
        }
        std::string name = "vz_sum" + std::to_string(++sums);
        grouped->columns.emplace_back(std::move(expr), name);
        return std::make_unique<ColumnExpr>(groupsAlias, name);
    };
    for (ResultColumn &column : core.columns)
        replaceAggregates(column.expr, outerColumn);
    for (OrderItem &item : orderBy) {
        ExprPtr &column =
            item.expr->kind == ExprKind::Collate ? item.expr->as<CollateExpr>().operand : item.expr;
        if (!column->as<ColumnExpr>().outputName)
            column = outerColumn(std::move(column));
    }

    SourcePtr tree = std::move(core.from.front());
    auto &groupedRef = tree->as<SubqueryRef>();
    auto derivedTable = std::make_unique<SubqueryRef>(std::move(groupedRef.select));
    derivedTable->alias = m_alias;
    grouped->from.push_back(std::move(derivedTable));
    groupedRef.select = std::make_unique<SelectStmt>();
    groupedRef.select->members.push_back(std::move(grouped));
    groupedRef.alias = groupsAlias;
    for (size_t i = 1; i < m_chain.size(); ++i) {
        if (!joinOuter[i])
            continue;
        ExprPtr on = m_chain[i].on->clone();
        if (m_chain[i].parent == 0) {
            // The base column it was joined on is a group key of the derived table by now.
            const DerivedColumn *base = baseColumnNamed(m_chain[i].parentColumn);
            auto &equal = on->as<BinaryExpr>();
            ExprPtr &side = equalsIgnoreCase(equal.left->as<ColumnExpr>().table, m_chain[i].alias)
                                ? equal.right
                                : equal.left;
            side = std::make_unique<ColumnExpr>(groupsAlias, base->name);
        }
        auto right = std::make_unique<TableRef>(m_chain[i].table);
        right->alias = m_chain[i].alias;
        tree = std::make_unique<JoinRef>(JoinType::Left, std::move(tree), std::move(right),
                                         std::move(on));
    }
    core.from.front() = std::move(tree);
    core.groupBy.clear();
}

// Running balances. The stock ledger gives each movement the goods' balance up to its date:
//
//   select a.*, (select sum(sl*flag) from T where hpid = a.hpid and rq <= a.rq) as SLD
//   from (select M.*, ... from T M left join ...) a
//
// The subquery reads every row of T for the goods (not only the rows the outer query keeps),
// once per outer row. The same value is T's running sum at the outer row's own T row, in
// date order with the rows of the same date included:
//
//   sum(sl*flag) over (partition by hpid order by rq)
//
// computed once over the goods the outer rows have and joined to them by T's primary key.
// Only when the key and date columns are NOT NULL (a null would fall in a window partition
// but match no row of the subquery) and the outer columns are T's own through the derived
// table.
class RunningSums
    : public Walker
    , private KeyJoinAnalysis
{
public:
    using KeyJoinAnalysis::KeyJoinAnalysis;

protected:
    void leaveSelect(SelectStmt &select) override
    {
        for (auto &member : select.members)
            rewrite(*member);
    }

private:
    struct Shape
    {
        const TableSource *table = nullptr; // T as the subquery names it
        std::vector<std::string> partition; // T's columns
        std::string order;
        bool operator==(const Shape &other) const
        {
            auto sameNames = [](const std::vector<std::string> &a,
                                const std::vector<std::string> &b) {
                return a.size() == b.size() &&
                       std::equal(a.begin(), a.end(), b.begin(), equalsIgnoreCase);
            };
            return sameNames(partition, other.partition) && equalsIgnoreCase(order, other.order);
        }
    };

    bool innerColumn(const Expr &expr, const TableSource &table, std::string &column) const
    {
        if (expr.kind != ExprKind::Column)
            return false;
        const auto &c = expr.as<ColumnExpr>();
        if (!c.table.empty() && !equalsIgnoreCase(c.table, aliasOf(table)))
            return false;
        column = c.column;
        return true;
    }

    // The base table column of T an outer reference names through the derived table.
    bool outerColumn(const Expr &expr, std::string &column) const
    {
        if (expr.kind != ExprKind::Column || expr.as<ColumnExpr>().table.empty())
            return false;
        const DerivedColumn *c = derived(expr.as<ColumnExpr>());
        if (!c || c->table != 0)
            return false;
        column = c->column;
        return true;
    }

    bool notNull(const std::string &table, const std::string &column)
    {
        const TableInfo *info = m_catalog.find(table);
        const ColumnInfo *c = info ? info->column(column) : nullptr;
        return c && c->notNull;
    }

    // The running sum a result column's subquery computes, or nothing.
    std::optional<Shape> readRunningSum(const Expr &expr)
    {
        if (expr.kind != ExprKind::Subquery)
            return std::nullopt;
        const SelectStmt &select = *expr.as<SubqueryExpr>().select;
        if (select.members.size() != 1 || !select.orderBy.empty() || select.limit >= 0)
            return std::nullopt;
        const SelectCore &core = *select.members.front();
        if (core.from.size() != 1 || core.from.front()->kind != SourceKind::Table ||
            !core.groupBy.empty() || core.having || core.distinct || core.top >= 0 ||
            core.columns.size() != 1 || !core.where)
            return std::nullopt;
        const TableSource &table = *core.from.front();
        const std::string &name = table.as<TableRef>().name;
        if (!equalsIgnoreCase(name, m_chain[0].table))
            return std::nullopt;
        const Expr &sum = *core.columns.front().expr;
        if (sum.kind != ExprKind::Function)
            return std::nullopt;
        const auto &function = sum.as<FunctionExpr>();
        if (!equalsIgnoreCase(function.name, "sum") || function.distinct || function.star ||
            function.window || function.args.size() != 1)
            return std::nullopt;
        if (!forEachColumn(*function.args.front(), true, [&](const ColumnExpr &c, bool) {
                return c.table.empty() || equalsIgnoreCase(c.table, aliasOf(table));
            }))
            return std::nullopt;

        std::vector<const Expr *> terms{core.where.get()};
        for (size_t i = 0; i < terms.size();) {
            const Expr *term = terms[i];
            if (term->kind == ExprKind::Binary && term->as<BinaryExpr>().op == BinaryOp::And) {
                terms.erase(terms.begin() + long(i));
                terms.push_back(term->as<BinaryExpr>().left.get());
                terms.push_back(term->as<BinaryExpr>().right.get());
                continue;
            }
            ++i;
        }
        Shape shape;
        shape.table = &table;
        for (const Expr *term : terms) {
            if (term->kind != ExprKind::Binary)
                return std::nullopt;
            const auto &binary = term->as<BinaryExpr>();
            const Expr *inner = binary.left.get();
            const Expr *outer = binary.right.get();
            BinaryOp op = binary.op;
            if (op == BinaryOp::GreaterEqual) { // a.rq >= rq
                std::swap(inner, outer);
                op = BinaryOp::LessEqual;
            }
            std::string innerName;
            std::string outerName;
            if (!innerColumn(*inner, table, innerName) || !outerColumn(*outer, outerName) ||
                !equalsIgnoreCase(innerName, outerName) || !notNull(name, innerName))
                return std::nullopt;
            if (op == BinaryOp::Equal) {
                shape.partition.push_back(innerName);
            } else if (op == BinaryOp::LessEqual && shape.order.empty()) {
                shape.order = innerName;
            } else {
                return std::nullopt;
            }
        }
        if (shape.partition.empty() || shape.order.empty())
            return std::nullopt;
        return shape;
    }

    void rewrite(SelectCore &core);
};

void RunningSums::rewrite(SelectCore &core)
{
    if (!core.groupBy.empty() || core.having)
        return;
    SelectCore *inner = readDerivedTable(core);
    if (!inner)
        return;
    const std::string key = primaryKey(m_chain[0].table);
    const DerivedColumn *keyColumn = key.empty() ? nullptr : baseColumnNamed(key);
    if (!keyColumn)
        return;
    std::optional<Shape> shape;
    std::vector<ResultColumn *> sums;
    for (ResultColumn &column : core.columns) {
        std::optional<Shape> found = readRunningSum(*column.expr);
        if (!found || (shape && !(*shape == *found)))
            continue;
        if (!shape)
            shape = found;
        sums.push_back(&column);
    }
    if (sums.empty())
        return;
    const DerivedColumn *first = baseColumnNamed(shape->partition.front());
    if (!first)
        return;

    // The window over the goods the outer rows have: whole partitions, so every sum is the
    // one the subquery would give.
    const std::string windowAlias = "vz_run";
    auto window = std::make_unique<SelectCore>();
    window->columns.emplace_back(std::make_unique<ColumnExpr>("", key), "vz_key");
    SourcePtr table = shape->table->clone();
    const std::string tableAlias = table->alias;
    for (size_t i = 0; i < sums.size(); ++i) {
        const auto &subquery = sums[i]->expr->as<SubqueryExpr>();
        auto sum = subquery.select->members.front()->columns.front().expr->clone();
        auto &function = sum->as<FunctionExpr>();
        function.window = true;
        for (const std::string &column : shape->partition)
            function.windowPartition.push_back(std::make_unique<ColumnExpr>(tableAlias, column));
        function.windowOrder.emplace_back(std::make_unique<ColumnExpr>(tableAlias, shape->order),
                                          false);
        window->columns.emplace_back(std::move(sum), "vz_run" + std::to_string(i + 1));
        sums[i]->expr = std::make_unique<ColumnExpr>(windowAlias, "vz_run" + std::to_string(i + 1));
    }
    window->from.push_back(std::move(table));
    auto goods = std::make_unique<SelectCore>();
    goods->columns.emplace_back(std::make_unique<ColumnExpr>(m_alias, first->name), "");
    goods->from.push_back(core.from.front()->clone());
    auto goodsStmt = std::make_unique<SelectStmt>();
    goodsStmt->members.push_back(std::move(goods));
    auto in = std::make_unique<InExpr>(
        std::make_unique<ColumnExpr>(tableAlias, shape->partition.front()), false);
    in->select = std::move(goodsStmt);
    in->keyProbe = true;
    window->where = std::move(in);
    auto windowStmt = std::make_unique<SelectStmt>();
    windowStmt->members.push_back(std::move(window));
    auto windowRef = std::make_unique<SubqueryRef>(std::move(windowStmt));
    windowRef->alias = windowAlias;

    ExprPtr on = std::make_unique<BinaryExpr>(
        BinaryOp::Equal, std::make_unique<ColumnExpr>(windowAlias, "vz_key"),
        std::make_unique<ColumnExpr>(m_alias, keyColumn->name));
    core.from.front() = std::make_unique<JoinRef>(JoinType::Left, std::move(core.from.front()),
                                                  std::move(windowRef), std::move(on));
}

// Conditions on a described table as a key set. `from T M left join HP H on M.HPID = H.ID
// where H.HPLBID in (1, 11)` can only keep ledger rows whose goods exist and are in those
// categories, so `M.HPID in (select ID from HP H where H.HPLBID in (1, 11))` holds for every
// row it keeps; written out, it lets SQLite read the ledger by goods instead of reading all of
// it and looking each goods up. Only for a condition that a missing row (all nulls) fails: a
// comparison, IN list, LIKE or BETWEEN of one column of the joined table with constants, an
// IN over a query of one table of its own, or an OR of such on the same table. A table joined
// further down (the goods' category) gives the keys of the table it hangs from. Inner joins
// written as a table list with equalities in the WHERE clause count as such a chain.
class KeySemijoins
    : public Walker
    , private KeyJoinAnalysis
{
public:
    using KeyJoinAnalysis::KeyJoinAnalysis;

protected:
    bool visitCore(SelectCore &core) override
    {
        rewrite(core);
        return true;
    }

private:
    static bool constant(const ExprPtr &expr)
    {
        return expr && forEachColumn(*expr, false, [](const ColumnExpr &, bool) { return false; });
    }

    // The column a null-rejecting condition tests, or null.
    static const ColumnExpr *testedColumn(const Expr &term)
    {
        const Expr *operand = nullptr;
        switch (term.kind) {
        case ExprKind::Binary: {
            const auto &binary = term.as<BinaryExpr>();
            if (!isComparison(binary.op))
                return nullptr;
            if (binary.left->kind == ExprKind::Column && constant(binary.right))
                operand = binary.left.get();
            else if (binary.right->kind == ExprKind::Column && constant(binary.left))
                operand = binary.right.get();
            break;
        }
        case ExprKind::In: {
            const auto &in = term.as<InExpr>();
            if (!in.negated && !in.select && !in.list.empty() &&
                std::all_of(in.list.begin(), in.list.end(), constant))
                operand = in.operand.get();
            break;
        }
        case ExprKind::Like: {
            const auto &like = term.as<LikeExpr>();
            if (!like.negated && constant(like.pattern) && (!like.escape || constant(like.escape)))
                operand = like.operand.get();
            break;
        }
        case ExprKind::Between: {
            const auto &between = term.as<BetweenExpr>();
            if (!between.negated && constant(between.low) && constant(between.high))
                operand = between.operand.get();
            break;
        }
        default:
            break;
        }
        return operand && operand->kind == ExprKind::Column ? &operand->as<ColumnExpr>() : nullptr;
    }

    // A query that reads only its own single table: `select ItemType from Pub_ItemType where
    // ParentCode = 1`. It means the same wherever it stands.
    static bool selfContained(const SelectStmt &select)
    {
        if (select.members.size() != 1)
            return false;
        const SelectCore &core = *select.members.front();
        if (core.from.size() != 1 || core.from.front()->kind != SourceKind::Table)
            return false;
        const TableSource &source = *core.from.front();
        const std::string &table = source.as<TableRef>().name;
        auto own = [&](const ColumnExpr &column, bool) {
            return column.table.empty() ? equalsIgnoreCase(column.baseTable, table)
                                        : equalsIgnoreCase(column.table, aliasOf(source));
        };
        for (const ResultColumn &column : core.columns) {
            if (column.expr->kind == ExprKind::Star || !forEachColumn(*column.expr, false, own))
                return false;
        }
        return !core.where || forEachColumn(*core.where, false, own);
    }

    // `from T M, HP H, Pub_ItemType L where M.HPID = H.ID and H.HPLBID = L.ItemType ...`: an
    // inner join written as a list, each table reached from the first through an equality of
    // columns. Every row it gives has its match in each such table, so the tables read as a
    // chain of joins that never miss.
    bool readListChain(const SelectCore &core, const std::vector<const Expr *> &terms)
    {
        for (const SourcePtr &source : core.from) {
            if (source->kind != SourceKind::Table)
                return false;
        }
        m_chain.push_back({aliasOf(*core.from.front()),
                           core.from.front()->as<TableRef>().name,
                           -1,
                           {},
                           nullptr,
                           true,
                           false,
                           {}});
        for (bool grown = true; grown;) {
            grown = false;
            for (size_t i = 1; i < core.from.size(); ++i) {
                const std::string alias = aliasOf(*core.from[i]);
                if (chainIndex(alias) >= 0)
                    continue;
                for (const Expr *term : terms) {
                    if (term->kind != ExprKind::Binary ||
                        term->as<BinaryExpr>().op != BinaryOp::Equal)
                        continue;
                    const auto &equal = term->as<BinaryExpr>();
                    if (equal.left->kind != ExprKind::Column ||
                        equal.right->kind != ExprKind::Column)
                        continue;
                    const auto *a = &equal.left->as<ColumnExpr>();
                    const auto *b = &equal.right->as<ColumnExpr>();
                    if (!equalsIgnoreCase(b->table, alias))
                        std::swap(a, b);
                    const int parent = a->table.empty() ? -1 : chainIndex(a->table);
                    if (!equalsIgnoreCase(b->table, alias) || parent < 0)
                        continue;
                    m_chain.push_back({alias, core.from[i]->as<TableRef>().name, parent, a->column,
                                       term->clone(), true, false, b->column});
                    grown = true;
                    break;
                }
            }
        }
        return m_chain.size() > 1;
    }

    // The chain table whose missing row (all nulls) fails the condition, the condition
    // reading no other table; -1 when there is none. An OR fails when both sides fail.
    int testedTable(const Expr &term) const
    {
        if (term.kind == ExprKind::Binary) {
            const auto &binary = term.as<BinaryExpr>();
            if (binary.op == BinaryOp::Or) {
                const int left = testedTable(*binary.left);
                return left >= 0 && left == testedTable(*binary.right) ? left : -1;
            }
        }
        if (term.kind == ExprKind::In) {
            const auto &in = term.as<InExpr>();
            if (!in.negated && in.select && in.operand->kind == ExprKind::Column &&
                selfContained(*in.select))
                return sourceOf(in.operand->as<ColumnExpr>());
        }
        const ColumnExpr *column = testedColumn(term);
        return column ? sourceOf(*column) : -1;
    }

    void rewrite(SelectCore &core)
    {
        if (!core.where || core.from.empty())
            return;
        m_chain.clear();
        m_columns.clear();
        std::vector<const Expr *> terms{core.where.get()};
        for (size_t i = 0; i < terms.size();) {
            const Expr *term = terms[i];
            if (term->kind == ExprKind::Binary && term->as<BinaryExpr>().op == BinaryOp::And) {
                terms.erase(terms.begin() + long(i));
                terms.push_back(term->as<BinaryExpr>().left.get());
                terms.push_back(term->as<BinaryExpr>().right.get());
                continue;
            }
            ++i;
        }
        if (core.from.size() == 1) {
            if (core.from.front()->kind != SourceKind::Join || !readChain(*core.from.front()))
                return;
        } else if (!readListChain(core, terms)) {
            return;
        }
        ExprList added;
        for (const Expr *term : terms) {
            int table = testedTable(*term);
            if (table <= 0)
                continue;
            // The tables from the one joined to the base down to the tested one, each found
            // by its key: a row of the tested table that passes names one key of the first.
            std::vector<int> path;
            for (; table > 0 && m_chain[size_t(table)].unique;
                 table = m_chain[size_t(table)].parent)
                path.insert(path.begin(), table);
            if (table != 0 || path.empty())
                continue;
            const ChainTable &joined = m_chain[size_t(path.front())];
            auto keys = std::make_unique<SelectCore>();
            keys->columns.emplace_back(std::make_unique<ColumnExpr>(joined.alias, joined.column),
                                       "");
            SourcePtr tree = std::make_unique<TableRef>(joined.table);
            tree->alias = joined.alias;
            for (size_t i = 1; i < path.size(); ++i) {
                const ChainTable &next = m_chain[size_t(path[i])];
                auto right = std::make_unique<TableRef>(next.table);
                right->alias = next.alias;
                tree = std::make_unique<JoinRef>(JoinType::Inner, std::move(tree), std::move(right),
                                                 next.on->clone());
            }
            keys->from.push_back(std::move(tree));
            keys->where = term->clone();
            auto keysStmt = std::make_unique<SelectStmt>();
            keysStmt->members.push_back(std::move(keys));
            auto in = std::make_unique<InExpr>(
                std::make_unique<ColumnExpr>(m_chain[0].alias, joined.parentColumn), false);
            in->select = std::move(keysStmt);
            in->keyProbe = true;
            added.push_back(std::move(in));
        }
        for (ExprPtr &in : added)
            core.where =
                std::make_unique<BinaryExpr>(BinaryOp::And, std::move(core.where), std::move(in));
    }
};
// Replaces the column references `inner` knows by copies of what it returns for them.
class ColumnSubstitution : public Walker
{
public:
    explicit ColumnSubstitution(const std::function<const Expr *(const ColumnExpr &)> &inner)
        : m_inner(inner)
    {}

protected:
    bool visitExpr(ExprPtr &expr) override
    {
        if (expr->kind != ExprKind::Column)
            return true;
        if (const Expr *inner = m_inner(expr->as<ColumnExpr>()))
            expr = inner->clone();
        return false;
    }

private:
    const std::function<const Expr *(const ColumnExpr &)> &m_inner;
};

bool isSum(const Expr &expr)
{
    if (!isAggregateCall(expr))
        return false;
    const auto &call = expr.as<FunctionExpr>();
    return equalsIgnoreCase(call.name, "sum") && !call.distinct && call.args.size() == 1;
}

bool isNull(const ExprPtr &expr)
{
    return !expr || (expr->kind == ExprKind::Literal &&
                     expr->as<LiteralExpr>().literal == LiteralKind::Null);
}

// Sums of sums. The stock by warehouse fills its work table from sums per goods, warehouse and
// attributes, summed again per goods with a column per warehouse:
//
//   select HPID, sum(iif(CKID = 1, SL, null)) as s1 ... from (select HPID, CKID, SX1, ...,
//     sum(M.SL * Flag) as SL from (...) M group by HPID, CKID, SX1, ...) F group by HPID
//
// A sum over groups of the rows' sums is the sum over those rows, and a condition on the inner
// group keys holds for every row of a group or for none, so the statement is the one grouping
// `select HPID, sum(case when CKID = 1 then M.SL * Flag end) ... from (...) M group by HPID`,
// which reads the ledger in goods order instead of sorting it by all eight keys first. A goods
// without rows in a warehouse still gets null there.
class Reaggregation : public Walker
{
protected:
    void leaveSelect(SelectStmt &select) override
    {
        if (select.members.size() == 1 && select.orderBy.empty() && select.limit < 0)
            rewrite(*select.members.front());
    }

private:
    struct InnerColumn
    {
        const Expr *expr = nullptr;
        bool key = false; // one of the inner group keys
        bool sum = false; // sum(x) of the inner rows
    };

    static void rewrite(SelectCore &core)
    {
        if (core.groupBy.empty() || core.having || core.distinct || core.top >= 0 || core.where ||
            core.from.size() != 1 || core.from.front()->kind != SourceKind::Subquery)
            return;
        auto &derivedRef = core.from.front()->as<SubqueryRef>();
        SelectStmt &derivedSelect = *derivedRef.select;
        if (derivedSelect.members.size() != 1 || !derivedSelect.orderBy.empty() ||
            derivedSelect.limit >= 0)
            return;
        SelectCore &inner = *derivedSelect.members.front();
        if (inner.groupBy.empty() || inner.having || inner.distinct || inner.top >= 0 ||
            inner.from.size() != 1 || inner.columns.size() != inner.result.size())
            return;
        std::map<std::string, InnerColumn> columns;
        for (size_t i = 0; i < inner.columns.size(); ++i) {
            const Expr &expr = *inner.columns[i].expr;
            if (expr.kind == ExprKind::Star)
                return;
            InnerColumn column{&expr, false, isSum(expr)};
            if (const ColumnExpr *c = asColumn(expr)) {
                for (const ExprPtr &group : inner.groupBy) {
                    const ColumnExpr *g = asColumn(*group);
                    column.key = column.key || (g && equalsIgnoreCase(g->table, c->table) &&
                                                equalsIgnoreCase(g->column, c->column));
                }
            }
            columns[toLower(inner.result[i].name)] = column;
        }
        auto find = [&](const ColumnExpr &column) -> const InnerColumn * {
            if (!column.table.empty() && !equalsIgnoreCase(column.table, derivedRef.alias))
                return nullptr;
            const auto it = columns.find(toLower(column.column));
            return it == columns.end() ? nullptr : &it->second;
        };
        auto keyOnly = [&](const Expr &expr) {
            return forEachColumn(expr, false, [&](const ColumnExpr &column, bool) {
                const InnerColumn *c = find(column);
                return c && c->key;
            });
        };
        // The argument of an inner sum that an outer sum reads, or null.
        auto summed = [&](const Expr &expr) -> const Expr * {
            const ColumnExpr *column =
                expr.kind == ExprKind::Column ? &expr.as<ColumnExpr>() : nullptr;
            const InnerColumn *c = column ? find(*column) : nullptr;
            return c && c->sum ? c->expr->as<FunctionExpr>().args.front().get() : nullptr;
        };

        for (const ExprPtr &group : core.groupBy) {
            if (!keyOnly(*group))
                return;
        }
        for (const ResultColumn &column : core.columns) {
            const Expr &expr = *column.expr;
            if (expr.kind == ExprKind::Star)
                return;
            if (!isSum(expr)) {
                if (!keyOnly(expr))
                    return;
                continue;
            }
            const Expr &arg = *expr.as<FunctionExpr>().args.front();
            if (summed(arg))
                continue;
            if (arg.kind != ExprKind::Case)
                return;
            const auto &choice = arg.as<CaseExpr>();
            if (choice.operand || choice.whens.size() != 1 || !isNull(choice.elseResult) ||
                !keyOnly(*choice.whens.front().condition) || !summed(*choice.whens.front().result))
                return;
        }

        // From here on the statement changes: outer keys and conditions read the inner
        // expressions, outer sums sum the inner rows.
        const std::function<const Expr *(const ColumnExpr &)> innerExpr =
            [&](const ColumnExpr &column) -> const Expr * {
            const InnerColumn *c = find(column);
            return c ? c->expr : nullptr;
        };
        ColumnSubstitution substitution(innerExpr);
        for (ResultColumn &column : core.columns) {
            if (!isSum(*column.expr)) {
                substitution.walkExpr(column.expr);
                continue;
            }
            ExprPtr &arg = column.expr->as<FunctionExpr>().args.front();
            if (const Expr *x = summed(*arg)) {
                arg = x->clone();
                continue;
            }
            auto &when = arg->as<CaseExpr>().whens.front();
            when.result = summed(*when.result)->clone();
            substitution.walkExpr(when.condition);
        }
        for (ExprPtr &group : core.groupBy)
            substitution.walkExpr(group);
        core.where = std::move(inner.where);
        SourcePtr from = std::move(inner.from.front());
        core.from.front() = std::move(from);
    }
};

// Sums over a UNION ALL. The income and expense summary sums expenses and other income per
// type and category over the union of both documents' lines, each member joining tables only
// a column nobody sums reads. Summed per member first and the parts summed again, each member
// groups its own rows and reads no column the sums do not need:
//
//   select LX, SRZCLBID, sum(vz_part1) ... from (select '费用开支' as LX, M.SRZCLBID,
//     sum(M.JE) as vz_part1 ... from ... group by '费用开支', M.SRZCLBID union all ...) M
//     group by LX, SRZCLBID
class UnionPartialSums
    : public Walker
    , private KeyJoinAnalysis
{
public:
    using KeyJoinAnalysis::KeyJoinAnalysis;

protected:
    void leaveSelect(SelectStmt &select) override
    {
        for (auto &member : select.members)
            rewrite(*member);
    }

private:
    // Drops the left joins on a key that nothing of the grouped member reads: they neither
    // add nor remove rows.
    void dropUnreadJoins(SelectCore &member)
    {
        m_chain.clear();
        if (member.from.size() != 1 || member.from.front()->kind != SourceKind::Join ||
            !readChain(*member.from.front()))
            return;
        auto markNeeded = [&](int table) {
            for (; table >= 0 && !m_chain[size_t(table)].needed;
                 table = m_chain[size_t(table)].parent)
                m_chain[size_t(table)].needed = true;
        };
        markNeeded(0);
        for (size_t i = 1; i < m_chain.size(); ++i) {
            if (!m_chain[i].unique)
                markNeeded(int(i));
        }
        auto note = [&](const ColumnExpr &column, bool) {
            const int table = sourceOf(column);
            if (table >= 0)
                markNeeded(table);
            return table >= 0;
        };
        for (const ResultColumn &column : member.columns) {
            if (!forEachColumn(*column.expr, false, note))
                return;
        }
        for (const ExprPtr &group : member.groupBy) {
            if (!forEachColumn(*group, false, note))
                return;
        }
        if (member.where && !forEachColumn(*member.where, false, note))
            return;
        SourcePtr tree = std::make_unique<TableRef>(m_chain[0].table);
        tree->alias = m_chain[0].alias;
        for (size_t i = 1; i < m_chain.size(); ++i) {
            if (!m_chain[i].needed)
                continue;
            auto right = std::make_unique<TableRef>(m_chain[i].table);
            right->alias = m_chain[i].alias;
            tree = std::make_unique<JoinRef>(JoinType::Left, std::move(tree), std::move(right),
                                             m_chain[i].on->clone());
        }
        member.from.front() = std::move(tree);
    }

    void rewrite(SelectCore &core)
    {
        if (core.groupBy.empty() || core.having || core.distinct || core.top >= 0 ||
            core.from.size() != 1 || core.from.front()->kind != SourceKind::Subquery)
            return;
        auto &derivedRef = core.from.front()->as<SubqueryRef>();
        SelectStmt &derived = *derivedRef.select;
        if (derived.members.size() < 2 || !derived.orderBy.empty() || derived.limit >= 0 ||
            derivedRef.alias.empty() ||
            !std::all_of(derived.ops.begin(), derived.ops.end(),
                         [](SetOp op) { return op == SetOp::UnionAll; }))
            return;
        const std::vector<ColumnInfo> &names = derived.result;
        for (const auto &member : derived.members) {
            if (!member->groupBy.empty() || member->having || member->distinct ||
                member->top >= 0 || member->columns.size() != names.size())
                return;
            for (const ResultColumn &column : member->columns) {
                if (column.expr->kind == ExprKind::Star)
                    return;
            }
        }
        auto indexOf = [&](const ColumnExpr &column) -> int {
            if (!column.table.empty() && !equalsIgnoreCase(column.table, derivedRef.alias))
                return -1;
            for (size_t i = 0; i < names.size(); ++i) {
                if (equalsIgnoreCase(names[i].name, column.column))
                    return int(i);
            }
            return -1;
        };
        std::vector<int> keys;
        for (const ExprPtr &group : core.groupBy) {
            // A member's groups split the outer ones at most: the parts add up whatever the
            // outer grouping's collation.
            const ColumnExpr *column = asColumn(*group);
            const int index = column ? indexOf(*column) : -1;
            if (index < 0)
                return;
            if (std::find(keys.begin(), keys.end(), index) == keys.end())
                keys.push_back(index);
        }
        // A member groups by its keys that read a column: a constant one (the member's type)
        // is the same for all its rows, and SQLite would take a number there for a column's
        // position. A member with only constant keys stays a plain grouping as written.
        auto readsColumn = [](const Expr &expr) {
            bool reads = false;
            return !forEachColumn(expr, false, [&](const ColumnExpr &, bool) {
                return !(reads = true);
            }) || reads;
        };
        for (const auto &member : derived.members) {
            if (std::none_of(keys.begin(), keys.end(), [&](int key) {
                    return readsColumn(*member->columns[size_t(key)].expr);
                }))
                return;
        }
        auto isKey = [&](const ColumnExpr &column, bool) {
            return std::find(keys.begin(), keys.end(), indexOf(column)) != keys.end();
        };
        auto isDerived = [&](const ColumnExpr &column, bool) {
            return indexOf(column) >= 0;
        };
        std::vector<const Expr *> sums;
        bool ok = true;
        for (ResultColumn &column : core.columns) {
            if (column.expr->kind == ExprKind::Star)
                return;
            // Outside the sums only keys; inside, any derived columns.
            ok = ok && forEachColumn(*column.expr, false, [&](const ColumnExpr &c, bool inside) {
                     return inside ? isDerived(c, inside) : isKey(c, inside);
                 });
            replaceAggregates(column.expr, [&](ExprPtr expr) -> ExprPtr {
                if (expr->kind == ExprKind::Column)
                    return expr; // a key, checked above
                if (!isSum(*expr))
                    ok = false;
                sums.push_back(expr.get());
                return expr;
            });
        }
        if (!ok || sums.empty() || (core.where && !forEachColumn(*core.where, false, isDerived)))
            return;

        // From here on the statement changes: every member groups and sums its own rows.
        std::vector<std::unique_ptr<SelectCore>> members;
        for (auto &member : derived.members) {
            const std::function<const Expr *(const ColumnExpr &)> memberExpr =
                [&](const ColumnExpr &column) -> const Expr * {
                const int index = indexOf(column);
                return index < 0 ? nullptr : member->columns[size_t(index)].expr.get();
            };
            ColumnSubstitution substitution(memberExpr);
            auto grouped = std::make_unique<SelectCore>();
            for (int key : keys) {
                grouped->columns.emplace_back(member->columns[size_t(key)].expr->clone(),
                                              names[size_t(key)].name);
                if (readsColumn(*member->columns[size_t(key)].expr))
                    grouped->groupBy.push_back(member->columns[size_t(key)].expr->clone());
            }
            for (size_t i = 0; i < sums.size(); ++i) {
                ExprPtr sum = sums[i]->clone();
                substitution.walkExpr(sum->as<FunctionExpr>().args.front());
                grouped->columns.emplace_back(std::move(sum), "vz_part" + std::to_string(i + 1));
            }
            grouped->from = std::move(member->from);
            grouped->where = std::move(member->where);
            if (core.where) {
                ExprPtr where = core.where->clone();
                substitution.walkExpr(where);
                grouped->where =
                    grouped->where ? std::make_unique<BinaryExpr>(
                                         BinaryOp::And, std::move(grouped->where), std::move(where))
                                   : std::move(where);
            }
            dropUnreadJoins(*grouped);
            members.push_back(std::move(grouped));
        }
        derived.members = std::move(members);
        core.where = nullptr;
        size_t part = 0;
        for (ResultColumn &column : core.columns) {
            replaceAggregates(column.expr, [&](ExprPtr expr) -> ExprPtr {
                if (expr->kind == ExprKind::Column)
                    return expr;
                ExprList args;
                args.push_back(std::make_unique<ColumnExpr>(derivedRef.alias,
                                                            "vz_part" + std::to_string(++part)));
                auto sum = std::make_unique<FunctionExpr>("sum", std::move(args));
                sum->lowered = expr->as<FunctionExpr>().lowered;
                return sum;
            });
        }
    }
};

// Rows that only name a table through the others. The stock ledger heads each goods with a
// row from `select H.BH, H.PM from T M, HP H, ... where M.HPID = H.ID and ...` in a UNION:
// one row per ledger row, the duplicates thrown away by the UNION afterwards. Where the rows
// are deduplicated anyway, the tables the select list does not read only need to have a
// match: `select H.BH, H.PM from HP H where <conditions on H> and exists (select 1 from T M,
// ... where <the other conditions>)` gives the same set, with one probe per goods instead of
// a row per ledger row. Names keep their meaning: a valid list binds each unqualified name to
// exactly one table, which the inner query still sees.
class DistinctSemijoins : public Walker
{
protected:
    void leaveSelect(SelectStmt &select) override
    {
        const bool deduplicated =
            select.members.size() > 1 && std::all_of(select.ops.begin(), select.ops.end(),
                                                     [](SetOp op) { return op == SetOp::Union; });
        for (auto &member : select.members) {
            if (deduplicated || member->distinct)
                rewrite(*member);
        }
    }

private:
    // The FROM item a column names, or -1.
    static int tableOf(const SelectCore &core, const ColumnExpr &column)
    {
        int found = -1;
        for (size_t i = 0; i < core.from.size(); ++i) {
            const TableSource &source = *core.from[i];
            const std::string &table = source.as<TableRef>().name;
            const std::string alias = source.alias.empty() ? table : source.alias;
            const bool match = column.table.empty() ? equalsIgnoreCase(column.baseTable, table)
                                                    : equalsIgnoreCase(column.table, alias);
            if (match) {
                if (found >= 0)
                    return -1;
                found = int(i);
            }
        }
        return found;
    }

    static void rewrite(SelectCore &core)
    {
        if (core.from.size() < 2 || !core.where || !core.groupBy.empty() || core.having ||
            core.top >= 0)
            return;
        for (const SourcePtr &source : core.from) {
            if (source->kind != SourceKind::Table)
                return;
        }
        std::vector<bool> read(core.from.size());
        auto noteRead = [&](const ColumnExpr &column, bool insideAggregate) {
            const int table = tableOf(core, column);
            if (table < 0 || insideAggregate)
                return false;
            read[size_t(table)] = true;
            return true;
        };
        for (const ResultColumn &column : core.columns) {
            if (column.expr->kind == ExprKind::Star ||
                !forEachColumn(*column.expr, false, noteRead))
                return;
        }
        if (std::all_of(read.begin(), read.end(), [](bool r) { return r; }) ||
            std::none_of(read.begin(), read.end(), [](bool r) { return r; }))
            return;

        ExprList terms;
        std::vector<ExprPtr *> pending{&core.where};
        while (!pending.empty()) {
            ExprPtr &term = *pending.back();
            pending.pop_back();
            if (term->kind == ExprKind::Binary && term->as<BinaryExpr>().op == BinaryOp::And) {
                pending.push_back(&term->as<BinaryExpr>().right);
                pending.push_back(&term->as<BinaryExpr>().left);
                continue;
            }
            terms.push_back(std::move(term));
        }
        auto conjunction = [](ExprList list) {
            ExprPtr all;
            for (ExprPtr &term : list)
                all = all ? std::make_unique<BinaryExpr>(BinaryOp::And, std::move(all),
                                                         std::move(term))
                          : std::move(term);
            return all;
        };
        ExprList outer;
        ExprList inner;
        for (ExprPtr &term : terms) {
            const bool onRead = forEachColumn(*term, false, [&](const ColumnExpr &column, bool) {
                const int table = tableOf(core, column);
                return table >= 0 && read[size_t(table)];
            });
            (onRead ? outer : inner).push_back(std::move(term));
        }

        auto probe = std::make_unique<SelectCore>();
        probe->columns.emplace_back(std::make_unique<LiteralExpr>(LiteralKind::Integer, "1"), "");
        std::vector<SourcePtr> kept;
        for (size_t i = 0; i < core.from.size(); ++i)
            (read[i] ? kept : probe->from).push_back(std::move(core.from[i]));
        core.from = std::move(kept);
        probe->where = conjunction(std::move(inner));
        auto probeStmt = std::make_unique<SelectStmt>();
        probeStmt->members.push_back(std::move(probe));
        outer.push_back(std::make_unique<ExistsExpr>(std::move(probeStmt)));
        core.where = conjunction(std::move(outer));
    }
};

} // namespace

void optimizeQuery(StatementNode &statement, SchemaCatalog &catalog)
{
    // An INSERT's rows keep their columns' order through every rewrite.
    if (statement.kind != StatementKind::Select &&
        (statement.kind != StatementKind::Insert || !statement.as<InsertStatement>().select))
        return;
    Reaggregation reaggregation;
    reaggregation.walkStatement(statement);
    RunningSums sums(catalog);
    sums.walkStatement(statement);
    AggregatePushdown rewriter(catalog);
    rewriter.walkStatement(statement);
    KeySemijoins semijoins(catalog);
    semijoins.walkStatement(statement);
    DistinctSemijoins probes;
    probes.walkStatement(statement);
    UnionPartialSums partialSums(catalog);
    partialSums.walkStatement(statement);
}

} // namespace sql
