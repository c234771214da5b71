// Text in the GBK code page (code page 936), in which the system has always counted and cut
// Chinese text: one byte per ASCII character, two per Chinese character.
#pragma once

#include <string>
#include <string_view>

namespace text {

// A character GBK has no code for becomes the full-width question mark (A3 BF): two bytes, as
// every character beyond ASCII is, and one symbol for whatever reads the bytes. Malformed input
// (invalid UTF-8, an unpaired surrogate) is such a character too. Each thread keeps its own
// converters, so these may be called from any thread. They throw std::runtime_error only when
// ICU has no GBK converter, that is on a broken installation.
std::string ToGbk(std::string_view utf8);
std::string ToGbk(std::u16string_view utf16);

// Bytes that are no GBK character read as U+FFFD.
std::u16string FromGbk(std::string_view gbk);

} // namespace text
