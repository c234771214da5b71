// The sales documents on a real server with the demo account set: the order with its
// delivered quantities and defaults, the delivery with its invoice types, settlement check and
// print texts, and the return with its customer prices, stock-ceiling warning, running total
// and defaults; deliveries and returns through save, audit and un-audit against the ledger.
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/lineprices.h"
#include "client/documents/recordinfo.h"
#include "client/documents/registerforms.h"
#include "client/documents/xsdd.h"
#include "client/documents/xskd.h"
#include "client/documents/xsth.h"
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

#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace tradesupport;
using docsupport::flush;

namespace {

// The delivery's print hook, reachable.
class TPrintedDelivery : public TfrmSalOunt
{
public:
    void BuildReport() { SetReprotBuildParam(); }
};

} // namespace

class TestDocSales : public docsupport::TDocumentTest<TfrmComDj>
{
    Q_OBJECT

public:
    TestDocSales()
        : TDocumentTest(QStringList{QStringLiteral("XSDDZB"), QStringLiteral("XSDD"),
                                    QStringLiteral("XSKDZB"), QStringLiteral("XSKD"),
                                    QStringLiteral("XSTHZB"), QStringLiteral("XSTH")})
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

    double stored(const QString &sql) { return QueryValue(sql).toDouble(); }

    // Returns lift no goods above a stock ceiling (the demo goods have some).
    void noStockCeilings()
    {
        QVERIFY(world.keepTables({QStringLiteral("HP")}));
        QVERIFY(ExecSQL(QStringLiteral("update HP set SX = 0 where SX <> 0")));
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
        QTest::newRow("order") << "TfrmXsdd"
                               << "销售订单"
                               << "XSDDZB"
                               << "mnuXsdd"
                               << "XD";
        QTest::newRow("delivery") << "TfrmSalOunt"
                                  << "销售出库单"
                                  << "XSKDZB"
                                  << "mnuXskd"
                                  << "XS";
        QTest::newRow("return") << "TfrmSalIn"
                                << "销售退货单"
                                << "XSTHZB"
                                << "mnuXsth"
                                << "XT";
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

    void aCustomerCodeFillsTheCustomer_data()
    {
        QTest::addColumn<QString>("className");
        QTest::newRow("order") << "TfrmXsdd";
        QTest::newRow("delivery") << "TfrmSalOunt";
        QTest::newRow("return") << "TfrmSalIn";
    }

    void aCustomerCodeFillsTheCustomer()
    {
        QFETCH(QString, className);
        open(qPrintable(className));
        header()
            .FieldByName(QStringLiteral("aKHBH"))
            ->SetAsString(QueryValue(QStringLiteral("select BH from KH where ID = 2")).toString());
        QCOMPARE(header().FieldByName(QStringLiteral("KHID"))->AsInteger(), 2);
        QCOMPARE(header().FieldByName(QStringLiteral("aKHMC"))->AsString(),
                 QueryValue(QStringLiteral("select MC from KH where ID = 2")).toString());
        // A salesman's employee code becomes the name.
        header()
            .FieldByName(QStringLiteral("YWY"))
            ->SetAsString(QueryValue(QStringLiteral("select BH from YG where ID = 1")).toString());
        QCOMPARE(header().FieldByName(QStringLiteral("YWY"))->AsString(),
                 QueryValue(QStringLiteral("select XM from YG where ID = 1")).toString());
    }

    void anUnknownCustomerCodeOpensThePicker()
    {
        open("TfrmSalIn");
        auto picked = vztest::whenModal<TfrmKhHelp>([](TfrmKhHelp &picker) {
            QVERIFY(picker.HelpDataSet->Locate(QStringLiteral("ID"), 2));
            picker.btnOk->click();
        });
        header().FieldByName(QStringLiteral("aKHBH"))->SetAsString(QStringLiteral("no-such-'code"));
        QVERIFY(picked);
        QCOMPARE(header().FieldByName(QStringLiteral("KHID"))->AsInteger(), 2);
        QCOMPARE(header().FieldByName(QStringLiteral("aKHMC"))->AsString(),
                 QueryValue(QStringLiteral("select MC from KH where ID = 2")).toString());
    }

    // --- Postings ------------------------------------------------------------------------------

    void deliveriesAndReturnsPostTheirLines_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("linesTable");
        QTest::addColumn<int>("flag");
        QTest::newRow("XS delivery") << "TfrmSalOunt"
                                     << "XSKD" << -1;
        QTest::newRow("XT return") << "TfrmSalIn"
                                   << "XSTH" << 1;
    }

    void deliveriesAndReturnsPostTheirLines()
    {
        QFETCH(QString, className);
        QFETCH(QString, linesTable);
        QFETCH(int, flag);
        QVERIFY(keepDocuments());
        noStockCeilings();
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
        // The cost goes with the goods.
        QCOMPARE(stored(QStringLiteral("select sum(CBDJ) from Inv_ItemList where DJBH = %1")
                            .arg(QuotedStr(number))),
                 stored(QStringLiteral("select sum(CBDJ) from %1 where ZBID = %2")
                            .arg(linesTable)
                            .arg(id)));
        unAudit(form);
        QCOMPARE(header().FieldByName(QStringLiteral("uFlag"))->AsInteger(), 0);
        QVERIFY(ledgerRows(number).isEmpty());
    }

    // What a partner owes follows its credit documents: raised at the final audit, lowered
    // again by un-auditing, which a settlement that already paid some of it refuses.
    void creditDocumentsBookWhatThePartnerOwes_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("typeField");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("partnerTable");
        QTest::addColumn<QString>("paidField");
        QTest::addColumn<QString>("refusal");
        const QString sales =
            QStringLiteral("本单据已被收款单结算，不能反审。请先反审结算它的收款单。");
        const QString purchase =
            QStringLiteral("本单据已被付款单结算，不能反审。请先反审结算它的付款单。");
        QTest::newRow("credit delivery") << "TfrmSalOunt"
                                         << "XSLX" << 2 << "KH"
                                         << "YSJE" << sales;
        QTest::newRow("cash delivery") << "TfrmSalOunt"
                                       << "XSLX" << 1 << "KH"
                                       << "YSJE" << sales;
        QTest::newRow("credit receipt") << "TfrmPurIn"
                                        << "CGLX" << 2 << "GYS"
                                        << "YFJE" << purchase;
        QTest::newRow("cash receipt") << "TfrmPurIn"
                                      << "CGLX" << 1 << "GYS"
                                      << "YFJE" << purchase;
    }

    void creditDocumentsBookWhatThePartnerOwes()
    {
        QFETCH(QString, className);
        QFETCH(QString, typeField);
        QFETCH(int, type);
        QFETCH(QString, partnerTable);
        QFETCH(QString, paidField);
        QFETCH(QString, refusal);
        QVERIFY(keepDocuments({QStringLiteral("KH"), QStringLiteral("GYS"),
                               QStringLiteral("CGSHZB"), QStringLiteral("CGSH")}));
        noStockCeilings();
        const QString owed = QStringLiteral("select QMJE from %1 where ID = 1").arg(partnerTable);
        const double before = stored(owed);
        open(qPrintable(className));
        fillHeader(form);
        setHeader(form, qPrintable(typeField), type);
        enterLines(form, {{1, 2, 10.25}, {2, 3, 12.5}});
        save();
        const double amount = header().FieldByName(QStringLiteral("JE"))->AsFloat();
        QVERIFY(amount > 0);
        const double booked = type == 2 ? amount : 0;
        audit(form);
        QCOMPARE(stored(owed), before + booked);

        // A settlement paid a cent of it: the document stays audited, nothing moves back.
        const QString table = form->strZbMainTable;
        const qint64 id = header().FieldByName(QStringLiteral("ID"))->AsLargeInt();
        QVERIFY(ExecSQL(
            QStringLiteral("update %1 set %2 = 0.01 where ID = %3").arg(table, paidField).arg(id)));
        if (type == 2) {
            TMessageBoxScript answers{mrYes, mrOk};
            form->aUnAudit->trigger();
            QCOMPARE(answers.Requests().size(), 2);
            QCOMPARE(answers.Requests().at(1).Text, refusal);
            QCOMPARE(
                stored(QStringLiteral("select uFlag from %1 where ID = %2").arg(table).arg(id)),
                1.0);
            QCOMPARE(stored(owed), before + booked);
        }
        QVERIFY(ExecSQL(
            QStringLiteral("update %1 set %2 = 0 where ID = %3").arg(table, paidField).arg(id)));
        unAudit(form);
        QCOMPARE(stored(QStringLiteral("select uFlag from %1 where ID = %2").arg(table).arg(id)),
                 0.0);
        QCOMPARE(stored(owed), before);
    }

    // --- Order ---------------------------------------------------------------------------------

    void aNewOrderIsDueOnItsDateAndRunning()
    {
        open("TfrmXsdd");
        QCOMPARE(header().FieldByName(QStringLiteral("JHRQ"))->AsDate(),
                 header().FieldByName(QStringLiteral("RQ"))->AsDate());
        QVERIFY(!header().FieldByName(QStringLiteral("JHRQ"))->IsNull());
        QVERIFY(!header().FieldByName(QStringLiteral("ZT"))->AsBoolean());
        QVERIFY(header().FieldByName(QStringLiteral("YWY"))->AsString().isEmpty());
    }

    void anOrderIsSavedAndAuditedWithoutPosting()
    {
        QVERIFY(keepDocuments());
        open("TfrmXsdd");
        fillHeader(form);
        enterLines(form, {{1, 4, 10}});
        save();
        const QString number = billNo(form);
        QCOMPARE(
            stored(
                QStringLiteral("select sum(SL) from XSDD where DJBH = %1").arg(QuotedStr(number))),
            4.0);
        audit(form);
        QCOMPARE(header().FieldByName(QStringLiteral("uFlag"))->AsInteger(), 1);
        QVERIFY(ledgerRows(number).isEmpty());
    }

    void theOrderShowsWhatWasDelivered()
    {
        QVERIFY(keepDocuments());
        QVERIFY(ExecSQLScript(
            {QStringLiteral("insert into XSDDZB (ID, DJBH, RQ, KHID, YWY) values (9201, "
                            "'XD9201', #2026-01-05#, 1, '张三')"),
             QStringLiteral("insert into XSDD (ZBID, HH, DJBH, HPID, SL, DJ) values (9201, 1, "
                            "'XD9201', 1, 5, 10)"),
             QStringLiteral("insert into XSDD (ZBID, HH, DJBH, HPID, SL, DJ) values (9201, 2, "
                            "'XD9201', 2, 4, 10)"),
             QStringLiteral("insert into XSKD (ZBID, HH, HPID, SL, DJ, SRCNO, SRCSEQ) values "
                            "(9202, 1, 1, 2, 10, 'XD9201', 1)"),
             QStringLiteral("insert into XSKD (ZBID, HH, HPID, SL, DJ, SRCNO, SRCSEQ) values "
                            "(9203, 1, 1, 1, 10, 'XD9201', 1)")}));
        TClientDataSet &orders = Data().Xsddzb();
        orders.Close();
        orders.SetCommandText(TfrmXsdd::HeaderQuery(QStringLiteral(" where Z.ID = 9201")));
        orders.Open();
        auto *order = CreateForm<TfrmXsdd>();
        form = order;
        order->show();
        flush();
        QStringList quantities;
        for (lines().First(); !lines().Eof(); lines().Next())
            quantities << lines().FieldByName(QStringLiteral("aYTSL"))->AsString() +
                              QLatin1Char('/') +
                              lines().FieldByName(QStringLiteral("aMTSL"))->AsString();
        QCOMPARE(quantities, (QStringList{QStringLiteral("3/2"), QStringLiteral("/")}));
    }

    // --- Delivery ------------------------------------------------------------------------------

    void theInvoiceTypeGivesNewDeliveryLinesItsRate_data()
    {
        QTest::addColumn<QString>("invoiceType");
        QTest::addColumn<double>("rate");
        QTest::newRow("receipt") << "收据" << 0.0;
        QTest::newRow("ordinary invoice") << "普通发票" << 3.0;
        QTest::newRow("VAT invoice") << "增值税发票" << 17.0;
    }

    void theInvoiceTypeGivesNewDeliveryLinesItsRate()
    {
        QFETCH(QString, invoiceType);
        QFETCH(double, rate);
        open("TfrmSalOunt");
        auto *delivery = qobject_cast<TfrmSalOunt *>(form.data());
        const qint64 type =
            QueryValue(
                QStringLiteral("select ID from FPLX where MC = %1").arg(QuotedStr(invoiceType)))
                .toLongLong();
        QVERIFY(delivery->DBComboBox2->SetKeyValue(type));
        lines().Append();
        QCOMPARE(lines().FieldByName(QStringLiteral("NSL"))->AsFloat(), rate);
        lines().Cancel();
    }

    void aDeliveryPaidNowNeedsMethodAndAccount_data()
    {
        QTest::addColumn<QString>("received");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("account");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<int>("storedMethod");
        QTest::addColumn<int>("storedAccount");
        QTest::newRow("no account") << "100" << 1 << 0 << "收款账户不能为空！" << 0 << 0;
        QTest::newRow("no method") << "2,500.00" << 0 << 1 << "结算方式不能为空！" << 0 << 0;
        QTest::newRow("both") << "100" << 1 << 1 << "" << 1 << 1;
        QTest::newRow("nothing received clears both") << "0" << 1 << 1 << "" << 0 << 0;
        QTest::newRow("empty clears both") << "" << 1 << 1 << "" << 0 << 0;
    }

    void aDeliveryPaidNowNeedsMethodAndAccount()
    {
        QFETCH(QString, received);
        QFETCH(int, method);
        QFETCH(int, account);
        QFETCH(QString, refusal);
        QFETCH(int, storedMethod);
        QFETCH(int, storedAccount);
        QVERIFY(keepDocuments());
        open("TfrmSalOunt");
        fillHeader(form);
        setHeader(form, "SFKFSID", method);
        setHeader(form, "ZHID", account);
        header().FieldByName(QStringLiteral("XSJE"))->SetAsString(received);
        enterLines(form, {{1, 1, 10}});
        const int before = QueryValue(QStringLiteral("select count(*) from XSKDZB")).toInt();
        TMessageBoxScript answers;
        form->aSave->trigger();
        if (!refusal.isEmpty()) {
            QCOMPARE(answers.Last().Text, refusal);
            QVERIFY(form->IsModified());
            QCOMPARE(QueryValue(QStringLiteral("select count(*) from XSKDZB")).toInt(), before);
            return;
        }
        QCOMPARE(answers.Count(), 0);
        QVERIFY(!form->IsModified());
        const QString where =
            QStringLiteral(" from XSKDZB where DJBH = ") + QuotedStr(billNo(form));
        QCOMPARE(QueryValue(QStringLiteral("select SFKFSID") + where).toInt(), storedMethod);
        QCOMPARE(QueryValue(QStringLiteral("select ZHID") + where).toInt(), storedAccount);
    }

    // Every sales type shows its customer's particulars from its option menu.
    void theCustomersParticularsFromEverySalesType_data()
    {
        QTest::addColumn<QString>("className");
        QTest::newRow("order") << "TfrmXsdd";
        QTest::newRow("delivery") << "TfrmSalOunt";
        QTest::newRow("return") << "TfrmSalIn";
    }

    void theCustomersParticularsFromEverySalesType()
    {
        QFETCH(QString, className);
        open(qPrintable(className));
        fillHeader(form);
        QAction *particulars = form->findChild<QAction *>(QStringLiteral("aKhXx"));
        QVERIFY(particulars);
        QString fullName;
        auto shown = vztest::whenModal<TfrmKhXx>([&](TfrmKhXx &info) {
            fullName = info.ValueText(QStringLiteral("客户全称："));
            info.btnClose->click();
        });
        particulars->trigger();
        QVERIFY(shown);
        QCOMPARE(fullName, QueryValue(QStringLiteral("select QC from KH where ID = 1")).toString());
    }

    void theDeliveryPrintsTheCompanysContact()
    {
        FuncRight().Tel = QStringLiteral("010-12345678");
        FuncRight().Address = QStringLiteral("北京路1号");
        auto *delivery = CreateForm<TPrintedDelivery>();
        form = delivery;
        delivery->FOpenMode = QStringLiteral("A");
        delivery->show();
        flush();
        delivery->BuildReport();
        QCOMPARE(delivery->ReportTexts().value(QStringLiteral("pplink")),
                 QStringLiteral("电话：010-12345678"));
        QCOMPARE(delivery->ReportTexts().value(QStringLiteral("ppaddress")),
                 QStringLiteral("地址：北京路1号"));
    }

    // --- Return --------------------------------------------------------------------------------

    void aNewReturnTakesItsDefaults()
    {
        TClientDataSet &methods = Data().Sfkfs();
        if (!methods.Active())
            methods.Open();
        methods.First();
        const qint64 method = methods.FieldByName(QStringLiteral("ID"))->AsLargeInt();
        FuncRight().DefaultWarehouseID = 2;
        open("TfrmSalIn");
        FuncRight().DefaultWarehouseID = 0;
        QCOMPARE(header().FieldByName(QStringLiteral("CKID"))->AsInteger(), 2);
        QCOMPARE(header().FieldByName(QStringLiteral("aTHLX"))->AsString(),
                 TfrmSalIn::ReturnTypes().first());
        QCOMPARE(header().FieldByName(QStringLiteral("SFKFSID"))->AsLargeInt(), method);
        QVERIFY(header().FieldByName(QStringLiteral("YWY"))->AsString().isEmpty());
        QCOMPARE(header().FieldByName(QStringLiteral("CZY"))->AsString(), FuncRight().UserName);
        QVERIFY(!header().FieldByName(QStringLiteral("RQ"))->IsNull());
    }

    void aReturnedLineIsPricedAtTheCustomersLevel_data()
    {
        QTest::addColumn<QString>("level");
        QTest::newRow("standard") << "";
        QTest::newRow("second") << "销售价二";
        QTest::newRow("fourth") << "销售价四";
    }

    void aReturnedLineIsPricedAtTheCustomersLevel()
    {
        QFETCH(QString, level);
        QVERIFY(world.keepTables({QStringLiteral("KH")}));
        QVERIFY(ExecSQL(
            QStringLiteral("update KH set PriceLevel = %1 where ID = 2").arg(QuotedStr(level))));
        open("TfrmSalIn");
        header()
            .FieldByName(QStringLiteral("aKHBH"))
            ->SetAsString(QueryValue(QStringLiteral("select BH from KH where ID = 2")).toString());
        lines().First();
        lines().Edit();
        lines().FieldByName(QStringLiteral("aBH"))->SetAsString(goodsCode(3));
        QCOMPARE(lines().FieldByName(QStringLiteral("DJ"))->AsFloat(),
                 lines::GetCustomerPrice(3, 2));
        QCOMPARE(lines().FieldByName(QStringLiteral("CBDJ"))->AsFloat(),
                 stored(QStringLiteral("select JQJ from HP where ID = 3")));
        lines().Cancel();
    }

    void theStockCeilingWarnsAndKeepsTheLine_data()
    {
        QTest::addColumn<double>("aboveStock"); // the ceiling's distance to the stock
        QTest::addColumn<double>("quantity");
        QTest::addColumn<bool>("warned");
        QTest::newRow("no ceiling") << -1.0 << 5.0 << false;
        QTest::newRow("up to the ceiling") << 5.0 << 5.0 << false;
        QTest::newRow("above the ceiling") << 4.0 << 5.0 << true;
    }

    void theStockCeilingWarnsAndKeepsTheLine()
    {
        QFETCH(double, aboveStock);
        QFETCH(double, quantity);
        QFETCH(bool, warned);
        QVERIFY(world.keepTables({QStringLiteral("HP")}));
        const double stock = stored(QStringLiteral("select sum(JCS) from HPKC where HPID = 1"));
        const double ceiling = aboveStock < 0 ? 0 : stock + aboveStock;
        QVERIFY(ExecSQL(QStringLiteral("update HP set SX = %1 where ID = 1").arg(ceiling)));
        open("TfrmSalIn");
        fillHeader(form);
        TMessageBoxScript answers;
        enterLines(form, {{1, quantity, 10}});
        if (warned) {
            QCOMPARE(answers.Count(), 1);
            QCOMPARE(answers.Last().Caption, QStringLiteral("提醒你"));
            QCOMPARE(answers.Last().Text,
                     QStringLiteral("退入后，货品'") +
                         QueryValue(QStringLiteral("select PM from HP where ID = 1")).toString() +
                         QStringLiteral("'的总库存量已经超过设定的库存上限。"));
        } else {
            QCOMPARE(answers.Count(), 0);
        }
        lines().First();
        QCOMPARE(lines().FieldByName(QStringLiteral("SL"))->AsFloat(), quantity);
        QCOMPARE(lines().FieldByName(QStringLiteral("HPID"))->AsInteger(), 1);
    }

    void theReturnsTotalFollowsItsLinesWithTax()
    {
        noStockCeilings();
        open("TfrmSalIn");
        fillHeader(form);
        TClientDataSet &mx = lines();
        mx.First();
        mx.Edit();
        mx.FieldByName(QStringLiteral("aBH"))->SetAsString(goodsCode(1));
        mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(2);
        mx.FieldByName(QStringLiteral("DJ"))->SetAsFloat(10);
        mx.FieldByName(QStringLiteral("NSL"))->SetAsFloat(17);
        mx.Post();
        const auto total = [this] {
            return header().FieldByName(QStringLiteral("JE"))->AsFloat();
        };
        QCOMPARE(total(), 23.4);
        mx.Next();
        mx.Edit();
        mx.FieldByName(QStringLiteral("aBH"))->SetAsString(goodsCode(2));
        mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(3);
        mx.FieldByName(QStringLiteral("DJ"))->SetAsFloat(1.5);
        mx.FieldByName(QStringLiteral("NSL"))->SetAsFloat(0);
        mx.Post();
        QCOMPARE(total(), 27.9);
        // A changed quantity replaces the line's amount.
        mx.Edit();
        mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(1);
        mx.Post();
        QCOMPARE(total(), 24.9);
        // A deleted line takes its amount off.
        mx.First();
        mx.Delete();
        QCOMPARE(total(), 1.5);
    }
};

QTEST_MAIN(TestDocSales)
#include "tst_docsales.moc"
