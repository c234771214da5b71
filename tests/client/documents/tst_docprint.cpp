// Printing documents on a real server: a document whose caption has a template in "Reports"
// previews it with its number, lines, totals in figures and capitals and the company's
// contact; without one, the line grid is printed.
#include "client/core/paths.h"
#include "client/data/fields.h"
#include "client/documents/purin.h"
#include "client/documents/xskd.h"
#include "client/forms/globalobj.h"
#include "client/print/capitalmoney.h"
#include "client/print/reportdata.h"
#include "client/print/reportdesigner.h"
#include "client/print/reportpreview.h"
#include "client/security/systemfunctionright.h"
#include "docsupport.h"
#include "support/whenmodal.h"
#include "tradesupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace tradesupport;

namespace {

// Copies the shipped template of the caption into the client's Reports folder.
bool installTemplate(const QString &caption)
{
    const QString name = caption + QStringLiteral(".rtm");
    QDir(ExeDir()).mkpath(QStringLiteral("Reports"));
    QFile::remove(ExeDirFile(QStringLiteral("Reports/") + name));
    return QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/Reports/") + name,
                       ExeDirFile(QStringLiteral("Reports/") + name));
}

QString pdfText(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestDocPrint : public docsupport::TDocumentTest<TfrmComDj>
{
    Q_OBJECT

public:
    TestDocPrint()
        : TDocumentTest(QStringList{QStringLiteral("XSKDZB"), QStringLiteral("XSKD"),
                                    QStringLiteral("CGSHZB"), QStringLiteral("CGSH")})
    {}

private:
    // Opens a new document of the class with three lines, saved; 2 × 10 + 3 × 12.5 + 1 × 7.
    void saveThreeLines(const char *className)
    {
        form = openNew(QLatin1String(className));
        QVERIFY(form);
        fillHeader(form);
        enterLines(form, {{1, 2, 10}, {2, 3, 12.5}, {3, 1, 7}});
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
    }

    // Prints the form and answers the preview by saving its PDF; the PDF's text.
    QString printToPdf(int *pages = nullptr)
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
        bool saved = false;
        auto shown = vztest::whenModal<TfrmReportDesigner>([&](TfrmReportDesigner &designer) {
            TfrmReportPreview &preview = designer.Preview();
            if (pages)
                *pages = preview.PageCount();
            saved = preview.SaveAsPdf(pdf);
            designer.accept();
        });
        form->aPrint->trigger();
        if (!shown || !saved)
            return QString();
        return pdfText(pdf);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(startWorld(), qPrintable(world.error()));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    void cleanupTestCase() { world.stop(); }

    void init() { beginCase(); }

    void cleanup()
    {
        QDir(ExeDirFile(QStringLiteral("Reports"))).removeRecursively();
        const QStringList texts = endCase();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    void theTemplateFileIsNamedAfterTheCaption()
    {
        form = openNew(QStringLiteral("TfrmSalOunt"));
        QVERIFY(form);
        QCOMPARE(form->ReportTemplateFile(), ExeDir() + QStringLiteral("Reports/销售出库单.rtm"));
        form->setWindowTitle(QStringLiteral("销售出库单2"));
        QCOMPARE(form->ReportTemplateFile(), ExeDir() + QStringLiteral("Reports/销售出库单2.rtm"));
    }

    void theDeliveryPrintsThroughItsTemplate()
    {
        QVERIFY(keepDocuments());
        QVERIFY(installTemplate(QStringLiteral("销售出库单")));
        FuncRight().CompanyName = QStringLiteral("好邻居商贸");
        FuncRight().Tel = QStringLiteral("010-12345678");
        FuncRight().Address = QStringLiteral("北京路1号");
        saveThreeLines("TfrmSalOunt");
        const std::unique_ptr<print::TReportValues> data = form->ReportData();
        QCOMPARE(data->LineCount(), 3);

        int pages = 0;
        const QString text = printToPdf(&pages);
        QCOMPARE(pages, 1);
        QVERIFY2(text.contains(billNo(form)), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("好邻居商贸")));
        QVERIFY(text.contains(QStringLiteral("电话：010-12345678")));
        QVERIFY(text.contains(QStringLiteral("地址：北京路1号")));
        const QString customer =
            QueryValue(QStringLiteral("select MC from KH where ID = 1")).toString();
        QVERIFY(text.contains(customer));
        QVERIFY(text.contains(goodsCode(2)));
        QVERIFY(text.contains(QStringLiteral("64.50")));
        QCOMPARE(CapitalMoney(64.5), QStringLiteral("陆拾肆元伍角整"));
        QVERIFY(text.contains(QStringLiteral("陆拾肆元伍角整")));
        QVERIFY(text.contains(QStringLiteral("第1页，共1页")));
        const QString date = header()
                                 .FieldByName(QStringLiteral("RQ"))
                                 ->AsDateTime()
                                 .toString(QStringLiteral("yyyy-MM-dd"));
        QVERIFY2(text.contains(QStringLiteral("日期：") + date), qPrintable(date));
        QCOMPARE(form->ReportTexts().size(), 2);
    }

    void theReceiptLeavesOutTheTextsNobodySets()
    {
        QVERIFY(keepDocuments());
        QVERIFY(installTemplate(QStringLiteral("采购入库单")));
        FuncRight().Tel = QStringLiteral("010-12345678");
        saveThreeLines("TfrmPurIn");
        const QString text = printToPdf();
        QVERIFY2(text.contains(billNo(form)), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("采购入库单")));
        QVERIFY(text.contains(
            QueryValue(QStringLiteral("select MC from GYS where ID = 1")).toString()));
        QVERIFY(!text.contains(QStringLiteral("电话：")));
        QVERIFY(text.contains(QStringLiteral("陆拾肆元伍角整")));
    }

    void withoutATemplateTheGridIsPrinted()
    {
        QVERIFY(keepDocuments());
        saveThreeLines("TfrmSalOunt");
        auto shown = vztest::whenModal<QPrintPreviewDialog>(
            [](QPrintPreviewDialog &preview) { preview.reject(); });
        form->aPrint->trigger();
        QVERIFY(shown);
    }

    void aBrokenTemplateIsReportedAndNothingPrints()
    {
        QVERIFY(keepDocuments());
        QDir(ExeDir()).mkpath(QStringLiteral("Reports"));
        QFile broken(ExeDirFile(QStringLiteral("Reports/销售出库单.rtm")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("{ not a template");
        broken.close();
        saveThreeLines("TfrmSalOunt");
        TMessageBoxScript answers{mrOk};
        form->aPrint->trigger();
        QCOMPARE(answers.Requests().size(), 1);
        QVERIFY(answers.Requests().first().Text.contains(QStringLiteral("JSON")));
    }
};

QTEST_MAIN(TestDocPrint)
#include "tst_docprint.moc"
