// The shared routines with windows: the start-up connection's messages, the script restore
// behind its progress dialog, default dates on date pickers and the attribute columns of a
// grid. Message boxes are answered by a script; the progress dialog's cancel button is
// pressed from a timer while the restore runs.
#include "linktests.h"

#include "client/core/paths.h"
#include "client/core/sysconfig.h"
#include "client/forms/sharedroutines.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridcolumns.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>

namespace {

// Presses the cancel button of the progress dialog as soon as events are processed.
void cancelProgressSoon()
{
    QTimer::singleShot(0, [] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *progress = qobject_cast<TdlgProgress *>(widget);
                progress && progress->isVisible())
                progress->CancelButton()->click();
        }
    });
}

QString writeScript(const QString &folder, const QStringList &lines)
{
    QFile file(QDir(folder).filePath(QStringLiteral("script.txt")));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(lines.join(QLatin1Char('\n')).toUtf8());
    return file.fileName();
}

} // namespace

class TestSharedRoutines : public QObject
{
    Q_OBJECT

    vztest::TestWorld world{linktest::worldOptions()};

private slots:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        QVERIFY(ExecSQL(QStringLiteral("delete from KH")));
    }
    void cleanupTestCase() { world.stop(); }
    void cleanup() { world.cleanup(); }

    void connectServerShowsWhyItFailed()
    {
        TMessageBoxScript boxes;
        TSocketConnection other(QStringLiteral("ZezU.datas"));
        QVERIFY(ConnectServer(&other));
        QCOMPARE(boxes.Count(), 0);

        QFile::remove(SysConfigFileName());
        SaveServerAddress(QStringLiteral("127.0.0.1:1"));
        QVERIFY(!ConnectServer(&other));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(
            boxes.Last().Text,
            QStringLiteral("找不到服务器，请检查本软件包安装目录下面的SysConfig.ini配置文件！"));
    }

    void restoreShowsProgressAndReportsTheEnd()
    {
        QTemporaryDir work;
        world.afterTest(QStringLiteral("delete from KH"));
        world.afterTest([previous = QDir::currentPath()] { QDir::setCurrent(previous); });
        QDir::setCurrent(work.path());
        const QString script = writeScript(
            work.path(), {QStringLiteral("// customers"),
                          QStringLiteral("insert into KH (ID, BH, MC) values (1, 'K1', 'a')"),
                          QStringLiteral("insert into KH (ID, BH) values (1, 'again')"),
                          QStringLiteral("insert into KH (ID, BH, MC) values (2, 'K2', 'b')")});
        TMessageBoxScript boxes;
        const TScriptRestoreResult result = RestoreFromScript(script);
        QCOMPARE(result.Executed, 2);
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("导入完成！"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("信息"));
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Information);
        QCOMPARE(ReadScriptFile(QStringLiteral("ErorSql.txt")),
                 QStringList{QStringLiteral("insert into KH (ID, BH) values (1, 'again')")});
        QVERIFY(ExecSQL(QStringLiteral("delete from KH")));

        // cancel, then "No": the restore goes on
        boxes.Clear();
        boxes.Answer(mrNo);
        cancelProgressSoon();
        QCOMPARE(RestoreFromScript(script).Executed, 2);
        QCOMPARE(boxes.Count(), 2);
        QCOMPARE(boxes.Requests().first().Text, QStringLiteral("确实中断操作吗？"));
        QCOMPARE(boxes.Requests().first().Caption, QStringLiteral("询问"));
        QVERIFY(ExecSQL(QStringLiteral("delete from KH")));

        // cancel, then "Yes": it stops before the next line
        boxes.Clear();
        boxes.Answer(mrYes);
        cancelProgressSoon();
        const TScriptRestoreResult stopped = RestoreFromScript(script);
        QVERIFY(stopped.Cancelled);
        QCOMPARE(stopped.Executed, 0);
        QCOMPARE(boxes.Last().Text, QStringLiteral("导入完成！"));
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from KH")).toInt(), 0);
    }

    void defaultDatesGoToThePickers()
    {
        QDir(ExeDir()).mkpath(QStringLiteral("System"));
        QFile ini(ExeDirFile(QStringLiteral("System\\SystemSet.ini")));
        world.afterTest([name = ini.fileName()] { QFile::remove(name); });
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[CurrentWork]\nItemIndex=0\n");
        ini.close();
        TDateTimePicker from, to;
        from.SetDate(QDate(2000, 1, 1));
        to.SetDate(QDate(2000, 1, 1));
        ApplyDefaultDates(&from, &to);
        QCOMPARE(from.Date(), QDate::currentDate());
        QCOMPARE(to.Date(), QDate::currentDate());
    }

    void attributeColumnsFollowTheModelColumn()
    {
        TDBGrid grid;
        for (const char *name : {"aBH", "aPM", "aGG", "SL"})
            grid.Columns().Add(QLatin1String(name));
        AddAttrColumns(
            &grid, {{QStringLiteral("HP_SX1"), {QStringLiteral("SX1"), QStringLiteral("颜色")}},
                    {QStringLiteral("HP_SX5"), {QStringLiteral("SX5"), QStringLiteral("重量")}}});
        QStringList order;
        for (int i = 0; i < grid.Columns().Count(); ++i)
            order.append(grid.Columns()[i]->FieldName());
        QCOMPARE(order,
                 (QStringList{QStringLiteral("aBH"), QStringLiteral("aPM"), QStringLiteral("aGG"),
                              QStringLiteral("SX1"), QStringLiteral("SX5"), QStringLiteral("SL")}));
        const TColumn *colour = grid.Columns().FindByFieldName(QStringLiteral("SX1"));
        QCOMPARE(colour->Title().Caption(), QStringLiteral("颜色"));
        QCOMPARE(colour->Width(), 80);
        const TColumn *weight = grid.Columns().FindByFieldName(QStringLiteral("SX5"));
        QCOMPARE(weight->Width(), 40);
        QCOMPARE(weight->DisplayFormat(), QStringLiteral("0.00"));
    }
};

int runSharedRoutinesTests(int argc, char **argv)
{
    TestSharedRoutines test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sharedroutines.moc"
