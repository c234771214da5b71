// Syntax tree of the client's SQL: plain data with owning children. The parser builds it, the
// binder annotates it with names and types, the rewriters reshape it into SQLite's terms and the
// writer prints it back as text (in the source dialect or as SQLite).
#pragma once

#include "sql/translator.h"

#include <memory>
#include <string>
#include <vector>

namespace sql {

// Bounds on a syntax tree: generous for the client's longest report queries, low enough that
// every recursive pass over a tree within them needs a small part of a 1 MB thread stack and
// that no text can make a translation run out of time or memory. The parser refuses a text
// beyond them; a rewrite that grows a tree is held to the walker's bound.
struct TreeLimits
{
    // Levels from the statement down to its deepest node. Parentheses count as a level, and so
    // does each operator of a chain: in a + b + c the a is two levels below the top.
    static constexpr int MaxDepth = 256;
    // Queries within queries (subqueries, derived tables, parenthesised members of a UNION),
    // each of which costs the passes more stack than an expression level.
    static constexpr int MaxQueryDepth = 40;
    // Expressions, queries and table sources of one statement.
    static constexpr int MaxNodes = 100000;
    // Tokens of one statement: what the parser holds while it reads one.
    static constexpr int MaxTokens = 4 * MaxNodes;
    // Expression levels a pass walks, with select-list aliases written out where they are used.
    static constexpr int MaxWalkDepth = 2 * MaxDepth;
    // Columns of one query's result, stars written out: SQLite's own default bound, so nothing
    // that could run is refused, and a short text of stars cannot make millions of columns.
    static constexpr int MaxResultColumns = 2000;
};

struct SelectStmt;
struct SelectCore;

enum class ExprKind {
    Literal,
    Column,
    Star,
    Unary,
    Binary,
    Function,
    Case,
    Cast,
    Between,
    In,
    Exists,
    Subquery,
    IsNull,
    Like,
    Collate,
};

enum class LiteralKind { Null, Integer, Float, String, Date, Boolean };

enum class UnaryOp { Minus, Plus, Not };

enum class BinaryOp {
    Add,
    Subtract,
    Multiply,
    Divide,
    IntDivide, // Jet's backslash
    Modulo,
    Ampersand, // Jet's null-tolerant concatenation
    Concat,    // SQLite's ||
    Equal,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    And,
    Or,
};

bool isComparison(BinaryOp op);
// + - * / \\ Mod
bool isArithmetic(BinaryOp op);

struct Expr
{
    explicit Expr(ExprKind kind, int position = -1)
        : kind(kind)
        , position(position)
    {}
    virtual ~Expr() = default;
    Expr(const Expr &) = default;
    Expr &operator=(const Expr &) = delete;

    virtual std::unique_ptr<Expr> clone() const = 0;
    std::string toSql() const;

    template<class T>
    T &as()
    {
        return static_cast<T &>(*this);
    }
    template<class T>
    const T &as() const
    {
        return static_cast<const T &>(*this);
    }

    const ExprKind kind;
    int position; // byte offset in the source text, -1 for nodes made by a rewrite
    // Filled by the binder.
    ValueType type = ValueType::Unknown;
    bool storesReal = false; // the value is certainly stored as REAL (no integer division)
};
using ExprPtr = std::unique_ptr<Expr>;
using ExprList = std::vector<ExprPtr>;

ExprList cloneList(const ExprList &list);

struct LiteralExpr : Expr
{
    LiteralExpr(LiteralKind literal, std::string text, int position = -1)
        : Expr(ExprKind::Literal, position)
        , literal(literal)
        , text(std::move(text))
    {}
    ExprPtr clone() const override { return std::make_unique<LiteralExpr>(*this); }

    LiteralKind literal;
    // Numbers as written; strings unescaped; dates in canonical form; booleans "1" or "0".
    std::string text;
};

// A column reference, qualified or not. The binder records what it names.
struct ColumnExpr : Expr
{
    ColumnExpr(std::string table, std::string column, int position = -1)
        : Expr(ExprKind::Column, position)
        , table(std::move(table))
        , column(std::move(column))
    {}
    ExprPtr clone() const override { return std::make_unique<ColumnExpr>(*this); }

    std::string table;
    std::string column;
    // Binding.
    bool notNull = false;
    std::string baseTable; // base table and column behind the reference, when there is one
    std::string baseColumn;
    bool primaryKey = false;
    int size = 0;
    int aliasIndex = -1; // names a result column of the same select, to be inlined
    const SelectCore *aliasCore = nullptr; // that select
    bool outputName = false;               // an ORDER BY term naming a result column
};

// `*` or `t.*` in a select list; count(*) is a FunctionExpr with `star` set.
struct StarExpr : Expr
{
    explicit StarExpr(std::string table, int position = -1)
        : Expr(ExprKind::Star, position)
        , table(std::move(table))
    {}
    ExprPtr clone() const override { return std::make_unique<StarExpr>(*this); }

    struct Column
    {
        std::string qualifier; // the source the column comes from, as written in the query
        std::string column;
    };
    std::string table;
    std::vector<Column> expansion; // filled by the binder
};

struct UnaryExpr : Expr
{
    UnaryExpr(UnaryOp op, ExprPtr operand, int position = -1)
        : Expr(ExprKind::Unary, position)
        , op(op)
        , operand(std::move(operand))
    {}
    UnaryExpr(const UnaryExpr &other)
        : Expr(other)
        , op(other.op)
        , operand(other.operand->clone())
    {}
    ExprPtr clone() const override { return std::make_unique<UnaryExpr>(*this); }

    UnaryOp op;
    ExprPtr operand;
};

struct BinaryExpr : Expr
{
    BinaryExpr(BinaryOp op, ExprPtr left, ExprPtr right, int position = -1)
        : Expr(ExprKind::Binary, position)
        , op(op)
        , left(std::move(left))
        , right(std::move(right))
    {}
    BinaryExpr(const BinaryExpr &other)
        : Expr(other)
        , op(other.op)
        , left(other.left->clone())
        , right(other.right->clone())
    {}
    ExprPtr clone() const override { return std::make_unique<BinaryExpr>(*this); }

    BinaryOp op;
    ExprPtr left;
    ExprPtr right;
};

struct OrderItem
{
    OrderItem() = default;
    OrderItem(ExprPtr expr, bool descending)
        : expr(std::move(expr))
        , descending(descending)
    {}
    OrderItem(const OrderItem &other)
        : expr(other.expr ? other.expr->clone() : nullptr)
        , descending(other.descending)
    {}
    OrderItem(OrderItem &&) = default;
    OrderItem &operator=(OrderItem &&) = default;

    ExprPtr expr;
    bool descending = false;
};

struct FunctionExpr : Expr
{
    FunctionExpr(std::string name, ExprList args, int position = -1)
        : Expr(ExprKind::Function, position)
        , name(std::move(name))
        , args(std::move(args))
    {}
    FunctionExpr(const FunctionExpr &other)
        : Expr(other)
        , name(other.name)
        , args(cloneList(other.args))
        , distinct(other.distinct)
        , star(other.star)
        , window(other.window)
        , windowPartition(cloneList(other.windowPartition))
        , windowOrder(other.windowOrder)
        , lowered(other.lowered)
    {}
    ExprPtr clone() const override { return std::make_unique<FunctionExpr>(*this); }

    std::string name; // as written
    ExprList args;
    bool distinct = false;
    bool star = false;   // count(*)
    bool window = false; // OVER (PARTITION BY ... ORDER BY ...), made by rewrites only
    ExprList windowPartition;
    std::vector<OrderItem> windowOrder;
    bool lowered = false; // already an SQLite function: rewrites leave it alone
};

struct CaseExpr : Expr
{
    struct When
    {
        ExprPtr condition;
        ExprPtr result;
    };
    explicit CaseExpr(int position = -1)
        : Expr(ExprKind::Case, position)
    {}
    CaseExpr(const CaseExpr &other);
    ExprPtr clone() const override { return std::make_unique<CaseExpr>(*this); }

    ExprPtr operand; // CASE x WHEN ..., or null
    std::vector<When> whens;
    ExprPtr elseResult;
};

// A declared type as written: `varchar(20)`, `double precision`, `decimal(18,2)`.
struct TypeName
{
    std::string name; // words joined by one blank
    std::vector<int> args;
    std::string toSql() const;
};

struct CastExpr : Expr
{
    CastExpr(ExprPtr operand, TypeName target, int position = -1)
        : Expr(ExprKind::Cast, position)
        , operand(std::move(operand))
        , target(std::move(target))
    {}
    CastExpr(const CastExpr &other)
        : Expr(other)
        , operand(other.operand->clone())
        , target(other.target)
    {}
    ExprPtr clone() const override { return std::make_unique<CastExpr>(*this); }

    ExprPtr operand;
    TypeName target;
};

struct BetweenExpr : Expr
{
    BetweenExpr(ExprPtr operand, ExprPtr low, ExprPtr high, bool negated, int position = -1)
        : Expr(ExprKind::Between, position)
        , operand(std::move(operand))
        , low(std::move(low))
        , high(std::move(high))
        , negated(negated)
    {}
    BetweenExpr(const BetweenExpr &other)
        : Expr(other)
        , operand(other.operand->clone())
        , low(other.low->clone())
        , high(other.high->clone())
        , negated(other.negated)
    {}
    ExprPtr clone() const override { return std::make_unique<BetweenExpr>(*this); }

    ExprPtr operand;
    ExprPtr low;
    ExprPtr high;
    bool negated;
};

struct InExpr : Expr
{
    InExpr(ExprPtr operand, bool negated, int position = -1)
        : Expr(ExprKind::In, position)
        , operand(std::move(operand))
        , negated(negated)
    {}
    InExpr(const InExpr &other);
    ExprPtr clone() const override { return std::make_unique<InExpr>(*this); }

    ExprPtr operand;
    ExprList list;                      // IN (a, b, ...)
    std::unique_ptr<SelectStmt> select; // IN (SELECT ...)
    bool negated;
    // Made by a rewrite: an uncorrelated list of keys, meant to be looked up in an index.
    bool keyProbe = false;
};

struct ExistsExpr : Expr
{
    ExistsExpr(std::unique_ptr<SelectStmt> select, int position = -1);
    ExistsExpr(const ExistsExpr &other);
    ~ExistsExpr() override;
    ExprPtr clone() const override { return std::make_unique<ExistsExpr>(*this); }

    std::unique_ptr<SelectStmt> select;
};

struct SubqueryExpr : Expr
{
    SubqueryExpr(std::unique_ptr<SelectStmt> select, int position = -1);
    SubqueryExpr(const SubqueryExpr &other);
    ~SubqueryExpr() override;
    ExprPtr clone() const override { return std::make_unique<SubqueryExpr>(*this); }

    std::unique_ptr<SelectStmt> select;
};

struct IsNullExpr : Expr
{
    IsNullExpr(ExprPtr operand, bool negated, int position = -1)
        : Expr(ExprKind::IsNull, position)
        , operand(std::move(operand))
        , negated(negated)
    {}
    IsNullExpr(const IsNullExpr &other)
        : Expr(other)
        , operand(other.operand->clone())
        , negated(other.negated)
    {}
    ExprPtr clone() const override { return std::make_unique<IsNullExpr>(*this); }

    ExprPtr operand;
    bool negated;
};

struct LikeExpr : Expr
{
    LikeExpr(ExprPtr operand, ExprPtr pattern, ExprPtr escape, bool negated, int position = -1)
        : Expr(ExprKind::Like, position)
        , operand(std::move(operand))
        , pattern(std::move(pattern))
        , escape(std::move(escape))
        , negated(negated)
    {}
    LikeExpr(const LikeExpr &other)
        : Expr(other)
        , operand(other.operand->clone())
        , pattern(other.pattern->clone())
        , escape(other.escape ? other.escape->clone() : nullptr)
        , negated(other.negated)
    {}
    ExprPtr clone() const override { return std::make_unique<LikeExpr>(*this); }

    ExprPtr operand;
    ExprPtr pattern;
    ExprPtr escape;
    bool negated;
};

struct CollateExpr : Expr
{
    CollateExpr(ExprPtr operand, std::string collation, int position = -1)
        : Expr(ExprKind::Collate, position)
        , operand(std::move(operand))
        , collation(std::move(collation))
    {}
    CollateExpr(const CollateExpr &other)
        : Expr(other)
        , operand(other.operand->clone())
        , collation(other.collation)
    {}
    ExprPtr clone() const override { return std::make_unique<CollateExpr>(*this); }

    ExprPtr operand;
    std::string collation;
};

// ---- Table sources -------------------------------------------------------------------------

enum class SourceKind { Table, Subquery, Join };
enum class JoinType { Inner, Left, Right, Full, Cross };

struct TableSource
{
    TableSource(SourceKind kind, int position)
        : kind(kind)
        , position(position)
    {}
    virtual ~TableSource() = default;
    virtual std::unique_ptr<TableSource> clone() const = 0;

    template<class T>
    T &as()
    {
        return static_cast<T &>(*this);
    }
    template<class T>
    const T &as() const
    {
        return static_cast<const T &>(*this);
    }

    const SourceKind kind;
    int position;
    std::string alias;
};
using SourcePtr = std::unique_ptr<TableSource>;

struct TableRef : TableSource
{
    TableRef(std::string name, int position = -1)
        : TableSource(SourceKind::Table, position)
        , name(std::move(name))
    {}
    SourcePtr clone() const override { return std::make_unique<TableRef>(*this); }

    std::string name;
};

struct SubqueryRef : TableSource
{
    SubqueryRef(std::unique_ptr<SelectStmt> select, int position = -1);
    SubqueryRef(const SubqueryRef &other);
    ~SubqueryRef() override;
    SourcePtr clone() const override { return std::make_unique<SubqueryRef>(*this); }

    std::unique_ptr<SelectStmt> select;
};

struct JoinRef : TableSource
{
    JoinRef(JoinType type, SourcePtr left, SourcePtr right, ExprPtr on, int position = -1)
        : TableSource(SourceKind::Join, position)
        , type(type)
        , left(std::move(left))
        , right(std::move(right))
        , on(std::move(on))
    {}
    JoinRef(const JoinRef &other)
        : TableSource(other)
        , type(other.type)
        , left(other.left->clone())
        , right(other.right->clone())
        , on(other.on ? other.on->clone() : nullptr)
    {}
    SourcePtr clone() const override { return std::make_unique<JoinRef>(*this); }

    JoinType type;
    SourcePtr left;
    SourcePtr right;
    ExprPtr on;
};

// ---- Queries -------------------------------------------------------------------------------

struct ResultColumn
{
    ResultColumn() = default;
    ResultColumn(ExprPtr expr, std::string alias)
        : expr(std::move(expr))
        , alias(std::move(alias))
    {}
    ResultColumn(const ResultColumn &other)
        : expr(other.expr->clone())
        , alias(other.alias)
        , referenced(other.referenced)
    {}
    ResultColumn(ResultColumn &&) = default;
    ResultColumn &operator=(ResultColumn &&) = default;

    ExprPtr expr;
    std::string alias;       // as written, empty when none
    bool referenced = false; // the alias is used elsewhere in the same select (binder)
};

// One SELECT ... FROM ... WHERE ... GROUP BY ... HAVING: a member of a compound query.
struct SelectCore
{
    SelectCore() = default;
    SelectCore(const SelectCore &other);

    int position = -1;
    bool distinct = false;
    long long top = -1; // TOP n, -1 when absent
    bool topPercent = false;
    std::vector<ResultColumn> columns;
    std::vector<SourcePtr> from;
    ExprPtr where;
    ExprList groupBy;
    ExprPtr having;
    // Filled by the binder: the result columns (after `*` expansion, names unique).
    std::vector<ColumnInfo> result;
};

enum class SetOp { Union, UnionAll };

// A query: one or more members joined by UNION [ALL], with the ORDER BY of the whole.
struct SelectStmt
{
    SelectStmt() = default;
    SelectStmt(const SelectStmt &other);

    std::vector<std::unique_ptr<SelectCore>> members;
    std::vector<SetOp> ops; // ops[i] joins members[i] and members[i + 1]
    std::vector<OrderItem> orderBy;
    long long limit = -1; // only made by rewrites

    std::vector<ColumnInfo> result; // the binder's typed result columns of the whole
    std::string toSql() const;
};

// ---- Statements ----------------------------------------------------------------------------

struct StatementNode
{
    StatementNode(StatementKind kind, int position)
        : kind(kind)
        , position(position)
    {}
    virtual ~StatementNode() = default;
    std::string toSql() const;

    template<class T>
    T &as()
    {
        return static_cast<T &>(*this);
    }
    template<class T>
    const T &as() const
    {
        return static_cast<const T &>(*this);
    }

    const StatementKind kind;
    int position;
};
using StatementPtr = std::unique_ptr<StatementNode>;

struct SelectStatement : StatementNode
{
    explicit SelectStatement(std::unique_ptr<SelectStmt> select, int position = 0)
        : StatementNode(StatementKind::Select, position)
        , select(std::move(select))
    {}
    std::unique_ptr<SelectStmt> select;
};

struct InsertStatement : StatementNode
{
    explicit InsertStatement(int position)
        : StatementNode(StatementKind::Insert, position)
    {}
    std::string table;
    std::vector<std::string> columns; // empty: every column in table order
    std::vector<ExprList> rows;       // VALUES (...), (...)
    std::unique_ptr<SelectStmt> select;
};

struct Assignment
{
    std::string column;
    int position = -1;
    ExprPtr value;
};

struct UpdateStatement : StatementNode
{
    explicit UpdateStatement(int position)
        : StatementNode(StatementKind::Update, position)
    {}
    std::string table;
    std::string alias;
    std::vector<Assignment> assignments;
    ExprPtr where;
};

struct DeleteStatement : StatementNode
{
    explicit DeleteStatement(int position)
        : StatementNode(StatementKind::Delete, position)
    {}
    std::string table;
    std::string alias;
    ExprPtr where;
};

struct ColumnDef
{
    std::string name;
    TypeName type;
    bool notNull = false;
    bool primaryKey = false;
    bool unique = false;
    ExprPtr defaultValue;
    std::string collation; // set by the rewrites for text columns
    std::string declared;  // the type as the statement wrote it, when the engine's differs
};

struct CreateTableStatement : StatementNode
{
    explicit CreateTableStatement(int position)
        : StatementNode(StatementKind::CreateTable, position)
    {}
    std::string table;
    bool ifNotExists = false;
    std::vector<ColumnDef> columns;
    std::vector<std::string> primaryKey; // table constraint PRIMARY KEY (a, b)
};

struct DropTableStatement : StatementNode
{
    explicit DropTableStatement(int position)
        : StatementNode(StatementKind::DropTable, position)
    {}
    std::string table;
    bool ifExists = false;
};

} // namespace sql
