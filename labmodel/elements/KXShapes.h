// The shape kinds: a straight line between two points (TKXLine) and a figure in the box
// between two points (TKXRect: rectangle, rounded rectangle, ellipse or isosceles
// triangle). Neither is bound to data.
//
// A line keeps P1 at its left end (Normalize) and remembers its direction, which placing
// it in a box relies on: 1 vertical (P1 on top), 2 horizontal, 3 rising (P1 bottom-left),
// 4 falling (P1 top-left), 0 not known yet. A transparent shape is picked only on its
// outline; a locked rectangle only at its top-left marker. Lengths are hundredths of a
// millimetre.
#pragma once

#include "document/KXElement.h"

#include <array>

namespace kx {

class TKXLine : public TKXBase1D {
public:
    explicit TKXLine(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deLine; }
    TRect GetRect() const override { return {FP1.x, FP1.y, FP2.x, FP2.y}; }

    // The coordinate and point setters normalize the line afterwards.
    void SetX1(float Value) override;
    void SetY1(float Value) override;
    void SetX2(float Value) override;
    void SetY2(float Value) override;
    void SetP1(int32_t X, int32_t Y) override;
    void SetP2(int32_t X, int32_t Y) override;
    // The same without normalizing: the editor drags one end with them.
    void MoveP1(int32_t X, int32_t Y) { TKXBase1D::SetP1(X, Y); }
    void MoveP2(int32_t X, int32_t Y) { TKXBase1D::SetP2(X, Y); }
    // Both ends exactly as given (no grid, no bounds), normalized afterwards: the editor's
    // extend, trim and join, which record the line themselves.
    void SetEnds(TPoint A, TPoint B);
    // Puts the left end first and works out the direction; nothing happens while the line
    // is not placed (an X of -1) or is selected.
    void Normalize() override;

    // Hit within two pixels of the line, between its ends (screen pixels).
    bool PointInObject(TPoint Pu) const override;
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);
};

class TKXRect : public TKXBaseEx2D {
public:
    // What the box shows.
    enum : int16_t { fgRectangle = 0, fgEllipse = 1, fgTriangle = 2 };

    explicit TKXRect(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deRect; }
    TRect GetRect() const override { return {FP1.x, FP1.y, FP2.x, FP2.y}; }

    // Corner size of the rounded rectangle in the document's units; 0 for square corners.
    float Radio() const;
    void SetRadio(float Value);
    int32_t RadioInternal() const { return FRadio; }
    // Switching Ellipse on shows the ellipse, off the rectangle.
    bool Ellipse() const { return FEllipse; }
    void SetEllipse(bool Value);
    // fgRectangle, fgEllipse or fgTriangle; the ellipse switches Ellipse on, the others
    // leave it as it is.
    int16_t Figure() const { return FFigure; }
    void SetFigure(int16_t Value);
    // The triangle's corners on its last drawing, the first repeated last.
    const std::array<TPoint, 4> &TriangleArray() const { return FTriangle; }

    void SetBorder(const TRect &Value) override { TKXBaseEx2D::SetBorder(Value); }
    bool PointInObject(TPoint Pu) const override;
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);

    int32_t FRadio = 0;
    bool FEllipse = false;
    int16_t FFigure = fgRectangle;
    std::array<TPoint, 4> FTriangle{};
};

} // namespace kx
