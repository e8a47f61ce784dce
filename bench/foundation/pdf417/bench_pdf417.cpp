// PDF417 encoding speed: our encoder against zint on the same texts.
//
// Two sets of 10,000 texts: short item codes ("ITEM-000001" ...) and 100-byte lines of
// mixed text. Every iteration encodes the whole set; the "encodes/s" counter is the figure
// to compare. At the end the encodes per second of each and the ratio to ours are printed.
//
// Both sides end with the finished rows of modules, as a symbol is drawn from them:
// - ours: Encode (compaction, automatic level and grid, check codewords) and
//   MakeModuleRows into a reused vector, one byte a module;
// - zint: one reused symbol, cleared and encoded with BARCODE_PDF417 and its automatic
//   level and size; its result is the symbol's module rows (encoded_data).
#include "BenchCorpus.h"
#include "pdf417/KXPdf417Code.h"

#include <benchmark/benchmark.h>
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
    const std::vector<std::string> &data = Texts(set);
    kx::TKXPdf417Code code;
    std::vector<uint8_t> modules;
    for (auto _ : state) {
        for (const auto &d : data) {
            code.Encode(d);
            code.MakeModuleRows(false, modules);
            if (modules.empty())
                state.SkipWithError("no symbol");
            benchmark::DoNotOptimize(modules.data());
        }
    }
    Finish(state, set);
}

void BM_Zint(benchmark::State &state)
{
    const int set = int(state.range(0));
    const std::vector<std::string> &data = Texts(set);
    zint_symbol *z = ZBarcode_Create();
    for (auto _ : state) {
        for (const auto &d : data) {
            ZBarcode_Clear(z);
            z->symbology = BARCODE_PDF417;
            z->input_mode = DATA_MODE;
            if (ZBarcode_Encode(z, reinterpret_cast<const unsigned char *>(d.data()), int(d.size())) >= ZINT_ERROR)
                state.SkipWithError(z->errtxt);
            benchmark::DoNotOptimize(z->encoded_data);
        }
    }
    ZBarcode_Delete(z);
    Finish(state, set);
}

BENCHMARK(BM_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    bench::RateReporter reporter;
    if (!bench::RunBenchmarks(argc, argv, reporter))
        return 1;

    std::printf("\nPDF417 encodes per second (ratio = ours / zint)\n");
    for (const char *set : {"0", "1"}) {
        const auto ours = reporter.rates.find(std::string("BM_Ours/") + set);
        const auto zint = reporter.rates.find(std::string("BM_Zint/") + set);
        if (ours == reporter.rates.end() || zint == reporter.rates.end())
            continue;
        std::printf("  %-9s ours %12.0f /s   zint %12.0f /s   ratio %.2f\n",
                    std::string(set) == "0" ? "short" : "100-byte", ours->second, zint->second,
                    zint->second > 0 ? ours->second / zint->second : 0.0);
    }
    return 0;
}
