// The grid layout (TKXLayout): a box on the label divided by straight dividers into columns
// and rows, whose cells hold other elements.
//
// Each divider is an item of its own: a column item (TKXColLayout) holds the width of the
// column left of it, a row item (TKXRowLayout) the height of the row above it, each with its
// own line width, colour and print flag. ColCount is the number of column items + 1: the
// last column has no item and reaches the layout's right edge (rows alike down to the bottom
// edge). Items never stand in the document's element list; they live in their layout's
// record only, and an undo step for an item is taken on its layout.
//
// Members (elements placed in a cell by their EleAlign) stay in the document's list but are
// drawn by their layout; each is placed in its cell by its own alignment and margin and
// follows the cell whenever the layout or its dividers move. Membership is not stored in
// label files: it is rebuilt from the members' alignment and position after a label is read
// with an editor (undo steps of deletions keep it).
// Lengths are hundredths of a millimetre.
#pragma once

#include "document/KXElement.h"

#include <memory>
#include <vector>

namespace kx {

class TKXLayout;
template <class Item>
struct TKXLayoutLine;

// Base of the column and row items.
class TKXColRowBase : public TKXElement {
public:
    explicit TKXColRowBase(TKXCustomLab *AOwner);
    // A selected item that goes away (its layout re-read by an undo, fewer columns) leaves
    // the editor's selection first.
    ~TKXColRowBase() override;
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }

    // Items have no record of their own with a type code; they are never drawn alone.
    TKXEle ElementType() const override { return TKXEle::deColRowLay; }
    TRect GetRect() const override { return {}; }
    void Draw(TKXCanvas &, TPoint, TKXDrawType, TKXFillType) override {}
    TKXElement *ItemLayout() override;

    TKXLayout *Layout() const { return FLayout; }
    // 0-based place in the layout's list.
    uint16_t Index() const { return FIndex; }

    // The divider's line colour (the element's colour).
    TColor LineColor() const { return Color(); }
    void SetLineColor(TColor Value) { SetColor(Value); }

    // Record E only, without a type code.
    void SaveToStream(TKXStreamWriter &Stream) const override { TKXElement::SaveToStream(Stream); }
    void LoadFromStream(TKXStreamReader &Stream) override { TKXElement::LoadFromStream(Stream); }

protected:
    friend class TKXLayout;
    static void AddPublished(TKXPropTable &t);

    TKXLayout *FLayout = nullptr;
    uint16_t FIndex = 0;
};

// The divider right of a column; Width is that column's width.
class TKXColLayout : public TKXColRowBase {
public:
    explicit TKXColLayout(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }

    float Width() const;
    // Records the layout for undo and stores the width; nothing else follows (no
    // notification, the members follow at the next realignment).
    void SetWidth(float Value);
    int32_t WidthInternal() const { return FWidth; }
    // The divider's place on the design surface (pixels) at its last painting.
    int32_t PosX() const { return FPosX; }

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    friend class TKXLayout;
    static void AddPublished(TKXPropTable &t);

    int32_t FWidth = 0;
    int32_t FPosX = 0;
};

// The divider below a row; Height is that row's height.
class TKXRowLayout : public TKXColRowBase {
public:
    explicit TKXRowLayout(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }

    float Height() const;
    void SetHeight(float Value);
    int32_t HeightInternal() const { return FHeight; }
    int32_t PosY() const { return FPosY; }

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    friend class TKXLayout;
    static void AddPublished(TKXPropTable &t);

    int32_t FHeight = 0;
    int32_t FPosY = 0;
};

class TKXLayout : public TKXBaseEx2D, public TKXLayoutCells {
public:
    // Cell indices are 16-bit: at most this many columns (rows).
    static constexpr int32_t MaxCount = 65536;

    explicit TKXLayout(TKXCustomLab *AOwner);
    ~TKXLayout() override;
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deLayout; }
    TRect GetRect() const override { return {FP1.x, FP1.y, FP2.x, FP2.y}; }
    TKXLayoutCells *AsLayout() override { return this; }

    // The layout's identifier in its document (not stored in files).
    int32_t IDL() const { return FIDL; }

    // --- Columns and rows ------------------------------------------------------------
    int32_t ColCount() const override { return int32_t(FColumns.size()) + 1; }
    int32_t RowCount() const override { return int32_t(FRows.size()) + 1; }
    // Adding spreads the new columns over the width left to the last column (over the whole
    // width, re-spreading every column, when EqualCols is on); removing drops the last
    // columns and frees their members. A count of 0 or less, or above MaxCount, is ignored.
    void SetColCount(int32_t Value);
    void SetRowCount(int32_t Value);
    bool EqualCols() const { return FEqualCols; }
    void SetEqualCols(bool Value);
    bool EqualRows() const { return FEqualRows; }
    void SetEqualRows(bool Value);
    // The item with the 1-based number, null outside 1 .. item count.
    TKXColLayout *GetColumn(int32_t ColumnNo) const;
    TKXRowLayout *GetRow(int32_t RowNo) const;
    int32_t ColumnItemCount() const { return int32_t(FColumns.size()); }
    int32_t RowItemCount() const { return int32_t(FRows.size()); }
    // Appends a ready-made item (re-spread when the equal flag is on, members realigned).
    void AddColumn(std::unique_ptr<TKXColLayout> ACol);
    void AddRow(std::unique_ptr<TKXRowLayout> ARow);
    // Removes the column (row) with the 1-based number: its members are freed (EleAlign
    // eaNone, left where they are), its width goes to the next column (for the last column,
    // to the one before it), the members of later columns move down one column with their
    // cells, and the other members are realigned. A number outside 1 .. ColCount, or the
    // only column, is ignored.
    void RemoveColumn(int32_t ColIndex);
    void RemoveRow(int32_t RowIndex);
    void ClearColumns();
    void ClearRows();
    void Clear();
    // Spreads the width (height) equally over the columns (rows) when the equal flag is on;
    // the last column takes the remainder. Realign: the members follow.
    void EqualizeColumns(bool Realign);
    void EqualizeRows(bool Realign);
    // The designer's divider drag: item Index (0-based) gets NewWidth; the next divider
    // stays where it is. The width is kept between the neighbouring dividers (or the edges).
    // EqualCols goes off.
    void SetColumnWidth(int32_t NewWidth, uint16_t Index);
    void SetRowHeight(int32_t NewHeight, uint16_t Index);
    // Position of divider Index (0-based) in label units.
    int32_t DividerX(int32_t Index) const;
    int32_t DividerY(int32_t Index) const;

    // --- Cells and members -------------------------------------------------------------
    // The cell's rectangle in label units, always inside the layout's box; an index past the
    // last column (row) answers the last one.
    TRect GetCellRect(uint16_t Col, uint16_t Row) const override;
    // False when the element is a member already.
    bool AddElement(TKXElement &Element);
    // False when it was not a member.
    bool RemoveElement(TKXElement &Element);
    // Every member is placed in its cell again (no undo).
    void RealignElements() override;
    // Every member leaves the layout: EleAlign eaNone, no cell; it stays where it is.
    void ReleaseElements();
    // The members in list order (elements still in the document and placed in this layout).
    std::vector<TKXElement *> Members() const;
    int32_t MemberCount() const { return int32_t(Members().size()); }

    // --- Element overrides -------------------------------------------------------------
    void SetX1(float Value) override;
    void SetY1(float Value) override;
    void SetX2(float Value) override;
    void SetY2(float Value) override;
    void ApplyBorder() override;
    // Also true when one of its items is selected.
    bool GetIsSelected() const override;
    // Hit only on the frame band (the whole box when the pen width is 0).
    bool PointInObject(TPoint Pu) const override;
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;
    // The grid turns with the label: the rows become the columns and the columns the rows,
    // in the order the turn puts them, each divider keeping its line and its place on the
    // label; the members' cells follow.
    void Rotated(bool Left) override;

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

    // TKXLayoutCells
    int32_t LayoutID() const override { return FIDL; }
    void AddMember(TKXElement &Element) override { AddElement(Element); }
    void RemoveMember(TKXElement &Element) override { RemoveElement(Element); }
    void InsertMember(TKXElement &Element, int32_t Index) override;
    void ReleaseMembers() override { ReleaseElements(); }
    std::vector<TKXElement *> GetMembers() const override { return Members(); }
    void SetLayoutID(int32_t Value) override;
    int32_t FirstColMeeting(const TRect &R) const override;
    int32_t FirstRowMeeting(const TRect &R) const override;

protected:
    static void AddPublished(TKXPropTable &t);

private:
    TKXLayoutLine<TKXColLayout> ColLine() const;
    TKXLayoutLine<TKXRowLayout> RowLine() const;
    // After a change of the layout's own setters: members realigned, the document notified
    // with the name and marked modified.
    void Notified(const QString &PropName);
    void Attach(TKXColRowBase &Item, size_t Index);
    template <class Item>
    void SetCount(const TKXLayoutLine<Item> &L, int32_t Value, bool Equal, const QString &PropName);
    // Removal of column (row) number k (1-based).
    template <class Item>
    void RemoveLineNo(const TKXLayoutLine<Item> &L, int32_t k, bool Equal, bool Realign);
    template <class Item>
    void DragDivider(const TKXLayoutLine<Item> &L, int32_t NewSize, uint16_t Index, bool &Equal,
                     const QString &PropName);
    template <class Item>
    void ReadItems(TKXStreamReader &Stream, std::vector<std::unique_ptr<Item>> &Items);

    int32_t FIDL = 0;
    bool FEqualRows = true;
    bool FEqualCols = true;
    std::vector<std::unique_ptr<TKXColLayout>> FColumns;
    std::vector<std::unique_ptr<TKXRowLayout>> FRows;
    // Members by serial number: an element deleted or moved out meanwhile is simply not
    // found again.
    std::vector<uint64_t> FElements;
};

} // namespace kx
