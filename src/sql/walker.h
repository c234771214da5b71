// The one traversal of the syntax tree that every pass shares. A pass overrides the hooks it
// needs: visit* runs before the children (return false to skip them, e.g. to handle a subquery
// in its own scope), leave* after them. leaveExpr may replace the node it is given.
// A walk deeper than TreeLimits::MaxWalkDepth fails: a tree a rewrite has grown that far would
// take this or a later pass too close to the end of its stack.
#pragma once

#include "sql/ast.h"

namespace sql {

class Walker
{
public:
    virtual ~Walker() = default;

    void walkStatement(StatementNode &statement);
    void walkSelect(SelectStmt &select);
    void walkCore(SelectCore &core);
    void walkSource(TableSource &source);
    void walkExpr(ExprPtr &expr);
    // The expressions of a core in the order of evaluation: FROM (ON conditions, derived tables),
    // WHERE, GROUP BY, HAVING, then the select list.
    void walkCoreParts(SelectCore &core);

protected:
    virtual bool visitExpr(ExprPtr &) { return true; }
    virtual void leaveExpr(ExprPtr &) {}
    virtual bool visitSelect(SelectStmt &) { return true; }
    virtual void leaveSelect(SelectStmt &) {}
    virtual bool visitCore(SelectCore &) { return true; }
    virtual void leaveCore(SelectCore &) {}
    virtual bool visitSource(TableSource &) { return true; }
    virtual void leaveSource(TableSource &) {}

    // Walks what a subquery node contains; also used by passes that handle scope themselves.
    void walkChildren(ExprPtr &expr);

private:
    int m_depth = 0;
};

} // namespace sql
