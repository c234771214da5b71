// Conversions to and from GBK: two bytes per Chinese character, one per ASCII character, and
// one two-byte substitute for a character GBK has no code for.
#include "text/gbk.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case
{
    const char *rule;
    const char *utf8;
    const char16_t *utf16;
    const char *gbk;
};

const Case Cases[] = {
    {"empty", "", u"", ""},
    {"ASCII is one byte", "A4 x", u"A4 x", "A4 x"},
    {"Chinese is two bytes", "中文", u"中文", "\xD6\xD0\xCE\xC4"},
    {"full-width symbol", "！", u"！", "\xA3\xA1"},
    {"GBK extension character", "們", u"們", "\x82\x83"},
    {"emoji becomes the full-width question mark", "A😀", u"A😀", "A\xA3\xBF"},
    {"euro is the one byte 80", "€", u"€", "\x80"},
};

TEST(Gbk, FromUtf8AndUtf16Alike)
{
    for (const Case &c : Cases) {
        EXPECT_EQ(text::ToGbk(std::string_view(c.utf8)), c.gbk) << c.rule;
        EXPECT_EQ(text::ToGbk(std::u16string_view(c.utf16)), c.gbk) << c.rule;
    }
}

TEST(Gbk, MalformedInputIsOneSubstitute)
{
    EXPECT_EQ(text::ToGbk(std::string_view("\xFF"
                                           "B")),
              "\xA3\xBF"
              "B");
    EXPECT_EQ(text::ToGbk(std::string_view("A\xE4\xB8")), "A\xA3\xBF");
    const char16_t lone[] = {u'A', char16_t(0xDC00), u'B'};
    EXPECT_EQ(text::ToGbk(std::u16string_view(lone, 3)), "A\xA3\xBF"
                                                         "B");
}

TEST(Gbk, ReadsBackWhatItWrote)
{
    for (const Case &c : Cases) {
        const std::u16string utf16(c.utf16);
        if (utf16.find(u"😀") != std::u16string::npos)
            continue; // the substitute reads back as itself
        EXPECT_EQ(text::FromGbk(text::ToGbk(std::u16string_view(utf16))), utf16) << c.rule;
    }
    EXPECT_EQ(text::FromGbk("A\xA3\xBF"), u"A？");
}

TEST(Gbk, BytesThatAreNoCharacterReadAsReplacement)
{
    EXPECT_EQ(text::FromGbk("A\x81 "), u"A\uFFFD ");
    EXPECT_EQ(text::FromGbk("A\x81"), u"A\uFFFD");
}

} // namespace
