// The clicks of the reference-line tools on the design surface: choosing the reference line
// or rectangle, then adjusting lines against it.
#include "surface/KXBackLab.h"

#include "editor/KXEditor.h"

namespace kx::designer {

void TKXBackLab::RefLineClick(Qt::KeyboardModifiers, int32_t, int32_t) {}

} // namespace kx::designer
