// Bar codes and QR codes as they land on a printed page: EAN-13 encoding (Code 128 comes from
// the label printer) and painting any of them into a rectangle.
#pragma once

#include <QString>

class QPainter;
class QRectF;

namespace print {

struct TEan13
{
    bool Ok = false;
    QString Error;
    QString Digits;  // all 13, the check digit included
    QString Modules; // 95 modules, "1" for a bar
};

// Takes 12 digits (the check digit is added) or 13 (the check digit must be right).
TEan13 EncodeEan13(const QString &text);

enum class TBarcodeType { Code128, Ean13 };

// Paints the symbol across rect, bars at whole device pixels where the rect allows, with the
// human-readable text under it when showText; false (nothing painted) for a text the
// symbology cannot encode.
bool PaintBarcode(QPainter &painter, const QRectF &rect, TBarcodeType type, const QString &text,
                  bool showText);
// Paints a QR code (error correction level M) as a square centred in rect.
bool PaintQrCode(QPainter &painter, const QRectF &rect, const QString &text);

} // namespace print
