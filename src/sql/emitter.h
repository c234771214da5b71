// Prints a syntax tree as text. The source style regenerates the client's dialect (so that
// parse -> print -> parse is the identity); the SQLite and PostgreSQL styles are the
// translator's output and expect a tree the rewrites have already put into that engine's terms.
#pragma once

#include "sql/ast.h"

#include <string>
#include <string_view>

namespace sql {

enum class SqlStyle { Source, Sqlite, Postgres };

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
    int m_derivedTables = 0; // names given to unnamed derived tables
};

// Any name as an SQLite identifier: in double quotes, its double quotes doubled.
std::string quoteSqliteIdentifier(std::string_view name);
// Quoting for SQLite: the name as it is when it is a plain ASCII name and not a keyword,
// otherwise as quoteSqliteIdentifier() gives it.
std::string quoteSqliteName(std::string_view name);
bool isSqliteKeyword(std::string_view word);

// A name as PostgreSQL is given it: folded to lower case, as Jet's names are without regard to
// case and PostgreSQL folds unquoted ones, and quoted when it is not a plain name or is a
// keyword. Every name is written so, in created tables and in queries alike, so they agree.
std::string quotePostgresName(std::string_view name);

} // namespace sql
