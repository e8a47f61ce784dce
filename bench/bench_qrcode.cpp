// QR Code encoding speed: our encoder against libqrencode and zint on the same texts, level L,
// automatic version and mask. Each iteration encodes a whole set of 10,000 texts; the counter
// "encodes/s" is per text. The summary at the end gives each peer's rate as a ratio to ours.
#include "KXQRCode.h"

#include <benchmark/benchmark.h>
#include <qrencode.h>
#include <zint.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kTexts = 10000;

struct TextSet {
    std::vector<std::string> bytes;      // for the peers
    std::vector<std::u16string> wide;    // for our encoder (same characters)
};

// Printable ASCII with lower-case letters, so that every encoder ends in byte mode.
TextSet MakeSet(unsigned seed, int minLen, int maxLen)
{
    std::mt19937 rng(seed);
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,-/:_#@";
    TextSet s;
    for (int i = 0; i < kTexts; ++i) {
        const int n = minLen + int(rng() % unsigned(maxLen - minLen + 1));
        std::string t;
        for (int k = 0; k < n; ++k)
            t.push_back(alphabet[rng() % alphabet.size()]);
        s.wide.emplace_back(t.begin(), t.end());
        s.bytes.push_back(std::move(t));
    }
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

void Finish(benchmark::State &state)
{
    state.counters["encodes/s"] = benchmark::Counter(double(state.iterations()) * kTexts, benchmark::Counter::kIsRate);
}

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
    Finish(state);
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
    Finish(state);
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
    Finish(state);
}

BENCHMARK(BM_Ours)->ArgName("texts100")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libqrencode)->ArgName("texts100")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zint)->ArgName("texts100")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Keeps each run's rate for the closing summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred) {
                const auto it = r.counters.find("encodes/s");
                if (it != r.counters.end())
                    rates[r.benchmark_name()] = it->second.value;
            }
    }
    std::map<std::string, double> rates;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

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
