// Label loading speed: a label of N single-line texts (1,000, 10,000 and 100,000), saved once
// to memory and read back through LoadLabStream, as opening a file does. The counter gives
// elements read per second; it should stay flat as N grows (reading is linear in the number
// of elements).
#include "document/KXBaseLab.h"
#include "elements/KXText.h"
#include "stream/KXStream.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>

namespace {

// The saved label of Texts texts, each with its own name, position and content.
const kx::TBytesArray &LabelOf(int Texts)
{
    static std::map<int, kx::TBytesArray> made;
    if (auto it = made.find(Texts); it != made.end())
        return it->second;
    kx::TKXCustomLab lab;
    lab.SetUnReIni(0);
    kx::TKXUnnamedElements unnamed(lab); // named here, each in one step
    for (int i = 0; i < Texts; ++i) {
        auto *t = lab.NewElement<kx::TKXText>();
        t->SetID(QStringLiteral("Text%1").arg(i + 1));
        t->SetP1(100 + (i % 50) * 100, 100 + (i / 50 % 30) * 100);
        t->SetText(QStringLiteral("Article %1").arg(i + 1));
    }
    kx::TKXStreamWriter out;
    lab.SaveToStream(out);
    return made[Texts] = out.TakeBytes();
}

void BM_LoadTexts(benchmark::State &state)
{
    const int texts = int(state.range(0));
    const kx::TBytesArray &bytes = LabelOf(texts); // made before the clock runs
    for (auto _ : state) {
        kx::TKXCustomLab lab;
        kx::TKXStreamReader in(bytes);
        lab.LoadLabStream(in, false);
        if (lab.ElementCount() != texts)
            state.SkipWithError("not every element was read");
        benchmark::DoNotOptimize(lab.ElementCount());
    }
    state.counters["elements/s"] =
        benchmark::Counter(double(texts) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes"] = double(bytes.size());
}

BENCHMARK(BM_LoadTexts)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

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
