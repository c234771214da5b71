// The goods import against a real server on the demo account set: the goods are replaced
// with the workbook's rows and the categories they name, or, when the request fails or the
// server dies on the way, the old goods stay as they were.
#include "client/admin/importrun.h"
#include "client/data/serveraccess.h"
#include "support/testworld.h"

#include <QTest>

namespace {

int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

QList<TImportField> goodsMap()
{
    return {
        {QStringLiteral("BH"), QStringLiteral("货品编号"), QStringLiteral("S"), 0},
        {QStringLiteral("PM"), QStringLiteral("货品名称"), QStringLiteral("S"), 1},
        {QStringLiteral("GG"), QStringLiteral("货品规格"), QStringLiteral("S"), 2},
        {QStringLiteral("HPLBID"), QStringLiteral("货品类别"), QStringLiteral("I"), 3},
        {QStringLiteral("JJ"), QStringLiteral("采购价"), QStringLiteral("F"), 4},
    };
}

// rows goods; every second one in the new category, the first with an empty size and price.
QStringList builtGoods(int rows, const QString &category)
{
    TImportNames names;
    LoadImportNames(names);
    TImportBuilder builder(QStringLiteral("hp"), goodsMap(), true, &names);
    QString error;
    for (int i = 1; i <= rows; ++i) {
        const bool first = i == 1;
        builder.AddRow({QStringLiteral("IMP%1").arg(i, 5, 10, QLatin1Char('0')),
                        QStringLiteral("导入品'%1").arg(i),
                        first ? QString() : QStringLiteral("1x"), i % 2 ? category : QString(),
                        first ? QString() : QStringLiteral("2.5")},
                       &error);
    }
    return builder.Statements();
}

} // namespace

class TestImportRun : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;

    bool reconnect(const QStringList &serverArguments = {})
    {
        world.disconnect();
        world.server().stop();
        if (!world.server().start(serverArguments))
            return false;
        world.cleanup();
        return world.connect() && world.login(QStringLiteral("SYS"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("VZ_TEST_HOOKS", "1");
        QVERIFY2(world.start(), qPrintable(world.error()));
    }

    void failingRequestLeavesTheOldGoods()
    {
        const int goods = count(QStringLiteral("select count(*) from hp"));
        QVERIFY(goods > 0);
        const TAtomicResult result =
            SendImport(QStringLiteral("hp"), builtGoods(20, QStringLiteral("坏批类别")),
                       {QStringLiteral("insert into hp(id,NoSuchColumn) values (99999,1)")});
        QVERIFY(!result.Ok);
        QCOMPARE(count(QStringLiteral("select count(*) from hp")), goods);
        QCOMPARE(count(QStringLiteral("select count(*) from pub_ItemType where TypeName = "
                                      "'坏批类别'")),
                 0);
    }

    void serverKilledDuringTheImportLeavesTheOldGoods()
    {
        const int goods = count(QStringLiteral("select count(*) from hp"));
        const QStringList statements = builtGoods(1200, QStringLiteral("断电类别"));
        const int all = int(statements.size()) + 1; // with the delete
        for (const int step : {1, 2, all / 2, all}) {
            QVERIFY2(reconnect({QStringLiteral("--test-kill-at-statement"), QString::number(step)}),
                     qPrintable(world.server().error()));
            QVERIFY(!SendImport(QStringLiteral("hp"), statements).Ok);
            QVERIFY(reconnect());
            QCOMPARE(count(QStringLiteral("select count(*) from hp")), goods);
            QCOMPARE(count(QStringLiteral("select count(*) from pub_ItemType where TypeName = "
                                          "'断电类别'")),
                     0);
        }
    }

    // Last: it replaces the demo's goods.
    void goodsAreReplacedWithTheWorkbookRows()
    {
        const TAtomicResult result =
            SendImport(QStringLiteral("hp"), builtGoods(1200, QStringLiteral("新导入类别")));
        QVERIFY2(result.Ok, qPrintable(result.Text()));
        QCOMPARE(count(QStringLiteral("select count(*) from hp")), 1200);
        QCOMPARE(count(QStringLiteral("select min(id) from hp")), 1);
        QCOMPARE(count(QStringLiteral("select max(id) from hp")), 1200);
        QCOMPARE(count(QStringLiteral("select count(*) from pub_ItemType where TypeName = "
                                      "'新导入类别'")),
                 1);
        const int category = count(
            QStringLiteral("select ItemType from pub_ItemType where TypeName = '新导入类别'"));
        QCOMPARE(count(QStringLiteral("select count(*) from hp where HPLBID = %1").arg(category)),
                 600);
        QCOMPARE(count(QStringLiteral("select count(*) from hp where HPLBID = 1")), 600);
        QCOMPARE(count(QStringLiteral("select count(*) from hp where id = 1 and GG is null and "
                                      "JJ = 0 and PM = '导入品''1'")),
                 1);
        QCOMPARE(count(QStringLiteral("select count(*) from hp where id = 2 and GG = '1x' and "
                                      "JJ = 2.5")),
                 1);
    }
};

QTEST_MAIN(TestImportRun)
#include "tst_importrun.moc"
