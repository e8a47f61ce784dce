// The editor's commands on the selection as a whole: deleting it, moving its first element
// in the stacking order, and the arrangement commands of the main window (align, centre,
// space evenly or by a gap, same width or height).
//
// Every command that changes elements announces one undo step of exactly the changes it
// records (kx::TKXUndoStep puts recording back to one change per step however it ends)
// and marks the label modified when a coordinate changed. All lengths are label units.
#include "editor/KXEditor.h"

#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "document/KXElement.h"
#include "surface/KXBackLab.h"

#include <algorithm>
#include <cstdlib>

namespace kx::designer {

namespace {

// One axis of an element: its start and end coordinate (X1, X2 or Y1, Y2).
struct TSpan {
    int32_t A = 0;
    int32_t B = 0;
};

TSpan SpanOf(const TKXElement &E, bool Horizontal)
{
    return Horizontal ? TSpan{E.P1().x, E.P2().x} : TSpan{E.P1().y, E.P2().y};
}

void PlaceSpan(TKXElement &E, bool Horizontal, int64_t A, int64_t B)
{
    TPoint p1 = E.P1(), p2 = E.P2();
    if (Horizontal) {
        p1.x = ClampCoord(A);
        p2.x = ClampCoord(B);
    } else {
        p1.y = ClampCoord(A);
        p2.y = ClampCoord(B);
    }
    E.PlacePoints(p1, p2);
}

// The kinds whose size the same-width and same-height commands set: the ones drawn to their
// second point. Texts, codes and symbols take their size from their content.
bool TakesSameSize(TKXEle Kind)
{
    switch (Kind) {
    case TKXEle::deLine:
    case TKXEle::deRect:
    case TKXEle::deImage:
    case TKXEle::deParagraph:
    case TKXEle::deTable:
    case TKXEle::deLayout:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------
// Deleting and stacking order

void TKXCustomEditor::DeleteSelection()
{
    TKXCustomLab *lab = Label();
    if (!lab || ElementsSelected.empty())
        return;
    FSelectLayout = nullptr;
    lab->ClearRefArray();
    lab->SetSelectedField(nullptr);
    // Only elements of the label's own list go (a layout's column or row item is part of its
    // layout). They are recorded front to back while all are still in place: the undo step
    // puts them back in the order recorded, so each returns to its own stacking position.
    std::vector<TKXElement *> doomed;
    for (TKXElement *e : ElementsSelected)
        if (lab->IndexOf(e) >= 0)
            doomed.push_back(e);
    std::sort(doomed.begin(), doomed.end(),
              [lab](const TKXElement *a, const TKXElement *b) { return lab->IndexOf(a) < lab->IndexOf(b); });
    UnselectAll();
    if (!doomed.empty()) {
        TKXUndoStep step(*lab, int32_t(doomed.size()));
        for (TKXElement *e : doomed)
            lab->RecordUndo(TKXURAction::urDelete, *e);
    }
    for (TKXElement *e : doomed)
        lab->RemoveElement(e, false, false);
    FRulers->Data()->SetCoorSelect(0, 0, 0, 0);
    UpdateEditor(true);
    if (!doomed.empty())
        lab->SetModified(true);
    if (OnSelectChange)
        OnSelectChange(this);
}

// The stacking order is stored with the label: a change marks it modified. Not recorded for
// undo.
void TKXCustomEditor::SelecBringToFront()
{
    TKXCustomLab *lab = Label();
    if (!lab || ElementsSelected.empty())
        return;
    TKXElement *e = ElementsSelected.front();
    if (lab->IndexOf(e) > 0) {
        e->BringToFront();
        lab->SetModified(true);
    }
    FPaintSel = true;
    UpdateEditor(false);
}

void TKXCustomEditor::SelecSendToBack()
{
    TKXCustomLab *lab = Label();
    if (!lab || ElementsSelected.empty())
        return;
    TKXElement *e = ElementsSelected.front();
    const int32_t at = lab->IndexOf(e);
    if (at >= 0 && at < lab->ElementCount() - 1) {
        e->SendToBack();
        lab->SetModified(true);
    }
    FPaintSel = true;
    UpdateEditor(false);
}

// ---------------------------------------------------------------------------------------
// Arrangement

void TKXCustomEditor::AlignPos(TKXAlignPos AlgPos)
{
    TKXCustomLab *lab = Label();
    if (!lab || ElementsSelected.empty())
        return;
    const bool toFirst = Ord(AlgPos) >= Ord(TKXAlignPos::epFirstLeft);
    if (toFirst) {
        // The first selected element is the reference and stays; alone, nothing moves and
        // nothing is recorded.
        if (ElementsSelected.size() < 2)
            return;
        const TKXElement *first = ElementsSelected.front();
        int32_t ref = 0;
        switch (AlgPos) {
        case TKXAlignPos::epFirstLeft: ref = first->P1().x; break;
        case TKXAlignPos::epFirstTop: ref = first->P1().y; break;
        case TKXAlignPos::epFirstRight: ref = first->P2().x; break;
        default: ref = first->P2().y; break;
        }
        // A copy: the elements' own repaint must not disturb the walk.
        const std::vector<TKXElement *> others(ElementsSelected.begin() + 1, ElementsSelected.end());
        TKXUndoStep step(*lab, int32_t(others.size()));
        for (TKXElement *e : others)
            e->AlignPos(AlgPos, ref, true);
    } else {
        const std::vector<TKXElement *> all = ElementsSelected;
        TKXUndoStep step(*lab, int32_t(all.size()));
        for (TKXElement *e : all)
            e->AlignPos(AlgPos, 0, true);
    }
    FPaintSel = true;
    if (FDraw)
        UpdateEditor(true);
}

void TKXCustomEditor::CenterPos(bool Horizontal)
{
    TKXCustomLab *lab = Label();
    if (!lab || ElementsSelected.empty())
        return;
    const int64_t n = int64_t(ElementsSelected.size());
    int64_t c = 0;
    if (n == 1) {
        c = (Horizontal ? lab->Measure()->WidthInternal() : lab->Measure()->HeightInternal()) / 2;
    } else {
        // The mean of the centres, each and the mean truncated toward zero.
        int64_t sum = 0;
        for (const TKXElement *e : ElementsSelected) {
            const TSpan s = SpanOf(*e, Horizontal);
            sum += s.A + (int64_t(s.B) - s.A) / 2;
        }
        c = sum / n;
    }
    TKXUndoStep step(*lab, int32_t(n));
    for (TKXElement *e : ElementsSelected) {
        lab->RecordUndo(TKXURAction::urProp, *e);
        const TSpan s = SpanOf(*e, Horizontal);
        const int64_t w = int64_t(s.B) - s.A;
        const int64_t a = c - w / 2;
        PlaceSpan(*e, Horizontal, a, a + w);
    }
    FPaintSel = true;
    if (FDraw)
        UpdateEditor(true);
}

void TKXCustomEditor::CenterPosHorz() { CenterPos(true); }
void TKXCustomEditor::CenterPosVert() { CenterPos(false); }

// The selection recorded (in selection order) and ordered by its start on the axis; equal
// starts keep their selection order.
std::vector<TKXElement *> TKXCustomEditor::RecordedByPosition(bool Horizontal)
{
    TKXCustomLab *lab = Label();
    std::vector<TKXElement *> list = ElementsSelected;
    for (TKXElement *e : list)
        lab->RecordUndo(TKXURAction::urProp, *e);
    std::stable_sort(list.begin(), list.end(), [Horizontal](const TKXElement *a, const TKXElement *b) {
        return SpanOf(*a, Horizontal).A < SpanOf(*b, Horizontal).A;
    });
    return list;
}

void TKXCustomEditor::SpaceEvenly(bool Horizontal)
{
    TKXCustomLab *lab = Label();
    if (!lab || ElementsSelected.size() < 3)
        return;
    TKXUndoStep step(*lab, int32_t(ElementsSelected.size()));
    const std::vector<TKXElement *> list = RecordedByPosition(Horizontal);
    const int64_t n = int64_t(list.size());
    int64_t sum = 0;
    for (size_t i = 1; i < list.size(); ++i)
        sum += int64_t(SpanOf(*list[i], Horizontal).A) - SpanOf(*list[i - 1], Horizontal).B;
    const int64_t gap = sum / (n - 1);
    // The first and the last stay; each one between follows the new end of the one before.
    for (size_t i = 1; i + 1 < list.size(); ++i) {
        const TSpan s = SpanOf(*list[i], Horizontal);
        const int64_t a = int64_t(SpanOf(*list[i - 1], Horizontal).B) + gap;
        PlaceSpan(*list[i], Horizontal, a, a + (int64_t(s.B) - s.A));
    }
    FPaintSel = true;
    UpdateEditor(true);
}

void TKXCustomEditor::SpaceByGap(bool Horizontal, float Gap)
{
    TKXCustomLab *lab = Label();
    if (!lab || ElementsSelected.size() < 2)
        return;
    const int64_t gap = lab->UnitsToInternal(Gap);
    TKXUndoStep step(*lab, int32_t(ElementsSelected.size()));
    const std::vector<TKXElement *> list = RecordedByPosition(Horizontal);
    // Start to start: each one after the first begins gap after the (new) start of the one
    // before; the last one moves too.
    for (size_t i = 1; i < list.size(); ++i) {
        const TSpan s = SpanOf(*list[i], Horizontal);
        const int64_t a = int64_t(SpanOf(*list[i - 1], Horizontal).A) + gap;
        PlaceSpan(*list[i], Horizontal, a, a + (int64_t(s.B) - s.A));
    }
    FPaintSel = true;
    UpdateEditor(true);
}

void TKXCustomEditor::SpaceVertical() { SpaceEvenly(false); }
void TKXCustomEditor::SpaceHorizontal() { SpaceEvenly(true); }
void TKXCustomEditor::SpaceVertical(float Gap) { SpaceByGap(false, Gap); }
void TKXCustomEditor::SpaceHorizontal(float Gap) { SpaceByGap(true, Gap); }

void TKXCustomEditor::SameSize(bool Horizontal)
{
    TKXCustomLab *lab = Label();
    if (!lab || ElementsSelected.empty())
        return;
    TKXUndoStep step(*lab, int32_t(ElementsSelected.size()));
    int64_t w = 0; // the size to take, > 0 once found
    for (TKXElement *e : ElementsSelected) {
        lab->RecordUndo(TKXURAction::urProp, *e);
        if (!TakesSameSize(e->ElementType()))
            continue;
        const TSpan s = SpanOf(*e, Horizontal);
        const int64_t extent = int64_t(s.B) - s.A;
        // A line without extent on this axis (a vertical line for the width) has no size
        // here to give or take: widening it would slant it.
        if (extent == 0 && e->ElementType() == TKXEle::deLine)
            continue;
        if (w == 0) {
            w = std::abs(extent);
            continue;
        }
        // A line drawn right to left (or upward) keeps its direction.
        PlaceSpan(*e, Horizontal, s.A, extent < 0 ? s.A - w : s.A + w);
    }
    if (w > 0) {
        FPaintSel = true;
        UpdateEditor(true);
    }
}

void TKXCustomEditor::SameWidth() { SameSize(true); }
void TKXCustomEditor::SameHeight() { SameSize(false); }

} // namespace kx::designer
