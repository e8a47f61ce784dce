// QR Code encoding speed: our encoder against libqrencode and zint on the same texts, level L,
// automatic version and mask. Each iteration encodes a whole set of 10,000 texts; the counter
// "encodes/s" is per text. The summary at the end gives each peer's rate as a ratio to ours.
#include "BenchCorpus.h"
#include "qrcode/KXQRCode.h"

#include <benchmark/benchmark.h>
#include <qrencode.h>
#include <zint.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct TextSet {
    std::vector<std::string> bytes;      // for the peers
    std::vector<std::u16string> wide;    // for our encoder (same characters)
};

TextSet MakeSet(unsigned seed, int minLen, int maxLen)
{
    TextSet s;
    s.bytes = bench::RandomAscii(seed, minLen, maxLen);
    for (const std::string &t : s.bytes)
        s.wide.emplace_back(t.begin(), t.end());
    return s;
}

const TextSet &ShortTexts()
{
    static const TextSet s = MakeSet(1, 5, 20);
    return s;
}

const TextSet &LongTexts()
{
    static const TextSet s = MakeSet(2, 100, 100);
    return s;
}

const TextSet &SetFor(const benchmark::State &state) { return state.range(0) == 0 ? ShortTexts() : LongTexts(); }

void BM_Ours(benchmark::State &state)
{
    const TextSet &set = SetFor(state);
    KXQRCode::TEncoder encoder;
    KXQRCode::TQRCode result;
    const KXQRCode::TErrorCorrectionLevel level = KXQRCode::TErrorCorrectionLevel::L();
    for (auto _ : state)
        for (const std::u16string &t : set.wide) {
            encoder.Encode(t, int(KXQRCode::TQRCodeEncoding::Automatic), level, result);
            benchmark::DoNotOptimize(result.Matrix());
        }
    if (encoder.EncoderError())
        state.SkipWithError("encoder error");
    bench::CountEncodes(state);
}

void BM_Libqrencode(benchmark::State &state)
{
    const TextSet &set = SetFor(state);
    for (auto _ : state)
        for (const std::string &t : set.bytes) {
            QRcode *qr = QRcode_encodeString8bit(t.c_str(), 0, QR_ECLEVEL_L);
            benchmark::DoNotOptimize(qr);
            QRcode_free(qr);
        }
    bench::CountEncodes(state);
}

void BM_Zint(benchmark::State &state)
{
    const TextSet &set = SetFor(state);
    zint_symbol *symbol = ZBarcode_Create();
    for (auto _ : state)
        for (const std::string &t : set.bytes) {
            ZBarcode_Clear(symbol);
            symbol->symbology = BARCODE_QRCODE;
            symbol->option_1 = 1; // level L
            symbol->input_mode = DATA_MODE;
            const int rc = ZBarcode_Encode(symbol, reinterpret_cast<const unsigned char *>(t.data()), int(t.size()));
            benchmark::DoNotOptimize(rc);
        }
    ZBarcode_Delete(symbol);
    bench::CountEncodes(state);
}

BENCHMARK(BM_Ours)->ArgName("texts100")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libqrencode)->ArgName("texts100")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zint)->ArgName("texts100")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    bench::RateReporter reporter;
    if (!bench::RunBenchmarks(argc, argv, reporter))
        return 1;

    std::printf("\nencodes per second (10,000 texts each), ratio to ours\n");
    for (const char *set : {"texts100:0", "texts100:1"}) {
        const double ours = reporter.rates["BM_Ours/" + std::string(set)];
        std::printf("%s\n", std::string(set) == "texts100:0" ? "short texts (5-20 bytes)" : "100-byte texts");
        for (const char *who : {"BM_Ours", "BM_Libqrencode", "BM_Zint"}) {
            const double rate = reporter.rates[std::string(who) + "/" + set];
            std::printf("  %-16s %12.0f /s   ours / this = %.2f\n", who + 3, rate, rate > 0 ? ours / rate : 0.0);
        }
    }
    return 0;
}
