// vzclient --print-demo: the sample delivery note written as a PDF without a server, through
// the template beside the program or the one named, read back with pdftotext.
#include "client/print/capitalmoney.h"
#include "client/print/demonote.h"
#include "support/pdftext.h"
#include "support/serverprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result
{
    int exitCode = -1;
    QString err;
};

Result runClient(const QString &home, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VZCLIENT_HOME"), home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(vztest::programPath(QStringLiteral("vzclient")), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {-1, QStringLiteral("vzclient did not finish")};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(VzclientPrint, DemoNoteGoesToPdfThroughTheShippedTemplate)
{
    ASSERT_TRUE(vztest::havePdfText()) << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Reports")));
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() +
                                QStringLiteral("/Reports/销售出库单.rtm"),
                            home.filePath(QStringLiteral("Reports/销售出库单.rtm"))));
    const QString pdf = home.filePath(QStringLiteral("note.pdf"));
    const Result result = runClient(home.path(), {QStringLiteral("--print-demo"), pdf});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();

    const print::TReportValues note = print::DemoDeliveryNote(18);
    double total = 0;
    for (int line = 0; line < note.LineCount(); ++line)
        total += note.LineValue(line, QStringLiteral("cJE")).toDouble();
    const QString text = vztest::pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("XK20261207-0001"))) << text.toStdString();
    EXPECT_TRUE(text.contains(CapitalMoney(total))) << CapitalMoney(total).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("电话：020-87654321")));
}

TEST(VzclientPrint, MissingOrBrokenTemplateEndsWithAMessage)
{
    QTemporaryDir home;
    const QString pdf = home.filePath(QStringLiteral("note.pdf"));
    Result result = runClient(home.path(), {QStringLiteral("--print-demo"), pdf});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("销售出库单.rtm"))) << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    QFile broken(home.filePath(QStringLiteral("broken.rtm")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{\"format\":\"vzreport\",\"version\":1,\"bands\":[{\"band\":\"x\"}]}");
    broken.close();
    result = runClient(home.path(), {QStringLiteral("--print-demo"), pdf,
                                     QStringLiteral("--template"), broken.fileName()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("“x”"))) << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}
