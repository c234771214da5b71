// The ledger layout of amounts: digits one per cell, red for negatives, rules at the point
// and the thousands.
#include "client/widgets/ledgercells.h"

#include <QPainter>
#include <QTest>

Q_DECLARE_METATYPE(TLedgerRule)

namespace {

QString cellsText(const TLedgerLayout &layout)
{
    QString text;
    for (QChar c : layout.Cells)
        text += c;
    return text;
}

// S silver, G green, R red, left to right.
QString rulesText(const TLedgerLayout &layout)
{
    QString text;
    for (TLedgerRule rule : layout.Rules)
        text += rule == TLedgerRule::Green ? QLatin1Char('G')
                : rule == TLedgerRule::Red ? QLatin1Char('R')
                                           : QLatin1Char('S');
    return text;
}

} // namespace

class TestLedger : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutOfAmounts_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("cells");
        QTest::addColumn<QString>("expectedCells");
        QTest::addColumn<QString>("expectedRules");
        QTest::addColumn<bool>("red");
        // The minus sign takes a cell of its own; the point falls between 5 and 0.
        QTest::newRow("negative") << QVariant(-1234.5) << 7 << "-123450"
                                  << "SGSSRSG" << true;
        QTest::newRow("blank cells on the left") << QVariant(12.3) << 6 << "  1230"
                                                 << "GSSRSG" << false;
        QTest::newRow("thousands and millions") << QVariant(1234567.891) << 9 << "123456789"
                                                << "GSSGSSRSG" << false;
        QTest::newRow("rounded half away from zero") << QVariant(0.005) << 3 << "001"
                                                     << "RSG" << false;
        QTest::newRow("zero") << QVariant(0.0) << 4 << " 000"
                              << "SRSG" << false;
        QTest::newRow("null shows only rules") << QVariant() << 4 << "    "
                                               << "SRSG" << false;
        QTest::newRow("more digits than cells") << QVariant(98765.4) << 3 << "9876540"
                                                << "SGSSRSG" << false;
    }
    void layoutOfAmounts()
    {
        QFETCH(QVariant, value);
        QFETCH(int, cells);
        QFETCH(QString, expectedCells);
        QFETCH(QString, expectedRules);
        QFETCH(bool, red);
        const TLedgerLayout layout = LedgerLayout(value, cells);
        QCOMPARE(cellsText(layout), expectedCells);
        QCOMPARE(rulesText(layout), expectedRules);
        QCOMPARE(layout.Red, red);
    }

    void minusTwelveThirtyFourFiftyIsSevenRedCells()
    {
        const TLedgerLayout layout = LedgerLayout(-1234.5, 0);
        QCOMPARE(layout.Cells.size(), 7);
        QCOMPARE(cellsText(layout), QStringLiteral("-123450"));
        QVERIFY(layout.Red);
        QCOMPARE(layout.Rules.at(4), TLedgerRule::Red);   // between 4 and 5: the point
        QCOMPARE(layout.Rules.at(6), TLedgerRule::Green); // the right edge
        QCOMPARE(layout.Rules.at(1), TLedgerRule::Green); // between thousands and hundreds
    }

    void paintingPutsEveryDigitInItsCell()
    {
        QFont font;
        font.setPixelSize(12);
        const int cell = LedgerCellWidth(font);
        QCOMPARE(cell, QFontMetrics(font).horizontalAdvance(QLatin1Char('8')) + 4);
        QImage image(cell * 8, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PaintLedgerCells(painter, image.rect(), -1234.5, font, Qt::black);
        painter.end();
        // The rule of the decimal point is red, the right edge green.
        QCOMPARE(QColor(image.pixel(image.width() - 2 * cell - 1, 10)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(image.width() - 1, 10)), QColor(0, 128, 0));
        // Digits of a negative amount are red: some pixel of the last cell is reddish.
        bool redInk = false;
        for (int x = image.width() - cell; x < image.width() - 1; ++x) {
            for (int y = 0; y < 20; ++y) {
                const QColor c(image.pixel(x, y));
                redInk = redInk || (c.red() > 200 && c.green() < 120 && c.blue() < 120);
            }
        }
        QVERIFY(redInk);
    }
};

int runLedgerTests(int argc, char **argv)
{
    TestLedger test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ledger.moc"
