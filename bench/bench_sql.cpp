// The dialect translator: time to translate the longest report queries (uncached), and the time
// their translations take to run against the same report written by hand in SQLite, on the same
// account set. Both are printed as ratios measured side by side.
#include "benchutil.h"

#include "sql/csv.h"
#include "sql/translator.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>

namespace {

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The corpus texts of a file by their comment line.
std::map<std::string, std::string> corpusTexts(const std::string &file)
{
    std::map<std::string, std::string> texts;
    const std::string text = readFile(std::string(VZ_SQL_CORPUS_DIR) + "/" + file);
    size_t at = 0;
    while ((at = text.find("\n-- ", at)) != std::string::npos) {
        const size_t labelEnd = text.find('\n', at + 4);
        const size_t end = text.find(";\n", labelEnd);
        if (labelEnd == std::string::npos || end == std::string::npos)
            break;
        texts[text.substr(at + 4, labelEnd - at - 4)] =
            text.substr(labelEnd + 1, end - labelEnd - 1);
        at = labelEnd;
    }
    return texts;
}

// A year of business: 2000 goods (one in ten a kind of 螺丝), five warehouses, 60000 ledger rows,
// and the cash and bank documents of the period.
void fillAccountSet(sql::Database &db)
{
    db.exec(readFile(std::string(VZ_SQL_CORPUS_DIR) + "/schema.sql"));
    db.exec("CREATE INDEX Inv_ItemList_HPID_RQ ON Inv_ItemList (HPID, RQ);"
            "CREATE INDEX HP_HPLBID ON HP (HPLBID);");
    db.exec("BEGIN");
    std::mt19937 random(7);
    auto exec = [&](const std::string &text) {
        db.exec(text);
    };
    exec("INSERT INTO Pub_ItemType (ItemType, TypeName, ParentCode) VALUES (12, '五金', 0), "
         "(15, '螺丝类', 12), (16, '工具', 12)");
    for (int c = 1; c <= 5; ++c)
        exec("INSERT INTO CK (ID, XH, MC, BMID) VALUES (" + std::to_string(c) + ", " +
             std::to_string(c) + ", '" + std::to_string(c) + "号仓库', 1)");
    for (int y = 1; y <= 20; ++y)
        exec("INSERT INTO YG (ID, BH, XM, BMID) VALUES (" + std::to_string(y) + ", 'Y" +
             std::to_string(y) + "', '员工" + std::to_string(y) + "', 1)");
    sql::Statement goods = db.prepare(
        "INSERT INTO HP (ID, BH, PM, GG, DW, JJ, HPLBID, SX1, SX4) VALUES (?, ?, ?, 'M6', '个', "
        "?, ?, '红', 1.5)");
    for (int h = 1; h <= 2000; ++h) {
        goods.reset();
        goods.bind(1, int64_t(h));
        goods.bind(2, "A" + std::to_string(10000 + h));
        goods.bind(3, std::string(h % 10 == 0 ? "螺丝" : "扳手") + std::to_string(h));
        goods.bind(4, 0.1 + (h % 50) / 10.0);
        goods.bind(5, int64_t(h % 10 == 0 ? 15 : 16));
        goods.step();
    }
    sql::Statement ledger = db.prepare(
        "INSERT INTO Inv_ItemList (RQ, BillType, Flag, DJBH, HPID, HH, NZK, NSL, SL, DJ, CBDJ, "
        "JE, CKID, YGID, SX1, SX4) VALUES (?, ?, ?, ?, ?, 1, 1, 17, ?, ?, ?, ?, ?, ?, '红', 1.5)");
    static const char *const kinds[] = {"CS", "XS", "LL", "KCPD", "TL", "XT"};
    for (int i = 0; i < 60000; ++i) {
        const int day = int(random() % 210); // 2023-10-01 .. 2024-04-27
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", day < 92 ? 2023 : 2024,
                      day < 31    ? 10
                      : day < 61  ? 11
                      : day < 92  ? 12
                      : day < 123 ? 1
                      : day < 152 ? 2
                      : day < 183 ? 3
                                  : 4,
                      1 + (day < 31    ? day
                           : day < 61  ? day - 31
                           : day < 92  ? day - 61
                           : day < 123 ? day - 92
                           : day < 152 ? day - 123
                           : day < 183 ? day - 152
                                       : day - 183) %
                              28);
        const char *kind = kinds[random() % 6];
        const int flag =
            (kind[0] == 'C' || kind[0] == 'K' || kind[0] == 'T' || kind[1] == 'T') ? 1 : -1;
        const double quantity = 1 + double(random() % 100);
        const double price = 0.1 + double(random() % 1000) / 100.0;
        ledger.reset();
        ledger.bind(1, std::string(date));
        ledger.bind(2, std::string(kind));
        ledger.bind(3, int64_t(flag));
        ledger.bind(4, std::string(kind) + std::to_string(100000 + i));
        ledger.bind(5, int64_t(1 + random() % 2000));
        ledger.bind(6, quantity);
        ledger.bind(7, price);
        ledger.bind(8, price * 0.8);
        ledger.bind(9, quantity * price);
        ledger.bind(10, int64_t(1 + random() % 5));
        ledger.bind(11, int64_t(1 + random() % 20));
        ledger.step();
    }
    exec("INSERT INTO ZH (ID, MC, YHL, QCJE) VALUES (1, '现金', 0, 100), (2, '工商银行', 1, 1000), "
         "(3, '建设银行', 1, 0)");
    for (const char *table :
         {"CGSHZB", "CGFKZB", "CGTHZB", "XSKDZB", "XSSKZB", "XSTHZB", "FYKZZB", "QTSRZB"}) {
        const std::string amounts =
            std::string(table) == "CGSHZB" || std::string(table) == "CGTHZB"   ? ", XFJE"
            : std::string(table) == "XSKDZB" || std::string(table) == "XSTHZB" ? ", XSJE"
            : std::string(table) == "CGFKZB" || std::string(table) == "XSSKZB" ? ", FKJE"
                                                                               : "";
        sql::Statement document = db.prepare(
            std::string("INSERT INTO ") + table + " (DJBH, RQ, uFlag, ZHID, SFKFSID, JE" + amounts +
            ") VALUES (?, ?, 1, ?, 1, ?" + (amounts.empty() ? "" : ", ?") + ")");
        for (int i = 0; i < 1500; ++i) {
            char date[16];
            std::snprintf(date, sizeof date, "2024-%02d-%02d", 1 + int(random() % 4),
                          1 + int(random() % 28));
            document.reset();
            document.bind(1, std::string(table) + std::to_string(i));
            document.bind(2, std::string(date));
            document.bind(3, int64_t(1 + random() % 3));
            const double amount = double(random() % 100000) / 100.0;
            document.bind(4, amount);
            if (!amounts.empty())
                document.bind(5, amount / 2);
            document.step();
        }
    }
    exec("COMMIT");
    exec("ANALYZE");
}

// The same reports written by hand for SQLite: the client's queries (same joins, grouping and
// subqueries) as a developer would write them in SQLite's dialect, giving the same rows.
const char *const HandStockLedger = R"(
SELECT * FROM (
  SELECT H.BH || '_' || PM AS BHPM, '' AS ZBID_BH, NULL AS RQ, '0000' AS RQ_orderby, -2 AS id,
         NULL AS DJ, H.BH, PM, '' AS GG, '' AS DW, '' AS TypeName, '' AS LX, 0 AS SLA, 0 AS DJA,
         0 AS JEA, 0 AS SLB, 0 AS DJB, 0 AS JEB, 0 AS SLC, 0 AS DJC, 0 AS JEC, 0 AS SLD, 0 AS DJD,
         0 AS JED
    FROM Inv_ItemList M, HP H, Pub_ItemType L, CK C, YG Y
   WHERE M.HPID = H.ID AND M.CKID = C.ID AND H.HPLBID = L.ItemType AND M.YGID = Y.ID
     AND C.Id IN (1, 2) AND H.PM LIKE '%螺丝%' AND M.RQ <= '2024-03-31'
  UNION
  SELECT '', '期初结存', NULL, '0001', -1, NULL, BH, PM, '', '', '', '', SLA, DJA, JEA, 0, 0, 0,
         0, 0, 0, 0, 0, 0
    FROM (SELECT hpid, sum(sl * flag) AS SLA, sum(sl * cbdj * flag) AS JEA,
                 CASE WHEN sum(sl * flag) = 0 THEN 0 ELSE sum(sl * cbdj * flag) / sum(sl * flag) END AS DJA
            FROM (SELECT M.*, H.BH, H.PM, H.GG, H.DW, H.JJ, TypeName, C.MC AS CKMC
                    FROM Inv_ItemList M LEFT JOIN HP H ON M.HPID = H.ID
                         LEFT JOIN Pub_ItemType L ON H.HPLBID = L.ItemType
                         LEFT JOIN CK C ON M.CKID = C.ID LEFT JOIN YG Y ON M.YGID = Y.ID
                   WHERE C.Id IN (1, 2) AND H.PM LIKE '%螺丝%' AND M.RQ < '2024-03-01') m
           GROUP BY hpid) a LEFT JOIN hp b ON a.hpid = b.id
   WHERE SLA <> 0
  UNION
  SELECT '', DJBH, RQ, RQ, id, DJ, BH, PM, GG, DW, TypeName,
         CASE BillType WHEN 'CS' THEN '采购收货' WHEN 'CT' THEN '采购退货' WHEN 'XS' THEN '销售出库'
              WHEN 'XT' THEN '销售退货' WHEN 'CKDB' THEN '仓库调拨' WHEN 'KCPD' THEN '盘亏盘盈'
              WHEN 'KCTZ' THEN '库存调整' WHEN 'LL' THEN '领料' WHEN 'TL' THEN '退料'
              WHEN 'CJ' THEN '产品进仓' WHEN 'QB' THEN '库存变动' WHEN 'PS' THEN '零售'
              WHEN 'HPZZ' THEN '货品组装' WHEN 'HPCF' THEN '货品拆分' END,
         0, 0, 0,
         CASE WHEN flag = 1 THEN SL ELSE 0 END, CASE WHEN flag = 1 THEN DJ ELSE 0 END,
         CASE WHEN flag = 1 THEN JE ELSE 0 END,
         CASE WHEN flag = -1 THEN SL ELSE 0 END, CASE WHEN flag = -1 THEN CBDJ ELSE 0 END,
         CASE WHEN flag = -1 THEN SL * CBDJ ELSE 0 END,
         SLD, CASE WHEN SLD = 0 THEN 0 ELSE JED / SLD END, CASE WHEN SLD = 0 THEN 0 ELSE JED END
    FROM (SELECT a.*,
                 (SELECT sum(sl * flag) FROM Inv_ItemList WHERE hpid = a.hpid AND rq <= a.rq) AS SLD,
                 (SELECT sum(sl * cbdj * flag) FROM Inv_ItemList WHERE hpid = a.hpid AND rq <= a.rq) AS JED
            FROM (SELECT M.*, H.BH, H.PM, H.GG, H.DW, H.JJ, TypeName, C.MC AS CKMC
                    FROM Inv_ItemList M LEFT JOIN HP H ON M.HPID = H.ID
                         LEFT JOIN Pub_ItemType L ON H.HPLBID = L.ItemType
                         LEFT JOIN CK C ON M.CKID = C.ID LEFT JOIN YG Y ON M.YGID = Y.ID
                   WHERE C.Id IN (1, 2) AND H.PM LIKE '%螺丝%' AND M.RQ >= '2024-03-01'
                     AND M.RQ <= '2024-03-31') a) b
  UNION
  SELECT '', '期末结存', NULL, 'zzzz', 999999, NULL, BH, PM, '', '', '', '', 0, 0, 0, 0, 0, 0,
         0, 0, 0, SLD, DJD, CASE WHEN SLD = 0 THEN 0 ELSE JED END
    FROM (SELECT hpid, sum(sl * flag) AS SLD, sum(sl * cbdj * flag) AS JED,
                 CASE WHEN sum(sl * flag) = 0 THEN 0 ELSE sum(sl * cbdj * flag) / sum(sl * flag) END AS DJD
            FROM (SELECT M.*, H.BH, H.PM, H.GG, H.DW, H.JJ, TypeName, C.MC AS CKMC
                    FROM Inv_ItemList M LEFT JOIN HP H ON M.HPID = H.ID
                         LEFT JOIN Pub_ItemType L ON H.HPLBID = L.ItemType
                         LEFT JOIN CK C ON M.CKID = C.ID LEFT JOIN YG Y ON M.YGID = Y.ID
                   WHERE C.Id IN (1, 2) AND H.PM LIKE '%螺丝%' AND M.RQ <= '2024-03-31') m
           GROUP BY hpid) a LEFT JOIN hp b ON a.hpid = b.id
) k ORDER BY BH COLLATE pinyin, RQ_orderby COLLATE pinyin, id
)";

const char *const HandStockSummary = R"(
SELECT BH, PM, GG, DW, TypeName, SLA, JEA, SLB, JEB, SLC, JEC, SLA + SLB - SLC AS SLD,
       JEA + JEB - JEC AS JED, SX1, SX4
  FROM (SELECT HPID, BH, PM, GG, DW, TypeName, SX1, SX4,
               ifnull(sum(CASE WHEN RQ < '2024-03-01' THEN SL * Flag ELSE 0 END), 0) AS SLA,
               ifnull(sum(CASE WHEN RQ < '2024-03-01' THEN SL * JJ * Flag ELSE 0 END), 0) AS JEA,
               ifnull(sum(CASE WHEN Flag = 1 AND RQ >= '2024-03-01' THEN SL ELSE 0 END), 0) AS SLB,
               ifnull(sum(CASE WHEN Flag = 1 AND RQ >= '2024-03-01'
                               THEN SL * CBDJ * NZK * (1 + NSL / 100) ELSE 0 END), 0) AS JEB,
               ifnull(sum(CASE WHEN Flag = -1 AND RQ >= '2024-03-01' THEN SL ELSE 0 END), 0) AS SLC,
               ifnull(sum(CASE WHEN Flag = -1 AND RQ >= '2024-03-01'
                               THEN SL * CBDJ * NZK * (1 + NSL / 100) ELSE 0 END), 0) AS JEC
          FROM (SELECT M.*, H.BH, H.PM, H.GG, H.DW, H.JJ, L.TypeName, C.MC AS CKMC
                  FROM Inv_ItemList M LEFT JOIN HP H ON M.HPID = H.ID
                       LEFT JOIN Pub_ItemType L ON H.HPLBID = L.ItemType
                       LEFT JOIN CK C ON M.CKID = C.ID LEFT JOIN YG Y ON M.YGID = Y.ID
                 WHERE C.ID IN (1, 2) AND H.PM LIKE '%螺丝%' AND M.RQ <= '2024-03-31')
         GROUP BY HPID, BH, PM, GG, DW, TypeName, SX1, SX4)
 WHERE SLA <> 0 OR SLB <> 0 OR SLC <> 0
 ORDER BY BH COLLATE pinyin
)";

const char *const HandCashSummary = R"(
WITH Movements (ZHID, RQ, JEA, JEB) AS (
  SELECT ZHID, RQ, 0.0, XFJE FROM CGSHZB WHERE uFlag = 1 AND XFJE <> 0 AND RQ <= '2024-03-31'
  UNION ALL SELECT ZHID, RQ, 0.0, FKJE FROM CGFKZB WHERE uFlag = 1 AND RQ <= '2024-03-31'
  UNION ALL SELECT ZHID, RQ, 0.0, -XFJE FROM CGTHZB WHERE uFlag = 1 AND XFJE <> 0 AND RQ <= '2024-03-31'
  UNION ALL SELECT ZHID, RQ, XSJE, 0.0 FROM XSKDZB WHERE uFlag = 1 AND XSJE <> 0 AND RQ <= '2024-03-31'
  UNION ALL SELECT ZHID, RQ, FKJE, 0.0 FROM XSSKZB WHERE uFlag = 1 AND RQ <= '2024-03-31'
  UNION ALL SELECT ZHID, RQ, -XSJE, 0.0 FROM XSTHZB WHERE uFlag = 1 AND XSJE <> 0 AND RQ <= '2024-03-31'
  UNION ALL SELECT ZHID, RQ, 0.0, JE FROM FYKZZB WHERE uFlag = 1 AND RQ <= '2024-03-31'
  UNION ALL SELECT ZHID, RQ, JE, 0.0 FROM QTSRZB WHERE uFlag = 1 AND RQ <= '2024-03-31'
  UNION ALL SELECT ZRZHID, RQ, JE, 0.0 FROM YHCKQK WHERE RQ <= '2024-03-31'
  UNION ALL SELECT ZCZHID, RQ, 0.0, JE FROM YHCKQK WHERE RQ <= '2024-03-31')
SELECT * FROM (
  SELECT Z.ID, Z.MC, Z.YHZH, Z.QCJE + ifnull(J.QCJE, 0) AS JEA, J.JEB, J.JEC,
         Z.QCJE + ifnull(J.QCJE, 0) + J.JEB - J.JEC AS JED
    FROM ZH Z LEFT JOIN (
         SELECT ZHID, sum(CASE WHEN RQ < '2024-03-01' THEN JEA - JEB ELSE 0 END) AS QCJE,
                sum(CASE WHEN RQ >= '2024-03-01' THEN JEA ELSE 0 END) AS JEB,
                sum(CASE WHEN RQ >= '2024-03-01' THEN JEB ELSE 0 END) AS JEC
           FROM Movements GROUP BY ZHID) J ON Z.ID = J.ZHID)
 WHERE JEA <> 0 OR JEB <> 0 OR JEC <> 0 OR JED <> 0
 ORDER BY ID
)";

// Every row of a query as text, for checking that both forms give the same report.
std::vector<std::string> rowsOf(sql::Database &db, const std::string &text)
{
    sql::Statement statement = db.prepare(text);
    std::vector<std::string> rows;
    while (statement.step()) {
        std::string row;
        for (int c = 0; c < statement.columnCount(); ++c)
            row += sql::formatColumn(sql::ValueType::Unknown, statement.handle(), c) + "|";
        rows.push_back(std::move(row));
    }
    return rows;
}

// Median processor time of fn in milliseconds: the translator is single-threaded work, and this
// machine is shared, so wall time would measure the neighbours.
double medianCpuMs(const std::function<void()> &fn, int repetitions = 5)
{
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        timespec start{}, end{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        fn();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        times.push_back(double(end.tv_sec - start.tv_sec) * 1e3 +
                        double(end.tv_nsec - start.tv_nsec) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void run(sql::Database &db, const std::string &text)
{
    sql::Statement statement = db.prepare(text);
    while (statement.step()) {
    }
}

} // namespace

int main()
{
    sql::Database db(":memory:");
    sql::registerExtensions(db.handle());
    fillAccountSet(db);
    sql::Translator translator(db.handle());
    const auto jet = corpusTexts("jet.sql");
    const auto tsql = corpusTexts("tsql.sql");

    std::printf("Translation of the longest report queries, uncached, in processor time; beside it "
                "(subject) against preparing the translated text in SQLite (baseline):\n");
    bool ok = true;
    for (const char *label :
         {"stock ledger", "stock ledger with attributes", "stock general ledger by warehouse",
          "cash and bank details", "cash and bank summary", "income and expense details"}) {
        for (const auto *texts : {&jet, &tsql}) {
            const std::string &text = texts->at(label);
            const sql::Dialect dialect = texts == &jet ? sql::Dialect::Jet : sql::Dialect::TSql;
            const std::string translated = translator.translateUncached(text, dialect)->sql;
            const int repetitions = 200;
            const double translate = medianCpuMs([&] {
                                         for (int i = 0; i < repetitions; ++i)
                                             translator.translateUncached(text, dialect);
                                     }) /
                                     repetitions;
            const double prepare = medianCpuMs([&] {
                                       for (int i = 0; i < repetitions; ++i)
                                           db.prepare(translated);
                                   }) /
                                   repetitions;
            const std::string name = std::string(label) + (texts == &jet ? " (jet)" : " (tsql)");
            bench::reportValue("translate " + name + ", " + std::to_string(text.size()) + " chars",
                               translate, "ms", 0.5);
            ok = ok && translate <= 0.5;
            bench::reportRatio("  translate / prepare " + name, translate, prepare, 10);
        }
    }
    const double cached = medianCpuMs([&] {
                              for (int i = 0; i < 10000; ++i)
                                  translator.translate(jet.at("stock ledger"), sql::Dialect::Jet);
                          }) /
                          10000;
    bench::reportValue("translate stock ledger (jet), cached", cached, "ms");

    std::printf("\nExecution of the translated report (subject) against the same report written "
                "by hand for SQLite (baseline), 60000 ledger rows, processor time:\n");
    struct Report
    {
        const char *label;
        const char *hand;
    };
    for (const Report &report :
         {Report{"stock ledger", HandStockLedger}, Report{"stock general ledger", HandStockSummary},
          Report{"cash and bank summary", HandCashSummary}}) {
        for (const auto *texts : {&jet, &tsql}) {
            const sql::Dialect dialect = texts == &jet ? sql::Dialect::Jet : sql::Dialect::TSql;
            const std::string translated =
                translator.translate(texts->at(report.label), dialect)->sql;
            const std::string name =
                std::string(report.label) + (texts == &jet ? " (jet)" : " (tsql)");
            if (rowsOf(db, translated) != rowsOf(db, report.hand)) {
                std::printf("%s: the translated and the hand-written report differ\n",
                            name.c_str());
                ok = false;
                continue;
            }
            const double subject = medianCpuMs([&] { run(db, translated); }, 7);
            const double baseline = medianCpuMs([&] { run(db, report.hand); }, 7);
            ok = bench::reportRatio("run " + name, subject, baseline, 1.2) && ok;
        }
    }
    return ok ? 0 : 1;
}
