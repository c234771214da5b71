// Printing documents on a real server: a document whose caption has a template in "Reports"
// previews it with its number, lines, totals in figures and capitals and the company's
// contact; without one, the line grid is printed.
#include "client/common/sqltext.h"
#include "client/core/paths.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/purin.h"
#include "client/documents/xskd.h"
#include "client/forms/filedialogs.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/printmodaledit.h"
#include "client/output/containeriterator.h"
#include "client/output/xlsxreader.h"
#include "client/print/capitalmoney.h"
#include "client/print/reportdata.h"
#include "client/print/reportdesigner.h"
#include "client/print/reportpreview.h"
#include "client/print/reporttemplate.h"
#include "client/security/systemfunctionright.h"
#include "docsupport.h"
#include "support/pdftext.h"
#include "support/whenmodal.h"
#include "tradesupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace tradesupport;

namespace {} // namespace

class TestDocPrint : public docsupport::TDocumentTest<TfrmComDj>
{
    Q_OBJECT

public:
    TestDocPrint()
        : TDocumentTest(QStringList{QStringLiteral("XSKDZB"), QStringLiteral("XSKD"),
                                    QStringLiteral("CGSHZB"), QStringLiteral("CGSH"),
                                    QStringLiteral("FYKZZB"), QStringLiteral("FYKZ")})
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
        return vztest::pdfText(pdf);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(startWorld(), qPrintable(world.error()));
        QVERIFY2(vztest::havePdfText(), "pdftotext (poppler-utils) is not installed");
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
        QVERIFY(docsupport::installShippedTemplate(QStringLiteral("销售出库单")));
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
        QVERIFY(docsupport::installShippedTemplate(QStringLiteral("采购入库单")));
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

    void everyDocumentTypeShipsATemplateOfItsOwnFields_data()
    {
        QTest::addColumn<QString>("className");
        for (const char *name :
             {"TfrmCgsq", "TfrmCgdd", "TfrmPurIn", "TfrmPurOut", "TfrmXsdd", "TfrmSalOunt",
              "TfrmSalIn", "TfrmStockLl", "TfrmStockTl", "TfrmStockdb", "TFrmpd", "TfrmQtkcbd",
              "TfrmProductIn", "TfrmFykz", "TfrmQtsr", "TfrmXssk", "TfrmCgfk"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    // A field the template names and the document lacks would print as nothing, silently.
    void everyDocumentTypeShipsATemplateOfItsOwnFields()
    {
        QFETCH(QString, className);
        form = openNew(className);
        QVERIFY(form);
        const QString file = QCoreApplication::applicationDirPath() + QStringLiteral("/Reports/") +
                             form->windowTitle() + QStringLiteral(".rtm");
        print::TReportTemplate report;
        QString error;
        QVERIFY2(print::LoadReportTemplate(file, report, &error), qPrintable(file + error));
        static const QRegularExpression placeholder(QStringLiteral("\\[([^\\[\\]]+)\\]"));
        static const QRegularExpression call(QStringLiteral("^(?:Sum|Capital)\\((.*)\\)$"));
        static const QStringList builtIn{QStringLiteral("Page"), QStringLiteral("Pages"),
                                         QStringLiteral("RowNo"), QStringLiteral("CompanyName")};
        QStringList unknown;
        bool titled = false;
        for (const print::TReportBand &band : report.Bands)
            for (const print::TReportItem &item : band.Items) {
                titled = titled || item.Text == form->windowTitle();
                QRegularExpressionMatchIterator it = placeholder.globalMatch(item.Text);
                while (it.hasNext()) {
                    QString name = it.next().captured(1);
                    for (QRegularExpressionMatch m = call.match(name); m.hasMatch();
                         m = call.match(name))
                        name = m.captured(1);
                    if (builtIn.contains(name))
                        continue;
                    const bool found = name.startsWith(QLatin1String("Line."))
                                           ? lines().FindField(name.mid(5)) != nullptr
                                           : header().FindField(name) != nullptr;
                    if (!found)
                        unknown << name;
                }
            }
        QVERIFY(titled);
        QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join(QLatin1Char(' '))));
    }

    // Expense lines have a category and no goods; they print, and so does their total.
    void anExpensePrintsItsCategoryLines()
    {
        QVERIFY(keepDocuments());
        QVERIFY(docsupport::installShippedTemplate(QStringLiteral("费用开支")));
        form = openNew(QStringLiteral("TfrmFykz"));
        QVERIFY(form);
        header().FieldByName(QStringLiteral("SFKFSID"))->SetAsInteger(1);
        header().FieldByName(QStringLiteral("ZHID"))->SetAsInteger(1);
        lines().First();
        for (const auto &[code, amount] : {std::pair{"101", 120.5}, std::pair{"105", 30.0}}) {
            lines().Edit();
            lines().FieldByName(QStringLiteral("aBH"))->SetAsString(QLatin1String(code));
            lines().FieldByName(QStringLiteral("JE"))->SetAsFloat(amount);
            lines().Post();
            lines().Next();
        }
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
        QCOMPARE(form->ReportData()->LineCount(), 2);
        const QString text = printToPdf();
        QVERIFY2(text.contains(billNo(form)), qPrintable(text));
        for (int category : {1, 5})
            QVERIFY(text.contains(
                QueryValue(QStringLiteral("select MC from SRZCLB where ID = %1").arg(category))
                    .toString()));
        QVERIFY(text.contains(QStringLiteral("150.50")));
        QVERIFY(text.contains(QStringLiteral("壹佰伍拾元伍角整")));
    }

    void withoutATemplateTheWorkbookLayoutIsPreviewed()
    {
        QVERIFY(keepDocuments());
        saveThreeLines("TfrmSalOunt");
        QString title;
        auto shown = vztest::whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog &preview) {
            title = preview.windowTitle();
            preview.reject();
        });
        form->aPrint->trigger();
        QVERIFY(shown);
        QCOMPARE(title, QStringLiteral("销售出库单"));
        // The grid-print settings of the document.
        const TGridPrintOptions &options = form->GridPrintOptions();
        QCOMPARE(options.Title, QStringLiteral("销售出库单"));
        QCOMPARE(options.PageFooterLeft,
                 QStringLiteral("打印日期：") +
                     QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
        QCOMPARE(options.PageFooter, QStringLiteral("第&[Page]页，共&[Pages]页"));
        QCOMPARE(options.FooterFont.pointSize(), 10);
        QCOMPARE(options.FooterFont.pixelSize(), -1);
    }

    // Template records: a file holding "[DJBH]" in B2 and its sample line in row 5; a record
    // naming a file that is not there.
    void exportWritesTheDocumentWorkbook_data()
    {
        QTest::addColumn<QString>("templateFile");
        QTest::addColumn<bool>("isParam");
        QTest::newRow("no record") << QString() << false;
        QTest::newRow("template filled") << QStringLiteral("tpl.xlsx") << true;
        QTest::newRow("missing file") << QStringLiteral("gone.xlsx") << true;
    }

    void exportWritesTheDocumentWorkbook()
    {
        QFETCH(QString, templateFile);
        QFETCH(bool, isParam);
        QVERIFY(keepDocuments({QStringLiteral("Pub_PrintModal")}));
        QTemporaryDir dir;
        if (!templateFile.isEmpty()) {
            if (templateFile == QStringLiteral("tpl.xlsx")) {
                // Formatted as a shop would: a bold placeholder, a sample row with heavier
                // lines, a merged note below the lines.
                output::TWorkbookLayout t;
                output::TCellFormat bold;
                bold.Bold = true;
                const output::TCellFormat sample =
                    output::TCellFormat().WithBorder(output::TBorderLine::Medium);
                t.SetCell(0, 0, QStringLiteral("销售出库单"));
                t.SetCell(1, 1, QStringLiteral("[DJBH]"), bold);
                t.SetCell(3, 0, QStringLiteral("货品"));
                t.SetCell(4, 0, QStringLiteral("样例"), sample);
                t.SetCell(4, 1, QVariant(), sample);
                t.SetCell(5, 0, QStringLiteral("签收"));
                t.Merge(5, 0, 2);
                QVERIFY(output::SaveWorkbookLayout(t, dir.filePath(templateFile)));
            }
            QVERIFY(ExecSQL(
                QStringLiteral("insert into Pub_PrintModal (ObjectName, FileName, MasterBegin, "
                               "DetailRowBegin, IsParam) values (%1, %2, 1, 5, %3)")
                    .arg(QuotedStr(QStringLiteral("销售出库单")),
                         QuotedStr(dir.filePath(templateFile)), isParam ? "1" : "0")));
        }
        saveThreeLines("TfrmSalOunt");
        const QString file = dir.filePath(QStringLiteral("out.xlsx"));
        TFileDialogScript dialogs;
        dialogs.Answer(file);
        form->Menu_ExportExcel->trigger();
        QCOMPARE(dialogs.Requests().size(), 1);
        QCOMPARE(dialogs.Requests().first().FileName, QStringLiteral("销售出库单.xlsx"));

        output::TSheetData sheet;
        QString error;
        QVERIFY2(
            output::readXlsxSheet(file, 0, &sheet, &error, output::TSheetContent::ValuesAndFormats),
            qPrintable(error));
        QStringList texts;
        QList<double> numbers;
        for (const auto &row : sheet.rows)
            for (const QVariant &cell : row) {
                texts << cell.toString();
                if (cell.typeId() == QMetaType::Double)
                    numbers << cell.toDouble();
            }
        QVERIFY2(texts.contains(billNo(form)), qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(texts.contains(goodsCode(2)));
        QVERIFY(numbers.contains(12.5));
        QVERIFY(numbers.contains(64.5)); // the total
        if (templateFile == QStringLiteral("tpl.xlsx")) {
            QCOMPARE(sheet.cell(1, 1).toString(), billNo(form));
            QVERIFY(!texts.contains(QStringLiteral("样例")));
            QCOMPARE(sheet.cell(4 + 3 + 1, 0).toString(), QStringLiteral("签收"));
            QVERIFY(sheet.format(1, 1).Bold);
            for (int r = 4; r <= 4 + 3; ++r)
                QCOMPARE(sheet.format(r, 1).Borders[output::edBottom].Line,
                         output::TBorderLine::Medium);
            QVERIFY(sheet.merges.contains(output::TSheetRange({8, 0, 8, 2})));
        } else {
            QCOMPARE(sheet.cell(0, 0).toString(), QStringLiteral("销售出库单"));
            QVERIFY(!texts.contains(QStringLiteral("[DJBH]")));
        }
    }

    void theTemplateEditorStartsPlainAndKeepsTheFileOnCancel()
    {
        QVERIFY(keepDocuments({QStringLiteral("Pub_PrintModal")}));
        TClientDataSet &templates = Data().Pub_PrintModal();
        if (!templates.Active())
            templates.Open();
        TfrmPub_PrintModalEdit edit;
        edit.EditMode = QStringLiteral("A");
        QString fileAfterCancel, fileAfterChoice;
        bool isParam = true;
        int allRows = 0;
        const auto shown =
            vztest::whenModal<TfrmPub_PrintModalEdit>([&](TfrmPub_PrintModalEdit &form) {
                TClientDataSet &ds = *form.EditDataSet;
                isParam = ds.FieldByName(QStringLiteral("IsParam"))->AsBoolean();
                allRows = ds.FieldByName(QStringLiteral("AllRows"))->AsInteger();
                ds.FieldByName(QStringLiteral("ObjectName"))
                    ->SetAsString(QStringLiteral("销售出库单"));
                ds.FieldByName(QStringLiteral("FileName"))->SetAsString(QStringLiteral("a.xlsx"));
                {
                    TFileDialogScript dialogs;
                    dialogs.Cancel();
                    form.btnBrowse->click();
                    fileAfterCancel = ds.FieldByName(QStringLiteral("FileName"))->AsString();
                }
                {
                    TFileDialogScript dialogs;
                    dialogs.Answer(QStringLiteral("/tmp/b.xlsx"));
                    form.btnBrowse->click();
                    fileAfterChoice = ds.FieldByName(QStringLiteral("FileName"))->AsString();
                    QCOMPARE(dialogs.Requests().first().Filters.size(), 3);
                }
                form.btnCancel_New->click();
            });
        edit.ShowModal();
        QVERIFY(shown);
        QCOMPARE(isParam, false);
        QCOMPARE(allRows, 10000);
        QCOMPARE(fileAfterCancel, QStringLiteral("a.xlsx"));
        QCOMPARE(fileAfterChoice, QStringLiteral("/tmp/b.xlsx"));
    }

    void cancellingTheExportWritesNothing()
    {
        QVERIFY(keepDocuments());
        saveThreeLines("TfrmSalOunt");
        TFileDialogScript dialogs;
        dialogs.Cancel();
        form->Menu_ExportExcel->trigger();
        QCOMPARE(dialogs.Requests().size(), 1);
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
