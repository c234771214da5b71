// The expenses and the other income through their windows on a real server with the demo
// account set: lines by category code or picker, the header total, the required payment
// method and account, the account a payment method brings, and what no category refuses.
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/fykz.h"
#include "client/documents/qtsr.h"
#include "client/documents/registerforms.h"
#include "client/forms/globalobj.h"
#include "client/forms/mdiwindows.h"
#include "client/masterdata/partnerhelp.h"
#include "client/masterdata/registerforms.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "support/testworld.h"
#include "support/whenmodal.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

double value(const QString &sql)
{
    return QueryValue(sql).toDouble();
}

using docsupport::flush;

} // namespace

class TestDocMoney : public docsupport::TDocumentTest<TfrmIncomeExpense>
{
    Q_OBJECT

public:
    TestDocMoney()
        : TDocumentTest(QStringList{QStringLiteral("FYKZZB"), QStringLiteral("FYKZ"),
                                    QStringLiteral("QTSRZB"), QStringLiteral("QTSR")})
    {}

private:
    QString number() { return header().FieldByName(QStringLiteral("DJBH"))->AsString(); }

    TfrmIncomeExpense *openNew(const QString &className)
    {
        TFrmRoot *created = TFormRegistry::Create(className);
        form = qobject_cast<TfrmIncomeExpense *>(created);
        if (!form) {
            delete created;
            return nullptr;
        }
        form->FOpenMode = QStringLiteral("A");
        form->show();
        flush();
        return form;
    }

    // Types a category code and an amount into the current line.
    void enterLine(const QString &code, double amount)
    {
        TClientDataSet &mx = lines();
        mx.Edit();
        mx.FieldByName(QStringLiteral("aBH"))->SetAsString(code);
        mx.FieldByName(QStringLiteral("JE"))->SetAsFloat(amount);
        mx.Post();
        mx.Next();
    }

    void save()
    {
        form->aSave->trigger();
        flush();
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

    void documentsByCategory_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("firstCode");
        QTest::addColumn<int>("firstCategory");
        QTest::addColumn<QString>("secondCode");
        QTest::addColumn<int>("secondCategory");
        QTest::newRow("expenses") << QStringLiteral("TfrmFykz") << QStringLiteral("费用开支")
                                  << QStringLiteral("FYKZ") << QStringLiteral("mnuFykz")
                                  << QStringLiteral("101") << 1 << QStringLiteral("105") << 5;
        QTest::newRow("other income") << QStringLiteral("TfrmQtsr") << QStringLiteral("其它收入")
                                      << QStringLiteral("QTSR") << QStringLiteral("mnuQtsr")
                                      << QStringLiteral("201") << 11 << QStringLiteral("204") << 14;
    }

    void documentsByCategory()
    {
        QFETCH(QString, className);
        QFETCH(QString, caption);
        QFETCH(QString, table);
        QFETCH(QString, objectName);
        QFETCH(QString, firstCode);
        QFETCH(int, firstCategory);
        QFETCH(QString, secondCode);
        QFETCH(int, secondCategory);
        QVERIFY(keepDocuments());
        QVERIFY(openNew(className));
        QCOMPARE(form->windowTitle(), caption);
        QCOMPARE(form->FObjectName, objectName);
        QVERIFY(!form->PanelBottom->isVisible()); // no barcode bar
        header().FieldByName(QStringLiteral("SFKFSID"))->SetAsInteger(1);
        header().FieldByName(QStringLiteral("ZHID"))->SetAsInteger(1);
        lines().First();
        enterLine(firstCode, 120.5);
        enterLine(secondCode, 30);
        lines().First();
        QCOMPARE(lines().FieldByName(QStringLiteral("SRZCLBID"))->AsInteger(), firstCategory);
        QCOMPARE(
            lines().FieldByName(QStringLiteral("aMC"))->AsString(),
            QueryValue(QStringLiteral("select MC from SRZCLB where ID = %1").arg(firstCategory))
                .toString());
        save();
        QVERIFY(!form->IsModified());
        const QString billNo = QuotedStr(number());
        QCOMPARE(value(QStringLiteral("select JE from %1ZB where DJBH = %2").arg(table, billNo)),
                 150.5);
        QCOMPARE(value(QStringLiteral("select count(*) from %1 where ZBID = (select ID from %1ZB "
                                      "where DJBH = %2)")
                           .arg(table, billNo)),
                 2.0);
        QCOMPARE(value(QStringLiteral("select SRZCLBID from %1 where HH = 2 and ZBID = (select "
                                      "ID from %1ZB where DJBH = %2)")
                           .arg(table, billNo)),
                 double(secondCategory));
    }

    void anUnknownCategoryCodeIsCleared()
    {
        QVERIFY(keepDocuments());
        QVERIFY(openNew(QStringLiteral("TfrmFykz")));
        TClientDataSet &mx = lines();
        mx.First();
        mx.Edit();
        {
            TMessageBoxScript answers;
            mx.FieldByName(QStringLiteral("aBH"))->SetAsString(QStringLiteral("9x'9"));
            QCOMPARE(answers.Count(), 1);
            QCOMPARE(answers.Last().Text, QStringLiteral("该收支类别不存在！"));
        }
        QCOMPARE(mx.FieldByName(QStringLiteral("aBH"))->AsString(), QString());
        QCOMPARE(mx.FieldByName(QStringLiteral("SRZCLBID"))->AsInteger(), 0);
        mx.Cancel();
    }

    void anExpenseWithoutCategoryIsRefused()
    {
        QVERIFY(keepDocuments());
        const double before = value(QStringLiteral("select count(*) from FYKZZB"));
        QVERIFY(openNew(QStringLiteral("TfrmFykz")));
        header().FieldByName(QStringLiteral("SFKFSID"))->SetAsInteger(1);
        header().FieldByName(QStringLiteral("ZHID"))->SetAsInteger(1);
        TClientDataSet &mx = lines();
        mx.First();
        mx.Edit();
        mx.FieldByName(QStringLiteral("JE"))->SetAsFloat(50);
        mx.FieldByName(QStringLiteral("ZY"))->SetAsString(QStringLiteral("没有类别"));
        mx.Post();
        {
            TMessageBoxScript answers;
            save();
            QCOMPARE(answers.Count(), 1);
            QCOMPARE(answers.Last().Text, QStringLiteral("单据明细为空，不能保存！"));
        }
        QVERIFY(form->IsModified());
        QCOMPARE(value(QStringLiteral("select count(*) from FYKZZB")), before);
    }

    void paymentMethodAndAccountAreRequired_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("account");
        QTest::addColumn<QString>("message");
        QTest::newRow("expense without a method")
            << QStringLiteral("TfrmFykz") << 0 << 1
            << QStringLiteral("'结算方式'未录入, 请继续录入!");
        QTest::newRow("expense without an account")
            << QStringLiteral("TfrmFykz") << 1 << 0 << QStringLiteral("'账户'未录入, 请继续录入!");
        QTest::newRow("income without a method") << QStringLiteral("TfrmQtsr") << 0 << 1
                                                 << QStringLiteral("'结算方式'未录入, 请继续录入!");
        QTest::newRow("income without an account")
            << QStringLiteral("TfrmQtsr") << 1 << 0 << QStringLiteral("'账户'未录入, 请继续录入!");
    }

    void paymentMethodAndAccountAreRequired()
    {
        QFETCH(QString, className);
        QFETCH(int, method);
        QFETCH(int, account);
        QFETCH(QString, message);
        QVERIFY(keepDocuments());
        QVERIFY(openNew(className));
        const QString table = form->strZbMainTable;
        const double before = value(QStringLiteral("select count(*) from ") + table);
        header().FieldByName(QStringLiteral("SFKFSID"))->SetAsInteger(method);
        header().FieldByName(QStringLiteral("ZHID"))->SetAsInteger(account);
        lines().First();
        enterLine(className == QLatin1String("TfrmFykz") ? QStringLiteral("101")
                                                         : QStringLiteral("201"),
                  10);
        {
            TMessageBoxScript answers;
            save();
            QCOMPARE(answers.Count(), 1);
            QCOMPARE(answers.Last().Text, message);
            QCOMPARE(answers.Last().Caption, QStringLiteral("录入错误"));
        }
        QVERIFY(form->IsModified());
        QCOMPARE(value(QStringLiteral("select count(*) from ") + table), before);
    }

    void aPaymentMethodBringsItsAccount()
    {
        QVERIFY(keepDocuments());
        QVERIFY(openNew(QStringLiteral("TfrmQtsr")));
        QVERIFY(form->DBLookupSFKFS->SetKeyValue(2));
        QCOMPARE(header().FieldByName(QStringLiteral("ZHID"))->AsInteger(),
                 QueryValue(QStringLiteral("select ZHID from SFKFS where ID = 2")).toInt());
    }

    void thePickerOffersTheKindsCategories_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("pickerCaption");
        QTest::addColumn<QString>("kindText");
        QTest::newRow("expenses") << QStringLiteral("TfrmFykz")
                                  << QStringLiteral("选择收支类别 - 支出类")
                                  << QStringLiteral("支出类");
        QTest::newRow("other income")
            << QStringLiteral("TfrmQtsr") << QStringLiteral("选择收支类别 - 收入类")
            << QStringLiteral("收入类");
    }

    void thePickerOffersTheKindsCategories()
    {
        QFETCH(QString, className);
        QFETCH(QString, pickerCaption);
        QFETCH(QString, kindText);
        QVERIFY(keepDocuments());
        QVERIFY(openNew(className));
        form->DBGrid1->SetSelectedIndex(0);
        QString caption;
        QVariant chosen;
        QStringList kinds;
        auto picked = vztest::whenModal<TfrmSrzclbHelp>([&](TfrmSrzclbHelp &picker) {
            caption = picker.windowTitle();
            TClientDataSet &offered = *picker.HelpDataSet;
            for (offered.First(); !offered.Eof(); offered.Next())
                kinds << offered.FieldByName(QStringLiteral("aSRL"))->AsString();
            offered.First();
            chosen = picker.HelpDataSet->FieldByName(QStringLiteral("ID"))->Value();
            picker.btnOk->click();
        });
        form->DBGrid1->OnEditButtonClick(*form->DBGrid1);
        QVERIFY(picked);
        QCOMPARE(caption, pickerCaption);
        kinds.removeDuplicates();
        QCOMPARE(kinds, QStringList{kindText});
        QCOMPARE(lines().FieldByName(QStringLiteral("SRZCLBID"))->Value().toInt(), chosen.toInt());
        QCOMPARE(
            lines().FieldByName(QStringLiteral("aBH"))->AsString(),
            QueryValue(QStringLiteral("select BH from SRZCLB where ID = %1").arg(chosen.toInt()))
                .toString());
        lines().Cancel();
    }
};

QTEST_MAIN(TestDocMoney)
#include "tst_docmoney.moc"
