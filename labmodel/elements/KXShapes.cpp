#include "elements/KXShapes.h"

#include "document/KXBaseLab.h"
#include "platform/KXCanvas.h"
#include "file/KXLabelFile.h"
#include "print/KXSheetRender.h"
#include "stream/KXStream.h"

#include <algorithm>
#include <cstdlib>

namespace kx {

namespace {

TRect Offset(const TRect &R, TPoint po)
{
    return {ClampCoord(int64_t(R.Left) + po.x), ClampCoord(int64_t(R.Top) + po.y),
            ClampCoord(int64_t(R.Right) + po.x), ClampCoord(int64_t(R.Bottom) + po.y)};
}

bool DrawsOn(TKXDrawType DrawType, bool Print)
{
    switch (DrawType) {
    case TKXDrawType::tdLab:
        return true;
    case TKXDrawType::tdPrint:
    case TKXDrawType::tdPreview:
    case TKXDrawType::tdOpenDialog:
        return Print;
    }
    return false;
}

// Whether p lies in the ellipse of half axes a and b around c. Both axes must be above 0.
bool InEllipse(TPoint p, TPoint c, int64_t a, int64_t b)
{
    const double x = double(int64_t(p.x) - c.x) / double(a);
    const double y = double(int64_t(p.y) - c.y) / double(b);
    return x * x + y * y <= 1.0;
}

bool InRect(TPoint p, const TRect &R)
{
    return p.x >= R.Left && p.x < R.Right && p.y >= R.Top && p.y < R.Bottom;
}

TKXPropInfo IDProp()
{
    return PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID);
}

TKXPropInfo PenWidthProp()
{
    return PublishProp("PenWidth", "Single", &TKXElement::PenWidth, &TKXElement::SetPenWidth);
}

} // namespace

// ---------------------------------------------------------------------------------------
// TKXLine

TKXLine::TKXLine(TKXCustomLab *AOwner) : TKXBase1D(AOwner)
{
    FSelType = TKXSelType::stLine;
    // Not placed yet: Normalize leaves it alone until both ends are set.
    FP1.x = -1;
    FP2.x = -1;
}

void TKXLine::AddPublished(TKXPropTable &t)
{
    TKXBase1D::AddPublished(t);
    t.Add(IDProp());
    t.Add(PublishProp("X2", "Single", &TKXElement::X2, &TKXElement::SetX2));
    t.Add(PublishProp("Y2", "Single", &TKXElement::Y2, &TKXElement::SetY2));
    t.Add(PenWidthProp());
}

const TKXPropTable &TKXLine::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXLine::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXLine", &TKXBase1D::ClassInfo());
}

void TKXLine::SetX1(float Value)
{
    TKXBase1D::SetX1(Value);
    Normalize();
}

void TKXLine::SetY1(float Value)
{
    TKXBase1D::SetY1(Value);
    Normalize();
}

void TKXLine::SetX2(float Value)
{
    TKXBase1D::SetX2(Value);
    Normalize();
}

void TKXLine::SetY2(float Value)
{
    TKXBase1D::SetY2(Value);
    Normalize();
}

void TKXLine::SetP1(int32_t X, int32_t Y)
{
    TKXBase1D::SetP1(X, Y);
    Normalize();
}

void TKXLine::SetP2(int32_t X, int32_t Y)
{
    TKXBase1D::SetP2(X, Y);
    Normalize();
}

void TKXLine::SetEnds(TPoint A, TPoint B)
{
    if (A == FP1 && B == FP2)
        return;
    FP1 = A;
    FP2 = B;
    UpdateExtent();
    Normalize();
    CoordChanged(QString());
    MarkModified();
}

void TKXLine::Normalize()
{
    if (FP1.x == -1 || FP2.x == -1 || GetIsSelected())
        return;
    if (FP2.x < FP1.x)
        std::swap(FP1, FP2);
    else if (FP1.x == FP2.x) {
        if (FP2.y < FP1.y)
            std::swap(FP1, FP2);
        FDirection = 1;
        return;
    }
    // P1 is the left end now: falling when it is higher, rising when lower.
    FDirection = FP1.y < FP2.y ? 4 : FP1.y > FP2.y ? 3 : 2;
}

bool TKXLine::PointInObject(TPoint Pu) const
{
    const TKXCustomEditor *ed = FOwner->Editor();
    if (!ed)
        return false;
    const int64_t s1x = ed->LabelToScreenX(FP1.x), s1y = ed->LabelToScreenY(FP1.y);
    const int64_t dx = ed->LabelToScreenX(FP2.x) - s1x, dy = ed->LabelToScreenY(FP2.y) - s1y;
    const int64_t a = Pu.x - s1x, b = Pu.y - s1y;
    const int64_t c = dx * b - dy * a;
    // Measured across the longer axis: within two pixels of the line, between its ends.
    if (dx != 0 && std::abs(dy) < std::abs(dx))
        return a * dx >= 0 && std::abs(a) <= std::abs(dx) && std::abs(c) <= 2 * std::abs(dx);
    if (dy != 0)
        return b * dy >= 0 && std::abs(b) <= std::abs(dy) && std::abs(c) <= 2 * std::abs(dy);
    return false;
}

void TKXLine::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType)
{
    if (!DrawsOn(DrawType, FPrint))
        return;
    Canvas.SaveState();
    TKXPen pen;
    pen.Color = ResolveColor(FColor);
    pen.Width = FPenWidth;
    pen.Cap = TKXPenCap::pcSquare;
    pen.Join = TKXPenJoin::pjMiter;
    Canvas.SetPen(pen);
    Canvas.MoveTo(ClampCoord(int64_t(po.x) + FP1.x), ClampCoord(int64_t(po.y) + FP1.y));
    Canvas.LineTo(ClampCoord(int64_t(po.x) + FP2.x), ClampCoord(int64_t(po.y) + FP2.y));
    Canvas.RestoreState();
    if (DrawType != TKXDrawType::tdLab)
        return;

    if (const TKXCustomEditor *ed = FOwner->Editor(); ed && GetIsSelected()) {
        // The ends in pixels of the design surface, for the editor's markers.
        auto surfacePoint = [&](TPoint p) {
            const TPoint d = Canvas.LPtoDP(TPoint{ClampCoord(int64_t(po.x) + p.x), ClampCoord(int64_t(po.y) + p.y)});
            TRect r{d.x, d.y, d.x, d.y};
            ed->AdjustLinePixel(r);
            return TPoint{r.Left, r.Top};
        };
        const TPoint s1 = surfacePoint(FP1), s2 = surfacePoint(FP2);
        const bool vertical = FP1.x == FP2.x;
        switch (FSelType) {
        case TKXSelType::stLine: FOwner->AddSelectSegment(1, s1, s2); break;
        case TKXSelType::stRefTrimLine: FOwner->AddRefSegment(vertical ? 2 : 1, s1, s2); break;
        case TKXSelType::stRefExtLine: FOwner->AddRefSegment(vertical ? 4 : 3, s1, s2); break;
        case TKXSelType::stRefJoinLine: FOwner->AddRefSegment(5, s1, s2); break;
        default: break;
        }
    }
    // A straight line's frame is at least 1 mm wide across it.
    const int32_t h = (FPenWidth >= 100 ? FPenWidth : 100) / 2;
    switch (FDirection) {
    case 1: Frame = {FP1.x - h, FP1.y, FP2.x + h, FP2.y}; break;
    case 2: Frame = {FP1.x, FP1.y - h, FP2.x, FP2.y + h}; break;
    case 3: Frame = {FP1.x, FP2.y, FP2.x, FP1.y}; break;
    case 4: Frame = {FP1.x, FP1.y, FP2.x, FP2.y}; break;
    default: break;
    }
    FBorder = Canvas.LPtoDP(Offset(Frame, po));
}

void TKXLine::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deLine);
    TKXBase1D::SaveToStream(Stream);
}

void TKXLine::LoadFromStream(TKXStreamReader &Stream)
{
    TKXBase1D::LoadFromStream(Stream);
    Normalize();
}

// ---------------------------------------------------------------------------------------
// TKXRect

TKXRect::TKXRect(TKXCustomLab *AOwner) : TKXBaseEx2D(AOwner)
{
    FSelType = TKXSelType::stRect;
}

void TKXRect::AddPublished(TKXPropTable &t)
{
    TKXBaseEx2D::AddPublished(t);
    t.Add(IDProp());
    t.Add(PublishProp("Radio", "Single", &TKXRect::Radio, &TKXRect::SetRadio));
    t.Add(PublishProp("Ellipse", "Boolean", &TKXRect::Ellipse, &TKXRect::SetEllipse));
    t.Add(PublishProp("Locked", "Boolean", &TKXElement::Locked, &TKXElement::SetLocked));
    t.Add(PenWidthProp());
}

const TKXPropTable &TKXRect::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXRect::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXRect", &TKXBaseEx2D::ClassInfo());
}

float TKXRect::Radio() const { return ToUnits(FRadio); }

// No equality test; an ellipse does not show its corner size, so only the other figures
// repaint and count as modified.
void TKXRect::SetRadio(float Value)
{
    RecordUndo();
    FRadio = ToInternal(Value);
    if (FFigure != fgEllipse) {
        Changed(QStringLiteral("Radius"));
        MarkModified();
    }
}

void TKXRect::SetEllipse(bool Value)
{
    if (Value == FEllipse)
        return;
    RecordUndo();
    FEllipse = Value;
    FFigure = Value ? fgEllipse : fgRectangle;
    Changed(QStringLiteral("Circle"));
    MarkModified();
}

void TKXRect::SetFigure(int16_t Value)
{
    if (Value == FFigure)
        return;
    RecordUndo();
    FFigure = Value;
    if (Value == fgEllipse)
        FEllipse = true;
    Changed(QStringLiteral("Figure"));
    MarkModified();
}

// Hit-tested by the figure it shows: the ellipse as an ellipse, the rectangles and the
// triangle by their box. A transparent shape with a pen is picked on its outline only.
bool TKXRect::PointInObject(TPoint Pu) const
{
    if (!TKXBaseEx2D::PointInObject(Pu))
        return false;
    const TKXCustomEditor *ed = FOwner->Editor();
    if (FLocked || !ed)
        return true;
    const bool band = FTransparent && FPenWidth > 0;
    if (FFigure == fgEllipse) {
        const TPoint p{ed->ScreenToLabelX(Pu.x), ed->ScreenToLabelY(Pu.y)};
        const int64_t w = std::abs(int64_t(FP2.x) - FP1.x), h = std::abs(int64_t(FP2.y) - FP1.y);
        const TPoint c{int32_t((int64_t(FP1.x) + FP2.x) / 2), int32_t((int64_t(FP1.y) + FP2.y) / 2)};
        // A flat ellipse has no inside to test: its box answers.
        if (w / 2 <= 0 || h / 2 <= 0)
            return true;
        if (!InEllipse(p, c, w / 2, h / 2))
            return false;
        if (!band)
            return true;
        // The ring: outside the inner ellipse; a pen wider than the ellipse leaves no inner
        // ellipse, all of it is ring.
        const int64_t ia = (w - 4 * int64_t(FPenWidth)) / 2, ib = (h - 4 * int64_t(FPenWidth)) / 2;
        return ia <= 0 || ib <= 0 || !InEllipse(p, c, ia, ib);
    }
    if (!band)
        return true;
    const int32_t pw = std::max(4, ed->LabelToScreenX(FPenWidth));
    const TRect inner{FBorder.Left + pw, FBorder.Top + pw, FBorder.Right - pw, FBorder.Bottom - pw};
    return !InRect(Pu, inner);
}

void TKXRect::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType)
{
    if (!DrawsOn(DrawType, FPrint))
        return;
    // Corners within +-MaxAnchor: the figures add pen widths, corner sizes and halves to them.
    const int32_t L = AnchorCoord(int64_t(po.x) + FP1.x), T = AnchorCoord(int64_t(po.y) + FP1.y);
    const int32_t R = AnchorCoord(int64_t(po.x) + FP2.x), B = AnchorCoord(int64_t(po.y) + FP2.y);
    Canvas.SaveState();
    TKXPen pen;
    pen.Color = ResolveColor(FColor);
    pen.Width = FPenWidth;
    pen.Style = FPenWidth > 0 ? TKXPenStyle::psSolid : TKXPenStyle::psClear;
    pen.InsideFrame = FPenWidth > 0;
    Canvas.SetPen(pen);
    Canvas.SetBrush({ResolveColor(FBackColor), FTransparent ? TKXBrushStyle::bsClear : TKXBrushStyle::bsSolid});
    switch (FFigure) {
    case fgRectangle:
        // The box includes its P2 corner (rectangles exclude their right and bottom edge).
        if (FRadio != 0)
            Canvas.RoundRect({L, T, R + 1, B + 1}, FRadio, FRadio);
        else
            Canvas.Rectangle({L, T, R + 1, B + 1});
        break;
    case fgEllipse:
        Canvas.Ellipse({L, T, R, B});
        break;
    case fgTriangle: {
        const int32_t mx = L + (R - L) / 2, my = T + (B - T) / 2;
        switch (FAngle) {
        case 0: FTriangle = {TPoint{mx, T}, {L, B}, {R, B}, {mx, T}}; break;       // pointing up
        case 90: FTriangle = {TPoint{L, my}, {R, T}, {R, B}, {L, my}}; break;      // left
        case 180: FTriangle = {TPoint{L, T}, {mx, B}, {R, T}, {L, T}}; break;      // down
        case 270: FTriangle = {TPoint{L, T}, {L, B}, {R, my}, {L, T}}; break;      // right
        default: break; // the corners of the last drawing stay
        }
        Canvas.Polygon({FTriangle.begin(), FTriangle.end()});
        break;
    }
    default:
        break;
    }
    Canvas.RestoreState();
    if (DrawType != TKXDrawType::tdLab)
        return;

    TKXCustomEditor *ed = FOwner->Editor();
    if (ed && FLocked) {
        // The lock marker: a maroon square of 8 pixels at P1 with a yellow one inside.
        const int32_t s = ed->ScreenToLabelX(8), i = s / 4;
        Canvas.SaveState();
        Canvas.SetBrush({0x000080, TKXBrushStyle::bsSolid});
        Canvas.FillRect({L, T, L + s, T + s});
        Canvas.SetBrush({0x00FFFF, TKXBrushStyle::bsSolid});
        Canvas.FillRect({L + i, T + i, L + s - i, T + s - i});
        Canvas.RestoreState();
    }
    Frame = {FP1.x, FP1.y, FP2.x, FP2.y};
    FBorder = Canvas.LPtoDP(Offset(Frame, po));
    if (!ed)
        return;
    if (FSelType == TKXSelType::stRefRect && GetIsSelected()) {
        // The editor's reference rectangle: a segment across its middle each way.
        const int32_t my = (FBorder.Top + FBorder.Bottom) / 2 - 3, mx = (FBorder.Left + FBorder.Right) / 2 - 3;
        FOwner->AddRefSegment(5, {FBorder.Left, my}, {FBorder.Right, my});
        FOwner->AddRefSegment(5, {mx, FBorder.Top}, {mx, FBorder.Bottom});
        return;
    }
    ed->DrawSelectionFrame(GetIsSelected(), false, FSelType, 0, Frame, FBorder, false);
}

void TKXRect::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deRect);
    TKXBaseEx2D::SaveToStream(Stream);
    Stream.WriteInt32(FRadio);
    Stream.WriteBool(FEllipse);
    Stream.WriteInt16(FFigure);
}

void TKXRect::LoadFromStream(TKXStreamReader &Stream)
{
    TKXBaseEx2D::LoadFromStream(Stream);
    const int32_t version = FOwner->FileVersion();
    FRadio = Stream.ReadInt32();
    if (version < 20)
        FRadio = TenthsToInternal(FRadio); // tenths of a millimetre
    FEllipse = Stream.ReadBool();
    // Records before the triangle carry no figure: the flag says which of the two it is.
    if (version >= 2800)
        FFigure = Stream.ReadInt16();
    else
        FFigure = FEllipse ? fgEllipse : fgRectangle;
}

} // namespace kx
