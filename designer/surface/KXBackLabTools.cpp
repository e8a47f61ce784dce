// The drawing tools on the design surface: elements created by a press or drawn with the
// mouse, pictures through the picture chooser, and the shape of the band while drawing.
#include "surface/KXBackLab.h"

#include "editor/KXEditor.h"

#include <QPainter>

namespace kx::designer {

void TKXBackLab::ToolPress(Qt::KeyboardModifiers, int32_t, int32_t) {}

void TKXBackLab::ToolRelease(const TRect &, int32_t, int32_t) {}

void TKXBackLab::DrawRubberBand(QPainter &, TPoint, TPoint, bool) const {}

TKXElement *TKXBackLab::InsertPicture(const TRect &)
{
    return nullptr;
}

} // namespace kx::designer
