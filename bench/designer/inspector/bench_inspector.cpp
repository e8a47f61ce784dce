// The inspector's rows for a selection: Inspect with 100 and 1,000 selected elements of
// mixed kinds (texts, compound texts, paragraphs, barcodes and PDF417 symbols in turn), so
// the common class is found by walking the class chain for every element. The cost should
// grow with the selection no faster than linearly; the rows themselves are those of the
// shared class (about a dozen) whatever the count.
#include "document/KXBaseLab.h"
#include "editor/KXEditor.h"
#include "elements/KXBarCode.h"
#include "elements/KXParagraph.h"
#include "elements/KXPdf417.h"
#include "elements/KXText.h"
#include "inspector/KXInspectorComponent.h"

#include <QApplication>

#include "BenchApp.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace kx;

TKXElement *AddMixed(TKXCustomLab &Lab, int i)
{
    switch (i % 5) {
    case 0:
        return Lab.NewElement<TKXText>();
    case 1:
        return Lab.NewElement<TKXAddText>();
    case 2:
        return Lab.NewElement<TKXParagraph>();
    case 3:
        return Lab.NewElement<TKXBarCode>();
    default:
        return Lab.NewElement<TKXPdf417>();
    }
}

void BM_Inspect(benchmark::State &State)
{
    RequireBenchApp();
    const int n = int(State.range(0));
    TKXCustomLab lab;
    lab.NewLabel();
    designer::TKXEditor editor;
    editor.SetZantor(&lab);
    designer::TKXInspector inspector;
    {
        // Elements first, the inspector afterwards, so setting up lists nothing.
        for (int i = 0; i < n; ++i)
            editor.AddToSelection(AddMixed(lab, i));
    }
    editor.SetInspector(&inspector);
    for (auto _ : State) {
        inspector.Inspect();
        benchmark::DoNotOptimize(inspector.PropCount());
    }
    State.counters["rows"] = inspector.PropCount();
    editor.SetInspector(nullptr);
    editor.ClearSelection();
}

BENCHMARK(BM_Inspect)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
