// The sales receipt and the purchase payment on a real server with the demo account set: the
// line list built from a partner's open credit documents, the balance figures, the automatic
// allocation, reopening a stored settlement, the bookkeeping of the final audit and its undoing,
// two settlements racing for one document, and the small windows around them.
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/dbtypes.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/allocation.h"
#include "client/documents/recordinfo.h"
#include "client/documents/settlement.h"
#include "client/documents/xskd.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "support/testworld.h"
#include "support/whenmodal.h"
#include "tradesupport.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using docsupport::flush;

namespace {

// Which of the two settlements a case runs on, and the tables it reaches.
struct TKind
{
    const char *ClassName;
    const char *HeaderTable;
    const char *PartnerTable;
    const char *PartnerKey;
    const char *PartnerCode;
    const char *SettledTable;
    const char *CreditField;
    const char *PaidField;
    const char *PaidColumn;
    const char *OpenColumn;
    const char *Prefix; // the settled documents' numbers
    QString (*HeaderQuery)(const QString &where);
};

const TKind Receipt{"TfrmXssk", "XSSKZB", "KH",    "KHID",  "aKHBH", "XSKDZB",
                    "XSLX",     "YSJE",   "aYSJE", "aMSJE", "XST",   &TfrmXssk::HeaderQuery};
const TKind Payment{"TfrmCgfk", "CGFKZB", "GYS",   "GYSID", "aGYSBH", "CGSHZB",
                    "CGLX",     "YFJE",   "aYFJE", "aMFJE", "CST",    &TfrmCgfk::HeaderQuery};

const TKind &kindOf(bool payment)
{
    return payment ? Payment : Receipt;
}

constexpr int Partner = 9001;
constexpr int OtherPartner = 9002;
constexpr int FirstDocument = 99001;

double stored(const QString &sql)
{
    return QueryValue(sql).toDouble();
}

} // namespace

class TestDocReceipts : public docsupport::TDocumentTest<TfrmSettlement>
{
    Q_OBJECT

public:
    TestDocReceipts()
        : TDocumentTest(QStringList{QStringLiteral("XSSKZB"), QStringLiteral("XSSK"),
                                    QStringLiteral("CGFKZB"), QStringLiteral("CGFK"),
                                    QStringLiteral("XSKDZB"), QStringLiteral("CGSHZB")})
    {}

private:
    // A partner of its own with the open amounts given (amount, paid so far) as credit
    // documents in that order, a cash one and a fully paid credit one beside them; the
    // partner owes the open amounts and holds balance in advances.
    bool givePartner(const TKind &kind, QList<std::pair<double, double>> documents,
                     double balance = 0)
    {
        if (!keepDocuments({QStringLiteral("KH"), QStringLiteral("GYS")}))
            return false;
        double owed = 0;
        QStringList script;
        for (int partner : {Partner, OtherPartner})
            script << QStringLiteral("insert into %1 (ID, BH, MC, QC, DZ, DH, NSH, KHYH, YHZH) "
                                     "values (%2, 'T%2', '测试伙伴%2', '测试伙伴%2有限公司', "
                                     "'北京路%2号', '0755-%2', 'NS%2', '测试银行', 'YH%2')")
                          .arg(QLatin1String(kind.PartnerTable))
                          .arg(partner);
        documents.append({80, 80}); // settled already
        const QString table = QLatin1String(kind.SettledTable);
        const bool receipt = kind.SettledTable == Receipt.SettledTable;
        for (int i = 0; i < documents.size(); ++i) {
            const auto [amount, paid] = documents[i];
            owed += amount - paid;
            const QString id = QString::number(FirstDocument + i);
            script << QStringLiteral("insert into %1 (ID, DJBH, RQ, JE, %2, %3, %4, uFlag%5) ")
                              .arg(table, QLatin1String(kind.PartnerKey),
                                   QLatin1String(kind.CreditField), QLatin1String(kind.PaidField),
                                   receipt ? QStringLiteral(", SKQX") : QString()) +
                          QStringLiteral("values (%1, '%2', #2026-01-05#, %3, %4, 2, %5, 1%6)")
                              .arg(id, QLatin1String(kind.Prefix) + id, QString::number(amount),
                                   QString::number(Partner), QString::number(paid),
                                   receipt ? QStringLiteral(", 30") : QString());
        }
        // A draft is not owed yet.
        const QString draft = QString::number(FirstDocument + 40);
        script << QStringLiteral("insert into %1 (ID, DJBH, RQ, JE, %2, %3, %4, uFlag) ")
                          .arg(table, QLatin1String(kind.PartnerKey),
                               QLatin1String(kind.CreditField), QLatin1String(kind.PaidField)) +
                      QStringLiteral("values (%1, '%2', #2026-01-06#, 70, %3, 2, 0, 0)")
                          .arg(draft, QLatin1String(kind.Prefix) + draft, QString::number(Partner));
        // A cash document is never open.
        const QString cash = QString::number(FirstDocument + 50);
        script << QStringLiteral("insert into %1 (ID, DJBH, RQ, JE, %2, %3, uFlag) ")
                          .arg(table, QLatin1String(kind.PartnerKey),
                               QLatin1String(kind.CreditField)) +
                      QStringLiteral("values (%1, '%2', #2026-01-06#, 500, %3, 1, 1)")
                          .arg(cash, QLatin1String(kind.Prefix) + cash, QString::number(Partner));
        script << QStringLiteral("update %1 set QMJE = %2, YXJE = %3 where ID = %4")
                      .arg(QLatin1String(kind.PartnerTable))
                      .arg(owed)
                      .arg(balance)
                      .arg(Partner);
        return ExecSQLScript(script);
    }

    TfrmSettlement *openNew(const TKind &kind)
    {
        form = qobject_cast<TfrmSettlement *>(tradesupport::openNew(QLatin1String(kind.ClassName)));
        return form;
    }

    // A stored settlement, as a list opens it.
    TfrmSettlement *openStored(const TKind &kind, qint64 id)
    {
        TClientDataSet &headers = Data().DataSetByName(QLatin1String(kind.HeaderTable));
        headers.Close();
        headers.SetCommandText(kind.HeaderQuery(QStringLiteral(" where Z.ID = %1").arg(id)));
        headers.Open();
        form = qobject_cast<TfrmSettlement *>(TFormRegistry::Create(QLatin1String(kind.ClassName)));
        if (!form)
            return nullptr;
        form->show();
        flush();
        return form;
    }

    void choosePartner(const TKind &kind, int partner = Partner)
    {
        tradesupport::setHeader(form, kind.PartnerCode, QStringLiteral("T%1").arg(partner));
        tradesupport::setHeader(form, "ZHID", 1);
    }

    void setAmount(double amount, bool useBalance = false)
    {
        tradesupport::setHeader(form, "JE", amount);
        tradesupport::setHeader(form, "SYJY", useBalance);
    }

    void setType(const QString &type) { tradesupport::setHeader(form, "aFKLX", type); }

    QList<double> column(const char *name)
    {
        QList<double> values;
        const TField *field = lines().FieldByName(QLatin1String(name));
        for (int row = 0; row < lines().RowCount(); ++row)
            values << lines().RowValue(row, field).toDouble();
        return values;
    }

    void setLineAmount(int row, double amount)
    {
        lines().MoveToRow(row);
        lines().Edit();
        lines().FieldByName(QStringLiteral("JE"))->SetAsFloat(amount);
        lines().Post();
    }

    qint64 save()
    {
        form->aSave->trigger();
        flush();
        return form->IsModified() ? 0 : header().FieldByName(QStringLiteral("ID"))->AsLargeInt();
    }

    // Audits up to the final level.
    void auditFully()
    {
        const int levels = qMax(1, FuncRight().AuditNum);
        for (int level = 0; level < levels; ++level)
            tradesupport::audit(form);
    }

    double paidOf(const TKind &kind, int document)
    {
        return stored(QStringLiteral("select %1 from %2 where ID = %3")
                          .arg(QLatin1String(kind.PaidField), QLatin1String(kind.SettledTable))
                          .arg(FirstDocument + document));
    }

    // "QMJE/YXJE" of the partner.
    QString balancesOf(const TKind &kind)
    {
        TTmpDataSet row;
        row->SetCommandText(QStringLiteral("select QMJE, YXJE from %1 where ID = %2")
                                .arg(QLatin1String(kind.PartnerTable))
                                .arg(Partner));
        row->Open();
        return QStringLiteral("%1/%2")
            .arg(row->Fields(0)->AsFloat(), 0, 'f', 2)
            .arg(row->Fields(1)->AsFloat(), 0, 'f', 2);
    }

    static void kinds()
    {
        QTest::addColumn<bool>("payment");
        QTest::newRow("receipt") << false;
        QTest::newRow("payment") << true;
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

    // --- The spreading alone -------------------------------------------------------------------

    void spreading_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QList<double>>("open");
        QTest::addColumn<QList<double>>("taken");
        QTest::newRow("runs out on the third")
            << 300.0 << QList<double>{100, 150, 200} << QList<double>{100, 150, 50};
        QTest::newRow("covers all")
            << 500.0 << QList<double>{100, 150, 200} << QList<double>{100, 150, 200};
        QTest::newRow("nothing") << 0.0 << QList<double>{100, 150} << QList<double>{0, 0};
        QTest::newRow("runs out exactly")
            << 250.0 << QList<double>{100, 150, 200} << QList<double>{100, 150, 0};
        QTest::newRow("cents") << 0.3 << QList<double>{0.1, 0.1, 0.1, 0.1}
                               << QList<double>{0.1, 0.1, 0.1, 0};
        QTest::newRow("negative amount") << -5.0 << QList<double>{10} << QList<double>{0};
    }

    void spreading()
    {
        QFETCH(double, amount);
        QFETCH(QList<double>, open);
        QFETCH(QList<double>, taken);
        QCOMPARE(allocation::Spread(amount, open), taken);
    }

    void oneDocument_data()
    {
        QTest::addColumn<double>("held");
        QTest::addColumn<double>("open");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("taken");
        QTest::newRow("all that is open") << 0.0 << 150.0 << 400.0 << 150.0;
        QTest::newRow("what is left") << 0.0 << 150.0 << 60.5 << 60.5;
        QTest::newRow("nothing left") << 0.0 << 150.0 << 0.0 << 0.0;
        QTest::newRow("overspent") << 0.0 << 150.0 << -20.0 << 0.0;
        QTest::newRow("the clerk's figure stays") << 20.0 << 150.0 << 400.0 << 20.0;
    }

    void oneDocument()
    {
        QFETCH(double, held);
        QFETCH(double, open);
        QFETCH(double, left);
        QFETCH(double, taken);
        QCOMPARE(allocation::TakeForOne(held, open, left), taken);
    }

    // --- The line list ---------------------------------------------------------------------------

    void newSettlementDefaults_data() { kinds(); }

    void newSettlementDefaults()
    {
        QFETCH(bool, payment);
        const TKind &kind = kindOf(payment);
        QVERIFY(openNew(kind));
        QCOMPARE(header().FieldByName(QStringLiteral("FKLX"))->AsInteger(), 1);
        QCOMPARE(header().FieldByName(QStringLiteral("aFKLX"))->AsString(),
                 payment ? QStringLiteral("应付款") : QStringLiteral("应收款"));
        QCOMPARE(header().FieldByName(QStringLiteral("CZY"))->AsString(), FuncRight().UserName);
        QVERIFY(!header().FieldByName(QStringLiteral("SYJY"))->AsBoolean());
        QVERIFY(header().FieldByName(QStringLiteral("SFKFSID"))->AsInteger() != 0);
        QCOMPARE(lines().RowCount(), 0);
        QVERIFY(!form->aInsert->isVisible());
        QVERIFY(!form->aDelete->isVisible());
        QCOMPARE(form->aKhXx != nullptr, !payment);
        // No line can be added by hand.
        bool refused = false;
        try {
            lines().Append();
        } catch (const EAbort &) {
            refused = true;
        }
        QVERIFY(refused);
        QCOMPARE(lines().RowCount(), 0);
    }

    void thePartnersOpenCreditDocumentsBecomeTheLines_data() { kinds(); }

    void thePartnersOpenCreditDocumentsBecomeTheLines()
    {
        QFETCH(bool, payment);
        const TKind &kind = kindOf(payment);
        QVERIFY(givePartner(kind, {{100, 0}, {200, 50}, {250, 50}}, 40));
        QVERIFY(openNew(kind));
        choosePartner(kind);
        QCOMPARE(lines().RowCount(), 3);
        QCOMPARE(column("aDDJE"), (QList<double>{100, 200, 250}));
        QCOMPARE(column(kind.PaidColumn), (QList<double>{0, 50, 50}));
        QCOMPARE(column(kind.OpenColumn), (QList<double>{100, 150, 200}));
        QCOMPARE(column("JE"), (QList<double>{0, 0, 0}));
        QCOMPARE(lines().FieldByName(QStringLiteral("aDDBH"))->AsString(),
                 QStringLiteral("%1%2").arg(QLatin1String(kind.Prefix)).arg(FirstDocument));
        // A receipt shows when the money is due, a payment the receipt's date.
        QCOMPARE(lines().FieldByName(QLatin1String(payment ? "aDDRQ" : "aSKQX"))->AsDate(),
                 payment ? QDate(2026, 1, 5) : QDate(2026, 2, 4));
        QCOMPARE(header().FieldByName(QStringLiteral("JEA"))->AsFloat(), 40.0);
        // The keys that add a line elsewhere add none.
        lines().Last();
        form->DBGrid1->setFocus();
        QTest::keyClick(form->DBGrid1, Qt::Key_Down);
        QTest::keyClick(form->DBGrid1, Qt::Key_Insert);
        QCOMPARE(lines().RowCount(), 3);

        // An advance settles nothing, so it cannot use the balance either.
        setType(payment ? QStringLiteral("预付款") : QStringLiteral("预收款"));
        QCOMPARE(header().FieldByName(QStringLiteral("FKLX"))->AsInteger(), 2);
        QCOMPARE(lines().RowCount(), 0);
        QVERIFY(!form->DBCheckSYJY->isEnabled());
        setType(payment ? QStringLiteral("应付款") : QStringLiteral("应收款"));
        QCOMPARE(lines().RowCount(), 3);
        QVERIFY(form->DBCheckSYJY->isEnabled());

        // The list follows the partner.
        choosePartner(kind, OtherPartner);
        QCOMPARE(lines().RowCount(), 0);
        QCOMPARE(header().FieldByName(QStringLiteral("JEA"))->AsFloat(), 0.0);
    }

    // --- Balance figures and allocation ----------------------------------------------------------

    void allocatingAll_data()
    {
        QTest::addColumn<bool>("payment");
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("useBalance");
        QTest::addColumn<QList<double>>("taken");
        QTest::addColumn<QString>("figures"); // 结余款/可用总金额/余额
        QTest::newRow("300 over 100 150 200")
            << false << 300.0 << false << QList<double>{100, 150, 50}
            << QStringLiteral("0.00/300.00/0.00");
        QTest::newRow("with the balance") << false << 300.0 << true << QList<double>{100, 150, 90}
                                          << QStringLiteral("40.00/340.00/0.00");
        QTest::newRow("more than is open")
            << false << 1500.0 << false << QList<double>{100, 150, 200}
            << QStringLiteral("0.00/1,500.00/1,050.00");
        QTest::newRow("payment") << true << 300.0 << false << QList<double>{100, 150, 50}
                                 << QStringLiteral("0.00/300.00/0.00");
    }

    void allocatingAll()
    {
        QFETCH(bool, payment);
        QFETCH(double, amount);
        QFETCH(bool, useBalance);
        QFETCH(QList<double>, taken);
        QFETCH(QString, figures);
        const TKind &kind = kindOf(payment);
        QVERIFY(givePartner(kind, {{100, 0}, {200, 50}, {250, 50}}, 40));
        QVERIFY(openNew(kind));
        choosePartner(kind);
        setAmount(amount, useBalance);
        form->aZdfk->trigger();
        QCOMPARE(column("JE"), taken);
        QCOMPARE(QStringLiteral("%1/%2/%3")
                     .arg(form->labJYJ->text(), form->labKYZJE->text(), form->labRemaining->text()),
                 figures);
        QCOMPARE(lines().RecNo(), 1);
    }

    void allocatingTheCurrentDocument()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}, {200, 50}, {250, 50}}));
        QVERIFY(openNew(Receipt));
        choosePartner(Receipt);
        setAmount(120);
        form->aZdfk->trigger();
        QCOMPARE(column("JE"), (QList<double>{100, 20, 0}));
        // Nothing is left for the third.
        lines().MoveToRow(2);
        form->aZdfkB->trigger();
        QCOMPARE(column("JE"), (QList<double>{100, 20, 0}));
        // More money: the third takes what is open on it, as far as it goes ...
        setAmount(300);
        lines().MoveToRow(2);
        form->aZdfkB->trigger();
        QCOMPARE(column("JE"), (QList<double>{100, 20, 180}));
        QCOMPARE(form->Remaining(), 0.0);
        // ... and a document that holds an amount keeps the clerk's figure.
        setAmount(500);
        lines().MoveToRow(1);
        form->aZdfkB->trigger();
        QCOMPARE(column("JE"), (QList<double>{100, 20, 180}));
        QCOMPARE(form->labRemaining->text(), QStringLiteral("200.00"));
        // A typed amount moves the figures.
        setLineAmount(1, 150);
        QCOMPARE(form->labRemaining->text(), QStringLiteral("70.00"));
    }

    void changingTheSettledDocumentFillsItsFigures()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}, {200, 50}}));
        QVERIFY(openNew(Receipt));
        choosePartner(Receipt);
        lines().First();
        lines().Edit();
        lines().FieldByName(QStringLiteral("DDID"))->SetAsInteger(FirstDocument + 1);
        QCOMPARE(lines().FieldByName(QStringLiteral("aDDBH"))->AsString(),
                 QStringLiteral("XST%1").arg(FirstDocument + 1));
        QCOMPARE(lines().FieldByName(QStringLiteral("aSKQX"))->AsDate(), QDate(2026, 2, 4));
        QCOMPARE(lines().FieldByName(QStringLiteral("aDDJE"))->AsFloat(), 200.0);
        QCOMPARE(lines().FieldByName(QStringLiteral("aYSJE"))->AsFloat(), 50.0);
        QCOMPARE(lines().FieldByName(QStringLiteral("aMSJE"))->AsFloat(), 150.0);
        lines().Cancel();
    }

    // --- Saving ---------------------------------------------------------------------------------

    void savingRefusesMoreThanIsOpenOrAvailable_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("message");
        QTest::newRow("more than is open")
            << 0 << 100.5
            << QStringLiteral("销售单 XST%1 的本次收款超过未收金额，不能保存！").arg(FirstDocument);
        QTest::newRow("a cent more once rounded")
            << 0 << 100.005
            << QStringLiteral("销售单 XST%1 的本次收款超过未收金额，不能保存！").arg(FirstDocument);
        QTest::newRow("negative") << 1 << -1.0
                                  << QStringLiteral("销售单 XST%1 的本次收款不能为负数，不能保存！")
                                         .arg(FirstDocument + 1);
        QTest::newRow("more than available")
            << 1 << 150.0 << QStringLiteral("本次收款合计超过可用总金额，不能保存！");
    }

    void savingRefusesMoreThanIsOpenOrAvailable()
    {
        QFETCH(int, row);
        QFETCH(double, amount);
        QFETCH(QString, message);
        QVERIFY(givePartner(Receipt, {{100, 0}, {200, 50}}));
        QVERIFY(openNew(Receipt));
        choosePartner(Receipt);
        setAmount(100);
        setLineAmount(row, amount);
        const double receipts = stored(QStringLiteral("select count(*) from XSSKZB"));
        {
            TMessageBoxScript boxes{mrOk};
            QCOMPARE(save(), qint64(0));
            QCOMPARE(boxes.Last().Text, message);
        }
        QCOMPARE(stored(QStringLiteral("select count(*) from XSSKZB")), receipts);
    }

    void anAdvanceIsSavedWithoutLines()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}}));
        QVERIFY(openNew(Receipt));
        choosePartner(Receipt);
        setType(QStringLiteral("预收款"));
        setAmount(500);
        const qint64 id = save();
        QVERIFY(id != 0);
        QCOMPARE(stored(QStringLiteral("select JE from XSSKZB where ID = %1").arg(id)), 500.0);
        QCOMPARE(stored(QStringLiteral("select FKJE from XSSKZB where ID = %1").arg(id)), 500.0);
        QCOMPARE(stored(QStringLiteral("select FKLX from XSSKZB where ID = %1").arg(id)), 2.0);
        QCOMPARE(stored(QStringLiteral("select count(*) from XSSK where ZBID = %1").arg(id)), 0.0);
    }

    // --- Audit: the settled documents and the partner's balances --------------------------------

    void theFinalAuditBooksAndUndoingItRestores_data()
    {
        QTest::addColumn<bool>("payment");
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("useBalance");
        QTest::addColumn<QString>("typeText");
        QTest::addColumn<QList<double>>("paidAfter");
        QTest::addColumn<QString>("balancesAfter");
        // Owed 450 (100 + 150 + 200), 40 in advances.
        QTest::newRow("remainder raises the balance")
            << false << 470.0 << false << QString() << QList<double>{100, 200, 250}
            << QStringLiteral("0.00/60.00");
        QTest::newRow("the balance used")
            << false << 300.0 << true << QString() << QList<double>{100, 200, 140}
            << QStringLiteral("110.00/0.00");
        QTest::newRow("advance") << false << 500.0 << false << QStringLiteral("预收款")
                                 << QList<double>{0, 50, 50} << QStringLiteral("450.00/540.00");
        QTest::newRow("payment") << true << 320.0 << false << QString()
                                 << QList<double>{100, 200, 120} << QStringLiteral("130.00/40.00");
    }

    void theFinalAuditBooksAndUndoingItRestores()
    {
        QFETCH(bool, payment);
        QFETCH(double, amount);
        QFETCH(bool, useBalance);
        QFETCH(QString, typeText);
        QFETCH(QList<double>, paidAfter);
        QFETCH(QString, balancesAfter);
        const TKind &kind = kindOf(payment);
        QVERIFY(givePartner(kind, {{100, 0}, {200, 50}, {250, 50}}, 40));
        const QString before = balancesOf(kind);
        QCOMPARE(before, QStringLiteral("450.00/40.00"));
        QVERIFY(openNew(kind));
        choosePartner(kind);
        if (!typeText.isEmpty())
            setType(typeText);
        setAmount(amount, useBalance);
        form->aZdfk->trigger();
        QVERIFY(save() != 0);
        // A draft books nothing.
        QCOMPARE(paidOf(kind, 0), 0.0);
        QCOMPARE(balancesOf(kind), before);

        auditFully();
        QCOMPARE((QList<double>{paidOf(kind, 0), paidOf(kind, 1), paidOf(kind, 2)}), paidAfter);
        QCOMPARE(balancesOf(kind), balancesAfter);
        // What is still owed net of advances falls by the money received, whatever it settled.
        const QStringList owed = balancesAfter.split(QLatin1Char('/'));
        QCOMPARE(owed[0].toDouble() - owed[1].toDouble(), 450 - 40 - amount);

        tradesupport::unAudit(form);
        QCOMPARE(header().FieldByName(QStringLiteral("uFlag"))->AsInteger(), 0);
        QCOMPARE((QList<double>{paidOf(kind, 0), paidOf(kind, 1), paidOf(kind, 2)}),
                 (QList<double>{0, 50, 50}));
        QCOMPARE(balancesOf(kind), before);
    }

    void reopeningShowsPaidWithoutAndOpenWithItsOwnShare()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}, {200, 50}, {250, 50}}));
        QVERIFY(openNew(Receipt));
        choosePartner(Receipt);
        setAmount(300);
        form->aZdfk->trigger();
        const qint64 id = save();
        QVERIFY(id != 0);
        auditFully();
        docsupport::closeDocument(form);

        QVERIFY(openStored(Receipt, id));
        QCOMPARE(header().FieldByName(QStringLiteral("uFlag"))->AsInteger(),
                 qMax(1, FuncRight().AuditNum));
        QVERIFY(!form->DBCheckSYJY->isEnabled());
        QVERIFY(!form->aZdfk->isEnabled());
        QCOMPARE(column("JE"), (QList<double>{100, 150, 50}));
        QCOMPARE(column("aYSJE"), (QList<double>{0, 50, 50}));
        QCOMPARE(column("aMSJE"), (QList<double>{100, 150, 200}));
        QCOMPARE(lines().FieldByName(QStringLiteral("aSKQX"))->AsDate(), QDate(2026, 2, 4));
        // A draft's amounts are not in the documents yet: the same figures.
        tradesupport::unAudit(form);
        docsupport::closeDocument(form);
        QVERIFY(openStored(Receipt, id));
        QCOMPARE(column("aYSJE"), (QList<double>{0, 50, 50}));
        QCOMPARE(column("aMSJE"), (QList<double>{100, 150, 200}));
    }

    void twoReceiptsForOneDeliverySettleItOnce()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}}));
        // Two clerks each enter a receipt for the whole delivery.
        qint64 ids[2] = {};
        for (qint64 &id : ids) {
            QVERIFY(openNew(Receipt));
            choosePartner(Receipt);
            setAmount(100);
            form->aZdfk->trigger();
            QCOMPARE(column("JE"), QList<double>{100});
            id = save();
            QVERIFY(id != 0);
            docsupport::closeDocument(form);
        }
        QVERIFY(openStored(Receipt, ids[0]));
        auditFully();
        QCOMPARE(paidOf(Receipt, 0), 100.0);
        const QString afterFirst = balancesOf(Receipt);
        QCOMPARE(afterFirst, QStringLiteral("0.00/0.00"));
        docsupport::closeDocument(form);

        QVERIFY(openStored(Receipt, ids[1]));
        {
            TMessageBoxScript boxes{mrYes, mrOk};
            form->aAudit->trigger();
            QCOMPARE(boxes.Last().Text,
                     QStringLiteral("销售单 XST%1 已反审或未收金额不足本次收款，请重新打开收款单。")
                         .arg(FirstDocument));
        }
        QCOMPARE(header().FieldByName(QStringLiteral("uFlag"))->AsInteger(), 0);
        QCOMPARE(stored(QStringLiteral("select uFlag from XSSKZB where ID = %1").arg(ids[1])), 0.0);
        QCOMPARE(paidOf(Receipt, 0), 100.0);
        QCOMPARE(balancesOf(Receipt), afterFirst);
    }

    // The delivery went back to draft after the receipt was entered: it is not owed any more.
    void aDeliveryUnauditedMeanwhileIsNotSettled()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}}));
        QVERIFY(openNew(Receipt));
        choosePartner(Receipt);
        setAmount(100);
        form->aZdfk->trigger();
        const qint64 id = save();
        QVERIFY(id != 0);
        QVERIFY(ExecSQL(
            QStringLiteral("update XSKDZB set uFlag = 0 where ID = %1").arg(FirstDocument)));
        {
            TMessageBoxScript boxes{mrYes, mrOk};
            form->aAudit->trigger();
            QCOMPARE(boxes.Last().Text,
                     QStringLiteral("销售单 XST%1 已反审或未收金额不足本次收款，请重新打开收款单。")
                         .arg(FirstDocument));
        }
        QCOMPARE(stored(QStringLiteral("select uFlag from XSSKZB where ID = %1").arg(id)), 0.0);
        QCOMPARE(paidOf(Receipt, 0), 0.0);
    }

    void usingMoreBalanceThanIsLeftIsRefused()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}}, 60));
        QVERIFY(openNew(Receipt));
        choosePartner(Receipt);
        setAmount(40, true);
        form->aZdfk->trigger();
        QCOMPARE(column("JE"), QList<double>{100});
        QVERIFY(save() != 0);
        // The balance went elsewhere meanwhile.
        QVERIFY(ExecSQL(QStringLiteral("update KH set YXJE = 30 where ID = %1").arg(Partner)));
        {
            TMessageBoxScript boxes{mrYes, mrOk};
            form->aAudit->trigger();
            QCOMPARE(boxes.Last().Text,
                     QStringLiteral("客户 测试伙伴%1 的结余款不足本次使用，请重新打开收款单。")
                         .arg(Partner));
        }
        QCOMPARE(paidOf(Receipt, 0), 0.0);
        QCOMPARE(balancesOf(Receipt), QStringLiteral("100.00/30.00"));
    }

    void anAdvanceWhoseBalanceWasUsedStaysAudited()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}}));
        QVERIFY(openNew(Receipt));
        choosePartner(Receipt);
        setType(QStringLiteral("预收款"));
        setAmount(500);
        QVERIFY(save() != 0);
        auditFully();
        QCOMPARE(balancesOf(Receipt), QStringLiteral("100.00/500.00"));
        // Another receipt used most of it meanwhile.
        QVERIFY(ExecSQL(QStringLiteral("update KH set YXJE = 200 where ID = %1").arg(Partner)));
        {
            TMessageBoxScript boxes{mrYes, mrOk};
            form->aUnAudit->trigger();
            QCOMPARE(boxes.Last().Text,
                     QStringLiteral("客户 测试伙伴%1 的结余款已被使用，不能反审。").arg(Partner));
        }
        QCOMPARE(header().FieldByName(QStringLiteral("uFlag"))->AsInteger(),
                 qMax(1, FuncRight().AuditNum));
        QCOMPARE(balancesOf(Receipt), QStringLiteral("100.00/200.00"));
    }

    // A draft receipt of the demo account set fits what is open when it is audited at last.
    void aDemoDraftReceiptCanBeAudited()
    {
        QVERIFY(keepDocuments({QStringLiteral("KH"), QStringLiteral("GYS")}));
        const qint64 id =
            QueryValue(QStringLiteral("select max(Z.ID) from XSSKZB Z where Z.uFlag = 0 and "
                                      "Z.FKLX = 1 and exists (select 1 from XSSK where ZBID = "
                                      "Z.ID)"))
                .toLongLong();
        if (id == 0)
            QSKIP("the demo account set has no draft receipt");
        const double open = stored(QStringLiteral("select sum(S.JE - S.YSJE) from XSKDZB S where "
                                                  "S.ID in (select DDID from XSSK where ZBID = %1)")
                                       .arg(id));
        const double settling =
            stored(QStringLiteral("select sum(JE) from XSSK where ZBID = %1").arg(id));
        QVERIFY(settling <= open + allocation::Tolerance);
        QVERIFY(openStored(Receipt, id));
        auditFully();
        QCOMPARE(header().FieldByName(QStringLiteral("uFlag"))->AsInteger(),
                 qMax(1, FuncRight().AuditNum));
        QCOMPARE(stored(QStringLiteral("select sum(S.JE - S.YSJE) from XSKDZB S where S.ID in "
                                       "(select DDID from XSSK where ZBID = %1)")
                            .arg(id)),
                 open - settling);
    }

    // --- The windows around ----------------------------------------------------------------------

    void theSettledDeliveryOpensReadOnly()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}, {200, 50}}));
        QVERIFY(openNew(Receipt));
        choosePartner(Receipt);
        lines().MoveToRow(1);
        auto viewed = vztest::whenModal<TfrmSalOunt>([](TfrmSalOunt &delivery) {
            QCOMPARE(delivery.FOpenMode, QStringLiteral("V"));
            QVERIFY(delivery.FSingleBill);
            TClientDataSet &deliveries = *delivery.ZbDataSet();
            QCOMPARE(deliveries.RecordCount(), 1);
            QCOMPARE(deliveries.FieldByName(QStringLiteral("DJBH"))->AsString(),
                     QStringLiteral("XST%1").arg(FirstDocument + 1));
            QVERIFY(!delivery.aSave->isEnabled());
            delivery.Close();
        });
        form->aCKGJD->trigger();
        QVERIFY(viewed);
    }

    void theCustomersParticulars()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}}));
        auto info = std::unique_ptr<TfrmKhXx>(CreateForm<TfrmKhXx>());
        QCOMPARE(info->windowTitle(), QStringLiteral("客户资料"));
        QVERIFY(info->Load(Partner));
        QCOMPARE(info->ValueText(QStringLiteral("客户全称：")),
                 QStringLiteral("测试伙伴%1有限公司").arg(Partner));
        QCOMPARE(info->ValueText(QStringLiteral("银行帐号：")),
                 QStringLiteral("YH%1").arg(Partner));
        QVERIFY(!info->Load(-1));
        QVERIFY(info->ValueText(QStringLiteral("客户全称：")).isEmpty());
    }

    void theReceiptShowsItsCustomersParticulars()
    {
        QVERIFY(givePartner(Receipt, {{100, 0}}));
        QVERIFY(openNew(Receipt));
        choosePartner(Receipt);
        QString address;
        auto shown = vztest::whenModal<TfrmKhXx>([&](TfrmKhXx &info) {
            address = info.ValueText(QStringLiteral("地    址："));
            info.btnClose->click();
        });
        form->aKhXx->trigger();
        QVERIFY(shown);
        QCOMPARE(address, QStringLiteral("北京路%1号").arg(Partner));
    }

    void theAccountTransfer()
    {
        const qint64 id = QueryValue(QStringLiteral("select min(ID) from YHCKQK")).toLongLong();
        if (id == 0)
            QSKIP("the demo account set has no transfer");
        auto info = std::unique_ptr<TfrmYhckqkCk>(CreateForm<TfrmYhckqkCk>());
        QCOMPARE(info->windowTitle(), QStringLiteral("银行存款/取款"));
        QVERIFY(info->Load(id));
        QCOMPARE(
            info->ValueText(QStringLiteral("转出帐户：")),
            QueryValue(QStringLiteral("select MC from ZH where ID = (select ZCZHID from YHCKQK "
                                      "where ID = %1)")
                           .arg(id))
                .toString());
        QVERIFY(info->ValueText(QStringLiteral("金    额：")).contains(QLatin1Char('.')));
    }
};

QTEST_MAIN(TestDocReceipts)
#include "tst_docreceipts.moc"
