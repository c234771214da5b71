// Banded reports: capital numerals, value formats, bar codes, the template file, the layout
// over pages and what lands in the PDF, read back with pdftotext.
#include "client/print/barcodes.h"
#include "client/print/capitalmoney.h"
#include "client/print/demonote.h"
#include "client/print/reportpreview.h"
#include "client/print/reportrenderer.h"
#include "client/print/reporttemplate.h"

#include "support/pdftext.h"
#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPrinter>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace print;

namespace {

QString shippedTemplate(const QString &caption)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Reports/") + caption +
           QStringLiteral(".rtm");
}

TReportTemplate loadShipped(const QString &caption)
{
    TReportTemplate t;
    QString error;
    EXPECT_TRUE(LoadReportTemplate(shippedTemplate(caption), t, &error)) << error.toStdString();
    return t;
}

// A one-band template with the given detail items, on A5.
TReportTemplate detailTemplate(const QList<TReportItem> &items)
{
    TReportTemplate t;
    t.PageSize = QPageSize::A5;
    t.Bands.append({TBandKind::Detail, 8, items});
    return t;
}

TReportItem textItem(const QString &text, const QRectF &rect = QRectF(0, 0, 60, 8))
{
    TReportItem item;
    item.Rect = rect;
    item.Text = text;
    return item;
}

QImage render(const TReport &report, const TReportDataSource &data, int page = 0)
{
    return TReportRenderer(report, data).PageImage(page, 96);
}

} // namespace

TEST(CapitalMoney, WritesAmountsAsInvoicesDo)
{
    const struct
    {
        double amount;
        const char *words;
    } cases[] = {
        {12345.67, "壹万贰仟叁佰肆拾伍元陆角柒分"},
        {0, "零元整"},
        {0.004, "零元整"},
        {100, "壹佰元整"},
        {10, "壹拾元整"},
        {1001, "壹仟零壹元整"},
        {10010, "壹万零壹拾元整"},
        {100000, "壹拾万元整"},
        {1000010, "壹佰万零壹拾元整"},
        {1010000, "壹佰零壹万元整"},
        {100000000, "壹亿元整"},
        {100010000, "壹亿零壹万元整"},
        {100001000, "壹亿零壹仟元整"},
        {0.5, "伍角整"},
        {0.05, "伍分"},
        {0.56, "伍角陆分"},
        {1.05, "壹元零伍分"},
        {10.5, "壹拾元伍角整"},
        {1200.5, "壹仟贰佰元伍角整"},
        {10000.01, "壹万元零壹分"},
        {1.005, "壹元零壹分"},
        {-12.5, "负壹拾贰元伍角整"},
        {3.999, "肆元整"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CapitalMoney(c.amount), QString::fromUtf8(c.words)) << c.amount;
}

TEST(ReportValue, FormatsNumbersDatesAndZeros)
{
    const struct
    {
        QVariant value;
        const char *format;
        bool blankWhenZero;
        const char *text;
    } cases[] = {
        {12.345, "0.00", false, "12.35"},
        {1.005, "0.00", false, "1.01"},
        {-2.5, "0", false, "-3"},
        {-0.001, "0.00", false, "0.00"},
        {1234567.5, "#,##0.00", false, "1,234,567.50"},
        {-1234.5, "#,##0.00", false, "-1,234.50"},
        {999.0, "#,##0.00", false, "999.00"},
        {2.5, "0.##", false, "2.5"},
        {3.0, "0.##", false, "3"},
        {QStringLiteral("7.125"), "0.00", false, "7.13"},
        {0.0, "0.00", true, ""},
        {0, "", true, ""},
        {QStringLiteral("0"), "0.##", true, ""},
        {0.0, "0.00", false, "0.00"},
        {QDate(2026, 12, 7), "yyyy-MM-dd", false, "2026-12-07"},
        {QStringLiteral("2026-03-05 14:20:00"), "yyyy年MM月dd日", false, "2026年03月05日"},
        {QStringLiteral("abc"), "0.00", false, "abc"},
        {QVariant(), "0.00", true, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatReportValue(c.value, QString::fromUtf8(c.format), c.blankWhenZero),
                  QString::fromUtf8(c.text))
            << c.value.toString().toStdString() << " " << c.format;
}

TEST(Ean13, AddsOrChecksTheCheckDigit)
{
    const struct
    {
        const char *text;
        const char *digits; // empty: refused
    } cases[] = {
        {"690123456789", "6901234567892"},
        {"6901234567892", "6901234567892"},
        {"400638133393", "4006381333931"},
        {"4006381333931", "4006381333931"},
        {"4006381333932", ""},
        {"69012345678", ""},
        {"69012345678X", ""},
        {"", ""},
    };
    for (const auto &c : cases) {
        const TEan13 code = EncodeEan13(QString::fromLatin1(c.text));
        EXPECT_EQ(code.Ok, *c.digits != 0) << c.text;
        if (!code.Ok) {
            EXPECT_FALSE(code.Error.isEmpty());
            continue;
        }
        EXPECT_EQ(code.Digits, QString::fromLatin1(c.digits));
        ASSERT_EQ(code.Modules.size(), 95);
        EXPECT_TRUE(code.Modules.startsWith(QLatin1String("101")));
        EXPECT_EQ(code.Modules.mid(45, 5), QLatin1String("01010"));
        EXPECT_TRUE(code.Modules.endsWith(QLatin1String("101")));
        // Every digit takes two bars and two spaces: 4 + 12 * 2 + 5 guard bars in all.
        EXPECT_EQ(code.Modules.count(QLatin1String("01")) + 1, 30);
    }
}

TEST(Ean13, LeftDigitsCarryTheFirstDigitInTheirParity)
{
    // Same twelve digits but the first: only the left half may differ.
    const TEan13 a = EncodeEan13(QStringLiteral("012345678901"));
    const TEan13 b = EncodeEan13(QStringLiteral("512345678901"));
    ASSERT_TRUE(a.Ok && b.Ok);
    EXPECT_NE(a.Modules.left(45), b.Modules.left(45));
    // The check digits differ (0 vs 5 weighted once), so compare the right half up to it.
    EXPECT_EQ(a.Modules.mid(50, 35), b.Modules.mid(50, 35));
}

TEST(ReportTemplate, ShippedTemplatesSurviveASaveAndLoadUnchanged)
{
    for (const QString &caption : {QStringLiteral("销售出库单"), QStringLiteral("采购入库单"),
                                   QStringLiteral("销售退货单"), QStringLiteral("采购退货单")}) {
        TReport original(loadShipped(caption));
        ASSERT_FALSE(original.Template().Bands.isEmpty()) << caption.toStdString();
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("copy.rtm"));
        QString error;
        ASSERT_TRUE(SaveReportTemplate(copy, original.Template(), &error)) << error.toStdString();
        TReport reloaded;
        ASSERT_TRUE(LoadReportTemplate(copy, reloaded.Template(), &error)) << error.toStdString();
        EXPECT_EQ(reloaded.Template(), original.Template());
        const TReportValues note = DemoDeliveryNote(60);
        TReportRenderer a(original, note);
        TReportRenderer b(reloaded, note);
        ASSERT_EQ(a.PageCount(), b.PageCount());
        for (int page = 0; page < a.PageCount(); ++page)
            EXPECT_EQ(a.PageImage(page, 72), b.PageImage(page, 72)) << page;
    }
}

TEST(ReportTemplate, RefusesBrokenFilesAndKeepsWhatWasLoaded)
{
    const struct
    {
        const char *json;
        const char *message; // part of the error
    } cases[] = {
        {"{", "JSON"},
        {R"({"format":"other","version":1})", "不是报表模板"},
        {R"({"format":"vzreport","version":2})", "版本"},
        {R"({"format":"vzreport","version":1,"bands":[{"band":"side","height":5}]})", "side"},
        {R"({"format":"vzreport","version":1,"bands":[{"band":"detail","height":5},{"band":"detail","height":5}]})",
         "两次"},
        {R"({"format":"vzreport","version":1,"bands":[{"band":"detail","height":-1}]})", "高度"},
        {R"({"format":"vzreport","version":1,"bands":[{"band":"pageHeader","height":200},{"band":"pageFooter","height":100}]})",
         "超过"},
        {R"({"format":"vzreport","version":1,"bands":[{"band":"detail","height":5,"items":[{"type":"circle","rect":[0,0,1,1]}]}]})",
         "circle"},
        {R"({"format":"vzreport","version":1,"bands":[{"band":"detail","height":5,"items":[{"type":"text","rect":[0,0,1]}]}]})",
         "位置"},
        {R"({"format":"vzreport","version":1,"bands":[{"band":"detail","height":5,"items":[{"type":"barcode","barcode":"upc","rect":[0,0,1,1]}]}]})",
         "upc"},
        {R"({"format":"vzreport","version":1,"page":{"size":"A9"}})", "A9"},
    };
    const TReportTemplate shipped = loadShipped(QStringLiteral("销售出库单"));
    for (const auto &c : cases) {
        TReportTemplate t = shipped;
        QString error;
        EXPECT_FALSE(TemplateFromJson(QByteArray(c.json), t, &error)) << c.json;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << error.toStdString();
        EXPECT_EQ(t, shipped);
    }
    TReportTemplate t;
    QString error;
    EXPECT_FALSE(LoadReportTemplate(QStringLiteral("/nonexistent/x.rtm"), t, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ReportLayout, LinesFlowOverPagesWithHeaderAndFooterOnEach)
{
    TReportTemplate t;
    t.PageSize = QPageSize::A5; // 210 mm high
    t.MarginsMm = QMarginsF(10, 10, 10, 10);
    t.Bands = {{TBandKind::Title, 40, {textItem(QStringLiteral("T"))}},
               {TBandKind::PageHeader, 10, {textItem(QStringLiteral("H"))}},
               {TBandKind::ColumnHeader, 10, {textItem(QStringLiteral("C"))}},
               {TBandKind::Detail, 10, {textItem(QStringLiteral("[Line.N]"))}},
               {TBandKind::Summary, 30, {textItem(QStringLiteral("S"))}},
               {TBandKind::PageFooter, 10, {textItem(QStringLiteral("&[Page]/&[Pages]"))}}};
    // Page 1 holds title, column header and 12 lines, later pages the column header and 16;
    // the summary needs 30 mm below the last line, or it opens a page of its own.
    const struct
    {
        int lines;
        int pages;
    } cases[] = {{0, 1}, {9, 1}, {10, 2}, {12, 2}, {25, 2}, {26, 3}, {28, 3}, {500, 32}};
    for (const auto &c : cases) {
        TReportValues data;
        for (int i = 0; i < c.lines; ++i)
            data.SetLine(data.AddLine(), QStringLiteral("N"), i);
        TReport report(t);
        EXPECT_EQ(TReportRenderer(report, data).PageCount(), c.pages) << c.lines;
    }
}

TEST(ReportLayout, PdfHoldsTheNumberTheTotalInCapitalsAndThePageNumbers)
{
    ASSERT_TRUE(vztest::havePdfText()) << "pdftotext (poppler-utils) is not installed";
    TReport report(loadShipped(QStringLiteral("销售出库单")));
    EXPECT_TRUE(
        report.SetNamedText(QStringLiteral("pplink"), QStringLiteral("电话：020-12345678")));
    EXPECT_FALSE(report.SetNamedText(QStringLiteral("ppfax"), QStringLiteral("传真：1")));
    const TReportValues note = DemoDeliveryNote(80);
    double total = 0;
    for (int i = 0; i < note.LineCount(); ++i)
        total += note.LineValue(i, QStringLiteral("cJE")).toDouble();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("note.pdf"));
    TReportRenderer renderer(report, note);
    QString error;
    ASSERT_TRUE(renderer.WritePdf(pdf, &error)) << error.toStdString();
    const QString text = vztest::pdfText(pdf, {QStringLiteral("-layout")});
    ASSERT_FALSE(text.isEmpty());
    const int pages = renderer.PageCount();
    EXPECT_GE(pages, 2);
    EXPECT_TRUE(text.contains(QStringLiteral("XK20261207-0001"))) << text.toStdString();
    EXPECT_TRUE(text.contains(CapitalMoney(total))) << CapitalMoney(total).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("电话：020-12345678")));
    EXPECT_FALSE(text.contains(QStringLiteral("地址：")));
    EXPECT_TRUE(text.contains(QStringLiteral("2026-12-07")));
    for (int page = 1; page <= pages; ++page)
        EXPECT_TRUE(text.contains(QStringLiteral("第%1页，共%2页").arg(page).arg(pages))) << page;
    EXPECT_EQ(text.count(QStringLiteral("品名")), pages); // the column header on every page
    EXPECT_EQ(text.count(QStringLiteral("收货：")), 1);

    TReportRenderer unwritable(report, note);
    EXPECT_FALSE(unwritable.WritePdf(QStringLiteral("/nonexistent/dir/x.pdf"), &error));
}

TEST(ReportItems, NamedTextNobodySetIsLeftOut)
{
    TReportItem named = textItem(QString());
    named.Name = QStringLiteral("pplink");
    named.Borders = BorderAll;
    TReportItem other = textItem(QStringLiteral("[Line.A]"), QRectF(70, 0, 40, 8));
    TReportValues data;
    data.SetLine(data.AddLine(), QStringLiteral("A"), QStringLiteral("x"));
    const TReport without(detailTemplate({other}));
    TReport unset(detailTemplate({named, other}));
    EXPECT_EQ(render(unset, data), render(without, data));
    EXPECT_FALSE(unset.SetNamedText(QStringLiteral("ppaddress"), QStringLiteral("地址：1")));
    EXPECT_EQ(render(unset, data), render(without, data));
    EXPECT_TRUE(unset.SetNamedText(QStringLiteral("pplink"), QStringLiteral("电话：1")));
    EXPECT_NE(render(unset, data), render(without, data));
}

TEST(ReportItems, ZeroQuantityPrintsEmptyOnlyWhereTheTemplateSaysSo)
{
    const auto quantities = [](const QVariant &value) {
        TReportValues data;
        data.SetLine(data.AddLine(), QStringLiteral("SL"), value);
        return data;
    };
    TReportItem blank = textItem(QStringLiteral("[Line.SL]"));
    blank.Format = QStringLiteral("0.##");
    blank.BlankWhenZero = true;
    const TReport blanking(detailTemplate({blank}));
    EXPECT_EQ(render(blanking, quantities(0.0)), render(blanking, quantities(QVariant())));
    EXPECT_NE(render(blanking, quantities(2.0)), render(blanking, quantities(QVariant())));
    blank.BlankWhenZero = false;
    const TReport showing(detailTemplate({blank}));
    EXPECT_NE(render(showing, quantities(0.0)), render(showing, quantities(QVariant())));
}

TEST(ReportItems, BarcodesAndQrCodesPaintOnlyWhatTheyCanEncode)
{
    const struct
    {
        const char *symbology;
        TItemKind kind;
        const char *text;
        bool painted;
    } cases[] = {
        {"code128", TItemKind::Barcode, "XK20261207-0001", true},
        {"code128", TItemKind::Barcode, "单号", false},
        {"ean13", TItemKind::Barcode, "690123456789", true},
        {"ean13", TItemKind::Barcode, "6901234567890", false},
        {"", TItemKind::QrCode, "XK20261207-0001 广州", true},
        {"", TItemKind::QrCode, "", false},
    };
    TReportValues data;
    data.AddLine();
    const TReport empty(detailTemplate({}));
    for (const auto &c : cases) {
        TReportItem item = textItem(QString::fromUtf8(c.text), QRectF(0, 0, 50, 8));
        item.Kind = c.kind;
        item.Barcode = QString::fromLatin1(c.symbology);
        const TReport report(detailTemplate({item}));
        EXPECT_EQ(render(report, data) != render(empty, data), c.painted) << c.text;
    }
}

TEST(ReportPreview, PagesThroughAndZooms)
{
    auto report = std::make_unique<TReport>(loadShipped(QStringLiteral("销售出库单")));
    auto note = std::make_unique<TReportValues>(DemoDeliveryNote(80));
    TfrmReportPreview preview(std::move(report), std::move(note), QStringLiteral("销售出库单"));
    const int pages = preview.PageCount();
    ASSERT_GE(pages, 3);
    EXPECT_EQ(preview.lblPage->text(), QStringLiteral("第1页，共%1页").arg(pages));
    EXPECT_FALSE(preview.btnPrior->isEnabled());
    EXPECT_TRUE(preview.btnNext->isEnabled());
    preview.btnNext->click();
    EXPECT_EQ(preview.CurrentPage(), 1);
    preview.btnLast->click();
    EXPECT_EQ(preview.CurrentPage(), pages - 1);
    EXPECT_FALSE(preview.btnNext->isEnabled());
    EXPECT_FALSE(preview.btnLast->isEnabled());
    preview.ShowPage(pages + 5); // past the end stays on the last page
    EXPECT_EQ(preview.CurrentPage(), pages - 1);
    preview.btnFirst->click();
    EXPECT_EQ(preview.CurrentPage(), 0);

    const QSize normal = preview.imgPage->pixmap().size();
    preview.cbZoom->setCurrentIndex(preview.cbZoom->findText(QStringLiteral("200%")));
    EXPECT_DOUBLE_EQ(preview.Zoom(), 2.0);
    const QSize doubled = preview.imgPage->pixmap().size();
    EXPECT_NEAR(doubled.width(), 2 * normal.width(), 2);
    EXPECT_NEAR(doubled.height(), 2 * normal.height(), 2);

    QTemporaryDir dir;
    EXPECT_TRUE(preview.SaveAsPdf(dir.filePath(QStringLiteral("preview.pdf"))));
    EXPECT_GT(QFileInfo(dir.filePath(QStringLiteral("preview.pdf"))).size(), 1000);
}

TEST(ReportItems, PictureTravelsInsideTheTemplate)
{
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && red.save(&buffer, "PNG"));
    TReportItem picture = textItem(QString(), QRectF(10, 0, 40, 8));
    picture.Kind = TItemKind::Picture;
    picture.Picture = png;
    const TReportTemplate original = detailTemplate({picture});
    TReportTemplate reloaded;
    QString error;
    ASSERT_TRUE(TemplateFromJson(TemplateToJson(original), reloaded, &error))
        << error.toStdString();
    EXPECT_EQ(reloaded, original);

    TReportValues data;
    data.AddLine();
    const QImage page = render(TReport(reloaded), data);
    // 16 mm wide at its 2:1 shape, 8 mm high, from 10 mm right of the margin.
    const double dotsPerMm = 96 / 25.4;
    const double left = reloaded.MarginsMm.left();
    const double top = reloaded.MarginsMm.top();
    EXPECT_EQ(page.pixelColor(qRound((left + 18) * dotsPerMm), qRound((top + 4) * dotsPerMm)),
              QColor(Qt::red));
    EXPECT_EQ(page.pixelColor(qRound((left + 30) * dotsPerMm), qRound((top + 4) * dotsPerMm)),
              QColor(Qt::white));
}

TEST(ReportItems, ExpressionsEvaluateOrPrintNothing)
{
    TReportValues data;
    data.SetMaster(QStringLiteral("DJBH"), QStringLiteral("XK-1"));
    for (const double amount : {10.5, 20.25, 0.0})
        data.SetLine(data.AddLine(), QStringLiteral("JE"), amount);
    const struct
    {
        const char *text;
        const char *shown; // what the same template prints with this text as static text
    } cases[] = {
        {"[djbh]", "XK-1"},
        {"No. [DJBH]/[Pages]", "No. XK-1/1"},
        {"[Sum(Line.JE)]", "30.75"},
        {"[Capital(Sum(Line.JE))]", "叁拾元柒角伍分"},
        {"[Capital(DJBH)]", ""},
        {"[Nope(Line.JE)]", ""},
        {"[Line.JE]", ""}, // no line outside the detail band
        {"[Capital(Capital(Capital(Capital(Capital(Capital(Capital(Capital(Capital(Capital(1)))))))"
         ")))]",
         ""},
        {"[unclosed", "[unclosed"},
    };
    for (const auto &c : cases) {
        TReportTemplate t;
        t.PageSize = QPageSize::A5;
        t.Bands.append({TBandKind::Summary, 10, {textItem(QString::fromUtf8(c.text))}});
        TReportTemplate expected = t;
        expected.Bands[0].Items[0].Text = QString::fromUtf8(c.shown);
        EXPECT_EQ(render(TReport(t), data), render(TReport(expected), data)) << c.text;
    }
}

TEST(ReportLayout, PrinterTakesThePaperAndPagesOfTheTemplate)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        << "pdfinfo (poppler-utils) is not installed";
    const struct
    {
        QPageSize::PageSizeId size;
        QPageLayout::Orientation orientation;
        double widthPt;
        double heightPt;
    } cases[] = {
        {QPageSize::A4, QPageLayout::Portrait, 595.3, 841.9},
        {QPageSize::A5, QPageLayout::Landscape, 595.3, 419.5},
        {QPageSize::B5, QPageLayout::Portrait, 498.9, 708.7},
    };
    for (const auto &c : cases) {
        TReportTemplate t = loadShipped(QStringLiteral("销售出库单"));
        t.PageSize = c.size;
        t.Orientation = c.orientation;
        const TReport report(t);
        const TReportValues note = DemoDeliveryNote(40);
        TReportRenderer renderer(report, note);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("printer.pdf"));
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setFullPage(true);
            QString error;
            ASSERT_TRUE(renderer.Print(printer, &error)) << error.toStdString();
        }
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        ASSERT_TRUE(info.waitForFinished(60000));
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        const QRegularExpressionMatch pages =
            QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
        ASSERT_TRUE(pages.hasMatch()) << text.toStdString();
        EXPECT_EQ(pages.captured(1).toInt(), renderer.PageCount());
        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(text);
        ASSERT_TRUE(size.hasMatch()) << text.toStdString();
        EXPECT_NEAR(size.captured(1).toDouble(), c.widthPt, 1) << text.toStdString();
        EXPECT_NEAR(size.captured(2).toDouble(), c.heightPt, 1) << text.toStdString();
    }
}
