// The universal filter: the text it shows and the rows it keeps must say the same thing.
#include "client/forms/kingfilter.h"

#include <QDate>

#include <gtest/gtest.h>

namespace {

TKingFilterCondition condition(const QString &link, int op, const QString &field, TFieldType type,
                               const QString &value)
{
    return {link, op, value, field, type};
}

// Goods with a code, a name, a price, a date and a stop flag; one name is null.
class Goods : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.FieldDefs().Add(QStringLiteral("BH"), ftWideString, 20);
        ds.FieldDefs().Add(QStringLiteral("MC"), ftWideString, 40);
        ds.FieldDefs().Add(QStringLiteral("DJ"), ftFloat);
        ds.FieldDefs().Add(QStringLiteral("RQ"), ftDate);
        ds.FieldDefs().Add(QStringLiteral("ZT"), ftBoolean);
        ds.CreateDataSet();
        ds.AppendRecord(
            {QStringLiteral("0101"), QStringLiteral("螺丝ABC"), 1.5, QDate(2024, 3, 1), false});
        ds.AppendRecord(
            {QStringLiteral("0102"), QStringLiteral("螺母abc"), 2.0, QDate(2024, 3, 5), true});
        ds.AppendRecord({QStringLiteral("0201"), QStringLiteral("O'Neil 扳手"), 35.0,
                         QDate(2024, 4, 1), false});
        ds.AppendRecord({QStringLiteral("0301"), QVariant(), 12.5, QVariant(), false});
    }

    QStringList codes()
    {
        QStringList out;
        for (ds.First(); !ds.Eof(); ds.Next())
            out << ds.FieldByName(QStringLiteral("BH"))->AsString();
        return out;
    }

    // The rows the filter keeps, and the rows the same text keeps as the dataset's own
    // filter: both must agree.
    QStringList filtered(const QList<TKingFilterCondition> &conditions)
    {
        TKingFilter filter;
        filter.Attach(&ds);
        filter.Conditions = conditions;
        filter.Apply();
        const QStringList byHandler = codes();
        filter.Detach();
        ds.SetFiltered(false);

        ds.SetFilterOptions(TFilterOptions(foCaseInsensitive) | foNoPartialCompare);
        ds.SetFilter(KingFilter::FilterText(conditions));
        ds.SetFiltered(!conditions.isEmpty());
        const QStringList byText = codes();
        ds.SetFiltered(false);
        ds.SetFilter(QString());
        EXPECT_EQ(byHandler, byText) << KingFilter::FilterText(conditions).toStdString();
        return byHandler;
    }

    TClientDataSet ds;
};

} // namespace

TEST(KingFilterText, ContainsOrBeginsWith)
{
    const QList<TKingFilterCondition> conditions{
        condition(QStringLiteral("0"), 10, QStringLiteral("MC"), ftWideString,
                  QStringLiteral("abc")),
        condition(QStringLiteral("1"), 6, QStringLiteral("BH"), ftWideString,
                  QStringLiteral("01"))};
    EXPECT_EQ(KingFilter::FilterText(conditions),
              QStringLiteral("MC LIKE '%abc%' OR BH LIKE '01%'"));
}

TEST(KingFilterText, ValuesAreFormattedByFieldType)
{
    EXPECT_EQ(KingFilter::FormattedValue(ftBoolean, QStringLiteral("是")), QStringLiteral("True"));
    EXPECT_EQ(KingFilter::FormattedValue(ftBoolean, QStringLiteral("否")), QStringLiteral("False"));
    EXPECT_EQ(KingFilter::FormattedValue(ftFloat, QStringLiteral("12.5")), QStringLiteral("12.5"));
    EXPECT_EQ(KingFilter::FormattedValue(ftInteger, QStringLiteral("abc")),
              QStringLiteral("'abc'"));
    EXPECT_EQ(KingFilter::FormattedValue(ftWideString, QStringLiteral("O'Neil")),
              QStringLiteral("'O''Neil'"));
    EXPECT_EQ(KingFilter::FormattedValue(ftDate, QStringLiteral("2024-03-01")),
              QStringLiteral("'2024-03-01'"));
    EXPECT_EQ(KingFilter::ConditionText(condition(QStringLiteral("0"), 7, QStringLiteral("BH"),
                                                  ftString, QStringLiteral("01"))),
              QStringLiteral(" NOT BH LIKE '01%'"));
    EXPECT_EQ(KingFilter::ConditionText(condition(QStringLiteral("0"), 2, QStringLiteral("DJ"),
                                                  ftFloat, QStringLiteral("3"))),
              QStringLiteral("DJ >3"));
}

TEST(KingFilterText, OperatorsOfferedPerType)
{
    EXPECT_EQ(KingFilter::OperatorsFor(ftWideString).size(), 12);
    EXPECT_EQ(KingFilter::OperatorsFor(ftFloat), (QList<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(KingFilter::OperatorsFor(ftDateTime), (QList<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(KingFilter::OperatorsFor(ftBoolean), (QList<int>{0, 1}));
    EXPECT_TRUE(KingFilter::OperatorsFor(ftGraphic).isEmpty());
    EXPECT_EQ(KingFilter::OperatorCaptions().at(11), QStringLiteral("不包含"));
}

TEST_F(Goods, TextAndRecordEvaluationAgree)
{
    EXPECT_EQ(filtered({condition(QStringLiteral("0"), 10, QStringLiteral("MC"), ftWideString,
                                  QStringLiteral("abc")),
                        condition(QStringLiteral("1"), 6, QStringLiteral("BH"), ftWideString,
                                  QStringLiteral("02"))}),
              (QStringList{QStringLiteral("0101"), QStringLiteral("0102"), QStringLiteral("0201")}))
        << "LIKE ignores case";
    EXPECT_EQ(filtered({condition(QStringLiteral("0"), 11, QStringLiteral("MC"), ftWideString,
                                  QStringLiteral("螺"))}),
              (QStringList{QStringLiteral("0201"), QStringLiteral("0301")}))
        << "a missing name does not contain anything";
    EXPECT_EQ(filtered({condition(QStringLiteral("0"), 3, QStringLiteral("DJ"), ftFloat,
                                  QStringLiteral("2")),
                        condition(QStringLiteral("0"), 0, QStringLiteral("ZT"), ftBoolean,
                                  QStringLiteral("否"))}),
              (QStringList{QStringLiteral("0201"), QStringLiteral("0301")}));
    EXPECT_EQ(filtered({condition(QStringLiteral("0"), 4, QStringLiteral("RQ"), ftDate,
                                  QStringLiteral("2024-03-05"))}),
              (QStringList{QStringLiteral("0101")}));
    EXPECT_EQ(filtered({condition(QStringLiteral("0"), 0, QStringLiteral("MC"), ftWideString,
                                  QStringLiteral("o'neil 扳手"))}),
              (QStringList{QStringLiteral("0201")}));
    // "and" binds before "or", in the text and in the rows.
    EXPECT_EQ(filtered({condition(QStringLiteral("0"), 6, QStringLiteral("BH"), ftString,
                                  QStringLiteral("03")),
                        condition(QStringLiteral("1"), 6, QStringLiteral("BH"), ftString,
                                  QStringLiteral("01")),
                        condition(QStringLiteral("0"), 5, QStringLiteral("DJ"), ftFloat,
                                  QStringLiteral("1.5"))}),
              (QStringList{QStringLiteral("0101"), QStringLiteral("0301")}));
}

TEST_F(Goods, EmptyListShowsEveryRowAndDetachGivesTheHandlerBack)
{
    bool ownHandlerRan = false;
    ds.OnFilterRecord = [&](TClientDataSet &, bool &accept) {
        ownHandlerRan = true;
        accept = true;
    };
    {
        TKingFilter filter;
        filter.Attach(&ds);
        filter.Apply();
        EXPECT_FALSE(ds.Filtered());
        EXPECT_EQ(ds.RecordCount(), 4);
    }
    ds.SetFiltered(true);
    EXPECT_TRUE(ownHandlerRan);
}
