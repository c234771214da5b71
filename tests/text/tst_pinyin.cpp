// The mnemonic: the byte walk over GBK, the initial letters of both levels of GB2312, the
// guards against bytes that are no GB2312 character, and MnemonicOf on UTF-8 text.
#include "text/gbk.h"
#include "text/pinyin.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int value : values)
        out += char(value);
    return out;
}

struct GbkCase
{
    const char *rule;
    std::string gbk;
    const char *mnemonic;
};

TEST(GetPY, WalksGbkBytes)
{
    const GbkCase cases[] = {
        {"empty gives empty", "", ""},
        {"ASCII passes unchanged", "a4-Z 9", "a4-Z "},
        {"three capitals then 中文", "ABC" + bytes({0xD6, 0xD0, 0xCE, 0xC4}), "ABCZW"},
        {"cut to five", "ABCDEFG", "ABCDE"},
        {"full-width ！ is no hanzi", bytes({0xA3, 0xA1}), "V"},
        {"first code of A", bytes({0xB0, 0xA1}), "A"},
        {"just below A", bytes({0xB0, 0xA0}), "V"},
        {"last of A, first of B", bytes({0xB0, 0xC4, 0xB0, 0xC5}), "AB"},
        {"the O run", bytes({0xC5, 0xB6, 0xC5, 0xBD, 0xC5, 0xBE}), "OOP"},
        {"last of the first level", bytes({0xD7, 0xF9}), "Z"},
        {"after the first level", bytes({0xD7, 0xFA}), "V"},
        {"just below the second level", bytes({0xD8, 0xA0}), "V"},
        {"second level, index 1", bytes({0xD8, 0xA1}), "C"},
        {"second level, index 3008", bytes({0xF7, 0xFE}), "Z"},
        {"after the second level", bytes({0xF7, 0xFF}), "V"},
        {"beyond GB2312", bytes({0xF8, 0xA1}), "V"},
        {"GBK extension in the first level's codes", bytes({0xB1, 0x40}), "B"},
        {"second level, trail below A1", bytes({0xD9, 0x40}), "V"},
        {"second level, trail FF", bytes({0xE0, 0xFF}), "V"},
        {"a trail byte is skipped even when ASCII", bytes({0xE0, 0x41}) + "B", "VB"},
        {"lone lead byte at the end", "A" + bytes({0xB0}), "AV"},
        {"lone second-level lead byte at the end", bytes({0xF7}), "V"},
        {"办公用品经营: six characters, five letters",
         bytes({0xB0, 0xEC, 0xB9, 0xAB, 0xD3, 0xC3, 0xC6, 0xB7, 0xBE, 0xAD, 0xD3, 0xAA}), "BGYPJ"},
    };
    for (const GbkCase &c : cases)
        EXPECT_EQ(text::GetPY(c.gbk), c.mnemonic) << c.rule;

    // A lead byte at the end of the view has its trail outside it, never read.
    const std::string buffer = "A" + bytes({0xB0, 0xA1});
    EXPECT_EQ(text::GetPY(std::string_view(buffer).substr(0, 2)), "AV");
}

// The first row of the second level and the end of its last row, as the letters have always
// been; ICU's readings differ from some of them.
TEST(GetPY, SecondLevelKeepsTheCustomaryLetters)
{
    const std::string first =
        "CJWGNSPGCGNESYPBTYYZDXYKYGTVJNNJQMBSGZSCYJSYYVPGKBZGYVYWJKGKLJSWKPJQHYVWVDZLSGMRYPYWWCC"
        "KZNKYYG";
    const std::string last = "DCYXYQDLQCAFYWYXQHZ";
    ASSERT_EQ(first.size(), 94u);
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(text::GetPY(bytes({0xD8, int(0xA1 + i)})), first.substr(i, 1)) << "D8 " << i;
    for (size_t i = 0; i < last.size(); ++i) {
        const int trail = 0xFE - int(last.size() - 1 - i);
        EXPECT_EQ(text::GetPY(bytes({0xF7, trail})), last.substr(i, 1)) << "F7 " << trail;
    }
}

TEST(GetPY, EverySecondLevelCodeGivesACapital)
{
    for (int lead = 0xD8; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const std::string letter = text::GetPY(bytes({lead, trail}));
            ASSERT_EQ(letter.size(), 1u);
            EXPECT_TRUE(letter[0] >= 'A' && letter[0] <= 'Z') << lead << ' ' << trail;
        }
    }
}

struct Utf8Case
{
    const char *rule;
    const char *utf8;
    const char *mnemonic;
};

const Utf8Case Utf8Cases[] = {
    {"empty gives empty", "", ""},
    {"six characters give five letters", "办公用品经营", "BGYPJ"},
    {"digits and Latin pass unchanged", "A4复印纸", "A4FYZ"},
    {"lower case stays lower case", "m6螺丝", "m6LS"},
    {"a blank counts", "中性 笔", "ZX B"},
    {"full-width symbol", "！", "V"},
    {"second level", "亍", "C"},
    {"traditional character outside GB2312", "們", "V"},
    {"emoji GBK cannot encode is one V", "A😀B", "AVB"},
    {"invalid UTF-8 is one V",
     "A\xFF"
     "B",
     "AVB"},
    {"truncated UTF-8 at the end", "A\xE4\xB8", "AV"},
    // Code page 936 writes € as the single byte 80, which pairs with the byte after it.
    {"the one-byte euro takes the next byte along", "€AB", "VB"},
};

TEST(MnemonicOf, IsGetPYOfTheGbkBytes)
{
    for (const Utf8Case &c : Utf8Cases) {
        EXPECT_EQ(text::MnemonicOf(c.utf8), c.mnemonic) << c.rule;
        EXPECT_EQ(text::MnemonicOf(c.utf8), text::GetPY(text::ToGbk(c.utf8))) << c.rule;
    }
}

// MnemonicOf converts only the start of a long text; whatever stands before and after the
// place it stops, the result is that of the whole text.
TEST(MnemonicOf, LongTextsGiveTheMnemonicOfTheWholeText)
{
    const char *const pieces[] = {"a", "€", "中", "😀", "\xFF", "\xE4\xB8", "們", "！"};
    for (const char *padding : pieces) {
        for (const char *tail : pieces) {
            for (int count = 0; count <= 12; ++count) {
                std::string utf8;
                for (int i = 0; i < count; ++i)
                    utf8 += padding;
                for (int i = 0; i < 12; ++i)
                    utf8 += tail;
                EXPECT_EQ(text::MnemonicOf(utf8), text::GetPY(text::ToGbk(utf8)))
                    << count << " x " << padding << " then " << tail;
            }
        }
    }
}

TEST(MnemonicOf, ManyThreadsAtOnce)
{
    std::vector<std::string> expected;
    for (const Utf8Case &c : Utf8Cases)
        expected.push_back(c.mnemonic);
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < mismatches.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 2000; ++round) {
                for (size_t i = 0; i < expected.size(); ++i)
                    mismatches[t] += text::MnemonicOf(Utf8Cases[i].utf8) != expected[i];
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (const int count : mismatches)
        EXPECT_EQ(count, 0);
}

} // namespace
