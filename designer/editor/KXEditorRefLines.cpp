// The editor's reference-line operations: extend, trim and join horizontal and vertical
// lines against a reference line or rectangle; and the hit test of a layout's dividers.
#include "editor/KXEditor.h"

#include "document/KXBaseLab.h"
#include "document/KXElement.h"

namespace kx::designer {

bool TKXCustomEditor::HitLayoutDivider(TPoint, bool &, int32_t &) const
{
    return false;
}

} // namespace kx::designer
