// The reports on a scale-1 account set (a million ledger rows over two years), for the year
// 2026, driven through the real report windows: each window is created through the form
// registry, its dates and panel conditions set as a user would set them, and OpenDataSet run
// as the search button runs it. Per report: (a) end to end, from the conditions to every row
// in the grid's dataset through a real vzserver (stock by warehouse with its work-table
// build); (b) the text the window sent (SQLText(); the work table's fill query for stock by
// warehouse), translated and run directly on the file; (c) a statement written by hand for
// SQLite that gives the same rows, run directly; (b)/(c) against 1.2, (a) against 1 s; and
// the translated text without the translator's speed rewrites, for information; (d) the same
// text translated for PostgreSQL and run on a copy of the set in a throw-away PostgreSQL
// server, against 1 s and beside (b); (e) the windows end to end as in (a) with the same set
// in PostgreSQL, served by the same server, against 1 s. Every time is the best of repeated
// runs (at least --runs, more for fast reports), the first four interleaved.
//
//   bench_reports [--runs N]
#include "benchclient.h"
#include "benchutil.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/forms/mdiwindows.h"
#include "client/reports/registerreports.h"
#include "client/reports/rptmodal.h"
#include "client/reports/rptstock.h"
#include "client/security/systemfunctionright.h"
#include "client/widgets/controls.h"
#include "pg/connection.h"
#include "server/pgcopy.h"
#include "sql/database.h"
#include "sql/translator.h"
#include "support/pgcluster.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr const char *From = "2026-01-01";
constexpr const char *To = "2026-12-31";

std::string replaceAll(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
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
) k ORDER BY BH COLLATE pinyin, RQ_orderby, id)";

const char *const HandGeneralLedger = R"(
SELECT H.BH, H.PM, H.GG, H.DW, L.TypeName, A.SLA, A.JEA, A.SLB, A.JEB, A.SLC, A.JEC,
       A.SLA + A.SLB - A.SLC AS SLD, A.JEA + A.JEB - A.JEC AS JED {attrsA}
FROM (SELECT M.HPID {attrsM},
             sum(CASE WHEN M.RQ < '{from}' THEN M.SL * M.Flag ELSE 0 END) AS SLA,
             sum(CASE WHEN M.RQ < '{from}' THEN M.SL * H.JJ * M.Flag ELSE 0 END) AS JEA,
             sum(CASE WHEN M.Flag = 1 AND M.RQ >= '{from}' THEN M.SL ELSE 0 END) AS SLB,
             sum(CASE WHEN M.Flag = 1 AND M.RQ >= '{from}' THEN M.SL * M.CBDJ * M.NZK * (1 + M.NSL / 100) ELSE 0 END) AS JEB,
             sum(CASE WHEN M.Flag = -1 AND M.RQ >= '{from}' THEN M.SL ELSE 0 END) AS SLC,
             sum(CASE WHEN M.Flag = -1 AND M.RQ >= '{from}' THEN M.SL * M.CBDJ * M.NZK * (1 + M.NSL / 100) ELSE 0 END) AS JEC
      FROM Inv_ItemList M LEFT JOIN HP H ON H.ID = M.HPID
      WHERE M.RQ <= '{to}' GROUP BY M.HPID {attrsM}) A
LEFT JOIN HP H ON H.ID = A.HPID LEFT JOIN Pub_ItemType L ON L.ItemType = H.HPLBID
WHERE A.SLA <> 0 OR A.SLB <> 0 OR A.SLC <> 0 ORDER BY H.BH COLLATE pinyin)";

// The work table's rows by hand: a column per warehouse ({pivot}: ", sum(CASE WHEN CKID = 1
// THEN SL * Flag END)" per warehouse), null where the goods has no rows there.
const char *const HandStockByWarehouse = R"(
SELECT HPID {pivot} FROM Inv_ItemList WHERE RQ <= '{to}' GROUP BY HPID)";

const char *const HandPurchaseBySupplier = R"(
SELECT M.GYSID, K.BH AS GYSBH, K.MC AS GYSMC, sum(M.JE) AS JEA, sum(M.JE * M.NSL / 100) AS JEB,
       sum(M.JE + M.JE * M.NSL / 100) AS JEC
FROM (SELECT Z.GYSID, D.NSL, D.SL * D.DJ * D.NZK * (1 + D.NSL / 100) AS JE
      FROM CGSHZB Z LEFT JOIN CGSH D ON D.ZBID = Z.ID
      WHERE Z.uFlag = 1 AND Z.RQ >= '{from}' AND Z.RQ <= '{to}') M
LEFT JOIN GYS K ON K.ID = M.GYSID GROUP BY M.GYSID ORDER BY GYSBH COLLATE pinyin)";

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
ORDER BY BMID, flag, BH COLLATE pinyin)";

// Cash and bank by hand: each kind of movement summed per account on its own (money in,
// money out), the parts added per account.
const char *const HandCashAndBank = R"(
SELECT * FROM (
  SELECT Z.ID, Z.MC, Z.YHZH, ifnull(Z.QCJE, 0) + ifnull(J.QCJE, 0) AS JEA, J.JEB, J.JEC,
         ifnull(Z.QCJE, 0) + ifnull(J.QCJE, 0) + J.JEB - J.JEC AS JED
  FROM ZH Z LEFT JOIN (
    SELECT ZHID, sum(QCJE) AS QCJE, sum(JEB) AS JEB, sum(JEC) AS JEC FROM ({cash}) GROUP BY ZHID) J
  ON Z.ID = J.ZHID) B
WHERE JEA <> 0 OR JEB <> 0 OR JEC <> 0 OR JED <> 0 ORDER BY ID)";

struct CashMovement
{
    const char *account;
    const char *table;
    const char *in;  // money into the account
    const char *out; // money out of it
    const char *where;
};

const CashMovement cashMovements[] = {
    {"ZHID", "CGSHZB", "0.0", "XFJE", "uFlag = 1 AND XFJE <> 0"},
    {"ZHID", "CGFKZB", "0.0", "FKJE", "uFlag = 1"},
    {"ZHID", "CGTHZB", "0.0", "-XFJE", "uFlag = 1 AND XFJE <> 0"},
    {"ZHID", "XSKDZB", "XSJE", "0.0", "uFlag = 1 AND XSJE <> 0"},
    {"ZHID", "XSSKZB", "FKJE", "0.0", "uFlag = 1"},
    {"ZHID", "XSTHZB", "-XSJE", "0.0", "uFlag = 1 AND XSJE <> 0"},
    {"ZHID", "FYKZZB", "0.0", "JE", "uFlag = 1"},
    {"ZHID", "QTSRZB", "JE", "0.0", "uFlag = 1"},
    {"ZRZHID", "YHCKQK", "JE", "0.0", "1"},
    {"ZCZHID", "YHCKQK", "0.0", "JE", "1"},
};

std::string cashParts()
{
    std::string parts;
    for (const CashMovement &m : cashMovements) {
        if (!parts.empty())
            parts += " UNION ALL ";
        const std::string in = m.in, out = m.out;
        parts += std::string("SELECT ") + m.account +
                 " AS ZHID, sum(CASE WHEN RQ < '{from}' THEN " + in + " - " + out +
                 " ELSE 0 END) AS QCJE, sum(CASE WHEN RQ >= '{from}' THEN " + in +
                 " ELSE 0 END) AS JEB, sum(CASE WHEN RQ >= '{from}' THEN " + out +
                 " ELSE 0 END) AS JEC FROM " + m.table + " WHERE " + m.where +
                 " AND RQ <= '{to}' GROUP BY " + m.account;
    }
    return parts;
}

const char *const HandIncomeAndExpense = R"(
SELECT L.ID, B.LX, L.BH, L.MC, B.JEA1 AS JEA, B.JEB1 AS JEB FROM SRZCLB L JOIN (
  SELECT '费用开支' AS LX, M.SRZCLBID, sum(M.JE) AS JEA1, sum(0.0) AS JEB1
  FROM FYKZZB Z LEFT JOIN FYKZ M ON M.ZBID = Z.ID
  WHERE Z.uFlag = 1 AND Z.RQ >= '{from}' AND Z.RQ <= '{to}' GROUP BY M.SRZCLBID
  UNION ALL
  SELECT '其它收入', M.SRZCLBID, sum(0.0), sum(M.JE)
  FROM QTSRZB Z LEFT JOIN QTSR M ON M.ZBID = Z.ID
  WHERE Z.uFlag = 1 AND Z.RQ >= '{from}' AND Z.RQ <= '{to}' GROUP BY M.SRZCLBID) B
ON L.ID = B.SRZCLBID ORDER BY B.LX COLLATE pinyin, L.BH COLLATE pinyin)";

// How a user sets a window's conditions on its panel, before the search.
using PanelSetup = std::function<void(TFrmRptModal &)>;

struct Report
{
    const char *name;
    const char *className;
    PanelSetup setup;
    const char *hand;      // the statement by hand
    const char *handGoods; // the goods it reads, in the hand statement
};

template<class Control>
Control *panelControl(TFrmRptModal &form, const char *name)
{
    return form.Panel1->findChild<Control *>(QLatin1String(name));
}

void typeGoodsCode(TFrmRptModal &form)
{
    auto *edit = panelControl<TButtonEdit>(form, "RzButtonEdit_ItemNO");
    edit->setText(QStringLiteral("000001"));
    edit->SetKey(QStringLiteral("000001"));
}

QString CategoryName; // of category 1, read from the account set

void chooseCategory(TFrmRptModal &form)
{
    panelControl<QComboBox>(form, "CombItemType")->setEditText(CategoryName);
}

const Report reports[] = {
    {"stock general ledger, all goods", "TFrmRPTCkkcHz", {}, HandGeneralLedger, ""},
    {"stock ledger, one goods", "TFrmRPTCkMx", typeGoodsCode, HandLedger, "H.BH = '000001'"},
    {"stock ledger, one category", "TFrmRPTCkMx", chooseCategory, HandLedger,
     "H.HPLBID IN (SELECT ItemType FROM Pub_ItemType WHERE ItemType = 1 OR ParentCode = 1)"},
    {"stock by warehouse", "TFrmRptKCZZ_FCHZ", {}, HandStockByWarehouse, ""},
    {"purchase summary by supplier", "TFrmRptCGVentderHZ", {}, HandPurchaseBySupplier, ""},
    {"issues by department", "TFrmRptLLbmhz", {}, HandIssuesByDepartment, ""},
    {"cash and bank summary", "TFrmRptXjyhHZ", {}, HandCashAndBank, ""},
    {"income and expense summary", "TFrmRptSzHZ", {}, HandIncomeAndExpense, ""},
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

// Best of the runs of each function, run in turn: at least `runs` rounds and until the
// rounds took a second, so that sub-millisecond reports are measured as steadily as the rest.
std::vector<double> bestOf(const std::vector<std::function<void()>> &fns, int runs)
{
    std::vector<double> best(fns.size(), 1e300);
    double spent = 0;
    for (int round = 0; round < runs || (spent < 1000 && round < 200); ++round)
        for (size_t i = 0; i < fns.size(); ++i) {
            const auto start = bench::Clock::now();
            fns[i]();
            const double ms = bench::msSince(start);
            best[i] = std::min(best[i], ms);
            spent += ms;
        }
    return best;
}

// The set copied into PostgreSQL, and the translator that writes for it.
struct PostgresSide
{
    pg::Connection &connection;
    sql::Translator &translator;
};

struct Measured
{
    double endToEndMs = 0;
    double directMs = 0;
    double handMs = 0;
    double postgresMs = 0;
    int gridRows = 0;
    int directRows = 0;
    int handRows = 0;
    int postgresRows = 0;
    std::string translated;
    std::string unrewritten;
};

// The hand statement; attrs are the goods attribute columns the window shows.
std::string hand(const Report &report, const std::vector<std::string> &attrs)
{
    std::string text = replaceAll(report.hand, "{cash}", cashParts());
    text = replaceAll(text, "{from}", From);
    text = replaceAll(text, "{to}", To);
    text = replaceAll(text, "{hgoods}", report.handGoods);
    for (const char *alias : {"A", "M"}) {
        std::string list;
        for (const std::string &attr : attrs)
            list += std::string(", ") + alias + "." + attr;
        text = replaceAll(text, std::string("{attrs") + alias + "}", list);
    }
    return text;
}

// The window as the user opens it, with the year as its period and the report's conditions.
std::unique_ptr<TFrmRptModal> openWindow(const Report &report)
{
    std::unique_ptr<TFrmRoot> created(TFormRegistry::Create(QLatin1String(report.className)));
    auto *form = qobject_cast<TFrmRptModal *>(created.get());
    if (!form)
        return {};
    created.release();
    form->dtpRqa->setDate(QDate::fromString(QLatin1String(From), Qt::ISODate));
    form->dtpRqb->setDate(QDate::fromString(QLatin1String(To), Qt::ISODate));
    if (report.setup)
        report.setup(*form);
    return std::unique_ptr<TFrmRptModal>(form);
}

bool isPivot(const Report &report)
{
    return qstrcmp(report.className, "TFrmRptKCZZ_FCHZ") == 0;
}

// The warehouses of the account set, as the pivot's columns.
QList<QPair<int, QString>> warehouses(sql::Database &db, sql::Translator &translator)
{
    const std::string text =
        translator.translate(TStockByWarehouse::WarehousesSQL({}).toStdString(), sql::Dialect::Jet)
            ->sql;
    sql::Statement statement = db.prepare(text);
    QList<QPair<int, QString>> list;
    while (statement.step())
        list.append({int(statement.columnInt(0)), QString::fromStdString(statement.columnText(1))});
    return list;
}

// The text the window's search runs on the server, for the direct comparison: the stock by
// warehouse window fills its work table from a query over the ledger (the rest is a few
// thousand rows), so that query is the one compared.
QString directText(TFrmRptModal &form, const Report &report,
                   const QList<QPair<int, QString>> &pivotColumns)
{
    if (!isPivot(report))
        return form.SQLText();
    const TStockByWarehouse pivot(form.Context(), pivotColumns, QStringLiteral("vz_bench"));
    const QString fill = pivot.FillSQL(form.GetWhereSQL(false));
    return fill.mid(fill.indexOf(QLatin1String(") select ")) + 2);
}

bool measure(const Report &report, const std::vector<std::string> &attrs, sql::Database &db,
             sql::Translator &rewritten, sql::Translator &plain, PostgresSide &postgres, int runs,
             Measured &m)
{
    std::unique_ptr<TFrmRptModal> form = openWindow(report);
    if (!form) {
        std::fprintf(stderr, "bench_reports: no window %s\n", report.className);
        return false;
    }
    try {
        form->OpenDataSet(); // once, for the text the window sends
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_reports: %s refused: %s\n%s\n", report.name, error.what(),
                     qPrintable(form->SQLText()));
        return false;
    }
    const auto pivotColumns = warehouses(db, rewritten);
    const std::string text = directText(*form, report, pivotColumns).toStdString();
    auto translation = rewritten.translate(text, sql::Dialect::Jet);
    if (!translation) {
        std::fprintf(stderr, "bench_reports: %s does not translate\n", report.name);
        return false;
    }
    m.translated = translation->sql;
    m.unrewritten = plain.translate(text, sql::Dialect::Jet)->sql;
    const std::string postgresText = postgres.translator.translate(text, sql::Dialect::Jet)->sql;
    std::string pivotSums;
    for (const auto &[id, name] : pivotColumns)
        pivotSums += ", sum(CASE WHEN CKID = " + std::to_string(id) + " THEN SL * Flag END)";
    const std::string byHand = replaceAll(hand(report, attrs), "{pivot}", pivotSums);
    const auto best = bestOf({[&] {
                                  form->OpenDataSet();
                                  m.gridRows = form->cdsQry->RecordCount();
                              },
                              [&] { m.directRows = runDirect(db, m.translated); },
                              [&] { m.handRows = runDirect(db, byHand); },
                              [&] {
                                  m.postgresRows = postgres.connection.exec(postgresText).rows();
                              }},
                             runs);
    m.endToEndMs = best[0];
    m.directMs = best[1];
    m.handMs = best[2];
    m.postgresMs = best[3];
    form->Close();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = bench::runsArgument(argc, argv, 3);

    vztest::ServerProcess server;
    std::printf("building the scale-1 account set...\n");
    std::fflush(stdout);
    if (!bench::createScaleOneAccountSet(server, QStringLiteral("001"), "bench_reports"))
        return 1;
    const std::string file =
        QDir(server.dataDir()).filePath(QStringLiteral("001/VzData.db")).toStdString();

    // The same set in PostgreSQL: read directly, and served by the same server as set 002.
    std::unique_ptr<pg::Connection> pgConnection;
    try {
        sql::Database source(file, sql::Database::Mode::ReadOnly);
        const std::string conninfo = testsupport::PgCluster::shared().createDatabase();
        pgConnection = std::make_unique<pg::Connection>(conninfo);
        std::printf("copying the set into PostgreSQL...\n");
        std::fflush(stdout);
        const auto start = bench::Clock::now();
        const server::CopyReport copied =
            server::PostgresCopy(source.handle(), *pgConnection).run();
        long long rows = 0;
        for (const server::CopiedTable &table : copied.tables)
            rows += table.rows;
        // As the server's sessions run: compiling a report's plan costs more than it saves.
        pgConnection->exec("SET jit = off");
        std::printf("copied and verified %lld rows of %zu tables in %.1f s\n", rows,
                    copied.tables.size(), bench::msSince(start) / 1000);
        QString output;
        if (server.runTool({QStringLiteral("--attach-account"), QStringLiteral("002"),
                            QStringLiteral("--pg"), QString::fromStdString(conninfo)},
                           &output) != 0)
            throw std::runtime_error(output.toStdString());
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_reports: PostgreSQL: %s\n", error.what());
        return 1;
    }
    if (!server.start()) {
        std::fprintf(stderr, "bench_reports: %s\n", qPrintable(server.error()));
        return 1;
    }
    TData data;
    if (!bench::connectAsAdministrator(data, server.address(), QStringLiteral("001"),
                                       "bench_reports"))
        return 1;
    FuncRight().LoadCompanySettings();
    RegisterReportForms();

    sql::Database db(file, sql::Database::Mode::ReadOnly);
    sql::registerExtensions(db.handle());
    {
        sql::Statement name = db.prepare("SELECT TypeName FROM Pub_ItemType WHERE ItemType = 1");
        if (name.step())
            CategoryName = QString::fromStdString(name.columnText(0));
    }
    sql::Translator rewritten(db.handle());
    sql::Translator plain(db.handle());
    plain.setOptimize(false);

    sql::Translator postgresTranslator(db.handle(), sql::Engine::Postgres);
    PostgresSide postgres{*pgConnection, postgresTranslator};

    int missed = 0;
    std::printf("best of at least %d runs each:\n", runs);
    // The pivot shows one row per goods of its source's rows.
    auto print = [&](const char *name, const Measured &m, bool counts, bool pivot = false) {
        std::printf("\n%s: %d rows (on the file %d, by hand %d)%s\n", name, m.gridRows,
                    m.directRows, m.handRows,
                    (pivot || m.gridRows == m.directRows) && m.directRows == m.handRows &&
                            m.postgresRows == m.directRows
                        ? ""
                        : "  ROW COUNTS DIFFER");
        const bool ratioMet = bench::reportRatio("  window's text vs by hand, on the file",
                                                 m.directMs, m.handMs, 1.2);
        bench::reportValue("  end to end, conditions to rows in the grid", m.endToEndMs, "ms",
                           1000);
        bench::reportValue("  the window's text on PostgreSQL, all rows read", m.postgresMs, "ms",
                           1000);
        std::printf("  PostgreSQL vs SQLite, the window's text on each: x%.2f\n",
                    m.postgresMs / std::max(m.directMs, 1e-3));
        if (counts && (!ratioMet || m.endToEndMs > 1000 || m.postgresMs > 1000))
            ++missed;
    };
    for (const Report &report : reports) {
        Measured m;
        if (!measure(report, {}, db, rewritten, plain, postgres, runs, m)) {
            ++missed;
            continue;
        }
        print(report.name, m, true, isPivot(report));
        if (m.unrewritten == m.translated) {
            std::printf("  without rewrites: no rewrite applies\n");
        } else {
            const double plainMs = bench::medianMs([&] { runDirect(db, m.unrewritten); }, 1);
            bench::reportValue("  without rewrites, on the file", plainMs, "ms");
        }
    }

    // For information: the general ledger of a company that shows two goods attributes.
    FuncRight().AttrColumns = QStringLiteral(",SX1,SX4");
    FuncRight().AttrList = {
        {QStringLiteral("HP_SX1"), THPSXObj{QStringLiteral("SX1"), QStringLiteral("颜色")}},
        {QStringLiteral("HP_SX4"), THPSXObj{QStringLiteral("SX4"), QStringLiteral("尺码")}}};
    Measured m;
    if (!measure(reports[0], {"SX1", "SX4"}, db, rewritten, plain, postgres, runs, m))
        return 1;
    print("stock general ledger with attributes SX1, SX4 (information)", m, false);

    // (e) The windows end to end with the set in PostgreSQL, through the same server.
    FuncRight().AttrColumns.clear();
    FuncRight().AttrList.clear();
    QString postgresSet = QStringLiteral("002");
    if (data.cn().AppServer().ConnectAct(0, postgresSet)) {
        std::fprintf(stderr, "bench_reports: the PostgreSQL set was refused\n");
        return 1;
    }
    std::printf("\nend to end with the set in PostgreSQL, through the server (best of %d):\n",
                runs);
    for (const Report &report : reports) {
        std::unique_ptr<TFrmRptModal> form = openWindow(report);
        int rows = 0;
        const double ms = bestOf({[&] {
                                     form->OpenDataSet();
                                     rows = form->cdsQry->RecordCount();
                                 }},
                                 runs)[0];
        form->Close();
        std::printf("  %s: %d rows\n", report.name, rows);
        bench::reportValue("    end to end on PostgreSQL", ms, "ms", 1000);
        if (ms > 1000)
            ++missed;
    }

    std::printf("\n%d targets missed\n", missed);
    return 0;
}
