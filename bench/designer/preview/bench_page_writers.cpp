// Saving one preview page as a picture: a full A4 sheet of 21 labels, each with a filled
// rectangle, an ellipse, a line and two texts, the labels of the second run clipped to
// circles. Each format is made in memory (PagePictureBytes: rendering and encoding, no disk);
// the counter "bytes" is the file's size.
#include "document/KXBaseLab.h"
#include "elements/KXShapes.h"
#include "elements/KXText.h"
#include "preview/KXPageWriters.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace kx;

std::unique_ptr<TKXCustomLab> Sheet(bool Circles)
{
    auto lab = std::make_unique<TKXCustomLab>();
    lab->Printer().SelectPdfFile({});
    auto *box = lab->NewElement<TKXRect>();
    box->SetP1(300, 300);
    box->SetP2(2800, 1900);
    box->SetBackColor(RGBColor(255, 215, 0));
    box->SetTransparent(false);
    auto *ring = lab->NewElement<TKXRect>();
    ring->SetP1(3200, 300);
    ring->SetP2(6000, 3400);
    ring->SetEllipse(true);
    ring->SetTransparent(false);
    auto *line = lab->NewElement<TKXLine>();
    line->SetP1(300, 3500);
    line->SetP2(6000, 2200);
    auto *text = lab->NewElement<TKXText>();
    text->SetP1(400, 2000);
    text->SetFontHeight(6);
    text->SetText("Zantor 42");
    auto *turned = lab->NewElement<TKXText>();
    turned->SetP1(5200, 400);
    turned->SetFontHeight(3);
    turned->SetAngle(90);
    turned->SetText("turned");
    if (Circles)
        lab->Measure()->SetLabelType(TZantorType::ltCircle);
    lab->PrintInfo()->SetNumLabs(21);
    lab->BuildOnDemandPreview();
    return lab;
}

void BM_SavePage(benchmark::State &State)
{
    const auto format = TKXPageFormat(State.range(0));
    const auto lab = Sheet(State.range(1) != 0);
    qsizetype bytes = 0;
    for (auto _ : State) {
        const QByteArray file = PagePictureBytes(*lab, 1, format);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    State.counters["bytes"] = double(bytes);
    static const char *const names[] = {"BMP", "JPEG", "GIF", "PNG", "EMF", "WMF"};
    State.SetLabel(names[State.range(0)]);
}

void Formats(benchmark::internal::Benchmark *B)
{
    B->ArgNames({"format", "circles"});
    for (TKXPageFormat f : {TKXPageFormat::Png, TKXPageFormat::Bmp, TKXPageFormat::Jpeg, TKXPageFormat::Gif,
                            TKXPageFormat::Emf, TKXPageFormat::Wmf})
        for (int circles : {0, 1})
            B->Args({int64_t(f), circles});
    B->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SavePage)->Apply(Formats);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
