// A program for the tests of the test world, which need a process to kill or a test run that
// fails on purpose:
//   worldprobe hold-server   starts a vzserver, prints "<pid> <port>" and waits to be killed
//   worldprobe qtest [...]   runs the Qt Test classes below (some of them fail on purpose)
//   worldprobe gtest [...]   runs the GoogleTest cases below (some of them fail on purpose)
#include "client/core/sysconfig.h"
#include "client/data/serveraccess.h"
#include "support/serverprocess.h"
#include "support/testworld.h"

#include <QApplication>
#include <QDialog>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

int holdServer()
{
    vztest::ServerProcess server;
    if (!server.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    std::printf("%lld %d\n", static_cast<long long>(server.processId()), int(server.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

} // namespace

// whenModal under Qt Test: a window that comes, one that never does, and a test that has failed
// before the window was due.
class ModalProbe : public QObject
{
    Q_OBJECT

private slots:
    void aModalThatComes()
    {
        auto answered = vztest::whenModal<QDialog>([](QDialog &dialog) { dialog.accept(); });
        QDialog dialog;
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(answered);
    }

    void aModalThatNeverComes()
    {
        auto answered = vztest::whenModal<QDialog>([](QDialog &) {}, 100);
        QTest::qWait(150);
    }

    void aTestThatFailedAlready()
    {
        auto answered = vztest::whenModal<QDialog>([](QDialog &) {}, 100);
        QFAIL("deliberate");
    }
};

// The per-test clean-up under Qt Test: a test that fails after writing leaves nothing behind.
class CleanupProbe : public QObject
{
    Q_OBJECT

    vztest::TestWorld world{emptyAccountSet()};
    int customers = 0;

    static vztest::WorldOptions emptyAccountSet()
    {
        vztest::WorldOptions options;
        options.demo = false;
        return options;
    }
    static int count(const QString &sql) { return QueryValue(sql).toInt(); }

private slots:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        QVERIFY(ExecSQL(QStringLiteral("insert into KH (ID, BH, MC) values (71, 'K71', 'a')")));
        customers = count(QStringLiteral("select count(*) from KH"));
    }
    void cleanupTestCase() { world.stop(); }
    void cleanup() { world.cleanup(); }

    void aTestThatFailsAfterWriting()
    {
        QVERIFY(world.keepTables({QStringLiteral("KH")}));
        world.afterTest(QStringLiteral("delete from ZH where ID = 77"));
        QVERIFY(ExecSQL(QStringLiteral("delete from KH")));
        QVERIFY(ExecSQL(QStringLiteral("insert into KH (ID, BH, MC) values (77, 'K77', 'b')")));
        QVERIFY(ExecSQL(QStringLiteral("insert into ZH (ID, MC) values (77, 'c')")));
        SaveServerAddress(QStringLiteral("127.0.0.1:1"));
        QCOMPARE(count(QStringLiteral("select count(*) from KH")), -1);
    }

    void theNextTestFindsTheWorldAsBefore()
    {
        QCOMPARE(count(QStringLiteral("select count(*) from KH")), customers);
        QCOMPARE(QueryValue(QStringLiteral("select MC from KH where ID = 71")).toString(),
                 QStringLiteral("a"));
        QCOMPARE(count(QStringLiteral("select count(*) from ZH where ID = 77")), 0);
        QCOMPARE(ConfiguredHostName(), world.address());
    }

    void aStepThatFailsFailsTheTest() { world.afterTest(QStringLiteral("delete from NOPE")); }
};

// whenModal under GoogleTest, as ModalProbe.
TEST(ModalProbe, AModalThatComes)
{
    auto answered = vztest::whenModal<QDialog>([](QDialog &dialog) { dialog.accept(); });
    QDialog dialog;
    EXPECT_EQ(dialog.exec(), int(QDialog::Accepted));
    EXPECT_TRUE(answered);
}

TEST(ModalProbe, AModalThatNeverComes)
{
    auto answered = vztest::whenModal<QDialog>([](QDialog &) {}, 100);
    QTest::qWait(150);
}

TEST(ModalProbe, ATestThatFailedAlready)
{
    auto answered = vztest::whenModal<QDialog>([](QDialog &) {}, 100);
    ADD_FAILURE() << "deliberate";
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("hold-server"))
        return holdServer();
    // The framework's own arguments follow the mode.
    argv[1] = argv[0];
    --argc;
    ++argv;
    if (mode == QLatin1String("gtest")) {
        ::testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    }
    if (mode == QLatin1String("qtest")) {
        int failed = 0;
        ModalProbe modal;
        failed += QTest::qExec(&modal, argc, argv);
        CleanupProbe cleanup;
        failed += QTest::qExec(&cleanup, argc, argv);
        return failed == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "usage: worldprobe hold-server | qtest | gtest\n");
    return 2;
}

#include "worldprobe.moc"
