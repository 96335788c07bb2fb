#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {
using travik::test::WorkDirTest;

class TagClassTableTest : public WorkDirTest {};

TEST_F(TagClassTableTest, EmptyUntilFilledThenHoldsEightyDistinctFourCharacterCodes)
{
    for (int row = 0; row < kClassTableRows; ++row) EXPECT_TRUE(g_TagClasses[row][0].IsEmpty());

    FillTagClassTable();
    std::set<std::string> codes;
    for (int row = 0; row < kFilledClassRows; ++row) {
        EXPECT_EQ(g_TagClasses[row][0].GetLength(), 4) << row;
        EXPECT_FALSE(g_TagClasses[row][1].IsEmpty()) << row;
        EXPECT_TRUE(g_TagClasses[row][2].IsEmpty()) << row;
        codes.insert(g_TagClasses[row][0].Bytes());
    }
    EXPECT_EQ(codes.size(), 80u);
    for (int row = kFilledClassRows; row < kClassTableRows; ++row)
        for (int col = 0; col < 3; ++col) EXPECT_TRUE(g_TagClasses[row][col].IsEmpty()) << row;
}

TEST_F(TagClassTableTest, RowsKeepCaseTrailingBlanksAndTheNulledOutCode)
{
    FillTagClassTable();
    struct Row {
        int row;
        std::string code;
        const char* name;
    };
    const Row rows[] = {
        {0, "actr", "Actor"},
        {5, "bitm", "Bitmap"},
        {11, "DeLa", "UI Item"},
        {19, "fog ", "Fog"},
        {25, "hmt ", "HUD Message Text"},
        {26, "hud#", "HUD Number"},
        {39, "mod2", "Model (PC)"},
        {40, "mode", "Model (Xbox)"},
        {42, "obje", "Object"},
        {52, "scex", "Shader Transparency Chicago Extended"},
        {58, "sky ", "Sky"},
        {64, "Soul", "UI Item Collection"},
        {78, "wphi", "Weapon HUD Interface"},
        {79, std::string(4, '\xFF'), "Nulled Out"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(g_TagClasses[r.row][0].Bytes(), r.code) << r.row;
        EXPECT_EQ(g_TagClasses[r.row][1], r.name) << r.row;
    }
}

TEST_F(TagClassTableTest, FillingAgainChangesNothingAndTouchesNoOtherCell)
{
    g_TagClasses[5][2] = "keep";
    g_TagClasses[90][0] = "left";
    FillTagClassTable();
    CString before[kClassTableRows][3];
    for (int r = 0; r < kClassTableRows; ++r)
        for (int c = 0; c < 3; ++c) before[r][c] = g_TagClasses[r][c];
    FillTagClassTable();
    for (int r = 0; r < kClassTableRows; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(g_TagClasses[r][c], before[r][c]);
    EXPECT_EQ(g_TagClasses[5][2], "keep");
    EXPECT_EQ(g_TagClasses[90][0], "left");
}
} // namespace
