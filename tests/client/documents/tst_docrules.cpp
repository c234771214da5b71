// The document form's rules that need no window: which actions a state enables, the audit
// captions, the document types' table and prefixes, and the SQL the line prices run.
#include "client/documents/docstate.h"
#include "client/documents/documentkind.h"
#include "client/documents/lineprices.h"
#include "client/documents/posting.h"

#include <gtest/gtest.h>

namespace {

TDocRights allRights()
{
    return {true, true, true, true, true};
}

TDocPosition middle()
{
    TDocPosition pos;
    pos.Empty = false;
    pos.AtFirst = false;
    pos.AtLast = false;
    return pos;
}

} // namespace

TEST(DocState, UnsavedChangesEnableSavingAndLockTheDocumentActions)
{
    const TDocStateRules rules(allRights(), false);
    TDocActions a;
    rules.SetCanSave(a, true, middle());
    EXPECT_TRUE(a.Save);
    EXPECT_TRUE(a.Cancel);
    EXPECT_FALSE(a.New);
    EXPECT_FALSE(a.Del);
    EXPECT_FALSE(a.Modify);
    EXPECT_FALSE(a.Audit);
    EXPECT_FALSE(a.UnAudit);
    EXPECT_FALSE(a.Preview);
    EXPECT_TRUE(a.Insert);
    EXPECT_TRUE(a.Delete);
    EXPECT_TRUE(a.MenuRef);

    rules.SetCanSave(a, false, middle());
    EXPECT_FALSE(a.Save);
    EXPECT_TRUE(a.New);
    EXPECT_TRUE(a.Audit);
    EXPECT_TRUE(a.Preview);
    // Without changes the line actions follow the audit right.
    EXPECT_TRUE(a.Insert);
    EXPECT_TRUE(a.Delete);
}

TEST(DocState, LineActionsByRightsWithoutChanges)
{
    struct Case
    {
        bool canInsert, canAudit;
        bool insert, del;
    };
    const Case cases[] = {
        {true, true, true, true},
        {true, false, false, false},
        {false, true, false, false}, // aNew off: nothing
        {false, false, false, false},
    };
    for (const Case &c : cases) {
        TDocRights rights = allRights();
        rights.CanInsert = c.canInsert;
        rights.CanAudit = c.canAudit;
        TDocActions a;
        TDocStateRules(rights, false).SetCanSave(a, false, middle());
        EXPECT_EQ(a.Insert, c.insert) << c.canInsert << c.canAudit;
        EXPECT_EQ(a.Delete, c.del) << c.canInsert << c.canAudit;
    }
}

TEST(DocState, NavigationFollowsThePositionUnlessASingleDocumentIsShown)
{
    struct Case
    {
        bool single, empty, atFirst, atLast;
        bool prior, next;
    };
    const Case cases[] = {
        {false, false, true, false, false, true},  {false, false, false, false, true, true},
        {false, false, false, true, true, false},  {false, true, true, true, false, false},
        {true, false, false, false, false, false}, {true, false, true, false, false, false},
    };
    for (const Case &c : cases) {
        TDocPosition pos;
        pos.Empty = c.empty;
        pos.AtFirst = c.atFirst;
        pos.AtLast = c.atLast;
        TDocActions a;
        TDocStateRules(allRights(), c.single).SetButton(a, pos);
        EXPECT_EQ(a.Prior, c.prior) << c.single << c.atFirst << c.atLast;
        EXPECT_EQ(a.First, c.prior);
        EXPECT_EQ(a.Next, c.next) << c.single << c.atFirst << c.atLast;
    }
}

TEST(DocState, AuditLevels)
{
    struct Case
    {
        int flag, levels;
        bool canNext;
        bool audit, unAudit, del, modify, header, lines;
        const char *caption, *status;
    };
    const Case cases[] = {
        // draft of one level
        {0, 1, true, true, false, true, true, true, true, "审核(&O)", "草稿"},
        // draft of two levels: the first level's audit, no un-audit
        {0, 2, true, true, false, true, true, true, true, "一审(&O)", "草稿"},
        // partly audited: the next level, un-audit, no delete, no lines, header locked
        {1, 2, true, true, true, false, true, false, false, "二审(&O)", "草稿"},
        // partly audited by a user without the next level's right
        {1, 2, false, false, true, false, true, false, false, "二审(&O)", "草稿"},
        // fully audited: only un-audit
        {2, 2, true, false, true, false, false, false, false, "二审(&O)", "已审核"},
        {1, 1, true, false, true, false, false, false, false, "审核(&O)", "已审核"},
    };
    for (const Case &c : cases) {
        TDocActions a;
        const TDocStateRules rules(allRights(), false);
        rules.SetCanSave(a, false, middle());
        rules.SetAuditButton(a, c.flag, c.levels, c.canNext, middle());
        const auto where = testing::Message() << "uFlag " << c.flag << " of " << c.levels;
        EXPECT_EQ(a.Audit, c.audit) << where;
        EXPECT_EQ(a.UnAudit, c.unAudit) << where;
        EXPECT_EQ(a.Del, c.del) << where;
        EXPECT_EQ(a.Modify, c.modify) << where;
        EXPECT_EQ(a.HeaderEditable, c.header) << where;
        EXPECT_EQ(a.Insert, c.lines) << where;
        EXPECT_EQ(a.Delete, c.lines) << where;
        EXPECT_FALSE(a.Save) << where;
        EXPECT_EQ(AuditCaption(c.flag, c.levels), QString::fromUtf8(c.caption)) << where;
        EXPECT_EQ(AuditStatusText(c.flag, c.levels), QString::fromUtf8(c.status)) << where;
    }
}

TEST(DocState, ModifyOpensTheHeaderAndLocksEverythingElse)
{
    const TDocStateRules rules(allRights(), false);
    TDocActions a;
    rules.SetCanSave(a, false, middle());
    rules.SetAuditButton(a, 1, 2, true, middle());
    ASSERT_FALSE(a.HeaderEditable);
    rules.Modify(a);
    EXPECT_TRUE(a.HeaderEditable);
    EXPECT_TRUE(a.Save);
    EXPECT_TRUE(a.Cancel);
    EXPECT_FALSE(a.New);
    EXPECT_FALSE(a.Del);
    EXPECT_FALSE(a.Audit);
    EXPECT_FALSE(a.UnAudit);
    EXPECT_FALSE(a.Print);
    EXPECT_TRUE(a.Insert);
}

TEST(DocumentKind, TypesAndPrefixes)
{
    EXPECT_TRUE(DocumentKindOf(QStringLiteral("frmPurIn")).TakesSourceDocument);
    EXPECT_FALSE(DocumentKindOf(QStringLiteral("frmXsdd")).TakesSourceDocument);
    EXPECT_FALSE(DocumentKindOf(QStringLiteral("frmXssk")).HasBarcodeBar);
    EXPECT_FALSE(DocumentKindOf(QStringLiteral("frmCgfk")).HasBlankLines);
    EXPECT_FALSE(DocumentKindOf(QStringLiteral("frmFykz")).GoodsCodeHandler);
    EXPECT_TRUE(DocumentKindOf(QStringLiteral("FRMSALOUNT")).SalesMargins);
    EXPECT_EQ(DocumentKindOf(QStringLiteral("frmStockLl")).Pricing, TLinePricing::IssueCost);
    EXPECT_EQ(DocumentKindOf(QStringLiteral("frmSalIn")).Picker, TPickerGoods::ProductsOnly);
    EXPECT_EQ(DocumentKindOf(QStringLiteral("Frmpd")).Picker, TPickerGoods::PickerDefault);
    EXPECT_EQ(DocumentKindOf(QStringLiteral("frmStockTl")).Picker, TPickerGoods::MaterialsOnly);

    EXPECT_EQ(BillPrefixOf(QStringLiteral("cgshzb")), QStringLiteral("CS"));
    EXPECT_EQ(BillPrefixOf(QStringLiteral("CGFKZB")), QStringLiteral("CK"));
    EXPECT_EQ(BillPrefixOf(QStringLiteral("QTKCBDZB")), QStringLiteral("QB"));
    EXPECT_EQ(BillPrefixOf(QStringLiteral("CGSH")), QString());
}

TEST(LinePrices, PriceLevels)
{
    const std::pair<const char *, const char *> customer[] = {
        {"", "JJJ"},        {"销售价", "JJJ"},  {"销售价二", "F1"}, {"销售价三", "F2"},
        {"销售价四", "F3"}, {"最后销售价", ""}, {"别的", "JJJ"},
    };
    for (const auto &[level, column] : customer)
        EXPECT_EQ(lines::CustomerPriceColumn(QString::fromUtf8(level)), QLatin1String(column))
            << level;
    const std::pair<const char *, const char *> header[] = {
        {"会员价", "JHY"}, {"VIP价", "JVIP"}, {"零售价", "JQJ"}, {"", "JJJ"}, {"销售价", "JJJ"}};
    for (const auto &[level, column] : header)
        EXPECT_EQ(lines::HeaderPriceColumn(QString::fromUtf8(level)), QLatin1String(column))
            << level;
}

TEST(LinePrices, QueriesQuoteWhatTheUserTyped)
{
    EXPECT_EQ(lines::GoodsListFilter(QStringLiteral("a'b")),
              QStringLiteral("bh like 'a''b%' or pm like 'a''b%' or zjm like 'A''B%'"));
    EXPECT_TRUE(lines::GoodsListFilter(QString()).isEmpty());
    EXPECT_EQ(lines::GoodsByCodeSql(QStringLiteral("O'Neil"), {QStringLiteral("SX1")}),
              QStringLiteral(" select ID,PM,GG,DW,JJ,JJJ,JHY,JVIP,JQJ,HPHSFSID,TypeName,SX1 from "
                             "HP H left join Pub_ItemType P on H.HPLBID=P.ItemType where BH = "
                             "'O''Neil'"));
    EXPECT_EQ(lines::StockQtySql(0, 7, QDate(2024, 3, 1), 2),
              QStringLiteral(" select sum(flag*sl) as qty From Inv_ItemList  where 1=1  and hpid "
                             "=7 and RQ <= #2024-03-01# and CKID = 2"));
    EXPECT_EQ(lines::CostPriceSql(1, QStringLiteral("YDJQPJ"), 7, QDate(2024, 3, 1), 2),
              QStringLiteral(" select sum(sl*dj)/sum(sl) From Inv_ItemList  where flag=1  and hpid "
                             "=7 and RQ <= '2024-03-01' and CKID = 2"));
    EXPECT_TRUE(lines::CostPriceSql(0, QStringLiteral("LASTCGJJ"), 7, QDate(2024, 3, 1), 2)
                    .contains(QStringLiteral("BillType='CS'")));
}

TEST(LinePrices, FirstInFirstOutCost)
{
    using lines::TReceipt;
    const QList<TReceipt> receipts{{10, 5}, {10, 6}, {5, 8}};
    struct Case
    {
        double issuedBefore, quantity, cost;
        const char *why;
    };
    const Case cases[] = {
        {0, 4, 5, "inside the first receipt"},
        {0, 15, 5.33, "the first whole and half the second: (50 + 30) / 15"},
        {10, 5, 6, "the first receipt issued already"},
        {12, 10, 6.4, "the second's remaining 8 and 2 of the third: (48 + 16) / 10"},
        {0, 30, 6, "run out: the 25 taken, (50 + 60 + 40) / 25"},
        {25, 3, 0, "nothing left"},
        {9.5, 1, 5.5, "half of the first receipt's last unit"},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(lines::FifoUnitCost(receipts, c.issuedBefore, c.quantity), c.cost)
            << c.why;
    EXPECT_EQ(lines::FifoUnitCost({}, 0, 5), 0);
}

TEST(Posting, StatementsByPrefix)
{
    posting::TPostingRequest receipt;
    receipt.Prefix = QStringLiteral("CS");
    receipt.BillNo = QStringLiteral("CS2024030007");
    receipt.Attributes = {QStringLiteral("SX1"), QStringLiteral("SX2")};
    EXPECT_EQ(posting::PostingStatements(receipt),
              QStringList{QStringLiteral(
                  " insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,NZK,NSL,SL,DJ,CBDJ,JE,"
                  "CustVendID,CKID,F1,YGID,SX1,SX2) select D.RQ,'CS',1,M.DJBH,D.HPID,D.HH,D.NZK,"
                  "D.NSL,D.SL,D.DJ,DJ,D.SL*D.DJ,M.GYSID,M.CKID,M.CGLX,YGID,SX1,SX2 from CGSHZB "
                  "M,CGSH D     where M.ID=D.ZBID   and M.DJBH='CS2024030007'")});

    posting::TPostingRequest transfer;
    transfer.Prefix = QStringLiteral("DB");
    transfer.BillNo = QStringLiteral("DB2024030001");
    transfer.TransferType = QStringLiteral("CKDB");
    const QStringList moves = posting::PostingStatements(transfer);
    ASSERT_EQ(moves.size(), 2);
    EXPECT_TRUE(moves[0].contains(QStringLiteral("'CKDB',1,")) && moves[0].contains("M.DRCID,0"));
    EXPECT_TRUE(moves[1].contains(QStringLiteral("'CKDB',-1,")) && moves[1].contains("M.DCCID,0"));

    posting::TPostingRequest count;
    count.Prefix = QStringLiteral("PD");
    count.BillNo = QStringLiteral("PD2024030001");
    count.AdjustmentType = QStringLiteral("KCPD");
    count.CountSheet = true;
    EXPECT_EQ(posting::PostingStatements(count),
              QStringList{QStringLiteral(
                  " insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID)"
                  " select D.RQ,'KCPD',1,M.DJBH,D.HPID,D.HH,D.SL-D.KCSL,D.DJ,DJ,D.SL*D.DJ,M.CKID,0 "
                  " from KCPDZB M,KCPD D     where M.ID=D.ZBID   and M.DJBH='PD2024030001' and "
                  "(D.SL-D.KCSL) <> 0")});
    count.CountSheet = false;
    EXPECT_TRUE(posting::PostingStatements(count)[0].contains(QStringLiteral("and (D.SL) <> 0")));

    posting::TPostingRequest other;
    other.Prefix = QStringLiteral("QB");
    other.BillNo = QStringLiteral("QB1");
    EXPECT_TRUE(
        posting::PostingStatements(other)[0].contains(QStringLiteral("iif(L.RKL,'1','-1')")));
    other.DatabaseKind = 1;
    EXPECT_TRUE(posting::PostingStatements(other)[0].contains(
        QStringLiteral("case L.RKL when 1 then '1' else '-1' end ")));

    // A number that is text goes in quoted.
    posting::TPostingRequest odd = receipt;
    odd.BillNo = QStringLiteral("CS'1");
    EXPECT_TRUE(posting::PostingStatements(odd)[0].endsWith(QStringLiteral("M.DJBH='CS''1'")));

    for (const char *prefix : {"CD", "XD", "XK", "CK", "KZ", "SR", "CQ", ""}) {
        posting::TPostingRequest none;
        none.Prefix = QLatin1String(prefix);
        none.BillNo = QStringLiteral("X");
        EXPECT_TRUE(posting::PostingStatements(none).isEmpty()) << prefix;
        EXPECT_FALSE(posting::IsPostedPrefix(none.Prefix)) << prefix;
    }
    for (const char *prefix : {"CS", "CT", "XS", "XT", "LL", "TL", "PD", "DB", "QB", "CP"})
        EXPECT_TRUE(posting::IsPostedPrefix(QLatin1String(prefix))) << prefix;
    EXPECT_EQ(posting::UnpostStatement(QStringLiteral("CS'9")),
              QStringLiteral(" Delete from Inv_Itemlist where DJBH='CS''9'"));
    EXPECT_EQ(
        posting::RefQuantityStatement(-1, 2.5, QStringLiteral("CS1"), 3),
        QStringLiteral(" update inv_itemlist set RefSL=RefSL+-1*2.5 where DJBH='CS1' and HH=3"));
}
