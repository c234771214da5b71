// The frequently used reports: byte-length rule, move to top, the cap of twenty.
#include "client/common/gbk.h"
#include "client/shell/recentreports.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString itemFor(const QString &title)
{
    return title.startsWith(QStringLiteral("无")) ? QString() : QStringLiteral("mnu_") + title;
}

} // namespace

TEST(Gbk, ChineseCountsTwoBytes)
{
    EXPECT_EQ(GbkLength(QStringLiteral("库存总帐")), 8);
    EXPECT_EQ(GbkLength(QStringLiteral("A01库存")), 7);
    EXPECT_EQ(ToGbk(QStringLiteral("库存A")).size(), 5);
    EXPECT_EQ(FromGbk(ToGbk(QStringLiteral("货品资料O'Neil"))), QStringLiteral("货品资料O'Neil"));
    EXPECT_EQ(GbkDropLast(QStringLiteral("采购单总表"), 6), QStringLiteral("采购"));
    EXPECT_EQ(GbkDropLast(QStringLiteral("ab"), 6), QString());
}

TEST(RecentReports, TitlesAreShortenedAndLongOnesRefused)
{
    EXPECT_EQ(TRecentReports::RecordedTitle(QStringLiteral("采购入库单总表")),
              QStringLiteral("采购入库"));
    EXPECT_EQ(TRecentReports::RecordedTitle(QStringLiteral("费用开支单总表管理")),
              QStringLiteral("费用开支单总"));
    EXPECT_EQ(TRecentReports::RecordedTitle(QStringLiteral("银行存取款管理")),
              QStringLiteral("银行存取款"));
    // 16 bytes pass, 17 do not.
    EXPECT_EQ(TRecentReports::RecordedTitle(QStringLiteral("供应商供货汇总表")),
              QStringLiteral("供应商供货汇总表"));
    EXPECT_EQ(TRecentReports::RecordedTitle(QStringLiteral("供应商供货汇总表A")), QString());
    EXPECT_EQ(TRecentReports::RecordedTitle(QStringLiteral("部门领用金额占库存比")), QString());
}

TEST(RecentReports, ReopeningMovesToTopAndTheListStopsAtTwenty)
{
    TRecentReports recent;
    for (int i = 0; i < 25; ++i)
        EXPECT_TRUE(recent.Add(QStringLiteral("报表%1").arg(i), itemFor));
    EXPECT_EQ(recent.Count(), 20);
    EXPECT_EQ(recent.Entries().first().Title, QStringLiteral("报表24"));
    EXPECT_EQ(recent.Entries().last().Title, QStringLiteral("报表5"));

    recent.Add(QStringLiteral("报表10"), itemFor);
    EXPECT_EQ(recent.Count(), 20);
    EXPECT_EQ(recent.Entries().first().Title, QStringLiteral("报表10"));
    EXPECT_EQ(recent.Entries().first().ItemName, QStringLiteral("mnu_报表10"));
    EXPECT_EQ(recent.Entries()[1].Title, QStringLiteral("报表24"));
}

TEST(RecentReports, TitleWithoutMenuItemIsDroppedNotAdded)
{
    TRecentReports recent;
    recent.Add(QStringLiteral("库存总帐"), itemFor);
    EXPECT_FALSE(recent.Add(QStringLiteral("无此报表"), itemFor));
    EXPECT_EQ(recent.Count(), 1);
}

TEST(RecentReports, FileRoundTrip)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Tree_Function.txt"));
    TRecentReports recent;
    EXPECT_TRUE(recent.Load(file)) << "a missing file is an empty list";
    recent.Add(QStringLiteral("库存总帐"), itemFor);
    recent.Add(QStringLiteral("库存明细帐"), itemFor);
    ASSERT_TRUE(recent.Save(file));
    TRecentReports again;
    ASSERT_TRUE(again.Load(file));
    ASSERT_EQ(again.Count(), 2);
    EXPECT_EQ(again.Entries()[0].Title, QStringLiteral("库存明细帐"));
    EXPECT_EQ(again.Entries()[1].ItemName, QStringLiteral("mnu_库存总帐"));
}
