// Recursive-descent parser for the union of the Jet and T-SQL dialects the client writes.
// It builds the syntax tree of ast.h and reports the first error with its position and token.
#pragma once

#include "sql/ast.h"
#include "sql/tokenizer.h"

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
    struct Mark
    {
        size_t index;
    };

    const Token &peek(size_t ahead = 0) const;
    const Token &next();
    bool acceptKeyword(std::string_view keyword);
    bool acceptOperator(std::string_view op);
    void expectKeyword(std::string_view keyword);
    void expectOperator(std::string_view op);
    [[noreturn]] void fail(const std::string &expected) const;
    bool atStatementEnd() const;
    bool startsStatement(const Token &token) const;

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
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    int m_depth = 0;
};

// Convenience: parses one statement.
StatementPtr parseStatement(std::string_view text, Dialect dialect);

// Words that end a name or an expression and so cannot be an alias written without AS.
bool isReservedWord(std::string_view word);

} // namespace sql
