// The first concrete lists on the generic forms, opened from the main window's menu against a
// real server on the demo account set: warehouses (list, add, duplicate name, department name)
// and users (the administrator's row protected, the password column for the administrator).
#include "client/admin/registerforms.h"
#include "client/admin/user.h"
#include "client/admin/useredit.h"
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/ck.h"
#include "client/masterdata/ckedit.h"
#include "client/masterdata/registerforms.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"
#include "masterdatatest.h"
#include "support/testworld.h"
#include "wire/client.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

using vztest::whenModal;

class TestMasterData : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    std::unique_ptr<TfrmMain> main;

    template<class Form>
    Form *openFromMenu(const char *item, const char *formName)
    {
        return masterdatatest::OpenFromMenu<Form>(*main, item, formName);
    }

    static int serverCount(const QString &sql) { return QueryValue(sql).toInt(); }

private Q_SLOTS:
    void initTestCase()
    {
        RegisterAdminForms();
        QVERIFY2(world.start(), qPrintable(world.error()));
        main = masterdatatest::ShowMainWindow();
    }

    void cleanupTestCase()
    {
        main.reset();
        world.stop();
    }

    void cleanup() { world.cleanup(); }

    void warehousesListWithTheirDepartment()
    {
        auto *list = openFromMenu<TfrmStockCode>("mnuCk", "frmStockCode");
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("仓库资料"));
        TClientDataSet &ds = *list->ListDataSet;
        QCOMPARE(ds.RecordCount(), serverCount(QStringLiteral("select count(*) from CK")));
        QVERIFY(ds.Locate(QStringLiteral("MC"), QStringLiteral("门市部仓库")));
        QCOMPARE(ds.FieldByName(QStringLiteral("bmmc"))->AsString(), QStringLiteral("销售部"));

        // The search box narrows by the start of the name.
        list->RzBtnNo->setText(QStringLiteral("原料"));
        list->btnFind->click();
        QCOMPARE(ds.RecordCount(), 1);
        list->RzBtnNo->clear();
        list->btnFind->click();
        QVERIFY(ds.RecordCount() > 1);
    }

    void aNewWarehouseIsCheckedAndSaved()
    {
        auto *list = openFromMenu<TfrmStockCode>("mnuCk", "frmStockCode");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(world.keepTables({QStringLiteral("CK")}));
        const int before = serverCount(QStringLiteral("select count(*) from CK"));
        const int nextId = serverCount(QStringLiteral("select max(ID) from CK")) + 1;
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmStockEdit>([&](TfrmStockEdit &edit) {
            QCOMPARE(ds.FieldByName(QStringLiteral("ID"))->AsInteger(), nextId);
            // A department is required.
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("O'Neil仓"));
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("'所属部门'未录入, 请继续录入!"));
            // A name another warehouse holds is refused before anything is posted.
            ds.FieldByName(QStringLiteral("BMID"))->SetAsInteger(7);
            QCOMPARE(ds.FieldByName(QStringLiteral("bmmc"))->AsString(), QStringLiteral("仓储部"));
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("总仓"));
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("【仓库名称】不能重复，请重新输入！"));
            QCOMPARE(ds.State(), dsInsert);
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("O'Neil仓"));
            edit.btnOk_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(serverCount(QStringLiteral("select count(*) from CK")), before + 1);
        QCOMPARE(
            QueryValue(QStringLiteral("select MC from CK where ID = ") + QString::number(nextId))
                .toString(),
            QStringLiteral("O'Neil仓"));
        QCOMPARE(ds.FieldByName(QStringLiteral("MC"))->AsString(), QStringLiteral("O'Neil仓"));

        // Changing it again keeps its own name acceptable.
        boxes.Clear();
        auto modified = whenModal<TfrmStockEdit>([&](TfrmStockEdit &edit) {
            QCOMPARE(edit.windowTitle(), QStringLiteral("仓库基础资料修改"));
            ds.Edit();
            ds.FieldByName(QStringLiteral("WZ"))->SetAsString(QStringLiteral("东门"));
            edit.btnOk_New->click();
        });
        list->aModify->trigger();
        QVERIFY(modified);
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(
            QueryValue(QStringLiteral("select WZ from CK where ID = ") + QString::number(nextId))
                .toString(),
            QStringLiteral("东门"));
    }

    void theAdministratorsRowCannotBeChangedOrDeleted()
    {
        auto *list = openFromMenu<TfrmSysUser>("mnuUser", "frmSysUser");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QCOMPARE(ds.RecordCount(), serverCount(QStringLiteral("select count(*) from AppUser")));
        QVERIFY(list->DBGrid1->Columns().FindByFieldName(QStringLiteral("uPassword"))->Visible());

        QVERIFY(ds.Locate(QStringLiteral("uCode"), QStringLiteral("SYS")));
        TMessageBoxScript boxes;
        list->aModify->trigger();
        QCOMPARE(boxes.Last().Text, QStringLiteral("不能修改 'SYS - 管理员' 的资料!"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("用户管理"));
        list->aDel->trigger();
        QCOMPARE(boxes.Last().Text, QStringLiteral("不能删除 'SYS - 管理员' 的资料!"));
        QCOMPARE(serverCount(QStringLiteral("select count(*) from AppUser where uCode = 'SYS'")),
                 1);

        // Another user opens in the edit form.
        QVERIFY(ds.Locate(QStringLiteral("uCode"), QStringLiteral("CG01")));
        const auto ran =
            whenModal<TfrmSysUserEdit>([](TfrmSysUserEdit &edit) { edit.btnCancel_New->click(); });
        list->aModify->trigger();
        QVERIFY(ran);
        QCOMPARE(ds.ChangeCount(), 0);
    }

    void theUserFormSetsPasswordsButNeverShowsOne()
    {
        auto *list = openFromMenu<TfrmSysUser>("mnuUser", "frmSysUser");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        world.afterTest(QStringLiteral("delete from AppUser where uCode = 'NEW1'"));
        const QString accountant =
            QueryValue(QStringLiteral("select uName from AppUser where uCode = 'KJ01'")).toString();
        world.afterTest(QStringLiteral("update AppUser set uName = ") + QuotedStr(accountant) +
                        QStringLiteral(" where uCode = 'KJ01'"));
        world.afterTest([this] {
            world.otherClient()->call(QStringLiteral("SetPassword"),
                                      {QStringLiteral("KJ01"), QStringLiteral("123")});
        });
        // The list shows only whether a password is set.
        QVERIFY(ds.Locate(QStringLiteral("uCode"), QStringLiteral("KJ01")));
        QCOMPARE(ds.FieldByName(QStringLiteral("uPassword"))->AsString(), QStringLiteral("******"));
        QVERIFY(ds.Locate(QStringLiteral("uCode"), QStringLiteral("CG01")));
        QCOMPARE(ds.FieldByName(QStringLiteral("uPassword"))->AsString(), QString());

        // A new user gets the typed password, stored by the server as a hash.
        TMessageBoxScript boxes;
        auto added = whenModal<TfrmSysUserEdit>([&](TfrmSysUserEdit &edit) {
            QVERIFY(edit.RzDBEdit_Password->isVisible());
            ds.FieldByName(QStringLiteral("uCode"))->SetAsString(QStringLiteral("NEW1"));
            ds.FieldByName(QStringLiteral("uName"))->SetAsString(QStringLiteral("O'Neil"));
            ds.FieldByName(QStringLiteral("gID"))->SetAsString(QStringLiteral("(2)"));
            ds.FieldByName(QStringLiteral("gName"))->SetAsString(QStringLiteral("采购组"));
            edit.RzDBEdit_Password->setText(QStringLiteral("p'w"));
            edit.btnOk_New->click();
        });
        list->aNew->trigger();
        QVERIFY(added);
        QCOMPARE(boxes.Count(), 0);
        auto other = world.otherClient();
        QCOMPARE(other->login(QStringLiteral("NEW1"), QStringLiteral("p'w"))
                     .value(QStringLiteral("uName"))
                     .toString(),
                 QStringLiteral("O'Neil"));

        // An existing user's box starts empty; left empty it keeps the password, typed it
        // replaces it.
        QVERIFY(ds.Locate(QStringLiteral("uCode"), QStringLiteral("KJ01")));
        const auto edit = [&](const QString &password) {
            return whenModal<TfrmSysUserEdit>([&, password](TfrmSysUserEdit &form) {
                QVERIFY(form.RzDBEdit_Password->text().isEmpty());
                ds.Edit();
                ds.FieldByName(QStringLiteral("uName"))->SetAsString(QStringLiteral("会计"));
                form.RzDBEdit_Password->setText(password);
                form.btnOk_New->click();
            });
        };
        auto kept = edit(QString());
        list->aModify->trigger();
        QVERIFY(kept);
        QVERIFY(!other->login(QStringLiteral("KJ01"), QStringLiteral("123")).isEmpty());
        auto replaced = edit(QStringLiteral("456"));
        list->aModify->trigger();
        QVERIFY(replaced);
        QCOMPARE(boxes.Count(), 0);
        QVERIFY(!other->login(QStringLiteral("KJ01"), QStringLiteral("456")).isEmpty());
        QCOMPARE(
            QueryValue(QStringLiteral("select uName from AppUser where uCode = 'KJ01'")).toString(),
            QStringLiteral("会计"));
    }

    void aUserCodeAnotherUserHoldsIsRefusedWhateverItsCase()
    {
        auto *list = openFromMenu<TfrmSysUser>("mnuUser", "frmSysUser");
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(ds.Locate(QStringLiteral("uCode"), QStringLiteral("CG01")));
        TMessageBoxScript boxes;
        const auto ran = whenModal<TfrmSysUserEdit>([&](TfrmSysUserEdit &edit) {
            ds.Edit();
            ds.FieldByName(QStringLiteral("uCode"))->SetAsString(QStringLiteral("sys"));
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("用户代码已存在，请重新输入！"));
            QCOMPARE(edit.focusWidget(), edit.RzDBEdit_Code);
            edit.btnCancel_New->click();
        });
        list->aModify->trigger();
        QVERIFY(ran);
        QCOMPARE(ds.ChangeCount(), 0);
        QCOMPARE(serverCount(QStringLiteral("select count(*) from AppUser where uCode = 'CG01'")),
                 1);
        list->Close();
    }
};

QTEST_MAIN(TestMasterData)
#include "tst_masterdata.moc"
