// The lookup combo: it shows the list text of the key its field holds and writes the key of
// the record chosen, by typing, by the drop-down list or through a lookup field.
#include "fixtures.h"

#include "client/data/datasource.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

using namespace widgettest;

namespace {

struct LookupFixture
{
    std::unique_ptr<TClientDataSet> goods = makeGoods(3);
    std::unique_ptr<TClientDataSet> warehouses = makeWarehouses();
    TDataSource source{goods.get()};
    TDataSource listSource{warehouses.get()};
    QWidget window;
    TDBLookupComboBox *combo = new TDBLookupComboBox(&window);
    QLineEdit *other = new QLineEdit(&window);

    LookupFixture()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(combo);
        layout->addWidget(other);
        combo->SetListSource(&listSource);
        combo->SetKeyField(QStringLiteral("ID"));
        combo->SetListField(QStringLiteral("MC;BH"));
        combo->SetDataSource(&source);
        combo->SetDataField(QStringLiteral("CKID"));
    }
    void show()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    int key() const { return goods->FieldByName(QStringLiteral("CKID"))->AsInteger(); }
};

} // namespace

class TestLookup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showsTheListTextOfTheKey()
    {
        LookupFixture f;
        QCOMPARE(f.combo->Text(), QStringLiteral("总仓库"));
        f.goods->Next();
        QCOMPARE(f.combo->Text(), QStringLiteral("门市仓库"));
        f.combo->SetListFieldIndex(1);
        QCOMPARE(f.combo->Text(), QStringLiteral("02"));
        QCOMPARE(f.combo->KeyValue().toInt(), 2);
    }

    void theComboStaysOneLineHighInATallLayout()
    {
        LookupFixture f;
        f.window.resize(300, 400); // far more room than two lines need
        f.show();
        QVERIFY2(f.combo->height() <= f.other->height() + 6,
                 qPrintable(QStringLiteral("combo %1 px, edit %2 px")
                                .arg(f.combo->height())
                                .arg(f.other->height())));
    }

    void choosingWritesTheKey()
    {
        LookupFixture f;
        QVERIFY(f.combo->SetKeyValue(3));
        QCOMPARE(f.goods->State(), dsEdit);
        QCOMPARE(f.key(), 3);
        QCOMPARE(f.combo->Text(), QStringLiteral("原料仓库"));
        f.goods->Post();
        QCOMPARE(f.goods->RowValue(0, f.goods->FieldByName(QStringLiteral("CKID"))).toInt(), 3);
    }

    void typingSearchesAndEnterChooses()
    {
        LookupFixture f;
        f.show();
        int closedUp = 0;
        f.combo->OnCloseUp = [&](TDBLookupComboBox &) {
            ++closedUp;
        };
        f.combo->setFocus();
        f.combo->Edit()->selectAll();
        typeText(f.combo->Edit(), QStringLiteral("门"));
        QCOMPARE(f.warehouses->FieldByName(QStringLiteral("ID"))->AsInteger(), 2);
        QCOMPARE(f.key(), 1); // nothing written before the choice
        QTest::keyClick(f.combo->Edit(), Qt::Key_Return);
        QCOMPARE(f.key(), 2);
        QCOMPARE(closedUp, 1);
        QCOMPARE(f.combo->Text(), QStringLiteral("门市仓库"));
    }

    void theDropDownListChoosesWithArrowsAndEnter()
    {
        LookupFixture f;
        f.show();
        f.combo->setFocus();
        f.combo->DropDown();
        QVERIFY(f.combo->ListVisible());
        QCOMPARE(f.combo->List()->Columns().Count(), 2);
        QTest::keyClick(f.combo->List()->View(), Qt::Key_Down);
        QTest::keyClick(f.combo->List()->View(), Qt::Key_Down);
        QTest::keyClick(f.combo->List()->View(), Qt::Key_Return);
        QVERIFY(!f.combo->ListVisible());
        QCOMPARE(f.key(), 3);
        f.combo->DropDown();
        QTest::keyClick(f.combo->List()->View(), Qt::Key_Escape);
        QVERIFY(!f.combo->ListVisible());
        QCOMPARE(f.key(), 3);
    }

    void aFormCanFilterTheListAndTakeEnterItself()
    {
        // The floating goods box of the document lines: the form filters the list on every key
        // and on Enter writes the first row's code itself.
        LookupFixture f;
        f.combo->SetStyle(TDBLookupComboBox::csDropDown);
        f.combo->SetListColumns({{QStringLiteral("BH"), QStringLiteral("编号"), 10},
                                 {QStringLiteral("MC"), QStringLiteral("名称"), 20}});
        f.show();
        QStringList filters;
        f.combo->OnKeyUp = [&](TDBLookupComboBox &box, int key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left ||
                key == Qt::Key_Right)
                return;
            const QString text = box.Text();
            const QString filter = QStringLiteral("MC like '%1%'").arg(text);
            filters << filter;
            f.warehouses->SetFilter(filter);
            f.warehouses->SetFiltered(!text.isEmpty());
        };
        f.combo->OnKeyPress = [&](TDBLookupComboBox &box, QChar &key) {
            if (key == QLatin1Char('\r')) {
                box.SetKeyValue(f.warehouses->FieldByName(QStringLiteral("ID"))->Value());
                key = QChar();
            }
        };
        f.combo->setFocus();
        f.combo->DropDown();
        typeText(f.combo->List()->View(), QStringLiteral("原"));
        QCOMPARE(f.combo->Text(), QStringLiteral("原"));
        QCOMPARE(filters.last(), QStringLiteral("MC like '原%'"));
        QCOMPARE(f.warehouses->RowCount(), 1);
        QTest::keyClick(f.combo->List()->View(), Qt::Key_Backspace);
        QCOMPARE(f.warehouses->RowCount(), 3);
        f.warehouses->SetFilter(QStringLiteral("MC like '原%'"));
        f.warehouses->SetFiltered(true);
        QTest::keyPress(f.combo->List()->View(), Qt::Key_Return);
        QCOMPARE(f.key(), 3);
    }

    void aLookupFieldDefinesTheListAndTakesTheKey()
    {
        std::unique_ptr<TClientDataSet> warehouses = makeWarehouses();
        TClientDataSet lines;
        lines.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        lines.FieldDefs().Add(QStringLiteral("CKID"), ftInteger);
        for (const TFieldDef &def : lines.FieldDefs().Items())
            lines.AddField(def.DataType, def.Name);
        lines.AddLookupField(ftString, QStringLiteral("aCKMC"), QStringLiteral("CKID"),
                             warehouses.get(), QStringLiteral("ID"), QStringLiteral("MC"), 40);
        lines.CreateDataSet();
        lines.AppendRecord({1, 2});
        TDataSource source(&lines);
        TDBLookupComboBox combo;
        combo.SetDataSource(&source);
        combo.SetDataField(QStringLiteral("aCKMC"));
        QCOMPARE(combo.Text(), QStringLiteral("门市仓库"));
        QCOMPARE(combo.ListDataSet(), warehouses.get());
        warehouses->Locate(QStringLiteral("ID"), 1);
        QVERIFY(combo.SelectCurrent());
        QCOMPARE(lines.FieldByName(QStringLiteral("CKID"))->AsInteger(), 1);
        QCOMPARE(lines.FieldByName(QStringLiteral("aCKMC"))->AsString(), QStringLiteral("总仓库"));
    }

    void aReadOnlyComboNeitherDropsDownNorWrites()
    {
        LookupFixture f;
        f.combo->SetReadOnly(true);
        f.show();
        f.combo->setFocus();
        QTest::keyClick(f.combo->Edit(), Qt::Key_Down);
        QVERIFY(!f.combo->ListVisible());
        QVERIFY(!f.combo->SetKeyValue(2));
        QCOMPARE(f.key(), 1);
        QCOMPARE(f.goods->State(), dsBrowse);
    }
};

int runLookupTests(int argc, char **argv)
{
    TestLookup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lookup.moc"
