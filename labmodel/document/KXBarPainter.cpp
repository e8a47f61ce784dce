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

namespace kx {

namespace {

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
    // Widths: N narrow, W wide (halves to even), one and a half and double wide.
    TBarWidths widths;
    widths.N = Bar.BarWidth;
    widths.W = WideWidth(Bar.BarWidth, Bar.Ratio);
    widths.W15 = MulDiv(widths.W, 3, 2);
    widths.W2 = 2 * widths.W;
    const int32_t guard = MulDiv(Bar.FontHeight, 3, 4); // guard bars reach this far into the text
    const int32_t shortBar = (2 * Bar.BHeight) / 5;

    const TPoint O{FP1.x + Pos.x, FP1.y + Pos.y};
    const int32_t angle = FAngle % 360;
    const int32_t TW = 2 * Bar.LeftMargin + PatternWidth(Bar.Pattern, widths);
    const int32_t TH = Bar.TopMargin + Bar.BHeight + (Bar.ShowNumber ? Bar.FontHeight : 0);

    Canvas.SaveState();
    TKXPen clearPen;
    clearPen.Style = TKXPenStyle::psClear;

    // Background under the whole barcode, quiet zones and text included.
    if (!FTransparent) {
        Canvas.SetPen(clearPen);
        Canvas.SetBrush({FBackColor, TKXBrushStyle::bsSolid});
        Canvas.FillRect(Turned({O.x, O.y, O.x + TW, O.y + TH}, O, angle));
    }

    // Bars: each fills its own width exactly (filled boxes, no outline); spaces draw nothing.
    clearPen.Color = FColor;
    Canvas.SetPen(clearPen);
    Canvas.SetBrush({FColor, TKXBrushStyle::bsSolid});
    int32_t x = O.x + Bar.LeftMargin;
    const int32_t y = O.y + Bar.TopMargin;
    for (const char code : Bar.Pattern) {
        const int32_t w = widths.Of(code);
        TRect r;
        bool draw = true;
        switch (code) {
        case '5': case '6': case '7': case '8':
            r = {x, y, x + w, y + Bar.BHeight};
            break;
        case '9': // guard bar, lengthened into the text
            r = {x, y, x + w, y + Bar.BHeight + guard};
            break;
        case 'A': case 'B': case 'C': case 'D': // short bar standing on the bottom line
            r = {x, y + Bar.BHeight - shortBar, x + w, y + Bar.BHeight};
            break;
        default:
            draw = false;
            break;
        }
        if (draw && w > 0)
            Canvas.FillRect(Turned(r, O, angle));
        x += w;
    }

    // Human-readable text under the bars.
    if (Bar.ShowNumber && !Bar.Text.isEmpty()) {
        TKXFont font;
        font.Name = Bar.FontName;
        font.Height = Bar.FontHeight;
        font.Color = FColor;
        font.Escapement = angle * 10;
        Canvas.SetFont(font);
        Canvas.SetBrush({FColor, TKXBrushStyle::bsClear});
        Canvas.SetBkMode(TKXBkMode::bkTransparent);
        Canvas.SetTextCharacterExtra(FTextD);
        const int32_t D = FTextD;
        const int32_t yt = O.y + Bar.TopMargin + Bar.BHeight;
        auto out = [&](int32_t tx, const QString &t) {
            if (t.isEmpty())
                return;
            const TPoint p = TurnedPoint({tx, yt}, O, angle);
            Canvas.TextOut(p.x, p.y, t);
        };
        auto width = [&](const QString &t) { return Canvas.TextExtent(t).cx; };
        // Centred on a mark: the group's left edge.
        auto centred = [&](int32_t mark, const QString &t) { return O.x + mark - width(t) / 2 + D; };
        // The first digit stands outside the start guard, two narrow widths away.
        auto outsideLeft = [&](const QString &t) { return O.x + Bar.LeftMargin - width(t) - 2 * Bar.BarWidth + D; };

        if (IsEanUpc(Bar.CodeType)) {
            const std::vector<int32_t> marks =
                BarDigitMarks(Bar.Pattern, Bar.CodeType, Bar.BarWidth, Bar.LeftMargin, Bar.Ratio);
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
                    out(O.x + marks[2] + 2 * Bar.BarWidth, t.mid(11, 1));
                }
                break;
            default: // UPCE0
                if (marks.size() >= 2) {
                    out(outsideLeft(t.left(1)), t.left(1));
                    out(centred(marks[0], t.mid(1, 6)), t.mid(1, 6));
                    out(O.x + marks[1] + 2 * Bar.BarWidth, t.mid(7, 1));
                }
                break;
            }
        } else {
            // Centred under the whole barcode.
            const int32_t centre = O.x + RoundHalfUp(TW / 2.0L) + D / 2;
            out(centre - width(Bar.Text) / 2, Bar.Text);
        }
    }
    Canvas.RestoreState();

    if (DrawType != TKXDrawType::tdLab)
        return;
    // The extent used for selection and hit testing is that of the design drawing.
    FP2 = {FP1.x + TW, FP1.y + TH};
    UpdateExtent();
    Frame = {FP1.x, FP1.y, FP2.x, FP2.y};
    AnchorRect(Frame, angle, FP1.x, FP1.y, TW, TH, 3);
    TKXCustomEditor *ed = FOwner->Editor();
    if (!ed)
        return;
    FBorder = Canvas.LPtoDP(TRect{Frame.Left + Pos.x, Frame.Top + Pos.y, Frame.Right + Pos.x, Frame.Bottom + Pos.y});
    const bool selected = GetIsSelected();
    ed->DrawSelectionFrame(selected, Bar.Data, FSelType, uint16_t(angle), Frame, FBorder, false);
    if (!ed->ShowMarks || selected)
        return;
    // Design marks: the quiet zones' outer edges, or a cross on the anchor without margins.
    Canvas.SaveState();
    TKXPen mark;
    mark.Color = ed->MarkColor;
    mark.Width = 0;
    auto line = [&](TPoint a, TPoint b) {
        a = TurnedPoint(a, O, angle);
        b = TurnedPoint(b, O, angle);
        Canvas.MoveTo(a.x, a.y);
        Canvas.LineTo(b.x, b.y);
    };
    if (Bar.LeftMargin >= 1 || Bar.TopMargin > 0) {
        mark.Style = TKXPenStyle::psDot;
        Canvas.SetPen(mark);
        if (Bar.LeftMargin >= 1) {
            line({O.x, O.y}, {O.x, O.y + TH});
            line({O.x + TW, O.y}, {O.x + TW, O.y + TH});
        }
        if (Bar.TopMargin > 0) {
            line({O.x, O.y}, {O.x + TW, O.y});
            line({O.x, O.y + TH}, {O.x + TW, O.y + TH});
        }
    } else {
        Canvas.SetPen(mark);
        line({O.x - 50, O.y}, {O.x + 50, O.y});
        line({O.x, O.y - 50}, {O.x, O.y + 50});
    }
    Canvas.RestoreState();
}

void TKXElement::DrawInvalidBarcode(TPoint Pos, TKXCanvas &Canvas, TKXDrawType DrawType, int32_t Height,
                                    int32_t PenWidth)
{
    const TPoint O{FP1.x + Pos.x, FP1.y + Pos.y};
    const TRect box{O.x, O.y, O.x + InvalidBarcodeWidth, O.y + Height};
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

    Frame = {FP1.x, FP1.y, FP1.x + InvalidBarcodeWidth, FP1.y + Height};
    if (DrawType != TKXDrawType::tdLab)
        return;
    if (TKXCustomEditor *ed = FOwner->Editor()) {
        FBorder = Canvas.LPtoDP(box);
        ed->DrawSelectionFrame(GetIsSelected(), false, FSelType, 0, Frame, FBorder, false);
    }
}

} // namespace kx
