// Length units, rounding, integer rectangle geometry, rotation by fixed angles, anchoring,
// contrast colour, text measurement and a few text helpers. All free functions without
// state.
//
// Lengths are 32-bit signed hundredths of a millimetre unless a routine says otherwise;
// rectangles have y growing downwards. Intermediate products are formed in 64 bits, so a
// result inside the 32-bit range is exact; a result outside it wraps as 32-bit integer
// arithmetic does (never undefined behaviour).
#pragma once

#include "core/KXTypes.h"

#include <cstdint>
#include <string>

namespace kx {

// ---------------------------------------------------------------------------------------
// Length units: the one place where units meet hundredths of a millimetre.

inline constexpr int32_t HundredthsPerMM = 100;
inline constexpr int32_t HundredthsPerCM = 1000;
inline constexpr int32_t HundredthsPerInch = 2540;

// Hundredths of a millimetre in one `Units` (100, 2540 or 1000); 100 for an unknown ordinal.
int32_t HundredthsPerUnit(TKXUnits Units);

// A value shown in `Units` -> hundredths of a millimetre, rounded halves-to-even
// (1 inch -> 2540, 0.125 mm -> 12).
int32_t UnitsToInternal(long double Value, TKXUnits Units);

// Hundredths of a millimetre -> the value shown in `Units` (2540 in cm -> 2.54).
long double InternalToUnits(int64_t Value, TKXUnits Units);

// ---------------------------------------------------------------------------------------
// Rounding. NaN gives 0; values beyond the result's range saturate.

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). This is
// the rounding every length and ratio of the library uses unless a routine names another.
int32_t Round(long double x);
int64_t Round64(long double x);

// Trunc(x), plus one when the fraction is 0.5 or more. For negative x the fraction is
// negative, so the result is Trunc(x): 2.5 -> 3, -2.5 -> -2, -2.7 -> -2. Grid snapping.
int32_t RoundHalfUp(long double x);

// a * b / c rounded to the nearest integer (halves away from zero) without intermediate
// overflow; 0 when c is 0. Label <-> screen pixel conversions use it.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// Sum of the decimal digits of n; 0 for n <= 0.
int32_t DigitSum(int64_t n);

// Millimetres -> hundredths of a millimetre, rounded halves-to-even (0.125 -> 12).
int64_t ToHundredths(long double x);

// Hundredths of a millimetre -> millimetres.
long double FromHundredths(int64_t n);

// ---------------------------------------------------------------------------------------
// Rectangles

// Rounded Euclidean distance; the squares are summed in 64 bits.
int32_t PointDistance(TPoint A, TPoint B);

// Orders Top <= Bottom, then Left <= Right; Swapped tells whether either pair was exchanged.
void NormalizeRectFlag(TRect &R, bool &Swapped);
void NormalizeRect(TRect &R);

// Keeps a dragged rectangle inside (MinX, MinY)-(MaxX, MaxY): orders it, grows it to at
// least 8 x 8, then shifts it inside by its width and height as measured before growing.
// The low bounds are applied last and win when the bounds are tighter than the rectangle.
void KeepRectInside(TRect &R, int32_t MinX, int32_t MinY, int32_t MaxX, int32_t MaxY);

// A lies within B (edges may touch).
bool RectInsideRect(const TRect &A, const TRect &B);
bool SameRect(const TRect &A, const TRect &B);

// Right - Left and Bottom - Top, without ordering the edges first.
int32_t RectWidth(const TRect &R);
int32_t RectHeight(const TRect &R);

// Moves R so that its left-top corner is (X, Y), keeping width and height.
void RectAt(TRect &R, int32_t X, int32_t Y);
void SetRectLeft(TRect &R, int32_t X);
void SetRectRight(TRect &R, int32_t X);
void SetRectTop(TRect &R, int32_t Y);
void SetRectBottom(TRect &R, int32_t Y);

// Corner moves of the designer's handles. Without KeepAspect the corner goes to (X, Y).
// With it the corner's vertical edge goes to X and its horizontal edge moves by the
// horizontal shift times height / width, rounded halves-to-even; Y is ignored. A rectangle
// of zero width has no aspect to keep: the horizontal edge stays.
void MoveRectLeftTop(TRect &R, int32_t X, int32_t Y, bool KeepAspect);
void MoveRectRightTop(TRect &R, int32_t X, int32_t Y, bool KeepAspect);
void MoveRectLeftBottom(TRect &R, int32_t X, int32_t Y, bool KeepAspect);
void MoveRectRightBottom(TRect &R, int32_t X, int32_t Y, bool KeepAspect);

// R := (-1, -1, -1, -1), the library's mark for an absent rectangle.
void EmptyRect(TRect &R);

// A coordinate computed in 64 bits brought onto the 32-bit range. Points from a damaged
// file may lie anywhere in that range; moves, turns and sheet positions are summed in 64
// bits and clamped with this, never wrapped.
constexpr int32_t ClampCoord(int64_t v)
{
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int32_t(v);
}

// A drawing anchor (an element's point plus the drawing origin) computed in 64 bits and
// kept within +-MaxAnchor. Lengths of a label file are limited to a few times 10^8 at most
// once multiplied by a symbol's module count, so the anchor plus such lengths stays on the
// 32-bit range; an anchor beyond lies kilometres off any label, where nothing shows.
inline constexpr int32_t MaxAnchor = 1 << 30;
constexpr int32_t AnchorCoord(int64_t v)
{
    return v > MaxAnchor ? MaxAnchor : v < -MaxAnchor ? -MaxAnchor : int32_t(v);
}

// A real number (a measured extent, a scaled length) rounded to the nearest integer and
// brought onto the 32-bit range; NaN gives 0. Converting a double outside the range
// straight to int32_t is undefined, and a damaged file can make any measure that large.
int32_t RoundToInt32(double v);

// max when Value > max, else min when Value < min, else Value (the upper bound is tested
// first, so an inverted range answers max).
int32_t ClampValue(int32_t Value, int32_t Min, int32_t Max);

// ---------------------------------------------------------------------------------------
// Rotation and anchoring. Angles are whole degrees.

// Turns P about C. 0, 90, 180 and 270 are exact (90 maps an offset (dx, dy) to (dy, -dx));
// 30, 45 and 120 truncate each product on its own and turn the other way. Any other angle
// leaves P as it is.
void RotatePoint(TPoint &P, TPoint C, int32_t Angle);

// Maps R about C like RotatePoint maps its corners, for 0, 90, 180 and 270; any other
// angle leaves R as it is. At 180 Left and Right are exchanged but Top and Bottom are only
// mirrored, so a normalised rectangle of non-zero height comes out with Top > Bottom.
void RotateRect(TRect &R, TPoint C, int32_t Angle);

// The rectangle that a W x H item (size before rotation) occupies when its reference
// point sits at (X, Y) and the item is turned about that point by Angle (0, 90, 180, 270).
// Case: 0 bottom-left, 1 bottom middle, 2 bottom-right, 3 top-left, 4 top middle,
// 5 top-right corner as reference point; the middle cases span -(W div 2) .. W div 2.
// Any other case or angle leaves R as it is.
void AnchorRect(TRect &R, int32_t Angle, int32_t X, int32_t Y, int32_t W, int32_t H, int32_t Case);

// ---------------------------------------------------------------------------------------
// Colour ($00BBGGRR)

// (77 red + 151 green + 28 blue) >> 8, 0..255.
int32_t Luminance(TColor Color);

// Black on light colours (luminance >= 128), white on dark ones.
TColor ContrastColor(TColor Color);

// ---------------------------------------------------------------------------------------
// Text measurement

// Width and height in the measurer's units (the canvas's logical units).
struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const TSize &, const TSize &) = default;
};

// What the library needs of a canvas to measure a line of text in its current font. The
// document's canvas implements it; tests use TKXFixedMeasurer.
class TKXTextMeasurer {
public:
    virtual ~TKXTextMeasurer() = default;
    virtual TSize TextExtent(const WideString &Text) const = 0;
};

// Every UTF-16 code unit advances by the same width; the height is the cell height.
class TKXFixedMeasurer : public TKXTextMeasurer {
public:
    TKXFixedMeasurer(int32_t Advance, int32_t Height) : FAdvance(Advance), FHeight(Height) {}
    TSize TextExtent(const WideString &Text) const override;

private:
    int32_t FAdvance;
    int32_t FHeight;
};

// The extent of Text in the measurer's current font, over its UTF-16 code units.
TSize WideTextExtent(const TKXTextMeasurer &Measurer, const WideString &Text);

// ---------------------------------------------------------------------------------------
// Text helpers, for ANSI (Windows-1252) and wide texts alike

// Doubles every apostrophe, then encloses the text in apostrophes (filter literals).
void QuoteText(AnsiString &S);
void QuoteText(WideString &S);

// Every comma becomes a full stop (decimal separators typed the European way).
void CommaToPoint(AnsiString &S);
void CommaToPoint(WideString &S);

// Keeps what follows the last full stop: "Module.Table" -> "Table"; a text without a full
// stop stays as it is.
void TextAfterLastPoint(AnsiString &S);
void TextAfterLastPoint(WideString &S);

} // namespace kx
