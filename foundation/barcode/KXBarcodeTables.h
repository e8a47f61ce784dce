// Constant tables of the one-dimensional symbologies, in the width-code alphabet of the
// bar patterns (see KXBarcodePattern.h): '0'..'3' spaces and '5'..'8' bars of 1, W, 3W/2 and
// 2W, with ratio 2 exactly 1 to 4 modules; Code 128 and Code 93 hold module counts '1'..'4',
// bar first, which ShiftPatternDigits turns into width codes.
//
// Every table was transcribed from the symbology's standard and is proven by reading the
// drawn symbols back with zxing-cpp, or by comparing element sequences with zint where
// zxing has no reader (tests/foundation/test_barcode_*.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kx {

// Code 39, ISO/IEC 16388 table 1 (checked against zxing-cpp's reader): character, 9 width
// codes bar first, the character's value for the modulo 43 check. The asterisk is the
// start/stop character and is valued 0; the rows after it are valued 39..42.
struct TCode39Row {
    char Ch;
    std::string_view Codes;
    uint8_t Value;
};
inline constexpr std::array<TCode39Row, 44> Code39Table{{
    {'0', "505160605", 0},
    {'1', "605150506", 1},
    {'2', "506150506", 2},
    {'3', "606150505", 3},
    {'4', "505160506", 4},
    {'5', "605160505", 5},
    {'6', "506160505", 6},
    {'7', "505150606", 7},
    {'8', "605150605", 8},
    {'9', "506150605", 9},
    {'A', "605051506", 10},
    {'B', "506051506", 11},
    {'C', "606051505", 12},
    {'D', "505061506", 13},
    {'E', "605061505", 14},
    {'F', "506061505", 15},
    {'G', "505051606", 16},
    {'H', "605051605", 17},
    {'I', "506051605", 18},
    {'J', "505061605", 19},
    {'K', "605050516", 20},
    {'L', "506050516", 21},
    {'M', "606050515", 22},
    {'N', "505060516", 23},
    {'O', "605060515", 24},
    {'P', "506060515", 25},
    {'Q', "505050616", 26},
    {'R', "605050615", 27},
    {'S', "506050615", 28},
    {'T', "505060615", 29},
    {'U', "615050506", 30},
    {'V', "516050506", 31},
    {'W', "616050505", 32},
    {'X', "515060506", 33},
    {'Y', "615060505", 34},
    {'Z', "516060505", 35},
    {'-', "515050606", 36},
    {'.', "615050605", 37},
    {' ', "516050605", 38},
    {'*', "515060605", 0},
    {'$', "515151505", 39},
    {'/', "515150515", 40},
    {'+', "515051515", 41},
    {'%', "505151515", 42},
}};
inline constexpr int Code39AsteriskRow = 39;

// Code 39 full ASCII, ISO/IEC 16388 annex: the one or two Code 39 characters that stand for
// each character code 0..127. '-' and '.' are written with the '/' shift.
inline constexpr std::array<std::string_view, 128> Code39FullAscii{{
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G",
    "$H", "$I", "$J", "$K", "$L", "$M", "$N", "$O",
    "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W",
    "$X", "$Y", "$Z", "%A", "%B", "%C", "%D", "%E",
    " ", "/A", "/B", "/C", "/D", "/E", "/F", "/G",
    "/H", "/I", "/J", "/K", "/L", "/M", "/N", "/O",
    "0", "1", "2", "3", "4", "5", "6", "7",
    "8", "9", "/Z", "%F", "%G", "%H", "%I", "%J",
    "%V", "A", "B", "C", "D", "E", "F", "G",
    "H", "I", "J", "K", "L", "M", "N", "O",
    "P", "Q", "R", "S", "T", "U", "V", "W",
    "X", "Y", "Z", "%K", "%L", "%M", "%N", "%O",
    "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G",
    "+H", "+I", "+J", "+K", "+L", "+M", "+N", "+O",
    "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W",
    "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T",
}};

// Code 93, AIM USS-93 table 1: character and 6 module counts bar first; the row number is
// the value 0..46. The four shift characters ($) (%) (/) (+) are held as the substitute
// characters '[' ']' '{' '}' (values 43..46).
struct TCode93Row {
    char Ch;
    std::string_view Modules;
};
inline constexpr std::array<TCode93Row, 47> Code93Table{{
    {'0', "131112"}, // 0
    {'1', "111213"}, // 1
    {'2', "111312"}, // 2
    {'3', "111411"}, // 3
    {'4', "121113"}, // 4
    {'5', "121212"}, // 5
    {'6', "121311"}, // 6
    {'7', "111114"}, // 7
    {'8', "131211"}, // 8
    {'9', "141111"}, // 9
    {'A', "211113"}, // 10
    {'B', "211212"}, // 11
    {'C', "211311"}, // 12
    {'D', "221112"}, // 13
    {'E', "221211"}, // 14
    {'F', "231111"}, // 15
    {'G', "112113"}, // 16
    {'H', "112212"}, // 17
    {'I', "112311"}, // 18
    {'J', "122112"}, // 19
    {'K', "132111"}, // 20
    {'L', "111123"}, // 21
    {'M', "111222"}, // 22
    {'N', "111321"}, // 23
    {'O', "121122"}, // 24
    {'P', "131121"}, // 25
    {'Q', "212112"}, // 26
    {'R', "212211"}, // 27
    {'S', "211122"}, // 28
    {'T', "211221"}, // 29
    {'U', "221121"}, // 30
    {'V', "222111"}, // 31
    {'W', "112122"}, // 32
    {'X', "112221"}, // 33
    {'Y', "122121"}, // 34
    {'Z', "123111"}, // 35
    {'-', "121131"}, // 36
    {'.', "311112"}, // 37
    {' ', "311211"}, // 38
    {'$', "321111"}, // 39
    {'/', "112131"}, // 40
    {'+', "113121"}, // 41
    {'%', "211131"}, // 42
    {'[', "121221"}, // 43
    {']', "312111"}, // 44
    {'{', "311121"}, // 45
    {'}', "122211"}, // 46
}};
inline constexpr std::string_view Code93Start = "111141";
inline constexpr std::string_view Code93Stop = "1111411"; // stop and termination bar

// Code 93 full ASCII, AIM USS-93 table 2, written with the substitute shift characters.
inline constexpr std::array<std::string_view, 128> Code93FullAscii{{
    "]U", "[A", "[B", "[C", "[D", "[E", "[F", "[G",
    "[H", "[I", "[J", "[K", "[L", "[M", "[N", "[O",
    "[P", "[Q", "[R", "[S", "[T", "[U", "[V", "[W",
    "[X", "[Y", "[Z", "]A", "]B", "]C", "]D", "]E",
    " ", "{A", "{B", "{C", "{D", "{E", "{F", "{G",
    "{H", "{I", "{J", "{K", "{L", "-", ".", "{O",
    "0", "1", "2", "3", "4", "5", "6", "7",
    "8", "9", "{Z", "]F", "]G", "]H", "]I", "]J",
    "]V", "A", "B", "C", "D", "E", "F", "G",
    "H", "I", "J", "K", "L", "M", "N", "O",
    "P", "Q", "R", "S", "T", "U", "V", "W",
    "X", "Y", "Z", "]K", "]L", "]M", "]N", "]O",
    "]W", "}A", "}B", "}C", "}D", "}E", "}F", "}G",
    "}H", "}I", "}J", "}K", "}L", "}M", "}N", "}O",
    "}P", "}Q", "}R", "}S", "}T", "}U", "}V", "}W",
    "}X", "}Y", "}Z", "]P", "]Q", "]R", "]S", "]T",
}};

// Codabar, AIM USS-Codabar / EN 798 table 1: character and 7 width codes bar first; A..D are
// the start and stop characters.
struct TCodabarRow {
    char Ch;
    std::string_view Codes;
};
inline constexpr std::array<TCodabarRow, 20> CodabarTable{{
    {'1', "5050615"},
    {'2', "5051506"},
    {'3', "6150505"},
    {'4', "5060515"},
    {'5', "6050515"},
    {'6', "5150506"},
    {'7', "5150605"},
    {'8', "5160505"},
    {'9', "6051505"},
    {'0', "5050516"},
    {'-', "5051605"},
    {'$', "5061505"},
    {':', "6050606"},
    {'/', "6060506"},
    {'.', "6060605"},
    {'+', "5060606"},
    {'A', "5061515"},
    {'B', "5151506"},
    {'C', "5051516"},
    {'D', "5051615"},
}};

// Code 128, ISO/IEC 15417 table 1: module counts of the symbol values 0..102, bar first.
// Which character of set A and set B a value carries is the rule of Code128CharA/B below.
inline constexpr std::array<std::string_view, 103> Code128Modules{{
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131",
}};
inline constexpr std::string_view Code128StartA = "211412"; // value 103
inline constexpr std::string_view Code128StartB = "211214"; // value 104
inline constexpr std::string_view Code128StartC = "211232"; // value 105
inline constexpr std::string_view Code128Stop = "2331112"; // stop with its termination bar
inline constexpr int Code128FNC1 = 102;

// The character of set A (set B) that a Code 128 value carries, or -1. Set A: values 0..63
// are the characters 32..95 and 64..95 the control characters 0..31; set B: values 0..94
// are 32..126 and value 95 holds a space (so the character 127 has no row of its own);
// values 96..102 are function and code-set characters and carry none.
constexpr int Code128CharA(int value)
{
    if (value >= 0 && value <= 63)
        return value + 32;
    if (value >= 64 && value <= 95)
        return value - 64;
    return -1;
}
constexpr int Code128CharB(int value)
{
    if (value >= 0 && value <= 94)
        return value + 32;
    if (value == 95)
        return ' ';
    return -1;
}

// EAN/UPC digit sets, EN 797 table 1, 4 width codes per digit with ratio 2. Set A (odd
// parity, left-hand) and set B (even parity, left-hand) start with a space, set C
// (right-hand) with a bar; set B is set C read backwards.
inline constexpr std::array<std::string_view, 10> EanSetA{{"2605", "1615", "1516", "0805", "0526", "0625", "0508", "0706", "0607", "2506"}};
inline constexpr std::array<std::string_view, 10> EanSetB{{"0517", "0616", "1606", "0535", "1705", "0715", "3505", "1525", "2515", "1507"}};
inline constexpr std::array<std::string_view, 10> EanSetC{{"7150", "6160", "6061", "5350", "5071", "5170", "5053", "5251", "5152", "7051"}};

// EAN-13 left-half parity by the first (implied) digit, EN 797 table 3.
inline constexpr std::array<std::string_view, 10> Ean13Parity{{
    "AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB", "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"}};

// UPC-E parity of the six digits by the check digit, number system 0 (UCC UPC-E table):
// 'O' odd parity (set A), 'E' even parity (set C read backwards).
inline constexpr std::array<std::string_view, 10> UpcEParity{{
    "EEEOOO", "EEOEOO", "EEOOEO", "EEOOOE", "EOEEOO", "EOOEEO", "EOOOEE", "EOEOEO", "EOEOOE", "EOOEOE"}};

// 2 of 5 digit table (interleaved, industrial and matrix 2 of 5; ISO/IEC 16390 table 1):
// five flags, '1' wide.
inline constexpr std::array<std::string_view, 10> TwoOfFive{{
    "00110", "10001", "01001", "11000", "00101", "10100", "01100", "00011", "10010", "01010"}};

// Code 11 (AIM USS Code 11): 5 width codes bar first, W narrow ('6' bar, '1' space) and 2W
// wide ('8', '3'). Rows 0..9 the digits, row 10 start/stop, row 11 the hyphen.
inline constexpr std::array<std::string_view, 12> Code11Table{{
    "61618", "81618", "63618", "83616", "61818", "81816", "63816", "61638", "81636", "81616",
    "61836", "61816"}};
inline constexpr int Code11StartStopRow = 10;
inline constexpr int Code11HyphenRow = 11;

// MSI Plessey: four bits per digit, most significant first; a 0 bit is a W bar and a 2W
// space ("63"), a 1 bit a 2W bar and a W space ("81").
inline constexpr std::array<std::string_view, 10> MsiTable{{
    "63636363", "63636381", "63638163", "63638181", "63816363",
    "63816381", "63818163", "63818181", "81636363", "81636381"}};

// POSTNET (USPS DMM 708.4): five bars per digit with the weights 7 4 2 1 0, two of them full
// ('5') and three half ('A'), each followed by the space '1'.
inline constexpr std::array<std::string_view, 10> PostnetTable{{
    "5151A1A1A1", "A1A1A15151", "A1A151A151", "A1A15151A1", "A151A1A151",
    "A151A151A1", "A15151A1A1", "51A1A1A151", "51A1A151A1", "51A151A1A1"}};

// ---------------------------------------------------------------------------------------
// Lookups by character. Each is the first row of its table that holds the character, or
// -1; the tables are inverted once at compile time, so a lookup is one index.

namespace detail {

template <typename Table>
constexpr std::array<int8_t, 256> RowsByChar(const Table &table)
{
    std::array<int8_t, 256> rows{};
    rows.fill(-1);
    for (size_t i = 0; i < table.size(); ++i)
        if (rows[uint8_t(table[i].Ch)] < 0)
            rows[uint8_t(table[i].Ch)] = int8_t(i);
    return rows;
}

template <int (*CharOf)(int)>
constexpr std::array<int8_t, 256> Code128RowsByChar()
{
    std::array<int8_t, 256> rows{};
    rows.fill(-1);
    for (int v = 0; v < int(Code128Modules.size()); ++v) {
        const int c = CharOf(v);
        if (c >= 0 && rows[size_t(c)] < 0)
            rows[size_t(c)] = int8_t(v);
    }
    return rows;
}

inline constexpr auto Code39Rows = RowsByChar(Code39Table);
inline constexpr auto Code93Rows = RowsByChar(Code93Table);
inline constexpr auto CodabarRows = RowsByChar(CodabarTable);
inline constexpr auto Code128RowsA = Code128RowsByChar<Code128CharA>();
inline constexpr auto Code128RowsB = Code128RowsByChar<Code128CharB>();

} // namespace detail

// Row of a character in Code39Table (the asterisk is row 39).
constexpr int Code39Index(char c) { return detail::Code39Rows[uint8_t(c)]; }
// Row, which is the value, of a character in Code93Table (shift substitutes 43..46).
constexpr int Code93Index(char c) { return detail::Code93Rows[uint8_t(c)]; }
// Row of a character in CodabarTable (A..D are rows 16..19).
constexpr int CodabarIndex(char c) { return detail::CodabarRows[uint8_t(c)]; }
// Code 128 value of a character in set A / set B.
constexpr int Code128IndexA(char c) { return detail::Code128RowsA[uint8_t(c)]; }
constexpr int Code128IndexB(char c) { return detail::Code128RowsB[uint8_t(c)]; }
// Code 128 set C value of a pair of digits "00".."99".
constexpr int Code128IndexC(std::string_view pair)
{
    if (pair.size() != 2 || pair[0] < '0' || pair[0] > '9' || pair[1] < '0' || pair[1] > '9')
        return -1;
    return (pair[0] - '0') * 10 + (pair[1] - '0');
}

// Code 39 check value of a character (0..42, the asterisk 0), or -1.
constexpr int Code39Value(char c)
{
    const int row = Code39Index(c);
    return row < 0 ? -1 : Code39Table[size_t(row)].Value;
}

} // namespace kx
