// The picture control and the recognition of picture files by content.
#include "client/widgets/image.h"

#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

TPictureFormat PictureFormatOf(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return TPictureFormat::Jpeg;
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return TPictureFormat::Png;
    // "BM" alone is two letters any text may start with; the header size that follows the
    // file header (one of the known DIB header sizes) makes it a bitmap.
    if (bytes.size() >= 18 && bytes.startsWith("BM")) {
        const auto byteAt = [&bytes](int i) {
            return quint32(quint8(bytes[i]));
        };
        const quint32 dibSize = byteAt(14) | byteAt(15) << 8 | byteAt(16) << 16 | byteAt(17) << 24;
        for (quint32 known : {12u, 40u, 52u, 56u, 64u, 108u, 124u})
            if (dibSize == known)
                return TPictureFormat::Bmp;
    }
    return TPictureFormat::Unknown;
}

QString PictureFormatName(TPictureFormat format)
{
    switch (format) {
    case TPictureFormat::Jpeg:
        return QStringLiteral("JPEG");
    case TPictureFormat::Png:
        return QStringLiteral("PNG");
    case TPictureFormat::Bmp:
        return QStringLiteral("BMP");
    case TPictureFormat::Unknown:
        break;
    }
    return {};
}

QImage DecodePicture(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true); // photographs carry their orientation
    return reader.read();
}

QRect FittedRect(const QSize &picture, const QRect &bounds)
{
    if (picture.isEmpty() || bounds.isEmpty())
        return {};
    const QSize size = picture.scaled(bounds.size(), Qt::KeepAspectRatio);
    QRect rect(QPoint(), size.expandedTo(QSize(1, 1)));
    rect.moveCenter(bounds.center());
    return rect;
}

TImage::TImage(QWidget *parent)
    : QFrame(parent)
{
    setMinimumSize(16, 16);
}

void TImage::SetPicture(const QImage &picture)
{
    m_picture = picture;
    m_scaled = QPixmap();
    update();
}

bool TImage::SetPictureBytes(const QByteArray &bytes)
{
    SetPicture(DecodePicture(bytes));
    return !IsEmpty();
}

void TImage::Clear()
{
    SetPicture(QImage());
}

QRect TImage::PictureRect() const
{
    return FittedRect(m_picture.size(), contentsRect());
}

void TImage::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QRect target = PictureRect();
    if (target.isEmpty())
        return;
    if (m_scaled.size() != target.size() * devicePixelRatio()) {
        m_scaled = QPixmap::fromImage(m_picture.scaled(
            target.size() * devicePixelRatio(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        m_scaled.setDevicePixelRatio(devicePixelRatio());
    }
    QPainter painter(this);
    painter.drawPixmap(target.topLeft(), m_scaled);
}

void TImage::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_scaled = QPixmap();
}

void TImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QFrame::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    if (OnDblClick)
        OnDblClick(*this);
    Q_EMIT doubleClicked();
}
