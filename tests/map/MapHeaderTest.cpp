#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapHeader.h"
#include "map/MapState.h"
#include "platform/TreeCtrl.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {
using namespace travik::test;

class MapHeaderTest : public WorkDirTest {
protected:
    void Read(const MapBuilder& map)
    {
        OpenBuiltMap(map);
        ReadMapHeader();
    }
};

TEST_F(MapHeaderTest, VersionTextsAndFormats)
{
    struct Case {
        uint16_t version;
        const char* text;
        const char* format;
    };
    const Case cases[] = {
        {5, "5", "Xbox"},    {7, "7", "PC"},        {0, "0", "Unknown"},       {0xF, "f", "Unknown"},
        {0x10, "0010", "Unknown"}, {0x105, "0105", "Unknown"}, {0xFFFF, "ffff", "Unknown"},
    };
    for (const Case& c : cases) {
        ResetMapState();
        Read(MapBuilder::Xbox().Version(c.version));
        EXPECT_EQ(g_MapHeader.m_strVersion, c.text) << c.version;
        DetectMapFormat();
        EXPECT_EQ(g_strMapFormat, c.format) << c.version;
    }
}

TEST_F(MapHeaderTest, TypeTextsAndTypes)
{
    struct Case {
        uint16_t type;
        const char* text;
        const char* name;
    };
    const Case cases[] = {
        {0, "0", "Campaign"}, {1, "1", "Multiplayer"}, {2, "2", "User Interface"},
        {3, "3", "Unknown"},  {0x100, "0100", "Unknown"},
    };
    for (const Case& c : cases) {
        ResetMapState();
        Read(MapBuilder::Pc().MapType(c.type));
        EXPECT_EQ(g_MapHeader.m_strMapType, c.text);
        DetectMapType();
        EXPECT_EQ(g_strMapType, c.name);
    }
}

TEST_F(MapHeaderTest, FourByteFieldsAndTexts)
{
    MapBuilder map = MapBuilder::Xbox();
    map.Patch(0x08, std::string("\x78\x56\x34\x12", 4))     // 0x78 read exactly
        .Patch(0x10, std::string("\x00\xA0\x68\x01", 4))    // 0168A000
        .Patch(0x06, "\x01\x02")                            // beside the version: never read
        .Patch(0x20, std::string(32, 'n'))                  // a name with no zero byte
        .Patch(0x40, std::string("01.00\0junk", 10));
    Read(map);
    EXPECT_EQ(g_MapHeader.m_strEofPosition, "12345678");
    EXPECT_EQ(g_MapHeader.m_strIndexOffset, "168a000");
    EXPECT_EQ(g_MapHeader.m_strVersion, "5");
    EXPECT_EQ(g_MapHeader.m_strMapName, CString(std::string(32, 'n')));
    EXPECT_EQ(g_MapHeader.m_strBuildDate, "01.00");

    ResetMapState();
    Read(MapBuilder::Xbox().Patch(0x10, std::string(4, '\0')));
    EXPECT_EQ(g_MapHeader.m_strIndexOffset, "");
    EXPECT_EQ(HexToInt(g_MapHeader.m_strIndexOffset), 0u);
}

TEST_F(MapHeaderTest, InputHeaderReadsOnlyIndexOffsetAndEof)
{
    g_InputMapHeader.m_strMapName = "kept";
    g_InputMapHeader.m_strVersion = "kept";
    MapBuilder map = MapBuilder::Pc().IndexOffset(0x900).EofPosition(0x123456);
    OpenBuiltInputMap(map);
    ReadInputMapHeader();
    EXPECT_EQ(g_InputMapHeader.m_strIndexOffset, "900");
    EXPECT_EQ(g_InputMapHeader.m_strEofPosition, "123456");
    EXPECT_EQ(g_InputMapHeader.m_strMapName, "kept");
    EXPECT_EQ(g_InputMapHeader.m_strVersion, "kept");
    EXPECT_TRUE(g_MapHeader.m_strIndexOffset.IsEmpty());
}

TEST_F(MapHeaderTest, NicknamesAndTreeColours)
{
    struct Case {
        const char* internalName;
        const char* nickname;
        COLORREF color;
    };
    const Case cases[] = {
        {"bloodgulch", "Blood Gulch", 0x4080FF},
        {"BloodGulch", "Unknown", 0xBBBBBB},
        {"a10", "Pillar of Autumn", 0xA0A09E},
        {"a30", "Halo", 0x03D618},
        {"a50", "The Truth and Reconciliation", 0xEE00EE},
        {"b30", "The Silent Cartographer", 0x24CF16},
        {"b40", "Assault on the Control Room", 0xFFFFFF},
        {"c10", "343 Guilty Spark", 0x549E58},
        {"c20", "The Library", 0x707E89},
        {"c40", "Two Betrayals", 0x9A8C9B},
        {"d20", "Keyes", 0xBC00C1},
        {"d40", "The Maw", 0x50A0A3},
        {"sidewinder", "Sidewinder", 0xBBBBBB},
        {"hangemhigh", "Hang 'em High", 0xBBBBBB},
        {"beavercreek", "Battle Creek", 0xBBBBBB},
        {"damnation", "Damnation", 0xE148B7},
        {"chillout", "Chill Out", 0xE124AD},
        {"carousel", "Derelict", 0xBBBBBB},
        {"putput", "Chiron TL34", 0xBBBBBB},
        {"timberland", "Timberland", 0xBBBBBB},
        {"ui", "User Interface", 0xBBBBBB},
        {"", "Unknown", 0xBBBBBB},
    };
    for (const Case& c : cases) {
        ResetMapState();
        Read(MapBuilder::Xbox().MapName(c.internalName));
        DetectMapNickname();
        EXPECT_EQ(g_strMapNickname, c.nickname) << c.internalName;
        CTreeCtrl tree;
        tree.SetBkColor(RGB(0, 0, 0));
        SetTreeColorForMap(&tree);
        EXPECT_EQ(tree.GetBkColor(), c.color) << c.internalName;
    }
    SetTreeColorForMap(nullptr); // no tree: nothing to colour
}

TEST_F(MapHeaderTest, EofSpace)
{
    struct Case {
        MapBuilder map;
        uint16_t type;
        uint32_t eof;
        int32_t space;
    };
    Case cases[] = {
        {MapBuilder::Xbox(), 0, 0x10000000, 23068672},
        {MapBuilder::Xbox(), 1, 0x1000000, 0x2F00000 - 0x1000000},
        {MapBuilder::Xbox(), 2, 0x10000000, 0},
        {MapBuilder::Xbox(), 7, 0x10, 0},
        {MapBuilder::Xbox(), 1, 0x3000000, -0x100000},
        {MapBuilder::Xbox(), 0, 0xFFFFFFF0, static_cast<int32_t>(0x11600000u + 0x10u)},
        {MapBuilder::Pc(), 0, 0x10000000, 0},
        {MapBuilder::Xbox().Version(0x105), 0, 0x10, 0},
    };
    for (Case& c : cases) {
        ResetMapState();
        g_nEofSpace = 12345;
        Read(c.map.MapType(c.type).EofPosition(c.eof));
        ComputeEofSpace();
        EXPECT_EQ(g_nEofSpace, c.space) << c.type << " " << c.eof;
    }
}

TEST_F(MapHeaderTest, DetectionsLogNicknameTypeAndFormatLines)
{
    OpenTestLog();
    Read(MapBuilder::Xbox().MapName("b30").MapType(0));
    DetectMapNickname();
    DetectMapType();
    DetectMapFormat();
    std::string log = CloseAndReadLog();
    const std::regex time("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\r\n");
    log = std::regex_replace(log, time, "<time>\n");
    EXPECT_EQ(log,
              "<time>\n\tMapFile 'test.map' opened successfully.\r\n"
              "<time>\n\tMap nickname: The Silent Cartographer\r\n"
              "<time>\n\tMap type: Campaign\r\n"
              "<time>\n\tMap format: Xbox\r\n");
}

TEST_F(MapHeaderTest, AFileCutAnywhereInsideItsHeaderIsIdentifiedAsNothing)
{
    MapLayout layout;
    const std::string whole = MapBuilder::Xbox().MapName("bloodgulch").Build(&layout);
    const std::string indexOffset = IntToHex(static_cast<int32_t>(layout.indexOffset)).GetString();
    for (size_t cut = 0; cut <= 0x62; ++cut) {
        ResetMapLoadState();
        WriteFileBytes("short.map", whole.substr(0, cut));
        g_strMapFileName = "short.map";
        OpenMapFile();
        ReadMapHeader();
        DetectMapNickname();
        DetectMapType();
        DetectMapFormat();
        ComputeEofSpace();
        CTreeCtrl tree;
        SetTreeColorForMap(tree);
        if (cut == 0x62) {
            // The whole header: the map is what it says.
            EXPECT_EQ(g_strMapNickname, "Blood Gulch");
            EXPECT_EQ(g_strMapType, "Multiplayer");
            EXPECT_EQ(g_strMapFormat, "Xbox");
            EXPECT_NE(g_nEofSpace, 0);
            continue;
        }
        EXPECT_EQ(g_strMapNickname, "Unknown") << cut;
        EXPECT_EQ(g_strMapType, "Unknown") << cut;
        EXPECT_EQ(g_strMapFormat, "Unknown") << cut;
        EXPECT_EQ(g_nEofSpace, 0) << cut;
        EXPECT_EQ(tree.GetBkColor(), TreeColorForNickname("Unknown")) << cut;
        EXPECT_EQ(g_MapHeader.m_strVersion, "ffff") << cut;
        EXPECT_EQ(g_MapHeader.m_strMapType, "ffff") << cut;
        EXPECT_EQ(g_MapHeader.m_strMapName, "") << cut;
        // Fields the file holds whole still read as stored; a field cut
        // short reads its missing bytes as zeros.
        if (cut >= 0x14) { EXPECT_EQ(g_MapHeader.m_strIndexOffset, indexOffset.c_str()) << cut; }
        if (cut <= 0x10) { EXPECT_EQ(g_MapHeader.m_strIndexOffset, "") << cut; }
        if (cut >= 0x60) { EXPECT_EQ(g_MapHeader.m_strBuildDate, "01.00.00.0609") << cut; }
    }
    // No file open at all reads as the shortest file.
    ResetMapState();
    ReadMapHeader();
    DetectMapFormat();
    DetectMapType();
    EXPECT_EQ(g_strMapFormat, "Unknown");
    EXPECT_EQ(g_strMapType, "Unknown");
}
} // namespace
