// The employee register against a real server on the demo account set: the list's SQL, the
// department tree of the user's scope, the rights on adding and changing, deleting with the
// photo, the edit form's identity-number checks, mnemonic and photo round trip, and the
// employee picker.
#include "client/common/pinyin.h"
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/filedialogs.h"
#include "client/forms/globalobj.h"
#include "client/forms/procallbutton.h"
#include "client/forms/procblobobj.h"
#include "client/masterdata/employee.h"
#include "client/masterdata/employeeedit.h"
#include "client/masterdata/idnumber.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/image.h"
#include "client/widgets/messagebox.h"
#include "masterdatatest.h"
#include "support/testpictures.h"
#include "support/testworld.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using masterdatatest::count;
using masterdatatest::text;
using vztest::whenModal;

namespace {

void click(TDBTreeView *tree, const QString &key)
{
    QVERIFY(tree->SelectKey(key));
    Q_EMIT tree->clicked(tree->currentIndex());
}

QStringList column(TClientDataSet &ds, const char *field)
{
    QStringList values;
    const TBookmark position = ds.GetBookmark();
    for (ds.First(); !ds.Eof(); ds.Next())
        values << ds.FieldByName(QLatin1String(field))->AsString();
    ds.GotoBookmark(position);
    return values;
}

} // namespace

class TestEmployees : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    std::unique_ptr<TfrmMain> main;
    QTemporaryDir files;

    TfrmEemployee *openList()
    {
        return masterdatatest::OpenFromMenu<TfrmEemployee>(*main, "mnuYg", "frmEemployee");
    }

    void loginAs(const QString &user)
    {
        QVERIFY(world.login(user));
        TSystemFunctionRight &right = FuncRight();
        right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
        right.ApplyMenuRights(main.get());
    }

    QString picture(const char *name, QColor colour)
    {
        const QString path = files.filePath(QLatin1String(name));
        vztest::filled(QSize(30, 40), colour).save(path, "PNG");
        return path;
    }

    static QByteArray bytesOf(const QString &path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    // An employee of the department, removed with its photo after the test.
    int newEmployee(const QString &name, int department)
    {
        const int id = count(QStringLiteral("select max(ID) from YG")) + 1;
        world.afterTest(QStringLiteral("delete from YG where ID = %1").arg(id));
        world.afterTest(QStringLiteral("delete from Yg_Pict where ygid = %1").arg(id));
        const bool done =
            ExecSQL(QStringLiteral("insert into YG (ID, BH, XM, ZJM, BMID) values (%1, 'E%1', "
                                   "%2, %3, %4)")
                        .arg(id)
                        .arg(QuotedStr(name), QuotedStr(GetPY(name)))
                        .arg(department));
        return done ? id : 0;
    }

    int photoRows(int id)
    {
        return count(QStringLiteral("select count(*) from Yg_Pict where ygid = %1").arg(id));
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

    void cleanup()
    {
        if (auto *list = qobject_cast<TfrmEemployee *>(
                GlobalObj().MDIWindows.FindForm(QStringLiteral("frmEemployee"))))
            list->Close();
        world.cleanup();
    }

    // --- Texts ------------------------------------------------------------------------------

    void yesNoTextByDialect()
    {
        QCOMPARE(
            SQLBoolText(0, QStringLiteral("YWYBZ"), QStringLiteral("是"), QStringLiteral("否")),
            QStringLiteral("iif(YWYBZ,'是','否') "));
        QCOMPARE(SQLBoolText(1, QStringLiteral("LZ"), QStringLiteral("是"), QStringLiteral("否")),
                 QStringLiteral("case LZ when 1 then '是' else '否' end "));
        QCOMPARE(SQLBoolText(0, QStringLiteral("F"), QStringLiteral("-1"), QStringLiteral("0")),
                 QStringLiteral("iif(F,-1,0) "));
        QCOMPARE(SQLBoolText(1, QStringLiteral("F"), QStringLiteral("1"), QStringLiteral("O'K")),
                 QStringLiteral("case F when 1 then 1 else 'O''K' end "));
    }

    void listQuery()
    {
        QCOMPARE(
            TfrmEemployee::ListSQL(0, QStringLiteral(" BM C "),
                                   QStringLiteral(" and (Y.BH like 'a%')"),
                                   QStringLiteral(" and C.ID In(7)")),
            QStringLiteral(" select Y.*, C.MC as aBMMC, 'yglb' as aYGLBMC, iif(YWYBZ,'是','否')"
                           "  as aYWYBZ, '月薪' as aJSFF, iif(LZ,'是','否')  as aLZ from YG Y "
                           "inner join  BM C  on Y.BMID = C.ID where 1=1  and (Y.BH like "
                           "'a%') and C.ID In(7) order by BH "));
        QVERIFY(
            TfrmEemployee::ListSQL(1, QStringLiteral(" BM C "), {}, {})
                .contains(QStringLiteral("case YWYBZ when 1 then '是' else '否' end  as aYWYBZ")));
    }

    void identityNumbers_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QDate>("birth");
        QTest::addColumn<QString>("sex");
        QTest::newRow("valid, X check") << "11010519491231002X"
                                        << "" << QDate(1949, 12, 31) << "女";
        QTest::newRow("valid, digit check") << " 440304198506151237 "
                                            << "" << QDate(1985, 6, 15) << "男";
        QTest::newRow("lower-case x, leap day") << "11010520000229003x"
                                                << "" << QDate(2000, 2, 29) << "男";
        QTest::newRow("wrong check digit")
            << "440304198506151238"
            << "身份证号码校验位不正确，请核对后重新输入！" << QDate() << "";
        QTest::newRow("too short") << "4403041985061512"
                                   << "身份证号码应为 18 位，现在是 16 位！" << QDate() << "";
        QTest::newRow("too long") << "4403041985061512370"
                                  << "身份证号码应为 18 位，现在是 19 位！" << QDate() << "";
        QTest::newRow("letter inside")
            << "44030419850615123A"
            << "身份证号码前 17 位只能是数字，最后一位只能是数字或 X！" << QDate() << "";
        QTest::newRow("February 30th")
            << "110105199902300015"
            << "身份证号码中的出生日期 19990230 不是有效日期！" << QDate() << "";
        QTest::newRow("born tomorrow")
            << "110105203001010019"
            << "身份证号码中的出生日期 20300101 不是有效日期！" << QDate() << "";
    }
    void identityNumbers()
    {
        QFETCH(QString, number);
        QFETCH(QString, error);
        QFETCH(QDate, birth);
        QFETCH(QString, sex);
        const TIdentityNumber id = CheckIdentityNumber(number, QDate(2026, 12, 7));
        QCOMPARE(id.Error, error);
        QCOMPARE(id.BirthDate, birth);
        QCOMPARE(id.Sex, sex);
        if (id.Valid())
            QCOMPARE(id.Normalized, number.trimmed().toUpper());
    }

    // --- The list -----------------------------------------------------------------------------

    void theTreeShowsTheUsersDepartmentsAndTheirSubDepartments()
    {
        QVERIFY(world.keepTables({QStringLiteral("BM")}));
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into BM (ID, MC, ParentCode, ZJM, JE) values (70, '仓储一组', 7, 'CCYZ', 0)")));
        const int inside = newEmployee(QStringLiteral("组内员工"), 70);
        const int outside = newEmployee(QStringLiteral("销售员工"), 6);
        world.afterTest([this] { loginAs(QStringLiteral("SYS")); });
        world.afterTest(QStringLiteral("update CompanyInfo set fBoolean2=0"));
        QVERIFY(ExecSQL(QStringLiteral("update CompanyInfo set fBoolean2=1")));
        loginAs(QStringLiteral("CK01")); // 仓库组: department 7
        QVERIFY(FuncRight().DeptScope);

        // The clerk's menu does not offer the register; another form's picker would.
        QVERIFY(!main->Item(QStringLiteral("mnuYg"))->isEnabled());
        auto owned = std::make_unique<TfrmEemployee>();
        TfrmEemployee *list = owned.get();
        list->DoCreate();
        list->show();
        QCOMPARE(list->windowTitle(), QStringLiteral("员工资料"));
        QVERIFY(list->PanelLeft->isVisible());
        QVERIFY(list->stDBTree1->ItemOfKey(QStringLiteral("7")));
        QVERIFY(list->stDBTree1->ItemOfKey(QStringLiteral("70")));
        QVERIFY(!list->stDBTree1->ItemOfKey(QStringLiteral("6")));
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(column(ds, "ID").contains(QString::number(inside)));
        QVERIFY(!column(ds, "ID").contains(QString::number(outside)));
        QCOMPARE(ds.RecordCount(),
                 count(QStringLiteral("select count(*) from YG where BMID in (7, 70)")));

        // A department lists its sub-departments' employees too; the sub-department only its own.
        click(list->stDBTree1, QStringLiteral("7"));
        QVERIFY(column(ds, "ID").contains(QString::number(inside)));
        QCOMPARE(ds.RecordCount(),
                 count(QStringLiteral("select count(*) from YG where BMID in (7, 70)")));
        click(list->stDBTree1, QStringLiteral("70"));
        QCOMPARE(column(ds, "ID"), QStringList{QString::number(inside)});
        QCOMPARE(column(ds, "aBMMC"), QStringList{QStringLiteral("仓储一组")});

        // The clerk's group is not granted the register: no adding or changing.
        QVERIFY(list->btnNew->isHidden());
        QVERIFY(list->btnModify->isHidden());
        QVERIFY(!list->aNew->isEnabled());
        QVERIFY(!list->aModify->isEnabled());
        list->Close();
        owned.reset();
    }

    void theFileMenuWithoutTheRegisterRightOffersNoAddOrModify()
    {
        // A group granted 员工档案管理 alone.
        world.afterTest([this] { loginAs(QStringLiteral("SYS")); });
        world.afterTest(QStringLiteral("delete from Sys_GroupFuncRight where UserGroupNo = 14"));
        world.afterTest(QStringLiteral("delete from AppUserGroup where ID = 14"));
        world.afterTest(QStringLiteral("delete from AppUser where ID = 22"));
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into AppUserGroup (ID, gName, bmid, mc) values (14, '档案组', 7, '仓储部')")));
        QVERIFY(
            ExecSQL(QStringLiteral("insert into AppUser (ID, uCode, uName, uPassword, gID, "
                                   "gName) values (22, 'DA01', '档案员', '', '(14)', '档案组')")));
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into Sys_GroupFuncRight (CompanyCode, UserGroupNo, FuncNodeNo, ObjectName, "
            "FuncItems) values ('VZ', 14, '0301', 'mnuYgdy', 'Insert,Delete,Print')")));
        loginAs(QStringLiteral("DA01"));
        QVERIFY(main->Item(QStringLiteral("mnuYgdy"))->isEnabled());
        QVERIFY(!main->Item(QStringLiteral("mnuYg"))->isEnabled());
        auto *list = masterdatatest::OpenFromMenu<TfrmEemployee>(*main, "mnuYgdy", "frmEemployee");
        QVERIFY(list);
        QVERIFY(list->ListDataSet->RecordCount() > 0);
        QVERIFY(list->btnNew->isHidden());
        QVERIFY(list->btnModify->isHidden());
        QVERIFY(!list->aNew->isEnabled());
        QVERIFY(!list->aModify->isEnabled());
        // The shortcut does not reach the edit form either.
        list->aModify->trigger();
        QVERIFY(!list->findChild<TfrmEmployeeEdit *>());
        list->Close();
    }

    void theAdministratorMayAddAndChange()
    {
        auto *list = openList();
        QVERIFY(list);
        QVERIFY(!list->btnNew->isHidden());
        QVERIFY(!list->btnModify->isHidden());
        QVERIFY(list->aNew->isEnabled());
        QVERIFY(list->aModify->isEnabled());
        // The yes/no columns read as text.
        TClientDataSet &ds = *list->ListDataSet;
        const QStringList shown = column(ds, "aYWYBZ");
        QVERIFY(!shown.isEmpty());
        for (const QString &value : shown)
            QVERIFY2(value == QStringLiteral("是") || value == QStringLiteral("否"),
                     qPrintable(value));
        list->Close();
    }

    void theSearchFindsByCodeNameOrMnemonic()
    {
        const int id = newEmployee(QStringLiteral("查找测试"), 7);
        auto *list = openList();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        for (const QString &typed :
             {QStringLiteral("查找测"), QStringLiteral("cz"), QStringLiteral("E%1").arg(id)}) {
            list->RzBtnNo->setText(typed);
            list->btnFind->click();
            QVERIFY2(column(ds, "ID").contains(QString::number(id)), qPrintable(typed));
        }
        list->RzBtnNo->setText(QStringLiteral("O'Neil"));
        list->btnFind->click();
        QCOMPARE(ds.RecordCount(), 0);
        list->Close();
    }

    void deletingAnEmployeeDeletesThePhoto()
    {
        const int id = newEmployee(QStringLiteral("待删员工"), 7);
        QVERIFY(TProcBlobObj(QStringLiteral("yg_pict"))
                    .Save(QString::number(id), picture("del.png", Qt::red)));
        QCOMPARE(photoRows(id), 1);
        auto *list = openList();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(ds.Locate(QStringLiteral("ID"), id));
        list->ShowCurrentPicture();
        QVERIFY(list->PictureWindow());
        TMessageBoxScript boxes{mrYes};
        list->aDel->trigger();
        QCOMPARE(count(QStringLiteral("select count(*) from YG where ID = %1").arg(id)), 0);
        QCOMPARE(photoRows(id), 0);
        QVERIFY(!ds.Locate(QStringLiteral("ID"), id));
        list->Close();
    }

    void anEmployeeInUseIsNotDeleted_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("user") << "AppUser";
        QTest::newRow("sales document") << "XSKDZB";
        QTest::newRow("personnel record") << "Rs_Contract";
    }
    void anEmployeeInUseIsNotDeleted()
    {
        QFETCH(QString, table);
        const QString column = table.startsWith(QLatin1String("Rs_")) ? QStringLiteral("F_empID")
                                                                      : QStringLiteral("YGID");
        const int id = newEmployee(QStringLiteral("在用员工"), 7);
        QVERIFY(TProcBlobObj(QStringLiteral("yg_pict"))
                    .Save(QString::number(id), picture("used.png", Qt::red)));
        QVERIFY(world.keepTables({table}));
        // One existing row made to name the employee, or a new one in an empty table.
        const int row = count(QStringLiteral("select min(ID) from %1").arg(table));
        if (row > 0)
            QVERIFY(ExecSQL(QStringLiteral("update %1 set %2 = %3 where ID = %4")
                                .arg(table, column)
                                .arg(id)
                                .arg(row)));
        else
            QVERIFY(ExecSQL(QStringLiteral("insert into %1 (ID, %2) values (1, %3)")
                                .arg(table, column)
                                .arg(id)));
        auto *list = openList();
        QVERIFY(list);
        QVERIFY(list->ListDataSet->Locate(QStringLiteral("ID"), id));
        TMessageBoxScript boxes{mrYes};
        list->aDel->trigger();
        QCOMPARE(boxes.Last().Text,
                 QStringLiteral("该员工已被用户、单据或人事记录引用,不能删除！"));
        QCOMPARE(count(QStringLiteral("select count(*) from YG where ID = %1").arg(id)), 1);
        QCOMPARE(photoRows(id), 1);
        list->Close();
    }

    void thePickerReturnsTheEmployeeAndDepartment()
    {
        const int id = newEmployee(QStringLiteral("被选员工"), 7);
        QString department;
        auto ran = whenModal<TfrmEemployee>([&](TfrmEemployee &picker) {
            QVERIFY(picker.btnSelectExit->isVisible());
            QVERIFY(picker.ListDataSet->Locate(QStringLiteral("ID"), id));
            picker.btnSelectExit->click();
            department = picker.ResultDeptName;
            QCOMPARE(picker.ResultDeptID, QStringLiteral("7"));
        });
        QString pickedId;
        QString pickedName;
        QVERIFY(PickFromList(QStringLiteral("TfrmEemployee"), pickedId, pickedName));
        QVERIFY(ran);
        QCOMPARE(pickedId, QString::number(id));
        QCOMPARE(pickedName, QStringLiteral("被选员工"));
        QCOMPARE(department, text(QStringLiteral("select MC from BM where ID = 7")));
    }

    // --- The edit form ------------------------------------------------------------------------

    void aNewEmployeeIsStoredWithPhotoAndMnemonic()
    {
        QVERIFY(world.keepTables({QStringLiteral("YG"), QStringLiteral("Yg_Pict")}));
        const QString png = picture("new.png", Qt::blue);
        auto *list = openList();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        TFileDialogScript dialogs;
        dialogs.Answer(png);
        TMessageBoxScript boxes;
        int id = 0;
        auto ran = whenModal<TfrmEmployeeEdit>([&](TfrmEmployeeEdit &edit) {
            id = ds.FieldByName(QStringLiteral("ID"))->AsInteger();
            QVERIFY(edit.Control(QStringLiteral("MZ")));
            QVERIFY(edit.Control(QStringLiteral("GRJL")));
            edit.btnUpload->click();
            QVERIFY(!edit.Image1->IsEmpty());
            QVERIFY(edit.PhotoPending());
            QCOMPARE(photoRows(id), 0); // nothing stored before the record
            ds.FieldByName(QStringLiteral("XM"))->SetAsString(QStringLiteral("新来员工"));
            ds.FieldByName(QStringLiteral("BMID"))->SetAsInteger(7);
            ds.FieldByName(QStringLiteral("SFZH"))
                ->SetAsString(QStringLiteral("11010520000229003x"));
            edit.btnOk_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QVERIFY2(boxes.Count() == 0, qPrintable(boxes.Last().Text));
        QVERIFY(id > 0);
        const QString where = QStringLiteral(" from YG where ID = %1").arg(id);
        QCOMPARE(text(QStringLiteral("select ZJM") + where), GetPY(QStringLiteral("新来员工")));
        QCOMPARE(text(QStringLiteral("select SFZH") + where), QStringLiteral("11010520000229003X"));
        // The identity number gave the empty birth date and sex.
        QCOMPARE(QueryValue(QStringLiteral("select CSRQ") + where).toDate(), QDate(2000, 2, 29));
        QCOMPARE(text(QStringLiteral("select XB") + where), QStringLiteral("男"));
        QCOMPARE(TProcBlobObj(QStringLiteral("yg_pict")).Bytes(QString::number(id)), bytesOf(png));
        // The list shows the new employee's department without a reopen.
        QVERIFY(ds.Locate(QStringLiteral("ID"), id));
        QCOMPARE(ds.FieldByName(QStringLiteral("aBMMC"))->AsString(),
                 text(QStringLiteral("select MC from BM where ID = 7")));

        // Reopened, the photo is there; cleared and saved, its row is gone.
        QVERIFY(ds.Locate(QStringLiteral("ID"), id));
        boxes.Answer(mrYes);
        auto reopened = whenModal<TfrmEmployeeEdit>([&](TfrmEmployeeEdit &edit) {
            QVERIFY(!edit.Image1->IsEmpty());
            QCOMPARE(edit.Image1->Picture().pixelColor(5, 5), QColor(Qt::blue));
            edit.btnClearPicture->click();
            QVERIFY(edit.Image1->IsEmpty());
            QCOMPARE(photoRows(id), 1); // only the save removes it
            edit.btnOk_New->click();
        });
        list->aModify->trigger();
        QVERIFY(reopened);
        QCOMPARE(photoRows(id), 0);
        list->Close();
    }

    void aRefusedRecordTakesNoPhotoWithIt()
    {
        QVERIFY(world.keepTables({QStringLiteral("YG"), QStringLiteral("Yg_Pict")}));
        const QString png = picture("lost.png", Qt::green);
        auto *list = openList();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        TFileDialogScript dialogs;
        dialogs.Answer(png);
        TMessageBoxScript boxes;
        int id = 0;
        auto ran = whenModal<TfrmEmployeeEdit>([&](TfrmEmployeeEdit &edit) {
            id = ds.FieldByName(QStringLiteral("ID"))->AsInteger();
            edit.btnUpload->click();
            ds.FieldByName(QStringLiteral("XM"))->SetAsString(QStringLiteral("撞号员工"));
            ds.FieldByName(QStringLiteral("BMID"))->SetAsInteger(7);
            // Another workstation takes the ID meanwhile: the server refuses the row.
            QVERIFY(ExecSQL(QStringLiteral("insert into YG (ID, BH, XM, BMID) values (%1, "
                                           "'X%1', '别处员工', 7)")
                                .arg(id)));
            edit.btnOk_New->click();
            QVERIFY(boxes.Last().Text.startsWith(QStringLiteral("保存员工资料失败")));
            QVERIFY(edit.isVisible());
            edit.btnCancel_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(photoRows(id), 0);
        QCOMPARE(text(QStringLiteral("select XM from YG where ID = %1").arg(id)),
                 QStringLiteral("别处员工"));
        list->Close();
    }

    void aCodeAnotherEmployeeHoldsIsRefused()
    {
        QVERIFY(world.keepTables({QStringLiteral("YG")}));
        const QString taken = text(QStringLiteral("select BH from YG where ID = (select min(ID) "
                                                  "from YG)"));
        const int before = count(QStringLiteral("select count(*) from YG"));
        auto *list = openList();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmEmployeeEdit>([&](TfrmEmployeeEdit &edit) {
            ds.FieldByName(QStringLiteral("BH"))->SetAsString(taken);
            ds.FieldByName(QStringLiteral("XM"))->SetAsString(QStringLiteral("重号员工"));
            ds.FieldByName(QStringLiteral("BMID"))->SetAsInteger(7);
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("员工编号已存在，请重新输入！"));
            QCOMPARE(edit.focusWidget(), edit.RzDBEdit_BH);
            QVERIFY(edit.isVisible());
            edit.btnCancel_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(count(QStringLiteral("select count(*) from YG")), before);
        list->Close();
    }

    void aWrongIdentityNumberIsRefusedAndNothingSaved_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("check digit") << "440304198506151238"
                                     << "身份证号码校验位不正确，请核对后重新输入！";
        QTest::newRow("length") << "44030419850615"
                                << "身份证号码应为 18 位，现在是 14 位！";
        QTest::newRow("date") << "110105199902300015"
                              << "身份证号码中的出生日期 19990230 不是有效日期！";
    }
    void aWrongIdentityNumberIsRefusedAndNothingSaved()
    {
        QFETCH(QString, number);
        QFETCH(QString, message);
        const int id = newEmployee(QStringLiteral("证号员工"), 7);
        auto *list = openList();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(ds.Locate(QStringLiteral("ID"), id));
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmEmployeeEdit>([&](TfrmEmployeeEdit &edit) {
            ds.Edit();
            ds.FieldByName(QStringLiteral("SFZH"))->SetAsString(number);
            ds.FieldByName(QStringLiteral("ZW"))->SetAsString(QStringLiteral("店长"));
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, message);
            QVERIFY(edit.isVisible());
            QCOMPARE(edit.focusWidget(), static_cast<QWidget *>(edit.RzDBEdit_SFZH));
            edit.btnCancel_New->click();
        });
        list->aModify->trigger();
        QVERIFY(ran);
        const QString where = QStringLiteral(" from YG where ID = %1").arg(id);
        QCOMPARE(text(QStringLiteral("select SFZH") + where), QString());
        QCOMPARE(text(QStringLiteral("select ZW") + where), QString());
        QVERIFY(QueryValue(QStringLiteral("select CSRQ") + where).isNull());
        list->Close();
    }

    void aValidIdentityNumberKeepsABirthDateAlreadyGiven()
    {
        const int id = newEmployee(QStringLiteral("有生日员工"), 7);
        QVERIFY(ExecSQL(
            QStringLiteral("update YG set CSRQ = '1985-06-16', XB = '女' where ID = %1").arg(id)));
        auto *list = openList();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(ds.Locate(QStringLiteral("ID"), id));
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmEmployeeEdit>([&](TfrmEmployeeEdit &edit) {
            ds.Edit();
            ds.FieldByName(QStringLiteral("SFZH"))
                ->SetAsString(QStringLiteral("440304198506151237"));
            edit.btnOk_New->click();
        });
        list->aModify->trigger();
        QVERIFY(ran);
        QCOMPARE(boxes.Count(), 0);
        const QString where = QStringLiteral(" from YG where ID = %1").arg(id);
        QCOMPARE(text(QStringLiteral("select SFZH") + where), QStringLiteral("440304198506151237"));
        QCOMPARE(QueryValue(QStringLiteral("select CSRQ") + where).toDate(), QDate(1985, 6, 16));
        QCOMPARE(text(QStringLiteral("select XB") + where), QStringLiteral("女"));
        list->Close();
    }

    void aStoredWrongNumberDoesNotBlockOtherChanges()
    {
        const int id = newEmployee(QStringLiteral("旧证员工"), 7);
        QVERIFY(ExecSQL(
            QStringLiteral("update YG set SFZH = '330106198903094241' where ID = %1").arg(id)));
        auto *list = openList();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(ds.Locate(QStringLiteral("ID"), id));
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmEmployeeEdit>([&](TfrmEmployeeEdit &edit) {
            QCOMPARE(edit.RzDBLookupComboBox_BM->Text(),
                     text(QStringLiteral("select MC from BM where ID = 7")));
            ds.Edit();
            ds.FieldByName(QStringLiteral("ZW"))->SetAsString(QStringLiteral("店员"));
            edit.btnOk_New->click();
        });
        list->aModify->trigger();
        QVERIFY(ran);
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(text(QStringLiteral("select ZW from YG where ID = %1").arg(id)),
                 QStringLiteral("店员"));
        list->Close();
    }

    void aPhotoAloneIsSavedForAnUnchangedRecord()
    {
        const int id = newEmployee(QStringLiteral("换照员工"), 7);
        const QString png = picture("only.png", Qt::yellow);
        auto *list = openList();
        QVERIFY(list);
        QVERIFY(list->ListDataSet->Locate(QStringLiteral("ID"), id));
        TFileDialogScript dialogs;
        dialogs.Answer(png);
        auto ran = whenModal<TfrmEmployeeEdit>([&](TfrmEmployeeEdit &edit) {
            edit.btnUpload->click();
            edit.btnOk_New->click();
        });
        list->aModify->trigger();
        QVERIFY(ran);
        QCOMPARE(TProcBlobObj(QStringLiteral("yg_pict")).Bytes(QString::number(id)), bytesOf(png));
        list->Close();
    }

    void aPhotoChosenBeforeMovingOnIsSavedOrDroppedAsAnswered()
    {
        const int kept = newEmployee(QStringLiteral("留照员工"), 7);
        const int dropped = newEmployee(QStringLiteral("弃照员工"), 7);
        const QString png = picture("move.png", Qt::cyan);
        auto *list = openList();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        TFileDialogScript dialogs;
        dialogs.Answer(png);
        dialogs.Answer(png);
        TMessageBoxScript boxes{mrYes, mrNo};
        for (const int id : {kept, dropped}) {
            QVERIFY(ds.Locate(QStringLiteral("ID"), id));
            auto ran = whenModal<TfrmEmployeeEdit>([&](TfrmEmployeeEdit &edit) {
                edit.btnUpload->click();
                edit.btnNext_New->click();
                QCOMPARE(boxes.Last().Text, QStringLiteral("是否保存对当前资料的修改?"));
                QVERIFY(!edit.PhotoPending());
                QVERIFY(ds.FieldByName(QStringLiteral("ID"))->AsInteger() != id);
                edit.btnCancel_New->click();
            });
            list->aModify->trigger();
            QVERIFY(ran);
        }
        QCOMPARE(photoRows(kept), 1);
        QCOMPARE(photoRows(dropped), 0);
        list->Close();
    }
};

QTEST_MAIN(TestEmployees)
#include "tst_employees.moc"
