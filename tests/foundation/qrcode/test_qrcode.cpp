// QR Code encoder: the stages in isolation (data bits, version table, Reed-Solomon, matrix,
// penalty rules) and the faults the encoder guards against. Whole symbols are read back by zxing.
#include "qrcode/KXQRCode.h"
#include "qrcode/QRModuleRows.h"
#include "qrcode/QRReedSolomon.h"
#include "SymbolDecode.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace KXQRCode;

const TErrorCorrectionLevel L = TErrorCorrectionLevel::L();

std::vector<int> Ints(const TBytesArray &b, size_t from = 0, size_t n = SIZE_MAX)
{
    std::vector<int> v;
    for (size_t i = from; i < b.size() && i - from < n; ++i)
        v.push_back(b[i]);
    return v;
}

zt::Decoded DecodeMatrix(const TByteMatrix &m)
{
    std::vector<std::vector<bool>> g(size_t(m.Height()), std::vector<bool>(size_t(m.Width())));
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x)
            g[size_t(y)][size_t(x)] = m.Get(x, y) == 1;
    zt::DecodeOptions o;
    o.formats = "QRCode";
    return zt::Decode(zt::RasterGrid(g, 3, 4), o);
}

// A small matrix written row by row, "1" dark and "0" light.
TByteMatrix Hand(const std::vector<std::string> &rows)
{
    TByteMatrix m(int(rows[0].size()), int(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            m.SetInteger(int(x), int(y), rows[y][x] == '1');
    return m;
}

TBitArray BitsOf(const TBytesArray &bytes)
{
    TBitArray b;
    for (uint8_t c : bytes)
        b.AppendBits(c, 8);
    return b;
}

// ---- data encoding ------------------------------------------------------------------------

// Mode, filtering and content, as zxing reads the symbol back.
TEST(QRCodeData, ModesFilteringAndContent)
{
    const struct {
        std::u16string text;
        TQRCodeEncoding option;
        TMode mode;
        std::string bytes; // what the symbol carries
        bool dropped;      // some characters could not be carried
    } cases[] = {
        {u"ABC-100", TQRCodeEncoding::Automatic, TMode::qmAlphanumeric, "ABC-100", false},
        {u"0123456789", TQRCodeEncoding::Automatic, TMode::qmNumeric, "0123456789", false},
        {u"abc", TQRCodeEncoding::Automatic, TMode::qmByte, "abc", false},
        {u"QRCode", TQRCodeEncoding::Automatic, TMode::qmByte, "QRCode", false},
        {u"x\u00e9", TQRCodeEncoding::Automatic, TMode::qmByte, "x\xE9", false},
        {u"\u0416", TQRCodeEncoding::Automatic, TMode::qmByte, "\xEF\xBB\xBF\xD0\x96", false},
        {u"", TQRCodeEncoding::Automatic, TMode::qmByte, "\xEF\xBB\xBF", false},
        {u"12a3", TQRCodeEncoding::Numeric, TMode::qmNumeric, "123", true},
        {u"Ab1", TQRCodeEncoding::Alphanumeric, TMode::qmAlphanumeric, "A1", true},
        {u"5\u20ac", TQRCodeEncoding::ISO88591, TMode::qmByte, "5", true},
        {u"\u00e9", TQRCodeEncoding::UTF8NoBOM, TMode::qmByte, "\xEF\xBB\xBF\xC3\xA9", false},
        {u"\u00e9", TQRCodeEncoding::UTF8BOM, TMode::qmByte, "\xC3\xA9", false},
        {u"\U0001F600", TQRCodeEncoding::UTF8BOM, TMode::qmByte, "\xF0\x9F\x98\x80", false},
        {u"a\xD800" u"b", TQRCodeEncoding::UTF8BOM, TMode::qmByte, "a\xEF\xBF\xBD" "b", true}, // lone surrogate
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes);
        TEncoder enc;
        TQRCode qr;
        enc.Encode(c.text, int(c.option), L, qr);
        EXPECT_EQ(qr.Mode(), c.mode);
        EXPECT_EQ(enc.EncoderError(), c.dropped);
        ASSERT_NE(qr.Matrix(), nullptr);
        const zt::Decoded d = DecodeMatrix(*qr.Matrix());
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.bytes, c.bytes);
    }
}

TEST(QRCodeData, OptionAboveFiveIsAnEmptyByteSegment)
{
    TEncoder enc;
    TQRCode qr;
    enc.Encode(u"abc", 6, L, qr);
    EXPECT_EQ(qr.Mode(), TMode::qmByte);
    // 0100, count 00000000, terminator 0000, then pad codewords.
    EXPECT_EQ(Ints(qr.Codewords(), 0, 4), (std::vector<int>{0x40, 0x00, 0xEC, 0x11}));
    EXPECT_TRUE(enc.EncoderError()); // all three characters were dropped
}

TEST(QRCodeData, SingleDigitIsTerminatedAndPadded)
{
    TEncoder enc;
    TQRCode qr;
    enc.Encode(u"1", int(TQRCodeEncoding::Automatic), L, qr);
    ASSERT_EQ(qr.Version(), 1);
    // 0001 0000000001 0001, four terminator bits, two filler bits: 00010000 00000100 01000000,
    // then 16 pad codewords to the 19 data codewords of 1-L.
    std::vector<int> expected = {16, 4, 64};
    for (int i = 0; i < 16; ++i)
        expected.push_back(i % 2 ? 17 : 236);
    EXPECT_EQ(Ints(qr.Codewords(), 0, 19), expected);
    EXPECT_EQ(qr.Codewords().size(), 26u);
}

TEST(QRCodeData, NumericVersionChoice)
{
    // 4 + 10 + 137 = 151 bits fill 19 codewords; one more digit needs version 2.
    for (const auto &[digits, version] : {std::pair{41, 1}, std::pair{42, 2}}) {
        TEncoder enc;
        TQRCode qr;
        enc.Encode(std::u16string(size_t(digits), u'7'), int(TQRCodeEncoding::Automatic), L, qr);
        EXPECT_EQ(qr.Version(), version);
    }
}

TEST(QRCodeData, BitArrayAppendsMostSignificantFirst)
{
    TBitArray b;
    b.AppendBits(0b101, 3);
    b.AppendBit(true);
    b.AppendBits(0xABCDE, 20);
    b.AppendBits(0xFFFFFFFF, 32); // crosses word boundaries
    EXPECT_EQ(b.GetSize(), 56);
    EXPECT_EQ(b.GetSizeInBytes(), 7);
    TBytesArray bytes(8, 0x55);
    b.ToBytes(0, bytes, 1, 7);
    EXPECT_EQ(Ints(bytes), (std::vector<int>{0x55, 0xBA, 0xBC, 0xDE, 0xFF, 0xFF, 0xFF, 0xFF}));

    TBitArray other;
    other.AppendBits(0xF, 4);
    TBitArray copy = b;
    copy.XorOperation(other); // different number of words: nothing happens
    EXPECT_EQ(copy.Bits(), b.Bits());
    TBitArray same(56);
    same.AppendBits(0xF0000000, 32);
    copy.XorOperation(same);
    EXPECT_FALSE(copy.Get(0)); // 1 xor 1
}

TEST(QRCodeData, ResultHoldsItsOwnLevelAndIsComplete)
{
    TEncoder enc;
    TQRCode qr;
    {
        TErrorCorrectionLevel level(1);
        enc.Encode(u"QRCode", int(TQRCodeEncoding::Automatic), level, qr);
        level.SetBits(2);
    }
    ASSERT_NE(qr.ECLevel(), nullptr);
    EXPECT_EQ(qr.ECLevel()->Bits(), 1);
    EXPECT_EQ(qr.Version(), 1);
    EXPECT_EQ(qr.Matrix()->Width(), 21);
    EXPECT_TRUE(qr.IsValid());
    EXPECT_EQ(qr.NumDataBytes(), 19);
    EXPECT_EQ(qr.At(0, 0), 1);
    EXPECT_FALSE(qr.QRCodeError());
}

// ---- faults the encoder guards against ------------------------------------------------------

TEST(QRCodeFaults, ContentBeyondVersion40KeepsThePreviousSymbol)
{
    TEncoder enc;
    TQRCode qr;
    enc.Encode(u"FIRST", int(TQRCodeEncoding::Automatic), L, qr);
    ASSERT_FALSE(enc.EncoderError());
    const TByteMatrix before = *qr.Matrix();
    // 7089 digits are the most version 40-L holds.
    enc.Encode(std::u16string(7089, u'1'), int(TQRCodeEncoding::Automatic), L, qr);
    EXPECT_FALSE(enc.EncoderError());
    EXPECT_EQ(qr.Version(), 40);
    const TByteMatrix full = *qr.Matrix();
    for (const std::u16string &tooLong : {std::u16string(7090, u'1'), std::u16string(4297, u'A'),
                                         std::u16string(2954, u'a'), std::u16string(1476, u'\u0416')}) {
        enc.ClearEncoderError();
        enc.Encode(tooLong, int(TQRCodeEncoding::Automatic), L, qr);
        EXPECT_TRUE(enc.EncoderError());
        EXPECT_EQ(qr.Version(), 40);
        EXPECT_EQ(*qr.Matrix(), full);
    }
    // A version forced too small for the data is refused the same way.
    enc.ClearEncoderError();
    enc.SetForcedVersion(1);
    enc.Encode(std::u16string(42, u'1'), int(TQRCodeEncoding::Automatic), L, qr);
    EXPECT_TRUE(enc.EncoderError());
    EXPECT_EQ(*qr.Matrix(), full);
    enc.SetForcedVersion(41);
    enc.Encode(u"1", int(TQRCodeEncoding::Automatic), L, qr);
    EXPECT_EQ(*qr.Matrix(), full);
    // 2953 bytes, the mark included, are the most in byte mode.
    enc.SetForcedVersion(0);
    enc.ClearEncoderError();
    enc.Encode(std::u16string(1475, u'\u0416'), int(TQRCodeEncoding::Automatic), L, qr);
    EXPECT_FALSE(enc.EncoderError());
    EXPECT_EQ(qr.Version(), 40);
    EXPECT_NE(*qr.Matrix(), before);
}

TEST(QRCodeFaults, DroppedCharactersAreRecordedUntilCleared)
{
    TEncoder enc;
    TQRCode qr;
    enc.Encode(u"12a3", int(TQRCodeEncoding::Numeric), L, qr);
    EXPECT_TRUE(enc.EncoderError());
    enc.Encode(u"123", int(TQRCodeEncoding::Numeric), L, qr);
    EXPECT_TRUE(enc.EncoderError()); // kept until the owner has read it
    enc.ClearEncoderError();
    enc.Encode(u"123", int(TQRCodeEncoding::Numeric), L, qr);
    EXPECT_FALSE(enc.EncoderError());
}

TEST(QRCodeFaults, FailedStepsSetTheFlagAndLeaveOutputsAlone)
{
    TEncoder enc;
    int data = -7, ec = -7;
    enc.BlockSizesForIndex(26, 19, 1, 1, data, ec); // block 1 of 1
    EXPECT_TRUE(enc.EncoderError());
    EXPECT_EQ(data, -7);
    EXPECT_EQ(ec, -7);

    TEncoder enc2;
    TBitArray nineteen, split;
    for (int i = 0; i < 19; ++i)
        nineteen.AppendBits(uint32_t(i), 8);
    enc2.InterleaveBlocks(nineteen, 26, 19, 2, split); // two blocks of 9 cannot hold 19 codewords
    EXPECT_TRUE(enc2.EncoderError());
    EXPECT_EQ(split.GetSize(), 0);

    TEncoder enc3;
    TBitArray bits, result;
    bits.AppendBits(0xAB, 8);
    enc3.InterleaveBlocks(bits, 26, 19, 1, result); // 1 byte where 19 are due
    EXPECT_TRUE(enc3.EncoderError());
    EXPECT_EQ(result.GetSize(), 0);

    // Blocks without check codewords: the block coder would write before its buffer.
    for (int blocks : {1, 2}) {
        TEncoder enc5;
        TBitArray noCheck, out;
        for (int i = 0; i < 26; ++i)
            noCheck.AppendBits(uint32_t(i), 8);
        enc5.InterleaveBlocks(noCheck, 26, 26, blocks, out);
        EXPECT_TRUE(enc5.EncoderError()) << blocks;
        EXPECT_EQ(out.GetSize(), 0) << blocks;
    }

    TEncoder enc4;
    TBitArray big;
    for (int i = 0; i < 20; ++i)
        big.AppendBits(0xFF, 8);
    enc4.PadToCapacity(19, big);
    EXPECT_TRUE(enc4.EncoderError());
    EXPECT_EQ(big.GetSize(), 160); // nothing added
}

// ---- version table ------------------------------------------------------------------------

TEST(QRCodeVersions, TableValuesAndConsistency)
{
    const TVersion *v1 = TVersion::GetVersionForNumber(1);
    const TVersion *v5 = TVersion::GetVersionForNumber(5);
    const TVersion *v40 = TVersion::GetVersionForNumber(40);
    EXPECT_EQ(TVersion::GetVersionForNumber(0), nullptr);
    EXPECT_EQ(TVersion::GetVersionForNumber(41), nullptr);

    // ISO/IEC 18004 Table 9 rows quoted in full.
    const struct {
        const TVersion *v;
        TErrorCorrectionLevel level;
        int ec, count1, data1, count2, data2;
    } rows[] = {
        {v1, TErrorCorrectionLevel::L(), 7, 1, 19, 0, 0},   {v1, TErrorCorrectionLevel::M(), 10, 1, 16, 0, 0},
        {v1, TErrorCorrectionLevel::Q(), 13, 1, 13, 0, 0},  {v1, TErrorCorrectionLevel::H(), 17, 1, 9, 0, 0},
        {v5, TErrorCorrectionLevel::Q(), 18, 2, 15, 2, 16}, {v40, L, 30, 19, 118, 6, 119},
    };
    for (const auto &r : rows) {
        const TECBlocks &b = r.v->GetECBlocksForLevel(r.level);
        EXPECT_EQ(b.GetECCodewordsPerBlock(), r.ec);
        ASSERT_EQ(b.GetECBlocks().size(), r.count2 ? 2u : 1u);
        EXPECT_EQ(b.GetECBlocks()[0].GetCount(), r.count1);
        EXPECT_EQ(b.GetECBlocks()[0].GetDataCodewords(), r.data1);
        if (r.count2) {
            EXPECT_EQ(b.GetECBlocks()[1].GetCount(), r.count2);
            EXPECT_EQ(b.GetECBlocks()[1].GetDataCodewords(), r.data2);
        }
    }
    EXPECT_EQ(v40->GetDataCodewords(L), 2956);
    EXPECT_EQ(v40->GetTotalCodewords(), 3706);
    EXPECT_EQ(v40->ECCodewords(), 30);

    const TErrorCorrectionLevel levels[] = {TErrorCorrectionLevel::L(), TErrorCorrectionLevel::M(),
                                            TErrorCorrectionLevel::Q(), TErrorCorrectionLevel::H()};
    for (int n = 1; n <= 40; ++n) {
        SCOPED_TRACE("version " + std::to_string(n));
        const TVersion *v = TVersion::GetVersionForNumber(n);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->VersionNumber(), n);
        for (const TErrorCorrectionLevel &level : levels) {
            const TECBlocks &b = v->GetECBlocksForLevel(level);
            int total = 0;
            for (const TECB &g : b.GetECBlocks())
                total += g.GetCount() * (g.GetDataCodewords() + b.GetECCodewordsPerBlock());
            EXPECT_EQ(total, v->GetTotalCodewords());
            if (b.GetECBlocks().size() == 2) {
                EXPECT_EQ(b.GetECBlocks()[1].GetDataCodewords(), b.GetECBlocks()[0].GetDataCodewords() + 1);
            }
            // The block split derived from the totals gives exactly the table's groups.
            TEncoder enc;
            int block = 0;
            for (const TECB &g : b.GetECBlocks())
                for (int i = 0; i < g.GetCount(); ++i, ++block) {
                    int data = 0, ec = 0;
                    enc.BlockSizesForIndex(v->GetTotalCodewords(), v->GetDataCodewords(level), b.GetNumBlocks(),
                                           block, data, ec);
                    EXPECT_EQ(data, g.GetDataCodewords());
                    EXPECT_EQ(ec, b.GetECCodewordsPerBlock());
                }
            EXPECT_FALSE(enc.EncoderError());
        }
        // Alignment centres: 6 first, the last 7 modules from the far edge, n / 7 + 2 of them.
        const auto centres = v->AlignmentPatternCenters();
        if (n == 1) {
            EXPECT_TRUE(centres.empty());
        } else {
            EXPECT_EQ(int(centres.size()), n / 7 + 2);
            EXPECT_EQ(centres.front(), 6);
            EXPECT_EQ(centres.back(), v->GetDimensionForVersion() - 7);
        }
        // The codewords fill the data region, leaving 0 to 7 remainder cells.
        TByteMatrix m(v->GetDimensionForVersion(), v->GetDimensionForVersion());
        TMatrixUtil util;
        TMatrixUtil::ResetMatrix(m);
        util.PlaceFunctionPatterns(n, m);
        util.PlaceFormatInfo(L, 0, m);
        util.PlaceVersionInfo(n, m);
        EXPECT_FALSE(util.MatrixUtilError());
        int free = 0;
        TMatrixUtil::ForEachEmptyCellInPlacementOrder(m, [&](int, int) { ++free; });
        EXPECT_GE(free - 8 * v->GetTotalCodewords(), 0);
        EXPECT_LE(free - 8 * v->GetTotalCodewords(), 7);
    }
}

// ---- Reed-Solomon -------------------------------------------------------------------------

TEST(QRCodeReedSolomon, FieldArithmetic)
{
    const TGenericGF &f = TGenericGF::QRCodeField256();
    EXPECT_EQ(f.Inverse(0), 0);
    EXPECT_EQ(f.Multiply(0, 77), 0);
    EXPECT_EQ(f.Multiply(2, 128), 29); // reduced by 285
    EXPECT_EQ(f.Exp(8), 29);
    for (int a = 1; a < 256; ++a)
        ASSERT_EQ(f.Multiply(a, f.Inverse(a)), 1) << a;
    EXPECT_FALSE(f.BuildMonomial(-1, 3).has_value());
    EXPECT_TRUE(f.BuildMonomial(4, 0)->IsZero());
    EXPECT_EQ(f.BuildMonomial(2, 9)->GetCoefficients(), (TIntegerArray{9, 0, 0}));
}

TEST(QRCodeReedSolomon, PolynomialsAreValues)
{
    const TGenericGF &f = TGenericGF::QRCodeField256();
    const TGenericGF other(0x11D, 256, 1);
    const TGenericGFPoly a(f, {0, 0, 3, 1}); // leading zeros dropped
    EXPECT_EQ(a.GetCoefficients(), (TIntegerArray{3, 1}));
    EXPECT_EQ(TGenericGFPoly(f, {0, 0}).GetCoefficients(), (TIntegerArray{0}));
    const TGenericGFPoly b(f, {1, 2, 4});
    const auto sum = a.AddOrSubtract(b);
    EXPECT_EQ(sum->GetCoefficients(), (TIntegerArray{1, 1, 5}));
    EXPECT_EQ(a.GetCoefficients(), (TIntegerArray{3, 1})); // operands unchanged
    const auto product = a.Multiply(b);
    const auto qr = product->Divide(b);
    ASSERT_EQ(qr.size(), 2u);
    EXPECT_EQ(qr[0].GetCoefficients(), a.GetCoefficients());
    EXPECT_TRUE(qr[1].IsZero());
    EXPECT_FALSE(a.AddOrSubtract(TGenericGFPoly(other, {1})).has_value());
    EXPECT_TRUE(a.Divide(f.GetZero()).empty());
    EXPECT_FALSE(a.MultiplyByMonomial(-1, 1).has_value());
}

TEST(QRCodeReedSolomon, GeneratorOfVersion1L)
{
    TReedSolomonEncoder rs(TGenericGF::QRCodeField256());
    const TGenericGF &f = TGenericGF::QRCodeField256();
    TIntegerArray asExponents;
    for (int32_t c : rs.BuildGenerator(7).GetCoefficients())
        asExponents.push_back(c);
    // ISO/IEC 18004 Annex A: x^7 + a^87 x^6 + a^229 x^5 + a^146 x^4 + a^149 x^3 + a^238 x^2
    // + a^102 x + a^21, as field elements 1 127 122 154 164 11 68 117.
    EXPECT_EQ(asExponents, (TIntegerArray{1, 127, 122, 154, 164, 11, 68, 117}));
    EXPECT_EQ(f.Log(127), 87);
}

TEST(QRCodeReedSolomon, IsoWorkedExample01234567At1M)
{
    // ISO/IEC 18004 Annex I: "01234567" at 1-M.
    const TBytesArray data = {16, 32, 12, 86, 97, 128, 236, 17, 236, 17, 236, 17, 236, 17, 236, 17};
    const std::vector<int> check = {165, 36, 212, 193, 237, 54, 199, 135, 44, 85};

    TIntegerArray block(data.begin(), data.end());
    block.resize(26, 0);
    TReedSolomonEncoder(TGenericGF::QRCodeField256()).Encode(block, 10);
    EXPECT_EQ(std::vector<int>(block.begin() + 16, block.end()), check);

    TEncoder enc;
    TBytesArray ec;
    enc.MakeECBytes(data, 10, ec);
    EXPECT_EQ(Ints(ec), check);

    // The whole encoder at level M carries the same codewords.
    TQRCode qr;
    enc.Encode(u"01234567", int(TQRCodeEncoding::Automatic), TErrorCorrectionLevel::M(), qr);
    EXPECT_EQ(Ints(qr.Codewords(), 0, 16), Ints(data));
    EXPECT_EQ(Ints(qr.Codewords(), 16), check);
    const zt::Decoded d = DecodeMatrix(*qr.Matrix());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.text, "01234567");
}

TEST(QRCodeReedSolomon, ShiftRegisterMatchesPolynomialDivision)
{
    std::mt19937 rng(5);
    TReedSolomonEncoder rs(TGenericGF::QRCodeField256()); // one encoder, its cache used out of order
    int leadingZero = 0;
    for (int round = 0; round < 3000; ++round) {
        const int ec = 1 + int(rng() % MaxECCodewords);
        const int n = 1 + int(rng() % 150);
        TBytesArray data(static_cast<size_t>(n));
        for (uint8_t &b : data)
            b = uint8_t(rng());
        TIntegerArray block(data.begin(), data.end());
        block.resize(size_t(n + ec), 0x5A);
        rs.Encode(block, ec);
        uint8_t fast[MaxECCodewords];
        ComputeECCodewords(data.data(), n, fast, ec);
        ASSERT_EQ(std::vector<int>(block.begin() + n, block.end()), std::vector<int>(fast, fast + ec)) << round;
        leadingZero += fast[0] == 0;
    }
    EXPECT_GT(leadingZero, 0); // remainders with leading zero coefficients were among them
    TIntegerArray none = {1, 2, 3};
    rs.Encode(none, 0);
    EXPECT_EQ(none, (TIntegerArray{1, 2, 3}));
}

TEST(QRCodeReedSolomon, InterleavingOfVersion5And10)
{
    TEncoder enc;
    // 5-L: one block, so the stream is the data, then its check codewords.
    TBytesArray data5(108);
    for (size_t i = 0; i < data5.size(); ++i)
        data5[i] = uint8_t(i * 7);
    TBytesArray out;
    ASSERT_TRUE(enc.InterleaveCodewords(data5.data(), 134, 108, 1, out));
    TBytesArray ec5;
    enc.MakeECBytes(data5, 26, ec5);
    EXPECT_EQ(Ints(out, 0, 108), Ints(data5));
    EXPECT_EQ(Ints(out, 108), Ints(ec5));

    // 10-L: blocks of 68, 68, 69 and 69 data codewords, 18 check codewords each.
    TBytesArray data10(274);
    for (size_t i = 0; i < data10.size(); ++i)
        data10[i] = uint8_t(i);
    ASSERT_TRUE(enc.InterleaveCodewords(data10.data(), 346, 274, 4, out));
    const size_t start[4] = {0, 68, 136, 205};
    EXPECT_EQ(Ints(out, 0, 4), (std::vector<int>{0, 68, 136, 205}));
    // Position 68 comes from blocks 2 and 3 only (codewords 204 and 273, the latter stored mod 256).
    EXPECT_EQ(Ints(out, 268, 6), (std::vector<int>{67, 135, 203, 272 % 256, 204, 273 % 256}));
    for (int b = 0; b < 4; ++b) {
        const TBytesArray block(data10.begin() + long(start[b]), data10.begin() + long(start[b] + (b < 2 ? 68 : 69)));
        TBytesArray ec;
        enc.MakeECBytes(block, 18, ec);
        for (int j = 0; j < 18; ++j)
            EXPECT_EQ(out[size_t(274 + j * 4 + b)], ec[size_t(j)]);
    }
    EXPECT_FALSE(enc.EncoderError());

    // The bit-stream form gives the same stream.
    TBitArray bits = BitsOf(data10), result;
    enc.InterleaveBlocks(bits, 346, 274, 4, result);
    TBytesArray back(346);
    result.ToBytes(0, back, 0, 346);
    EXPECT_EQ(back, out);
}

// ---- matrix -------------------------------------------------------------------------------

TEST(QRCodeMatrix, FormatAndVersionInformation)
{
    EXPECT_EQ(TMatrixUtil::FormatInfoBits(L, 0), 0b111011111000100);
    EXPECT_EQ(TMatrixUtil::FormatInfoBits(TErrorCorrectionLevel::M(), 5), 0b100000011001110); // ISO Annex C
    EXPECT_EQ(TMatrixUtil::VersionInfoBits(7), 0b000111110010010100);
    EXPECT_EQ(TMatrixUtil::VersionInfoBits(40), 0b101000110001101001); // ISO Annex D
    EXPECT_EQ(TMatrixUtil::VersionInfoBits(6), -1);
    EXPECT_EQ(TMatrixUtil::BitLength(0), 0);
    EXPECT_EQ(TMatrixUtil::BitLength(0x537), 11);
}

TEST(QRCodeMatrix, FunctionPatternsOfVersions1And7)
{
    TMatrixUtil util;
    TByteMatrix m1(21, 21);
    util.BuildMatrix(TBitArray(), L, 1, 0, m1);
    for (int i = 8; i <= 12; ++i) {
        EXPECT_EQ(m1.Get(i, 6), i % 2 == 0 ? 1 : 0);
        EXPECT_EQ(m1.Get(6, i), i % 2 == 0 ? 1 : 0);
    }
    EXPECT_EQ(m1.Get(8, 13), 1); // dark module
    EXPECT_FALSE(util.MatrixUtilError());
    EXPECT_EQ(m1.Get(7, 7), 0); // separator corner

    TMatrixUtil util7;
    TByteMatrix m7(45, 45);
    TMatrixUtil::ResetMatrix(m7);
    util7.PlaceFunctionPatterns(7, m7);
    // Six alignment patterns: every pair of 6, 22, 38 but the three on finder patterns.
    int alignments = 0;
    for (int y : {6, 22, 38})
        for (int x : {6, 22, 38}) {
            const bool finder = (x == 6 && y == 6) || (x == 38 && y == 6) || (x == 6 && y == 38);
            const bool alignment = m7.Get(x, y) == 1 && m7.Get(x - 1, y) == 0 && m7.Get(x + 1, y + 1) == 0
                                && m7.Get(x - 2, y - 2) == 1 && m7.Get(x + 2, y) == 1;
            EXPECT_EQ(alignment, !finder) << x << "," << y;
            alignments += alignment;
        }
    EXPECT_EQ(alignments, 6);
    EXPECT_FALSE(util7.MatrixUtilError());
}

TEST(QRCodeMatrix, FinishedMatrixHasNoEmptyCells)
{
    TEncoder enc;
    TQRCode qr;
    enc.Encode(std::u16string(300, u'Z'), int(TQRCodeEncoding::Automatic), L, qr);
    const TByteMatrix &m = *qr.Matrix();
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x)
            ASSERT_TRUE(m.Get(x, y) == 0 || m.Get(x, y) == 1);
    EXPECT_EQ(m.Hash().size(), size_t(m.Height()));
}

// The encoder places and masks on bit rows; the cell-by-cell builder and penalty sum, which
// follow the standard's wording step by step, must choose the same mask and draw the same matrix.
TEST(QRCodeMatrix, BitRowPathMatchesCellByCellBuilder)
{
    std::mt19937 rng(77);
    for (int round = 0; round < 120; ++round) {
        const int n = 1 + int(rng() % (round < 60 ? 60 : 1200));
        std::u16string text;
        for (int i = 0; i < n; ++i)
            text.push_back(char16_t(32 + rng() % 200));
        TEncoder enc;
        TQRCode qr;
        enc.Encode(text, int(TQRCodeEncoding::Automatic), L, qr);
        const int v = qr.Version(), size = 17 + 4 * v;
        TByteMatrix scratch(size, size);
        const TBitArray bits = BitsOf(qr.Codewords());
        EXPECT_EQ(enc.PickMaskPattern(bits, L, scratch, v), qr.MaskPattern()) << round;
        TByteMatrix built(size, size);
        TMatrixUtil util;
        util.BuildMatrix(bits, L, v, qr.MaskPattern(), built);
        EXPECT_FALSE(util.MatrixUtilError());
        EXPECT_EQ(built, *qr.Matrix()) << round;
    }
}

TEST(QRCodeMatrix, LowerMaskWinsATie)
{
    // Search seeded texts for symbols whose lowest penalty is shared by two masks.
    std::mt19937 rng(3);
    int ties = 0;
    for (int round = 0; round < 4000 && ties < 5; ++round) {
        std::u16string text;
        for (int i = 0, n = 1 + int(rng() % 15); i < n; ++i)
            text.push_back(char16_t(u'0' + rng() % 10));
        TEncoder enc;
        TQRCode qr;
        enc.Encode(text, int(TQRCodeEncoding::Automatic), L, qr);
        const TBitArray bits = BitsOf(qr.Codewords());
        int penalties[8], best = INT32_MAX;
        for (int m = 0; m < 8; ++m) {
            TByteMatrix mat(21, 21);
            TMatrixUtil().BuildMatrix(bits, L, 1, m, mat);
            penalties[m] = TEncoder::MaskPenalty(mat);
            best = std::min(best, penalties[m]);
        }
        if (std::count(penalties, penalties + 8, best) < 2)
            continue;
        ++ties;
        EXPECT_EQ(qr.MaskPattern(), int(std::find(penalties, penalties + 8, best) - penalties));
    }
    EXPECT_GT(ties, 0);
}

// ---- penalty rules --------------------------------------------------------------------------

TEST(QRCodePenalty, Rule1Runs)
{
    const struct {
        std::vector<std::string> rows;
        int penalty;
    } cases[] = {
        {{"1111"}, 0},
        {{"11111"}, 3},
        {{"111111"}, 4},
        {{"1111100000"}, 6},          // a dark and a light run
        {{"1111111111"}, 8},
        {{"001111", "110000"}, 0},    // a run never continues into the next row
        {{"1", "1", "1", "1", "1", "1", "1"}, 5}, // columns count the same way
        {{"11111", "00000"}, 6},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PenaltyRuns(Hand(c.rows)), c.penalty) << c.rows[0];
}

TEST(QRCodePenalty, Rule2Blocks)
{
    const struct {
        std::vector<std::string> rows;
        int penalty;
    } cases[] = {
        {{"11", "11"}, 3},
        {{"00", "00"}, 3},
        {{"10", "01"}, 0},
        {{"111", "111"}, 6},
        {{"111", "111", "111"}, 12}, // overlapping squares count separately
        {{"110", "111", "011"}, 6},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PenaltyBlocks(Hand(c.rows)), c.penalty) << c.rows[0];
}

TEST(QRCodePenalty, Rule3FinderLike)
{
    const struct {
        std::vector<std::string> rows;
        int penalty;
    } cases[] = {
        {{"10111010000"}, 40},       // four light after
        {{"00001011101"}, 40},       // four light before
        {{"000010111010000"}, 40},   // both sides: one position counts once
        {{"1011101000"}, 0},         // three light after; the edge is not light
        {{"0001011101"}, 0},
        {{"1011101"}, 0},
        {{"10111010000", "10111010000"}, 80},
        {{"1", "0", "1", "1", "1", "0", "1", "0", "0", "0", "0"}, 40}, // downward
        {{"00001011101000010111010000"}, 80},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PenaltyFinderLike(Hand(c.rows)), c.penalty) << c.rows[0];
}

TEST(QRCodePenalty, Rule4DarkRatio)
{
    const struct {
        int dark; // of 100 modules
        int penalty;
    } cases[] = {{50, 0}, {46, 0}, {45, 10}, {43, 10}, {55, 10}, {34, 30}, {60, 20}, {0, 100}, {100, 100}};
    for (const auto &c : cases) {
        TByteMatrix m(10, 10);
        for (int i = 0; i < c.dark; ++i)
            m.SetInteger(i % 10, i / 10, 1);
        EXPECT_EQ(PenaltyDarkRatio(m), c.penalty) << c.dark;
    }
}

// The bit-row penalty used for the mask choice gives the same sums as the four rules.
TEST(QRCodePenalty, BitRowSumEqualsTheRules)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        const int size = 21 + 4 * int(rng() % 40);
        const unsigned density = 1 + rng() % 7; // from sparse to dense, long runs included
        TByteMatrix m(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                m.SetInteger(x, y, rng() % 8 < density);
        if (round % 3 == 0) // rows and columns that hold the finder-like pattern
            for (int i = 0; i + 11 <= size; i += 13)
                for (int k = 0; k < 11; ++k) {
                    const int bit = "00001011101"[k] - '0';
                    m.SetInteger(i + k, (i * 7) % size, bit);
                    m.SetInteger((i * 5) % size, i + k, bit);
                }
        TModuleRows rows;
        MatrixToRows(m, rows);
        ASSERT_EQ(MaskPenaltyRows(rows), TEncoder::MaskPenalty(m)) << "size " << size << " round " << round;
        TByteMatrix back;
        RowsToMatrix(rows, back);
        ASSERT_EQ(back, m);
    }
}

} // namespace
