// StatementNode and query grammar. Expressions are in parser_expr.cpp.
#include "sql/parser.h"

#include <algorithm>
#include <unordered_set>

namespace sql {

namespace {

constexpr std::string_view ReservedWords[] = {
    "all",    "and",    "as",     "asc",       "between",     "by",   "case",  "collate",
    "create", "cross",  "delete", "desc",      "distinct",    "drop", "else",  "end",
    "escape", "except", "exists", "false",     "from",        "full", "group", "having",
    "in",     "inner",  "insert", "intersect", "into",        "is",   "join",  "left",
    "like",   "limit",  "mod",    "not",       "null",        "on",   "or",    "order",
    "outer",  "right",  "select", "set",       "then",        "top",  "true",  "union",
    "update", "values", "when",   "where",     "distinctrow",
};

} // namespace

bool isReservedWord(std::string_view word)
{
    static const std::unordered_set<std::string_view, NameHash, NameEqual> words(
        std::begin(ReservedWords), std::end(ReservedWords));
    return words.count(word) != 0;
}

Parser::Parser(std::string_view text, Dialect dialect)
    : m_text(text)
    , m_dialect(dialect)
    , m_tokens(text, dialect)
{}

void Parser::tooManyTokens() const
{
    tooComplex("more than " + std::to_string(TreeLimits::MaxTokens) + " tokens",
               m_tokens.at(m_statement + TreeLimits::MaxTokens - 1).offset);
}

const Token &Parser::next()
{
    const Token &current = token(m_pos);
    if (!current.is(TokenKind::End))
        ++m_pos;
    return current;
}

bool Parser::acceptKeyword(std::string_view keyword)
{
    if (peek().isKeyword(keyword)) {
        next();
        return true;
    }
    return false;
}

bool Parser::acceptOperator(std::string_view op)
{
    if (peek().isOperator(op)) {
        next();
        return true;
    }
    return false;
}

void Parser::expectKeyword(std::string_view keyword)
{
    if (!acceptKeyword(keyword))
        fail(std::string(keyword));
}

void Parser::expectOperator(std::string_view op)
{
    if (!acceptOperator(op))
        fail("\"" + std::string(op) + "\"");
}

void Parser::fail(const std::string &expected) const
{
    throwSyntaxError(m_text, peek(), expected);
}

void Parser::tooDeep() const
{
    tooComplex("nested deeper than " + std::to_string(TreeLimits::MaxDepth) + " levels",
               peek().offset);
}

void Parser::tooComplex(const std::string &what, int offset) const
{
    const int position = characterPosition(m_text, offset);
    throw TranslateError(
        "statement too complex: " + what + " at position " + std::to_string(position), position);
}

bool Parser::atStatementEnd() const
{
    return peek().is(TokenKind::End) || peek().isOperator(";");
}

bool Parser::startsStatement(const Token &token) const
{
    for (std::string_view word : {"select", "insert", "update", "delete", "create", "drop"}) {
        if (token.isKeyword(word))
            return true;
    }
    return false;
}

StatementPtr Parser::parseStatement()
{
    StatementPtr statement = parseStatementBody();
    acceptOperator(";");
    if (!peek().is(TokenKind::End))
        fail("the end of the statement");
    return statement;
}

std::vector<std::string_view> Parser::splitScript()
{
    std::vector<std::string_view> statements;
    for (;;) {
        while (acceptOperator(";")) {
        }
        if (peek().is(TokenKind::End))
            break;
        // The bounds hold for each statement of a script, and only its tokens are kept.
        m_tokens.dropBefore(m_pos);
        m_statement = m_pos;
        m_nodes = 0;
        const size_t begin = size_t(peek().offset);
        parseStatementBody();
        const Token &last = token(m_pos - 1);
        const size_t end = size_t(last.offset) + last.text.size();
        statements.push_back(m_text.substr(begin, end - begin));
        if (!atStatementEnd() && !startsStatement(peek()))
            fail("\";\" or the end of the statement");
    }
    return statements;
}

StatementPtr Parser::parseStatementBody()
{
    const Token &token = peek();
    if (token.isKeyword("select") || token.isOperator("(")) {
        auto select = parseSelect();
        return make<SelectStatement>(std::move(select), token.offset);
    }
    if (token.isKeyword("insert"))
        return parseInsert();
    if (token.isKeyword("update"))
        return parseUpdate();
    if (token.isKeyword("delete"))
        return parseDelete();
    if (token.isKeyword("create"))
        return parseCreate();
    if (token.isKeyword("drop"))
        return parseDrop();
    fail("SELECT, INSERT, UPDATE, DELETE, CREATE TABLE or DROP TABLE");
}

// ---- Queries -------------------------------------------------------------------------------

std::unique_ptr<SelectStmt> Parser::parseSelect()
{
    // A query costs the passes more stack than an expression level does.
    if (++m_queryDepth > TreeLimits::MaxQueryDepth)
        tooComplex("queries nested deeper than " + std::to_string(TreeLimits::MaxQueryDepth) +
                       " levels",
                   peek().offset);
    Level level(*this);
    auto select = make<SelectStmt>();
    select->members.push_back(parseMember());
    while (acceptKeyword("union")) {
        select->ops.push_back(acceptKeyword("all") ? SetOp::UnionAll : SetOp::Union);
        select->members.push_back(parseMember());
    }
    if (peek().isKeyword("order"))
        select->orderBy = parseOrderBy();
    --m_queryDepth;
    return select;
}

// A member of a compound query. A parenthesised member that is itself a compound or carries its
// own ORDER BY becomes SELECT * FROM (...), the only form SQLite accepts for it.
std::unique_ptr<SelectCore> Parser::parseMember()
{
    if (!peek().isOperator("("))
        return parseCore();
    const int position = peek().offset;
    next();
    auto inner = nested([&] { return parseSelect(); });
    expectOperator(")");
    if (inner->members.size() == 1 && inner->orderBy.empty())
        return std::move(inner->members.front());
    auto core = make<SelectCore>();
    core->position = position;
    core->columns.emplace_back(make<StarExpr>(std::string(), position), std::string());
    core->from.push_back(make<SubqueryRef>(std::move(inner), position));
    return core;
}

std::unique_ptr<SelectCore> Parser::parseCore()
{
    auto core = make<SelectCore>();
    core->position = peek().offset;
    expectKeyword("select");
    for (int round = 0; round < 2; ++round) {
        if (acceptKeyword("distinct") || acceptKeyword("distinctrow")) {
            core->distinct = true;
        } else if (acceptKeyword("all")) {
        } else if (core->top < 0 && acceptKeyword("top")) {
            const bool parenthesised = acceptOperator("(");
            const Token &count = peek();
            if (!count.is(TokenKind::Number) ||
                count.text.find_first_not_of("0123456789") != std::string_view::npos ||
                count.text.size() > 15)
                fail("a whole number after TOP");
            core->top = std::stoll(std::string(count.text));
            next();
            if (parenthesised)
                expectOperator(")");
            core->topPercent = acceptKeyword("percent");
        }
    }
    do {
        parseResultColumn(*core);
    } while (acceptOperator(","));

    if (acceptKeyword("from")) {
        do {
            core->from.push_back(parseSource());
        } while (acceptOperator(","));
    }
    if (acceptKeyword("where")) {
        Chain chain(*this);
        core->where = chain.first([&] { return parseExpr(); });
        // A list whose query already ends in "where 1=1" gets its date range appended as
        // "where Z.RQ between ...": a second WHERE can only mean one more condition.
        while (peek().isKeyword("where")) {
            const int position = next().offset;
            ExprPtr more = chain.operand([&] { return parseExpr(); });
            chain.grow();
            core->where =
                make<BinaryExpr>(BinaryOp::And, std::move(core->where), std::move(more), position);
        }
    }
    if (peek().isKeyword("group")) {
        next();
        expectKeyword("by");
        core->groupBy = parseExprList();
    }
    if (acceptKeyword("having"))
        core->having = parseExpr();
    return core;
}

void Parser::parseResultColumn(SelectCore &core)
{
    const Token &token = peek();
    if (token.isOperator("*")) {
        next();
        core.columns.emplace_back(make<StarExpr>(std::string(), token.offset), std::string());
        return;
    }
    if ((token.is(TokenKind::Identifier) || token.is(TokenKind::QuotedIdentifier)) &&
        peek(1).isOperator(".") && peek(2).isOperator("*")) {
        next();
        next();
        next();
        core.columns.emplace_back(make<StarExpr>(token.name(), token.offset), std::string());
        return;
    }
    ExprPtr expr = parseExpr();
    std::string alias;
    if (acceptKeyword("as"))
        alias = parseColumnAlias(true);
    else if ((peek().is(TokenKind::Identifier) && !isReservedWord(peek().text)) ||
             peek().is(TokenKind::QuotedIdentifier))
        alias = parseColumnAlias(false);
    core.columns.emplace_back(std::move(expr), std::move(alias));
}

// After AS the client may put any caption, including user data such as a warehouse named
// "1号仓库" or "二 号库". A single name is taken as it is; anything else up to the next comma,
// FROM or closing parenthesis is taken verbatim as the caption.
std::string Parser::parseColumnAlias(bool afterAs)
{
    const Token &first = peek();
    auto endsAlias = [](const Token &t) {
        if (t.is(TokenKind::End) || t.isOperator(",") || t.isOperator(")") || t.isOperator(";"))
            return true;
        for (std::string_view word :
             {"from", "where", "group", "order", "having", "union", "into"}) {
            if (t.isKeyword(word))
                return true;
        }
        return false;
    };
    if (first.is(TokenKind::Identifier) || first.is(TokenKind::QuotedIdentifier) ||
        (afterAs && first.is(TokenKind::String))) {
        if (!afterAs || endsAlias(peek(1)) || first.is(TokenKind::QuotedIdentifier) ||
            first.is(TokenKind::String)) {
            next();
            return first.kind == TokenKind::Identifier ? std::string(first.text) : first.value;
        }
    }
    if (!afterAs || endsAlias(first))
        fail("a column alias");
    const size_t begin = size_t(first.offset);
    size_t end = begin;
    int depth = 0;
    while (!peek().is(TokenKind::End)) {
        const Token &t = peek();
        if (depth == 0 && endsAlias(t))
            break;
        if (t.isOperator("("))
            ++depth;
        else if (t.isOperator(")"))
            --depth;
        end = size_t(t.offset) + t.text.size();
        next();
    }
    return std::string(m_text.substr(begin, end - begin));
}

std::vector<OrderItem> Parser::parseOrderBy()
{
    expectKeyword("order");
    expectKeyword("by");
    std::vector<OrderItem> items;
    do {
        ExprPtr expr = parseExpr();
        bool descending = false;
        if (acceptKeyword("desc"))
            descending = true;
        else
            acceptKeyword("asc");
        items.emplace_back(std::move(expr), descending);
    } while (acceptOperator(","));
    return items;
}

// ---- FROM ----------------------------------------------------------------------------------

SourcePtr Parser::parseSource()
{
    Chain chain(*this);
    SourcePtr source = chain.first([&] { return parsePrimarySource(); });
    JoinType type;
    while (parseJoinType(type)) {
        const int position = peek().offset;
        SourcePtr right = chain.operand([&] { return parsePrimarySource(); });
        ExprPtr on;
        if (type != JoinType::Cross) {
            expectKeyword("on");
            on = chain.operand([&] { return parseExpr(); });
        }
        chain.grow();
        source = make<JoinRef>(type, std::move(source), std::move(right), std::move(on), position);
    }
    return source;
}

bool Parser::parseJoinType(JoinType &type)
{
    if (acceptKeyword("join")) {
        type = JoinType::Inner;
        return true;
    }
    const Token &token = peek();
    if (token.isKeyword("inner"))
        type = JoinType::Inner;
    else if (token.isKeyword("left"))
        type = JoinType::Left;
    else if (token.isKeyword("right"))
        type = JoinType::Right;
    else if (token.isKeyword("full"))
        type = JoinType::Full;
    else if (token.isKeyword("cross"))
        type = JoinType::Cross;
    else
        return false;
    next();
    if (type == JoinType::Left || type == JoinType::Right || type == JoinType::Full)
        acceptKeyword("outer");
    expectKeyword("join");
    return true;
}

SourcePtr Parser::parsePrimarySource()
{
    const Token &token = peek();
    if (token.isOperator("(")) {
        next();
        SourcePtr source = nested([&]() -> SourcePtr {
            if (peek().isKeyword("select") || groupHoldsQuery())
                return make<SubqueryRef>(parseSelect(), token.offset);
            return parseSource();
        });
        expectOperator(")");
        if (source->kind == SourceKind::Subquery) {
            source->alias = parseSourceAlias();
        } else if (source->kind == SourceKind::Table && source->alias.empty()) {
            source->alias = parseSourceAlias();
        }
        return source;
    }
    if (!token.is(TokenKind::Identifier) && !token.is(TokenKind::QuotedIdentifier))
        fail("a table name");
    if (token.is(TokenKind::Identifier) && isReservedWord(token.text))
        fail("a table name");
    next();
    auto table = make<TableRef>(token.name(), token.offset);
    // An owner prefix (dbo.Table) names the same table.
    if (peek().isOperator(".") &&
        (peek(1).is(TokenKind::Identifier) || peek(1).is(TokenKind::QuotedIdentifier))) {
        next();
        table->name = next().name();
    }
    table->alias = parseSourceAlias();
    return table;
}

// Inside "(", facing another "(": is this a parenthesised query such as
// ((select ...) union (select ...)), or a nested join such as ((select ...) a left join b on ...)?
// Decided by looking at what follows the inner group, without parsing it twice.
bool Parser::groupHoldsQuery() const
{
    if (!peek().isOperator("("))
        return false;
    int depth = 0;
    size_t i = m_pos;
    for (;; ++i) {
        const Token &t = token(i);
        if (t.is(TokenKind::End))
            return false;
        if (t.isOperator("("))
            ++depth;
        else if (t.isOperator(")") && --depth == 0)
            break;
    }
    const Token &after = token(i + 1);
    if (after.isKeyword("union") || after.isKeyword("order"))
        return true;
    if (!after.isOperator(")"))
        return false;
    size_t first = m_pos;
    while (token(first).isOperator("("))
        ++first;
    return token(first).isKeyword("select");
}

std::string Parser::parseSourceAlias()
{
    if (acceptKeyword("as")) {
        const Token &token = peek();
        if (!token.is(TokenKind::Identifier) && !token.is(TokenKind::QuotedIdentifier))
            fail("an alias");
        next();
        return token.name();
    }
    const Token &token = peek();
    if ((token.is(TokenKind::Identifier) && !isReservedWord(token.text)) ||
        token.is(TokenKind::QuotedIdentifier)) {
        next();
        return token.name();
    }
    return {};
}

// ---- Other statements ----------------------------------------------------------------------

std::string Parser::parseName(const char *what)
{
    const Token &token = peek();
    if (!token.is(TokenKind::Identifier) && !token.is(TokenKind::QuotedIdentifier))
        fail(what);
    next();
    std::string name = token.name();
    if (peek().isOperator(".") &&
        (peek(1).is(TokenKind::Identifier) || peek(1).is(TokenKind::QuotedIdentifier))) {
        next();
        name = next().name();
    }
    return name;
}

StatementPtr Parser::parseInsert()
{
    auto insert = make<InsertStatement>(peek().offset);
    expectKeyword("insert");
    acceptKeyword("into");
    insert->table = parseName("a table name");
    if (peek().isOperator("(") && !peek(1).isKeyword("select")) {
        next();
        do {
            const Token &column = peek();
            if (!column.is(TokenKind::Identifier) && !column.is(TokenKind::QuotedIdentifier))
                fail("a column name");
            next();
            insert->columns.push_back(column.name());
        } while (acceptOperator(","));
        expectOperator(")");
    }
    if (acceptKeyword("values")) {
        do {
            expectOperator("(");
            insert->rows.push_back(parseExprList());
            expectOperator(")");
        } while (acceptOperator(","));
    } else if (peek().isKeyword("select") || peek().isOperator("(")) {
        insert->select = parseSelect();
    } else {
        fail("VALUES or SELECT");
    }
    return insert;
}

StatementPtr Parser::parseUpdate()
{
    auto update = make<UpdateStatement>(peek().offset);
    expectKeyword("update");
    update->table = parseName("a table name");
    if (!peek().isKeyword("set"))
        update->alias = parseSourceAlias();
    expectKeyword("set");
    do {
        Assignment assignment;
        assignment.position = peek().offset;
        assignment.column = parseName("a column name");
        expectOperator("=");
        assignment.value = parseExpr();
        update->assignments.push_back(std::move(assignment));
    } while (acceptOperator(","));
    if (acceptKeyword("where"))
        update->where = parseExpr();
    return update;
}

StatementPtr Parser::parseDelete()
{
    auto del = make<DeleteStatement>(peek().offset);
    expectKeyword("delete");
    // Jet: DELETE * FROM T, DELETE T.* FROM T; T-SQL: DELETE T, DELETE FROM T.
    if (acceptOperator("*")) {
        expectKeyword("from");
    } else if (!acceptKeyword("from")) {
        if ((peek().is(TokenKind::Identifier) || peek().is(TokenKind::QuotedIdentifier)) &&
            peek(1).isOperator(".") && peek(2).isOperator("*")) {
            next();
            next();
            next();
            expectKeyword("from");
        }
    }
    del->table = parseName("a table name");
    if (!peek().isKeyword("where"))
        del->alias = parseSourceAlias();
    if (acceptKeyword("where"))
        del->where = parseExpr();
    return del;
}

StatementPtr Parser::parseCreate()
{
    auto create = make<CreateTableStatement>(peek().offset);
    expectKeyword("create");
    expectKeyword("table");
    if (peek().isKeyword("if")) {
        next();
        expectKeyword("not");
        expectKeyword("exists");
        create->ifNotExists = true;
    }
    create->table = parseName("a table name");
    expectOperator("(");
    do {
        if (peek().isKeyword("constraint") || peek().isKeyword("primary") ||
            peek().isKeyword("unique")) {
            if (acceptKeyword("constraint"))
                parseName("a constraint name");
            const bool primary = acceptKeyword("primary");
            if (primary)
                expectKeyword("key");
            else
                expectKeyword("unique");
            expectOperator("(");
            std::vector<std::string> columns;
            do {
                columns.push_back(parseName("a column name"));
                if (!acceptKeyword("asc"))
                    acceptKeyword("desc");
            } while (acceptOperator(","));
            expectOperator(")");
            if (primary)
                create->primaryKey = std::move(columns);
            continue;
        }
        ColumnDef column;
        column.name = parseName("a column name");
        column.type = parseTypeName(true);
        for (;;) {
            if (acceptKeyword("constraint")) {
                parseName("a constraint name");
                continue;
            }
            if (acceptKeyword("not")) {
                expectKeyword("null");
                column.notNull = true;
            } else if (acceptKeyword("null")) {
            } else if (acceptKeyword("primary")) {
                expectKeyword("key");
                column.primaryKey = true;
                if (!acceptKeyword("asc"))
                    acceptKeyword("desc");
                acceptKeyword("autoincrement");
            } else if (acceptKeyword("unique")) {
                column.unique = true;
            } else if (acceptKeyword("collate")) {
                // Lowering gives text columns the engine's own collation.
                column.collation = parseName("a collation name");
            } else if (acceptKeyword("default")) {
                if (peek().isOperator("(")) {
                    next();
                    column.defaultValue = parseExpr();
                    expectOperator(")");
                } else {
                    column.defaultValue = parseUnary();
                }
            } else if (acceptKeyword("identity") || acceptKeyword("autoincrement")) {
                if (acceptOperator("(")) {
                    parseExprList();
                    expectOperator(")");
                }
            } else {
                break;
            }
        }
        create->columns.push_back(std::move(column));
    } while (acceptOperator(","));
    expectOperator(")");
    if (create->columns.empty())
        fail("a column definition");
    return create;
}

StatementPtr Parser::parseDrop()
{
    auto drop = make<DropTableStatement>(peek().offset);
    expectKeyword("drop");
    expectKeyword("table");
    if (peek().isKeyword("if")) {
        next();
        expectKeyword("exists");
        drop->ifExists = true;
    }
    drop->table = parseName("a table name");
    return drop;
}

TypeName Parser::parseTypeName(bool inColumnDefinition)
{
    TypeName type;
    auto isConstraintWord = [](const Token &t) {
        for (std::string_view w : {"not", "null", "primary", "default", "unique", "constraint",
                                   "references", "check", "collate", "identity", "autoincrement"}) {
            if (t.isKeyword(w))
                return true;
        }
        return false;
    };
    while (peek().is(TokenKind::Identifier)) {
        if (inColumnDefinition && isConstraintWord(peek()))
            break;
        if (!type.name.empty())
            type.name += ' ';
        type.name += toLower(next().name());
    }
    if (type.name.empty()) {
        if (!inColumnDefinition)
            fail("a type name");
        return type;
    }
    if (acceptOperator("(")) {
        do {
            const Token &token = peek();
            if (token.isKeyword("max")) {
                next();
                type.args.push_back(0);
                continue;
            }
            if (!token.is(TokenKind::Number) ||
                token.text.find_first_not_of("0123456789") != std::string_view::npos ||
                token.text.size() > 9)
                fail("a size");
            type.args.push_back(std::stoi(std::string(token.text)));
            next();
        } while (acceptOperator(","));
        expectOperator(")");
    }
    return type;
}

StatementPtr parseStatement(std::string_view text, Dialect dialect)
{
    Parser parser(text, dialect);
    return parser.parseStatement();
}

} // namespace sql
