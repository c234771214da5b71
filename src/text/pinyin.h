// The mnemonic code of a name ("助记码"): the initial letters of the pinyin of its Chinese
// characters, with ASCII kept, cut to five characters. Users search lists by it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

inline constexpr size_t MnemonicLength = 5;

// The mnemonic of GBK bytes, walked byte by byte: a byte up to 127 is kept as it is; a byte
// above starts a two-byte character, which gives its initial letter, or "V" for a character
// that is no GB2312 hanzi (symbols, GBK's extensions) and for a lead byte at the very end.
std::string GetPY(std::string_view gbk);

// The mnemonic of UTF-8 text: GetPY of its GBK bytes. A character GBK cannot encode gives one
// "V". Safe to call from any thread.
std::string MnemonicOf(std::string_view utf8);

} // namespace text
