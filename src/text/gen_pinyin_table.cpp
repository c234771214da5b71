// Writes pinyin_table.inc, the initial letters of GB2312's second-level characters, from ICU's
// transliteration. Run by hand: gen_pinyin_table > src/text/pinyin_table.inc
#include "text/gbk.h"

#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/uversion.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr int FirstLead = 0xD8;
constexpr int LastLead = 0xF7;
constexpr int FirstTrail = 0xA1;
constexpr int LastTrail = 0xFE;
constexpr int RowLength = LastTrail - FirstTrail + 1;

// The letters the mnemonic has always had at the start and the end of the table. Where ICU's
// reading differs (a rarer reading, or a character that was given none), these win, so that
// codes made before stay what they were.
constexpr std::string_view CustomaryFirst = "CJWGNSPGCGNESYPBTYYZDXYKYGTVJNNJQMBSGZSCYJSYYVPGKBZGYV"
                                            "YWJKGKLJSWKPJQHYVWVDZLSGMRYPYWWCCKZNKYYG";
constexpr std::string_view CustomaryLast = "DCYXYQDLQCAFYWYXQHZ";

char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// The initial of the character's pinyin, or 'V' when the bytes are no Han character or ICU
// gives it no Latin reading.
char letterOf(icu::Transliterator &toLatin, unsigned char lead, unsigned char trail)
{
    const std::u16string decoded = text::FromGbk(std::string{char(lead), char(trail)});
    if (decoded.size() != 1)
        return 'V';
    UErrorCode status = U_ZERO_ERROR;
    if (uscript_getScript(decoded[0], &status) != USCRIPT_HAN || U_FAILURE(status))
        return 'V';
    icu::UnicodeString reading(decoded.data(), int32_t(decoded.size()));
    toLatin.transliterate(reading);
    std::string latin;
    reading.toUTF8String(latin);
    const char first = latin.empty() ? '\0' : asciiUpper(latin[0]);
    return first >= 'A' && first <= 'Z' ? first : 'V';
}

} // namespace

int main()
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> toLatin(
        icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    if (U_FAILURE(status)) {
        std::fprintf(stderr, "cannot open the Han-Latin transliterator: %s\n", u_errorName(status));
        return 1;
    }

    std::string table;
    for (int lead = FirstLead; lead <= LastLead; ++lead) {
        for (int trail = FirstTrail; trail <= LastTrail; ++trail)
            table += letterOf(*toLatin, static_cast<unsigned char>(lead),
                              static_cast<unsigned char>(trail));
    }

    int overridden = 0;
    const auto keep = [&](size_t at, std::string_view letters) {
        for (size_t i = 0; i < letters.size(); ++i) {
            overridden += table[at + i] != letters[i];
            table[at + i] = letters[i];
        }
    };
    keep(0, CustomaryFirst);
    keep(table.size() - CustomaryLast.size(), CustomaryLast);
    std::fprintf(stderr, "%zu letters, %d of ICU's replaced by the customary ones\n", table.size(),
                 overridden);

    std::printf(
        "// Made by gen_pinyin_table from ICU %s's \"Han-Latin; Latin-ASCII\" (first letter, "
        "V for none), with the customary first %zu and last %zu letters; do not edit.\n",
        U_ICU_VERSION, CustomaryFirst.size(), CustomaryLast.size());
    for (size_t row = 0; row < table.size(); row += RowLength)
        std::printf("\"%s\"\n", table.substr(row, RowLength).c_str());
    return 0;
}
