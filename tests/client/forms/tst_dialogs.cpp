// The filter, find and selection dialogs as the user drives them: the universal filter's
// conditions and the rows they keep, the find's directions, the tree search's refusals, the
// multi-select's two texts, the goods attribute filter and the button-edit handler.
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/forms/filternew.h"
#include "client/forms/findpublic.h"
#include "client/forms/kingfilterdialog.h"
#include "client/forms/multiselect.h"
#include "client/forms/procallbutton.h"
#include "client/forms/searchmodal.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/messagebox.h"
#include "formstests.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace formstest;

namespace {

QStringList visibleCodes(TClientDataSet &ds)
{
    QStringList out;
    const TField *field = ds.FieldByName(QStringLiteral("BH"));
    for (int row = 0; row < ds.RowCount(); ++row) {
        const TClientDataSet::TRowScope scope(ds, row);
        out << field->AsString();
    }
    out.sort();
    return out;
}

QStringList serverCodes(const QString &where)
{
    QStringList out;
    TTmpDataSet tmp;
    tmp->SetCommandText(QStringLiteral("select BH from KH where ") + where);
    tmp->Open();
    for (int row = 0; row < tmp->RowCount(); ++row) {
        const TClientDataSet::TRowScope scope(*tmp, row);
        out << tmp->Fields(0)->AsString();
    }
    out.sort();
    return out;
}

void chooseCondition(TfrmKingFilter &filter, const QString &field, int op, const QString &value,
                     int link)
{
    filter.cbFields->setCurrentIndex(filter.cbFields->findData(field));
    filter.cbConditions->setCurrentIndex(filter.cbConditions->findData(op));
    filter.cbValue->setEditText(value);
    filter.cbLink->setCurrentIndex(link);
}

void check(QListWidget *list, int row)
{
    list->item(row)->setCheckState(Qt::Checked);
}

// A local table of goods on a grid, for the dialogs that need no server.
struct LocalGoods
{
    LocalGoods()
    {
        ds.FieldDefs().Add(QStringLiteral("BH"), ftWideString, 10);
        ds.FieldDefs().Add(QStringLiteral("MC"), ftWideString, 20);
        ds.FieldDefs().Add(QStringLiteral("ZT"), ftBoolean);
        ds.CreateDataSet();
        const char *names[] = {"螺丝", "螺母", "扳手", "螺丝刀", "螺丝"};
        for (int i = 0; i < 5; ++i)
            ds.AppendRecord({QStringLiteral("0%1").arg(i + 1), QString::fromUtf8(names[i]), i % 2});
        source.SetDataSet(&ds);
        grid.Columns().Add(QStringLiteral("BH"), QStringLiteral("编号"));
        grid.Columns().Add(QStringLiteral("MC"), QStringLiteral("名称"));
        grid.Columns().Add(QStringLiteral("ZT"), QStringLiteral("停用"));
        grid.SetDataSource(&source);
        ds.First();
    }
    ~LocalGoods() { grid.SetDataSource(nullptr); }
    TClientDataSet ds;
    TDataSource source;
    TDBGrid grid;
};

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *row : {"(9201, 'X01', 'abc商行', 'ABCSH')", "(9202, 'X02', 'XABCY', 'XY')",
                                "(9203, '01Z', '别处', 'BC')", "(9204, 'X04', '无关', 'WG')"})
            QVERIFY(ExecSQL(QStringLiteral("insert into KH (ID, BH, MC, ZJM) values ") +
                            QLatin1String(row)));
    }
    void cleanupTestCase()
    {
        QVERIFY(ExecSQL(QStringLiteral("delete from KH where ID between 9201 and 9204")));
    }
    void cleanup() { env().cleanup(); }

    void filterTextAndRowsAgreeThroughTheDialog()
    {
        QPointer<TfrmTestCust> list = new TfrmTestCust;
        list->DoCreate();
        list->show();
        TClientDataSet &ds = *list->ListDataSet;

        const auto defined = vztest::whenModal<TfrmKingFilter>([](TfrmKingFilter &filter) {
            chooseCondition(filter, QStringLiteral("MC"), 10, QStringLiteral("abc"), 0);
            filter.btnAdd->click();
            chooseCondition(filter, QStringLiteral("BH"), 6, QStringLiteral("01"), 1);
            filter.btnAdd->click();
            QCOMPARE(filter.lbConditions->count(), 2);
            QCOMPARE(filter.LineText(1), QStringLiteral("或者 编号 始于 01"));
            filter.btnOk->click();
        });
        list->aAll->trigger();
        QCOMPARE(list->KingFilter().Text(), QStringLiteral("MC LIKE '%abc%' OR BH LIKE '01%'"));
        QVERIFY(ds.Filtered());
        const QStringList expected = serverCodes(list->KingFilter().Text());
        QCOMPARE(visibleCodes(ds), expected);
        QVERIFY(expected.contains(QStringLiteral("X02"))); // case does not matter either side
        QVERIFY(expected.contains(QStringLiteral("01Z")));

        // Replacing the second line: an and-linked "does not begin with".
        const auto replaced = vztest::whenModal<TfrmKingFilter>([](TfrmKingFilter &filter) {
            QCOMPARE(filter.lbConditions->count(), 2);
            filter.lbConditions->setCurrentRow(1);
            chooseCondition(filter, QStringLiteral("BH"), 7, QStringLiteral("X0"), 0);
            filter.btnReplace->click();
            filter.btnOk->click();
        });
        list->aAll->trigger();
        QCOMPARE(list->KingFilter().Text(),
                 QStringLiteral("MC LIKE '%abc%' AND  NOT BH LIKE 'X0%'"));
        QCOMPARE(visibleCodes(ds), QStringList());

        // An empty list: Cancel keeps the dialog, No closes it and shows every row.
        const auto cleared = vztest::whenModal<TfrmKingFilter>([](TfrmKingFilter &filter) {
            filter.btnClear->click();
            {
                TMessageBoxScript boxes{mrCancel};
                filter.btnOk->click();
                QCOMPARE(boxes.Last().Text, QStringLiteral("是否将定义的条件添加至列表？"));
                QCOMPARE(boxes.Last().Buttons, TMsgButtons::YesNoCancel);
            }
            QVERIFY(filter.isVisible());
            TMessageBoxScript boxes{mrNo};
            filter.btnOk->click();
        });
        list->aAll->trigger();
        QVERIFY(!ds.Filtered());
        QCOMPARE(ds.RecordCount(),
                 int(QueryValue(QStringLiteral("select count(*) from KH")).toInt()));

        // Yes adds the defined condition first.
        const auto added = vztest::whenModal<TfrmKingFilter>([](TfrmKingFilter &filter) {
            chooseCondition(filter, QStringLiteral("BH"), 0, QStringLiteral("X04"), 0);
            TMessageBoxScript boxes{mrYes};
            filter.btnOk->click();
        });
        list->aAll->trigger();
        QCOMPARE(visibleCodes(ds), QStringList{"X04"});

        // Closing the list gives the dataset its own filter back.
        list->close();
        QVERIFY(!ds.Filtered());
        QVERIFY(!ds.OnFilterRecord);
    }

    void booleanFieldsOfferTrueAndFalse()
    {
        LocalGoods goods;
        TfrmKingFilter filter(&goods.grid, &goods.ds);
        QCOMPARE(filter.Fields().size(), 3);
        filter.cbFields->setCurrentIndex(2);
        QCOMPARE(filter.cbConditions->count(), 2);
        QCOMPARE(filter.cbValue->count(), 2);
        QCOMPARE(filter.cbValue->itemText(0), QStringLiteral("True"));
        filter.cbFields->setCurrentIndex(1);
        QCOMPARE(filter.cbConditions->count(), 12);
        // The column's values, each once, to pick from.
        QCOMPARE(filter.cbValue->count(), 4);
    }

    void findWalksFromTheFirstOrTheCurrentRowAndOn()
    {
        LocalGoods goods;
        TfrmFindPublic find(&goods.grid, &goods.ds);
        find.show();
        find.SetLastSearch(QStringLiteral("螺丝"), 1);
        goods.ds.Last();
        find.btnFind->click();
        QVERIFY(find.Found());
        QCOMPARE(goods.ds.RecNo(), 1);
        find.btnNext->click();
        QCOMPARE(goods.ds.RecNo(), 4);
        find.btnNext->click();
        QCOMPARE(goods.ds.RecNo(), 5);
        // Nothing further: the row stays.
        find.btnNext->click();
        QCOMPARE(goods.ds.RecNo(), 5);

        find.chkWhole->setChecked(true);
        find.rbDown->setChecked(true);
        goods.ds.SetRecNo(2);
        find.btnFind->click();
        QCOMPARE(goods.ds.RecNo(), 5);
        QCOMPARE(find.ColumnIndex(), 1);
        find.close();
    }

    void treeSearchRefusesTheRootAndTheNodeItself()
    {
        const QString sales =
            QueryValue(QStringLiteral("select MC from BM where ID = 6")).toString();
        {
            TSearchItemTypeFrm search;
            QVERIFY(search.SetKind(QStringLiteral("Depart")));
            QCOMPARE(search.windowTitle(), QStringLiteral("选择上级部门"));
            search.show();
            search.stDBTree1->SelectRoot();
            TMessageBoxScript boxes;
            search.btnOk->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("不能选择【全部】节点！"));
            QVERIFY(search.ResultKey.isEmpty());
            QVERIFY(search.stDBTree1->SelectKey(QStringLiteral("6")));
            search.btnOk->click();
            QCOMPARE(boxes.Count(), 1);
            QCOMPARE(search.ResultKey, QStringLiteral("6"));
            QCOMPARE(search.ResultText, sales);
            search.close();
        }
        {
            TSearchItemTypeFrm search;
            QVERIFY(search.SetKind(QStringLiteral("depart"), QStringLiteral("6")));
            search.show();
            QVERIFY(search.stDBTree1->SelectKey(QStringLiteral("6")));
            TMessageBoxScript boxes;
            search.btnOk->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("不能选择自己作为上级节点！"));
            QVERIFY(search.ResultKey.isEmpty());
            search.close();
        }
        TSearchItemTypeFrm search;
        QVERIFY(search.SetKind(QStringLiteral("itemtype")));
        QCOMPARE(search.windowTitle(), QStringLiteral("选择上级货品类别"));
        QVERIFY(search.cdsTree->RecordCount() > 0);
        QVERIFY(search.SetKind(QStringLiteral("dq")));
        QCOMPARE(search.windowTitle(), QStringLiteral("选择上级地区"));
        QVERIFY(!search.SetKind(QStringLiteral("nothing")));
    }

    void multiSelectReturnsAnInListAndNames()
    {
        TMultiSelectFrm select;
        QVERIFY(select.SetKind(QStringLiteral("stock"), QStringLiteral("(1,3)")));
        QCOMPARE(select.windowTitle(), QStringLiteral("请选择仓库"));
        QCOMPARE(select.CheckList->count(), 3);
        QCOMPARE(select.CheckList->item(0)->text(), QStringLiteral("总仓(1)"));
        QCOMPARE(select.CheckList->item(0)->checkState(), Qt::Checked);
        QCOMPARE(select.CheckList->item(1)->checkState(), Qt::Unchecked);
        select.show();
        select.btnOk->click();
        QCOMPARE(select.SelectedIDs, QStringLiteral("(1,3)"));
        QCOMPARE(select.SelectedNames, QStringLiteral("总仓,门市部仓库"));

        for (int i = 0; i < select.CheckList->count(); ++i)
            select.CheckList->item(i)->setCheckState(Qt::Unchecked);
        select.SelectedIDs.clear();
        TMessageBoxScript boxes;
        select.btnOk->click();
        QCOMPARE(boxes.Last().Text, QStringLiteral("请选择仓库"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("信息"));
        QVERIFY(select.SelectedIDs.isEmpty());
        select.close();

        // Attribute values are texts: the in-list quotes them.
        TMultiSelectFrm values;
        values.Kind = QStringLiteral("SX1");
        values.SetItems({QStringLiteral("红"), QStringLiteral("O'蓝")},
                        {QStringLiteral("红"), QStringLiteral("O'蓝")},
                        QStringLiteral("('O''蓝')"));
        QCOMPARE(values.windowTitle(), QStringLiteral("请选择货品属性"));
        QCOMPARE(values.CheckList->item(1)->checkState(), Qt::Checked);
        check(values.CheckList, 0);
        values.show();
        values.btnOk->click();
        QCOMPARE(values.SelectedIDs, QStringLiteral("('红','O''蓝')"));
        values.close();

        // The pseudo group "所有" (key 0) cannot be chosen.
        TMultiSelectFrm groups;
        groups.Kind = QStringLiteral("GROUP");
        groups.SetItems({QStringLiteral("所有"), QStringLiteral("管理员")},
                        {QStringLiteral("0"), QStringLiteral("1")}, QString());
        check(groups.CheckList, 0);
        groups.show();
        groups.btnOk->click();
        QCOMPARE(boxes.Last().Text, QStringLiteral("不能选择【所有(0)】"));
        QVERIFY(groups.SelectedIDs.isEmpty());
        groups.close();
    }

    void buttonEditsOpenWhatTheirNameSays()
    {
        QPointer<TFrmRoot> form = new TFrmRoot;
        auto *layout = new QVBoxLayout(form);
        auto *stock = new TButtonEdit(form);
        stock->setObjectName(QStringLiteral("RzButtonEdit_Stock"));
        auto *dept = new TButtonEdit(form);
        dept->setObjectName(QStringLiteral("RzButtonEdit_Dept"));
        auto *goods = new TButtonEdit(form);
        goods->setObjectName(QStringLiteral("RzButtonEdit_ItemInfor"));
        auto *vip = new TButtonEdit(form);
        vip->setObjectName(QStringLiteral("RzButtonEdit_VIP"));
        auto *other = new TButtonEdit(form);
        other->setObjectName(QStringLiteral("RzButtonEdit_Other"));
        for (QWidget *w : {stock, dept, goods, vip, other})
            layout->addWidget(w);
        auto *handler = new TProcAllButtonObj(form);
        handler->AttachAll();
        form->show();
        QVERIFY(!other->OnButtonClick);

        const auto stockPicked = vztest::whenModal<TMultiSelectFrm>([](TMultiSelectFrm &select) {
            check(select.CheckList, 1);
            select.btnOk->click();
        });
        stock->ButtonClick();
        QCOMPARE(stock->text(), QStringLiteral("原料仓"));
        QCOMPARE(stock->Key(), QStringLiteral("(2)"));

        const auto deptPicked =
            vztest::whenModal<TSearchItemTypeFrm>([](TSearchItemTypeFrm &search) {
                search.stDBTree1->SelectKey(QStringLiteral("1"));
                search.btnOk->click();
            });
        dept->ButtonClick();
        QCOMPARE(dept->Key(),
                 QStringLiteral(" and C.ID in (") +
                     FuncRight().DeptSubtree(QStringLiteral("1"), QStringLiteral("id")) +
                     QLatin1Char(')'));
        QVERIFY(dept->Key().count(QLatin1Char(',')) > 3); // the whole company

        const auto goodsFiltered = vztest::whenModal<TdlgFilter_New>([](TdlgFilter_New &filter) {
            QList<TAttrFilterRow> rows = filter.Rows();
            QCOMPARE(rows[1].FieldName, QStringLiteral("PM"));
            rows[1].Value = QStringLiteral("螺丝");
            filter.SetRows(rows);
            filter.btnOk->click();
        });
        goods->ButtonClick();
        QCOMPARE(goods->Key(), QStringLiteral("(H.PM like '%螺丝%')"));

        TMessageBoxScript boxes;
        vip->ButtonClick();
        QVERIFY(boxes.Last().Text.contains(QStringLiteral("尚未提供")));
        form->close();
    }

    void groupButtonWritesTheUsersGroupFields()
    {
        TClientDataSet user;
        user.FieldDefs().Add(QStringLiteral("gID"), ftWideString, 255);
        user.FieldDefs().Add(QStringLiteral("gName"), ftWideString, 255);
        user.CreateDataSet();
        user.AppendRecord({QStringLiteral("(1)"), QStringLiteral("管理员")});
        TDataSource source(&user);
        TFrmRoot form;
        form.setAttribute(Qt::WA_DeleteOnClose, false);
        auto *group = new TDBButtonEdit(&form);
        group->setObjectName(QStringLiteral("RzDBButtonEdit_Group"));
        group->SetDataSource(&source);
        group->SetDataField(QStringLiteral("gName"));
        TProcAllButtonObj handler(&form);
        handler.Attach(group);
        const auto answered = vztest::whenModal<TMultiSelectFrm>([](TMultiSelectFrm &select) {
            QCOMPARE(select.CheckList->item(0)->checkState(), Qt::Checked);
            check(select.CheckList, 2);
            select.btnOk->click();
        });
        group->ButtonClick();
        QCOMPARE(user.State(), dsEdit);
        QCOMPARE(user.FieldByName(QStringLiteral("gID"))->AsString(), QStringLiteral("(1,3)"));
        QCOMPARE(user.FieldByName(QStringLiteral("gName"))->AsString(),
                 QStringLiteral("管理员,仓库组"));
        group->SetDataSource(nullptr);
    }
};

int runDialogTests(int argc, char **argv)
{
    TestDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dialogs.moc"
