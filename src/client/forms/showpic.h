// The floating picture window: a small frameless tool window beside the form that owns it,
// showing one picture scaled to fit with its aspect kept. A click on it or Esc closes it, and
// closing releases it, so its owner keeps it in a QPointer.
#pragma once

#include "client/forms/rootform.h"

#include <QByteArray>
#include <QImage>
#include <QPointer>
#include <QTimer>

#include <functional>

class TImage;

class TFrmShowPic : public TFrmRoot
{
    Q_OBJECT
public:
    // The window belongs to owner (a form), stays above it and is placed beside it.
    explicit TFrmShowPic(QWidget *owner);

    // Shows the picture, the window sized to it (within MaxPictureSize) and placed beside its
    // owner. A list keeps the focus while the window follows its current row; activate
    // gives the window the focus (for a picture the user asked to enlarge). An empty picture
    // hides the window.
    void ShowPicture(const QImage &picture, bool activate = false);
    // The same for stored bytes; false (and hidden) when they do not decode.
    bool ShowPicture(const QByteArray &bytes, bool activate = false);
    // Empties the picture and hides the window.
    void Clear();
    // A list's window following its current row: shows the row's stored picture in window,
    // made beside owner on first use; a row without one hides it rather than leave an empty
    // window over the list.
    static void FollowRow(QPointer<TFrmShowPic> &window, QWidget *owner, const QByteArray &bytes);
    // An edit form's picture enlarged on request, in a window of its own that releases itself
    // when closed; nothing for an empty image.
    static void Enlarge(QWidget *owner, const TImage &image);

    TImage *Image() const { return m_image; }

    // The picture's size within which the window grows with the picture.
    static QSize MaxPictureSize() { return {480, 480}; }
    // Smaller pictures are enlarged to this, so that a thumbnail stays visible.
    static QSize MinPictureSize() { return {160, 160}; }

    // Where the window goes: right of the owner, else left of it, else over the owner's right
    // edge, inside the available screen area.
    static QPoint PlaceBeside(const QRect &owner, const QSize &window, const QRect &screen);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void fitToPicture();
    QRect ownerRect() const;

    TImage *m_image;
};

// A list's picture window that follows its current row (the goods and employee lists): the
// row's picture shows a moment after the row changes while the list is active (moving fast
// through the list reads one picture, not one per row), and the window goes when the list
// hands the focus to another window.
class TRowPictureFollower
{
public:
    // currentBytes: the current row's stored picture, empty when it has none.
    TRowPictureFollower(QWidget *list, std::function<QByteArray()> currentBytes);
    ~TRowPictureFollower();
    TRowPictureFollower(const TRowPictureFollower &) = delete;
    TRowPictureFollower &operator=(const TRowPictureFollower &) = delete;

    // The list's events.
    void RowChanged();
    void Activated();
    void ActivationChanged();
    // Shows the current row's picture at once.
    void ShowNow();
    // Closes the window (the list closes).
    void Close();

    TFrmShowPic *Window() const { return m_window; }

private:
    QWidget *m_list;
    std::function<QByteArray()> m_currentBytes;
    QPointer<TFrmShowPic> m_window;
    QTimer m_timer;
};
