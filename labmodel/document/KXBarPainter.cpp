// The bar painter shared by the barcode element and the compound text drawn as a barcode,
// and the mark drawn in place of a value that cannot be encoded.
//
// Everything is computed in label units (hundredths of a millimetre) from the element's
// anchor O = P1 + Pos; the whole barcode, quiet zones and text included, is turned about O.
#include "document/KXElement.h"

#include "barcode/KXBarcodePattern.h"
#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "document/KXDesignerServices.h"
#include "platform/KXCanvas.h"

#include <algorithm>
#include <vector>

namespace kx {

namespace {

// A damaged file may hold any length: the painter keeps each within a metre and works out
// positions in 64 bits, limited to the canvas's range, so no drawing overflows.
constexpr int32_t MaxLength = 100000;
constexpr int64_t MaxCoord = 1000000000;

int32_t Len(int32_t v)
{
    return ClampValue(v, 0, MaxLength);
}

int32_t C32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, -MaxCoord, MaxCoord));
}

TRect Box(int64_t L, int64_t T, int64_t R, int64_t B)
{
    return {C32(L), C32(T), C32(R), C32(B)};
}

// A rectangle turned about C by a quarter-turn angle, its edges put back in order (a turn
// by 180 or 270 degrees leaves Top above Bottom or Left beyond Right).
TRect Turned(TRect R, TPoint C, int32_t Angle)
{
    if (Angle > 0) {
        RotateRect(R, C, Angle);
        NormalizeRect(R);
    }
    return R;
}

TPoint TurnedPoint(TPoint P, TPoint C, int32_t Angle)
{
    if (Angle > 0)
        RotatePoint(P, C, Angle);
    return P;
}

bool IsEanUpc(TKXBar Bar)
{
    return Bar == TKXBar::EAN13 || Bar == TKXBar::EAN8 || Bar == TKXBar::UPCA || Bar == TKXBar::UPCE0;
}

} // namespace

void TKXElement::DrawBarcode1D(TPoint Pos, TKXCanvas &Canvas, TKXDrawType DrawType, const TBarDrawing &Bar)
{
    const int32_t N = Len(Bar.BarWidth), BH = Len(Bar.BHeight), LM = Len(Bar.LeftMargin),
                  TM = Len(Bar.TopMargin), FH = Len(Bar.FontHeight);
    // Widths: N narrow, W wide (halves to even), one and a half and double wide.
    TBarWidths widths;
    widths.N = N;
    widths.W = WideWidth(N, Bar.Ratio);
    widths.W15 = MulDiv(widths.W, 3, 2);
    widths.W2 = 2 * widths.W;
    const int32_t guard = MulDiv(FH, 3, 4); // guard bars reach this far into the text
    const int32_t shortBar = (2 * BH) / 5;

    const TPoint O{C32(int64_t(FP1.x) + Pos.x), C32(int64_t(FP1.y) + Pos.y)};
    const int32_t angle = FAngle % 360;
    int64_t TW = 2 * int64_t(LM);
    for (const char code : Bar.Pattern)
        TW += widths.Of(code);
    const int64_t TH = int64_t(TM) + BH + (Bar.ShowNumber ? FH : 0);

    Canvas.SaveState();
    TKXPen clearPen;
    clearPen.Style = TKXPenStyle::psClear;

    // Background under the whole barcode, quiet zones and text included.
    if (!FTransparent) {
        Canvas.SetPen(clearPen);
        Canvas.SetBrush({FBackColor, TKXBrushStyle::bsSolid});
        Canvas.FillRect(Turned(Box(O.x, O.y, O.x + TW, O.y + TH), O, angle));
    }

    // Bars: each fills its own width exactly (filled boxes, no outline); spaces draw nothing.
    clearPen.Color = FColor;
    Canvas.SetPen(clearPen);
    Canvas.SetBrush({FColor, TKXBrushStyle::bsSolid});
    // All bars go to the canvas in one call; printers and PDF files still get one fill per
    // bar, so that each keeps its width there.
    thread_local std::vector<TRect> bars;
    bars.clear();
    int64_t x = int64_t(O.x) + LM;
    const int64_t y = int64_t(O.y) + TM;
    for (const char code : Bar.Pattern) {
        const int32_t w = widths.Of(code);
        TRect r;
        bool draw = true;
        switch (code) {
        case '5': case '6': case '7': case '8':
            r = Box(x, y, x + w, y + BH);
            break;
        case '9': // guard bar, lengthened into the text
            r = Box(x, y, x + w, y + BH + guard);
            break;
        case 'A': case 'B': case 'C': case 'D': // short bar standing on the bottom line
            r = Box(x, y + BH - shortBar, x + w, y + BH);
            break;
        default:
            draw = false;
            break;
        }
        if (draw && w > 0)
            bars.push_back(Turned(r, O, angle));
        x += w;
    }
    Canvas.FillRects(bars, TKXCanvas::TRectFill::rfEach);

    // Human-readable text under the bars.
    if (Bar.ShowNumber && !Bar.Text.isEmpty()) {
        TKXFont font;
        font.Name = Bar.FontName;
        font.Height = FH;
        font.Color = FColor;
        font.Escapement = angle * 10;
        Canvas.SetFont(font);
        Canvas.SetBrush({FColor, TKXBrushStyle::bsClear});
        Canvas.SetBkMode(TKXBkMode::bkTransparent);
        const int32_t D = ClampValue(FTextD, -MaxLength, MaxLength);
        Canvas.SetTextCharacterExtra(D);
        const int32_t yt = C32(int64_t(O.y) + TM + BH);
        auto out = [&](int64_t tx, const QString &t) {
            if (t.isEmpty())
                return;
            const TPoint p = TurnedPoint({C32(tx), yt}, O, angle);
            Canvas.TextOut(p.x, p.y, t);
        };
        auto width = [&](const QString &t) { return Canvas.TextExtent(t).cx; };
        // Centred on a mark: the group's left edge.
        auto centred = [&](int32_t mark, const QString &t) { return int64_t(O.x) + mark - width(t) / 2 + D; };
        // The first digit stands outside the start guard, two narrow widths away.
        auto outsideLeft = [&](const QString &t) { return int64_t(O.x) + LM - width(t) - 2 * N + D; };

        if (IsEanUpc(Bar.CodeType)) {
            const std::vector<int32_t> marks =
                BarDigitMarks(Bar.Pattern, Bar.CodeType, N, LM, Bar.Ratio);
            const QString &t = Bar.Text;
            switch (Bar.CodeType) {
            case TKXBar::EAN13:
                if (marks.size() >= 2) {
                    out(outsideLeft(t.left(1)), t.left(1));
                    out(centred(marks[0], t.mid(1, 6)), t.mid(1, 6));
                    out(centred(marks[1], t.mid(7, 6)), t.mid(7, 6));
                }
                break;
            case TKXBar::EAN8:
                if (marks.size() >= 2) {
                    out(centred(marks[0], t.left(4)), t.left(4));
                    out(centred(marks[1], t.mid(4, 4)), t.mid(4, 4));
                }
                break;
            case TKXBar::UPCA:
                if (marks.size() >= 3) {
                    out(outsideLeft(t.left(1)), t.left(1));
                    out(centred(marks[0], t.mid(1, 5)), t.mid(1, 5));
                    out(centred(marks[1], t.mid(6, 5)), t.mid(6, 5));
                    out(int64_t(O.x) + marks[2] + 2 * N, t.mid(11, 1));
                }
                break;
            default: // UPCE0
                if (marks.size() >= 2) {
                    out(outsideLeft(t.left(1)), t.left(1));
                    out(centred(marks[0], t.mid(1, 6)), t.mid(1, 6));
                    out(int64_t(O.x) + marks[1] + 2 * N, t.mid(7, 1));
                }
                break;
            }
        } else {
            // Centred under the whole barcode.
            const int64_t centre = int64_t(O.x) + RoundHalfUp(TW / 2.0L) + D / 2;
            out(centre - width(Bar.Text) / 2, Bar.Text);
        }
    }
    Canvas.RestoreState();

    if (DrawType != TKXDrawType::tdLab)
        return;
    // The extent used for selection and hit testing is that of the design drawing.
    FP2 = {C32(int64_t(FP1.x) + TW), C32(int64_t(FP1.y) + TH)};
    UpdateExtent();
    Frame = {FP1.x, FP1.y, FP2.x, FP2.y};
    AnchorRect(Frame, angle, FP1.x, FP1.y, C32(TW), C32(TH), 3);
    TKXCustomEditor *ed = FOwner->Editor();
    if (!ed)
        return;
    FBorder = Canvas.LPtoDP(Box(int64_t(Frame.Left) + Pos.x, int64_t(Frame.Top) + Pos.y,
                                int64_t(Frame.Right) + Pos.x, int64_t(Frame.Bottom) + Pos.y));
    const bool selected = GetIsSelected();
    ed->DrawSelectionFrame(selected, Bar.Data, FSelType, uint16_t(angle), Frame, FBorder, false);
    if (!ed->ShowMarks || selected)
        return;
    // Design marks: the quiet zones' outer edges, or a cross on the anchor without margins.
    Canvas.SaveState();
    TKXPen mark;
    mark.Color = ed->MarkColor;
    mark.Width = 0;
    auto line = [&](int64_t ax, int64_t ay, int64_t bx, int64_t by) {
        const TPoint a = TurnedPoint({C32(ax), C32(ay)}, O, angle);
        const TPoint b = TurnedPoint({C32(bx), C32(by)}, O, angle);
        Canvas.MoveTo(a.x, a.y);
        Canvas.LineTo(b.x, b.y);
    };
    const int64_t ox = O.x, oy = O.y;
    if (LM >= 1 || TM > 0) {
        mark.Style = TKXPenStyle::psDot;
        Canvas.SetPen(mark);
        if (LM >= 1) {
            line(ox, oy, ox, oy + TH);
            line(ox + TW, oy, ox + TW, oy + TH);
        }
        if (TM > 0) {
            line(ox, oy, ox + TW, oy);
            line(ox, oy + TH, ox + TW, oy + TH);
        }
    } else {
        Canvas.SetPen(mark);
        line(ox - 50, oy, ox + 50, oy);
        line(ox, oy - 50, ox, oy + 50);
    }
    Canvas.RestoreState();
}

void TKXElement::DrawInvalidBarcode(TPoint Pos, TKXCanvas &Canvas, TKXDrawType DrawType, int32_t Height,
                                    int32_t PenWidth)
{
    const int64_t ox = int64_t(FP1.x) + Pos.x, oy = int64_t(FP1.y) + Pos.y;
    const TRect box = Box(ox, oy, ox + InvalidBarcodeWidth, oy + Len(Height));
    Canvas.SaveState();
    TKXPen pen;
    pen.Color = clRed;
    pen.Width = PenWidth;
    pen.Style = TKXPenStyle::psDot;
    Canvas.SetPen(pen);
    Canvas.SetBrush({clWhite, TKXBrushStyle::bsSolid});
    Canvas.Rectangle(box);
    Canvas.MoveTo(box.Left, box.Top);
    Canvas.LineTo(box.Right, box.Bottom);
    Canvas.MoveTo(box.Left, box.Bottom);
    Canvas.LineTo(box.Right, box.Top);
    Canvas.RestoreState();

    Frame = Box(FP1.x, FP1.y, int64_t(FP1.x) + InvalidBarcodeWidth, int64_t(FP1.y) + Len(Height));
    if (DrawType != TKXDrawType::tdLab)
        return;
    if (TKXCustomEditor *ed = FOwner->Editor()) {
        FBorder = Canvas.LPtoDP(box);
        ed->DrawSelectionFrame(GetIsSelected(), false, FSelType, 0, Frame, FBorder, false);
    }
}

} // namespace kx
