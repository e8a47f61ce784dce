#include "document/KXDesignerServices.h"

#include "core/KXUtils.h"
#include "document/KXBaseLab.h"

namespace kx {

TKXCustomEditor::~TKXCustomEditor()
{
    if (FLabel)
        FLabel->SetEditor(nullptr);
}

int32_t TKXCustomEditor::LabelToScreenX(int32_t Value) const
{
    const TKXCustomLab *lab = Label();
    return lab ? MulDiv(Value, GetViewWidth(), lab->Measure()->WidthInternal()) : 0;
}

int32_t TKXCustomEditor::LabelToScreenY(int32_t Value) const
{
    const TKXCustomLab *lab = Label();
    return lab ? MulDiv(Value, GetViewHeight(), lab->Measure()->HeightInternal()) : 0;
}

int32_t TKXCustomEditor::ScreenToLabelX(int32_t Value) const
{
    const TKXCustomLab *lab = Label();
    return lab ? MulDiv(Value, lab->Measure()->WidthInternal(), GetViewWidth()) : 0;
}

int32_t TKXCustomEditor::ScreenToLabelY(int32_t Value) const
{
    const TKXCustomLab *lab = Label();
    return lab ? MulDiv(Value, lab->Measure()->HeightInternal(), GetViewHeight()) : 0;
}

int32_t TKXCustomEditor::UnzoomedToLabelX(int32_t Value) const
{
    const TKXCustomLab *lab = Label();
    const int32_t view = GetViewWidth();
    if (!lab || view == 0)
        return 0;
    return Round((long double)(double(Value) * lab->Measure()->WidthInternal() * ZoomFactor() / view));
}

int32_t TKXCustomEditor::UnzoomedToLabelY(int32_t Value) const
{
    const TKXCustomLab *lab = Label();
    const int32_t view = GetViewHeight();
    if (!lab || view == 0)
        return 0;
    return Round((long double)(double(Value) * lab->Measure()->HeightInternal() * ZoomFactor() / view));
}

void TKXCustomEditor::AdjustLinePixel(TRect &Rect) const
{
    if (2 * int64_t(Rect.Left) >= GetViewWidth())
        --Rect.Left;
    if (2 * int64_t(Rect.Top) >= GetViewHeight())
        --Rect.Top;
}

} // namespace kx
