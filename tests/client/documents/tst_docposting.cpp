// What documents write into the stock ledger on a real server with the demo account set: the
// first-in-first-out cost of a requisition against a hand-built ledger, the negative-stock
// question, reference quantities moved by audit and un-audit, and the postings of the count
// sheet, the adjustment, the transfer and the other stock changes.
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/ll.h"
#include "client/documents/posting.h"
#include "client/documents/registerforms.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/registerforms.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbnavigator.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "support/testworld.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

namespace {

double value(const QString &sql)
{
    return QueryValue(sql).toDouble();
}

void run(const QString &sql)
{
    QVERIFY2(ExecSQL(sql), qPrintable(sql));
}

using docsupport::flush;

// The issue, its audit and un-audit reachable without their confirmation.
class TTestRequisition : public TfrmStockLl
{
public:
    bool Audit() { return AuditBill(true); }
    void UnAudit() { aUnAuditExecute(); }
};

struct TLedgerRow
{
    const char *date;
    const char *billType;
    const char *billNo;
    int flag;
    int warehouse;
    double quantity;
    double price;
    int line = 1;
};

// Goods 1's ledger, hand-built: in warehouse 1 receipts of 5 at 10, 5 at 12 and 10 at 15 and
// issues of 3 and 4 before the 10th; a receipt in another warehouse and one after the month
// that no cost may see. Their numbers are past those the tests' documents draw.
const TLedgerRow Ledger[] = {
    {"2030-01-02", "CS", "CS2030019001", 1, 1, 5, 10},
    {"2030-01-05", "CS", "CS2030019002", 1, 1, 5, 12},
    {"2030-01-06", "LL", "LL2030019001", -1, 1, 3, 10},
    {"2030-01-07", "XS", "XS2030019001", -1, 1, 4, 10},
    {"2030-01-08", "TL", "TL2030019001", 1, 1, 10, 15},
    {"2030-01-01", "CS", "CS2030019003", 1, 2, 100, 1},
    {"2030-02-01", "CS", "CS2030029001", 1, 1, 100, 99},
};

} // namespace

class TestDocPosting : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    QPointer<TTestRequisition> form;
    std::unique_ptr<TMessageBoxScript> unexpected;

    TClientDataSet &header() { return *form->ZbDataSet(); }
    TClientDataSet &lines() { return *form->MxDataSet(); }
    QString number() { return header().FieldByName(QStringLiteral("DJBH"))->AsString(); }

    void keepLedger()
    {
        QVERIFY(world.keepTables(
            {QStringLiteral("LLZB"), QStringLiteral("LL"), QStringLiteral("MaxBillNo"),
             QStringLiteral("Inv_ItemList"), QStringLiteral("HP"), QStringLiteral("KCPDZB"),
             QStringLiteral("KCPD"), QStringLiteral("CKDBZB"), QStringLiteral("CKDB"),
             QStringLiteral("QTKCBDZB"), QStringLiteral("QTKCBD"), QStringLiteral("QTKCBDLX")}));
        run(QStringLiteral("delete from Inv_ItemList where HPID = 1"));
        run(QStringLiteral("update HP set HPHSFSID = 2 where ID = 1"));
        for (const TLedgerRow &row : Ledger)
            run(QStringLiteral("insert into Inv_ItemList (RQ, BillType, Flag, DJBH, HPID, HH, SL, "
                               "DJ, CBDJ, JE, CKID) values ('%1', '%2', %3, '%4', 1, %5, %6, %7, "
                               "%7, %6 * %7, %8)")
                    .arg(QLatin1String(row.date), QLatin1String(row.billType))
                    .arg(row.flag)
                    .arg(QLatin1String(row.billNo))
                    .arg(row.line)
                    .arg(row.quantity)
                    .arg(row.price)
                    .arg(row.warehouse));
    }

    // A new requisition of goods 1 from warehouse 1 on the day, its number drawn at the save.
    void newRequisition(QDate date, double quantity)
    {
        FuncRight().Boolean3 = true;
        form = CreateForm<TTestRequisition>();
        form->FOpenMode = QStringLiteral("A");
        form->show();
        flush();
        TClientDataSet &zb = header();
        zb.FieldByName(QStringLiteral("RQ"))->SetAsDateTime(date.startOfDay());
        zb.FieldByName(QStringLiteral("CKID"))->SetAsInteger(1);
        zb.FieldByName(QStringLiteral("JSR"))->SetAsString(QStringLiteral("领用人甲"));
        TClientDataSet &mx = lines();
        mx.First();
        mx.Edit();
        mx.FieldByName(QStringLiteral("aBH"))
            ->SetAsString(QueryValue(QStringLiteral("select BH from HP where ID = 1")).toString());
        mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(quantity);
        mx.Post();
    }

    double linePrice()
    {
        lines().First();
        return lines().FieldByName(QStringLiteral("DJ"))->AsFloat();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        RegisterMasterDataForms();
        RegisterDocumentForms();
    }

    void cleanupTestCase() { world.stop(); }

    void init() { unexpected = std::make_unique<TMessageBoxScript>(); }

    void cleanup()
    {
        const QStringList texts = docsupport::unexpectedTexts(unexpected);
        if (form)
            docsupport::closeDocument(form);
        for (TClientDataSet *dataSet : {&Data().Llzb(), &Data().Ll()})
            dataSet->Close();
        FuncRight().Boolean3 = false;
        FuncRight().IsFSCK = false;
        world.cleanup();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // --- First in, first out -------------------------------------------------------------------

    void firstInFirstOutCostAgainstTheLedger_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("cost");
        // By the 10th, 7 were issued: the first receipt's 5 and 2 of the second.
        QTest::newRow("the first receipt issued, the second partly")
            << QDate(2030, 1, 10) << 2.0 << 12.0;
        QTest::newRow("the second's rest and half the third: (36 + 45) / 6")
            << QDate(2030, 1, 10) << 6.0 << 13.5;
        QTest::newRow("run out: the 13 left, (36 + 150) / 13")
            << QDate(2030, 1, 10) << 20.0 << 14.31;
        // By the 6th only the 3 of the first issue, and the third receipt not yet in.
        QTest::newRow("issues and receipts up to the day: (20 + 24) / 4")
            << QDate(2030, 1, 6) << 4.0 << 11.0;
    }

    void firstInFirstOutCostAgainstTheLedger()
    {
        QFETCH(QDate, date);
        QFETCH(double, quantity);
        QFETCH(double, cost);
        keepLedger();
        newRequisition(date, quantity);
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
        QCOMPARE(linePrice(), cost);
        QCOMPARE(
            value(QStringLiteral("select DJ from LL where DJBH = %1").arg(QuotedStr(number()))),
            cost);
    }

    // --- Negative stock ------------------------------------------------------------------------

    void negativeStockAnsweredNoStoresNothing()
    {
        keepLedger();
        FuncRight().IsFSCK = true;
        const QString state = QStringLiteral("select (select count(*) from LLZB) * 1000000 + "
                                             "(select count(*) from LL) * 1000 + (select "
                                             "count(*) from MaxBillNo)");
        const double before = value(state);
        newRequisition(QDate(2030, 1, 10), 14); // 13 on hand
        {
            TMessageBoxScript answers{mrNo};
            form->aSave->trigger();
            QCOMPARE(answers.Count(), 1);
            QVERIFY2(
                answers.Last().Text.startsWith(QStringLiteral("仓库出货后下列货品库存为负数：")),
                qPrintable(answers.Last().Text));
            QVERIFY(answers.Last().Text.contains(QStringLiteral("(库存数为：13)")));
        }
        QVERIFY(form->IsModified());
        QCOMPARE(number(), QStringLiteral("新单"));
        QCOMPARE(value(state), before); // no header, no line, no counter

        QCOMPARE(lines().FieldByName(QStringLiteral("SL"))->AsFloat(), 14.0);

        // Within the stock nothing is asked; asked again and answered Yes, it is stored.
        {
            TMessageBoxScript answers{mrYes};
            form->aSave->trigger();
            QCOMPARE(answers.Count(), 1);
        }
        QVERIFY(!form->IsModified());
        QCOMPARE(
            value(QStringLiteral("select SL from LL where DJBH = %1").arg(QuotedStr(number()))),
            14.0);
    }

    // --- Audit: the ledger and the reference quantities ----------------------------------------

    void auditPostsTheIssueAndMovesTheSourceBatchesReferenceQuantity()
    {
        keepLedger();
        const double rowsBefore = value(QStringLiteral("select count(*) from Inv_ItemList"));
        newRequisition(QDate(2030, 1, 10), 2);
        TClientDataSet &mx = lines();
        mx.First();
        mx.Edit();
        mx.FieldByName(QStringLiteral("SRCNO"))->SetAsString(QStringLiteral("CS2030019002"));
        mx.FieldByName(QStringLiteral("SRCSEQ"))->SetAsInteger(1);
        mx.Post();
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
        const QString billNo = number();
        const QString refSl = QStringLiteral("select RefSL from Inv_ItemList where DJBH = "
                                             "'CS2030019002' and HH = 1");
        QCOMPARE(value(refSl), 0.0);

        QVERIFY(form->Audit());
        QCOMPARE(value(QStringLiteral("select sum(SL*Flag) from Inv_ItemList where DJBH = %1 and "
                                      "CKID = 1 and HPID = 1")
                           .arg(QuotedStr(billNo))),
                 -2.0);
        QCOMPARE(value(refSl), 2.0);
        QCOMPARE(value(QStringLiteral("select count(*) from Inv_ItemList")), rowsBefore + 1);

        {
            TMessageBoxScript answers{mrYes};
            form->UnAudit();
        }
        QCOMPARE(value(refSl), 0.0);
        // Exactly this document's row went; the ledger it was posted into stays as it was.
        QCOMPARE(value(QStringLiteral("select count(*) from Inv_ItemList")), rowsBefore);
        QCOMPARE(value(QStringLiteral("select count(*) from Inv_ItemList where HPID = 1")),
                 double(std::size(Ledger)));
    }

    // --- Postings of the stock documents -------------------------------------------------------

    void stockDocumentsPostTheirMovements_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("countSheet");
        QTest::addColumn<int>("kindStoresIn");
        // per warehouse 1 and 2: the quantity posted (SL * Flag), and the rows
        QTest::addColumn<double>("warehouse1");
        QTest::addColumn<double>("warehouse2");
        QTest::addColumn<int>("rows");
        // A count sheet line that found 8 of a book 10, and one that found the book quantity.
        QTest::newRow("count sheet: 10 counted as 8 posts -2, an agreeing line nothing")
            << QStringLiteral("PD") << true << 1 << -2.0 << 0.0 << 1;
        QTest::newRow("adjustment: posts the 8 and the 10 counted")
            << QStringLiteral("PD") << false << 1 << 18.0 << 0.0 << 2;
        QTest::newRow("transfer of 5 from 1 to 2: -5 and +5")
            << QStringLiteral("DB") << false << 1 << -5.0 << 5.0 << 2;
        QTest::newRow("a stock change of a kind that stores in")
            << QStringLiteral("QB") << false << 1 << 8.0 << 0.0 << 1;
        QTest::newRow("a stock change of a kind that takes out")
            << QStringLiteral("QB") << false << 0 << -8.0 << 0.0 << 1;
    }

    void stockDocumentsPostTheirMovements()
    {
        QFETCH(QString, prefix);
        QFETCH(bool, countSheet);
        QFETCH(int, kindStoresIn);
        QFETCH(double, warehouse1);
        QFETCH(double, warehouse2);
        QFETCH(int, rows);
        keepLedger();
        const QString billNo = prefix + QStringLiteral("2030010009");
        if (prefix == QLatin1String("PD")) {
            run(QStringLiteral("insert into KCPDZB (ID, DJBH, RQ, CKID, BillType) values "
                               "(2030010009, '%1', '2030-01-20', 1, '盘点')")
                    .arg(billNo));
            run(QStringLiteral("insert into KCPD (ZBID, HH, RQ, DJBH, HPID, SL, KCSL, DJ, CKID) "
                               "values (2030010009, 1, '2030-01-20', '%1', 1, 8, 10, 10, 1)")
                    .arg(billNo));
            run(QStringLiteral("insert into KCPD (ZBID, HH, RQ, DJBH, HPID, SL, KCSL, DJ, CKID) "
                               "values (2030010009, 2, '2030-01-20', '%1', 2, 10, 10, 10, 1)")
                    .arg(billNo));
        } else if (prefix == QLatin1String("DB")) {
            run(QStringLiteral("insert into CKDBZB (ID, DJBH, RQ, DCCID, DRCID) values "
                               "(2030010009, '%1', '2030-01-20', 1, 2)")
                    .arg(billNo));
            run(QStringLiteral("insert into CKDB (ZBID, HH, RQ, DJBH, HPID, SL, DJ, DCCID, DRCID) "
                               "values (2030010009, 1, '2030-01-20', '%1', 1, 5, 10, 1, 2)")
                    .arg(billNo));
        } else {
            run(QStringLiteral("insert into QTKCBDLX (ID, MC, RKL) values (99, '测试', %1)")
                    .arg(kindStoresIn));
            run(QStringLiteral("insert into QTKCBDZB (ID, DJBH, RQ, CKID, QTKCBDLXID) values "
                               "(2030010009, '%1', '2030-01-20', 1, 99)")
                    .arg(billNo));
            run(QStringLiteral("insert into QTKCBD (ZBID, HH, RQ, DJBH, HPID, SL, DJ, CKID) "
                               "values (2030010009, 1, '2030-01-20', '%1', 1, 8, 10, 1)")
                    .arg(billNo));
        }
        posting::TPostingRequest request;
        request.Prefix = prefix;
        request.BillNo = billNo;
        request.CountSheet = countSheet;
        request.AdjustmentType = QStringLiteral("盘点");
        request.TransferType = QStringLiteral("DB");
        request.DatabaseKind = SessionInfo().DatabaseKind;
        TAtomicRequest post;
        for (const QString &statement : posting::PostingStatements(request))
            post.Execute(statement);
        const TAtomicResult result = post.Send();
        QVERIFY2(result.Ok, qPrintable(result.Text()));
        const QString moved = QStringLiteral("select coalesce(sum(SL*Flag), 0) from Inv_ItemList "
                                             "where DJBH = '%1' and CKID = %2");
        QCOMPARE(value(moved.arg(billNo).arg(1)), warehouse1);
        QCOMPARE(value(moved.arg(billNo).arg(2)), warehouse2);
        QCOMPARE(
            value(
                QStringLiteral("select count(*) from Inv_ItemList where DJBH = '%1'").arg(billNo)),
            double(rows));

        // Un-posting takes exactly these rows away.
        const double others = value(QStringLiteral("select count(*) from Inv_ItemList"));
        QVERIFY(ExecSQL(posting::UnpostStatement(billNo)));
        QCOMPARE(value(QStringLiteral("select count(*) from Inv_ItemList")), others - rows);
    }
};

QTEST_MAIN(TestDocPosting)
#include "tst_docposting.moc"
