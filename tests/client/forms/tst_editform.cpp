// The generic edit form on real tables, run modally from a list as the user runs it: the
// defaults of a new record, rounding to the display format, the required fields, the
// duplicate probe, a save the server refuses, save-and-add, previous and next with the save
// prompt, cancelling, and the dataset's handlers given back.
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/messagebox.h"
#include "formstests.h"

#include <QPointer>
#include <QPushButton>

using namespace formstest;

namespace {

double serverValue(const QString &sql)
{
    return QueryValue(sql).toDouble();
}

// A record dataset of the test's own on a table, for edit forms used without a list.
struct TableSource
{
    explicit TableSource(const QString &table)
    {
        dataSet.SetRemoteServer(&Data().cn());
        dataSet.SetProviderName(QStringLiteral("p") + table);
        dataSet.SetCommandText(QStringLiteral("select * from ") + table);
        source.SetDataSet(&dataSet);
    }
    TClientDataSet dataSet;
    TDataSource source;
};

} // namespace

class TestEditForm : public QObject
{
    Q_OBJECT

    QPointer<TfrmTestCust> list;

    TClientDataSet &customers() { return *list->ListDataSet; }

private slots:
    void init()
    {
        QVERIFY(env().keepTables({QStringLiteral("KH")}));
        list = new TfrmTestCust;
        list->DoCreate();
        list->show();
    }
    void cleanup()
    {
        if (list)
            list->close();
        env().cleanup();
    }

    void newRecordOnAnEmptyTableGetsIdOneAndCodeOneAndNoDefaultsElse()
    {
        QVERIFY(env().keepTables({QStringLiteral("SRZCLB")}));
        QVERIFY(ExecSQL(QStringLiteral("delete from SRZCLB")));
        TableSource categories(QStringLiteral("SRZCLB"));
        TfrmComEdit form;
        form.EditDataSource = &categories.source;
        form.IdTable = QStringLiteral("SRZCLB");
        form.EditMode = QStringLiteral("A");
        const auto answered = vztest::whenModal<TfrmComEdit>([&categories](TfrmComEdit &edit) {
            TClientDataSet &ds = categories.dataSet;
            QCOMPARE(ds.State(), dsInsert);
            QCOMPARE(ds.FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
            QCOMPARE(ds.FieldByName(QStringLiteral("BH"))->AsString(), QStringLiteral("0001"));
            QVERIFY(edit.btnInsert_New->isVisible());
            QCOMPARE(edit.windowTitle(), QStringLiteral("基础资料增加"));
            edit.btnCancel_New->click();
        });
        QCOMPARE(form.ShowModal(), mrCancel);
        QVERIFY(categories.dataSet.IsEmpty());
    }

    void newRecordTakesTheServerDateAndTheStopFlag()
    {
        TableSource transfers(QStringLiteral("YHCKQK"));
        TfrmComEdit form;
        form.EditDataSource = &transfers.source;
        form.IdTable = QStringLiteral("YHCKQK");
        form.EditMode = QStringLiteral("I");
        const int next = int(serverValue(QStringLiteral("select max(ID) from YHCKQK"))) + 1;
        const auto transfer = vztest::whenModal<TfrmComEdit>([&transfers, next](TfrmComEdit &) {
            TClientDataSet &ds = transfers.dataSet;
            QCOMPARE(ds.FieldByName(QStringLiteral("ID"))->AsInteger(), next);
            QCOMPARE(ds.FieldByName(QStringLiteral("RQ"))->AsDate(), Data().GetServerDate());
        });
        form.ShowModal();
        QCOMPARE(transfers.dataSet.ChangeCount(), 0);

        const auto customer = vztest::whenModal<TfrmTestCustEdit>([this](TfrmTestCustEdit &edit) {
            TClientDataSet &ds = customers();
            const int id = int(serverValue(QStringLiteral("select max(ID) from KH"))) + 1;
            QCOMPARE(ds.FieldByName(QStringLiteral("ID"))->AsInteger(), id);
            QCOMPARE(ds.FieldByName(QStringLiteral("BH"))->AsString(), QString::number(id));
            QVERIFY(!ds.FieldByName(QStringLiteral("ZT"))->IsNull());
            QCOMPARE(ds.FieldByName(QStringLiteral("ZT"))->AsBoolean(), false);
            QCOMPARE(edit.windowTitle(), QStringLiteral("基础资料增加"));
        });
        list->aNew->trigger();
        QCOMPARE(customers().State(), dsBrowse);
    }

    void numbersShownWithThousandsAreRoundedToTheirMask()
    {
        list->aNew->SetHint(QStringLiteral("A"));
        const auto answered = vztest::whenModal<TfrmTestCustEdit>([this](TfrmTestCustEdit &edit) {
            TClientDataSet &ds = customers();
            TField *balance = ds.FieldByName(QStringLiteral("QCJE"));
            balance->SetDisplayFormat(QStringLiteral("#,##0.00"));
            QTest::keyClicks(edit.EditBH, QStringLiteral("R1"));
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("四舍五入甲"));
            balance->SetAsFloat(1234.567);
            edit.btnInsert_New->click();
            QVERIFY(edit.Applied);
            QCOMPARE(ds.State(), dsInsert);
            QCOMPARE(ds.RecNo(), -1);
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("四舍五入乙"));
            ds.FieldByName(QStringLiteral("QCJE"))->SetAsFloat(12.345);
            edit.btnOk_New->click();
            QVERIFY(edit.Saved);
            QCOMPARE(edit.LastMC, QStringLiteral("四舍五入乙"));
        });
        list->aNew->trigger();
        QCOMPARE(serverValue(QStringLiteral("select QCJE from KH where MC = '四舍五入甲'")),
                 1234.57);
        QCOMPARE(serverValue(QStringLiteral("select QCJE from KH where MC = '四舍五入乙'")),
                 12.345);
        // Save-and-add appended the records at the end of the list.
        customers().Last();
        QCOMPARE(customers().FieldByName(QStringLiteral("MC"))->AsString(),
                 QStringLiteral("四舍五入乙"));
    }

    void requiredFieldsStopThePostAndKeepTheRecord()
    {
        const auto answered = vztest::whenModal<TfrmTestCustEdit>([this](TfrmTestCustEdit &edit) {
            TClientDataSet &ds = customers();
            QCOMPARE(edit.RequiredFields, QStringLiteral("BH; MC;"));
            {
                // The blank after ";" does not hide MC.
                TMessageBoxScript boxes;
                edit.btnOk_New->click();
                QCOMPARE(boxes.Count(), 1);
                QCOMPARE(boxes.Last().Text, QStringLiteral("'MC'未录入, 请继续录入!"));
                QCOMPARE(boxes.Last().Caption, QStringLiteral("录入错误"));
                QCOMPARE(boxes.Last().Icon, TMsgIcon::Warning);
            }
            QVERIFY(edit.isVisible());
            QCOMPARE(ds.State(), dsInsert);
            QCOMPARE(ds.ChangeCount(), 0);
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("必填测试"));
            ds.FieldByName(QStringLiteral("BH"))->Clear();
            edit.EditBH->setText(QString());
            {
                TMessageBoxScript boxes;
                edit.btnOk_New->click();
                QCOMPARE(boxes.Last().Text, QStringLiteral("'BH'未录入, 请继续录入!"));
            }
            QVERIFY(edit.isVisible());
            edit.btnCancel_New->click();
        });
        list->aNew->trigger();
        QCOMPARE(customers().ChangeCount(), 0);
        QCOMPARE(serverValue(QStringLiteral("select count(*) from KH where MC = '必填测试'")), 0.0);
    }

    void aRequiredNumberHoldingZeroIsNotEntered()
    {
        // A form that also demands the region.
        class TfrmRegionEdit : public TfrmTestCustEdit
        {
        public:
            using TfrmTestCustEdit::TfrmTestCustEdit;

        protected:
            void FormShow() override
            {
                RequiredFields = QStringLiteral("BH;MC;DQID");
                TfrmTestCustEdit::FormShow();
            }
        };
        TfrmRegionEdit edit(list);
        edit.EditMode = QStringLiteral("I");
        const auto answered = vztest::whenModal<TfrmTestCustEdit>([](TfrmTestCustEdit &form) {
            form.EditDataSet->FieldByName(QStringLiteral("MC"))
                ->SetAsString(QStringLiteral("无地区"));
            TMessageBoxScript boxes;
            form.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("'DQID'未录入, 请继续录入!"));
            QCOMPARE(form.EditDataSet->FieldByName(QStringLiteral("DQID"))->AsInteger(), 0);
            form.btnCancel_New->click();
        });
        edit.ShowModal();
    }

    void duplicateProbeExcludesTheRecordsOwnId()
    {
        QVERIFY(customers().Locate(QStringLiteral("ID"), 9001));
        const auto unchanged = vztest::whenModal<TfrmTestCustEdit>([this](TfrmTestCustEdit &edit) {
            QCOMPARE(edit.windowTitle(), QStringLiteral("基础资料修改"));
            TClientDataSet &ds = customers();
            ds.Edit();
            // Unchanged name: the probe finds only the record itself, which it leaves out.
            TMessageBoxScript boxes;
            edit.btnOk_New->click();
            QCOMPARE(boxes.Count(), 0);
            QVERIFY(edit.Saved);
        });
        list->aModify->trigger();

        const auto renamed = vztest::whenModal<TfrmTestCustEdit>([this](TfrmTestCustEdit &edit) {
            TClientDataSet &ds = customers();
            ds.Edit();
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("东方"));
            QCOMPARE(edit.OldValue(QStringLiteral("MC")).toString(), QStringLiteral("O'Neil商行"));
            TMessageBoxScript boxes;
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("【客户简称】不能重复，请重新输入！"));
            QCOMPARE(ds.State(), dsEdit);
            QCOMPARE(ds.ChangeCount(), 0);
            QVERIFY(!edit.Saved);
        });
        list->aModify->trigger();
        QCOMPARE(QueryValue(QStringLiteral("select MC from KH where ID = 9001")).toString(),
                 QStringLiteral("O'Neil商行"));
        QCOMPARE(customers().FieldByName(QStringLiteral("MC"))->AsString(),
                 QStringLiteral("O'Neil商行"));
    }

    void aSaveTheServerRefusesKeepsTheFormOpenAndTheData()
    {
        const auto answered = vztest::whenModal<TfrmTestCustEdit>([this](TfrmTestCustEdit &edit) {
            TClientDataSet &ds = customers();
            ds.FieldByName(QStringLiteral("ID"))->SetAsInteger(9001); // taken
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("重复主键"));
            edit.btnOk_New->click();
            QVERIFY(edit.isVisible());
            QVERIFY(!edit.Saved);
            QVERIFY(!edit.Applied);
            QCOMPARE(ds.ChangeCount(), 1);
            QCOMPARE(ds.FieldByName(QStringLiteral("MC"))->AsString(), QStringLiteral("重复主键"));

            ds.Edit();
            ds.FieldByName(QStringLiteral("ID"))->SetAsInteger(9100);
            edit.btnOk_New->click();
            QVERIFY(edit.Saved);
            QVERIFY(edit.Applied);
            QCOMPARE(edit.LastID, QStringLiteral("9100"));
        });
        list->aNew->trigger();
        QCOMPARE(QueryValue(QStringLiteral("select MC from KH where ID = 9100")).toString(),
                 QStringLiteral("重复主键"));
        QCOMPARE(customers().ChangeCount(), 0);
    }

    void movingAsksToSaveChanges()
    {
        customers().First();
        const QString first = customers().FieldByName(QStringLiteral("MC"))->AsString();
        const int firstId = customers().FieldByName(QStringLiteral("ID"))->AsInteger();
        const auto answered = vztest::whenModal<TfrmTestCustEdit>([&](TfrmTestCustEdit &edit) {
            TClientDataSet &ds = customers();
            ds.Edit();
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("前后移动"));
            {
                TMessageBoxScript boxes{mrCancel};
                edit.btnNext_New->click();
                QCOMPARE(boxes.Last().Text, QStringLiteral("是否保存对当前资料的修改?"));
                QCOMPARE(boxes.Last().Caption, QStringLiteral("资料保存"));
                QCOMPARE(boxes.Last().Buttons, TMsgButtons::YesNoCancel);
            }
            QCOMPARE(ds.FieldByName(QStringLiteral("ID"))->AsInteger(), firstId);
            QCOMPARE(ds.ChangeCount(), 1);
            {
                TMessageBoxScript boxes{mrNo};
                edit.btnNext_New->click();
            }
            QVERIFY(ds.FieldByName(QStringLiteral("ID"))->AsInteger() != firstId);
            QCOMPARE(ds.ChangeCount(), 0);
            {
                TMessageBoxScript boxes;
                edit.btnPrior_New->click();
                QCOMPARE(boxes.Count(), 0);
            }
            QCOMPARE(ds.FieldByName(QStringLiteral("MC"))->AsString(), first);
            QVERIFY(edit.btnPrior_New->isEnabled());
            // A step back from the first record finds the beginning.
            edit.btnPrior_New->click();
            QVERIFY(!edit.btnPrior_New->isEnabled());
            QVERIFY(edit.btnNext_New->isEnabled());
            ds.Edit();
            ds.FieldByName(QStringLiteral("MC"))->SetAsString(QStringLiteral("前后移动"));
            {
                TMessageBoxScript boxes{mrYes};
                edit.btnNext_New->click();
            }
            QCOMPARE(edit.afterApplyCount, 1);
            QCOMPARE(ds.ChangeCount(), 0);
            edit.btnCancel_New->click();
        });
        list->aModify->trigger();
        QCOMPARE(
            QueryValue(QStringLiteral("select MC from KH where ID = %1").arg(firstId)).toString(),
            QStringLiteral("前后移动"));
    }

    void escapeCancelsAndTheHandlersGoBack()
    {
        const int rows = customers().RecordCount();
        const auto answered = vztest::whenModal<TfrmTestCustEdit>([](TfrmTestCustEdit &edit) {
            edit.EditDataSet->FieldByName(QStringLiteral("MC"))
                ->SetAsString(QStringLiteral("取消"));
            QTest::keyClick(&edit, Qt::Key_Escape);
        });
        list->aNew->trigger();
        QCOMPARE(customers().RecordCount(), rows);
        QCOMPARE(customers().State(), dsBrowse);
        // The edit form's checks are gone with it: an empty name posts in the list.
        customers().Append();
        customers().FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("X1"));
        TMessageBoxScript boxes;
        customers().Post();
        QCOMPARE(boxes.Count(), 0);
        customers().CancelUpdates();
    }
};

int runEditFormTests(int argc, char **argv)
{
    TestEditForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_editform.moc"
