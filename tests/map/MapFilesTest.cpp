#include "map/MapFiles.h"
#include "map/MapState.h"

#include "tests/support/TestEnvironment.h"

#include <regex>

namespace {

using travik::test::CloseAndReadLog;
using travik::test::OpenTestLog;
using travik::test::ReadFileBytes;
using travik::test::WriteFileBytes;

// Each entry: a 24-character time line, CR LF, then the message line.
const std::regex kTimeLine("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}");

std::string MaskTimes(const std::string& log) { return std::regex_replace(log, kTimeLine, "TIME"); }

class MapFilesTest : public travik::test::WorkDirTest {};

TEST_F(MapFilesTest, StartsWithEveryTextInItsInitialState)
{
    for (const CString* text : {&g_strMapFileName, &g_strMapNickname, &g_strMapFormat, &g_strMapType, &g_strMagic,
                                &g_strInputMapFileName, &g_strInputMagic, &g_strMetaFileName})
        EXPECT_EQ(*text, "None");
    EXPECT_EQ(g_strStringIndexText, "No map loaded.");
    EXPECT_TRUE(g_MapHeader.m_strVersion.IsEmpty());
    EXPECT_TRUE(g_MapHeader.m_strEofPosition.IsEmpty());
    EXPECT_EQ(g_IndexHeader.m_nTagCount, 0);
    EXPECT_EQ(g_InputIndexHeader.m_nTagCount, 0);
    EXPECT_EQ(g_hTagClassSet[0], nullptr);
    EXPECT_FALSE(g_MapFile.IsOpen());
    EXPECT_FALSE(g_bTagChanged || g_bMapChanged || g_bReadOnlyMode || g_bUpdateNameLocation || g_bTagListFilled);
}

TEST_F(MapFilesTest, LogEntriesAreTimeLineThenTabbedMessageWithCrLf)
{
    OpenTestLog();
    LogEntry("\tfirst\n");
    LogEntryAfterBlankLines("\tsecond\n");
    std::string log = CloseAndReadLog();
    EXPECT_EQ(MaskTimes(log), "TIME\r\n\tfirst\r\n\r\n\r\nTIME\r\n\tsecond\r\n");
    EXPECT_EQ(log.find("\r\n"), 24u);
}

TEST_F(MapFilesTest, OpeningAMissingMapLogsTheFailureAndCreatesNothing)
{
    OpenTestLog();
    g_strMapFileName = "gone.map";
    OpenMapFile();
    EXPECT_FALSE(g_MapFile.IsOpen());
    EXPECT_FALSE(std::filesystem::exists("gone.map"));
    g_strInputMapFileName = "None";
    OpenInputMapFile();
    EXPECT_FALSE(g_InputMapFile.IsOpen());
    EXPECT_FALSE(std::filesystem::exists("None"));
    EXPECT_EQ(MaskTimes(CloseAndReadLog()),
              "TIME\r\n\tMapFile 'gone.map' opened unsuccessfully.\r\n"
              "TIME\r\n\tInput MapFile 'None' opened unsuccessfully.\r\n");
}

TEST_F(MapFilesTest, OpeningAnExistingMapChangesNoByte)
{
    std::string bytes;
    for (int i = 0; i < 4096; ++i) bytes += static_cast<char>(i * 7);
    WriteFileBytes("a.map", bytes);
    OpenTestLog();
    g_strMapFileName = "a.map";
    OpenMapFile();
    EXPECT_TRUE(g_MapFile.IsOpen());
    g_bReadOnlyMode = true;
    CloseMapFile();
    g_strMapFileName = "a.map";
    OpenMapFileReadOnly();
    EXPECT_TRUE(g_MapFile.IsOpen());
    g_strInputMapFileName = "a.map";
    OpenInputMapFile();
    g_MapFile.Close();
    CloseInputMapFile();
    EXPECT_EQ(ReadFileBytes("a.map"), bytes);
    EXPECT_EQ(MaskTimes(CloseAndReadLog()),
              "TIME\r\n\tMapFile 'a.map' opened successfully.\r\n"
              "TIME\r\n\tMapFile closed successfully.\r\n"
              "TIME\r\n\tMapFile 'a.map' opened successfully in Read-Only mode.\r\n"
              "TIME\r\n\tInput MapFile 'a.map' opened successfully.\r\n"
              "TIME\r\n\tInput MapFile closed successfully.\r\n");
}

TEST_F(MapFilesTest, CloseMapFileResetsTheOpenMapButKeepsTables)
{
    WriteFileBytes("a.map", "data");
    g_strMapFileName = "a.map";
    OpenMapFile();
    g_strMapNickname = "Nick";
    g_strMapType = "Multiplayer";
    g_strMapFormat = "Xbox";
    g_strMagic = "8040A000";
    g_strStringIndexText = "chunk";
    g_nEofSpace = 77;
    g_MapHeader = MapHeaderInfo {"5", "1000", "200", "name", "date", "1"};
    g_IndexHeader = IndexHeaderInfo {"40440028", 3};
    g_Tags[2].m_strName = "kept\\tag";
    g_TagClasses[5][0] = "bitm";
    g_strInputMapFileName = "second.map";
    g_strInputMagic = "ABC";
    g_InputMapHeader.m_strVersion = "7";
    g_bTagChanged = true;

    CloseMapFile();

    EXPECT_FALSE(g_MapFile.IsOpen());
    for (const CString* text : {&g_strMapFileName, &g_strMapNickname, &g_strMapFormat, &g_strMapType, &g_strMagic})
        EXPECT_EQ(*text, "None");
    EXPECT_EQ(g_strStringIndexText, "No map loaded.");
    EXPECT_EQ(g_nEofSpace, 0);
    for (const CString* text : {&g_MapHeader.m_strVersion, &g_MapHeader.m_strEofPosition,
                                &g_MapHeader.m_strIndexOffset, &g_MapHeader.m_strMapName,
                                &g_MapHeader.m_strBuildDate, &g_MapHeader.m_strMapType})
        EXPECT_TRUE(text->IsEmpty());
    EXPECT_TRUE(g_IndexHeader.m_strIndexMagic.IsEmpty());
    EXPECT_EQ(g_IndexHeader.m_nTagCount, 0);
    EXPECT_EQ(g_Tags[2].m_strName, "kept\\tag");
    EXPECT_EQ(g_TagClasses[5][0], "bitm");
    EXPECT_EQ(g_strInputMapFileName, "second.map");
    EXPECT_EQ(g_strInputMagic, "ABC");
    EXPECT_EQ(g_InputMapHeader.m_strVersion, "7");
    EXPECT_TRUE(g_bTagChanged);
}

TEST_F(MapFilesTest, CloseInputMapFileResetsOnlyTheSecondMapsHeaderAndCount)
{
    OpenTestLog();
    g_strInputMapFileName = "second.map";
    g_strInputMagic = "ABC";
    g_InputMapHeader = MapHeaderInfo {"7", "1000", "200", "name", "date", "1"};
    g_InputIndexHeader = IndexHeaderInfo {"40440028", 3};
    g_InputTags[0].m_strName = "kept";
    g_MapHeader.m_strEofPosition = "99";

    CloseInputMapFile();

    EXPECT_TRUE(g_InputMapHeader.m_strIndexOffset.IsEmpty());
    EXPECT_TRUE(g_InputMapHeader.m_strEofPosition.IsEmpty());
    EXPECT_TRUE(g_InputMapHeader.m_strMapName.IsEmpty());
    EXPECT_EQ(g_InputMapHeader.m_strVersion, "7");
    EXPECT_EQ(g_InputMapHeader.m_strBuildDate, "date");
    EXPECT_TRUE(g_InputIndexHeader.m_strIndexMagic.IsEmpty());
    EXPECT_EQ(g_InputIndexHeader.m_nTagCount, 0);
    EXPECT_EQ(g_strInputMapFileName, "second.map");
    EXPECT_EQ(g_strInputMagic, "ABC");
    EXPECT_EQ(g_InputTags[0].m_strName, "kept");
    EXPECT_EQ(g_MapHeader.m_strEofPosition, "99");
    EXPECT_EQ(MaskTimes(CloseAndReadLog()), "TIME\r\n\tInput MapFile closed successfully.\r\n");
}

TEST_F(MapFilesTest, EntriesAreLostWithoutNoticeWhenTheLogIsNotOpen)
{
    g_strMapFileName = "gone.map";
    OpenMapFile();
    CloseMapFile();
    EXPECT_FALSE(std::filesystem::exists("Log.txt"));
    EXPECT_EQ(g_strMapFileName, "None");
}

TEST_F(MapFilesTest, LoadedTagCountNeverExceedsTheTable)
{
    IndexHeaderInfo header;
    for (auto [count, loaded] : {std::pair {0, 0}, {3, 3}, {5000, 5000}, {5001, 5000}, {65535, 5000}, {-4, 0}}) {
        header.m_nTagCount = count;
        EXPECT_EQ(LoadedTagCount(header), loaded) << count;
    }
}

} // namespace
