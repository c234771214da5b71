// The picture store against a real server on the demo account set: one picture per owner,
// replaced in one apply, files checked by their content and size, harmless owner IDs, a save
// the server refuses; and the floating picture window.
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/serveraccess.h"
#include "client/forms/procblobobj.h"
#include "client/forms/showpic.h"
#include "client/widgets/image.h"
#include "client/widgets/messagebox.h"
#include "support/testpictures.h"
#include "support/testworld.h"
#include "wire/client.h"

#include <QBuffer>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

using vztest::encoded;
using vztest::filled;
using vztest::tinyGif;

class TestPictures : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    QTemporaryDir dir;
    QString png, jpeg, bmp;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static int rowsOf(int owner)
    {
        return QueryValue(QStringLiteral("select count(*) from Hp_Pict where ygid = %1").arg(owner))
            .toInt();
    }
    static int allRows()
    {
        return QueryValue(QStringLiteral("select count(*) from Hp_Pict")).toInt();
    }
    static QString extOf(int owner)
    {
        return QueryValue(QStringLiteral("select Ext from Hp_Pict where ygid = %1").arg(owner))
            .toString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        png = writeFile(QStringLiteral("red.png"), encoded(filled({40, 20}, Qt::red), "PNG"));
        jpeg = writeFile(QStringLiteral("Blue.JPG"), encoded(filled({30, 60}, Qt::blue), "JPG"));
        bmp = writeFile(QStringLiteral("green.bmp"), encoded(filled({10, 10}, Qt::green), "BMP"));
        QVERIFY2(world.start(), qPrintable(world.error()));
    }
    void cleanupTestCase() { world.stop(); }
    void init() { QVERIFY(world.keepTables({QStringLiteral("Hp_Pict")})); }
    void cleanup() { world.cleanup(); }

    void aSavedPictureLoadsBackInAnotherStore()
    {
        {
            TProcBlobObj store(QStringLiteral("hp_pict"));
            QCOMPARE(store.PictDataSet, &Data().Hp_Pict());
            QCOMPARE(store.QueryDataSet, &Data().Tmp());
            QVERIFY(store.Save(QStringLiteral("9001"), png));
        }
        TProcBlobObj store(QStringLiteral("hp_pict"));
        QCOMPARE(store.Bytes(QStringLiteral("9001")), fileBytes(png));
        QCOMPARE(extOf(9001), QStringLiteral(".png"));
        TImage image;
        image.hide();
        QVERIFY(store.Load(QStringLiteral("9001"), &image));
        QCOMPARE(image.Picture().size(), QSize(40, 20));
        QVERIFY(!image.isHidden());
        QVERIFY(!Data().Hp_Pict().Active());
        QVERIFY(!Data().Tmp().Active());
    }

    void aSecondSaveReplacesTheFirst()
    {
        TProcBlobObj store(QStringLiteral("hp_pict"));
        QVERIFY(store.Save(QStringLiteral("9002"), png));
        QVERIFY(store.Save(QStringLiteral("9003"), bmp));
        const int maxId = QueryValue(QStringLiteral("select max(id) from Hp_Pict")).toInt();
        QVERIFY(store.Save(QStringLiteral("9002"), jpeg));
        QCOMPARE(rowsOf(9002), 1);
        QCOMPARE(store.Bytes(QStringLiteral("9002")), fileBytes(jpeg));
        QCOMPARE(extOf(9002), QStringLiteral(".jpg"));
        QCOMPARE(QueryValue(QStringLiteral("select id from Hp_Pict where ygid = 9002")).toInt(),
                 maxId + 1);
        // the other owner keeps his
        QCOMPARE(store.Bytes(QStringLiteral("9003")), fileBytes(bmp));
    }

    void jpegPngAndBmpAreStoredAndShownWhateverTheirExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QSize>("size");
        const QByteArray jpg = encoded(filled({30, 60}, Qt::blue), "JPG");
        const QByteArray pngBytes = encoded(filled({40, 20}, Qt::red), "PNG");
        QTest::newRow("jpg") << "a.jpg" << jpg << ".jpg" << QSize(30, 60);
        QTest::newRow("jpeg") << "a.jpeg" << jpg << ".jpeg" << QSize(30, 60);
        QTest::newRow("png") << "a.png" << pngBytes << ".png" << QSize(40, 20);
        QTest::newRow("bmp upper case")
            << "A.BMP" << encoded(filled({10, 10}, Qt::green), "BMP") << ".bmp" << QSize(10, 10);
        QTest::newRow("png named jpg") << "really-png.jpg" << pngBytes << ".jpg" << QSize(40, 20);
        QTest::newRow("no extension") << "picture" << pngBytes << "" << QSize(40, 20);
        QTest::newRow("extension too long for the column")
            << "a.photograph" << pngBytes << ".png" << QSize(40, 20);
    }
    void jpegPngAndBmpAreStoredAndShownWhateverTheirExtension()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, ext);
        QFETCH(QSize, size);
        TMessageBoxScript boxes;
        TProcBlobObj store(QStringLiteral("hp_pict"));
        QVERIFY(store.Save(QStringLiteral("9004"), writeFile(name, bytes)));
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(extOf(9004), ext);
        TImage image;
        QVERIFY(store.Load(QStringLiteral("9004"), &image));
        QCOMPARE(image.Picture().size(), size);
    }

    void filesThatAreNoStorablePictureAreRefusedAndTheOldOneKept_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        const QByteArray pngBytes = encoded(filled({40, 20}, Qt::red), "PNG");
        QTest::newRow("text named jpg")
            << writeFile(QStringLiteral("x.jpg"), "a text, not a photo")
            << QStringLiteral("“x.jpg”不是图片文件，只能保存 JPEG、PNG 或 BMP 格式的图片！");
        QTest::newRow("gif") << writeFile(QStringLiteral("a.gif"), tinyGif())
                             << QStringLiteral(
                                    "“a.gif”不是图片文件，只能保存 JPEG、PNG 或 BMP 格式的图片！");
        QTest::newRow("empty file")
            << writeFile(QStringLiteral("empty.png"), QByteArray())
            << QStringLiteral("“empty.png”不是图片文件，只能保存 JPEG、PNG 或 BMP 格式的图片！");
        QTest::newRow("truncated png") << writeFile(QStringLiteral("cut.png"), pngBytes.left(30))
                                       << QStringLiteral("图片文件“cut.png”已损坏，无法读出图片！");
        QTest::newRow("missing file") << dir.filePath(QStringLiteral("nowhere.png"))
                                      << QStringLiteral("无法读取图片文件“nowhere.png”！");
        QTest::newRow("a folder")
            << dir.path()
            << QStringLiteral("无法读取图片文件“%1”！").arg(QFileInfo(dir.path()).fileName());
        QTest::newRow("no name") << QString() << QStringLiteral("无法读取图片文件“”！");
        // a real picture one byte over the limit
        QByteArray large = pngBytes;
        large.append(QByteArray(MaxPictureFileSize + 1 - large.size(), '\0'));
        QTest::newRow("4 MB and a byte")
            << writeFile(QStringLiteral("large.png"), large)
            << QStringLiteral(
                   "图片文件“large.png”有 4194305 字节，图片不能超过 4 MB（4194304 字节）！");
    }
    void filesThatAreNoStorablePictureAreRefusedAndTheOldOneKept()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        TProcBlobObj store(QStringLiteral("hp_pict"));
        QVERIFY(store.Save(QStringLiteral("9005"), png));
        const int rows = allRows();
        TMessageBoxScript boxes;
        QVERIFY(!store.Save(QStringLiteral("9005"), file));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, message);
        QCOMPARE(boxes.Last().Icon, TMsgIcon::Warning);
        QCOMPARE(store.Bytes(QStringLiteral("9005")), fileBytes(png));
        QCOMPARE(allRows(), rows);
        QCOMPARE(Data().Hp_Pict().ChangeCount(), 0);
    }

    void aPictureOfExactlyFourMegabytesIsStored()
    {
        QByteArray bytes = encoded(filled({40, 20}, Qt::red), "PNG");
        bytes.append(QByteArray(MaxPictureFileSize - bytes.size(), '\0')); // after the end chunk
        TProcBlobObj store(QStringLiteral("hp_pict"));
        QVERIFY(store.Save(QStringLiteral("9006"), writeFile(QStringLiteral("exact.png"), bytes)));
        QCOMPARE(store.Bytes(QStringLiteral("9006")), bytes);
        TImage image;
        QVERIFY(store.Load(QStringLiteral("9006"), &image));
    }

    void deleteRemovesOnlyThatOwnersPicture()
    {
        TProcBlobObj store(QStringLiteral("hp_pict"));
        QVERIFY(store.Save(QStringLiteral("9007"), png));
        QVERIFY(store.Save(QStringLiteral("9008"), png));
        QVERIFY(store.Delete(QStringLiteral("9007")));
        QCOMPARE(rowsOf(9007), 0);
        QCOMPARE(rowsOf(9008), 1);
        TImage image;
        image.SetPicture(filled({5, 5}, Qt::red));
        QVERIFY(!store.Load(QStringLiteral("9007"), &image));
        QVERIFY(image.IsEmpty());
        QVERIFY(store.Bytes(QStringLiteral("9007")).isEmpty());
        QVERIFY(store.Delete(QStringLiteral("9007"))); // nothing left to delete is no failure
    }

    void ownerIdsThatAreNoIntegersDoNothing_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("empty") << QString();
        QTest::newRow("blank") << QStringLiteral("  ");
        QTest::newRow("condition") << QStringLiteral("9009 or 1=1");
        QTest::newRow("statement") << QStringLiteral("9009; delete from Hp_Pict");
        QTest::newRow("decimal") << QStringLiteral("9009.5");
        QTest::newRow("too large") << QStringLiteral("99999999999999999999");
    }
    void ownerIdsThatAreNoIntegersDoNothing()
    {
        QFETCH(QString, owner);
        TProcBlobObj store(QStringLiteral("hp_pict"));
        QVERIFY(store.Save(QStringLiteral("9009"), png));
        const int rows = allRows();
        TMessageBoxScript boxes;
        QVERIFY(!store.Save(owner, jpeg));
        QVERIFY(!store.Delete(owner));
        TImage image;
        QVERIFY(!store.Load(owner, &image));
        QVERIFY(store.Bytes(owner).isEmpty());
        QCOMPARE(boxes.Count(), 0);
        QCOMPARE(allRows(), rows);
        QCOMPARE(store.Bytes(QStringLiteral("9009")), fileBytes(png));
        // blanks around a number are no reason to refuse it
        QVERIFY(!store.Bytes(QStringLiteral(" 9009 ")).isEmpty());
    }

    void aStoredBlobThatDoesNotDecodeLeavesTheImageEmpty()
    {
        TClientDataSet &pict = Data().Hp_Pict();
        world.afterTest([] { Data().Hp_Pict().Close(); });
        pict.SetCommandText(QStringLiteral("select * from Hp_Pict where id = -1"));
        pict.Open();
        const int id = QueryValue(QStringLiteral("select max(id) from Hp_Pict")).toInt() + 1;
        pict.AppendRecord(
            {id, 9010, QByteArray("\xFF\xD8\xFF\xE0 broken"), QStringLiteral(".jpg")});
        QCOMPARE(pict.ApplyUpdates(0), 0);
        pict.Close();
        TProcBlobObj store(QStringLiteral("hp_pict"));
        TImage image;
        image.SetPicture(filled({5, 5}, Qt::red));
        QVERIFY(!store.Load(QStringLiteral("9010"), &image));
        QVERIFY(image.IsEmpty());
    }

    // Two workstations save a picture at the same moment: both take max(id)+1, and the server
    // refuses the second. The refused save keeps the old picture and says so.
    void aSaveTheServerRefusesKeepsTheOldPicture()
    {
        TProcBlobObj store(QStringLiteral("hp_pict"));
        QVERIFY(store.Save(QStringLiteral("9011"), png));
        const int rows = allRows();
        auto other = world.otherClient();
        TClientDataSet &pict = *store.PictDataSet;
        int reconcileCalls = 0;
        const TDataSetEvents saved = pict.Events();
        world.afterTest([saved] { Data().Hp_Pict().Events() = saved; });
        pict.OnReconcileError = [&reconcileCalls](TClientDataSet &, EReconcileError &, TUpdateKind,
                                                  TReconcileAction &action) {
            ++reconcileCalls;
            action = raSkip;
        };
        pict.BeforeApplyUpdates = [&other](TClientDataSet &ds, QVariant &) {
            const qint64 id = ds.FieldByName(QStringLiteral("id"))->AsLargeInt();
            other->execute(
                QStringLiteral("insert into Hp_Pict (id, ygid, Ext) values (%1, 7777, '.png')")
                    .arg(id));
        };
        TMessageBoxScript boxes;
        QVERIFY(!store.Save(QStringLiteral("9011"), jpeg));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("保存图片失败！"));
        QCOMPARE(store.Bytes(QStringLiteral("9011")), fileBytes(png));
        QCOMPARE(rowsOf(9011), 1);
        QCOMPARE(allRows(), rows + 1); // the other workstation's row
        // nothing waits in the change log, and the module's reconcile handler was left out
        // and is back in place
        QVERIFY(!pict.Active());
        QCOMPARE(pict.ChangeCount(), 0);
        QCOMPARE(reconcileCalls, 0);
        QVERIFY(bool(pict.OnReconcileError));

        // the next save, with no one in the way, goes through
        pict.BeforeApplyUpdates = nullptr;
        QVERIFY(store.Save(QStringLiteral("9011"), jpeg));
        QCOMPARE(store.Bytes(QStringLiteral("9011")), fileBytes(jpeg));
    }

    void employeePhotosGoToTheirOwnTable()
    {
        QVERIFY(world.keepTables({QStringLiteral("Yg_Pict")}));
        TProcBlobObj photos(QStringLiteral("Yg_Pict"));
        QCOMPARE(photos.PictDataSet, &Data().Yg_Pict());
        const int goods = allRows();
        QVERIFY(photos.Save(QStringLiteral("9012"), jpeg));
        QCOMPARE(
            QueryValue(QStringLiteral("select count(*) from Yg_Pict where ygid = 9012")).toInt(),
            1);
        QCOMPARE(allRows(), goods);
        QVERIFY(TProcBlobObj(QStringLiteral("hp_pict")).Bytes(QStringLiteral("9012")).isEmpty());
    }

    // --- the picture window ---------------------------------------------------------------

    void theWindowShowsBesideItsOwnerScaledToFit()
    {
        QWidget owner;
        owner.setGeometry(100, 100, 400, 300);
        owner.show();
        QPointer<TFrmShowPic> window = new TFrmShowPic(&owner);
        QVERIFY(window->isHidden());
        window->ShowPicture(filled({1200, 600}, Qt::red));
        QVERIFY(window->isVisible());
        QVERIFY(window->windowFlags() & Qt::Tool);
        QVERIFY(!window->isModal());
        // the large picture shrinks into the window with its aspect kept
        const QRect shown = window->Image()->PictureRect();
        QVERIFY(shown.width() <= TFrmShowPic::MaxPictureSize().width());
        QVERIFY(qAbs(shown.width() - 2 * shown.height()) <= 2);
        QVERIFY(window->Image()->contentsRect().contains(shown));
        QCOMPARE(QColor(window->grab().toImage().pixel(window->Image()->geometry().center())),
                 QColor(Qt::red));
        // a small one grows to stay visible
        window->ShowPicture(filled({20, 40}, Qt::blue));
        const QRect small = window->Image()->PictureRect();
        QVERIFY(small.height() >= TFrmShowPic::MinPictureSize().height() - 2);
        QVERIFY(qAbs(2 * small.width() - small.height()) <= 2);
        // beside the owner, not over it
        const QRect ownerRect(owner.mapToGlobal(QPoint(0, 0)), owner.size());
        QVERIFY(!window->frameGeometry().intersects(ownerRect) ||
                window->frameGeometry().left() > ownerRect.left());
        // from stored bytes; bytes that are no picture hide it
        QVERIFY(window->ShowPicture(encoded(filled({30, 30}, Qt::green), "PNG")));
        QVERIFY(window->isVisible());
        QVERIFY(!window->ShowPicture(QByteArray("no picture")));
        QVERIFY(window->isHidden());
        QVERIFY(window->Image()->IsEmpty());
        window->ShowPicture(filled({30, 30}, Qt::green));
        window->Clear();
        QVERIFY(window->isHidden());
        QVERIFY(window);
        delete window;
    }

    void placesBesideTheOwner_data()
    {
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QPoint>("place");
        const QRect screen(0, 0, 1000, 800);
        QTest::newRow("room on the right") << QRect(100, 100, 400, 300) << QPoint(504, 100);
        QTest::newRow("room on the left only") << QRect(500, 100, 400, 300) << QPoint(296, 100);
        QTest::newRow("no room: over the right edge") << QRect(0, 0, 1000, 800) << QPoint(795, 0);
        QTest::newRow("low owner: kept on screen") << QRect(100, 700, 300, 100) << QPoint(404, 600);
    }
    void placesBesideTheOwner()
    {
        QFETCH(QRect, owner);
        QFETCH(QPoint, place);
        QCOMPARE(TFrmShowPic::PlaceBeside(owner, QSize(200, 200), QRect(0, 0, 1000, 800)), place);
    }

    void aClickOrEscClosesAndReleasesTheWindow()
    {
        QWidget owner;
        owner.show();
        QPointer<TFrmShowPic> window = new TFrmShowPic(&owner);
        window->ShowPicture(filled({100, 100}, Qt::red), true);
        QTest::mouseClick(window, Qt::LeftButton, {}, window->Image()->geometry().center());
        QTRY_VERIFY(!window);

        window = new TFrmShowPic(&owner);
        window->ShowPicture(filled({100, 100}, Qt::red), true);
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(!window);

        // the owner frees it when it goes
        window = new TFrmShowPic(&owner);
        window->ShowPicture(filled({100, 100}, Qt::red));
        QVERIFY(window);
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
