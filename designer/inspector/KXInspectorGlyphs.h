// The 13 x 13 pictures the inspector draws in value cells: the Boolean boxes, one per text
// place, paragraph layout and element place, and the table mark. Drawn in code on a
// transparent ground; the built-in pictograms are drawn by the symbol element itself.
#pragma once

#include "core/KXTypes.h"

#include <QPixmap>

namespace kx::designer {

inline constexpr int InspectorGlyphSize = 13;

enum class TKXCheckGlyph : uint8_t { cgOn, cgOff, cgDisabled };

const QPixmap &CheckGlyph(TKXCheckGlyph State);
const QPixmap &TextAlignGlyph(TTextAlign Align);
const QPixmap &TextFormatGlyph(TKXTextFormat Format);
// Every place, including the single-edge ones (eaLeft .. eaCenter) and eaNone.
const QPixmap &EleAlignGlyph(TKXEleAlign Align);
const QPixmap &TableGlyph();

} // namespace kx::designer
