// The designer's own pictures, drawn as small SVG files in the program's resources: the
// screen cursors of the drawing tools and rulers, the design surface's handle and marker
// glyphs and the rulers' alignment markers. Each is rendered once, at the screen's pixel
// ratio, so they stay sharp at 100 % and 200 % screen scaling.
#pragma once

#include <QCursor>
#include <QImage>
#include <QString>

namespace kx::designer {

// The application's screen cursor table. Slot 0 is the default arrow; slots 5 to 30 are
// the editor's tool and move cursors (20 and 21 the rulers' alignment cursors). A slot
// without a cursor answers the arrow.
QCursor ScreenCursor(int Slot);

// Resource name of a cursor slot ("KX_TEXT" for 8), empty for slots without one.
QString CursorResourceName(int Slot);

// A glyph of Size x Size pixels by resource name ("REC_01", "KX_ALIGNTOP"); transparent
// where the picture draws nothing. A missing name gives a null image.
QImage LoadGlyph(const QString &Name, int Size = 7);

// Makes sure the resources compiled into the designer library are registered.
void InitDesignerResources();

} // namespace kx::designer
