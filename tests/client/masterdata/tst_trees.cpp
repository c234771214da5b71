// The tree tables against a real server: regions and departments opened from the main menu,
// the deletion rules (root, children before references), a new node under the selected one,
// the key checks and the refusal to leave a row being edited.
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/registerforms.h"
#include "client/masterdata/treetables.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"

#include <QAction>
#include <QPointer>
#include <QTabWidget>
#include <QTest>

class TestTrees : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    std::unique_ptr<TfrmMain> main;
    QPointer<TTreeModelFrm> form;

    TTreeModelFrm *openFromMenu(const char *item, const char *formName)
    {
        main->Item(QLatin1String(item))->trigger();
        form =
            qobject_cast<TTreeModelFrm *>(GlobalObj().MDIWindows.FindForm(QLatin1String(formName)));
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
        QCOMPARE(boxes.Last().Text, QStringLiteral("字段 [MC] 不能为空！"));
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
};

QTEST_MAIN(TestTrees)
#include "tst_trees.moc"
