// Data Matrix encoding speed: our encoder against libdmtx and zint on the same texts.
//
// Two sets of 10,000 texts: short item codes ("ITEM-000001" ...) and 100-byte lines of
// mixed text. Every iteration encodes the whole set; the "encodes/s" counter is the
// figure to compare. At the end the encodes per second of each library and the ratios
// to ours are printed.
//
// What each peer does per call, as its users call it:
// - ours: EncodeECC200 into a reused module vector (the element keeps its grid the same way);
// - libdmtx: create, encode (ASCII scheme, square auto size, 1 pixel a module, no margin,
//   so its image is as small as it can be) and destroy;
// - zint: one reused symbol, cleared and encoded (its default encodation and FAST_MODE,
//   the standard's look-ahead).
#include "BenchCorpus.h"
#include "datamatrix/KXDataMatrix.h"

#include <benchmark/benchmark.h>
#include <dmtx.h>
#include <zint.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using bench::kTexts;

const std::vector<std::string> &Texts(int set)
{
    return set == 0 ? bench::ItemCodes() : bench::WordLines();
}

void Finish(benchmark::State &state, int set)
{
    state.SetItemsProcessed(int64_t(state.iterations()) * kTexts);
    bench::CountEncodes(state);
    state.SetLabel(set == 0 ? "short" : "100-byte");
}

void BM_Ours(benchmark::State &state)
{
    const int set = int(state.range(0));
    std::vector<kx::TBytesArray> data;
    for (const auto &s : Texts(set))
        data.emplace_back(s.begin(), s.end());
    kx::TBytesArray modules;
    uint16_t cols = 0, rows = 0;
    for (auto _ : state) {
        for (const auto &d : data) {
            kx::EncodeECC200(d, kx::TECC200Size::ecc200_Autosize, kx::TECC200Shape::ecc200_Square, modules,
                             cols, rows);
            benchmark::DoNotOptimize(modules.data());
        }
    }
    Finish(state, set);
}

void BM_Libdmtx(benchmark::State &state)
{
    const int set = int(state.range(0));
    std::vector<std::string> data = Texts(set);
    for (auto _ : state) {
        for (auto &d : data) {
            DmtxEncode *enc = dmtxEncodeCreate();
            dmtxEncodeSetProp(enc, DmtxPropScheme, DmtxSchemeAscii);
            dmtxEncodeSetProp(enc, DmtxPropSizeRequest, DmtxSymbolSquareAuto);
            dmtxEncodeSetProp(enc, DmtxPropModuleSize, 1);
            dmtxEncodeSetProp(enc, DmtxPropMarginSize, 0);
            if (dmtxEncodeDataMatrix(enc, int(d.size()), reinterpret_cast<unsigned char *>(d.data())) != DmtxPass)
                state.SkipWithError("libdmtx failed");
            benchmark::DoNotOptimize(enc->message);
            dmtxEncodeDestroy(&enc);
        }
    }
    Finish(state, set);
}

void RunZint(benchmark::State &state, int inputMode)
{
    const int set = int(state.range(0));
    const std::vector<std::string> &data = Texts(set);
    zint_symbol *z = ZBarcode_Create();
    for (auto _ : state) {
        for (const auto &d : data) {
            ZBarcode_Clear(z);
            z->symbology = BARCODE_DATAMATRIX;
            z->input_mode = inputMode;
            z->option_3 = DM_SQUARE;
            if (ZBarcode_Encode(z, reinterpret_cast<const unsigned char *>(d.data()), int(d.size())) >= ZINT_ERROR)
                state.SkipWithError(z->errtxt);
            benchmark::DoNotOptimize(z->encoded_data);
        }
    }
    ZBarcode_Delete(z);
    Finish(state, set);
}

void BM_Zint(benchmark::State &state)
{
    RunZint(state, DATA_MODE);
}

void BM_ZintFast(benchmark::State &state)
{
    RunZint(state, DATA_MODE | FAST_MODE);
}

BENCHMARK(BM_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libdmtx)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZintFast)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    bench::RateReporter reporter;
    if (!bench::RunBenchmarks(argc, argv, reporter))
        return 1;

    std::printf("\nData Matrix encodes per second (ratio = ours / peer)\n");
    for (const char *set : {"0", "1"}) {
        std::printf("%s texts:\n", std::string(set) == "0" ? "short" : "100-byte");
        const auto ours = reporter.rates.find(std::string("BM_Ours/") + set);
        for (const char *name : {"BM_Ours", "BM_Libdmtx", "BM_Zint", "BM_ZintFast"}) {
            const auto it = reporter.rates.find(std::string(name) + "/" + set);
            if (it == reporter.rates.end())
                continue;
            std::printf("  %-12s %12.0f /s", name + 3, it->second);
            if (ours != reporter.rates.end() && it->second > 0)
                std::printf("   ratio %.2f", ours->second / it->second);
            std::printf("\n");
        }
    }
    return 0;
}
