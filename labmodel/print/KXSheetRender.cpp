#include "print/KXSheetRender.h"

#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "platform/KXCanvas.h"

#include <algorithm>
#include <array>

namespace kx {

namespace {

// System colour indices 0..30 with their values in the usual desktop scheme (Windows 10
// defaults), written as red, green, blue.
constexpr std::array<uint32_t, 31> SystemColours = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0,
};

TKXPen ClearPen() { return TKXPen{clBlack, 0, TKXPenStyle::psClear}; }
TKXPen DottedPen(TColor Color) { return TKXPen{Color, 0, TKXPenStyle::psDot}; }
TKXBrush Solid(TColor Color) { return TKXBrush{Color, TKXBrushStyle::bsSolid}; }
TKXBrush Hollow() { return TKXBrush{clWhite, TKXBrushStyle::bsClear}; }

int32_t WidthOf(const TRect &R) { return R.Right - R.Left; }
int32_t HeightOf(const TRect &R) { return R.Bottom - R.Top; }

// In 64 bits, clamped: a damaged file's frame distances may be anywhere in the 32-bit range.
TRect Shrunk(const TRect &R, int32_t d)
{
    return {ClampCoord(int64_t(R.Left) + d), ClampCoord(int64_t(R.Top) + d), ClampCoord(int64_t(R.Right) - d),
            ClampCoord(int64_t(R.Bottom) - d)};
}

// The pies of the halves and quarters, as GDI draws them: counter-clockwise from the radial
// through the first point to the radial through the second.
void PaintPies(TKXCanvas &Canvas, const TRect &L, TKXBackStyle Style, TColor From, TColor To)
{
    const int32_t cx = L.Left + WidthOf(L) / 2, cy = L.Top + HeightOf(L) / 2;
    const TPoint top{cx, L.Top}, bottom{cx, L.Bottom}, left{L.Left, cy}, right{L.Right, cy};
    auto pie = [&](TColor c, TPoint a, TPoint b) {
        Canvas.SetBrush(Solid(c));
        Canvas.Pie(L, a, b);
    };
    switch (Style) {
    case TKXBackStyle::biHalf1: // top, bottom
        pie(From, right, left);
        pie(To, left, right);
        break;
    case TKXBackStyle::biHalf2: // left, right
        pie(From, top, bottom);
        pie(To, bottom, top);
        break;
    case TKXBackStyle::biQuarter: // top-left and bottom-right in the first colour
        pie(From, top, left);
        pie(To, right, top);
        pie(To, left, bottom);
        pie(From, bottom, right);
        break;
    default:
        break;
    }
}

} // namespace

TColor ResolveColor(TColor Color)
{
    if ((Color & 0xFF000000u) != 0xFF000000u)
        return Color & 0x00FFFFFFu;
    const uint32_t index = Color & 0xFFu;
    const uint32_t rgb = index < SystemColours.size() ? SystemColours[index] : 0;
    return RGBColor(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
}

TColor TKXSheetRender::GradientStep(TColor From, TColor To, int32_t k, int32_t n)
{
    auto channel = [&](uint8_t a, uint8_t b) {
        return uint8_t(a + (n > 1 ? MulDiv(k, int32_t(b) - int32_t(a), n - 1) : 0));
    };
    return RGBColor(channel(RedOf(From), RedOf(To)), channel(GreenOf(From), GreenOf(To)),
                    channel(BlueOf(From), BlueOf(To)));
}

// ---------------------------------------------------------------------------------------
// Background

void TKXSheetRender::PaintBackSurf(TKXCustomLab &Lab, TKXCanvas &Canvas, int32_t x, int32_t y,
                                   TKXDrawType DrawType, const TRect &R, TColor SurfaceColor)
{
    TKXBackSurf &back = *Lab.BackSurf();
    const TKXMeasure &m = *Lab.Measure();
    const bool onSheet = DrawType == TKXDrawType::tdPrint || DrawType == TKXDrawType::tdPreview;
    const bool design = DrawType == TKXDrawType::tdLab;
    if (onSheet && !back.Print())
        return;
    if (design) {
        if (!back.FNeedPaint)
            return;
        back.FNeedPaint = false;
    }
    TKXCustomEditor *editor = design ? Lab.Editor() : nullptr;
    const int32_t width = m.WidthInternal(), height = m.HeightInternal();
    const TRect L = onSheet ? TRect{x, y, x + width, y + height} : R;
    // Extent of the gradients: the label on a sheet, the metafile, or the editor's surface.
    int32_t extentW = WidthOf(R), extentH = HeightOf(R);
    if (onSheet) {
        extentW = width;
        extentH = height;
    } else if (editor) {
        extentW = editor->GetViewWidth();
        extentH = editor->GetViewHeight();
    }
    const TColor from = ResolveColor(back.Color()), to = ResolveColor(back.ToColor());

    Canvas.SaveState();
    Canvas.SetPen(ClearPen());
    const TKXBackStyle style = back.Style();
    const bool round = style == TKXBackStyle::biGraCircle || style == TKXBackStyle::biHalf1 ||
                       style == TKXBackStyle::biHalf2 || style == TKXBackStyle::biQuarter;
    if (round && !onSheet) {
        Canvas.SetBrush(Solid(design ? ResolveColor(SurfaceColor) : clBtnFace));
        Canvas.FillRect(R);
    }
    switch (style) {
    case TKXBackStyle::biNone:
        Canvas.SetBrush(Solid(from));
        Canvas.FillRect(L);
        break;
    case TKXBackStyle::biImage:
        Canvas.DrawImage(L, back.Image());
        break;
    case TKXBackStyle::biGradHor: {
        // extentH lines of one unit from the top down, each across the label.
        const int32_t left = design ? R.Left : x;
        const int32_t top = onSheet ? y : R.Top;
        Canvas.GradientFill({left, top, left + extentW, top + extentH}, from, to, TKXGradient::grTopToBottom);
        break;
    }
    case TKXBackStyle::biGradVer: {
        const int32_t left = onSheet ? x : R.Left;
        const int32_t top = design ? R.Top : y;
        Canvas.GradientFill({left, top, left + extentW, top + extentH}, from, to, TKXGradient::grLeftToRight);
        break;
    }
    case TKXBackStyle::biGraCircle: {
        int32_t inset = 0;
        if (editor && m.InnerCircleInternal() > 0) {
            const int32_t radius = editor->LabelToScreenX(m.InnerCircleInternal()) - editor->LabelToScreenX(0);
            inset = (WidthOf(R) - 2 * radius) / 2;
        }
        const int32_t n = (extentW - inset) / 2;
        if (onSheet) {
            // On paper the steps are hundredths of a millimetre: one smooth fill draws the
            // same rings without thousands of ellipses.
            Canvas.GradientFill(L, from, to, TKXGradient::grOutsideToCentre);
        } else {
            // Surface pixels or metafile units: the rings themselves, the last one holding
            // the centre.
            for (int32_t k = 0; k < n; ++k) {
                Canvas.SetBrush(Solid(GradientStep(from, to, k, n)));
                Canvas.Ellipse(Shrunk(L, k));
            }
        }
        break;
    }
    case TKXBackStyle::biHalf1:
    case TKXBackStyle::biHalf2:
    case TKXBackStyle::biQuarter:
        PaintPies(Canvas, L, style, from, to);
        break;
    }

    if (m.LabelType() == TZantorType::ltCircle) {
        const TColor contrast = ContrastColor(from);
        if (design) {
            Canvas.SetPen(DottedPen(contrast));
            Canvas.SetBrush(Hollow());
            Canvas.Ellipse(R);
        }
        if (m.InnerCircleInternal() > 0) {
            int32_t radius = m.InnerCircleInternal();
            if (design && editor)
                radius = editor->LabelToScreenX(radius) - editor->LabelToScreenX(0);
            else if (DrawType == TKXDrawType::tdOpenDialog)
                radius = width > 0 ? RoundHalfUp(static_cast<long double>(WidthOf(R)) / width * radius) : 0;
            // Never more than the label: on a sheet clipped to every label's circle a
            // larger disc would whiten the labels drawn before this one.
            radius = std::clamp(radius, 0, WidthOf(L) / 2);
            const int32_t d = (WidthOf(L) - 2 * radius) / 2;
            Canvas.SetPen(design ? DottedPen(contrast) : ClearPen());
            Canvas.SetBrush(Solid(clWhite));
            Canvas.Ellipse(Shrunk(L, d));
        }
    }
    Canvas.RestoreState();
}

// ---------------------------------------------------------------------------------------
// Frame, title, guides

void TKXSheetRender::PaintFrame(const TKXCustomLab &Lab, TKXCanvas &Canvas, int32_t x, int32_t y)
{
    const TKXFrame &frame = *Lab.Frame();
    if (frame.Style() == TKXFrameStyle::fsNone)
        return;
    const TKXMeasure &m = *Lab.Measure();
    const bool circle = m.LabelType() == TZantorType::ltCircle;
    const int32_t d1 = frame.Dist1Internal();
    // One unit more to the right and bottom: the outline's box includes the label's last
    // row and column.
    const TRect F{ClampCoord(int64_t(x) + d1), ClampCoord(int64_t(y) + d1),
                  ClampCoord(int64_t(x) + m.WidthInternal() - d1 + 1), ClampCoord(int64_t(y) + m.HeightInternal() - d1 + 1)};
    Canvas.SaveState();
    TKXPen pen{ResolveColor(frame.Color()), frame.PenWidthInternal()};
    pen.InsideFrame = true;
    Canvas.SetPen(pen);
    Canvas.SetBrush(Hollow());
    auto figure = [&](const TRect &box) {
        if (circle)
            Canvas.Ellipse(box);
        else
            Canvas.RoundRect(box, frame.RadioInternal(), frame.RadioInternal());
    };
    figure(F);
    if (frame.Style() == TKXFrameStyle::fsTwoLine)
        figure(Shrunk(F, frame.Dist2Internal()));
    Canvas.RestoreState();
}

void TKXSheetRender::PaintTitle(const TKXCustomLab &Lab, TKXCanvas &Canvas)
{
    PaintTitle(Lab, Canvas, Lab.Title()->Text());
}

void TKXSheetRender::PaintTitle(const TKXCustomLab &Lab, TKXCanvas &Canvas, const QString &Text)
{
    const TKXTitle &title = *Lab.Title();
    Canvas.SaveState();
    TKXFont font;
    font.Name = title.FontName();
    font.Height = title.FontHeightInternal();
    font.Color = ResolveColor(title.FontColor());
    Canvas.SetFont(font);
    Canvas.SetTextCharacterExtra(0);
    Canvas.SetBkMode(TKXBkMode::bkTransparent);
    Canvas.TextOut(title.PositionInternal().x, title.PositionInternal().y, Text);
    Canvas.RestoreState();
}

void TKXSheetRender::PaintAlignLines(const TKXCustomLab &Lab, TKXCanvas &Canvas, bool Skip)
{
    const TKXBackSurf &back = *Lab.BackSurf();
    if (Skip || !back.ShowAlign())
        return;
    const TKXMeasure &m = *Lab.Measure();
    Canvas.SaveState();
    Canvas.SetPen(DottedPen(ResolveColor(back.AlignColor())));
    Canvas.MoveTo(back.AlignXInternal(), 0);
    Canvas.LineTo(back.AlignXInternal(), m.HeightInternal());
    Canvas.MoveTo(0, back.AlignYInternal());
    Canvas.LineTo(m.WidthInternal(), back.AlignYInternal());
    Canvas.RestoreState();
}

} // namespace kx
