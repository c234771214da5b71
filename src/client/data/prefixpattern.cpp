// Prefix LIKE patterns matched on stored UTF-8 bytes.
#include "client/data/prefixpattern.h"

#include <cstring>

namespace DataInternal {

namespace {

// Reads well-formed UTF-8 as UTF-16 units, the units QString::fromUtf8 would give; reports
// anything that decoder would replace by U+FFFD instead of guessing what it becomes.
class Utf16Reader
{
public:
    enum Status { Unit, End, Malformed };

    explicit Utf16Reader(std::string_view bytes)
        : m_p(reinterpret_cast<const unsigned char *>(bytes.data()))
        , m_end(m_p + bytes.size())
    {}

    Status next(char16_t &unit)
    {
        if (m_low) {
            unit = m_low;
            m_low = 0;
            return Unit;
        }
        if (m_p == m_end)
            return End;
        const unsigned char b0 = *m_p;
        if (b0 < 0x80) {
            unit = b0;
            ++m_p;
            return Unit;
        }
        // Lengths and the range of the second byte that well-formed sequences allow.
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        char32_t code = 0;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2;
            code = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            length = 3;
            code = b0 & 0x0F;
            if (b0 == 0xE0)
                low = 0xA0;
            else if (b0 == 0xED)
                high = 0x9F; // no surrogates
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            length = 4;
            code = b0 & 0x07;
            if (b0 == 0xF0)
                low = 0x90;
            else if (b0 == 0xF4)
                high = 0x8F;
        } else {
            return Malformed;
        }
        if (m_end - m_p < length)
            return Malformed;
        for (int i = 1; i < length; ++i) {
            const unsigned char b = m_p[i];
            if (i == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF))
                return Malformed;
            code = (code << 6) | (b & 0x3F);
        }
        m_p += length;
        if (code < 0x10000) {
            unit = char16_t(code);
        } else {
            unit = char16_t(0xD800 + ((code - 0x10000) >> 10));
            m_low = char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
        return Unit;
    }

private:
    const unsigned char *m_p;
    const unsigned char *m_end;
    char16_t m_low = 0; // the second unit of a character beyond the BMP
};

bool isWildcard(QChar c)
{
    return c == u'%' || c == u'*';
}

// Text whose UTF-8 bytes stand for it one to one: no replacement character (a malformed cell
// decodes to it) and no unpaired surrogate.
bool wellFormed(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() == 0xFFFD)
            return false;
        if (c.isHighSurrogate()) {
            if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate())
                return false;
            ++i;
        } else if (c.isLowSurrogate()) {
            return false;
        }
    }
    return true;
}

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

std::optional<PrefixPattern> PrefixPattern::compile(const QString &pattern)
{
    qsizetype end = pattern.size();
    while (end > 0 && isWildcard(pattern[end - 1]))
        --end;
    PrefixPattern result;
    result.m_literal = pattern.left(end);
    result.m_open = end < pattern.size();
    for (QChar c : std::as_const(result.m_literal)) {
        if (isWildcard(c))
            return std::nullopt;
        result.m_anyChar = result.m_anyChar || c == u'_';
    }
    if (!wellFormed(result.m_literal))
        return std::nullopt;
    result.m_utf8 = result.m_literal.toUtf8();
    result.m_folded.reserve(result.m_literal.size());
    for (QChar c : std::as_const(result.m_literal))
        result.m_folded.append(c.toCaseFolded());
    return result;
}

PrefixPattern::Match PrefixPattern::match(std::string_view utf8, bool caseInsensitive) const
{
    // QString::fromUtf8 drops a leading byte-order mark.
    if (utf8.starts_with(ByteOrderMark))
        return Match::Unknown;
    if (caseInsensitive || m_anyChar)
        return matchUnits(utf8, caseInsensitive);
    // The literal is well formed, so the decoded text starts with it exactly when the bytes
    // start with its encoding: a malformed sequence decodes to U+FFFD, which it does not hold.
    const auto size = std::string_view::size_type(m_utf8.size());
    if (utf8.size() < size)
        return Match::No;
    // Most records differ in the first byte: no call for them.
    if (size > 0 && (utf8[0] != m_utf8[0] ||
                     std::memcmp(utf8.data() + 1, m_utf8.constData() + 1, size - 1) != 0))
        return Match::No;
    // Any byte after the literal decodes to at least one character.
    return m_open || utf8.size() == size ? Match::Yes : Match::No;
}

bool PrefixPattern::narrows(const PrefixPattern &older) const
{
    if (!older.m_open || m_literal.size() < older.m_literal.size())
        return false;
    for (qsizetype i = 0; i < older.m_literal.size(); ++i) {
        if (older.m_literal[i] != u'_' && older.m_literal[i] != m_literal[i])
            return false;
    }
    return true;
}

PrefixPattern::Match PrefixPattern::matchUnits(std::string_view utf8, bool caseInsensitive) const
{
    Utf16Reader reader(utf8);
    const QString &literal = caseInsensitive ? m_folded : m_literal;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        char16_t unit = 0;
        switch (reader.next(unit)) {
        case Utf16Reader::End:
            return Match::No;
        case Utf16Reader::Malformed:
            return Match::Unknown;
        case Utf16Reader::Unit:
            break;
        }
        const QChar want = literal[i];
        if (m_literal[i] == u'_')
            continue;
        const QChar got = caseInsensitive ? QChar(unit).toCaseFolded() : QChar(unit);
        if (got != want)
            return Match::No;
    }
    if (m_open)
        return Match::Yes;
    char16_t unit = 0;
    return reader.next(unit) == Utf16Reader::End ? Match::Yes : Match::No;
}

} // namespace DataInternal
