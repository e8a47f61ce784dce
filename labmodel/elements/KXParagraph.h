// The paragraph: a block of text wrapped into the box between P1 and P2.
//
// The text breaks into lines at spaces and line breaks to fit the box width; each line is
// placed left, right, centred or justified and the block at the top, middle or bottom of
// the box (Alignment, twelve formats); the block turns with the angle (0, 90, 180, 270). On
// a circular label each line is also kept inside the circle. The text is fixed, or the
// value of a bound field when printed. Lengths are hundredths of a millimetre.
#pragma once

#include "elements/KXText.h"

#include <QString>

#include <vector>

namespace kx {

// One laid-out line of a paragraph (memory only, rebuilt at every drawing).
struct TKxParLine {
    TPoint Pos;            // top-left of the line's first character cell, before turning
    QString Line;
    int32_t Breaks = 0;    // spaces inside the line
    int32_t JustWidth = 0; // extra width spread over those spaces; 0 when not stretched
};

class TKXParagraph : public TKXDataText {
public:
    explicit TKXParagraph(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deParagraph; }
    TRect GetRect() const override { return {FP1.x, FP1.y, FP2.x, FP2.y}; }

    TKXTextFormat Alignment() const { return FAlignment; }
    void SetAlignment(TKXTextFormat Value);

    // The editor moved or sized the box (screen rectangle): both points follow it, without
    // snapping; the document's modified flag is left alone.
    void SetBorder(const TRect &Value) override;

    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;
    // The lines of the last drawing.
    const std::vector<TKxParLine> &Lines() const { return FLinesArray; }

    // Record T, then the format as one byte.
    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);

    // Breaks Text into lines inside the frame (unturned), measuring with Canvas's current
    // font. On a circular label Circle is the circle's centre (in the frame's coordinates)
    // and Radius its radius; Radius < 0 for other labels.
    void LayoutLines(TKXCanvas &Canvas, const QString &Text, const TRect &Frame, TPoint Circle, double Radius);

    TKXTextFormat FAlignment = TKXTextFormat::tfLeftTop;
    std::vector<TKxParLine> FLinesArray;
};

} // namespace kx
