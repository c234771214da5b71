// The year-end carry-forward and the initialisation through their windows on a real server
// with the demo account set, in the order a shop would live them: a year-end whose server dies
// halfway changes nothing; the year-end writes the stock back per goods, warehouse and
// attribute combination as audited stocktakings; the initialisation clears the goods, then
// everything. Each destroys what the next one starts from, so the cases run in this order.
#include "client/admin/dataclear.h"
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/forms/mdiwindows.h"
#include "client/security/systemfunctionright.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"

#include <QCheckBox>
#include <QDir>
#include <QMap>
#include <QPushButton>
#include <QTest>

#include <cmath>

namespace {

int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

struct TBalance
{
    double Quantity = 0;
    double Amount = 0;
};

// The stock of the ledger per goods, warehouse as the carry-forward writes it (0 is 1) and
// attribute values; balances of zero left out.
QMap<QString, TBalance> stockByKey()
{
    QMap<QString, TBalance> stock;
    TTmpDataSet tmp;
    tmp->SetPacketRecords(-1);
    tmp->SetCommandText(QStringLiteral(
        "select HPID, CKID, SX1, SX2, SX3, SX4, SX5, SX6, sum(SL*Flag) as Q, sum(SL*DJ*Flag) as A "
        "from Inv_ItemList group by HPID, CKID, SX1, SX2, SX3, SX4, SX5, SX6"));
    tmp->Open();
    for (tmp->First(); !tmp->Eof(); tmp->Next()) {
        const qint64 warehouse = tmp->FieldByName(QStringLiteral("CKID"))->AsLargeInt();
        QStringList key{tmp->FieldByName(QStringLiteral("HPID"))->AsString(),
                        QString::number(warehouse == 0 ? 1 : warehouse)};
        for (int i = 1; i <= 6; ++i) {
            const TField *attr = tmp->FieldByName(QStringLiteral("SX%1").arg(i));
            key << (attr->IsNull() ? QStringLiteral("<null>") : attr->AsString());
        }
        TBalance &b = stock[key.join(QLatin1Char('|'))];
        b.Quantity += tmp->FieldByName(QStringLiteral("Q"))->AsFloat();
        b.Amount += tmp->FieldByName(QStringLiteral("A"))->AsFloat();
    }
    for (auto it = stock.begin(); it != stock.end();)
        it = std::abs(it->Quantity) < 1e-9 ? stock.erase(it) : std::next(it);
    return stock;
}

QString backupFolder(vztest::TestWorld &world)
{
    return world.server().dataDir() + QStringLiteral("/backup/001");
}

int backupCount(vztest::TestWorld &world)
{
    return int(QDir(backupFolder(world)).entryList(QDir::Files).size());
}

// The business tables the carry-forward leaves empty: every one of the clear list's B class
// but the stocktakings, the ledger, the counters and the log it writes again.
QStringList emptiedTables()
{
    QStringList tables;
    for (const QString &entry : FuncRight().TableList)
        if (entry.startsWith(QLatin1String("B|")))
            tables << entry.mid(2);
    for (const char *kept : {"KCPDZB", "KCPD", "Inv_ItemList", "MaxBillNo", "AppLog"})
        tables.removeAll(QLatin1String(kept));
    return tables;
}

} // namespace

class TestYearEnd : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;

    // Opens the window as the main menu does and presses its start button, the message boxes
    // answered from the script; the texts they showed.
    template<class Form>
    QStringList run(std::initializer_list<TModalResult> answers,
                    const std::function<void(Form &)> &prepare = {})
    {
        auto *form = CreateForm<Form>();
        SetModeText(form, QStringLiteral("0"));
        form->show();
        if (prepare)
            prepare(*form);
        TMessageBoxScript script(answers);
        form->RzBitBtn1->click();
        QStringList texts;
        for (const TMessageRequest &request : script.Requests())
            texts << request.Text;
        delete form;
        return texts;
    }

    bool reconnect(const QStringList &serverArguments = {})
    {
        world.disconnect();
        world.server().stop();
        if (!world.server().start(serverArguments))
            return false;
        world.cleanup(); // the client folder names the new port
        return world.connect() && world.login(QStringLiteral("SYS"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("VZ_TEST_HOOKS", "1");
        QVERIFY2(world.start(), qPrintable(world.error()));
        FuncRight().BuildTableList(0);
        // Balances the demo lacks: one goods in two colours, one in warehouse 0, one that came
        // and went (zero), one overdrawn under a name with a quote and a semicolon.
        const QString row = QStringLiteral(
            "insert into Inv_ItemList (RQ, BillType, Flag, DJBH, HPID, HH, SL, DJ, CKID, SX1) "
            "values (#2026-01-05#, 'CGSH', %1, 'T0001', %2, 1, %3, %4, %5, %6)");
        QVERIFY(ExecSQLScript(
            {row.arg(1).arg(1).arg(5).arg(10).arg(2).arg(QStringLiteral("'红'")),
             row.arg(1).arg(1).arg(3).arg(11).arg(2).arg(QStringLiteral("'蓝'")),
             row.arg(1).arg(2).arg(4).arg(2.5).arg(0).arg(QStringLiteral("NULL")),
             row.arg(1).arg(3).arg(5).arg(6).arg(2).arg(QStringLiteral("'零'")),
             row.arg(-1).arg(3).arg(5).arg(6).arg(2).arg(QStringLiteral("'零'")),
             row.arg(-1).arg(4).arg(3).arg(7).arg(2).arg(QuotedStr(QStringLiteral("O'Neil;x")))}));
    }

    void cleanupTestCase()
    {
        world.stop();
        qunsetenv("VZ_TEST_HOOKS");
    }

    void aYearEndWhoseServerDiesHalfwayChangesNothing()
    {
        const QMap<QString, TBalance> before = stockByKey();
        const int documents = count(QStringLiteral("select count(*) from CGSHZB"));
        const int ledger = count(QStringLiteral("select count(*) from Inv_ItemList"));
        const int counters = count(QStringLiteral("select count(*) from MaxBillNo"));
        QVERIFY(documents > 0);
        // The server counts the statements of a request as its steps: the carry-forward's,
        // then the log line's, then the commit. Dying at the first, halfway, at the log line or
        // at the commit stores nothing.
        TCarryForward plan;
        plan.Snapshot = TFrmYearJZ::ReadSnapshot();
        plan.ClearTables = ClearTablesOf(FuncRight().TableList, QStringLiteral("B"));
        plan.OpeningDate = QDate::currentDate();
        const int statements = int(CarryForwardStatements(plan).size());
        QVERIFY(statements > 100);
        for (const int step : {1, statements / 2, statements + 1, statements + 2}) {
            QVERIFY2(reconnect({QStringLiteral("--test-kill-at-statement"), QString::number(step)}),
                     qPrintable(world.server().error()));
            const QStringList texts = run<TFrmYearJZ>({mrYes, mrOk, mrOk});
            QCOMPARE(texts.first(), QStringLiteral("确实要年末结存吗？"));
            QVERIFY2(!texts.contains(QStringLiteral("年末结存成功！")),
                     qPrintable(texts.join('|')));
            QVERIFY(reconnect());
            QCOMPARE(count(QStringLiteral("select count(*) from CGSHZB")), documents);
            QCOMPARE(count(QStringLiteral("select count(*) from Inv_ItemList")), ledger);
            QCOMPARE(count(QStringLiteral("select count(*) from MaxBillNo")), counters);
            QCOMPARE(count(QStringLiteral("select count(*) from KCPDZB where BZ = '年末结转'")), 0);
            QCOMPARE(stockByKey().keys(), before.keys());
        }
    }

    void theYearEndCarriesTheStockOverAsAuditedStocktakings()
    {
        const QMap<QString, TBalance> before = stockByKey();
        const int goods = count(QStringLiteral("select count(*) from HP"));
        const int backups = backupCount(world);
        FuncRight().AuditNum = 2;
        const QStringList texts = run<TFrmYearJZ>({mrYes, mrOk});
        QCOMPARE(texts, (QStringList{QStringLiteral("确实要年末结存吗？"),
                                     QStringLiteral("年末结存成功！")}));
        QCOMPARE(backupCount(world), backups + 1); // made before anything was deleted

        // The stock is what it was, per goods, warehouse and attribute values.
        const QMap<QString, TBalance> after = stockByKey();
        QCOMPARE(after.keys(), before.keys());
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            QVERIFY2(std::abs(after[it.key()].Quantity - it->Quantity) < 1e-9,
                     qPrintable(it.key()));
            QVERIFY2(std::abs(after[it.key()].Amount - it->Amount) < 0.005, qPrintable(it.key()));
        }
        // Zero gets no line, an overdraft a negative one, each colour its own line.
        QCOMPARE(count(QStringLiteral("select count(*) from KCPD where SX1 = '零'")), 0);
        QCOMPARE(
            QueryValue(QStringLiteral("select SL from KCPD where SX1 = 'O''Neil;x'")).toDouble(),
            -3.0);
        QCOMPARE(
            count(QStringLiteral(
                "select count(*) from KCPD where HPID = 1 and CKID = 2 and SX1 in ('红','蓝')")),
            2);
        QCOMPARE(count(QStringLiteral("select count(*) from KCPDZB where CKID = 0")), 0);

        // One fully audited stocktaking per warehouse, numbered from 1 in the opening month.
        const QDate opening = Data().GetServerDate().addDays(-1);
        const QString month = QStringLiteral("PD") + opening.toString(QStringLiteral("yyyyMM"));
        const int warehouses =
            count(QStringLiteral("select count(*) from (select distinct CKID from KCPD) a"));
        QCOMPARE(count(QStringLiteral("select count(*) from KCPDZB")), warehouses);
        QCOMPARE(count(QStringLiteral("select count(*) from KCPDZB where uFlag = 2 and BZ = "
                                      "'年末结转' and BillType = 'KCPD' and RQ = #%1#")
                           .arg(opening.toString(Qt::ISODate))),
                 warehouses);
        QCOMPARE(QueryValue(QStringLiteral("select min(DJBH) from KCPDZB")).toString(),
                 month + QStringLiteral("0001"));
        QCOMPARE(
            count(QStringLiteral("select MaxNo from MaxBillNo where TableName = '%1'").arg(month)),
            warehouses + 1);
        QCOMPARE(count(QStringLiteral("select count(*) from MaxBillNo")), 1);
        // The header's total is its lines' value.
        QCOMPARE(count(QStringLiteral(
                     "select count(*) from KCPDZB Z where abs(Z.JE - (select sum(SL*DJ) from KCPD "
                     "D where D.ZBID = Z.ID)) > 0.01")),
                 0);
        // Each line is one receipt of the ledger.
        QCOMPARE(count(QStringLiteral("select count(*) from Inv_ItemList")),
                 count(QStringLiteral("select count(*) from KCPD")));
        QCOMPARE(count(QStringLiteral("select count(*) from Inv_ItemList where Flag <> 1 or "
                                      "BillType <> 'KCPD'")),
                 0);

        for (const QString &table : emptiedTables())
            QVERIFY2(count(QStringLiteral("select count(*) from ") + table) == 0,
                     qPrintable(table));
        QCOMPARE(count(QStringLiteral("select count(*) from HP")), goods);
        QCOMPARE(count(QStringLiteral("select count(*) from AppLog")), 1);
        QCOMPARE(QueryValue(QStringLiteral("select CZ from AppLog")).toString(),
                 QStringLiteral("年末结转"));
    }

    void theInitialisationAsksWhatToClear()
    {
        const int goods = count(QStringLiteral("select count(*) from HP"));
        QCOMPARE(run<TFrmInitData>({mrOk}), QStringList{QStringLiteral("请选择清除的项目")});
        const QStringList declined =
            run<TFrmInitData>({mrNo}, [](TFrmInitData &f) { f.cBox_base->setChecked(true); });
        QCOMPARE(declined, QStringList{QStringLiteral("确实要清除数据吗？")});
        QCOMPARE(count(QStringLiteral("select count(*) from HP")), goods);
    }

    void clearingTheGoodsKeepsTheDocuments()
    {
        const int stocktakings = count(QStringLiteral("select count(*) from KCPDZB"));
        const int ledger = count(QStringLiteral("select count(*) from Inv_ItemList"));
        QVERIFY(stocktakings > 0);
        const QStringList texts = run<TFrmInitData>(
            {mrYes, mrOk}, [](TFrmInitData &f) { f.cBox_base->setChecked(true); });
        QCOMPARE(texts.last(), QStringLiteral("清除数据成功"));
        for (const char *table : {"HP", "Hp_Pict", "Pub_ItemType"})
            QCOMPARE(count(QStringLiteral("select count(*) from ") + QLatin1String(table)), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from KCPDZB")), stocktakings);
        QCOMPARE(count(QStringLiteral("select count(*) from Inv_ItemList")), ledger);
        QCOMPARE(count(QStringLiteral("select count(*) from AppLog where CZ = "
                                      "'系统初始化：清除货品库存资料'")),
                 1);
    }

    void clearingTheBusinessLeavesNothingToCarryForward()
    {
        const QStringList texts =
            run<TFrmInitData>({mrYes, mrOk}, [](TFrmInitData &f) { f.cBox_jxc->setChecked(true); });
        QCOMPARE(texts.last(), QStringLiteral("清除数据成功"));
        for (const QString &table : emptiedTables() + QStringList{QStringLiteral("KCPDZB"),
                                                                  QStringLiteral("Inv_ItemList")})
            QVERIFY2(count(QStringLiteral("select count(*) from ") + table) == 0,
                     qPrintable(table));
        QCOMPARE(count(QStringLiteral("select count(*) from AppLog")), 1);
        QCOMPARE(run<TFrmYearJZ>({mrYes, mrOk}),
                 (QStringList{QStringLiteral("确实要年末结存吗？"),
                              QStringLiteral("没有业务数据，不能年结转！")}));
    }
};

QTEST_MAIN(TestYearEnd)
#include "tst_yearend.moc"
