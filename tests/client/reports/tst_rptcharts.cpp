// The charts and statistics windows on a real server, over purchase receipts posted and audited
// through their form: twenty suppliers in four months of one year, and four receipts of one
// goods at tied prices in another. The top N keeps the largest partners, months come in
// calendar order, the chart draws exactly the grid's rows, the lowest price of a tie is the
// latest row, the shares add up to 100 % and the year analysis gives each user their own table.
#include "client/core/session.h"
#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdczl.h"
#include "client/forms/filedialogs.h"
#include "client/forms/globalobj.h"
#include "client/reports/registerreports.h"
#include "client/reports/rptchart.h"
#include "client/reports/rptstatic.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "reportsupport.h"
#include "support/testworld.h"
#include "tradesupport.h"

#include <QChartView>
#include <QDateEdit>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace tradesupport;
using docsupport::flush;

namespace {

constexpr int GoodsA = 9301;
constexpr int GoodsB = 9302;
constexpr int Suppliers = 20;
constexpr int FirstSupplier = 9301;
const int ChartYear = 2030;
const int PriceYear = 2029;

QString supplierName(int k)
{
    return QStringLiteral("测试供应商%1").arg(k, 2, 10, QLatin1Char('0'));
}

// Supplier k's receipt: k of A at 10, and one B at 7 when k is even; in March for 1-5,
// November 6-10, January 11-15 and February 16-20, so that no order of the amounts is the
// order of the months.
int monthOf(int k)
{
    static const int months[] = {3, 11, 1, 2};
    return months[(k - 1) / 5];
}

double amountOf(int k)
{
    return 10.0 * k + (k % 2 == 0 ? 7 : 0);
}

QList<QPair<QString, double>> gridRows(TClientDataSet &data)
{
    QList<QPair<QString, double>> rows;
    for (data.First(); !data.Eof(); data.Next())
        rows.append({data.Fields(0)->AsString(), data.Fields(1)->AsFloat()});
    return rows;
}

bool locate(TClientDataSet &data, const QString &field, const QString &value)
{
    for (data.First(); !data.Eof(); data.Next())
        if (data.FieldByName(field)->AsString() == value)
            return true;
    return false;
}

} // namespace

class TestRptCharts : public reportsupport::TReportTest
{
    Q_OBJECT

public:
    TestRptCharts()
        : TReportTest(QStringList{QStringLiteral("CGSHZB"), QStringLiteral("CGSH")})
    {}

private:
    double m_factor = 1; // NZK*(1+NSL/100) of the posted lines
    QString m_tiedReceipt;

    QString post(int supplier, QDate date, std::initializer_list<TLine> lines)
    {
        form = openNew(QStringLiteral("TfrmPurIn"));
        if (!form)
            return {};
        fillHeader(form);
        setHeader(form, "aGYSBH", QStringLiteral("TG%1").arg(supplier, 2, 10, QLatin1Char('0')));
        setHeader(form, "RQ", date);
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
    Report *open(const QString &className, const QString &caption)
    {
        auto *r = qobject_cast<Report *>(GlobalObj().MDIWindows.ShowForm(className));
        if (r)
            r->SetBillType(caption);
        return r;
    }

    TFrmRptModal_Tu *chart(const QString &caption, int subject, int kind = 0)
    {
        auto *r = open<TFrmRptModal_Tu>(QStringLiteral("TFrmRptModal_Tu"), caption);
        r->dtpRqa->setDate(QDate(ChartYear, 1, 1));
        r->dtpRqb->setDate(QDate(ChartYear, 12, 31));
        r->RadioGroupFX->SetItemIndex(subject);
        r->RadioGroupTu->SetItemIndex(kind);
        r->btnFind->click();
        flush();
        return r;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(startReports(), qPrintable(world.error()));
        QVERIFY(keepDocuments({QStringLiteral("HP"), QStringLiteral("GYS")}));
        QStringList setUp = {
            QStringLiteral("insert into HP (ID, BH, PM, GG, DW, HPLBID, JJ) values "
                           "(%1, 'T%1', '图表货品甲', 'A型', '个', 1, 10)")
                .arg(GoodsA),
            QStringLiteral("insert into HP (ID, BH, PM, GG, DW, HPLBID, JJ) values "
                           "(%1, 'T%1', '图表货品乙', 'B型', '个', 1, 7)")
                .arg(GoodsB)};
        for (int k = 1; k <= Suppliers; ++k)
            setUp << QStringLiteral("insert into GYS (ID, BH, MC) values (%1, 'TG%2', '%3')")
                         .arg(FirstSupplier + k - 1)
                         .arg(k, 2, 10, QLatin1Char('0'))
                         .arg(supplierName(k));
        QVERIFY(ExecSQLScript(setUp));
        beginCase();
        for (int k = 1; k <= Suppliers; ++k) {
            const QDate date(ChartYear, monthOf(k), 10);
            const QString number = k % 2 == 0
                                       ? post(k, date, {{GoodsA, double(k), 10}, {GoodsB, 1, 7}})
                                       : post(k, date, {{GoodsA, double(k), 10}});
            QVERIFY2(!number.isEmpty(), qPrintable(supplierName(k)));
        }
        // Two receipts at the lowest price 5: the later one is the lowest-price row.
        QVERIFY(!post(1, QDate(PriceYear, 5, 1), {{GoodsB, 2, 5}}).isEmpty());
        m_tiedReceipt = post(2, QDate(PriceYear, 5, 2), {{GoodsB, 3, 5}});
        QVERIFY(!post(3, QDate(PriceYear, 5, 3), {{GoodsB, 1, 8}}).isEmpty());
        QVERIFY(!post(1, QDate(PriceYear, 5, 4), {{GoodsB, 1, 6}}).isEmpty());
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from CGSHZB where uFlag = %1 and "
                                           "GYSID >= %2 and GYSID < %3")
                                .arg(FuncRight().AuditNum)
                                .arg(FirstSupplier)
                                .arg(FirstSupplier + Suppliers))
                     .toInt(),
                 Suppliers + 4);
        // Discount and tax come from the receipt form's defaults; the amounts of the year
        // analysis and the structure carry them, the charts (quantity times price) do not.
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from (select distinct NZK, NSL "
                                           "from CGSH where HPID in (%1,%2)) a")
                                .arg(GoodsA)
                                .arg(GoodsB))
                     .toInt(),
                 1);
        m_factor = QueryValue(QStringLiteral("select max(NZK*(1+NSL/100)) from CGSH where "
                                             "HPID = %1")
                                  .arg(GoodsA))
                       .toDouble();
        QVERIFY(m_factor > 0);
    }

    void cleanupTestCase()
    {
        closeReports();
        ExecSQLScript(
            {QStringLiteral("drop table if exists ") + TYearAnalysis::WorkTableName(CurUserCode),
             QStringLiteral("drop table if exists ") +
                 TYearAnalysis::WorkTableName(QStringLiteral("U2"))});
        stopReports();
    }

    void init() { beginReportCase(); }

    void cleanup()
    {
        const QStringList texts = endReportCase();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // Of twenty suppliers the chart keeps the N largest, largest first.
    void topSuppliers_data()
    {
        QTest::addColumn<QString>("top");
        QTest::addColumn<int>("shown");
        QTest::newRow("12 of 20") << QStringLiteral("12") << 12;
        QTest::newRow("3 of 20") << QStringLiteral(" 3 ") << 3;
        QTest::newRow("30: all 20") << QStringLiteral("30") << 20;
    }

    void topSuppliers()
    {
        QFETCH(QString, top);
        QFETCH(int, shown);
        auto *r = open<TFrmRptModal_Tu>(QStringLiteral("TFrmRptModal_Tu"),
                                        QStringLiteral("采购图形分析"));
        r->EditSeq->setText(top);
        r->dtpRqa->setDate(QDate(ChartYear, 1, 1));
        r->dtpRqb->setDate(QDate(ChartYear, 12, 31));
        r->RadioGroupFX->SetItemIndex(5);
        QCOMPARE(r->RadioGroupFX->Text(), QStringLiteral("供应商"));
        r->btnFind->click();
        flush();
        QList<QPair<QString, double>> expected;
        for (int k = Suppliers; k > Suppliers - shown; --k)
            expected.append({supplierName(k), amountOf(k)});
        // 10k + 7 for even k keeps the order by k.
        QCOMPARE(gridRows(*r->cdsQry), expected);
        QCOMPARE(r->ChartPoints(), expected);
    }

    // Months in calendar order as "01月", whatever their amounts.
    void monthsInOrder()
    {
        auto *r = chart(QStringLiteral("采购图形分析"), 0);
        QCOMPARE(r->RadioGroupFX->Text(), QStringLiteral("月份"));
        const QList<QPair<QString, double>> expected = {{QStringLiteral("01月"), 664},
                                                        {QStringLiteral("02月"), 921},
                                                        {QStringLiteral("03月"), 164},
                                                        {QStringLiteral("11月"), 421}};
        QCOMPARE(gridRows(*r->cdsQry), expected);
        QCOMPARE(r->DBGrid1->FooterText(0), QStringLiteral("合计"));
        QCOMPARE(r->DBGrid1->FooterValue(1).toDouble(), 2170.0);
        QCOMPARE(r->DBChart1->chart()->title(), QStringLiteral("月份分析"));
    }

    // Every kind of chart draws one series with the grid's labels and values.
    void chartEqualsGrid_data()
    {
        QTest::addColumn<int>("subject");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("rows");
        for (int kind = 0; kind < 3; ++kind) {
            const QByteArray k = QByteArray::number(kind);
            QTest::newRow(("months, kind " + k).constData()) << 0 << kind << 4;
            QTest::newRow(("goods, kind " + k).constData()) << 3 << kind << 2;
            QTest::newRow(("suppliers, kind " + k).constData()) << 5 << kind << 12;
        }
    }

    void chartEqualsGrid()
    {
        QFETCH(int, subject);
        QFETCH(int, kind);
        QFETCH(int, rows);
        auto *r = chart(QStringLiteral("采购图形分析"), subject, kind);
        QCOMPARE(r->SeriesCount(), 1);
        const auto grid = gridRows(*r->cdsQry);
        QCOMPARE(grid.size(), rows);
        QCOMPARE(r->ChartPoints(), grid);
        // Another kind draws the same rows without asking the server again.
        r->RadioGroupTu->SetItemIndex((kind + 1) % 3);
        r->RadioGroupTu->OnClick();
        QCOMPARE(r->SeriesCount(), 1);
        QCOMPARE(r->ChartPoints(), grid);
    }

    // A top N that is no positive number is refused with a message before any query.
    void topCountMustBeANumber_data()
    {
        QTest::addColumn<QString>("top");
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("empty") << QString();
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("injection") << QStringLiteral("5 a.sX,1 from hp;--");
    }

    void topCountMustBeANumber()
    {
        QFETCH(QString, top);
        auto *r = open<TFrmRptModal_Tu>(QStringLiteral("TFrmRptModal_Tu"),
                                        QStringLiteral("物品领用图表分析"));
        QCOMPARE(r->Variant().Caption, "物品领用图形分析");
        QCOMPARE(r->RadioGroupFX->Items().size(), 5);
        r->EditSeq->setText(top);
        r->btnFind->click();
        flush();
        QCOMPARE(unexpected->Count(), 1);
        QCOMPARE(unexpected->Last().Text, QStringLiteral("排名数据请输入大于0的整数。"));
        unexpected->Clear();
        QVERIFY(!r->cdsQry->Active());
    }

    // The chart window's picture shows the chart; exported as PNG.
    void chartExportsAsPng_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("bars") << 0;
        QTest::newRow("pie") << 1;
        QTest::newRow("line") << 2;
    }

    void chartExportsAsPng()
    {
        QFETCH(int, kind);
        auto *r = chart(QStringLiteral("采购图形分析"), 5, kind);
        r->showMaximized();
        m_area.resize(1000, 700);
        r->RzPageClient->setCurrentIndex(0);
        flush();
        QTemporaryDir dir;
        TFileDialogScript dialogs;
        dialogs.Answer(dir.filePath(QStringLiteral("chart")));
        r->Menu_ExportChart->trigger();
        const QImage image(dir.filePath(QStringLiteral("chart.png")));
        QVERIFY(!image.isNull());
        QVERIFY(image.width() > 100 && image.height() > 100);
        if (qEnvironmentVariableIsSet("VZ_CHART_PICTURE"))
            image.save(qEnvironmentVariable("VZ_CHART_PICTURE") + QString::number(kind) +
                       QStringLiteral(".png"));
    }

    // Employees counted per attribute add up to all employees.
    void employeesCounted_data()
    {
        QTest::addColumn<int>("subject");
        for (int i = 0; i < 6; ++i)
            QTest::newRow(qPrintable(EmployeeChartSubjects()[i])) << i;
    }

    void employeesCounted()
    {
        QFETCH(int, subject);
        auto *r = open<TFrmRptModal_Tu_Rs>(QStringLiteral("TFrmRptModal_Tu_Rs"),
                                           QStringLiteral("员工信息分析图表"));
        r->RadioGroupFX->SetItemIndex(subject);
        r->btnFind->click();
        flush();
        double total = 0;
        for (const auto &row : gridRows(*r->cdsQry))
            total += row.second;
        const double employees =
            subject == 0 ? QueryValue(QStringLiteral("select count(*) from yg a, bm b where "
                                                     "a.bmid = b.id"))
                               .toDouble()
                         : QueryValue(QStringLiteral("select count(*) from yg")).toDouble();
        QVERIFY(employees > 0);
        QCOMPARE(total, employees);
        QCOMPARE(r->ChartPoints(), gridRows(*r->cdsQry));
    }

    // Goods B at 5, 5 (later), 8 and 6: the later 5 is the lowest row, 8 the highest, the
    // average 6 and the latest 6.
    void lowestPriceTie_data()
    {
        QTest::addColumn<int>("subject");
        QTest::addColumn<int>("rows");
        QTest::newRow("per goods") << 0 << 1;
        QTest::newRow("per goods and supplier") << 1 << 3;
    }

    void lowestPriceTie()
    {
        QFETCH(int, subject);
        QFETCH(int, rows);
        auto *r = open<TFrmRptStatic_Price>(QStringLiteral("TFrmRptStatic_Price"),
                                            QStringLiteral("采购价格分析"));
        r->dtpRqa->setDate(QDate(PriceYear, 1, 1));
        r->dtpRqb->setDate(QDate(PriceYear, 12, 31));
        r->Panel1->findChild<QComboBox *>(QStringLiteral("CombItem"))
            ->setEditText(QStringLiteral("图表货品乙"));
        r->RadioGroupFX->SetItemIndex(subject);
        r->btnFind->click();
        flush();
        TClientDataSet &data = *r->cdsQry;
        QCOMPARE(data.RecordCount(), rows);
        QVERIFY(locate(data, QStringLiteral("BH"), QStringLiteral("T%1").arg(GoodsB)));
        if (subject == 1)
            QVERIFY(locate(data, QStringLiteral("KHGYS"), supplierName(2)));
        QCOMPARE(data.FieldByName(QStringLiteral("LoDJ"))->AsFloat(), 5.0);
        QCOMPARE(data.FieldByName(QStringLiteral("LoKHGYS"))->AsString(), supplierName(2));
        QCOMPARE(data.FieldByName(QStringLiteral("LoRQ"))->AsDateTime().date(),
                 QDate(PriceYear, 5, 2));
        if (subject == 0) {
            QCOMPARE(data.FieldByName(QStringLiteral("HiDJ"))->AsFloat(), 8.0);
            QCOMPARE(data.FieldByName(QStringLiteral("HiKHGYS"))->AsString(), supplierName(3));
            QCOMPARE(data.FieldByName(QStringLiteral("AvgDJ"))->AsFloat(), 6.0);
            QCOMPARE(data.FieldByName(QStringLiteral("LastDJ"))->AsFloat(), 6.0);
        }
        // Supplier 1 sold at 5 then 6: its own lowest is 5, its latest 6.
        if (subject == 1) {
            QVERIFY(locate(data, QStringLiteral("KHGYS"), supplierName(1)));
            QCOMPARE(data.FieldByName(QStringLiteral("LoDJ"))->AsFloat(), 5.0);
            QCOMPARE(data.FieldByName(QStringLiteral("HiDJ"))->AsFloat(), 6.0);
            QCOMPARE(data.FieldByName(QStringLiteral("LastDJ"))->AsFloat(), 6.0);
        }
    }

    // Each goods' share of the year's purchases; the shares make 100 %.
    void structureRates()
    {
        auto *r = open<TFrmStatic_Structure>(QStringLiteral("TFrmStatic_Structure"),
                                             QStringLiteral("采购结构分析"));
        r->dtpRqa->setDate(QDate(ChartYear, 1, 1));
        r->dtpRqb->setDate(QDate(ChartYear, 12, 31));
        r->Panel1->findChild<QComboBox *>(QStringLiteral("CombItem"))
            ->setEditText(QStringLiteral("图表货品"));
        r->btnFind->click();
        flush();
        TClientDataSet &data = *r->cdsQry;
        QCOMPARE(data.RecordCount(), 2);
        double sum = 0;
        for (data.First(); !data.Eof(); data.Next())
            sum += data.FieldByName(QStringLiteral("Rate"))->AsFloat();
        QVERIFY(qAbs(sum - 100) < 1e-9);
        QVERIFY(locate(data, QStringLiteral("BH"), QStringLiteral("T%1").arg(GoodsB)));
        QVERIFY(qAbs(data.FieldByName(QStringLiteral("Rate"))->AsFloat() - 7000.0 / 2170) < 1e-9);
        QCOMPARE(data.FieldByName(QStringLiteral("sl_all"))->AsFloat(), 10.0);
        QVERIFY(qAbs(data.FieldByName(QStringLiteral("je"))->AsFloat() - 70 * m_factor) < 1e-6);
        QCOMPARE(r->DBGrid1->Columns().FindByFieldName(QStringLiteral("Rate"))->DisplayFormat(),
                 QStringLiteral("#.##%"));
    }

    // The sales variants on the demo's deliveries of this year: per goods the lowest price is
    // at most the average, which is at most the highest; the shares make 100 %.
    void salesStatisticsOnTheDemo()
    {
        const QDate today = QDate::currentDate();
        auto *price = open<TFrmRptStatic_Price>(QStringLiteral("TFrmRptStatic_Price"),
                                                QStringLiteral("销售价格分析"));
        QCOMPARE(price->RadioGroupFX->Items().value(1), QStringLiteral("货品-客户"));
        price->dtpRqa->setDate(QDate(today.year(), 1, 1));
        price->dtpRqb->setDate(today);
        price->btnFind->click();
        flush();
        TClientDataSet &prices = *price->cdsQry;
        QVERIFY(prices.RecordCount() > 0);
        for (prices.First(); !prices.Eof(); prices.Next()) {
            const double low = prices.FieldByName(QStringLiteral("LoDJ"))->AsFloat();
            const double average = prices.FieldByName(QStringLiteral("AvgDJ"))->AsFloat();
            const double high = prices.FieldByName(QStringLiteral("HiDJ"))->AsFloat();
            QVERIFY(low <= average + 1e-9 && average <= high + 1e-9);
            const QDate lowDate = prices.FieldByName(QStringLiteral("LoRQ"))->AsDateTime().date();
            QVERIFY(lowDate >= QDate(today.year(), 1, 1) && lowDate <= today);
        }
        QVERIFY(!price->DBGrid1->Columns().FindByFieldName(QStringLiteral("KHGYS")));
        QCOMPARE(
            price->DBGrid1->Columns().FindByFieldName(QStringLiteral("LoKHGYS"))->Title().Caption(),
            QStringLiteral("最低售价|客户"));

        auto *structure = open<TFrmStatic_Structure>(QStringLiteral("TFrmStatic_Structure"),
                                                     QStringLiteral("销售结构分析"));
        structure->dtpRqa->setDate(QDate(today.year(), 1, 1));
        structure->dtpRqb->setDate(today);
        structure->btnFind->click();
        flush();
        TClientDataSet &shares = *structure->cdsQry;
        QVERIFY(shares.RecordCount() > 1);
        double sum = 0;
        for (shares.First(); !shares.Eof(); shares.Next())
            sum += shares.FieldByName(QStringLiteral("Rate"))->AsFloat();
        QVERIFY(qAbs(sum - 100) < 1e-9);
    }

    // The year by month: each supplier's amount in its month and in the total.
    void yearByMonth_data()
    {
        QTest::addColumn<int>("subject");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<double>>("months"); // Amount1..12 before the factor
        QTest::addColumn<int>("rows");
        QList<double> a(12, 0.0);
        a[0] = 650, a[1] = 900, a[2] = 150, a[10] = 400;
        QTest::newRow("goods A") << 0 << QStringLiteral("图表货品甲") << a << 2;
        QList<double> s20(12, 0.0);
        s20[1] = 207;
        QTest::newRow("supplier 20") << 1 << supplierName(20) << s20 << 20;
        QList<double> s7(12, 0.0);
        s7[10] = 70;
        QTest::newRow("supplier 7") << 1 << supplierName(7) << s7 << 20;
    }

    void yearByMonth()
    {
        QFETCH(int, subject);
        QFETCH(QString, key);
        QFETCH(QList<double>, months);
        QFETCH(int, rows);
        auto *r = open<TFrm_Static_Month>(QStringLiteral("TFrm_Static_Month"),
                                          QStringLiteral("年采购量分析"));
        r->edtYear->setText(QString::number(ChartYear));
        r->RadioGroupFX->SetItemIndex(subject);
        r->btnFind->click();
        flush();
        TClientDataSet &data = *r->cdsQry;
        QCOMPARE(data.RecordCount(), rows);
        QVERIFY(locate(data, QStringLiteral("keyid"), key));
        double all = 0;
        for (int m = 1; m <= 12; ++m) {
            const double amount = data.FieldByName(QStringLiteral("Amount%1").arg(m))->AsFloat();
            QVERIFY2(qAbs(amount - months[m - 1] * m_factor) < 1e-6,
                     qPrintable(QString::number(m)));
            all += months[m - 1] * m_factor;
        }
        QVERIFY(qAbs(data.FieldByName(QStringLiteral("AllAmount"))->AsFloat() - all) < 1e-6);
        // The footer of the total column is the year's whole purchase.
        const int allColumn = r->DBGrid1->Columns().Count() - 1;
        QVERIFY(qAbs(r->DBGrid1->FooterValue(allColumn).toDouble() - 2170 * m_factor) < 1e-6);
        QCOMPARE(r->DBGrid1->FooterText(0), QStringLiteral("合计"));
    }

    // Every variant on the demo's documents of this year: the months add up to the
    // year's fully audited lines, whatever the subject.
    void everyYearVariantOnTheDemo_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("subject");
        QTest::addColumn<QString>("lines"); // header and lines tables
        QTest::addColumn<QString>("amount");
        const QString trade = QStringLiteral("M.SL*M.DJ*M.NZK*(1+M.NSL/100)");
        const QString issue = QStringLiteral("M.SL*M.DJ");
        for (int s = 0; s < 3; ++s)
            QTest::newRow(qPrintable(QStringLiteral("sales %1").arg(s)))
                << QStringLiteral("年销售量分析") << s << QStringLiteral("XSKDZB Z, XSKD M")
                << trade;
        QTest::newRow("purchases by salesman")
            << QStringLiteral("年采购量分析") << 2 << QStringLiteral("CGSHZB Z, CGSH M") << trade;
        for (const char *caption : {"物品月领用分析", "人员月领用分析", "部门月领用分析"})
            QTest::newRow(caption)
                << QString::fromUtf8(caption) << 0 << QStringLiteral("LLZB Z, LL M") << issue;
    }

    void everyYearVariantOnTheDemo()
    {
        QFETCH(QString, caption);
        QFETCH(int, subject);
        QFETCH(QString, lines);
        QFETCH(QString, amount);
        const int year = QDate::currentDate().year();
        auto *r = open<TFrm_Static_Month>(QStringLiteral("TFrm_Static_Month"), caption);
        r->RadioGroupFX->SetItemIndex(subject);
        r->btnFind->click();
        flush();
        QVERIFY(r->cdsQry->Active());
        const double expected =
            QueryValue(QStringLiteral("select sum(%1) from %2 where Z.ID = M.ZBID and "
                                      "Z.uFlag = %3 and Year(Z.RQ) = %4")
                           .arg(amount, lines)
                           .arg(FuncRight().AuditNum)
                           .arg(year))
                .toDouble();
        QVERIFY(expected > 0); // the demo has this year's documents of every kind
        const int allColumn = r->DBGrid1->Columns().Count() - 1;
        QVERIFY(qAbs(r->DBGrid1->FooterValue(allColumn).toDouble() - expected) < 0.005);
        double months = 0;
        for (int m = 1; m <= 12; ++m)
            months += r->DBGrid1->FooterValue(m).toDouble();
        QVERIFY(qAbs(months - expected) < 0.005);
    }

    // Every subject of every chart variant runs on the server and draws its grid.
    void everyChartSubject_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("subject");
        for (const TChartVariant &variant : ChartVariants())
            for (int s = 0; s < variant.Subjects.size(); ++s)
                QTest::newRow(qPrintable(QString::fromUtf8(variant.Caption) + variant.Subjects[s]))
                    << QString::fromUtf8(variant.Caption) << s;
    }

    void everyChartSubject()
    {
        QFETCH(QString, caption);
        QFETCH(int, subject);
        auto *r = open<TFrmRptModal_Tu>(QStringLiteral("TFrmRptModal_Tu"), caption);
        r->dtpRqa->setDate(QDate(QDate::currentDate().year() - 1, 1, 1));
        r->dtpRqb->setDate(QDate(ChartYear, 12, 31));
        r->RadioGroupFX->SetItemIndex(subject);
        r->btnFind->click();
        flush();
        QVERIFY(r->cdsQry->Active());
        QVERIFY(r->cdsQry->RecordCount() <= 12);
        QCOMPARE(r->ChartPoints(), gridRows(*r->cdsQry));
    }

    void yearRefusesABadYear()
    {
        auto *r = open<TFrm_Static_Month>(QStringLiteral("TFrm_Static_Month"),
                                          QStringLiteral("部门月领用分析"));
        QCOMPARE(r->RadioGroupFX->Text(), QStringLiteral("部门"));
        r->edtYear->setText(QStringLiteral("20x0"));
        r->btnFind->click();
        flush();
        QCOMPARE(unexpected->Count(), 1);
        QVERIFY(unexpected->Last().Text.startsWith(QStringLiteral("请输入正确的年份")));
        unexpected->Clear();
    }

    // Two users at once: each step of one user's run between the other's leaves both results
    // whole, because each works in a table of its own.
    void twoUsersAtOnce()
    {
        const TYearVariant *purchases = FindYearVariant(QStringLiteral("年采购量分析"));
        QVERIFY(purchases);
        const TYearAnalysis bySupplier(CurrentReportContext(), *purchases, purchases->Subjects[1],
                                       ChartYear, TYearAnalysis::WorkTableName(CurUserCode));
        const TYearAnalysis byGoods(CurrentReportContext(), *purchases, purchases->Subjects[0],
                                    ChartYear, TYearAnalysis::WorkTableName(QStringLiteral("U2")));
        auto send = [](std::initializer_list<QString> statements) {
            TAtomicRequest request(&Data().cn());
            for (const QString &sql : statements)
                request.Execute(sql);
            return request.Send().Ok;
        };
        QVERIFY(send({bySupplier.DropSQL(), bySupplier.CreateSQL()}));
        QVERIFY(send({byGoods.DropSQL(), byGoods.CreateSQL()}));
        QVERIFY(send({bySupplier.FillSQL(), bySupplier.TotalsSQL()}));
        QVERIFY(send({byGoods.FillSQL(), byGoods.TotalsSQL()}));
        auto count = [](const TYearAnalysis &a) {
            return QueryValue(QStringLiteral("select count(*) from (") + a.ReportSQL() +
                              QStringLiteral(") x"))
                .toInt();
        };
        QCOMPARE(count(bySupplier), Suppliers);
        QCOMPARE(count(byGoods), 2);

        // The window of the first user reads its own table while the other's stays.
        auto *r = open<TFrm_Static_Month>(QStringLiteral("TFrm_Static_Month"),
                                          QStringLiteral("年采购量分析"));
        r->edtYear->setText(QString::number(ChartYear));
        r->RadioGroupFX->SetItemIndex(1);
        r->btnFind->click();
        flush();
        QCOMPARE(r->cdsQry->RecordCount(), Suppliers);
        QCOMPARE(count(byGoods), 2);
    }
};

QTEST_MAIN(TestRptCharts)
#include "tst_rptcharts.moc"
