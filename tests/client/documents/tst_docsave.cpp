// Saving, numbering and auditing documents on a real server with the demo account set: the
// counter's sequence and its compare-and-set, numbers taken by another clerk meanwhile, the
// negative-stock question, audit levels with their stock-ledger rows, un-audit, and an audit
// that meets another user's change.
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/documents/purin.h"
#include "client/documents/registerforms.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/registerforms.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "support/testworld.h"
#include "wire/client.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>

namespace {

int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

using docsupport::flush;

} // namespace

class TestDocSave : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    QPointer<TfrmPurIn> form;
    std::unique_ptr<TMessageBoxScript> unexpected;

    TClientDataSet &header() { return *form->ZbDataSet(); }
    TClientDataSet &lines() { return *form->MxDataSet(); }

    void keepDocuments()
    {
        QVERIFY(world.keepTables({QStringLiteral("CGSHZB"), QStringLiteral("CGSH"),
                                  QStringLiteral("MaxBillNo"), QStringLiteral("Inv_ItemList")}));
    }

    // A new receipt of goods 1 and 2 (2 and 3 pieces at 10) from supplier 1 into warehouse 1.
    void newReceipt()
    {
        form = CreateForm<TfrmPurIn>();
        form->FOpenMode = QStringLiteral("A");
        form->show();
        flush();
        TClientDataSet &zb = header();
        zb.FieldByName(QStringLiteral("GYSID"))->SetAsInteger(1);
        zb.FieldByName(QStringLiteral("aGYSMC"))->SetAsString(QStringLiteral("供应商一"));
        zb.FieldByName(QStringLiteral("CKID"))->SetAsInteger(1);
        zb.FieldByName(QStringLiteral("YWY"))->SetAsString(QStringLiteral("张三"));
        TClientDataSet &mx = lines();
        mx.First();
        for (int goods = 1; goods <= 2; ++goods) {
            mx.Edit();
            mx.FieldByName(QStringLiteral("aBH"))
                ->SetAsString(
                    QueryValue(QStringLiteral("select BH from HP where ID = %1").arg(goods))
                        .toString());
            mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(goods + 1);
            mx.FieldByName(QStringLiteral("DJ"))->SetAsFloat(10);
            mx.Post();
            mx.Next();
        }
    }

    QString number() { return header().FieldByName(QStringLiteral("DJBH"))->AsString(); }
    int ledgerRows(const QString &billNo)
    {
        return count(QStringLiteral("select count(*) from Inv_ItemList where DJBH = %1")
                         .arg(QuotedStr(billNo)));
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
        for (TClientDataSet *dataSet : {&Data().Cgshzb(), &Data().Cgsh()})
            dataSet->Close();
        FuncRight().AuditNum = 1;
        FuncRight().Boolean3 = false;
        FuncRight().IsFSCK = false;
        world.cleanup();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // --- Numbering -----------------------------------------------------------------------------

    void counterSequenceAndMonths()
    {
        QVERIFY(world.keepTables({QStringLiteral("MaxBillNo")}));
        QCOMPARE(GetNewBillNo(QStringLiteral("CS"), QDate(2031, 1, 15)),
                 QStringLiteral("CS2031010001"));
        QCOMPARE(count(QStringLiteral("select MaxNo from MaxBillNo where TableName = 'CS203101'")),
                 2);
        QCOMPARE(GetNewBillNo(QStringLiteral("CS"), QDate(2031, 1, 31)),
                 QStringLiteral("CS2031010002"));
        QCOMPARE(GetNewBillNo(QStringLiteral("CS"), QDate(2031, 2, 1)),
                 QStringLiteral("CS2031020001"));
        QCOMPARE(GetNewBillNo(QStringLiteral("XS"), QDate(2031, 1, 1)),
                 QStringLiteral("XS2031010001"));
        // A counter left at 0 hands out 1, as a fresh one does.
        QVERIFY(ExecSQL(
            QStringLiteral("insert into MaxBillNo (TableName, MaxNo) values ('CS203103', 0)")));
        QCOMPARE(GetNewBillNo(QStringLiteral("CS"), QDate(2031, 3, 9)),
                 QStringLiteral("CS2031030001"));
        QCOMPARE(count(QStringLiteral("select MaxNo from MaxBillNo where TableName = 'CS203103'")),
                 2);
        QCOMPARE(BillNoToID(QStringLiteral("CS2031030001")), Q_INT64_C(2031030001));
    }

    void theCompareAndSetLosesToAnotherClerk()
    {
        QVERIFY(world.keepTables({QStringLiteral("MaxBillNo")}));
        QVERIFY(ExecSQL(
            QStringLiteral("insert into MaxBillNo (TableName, MaxNo) values ('CS203104', 5)")));
        const TDrawnBillNo drawn = DrawBillNo(QStringLiteral("CS"), QDate(2031, 4, 2));
        QCOMPARE(drawn.BillNo, QStringLiteral("CS2031040005"));
        // Another clerk moves the counter first: the drawn statement changes nothing.
        auto other = world.otherClient();
        QCOMPARE(other->execute(
                     QStringLiteral("update MaxBillNo set MaxNo = 6 where TableName = 'CS203104'")),
                 qint64(1));
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from MaxBillNo where TableName = "
                                           "'CS203104' and MaxNo = 5"))
                     .toInt(),
                 0);
        QCOMPARE(GetNewBillNo(QStringLiteral("CS"), QDate(2031, 4, 2)),
                 QStringLiteral("CS2031040006"));
    }

    void lateNumbersShowNewUntilSaved()
    {
        keepDocuments();
        FuncRight().Boolean3 = true;
        newReceipt();
        QCOMPARE(number(), QStringLiteral("新单"));
        const QDate date = header().FieldByName(QStringLiteral("RQ"))->AsDate();
        const QString key = QStringLiteral("CS") + date.toString(QStringLiteral("yyyyMM"));
        const int before = count(
            QStringLiteral("select MaxNo from MaxBillNo where TableName = %1").arg(QuotedStr(key)));
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
        QVERIFY(number().startsWith(key));
        QCOMPARE(header().FieldByName(QStringLiteral("ID"))->AsLargeInt(), BillNoToID(number()));
        QCOMPARE(count(QStringLiteral("select count(*) from CGSH where DJBH = %1 and ZBID = %2")
                           .arg(QuotedStr(number()))
                           .arg(header().FieldByName(QStringLiteral("ID"))->AsLargeInt())),
                 2);
        QCOMPARE(count(QStringLiteral("select MaxNo from MaxBillNo where TableName = %1")
                           .arg(QuotedStr(key))),
                 qMax(before, 1) + 1);
    }

    void aNumberStoredMeanwhileIsDrawnAgainUnseen()
    {
        keepDocuments();
        FuncRight().Boolean3 = true;
        newReceipt();
        const QDate date = header().FieldByName(QStringLiteral("RQ"))->AsDate();
        const TDrawnBillNo next = DrawBillNo(QStringLiteral("CS"), date);
        // Another program stored a receipt under the next number without moving the counter.
        QVERIFY(ExecSQL(QStringLiteral("insert into CGSHZB (ID, DJBH, RQ) values (%1, %2, %3)")
                            .arg(BillNoToID(next.BillNo))
                            .arg(QuotedStr(next.BillNo), SQLDate(0, date))));
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
        // The number was taken for good once the store met the stored one: the one after it.
        QCOMPARE(BillNoToID(number()), BillNoToID(next.BillNo) + 1);
        QVERIFY(form->NumberRetries() >= 1);
        QCOMPARE(count(QStringLiteral("select count(*) from CGSHZB where DJBH = %1")
                           .arg(QuotedStr(number()))),
                 1);
    }

    void aRefusedSaveDrawsNoNumber()
    {
        keepDocuments();
        FuncRight().Boolean3 = true;
        newReceipt();
        header().FieldByName(QStringLiteral("aGYSMC"))->SetAsString(QString());
        const int counters = count(QStringLiteral("select sum(MaxNo) from MaxBillNo"));
        {
            TMessageBoxScript answers;
            form->aSave->trigger();
            QCOMPARE(answers.Count(), 1);
        }
        QCOMPARE(number(), QStringLiteral("新单"));
        QCOMPARE(count(QStringLiteral("select sum(MaxNo) from MaxBillNo")), counters);
        QVERIFY(form->IsModified());
    }

    // --- Audit ---------------------------------------------------------------------------------

    void twoLevelsPostOnlyAtTheSecond()
    {
        keepDocuments();
        FuncRight().AuditNum = 2;
        newReceipt();
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
        const QString billNo = number();
        {
            TMessageBoxScript answers{mrYes};
            form->aAudit->trigger();
            QCOMPARE(answers.Last().Text, QStringLiteral("确定要审核此单据吗?"));
        }
        QCOMPARE(
            count(
                QStringLiteral("select uFlag from CGSHZB where DJBH = %1").arg(QuotedStr(billNo))),
            1);
        QCOMPARE(ledgerRows(billNo), 0);
        QCOMPARE(form->aAudit->text(), QStringLiteral("二审(&O)"));
        {
            TMessageBoxScript answers{mrYes};
            form->aAudit->trigger();
        }
        QCOMPARE(
            count(
                QStringLiteral("select uFlag from CGSHZB where DJBH = %1").arg(QuotedStr(billNo))),
            2);
        QCOMPARE(ledgerRows(billNo), 2);
        QCOMPARE(count(QStringLiteral(
                           "select sum(SL*Flag) from Inv_ItemList where DJBH = %1 and CKID = 1")
                           .arg(QuotedStr(billNo))),
                 5);
        QCOMPARE(form->pStatus->text(), QStringLiteral("已审核"));
        {
            TMessageBoxScript answers;
            form->aAudit->trigger(); // disabled: nothing happens
            QCOMPARE(answers.Count(), 0);
        }
        {
            TMessageBoxScript answers{mrYes};
            form->aUnAudit->trigger();
            QCOMPARE(answers.Last().Text, QStringLiteral("确定要反审此单据吗?"));
        }
        QCOMPARE(
            count(
                QStringLiteral("select uFlag from CGSHZB where DJBH = %1").arg(QuotedStr(billNo))),
            0);
        QCOMPARE(ledgerRows(billNo), 0);
        QCOMPARE(form->pStatus->text(), QStringLiteral("草稿"));
    }

    void anAuditThatMeetsAnotherUsersChangeStoresNothing()
    {
        keepDocuments();
        newReceipt();
        form->aSave->trigger();
        const QString billNo = number();
        // Another user audits it first.
        auto other = world.otherClient();
        QCOMPARE(other->execute(QStringLiteral("update CGSHZB set uFlag = 1 where DJBH = %1")
                                    .arg(QuotedStr(billNo))),
                 qint64(1));
        {
            TMessageBoxScript answers{mrYes};
            form->aAudit->trigger();
            QVERIFY(answers.Last().Text.startsWith(QStringLiteral("主表保存出错！")));
        }
        QCOMPARE(ledgerRows(billNo), 0);
        QCOMPARE(header().FieldByName(QStringLiteral("uFlag"))->AsInteger(), 0);
        QCOMPARE(header().ChangeCount(), 0);
    }
};

QTEST_MAIN(TestDocSave)
#include "tst_docsave.moc"
