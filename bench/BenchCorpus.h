// What the symbol encoding benchmarks share: the text sets they encode, the "encodes/s"
// counter and a reporter that keeps each run's rate for the closing summary of ratios.
// Every set is built once, seeded, so runs and peers see the same texts.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace bench {

// Texts in every set; each iteration encodes the whole set.
constexpr int kTexts = 10000;

// Short item codes: "ITEM-000001" .. "ITEM-010000".
inline const std::vector<std::string> &ItemCodes()
{
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        char buf[32];
        for (int i = 1; i <= kTexts; ++i) {
            std::snprintf(buf, sizeof buf, "ITEM-%06d", i);
            t.emplace_back(buf);
        }
        return t;
    }();
    return texts;
}

// 100 bytes each: label words in lower and upper case, numbers, punctuation, seeded.
inline const std::vector<std::string> &WordLines()
{
    static const std::vector<std::string> texts = [] {
        static const char *const words[] = {"Batch", "lot", "EXPIRY", "2027-03-31", "net", "weight",
                                            "12.5kg", "Made", "in", "EU", "order", "#4711",
                                            "customer", "ACME", "Corp.", "shelf", "B-07", "qty:",
                                            "250", "pcs", "serial", "SN0049321", "store", "cool"};
        std::mt19937 rng(100);
        std::vector<std::string> t;
        for (int i = 0; i < kTexts; ++i) {
            std::string s;
            while (s.size() < 100) {
                s += words[rng() % (sizeof words / sizeof words[0])];
                s += ' ';
            }
            s.resize(100);
            t.push_back(std::move(s));
        }
        return t;
    }();
    return texts;
}

// Random printable ASCII with lower-case letters (so that a QR Code encoder ends in byte
// mode), minLen..maxLen characters each, from the seed.
inline std::vector<std::string> RandomAscii(unsigned seed, int minLen, int maxLen)
{
    std::mt19937 rng(seed);
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,-/:_#@";
    std::vector<std::string> texts;
    for (int i = 0; i < kTexts; ++i) {
        const int n = minLen + int(rng() % unsigned(maxLen - minLen + 1));
        std::string t;
        for (int k = 0; k < n; ++k)
            t.push_back(alphabet[rng() % alphabet.size()]);
        texts.push_back(std::move(t));
    }
    return texts;
}

// The figure to compare: texts encoded per second of the run.
inline void CountEncodes(benchmark::State &state)
{
    state.counters["encodes/s"] =
        benchmark::Counter(double(state.iterations()) * kTexts, benchmark::Counter::kIsRate);
}

// Console output as usual, and the encodes per second of each benchmark kept for the
// summary: the run's own figure, or with --benchmark_repetitions the median of the
// repetitions (never the last one alone).
class RateReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> rates; // "BM_Ours/0" -> encodes per second

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.error_occurred)
                continue;
            const auto it = r.counters.find("encodes/s");
            if (it == r.counters.end())
                continue;
            const std::string name = r.run_name.str();
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
                rates[name] = it->second.value;
                medians.insert(name);
            } else if (r.run_type == Run::RT_Iteration && !medians.count(name)) {
                rates[name] = it->second.value; // replaced by the median when one follows
            }
        }
    }

private:
    std::set<std::string> medians;
};

// Runs the benchmarks the command line picks through Reporter. False for an unknown
// argument (already reported).
inline bool RunBenchmarks(int &argc, char **argv, RateReporter &Reporter)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return false;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    benchmark::Shutdown();
    return true;
}

} // namespace bench
