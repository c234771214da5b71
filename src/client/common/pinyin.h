// The mnemonic code ("助记码") the edit forms store beside a name.
#pragma once

#include <QString>

// The pinyin initials of the text's Chinese characters with its ASCII kept, at most five
// characters; see text::MnemonicOf.
QString GetPY(const QString &text);
