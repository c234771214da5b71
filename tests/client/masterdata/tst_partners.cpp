// Customers, suppliers, accounts, payment methods, income and expense categories, kinds of
// other stock changes and bank transfers against a real server on the demo account set: the
// lists opened from the menu, the edit forms' rules, and the balances a transfer moves.
#include "client/common/pinyin.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/banktransfer.h"
#include "client/masterdata/codeedit.h"
#include "client/masterdata/codelist.h"
#include "client/masterdata/partneredit.h"
#include "client/masterdata/partnerhelp.h"
#include "client/masterdata/partnerlist.h"
#include "client/masterdata/registerforms.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/messagebox.h"
#include "masterdatatest.h"
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

using masterdatatest::count;
using masterdatatest::text;

double balance(int account)
{
    return QueryValue(QStringLiteral("select QMJE from ZH where ID = ") + QString::number(account))
        .toDouble();
}

// Two accounts of the demo set and their balances, to compare against after a transfer.
struct Balances
{
    double from;
    double to;
};

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

    // The picker offers its rows' edit form: a change made there is saved from the picker's
    // own row.
    template<class Picker, class Edit>
    void editThroughPicker(const QString &table, const QString &field)
    {
        QVERIFY(world.keepTables({table}));
        const int id = count(QStringLiteral("select max(ID) from ") + table);
        Picker picker;
        picker.DoCreate();
        auto ran = whenModal<Picker>([&](Picker &p) {
            QVERIFY(p.btnNew->isVisible());
            QVERIFY(p.btnModify->isVisible() && p.btnModify->isEnabled());
            QVERIFY(p.btnDel->isVisible());
            QVERIFY(p.HelpDataSet->Locate(QStringLiteral("ID"), id));
            auto edited = whenModal<Edit>([&](Edit &edit) {
                QCOMPARE(edit.EditDataSet, p.HelpDataSet);
                p.HelpDataSet->Edit();
                p.HelpDataSet->FieldByName(field)->SetAsString(QStringLiteral("O'Neil"));
                edit.btnOk_New->click();
            });
            p.btnModify->click();
            QVERIFY(edited);
            p.btnCancel->click();
        });
        picker.ShowModal();
        QVERIFY(ran);
        QCOMPARE(text(QStringLiteral("select ") + field + QStringLiteral(" from ") + table +
                      QStringLiteral(" where ID = ") + QString::number(id)),
                 QStringLiteral("O'Neil"));
    }

    template<class Form>
    Form *openFromMenu(const char *item, const char *formName)
    {
        return masterdatatest::OpenFromMenu<Form>(*main, item, formName);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        main = masterdatatest::ShowMainWindow();
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

        // So does the customer picker.
        TfrmKhHelp picker;
        picker.DoCreate();
        auto ran = whenModal<TfrmKhHelp>([&](TfrmKhHelp &p) {
            QVERIFY(p.HelpDataSet->Locate(QStringLiteral("ID"), 1));
            p.btnDel->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("散客不能删除！"));
            p.btnCancel->click();
        });
        picker.ShowModal();
        QVERIFY(ran);
        QCOMPARE(count(QStringLiteral("select count(*) from KH where ID = 1")), 1);
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

    void aSavedCustomerShowsTheBalancesTheServerHolds()
    {
        QVERIFY(world.keepTables({QStringLiteral("KH")}));
        auto *list = openFromMenu<TfrmCust>("mnuKh", "frmCust");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(ds.Locate(QStringLiteral("ID"), 2));
        auto ran = whenModal<TfrmCustomEdit>([&](TfrmCustomEdit &edit) {
            // Receipts posted meanwhile moved the balance on the server.
            QVERIFY(ExecSQL(QStringLiteral("update KH set QMJE = 777.5, YXJE = 7.5 where ID = 2")));
            ds.Edit();
            ds.FieldByName(QStringLiteral("LXR"))->SetAsString(QStringLiteral("O'Neil"));
            edit.btnOk_New->click();
        });
        list->aModify->trigger();
        QVERIFY(ran);
        QCOMPARE(text(QStringLiteral("select LXR from KH where ID = 2")), QStringLiteral("O'Neil"));
        QCOMPARE(ds.FieldByName(QStringLiteral("QMJE"))->AsFloat(), 777.5);
        QCOMPARE(ds.FieldByName(QStringLiteral("aSJJE"))->AsFloat(), 770.0);
        QCOMPARE(ds.ChangeCount(), 0);
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

    void aCodeAnotherPartnerHoldsIsRefused_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("message");
        QTest::newRow("customer") << QStringLiteral("KH")
                                  << QStringLiteral("客户编号已存在，请重新输入！");
        QTest::newRow("supplier") << QStringLiteral("GYS")
                                  << QStringLiteral("供应商编号已存在，请重新输入！");
    }

    void aCodeAnotherPartnerHoldsIsRefused()
    {
        QFETCH(QString, table);
        QFETCH(QString, message);
        QVERIFY(world.keepTables({table}));
        const QString taken = text(
            QStringLiteral("select BH from %1 where ID = (select min(ID) from %1)").arg(table));
        QVERIFY(!taken.isEmpty());
        const int before = count(QStringLiteral("select count(*) from ") + table);
        TMessageBoxScript boxes;
        const auto fill = [&](TClientDataSet &ds, TfrmPartnerEdit &edit) {
            ds.FieldByName(QStringLiteral("BH"))->SetAsString(taken.toLower());
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("重号伙伴"));
            ds.FieldByName(QStringLiteral("DQID"))->SetAsInteger(11);
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, message);
            QCOMPARE(ds.State(), dsInsert);
            QCOMPARE(edit.focusWidget(), edit.RzDBEdit_BH);
            edit.btnCancel_New->click();
        };
        if (table == QLatin1String("KH")) {
            auto *list = openFromMenu<TfrmCust>("mnuKh", "frmCust");
            QVERIFY(list);
            auto ran = whenModal<TfrmCustomEdit>(
                [&](TfrmCustomEdit &edit) { fill(*list->ListDataSet, edit); });
            list->aNew->trigger();
            QVERIFY(ran);
            list->Close();
        } else {
            auto *list = openFromMenu<TfrmVendCust>("mnuGys", "frmVendCust");
            QVERIFY(list);
            auto ran = whenModal<TfrmVendCustEdit>(
                [&](TfrmVendCustEdit &edit) { fill(*list->ListDataSet, edit); });
            list->aNew->trigger();
            QVERIFY(ran);
            list->Close();
        }
        QCOMPARE(count(QStringLiteral("select count(*) from ") + table), before);
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

    void aCashAccountKeepsItsBankFieldsDisabled_data()
    {
        QTest::addColumn<bool>("bank");
        QTest::newRow("cash") << false;
        QTest::newRow("bank") << true;
    }

    void aCashAccountKeepsItsBankFieldsDisabled()
    {
        QFETCH(bool, bank);
        auto *list = openFromMenu<TfrmArapZh>("mnuZh", "frmArapZh");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QCOMPARE(ds.RecordCount(), count(QStringLiteral("select count(*) from ZH")));
        const int account = count(QStringLiteral("select min(ID) from ZH where YHL = ") +
                                  QLatin1String(bank ? "1" : "0"));
        QVERIFY(ds.Locate(QStringLiteral("ID"), account));
        QCOMPARE(ds.FieldByName(QStringLiteral("aYHL"))->AsString(),
                 bank ? QStringLiteral("银行存款类") : QStringLiteral("现金类"));
        auto ran = whenModal<TfrmZhEdit>([&](TfrmZhEdit &edit) {
            // At show time.
            QCOMPARE(edit.RzDBEdit_KHYH->isEnabled(), bank);
            QCOMPARE(edit.RzDBEdit_YHZH->isEnabled(), bank);
            // And on every change of the kind.
            edit.RzDBRadioGroup_YHL->SetItemIndex(bank ? 1 : 0);
            QCOMPARE(edit.RzDBEdit_KHYH->isEnabled(), !bank);
            QCOMPARE(edit.RzDBEdit_YHZH->isEnabled(), !bank);
            edit.RzDBRadioGroup_YHL->SetItemIndex(bank ? 0 : 1);
            QCOMPARE(edit.RzDBEdit_KHYH->isEnabled(), bank);
            QCOMPARE(edit.RzDBEdit_YHZH->isEnabled(), bank);
            edit.btnCancel_New->click();
        });
        list->aModify->trigger();
        QVERIFY(ran);
        QCOMPARE(ds.ChangeCount(), 0);

        // A new account starts as cash, its bank fields disabled.
        auto added = whenModal<TfrmZhEdit>([&](TfrmZhEdit &edit) {
            QVERIFY(!edit.RzDBEdit_KHYH->isEnabled());
            QVERIFY(!edit.RzDBEdit_YHZH->isEnabled());
            edit.btnCancel_New->click();
        });
        list->aNew->trigger();
        QVERIFY(added);
        list->Close();
    }

    void aCashAccountSavedDropsBankDetailsAndReadsItsBalance()
    {
        QVERIFY(world.keepTables({QStringLiteral("ZH")}));
        auto *list = openFromMenu<TfrmArapZh>("mnuZh", "frmArapZh");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        const int nextId = count(QStringLiteral("select max(ID) from ZH")) + 1;
        auto ran = whenModal<TfrmZhEdit>([&](TfrmZhEdit &edit) {
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("O'Neil 备用金"));
            edit.RzDBRadioGroup_YHL->SetItemIndex(0);
            ds.FieldByName(QStringLiteral("KHYH"))->SetAsString(QStringLiteral("工商银行"));
            edit.RzDBRadioGroup_YHL->SetItemIndex(1);
            ds.FieldByName(QStringLiteral("QCJE"))->SetAsFloat(500);
            edit.btnOk_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        const QString where = QStringLiteral(" from ZH where ID = ") + QString::number(nextId);
        QCOMPARE(text(QStringLiteral("select MC") + where), QStringLiteral("O'Neil 备用金"));
        QCOMPARE(text(QStringLiteral("select KHYH") + where), QString());
        QCOMPARE(ds.ChangeCount(), 0);
        QCOMPARE(ds.FieldByName(QStringLiteral("QMJE"))->AsFloat(), balance(nextId));
        list->Close();
    }

    void aTransferToTheSameAccountIsRefused()
    {
        auto *list = openFromMenu<TfrmArapYhck>("mnuYhckqk", "frmArapYhck");
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("银行存款/取款单总表"));
        QVERIFY(list->btnDel->isVisible());
        TClientDataSet &ds = *list->ListDataSet;
        const int before = count(QStringLiteral("select count(*) from YHCKQK"));
        const double cash = balance(1);
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmYhckqkEdit>([&](TfrmYhckqkEdit &edit) {
            QCOMPARE(ds.FieldByName(QStringLiteral("RQ"))->AsDateTime().date(),
                     Data().GetServerDate());
            ds.FieldByName(QStringLiteral("ZCZHID"))->SetAsInteger(1);
            ds.FieldByName(QStringLiteral("ZRZHID"))->SetAsInteger(1);
            ds.FieldByName(QStringLiteral("JE"))->SetAsFloat(100);
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text,
                     QStringLiteral("'转出帐户'与'转入帐户'不能相同, 请重新录入!"));
            QCOMPARE(boxes.Last().Caption, QStringLiteral("录入错误"));
            QCOMPARE(ds.State(), dsInsert);
            edit.btnCancel_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(count(QStringLiteral("select count(*) from YHCKQK")), before);
        QCOMPARE(balance(1), cash);
        list->Close();
    }

    void aTransferMovesBothBalances()
    {
        QVERIFY(world.keepTables({QStringLiteral("YHCKQK"), QStringLiteral("ZH")}));
        auto *list = openFromMenu<TfrmArapYhck>("mnuYhckqk", "frmArapYhck");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        const Balances start{balance(1), balance(2)};
        const QString handlerCode = text(QStringLiteral("select BH from YG order by BH"));
        const QString handlerName =
            text(QStringLiteral("select XM from YG where BH = '") + handlerCode + '\'');
        const int nextId = count(QStringLiteral("select max(ID) from YHCKQK")) + 1;
        auto ran = whenModal<TfrmYhckqkEdit>([&](TfrmYhckqkEdit &edit) {
            ds.FieldByName(QStringLiteral("ZCZHID"))->SetAsInteger(1);
            QCOMPARE(ds.FieldByName(QStringLiteral("aZCZHMC"))->AsString(),
                     text(QStringLiteral("select MC from ZH where ID = 1")));
            ds.FieldByName(QStringLiteral("ZRZHID"))->SetAsInteger(2);
            ds.FieldByName(QStringLiteral("JE"))->SetAsFloat(250.75);
            ds.FieldByName(QStringLiteral("PH"))->SetAsString(QStringLiteral("O'Neil-01"));
            // The handler typed as an employee code becomes the employee's name.
            ds.FieldByName(QStringLiteral("JSR"))->SetAsString(handlerCode);
            edit.HandlerExit();
            QCOMPARE(ds.FieldByName(QStringLiteral("JSR"))->AsString(), handlerName);
            edit.btnOk_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(ds.ChangeCount(), 0);
        const QString row = QStringLiteral(" from YHCKQK where ID = ") + QString::number(nextId);
        QCOMPARE(text(QStringLiteral("select PH") + row), QStringLiteral("O'Neil-01"));
        QCOMPARE(text(QStringLiteral("select CZY") + row), CurUserName);
        QCOMPARE(balance(1), start.from - 250.75);
        QCOMPARE(balance(2), start.to + 250.75);
        // The accounts the client holds show it too.
        QVERIFY(Data().Zh().Locate(QStringLiteral("ID"), 2));
        QCOMPARE(Data().Zh().FieldByName(QStringLiteral("QMJE"))->AsFloat(), balance(2));

        // A changed amount moves the difference.
        QVERIFY(ds.Locate(QStringLiteral("ID"), nextId));
        auto modified = whenModal<TfrmYhckqkEdit>([&](TfrmYhckqkEdit &edit) {
            ds.Edit();
            ds.FieldByName(QStringLiteral("JE"))->SetAsFloat(100);
            edit.btnOk_New->click();
        });
        list->aModify->trigger();
        QVERIFY(modified);
        QCOMPARE(balance(1), start.from - 100);
        QCOMPARE(balance(2), start.to + 100);

        // Deleting it gives the amount back.
        QVERIFY(ds.Locate(QStringLiteral("ID"), nextId));
        TMessageBoxScript boxes;
        boxes.Answer(mrYes);
        list->aDel->trigger();
        QCOMPARE(count(QStringLiteral("select count(*)") + row), 0);
        QVERIFY(!ds.Locate(QStringLiteral("ID"), nextId));
        QCOMPARE(balance(1), start.from);
        QCOMPARE(balance(2), start.to);
        list->Close();
    }

    void aFailedTransferMovesNeitherBalance()
    {
        QVERIFY(world.keepTables({QStringLiteral("YHCKQK"), QStringLiteral("ZH")}));
        auto *list = openFromMenu<TfrmArapYhck>("mnuYhckqk", "frmArapYhck");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        const Balances start{balance(1), balance(2)};
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmYhckqkEdit>([&](TfrmYhckqkEdit &edit) {
            const QString id = ds.FieldByName(QStringLiteral("ID"))->AsString();
            // Another user takes the number first.
            QVERIFY(ExecSQL(QStringLiteral("insert into YHCKQK (ID, RQ, ZCZHID, ZRZHID, JE) "
                                           "values (") +
                            id + QStringLiteral(", #2026-01-05#, 2, 1, 0)")));
            ds.FieldByName(QStringLiteral("ZCZHID"))->SetAsInteger(1);
            ds.FieldByName(QStringLiteral("ZRZHID"))->SetAsInteger(2);
            ds.FieldByName(QStringLiteral("JE"))->SetAsFloat(300);
            edit.btnOk_New->click();
            QVERIFY(boxes.Count() > 0);
            QVERIFY(boxes.Last().Text.startsWith(QStringLiteral("保存失败")));
            // The change stays to be corrected or cancelled.
            QCOMPARE(ds.ChangeCount(), 1);
            edit.btnCancel_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(ds.ChangeCount(), 0);
        QCOMPARE(balance(1), start.from);
        QCOMPARE(balance(2), start.to);
        list->Close();
    }

    void aTransferChangedByAnotherUserMovesNothing()
    {
        QVERIFY(world.keepTables({QStringLiteral("YHCKQK"), QStringLiteral("ZH")}));
        auto *list = openFromMenu<TfrmArapYhck>("mnuYhckqk", "frmArapYhck");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(!ds.IsEmpty());
        const QString id = ds.FieldByName(QStringLiteral("ID"))->AsString();
        const int from = ds.FieldByName(QStringLiteral("ZCZHID"))->AsInteger();
        const int to = ds.FieldByName(QStringLiteral("ZRZHID"))->AsInteger();
        const Balances start{balance(from), balance(to)};
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmYhckqkEdit>([&](TfrmYhckqkEdit &edit) {
            // Another user changes the amount while this one edits it.
            QVERIFY(ExecSQL(QStringLiteral("update YHCKQK set JE = JE + 1 where ID = ") + id));
            ds.Edit();
            ds.FieldByName(QStringLiteral("JE"))->SetAsFloat(1);
            edit.btnOk_New->click();
            QVERIFY(boxes.Last().Text.startsWith(QStringLiteral("保存失败")));
            edit.btnCancel_New->click();
        });
        list->aModify->trigger();
        QVERIFY(ran);
        QCOMPARE(balance(from), start.from);
        QCOMPARE(balance(to), start.to);
        QVERIFY(QueryValue(QStringLiteral("select JE from YHCKQK where ID = ") + id).toDouble() >
                1);
        list->Close();
    }

    void theScriptOfATransferChange()
    {
        TTransferRow before;
        before.ID = 7;
        before.RQ = QDate(2026, 3, 1);
        before.ZCZHID = 1;
        before.ZRZHID = 2;
        before.JE = 50;
        TTransferRow after = before;
        after.JE = 80;
        after.BZ = QStringLiteral("O'Neil");
        // New: the row, then the amount out of one account and into the other.
        QStringList script = TransferScript(0, std::nullopt, after);
        QCOMPARE(script.size(), 3);
        QVERIFY(script[0].startsWith(QStringLiteral("insert into YHCKQK")));
        QVERIFY(script[0].contains(QStringLiteral("'O''Neil'")));
        QVERIFY(script[1].contains(QStringLiteral("QMJE + (-80) where ID = 1")));
        QVERIFY(script[2].contains(QStringLiteral("QMJE + (80) where ID = 2")));
        // Changed: the old amount back first, the new one after the row.
        script = TransferScript(0, before, after);
        QCOMPARE(script.size(), 5);
        QVERIFY(script[0].contains(QStringLiteral("QMJE + (50) where ID = 1")));
        QVERIFY(script[1].contains(QStringLiteral("QMJE + (-50) where ID = 2")));
        QVERIFY(script[2].startsWith(QStringLiteral("update YHCKQK set")));
        QVERIFY(script[2].contains(QStringLiteral("and JE = 50")));
        // Deleted: the amount back, then the row.
        script = TransferScript(0, before, std::nullopt);
        QCOMPARE(script.size(), 3);
        QVERIFY(script[2].startsWith(QStringLiteral("delete from YHCKQK")));
    }

    void theCodeTablesOpenFromTheMenuAndAddRows_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("table");
        QTest::newRow("payment methods") << "mnuSfkfs"
                                         << "frmArapType"
                                         << "SFKFS";
        QTest::newRow("income and expense") << "mnuSrzclb"
                                            << "frmArapZcLb"
                                            << "SRZCLB";
        QTest::newRow("other stock changes") << "mnuQtkcbdlx"
                                             << "frmQtkcbdlx"
                                             << "QTKCBDLX";
    }

    void theCodeTablesOpenFromTheMenuAndAddRows()
    {
        QFETCH(QString, item);
        QFETCH(QString, form);
        QFETCH(QString, table);
        QVERIFY(world.keepTables({table}));
        auto *list = openFromMenu<TfrmComJbzl>(qPrintable(item), qPrintable(form));
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QCOMPARE(ds.RecordCount(), count(QStringLiteral("select count(*) from ") + table));
        QVERIFY(list->btnDel->isVisible());
        const int nextId = count(QStringLiteral("select max(ID) from ") + table) + 1;
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmComEdit>([&](TfrmComEdit &edit) {
            QCOMPARE(ds.FieldByName(QStringLiteral("ID"))->AsInteger(), nextId);
            // The name is required.
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("'名称'未录入, 请继续录入!"));
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("O'Neil"));
            edit.btnOk_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(text(QStringLiteral("select MC from ") + table + QStringLiteral(" where ID = ") +
                      QString::number(nextId)),
                 QStringLiteral("O'Neil"));
        list->Close();
    }

    void thePickersEditThroughTheirEditForms()
    {
        editThroughPicker<TfrmKhHelp, TfrmCustomEdit>(QStringLiteral("KH"), QStringLiteral("LXR"));
        editThroughPicker<TfrmGysHelp, TfrmVendCustEdit>(QStringLiteral("GYS"),
                                                         QStringLiteral("LXR"));
        editThroughPicker<TfrmSrzclbHelp, TfrmSrzclbEdit>(QStringLiteral("SRZCLB"),
                                                          QStringLiteral("BZ"));
    }

    void theKindsShowAsTextAndNewStockChangesIncreaseStock()
    {
        auto *categories = openFromMenu<TfrmArapZcLb>("mnuSrzclb", "frmArapZcLb");
        QVERIFY(categories);
        TClientDataSet &ds = *categories->ListDataSet;
        QVERIFY(ds.Locate(QStringLiteral("BH"), QStringLiteral("201")));
        QCOMPARE(ds.FieldByName(QStringLiteral("aSRL"))->AsString(), QStringLiteral("收入类"));
        QVERIFY(ds.Locate(QStringLiteral("BH"), QStringLiteral("101")));
        QCOMPARE(ds.FieldByName(QStringLiteral("aSRL"))->AsString(), QStringLiteral("支出类"));
        QCOMPARE(TfrmArapZcLb::IncomeExpenseSQL(1, QString()),
                 QStringLiteral(" select *,case when SRL then '收入类' else '支出类' end  as aSRL "
                                "from Srzclb  order by BH"));
        categories->Close();

        auto *kinds = openFromMenu<TfrmQtkcbdlx>("mnuQtkcbdlx", "frmQtkcbdlx");
        QVERIFY(kinds);
        auto ran = whenModal<TfrmQtkcbdlxEdit>([&](TfrmQtkcbdlxEdit &edit) {
            QVERIFY(kinds->ListDataSet->FieldByName(QStringLiteral("RKL"))->AsBoolean());
            edit.btnCancel_New->click();
        });
        kinds->aNew->trigger();
        QVERIFY(ran);
        kinds->Close();
    }
};

QTEST_MAIN(TestPartners)
#include "tst_partners.moc"
