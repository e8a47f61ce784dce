// The symbologies zxing does not read (industrial and matrix 2 of 5, Code 11, MSI,
// POSTNET) are checked against zint 2.11: for the same data, our pattern and zint's symbol
// must be the same sequence of narrow and wide bars and spaces (POSTNET: the same sequence
// of full and half bars). With CheckSum, zint adds its own check characters to the bare
// text, so the comparison also proves ours.
#include "BarPatternRaster.h"

#include "barcode/KXBarcodePattern.h"
#include "barcode/KXBarcodeText.h"

#include <zint.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

namespace {

using kx::TKXBar;

struct ZintSymbol {
    std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol{ZBarcode_Create(), ZBarcode_Delete};
    int rc = 0;

    ZintSymbol(int symbology, const std::string &data, int option2)
    {
        symbol->symbology = symbology;
        symbol->option_2 = option2;
        rc = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(data.data()),
                             int(data.size()));
    }

    bool Ok() const { return rc < ZINT_ERROR; }

    bool Module(int row, int col) const
    {
        return (symbol->encoded_data[row][col >> 3] >> (col & 7)) & 1;
    }

    // Bar and space run lengths of row 0 in modules, bar first.
    std::vector<int> Runs() const
    {
        std::vector<int> runs;
        for (int col = 0; col < symbol->width; ++col) {
            const bool bar = Module(0, col);
            if (runs.empty() || bar != (runs.size() % 2 == 1))
                runs.push_back(1);
            else
                ++runs.back();
        }
        return runs;
    }
};

// Each width replaced by its rank among the distinct widths of the sequence: 0 narrow,
// 1 wide, 2 the wider start/stop bar of matrix 2 of 5. "1 3 1 3" and "2 6 2 6" agree.
std::vector<int> Ranks(const std::vector<int> &widths)
{
    std::vector<int> distinct = widths;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<int> ranks;
    for (int w : widths)
        ranks.push_back(int(std::lower_bound(distinct.begin(), distinct.end(), w) - distinct.begin()));
    return ranks;
}

std::string Show(const std::vector<int> &v)
{
    std::string s;
    for (int x : v)
        s += std::to_string(x);
    return s;
}

struct ZintCase {
    TKXBar bar;
    int symbology;
    std::string alphabet;
    double ratio;                     // drawing ratio (only the narrow/wide order matters)
    int (*checkOption)(const std::string &text); // zint's option_2 for our check characters
    int noCheckOption;
};

// Industrial and matrix 2 of 5: option 1 adds the mod-10 digit. Code 11: option 1 one check
// character, 0 two (ours: two from ten characters on), 2 none. MSI: option 1 mod 10.
const ZintCase ZintCases[] = {
    {TKXBar::INDUS_25, BARCODE_C25IND, "0123456789", 3.0, [](const std::string &) { return 1; }, 0},
    {TKXBar::MATRIX_25, BARCODE_C25STANDARD, "0123456789", 2.5, [](const std::string &) { return 1; }, 0},
    {TKXBar::CODE11, BARCODE_CODE11, "0123456789-", 2.0,
     [](const std::string &t) { return t.size() < 10 ? 1 : 0; }, 2},
    {TKXBar::MSI, BARCODE_MSI_PLESSEY, "0123456789", 2.0, [](const std::string &) { return 1; }, 0},
};

// gtest prints a failing parameter by its symbology.
void PrintTo(const ZintCase &c, std::ostream *os) { *os << kx::EnumName(c.bar); }

class AgainstZint : public testing::TestWithParam<ZintCase> {};

TEST_P(AgainstZint, ElementSequencesMatch)
{
    const ZintCase &c = GetParam();
    std::mt19937 rng(4242 + kx::Ord(c.bar));
    std::string deck = c.alphabet; // dealt first, so every character is reached
    int failures = 0;
    for (const bool checkSum : {false, true}) {
        for (int n = 0; n < 200; ++n) {
            std::string text;
            const size_t len = 1 + rng() % 18;
            for (size_t i = 0; i < len; ++i) {
                if (!deck.empty()) {
                    text += deck.back();
                    deck.pop_back();
                } else {
                    text += c.alphabet[rng() % c.alphabet.size()];
                }
            }
            ASSERT_TRUE(kx::ValidBarText(text, c.bar, checkSum));
            const std::string completed = kx::BarTextWithCheck(text, c.bar, checkSum);
            const std::string pattern = kx::BarPattern(completed, c.bar, checkSum, false);
            const std::vector<int> ours = zt::PatternRuns(pattern, zt::PatternWidths(4, c.ratio));

            const ZintSymbol z(c.symbology, text, checkSum ? c.checkOption(text) : c.noCheckOption);
            ASSERT_TRUE(z.Ok()) << z.symbol->errtxt;
            const std::vector<int> theirs = z.Runs();
            if (Ranks(ours) != Ranks(theirs) && ++failures <= 5)
                ADD_FAILURE() << kx::EnumName(c.bar) << " CheckSum=" << checkSum << " \"" << text
                              << "\" encoded \"" << completed << "\"\n ours  " << Show(Ranks(ours))
                              << "\n zint  " << Show(Ranks(theirs));
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(deck.empty());
}

INSTANTIATE_TEST_SUITE_P(Symbologies, AgainstZint, testing::ValuesIn(ZintCases),
                         [](const testing::TestParamInfo<ZintCase> &info) -> std::string {
                             return std::string(kx::EnumName(info.param.bar));
                         });

// POSTNET has no check digit of its own here (the text is encoded as it stands); zint always
// adds the standard one, so ours is given the text with that digit typed in.
TEST(AgainstZintPostnet, BarHeightsMatch)
{
    std::mt19937 rng(20);
    for (int n = 0; n < 200; ++n) {
        std::string text;
        const size_t len = 1 + rng() % 11;
        int sum = 0;
        for (size_t i = 0; i < len; ++i) {
            const int d = n < 10 && i == 0 ? n : int(rng() % 10); // every digit leads once
            text += char('0' + d);
            sum += d;
        }
        const std::string withCheck = text + char('0' + (10 - sum % 10) % 10);
        ASSERT_TRUE(kx::ValidBarText(withCheck, TKXBar::POSTNET, false));
        const std::string pattern =
            kx::BarPattern(kx::BarTextWithCheck(withCheck, TKXBar::POSTNET, false), TKXBar::POSTNET, false, false);

        std::string ours; // 'F' full bar, 'h' half bar
        for (char code : pattern)
            if (code == '5' || code == 'A')
                ours += code == '5' ? 'F' : 'h';
            else
                ASSERT_EQ(code, '1') << "POSTNET spaces are all one width";

        const ZintSymbol z(BARCODE_POSTNET, text, 0);
        ASSERT_TRUE(z.Ok()) << z.symbol->errtxt;
        ASSERT_EQ(z.symbol->rows, 2);
        std::string theirs; // bars stand on every other module; row 0 holds the tall ones
        for (int col = 0; col < z.symbol->width; ++col)
            if (z.Module(1, col))
                theirs += z.Module(0, col) ? 'F' : 'h';
        EXPECT_EQ(ours, theirs) << text;
    }
}

} // namespace
