// Carrying forward on a real server with the demo account set: which sources the picker
// offers as targets take their lines, what a document copies from the ticked lines, and the
// return that copies a whole receipt.
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/cgshhelp.h"
#include "client/documents/comdj.h"
#include "client/documents/refer.h"
#include "client/forms/globalobj.h"
#include "client/widgets/controls.h"
#include "docsupport.h"
#include "support/whenmodal.h"
#include "tradesupport.h"

#include <QDateEdit>
#include <QPushButton>
#include <QTest>

using namespace tradesupport;

namespace {

const TReferSource Requisitions{"aRefer", "选择采购申请单", "采购申请单",
                                "CGSQZB", "CGSQ",           "M.JSR"};

// The numbers the picker offers for the requisitions, against the receipts' lines.
QStringList offered(const TReferQuery &query)
{
    QStringList numbers;
    TTmpDataSet headers;
    headers->SetCommandText(query.HeaderSql());
    headers->Open();
    for (headers->First(); !headers->Eof(); headers->Next())
        numbers << headers->FieldByName(QStringLiteral("DJBH"))->AsString();
    return numbers;
}

TReferQuery requisitionQuery()
{
    TReferQuery query;
    query.Source = Requisitions;
    query.TargetLinesTable = QStringLiteral("CGSH");
    query.DatabaseKind = SessionInfo().DatabaseKind;
    query.AuditLevel = 1;
    return query;
}

} // namespace

class TestDocRefer : public docsupport::TDocumentTest<TfrmComDj>
{
    Q_OBJECT

public:
    TestDocRefer()
        : TDocumentTest(QStringList{QStringLiteral("CGSQZB"), QStringLiteral("CGSQ"),
                                    QStringLiteral("CGSHZB"), QStringLiteral("CGSH"),
                                    QStringLiteral("CGTHZB"), QStringLiteral("CGTH")})
    {}

private:
    // A requisition RQ9201 for supplier 1 in warehouse 1: goods 1 × 10 at 12.5 and goods
    // 2 × 3 at 4, at the audit level given.
    void storeRequisition(int level)
    {
        QVERIFY(ExecSQLScript(
            {QStringLiteral("insert into CGSQZB (ID, DJBH, RQ, CKID, JSR, JE, uFlag) values "
                            "(9201, 'RQ9201', #2026-03-02#, 1, '张三', 137, %1)")
                 .arg(level),
             QStringLiteral("insert into CGSQ (ZBID, HH, DJBH, HPID, SL, DJ) values (9201, 1, "
                            "'RQ9201', 1, 10, 12.5)"),
             QStringLiteral("insert into CGSQ (ZBID, HH, DJBH, HPID, SL, DJ) values (9201, 2, "
                            "'RQ9201', 2, 3, 4)")}));
    }

    // Receipt lines that took quantities of the requisition's first line.
    void receive(int receipt, double quantity)
    {
        QVERIFY(ExecSQL(QStringLiteral("insert into CGSH (ZBID, HH, HPID, SL, DJ, SRCNO, SRCSEQ) "
                                       "values (%1, 1, 1, %2, 12.5, 'RQ9201', 1)")
                            .arg(receipt)
                            .arg(quantity)));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(startWorld(), qPrintable(world.error())); }
    void cleanupTestCase() { world.stop(); }
    void init()
    {
        beginCase();
        QVERIFY(keepDocuments());
    }
    void cleanup()
    {
        FuncRight().AuditNum = 1;
        const QStringList texts = endCase();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // A source stays offered while one of its lines has quantity left; drafts and sources
    // below the company's last audit level are not offered.
    void offeredWhileQuantityIsLeft_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("levels");
        QTest::addColumn<QList<double>>("received");
        QTest::addColumn<bool>("isOffered");
        QTest::addColumn<double>("referenced"); // on the first line, as the line list shows it
        QTest::newRow("untouched") << 1 << 1 << QList<double>{} << true << 0.0;
        QTest::newRow("6 of 10 received") << 1 << 1 << QList<double>{6} << true << 6.0;
        QTest::newRow("in two receipts") << 1 << 1 << QList<double>{6, 3} << true << 9.0;
        // the second line's 3 are still open
        QTest::newRow("first line done") << 1 << 1 << QList<double>{6, 4} << true << -1.0;
        QTest::newRow("draft") << 0 << 1 << QList<double>{} << false << 0.0;
        QTest::newRow("first of two levels") << 1 << 2 << QList<double>{} << false << 0.0;
        QTest::newRow("last of two levels") << 2 << 2 << QList<double>{} << true << 0.0;
    }

    void offeredWhileQuantityIsLeft()
    {
        QFETCH(int, level);
        QFETCH(int, levels);
        QFETCH(QList<double>, received);
        QFETCH(bool, isOffered);
        QFETCH(double, referenced);
        storeRequisition(level);
        int receipt = 9300;
        for (double quantity : received)
            receive(++receipt, quantity);
        FuncRight().AuditNum = levels;

        TReferBaseFrm picker(Requisitions, QStringLiteral("CGSH"));
        picker.OpenHeaders();
        QCOMPARE(picker.Headers().Locate(QStringLiteral("DJBH"), QStringLiteral("RQ9201")),
                 isOffered);
        if (!isOffered)
            return;
        picker.MarkHeader(picker.Headers().CurrentRow(), true);
        picker.OpenLines();
        const QList<TSourceLine> lines = picker.MarkedLines();
        // a line whose quantity is all taken is not listed
        QCOMPARE(lines.size(), referenced < 0 ? 1 : 2);
        if (referenced < 0) {
            QCOMPARE(lines[0].SourceLine, 2);
            return;
        }
        QCOMPARE(lines[0].SourceNo, QStringLiteral("RQ9201"));
        QCOMPARE(lines[0].SourceLine, 1);
        QCOMPARE(lines[0].Quantity, 10 - referenced);
        QCOMPARE(lines[0].Price, 12.5);
        QCOMPARE(lines[1].Quantity, 3.0);
        picker.Lines().First();
        QCOMPARE(picker.Lines().FieldByName(QStringLiteral("HaverefSL"))->AsFloat(), referenced);
    }

    // All 10 of the first line and the 3 of the second received: the requisition goes.
    void fullyReceivedIsNotOffered()
    {
        storeRequisition(1);
        receive(9301, 6);
        QVERIFY(offered(requisitionQuery()).contains(QStringLiteral("RQ9201")));
        receive(9302, 4);
        QVERIFY(ExecSQL(QStringLiteral("insert into CGSH (ZBID, HH, HPID, SL, DJ, SRCNO, SRCSEQ) "
                                       "values (9303, 1, 2, 3, 4, 'RQ9201', 2)")));
        QVERIFY(!offered(requisitionQuery()).contains(QStringLiteral("RQ9201")));
    }

    void filtersNarrowTheSources_data()
    {
        QTest::addColumn<QString>("warehouses");
        QTest::addColumn<bool>("hasDates");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<bool>("isOffered");
        QTest::newRow("no filter") << QString() << false << QDate() << QDate() << true;
        QTest::newRow("its warehouse") << "(1,2)" << false << QDate() << QDate() << true;
        QTest::newRow("another warehouse") << "(2)" << false << QDate() << QDate() << false;
        QTest::newRow("its day") << QString() << true << QDate(2026, 3, 2) << QDate(2026, 3, 2)
                                 << true;
        QTest::newRow("before it")
            << QString() << true << QDate(2026, 2, 1) << QDate(2026, 3, 1) << false;
    }

    void filtersNarrowTheSources()
    {
        QFETCH(QString, warehouses);
        QFETCH(bool, hasDates);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(bool, isOffered);
        storeRequisition(1);
        TReferQuery query = requisitionQuery();
        query.WarehouseKeys = warehouses;
        query.HasFrom = query.HasTo = hasDates;
        query.From = from;
        query.To = to;
        QCOMPARE(offered(query).contains(QStringLiteral("RQ9201")), isOffered);
    }

    // Through the receipt's window: the ticked lines become lines with their source, and the
    // saved receipt takes the requisition out of the offer.
    void receiptTakesTheOpenRemainder()
    {
        storeRequisition(1);
        receive(9301, 6);
        form = openNew(QStringLiteral("TfrmPurIn"));
        QVERIFY(form);
        fillHeader(form);
        auto answered = vztest::whenModal<TReferBaseFrm>([](TReferBaseFrm &picker) {
            QVERIFY(picker.Headers().Locate(QStringLiteral("DJBH"), QStringLiteral("RQ9201")));
            picker.MarkHeader(picker.Headers().CurrentRow(), true);
            picker.btnLines->click();
            picker.btnOk->click();
        });
        form->aRefer->trigger();
        QVERIFY(answered);

        TClientDataSet &mx = lines();
        mx.First();
        QCOMPARE(mx.FieldByName(QStringLiteral("aBH"))->AsString(), goodsCode(1));
        QCOMPARE(mx.FieldByName(QStringLiteral("SL"))->AsFloat(), 4.0);
        QCOMPARE(mx.FieldByName(QStringLiteral("DJ"))->AsFloat(), 12.5);
        QCOMPARE(mx.FieldByName(QStringLiteral("SRCNO"))->AsString(), QStringLiteral("RQ9201"));
        QCOMPARE(mx.FieldByName(QStringLiteral("SRCSEQ"))->AsInteger(), 1);
        mx.Next();
        QCOMPARE(mx.FieldByName(QStringLiteral("aBH"))->AsString(), goodsCode(2));
        QCOMPARE(mx.FieldByName(QStringLiteral("SRCSEQ"))->AsInteger(), 2);

        form->aSave->trigger();
        QVERIFY(!form->IsModified());
        QCOMPARE(QueryValue(QStringLiteral("select sum(SL) from CGSH where SRCNO = 'RQ9201'"))
                     .toDouble(),
                 13.0);
        QVERIFY(!offered(requisitionQuery()).contains(QStringLiteral("RQ9201")));
    }

    // The order picker of a receipt starts on the receipt's supplier.
    void theOrderPickerStartsWithTheSupplier()
    {
        QVERIFY(keepDocuments({QStringLiteral("CGDDZB"), QStringLiteral("CGDD")}));
        for (int supplier : {1, 2})
            QVERIFY(ExecSQLScript(
                {QStringLiteral("insert into CGDDZB (ID, DJBH, RQ, GYSID, YWY, JE, uFlag) values "
                                "(%1, 'CD%1', #2026-03-02#, %2, '张三', 50, 1)")
                     .arg(9500 + supplier)
                     .arg(supplier),
                 QStringLiteral("insert into CGDD (ZBID, HH, DJBH, HPID, SL, DJ) values (%1, 1, "
                                "'CD%1', 1, 5, 10)")
                     .arg(9500 + supplier)}));
        form = openNew(QStringLiteral("TfrmPurIn"));
        QVERIFY(form);
        fillHeader(form);
        QStringList offeredOrders;
        auto answered = vztest::whenModal<TReferBaseFrm>([&](TReferBaseFrm &picker) {
            QCOMPARE(picker.RzButtonEdit_GYS->Key(), QStringLiteral("(1)"));
            for (picker.Headers().First(); !picker.Headers().Eof(); picker.Headers().Next())
                offeredOrders << picker.Headers().FieldByName(QStringLiteral("DJBH"))->AsString();
            picker.btnExit->click();
        });
        QAction *orders = form->findChild<QAction *>(QStringLiteral("aXzdd"));
        QVERIFY(orders);
        orders->trigger();
        QVERIFY(answered);
        QVERIFY(offeredOrders.contains(QStringLiteral("CD9501")));
        QVERIFY(!offeredOrders.contains(QStringLiteral("CD9502")));
    }

    // A return copies the chosen receipt: its supplier, warehouse and lines.
    void returnCopiesTheReceipt()
    {
        QVERIFY(ExecSQLScript(
            {QStringLiteral("insert into CGSHZB (ID, DJBH, RQ, GYSID, CKID, JE, uFlag, CGLX) "
                            "values (9401, 'CS9401', #2026-03-05#, 2, 2, 50, 1, 1)"),
             QStringLiteral("insert into CGSH (ZBID, HH, DJBH, HPID, SL, DJ) values (9401, 1, "
                            "'CS9401', 3, 5, 10)")}));
        form = openNew(QStringLiteral("TfrmPurOut"));
        QVERIFY(form);
        auto answered = vztest::whenModal<TfrmCgshHelp>([](TfrmCgshHelp &picker) {
            picker.dtpFrom->setDate(QDate(2026, 3, 1));
            picker.dtpTo->setDate(QDate(2026, 3, 31));
            picker.btnQuery->click();
            QVERIFY(picker.Headers().Locate(QStringLiteral("DJBH"), QStringLiteral("CS9401")));
            picker.btnOk->click();
        });
        QAction *shd = form->findChild<QAction *>(QStringLiteral("Menu_Ref"));
        QVERIFY(shd);
        shd->trigger();
        QVERIFY(answered);
        QCOMPARE(header().FieldByName(QStringLiteral("GYSID"))->AsInteger(), 2);
        QCOMPARE(header().FieldByName(QStringLiteral("aGYSBH"))->AsString(),
                 QueryValue(QStringLiteral("select BH from GYS where ID = 2")).toString());
        QCOMPARE(header().FieldByName(QStringLiteral("CKID"))->AsInteger(), 2);
        lines().First();
        QCOMPARE(lines().FieldByName(QStringLiteral("aBH"))->AsString(), goodsCode(3));
        QCOMPARE(lines().FieldByName(QStringLiteral("SL"))->AsFloat(), 5.0);
        QCOMPARE(lines().FieldByName(QStringLiteral("SRCNO"))->AsString(),
                 QStringLiteral("CS9401"));
    }
};

QTEST_MAIN(TestDocRefer)
#include "tst_docrefer.moc"
