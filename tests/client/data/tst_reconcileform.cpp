// The reconcile dialog on its own: what its grid shows for each kind of value, its two
// filters, and what OK and Cancel hand back.
#include "linktests.h"

#include "client/forms/reconcileerrorform.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QRadioButton>
#include <QTableWidget>

namespace {

TReconcileField field(const char *name, const QVariant &old, const QVariant &newValue,
                      const QVariant &current)
{
    TReconcileField f;
    f.FieldName = QLatin1String(name);
    f.OldValue = old;
    f.NewValue = newValue;
    f.NewValueAssigned = newValue.isValid();
    f.CurValue = current;
    f.CurValueAssigned = current.isValid();
    return f;
}

QStringList shownFields(TReconcileErrorForm &form)
{
    QStringList names;
    for (int row = 0; row < form.UpdateData()->rowCount(); ++row)
        names.append(form.UpdateData()->item(row, 0)->text());
    return names;
}

} // namespace

class TestReconcileForm : public QObject
{
    Q_OBJECT

    TClientDataSet goods;

    EReconcileError modifyError()
    {
        EReconcileError e(QStringLiteral("the row was changed by another user"),
                          QStringLiteral("conflict"), ukModify);
        const QByteArray picture("\x01\x02\x03", 3);
        e.Fields = {
            field("ID", 1, QVariant(), 1),
            field("PM", QStringLiteral("螺丝"), QStringLiteral("螺钉"), QStringLiteral("螺栓")),
            field("PICT", picture, QVariant(), picture),
            field("RQ", QDate(2024, 3, 1), QDate(2024, 3, 2), QDate(2024, 3, 1)),
            field("JJ", 1.5, QVariant(), 2.25)};
        return e;
    }

private slots:
    void initTestCase()
    {
        goods.SetName(QStringLiteral("Hp"));
        goods.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        goods.FieldDefs().Add(QStringLiteral("PM"), ftWideString, 40);
        goods.FieldDefs().Add(QStringLiteral("PICT"), ftBlob);
        goods.FieldDefs().Add(QStringLiteral("RQ"), ftDate);
        goods.FieldDefs().Add(QStringLiteral("JJ"), ftFloat);
        goods.CreateDataSet();
    }
    void cleanup() { TReconcileErrorForm::SetTestHook({}); }

    void showsTheRowWithItsThreeValues()
    {
        EReconcileError e = modifyError();
        TReconcileErrorForm form(goods, ukModify, e);
        QCOMPARE(form.windowTitle(), QStringLiteral("更新错误 - Hp"));
        QCOMPARE(form.UpdateTypeText(), QStringLiteral("修改"));
        QCOMPARE(form.ErrorMessageText(), QStringLiteral("the row was changed by another user"));
        QTableWidget *grid = form.UpdateData();
        QStringList headers;
        for (int c = 0; c < grid->columnCount(); ++c)
            headers.append(grid->horizontalHeaderItem(c)->text());
        QCOMPARE(headers, (QStringList{QStringLiteral("字段名称"), QStringLiteral("值"),
                                       QStringLiteral("最初的值"), QStringLiteral("冲突的值")}));
        QCOMPARE(shownFields(form),
                 (QStringList{QStringLiteral("ID"), QStringLiteral("PM"), QStringLiteral("PICT"),
                              QStringLiteral("RQ"), QStringLiteral("JJ")}));
        auto cells = [&](const char *name) {
            const int row = form.RowOfField(QLatin1String(name));
            return QStringList{grid->item(row, 1)->text(), grid->item(row, 2)->text(),
                               grid->item(row, 3)->text()};
        };
        QCOMPARE(cells("ID"), (QStringList{QStringLiteral("<忽略改变>"), QStringLiteral("1"),
                                           QStringLiteral("<忽略改变>")}));
        QCOMPARE(cells("PM"), (QStringList{QStringLiteral("螺钉"), QStringLiteral("螺丝"),
                                           QStringLiteral("螺栓")}));
        QCOMPARE(cells("PICT"),
                 (QStringList{QStringLiteral("<忽略改变>"), QStringLiteral("(二进制)"),
                              QStringLiteral("<忽略改变>")}));
        QCOMPARE(cells("RQ"),
                 (QStringList{QStringLiteral("2024-03-02"), QStringLiteral("2024-03-01"),
                              QStringLiteral("<忽略改变>")}));
        QCOMPARE(cells("JJ"), (QStringList{QStringLiteral("<忽略改变>"), QStringLiteral("1.5"),
                                           QStringLiteral("2.25")}));

        QGroupBox *group = form.findChild<QGroupBox *>();
        QCOMPARE(group->title(), QStringLiteral(" 修复动作 "));
        QStringList actions;
        for (QRadioButton *button : group->findChildren<QRadioButton *>())
            actions.append(button->text());
        QCOMPARE(actions, (QStringList{QStringLiteral("跳过"), QStringLiteral("放弃"),
                                       QStringLiteral("合并"), QStringLiteral("纠正"),
                                       QStringLiteral("取消"), QStringLiteral("刷新")}));
        QCOMPARE(form.Action(), raSkip);
    }

    void filtersShowConflictingAndChangedFields()
    {
        EReconcileError e = modifyError();
        TReconcileErrorForm form(goods, ukModify, e);
        QCOMPARE(form.ConflictsOnly()->text(), QStringLiteral("仅显示不一致的字段"));
        QCOMPARE(form.ChangedOnly()->text(), QStringLiteral("仅显示改变了的字段"));
        form.ConflictsOnly()->setChecked(true);
        QCOMPARE(shownFields(form), (QStringList{QStringLiteral("PM"), QStringLiteral("JJ")}));
        form.ChangedOnly()->setChecked(true);
        QCOMPARE(shownFields(form), (QStringList{QStringLiteral("PM")}));
        form.ConflictsOnly()->setChecked(false);
        QCOMPARE(shownFields(form), (QStringList{QStringLiteral("PM"), QStringLiteral("RQ")}));
        form.ChangedOnly()->setChecked(false);
        QCOMPARE(shownFields(form).size(), 5);
    }

    void okReturnsTheChosenActionAndWritesCorrections()
    {
        EReconcileError e = modifyError();
        TReconcileErrorForm::SetTestHook([](TReconcileErrorForm &form) {
            QVERIFY(!form.SetFieldValueText(QStringLiteral("RQ"), QStringLiteral("2024-02-30")));
            QVERIFY(form.StatusText().contains(QStringLiteral("RQ")));
            QCOMPARE(form.UpdateData()->item(form.RowOfField(QStringLiteral("RQ")), 1)->text(),
                     QStringLiteral("2024-03-02"));
            QVERIFY(form.SetFieldValueText(QStringLiteral("RQ"), QStringLiteral("2024-03-05")));
            QVERIFY(form.SetFieldValueText(QStringLiteral("JJ"), QStringLiteral("3.75")));
            QVERIFY(form.StatusText().isEmpty());
            // binary values are not edited in the grid
            QVERIFY(!form.SetFieldValueText(QStringLiteral("PICT"), QStringLiteral("x")));
            QCOMPARE(form.Action(), raCorrect);
            form.accept();
        });
        QCOMPARE(HandleReconcileError(goods, ukModify, e), raCorrect);
        QCOMPARE(e.Fields[3].NewValue, QVariant(QDate(2024, 3, 5)));
        QVERIFY(e.Fields[4].NewValueAssigned);
        QCOMPARE(e.Fields[4].NewValue.toDouble(), 3.75);
        QCOMPARE(e.Fields[1].NewValue, QVariant(QStringLiteral("螺钉")));

        // corrections count only with "纠正"
        EReconcileError merged = modifyError();
        TReconcileErrorForm::SetTestHook([](TReconcileErrorForm &form) {
            form.SetFieldValueText(QStringLiteral("PM"), QStringLiteral("别的"));
            form.SetAction(raMerge);
            form.accept();
        });
        QCOMPARE(HandleReconcileError(goods, ukModify, merged), raMerge);
        QCOMPARE(merged.Fields[1].NewValue, QVariant(QStringLiteral("螺钉")));
    }

    void anInsertHasNoOriginalValues()
    {
        EReconcileError e(QStringLiteral("duplicate key"), QStringLiteral("unique"), ukInsert);
        e.Fields = {field("ID", QVariant(), 5, 5),
                    field("PM", QVariant(), QStringLiteral("新"), QStringLiteral("旧"))};
        TReconcileErrorForm form(goods, ukInsert, e);
        QCOMPARE(form.UpdateTypeText(), QStringLiteral("插入"));
        const int row = form.RowOfField(QStringLiteral("PM"));
        QCOMPARE(form.UpdateData()->item(row, 1)->text(), QStringLiteral("新"));
        QCOMPARE(form.UpdateData()->item(row, 2)->text(), QString());
        QCOMPARE(form.UpdateData()->item(row, 3)->text(), QStringLiteral("<忽略改变>"));
    }
};

int runReconcileFormTests(int argc, char **argv)
{
    TestReconcileForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reconcileform.moc"
