// The demo account set: documents of every kind whose ledger rows are exactly what the
// client's audit statements post, with stock, costs, numbers and balances that add up.
#include "accountdbtestutil.h"

#include "demodata/demodata.h"
#include "server/accountdb.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <tuple>

using dbtest::integer;
using dbtest::real;
using dbtest::rows;
using dbtest::text;

namespace {

const QDate kToday(2024, 5, 20);

QString buildDemo(const QTemporaryDir &dir, const QString &name, int scale = 0, int auditLevels = 1)
{
    const QString path = dir.filePath(name + QStringLiteral("/VzData.db"));
    demodata::DemoOptions demo;
    demo.scale = scale;
    demo.auditLevels = auditLevels;
    demo.today = kToday;
    server::AccountDbOptions options;
    options.accountName = QStringLiteral("演示帐套");
    options.fill = demodata::demoFill(demo);
    server::createAccountDatabase(path, options);
    return path;
}

std::string quoted(const std::string &value)
{
    return "'" + value + "'";
}

// The posting statements the audit executes at the last level, for one document.
std::vector<std::string> postingStatements(sql::Database &db, const std::string &prefix,
                                           const std::string &number)
{
    const std::string L1 = " insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,NZK,NSL,SL,"
                           "DJ,CBDJ,JE,CustVendID,CKID,F1,YGID";
    const std::string L2 = " insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,"
                           "JE,CKID,YGID";
    const std::string W = " where M.ID=D.ZBID   and M.DJBH='" + number + "'";
    auto statement = [&](const std::string &list, const std::string &billType,
                         const std::string &select, const std::string &from) {
        return list + ")" + " select D.RQ,'" + billType + select + from + W;
    };
    if (prefix == "CS")
        return {statement(L1, "CS",
                          "',1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,DJ,D.SL*D.DJ,M.GYSID,"
                          "M.CKID,M.CGLX,YGID",
                          " from CGSHZB M,CGSH D    ")};
    if (prefix == "CT")
        return {statement(L1, "CT",
                          "',-1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,DJ,D.SL*D.DJ,M.GYSID,"
                          "M.CKID,M.THLX,YGID",
                          " from CGTHZB M,CGTH D    ")};
    if (prefix == "XS")
        return {statement(L1, "XS",
                          "',-1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,CBDJ,D.SL*D.DJ,M.KHID,"
                          "M.CKID,M.XSLX,YGID",
                          " from XSKDZB M,XSKD D    ")};
    if (prefix == "XT")
        return {statement(L1, "XT",
                          "',1,M.DJBH,D.HPID,D.HH,D.NZK,D.NSL,D.SL,D.DJ,CBDJ,D.SL*D.DJ,M.KHID,"
                          "M.CKID,M.THLX,YGID",
                          " from XSTHZB M,XSTH D    ")};
    if (prefix == "LL")
        return {statement(L2, "LL", "',-1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,YGID",
                          " from LLZB M,LL D    ")};
    if (prefix == "TL")
        return {statement(L2, "TL", "',1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.CKID,YGID",
                          " from TLZB M,TL D    ")};
    if (prefix == "DB") {
        const std::string type =
            text(db, "SELECT DBType FROM CKDBZB WHERE DJBH = " + quoted(number));
        return {statement(L2, type, "',1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.DRCID,0",
                          " from CKDBZB M,CKDB D    "),
                statement(L2, type, "',-1,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,D.SL*D.DJ,M.DCCID,0",
                          " from CKDBZB M,CKDB D    ")};
    }
    if (prefix == "PD") {
        // Count sheets post the counted minus the book quantity.
        const std::string type =
            text(db, "SELECT BillType FROM KCPDZB WHERE DJBH = " + quoted(number));
        const std::string q = type == "KCPD" ? "D.SL-D.KCSL" : "D.SL";
        return {L2 + ")" + " select D.RQ,'" + type + "',1,M.DJBH,D.HPID,D.HH," + q +
                ",D.DJ,DJ,D.SL*D.DJ,M.CKID,0 " + " from KCPDZB M,KCPD D    " + W + " and (" + q +
                ") <> 0"};
    }
    if (prefix == "QB")
        return {" insert into Inv_Itemlist(RQ,BillType,Flag,DJBH,HPID,HH,SL,DJ,CBDJ,JE,CKID,YGID) "
                " select D.RQ,'QB',iif(L.RKL,'1','-1') ,M.DJBH,D.HPID,D.HH,D.SL,D.DJ,DJ,"
                "D.SL*D.DJ,M.CKID,0 from (QTKCBDZB M left outer join QTKCBD D on M.ID=D.ZBID) "
                " left outer join QTKCBDLX L  on M.QTKCBDLXID = L.ID where M.DJBH='" +
                number + "'"};
    return {};
}

// The unit cost of issuing qty first in, first out, read from the ledger with the queries
// the save runs: earlier issues are skipped along the receipts in date order.
double fifoCost(sql::Database &db, const std::string &rq, const std::string &number, int64_t ckid,
                int64_t hpid, double qty, double purchasePrice)
{
    const std::string where = " and RQ <='" + rq + "' and ckid=" + std::to_string(ckid) +
                              " and hpid=" + std::to_string(hpid);
    double skip = real(db, " select sum(sl) From Inv_ItemList  where Billtype in ('LL','XS')" +
                               where + " and DJBH <'" + number + "'");
    std::vector<std::pair<double, double>> receipts;
    sql::Statement list = db.prepare(
        " select sl,dj from Inv_ItemList where BillType in('aExport','CS','KCPD','KCTZ','TL')" +
        where + " order by rq,id");
    while (list.step())
        receipts.emplace_back(list.columnDouble(0), list.columnDouble(1));
    if (receipts.empty())
        return purchasePrice;
    size_t i = 0;
    while (i < receipts.size() && receipts[i].first < skip)
        skip -= receipts[i++].first;
    double value = 0;
    double taken = 0;
    double need = qty;
    for (bool first = true; i < receipts.size() && (first || need > 0); ++i, first = false) {
        const double take = std::min(receipts[i].first - (first ? skip : 0), need);
        value += take * receipts[i].second;
        taken += take;
        need -= take;
    }
    return need <= 0 ? value / qty : (taken != 0 ? value / taken : 0);
}

// The same checks hold for the demo (scale 0) and for a benchmark set (scale 1), each built
// once for all the tests.
class Demo : public ::testing::TestWithParam<int>
{
protected:
    static void TearDownTestSuite()
    {
        s_paths.clear();
        s_dir.reset();
    }

    Demo()
        : db(pathFor(GetParam()).toStdString(), sql::Database::Mode::ReadWrite)
    {
        db.exec("PRAGMA cache_size = -262144");
    }

    static QString pathFor(int scale)
    {
        if (!s_dir)
            s_dir = std::make_unique<QTemporaryDir>();
        QString &path = s_paths[scale];
        if (path.isEmpty())
            path = buildDemo(*s_dir, QString::number(scale), scale);
        return path;
    }

    static std::unique_ptr<QTemporaryDir> s_dir;
    static std::map<int, QString> s_paths;
    sql::Database db;
};

std::unique_ptr<QTemporaryDir> Demo::s_dir;
std::map<int, QString> Demo::s_paths;

} // namespace

TEST_P(Demo, HasDocumentsOfEveryKindAndALedger)
{
    EXPECT_GT(integer(db, "SELECT count(*) FROM Inv_ItemList"), 1000);
    for (const dbtest::DocumentKind &kind : dbtest::documentKinds()) {
        const std::string header = kind.header;
        EXPECT_GT(integer(db, "SELECT count(*) FROM " + header + " WHERE uFlag = 1"), 3) << header;
        EXPECT_GT(integer(db, "SELECT count(*) FROM " + std::string(kind.lines)), 3) << header;
    }
    // Drafts wait for audit in the last week, so the alert window and the draft tabs show
    // something too.
    EXPECT_GT(integer(db, "SELECT count(*) FROM XSKDZB WHERE uFlag = 0 AND RQ >= '2024-05-14'"), 0);
    EXPECT_GT(integer(db, "SELECT count(*) FROM LLZB WHERE uFlag = 0"), 0);
    EXPECT_GT(integer(db, "SELECT count(*) FROM YHCKQK"), 0);
    EXPECT_EQ(text(db, "SELECT fCompanyName FROM CompanyInfo"), "演示帐套");
}

TEST_P(Demo, HoldsEveryCodeOnceAndKeepsItsCodesUniqueKeys)
{
    // The keys would refuse a duplicate, so the build would have failed; the keys themselves
    // must be there, not made plain by the migration's fallback.
    for (const char *table : {"HP", "KH", "GYS", "YG", "AppUser"}) {
        const std::string column = std::string(table) == "AppUser" ? "uCode" : "BH";
        EXPECT_EQ(integer(db, "SELECT count(*) FROM (SELECT " + column + " FROM " + table +
                                  " GROUP BY " + column + " HAVING count(*) > 1)"),
                  0)
            << table;
        EXPECT_EQ(integer(db, "SELECT count(*) FROM pragma_index_list('" + std::string(table) +
                                  "') L, pragma_index_info(L.name) I WHERE L.\"unique\" = 1 "
                                  "AND I.name = '" +
                                  column + "'"),
                  1)
            << table;
    }
    EXPECT_EQ(integer(db, "SELECT count(*) FROM KeyDuplicates"), 0);
}

TEST_P(Demo, LedgerHoldsExactlyWhatTheAuditStatementsPost)
{
    const std::string ddl = text(db, "SELECT sql FROM sqlite_master WHERE name = 'Inv_ItemList'");
    db.exec(QString::fromStdString(ddl)
                .replace(QStringLiteral("CREATE TABLE Inv_ItemList"),
                         QStringLiteral("CREATE TEMP TABLE posted"))
                .toStdString());
    int posted = 0;
    for (const dbtest::DocumentKind &kind : dbtest::documentKinds()) {
        for (const std::string &number :
             rows(db, std::string("SELECT DJBH FROM ") + kind.header + " WHERE uFlag = 1")) {
            for (std::string statement : postingStatements(db, kind.prefix, number)) {
                statement.replace(statement.find("Inv_Itemlist"), 12, "posted");
                db.exec(statement);
                ++posted;
            }
        }
    }
    EXPECT_GT(posted, 500);
    const std::string columns =
        "RQ, BillType, Flag, DJBH, HPID, HH, NZK, NSL, SL, DJ, CBDJ, JE, CustVendID, CKID, F1, "
        "YGID";
    EXPECT_EQ(integer(db, "SELECT count(*) FROM posted"),
              integer(db, "SELECT count(*) FROM Inv_ItemList"));
    EXPECT_EQ(rows(db, "SELECT " + columns + " FROM posted EXCEPT SELECT " + columns +
                           " FROM Inv_ItemList"),
              std::vector<std::string>{});
    EXPECT_EQ(rows(db, "SELECT " + columns + " FROM Inv_ItemList EXCEPT SELECT " + columns +
                           " FROM posted"),
              std::vector<std::string>{});
}

TEST_P(Demo, StockPerGoodsAndWarehouseIsReceiptsMinusIssues)
{
    const std::string movements = R"(
        SELECT D.HPID AS hpid, M.CKID AS ckid, D.SL AS q FROM CGSHZB M JOIN CGSH D ON D.ZBID = M.ID WHERE M.uFlag = 1
        UNION ALL SELECT D.HPID, M.CKID, -D.SL FROM CGTHZB M JOIN CGTH D ON D.ZBID = M.ID WHERE M.uFlag = 1
        UNION ALL SELECT D.HPID, M.CKID, -D.SL FROM XSKDZB M JOIN XSKD D ON D.ZBID = M.ID WHERE M.uFlag = 1
        UNION ALL SELECT D.HPID, M.CKID, D.SL FROM XSTHZB M JOIN XSTH D ON D.ZBID = M.ID WHERE M.uFlag = 1
        UNION ALL SELECT D.HPID, M.CKID, -D.SL FROM LLZB M JOIN LL D ON D.ZBID = M.ID WHERE M.uFlag = 1
        UNION ALL SELECT D.HPID, M.CKID, D.SL FROM TLZB M JOIN TL D ON D.ZBID = M.ID WHERE M.uFlag = 1
        UNION ALL SELECT D.HPID, M.DRCID, D.SL FROM CKDBZB M JOIN CKDB D ON D.ZBID = M.ID WHERE M.uFlag = 1
        UNION ALL SELECT D.HPID, M.DCCID, -D.SL FROM CKDBZB M JOIN CKDB D ON D.ZBID = M.ID WHERE M.uFlag = 1
        UNION ALL SELECT D.HPID, M.CKID, CASE M.BillType WHEN 'KCPD' THEN D.SL - D.KCSL ELSE D.SL END
                  FROM KCPDZB M JOIN KCPD D ON D.ZBID = M.ID WHERE M.uFlag = 1
        UNION ALL SELECT D.HPID, M.CKID, CASE L.RKL WHEN 1 THEN D.SL ELSE -D.SL END
                  FROM QTKCBDZB M JOIN QTKCBD D ON D.ZBID = M.ID JOIN QTKCBDLX L ON L.ID = M.QTKCBDLXID
                  WHERE M.uFlag = 1)";
    const std::string expected =
        "SELECT hpid, ckid, sum(q) FROM (" + movements + ") GROUP BY hpid, ckid HAVING sum(q) <> 0";
    const std::string ledger = "SELECT HPID, CKID, sum(Flag * SL) FROM Inv_ItemList GROUP BY "
                               "HPID, CKID HAVING sum(Flag * SL) <> 0";
    const auto fromDocuments = rows(db, expected + " ORDER BY 1, 2");
    EXPECT_GT(fromDocuments.size(), 50u);
    EXPECT_EQ(rows(db, ledger + " ORDER BY 1, 2"), fromDocuments);
    EXPECT_EQ(rows(db, "SELECT HPID, CKID, JCS FROM HPKC WHERE JCS <> 0 ORDER BY 1, 2"),
              fromDocuments);
    // Nothing was ever issued that was not in stock.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM (" + ledger + ") WHERE \"sum(Flag * SL)\" < 0"), 0);
    // Documents that never move stock left no rows.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Inv_ItemList WHERE substr(DJBH, 1, 2) NOT IN "
                          "('CS', 'CT', 'XS', 'XT', 'LL', 'TL', 'DB', 'PD', 'QB')"),
              0);
    // Only audited documents are posted.
    db.exec("CREATE TEMP TABLE audited (DJBH TEXT PRIMARY KEY)");
    for (const dbtest::DocumentKind &kind : dbtest::documentKinds())
        db.exec(std::string("INSERT INTO audited SELECT DJBH FROM ") + kind.header +
                " WHERE uFlag = 1");
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Inv_ItemList WHERE DJBH NOT IN (SELECT DJBH FROM "
                          "audited)"),
              0);
}

TEST_P(Demo, UnitCostsAreThoseTheFormsComputeFromTheLedger)
{
    // Weighted average of what the warehouse received up to the date, else the purchase price,
    // in whole cents (either cent when the average lies half-way up to rounding noise). The
    // receipts are accumulated per goods, warehouse and day first.
    db.exec("CREATE TEMP TABLE received AS SELECT HPID, CKID, RQ, sum(sum(SL * DJ)) OVER w AS "
            "value, sum(sum(SL)) OVER w AS qty FROM Inv_ItemList WHERE Flag = 1 GROUP BY HPID, "
            "CKID, RQ WINDOW w AS (PARTITION BY HPID, CKID ORDER BY RQ);"
            "CREATE INDEX received_key ON received (HPID, CKID, RQ)");
    auto wrongCosts = [&](const std::string &lines, const std::string &header,
                          const std::string &cost, const std::string &goods) {
        return integer(
            db, "SELECT count(*) FROM (SELECT D." + cost +
                    " AS cost, CASE WHEN H.HPHSFSID = 1 "
                    "THEN ifnull(nullif((SELECT value / qty FROM received r WHERE r.HPID = D.HPID "
                    "AND r.CKID = Z.CKID AND r.RQ <= Z.RQ ORDER BY r.RQ DESC LIMIT 1), 0), H.JJ) "
                    "ELSE H.JJ END AS expected FROM " +
                    lines + " D JOIN " + header +
                    " Z ON Z.ID = "
                    "D.ZBID JOIN HP H ON H.ID = D.HPID WHERE " +
                    goods +
                    ") WHERE abs(cost - "
                    "expected) > 0.0050001 OR abs(cost * 100 - round(cost * 100)) > 1e-6");
    };
    EXPECT_GT(integer(db, "SELECT count(*) FROM XSKD D JOIN HP H ON H.ID = D.HPID WHERE "
                          "H.HPHSFSID = 1"),
              100);
    EXPECT_EQ(wrongCosts("XSKD", "XSKDZB", "CBDJ", "1 = 1"), 0);
    EXPECT_EQ(wrongCosts("LL", "LLZB", "DJ", "H.HPHSFSID = 1"), 0);
    // Returned sales are costed at the retail price.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM XSTH D JOIN HP H ON H.ID = D.HPID WHERE D.CBDJ "
                          "<> H.JQJ"),
              0);

    // Goods issued from purchase batches cost first in, first out.
    int checked = 0;
    sql::Statement lines = db.prepare(
        "SELECT Z.RQ, Z.DJBH, Z.CKID, D.HPID, D.SL, D.DJ, H.JJ FROM LL D JOIN LLZB Z ON Z.ID = "
        "D.ZBID JOIN HP H ON H.ID = D.HPID WHERE H.HPHSFSID = 2");
    while (lines.step()) {
        const double expected =
            fifoCost(db, lines.columnText(0), lines.columnText(1), lines.columnInt(2),
                     lines.columnInt(3), lines.columnDouble(4), lines.columnDouble(6));
        EXPECT_NEAR(lines.columnDouble(5), expected, 0.0050001) << lines.columnText(1);
        ++checked;
    }
    EXPECT_GT(checked, 3);

    // Count sheets record the book quantity the warehouse had before they were posted.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM KCPD D JOIN KCPDZB Z ON Z.ID = D.ZBID WHERE "
                          "Z.BillType = 'KCPD' AND D.KCSL <> ifnull((SELECT sum(flag*sl) FROM "
                          "Inv_ItemList i WHERE i.hpid = D.HPID AND i.RQ <= Z.RQ AND i.CKID = "
                          "Z.CKID AND i.DJBH <> Z.DJBH), 0)"),
              0);
    EXPECT_GT(integer(db, "SELECT count(*) FROM KCPD WHERE SL <> KCSL"), 0);
}

TEST_P(Demo, BatchesRecordWhatIssuesTookFromThem)
{
    EXPECT_GT(integer(db, "SELECT count(*) FROM LL WHERE SRCNO LIKE 'CS%'"), 0);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Inv_ItemList I WHERE BillType = 'CS' AND "
                          "abs(RefSL - ifnull((SELECT sum(D.SL) FROM LL D JOIN LLZB Z ON Z.ID = "
                          "D.ZBID WHERE Z.uFlag = 1 AND D.SRCNO = I.DJBH AND D.SRCSEQ = I.HH), 0)) "
                          "> 0.0001"),
              0);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Inv_ItemList WHERE (RefSL > 0 AND RefSL > SL) OR "
                          "(RefSL <> 0 AND BillType <> 'CS')"),
              0);
}

TEST_P(Demo, NumbersFollowTheCountersAndGiveTheIds)
{
    std::map<std::string, int> highest; // counter key -> highest sequence used
    std::set<std::string> numbers;
    const QRegularExpression form(QStringLiteral("^([A-Z]{2})(\\d{4})(\\d{2})(\\d{4})$"));
    for (const dbtest::DocumentKind &kind : dbtest::documentKinds()) {
        for (const std::string &row :
             rows(db, std::string("SELECT DJBH, ID, RQ FROM ") + kind.header)) {
            const QStringList parts = QString::fromStdString(row).split(QLatin1Char('|'));
            const QRegularExpressionMatch match = form.match(parts[0]);
            ASSERT_TRUE(match.hasMatch()) << row;
            EXPECT_EQ(match.captured(1).toStdString(), kind.prefix) << row;
            EXPECT_EQ(match.captured(2) + QLatin1Char('-') + match.captured(3), parts[2].left(7))
                << row;
            EXPECT_EQ(parts[0].mid(2), parts[1]) << row;
            EXPECT_TRUE(numbers.insert(parts[0].toStdString()).second) << row;
            int &top = highest[parts[0].left(8).toStdString()];
            top = std::max(top, match.captured(4).toInt());
        }
    }
    // Every counter hands out the number after the last one used, without gaps.
    std::map<std::string, int> counters;
    for (const std::string &row : rows(db, "SELECT TableName, MaxNo FROM MaxBillNo")) {
        const auto bar = row.find('|');
        counters[row.substr(0, bar)] = std::stoi(row.substr(bar + 1));
    }
    ASSERT_EQ(counters.size(), highest.size());
    for (const auto &[key, top] : highest)
        EXPECT_EQ(counters[key], top + 1) << key;
    std::map<std::string, int> perKey;
    for (const std::string &number : numbers)
        ++perKey[number.substr(0, 8)];
    for (const auto &[key, count] : perKey)
        EXPECT_EQ(count, highest[key]) << key;

    // Lines belong to their header, numbered 1..n, with its number and date.
    for (const dbtest::DocumentKind &kind : dbtest::documentKinds()) {
        const std::string header = kind.header;
        const std::string lines = kind.lines;
        EXPECT_EQ(integer(db, "SELECT count(*) FROM " + lines + " D LEFT JOIN " + header +
                                  " M ON M.ID = D.ZBID WHERE M.ID IS NULL OR D.DJBH <> M.DJBH "
                                  "OR D.RQ <> M.RQ"),
                  0)
            << lines;
        EXPECT_EQ(integer(db, "SELECT count(*) FROM (SELECT ZBID, count(*) AS n, max(HH) AS top, "
                              "count(DISTINCT HH) AS distinct_hh FROM " +
                                  lines + " GROUP BY ZBID) WHERE n <> top OR n <> distinct_hh"),
                  0)
            << lines;
        EXPECT_EQ(integer(db, "SELECT count(*) FROM (SELECT RECID FROM " + lines +
                                  " GROUP BY RECID HAVING count(*) > 1)"),
                  0)
            << lines;
    }
}

TEST_P(Demo, TotalsAndSettlementsAddUp)
{
    // Header totals are the lines' amounts as the save sums them, in cents.
    const std::vector<std::pair<std::string, std::string>> discounted = {
        {"CGDDZB", "CGDD"}, {"CGSHZB", "CGSH"}, {"CGTHZB", "CGTH"},
        {"XSDDZB", "XSDD"}, {"XSKDZB", "XSKD"}, {"XSTHZB", "XSTH"}};
    for (const auto &[header, lines] : discounted) {
        EXPECT_EQ(integer(db, "SELECT count(*) FROM " + header +
                                  " M WHERE abs(M.JE - (SELECT sum(SL*DJ*NZK) "
                                  "FROM " +
                                  lines +
                                  " D WHERE D.ZBID = M.ID)) > 0.0050001 OR "
                                  "abs(M.JE * 100 - round(M.JE * 100)) > 1e-6"),
                  0)
            << header;
    }
    for (const auto &[header, lines] : std::vector<std::pair<std::string, std::string>>{
             {"LLZB", "LL"}, {"TLZB", "TL"}, {"CKDBZB", "CKDB"}, {"CPJCZB", "CPJC"}}) {
        EXPECT_EQ(integer(db, "SELECT count(*) FROM " + header +
                                  " M WHERE abs(M.JE - (SELECT sum(SL*DJ) "
                                  "FROM " +
                                  lines +
                                  " D WHERE D.ZBID = M.ID)) > 0.0050001 OR "
                                  "abs(M.JE * 100 - round(M.JE * 100)) > 1e-6"),
                  0)
            << header;
    }
    for (const std::string header : {"FYKZZB", "QTSRZB", "XSSKZB", "CGFKZB"}) {
        const std::string lines = header.substr(0, header.size() - 2);
        EXPECT_EQ(integer(db, "SELECT count(*) FROM " + header + " M WHERE EXISTS (SELECT 1 FROM " +
                                  lines +
                                  " D WHERE D.ZBID = M.ID) AND abs(M.JE - (SELECT sum(JE) "
                                  "FROM " +
                                  lines + " D WHERE D.ZBID = M.ID)) > 0.005"),
                  0)
            << header;
    }

    // A credit delivery's received amount is what the audited receipts settled on it (the
    // final audit books it); cash ones are paid in full. Drafts never settle more than is
    // left. The same for purchases.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM XSKDZB Z WHERE (XSLX = 1 AND (YSJE <> JE OR XSJE "
                          "<> JE)) OR (XSLX = 2 AND abs(YSJE - ifnull((SELECT sum(D.JE) FROM XSSK "
                          "D JOIN XSSKZB M ON M.ID = D.ZBID WHERE D.DDID = Z.ID AND M.uFlag = 1), "
                          "0)) > 0.005) OR YSJE > JE + 0.005 OR (SELECT sum(JE) FROM XSSK WHERE "
                          "DDID = Z.ID) > JE + 0.005"),
              0);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM CGSHZB Z WHERE (CGLX = 1 AND (YFJE <> JE OR XFJE "
                          "<> JE)) OR (CGLX = 2 AND abs(YFJE - ifnull((SELECT sum(D.JE) FROM CGFK "
                          "D JOIN CGFKZB M ON M.ID = D.ZBID WHERE D.DDID = Z.ID AND M.uFlag = 1), "
                          "0)) > 0.005) OR YFJE > JE + 0.005 OR (SELECT sum(JE) FROM CGFK WHERE "
                          "DDID = Z.ID) > JE + 0.005"),
              0);
    EXPECT_GT(integer(db, "SELECT count(*) FROM XSKDZB WHERE XSLX = 2 AND JE > YSJE"), 0);
    // Settlements only settle credit documents of their own partner.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM XSSK D JOIN XSSKZB M ON M.ID = D.ZBID LEFT JOIN "
                          "XSKDZB S ON S.ID = D.DDID WHERE S.ID IS NULL OR S.XSLX <> 2 OR S.KHID "
                          "<> M.KHID"),
              0);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM CGFK D JOIN CGFKZB M ON M.ID = D.ZBID LEFT JOIN "
                          "CGSHZB S ON S.ID = D.DDID WHERE S.ID IS NULL OR S.CGLX <> 2 OR S.GYSID "
                          "<> M.GYSID"),
              0);

    // Customers owe their opening balance plus audited credit sales less audited receipts.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM KH K WHERE abs(K.QMJE - (K.QCJE + ifnull((SELECT "
                          "sum(JE) FROM XSKDZB WHERE KHID = K.ID AND XSLX = 2 AND uFlag = 1), 0) "
                          "- ifnull((SELECT sum(JE) FROM XSSKZB WHERE KHID = K.ID AND FKLX = 1 AND "
                          "uFlag = 1), 0))) > 0.01"),
              0);
    EXPECT_EQ(integer(db,
                      "SELECT count(*) FROM GYS G WHERE abs(G.QMJE - (G.QCJE + ifnull((SELECT "
                      "sum(JE) FROM CGSHZB WHERE GYSID = G.ID AND CGLX = 2 AND uFlag = 1), 0) "
                      "- ifnull((SELECT sum(JE) FROM CGFKZB WHERE GYSID = G.ID AND FKLX = 1 AND "
                      "uFlag = 1), 0))) > 0.01"),
              0);
    // No account is overdrawn at the end.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM ZH WHERE QMJE < 0"), 0);
    EXPECT_GT(integer(db, "SELECT count(*) FROM ZH WHERE QMJE <> QCJE"), 1);
}

TEST_P(Demo, EveryReferencePointsAtARealRow)
{
    auto dangling = [&](const std::string &table, const std::string &column,
                        const std::string &target, const std::string &key = "ID") {
        return integer(db, "SELECT count(*) FROM " + table + " WHERE " + column + " <> 0 AND " +
                               column + " NOT IN (SELECT " + key + " FROM " + target + ")");
    };
    for (const dbtest::DocumentKind &kind : dbtest::documentKinds()) {
        EXPECT_EQ(dangling(kind.lines, "HPID", "HP"), 0) << kind.lines;
        for (const auto &[column, target] :
             std::vector<std::pair<std::string, std::string>>{{"CKID", "CK"},
                                                              {"KHID", "KH"},
                                                              {"GYSID", "GYS"},
                                                              {"YGID", "YG"},
                                                              {"BMID", "BM"},
                                                              {"ZHID", "ZH"},
                                                              {"SFKFSID", "SFKFS"},
                                                              {"FPLX", "FPLX"},
                                                              {"DCCID", "CK"},
                                                              {"DRCID", "CK"},
                                                              {"QTKCBDLXID", "QTKCBDLX"}}) {
            if (dbtest::hasColumn(db, kind.header, column)) {
                EXPECT_EQ(dangling(kind.header, column, target), 0) << kind.header << "." << column;
            }
        }
    }
    EXPECT_EQ(dangling("Inv_ItemList", "HPID", "HP"), 0);
    EXPECT_EQ(dangling("Inv_ItemList", "CKID", "CK"), 0);
    // The reports join the ledger to employees without an outer join: purchases, sales and
    // issues always name one.
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Inv_ItemList WHERE BillType IN ('CS', 'CT', "
                          "'XS', 'XT', 'LL', 'TL') AND YGID NOT IN (SELECT ID FROM YG)"),
              0);
    EXPECT_EQ(dangling("HP", "HPLBID", "Pub_ItemType", "ItemType"), 0);
    EXPECT_EQ(dangling("YG", "BMID", "BM"), 0);
    EXPECT_EQ(dangling("KH", "DQID", "DQ"), 0);
    EXPECT_EQ(dangling("KH", "LevelID", "VIP", "id"), 0);
    EXPECT_EQ(dangling("CK", "BMID", "BM"), 0);
    EXPECT_EQ(dangling("AppUser", "YGID", "YG"), 0);
    EXPECT_EQ(dangling("Rs_Contract", "F_empID", "YG"), 0);
    EXPECT_EQ(dangling("Gz_JJGZ", "F_GxID", "Gz_GXu", "id"), 0);

    // Lines taken from a source name an audited source line and never take more than it holds.
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> references = {
        {"CGSH", "CGSQ", "CGSQZB", "CQ"},
        {"CGSH", "CGDD", "CGDDZB", "CD"},
        {"XSKD", "XSDD", "XSDDZB", "XD"},
        {"TL", "LL", "LLZB", "LL"},
        {"LL", "CGSH", "CGSHZB", "CS"}};
    for (const auto &[target, source, sourceHeader, prefix] : references) {
        EXPECT_GT(
            integer(db, "SELECT count(*) FROM " + target + " WHERE SRCNO LIKE '" + prefix + "%'"),
            0)
            << target << " from " << source;
        EXPECT_EQ(integer(db, "SELECT count(*) FROM " + target + " T WHERE T.SRCNO LIKE '" +
                                  prefix + "%' AND NOT EXISTS (SELECT 1 FROM " + source +
                                  " S JOIN " + sourceHeader +
                                  " M ON M.ID = S.ZBID WHERE M.uFlag = 1 AND "
                                  "S.DJBH = T.SRCNO AND S.HH = T.SRCSEQ AND S.HPID = T.HPID)"),
                  0)
            << target << " from " << source;
        EXPECT_EQ(integer(db, "SELECT count(*) FROM " + source +
                                  " S WHERE S.SL < (SELECT "
                                  "ifnull(sum(T.SL), 0) FROM " +
                                  target + " T WHERE T.SRCNO = S.DJBH AND T.SRCSEQ = S.HH)"),
                  0)
            << target << " from " << source;
    }
}

TEST_P(Demo, StoresDatesFlagsAndAmountsInTheirCanonicalForm)
{
    const std::string day = "'[12][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]'";
    const std::string time = day.substr(0, day.size() - 1) + " [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'";
    std::vector<std::string> problems;
    for (const std::string &table : dbtest::tables(db)) {
        // One pass over each table: per column, how many values break the convention.
        std::vector<std::string> names;
        std::string counts;
        for (const dbtest::Column &c : dbtest::columns(db, table)) {
            const std::string name = "\"" + c.name + "\"";
            std::string wrong;
            if (c.declaredType == "DATE")
                wrong = "NOT (" + name + " GLOB " + day + " AND date(" + name + ") = " + name + ")";
            else if (c.declaredType == "DATETIME")
                wrong = "NOT ((" + name + " GLOB " + day + " OR " + name + " GLOB " + time +
                        ") AND datetime(" + name + ") IS NOT NULL AND " + name +
                        " NOT LIKE '% 00:00:00')";
            else if (c.declaredType == "FLOAT" || c.declaredType == "INTEGER" ||
                     c.declaredType == "BIT")
                wrong = "typeof(" + name + ") NOT IN ('integer', 'real')";
            else
                continue;
            names.push_back(c.name);
            counts += (counts.empty() ? "" : ", ") + std::string("sum(") + name +
                      " IS NOT NULL AND " + wrong + ")";
        }
        if (names.empty())
            continue;
        sql::Statement scan = db.prepare("SELECT " + counts + " FROM \"" + table + "\"");
        if (!scan.step())
            continue;
        for (size_t i = 0; i < names.size(); ++i) {
            if (scan.columnInt(int(i)) > 0)
                problems.push_back(table + "." + names[i] + ": " + scan.columnText(int(i)));
        }
    }
    EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Oa_Leave WHERE F_StartDate LIKE '% 09:00:00'"),
              integer(db, "SELECT count(*) FROM Oa_Leave"));
}

TEST_P(Demo, ShowsSomethingInEveryWindowOnFirstStart)
{
    // The lists open on the current month.
    for (const dbtest::DocumentKind &kind :
         {dbtest::documentKinds()[2], dbtest::documentKinds()[5], dbtest::documentKinds()[9]}) {
        EXPECT_GT(integer(db, std::string("SELECT count(*) FROM ") + kind.header +
                                  " WHERE RQ >= '2024-05-01'"),
                  0)
            << kind.header;
    }
    // Stock alarms, reminders of birthdays and expiring contracts, personnel and wages.
    EXPECT_GT(integer(db, "SELECT count(*) FROM HP H JOIN (SELECT hpid, sum(SL*Flag) AS Qty FROM "
                          "Inv_ItemList GROUP BY hpid) B ON H.ID = B.hpid WHERE SX > 0 AND "
                          "(B.Qty > XX OR B.Qty < SX)"),
              0);
    EXPECT_GT(integer(db, "SELECT count(*) FROM YG WHERE substr(CSRQ, 6) = '05-20'"), 0);
    EXPECT_GT(integer(db, "SELECT count(*) FROM YG WHERE substr(HTDQSJ, 1, 7) = '2024-05'"), 0);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM YG WHERE LZ = 1"), 1);
    for (const char *table :
         {"Rs_Contract", "Rs_Work", "Rs_KH", "Oa_Leave", "Oa_OverTime", "Oa_Keys", "Oa_Visit",
          "Oa_Pass", "Oa_Linkman", "Gz_JJGZ", "GZ_JSGZ"}) {
        EXPECT_GT(integer(db, std::string("SELECT count(*) FROM ") + table), 0) << table;
    }
    // Users of other groups see only what their group was granted.
    EXPECT_GT(integer(db, "SELECT count(*) FROM AppUser"), 1);
    EXPECT_GT(integer(db, "SELECT count(*) FROM Sys_GroupFuncRight WHERE UserGroupNo = 2 AND "
                          "ObjectName = 'mnuCgsh'"),
              0);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Sys_GroupFuncRight WHERE UserGroupNo = 2 AND "
                          "ObjectName = 'mnuPopedom'"),
              0);
}

INSTANTIATE_TEST_SUITE_P(Scales, Demo, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return info.param == 0 ? std::string("Demo")
                                                    : "Scale" + std::to_string(info.param);
                         });

TEST(DemoBuild, IsTheSameForTheSameDay)
{
    QTemporaryDir dir;
    sql::Database first(buildDemo(dir, QStringLiteral("a")).toStdString());
    sql::Database second(buildDemo(dir, QStringLiteral("b")).toStdString());
    for (const char *query :
         {"SELECT * FROM Inv_ItemList ORDER BY id", "SELECT * FROM XSKD ORDER BY ZBID, HH",
          "SELECT * FROM HP ORDER BY ID", "SELECT * FROM YG ORDER BY ID",
          "SELECT * FROM MaxBillNo ORDER BY TableName"}) {
        EXPECT_EQ(rows(first, query), rows(second, query)) << query;
    }
}

// A company that audits at two levels: documents that passed both are posted, those that
// passed one wait for the second without a ledger row, and the account balances count only
// what is posted.
TEST(DemoBuild, TwoAuditLevelsPostOnlyAtTheSecond)
{
    QTemporaryDir dir;
    sql::Database db(buildDemo(dir, QStringLiteral("two"), 0, 2).toStdString());
    EXPECT_EQ(integer(db, "SELECT fAuditNum FROM CompanyInfo"), 2);
    int halfway = 0;
    for (const dbtest::DocumentKind &kind : dbtest::documentKinds()) {
        const std::string header = kind.header;
        EXPECT_GT(integer(db, "SELECT count(*) FROM " + header + " WHERE uFlag = 2"), 3) << header;
        EXPECT_EQ(integer(db, "SELECT count(*) FROM " + header + " WHERE uFlag > 2"), 0) << header;
        halfway += int(integer(db, "SELECT count(*) FROM " + header + " WHERE uFlag = 1"));
        EXPECT_EQ(integer(db, "SELECT count(*) FROM " + header +
                                  " Z WHERE uFlag < 2 AND "
                                  "EXISTS (SELECT 1 FROM Inv_ItemList I WHERE I.DJBH = Z.DJBH)"),
                  0)
            << header;
    }
    EXPECT_GT(halfway, 5);
    EXPECT_EQ(integer(db, "SELECT count(*) FROM Inv_ItemList I WHERE NOT EXISTS (SELECT 1 FROM "
                          "CGSHZB Z WHERE Z.DJBH = I.DJBH AND uFlag = 2) AND BillType = 'CS'"),
              0);
    // The cash account moves only with documents that passed both levels.
    EXPECT_LT(std::abs(real(db, "SELECT QMJE - QCJE FROM ZH WHERE ID = 1") -
                       real(db, "SELECT ifnull(sum(JE), 0) FROM QTSRZB WHERE uFlag = 2 AND "
                                "ZHID = 1") -
                       real(db, "SELECT ifnull(sum(XSJE), 0) FROM XSKDZB WHERE uFlag = 2 AND "
                                "ZHID = 1") +
                       real(db, "SELECT ifnull(sum(JE), 0) FROM FYKZZB WHERE uFlag = 2 AND "
                                "ZHID = 1") +
                       real(db, "SELECT ifnull(sum(XFJE), 0) FROM CGSHZB WHERE uFlag = 2 AND "
                                "ZHID = 1") -
                       real(db, "SELECT ifnull(sum(FKJE), 0) FROM XSSKZB WHERE uFlag = 2 AND "
                                "ZHID = 1") +
                       real(db, "SELECT ifnull(sum(FKJE), 0) FROM CGFKZB WHERE uFlag = 2 AND "
                                "ZHID = 1") -
                       real(db, "SELECT ifnull(sum(XFJE), 0) FROM CGTHZB WHERE uFlag = 2 AND "
                                "ZHID = 1") +
                       real(db, "SELECT ifnull(sum(XSJE), 0) FROM XSTHZB WHERE uFlag = 2 AND "
                                "ZHID = 1") -
                       real(db, "SELECT ifnull(sum(JE), 0) FROM YHCKQK WHERE ZRZHID = 1") +
                       real(db, "SELECT ifnull(sum(JE), 0) FROM YHCKQK WHERE ZCZHID = 1")),
              0.011);
}

// The client's own queries, as its forms and reports compose them (with the date literals
// and the few functions the translator rewrites already in SQLite's form), run on the demo:
// none may fail on a missing or ambiguous column, and each finds data.
TEST(DemoQueries, TheClientsListsAndReportsFindData)
{
    QTemporaryDir dir;
    sql::Database db(buildDemo(dir, QStringLiteral("q")).toStdString());
    const std::string to = "'2024-05-20'";
    const std::string from = "'2024-05-01'";
    auto invList = [](const std::string &condition) {
        return " select M.*, H.BH, H.PM, H.GG,H.DW,H.JJ,TypeName,C.MC as CKMC from (((Inv_ItemList"
               "  M left join  HP H on M.HPID=H.ID) left join Pub_ItemType L on  "
               "H.HPLBID=L.ItemType) left join CK C on M.CKID=C.ID)          left join YG Y on "
               "M.YGID=Y.ID  where 1=1 " +
               condition;
    };
    const std::string purchases =
        " SELECT '采购收货' as LX,M.YWY,D.ZBID, M.DJBH, M.RQ, M.GYSID,K.BH as GYSBH,K.MC as "
        "GYSMC,L.TypeName,D.HPID,H.BH,PM,GG,DW,SL,DJ,SL*DJ*D.NZK*(1+NSL/100) as JE,D.NZK,D.NSl "
        "from ((((CGSHZB M left join  CGSH D on M.ID = D.ZBID) left join GYS K on K.ID = "
        "M.GYSID)  left join YG Y on M.YGID=Y.ID) left join  HP H on D.HPID=H.ID) left join "
        "Pub_ItemType L on H.HPLBID=L.ItemType where uFlag=1 and M.RQ >=" +
        from + " and M.RQ <=" + to;
    auto issues = [&](const char *kind, const char *header, const char *lines, const char *sign) {
        return std::string(" SELECT '") + kind +
               "' as LX,C.ID as BMID,Y.BH as YGBH,Y.XM,C.MC,"
               "M.JSR, d.ZBID,M.RQ, M.DJBH AS DH, D.HPID,H.BH,H.PM,H.GG,H.DW," +
               sign +
               "D.SL,"
               "D.DJ," +
               sign + "D.SL*D.DJ as JE,M.BZ,TypeName  from ((((" + header +
               " M left "
               "join " +
               lines +
               "  D on M.Id=d.ZBID) left join  HP H on D.HPID=H.ID) left join "
               "YG Y on M.YGID=Y.ID) left join  BM C  on Y.BMID = C.ID) left join Pub_ItemType L "
               "on H.HPLBID=L.ItemType  where uFlag=1 and M.RQ >=" +
               from + " and M.RQ <=" + to;
    };
    const std::string cash =
        "select '采购收货' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, XFJE as JEB, JE as "
        "JYJE from CGSHZB M where uFlag = 1 and XFJE <> 0  and RQ <= " +
        to +
        " union all select '采购付款' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, FKJE as "
        "JEB, JE as JYJE from CGFKZB M where uFlag = 1  and RQ <= " +
        to +
        " union all select '销售出库' as LX, ZHID,SFKFSID, RQ, ID, DJBH, XSJE as JEA, 0.000 as "
        "JEB, JE as JYJE  from XSKDZB M where  uFlag = 1 and XSJE <> 0  and RQ <= " +
        to +
        " union all select '销售收款' as LX, ZHID,SFKFSID, RQ, ID, DJBH, FKJE as JEA, 0.000 as "
        "JEB, JE as JYJE  from XSSKZB M where   uFlag = 1  and RQ <= " +
        to +
        " union all select '费用开支' as LX, ZHID,SFKFSID, RQ, ID, DJBH, 0.000 as JEA, JE as JEB, "
        "JE as JYJE from FYKZZB M   where  uFlag = 1  and RQ <= " +
        to +
        " union all select '帐户转入' as LX, ZRZHID as ZHID,0 as SFKFSID, RQ, ID, '' as DJBH, JE "
        "as JEA, 0.000 as JEB, JE as JYJE  from YHCKQK M where 1=1  and RQ <= " +
        to +
        " union all select '帐户转出' as LX, ZCZHID as ZHID,0 as SFKFSID, RQ, ID, '' as DJBH, "
        "0.000 as JEA, JE as JEB, JE as JYJE from YHCKQK M where 1=1  and RQ <= " +
        to;
    const std::string expenses =
        " select '费用开支' as LX, JSR,Z.RQ, Z.ID as ZBID, Z.DJBH, M.SRZCLBID,M.ZY as ZYA, '' as "
        "ZYB,G.MC AS Vender, M.JE as JEA, 0.00000 as JEB  from (FYKZZB Z left join  FYKZ M on "
        "M.ZBID = Z.ID) left join GYS G on Z.GYSID=G.ID where  uFlag= 1 union all  select "
        "'其它收入'"
        " as LX,JSR,Z.RQ,Z.ID as ZBID, Z.DJBH, M.SRZCLBID,'' as ZYA,M.ZY as ZYB,K.MC AS Vender, "
        "0.00000 as JEA, M.JE as JEB  from (QTSRZB Z left join QTSR M on M.ZBID = Z.ID) left join "
        "KH K on Z.KHID=K.ID where  uFlag=1";
    const std::string priceRows =
        " select M.*, H.BH, H.PM, H.GG,H.DW,TypeName,C.MC as CKMC,XM,K.MC as KHGYS from "
        "Inv_ItemList  M , HP H,Pub_ItemType L,CK C,YG Y,KH K where M.HPID=H.ID and M.CKID=C.ID "
        "and H.HPLBID=L.ItemType and M.YGID=Y.ID and M.CustVendID=K.ID and BillType ='XS'";
    const std::string receipt = text(db, "SELECT ID FROM CGSHZB WHERE uFlag = 1 LIMIT 1");
    const std::string goodsCode = text(db, "SELECT BH FROM HP WHERE ID = 1");
    const std::string customer =
        text(db, "SELECT KHID FROM XSKDZB WHERE XSLX = 2 AND JE > YSJE LIMIT 1");
    const std::string settlement = text(db, "SELECT ZBID FROM XSSK LIMIT 1");

    const std::vector<std::string> queries = {
        // The stock ledger: opening rows and the movements with their running balance.
        " select '' as BHPM,'期初结存' as ZBID_BH,'' as RQ,'0001' as RQ_orderby,-1 as id, '' as "
        "DJ,BH,PM,'' as GG ,'' as DW,'' as TypeName,'' as LX, SLA,DJA,JEA,0 as SLB,0 as DJB,0 as "
        "JEB,0 as SLC,0 as DJC,0 as JEC,0 as SLD,0 as DJD,0 as JED from ( select hpid,sum(sl*flag)"
        " as SLA,sum(sl*cbdj*flag) as JEA,iif(sum(sl*flag)=0,0,sum(sl*cbdj*flag)/sum(sl*flag)) "
        " as DJA  from (" +
            invList(" and M.RQ <" + from) +
            ") m group by hpid ) a left join hp b "
            "on a.hpid=b.id where SLA <> 0",
        "select a.*, (select sum(sl*flag) from Inv_ItemList where hpid=a.hpid and rq<=a.rq) as "
        "SLD, (select sum(sl*cbdj*flag) from Inv_ItemList where hpid=a.hpid and rq<=a.rq) as JED "
        "from (" +
            invList(" and M.RQ >=" + from + " and M.RQ <=" + to) + ") a",
        // The stock general ledger, stock alarms, stocktaking differences.
        " select HPID,BH, PM, GG,DW,TypeName, sum(iif(RQ < " + from +
            ",SL * Flag  ,0)) as QCJCSL,"
            "  sum(iif(RQ < " +
            from + ",SL * JJ*Flag  ,0)) as QCJCJE,  sum(iif(M.Flag = 1 and RQ >= " + from +
            ",SL  ,0)) as BQSRSL, sum(iif(M.Flag = -1 and RQ >= " + from +
            ",SL * "
            "CBDJ*NZK*(1+NSL/100),0)) as BQFCJE, 0.00 as SLD , 0.00 as JED from (" +
            invList(" and M.RQ <=" + to) + ") M group by HPID,BH, PM, GG,DW,TypeName ",
        " select H.BH ,H.PM  ,H.GG ,H.DW , XX  ,B.Qty ,SX  from hp H , (select hpid,sum(SL*Flag) "
        "as Qty from Inv_Itemlist group by hpid ) as  b where H.id=b.hpid  and SX>0 and (B.Qty >XX"
        " or B.Qty <SX) order by H.BH",
        " select CKMC,TypeName,BH, PM, GG,DW,DJ,SL,DJ*SL AS JE from (" + invList("") +
            ") M where billtype='KCPD' order by BH",
        " select  HPID,CKID,SX1,SX2,SX3,SX4,SX5,SX6, sum(M.SL*Flag) as SL,  sum(M.SL*DJ*Flag) as "
        "JE  from (" +
            invList("") + ") M group by HPID,CKID,SX1,SX2,SX3,SX4,SX5,SX6",
        // Purchase reports.
        " select GYSID,GYSBH,GYSMC,  sum(JE) as JEA,  sum(JE*K.NSL / 100) as JEB,  "
        "sum(JE+JE*NSL/100) as JEC from (" +
            purchases +
            ") K  group by GYSID,GYSBH,GYSMC order "
            "by GYSBH",
        " select TypeName,M.BH, PM, GG,DW,  sum(M.SL) as SL,  sum(M.JE) as JEA from (" + purchases +
            ") M  group by TypeName,M.BH, PM,GG,DW",
        // Issues and returns, by department.
        "select * from(select 1 as flag,BMID,MC,'' as BMMC,BH,PM,GG,DW,DJ,SL,JE from (" +
            issues("领料", "llzb", "LL", "") + " union all " + issues("退料", "tlzb", "TL", "-") +
            ") a)a  order by BMID,flag,bh ",
        // Cash and bank, expenses and other income.
        " select  M.LX, M.ZHID, M.RQ, M.ID, M.DJBH as DH, M.JEA, M.JEB,K.MC as ZHMC,S.MC as "
        "SFKFSMC  from  ((" +
            cash +
            ") M  left outer join  ZH K on M.ZHID=K.ID)  left join  SFKFS "
            "S on M.SFKFSID=S.ID where 1=1  order by K.MC,M.RQ,M.DJBH",
        " select M.LX,JSR, M.ZBID, M.RQ, M.DJBH as DH, M.JEA, M.JEB,M.ZYA,M.ZYB,L.MC,M.Vender  "
        "from (" +
            expenses + ")  M, SRZCLB L where L.ID = M.SRZCLBID  order by M.RQ, M.DJBH",
        // Price and structure analysis, and a chart.
        priceRows,
        " select a.BH, a.PM, a.GG,a.DW,sum(sl) as sl_all,sum(dj*sl*NZK*(1+NSL/100)) as je from (" +
            priceRows + ")a group by  a.BH, a.PM, a.GG,a.DW",
        " select a.sX as 部门,sum(a.sY)  as 物品领用图形分析 from   ( SELECT   C.MC  AS sX, "
        "M.sl*dj as sY    FROM (select * from LLZB WHERE uFlag=1)  Z, LL  M  ,YG AS B,BM as C "
        "  WHERE Z.ID=M.ZBID  and Z.YGID =B.ID and b.bmid=c.id  and M.RQ >=" +
            from + " and M.RQ <=" + to +
            "  ) a   group by a.sX   order by sum(a.sY) desc  limit 12",
        // Lists of documents, partners, employees and personnel records.
        "select Z.*,   '增值税发票' as aFPLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, S.MC "
        "as aSFKFSMC, H.MC as aZHMC from (((CGSHZB as Z left outer join GYS K on Z.GYSID = K.ID) "
        "  left outer join CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left "
        "outer join  ZH H on  Z.ZHID = H.ID where 1=1  and Z.RQ >=" +
            from + " and Z.RQ <=" + to + " order by Z.DJBH",
        " select K.*,D.MC as aDQMC,VIPName, K.QMJE-K.YXJE as aSJJE  from (KH K left outer join DQ "
        "D on K.DQID=D.ID) left outer join VIP V on K.LevelID=V.id where 1=1  order by K.BH",
        " select G.*,QMJE-YXJE as aSJJE, C.MC as aDQMC from GYS G left join DQ C on G.DQID=C.ID "
        "where 1=1  order by G.BH",
        " select Y.*, C.MC as aBMMC, 'yglb' as aYGLBMC, iif(YWYBZ,'是','否')  as aYWYBZ, '月薪' "
        "as aJSFF, iif(LZ,'是','否')  as aLZ from YG Y inner join  BM C  on Y.BMID = C.ID where "
        "1=1  order by BH ",
        " select Z.* from Rs_Contract Z,YG Y,BM C where Z.F_empID =Y.ID and  Y.BMID = C.ID  order "
        "by F_code",
        " select b.mc as bmmc,c.* from CK  C  left join BM B on c.bmid=b.id",
        " SELECT A.MC  AS ParentName, C.* FROM BM C LEFT JOIN  BM  A ON C.ParentCode=A.ID",
        " SELECT A.TypeName AS ParentName, C.* FROM Pub_ItemType  C LEFT JOIN Pub_ItemType  A ON "
        "C.ParentCode=A.ItemType",
        " select H.*, C.TypeName as aHPLBMC from HP H left join  Pub_ItemType  C on "
        "H.HPLBID=C.ItemType WHERE 1= 1  and bh like 'A%' or pm like 'A%' or zjm like 'A%' "
        "order by H.BH",
        // Document lines, goods look-up, stock and cost as the forms read them.
        " select M.*,  H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as aGG,H.HPHSFSID,TypeName  "
        "from (CGSH M left join HP H on M.HPID=H.ID) left join Pub_ItemType P on "
        "H.HPLBID=P.ItemType  where ZBID = " +
            receipt + "  order by M.HH",
        " select ID,PM,GG,DW,JJ,JJJ,JHY,JVIP,JQJ,HPHSFSID,TypeName from HP H left join "
        "Pub_ItemType P on H.HPLBID=P.ItemType where BH = '" +
            goodsCode + "'",
        " select mc,sum(flag*sl) as qty From Inv_ItemList a,  CK C  where 1=1  and  a.CKID=C.ID  "
        "and hpid =1 and RQ <= " +
            to + " group by mc ",
        " select sum(sl*dj)/sum(sl) From Inv_ItemList  where flag=1  and hpid =1 and RQ <= " + to +
            " and CKID = 1",
        // Source pickers and settlements.
        " select M.ID, M.DJBH, M.RQ, M.JE, M.JSR from CGSQZB  M where  uFlag = 1  and M.DJBH IN "
        "(  select DJBH from (select DJBH,Zsl,HaverefSL from (select DJBH,sum(SL) as Zsl from CGSQ"
        " group by DJBH) a left join (select SRCNO,sum(SL) as HaverefSL from CGSH group by SRCNO)"
        " b  on a.DJBH=b.SRCNO ) a where  a.Zsl > ifnull(a.HaverefSL,0) ) order by M.RQ,M.DJBH",
        " select ZBID,SL,DJ,HPID,DJBH,HH,M.SRCNO,M.SRCSEQ, c.HaverefSL, H.BH as aBH, H.PM as aPM,"
        "  H.DW as aDW, H.GG as aGG  FROM ( LL  as M LEFT JOIN HP  H ON M.HPID=H.ID )   LEFT JOIN"
        " (select SRCNO,SRCSEQ,sum(SL) as HaverefSL from TL group by SRCNO,SRCSEQ) C    on  "
        "(C.SRCNO=M.DJBH and C.SRCSEQ=M.HH)  where M.ZBID in (select ID from LLZB) and "
        "(c.HaverefSL is null or (M.SL-c.HaverefSL)>0)  Order by M.ZBID,M.HH",
        "select * from XSKDZB where XSLX = 2 and KHID = " + customer + " and JE > YSJE order by ID",
        "select F.DDID, F.JE as BDJE, S.DJBH, S.RQ, S.SKQX, S.JE, S.YSJE from XSSK F, XSKDZB S "
        "where F.DDID = S.ID and ZBID = " +
            settlement,
        // Rights, quick launch and alerts.
        " select distinct a.FuncNodeNo,a.ObjectName,b.FuncNodeName,FuncItems from "
        "Sys_GroupFuncRight a left join Sys_FuncTree_office b on a.FuncNodeNo=b.FuncNodeNo where "
        "UserGroupNo in (2,3)",
        "select F.FuncNodeNo,F.FuncNodeName,F.PrevNodeNo,F.ObjectType,F.ObjectName,U.UserGroupNo,"
        "U.FuncItems from Sys_FuncTree_office F left outer join (select * from Sys_GroupFuncRight "
        "where CompanyCode='VZ' and UserGroupNo=1) U on F.FuncNodeNo=U.FuncNodeNo order by "
        "F.FuncNodeNo",
        "select b.* from Sys_UserQuick a,Sys_FuncTree_office b where a.FuncNodeNo=b.FuncNodeNo and"
        " UserNo='pub' and VZSystem='office' order by xh",
        " select * from (select '库存盘点' as sType,count(*) as Qty from (KCPDZB Z inner join  CK "
        "C  on Z.CKID = C.ID) where uflag=0  union all select '物品领用' as sType,count(*) as Qty "
        "from (llZB Z inner join  CK C  on Z.CKID = C.ID) where uflag=0 union all select '采购入库'"
        " as sType,count(*) as Qty from cgshzb where uflag=0 ) a where Qty > 0 ",
    };
    for (const std::string &query : queries) {
        try {
            EXPECT_GT(rows(db, query).size(), 0u) << query;
        } catch (const sql::Error &error) {
            ADD_FAILURE() << error.what() << "\n" << query;
        }
    }
}
