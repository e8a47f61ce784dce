// One frame of dragging a selected element across the design surface: the element moves,
// the stale layers are brought up to date and the surface composes its off-screen image.
// The label holds 10, 100 or 1,000 unselected elements (texts, rectangles and barcodes in
// turn) on a 100 x 60 mm label, at zoom 100 % and 400 %. The unselected elements are on the
// elements layer, which a drag must not draw again: a frame should cost the same whatever
// their number. Reported as frames per second.
#include "barcode/KXBarcodeText.h"
#include "document/KXBaseLab.h"
#include "editor/KXEditor.h"
#include "elements/KXBarCode.h"
#include "elements/KXShapes.h"
#include "elements/KXText.h"
#include "surface/KXBackLab.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace kx;

void RequireApp()
{
    if (QCoreApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_surface_drag";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    (void)app;
}

// Element i of the filler: a text, a rectangle or a barcode, spread over the label.
void AddFiller(TKXCustomLab &Lab, int i)
{
    const int32_t x = 200 + (i * 731) % 8000, y = 200 + (i * 379) % 5000;
    std::unique_ptr<TKXElement> e;
    switch (i % 3) {
    case 0: {
        auto t = std::make_unique<TKXText>(&Lab);
        t->SetText(QStringLiteral("Item %1").arg(i));
        t->SetP1(x, y);
        e = std::move(t);
        break;
    }
    case 1: {
        auto r = std::make_unique<TKXRect>(&Lab);
        r->SetP1(x, y);
        r->SetP2(x + 1500, y + 800);
        e = std::move(r);
        break;
    }
    default: {
        auto b = std::make_unique<TKXBarCode>(&Lab);
        b->SetP1(x, y);
        b->SetCodeType(TKXBar::CODE128B);
        b->SetBarCode(QStringLiteral("PAL-%1").arg(i));
        e = std::move(b);
        break;
    }
    }
    // Added without a generated name: naming a new element scans all the others.
    Lab.AddElement(std::move(e), false);
}

void BM_DragFrame(benchmark::State &state)
{
    RequireApp();
    const int count = int(state.range(0));
    const TKXZoom zoom = state.range(1) == 400 ? TKXZoom::zm400 : TKXZoom::zm100;
    TKXCustomLab lab;
    lab.Measure()->SetLabelSizeMM(100, 60);
    for (int i = 0; i < count; ++i)
        AddFiller(lab, i);
    auto *dragged = lab.NewElement<TKXRect>();
    dragged->SetP1(4000, 2000);
    dragged->SetP2(6000, 3500);

    designer::TKXEditor editor;
    editor.SetScreenDpi(96, 96);
    editor.resize(1200, 900);
    editor.SetZantor(&lab);
    editor.SetZoom(zoom);
    editor.SetSelect(dragged);
    designer::TKXBackLab &surface = *editor.BackLab();
    surface.PaintBackScreen();
    const int eleBefore = editor.LayerRenders().Ele;

    int32_t step = 100;
    int frame = 0;
    for (auto _ : state) {
        // Back and forth by 1 mm, as a mouse drag moves it.
        if (++frame % 20 == 0)
            step = -step;
        dragged->MoveLayoutBy(step, step / 2);
        editor.FPaintSel = true;
        surface.PaintBackScreen();
        benchmark::DoNotOptimize(surface.BackScreen().constBits());
    }
    if (editor.LayerRenders().Ele != eleBefore)
        state.SkipWithError("the elements layer was drawn again during the drag");
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["surface_px"] = double(editor.GetViewWidth()) * editor.GetViewHeight();
    editor.LabelRemoved();
}

BENCHMARK(BM_DragFrame)
    ->ArgNames({"elements", "zoom"})
    ->Args({10, 100})
    ->Args({100, 100})
    ->Args({1000, 100})
    ->Args({10, 400})
    ->Args({100, 400})
    ->Args({1000, 400})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
