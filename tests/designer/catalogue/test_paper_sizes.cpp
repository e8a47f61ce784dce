// The paper table: the rows lists rely on by index, the sizes stored wider than high, the
// near twins of B4, and the lookup of stored names.
#include "catalogue/KXPaperSizes.h"

#include <gtest/gtest.h>

using namespace kx::designer;

TEST(PaperSizes, RowsAsListsUseThem)
{
    struct Row {
        int Index;
        const char *Name;
        float W, H;
        uint16_t Code;
    } rows[] = {
        {0, "A4", 210, 297, 9},
        {3, "Letter", 215.9f, 279.4f, 1},
        {8, "Ledger", 431.8f, 279.4f, 4},      // wider than high, as stored
        {9, "B4", 250, 354, 12},
        {18, "KxEnB4", 250, 353, 33},
        {20, "KxEnB6", 176, 125, 35},          // wider than high
        {22, "B4 (ISO)", 250, 353, 42},
        {24, "Japanese Doble", 200, 148, 82},  // wider than high
        {26, "KxUser", 200, 200, 256},
    };
    ASSERT_EQ(PaperSizeTable.size(), 27u);
    for (const Row &r : rows) {
        const TKXPaperSize &p = PaperSizeTable[r.Index];
        EXPECT_EQ(p.Name, r.Name);
        EXPECT_FLOAT_EQ(p.Width, r.W) << r.Name;
        EXPECT_FLOAT_EQ(p.Height, r.H) << r.Name;
        EXPECT_EQ(p.PaperCode, r.Code) << r.Name;
    }
    EXPECT_EQ(PaperSizeTable[PaperUserRow].PaperCode, 256);
}

TEST(PaperSizes, StoredNamesFindTheirRow)
{
    EXPECT_EQ(PaperSizeRow("A4"), 0);
    EXPECT_EQ(PaperSizeRow("B4 (ISO)"), 22);
    EXPECT_EQ(PaperSizeRow("KxUser"), PaperUserRow);
    EXPECT_EQ(PaperSizeRow("a4"), -1) << "names are stored and compared exactly";
    EXPECT_EQ(PaperSizeRow("Envelope DL"), -1) << "a shown translation is no stored name";
    EXPECT_EQ(PaperSizeRow(""), -1);
}
