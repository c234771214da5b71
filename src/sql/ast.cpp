// Deep copies and source-dialect printing of syntax-tree nodes.
#include "sql/ast.h"

#include "sql/emitter.h"

namespace sql {

bool isArithmetic(BinaryOp op)
{
    switch (op) {
    case BinaryOp::Add:
    case BinaryOp::Subtract:
    case BinaryOp::Multiply:
    case BinaryOp::Divide:
    case BinaryOp::IntDivide:
    case BinaryOp::Modulo:
        return true;
    default:
        return false;
    }
}

bool isComparison(BinaryOp op)
{
    switch (op) {
    case BinaryOp::Equal:
    case BinaryOp::NotEqual:
    case BinaryOp::Less:
    case BinaryOp::LessEqual:
    case BinaryOp::Greater:
    case BinaryOp::GreaterEqual:
        return true;
    default:
        return false;
    }
}

ExprList cloneList(const ExprList &list)
{
    ExprList copy;
    copy.reserve(list.size());
    for (const ExprPtr &e : list)
        copy.push_back(e->clone());
    return copy;
}

std::string Expr::toSql() const
{
    return SqlWriter(SqlStyle::Source).expr(*this);
}

CaseExpr::CaseExpr(const CaseExpr &other)
    : Expr(other)
    , operand(other.operand ? other.operand->clone() : nullptr)
    , elseResult(other.elseResult ? other.elseResult->clone() : nullptr)
{
    whens.reserve(other.whens.size());
    for (const When &when : other.whens)
        whens.push_back({when.condition->clone(), when.result->clone()});
}

std::string TypeName::toSql() const
{
    std::string text = name;
    if (!args.empty()) {
        text += '(';
        for (size_t i = 0; i < args.size(); ++i) {
            if (i)
                text += ',';
            text += args[i] == 0 && name.find("char") != std::string::npos
                        ? std::string("max")
                        : std::to_string(args[i]);
        }
        text += ')';
    }
    return text;
}

InExpr::InExpr(const InExpr &other)
    : Expr(other)
    , operand(other.operand->clone())
    , list(cloneList(other.list))
    , select(other.select ? std::make_unique<SelectStmt>(*other.select) : nullptr)
    , negated(other.negated)
    , keyProbe(other.keyProbe)
{}

ExistsExpr::ExistsExpr(std::unique_ptr<SelectStmt> select, int position)
    : Expr(ExprKind::Exists, position)
    , select(std::move(select))
{}

ExistsExpr::ExistsExpr(const ExistsExpr &other)
    : Expr(other)
    , select(std::make_unique<SelectStmt>(*other.select))
{}

ExistsExpr::~ExistsExpr() = default;

SubqueryExpr::SubqueryExpr(std::unique_ptr<SelectStmt> select, int position)
    : Expr(ExprKind::Subquery, position)
    , select(std::move(select))
{}

SubqueryExpr::SubqueryExpr(const SubqueryExpr &other)
    : Expr(other)
    , select(std::make_unique<SelectStmt>(*other.select))
{}

SubqueryExpr::~SubqueryExpr() = default;

SubqueryRef::SubqueryRef(std::unique_ptr<SelectStmt> select, int position)
    : TableSource(SourceKind::Subquery, position)
    , select(std::move(select))
{}

SubqueryRef::SubqueryRef(const SubqueryRef &other)
    : TableSource(other)
    , select(std::make_unique<SelectStmt>(*other.select))
{}

SubqueryRef::~SubqueryRef() = default;

SelectCore::SelectCore(const SelectCore &other)
    : position(other.position)
    , distinct(other.distinct)
    , top(other.top)
    , topPercent(other.topPercent)
    , columns(other.columns)
    , where(other.where ? other.where->clone() : nullptr)
    , groupBy(cloneList(other.groupBy))
    , having(other.having ? other.having->clone() : nullptr)
    , result(other.result)
{
    from.reserve(other.from.size());
    for (const SourcePtr &source : other.from)
        from.push_back(source->clone());
}

SelectStmt::SelectStmt(const SelectStmt &other)
    : ops(other.ops)
    , orderBy(other.orderBy)
    , limit(other.limit)
    , result(other.result)
{
    members.reserve(other.members.size());
    for (const auto &member : other.members)
        members.push_back(std::make_unique<SelectCore>(*member));
}

std::string SelectStmt::toSql() const
{
    return SqlWriter(SqlStyle::Source).select(*this);
}

std::string StatementNode::toSql() const
{
    return SqlWriter(SqlStyle::Source).statement(*this);
}

} // namespace sql
