// Column layouts kept in System\GridLayout.ini: a grid's order and widths come back in a new
// grid of the same form, and another form's section does not touch it.
#include "client/core/paths.h"
#include "client/forms/gridlayout.h"
#include "client/widgets/dbgrid.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

void addColumns(TDBGrid &grid)
{
    TDBGridColumns &columns = grid.Columns();
    columns.Add(QStringLiteral("BH"), QStringLiteral("货品编号"), 80);
    columns.Add(QStringLiteral("PM"), QStringLiteral("货品名称"), 120);
    columns.Add(QString(), QStringLiteral("备注"), 50);
    columns.Add(QStringLiteral("JE"), QStringLiteral("金额"), 90);
}

QStringList titles(const TDBGrid &grid)
{
    QStringList result;
    for (int i = 0; i < grid.Columns().Count(); ++i)
        result << grid.Columns()[i]->Title().Caption();
    return result;
}

} // namespace

class TestGridLayout : public QObject
{
    Q_OBJECT
private slots:
    void layoutRoundTripsThroughTheIniFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("System/GridLayout.ini"));
        {
            TDBGrid grid;
            addColumns(grid);
            grid.Columns()[1]->SetWidth(200);
            grid.Columns().Move(3, 0); // 金额 first
            QVERIFY(SaveGridLayout(grid, QStringLiteral("FrmRptCGHZ"), file));
        }
        TDBGrid again;
        addColumns(again);
        RestoreGridLayout(again, QStringLiteral("FrmRptCGHZ"), file);
        QCOMPARE(titles(again), (QStringList{QStringLiteral("金额"), QStringLiteral("货品编号"),
                                             QStringLiteral("货品名称"), QStringLiteral("备注")}));
        QCOMPARE(again.Columns()[2]->Width(), 200);

        TDBGrid other;
        addColumns(other);
        RestoreGridLayout(other, QStringLiteral("FrmOther"), file);
        RestoreGridLayout(other, QStringLiteral("FrmRptCGHZ"),
                          dir.filePath(QStringLiteral("none.ini")));
        QCOMPARE(titles(other), (QStringList{QStringLiteral("货品编号"), QStringLiteral("货品名称"),
                                             QStringLiteral("备注"), QStringLiteral("金额")}));
    }

    void layoutFileSitsInTheSystemFolderBesideTheProgram()
    {
        QTemporaryDir dir;
        SetExeDir(dir.path());
        QCOMPARE(GridLayoutFile(), dir.filePath(QStringLiteral("System/GridLayout.ini")));
        SetExeDir(QString());
    }
};

QTEST_MAIN(TestGridLayout)
#include "tst_gridlayout.moc"
