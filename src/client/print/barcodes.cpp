#include "client/print/barcodes.h"

#include "client/output/barcodelabels.h"

#include <QFontMetricsF>
#include <QPainter>

#include <memory>

#include <qrencode.h>

namespace print {

namespace {

// Left-hand odd parity (A) patterns; even parity (B) is A reversed and inverted, the right
// hand (C) is A inverted.
const char *const EanA[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                              "0110001", "0101111", "0111011", "0110111", "0001011"};
// Parity of the six left digits chosen by the first digit, 0 = A, 1 = B.
const char *const EanParity[10] = {"000000", "001011", "001101", "001110", "010011",
                                   "011001", "011100", "010101", "010110", "011010"};

QString invert(const QString &bits)
{
    QString out = bits;
    for (QChar &c : out)
        c = c == u'1' ? u'0' : u'1';
    return out;
}

int ean13Check(const QString &twelve)
{
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += twelve.at(i).digitValue() * (i % 2 == 0 ? 1 : 3);
    return (10 - sum % 10) % 10;
}

void paintModules(QPainter &painter, const QRectF &rect, const QString &modules)
{
    if (modules.isEmpty())
        return;
    const double module = rect.width() / modules.size();
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (qsizetype i = 0; i < modules.size();) {
        qsizetype j = i;
        while (j < modules.size() && modules.at(j) == modules.at(i))
            ++j;
        if (modules.at(i) == u'1')
            painter.drawRect(
                QRectF(rect.left() + i * module, rect.top(), (j - i) * module, rect.height()));
        i = j;
    }
    painter.restore();
}

QString code128Modules(const QString &text)
{
    const output::TCode128 code = output::EncodeCode128(text);
    if (!code.Ok)
        return QString();
    const QString zone(output::Code128QuietZone, u'0');
    return zone + code.ModuleString() + zone;
}

QString ean13Modules(const QString &text)
{
    const TEan13 code = EncodeEan13(text);
    if (!code.Ok)
        return QString();
    const QString zone(9, u'0');
    return zone + code.Modules + zone;
}

} // namespace

TEan13 EncodeEan13(const QString &text)
{
    TEan13 result;
    if ((text.size() != 12 && text.size() != 13) ||
        !std::all_of(text.begin(), text.end(),
                     [](QChar c) { return c.isDigit() && c.unicode() < 128; })) {
        result.Error = QStringLiteral("EAN-13 条码须为12或13位数字：%1").arg(text);
        return result;
    }
    const int check = ean13Check(text.left(12));
    if (text.size() == 13 && text.at(12).digitValue() != check) {
        result.Error = QStringLiteral("EAN-13 条码的校验位应为%1：%2").arg(check).arg(text);
        return result;
    }
    result.Digits = text.left(12) + QString::number(check);
    const char *parity = EanParity[result.Digits.at(0).digitValue()];
    QString modules = QStringLiteral("101");
    for (int i = 1; i <= 6; ++i) {
        const QString a = QString::fromLatin1(EanA[result.Digits.at(i).digitValue()]);
        if (parity[i - 1] == '0') {
            modules += a;
        } else {
            QString b = invert(a);
            std::reverse(b.begin(), b.end());
            modules += b;
        }
    }
    modules += QStringLiteral("01010");
    for (int i = 7; i <= 12; ++i)
        modules += invert(QString::fromLatin1(EanA[result.Digits.at(i).digitValue()]));
    modules += QStringLiteral("101");
    result.Modules = modules;
    result.Ok = true;
    return result;
}

bool PaintBarcode(QPainter &painter, const QRectF &rect, TBarcodeType type, const QString &text,
                  bool showText)
{
    const QString modules = type == TBarcodeType::Ean13 ? ean13Modules(text) : code128Modules(text);
    if (modules.isEmpty())
        return false;
    QRectF bars = rect;
    if (showText) {
        const QFontMetricsF metrics(painter.font(), painter.device());
        const double textHeight = std::min(metrics.height(), rect.height() / 3);
        bars.setHeight(rect.height() - textHeight);
        const QString shown = type == TBarcodeType::Ean13 ? EncodeEan13(text).Digits : text;
        painter.drawText(QRectF(rect.left(), bars.bottom(), rect.width(), textHeight),
                         Qt::AlignCenter, shown);
    }
    paintModules(painter, bars, modules);
    return true;
}

bool PaintQrCode(QPainter &painter, const QRectF &rect, const QString &text)
{
    if (text.isEmpty())
        return false;
    const QByteArray utf8 = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code)
        return false;
    const int quiet = 2;
    const int size = code->width + 2 * quiet;
    const double side = std::min(rect.width(), rect.height());
    const double module = side / size;
    const QPointF origin(rect.center().x() - side / 2 + quiet * module,
                         rect.center().y() - side / 2 + quiet * module);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                painter.drawRect(
                    QRectF(origin.x() + x * module, origin.y() + y * module, module, module));
    painter.restore();
    return true;
}

} // namespace print
