// The one value order of the client's views: nulls first, numbers and dates by value, the
// rest as text, whatever storage type each side arrived in.
#include "client/data/valueorder.h"

#include <QDate>
#include <QDateTime>

#include <gtest/gtest.h>

namespace {

struct OrderCase
{
    const char *name;
    QVariant a;
    QVariant b;
    int expected;
};

TEST(ValueOrder, ComparesAcrossStorageTypes)
{
    const QDate day(2024, 1, 31);
    const OrderCase cases[] = {
        {"two nulls are equal", QVariant(), QVariant(QMetaType(QMetaType::Int)), 0},
        {"null sorts first", QVariant(), 0, -1},
        {"a value after null", QStringLiteral(""), QVariant(), 1},
        {"numbers by value, not text", 9, 10, -1},
        {"int against double", 2, 2.0, 0},
        {"double against int64", 2.5, qint64(2), 1},
        {"large IDs exactly", qint64(9007199254740993LL), qint64(9007199254740992LL), 1},
        {"boolean as number", true, 0, 1},
        {"dates by value", day, day.addDays(1), -1},
        {"date-times by value", QDateTime(day, QTime(10, 0)), QDateTime(day, QTime(9, 0)), 1},
        {"texts by code point", QStringLiteral("B"), QStringLiteral("a"), -1},
        {"text that looks like a number stays text", QStringLiteral("10"), QStringLiteral("9"), -1},
        {"number against its text", 12.0, QStringLiteral("12"), 0},
        {"date against its ISO text", day, QStringLiteral("2024-01-31"), 0},
    };
    for (const OrderCase &c : cases) {
        EXPECT_EQ(CompareValues(c.a, c.b), c.expected) << c.name;
        EXPECT_EQ(CompareValues(c.b, c.a), -c.expected) << c.name << " (reversed)";
        EXPECT_EQ(SameValue(c.a, c.b), c.expected == 0) << c.name;
    }
}

TEST(ValueOrder, LocaleOrderOnlyChangesTexts)
{
    EXPECT_EQ(CompareValues(9, 10, TTextOrder::Locale), -1);
    EXPECT_EQ(CompareValues(QVariant(), QStringLiteral("a"), TTextOrder::Locale), -1);
    EXPECT_EQ(CompareValues(QStringLiteral("abc"), QStringLiteral("abc"), TTextOrder::Locale), 0);
}

} // namespace
