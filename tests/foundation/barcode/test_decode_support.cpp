// The decoding harness itself: zxing must read a symbol drawn by hand from the standard,
// and must refuse a blank image, or every symbol test built on it proves nothing.
#include "SymbolDecode.h"

#include <gtest/gtest.h>

namespace {

// EAN-8 "96385074" written out by hand from the L/R digit sets of EN 797.
std::vector<int> Ean8_96385074()
{
    const char *L[] = {"3211", "2221", "2122", "1411", "1132", "1231", "1114", "1312", "1213", "3112"};
    const char *digits = "96385074";
    std::vector<int> e = {1, 1, 1};
    for (int i = 0; i < 8; ++i) {
        if (i == 4)
            for (int k = 0; k < 5; ++k)
                e.push_back(1);
        for (const char *p = L[digits[i] - '0']; *p; ++p)
            e.push_back(*p - '0');
    }
    for (int k = 0; k < 3; ++k)
        e.push_back(1);
    return e;
}

TEST(DecodeSupport, ReadsHandDrawnEan8)
{
    // The left half starts with a space: the guard's last bar is followed by the digit's
    // leading space, so alternate widths start with the guard bar as required.
    const zt::Decoded d = zt::Decode(zt::RasterBars(Ean8_96385074()));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.text, "96385074");
    EXPECT_EQ(d.format, "EAN-8");
}

TEST(DecodeSupport, RefusesBlankImage)
{
    zt::GreyImage blank;
    blank.width = 200;
    blank.height = 50;
    blank.pixels.assign(200 * 50, 255);
    EXPECT_FALSE(zt::Decode(blank).ok);
}

} // namespace
