// A canvas that draws nothing and writes every drawing call down in logical units, so that
// the geometry of elements, backgrounds and pages is checked exactly, without fonts or
// pixels. Text is measured with a fixed advance per UTF-16 code unit.
#pragma once

#include "platform/KXCanvas.h"

#include <string>
#include <vector>

namespace zt {

struct RecordedCall {
    // The call as a person reads it, all numbers in logical units:
    //   Rectangle(100,200,300,400)   RoundRect(0,0,500,300,40,40)   Ellipse(..)
    //   Pie(l,t,r,b,startX,startY,endX,endY)   Arc(...)   MoveTo(x,y)   LineTo(x,y)
    //   Polyline(x,y x,y ..)   Polygon(..)   PolyBezier(..)   FillRect(l,t,r,b)
    //   GradientFill(l,t,r,b,$00BBGGRR,$00BBGGRR,TopToBottom|LeftToRight|OutsideToCentre)
    //   FillPath(M x,y L x,y C x,y x,y x,y Z)   StrokePath(..)   StrokeAndFillPath(..)
    //   TextOut(x,y,"text")   DrawImage(l,t,r,b,WxH)   DrawMetafile(l,t,r,b)   DrawSvg(l,t,r,b,angle)
    //   ClipRect(l,t,r,b)   ClipEllipse(l,t,r,b)   ClipEllipses(l,t,r,b l,t,r,b ..)   ResetClip   SaveState   RestoreState
    std::string Text;
    // The drawing state when the call was made.
    kx::TKXPen Pen;
    kx::TKXBrush Brush;
    kx::TKXFont Font;
    kx::TKXBkMode BkMode = kx::TKXBkMode::bkTransparent;
    kx::TKXFillMode FillMode = kx::TKXFillMode::fmAlternate;
    int32_t CharExtra = 0;
    int32_t BreakExtra = 0;
    int32_t BreakCount = 0;
};

class RecordingCanvas : public kx::TKXCanvas {
public:
    // Advance: the width of every UTF-16 code unit in logical units; 0 takes half the
    // magnitude of the font height. The mapping defaults to 254 dpi: 10 logical units
    // to the device pixel.
    explicit RecordingCanvas(int32_t Advance = 0,
                             const kx::TKXMapping &Mapping = kx::TKXMapping::ForResolution(254, 254));

    const std::vector<RecordedCall> &Calls() const { return FCalls; }
    // The texts of all calls, or of those starting with Prefix ("TextOut", "Rect").
    std::vector<std::string> Texts(const std::string &Prefix = {}) const;
    // The last call starting with Prefix; throws std::out_of_range when there is none.
    const RecordedCall &Last(const std::string &Prefix) const;
    void Clear() { FCalls.clear(); }

    void SaveState() override;
    void RestoreState() override;

    void IntersectClipRect(const kx::TRect &R) override;
    void IntersectClipEllipse(const kx::TRect &R) override;
    void SelectClipEllipses(const std::vector<kx::TRect> &Boxes) override;
    void ResetClip() override;

    void MoveTo(int32_t X, int32_t Y) override;
    void LineTo(int32_t X, int32_t Y) override;
    void Polyline(const std::vector<kx::TPoint> &Points) override;
    void PolyBezier(const std::vector<kx::TPoint> &Points) override;
    void Arc(const kx::TRect &Box, kx::TPoint Start, kx::TPoint End) override;

    void Rectangle(const kx::TRect &R) override;
    void RoundRect(const kx::TRect &R, int32_t CornerWidth, int32_t CornerHeight) override;
    void Ellipse(const kx::TRect &Box) override;
    void Pie(const kx::TRect &Box, kx::TPoint Start, kx::TPoint End) override;
    void Polygon(const std::vector<kx::TPoint> &Points) override;
    void FillRect(const kx::TRect &R) override;
    void GradientFill(const kx::TRect &R, kx::TColor From, kx::TColor To, kx::TKXGradient Kind) override;

    void FillPath(const kx::TKXPath &Path) override;
    void StrokePath(const kx::TKXPath &Path) override;
    void StrokeAndFillPath(const kx::TKXPath &Path) override;

    void TextOut(int32_t X, int32_t Y, const QString &Text) override;
    using kx::TKXCanvas::TextExtent;
    kx::TSize TextExtent(const QString &Text) const override;

    void DrawImage(const kx::TRect &Dest, const QImage &Image) override;
    void DrawMetafile(const kx::TRect &Dest, const kx::TKXMetafile &Metafile) override;
    void DrawSvg(const kx::TRect &Dest, QSvgRenderer &Svg, int32_t Angle) override;

private:
    void Record(std::string Text);

    int32_t FAdvance;
    std::vector<RecordedCall> FCalls;
};

} // namespace zt
