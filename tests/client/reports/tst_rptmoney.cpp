// The issue, cash and bank, income and expense and personnel reminder reports on a real
// server: issues, a return, an expense, an other income and a transfer posted on a day of
// their own, then the reports over that day, their totals, drill-downs and conditions.
#include "client/common/lunar.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdczl.h"
#include "client/documents/fykz.h"
#include "client/documents/recordinfo.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/banktransfer.h"
#include "client/reports/registerreports.h"
#include "client/reports/rptcash.h"
#include "client/reports/rpthr.h"
#include "client/reports/rptissue.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "reportsupport.h"
#include "support/testworld.h"
#include "support/whenmodal.h"
#include "tradesupport.h"

#include <QDateEdit>
#include <QLabel>
#include <QMdiArea>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cmath>

using namespace tradesupport;
using docsupport::flush;

using reportsupport::rows;

namespace {

// A day no demo document falls on, so the reports over it see only what the cases posted.
const QDate Day(2031, 5, 20);

const QString DeptA = QStringLiteral("测试一部");
const QString DeptB = QStringLiteral("测试二部");
const QString Alice = QStringLiteral("测试甲");
const QString Carol = QStringLiteral("测试丙");
const QString BothDepts = QStringLiteral(" and C.ID in (9001,9002)");

QString money(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

class TestRptMoney : public reportsupport::TReportTest
{
    Q_OBJECT

public:
    TestRptMoney()
        : TReportTest(QStringList{QStringLiteral("LLZB"), QStringLiteral("LL"),
                                  QStringLiteral("TLZB"), QStringLiteral("TL"),
                                  QStringLiteral("FYKZZB"), QStringLiteral("FYKZ"),
                                  QStringLiteral("QTSRZB"), QStringLiteral("QTSR")})
    {}

private:
    QString m_issueA1, m_issueA2, m_issueC, m_return, m_expense, m_income;
    qint64 m_transfer = 0;

    QString post(const char *className, int recipient, const QString &name,
                 std::initializer_list<TLine> lines)
    {
        form = openNew(QLatin1String(className));
        if (!form)
            return {};
        setHeader(form, "RQ", Day);
        setHeader(form, "CKID", 1);
        // The handler's name brings its own record: the recipient goes after it.
        setHeader(form, "JSR", name);
        setHeader(form, "YGID", recipient);
        enterLines(form, lines);
        form->aSave->trigger();
        const QString number = billNo(form);
        audit(form);
        docsupport::closeDocument(form);
        flush();
        return number;
    }

    // An expense or other income of one account: lines of category code and amount.
    QString postMoney(const char *className, int account,
                      std::initializer_list<std::pair<const char *, double>> lines)
    {
        form = openNew(QLatin1String(className));
        if (!form)
            return {};
        setHeader(form, "RQ", Day);
        setHeader(form, "SFKFSID", 1);
        setHeader(form, "ZHID", account);
        TClientDataSet &mx = *form->MxDataSet();
        mx.First();
        for (const auto &[code, amount] : lines) {
            mx.Edit();
            mx.FieldByName(QStringLiteral("aBH"))->SetAsString(QLatin1String(code));
            mx.FieldByName(QStringLiteral("JE"))->SetAsFloat(amount);
            mx.Post();
            mx.Next();
        }
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
        return reportsupport::openReport<Report>(className, Day, Day);
    }

    static void chooseDepartments(TFrmRptModal *r, const QString &key)
    {
        auto *dept = r->Panel1->findChild<TButtonEdit *>(QStringLiteral("RzButtonEdit_Dept"));
        QVERIFY(dept);
        dept->setText(QStringLiteral("测试部门"));
        dept->SetKey(key);
    }

    static void setText(TFrmRptModal *r, const char *name, const QString &text)
    {
        QWidget *w = r->Panel1->findChild<QWidget *>(QLatin1String(name));
        QVERIFY2(w, name);
        if (auto *edit = qobject_cast<TButtonEdit *>(w))
            edit->setText(text);
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            combo->setEditText(text);
    }

    // The stored lines of the issues and returns of the day, as amounts per line.
    static QList<double> lineAmounts(const QString &table, const QString &where)
    {
        TTmpDataSet stored;
        stored->SetCommandText(QStringLiteral("select D.SL*D.DJ from %1 D, %1ZB M where D.ZBID = "
                                              "M.ID and %2 order by M.DJBH, D.HH")
                                   .arg(table, where));
        stored->Open();
        QList<double> amounts;
        for (stored->First(); !stored->Eof(); stored->Next())
            amounts << stored->Fields(0)->AsFloat();
        return amounts;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(startReports(), qPrintable(world.error()));
        QVERIFY(keepDocuments({QStringLiteral("BM"), QStringLiteral("YG"), QStringLiteral("ZH"),
                               QStringLiteral("YHCKQK"), QStringLiteral("XSSKZB"),
                               QStringLiteral("XSTHZB")}));
        QVERIFY(ExecSQLScript({
            QStringLiteral("insert into BM (ID, MC, JE) values (9001, '测试一部', 0)"),
            QStringLiteral("insert into BM (ID, MC, JE) values (9002, '测试二部', 0)"),
            QStringLiteral("insert into YG (ID, BH, XM, BMID, CSRQ, RZRQ) values (9001, 'T9001', "
                           "'测试甲', 9001, '1990-03-15', '2031-03-02')"),
            QStringLiteral("insert into YG (ID, BH, XM, BMID, CSRQ, HTDQSJ) values (9002, "
                           "'T9002', '测试乙', 9001, '1985-03-20', '2031-03-15')"),
            QStringLiteral("insert into YG (ID, BH, XM, BMID, LZRQ, ZZRQ) values (9003, 'T9003', "
                           "'测试丙', 9002, '2030-03-15', '2031-04-15')"),
            QStringLiteral(
                "insert into ZH (ID, MC, QCJE, QMJE) values (9001, '测试现金', 200, 200)"),
            QStringLiteral("insert into ZH (ID, MC, YHZH, QCJE, QMJE) values (9002, '测试银行', "
                           "'6222 0001', 0, 0)"),
            QStringLiteral("insert into ZH (ID, MC, QCJE, QMJE) values (9003, '测试备用金', 500, "
                           "500)"),
            QStringLiteral("insert into ZH (ID, MC, QCJE, QMJE) values (9004, '测试空户', 0, 0)"),
        }));
        Data().Bm().Close();
        Data().Yg().Close();
        beginCase();
        // 1.2 × 1.08 = 1.296 a line: two such lines sum to 2.592 but to 2.60 in cents.
        m_issueA1 = post("TfrmStockLl", 9001, Alice, {{1, 1.2, 1.08}, {2, 2, 5}});
        m_issueA2 = post("TfrmStockLl", 9001, Alice, {{1, 1.2, 1.08}});
        m_issueC = post("TfrmStockLl", 9003, Carol, {{2, 4, 5}});
        m_return = post("TfrmStockTl", 9001, Alice, {{2, 1, 5}});
        m_expense = postMoney("TfrmFykz", 9001, {{"101", 120.5}, {"105", 30}});
        m_income = postMoney("TfrmQtsr", 9002, {{"201", 80}});
        for (const QString &number :
             {m_issueA1, m_issueA2, m_issueC, m_return, m_expense, m_income})
            QVERIFY(!number.isEmpty());
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from LLZB where uFlag = 1 and RQ = "
                                           "'2031-05-20'"))
                     .toInt(),
                 3);
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from FYKZZB where uFlag = 1 and RQ "
                                           "= '2031-05-20'"))
                     .toInt(),
                 1);
        // A delivery's receipt and a sale's cash return as the server holds them once audited,
        // and a transfer from the bank to the cash account written as its window writes it.
        TTransferRow transfer;
        transfer.ID = 9001;
        transfer.RQ = Day;
        transfer.ZCZHID = 9002;
        transfer.ZRZHID = 9001;
        transfer.JE = 100;
        transfer.JSR = Alice;
        QStringList script = TransferScript(0, std::nullopt, transfer);
        script << QStringLiteral("insert into XSSKZB (ID, DJBH, RQ, uFlag, ZHID, SFKFSID, KHID, "
                                 "FKJE, JE) values (9001, 'SK-T1', '2031-05-20', 1, 9002, 1, 1, "
                                 "300, 300)")
               << QStringLiteral("insert into XSTHZB (ID, DJBH, RQ, uFlag, ZHID, SFKFSID, KHID, "
                                 "XSJE, JE) values (9001, 'XT-T1', '2031-05-20', 1, 9001, 1, 1, "
                                 "40, 40)");
        QVERIFY(ExecSQLScript(script));
        m_transfer = 9001;
    }

    void cleanupTestCase() { stopReports(); }

    void init() { beginReportCase(); }

    void cleanup()
    {
        const QStringList texts = endReportCase();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // --- Issues ------------------------------------------------------------------------------

    void departmentSummaryLeadsWithTheTotalAndSubtotalsTheirLines()
    {
        auto *r = report<TFrmRptIssue>(QStringLiteral("TFrmRptLLbmhz"));
        QVERIFY(r);
        chooseDepartments(r, BothDepts);
        r->btnFind->click();
        const QString g1 = goodsCode(1), g2 = goodsCode(2);
        const QString p1 = QueryValue(QStringLiteral("select PM from HP where ID = 1")).toString();
        const QString p2 = QueryValue(QStringLiteral("select PM from HP where ID = 2")).toString();
        QCOMPARE(
            rows(*r->cdsQry, {QStringLiteral("flag"), QStringLiteral("BMMC"), QStringLiteral("BH"),
                              QStringLiteral("PM"), QStringLiteral("SL")}),
            (QStringList{QStringLiteral("-1|||合计|8.4"), QStringLiteral("0|测试一部||小计|4.4"),
                         QStringLiteral("1||%1|%2|1.2").arg(g1, p1),
                         QStringLiteral("1||%1|%2|1.2").arg(g1, p1),
                         QStringLiteral("1||%1|%2|2").arg(g2, p2),
                         QStringLiteral("0|测试二部||小计|4"),
                         QStringLiteral("1||%1|%2|4").arg(g2, p2)}));
        QStringList amounts;
        for (r->cdsQry->First(); !r->cdsQry->Eof(); r->cdsQry->Next())
            if (r->cdsQry->FieldByName(QStringLiteral("flag"))->AsInteger() < 1)
                amounts << money(r->cdsQry->FieldByName(QStringLiteral("JE"))->AsFloat());
        QCOMPARE(amounts,
                 (QStringList{money(2 * 1.296 + 10 + 20), money(2 * 1.296 + 10), money(20)}));
        // The totals are rows: no footer adds them up again.
        QCOMPARE(r->DBGrid1->FooterRowCount(), 0);

        // Subtotal rows are blue, lines are not.
        TColumn *column = r->DBGrid1->Columns()[0];
        auto colourOfRow = [&](const QString &pm) {
            TCellParams params;
            params.Row = 0;
            params.FontColor = Qt::black;
            params.Background = Qt::white;
            r->cdsQry->Locate(QStringLiteral("PM"), pm);
            r->DBGrid1->OnGetCellParams(*r->DBGrid1, *column, params);
            return params.FontColor;
        };
        QCOMPARE(colourOfRow(QStringLiteral("小计")), QColor(Qt::blue));
        QCOMPARE(colourOfRow(p2), QColor(Qt::black));
    }

    void recipientSummaryRoundsEachLineToCents_data()
    {
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QStringList>("expected"); // goods code index|quantity|amount
        QTest::newRow("two lines of 1.296")
            << Alice << QStringList{QStringLiteral("1|2.4|2.60"), QStringLiteral("2|2|10.00")};
        QTest::newRow("one line") << Carol << QStringList{QStringLiteral("2|4|20.00")};
    }

    void recipientSummaryRoundsEachLineToCents()
    {
        QFETCH(QString, recipient);
        QFETCH(QStringList, expected);
        QCOMPARE(
            lineAmounts(QStringLiteral("LL"), QStringLiteral("M.DJBH = ") + QuotedStr(m_issueA2)),
            QList<double>{1.2 * 1.08});
        auto *r = report<TFrmRptModal>(QStringLiteral("TFrmRptLLrylyHz"));
        QVERIFY(r);
        setText(r, "RzButtonEdit_Emp", recipient);
        r->btnFind->click();
        QStringList got;
        for (r->cdsQry->First(); !r->cdsQry->Eof(); r->cdsQry->Next()) {
            const QString code = r->cdsQry->FieldByName(QStringLiteral("BH"))->AsString();
            got << QStringLiteral("%1|%2|%3")
                       .arg(code == goodsCode(1) ? 1 : 2)
                       .arg(r->cdsQry->FieldByName(QStringLiteral("SL"))->AsFloat())
                       .arg(money(r->cdsQry->FieldByName(QStringLiteral("JE"))->AsFloat()));
            QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("XM"))->AsString(), recipient);
        }
        got.sort();
        QCOMPARE(got, expected);
    }

    void detailReportsListTheirLines_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("condition"); // control:text
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("by recipient, one department")
            << "TFrmRptLLryly"
            << "RzButtonEdit_Dept: and C.ID in (9001)"
            << QStringList{m_issueA1, m_issueA1, m_issueA2};
        QTest::newRow("by recipient, the other")
            << "TFrmRptLLryly"
            << "RzButtonEdit_Dept: and C.ID in (9002)" << QStringList{m_issueC};
        QTest::newRow("by goods, one recipient")
            << "TFrmRptLLwply" << QStringLiteral("RzButtonEdit_Emp:") + Alice
            << QStringList{m_issueA1, m_issueA2, m_issueA1};
        QTest::newRow("returns") << "TFrmRptLLwpgh" << QStringLiteral("RzButtonEdit_Emp:") + Alice
                                 << QStringList{m_return};
        QTest::newRow("a quote is a value")
            << "TFrmRptLLwpgh" << QStringLiteral("RzButtonEdit_Emp:O'Neil") << QStringList{};
        QTest::newRow("a key that is no id list is no condition")
            << "TFrmRptLLryly"
            << "RzButtonEdit_Dept: and C.ID in (9002) or 1=1"
            << QStringList{m_issueA1, m_issueA1, m_issueA2, m_issueC};
    }

    void detailReportsListTheirLines()
    {
        QFETCH(QString, className);
        QFETCH(QString, condition);
        QFETCH(QStringList, numbers);
        auto *r = report<TFrmRptIssue>(className);
        QVERIFY(r);
        const QString name = condition.section(QLatin1Char(':'), 0, 0);
        const QString text = condition.section(QLatin1Char(':'), 1);
        if (name == QLatin1String("RzButtonEdit_Dept"))
            chooseDepartments(r, text);
        else
            setText(r, name.toLatin1().constData(), text);
        r->btnFind->click();
        QStringList got = rows(*r->cdsQry, {QStringLiteral("DH")});
        got.sort();
        numbers.sort();
        QCOMPARE(got, numbers);
    }

    void categorySummaryAndRateOfTheStockValue()
    {
        auto *r = report<TFrmRptIssue>(QStringLiteral("TFrmRptLLLBhz"));
        chooseDepartments(r, BothDepts);
        r->btnFind->click();
        QStringList got = rows(*r->cdsQry, {QStringLiteral("MC"), QStringLiteral("SL")});
        QCOMPARE(got.size(), int(r->cdsQry->RecordCount()));
        double issued = 0;
        for (const QString &row : got)
            issued += row.section(QLatin1Char('|'), 1).toDouble();
        QCOMPARE(issued, 8.4);

        auto *rate = report<TFrmRptLLbmRate>(QStringLiteral("TFrmRptLLbmRate"));
        QVERIFY(rate);
        chooseDepartments(rate, BothDepts);
        rate->btnFind->click();
        const double stock =
            QueryValue(QStringLiteral("select sum(Flag*SL*DJ) from Inv_ItemList where RQ <= "
                                      "'2031-05-20'"))
                .toDouble();
        QVERIFY(stock != 0);
        QVERIFY(rate->cdsQry->Locate(QStringLiteral("MC"), DeptB));
        const double amount = 4 * 5.0;
        QCOMPARE(rate->cdsQry->FieldByName(QStringLiteral("JE"))->AsFloat(), amount);
        QVERIFY(std::abs(rate->cdsQry->FieldByName(QStringLiteral("Rate"))->AsFloat() -
                         amount * 100 / (amount + stock)) < 1e-9);
        QCOMPARE(rate->DBGrid1->Columns().FindByFieldName(QStringLiteral("Rate"))->DisplayFormat(),
                 QStringLiteral("0.0%"));

        // Before the first ledger row there is no stock value: nothing is asked.
        rate->dtpRqa->setDate(QDate(1900, 1, 1));
        rate->dtpRqb->setDate(QDate(1900, 1, 2));
        rate->btnFind->click();
        QVERIFY(rate->StockValue().isEmpty());
        QVERIFY(!rate->cdsQry->Active());
    }

    // --- Cash and bank -----------------------------------------------------------------------

    void cashJournalSignsEveryKindOfMovement()
    {
        auto *r = report<TFrmRptSzLsz>(QStringLiteral("TFrmRptSzLsz"));
        QVERIFY(r);
        r->btnFind->click();
        QStringList got;
        for (const QString &row : rows(*r->cdsQry, {QStringLiteral("ZHID"), QStringLiteral("LX"),
                                                    QStringLiteral("JEA"), QStringLiteral("JEB")}))
            if (row.startsWith(QLatin1String("900")))
                got << row;
        got.sort();
        QStringList expected{
            QStringLiteral("9001|费用开支|0|150.5"), QStringLiteral("9001|销售退货|-40|0"),
            QStringLiteral("9001|帐户转入|100|0"),   QStringLiteral("9002|其它收入|80|0"),
            QStringLiteral("9002|销售收款|300|0"),   QStringLiteral("9002|帐户转出|0|100")};
        expected.sort();
        QCOMPARE(got, expected);

        // The type is a quoted value.
        setText(r, "CombYWLX", QStringLiteral("帐户转入"));
        r->btnFind->click();
        QVERIFY(r->cdsQry->Locate(QStringLiteral("ZHID"), 9001));
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("LX"))->AsString(),
                 QStringLiteral("帐户转入"));
        for (r->cdsQry->First(); !r->cdsQry->Eof(); r->cdsQry->Next())
            QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("LX"))->AsString(),
                     QStringLiteral("帐户转入"));
        setText(r, "CombYWLX", QStringLiteral("O'Neil"));
        r->btnFind->click();
        QCOMPARE(r->cdsQry->RecordCount(), 0);
    }

    void cashJournalOpensTheTransferAndTheExpense()
    {
        auto *r = report<TFrmRptSzLsz>(QStringLiteral("TFrmRptSzLsz"));
        r->SetBillType(QStringLiteral("现金银行明细帐表"));
        r->btnFind->click();
        QVERIFY(r->cdsQry->Locate(QStringLiteral("ZHID;LX"),
                                  QVariantList{9002, QStringLiteral("帐户转出")}));
        QString amount;
        auto transfer = vztest::whenModal<TfrmYhckqkCk>([&](TfrmYhckqkCk &form) {
            amount = form.ValueText(QStringLiteral("金    额："));
            form.Close();
        });
        r->DBGrid1->OnDblClick(*r->DBGrid1);
        QVERIFY(transfer);
        QCOMPARE(amount, QStringLiteral("100.00"));

        QVERIFY(r->cdsQry->Locate(QStringLiteral("DH"), m_expense));
        QString shown;
        auto expense = vztest::whenModal<TfrmFykz>([&](TfrmFykz &form) {
            shown = billNo(&form);
            form.Close();
        });
        r->DBGrid1->OnDblClick(*r->DBGrid1);
        QVERIFY(expense);
        QCOMPARE(shown, m_expense);
    }

    // Opening balances before the from-date; income and expense in the range; an account with
    // only an opening balance still has its row, one with nothing has none.
    void cashSummaryPerAccount()
    {
        auto *r = report<TFrmRptXjyhHZ>(QStringLiteral("TFrmRptXjyhHZ"));
        QVERIFY(r);
        r->btnFind->click();
        QStringList got;
        for (const QString &row :
             rows(*r->cdsQry, {QStringLiteral("ID"), QStringLiteral("JEA"), QStringLiteral("JEB"),
                               QStringLiteral("JEC"), QStringLiteral("JED")}))
            if (row.startsWith(QLatin1String("900")))
                got << row;
        QCOMPARE(got.size(), 3);
        QCOMPARE(got.mid(0, 2), (QStringList{QStringLiteral("9001|200|60|150.5|109.5"),
                                             QStringLiteral("9002|0|380|100|280")}));
        // No income, no expense: it closes at its opening balance.
        QCOMPARE(got[2], QStringLiteral("9003|500|||500"));
        // From the next day on, the day's movements are the opening balance.
        r->dtpRqa->setDate(Day.addDays(1));
        r->dtpRqb->setDate(Day.addDays(1));
        r->btnFind->click();
        QVERIFY(r->cdsQry->Locate(QStringLiteral("ID"), 9001));
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("JEA"))->AsFloat(), 109.5);
        QCOMPARE(r->cdsQry->FieldByName(QStringLiteral("JEB"))->AsFloat(), 0.0);
        QVERIFY(!r->cdsQry->Locate(QStringLiteral("ID"), 9004));
    }

    // --- Income and expense ------------------------------------------------------------------

    void incomeExpenseSummaryDrillsDownToItsCategory()
    {
        auto *r = report<TFrmRptSzHZ>(QStringLiteral("TFrmRptSzHZ"));
        QVERIFY(r);
        r->btnFind->click();
        QCOMPARE(rows(*r->cdsQry, {QStringLiteral("LX"), QStringLiteral("BH"),
                                   QStringLiteral("JEA"), QStringLiteral("JEB")}),
                 (QStringList{QStringLiteral("费用开支|101|120.5|0"),
                              QStringLiteral("费用开支|105|30|0"),
                              QStringLiteral("其它收入|201|0|80")}));
        QVERIFY(r->cdsQry->Locate(QStringLiteral("BH"), QStringLiteral("105")));
        const QString category = r->cdsQry->FieldByName(QStringLiteral("MC"))->AsString();
        r->DBGrid1->OnDblClick(*r->DBGrid1);
        auto *detail = qobject_cast<TFrmRptSzMx *>(
            GlobalObj().MDIWindows.FindForm(QStringLiteral("FrmRptSzMx")));
        QVERIFY(detail);
        QCOMPARE(detail->dtpRqa->date(), Day);
        QCOMPARE(detail->dtpRqb->date(), Day);
        QCOMPARE(detail->Panel1->findChild<QComboBox *>(QStringLiteral("CombLB"))->currentText(),
                 category);
        QVERIFY(detail->cdsQry->Active()); // ran at once
        QCOMPARE(rows(*detail->cdsQry,
                      {QStringLiteral("DH"), QStringLiteral("MC"), QStringLiteral("JEA")}),
                 QStringList{m_expense + QLatin1Char('|') + category + QStringLiteral("|30")});
    }

    void incomeExpenseDetailConditions_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("counterparty");
        QTest::addColumn<int>("count");
        QTest::newRow("all") << "所有"
                             << "所有"
                             << "所有" << 3;
        QTest::newRow("expenses") << "所有"
                                  << "费用开支"
                                  << "所有" << 2;
        QTest::newRow("income") << "所有"
                                << "其它收入"
                                << "" << 1;
        QTest::newRow("a quoted category") << "O'Neil"
                                           << "所有"
                                           << "所有" << 3;
        QTest::newRow("a quoted counterparty") << "所有"
                                               << "所有"
                                               << "O'Neil" << 0;
    }

    void incomeExpenseDetailConditions()
    {
        QFETCH(QString, category);
        QFETCH(QString, type);
        QFETCH(QString, counterparty);
        QFETCH(int, count);
        auto *r = report<TFrmRptSzMx>(QStringLiteral("TFrmRptSzMx"));
        setText(r, "CombLB", category);
        setText(r, "CombLX", type);
        setText(r, "CombVender", counterparty);
        r->btnFind->click();
        QCOMPARE(r->cdsQry->RecordCount(), count);
    }

    // --- Personnel reminders -----------------------------------------------------------------

    void lunarLabel_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("label");
        QTest::newRow("new year 2024") << QDate(2024, 2, 10) << "农历 1 月 1 日";
        QTest::newRow("leap second month 2023") << QDate(2023, 3, 22) << "农历闰 2 月 1 日";
        QTest::newRow("leap sixth month 2025") << QDate(2025, 7, 25) << "农历闰 6 月 1 日";
        QTest::newRow("day before the leap month") << QDate(2025, 7, 24) << "农历 6 月 30 日";
    }

    void lunarLabel()
    {
        QFETCH(QDate, date);
        QFETCH(QString, label);
        QCOMPARE(LunarLabelText(date), label);
    }

    void remindersCountTheDayAndTheMonth()
    {
        auto *r = qobject_cast<TFrmRptRsTx *>(
            GlobalObj().MDIWindows.ShowForm(QStringLiteral("TFrmRptRsTx")));
        QVERIFY(r);
        QVERIFY(!r->dtpRqa->isVisibleTo(r));
        QVERIFY(r->dtpRqb->isVisibleTo(r));
        for (const QDate date : {QDate(2031, 3, 15), QDate(2031, 3, 20), QDate(2031, 4, 15)}) {
            r->dtpRqb->setDate(date);
            QCOMPARE(r->lblLunar->text(), LunarLabelText(date));
            for (const THrReminder &reminder : HrReminders()) {
                // Counted here from the dates themselves.
                TTmpDataSet all;
                all->SetCommandText(QStringLiteral("select ") + reminder.Column +
                                    QStringLiteral(" from YG"));
                all->Open();
                int onDay = 0, inMonth = 0;
                for (all->First(); !all->Eof(); all->Next()) {
                    const QDate d = all->Fields(0)->AsDateTime().date();
                    if (!d.isValid() || d.month() != date.month())
                        continue;
                    ++inMonth;
                    onDay += d.day() == date.day();
                }
                QTreeWidgetItem *day = r->ReminderNode(QStringLiteral("日"), reminder.Column);
                QTreeWidgetItem *month = r->ReminderNode(QStringLiteral("月"), reminder.Column);
                QVERIFY(day && month);
                QCOMPARE(day->text(0),
                         QStringLiteral("本日%1(%2)").arg(reminder.Caption).arg(onDay));
                QCOMPARE(month->text(0),
                         QStringLiteral("本月%1(%2)").arg(reminder.Caption).arg(inMonth));
            }
        }
        // The cases' own people on their days.
        r->dtpRqb->setDate(QDate(2031, 3, 15));
        r->fcTreeView2->setCurrentItem(
            r->ReminderNode(QStringLiteral("日"), QStringLiteral("HTDQSJ")));
        QVERIFY(rows(*r->cdsQry, {QStringLiteral("XM")}).contains(QStringLiteral("测试乙")));
        r->fcTreeView2->setCurrentItem(
            r->ReminderNode(QStringLiteral("日"), QStringLiteral("LZRQ")));
        QVERIFY(rows(*r->cdsQry, {QStringLiteral("XM"), QStringLiteral("aBMMC")})
                    .contains(QStringLiteral("测试丙|测试二部")));
        r->fcTreeView2->setCurrentItem(r->fcTreeView2->topLevelItem(0));
        QVERIFY(!r->cdsQry->Active());
    }
};

QTEST_MAIN(TestRptMoney)
#include "tst_rptmoney.moc"
