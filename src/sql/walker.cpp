// Depth-first traversal of statements, queries, sources and expressions.
#include "sql/walker.h"

namespace sql {

void Walker::walkStatement(StatementNode &statement)
{
    switch (statement.kind) {
    case StatementKind::Select:
        walkSelect(*statement.as<SelectStatement>().select);
        break;
    case StatementKind::Insert: {
        auto &insert = statement.as<InsertStatement>();
        for (ExprList &row : insert.rows) {
            for (ExprPtr &value : row)
                walkExpr(value);
        }
        if (insert.select)
            walkSelect(*insert.select);
        break;
    }
    case StatementKind::Update: {
        auto &update = statement.as<UpdateStatement>();
        for (Assignment &assignment : update.assignments)
            walkExpr(assignment.value);
        if (update.where)
            walkExpr(update.where);
        break;
    }
    case StatementKind::Delete: {
        auto &del = statement.as<DeleteStatement>();
        if (del.where)
            walkExpr(del.where);
        break;
    }
    case StatementKind::CreateTable:
        for (ColumnDef &column : statement.as<CreateTableStatement>().columns) {
            if (column.defaultValue)
                walkExpr(column.defaultValue);
        }
        break;
    case StatementKind::DropTable:
    case StatementKind::Other:
        break;
    }
}

void Walker::walkSelect(SelectStmt &select)
{
    if (!visitSelect(select))
        return;
    for (auto &member : select.members)
        walkCore(*member);
    for (OrderItem &item : select.orderBy)
        walkExpr(item.expr);
    leaveSelect(select);
}

void Walker::walkCore(SelectCore &core)
{
    if (!visitCore(core))
        return;
    walkCoreParts(core);
    leaveCore(core);
}

void Walker::walkCoreParts(SelectCore &core)
{
    for (SourcePtr &source : core.from)
        walkSource(*source);
    if (core.where)
        walkExpr(core.where);
    for (ExprPtr &group : core.groupBy)
        walkExpr(group);
    if (core.having)
        walkExpr(core.having);
    for (ResultColumn &column : core.columns)
        walkExpr(column.expr);
}

void Walker::walkSource(TableSource &source)
{
    if (!visitSource(source))
        return;
    switch (source.kind) {
    case SourceKind::Table:
        break;
    case SourceKind::Subquery:
        walkSelect(*source.as<SubqueryRef>().select);
        break;
    case SourceKind::Join: {
        auto &join = source.as<JoinRef>();
        walkSource(*join.left);
        walkSource(*join.right);
        if (join.on)
            walkExpr(join.on);
        break;
    }
    }
    leaveSource(source);
}

void Walker::walkExpr(ExprPtr &expr)
{
    if (m_depth >= TreeLimits::MaxWalkDepth)
        throw TranslateError("statement too complex: nested deeper than " +
                             std::to_string(TreeLimits::MaxWalkDepth) + " levels");
    ++m_depth;
    if (visitExpr(expr)) {
        walkChildren(expr);
        leaveExpr(expr);
    }
    --m_depth;
}

void Walker::walkChildren(ExprPtr &expr)
{
    switch (expr->kind) {
    case ExprKind::Literal:
    case ExprKind::Column:
    case ExprKind::Star:
        break;
    case ExprKind::Unary:
        walkExpr(expr->as<UnaryExpr>().operand);
        break;
    case ExprKind::Binary: {
        auto &binary = expr->as<BinaryExpr>();
        walkExpr(binary.left);
        walkExpr(binary.right);
        break;
    }
    case ExprKind::Function: {
        auto &function = expr->as<FunctionExpr>();
        for (ExprPtr &arg : function.args)
            walkExpr(arg);
        for (OrderItem &item : function.windowOrder)
            walkExpr(item.expr);
        break;
    }
    case ExprKind::Case: {
        auto &c = expr->as<CaseExpr>();
        if (c.operand)
            walkExpr(c.operand);
        for (CaseExpr::When &when : c.whens) {
            walkExpr(when.condition);
            walkExpr(when.result);
        }
        if (c.elseResult)
            walkExpr(c.elseResult);
        break;
    }
    case ExprKind::Cast:
        walkExpr(expr->as<CastExpr>().operand);
        break;
    case ExprKind::Between: {
        auto &between = expr->as<BetweenExpr>();
        walkExpr(between.operand);
        walkExpr(between.low);
        walkExpr(between.high);
        break;
    }
    case ExprKind::In: {
        auto &in = expr->as<InExpr>();
        walkExpr(in.operand);
        for (ExprPtr &item : in.list)
            walkExpr(item);
        if (in.select)
            walkSelect(*in.select);
        break;
    }
    case ExprKind::Exists:
        walkSelect(*expr->as<ExistsExpr>().select);
        break;
    case ExprKind::Subquery:
        walkSelect(*expr->as<SubqueryExpr>().select);
        break;
    case ExprKind::IsNull:
        walkExpr(expr->as<IsNullExpr>().operand);
        break;
    case ExprKind::Like: {
        auto &like = expr->as<LikeExpr>();
        walkExpr(like.operand);
        walkExpr(like.pattern);
        if (like.escape)
            walkExpr(like.escape);
        break;
    }
    case ExprKind::Collate:
        walkExpr(expr->as<CollateExpr>().operand);
        break;
    }
}

} // namespace sql
