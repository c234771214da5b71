// Text generation for both styles. Parentheses come from operator precedence, not from the
// input, so a rewritten tree prints correctly whatever shape the rewrites gave it.
#include "sql/emitter.h"

#include "sql/parser.h"
#include "sql/tokenizer.h"
#include "sql/types.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

namespace sql {

namespace {

// SQLite's keywords (lang_keywords.html); a name spelled like one must be quoted.
constexpr std::string_view SqliteKeywords[] = {
    "abort",
    "action",
    "add",
    "after",
    "all",
    "alter",
    "always",
    "analyze",
    "and",
    "as",
    "asc",
    "attach",
    "autoincrement",
    "before",
    "begin",
    "between",
    "by",
    "cascade",
    "case",
    "cast",
    "check",
    "collate",
    "column",
    "commit",
    "conflict",
    "constraint",
    "create",
    "cross",
    "current",
    "current_date",
    "current_time",
    "current_timestamp",
    "database",
    "default",
    "deferrable",
    "deferred",
    "delete",
    "desc",
    "detach",
    "distinct",
    "do",
    "drop",
    "each",
    "else",
    "end",
    "escape",
    "except",
    "exclude",
    "exclusive",
    "exists",
    "explain",
    "fail",
    "filter",
    "first",
    "following",
    "for",
    "foreign",
    "from",
    "full",
    "generated",
    "glob",
    "group",
    "groups",
    "having",
    "if",
    "ignore",
    "immediate",
    "in",
    "index",
    "indexed",
    "initially",
    "inner",
    "insert",
    "instead",
    "intersect",
    "into",
    "is",
    "isnull",
    "join",
    "key",
    "last",
    "left",
    "like",
    "limit",
    "match",
    "materialized",
    "natural",
    "no",
    "not",
    "nothing",
    "notnull",
    "null",
    "nulls",
    "of",
    "offset",
    "on",
    "or",
    "order",
    "others",
    "outer",
    "over",
    "partition",
    "plan",
    "pragma",
    "preceding",
    "primary",
    "query",
    "raise",
    "range",
    "recursive",
    "references",
    "regexp",
    "reindex",
    "release",
    "rename",
    "replace",
    "restrict",
    "returning",
    "right",
    "rollback",
    "row",
    "rows",
    "savepoint",
    "select",
    "set",
    "table",
    "temp",
    "temporary",
    "then",
    "ties",
    "to",
    "transaction",
    "trigger",
    "unbounded",
    "union",
    "unique",
    "update",
    "using",
    "vacuum",
    "values",
    "view",
    "virtual",
    "when",
    "where",
    "window",
    "with",
    "without",
};

bool isPlainAsciiName(std::string_view name)
{
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

bool isSourceName(std::string_view name)
{
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) || name[0] == '$')
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
    });
}

const char *binaryText(BinaryOp op)
{
    switch (op) {
    case BinaryOp::Add:
        return "+";
    case BinaryOp::Subtract:
        return "-";
    case BinaryOp::Multiply:
        return "*";
    case BinaryOp::Divide:
        return "/";
    case BinaryOp::IntDivide:
        return "\\";
    case BinaryOp::Modulo:
        return "%";
    case BinaryOp::Ampersand:
        return "&";
    case BinaryOp::Concat:
        return "||";
    case BinaryOp::Equal:
        return "=";
    case BinaryOp::NotEqual:
        return "<>";
    case BinaryOp::Less:
        return "<";
    case BinaryOp::LessEqual:
        return "<=";
    case BinaryOp::Greater:
        return ">";
    case BinaryOp::GreaterEqual:
        return ">=";
    case BinaryOp::And:
        return "AND";
    case BinaryOp::Or:
        return "OR";
    }
    return "?";
}

const char *joinText(JoinType type)
{
    switch (type) {
    case JoinType::Inner:
        return " INNER JOIN ";
    case JoinType::Left:
        return " LEFT JOIN ";
    case JoinType::Right:
        return " RIGHT JOIN ";
    case JoinType::Full:
        return " FULL JOIN ";
    case JoinType::Cross:
        return " CROSS JOIN ";
    }
    return " JOIN ";
}

// Precedence classes. Comparisons never nest without parentheses.
enum Level {
    LevelOr = 1,
    LevelAnd,
    LevelNot,
    LevelCompare,
    LevelConcatSource, // & and || in the source dialects
    LevelAdditive,
    LevelMultiplicative,
    LevelConcatSqlite, // SQLite's || binds tighter than * and /
    LevelUnary,
    LevelCollate,
    LevelPrimary,
};

} // namespace

// PostgreSQL's reserved keywords and those that cannot name a function or type
// (sql-keywords-appendix.html); quoting any other name is harmless, so the list errs wide.
constexpr std::string_view PostgresKeywords[] = {
    "all",
    "analyse",
    "analyze",
    "and",
    "any",
    "array",
    "as",
    "asc",
    "asymmetric",
    "authorization",
    "between",
    "bigint",
    "binary",
    "bit",
    "boolean",
    "both",
    "case",
    "cast",
    "char",
    "character",
    "check",
    "coalesce",
    "collate",
    "collation",
    "column",
    "concurrently",
    "constraint",
    "create",
    "cross",
    "current_catalog",
    "current_date",
    "current_role",
    "current_schema",
    "current_time",
    "current_timestamp",
    "current_user",
    "dec",
    "decimal",
    "default",
    "deferrable",
    "desc",
    "distinct",
    "do",
    "else",
    "end",
    "except",
    "exists",
    "extract",
    "false",
    "fetch",
    "float",
    "for",
    "foreign",
    "freeze",
    "from",
    "full",
    "grant",
    "greatest",
    "group",
    "grouping",
    "having",
    "ilike",
    "in",
    "initially",
    "inner",
    "inout",
    "int",
    "integer",
    "intersect",
    "interval",
    "into",
    "is",
    "isnull",
    "join",
    "lateral",
    "leading",
    "least",
    "left",
    "like",
    "limit",
    "localtime",
    "localtimestamp",
    "national",
    "natural",
    "nchar",
    "none",
    "normalize",
    "not",
    "notnull",
    "null",
    "nullif",
    "numeric",
    "offset",
    "on",
    "only",
    "or",
    "order",
    "out",
    "outer",
    "overlaps",
    "overlay",
    "placing",
    "position",
    "precision",
    "primary",
    "real",
    "references",
    "returning",
    "right",
    "row",
    "select",
    "session_user",
    "setof",
    "similar",
    "smallint",
    "some",
    "substring",
    "symmetric",
    "table",
    "tablesample",
    "then",
    "time",
    "timestamp",
    "to",
    "trailing",
    "treat",
    "trim",
    "true",
    "union",
    "unique",
    "user",
    "using",
    "values",
    "varchar",
    "variadic",
    "verbose",
    "when",
    "where",
    "window",
    "with",
    "xmlattributes",
    "xmlconcat",
    "xmlelement",
    "xmlexists",
    "xmlforest",
    "xmlnamespaces",
    "xmlparse",
    "xmlpi",
    "xmlroot",
    "xmlserialize",
    "xmltable",
};

bool isSqliteKeyword(std::string_view word)
{
    static const std::unordered_set<std::string_view, NameHash, NameEqual> keywords(
        std::begin(SqliteKeywords), std::end(SqliteKeywords));
    return keywords.count(word) != 0;
}

std::string quoteSqliteIdentifier(std::string_view name)
{
    std::string quoted;
    quoted.reserve(name.size() + 2);
    quoted += '"';
    for (char c : name) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string quoteSqliteName(std::string_view name)
{
    if (isPlainAsciiName(name) && !isSqliteKeyword(name))
        return std::string(name);
    return quoteSqliteIdentifier(name);
}

std::string quotePostgresName(std::string_view name)
{
    static const std::unordered_set<std::string_view, NameHash, NameEqual> keywords(
        std::begin(PostgresKeywords), std::end(PostgresKeywords));
    std::string folded(name);
    for (char &c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    if (isPlainAsciiName(folded) && !keywords.count(folded))
        return folded;
    return quoteSqliteIdentifier(folded);
}

std::string SqlWriter::statement(const StatementNode &statement)
{
    m_out.clear();
    m_derivedTables = 0;
    writeStatement(statement);
    return std::move(m_out);
}

std::string SqlWriter::select(const SelectStmt &select)
{
    m_out.clear();
    writeSelect(select);
    return std::move(m_out);
}

std::string SqlWriter::expr(const Expr &expr)
{
    m_out.clear();
    writeExpr(expr);
    return std::move(m_out);
}

void SqlWriter::writeName(std::string_view name)
{
    if (m_style == SqlStyle::Sqlite) {
        m_out += quoteSqliteName(name);
        return;
    }
    if (m_style == SqlStyle::Postgres) {
        m_out += quotePostgresName(name);
        return;
    }
    if (isSourceName(name) && !isReservedWord(name)) {
        m_out += name;
    } else if (name.find(']') == std::string_view::npos) {
        m_out += '[';
        m_out += name;
        m_out += ']';
    } else {
        m_out += '`';
        for (char c : name) {
            if (c == '`')
                m_out += '`';
            m_out += c;
        }
        m_out += '`';
    }
}

// Result column aliases are always quoted in SQLite: they may be captions or user data.
// PostgreSQL's are names like any other, so that ORDER BY finds them.
void SqlWriter::writeAlias(std::string_view alias)
{
    if (m_style != SqlStyle::Sqlite) {
        writeName(alias);
        return;
    }
    m_out += '"';
    for (char c : alias) {
        if (c == '"')
            m_out += '"';
        m_out += c;
    }
    m_out += '"';
}

void SqlWriter::writeString(std::string_view text)
{
    m_out += '\'';
    for (char c : text) {
        if (c == '\'')
            m_out += '\'';
        m_out += c;
    }
    m_out += '\'';
}

void SqlWriter::writeStatement(const StatementNode &statement)
{
    switch (statement.kind) {
    case StatementKind::Select:
        writeSelect(*statement.as<SelectStatement>().select);
        return;
    case StatementKind::Insert: {
        const auto &insert = statement.as<InsertStatement>();
        m_out += "INSERT INTO ";
        writeName(insert.table);
        if (!insert.columns.empty()) {
            m_out += " (";
            for (size_t i = 0; i < insert.columns.size(); ++i) {
                if (i)
                    m_out += ", ";
                writeName(insert.columns[i]);
            }
            m_out += ')';
        }
        if (insert.select) {
            m_out += ' ';
            writeSelect(*insert.select);
        } else {
            m_out += " VALUES ";
            for (size_t r = 0; r < insert.rows.size(); ++r) {
                if (r)
                    m_out += ", ";
                m_out += '(';
                writeExprList(insert.rows[r]);
                m_out += ')';
            }
        }
        return;
    }
    case StatementKind::Update: {
        const auto &update = statement.as<UpdateStatement>();
        m_out += "UPDATE ";
        writeName(update.table);
        if (!update.alias.empty()) {
            m_out += " AS ";
            writeName(update.alias);
        }
        m_out += " SET ";
        for (size_t i = 0; i < update.assignments.size(); ++i) {
            if (i)
                m_out += ", ";
            writeName(update.assignments[i].column);
            m_out += " = ";
            writeExpr(*update.assignments[i].value);
        }
        if (update.where) {
            m_out += " WHERE ";
            writeExpr(*update.where);
        }
        return;
    }
    case StatementKind::Delete: {
        const auto &del = statement.as<DeleteStatement>();
        m_out += "DELETE FROM ";
        writeName(del.table);
        if (!del.alias.empty()) {
            m_out += " AS ";
            writeName(del.alias);
        }
        if (del.where) {
            m_out += " WHERE ";
            writeExpr(*del.where);
        }
        return;
    }
    case StatementKind::CreateTable: {
        const auto &create = statement.as<CreateTableStatement>();
        m_out += "CREATE TABLE ";
        if (create.ifNotExists)
            m_out += "IF NOT EXISTS ";
        writeName(create.table);
        m_out += " (";
        for (size_t i = 0; i < create.columns.size(); ++i) {
            const ColumnDef &column = create.columns[i];
            if (i)
                m_out += ", ";
            writeName(column.name);
            if (!column.type.name.empty()) {
                m_out += ' ';
                m_out += column.type.toSql();
            }
            if (column.primaryKey)
                m_out += " PRIMARY KEY";
            if (column.notNull)
                m_out += " NOT NULL";
            if (column.unique)
                m_out += " UNIQUE";
            if (column.defaultValue) {
                m_out += " DEFAULT (";
                writeExpr(*column.defaultValue);
                m_out += ')';
            }
            if (!column.collation.empty()) {
                m_out += " COLLATE ";
                writeName(column.collation);
            }
        }
        if (!create.primaryKey.empty()) {
            m_out += ", PRIMARY KEY (";
            for (size_t i = 0; i < create.primaryKey.size(); ++i) {
                if (i)
                    m_out += ", ";
                writeName(create.primaryKey[i]);
            }
            m_out += ')';
        }
        m_out += ')';
        // PostgreSQL's catalogue does not say what the statement declared (a text's length,
        // money or float) nor how it spelled its names; the schema reads them back from the
        // comments. A table that may exist already keeps the comments it has: its columns may
        // not be these.
        if (m_style == SqlStyle::Postgres && !create.ifNotExists) {
            m_out += "; COMMENT ON TABLE ";
            writeName(create.table);
            m_out += " IS ";
            writeString(create.table);
            for (const ColumnDef &column : create.columns) {
                m_out += "; COMMENT ON COLUMN ";
                writeName(create.table);
                m_out += '.';
                writeName(column.name);
                m_out += " IS ";
                writeString(postgresColumnNote(column.declared, column.name));
            }
        }
        return;
    }
    case StatementKind::DropTable: {
        const auto &drop = statement.as<DropTableStatement>();
        m_out += "DROP TABLE ";
        if (drop.ifExists)
            m_out += "IF EXISTS ";
        writeName(drop.table);
        return;
    }
    case StatementKind::Other:
        return;
    }
}

void SqlWriter::writeSelect(const SelectStmt &select)
{
    for (size_t i = 0; i < select.members.size(); ++i) {
        if (i)
            m_out += select.ops[i - 1] == SetOp::UnionAll ? " UNION ALL " : " UNION ";
        writeCore(*select.members[i]);
    }
    if (!select.orderBy.empty())
        writeOrderBy(select.orderBy, " ORDER BY ");
    if (select.limit >= 0) {
        m_out += " LIMIT ";
        m_out += std::to_string(select.limit);
    }
}

void SqlWriter::writeOrderBy(const std::vector<OrderItem> &items, const char *prefix)
{
    m_out += prefix;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i)
            m_out += ", ";
        writeExpr(*items[i].expr);
        if (items[i].descending)
            m_out += " DESC";
        // Nulls come first, as in SQLite and Jet; PostgreSQL puts them last by default.
        if (m_style == SqlStyle::Postgres)
            m_out += items[i].descending ? " NULLS LAST" : " NULLS FIRST";
    }
}

void SqlWriter::writeCore(const SelectCore &core)
{
    m_out += "SELECT ";
    if (core.distinct)
        m_out += "DISTINCT ";
    if (core.top >= 0 && m_style == SqlStyle::Source) {
        m_out += "TOP ";
        m_out += std::to_string(core.top);
        m_out += core.topPercent ? " PERCENT " : " ";
    }
    size_t result = 0; // index into core.result, which has the star columns expanded
    for (size_t i = 0; i < core.columns.size(); ++i) {
        const ResultColumn &column = core.columns[i];
        if (i)
            m_out += ", ";
        if (column.expr->kind == ExprKind::Star) {
            const auto &star = column.expr->as<StarExpr>();
            if (!star.table.empty()) {
                writeName(star.table);
                m_out += '.';
            }
            m_out += '*';
            result += star.expansion.size();
            continue;
        }
        writeExpr(*column.expr);
        if (m_style != SqlStyle::Source && result < core.result.size()) {
            // PostgreSQL folds both names: an alias that only changes the case would not
            // change the name it reports.
            const std::string &name = core.result[result].name;
            const bool plainColumn =
                column.expr->kind == ExprKind::Column &&
                (m_style == SqlStyle::Postgres
                     ? equalsIgnoreCase(column.expr->as<ColumnExpr>().column, name)
                     : column.expr->as<ColumnExpr>().column == name);
            if (!plainColumn) {
                m_out += " AS ";
                writeAlias(name);
            }
        } else if (!column.alias.empty()) {
            m_out += " AS ";
            writeAlias(column.alias);
        }
        ++result;
    }
    if (!core.from.empty()) {
        m_out += " FROM ";
        for (size_t i = 0; i < core.from.size(); ++i) {
            if (i)
                m_out += ", ";
            writeSource(*core.from[i], false);
        }
    }
    if (core.where) {
        m_out += " WHERE ";
        writeExpr(*core.where);
    }
    if (!core.groupBy.empty()) {
        m_out += " GROUP BY ";
        writeExprList(core.groupBy);
    }
    if (core.having) {
        m_out += " HAVING ";
        writeExpr(*core.having);
    }
}

void SqlWriter::writeSource(const TableSource &source, bool rightOperand)
{
    switch (source.kind) {
    case SourceKind::Table:
        writeName(source.as<TableRef>().name);
        break;
    case SourceKind::Subquery:
        m_out += '(';
        writeSelect(*source.as<SubqueryRef>().select);
        m_out += ')';
        break;
    case SourceKind::Join: {
        const auto &join = source.as<JoinRef>();
        // Jet wants every join but the outermost in parentheses; SQLite only needs them for a
        // join on the right-hand side.
        const bool parenthesise = rightOperand || m_style == SqlStyle::Source;
        const bool leftIsJoin = join.left->kind == SourceKind::Join;
        if (parenthesise && rightOperand)
            m_out += '(';
        if (leftIsJoin && m_style == SqlStyle::Source)
            m_out += '(';
        writeSource(*join.left, false);
        if (leftIsJoin && m_style == SqlStyle::Source)
            m_out += ')';
        m_out += joinText(join.type);
        writeSource(*join.right, true);
        if (join.on) {
            m_out += " ON ";
            writeExpr(*join.on);
        }
        if (parenthesise && rightOperand)
            m_out += ')';
        return;
    }
    }
    if (!source.alias.empty()) {
        m_out += " AS ";
        writeName(source.alias);
    } else if (source.kind == SourceKind::Subquery && m_style == SqlStyle::Postgres) {
        // PostgreSQL names every derived table.
        m_out += " AS vz_derived";
        m_out += std::to_string(++m_derivedTables);
    }
}

int SqlWriter::precedence(const Expr &expr) const
{
    switch (expr.kind) {
    case ExprKind::Binary:
        switch (expr.as<BinaryExpr>().op) {
        case BinaryOp::Or:
            return LevelOr;
        case BinaryOp::And:
            return LevelAnd;
        case BinaryOp::Add:
        case BinaryOp::Subtract:
            return LevelAdditive;
        case BinaryOp::Multiply:
        case BinaryOp::Divide:
        case BinaryOp::IntDivide:
        case BinaryOp::Modulo:
            return LevelMultiplicative;
        case BinaryOp::Ampersand:
        case BinaryOp::Concat:
            return m_style == SqlStyle::Sqlite ? LevelConcatSqlite : LevelConcatSource;
        default:
            return LevelCompare;
        }
    case ExprKind::Unary:
        return expr.as<UnaryExpr>().op == UnaryOp::Not ? LevelNot : LevelUnary;
    case ExprKind::Between:
    case ExprKind::In:
    case ExprKind::IsNull:
    case ExprKind::Like:
        return LevelCompare;
    case ExprKind::Collate:
        return LevelCollate;
    default:
        return LevelPrimary;
    }
}

void SqlWriter::writeExprList(const ExprList &list)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (i)
            m_out += ", ";
        writeExpr(*list[i]);
    }
}

void SqlWriter::writeExpr(const Expr &expr, int parentPrecedence, bool rightOperand)
{
    const int own = precedence(expr);
    const bool parens = own < parentPrecedence ||
                        (own == parentPrecedence && (rightOperand || own == LevelCompare));
    if (parens)
        m_out += '(';

    switch (expr.kind) {
    case ExprKind::Literal:
        writeLiteral(expr.as<LiteralExpr>());
        break;
    case ExprKind::Column: {
        const auto &column = expr.as<ColumnExpr>();
        if (!column.table.empty()) {
            writeName(column.table);
            m_out += '.';
        }
        writeName(column.column);
        break;
    }
    case ExprKind::Star: {
        const auto &star = expr.as<StarExpr>();
        if (!star.table.empty()) {
            writeName(star.table);
            m_out += '.';
        }
        m_out += '*';
        break;
    }
    case ExprKind::Unary: {
        const auto &unary = expr.as<UnaryExpr>();
        if (unary.op == UnaryOp::Not) {
            m_out += "NOT ";
            writeExpr(*unary.operand, LevelNot);
        } else {
            m_out += unary.op == UnaryOp::Minus ? "-" : "+";
            // Never print "--", which would start a comment.
            if (unary.operand->kind == ExprKind::Unary &&
                unary.operand->as<UnaryExpr>().op != UnaryOp::Not)
                m_out += ' ';
            writeExpr(*unary.operand, LevelUnary);
        }
        break;
    }
    case ExprKind::Binary: {
        const auto &binary = expr.as<BinaryExpr>();
        writeExpr(*binary.left, own, false);
        m_out += ' ';
        m_out += binaryText(binary.op);
        m_out += ' ';
        writeExpr(*binary.right, own, true);
        break;
    }
    case ExprKind::Function:
        writeFunction(expr.as<FunctionExpr>());
        break;
    case ExprKind::Case: {
        const auto &c = expr.as<CaseExpr>();
        m_out += "CASE";
        if (c.operand) {
            m_out += ' ';
            writeExpr(*c.operand);
        }
        for (const CaseExpr::When &when : c.whens) {
            m_out += " WHEN ";
            writeExpr(*when.condition);
            m_out += " THEN ";
            writeExpr(*when.result);
        }
        if (c.elseResult) {
            m_out += " ELSE ";
            writeExpr(*c.elseResult);
        }
        m_out += " END";
        break;
    }
    case ExprKind::Cast: {
        const auto &cast = expr.as<CastExpr>();
        m_out += "CAST(";
        writeExpr(*cast.operand);
        m_out += " AS ";
        m_out += cast.target.toSql();
        m_out += ')';
        break;
    }
    case ExprKind::Between: {
        const auto &between = expr.as<BetweenExpr>();
        writeExpr(*between.operand, LevelCompare + 1);
        m_out += between.negated ? " NOT BETWEEN " : " BETWEEN ";
        writeExpr(*between.low, LevelCompare + 1);
        m_out += " AND ";
        writeExpr(*between.high, LevelCompare + 1);
        break;
    }
    case ExprKind::In: {
        const auto &in = expr.as<InExpr>();
        writeExpr(*in.operand, LevelCompare + 1);
        // PostgreSQL plans a semijoin on its row estimate of the subquery, often far too high;
        // an array of the keys, built once, is looked up in the index whatever the estimate.
        if (in.keyProbe && in.select && !in.negated && m_style == SqlStyle::Postgres) {
            m_out += " = ANY(ARRAY(";
            writeSelect(*in.select);
            m_out += "))";
            break;
        }
        m_out += in.negated ? " NOT IN (" : " IN (";
        if (in.select)
            writeSelect(*in.select);
        else
            writeExprList(in.list);
        m_out += ')';
        break;
    }
    case ExprKind::Exists:
        m_out += "EXISTS (";
        writeSelect(*expr.as<ExistsExpr>().select);
        m_out += ')';
        break;
    case ExprKind::Subquery:
        m_out += '(';
        writeSelect(*expr.as<SubqueryExpr>().select);
        m_out += ')';
        break;
    case ExprKind::IsNull: {
        const auto &isNull = expr.as<IsNullExpr>();
        writeExpr(*isNull.operand, LevelCompare + 1);
        m_out += isNull.negated ? " IS NOT NULL" : " IS NULL";
        break;
    }
    case ExprKind::Like: {
        const auto &like = expr.as<LikeExpr>();
        writeExpr(*like.operand, LevelCompare + 1);
        if (m_style == SqlStyle::Postgres)
            m_out += like.negated ? " NOT ILIKE " : " ILIKE ";
        else
            m_out += like.negated ? " NOT LIKE " : " LIKE ";
        writeExpr(*like.pattern, LevelCompare + 1);
        if (like.escape) {
            m_out += " ESCAPE ";
            writeExpr(*like.escape, LevelCompare + 1);
        }
        break;
    }
    case ExprKind::Collate: {
        const auto &collate = expr.as<CollateExpr>();
        writeExpr(*collate.operand, LevelCollate);
        m_out += " COLLATE ";
        writeName(collate.collation);
        break;
    }
    }
    if (parens)
        m_out += ')';
}

void SqlWriter::writeFunction(const FunctionExpr &function)
{
    m_out += function.name;
    m_out += '(';
    if (function.star) {
        m_out += '*';
    } else {
        if (function.distinct)
            m_out += "DISTINCT ";
        writeExprList(function.args);
    }
    m_out += ')';
    if (function.window) {
        m_out += " OVER (";
        if (!function.windowPartition.empty()) {
            m_out += "PARTITION BY ";
            writeExprList(function.windowPartition);
            if (!function.windowOrder.empty())
                m_out += ' ';
        }
        if (!function.windowOrder.empty())
            writeOrderBy(function.windowOrder, "ORDER BY ");
        m_out += ')';
    }
}

void SqlWriter::writeLiteral(const LiteralExpr &literal)
{
    switch (literal.literal) {
    case LiteralKind::Null:
        m_out += "NULL";
        break;
    case LiteralKind::Integer:
    case LiteralKind::Float:
        m_out += literal.text;
        break;
    case LiteralKind::String:
        // PostgreSQL types a date where the text stands for one.
        if (m_style == SqlStyle::Postgres && isTemporal(literal.type))
            m_out += literal.type == ValueType::Date && literal.text.size() == 10 ? "DATE "
                                                                                  : "TIMESTAMP ";
        writeString(literal.text);
        break;
    case LiteralKind::Date:
        if (m_style == SqlStyle::Sqlite) {
            writeString(literal.text);
        } else {
            m_out += '#';
            m_out += literal.text;
            m_out += '#';
        }
        break;
    case LiteralKind::Boolean:
        if (m_style == SqlStyle::Postgres)
            m_out += literal.text == "1" ? "TRUE" : "FALSE";
        else if (m_style == SqlStyle::Sqlite)
            m_out += literal.text;
        else
            m_out += literal.text == "1" ? "True" : "False";
        break;
    }
}

} // namespace sql
