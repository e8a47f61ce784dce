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
//   8 bits a pixel, so its image is as small and as cheap as it can be) and destroy;
// - zint: one reused symbol, cleared and encoded (its default encodation and FAST_MODE,
//   the standard's look-ahead).
// The sizes differ where the encoders choose differently: on the 100-byte lines zint's
// default encodation switches to C40/Text and gives smaller symbols than ASCII does (ours
// and libdmtx's), so it does more work for a different result. The summary counts the texts
// whose symbol size differs from ours next to each peer's figure.
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
            dmtxEncodeSetProp(enc, DmtxPropPixelPacking, DmtxPack8bppK);
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

// Symbol sizes (rows x columns) each encoder chooses for a set, outside the timing.
std::vector<std::pair<int, int>> OurSizes(int set)
{
    std::vector<std::pair<int, int>> sizes;
    kx::TBytesArray modules;
    for (const auto &s : Texts(set)) {
        uint16_t cols = 0, rows = 0;
        kx::EncodeECC200(kx::TBytesArray(s.begin(), s.end()), kx::TECC200Size::ecc200_Autosize,
                         kx::TECC200Shape::ecc200_Square, modules, cols, rows);
        sizes.emplace_back(rows, cols);
    }
    return sizes;
}

std::vector<std::pair<int, int>> LibdmtxSizes(int set)
{
    std::vector<std::pair<int, int>> sizes;
    for (std::string d : Texts(set)) {
        DmtxEncode *enc = dmtxEncodeCreate();
        dmtxEncodeSetProp(enc, DmtxPropScheme, DmtxSchemeAscii);
        dmtxEncodeSetProp(enc, DmtxPropSizeRequest, DmtxSymbolSquareAuto);
        dmtxEncodeSetProp(enc, DmtxPropModuleSize, 1);
        dmtxEncodeSetProp(enc, DmtxPropMarginSize, 0);
        dmtxEncodeSetProp(enc, DmtxPropPixelPacking, DmtxPack8bppK);
        dmtxEncodeDataMatrix(enc, int(d.size()), reinterpret_cast<unsigned char *>(d.data()));
        sizes.emplace_back(enc->region.symbolRows, enc->region.symbolCols);
        dmtxEncodeDestroy(&enc);
    }
    return sizes;
}

std::vector<std::pair<int, int>> ZintSizes(int set, int inputMode)
{
    std::vector<std::pair<int, int>> sizes;
    zint_symbol *z = ZBarcode_Create();
    for (const auto &d : Texts(set)) {
        ZBarcode_Clear(z);
        z->symbology = BARCODE_DATAMATRIX;
        z->input_mode = inputMode;
        z->option_3 = DM_SQUARE;
        ZBarcode_Encode(z, reinterpret_cast<const unsigned char *>(d.data()), int(d.size()));
        sizes.emplace_back(z->rows, z->width);
    }
    ZBarcode_Delete(z);
    return sizes;
}

int Differing(const std::vector<std::pair<int, int>> &a, const std::vector<std::pair<int, int>> &b)
{
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += a[i] != b[i];
    return n;
}

} // namespace

int main(int argc, char **argv)
{
    bench::RateReporter reporter;
    if (!bench::RunBenchmarks(argc, argv, reporter))
        return 1;

    std::printf("\nData Matrix encodes per second (ratio = ours / peer; with repetitions, medians)\n");
    for (const char *set : {"0", "1"}) {
        const int setNo = std::string(set) == "0" ? 0 : 1;
        std::printf("%s texts:\n", setNo == 0 ? "short" : "100-byte");
        const auto ours = reporter.rates.find(std::string("BM_Ours/") + set);
        const auto ourSizes = OurSizes(setNo);
        for (const char *name : {"BM_Ours", "BM_Libdmtx", "BM_Zint", "BM_ZintFast"}) {
            const auto it = reporter.rates.find(std::string(name) + "/" + set);
            if (it == reporter.rates.end())
                continue;
            std::printf("  %-12s %12.0f /s", name + 3, it->second);
            if (ours != reporter.rates.end() && it->second > 0)
                std::printf("   ratio %.2f", ours->second / it->second);
            const std::string who = name;
            if (who != "BM_Ours") {
                const auto sizes = who == "BM_Libdmtx" ? LibdmtxSizes(setNo)
                                                       : ZintSizes(setNo, who == "BM_Zint" ? DATA_MODE : DATA_MODE | FAST_MODE);
                const int differ = Differing(ourSizes, sizes);
                std::printf("   sizes differ from ours: %d of %d", differ, int(ourSizes.size()));
                if (differ > 0 && who != "BM_Libdmtx")
                    std::printf(" (C40/Text: smaller symbols, not the same work)");
            }
            std::printf("\n");
        }
    }
    return 0;
}
