// The shared routines that need no server: quoting, the two SQL dialects, value routines,
// GBK text and the mnemonic code, the default date range and the attribute column plan.
#include "client/common/attrcolumns.h"
#include "client/common/defaultdates.h"
#include "client/common/gbk.h"
#include "client/common/pinyin.h"
#include "client/common/sqltext.h"
#include "client/common/valueroutines.h"
#include "client/core/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QDate &date, std::ostream *os)
{
    *os << date.toString(Qt::ISODate).toStdString();
}

TEST(Quoting, DoublesQuotesSoNamesWithApostrophesWork)
{
    EXPECT_EQ(QuotedStr(QStringLiteral("O'Neil")), QStringLiteral("'O''Neil'"));
    EXPECT_EQ(QuotedStr(QString()), QStringLiteral("''"));
    EXPECT_EQ(QuotedStr(QStringLiteral("''")), QStringLiteral("''''''"));
    EXPECT_EQ(QuotedStr(QStringLiteral("螺丝")), QStringLiteral("'螺丝'"));
}

TEST(Dialect, DateLiteralsQuoteWithHashForJetAndApostropheOtherwise)
{
    const QDate date(2024, 3, 1);
    EXPECT_EQ(SQLDate(0, date), QStringLiteral("#2024-03-01#"));
    EXPECT_EQ(SQLDate(1, date), QStringLiteral("'2024-03-01'"));
    EXPECT_EQ(SQLDate(2, date), QStringLiteral("'2024-03-01'"));
}

TEST(Dialect, DateRangeOnTheHeaderAlias)
{
    const QDate from(2024, 1, 1), to(2024, 1, 31);
    EXPECT_EQ(SQLDateRange(0, true, from, to),
              QStringLiteral(" and M.RQ >=#2024-01-01# and M.RQ <=#2024-01-31#"));
    EXPECT_EQ(SQLDateRange(1, false, from, to), QStringLiteral(" and M.RQ <='2024-01-31'"));
}

TEST(Dialect, IifBecomesCaseWithHashDatesRequoted)
{
    EXPECT_EQ(
        SQLIif(0, QStringLiteral("RQ < #2024-03-01#"), QStringLiteral("JE"), QStringLiteral("0")),
        QStringLiteral("iif(RQ < #2024-03-01#,JE,0) "));
    EXPECT_EQ(
        SQLIif(1, QStringLiteral("RQ < #2024-03-01#"), QStringLiteral("JE"), QStringLiteral("0")),
        QStringLiteral("case when RQ < '2024-03-01' then JE else 0 end "));
}

TEST(Dialect, IsNull)
{
    EXPECT_EQ(SQLIsNull(0, QStringLiteral("sum(JE)")),
              QStringLiteral("iif(isnull(sum(JE)),0,sum(JE))"));
    EXPECT_EQ(SQLIsNull(1, QStringLiteral("sum(JE)")), QStringLiteral("isnull(sum(JE),0)"));
}

TEST(Dialect, EndOfDayIsTheDateTimeNumberOfTheLastSecond)
{
    // 2024-03-01 is day 45352 after 1899-12-30; 23:59:59 is 86399/86400 of a day.
    EXPECT_EQ(EndOfDayValue(QStringLiteral("2024-03-01")), QStringLiteral("45352.9999884259"));
    EXPECT_EQ(EndOfDayValue(QStringLiteral("1899-12-30")), QStringLiteral("0.999988425925926"));
    EXPECT_EQ(EndOfDayValue(QStringLiteral("not a date")), QString());
}

TEST(Values, NumbersFromVariantsTreatNullAsZero)
{
    EXPECT_EQ(VarToFloatText(QVariant()), QStringLiteral("0"));
    EXPECT_EQ(VarToFloatText(QVariant(QMetaType(QMetaType::Double))), QStringLiteral("0"));
    EXPECT_EQ(VarToFloatText(1234.5), QStringLiteral("1234.5"));
    EXPECT_EQ(VarToFloatText(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(VarToFloatText(-7), QStringLiteral("-7"));
    EXPECT_EQ(VarToFloatText(1e20), QStringLiteral("1E20"));
    EXPECT_EQ(VarToFloatText(QDate(2024, 3, 1)), QStringLiteral("45352"));
    EXPECT_DOUBLE_EQ(VarToFloat(QVariant()), 0);
    EXPECT_DOUBLE_EQ(VarToFloat(QStringLiteral("1,234.5")), 1234.5);
    EXPECT_DOUBLE_EQ(VarToFloat(QStringLiteral("abc")), 0);
}

TEST(Values, RoundToRoundsHalfAwayFromZeroOnTheShownDigits)
{
    EXPECT_DOUBLE_EQ(RoundTo(1.005, 2), 1.01); // 1.00499999... in binary
    EXPECT_DOUBLE_EQ(RoundTo(1234.567, 2), 1234.57);
    EXPECT_DOUBLE_EQ(RoundTo(2.5, 0), 3);
    EXPECT_DOUBLE_EQ(RoundTo(-2.5, 0), -3);
    EXPECT_DOUBLE_EQ(RoundTo(0.125, 2), 0.13);
    EXPECT_DOUBLE_EQ(RoundTo(0.004, 2), 0);
    EXPECT_DOUBLE_EQ(RoundTo(QVariant(), 2), 0);
    EXPECT_DOUBLE_EQ(RoundTo(QStringLiteral("3.14159"), 3), 3.142);
    EXPECT_DOUBLE_EQ(RoundTo(123456789.125, 2), 123456789.13);
    // rounding again changes nothing
    EXPECT_DOUBLE_EQ(RoundTo(RoundTo(8.345, 2), 2), 8.35);
}

TEST(Values, SmallUtilities)
{
    EXPECT_TRUE(IsZeroText(QString()));
    EXPECT_TRUE(IsZeroText(QStringLiteral("0,000.00")));
    EXPECT_TRUE(IsZeroText(QStringLiteral("-0")));
    EXPECT_FALSE(IsZeroText(QStringLiteral("1,000")));
    EXPECT_FALSE(IsZeroText(QStringLiteral("abc")));

    EXPECT_EQ(DecimalMask(0), QStringLiteral("0"));
    EXPECT_EQ(RepeatText(QStringLiteral("ab"), -1), QString());

    EXPECT_TRUE(KeyFilterNumeric(QLatin1Char('7')));
    EXPECT_TRUE(KeyFilterNumeric(QLatin1Char('-')));
    EXPECT_TRUE(KeyFilterNumeric(QLatin1Char('.')));
    EXPECT_TRUE(KeyFilterNumeric(QChar(8)));
    EXPECT_FALSE(KeyFilterNumeric(QLatin1Char('a')));
    EXPECT_FALSE(KeyFilterNumeric(QLatin1Char(',')));
    EXPECT_FALSE(KeyFilterNumeric(QChar(0x4E00)));

    EXPECT_EQ(ChineseDigit(QStringLiteral("1")), QStringLiteral("一"));
    EXPECT_EQ(ChineseDigit(QStringLiteral("9")), QStringLiteral("九"));
    EXPECT_EQ(ChineseDigit(QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(ChineseDigit(QStringLiteral("10")), QStringLiteral("0"));
}

TEST(Values, SplitTextKeepsInnerEmptyPiecesAndDropsATrailingOne)
{
    EXPECT_EQ(SplitText(QStringLiteral("a;b;"), QStringLiteral(";")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(SplitText(QStringLiteral("a;;b"), QStringLiteral(";")),
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_EQ(SplitText(QStringLiteral("a||b"), QStringLiteral("||")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(SplitText(QStringLiteral(";"), QStringLiteral(";")), QStringList{QString()});
    EXPECT_FALSE(SplitText(QString(), QStringLiteral(";")).has_value());
    EXPECT_FALSE(SplitText(QStringLiteral("a"), QString()).has_value());
}

TEST(Values, MonthAndYearBounds)
{
    EXPECT_EQ(StartOfYear(QDate(2024, 7, 9)), QDate(2024, 1, 1));
    EXPECT_EQ(StartOfMonth(QDate(2024, 7, 9)), QDate(2024, 7, 1));
    EXPECT_EQ(EndOfMonth(QDate(2024, 2, 3)), QDate(2024, 2, 29));
    EXPECT_EQ(EndOfMonth(QDate(2023, 2, 3)), QDate(2023, 2, 28));
    EXPECT_EQ(EndOfMonth(QDate(2024, 12, 31)), QDate(2024, 12, 31));
}

TEST(DefaultDates, EachChoiceOfTheSettingsWindow)
{
    const QDate today(2024, 3, 15);
    auto range = [&](int choice, int days, int kjqj) {
        const TDateRange r = DefaultDateRange(choice, days, kjqj, today);
        return std::make_pair(r.From, r.To);
    };
    EXPECT_EQ(range(ddToday, 0, 1), std::make_pair(today, today));
    EXPECT_EQ(range(ddThisMonth, 0, 1), std::make_pair(QDate(2024, 3, 1), QDate(2024, 3, 31)));
    EXPECT_EQ(range(ddDaysBack, 10, 1), std::make_pair(QDate(2024, 3, 5), today));
    EXPECT_EQ(range(ddAccountingMonth, 0, 26),
              std::make_pair(QDate(2024, 2, 26), QDate(2024, 3, 25)));
    EXPECT_EQ(range(ddAccountingMonth, 0, 1),
              std::make_pair(QDate(2024, 3, 1), QDate(2024, 3, 31)));
    // February has no 31st: the period starts on its last day
    EXPECT_EQ(range(ddAccountingMonth, 0, 31),
              std::make_pair(QDate(2024, 2, 29), QDate(2024, 3, 28)));
    EXPECT_EQ(range(ddAll, 0, 1), std::make_pair(QDate(2024, 3, 1), QDate(2024, 3, 31)));
    // January looks back into December of the year before
    const TDateRange january = DefaultDateRange(ddAccountingMonth, 0, 20, QDate(2024, 1, 10));
    EXPECT_EQ(january.From, QDate(2023, 12, 20));
    EXPECT_EQ(january.To, QDate(2024, 1, 19));
}

TEST(DefaultDates, ReadFromTheWorkstationSettingsFile)
{
    QTemporaryDir dir;
    SetExeDir(dir.path());
    const QDate today(2024, 3, 15);
    // no file: this month
    TDateRange r = DefaultDateRange(today);
    EXPECT_EQ(r.From, QDate(2024, 3, 1));
    EXPECT_EQ(r.To, QDate(2024, 3, 31));

    QDir(dir.path()).mkdir(QStringLiteral("System"));
    QFile file(QDir(dir.path()).filePath(QStringLiteral("System/SystemSet.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[CurrentWork]\r\nItemIndex=2\r\nDay=7\r\nKJQJ=26\r\n");
    file.close();
    r = DefaultDateRange(today);
    EXPECT_EQ(r.From, QDate(2024, 3, 8));
    EXPECT_EQ(r.To, today);
    SetExeDir(QString());
}

TEST(AttrColumns, FollowTheLastVisibleAnchor)
{
    const QList<TAttrItem> attributes{{QStringLiteral("SX1"), QStringLiteral("颜色")},
                                      {QStringLiteral("SX4"), QStringLiteral("长度")}};
    const QList<TGridColumnInfo> columns{
        {QStringLiteral("HH"), true},  {QStringLiteral("aBH"), true}, {QStringLiteral("aPM"), true},
        {QStringLiteral("aGG"), true}, {QStringLiteral("MC"), false}, {QStringLiteral("SL"), true}};
    const QList<TAttrColumn> plan = PlanAttrColumns(columns, attributes);
    ASSERT_EQ(plan.size(), 2);
    // aGG at 3 is the last visible anchor (MC is hidden): the attributes follow it
    EXPECT_EQ(plan[0].FieldName, QStringLiteral("SX1"));
    EXPECT_EQ(plan[0].Caption, QStringLiteral("颜色"));
    EXPECT_EQ(plan[0].Index, 4);
    EXPECT_EQ(plan[0].Width, 80);
    EXPECT_EQ(plan[0].DisplayFormat, QString());
    EXPECT_EQ(plan[1].Index, 5);
    EXPECT_EQ(plan[1].Width, 40);
    EXPECT_EQ(plan[1].DisplayFormat, QStringLiteral("0.00"));

    // no anchor, or one in the second place: nothing
    EXPECT_TRUE(PlanAttrColumns({{QStringLiteral("SL"), true}}, attributes).isEmpty());
    EXPECT_TRUE(
        PlanAttrColumns({{QStringLiteral("BH"), true}, {QStringLiteral("MC"), true}}, attributes)
            .isEmpty());
    // an anchor in the first place: right after it
    const QList<TAttrColumn> first =
        PlanAttrColumns({{QStringLiteral("GG"), true}, {QStringLiteral("SL"), true}}, attributes);
    ASSERT_EQ(first.size(), 2);
    EXPECT_EQ(first[0].Index, 1);
}

TEST(Mnemonic, GetPYOfTheNameAsTheEditFormsStoreIt)
{
    const std::pair<QString, QString> cases[] = {
        {QString(), QString()},
        {QStringLiteral("办公用品经营"), QStringLiteral("BGYPJ")},
        {QStringLiteral("ABC中文"), QStringLiteral("ABCZW")},
        {QStringLiteral("m6螺丝"), QStringLiteral("m6LS")},
        {QStringLiteral("！"), QStringLiteral("V")},
        {QStringLiteral("A😀B"), QStringLiteral("AVB")},
    };
    for (const auto &[name, mnemonic] : cases)
        EXPECT_EQ(GetPY(name), mnemonic) << name.toStdString();
}

TEST(Gbk, ACharacterGbkCannotEncodeIsTwoBytesAndReadsBackAsAQuestionMark)
{
    EXPECT_EQ(ToGbk(QStringLiteral("A😀")), QByteArray("A\xA3\xBF"));
    EXPECT_EQ(FromGbk(ToGbk(QStringLiteral("库存A😀"))), QStringLiteral("库存A？"));
}
