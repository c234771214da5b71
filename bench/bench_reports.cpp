// The reports on a scale-1 account set (a million ledger rows over two years), for the year
// 2026: per report (a) the whole trip through a real vzserver, the text opened on pQryPub by a
// client dataset that fetches every row as the report form does; (b) the translated text run
// directly on the file; (c) a statement written by hand for SQLite that gives the same rows,
// run directly; (b)/(c) against 1.2 and (a) against 1 s; and (e) the translated text without
// the translator's speed rewrites, run once.
//
//   bench_reports [--runs N]
#include "benchclient.h"
#include "benchutil.h"
#include "client/data/centraldata.h"
#include "sql/database.h"
#include "sql/translator.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

constexpr const char *From = "2026-01-01";
constexpr const char *To = "2026-12-31";

std::string replaceAll(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

// The report texts of the corpus by their comment line, for 2026 and without the sample
// conditions (the report forms' own builders will supply these texts later).
std::map<std::string, std::string> corpusTexts()
{
    std::ifstream file(VZ_SQL_CORPUS_DIR "/jet.sql", std::ios::binary);
    std::stringstream buffer;
    buffer << file.rdbuf();
    const std::string text = buffer.str();
    std::map<std::string, std::string> texts;
    size_t at = 0;
    while ((at = text.find("\n-- ", at)) != std::string::npos) {
        const size_t labelEnd = text.find('\n', at + 4);
        const size_t end = text.find(";\n", labelEnd);
        if (labelEnd == std::string::npos || end == std::string::npos)
            break;
        std::string body = text.substr(labelEnd + 1, end - labelEnd - 1);
        for (const char *sample : {" and C.Id in (1,2) and H.PM like '%螺丝%'",
                                   " and M.CKID in (1,2) and H.PM like '%螺丝%'",
                                   " and C.ID in (2,5)", " and M.SRZCLBID = 4"})
            body = replaceAll(body, sample, " {goods}");
        body = replaceAll(body, "#2024-03-01#", std::string("#") + From + "#");
        body = replaceAll(body, "#2024-03-31#", std::string("#") + To + "#");
        texts[text.substr(at + 4, labelEnd - at - 4)] = body;
        at = labelEnd;
    }
    return texts;
}

// The stock ledger by hand: the running balances as window sums over each goods' rows up to
// the to-date, the headings from the goods that have rows with all four references set.
const char *const HandLedger = R"(
WITH g AS (SELECT H.ID FROM HP H WHERE {hgoods}),
mv AS (SELECT M.*, sum(M.SL * M.Flag) OVER w AS SLD, sum(M.SL * M.CBDJ * M.Flag) OVER w AS JED
       FROM Inv_ItemList M WHERE M.HPID IN g AND M.RQ <= '{to}'
       WINDOW w AS (PARTITION BY M.HPID ORDER BY M.RQ RANGE BETWEEN UNBOUNDED PRECEDING AND CURRENT ROW)),
s AS (SELECT HPID, sum(CASE WHEN RQ < '{from}' THEN SL * Flag ELSE 0 END) AS SLA,
             sum(CASE WHEN RQ < '{from}' THEN SL * CBDJ * Flag ELSE 0 END) AS JEA,
             count(CASE WHEN RQ < '{from}' THEN 1 END) AS before,
             sum(SL * Flag) AS SLD, sum(SL * CBDJ * Flag) AS JED
      FROM Inv_ItemList WHERE HPID IN g AND RQ <= '{to}' GROUP BY HPID)
SELECT * FROM (
 SELECT H.BH || '_' || H.PM AS BHPM, '' AS ZBID_BH, '' AS RQ, '0000' AS RQ_orderby, -2 AS id, '' AS DJ,
        H.BH, H.PM, '' AS GG, '' AS DW, '' AS TypeName, '' AS LX, 0 AS SLA, 0 AS DJA, 0 AS JEA,
        0 AS SLB, 0 AS DJB, 0 AS JEB, 0 AS SLC, 0 AS DJC, 0 AS JEC, 0 AS SLD, 0 AS DJD, 0 AS JED
 FROM HP H JOIN Pub_ItemType L ON L.ItemType = H.HPLBID
 WHERE H.ID IN g AND EXISTS (SELECT 1 FROM Inv_ItemList M JOIN CK C ON C.ID = M.CKID
                             JOIN YG Y ON Y.ID = M.YGID WHERE M.HPID = H.ID AND M.RQ <= '{to}')
 UNION
 SELECT '', '期初结存', '', '0001', -1, '', H.BH, H.PM, '', '', '', '', s.SLA,
        CASE WHEN s.SLA = 0 THEN 0 ELSE s.JEA / s.SLA END, s.JEA, 0, 0, 0, 0, 0, 0, 0, 0, 0
 FROM s LEFT JOIN HP H ON H.ID = s.HPID WHERE s.before > 0 AND s.SLA <> 0
 UNION
 SELECT '', mv.DJBH, mv.RQ, mv.RQ, mv.id, mv.DJ, H.BH, H.PM, H.GG, H.DW, L.TypeName,
        CASE mv.BillType WHEN 'CS' THEN '采购收货' WHEN 'CT' THEN '采购退货' WHEN 'XS' THEN '销售出库'
          WHEN 'XT' THEN '销售退货' WHEN 'CKDB' THEN '仓库调拨' WHEN 'KCPD' THEN '盘亏盘盈'
          WHEN 'KCTZ' THEN '库存调整' WHEN 'LL' THEN '领料' WHEN 'TL' THEN '退料'
          WHEN 'CJ' THEN '产品进仓' WHEN 'QB' THEN '库存变动' WHEN 'PS' THEN '零售'
          WHEN 'HPZZ' THEN '货品组装' WHEN 'HPCF' THEN '货品拆分' END,
        0, 0, 0, CASE WHEN mv.Flag = 1 THEN mv.SL ELSE 0 END, CASE WHEN mv.Flag = 1 THEN mv.DJ ELSE 0 END,
        CASE WHEN mv.Flag = 1 THEN mv.JE ELSE 0 END, CASE WHEN mv.Flag = -1 THEN mv.SL ELSE 0 END,
        CASE WHEN mv.Flag = -1 THEN mv.CBDJ ELSE 0 END, CASE WHEN mv.Flag = -1 THEN mv.SL * mv.CBDJ ELSE 0 END,
        mv.SLD, CASE WHEN mv.SLD = 0 THEN 0 ELSE mv.JED / mv.SLD END, CASE WHEN mv.SLD = 0 THEN 0 ELSE mv.JED END
 FROM mv LEFT JOIN HP H ON H.ID = mv.HPID LEFT JOIN Pub_ItemType L ON L.ItemType = H.HPLBID
 WHERE mv.RQ >= '{from}'
 UNION
 SELECT '', '期末结存', '', 'zzzz', 999999, '', H.BH, H.PM, '', '', '', '', 0, 0, 0, 0, 0, 0, 0, 0, 0,
        s.SLD, CASE WHEN s.SLD = 0 THEN 0 ELSE s.JED / s.SLD END, CASE WHEN s.SLD = 0 THEN 0 ELSE s.JED END
 FROM s LEFT JOIN HP H ON H.ID = s.HPID
) k ORDER BY BH, RQ_orderby, id)";

const char *const HandGeneralLedger = R"(
SELECT H.BH, H.PM, H.GG, H.DW, L.TypeName, A.SLA, A.JEA, A.SLB, A.JEB, A.SLC, A.JEC,
       A.SLA + A.SLB - A.SLC AS SLD, A.JEA + A.JEB - A.JEC AS JED, A.SX1, A.SX4
FROM (SELECT M.HPID, M.SX1, M.SX4,
             sum(CASE WHEN M.RQ < '{from}' THEN M.SL * M.Flag ELSE 0 END) AS SLA,
             sum(CASE WHEN M.RQ < '{from}' THEN M.SL * H.JJ * M.Flag ELSE 0 END) AS JEA,
             sum(CASE WHEN M.Flag = 1 AND M.RQ >= '{from}' THEN M.SL ELSE 0 END) AS SLB,
             sum(CASE WHEN M.Flag = 1 AND M.RQ >= '{from}' THEN M.SL * M.CBDJ * M.NZK * (1 + M.NSL / 100) ELSE 0 END) AS JEB,
             sum(CASE WHEN M.Flag = -1 AND M.RQ >= '{from}' THEN M.SL ELSE 0 END) AS SLC,
             sum(CASE WHEN M.Flag = -1 AND M.RQ >= '{from}' THEN M.SL * M.CBDJ * M.NZK * (1 + M.NSL / 100) ELSE 0 END) AS JEC
      FROM Inv_ItemList M LEFT JOIN HP H ON H.ID = M.HPID
      WHERE M.RQ <= '{to}' GROUP BY M.HPID, M.SX1, M.SX4) A
LEFT JOIN HP H ON H.ID = A.HPID LEFT JOIN Pub_ItemType L ON L.ItemType = H.HPLBID
WHERE A.SLA <> 0 OR A.SLB <> 0 OR A.SLC <> 0 ORDER BY H.BH)";

const char *const HandStockByWarehouse = R"(
SELECT HPID, CKID, SX1, SX2, SX3, SX4, SX5, SX6, sum(SL * Flag) AS SL, sum(SL * DJ * Flag) AS JE
FROM Inv_ItemList WHERE RQ <= '{to}' GROUP BY HPID, CKID, SX1, SX2, SX3, SX4, SX5, SX6)";

const char *const HandPurchaseBySupplier = R"(
SELECT M.GYSID, K.BH AS GYSBH, K.MC AS GYSMC, sum(M.JE) AS JEA, sum(M.JE * M.NSL / 100) AS JEB,
       sum(M.JE + M.JE * M.NSL / 100) AS JEC
FROM (SELECT Z.GYSID, D.NSL, D.SL * D.DJ * D.NZK * (1 + D.NSL / 100) AS JE
      FROM CGSHZB Z LEFT JOIN CGSH D ON D.ZBID = Z.ID
      WHERE Z.uFlag = 1 AND Z.RQ >= '{from}' AND Z.RQ <= '{to}') M
LEFT JOIN GYS K ON K.ID = M.GYSID GROUP BY M.GYSID ORDER BY GYSBH)";

const char *const HandIssuesByDepartment = R"(
WITH a AS MATERIALIZED (
  SELECT C.ID AS BMID, C.MC, H.BH, H.PM, H.GG, H.DW, D.DJ, D.SL, D.SL * D.DJ AS JE
  FROM LLZB M LEFT JOIN LL D ON D.ZBID = M.ID LEFT JOIN HP H ON H.ID = D.HPID
       LEFT JOIN YG Y ON Y.ID = M.YGID LEFT JOIN BM C ON C.ID = Y.BMID
  WHERE M.uFlag = 1 AND M.RQ >= '{from}' AND M.RQ <= '{to}')
SELECT * FROM (
  SELECT 1 AS flag, BMID, MC, '' AS BMMC, BH, PM, GG, DW, DJ, SL, JE FROM a
  UNION ALL SELECT 0, BMID, MC, MC, '', '小计', '', '', '', sum(SL), sum(JE) FROM a GROUP BY BMID, MC
  UNION ALL SELECT -1, 0, '', '', '', '合计', '', '', '', sum(SL), sum(JE) FROM a)
ORDER BY BMID, flag, BH)";

const char *const HandCashAndBank = R"(
SELECT * FROM (
  SELECT Z.ID, Z.MC, Z.YHZH, ifnull(Z.QCJE, 0) + ifnull(J.QCJE, 0) AS JEA, J.JEB, J.JEC,
         ifnull(Z.QCJE, 0) + ifnull(J.QCJE, 0) + J.JEB - J.JEC AS JED
  FROM ZH Z LEFT JOIN (
    SELECT ZHID, sum(CASE WHEN RQ < '{from}' THEN JEA - JEB ELSE 0 END) AS QCJE,
           sum(CASE WHEN RQ >= '{from}' THEN JEA ELSE 0 END) AS JEB,
           sum(CASE WHEN RQ >= '{from}' THEN JEB ELSE 0 END) AS JEC
    FROM (SELECT ZHID, RQ, 0.0 AS JEA, XFJE AS JEB FROM CGSHZB WHERE uFlag = 1 AND XFJE <> 0 AND RQ <= '{to}'
          UNION ALL SELECT ZHID, RQ, 0.0, FKJE FROM CGFKZB WHERE uFlag = 1 AND RQ <= '{to}'
          UNION ALL SELECT ZHID, RQ, 0.0, -XFJE FROM CGTHZB WHERE uFlag = 1 AND XFJE <> 0 AND RQ <= '{to}'
          UNION ALL SELECT ZHID, RQ, XSJE, 0.0 FROM XSKDZB WHERE uFlag = 1 AND XSJE <> 0 AND RQ <= '{to}'
          UNION ALL SELECT ZHID, RQ, FKJE, 0.0 FROM XSSKZB WHERE uFlag = 1 AND RQ <= '{to}'
          UNION ALL SELECT ZHID, RQ, -XSJE, 0.0 FROM XSTHZB WHERE uFlag = 1 AND XSJE <> 0 AND RQ <= '{to}'
          UNION ALL SELECT ZHID, RQ, 0.0, JE FROM FYKZZB WHERE uFlag = 1 AND RQ <= '{to}'
          UNION ALL SELECT ZHID, RQ, JE, 0.0 FROM QTSRZB WHERE uFlag = 1 AND RQ <= '{to}'
          UNION ALL SELECT ZRZHID, RQ, JE, 0.0 FROM YHCKQK WHERE RQ <= '{to}'
          UNION ALL SELECT ZCZHID, RQ, 0.0, JE FROM YHCKQK WHERE RQ <= '{to}')
    GROUP BY ZHID) J ON Z.ID = J.ZHID) B
WHERE JEA <> 0 OR JEB <> 0 OR JEC <> 0 OR JED <> 0 ORDER BY ID)";

const char *const HandIncomeAndExpense = R"(
SELECT L.ID, B.LX, L.BH, L.MC, B.JEA1 AS JEA, B.JEB1 AS JEB FROM SRZCLB L JOIN (
  SELECT '费用开支' AS LX, M.SRZCLBID, sum(M.JE) AS JEA1, sum(0.0) AS JEB1
  FROM FYKZZB Z LEFT JOIN FYKZ M ON M.ZBID = Z.ID
  WHERE Z.uFlag = 1 AND Z.RQ >= '{from}' AND Z.RQ <= '{to}' GROUP BY M.SRZCLBID
  UNION ALL
  SELECT '其它收入', M.SRZCLBID, sum(0.0), sum(M.JE)
  FROM QTSRZB Z LEFT JOIN QTSR M ON M.ZBID = Z.ID
  WHERE Z.uFlag = 1 AND Z.RQ >= '{from}' AND Z.RQ <= '{to}' GROUP BY M.SRZCLBID) B
ON L.ID = B.SRZCLBID ORDER BY B.LX, L.BH)";

struct Report
{
    const char *name;
    const char *label;     // of the corpus text
    const char *condition; // in the corpus text's place of the sample condition
    const char *hand;      // the statement by hand
    const char *handGoods; // the goods it reads, in the hand statement
};

const Report reports[] = {
    {"stock general ledger, all goods", "stock general ledger", "", HandGeneralLedger, ""},
    {"stock ledger, one goods", "stock ledger", "and H.BH ='000001'", HandLedger,
     "H.BH = '000001'"},
    {"stock ledger, one category", "stock ledger", "and H.HPLBID in (1,11,12,13)", HandLedger,
     "H.HPLBID IN (1, 11, 12, 13)"},
    {"stock by warehouse (its source)", "stock by warehouse: source", "", HandStockByWarehouse, ""},
    {"purchase summary by supplier", "purchase summary by supplier", "", HandPurchaseBySupplier,
     ""},
    {"issues by department", "issues by department", "", HandIssuesByDepartment, ""},
    {"cash and bank summary", "cash and bank summary", "", HandCashAndBank, ""},
    {"income and expense summary", "income and expense summary", "", HandIncomeAndExpense, ""},
};

// Runs SQLite text on the file and reads every row; the number of rows.
int runDirect(sql::Database &db, const std::string &sqliteText)
{
    sql::Statement statement = db.prepare(sqliteText);
    int rows = 0;
    while (statement.step())
        ++rows;
    return rows;
}

struct Result
{
    double serverMs = 0;
    double rewrittenMs = 0;
    double handMs = 0;
    double plainMs = 0;
    int serverRows = 0;
    int rewrittenRows = 0;
    int handRows = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = bench::runsArgument(argc, argv, 3);

    vztest::ServerProcess server;
    std::printf("building the scale-1 account set...\n");
    std::fflush(stdout);
    if (!bench::createScaleOneAccountSet(server, QStringLiteral("001"), "bench_reports"))
        return 1;
    const std::string file =
        QDir(server.dataDir()).filePath(QStringLiteral("001/VzData.db")).toStdString();
    if (!server.start()) {
        std::fprintf(stderr, "bench_reports: %s\n", qPrintable(server.error()));
        return 1;
    }
    TData data;
    if (!bench::connectAsAdministrator(data, server.address(), QStringLiteral("001"),
                                       "bench_reports"))
        return 1;

    sql::Database db(file, sql::Database::Mode::ReadOnly);
    sql::registerExtensions(db.handle());
    sql::Translator rewritten(db.handle());
    sql::Translator plain(db.handle());
    plain.setOptimize(false);

    const auto texts = corpusTexts();
    int missed = 0;
    std::printf("%d runs each (the unrewritten text once), medians:\n", runs);
    for (const Report &report : reports) {
        const std::string text =
            replaceAll(texts.at(report.label), " {goods}",
                       report.condition[0] ? std::string(" ") + report.condition : std::string());
        std::string hand = replaceAll(report.hand, "{from}", From);
        hand = replaceAll(hand, "{to}", To);
        hand = replaceAll(hand, "{hgoods}", report.handGoods);
        const std::string translated = rewritten.translate(text, sql::Dialect::Jet)->sql;

        Result result;
        TClientDataSet &dataSet = data.cdsQryPub();
        result.serverMs = bench::medianMs(
            [&] {
                dataSet.Close();
                dataSet.SetCommandText(QString::fromStdString(text));
                dataSet.Open();
                dataSet.Last(); // the packets after the first, as the grid's footer sums need
                result.serverRows = dataSet.RecordCount();
            },
            runs);
        dataSet.Close();
        result.rewrittenMs =
            bench::medianMs([&] { result.rewrittenRows = runDirect(db, translated); }, runs);
        result.handMs = bench::medianMs([&] { result.handRows = runDirect(db, hand); }, runs);
        const std::string unrewritten = plain.translate(text, sql::Dialect::Jet)->sql;
        result.plainMs = unrewritten == translated
                             ? result.rewrittenMs
                             : bench::medianMs([&] { runDirect(db, unrewritten); }, 1);

        std::printf("\n%s: %d rows (server %d, by hand %d)%s\n", report.name, result.rewrittenRows,
                    result.serverRows, result.handRows,
                    result.rewrittenRows == result.handRows &&
                            result.serverRows == result.rewrittenRows
                        ? ""
                        : "  ROW COUNTS DIFFER");
        if (!bench::reportRatio("  translated vs by hand, on the file", result.rewrittenMs,
                                result.handMs, 1.2))
            ++missed;
        if (result.serverMs > 1000)
            ++missed;
        bench::reportValue("  through the server, every row fetched", result.serverMs, "ms", 1000);
        bench::reportValue(unrewritten == translated ? "  without rewrites (no rewrite applies)"
                                                     : "  without rewrites, on the file",
                           result.plainMs, "ms");
    }
    std::printf("\n%d targets missed\n", missed);
    return 0;
}
