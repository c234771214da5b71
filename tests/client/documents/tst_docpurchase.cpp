// The purchase documents on a real server with the demo account set: the requisition, the
// goods requisition with its received quantities and status, the receipt with its invoice
// types and settlement check, and the return with its defaults; receipts and returns through
// save, audit and un-audit against the stock ledger.
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/cgdd.h"
#include "client/documents/cgth.h"
#include "client/documents/purin.h"
#include "client/documents/registerforms.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/partnerhelp.h"
#include "client/masterdata/registerforms.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "support/testworld.h"
#include "support/whenmodal.h"
#include "tradesupport.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace tradesupport;
using docsupport::flush;

class TestDocPurchase : public docsupport::TDocumentTest<TfrmComDj>
{
    Q_OBJECT

public:
    TestDocPurchase()
        : TDocumentTest(QStringList{QStringLiteral("CGSQZB"), QStringLiteral("CGSQ"),
                                    QStringLiteral("CGDDZB"), QStringLiteral("CGDD"),
                                    QStringLiteral("CGSHZB"), QStringLiteral("CGSH"),
                                    QStringLiteral("CGTHZB"), QStringLiteral("CGTH")})
    {}

private:
    void open(const char *className)
    {
        form = openNew(QLatin1String(className));
        QVERIFY(form);
    }

    void save()
    {
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
    }

    // A stored goods requisition of two lines of 5, stopped or not, and receipts against its
    // lines of the quantities given (none for 0).
    void storeGoodsRequisition(bool stopped, double firstReceived, double secondReceived)
    {
        const QStringList statements{
            QStringLiteral("insert into CGDDZB (ID, DJBH, RQ, GYSID, YWY, ZT) values (9101, "
                           "'CD9101', #2026-01-05#, 1, '张三', %1)")
                .arg(stopped ? 1 : 0),
            QStringLiteral("insert into CGDD (ZBID, HH, DJBH, HPID, SL, DJ) values (9101, 1, "
                           "'CD9101', 1, 5, 10)"),
            QStringLiteral("insert into CGDD (ZBID, HH, DJBH, HPID, SL, DJ) values (9101, 2, "
                           "'CD9101', 2, 5, 10)"),
            QStringLiteral("insert into CGSH (ZBID, HH, HPID, SL, DJ, SRCNO, SRCSEQ) values "
                           "(9102, 1, 1, %1, 10, 'CD9101', 1)")
                .arg(firstReceived),
            QStringLiteral("insert into CGSH (ZBID, HH, HPID, SL, DJ, SRCNO, SRCSEQ) values "
                           "(9102, 2, 2, %1, 10, 'CD9101', 2)")
                .arg(secondReceived)};
        QVERIFY(ExecSQLScript(statements));
        if (firstReceived == 0)
            QVERIFY(ExecSQL(QStringLiteral("delete from CGSH where ZBID = 9102 and HH = 1")));
        if (secondReceived == 0)
            QVERIFY(ExecSQL(QStringLiteral("delete from CGSH where ZBID = 9102 and HH = 2")));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(startWorld(), qPrintable(world.error())); }

    void cleanupTestCase() { world.stop(); }

    void init() { beginCase(); }

    void cleanup()
    {
        const QStringList texts = endCase();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // --- Every type ----------------------------------------------------------------------------

    void everyTypeOpensANewDocument_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("requisition") << "TfrmCgsq"
                                     << "采购申请单"
                                     << "CGSQZB"
                                     << "mnuCgsq"
                                     << "CQ";
        QTest::newRow("goods requisition") << "TfrmCgdd"
                                           << "物品申请单"
                                           << "CGDDZB"
                                           << "mnuSq"
                                           << "CD";
        QTest::newRow("receipt") << "TfrmPurIn"
                                 << "采购入库单"
                                 << "CGSHZB"
                                 << "mnuCgsh"
                                 << "CS";
        QTest::newRow("return") << "TfrmPurOut"
                                << "采购退货单"
                                << "CGTHZB"
                                << "mnuCgth"
                                << "CT";
    }

    void everyTypeOpensANewDocument()
    {
        QFETCH(QString, className);
        QFETCH(QString, caption);
        QFETCH(QString, table);
        QFETCH(QString, objectName);
        QFETCH(QString, prefix);
        open(qPrintable(className));
        checkNewDocument(form, caption, table, objectName, prefix);
    }

    void requisitionsAreSavedAndAuditedWithoutPosting_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("linesTable");
        QTest::newRow("requisition") << "TfrmCgsq"
                                     << "CGSQ";
        QTest::newRow("goods requisition") << "TfrmCgdd"
                                           << "CGDD";
    }

    void requisitionsAreSavedAndAuditedWithoutPosting()
    {
        QFETCH(QString, className);
        QFETCH(QString, linesTable);
        QVERIFY(keepDocuments());
        open(qPrintable(className));
        fillHeader(form);
        enterLines(form, {{1, 4, 10}});
        save();
        const QString number = billNo(form);
        QCOMPARE(QueryValue(QStringLiteral("select sum(SL) from %1 where DJBH = %2")
                                .arg(linesTable, QuotedStr(number)))
                     .toDouble(),
                 4.0);
        audit(form);
        QCOMPARE(header().FieldByName(QStringLiteral("uFlag"))->AsInteger(), 1);
        QVERIFY(ledgerRows(number).isEmpty());
    }

    // --- Postings ------------------------------------------------------------------------------

    void receiptsAndReturnsPostTheirLines_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("linesTable");
        QTest::addColumn<int>("flag");
        QTest::newRow("CS receipt") << "TfrmPurIn"
                                    << "CGSH" << 1;
        QTest::newRow("CT return") << "TfrmPurOut"
                                   << "CGTH" << -1;
    }

    void receiptsAndReturnsPostTheirLines()
    {
        QFETCH(QString, className);
        QFETCH(QString, linesTable);
        QFETCH(int, flag);
        QVERIFY(keepDocuments());
        open(qPrintable(className));
        fillHeader(form);
        enterLines(form, {{1, 2, 10}, {2, 3, 12.5}, {3, 1, 7}});
        save();
        const QString number = billNo(form);
        const qint64 id = header().FieldByName(QStringLiteral("ID"))->AsLargeInt();
        const QStringList expected = expectedRows(linesTable, id, flag, 1);
        QCOMPARE(expected.size(), 3);
        QVERIFY(ledgerRows(number).isEmpty());
        audit(form);
        QCOMPARE(ledgerRows(number), expected);
        unAudit(form);
        QCOMPARE(header().FieldByName(QStringLiteral("uFlag"))->AsInteger(), 0);
        QVERIFY(ledgerRows(number).isEmpty());
    }

    // --- Receipt -------------------------------------------------------------------------------

    void theInvoiceTypeGivesNewAndExistingLinesItsRate_data()
    {
        QTest::addColumn<QString>("invoiceType");
        QTest::addColumn<double>("rate");
        QTest::newRow("receipt") << "收据" << 0.0;
        QTest::newRow("ordinary invoice") << "普通发票" << 3.0;
        QTest::newRow("VAT invoice") << "增值税发票" << 17.0;
    }

    void theInvoiceTypeGivesNewAndExistingLinesItsRate()
    {
        QFETCH(QString, invoiceType);
        QFETCH(double, rate);
        open("TfrmPurIn");
        auto *receipt = qobject_cast<TfrmPurIn *>(form.data());
        // Two lines under another type first.
        const qint64 other = invoiceType == QStringLiteral("收据") ? 3 : 1;
        setHeader(form, "FPLX", other);
        enterLines(form, {{1, 2, 10}, {2, 1, 10}});
        lines().First();
        const qint64 type =
            QueryValue(
                QStringLiteral("select ID from FPLX where MC = %1").arg(QuotedStr(invoiceType)))
                .toLongLong();
        QVERIFY(type > 0);
        QVERIFY(receipt->DBComboBox2->SetKeyValue(type));
        QCOMPARE(header().FieldByName(QStringLiteral("FPLX"))->AsLargeInt(), type);
        QStringList rates;
        for (lines().First(); !lines().Eof(); lines().Next())
            if (!lines().FieldByName(QStringLiteral("aBH"))->AsString().isEmpty())
                rates << QString::number(lines().FieldByName(QStringLiteral("NSL"))->AsFloat());
        QCOMPARE(rates, QStringList(2, QString::number(rate)));
        lines().Append();
        QCOMPARE(lines().FieldByName(QStringLiteral("NSL"))->AsFloat(), rate);
        lines().Cancel();
    }

    void aReceiptPaidNowNeedsMethodAndAccount_data()
    {
        QTest::addColumn<QString>("paid");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("account");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("no method") << "100" << 0 << 1 << "结算方式不能为空！";
        QTest::newRow("no account") << "1,000.50" << 1 << 0 << "付款账户不能为空！";
        QTest::newRow("neither") << "5" << 0 << 0 << "结算方式不能为空！";
        QTest::newRow("both") << "5" << 1 << 1 << "";
        QTest::newRow("nothing paid") << "0" << 0 << 0 << "";
    }

    void aReceiptPaidNowNeedsMethodAndAccount()
    {
        QFETCH(QString, paid);
        QFETCH(int, method);
        QFETCH(int, account);
        QFETCH(QString, refusal);
        QVERIFY(keepDocuments());
        open("TfrmPurIn");
        fillHeader(form);
        setHeader(form, "SFKFSID", method);
        setHeader(form, "ZHID", account);
        header().FieldByName(QStringLiteral("XFJE"))->SetAsString(paid);
        enterLines(form, {{1, 1, 10}});
        const int before = QueryValue(QStringLiteral("select count(*) from CGSHZB")).toInt();
        TMessageBoxScript answers;
        form->aSave->trigger();
        if (refusal.isEmpty()) {
            QCOMPARE(answers.Count(), 0);
            QVERIFY(!form->IsModified());
            QCOMPARE(QueryValue(QStringLiteral("select count(*) from CGSHZB")).toInt(), before + 1);
            return;
        }
        QCOMPARE(answers.Last().Text, refusal);
        QVERIFY(form->IsModified());
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from CGSHZB")).toInt(), before);
    }

    void aSupplierCodeFillsTheSupplier()
    {
        open("TfrmPurIn");
        auto *receipt = qobject_cast<TfrmPurIn *>(form.data());
        const QString code =
            QueryValue(QStringLiteral("select BH from GYS where ID = 1")).toString();
        header().FieldByName(QStringLiteral("aGYSBH"))->SetAsString(code);
        QCOMPARE(header().FieldByName(QStringLiteral("GYSID"))->AsInteger(), 1);
        QCOMPARE(receipt->DBEditGysMC->text(),
                 QueryValue(QStringLiteral("select MC from GYS where ID = 1")).toString());
    }

    void anUnknownSupplierCodeOpensThePicker()
    {
        open("TfrmPurIn");
        auto picked = vztest::whenModal<TfrmGysHelp>([](TfrmGysHelp &picker) {
            QVERIFY(picker.HelpDataSet->Locate(QStringLiteral("ID"), 1));
            picker.btnOk->click();
        });
        header()
            .FieldByName(QStringLiteral("aGYSBH"))
            ->SetAsString(QStringLiteral("no-such-'code"));
        QVERIFY(picked);
        QCOMPARE(header().FieldByName(QStringLiteral("GYSID"))->AsInteger(), 1);
        QCOMPARE(header().FieldByName(QStringLiteral("aGYSBH"))->AsString(),
                 QueryValue(QStringLiteral("select BH from GYS where ID = 1")).toString());
        QCOMPARE(header().FieldByName(QStringLiteral("aGYSMC"))->AsString(),
                 QueryValue(QStringLiteral("select MC from GYS where ID = 1")).toString());
    }

    void namesTypedIntoTheHeaderFillTheirKeys_data()
    {
        QTest::addColumn<QString>("nameField");
        QTest::addColumn<QString>("keyField");
        QTest::addColumn<QString>("table");
        QTest::newRow("warehouse") << "aCKMC"
                                   << "CKID"
                                   << "CK";
        QTest::newRow("payment method") << "aSFKFSMC"
                                        << "SFKFSID"
                                        << "SFKFS";
        QTest::newRow("account") << "aZHMC"
                                 << "ZHID"
                                 << "ZH";
        QTest::newRow("invoice type") << "aFPLX"
                                      << "FPLX"
                                      << "FPLX";
    }

    void namesTypedIntoTheHeaderFillTheirKeys()
    {
        QFETCH(QString, nameField);
        QFETCH(QString, keyField);
        QFETCH(QString, table);
        open("TfrmPurIn");
        TTmpDataSet last;
        last->SetCommandText(QStringLiteral("select ID, MC from %1 order by ID desc").arg(table));
        last->Open();
        QVERIFY(!last->IsEmpty());
        header().FieldByName(nameField)->SetAsString(last->Fields(1)->AsString());
        QCOMPARE(header().FieldByName(keyField)->AsLargeInt(), last->Fields(0)->AsLargeInt());
    }

    void anInvoiceTypeTypedByNameReRatesTheLines()
    {
        open("TfrmPurIn");
        setHeader(form, "FPLX", 1);
        enterLines(form, {{1, 2, 10}});
        header().FieldByName(QStringLiteral("aFPLX"))->SetAsString(QStringLiteral("增值税发票"));
        lines().First();
        QCOMPARE(lines().FieldByName(QStringLiteral("NSL"))->AsFloat(), 17.0);
    }

    void aNewReceiptLeavesTheLastOnesLinesAlone()
    {
        QVERIFY(keepDocuments());
        open("TfrmPurIn");
        fillHeader(form);
        setHeader(form, "FPLX", 1);
        enterLines(form, {{1, 2, 10}, {2, 1, 10}});
        save();
        const QString first = billNo(form);
        form->aNew->trigger();
        QCOMPARE(header().FieldByName(QStringLiteral("FPLX"))->AsInteger(), 3);
        fillHeader(form);
        enterLines(form, {{3, 1, 10}});
        save();
        QCOMPARE(
            QueryValue(
                QStringLiteral("select sum(NSL) from CGSH where DJBH = %1").arg(QuotedStr(first)))
                .toDouble(),
            0.0);
        QCOMPARE(QueryValue(QStringLiteral("select sum(NSL) from CGSH where DJBH = %1")
                                .arg(QuotedStr(billNo(form))))
                     .toDouble(),
                 17.0);
    }

    // --- Goods requisition ---------------------------------------------------------------------

    void theGoodsRequisitionShowsItsExecution_data()
    {
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("open");
        QTest::newRow("stopped, nothing received") << true << 0.0 << 0.0 << "中止执行"
                                                   << "|";
        QTest::newRow("stopped, all received") << true << 5.0 << 6.0 << "中止执行"
                                               << "0|-1";
        QTest::newRow("all received") << false << 5.0 << 6.0 << "执行完毕"
                                      << "0|-1";
        QTest::newRow("partly received") << false << 5.0 << 2.0 << ""
                                         << "0|3";
        QTest::newRow("nothing received") << false << 0.0 << 0.0 << ""
                                          << "|";
    }

    void theGoodsRequisitionShowsItsExecution()
    {
        QFETCH(bool, stopped);
        QFETCH(double, first);
        QFETCH(double, second);
        QFETCH(QString, status);
        QFETCH(QString, open);
        QVERIFY(keepDocuments());
        storeGoodsRequisition(stopped, first, second);
        TClientDataSet &requisitions = Data().Cgddzb();
        requisitions.Close();
        requisitions.SetCommandText(TfrmCgdd::HeaderQuery(QStringLiteral(" where Z.ID = 9101")));
        requisitions.Open();
        auto *requisition = CreateForm<TfrmCgdd>();
        form = requisition;
        requisition->FOpenMode = QStringLiteral("M");
        requisition->show();
        flush();
        QCOMPARE(lines().RecordCount(), 2);
        QStringList rest;
        for (lines().First(); !lines().Eof(); lines().Next())
            rest << lines().FieldByName(QStringLiteral("aMSSL"))->AsString();
        QCOMPARE(rest.join(QLatin1Char('|')), open);
        QCOMPARE(requisition->pnlZT->isVisible(), !status.isEmpty());
        if (!status.isEmpty())
            QCOMPARE(requisition->pnlZT->text(), status);
        QCOMPARE(requisition->DBCheckZT->isChecked(), stopped);
    }

    void theCheckBoxStopsTheOrder()
    {
        QVERIFY(keepDocuments());
        open("TfrmCgdd");
        auto *requisition = qobject_cast<TfrmCgdd *>(form.data());
        QVERIFY(!requisition->pnlZT->isVisible());
        QCOMPARE(requisition->DBCheckZT->text(), QStringLiteral("订单中止执行"));
        requisition->DBCheckZT->click();
        QVERIFY(header().FieldByName(QStringLiteral("ZT"))->AsBoolean());
        QVERIFY(requisition->pnlZT->isVisible());
        QCOMPARE(requisition->pnlZT->text(), QStringLiteral("中止执行"));
        fillHeader(form);
        enterLines(form, {{1, 1, 10}});
        save();
        QCOMPARE(QueryValue(QStringLiteral("select ZT from CGDDZB where DJBH = %1")
                                .arg(QuotedStr(billNo(form))))
                     .toInt(),
                 1);
    }

    // --- Return --------------------------------------------------------------------------------

    void aNewReturnTakesItsDefaults()
    {
        TClientDataSet &methods = Data().Sfkfs();
        if (!methods.Active())
            methods.Open();
        methods.Last();
        const qint64 method = methods.FieldByName(QStringLiteral("ID"))->AsLargeInt();
        open("TfrmPurOut");
        QCOMPARE(header().FieldByName(QStringLiteral("aTHLX"))->AsString(),
                 QStringLiteral("供应商退现款"));
        QCOMPARE(header().FieldByName(QStringLiteral("SFKFSID"))->AsLargeInt(), method);
        QVERIFY(header().FieldByName(QStringLiteral("YWY"))->AsString().isEmpty());
        // The salesmen are the employees marked so, in code order.
        QStringList salesmen;
        TTmpDataSet names;
        FillListFromQuery(salesmen, QStringLiteral("select XM from YG where YWYBZ order by BH"),
                          *names);
        QCOMPARE(qobject_cast<TfrmPurOut *>(form.data())->DBComboYWY->Items(), salesmen);
    }

    void theReturnKeepsWhatItsOpenerSet()
    {
        auto *purchaseReturn = CreateForm<TfrmPurOut>();
        form = purchaseReturn;
        purchaseReturn->strZbMainTable = QStringLiteral("CGTHZB");
        purchaseReturn->strMxDetailTables = QStringLiteral("CGTH");
        purchaseReturn->FObjectName = QStringLiteral("mnuCgthList");
        purchaseReturn->FOpenMode = QStringLiteral("A");
        purchaseReturn->show();
        flush();
        QCOMPARE(purchaseReturn->FObjectName, QStringLiteral("mnuCgthList"));
        QVERIFY(billNo(form).startsWith(QStringLiteral("CT")));
    }

    void theReturnTypeTextIsStoredAsItsCode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("cash back") << "供应商退现款" << 1;
        QTest::newRow("kept as prepayment") << "退款转入预付款" << 2;
    }

    void theReturnTypeTextIsStoredAsItsCode()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        QVERIFY(keepDocuments());
        open("TfrmPurOut");
        fillHeader(form);
        header().FieldByName(QStringLiteral("aTHLX"))->SetAsString(text);
        enterLines(form, {{1, 1, 10}});
        save();
        QCOMPARE(QueryValue(QStringLiteral("select THLX from CGTHZB where DJBH = %1")
                                .arg(QuotedStr(billNo(form))))
                     .toInt(),
                 code);
    }

    void aReturnWithoutItsTypeIsRefused()
    {
        QVERIFY(keepDocuments());
        open("TfrmPurOut");
        fillHeader(form);
        header().FieldByName(QStringLiteral("aTHLX"))->SetAsString(QString());
        enterLines(form, {{1, 1, 10}});
        TMessageBoxScript answers;
        form->aSave->trigger();
        QCOMPARE(answers.Last().Text, QStringLiteral("'退货类型'未录入, 请继续录入!"));
        QVERIFY(form->IsModified());
    }
};

QTEST_MAIN(TestDocPurchase)
#include "tst_docpurchase.moc"
