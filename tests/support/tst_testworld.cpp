// The test world itself: what start() brings up, that a server dies with the process that
// started it, that a modal window that never comes fails the test under either framework,
// and that the per-test clean-up puts back what a failed test changed.
#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/core/sysconfig.h"
#include "client/data/centraldata.h"
#include "client/data/reportdata.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/forms/globalobj.h"
#include "support/testworld.h"
#include "wire/client.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>

#include <csignal>
#include <map>

namespace {

QString probePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("worldprobe"));
}

// Whether a server still answers on the port.
bool accepts(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    return socket.waitForConnected(500);
}

// Whether the process has ended (a zombie that nobody has reaped yet has ended too).
bool ended(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype state = text.lastIndexOf(')') + 2;
    return state < text.size() && (text[state] == 'Z' || text[state] == 'X');
}

// What a test run by the probe came to, read from its output.
struct Verdict
{
    bool passed = false;
    int failures = 0; // failure reports
    QString text;     // the test's part of the output
};

// Splits the probe's output into its tests, Qt Test's and GoogleTest's formats alike.
std::map<QString, Verdict> verdicts(const QString &framework, const QString &output)
{
    std::map<QString, Verdict> result;
    const QStringList lines = output.split(QLatin1Char('\n'));
    QString current;
    for (const QString &line : lines) {
        if (framework == QLatin1String("gtest")) {
            if (line.startsWith(QLatin1String("[ RUN      ] ")))
                current = line.mid(13).trimmed();
            else if (line.startsWith(QLatin1String("[       OK ] ")))
                result[current].passed = true;
            else if (!current.isEmpty() && line.contains(QLatin1String(": Failure")))
                ++result[current].failures;
            if (!current.isEmpty())
                result[current].text += line + QLatin1Char('\n');
            continue;
        }
        // "PASS   : Class::test()" and "FAIL!  : Class::test() message"; the location follows.
        if (line.startsWith(QLatin1String("PASS   : ")) ||
            line.startsWith(QLatin1String("FAIL!  : "))) {
            current = line.mid(9)
                          .section(QLatin1Char('('), 0, 0)
                          .replace(QLatin1String("::"), QLatin1String("."));
            if (line.startsWith(QLatin1String("PASS")))
                result[current].passed = true;
            else
                ++result[current].failures;
        }
        if (!current.isEmpty())
            result[current].text += line + QLatin1Char('\n');
    }
    return result;
}

} // namespace

class TestWorldTest : public QObject
{
    Q_OBJECT

    std::map<QString, std::map<QString, Verdict>> runs; // by framework

    const std::map<QString, Verdict> &probeRun(const QString &framework)
    {
        auto run = runs.find(framework);
        if (run != runs.end())
            return run->second;
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(probePath(), {framework});
        probe.waitForFinished(120000);
        const QString output = QString::fromUtf8(probe.readAll());
        return runs[framework] = verdicts(framework, output);
    }

private slots:
    void startBringsUpTheWorldTheOptionsAskFor_data()
    {
        QTest::addColumn<bool>("demo");
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("connect");
        QTest::newRow("demo rows, administrator") << true << "SYS" << true;
        QTest::newRow("new account sets, nobody logged in") << false << "" << true;
        QTest::newRow("data modules left to the test") << false << "" << false;
    }

    void startBringsUpTheWorldTheOptionsAskFor()
    {
        QFETCH(bool, demo);
        QFETCH(QString, user);
        QFETCH(bool, connect);
        vztest::WorldOptions options;
        options.demo = demo;
        options.moreAccountSets = {QStringLiteral("002")};
        options.connect = connect;
        options.user = user;
        vztest::TestWorld world(options);
        QVERIFY2(world.start(), qPrintable(world.error()));
        QCOMPARE(ExeDir(), QDir(world.clientFolder()).absolutePath() + QLatin1Char('/'));
        QCOMPARE(ConfiguredHostName(), world.address());
        QVERIFY(QDir(world.clientFolder()).exists(QStringLiteral("System")));
        QCOMPARE(SessionInfo().AccountNo, QStringLiteral("001"));
        QCOMPARE(SessionInfo().DatabaseKind, 0);
        QString second = QStringLiteral("002");
        QVERIFY(!world.otherClient(second)->connectAct(0, second));

        if (!connect) {
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, Data());
            QVERIFY(world.connect(vztest::Reach::Server));
            QVERIFY(Data().cn().Connected());
            return;
        }
        QVERIFY(Data().cn().Connected());
        QCOMPARE(Data().cn().Address(), world.address());
        QCOMPARE(DataBb().DataSet(QStringLiteral("KhXsHz")).RemoteServer(), &Data().CnBb());
        if (user.isEmpty()) {
            // Connected, but nobody logged in: the books stay closed.
            QVERIFY_THROWS_EXCEPTION(ERemoteError, HasRows(QStringLiteral("select * from XSKDZB")));
        } else {
            QCOMPARE(HasRows(QStringLiteral("select * from XSKDZB")), demo);
        }
        QCOMPARE(FuncRight().UserCode, user);
        QCOMPARE(CurUserCode, user);
        if (!user.isEmpty()) {
            QCOMPARE(CurGroupID, QStringLiteral("(1)"));
            QVERIFY(!FuncRight().CompanyName.isEmpty());
        }
        world.stop();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, Data());
    }

    void aServerDiesWithTheProcessThatStartedIt()
    {
        QProcess holder;
        holder.start(probePath(), {QStringLiteral("hold-server")});
        QVERIFY(holder.waitForReadyRead(30000));
        const QStringList started = QString::fromUtf8(holder.readLine()).split(QLatin1Char(' '));
        QCOMPARE(started.size(), 2);
        const qint64 pid = started[0].toLongLong();
        const quint16 port = quint16(started[1].trimmed().toUInt());
        QVERIFY(pid > 0 && port > 0);
        QVERIFY(accepts(port));

        holder.kill(); // SIGKILL: no destructor runs, nothing stops the server on purpose
        QVERIFY(holder.waitForFinished());
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired() && !(ended(pid) && !accepts(port)))
            QTest::qWait(50);
        const bool gone = ended(pid) && !accepts(port);
        if (!gone)
            ::kill(pid_t(pid), SIGKILL);
        QVERIFY2(gone, "the server outlived the process that started it");
    }

    void aModalThatNeverComesFailsTheTest_data()
    {
        QTest::addColumn<QString>("framework");
        QTest::addColumn<QString>("test");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<QString>("message");
        struct Probe
        {
            const char *framework;
            const char *test;
            bool passes;
            const char *message;
        };
        const Probe probes[] = {
            {"qtest", "aModalThatComes", true, ""},
            {"qtest", "aModalThatNeverComes", false,
             "the modal window QDialog awaited here never appeared"},
            {"qtest", "aTestThatFailedAlready", false, "deliberate"},
            {"gtest", "AModalThatComes", true, ""},
            {"gtest", "AModalThatNeverComes", false,
             "the modal window QDialog awaited here never appeared"},
            {"gtest", "ATestThatFailedAlready", false, "deliberate"},
        };
        for (const Probe &probe : probes) {
            const QString test = QStringLiteral("ModalProbe.") + QLatin1String(probe.test);
            QTest::newRow(qPrintable(QLatin1String(probe.framework) + QLatin1Char(' ') + test))
                << QString::fromLatin1(probe.framework) << test << probe.passes
                << QString::fromLatin1(probe.message);
        }
    }

    void aModalThatNeverComesFailsTheTest()
    {
        QFETCH(QString, framework);
        QFETCH(QString, test);
        QFETCH(bool, passes);
        QFETCH(QString, message);
        const auto &run = probeRun(framework);
        const auto verdict = run.find(test);
        QVERIFY2(verdict != run.end(), qPrintable(test));
        QCOMPARE(verdict->second.passed, passes);
        QCOMPARE(verdict->second.failures, passes ? 0 : 1);
        QVERIFY2(verdict->second.text.contains(message), qPrintable(verdict->second.text));
        // The failure points at the test's own line, not at the support code.
        if (!passes)
            QVERIFY2(verdict->second.text.contains(QLatin1String("worldprobe.cpp")),
                     qPrintable(verdict->second.text));
    }

    void theCleanUpPutsBackWhatAFailedTestChanged_data()
    {
        QTest::addColumn<QString>("test");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<QString>("message");
        QTest::newRow("a check fails after writing")
            << "CleanupProbe.aTestThatFailsAfterWriting" << false << "Actual   (count";
        QTest::newRow("the next test finds the rows, tables and configuration as before")
            << "CleanupProbe.theNextTestFindsTheWorldAsBefore" << true << QString();
        QTest::newRow("a clean-up statement that fails fails its test")
            << "CleanupProbe.aStepThatFailsFailsTheTest" << false
            << "the clean-up after the test failed: delete from NOPE";
    }

    void theCleanUpPutsBackWhatAFailedTestChanged()
    {
        QFETCH(QString, test);
        QFETCH(bool, passes);
        QFETCH(QString, message);
        const auto &run = probeRun(QStringLiteral("qtest"));
        const auto verdict = run.find(test);
        QVERIFY2(verdict != run.end(), qPrintable(test));
        QCOMPARE(verdict->second.passed, passes);
        QVERIFY2(verdict->second.text.contains(message), qPrintable(verdict->second.text));
    }

    void aModalAnswerRunsInsideTheLoopAndClosesWhatItLeftOpen()
    {
        int seen = 0;
        auto answered = vztest::whenModal<QDialog>([&seen](QDialog &dialog) {
            ++seen;
            QVERIFY(dialog.isModal());
        });
        QDialog dialog;
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(answered);
        QCOMPARE(seen, 1);
    }
};

QTEST_MAIN(TestWorldTest)
#include "tst_testworld.moc"
