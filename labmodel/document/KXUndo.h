// The document's edit history: a list of undo steps and a list of redo steps, oldest first,
// each keeping at most Capacity (200) steps.
//
// A step holds one or more entries of one kind:
//   urProp    the element's state before a change: serial, then its full record (type byte and
//             kind record, the same bytes as in a label file), then its layout cell (layout
//             identifier, column, row, place among the members; not part of a record), which
//             a replay gives back once the whole step is in place
//   urCreate  an element that was created: its serial
//   urDelete  an element that was deleted: serial, its place in the z-order, its full record,
//             then its layout cells: the cell it stands in, and for a grid layout its
//             identifier and its members, each with its cell and its record as it stands
//             there (an undo gives the layout back its identifier and its members their
//             cells; neither is part of a record)
// Entries refer to elements by serial number, never by address: an element deleted and
// re-created by an undo gets its serial back, so older steps find it again; an entry whose
// element no longer exists is passed over.
//
// Step size (the document's SetUnReIni): 0 records nothing, n gathers the next n entries into
// one step. A step announced for n entries that receives fewer is closed when the next
// announcement comes, when an entry of another kind comes, or when an element already in
// the step changes again, so later, unrelated changes never merge into it.
//
// Replaying a step builds the inverse step on the other list (a property step records the
// current states, a creation becomes a deletion and back; the deletions of one step are
// recorded front to back, each with its place before any of them went). The step moves only when its
// replay succeeds: a failing entry takes the applied ones back and the error (EKxError)
// goes to the caller, with both lists as they were. Opening a new step empties the
// redo list: a redo after a new edit would replay states over it.
#pragma once

#include "core/KXError.h"
#include "core/KXTypes.h"
#include "document/KXUndoRecorder.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace kx {

class TKXCustomLab;
class TKXElement;

class TKXUndo final : public TKXUndoRecorder {
public:
    static constexpr int32_t DefaultCapacity = 200;

    // One step; Data holds Count entries of Kind.
    struct TStep {
        TKXURAction Kind = TKXURAction::urProp;
        int32_t Count = 0;
        TBytesArray Data;
    };

    explicit TKXUndo(TKXCustomLab &Lab) : FLab(Lab) {}

    // --- Recording (called by the document) ------------------------------------------
    void RecordUndo(TKXURAction Kind, TKXElement &Element) override;
    void StepSizeChanged(int32_t ElementsAfected) override;
    void ClearUndoRedo() override;
    // Closes an open step and opens a new one with Element as its first entry. With a step
    // size of 1 or less the step is complete at once.
    void BeginUndoRecord(TKXURAction Kind, TKXElement &Element) override;
    // Adds Element to the open step (opening one when none is open or the entry does not
    // belong to it); the step is complete when it holds the announced number of entries.
    void AddUndoElement(TKXURAction Kind, TKXElement &Element) override;
    void RecordUndoState(TKXElement &Element, const TBytesArray &Record, const TKXLayoutCell &Cell) override;

    // --- Replay ------------------------------------------------------------------------
    bool UndoRedo(TKXURAction Action) override;
    int32_t UndoCount() const override { return int32_t(FUndoList.size()); }
    int32_t RedoCount() const override { return int32_t(FRedoList.size()); }

    int32_t Capacity() const { return FUndoRedoCapacity; }
    void SetCapacity(int32_t Value);
    // The steps, oldest first (for inspection).
    const std::deque<TStep> &UndoList() const { return FUndoList; }
    const std::deque<TStep> &RedoList() const { return FRedoList; }
    // A step is open and still waiting for announced entries.
    bool StepOpen() const { return FOpen; }

private:
    // Record and Cell, when given, are the urProp state to write in place of the element's own.
    void Enter(TKXURAction Kind, TKXElement &Element, const TBytesArray *Record, const TKXLayoutCell *Cell);
    void BeginStep(TKXURAction Kind, TKXElement &Element, const TBytesArray *Record, const TKXLayoutCell *Cell);
    void AddToStep(TKXURAction Kind, TKXElement &Element, const TBytesArray *Record, const TKXLayoutCell *Cell);
    void WriteEntry(TStep &Step, TKXURAction Kind, TKXElement &Element, const TBytesArray *Record, const TKXLayoutCell *Cell);
    void Replay(const TStep &Source, TStep &Inverse);
    // A change whose state cannot be written gets no step: the user is told through the
    // UI services that it cannot be undone.
    void ReportUnrecorded(const EKxError &Error);
    void CloseStep();
    void Append(std::deque<TStep> &List, TStep Step);
    void RaiseEvent();

    TKXCustomLab &FLab;
    std::deque<TStep> FUndoList;
    std::deque<TStep> FRedoList;
    int32_t FUndoRedoCapacity = DefaultCapacity;
    int32_t FElementsAfected = 1; // announced step size; 0 records nothing
    int32_t FElementsAdded = 0;   // entries in the open step
    bool FOpen = false;           // the last undo step is still taking entries
    std::vector<uint64_t> FOpenSerials; // elements in the open step
};

} // namespace kx
