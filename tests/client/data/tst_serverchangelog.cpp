// Change logs of datasets of the central module applied through a real server: the round
// trip, the all-or-nothing apply that keeps the log, and a row another workstation changed
// meanwhile, answered through the reconcile dialog.
#include "linktests.h"

#include "client/forms/reconcileerrorform.h"
#include "wire/client.h"

#include <QCheckBox>
#include <QTableWidget>

using linktest::columnTexts;

namespace {

// The goods rows as the server holds them, read by another workstation.
QStringList storedGoods(wire::Client &client)
{
    wire::OpenResult result = client.open(
        QStringLiteral("pTmp"), QStringLiteral("select ID, BH, PM, JJ from HP order by ID"));
    client.fetchAll(result);
    QStringList rows;
    for (const wire::Row &row : result.rows) {
        QStringList values;
        for (const QVariant &value : row)
            values.append(value.toString());
        rows.append(values.join(QLatin1Char('|')));
    }
    return rows;
}

} // namespace

class TestServerChangeLog : public QObject
{
    Q_OBJECT

    vztest::TestWorld world{linktest::worldOptions()};
    std::unique_ptr<wire::Client> other;

private slots:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        other = world.otherClient();
    }
    void cleanupTestCase()
    {
        other.reset();
        world.stop();
    }
    void init()
    {
        world.afterTest(QStringLiteral("delete from HP"));
        world.afterTest([] {
            TReconcileErrorForm::SetTestHook({});
            Data().SetReconcileErrorHandler({});
            Data().Hp().Close();
            Data().Hp().SetCommandText(QString());
        });
    }
    void cleanup() { world.cleanup(); }

    void insertModifyDeleteApplyReopen()
    {
        TClientDataSet &hp = Data().Hp();
        hp.Open();
        QVERIFY(hp.IsEmpty());
        for (int id = 1; id <= 3; ++id) {
            hp.Append();
            hp.FieldByName(QStringLiteral("ID"))->SetAsInteger(id);
            hp.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("A%1").arg(id));
            hp.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("货品%1").arg(id));
            hp.FieldByName(QStringLiteral("JJ"))->SetAsFloat(id + 0.25);
            hp.Post();
        }
        QCOMPARE(hp.ChangeCount(), 3);
        QCOMPARE(hp.ApplyUpdates(0), 0);
        QCOMPARE(hp.ChangeCount(), 0);
        QCOMPARE(storedGoods(*other),
                 (QStringList{QStringLiteral("1|A1|货品1|1.25"), QStringLiteral("2|A2|货品2|2.25"),
                              QStringLiteral("3|A3|货品3|3.25")}));

        QVERIFY(hp.Locate(QStringLiteral("ID"), 2));
        hp.Edit();
        hp.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("O'Neil 改"));
        hp.FieldByName(QStringLiteral("JJ"))->SetText(QStringLiteral("1234.567"));
        hp.Post();
        QVERIFY(hp.Locate(QStringLiteral("ID"), 3));
        hp.Delete();
        hp.AppendRecord({4, QStringLiteral("A4")});
        QCOMPARE(hp.ChangeCount(), 3);
        QCOMPARE(hp.ApplyUpdates(0), 0);
        QCOMPARE(hp.ChangeCount(), 0);
        const QStringList expected{QStringLiteral("1|A1|货品1|1.25"),
                                   QStringLiteral("2|A2|O'Neil 改|1234.567"),
                                   QStringLiteral("4|A4||0")};
        QCOMPARE(storedGoods(*other), expected);

        // what the dataset shows after the apply is what it reads back
        const QStringList before = columnTexts(hp, QStringLiteral("PM"));
        hp.Close();
        hp.SetIndexFieldNames(QStringLiteral("ID"));
        hp.Open();
        QCOMPARE(columnTexts(hp, QStringLiteral("ID")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")}));
        QCOMPARE(columnTexts(hp, QStringLiteral("PM")), before);
        hp.SetIndexFieldNames(QString());
    }

    void oneBadRowKeepsTheWholeLog()
    {
        TClientDataSet &hp = Data().Hp();
        hp.Open();
        QList<QString> rejected;
        Data().SetReconcileErrorHandler(
            [&](TClientDataSet &, TUpdateKind kind, EReconcileError &e) {
                rejected.append(e.Message());
                return kind == ukInsert ? raSkip : raAbort;
            });
        hp.AppendRecord({1, QStringLiteral("B1"), QVariant(), 0, QStringLiteral("好")});
        hp.AppendRecord({2}); // BH may not be empty
        hp.AppendRecord({3, QStringLiteral("B3")});
        QCOMPARE(hp.ApplyUpdates(0), 1);
        QCOMPARE(rejected.size(), 1);
        QVERIFY(!rejected.first().isEmpty());
        QCOMPARE(hp.ChangeCount(), 3);
        QVERIFY(storedGoods(*other).isEmpty());

        // put right, the same log goes through
        QVERIFY(hp.Locate(QStringLiteral("ID"), 2));
        hp.Edit();
        hp.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("B2"));
        hp.Post();
        QCOMPARE(hp.ApplyUpdates(0), 0);
        QCOMPARE(hp.ChangeCount(), 0);
        QCOMPARE(storedGoods(*other).size(), 3);
    }

    void aConflictingChangeIsReconciledInTheDialog()
    {
        QVERIFY(ExecSQL(QStringLiteral("insert into HP (ID, BH, PM, JJ) values (10, 'C10', '原名', "
                                       "5), (11, 'C11', '另一', 6)")));
        TClientDataSet &hp = Data().Hp();
        hp.SetCommandText(QStringLiteral("select * from HP where ID = 10"));
        hp.Open();

        // another workstation renames the goods meanwhile
        QCOMPARE(other->execute(QStringLiteral("update HP set PM = 'B改' where ID = 10")), 1);

        hp.Edit();
        hp.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("A改"));
        hp.Post();

        Data().SetReconcileErrorHandler(HandleReconcileError);
        int shown = 0;
        TReconcileErrorForm::SetTestHook([&](TReconcileErrorForm &form) {
            ++shown;
            QCOMPARE(form.windowTitle(), QStringLiteral("更新错误 - Hp"));
            QCOMPARE(form.UpdateTypeText(), QStringLiteral("修改"));
            QVERIFY(!form.ErrorMessageText().isEmpty());
            const int row = form.RowOfField(QStringLiteral("PM"));
            QVERIFY(row >= 0);
            QTableWidget *grid = form.UpdateData();
            QCOMPARE(grid->item(row, 1)->text(), QStringLiteral("A改"));
            QCOMPARE(grid->item(row, 2)->text(), QStringLiteral("原名"));
            QCOMPARE(grid->item(row, 3)->text(), QStringLiteral("B改"));
            form.ConflictsOnly()->setChecked(true);
            QCOMPARE(grid->rowCount(), 1);
            form.SetAction(raMerge);
            form.accept();
        });
        QCOMPARE(hp.ApplyUpdates(0), 1);
        QCOMPARE(shown, 1);
        // merged: the server's row is the new original, the change stays on top of it
        QCOMPARE(hp.ChangeCount(), 1);
        QCOMPARE(hp.FieldByName(QStringLiteral("PM"))->AsString(), QStringLiteral("A改"));
        QCOMPARE(hp.FieldByName(QStringLiteral("PM"))->OldValue().toString(),
                 QStringLiteral("B改"));
        QCOMPARE(hp.ApplyUpdates(0), 0);
        QCOMPARE(shown, 1);
        QCOMPARE(QueryValue(QStringLiteral("select PM from HP where ID = 10")).toString(),
                 QStringLiteral("A改"));

        // corrected in the dialog: the typed value goes into the row
        QCOMPARE(other->execute(QStringLiteral("update HP set JJ = 9 where ID = 10")), 1);
        hp.Edit();
        hp.FieldByName(QStringLiteral("JJ"))->SetAsFloat(7);
        hp.Post();
        TReconcileErrorForm::SetTestHook([&](TReconcileErrorForm &form) {
            QVERIFY(!form.SetFieldValueText(QStringLiteral("JJ"), QStringLiteral("abc")));
            QVERIFY(!form.StatusText().isEmpty());
            QCOMPARE(form.Action(), raSkip);
            QVERIFY(form.SetFieldValueText(QStringLiteral("JJ"), QStringLiteral("8.5")));
            QCOMPARE(form.Action(), raCorrect);
            form.accept();
        });
        QCOMPARE(hp.ApplyUpdates(0), 1);
        QCOMPARE(hp.FieldByName(QStringLiteral("JJ"))->AsFloat(), 8.5);
        QCOMPARE(hp.ChangeCount(), 1);

        // cancelled dialog: the apply is abandoned and the log kept as it is
        TReconcileErrorForm::SetTestHook([](TReconcileErrorForm &form) { form.reject(); });
        QCOMPARE(hp.ApplyUpdates(0), 1);
        QCOMPARE(hp.ChangeCount(), 1);
        QCOMPARE(hp.FieldByName(QStringLiteral("JJ"))->AsFloat(), 8.5);

        // refreshed: the row takes what the server holds and leaves the log
        TReconcileErrorForm::SetTestHook([](TReconcileErrorForm &form) {
            form.SetAction(raRefresh);
            form.accept();
        });
        QCOMPARE(hp.ApplyUpdates(0), 1);
        QCOMPARE(hp.ChangeCount(), 0);
        QCOMPARE(hp.FieldByName(QStringLiteral("JJ"))->AsFloat(), 9.0);
        QCOMPARE(QueryValue(QStringLiteral("select JJ from HP where ID = 10")).toDouble(), 9.0);
    }

    void linesWithoutAKeyAreFoundByTheirValues()
    {
        world.afterTest(QStringLiteral("delete from XSKD"));
        world.afterTest([] {
            Data().Xskd().Close();
            Data().Xskd().SetCommandText(QString());
        });
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into XSKD (ZBID, HH, HPID, SL, DJ) values (1, 1, 5, 2, 3), (1, 2, 5, 2, 3), "
            "(2, 1, 5, 2, 3)")));
        TClientDataSet &lines = Data().Xskd();
        lines.SetCommandText(QStringLiteral("select * from XSKD where ZBID = 1 order by HH"));
        lines.Open();
        QVERIFY(lines.Locate(QStringLiteral("HH"), 2));
        lines.Edit();
        lines.FieldByName(QStringLiteral("SL"))->SetAsFloat(7);
        lines.Post();
        lines.First();
        lines.Delete();
        QCOMPARE(lines.ApplyUpdates(0), 0);
        lines.Close();
        wire::OpenResult stored =
            other->open(QStringLiteral("pTmp"),
                        QStringLiteral("select ZBID, HH, SL from XSKD order by ZBID, HH"));
        QCOMPARE(stored.rows.size(), 2);
        QCOMPARE(stored.rows[0], (wire::Row{qint64(1), qint64(2), 7.0}));
        QCOMPARE(stored.rows[1], (wire::Row{qint64(2), qint64(1), 2.0}));
    }

    void aRowDeletedMeanwhileIsReportedWithoutConflictValues()
    {
        QVERIFY(ExecSQL(QStringLiteral("insert into HP (ID, BH, PM) values (20, 'D20', '删')")));
        TClientDataSet &hp = Data().Hp();
        hp.Open();
        QCOMPARE(other->execute(QStringLiteral("delete from HP where ID = 20")), 1);
        hp.Delete();
        Data().SetReconcileErrorHandler(HandleReconcileError);
        TReconcileErrorForm::SetTestHook([](TReconcileErrorForm &form) {
            QCOMPARE(form.UpdateTypeText(), QStringLiteral("删除"));
            const int row = form.RowOfField(QStringLiteral("PM"));
            QCOMPARE(form.UpdateData()->item(row, 2)->text(), QStringLiteral("删"));
            QCOMPARE(form.UpdateData()->item(row, 3)->text(), QStringLiteral("<忽略改变>"));
            // a deleted row has no values to correct
            QVERIFY(!form.SetFieldValueText(QStringLiteral("PM"), QStringLiteral("x")));
            form.SetAction(raCancel);
            form.accept();
        });
        QCOMPARE(hp.ApplyUpdates(-1), 1);
        QCOMPARE(hp.ChangeCount(), 0);
        QCOMPARE(hp.RecordCount(), 1); // the delete was cancelled: the row is back
    }
};

int runServerChangeLogTests(int argc, char **argv)
{
    TestServerChangeLog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_serverchangelog.moc"
