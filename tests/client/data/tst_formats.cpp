// Number and date masks as the forms write them, and the exact round trip of edited numbers.
#include "client/data/dbtypes.h"
#include "client/data/formats.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct FloatCase
{
    const char16_t *format;
    double value;
    const char16_t *expected;
};

const FloatCase floatCases[] = {
    // the system's default display mask and its edit form
    {u"#,0.##", 1234.5, u"1,234.5"},
    {u"#,0.##", 0, u"0"},
    {u"#,0.##", 1234567.891, u"1,234,567.89"},
    {u"#,0.##", -1234.5, u"-1,234.5"},
    {u"#,0.##", 0.004, u"0"},
    {u"#,0.##", 0.005, u"0.01"},
    {u"#,0.##", 12, u"12"},
    {u"0.##", 1234.5, u"1234.5"},
    // amounts
    {u"#,0.00", 1234.5, u"1,234.50"},
    {u"#,0.00", 0, u"0.00"},
    {u"#,0.00", 999.995, u"1,000.00"},
    {u"#,0.00", -0.004, u"0.00"},
    {u"#,0.00", 1234567, u"1,234,567.00"},
    {u"#,##0.00", 1234.567, u"1,234.57"},
    {u"#,##0.00", 12.345, u"12.35"},
    {u"0.00", 1234.567, u"1234.57"},
    {u"0.00", -1234.565, u"-1234.57"},
    // half away from zero on the decimal digits as written
    {u"0.00", 0.125, u"0.13"},
    {u"0.00", 1.005, u"1.01"},
    {u"0.00", 2.675, u"2.68"},
    {u"0", 2.5, u"3"},
    {u"0", -2.5, u"-3"},
    {u"0", 0.4, u"0"},
    {u"0.00", 0.1 + 0.2, u"0.30"},
    // money with a literal currency sign
    {u"￥,0.00", 1234.5, u"￥1,234.50"},
    {u"￥,0.00", -5, u"-￥5.00"},
    // "%" is a literal: the value is not multiplied
    {u"0.0%", 17, u"17.0%"},
    {u"0.0%", 12.35, u"12.4%"},
    {u"#.##%", 0, u"%"},
    {u"#.##%", 0.5, u".5%"},
    {u"#.##%", 12.345, u"12.35%"},
    // quantities
    {u"#,0.###", 1234.5678, u"1,234.568"},
    {u"#,0.###", 0.0004, u"0"},
    {u"#,0.###", 0.0005, u"0.001"},
    // placeholders
    {u"#", 0, u""},
    {u"#", 5, u"5"},
    {u"000", 7, u"007"},
    {u"0.0#", 0.5, u"0.5"},
    {u"0.0#", 0.25, u"0.25"},
    {u"#,0", 1234567890123.0, u"1,234,567,890,123"},
    {u"'No.' 0", 5, u"No. 5"},
    {u"\"#\"0", 5, u"#5"},
    // sections
    {u"#,0.00;(#,0.00)", -1234.5, u"(1,234.50)"},
    {u"#,0.00;(#,0.00)", 1234.5, u"1,234.50"},
    {u"0.00;-0.00;'zero'", 0, u"zero"},
    {u"0.00;-0.00;'zero'", -0.001, u"zero"},
    {u"0;;'none'", -5, u"-5"},
    {u"0.00;(0.00)", -0.001, u"0.00"},
    // scientific
    {u"0.00E+00", 1234.5, u"1.23E+03"},
    {u"0.00E+00", 0.00012345, u"1.23E-04"},
    {u"0.0E-0", 1234.5, u"1.2E3"},
    // no mask: the general form
    {u"", 1234.5, u"1234.5"},
};

} // namespace

TEST(FormatFloat, MasksOfTheForms)
{
    for (const FloatCase &c : floatCases) {
        EXPECT_EQ(FormatFloat(QStringView(c.format), c.value), QString::fromUtf16(c.expected))
            << "mask \"" << QString::fromUtf16(c.format).toStdString() << "\" value " << c.value;
    }
}

TEST(FormatFloat, GeneralFormHasFifteenSignificantDigits)
{
    EXPECT_EQ(FloatToStr(0.1), u"0.1");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), u"0.3");
    EXPECT_EQ(FloatToStr(1234.5), u"1234.5");
    EXPECT_EQ(FloatToStr(-0.0), u"0");
    EXPECT_EQ(FloatToStr(1e20), u"1E20");
    EXPECT_EQ(FloatToStr(1.5e-7), u"1.5E-7");
    EXPECT_EQ(FloatToStr(0.0001), u"0.0001");
    EXPECT_EQ(FloatToStr(0.00001), u"0.00001");
    EXPECT_EQ(FloatToStr(123456789012345678.0), u"1.23456789012346E17");
    EXPECT_EQ(FloatToStr(100), u"100");
}

TEST(FormatFloat, RoundToRoundsTheWrittenDecimals)
{
    EXPECT_EQ(RoundTo(1.005, 2), 1.01);
    EXPECT_EQ(RoundTo(2.5, 0), 3.0);
    EXPECT_EQ(RoundTo(-2.5, 0), -3.0);
    EXPECT_EQ(RoundTo(1234.567, 2), 1234.57);
    EXPECT_EQ(RoundTo(0.004, 2), 0.0);
}

// A value formatted with a mask and parsed back is the double the text denotes, and formatting
// it again gives the same text: what an edit form stores is what the user saw.
TEST(FormatFloat, FormattedValuesSurviveTheRoundTrip)
{
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> amounts(-1e9, 1e9);
    for (const char16_t *mask : {u"0.00", u"0.##", u"0.###", u"0"}) {
        for (int i = 0; i < 20000; ++i) {
            const double value = i < 10 ? i * 0.005 : amounts(random) / double(1 + i % 1000);
            const QString text = FormatFloat(QStringView(mask), value);
            double parsed = 0;
            ASSERT_TRUE(TryStrToFloat(text, parsed)) << text.toStdString();
            EXPECT_EQ(FormatFloat(QStringView(mask), parsed), text);
            EXPECT_EQ(parsed, text.toDouble());
        }
    }
}

TEST(StrToFloat, AcceptsWhatTheMasksProduce)
{
    double v = 0;
    EXPECT_TRUE(TryStrToFloat(u"1,234.50", v));
    EXPECT_EQ(v, 1234.5);
    EXPECT_TRUE(TryStrToFloat(u" 12 ", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(TryStrToFloat(u"-0.5", v));
    EXPECT_EQ(v, -0.5);
    EXPECT_TRUE(TryStrToFloat(u".5", v));
    EXPECT_EQ(v, 0.5);
    EXPECT_TRUE(TryStrToFloat(u"5.", v));
    EXPECT_EQ(v, 5);
    EXPECT_TRUE(TryStrToFloat(u"1e3", v));
    EXPECT_EQ(v, 1000);
    EXPECT_FALSE(TryStrToFloat(u"1,23", v));
    EXPECT_FALSE(TryStrToFloat(u"abc", v));
    EXPECT_FALSE(TryStrToFloat(u"", v));
    EXPECT_FALSE(TryStrToFloat(u"12abc", v));
    EXPECT_THROW(StrToFloat(u"x"), EConvertError);
    qint64 n = 0;
    EXPECT_TRUE(TryStrToInt64(u"1,234", n));
    EXPECT_EQ(n, 1234);
    EXPECT_FALSE(TryStrToInt64(u"12.5", n));
}

TEST(FormatDateTime, MasksAndDefaults)
{
    const QDateTime noon(QDate(2024, 3, 1), QTime(13, 5, 9));
    const QDate day(2024, 3, 1);
    EXPECT_EQ(FormatDateTime(u"yyyy-mm-dd", day), u"2024-03-01");
    EXPECT_EQ(FormatDateTime(u"YYYY-MM-DD 23:59:59", day), u"2024-03-01 23:59:59");
    EXPECT_EQ(FormatDateTime(u"yyyy-mm-dd hh:nn:ss", noon), u"2024-03-01 13:05:09");
    EXPECT_EQ(FormatDateTime(u"hh:mm", noon), u"13:05");
    EXPECT_EQ(FormatDateTime(u"yy/m/d", noon), u"24-3-1");
    EXPECT_EQ(FormatDateTime(u"h:nn am/pm", noon), u"1:05 pm");
    EXPECT_EQ(FormatDateTime(u"c", noon), u"2024-03-01 13:05:09");
    EXPECT_EQ(FormatDateTime(u"c", day), u"2024-03-01");
    EXPECT_EQ(FormatDateTime(u"'Day' d", day), u"Day 1");
    EXPECT_EQ(FormatDateTime(u"yyyy-mm-dd", QDate()), u"");
}

TEST(FormatDateTime, ParsingAndTheNumberForm)
{
    QDate date;
    EXPECT_TRUE(TryStrToDate(u"2024-3-1", date));
    EXPECT_EQ(date, QDate(2024, 3, 1));
    EXPECT_TRUE(TryStrToDate(u"2024/03/01", date));
    EXPECT_FALSE(TryStrToDate(u"2024-02-30", date));
    EXPECT_FALSE(TryStrToDate(u"01-03-2024", date));
    QDateTime dt;
    EXPECT_TRUE(TryStrToDateTime(u"2024-03-01 09:00", dt));
    EXPECT_EQ(dt, QDateTime(QDate(2024, 3, 1), QTime(9, 0)));
    EXPECT_TRUE(TryStrToDateTime(u"2024-03-01T17:30:15.5", dt));
    EXPECT_EQ(dt.time(), QTime(17, 30, 15, 500));
    EXPECT_THROW(StrToDateTime(u"yesterday"), EConvertError);

    EXPECT_EQ(DateTimeToFloat(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    EXPECT_EQ(DateTimeToFloat(QDateTime(QDate(2024, 3, 1), QTime(12, 0))), 45352.5);
    EXPECT_EQ(FloatToDateTime(45352.75), QDateTime(QDate(2024, 3, 1), QTime(18, 0)));
    EXPECT_EQ(FloatToDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_EQ(DateTimeToFloat(FloatToDateTime(-1.25)), -1.25);
}
