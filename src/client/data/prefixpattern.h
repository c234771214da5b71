// The LIKE patterns that a look-up list types on every key ("ab%"): literal text, '_' for any
// one character, then nothing or wildcards only. Such a pattern is matched against the UTF-8
// bytes a text column stores, without decoding a QString per record, and answers exactly as
// the general wildcard matcher does on the decoded text.
#pragma once

#include <QString>

#include <optional>
#include <string_view>

namespace DataInternal {

class PrefixPattern
{
public:
    enum class Match { No, Yes, Unknown };

    // Empty when the pattern has a wildcard before its end, or text the byte comparison cannot
    // answer for ('%' and '*' are the wildcards, as in the general matcher).
    static std::optional<PrefixPattern> compile(const QString &pattern);

    // Unknown when the bytes are not plain well-formed UTF-8 where the answer depends on them
    // (a leading byte-order mark, a malformed sequence): the caller decodes and asks the
    // general matcher.
    Match match(std::string_view utf8, bool caseInsensitive) const;

    // Every text this pattern matches the older one matches too, under either case rule: the
    // older one ends in a wildcard and the literal extends the older literal ('_' in the older
    // one takes any character). Typing one more character of a code gives such a pattern.
    bool narrows(const PrefixPattern &older) const;

private:
    PrefixPattern() = default;
    Match matchUnits(std::string_view utf8, bool caseInsensitive) const;

    QString m_literal;      // the text before the trailing wildcards, '_' included
    QString m_folded;       // m_literal case-folded, unit by unit
    QByteArray m_utf8;      // m_literal as UTF-8, for the byte comparison
    bool m_open = false;    // the literal is followed by a wildcard
    bool m_anyChar = false; // the literal holds '_'
};

} // namespace DataInternal
