// Each report text, built from the same sample conditions, equals the text of the same label
// in the SQL corpus, in both dialects; tst_reports runs those corpus texts on real data, so a
// builder that drifts from them would send a query whose figures nobody checked.
#include "client/common/sqltext.h"
#include "client/reports/reportsql.h"
#include "client/reports/rptmodal.h"

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
const QString Dept = QStringLiteral(" and C.ID in (2,5)");

TReportContext context(int kind, const QString &attrs = {})
{
    TReportContext ctx;
    ctx.DatabaseKind = kind;
    ctx.Status = 1;
    ctx.Attrs = attrs;
    return ctx;
}

QString range(int kind)
{
    return SQLDateRange(kind, true, From, To);
}

QString upTo(int kind)
{
    return SQLDateRange(kind, false, From, To);
}

const QString Attrs = QStringLiteral(",SX1,SX4");
const QString PurchasePanel = QStringLiteral(" and M.CKID in (1,2) and H.PM like '%螺丝%'");
const QList<QPair<int, QString>> Warehouses = {
    {1, QStringLiteral("总仓")}, {2, QStringLiteral("1号仓库")}, {3, QStringLiteral("二 号库")}};

const std::vector<TCase> &cases()
{
    static const std::vector<TCase> list = {
        {"stock ledger",
         [](int k) {
             return StockLedgerSQL(context(k), Panel, From, To, false);
         }},
        {"stock ledger, movements only",
         [](int k) {
             return StockLedgerSQL(context(k), Panel, From, To, true);
         }},
        {"stock ledger with attributes",
         [](int k) {
             return StockLedgerSQL(context(k, Attrs), Panel, From, To, false);
         }},
        {"stock ledger, movements only with attributes",
         [](int k) {
             return StockLedgerSQL(context(k, Attrs), Panel, From, To, true);
         }},
        {"stock general ledger",
         [](int k) {
             return GetKcHzSQL(context(k, Attrs), Panel + upTo(k), From, false);
         }},
        {"stock general ledger by warehouse",
         [](int k) {
             return GetKcHzSQL(context(k, Attrs), Panel + upTo(k), From, true);
         }},
        {"stock by warehouse: warehouses",
         [](int) {
             return TStockByWarehouse::WarehousesSQL(QString());
         }},
        {"stock by warehouse: chosen warehouses",
         [](int) {
             return TStockByWarehouse::WarehousesSQL(QStringLiteral("(1,2)"));
         }},
        {"stock by warehouse: work table",
         [](int k) {
             return TStockByWarehouse(context(k), Warehouses, QStringLiteral("rpt_Static_StockQty"))
                 .CreateSQL();
         }},
        {"stock by warehouse: source",
         [](int k) {
             return GetFCKCSQL(Panel + upTo(k));
         }},
        {"stock by warehouse: totals",
         [](int k) {
             return TStockByWarehouse(context(k), Warehouses, QStringLiteral("rpt_Static_StockQty"))
                 .TotalsSQL();
         }},
        {"stock alarms",
         [](int k) {
             return StockAlarmSQL(context(k, QStringLiteral(",SX1")),
                                  GoodsNameCondition(QStringLiteral("螺丝")),
                                  TStockAlarm::BelowMinimum);
         }},
        {"stocktaking differences",
         [](int k) {
             return StocktakingDifferenceSQL(Panel + range(k));
         }},
        {"purchase details",
         [](int k) {
             return PurchaseDetailSQL(context(k, Attrs), range(k),
                                      TPurchaseDetailOrder::BySupplier);
         }},
        {"purchase details by goods",
         [](int k) {
             return PurchaseDetailSQL(context(k), PurchasePanel + range(k),
                                      TPurchaseDetailOrder::ByGoods);
         }},
        {"purchase summary",
         [](int k) {
             return PurchaseSummarySQL(context(k), PurchasePanel + range(k));
         }},
        {"purchase summary by supplier",
         [](int k) {
             return PurchaseBySupplierSQL(context(k), PurchasePanel + range(k));
         }},
        {"purchase summary by buyer",
         [](int k) {
             return PurchaseByBuyerSQL(context(k), PurchasePanel + range(k));
         }},
        {"purchase receipts and returns",
         [](int k) {
             return GetCGSHTHSQL(context(k), range(k), 2);
         }},
        {"issues by recipient",
         [](int k) {
             return IssuesByRecipientSQL(context(k), range(k) + Dept);
         }},
        {"issues by goods",
         [](int k) {
             return IssuesByGoodsSQL(context(k), range(k));
         }},
        {"returns",
         [](int k) {
             return ReturnsSQL(context(k), range(k));
         }},
        {"issues and returns",
         [](int k) {
             return GetLLTLSQL(context(k), range(k), 2);
         }},
        {"issues and returns, department scope",
         [](int k) {
             TReportContext ctx = context(k);
             ctx.DeptFrom = QStringLiteral("( SELECT A.MC  AS ParentName, C.* FROM BM C LEFT "
                                           "JOIN  BM  A ON C.ParentCode=A.ID where C.ID in "
                                           "(1,2) ) C");
             return GetLLTLSQL(ctx, range(k), 2);
         }},
        {"issues by category",
         [](int k) {
             return IssuesByCategorySQL(context(k), range(k) + Dept);
         }},
        {"issues by recipient, summary",
         [](int k) {
             return IssuesByRecipientSummarySQL(context(k), range(k) + Dept);
         }},
        {"issues by department",
         [](int k) {
             return IssuesByDepartmentSQL(context(k), range(k) + Dept);
         }},
        {"stock value",
         [](int k) {
             return StockValueSQL(context(k), To);
         }},
        {"issue rate by department",
         [](int k) {
             return IssueRateByDepartmentSQL(context(k), range(k) + Dept,
                                             QStringLiteral("12345.67"));
         }},
        {"cash and bank details",
         [](int k) {
             return CashBankDetailSQL(context(k), 0, From, To, QStringLiteral("销售收款"));
         }},
        {"cash and bank details, one account",
         [](int k) {
             return CashBankDetailSQL(context(k), 2, From, To, QStringLiteral("所有"));
         }},
        {"cash and bank summary",
         [](int k) {
             return CashBankSummarySQL(context(k), From, To, QString());
         }},
        {"income and expense details",
         [](int k) {
             return IncomeExpenseDetailSQL(context(k), 0, From, To, QStringLiteral("费用开支"),
                                           QStringLiteral("东方"));
         }},
        {"income and expense summary",
         [](int k) {
             return IncomeExpenseSummarySQL(context(k), 4, From, To, QStringLiteral("所有"));
         }},
    };
    return list;
}

class ReportTexts : public ::testing::TestWithParam<int>
{
};

TEST_P(ReportTexts, EqualTheCorpus)
{
    expectCorpusTexts(cases(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Dialects, ReportTexts, ::testing::Values(0, 1));

TEST(ReportTexts, HrRemindersEqualTheCorpus)
{
    QFile f(QStringLiteral(VZ_REPORT_CORPUS_DIR "/both.sql"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString both = QString::fromUtf8(f.readAll());
    const QDate day(2024, 3, 1);
    const QStringList expected = {
        QStringLiteral(" select count(*) from yg where 1=1 ") +
            HrReminderCondition(QStringLiteral("CSRQ"), day, true),
        QStringLiteral(" select count(*) from yg where 1=1 ") +
            HrReminderCondition(QStringLiteral("HTDQSJ"), day, false),
        HrReminderListSQL(HrReminderCondition(QStringLiteral("RZRQ"), day, true)),
        HrReminderListSQL(HrReminderCondition(QStringLiteral("LZRQ"), day, false)),
    };
    for (const QString &text : expected)
        EXPECT_TRUE(both.contains(QLatin1Char('\n') + text + QStringLiteral(";\n")))
            << text.toStdString();
    EXPECT_EQ(HrReminders().size(), 6);
}

// Keys from a picker go into SQL unquoted, so only numbers pass.
TEST(ReportConditions, KeyListsAcceptOnlyIntegers)
{
    struct
    {
        const char *key;
        const char *partner;
    } rows[] = {
        {"3", " and K.Id = 3"},
        {"(3,4)", " and K.Id in (3,4)"},
        {" ( 3 , 4 ) ", " and K.Id in ( 3 , 4 )"},
        {"", ""},
        {"3 or 1=1", ""},
        {"(3);drop table hp", ""},
        {"(3,'a')", ""},
        {"()", ""},
    };
    for (const auto &row : rows)
        EXPECT_EQ(PartnerKeyCondition(QString::fromUtf8(row.key)).toStdString(), row.partner)
            << row.key;
    EXPECT_EQ(WarehouseKeyCondition(QStringLiteral("(1,2)")), QStringLiteral(" and C.Id in (1,2)"));
    EXPECT_EQ(WarehouseKeyCondition(QStringLiteral("x")), QString());
    EXPECT_EQ(TStockByWarehouse::WarehousesSQL(QStringLiteral("1);delete from ck;(")),
              QStringLiteral("select id,mc from ck order by id "));
}

// The pivot works in a table of its user, names its columns by warehouse id whatever the
// warehouses are called, and fills the table from the ledger in one statement.
TEST(StockByWarehouse, OwnTableIdColumnsAndOneFill)
{
    EXPECT_EQ(TStockByWarehouse::WorkTableName(QStringLiteral("SYS")),
              QStringLiteral("rpt_Static_StockQty_535953"));
    EXPECT_EQ(TStockByWarehouse::WorkTableName(QStringLiteral("O'B 张")),
              QStringLiteral("rpt_Static_StockQty_4f274220e5bca0"));
    EXPECT_EQ(TStockByWarehouse::WarehousesSQL(QStringLiteral("3")),
              QStringLiteral("select id,mc from ck where id in(3) order by id "));
    const QList<QPair<int, QString>> named = {{1, QStringLiteral("O'Neil 仓")},
                                              {4, QStringLiteral("a] b")}};
    const QString table = QStringLiteral("rpt_Static_StockQty_41");
    const TStockByWarehouse jet(context(0, Attrs), named, table);
    EXPECT_EQ(jet.DropSQL(), QStringLiteral("drop table if exists rpt_Static_StockQty_41"));
    EXPECT_EQ(jet.CreateSQL(),
              QStringLiteral(" create table rpt_Static_StockQty_41(hpid int,s1 float,s4 float,"
                             "AllQty float)"));
    EXPECT_EQ(
        jet.FillSQL(Panel),
        QStringLiteral(" insert into rpt_Static_StockQty_41 (hpid,s1,s4) select HPID,sum(") +
            SQLIif(0, QStringLiteral("CKID = 1"), QStringLiteral("SL"), QStringLiteral("null")) +
            QStringLiteral(") as s1,sum(") +
            SQLIif(0, QStringLiteral("CKID = 4"), QStringLiteral("SL"), QStringLiteral("null")) +
            QStringLiteral(") as s4 from (") + GetFCKCSQL(Panel) +
            QStringLiteral(") F group by HPID"));
    EXPECT_EQ(jet.ReportSQL(),
              QStringLiteral(" select b.BH, b.PM, b.GG,b.DW,a.s1,a.s4,a.AllQty ,SX1,SX4 from "
                             "rpt_Static_StockQty_41 a, hp b  where a.hpid=b.id  and AllQty <> 0 "
                             "order by bh"));
}

TEST(ReportConditions, UserTextIsQuoted)
{
    EXPECT_EQ(GoodsNameCondition(QStringLiteral("O'Neil")),
              QStringLiteral(" and H.PM like '%O''Neil%'"));
    EXPECT_EQ(GoodsCodeCondition(QStringLiteral("A'1")), QStringLiteral(" and H.BH ='A''1'"));
    EXPECT_EQ(EmployeeNameCondition(QStringLiteral("O'Neil")),
              QStringLiteral(" and Y.XM  = 'O''Neil'"));
    EXPECT_EQ(PartnerNameCondition(QStringLiteral("O'Neil 五金")),
              QStringLiteral(" and K.MC = 'O''Neil 五金'"));
    EXPECT_EQ(CounterpartyCondition(QStringLiteral("O'")),
              QStringLiteral(" and M.Vender like 'O''%'"));
    EXPECT_EQ(BusinessTypeCondition(QStringLiteral("所有")), QString());
    EXPECT_EQ(CategoryCodeSQL(QStringLiteral("a'b")),
              QStringLiteral("select ItemType from Pub_ItemType where TypeName = 'a''b'"));
}

// Zeros the stock ledger leaves blank so that each row shows only its own figures.
TEST(StockLedgerZeros, EachRowKeepsItsOwnColumns)
{
    struct
    {
        const char *documentNo;
        const char *date;
        const char *field;
        bool hidden;
    } rows[] = {
        {"", "", "SLA", true},
        {"", "", "SLD", true},
        {"期初结存", "", "SLA", false},
        {"期初结存", "", "jea", false},
        {"期初结存", "", "SLB", true},
        {"期初结存", "", "SLD", true},
        {"期末结存", "", "SLD", false},
        {"期末结存", "", "DJD", false},
        {"期末结存", "", "SLA", true},
        {"CS2024030001", "2024-03-02", "SLB", true},
        {"CS2024030001", "2024-03-02", "JED", false},
        {"CS2024030001", "", "SLB", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(StockLedgerHidesZero(QString::fromUtf8(row.documentNo),
                                       QString::fromUtf8(row.date), QString::fromUtf8(row.field)),
                  row.hidden)
            << row.documentNo << " " << row.field;
}

} // namespace
