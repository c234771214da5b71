// The stock reports on a real server, over two goods of their own (a category and its
// sub-category) received into two warehouses and partly returned through the document forms:
// the ledger around its period, the general ledger's figures and its drill-down, the alarms,
// the pivot by warehouse for two users at once, the stocktaking differences and the
// recalculation of issue amounts.
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdczl.h"
#include "client/documents/docview.h"
#include "client/documents/purin.h"
#include "client/forms/globalobj.h"
#include "client/reports/registerreports.h"
#include "client/reports/rptstock.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "reportsupport.h"
#include "support/testworld.h"
#include "support/whenmodal.h"
#include "tradesupport.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

using namespace tradesupport;
using docsupport::flush;

using reportsupport::rows;

namespace {

// Two goods of their own: A in a category, B in its sub-category.
constexpr int GoodsA = 9001;
constexpr int GoodsB = 9002;
const QString CodeA = QStringLiteral("T9001");
const QString CodeB = QStringLiteral("T9002");
const QString Category = QStringLiteral("测试类别");
const QString SubCategory = QStringLiteral("测试子类");
const QString Warehouse1 = QStringLiteral("O'Neil 仓");

double number(const QString &sql)
{
    return QueryValue(sql).toDouble();
}

double ledgerSum(const QString &expression, int goods, const QString &where = {})
{
    return number(QStringLiteral("select sum(%1) from Inv_ItemList where HPID = %2 %3")
                      .arg(expression)
                      .arg(goods)
                      .arg(where));
}

// Goes to the first row whose field holds the value.
bool locate(TClientDataSet &data, const QString &field, const QString &value)
{
    for (data.First(); !data.Eof(); data.Next())
        if (data.FieldByName(field)->AsString() == value)
            return true;
    return false;
}

} // namespace

class TestRptStock : public reportsupport::TReportTest
{
    Q_OBJECT

public:
    TestRptStock()
        : TReportTest(QStringList{QStringLiteral("CGSHZB"), QStringLiteral("CGSH"),
                                  QStringLiteral("CGTHZB"), QStringLiteral("CGTH")})
    {}

private:
    QString m_receipt1, m_receipt2, m_return;

    QString post(const char *className, int warehouse, std::initializer_list<TLine> lines)
    {
        form = openNew(QLatin1String(className));
        if (!form)
            return {};
        fillHeader(form);
        setHeader(form, "CKID", warehouse);
        setHeader(form, "YGID", QueryValue(QStringLiteral("select min(ID) from YG")));
        enterLines(form, lines);
        form->aSave->trigger();
        const QString number = billNo(form);
        audit(form);
        docsupport::closeDocument(form);
        flush();
        return number;
    }

    template<class Report>
    Report *report(const QString &className, QDate from = QDate::currentDate(),
                   QDate to = QDate::currentDate())
    {
        return reportsupport::openReport<Report>(className, from, to);
    }

    template<class Report>
    Report *ofGoods(Report *r, const QString &code)
    {
        auto *edit =
            r->Panel1->template findChild<TButtonEdit *>(QStringLiteral("RzButtonEdit_ItemNO"));
        edit->setText(code);
        edit->SetKey(code);
        return r;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(startReports(), qPrintable(world.error()));
        QVERIFY(keepDocuments({QStringLiteral("HP"), QStringLiteral("CK"),
                               QStringLiteral("Pub_ItemType"), QStringLiteral("LLZB")}));
        QVERIFY(ExecSQLScript(
            {QStringLiteral("insert into Pub_ItemType (ItemType, TypeName, ParentCode) values "
                            "(9001, '%1', 0)")
                 .arg(Category),
             QStringLiteral("insert into Pub_ItemType (ItemType, TypeName, ParentCode) values "
                            "(9002, '%1', 9001)")
                 .arg(SubCategory),
             QStringLiteral("insert into HP (ID, BH, PM, GG, DW, HPLBID, JJ) values "
                            "(9001, 'T9001', '测试货品甲', 'A型', '个', 9001, 4.5)"),
             QStringLiteral("insert into HP (ID, BH, PM, GG, DW, HPLBID, JJ) values "
                            "(9002, 'T9002', '测试货品乙', 'B型', '个', 9002, 2)"),
             QStringLiteral("update CK set MC = ") + QuotedStr(Warehouse1) +
                 QStringLiteral(" where ID = 1")}));
        beginCase();
        m_receipt1 = post("TfrmPurIn", 1, {{GoodsA, 10, 5}, {GoodsB, 4, 2.5}});
        m_receipt2 = post("TfrmPurIn", 2, {{GoodsA, 6, 5}});
        m_return = post("TfrmPurOut", 1, {{GoodsA, 4, 5}, {GoodsB, 4, 2.5}});
        QVERIFY(!m_receipt1.isEmpty() && !m_receipt2.isEmpty() && !m_return.isEmpty());
        QCOMPARE(ledgerSum(QStringLiteral("SL*Flag"), GoodsA), 12.0);
        QCOMPARE(ledgerSum(QStringLiteral("SL*Flag"), GoodsB), 0.0);
    }

    void cleanupTestCase() { stopReports(); }

    void init() { beginReportCase(); }

    void cleanup()
    {
        const QStringList texts = endReportCase();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // Which rows of goods A the ledger gives for a period around today's movements.
    void ledgerRowsAroundThePeriod_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("movementsOnly");
        QTest::addColumn<QStringList>("expected"); // ZBID_BH|SLA|SLD of each row

        const QString r1 = m_receipt1, r2 = m_receipt2, ret = m_return;
        QTest::newRow("movements today")
            << 0 << 0 << false
            << QStringList{QStringLiteral("|0|0"), r1 + QStringLiteral("|0|12"),
                           r2 + QStringLiteral("|0|12"), ret + QStringLiteral("|0|12"),
                           QStringLiteral("期末结存|0|12")};
        QTest::newRow("only after the to-date") << -2 << -1 << false << QStringList{};
        QTest::newRow("only before the from-date")
            << 1 << 2 << false
            << QStringList{QStringLiteral("|0|0"), QStringLiteral("期初结存|12|0"),
                           QStringLiteral("期末结存|0|12")};
        QTest::newRow("movements only")
            << 0 << 0 << true
            << QStringList{r1 + QStringLiteral("|0|12"), r2 + QStringLiteral("|0|12"),
                           ret + QStringLiteral("|0|12")};
        QTest::newRow("movements only, none in the period") << 1 << 2 << true << QStringList{};
    }

    void ledgerRowsAroundThePeriod()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, movementsOnly);
        QFETCH(QStringList, expected);
        const QDate today = QDate::currentDate();
        auto *r = ofGoods(report<TFrmRPTCkMx>(QStringLiteral("TFrmRPTCkMx"), today.addDays(from),
                                              today.addDays(to)),
                          CodeA);
        r->chkInOut->setChecked(movementsOnly);
        r->btnFind->click();
        QVERIFY(r->cdsQry->Active());
        QStringList got = rows(
            *r->cdsQry, {QStringLiteral("ZBID_BH"), QStringLiteral("SLA"), QStringLiteral("SLD")});
        // Movements of one day come in the order of their ids: compare them as a set.
        std::sort(got.begin(), got.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(got, expected);
    }

    // Goods B went in and out again: its running and closing price and amount are 0, not a
    // division by zero nor a leftover of rounding.
    void zeroBalanceShowsZeroPriceAndAmount()
    {
        auto *r = ofGoods(report<TFrmRPTCkMx>(QStringLiteral("TFrmRPTCkMx")), CodeB);
        r->btnFind->click();
        QVERIFY(locate(*r->cdsQry, QStringLiteral("ZBID_BH"), m_return));
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("SLD"))->AsFloat(), 0.0);
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("DJD"))->AsFloat(), 0.0);
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("JED"))->AsFloat(), 0.0);
        QVERIFY(locate(*r->cdsQry, QStringLiteral("ZBID_BH"), QStringLiteral("期末结存")));
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("DJD"))->AsFloat(), 0.0);
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("JED"))->AsFloat(), 0.0);

        // The receipt row of goods A carries the balance after the day, priced at cost.
        ofGoods(r, CodeA)->btnFind->click();
        QVERIFY(locate(*r->cdsQry, QStringLiteral("ZBID_BH"), m_receipt1));
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("SLB"))->AsFloat(), 10.0);
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("SLD"))->AsFloat(), 12.0);
        const double cost = ledgerSum(QStringLiteral("SL*CBDJ*Flag"), GoodsA);
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("JED"))->AsFloat(), cost);
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("DJD"))->AsFloat(), cost / 12);
    }

    // Which zeros the ledger hides, and that its closing amount has no sum.
    void ledgerHidesZerosOutsideTheRowsColumns_data()
    {
        QTest::addColumn<QString>("row"); // ZBID_BH of the row, "" for the heading
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text"); // as the column's format draws a zero
        QTest::addColumn<bool>("hidden");
        const struct
        {
            const char *name, *row, *field, *text;
            bool hidden;
        } cases[] = {
            {"heading balance", "", "SLD", "0", true},
            {"heading price", "", "DJD", "0.00", true},
            {"movement issue", "receipt", "SLC", "0", true},
            {"movement issue amount", "receipt", "JEC", "0.00", true},
            {"movement balance", "return", "JED", "0.00", false},
            {"closing balance", "期末结存", "DJD", "0.00", false},
            {"closing receipts", "期末结存", "SLB", "0", true},
            {"not a zero", "期末结存", "JEB", "0.01", false},
        };
        for (const auto &c : cases)
            QTest::newRow(c.name) << QString::fromUtf8(c.row) << QString::fromUtf8(c.field)
                                  << QString::fromUtf8(c.text) << c.hidden;
    }

    void ledgerHidesZerosOutsideTheRowsColumns()
    {
        QFETCH(QString, row);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, hidden);
        auto *r = ofGoods(report<TFrmRPTCkMx>(QStringLiteral("TFrmRPTCkMx")), CodeB);
        r->btnFind->click();
        const QString number = row == QLatin1String("receipt")  ? m_receipt1
                               : row == QLatin1String("return") ? m_return
                                                                : row;
        QVERIFY(locate(*r->cdsQry, QStringLiteral("ZBID_BH"), number));
        TColumn *column = r->DBGrid1->Columns().FindByFieldName(field);
        QVERIFY(column);
        TCellParams params;
        params.Row = r->cdsQry->RecNo() - 1;
        params.Text = text;
        params.Background = Qt::white;
        params.FontColor = Qt::black;
        r->DBGrid1->OnGetCellParams(*r->DBGrid1, *column, params);
        QCOMPARE(params.FontColor == params.Background, hidden);
        QCOMPARE(r->DBGrid1->Columns().FindByFieldName(QStringLiteral("JED"))->Footer().ValueType(),
                 fvtNon);
        QCOMPARE(r->DBGrid1->Columns().FindByFieldName(QStringLiteral("JEB"))->Footer().ValueType(),
                 fvtSum);
    }

    // A category takes in its direct sub-categories; the sub-category only itself.
    void categoryIncludesItsSubCategories_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QStringList>("goods");
        QTest::newRow("parent") << Category << QStringList{CodeA, CodeB};
        QTest::newRow("child") << SubCategory << QStringList{CodeB};
    }

    void categoryIncludesItsSubCategories()
    {
        QFETCH(QString, category);
        QFETCH(QStringList, goods);
        auto *r = report<TFrmRPTCkkcHz>(QStringLiteral("TFrmRPTCkkcHz"));
        r->Panel1->findChild<QComboBox *>(QStringLiteral("CombItemType"))->setEditText(category);
        r->btnFind->click();
        QCOMPARE(rows(*r->cdsQry, {QStringLiteral("BH")}), goods);
    }

    // Opening at the purchase price; the period's receipts and issues at cost with discount
    // and tax; the closing their balance.
    void generalLedgerFigures()
    {
        const QDate today = QDate::currentDate();
        auto *r = ofGoods(report<TFrmRPTCkkcHz>(QStringLiteral("TFrmRPTCkkcHz")), CodeA);
        r->btnFind->click();
        QCOMPARE(r->cdsQry->RecordCount(), 1);
        const QString atCost = QStringLiteral("SL*CBDJ*NZK*(1+NSL/100)");
        const double in = ledgerSum(atCost, GoodsA, QStringLiteral("and Flag = 1"));
        const double out = ledgerSum(atCost, GoodsA, QStringLiteral("and Flag = -1"));
        QVERIFY(in > 0 && out > 0);
        auto value = [r](const char *field) {
            return r->cdsQry->FieldByName(QLatin1String(field))->AsFloat();
        };
        QCOMPARE(value("SLA"), 0.0);
        QCOMPARE(value("SLB"), 16.0);
        QCOMPARE(value("JEB"), in);
        QCOMPARE(value("SLC"), 4.0);
        QCOMPARE(value("JEC"), out);
        QCOMPARE(value("SLD"), 12.0);
        QCOMPARE(value("JED"), in - out);

        // From tomorrow everything is opening stock, valued at the purchase price 4.5.
        r->dtpRqa->setDate(today.addDays(1));
        r->dtpRqb->setDate(today.addDays(1));
        r->btnFind->click();
        QCOMPARE(r->cdsQry->RecordCount(), 1);
        QCOMPARE(value("SLA"), 12.0);
        QCOMPARE(value("JEA"), 54.0);
        QCOMPARE(value("SLB"), 0.0);
        QCOMPARE(value("JED"), 54.0);

        // By warehouse: a first column 仓库 and a row per warehouse; unchecked it goes again.
        r->dtpRqa->setDate(today);
        r->chkCK->setChecked(true);
        r->btnFind->click();
        QCOMPARE(r->DBGrid1->Columns()[0]->FieldName(), QStringLiteral("CKMC"));
        QCOMPARE(r->DBGrid1->Columns()[0]->Title().Caption(), QStringLiteral("仓库"));
        QStringList got = rows(*r->cdsQry, {QStringLiteral("CKMC"), QStringLiteral("SLD")});
        got.sort();
        QStringList expected{
            Warehouse1 + QStringLiteral("|6"),
            QueryValue(QStringLiteral("select MC from CK where ID = 2")).toString() +
                QStringLiteral("|6")};
        expected.sort();
        QCOMPARE(got, expected);
        r->chkCK->setChecked(false);
        r->btnFind->click();
        QVERIFY(!r->DBGrid1->Columns().FindByFieldName(QStringLiteral("CKMC")));
        QCOMPARE(r->DBGrid1->Columns()[0]->Footer().Value(), QStringLiteral("合计"));
    }

    void generalLedgerDrillsDownToTheLedgerOfTheGoods()
    {
        auto *r = report<TFrmRPTCkkcHz>(QStringLiteral("TFrmRPTCkkcHz"));
        r->Panel1->findChild<QComboBox *>(QStringLiteral("CombItemType"))->setEditText(Category);
        r->btnFind->click();
        QVERIFY(locate(*r->cdsQry, QStringLiteral("BH"), CodeB));
        r->DBGrid1->OnDblClick(*r->DBGrid1);
        auto *ledger = qobject_cast<TFrmRPTCkMx *>(
            GlobalObj().MDIWindows.FindForm(QStringLiteral("FrmRPTCkMx")));
        QVERIFY(ledger);
        QCOMPARE(
            ledger->Panel1->findChild<TButtonEdit *>(QStringLiteral("RzButtonEdit_ItemNO"))->text(),
            CodeB);
        QVERIFY(ledger->cdsQry->Active()); // ran at once
        QStringList goods = rows(*ledger->cdsQry, {QStringLiteral("BH")});
        goods.removeDuplicates();
        QCOMPARE(goods, QStringList{CodeB});
        QCOMPARE(ledger->cdsQry->RecordCount(), 4); // heading, receipt, return, closing
    }

    // A movement opens its document, found by its number; the balance rows open nothing.
    void ledgerRowOpensItsDocument()
    {
        auto *r = ofGoods(report<TFrmRPTCkMx>(QStringLiteral("TFrmRPTCkMx")), CodeA);
        r->btnFind->click();
        QVERIFY(locate(*r->cdsQry, QStringLiteral("ZBID_BH"), m_receipt2));
        QString shown;
        auto answered = vztest::whenModal<TfrmPurIn>([&](TfrmPurIn &form) {
            shown = billNo(&form);
            form.Close();
        });
        r->DBGrid1->OnDblClick(*r->DBGrid1);
        QVERIFY(answered);
        QCOMPARE(shown, m_receipt2);

        QVERIFY(locate(*r->cdsQry, QStringLiteral("ZBID_BH"), QStringLiteral("期末结存")));
        r->DBGrid1->OnDblClick(*r->DBGrid1); // nothing modal comes, no message either
    }

    void unknownNumberCannotBeOpened()
    {
        TMessageBoxScript boxes;
        QVERIFY(!OpenDocumentByNumber(QStringLiteral("CS' or 1=1 --"), QStringLiteral("采购收货")));
        QVERIFY(!OpenDocumentByNumber(m_receipt1, QStringLiteral("零售")));
        QCOMPARE(boxes.Count(), 2);
        QCOMPARE(boxes.Last().Text, QStringLiteral("不能打开此单据。"));
    }

    // Alarms only for goods with a minimum above zero; the choice narrows them.
    void alarmsOnlyWhereAMinimumIsSet_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QStringList>("expected"); // BH|colour
        QTest::newRow("all") << "rbAll"
                             << QStringList{CodeA + QStringLiteral("|blue"),
                                            CodeB + QStringLiteral("|red")};
        QTest::newRow("below minimum")
            << "rbBelowMinimum" << QStringList{CodeB + QStringLiteral("|red")};
        QTest::newRow("above maximum")
            << "rbAboveMaximum" << QStringList{CodeA + QStringLiteral("|blue")};
    }

    void alarmsOnlyWhereAMinimumIsSet()
    {
        QFETCH(QString, choice);
        QFETCH(QStringList, expected);
        // A: 12 above its maximum 10; B: 0 below its minimum 1; a goods with stock above its
        // maximum but no minimum raises nothing.
        QVERIFY(ExecSQLScript({QStringLiteral("update HP set SX = 0, XX = 0 where ID >= 9001"),
                               QStringLiteral("update HP set SX = 1, XX = 10 where ID = 9001"),
                               QStringLiteral("update HP set SX = 1, XX = 5 where ID = 9002")}));
        auto *r = report<TFrmRPTCkkcBj>(QStringLiteral("TFrmRPTCkkcBj"));
        QVERIFY(!r->dtpRqa->isVisibleTo(r));
        r->Panel1->findChild<QRadioButton *>(choice)->setChecked(true);
        r->Panel1->findChild<QComboBox *>(QStringLiteral("CombItem"))
            ->setEditText(QStringLiteral("测试货品"));
        r->btnFind->click();
        QStringList got;
        TColumn *quantity = r->DBGrid1->Columns().FindByFieldName(QStringLiteral("Qty"));
        for (int row = 0; row < r->cdsQry->RecordCount(); ++row) {
            r->cdsQry->SetRecNo(row + 1);
            TCellParams params;
            params.Row = row;
            params.Text = r->cdsQry->FieldByName(QStringLiteral("Qty"))->AsString();
            params.FontColor = Qt::black;
            r->DBGrid1->OnGetCellParams(*r->DBGrid1, *quantity, params);
            got << r->cdsQry->FieldByName(QStringLiteral("BH"))->AsString() + QLatin1Char('|') +
                       (params.FontColor == Qt::red    ? QStringLiteral("red")
                        : params.FontColor == Qt::blue ? QStringLiteral("blue")
                                                       : QStringLiteral("black"));
        }
        QCOMPARE(got, expected);

        QVERIFY(ExecSQL(QStringLiteral("update HP set SX = 0 where ID = 9001")));
        r->rbAll->setChecked(true);
        r->btnFind->click();
        QCOMPARE(rows(*r->cdsQry, {QStringLiteral("BH")}), QStringList{CodeB});
        QVERIFY(ExecSQL(QStringLiteral("update HP set SX = 0, XX = 0 where ID >= 9001")));
    }

    // One column per warehouse, titled under 仓库 with the warehouse's own name, quote and all;
    // the total across them; a goods at zero is left out.
    void stockByWarehousePivots()
    {
        auto *r = report<TFrmRptKCZZ_FCHZ>(QStringLiteral("TFrmRptKCZZ_FCHZ"));
        r->Panel1->findChild<QComboBox *>(QStringLiteral("CombItem"))
            ->setEditText(QStringLiteral("测试货品"));
        r->btnFind->click();
        QVERIFY(r->cdsQry->Active());
        QCOMPARE(rows(*r->cdsQry, {QStringLiteral("bh"), QStringLiteral("s1"), QStringLiteral("s2"),
                                   QStringLiteral("AllQty")}),
                 QStringList{CodeA + QStringLiteral("|6|6|12")});
        const TDBGridColumns &columns = r->DBGrid1->Columns();
        QCOMPARE(columns[0]->FieldName(), QStringLiteral("bh"));
        QCOMPARE(columns[0]->Footer().Value(), QStringLiteral("合计"));
        QCOMPARE(columns.FindByFieldName(QStringLiteral("s1"))->Title().Caption(),
                 QStringLiteral("仓库|") + Warehouse1);
        QCOMPARE(columns.FindByFieldName(QStringLiteral("AllQty"))->Title().Caption(),
                 QStringLiteral("总计"));
        const int warehouses = QueryValue(QStringLiteral("select count(*) from CK")).toInt();
        int pivotColumns = 0;
        for (int i = 0; i < columns.Count(); ++i)
            pivotColumns += columns[i]->Title().Caption().startsWith(QStringLiteral("仓库|"));
        QCOMPARE(pivotColumns, warehouses);

        // A chosen warehouse gives its column only.
        auto *stock = r->Panel1->findChild<TButtonEdit *>(QStringLiteral("RzButtonEdit_Stock"));
        stock->setText(Warehouse1);
        stock->SetKey(QStringLiteral("1"));
        r->btnFind->click();
        QCOMPARE(rows(*r->cdsQry,
                      {QStringLiteral("bh"), QStringLiteral("s1"), QStringLiteral("AllQty")}),
                 QStringList{CodeA + QStringLiteral("|6|6")});
        QVERIFY(!r->cdsQry->FindField(QStringLiteral("s2")));
    }

    // Two users build their pivots over their own connections, one after the other: each
    // reads back what it built, not what the other built last.
    void twoUsersGetTheirOwnPivot()
    {
        const QList<QPair<int, QString>> warehouses{{1, Warehouse1}, {2, QStringLiteral("二")}};
        const TReportContext ctx = CurrentReportContext();
        const TStockByWarehouse mine(ctx, warehouses,
                                     TStockByWarehouse::WorkTableName(CurUserCode));
        const TStockByWarehouse theirs(ctx, warehouses,
                                       TStockByWarehouse::WorkTableName(QStringLiteral("O'B 2")));
        QVERIFY(TStockByWarehouse::WorkTableName(CurUserCode) !=
                TStockByWarehouse::WorkTableName(QStringLiteral("O'B 2")));
        world.afterTest(theirs.DropSQL());
        world.afterTest(mine.DropSQL());

        const QString mySql = BuildStockByWarehouse(
            Data().cn(), mine, QStringLiteral(" and H.BH = ") + QuotedStr(CodeA));
        const QString theirSql = BuildStockByWarehouse(
            Data().CnBb(), theirs,
            QStringLiteral(" and H.BH = ") + QuotedStr(CodeA) + QStringLiteral(" and M.CKID = 2"));

        auto read = [](TCustomRemoteServer &server, const QString &sql) {
            TClientDataSet data(QStringLiteral("cdsPivot"));
            data.SetRemoteServer(&server);
            data.SetProviderName(QStringLiteral("pQryPub"));
            data.SetCommandText(sql);
            data.Open();
            return rows(data, {QStringLiteral("BH"), QStringLiteral("s1"), QStringLiteral("s2"),
                               QStringLiteral("AllQty")});
        };
        QCOMPARE(read(Data().cn(), mySql), QStringList{CodeA + QStringLiteral("|6|6|12")});
        QCOMPARE(read(Data().CnBb(), theirSql), QStringList{CodeA + QStringLiteral("||6|6")});
    }

    // A refused fill raises and leaves no half-filled table behind.
    void refusedPivotFillsNothing()
    {
        const TStockByWarehouse pivot(CurrentReportContext(), {{1, Warehouse1}},
                                      TStockByWarehouse::WorkTableName(CurUserCode));
        world.afterTest(pivot.DropSQL());
        const QString count =
            QStringLiteral("select count(*) from ") + TStockByWarehouse::WorkTableName(CurUserCode);
        BuildStockByWarehouse(Data().cn(), pivot, QString());
        QVERIFY(QueryValue(count).toInt() > 0);
        bool refused = false;
        try {
            // the new table is made, then its fill is refused
            const TStockByWarehouse broken(CurrentReportContext(),
                                           {{1, Warehouse1}, {2, QStringLiteral("x")}},
                                           TStockByWarehouse::WorkTableName(CurUserCode));
            BuildStockByWarehouse(Data().cn(), broken, QStringLiteral(" and nosuchcolumn = 1"));
        } catch (const EDatabaseError &) {
            refused = true;
        }
        QVERIFY(refused);
        QCOMPARE(QueryValue(count).toInt(), 0);
    }

    // Every issue's amount becomes the sum of its lines, in one go.
    void recalculationSetsIssueAmountsFromTheirLines()
    {
        const QString wrong = QStringLiteral(
            "select count(*) from LLZB where DJBH in (select DJBH from LL) and abs(JE - (select "
            "sum(SL*DJ) from LL where LL.DJBH = LLZB.DJBH)) > 0.001");
        QVERIFY(ExecSQL(QStringLiteral("update LLZB set JE = JE + 1")));
        const int issues =
            QueryValue(QStringLiteral("select count(*) from LLZB where DJBH in (select DJBH "
                                      "from LL)"))
                .toInt();
        QVERIFY(issues > 0);
        QCOMPARE(QueryValue(wrong).toInt(), issues);
        auto *r = report<TFrmRPTCkkcHz>(QStringLiteral("TFrmRPTCkkcHz"));
        TMessageBoxScript boxes;
        r->btnCalc->click();
        QCOMPARE(boxes.Last().Text, QStringLiteral("重新计算成本成功！"));
        QCOMPARE(QueryValue(wrong).toInt(), 0);
    }

    // No stocktaking in the period: an empty list, and the report runs on its columns.
    void stocktakingDifferencesListCountsOnly()
    {
        auto *r = report<TFrmRptPdDif>(QStringLiteral("TFrmRptPdDif"),
                                       QDate::currentDate().addYears(-20));
        r->btnFind->click();
        QVERIFY(r->cdsQry->Active());
        const int counts =
            QueryValue(QStringLiteral("select count(*) from Inv_ItemList where BillType = 'KCPD' "
                                      "and RQ <= ") +
                       SQLDate(SessionInfo().DatabaseKind, QDate::currentDate()))
                .toInt();
        QCOMPARE(r->cdsQry->RecordCount(), counts);
        for (r->cdsQry->First(); !r->cdsQry->Eof(); r->cdsQry->Next())
            QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("JE"))->AsFloat(),
                     r->cdsQry->FieldByName(QStringLiteral("DJ"))->AsFloat() *
                         r->cdsQry->FieldByName(QStringLiteral("SL"))->AsFloat());
    }
};

QTEST_MAIN(TestRptStock)
#include "tst_rptstock.moc"
