#include "core/KXCodec1252.h"

#include <array>
#include <cstdint>

namespace kx {

namespace {

// Windows-1252 bytes 80..9F (the rest equal their code points, ISO 8859-1). Checked
// against the code page's published mapping (bestfit1252.txt); the five undefined bytes
// keep their own value.
constexpr std::array<char16_t, 32> High1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

constexpr char16_t Replacement = 0xFFFD;

// The byte of code point c, or -1 when the code page lacks it.
int AnsiByte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (size_t i = 0; i < High1252.size(); ++i)
        if (High1252[i] == c)
            return int(0x80 + i);
    return -1;
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Walks the code points of a UTF-16 text; a lone surrogate comes out as itself.
template <typename F>
void ForEachCodePoint(std::u16string_view s, F f)
{
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (IsHighSurrogate(c) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00);
            ++i;
        }
        f(c);
    }
}

void AppendUtf16(std::u16string &out, char32_t c)
{
    if (c >= 0x10000) {
        c -= 0x10000;
        out.push_back(char16_t(0xD800 + (c >> 10)));
        out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(char16_t(c));
    }
}

} // namespace

std::u16string AnsiToWide(std::string_view Ansi)
{
    std::u16string out;
    out.reserve(Ansi.size());
    for (char ch : Ansi) {
        const auto b = static_cast<uint8_t>(ch);
        out.push_back(b >= 0x80 && b <= 0x9F ? High1252[b - 0x80] : char16_t(b));
    }
    return out;
}

std::string WideToAnsi(std::u16string_view Wide)
{
    std::string out;
    out.reserve(Wide.size());
    ForEachCodePoint(Wide, [&](char32_t c) {
        const int b = AnsiByte(c);
        out.push_back(b < 0 ? '?' : static_cast<char>(static_cast<uint8_t>(b)));
    });
    return out;
}

bool IsAnsiText(std::u16string_view Wide)
{
    bool ok = true;
    ForEachCodePoint(Wide, [&](char32_t c) { ok = ok && AnsiByte(c) >= 0; });
    return ok;
}

std::string Utf16ToUtf8(std::u16string_view Wide)
{
    std::string out;
    out.reserve(Wide.size());
    ForEachCodePoint(Wide, [&](char32_t c) {
        if (IsHighSurrogate(c) || IsLowSurrogate(c))
            c = Replacement;
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    });
    return out;
}

std::u16string Utf8ToUtf16(std::string_view Utf8)
{
    std::u16string out;
    out.reserve(Utf8.size());
    size_t i = 0;
    while (i < Utf8.size()) {
        const auto lead = static_cast<uint8_t>(Utf8[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        // Length and the range of the second byte (which rules out overlong forms,
        // surrogates and values above U+10FFFF), per the well-formed table of Unicode 3.9.
        size_t len = 0;
        uint8_t lo = 0x80, hi = 0xBF;
        char32_t c = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            len = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            len = 3;
            c = lead & 0x0F;
            if (lead == 0xE0)
                lo = 0xA0;
            if (lead == 0xED)
                hi = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            len = 4;
            c = lead & 0x07;
            if (lead == 0xF0)
                lo = 0x90;
            if (lead == 0xF4)
                hi = 0x8F;
        }
        // Take the continuation bytes while they are valid; a broken sequence becomes one
        // U+FFFD for the bytes taken (its maximal valid prefix).
        size_t taken = 1;
        bool ok = len > 0;
        while (ok && taken < len) {
            if (i + taken >= Utf8.size()) {
                ok = false;
                break;
            }
            const auto b = static_cast<uint8_t>(Utf8[i + taken]);
            if (b < lo || b > hi) {
                ok = false;
                break;
            }
            c = (c << 6) | (b & 0x3F);
            lo = 0x80;
            hi = 0xBF;
            ++taken;
        }
        if (ok)
            AppendUtf16(out, c);
        else
            out.push_back(Replacement);
        i += taken;
    }
    return out;
}

} // namespace kx
