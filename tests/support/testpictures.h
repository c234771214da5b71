// Pictures for the tests of the picture control, the picture store and the goods forms: made
// in memory in any format Qt writes, and a GIF, which Qt reads but cannot write.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

namespace vztest {

inline QImage filled(const QSize &size, const QColor &color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

inline QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A 1 × 1 GIF.
inline QByteArray tinyGif()
{
    return QByteArray::fromHex("47494638396101000100800000ffffff00000021f90401000000002c0000000001"
                               "0001000002024401003b");
}

} // namespace vztest
