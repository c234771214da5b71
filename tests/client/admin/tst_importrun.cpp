// The goods import against a real server on the demo account set: the goods are replaced
// with the workbook's rows and the categories they name, or, when the request fails or the
// server dies on the way, the old goods stay as they were.
#include "client/admin/importrun.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/reports/reportsql.h"
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
        {QStringLiteral("CKID"), QStringLiteral("仓库"), QStringLiteral("I"), 5},
        {QStringLiteral("InSL"), QStringLiteral("期初数量"), QStringLiteral("F"), 6},
    };
}

struct TBuilt
{
    QStringList Statements;
    QList<TImportedGoods> Stocked;
};

// Warehouses by name, every third goods in none (booked in warehouse 1); quantities 1, 2, 3...
// and none for every fifth.
QString warehouseOf(int i)
{
    static const QStringList names = {QString(), QStringLiteral("导入北仓"),
                                      QStringLiteral("导入南仓")};
    return names[i % 3];
}

double quantityOf(int i)
{
    return i % 5 ? i : 0;
}

// rows goods; every second one in the new category, the first with an empty size and price.
TBuilt buildGoods(int rows, const QString &category)
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
                        first ? QString() : QStringLiteral("2.5"), warehouseOf(i),
                        quantityOf(i) ? QString::number(quantityOf(i)) : QString()},
                       &error);
    }
    return {builder.Statements(), builder.StockedGoods()};
}

QStringList builtGoods(int rows, const QString &category)
{
    return buildGoods(rows, category).Statements;
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

    // After the goods above: their quantities are the stock the stock report counts.
    void openingStockIsTheImportedQuantities()
    {
        const TBuilt built = buildGoods(300, QStringLiteral("期初类别"));
        const QDate date = Data().GetServerDate();
        QString counter;
        const QStringList following = GoodsImportFollowing(built.Stocked, date, &counter);
        const TAtomicResult result =
            SendImport(QStringLiteral("hp"), built.Statements, following, counter);
        QVERIFY2(result.Ok, qPrintable(result.Text() + counter));

        QMap<QString, double> expected;
        for (int i = 1; i <= 300; ++i)
            if (quantityOf(i) > 0)
                expected[warehouseOf(i).isEmpty() ? QStringLiteral("1") : warehouseOf(i)] +=
                    quantityOf(i);
        QMap<QString, double> booked;
        TTmpDataSet tmp;
        tmp->SetPacketRecords(-1);
        tmp->SetCommandText(QStringLiteral("select C.MC, S.CKID, sum(S.SL) as SL from (") +
                            GetFCKCSQL(QString()) +
                            QStringLiteral(") S left join ck C on S.CKID = C.ID group by C.MC, "
                                           "S.CKID"));
        tmp->Open();
        for (tmp->First(); !tmp->Eof(); tmp->Next()) {
            const QString ck = tmp->FieldByName(QStringLiteral("CKID"))->AsString();
            const QString name = tmp->FieldByName(QStringLiteral("MC"))->AsString();
            booked[name.startsWith(QStringLiteral("导入")) ? name : ck] +=
                tmp->FieldByName(QStringLiteral("SL"))->AsFloat();
        }
        // The demo's own stock stays in the ledger; only the imported warehouses are compared.
        QCOMPARE(booked.value(QStringLiteral("导入北仓")),
                 expected.value(QStringLiteral("导入北仓")));
        QCOMPARE(booked.value(QStringLiteral("导入南仓")),
                 expected.value(QStringLiteral("导入南仓")));
        QCOMPARE(count(QStringLiteral("select count(*) from KCPDZB where BZ = '期初导入' and "
                                      "uFlag = 1 and BillType = 'KCPD'")),
                 3);
        QCOMPARE(count(QStringLiteral("select count(*) from KCPD K inner join KCPDZB Z on "
                                      "K.ZBID = Z.ID where Z.BZ = '期初导入'")),
                 int(built.Stocked.size()));
        QCOMPARE(count(QStringLiteral("select count(*) from hp where ZT <> 0 or IsMaterial = 0")),
                 0);
    }
};

QTEST_MAIN(TestImportRun)
#include "tst_importrun.moc"
