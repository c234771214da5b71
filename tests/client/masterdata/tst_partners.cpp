// Customers, suppliers, accounts, payment methods, income and expense categories, kinds of
// other stock changes and bank transfers against a real server on the demo account set: the
// lists opened from the menu, the edit forms' rules, and the balances a transfer moves.
#include "client/common/pinyin.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/partneredit.h"
#include "client/masterdata/partnerlist.h"
#include "client/masterdata/registerforms.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using vztest::whenModal;

namespace {

int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

QString text(const QString &sql)
{
    return QueryValue(sql).toString();
}

void click(TDBTreeView *tree, const QString &key)
{
    QVERIFY(tree->SelectKey(key));
    Q_EMIT tree->clicked(tree->currentIndex());
}

// Types the text as key presses carrying it, which QTest::keyClicks cannot do for Chinese
// (a key code of 0 would be swallowed by the form's key hook as a handled key).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

// The control loses the focus as a Tab past it would take it (sent directly: an offscreen
// window need not be the active one).
void leave(QWidget *control)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(control, &out);
}

} // namespace

class TestPartners : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    std::unique_ptr<TfrmMain> main;

    template<class Form>
    Form *openFromMenu(const char *item, const char *formName)
    {
        main->Item(QLatin1String(item))->trigger();
        return qobject_cast<Form *>(GlobalObj().MDIWindows.FindForm(QLatin1String(formName)));
    }

private Q_SLOTS:
    void initTestCase()
    {
        RegisterMasterDataForms();
        QVERIFY2(world.start(), qPrintable(world.error()));
        main = std::make_unique<TfrmMain>();
        main->FormCreate();
        main->resize(1200, 800);
        main->show();
    }

    void cleanupTestCase()
    {
        main.reset();
        world.stop();
    }

    void cleanup() { world.cleanup(); }

    void regionClickListsCustomersOfTheRegionAndBelow_data()
    {
        QTest::addColumn<QString>("region");
        QTest::addColumn<QString>("regions"); // the region and every region below it
        QTest::newRow("east with its provinces") << "2"
                                                 << "2,10,11,12,13,14";
        QTest::newRow("a province") << "11"
                                    << "11";
        QTest::newRow("the whole country") << "1"
                                           << "";
    }

    void regionClickListsCustomersOfTheRegionAndBelow()
    {
        QFETCH(QString, region);
        QFETCH(QString, regions);
        auto *list = openFromMenu<TfrmCust>("mnuKh", "frmCust");
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("客户资料"));
        QVERIFY(list->PanelLeft->isVisible());
        TClientDataSet &ds = *list->ListDataSet;
        QCOMPARE(ds.RecordCount(), count(QStringLiteral("select count(*) from KH")));

        click(list->stDBTree1, region);
        const QString where =
            regions.isEmpty() ? QString()
                              : QStringLiteral(" where DQID in (") + regions + QStringLiteral(")");
        const int expected = count(QStringLiteral("select count(*) from KH") + where);
        QVERIFY(expected > 0);
        QCOMPARE(ds.RecordCount(), expected);
        for (ds.First(); !ds.Eof(); ds.Next()) {
            if (!regions.isEmpty())
                QVERIFY(regions.split(QLatin1Char(','))
                            .contains(ds.FieldByName(QStringLiteral("DQID"))->AsString()));
        }
        list->Close();
    }

    void theWalkInCustomerCannotBeDeleted()
    {
        auto *list = openFromMenu<TfrmCust>("mnuKh", "frmCust");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(ds.Locate(QStringLiteral("ID"), 1));
        TMessageBoxScript boxes;
        list->aDel->trigger();
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("散客不能删除！"));
        QCOMPARE(count(QStringLiteral("select count(*) from KH where ID = 1")), 1);
        QCOMPARE(ds.ChangeCount(), 0);
        list->Close();
    }

    void aCustomerWithAQuoteInItsNameIsSavedAndFound()
    {
        QVERIFY(world.keepTables({QStringLiteral("KH")}));
        auto *list = openFromMenu<TfrmCust>("mnuKh", "frmCust");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        const int nextId = count(QStringLiteral("select max(ID) from KH")) + 1;
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmCustomEdit>([&](TfrmCustomEdit &edit) {
            QCOMPARE(ds.FieldByName(QStringLiteral("ID"))->AsInteger(), nextId);
            ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("ON-1"));
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("O'Neil"));
            // The region is required and named by its caption.
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("'地区'未录入, 请继续录入!"));
            QCOMPARE(ds.State(), dsInsert);
            ds.FieldByName(QStringLiteral("DQID"))->SetAsInteger(11);
            QCOMPARE(ds.FieldByName(QStringLiteral("aDQMC"))->AsString(), QStringLiteral("江苏"));
            ds.FieldByName(QStringLiteral("QCJE"))->SetAsFloat(120.5);
            edit.btnOk_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(text(QStringLiteral("select MC from KH where ID = ") + QString::number(nextId)),
                 QStringLiteral("O'Neil"));
        // The balances were read back without leaving a change to send.
        QCOMPARE(ds.ChangeCount(), 0);
        QCOMPARE(
            ds.FieldByName(QStringLiteral("QMJE"))->AsFloat(),
            QueryValue(QStringLiteral("select QMJE from KH where ID = ") + QString::number(nextId))
                .toDouble());

        // The search box finds it by the start of its name, quote and all.
        list->RzBtnNo->setText(QStringLiteral("O'Ne"));
        list->btnFind->click();
        QCOMPARE(ds.RecordCount(), 1);
        QCOMPARE(ds.FieldByName(QStringLiteral("MC"))->AsString(), QStringLiteral("O'Neil"));
        list->RzBtnNo->clear();
        list->btnFind->click();
        list->Close();
    }

    void thePickerModeReturnsThePriceLevel()
    {
        TfrmCust list;
        list.SetSelectMode(true);
        list.show();
        QVERIFY(list.ListDataSet);
        QVERIFY(list.ListDataSet->Locate(QStringLiteral("ID"), 1));
        list.btnSelectExit->click();
        QCOMPARE(list.ResultID, QStringLiteral("1"));
        QCOMPARE(list.ResultName, QStringLiteral("散客"));
        QCOMPARE(list.ResultPriceLevel, QStringLiteral("零售价"));
    }

    void leavingTheSupplierShortNameFillsFullNameAndMnemonic_data()
    {
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<QString>("mnemonic");
        QTest::addColumn<QString>("expectedFullName");
        QTest::addColumn<QString>("expectedMnemonic");
        const QString name = QStringLiteral("华联超市");
        QTest::newRow("both empty") << ""
                                    << "" << name << GetPY(name);
        QTest::newRow("full name given") << "华联超市有限公司"
                                         << ""
                                         << "华联超市有限公司" << GetPY(name);
        QTest::newRow("mnemonic given") << ""
                                        << "HL" << name << "HL";
    }

    void leavingTheSupplierShortNameFillsFullNameAndMnemonic()
    {
        QFETCH(QString, fullName);
        QFETCH(QString, mnemonic);
        QFETCH(QString, expectedFullName);
        QFETCH(QString, expectedMnemonic);
        auto *list = openFromMenu<TfrmVendCust>("mnuGys", "frmVendCust");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        auto ran = whenModal<TfrmVendCustEdit>([&](TfrmVendCustEdit &edit) {
            ds.FieldByName(QStringLiteral("QC"))->SetAsString(fullName);
            ds.FieldByName(QStringLiteral("ZJM"))->SetAsString(mnemonic);
            typeText(edit.RzDBEdit_Name, QStringLiteral("华联超市"));
            leave(edit.RzDBEdit_Name);
            QCOMPARE(ds.FieldByName(QStringLiteral("MC"))->AsString(), QStringLiteral("华联超市"));
            QCOMPARE(ds.FieldByName(QStringLiteral("QC"))->AsString(), expectedFullName);
            QCOMPARE(ds.FieldByName(QStringLiteral("ZJM"))->AsString(), expectedMnemonic);
            edit.btnCancel_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(ds.ChangeCount(), 0);
        list->Close();
    }
};

QTEST_MAIN(TestPartners)
#include "tst_partners.moc"
