// The report designer: edits as undoable steps on the template, snapping, saving and loading
// back to the same printed page, and a drag with the mouse on the design page.
#include "client/print/demonote.h"
#include "client/print/reportdesign.h"
#include "client/print/reportdesigner.h"
#include "client/print/reportdesignview.h"
#include "client/print/reportpreview.h"
#include "client/widgets/messagebox.h"

#include <QAction>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace print;

namespace {

QString deliveryNoteFile()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Reports/销售出库单.rtm");
}

TReportTemplate deliveryNote()
{
    TReportTemplate t;
    QString error;
    EXPECT_TRUE(LoadReportTemplate(deliveryNoteFile(), t, &error)) << error.toStdString();
    return t;
}

QImage firstPage(const TReportTemplate &t)
{
    const TReport report(t);
    const TReportValues note = DemoDeliveryNote(18);
    return TReportRenderer(report, note).PageImage(0, 96);
}

int bandOf(const TReportTemplate &t, TBandKind kind)
{
    for (int i = 0; i < t.Bands.size(); ++i)
        if (t.Bands.at(i).Kind == kind)
            return i;
    return -1;
}

std::unique_ptr<TfrmReportDesigner> openDesigner(const QString &file)
{
    auto report = std::make_unique<TReport>();
    QString error;
    EXPECT_TRUE(LoadReportTemplate(file, report->Template(), &error)) << error.toStdString();
    return std::make_unique<TfrmReportDesigner>(
        std::move(report), std::make_unique<TReportValues>(DemoDeliveryNote(18)),
        QStringLiteral("销售出库单"), file);
}

} // namespace

TEST(ReportDesign, SnapRoundsToTheGrid)
{
    const struct
    {
        double mm, grid, snapped;
    } cases[] = {
        {10.37, 1, 10}, {10.5, 1, 11}, {10.49, 1, 10}, {-0.4, 1, 0},    {2.4999999, 0.5, 2.5},
        {7.3, 2, 8},    {7.3, 0, 7.3}, {0, 1, 0},      {99.96, 1, 100},
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(SnapToGrid(c.mm, c.grid), c.snapped) << c.mm << " on " << c.grid;

    TReportTemplate t = deliveryNote();
    TReportDesign design(t);
    const int detail = bandOf(t, TBandKind::Detail);
    ASSERT_GE(detail, 0);
    ASSERT_TRUE(design.MoveItem({detail, 0}, QPointF(12.37, 1.62)));
    EXPECT_EQ(t.Bands.at(detail).Items.at(0).Rect.topLeft(), QPointF(12, 2));
    ASSERT_TRUE(design.ResizeItem({detail, 0}, QSizeF(20.4, 5.5)));
    EXPECT_EQ(t.Bands.at(detail).Items.at(0).Rect.size(), QSizeF(20, 6));
    design.SetSnapping(false);
    ASSERT_TRUE(design.MoveItem({detail, 0}, QPointF(12.37, 1.62)));
    EXPECT_EQ(t.Bands.at(detail).Items.at(0).Rect.topLeft(), QPointF(12.37, 1.62));
}

TEST(ReportDesign, EditedSavedAndReloadedPrintsTheSame)
{
    TReportTemplate t = deliveryNote();
    const QByteArray original = TemplateToJson(t);
    const QImage before = firstPage(t);
    TReportDesign design(t);
    const int title = bandOf(t, TBandKind::Title);
    ASSERT_GE(title, 0);

    ASSERT_TRUE(design.MoveItem({title, 0}, QPointF(20, 3)));
    ASSERT_TRUE(design.ResizeItem({title, 0}, QSizeF(90, 9)));
    TReportItem added;
    added.Text = QStringLiteral("单号：[DJBH]");
    added.Rect = QRectF(100, 2, 60, 6);
    const TItemRef ref = design.AddItem(title, added);
    ASSERT_NE(design.Item(ref), nullptr);
    TReportItem changed = *design.Item(ref);
    changed.Font.PointSize = 14;
    changed.Font.Bold = true;
    changed.Align = Qt::AlignRight | Qt::AlignVCenter;
    ASSERT_TRUE(design.SetItem(ref, changed));
    ASSERT_TRUE(design.SetBandHeight(title, t.Bands.at(title).Height + 4));
    EXPECT_EQ(design.UndoStack().count(), 5);

    const QImage edited = firstPage(t);
    EXPECT_NE(edited, before);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("edited.rtm"));
    QString error;
    ASSERT_TRUE(SaveReportTemplate(file, t, &error)) << error.toStdString();
    TReportTemplate reloaded;
    ASSERT_TRUE(LoadReportTemplate(file, reloaded, &error)) << error.toStdString();
    EXPECT_EQ(reloaded, t);
    EXPECT_EQ(firstPage(reloaded), edited);

    while (design.UndoStack().canUndo())
        design.UndoStack().undo();
    EXPECT_EQ(TemplateToJson(t), original);
    EXPECT_EQ(firstPage(t), before);
    design.UndoStack().redo();
    EXPECT_EQ(t.Bands.at(title).Items.at(0).Rect.topLeft(), QPointF(20, 3));
}

TEST(ReportDesign, RefusedEditsLeaveTheTemplate)
{
    TReportTemplate t = deliveryNote();
    const TReportTemplate original = t;
    TReportDesign design(t);
    const int detail = bandOf(t, TBandKind::Detail);
    TReportItem huge = t.Bands.at(detail).Items.at(0);
    huge.Font.PointSize = 500;
    EXPECT_FALSE(design.SetItem({detail, 0}, huge));
    EXPECT_FALSE(design.LastError().isEmpty());
    // A detail line taller than the paper would never end the pages.
    EXPECT_FALSE(design.SetBandHeight(detail, 900));
    EXPECT_FALSE(design.MoveItem({detail, 999}, QPointF(1, 1)));
    EXPECT_FALSE(design.DeleteItem({99, 0}));
    EXPECT_EQ(design.AddItem(-1, huge), TItemRef());
    EXPECT_EQ(t, original);
    EXPECT_EQ(design.UndoStack().count(), 0);
}

TEST(ReportDesigner, DragMovesTheItemBySnappedDistance)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("note.rtm"));
    ASSERT_TRUE(QFile::copy(deliveryNoteFile(), file));
    auto designer = openDesigner(file);
    EXPECT_EQ(designer->tabPages->currentIndex(), 0);
    EXPECT_EQ(designer->tabPages->tabText(0), QStringLiteral("预览"));
    designer->tabPages->setCurrentIndex(1);
    designer->show();
    TReportDesignView &view = designer->View();
    const TReportTemplate &t = designer->Design().Template();
    const int title = bandOf(t, TBandKind::Title);
    const TItemRef ref{title, 0};
    const QRectF start = t.Bands.at(title).Items.at(0).Rect;
    const QPoint grab = view.ItemRect(ref).center().toPoint();
    const double perMm = view.PixelsPerMm();
    // 10.3 mm right and 3.4 mm down lands 10 and 3 mm away on the grid.
    const QPoint to = grab + QPoint(qRound(10.3 * perMm), qRound(3.4 * perMm));
    QTest::mousePress(&view, Qt::LeftButton, {}, grab);
    EXPECT_EQ(view.Selected(), ref);
    QTest::mouseMove(&view, grab + QPoint(5, 5));
    QTest::mouseMove(&view, to);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
    const QRectF moved = t.Bands.at(title).Items.at(0).Rect;
    EXPECT_DOUBLE_EQ(moved.x(), SnapToGrid(start.x() + 10, 1));
    EXPECT_DOUBLE_EQ(moved.y(), SnapToGrid(start.y() + 3, 1));
    EXPECT_EQ(moved.size(), start.size());
    EXPECT_DOUBLE_EQ(designer->sbLeft->value(), moved.x());

    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_DOUBLE_EQ(t.Bands.at(title).Items.at(0).Rect.x(), moved.x() + 1);
    designer->aUndo->trigger();
    designer->aUndo->trigger();
    EXPECT_EQ(t.Bands.at(title).Items.at(0).Rect, start);

    designer->AddItem(TItemKind::QrCode);
    EXPECT_EQ(view.Selected().Band, title);
    designer->sbFontSize->setValue(12);
    EXPECT_EQ(designer->Design().Item(view.Selected())->Font.PointSize, 12);
    ASSERT_TRUE(designer->Save());
    TReportTemplate saved;
    ASSERT_TRUE(LoadReportTemplate(file, saved, nullptr));
    EXPECT_EQ(saved, t);

    // The preview shows the edited template.
    designer->tabPages->setCurrentIndex(0);
    const QImage shown = designer->Preview().imgPage->pixmap().toImage();
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32),
              firstPage(t).convertToFormat(QImage::Format_RGB32));

    if (const QByteArray shot = qgetenv("VZ_DESIGNER_SHOT"); !shot.isEmpty()) {
        designer->tabPages->setCurrentIndex(1);
        designer->grab().save(QString::fromLocal8Bit(shot));
    }
}

TEST(ReportDesigner, ResizeHandleAndClosingWithChanges)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("note.rtm"));
    ASSERT_TRUE(QFile::copy(deliveryNoteFile(), file));
    const TReportTemplate onDisk = deliveryNote();
    auto designer = openDesigner(file);
    designer->tabPages->setCurrentIndex(1);
    designer->show();
    TReportDesignView &view = designer->View();
    const TReportTemplate &t = designer->Design().Template();
    const int detail = bandOf(t, TBandKind::Detail);
    const TItemRef ref{detail, 1};
    const QRectF start = t.Bands.at(detail).Items.at(1).Rect;
    view.Select(ref);
    // The handle sits on the bottom right corner; 5.2 mm wider snaps to 5 mm.
    const QPoint corner = view.ItemRect(ref).bottomRight().toPoint();
    const QPoint to = corner + QPoint(qRound(5.2 * view.PixelsPerMm()), 0);
    QTest::mousePress(&view, Qt::LeftButton, {}, corner);
    QTest::mouseMove(&view, to);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
    const QRectF resized = t.Bands.at(detail).Items.at(1).Rect;
    EXPECT_EQ(resized.topLeft(), start.topLeft());
    EXPECT_DOUBLE_EQ(resized.width(), SnapToGrid(start.width() + 5, 1));
    EXPECT_DOUBLE_EQ(resized.height(), SnapToGrid(start.height(), 1));

    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(t.Bands.at(detail).Items.size(), onDisk.Bands.at(detail).Items.size() - 1);

    {
        TMessageBoxScript answers{mrCancel};
        designer->accept();
        EXPECT_EQ(answers.Count(), 1);
        EXPECT_TRUE(designer->isVisible());
    }
    {
        TMessageBoxScript answers{mrNo};
        designer->accept();
        EXPECT_FALSE(designer->isVisible());
    }
    TReportTemplate kept;
    ASSERT_TRUE(LoadReportTemplate(file, kept, nullptr));
    EXPECT_EQ(kept, onDisk);

    designer->show();
    {
        TMessageBoxScript answers{mrYes};
        designer->reject();
        EXPECT_FALSE(designer->isVisible());
    }
    ASSERT_TRUE(LoadReportTemplate(file, kept, nullptr));
    EXPECT_EQ(kept, t);
}

namespace {

// A picture file of the given size in pixels, in the format Qt names ("PNG", "JPG", "BMP").
QString writePicture(const QTemporaryDir &dir, const QString &name, QSize size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0x30, 0x80, 0xc0));
    const QString file = dir.filePath(name);
    EXPECT_TRUE(image.save(file, format)) << name.toStdString();
    return file;
}

QByteArray fileBytes(const QString &file)
{
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

void writeBytes(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(ReportDesign, NudgesOfOneItemAreOneUndoStep)
{
    TReportTemplate t = deliveryNote();
    const TReportTemplate original = t;
    TReportDesign design(t);
    const int title = bandOf(t, TBandKind::Title);
    const TItemRef first{title, 0}, second{title, 1};
    ASSERT_NE(design.Item(second), nullptr);
    const QRectF start = t.Bands.at(title).Items.at(0).Rect;

    for (int i = 1; i <= 10; ++i)
        ASSERT_TRUE(design.MoveItem(first, start.topLeft() + QPointF(i, 0), TEditStep::Nudge));
    EXPECT_EQ(design.UndoStack().count(), 1);
    EXPECT_EQ(t.Bands.at(title).Items.at(0).Rect.x(), start.x() + 10);
    // Growing it is a step of its own, and so is nudging another item.
    ASSERT_TRUE(design.ResizeItem(first, start.size() + QSizeF(1, 0), TEditStep::Nudge));
    ASSERT_TRUE(design.ResizeItem(first, start.size() + QSizeF(2, 0), TEditStep::Nudge));
    EXPECT_EQ(design.UndoStack().count(), 2);
    const QPointF secondAt = t.Bands.at(title).Items.at(1).Rect.topLeft();
    ASSERT_TRUE(design.MoveItem(second, secondAt + QPointF(0, 1), TEditStep::Nudge));
    EXPECT_EQ(design.UndoStack().count(), 3);
    // A move that is not a nudge never takes nudges into its step.
    ASSERT_TRUE(design.MoveItem(first, QPointF(3, 1)));
    ASSERT_TRUE(design.MoveItem(first, QPointF(4, 1), TEditStep::Nudge));
    EXPECT_EQ(design.UndoStack().count(), 5);

    design.UndoStack().undo();
    EXPECT_EQ(t.Bands.at(title).Items.at(0).Rect.topLeft(), QPointF(3, 1));
    while (design.UndoStack().canUndo())
        design.UndoStack().undo();
    EXPECT_EQ(t, original);

    // Nudged there and back leaves nothing to undo.
    design.UndoStack().clear();
    ASSERT_TRUE(design.MoveItem(first, start.topLeft() + QPointF(1, 0), TEditStep::Nudge));
    ASSERT_TRUE(design.MoveItem(first, start.topLeft(), TEditStep::Nudge));
    EXPECT_EQ(design.UndoStack().count(), 0);
    EXPECT_EQ(t, original);
    // After a save the next nudge starts a step, so undo never goes past the saved state unseen.
    ASSERT_TRUE(design.MoveItem(first, start.topLeft() + QPointF(1, 0), TEditStep::Nudge));
    design.UndoStack().setClean();
    ASSERT_TRUE(design.MoveItem(first, start.topLeft() + QPointF(2, 0), TEditStep::Nudge));
    EXPECT_EQ(design.UndoStack().count(), 2);
    design.UndoStack().undo();
    EXPECT_TRUE(design.UndoStack().isClean());
}

TEST(ReportDesign, MovesAnItemIntoAnotherBand)
{
    TReportTemplate t = deliveryNote();
    const TReportTemplate original = t;
    TReportDesign design(t);
    const int title = bandOf(t, TBandKind::Title);
    const int summary = bandOf(t, TBandKind::Summary);
    ASSERT_GE(summary, 0);
    const TReportItem moving = t.Bands.at(title).Items.at(0);
    const qsizetype summaryItems = t.Bands.at(summary).Items.size();

    const TItemRef moved = design.MoveItemToBand({title, 0}, summary, QPointF(12.4, 2.6));
    ASSERT_EQ(moved, (TItemRef{summary, int(summaryItems)}));
    EXPECT_EQ(t.Bands.at(title).Items.size(), original.Bands.at(title).Items.size() - 1);
    TReportItem landed = moving;
    landed.Rect.moveTopLeft(QPointF(12, 3));
    EXPECT_EQ(*design.Item(moved), landed);
    EXPECT_EQ(design.UndoStack().count(), 1);
    design.UndoStack().undo();
    EXPECT_EQ(t, original);
    design.UndoStack().redo();
    EXPECT_EQ(*design.Item(moved), landed);

    // Into its own band it is a plain move and keeps its place among the band's items.
    EXPECT_EQ(design.MoveItemToBand(moved, summary, QPointF(1, 1)), moved);
    EXPECT_EQ(design.Item(moved)->Rect.topLeft(), QPointF(1, 1));

    const TReportTemplate before = t;
    EXPECT_EQ(design.MoveItemToBand(moved, int(t.Bands.size()), QPointF(1, 1)), TItemRef());
    EXPECT_EQ(design.MoveItemToBand(moved, -1, QPointF(1, 1)), TItemRef());
    EXPECT_EQ(design.MoveItemToBand({title, 99}, summary, QPointF(1, 1)), TItemRef());
    EXPECT_FALSE(design.LastError().isEmpty());
    EXPECT_EQ(t, before);
    EXPECT_EQ(design.UndoStack().count(), 2);
}

TEST(ReportDesign, PictureFilesArePngOrJpegUpToTheLimit)
{
    QTemporaryDir dir;
    const QString png = writePicture(dir, QStringLiteral("logo.png"), {120, 60}, "PNG");
    // A PNG padded to exactly the limit still reads; one byte more is refused unread.
    const QString atLimit = dir.filePath(QStringLiteral("big.png"));
    writeBytes(atLimit, fileBytes(png).leftJustified(MaxPictureBytes, '\0'));
    const QString overLimit = dir.filePath(QStringLiteral("huge.png"));
    writeBytes(overLimit, fileBytes(png).leftJustified(MaxPictureBytes + 1, '\0'));
    const QString text = dir.filePath(QStringLiteral("notes.png"));
    writeBytes(text, "not a picture");
    const QString empty = dir.filePath(QStringLiteral("empty.jpg"));
    writeBytes(empty, {});
    // A broken PNG: its header and then nothing.
    const QString cut = dir.filePath(QStringLiteral("cut.png"));
    writeBytes(cut, fileBytes(png).left(40));

    const struct
    {
        QString file;
        bool read;
        const char *says; // in the refusal
    } cases[] = {
        {png, true, ""},
        {writePicture(dir, QStringLiteral("photo.jpg"), {64, 48}, "JPG"), true, ""},
        // Named .png, but a JPEG inside: what matters is the content.
        {[&] {
             const QString file = dir.filePath(QStringLiteral("renamed.png"));
             writeBytes(file, fileBytes(writePicture(dir, QStringLiteral("r.jpg"), {8, 8}, "JPG")));
             return file;
         }(),
         true, ""},
        {atLimit, true, ""},
        {overLimit, false, "1024 KB"},
        // Endless: read only as far as the limit.
        {QStringLiteral("/dev/zero"), false, "1024 KB"},
        {writePicture(dir, QStringLiteral("scan.bmp"), {16, 16}, "BMP"), false, "PNG"},
        {text, false, "PNG"},
        {empty, false, "PNG"},
        {cut, false, "PNG"},
        {dir.filePath(QStringLiteral("missing.png")), false, "无法打开"},
    };
    for (const auto &c : cases) {
        QByteArray bytes = "kept";
        QString error;
        EXPECT_EQ(ReadPictureFile(c.file, bytes, &error), c.read) << c.file.toStdString();
        if (c.read) {
            EXPECT_EQ(bytes, fileBytes(c.file)) << c.file.toStdString();
        } else {
            EXPECT_EQ(bytes, "kept") << c.file.toStdString();
            EXPECT_TRUE(error.contains(c.file)) << error.toStdString();
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << error.toStdString();
        }
    }
}

TEST(ReportDesigner, DraggingABandEdgeSetsItsHeight)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("note.rtm"));
    ASSERT_TRUE(QFile::copy(deliveryNoteFile(), file));
    auto designer = openDesigner(file);
    designer->tabPages->setCurrentIndex(1);
    designer->show();
    TReportDesignView &view = designer->View();
    const TReportTemplate &t = designer->Design().Template();
    const int title = bandOf(t, TBandKind::Title);
    const int detail = bandOf(t, TBandKind::Detail);
    const double perMm = view.PixelsPerMm();
    const double titleHeight = t.Bands.at(title).Height;

    // The cursor says where the edge can be taken.
    const QPoint onEdge(200, qRound(view.BandRect(title).bottom()) + 2);
    const QPoint inside = view.BandRect(title).center().toPoint();
    EXPECT_EQ(view.BandEdgeAt(onEdge), title);
    QTest::mouseMove(&view, onEdge);
    EXPECT_EQ(view.cursor().shape(), Qt::SizeVerCursor);
    QTest::mouseMove(&view, inside);
    EXPECT_NE(view.cursor().shape(), Qt::SizeVerCursor);

    // 6.3 mm lower snaps to 6 mm more, in one step however many moves the drag takes.
    const QPoint to = onEdge + QPoint(0, qRound(6.3 * perMm));
    QTest::mousePress(&view, Qt::LeftButton, {}, onEdge);
    QTest::mouseMove(&view, onEdge + QPoint(0, 4));
    QTest::mouseMove(&view, onEdge + QPoint(0, 12));
    QTest::mouseMove(&view, to);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
    EXPECT_DOUBLE_EQ(t.Bands.at(title).Height, SnapToGrid(titleHeight + 6, 1));
    EXPECT_EQ(designer->Design().UndoStack().count(), 1);
    EXPECT_EQ(view.CurrentBand(), title);
    EXPECT_DOUBLE_EQ(designer->sbBandHeight->value(), t.Bands.at(title).Height);
    designer->aUndo->trigger();
    EXPECT_DOUBLE_EQ(t.Bands.at(title).Height, titleHeight);

    // Without the grid it follows the pointer.
    designer->aSnap->setChecked(false);
    const QPoint edge(200, qRound(view.BandRect(title).bottom()));
    QTest::mousePress(&view, Qt::LeftButton, {}, edge);
    QTest::mouseMove(&view, edge + QPoint(0, -qRound(2.3 * perMm)));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, edge + QPoint(0, -qRound(2.3 * perMm)));
    EXPECT_NEAR(t.Bands.at(title).Height, titleHeight - qRound(2.3 * perMm) / perMm, 1e-9);
    designer->aSnap->setChecked(true);

    // A detail line taller than the page is refused with the reason, and nothing changes.
    const TReportTemplate before = t;
    const int count = designer->Design().UndoStack().count();
    const QPoint detailEdge(200, qRound(view.BandRect(detail).bottom()) + 1);
    const QPoint far = detailEdge + QPoint(0, qRound(400 * perMm));
    TMessageBoxScript answers{mrOk};
    QTest::mousePress(&view, Qt::LeftButton, {}, detailEdge);
    QTest::mouseMove(&view, far);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, far);
    EXPECT_EQ(answers.Count(), 1);
    EXPECT_TRUE(answers.Last().Text.contains(QStringLiteral("超过了纸张")))
        << answers.Last().Text.toStdString();
    EXPECT_EQ(t, before);
    EXPECT_EQ(designer->Design().UndoStack().count(), count);
    EXPECT_DOUBLE_EQ(view.BandRect(detail).height(), t.Bands.at(detail).Height * perMm);
}

TEST(ReportDesigner, DraggingAnItemIntoAnotherBand)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("note.rtm"));
    ASSERT_TRUE(QFile::copy(deliveryNoteFile(), file));
    auto designer = openDesigner(file);
    designer->tabPages->setCurrentIndex(1);
    designer->show();
    TReportDesignView &view = designer->View();
    const TReportTemplate &t = designer->Design().Template();
    const TReportTemplate original = t;
    const int title = bandOf(t, TBandKind::Title);
    const int summary = bandOf(t, TBandKind::Summary);
    const double perMm = view.PixelsPerMm();
    const TItemRef ref{title, 0};
    const TReportItem item = t.Bands.at(title).Items.at(0);

    // Grabbed near its top left and dropped so that corner is 4.2 mm right of where it was and
    // 2.2 mm below the summary band's top.
    const QPointF corner = view.ItemRect(ref).topLeft();
    const QPoint grab = (corner + QPointF(3, 3)).toPoint();
    const QPointF landing(corner.x() + 4.2 * perMm, view.BandRect(summary).top() + 2.2 * perMm);
    const QPoint drop = grab + (landing - corner).toPoint();
    ASSERT_TRUE(view.BandRect(summary).contains(drop));
    QTest::mousePress(&view, Qt::LeftButton, {}, grab);
    QTest::mouseMove(&view, grab + QPoint(0, 20));
    QTest::mouseMove(&view, drop);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, drop);

    const TItemRef landed{summary, int(original.Bands.at(summary).Items.size())};
    ASSERT_NE(designer->Design().Item(landed), nullptr);
    EXPECT_EQ(view.Selected(), landed);
    EXPECT_EQ(view.CurrentBand(), summary);
    TReportItem expected = item;
    expected.Rect.moveTopLeft(QPointF(SnapToGrid(item.Rect.x() + 4, 1), 2));
    EXPECT_EQ(*designer->Design().Item(landed), expected);
    EXPECT_EQ(t.Bands.at(title).Items.size(), original.Bands.at(title).Items.size() - 1);
    EXPECT_EQ(designer->Design().UndoStack().count(), 1);
    EXPECT_DOUBLE_EQ(designer->sbTop->value(), 2);

    // Dropped on a caption strip it stays in its band.
    const QRectF landedRect = view.ItemRect(landed);
    const QPoint from = landedRect.center().toPoint();
    const QPoint strip(from.x(), qRound(view.BandRect(summary).top()) - 6);
    ASSERT_EQ(view.BandEdgeAt(strip), -1);
    QTest::mousePress(&view, Qt::LeftButton, {}, from);
    QTest::mouseMove(&view, strip);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, strip);
    EXPECT_EQ(designer->Design().Item(landed)->Rect.y(), 0);
    EXPECT_EQ(designer->Design().UndoStack().count(), 2);

    designer->aUndo->trigger();
    designer->aUndo->trigger();
    EXPECT_EQ(t, original);
    EXPECT_EQ(view.Selected(), TItemRef());
}

TEST(ReportDesigner, ArrowPressesOnOneItemUndoAtOnce)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("note.rtm"));
    ASSERT_TRUE(QFile::copy(deliveryNoteFile(), file));
    auto designer = openDesigner(file);
    designer->tabPages->setCurrentIndex(1);
    designer->show();
    TReportDesignView &view = designer->View();
    const TReportTemplate &t = designer->Design().Template();
    const int detail = bandOf(t, TBandKind::Detail);
    const TItemRef ref{detail, 2};
    const QRectF start = t.Bands.at(detail).Items.at(2).Rect;
    view.Select(ref);

    for (int i = 0; i < 10; ++i)
        QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Down);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(t.Bands.at(detail).Items.at(2).Rect.topLeft(),
              QPointF(SnapToGrid(start.x() + 10, 1), SnapToGrid(start.y() + 1, 1)));
    EXPECT_EQ(designer->Design().UndoStack().count(), 2);

    designer->aUndo->trigger();
    EXPECT_EQ(t.Bands.at(detail).Items.at(2).Rect.size(), start.size());
    designer->aUndo->trigger();
    EXPECT_EQ(t.Bands.at(detail).Items.at(2).Rect, start);

    // Picking another item in between ends the run.
    QTest::keyClick(&view, Qt::Key_Left);
    view.Select({detail, 1});
    QTest::keyClick(&view, Qt::Key_Left);
    view.Select(ref);
    QTest::keyClick(&view, Qt::Key_Left);
    EXPECT_EQ(designer->Design().UndoStack().count(), 3);
}

TEST(ReportDesigner, PictureFromTheToolBarAndReplacedInThePanel)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("note.rtm"));
    ASSERT_TRUE(QFile::copy(deliveryNoteFile(), file));
    const QString logo = writePicture(dir, QStringLiteral("logo.png"), {200, 50}, "PNG");
    const QString photo = writePicture(dir, QStringLiteral("photo.jpg"), {30, 60}, "JPG");
    const QString huge = dir.filePath(QStringLiteral("huge.png"));
    writeBytes(huge, fileBytes(logo).leftJustified(MaxPictureBytes + 1, '\0'));
    const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
    writeBytes(broken, "JFIF but not really");

    auto designer = openDesigner(file);
    designer->tabPages->setCurrentIndex(1);
    designer->show();
    QStringList answers;
    designer->SetPictureChooser([&](QWidget *) { return answers.takeFirst(); });
    TReportDesignView &view = designer->View();
    const TReportTemplate &t = designer->Design().Template();
    const TReportTemplate original = t;
    const int title = bandOf(t, TBandKind::Title);
    view.Select({title, 0});

    // Cancelled, too large, unreadable: nothing is added, and the refusals say why.
    {
        TMessageBoxScript boxes{mrOk, mrOk};
        answers = {QString(), huge, broken};
        for (int i = 0; i < 3; ++i)
            designer->aPicture->trigger();
        ASSERT_EQ(boxes.Count(), 2);
        EXPECT_TRUE(boxes.Requests().at(0).Text.contains(QStringLiteral("1024 KB")))
            << boxes.Requests().at(0).Text.toStdString();
        EXPECT_TRUE(boxes.Requests().at(1).Text.contains(broken));
    }
    EXPECT_EQ(t, original);

    answers = {logo};
    designer->aPicture->trigger();
    const TItemRef added = view.Selected();
    ASSERT_EQ(added.Band, title);
    const TReportItem *picture = designer->Design().Item(added);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Kind, TItemKind::Picture);
    EXPECT_EQ(picture->Picture, fileBytes(logo));
    // Shaped like the picture: 200 by 50 pixels in 40 by 20 mm.
    EXPECT_EQ(picture->Rect, QRectF(0, 0, 40, 10));
    EXPECT_TRUE(designer->btnPicture->isEnabled());

    answers = {photo};
    designer->btnPicture->click();
    EXPECT_EQ(designer->Design().Item(added)->Picture, fileBytes(photo));
    EXPECT_EQ(designer->Design().UndoStack().count(), 2);
    designer->aUndo->trigger();
    EXPECT_EQ(designer->Design().Item(added)->Picture, fileBytes(logo));
    designer->aRedo->trigger();

    // Kept in the file and read back byte for byte.
    ASSERT_TRUE(designer->Save());
    TReportTemplate saved;
    ASSERT_TRUE(LoadReportTemplate(file, saved, nullptr));
    EXPECT_EQ(saved.Bands.at(title).Items.at(added.Item).Picture, fileBytes(photo));

    view.Select({title, 0});
    EXPECT_FALSE(designer->btnPicture->isEnabled());
}
