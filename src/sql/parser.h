// Recursive-descent parser for the union of the Jet and T-SQL dialects the client writes.
// It builds the syntax tree of ast.h and reports the first error with its position and token.
// The trees it builds stay within TreeLimits.
#pragma once

#include "sql/ast.h"
#include "sql/tokenizer.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sql {

class Parser
{
public:
    Parser(std::string_view text, Dialect dialect);

    // Exactly one statement, optionally followed by ';'.
    StatementPtr parseStatement();
    // Statements in order; ';' between them may be left out where the next one plainly starts.
    // Each entry is the statement's own text.
    std::vector<std::string_view> splitScript();

private:
    class Level;
    class Chain;

    // The token at `index` of the text, read as far as needed; the End token past the end.
    const Token &token(size_t index) const
    {
        if (index - m_statement >= size_t(TreeLimits::MaxTokens))
            tooManyTokens();
        return m_tokens.at(index);
    }
    [[noreturn]] void tooManyTokens() const;
    const Token &peek(size_t ahead = 0) const { return token(m_pos + ahead); }
    const Token &next();
    bool acceptKeyword(std::string_view keyword);
    bool acceptOperator(std::string_view op);
    void expectKeyword(std::string_view keyword);
    void expectOperator(std::string_view op);
    [[noreturn]] void fail(const std::string &expected) const;
    bool atStatementEnd() const;
    bool startsStatement(const Token &token) const;

    // Every node is made here, so that the size bound covers them all.
    template<class T, class... Args>
    std::unique_ptr<T> make(Args &&...args)
    {
        if (++m_nodes > TreeLimits::MaxNodes)
            tooComplex("more than " + std::to_string(TreeLimits::MaxNodes) + " nodes",
                       peek().offset);
        reach(m_depth);
        return std::make_unique<T>(std::forward<Args>(args)...);
    }
    // Parses what sits one level below the node being parsed.
    template<class Parse>
    auto nested(Parse parse);
    // Notes that the tree reaches `level`; fails beyond the depth bound.
    void reach(int level)
    {
        if (level > TreeLimits::MaxDepth)
            tooDeep();
        m_deepest = std::max(m_deepest, level);
    }
    [[noreturn]] void tooDeep() const;
    [[noreturn]] void tooComplex(const std::string &what, int offset) const;

    StatementPtr parseStatementBody();
    std::unique_ptr<SelectStmt> parseSelect();
    std::unique_ptr<SelectCore> parseMember();
    std::unique_ptr<SelectCore> parseCore();
    void parseResultColumn(SelectCore &core);
    std::string parseColumnAlias(bool afterAs);
    std::vector<OrderItem> parseOrderBy();

    SourcePtr parseSource();
    SourcePtr parsePrimarySource();
    bool parseJoinType(JoinType &type);
    bool groupHoldsQuery() const;
    std::string parseSourceAlias();

    ExprPtr parseExpr();
    ExprPtr parseOr();
    ExprPtr parseAnd();
    ExprPtr parseNot();
    ExprPtr parsePredicate();
    ExprPtr parseConcat();
    ExprPtr parseAdditive();
    ExprPtr parseMultiplicative();
    ExprPtr parseUnary();
    ExprPtr parsePrimary();
    ExprPtr parseNumber(const Token &token);
    ExprPtr parseFunction(const Token &nameToken);
    ExprPtr parseCase(int position);
    ExprPtr parseCast(int position);
    ExprPtr parseConvert(int position);
    ExprList parseExprList();
    TypeName parseTypeName(bool inColumnDefinition);

    StatementPtr parseInsert();
    StatementPtr parseUpdate();
    StatementPtr parseDelete();
    StatementPtr parseCreate();
    StatementPtr parseDrop();
    std::string parseName(const char *what);

    std::string_view m_text;
    Dialect m_dialect;
    // Read as the parser goes; a script keeps the tokens of its current statement only.
    mutable TokenStream m_tokens;
    size_t m_statement = 0; // index of the statement's first token
    size_t m_pos = 0;       // index of the current token
    int m_depth = 0;        // level of the node being parsed
    int m_deepest = 0;      // deepest level a node has reached, for measuring operands of chains
    int m_queryDepth = 0;
    int m_nodes = 0;
};

// One level deeper for as long as it lives.
class Parser::Level
{
public:
    explicit Level(Parser &parser)
        : m_parser(parser)
    {
        m_parser.reach(++m_parser.m_depth);
    }
    ~Level() { --m_parser.m_depth; }
    Level(const Level &) = delete;
    Level &operator=(const Level &) = delete;

private:
    Parser &m_parser;
};

// A left-deep chain: a + b + c, t join u on ... join v on ..., x collate a collate b. Each
// operator puts everything built so far one level further down, so the depth of what an operand
// holds is known only when the chain ends. The chain's height is kept here as it grows and
// checked at every operator; operands report theirs through the deepest level they reach.
class Parser::Chain
{
public:
    explicit Chain(Parser &parser)
        : m_parser(parser)
        , m_base(parser.m_depth)
    {}

    // The first operand, at the chain's own level.
    template<class Parse>
    auto first(Parse parse)
    {
        return measured(parse, m_height);
    }
    // An operand of the next operator, one level down.
    template<class Parse>
    auto operand(Parse parse)
    {
        Level level(m_parser);
        return measured(parse, m_operands);
    }
    // The next operator takes the chain so far and the operands parsed since the last one.
    void grow()
    {
        m_height = std::max(m_height, m_operands) + 1;
        m_operands = 0;
        m_parser.reach(m_base + m_height - 1);
    }

private:
    template<class Parse>
    auto measured(Parse &parse, int &height)
    {
        const int outer = m_parser.m_deepest;
        m_parser.m_deepest = m_parser.m_depth;
        auto result = parse();
        height = std::max(height, m_parser.m_deepest - m_parser.m_depth + 1);
        m_parser.m_deepest = std::max(outer, m_parser.m_deepest);
        return result;
    }

    Parser &m_parser;
    const int m_base;
    int m_height = 0;   // levels of the chain built so far
    int m_operands = 0; // levels of the operands waiting for their operator
};

template<class Parse>
auto Parser::nested(Parse parse)
{
    Level level(*this);
    return parse();
}

// Convenience: parses one statement.
StatementPtr parseStatement(std::string_view text, Dialect dialect);

// Words that end a name or an expression and so cannot be an alias written without AS.
bool isReservedWord(std::string_view word);

} // namespace sql
