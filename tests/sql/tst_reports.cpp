// Results of the report texts the client sends, run on the corpus data: the stock ledger, the
// summaries and the charts give the figures a clerk would work out by hand, and the Jet and
// T-SQL forms of each text give the same rows.
#include "sqltest.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class Reports : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.loadCorpus();
        jet = sqltest::corpusTexts("jet.sql");
        tsql = sqltest::corpusTexts("tsql.sql");
    }
    std::vector<std::string> rows(const std::string &label,
                                  sql::Dialect dialect = sql::Dialect::Jet)
    {
        const auto &texts = dialect == sql::Dialect::Jet ? jet : tsql;
        auto it = texts.find(label);
        if (it == texts.end()) {
            ADD_FAILURE() << "no corpus text " << label;
            return {};
        }
        return db.run(it->second, dialect).rows;
    }

    sqltest::TestDb db;
    std::map<std::string, std::string> jet;
    std::map<std::string, std::string> tsql;
};

TEST_F(Reports, StockLedgerInterleavesHeadingOpeningMovementsAndClosing)
{
    const std::vector<std::string> expected = {
        "A01_螺丝,,,0000,-2,,A01,螺丝,,,,,0,0,0,0,0,0,0,0,0,0,0,0",
        ",期初结存,,0001,-1,,A01,螺丝,,,,,100,0.1,10,0,0,0,0,0,0,0,0,0",
        ",CS2024030001,2024-03-02,2024-03-02,2,0.1,A01,螺丝,M6,个,螺丝类,采购收货,0,0,0,1000,0.1,"
        "100,0,0,0,1100,0.1,110",
        ",XS2024030001,2024-03-05,2024-03-05,3,0.2,A01,螺丝,M6,个,螺丝类,销售出库,0,0,0,0,0,0,200,"
        "0.1,20,900,0.1,90",
        ",LL2024030001,2024-03-06,2024-03-06,4,0.1,A01,螺丝,M6,个,螺丝类,领料,0,0,0,0,0,0,50,0.1,5,"
        "850,0.1,85",
        ",期末结存,,zzzz,999999,,A01,螺丝,,,,,0,0,0,0,0,0,0,0,0,850,0.1,85",
    };
    EXPECT_EQ(rows("stock ledger"), expected);
    EXPECT_EQ(rows("stock ledger", sql::Dialect::TSql), expected);
    const auto typed = db.run(jet["stock ledger"]).translation->columns;
    EXPECT_EQ(typed[2].type, sql::ValueType::Date);   // RQ: '' in the other rows is no date
    EXPECT_EQ(typed[3].type, sql::ValueType::Text);   // RQ_orderby mixes dates and text
    EXPECT_EQ(typed[12].type, sql::ValueType::Float); // SLA: 0 in the first row, sums later
}

TEST_F(Reports, StockGeneralLedgerBalances)
{
    // Opening 100 before March; 1000 received (117 with tax), 250 issued (23.4 + 5); closing 850.
    const std::vector<std::string> expected = {
        "A01,螺丝,M6,个,螺丝类,100,10,1000,117,250,28.4,850,98.6,红,1.5",
    };
    EXPECT_EQ(rows("stock general ledger"), expected);
    EXPECT_EQ(rows("stock general ledger", sql::Dialect::TSql), expected);
}

TEST_F(Reports, CashAndBankSummaryShowsEveryAccountWithAMovementOrAnOpeningBalance)
{
    const std::vector<std::string> expected = {
        "1,现金,,100,10,180,-70",
        "2,工商银行,,1000,80,0,1080",
        "3,备用金,,50,,,50",
    };
    EXPECT_EQ(rows("cash and bank summary"), expected);
    EXPECT_EQ(rows("cash and bank summary", sql::Dialect::TSql), expected);
}

TEST_F(Reports, MonthChartLabelsAndTopNWithTies)
{
    EXPECT_EQ(rows("sales chart by 月份"), std::vector<std::string>{"03月,40"});
    EXPECT_EQ(rows("sales chart by 月份", sql::Dialect::TSql), std::vector<std::string>{"03月,40"});
    EXPECT_EQ(rows("sales chart by 客户"), std::vector<std::string>{"东方商行,40"});
}

TEST_F(Reports, DepartmentIssueSummaryStartsWithTheGrandTotal)
{
    const auto result = rows("issues by department");
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0], "-1,0,,,,合计,,,,50,5");
    EXPECT_EQ(result[1], "0,5,仓储部,仓储部,,小计,,,,50,5");
    EXPECT_EQ(result[2], "1,5,仓储部,,A01,螺丝,M6,个,0.1,50,5");
}

// Both forms of every dialect-dependent text give the same rows on the same data.
TEST_F(Reports, JetAndTsqlFormsAgree)
{
    db.run(jet["stock by warehouse: work table"]);
    db.run(jet["stock by warehouse: first row"]);
    db.run(jet["stock by warehouse: totals"]);
    int compared = 0;
    for (const auto &[label, text] : jet) {
        auto other = tsql.find(label);
        if (other == tsql.end())
            continue;
        if (db.translator().translate(text, sql::Dialect::Jet)->kind != sql::StatementKind::Select)
            continue;
        const auto jetResult = db.run(text, sql::Dialect::Jet);
        const auto tsqlResult = db.run(other->second, sql::Dialect::TSql);
        // The headers may differ where SQL Server's text casts a date: CAST(RQ AS char(20)).
        EXPECT_EQ(jetResult.rows, tsqlResult.rows) << label;
        ++compared;
    }
    EXPECT_GT(compared, 40);
}

} // namespace
