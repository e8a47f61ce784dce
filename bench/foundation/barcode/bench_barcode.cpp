// One-dimensional barcodes: patterns per second over a mixed set of all 21 symbologies,
// texts of label-typical lengths. BarPattern alone is what every repaint pays after the
// text has been completed; the full path adds ValidBarText and BarTextWithCheck. zint
// encoding the same data is a peer figure for scale.
#include "barcode/KXBarcodePattern.h"
#include "barcode/KXBarcodeText.h"

#include <benchmark/benchmark.h>
#include <zint.h>

#include <cstring>
#include <vector>

namespace {

using kx::TKXBar;

struct Item {
    TKXBar bar;
    std::string text;
    bool checkSum;
    int zintSymbology;
};

const std::vector<Item> &MixedSet()
{
    static const std::vector<Item> items = {
        {TKXBar::EAN13, "400638133393", true, BARCODE_EANX},
        {TKXBar::EAN8, "9638507", true, BARCODE_EANX},
        {TKXBar::UPCA, "03600029145", true, BARCODE_UPCA},
        {TKXBar::UPCE0, "0425261", true, BARCODE_UPCE},
        {TKXBar::CODE39, "ART-2024/0815", true, BARCODE_CODE39},
        {TKXBar::CODE39EX, "Lot a-17 (b)", true, BARCODE_EXCODE39},
        {TKXBar::CODE93, "SHELF 12.4", false, BARCODE_CODE93},
        {TKXBar::CODE93EX, "Box 7 of 12", false, BARCODE_CODE93},
        {TKXBar::CODABAR, "31117013206375", false, BARCODE_CODABAR},
        {TKXBar::EAN128A, "10ABC123", false, BARCODE_GS1_128},
        {TKXBar::EAN128B, "10abc123", false, BARCODE_GS1_128},
        {TKXBar::EAN128C, "0109501101530003", false, BARCODE_GS1_128},
        {TKXBar::CODE128A, "PALLET 0042", false, BARCODE_CODE128},
        {TKXBar::CODE128B, "Order #88213-b", false, BARCODE_CODE128},
        {TKXBar::CODE128C, "12345678901234", true, BARCODE_CODE128},
        {TKXBar::INTER_25, "1234567890123", true, BARCODE_ITF14},
        {TKXBar::INDUS_25, "12345678", true, BARCODE_C25IND},
        {TKXBar::MATRIX_25, "12345678", true, BARCODE_C25STANDARD},
        {TKXBar::CODE11, "123-4567", true, BARCODE_CODE11},
        {TKXBar::MSI, "80523", true, BARCODE_MSI_PLESSEY},
        {TKXBar::POSTNET, "555551237", false, BARCODE_POSTNET},
    };
    return items;
}

// BarPattern over texts already completed, as the painter calls it on a repaint.
void BM_BarPattern(benchmark::State &state)
{
    struct Prepared {
        TKXBar bar;
        std::string text;
        bool checkSum;
    };
    std::vector<Prepared> prepared;
    for (const Item &i : MixedSet())
        prepared.push_back({i.bar, kx::BarTextWithCheck(i.text, i.bar, i.checkSum), i.checkSum});
    for (auto _ : state)
        for (const Prepared &p : prepared)
            benchmark::DoNotOptimize(kx::BarPattern(p.text, p.bar, p.checkSum, true));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(prepared.size()));
}
BENCHMARK(BM_BarPattern);

// Validation, completion and pattern: what one barcode drawing costs in this engine.
void BM_BarTextAndPattern(benchmark::State &state)
{
    const auto &items = MixedSet();
    for (auto _ : state)
        for (const Item &i : items) {
            if (!kx::ValidBarText(i.text, i.bar, i.checkSum))
                state.SkipWithError("invalid sample");
            const std::string text = kx::BarTextWithCheck(i.text, i.bar, i.checkSum);
            benchmark::DoNotOptimize(kx::BarPattern(text, i.bar, i.checkSum, true));
        }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(items.size()));
}
BENCHMARK(BM_BarTextAndPattern);

// Peer: zint encoding the same data into its module rows, one symbol cleared and reused
// as the other benchmarks use it (its cheapest way, as our engine allocates nothing
// between items either).
void BM_ZintEncode(benchmark::State &state)
{
    std::vector<std::string> data;
    for (const Item &i : MixedSet()) {
        std::string d = i.text;
        if (i.zintSymbology == BARCODE_GS1_128)
            d = "[" + d.substr(0, 2) + "]" + d.substr(2);
        data.push_back(d);
    }
    const auto &items = MixedSet();
    zint_symbol *s = ZBarcode_Create();
    for (auto _ : state)
        for (size_t k = 0; k < items.size(); ++k) {
            ZBarcode_Clear(s);
            s->symbology = items[k].zintSymbology;
            benchmark::DoNotOptimize(ZBarcode_Encode(
                s, reinterpret_cast<const unsigned char *>(data[k].data()), int(data[k].size())));
        }
    ZBarcode_Delete(s);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(items.size()));
}
BENCHMARK(BM_ZintEncode);

} // namespace

BENCHMARK_MAIN();
