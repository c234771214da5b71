// GBK byte lengths and cuts of text.
#include "client/common/gbk.h"

#include "text/gbk.h"

#include <exception>

namespace {

int charLength(QChar c)
{
    return c.unicode() < 0x80 ? 1 : 2;
}

} // namespace

QByteArray ToGbk(const QString &text)
{
    try {
        const std::string gbk = text::ToGbk(
            std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), text.size()));
        return QByteArray(gbk.data(), qsizetype(gbk.size()));
    } catch (const std::exception &) {
        return {};
    }
}

QString FromGbk(const QByteArray &bytes)
{
    try {
        const std::u16string utf16 =
            text::FromGbk(std::string_view(bytes.constData(), bytes.size()));
        return QString(reinterpret_cast<const QChar *>(utf16.data()), qsizetype(utf16.size()));
    } catch (const std::exception &) {
        return {};
    }
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
