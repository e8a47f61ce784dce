// What every label gets besides its elements: the background (plain colour, picture,
// gradients, halves and quarters, and the inner circle of a circular label), the frame drawn
// about it, the page title, and the designer's two alignment guide lines.
//
// Targets, by draw type:
// - tdLab: the editor's layers. The background is drawn in surface pixels over R (the
//   label's area on the surface); frames and guides in label units on the label canvas.
// - tdPrint, tdPreview: a printer sheet or a preview page in hundredths of a millimetre,
//   the label's top-left corner at (x, y).
// - tdOpenDialog: the label metafile of a file preview; the background in the metafile's
//   device units over R (the whole metafile), the frame in label units.
#pragma once

#include "core/KXTypes.h"

#include <QString>

#include <cstdint>

namespace kx {

class TKXCanvas;
class TKXCustomLab;

// The surface colour that the label metafile shows around round backgrounds: the button
// face of the usual desktop scheme.
inline constexpr TColor clBtnFace = 0xF0F0F0;

// A colour as red, green and blue: system colours ($FF0000nn, nn the system colour index)
// take the value of the usual desktop scheme; plain colours are kept.
TColor ResolveColor(TColor Color);

class TKXSheetRender {
public:
    // Background of the label whose top-left corner is (x, y). Printer and preview pages get
    // one only when the back surface's Print is set; the editor only when its background
    // layer needs repainting (the flag is cleared). SurfaceColor: the editor's colour, used
    // on tdLab around round backgrounds.
    static void PaintBackSurf(TKXCustomLab &Lab, TKXCanvas &Canvas, int32_t x, int32_t y,
                              TKXDrawType DrawType, const TRect &R, TColor SurfaceColor);
    // The outline of the label at (x, y), label units.
    static void PaintFrame(const TKXCustomLab &Lab, TKXCanvas &Canvas, int32_t x, int32_t y);
    // The page title at its position, in the canvas's logical units.
    static void PaintTitle(const TKXCustomLab &Lab, TKXCanvas &Canvas);
    // The same with the text of one page (what the page-title handler answered).
    static void PaintTitle(const TKXCustomLab &Lab, TKXCanvas &Canvas, const QString &Text);
    // The two guide lines, label units, on the editor's label canvas.
    static void PaintAlignLines(const TKXCustomLab &Lab, TKXCanvas &Canvas, bool Skip);

    // Colour of step k of n steps of a gradient, channel by channel:
    // From + MulDiv(k, To - From, n - 1), truncated to a byte.
    static TColor GradientStep(TColor From, TColor To, int32_t k, int32_t n);
};

} // namespace kx
