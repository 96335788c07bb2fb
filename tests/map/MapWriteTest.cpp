#include "map/MapWrite.h"
#include "map/MapState.h"

#include "tests/support/TestEnvironment.h"

#include <filesystem>
#include <system_error>

namespace {

using travik::test::ReadFileBytes;
using travik::test::WriteFileBytes;

// Sixteen bytes, none of them zero, 0x78 among them, so that a write one
// byte wider or narrower than asked, or a 0x78 taken for zero, shows.
const std::string kMap = "\x78\x11\x78\x22\x78\x33\x78\x44\x78\x55\x78\x66\x78\x77\x78\x88";

class MapWriteTest : public travik::test::WorkDirTest {
protected:
    void SetUp() override
    {
        WorkDirTest::SetUp();
        WriteFileBytes("test.map", kMap);
        g_strMapFileName = "test.map";
        ASSERT_TRUE(g_MapFile.Open("test.map", CFileStream::kMapFile));
    }

    std::string MapNow()
    {
        EXPECT_TRUE(g_MapFile.Sync());
        return ReadFileBytes("test.map");
    }
};

TEST_F(MapWriteTest, WritesInsideTheFileUpToItsLastByteAndNoFurther)
{
    // Ending exactly at the end of the file: only those bytes change.
    EXPECT_TRUE(WriteMapBytesAt(14, std::string("\x01\x02", 2)));
    std::string expected = kMap;
    expected.replace(14, 2, "\x01\x02");
    EXPECT_EQ(MapNow(), expected);

    // One byte past it: refused whole, the map neither changed nor longer.
    EXPECT_FALSE(WriteMapBytesAt(15, std::string("\x03\x04", 2)));
    EXPECT_FALSE(WriteMapBytesAt(16, std::string("\x05", 1)));
    EXPECT_FALSE(WriteMapBytesAt(-1, std::string("\x06", 1)));
    EXPECT_EQ(MapNow(), expected);

    // Inside the run, a 0x78 byte asked for is a 0x78 byte written.
    EXPECT_TRUE(WriteMapBytesAt(3, std::string("\x78\x00\x78", 3)));
    expected.replace(3, 3, std::string("\x78\x00\x78", 3));
    EXPECT_EQ(MapNow(), expected);
}

TEST_F(MapWriteTest, NothingIsWrittenWithoutAnOpenMap)
{
    g_MapFile.Close();
    EXPECT_FALSE(WriteMapBytesAt(0, std::string("\x01", 1)));
    EXPECT_FALSE(WriteMapBytesAt(0, std::string("\x01", 1), MapWriteLimit::HighestAddress));
    EXPECT_EQ(ReadFileBytes("test.map"), kMap);
}

TEST_F(MapWriteTest, OnlyTheHighestAddressLimitLengthensTheMap)
{
    EXPECT_TRUE(WriteMapBytesAt(15, std::string("ab\0", 3), MapWriteLimit::HighestAddress));
    EXPECT_EQ(MapNow(), kMap.substr(0, 15) + std::string("ab\0", 3));

    // Past 0xFFFFFFFF no offset of a map can point: refused, nothing grows.
    EXPECT_FALSE(WriteMapBytesAt(0xFFFFFFFF, std::string("z", 1), MapWriteLimit::HighestAddress));
    EXPECT_FALSE(WriteMapBytesAt(0xFFFFFFF0, std::string(17, 'z'), MapWriteLimit::HighestAddress));
    EXPECT_EQ(std::filesystem::file_size("test.map"), 18u);
}

TEST_F(MapWriteTest, TheHighestAddressLimitTakesABlockEndingAtItsVeryOffset)
{
    // Sparse where the file system allows it; one that cannot hold a file
    // of 4 GiB says nothing about the limit.
    std::error_code error;
    WriteFileBytes("probe", "");
    std::filesystem::resize_file("probe", 0xFFFFFFFF, error);
    std::filesystem::remove("probe");
    if (error) GTEST_SKIP() << "the file system cannot hold a file of 0xFFFFFFFF bytes here";

    EXPECT_TRUE(WriteMapBytesAt(0xFFFFFFFE, std::string("z", 1), MapWriteLimit::HighestAddress));
    EXPECT_TRUE(g_MapFile.Sync());
    EXPECT_EQ(std::filesystem::file_size("test.map", error), 0xFFFFFFFFu);
    g_MapFile.Close();
    std::filesystem::resize_file("test.map", 0, error);
}

TEST_F(MapWriteTest, AFailedWriteHasOneWordingThatNamesTheFile)
{
    g_strMapFileName = "b 100%.map";
    EXPECT_EQ(MapWriteFailedMessage(),
              "Writing to the map file 'b 100%.map' failed. The change may be only partly written.");
    EXPECT_EQ(PartialMapWriteMessage({}, "the text"),
              "Writing to the map file 'b 100%.map' failed. The change may be only partly written. Written before "
              "the failure: nothing. Perhaps written in part: the text.");
    EXPECT_EQ(PartialMapWriteMessage({"Map Name", "Map Type"}, "Tag Count"),
              "Writing to the map file 'b 100%.map' failed. The change may be only partly written. Written before "
              "the failure: Map Name, Map Type. Perhaps written in part: Tag Count.");
    EXPECT_EQ(UnflushedMapWriteMessage({"Identifier", "Tag Name"}),
              "Writing to the map file 'b 100%.map' failed. The change may be only partly written. Written before "
              "the failure: nothing. Perhaps written in part: Identifier, Tag Name.");
}

} // namespace
