// The dataset-fed tree: nodes under their parents, a root node, orphans at the top, sorted
// captions, folder and leaf images, mutually exclusive expansion and the dataset following
// the selection.
#include "fixtures.h"

#include "client/data/datasource.h"
#include "client/widgets/dbtreeview.h"

#include <QAbstractItemModelTester>
#include <QStandardItemModel>
#include <QTest>

using namespace widgettest;

namespace {

QStringList childTexts(const QStandardItem *item)
{
    QStringList texts;
    for (int i = 0; i < item->rowCount(); ++i)
        texts << item->child(i)->text();
    return texts;
}

struct TreeFixture
{
    std::unique_ptr<TClientDataSet> ds = makeCategories();
    TDataSource source{ds.get()};
    TDBTreeView tree;
    QIcon open = QIcon(QPixmap(1, 1));
    QIcon closed = QIcon(QPixmap(2, 2));
    QIcon leaf = QIcon(QPixmap(3, 3));

    TreeFixture()
    {
        tree.SetImages(open, closed, leaf);
        tree.SetFields(QStringLiteral("ItemType"), QStringLiteral("ParentCode"),
                       QStringLiteral("TypeName"));
        tree.SetRootText(QStringLiteral("全部"));
        tree.SetDataSource(&source);
    }
    QStandardItem *root() const { return tree.Model()->item(0); }
};

} // namespace

class TestTree : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nodesHangUnderTheirParentsSortedByCaption()
    {
        TreeFixture f;
        QAbstractItemModelTester tester(f.tree.Model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(f.tree.Model()->rowCount(), 1);
        QCOMPARE(f.root()->text(), QStringLiteral("全部"));
        // "包装" names a parent that does not exist: it hangs under the root.
        QCOMPARE(childTexts(f.root()).size(), 3);
        QVERIFY(childTexts(f.root()).contains(QStringLiteral("包装")));
        QStandardItem *hardware = f.tree.ItemOfKey(QStringLiteral("01"));
        QCOMPARE(childTexts(hardware),
                 (QStringList{QStringLiteral("工具"), QStringLiteral("螺丝")}));
        QCOMPARE(f.tree.ItemOfKey(QStringLiteral("0201"))->parent()->text(),
                 QStringLiteral("电器"));
    }

    void foldersAndLeavesShowTheirImages()
    {
        TreeFixture f;
        QStandardItem *hardware = f.tree.ItemOfKey(QStringLiteral("01"));
        QStandardItem *screws = f.tree.ItemOfKey(QStringLiteral("0101"));
        QCOMPARE(hardware->icon().cacheKey(), f.closed.cacheKey());
        QCOMPARE(screws->icon().cacheKey(), f.leaf.cacheKey());
        f.tree.expand(hardware->index());
        QCOMPARE(hardware->icon().cacheKey(), f.open.cacheKey());
        f.tree.collapse(hardware->index());
        QCOMPARE(hardware->icon().cacheKey(), f.closed.cacheKey());
    }

    void expandingANodeClosesItsSiblingsWhenExclusive()
    {
        TreeFixture f;
        f.tree.SetMutualExpand(true);
        const QModelIndex hardware = f.tree.ItemOfKey(QStringLiteral("01"))->index();
        const QModelIndex electric = f.tree.ItemOfKey(QStringLiteral("02"))->index();
        f.tree.expand(hardware);
        f.tree.expand(electric);
        QVERIFY(f.tree.isExpanded(electric));
        QVERIFY(!f.tree.isExpanded(hardware));
        f.tree.SetMutualExpand(false);
        f.tree.expand(hardware);
        QVERIFY(f.tree.isExpanded(electric));
    }

    void selectingANodeMovesTheDataSetAndTellsTheForm()
    {
        TreeFixture f;
        QStringList changes;
        f.tree.OnChange = [&](TDBTreeView &tree) {
            changes << QStringLiteral("%1/%2/%3/%4")
                           .arg(tree.SelectedKey(), tree.SelectedText())
                           .arg(tree.SelectedLevel())
                           .arg(int(tree.SelectedHasSiblings()));
        };
        f.tree.SelectRoot();
        QVERIFY(f.tree.SelectedIsRoot());
        QVERIFY(f.tree.SelectKey(QStringLiteral("0102")));
        QCOMPARE(f.ds->FieldByName(QStringLiteral("TypeName"))->AsString(), QStringLiteral("工具"));
        QCOMPARE(changes,
                 (QStringList{QStringLiteral("/全部/0/0"), QStringLiteral("0102/工具/2/1")}));
        QVERIFY(!f.tree.SelectKey(QStringLiteral("77")));
    }

    void anInsertedRecordAppearsAndTheOpenNodesStayOpen()
    {
        TreeFixture f;
        const QModelIndex hardware = f.tree.ItemOfKey(QStringLiteral("01"))->index();
        f.tree.expand(hardware);
        f.tree.SelectKey(QStringLiteral("0101"));
        f.ds->AppendRecord({QStringLiteral("0103"), QStringLiteral("01"), QStringLiteral("合页")});
        QTRY_VERIFY(f.tree.ItemOfKey(QStringLiteral("0103")));
        QVERIFY(f.tree.isExpanded(f.tree.ItemOfKey(QStringLiteral("01"))->index()));
        QCOMPARE(f.tree.SelectedKey(), QStringLiteral("0101"));
        QCOMPARE(childTexts(f.tree.ItemOfKey(QStringLiteral("01"))).size(), 3);
    }

    void aParentCycleLosesNoRecord()
    {
        TClientDataSet ds;
        ds.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        ds.FieldDefs().Add(QStringLiteral("ParentCode"), ftInteger);
        ds.FieldDefs().Add(QStringLiteral("MC"), ftString, 20);
        ds.CreateDataSet();
        ds.AppendRecord({1, 2, QStringLiteral("甲")});
        ds.AppendRecord({2, 1, QStringLiteral("乙")});
        ds.AppendRecord({3, 3, QStringLiteral("丙")});
        TDataSource source(&ds);
        TDBTreeView tree;
        tree.SetFields(QStringLiteral("ID"), QStringLiteral("ParentCode"), QStringLiteral("MC"));
        tree.SetDataSource(&source);
        QVERIFY(tree.ItemOfKey(QStringLiteral("1")));
        QVERIFY(tree.ItemOfKey(QStringLiteral("2")));
        QCOMPARE(tree.ItemOfKey(QStringLiteral("3"))->parent(), nullptr);
    }
};

int runTreeTests(int argc, char **argv)
{
    TestTree test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tree.moc"
