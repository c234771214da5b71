// The tree tables against a real server: regions and departments opened from the main menu,
// the deletion rules (root, children before references), a new node under the selected one,
// the key checks and the refusal to leave a row being edited; the column layout editor and
// the single-table code lists.
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/forms/searchmodal.h"
#include "client/masterdata/columnsedit.h"
#include "client/masterdata/registerforms.h"
#include "client/masterdata/singletable.h"
#include "client/masterdata/treetables.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/messagebox.h"
#include "masterdatatest.h"
#include "support/testworld.h"
#include "support/whenmodal.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardItem>
#include <QTabWidget>
#include <QTest>

namespace {

// A document grid as the layout editor sees it: three columns in their built-in order.
void fillGrid(TDBGrid &grid)
{
    grid.Columns().Add(QStringLiteral("BH"), QStringLiteral("编号"), 80);
    grid.Columns().Add(QStringLiteral("MC"), QStringLiteral("名称"), 120);
    grid.Columns().Add(QStringLiteral("SL"), QStringLiteral("数量"), 60);
}
QStringList gridOrder(const TDBGrid &grid)
{
    QStringList names;
    for (int i = 0; i < grid.Columns().Count(); ++i)
        names << grid.Columns()[i]->FieldName();
    return names;
}
void setPositions(TfrmTableColumnsEdit &edit, const QList<int> &positions)
{
    TClientDataSet &rows = *edit.Columns;
    rows.First();
    for (int position : positions) {
        rows.Edit();
        rows.FieldByName(QStringLiteral("XH"))->SetAsInteger(position);
        rows.Post();
        rows.Next();
    }
}

} // namespace

class TestTrees : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    std::unique_ptr<TfrmMain> main;
    QPointer<TTreeModelFrm> form;

    TTreeModelFrm *openFromMenu(const char *item, const char *formName)
    {
        form = masterdatatest::OpenFromMenu<TTreeModelFrm>(*main, item, formName);
        return form;
    }

    static int count(const QString &sql) { return QueryValue(sql).toInt(); }
    static QString field(TTreeModelFrm &f, const char *name)
    {
        return f.Mast->FieldByName(QLatin1String(name))->AsString();
    }
    // Clicks the tree node of the key, as the user would.
    static void clickNode(TTreeModelFrm &f, const QString &key)
    {
        QVERIFY(f.stDBTree1->SelectKey(key));
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
        if (form) {
            TMessageBoxScript drop{mrNo};
            form->Close();
        }
        world.cleanup();
    }

    void regionWithSubRegionsIsRefusedBeforeItsReferences()
    {
        QVERIFY(world.keepTables({QStringLiteral("DQ"), QStringLiteral("KH")}));
        QVERIFY(ExecSQLScript(
            {QStringLiteral("insert into DQ (ID, MC, ParentCode) values (9001, '测试省', 1)"),
             QStringLiteral("insert into DQ (ID, MC, ParentCode) values (9002, '测试市', 9001)"),
             QStringLiteral("insert into KH (ID, BH, MC, DQID) values (9001, 'T9001', "
                            "'测试客户', 9001)")}));
        auto *f = openFromMenu("mnuDq", "frmDq");
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QStringLiteral("地区资料"));
        clickNode(*f, QStringLiteral("9001"));
        QCOMPARE(field(*f, "MC"), QStringLiteral("测试省"));
        QCOMPARE(field(*f, "ParentName"), QStringLiteral("全国"));

        TMessageBoxScript boxes;
        f->acDelete->trigger();
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("存在子节点，不能删除！"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("删除出错"));
        QCOMPARE(count(QStringLiteral("select count(*) from DQ where ID = 9001")), 1);

        // A leaf nobody refers to goes from the server and the tree.
        boxes.Clear();
        clickNode(*f, QStringLiteral("9002"));
        boxes.Answer(mrYes);
        f->acDelete->trigger();
        QCOMPARE(boxes.Last().Text, QStringLiteral("确定要删除吗?"));
        QCOMPARE(count(QStringLiteral("select count(*) from DQ where ID = 9002")), 0);
        QTRY_VERIFY(!f->stDBTree1->ItemOfKey(QStringLiteral("9002")));

        // Now childless, the region is still held by its customer.
        boxes.Clear();
        clickNode(*f, QStringLiteral("9001"));
        f->acDelete->trigger();
        QCOMPARE(boxes.Last().Caption, QStringLiteral("资料删除失败"));
        QCOMPARE(count(QStringLiteral("select count(*) from DQ where ID = 9001")), 1);
    }

    void theRootIsNeverDeleted_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("table");
        QTest::newRow("regions") << "mnuDq"
                                 << "frmDq"
                                 << "DQ";
        QTest::newRow("departments") << "mnuBm"
                                     << "DepartFrm"
                                     << "BM";
    }

    void theRootIsNeverDeleted()
    {
        QFETCH(QString, item);
        QFETCH(QString, name);
        QFETCH(QString, table);
        auto *f = openFromMenu(qPrintable(item), qPrintable(name));
        QVERIFY(f);
        clickNode(*f, QStringLiteral("1"));
        QCOMPARE(field(*f, "ID"), QStringLiteral("1"));
        TMessageBoxScript boxes{mrYes};
        f->acDelete->trigger();
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("根节点不能删除！"));
        QCOMPARE(count(QStringLiteral("select count(*) from ") + table +
                       QStringLiteral(" where ID = 1")),
                 1);
    }

    void aNewDepartmentGoesUnderTheSelectedNode()
    {
        QVERIFY(world.keepTables({QStringLiteral("BM")}));
        auto *f = openFromMenu("mnuBm", "DepartFrm");
        QVERIFY(f);
        clickNode(*f, QStringLiteral("1"));
        const int next = count(QStringLiteral("select max(ID) from BM")) + 1;
        f->acInsert->trigger();
        QCOMPARE(f->PageControl1->currentWidget(), f->TabDetail);
        QCOMPARE(f->Mast->State(), dsInsert);
        QVERIFY(!f->acInsert->isEnabled());
        QVERIFY(!f->acDelete->isEnabled());
        QVERIFY(f->acSave->isEnabled());
        QCOMPARE(field(*f, "ID"), QString::number(next));
        QCOMPARE(field(*f, "ParentCode"), QStringLiteral("1"));
        QCOMPARE(field(*f, "ParentName"), QStringLiteral("公司总部"));

        // A name is required.
        TMessageBoxScript boxes;
        f->acSave->trigger();
        QCOMPARE(boxes.Last().Text, QStringLiteral("字段 [部门名称] 不能为空！"));
        QCOMPARE(f->Mast->State(), dsInsert);

        f->Mast->FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("O'Neil组"));
        f->acSave->trigger();
        QCOMPARE(f->Mast->State(), dsBrowse);
        QCOMPARE(f->Mast->ChangeCount(), 0);
        QCOMPARE(QueryValue(QStringLiteral("select MC from BM where ID = ") +
                            QString::number(next) + QStringLiteral(" and ParentCode = 1"))
                     .toString(),
                 QStringLiteral("O'Neil组"));
        QVERIFY(f->acInsert->isEnabled());
        QTRY_VERIFY(f->stDBTree1->ItemOfKey(QString::number(next)));
    }

    void aKeyTakenByAnotherClerkMovesOn()
    {
        QVERIFY(world.keepTables({QStringLiteral("BM")}));
        auto *f = openFromMenu("mnuBm", "DepartFrm");
        QVERIFY(f);
        clickNode(*f, QStringLiteral("1"));
        f->acInsert->trigger();
        const int proposed = f->Mast->FieldByName(QStringLiteral("ID"))->AsInteger();
        // Another clerk saves a department with the same key first.
        QVERIFY(ExecSQL(QStringLiteral("insert into BM (ID, MC, ParentCode) values (") +
                        QString::number(proposed) + QStringLiteral(", '别人的部门', 1)")));
        f->Mast->FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("我的部门"));
        TMessageBoxScript boxes;
        f->acSave->trigger();
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(f->Mast->ChangeCount(), 0);
        QCOMPARE(QueryValue(QStringLiteral("select ID from BM where MC = '我的部门'")).toInt(),
                 proposed + 1);
        QCOMPARE(
            QueryValue(QStringLiteral("select MC from BM where ID = ") + QString::number(proposed))
                .toString(),
            QStringLiteral("别人的部门"));
    }

    void aDuplicateKeyIsRefusedAndTheKeyRestored()
    {
        QVERIFY(world.keepTables({QStringLiteral("BM")}));
        QVERIFY(ExecSQL(
            QStringLiteral("insert into BM (ID, MC, ParentCode) values (9001, '测试部', 1)")));
        auto *f = openFromMenu("mnuBm", "DepartFrm");
        QVERIFY(f);
        clickNode(*f, QStringLiteral("9001"));
        f->acModify->trigger();
        QCOMPARE(f->Mast->State(), dsEdit);
        f->Mast->FieldByName(QStringLiteral("ID"))->SetAsString(QStringLiteral("1"));
        TMessageBoxScript boxes;
        f->acSave->trigger();
        QCOMPARE(boxes.Last().Text, QStringLiteral("已有同名类型代码，请重新设置部门代码"));
        QCOMPARE(f->Mast->State(), dsEdit);
        QCOMPARE(field(*f, "ID"), QStringLiteral("9001"));
        QCOMPARE(count(QStringLiteral("select count(*) from BM where MC = '公司总部'")), 1);

        // Its own key is no duplicate.
        boxes.Clear();
        f->Mast->FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("测试二部"));
        f->acSave->trigger();
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(QueryValue(QStringLiteral("select MC from BM where ID = 9001")).toString(),
                 QStringLiteral("测试二部"));
    }

    void theNodeStaysWhileARowIsEdited()
    {
        QVERIFY(world.keepTables({QStringLiteral("BM")}));
        QVERIFY(ExecSQL(
            QStringLiteral("insert into BM (ID, MC, ParentCode) values (9001, '测试部', 1)")));
        auto *f = openFromMenu("mnuBm", "DepartFrm");
        QVERIFY(f);
        clickNode(*f, QStringLiteral("9001"));
        f->acModify->trigger();
        f->Mast->FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("改名中"));
        TMessageBoxScript boxes;
        f->stDBTree1->SelectKey(QStringLiteral("1"));
        QCOMPARE(boxes.Last().Text, QStringLiteral("数据处于编辑状态，不能移动节点！"));
        QCOMPARE(f->Mast->State(), dsEdit);
        QCOMPARE(field(*f, "ID"), QStringLiteral("9001"));
        QCOMPARE(f->stDBTree1->SelectedKey(), QStringLiteral("9001"));

        // Moving to the next row asks the edit form's question; "No" drops the change.
        boxes.Clear();
        boxes.Answer(mrNo);
        f->acNext->setEnabled(true);
        f->acNext->trigger();
        QCOMPARE(boxes.Last().Text, QStringLiteral("是否保存对当前资料的修改?"));
        QCOMPARE(f->Mast->State(), dsBrowse);
        QCOMPARE(QueryValue(QStringLiteral("select MC from BM where ID = 9001")).toString(),
                 QStringLiteral("测试部"));
    }
    void anInsertRejectedForItsKeyIsSentAgainWithTheNext()
    {
        QVERIFY(world.keepTables({QStringLiteral("BM")}));
        auto *f = openFromMenu("mnuBm", "DepartFrm");
        QVERIFY(f);
        // Without the probe the clash reaches the server, as when another clerk saves between
        // the probe and the apply.
        f->Table.UniqueProbe.clear();
        clickNode(*f, QStringLiteral("1"));
        f->acInsert->trigger();
        const int proposed = f->Mast->FieldByName(QStringLiteral("ID"))->AsInteger();
        QVERIFY(ExecSQL(QStringLiteral("insert into BM (ID, MC, ParentCode) values (") +
                        QString::number(proposed) + QStringLiteral(", '别人的部门', 1)")));
        f->Mast->FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("我的部门"));
        TMessageBoxScript boxes;
        f->acSave->trigger();
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(f->Mast->ChangeCount(), 0);
        QCOMPARE(field(*f, "ID"), QString::number(proposed + 1));
        QCOMPARE(QueryValue(QStringLiteral("select ID from BM where MC = '我的部门'")).toInt(),
                 proposed + 1);

        // A key the user typed is theirs: the rejection leaves the row unsent with the key
        // it was proposed, and saving again stores it under that key.
        f->acInsert->trigger();
        const QString offered = field(*f, "ID");
        QCOMPARE(offered, QString::number(proposed + 2));
        f->Mast->FieldByName(QStringLiteral("ID"))->SetAsInteger(proposed);
        f->Mast->FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("重号部门"));
        f->acSave->trigger();
        QVERIFY(f->Mast->ChangeCount() > 0);
        QCOMPARE(f->Mast->State(), dsEdit);
        QCOMPARE(field(*f, "ID"), offered);
        QCOMPARE(count(QStringLiteral("select count(*) from BM where MC = '重号部门'")), 0);
        f->acSave->trigger();
        QCOMPARE(f->Mast->ChangeCount(), 0);
        QCOMPARE(QueryValue(QStringLiteral("select ID from BM where MC = '重号部门'")).toString(),
                 offered);
    }

    void aCategoryInUseIsKept()
    {
        const QString used =
            QueryValue(QStringLiteral("select min(HPLBID) from HP where HPLBID not in (select "
                                      "ParentCode from Pub_ItemType)"))
                .toString();
        QVERIFY(!used.isEmpty() && used != QLatin1String("0"));
        auto *f = openFromMenu("mnuHplb", "ItemTypeFrm");
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QStringLiteral("货品类别"));
        QCOMPARE(f->Mast->RecordCount(),
                 count(QStringLiteral("select count(*) from Pub_ItemType")));
        clickNode(*f, used);
        TMessageBoxScript boxes{mrYes};
        f->acDelete->trigger();
        QCOMPARE(boxes.Last().Caption, QStringLiteral("资料删除失败"));
        QCOMPARE(
            count(QStringLiteral("select count(*) from Pub_ItemType where ItemType = ") + used), 1);
    }

    void aRowMovesUnderAParentChosenInTheSearchDialog()
    {
        QVERIFY(world.keepTables({QStringLiteral("DQ")}));
        QVERIFY(ExecSQLScript(
            {QStringLiteral("insert into DQ (ID, MC, ParentCode) values (9001, '华东', 1)"),
             QStringLiteral("insert into DQ (ID, MC, ParentCode) values (9002, '上海', 1)")}));
        auto *f = openFromMenu("mnuDq", "frmDq");
        QVERIFY(f);
        clickNode(*f, QStringLiteral("9002"));
        auto chosen = vztest::whenModal<TSearchItemTypeFrm>([](TSearchItemTypeFrm &dialog) {
            QVERIFY(dialog.stDBTree1->SelectKey(QStringLiteral("9001")));
            dialog.btnOk->click();
        });
        f->DBEditParent->ButtonClick();
        QVERIFY(chosen);
        QCOMPARE(f->Mast->State(), dsEdit);
        QCOMPARE(field(*f, "ParentName"), QStringLiteral("华东"));
        QCOMPARE(field(*f, "ParentCode"), QStringLiteral("9001"));
        f->acSave->trigger();
        QCOMPARE(f->Mast->ChangeCount(), 0);
        QCOMPARE(count(QStringLiteral("select ParentCode from DQ where ID = 9002")), 9001);
        QCOMPARE(QueryValue(QStringLiteral("select ParentName from DQ where ID = 9002")).toString(),
                 QStringLiteral("华东"));
        QTRY_COMPARE(f->stDBTree1->ItemOfKey(QStringLiteral("9002"))->parent(),
                     f->stDBTree1->ItemOfKey(QStringLiteral("9001")));
    }

    void theBasicListsAreOneSystemsLists()
    {
        QVERIFY(world.keepTables({QStringLiteral("pub_Project")}));
        QVERIFY(ExecSQL(QStringLiteral("insert into pub_Project (ItemType, TypeName, ParentCode, "
                                       "VZSystem) values (9001, '别的系统', 0, 'other')")));
        auto ran = vztest::whenModal<TPub_ProjectFrm>([&](TPub_ProjectFrm &f) {
            form = &f;
            QCOMPARE(f.Scope(), QStringLiteral("office"));
            QCOMPARE(f.Mast->RecordCount(),
                     count(QStringLiteral(
                         "select count(*) from pub_Project where VZSystem = 'office'")));
            QVERIFY(!f.stDBTree1->ItemOfKey(QStringLiteral("9001")));
            // A value of the units list.
            clickNode(f, QStringLiteral("1"));
            f.acInsert->trigger();
            QCOMPARE(field(f, "ParentName"), QStringLiteral("计量单位"));
            TMessageBoxScript boxes;
            f.Mast->FieldByName(QStringLiteral("TypeName"))->SetAsString(QStringLiteral("个"));
            f.acSave->trigger();
            QCOMPARE(boxes.Last().Text, QStringLiteral("已有同名项目，请重新设置名称"));
            QCOMPARE(f.Mast->State(), dsInsert);
            f.Mast->FieldByName(QStringLiteral("TypeName"))->SetAsString(QStringLiteral("O'打"));
            f.acSave->trigger();
            QCOMPARE(f.Mast->ChangeCount(), 0);
            // Renaming keeps its own name acceptable.
            boxes.Clear();
            f.acModify->trigger();
            f.acSave->trigger();
            QCOMPARE(boxes.Count(), 0);
            f.SetModalResult(mrOk);
        });
        main->Item(QStringLiteral("mnuProject"))->trigger();
        QVERIFY(ran);
        QCOMPARE(QueryValue(QStringLiteral("select VZSystem from pub_Project where TypeName = "
                                           "'O''打' and ParentCode = 1"))
                     .toString(),
                 QStringLiteral("office"));
    }

    void aPickerReturnsTheChosenRow()
    {
        TDepartFrm picker;
        picker.DoCreate();
        picker.SetSelectMode(true);
        picker.show();
        QVERIFY(picker.aSelectExit->isVisible());
        clickNode(picker, QStringLiteral("1"));
        picker.aSelectExit->trigger();
        QVERIFY(picker.Selected);
        QCOMPARE(picker.ResultID, QStringLiteral("1"));
        QCOMPARE(picker.ResultName, QStringLiteral("公司总部"));
    }

    void leavingWithAPendingEditAsksToKeepIt_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("yes saves") << int(mrYes) << true << QStringLiteral("新名字");
        QTest::newRow("no drops") << int(mrNo) << true << QStringLiteral("测试部");
        QTest::newRow("cancel stays") << int(mrCancel) << false << QStringLiteral("测试部");
    }

    void leavingWithAPendingEditAsksToKeepIt()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(QString, stored);
        QVERIFY(world.keepTables({QStringLiteral("BM")}));
        QVERIFY(ExecSQL(
            QStringLiteral("insert into BM (ID, MC, ParentCode) values (9001, '测试部', 1)")));
        auto *f = openFromMenu("mnuBm", "DepartFrm");
        QVERIFY(f);
        clickNode(*f, QStringLiteral("9001"));
        f->acModify->trigger();
        f->Mast->FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("新名字"));
        {
            TMessageBoxScript boxes{TModalResult(answer)};
            f->acReturn->trigger();
            QCOMPARE(boxes.Last().Text, QStringLiteral("是否保存对当前资料的修改?"));
        }
        QTRY_COMPARE(form.isNull(), closed);
        QCOMPARE(QueryValue(QStringLiteral("select MC from BM where ID = 9001")).toString(),
                 stored);
    }

    void aGridWithoutLayoutGetsOneRowPerColumn()
    {
        QVERIFY(world.keepTables({QStringLiteral("TableColumns")}));
        TDBGrid grid;
        fillGrid(grid);
        TfrmTableColumnsEdit edit(QStringLiteral("tstGrid"), &grid);
        edit.DoCreate();
        edit.show();
        TClientDataSet &rows = *edit.Columns;
        QCOMPARE(rows.RecordCount(), 3);
        const QStringList captions{QStringLiteral("编号"), QStringLiteral("名称"),
                                   QStringLiteral("数量")};
        int position = 1;
        for (rows.First(); !rows.Eof(); rows.Next(), ++position) {
            QCOMPARE(rows.FieldByName(QStringLiteral("XH"))->AsInteger(), position);
            QCOMPARE(rows.FieldByName(QStringLiteral("FieldCaption"))->AsString(),
                     captions[position - 1]);
            QVERIFY(rows.FieldByName(QStringLiteral("IsShow"))->AsBoolean());
            QVERIFY(rows.FieldByName(QStringLiteral("PrintIsShow"))->AsBoolean());
        }
        edit.close();
    }

    void layoutPositionsOutsideTheRowsAreRefused_data()
    {
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QString>("message");
        QTest::newRow("zero") << QList<int>{0, 2, 3} << QStringLiteral("序号不能小于1");
        QTest::newRow("negative") << QList<int>{1, -1, 3} << QStringLiteral("序号不能小于1");
        QTest::newRow("N+1") << QList<int>{1, 2, 4} << QStringLiteral("序号不能大于3");
        QTest::newRow("duplicates") << QList<int>{2, 2, 3} << QString();
        QTest::newRow("reversed") << QList<int>{3, 2, 1} << QString();
    }

    void layoutPositionsOutsideTheRowsAreRefused()
    {
        QFETCH(QList<int>, positions);
        QFETCH(QString, message);
        QVERIFY(world.keepTables({QStringLiteral("TableColumns")}));
        TDBGrid grid;
        fillGrid(grid);
        TfrmTableColumnsEdit edit(QStringLiteral("tstGrid"), &grid);
        edit.DoCreate();
        edit.show();
        setPositions(edit, positions);
        TMessageBoxScript boxes;
        edit.btnSave->click();
        const int stored =
            count(QStringLiteral("select count(*) from TableColumns where TableName = 'tstGrid'"));
        if (message.isEmpty()) {
            QCOMPARE(boxes.Last().Caption, QStringLiteral("格式设置成功"));
            QCOMPARE(stored, 3);
        } else {
            QCOMPARE(boxes.Last().Text, message);
            QCOMPARE(boxes.Last().Caption, QStringLiteral("格式设置失败"));
            QCOMPARE(boxes.Last().Icon, TMsgIcon::Error);
            QCOMPARE(stored, 0);
        }
        edit.close();
    }

    void aLayoutIsSavedReopenedAndRestored()
    {
        QVERIFY(world.keepTables({QStringLiteral("TableColumns")}));
        TDBGrid grid;
        fillGrid(grid);
        {
            TfrmTableColumnsEdit edit(QStringLiteral("tst'Grid"), &grid);
            edit.DoCreate();
            edit.show();
            // The quantity first, the name hidden.
            setPositions(edit, {2, 3, 1});
            TClientDataSet &rows = *edit.Columns;
            QVERIFY(rows.Locate(QStringLiteral("FieldName"), QStringLiteral("MC")));
            rows.Edit();
            rows.FieldByName(QStringLiteral("IsShow"))->SetAsBoolean(false);
            rows.FieldByName(QStringLiteral("FieldCaption"))->SetAsString(QStringLiteral("品名"));
            rows.Post();
            TMessageBoxScript boxes;
            edit.btnSave->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("格式设置成功，请关闭单据重新打开！"));
            edit.close();
        }
        // The document opened again shows the stored layout.
        TDBGrid reopened;
        fillGrid(reopened);
        ApplyTableColumns(reopened, QStringLiteral("tst'Grid"));
        QCOMPARE(gridOrder(reopened),
                 (QStringList{QStringLiteral("SL"), QStringLiteral("BH"), QStringLiteral("MC")}));
        const TColumn *name = reopened.Columns().FindByFieldName(QStringLiteral("MC"));
        QVERIFY(!name->Visible());
        QCOMPARE(name->Title().Caption(), QStringLiteral("品名"));

        // The editor reopens on the stored rows, in their order.
        TfrmTableColumnsEdit edit(QStringLiteral("tst'Grid"), &grid);
        edit.DoCreate();
        edit.show();
        edit.Columns->First();
        QCOMPARE(edit.Columns->FieldByName(QStringLiteral("FieldName"))->AsString(),
                 QStringLiteral("SL"));
        QCOMPARE(edit.Columns->RecordCount(), 3);

        TMessageBoxScript boxes{mrYes};
        edit.btnRestore->click();
        QCOMPARE(boxes.Requests().first().Text, QStringLiteral("确定要恢复到默认的格式吗？"));
        QCOMPARE(boxes.Last().Text, QStringLiteral("已恢复到默认格式，请关闭单据重新打开！"));
        QCOMPARE(edit.ModalResult(), mrOk);
        QCOMPARE(count(QStringLiteral(
                     "select count(*) from TableColumns where TableName = 'tst''Grid'")),
                 0);
        TDBGrid restored;
        fillGrid(restored);
        ApplyTableColumns(restored, QStringLiteral("tst'Grid"));
        QCOMPARE(gridOrder(restored), gridOrder(grid));
        QVERIFY(restored.Columns().FindByFieldName(QStringLiteral("MC"))->Visible());
    }

    void theDateRangeNarrowsASingleTable()
    {
        QVERIFY(world.keepTables({QStringLiteral("Gz_Monthzb")}));
        QVERIFY(ExecSQLScript(
            {QStringLiteral("delete from Gz_Monthzb"),
             QStringLiteral("insert into Gz_Monthzb (ID, F_Year, F_Month, RQ) values (1, 2026, 1, "
                            "'2026-01-15')"),
             QStringLiteral("insert into Gz_Monthzb (ID, F_Year, F_Month, RQ) values (2, 2026, 3, "
                            "'2026-03-01')")}));
        TClientDataSet rows(QStringLiteral("cdsMonths"));
        rows.SetProviderName(QStringLiteral("pGz_Monthzb"));
        rows.SetRemoteServer(&Data().cn());
        TSingleTableFrm list;
        list.SetDataSet(&rows);
        list.TableName = QStringLiteral("Gz_Monthzb");
        list.DateField = QStringLiteral("RQ");
        list.DoCreate();
        list.show();
        QCOMPARE(list.Condition(), QStringLiteral(" 1=1"));
        QCOMPARE(rows.RecordCount(), 2);
        list.dtFrom->setDate(QDate(2026, 1, 1));
        list.dtTo->setDate(QDate(2026, 1, 31));
        list.cbDate->setChecked(true);
        QCOMPARE(list.Condition(), QStringLiteral(" RQ between #2026-01-01# and #2026-01-31#"));
        QCOMPARE(rows.RecordCount(), 1);
        QCOMPARE(rows.FieldByName(QStringLiteral("F_Month"))->AsInteger(), 1);
        // Without a date field the box changes nothing.
        list.DateField.clear();
        QCOMPARE(list.Condition(), QStringLiteral(" 1=1"));
        list.close();
        rows.Close();
    }

    void aSingleTableOnAnEmptyTableProposesKeyOne()
    {
        QVERIFY(world.keepTables({QStringLiteral("Gz_GZong")}));
        QVERIFY(ExecSQL(QStringLiteral("delete from Gz_GZong")));
        auto ran = vztest::whenModal<TGz_GZongFrm>([&](TGz_GZongFrm &list) {
            QCOMPARE(list.windowTitle(), QStringLiteral("计件工种"));
            QVERIFY(list.DataSet()->IsEmpty());
            list.acInsert->trigger();
            QCOMPARE(list.DataSet()->FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
            list.DataSet()
                ->FieldByName(QStringLiteral("F_Name"))
                ->SetAsString(QStringLiteral("车工"));
            list.acSave->trigger();
            list.acInsert->trigger();
            QCOMPARE(list.DataSet()->FieldByName(QStringLiteral("ID"))->AsInteger(), 2);
            TMessageBoxScript drop{mrNo};
            list.Close();
        });
        GlobalObj().MDIWindows.OpenHRForm(QStringLiteral("计件工种"));
        QVERIFY(ran);
        QCOMPARE(QueryValue(QStringLiteral("select F_Name from Gz_GZong where id = 1")).toString(),
                 QStringLiteral("车工"));
        QCOMPARE(count(QStringLiteral("select count(*) from Gz_GZong")), 1);
    }

    void aProcessTakesItsTradeByName()
    {
        QVERIFY(world.keepTables({QStringLiteral("Gz_GZong"), QStringLiteral("Gz_GXu")}));
        QVERIFY(ExecSQLScript({QStringLiteral("delete from Gz_GXu"),
                               QStringLiteral("insert into Gz_GZong (id, F_Name) values (9001, "
                                              "'钳工')")}));
        auto ran = vztest::whenModal<TGz_GXuFrm>([&](TGz_GXuFrm &list) {
            list.acInsert->trigger();
            TClientDataSet &rows = *list.DataSet();
            QCOMPARE(rows.FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
            rows.FieldByName(QStringLiteral("F_Name"))->SetAsString(QStringLiteral("锉削"));
            rows.FieldByName(QStringLiteral("GzName"))->SetAsString(QStringLiteral("钳工"));
            QCOMPARE(rows.FieldByName(QStringLiteral("F_GzID"))->AsInteger(), 9001);
            list.acSave->trigger();
            list.Close();
        });
        GlobalObj().MDIWindows.OpenHRForm(QStringLiteral("计件工序"));
        QVERIFY(ran);
        QCOMPARE(QueryValue(QStringLiteral("select F_GzID from Gz_GXu where id = 1")).toInt(),
                 9001);
    }
};

QTEST_MAIN(TestTrees)
#include "tst_trees.moc"
