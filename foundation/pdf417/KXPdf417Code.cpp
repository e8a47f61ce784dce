#include "pdf417/KXPdf417Code.h"

#include <algorithm>
#include <cstring>

namespace kx {

namespace {

// Mode codewords.
constexpr uint16_t kLatchText = 900;
constexpr uint16_t kLatchByte = 901;      // byte count not a multiple of 6
constexpr uint16_t kLatchNumeric = 902;
constexpr uint16_t kLatchByte6 = 924;     // byte count a multiple of 6
constexpr uint16_t kEciGeneral = 926;     // ECI 900..810899: two codewords
constexpr uint16_t kEciUser = 925;        // ECI 810900..811799
constexpr uint16_t kEciCharset = 927;     // ECI 0..899
constexpr uint16_t kPad = 900;

// Compaction stops when the data could no longer fit any symbol: the descriptor, the data
// and at least two check codewords within 928.
constexpr int kDataLimit = TKXPdf417Code::MaxCodewords - 2;

// ---------------------------------------------------------------------------------------
// Text compaction sub-modes (ISO/IEC 15438 Table 2): the value of each character code in its
// sub-mode and the sub-modes that hold it. A character in both Mixed and Punctuation has the
// same value in each.
enum SubMode : uint8_t { smAlpha, smLower, smMixed, smPunct };
constexpr uint8_t kAlpha = 1, kLower = 2, kMixed = 4, kPunct = 8;

struct TextTable {
    int8_t value[256];
    uint8_t flags[256];
};

constexpr TextTable MakeTextTable()
{
    TextTable t{};
    for (int c = 0; c < 256; ++c) {
        t.value[c] = -1;
        t.flags[c] = 0;
    }
    auto add = [&t](int c, int v, uint8_t f) {
        t.value[c] = int8_t(v);
        t.flags[c] |= f;
    };
    for (int i = 0; i < 26; ++i) {
        add('A' + i, i, kAlpha);
        add('a' + i, i, kLower);
    }
    add(' ', 26, kAlpha | kLower | kMixed);
    for (int i = 0; i < 10; ++i)
        add('0' + i, i, kMixed);
    const char mixed[] = "&\r\t,:#-.$/+%*=^"; // values 10..24
    for (int i = 0; mixed[i]; ++i)
        add(uint8_t(mixed[i]), 10 + i, kMixed);
    const char punct[] = ";<>@[\\]_`~!\r\t,:\n-.$/\"|*()?{}'"; // values 0..28
    for (int i = 0; punct[i]; ++i)
        add(uint8_t(punct[i]), i, kPunct);
    return t;
}

constexpr TextTable kText = MakeTextTable();

constexpr bool IsTextChar(int c)
{
    return c >= 0 && c < 128 && kText.flags[c] != 0;
}

constexpr bool IsDigit(uint8_t c)
{
    return c >= '0' && c <= '9';
}

constexpr uint8_t kFlagOf[4] = {kAlpha, kLower, kMixed, kPunct};

// ---------------------------------------------------------------------------------------
// Run tests on the raw characters (a backslash counts as the Punctuation character it is).

// More than 13 digits from pos on.
bool NumericRun(std::string_view t, size_t pos)
{
    size_t n = 0;
    while (pos + n < t.size() && IsDigit(uint8_t(t[pos + n])) && n < 14)
        ++n;
    return n > 13;
}

// Six text characters from pos on, or at least one up to the end of the text.
bool TextRun(std::string_view t, size_t pos)
{
    size_t n = 0;
    while (n < 6 && pos + n < t.size() && IsTextChar(uint8_t(t[pos + n])))
        ++n;
    return n == 6 || (n > 0 && pos + n == t.size());
}

enum SegmentKind { skNumeric, skText, skByte };

SegmentKind NextKind(std::string_view t, size_t pos)
{
    if (NumericRun(t, pos))
        return skNumeric;
    if (TextRun(t, pos))
        return skText;
    return skByte;
}

// ---------------------------------------------------------------------------------------
// Backslash escapes inside text: one character read from pos gives either a character code
// or ready codewords.
struct TextItem {
    int code = -1;          // character code 0..255, or -1 for ready codewords
    uint16_t cw[3] = {};    // ready codewords
    int count = 0;
    size_t next = 0;        // position after the character or escape
};

// The decimal value of the up to `len` characters from pos (fewer at the end of the text);
// -1 when they are not all digits or there are none.
int DecimalAt(std::string_view t, size_t pos, size_t len)
{
    if (pos >= t.size())
        return -1;
    const size_t end = std::min(t.size(), pos + len);
    int v = 0;
    for (size_t i = pos; i < end; ++i) {
        if (!IsDigit(uint8_t(t[i])))
            return -1;
        v = v * 10 + (t[i] - '0');
    }
    return v;
}

int HexAt(std::string_view t, size_t pos, size_t len)
{
    if (pos >= t.size())
        return -1;
    const size_t end = std::min(t.size(), pos + len);
    int v = 0;
    for (size_t i = pos; i < end; ++i) {
        const char c = t[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return -1;
        v = v * 16 + d;
    }
    return v;
}

TextItem ReadTextItem(std::string_view t, size_t pos)
{
    TextItem it;
    const uint8_t c = uint8_t(t[pos]);
    it.code = c;
    it.next = pos + 1;
    if (c != '\\' || pos + 1 >= t.size())
        return it;
    const char e = t[pos + 1];
    const auto consumed = [&t, pos](size_t n) { return std::min(t.size(), pos + n); };
    if (IsDigit(uint8_t(e))) {
        // \ddd: a decimal character code; a code that does not parse is 0, one above 255
        // is no byte and leaves the backslash as it is.
        int v = DecimalAt(t, pos + 1, 3);
        if (v < 0)
            v = 0;
        if (v <= 255) {
            it.code = v;
            it.next = consumed(4);
        }
    } else if (e == 'C' || e == 'c') {
        // \Cddd: a codeword written as it is (0 when it does not parse); only 0..928 are
        // codewords, anything above leaves the backslash as it is.
        int v = DecimalAt(t, pos + 2, 3);
        if (v < 0)
            v = 0;
        if (v <= 928) {
            it.code = -1;
            it.cw[0] = uint16_t(v);
            it.count = 1;
            it.next = consumed(5);
        }
    } else if (e == 'G' || e == 'g') {
        // \Gdddddd: an ECI number; six characters that are not all digits are plain text.
        if (pos + 8 <= t.size()) {
            const int v = DecimalAt(t, pos + 2, 6);
            if (v >= 0) {
                it.next = pos + 8;
                it.code = -1;
                if (v < 900) {
                    it.cw[0] = kEciCharset;
                    it.cw[1] = uint16_t(v);
                    it.count = 2;
                } else if (v < 810900) {
                    it.cw[0] = kEciGeneral;
                    it.cw[1] = uint16_t(v / 900 - 1);
                    it.cw[2] = uint16_t(v % 900);
                    it.count = 3;
                } else if (v < 811800) {
                    it.cw[0] = kEciUser;
                    it.cw[1] = uint16_t(v - 810900);
                    it.count = 2;
                } else {
                    it.code = 0; // no ECI: the character code 0
                }
            }
        }
    } else if (e == 'X' || e == 'x') {
        int v = HexAt(t, pos + 2, 2);
        it.code = v < 0 ? 0 : v;
        it.next = consumed(4);
    } else if (e == '\\') {
        it.next = pos + 2;
    }
    return it;
}

// ---------------------------------------------------------------------------------------
// Reed-Solomon generators over GF(929): for k = 2, 4, ..., 512 the coefficients of
// prod (x - 3^i), i = 1..k, constant term first. They are the error-correction coefficient
// tables of ISO/IEC 15438 Annex F, computed here from that formula.
constexpr int kGeneratorTotal = 1022; // 2 + 4 + ... + 512

struct Generators {
    uint16_t g[kGeneratorTotal];
};

constexpr int GeneratorOffset(int level)
{
    return (2 << level) - 2;
}

constexpr Generators MakeGenerators()
{
    Generators G{};
    for (int level = 0; level <= 8; ++level) {
        const int k = 2 << level;
        uint32_t c[513] = {};
        c[0] = 1; // c[j] = coefficient of x^j
        uint32_t a = 1;
        for (int i = 1; i <= k; ++i) {
            a = a * 3 % 929;
            // multiply by (x - a)
            for (int j = i; j >= 1; --j)
                c[j] = (c[j - 1] + 929 - a * c[j] % 929) % 929;
            c[0] = (929 - a * c[0] % 929) % 929;
        }
        for (int j = 0; j < k; ++j)
            G.g[GeneratorOffset(level) + j] = uint16_t(c[j]);
    }
    return G;
}

constexpr Generators kGenerators = MakeGenerators();

// ---------------------------------------------------------------------------------------
// Module patterns, expanded once: one byte a module.
constexpr uint8_t kStart[17] = {1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 1, 0, 1, 0, 0, 0};   // 81111113
constexpr uint8_t kStop[18] = {1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 1}; // 711311121

struct ExpandedPatterns {
    uint8_t m[3][929][17];
};

const ExpandedPatterns &Expanded()
{
    static const ExpandedPatterns *p = [] {
        static ExpandedPatterns e;
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 929; ++v) {
                const uint32_t bits = Pdf417PatternBits(c, v);
                for (int i = 0; i < 17; ++i)
                    e.m[c][v][i] = uint8_t((bits >> (16 - i)) & 1);
            }
        return &e;
    }();
    return *p;
}

} // namespace

uint32_t Pdf417PatternBits(int clusterIndex, int codeword)
{
    const uint32_t w = Pdf417PatternWidths[clusterIndex][codeword];
    uint32_t bits = 0;
    for (int e = 0; e < 8; ++e) {
        const int width = int((w >> (28 - 4 * e)) & 0xF);
        const uint32_t bar = (e % 2 == 0) ? 1u : 0u;
        for (int i = 0; i < width; ++i)
            bits = (bits << 1) | bar;
    }
    return bits;
}

const uint16_t *Pdf417Generator(int level)
{
    return kGenerators.g + GeneratorOffset(level);
}

// ---------------------------------------------------------------------------------------
// Request

void TKXPdf417Code::SetRows(int16_t Value)
{
    FRows = int16_t(std::clamp<int>(Value, 0, MaxRows));
}

void TKXPdf417Code::SetCols(int16_t Value)
{
    FCols = int16_t(std::clamp<int>(Value, 0, MaxCols));
}

// ---------------------------------------------------------------------------------------
// Compaction

void TKXPdf417Code::Put(uint16_t cw)
{
    if (FUsedCWords >= kDataLimit) {
        FOverflow = true;
        return;
    }
    FCodeWords[size_t(FUsedCWords++)] = cw;
}

void TKXPdf417Code::Encode(std::string_view Text)
{
    FCodeWords.fill(kPad);
    FUsedCWords = 1;
    FOverflow = false;
    FEmpty = Text.empty();
    if (FEmpty) {
        FStatus = TKXPdf417Status::psEmpty;
        return;
    }
    size_t pos = 0;
    SegmentKind kind = NextKind(Text, 0);
    while (pos < Text.size() && !FOverflow) {
        switch (kind) {
        case skNumeric:
            pos = NumericSegment(Text, pos);
            break;
        case skByte:
            pos = ByteSegment(Text, pos);
            break;
        case skText: {
            // Text is the mode a symbol starts in: only a later text segment latches.
            const int32_t mark = FUsedCWords;
            if (mark > 1)
                Put(kLatchText);
            int outside = -1;
            pos = TextSegment(Text, pos, outside);
            if (FUsedCWords == mark + (mark > 1 ? 1 : 0))
                FUsedCWords = mark; // nothing written: no latch either
            if (outside >= 0) {
                // An escape gave a character that text compaction cannot hold: it goes
                // into a one-byte segment of its own.
                Put(kLatchByte);
                Put(uint16_t(outside));
                pos = ReadTextItem(Text, pos).next;
            }
            break;
        }
        }
        if (pos < Text.size())
            kind = NextKind(Text, pos);
    }
    MakeErrorCorrection();
}

size_t TKXPdf417Code::NumericSegment(std::string_view t, size_t pos)
{
    Put(kLatchNumeric);
    size_t end = pos;
    while (end < t.size() && IsDigit(uint8_t(t[end])))
        ++end;
    while (pos < end && !FOverflow) {
        const size_t groupEnd = std::min(end, pos + 44);
        // "1" and the group's digits as a number in base 900, least significant first.
        uint16_t limb[16] = {1};
        int n = 1;
        size_t i = pos;
        while (i < groupEnd) {
            // Three digits at a time while they last.
            uint32_t mul = 1, add = 0;
            for (int d = 0; d < 3 && i < groupEnd; ++d, ++i) {
                mul *= 10;
                add = add * 10 + uint32_t(t[i] - '0');
            }
            uint32_t carry = add;
            for (int l = 0; l < n; ++l) {
                const uint32_t v = limb[l] * mul + carry;
                limb[l] = uint16_t(v % 900);
                carry = v / 900;
            }
            while (carry) {
                limb[n++] = uint16_t(carry % 900);
                carry /= 900;
            }
        }
        for (int l = n - 1; l >= 0; --l)
            Put(limb[l]);
        pos = groupEnd;
    }
    return end;
}

size_t TKXPdf417Code::ByteSegment(std::string_view t, size_t pos)
{
    size_t end = pos + 1;
    while (end < t.size() && !NumericRun(t, end) && !TextRun(t, end))
        ++end;
    const size_t n = end - pos;
    Put(n % 6 == 0 ? kLatchByte6 : kLatchByte);
    size_t i = pos;
    for (; i + 6 <= end && !FOverflow; i += 6) {
        uint64_t v = 0;
        for (size_t b = 0; b < 6; ++b)
            v = (v << 8) | uint8_t(t[i + b]);
        uint16_t cw[5];
        for (int d = 4; d >= 0; --d) {
            cw[d] = uint16_t(v % 900);
            v /= 900;
        }
        for (uint16_t c : cw)
            Put(c);
    }
    for (; i < end; ++i)
        Put(uint8_t(t[i]));
    return end;
}

size_t TKXPdf417Code::TextSegment(std::string_view t, size_t pos, int &outsideChar)
{
    SubMode sub = smAlpha;
    int half = -1; // first value of a pair, waiting for its second
    const auto value = [this, &half](int v) {
        if (half < 0) {
            half = v;
        } else {
            Put(uint16_t(half * 30 + v));
            half = -1;
        }
    };
    while (pos < t.size() && !FOverflow) {
        const TextItem it = ReadTextItem(t, pos);
        if (it.code < 0) {
            if (half >= 0)
                value(29);
            for (int i = 0; i < it.count; ++i)
                Put(it.cw[i]);
        } else if (!IsTextChar(it.code)) {
            // The segment ends before the character. A raw byte starts the byte segment
            // that follows and that runs on as far as the run tests let it; a byte that an
            // escape produced has no raw form there and is handed back alone.
            if (it.next > pos + 1)
                outsideChar = it.code;
            break;
        } else {
            const uint8_t flags = kText.flags[it.code];
            const int v = kText.value[it.code];
            if (!(flags & kFlagOf[sub])) {
                const SubMode target = (flags & kAlpha) ? smAlpha
                                       : (flags & kLower) ? smLower
                                       : (flags & kMixed) ? smMixed
                                                          : smPunct;
                const bool nextFits =
                    it.next >= t.size() || (kText.flags[uint8_t(t[it.next])] & kFlagOf[sub]) != 0;
                // Shifts (one character) where the next character is back in the current
                // sub-mode, latches otherwise.
                switch (sub) {
                case smAlpha:
                    if (target == smLower) {
                        value(27);
                        sub = smLower;
                    } else if (target == smMixed) {
                        value(28);
                        sub = smMixed;
                    } else if (nextFits) {
                        value(29);
                    } else {
                        value(28);
                        value(25);
                        sub = smPunct;
                    }
                    break;
                case smLower:
                    if (target == smAlpha) {
                        if (nextFits) {
                            value(27);
                        } else {
                            value(28);
                            value(28);
                            sub = smAlpha;
                        }
                    } else if (target == smMixed) {
                        value(28);
                        sub = smMixed;
                    } else if (nextFits) {
                        value(29);
                    } else {
                        value(28);
                        value(25);
                        sub = smPunct;
                    }
                    break;
                case smMixed:
                    if (target == smAlpha) {
                        value(28);
                        sub = smAlpha;
                    } else if (target == smLower) {
                        value(27);
                        sub = smLower;
                    } else if (nextFits) {
                        value(29);
                    } else {
                        value(25);
                        sub = smPunct;
                    }
                    break;
                case smPunct:
                    value(29);
                    if (target == smLower)
                        value(27);
                    else if (target == smMixed)
                        value(28);
                    sub = target;
                    break;
                }
            }
            value(v);
        }
        pos = it.next;
        if (NumericRun(t, pos))
            break;
    }
    if (half >= 0)
        value(29);
    return pos;
}

// ---------------------------------------------------------------------------------------
// Error correction and size

TKXPdf417Status TKXPdf417Code::CalcSize()
{
    using S = TKXPdf417Status;
    const int used = FUsedCWords;
    const int k = FNumErrorCWords;
    if (FRows > 0 && FCols > 0) {
        // Fewer than three rows is no symbol; more than 928 codewords neither.
        FXCount = uint16_t(FCols);
        FYCount = uint16_t(std::max<int>(FRows, MinRows));
        if (FXCount * FYCount > MaxCodewords)
            return S::psGridTooLarge;
        return FXCount * FYCount - k >= used ? S::psOk : S::psGridTooSmall;
    }
    if (FCols > 0) {
        for (int r = MinRows; r <= MaxRows && FCols * r <= MaxCodewords; ++r)
            if (FCols * r - k > used) {
                FXCount = uint16_t(FCols);
                FYCount = uint16_t(r);
                return S::psOk;
            }
        return S::psGridTooSmall;
    }
    if (FRows > 0) {
        const int r = std::max<int>(FRows, MinRows);
        for (int c = 1; c <= MaxCols && c * r <= MaxCodewords; ++c)
            if (c * r - k > used) {
                FXCount = uint16_t(c);
                FYCount = uint16_t(r);
                return S::psOk;
            }
        return S::psGridTooSmall;
    }
    // Rows and columns grow together from 1 x 3.
    int c = 1, r = MinRows;
    while (c * r - k < used && (r < MaxRows || c < MaxCols)) {
        if (r < MaxRows)
            ++r;
        if (c < MaxCols && c * r - k < used)
            ++c;
    }
    if (c * r > MaxCodewords || c * r - k < used) {
        // Near the largest symbols that growth overshoots 928 codewords: take the
        // smallest grid that holds the data, the fewer rows on a tie.
        int best = 0;
        for (int cc = 1; cc <= MaxCols; ++cc)
            for (int rr = MinRows; rr <= MaxRows; ++rr) {
                const int cells = cc * rr;
                if (cells <= MaxCodewords && cells - k >= used &&
                    (best == 0 || cells < best || (cells == best && rr < r))) {
                    best = cells;
                    c = cc;
                    r = rr;
                }
            }
        if (best == 0)
            return S::psTooLong;
    }
    FXCount = uint16_t(c);
    FYCount = uint16_t(r);
    return S::psOk;
}

void TKXPdf417Code::MakeErrorCorrection()
{
    if (FEmpty) {
        FStatus = TKXPdf417Status::psEmpty;
        return;
    }
    if (FOverflow) {
        FStatus = TKXPdf417Status::psTooLong;
        return;
    }
    if (FCorrecLevel == TKXPdf417CorrectionLevel::Auto)
        FErrorLevel = FUsedCWords < 41 ? 2 : FUsedCWords < 161 ? 3 : FUsedCWords < 321 ? 4 : 5;
    else
        FErrorLevel = int32_t(FCorrecLevel);
    const int k = 2 << FErrorLevel;
    FNumErrorCWords = k;
    FStatus = CalcSize();
    if (FStatus != TKXPdf417Status::psOk)
        return;
    const int c = FXCount * FYCount - k; // >= FUsedCWords
    FCodeWords[0] = uint16_t(c);
    for (int i = FUsedCWords; i < c; ++i)
        FCodeWords[size_t(i)] = kPad;

    const uint16_t *g = Pdf417Generator(FErrorLevel);
    uint16_t e[512] = {};
    for (int i = 0; i < c; ++i) {
        const uint32_t t = (FCodeWords[size_t(i)] + uint32_t(e[k - 1])) % 929;
        for (int j = k - 1; j >= 1; --j)
            e[j] = uint16_t((e[j - 1] + 929 - t * g[j] % 929) % 929);
        e[0] = uint16_t((929 - t * g[0] % 929) % 929);
    }
    for (int j = 0; j < k; ++j)
        FCodeWords[size_t(c + j)] = uint16_t(e[k - 1 - j] ? 929 - e[k - 1 - j] : 0);
}

// ---------------------------------------------------------------------------------------
// Module rows

uint16_t TKXPdf417Code::LeftIndicator(int j) const
{
    const int q = 30 * (j / 3), R = FYCount, C = FXCount, L = FErrorLevel;
    switch (j % 3) {
    case 0: return uint16_t(q + (R - 1) / 3);
    case 1: return uint16_t(q + L * 3 + (R - 1) % 3);
    default: return uint16_t(q + C - 1);
    }
}

uint16_t TKXPdf417Code::RightIndicator(int j) const
{
    const int q = 30 * (j / 3), R = FYCount, C = FXCount, L = FErrorLevel;
    switch (j % 3) {
    case 0: return uint16_t(q + C - 1);
    case 1: return uint16_t(q + (R - 1) / 3);
    default: return uint16_t(q + L * 3 + (R - 1) % 3);
    }
}

void TKXPdf417Code::MakeModuleRows(bool Truncated, std::vector<uint8_t> &Modules) const
{
    if (FStatus != TKXPdf417Status::psOk) {
        Modules.clear();
        return;
    }
    const ExpandedPatterns &x = Expanded();
    const int w = Width(Truncated);
    Modules.resize(size_t(w) * FYCount);
    uint8_t *p = Modules.data();
    const uint16_t *cw = FCodeWords.data();
    for (int j = 0; j < FYCount; ++j) {
        const int cl = j % 3;
        std::memcpy(p, kStart, 17);
        p += 17;
        std::memcpy(p, x.m[cl][LeftIndicator(j)], 17);
        p += 17;
        for (int i = 0; i < FXCount; ++i, p += 17)
            std::memcpy(p, x.m[cl][*cw++], 17);
        if (Truncated) {
            *p++ = 1;
        } else {
            std::memcpy(p, x.m[cl][RightIndicator(j)], 17);
            p += 17;
            std::memcpy(p, kStop, 18);
            p += 18;
        }
    }
}

} // namespace kx
