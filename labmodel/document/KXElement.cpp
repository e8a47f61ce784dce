#include "document/KXElement.h"

#include "core/KXCodec1252.h"
#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "file/KXLabelFile.h"
#include "platform/KXCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace kx {

bool SameTextAscii(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'a' && x <= u'z')
            x = char16_t(x - 32);
        if (y >= u'a' && y <= u'z')
            y = char16_t(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

namespace {

bool IsBoxKind(TKXEle k)
{
    return k == TKXEle::deRect || k == TKXEle::deImage || k == TKXEle::deParagraph ||
           k == TKXEle::deTable || k == TKXEle::deLayout;
}

bool IsCornerKind(TKXEle k)
{
    return k == TKXEle::deBar || k == TKXEle::deSymbol || k == TKXEle::dePdf417 ||
           k == TKXEle::deDataMatrix || k == TKXEle::deQRCode;
}

bool IsTextKind(TKXEle k)
{
    return k == TKXEle::deText || k == TKXEle::deAddText || k == TKXEle::deAskText ||
           k == TKXEle::dePolyText;
}

int AngleColumn(int32_t Angle)
{
    switch (Angle) {
    case 0: return 0;
    case 90: return 1;
    case 180: return 2;
    case 270: return 3;
    default: return -1;
    }
}

// Anchor of the text kinds in a box, by text anchoring (rows, TTextAlign order) and angle
// (columns 0, 90, 180, 270). Each entry names the x and the y: L/R the left/right edge,
// T/B the top/bottom edge, M the middle (mx or my).
constexpr const char *TextAnchor[9][4] = {
    /* taLeBo */ {"LB", "RB", "RT", "LT"},
    /* taCeBo */ {"MB", "RM", "MT", "LM"},
    /* taRiBo */ {"RB", "RT", "LT", "LB"},
    /* taLeTo */ {"LT", "LB", "RB", "RT"},
    /* taCeTo */ {"MT", "LM", "MB", "RM"},
    /* taRiTo */ {"RT", "LT", "LB", "RB"},
    /* taLeCe */ {"LM", "MB", "RM", "MT"},
    /* taCeCe */ {"MM", "MM", "MM", "MM"},
    /* taRiCe */ {"RM", "MT", "LM", "MB"},
};

// Anchor of the kinds placed by one corner, by angle: the corner that is the symbol's
// top-left once turned.
constexpr const char *CornerAnchor[4] = {"LT", "LB", "RB", "RT"};

// Text anchoring that keeps a text in a layout cell against the chosen corner or edge when
// it is turned: rows eaLeftTop .. eaRigthBottom (ordinals 5 .. 13), columns by angle.
using TA = TTextAlign;
constexpr TTextAlign AlignToAngle[9][4] = {
    /* eaLeftTop      */ {TA::taLeTo, TA::taRiTo, TA::taRiBo, TA::taLeBo},
    /* eaLeftCenter   */ {TA::taLeCe, TA::taCeTo, TA::taRiCe, TA::taCeBo},
    /* eaLeftBottom   */ {TA::taLeBo, TA::taLeTo, TA::taRiTo, TA::taRiBo},
    /* eaCenterTop    */ {TA::taCeTo, TA::taRiCe, TA::taCeBo, TA::taLeCe},
    /* eaCenterCenter */ {TA::taCeCe, TA::taCeCe, TA::taCeCe, TA::taCeCe},
    /* eaCenterBottom */ {TA::taCeBo, TA::taLeCe, TA::taCeTo, TA::taRiCe},
    /* eaRigthTop     */ {TA::taRiTo, TA::taRiBo, TA::taLeBo, TA::taLeTo},
    /* eaRigthCenter  */ {TA::taRiCe, TA::taCeBo, TA::taLeCe, TA::taCeTo},
    /* eaRigthBottom  */ {TA::taRiBo, TA::taLeBo, TA::taLeTo, TA::taRiTo},
};

TPoint PickAnchor(const char *code, int32_t L, int32_t T, int32_t R, int32_t B)
{
    // Midpoints in 64 bits: a damaged file may hold points anywhere in the 32-bit range.
    const auto mx = int32_t(L + (int64_t(R) - L) / 2), my = int32_t(T + (int64_t(B) - T) / 2);
    const int32_t x = code[0] == 'L' ? L : code[0] == 'R' ? R : mx;
    const int32_t y = code[1] == 'T' ? T : code[1] == 'B' ? B : my;
    return {x, y};
}

} // namespace

// ---------------------------------------------------------------------------------------
// Lifecycle and published properties

TKXElement::TKXElement(TKXCustomLab *AOwner) : FOwner(AOwner) {}

QVariant GetPublishedProp(const TKXElement &Element, const QString &Name)
{
    const TKXPropInfo *p = Element.Published().Find(Name);
    return p ? p->Get(Element) : QVariant();
}

bool SetPublishedProp(TKXElement &Element, const QString &Name, const QVariant &Value)
{
    const TKXPropInfo *p = Element.Published().Find(Name);
    if (!p || !p->Set)
        return false;
    p->Set(Element, Value);
    return true;
}

const TKXPropTable &TKXElement::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXElement::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXElement", nullptr);
}

void TKXBase1D::AddPublished(TKXPropTable &t)
{
    TKXElement::AddPublished(t);
    t.Add(PublishProp("X1", "Single", &TKXElement::X1, &TKXElement::SetX1));
    t.Add(PublishProp("Y1", "Single", &TKXElement::Y1, &TKXElement::SetY1));
    t.Add(PublishProp("Color", "TColor", &TKXElement::Color, &TKXElement::SetColor));
    t.Add(PublishProp("Print", "Boolean", &TKXElement::Print, &TKXElement::SetPrint));
}

const TKXPropTable &TKXBase1D::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXBase1D::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXBase1D", &TKXElement::ClassInfo());
}

void TKXBaseEx1D::AddPublished(TKXPropTable &t)
{
    TKXBase1D::AddPublished(t);
    t.Add(PublishProp("BackColor", "TColor", &TKXElement::BackColor, &TKXElement::SetBackColor));
    t.Add(PublishProp("Transparent", "Boolean", &TKXElement::Transparent, &TKXElement::SetTransparent));
    t.Add(PublishProp("Margin", "Single", &TKXElement::Margin, &TKXElement::SetMargin));
    t.Add(PublishProp("EleAlign", "", &TKXElement::EleAlign, &TKXElement::SetEleAlign));
}

const TKXPropTable &TKXBaseEx1D::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXBaseEx1D::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXBaseEx1D", &TKXBase1D::ClassInfo());
}

void TKXBaseEx2D::AddPublished(TKXPropTable &t)
{
    TKXBaseEx1D::AddPublished(t);
    t.Add(PublishProp("X2", "Single", &TKXElement::X2, &TKXElement::SetX2));
    t.Add(PublishProp("Y2", "Single", &TKXElement::Y2, &TKXElement::SetY2));
}

const TKXPropTable &TKXBaseEx2D::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXBaseEx2D::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXBaseEx2D", &TKXBaseEx1D::ClassInfo());
}

// ---------------------------------------------------------------------------------------
// Setter protocol steps

int32_t TKXElement::ToInternal(float Value) const
{
    return FOwner->UnitsToInternal(Value);
}

float TKXElement::ToUnits(int32_t Value) const
{
    return float(FOwner->InternalToUnits(Value));
}

void TKXElement::RecordUndo()
{
    FOwner->RecordUndo(TKXURAction::urProp, *this);
}

void TKXElement::Changed(const QString &PropName)
{
    FOwner->NotifyChange(GetIsSelected() ? 3 : 2, false, PropName);
}

void TKXElement::CoordChanged(const QString &PropName)
{
    FOwner->NotifyChange(GetIsSelected() ? 5 : 4, false, PropName);
}

void TKXElement::MarkModified()
{
    FOwner->SetModified(true);
}

void TKXElement::DrawBorderBox(TKXCanvas &Canvas, TRect Box) const
{
    TKXPen pen;
    pen.Color = FBorderColor;
    pen.Width = FPenWidth;
    pen.Style = FPenWidth > 0 ? TKXPenStyle::psSolid : TKXPenStyle::psClear;
    pen.InsideFrame = FPenWidth > 0;
    Canvas.SetPen(pen);
    Canvas.SetBrush({FBackColor, FTransparent ? TKXBrushStyle::bsClear : TKXBrushStyle::bsSolid});
    // Rectangles exclude their right and bottom edge: the frame includes its far corner.
    // A box at the end of the coordinate range keeps its edge there.
    Box.Right = ClampCoord(int64_t(Box.Right) + 1);
    Box.Bottom = ClampCoord(int64_t(Box.Bottom) + 1);
    if (FFrameRadio != 0)
        Canvas.RoundRect(Box, FFrameRadio, FFrameRadio);
    else
        Canvas.Rectangle(Box);
}

void TKXElement::DrawDesignMarks(TKXCanvas &Canvas, TPoint po, bool Bound)
{
    TKXCustomEditor *ed = FOwner->Editor();
    if (!ed)
        return;
    FBorder = Canvas.LPtoDP(TRect{ClampCoord(int64_t(Frame.Left) + po.x), ClampCoord(int64_t(Frame.Top) + po.y), ClampCoord(int64_t(Frame.Right) + po.x), ClampCoord(int64_t(Frame.Bottom) + po.y)});
    ed->DrawSelectionFrame(GetIsSelected(), Bound, FSelType, uint16_t(FAngle), Frame, FBorder, false);
    if (ed->ShowMarks) {
        // A 1 mm cross on the anchor.
        TKXPen mark;
        mark.Color = ed->MarkColor;
        mark.Width = 0;
        Canvas.SetPen(mark);
        const int32_t x = AnchorCoord(int64_t(po.x) + FP1.x), y = AnchorCoord(int64_t(po.y) + FP1.y);
        Canvas.MoveTo(x - 50, y);
        Canvas.LineTo(x + 50, y);
        Canvas.MoveTo(x, y - 50);
        Canvas.LineTo(x, y + 50);
    }
}

namespace {

// The distance between two coordinates, in 64 bits: points read from a file may lie
// anywhere in the 32-bit range.
int32_t ExtentOf(int32_t a, int32_t b)
{
    return ClampCoord(std::abs(int64_t(b) - a));
}

} // namespace

void TKXElement::UpdateExtent()
{
    FWidth = ExtentOf(FP1.x, FP2.x);
    FHeight = ExtentOf(FP1.y, FP2.y);
}

bool TKXElement::GridActive() const
{
    const TKXCustomEditor *ed = FOwner->Editor();
    return ed && ed->Snap == TKXSnap::snGrid;
}

// The nearest multiple of the grid step, halves up. A grid step of 0 or less (a damaged
// setting) leaves the coordinate as it is.
int32_t TKXElement::SnapX(int32_t c) const
{
    const int32_t s = FOwner->Editor()->Grid.IncX;
    return s > 0 ? ClampCoord(int64_t(RoundHalfUp((long double)c / s)) * s) : c;
}

int32_t TKXElement::SnapY(int32_t c) const
{
    const int32_t s = FOwner->Editor()->Grid.IncY;
    return s > 0 ? ClampCoord(int64_t(RoundHalfUp((long double)c / s)) * s) : c;
}

// ---------------------------------------------------------------------------------------
// Properties

float TKXElement::X1() const { return ToUnits(FP1.x); }
float TKXElement::Y1() const { return ToUnits(FP1.y); }
float TKXElement::X2() const { return ToUnits(FP2.x); }
float TKXElement::Y2() const { return ToUnits(FP2.y); }

// The coordinate setters: a coordinate notification, and the extent along the changed
// axis follows (Horizontal: the width, else the height).
void TKXElement::SetCoord(int32_t &Field, float Value, bool Horizontal, const QString &Name)
{
    const int32_t v = ToInternal(Value);
    if (v == Field)
        return;
    RecordUndo();
    Field = v;
    if (Horizontal)
        FWidth = ExtentOf(FP1.x, FP2.x);
    else
        FHeight = ExtentOf(FP1.y, FP2.y);
    CoordChanged(Name);
    MarkModified();
}

void TKXElement::SetX1(float Value) { SetCoord(FP1.x, Value, true, QStringLiteral("X1")); }
void TKXElement::SetY1(float Value) { SetCoord(FP1.y, Value, false, QStringLiteral("Y1")); }
void TKXElement::SetX2(float Value) { SetCoord(FP2.x, Value, true, QStringLiteral("X2")); }
void TKXElement::SetY2(float Value) { SetCoord(FP2.y, Value, false, QStringLiteral("Y2")); }

void TKXElement::SetColor(TColor Value)
{
    SetProp(FColor, Value, QStringLiteral("Color"));
}

void TKXElement::SetBackColor(TColor Value)
{
    SetProp(FBackColor, Value, QStringLiteral("BackColor"));
}

void TKXElement::SetTransparent(bool Value)
{
    SetProp(FTransparent, Value, QStringLiteral("Transparent"));
}

// No notification: the print flag changes nothing on the design surface.
void TKXElement::SetPrint(bool Value)
{
    if (Value == FPrint)
        return;
    RecordUndo();
    FPrint = Value;
    MarkModified();
}

void TKXElement::SetShowBorder(bool Value)
{
    SetProp(FShowBorder, Value, QStringLiteral("ShowBorder"));
}

void TKXElement::SetBorderColor(TColor Value)
{
    SetProp(FBorderColor, Value, QStringLiteral("BorderColor"));
}

float TKXElement::BorderRadio() const { return ToUnits(FFrameRadio); }

// No equality test and no undo record; the frame only shows with ShowBorder.
void TKXElement::SetBorderRadio(float Value)
{
    FFrameRadio = ToInternal(Value);
    if (FShowBorder)
        Changed(QStringLiteral("BorderRadio"));
    MarkModified();
}

float TKXElement::PaddingX() const { return ToUnits(FPadding.x); }
float TKXElement::PaddingY() const { return ToUnits(FPadding.y); }

// No equality test; a negative padding is stored as 0.
void TKXElement::SetPaddingX(float Value)
{
    RecordUndo();
    FPadding.x = std::max(0, ToInternal(Value));
    if (FShowBorder)
        Changed(QStringLiteral("PaddingX"));
    MarkModified();
}

void TKXElement::SetPaddingY(float Value)
{
    RecordUndo();
    FPadding.y = std::max(0, ToInternal(Value));
    if (FShowBorder)
        Changed(QStringLiteral("PaddingY"));
    MarkModified();
}

float TKXElement::PenWidth() const { return ToUnits(FPenWidth); }

// No equality test for the undo record and the notification; the document is marked
// modified when the stored width changes, since label files store it.
void TKXElement::SetPenWidth(float Value)
{
    RecordUndo();
    const int32_t v = ToInternal(Value);
    const bool changed = v != FPenWidth;
    FPenWidth = v;
    Changed(QStringLiteral("PenWidth"));
    if (changed)
        MarkModified();
}

float TKXElement::Margin() const { return ToUnits(FMargin); }

// No undo record. Inside a layout the element is placed again in its cell.
void TKXElement::SetMargin(float Value)
{
    const int32_t v = ToInternal(Value);
    if (v == FMargin)
        return;
    FMargin = v;
    if (IDLayout > 0) {
        ApplyEleAlign(false);
        CoordChanged(QStringLiteral("Margin"));
    }
    MarkModified();
}

// Records undo only for a real change (an unchanged angle must not leave an empty undo
// step behind). The alignment follows the angle before the notification.
void TKXElement::SetAngle(int32_t Value)
{
    if (Value == FAngle)
        return;
    RecordUndo();
    FAngle = Value;
    AdjustAlignToAngle();
    Changed(QStringLiteral("Angle"));
    MarkModified();
}

void TKXElement::SetEleAlign(TKXEleAlign Value)
{
    if (Value == FKXEleAlign)
        return;
    RecordUndo();
    if (ElementType() != TKXEle::deLayout && !FOwner->FindLayoutCell(*this)) {
        IDLayout = 0;
        RowLayout = 0;
        ColLayout = 0;
    }
    FKXEleAlign = Value;
    if (Value == TKXEleAlign::eaNone) {
        if (IDLayout > 0) {
            if (TKXLayoutCells *layout = FOwner->FindLayout(IDLayout)) {
                layout->RemoveMember(*this);
                IDLayout = 0;
                RowLayout = 0;
                ColLayout = 0;
            }
        }
    } else {
        ApplyEleAlign(true);
    }
    Changed(QStringLiteral("Alignment"));
    MarkModified();
}

void TKXElement::LeaveLayout()
{
    FKXEleAlign = TKXEleAlign::eaNone;
    IDLayout = 0;
    RowLayout = 0;
    ColLayout = 0;
}

// Not marked modified: label files do not store the lock.
void TKXElement::SetLocked(bool Value)
{
    if (Value == FLocked)
        return;
    RecordUndo();
    FLocked = Value;
    Changed(QStringLiteral("Locked"));
}

// No undo record and no notification, unlike the common setter.
void TKXElement::SetID(const QString &Value)
{
    if (Value == FID)
        return;
    FID = Value;
    MarkModified();
}

float TKXElement::GetFrameLeft() const { return ToUnits(Frame.Left); }
float TKXElement::GetFrameTop() const { return ToUnits(Frame.Top); }
float TKXElement::GetFrameRight() const { return ToUnits(Frame.Right); }
float TKXElement::GetFrameBottom() const { return ToUnits(Frame.Bottom); }

// ---------------------------------------------------------------------------------------
// Geometry

void TKXElement::SetP1(int32_t X, int32_t Y)
{
    if (TPoint{X, Y} == FP1)
        return;
    if (GridActive()) {
        X = SnapX(X);
        Y = SnapY(Y);
    }
    if (FOwner->CheckBounds()) {
        X = std::clamp(X, 0, FOwner->Measure()->WidthInternal());
        Y = std::clamp(Y, 0, FOwner->Measure()->HeightInternal());
    }
    FP1 = {X, Y};
    UpdateExtent();
    MarkModified();
}

void TKXElement::PlaceP1(TPoint P)
{
    FP1 = P;
    UpdateExtent();
}

void TKXElement::PlaceP2(TPoint P)
{
    FP2 = P;
    UpdateExtent();
}

void TKXElement::SetP2(int32_t X, int32_t Y)
{
    if (TPoint{X, Y} == FP2)
        return;
    if (GridActive()) {
        X = SnapX(X);
        Y = SnapY(Y);
    }
    if (FOwner->CheckBounds()) {
        X = std::clamp(X, 0, FOwner->Measure()->WidthInternal());
        Y = std::clamp(Y, 0, FOwner->Measure()->HeightInternal());
    }
    FP2 = {X, Y};
    UpdateExtent();
    MarkModified();
}

void TKXElement::Normalize()
{
    if (FP2.y < FP1.y)
        std::swap(FP1.y, FP2.y);
    if (FP2.x < FP1.x)
        std::swap(FP1.x, FP2.x);
}

void TKXElement::Move(TKXPoint2D di)
{
    const int64_t dx = ToInternal(di.x), dy = ToInternal(di.y);
    FP1.x = ClampCoord(FP1.x + dx);
    FP1.y = ClampCoord(FP1.y + dy);
    FP2.x = ClampCoord(FP2.x + dx);
    FP2.y = ClampCoord(FP2.y + dy);
    MarkModified();
}

void TKXElement::PlacePoints(TPoint A, TPoint B)
{
    if (A == FP1 && B == FP2)
        return;
    FP1 = A;
    FP2 = B;
    UpdateExtent();
    if (TKXLayoutCells *layout = AsLayout())
        layout->RealignElements();
    MarkModified();
}

void TKXElement::RestoreScale()
{
    if (FTrX == 1.0f && FTrY == 1.0f)
        return;
    RecordUndo();
    FTrX = 1.0f;
    FTrY = 1.0f;
    Changed(QString());
    MarkModified();
}

// ---------------------------------------------------------------------------------------
// Placement

void TKXElement::SetBorder(const TRect &Value)
{
    if (!BorderChanged(Value))
        return;
    FBorder = Value;
    ApplyBorder();
    // Placed by hand: the element no longer follows an alignment.
    FKXEleAlign = TKXEleAlign::eaNone;
    IDLayout = 0;
}

bool TKXElement::BorderChanged(const TRect &R)
{
    if (R == FBorder) {
        FChangeSize = false;
        return false;
    }
    FChangeSize = (R.Right - R.Left) != (FBorder.Right - FBorder.Left) ||
                  (R.Bottom - R.Top) != (FBorder.Bottom - FBorder.Top);
    return true;
}

void TKXElement::ApplyBorder()
{
    TKXCustomEditor *ed = FOwner->Editor();
    if (!ed)
        return;
    if (FOwner->CheckBounds()) {
        const int32_t w = ed->GetViewWidth(), h = ed->GetViewHeight();
        FBorder.Left = std::clamp(FBorder.Left, 0, w);
        FBorder.Right = std::clamp(FBorder.Right, 0, w);
        FBorder.Top = std::clamp(FBorder.Top, 0, h);
        FBorder.Bottom = std::clamp(FBorder.Bottom, 0, h);
    }
    FP1 = {ed->ScreenToLabelX(FBorder.Left), ed->ScreenToLabelY(FBorder.Top)};
    FP2 = {ed->ScreenToLabelX(FBorder.Right), ed->ScreenToLabelY(FBorder.Bottom)};
    if (GridActive()) {
        FP1 = {SnapX(FP1.x), SnapY(FP1.y)};
        FP2 = {SnapX(FP2.x), SnapY(FP2.y)};
    }
    if (TKXLayoutCells *layout = AsLayout())
        layout->RealignElements();
    else
        ApplyEleAlign(false);
}

void TKXElement::SetScreenRect(TRect R, bool Snap)
{
    TKXCustomEditor *ed = FOwner->Editor();
    if (!ed)
        return;
    if (FOwner->CheckBounds()) {
        // Moved, not resized, to lie inside the surface.
        const int32_t sw = ed->GetViewWidth(), sh = ed->GetViewHeight();
        const int32_t w = R.Right - R.Left, h = R.Bottom - R.Top;
        if (R.Left < 0) {
            R.Left = 0;
            R.Right = w;
        } else if (R.Left > sw) {
            R.Right = sw;
            R.Left = sw - w;
        }
        if (R.Right < 0) {
            R.Right = 0;
        } else if (R.Right > sw) {
            R.Right = sw;
            R.Left = sw - w;
        }
        if (R.Top < 0) {
            R.Top = 0;
            R.Bottom = h;
        } else if (R.Top > sh) {
            R.Bottom = sh;
            R.Top = sh - h;
        }
        if (R.Bottom < 0) {
            R.Bottom = 0;
        } else if (R.Bottom > sh) {
            R.Bottom = sh;
            R.Top = sh - h;
        }
    }
    SetBoundsRect({ed->ScreenToLabelX(R.Left), ed->ScreenToLabelY(R.Top)},
                  {ed->ScreenToLabelX(R.Right), ed->ScreenToLabelY(R.Bottom)}, Snap);
}

bool TKXElement::AnchorInBox(int32_t L, int32_t T, int32_t R, int32_t B, TPoint &P) const
{
    const TKXEle kind = ElementType();
    const int col = AngleColumn(FAngle);
    if (col < 0)
        return false;
    if (IsCornerKind(kind) || (kind == TKXEle::dePolyText && IsBarcodeMode())) {
        P = PickAnchor(CornerAnchor[col], L, T, R, B);
        return true;
    }
    if (IsTextKind(kind)) {
        P = PickAnchor(TextAnchor[Ord(FAlign)][col], L, T, R, B);
        return true;
    }
    return false;
}

void TKXElement::SetBoundsRect(TPoint First, TPoint Second, bool Snap)
{
    const int32_t L = First.x, T = First.y, R = Second.x, B = Second.y;
    const TKXEle kind = ElementType();
    if (IsBoxKind(kind)) {
        FP1 = {L, T};
        FP2 = {R, B};
    } else if (kind == TKXEle::deLine) {
        const int32_t h = (FPenWidth >= 100 ? FPenWidth : 100) / 2;
        switch (FDirection) {
        case 1: // vertical
            FP1 = {L + h, T};
            FP2 = {L + h, B};
            break;
        case 2: // horizontal
            FP1 = {L, T + h};
            FP2 = {R, T + h};
            break;
        case 3: // rising
            FP1 = {L, B};
            FP2 = {R, T};
            break;
        case 4: // falling
            FP1 = {L, T};
            FP2 = {R, B};
            break;
        default:
            break;
        }
    } else {
        TPoint anchor;
        if (AnchorInBox(L, T, R, B, anchor))
            FP1 = anchor;
    }
    if (Snap && GridActive()) {
        FP1 = {SnapX(FP1.x), SnapY(FP1.y)};
        FP2 = {SnapX(FP2.x), SnapY(FP2.y)};
    }
    if (FChangeSize) {
        UpdateExtent();
        FChangeSize = false;
    }
    if (TKXLayoutCells *layout = AsLayout())
        layout->RealignElements();
    MarkModified();
}

TRect TKXElement::GetScreenRect(const TRect &R) const
{
    const TKXEle kind = ElementType();
    if (kind == TKXEle::deLine) {
        const TKXCustomEditor *ed = FOwner->Editor();
        if (!ed)
            return R;
        return {ed->LabelToScreenX(FP1.x), ed->LabelToScreenY(FP1.y), ed->LabelToScreenX(FP2.x),
                ed->LabelToScreenY(FP2.y)};
    }
    if (IsBoxKind(kind))
        return R;
    TPoint anchor;
    if (AnchorInBox(R.Left, R.Top, R.Right, R.Bottom, anchor))
        return {anchor.x, anchor.y, -1, -1};
    return R;
}

// One axis of MoveLayoutBy: both ends shifted by D (snapped to the grid when it is on), then
// pushed back inside 0 .. Size. In 64 bits, clamped at the end: a damaged file's points may
// lie anywhere.
void TKXElement::ShiftWithin(int32_t &A, int32_t &B, int32_t D, int32_t Size, bool Horizontal) const
{
    int64_t a = ClampCoord(int64_t(A) + D), b = ClampCoord(int64_t(B) + D);
    if (GridActive()) {
        a = Horizontal ? SnapX(int32_t(a)) : SnapY(int32_t(a));
        b = Horizontal ? SnapX(int32_t(b)) : SnapY(int32_t(b));
    }
    if (a < 0) {
        b -= a;
        a = 0;
    } else if (b > Size) {
        a -= b - Size;
        b = Size;
    }
    A = ClampCoord(a);
    B = ClampCoord(b);
}

void TKXElement::MoveLayoutBy(int32_t dx, int32_t dy)
{
    const int32_t W = FOwner->Measure()->WidthInternal();
    const int32_t H = FOwner->Measure()->HeightInternal();
    bool moved = false;
    if (dx != 0) {
        ShiftWithin(FP1.x, FP2.x, dx, W, true);
        FKXEleAlign = TKXEleAlign::eaNone;
        IDLayout = 0;
        moved = true;
    }
    if (dy != 0) {
        ShiftWithin(FP1.y, FP2.y, dy, H, false);
        FKXEleAlign = TKXEleAlign::eaNone;
        IDLayout = 0;
        moved = true;
    }
    MarkModified();
    if (moved)
        if (TKXLayoutCells *layout = AsLayout())
            layout->RealignElements();
}

void TKXElement::ApplyEleAlign(bool Adjust)
{
    const TRect label{0, 0, FOwner->Measure()->WidthInternal(), FOwner->Measure()->HeightInternal()};
    TRect C = label;
    if (IDLayout != 0) {
        if (const TKXLayoutCells *layout = FOwner->FindLayout(IDLayout)) {
            C = layout->GetCellRect(ColLayout, RowLayout);
        } else {
            IDLayout = 0;
            RowLayout = 0;
            ColLayout = 0;
        }
    }
    // In 64 bits: a damaged file may hold points anywhere in the 32-bit range.
    int64_t w = int64_t(FP2.x) - FP1.x, h = int64_t(FP2.y) - FP1.y;
    const TKXEle kind = ElementType();
    const bool turnsExtent = kind == TKXEle::deSymbol || kind == TKXEle::deBar ||
                             kind == TKXEle::dePdf417 || (kind == TKXEle::dePolyText && IsBarcodeMode());
    if (turnsExtent && IDLayout > 0 && (FAngle == 90 || FAngle == 270))
        std::swap(w, h);
    const int64_t m = FMargin;
    const int64_t cx = C.Left + (int64_t(C.Right) - C.Left) / 2 - w / 2;
    const int64_t cy = C.Top + (int64_t(C.Bottom) - C.Top) / 2 - h / 2;
    // Horizontal: left edge + margin, centred, or right edge - margin; vertical likewise.
    // The margin is not applied along a centred axis.
    int64_t x1 = FP1.x, y1 = FP1.y, x2 = FP2.x, y2 = FP2.y;
    auto horizontal = [&](char where) {
        if (where == 'L') { x1 = int64_t(C.Left) + m; x2 = x1 + w; }
        else if (where == 'C') { x1 = cx; x2 = x1 + w; }
        else { x2 = int64_t(C.Right) - m; x1 = x2 - w; }
    };
    auto vertical = [&](char where) {
        if (where == 'T') { y1 = int64_t(C.Top) + m; y2 = y1 + h; }
        else if (where == 'C') { y1 = cy; y2 = y1 + h; }
        else { y2 = int64_t(C.Bottom) - m; y1 = y2 - h; }
    };
    switch (FKXEleAlign) {
    case TKXEleAlign::eaLeftTop: horizontal('L'); vertical('T'); break;
    case TKXEleAlign::eaLeftCenter: horizontal('L'); vertical('C'); break;
    case TKXEleAlign::eaLeftBottom: horizontal('L'); vertical('B'); break;
    case TKXEleAlign::eaCenterTop: horizontal('C'); vertical('T'); break;
    case TKXEleAlign::eaCenterCenter: horizontal('C'); vertical('C'); break;
    case TKXEleAlign::eaCenterBottom: horizontal('C'); vertical('B'); break;
    case TKXEleAlign::eaRigthTop: horizontal('R'); vertical('T'); break;
    case TKXEleAlign::eaRigthCenter: horizontal('R'); vertical('C'); break;
    case TKXEleAlign::eaRigthBottom: horizontal('R'); vertical('B'); break;
    default:
        // eaNone, and the single-edge values only a damaged file can carry: the element
        // keeps its box.
        break;
    }
    if (Adjust)
        AdjustAlignToAngle();
    auto fit = [](int64_t v) {
        return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    };
    SetBoundsRect({fit(x1), fit(y1)}, {fit(x2), fit(y2)}, false);
}

void TKXElement::AdjustAlignToAngle()
{
    if (IDLayout <= 0)
        return;
    const TKXEle kind = ElementType();
    const int col = AngleColumn(FAngle);
    const int row = int(Ord(FKXEleAlign)) - int(Ord(TKXEleAlign::eaLeftTop));
    if (IsTextKind(kind) && col >= 0 && row >= 0 && row < 9)
        FAlign = AlignToAngle[row][col];
    if (kind == TKXEle::deSymbol || kind == TKXEle::deBar)
        ApplyEleAlign(false);
}

void TKXElement::AlignPos(TKXAlignPos AlgPos, int32_t Pos, bool UpdateEditor)
{
    if (UpdateEditor)
        RecordUndo();
    const int32_t ax = FOwner->BackSurf()->AlignXInternal();
    const int32_t ay = FOwner->BackSurf()->AlignYInternal();
    int32_t dx = 0, dy = 0;
    switch (AlgPos) {
    case TKXAlignPos::epLeft: dx = Frame.Left - ax; break;
    case TKXAlignPos::epTop: dy = Frame.Top - ay; break;
    case TKXAlignPos::epRight: dx = Frame.Right - ax; break;
    case TKXAlignPos::epBottom: dy = Frame.Bottom - ay; break;
    case TKXAlignPos::epFirstLeft: dx = Frame.Left - Pos; break;
    case TKXAlignPos::epFirstTop: dy = Frame.Top - Pos; break;
    case TKXAlignPos::epFirstRight: dx = Frame.Right - Pos; break;
    case TKXAlignPos::epFirstBottom: dy = Frame.Bottom - Pos; break;
    }
    // A move to the left or up leaves the alignment; one to the right or down keeps it.
    if (dx > 0 || dy > 0) {
        FKXEleAlign = TKXEleAlign::eaNone;
        IDLayout = 0;
    }
    SetBoundsRect({Frame.Left - dx, Frame.Top - dy}, {Frame.Right - dx, Frame.Bottom - dy}, false);
    if (UpdateEditor)
        if (TKXCustomEditor *ed = FOwner->Editor()) {
            ed->FPaintSel = true;
            ed->UpdateEditor(true);
        }
}

// ---------------------------------------------------------------------------------------
// Hit test and list order

bool TKXElement::PointInObject(TPoint Pu) const
{
    if (FLocked)
        return Pu.x >= FBorder.Left && Pu.x < FBorder.Left + 8 && Pu.y >= FBorder.Top &&
               Pu.y < FBorder.Top + 8;
    return Pu.x >= FBorder.Left && Pu.x < FBorder.Right && Pu.y >= FBorder.Top && Pu.y < FBorder.Bottom;
}

void TKXElement::BringToFront()
{
    if (FOwner->IndexOf(this) >= 0)
        FOwner->MoveElement(this, 0);
}

void TKXElement::SendToBack()
{
    if (FOwner->IndexOf(this) >= 0)
        FOwner->MoveElement(this, FOwner->ElementCount() - 1);
}

// ---------------------------------------------------------------------------------------
// Record E

void TKXElement::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteInt32(int32_t(FColor));
    Stream.WriteInt32(int32_t(FBackColor));
    Stream.WriteInt32(int32_t(FBorderColor));
    Stream.WriteUInt8(FPenStyle);
    Stream.WriteBool(FShowBorder);
    Stream.WriteBool(FTransparent);
    Stream.WriteBool(FPrint);
    Stream.WriteInt32(FPenWidth);
    for (const TPoint &p : {FP1, FP2, FOP1, FOP2}) {
        Stream.WriteInt32(p.x);
        Stream.WriteInt32(p.y);
    }
    Stream.WriteInt32(FAngle);
    Stream.WriteInt32(FTextD);
    Stream.WriteInt32(FMargin);
    Stream.WriteEnum(FKXEleAlign);
    Stream.WriteInt32(FPadding.x);
    Stream.WriteInt32(FPadding.y);
    Stream.WriteInt32(FFrameRadio);
    WriteAnsiStr(WideToAnsi(FID.toStdU16String()), Stream);
    Stream.WriteInt32(FDesignWidth);
    Stream.WriteSingle(FTrX);
    Stream.WriteSingle(FTrY);
}

void TKXElement::LoadFromStream(TKXStreamReader &Stream)
{
    const int32_t version = FOwner->FileVersion();
    auto readPoint = [&Stream] {
        const int32_t x = Stream.ReadInt32();
        return TPoint{x, Stream.ReadInt32()};
    };
    FColor = TColor(Stream.ReadInt32());
    FBackColor = TColor(Stream.ReadInt32());
    FBorderColor = TColor(Stream.ReadInt32());
    FPenStyle = Stream.ReadUInt8();
    FShowBorder = Stream.ReadBool();
    FTransparent = Stream.ReadBool();
    FPrint = Stream.ReadBool();
    FPenWidth = Stream.ReadInt32();
    FP1 = readPoint();
    FP2 = readPoint();
    if (version >= 2800) {
        FOP1 = readPoint();
        FOP2 = readPoint();
    }
    FAngle = Stream.ReadInt32();
    FTextD = Stream.ReadInt32();
    if (version >= 20) {
        FMargin = Stream.ReadInt32();
        FKXEleAlign = Stream.ReadEnum<TKXEleAlign>();
    }
    if (version >= 2300) {
        FPadding = readPoint();
        FFrameRadio = Stream.ReadInt32();
    }
    if (version < 20) {
        // Tenths of a millimetre.
        FPenWidth = TenthsToInternal(FPenWidth);
        FP1 = {TenthsToInternal(FP1.x), TenthsToInternal(FP1.y)};
        FP2 = {TenthsToInternal(FP2.x), TenthsToInternal(FP2.y)};
        FTextD = TenthsToInternal(FTextD);
    }
    FID = QString::fromStdU16String(AnsiToWide(ReadAnsiStr(Stream)));
    if (version >= 2800) {
        FDesignWidth = Stream.ReadInt32();
        FTrX = LimitedFactor(Stream.ReadSingle());
        FTrY = LimitedFactor(Stream.ReadSingle());
    }
    // Lengths within the drawing code's range; the points stay as stored.
    FPenWidth = LimitedLength(FPenWidth);
    FTextD = LimitedLength(FTextD);
    FMargin = LimitedLength(FMargin);
    // The padding is never negative, as its setters keep it.
    FPadding = {std::clamp(FPadding.x, 0, MaxFileLength), std::clamp(FPadding.y, 0, MaxFileLength)};
    FFrameRadio = LimitedLength(FFrameRadio);
    FDesignWidth = LimitedLength(FDesignWidth);
    UpdateExtent();
}

// ---------------------------------------------------------------------------------------
// TKXData

TKXData::TKXData(TKXCustomLab *AOwner) : TKXBaseEx1D(AOwner) {}

void TKXData::AddPublished(TKXPropTable &t)
{
    TKXBaseEx1D::AddPublished(t);
    t.Add(PublishProp("FieldName", "AnsiString", &TKXData::FieldName, &TKXData::SetFieldName));
    t.Add(PublishProp("Data", "Boolean", &TKXData::Data, &TKXData::SetData));
}

const TKXPropTable &TKXData::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXData::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXData", &TKXBaseEx1D::ClassInfo());
}

float TKXData::FontHeight() const { return ToUnits(FFontHeight); }

void TKXData::SetFontHeight(float Value)
{
    SetProp(FFontHeight, ToInternal(Value), QStringLiteral("FontHeight"));
}

void TKXData::SetFontName(const QString &Value)
{
    SetProp(FFontName, Value, QStringLiteral("FontName"));
}

void TKXData::SetCharWidth(int32_t Value)
{
    SetProp(FCharWidth, Value, QString());
}

void TKXData::SetData(bool Value)
{
    if (Value == FDatabase)
        return;
    RecordUndo();
    if (!Value)
        FDesignWidth = 0;
    FDatabase = Value;
    MarkModified();
}

QString TKXData::FieldName() const
{
    if (!FDatabase || FFieldName.isEmpty())
        return {};
    bool floatAsDateTime = false;
    return FOwner->FieldNameToCaption(FFieldName, floatAsDateTime, FIsCounter);
}

// Takes the caption the inspector shows and stores the field or counter name behind it.
// An empty caption keeps the binding (it is switched off through Data).
void TKXData::SetFieldName(const QString &Value)
{
    if (Value.isEmpty())
        return;
    RecordUndo();
    QString name;
    FOwner->CaptionToFieldName(Value, FFloatAsDateTime, name, FIsCounter);
    const bool changed = name != FFieldName;
    FFieldName = name;
    FDesignWidth = 0;
    if (changed)
        MarkModified();
}

// Record D: record E, then the font and the binding.
void TKXData::SaveToStream(TKXStreamWriter &Stream) const
{
    TKXBaseEx1D::SaveToStream(Stream);
    WriteAnsiStr(WideToAnsi(FFontName.toStdU16String()), Stream);
    WriteAnsiStr(WideToAnsi(FFieldName.toStdU16String()), Stream);
    Stream.WriteInt32(FFontHeight);
    Stream.WriteBool(FDatabase);
    Stream.WriteUInt8(FCharset);
    Stream.WriteInt32(FCharWidth);
}

void TKXData::LoadFromStream(TKXStreamReader &Stream)
{
    TKXBaseEx1D::LoadFromStream(Stream);
    const int32_t version = FOwner->FileVersion();
    FFontName = QString::fromStdU16String(AnsiToWide(ReadAnsiStr(Stream)));
    FFieldName = QString::fromStdU16String(AnsiToWide(ReadAnsiStr(Stream)));
    FFontHeight = Stream.ReadInt32();
    if (version < 20)
        FFontHeight = TenthsToInternal(FFontHeight);
    FFontHeight = LimitedLength(FFontHeight);
    FDatabase = Stream.ReadBool();
    // A file preview shows the stored contents, never data.
    if (FOwner->CurDrawType() == TKXDrawType::tdOpenDialog)
        FDatabase = false;
    if (version >= 19)
        FCharset = Stream.ReadUInt8();
    if (version >= 2800)
        FCharWidth = Stream.ReadInt32();
    FFloatAsDateTime = FOwner->IsFloatAsDateTime(FFieldName);
}

} // namespace kx
