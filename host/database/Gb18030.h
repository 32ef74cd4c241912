// Text saved in the GB18030 code page (what Chinese spreadsheet programs write by default) turned
// into UTF-8, the encoding the database stores.
#pragma once

#include <string>
#include <string_view>

namespace Gb18030 {

// Appends the UTF-8 form of bytes to out. False when bytes are not GB18030 text (a lead byte
// without its trail bytes, a byte no code starts with); out then holds the text up to there.
bool toUtf8(std::string_view bytes, std::string& out);

// Appends code point c to out as UTF-8.
void appendUtf8(char32_t c, std::string& out);

} // namespace Gb18030
