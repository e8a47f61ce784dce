// Counters: named numbering sequences of a label document (from, to, step, an optional
// number pattern and fixed numbers written before and after the value).
//
// A data element shows a counter's current value when its stored field name is the
// counter's name and it is drawn with the fill type ftCounter or ftFieldCounter. The
// document owns its counters (TKXCustomLab::NewCounter, ClearCounters, RemoveCounter); the
// print run and the preview activate them (InitCounters), step them (StepCounters) or set
// them to a label number (SetCountersToLabel), and each keeps its formatted value ready in
// FValue.
#pragma once

#include "core/KXTypes.h"

#include <QString>

#include <cstdint>

namespace kx {

class TKXCustomLab;
class TKXStreamReader;
class TKXStreamWriter;

class TKXCounter : public TObject {
public:
    // The document that owns it (not owning); null for a stand-alone record.
    explicit TKXCounter(TKXCustomLab *AOwner = nullptr) : FOwner(AOwner) {}

    TKXCustomLab *Owner() const { return FOwner; }

    // --- Properties (plain fields, no side effects) -------------------------------------
    int64_t Counter = 1;    // current value
    int64_t NumFrom = 1;    // first value
    int64_t NumTo = 100;    // last value (the sequence never passes it)
    int32_t Num = 100;      // kept with the counter; not used by the document
    int32_t Step = 1;       // from one value to the next; never 0 in a usable counter
    int32_t NumBefore = -1; // a number written before the value; -1 = none
    int32_t NumAfter = -1;  // a number written after the value; -1 = none
    bool FActive = false;   // used by a bound element in the current print run or preview
    QString Format;         // number pattern of the value (FormatFloat's); empty = decimal
    QString Name;           // what elements use as their field name
    QString FValue;         // the formatted current value the elements show

    // --- Sequence ------------------------------------------------------------------------
    // Whether the sequence can be printed: the step is not 0, and a negative step runs down
    // towards NumTo (NumTo <= NumFrom). A positive step with NumTo below NumFrom is a
    // sequence of its first value only, as label files have always had it.
    bool ValidStep() const;
    // Raises EKxError "INVALID COUNTER STEP :" followed by the name when !ValidStep().
    void CheckStep() const;
    // How many values the sequence has: 1 + (NumTo - NumFrom) / Step, truncated, at least
    // 1, at most the largest 32-bit number. Needs a valid step.
    int32_t ValueCount() const;
    // Sets Counter to the Index-th value (0 = NumFrom), never past the last value, and
    // rebuilds FValue. Needs a valid step.
    void SetToValue(int64_t Index);
    // Goes to the next value when the sequence has one (else keeps the value) and rebuilds
    // FValue.
    void StepValue();
    // Rebuilds FValue: NumBefore's digits (when not -1), the value by Format (or its decimal
    // digits), NumAfter's digits (when not -1).
    void FormatValue();

    // --- Streaming: the counter record -------------------------------------------------
    // NumFrom, NumTo (Int64), Num, Step, NumBefore, NumAfter (Int32), Format, Name (ANSI
    // string records). Counter, FActive and FValue are not stored.
    void SaveToStream(TKXStreamWriter &Stream) const;
    // Reads the record; a read counter starts at Counter 1 with an empty value.
    void LoadFromStream(TKXStreamReader &Stream);

private:
    TKXCustomLab *FOwner;
};

} // namespace kx
