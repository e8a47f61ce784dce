// Enhanced metafile records written through libEMF, behind plain types: libEMF's Windows
// headers define names (TextOut, Rectangle, Polygon...) that would clash with the canvas's,
// so only KXEmfRecorder.cpp sees them.
//
// Logical units are hundredths of a millimetre, the origin at the frame's top-left corner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kx {

class TKXEmfRecorder {
public:
    struct TPt {
        int32_t x, y;
    };
    // GDI's geometric pen kinds (TKXPenStyle, TKXPenCap and TKXPenJoin in order).
    struct TPenSpec {
        uint32_t Colour = 0; // $00BBGGRR
        int32_t Width = 1;   // logical units
        int Style = 0;       // solid, dash, dot, dash-dot, dash-dot-dot
        int Cap = 0;         // round, square, flat
        int Join = 0;        // round, bevel, miter
    };
    struct TFontSpec {
        std::u16string Name;
        int32_t EmHeight = 0; // logical units
        int32_t Width = 0;    // average character width; 0 = the font's own
        int32_t Escapement = 0; // tenths of a degree, counter-clockwise
        bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
        uint32_t Colour = 0;
    };

    // A metafile of Width x Height hundredths of a millimetre. Throws EKxError when libEMF
    // cannot start one.
    TKXEmfRecorder(int32_t Width, int32_t Height, const std::string &Description);
    ~TKXEmfRecorder();
    TKXEmfRecorder(const TKXEmfRecorder &) = delete;
    TKXEmfRecorder &operator=(const TKXEmfRecorder &) = delete;

    // A path: figures opened by a move, then lines and Bézier curves (three points each:
    // two control points and the end), each figure closed or not.
    struct TPathStep {
        enum TKind : uint8_t { Move, Line, Bezier, Close } Kind;
        TPt P[3];
    };
    void FillPath(const std::vector<TPathStep> &Path, uint32_t Colour, bool Winding);
    void StrokePath(const std::vector<TPathStep> &Path, const TPenSpec &Pen);

    // Polygons (Counts[i] points each, one after the other) filled as one area.
    void FillPolygons(const std::vector<TPt> &Points, const std::vector<int32_t> &Counts, uint32_t Colour,
                      bool Winding);
    void StrokePolyline(const std::vector<TPt> &Points, bool Closed, const TPenSpec &Pen);
    // Text on its baseline from (X, Y); Dx: the advance of each character.
    void Text(int32_t X, int32_t Y, const std::u16string &Text, const std::vector<int32_t> &Dx, const TFontSpec &Font);
    // A picture of SourceWidth x SourceHeight pixels (rows bottom to top, 3 bytes a pixel in
    // blue, green, red order, each row padded to 4 bytes) stretched over the box.
    void Image(int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t SourceWidth, int32_t SourceHeight,
               const std::vector<uint8_t> &Bits);

    // Closes the metafile and answers its bytes; throws EKxError when it cannot be made.
    std::string Finish();

private:
    struct TState;
    std::unique_ptr<TState> F;
};

} // namespace kx
