// The pinyin initial of a GB2312 character and the mnemonic built from them.
#include "text/pinyin.h"

#include "text/gbk.h"

#include <algorithm>
#include <array>

namespace text {

namespace {

// Codes are lead byte × 256 + trail byte.
struct LetterRange
{
    int first;
    int last;
    char letter;
};

// GB2312's first level is ordered by pinyin, so each initial owns one run of codes.
constexpr std::array<LetterRange, 23> FirstLevel = {{
    {45217, 45252, 'A'}, {45253, 45760, 'B'}, {45761, 46317, 'C'}, {46318, 46825, 'D'},
    {46826, 47009, 'E'}, {47010, 47296, 'F'}, {47297, 47613, 'G'}, {47614, 48118, 'H'},
    {48119, 49061, 'J'}, {49062, 49323, 'K'}, {49324, 49895, 'L'}, {49896, 50370, 'M'},
    {50371, 50613, 'N'}, {50614, 50621, 'O'}, {50622, 50905, 'P'}, {50906, 51386, 'Q'},
    {51387, 51445, 'R'}, {51446, 52217, 'S'}, {52218, 52697, 'T'}, {52698, 52979, 'W'},
    {52980, 53688, 'X'}, {53689, 54480, 'Y'}, {54481, 55289, 'Z'},
}};

// The second level (lead bytes D8..F7) is ordered by radical, so it takes one letter per
// character: row by row, one letter for each trail byte A1..FE.
constexpr std::string_view SecondLevel =
#include "text/pinyin_table.inc"
    ;

constexpr int SecondLevelFirst = 55457; // D8A1
constexpr int SecondLevelLast = 63486;  // F7FE
constexpr int SecondLevelLead = 0xD8;
constexpr int TrailFirst = 0xA1;
constexpr int TrailLast = 0xFE;
constexpr int RowLength = TrailLast - TrailFirst + 1;

static_assert(SecondLevel.size() == size_t((0xF7 - SecondLevelLead + 1) * RowLength));

constexpr bool ordered()
{
    for (size_t i = 1; i < FirstLevel.size(); ++i) {
        if (FirstLevel[i].first != FirstLevel[i - 1].last + 1)
            return false;
    }
    return true;
}
static_assert(ordered(), "the first-level runs follow one another without a gap");

char initialOf(unsigned char lead, unsigned char trail)
{
    const int code = lead * 256 + trail;
    if (code >= SecondLevelFirst && code <= SecondLevelLast) {
        // Within these codes a trail byte outside A1..FE is no GB2312 character; left
        // unchecked it would index another row or outside the table.
        if (trail < TrailFirst || trail > TrailLast)
            return 'V';
        const int index = (lead - SecondLevelLead) * RowLength + (trail - 0xA0); // from 1
        return SecondLevel[size_t(index - 1)];
    }
    const auto range = std::upper_bound(FirstLevel.begin(), FirstLevel.end(), code,
                                        [](int c, const LetterRange &r) { return c < r.first; });
    if (range == FirstLevel.begin())
        return 'V';
    const LetterRange &candidate = *(range - 1);
    return code <= candidate.last ? candidate.letter : 'V';
}

} // namespace

std::string GetPY(std::string_view gbk)
{
    std::string result;
    for (size_t i = 0; i < gbk.size() && result.size() < MnemonicLength; ++i) {
        const auto byte = static_cast<unsigned char>(gbk[i]);
        if (byte <= 127) {
            result += char(byte);
        } else if (i + 1 < gbk.size()) {
            result += initialOf(byte, static_cast<unsigned char>(gbk[i + 1]));
            ++i;
        } else {
            result += 'V';
        }
    }
    return result;
}

std::string MnemonicOf(std::string_view utf8)
{
    // The walk reads at most two GBK bytes per letter. Every character (or malformed sequence)
    // takes at most four UTF-8 bytes and gives at least one GBK byte, so the characters that
    // start in this prefix and end in it supply all the bytes the walk reads, and a character
    // the cut splits lies beyond them. Long texts cost no more than short ones.
    constexpr size_t Enough = 4 * 2 * MnemonicLength;
    return GetPY(ToGbk(utf8.substr(0, Enough)));
}

} // namespace text
