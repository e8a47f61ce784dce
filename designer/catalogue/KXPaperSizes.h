// The sheet sizes the designer offers, in the order its lists show them (a list index is a
// row number). Names that start with "Kx" are also keys of the translation file's "dialogs"
// section; a stored paper name is always the row's name, never a shown translation.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kx::designer {

struct TKXPaperSize {
    float Width;         // mm, as stored (three rows are wider than high)
    float Height;        // mm
    std::string_view Name;
    uint16_t PaperCode;  // the Windows paper-size code; 256 is the user-defined size
};

// Windows paper codes after the device-mode constants (DMPAPER_*).
inline constexpr std::array<TKXPaperSize, 27> PaperSizeTable = {{
    {210, 297, "A4", 9},
    {139.7f, 215.9f, "Statement", 6},
    {184.15f, 266.7f, "Executive", 7},
    {215.9f, 279.4f, "Letter", 1},
    {215.9f, 355.6f, "Legal", 5},
    {148, 210, "A5", 11},
    {297, 420, "A3", 8},
    {279.4f, 431.8f, "Tabloid", 3},
    {431.8f, 279.4f, "Ledger", 4},
    {250, 354, "B4", 12},
    {182, 257, "B5", 13},
    {215, 275, "Quarto", 15},
    {110, 220, "KxEnDL", 27},
    {162, 229, "KxEnC5", 28},
    {324, 458, "KxEnC3", 29},
    {229, 324, "KxEnC4", 30},
    {114, 162, "KxEnC6", 31},
    {114, 229, "KxEnC65", 32},
    {250, 353, "KxEnB4", 33},
    {176, 250, "KxEnB5", 34},
    {176, 125, "KxEnB6", 35},
    {110, 230, "Italy", 36},
    {250, 353, "B4 (ISO)", 42},
    {100, 148, "Japanese Postcard", 43},
    {200, 148, "Japanese Doble", 82},
    {220, 220, "KxEnInv", 47},
    {200, 200, "KxUser", 256}, // a starting size: the user types the sheet's own
}};

// The user-defined paper's row.
inline constexpr int PaperUserRow = 26;

// The row of a stored paper name (exact, as stored), -1 when no row has it.
constexpr int PaperSizeRow(std::string_view Name)
{
    for (size_t i = 0; i < PaperSizeTable.size(); ++i)
        if (PaperSizeTable[i].Name == Name)
            return static_cast<int>(i);
    return -1;
}

} // namespace kx::designer
