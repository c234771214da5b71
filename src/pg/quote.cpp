#include "pg/quote.h"

#include "pg/error.h"

namespace pg {

namespace {

std::string quoted(std::string_view text, char quote)
{
    if (text.find('\0') != std::string_view::npos)
        throw Error("text contains a NUL character",
                    std::string(sqlstate::CharacterNotInRepertoire));
    std::string out;
    out.reserve(text.size() + 2);
    out += quote;
    for (char c : text) {
        if (c == quote)
            out += quote;
        out += c;
    }
    out += quote;
    return out;
}

} // namespace

std::string quoteLiteral(std::string_view text)
{
    return quoted(text, '\'');
}

std::string quoteIdentifier(std::string_view name)
{
    return quoted(name, '"');
}

} // namespace pg
