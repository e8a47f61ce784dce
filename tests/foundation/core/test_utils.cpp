// Units, rounding and rectangle geometry. Expected values are worked out by hand from the
// rules in KXUtils.h; the ones marked "fault" pin behaviour where 32-bit products or a zero
// divisor used to give garbage.
#include "core/KXUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <utility>

using namespace kx;

namespace kx {
std::ostream &operator<<(std::ostream &os, const TRect &r)
{
    return os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}
std::ostream &operator<<(std::ostream &os, const TPoint &p)
{
    return os << "(" << p.x << ", " << p.y << ")";
}
} // namespace kx

namespace {

constexpr int32_t I32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t I32Min = std::numeric_limits<int32_t>::min();

// ---------------------------------------------------------------------------------------
// Rounding and units

TEST(Rounding, HalvesToEvenAndHalfUp)
{
    struct Case {
        long double x;
        int32_t round, halfUp;
    } cases[] = {
        {2.5L, 2, 3},     {3.5L, 4, 4},       {-2.5L, -2, -2}, {-3.5L, -4, -3},
        {0.5L, 0, 1},     {1.5L, 2, 2},       {0.4999L, 0, 0}, {2.4999L, 2, 2},
        {-2.7L, -3, -2},  {-0.5L, 0, 0},      {7.0L, 7, 7},    {-7.0L, -7, -7},
        {1e12L, I32Max, I32Max}, {-1e12L, I32Min, I32Min}, // saturate, never undefined
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Round(c.x), c.round) << double(c.x);
        EXPECT_EQ(RoundHalfUp(c.x), c.halfUp) << double(c.x);
    }
    EXPECT_EQ(Round(std::nanl("")), 0);
    EXPECT_EQ(RoundHalfUp(std::nanl("")), 0);
    EXPECT_EQ(Round64(5000000000.5L), 5000000000LL);
    EXPECT_EQ(Round64(-5000000001.5L), -5000000002LL);
    EXPECT_EQ(Round64(1e30L), std::numeric_limits<int64_t>::max());
    // Just below 2^63 a half still exists in extended precision; rounding it up saturates.
    constexpr long double Two63 = 9223372036854775808.0L;
    EXPECT_EQ(Round64(Two63 - 0.5L), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Round64(Two63 - 1.5L), std::numeric_limits<int64_t>::max() - 1);
    EXPECT_EQ(Round64(-Two63 + 0.5L), std::numeric_limits<int64_t>::min()); // to the even one
}

TEST(Rounding, HundredthsAndUnits)
{
    EXPECT_EQ(ToHundredths(0.125L), 12); // 12.5 goes to the even neighbour
    EXPECT_EQ(ToHundredths(0.375L), 38);
    EXPECT_EQ(ToHundredths(-0.125L), -12);
    EXPECT_EQ(ToHundredths(30000000.0L), 3000000000LL); // beyond 32 bits
    EXPECT_DOUBLE_EQ(double(FromHundredths(1234)), 12.34);

    struct Case {
        long double v;
        TKXUnits u;
        int32_t internal;
    } cases[] = {
        {1, TKXUnits::unINCH, 2540}, {1, TKXUnits::unMM, 100},    {1, TKXUnits::unCM, 1000},
        {2.54L, TKXUnits::unCM, 2540}, {0.125L, TKXUnits::unMM, 12}, {0.00025L, TKXUnits::unCM, 0},
        {-1.5L, TKXUnits::unINCH, -3810}, {0.0005L, TKXUnits::unINCH, 1}, // 1.27
    };
    for (const auto &c : cases)
        EXPECT_EQ(UnitsToInternal(c.v, c.u), c.internal) << double(c.v) << " " << EnumName(c.u);

    EXPECT_DOUBLE_EQ(double(InternalToUnits(2540, TKXUnits::unCM)), 2.54);
    EXPECT_DOUBLE_EQ(double(InternalToUnits(2540, TKXUnits::unINCH)), 1.0);
    EXPECT_DOUBLE_EQ(double(InternalToUnits(150, TKXUnits::unMM)), 1.5);
    // Shown and entered again, a stored length comes back unchanged in every unit.
    for (TKXUnits u : {TKXUnits::unMM, TKXUnits::unCM, TKXUnits::unINCH})
        for (int32_t n : {0, 1, 7, 2539, 2540, 12345, -999, 2000000000})
            EXPECT_EQ(UnitsToInternal(InternalToUnits(n, u), u), n) << n << " " << EnumName(u);
}

TEST(Rounding, MulDivRoundsWithoutOverflow)
{
    struct Case {
        int32_t a, b, c, expected;
    } cases[] = {
        {10, 3, 4, 8},   {-10, 3, 4, -8},  {10, -3, 4, -8}, {-10, -3, 4, 8}, {10, 3, -4, -8},
        {7, 1, 2, 4},    {5, 1, 3, 2},     {100000, 100000, 100000, 100000},
        {I32Max, I32Max, I32Max, I32Max},
        {I32Max, 2, 1, I32Max}, // saturates
        {123, 456, 0, 0},       // fault: a zero divisor answers 0
    };
    for (const auto &c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Rounding, DigitSum)
{
    EXPECT_EQ(DigitSum(12345), 15);
    EXPECT_EQ(DigitSum(9), 9);
    EXPECT_EQ(DigitSum(0), 0);
    EXPECT_EQ(DigitSum(-55), 0);
    EXPECT_EQ(DigitSum(9999999999LL), 90);
}

// ---------------------------------------------------------------------------------------
// Rectangles

TEST(Geometry, PointDistance)
{
    EXPECT_EQ(PointDistance({0, 0}, {3, 4}), 5);
    EXPECT_EQ(PointDistance({3, 4}, {0, 0}), 5);
    EXPECT_EQ(PointDistance({1, 1}, {2, 2}), 1); // 1.414
    EXPECT_EQ(PointDistance({0, 0}, {1, 1}), 1);
    // Fault: 60000^2 + 80000^2 overflows 32 bits.
    EXPECT_EQ(PointDistance({0, 0}, {60000, 80000}), 100000);
    EXPECT_EQ(PointDistance({-30000, -40000}, {30000, 40000}), 100000);
    EXPECT_EQ(PointDistance({I32Min, I32Min}, {I32Max, I32Max}), I32Max);
}

TEST(Geometry, NormalizeRect)
{
    struct Case {
        TRect in, out;
        bool swapped;
    } cases[] = {
        {{0, 0, 10, 20}, {0, 0, 10, 20}, false},
        {{10, 0, 0, 20}, {0, 0, 10, 20}, true},
        {{0, 20, 10, 0}, {0, 0, 10, 20}, true},
        {{10, 20, 0, 0}, {0, 0, 10, 20}, true},
        {{5, 5, 5, 5}, {5, 5, 5, 5}, false},
    };
    for (const auto &c : cases) {
        TRect r = c.in;
        bool swapped = !c.swapped;
        NormalizeRectFlag(r, swapped);
        EXPECT_EQ(r, c.out) << c.in;
        EXPECT_EQ(swapped, c.swapped) << c.in;
        TRect r2 = c.in;
        NormalizeRect(r2);
        EXPECT_EQ(r2, c.out);
    }
}

TEST(Geometry, KeepRectInside)
{
    struct Case {
        TRect in;
        int32_t minX, minY, maxX, maxY;
        TRect out;
        const char *why;
    } cases[] = {
        {{95, 10, 99, 12}, 0, 0, 100, 100, {96, 10, 100, 18},
         "grown to 8 high; shifted left by its measured width 4"},
        {{20, 20, 40, 40}, 0, 0, 100, 100, {20, 20, 40, 40}, "inside: unchanged"},
        {{40, 40, 20, 20}, 0, 0, 100, 100, {20, 20, 40, 40}, "reversed: ordered"},
        {{90, 95, 120, 110}, 0, 0, 100, 100, {70, 85, 100, 100}, "shifted back over the high bounds"},
        {{-10, -5, 10, 5}, 0, 0, 100, 100, {0, 0, 20, 10}, "shifted back over the low bounds"},
        {{0, 0, 50, 50}, 10, 10, 30, 30, {10, 10, 60, 60}, "bounds tighter: the low ones win"},
        {{10, 10, 12, 12}, 0, 0, 100, 100, {10, 10, 18, 18}, "tiny: grown to 8 x 8"},
    };
    for (const auto &c : cases) {
        TRect r = c.in;
        KeepRectInside(r, c.minX, c.minY, c.maxX, c.maxY);
        EXPECT_EQ(r, c.out) << c.why;
    }
}

TEST(Geometry, RectPredicatesAndSetters)
{
    const TRect b{0, 0, 100, 100};
    EXPECT_TRUE(RectInsideRect({0, 0, 100, 100}, b));
    EXPECT_TRUE(RectInsideRect({10, 10, 20, 20}, b));
    EXPECT_FALSE(RectInsideRect({-1, 10, 20, 20}, b));
    EXPECT_FALSE(RectInsideRect({10, 10, 20, 101}, b));
    EXPECT_TRUE(SameRect({1, 2, 3, 4}, {1, 2, 3, 4}));
    EXPECT_FALSE(SameRect({1, 2, 3, 4}, {1, 2, 3, 5}));

    EXPECT_EQ(RectWidth({10, 0, 4, 0}), -6); // no normalisation
    EXPECT_EQ(RectHeight({0, 3, 0, 10}), 7);

    TRect r{10, 20, 40, 60};
    RectAt(r, -5, 7);
    EXPECT_EQ(r, (TRect{-5, 7, 25, 47}));
    SetRectLeft(r, 1);
    SetRectTop(r, 2);
    SetRectRight(r, 3);
    SetRectBottom(r, 4);
    EXPECT_EQ(r, (TRect{1, 2, 3, 4}));
    EmptyRect(r);
    EXPECT_EQ(r, (TRect{-1, -1, -1, -1}));
}

TEST(Geometry, CornerMoves)
{
    using Move = void (*)(TRect &, int32_t, int32_t, bool);
    struct Case {
        Move move;
        const char *name;
        TRect in;
        int32_t x, y;
        bool keep;
        TRect out;
    } cases[] = {
        {MoveRectLeftTop, "LeftTop", {0, 0, 100, 50}, -20, 999, true, {-20, -10, 100, 50}},
        {MoveRectRightTop, "RightTop", {0, 0, 100, 50}, 120, 999, true, {0, -10, 120, 50}},
        {MoveRectLeftBottom, "LeftBottom", {0, 0, 100, 50}, -20, 999, true, {-20, 0, 100, 60}},
        {MoveRectRightBottom, "RightBottom", {0, 0, 100, 50}, 120, 999, true, {0, 0, 120, 60}},
        {MoveRectLeftTop, "LeftTop", {0, 0, 100, 50}, 5, 6, false, {5, 6, 100, 50}},
        {MoveRectRightTop, "RightTop", {0, 0, 100, 50}, 5, 6, false, {0, 6, 5, 50}},
        {MoveRectLeftBottom, "LeftBottom", {0, 0, 100, 50}, 5, 6, false, {5, 0, 100, 6}},
        {MoveRectRightBottom, "RightBottom", {0, 0, 100, 50}, 5, 6, false, {0, 0, 5, 6}},
        // The shift is rounded halves-to-even: -0.5 -> 0 and -1.5 -> -2.
        {MoveRectRightBottom, "RightBottom", {0, 0, 4, 1}, 6, 0, true, {0, 0, 6, 1}},
        {MoveRectRightBottom, "RightBottom", {0, 0, 4, 1}, 10, 0, true, {0, 0, 10, 3}},
        // Fault: a zero width divided by zero; now the horizontal edge stays.
        {MoveRectLeftTop, "LeftTop", {10, 0, 10, 50}, 0, 999, true, {0, 0, 10, 50}},
        {MoveRectRightBottom, "RightBottom", {10, 0, 10, 50}, 30, 999, true, {10, 0, 30, 50}},
        // Fault: s x h = 100000 x 100000 overflowed 32 bits.
        {MoveRectRightBottom, "RightBottom", {0, 0, 100000, 100000}, 200000, 0, true, {0, 0, 200000, 200000}},
        {MoveRectLeftTop, "LeftTop", {0, 0, 100000, 50000}, -100000, 0, true, {-100000, -50000, 100000, 50000}},
    };
    for (const auto &c : cases) {
        TRect r = c.in;
        c.move(r, c.x, c.y, c.keep);
        EXPECT_EQ(r, c.out) << c.name << " " << c.in << " to " << c.x << "," << c.y << " keep " << c.keep;
    }
}

TEST(Geometry, ClampValueTestsTheUpperBoundFirst)
{
    struct Case {
        int32_t v, lo, hi, out;
    } cases[] = {{5, 0, 10, 5}, {-1, 0, 10, 0}, {11, 0, 10, 10}, {0, 0, 10, 0}, {10, 0, 10, 10},
                 {5, 10, 0, 0}, {-5, 10, 0, 10}};
    for (const auto &c : cases)
        EXPECT_EQ(ClampValue(c.v, c.lo, c.hi), c.out) << c.v << " in " << c.lo << ".." << c.hi;
}

// ---------------------------------------------------------------------------------------
// Rotation and anchoring

TEST(Rotation, RotatePoint)
{
    struct Case {
        TPoint p, c;
        int32_t angle;
        TPoint out;
    } cases[] = {
        {{10, 0}, {0, 0}, 0, {10, 0}},       {{10, 0}, {0, 0}, 90, {0, -10}},
        {{10, 0}, {0, 0}, 180, {-10, 0}},    {{10, 0}, {0, 0}, 270, {0, 10}},
        {{10, 0}, {0, 0}, 30, {8, 5}},       {{10, 0}, {0, 0}, 45, {7, 7}},
        {{10, 0}, {0, 0}, 120, {-5, 8}},     {{0, 10}, {0, 0}, 30, {-5, 8}},
        {{-10, 0}, {0, 0}, 30, {-8, -5}}, // truncation towards zero on both sides
        {{15, 12}, {5, 2}, 90, {15, -8}},    {{15, 12}, {5, 2}, 270, {-5, 12}},
        {{15, 12}, {5, 2}, 180, {-5, -8}},
        {{10, 0}, {0, 0}, 60, {10, 0}},      // an angle without a rule leaves the point alone
        {{10, 0}, {0, 0}, -90, {10, 0}},
    };
    for (const auto &c : cases) {
        TPoint p = c.p;
        RotatePoint(p, c.c, c.angle);
        EXPECT_EQ(p, c.out) << c.p << " about " << c.c << " by " << c.angle;
    }
}

TEST(Rotation, RotateRect)
{
    struct Case {
        TRect in;
        TPoint c;
        int32_t angle;
        TRect out;
    } cases[] = {
        {{0, 0, 10, 20}, {0, 0}, 180, {-10, 0, 0, -20}}, // Top and Bottom only mirrored
        {{0, 0, 10, 20}, {0, 0}, 90, {0, -10, 20, 0}},
        {{0, 0, 10, 20}, {0, 0}, 270, {-20, 0, 0, 10}},
        {{0, 0, 10, 20}, {0, 0}, 0, {0, 0, 10, 20}},
        {{0, 0, 10, 20}, {0, 0}, 45, {0, 0, 10, 20}},
    };
    for (const auto &c : cases) {
        TRect r = c.in;
        RotateRect(r, c.c, c.angle);
        EXPECT_EQ(r, c.out) << c.in << " by " << c.angle;
    }
}

// RotateRect must map a rectangle the way RotatePoint maps its corners.
TEST(Rotation, RotateRectAgreesWithRotatePoint)
{
    const TRect rects[] = {{0, 0, 10, 20}, {-7, 3, 25, 41}, {100, 200, 130, 210}};
    const TPoint centres[] = {{0, 0}, {5, -3}, {115, 205}};
    for (const TRect &in : rects)
        for (TPoint c : centres)
            for (int32_t angle : {0, 90, 180, 270}) {
                TPoint a{in.Left, in.Top}, b{in.Right, in.Bottom};
                RotatePoint(a, c, angle);
                RotatePoint(b, c, angle);
                TRect fromPoints{a.x, a.y, b.x, b.y};
                NormalizeRect(fromPoints);
                TRect r = in;
                RotateRect(r, c, angle);
                NormalizeRect(r);
                EXPECT_EQ(r, fromPoints) << in << " about " << c << " by " << angle;
            }
}

TEST(Rotation, AnchorRect)
{
    struct Case {
        int32_t angle, x, y, w, h, kase;
        TRect out;
    } cases[] = {
        {0, 100, 100, 5, 10, 1, {98, 90, 102, 100}}, // the odd width loses one unit
        {90, 100, 100, 30, 10, 0, {90, 70, 100, 100}},  // Left = X - H, Top = Y - W
        {0, 100, 100, 30, 10, 0, {100, 90, 130, 100}},
        {0, 100, 100, 30, 10, 2, {70, 90, 100, 100}},
        {0, 100, 100, 30, 10, 3, {100, 100, 130, 110}},
        {0, 100, 100, 30, 10, 4, {85, 100, 115, 110}},
        {0, 100, 100, 30, 10, 5, {70, 100, 100, 110}},
        {180, 100, 100, 30, 10, 0, {70, 100, 100, 110}},
        {270, 100, 100, 30, 10, 0, {100, 100, 110, 130}},
        {270, 100, 100, 30, 10, 5, {90, 70, 100, 100}},
    };
    for (const auto &c : cases) {
        TRect r{1, 2, 3, 4};
        AnchorRect(r, c.angle, c.x, c.y, c.w, c.h, c.kase);
        EXPECT_EQ(r, c.out) << "case " << c.kase << " angle " << c.angle;
    }
}

// At every angle the anchored rectangle is the angle-0 one turned about the anchor.
TEST(Rotation, AnchorRectIsTheTurnedUprightRect)
{
    for (int32_t kase = 0; kase <= 5; ++kase)
        for (int32_t angle : {90, 180, 270}) {
            TRect upright{}, turned{};
            AnchorRect(upright, 0, 40, -15, 31, 12, kase);
            AnchorRect(turned, angle, 40, -15, 31, 12, kase);
            RotateRect(upright, {40, -15}, angle);
            NormalizeRect(upright);
            EXPECT_EQ(turned, upright) << "case " << kase << " angle " << angle;
        }
}

// Fault: an unhandled case or angle left the rectangle undefined.
TEST(Rotation, AnchorRectKeepsTheRectForUnknownCaseOrAngle)
{
    const std::pair<int32_t, int32_t> unknown[] = {{0, 6}, {0, -1}, {45, 0}, {360, 3}, {-90, 1}};
    for (auto [angle, kase] : unknown) {
        TRect r{11, 22, 33, 44};
        AnchorRect(r, angle, 100, 100, 5, 10, kase);
        EXPECT_EQ(r, (TRect{11, 22, 33, 44})) << "case " << kase << " angle " << angle;
    }
}

// ---------------------------------------------------------------------------------------
// Colour and text

TEST(Colour, LuminanceAndContrast)
{
    struct Case {
        TColor c;
        int32_t lum;
        TColor contrast;
    } cases[] = {
        {0x00FF00, 150, clBlack}, // pure green
        {0xFF0000, 27, clWhite},  // pure blue
        {0x0000FF, 76, clWhite},  // pure red
        {0xFFFFFF, 255, clBlack}, {0x000000, 0, clWhite},
        {0x808080, 128, clBlack}, {0x7F7F7F, 127, clWhite}, // the threshold
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Luminance(c.c), c.lum) << std::hex << c.c;
        EXPECT_EQ(ContrastColor(c.c), c.contrast) << std::hex << c.c;
    }
}

TEST(Text, ExtentCountsCodeUnits)
{
    const TKXFixedMeasurer m(7, 12);
    EXPECT_EQ(WideTextExtent(m, u"abc"), (TSize{21, 12}));
    EXPECT_EQ(WideTextExtent(m, u"\U0001F600"), (TSize{14, 12})); // a surrogate pair is two units
    EXPECT_EQ(WideTextExtent(m, u"").cx, 0);
}

TEST(Text, Helpers)
{
    struct Case {
        const char *in, *quoted, *points, *afterPoint;
    } cases[] = {
        {"", "''", "", ""},
        {"it's", "'it''s'", "it's", "it's"},
        {"''", "''''''", "''", "''"},
        {"1,5,0", "'1,5,0'", "1.5.0", "1,5,0"},
        {"a.b.c", "'a.b.c'", "a.b.c", "c"},
        {"DM.Clientes", "'DM.Clientes'", "DM.Clientes", "Clientes"},
        {"abc.", "'abc.'", "abc.", ""},
    };
    for (const auto &c : cases) {
        AnsiString q = c.in, p = c.in, a = c.in;
        QuoteText(q);
        CommaToPoint(p);
        TextAfterLastPoint(a);
        EXPECT_EQ(q, c.quoted);
        EXPECT_EQ(p, c.points);
        EXPECT_EQ(a, c.afterPoint);
    }
    WideString w = u"l'été,1";
    QuoteText(w);
    EXPECT_EQ(w, u"'l''été,1'");
    CommaToPoint(w);
    EXPECT_EQ(w, u"'l''été.1'");
    TextAfterLastPoint(w);
    EXPECT_EQ(w, u"1'");
}

} // namespace
