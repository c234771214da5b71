// The purchase reports on a real server: receipts and a return posted through the document
// forms, then the summaries, their drill-down to the details, the condition panel's quoting
// and key lists, the period choice, export and a query the server refuses.
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdczl.h"
#include "client/documents/purin.h"
#include "client/forms/filedialogs.h"
#include "client/forms/globalobj.h"
#include "client/reports/registerreports.h"
#include "client/reports/rptpurchase.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "reportsupport.h"
#include "support/testworld.h"
#include "support/whenmodal.h"
#include "tradesupport.h"

#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace tradesupport;
using docsupport::flush;

using reportsupport::rows;

namespace {

double lineAmount(const QString &table, const QString &billNo, int goods)
{
    return QueryValue(QStringLiteral("select sum(D.SL*D.DJ*D.NZK*(1+D.NSL/100)) from %1 D, %1ZB M "
                                     "where D.ZBID = M.ID and M.DJBH = %2 and D.HPID = %3")
                          .arg(table, QuotedStr(billNo))
                          .arg(goods))
        .toDouble();
}

} // namespace

class TestRptFrame : public reportsupport::TReportTest
{
    Q_OBJECT

public:
    TestRptFrame()
        : TReportTest(QStringList{QStringLiteral("CGSHZB"), QStringLiteral("CGSH"),
                                  QStringLiteral("CGTHZB"), QStringLiteral("CGTH")})
    {}

private:
    QString m_receipt1, m_receipt2, m_return;

    QString post(const char *className, std::initializer_list<TLine> lines)
    {
        form = openNew(QLatin1String(className));
        if (!form)
            return {};
        fillHeader(form);
        enterLines(form, lines);
        form->aSave->trigger();
        const QString number = billNo(form);
        audit(form);
        docsupport::closeDocument(form);
        flush();
        return number;
    }

    template<class Report>
    Report *report(const QString &className)
    {
        return reportsupport::openReport<Report>(className, QDate::currentDate(),
                                                 QDate::currentDate());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(startReports(), qPrintable(world.error()));
        QVERIFY(keepDocuments({QStringLiteral("HP")}));
        QVERIFY(ExecSQL(QStringLiteral("update HP set PM = 'O''Neil 扳手' where ID = 2")));
        beginCase();
        m_receipt1 = post("TfrmPurIn", {{1, 10, 5}, {2, 4, 2.5}});
        m_receipt2 = post("TfrmPurIn", {{1, 6, 5}});
        m_return = post("TfrmPurOut", {{1, 3, 5}});
        QVERIFY(!m_receipt1.isEmpty() && !m_receipt2.isEmpty() && !m_return.isEmpty());
        QCOMPARE(QueryValue(QStringLiteral("select uFlag from CGTHZB where DJBH = ") +
                            QuotedStr(m_return))
                     .toInt(),
                 FuncRight().AuditNum);
    }

    void cleanupTestCase() { stopReports(); }

    void init() { beginReportCase(); }

    void cleanup()
    {
        const QStringList texts = endReportCase();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // The return does not reduce the receipts: 10 + 6 of the first goods.
    void goodsSummaryCountsReceiptsOnly()
    {
        auto *r = report<TFrmRptCGHZ>(QStringLiteral("TFrmRptCGHZ"));
        QVERIFY(r);
        r->btnFind->click();
        QVERIFY(r->cdsQry->Active());
        const QString bh1 = goodsCode(1);
        const QString bh2 = goodsCode(2);
        QStringList got = rows(*r->cdsQry, {QStringLiteral("BH"), QStringLiteral("SL")});
        got.sort();
        QStringList expected{bh1 + QStringLiteral("|16"), bh2 + QStringLiteral("|4")};
        expected.sort();
        QCOMPARE(got, expected);
        QVERIFY(r->cdsQry->Locate(QStringLiteral("BH"), bh1));
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("JEA"))->AsFloat(),
                 lineAmount(QStringLiteral("CGSH"), m_receipt1, 1) +
                     lineAmount(QStringLiteral("CGSH"), m_receipt2, 1));
    }

    void supplierSummaryDrillsDownWithDatesAndSupplier()
    {
        auto *r = report<TFrmRptCGVentderHZ>(QStringLiteral("TFrmRptCGVentderHZ"));
        QVERIFY(r);
        r->dtpRqb->setDate(QDate::currentDate().addDays(1));
        r->btnFind->click();
        QCOMPARE(r->cdsQry->RecordCount(), 1);
        const QString supplier = r->cdsQry->FieldByName(QStringLiteral("GYSMC"))->AsString();
        const QString supplierId = r->cdsQry->FieldByName(QStringLiteral("GYSID"))->AsString();
        const double amount = r->cdsQry->FieldByName(QStringLiteral("JEA"))->AsFloat();
        r->DBGrid1->OnDblClick(*r->DBGrid1);
        auto *detail = qobject_cast<TFrmRptCGMX *>(
            GlobalObj().MDIWindows.FindForm(QStringLiteral("FrmRptCGMX")));
        QVERIFY(detail);
        QCOMPARE(detail->windowTitle(), QStringLiteral("供应商供货明细表"));
        QCOMPARE(detail->dtpRqb->date(), QDate::currentDate().addDays(1));
        auto *gys = detail->Panel1->findChild<TButtonEdit *>(QStringLiteral("RzButtonEdit_GYS"));
        QCOMPARE(gys->text(), supplier);
        QCOMPARE(gys->Key(), supplierId);
        QVERIFY(detail->cdsQry->Active());          // ran at once
        QCOMPARE(detail->cdsQry->RecordCount(), 3); // receipt lines; the return is no receipt
        double details = 0;
        for (detail->cdsQry->First(); !detail->cdsQry->Eof(); detail->cdsQry->Next())
            details += detail->cdsQry->FieldByName(QStringLiteral("JEA"))->AsFloat();
        QCOMPARE(details, amount);
        // The variant leads with the supplier, and the footer caption follows the first column.
        const TDBGridColumns &columns = detail->DBGrid1->Columns();
        QCOMPARE(columns[0]->FieldName(), QStringLiteral("GYSMC"));
        for (int i = 0; i < columns.Count(); ++i)
            QCOMPARE(columns[i]->Footer().ValueType() == fvtStaticText, i == 0);
        QCOMPARE(columns[0]->Footer().Value(), QStringLiteral("合计"));
    }

    void goodsSummaryDrillsDownToTheGoods()
    {
        auto *r = report<TFrmRptCGHZ>(QStringLiteral("TFrmRptCGHZ"));
        r->btnFind->click();
        QVERIFY(r->cdsQry->Locate(QStringLiteral("BH"), goodsCode(2)));
        r->DBGrid1->OnDblClick(*r->DBGrid1);
        auto *detail = qobject_cast<TFrmRptCGMX *>(
            GlobalObj().MDIWindows.FindForm(QStringLiteral("FrmRptCGMX")));
        QVERIFY(detail);
        QCOMPARE(detail->windowTitle(), QStringLiteral("货品采购明细表"));
        QCOMPARE(rows(*detail->cdsQry, {QStringLiteral("PM"), QStringLiteral("SL")}),
                 QStringList{QStringLiteral("O'Neil 扳手|4")});
    }

    void goodsNameWithAQuoteIsAValue()
    {
        auto *r = report<TFrmRptCGMX>(QStringLiteral("TFrmRptCGMX"));
        auto *item = r->Panel1->findChild<QComboBox *>(QStringLiteral("CombItem"));
        item->setEditText(QStringLiteral("O'Neil"));
        r->btnFind->click();
        QCOMPARE(rows(*r->cdsQry, {QStringLiteral("DH"), QStringLiteral("SL")}),
                 QStringList{m_receipt1 + QStringLiteral("|4")});
    }

    void supplierKeysGiveInOrEquals_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<int>("count");
        QTest::newRow("list") << "(1,2)"
                              << " and K.Id in (1,2)" << 3;
        QTest::newRow("one") << "1"
                             << " and K.Id = 1" << 3;
        QTest::newRow("other") << "2"
                               << " and K.Id = 2" << 0;
        QTest::newRow("no key") << "1 or 1=1"
                                << "" << 3;
    }

    void supplierKeysGiveInOrEquals()
    {
        QFETCH(QString, key);
        QFETCH(QString, condition);
        QFETCH(int, count);
        auto *r = report<TFrmRptCGMX>(QStringLiteral("TFrmRptCGMX"));
        auto *gys = r->Panel1->findChild<TButtonEdit *>(QStringLiteral("RzButtonEdit_GYS"));
        gys->setText(QStringLiteral("供应商"));
        gys->SetKey(key);
        QCOMPARE(r->GetConditionSQL(), condition);
        r->btnFind->click();
        QCOMPARE(r->cdsQry->RecordCount(), count);
    }

    // The goods information edit carries the condition its dialog built; what a user types
    // over it is no SQL.
    void goodsInformationIsTheDialogsConditionOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("condition");
        const QString built = QStringLiteral("H.PM like 'O''Neil%'");
        QTest::newRow("built") << built << built << QStringLiteral(" and ") + built;
        QTest::newRow("typed") << QStringLiteral("1=1) or (1=1") << QString() << QString();
        QTest::newRow("typed over") << QStringLiteral("H.ID > 0") << built << QString();
    }

    void goodsInformationIsTheDialogsConditionOnly()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, condition);
        auto *r = report<TFrmRptCGMX>(QStringLiteral("TFrmRptCGMX"));
        auto *info = r->Panel1->findChild<TButtonEdit *>(QStringLiteral("RzButtonEdit_ItemInfor"));
        QVERIFY(info);
        info->SetKey(key);
        info->setText(text);
        QCOMPARE(r->GetConditionSQL(), condition);
        r->btnFind->click();
        QCOMPARE(r->cdsQry->RecordCount(), condition.isEmpty() ? 3 : 1);
    }

    void exportNeedsRowsAndKeepsOneExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("written");
        QTest::newRow("xls already") << "a.XLS" << 1 << "a.XLS";
        QTest::newRow("csv added") << "b" << 2 << "b.csv";
        QTest::newRow("other ending") << "c.xls" << 5 << "c.xls.txt";
    }

    void exportNeedsRowsAndKeepsOneExtension()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        QFETCH(QString, written);
        auto *r = report<TFrmRptCGHZ>(QStringLiteral("TFrmRptCGHZ"));
        {
            TMessageBoxScript boxes;
            r->Menu_ExportExcelClick();
            QCOMPARE(boxes.Last().Text, QStringLiteral("没有数据,不能导出！"));
        }
        r->btnFind->click();
        QTemporaryDir dir;
        TFileDialogScript files;
        files.Answer(dir.filePath(name), format);
        r->Menu_ExportExcelClick();
        QCOMPARE(files.Requests().size(), 1);
        QCOMPARE(files.Requests().first().FileName, QStringLiteral("货品采购汇总表"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
        QVERIFY(QFileInfo(dir.filePath(written)).size() > 0);
    }

    void periodComboSetsBothDates()
    {
        auto *r = report<TFrmRptCGMX>(QStringLiteral("TFrmRptCGMX"));
        for (const QString &choice : {QStringLiteral("上月"), QStringLiteral("本年")}) {
            r->CombSelectedDate->setCurrentText(choice);
            r->CombSelectedDateChange();
            const auto range = QuickDateRange(choice, QDate::currentDate());
            QVERIFY(range);
            QCOMPARE(r->dtpRqa->date(), range->From);
            QCOMPARE(r->dtpRqb->date(), range->To);
        }
    }

    void printoutCarriesCaptionDatesUserAndToday()
    {
        auto *r = report<TFrmRptCGMX>(QStringLiteral("TFrmRptCGMX"));
        QVERIFY(r->DBGrid1->ReadOnly());
        QVERIFY(r->DBGrid1->Options().testFlag(dgRowSelect));
        r->dtpRqa->setDate(QDate(2026, 3, 1));
        r->dtpRqb->setDate(QDate(2026, 3, 31));
        const TGridPrintOptions options = r->PrintOptions();
        QCOMPARE(options.Title, r->windowTitle());
        QCOMPARE(options.SubTitle, QStringLiteral("日期: 2026-03-01 至 2026-03-31"));
        QCOMPARE(options.TitleFont.pointSize(), 14);
        QVERIFY(options.TitleFont.bold());
        QVERIFY(options.PageFooter.contains(FuncRight().UserName));
        QVERIFY(options.PageFooter.contains(
            QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
        QVERIFY(options.PageFooter.startsWith(QStringLiteral("制单：")));
        r->PrintTitle = QStringLiteral("%[title]（%[user_name]）");
        QCOMPARE(r->PrintOptions().Title, r->windowTitle() + QStringLiteral("（") +
                                              FuncRight().UserName + QStringLiteral("）"));
    }

    void conditionListsFillOnceWithAllFirst()
    {
        auto *r = report<TFrmRptCGHZ>(QStringLiteral("TFrmRptCGHZ"));
        auto *vendor = r->Panel1->findChild<TConditionCombo *>(QStringLiteral("CombVendor"));
        QVERIFY(vendor);
        QCOMPARE(vendor->count(), 0);
        r->ProcAllDropDown(*vendor);
        const int suppliers = QueryValue(QStringLiteral("select count(*) from GYS")).toInt();
        QCOMPARE(vendor->count(), suppliers + 1);
        QCOMPARE(vendor->itemText(0), QStringLiteral("所有"));
        QCOMPARE(vendor->currentText(), QStringLiteral("所有")); // what was typed stays
        r->ProcAllDropDown(*vendor);
        QCOMPARE(vendor->count(), suppliers + 1);

        // The buyer of the buyer summary picks from the employees' names.
        auto *buyers = report<TFrmRptCGYGHZ>(QStringLiteral("TFrmRptCGYGHZ"));
        auto *buyer = buyers->Panel1->findChild<TConditionCombo *>(QStringLiteral("CombYWY"));
        QVERIFY(buyer);
        buyers->ProcAllDropDown(*buyer);
        QVERIFY(buyer->count() > 1);
        QCOMPARE(buyer->itemText(0), QStringLiteral("所有"));
    }

    void closingListsTheReportAsRecent()
    {
        QStringList recent;
        GlobalObj().MDIWindows.OnAddRecentReport = [&](const QString &caption) {
            recent << caption;
        };
        auto *r = report<TFrmRptCGMX>(QStringLiteral("TFrmRptCGMX"));
        r->SetBillType(QStringLiteral("货品采购明细表"));
        r->Close();
        flush();
        GlobalObj().MDIWindows.OnAddRecentReport = nullptr;
        QCOMPARE(recent, QStringList{QStringLiteral("货品采购明细表")});
    }

    // A detail row opens its receipt; a summary without a document type does nothing.
    void detailRowOpensItsDocument()
    {
        auto *r = report<TFrmRptCGMX>(QStringLiteral("TFrmRptCGMX"));
        r->SetBillType(QStringLiteral("货品采购明细表"));
        r->btnFind->click();
        QVERIFY(r->cdsQry->Locate(QStringLiteral("DH"), m_receipt2));
        QString shown;
        auto answered = vztest::whenModal<TfrmPurIn>([&](TfrmPurIn &form) {
            shown = billNo(&form);
            form.Close();
        });
        r->DBGrid1->OnDblClick(*r->DBGrid1);
        QVERIFY(answered);
        QCOMPARE(shown, m_receipt2);

        auto *summary = report<TFrmRptCGYGHZ>(QStringLiteral("TFrmRptCGYGHZ"));
        summary->btnFind->click();
        QCOMPARE(rows(*summary->cdsQry, {QStringLiteral("YWY")}),
                 QStringList{QStringLiteral("张三")});
        summary->DBGrid1->OnDblClick(*summary->DBGrid1);
        auto *detail = qobject_cast<TFrmRptCGMX *>(
            GlobalObj().MDIWindows.FindForm(QStringLiteral("FrmRptCGMX")));
        QCOMPARE(detail->windowTitle(), QStringLiteral("采购明细表"));
        QCOMPARE(detail->Panel1->findChild<QComboBox *>(QStringLiteral("CombYWY"))->currentText(),
                 QStringLiteral("张三"));
        QCOMPARE(detail->cdsQry->RecordCount(), 3);
        detail->Panel1->findChild<QComboBox *>(QStringLiteral("CombYWY"))
            ->setEditText(QStringLiteral("O'Neil"));
        detail->btnFind->click();
        QCOMPARE(detail->cdsQry->RecordCount(), 0);
    }

    void refusedQueryLeavesTheWindowUsable()
    {
        auto *r = report<TFrmRptCGHZ>(QStringLiteral("TFrmRptCGHZ"));
        r->btnFind->click();
        QVERIFY(r->cdsQry->RecordCount() > 0);
        r->SetSQLText(QStringLiteral("select nothing from nowhere"));
        {
            TMessageBoxScript boxes;
            QVERIFY(!Guarded([r] { r->TFrmRptModal::OpenDataSet(); }));
            QCOMPARE(boxes.Count(), 1);
        }
        QVERIFY(!r->cdsQry->Active());
        r->btnFind->click();
        QVERIFY(r->cdsQry->RecordCount() > 0);
    }
};

QTEST_MAIN(TestRptFrame)
#include "tst_rptframe.moc"
