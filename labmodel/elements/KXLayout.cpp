#include "elements/KXLayout.h"

#include "document/KXBaseLab.h"
#include "document/KXDesignerServices.h"
#include "platform/KXCanvas.h"
#include "print/KXSheetRender.h"
#include "stream/KXStream.h"

#include <algorithm>
#include <limits>
#include <string>

namespace kx {

// One direction of the grid: the column items over P1.X .. P2.X with the members' column,
// or the row items over P1.Y .. P2.Y with their row.
template <class Item>
struct TKXLayoutLine {
    std::vector<std::unique_ptr<Item>> &Items;
    int32_t Item::*Size;
    uint16_t TKXElement::*Cell;
    int32_t Start;
    int32_t End;
};

namespace {

using TColLine = TKXLayoutLine<TKXColLayout>;
using TRowLine = TKXLayoutLine<TKXRowLayout>;

// The smallest record an item can have: record E of the oldest versions with an empty name,
// then the width.
constexpr size_t MinItemRecord = 12 + 4 + 4 + 16 + 4 + 4 + 4 + 4;

int32_t Fit(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

template <class Item>
int64_t SumOf(const TKXLayoutLine<Item> &L)
{
    int64_t s = 0;
    for (const auto &item : L.Items)
        s += (*item).*L.Size;
    return s;
}

// The span of column (row) Index, kept inside the layout and never negative; an index past
// the last one answers the last.
template <class Item>
void SpanOf(const TKXLayoutLine<Item> &L, size_t Index, int32_t &From, int32_t &To)
{
    const size_t n = L.Items.size();
    Index = std::min(Index, n);
    int64_t start = L.Start;
    for (size_t i = 0; i < Index; ++i)
        start += (*L.Items[i]).*L.Size;
    const int64_t end = Index == n ? L.End : start + (*L.Items[Index]).*L.Size;
    const int64_t lo = std::min(L.Start, L.End), hi = std::max(L.Start, L.End);
    From = int32_t(std::clamp(start, lo, hi));
    To = std::max(From, int32_t(std::clamp(end, lo, hi)));
}

// The first column (row) whose span meets From .. To (edges excluded); -1 for none.
template <class Item>
int32_t FirstMeeting(const TKXLayoutLine<Item> &L, int32_t From, int32_t To)
{
    const size_t n = L.Items.size();
    const int64_t lo = std::min(L.Start, L.End), hi = std::max(L.Start, L.End);
    int64_t start = L.Start;
    for (size_t i = 0; i <= n; ++i) {
        const int64_t end = i == n ? L.End : start + (*L.Items[i]).*L.Size;
        const int64_t a = std::clamp(start, lo, hi), b = std::max(a, std::clamp(end, lo, hi));
        if (std::max<int64_t>(a, From) < std::min<int64_t>(b, To))
            return int32_t(i);
        start = end;
    }
    return -1;
}

template <class Item>
void Equalize(const TKXLayoutLine<Item> &L)
{
    const int64_t w = std::max<int64_t>(0, (int64_t(L.End) - L.Start) / int64_t(L.Items.size() + 1));
    for (auto &item : L.Items)
        (*item).*L.Size = int32_t(w);
}

bool DrawsOwnParts(TKXDrawType DrawType, bool Print)
{
    return DrawType == TKXDrawType::tdLab || Print;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Items

TKXColRowBase::TKXColRowBase(TKXCustomLab *AOwner) : TKXElement(AOwner)
{
    FPenWidth = 10;
    FSelType = TKXSelType::stRect;
}

TKXColRowBase::~TKXColRowBase()
{
    if (!FIsSelected || !FOwner)
        return;
    if (TKXCustomEditor *ed = FOwner->Editor())
        ed->DeleteFromSelection(this);
}

TKXElement *TKXColRowBase::ItemLayout()
{
    return FLayout;
}

void TKXColRowBase::AddPublished(TKXPropTable &t)
{
    TKXElement::AddPublished(t);
    t.Add(PublishProp("PenWidth", "Single", &TKXElement::PenWidth, &TKXElement::SetPenWidth));
    t.Add(PublishProp("LineColor", "TColor", &TKXColRowBase::LineColor, &TKXColRowBase::SetLineColor));
    t.Add(PublishProp("Print", "Boolean", &TKXElement::Print, &TKXElement::SetPrint));
}

const TKXPropTable &TKXColRowBase::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXColRowBase::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXColRowBase", &TKXElement::ClassInfo());
}

TKXColLayout::TKXColLayout(TKXCustomLab *AOwner) : TKXColRowBase(AOwner)
{
    FSelType = TKXSelType::stColRow;
}

void TKXColLayout::AddPublished(TKXPropTable &t)
{
    TKXColRowBase::AddPublished(t);
    t.Add(PublishProp("Width", "Single", &TKXColLayout::Width, &TKXColLayout::SetWidth));
}

const TKXPropTable &TKXColLayout::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXColLayout::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXColLayout", &TKXColRowBase::ClassInfo());
}

float TKXColLayout::Width() const { return ToUnits(FWidth); }

// The undo step is the whole layout. The document is marked modified when the stored
// width changes (label files keep it).
void TKXColLayout::SetWidth(float Value)
{
    RecordUndo();
    const int32_t v = ToInternal(Value);
    if (v != FWidth) {
        FWidth = v;
        MarkModified();
    }
}

void TKXColLayout::SaveToStream(TKXStreamWriter &Stream) const
{
    TKXColRowBase::SaveToStream(Stream);
    Stream.WriteInt32(FWidth);
}

void TKXColLayout::LoadFromStream(TKXStreamReader &Stream)
{
    TKXColRowBase::LoadFromStream(Stream);
    FWidth = Stream.ReadInt32();
}

TKXRowLayout::TKXRowLayout(TKXCustomLab *AOwner) : TKXColRowBase(AOwner)
{
    FSelType = TKXSelType::stColRow;
}

void TKXRowLayout::AddPublished(TKXPropTable &t)
{
    TKXColRowBase::AddPublished(t);
    t.Add(PublishProp("Height", "Single", &TKXRowLayout::Height, &TKXRowLayout::SetHeight));
}

const TKXPropTable &TKXRowLayout::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXRowLayout::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXRowLayout", &TKXColRowBase::ClassInfo());
}

float TKXRowLayout::Height() const { return ToUnits(FHeight); }

void TKXRowLayout::SetHeight(float Value)
{
    RecordUndo();
    const int32_t v = ToInternal(Value);
    if (v != FHeight) {
        FHeight = v;
        MarkModified();
    }
}

void TKXRowLayout::SaveToStream(TKXStreamWriter &Stream) const
{
    TKXColRowBase::SaveToStream(Stream);
    Stream.WriteInt32(FHeight);
}

void TKXRowLayout::LoadFromStream(TKXStreamReader &Stream)
{
    TKXColRowBase::LoadFromStream(Stream);
    FHeight = Stream.ReadInt32();
}

// ---------------------------------------------------------------------------------------
// The layout

TKXLayout::TKXLayout(TKXCustomLab *AOwner) : TKXBaseEx2D(AOwner), FIDL(AOwner->NewLayoutID())
{
    FSelType = TKXSelType::stRect;
}

TKXLayout::~TKXLayout() = default;

void TKXLayout::AddPublished(TKXPropTable &t)
{
    TKXBaseEx2D::AddPublished(t);
    t.Add(PublishProp("PenWidth", "Single", &TKXElement::PenWidth, &TKXElement::SetPenWidth));
    t.Add(PublishProp("ColCount", "Integer", &TKXLayout::ColCount, &TKXLayout::SetColCount));
    t.Add(PublishProp("RowCount", "Integer", &TKXLayout::RowCount, &TKXLayout::SetRowCount));
    t.Add(PublishProp("EqualRows", "Boolean", &TKXLayout::EqualRows, &TKXLayout::SetEqualRows));
    t.Add(PublishProp("EqualCols", "Boolean", &TKXLayout::EqualCols, &TKXLayout::SetEqualCols));
    t.Add(PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID));
}

const TKXPropTable &TKXLayout::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXLayout::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXLayout", &TKXBaseEx2D::ClassInfo());
}

TColLine TKXLayout::ColLine() const
{
    auto &items = const_cast<std::vector<std::unique_ptr<TKXColLayout>> &>(FColumns);
    return {items, &TKXColLayout::FWidth, &TKXElement::ColLayout, FP1.x, FP2.x};
}

TRowLine TKXLayout::RowLine() const
{
    auto &items = const_cast<std::vector<std::unique_ptr<TKXRowLayout>> &>(FRows);
    return {items, &TKXRowLayout::FHeight, &TKXElement::RowLayout, FP1.y, FP2.y};
}

void TKXLayout::Notified(const QString &PropName)
{
    RealignElements();
    Changed(PropName);
    MarkModified();
}

// --- Columns and rows ------------------------------------------------------------------

template <class Item>
void TKXLayout::SetCount(const TKXLayoutLine<Item> &L, int32_t Value, bool Equal, const QString &PropName)
{
    const int32_t count = int32_t(L.Items.size()) + 1;
    if (Value == count || Value <= 0 || Value > MaxCount)
        return;
    RecordUndo();
    if (Value > count) {
        int64_t w;
        if (Equal) {
            w = (int64_t(L.End) - L.Start) / Value;
            for (auto &item : L.Items)
                (*item).*L.Size = int32_t(std::max<int64_t>(0, w));
        } else {
            // The new columns share what the last column had: none reaches past the edge.
            const int64_t rest = int64_t(L.End) - L.Start - SumOf(L);
            w = rest / (Value - int64_t(L.Items.size()));
        }
        w = std::clamp<int64_t>(w, 0, std::numeric_limits<int32_t>::max());
        while (int32_t(L.Items.size()) + 1 < Value) {
            auto item = std::make_unique<Item>(FOwner);
            (*item).*L.Size = int32_t(w);
            Attach(*item, L.Items.size());
            L.Items.push_back(std::move(item));
        }
    } else {
        while (int32_t(L.Items.size()) + 1 > Value)
            RemoveLineNo(L, int32_t(L.Items.size()) + 1, Equal, false);
    }
    Notified(PropName);
}

void TKXLayout::SetColCount(int32_t Value)
{
    SetCount(ColLine(), Value, FEqualCols, QStringLiteral("ColCount"));
}

void TKXLayout::SetRowCount(int32_t Value)
{
    SetCount(RowLine(), Value, FEqualRows, QStringLiteral("RowCount"));
}

void TKXLayout::SetEqualCols(bool Value)
{
    if (Value == FEqualCols)
        return;
    RecordUndo();
    FEqualCols = Value;
    EqualizeColumns(false);
    Notified(QStringLiteral("EqualCols"));
}

void TKXLayout::SetEqualRows(bool Value)
{
    if (Value == FEqualRows)
        return;
    RecordUndo();
    FEqualRows = Value;
    EqualizeRows(false);
    Notified(QStringLiteral("EqualRows"));
}

TKXColLayout *TKXLayout::GetColumn(int32_t ColumnNo) const
{
    return ColumnNo >= 1 && ColumnNo <= int32_t(FColumns.size()) ? FColumns[size_t(ColumnNo - 1)].get() : nullptr;
}

TKXRowLayout *TKXLayout::GetRow(int32_t RowNo) const
{
    return RowNo >= 1 && RowNo <= int32_t(FRows.size()) ? FRows[size_t(RowNo - 1)].get() : nullptr;
}

void TKXLayout::Attach(TKXColRowBase &Item, size_t Index)
{
    Item.FLayout = this;
    Item.FIndex = uint16_t(Index);
    Item.IDLayout = FIDL;
}

void TKXLayout::AddColumn(std::unique_ptr<TKXColLayout> ACol)
{
    if (!ACol || ColCount() >= MaxCount)
        return;
    Attach(*ACol, FColumns.size());
    FColumns.push_back(std::move(ACol));
    EqualizeColumns(false);
    RealignElements();
    Changed(QString());
}

void TKXLayout::AddRow(std::unique_ptr<TKXRowLayout> ARow)
{
    if (!ARow || RowCount() >= MaxCount)
        return;
    Attach(*ARow, FRows.size());
    FRows.push_back(std::move(ARow));
    EqualizeRows(false);
    RealignElements();
    Changed(QString());
}

template <class Item>
void TKXLayout::RemoveLineNo(const TKXLayoutLine<Item> &L, int32_t k, bool Equal, bool Realign)
{
    const int32_t count = int32_t(L.Items.size()) + 1;
    // The only column cannot go, and there is no column 0 (nor one past the last).
    if (k < 1 || k > count || count < 2)
        return;
    const uint16_t gone = uint16_t(k - 1);
    // Members of the removed column are freed where they stand, each exactly once, the
    // last member first.
    const std::vector<TKXElement *> members = Members();
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
        TKXElement *e = *it;
        if (e->*L.Cell != gone)
            continue;
        RemoveElement(*e);
        e->IDLayout = 0;
        e->ColLayout = 0;
        e->RowLayout = 0;
        e->SetEleAlign(TKXEleAlign::eaNone);
        // Placing it anew may have found this layout again under it.
        RemoveElement(*e);
        if (e->IDLayout == FIDL)
            e->LeaveLayout();
    }
    if (k == count) {
        // The last column: its left divider goes, the column before it reaches the edge.
        L.Items.erase(L.Items.end() - 1);
    } else {
        // An inner column: its right divider goes and the next column takes its width, so
        // every other divider stays where it is; later members move down one column.
        const size_t i = size_t(k - 1);
        if (i + 1 < L.Items.size())
            (*L.Items[i + 1]).*L.Size = Fit(int64_t((*L.Items[i + 1]).*L.Size) + (*L.Items[i]).*L.Size);
        L.Items.erase(L.Items.begin() + std::ptrdiff_t(i));
        for (TKXElement *e : Members())
            if (e->*L.Cell > gone)
                e->*L.Cell = uint16_t(e->*L.Cell - 1);
    }
    for (size_t i = 0; i < L.Items.size(); ++i)
        L.Items[i]->FIndex = uint16_t(i);
    if (Equal)
        Equalize(L);
    if (Realign)
        RealignElements();
    Changed(QString());
}

void TKXLayout::RemoveColumn(int32_t ColIndex)
{
    RemoveLineNo(ColLine(), ColIndex, FEqualCols, true);
}

void TKXLayout::RemoveRow(int32_t RowIndex)
{
    RemoveLineNo(RowLine(), RowIndex, FEqualRows, true);
}

// A quarter turn of the label: with the box already turned, the old rows lie along the new
// x axis and the old columns along the new y axis. Counter-clockwise, (x, y) -> (y, H - x):
// the rows keep their order as columns, the columns come back as rows from the last one up.
// Clockwise, (x, y) -> (W - y, x): the rows come back as columns from the last one, the
// columns keep their order as rows. A reversed line starts with what was left to the old
// last one, so every divider stays on its line of the label.
void TKXLayout::Rotated(bool Left)
{
    const int32_t oldWidth = FP2.y - FP1.y; // the box is turned and normalised
    const int32_t oldHeight = FP2.x - FP1.x;
    const int32_t oldCols = ColCount(), oldRows = RowCount();
    // Sizes of an old line's items, in the order of the new line.
    auto sizes = [](const auto &Items, auto Size, int32_t Extent, bool Reverse) {
        std::vector<int32_t> out;
        const size_t n = Items.size();
        if (!Reverse) {
            for (const auto &item : Items)
                out.push_back((*item).*Size);
            return out;
        }
        int64_t sum = 0;
        for (const auto &item : Items)
            sum += (*item).*Size;
        if (n > 0)
            out.push_back(Fit(int64_t(Extent) - sum)); // the old last line
        for (size_t k = 1; k < n; ++k)
            out.push_back((*Items[n - k]).*Size);
        return out;
    };
    const std::vector<int32_t> colSizes = sizes(FRows, &TKXRowLayout::FHeight, oldHeight, !Left);
    const std::vector<int32_t> rowSizes = sizes(FColumns, &TKXColLayout::FWidth, oldWidth, Left);
    // Each divider keeps its line: new item k comes from old item k, or from old item n-1-k
    // on a reversed line.
    auto lineOf = [](TKXColRowBase &To, const TKXColRowBase &From) {
        To.FID = From.FID;
        To.FColor = From.FColor;
        To.FPenWidth = From.FPenWidth;
        To.FPenStyle = From.FPenStyle;
        To.FPrint = From.FPrint;
    };
    std::vector<std::unique_ptr<TKXColLayout>> columns;
    for (size_t k = 0; k < colSizes.size(); ++k) {
        auto item = std::make_unique<TKXColLayout>(FOwner);
        lineOf(*item, *FRows[Left ? k : FRows.size() - 1 - k]);
        item->FWidth = colSizes[k];
        Attach(*item, k);
        columns.push_back(std::move(item));
    }
    std::vector<std::unique_ptr<TKXRowLayout>> rows;
    for (size_t k = 0; k < rowSizes.size(); ++k) {
        auto item = std::make_unique<TKXRowLayout>(FOwner);
        lineOf(*item, *FColumns[Left ? FColumns.size() - 1 - k : k]);
        item->FHeight = rowSizes[k];
        Attach(*item, k);
        rows.push_back(std::move(item));
    }
    FColumns = std::move(columns);
    FRows = std::move(rows);
    std::swap(FEqualCols, FEqualRows);
    for (TKXElement *e : Members()) {
        const int32_t col = std::min<int32_t>(e->ColLayout, oldCols - 1);
        const int32_t row = std::min<int32_t>(e->RowLayout, oldRows - 1);
        e->ColLayout = uint16_t(Left ? row : oldRows - 1 - row);
        e->RowLayout = uint16_t(Left ? oldCols - 1 - col : col);
    }
}

void TKXLayout::ClearColumns()
{
    FColumns.clear();
}

void TKXLayout::ClearRows()
{
    FRows.clear();
}

void TKXLayout::Clear()
{
    ClearColumns();
    ClearRows();
}

void TKXLayout::EqualizeColumns(bool Realign)
{
    if (FEqualCols)
        Equalize(ColLine());
    if (Realign)
        RealignElements();
}

void TKXLayout::EqualizeRows(bool Realign)
{
    if (FEqualRows)
        Equalize(RowLine());
    if (Realign)
        RealignElements();
}

template <class Item>
void TKXLayout::DragDivider(const TKXLayoutLine<Item> &L, int32_t NewSize, uint16_t Index, bool &Equal,
                            const QString &PropName)
{
    const size_t n = L.Items.size();
    if (Index >= n)
        return;
    Item &item = *L.Items[Index];
    const int32_t old = item.*L.Size;
    // The divider stays between its neighbours: the next divider, or the layout's edge for
    // the last one.
    int64_t room;
    if (size_t(Index) + 1 < n)
        room = int64_t(old) + (*L.Items[Index + 1]).*L.Size;
    else
        room = int64_t(L.End) - L.Start - SumOf(L) + old;
    NewSize = int32_t(std::clamp<int64_t>(NewSize, 0, std::max<int64_t>(0, room)));
    if (NewSize == old)
        return;
    RecordUndo();
    Equal = false;
    item.*L.Size = NewSize;
    if (size_t(Index) + 1 < n) {
        Item &next = *L.Items[Index + 1];
        next.*L.Size = Fit(int64_t(next.*L.Size) + old - NewSize);
    }
    Notified(PropName);
}

void TKXLayout::SetColumnWidth(int32_t NewWidth, uint16_t Index)
{
    DragDivider(ColLine(), NewWidth, Index, FEqualCols, QStringLiteral("Width"));
}

void TKXLayout::SetRowHeight(int32_t NewHeight, uint16_t Index)
{
    DragDivider(RowLine(), NewHeight, Index, FEqualRows, QStringLiteral("Height"));
}

int32_t TKXLayout::DividerX(int32_t Index) const
{
    int64_t x = FP1.x;
    for (int32_t i = 0; i <= Index && i < int32_t(FColumns.size()); ++i)
        x += FColumns[size_t(i)]->FWidth;
    return Fit(x);
}

int32_t TKXLayout::DividerY(int32_t Index) const
{
    int64_t y = FP1.y;
    for (int32_t i = 0; i <= Index && i < int32_t(FRows.size()); ++i)
        y += FRows[size_t(i)]->FHeight;
    return Fit(y);
}

// --- Cells and members -------------------------------------------------------------------

TRect TKXLayout::GetCellRect(uint16_t Col, uint16_t Row) const
{
    TRect r;
    SpanOf(ColLine(), Col, r.Left, r.Right);
    SpanOf(RowLine(), Row, r.Top, r.Bottom);
    return r;
}

// The bands run across the whole layout: a rectangle that misses the layout along the other
// axis meets none.
int32_t TKXLayout::FirstColMeeting(const TRect &R) const
{
    if (std::max(R.Top, std::min(FP1.y, FP2.y)) >= std::min(R.Bottom, std::max(FP1.y, FP2.y)))
        return -1;
    return FirstMeeting(ColLine(), R.Left, R.Right);
}

int32_t TKXLayout::FirstRowMeeting(const TRect &R) const
{
    if (std::max(R.Left, std::min(FP1.x, FP2.x)) >= std::min(R.Right, std::max(FP1.x, FP2.x)))
        return -1;
    return FirstMeeting(RowLine(), R.Top, R.Bottom);
}

bool TKXLayout::AddElement(TKXElement &Element)
{
    // A layout is never a member (of itself or of another layout).
    if (Element.AsLayout() || Element.Serial() == 0)
        return false;
    if (std::find(FElements.begin(), FElements.end(), Element.Serial()) != FElements.end())
        return false;
    FElements.push_back(Element.Serial());
    return true;
}

bool TKXLayout::RemoveElement(TKXElement &Element)
{
    const auto it = std::find(FElements.begin(), FElements.end(), Element.Serial());
    if (it == FElements.end())
        return false;
    FElements.erase(it);
    return true;
}

void TKXLayout::InsertMember(TKXElement &Element, int32_t Index)
{
    if (Element.AsLayout() || Element.Serial() == 0)
        return;
    // Entries of elements gone meanwhile would shift the place.
    std::vector<uint64_t> live;
    for (TKXElement *e : Members())
        if (e != &Element)
            live.push_back(e->Serial());
    const size_t at = Index < 0 ? live.size() : std::min(size_t(Index), live.size());
    live.insert(live.begin() + std::ptrdiff_t(at), Element.Serial());
    FElements = std::move(live);
}

std::vector<TKXElement *> TKXLayout::Members() const
{
    std::vector<TKXElement *> members;
    members.reserve(FElements.size());
    for (uint64_t serial : FElements)
        if (TKXElement *e = FOwner->ElementBySerial(serial); e && e->IDLayout == FIDL)
            members.push_back(e);
    return members;
}

void TKXLayout::RealignElements()
{
    const std::vector<TKXElement *> members = Members();
    // Entries of elements deleted or taken out meanwhile are dropped.
    if (members.size() != FElements.size()) {
        FElements.clear();
        for (TKXElement *e : members)
            FElements.push_back(e->Serial());
    }
    for (TKXElement *e : members)
        e->ApplyEleAlign(false);
}

void TKXLayout::ReleaseElements()
{
    for (TKXElement *e : Members())
        e->LeaveLayout();
    FElements.clear();
}

void TKXLayout::SetLayoutID(int32_t Value)
{
    for (TKXElement *e : Members())
        e->IDLayout = Value;
    FIDL = Value;
    for (const auto &c : FColumns)
        c->IDLayout = Value;
    for (const auto &r : FRows)
        r->IDLayout = Value;
}

// --- Element overrides -------------------------------------------------------------------

void TKXLayout::SetX1(float Value)
{
    TKXBaseEx2D::SetX1(Value);
    EqualizeColumns(true);
}

void TKXLayout::SetY1(float Value)
{
    TKXBaseEx2D::SetY1(Value);
    EqualizeRows(true);
}

void TKXLayout::SetX2(float Value)
{
    TKXBaseEx2D::SetX2(Value);
    EqualizeColumns(true);
}

void TKXLayout::SetY2(float Value)
{
    TKXBaseEx2D::SetY2(Value);
    EqualizeRows(true);
}

void TKXLayout::ApplyBorder()
{
    TKXBaseEx2D::ApplyBorder();
    EqualizeRows(false);
    EqualizeColumns(true);
}

bool TKXLayout::GetIsSelected() const
{
    if (FIsSelected)
        return true;
    for (const auto &c : FColumns)
        if (c->FIsSelected)
            return true;
    for (const auto &r : FRows)
        if (r->FIsSelected)
            return true;
    return false;
}

bool TKXLayout::PointInObject(TPoint Pu) const
{
    if (!TKXBaseEx2D::PointInObject(Pu))
        return false;
    // A locked layout answers on its whole marker; without a pen the whole box hits.
    if (FLocked || FPenWidth <= 0)
        return true;
    const TKXCustomEditor *ed = FOwner->Editor();
    const int32_t pw = std::max(ed ? ed->LabelToScreenX(FPenWidth) : 0, 2);
    const bool inside = Pu.x >= FBorder.Left + pw && Pu.x < FBorder.Right - pw && Pu.y >= FBorder.Top + pw &&
                        Pu.y < FBorder.Bottom - pw;
    return !inside;
}

void TKXLayout::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    const bool design = DrawType == TKXDrawType::tdLab;
    // On the printer and in the print preview: no background, and dividers by their flag.
    const bool output = DrawType == TKXDrawType::tdPrint || DrawType == TKXDrawType::tdPreview;
    TKXCustomEditor *ed = design ? FOwner->Editor() : nullptr;
    // Corners within +-MaxAnchor: the dividers are inset by the pen from them.
    const int32_t L = AnchorCoord(int64_t(po.x) + FP1.x), T = AnchorCoord(int64_t(po.y) + FP1.y);
    const int32_t R = AnchorCoord(int64_t(po.x) + FP2.x), B = AnchorCoord(int64_t(po.y) + FP2.y);

    if (DrawsOwnParts(DrawType, FPrint)) {
        Canvas.SaveState();
        if (!FTransparent && !output) {
            Canvas.SetPen({clBlack, 0, TKXPenStyle::psClear});
            Canvas.SetBrush({ResolveColor(FBackColor), TKXBrushStyle::bsSolid});
            Canvas.FillRect({L, T, R, B});
        }
        Canvas.SetBrush({clWhite, TKXBrushStyle::bsClear});
        auto dividerPen = [](const TKXColRowBase &item) {
            TKXPen pen;
            pen.Color = ResolveColor(item.Color());
            pen.Width = std::max(0, int32_t(item.FPenWidth));
            pen.Cap = TKXPenCap::pcFlat;
            pen.Join = TKXPenJoin::pjMiter;
            return pen;
        };
        int64_t y = FP1.y;
        for (const auto &row : FRows) {
            y += row->FHeight;
            if (y < FP2.y && (!output || row->FPrint)) {
                Canvas.SetPen(dividerPen(*row));
                Canvas.MoveTo(ClampCoord(int64_t(L) + FPenWidth), AnchorCoord(po.y + y));
                Canvas.LineTo(ClampCoord(int64_t(R) - FPenWidth), AnchorCoord(po.y + y));
            }
            if (ed)
                row->FPosY = ed->LabelToScreenY(Fit(y));
        }
        int64_t x = FP1.x;
        for (const auto &col : FColumns) {
            x += col->FWidth;
            if (x < FP2.x && (!output || col->FPrint)) {
                Canvas.SetPen(dividerPen(*col));
                Canvas.MoveTo(AnchorCoord(po.x + x), ClampCoord(int64_t(T) + FPenWidth));
                Canvas.LineTo(AnchorCoord(po.x + x), ClampCoord(int64_t(B) - FPenWidth));
            }
            if (ed)
                col->FPosX = ed->LabelToScreenX(Fit(x));
        }
        TKXPen frame;
        frame.Color = ResolveColor(FColor);
        frame.Width = std::max(0, FPenWidth);
        frame.Style = FPenWidth != 0 ? TKXPenStyle::psSolid : TKXPenStyle::psClear;
        frame.InsideFrame = FPenWidth != 0;
        Canvas.SetPen(frame);
        Canvas.SetBrush({clWhite, TKXBrushStyle::bsClear});
        Canvas.Rectangle({L, T, R + 1, B + 1});
        Canvas.RestoreState();
    }

    if (design) {
        if (ed && FLocked) {
            // The lock marker: a maroon square of 8 pixels at P1 with a yellow one inside.
            const int32_t s = ed->ScreenToLabelX(8), i = s / 4;
            Canvas.SaveState();
            Canvas.SetPen({clBlack, 0, TKXPenStyle::psClear});
            Canvas.SetBrush({0x000080, TKXBrushStyle::bsSolid});
            Canvas.FillRect({L, T, L + s, T + s});
            Canvas.SetBrush({0x00FFFF, TKXBrushStyle::bsSolid});
            Canvas.FillRect({L + i, T + i, L + s - i, T + s - i});
            Canvas.RestoreState();
        }
        Frame = {FP1.x, FP1.y, FP2.x, FP2.y};
        FBorder = Canvas.LPtoDP(TRect{L, T, R, B});
        if (ed)
            ed->DrawSelectionFrame(GetIsSelected(), false, TKXSelType::stRect, uint16_t(FAngle), Frame, FBorder,
                                   false);
    }

    // The members, the last first; on the design surface the selected ones are drawn by the
    // editor's selection layer.
    const std::vector<TKXElement *> members = Members();
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
        if (design && (*it)->GetIsSelected())
            continue;
        (*it)->Draw(Canvas, po, DrawType, fill);
    }
}

// --- Record --------------------------------------------------------------------------------

void TKXLayout::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deLayout);
    TKXBaseEx2D::SaveToStream(Stream);
    Stream.WriteBool(FEqualRows);
    Stream.WriteBool(FEqualCols);
    Stream.WriteInt32(int32_t(FColumns.size()));
    for (const auto &c : FColumns)
        c->SaveToStream(Stream);
    Stream.WriteInt32(int32_t(FRows.size()));
    for (const auto &r : FRows)
        r->SaveToStream(Stream);
}

template <class Item>
void TKXLayout::ReadItems(TKXStreamReader &Stream, std::vector<std::unique_ptr<Item>> &Items)
{
    const int32_t count = Stream.ReadInt32();
    if (count < 0 || count >= MaxCount || size_t(count) > Stream.Remaining() / MinItemRecord)
        throw EKxStreamError("layout: " + std::to_string(count) + " dividers cannot follow");
    for (int32_t i = 0; i < count; ++i) {
        auto item = std::make_unique<Item>(FOwner);
        Attach(*item, Items.size());
        item->LoadFromStream(Stream);
        Items.push_back(std::move(item));
    }
}

void TKXLayout::LoadFromStream(TKXStreamReader &Stream)
{
    TKXBaseEx2D::LoadFromStream(Stream);
    FEqualRows = Stream.ReadBool();
    FEqualCols = Stream.ReadBool();
    // A record read into an existing layout (undo, redo) replaces its items.
    Clear();
    ReadItems(Stream, FColumns);
    ReadItems(Stream, FRows);
}

} // namespace kx
