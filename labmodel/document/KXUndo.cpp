#include "document/KXUndo.h"

#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "stream/KXStream.h"

#include <algorithm>
#include <span>

namespace kx {

namespace {

// An element's full record (type byte and kind record), preceded by its byte length so an
// entry whose element is gone can be passed over.
void WriteRecord(const TKXElement &Element, TKXStreamWriter &S)
{
    TKXStreamWriter record;
    Element.SaveToStream(record);
    S.WriteUInt32(uint32_t(record.Size()));
    S.WriteBytes(record.Bytes());
}

std::span<const uint8_t> ReadRecord(TKXStreamReader &S, const TBytesArray &Data)
{
    const uint32_t n = S.ReadUInt32();
    const size_t at = S.Position();
    S.Skip(n);
    return std::span<const uint8_t>(Data).subspan(at, n);
}

// What follows a deleted element's record: the cell it stands in (layout identifier, column,
// row; identifier 0 for none), then for a layout its identifier and its members, each with its
// cell and its record as it stands there. Deleting a layout frees its members and the
// identifier and cells are no part of any record: without these an undo would bring the
// layout back empty.
void WriteCells(TKXElement &Element, TKXStreamWriter &S)
{
    TKXLayoutCells *layout = Element.AsLayout();
    const bool member = !layout && Element.IDLayout > 0;
    S.WriteInt32(member ? Element.IDLayout : 0);
    S.WriteUInt16(member ? Element.ColLayout : 0);
    S.WriteUInt16(member ? Element.RowLayout : 0);
    if (!layout) {
        S.WriteInt32(0);
        return;
    }
    S.WriteInt32(layout->LayoutID());
    const std::vector<TKXElement *> members = layout->GetMembers();
    S.WriteInt32(int32_t(members.size()));
    for (TKXElement *m : members) {
        S.WriteUInt64(m->Serial());
        S.WriteUInt16(m->ColLayout);
        S.WriteUInt16(m->RowLayout);
        WriteRecord(*m, S);
    }
}

// A deleted element's entry after its serial: its place in the z-order, its record and its
// cells.
void WriteDeleted(TKXElement &Element, int32_t Index, TKXStreamWriter &S)
{
    S.WriteInt32(Index);
    WriteRecord(Element, S);
    WriteCells(Element, S);
}

// A cell to give back once every element of the step is in place again.
struct TCellLink {
    uint64_t Serial = 0;
    int32_t LayoutID = 0;
    uint16_t Col = 0;
    uint16_t Row = 0;
    std::span<const uint8_t> Record; // the member's state in its cell; empty: keep the state
};

// The cells read back from a deleted element's entry. A restored layout gets its old
// identifier back unless another layout holds it meanwhile; Restored maps the identifiers
// recorded to the layouts put back by the step.
void ReadCells(TKXStreamReader &S, const TBytesArray &Data, TKXElement &Element, TKXCustomLab &Lab,
               std::vector<std::pair<int32_t, TKXLayoutCells *>> &Restored, std::vector<TCellLink> &Members,
               std::vector<TCellLink> &Own)
{
    TCellLink own;
    own.Serial = Element.Serial();
    own.LayoutID = S.ReadInt32();
    own.Col = S.ReadUInt16();
    own.Row = S.ReadUInt16();
    if (own.LayoutID > 0)
        Own.push_back(own);
    const int32_t id = S.ReadInt32();
    if (id == 0)
        return;
    const int32_t count = S.ReadInt32();
    TKXLayoutCells *layout = Element.AsLayout();
    if (layout) {
        if (layout->LayoutID() != id && !Lab.FindLayout(id))
            layout->SetLayoutID(id);
        Restored.emplace_back(id, layout);
    }
    for (int32_t i = 0; i < count; ++i) {
        TCellLink m;
        m.Serial = S.ReadUInt64();
        m.LayoutID = id;
        m.Col = S.ReadUInt16();
        m.Row = S.ReadUInt16();
        m.Record = ReadRecord(S, Data);
        if (layout)
            Members.push_back(m);
    }
}

// Puts each element back into its cell: the layout's members first, in the layout's own
// order, then the deleted members whose layout stayed or came back.
void Relink(TKXCustomLab &Lab, const std::vector<std::pair<int32_t, TKXLayoutCells *>> &Restored,
            const std::vector<TCellLink> &Members, const std::vector<TCellLink> &Own)
{
    auto layoutOf = [&](int32_t ID) -> TKXLayoutCells * {
        for (const auto &[id, layout] : Restored)
            if (id == ID)
                return layout;
        return Lab.FindLayout(ID);
    };
    auto link = [&](const TCellLink &L) {
        TKXElement *e = Lab.ElementBySerial(L.Serial);
        TKXLayoutCells *layout = layoutOf(L.LayoutID);
        if (!e || !layout || e->AsLayout())
            return;
        if (!L.Record.empty()) {
            TKXStreamReader r(L.Record);
            if (r.ReadUInt8() != uint8_t(e->ElementType()))
                return;
            e->LoadFromStream(r);
        }
        e->IDLayout = layout->LayoutID();
        e->ColLayout = L.Col;
        e->RowLayout = L.Row;
        layout->AddMember(*e);
    };
    for (const TCellLink &m : Members)
        link(m);
    for (const TCellLink &o : Own)
        link(o);
}

// The layout cell that follows a changed element's record.
void WriteCell(const TKXLayoutCell &Cell, TKXStreamWriter &S)
{
    S.WriteInt32(Cell.LayoutID);
    S.WriteUInt16(Cell.Col);
    S.WriteUInt16(Cell.Row);
    S.WriteInt32(Cell.Index);
}

TKXLayoutCell ReadCell(TKXStreamReader &S)
{
    TKXLayoutCell cell;
    cell.LayoutID = S.ReadInt32();
    cell.Col = S.ReadUInt16();
    cell.Row = S.ReadUInt16();
    cell.Index = S.ReadInt32();
    return cell;
}

// Gives changed elements the cells their entries hold, once the whole step is in place: each
// leaves the layout it stands in, then the members go back in the order of their places, so
// every one finds the members before it there already. A layout is never a member.
void PlaceCells(TKXCustomLab &Lab, std::vector<std::pair<uint64_t, TKXLayoutCell>> &Cells)
{
    for (const auto &[serial, cell] : Cells) {
        TKXElement *e = Lab.ElementBySerial(serial);
        if (!e || e->AsLayout())
            continue;
        if (e->IDLayout > 0)
            if (TKXLayoutCells *layout = Lab.FindLayout(e->IDLayout))
                layout->RemoveMember(*e);
        e->IDLayout = cell.LayoutID;
        e->ColLayout = cell.Col;
        e->RowLayout = cell.Row;
    }
    std::stable_sort(Cells.begin(), Cells.end(),
                     [](const auto &A, const auto &B) { return A.second.Index < B.second.Index; });
    for (const auto &[serial, cell] : Cells) {
        TKXElement *e = Lab.ElementBySerial(serial);
        if (!e || e->AsLayout() || cell.LayoutID <= 0 || cell.Index < 0)
            continue;
        if (TKXLayoutCells *layout = Lab.FindLayout(cell.LayoutID))
            layout->InsertMember(*e, cell.Index);
    }
}

TKXURAction Inverse(TKXURAction Kind)
{
    switch (Kind) {
    case TKXURAction::urCreate: return TKXURAction::urDelete;
    case TKXURAction::urDelete: return TKXURAction::urCreate;
    default: return Kind;
    }
}

// Replay runs with recording off and reads element records at the current version (undo
// records are always written so), then puts both back.
class TReplayScope {
public:
    explicit TReplayScope(TKXCustomLab &Lab) : FLab(Lab), FVersion(Lab) { FLab.SetUnReIni(0); }
    ~TReplayScope() { FLab.SetUnReIni(1); }
    TReplayScope(const TReplayScope &) = delete;
    TReplayScope &operator=(const TReplayScope &) = delete;

private:
    TKXCustomLab &FLab;
    TKXCurrentVersionRecords FVersion;
};

} // namespace

void TKXUndo::SetCapacity(int32_t Value)
{
    FUndoRedoCapacity = std::max(1, Value);
    while (int32_t(FUndoList.size()) > FUndoRedoCapacity)
        FUndoList.pop_front();
    while (int32_t(FRedoList.size()) > FUndoRedoCapacity)
        FRedoList.pop_front();
}

// ---------------------------------------------------------------------------------------
// Recording

void TKXUndo::RecordUndo(TKXURAction Kind, TKXElement &Element)
{
    Enter(Kind, Element, nullptr, nullptr);
}

void TKXUndo::RecordUndoState(TKXElement &Element, const TBytesArray &Record, const TKXLayoutCell &Cell)
{
    Enter(TKXURAction::urProp, Element, &Record, &Cell);
}

void TKXUndo::Enter(TKXURAction Kind, TKXElement &Element, const TBytesArray *Record, const TKXLayoutCell *Cell)
{
    if (FElementsAfected <= 0)
        return;
    if (!FOpen)
        BeginStep(Kind, Element, Record, Cell);
    else
        AddToStep(Kind, Element, Record, Cell);
}

void TKXUndo::StepSizeChanged(int32_t ElementsAfected)
{
    // A new announcement closes a step that received fewer entries than announced.
    CloseStep();
    FElementsAfected = ElementsAfected;
    FElementsAdded = 0;
}

void TKXUndo::ClearUndoRedo()
{
    FUndoList.clear();
    FRedoList.clear();
    FOpen = false;
    FElementsAdded = 0;
    FOpenSerials.clear();
}

void TKXUndo::BeginUndoRecord(TKXURAction Kind, TKXElement &Element)
{
    BeginStep(Kind, Element, nullptr, nullptr);
}

void TKXUndo::BeginStep(TKXURAction Kind, TKXElement &Element, const TBytesArray *Record, const TKXLayoutCell *Cell)
{
    CloseStep();
    TStep step;
    step.Kind = Kind;
    try {
        WriteEntry(step, Kind, Element, Record, Cell);
    } catch (const EKxError &e) {
        // The element's state cannot be written (a text too long for a record): this
        // change gets no step, the history before it stays usable, and the user is told.
        ReportUnrecorded(e);
        return;
    }
    // A new edit makes the redo steps stale.
    FRedoList.clear();
    Append(FUndoList, std::move(step));
    FOpen = true;
    FElementsAdded = 1;
    FOpenSerials.assign(1, Element.Serial());
    if (FElementsAdded >= FElementsAfected)
        CloseStep();
}

void TKXUndo::AddUndoElement(TKXURAction Kind, TKXElement &Element)
{
    AddToStep(Kind, Element, nullptr, nullptr);
}

void TKXUndo::AddToStep(TKXURAction Kind, TKXElement &Element, const TBytesArray *Record, const TKXLayoutCell *Cell)
{
    const bool belongs = FOpen && !FUndoList.empty() && FUndoList.back().Kind == Kind &&
                         std::find(FOpenSerials.begin(), FOpenSerials.end(), Element.Serial()) ==
                             FOpenSerials.end();
    if (!belongs) {
        BeginStep(Kind, Element, Record, Cell);
        return;
    }
    try {
        WriteEntry(FUndoList.back(), Kind, Element, Record, Cell);
    } catch (const EKxError &e) {
        // The step is kept with the entries it has and closed.
        CloseStep();
        ReportUnrecorded(e);
        return;
    }
    ++FElementsAdded;
    FOpenSerials.push_back(Element.Serial());
    if (FElementsAdded >= FElementsAfected)
        CloseStep();
}

void TKXUndo::ReportUnrecorded(const EKxError &Error)
{
    FLab.UIServices().ShowMessage(QStringLiteral("THIS CHANGE CANNOT BE UNDONE : ") + QString::fromStdString(Error.what()));
}

void TKXUndo::WriteEntry(TStep &Step, TKXURAction Kind, TKXElement &Element, const TBytesArray *Record, const TKXLayoutCell *Cell)
{
    TKXStreamWriter entry;
    entry.WriteUInt64(Element.Serial());
    if (Kind == TKXURAction::urDelete) {
        WriteDeleted(Element, FLab.IndexOf(&Element), entry);
    } else if (Kind == TKXURAction::urProp && Record) {
        entry.WriteUInt32(uint32_t(Record->size()));
        entry.WriteBytes(*Record);
        WriteCell(Cell ? *Cell : FLab.CellOf(Element), entry);
    } else if (Kind == TKXURAction::urProp) {
        WriteRecord(Element, entry);
        WriteCell(Cell ? *Cell : FLab.CellOf(Element), entry);
    }
    const TBytesArray &bytes = entry.Bytes();
    Step.Data.insert(Step.Data.end(), bytes.begin(), bytes.end());
    ++Step.Count;
}

void TKXUndo::CloseStep()
{
    if (!FOpen)
        return;
    FOpen = false;
    FElementsAdded = 0;
    FOpenSerials.clear();
    RaiseEvent();
}

void TKXUndo::Append(std::deque<TStep> &List, TStep Step)
{
    List.push_back(std::move(Step));
    while (int32_t(List.size()) > FUndoRedoCapacity)
        List.pop_front();
}

void TKXUndo::RaiseEvent()
{
    if (FLab.OnUndoRedoEvent)
        FLab.OnUndoRedoEvent(&FLab, FUndoList.empty(), FRedoList.empty());
}

// ---------------------------------------------------------------------------------------
// Replay

// Applies Source's entries in order and writes the inverse of each into Inverse before the
// element changes, so that the entries applied so far can always be taken back.
void TKXUndo::Replay(const TStep &Source, TStep &Inverse)
{
    Inverse.Kind = kx::Inverse(Source.Kind);
    Inverse.Count = 0;
    TKXStreamReader s(Source.Data);
    TKXStreamWriter out;
    // The inverse is kept up to date entry by entry, also when an entry fails half-way.
    struct TFlush {
        TStep &Step;
        TKXStreamWriter &Out;
        ~TFlush() { Step.Data = Out.Bytes(); }
    } flush{Inverse, out};
    if (Source.Kind == TKXURAction::urCreate) {
        // Every entry is taken while all elements of the step still stand: removing a layout
        // frees its members, removing a member empties its cell, and each removal moves the
        // elements below it up. The entries go front to back, each with its place before any
        // removal, so that an undo putting them back in that order returns each to its place.
        struct TGone {
            TKXElement *Element;
            int32_t Index;
            TBytesArray Entry;
        };
        std::vector<TGone> gone;
        for (int32_t i = 0; i < Source.Count; ++i) {
            const uint64_t serial = s.ReadUInt64();
            if (TKXElement *e = FLab.ElementBySerial(serial)) {
                TKXStreamWriter entry;
                entry.WriteUInt64(serial);
                const int32_t index = FLab.IndexOf(e);
                WriteDeleted(*e, index, entry);
                gone.push_back({e, index, entry.TakeBytes()});
            }
        }
        std::stable_sort(gone.begin(), gone.end(), [](const TGone &a, const TGone &b) { return a.Index < b.Index; });
        for (const TGone &g : gone) {
            out.WriteBytes(g.Entry);
            ++Inverse.Count;
            FLab.RemoveElement(g.Element, false, false);
        }
        return;
    }
    // Cells given back once the whole step is in place.
    std::vector<std::pair<int32_t, TKXLayoutCells *>> restored;
    std::vector<TCellLink> members, own;
    std::vector<std::pair<uint64_t, TKXLayoutCell>> cells;
    for (int32_t i = 0; i < Source.Count; ++i) {
        const uint64_t serial = s.ReadUInt64();
        switch (Source.Kind) {
        case TKXURAction::urProp: {
            const std::span<const uint8_t> record = ReadRecord(s, Source.Data);
            const TKXLayoutCell cell = ReadCell(s);
            TKXElement *e = FLab.ElementBySerial(serial);
            if (!e)
                break;
            out.WriteUInt64(serial);
            WriteRecord(*e, out);
            WriteCell(FLab.CellOf(*e), out);
            ++Inverse.Count;
            cells.emplace_back(serial, cell);
            TKXStreamReader r(record);
            r.ReadUInt8(); // the type byte: the element exists
            e->LoadFromStream(r);
            if (TKXLayoutCells *layout = e->AsLayout())
                layout->RealignElements();
            break;
        }
        case TKXURAction::urDelete: {
            const int32_t index = s.ReadInt32();
            const std::span<const uint8_t> record = ReadRecord(s, Source.Data);
            TKXStreamReader r(record);
            TKXElement *e = TKXElementFactory::ReadElement(r, FLab, serial);
            out.WriteUInt64(e->Serial());
            ++Inverse.Count;
            // Back to its place in the z-order, not the bottom.
            FLab.MoveElement(e, index);
            ReadCells(s, Source.Data, *e, FLab, restored, members, own);
            break;
        }
        default:
            break;
        }
    }
    Relink(FLab, restored, members, own);
    PlaceCells(FLab, cells);
}

bool TKXUndo::UndoRedo(TKXURAction Action)
{
    if (Action != TKXURAction::urUndo && Action != TKXURAction::urRedo)
        return false;
    const bool undo = Action == TKXURAction::urUndo;
    std::deque<TStep> &from = undo ? FUndoList : FRedoList;
    if (from.empty())
        return false;
    // A short step still open is complete as it stands.
    FOpen = false;
    FElementsAdded = 0;
    FOpenSerials.clear();

    // The step moves to the other list only once it has been replayed whole. When an entry
    // fails, the entries already applied are taken back, the step stays where it was and
    // the error goes to the caller.
    const TStep &source = from.back();
    TStep inverse;
    {
        TReplayScope scope(FLab);
        try {
            Replay(source, inverse);
        } catch (const std::exception &) {
            TStep again;
            try {
                Replay(inverse, again);
            } catch (const std::exception &) {
                // Taking back what was written a moment ago does not fail in practice; if
                // it does, the original error is the one worth reporting.
            }
            FLab.NotifyChange(2, true, QString());
            throw;
        }
    }
    const TKXURAction kind = source.Kind;
    from.pop_back();
    FLab.NotifyChange(kind == TKXURAction::urProp ? 6 : 2, kind == TKXURAction::urProp, QString());
    Append(undo ? FRedoList : FUndoList, std::move(inverse));
    RaiseEvent();
    return true;
}

} // namespace kx
