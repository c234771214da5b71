// Name resolution and typing. Scopes follow SQLite's rules: a name is looked up in the FROM
// sources of its own query, then among that query's result aliases (which Jet also allows in
// the select list itself), then in the enclosing queries.
#include "sql/binder.h"

#include "sql/functions.h"
#include "sql/types.h"
#include "sql/walker.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace sql {

struct Binder::Source
{
    std::string name;                 // how the query names it: alias, else the table's name
    const TableInfo *table = nullptr; // a table of the schema
    const std::vector<ColumnInfo> *derived = nullptr; // the result columns of a derived table

    const ColumnInfo *find(std::string_view column) const
    {
        if (table)
            return table->column(column);
        for (const ColumnInfo &c : *derived) {
            if (equalsIgnoreCase(c.name, column))
                return &c;
        }
        return nullptr;
    }
    const std::vector<ColumnInfo> &columns() const { return table ? table->columns : *derived; }
};

struct Binder::Scope
{
    enum class State { Unbound, Binding, Bound };

    Scope *parent = nullptr;
    SelectCore *core = nullptr;
    std::vector<Source> sources;
    std::vector<State> state; // per select-list entry of `core`
    bool aliasesVisible = false;
};

// Binds the expressions of one clause: post-order typing, subqueries in their own scope.
class ExprBinder : public Walker
{
public:
    ExprBinder(Binder &binder, Binder::Scope *scope)
        : m_binder(binder)
        , m_scope(scope)
    {}

protected:
    bool visitSelect(SelectStmt &select) override
    {
        m_binder.bindSelect(select, m_scope);
        return false;
    }
    void leaveExpr(ExprPtr &expr) override
    {
        if (expr->kind == ExprKind::Column)
            m_binder.resolveColumn(expr->as<ColumnExpr>(), m_scope);
        else
            m_binder.typeExpr(*expr);
    }

private:
    Binder &m_binder;
    Binder::Scope *m_scope;
};

namespace {

bool isEmptyString(const Expr &expr)
{
    return expr.kind == ExprKind::Literal &&
           expr.as<LiteralExpr>().literal == LiteralKind::String &&
           expr.as<LiteralExpr>().text.empty();
}

ValueType arithmetic(ValueType a, ValueType b)
{
    if (a == ValueType::Float || b == ValueType::Float || a == ValueType::Text ||
        b == ValueType::Text)
        return ValueType::Float;
    if (a == ValueType::Unknown && b == ValueType::Unknown)
        return ValueType::Unknown;
    if (a == ValueType::Unknown || b == ValueType::Unknown)
        return a == ValueType::Unknown ? (b == ValueType::Boolean ? ValueType::Integer : b)
                                       : (a == ValueType::Boolean ? ValueType::Integer : a);
    return ValueType::Integer;
}

const Expr *resultExpr(const SelectCore &core, size_t index)
{
    size_t result = 0;
    for (const ResultColumn &column : core.columns) {
        if (column.expr->kind == ExprKind::Star) {
            const size_t n = column.expr->as<StarExpr>().expansion.size();
            if (index < result + n)
                return nullptr;
            result += n;
            continue;
        }
        if (result == index)
            return column.expr.get();
        ++result;
    }
    return nullptr;
}

} // namespace

std::string firstBaseTable(const SelectStmt &select)
{
    const auto firstSource = [](const SelectStmt &query) -> const TableSource * {
        if (query.members.empty() || query.members.front()->from.empty())
            return nullptr;
        return query.members.front()->from.front().get();
    };
    const TableSource *source = firstSource(select);
    while (source) {
        switch (source->kind) {
        case SourceKind::Table:
            return source->as<TableRef>().name;
        case SourceKind::Join:
            source = source->as<JoinRef>().left.get();
            break;
        case SourceKind::Subquery:
            source = firstSource(*source->as<SubqueryRef>().select);
            break;
        }
    }
    return {};
}

Binder::Binder(SchemaCatalog &catalog, Dialect dialect, std::string_view text)
    : m_catalog(catalog)
    , m_dialect(dialect)
    , m_text(text)
{}

Binder::~Binder() = default;

void Binder::fail(const std::string &message, int offset) const
{
    if (offset < 0)
        throw TranslateError(message);
    const int position = characterPosition(m_text, offset);
    throw TranslateError(message + " at position " + std::to_string(position), position);
}

const TableInfo &Binder::requireTable(const std::string &name, int position)
{
    const TableInfo *table = m_catalog.find(name);
    if (!table)
        fail("unknown table " + name, position);
    return *table;
}

void Binder::noteReference(const std::string &table, const std::string &column)
{
    ColumnReference reference{table, column};
    if (std::find(m_references.begin(), m_references.end(), reference) == m_references.end())
        m_references.push_back(std::move(reference));
}

void Binder::bindExpr(ExprPtr &expr, Scope *scope)
{
    ExprBinder binder(*this, scope);
    binder.walkExpr(expr);
}

void Binder::bind(StatementNode &statement)
{
    switch (statement.kind) {
    case StatementKind::Select: {
        auto &select = *statement.as<SelectStatement>().select;
        bindSelect(select, nullptr);
        m_table = firstBaseTable(select);
        return;
    }
    case StatementKind::Insert: {
        auto &insert = statement.as<InsertStatement>();
        const TableInfo &table = requireTable(insert.table, insert.position);
        m_table = table.name;
        size_t count = table.columns.size();
        if (!insert.columns.empty()) {
            for (const std::string &name : insert.columns) {
                const ColumnInfo *column = table.column(name);
                if (!column)
                    fail("unknown column " + name + " in table " + table.name, insert.position);
                noteReference(table.name, column->name);
            }
            count = insert.columns.size();
        }
        for (ExprList &row : insert.rows) {
            if (row.size() != count)
                fail(std::to_string(row.size()) + " values for " + std::to_string(count) +
                         " columns of " + table.name,
                     row.empty() ? insert.position : row.front()->position);
            for (ExprPtr &value : row)
                bindExpr(value, nullptr);
        }
        if (insert.select) {
            bindSelect(*insert.select, nullptr);
            if (insert.select->result.size() != count)
                fail("the query gives " + std::to_string(insert.select->result.size()) +
                         " columns for " + std::to_string(count) + " columns of " + table.name,
                     insert.position);
        }
        return;
    }
    case StatementKind::Update: {
        auto &update = statement.as<UpdateStatement>();
        const TableInfo &table = requireTable(update.table, update.position);
        m_table = table.name;
        Scope scope;
        scope.sources.push_back(
            {update.alias.empty() ? table.name : update.alias, &table, nullptr});
        for (Assignment &assignment : update.assignments) {
            const ColumnInfo *column = table.column(assignment.column);
            if (!column)
                fail("unknown column " + assignment.column + " in table " + table.name,
                     assignment.position);
            noteReference(table.name, column->name);
            bindExpr(assignment.value, &scope);
        }
        if (update.where)
            bindExpr(update.where, &scope);
        return;
    }
    case StatementKind::Delete: {
        auto &del = statement.as<DeleteStatement>();
        const TableInfo &table = requireTable(del.table, del.position);
        m_table = table.name;
        Scope scope;
        scope.sources.push_back({del.alias.empty() ? table.name : del.alias, &table, nullptr});
        if (del.where)
            bindExpr(del.where, &scope);
        return;
    }
    case StatementKind::CreateTable: {
        auto &create = statement.as<CreateTableStatement>();
        m_table = create.table;
        for (ColumnDef &column : create.columns) {
            if (column.defaultValue)
                bindExpr(column.defaultValue, nullptr);
        }
        return;
    }
    case StatementKind::DropTable: {
        auto &drop = statement.as<DropTableStatement>();
        m_table = drop.table;
        if (const TableInfo *table = m_catalog.find(drop.table))
            m_table = table->name;
        else if (!drop.ifExists)
            fail("unknown table " + drop.table, drop.position);
        return;
    }
    case StatementKind::Other:
        return;
    }
}

// ---- Queries -------------------------------------------------------------------------------

void Binder::bindSelect(SelectStmt &select, Scope *parent)
{
    const bool compound = select.members.size() > 1;
    for (auto &member : select.members)
        bindCore(*member, parent, compound ? nullptr : &select.orderBy);

    const SelectCore &first = *select.members.front();
    if (!compound) {
        select.result = first.result;
        return;
    }
    const size_t width = first.result.size();
    for (size_t m = 1; m < select.members.size(); ++m) {
        if (select.members[m]->result.size() != width)
            fail("the members of a UNION have different numbers of columns (" +
                     std::to_string(width) + " and " +
                     std::to_string(select.members[m]->result.size()) + ")",
                 select.members[m]->position);
    }
    // One type per column over all members. A '' literal does not make a numeric or date column
    // text: the rewrites turn it into NULL there, so the grid keeps its number formats.
    select.result.clear();
    for (size_t j = 0; j < width; ++j) {
        ColumnInfo column;
        column.name = first.result[j].name;
        bool emptyText = false;
        bool allReal = true;
        column.notNull = true;
        for (const auto &member : select.members) {
            const ColumnInfo &c = member->result[j];
            const Expr *expr = resultExpr(*member, j);
            column.notNull = column.notNull && c.notNull;
            column.size = std::max(column.size, c.size);
            if (expr && isEmptyString(*expr)) {
                emptyText = true;
                continue;
            }
            allReal = allReal && c.storesReal;
            column.type = widen(column.type, c.type);
        }
        if (column.type == ValueType::Unknown && emptyText)
            column.type = ValueType::Text;
        if (emptyText && column.type != ValueType::Text)
            column.notNull = false;
        column.storesReal = allReal && column.type == ValueType::Float;
        select.result.push_back(std::move(column));
    }
    if (!select.orderBy.empty())
        bindCompoundOrderBy(select);
}

void Binder::bindCompoundOrderBy(SelectStmt &select)
{
    for (OrderItem &item : select.orderBy) {
        Expr &expr = *item.expr;
        if (expr.kind == ExprKind::Literal &&
            expr.as<LiteralExpr>().literal == LiteralKind::Integer) {
            const long long index = std::stoll(expr.as<LiteralExpr>().text);
            if (index < 1 || index > (long long)select.result.size())
                fail("ORDER BY position " + expr.as<LiteralExpr>().text + " is out of range",
                     expr.position);
            expr.type = select.result[size_t(index - 1)].type;
            continue;
        }
        if (expr.kind != ExprKind::Column)
            fail("the ORDER BY of a UNION must name a result column", expr.position);
        auto &column = expr.as<ColumnExpr>();
        auto it =
            std::find_if(select.result.begin(), select.result.end(), [&](const ColumnInfo &c) {
                return equalsIgnoreCase(c.name, column.column);
            });
        if (it == select.result.end())
            fail("ORDER BY names " + column.column + ", which is not a result column of the UNION",
                 expr.position);
        column.table.clear();
        column.column = it->name;
        column.outputName = true;
        column.type = it->type;
    }
}

void Binder::addSource(Scope &scope, Source source)
{
    scope.sources.push_back(std::move(source));
}

void Binder::bindSource(TableSource &source, Scope &scope)
{
    switch (source.kind) {
    case SourceKind::Table: {
        auto &ref = source.as<TableRef>();
        const TableInfo &table = requireTable(ref.name, ref.position);
        addSource(scope, {ref.alias.empty() ? table.name : ref.alias, &table, nullptr});
        return;
    }
    case SourceKind::Subquery: {
        auto &ref = source.as<SubqueryRef>();
        bindSelect(*ref.select, scope.parent);
        addSource(scope, {ref.alias, nullptr, &ref.select->result});
        return;
    }
    case SourceKind::Join: {
        auto &join = source.as<JoinRef>();
        bindSource(*join.left, scope);
        bindSource(*join.right, scope);
        if (join.on)
            bindExpr(join.on, &scope);
        return;
    }
    }
}

void Binder::bindCore(SelectCore &core, Scope *parent, std::vector<OrderItem> *orderBy)
{
    Scope scope;
    scope.parent = parent;
    scope.core = &core;
    scope.state.assign(core.columns.size(), Scope::State::Unbound);

    for (SourcePtr &source : core.from)
        bindSource(*source, scope);
    scope.aliasesVisible = true;
    if (core.where)
        bindExpr(core.where, &scope);
    for (size_t i = 0; i < core.columns.size(); ++i)
        bindResultColumn(scope, i);
    nameResults(scope);
    for (ExprPtr &group : core.groupBy)
        bindExpr(group, &scope);
    if (core.having)
        bindExpr(core.having, &scope);
    if (orderBy)
        bindOrderBy(*orderBy, scope);
}

void Binder::bindResultColumn(Scope &scope, size_t index)
{
    if (scope.state[index] != Scope::State::Unbound)
        return;
    ResultColumn &column = scope.core->columns[index];
    scope.state[index] = Scope::State::Binding;
    if (column.expr->kind != ExprKind::Star)
        bindExpr(column.expr, &scope);
    scope.state[index] = Scope::State::Bound;
}

// Builds the typed result list: stars expanded, every name unique. Unaliased expressions are
// named Expr1000, Expr1001, ... as Jet names them; a later duplicate of a column name is
// qualified with its source (C.ParentName), and numbered when that is still taken.
void Binder::nameResults(Scope &scope)
{
    SelectCore &core = *scope.core;
    core.result.clear();
    std::vector<std::string> qualifiers; // per result: the source a column came from
    int exprNumber = 1000;

    // Checked as the stars are written out, before they can take much memory: a short text of
    // stars over wide tables in many subqueries would otherwise make millions of columns.
    auto checkWidth = [&](int position) {
        if (core.result.size() > size_t(TreeLimits::MaxResultColumns))
            fail("statement too complex: more than " +
                     std::to_string(TreeLimits::MaxResultColumns) + " result columns",
                 position);
        if (m_resultColumns + core.result.size() > size_t(TreeLimits::MaxNodes))
            fail("statement too complex: more than " + std::to_string(TreeLimits::MaxNodes) +
                     " result columns in its queries",
                 position);
    };
    for (ResultColumn &column : core.columns) {
        checkWidth(column.expr->position);
        if (column.expr->kind == ExprKind::Star) {
            auto &star = column.expr->as<StarExpr>();
            star.expansion.clear();
            bool matched = star.table.empty();
            for (const Source &source : scope.sources) {
                if (!star.table.empty() && !equalsIgnoreCase(source.name, star.table))
                    continue;
                matched = true;
                if (source.table)
                    noteReference(source.table->name, "*");
                for (const ColumnInfo &c : source.columns()) {
                    star.expansion.push_back({source.name, c.name});
                    ColumnInfo info = c;
                    info.declaredType.clear();
                    core.result.push_back(std::move(info));
                    qualifiers.push_back(source.name);
                }
                checkWidth(star.position);
            }
            if (!matched)
                fail("unknown table or alias " + star.table + " in " + star.table + ".*",
                     star.position);
            if (scope.sources.empty())
                fail("* needs a FROM clause", star.position);
            continue;
        }
        const Expr &expr = *column.expr;
        ColumnInfo info;
        info.type = expr.type;
        info.storesReal = expr.storesReal;
        std::string qualifier;
        if (expr.kind == ExprKind::Column && expr.as<ColumnExpr>().aliasIndex < 0) {
            const auto &ref = expr.as<ColumnExpr>();
            info.table = ref.baseTable;
            info.baseColumn = ref.baseColumn;
            info.size = ref.size;
            info.notNull = ref.notNull;
            info.primaryKey = ref.primaryKey;
            // The source's own spelling of the name, as SQLite reports it; the query's where
            // the schema only knows the name folded.
            info.name = ref.column;
            for (const Source &source : scope.sources) {
                if (!ref.table.empty() && !equalsIgnoreCase(source.name, ref.table))
                    continue;
                if (const ColumnInfo *c = source.find(ref.column)) {
                    if (!source.table || m_catalog.keepsSpelling())
                        info.name = c->name;
                    qualifier = source.name;
                    break;
                }
            }
        } else if (expr.kind == ExprKind::Cast && expr.type == ValueType::Text) {
            info.size = mapDeclaredType(expr.as<CastExpr>().target.toSql()).size;
        }
        if (!column.alias.empty())
            info.name = column.alias;
        else if (info.name.empty())
            info.name = "Expr" + std::to_string(exprNumber++);
        core.result.push_back(std::move(info));
        qualifiers.push_back(column.alias.empty() ? qualifier : std::string());
    }
    checkWidth(core.position);
    m_resultColumns += core.result.size();

    std::unordered_set<std::string, NameHash, NameEqual> taken;
    taken.reserve(core.result.size() * 2);
    // The next number to try per name, so that many duplicates of one name cost no more than
    // as many distinct names.
    std::unordered_map<std::string, int, NameHash, NameEqual> nextNumber;
    for (size_t i = 0; i < core.result.size(); ++i) {
        std::string &name = core.result[i].name;
        if (taken.insert(name).second)
            continue;
        if (!qualifiers[i].empty() && taken.insert(qualifiers[i] + "." + name).second) {
            name = qualifiers[i] + "." + name;
            continue;
        }
        int &n = nextNumber.try_emplace(name, 1).first->second;
        for (;;) {
            std::string candidate = name + "_" + std::to_string(n++);
            if (taken.insert(candidate).second) {
                name = std::move(candidate);
                break;
            }
        }
    }
}

void Binder::bindOrderBy(std::vector<OrderItem> &orderBy, Scope &scope)
{
    const SelectCore &core = *scope.core;
    for (OrderItem &item : orderBy) {
        Expr &expr = *item.expr;
        if (expr.kind == ExprKind::Literal &&
            expr.as<LiteralExpr>().literal == LiteralKind::Integer) {
            const long long index = std::stoll(expr.as<LiteralExpr>().text);
            if (index < 1 || index > (long long)core.result.size())
                fail("ORDER BY position " + expr.as<LiteralExpr>().text + " is out of range",
                     expr.position);
            expr.type = core.result[size_t(index - 1)].type;
            continue;
        }
        if (expr.kind == ExprKind::Column && expr.as<ColumnExpr>().table.empty()) {
            auto &column = expr.as<ColumnExpr>();
            auto it =
                std::find_if(core.result.begin(), core.result.end(), [&](const ColumnInfo &c) {
                    return equalsIgnoreCase(c.name, column.column);
                });
            if (it != core.result.end()) {
                column.column = it->name;
                column.outputName = true;
                column.type = it->type;
                continue;
            }
        }
        bindExpr(item.expr, &scope);
    }
}

// ---- Expressions ---------------------------------------------------------------------------

void Binder::resolveColumn(ColumnExpr &column, Scope *scope)
{
    auto bindTo = [&](const ColumnInfo &c, const Source &source) {
        column.type = c.type;
        column.size = c.size;
        column.notNull = c.notNull;
        column.primaryKey = c.primaryKey;
        column.storesReal = c.storesReal;
        column.baseTable = c.table;
        column.baseColumn = c.baseColumn;
        if (source.table)
            noteReference(c.table, c.name);
    };

    if (!column.table.empty()) {
        for (Scope *s = scope; s; s = s->parent) {
            for (const Source &source : s->sources) {
                if (!equalsIgnoreCase(source.name, column.table))
                    continue;
                const ColumnInfo *c = source.find(column.column);
                if (!c)
                    fail("unknown column " + column.table + "." + column.column, column.position);
                bindTo(*c, source);
                return;
            }
        }
        fail("unknown table or alias " + column.table + " in " + column.table + "." + column.column,
             column.position);
    }

    for (Scope *s = scope; s; s = s->parent) {
        const ColumnInfo *found = nullptr;
        const Source *foundSource = nullptr;
        for (const Source &source : s->sources) {
            if (const ColumnInfo *c = source.find(column.column)) {
                if (found)
                    fail("ambiguous column name " + column.column + " (in " + foundSource->name +
                             " and " + source.name + ")",
                         column.position);
                found = c;
                foundSource = &source;
            }
        }
        if (found) {
            bindTo(*found, *foundSource);
            return;
        }
        if (s == scope && s->aliasesVisible && s->core) {
            auto &columns = s->core->columns;
            for (size_t i = 0; i < columns.size(); ++i) {
                if (columns[i].alias.empty() || !equalsIgnoreCase(columns[i].alias, column.column))
                    continue;
                if (s->state[i] == Scope::State::Binding)
                    fail("circular reference caused by alias " + column.column, column.position);
                bindResultColumn(*s, i);
                const Expr &aliased = *columns[i].expr;
                column.aliasIndex = int(i);
                column.aliasCore = s->core;
                column.type = aliased.type;
                column.storesReal = aliased.storesReal;
                columns[i].referenced = true;
                return;
            }
        }
    }
    fail("unknown column " + column.column, column.position);
}

void Binder::typeExpr(Expr &expr)
{
    switch (expr.kind) {
    case ExprKind::Literal: {
        const auto &literal = expr.as<LiteralExpr>();
        switch (literal.literal) {
        case LiteralKind::Null:
            expr.type = ValueType::Unknown;
            break;
        case LiteralKind::Integer:
            expr.type = ValueType::Integer;
            break;
        case LiteralKind::Float:
            expr.type = ValueType::Float;
            expr.storesReal = true;
            break;
        case LiteralKind::String:
            expr.type = ValueType::Text;
            break;
        case LiteralKind::Date:
            expr.type = literal.text.size() > 10 ? ValueType::DateTime : ValueType::Date;
            break;
        case LiteralKind::Boolean:
            expr.type = ValueType::Boolean;
            break;
        }
        return;
    }
    case ExprKind::Column:
    case ExprKind::Star:
        return;
    case ExprKind::Unary: {
        const auto &unary = expr.as<UnaryExpr>();
        if (unary.op == UnaryOp::Not) {
            expr.type = ValueType::Boolean;
        } else {
            expr.type = unary.operand->type == ValueType::Boolean ? ValueType::Integer
                                                                  : unary.operand->type;
            expr.storesReal = unary.operand->storesReal;
        }
        return;
    }
    case ExprKind::Binary: {
        const auto &binary = expr.as<BinaryExpr>();
        const ValueType l = binary.left->type;
        const ValueType r = binary.right->type;
        const bool real = binary.left->storesReal || binary.right->storesReal;
        switch (binary.op) {
        case BinaryOp::Add:
            if ((l == ValueType::Text && (r == ValueType::Text || r == ValueType::Unknown)) ||
                (r == ValueType::Text && l == ValueType::Unknown))
                expr.type = ValueType::Text;
            else if (isTemporal(l) && (isNumeric(r) || r == ValueType::Unknown))
                expr.type = l;
            else if (isTemporal(r) && (isNumeric(l) || l == ValueType::Unknown))
                expr.type = r;
            else if ((isTemporal(l) && r == ValueType::Text) ||
                     (isTemporal(r) && l == ValueType::Text))
                expr.type = ValueType::Text;
            else if (isTemporal(l) && isTemporal(r))
                expr.type = ValueType::Float;
            else
                expr.type = arithmetic(l, r);
            expr.storesReal = real && expr.type == ValueType::Float;
            return;
        case BinaryOp::Subtract:
            if (isTemporal(l) && isTemporal(r))
                expr.type = ValueType::Float;
            else if (isTemporal(l) && (isNumeric(r) || r == ValueType::Unknown))
                expr.type = l;
            else
                expr.type = arithmetic(l, r);
            expr.storesReal = expr.type == ValueType::Float && (real || isTemporal(l));
            return;
        case BinaryOp::Multiply:
            expr.type = arithmetic(l, r);
            expr.storesReal = real && expr.type == ValueType::Float;
            return;
        case BinaryOp::Divide:
            if (m_dialect == Dialect::Jet) {
                expr.type = ValueType::Float;
                expr.storesReal = true;
            } else {
                expr.type = arithmetic(l, r);
                expr.storesReal = real && expr.type == ValueType::Float;
            }
            return;
        case BinaryOp::IntDivide:
        case BinaryOp::Modulo:
            expr.type = ValueType::Integer;
            return;
        case BinaryOp::Ampersand:
        case BinaryOp::Concat:
            expr.type = ValueType::Text;
            return;
        default:
            expr.type = ValueType::Boolean;
            return;
        }
    }
    case ExprKind::Function:
        typeFunction(expr.as<FunctionExpr>());
        return;
    case ExprKind::Case: {
        auto &c = expr.as<CaseExpr>();
        ValueType type = ValueType::Unknown;
        bool real = true;
        for (const CaseExpr::When &when : c.whens) {
            type = widen(type, when.result->type);
            real = real && when.result->storesReal;
        }
        if (c.elseResult) {
            type = widen(type, c.elseResult->type);
            real = real && c.elseResult->storesReal;
        }
        expr.type = type;
        expr.storesReal = real && type == ValueType::Float;
        return;
    }
    case ExprKind::Cast: {
        const DeclaredType declared = mapDeclaredType(expr.as<CastExpr>().target.toSql());
        expr.type = declared.type;
        expr.storesReal = declared.realAffinity;
        return;
    }
    case ExprKind::Between:
    case ExprKind::In:
    case ExprKind::Exists:
    case ExprKind::IsNull:
    case ExprKind::Like:
        expr.type = ValueType::Boolean;
        return;
    case ExprKind::Subquery: {
        const auto &result = expr.as<SubqueryExpr>().select->result;
        if (result.size() != 1)
            fail("a subquery used as a value must return one column", expr.position);
        expr.type = result.front().type;
        expr.storesReal = result.front().storesReal;
        return;
    }
    case ExprKind::Collate:
        expr.type = expr.as<CollateExpr>().operand->type;
        return;
    }
}

void Binder::typeFunction(FunctionExpr &function)
{
    if (function.lowered)
        return;
    const int count = function.star ? 0 : int(function.args.size());
    const FunctionInfo *info = findFunction(function.name, count);
    if (!info)
        fail("unknown function " + function.name, function.position);
    if (count < info->minArgs || (info->maxArgs >= 0 && count > info->maxArgs))
        fail("wrong number of arguments to " + function.name, function.position);
    if ((function.star || function.distinct) && !info->aggregate)
        fail(function.name + " is not an aggregate function", function.position);

    auto arg = [&](size_t i) -> const Expr & {
        return *function.args[i];
    };
    ValueType type = info->type;
    bool real = type == ValueType::Float;
    switch (info->typing) {
    case Typing::Fixed:
        break;
    case Typing::FirstArg:
        type = arg(0).type;
        real = arg(0).storesReal;
        break;
    case Typing::Sum:
        type = arg(0).type;
        if (type == ValueType::Boolean)
            type = ValueType::Integer;
        else if (type != ValueType::Integer && type != ValueType::Unknown)
            type = ValueType::Float;
        real = arg(0).storesReal;
        break;
    case Typing::Wider:
        type = ValueType::Unknown;
        real = true;
        for (const ExprPtr &a : function.args) {
            type = widen(type, a->type);
            real = real && a->storesReal;
        }
        break;
    case Typing::Iif:
        type = widen(arg(1).type, arg(2).type);
        real = arg(1).storesReal && arg(2).storesReal;
        break;
    case Typing::Switch:
        if (count % 2 != 0)
            fail("switch needs pairs of conditions and values", function.position);
        type = ValueType::Unknown;
        real = true;
        for (size_t i = 1; i < function.args.size(); i += 2) {
            type = widen(type, arg(i).type);
            real = real && arg(i).storesReal;
        }
        break;
    }
    // T-SQL isnull(x, y) has the type of x.
    if (info->lowering == Lowering::IsNull && count == 2) {
        type = arg(0).type != ValueType::Unknown ? arg(0).type : arg(1).type;
        real = arg(0).storesReal && arg(1).storesReal;
    }
    function.type = type;
    function.storesReal = real && type == ValueType::Float;
}

} // namespace sql
