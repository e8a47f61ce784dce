// PDF417 symbols judged from outside: zxing-cpp must read the module rows back to exactly
// the input over a seeded random set (text, bytes, long digit runs, mixed runs, escapes,
// every error-correction level, automatic and requested grids, the truncated form), and the
// decoded symbols together must show every one of the 3 x 929 bar-space patterns.
#include "pdf417/KXPdf417Code.h"
#include "SymbolDecode.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace kx;

namespace {

// A text for the encoder and the bytes a reader must get from it.
struct Sample {
    std::string text;
    std::string expected;
    const char *kind;
};

std::string RandomBytes(std::mt19937 &rng, int n, bool textOnly)
{
    static const std::string printable = [] {
        std::string s;
        for (int c = 32; c < 127; ++c)
            if (c != '\\')
                s.push_back(char(c));
        s += "\r\n\t";
        return s;
    }();
    std::string s;
    for (int i = 0; i < n; ++i) {
        if (textOnly) {
            s.push_back(printable[rng() % printable.size()]);
        } else {
            char c;
            do
                c = char(rng() % 256);
            while (c == '\\'); // a raw backslash starts an escape in a text run
            s.push_back(c);
        }
    }
    return s;
}

std::string Digits(std::mt19937 &rng, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s.push_back(char('0' + rng() % 10));
    return s;
}

Sample MakeSample(std::mt19937 &rng, int kind)
{
    Sample s;
    switch (kind) {
    case 0:
        s.kind = "text";
        s.text = RandomBytes(rng, 1 + int(rng() % 300), true);
        s.expected = s.text;
        break;
    case 1:
        s.kind = "bytes";
        s.text = RandomBytes(rng, 1 + int(rng() % 400), false);
        s.expected = s.text;
        break;
    case 2:
        s.kind = "digits";
        s.text = Digits(rng, 14 + int(rng() % 700));
        if (rng() % 2)
            s.text = "N" + s.text;
        s.expected = s.text;
        break;
    case 3: {
        // Runs that switch compaction: words, digit runs around the 13/14 edge, bytes.
        s.kind = "mixed";
        const int parts = 2 + int(rng() % 8);
        for (int p = 0; p < parts; ++p) {
            switch (rng() % 3) {
            case 0: s.text += RandomBytes(rng, 1 + int(rng() % 20), true); break;
            case 1: s.text += Digits(rng, 10 + int(rng() % 50)); break;
            default: s.text += RandomBytes(rng, 1 + int(rng() % 12), false); break;
            }
        }
        s.expected = s.text;
        break;
    }
    default: {
        // Text with backslash escapes: a doubled backslash, decimal and hexadecimal codes,
        // among them codes that text compaction cannot hold (they go into bytes).
        s.kind = "escapes";
        const int parts = 1 + int(rng() % 12);
        for (int p = 0; p < parts; ++p) {
            const std::string t = RandomBytes(rng, int(rng() % 10), true);
            s.text += t;
            s.expected += t;
            char buf[8];
            const int code = int(rng() % 256);
            switch (rng() % 3) {
            case 0:
                s.text += "\\\\";
                s.expected += '\\';
                break;
            case 1:
                std::snprintf(buf, sizeof buf, "\\%03d", code);
                s.text += buf;
                s.expected += char(code);
                break;
            default:
                std::snprintf(buf, sizeof buf, (rng() % 2) ? "\\x%02X" : "\\X%02x", code);
                s.text += buf;
                s.expected += char(code);
                break;
            }
        }
        break;
    }
    }
    return s;
}

// Each symbol row drawn 3 modules high, 2 pixels a module, with a 4-module quiet zone.
zt::Decoded DecodeRows(const TKXPdf417Code &code, bool truncated, std::vector<uint8_t> &modules)
{
    code.MakeModuleRows(truncated, modules);
    const int w = code.Width(truncated);
    std::vector<std::vector<bool>> grid;
    for (int r = 0; r < code.YCount(); ++r) {
        std::vector<bool> row(static_cast<size_t>(w));
        for (int c = 0; c < w; ++c)
            row[size_t(c)] = modules[size_t(r) * size_t(w) + size_t(c)] != 0;
        for (int k = 0; k < 3; ++k)
            grid.push_back(row);
    }
    zt::DecodeOptions options;
    options.formats = "PDF417";
    return zt::Decode(zt::RasterGrid(grid, 2, 4), options);
}

std::string Hex(const std::string &s)
{
    std::string h;
    char buf[4];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        h += buf;
    }
    return h;
}

} // namespace

TEST(Pdf417Decode, SeededRandomSetDecodesToItsInputAndReachesEveryPattern)
{
    std::mt19937 rng(417);
    std::bitset<3 * 929> seen;
    int decoded = 0, truncatedDecoded = 0, fixedDecoded = 0;
    int perLevel[10] = {};
    int perKind[5] = {};
    std::vector<uint8_t> modules;
    for (int i = 0; i < 700; ++i) {
        const int kind = i % 5;
        const Sample s = MakeSample(rng, kind);
        TKXPdf417Code code;
        const int level = int(rng() % 10);
        code.SetCorrectionLevel(TKXPdf417CorrectionLevel(level));
        // A third automatic, the rest with columns, rows or both requested.
        const int grid = int(rng() % 6);
        if (grid == 2 || grid == 4)
            code.SetCols(int16_t(1 + rng() % 30));
        if (grid == 3 || grid == 4)
            code.SetRows(int16_t(3 + rng() % 88));
        if (grid == 5) {
            // Both requested, a size that holds the data: found by asking for columns first.
            code.SetCols(int16_t(1 + rng() % 30));
            code.Encode(s.text);
            if (code.Status() == TKXPdf417Status::psOk)
                code.SetRows(int16_t(code.YCount() + rng() % 3));
        }
        code.Encode(s.text);
        if (code.Status() != TKXPdf417Status::psOk)
            continue; // too much for this level or request: covered by the encoder's tests
        const bool truncated = rng() % 4 == 0;
        const zt::Decoded d = DecodeRows(code, truncated, modules);
        ASSERT_TRUE(d.ok) << s.kind << " #" << i << " level " << level << " grid " << code.XCount() << "x"
                          << code.YCount() << (truncated ? " truncated" : "") << " text " << Hex(s.text);
        ASSERT_EQ(Hex(d.bytes), Hex(s.expected)) << s.kind << " #" << i << " text " << Hex(s.text);
        EXPECT_EQ(d.format, "PDF417");
        ++decoded;
        ++perLevel[level];
        ++perKind[kind];
        truncatedDecoded += truncated;
        fixedDecoded += grid >= 2;
        // Patterns of every row: left indicator, data, right indicator (not in the
        // truncated form).
        for (int r = 0; r < code.YCount(); ++r) {
            const int cl = r % 3;
            seen.set(size_t(cl * 929 + code.LeftIndicator(r)));
            if (!truncated)
                seen.set(size_t(cl * 929 + code.RightIndicator(r)));
            for (int c = 0; c < code.XCount(); ++c)
                seen.set(size_t(cl * 929 + code.CodeWords()[size_t(r * code.XCount() + c)]));
        }
    }
    EXPECT_GE(decoded, 500);
    EXPECT_GE(truncatedDecoded, 100);
    EXPECT_GE(fixedDecoded, 250);
    for (int l = 0; l < 10; ++l)
        EXPECT_GE(perLevel[l], 20) << "level ordinal " << l;
    for (int k = 0; k < 5; ++k)
        EXPECT_GE(perKind[k], 60) << "kind " << k;
    std::string missing;
    for (size_t p = 0; p < seen.size(); ++p)
        if (!seen[p] && missing.size() < 200)
            missing += " " + std::to_string(p / 929 * 3) + ":" + std::to_string(p % 929);
    EXPECT_EQ(seen.count(), 3u * 929u) << "patterns never decoded:" << missing;
}

// The largest symbols: data that fills a 928-codeword grid exactly, where rows and columns
// growing together would pass 928 codewords.
TEST(Pdf417Decode, DataThatFillsTheLargestSymbolDecodes)
{
    std::mt19937 rng(928);
    std::vector<uint8_t> modules;
    for (int level : {2, 3, 5}) {
        // Bytes in groups of six: 5 codewords each, plus the latch.
        const int k = 2 << level;
        const int groups = (928 - k - 2) / 5;
        std::string text;
        for (int i = 0; i < groups * 6; ++i)
            text.push_back(char(128 + rng() % 128)); // no text or digit runs
        TKXPdf417Code code;
        code.SetCorrectionLevel(TKXPdf417CorrectionLevel(level));
        code.Encode(text);
        ASSERT_EQ(code.Status(), TKXPdf417Status::psOk) << level;
        EXPECT_LE(code.XCount() * code.YCount(), 928);
        EXPECT_GE(code.XCount() * code.YCount() - k, code.UsedCWords());
        const zt::Decoded d = DecodeRows(code, false, modules);
        ASSERT_TRUE(d.ok) << level << " " << code.XCount() << "x" << code.YCount();
        EXPECT_EQ(Hex(d.bytes), Hex(text));
    }
}
