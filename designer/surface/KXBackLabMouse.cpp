// Mouse editing on the design surface: selecting, moving, resizing, dragging a line's ends
// and a layout's dividers, the rubber band, the right-click and the double-click.
//
// A drag changes the elements as the mouse moves, without recording anything; when it
// ends, every element it changed is recorded in one undo step with its record as it was at
// the press, so an undo puts it back exactly, whatever the zoom. A press or release without
// movement changes nothing and records nothing.
#include "surface/KXBackLab.h"

#include "core/KXError.h"
#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "document/KXDesignerServices.h"
#include "document/KXElement.h"
#include "editor/KXEditor.h"
#include "editor/KXResources.h"
#include "elements/KXLayout.h"
#include "elements/KXShapes.h"
#include "rulers/KXRulers.h"
#include "stream/KXStream.h"

#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace kx::designer {

namespace {

// Right and bottom edges are outside, as for the handles (point - 3 .. point + 4).
bool InRect(const TRect &R, TPoint P)
{
    return P.x >= R.Left && P.x < R.Right && P.y >= R.Top && P.y < R.Bottom;
}

TRect Shifted(const TRect &R, int32_t dx, int32_t dy)
{
    return {R.Left + dx, R.Top + dy, R.Right + dx, R.Bottom + dy};
}

// The centre of a 7 x 7 handle.
TPoint CentreOf(const TRect &Handle) { return {Handle.Left + 3, Handle.Top + 3}; }

bool IsResize(TKXDragType T) { return Ord(T) >= Ord(TKXDragType::dtTop) && Ord(T) <= Ord(TKXDragType::dtRightBottom); }
bool IsDivider(TKXDragType T) { return T == TKXDragType::dtColumn || T == TKXDragType::dtRow; }
bool IsPointDrag(TKXDragType T) { return T == TKXDragType::dtPoint1 || T == TKXDragType::dtPoint2; }

// The handles R1 .. R8 in order.
constexpr std::array<TKXDragType, 8> HandleTypes = {
    TKXDragType::dtLeft,    TKXDragType::dtRight,    TKXDragType::dtTop,        TKXDragType::dtBottom,
    TKXDragType::dtLeftTop, TKXDragType::dtRightTop, TKXDragType::dtLeftBottom, TKXDragType::dtRightBottom};

// The element whose record an undo keeps: a layout's column or row item is kept with its layout.
TKXElement &UndoTarget(TKXElement &E) { return E.ItemLayout() ? *E.ItemLayout() : E; }

TBytesArray RecordOf(const TKXElement &E)
{
    TKXStreamWriter w;
    E.SaveToStream(w);
    return w.Bytes();
}

} // namespace

// ---------------------------------------------------------------------------------------
// Qt's events

void TKXBackLab::mousePressEvent(QMouseEvent *Event)
{
    const QPoint p = Event->position().toPoint();
    MouseDown(Event->button(), Event->modifiers(), p.x(), p.y());
}

void TKXBackLab::mouseMoveEvent(QMouseEvent *Event)
{
    const QPoint p = Event->position().toPoint();
    MouseMove(Event->modifiers(), p.x(), p.y());
}

void TKXBackLab::mouseReleaseEvent(QMouseEvent *Event)
{
    const QPoint p = Event->position().toPoint();
    MouseUp(Event->button(), Event->modifiers(), p.x(), p.y());
}

// The second press of a double-click comes here in place of a press.
void TKXBackLab::mouseDoubleClickEvent(QMouseEvent *Event)
{
    if (Event->button() == Qt::LeftButton)
        DblClick();
}

// ---------------------------------------------------------------------------------------
// Press

void TKXBackLab::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int32_t X, int32_t Y)
{
    // Without a label (it may have gone) there is nothing to press on.
    if (!FEditor || !FEditor->AllowEdit() || !FEditor->Label())
        return;
    // The arrow keys go to the editor.
    FEditor->setFocus(Qt::MouseFocusReason);
    const QPoint global = mapToGlobal(QPoint(X, Y));
    MP = {global.x(), global.y()};
    if (FEditor->OnLabelMouseDown)
        FEditor->OnLabelMouseDown(FEditor, X, Y, MP.x, MP.y, FEditor->WorldX(X), FEditor->WorldY(Y));
    if (Button == Qt::RightButton) {
        RightPress(X, Y);
        return;
    }
    if (Button != Qt::LeftButton)
        return;
    Added = false;
    if (FEditor->DrawTool() == TKXDrawTool::dwSelection) {
        SelectionPress(Shift, X, Y);
        return;
    }
    ToolPress(Shift, X, Y);
    RefLineClick(Shift, X, Y);
    if (FEditor->Inspector)
        FEditor->Inspector->Inspect();
}

void TKXBackLab::RightPress(int32_t X, int32_t Y)
{
    // The reference-line tools drop a chosen reference.
    FEditor->RightClickRefStep();
    TKXElement *sel = FEditor->GetSelect();
    const bool hit = sel && sel->PointInObject({X, Y});
    if (!hit) {
        // A right-click beside the selection drops it and returns to the selection tool.
        Drawing = false;
        FEditor->SetDrawTool(TKXDrawTool::dwSelection);
        DragMod = TKXDrag::drgNone;
        if (FEditor->GetSelectedCount() > 0) {
            ClearMarks();
            FEditor->ClearSelection();
            update();
        }
        if (kx::TKXDataRuler *d = FEditor->DataRuler())
            d->SetCoorSelect(0, 0, 0, 0);
    }
    if (FEditor->OnRightMouse)
        FEditor->OnRightMouse(FEditor, hit, X, Y, MP.x, MP.y);
    if (FEditor->Inspector)
        FEditor->Inspector->Inspect();
}

void TKXBackLab::SelectionPress(Qt::KeyboardModifiers Shift, int32_t X, int32_t Y)
{
    const TPoint p{X, Y};
    const bool shift = Shift.testFlag(Qt::ShiftModifier);
    // Several selected: a press on any of them moves them all.
    if (DragMod == TKXDrag::drgMulti && !shift && FEditor->PointInSelection(p)) {
        const TRect b = FEditor->GetSelect()->Border();
        StartDrag(TKXDragType::dtMulti, {X - b.Left, Y - b.Top});
        return;
    }
    if (FEditor->GetSelectedCount() == 1 && GrabSingle(shift, p))
        return;
    if (FEditor->SelectAt(p, Shift)) {
        if (DragMod != TKXDrag::drgMulti) {
            ClearMarks();
            BuildGuideLines();
        }
        FEditor->UpdateEditor(true);
        FEditor->setFocus(Qt::MouseFocusReason);
        return;
    }
    // Nothing there: a selection band starts.
    ClearMarks();
    if (kx::TKXDataRuler *d = FEditor->DataRuler())
        d->SetCoorSelect(0, 0, 0, 0);
    Drawing = true;
    Org = p;
    MvPt = p;
}

bool TKXBackLab::GrabSingle(bool Shift, TPoint P)
{
    for (size_t i = 0; i < HandleTypes.size(); ++i) {
        if (!InRect(R[i], P))
            continue;
        // The offset to the grabbed edge or corner; an edge handle has none along its edge.
        const TKXDragType t = HandleTypes[i];
        TPoint off{0, 0};
        switch (t) {
        case TKXDragType::dtLeft: off.x = P.x - DragRect.Left; break;
        case TKXDragType::dtRight: off.x = P.x - DragRect.Right; break;
        case TKXDragType::dtTop: off.y = P.y - DragRect.Top; break;
        case TKXDragType::dtBottom: off.y = P.y - DragRect.Bottom; break;
        case TKXDragType::dtLeftTop: off = {P.x - DragRect.Left, P.y - DragRect.Top}; break;
        case TKXDragType::dtRightTop: off = {P.x - DragRect.Right, P.y - DragRect.Top}; break;
        case TKXDragType::dtLeftBottom: off = {P.x - DragRect.Left, P.y - DragRect.Bottom}; break;
        default: off = {P.x - DragRect.Right, P.y - DragRect.Bottom}; break;
        }
        StartDrag(t, off);
        return true;
    }
    // A line's ends: the other end stays where it is.
    if (InRect(RP1, P)) {
        Org = CentreOf(RP2);
        MvPt = {RP1.Left, RP1.Top};
        StartDrag(TKXDragType::dtPoint1, {P.x - RP1.Left, P.y - RP1.Top});
        return true;
    }
    if (InRect(RP2, P)) {
        Org = CentreOf(RP1);
        MvPt = {RP2.Left, RP2.Top};
        StartDrag(TKXDragType::dtPoint2, {P.x - RP2.Left, P.y - RP2.Top});
        return true;
    }
    if (DragMod == TKXDrag::drgLine && !Shift && FEditor->PointInSelection(P)) {
        DragMod = TKXDrag::drgObject;
        const TRect b = FEditor->GetSelect()->Border();
        StartDrag(TKXDragType::dtLine, {P.x - b.Left, P.y - b.Top});
        return true;
    }
    bool column = false;
    int32_t index = 0;
    if (FEditor->SelectLayout() && FEditor->HitLayoutDivider(P, column, index) && GrabDivider(column, index, P))
        return true;
    if (InRect(DragRect, P)) {
        Org = {DragRect.Left, DragRect.Top};
        StartDrag(TKXDragType::dtMove, {P.x - DragRect.Left, P.y - DragRect.Top});
        return true;
    }
    return false;
}

bool TKXBackLab::GrabDivider(bool IsColumn, int32_t Index, TPoint P)
{
    auto *layout = dynamic_cast<TKXLayout *>(FEditor->SelectLayout());
    if (!layout || Index < 0 || Index >= (IsColumn ? layout->ColumnItemCount() : layout->RowItemCount()))
        return false;
    ClearMarks();
    Drag = true;
    iscolumn = IsColumn;
    colrow = Index;
    DragOff = {0, 0};
    const TPoint a = layout->P1(), b = layout->P2();
    const int32_t left = FEditor->LabelToScreenX(std::min(a.x, b.x));
    const int32_t right = FEditor->LabelToScreenX(std::max(a.x, b.x));
    const int32_t top = FEditor->LabelToScreenY(std::min(a.y, b.y));
    const int32_t bottom = FEditor->LabelToScreenY(std::max(a.y, b.y));
    // The divider moves between its neighbours (where they were last painted) or the
    // layout's edges, limits excluded.
    FPressStates.clear();
    TakePressState(*layout);
    if (IsColumn) {
        DragType = TKXDragType::dtColumn;
        Org = {P.x, top};
        MvPt = {P.x, bottom};
        minpos = Index == 0 ? left : layout->GetColumn(Index)->PosX();
        maxpos = Index == layout->ColCount() - 2 ? right : layout->GetColumn(Index + 2)->PosX();
        FEditor->SetSelect(layout->GetColumn(Index + 1));
    } else {
        DragType = TKXDragType::dtRow;
        Org = {left, P.y};
        MvPt = {right, P.y};
        minpos = Index == 0 ? top : layout->GetRow(Index)->PosY();
        maxpos = Index == layout->RowCount() - 2 ? bottom : layout->GetRow(Index + 2)->PosY();
        FEditor->SetSelect(layout->GetRow(Index + 1));
    }
    return true;
}

void TKXBackLab::TakePressState(TKXElement &Element)
{
    TPressState s;
    s.Serial = Element.Serial();
    if (const TKXCustomLab *lab = FEditor->Label())
        s.Cell = lab->CellOf(Element);
    try {
        s.Record = RecordOf(Element);
        s.Valid = true;
    } catch (const EKxError &) {
        // A state the record cannot hold: the end of the drag records the element as any
        // change is recorded (and the history says it cannot undo it).
    }
    FPressStates.push_back(std::move(s));
}

void TKXBackLab::StartDrag(TKXDragType Type, TPoint Off)
{
    Drag = true;
    DragType = Type;
    DragOff = Off;
    // Snap targets are found afresh by this drag's moves.
    ChkPts = {-1, -1, -1, -1};
    RefLinesMove.clear();
    FEditor->SaveSelectionBorders();
    FPressStates.clear();
    for (TKXElement *e : FEditor->ElementsSelected)
        TakePressState(UndoTarget(*e));
}

// ---------------------------------------------------------------------------------------
// Move

void TKXBackLab::MouseMove(Qt::KeyboardModifiers, int32_t X, int32_t Y)
{
    if (!FEditor || !FEditor->AllowEdit())
        return;
    if (FEditor->OnLabelMouseMove)
        FEditor->OnLabelMouseMove(FEditor, X, Y, FEditor->WorldX(X), FEditor->WorldY(Y));
    if (FEditor->RulerSettings().Visible()) {
        FEditor->TopRuler()->SetPosT(X);
        FEditor->LeftRuler()->SetPosT(Y);
    }
    const bool selecting = FEditor->DrawTool() == TKXDrawTool::dwSelection;
    M = selecting ? TPoint{X, Y} : FEditor->SnapToGrid({X, Y});
    if (Drawing) {
        MvPt = M;
        if (FEditor->DrawTool() == TKXDrawTool::dwLine && FEditor->LineMove() == TKXLineMove::lmOrto)
            MvPt = std::abs(M.x - Org.x) > std::abs(M.y - Org.y) ? TPoint{M.x, Org.y} : TPoint{Org.x, M.y};
        update();
        return;
    }
    if (!Drag) {
        if (selecting)
            HoverFeedback(X, Y);
        return;
    }
    if (FEditor->GetSelect() && FEditor->Label())
        DragMove(X, Y);
}

void TKXBackLab::HoverFeedback(int32_t X, int32_t Y)
{
    const TPoint p{X, Y};
    switch (DragMod) {
    case TKXDrag::drgNone: {
        QString field;
        if (FEditor->ShowHint && FEditor->FieldNameAt(p, field)) {
            HintData = field;
            setToolTip(field);
            QToolTip::showText(mapToGlobal(QPoint(X, Y)), field, this);
        } else if (!HintData.isEmpty()) {
            HintData.clear();
            setToolTip(QString());
            QToolTip::hideText();
        }
        break;
    }
    case TKXDrag::drgLine:
        if (InRect(RP1, p) || InRect(RP2, p))
            setCursor(ScreenCursor(7));
        else if (FEditor->PointInSelection(p))
            setCursor(Qt::PointingHandCursor);
        else
            setCursor(Qt::ArrowCursor);
        break;
    case TKXDrag::drgObject:
        setCursor(InRect(DragRect, p) ? Qt::PointingHandCursor : Qt::ArrowCursor);
        break;
    case TKXDrag::drgSizes: {
        bool column = false;
        int32_t index = 0;
        if (FEditor->SelectLayout() && FEditor->HitLayoutDivider(p, column, index))
            setCursor(column ? Qt::SplitHCursor : Qt::SplitVCursor);
        else if (InRect(R[0], p) || InRect(R[1], p))
            setCursor(Qt::SizeHorCursor);
        else if (InRect(R[2], p) || InRect(R[3], p))
            setCursor(Qt::SizeVerCursor);
        else if (InRect(R[4], p) || InRect(R[7], p))
            setCursor(Qt::SizeFDiagCursor);
        else if (InRect(R[5], p) || InRect(R[6], p))
            setCursor(Qt::SizeBDiagCursor);
        else if (InRect(DragRect, p))
            setCursor(Qt::PointingHandCursor);
        else
            setCursor(Qt::ArrowCursor);
        break;
    }
    default:
        break;
    }
}

void TKXBackLab::DragMove(int32_t X, int32_t Y)
{
    TKXCustomLab &lab = *FEditor->Label();
    TKXRecordingOff off(lab);
    M = FEditor->SnapToGrid({M.x - DragOff.x, M.y - DragOff.y});
    X1 = M.x;
    Y1 = M.y;
    if (X1 == X && Y1 == Y && FEditor->Snap == TKXSnap::snGrid)
        return;
    TKXElement &sel = *FEditor->GetSelect();
    if (IsDivider(DragType)) {
        // Only within the neighbours, by the pointer itself.
        const int32_t pos = DragType == TKXDragType::dtColumn ? X : Y;
        if (minpos < pos && pos < maxpos) {
            (DragType == TKXDragType::dtColumn ? MvPt.x : MvPt.y) = pos;
            PlaceDivider(pos);
            FEditor->FPaintSel = true;
            update();
        }
        return;
    }
    if (IsPointDrag(DragType)) {
        auto *line = dynamic_cast<TKXLine *>(&sel);
        if (!line)
            return;
        MvPt = {X1, Y1};
        TRect &handle = DragType == TKXDragType::dtPoint1 ? RP1 : RP2;
        RectAt(handle, X1, Y1);
        const TPoint c = CentreOf(handle);
        if (DragType == TKXDragType::dtPoint1)
            line->MoveP1(FEditor->ScreenToLabelX(c.x), FEditor->ScreenToLabelY(c.y));
        else
            line->MoveP2(FEditor->ScreenToLabelX(c.x), FEditor->ScreenToLabelY(c.y));
        FEditor->FPaintSel = true;
        update();
        return;
    }
    if (IsResize(DragType) || (DragType == TKXDragType::dtMove && DragMod == TKXDrag::drgSizes))
        ResizeSelection(sel);
    else
        MoveSelection();
}

// Moves every selected element by the displacement of the first one's border.
void TKXBackLab::MoveSelection()
{
    TKXElement &first = *FEditor->GetSelect();
    MvPt = {first.Border().Left, first.Border().Top};
    OffX = X1 - MvPt.x;
    OffY = Y1 - MvPt.y;
    NewRect = Shifted(first.Border(), OffX, OffY);
    BuildMoveGuides(NewRect);
    const bool bounded = FEditor->Label()->CheckBounds();
    for (TKXElement *e : FEditor->ElementsSelected) {
        TRect b = Shifted(e->Border(), OffX, OffY);
        if (bounded)
            KeepRectInside(b, 0, 0, width(), height());
        e->SetBorder(b);
        // A line's border is the box around it: its ends follow its direction in the box.
        if (e->ElementType() == TKXEle::deLine)
            e->SetScreenRect(b, false);
    }
    ShowSelectionOnRulers();
    FEditor->FPaintSel = true;
    update();
}

// Drags the single element's border by the grabbed handle, or moves it as a whole.
void TKXBackLab::ResizeSelection(TKXElement &Sel)
{
    const bool aspect = FEditor->ResizeAspect();
    switch (DragType) {
    case TKXDragType::dtMove: RectAt(DragRect, X1, Y1); break;
    case TKXDragType::dtLeft: SetRectLeft(DragRect, X1); break;
    case TKXDragType::dtRight: SetRectRight(DragRect, X1); break;
    case TKXDragType::dtTop: SetRectTop(DragRect, Y1); break;
    case TKXDragType::dtBottom: SetRectBottom(DragRect, Y1); break;
    case TKXDragType::dtLeftTop: MoveRectLeftTop(DragRect, X1, Y1, aspect); break;
    case TKXDragType::dtRightTop: MoveRectRightTop(DragRect, X1, Y1, aspect); break;
    case TKXDragType::dtLeftBottom: MoveRectLeftBottom(DragRect, X1, Y1, aspect); break;
    case TKXDragType::dtRightBottom: MoveRectRightBottom(DragRect, X1, Y1, aspect); break;
    default: return;
    }
    if (FEditor->Label()->CheckBounds())
        KeepRectInside(DragRect, 0, 0, width(), height());
    TRect b = DragRect;
    // Without the limits an edge may pass the opposite one: the element gets the box the
    // two edges span, and the handle goes on following the pointer.
    NormalizeRect(b);
    Sel.SetBorder(b);
    FEditor->FPaintSel = true;
    BuildMoveGuides(DragRect);
    ShowSelectionOnRulers();
    update();
}

void TKXBackLab::PlaceDivider(int32_t Pos)
{
    auto *layout = dynamic_cast<TKXLayout *>(FEditor->SelectLayout());
    if (!layout)
        return;
    TKXRecordingOff off(*FEditor->Label());
    // The divider goes to the label position of the pixel; its neighbour takes the difference.
    if (DragType == TKXDragType::dtColumn) {
        const TKXColLayout *item = layout->GetColumn(colrow + 1);
        if (item)
            layout->SetColumnWidth(item->WidthInternal() + FEditor->ScreenToLabelX(Pos) - layout->DividerX(colrow),
                                   uint16_t(colrow));
    } else {
        const TKXRowLayout *item = layout->GetRow(colrow + 1);
        if (item)
            layout->SetRowHeight(item->HeightInternal() + FEditor->ScreenToLabelY(Pos) - layout->DividerY(colrow),
                                 uint16_t(colrow));
    }
}

void TKXBackLab::ShowSelectionOnRulers()
{
    kx::TKXDataRuler *d = FEditor->DataRuler();
    if (!d || FEditor->GetSelectedCount() != 1)
        return;
    const TKXElement *e = FEditor->GetSelect();
    d->SetCoorSelect(e->GetFrameLeft(), e->GetFrameTop(), e->GetFrameRight(), e->GetFrameBottom());
}

// ---------------------------------------------------------------------------------------
// Release

void TKXBackLab::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int32_t X, int32_t Y)
{
    if (!FEditor || !FEditor->AllowEdit())
        return;
    if (FEditor->OnLabelMouseUp) {
        const QPoint global = mapToGlobal(QPoint(X, Y));
        MP = {global.x(), global.y()};
        FEditor->OnLabelMouseUp(FEditor, X, Y, MP.x, MP.y, FEditor->WorldX(X), FEditor->WorldY(Y));
    }
    if (Drag) {
        Drag = false;
        if (FEditor->Label())
            EndDrag();
    }
    if (!Drawing)
        return;
    Added = false;
    TRect r{Org.x, Org.y, X, Y};
    NormalizeRectFlag(r, invrect);
    if (FEditor->DrawTool() != TKXDrawTool::dwSelection) {
        ToolRelease(r, X, Y);
        return;
    }
    // Drawn rightwards and downwards the band takes what lies inside it; drawn the other
    // way, whatever it touches.
    Drawing = false;
    const bool any = FEditor->SelectInRect(r, !invrect);
    FEditor->UpdateEditor(true);
    if (any)
        FEditor->setFocus(Qt::MouseFocusReason);
    ShowSelectionOnRulers();
}

void TKXBackLab::EndDrag()
{
    TKXCustomLab &lab = *FEditor->Label();
    TKXElement *sel = FEditor->GetSelect();
    if (sel && IsDivider(DragType))
        PlaceDivider(DragType == TKXDragType::dtColumn ? MvPt.x : MvPt.y);

    // What the drag changed, against the records taken at the press.
    struct TChanged {
        TKXElement *Element;
        const TPressState *State;
    };
    std::vector<TChanged> changed;
    for (const TPressState &s : FPressStates) {
        TKXElement *e = lab.ElementBySerial(s.Serial);
        if (!e)
            continue;
        bool differs = true;
        if (s.Valid) {
            try {
                differs = RecordOf(*e) != s.Record || lab.CellOf(*e) != s.Cell;
            } catch (const EKxError &) {
            }
        }
        if (differs)
            changed.push_back({e, &s});
    }
    FEditor->CountChangedBorders();
    if (!changed.empty()) {
        TKXUndoStep step(lab, int32_t(changed.size()));
        for (const TChanged &c : changed) {
            if (c.State->Valid)
                lab.RecordUndoState(*c.Element, c.State->Record, c.State->Cell);
            else
                lab.RecordUndo(TKXURAction::urProp, *c.Element);
        }
    }
    FPressStates.clear();
    for (TKXElement *e : FEditor->ElementsSelected)
        e->SetChangeBor(false);
    RefLinesMove.clear();
    if (!changed.empty())
        lab.SetModified(true);

    if (!sel) {
        ClearMarks();
        if (kx::TKXDataRuler *d = FEditor->DataRuler())
            d->SetCoorSelect(0, 0, 0, 0);
        FEditor->FPaintEle = true;
        update();
        return;
    }
    if (!changed.empty()) {
        TKXRecordingOff off(lab);
        const bool moved = DragType == TKXDragType::dtMove || DragType == TKXDragType::dtLine ||
                           DragType == TKXDragType::dtMulti;
        if (moved) {
            // Each moved element is placed from its border, on the grid when snapping.
            for (const TChanged &c : changed)
                if (c.Element->GetIsSelected())
                    c.Element->SetScreenRect(c.Element->Border(), true);
            // A single element whose edges met another's during the drag takes that
            // element's coordinates exactly.
            const bool guided = ChkPts.Left > -1 || ChkPts.Top > -1 || ChkPts.Right > -1 || ChkPts.Bottom > -1;
            if (FEditor->ShowLines() && FEditor->GetSelectedCount() == 1 && guided) {
                sel->LeaveLayout();
                TPoint p1 = sel->P1(), p2 = sel->P2();
                if (ChkPts.Left > -1)
                    p1.x = ChkPts.Left;
                if (ChkPts.Top > -1)
                    p1.y = ChkPts.Top;
                if (ChkPts.Right > -1)
                    p2.x = ChkPts.Right;
                if (ChkPts.Bottom > -1)
                    p2.y = ChkPts.Bottom;
                sel->SetP1(p1.x, p1.y);
                if (ChkPts.Right > -1 || ChkPts.Bottom > -1)
                    sel->SetP2(p2.x, p2.y);
            }
        } else if (IsResize(DragType)) {
            // A layout places its members, a table its cells, in the final box.
            if (sel->AsLayout() || sel->ElementType() == TKXEle::deTable)
                sel->ApplyBorder();
        } else if (IsPointDrag(DragType)) {
            const TPoint c = CentreOf(DragType == TKXDragType::dtPoint1 ? RP1 : RP2);
            const TPoint at{FEditor->ScreenToLabelX(c.x), FEditor->ScreenToLabelY(c.y)};
            if (DragType == TKXDragType::dtPoint1)
                sel->SetP1(at.x, at.y);
            else
                sel->SetP2(at.x, at.y);
        }
    }
    ChkPts = {-1, -1, -1, -1};
    FEditor->FPaintSel = true;
    FEditor->UpdateEditor(true);
    BuildGuideLines();
    ShowSelectionOnRulers();
}

// ---------------------------------------------------------------------------------------
// Double-click

void TKXBackLab::DblClick()
{
    if (!FEditor || !FEditor->AllowEdit())
        return;
    if (FEditor->GetSelect()) {
        setCursor(Qt::ArrowCursor);
        if (FEditor->ShowEditorDblClick)
            FEditor->ShowElementProp();
    }
    Drag = false;
    DragMod = TKXDrag::drgNone;
    Drawing = false;
}

} // namespace kx::designer
