// The calculator's arithmetic and the lunar dates of the perpetual calendar.
#include "client/common/lunar.h"
#include "client/forms/calculator.h"
#include "client/forms/calendar.h"

#include <gtest/gtest.h>

namespace {

// Runs keys as the calculator's buttons name them, separated by blanks.
QString calculate(const char *keys)
{
    TCalculatorEngine engine;
    for (const QString &key : QString::fromUtf8(keys).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (key[0].isDigit() || (key.size() > 1 && key.contains(QLatin1Char('.')))) {
            for (const QChar ch : key) {
                if (ch == QLatin1Char('.'))
                    engine.Point();
                else
                    engine.Digit(ch.digitValue());
            }
        } else if (key == QLatin1String("=")) {
            engine.Equals();
        } else if (key == QLatin1String("%")) {
            engine.Percent();
        } else if (key == QLatin1String("neg")) {
            engine.Negate();
        } else if (key == QLatin1String("bs")) {
            engine.Backspace();
        } else if (key == QLatin1String("CE")) {
            engine.ClearEntry();
        } else if (key == QLatin1String("C")) {
            engine.Clear();
        } else {
            engine.Operator(key[0].toLatin1());
        }
    }
    return engine.Display();
}

} // namespace

TEST(Calculator, Sequences)
{
    const std::pair<const char *, const char *> cases[] = {
        {"0.1 + 0.2 =", "0.3"},    {"1234.56 + 99.44 =", "1334"},
        {"3 * 10 * 0.9 =", "27"},  {"50 / 4 =", "12.5"},
        {"2 + 3 * 4 =", "20"}, // as a pocket calculator: left to right
        {"10 - 12 =", "-2"},       {"200 + 10 % =", "220"},
        {"50 %", "0.5"},           {"7 neg + 2 =", "-5"},
        {"123 bs bs 9", "19"},     {"5 + 3 CE 4 =", "9"},
        {"5 + 3 C 4 =", "4"},      {"1 / 3 =", "0.333333333333"},
        {"1 / 0 =", "不能除以零"}, {"1 / 0 = 7", "7"},
        {"9 = = ", "9"},           {"1.5.5", "1.55"},
        {"0 0 0 7", "7"},          {"19.99 * 3 =", "59.97"},
    };
    for (const auto &[keys, shown] : cases)
        EXPECT_EQ(calculate(keys), QString::fromUtf8(shown)) << keys;
}

TEST(Calculator, TextOfValues)
{
    EXPECT_EQ(CalculatorText(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(CalculatorText(1e15 * 10), QStringLiteral("1e+16"));
    EXPECT_EQ(CalculatorText(-1234.5), QStringLiteral("-1234.5"));
    EXPECT_EQ(CalculatorText(100), QStringLiteral("100"));
}

TEST(Lunar, KnownDays)
{
    struct Case
    {
        QDate date;
        const char *year;
        const char *animal;
        const char *text;
        const char *cell;
    };
    const Case cases[] = {
        {QDate(2024, 2, 10), "甲辰", "龙", "农历甲辰年正月初一", "正月"},
        {QDate(2023, 3, 22), "癸卯", "兔", "农历癸卯年闰二月初一", "闰二月"},
        {QDate(2026, 2, 17), "丙午", "马", "农历丙午年正月初一", "正月"},
        {QDate(2026, 2, 16), "乙巳", "蛇", "农历乙巳年腊月廿九", "廿九"},
        {QDate(2025, 1, 28), "甲辰", "龙", "农历甲辰年腊月廿九", "廿九"},
        {QDate(2024, 9, 17), "甲辰", "龙", "农历甲辰年八月十五", "十五"},
        {QDate(2024, 12, 31), "甲辰", "龙", "农历甲辰年腊月初一", "腊月"},
        {QDate(2024, 12, 30), "甲辰", "龙", "农历甲辰年冬月三十", "三十"},
        {QDate(2024, 12, 1), "甲辰", "龙", "农历甲辰年冬月初一", "冬月"},
        {QDate(2000, 2, 5), "庚辰", "龙", "农历庚辰年正月初一", "正月"},
    };
    for (const Case &c : cases) {
        const TLunarDate lunar = LunarDateOf(c.date);
        ASSERT_TRUE(lunar.Valid) << c.date.toString().toStdString();
        EXPECT_EQ(SexagenaryYearName(lunar.CycleYear), QString::fromUtf8(c.year)) << c.text;
        EXPECT_EQ(ZodiacAnimal(lunar.CycleYear), QString::fromUtf8(c.animal)) << c.text;
        EXPECT_EQ(LunarDateText(lunar), QString::fromUtf8(c.text));
        EXPECT_EQ(LunarCellText(lunar), QString::fromUtf8(c.cell)) << c.text;
    }
    EXPECT_EQ(LunarDayName(20), QStringLiteral("二十"));
    EXPECT_EQ(LunarDayName(30), QStringLiteral("三十"));
    EXPECT_EQ(LunarDayName(11), QStringLiteral("十一"));
    EXPECT_FALSE(LunarDateOf(QDate()).Valid);
    EXPECT_EQ(CalendarDayText(QDate(2026, 12, 6)),
              QStringLiteral("2026年12月6日 星期日 农历丙午年十月廿八 (马年)"));
}
