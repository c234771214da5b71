// The picture control: pictures recognised by their content, decoding that never fails
// loudly, the fit that keeps the aspect, and the double click.
#include "client/widgets/image.h"
#include "support/testpictures.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(TPictureFormat)

using vztest::encoded;
using vztest::filled;
using vztest::tinyGif;

class TestImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void picturesAreKnownByTheirContent_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TPictureFormat>("format");
        const QImage red = filled({8, 4}, Qt::red);
        QTest::newRow("jpeg") << encoded(red, "JPG") << TPictureFormat::Jpeg;
        QTest::newRow("png") << encoded(red, "PNG") << TPictureFormat::Png;
        QTest::newRow("bmp") << encoded(red, "BMP") << TPictureFormat::Bmp;
        QTest::newRow("gif is not stored") << tinyGif() << TPictureFormat::Unknown;
        QTest::newRow("text") << QByteArray("JFIF? no, a note") << TPictureFormat::Unknown;
        QTest::newRow("text starting BM")
            << QByteArray("BMW parts list, 2024 edition") << TPictureFormat::Unknown;
        QTest::newRow("empty") << QByteArray() << TPictureFormat::Unknown;
        QTest::newRow("jpeg marker only") << QByteArray("\xFF\xD8") << TPictureFormat::Unknown;
    }
    void picturesAreKnownByTheirContent()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(TPictureFormat, format);
        QCOMPARE(PictureFormatOf(bytes), format);
    }

    void bytesThatAreNoPictureDecodeToNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray png = encoded(filled({40, 30}, Qt::blue), "PNG");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("not a picture at all");
        QTest::newRow("png header only") << png.left(16);
        QTest::newRow("png cut in half") << png.left(png.size() / 2);
        QTest::newRow("jpeg marker and noise")
            << QByteArray("\xFF\xD8\xFF\xE0") + QByteArray(500, 'x');
        QTest::newRow("bmp header and noise") << QByteArray("BM") + QByteArray(12, '\0') +
                                                     QByteArray("\x28\0\0\0", 4) +
                                                     QByteArray(40, '\xFF');
    }
    void bytesThatAreNoPictureDecodeToNothing()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(DecodePicture(bytes).isNull());
        TImage image;
        image.SetPicture(filled({4, 4}, Qt::red));
        QVERIFY(!image.SetPictureBytes(bytes));
        QVERIFY(image.IsEmpty());
    }

    void everyStoredFormatDecodes()
    {
        const QImage green = filled({30, 20}, Qt::green);
        for (const char *format : {"JPG", "PNG", "BMP"}) {
            const QImage decoded = DecodePicture(encoded(green, format));
            QVERIFY2(!decoded.isNull(), format);
            QCOMPARE(decoded.size(), QSize(30, 20));
        }
        // older stores may hold other kinds Qt reads
        QCOMPARE(DecodePicture(tinyGif()).size(), QSize(1, 1));
    }

    void theFitKeepsTheAspectAndCentres_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<QRect>("fitted");
        QTest::newRow("wide in a square")
            << QSize(200, 100) << QRect(0, 0, 100, 100) << QRect(0, 25, 100, 50);
        QTest::newRow("tall in a wide box")
            << QSize(50, 100) << QRect(0, 0, 200, 100) << QRect(75, 0, 50, 100);
        QTest::newRow("small is enlarged")
            << QSize(10, 10) << QRect(0, 0, 100, 50) << QRect(25, 0, 50, 50);
        QTest::newRow("offset bounds")
            << QSize(4, 2) << QRect(10, 20, 40, 40) << QRect(10, 30, 40, 20);
        QTest::newRow("no picture") << QSize() << QRect(0, 0, 10, 10) << QRect();
        QTest::newRow("no room") << QSize(10, 10) << QRect() << QRect();
        QTest::newRow("a line keeps a pixel")
            << QSize(1000, 1) << QRect(0, 0, 10, 10) << QRect(0, 4, 10, 1);
    }
    void theFitKeepsTheAspectAndCentres()
    {
        QFETCH(QSize, picture);
        QFETCH(QRect, bounds);
        QFETCH(QRect, fitted);
        QCOMPARE(FittedRect(picture, bounds), fitted);
    }

    void theControlShowsThePictureLetterboxed()
    {
        TImage image;
        image.resize(200, 100);
        image.SetPicture(filled({50, 50}, Qt::red));
        QVERIFY(!image.IsEmpty());
        QCOMPARE(image.PictureRect(), QRect(50, 0, 100, 100));
        const QImage shown = image.grab().toImage();
        QCOMPARE(QColor(shown.pixel(100, 50)), QColor(Qt::red));
        QVERIFY(QColor(shown.pixel(10, 50)) != QColor(Qt::red));
        QVERIFY(QColor(shown.pixel(190, 50)) != QColor(Qt::red));

        // resizing refits
        image.resize(100, 300);
        QCOMPARE(image.PictureRect(), QRect(0, 100, 100, 100));
        QCOMPARE(QColor(image.grab().toImage().pixel(50, 150)), QColor(Qt::red));

        image.Clear();
        QVERIFY(image.IsEmpty());
        QVERIFY(image.PictureRect().isEmpty());
        QVERIFY(image.Picture().isNull());
    }

    void aDoubleClickReachesHandlerAndSignal()
    {
        TImage image;
        image.resize(50, 50);
        int handled = 0;
        image.OnDblClick = [&handled, &image](TImage &sender) {
            QCOMPARE(&sender, &image);
            ++handled;
        };
        QSignalSpy spy(&image, &TImage::doubleClicked);
        QTest::mouseDClick(&image, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(handled, 1);
        QCOMPARE(spy.count(), 1);
        QTest::mouseDClick(&image, Qt::RightButton, {}, QPoint(25, 25));
        QCOMPARE(handled, 1);
    }
};

int runImageTests(int argc, char **argv)
{
    TestImage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_image.moc"
