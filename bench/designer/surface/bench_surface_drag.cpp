// One frame of dragging a selected rectangle across the design surface, the way the user
// does it: a mouse-move event reaches the surface widget (the element moves), and the
// surface is repainted at once (the stale layers are drawn, the frame composed and put on
// the widget). The editor is shown, 1200 x 900 pixels, on a 200 x 150 mm label holding 10,
// 100 or 1,000 unselected elements (texts, rectangles and barcodes in turn), at zoom 100 %,
// 400 % (surface 3024 x 2268) and 500 % (3780 x 2835). The unselected elements are on the
// elements layer, which a drag must not draw again: a frame should cost the same whatever
// their number, and stay under 16 ms (60 frames a second) at any zoom.
#include "barcode/KXBarcodeText.h"
#include "document/KXBaseLab.h"
#include "editor/KXEditor.h"
#include "elements/KXBarCode.h"
#include "elements/KXShapes.h"
#include "elements/KXText.h"
#include "surface/KXBackLab.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

#include "BenchApp.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace kx;

// Element i of the filler: a text, a rectangle or a barcode, spread over the label.
void AddFiller(TKXCustomLab &Lab, int i)
{
    const int32_t x = 200 + (i * 731) % 17000, y = 200 + (i * 379) % 13500;
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

void SendMouse(QWidget *W, QEvent::Type Type, QPoint At)
{
    const Qt::MouseButton button = Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(Type, QPointF(At), QPointF(W->mapToGlobal(At)), button, held, Qt::NoModifier);
    QApplication::sendEvent(W, &event);
}

TKXZoom ZoomOf(int64_t Percent)
{
    switch (Percent) {
    case 400: return TKXZoom::zm400;
    case 500: return TKXZoom::zm500;
    default: return TKXZoom::zm100;
    }
}

void BM_DragFrame(benchmark::State &state)
{
    RequireBenchApp();
    const int count = int(state.range(0));
    TKXCustomLab lab;
    lab.Measure()->SetLabelSizeMM(200, 150);
    for (int i = 0; i < count; ++i)
        AddFiller(lab, i);
    // Near the top-left corner, so it is in view at every zoom without scrolling.
    auto *dragged = lab.NewElement<TKXRect>();
    dragged->SetP1(1000, 1000);
    dragged->SetP2(2500, 2000);

    designer::TKXEditor editor;
    editor.SetScreenDpi(96, 96);
    editor.resize(1200, 900);
    editor.show();
    editor.SetZantor(&lab);
    editor.SetZoom(ZoomOf(state.range(1)));
    editor.SetSelect(dragged);
    designer::TKXBackLab &surface = *editor.BackLab();
    // The window is exposed once the platform has handled the show: only then does a repaint
    // paint.
    for (int i = 0; i < 50 && !editor.windowHandle()->isExposed(); ++i)
        QApplication::processEvents();
    surface.repaint();
    if (surface.BackScreen().isNull()) {
        state.SkipWithError("the surface was not painted");
        return;
    }

    // Grab the rectangle in its middle and move it back and forth by 10 pixels a frame.
    const TRect b = dragged->Border();
    QPoint at((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
    SendMouse(&surface, QEvent::MouseButtonPress, at);
    if (!surface.Drag) {
        state.SkipWithError("the press did not grab the element");
        return;
    }
    const int eleBefore = editor.LayerRenders().Ele;
    int step = 10;
    int frame = 0;
    for (auto _ : state) {
        if (++frame % 20 == 0)
            step = -step;
        at += QPoint(step, step / 2);
        SendMouse(&surface, QEvent::MouseMove, at);
        surface.repaint();
    }
    // (The moves may end where they began: one more, to see that they move the element.)
    const TRect before = dragged->Border();
    SendMouse(&surface, QEvent::MouseMove, at + QPoint(10, 10));
    const bool moved = dragged->Border() != before;
    SendMouse(&surface, QEvent::MouseButtonRelease, at + QPoint(10, 10));
    if (editor.LayerRenders().Ele != eleBefore)
        state.SkipWithError("the elements layer was drawn again during the drag");
    if (!moved)
        state.SkipWithError("the drag did not move the element");
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["surface_px"] = double(editor.GetViewWidth()) * editor.GetViewHeight();
    state.counters["frame_px"] = double(surface.BackScreen().width()) * surface.BackScreen().height();
}

BENCHMARK(BM_DragFrame)
    ->ArgNames({"elements", "zoom"})
    ->ArgsProduct({{10, 100, 1000}, {100, 400, 500}})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
