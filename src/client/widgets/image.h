// The picture control of the forms: a picture scaled to fit the control with its aspect kept
// and centred, and the recognition of picture files by their content rather than their name.
#pragma once

#include <QByteArray>
#include <QFrame>
#include <QImage>
#include <QPixmap>

#include <functional>

// The picture kinds the client stores, as their first bytes tell them.
enum class TPictureFormat { Unknown, Jpeg, Png, Bmp };

TPictureFormat PictureFormatOf(const QByteArray &bytes);
// "JPEG", "PNG", "BMP"; empty for Unknown.
QString PictureFormatName(TPictureFormat format);
// Decodes any picture Qt can read, recognised by content; a null image when the bytes are no
// picture, are truncated or would decode to more than the reader's memory limit.
QImage DecodePicture(const QByteArray &bytes);

// The largest rectangle of the picture's aspect that fits in bounds, centred in it. Small
// pictures are enlarged as well: the control is a stretched one.
QRect FittedRect(const QSize &picture, const QRect &bounds);

class TImage : public QFrame
{
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr);

    void SetPicture(const QImage &picture);
    // Shows the decoded bytes; false (and empty) when they do not decode.
    bool SetPictureBytes(const QByteArray &bytes);
    const QImage &Picture() const { return m_picture; }
    void Clear();
    bool IsEmpty() const { return m_picture.isNull(); }

    // Where the picture is drawn, in the control's coordinates; empty while there is none.
    QRect PictureRect() const;

    std::function<void(TImage &Sender)> OnDblClick;

Q_SIGNALS:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
    QPixmap m_scaled; // the picture at PictureRect's size, made when first painted
};
