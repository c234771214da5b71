// Twenty clerks, each a program of their own, saving fifty purchase receipts at once against
// one server: every number is handed out once, and each month's numbers follow each other
// without a gap.
#include "support/serverprocess.h"

#include <QCoreApplication>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <memory>
#include <vector>

class TestDocClerks : public QObject
{
    Q_OBJECT

    vztest::ServerProcess server;

private Q_SLOTS:
    void initTestCase()
    {
        QString output;
        QCOMPARE(server.runTool({QStringLiteral("--create-account"), QStringLiteral("001"),
                                 QStringLiteral("--demo")},
                                &output),
                 0);
        QVERIFY2(server.start(), qPrintable(server.error()));
    }

    void twentyClerksDrawEveryNumberOnceAndInSequence()
    {
        constexpr int clerks = 20;
        constexpr int documents = 50;
        std::vector<std::unique_ptr<QProcess>> running;
        for (int clerk = 0; clerk < clerks; ++clerk) {
            auto process = std::make_unique<QProcess>();
            process->setProgram(vztest::programPath(QStringLiteral("docclerk")));
            process->setArguments({server.address(), QString::number(documents),
                                   QStringLiteral("2"), QStringLiteral("--late-numbers")});
            process->start();
            running.push_back(std::move(process));
        }
        QStringList numbers;
        int retries = 0;
        for (auto &process : running) {
            QVERIFY(process->waitForFinished(300000));
            const QString output = QString::fromLocal8Bit(process->readAllStandardOutput());
            QVERIFY2(process->exitCode() == 0,
                     qPrintable(QString::fromLocal8Bit(process->readAllStandardError())));
            for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                if (line.startsWith(QLatin1String("retries ")))
                    retries += line.mid(8).toInt();
                else
                    numbers << line.trimmed();
            }
        }
        QCOMPARE(numbers.size(), clerks * documents);
        QCOMPARE(QSet<QString>(numbers.begin(), numbers.end()).size(), numbers.size());
        // Per month key (prefix, year, month) the sequences make one unbroken run.
        QHash<QString, QList<int>> byMonth;
        for (const QString &number : numbers)
            byMonth[number.left(8)] << number.mid(8).toInt();
        for (auto it = byMonth.begin(); it != byMonth.end(); ++it) {
            QList<int> &sequence = it.value();
            std::sort(sequence.begin(), sequence.end());
            QCOMPARE(sequence.last() - sequence.first() + 1, int(sequence.size()));
        }
        qInfo("%d numbers drawn again after another clerk took them", retries);
    }
};

QTEST_GUILESS_MAIN(TestDocClerks)
#include "tst_docclerks.moc"
