// Text encodings of the foundations: "ANSI" texts are Windows-1252 bytes; wide texts are
// UTF-16; UTF-8 is what the QR Code byte mode and the outside world use.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// Windows-1252 -> UTF-16. Every byte maps; the five bytes the code page leaves undefined
// (81, 8D, 8F, 90, 9D) map to the C1 controls of the same value, as Windows does.
std::u16string AnsiToWide(std::string_view Ansi);

// UTF-16 -> Windows-1252. A character the code page lacks becomes '?', once per
// character (a surrogate pair is one character; a lone surrogate is one too).
std::string WideToAnsi(std::u16string_view Wide);

// Whether every character of Wide has a Windows-1252 byte.
bool IsAnsiText(std::u16string_view Wide);

// UTF-16 -> UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view Wide);

// UTF-8 -> UTF-16; each malformed or overlong sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view Utf8);

} // namespace kx
