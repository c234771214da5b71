// The stock and production documents through their windows on a real server with the demo
// account set: each posting type saved, audited into the stock ledger line by line and
// un-audited again; the issue's recipient, new-header defaults and department budget; the
// transfer's kinds and its refusal of equal warehouses; the three kinds of the stock
// adjustment; the other stock change's type; the product intake's running total and picker.
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/ckdb.h"
#include "client/documents/cpjc.h"
#include "client/documents/kcpd.h"
#include "client/documents/ll.h"
#include "client/documents/qtkcbd.h"
#include "client/documents/registerforms.h"
#include "client/documents/tl.h"
#include "client/forms/globalobj.h"
#include "client/forms/mdiwindows.h"
#include "client/masterdata/registerforms.h"
#include "client/masterdata/selectitem.h"
#include "client/print/reportdesigner.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "support/testworld.h"
#include "support/whenmodal.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <algorithm>

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

// A department with its own person, so that budgets and look-ups meet known rows.
constexpr int Department = 9001;
const QString DepartmentName = QStringLiteral("测试部");
constexpr int Person = 9001;
const QString PersonName = QStringLiteral("测试领用人");

// Whether the focus of the form sits in the control (or in the edit inside it).
bool focusedIn(QWidget *form, QWidget *control)
{
    QWidget *focus = form->focusWidget();
    return focus && (focus == control || control->isAncestorOf(focus));
}

// "CKID=1;JSR=x" as field names and values.
QList<std::pair<QString, QString>> assignments(const QString &text)
{
    QList<std::pair<QString, QString>> result;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        result.append({part.left(equals).trimmed(), part.mid(equals + 1).trimmed()});
    }
    return result;
}

} // namespace

class TestDocStock : public docsupport::TDocumentTest<TfrmComDj>
{
    Q_OBJECT

public:
    TestDocStock()
        : TDocumentTest(QStringList{
              QStringLiteral("LLZB"), QStringLiteral("LL"), QStringLiteral("TLZB"),
              QStringLiteral("TL"), QStringLiteral("CKDBZB"), QStringLiteral("CKDB"),
              QStringLiteral("KCPDZB"), QStringLiteral("KCPD"), QStringLiteral("QTKCBDZB"),
              QStringLiteral("QTKCBD"), QStringLiteral("CPJCZB"), QStringLiteral("CPJC")})
    {}

private:
    QString number() { return header().FieldByName(QStringLiteral("DJBH"))->AsString(); }
    QVariant headerValue(const char *field)
    {
        return header().FieldByName(QLatin1String(field))->Value();
    }
    int count(const QString &table)
    {
        return QueryValue(QStringLiteral("select count(*) from ") + table).toInt();
    }

    void keepDocumentsAndStaff()
    {
        QVERIFY(TDocumentTest::keepDocuments({QStringLiteral("BM"), QStringLiteral("YG")}));
        run(QStringLiteral("insert into BM (ID, MC, JE) values (%1, '%2', 0)")
                .arg(Department)
                .arg(DepartmentName));
        run(QStringLiteral("insert into YG (ID, BH, XM, BMID) values (%1, 'T%1', '%2', %3)")
                .arg(Person)
                .arg(PersonName)
                .arg(Department));
        // The lists of the header controls read the new rows.
        Data().Bm().Close();
        Data().Yg().Close();
    }

    // A new document of the registered class, shown, then given its kind as the menu does.
    template<class Form = TfrmComDj>
    Form *openNew(const QString &className, const QString &kind = {})
    {
        TFrmRoot *created = TFormRegistry::Create(className);
        auto *document = qobject_cast<Form *>(created);
        if (!document) {
            delete created;
            return nullptr;
        }
        form = document;
        document->FOpenMode = QStringLiteral("A");
        document->show();
        flush();
        if (!kind.isEmpty())
            document->SetBillType(kind);
        return document;
    }

    // Lines of goods 1 and 2 (3 at 10 and 4 at 12.5) from the top of the grid.
    void enterTwoLines()
    {
        TClientDataSet &mx = lines();
        mx.First();
        const double quantities[] = {3, 4};
        const double prices[] = {10, 12.5};
        for (int goods = 1; goods <= 2; ++goods) {
            mx.Edit();
            mx.FieldByName(QStringLiteral("aBH"))
                ->SetAsString(
                    QueryValue(QStringLiteral("select BH from HP where ID = %1").arg(goods))
                        .toString());
            mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(quantities[goods - 1]);
            mx.FieldByName(QStringLiteral("DJ"))->SetAsFloat(prices[goods - 1]);
            mx.Post();
            mx.Next();
        }
    }

    void save()
    {
        form->aSave->trigger();
        flush();
    }

    void audit()
    {
        TMessageBoxScript answers{mrYes};
        form->aAudit->trigger();
        flush();
    }

    void unAudit()
    {
        TMessageBoxScript answers{mrYes};
        form->aUnAudit->trigger();
        flush();
    }

    int ledgerRows(const QString &billNo)
    {
        return QueryValue(QStringLiteral("select count(*) from Inv_ItemList where DJBH = %1")
                              .arg(QuotedStr(billNo)))
            .toInt();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(startWorld(), qPrintable(world.error())); }

    void cleanupTestCase() { world.stop(); }

    void init() { beginCase(); }

    void cleanup()
    {
        const QStringList texts = endCase();
        FuncRight().EmployeeID.clear();
        FuncRight().EmployeeName.clear();
        FuncRight().DefaultWarehouseID = 0;
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // --- Save, audit into the ledger, un-audit ------------------------------------------------

    void postingTypesPostTheirLinesAndTakeThemBack_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("headerFields");
        // Per posting: the header's warehouse field and the sign of the movement there.
        QTest::addColumn<QString>("postings");
        // The count sheet posts the counted quantity less the book quantity.
        QTest::addColumn<bool>("countSheet");
        QTest::newRow("issue") << QStringLiteral("TfrmStockLl") << QString()
                               << QStringLiteral("CKID=1") << QStringLiteral("CKID:-1") << false;
        QTest::newRow("return") << QStringLiteral("TfrmStockTl") << QString()
                                << QStringLiteral("CKID=1") << QStringLiteral("CKID:1") << false;
        QTest::newRow("transfer") << QStringLiteral("TfrmStockdb") << QStringLiteral("CKDB")
                                  << QStringLiteral("DCCID=1;DRCID=2")
                                  << QStringLiteral("DCCID:-1;DRCID:1") << false;
        QTest::newRow("count sheet")
            << QStringLiteral("TFrmpd") << QStringLiteral("KCPD") << QStringLiteral("CKID=1")
            << QStringLiteral("CKID:1") << true;
        QTest::newRow("adjustment")
            << QStringLiteral("TFrmpd") << QStringLiteral("KCTZ") << QStringLiteral("CKID=1")
            << QStringLiteral("CKID:1") << false;
        QTest::newRow("opening stock")
            << QStringLiteral("TFrmpd") << QStringLiteral("KCCS") << QStringLiteral("CKID=3")
            << QStringLiteral("CKID:1") << false;
        QTest::newRow("other change in")
            << QStringLiteral("TfrmQtkcbd") << QString() << QStringLiteral("CKID=1;QTKCBDLXID=1")
            << QStringLiteral("CKID:1") << false;
        QTest::newRow("other change out")
            << QStringLiteral("TfrmQtkcbd") << QString() << QStringLiteral("CKID=1;QTKCBDLXID=4")
            << QStringLiteral("CKID:-1") << false;
        QTest::newRow("product intake")
            << QStringLiteral("TfrmProductIn") << QString() << QStringLiteral("CKID=2")
            << QStringLiteral("CKID:1") << false;
    }

    void postingTypesPostTheirLinesAndTakeThemBack()
    {
        QFETCH(QString, className);
        QFETCH(QString, kind);
        QFETCH(QString, headerFields);
        QFETCH(QString, postings);
        QFETCH(bool, countSheet);
        keepDocumentsAndStaff();
        QVERIFY(openNew(className, kind));
        header().FieldByName(QStringLiteral("JSR"))->SetAsString(PersonName);
        for (const auto &[field, text] : assignments(headerFields))
            header().FieldByName(field)->SetAsString(text);
        enterTwoLines();
        save();
        QVERIFY(!form->IsModified());
        const QString billNo = number();
        QCOMPARE(ledgerRows(billNo), 0);

        audit();
        QCOMPARE(headerValue("uFlag").toInt(), 1);
        int expectedRows = 0;
        TClientDataSet &mx = lines();
        for (mx.First(); !mx.Eof(); mx.Next()) {
            const double book =
                countSheet ? mx.FieldByName(QStringLiteral("KCSL"))->AsFloat() : 0.0;
            const double quantity = mx.FieldByName(QStringLiteral("SL"))->AsFloat() - book;
            if (quantity == 0) // a count that found the book quantity moves nothing
                continue;
            for (const auto &[field, sign] : assignments(QString(postings).replace(':', '='))) {
                const QString row =
                    QStringLiteral(" from Inv_ItemList where DJBH = %1 and HH = %2 and HPID = "
                                   "%3 and CKID = %4")
                        .arg(QuotedStr(billNo))
                        .arg(mx.FieldByName(QStringLiteral("HH"))->AsInteger())
                        .arg(mx.FieldByName(QStringLiteral("HPID"))->AsInteger())
                        .arg(headerValue(field.toLatin1().constData()).toInt());
                QCOMPARE(value(QStringLiteral("select count(*)") + row), 1.0);
                QCOMPARE(value(QStringLiteral("select SL*Flag") + row), sign.toInt() * quantity);
                QCOMPARE(value(QStringLiteral("select DJ") + row),
                         mx.FieldByName(QStringLiteral("DJ"))->AsFloat());
                ++expectedRows;
            }
        }
        QCOMPARE(ledgerRows(billNo), expectedRows);

        unAudit();
        QCOMPARE(headerValue("uFlag").toInt(), 0);
        QCOMPARE(ledgerRows(billNo), 0);
    }

    // --- Issue -----------------------------------------------------------------------------

    void issueWithoutRecipientIsRefused()
    {
        keepDocumentsAndStaff();
        FuncRight().EmployeeID.clear();
        const int before = count(QStringLiteral("LLZB"));
        auto *issue = openNew<TfrmStockLl>(QStringLiteral("TfrmStockLl"));
        QVERIFY(issue);
        header().FieldByName(QStringLiteral("CKID"))->SetAsInteger(1);
        enterTwoLines();
        {
            TMessageBoxScript answers;
            save();
            QCOMPARE(answers.Count(), 1);
            QCOMPARE(answers.Last().Text, QStringLiteral("请选择领用人！"));
        }
        QVERIFY(form->IsModified());
        QVERIFY(focusedIn(issue, issue->DBComboJSR));
        QCOMPARE(count(QStringLiteral("LLZB")), before);
    }

    void issueNewHeaderTakesTheUsersEmployeeAndDepartment()
    {
        keepDocumentsAndStaff();
        FuncRight().EmployeeID = QString::number(Person);
        FuncRight().EmployeeName = PersonName;
        QVERIFY(openNew(QStringLiteral("TfrmStockLl")));
        QCOMPARE(headerValue("YGID").toInt(), Person);
        QCOMPARE(headerValue("JSR").toString(), PersonName);
        QCOMPARE(headerValue("BMID").toInt(), Department);
        QCOMPARE(headerValue("aBMMC").toString(), DepartmentName);
    }

    void issueRecipientByNameBringsDepartment()
    {
        keepDocumentsAndStaff();
        QVERIFY(openNew(QStringLiteral("TfrmStockLl")));
        QCOMPARE(headerValue("YGID").toInt(), 0);
        header().FieldByName(QStringLiteral("JSR"))->SetAsString(PersonName);
        QCOMPARE(headerValue("YGID").toInt(), Person);
        QCOMPARE(headerValue("BMID").toInt(), Department);
        QCOMPARE(headerValue("aBMMC").toString(), DepartmentName);
    }

    void issueOverTheDepartmentsBudgetWarnsAndSaves_data()
    {
        QTest::addColumn<double>("budget");
        QTest::addColumn<int>("auditedFlag");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<QString>("printed"); // the slip's budget line; empty: none
        QTest::newRow("used 500.5 of 100")
            << 100.0 << 1 << QStringLiteral("已经超过部门[测试部]年定金额：500.5")
            << QStringLiteral("部门[测试部]年定金额：100.00　本年已领用：500.50");
        QTest::newRow("no budget set") << 0.0 << 1 << QString() << QString();
        QTest::newRow("within the budget")
            << 600.0 << 1 << QString()
            << QStringLiteral("部门[测试部]年定金额：600.00　本年已领用：500.50");
        QTest::newRow("unaudited issues do not count")
            << 100.0 << 0 << QString()
            << QStringLiteral("部门[测试部]年定金额：100.00　本年已领用：0.00");
    }

    void issueOverTheDepartmentsBudgetWarnsAndSaves()
    {
        QFETCH(double, budget);
        QFETCH(int, auditedFlag);
        QFETCH(QString, message);
        QFETCH(QString, printed);
        keepDocumentsAndStaff();
        run(QStringLiteral("update BM set JE = %1 where ID = %2").arg(budget).arg(Department));
        const int year = QDate::currentDate().year();
        // Issued this year by the department's person, and an earlier year's that no budget
        // of this year sees.
        run(QStringLiteral("insert into LLZB (ID, DJBH, RQ, JE, uFlag, YGID, CKID) values "
                           "(1990010001, 'LL1990010001', '%1-01-02', 500.5, %2, %3, 1)")
                .arg(year)
                .arg(auditedFlag)
                .arg(Person));
        run(QStringLiteral("insert into LLZB (ID, DJBH, RQ, JE, uFlag, YGID, CKID) values "
                           "(1990010002, 'LL1990010002', '%1-01-02', 9999, 1, %2, 1)")
                .arg(year - 1)
                .arg(Person));
        QVERIFY(openNew(QStringLiteral("TfrmStockLl")));
        header().FieldByName(QStringLiteral("CKID"))->SetAsInteger(1);
        header().FieldByName(QStringLiteral("JSR"))->SetAsString(PersonName);
        enterTwoLines();
        const int before = count(QStringLiteral("LLZB"));
        {
            TMessageBoxScript answers;
            save();
            QCOMPARE(answers.Count(), message.isEmpty() ? 0 : 1);
            if (!message.isEmpty())
                QCOMPARE(answers.Last().Text, message);
        }
        QVERIFY(!form->IsModified());
        QCOMPARE(count(QStringLiteral("LLZB")), before + 1);

        QVERIFY(docsupport::installShippedTemplate(QStringLiteral("物品领用单")));
        auto shown = vztest::whenModal<TfrmReportDesigner>(
            [](TfrmReportDesigner &designer) { designer.accept(); });
        form->aPrint->trigger();
        QDir(ExeDirFile(QStringLiteral("Reports"))).removeRecursively();
        QVERIFY(shown);
        QCOMPARE(form->ReportTexts().value(QStringLiteral("ppbudget")), printed);
    }

    // --- Transfer --------------------------------------------------------------------------

    void transferOfEqualWarehousesIsRefused()
    {
        keepDocumentsAndStaff();
        const int before = count(QStringLiteral("CKDBZB"));
        auto *transfer = openNew<TfrmStockdb>(QStringLiteral("TfrmStockdb"));
        QVERIFY(transfer);
        transfer->activateWindow();
        header().FieldByName(QStringLiteral("JSR"))->SetAsString(PersonName);
        QVERIFY(transfer->DBLookupDCC->SetKeyValue(1));
        QVERIFY(transfer->DBLookupDRC->SetKeyValue(1));
        enterTwoLines();
        transfer->DBLookupDRC->setFocus();
        {
            TMessageBoxScript answers;
            save();
            QCOMPARE(answers.Count(), 1);
            QCOMPARE(answers.Last().Text,
                     QStringLiteral("'调出仓'与'调入仓'不能相同, 请重新录入!"));
            QCOMPARE(answers.Last().Caption, QStringLiteral("录入错误"));
        }
        QVERIFY(focusedIn(transfer, transfer->DBLookupDCC));
        QVERIFY(form->IsModified());
        QCOMPARE(count(QStringLiteral("CKDBZB")), before);

        // Put right, the same document goes.
        QVERIFY(transfer->DBLookupDRC->SetKeyValue(2));
        save();
        QVERIFY(!form->IsModified());
        QCOMPARE(count(QStringLiteral("CKDBZB")), before + 1);
    }

    void transferKeepsTheKindItWasOpenedFor_data()
    {
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("stored");
        QTest::newRow("menu's warehouse transfer")
            << QStringLiteral("CKDB") << QStringLiteral("CKDB");
        QTest::newRow("production issue") << QStringLiteral("scll") << QStringLiteral("SCLL");
        QTest::newRow("production intake") << QStringLiteral("scin") << QStringLiteral("SCIN");
        QTest::newRow("no kind") << QString() << QStringLiteral("CKDB");
    }

    void transferKeepsTheKindItWasOpenedFor()
    {
        QFETCH(QString, opened);
        QFETCH(QString, stored);
        keepDocumentsAndStaff();
        QVERIFY(openNew(QStringLiteral("TfrmStockdb"), opened));
        header().FieldByName(QStringLiteral("JSR"))->SetAsString(PersonName);
        header().FieldByName(QStringLiteral("DCCID"))->SetAsInteger(1);
        header().FieldByName(QStringLiteral("DRCID"))->SetAsInteger(2);
        enterTwoLines();
        save();
        QVERIFY(!form->IsModified());
        QCOMPARE(QueryValue(QStringLiteral("select DBType from CKDBZB where DJBH = %1")
                                .arg(QuotedStr(number())))
                     .toString(),
                 stored);
    }

    // --- Stock adjustment ------------------------------------------------------------------

    void adjustmentKindsChooseCaptionColumnsAndPosting_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("bookShown");
        QTest::addColumn<QString>("quantityTitle");
        QTest::addColumn<double>("posted");
        // A line of book quantity 10 that counted 8.
        QTest::newRow("count sheet") << QStringLiteral("KCPD") << QStringLiteral("盘点单") << true
                                     << QStringLiteral("盘点数量") << -2.0;
        QTest::newRow("adjustment") << QStringLiteral("KCTZ") << QStringLiteral("库存调整单")
                                    << false << QStringLiteral("数量") << 8.0;
        QTest::newRow("opening stock") << QStringLiteral("KCCS") << QStringLiteral("库存初始单")
                                       << false << QStringLiteral("数量") << 8.0;
        QTest::newRow("unknown kind counts") << QStringLiteral("XXXX") << QStringLiteral("盘点单")
                                             << true << QStringLiteral("盘点数量") << -2.0;
    }

    void adjustmentKindsChooseCaptionColumnsAndPosting()
    {
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(bool, bookShown);
        QFETCH(QString, quantityTitle);
        QFETCH(double, posted);
        keepDocumentsAndStaff();
        auto *sheet = openNew<TFrmpd>(QStringLiteral("TFrmpd"), kind);
        QVERIFY(sheet);
        QCOMPARE(sheet->windowTitle(), caption);
        QCOMPARE(sheet->Label1->text(), caption);
        TDBGridColumns &columns = sheet->DBGrid1->Columns();
        QCOMPARE(columns.FindByFieldName(QStringLiteral("KCSL"))->Visible(), bookShown);
        QCOMPARE(columns.FindByFieldName(QStringLiteral("SL"))->Title().Caption(), quantityTitle);
        const auto labels = sheet->Panel3->findChildren<QLabel *>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [&](QLabel *label) {
            return label->text() == QStringLiteral("仓  库") && label->buddy() == sheet->DBLookupCK;
        }));

        header().FieldByName(QStringLiteral("CKID"))->SetAsInteger(1);
        TClientDataSet &mx = lines();
        mx.First();
        mx.Edit();
        mx.FieldByName(QStringLiteral("aBH"))
            ->SetAsString(QueryValue(QStringLiteral("select BH from HP where ID = 1")).toString());
        mx.FieldByName(QStringLiteral("KCSL"))->SetAsFloat(10);
        mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(8);
        mx.Post();
        save();
        QVERIFY(!form->IsModified());
        const QString billNo = number();
        QCOMPARE(QueryValue(QStringLiteral("select BillType from KCPDZB where DJBH = %1")
                                .arg(QuotedStr(billNo)))
                     .toString(),
                 sheet->AdjustmentKind());
        audit();
        QCOMPARE(value(QStringLiteral("select sum(SL*Flag) from Inv_ItemList where DJBH = %1 and "
                                      "CKID = 1 and HPID = 1")
                           .arg(QuotedStr(billNo))),
                 posted);
    }

    void aDocumentClosedUnsavedLeavesNothingForTheNextForm()
    {
        keepDocumentsAndStaff();
        QVERIFY(openNew(QStringLiteral("TFrmpd"), QStringLiteral("KCPD")));
        enterTwoLines();
        docsupport::closeDocument(form);
        QVERIFY(!form);
        // The same datasets, another kind: a new document of its own, nothing asked.
        auto *adjustment = openNew<TFrmpd>(QStringLiteral("TFrmpd"), QStringLiteral("KCTZ"));
        QVERIFY(adjustment);
        QCOMPARE(headerValue("BillType").toString(), QStringLiteral("KCTZ"));
        QCOMPARE(header().State(), dsInsert);
    }

    // --- Other stock change ----------------------------------------------------------------

    void otherChangeNeedsItsType()
    {
        keepDocumentsAndStaff();
        const int before = count(QStringLiteral("QTKCBDZB"));
        auto *change = openNew<TfrmQtkcbd>(QStringLiteral("TfrmQtkcbd"));
        QVERIFY(change);
        header().FieldByName(QStringLiteral("CKID"))->SetAsInteger(1);
        enterTwoLines();
        {
            TMessageBoxScript answers;
            save();
            QCOMPARE(answers.Count(), 1);
            QCOMPARE(answers.Last().Text, QStringLiteral("库存变动类型不能为空！"));
        }
        QVERIFY(focusedIn(change, change->DBLookupLX));
        QVERIFY(form->IsModified());
        QCOMPARE(count(QStringLiteral("QTKCBDZB")), before);
    }

    void otherChangeTypeLooksUpNameAndDirection_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("directionText");
        QTest::newRow("gift in") << 1 << QStringLiteral("赠品入库") << 1 << QStringLiteral("入库");
        QTest::newRow("write-off out")
            << 4 << QStringLiteral("报损出库") << 2 << QStringLiteral("出库");
    }

    void otherChangeTypeLooksUpNameAndDirection()
    {
        QFETCH(int, type);
        QFETCH(QString, name);
        QFETCH(int, direction);
        QFETCH(QString, directionText);
        keepDocumentsAndStaff();
        auto *change = openNew<TfrmQtkcbd>(QStringLiteral("TfrmQtkcbd"));
        QVERIFY(change);
        QVERIFY(change->DBLookupLX->SetKeyValue(type));
        QCOMPARE(headerValue("aQTKCBDLXMC").toString(), name);
        QCOMPARE(headerValue("CRLX").toInt(), direction);
        QCOMPARE(headerValue("aCRLX").toString(), directionText);
        header().FieldByName(QStringLiteral("CKID"))->SetAsInteger(1);
        enterTwoLines();
        save();
        QVERIFY(!form->IsModified());
        // The lines carry the direction of their header.
        QCOMPARE(value(QStringLiteral("select min(CRLX) from QTKCBD where ZBID = (select ID from "
                                      "QTKCBDZB where DJBH = %1)")
                           .arg(QuotedStr(number()))),
                 double(direction));
    }

    // --- Product intake --------------------------------------------------------------------

    void productIntakeNewHeaderDefaults()
    {
        keepDocumentsAndStaff();
        FuncRight().DefaultWarehouseID = 3;
        QVERIFY(openNew(QStringLiteral("TfrmProductIn")));
        QCOMPARE(headerValue("CKID").toInt(), 3);
        QCOMPARE(headerValue("CZY").toString(), FuncRight().UserName);
        QCOMPARE(headerValue("RQ").toDate(), Data().GetServerDate());
        QCOMPARE(form->windowTitle(), QStringLiteral("产品进仓单"));
        QCOMPARE(form->FObjectName, QStringLiteral("mnuCpjc"));
        QCOMPARE(form->strZbMainTable, QStringLiteral("CPJCZB"));
    }

    void productIntakeTotalFollowsTheLinesWithoutTax()
    {
        keepDocumentsAndStaff();
        QVERIFY(openNew(QStringLiteral("TfrmProductIn")));
        header().FieldByName(QStringLiteral("CKID"))->SetAsInteger(2);
        enterTwoLines();
        QCOMPARE(headerValue("JE").toDouble(), 80.0); // 3 * 10 + 4 * 12.5
        TClientDataSet &mx = lines();
        mx.First();
        mx.Edit();
        mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(5);
        mx.Post();
        QCOMPARE(headerValue("JE").toDouble(), 100.0);
        mx.Edit();
        mx.FieldByName(QStringLiteral("DJ"))->SetAsFloat(1.005);
        mx.Cancel();
        QCOMPARE(headerValue("JE").toDouble(), 100.0);
        mx.Delete();
        QCOMPARE(headerValue("JE").toDouble(), 50.0);
        save();
        QVERIFY(!form->IsModified());
        QCOMPARE(
            value(QStringLiteral("select JE from CPJCZB where DJBH = %1").arg(QuotedStr(number()))),
            50.0);
    }

    void productIntakePickerOffersProductsOnly()
    {
        keepDocumentsAndStaff();
        QVERIFY(openNew(QStringLiteral("TfrmProductIn")));
        form->DBGrid1->SetSelectedIndex(0);
        bool productsOnly = false;
        auto picked = vztest::whenModal<TfrmSelectItem>([&](TfrmSelectItem &picker) {
            productsOnly = picker.IsProduct->isChecked() && !picker.IsMaterial->isChecked();
            picker.btnCancel->click();
        });
        form->DBGrid1->OnEditButtonClick(*form->DBGrid1);
        QVERIFY(picked);
        QVERIFY(productsOnly);
    }
};

QTEST_MAIN(TestDocStock)
#include "tst_docstock.moc"
