// The editor's selection: the list of selected elements in the order they were selected,
// kept in step with each element's selection flag and the label's Selected. Every change
// leaves the paint flags stale as the layers need and fires OnSelectChange.
#include "editor/KXEditor.h"

#include "document/KXBaseLab.h"
#include "document/KXElement.h"
#include "surface/KXBackLab.h"
#include "core/KXUtils.h"

#include <algorithm>

namespace kx::designer {

TKXElement *TKXCustomEditor::GetSelect() const
{
    return ElementsSelected.empty() ? nullptr : ElementsSelected.front();
}

TKXElement *TKXCustomEditor::GetSelected(int32_t SelectNo) const
{
    if (SelectNo <= 0 || SelectNo > GetSelectedCount())
        return nullptr;
    return ElementsSelected[size_t(SelectNo - 1)];
}

void TKXCustomEditor::GiveRulersFrame(const TKXElement *Element)
{
    if (!Element)
        return;
    FRulers->Data()->SetCoorSelect(Element->GetFrameLeft(), Element->GetFrameTop(), Element->GetFrameRight(),
                                   Element->GetFrameBottom());
}

void TKXCustomEditor::UpdateRulerSelection()
{
    if (GetSelectedCount() == 1)
        GiveRulersFrame(ElementsSelected.front());
    else
        FRulers->Data()->SetCoorSelect(0, 0, 0, 0);
}

// The selected layout: a layout selected alone, kept while one of its own column or row
// items is selected; null otherwise.
void TKXCustomEditor::SetSelectLayoutFor(TKXElement *Element)
{
    if (!Element) {
        FSelectLayout = nullptr;
        return;
    }
    if (Element->AsLayout()) {
        FSelectLayout = Element;
        return;
    }
    TKXElement *owner = Element->ItemLayout();
    if (!(owner && owner == FSelectLayout))
        FSelectLayout = nullptr;
}

void TKXCustomEditor::AddToSelection(TKXElement *AElement)
{
    // An element's selection flag is set exactly while it is in the list.
    if (!AElement || AElement->GetIsSelected())
        return;
    AElement->SetSelectedFlag(true);
    ElementsSelected.push_back(AElement);
    FPaintEle = true;
    FPaintSel = true;
    if (GetSelectedCount() == 1) {
        if (Label())
            Label()->SetSelectedField(AElement);
        if (OnSelect)
            OnSelect(this);
        GiveRulersFrame(AElement);
        FSelectLayout = AElement->AsLayout() ? AElement : nullptr;
    } else {
        FSelectLayout = nullptr;
        FRulers->Data()->SetCoorSelect(0, 0, 0, 0);
        // Several selected: the single element's handles and guide lines go.
        FBackLab->ClearMarks();
    }
    FBackLab->BuildGuideLines();
    if (OnSelectChange)
        OnSelectChange(this);
}

bool TKXCustomEditor::DeleteFromSelection(TKXElement *AElement)
{
    if (!AElement)
        return false;
    AElement->SetSelectedFlag(false);
    const auto it = std::find(ElementsSelected.begin(), ElementsSelected.end(), AElement);
    if (it == ElementsSelected.end())
        return false;
    ElementsSelected.erase(it);
    if (GetSelectedCount() == 1) {
        if (Label())
            Label()->SetSelectedField(ElementsSelected.front());
        GiveRulersFrame(ElementsSelected.front());
        if (AElement->AsLayout())
            FSelectLayout = nullptr;
    } else {
        FSelectLayout = nullptr;
        FRulers->Data()->SetCoorSelect(0, 0, 0, 0);
        if (ElementsSelected.empty()) {
            if (Label())
                Label()->SetSelectedField(nullptr);
            if (Inspector)
                Inspector->Inspect();
        }
    }
    if (OnSelectChange)
        OnSelectChange(this);
    return true;
}

void TKXCustomEditor::UnselectAll()
{
    const bool had = !ElementsSelected.empty();
    for (TKXElement *e : ElementsSelected) {
        e->SetSelectedFlag(false);
        if (e->ElementType() == TKXEle::deLine)
            e->Normalize();
    }
    ElementsSelected.clear();
    if (Label()) {
        Label()->ClearRefArray();
        Label()->ClearSelectArrays();
    }
    if (had) {
        FPaintEle = true;
        FPaintSel = true;
    }
}

void TKXCustomEditor::ClearSelection()
{
    UnselectAll();
    FSelectLayout = nullptr;
    if (Label() && Label()->Selected())
        Label()->SetSelectedField(nullptr);
    if (OnSelectChange)
        OnSelectChange(this);
}

void TKXCustomEditor::SetSelect(TKXElement *Value)
{
    UnselectAll();
    FPaintEle = true;
    FPaintSel = true;
    if (Value) {
        Value->SetSelectedFlag(true);
        ElementsSelected.push_back(Value);
    }
    if (Label())
        Label()->SetSelectedField(Value);
    if (OnSelect)
        OnSelect(this);
    SetSelectLayoutFor(Value);
    FBackLab->BuildGuideLines();
    UpdateEditor(true);
    UpdateRulerSelection();
    if (OnSelectChange)
        OnSelectChange(this);
}

// ---------------------------------------------------------------------------------------
// Hit tests and drag support for the surface

bool TKXCustomEditor::SelectAt(TPoint Point, Qt::KeyboardModifiers Shift)
{
    TKXCustomLab *lab = Label();
    if (!lab)
        return false;
    TKXElement *hit = nullptr;
    for (int32_t i = 1; i <= lab->ElementCount() && !hit; ++i) {
        TKXElement *e = lab->GetElement(i);
        if (e && e->PointInObject(Point))
            hit = e;
    }
    if (!hit)
        return false;
    if (!Shift.testFlag(Qt::ShiftModifier)) {
        ClearSelection();
        AddToSelection(hit);
    } else if (!DeleteFromSelection(hit)) {
        AddToSelection(hit);
    }
    return true;
}

bool TKXCustomEditor::PointInSelection(TPoint Point) const
{
    return std::any_of(ElementsSelected.begin(), ElementsSelected.end(),
                       [&](const TKXElement *e) { return e->PointInObject(Point); });
}

bool TKXCustomEditor::SelectInRect(const TRect &Rect, bool Contain)
{
    TKXCustomLab *lab = Label();
    if (!lab)
        return false;
    ClearSelection();
    bool any = false;
    for (int32_t i = 1; i <= lab->ElementCount(); ++i) {
        TKXElement *e = lab->GetElement(i);
        if (!e)
            continue;
        const TRect b = e->Border();
        const bool take = Contain ? (b.Left >= Rect.Left && b.Top >= Rect.Top && b.Right <= Rect.Right &&
                                     b.Bottom <= Rect.Bottom)
                                  : (std::max(b.Left, Rect.Left) < std::min(b.Right, Rect.Right) &&
                                     std::max(b.Top, Rect.Top) < std::min(b.Bottom, Rect.Bottom));
        if (take) {
            AddToSelection(e);
            any = true;
        }
    }
    return any;
}

bool TKXCustomEditor::FieldNameAt(TPoint Point, QString &FieldName) const
{
    const TKXCustomLab *lab = Label();
    if (!lab)
        return false;
    for (int32_t i = 1; i <= lab->ElementCount(); ++i) {
        const auto *d = dynamic_cast<const TKXData *>(lab->GetElement(i));
        if (!d || !d->PointInObject(Point))
            continue;
        if (!d->Data())
            return false;
        FieldName = d->FieldName();
        return true;
    }
    return false;
}

TPoint TKXCustomEditor::SnapToGrid(TPoint Point) const
{
    if (Snap != TKXSnap::snGrid || !Label() || Grid.IncX <= 0 || Grid.IncY <= 0)
        return Point;
    const long double gx = ScreenToLabelX(Point.x), gy = ScreenToLabelY(Point.y);
    return {LabelToScreenX(int32_t(int64_t(RoundHalfUp(gx / Grid.IncX)) * Grid.IncX)),
            LabelToScreenY(int32_t(int64_t(RoundHalfUp(gy / Grid.IncY)) * Grid.IncY))};
}

void TKXCustomEditor::SaveSelectionBorders()
{
    for (TKXElement *e : ElementsSelected)
        e->SetOBorder(e->Border());
}

int32_t TKXCustomEditor::CountChangedBorders()
{
    int32_t n = 0;
    for (TKXElement *e : ElementsSelected) {
        const TRect b = e->Border(), o = e->OBorder();
        if (b == o) {
            e->SetChangeBor(false);
            e->SetChangeSize(false);
            continue;
        }
        e->SetChangeBor(true);
        e->SetChangeSize(!(b.Right - b.Left == o.Right - o.Left && b.Bottom - b.Top == o.Bottom - o.Top));
        ++n;
    }
    return n;
}

} // namespace kx::designer
