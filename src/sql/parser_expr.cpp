// Expression grammar, loosest binding first:
//   OR, AND, NOT, predicates (comparisons, IS NULL, BETWEEN, IN, LIKE), & and ||, + and -,
//   * / \ % MOD, unary + and -, primaries.
#include "sql/datetime.h"
#include "sql/parser.h"

#include <cerrno>
#include <cstdlib>

namespace sql {

ExprPtr Parser::parseExpr()
{
    return parseOr();
}

ExprPtr Parser::parseOr()
{
    Chain chain(*this);
    ExprPtr left = chain.first([&] { return parseAnd(); });
    while (peek().isKeyword("or")) {
        const int position = next().offset;
        ExprPtr right = chain.operand([&] { return parseAnd(); });
        chain.grow();
        left = make<BinaryExpr>(BinaryOp::Or, std::move(left), std::move(right), position);
    }
    return left;
}

ExprPtr Parser::parseAnd()
{
    Chain chain(*this);
    ExprPtr left = chain.first([&] { return parseNot(); });
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
        ExprPtr right = chain.operand([&] { return parseNot(); });
        chain.grow();
        left = make<BinaryExpr>(BinaryOp::And, std::move(left), std::move(right), position);
    }
    return left;
}

ExprPtr Parser::parseNot()
{
    if (peek().isKeyword("not")) {
        const int position = next().offset;
        ExprPtr operand = nested([&] { return parseNot(); });
        return make<UnaryExpr>(UnaryOp::Not, std::move(operand), position);
    }
    return parsePredicate();
}

ExprPtr Parser::parsePredicate()
{
    // The tested operand ends up below the predicate: a chain of one operator.
    Chain chain(*this);
    ExprPtr left = chain.first([&] { return parseConcat(); });
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
                ExprPtr right = chain.operand([&] { return parseConcat(); });
                chain.grow();
                return make<BinaryExpr>(c.op, std::move(left), std::move(right), position);
            }
        }
        return left;
    }
    if (token.isKeyword("is")) {
        next();
        const bool negated = acceptKeyword("not");
        expectKeyword("null");
        chain.grow();
        return make<IsNullExpr>(std::move(left), negated, position);
    }
    bool negated = false;
    if (token.isKeyword("not") &&
        (peek(1).isKeyword("between") || peek(1).isKeyword("in") || peek(1).isKeyword("like"))) {
        next();
        negated = true;
    }
    if (acceptKeyword("between")) {
        ExprPtr low = chain.operand([&] { return parseConcat(); });
        expectKeyword("and");
        ExprPtr high = chain.operand([&] { return parseConcat(); });
        chain.grow();
        return make<BetweenExpr>(std::move(left), std::move(low), std::move(high), negated,
                                 position);
    }
    if (acceptKeyword("in")) {
        auto in = make<InExpr>(std::move(left), negated, position);
        expectOperator("(");
        if (peek().isKeyword("select"))
            in->select = chain.operand([&] { return parseSelect(); });
        else
            in->list = chain.operand([&] { return parseExprList(); });
        expectOperator(")");
        chain.grow();
        return in;
    }
    if (acceptKeyword("like")) {
        ExprPtr pattern = chain.operand([&] { return parseConcat(); });
        ExprPtr escape;
        if (acceptKeyword("escape"))
            escape = chain.operand([&] { return parseConcat(); });
        chain.grow();
        return make<LikeExpr>(std::move(left), std::move(pattern), std::move(escape), negated,
                              position);
    }
    if (negated)
        fail("BETWEEN, IN or LIKE");
    return left;
}

ExprPtr Parser::parseConcat()
{
    Chain chain(*this);
    ExprPtr left = chain.first([&] { return parseAdditive(); });
    for (;;) {
        const Token &token = peek();
        BinaryOp op;
        if (token.isOperator("&"))
            op = BinaryOp::Ampersand;
        else if (token.isOperator("||"))
            op = BinaryOp::Concat;
        else
            return left;
        const int position = next().offset;
        ExprPtr right = chain.operand([&] { return parseAdditive(); });
        chain.grow();
        left = make<BinaryExpr>(op, std::move(left), std::move(right), position);
    }
}

ExprPtr Parser::parseAdditive()
{
    Chain chain(*this);
    ExprPtr left = chain.first([&] { return parseMultiplicative(); });
    for (;;) {
        const Token &token = peek();
        BinaryOp op;
        if (token.isOperator("+"))
            op = BinaryOp::Add;
        else if (token.isOperator("-"))
            op = BinaryOp::Subtract;
        else
            return left;
        const int position = next().offset;
        ExprPtr right = chain.operand([&] { return parseMultiplicative(); });
        chain.grow();
        left = make<BinaryExpr>(op, std::move(left), std::move(right), position);
    }
}

ExprPtr Parser::parseMultiplicative()
{
    Chain chain(*this);
    ExprPtr left = chain.first([&] { return parseUnary(); });
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
        const int position = next().offset;
        ExprPtr right = chain.operand([&] { return parseUnary(); });
        chain.grow();
        left = make<BinaryExpr>(op, std::move(left), std::move(right), position);
    }
}

ExprPtr Parser::parseUnary()
{
    const Token &token = peek();
    if (token.isOperator("-") || token.isOperator("+")) {
        next();
        ExprPtr operand = nested([&] { return parseUnary(); });
        return make<UnaryExpr>(token.text == "-" ? UnaryOp::Minus : UnaryOp::Plus,
                               std::move(operand), token.offset);
    }
    Chain chain(*this);
    ExprPtr expr = chain.first([&] { return parsePrimary(); });
    while (peek().isKeyword("collate")) {
        const int position = next().offset;
        const Token &name = peek();
        if (!name.is(TokenKind::Identifier) && !name.is(TokenKind::QuotedIdentifier))
            fail("a collation name");
        next();
        chain.grow();
        expr = make<CollateExpr>(std::move(expr), name.name(), position);
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
            return make<LiteralExpr>(LiteralKind::Integer, text, token.offset);
    }
    return make<LiteralExpr>(LiteralKind::Float, std::string(token.text), token.offset);
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
        return make<LiteralExpr>(LiteralKind::String, token.value, token.offset);
    case TokenKind::Date: {
        auto canonical = canonicalDateTime(token.value, DateOrder::MonthFirst);
        if (!canonical) {
            const int position = characterPosition(m_text, token.offset);
            throw TranslateError("invalid date " + std::string(token.text) + " at position " +
                                     std::to_string(position),
                                 position);
        }
        next();
        return make<LiteralExpr>(LiteralKind::Date, *canonical, token.offset);
    }
    case TokenKind::QuotedIdentifier:
    case TokenKind::Identifier:
        break;
    case TokenKind::Operator:
        if (token.isOperator("(")) {
            next();
            ExprPtr inner;
            if (peek().isKeyword("select"))
                inner = make<SubqueryExpr>(nested([&] { return parseSelect(); }), token.offset);
            else
                inner = nested([&] { return parseExpr(); });
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
            return make<LiteralExpr>(LiteralKind::Null, "NULL", token.offset);
        }
        if (token.isKeyword("true") || token.isKeyword("false")) {
            next();
            return make<LiteralExpr>(LiteralKind::Boolean, token.isKeyword("true") ? "1" : "0",
                                     token.offset);
        }
        if (token.isKeyword("case")) {
            next();
            return parseCase(token.offset);
        }
        if (token.isKeyword("exists")) {
            next();
            expectOperator("(");
            auto exists = make<ExistsExpr>(nested([&] { return parseSelect(); }), token.offset);
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
        return make<ColumnExpr>(token.name(), column.name(), token.offset);
    }
    return make<ColumnExpr>(std::string(), token.name(), token.offset);
}

ExprPtr Parser::parseFunction(const Token &nameToken)
{
    expectOperator("(");
    auto function = make<FunctionExpr>(std::string(nameToken.text), ExprList(), nameToken.offset);
    if (acceptOperator("*")) {
        function->star = true;
    } else if (!peek().isOperator(")")) {
        if (acceptKeyword("distinct"))
            function->distinct = true;
        else
            acceptKeyword("all");
        function->args = nested([&] { return parseExprList(); });
    }
    expectOperator(")");
    return function;
}

ExprPtr Parser::parseCase(int position)
{
    auto expr = make<CaseExpr>(position);
    Level level(*this);
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
    ExprPtr operand = nested([&] { return parseExpr(); });
    expectKeyword("as");
    TypeName type = parseTypeName(false);
    expectOperator(")");
    return make<CastExpr>(std::move(operand), std::move(type), position);
}

// T-SQL CONVERT(type, value [, style]); the style only changes how SQL Server spells dates,
// which are canonical text here.
ExprPtr Parser::parseConvert(int position)
{
    expectOperator("(");
    TypeName type = parseTypeName(false);
    expectOperator(",");
    ExprPtr operand = nested([&] { return parseExpr(); });
    if (acceptOperator(","))
        nested([&] { return parseExpr(); });
    expectOperator(")");
    return make<CastExpr>(std::move(operand), std::move(type), position);
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
