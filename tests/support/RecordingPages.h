// Pages of a print or preview run drawn onto recording canvases (one per page), a stand-in
// for the label's binding and counters, and an element that writes what a label shows: the
// master's "ID" field and the first counter's value.
#pragma once

#include "document/KXBaseLab.h"
#include "MemoryDataset.h"
#include "print/KXPrintRun.h"
#include "RecordingCanvas.h"
#include "TestElements.h"

#include <memory>
#include <string>
#include <vector>

namespace zt {

class RecordingPages : public kx::TKXPageTarget {
public:
    explicit RecordingPages(kx::TKXDrawType DrawType = kx::TKXDrawType::tdPrint, kx::TPoint Offset = {})
        : FDrawType(DrawType), FOffset(Offset) {}

    kx::TKXDrawType DrawType() const override { return FDrawType; }
    kx::TKXCanvas &BeginPage(int32_t PageNo) override;
    void EndPage(int32_t PageNo) override;
    kx::TPoint Offset() const override { return FOffset; }

    struct Page {
        int32_t PageNo = 0;
        bool Ended = false;
        std::unique_ptr<RecordingCanvas> Canvas;
    };
    std::vector<Page> Pages;

    // The texts written on page Index (0-based), as "text@x,y".
    std::vector<std::string> Labels(size_t Index) const;
    // Only the texts, every page in order.
    std::vector<std::string> AllTexts() const;

private:
    kx::TKXDrawType FDrawType;
    kx::TPoint FOffset;
};

// Counters in the manner of the document's: from, to, step; active after InitCounters.
struct TestCounter {
    int64_t From = 1;
    int64_t To = 100;
    int32_t Step = 1;
    int64_t Value = 1;
    bool Active = false;
};

class TestRunData : public kx::TKXRunData {
public:
    // The master; ValidateData opens it and answers true while Bound is set.
    MemoryDataset *Master_ = nullptr;
    bool Bound = true;
    std::vector<TestCounter> Counters;

    bool ValidateData() override;
    kx::TKXDataSet *Master() override { return Bound ? Master_ : nullptr; }
    kx::TKXDataSet *Detail() override { return nullptr; }
    int32_t InitCounters() override;
    void StepCounters() override;
    void SetCountersToLabel(int32_t n) override;
    std::vector<int64_t> CounterValues() override;
    void RestoreCounterValues(const std::vector<int64_t> &Values) override;
};

// Writes "R<ID>" (the master's ID field) with a field fill, "C<value>" (the first counter)
// with a counter fill, both with a field-and-counter fill, "-" with no fill, at P1.
class ProbeText : public TestText {
public:
    ProbeText(kx::TKXCustomLab *Lab, TestRunData &Data) : TestText(Lab), FData(Data) {}
    void Draw(kx::TKXCanvas &Canvas, kx::TPoint po, kx::TKXDrawType DrawType, kx::TKXFillType Fill) override;

private:
    TestRunData &FData;
};

// A master "Items" with the fields ID (1, 2, ...) and REP (the given repetitions; none when
// empty) holding Count records.
std::unique_ptr<MemoryDataset> MakeItems(int Count, const std::vector<int> &Rep = {});

} // namespace zt
