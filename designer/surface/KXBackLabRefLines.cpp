// The clicks of the reference-line tools on the design surface: choosing the reference line
// or rectangle, then adjusting lines against it.
#include "surface/KXBackLab.h"

#include "document/KXBaseLab.h"
#include "editor/KXEditor.h"
#include "elements/KXShapes.h"

namespace kx::designer {

void TKXBackLab::RefLineClick(Qt::KeyboardModifiers Shift, int32_t X, int32_t Y)
{
    TKXCustomEditor *ed = FEditor;
    if (!ed || !ed->Label())
        return;
    const TKXAction action = ed->Action();
    if (action == TKXAction::acNone)
        return;
    if (!ed->SelectAt({X, Y}, Shift))
        return;
    // The element clicked: the only one selected (a Shift-click that leaves two selected, or
    // none, picks nothing).
    TKXElement *hit = ed->GetSelectedCount() == 1 ? ed->GetSelect() : nullptr;
    auto *line = dynamic_cast<TKXLine *>(hit);
    const TPoint at{ed->ScreenToLabelX(X), ed->ScreenToLabelY(Y)};
    const TKXDrawTool tool = ed->DrawTool();

    switch (action) {
    case TKXAction::acSelLineToAdjust:
        if (!line)
            return;
        ed->SetRefPoint2(at);
        if (ed->RefLine()) {
            if (tool == TKXDrawTool::dwExtendLine)
                ed->ExtendLine(line, true);
            else if (tool == TKXDrawTool::dwTrimLine)
                ed->TrimLine(line, true);
            else if (tool == TKXDrawTool::dwJoinLines && ed->JoinLines(line))
                ed->Label()->ClearRefArray();
            ed->UpdateEditor(true);
        }
        if (ed->RefRect()) {
            if (tool == TKXDrawTool::dwExtendLine)
                ed->ExtendLine(line, false);
            else if (tool == TKXDrawTool::dwTrimLine)
                ed->TrimLine(line, false);
            ed->UpdateEditor(true);
        }
        break;
    case TKXAction::acSelRefLineOrRect:
        // Choosing a reference drops the markers of an earlier one.
        if (line)
            ed->SetRefLine(line);
        else if (auto *rect = dynamic_cast<TKXRect *>(hit))
            ed->SetRefRect(rect);
        else
            return;
        ed->UpdateEditor(true);
        break;
    case TKXAction::acSelRefLine:
        if (!line)
            return;
        ed->SetRefPoint1(at);
        ed->SetRefLine(line);
        ed->UpdateEditor(true);
        break;
    case TKXAction::acNone:
        break;
    }
}

} // namespace kx::designer
