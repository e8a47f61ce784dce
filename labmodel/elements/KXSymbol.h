// The symbol element: one character of a font (a glyph, usually from a symbol font) or one
// of the 64 built-in pictograms, placed by its top-left corner P1 and turned about it.
//
// The element's FontHeight is the glyph's height, or the side of the pictogram's square;
// an optional frame with padding surrounds either. Bound to a field, the binding is a print
// condition: on output the symbol shows only for records whose field holds 1 or true.
// Lengths are hundredths of a millimetre.
#pragma once

#include "document/KXElement.h"

#include <QString>

#include <cstdint>

namespace kx {

class TKXCanvas;

class TKXSymbol : public TKXData {
public:
    // --- Lifecycle -----------------------------------------------------------------------
    explicit TKXSymbol(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deSymbol; }
    TRect GetRect() const override { return {FP1.x, FP1.y, -1, -1}; }

    // --- Properties ----------------------------------------------------------------------
    // The glyph shown in glyph mode (one UTF-16 code unit). Setting it, even to the same
    // character, returns the symbol to glyph mode.
    char16_t Character() const { return FWCaracter; }
    void SetCharacter(char16_t Value);
    bool Bold() const { return FBold; }
    void SetBold(bool Value);
    // Third colour of the pictograms.
    TColor FillColor() const { return FFillColor; }
    void SetFillColor(TColor Value);
    // 0: glyph mode; 1 to 64: the pictogram shown. The setter stores 1 to 64 only.
    int32_t Number() const { return FNumber; }
    void SetNumber(int32_t Value);
    // The character-map page (240 characters a page) of the current character.
    uint32_t StartChar() const { return FStartChar; }
    void SetStartChar(uint32_t Value) { FStartChar = Value; }
    uint32_t EndChar() const { return FEndChar; }

    // --- Drawing -------------------------------------------------------------------------
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;
    // Draws pictogram Num (1 to 64) in the square of side Width whose top-left corner is
    // (X, Y), in the canvas's logical units. FColor draws outlines and dark figures, BColor
    // grounds and light areas, FiCol the figure of most marks. With TakeAngle the square
    // turns about (X, Y) by the symbol's Angle. IsLab: on a label, the cut-outs of the FCC
    // mark take the label's background colour (BColor otherwise). Any other Num draws
    // nothing.
    void DrawSymbolNumber(TKXCanvas &Can, int32_t X, int32_t Y, int32_t Width, int32_t Num, TColor FColor,
                          TColor BColor, TColor FiCol, bool TakeAngle, bool IsLab) const;
    // Whether the element draws for the current record: the print condition of a bound
    // symbol on output with field data (an integer field holding 1, a Boolean field true).
    bool PrintCondition(TKXFillType fill) const;

    // --- Streaming: record D, then the symbol's own fields --------------------------------
    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);

private:
    uint8_t FCaracter = 128;      // the character of records up to version 20
    char16_t FWCaracter = u'$';
    bool FBold = false;
    int32_t FNumber = 0;          // 0 glyph mode, 1..64 pictogram (a file may hold others)
    uint32_t FStartChar = 0;
    uint32_t FEndChar = 0;
    TColor FFillColor = clBlack;
};

} // namespace kx
