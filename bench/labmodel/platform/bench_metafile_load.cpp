// What loading a metafile picture costs now that the library converts it in a child process
// of its own: a whole load (walk, child, SVG parse) of a small placeable metafile, and the
// child process alone around work that does nothing.
#include "platform/KXBoundedRun.h"
#include "platform/KXPicture.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

using namespace kx;

namespace {

QByteArray Le16(uint16_t v)
{
    return QByteArray(1, char(v & 0xFF)) + QByteArray(1, char(v >> 8));
}

QByteArray Le32(uint32_t v)
{
    return Le16(uint16_t(v & 0xFFFF)) + Le16(uint16_t(v >> 16));
}

QByteArray Record(uint16_t Function, std::initializer_list<uint16_t> Params)
{
    QByteArray r = Le32(uint32_t(3 + Params.size())) + Le16(Function);
    for (uint16_t p : Params)
        r += Le16(p);
    return r;
}

// A 2 x 1 inch placeable metafile with Rects rectangles.
QByteArray Placeable(int Rects)
{
    QByteArray head = Le32(0x9AC6CDD7u) + Le16(0) + Le16(0) + Le16(0) + Le16(200) + Le16(100) + Le16(100) + Le32(0);
    uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= uint16_t(uint8_t(head[i]) | (uint8_t(head[i + 1]) << 8));
    head += Le16(sum);
    QByteArray rec = Record(0x020B, {0, 0}) + Record(0x020C, {100, 200}) + Record(0x02FC, {0, 0x00FF, 0, 0}) +
                     Record(0x012D, {0});
    for (int i = 0; i < Rects; ++i)
        rec += Record(0x041B, {uint16_t(10 + i % 90), uint16_t(10 + i % 190), uint16_t(i % 90), uint16_t(i % 190)});
    rec += Record(0x0000, {});
    const QByteArray meta = Le16(1) + Le16(9) + Le16(0x0300) + Le32(uint32_t((18 + rec.size()) / 2)) + Le16(1) +
                            Le32(8) + Le16(0);
    return head + meta + rec;
}

void BM_LoadPlaceableMetafile(benchmark::State &State)
{
    const QByteArray wmf = Placeable(int(State.range(0)));
    for (auto _ : State) {
        TKXGraphic g;
        if (!g.Load(TKXGraphicClass::gcMetafile, wmf))
            State.SkipWithError("did not load");
        benchmark::DoNotOptimize(g.PixelSize());
    }
}
BENCHMARK(BM_LoadPlaceableMetafile)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ChildProcessAlone(benchmark::State &State)
{
    for (auto _ : State)
        benchmark::DoNotOptimize(RunBounded([] { return QByteArray("x"); }));
}
BENCHMARK(BM_ChildProcessAlone)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
