#include "core/KXUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kx {

namespace {

// 32-bit integer arithmetic of the stored geometry: formed in 64 bits, narrowed modulo 2^32.
constexpr int32_t Wrap(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

constexpr int32_t Saturate32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Trunc to a 64-bit integer, saturating; NaN gives 0.
int64_t Trunc64(long double x)
{
    if (std::isnan(x))
        return 0;
    constexpr long double Limit = 9223372036854775808.0L; // 2^63
    if (x >= Limit)
        return std::numeric_limits<int64_t>::max();
    if (x <= -Limit)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(std::trunc(x));
}

// Round(s * h / w) of the keep-aspect corner moves; no shift for a zero width.
int64_t AspectShift(int64_t s, int64_t h, int64_t w)
{
    if (w == 0)
        return 0;
    return Round64(static_cast<long double>(s) * static_cast<long double>(h) / static_cast<long double>(w));
}

template <typename Str>
void QuoteTextT(Str &S)
{
    using Ch = typename Str::value_type;
    Str out;
    out.reserve(S.size() + 2);
    out.push_back(Ch('\''));
    for (Ch c : S) {
        out.push_back(c);
        if (c == Ch('\''))
            out.push_back(c);
    }
    out.push_back(Ch('\''));
    S = std::move(out);
}

template <typename Str>
void CommaToPointT(Str &S)
{
    using Ch = typename Str::value_type;
    std::replace(S.begin(), S.end(), Ch(','), Ch('.'));
}

template <typename Str>
void TextAfterLastPointT(Str &S)
{
    using Ch = typename Str::value_type;
    const auto pos = S.rfind(Ch('.'));
    if (pos != Str::npos)
        S.erase(0, pos + 1);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Length units

int32_t HundredthsPerUnit(TKXUnits Units)
{
    switch (Units) {
    case TKXUnits::unINCH:
        return HundredthsPerInch;
    case TKXUnits::unCM:
        return HundredthsPerCM;
    case TKXUnits::unMM:
        break;
    }
    return HundredthsPerMM;
}

int32_t UnitsToInternal(long double Value, TKXUnits Units)
{
    // Scaled to tenths first, then by ten, at extended precision: the order decides which
    // side of a half an entered value lands on.
    const long double tenths = Value * (HundredthsPerUnit(Units) / 10);
    return Round(tenths * 10);
}

long double InternalToUnits(int64_t Value, TKXUnits Units)
{
    return static_cast<long double>(Value) / HundredthsPerUnit(Units);
}

// ---------------------------------------------------------------------------------------
// Rounding

int64_t Round64(long double x)
{
    if (std::isnan(x))
        return 0;
    constexpr long double Limit = 9223372036854775808.0L; // 2^63
    if (x >= Limit)
        return std::numeric_limits<int64_t>::max();
    if (x < -Limit)
        return std::numeric_limits<int64_t>::min();
    // Explicit halves-to-even, independent of the floating-point environment's mode.
    const long double f = std::floor(x);
    const long double frac = x - f; // exact
    int64_t r = static_cast<int64_t>(f);
    // Just below 2^63 the floor is already the largest value: rounding up saturates there.
    if ((frac > 0.5L || (frac == 0.5L && (r & 1) != 0)) && r < std::numeric_limits<int64_t>::max())
        ++r;
    return r;
}

int32_t Round(long double x)
{
    return Saturate32(Round64(x));
}

int32_t RoundHalfUp(long double x)
{
    const int64_t t = Trunc64(x);
    const long double frac = x - static_cast<long double>(t);
    return Saturate32(frac >= 0.5L && t < std::numeric_limits<int64_t>::max() ? t + 1 : t);
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return 0;
    const int64_t p = int64_t(a) * b;
    int64_t q = p / c;
    const int64_t rem = p % c;
    // Halves away from zero: |2 rem| >= |c| moves the quotient one step outwards.
    if (2 * (rem < 0 ? -rem : rem) >= (c < 0 ? -int64_t(c) : int64_t(c)))
        q += ((p < 0) != (c < 0)) ? -1 : 1;
    return Saturate32(q);
}

int32_t DigitSum(int64_t n)
{
    int32_t sum = 0;
    for (; n > 0; n /= 10)
        sum += int32_t(n % 10);
    return sum;
}

int64_t ToHundredths(long double x)
{
    return Round64(x * 10 * 10);
}

long double FromHundredths(int64_t n)
{
    return static_cast<long double>(n) / HundredthsPerMM;
}

// ---------------------------------------------------------------------------------------
// Rectangles

int32_t PointDistance(TPoint A, TPoint B)
{
    // Differences reach 2^32 and their squares 2^64: summed in extended precision, whose
    // 64-bit mantissa holds each square exactly.
    const long double dx = static_cast<long double>(int64_t(A.x) - B.x);
    const long double dy = static_cast<long double>(int64_t(A.y) - B.y);
    return Round(std::sqrt(dx * dx + dy * dy));
}

void NormalizeRectFlag(TRect &R, bool &Swapped)
{
    Swapped = false;
    if (R.Bottom < R.Top) {
        std::swap(R.Top, R.Bottom);
        Swapped = true;
    }
    if (R.Right < R.Left) {
        std::swap(R.Left, R.Right);
        Swapped = true;
    }
}

void NormalizeRect(TRect &R)
{
    bool swapped;
    NormalizeRectFlag(R, swapped);
}

void KeepRectInside(TRect &R, int32_t MinX, int32_t MinY, int32_t MaxX, int32_t MaxY)
{
    NormalizeRect(R);
    // The shifts below keep the size measured here, before the 8 x 8 minimum.
    const int64_t w = int64_t(R.Right) - R.Left;
    const int64_t h = int64_t(R.Bottom) - R.Top;
    if (w < 8)
        R.Right = Wrap(int64_t(R.Left) + 8);
    if (int64_t(R.Bottom) - R.Top < 8)
        R.Bottom = Wrap(int64_t(R.Top) + 8);
    if (R.Right > MaxX) {
        R.Right = MaxX;
        R.Left = Wrap(MaxX - w);
    }
    if (R.Bottom > MaxY) {
        R.Bottom = MaxY;
        R.Top = Wrap(MaxY - h);
    }
    if (R.Left < MinX) {
        R.Left = MinX;
        R.Right = Wrap(MinX + w);
    }
    if (R.Top < MinY) {
        R.Top = MinY;
        R.Bottom = Wrap(MinY + h);
    }
}

bool RectInsideRect(const TRect &A, const TRect &B)
{
    return A.Left >= B.Left && A.Top >= B.Top && A.Right <= B.Right && A.Bottom <= B.Bottom;
}

bool SameRect(const TRect &A, const TRect &B)
{
    return A == B;
}

int32_t RectWidth(const TRect &R)
{
    return Wrap(int64_t(R.Right) - R.Left);
}

int32_t RectHeight(const TRect &R)
{
    return Wrap(int64_t(R.Bottom) - R.Top);
}

void RectAt(TRect &R, int32_t X, int32_t Y)
{
    const int64_t w = int64_t(R.Right) - R.Left;
    const int64_t h = int64_t(R.Bottom) - R.Top;
    R = {X, Y, Wrap(X + w), Wrap(Y + h)};
}

void SetRectLeft(TRect &R, int32_t X)
{
    R.Left = X;
}

void SetRectRight(TRect &R, int32_t X)
{
    R.Right = X;
}

void SetRectTop(TRect &R, int32_t Y)
{
    R.Top = Y;
}

void SetRectBottom(TRect &R, int32_t Y)
{
    R.Bottom = Y;
}

void MoveRectLeftTop(TRect &R, int32_t X, int32_t Y, bool KeepAspect)
{
    if (!KeepAspect) {
        R.Left = X;
        R.Top = Y;
        return;
    }
    const int64_t s = int64_t(R.Left) - X;
    const int64_t shift = AspectShift(s, int64_t(R.Bottom) - R.Top, int64_t(R.Right) - R.Left);
    R.Left = X;
    R.Top = Wrap(R.Top - shift);
}

void MoveRectRightTop(TRect &R, int32_t X, int32_t Y, bool KeepAspect)
{
    if (!KeepAspect) {
        R.Right = X;
        R.Top = Y;
        return;
    }
    const int64_t s = int64_t(R.Right) - X;
    const int64_t shift = AspectShift(s, int64_t(R.Bottom) - R.Top, int64_t(R.Right) - R.Left);
    R.Right = X;
    R.Top = Wrap(R.Top + shift);
}

void MoveRectLeftBottom(TRect &R, int32_t X, int32_t Y, bool KeepAspect)
{
    if (!KeepAspect) {
        R.Left = X;
        R.Bottom = Y;
        return;
    }
    const int64_t s = int64_t(R.Left) - X;
    const int64_t shift = AspectShift(s, int64_t(R.Bottom) - R.Top, int64_t(R.Right) - R.Left);
    R.Left = X;
    R.Bottom = Wrap(R.Bottom + shift);
}

void MoveRectRightBottom(TRect &R, int32_t X, int32_t Y, bool KeepAspect)
{
    if (!KeepAspect) {
        R.Right = X;
        R.Bottom = Y;
        return;
    }
    const int64_t s = int64_t(R.Right) - X;
    const int64_t shift = AspectShift(s, int64_t(R.Bottom) - R.Top, int64_t(R.Right) - R.Left);
    R.Right = X;
    R.Bottom = Wrap(R.Bottom - shift);
}

void EmptyRect(TRect &R)
{
    R = {-1, -1, -1, -1};
}

int32_t RoundToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return int32_t(std::nearbyint(v));
}

int32_t ClampValue(int32_t Value, int32_t Min, int32_t Max)
{
    if (Value > Max)
        return Max;
    if (Value < Min)
        return Min;
    return Value;
}

// ---------------------------------------------------------------------------------------
// Rotation and anchoring

void RotatePoint(TPoint &P, TPoint C, int32_t Angle)
{
    const int64_t dx = int64_t(P.x) - C.x;
    const int64_t dy = int64_t(P.y) - C.y;
    // cos 30 and sin 45 as the turn tables carry them; each product truncated on its own.
    constexpr long double Cos30 = 0.866025403784439L;
    constexpr long double Sin45 = 0.707106781186548L;
    auto t = [](int64_t v, long double f) { return Trunc64(static_cast<long double>(v) * f); };
    switch (Angle) {
    case 0:
        return;
    case 30:
        P = {Wrap(C.x + t(dx, Cos30) - t(dy, 0.5L)), Wrap(C.y + t(dx, 0.5L) + t(dy, Cos30))};
        return;
    case 45:
        P = {Wrap(C.x + t(dx, Sin45) - t(dy, Sin45)), Wrap(C.y + t(dx, Sin45) + t(dy, Sin45))};
        return;
    case 90:
        P = {Wrap(C.x + dy), Wrap(C.y - dx)};
        return;
    case 120:
        P = {Wrap(C.x + t(dx, -0.5L) - t(dy, Cos30)), Wrap(C.y + t(dx, Cos30) + t(dy, -0.5L))};
        return;
    case 180:
        P = {Wrap(2 * int64_t(C.x) - P.x), Wrap(2 * int64_t(C.y) - P.y)};
        return;
    case 270:
        P = {Wrap(C.x - dy), Wrap(C.y + dx)};
        return;
    default:
        return;
    }
}

void RotateRect(TRect &R, TPoint C, int32_t Angle)
{
    const int64_t cx = C.x, cy = C.y;
    switch (Angle) {
    case 90:
        R = {Wrap(cx + R.Top - cy), Wrap(cx + cy - R.Right), Wrap(cx + R.Bottom - cy),
             Wrap(cx + cy - R.Left)};
        return;
    case 180:
        R = {Wrap(2 * cx - R.Right), Wrap(2 * cy - R.Top), Wrap(2 * cx - R.Left), Wrap(2 * cy - R.Bottom)};
        return;
    case 270:
        R = {Wrap(cx + cy - R.Bottom), Wrap(cy + R.Left - cx), Wrap(cx + cy - R.Top),
             Wrap(cy + R.Right - cx)};
        return;
    default: // 0 and angles without a mapping
        return;
    }
}

void AnchorRect(TRect &R, int32_t Angle, int32_t X, int32_t Y, int32_t W, int32_t H, int32_t Case)
{
    // The item's extent around its reference point before rotation.
    const int64_t w2 = W / 2;
    int64_t dx0, dx1, dy0, dy1;
    switch (Case) {
    case 0: dx0 = 0;   dx1 = W;  dy0 = -H; dy1 = 0; break;
    case 1: dx0 = -w2; dx1 = w2; dy0 = -H; dy1 = 0; break;
    case 2: dx0 = -W;  dx1 = 0;  dy0 = -H; dy1 = 0; break;
    case 3: dx0 = 0;   dx1 = W;  dy0 = 0;  dy1 = H; break;
    case 4: dx0 = -w2; dx1 = w2; dy0 = 0;  dy1 = H; break;
    case 5: dx0 = -W;  dx1 = 0;  dy0 = 0;  dy1 = H; break;
    default: return;
    }
    // Turning maps an offset (dx, dy) to (dx, dy), (dy, -dx), (-dx, -dy) or (-dy, dx); the
    // mapped ranges are the rotated extent.
    int64_t x0, x1, y0, y1;
    switch (Angle) {
    case 0:   x0 = dx0;  x1 = dx1;  y0 = dy0;  y1 = dy1;  break;
    case 90:  x0 = dy0;  x1 = dy1;  y0 = -dx1; y1 = -dx0; break;
    case 180: x0 = -dx1; x1 = -dx0; y0 = -dy1; y1 = -dy0; break;
    case 270: x0 = -dy1; x1 = -dy0; y0 = dx0;  y1 = dx1;  break;
    default: return;
    }
    R = {Wrap(X + std::min(x0, x1)), Wrap(Y + std::min(y0, y1)), Wrap(X + std::max(x0, x1)),
         Wrap(Y + std::max(y0, y1))};
}

// ---------------------------------------------------------------------------------------
// Colour

int32_t Luminance(TColor Color)
{
    const uint32_t r = Color & 0xFF, g = (Color >> 8) & 0xFF, b = (Color >> 16) & 0xFF;
    return int32_t((77 * r + 151 * g + 28 * b) >> 8);
}

TColor ContrastColor(TColor Color)
{
    return Luminance(Color) >= 128 ? clBlack : clWhite;
}

// ---------------------------------------------------------------------------------------
// Text measurement

TSize TKXFixedMeasurer::TextExtent(const WideString &Text) const
{
    return {Wrap(int64_t(Text.size()) * FAdvance), FHeight};
}

TSize WideTextExtent(const TKXTextMeasurer &Measurer, const WideString &Text)
{
    return Measurer.TextExtent(Text);
}

// ---------------------------------------------------------------------------------------
// Text helpers

void QuoteText(AnsiString &S) { QuoteTextT(S); }
void QuoteText(WideString &S) { QuoteTextT(S); }
void CommaToPoint(AnsiString &S) { CommaToPointT(S); }
void CommaToPoint(WideString &S) { CommaToPointT(S); }
void TextAfterLastPoint(AnsiString &S) { TextAfterLastPointT(S); }
void TextAfterLastPoint(WideString &S) { TextAfterLastPointT(S); }

} // namespace kx
