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
    explicit TReplayScope(TKXCustomLab &Lab) : FLab(Lab), FVersion(Lab.FileVersion())
    {
        FLab.SetUnReIni(0);
        FLab.SetFileVersion(TKXCustomLab::CurrentVersion);
    }
    ~TReplayScope()
    {
        FLab.SetFileVersion(FVersion);
        FLab.SetUnReIni(1);
    }
    TReplayScope(const TReplayScope &) = delete;
    TReplayScope &operator=(const TReplayScope &) = delete;

private:
    TKXCustomLab &FLab;
    int32_t FVersion;
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
    if (FElementsAfected <= 0)
        return;
    if (!FOpen)
        BeginUndoRecord(Kind, Element);
    else
        AddUndoElement(Kind, Element);
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
    CloseStep();
    TStep step;
    step.Kind = Kind;
    try {
        WriteEntry(step, Kind, Element);
    } catch (const EKxError &) {
        // The element's state cannot be written (a text too long for a record): this
        // change gets no step, and the history before it stays usable.
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
    const bool belongs = FOpen && !FUndoList.empty() && FUndoList.back().Kind == Kind &&
                         std::find(FOpenSerials.begin(), FOpenSerials.end(), Element.Serial()) ==
                             FOpenSerials.end();
    if (!belongs) {
        BeginUndoRecord(Kind, Element);
        return;
    }
    try {
        WriteEntry(FUndoList.back(), Kind, Element);
    } catch (const EKxError &) {
        // The step is kept with the entries it has and closed.
        CloseStep();
        return;
    }
    ++FElementsAdded;
    FOpenSerials.push_back(Element.Serial());
    if (FElementsAdded >= FElementsAfected)
        CloseStep();
}

void TKXUndo::WriteEntry(TStep &Step, TKXURAction Kind, TKXElement &Element)
{
    TKXStreamWriter entry;
    entry.WriteUInt64(Element.Serial());
    if (Kind == TKXURAction::urDelete)
        entry.WriteInt32(FLab.IndexOf(&Element));
    if (Kind != TKXURAction::urCreate)
        WriteRecord(Element, entry);
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

    TStep source = std::move(from.back());
    from.pop_back();
    TStep inverse;
    inverse.Kind = Inverse(source.Kind);
    {
        TReplayScope scope(FLab);
        TKXStreamReader s(source.Data);
        TKXStreamWriter out;
        for (int32_t i = 0; i < source.Count; ++i) {
            const uint64_t serial = s.ReadUInt64();
            switch (source.Kind) {
            case TKXURAction::urProp: {
                const std::span<const uint8_t> record = ReadRecord(s, source.Data);
                TKXElement *e = FLab.ElementBySerial(serial);
                if (!e)
                    break;
                out.WriteUInt64(serial);
                WriteRecord(*e, out);
                TKXStreamReader r(record);
                r.ReadUInt8(); // the type byte: the element exists
                e->LoadFromStream(r);
                if (TKXLayoutCells *layout = e->AsLayout())
                    layout->RealignElements();
                ++inverse.Count;
                break;
            }
            case TKXURAction::urCreate: {
                TKXElement *e = FLab.ElementBySerial(serial);
                if (!e)
                    break;
                out.WriteUInt64(serial);
                out.WriteInt32(FLab.IndexOf(e));
                WriteRecord(*e, out);
                FLab.RemoveElement(e, false, false);
                ++inverse.Count;
                break;
            }
            case TKXURAction::urDelete: {
                const int32_t index = s.ReadInt32();
                const std::span<const uint8_t> record = ReadRecord(s, source.Data);
                TKXStreamReader r(record);
                TKXElement *e = TKXElementFactory::ReadElement(r, FLab, serial);
                // Back to its place in the z-order, not the bottom.
                FLab.MoveElement(e, index);
                out.WriteUInt64(e->Serial());
                ++inverse.Count;
                break;
            }
            default:
                break;
            }
        }
        inverse.Data = out.TakeBytes();
    }
    FLab.NotifyChange(source.Kind == TKXURAction::urProp ? 6 : 2, source.Kind == TKXURAction::urProp,
                      QString());
    Append(undo ? FRedoList : FUndoList, std::move(inverse));
    RaiseEvent();
    return true;
}

} // namespace kx
