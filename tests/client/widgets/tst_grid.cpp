// The data grid: its model follows the dataset, edits go through the dataset with its events,
// footers, title sorting, filter row, grouping, hooks, saved layouts and the export source.
#include "fixtures.h"

#include "client/data/datasource.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridexportsource.h"
#include "client/widgets/gridmodel.h"
#include "client/widgets/gridprinter.h"
#include "client/widgets/messagebox.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QPdfWriter>
#include <QProcess>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace widgettest;

namespace {

// A grid on goods lines, shown and focused, with the columns a document grid has.
struct GridFixture
{
    std::unique_ptr<TClientDataSet> ds;
    TDataSource source;
    TDBGrid grid;

    explicit GridFixture(int rows = 5, bool customColumns = true)
        : ds(makeGoods(rows))
    {
        source.SetDataSet(ds.get());
        if (customColumns) {
            TDBGridColumns &columns = grid.Columns();
            columns.Add(QStringLiteral("BH"), QStringLiteral("货品编号"), 80);
            columns.Add(QStringLiteral("PM"), QStringLiteral("货品名称"), 120);
            columns.Add(QStringLiteral("SL"), QStringLiteral("数量"), 60);
            columns.Add(QStringLiteral("DJ"), QStringLiteral("单价"), 60);
            columns.Add(QStringLiteral("JE"), QStringLiteral("金额"), 90);
        }
        grid.SetDataSource(&source);
        grid.resize(560, 320);
    }

    QTableView *view() const { return grid.View(); }
    void show()
    {
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.activateWindow();
        grid.setFocus();
        QApplication::processEvents();
    }
    QModelIndex cell(int row, int column) const { return grid.Model()->index(row, column); }
    void clickTitle(int column)
    {
        QHeaderView *header = view()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        5);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
};

QStringList columnValues(TClientDataSet &ds, const QString &field)
{
    QStringList values;
    for (int r = 0; r < ds.RowCount(); ++r)
        values << ds.RowText(r, ds.FieldByName(field));
    return values;
}

} // namespace

class TestGrid : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void modelFollowsEveryChangeOfTheDataSet()
    {
        GridFixture f;
        QAbstractItemModelTester tester(f.grid.Model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        TDBGridModel *model = f.grid.Model();
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(model->columnCount(), 5);
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("扳手"));

        QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(model, &QAbstractItemModel::modelReset);
        f.ds->Append();
        QCOMPARE(model->rowCount(), 6);
        QCOMPARE(inserted.count(), 1);
        f.ds->FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("新货品"));
        f.ds->Post();
        QCOMPARE(model->index(5, 1).data().toString(), QStringLiteral("新货品"));
        f.ds->First();
        f.ds->Insert();
        f.ds->Cancel();
        f.ds->Delete();
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(reset.count(), 0); // row events, never a reload, for single records

        f.ds->SetIndexFieldNames(QStringLiteral("PM"));
        f.ds->SetFilter(QStringLiteral("SL > 2"));
        f.ds->SetFiltered(true);
        QCOMPARE(model->rowCount(), f.ds->RowCount());
        f.ds->SetFiltered(false);
        f.grid.SetGroupFields({QStringLiteral("LB")});
        model->ToggleGroup(0);
        f.grid.SetGroupFields({});
        f.ds->Close();
        QCOMPARE(model->rowCount(), 0);
        f.ds->CreateDataSet();
        f.ds->AppendRecord({7, QStringLiteral("H0007"), QStringLiteral("锤子")});
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("锤子"));
    }

    void defaultColumnsShowEveryVisibleField()
    {
        GridFixture f(3, false);
        QCOMPARE(f.grid.Columns().Count(), f.ds->FieldCount());
        QVERIFY(!f.grid.Columns().Customized());
        f.ds->FieldByName(QStringLiteral("ID"))->SetVisible(false);
        f.source.SetDataSet(nullptr);
        QCOMPARE(f.grid.Columns().Count(), 0);
        f.source.SetDataSet(f.ds.get());
        QCOMPARE(f.grid.Columns().Count(), f.ds->FieldCount() - 1);
        // The first column the program adds replaces the default ones.
        f.grid.Columns().Add(QStringLiteral("PM"), QStringLiteral("名称"));
        QCOMPARE(f.grid.Columns().Count(), 1);
        QCOMPARE(f.grid.Model()->index(0, 0).data().toString(), QStringLiteral("螺丝刀"));
    }

    void editingACellPostsThroughTheDataSetWithItsEvents()
    {
        GridFixture f;
        f.show();
        QStringList events;
        f.ds->BeforeEdit = [&](TClientDataSet &) {
            events << QStringLiteral("BeforeEdit");
        };
        f.ds->BeforePost = [&](TClientDataSet &) {
            events << QStringLiteral("BeforePost");
        };
        f.ds->AfterPost = [&](TClientDataSet &) {
            events << QStringLiteral("AfterPost");
        };
        f.ds->FieldByName(QStringLiteral("SL"))->OnChange = [&](TField &) {
            events << QStringLiteral("SL.OnChange");
        };

        f.grid.SetSelectedIndex(2);
        QCOMPARE(f.view()->currentIndex(), f.cell(0, 2));
        QTest::keyClick(f.view(), Qt::Key_9); // typing opens the editor with the key
        QLineEdit *editor = qobject_cast<QLineEdit *>(f.grid.InplaceEditor());
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("9"));
        QTest::keyClicks(editor, QStringLiteral("5"));
        QCOMPARE(f.ds->State(), dsBrowse);     // nothing written while typing
        QTest::keyClick(editor, Qt::Key_Down); // leaving the row stores it

        QCOMPARE(f.ds->State(), dsBrowse);
        QCOMPARE(f.ds->RowValue(0, f.ds->FieldByName(QStringLiteral("SL"))).toDouble(), 95.0);
        QCOMPARE(events, (QStringList{QStringLiteral("BeforeEdit"), QStringLiteral("SL.OnChange"),
                                      QStringLiteral("BeforePost"), QStringLiteral("AfterPost")}));
        QCOMPARE(f.ds->CurrentRow(), 1);
        QCOMPARE(f.view()->currentIndex(), f.cell(1, 2));
    }

    void aValueTheFieldRefusesShowsTheErrorAndChangesNothing()
    {
        GridFixture f;
        f.show();
        TMessageBoxScript boxes;
        const QModelIndex sl = f.cell(0, 2);
        QVERIFY(!f.grid.Model()->setData(sl, QStringLiteral("abc")));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Error);
        QCOMPARE(f.ds->RowValue(0, f.ds->FieldByName(QStringLiteral("SL"))).toDouble(), 1.0);
    }

    void escapeCancelsTheRecordBeingEdited()
    {
        GridFixture f;
        f.show();
        bool cancelled = false;
        f.ds->AfterCancel = [&](TClientDataSet &) {
            cancelled = true;
        };
        QVERIFY(f.grid.Model()->setData(f.cell(0, 1), QStringLiteral("改过的名称")));
        QCOMPARE(f.ds->State(), dsEdit);
        QTest::keyClick(f.view(), Qt::Key_Escape);
        QVERIFY(cancelled);
        QCOMPARE(f.ds->State(), dsBrowse);
        QCOMPARE(f.grid.Model()->index(0, 1).data().toString(), QStringLiteral("螺丝刀"));
    }

    void downPastTheLastRowAppendsAndAnUntouchedRecordGoesAway()
    {
        GridFixture f(3);
        f.show();
        f.ds->Last();
        QTest::keyClick(f.view(), Qt::Key_Down);
        QCOMPARE(f.ds->State(), dsInsert);
        QCOMPARE(f.grid.Model()->rowCount(), 4);
        QCOMPARE(f.view()->currentIndex().row(), 3);
        QTest::keyClick(f.view(), Qt::Key_Down); // a second blank record is not made
        QCOMPARE(f.grid.Model()->rowCount(), 4);
        QTest::keyClick(f.view(), Qt::Key_Up); // leaving it untouched drops it
        QCOMPARE(f.ds->State(), dsBrowse);
        QCOMPARE(f.grid.Model()->rowCount(), 3);
        QCOMPARE(f.ds->RecordCount(), 3);
    }

    void insertKeyInsertsBeforeTheCurrentRecord()
    {
        GridFixture f(3);
        f.show();
        f.ds->Next();
        QTest::keyClick(f.view(), Qt::Key_Insert);
        QCOMPARE(f.ds->State(), dsInsert);
        QCOMPARE(f.ds->CurrentRow(), 1);
        QCOMPARE(f.view()->currentIndex().row(), 1);
        QCOMPARE(f.grid.Model()->index(2, 0).data().toString(), QStringLiteral("H0002"));
        QTest::keyClick(f.view(), Qt::Key_Escape);
        QCOMPARE(f.grid.Model()->rowCount(), 3);
        QCOMPARE(f.grid.Model()->index(1, 0).data().toString(), QStringLiteral("H0002"));
    }

    void leavingTheGridDropsAnUntouchedNewRecord()
    {
        GridFixture f(2);
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        f.grid.setParent(&window);
        auto *other = new QLineEdit(&window);
        layout->addWidget(&f.grid);
        layout->addWidget(other);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        f.grid.setFocus();
        f.ds->Last();
        QTest::keyClick(f.view(), Qt::Key_Down);
        QCOMPARE(f.ds->State(), dsInsert);
        other->setFocus();
        QTRY_COMPARE(f.ds->State(), dsBrowse);
        QCOMPARE(f.ds->RowCount(), 2);
        f.grid.setParent(nullptr);
    }

    void aPostedRecordThatMovesInTheOrderIsFollowed()
    {
        GridFixture f(5);
        f.show();
        f.ds->SetIndexFieldNames(QStringLiteral("BH"));
        f.ds->First();
        QVERIFY(f.grid.Model()->setData(f.cell(0, 0), QStringLiteral("Z999")));
        f.ds->Post();
        QCOMPARE(f.ds->CurrentRow(), 4);
        QCOMPARE(f.view()->currentIndex().row(), 4);
        QCOMPARE(f.grid.Model()->index(4, 0).data().toString(), QStringLiteral("Z999"));
        QCOMPARE(f.grid.Model()->index(0, 0).data().toString(), QStringLiteral("H0002"));
    }

    void focusControlOfAFieldSelectsItsColumn()
    {
        GridFixture f(2);
        f.show();
        f.ds->FieldByName(QStringLiteral("DJ"))->FocusControl();
        QCOMPARE(f.grid.SelectedIndex(), 3);
        QCOMPARE(f.grid.SelectedField()->FieldName(), QStringLiteral("DJ"));
        QVERIFY(f.view()->hasFocus());
    }

    void filterRowConditionsFollowTheFieldType_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<int>("rows");
        QTest::newRow("number") << "DJ"
                                << "<= 12.5"
                                << "DJ <= 12.5" << 3;
        QTest::newRow("number equal") << "SL"
                                      << "3"
                                      << "SL = 3" << 2;
        QTest::newRow("not a number") << "SL"
                                      << "abc"
                                      << "" << 10;
        QTest::newRow("date") << "RQ"
                              << "2024-03-02"
                              << "RQ = '2024-03-02'" << 1;
        QTest::newRow("date from") << "RQ"
                                   << ">=2024-03-09"
                                   << "RQ >= '2024-03-09'" << 2;
        QTest::newRow("boolean yes") << "ZT"
                                     << "是"
                                     << "ZT = true" << 5;
        QTest::newRow("text not equal") << "PM"
                                        << "<>扳手"
                                        << "PM <> '扳手'" << 8;
        QTest::newRow("text anywhere") << "BH"
                                       << "001"
                                       << "BH like '%001%'" << 2;
    }
    void filterRowConditionsFollowTheFieldType()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, expression);
        QFETCH(int, rows);
        GridFixture f(10, false);
        f.grid.SetFilterRowVisible(true);
        const int column = f.grid.Columns().FindByFieldName(field)->Index();
        f.grid.SetColumnFilterText(column, text);
        QCOMPARE(f.grid.FilterExpression(), expression);
        QCOMPARE(f.ds->RowCount(), rows);
    }

    void aReadOnlyGridNeitherEditsNorAppends()
    {
        GridFixture f(2);
        f.grid.SetReadOnly(true);
        f.show();
        QVERIFY(!(f.grid.Model()->flags(f.cell(0, 1)) & Qt::ItemIsEditable));
        QTest::keyClick(f.view(), Qt::Key_A);
        QVERIFY(!f.grid.InplaceEditor());
        f.ds->Last();
        QTest::keyClick(f.view(), Qt::Key_Down);
        QCOMPARE(f.ds->State(), dsBrowse);
        QCOMPARE(f.ds->RecordCount(), 2);
        // A read-only column refuses edits in an editable grid too.
        f.grid.SetReadOnly(false);
        f.grid.Columns()[1]->SetReadOnly(true);
        QVERIFY(!(f.grid.Model()->flags(f.cell(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(f.grid.Model()->flags(f.cell(0, 2)) & Qt::ItemIsEditable);
    }

    void footersFollowEditsAndDeletes()
    {
        GridFixture f(3);
        f.grid.SetFooterRowCount(1);
        f.grid.Columns()[0]->Footer().SetStaticText(QStringLiteral("合计"));
        f.grid.Columns()[2]->Footer().SetSum(QStringLiteral("#,0.00"));
        f.grid.Columns()[4]->Footer().SetSum(QStringLiteral("#,0.00"));
        // SL 1, 2, 3; JE 10.5, 23, 37.5
        QCOMPARE(f.grid.FooterText(0), QStringLiteral("合计"));
        QCOMPARE(f.grid.FooterText(2), QStringLiteral("6.00"));
        QCOMPARE(f.grid.FooterText(4), QStringLiteral("71.00"));
        QCOMPARE(f.grid.FooterText(1), QString());

        f.ds->Edit();
        f.ds->FieldByName(QStringLiteral("JE"))->SetAsFloat(1000.5);
        QCOMPARE(f.grid.FooterText(4), QStringLiteral("1,061.00")); // the edit buffer counts
        f.ds->Post();
        QCOMPARE(f.grid.FooterText(4), QStringLiteral("1,061.00"));
        f.ds->Last();
        f.ds->Delete();
        QCOMPARE(f.grid.FooterText(2), QStringLiteral("3.00"));
        QCOMPARE(f.grid.FooterText(4), QStringLiteral("1,023.50"));
        f.ds->SetFilter(QStringLiteral("SL = 2"));
        f.ds->SetFiltered(true);
        QCOMPARE(f.grid.FooterText(2), QStringLiteral("2.00"));
        f.ds->EmptyDataSet();
        QCOMPARE(f.grid.FooterText(4), QStringLiteral("0.00"));
    }

    void titleClicksSortAscendingThenDescending()
    {
        GridFixture f(4);
        f.grid.SetTitleButtons(true);
        f.show();
        f.ds->Locate(QStringLiteral("BH"), QStringLiteral("H0003"));
        f.clickTitle(1); // 货品名称
        QCOMPARE(f.ds->IndexFieldNames(), QStringLiteral("PM"));
        QCOMPARE(f.grid.Columns()[1]->Title().SortMarker(), smUp);
        QStringList ascending = columnValues(*f.ds, QStringLiteral("PM"));
        QStringList sorted = ascending;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(ascending, sorted);
        QCOMPARE(f.ds->FieldByName(QStringLiteral("BH"))->AsString(), QStringLiteral("H0003"));

        f.clickTitle(1);
        QCOMPARE(f.ds->IndexName(), QStringLiteral("iPM"));
        QVERIFY(f.ds->IndexDefs().Find(QStringLiteral("iPM")));
        QCOMPARE(f.grid.Columns()[1]->Title().SortMarker(), smDown);
        QStringList descending = columnValues(*f.ds, QStringLiteral("PM"));
        std::reverse(sorted.begin(), sorted.end());
        QCOMPARE(descending, sorted);

        f.clickTitle(4); // another column starts ascending and clears the other marker
        QCOMPARE(f.ds->IndexFieldNames(), QStringLiteral("JE"));
        QCOMPARE(f.grid.Columns()[1]->Title().SortMarker(), smNone);
        QCOMPARE(f.grid.Columns()[4]->Title().SortMarker(), smUp);

        // A title that is no title button does nothing; OnTitleClick replaces the sort.
        f.grid.SetTitleButtons(false);
        f.clickTitle(2);
        QCOMPARE(f.ds->IndexFieldNames(), QStringLiteral("JE"));
        int clicked = -1;
        f.grid.OnTitleClick = [&](TDBGrid &, TColumn &column) {
            clicked = column.Index();
        };
        f.grid.Columns()[2]->Title().SetTitleButton(true);
        f.clickTitle(2);
        QCOMPARE(clicked, 2);
        QCOMPARE(f.ds->IndexFieldNames(), QStringLiteral("JE"));
    }

    void filterRowNarrowsTheRowsAtOnce()
    {
        GridFixture f(8);
        f.grid.SetFilterRowVisible(true);
        f.grid.SetColumnFilterText(1, QStringLiteral("扳"));
        QCOMPARE(f.grid.FilterExpression(), QStringLiteral("PM like '%扳%'"));
        QCOMPARE(f.ds->RowCount(), 1);
        f.grid.SetColumnFilterText(2, QStringLiteral(">= 3"));
        QCOMPARE(f.ds->RowCount(), 0);
        f.grid.SetColumnFilterText(1, QString());
        QCOMPARE(f.ds->RowCount(), 5); // SL 3, 4, 5, 6, 7
    }

    void filterTextWithAQuoteIsQuotedNotBroken()
    {
        GridFixture f(3);
        f.ds->Edit();
        f.ds->FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("O'Neil扳手"));
        f.ds->Post();
        f.grid.SetFilterRowVisible(true);
        f.grid.SetColumnFilterText(1, QStringLiteral("o'neil"));
        QCOMPARE(f.grid.FilterExpression(), QStringLiteral("PM like '%o''neil%'"));
        QCOMPARE(f.ds->RowCount(), 1);
        f.grid.SetFilterRowVisible(false);
        QVERIFY(!f.ds->Filtered());
        QCOMPARE(f.ds->RowCount(), 3);
    }

    void groupingNestsRowsUnderGroupRows()
    {
        GridFixture f(7);
        f.grid.SetGroupPanelVisible(true);
        QAbstractItemModelTester tester(f.grid.Model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        f.grid.GroupByColumn(1); // by name: 7 distinct names
        f.grid.SetGroupFields({QStringLiteral("LB")});
        TDBGridModel *model = f.grid.Model();
        // 五金 rows 0,3,6; 工具 1,4; 耗材 2,5 -> 3 group rows + 7 data rows, groups in order.
        QCOMPARE(model->rowCount(), 10);
        QVERIFY(model->IsGroupRow(0));
        QCOMPARE(model->GroupText(0), QStringLiteral("LB: 五金 (3)"));
        QCOMPARE(model->DataRow(1), 0);
        QCOMPARE(model->DataRow(2), 3);
        QCOMPARE(model->ModelRow(6), 3);
        model->ToggleGroup(0);
        QCOMPARE(model->rowCount(), 7);
        QCOMPARE(model->ModelRow(3), -1);
        f.grid.SetAllGroupsExpanded(true);
        QCOMPARE(model->rowCount(), 10);
        // A grouped row edited to another group moves under it.
        f.ds->First();
        f.ds->Edit();
        f.ds->FieldByName(QStringLiteral("LB"))->SetAsString(QStringLiteral("耗材"));
        f.ds->Post();
        QCOMPARE(model->GroupText(0), QStringLiteral("LB: 五金 (2)"));
        f.grid.UngroupField(QStringLiteral("lb"));
        QCOMPARE(model->rowCount(), 7);
    }

    void cellHooksReadThePaintedRow()
    {
        GridFixture f(4);
        f.grid.Columns()[2]->SetLedgerCells(false);
        QStringList seen;
        f.grid.OnGetCellParams = [&](TDBGrid &grid, TColumn &column, TCellParams &params) {
            if (column.FieldName() != QLatin1String("PM"))
                return;
            seen << grid.DataSet()->FieldByName(QStringLiteral("BH"))->AsString();
            if (params.Row == 1)
                params.Text = QStringLiteral("隐藏");
        };
        int drawn = 0;
        f.grid.OnDrawColumnCell = [&](TDBGrid &grid, QPainter &, const QRect &, int,
                                      TColumn &column, TGridDrawState state) {
            if (column.FieldName() == QLatin1String("JE")) {
                ++drawn;
                const bool current =
                    grid.DataSet()->FieldByName(QStringLiteral("ID"))->AsInteger() == 1;
                QCOMPARE(bool(state & gdCurrentRow), current);
            }
        };
        f.show();
        f.grid.grab();
        QVERIFY(seen.contains(QStringLiteral("H0004")));
        QVERIFY(seen.contains(QStringLiteral("H0002")));
        QCOMPARE(drawn >= 4, true);
        // The cursor never moved while painting.
        QCOMPARE(f.ds->CurrentRow(), 0);
    }

    void keyHooksSeeKeysBeforeTheGrid()
    {
        GridFixture f(3);
        f.show();
        QString keys;
        f.grid.OnKeyPress = [&](TDBGrid &, QChar &key) {
            keys += key == QLatin1Char('\r') ? QStringLiteral("<Enter>") : QString(key);
            if (key == QLatin1Char('x'))
                key = QChar();
        };
        f.grid.SetSelectedIndex(1);
        QTest::keyClick(f.view(), Qt::Key_X);
        QVERIFY(!f.grid.InplaceEditor()); // swallowed: no editor
        QTest::keyClick(f.view(), Qt::Key_A);
        QWidget *editor = f.grid.InplaceEditor();
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_B);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(keys, QStringLiteral("xab<Enter>"));
        QTRY_VERIFY(!f.grid.InplaceEditor()); // Enter stores the cell and closes the editor
        QCOMPARE(f.ds->FieldByName(QStringLiteral("PM"))->AsString(), QStringLiteral("ab"));

        // A document grid moves to the next column on Enter, storing the cell on the way.
        f.grid.OnKeyPress = [&](TDBGrid &grid, QChar &key) {
            if (key == QLatin1Char('\r')) {
                grid.SetSelectedIndex(grid.SelectedIndex() + 1);
                key = QChar();
            }
        };
        f.grid.SetSelectedIndex(2);
        QTest::keyClick(f.view(), Qt::Key_7);
        QTest::keyClick(f.grid.InplaceEditor(), Qt::Key_Return);
        QCOMPARE(f.grid.SelectedIndex(), 3);
        QCOMPARE(f.ds->FieldByName(QStringLiteral("SL"))->AsFloat(), 7.0);
    }

    void columnExitAndEnterFireWhenTheColumnChanges()
    {
        GridFixture f(2);
        f.show();
        QStringList log;
        f.grid.OnColExit = [&](TDBGrid &grid) {
            log << QStringLiteral("exit %1").arg(grid.SelectedIndex());
        };
        f.grid.OnColEnter = [&](TDBGrid &grid) {
            log << QStringLiteral("enter %1").arg(grid.SelectedIndex());
        };
        f.grid.SetSelectedIndex(3);
        QTest::keyClick(f.view(), Qt::Key_Left);
        QCOMPARE(log, (QStringList{QStringLiteral("exit 0"), QStringLiteral("enter 3"),
                                   QStringLiteral("exit 3"), QStringLiteral("enter 2")}));
    }

    void editButtonRunsOnEditButtonClick()
    {
        GridFixture f(3);
        f.grid.Columns()[0]->SetButtonStyle(cbsEllipsis);
        f.show();
        int clicks = 0;
        QString cellText;
        f.grid.OnEditButtonClick = [&](TDBGrid &grid) {
            ++clicks;
            cellText = grid.SelectedField()->AsString();
        };
        f.grid.SetSelectedIndex(0);
        QTest::keyClick(f.view(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicks, 1);
        QCOMPARE(cellText, QStringLiteral("H0001"));
        // The button in the current cell; typed text is stored before the handler runs.
        QTest::keyClick(f.view(), Qt::Key_Z);
        QTest::keyClick(f.grid.InplaceEditor(), Qt::Key_Return, Qt::ControlModifier);
        QTRY_COMPARE(clicks, 2);
        QCOMPARE(cellText, QStringLiteral("z"));
        const QRect cell = f.view()->visualRect(f.cell(0, 0));
        QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {},
                          QPoint(cell.right() - 6, cell.center().y()));
        QCOMPARE(clicks, 3);
    }

    void dataSetMovesAreFollowedAndClicksMoveTheDataSet()
    {
        GridFixture f(50);
        f.show();
        f.ds->Last();
        QCOMPARE(f.view()->currentIndex().row(), 49);
        QVERIFY(
            f.view()->viewport()->rect().contains(f.view()->visualRect(f.cell(49, 0)).center()));
        int cellClicks = 0;
        int doubleClicks = 0;
        f.grid.OnCellClick = [&](TDBGrid &, TColumn &column) {
            QCOMPARE(column.FieldName(), QStringLiteral("PM"));
            ++cellClicks;
        };
        f.grid.OnDblClick = [&](TDBGrid &grid) {
            QCOMPARE(grid.DataSet()->CurrentRow(), 47);
            ++doubleClicks;
        };
        const QRect first = f.view()->visualRect(f.cell(47, 1));
        QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(f.ds->CurrentRow(), 47);
        QCOMPARE(cellClicks, 1);
        QTest::mouseDClick(f.view()->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(doubleClicks, 1);
        QVERIFY(!f.grid.CurrentCellRect().isEmpty());
    }

    void noWidgetIsMadePerRow()
    {
        GridFixture f(20000);
        f.show();
        const int before = int(f.grid.findChildren<QWidget *>().size());
        f.ds->Last();
        f.grid.grab();
        f.ds->First();
        f.grid.grab();
        QCOMPARE(int(f.grid.findChildren<QWidget *>().size()), before);
        QVERIFY(before < 40);
    }

    void layoutCarriesOrderAndWidthsToAnotherGrid()
    {
        TColumnsLayout saved;
        {
            GridFixture f(2);
            f.grid.Columns()[1]->SetWidth(200);
            f.grid.Columns()[4]->SetWidth(33);
            f.grid.Columns().Move(4, 0); // 金额 first
            saved = f.grid.ColumnsLayout();
        }
        QCOMPARE(saved.value(QStringLiteral("JE")).Position, 0);
        GridFixture g(2);
        g.grid.ApplyColumnsLayout(saved);
        QStringList order;
        for (int i = 0; i < g.grid.Columns().Count(); ++i)
            order << g.grid.Columns()[i]->FieldName();
        QCOMPARE(order,
                 (QStringList{QStringLiteral("JE"), QStringLiteral("BH"), QStringLiteral("PM"),
                              QStringLiteral("SL"), QStringLiteral("DJ")}));
        QCOMPARE(g.grid.Columns()[0]->Width(), 33);
        QCOMPARE(g.grid.Columns()[2]->Width(), 200);
        QCOMPARE(g.view()->columnWidth(2), 200);
        // A layout that names only some columns moves those; the rest keep their order.
        GridFixture h(2);
        h.grid.ApplyColumnsLayout({{QStringLiteral("DJ"), {0, 0}}});
        QCOMPARE(h.grid.Columns()[0]->FieldName(), QStringLiteral("BH"));
        QCOMPARE(h.grid.Columns()[1]->FieldName(), QStringLiteral("DJ"));
        QCOMPARE(h.grid.Columns()[1]->Width(), 60);
    }

    void multiLineTitlesBandColumnsAndGrowTheHeader()
    {
        GridFixture f(2);
        f.show();
        const int single = f.view()->horizontalHeader()->height();
        f.grid.Columns()[3]->Title().SetCaption(QStringLiteral("金额|单价"));
        f.grid.Columns()[4]->Title().SetCaption(QStringLiteral("金额|合计"));
        f.grid.SetUseMultiTitle(true);
        QApplication::processEvents();
        QVERIFY(f.view()->horizontalHeader()->height() > single);
        QCOMPARE(f.grid.Columns()[4]->Title().Levels(),
                 (QStringList{QStringLiteral("金额"), QStringLiteral("合计")}));
        f.grid.SetFilterRowVisible(true);
        QApplication::processEvents();
        QCOMPARE(f.view()->horizontalHeader()->height(),
                 f.view()->horizontalHeader()->sizeHint().height());
        QCOMPARE(f.view()->verticalHeader()->defaultSectionSize(), 20);
    }

    void printingRepeatsTitlesOnEveryPageAndNumbersThePages()
    {
        QCOMPARE(ExpandPageText(QStringLiteral("第&[Page]页，共&[Pages]页"), 2, 7),
                 QStringLiteral("第2页，共7页"));
        GridFixture f(150);
        f.grid.SetFooterRowCount(1);
        f.grid.Columns()[4]->Footer().SetSum(QStringLiteral("#,0.00"));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("grid.pdf"));
        QPdfWriter pdf(file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(300);
        TDBGridPrinter printer(f.grid);
        printer.Options().Title = QStringLiteral("货品资料");
        const int pages = printer.PageCount(pdf);
        QVERIFY(pages > 1);
        QVERIFY(printer.Print(pdf));
        QVERIFY(QFileInfo(file).size() > 1000);
        // Fewer rows take fewer pages; one row and the footer row fit on one.
        GridFixture small(1);
        small.grid.SetFooterRowCount(1);
        TDBGridPrinter one(small.grid);
        QCOMPARE(one.PageCount(pdf), 1);
        QCOMPARE(TDBGridPrinter(f.grid).PageCount(pdf), pages);
    }

    void thePageFooterCarriesALeftAndARightText()
    {
        GridFixture f(3);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("footer.pdf"));
        {
            QPdfWriter pdf(file);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            TDBGridPrinter printer(f.grid);
            printer.Options().PageFooterLeft = QStringLiteral("打印日期：2026-12-07");
            QVERIFY(printer.Print(pdf));
        }
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            QSKIP("pdftotext (poppler-utils) is not available");
        // pdftotext reads some glyphs of the Song face as radicals (日 as U+2F47): compare the
        // parts that survive.
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("打印")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("：2026-12-07")));
        QVERIFY(text.contains(QStringLiteral("第1")));
        QVERIFY(text.contains(QStringLiteral("，共1")));
    }

    void exportSourceGivesVisibleColumnsRowsAndTheFooter()
    {
        GridFixture f(3);
        f.grid.Columns()[3]->SetVisible(false);
        f.grid.Columns()[4]->SetDisplayFormat(QStringLiteral("#,0.00"));
        f.grid.SetFooterRowCount(1);
        f.grid.Columns()[0]->Footer().SetStaticText(QStringLiteral("合计"));
        f.grid.Columns()[4]->Footer().SetSum(QStringLiteral("#,0.00"));
        TGridExportSource source(f.grid);
        QCOMPARE(source.columnCount(), 4);
        QCOMPARE(source.rowCount(), 4);
        QCOMPARE(source.columnTitle(3), QStringLiteral("金额"));
        QCOMPARE(source.columnKind(3), output::ColumnKind::Number);
        QCOMPARE(source.cellText(1, 1), QStringLiteral("扳手"));
        QCOMPARE(source.cellText(2, 3), QStringLiteral("37.50"));
        QCOMPARE(source.cellValue(2, 3).toDouble(), 37.5);
        QCOMPARE(source.cellText(3, 0), QStringLiteral("合计"));
        QCOMPARE(source.cellText(3, 3), QStringLiteral("71.00"));
        QCOMPARE(TGridExportSource(f.grid, false).rowCount(), 3);
    }
};

int runGridTests(int argc, char **argv)
{
    TestGrid test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_grid.moc"
