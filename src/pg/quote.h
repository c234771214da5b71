// Quoting of text and names spliced into PostgreSQL statements. The server runs with
// standard_conforming_strings (its default), so a backslash is an ordinary character and
// doubling the quote is all a literal needs.
#pragma once

#include <string>
#include <string_view>

namespace pg {

// 'O''Neil'. Throws pg::Error (22021) for a NUL character, which PostgreSQL text cannot hold
// and which would silently cut the statement short.
std::string quoteLiteral(std::string_view text);
// "Name" with inner double quotes doubled; the same NUL rule.
std::string quoteIdentifier(std::string_view name);

} // namespace pg
