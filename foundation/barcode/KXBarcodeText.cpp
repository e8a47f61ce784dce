#include "barcode/KXBarcodeText.h"

#include "barcode/KXBarcodeTables.h"
#include "core/KXError.h"

#include <algorithm>

namespace kx {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

template <typename Pred>
bool AllOf(std::string_view text, Pred pred)
{
    return std::all_of(text.begin(), text.end(), pred);
}

// The value of one character of a digit scheme; anything else is the caller's error.
int DigitValue(char c, bool hyphenIsTen = false)
{
    if (IsDigit(c))
        return c - '0';
    if (hyphenIsTen && c == '-')
        return 10;
    throw EKxError("'" + std::string(1, c) + "' is not a valid integer value");
}

// The check digit of a weighted sum: (10 - S mod 10) mod 10, as one character.
char Mod10Digit(int sum) { return char('0' + (10 - sum % 10) % 10); }

// Modulo 10 with the weights 3, 1, 3, ... from the last character leftwards (the EAN/UPC
// rule; csmMod10 and csmMod10Right are the same digit).
char Mod10Weight31(std::string_view text)
{
    int sum = 0;
    bool three = true;
    for (auto it = text.rbegin(); it != text.rend(); ++it, three = !three)
        sum += DigitValue(*it) * (three ? 3 : 1);
    return Mod10Digit(sum);
}

// Code 11 check value: Σ value × weight, the weights 1..maxWeight repeating from the right.
int Code11Check(std::string_view text, int maxWeight)
{
    int sum = 0, weight = 1;
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        sum += DigitValue(*it, true) * weight;
        weight = weight == maxWeight ? 1 : weight + 1;
    }
    return sum % 11;
}

char Code11Char(int value) { return value == 10 ? '-' : char('0' + value); }

// Sum of the decimal digits of 2 × N for a number N of any length, given as digits.
int DoubledDigitSum(std::string_view digits)
{
    int sum = 0, carry = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        const int d = 2 * DigitValue(*it) + carry;
        sum += d % 10;
        carry = d / 10;
    }
    return sum + carry;
}

// The Code 39 character of a check value 0..42: rows 0..38 are values 0..38, the asterisk's
// row is skipped, the rows after it hold 39..42.
char Code39CharOfValue(int value)
{
    return Code39Table[size_t(value < Code39AsteriskRow ? value : value + 1)].Ch;
}

// Modulo 43 over the Code 39 values of the symbol characters; characters without a value
// add nothing.
char Code39CheckChar(std::string_view symbolChars)
{
    int sum = 0;
    for (char c : symbolChars)
        sum += std::max(Code39Value(c), 0);
    return Code39CharOfValue(sum % 43);
}

// Digit count of a Code 128 set C text: the parentheses around application identifiers
// are printed but not encoded, so they do not count towards the pairs.
size_t EncodedDigitCount(std::string_view text)
{
    return size_t(std::count_if(text.begin(), text.end(), IsDigit));
}

bool FitsSet(std::string_view text, int (*index)(char))
{
    return AllOf(text, [index](char c) { return index(c) >= 0; });
}

bool IsAscii(std::string_view text)
{
    return AllOf(text, [](char c) { return uint8_t(c) < 128; });
}

AnsiString Expand(std::string_view text, const std::array<std::string_view, 128> &table)
{
    AnsiString out;
    out.reserve(text.size() * 2);
    for (char c : text)
        if (uint8_t(c) < 128)
            out += table[uint8_t(c)];
    return out;
}

// EAN-13, EAN-8, UPC-E: the base of given length (the first Len characters of a full text,
// else the text zero-padded) for the check digit to follow.
AnsiString EanBase(const AnsiString &text, size_t len)
{
    return text.size() > len ? text.substr(0, len) : ZeroPad(text, uint8_t(len));
}

} // namespace

// ---------------------------------------------------------------------------------------
// Character sets

bool AllDigits(std::string_view Text) { return AllOf(Text, IsDigit); }

bool DigitsOrParens(std::string_view Text)
{
    return AllOf(Text, [](char c) { return IsDigit(c) || c == '(' || c == ')'; });
}

bool IsCode39Text(std::string_view Text) { return FitsSet(Text, Code39Index); }

bool IsCode93Text(std::string_view Text)
{
    // Rows 43..46 are the shift substitutes, not characters of the text.
    return AllOf(Text, [](char c) {
        const int row = Code93Index(c);
        return row >= 0 && row < 43;
    });
}

bool IsCodabarText(std::string_view Text)
{
    // Rows 16..19 are the start and stop letters A..D.
    return AllOf(Text, [](char c) {
        const int row = CodabarIndex(c);
        return row >= 0 && row < 16;
    });
}

bool IsCode11Text(std::string_view Text)
{
    return AllOf(Text, [](char c) { return IsDigit(c) || c == '-'; });
}

// ---------------------------------------------------------------------------------------
// Padding and expansions

AnsiString ZeroPad(const AnsiString &Text, uint8_t Len)
{
    if (Text.size() >= Len)
        return Text;
    return AnsiString(Len - Text.size(), '0') + Text;
}

AnsiString ZeroPrefixOdd(const AnsiString &Text)
{
    return Text.size() % 2 ? "0" + Text : Text;
}

AnsiString Code39Expand(std::string_view Text) { return Expand(Text, Code39FullAscii); }

AnsiString Code93Expand(std::string_view Text) { return Expand(Text, Code93FullAscii); }

AnsiString UpcEToUpcA(std::string_view Text)
{
    // d[0] is the number system, d[1..6] the six digits; the last of them selects where
    // the manufacturer and item digits stand in UPC-A (the zero-suppression rules).
    char d[7];
    for (size_t i = 0; i < 7; ++i)
        d[i] = i < Text.size() && IsDigit(Text[i]) ? Text[i] : '0';
    const AnsiString ns(1, d[0]);
    switch (d[6]) {
    case '0':
    case '1':
    case '2':
        return ns + d[1] + d[2] + d[6] + "0000" + d[3] + d[4] + d[5];
    case '3':
        return ns + d[1] + d[2] + d[3] + "00000" + d[4] + d[5];
    case '4':
        return ns + d[1] + d[2] + d[3] + d[4] + "00000" + d[5];
    default:
        return ns + d[1] + d[2] + d[3] + d[4] + d[5] + "0000" + d[6];
    }
}

// ---------------------------------------------------------------------------------------
// Check digits

TDigitControl CheckDigits(const AnsiString &Text, TKXCheckType CheckType)
{
    TDigitControl r;
    switch (CheckType) {
    case TKXCheckType::csNone:
        r.Code = Text;
        return r;
    case TKXCheckType::csmMod10:
    case TKXCheckType::csmMod10Right:
        r.DC = AnsiString(1, Mod10Weight31(Text));
        break;
    case TKXCheckType::csmMod10UPCE: {
        // The first character is left out; weights 1, 3, 1, ... from the last leftwards.
        int sum = 0;
        bool one = true;
        for (size_t i = Text.size(); i > 1; --i, one = !one)
            sum += DigitValue(Text[i - 1]) * (one ? 1 : 3);
        r.DC = AnsiString(1, Mod10Digit(sum));
        break;
    }
    case TKXCheckType::csMod11: {
        // One check character below 10 characters, else C (weights 1..10) and K (weights
        // 1..9 over the text and C); DC is K alone in that case.
        const char c = Code11Char(Code11Check(Text, 10));
        if (Text.size() < 10) {
            r.DC = AnsiString(1, c);
            r.Code = Text + c;
        } else {
            const AnsiString withC = Text + c;
            const char k = Code11Char(Code11Check(withC, 9));
            r.DC = AnsiString(1, k);
            r.Code = withC + k;
        }
        return r;
    }
    case TKXCheckType::csMSI: {
        // N = the digits at the even positions from the left, joined; S = digit sum of 2N
        // plus the digits at the odd positions.
        AnsiString n;
        int sum = 0;
        for (size_t i = 0; i < Text.size(); ++i) {
            if (i % 2)
                n += Text[i];
            else
                sum += DigitValue(Text[i]);
        }
        r.DC = AnsiString(1, Mod10Digit(sum + DoubledDigitSum(n)));
        break;
    }
    case TKXCheckType::csMSI10: {
        // Luhn: from the last digit leftwards, every other digit doubled and its two decimal
        // digits added, starting with the last.
        int sum = 0;
        bool twice = true;
        for (auto it = Text.rbegin(); it != Text.rend(); ++it, twice = !twice) {
            const int d = DigitValue(*it);
            sum += twice ? (2 * d) / 10 + (2 * d) % 10 : d;
        }
        r.DC = AnsiString(1, Mod10Digit(sum));
        break;
    }
    }
    r.Code = Text + r.DC;
    return r;
}

// ---------------------------------------------------------------------------------------
// Validation and completion

bool ValidBarText(const AnsiString &Text, TKXBar Bar, bool CheckSum, bool AllowParens)
{
    // EAN/UPC: exactly the full length, or at most that with the check digit added here.
    auto eanLength = [&](size_t full) {
        return AllDigits(Text) && (Text.size() == full || (CheckSum && Text.size() <= full));
    };
    switch (Bar) {
    case TKXBar::EAN13:
        return eanLength(13);
    case TKXBar::EAN8:
        return eanLength(8);
    case TKXBar::UPCE0:
        // Number system 0 only: its parity table is the one drawn, so a symbol with another
        // number-system digit would read as number system 0. Texts of six digits or fewer
        // are zero-padded, so their number system is 0.
        return eanLength(8) && (Text.size() < 7 || Text[0] == '0');
    case TKXBar::UPCA:
        return eanLength(12);
    case TKXBar::CODE39:
        return IsCode39Text(Text);
    case TKXBar::CODE93:
        return IsCode93Text(Text);
    case TKXBar::CODABAR:
        return IsCodabarText(Text);
    case TKXBar::EAN128C:
    case TKXBar::CODE128C:
        return AllowParens ? DigitsOrParens(Text) : AllDigits(Text);
    case TKXBar::INTER_25:
    case TKXBar::INDUS_25:
    case TKXBar::MATRIX_25:
    case TKXBar::MSI:
    case TKXBar::POSTNET:
        return AllDigits(Text);
    case TKXBar::CODE11:
        return IsCode11Text(Text);
    case TKXBar::CODE39EX:
    case TKXBar::CODE93EX:
        return IsAscii(Text);
    case TKXBar::EAN128A:
    case TKXBar::CODE128A:
        return FitsSet(Text, Code128IndexA);
    case TKXBar::EAN128B:
    case TKXBar::CODE128B:
        return FitsSet(Text, Code128IndexB);
    }
    return false;
}

AnsiString BarTextWithCheck(const AnsiString &Text, TKXBar Bar, bool CheckSum, AnsiString &Check)
{
    Check.clear();
    // Appends the digit of a scheme to `base` and reports it in Check.
    auto withDigit = [&Check](const AnsiString &base, char digit) {
        Check = AnsiString(1, digit);
        return base + digit;
    };
    switch (Bar) {
    case TKXBar::EAN13:
    case TKXBar::EAN8: {
        if (!CheckSum)
            return Text;
        const AnsiString base = EanBase(Text, Bar == TKXBar::EAN13 ? 12 : 7);
        return withDigit(base, Mod10Weight31(base));
    }
    case TKXBar::UPCE0: {
        // The UPC-E check digit is that of the UPC-A number it stands for.
        if (!CheckSum)
            return Text;
        const AnsiString base = EanBase(Text, 7);
        return withDigit(base, Mod10Weight31(UpcEToUpcA(base)));
    }
    case TKXBar::UPCA: {
        // The twelfth digit is always computed, whatever CheckSum says.
        const AnsiString base = EanBase(Text, 11);
        return withDigit(base, Mod10Weight31(base));
    }
    case TKXBar::CODE39:
        return CheckSum ? withDigit(Text, Code39CheckChar(Text)) : Text;
    case TKXBar::CODE39EX:
        // The check character is over the symbol characters actually encoded, and is
        // itself encoded as one symbol character (BarPattern does not expand it).
        return CheckSum ? withDigit(Text, Code39CheckChar(Code39Expand(Text))) : Text;
    case TKXBar::CODE93:
    case TKXBar::CODE93EX:
    case TKXBar::CODABAR:
    case TKXBar::POSTNET:
        return Text;
    case TKXBar::EAN128A:
    case TKXBar::EAN128B:
    case TKXBar::EAN128C:
    case TKXBar::CODE128A:
    case TKXBar::CODE128B:
    case TKXBar::CODE128C: {
        if (CheckSum && AllDigits(Text)) {
            // Even length with the digit: a zero first when the text's length is even.
            const AnsiString base = Text.size() % 2 ? Text : "0" + Text;
            return withDigit(base, Mod10Weight31(base));
        }
        const bool setC = Bar == TKXBar::EAN128C || Bar == TKXBar::CODE128C;
        if (setC && EncodedDigitCount(Text) % 2)
            return "0" + Text;
        return Text;
    }
    case TKXBar::INTER_25:
        return ZeroPrefixOdd(CheckSum ? withDigit(Text, Mod10Weight31(Text)) : Text);
    case TKXBar::INDUS_25:
    case TKXBar::MATRIX_25:
        return CheckSum ? withDigit(Text, Mod10Weight31(Text)) : Text;
    case TKXBar::CODE11: {
        if (!CheckSum)
            return Text;
        const TDigitControl dc = CheckDigits(Text, TKXCheckType::csMod11);
        Check = dc.DC;
        return dc.Code;
    }
    case TKXBar::MSI: {
        if (!CheckSum)
            return Text;
        const TDigitControl dc = CheckDigits(Text, TKXCheckType::csMSI10);
        Check = dc.DC;
        return dc.Code;
    }
    }
    return Text;
}

AnsiString BarTextWithCheck(const AnsiString &Text, TKXBar Bar, bool CheckSum)
{
    AnsiString check;
    return BarTextWithCheck(Text, Bar, CheckSum, check);
}

} // namespace kx
