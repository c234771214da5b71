// Rights against a real server: the union of a user's groups, form rights, the department
// scope and denied goods categories; the rights form's tree, apply and group deletion; the
// password dialog; the exit dialog's backup.
#include "client/admin/exitform.h"
#include "client/admin/popedom.h"
#include "client/admin/syspassword.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"
#include "wire/client.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

QStringList column(const QString &sql)
{
    QStringList values;
    TTmpDataSet tmp;
    tmp->SetCommandText(sql);
    tmp->Open();
    for (tmp->First(); !tmp->Eof(); tmp->Next())
        values << tmp->Fields(0)->AsString();
    return values;
}

void grant(int group, const QString &node, const QString &object, const QString &items)
{
    QVERIFY(ExecSQL(QStringLiteral("insert into Sys_GroupFuncRight values('VZ',%1,'%2','%3','%4',"
                                   "'2024-01-01')")
                        .arg(group)
                        .arg(node, object, items)));
}

// A group edit form stand-in that records the mode it was opened with.
class TGroupEditProbe : public TFrmRoot
{
public:
    static inline QStringList modes;

protected:
    void FormShow() override
    {
        TFrmRoot::FormShow();
        modes << ModeText(this);
        QMetaObject::invokeMethod(
            this, [this] { SetModalResult(mrOk); }, Qt::QueuedConnection);
    }
};

} // namespace

class TestAdmin : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    std::unique_ptr<TMessageBoxScript> unexpected;

    TfrmPopedom *openPopedom(int group)
    {
        auto *form = CreateForm<TfrmPopedom>();
        form->show();
        Data().AppUserGroup().Locate(QStringLiteral("ID"), group);
        return form;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        // Two groups of one user: only the second grants the purchase receipt.
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into AppUserGroup(ID,gName,bmid,mc) values(10,'甲组',5,'采购部')")));
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into AppUserGroup(ID,gName,bmid,mc) values(11,'乙组',7,'仓储部')")));
        QVERIFY(ExecSQL(
            QStringLiteral("insert into AppUserGroup(ID,gName,bmid,mc) values(12,'空组',0,'')")));
        grant(10, QStringLiteral("0206"), QStringLiteral("mnuHp"), QStringLiteral("Insert"));
        grant(10, QStringLiteral("0503"), QStringLiteral("mnuTl"),
              QStringLiteral("Insert,Auditing1"));
        grant(11, QStringLiteral("0402"), QStringLiteral("mnuCgsh"),
              QStringLiteral("Insert,Auditing1,Auditing3,Print"));
        grant(11, QStringLiteral("0503"), QStringLiteral("mnuTl"), QStringLiteral("Delete"));
        grant(11, QStringLiteral("0802"), QStringLiteral("mnuXskd"), QStringLiteral("UnAudit"));
        QVERIFY(ExecSQL(QStringLiteral("insert into AppUser(ID,uCode,uName,uPassword,gID,gName) "
                                       "values(20,'DUO','两组用户','','(10,11)','甲组,乙组')")));
    }

    void cleanupTestCase() { world.stop(); }

    void init() { unexpected = std::make_unique<TMessageBoxScript>(); }

    void cleanup()
    {
        const int boxes = unexpected->Count();
        const QString first = boxes ? unexpected->Requests().first().Text : QString();
        unexpected.reset();
        world.cleanup();
        QVERIFY2(boxes == 0, qPrintable(QStringLiteral("unexpected message: ") + first));
    }

    void aUserOfTwoGroupsHoldsTheUnionOfTheirGrants()
    {
        QVERIFY2(world.login(QStringLiteral("DUO")), qPrintable(world.error()));
        TSystemFunctionRight &right = FuncRight();
        right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
        QVERIFY(right.HasRight(QStringLiteral("mnuCgsh")));
        QVERIFY(right.HasRight(QStringLiteral("mnuHp")));
        QVERIFY(!right.HasRight(QStringLiteral("mnuBackup")));
        // The department scope is both groups' departments with everything below them.
        const QStringList scope = right.DeptIDs.split(QLatin1Char(','));
        QVERIFY(scope.contains(QStringLiteral("5")) && scope.contains(QStringLiteral("7")));
        QVERIFY(!scope.contains(QStringLiteral("1")));
        QCOMPARE(right.DeptID, QStringLiteral("7"));
        QVERIFY(right.GetDeptNames().contains(QStringLiteral("'仓储部'")));

        QObject window;
        auto *receipt = new QAction(&window);
        receipt->setObjectName(QStringLiteral("mnuCgsh"));
        auto *receiptButton = new QAction(&window);
        receiptButton->setObjectName(QStringLiteral("mnuCgsh1"));
        receiptButton->setProperty("largeButton", true);
        auto *backup = new QAction(&window);
        backup->setObjectName(QStringLiteral("mnuBackup"));
        right.ApplyMenuRights(&window);
        QVERIFY(receipt->isEnabled());
        QVERIFY(receiptButton->isEnabled());
        QVERIFY(!backup->isEnabled());
    }

    void formRightsReadTheFirstGrantAndUnAuditIsNoAudit()
    {
        TSystemFunctionRight &right = FuncRight();
        right.GetFormRights(QStringLiteral("(11)"), QStringLiteral("DUO"), Data().Tmp(),
                            QStringLiteral("mnuXskd"));
        QVERIFY(right.CanUnAudit);
        QVERIFY(!right.CanAudit);
        QVERIFY(!right.CanInsert);
        QVERIFY(right.AuditLevels.isEmpty());

        right.GetFormRights(QStringLiteral("(10,11)"), QStringLiteral("DUO"), Data().Tmp(),
                            QStringLiteral("mnuCgsh"));
        QVERIFY(right.CanInsert && right.CanAudit && right.CanPrint && !right.CanDelete);
        QCOMPARE(right.AuditLevels, (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
        QVERIFY(right.CheckAuditLevel(QStringLiteral("DUO"), 3));
        QVERIFY(!right.CheckAuditLevel(QStringLiteral("DUO"), 2));
        QVERIFY(!right.CanAudit);
        QVERIFY(right.CheckAuditLevel(QStringLiteral("sys"), 2));

        // Both groups grant mnuTl; the first row the server returns decides.
        right.GetFormRights(QStringLiteral("(10,11)"), QStringLiteral("DUO"), Data().Tmp(),
                            QStringLiteral("mnuTl"));
        QVERIFY(right.CanInsert);
        QVERIFY(!right.CanDelete);

        right.GetFormRights(QStringLiteral("(10)"), QStringLiteral("SYS"), Data().Tmp(),
                            QStringLiteral("mnuXskd"));
        QVERIFY(right.CanInsert && right.CanDelete && right.CanAudit && right.CanUnAudit);
    }

    void theDepartmentScopeNarrowsTheListsOnlyWhenSwitchedOn()
    {
        QVERIFY2(world.login(QStringLiteral("CK01")),
                 qPrintable(world.error())); // 仓库组, department 7
        TSystemFunctionRight &right = FuncRight();
        right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
        QCOMPARE(right.WarehouseSQL, TSystemFunctionRight::DefaultWarehouseSQL);

        world.afterTest(QStringLiteral("update CompanyInfo set fBoolean2=0"));
        QVERIFY(ExecSQL(QStringLiteral("update CompanyInfo set fBoolean2=1")));
        QVERIFY2(world.login(QStringLiteral("CK01")), qPrintable(world.error()));
        right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
        QVERIFY(ExecSQL(QStringLiteral("update CompanyInfo set fBoolean2=0")));
        QVERIFY(right.DeptScope);
        QVERIFY(right.WarehouseSQL.endsWith(QStringLiteral("where BMID in (") + right.DeptIDs +
                                            QStringLiteral(") ")));
        const QStringList warehouses = column(right.WarehouseSQL);
        QVERIFY(!warehouses.isEmpty());
        QCOMPARE(column(QStringLiteral("select count(*) from CK where BMID not in (") +
                        right.DeptIDs + QStringLiteral(")"))
                         .first()
                         .toInt() > 0,
                 true);
        QCOMPARE(column(QStringLiteral("select ID from ") + right.WarehouseFrom +
                        QStringLiteral(" where 1=1"))
                     .size(),
                 warehouses.size());
        QVERIFY(right.DefaultWarehouseID > 0);
        QVERIFY(!column(right.DeptSQL).isEmpty());

        QVERIFY2(world.login(QStringLiteral("SYS")), qPrintable(world.error()));
        right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
        QCOMPARE(right.DeptIDs, QStringLiteral(" select id from bm "));
    }

    void aGroupWithoutDepartmentSeesNoWarehouseUnderTheScope()
    {
        world.afterTest(QStringLiteral("delete from AppUserGroup where ID=13"));
        world.afterTest(QStringLiteral("delete from AppUser where ID=21"));
        world.afterTest(QStringLiteral("update CompanyInfo set fBoolean2=0"));
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into AppUserGroup(ID,gName,bmid,mc) values(13,'无部门组',0,'')")));
        QVERIFY(ExecSQL(QStringLiteral("insert into AppUser(ID,uCode,uName,uPassword,gID,gName) "
                                       "values(21,'NODEPT','无部门','','(13)','无部门组')")));
        QVERIFY(ExecSQL(QStringLiteral("update CompanyInfo set fBoolean2=1")));
        QVERIFY2(world.login(QStringLiteral("NODEPT")), qPrintable(world.error()));
        TSystemFunctionRight &right = FuncRight();
        const bool loaded = Guarded([&] {
            right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
        });
        QVERIFY(ExecSQL(QStringLiteral("update CompanyInfo set fBoolean2=0")));
        QVERIFY(loaded);
        QVERIFY(column(right.WarehouseSQL).isEmpty());
        QCOMPARE(right.DefaultWarehouseID, 0);
    }

    void aDeniedCategoryIsMissingOnlyForTheGroup()
    {
        const QString category =
            column(QStringLiteral("select ItemType from Pub_ItemType order by ItemType")).first();
        world.afterTest(QStringLiteral("delete from Sys_GroupUnRight_HPLB"));
        QVERIFY(ExecSQL(
            QStringLiteral("insert into Sys_GroupUnRight_HPLB(UserGroupNo,ItemType) values(3,") +
            category + QStringLiteral(")")));
        QVERIFY2(world.login(QStringLiteral("CK01")), qPrintable(world.error()));
        TSystemFunctionRight &right = FuncRight();
        right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
        QVERIFY(!column(QStringLiteral("select C.ItemType from ") + right.ItemTypeFrom)
                     .contains(category));
        QVERIFY2(world.login(QStringLiteral("SYS")), qPrintable(world.error()));
        right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
        QVERIFY(column(QStringLiteral("select C.ItemType from ") + right.ItemTypeFrom)
                    .contains(category));
    }

    void theRightsTreeShowsAndPropagatesAGroupsGrants()
    {
        QVERIFY2(world.login(QStringLiteral("SYS")), qPrintable(world.error()));
        std::unique_ptr<TfrmPopedom> form(openPopedom(2));
        QCOMPARE(form->GroupID(), QStringLiteral("2"));
        QCOMPARE(form->GroupName(), QStringLiteral("采购组"));
        QCOMPARE(form->NodeItem(QStringLiteral("0402"))->checkState(0), Qt::Checked);
        QCOMPARE(form->NodeItem(QStringLiteral("0601"))->checkState(0), Qt::Unchecked);
        QCOMPARE(form->NodeItem(QStringLiteral("0601"))->parent(),
                 form->NodeItem(QStringLiteral("0600")));

        // A checked node shows its items, checked as granted.
        form->fcTreeView1->setCurrentItem(form->NodeItem(QStringLiteral("0402")));
        QCOMPARE(form->fcTreeView2->topLevelItemCount(), 7);
        QCOMPARE(form->fcTreeView2->topLevelItem(0)->text(0), QStringLiteral("新增: 新增单据"));
        QTreeWidgetItem *unAudit = nullptr;
        for (int i = 0; i < 7; ++i) {
            if (form->fcTreeView2->topLevelItem(i)->data(0, Qt::UserRole) ==
                QStringLiteral("UnAudit"))
                unAudit = form->fcTreeView2->topLevelItem(i);
        }
        QVERIFY(unAudit);
        QCOMPARE(unAudit->checkState(0), Qt::Unchecked);
        QVERIFY(form->SetItemChecked(QStringLiteral("UnAudit"), true));
        QVERIFY(form->Nodes()[form->NodeItem(QStringLiteral("0402"))->data(0, Qt::UserRole).toInt()]
                    .FuncItems.contains(QStringLiteral("UnAudit")));

        // A leaf grants all its items and checks its parents; unchecking the only checked
        // child unchecks the parent again.
        form->SetNodeChecked(QStringLiteral("0601"), true);
        QCOMPARE(form->NodeItem(QStringLiteral("0600"))->checkState(0), Qt::Checked);
        const int stocktaking =
            form->NodeItem(QStringLiteral("0601"))->data(0, Qt::UserRole).toInt();
        QCOMPARE(form->Nodes()[stocktaking].FuncItems.split(QLatin1Char(',')).size(), 7);
        form->SetNodeChecked(QStringLiteral("0601"), false);
        QCOMPARE(form->NodeItem(QStringLiteral("0600"))->checkState(0), Qt::Unchecked);
        QVERIFY(form->Nodes()[stocktaking].FuncItems.isEmpty());

        // A top node pushes its state down; Y and N check and uncheck the selected node.
        form->SetNodeChecked(QStringLiteral("0700"), true);
        QCOMPARE(form->NodeItem(QStringLiteral("0704"))->checkState(0), Qt::Checked);
        form->fcTreeView1->setCurrentItem(form->NodeItem(QStringLiteral("0700")));
        QTest::keyClick(form->fcTreeView1, Qt::Key_N);
        QCOMPARE(form->NodeItem(QStringLiteral("0704"))->checkState(0), Qt::Unchecked);
        form->fcTreeView1->setCurrentItem(form->NodeItem(QStringLiteral("0605")));
        QTest::keyClick(form->fcTreeView1, Qt::Key_Y);
        QCOMPARE(form->NodeItem(QStringLiteral("0605"))->checkState(0), Qt::Checked);
        form->Close();
    }

    void applyStoresTheGroupsCheckedFunctions()
    {
        QVERIFY(world.keepTables({QStringLiteral("Sys_GroupFuncRight")}));
        std::unique_ptr<TfrmPopedom> form(openPopedom(4));
        form->SetNodeChecked(QStringLiteral("0601"), true);
        form->SetNodeChecked(QStringLiteral("0404"), false);
        TMessageBoxScript boxes;
        QVERIFY(form->Apply());
        QCOMPARE(boxes.Last().Text, QStringLiteral("保存成功！"));
        const QStringList objects = column(QStringLiteral(
            "select ObjectName from Sys_GroupFuncRight where UserGroupNo=4 order by FuncNodeNo"));
        QVERIFY(objects.contains(QStringLiteral("mnuKcpd")));
        QVERIFY(!objects.contains(QStringLiteral("mnuBbGysGhMx")));
        QVERIFY(!objects.contains(QString())); // top nodes carry no object and are not stored
        QCOMPARE(column(QStringLiteral("select FuncItems from Sys_GroupFuncRight where "
                                       "UserGroupNo=4 and FuncNodeNo='0601'"))
                     .first()
                     .split(QLatin1Char(','))
                     .size(),
                 7);
        QCOMPARE(column(QStringLiteral("select GrantDate from Sys_GroupFuncRight where "
                                       "UserGroupNo=4 and FuncNodeNo='0601'"))
                     .first()
                     .left(10),
                 QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
        // The accountant holds it at the next start.
        QVERIFY2(world.login(QStringLiteral("KJ01"), QStringLiteral("123")),
                 qPrintable(world.error()));
        FuncRight().LoadRights(FuncRight().UserCode, FuncRight().GroupIDs,
                               QStringLiteral("Sys_FuncTree_office"));
        QVERIFY(FuncRight().HasRight(QStringLiteral("mnuKcpd")));
        form->Close();
    }

    void applyStoresTheDeniedCategories()
    {
        world.afterTest(QStringLiteral("delete from Sys_GroupUnRight_HPLB"));
        std::unique_ptr<TfrmPopedom> form(openPopedom(3));
        form->PageControl1->setCurrentWidget(form->TabHplb);
        QVERIFY(form->cdsUnRight.Active());
        QCOMPARE(form->cdsUnRight.RecordCount(), 0);
        const QStringList categories =
            column(QStringLiteral("select ItemType from Pub_ItemType order by ItemType"));
        form->aAddHplb->trigger();
        form->cdsUnRight.FieldByName(QStringLiteral("ItemType"))->SetAsString(categories[0]);
        form->aAddHplb->trigger();
        form->cdsUnRight.FieldByName(QStringLiteral("ItemType"))->SetAsString(categories[1]);
        TMessageBoxScript boxes;
        QVERIFY(form->Apply());
        QCOMPARE(boxes.Last().Text, QStringLiteral("保存成功！"));
        QCOMPARE(column(QStringLiteral("select ItemType from Sys_GroupUnRight_HPLB where "
                                       "UserGroupNo=3 order by ItemType")),
                 categories.mid(0, 2));
        QCOMPARE(form->cdsUnRight.RecordCount(), 2);
        QVERIFY(!form->cdsUnRight.FieldByName(QStringLiteral("aHPLBMC"))->AsString().isEmpty());
        form->Close();
    }

    void aGroupThatUsersReferToCannotBeDeleted()
    {
        std::unique_ptr<TfrmPopedom> form(openPopedom(2));
        TMessageBoxScript boxes;
        form->DeleteGroup();
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("用户组被【用户管理】引用,不能删除！"));
        QCOMPARE(column(QStringLiteral("select ID from AppUserGroup where ID=2")).size(), 1);
        form->Close();
    }

    void deletingAGroupAsksWithNoPreselectedAndTakesItsRights()
    {
        grant(12, QStringLiteral("0101"), QStringLiteral("mnuQcData"), QStringLiteral("Insert"));
        std::unique_ptr<TfrmPopedom> form(openPopedom(12));
        TMessageBoxScript boxes{mrNo};
        form->DeleteGroup();
        QCOMPARE(boxes.Last().Text, QStringLiteral("确定要删除此用户组别吗?"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("资料删除"));
        QCOMPARE(boxes.Last().DefaultButton, mrNo);
        QCOMPARE(column(QStringLiteral("select ID from AppUserGroup where ID=12")).size(), 1);
        boxes.Answer(mrYes);
        form->DeleteGroup();
        QVERIFY(column(QStringLiteral("select ID from AppUserGroup where ID=12")).isEmpty());
        QVERIFY(
            column(QStringLiteral("select ObjectName from Sys_GroupFuncRight where UserGroupNo=12"))
                .isEmpty());
        form->Close();
    }

    void groupsAreAddedAndChangedInTheGroupEditForm()
    {
        std::unique_ptr<TfrmPopedom> form(openPopedom(3));
        {
            TMessageBoxScript boxes;
            form->aAddGroup->trigger();
            QVERIFY(boxes.Last().Text.contains(QStringLiteral("TfrmUserGroupEdit")));
        }
        TFormRegistry::Register(QStringLiteral("TfrmUserGroupEdit"),
                                [] { return new TGroupEditProbe; });
        TGroupEditProbe::modes.clear();
        form->aAddGroup->trigger();
        form->aModifyGroup->trigger();
        QCOMPARE(TGroupEditProbe::modes, (QStringList{QStringLiteral("A"), QStringLiteral("M")}));
        QCOMPARE(form->GroupID(), QStringLiteral("3"));
        form->Close();
    }

    void thePasswordDialogChecksTheOldPasswordAndTheConfirmation()
    {
        QVERIFY2(world.login(QStringLiteral("KJ01"), QStringLiteral("123")),
                 qPrintable(world.error()));
        world.afterTest([this] {
            world.otherClient()->call(QStringLiteral("SetPassword"),
                                      {QStringLiteral("KJ01"), QStringLiteral("123")});
        });
        std::unique_ptr<TfrmSysPassword> dialog(CreateForm<TfrmSysPassword>());
        dialog->show();
        TMessageBoxScript boxes;
        dialog->edtOld->setText(QStringLiteral("12"));
        dialog->btnOK->click();
        QCOMPARE(boxes.Last().Text, QStringLiteral("原口令输入错误，不能成功修改！"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("更改密码"));
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Warning);
        dialog->edtOld->setText(QStringLiteral("123"));
        dialog->edtNew->setText(QStringLiteral("a'b"));
        dialog->edtConfirm->setText(QStringLiteral("a'c"));
        dialog->btnOK->click();
        QCOMPARE(boxes.Last().Text, QStringLiteral("口令核对错误，不能成功修改！"));
        QCOMPARE(CurUserPassword, QStringLiteral("123"));
        dialog->edtConfirm->setText(QStringLiteral("a'b"));
        dialog->btnOK->click();
        QCOMPARE(boxes.Last().Text, QStringLiteral("口令已成功修改，请紧记！"));
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Information);
        QCOMPARE(dialog->ModalResult(), mrOk);
        QCOMPARE(CurUserPassword, QStringLiteral("a'b"));
        // The server holds a hash: the old password no longer logs in, the new one does.
        auto other = world.otherClient();
        try {
            other->login(QStringLiteral("KJ01"), QStringLiteral("123"));
            QFAIL("the old password still logs in");
        } catch (const wire::Error &e) {
            QCOMPARE(e.code(), QStringLiteral("wrongPassword"));
        }
        QCOMPARE(other->login(QStringLiteral("kj01"), QStringLiteral("a'b"))
                     .value(QStringLiteral("uCode"))
                     .toString(),
                 QStringLiteral("KJ01"));
    }

    void theExitDialogBacksUpBeforeLeaving()
    {
        {
            std::unique_ptr<TFrmExit> dialog(CreateForm<TFrmExit>());
            dialog->btnCancel->click();
            QCOMPARE(dialog->ExitResult(), 0);
            QCOMPARE(dialog->ModalResult(), mrCancel);
        }
        std::unique_ptr<TFrmExit> dialog(CreateForm<TFrmExit>());
        dialog->btnBackup->click();
        QCOMPARE(dialog->ExitResult(), 1);
        QCOMPARE(dialog->ModalResult(), mrOk);
        const QDir backups(world.server().dataDir() + QStringLiteral("/backup/001"));
        QVERIFY(backups.exists());
        QVERIFY(!backups.entryList(QDir::Files).isEmpty());
    }
};

QTEST_MAIN(TestAdmin)
#include "tst_admin.moc"
