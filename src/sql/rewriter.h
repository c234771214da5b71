// The rewrites that turn the client's dialects into SQLite's terms. One runs before binding
// (it changes which tables are in scope); the others need the binder's types.
#pragma once

#include "sql/ast.h"

namespace sql {

// `from A M, B H, M inner join H on ...`: the comma list declares aliases and the later items
// join them. Rebuilds each such FROM clause as the one join tree it means.
void rewriteAliasJoins(StatementNode &statement);

struct LoweringOptions
{
    Dialect dialect = Dialect::Jet;
    Engine engine = Engine::Sqlite;
    // Jet's TOP n with ORDER BY also returns the rows tied with the n-th.
    bool jetTopTies = true;
};

// Everything else: functions, operators by type, literals, TOP, collations, unique names,
// canonical values written into date and boolean columns. Needs a bound statement; `target` is
// the table an INSERT or UPDATE writes.
void lowerStatement(StatementNode &statement, const LoweringOptions &options, std::string_view text,
                    const TableInfo *target);

class SchemaCatalog;

// Rewrites of a lowered query that keep its rows and make SQLite's plan cheaper: a grouping
// over a derived table that left joins tables by primary key groups by the key alone and joins
// the tables that only describe each group afterwards; a correlated running sum over the
// derived table's base table becomes a window sum joined by that table's key; a condition on
// a table joined by its key also limits the base table's column it is joined on.
void optimizeQuery(StatementNode &statement, SchemaCatalog &catalog);

// The SQLite collation of text in ORDER BY and GROUP BY (Target::orderCollation()).
inline constexpr const char *TextCollation = "pinyin";

} // namespace sql
