// The mnemonic code of a name for the edit forms.
#include "client/common/pinyin.h"

#include "text/pinyin.h"

#include <exception>

QString GetPY(const QString &text)
{
    try {
        return QString::fromStdString(text::MnemonicOf(text.toStdString()));
    } catch (const std::exception &) {
        return {}; // no GBK converter: the form leaves the mnemonic empty
    }
}
