// The editor's reference-line operations: extend, trim and join horizontal and vertical
// lines against a reference line or rectangle; and the hit test of a layout's dividers.
//
// Every adjustment records the line before changing it, under the undo announcement in
// force (one step per line as the editor normally records); a check that fails changes and
// records nothing. The ends are written exactly, never snapped to the grid: an adjusted end
// lies on the reference.
#include "editor/KXEditor.h"

#include "document/KXBaseLab.h"
#include "document/KXElement.h"
#include "elements/KXLayout.h"
#include "elements/KXShapes.h"
#include "surface/KXBackLab.h"

#include <algorithm>

namespace kx::designer {

namespace {

// A line's ends with X1 <= X2 and Y1 <= Y2, whatever order the element holds them in.
struct TSpan {
    int32_t X1, Y1, X2, Y2;
    bool Vertical() const { return X1 == X2; }
    bool Horizontal() const { return Y1 == Y2; }
};

TSpan SpanOf(const TKXElement &E)
{
    const TPoint a = E.P1(), b = E.P2();
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

void Store(TKXLine &Line, const TSpan &S)
{
    Line.SetEnds({S.X1, S.Y1}, {S.X2, S.Y2});
}

void Record(TKXCustomLab &Lab, TKXElement &E)
{
    Lab.RecordUndo(TKXURAction::urProp, E);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Reference state

TKXElement *TKXCustomEditor::LiveRef(const TRefElement &Ref) const
{
    if (!Ref.Element || !Label())
        return nullptr;
    return Label()->ElementBySerial(Ref.Serial) == Ref.Element ? Ref.Element : nullptr;
}

TKXLine *TKXCustomEditor::RefLine() const
{
    return dynamic_cast<TKXLine *>(LiveRef(FRefLine));
}

TKXRect *TKXCustomEditor::RefRect() const
{
    return dynamic_cast<TKXRect *>(LiveRef(FRefRect));
}

void TKXCustomEditor::ClearRefLines()
{
    FRefLines.clear();
    bool changed = false;
    if (TKXElement *e = LiveRef(FRefLine)) {
        e->SetSelType(TKXSelType::stLine);
        changed = true;
    }
    if (TKXElement *e = LiveRef(FRefRect)) {
        e->SetSelType(TKXSelType::stRect);
        changed = true;
    }
    FRefLine = {};
    FRefRect = {};
    if (Label())
        Label()->ClearRefArray();
    if (changed) {
        // A reference still selected shows its handles again at the next paint.
        FPaintSel = true;
        if (FBackLab)
            FBackLab->update();
    }
}

bool TKXCustomEditor::SetRefLine(TKXLine *Line)
{
    TKXSelType kind;
    switch (FDrawTool) {
    case TKXDrawTool::dwExtendLine: kind = TKXSelType::stRefExtLine; break;
    case TKXDrawTool::dwTrimLine: kind = TKXSelType::stRefTrimLine; break;
    case TKXDrawTool::dwJoinLines: kind = TKXSelType::stRefJoinLine; break;
    default: return false;
    }
    if (!Line || !Label() || Label()->IndexOf(Line) < 0)
        return false;
    ClearRefLines();
    Line->SetSelType(kind);
    FRefLine = {Line, Line->Serial()};
    FRefLines.push_back(FRefLine);
    FAction = TKXAction::acSelLineToAdjust;
    FPaintSel = true;
    FPaintEle = true;
    return true;
}

bool TKXCustomEditor::SetRefRect(TKXRect *Rect)
{
    if (FDrawTool != TKXDrawTool::dwExtendLine && FDrawTool != TKXDrawTool::dwTrimLine)
        return false;
    if (!Rect || !Label() || Label()->IndexOf(Rect) < 0)
        return false;
    ClearRefLines();
    Rect->SetSelType(TKXSelType::stRefRect);
    FRefRect = {Rect, Rect->Serial()};
    FRefLines.push_back(FRefRect);
    FAction = TKXAction::acSelLineToAdjust;
    FPaintSel = true;
    FPaintEle = true;
    return true;
}

void TKXCustomEditor::RestartRefTool()
{
    ClearRefLines();
    if (FDrawTool == TKXDrawTool::dwExtendLine || FDrawTool == TKXDrawTool::dwTrimLine)
        FAction = TKXAction::acSelRefLineOrRect;
    else if (FDrawTool == TKXDrawTool::dwJoinLines)
        FAction = TKXAction::acSelRefLine;
    else
        FAction = TKXAction::acNone;
}

void TKXCustomEditor::RightClickRefStep()
{
    switch (FAction) {
    case TKXAction::acSelLineToAdjust:
        // Without a reference the tool waits for a new one rather than ignoring every click.
        RestartRefTool();
        break;
    case TKXAction::acSelRefLineOrRect:
    case TKXAction::acSelRefLine:
        if (!FRefLines.empty())
            FAction = TKXAction::acSelLineToAdjust;
        else
            ClearRefLines();
        break;
    case TKXAction::acNone:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Extend

int32_t TKXCustomEditor::ExtendLine(TKXLine *Line, bool ToLine)
{
    if (!Line || !Label())
        return rlNoReference;
    TSpan L = SpanOf(*Line);
    if (ToLine) {
        const TKXLine *ref = RefLine();
        if (!ref)
            return rlNoReference;
        const TSpan R = SpanOf(*ref);
        if (R.Vertical()) {
            if (L.Vertical())
                return rlBothVertical;
            if (!L.Horizontal())
                return rlNotPerpendicular;
            if (L.Y1 < R.Y1 || L.Y1 > R.Y2)
                return rlBeyondReference;
            Record(*Label(), *Line);
            if (R.X1 < L.X1)
                L.X1 = R.X1;
            if (R.X1 > L.X2)
                L.X2 = R.X1;
        } else if (R.Horizontal()) {
            if (!L.Vertical())
                return rlNotPerpendicular;
            if (L.X1 < R.X1 || L.X1 > R.X2)
                return rlBeyondReference;
            if (R.Y1 > L.Y1 && R.Y1 < L.Y2)
                return rlCrossesReference;
            Record(*Label(), *Line);
            if (R.Y1 > L.Y2)
                L.Y2 = R.Y1;
            if (R.Y1 < L.Y1)
                L.Y1 = R.Y1;
        } else {
            return rlNotPerpendicular;
        }
        Store(*Line, L);
        return rlAdjusted;
    }

    const TKXRect *rect = RefRect();
    if (!rect)
        return rlNoReference;
    const TSpan B = SpanOf(*rect); // Left, Top, Right, Bottom
    // The same rules along either axis: Lo..Hi the line, Near..Far the rectangle's edges.
    auto grow = [](int32_t &Lo, int32_t &Hi, int32_t Near, int32_t Far) {
        if (Far < Lo) {
            Lo = Far; // the line lies beyond the far edge
        } else if (Lo < Near) {
            if (Near > Hi)
                Hi = Near;
            else if (Far > Hi)
                Hi = Far;
        } else if (Far > Hi) {
            Lo = Near; // wholly inside: to both edges
            Hi = Far;
        } else {
            Lo = Near;
        }
    };
    if (L.Vertical()) {
        if (L.X1 < B.X1 || L.X1 > B.X2)
            return rlOutsideRect;
        Record(*Label(), *Line);
        grow(L.Y1, L.Y2, B.Y1, B.Y2);
    } else if (L.Horizontal()) {
        if (L.Y1 < B.Y1 || L.Y1 > B.Y2)
            return rlOutsideRect;
        Record(*Label(), *Line);
        grow(L.X1, L.X2, B.X1, B.X2);
    } else {
        return rlNotPerpendicular;
    }
    Store(*Line, L);
    return rlAdjusted;
}

// ---------------------------------------------------------------------------------------
// Trim

int32_t TKXCustomEditor::TrimLine(TKXLine *Line, bool ToLine)
{
    if (!Line || !Label())
        return rlNoReference;
    TSpan L = SpanOf(*Line);
    if (ToLine) {
        const TKXLine *ref = RefLine();
        if (!ref)
            return rlNoReference;
        const TSpan R = SpanOf(*ref);
        // Only the reference's direction counts, not its length.
        if (R.Vertical()) {
            if (L.Vertical())
                return rlBothVertical;
            if (!L.Horizontal())
                return rlNotPerpendicular;
            if (!(R.X1 > L.X1 && R.X1 < L.X2))
                return rlNotCut;
            Record(*Label(), *Line);
            if (R.X1 > FRefPoint2.x)
                L.X1 = R.X1; // clicked left of the reference: the left part goes
            else
                L.X2 = R.X1;
        } else if (R.Horizontal()) {
            if (!L.Vertical())
                return rlNotPerpendicular;
            if (!(R.Y1 > L.Y1 && R.Y1 < L.Y2))
                return rlNotCut;
            Record(*Label(), *Line);
            if (R.Y1 > FRefPoint2.y)
                L.Y1 = R.Y1;
            else
                L.Y2 = R.Y1;
        } else {
            return rlNotPerpendicular;
        }
        Store(*Line, L);
        return rlAdjusted;
    }

    const TKXRect *rect = RefRect();
    if (!rect)
        return rlNoReference;
    const TSpan B = SpanOf(*rect);
    // Clips Lo..Hi to Near..Far; false when the edges do not cut it.
    auto clip = [&](int32_t &Lo, int32_t &Hi, int32_t Near, int32_t Far) {
        if (Near > Lo) {
            if (Near >= Hi)
                return false;
            Record(*Label(), *Line);
            Lo = Near;
            if (Hi > Far)
                Hi = Far;
            return true;
        }
        if (Far < Hi && Far > Lo) {
            Record(*Label(), *Line);
            Hi = Far;
            return true;
        }
        return false;
    };
    bool cut = false;
    if (L.Vertical()) {
        if (L.X1 < B.X1 || L.X1 > B.X2)
            return rlOutsideRect;
        cut = clip(L.Y1, L.Y2, B.Y1, B.Y2);
    } else if (L.Horizontal()) {
        if (L.Y1 < B.Y1 || L.Y1 > B.Y2)
            return rlOutsideRect;
        cut = clip(L.X1, L.X2, B.X1, B.X2);
    } else {
        return rlNotPerpendicular;
    }
    if (!cut)
        return rlNotCut;
    Store(*Line, L);
    return rlAdjusted;
}

// ---------------------------------------------------------------------------------------
// Join

bool TKXCustomEditor::JoinLines(TKXLine *Line)
{
    TKXLine *ref = RefLine();
    if (!Line || !ref || !Label() || Line == ref)
        return false;
    TSpan L = SpanOf(*Line);
    TSpan R = SpanOf(*ref);
    const bool refVertical = R.Vertical() && L.Horizontal();
    const bool refHorizontal = !refVertical && R.Horizontal() && L.Vertical();
    if (!refVertical && !refHorizontal)
        return false;

    // To reach At, Lo..Hi grows; when At already lies inside, the part on the clicked side
    // stays: the part beyond At (KeepHigh) or the part before it.
    auto meet = [](int32_t &Lo, int32_t &Hi, int32_t At, bool KeepHigh) {
        if (At < Lo)
            Lo = At;
        else if (At > Hi)
            Hi = At;
        else if (At > Lo && At < Hi) {
            if (KeepHigh)
                Lo = At;
            else
                Hi = At;
        }
    };
    {
        TKXUndoStep step(*Label(), 2);
        Record(*Label(), *Line);
        Record(*Label(), *ref);
        if (refVertical) {
            const int32_t x = R.X1, y = L.Y1;
            meet(R.Y1, R.Y2, y, y < FRefPoint1.y);
            meet(L.X1, L.X2, x, x < FRefPoint2.x);
        } else {
            const int32_t x = L.X1, y = R.Y1;
            meet(L.Y1, L.Y2, y, y < FRefPoint2.y);
            meet(R.X1, R.X2, x, x <= FRefPoint1.x);
        }
    }
    Store(*Line, L);
    Store(*ref, R);
    return true;
}

// ---------------------------------------------------------------------------------------
// Layout dividers

bool TKXCustomEditor::HitLayoutDivider(TPoint Point, bool &IsColumn, int32_t &Index) const
{
    const auto *layout = dynamic_cast<const TKXLayout *>(FSelectLayout);
    if (!layout)
        return false;
    // The positions are those of the last painting; a divider is only hit inside the layout.
    const TRect b = layout->Border();
    if (layout->RowCount() > 1 && Point.x >= b.Left && Point.x <= b.Right && Point.y > b.Top &&
        Point.y < b.Bottom) {
        for (int32_t i = 0; i < layout->RowItemCount(); ++i)
            if (layout->GetRow(i + 1)->PosY() == Point.y) {
                IsColumn = false;
                Index = i;
                return true;
            }
    }
    if (layout->ColCount() > 1 && Point.y >= b.Top && Point.y <= b.Bottom && Point.x > b.Left &&
        Point.x < b.Right) {
        for (int32_t i = 0; i < layout->ColumnItemCount(); ++i)
            if (layout->GetColumn(i + 1)->PosX() == Point.x) {
                IsColumn = true;
                Index = i;
                return true;
            }
    }
    return false;
}

} // namespace kx::designer
