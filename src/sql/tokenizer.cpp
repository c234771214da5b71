// The tokenizer: one pass over the text, no backtracking. Any byte above 0x7f may be part of a
// name, so Chinese aliases such as 月份 need no quoting (as in SQLite).
#include "sql/tokenizer.h"

#include <cctype>

namespace sql {

namespace {

bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

bool isNameStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

bool isNameChar(unsigned char c)
{
    return isNameStart(c) || isDigit(c) || c == '$';
}

[[noreturn]] void lexError(std::string_view text, int offset, const std::string &what)
{
    const int position = characterPosition(text, offset);
    throw TranslateError(what + " at position " + std::to_string(position), position);
}

} // namespace

std::string toLower(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower)
        c = asciiLower(c);
    return lower;
}

bool Token::isKeyword(std::string_view keyword) const
{
    return kind == TokenKind::Identifier && equalsIgnoreCase(text, keyword);
}

std::string Token::name() const
{
    return kind == TokenKind::QuotedIdentifier ? value : std::string(text);
}

int characterPosition(std::string_view text, int offset)
{
    int position = 1;
    const int end = std::min<int>(offset, int(text.size()));
    for (int i = 0; i < end; ++i) {
        if ((static_cast<unsigned char>(text[size_t(i)]) & 0xC0) != 0x80)
            ++position;
    }
    return position;
}

void throwSyntaxError(std::string_view text, const Token &token, const std::string &expected)
{
    const int position = characterPosition(text, token.offset);
    std::string message = "syntax error at position " + std::to_string(position);
    if (token.kind == TokenKind::End)
        message += ": unexpected end of text";
    else
        message += " near \"" + std::string(token.text) + "\"";
    if (!expected.empty())
        message += ", expected " + expected;
    throw TranslateError(message, position);
}

Tokenizer::Tokenizer(std::string_view text, Dialect dialect)
    : m_text(text)
    , m_dialect(dialect)
{}

void Tokenizer::next(Token &out)
{
    const std::string_view text = m_text;
    const size_t n = text.size();
    size_t &i = m_pos;
    bool space = false;

    auto emit = [&](TokenKind kind, size_t start, std::string value = {}) {
        out.kind = kind;
        out.text = text.substr(start, i - start);
        out.value = std::move(value);
        out.offset = int(start);
        out.spaceBefore = space;
    };

    // Reads text enclosed in `close`, where a doubled `close` stands for itself.
    auto readQuoted = [&](size_t start, char close, const char *what) {
        std::string value;
        size_t j = start + 1;
        for (;;) {
            if (j >= n)
                lexError(text, int(start), std::string("unterminated ") + what);
            if (text[j] == close) {
                if (j + 1 < n && text[j + 1] == close) {
                    value += close;
                    j += 2;
                    continue;
                }
                break;
            }
            value += text[j++];
        }
        i = j + 1;
        return value;
    };

    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c)) {
            ++i;
            space = true;
            continue;
        }
        if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            while (i < n && text[i] != '\n')
                ++i;
            space = true;
            continue;
        }
        if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            const size_t end = text.find("*/", i + 2);
            if (end == std::string_view::npos)
                lexError(text, int(i), "unterminated comment");
            i = end + 2;
            space = true;
            continue;
        }
        const size_t start = i;
        if ((c == 'N' || c == 'n') && i + 1 < n && text[i + 1] == '\'') {
            ++i;
            std::string value = readQuoted(i, '\'', "string");
            return emit(TokenKind::String, start, std::move(value));
        }
        if (isNameStart(c)) {
            while (i < n && isNameChar(static_cast<unsigned char>(text[i])))
                ++i;
            return emit(TokenKind::Identifier, start);
        }
        if (std::isdigit(c) ||
            (c == '.' && i + 1 < n && isDigit(static_cast<unsigned char>(text[i + 1])))) {
            while (i < n && isDigit(static_cast<unsigned char>(text[i])))
                ++i;
            if (i < n && text[i] == '.') {
                ++i;
                while (i < n && isDigit(static_cast<unsigned char>(text[i])))
                    ++i;
            }
            if (i < n && (text[i] == 'e' || text[i] == 'E')) {
                size_t j = i + 1;
                if (j < n && (text[j] == '+' || text[j] == '-'))
                    ++j;
                if (j < n && isDigit(static_cast<unsigned char>(text[j]))) {
                    while (j < n && isDigit(static_cast<unsigned char>(text[j])))
                        ++j;
                    i = j;
                }
            }
            return emit(TokenKind::Number, start);
        }
        switch (c) {
        case '\'': {
            std::string value = readQuoted(i, '\'', "string");
            return emit(TokenKind::String, start, std::move(value));
        }
        case '"': {
            const bool jet = m_dialect == Dialect::Jet;
            std::string value = readQuoted(i, '"', jet ? "string" : "name");
            return emit(jet ? TokenKind::String : TokenKind::QuotedIdentifier, start,
                        std::move(value));
        }
        case '[': {
            std::string value = readQuoted(i, ']', "name");
            return emit(TokenKind::QuotedIdentifier, start, std::move(value));
        }
        case '`': {
            std::string value = readQuoted(i, '`', "name");
            return emit(TokenKind::QuotedIdentifier, start, std::move(value));
        }
        case '#': {
            const size_t end = text.find('#', i + 1);
            if (end == std::string_view::npos ||
                text.substr(i + 1, end - i - 1).find('\n') != std::string_view::npos)
                lexError(text, int(i), "unterminated date literal");
            i = end + 1;
            return emit(TokenKind::Date, start,
                        std::string(text.substr(start + 1, end - start - 1)));
        }
        case '<':
            i += (i + 1 < n && (text[i + 1] == '=' || text[i + 1] == '>')) ? 2 : 1;
            return emit(TokenKind::Operator, start);
        case '>':
        case '!':
            if (c == '!' && !(i + 1 < n && text[i + 1] == '='))
                lexError(text, int(i), "unexpected character \"!\"");
            i += (i + 1 < n && text[i + 1] == '=') ? 2 : 1;
            return emit(TokenKind::Operator, start);
        case '=':
            i += (i + 1 < n && text[i + 1] == '=') ? 2 : 1;
            return emit(TokenKind::Operator, start);
        case '|':
            if (i + 1 < n && text[i + 1] == '|') {
                i += 2;
                return emit(TokenKind::Operator, start);
            }
            lexError(text, int(i), "unexpected character \"|\"");
        case '(':
        case ')':
        case ',':
        case '.':
        case ';':
        case '+':
        case '-':
        case '*':
        case '/':
        case '\\':
        case '%':
        case '&':
            ++i;
            return emit(TokenKind::Operator, start);
        default:
            break;
        }
        // Report the whole UTF-8 character, not a stray byte.
        size_t end = i + 1;
        while (end < n && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        lexError(text, int(i),
                 "unexpected character \"" + std::string(text.substr(i, end - i)) + "\"");
    }
    return emit(TokenKind::End, n);
}

std::vector<Token> tokenize(std::string_view text, Dialect dialect)
{
    Tokenizer tokenizer(text, dialect);
    std::vector<Token> tokens;
    do {
        tokenizer.next(tokens.emplace_back());
    } while (!tokens.back().is(TokenKind::End));
    return tokens;
}

TokenStream::TokenStream(std::string_view text, Dialect dialect)
    : m_tokenizer(text, dialect)
{}

const Token &TokenStream::readTo(size_t index)
{
    while (!m_ended && m_read <= index) {
        if ((m_read >> BlockShift) == m_blocks.size())
            m_blocks.push_back(std::make_unique<Token[]>(BlockSize));
        Token &token = slot(m_read);
        m_tokenizer.next(token);
        m_ended = token.is(TokenKind::End);
        ++m_read;
    }
    return slot(std::min(index, m_read - 1));
}

void TokenStream::dropBefore(size_t index)
{
    for (; m_kept < (index >> BlockShift) && m_kept < m_blocks.size(); ++m_kept)
        m_blocks[m_kept].reset();
}

} // namespace sql
