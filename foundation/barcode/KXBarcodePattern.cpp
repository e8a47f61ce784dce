#include "barcode/KXBarcodePattern.h"

#include "barcode/KXBarcodeTables.h"
#include "barcode/KXBarcodeText.h"
#include "core/KXUtils.h"

namespace kx {

namespace {

// The digit value of the character at i; a missing or non-digit character counts as 0, so
// a text that skipped validation never reads outside the tables.
int DigitAt(std::string_view text, size_t i)
{
    return i < text.size() && text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : 0;
}

// Turns the module counts appended since `from` into width codes in place.
void ShiftInPlace(AnsiString &s, size_t from)
{
    for (size_t i = from; i < s.size(); ++i)
        s[i] = char(s[i] + ((i - from) % 2 == 0 ? 4 : -1));
}

// ---------------------------------------------------------------------------------------
// EAN / UPC

struct Guards {
    std::string_view Edge, Centre, UpcEEnd;
};

Guards GuardsFor(bool showNumber)
{
    if (showNumber)
        return {"949", "49494", "494949"};
    return {"505", "05050", "050505"};
}

void Ean13(AnsiString &p, std::string_view text, const Guards &g)
{
    const std::string_view parity = Ean13Parity[size_t(DigitAt(text, 0))];
    p += g.Edge;
    for (size_t k = 0; k < 6; ++k) {
        const int d = DigitAt(text, 1 + k);
        p += parity[k] == 'A' ? EanSetA[size_t(d)] : EanSetB[size_t(d)];
    }
    p += g.Centre;
    for (size_t i = 7; i < 13; ++i)
        p += EanSetC[size_t(DigitAt(text, i))];
    p += g.Edge;
}

// EAN-8 and UPC-A: the left half from set A, the right half from set C.
void EanTwoHalves(AnsiString &p, std::string_view text, size_t half, const Guards &g)
{
    p += g.Edge;
    for (size_t i = 0; i < half; ++i)
        p += EanSetA[size_t(DigitAt(text, i))];
    p += g.Centre;
    for (size_t i = half; i < 2 * half; ++i)
        p += EanSetC[size_t(DigitAt(text, i))];
    p += g.Edge;
}

// UPC-E, number system 0: the six digits take odd parity (set A) or even parity (set C
// read backwards) as the parity row of the check digit says; the number-system digit is
// carried by that parity and not drawn.
void UpcE(AnsiString &p, std::string_view text, const Guards &g)
{
    const std::string_view parity = UpcEParity[size_t(DigitAt(text, 7))];
    p += g.Edge;
    for (size_t k = 0; k < 6; ++k) {
        const int d = DigitAt(text, 1 + k);
        if (parity[k] == 'O') {
            p += EanSetA[size_t(d)];
        } else {
            const std::string_view c = EanSetC[size_t(d)];
            p.append(c.rbegin(), c.rend());
        }
    }
    p += g.UpcEEnd;
}

// ---------------------------------------------------------------------------------------
// Code 39, Code 93, Codabar

// Start and stop asterisks, a narrow gap after every character but the stop.
void Code39(AnsiString &p, std::string_view symbolChars, char rawLast = 0)
{
    const std::string_view star = Code39Table[Code39AsteriskRow].Codes;
    p += star;
    p += '0';
    auto add = [&p](char c) {
        const int row = Code39Index(c);
        if (row < 0)
            return;
        p += Code39Table[size_t(row)].Codes;
        p += '0';
    };
    for (char c : symbolChars)
        add(c);
    if (rawLast)
        add(rawLast);
    p += star;
}

// Start, the data, the two check characters C and K (AIM USS-93: C weights 1..20, K
// weights 1..15 over the data followed by C, both from the right), stop and termination
// bar; all module counts, shifted to width codes at the end.
void Code93(AnsiString &p, std::string_view symbolChars)
{
    const size_t from = p.size();
    p += Code93Start;
    int cSum = 0, kSum = 0;
    // Weights from the right: the last data character has C weight 1 and K weight 2.
    size_t count = 0;
    for (char c : symbolChars)
        count += Code93Index(c) >= 0;
    size_t pos = count; // position from the right, 1 at the last data character
    for (char c : symbolChars) {
        const int v = Code93Index(c);
        if (v < 0)
            continue;
        p += Code93Table[size_t(v)].Modules;
        cSum += v * int((pos - 1) % 20 + 1);
        kSum += v * int(pos % 15 + 1);
        --pos;
    }
    const int c = cSum % 47;
    const int k = (kSum + c) % 47;
    p += Code93Table[size_t(c)].Modules;
    p += Code93Table[size_t(k)].Modules;
    p += Code93Stop;
    ShiftInPlace(p, from);
}

void Codabar(AnsiString &p, std::string_view text)
{
    p += CodabarTable[size_t(CodabarIndex('A'))].Codes;
    p += '0';
    for (char c : text) {
        const int row = CodabarIndex(c);
        if (row < 0)
            continue;
        p += CodabarTable[size_t(row)].Codes;
        p += '0';
    }
    p += CodabarTable[size_t(CodabarIndex('B'))].Codes;
}

// ---------------------------------------------------------------------------------------
// Code 128

// One code set for the whole symbol, no shifts; the EAN-128 kinds put FNC1 first. The
// check symbol is (start value + Σ value × position) mod 103, positions from 1 after the
// start.
void Code128(AnsiString &p, std::string_view text, TKXBar bar)
{
    const bool ean = bar == TKXBar::EAN128A || bar == TKXBar::EAN128B || bar == TKXBar::EAN128C;
    const bool setA = bar == TKXBar::EAN128A || bar == TKXBar::CODE128A;
    const bool setC = bar == TKXBar::EAN128C || bar == TKXBar::CODE128C;
    const size_t from = p.size();
    int sum, pos = 1;
    if (setC) {
        p += Code128StartC;
        sum = 105;
    } else if (setA) {
        p += Code128StartA;
        sum = 103;
    } else {
        p += Code128StartB;
        sum = 104;
    }
    auto symbol = [&](int value) {
        p += Code128Modules[size_t(value)];
        sum += value * pos++;
    };
    if (ean)
        symbol(Code128FNC1);
    if (setC) {
        // Parentheses around application identifiers are for the printed text only.
        char pair[2];
        size_t n = 0;
        for (char c : text) {
            if (c == '(' || c == ')')
                continue;
            pair[n++] = c;
            if (n == 2) {
                const int v = Code128IndexC(std::string_view(pair, 2));
                symbol(v < 0 ? 0 : v);
                n = 0;
            }
        }
    } else {
        for (char c : text) {
            const int v = setA ? Code128IndexA(c) : Code128IndexB(c);
            symbol(v < 0 ? 0 : v);
        }
    }
    p += Code128Modules[size_t(sum % 103)];
    p += Code128Stop;
    ShiftInPlace(p, from);
}

// ---------------------------------------------------------------------------------------
// 2 of 5, Code 11, MSI, POSTNET

void Interleaved25(AnsiString &p, std::string_view text)
{
    p += "5050";
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        const std::string_view bars = TwoOfFive[size_t(DigitAt(text, i))];
        const std::string_view spaces = TwoOfFive[size_t(DigitAt(text, i + 1))];
        for (size_t k = 0; k < 5; ++k) {
            p += bars[k] == '1' ? '6' : '5';
            p += spaces[k] == '1' ? '1' : '0';
        }
    }
    p += "605";
}

void Industrial25(AnsiString &p, std::string_view text)
{
    p += "606050";
    for (size_t i = 0; i < text.size(); ++i)
        for (char f : TwoOfFive[size_t(DigitAt(text, i))]) {
            p += f == '1' ? '6' : '5';
            p += '0';
        }
    p += "605060";
}

void Matrix25(AnsiString &p, std::string_view text)
{
    p += "705050";
    for (size_t i = 0; i < text.size(); ++i) {
        const std::string_view flags = TwoOfFive[size_t(DigitAt(text, i))];
        for (size_t k = 0; k < 5; ++k)
            p += k % 2 == 0 ? (flags[k] == '1' ? '6' : '5') : (flags[k] == '1' ? '1' : '0');
        p += '0';
    }
    p += "70505";
}

void Code11(AnsiString &p, std::string_view text)
{
    p += Code11Table[Code11StartStopRow];
    p += '1';
    for (size_t i = 0; i < text.size(); ++i) {
        p += text[i] == '-' ? Code11Table[Code11HyphenRow] : Code11Table[size_t(DigitAt(text, i))];
        p += '1';
    }
    p += Code11Table[Code11StartStopRow];
}

void Msi(AnsiString &p, std::string_view text)
{
    p += "81";
    for (size_t i = 0; i < text.size(); ++i)
        p += MsiTable[size_t(DigitAt(text, i))];
    p += "636";
}

void Postnet(AnsiString &p, std::string_view text)
{
    p += "51";
    for (size_t i = 0; i < text.size(); ++i)
        p += PostnetTable[size_t(DigitAt(text, i))];
    p += '5';
}

} // namespace

AnsiString BarPattern(const AnsiString &Text, TKXBar Bar, bool CheckSum, bool ShowNumber)
{
    AnsiString p;
    p.reserve(16 + Text.size() * 12);
    const Guards g = GuardsFor(ShowNumber);
    switch (Bar) {
    case TKXBar::EAN13:
        Ean13(p, Text, g);
        break;
    case TKXBar::EAN8:
        EanTwoHalves(p, Text, 4, g);
        break;
    case TKXBar::UPCA:
        EanTwoHalves(p, Text, 6, g);
        break;
    case TKXBar::UPCE0:
        UpcE(p, Text, g);
        break;
    case TKXBar::CODE39:
        Code39(p, Text);
        break;
    case TKXBar::CODE39EX:
        if (CheckSum && !Text.empty())
            Code39(p, Code39Expand(std::string_view(Text).substr(0, Text.size() - 1)), Text.back());
        else
            Code39(p, Code39Expand(Text));
        break;
    case TKXBar::CODE93:
        Code93(p, Text);
        break;
    case TKXBar::CODE93EX:
        Code93(p, Code93Expand(Text));
        break;
    case TKXBar::CODABAR:
        Codabar(p, Text);
        break;
    case TKXBar::EAN128A:
    case TKXBar::EAN128B:
    case TKXBar::EAN128C:
    case TKXBar::CODE128A:
    case TKXBar::CODE128B:
    case TKXBar::CODE128C:
        Code128(p, Text, Bar);
        break;
    case TKXBar::INTER_25:
        Interleaved25(p, Text);
        break;
    case TKXBar::INDUS_25:
        Industrial25(p, Text);
        break;
    case TKXBar::MATRIX_25:
        Matrix25(p, Text);
        break;
    case TKXBar::CODE11:
        Code11(p, Text);
        break;
    case TKXBar::MSI:
        Msi(p, Text);
        break;
    case TKXBar::POSTNET:
        Postnet(p, Text);
        break;
    }
    return p;
}

AnsiString ShiftPatternDigits(std::string_view Modules)
{
    AnsiString s(Modules);
    ShiftInPlace(s, 0);
    return s;
}

// ---------------------------------------------------------------------------------------
// Widths

int32_t TBarWidths::Of(char Code) const
{
    switch (Code) {
    case '0':
    case '4':
    case '5':
    case '9':
    case 'A':
        return N;
    case '1':
    case '6':
    case 'B':
        return W;
    case '2':
    case '7':
    case 'C':
        return W15;
    case '3':
    case '8':
    case 'D':
        return W2;
    default:
        return 0;
    }
}

int32_t WideWidth(int32_t N, double Ratio)
{
    return Round((long double)N * Ratio);
}

int32_t PatternWidth(std::string_view Pattern, const TBarWidths &Widths)
{
    int32_t w = 0;
    for (char c : Pattern)
        w += Widths.Of(c);
    return w;
}

std::vector<int32_t> BarDigitMarks(std::string_view Pattern, TKXBar Bar, int32_t N, int32_t StartX,
                                   double Ratio)
{
    std::vector<size_t> after;
    switch (Bar) {
    case TKXBar::EAN13:
        after = {15, 44};
        break;
    case TKXBar::EAN8:
        after = {11, 32};
        break;
    case TKXBar::UPCA:
        after = {15, 44, 59};
        break;
    case TKXBar::UPCE0:
        after = {15, 33};
        break;
    default:
        return {};
    }
    const int32_t w = WideWidth(N, Ratio);
    // The walk counts only the codes of the guard and digit alphabet: short bars 'A'..'D'
    // add nothing here.
    const TBarWidths widths{N, w, (3 * w) / 2, 2 * w};
    std::vector<int32_t> marks;
    marks.reserve(after.size());
    int32_t x = StartX;
    size_t walked = 0;
    for (size_t target : after) {
        for (; walked < target && walked < Pattern.size(); ++walked) {
            const char c = Pattern[walked];
            if (c >= '0' && c <= '9')
                x += widths.Of(c);
        }
        marks.push_back(x);
    }
    return marks;
}

} // namespace kx
