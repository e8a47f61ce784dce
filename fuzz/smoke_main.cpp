// Runs a fuzz target's entry point without libFuzzer: over every file of the folders given
// and a fixed set of mutations of each (bytes flipped, dropped, repeated, cut, and the
// characters a reader treats specially put in), so the ordinary and the sanitizer builds
// exercise the target on every test run. The seed is fixed: a failure repeats.
// Exit status 0 when every input passed (the target aborts on a fault).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size);

namespace {

void Run(const std::string &Bytes)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(Bytes.data()), Bytes.size());
}

std::string Mutate(std::string s, std::mt19937 &rng)
{
    static const std::string tokens[] = {"[", "]", "=", ";", "\r", "\n", "\r\n", " ", "\t", "\xEF\xBB\xBF",
                                         "\xE2\x82\xAC", "$", "0x", "-", ",", ".", "e", std::string(1, '\0'),
                                         "9999999999", "\xFF"};
    const int steps = 1 + int(rng() % 4);
    for (int i = 0; i < steps; ++i) {
        const std::size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
        switch (rng() % 5) {
        case 0: // flip a byte
            if (at < s.size())
                s[at] = char(s[at] ^ (1u << (rng() % 8)));
            break;
        case 1: // drop a run
            if (at < s.size())
                s.erase(at, 1 + rng() % 8);
            break;
        case 2: // repeat a run
            if (at < s.size())
                s.insert(at, s.substr(at, 1 + rng() % 16));
            break;
        case 3: // cut
            s.resize(at);
            break;
        default:
            s.insert(at, tokens[rng() % std::size(tokens)]);
            break;
        }
    }
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> seeds{std::string()};
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path root(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(root)) {
            for (const auto &entry : std::filesystem::directory_iterator(root))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else {
            files.push_back(root);
        }
        for (const auto &file : files) {
            std::ifstream in(file, std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    std::mt19937 rng(20261211);
    std::size_t runs = 0;
    for (const std::string &seed : seeds) {
        Run(seed);
        ++runs;
        for (int m = 0; m < 2000; ++m) {
            Run(Mutate(seed, rng));
            ++runs;
        }
    }
    std::printf("%zu inputs from %zu seeds passed\n", runs, seeds.size());
    return seeds.size() > 1 ? 0 : 1; // no seed files: the corpus was not found
}
