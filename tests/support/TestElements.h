// Minimal concrete elements for testing the element base, the element list and placement
// before the real kinds exist. Each takes the code, the geometry kind and the publishing
// level of one real kind, draws a plain figure (a rectangle for box kinds, the element's ID
// as text for point kinds, a line for lines) and keeps Frame and Border as the real kinds do.
#pragma once

#include "document/KXBaseLab.h"
#include "document/KXElement.h"
#include "document/KXElementFactory.h"
#include "platform/KXCanvas.h"
#include "stream/KXStream.h"

#include <algorithm>
#include <vector>

namespace zt {

template <class Base, kx::TKXEle Kind, kx::TKXSelType Sel>
class TestKind : public Base {
public:
    explicit TestKind(kx::TKXCustomLab *Lab) : Base(Lab) { this->FSelType = Sel; }

    kx::TKXEle ElementType() const override { return Kind; }

    kx::TRect GetRect() const override
    {
        if (Sel == kx::TKXSelType::stPoint)
            return {this->FP1.x, this->FP1.y, -1, -1};
        return {this->FP1.x, this->FP1.y, this->FP2.x, this->FP2.y};
    }

    void Draw(kx::TKXCanvas &Canvas, kx::TPoint po, kx::TKXDrawType DrawType, kx::TKXFillType) override
    {
        if (DrawType != kx::TKXDrawType::tdLab && !this->FPrint)
            return;
        const kx::TPoint a{po.x + this->FP1.x, po.y + this->FP1.y};
        if (Sel == kx::TKXSelType::stPoint) {
            kx::TKXFont font;
            font.Height = this->FontHeightInternal();
            font.Color = this->FColor;
            Canvas.SetFont(font);
            Canvas.TextOut(a.x, a.y, this->ID());
            const kx::TSize ext = Canvas.TextExtent(this->ID());
            this->Frame = {this->FP1.x, this->FP1.y, this->FP1.x + ext.cx, this->FP1.y + ext.cy};
        } else if (Sel == kx::TKXSelType::stLine) {
            Canvas.SetPen({this->FColor, this->FPenWidth});
            Canvas.MoveTo(a.x, a.y);
            Canvas.LineTo(po.x + this->FP2.x, po.y + this->FP2.y);
            this->Frame = {this->FP1.x, this->FP1.y, this->FP2.x, this->FP2.y};
        } else {
            Canvas.SetPen({this->FColor, this->FPenWidth});
            kx::TKXBrush brush{this->FBackColor, this->FTransparent ? kx::TKXBrushStyle::bsClear
                                                                    : kx::TKXBrushStyle::bsSolid};
            Canvas.SetBrush(brush);
            Canvas.Rectangle({a.x, a.y, po.x + this->FP2.x, po.y + this->FP2.y});
            this->Frame = {this->FP1.x, this->FP1.y, this->FP2.x, this->FP2.y};
        }
        if (DrawType == kx::TKXDrawType::tdLab) {
            if (kx::TKXCustomEditor *ed = this->Owner()->Editor()) {
                const kx::TRect f = this->Frame;
                this->FBorder = Canvas.LPtoDP(kx::TRect{po.x + f.Left, po.y + f.Top, po.x + f.Right, po.y + f.Bottom});
                ed->DrawSelectionFrame(this->GetIsSelected(), false, Sel, uint16_t(this->FAngle), this->Frame,
                                       this->FBorder, false);
            }
        }
    }

    void SaveToStream(kx::TKXStreamWriter &Stream) const override
    {
        Stream.WriteEnum(Kind);
        Base::SaveToStream(Stream);
    }

    // Test hooks for state the real kinds set themselves.
    void SetTextAlign(kx::TTextAlign Value) { this->FAlign = Value; }
    void SetDirection(uint16_t Value) { this->FDirection = Value; }
    void SetPoints(kx::TPoint A, kx::TPoint B)
    {
        this->FP1 = A;
        this->FP2 = B;
        this->UpdateExtent();
    }
    void SetScale(float x, float y)
    {
        this->FTrX = x;
        this->FTrY = y;
    }
    void SetExtraState(kx::TPoint OP1, kx::TPoint OP2, int32_t DesignWidth, int32_t TextD)
    {
        this->FOP1 = OP1;
        this->FOP2 = OP2;
        this->FDesignWidth = DesignWidth;
        this->FTextD = TextD;
    }
    kx::TPoint OP1() const { return this->FOP1; }
    kx::TPoint OP2() const { return this->FOP2; }
    int32_t FontHeightInternal() const
    {
        if constexpr (std::is_base_of_v<kx::TKXData, Base>)
            return this->FFontHeight;
        else
            return 500;
    }
};

using TestBox = TestKind<kx::TKXBaseEx2D, kx::TKXEle::deRect, kx::TKXSelType::stRect>;
using TestText = TestKind<kx::TKXData, kx::TKXEle::deText, kx::TKXSelType::stPoint>;
using TestBar = TestKind<kx::TKXData, kx::TKXEle::deBar, kx::TKXSelType::stPoint>;
using TestLine = TestKind<kx::TKXBase1D, kx::TKXEle::deLine, kx::TKXSelType::stLine>;

// A grid layout of Cols x Rows equal cells over its box, enough for placement in cells.
class TestLayout : public TestKind<kx::TKXBaseEx2D, kx::TKXEle::deLayout, kx::TKXSelType::stRect>,
                   public kx::TKXLayoutCells {
public:
    explicit TestLayout(kx::TKXCustomLab *Lab) : TestKind(Lab), FID(Lab->NewLayoutID()) {}

    int Cols = 1;
    int Rows = 1;
    std::vector<kx::TKXElement *> Members;

    kx::TKXLayoutCells *AsLayout() override { return this; }
    int32_t LayoutID() const override { return FID; }
    kx::TRect GetCellRect(uint16_t Col, uint16_t Row) const override
    {
        const int32_t w = (FP2.x - FP1.x) / Cols, h = (FP2.y - FP1.y) / Rows;
        return {FP1.x + Col * w, FP1.y + Row * h, FP1.x + (Col + 1) * w, FP1.y + (Row + 1) * h};
    }
    void AddMember(kx::TKXElement &Element) override
    {
        if (std::find(Members.begin(), Members.end(), &Element) == Members.end())
            Members.push_back(&Element);
    }
    void RemoveMember(kx::TKXElement &Element) override
    {
        Members.erase(std::remove(Members.begin(), Members.end(), &Element), Members.end());
    }
    void InsertMember(kx::TKXElement &Element, int32_t Index) override
    {
        RemoveMember(Element);
        const size_t at = Index < 0 ? Members.size() : std::min(size_t(Index), Members.size());
        Members.insert(Members.begin() + std::ptrdiff_t(at), &Element);
    }
    void ReleaseMembers() override
    {
        for (kx::TKXElement *e : Members) {
            e->IDLayout = 0;
            e->RowLayout = 0;
            e->ColLayout = 0;
        }
        Members.clear();
    }
    std::vector<kx::TKXElement *> GetMembers() const override { return Members; }
    void SetLayoutID(int32_t Value) override
    {
        for (kx::TKXElement *e : Members)
            e->IDLayout = Value;
        FID = Value;
    }
    void RealignElements() override
    {
        ++Realigned;
        for (kx::TKXElement *e : Members)
            e->ApplyEleAlign(false);
    }
    int32_t ColCount() const override { return Cols; }
    int32_t RowCount() const override { return Rows; }
    int32_t FirstColMeeting(const kx::TRect &R) const override
    {
        for (int c = 0; c < Cols; ++c)
            if (const kx::TRect r = GetCellRect(uint16_t(c), 0); R.Left < r.Right && R.Right > r.Left)
                return c;
        return -1;
    }
    int32_t FirstRowMeeting(const kx::TRect &R) const override
    {
        for (int c = 0; c < Rows; ++c)
            if (const kx::TRect r = GetCellRect(0, uint16_t(c)); R.Top < r.Bottom && R.Bottom > r.Top)
                return c;
        return -1;
    }
    // Puts Element into a cell directly, as the layout does when it takes a member.
    void Adopt(kx::TKXElement &Element, uint16_t Col, uint16_t Row)
    {
        Element.IDLayout = FID;
        Element.ColLayout = Col;
        Element.RowLayout = Row;
        AddMember(Element);
    }
    int Realigned = 0;

private:
    int32_t FID;
};

// A column or row item of a layout: owned by the test, never in the document's list.
class TestItem : public kx::TKXElement {
public:
    TestItem(kx::TKXCustomLab *Lab, kx::TKXElement &Layout) : TKXElement(Lab), FLayout(&Layout) {}
    kx::TKXEle ElementType() const override { return kx::TKXEle::deColRowLay; }
    kx::TRect GetRect() const override { return {}; }
    void Draw(kx::TKXCanvas &, kx::TPoint, kx::TKXDrawType, kx::TKXFillType) override {}
    kx::TKXElement *ItemLayout() override { return FLayout; }

private:
    kx::TKXElement *FLayout;
};

// The test kinds stand in for rectangles, texts, barcodes and lines in the element factory
// while this lives (a fixture member or a local); the factory is as before afterwards.
class TestKinds : public kx::TKXFactoryOverride {
public:
    TestKinds();
};

} // namespace zt
