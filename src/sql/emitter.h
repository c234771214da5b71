// Prints a syntax tree as text. The source style regenerates the client's dialect (so that
// parse -> print -> parse is the identity); the SQLite style is the translator's output and
// expects a tree the rewrites have already put into SQLite's terms.
#pragma once

#include "sql/ast.h"

#include <string>
#include <string_view>

namespace sql {

enum class SqlStyle { Source, Sqlite };

class SqlWriter
{
public:
    explicit SqlWriter(SqlStyle style)
        : m_style(style)
    {}

    std::string statement(const StatementNode &statement);
    std::string select(const SelectStmt &select);
    std::string expr(const Expr &expr);

private:
    void writeStatement(const StatementNode &statement);
    void writeSelect(const SelectStmt &select);
    void writeCore(const SelectCore &core);
    void writeOrderBy(const std::vector<OrderItem> &items, const char *prefix);
    void writeSource(const TableSource &source, bool rightOperand);
    void writeExpr(const Expr &expr, int parentPrecedence = 0, bool rightOperand = false);
    void writeExprList(const ExprList &list);
    void writeFunction(const FunctionExpr &function);
    void writeLiteral(const LiteralExpr &literal);
    void writeName(std::string_view name);
    void writeAlias(std::string_view alias);
    void writeString(std::string_view text);
    int precedence(const Expr &expr) const;

    SqlStyle m_style;
    std::string m_out;
};

// Any name as an SQLite identifier: in double quotes, its double quotes doubled.
std::string quoteSqliteIdentifier(std::string_view name);
// Quoting for SQLite: the name as it is when it is a plain ASCII name and not a keyword,
// otherwise as quoteSqliteIdentifier() gives it.
std::string quoteSqliteName(std::string_view name);
bool isSqliteKeyword(std::string_view word);

} // namespace sql
