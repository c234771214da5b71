// Expression grammar, loosest binding first:
//   OR, AND, NOT, predicates (comparisons, IS NULL, BETWEEN, IN, LIKE), & and ||, + and -,
//   * / \ % MOD, unary + and -, primaries.
#include "sql/datetime.h"
#include "sql/parser.h"

#include <cerrno>
#include <cstdlib>

namespace sql {

namespace {

constexpr int MaxDepth = 200;

struct DepthGuard
{
    explicit DepthGuard(int &depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~DepthGuard() { --m_depth; }
    int &m_depth;
};

} // namespace

ExprPtr Parser::parseExpr()
{
    DepthGuard guard(m_depth);
    if (m_depth > MaxDepth)
        fail("a less deeply nested expression");
    return parseOr();
}

ExprPtr Parser::parseOr()
{
    ExprPtr left = parseAnd();
    while (peek().isKeyword("or")) {
        const int position = next().offset;
        left = std::make_unique<BinaryExpr>(BinaryOp::Or, std::move(left), parseAnd(), position);
    }
    return left;
}

ExprPtr Parser::parseAnd()
{
    ExprPtr left = parseNot();
    while (peek().isKeyword("and")) {
        const int position = next().offset;
        // The client appends optional conditions that each begin with " and "; with an empty
        // filter it sends "where 1=1 and  and ..." or "where 1=1 and  order by". A dangling AND
        // can only be that, so it is dropped instead of failing the whole query.
        const Token &after = peek();
        if (after.isKeyword("and") || after.isKeyword("order") || after.isKeyword("group") ||
            after.isKeyword("having") || after.isKeyword("union") || after.isOperator(")") ||
            after.isOperator(";") || after.is(TokenKind::End))
            continue;
        left = std::make_unique<BinaryExpr>(BinaryOp::And, std::move(left), parseNot(), position);
    }
    return left;
}

ExprPtr Parser::parseNot()
{
    if (peek().isKeyword("not")) {
        DepthGuard guard(m_depth);
        if (m_depth > MaxDepth)
            fail("a less deeply nested expression");
        const int position = next().offset;
        return std::make_unique<UnaryExpr>(UnaryOp::Not, parseNot(), position);
    }
    return parsePredicate();
}

ExprPtr Parser::parsePredicate()
{
    ExprPtr left = parseConcat();
    const Token &token = peek();
    const int position = token.offset;
    if (token.is(TokenKind::Operator)) {
        static const struct
        {
            const char *text;
            BinaryOp op;
        } comparisons[] = {
            {"=", BinaryOp::Equal},     {"==", BinaryOp::Equal},        {"<>", BinaryOp::NotEqual},
            {"!=", BinaryOp::NotEqual}, {"<", BinaryOp::Less},          {"<=", BinaryOp::LessEqual},
            {">", BinaryOp::Greater},   {">=", BinaryOp::GreaterEqual},
        };
        for (const auto &c : comparisons) {
            if (token.text == c.text) {
                next();
                return std::make_unique<BinaryExpr>(c.op, std::move(left), parseConcat(), position);
            }
        }
        return left;
    }
    if (token.isKeyword("is")) {
        next();
        const bool negated = acceptKeyword("not");
        expectKeyword("null");
        return std::make_unique<IsNullExpr>(std::move(left), negated, position);
    }
    bool negated = false;
    if (token.isKeyword("not") &&
        (peek(1).isKeyword("between") || peek(1).isKeyword("in") || peek(1).isKeyword("like"))) {
        next();
        negated = true;
    }
    if (acceptKeyword("between")) {
        ExprPtr low = parseConcat();
        expectKeyword("and");
        ExprPtr high = parseConcat();
        return std::make_unique<BetweenExpr>(std::move(left), std::move(low), std::move(high),
                                             negated, position);
    }
    if (acceptKeyword("in")) {
        auto in = std::make_unique<InExpr>(std::move(left), negated, position);
        expectOperator("(");
        if (peek().isKeyword("select"))
            in->select = parseSelect();
        else
            in->list = parseExprList();
        expectOperator(")");
        return in;
    }
    if (acceptKeyword("like")) {
        ExprPtr pattern = parseConcat();
        ExprPtr escape;
        if (acceptKeyword("escape"))
            escape = parseConcat();
        return std::make_unique<LikeExpr>(std::move(left), std::move(pattern), std::move(escape),
                                          negated, position);
    }
    if (negated)
        fail("BETWEEN, IN or LIKE");
    return left;
}

ExprPtr Parser::parseConcat()
{
    ExprPtr left = parseAdditive();
    for (;;) {
        const Token &token = peek();
        BinaryOp op;
        if (token.isOperator("&"))
            op = BinaryOp::Ampersand;
        else if (token.isOperator("||"))
            op = BinaryOp::Concat;
        else
            return left;
        next();
        left = std::make_unique<BinaryExpr>(op, std::move(left), parseAdditive(), token.offset);
    }
}

ExprPtr Parser::parseAdditive()
{
    ExprPtr left = parseMultiplicative();
    for (;;) {
        const Token &token = peek();
        BinaryOp op;
        if (token.isOperator("+"))
            op = BinaryOp::Add;
        else if (token.isOperator("-"))
            op = BinaryOp::Subtract;
        else
            return left;
        next();
        left =
            std::make_unique<BinaryExpr>(op, std::move(left), parseMultiplicative(), token.offset);
    }
}

ExprPtr Parser::parseMultiplicative()
{
    ExprPtr left = parseUnary();
    for (;;) {
        const Token &token = peek();
        BinaryOp op;
        if (token.isOperator("*"))
            op = BinaryOp::Multiply;
        else if (token.isOperator("/"))
            op = BinaryOp::Divide;
        else if (token.isOperator("\\"))
            op = BinaryOp::IntDivide;
        else if (token.isOperator("%") || token.isKeyword("mod"))
            op = BinaryOp::Modulo;
        else
            return left;
        next();
        left = std::make_unique<BinaryExpr>(op, std::move(left), parseUnary(), token.offset);
    }
}

ExprPtr Parser::parseUnary()
{
    const Token &token = peek();
    if (token.isOperator("-") || token.isOperator("+")) {
        DepthGuard guard(m_depth);
        if (m_depth > MaxDepth)
            fail("a less deeply nested expression");
        next();
        return std::make_unique<UnaryExpr>(token.text == "-" ? UnaryOp::Minus : UnaryOp::Plus,
                                           parseUnary(), token.offset);
    }
    ExprPtr expr = parsePrimary();
    while (peek().isKeyword("collate")) {
        const int position = next().offset;
        const Token &name = peek();
        if (!name.is(TokenKind::Identifier) && !name.is(TokenKind::QuotedIdentifier))
            fail("a collation name");
        next();
        expr = std::make_unique<CollateExpr>(std::move(expr), name.name(), position);
    }
    return expr;
}

ExprPtr Parser::parseNumber(const Token &token)
{
    const bool isInteger = token.text.find_first_of(".eE") == std::string_view::npos;
    if (isInteger) {
        errno = 0;
        const std::string text(token.text);
        std::strtoll(text.c_str(), nullptr, 10);
        if (errno != ERANGE)
            return std::make_unique<LiteralExpr>(LiteralKind::Integer, text, token.offset);
    }
    return std::make_unique<LiteralExpr>(LiteralKind::Float, std::string(token.text), token.offset);
}

ExprPtr Parser::parsePrimary()
{
    const Token &token = peek();
    switch (token.kind) {
    case TokenKind::Number:
        next();
        return parseNumber(token);
    case TokenKind::String:
        next();
        return std::make_unique<LiteralExpr>(LiteralKind::String, token.value, token.offset);
    case TokenKind::Date: {
        auto canonical = canonicalDateTime(token.value, DateOrder::MonthFirst);
        if (!canonical) {
            const int position = characterPosition(m_text, token.offset);
            throw TranslateError("invalid date " + std::string(token.text) + " at position " +
                                     std::to_string(position),
                                 position);
        }
        next();
        return std::make_unique<LiteralExpr>(LiteralKind::Date, *canonical, token.offset);
    }
    case TokenKind::QuotedIdentifier:
    case TokenKind::Identifier:
        break;
    case TokenKind::Operator:
        if (token.isOperator("(")) {
            DepthGuard guard(m_depth);
            if (m_depth > MaxDepth)
                fail("a less deeply nested expression");
            next();
            ExprPtr inner;
            if (peek().isKeyword("select"))
                inner = std::make_unique<SubqueryExpr>(parseSelect(), token.offset);
            else
                inner = parseExpr();
            expectOperator(")");
            return inner;
        }
        fail("an expression");
    case TokenKind::End:
        fail("an expression");
    }

    if (token.is(TokenKind::Identifier)) {
        if (token.isKeyword("null")) {
            next();
            return std::make_unique<LiteralExpr>(LiteralKind::Null, "NULL", token.offset);
        }
        if (token.isKeyword("true") || token.isKeyword("false")) {
            next();
            return std::make_unique<LiteralExpr>(LiteralKind::Boolean,
                                                 token.isKeyword("true") ? "1" : "0", token.offset);
        }
        if (token.isKeyword("case")) {
            next();
            return parseCase(token.offset);
        }
        if (token.isKeyword("exists")) {
            next();
            expectOperator("(");
            auto exists = std::make_unique<ExistsExpr>(parseSelect(), token.offset);
            expectOperator(")");
            return exists;
        }
        if (peek(1).isOperator("(")) {
            if (token.isKeyword("cast")) {
                next();
                return parseCast(token.offset);
            }
            if (token.isKeyword("convert")) {
                next();
                return parseConvert(token.offset);
            }
            next();
            return parseFunction(token);
        }
        if (isReservedWord(token.text))
            fail("an expression");
    }
    next();
    if (peek().isOperator(".") &&
        (peek(1).is(TokenKind::Identifier) || peek(1).is(TokenKind::QuotedIdentifier))) {
        next();
        const Token &column = next();
        return std::make_unique<ColumnExpr>(token.name(), column.name(), token.offset);
    }
    return std::make_unique<ColumnExpr>(std::string(), token.name(), token.offset);
}

ExprPtr Parser::parseFunction(const Token &nameToken)
{
    expectOperator("(");
    auto function =
        std::make_unique<FunctionExpr>(std::string(nameToken.text), ExprList(), nameToken.offset);
    if (acceptOperator("*")) {
        function->star = true;
    } else if (!peek().isOperator(")")) {
        if (acceptKeyword("distinct"))
            function->distinct = true;
        else
            acceptKeyword("all");
        function->args = parseExprList();
    }
    expectOperator(")");
    return function;
}

ExprPtr Parser::parseCase(int position)
{
    auto expr = std::make_unique<CaseExpr>(position);
    if (!peek().isKeyword("when"))
        expr->operand = parseExpr();
    while (acceptKeyword("when")) {
        CaseExpr::When when;
        when.condition = parseExpr();
        expectKeyword("then");
        when.result = parseExpr();
        expr->whens.push_back(std::move(when));
    }
    if (expr->whens.empty())
        fail("WHEN");
    if (acceptKeyword("else"))
        expr->elseResult = parseExpr();
    expectKeyword("end");
    return expr;
}

ExprPtr Parser::parseCast(int position)
{
    expectOperator("(");
    ExprPtr operand = parseExpr();
    expectKeyword("as");
    TypeName type = parseTypeName(false);
    expectOperator(")");
    return std::make_unique<CastExpr>(std::move(operand), std::move(type), position);
}

// T-SQL CONVERT(type, value [, style]); the style only changes how SQL Server spells dates,
// which are canonical text here.
ExprPtr Parser::parseConvert(int position)
{
    expectOperator("(");
    TypeName type = parseTypeName(false);
    expectOperator(",");
    ExprPtr operand = parseExpr();
    if (acceptOperator(","))
        parseExpr();
    expectOperator(")");
    return std::make_unique<CastExpr>(std::move(operand), std::move(type), position);
}

ExprList Parser::parseExprList()
{
    ExprList list;
    do {
        list.push_back(parseExpr());
    } while (acceptOperator(","));
    return list;
}

} // namespace sql
