// The pieces a print or preview run is made of: where its pages go (a page target), what
// it needs of the label's data binding and counters (run data), and the arithmetic of the
// sheet (how many labels a page holds, where each one sits).
//
// The run itself is the document's (TKXCustomLab::PrintLabels, PrintPages and the preview
// operations); one page loop serves the printer, preview pages and, in tests, a recording
// canvas.
#pragma once

#include "core/KXTypes.h"
#include "core/KXUtils.h"

#include <cstdint>
#include <vector>

namespace kx {

class TKXCanvas;
class TKXDataSet;
class TKXMeasure;
class TKXPrintInfo;

// Where the pages of a run are drawn.
class TKXPageTarget {
public:
    virtual ~TKXPageTarget() = default;

    // tdPrint or tdPreview: what the elements and the background are told.
    virtual TKXDrawType DrawType() const = 0;
    // Starts page PageNo (from 1, in order) and answers its canvas in hundredths of a
    // millimetre. Raises EKxError when the page cannot be started.
    virtual TKXCanvas &BeginPage(int32_t PageNo) = 0;
    // The page is complete.
    virtual void EndPage(int32_t PageNo) = 0;
    // Subtracted from every label position: the printer's offset of its printable area on
    // the sheet (the canvas's origin); none on preview pages, whose origin is the sheet's.
    virtual TPoint Offset() const { return {}; }
    // The area handed to the background painter; the whole page.
    virtual TRect PageRect() const { return {}; }
};

// What a run needs of the label's data binding and counters. The document has its own;
// another can be installed (a data module of the application, a test).
class TKXRunData {
public:
    virtual ~TKXRunData() = default;

    // Tests and prepares the binding for a run (field names checked, print range brought to
    // the record count); true when the label prints from a dataset. Raises EKxError when the
    // dataset cannot be opened or a bound field is missing.
    virtual bool ValidateData() = 0;
    // The bound master and detail datasets; null when none.
    virtual TKXDataSet *Master() = 0;
    virtual TKXDataSet *Detail() = 0;
    // Activates the counters that bound elements use; answers the labels they fill (0: none).
    virtual int32_t InitCounters() = 0;
    // Every active counter to its next value.
    virtual void StepCounters() = 0;
    // Every active counter to its n-th value (1-based).
    virtual void SetCountersToLabel(int32_t n) = 0;
    // The counters' current values, and putting them back.
    virtual std::vector<int64_t> CounterValues() = 0;
    virtual void RestoreCounterValues(const std::vector<int64_t> &Values) = 0;
};

// The label positions of a sheet, in hundredths of a millimetre from the sheet's top-left
// corner, and the page arithmetic of a run. FirstRow and FirstCol are brought into the
// sheet here, so a sheet made smaller after they were set never loses its first page.
struct TKXSheetGeometry {
    int32_t Cols = 1;       // labels across (NuVer)
    int32_t Rows = 1;       // rows of labels (NuHor)
    int32_t FirstCol = 1;   // 1 .. Cols: where the first page starts
    int32_t FirstRow = 1;   // 1 .. Rows
    int32_t MarLeft = 0;
    int32_t MarTop = 0;
    int32_t Width = 0;      // label
    int32_t Height = 0;
    int32_t DiHor = 0;      // gaps
    int32_t DiVer = 0;

    static TKXSheetGeometry Of(const TKXMeasure &Measure, const TKXPrintInfo &PrintInfo);

    // Labels on a full page, and on the first page (the positions before FirstRow, FirstCol
    // stay empty).
    int64_t PerPage() const { return int64_t(Cols) * Rows; }
    int64_t OnFirstPage() const { return int64_t(Cols) * (Rows - FirstRow + 1) - (FirstCol - 1); }
    // Pages for Labels labels; at least 1 (a run without labels still has its page).
    int32_t PageCount(int64_t Labels) const;
    // Labels on the pages before PageNo.
    int64_t LabelsBefore(int32_t PageNo) const;
    // Top-left corner of the label at column c, row r (1-based); computed in 64 bits and
    // kept on the 32-bit range, so a damaged sheet cannot overflow.
    TPoint LabelPos(int32_t c, int32_t r) const
    {
        return {ClampCoord(MarLeft + (int64_t(c) - 1) * (int64_t(Width) + DiHor)),
                ClampCoord(MarTop + (int64_t(r) - 1) * (int64_t(Height) + DiVer))};
    }
};

// Where a stretch of the page loop starts.
struct TKXLoopStart {
    int32_t Page = 1;       // page number of the first page drawn
    int32_t Col = 1;        // position of the first label
    int32_t Row = 1;
    int64_t Labels = 0;     // labels to draw
    int64_t Rep = 1;        // labels left for the current record
    bool PageBreaks = true; // false: one page only
};

} // namespace kx
