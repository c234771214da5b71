// Code 128 symbols bar for bar, and the label sheets: pages, and what lands on the paper,
// read back from a painted image the way a scanner would see the bars.
#include "client/output/barcodelabels.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace output;

namespace {

struct Vector
{
    QString text;
    QList<int> symbols;
    QString modules; // 1 = bar module, 0 = space module
};

// Symbols and modules as an independent encoder produces them for the same text.
const QList<Vector> &knownVectors()
{
    static const QList<Vector> vectors = {
        // an EAN-like code of 13 digits: pairs in set C, the odd digit left over in set B
        {QStringLiteral("6901234567892"),
         {105, 69, 1, 23, 45, 67, 89, 100, 18, 78, 106},
         QStringLiteral("1101001110010110010000110011011001110110111010111011000100001011001101"
                        "10111101011110111011001110010110000101001100011101011")},
        // text, then a run of four digits in set C
        {QStringLiteral("HP-0012"),
         {104, 40, 48, 13, 99, 0, 12, 26, 106},
         QStringLiteral("1101001000011000101000111011101101001101110010111011110110110011001011"
                        "0011100111001001101100011101011")},
        {QStringLiteral("12345678"),
         {105, 12, 34, 56, 78, 47, 106},
         QStringLiteral("1101001110010110011100100010110001110001011011000010100100011101101100"
                        "011101011")},
        // two digits alone are one symbol of set C
        {QStringLiteral("12"),
         {105, 12, 14, 106},
         QStringLiteral("1101001110010110011100100110011101100011101011")},
        // three digits are cheaper in set B
        {QStringLiteral("123"),
         {104, 17, 18, 19, 8, 106},
         QStringLiteral("11010010000100111001101100111001011001011100100011001001100011101011")},
        // an odd run in the middle keeps its first digit in set B and returns to B after
        {QStringLiteral("AB12345C"),
         {104, 33, 34, 17, 99, 23, 45, 100, 35, 60, 106},
         QStringLiteral("1101001000010100011000100010110001001110011010111011110111011011101011"
                        "10110001011110111010001000110111011110101100011101011")},
        {QStringLiteral("X1234"),
         {104, 56, 99, 12, 34, 15, 106},
         QStringLiteral("1101001000011100010110101110111101011001110010001011000101110011001100"
                        "011101011")},
        // an odd run at the start gives its last digit to set B
        {QStringLiteral("12345"),
         {105, 12, 34, 100, 21, 54, 106},
         QStringLiteral("1101001110010110011100100010110001011110111011011100100111010110001100"
                        "011101011")},
        {QStringLiteral("a b"),
         {104, 65, 0, 66, 58, 106},
         QStringLiteral("11010010000100101100001101100110010010000110111011000101100011101011")},
    };
    return vectors;
}

QString sha1(const QString &text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toLatin1(), QCryptographicHash::Sha1).toHex());
}

QString printableNonDigits()
{
    QString text;
    for (char c = 32; c < 127; ++c)
        if (c < '0' || c > '9')
            text += QLatin1Char(c);
    return text;
}

QString digitPairs(int from, int to)
{
    QString text;
    for (int i = from; i < to; ++i)
        text += QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
    return text;
}

bool dark(QRgb pixel)
{
    return qGray(pixel) < 128;
}

// The dark runs of one image row: (start, length) pairs.
QList<QPair<int, int>> darkRuns(const QImage &image, int y)
{
    QList<QPair<int, int>> runs;
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        const bool isDark = x < image.width() && dark(image.pixel(x, y));
        if (isDark && start < 0)
            start = x;
        if (!isDark && start >= 0) {
            runs.append({start, x - start});
            start = -1;
        }
    }
    return runs;
}

// The row of the image with the most dark runs: a row through the bars, when there are any.
QList<QPair<int, int>> busiestRow(const QImage &image)
{
    QList<QPair<int, int>> best;
    for (int y = 0; y < image.height(); ++y) {
        auto runs = darkRuns(image, y);
        if (runs.size() > best.size())
            best = runs;
    }
    return best;
}

constexpr double DotsPerMm = 12; // about 300 dpi

QImage paintedLabel(const TBarcodeLabelPrinter &printer, const TBarcodeLabel &label,
                    const QSize &imageSize, const QRectF &rect)
{
    QImage image(imageSize, QImage::Format_RGB32);
    image.setDotsPerMeterX(int(DotsPerMm * 1000));
    image.setDotsPerMeterY(int(DotsPerMm * 1000));
    image.fill(Qt::white);
    QPainter painter(&image);
    printer.PaintLabel(painter, rect, DotsPerMm, label);
    painter.end();
    return image;
}

QSize labelPixels(const TLabelSheet &sheet)
{
    return (sheet.LabelSizeMm * DotsPerMm).toSize();
}

std::unique_ptr<QPdfWriter> a4Writer(const QString &fileName)
{
    auto writer = std::make_unique<QPdfWriter>(fileName);
    writer->setPageSize(QPageSize(QPageSize::A4));
    writer->setPageMargins(QMarginsF(0, 0, 0, 0));
    writer->setResolution(300);
    return writer;
}

QList<TBarcodeLabel> someLabels(int count)
{
    QList<TBarcodeLabel> labels;
    for (int i = 0; i < count; ++i)
        labels.append({QStringLiteral("69%1").arg(i, 11, 10, QLatin1Char('0')),
                       QStringLiteral("螺丝刀 %1 号").arg(i), QStringLiteral("十字 6×100"),
                       QStringLiteral("把"), 12.5 + i});
    return labels;
}

} // namespace

TEST(Code128, KnownTextsGiveTheSymbolsAndModulesOfAnIndependentEncoder)
{
    for (const Vector &v : knownVectors()) {
        SCOPED_TRACE(v.text.toStdString());
        const TCode128 code = EncodeCode128(v.text);
        ASSERT_TRUE(code.Ok) << code.Error.toStdString();
        EXPECT_EQ(code.Symbols, v.symbols);
        EXPECT_EQ(code.CheckSymbol, v.symbols[v.symbols.size() - 2]);
        EXPECT_EQ(code.ModuleString(), v.modules);
    }
}

TEST(Code128, EverySymbolOfSetsBAndCHasItsPattern)
{
    // Together these use every data symbol 0–99 of both sets, next to the vectors above
    // (which use the set changes 99 and 100, both starts and the stop).
    const QString chars = printableNonDigits();
    const struct
    {
        QString text;
        QString modulesSha1;
    } cases[] = {
        {chars.left(43), QStringLiteral("5b7d4bc6978b9138b5e280d13fca4c4b92a0d270")},
        {chars.mid(43), QStringLiteral("7e437f7041305c60e231ef89e095a369bdde3be0")},
        {digitPairs(0, 50), QStringLiteral("d79b5b7643cc6b5dcc26c5aa46f662292c28ee5a")},
        {digitPairs(50, 100), QStringLiteral("45fde0078901b9afc70b3c7ac6aaf46d978b67f0")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const TCode128 code = EncodeCode128(c.text);
        ASSERT_TRUE(code.Ok);
        EXPECT_EQ(sha1(code.ModuleString()), c.modulesSha1);
    }
}

TEST(Code128, ModulesAreElevenPerSymbolAndThirteenForTheStopPlusTheQuietZones)
{
    for (const QString &text : {QStringLiteral("6901234567892"), QStringLiteral("HP-0012"),
                                QStringLiteral("x"), printableNonDigits(), digitPairs(0, 40)}) {
        SCOPED_TRACE(text.toStdString());
        const TCode128 code = EncodeCode128(text);
        ASSERT_TRUE(code.Ok);
        const int symbols = int(code.Symbols.size()) - 1; // all but the stop
        EXPECT_EQ(code.SymbolModules(), 11 * symbols + 13);
        EXPECT_EQ(code.TotalModules(), 11 * symbols + 13 + 2 * Code128QuietZone);
        EXPECT_EQ(code.ModuleString().size(), code.SymbolModules());
        // bar first, bar last: an odd number of widths
        EXPECT_EQ(code.Widths.size() % 2, 1);
    }
}

TEST(Code128, TextsOutsidePrintableAsciiAreRefusedWithAReason)
{
    for (const QString &text :
         {QString(), QStringLiteral("货品01"), QStringLiteral("AB\tC"), QStringLiteral("café"),
          QStringLiteral("12\u00A034"), QStringLiteral("x\u007F"), QString(QChar(0xD83D))}) {
        SCOPED_TRACE(text.toStdString());
        const TCode128 code = EncodeCode128(text);
        EXPECT_FALSE(code.Ok);
        EXPECT_FALSE(code.Error.isEmpty());
        EXPECT_TRUE(code.Widths.isEmpty());
        EXPECT_EQ(code.SymbolModules(), 0);
    }
}

TEST(BarcodeLabels, PricesShowTheYuanSignAndTwoDecimalsRoundedHalfAway)
{
    EXPECT_EQ(LabelPriceText(12.5), QStringLiteral("¥12.50"));
    EXPECT_EQ(LabelPriceText(0), QStringLiteral("¥0.00"));
    EXPECT_EQ(LabelPriceText(1.005), QStringLiteral("¥1.01"));
    EXPECT_EQ(LabelPriceText(1234.5), QStringLiteral("¥1234.50"));
}

TEST(BarcodeLabels, TwentyFiveLabelsAtTwentyFourPerPageTakeTwoPages)
{
    QTemporaryDir dir;
    auto writer = a4Writer(dir.filePath(QStringLiteral("labels.pdf")));
    TBarcodeLabelPrinter printer;
    EXPECT_EQ(printer.LabelsPerPage(*writer), 24);
    const struct
    {
        int labels;
        int pages;
    } cases[] = {{0, 0}, {1, 1}, {24, 1}, {25, 2}, {48, 2}, {49, 3}};
    for (const auto &c : cases) {
        printer.Labels() = someLabels(c.labels);
        EXPECT_EQ(printer.PageCount(*writer), c.pages) << c.labels << " labels";
    }
}

TEST(BarcodeLabels, TheGridIsConfigurableAndCutToWhatFitsThePage)
{
    QTemporaryDir dir;
    auto writer = a4Writer(dir.filePath(QStringLiteral("labels.pdf")));
    TBarcodeLabelPrinter printer(someLabels(25));
    printer.Sheet().Columns = 2;
    printer.Sheet().Rows = 5;
    EXPECT_EQ(printer.LabelsPerPage(*writer), 10);
    EXPECT_EQ(printer.PageCount(*writer), 3);

    // twenty rows of 33.9 mm do not fit on A4: eight do
    printer.Sheet().Rows = 20;
    printer.Sheet().Columns = 3;
    EXPECT_EQ(printer.LabelsPerPage(*writer), 24);
    // a label wider than the page still prints, one per row
    printer.Sheet().LabelSizeMm = QSizeF(300, 33.9);
    EXPECT_EQ(printer.LabelsPerPage(*writer), 8);
}

TEST(BarcodeLabels, PrintingWritesEveryPageOfThePdf)
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("labels.pdf"));
    {
        auto writer = a4Writer(fileName);
        TBarcodeLabelPrinter printer(someLabels(25));
        printer.Labels()[3].Code = QStringLiteral("货号01"); // printed with its mark
        ASSERT_TRUE(printer.Print(*writer));
    }
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    EXPECT_EQ(int(QString::fromLatin1(pdf).count(page)), 2);

    auto writer = a4Writer(dir.filePath(QStringLiteral("none.pdf")));
    EXPECT_FALSE(TBarcodeLabelPrinter().Print(*writer)); // nothing to print
}

TEST(BarcodeLabels, ThePaintedBarsReadBackAsTheSymbol)
{
    TBarcodeLabelPrinter printer;
    const QSize size = labelPixels(printer.Sheet());
    for (const QString &text : {QStringLiteral("HP-0012"), QStringLiteral("6901234567892")}) {
        SCOPED_TRACE(text.toStdString());
        const TBarcodeLabel label{text, QStringLiteral("螺丝刀"), QStringLiteral("十字"),
                                  QStringLiteral("把"), 12.5};
        const QImage image = paintedLabel(printer, label, size, QRectF(QPointF(0, 0), size));
        const TCode128 code = EncodeCode128(text);
        const QList<QPair<int, int>> runs = busiestRow(image);
        QList<int> barWidths;
        for (int i = 0; i < code.Widths.size(); i += 2)
            barWidths.append(code.Widths[i]);
        ASSERT_EQ(runs.size(), barWidths.size());
        // whole pixels per module: every bar is its width in modules times the module
        const int module = runs.first().second / barWidths.first();
        ASSERT_GE(module, 1);
        for (int i = 0; i < runs.size(); ++i)
            EXPECT_EQ(runs[i].second, barWidths[i] * module) << "bar " << i;
        // the symbol with its quiet zones lies inside the label
        const int left = runs.first().first;
        const int right = runs.last().first + runs.last().second;
        EXPECT_EQ(right - left, code.SymbolModules() * module);
        EXPECT_GE(left, Code128QuietZone * module);
        EXPECT_LE(right + Code128QuietZone * module, size.width());
    }
}

TEST(BarcodeLabels, ACodeThatCannotBeEncodedPrintsItsMarkAndNoBars)
{
    TBarcodeLabelPrinter printer;
    const QSize size = labelPixels(printer.Sheet());
    const TBarcodeLabel good{QStringLiteral("HP-0012"), QStringLiteral("螺丝刀"), {}, {}, 1};
    TBarcodeLabel bad = good;
    bad.Code = QStringLiteral("货号-0012");
    const QImage withBars = paintedLabel(printer, good, size, QRectF(QPointF(0, 0), size));
    const QImage withMark = paintedLabel(printer, bad, size, QRectF(QPointF(0, 0), size));
    EXPECT_GT(busiestRow(withBars).size(), 20);
    EXPECT_LT(busiestRow(withMark).size(), 20);
    // the mark and the texts are there
    QImage blank(size, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_NE(withMark, blank);
}

TEST(BarcodeLabels, ALabelPaintsOnlyInsideItsRectangleWhateverItsTexts)
{
    TBarcodeLabelPrinter printer;
    const QSize label = labelPixels(printer.Sheet());
    const QSize canvas = label + QSize(200, 200);
    const QRectF rect(QPointF(100, 100), label);
    const TBarcodeLabel longTexts{
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
        QString(200, QChar(0x87BA)), QString(200, QChar(0x4E1D)), QString(40, QChar(0x628A)),
        123456789.125};
    const QImage image = paintedLabel(printer, longTexts, canvas, rect);
    int outside = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (!rect.contains(QPointF(x + 0.5, y + 0.5)) &&
                image.pixel(x, y) != qRgb(255, 255, 255))
                ++outside;
    EXPECT_EQ(outside, 0);
    // too small a rectangle paints nothing and fails nothing
    const QImage tiny = paintedLabel(printer, longTexts, QSize(10, 10), QRectF(0, 0, 3, 3));
    EXPECT_EQ(tiny.pixel(1, 1), qRgb(255, 255, 255));
}
