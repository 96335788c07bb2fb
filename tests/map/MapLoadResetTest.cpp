// The reset of what map loads write: as complete as the full reset for
// everything a load can touch, whatever order of loads came before.
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "map/TagIndex.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {
using namespace travik::test;

class MapLoadResetTest : public WorkDirTest {};

MapBuilder MapWithTags(int count)
{
    MapBuilder map = MapBuilder::Pc();
    for (int i = 0; i < count; ++i) map.AddTag("bitm", "tag " + std::to_string(i)).MetaSize(16);
    return map;
}

bool IsBlank(const TagEntry& tag)
{
    return tag.m_strName.IsEmpty() && tag.m_strIdentifier.IsEmpty() && tag.m_strClass1.IsEmpty() &&
           tag.m_strMetaOffset.IsEmpty() && tag.m_nMetaSize == 0 && tag.m_hItem1 == nullptr && tag.m_hItem2 == nullptr;
}

TEST_F(MapLoadResetTest, EntriesOfEveryEarlierLoadAreClearedNotOnlyTheLast)
{
    // A long load, then a shorter one that leaves the long one's tail in place.
    OpenBuiltMap(MapWithTags(12), "long.map");
    LoadOpenMap(nullptr);
    g_MapFile.Close();
    OpenBuiltMap(MapWithTags(3), "short.map");
    LoadOpenMap(nullptr);
    OpenBuiltInputMap(MapWithTags(7), "input.map");
    LoadInputMap(nullptr);
    ASSERT_EQ(g_Tags[11].m_strName, "tag 11");
    ASSERT_EQ(g_InputTags[6].m_strName, "tag 6");
    g_ScanRecords[3].m_nOffset = 42; // no load writes these: the light reset keeps them

    ResetMapLoadState();
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(IsBlank(g_Tags[i])) << i;
        EXPECT_TRUE(IsBlank(g_InputTags[i])) << i;
    }
    EXPECT_FALSE(g_MapFile.IsOpen() || g_InputMapFile.IsOpen());
    EXPECT_EQ(g_strMapFileName, "None");
    EXPECT_EQ(g_strInputMagic, "None");
    EXPECT_TRUE(g_MapHeader.m_strIndexOffset.IsEmpty());
    EXPECT_EQ(g_IndexHeader.m_nTagCount, 0);
    EXPECT_EQ(g_InputIndexHeader.m_nTagCount, 0);
    EXPECT_TRUE(g_TagClasses[5][0].IsEmpty());
    EXPECT_EQ(g_hTagClassSet[1], nullptr);
    EXPECT_EQ(g_ScanRecords[3].m_nOffset, 42);

    // Entries written by anyone but a loader are the full reset's to clear.
    g_Tags[4000].m_strName = "written directly";
    ResetMapState();
    EXPECT_TRUE(g_Tags[4000].m_strName.IsEmpty());
    EXPECT_EQ(g_ScanRecords[3].m_nOffset, 0);
}
TEST_F(MapLoadResetTest, BothResetsForgetCutNamesAndCloseTheTextScratchStream)
{
    MapBuilder cut = MapWithTags(2);
    cut.AddTag("bitm", "tail").UnterminatedName();
    for (void (*reset)() : {&ResetMapLoadState, &ResetMapState}) {
        OpenBuiltMap(cut, "cut.map");
        LoadOpenMap(nullptr);
        ASSERT_TRUE(LastLoadCutNames(g_Tags));
        g_TempTextFile.Open("temp.txt", CFileStream::kScratchText);
        ASSERT_TRUE(g_TempTextFile.IsOpen());

        reset();
        EXPECT_FALSE(LastLoadCutNames(g_Tags));
        EXPECT_FALSE(LastLoadCutNames(g_InputTags));
        EXPECT_FALSE(g_TempTextFile.IsOpen());
    }
}

} // namespace
