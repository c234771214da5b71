// The chart and statistics texts: each equals the corpus text of its label in both dialects
// (the SQL tests run those on real data), and the year analysis pivots in its user's table.
#include "client/common/sqltext.h"
#include "client/reports/statsql.h"

#include "corpustexts.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMap>

#include <functional>

using namespace corpustexts;

namespace {

const QDate From(2024, 3, 1);
const QDate To(2024, 3, 31);
const QString Panel = QStringLiteral(" and C.Id in (1,2) and H.PM like '%螺丝%'");

TReportContext context(int kind)
{
    TReportContext ctx;
    ctx.DatabaseKind = kind;
    ctx.Status = 1;
    return ctx;
}

QString chart(int kind, const char *caption, const char *subject, int top)
{
    const TChartVariant *variant = FindChartVariant(QString::fromUtf8(caption));
    return variant ? ChartSQL(context(kind), *variant, QString::fromUtf8(subject), top, From, To)
                   : QString();
}

QString rows(int kind)
{
    return PriceRowsSQL(true, Panel + SQLDateRange(kind, true, From, To));
}

const std::vector<TCase> &cases()
{
    static const std::vector<TCase> list = {
        {"sales chart by 月份",
         [](int k) {
             return chart(k, "销售图形分析", "月份", 12);
         }},
        {"sales chart by 部门",
         [](int k) {
             return chart(k, "销售图形分析", "部门", 12);
         }},
        {"sales chart by 员工",
         [](int k) {
             return chart(k, "销售图形分析", "员工", 12);
         }},
        {"sales chart by 货品",
         [](int k) {
             return chart(k, "销售图形分析", "货品", 12);
         }},
        {"sales chart by 货品类别",
         [](int k) {
             return chart(k, "销售图形分析", "货品类别", 12);
         }},
        {"sales chart by 客户",
         [](int k) {
             return chart(k, "销售图形分析", "客户", 12);
         }},
        {"purchase chart by supplier",
         [](int k) {
             return chart(k, "采购图形分析", "供应商", 10);
         }},
        // The menu's caption of the issue chart names the same variant.
        {"issue chart by employee",
         [](int k) {
             return chart(k, "物品领用图表分析", "员工", 5);
         }},
        {"price analysis rows", rows},
        {"structure analysis total",
         [](int k) {
             return StructureTotalSQL(rows(k));
         }},
        {"structure analysis",
         [](int k) {
             return StructureSQL(rows(k), QStringLiteral("54321.5"));
         }},
        {"price analysis rows, customer list",
         [](int k) {
             return PriceRowsSQL(false, QStringLiteral(" and K.Id in (3,4)") +
                                            SQLDateRange(k, true, From, To));
         }},
    };
    return list;
}

class StatTexts : public ::testing::TestWithParam<int>
{
};

TEST_P(StatTexts, EqualTheCorpus)
{
    expectCorpusTexts(cases(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Dialects, StatTexts, ::testing::Values(0, 1));

TEST(ChartVariants, CaptionsSubjectsAndTopCounts)
{
    struct
    {
        const char *caption;
        const char *variant; // empty: no variant
        int subjects;
    } rows[] = {
        {"销售图形分析", "销售图形分析", 6},
        {"采购图形分析", "采购图形分析", 6},
        {"物品领用图形分析", "物品领用图形分析", 5},
        {"物品领用图表分析", "物品领用图形分析", 5},
        {"图形分析", "", 0},
        {"", "", 0},
    };
    for (const auto &row : rows) {
        const TChartVariant *variant = FindChartVariant(QString::fromUtf8(row.caption));
        EXPECT_EQ(variant ? variant->Caption : "", std::string(row.variant)) << row.caption;
        if (variant) {
            EXPECT_EQ(variant->Subjects.size(), row.subjects) << row.caption;
        }
    }
    // A subject the variant does not offer gives no text rather than a join that fails.
    EXPECT_EQ(chart(0, "物品领用图形分析", "客户", 12), QString());
    EXPECT_EQ(chart(0, "采购图形分析", "客户", 12), QString());

    struct
    {
        const char *text;
        bool ok;
    } counts[] = {{"12", true}, {" 8 ", true},  {"1", true},        {"0", false},  {"-3", false},
                  {"", false},  {"abc", false}, {"12;drop", false}, {"1.5", false}};
    for (const auto &c : counts)
        EXPECT_EQ(IsTopCount(QString::fromUtf8(c.text)), c.ok) << c.text;
}

TEST(EmployeeChart, OneTextPerSubject)
{
    const QString caption = QStringLiteral("员工信息分析图表");
    EXPECT_EQ(EmployeeChartSQL(0, QStringLiteral("部门"), caption),
              QStringLiteral(" select b.mc as 部门,count(*) as 员工信息分析图表 from yg a,bm b  "
                             "where a.bmid=b.id  group by  b.mc  "));
    EXPECT_EQ(EmployeeChartSQL(0, QStringLiteral("民族"), caption),
              QStringLiteral(" select a.MZ as 名族,count(*) as 员工信息分析图表 from yg a group "
                             "by a.MZ"));
    EXPECT_EQ(EmployeeChartSQL(0, QStringLiteral("婚否"), caption),
              QStringLiteral(" select iif(a.HF, '已婚', '未婚') as 婚否,count(*) as "
                             "员工信息分析图表 from yg a group by a.HF"));
    EXPECT_EQ(EmployeeChartSQL(1, QStringLiteral("婚否"), caption),
              QStringLiteral(" select case when a.HF<>0 then '已婚' else '未婚' end as 婚否,"
                             "count(*) as 员工信息分析图表 from yg a group by a.HF"));
    for (const QString &subject : EmployeeChartSubjects())
        EXPECT_FALSE(EmployeeChartSQL(0, subject, caption).isEmpty()) << subject.toStdString();
    EXPECT_TRUE(EmployeeChartSQL(0, QStringLiteral("x"), caption).isEmpty());
}

// The price rows are read per goods (and partner); the lowest and highest rows are picked
// among the latest row of each price, so equal prices give the highest id.
TEST(PriceAnalysis, KeysAndTieRule)
{
    const QString r = QStringLiteral("select * from Inv_ItemList");
    const QString goods = PriceAnalysisSQL(false, r, TPriceSubject::Goods);
    EXPECT_TRUE(goods.contains(
        QStringLiteral("(select HPID,DJ,max(id) as RowID from (select * from Inv_ItemList) R "
                       "group by HPID,DJ) LoK")));
    EXPECT_TRUE(goods.contains(QStringLiteral("LoK.DJ=G.MinDJ and LoK.HPID=G.HPID and "
                                              "Lo.id=LoK.RowID")));
    EXPECT_TRUE(goods.endsWith(QStringLiteral("order by H.BH")));
    EXPECT_FALSE(goods.contains(QStringLiteral("G.CustVendID")));
    const QString partner = PriceAnalysisSQL(false, r, TPriceSubject::GoodsPartner);
    EXPECT_TRUE(partner.contains(QStringLiteral("group by HPID,CustVendID,DJ) HiK")));
    EXPECT_TRUE(partner.contains(QStringLiteral("HiK.CustVendID=G.CustVendID")));
    EXPECT_TRUE(partner.endsWith(QStringLiteral("and P.ID=G.CustVendID order by H.BH,P.MC")));
    EXPECT_TRUE(partner.contains(QStringLiteral("HP H,GYS LoP,YG LoY,GYS HiP,YG HiY,GYS P")));
}

TEST(YearAnalysis, OwnTablePivotAndTotals)
{
    EXPECT_EQ(TYearAnalysis::WorkTableName(QStringLiteral("SYS")),
              QStringLiteral("rpt_Static_Month_535953"));
    EXPECT_EQ(TYearAnalysis::WorkTableName(QStringLiteral("O'B")),
              QStringLiteral("rpt_Static_Month_4f2742"));
    const TYearVariant *sales = FindYearVariant(QStringLiteral("年销售量分析"));
    ASSERT_TRUE(sales);
    const QString table = QStringLiteral("rpt_Static_Month_41");
    const TYearAnalysis goods(context(0), *sales, sales->Subjects[0], 2024, table);
    EXPECT_EQ(goods.DropSQL(), QStringLiteral("drop table if exists rpt_Static_Month_41"));
    EXPECT_TRUE(goods.CreateSQL().startsWith(
        QStringLiteral(" create table rpt_Static_Month_41(keyid int ,Qty1 float,Amount1 float,")));
    EXPECT_TRUE(goods.CreateSQL().endsWith(
        QStringLiteral(",Qty12 float,Amount12 float,AllQty float,AllAmount float )")));
    const QString fill = goods.FillSQL();
    EXPECT_TRUE(fill.startsWith(QStringLiteral(" insert into rpt_Static_Month_41 (keyid,Qty1,"
                                               "Amount1,Qty2,")));
    EXPECT_TRUE(fill.contains(
        QStringLiteral(") select HPID,sum(") +
        SQLIif(0, QStringLiteral("Month(RQ) = 1"), QStringLiteral("SL"), QStringLiteral("0")) +
        QStringLiteral("),sum(") +
        SQLIif(0, QStringLiteral("Month(RQ) = 1"), QStringLiteral("SL*DJ*NZK*(1+NSL/100)"),
               QStringLiteral("0"))));
    EXPECT_TRUE(
        fill.contains(QStringLiteral("Z.uFlag = 1) a where Year(RQ) = 2024 group by HPID")));
    EXPECT_EQ(fill.count(QStringLiteral("insert")), 1);
    EXPECT_EQ(goods.TotalsSQL(),
              QStringLiteral(" update rpt_Static_Month_41 set AllQty =Qty1+Qty2+Qty3+Qty4+Qty5+"
                             "Qty6+Qty7+Qty8+Qty9+Qty10+Qty11+Qty12, AllAmount =Amount1+Amount2+"
                             "Amount3+Amount4+Amount5+Amount6+Amount7+Amount8+Amount9+Amount10+"
                             "Amount11+Amount12"));
    EXPECT_TRUE(goods.ReportSQL().endsWith(QStringLiteral(
        " from rpt_Static_Month_41 a left join HP b on a.keyid=b.ID order by b.PM")));

    const TYearAnalysis salesman(context(1), *sales, sales->Subjects[2], 2024, table);
    EXPECT_TRUE(salesman.CreateSQL().contains(QStringLiteral("(keyid char(20) ")));
    EXPECT_TRUE(salesman.FillSQL().contains(QStringLiteral("group by YWY")));
    EXPECT_TRUE(salesman.FillSQL().contains(QStringLiteral("case when Month(RQ) = 12 then SL")));
    EXPECT_TRUE(salesman.ReportSQL().startsWith(QStringLiteral(" select a.keyid,a.Qty1")));

    struct
    {
        const char *caption;
        const char *firstSubject;
        const char *amount;
    } variants[] = {{"年销售量分析", "货品", "SL*DJ*NZK*(1+NSL/100)"},
                    {"年采购量分析", "货品", "SL*DJ*NZK*(1+NSL/100)"},
                    {"物品月领用分析", "货品", "SL*DJ"},
                    {"人员月领用分析", "领用人", "SL*DJ"},
                    {"部门月领用分析", "部门", "SL*DJ"}};
    for (const auto &v : variants) {
        const TYearVariant *variant = FindYearVariant(QString::fromUtf8(v.caption));
        ASSERT_TRUE(variant) << v.caption;
        EXPECT_EQ(std::string(variant->Subjects.front().Caption), v.firstSubject);
        EXPECT_EQ(std::string(variant->Amount), v.amount);
    }
}

} // namespace
