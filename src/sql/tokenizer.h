// Splits the client's SQL text into tokens. Both dialects share one lexical grammar except for
// double-quoted text, which is a string in Jet and a quoted name in T-SQL.
#pragma once

#include "sql/translator.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sql {

enum class TokenKind {
    End,
    Identifier,       // plain name or keyword
    QuotedIdentifier, // [name], "name" (T-SQL), `name`
    String,           // 'text' (and "text" in Jet), N'text'
    Number,
    Date,     // #...#, value is the text between the hashes
    Operator, // punctuation: ( ) , . ; + - * / \ % & || = == <> != < <= > >=
};

struct Token
{
    TokenKind kind = TokenKind::End;
    std::string_view text; // the token as written
    std::string value;     // unescaped content of strings, quoted names and dates
    int offset = 0;        // byte offset in the source
    bool spaceBefore = false;

    bool is(TokenKind k) const { return kind == k; }
    bool isOperator(std::string_view op) const { return kind == TokenKind::Operator && text == op; }
    // A plain identifier spelled as the keyword, in any case.
    bool isKeyword(std::string_view keyword) const;
    // The name an identifier token stands for (quotes removed).
    std::string name() const;
};

// Reads the tokens of a text one at a time, so that a parser need hold only those of the
// statement it is on.
class Tokenizer
{
public:
    Tokenizer(std::string_view text, Dialect dialect);
    // Reads the next token into `token`: at the end of the text an End token, and again on
    // every later call.
    void next(Token &token);

private:
    std::string_view m_text;
    Dialect m_dialect;
    size_t m_pos = 0;
};

// Every token of a text, the End token last.
std::vector<Token> tokenize(std::string_view text, Dialect dialect);

// The tokens of a text by index, read when first asked for. They are kept in blocks, so a
// token stays in place (and a reference to it valid) while more are read; the blocks before a
// given token can be let go.
class TokenStream
{
public:
    TokenStream(std::string_view text, Dialect dialect);

    // The token at `index`; the End token for any index past the end.
    const Token &at(size_t index)
    {
        if (index < m_read)
            return slot(index);
        return readTo(index);
    }
    // Lets go of the blocks that hold only tokens before `index`.
    void dropBefore(size_t index);

private:
    static constexpr size_t BlockShift = 6;
    static constexpr size_t BlockSize = size_t(1) << BlockShift;

    Token &slot(size_t index) { return m_blocks[index >> BlockShift][index & (BlockSize - 1)]; }
    const Token &readTo(size_t index);

    Tokenizer m_tokenizer;
    std::vector<std::unique_ptr<Token[]>> m_blocks;
    size_t m_read = 0; // tokens read so far
    size_t m_kept = 0; // the first block not let go
    bool m_ended = false;
};

// 1-based position in characters of a byte offset, for messages.
int characterPosition(std::string_view text, int offset);

// Throws TranslateError naming the position and the token found there.
[[noreturn]] void throwSyntaxError(std::string_view text, const Token &token,
                                   const std::string &expected);

inline char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c | 0x20) : c;
}

// Names compare without regard to ASCII case, as in Jet and SQLite.
inline bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

std::string toLower(std::string_view text);

// Hashing and equality for maps keyed by names in any case.
struct NameHash
{
    using is_transparent = void;
    size_t operator()(std::string_view name) const
    {
        size_t hash = 14695981039346656037ull;
        for (char c : name)
            hash = (hash ^ static_cast<unsigned char>(asciiLower(c))) * 1099511628211ull;
        return hash;
    }
};

struct NameEqual
{
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return equalsIgnoreCase(a, b); }
};

} // namespace sql
