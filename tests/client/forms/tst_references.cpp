// The deletion reference check against the real tables: every probe part of every kind finds
// a row that refers to the key, and a key nothing refers to is free.
#include "client/forms/checkreferenced.h"
#include "client/widgets/messagebox.h"
#include "formstests.h"

using namespace formstest;

namespace {

const QString DefaultMessage = QStringLiteral("该数据已被引用,不能删除！");

} // namespace

class TestReferences : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { env().cleanup(); }

    void everyProbePartFindsItsReference_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("insert");
        QTest::addColumn<QString>("remove");
        QTest::addColumn<QString>("message");

        auto line = [](const char *table, const char *column) {
            return QStringLiteral("insert into %1 (ZBID, HH, %2) values (880001, 1, 880100)")
                .arg(QLatin1String(table), QLatin1String(column));
        };
        auto header = [](const char *table, const char *column) {
            return QStringLiteral("insert into %1 (ID, DJBH, RQ, %2) values (880001, 'REF880001', "
                                  "'2024-01-01', 880100)")
                .arg(QLatin1String(table), QLatin1String(column));
        };
        auto removeId = [](const char *table) {
            return QStringLiteral("delete from %1 where ID = 880001").arg(QLatin1String(table));
        };
        auto removeLine = [](const char *table) {
            return QStringLiteral("delete from %1 where ZBID = 880001").arg(QLatin1String(table));
        };
        const QString key = QStringLiteral("880100");
        for (const char *table :
             {"CGSQ",    "CGDD",      "CGSH",   "CGTH",    "XSDD",    "XSKD",
              "XSTH",    "LL",        "TL",     "CKDB",    "KCPD",    "QTKCBD",
              "CPJC",    "CHTJ",      "Lskd",   "Ckzz",    "SC_CGJH", "SC_ProduceOrder",
              "SC_SCJH", "SC_WLXQJH", "SC_BOM", "SC_Wtjg", "CY_KD"})
            QTest::addRow("HP by %s", table)
                << "HP" << key << line(table, "HPID") << removeLine(table) << DefaultMessage;
        QTest::addRow("HP by the ledger")
            << "HP" << key
            << QStringLiteral("insert into Inv_ItemList (RQ, BillType, DJBH, HPID, SL) values "
                              "('2024-01-01', 'REF', 'REF880001', 880100, 1)")
            << QStringLiteral("delete from Inv_ItemList where DJBH = 'REF880001'")
            << DefaultMessage;
        for (const char *table : {"XSKDZB", "XSTHZB"})
            QTest::addRow("Cust by %s", table)
                << "Cust" << key << header(table, "KHID") << removeId(table) << DefaultMessage;
        for (const char *table : {"CGSHZB", "CGTHZB"})
            QTest::addRow("PUR by %s", table)
                << "PUR" << key << header(table, "GYSID") << removeId(table) << DefaultMessage;
        for (const char *table : {"KH", "GYS"})
            QTest::addRow("DQ by %s", table)
                << "DQ" << key
                << QStringLiteral("insert into %1 (ID, BH, MC, DQID) values (880001, 'REF', "
                                  "'引用', 880100)")
                       .arg(QLatin1String(table))
                << removeId(table) << DefaultMessage;
        QTest::addRow("ITEMTYPE by HP")
            << "ITEMTYPE" << key
            << QStringLiteral("insert into HP (ID, BH, PM, HPLBID) values (880001, 'REF', '引用', "
                              "880100)")
            << removeId("HP") << DefaultMessage;
        const QString deptMessage =
            QStringLiteral("部门可能被【仓库，员工，用户组】引用,不能删除！");
        QTest::addRow("DEPT by CK")
            << "DEPT" << key
            << QStringLiteral("insert into CK (ID, MC, BMID) values (880001, '引用库', 880100)")
            << removeId("CK") << deptMessage;
        QTest::addRow("DEPT by YG")
            << "DEPT" << key
            << QStringLiteral("insert into YG (ID, BH, XM, BMID) values (880001, 'REF', '引用', "
                              "880100)")
            << removeId("YG") << deptMessage;
        QTest::addRow("DEPT by AppUserGroup")
            << "DEPT" << key
            << QStringLiteral(
                   "insert into AppUserGroup (ID, gName, gMemo) values (880001, '引用组', "
                   "'880100')")
            << removeId("AppUserGroup") << deptMessage;
        QTest::addRow("YHZ by AppUser")
            << "YHZ" << QStringLiteral("O'Neil组")
            << QStringLiteral(
                   "insert into AppUser (ID, uCode, uName, gName) values (880001, 'REF', "
                   "'引用', 'O''Neil组')")
            << removeId("AppUser") << QStringLiteral("用户组被【用户管理】引用,不能删除！");
        QTest::addRow("QTKCBDLX by QTKCBDZB")
            << "qtkcbdlx" << key << header("QTKCBDZB", "QTKCBDLXID") << removeId("QTKCBDZB")
            << QStringLiteral("其它库存变动类型资料被【其它库存变动】引用,不能删除！");
    }

    void everyProbePartFindsItsReference()
    {
        QFETCH(QString, kind);
        QFETCH(QString, key);
        QFETCH(QString, insert);
        QFETCH(QString, remove);
        QFETCH(QString, message);

        TMessageBoxScript boxes;
        QVERIFY(!CheckReferenced(kind, key));
        QCOMPARE(boxes.Count(), 0);

        env().afterTest(remove);
        QVERIFY2(ExecSQL(insert), qPrintable(insert));
        const bool referenced = CheckReferenced(kind, key);
        ExecSQL(remove);
        QVERIFY(referenced);
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, message);
        QCOMPARE(boxes.Last().Caption, QStringLiteral("资料删除失败"));
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Warning);
        QVERIFY(!CheckReferenced(kind, key));
    }

    void theDemoDataIsInUse()
    {
        TMessageBoxScript boxes;
        const QString goods = QueryValue(QStringLiteral("select top 1 HPID from CGSH")).toString();
        QVERIFY(CheckReferenced(QStringLiteral("HP"), goods));
        QVERIFY(CheckReferenced(QStringLiteral("YHZ"), QStringLiteral("采购组")));
        QVERIFY(CheckReferenced(QStringLiteral("DEPT"), QStringLiteral("7")));
        QCOMPARE(boxes.Count(), 3);
    }

    void anEmptyKeyAsksForARowAndAborts()
    {
        TMessageBoxScript boxes;
        bool aborted = false;
        try {
            CheckReferenced(QStringLiteral("HP"), QString());
        } catch (const EAbort &) {
            aborted = true;
        }
        QVERIFY(aborted);
        QCOMPARE(boxes.Last().Text, QStringLiteral("请选择网格内一条记录！"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("资料删除"));
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Error);
    }
};

int runReferenceTests(int argc, char **argv)
{
    TestReferences test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_references.moc"
