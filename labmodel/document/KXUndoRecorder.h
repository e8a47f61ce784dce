// Where element setters record their prior state for undo.
//
// The document owns the step size (`SetUnReIni`: 0 records nothing, n gathers the next n
// element changes into one step) and hands every change that is to be recorded to its
// recorder. The recorder writes the entry into the open step: the element's record before
// the change (urProp), its reference (urCreate) or its full record (urDelete). Entries refer
// to elements by their serial number (`TKXElement::Serial`), never by address.
#pragma once

#include "core/KXTypes.h"

#include <cstdint>

namespace kx {

class TKXElement;

// Where an element stands in a layout, which its record does not hold: the layout's
// identifier and the cell as the element carries them (identifier 0: in no layout), and its
// place among the layout's members (-1: not a member).
struct TKXLayoutCell {
    int32_t LayoutID = 0;
    uint16_t Col = 0;
    uint16_t Row = 0;
    int32_t Index = -1;
    bool operator==(const TKXLayoutCell &) const = default;
};

class TKXUndoRecorder {
public:
    virtual ~TKXUndoRecorder() = default;

    // Called only while the step size is above 0, before the element changes.
    virtual void RecordUndo(TKXURAction Kind, TKXElement &Element) = 0;
    // The document's step size was set (SetUnReIni); the next entry opens a new step.
    virtual void StepSizeChanged(int32_t ElementsAfected) = 0;
    // The history is to be emptied (Clear, NewLabel, loading).
    virtual void ClearUndoRedo() = 0;

    // Opens a new step with its first entry, and adds one entry to the open step; a history
    // without steps of its own records them as any other change.
    virtual void BeginUndoRecord(TKXURAction Kind, TKXElement &Element) { RecordUndo(Kind, Element); }
    virtual void AddUndoElement(TKXURAction Kind, TKXElement &Element) { RecordUndo(Kind, Element); }
    // As RecordUndo(urProp, Element), with Record (the element's full record, as its
    // SaveToStream wrote it earlier) and Cell (its layout cell at that time) as the state to
    // go back to: a change that was made in several steps (a mouse drag) is undone to the
    // state before its first step. A history that keeps no records records the element as
    // any other change.
    virtual void RecordUndoState(TKXElement &Element, const TBytesArray &Record, const TKXLayoutCell &Cell)
    {
        (void)Record;
        (void)Cell;
        RecordUndo(TKXURAction::urProp, Element);
    }
    // Replays the last undo (urUndo) or redo (urRedo) step; false when there is none.
    virtual bool UndoRedo(TKXURAction) { return false; }
    virtual int32_t UndoCount() const { return 0; }
    virtual int32_t RedoCount() const { return 0; }
};

} // namespace kx
