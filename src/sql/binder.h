// The semantic pass: resolves every table and column name against the live schema and types
// every expression, so that the rewrites can decide what `+`, `/`, a date literal or a boolean
// column means. Unknown names are errors that name them.
#pragma once

#include "sql/ast.h"
#include "sql/schema.h"
#include "sql/tokenizer.h"

#include <string_view>
#include <vector>

namespace sql {

class Binder
{
public:
    Binder(SchemaCatalog &catalog, Dialect dialect, std::string_view text);
    ~Binder();

    void bind(StatementNode &statement);

    const std::vector<ColumnReference> &references() const { return m_references; }
    // The table a statement writes, or the table a query reads first (firstBaseTable).
    const std::string &table() const { return m_table; }

    struct Scope;

private:
    friend class ExprBinder;
    struct SourceColumn;
    struct Source;

    void bindSelect(SelectStmt &select, Scope *parent);
    void bindCore(SelectCore &core, Scope *parent, std::vector<OrderItem> *orderBy);
    void bindSource(TableSource &source, Scope &scope);
    void bindExpr(ExprPtr &expr, Scope *scope);
    void bindResultColumn(Scope &scope, size_t index);
    void nameResults(Scope &scope);
    void bindOrderBy(std::vector<OrderItem> &orderBy, Scope &scope);
    void bindCompoundOrderBy(SelectStmt &select);

    void resolveColumn(ColumnExpr &column, Scope *scope);
    void typeExpr(Expr &expr);
    void typeFunction(FunctionExpr &function);

    void addSource(Scope &scope, Source source);
    const TableInfo &requireTable(const std::string &name, int position);
    void noteReference(const std::string &table, const std::string &column);
    [[noreturn]] void fail(const std::string &message, int offset) const;

    SchemaCatalog &m_catalog;
    Dialect m_dialect;
    std::string_view m_text;
    std::vector<ColumnReference> m_references;
    std::string m_table;
    size_t m_resultColumns = 0; // of the queries named so far
};

// The table a query reads first: the first table of its FROM list, looking through joins and
// into a derived table's own query (a form's "select * from (select ...) x" saves to the
// table the inner query reads). Empty when the query reads no table.
std::string firstBaseTable(const SelectStmt &select);

} // namespace sql
