// GBK byte lengths and cuts of text.
#include "client/common/gbk.h"

#include <unicode/ucnv.h>

#include <memory>

namespace {

struct ConverterCloser
{
    void operator()(UConverter *converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr openGbk()
{
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open("GBK", &status));
    if (U_FAILURE(status))
        return nullptr;
    return converter;
}

int charLength(QChar c)
{
    return c.unicode() < 0x80 ? 1 : 2;
}

} // namespace

QByteArray ToGbk(const QString &text)
{
    ConverterPtr converter = openGbk();
    if (!converter || text.isEmpty())
        return {};
    QByteArray out(text.size() * 2 + 8, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(converter.get(), out.data(), int32_t(out.size()),
                                      reinterpret_cast<const UChar *>(text.utf16()),
                                      int32_t(text.size()), &status);
    if (U_FAILURE(status))
        return {};
    out.resize(n);
    return out;
}

QString FromGbk(const QByteArray &bytes)
{
    ConverterPtr converter = openGbk();
    if (!converter || bytes.isEmpty())
        return {};
    QString out(bytes.size() + 8, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n =
        ucnv_toUChars(converter.get(), reinterpret_cast<UChar *>(out.data()), int32_t(out.size()),
                      bytes.constData(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return {};
    out.resize(n);
    return out;
}

int GbkLength(const QString &text)
{
    // GBK is one byte for ASCII and two for everything it encodes beyond it; counting per
    // code unit avoids a converter for a question asked on every report window.
    int length = 0;
    for (const QChar c : text)
        length += charLength(c);
    return length;
}

QString GbkDropLast(const QString &text, int bytes)
{
    int cut = text.size();
    while (bytes > 0 && cut > 0) {
        bytes -= charLength(text.at(cut - 1));
        --cut;
    }
    return text.left(cut);
}
