// Drawing a barcode element: a Code 128 B element of 12 characters drawn onto the print
// canvas (the QPainter canvas over a 600 dpi label image, as a raster printer gets it), in
// elements per second, next to what the engine alone costs for the same value (validation,
// completion and pattern, as each drawing runs them).
#include "barcode/KXBarcodePattern.h"
#include "barcode/KXBarcodeText.h"
#include "document/KXBaseLab.h"
#include "elements/KXBarCode.h"
#include "platform/KXQtCanvas.h"

#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

const char *const Value = "PAL-2024-815"; // 12 characters

void BM_Code128Pattern(benchmark::State &state)
{
    for (auto _ : state) {
        const bool valid = kx::ValidBarText(Value, kx::TKXBar::CODE128B, false);
        kx::AnsiString code = kx::BarTextWithCheck(Value, kx::TKXBar::CODE128B, false);
        kx::AnsiString pattern = kx::BarPattern(code, kx::TKXBar::CODE128B, false, true);
        benchmark::DoNotOptimize(valid);
        benchmark::DoNotOptimize(pattern);
    }
    state.counters["patterns/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// The element drawn again and again onto one 60 x 30 mm label image at 600 dpi, with and
// without the text line under the bars.
void BM_DrawCode128Element(benchmark::State &state)
{
    const bool showNumber = state.range(0) != 0;
    kx::TKXCustomLab lab;
    auto *bar = lab.NewElement<kx::TKXBarCode>();
    bar->SetP1(300, 300);
    bar->SetCodeType(kx::TKXBar::CODE128B);
    bar->SetBarCode(QString::fromLatin1(Value));
    bar->SetBarWidth(0.254f); // 6 dots
    bar->SetShowNumber(showNumber);
    const double dpi = 600;
    QImage img(int(60 / 25.4 * dpi), int(30 / 25.4 * dpi), QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);
    kx::TKXQtCanvas canvas(&img);
    for (auto _ : state)
        bar->Draw(canvas, {0, 0}, kx::TKXDrawType::tdPrint, kx::TKXFillType::ftNone);
    state.counters["elements/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Code128Pattern);
BENCHMARK(BM_DrawCode128Element)->Arg(0)->Arg(1)->ArgName("text");

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
