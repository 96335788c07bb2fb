#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapHeader.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "map/TagIndex.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {
using namespace travik::test;

std::string MaskTimeLines(const std::string& log)
{
    static const std::regex time("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\r\n");
    return std::regex_replace(log, time, "<time>\r\n");
}

class TagIndexTest : public WorkDirTest {
protected:
    MapLayout Load(const MapBuilder& map, CTreeCtrl* tree = nullptr)
    {
        MapLayout layout = OpenBuiltMap(map);
        LoadOpenMap(tree);
        return layout;
    }
};

TEST_F(TagIndexTest, WorkedMagicExample)
{
    MapBuilder map = MapBuilder::Pc();
    map.IndexOffset(0x1E0).Patch(0x1E0, std::string("\x04\x08\x00\x00", 4));
    map.AddTag("bitm", "a");
    map.AddTag("bitm", "b");
    map.AddTag("bitm", "c").NameAddress(0x900);
    Load(map);
    EXPECT_EQ(g_MapHeader.m_strIndexOffset, "1e0");
    EXPECT_EQ(g_IndexHeader.m_strIndexMagic, "804");
    EXPECT_EQ(g_strMagic, "600");
    EXPECT_EQ(g_Tags[2].m_strPageOffset, "244");
    EXPECT_EQ(g_Tags[2].m_strStringOffset, "300");
    EXPECT_EQ(g_Tags[0].m_strPageOffset, "204");
}

TEST_F(TagIndexTest, IndexMagicTextsAndMagic)
{
    struct Case {
        std::string bytes;
        const char* indexMagic;
        const char* magic;
    };
    const Case cases[] = {
        {std::string("\x00\x10\x40\x00", 4), "401000", "4007DC"},
        {std::string(4, '\0'), "", "FFFFF7DC"},                   // negative: 8 digits
        {std::string("\x00\x60\x3A\x80", 4), "803a6000", "803A57DC"},
        {std::string("\x78\x60\x3A\x80", 4), "803a6078", "803A5854"}, // 0x78 read exactly
        {std::string("\x00\x78\x78\x78", 4), "78787800", "78786FDC"},
        {std::string("\x24\x08\x00\x00", 4), "824", ""},          // magic 0
    };
    for (const Case& c : cases) {
        ResetMapState();
        OpenBuiltMap(MapBuilder::Xbox().Patch(0x800, c.bytes));
        ReadMapHeader();
        ReadIndexHeader();
        EXPECT_EQ(g_IndexHeader.m_strIndexMagic, c.indexMagic);
        if (*c.magic) {
            EXPECT_EQ(g_strMagic, c.magic);
        } else {
            EXPECT_EQ(g_strMagic, "0");
        }
    }
}

TEST_F(TagIndexTest, TagCountIsTwoBytes)
{
    struct Case {
        std::string bytes;
        int count;
    };
    const Case cases[] = {
        {std::string("\x34\x12\x05\x00", 4), 4660},
        {std::string("\xFF\xFF\xFF\xFF", 4), 65535},
        {std::string("\x00\x00\x01\x00", 4), 0},
        {std::string("\x78\x01\x00\x00", 4), 0x178},
        {std::string("\x78\x78\x78\x00", 4), 0x7878},
    };
    for (const Case& c : cases) {
        ResetMapState();
        OpenBuiltMap(MapBuilder::Xbox().Patch(0x80C, c.bytes));
        ReadMapHeader();
        ReadIndexHeader();
        EXPECT_EQ(g_IndexHeader.m_nTagCount, c.count);
    }
}

TEST_F(TagIndexTest, EntryFields)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "levels\\test\\bitmap", "obje", "unit").Identifier(0xE1740000).MetaSize(0x40);
    map.AddTag("", "empty classes").Identifier(0x12780056).MetaSize(0x10);
    map.AddTag("ab", "short code", std::string(4, '\xFF'), "fog ").MetaSize(4);
    map.AddTag("DeLa", "last").MetaSize(8);
    map.Tag(3).MetaAddress(0x80000000); // below the magic
    MapLayout layout = Load(map);
    const TagEntry& t0 = g_Tags[0];
    EXPECT_EQ(t0.m_strClass1, "bitm");
    EXPECT_EQ(t0.m_strClass2, "obje");
    EXPECT_EQ(t0.m_strClass3, "unit");
    EXPECT_EQ(t0.m_strIdentifier, "e1740000");
    EXPECT_EQ(t0.m_strName, "levels\\test\\bitmap");
    EXPECT_EQ(t0.m_strPageOffset, "824");
    EXPECT_EQ(HexToInt(t0.m_strStringOffset), layout.nameOffsets[0]);
    EXPECT_EQ(HexToInt(t0.m_strMetaOffset), layout.metaOffsets[0]);
    EXPECT_EQ(t0.m_nMetaSize, 0x40);
    EXPECT_EQ(t0.m_strValue, BytesToHex(Le32(layout.metaAddresses[0]).c_str()));

    EXPECT_EQ(g_Tags[1].m_strClass1, "");
    EXPECT_EQ(g_Tags[1].m_strIdentifier, "12780056"); // 0x78 read exactly
    EXPECT_EQ(g_Tags[2].m_strClass1, "ab");
    EXPECT_EQ(g_Tags[2].m_strClass2.Bytes(), std::string(4, '\xFF'));
    EXPECT_EQ(g_Tags[2].m_strClass3, "fog ");
    // The metadata address of tag 3 lies below the magic: offset in 8 digits,
    // and tag 2's size (next address minus its own) is negative.
    EXPECT_EQ(g_Tags[3].m_strMetaOffset, IntToHex(static_cast<int32_t>(0x80000000u - layout.magic)));
    EXPECT_EQ(g_Tags[3].m_strMetaOffset.GetLength(), 8);
    EXPECT_LT(g_Tags[2].m_nMetaSize, 0);
    EXPECT_EQ(g_Tags[2].m_nMetaSize, static_cast<int32_t>(0x80000000u - layout.metaAddresses[2]));
    EXPECT_EQ(g_Tags[3].m_nMetaSize, 0);
    EXPECT_EQ(g_Tags[3].m_strValue, "00000080");
}

TEST_F(TagIndexTest, Byte78InAddressesAndValueReadExactly)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a").MetaAddress(0x80781278).NameAddress(0x80787000);
    map.AddTag("bitm", "b").MetaAddress(0x80791234);
    Load(map);
    const uint32_t magic = HexToInt(g_strMagic);
    EXPECT_EQ(g_Tags[0].m_strValue, "78127880");
    EXPECT_EQ(g_Tags[0].m_strMetaOffset, IntToHex(static_cast<int32_t>(0x80781278u - magic)));
    EXPECT_EQ(g_Tags[0].m_strStringOffset, IntToHex(static_cast<int32_t>(0x80787000u - magic)));
    EXPECT_EQ(g_Tags[0].m_nMetaSize, 0x0000FFBC);
}

TEST_F(TagIndexTest, NamesEndAtZeroAt5000CharactersOrAtTheEndOfTheFile)
{
    MapBuilder map = MapBuilder::Pc();
    map.AddTag("bitm", std::string(6000, 'n'));
    map.AddTag("bitm", std::string(5000, 'f'));
    map.AddTag("bitm", std::string("with\x78x\xFF", 7));
    map.AddTag("bitm", "beyond").NameAddress(0x7FFFFFF0);
    map.AddTag("bitm", "tail").UnterminatedName();
    Load(map);
    EXPECT_EQ(g_Tags[0].m_strName, CString(std::string(5000, 'n')));
    EXPECT_EQ(g_Tags[1].m_strName, CString(std::string(5000, 'f')));
    EXPECT_EQ(g_Tags[2].m_strName.Bytes(), std::string("with\x78x\xFF", 7)); // names are raw text
    EXPECT_EQ(g_Tags[3].m_strName, "");
    EXPECT_EQ(g_Tags[4].m_strName, "tail");
}

TEST_F(TagIndexTest, CountZeroLeavesTheTableAndLogsTheHeadOnly)
{
    g_Tags[0].m_strName = "earlier";
    g_Tags[0].m_nMetaSize = 7;
    OpenTestLog();
    CTreeCtrl tree;
    Load(MapBuilder::Xbox(), &tree);
    EXPECT_EQ(g_IndexHeader.m_nTagCount, 0);
    EXPECT_EQ(g_Tags[0].m_strName, "earlier");
    EXPECT_EQ(g_Tags[0].m_nMetaSize, 7);
    EXPECT_EQ(tree.GetCount(), 3u + 3u * 80u);
    const std::string log = MaskTimeLines(CloseAndReadLog());
    const std::string tail = "\r\n\r\n<time>\r\n\tIndex load starts.\r\n\r\n";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

TEST_F(TagIndexTest, EntriesPastTheCountKeepAnEarlierLoad)
{
    MapBuilder big = MapBuilder::Xbox();
    for (int i = 0; i < 4; ++i) big.AddTag("bitm", "big" + std::to_string(i));
    Load(big);
    CloseMapFile();
    MapBuilder small = MapBuilder::Xbox();
    small.AddTag("snd!", "small0");
    Load(small);
    EXPECT_EQ(g_Tags[0].m_strName, "small0");
    EXPECT_EQ(g_Tags[1].m_strName, "big1");
    EXPECT_EQ(g_Tags[3].m_strName, "big3");
}

// The whole log of opening a three-tag map, byte for byte.
TEST_F(TagIndexTest, IndexLoadLogEntry)
{
    MapBuilder map = MapBuilder::Xbox();
    map.MapName("bloodgulch").MapType(1).IndexMagic(0x803A6000);
    map.AddTag("bitm", "levels\\test\\bitmap").Identifier(0xE1740000).MetaSize(0x20);
    map.AddTag("obje", "characters\\cyborg", "unit", "bipd").Identifier(0xE1750001).MetaSize(0x10);
    map.AddTag("", "ui\\empty").Identifier(0xE1760002).MetaSize(4);
    OpenTestLog();
    MapLayout layout = Load(map);
    ASSERT_EQ(layout.metaOffsets[0], 0x884u);
    ASSERT_EQ(layout.nameOffsets[0], 0x8B8u);
    const std::string expected =
        "<time>\r\n\tMapFile 'test.map' opened successfully.\r\n"
        "<time>\r\n\tMap nickname: Blood Gulch\r\n"
        "<time>\r\n\tMap type: Multiplayer\r\n"
        "<time>\r\n\tMap format: Xbox\r\n"
        "\r\n\r\n"
        "<time>\r\n"
        "\tIndex load starts.\r\n"
        "\r\n"
        "Tag number 0 data:\r\n"
        "Tag name:\t\t\tlevels\\test\\bitmap\r\n"
        "Page Offset:\t\t824\r\n"
        "Identifier:\t\t\te1740000\r\n"
        "Tagclasses:\t\t\tbitm\r\n"
        "String Offset:\t\t8b8\r\n"
        "Meta Offset:\t\t884\r\n"
        "Value:\t\t\t\t60603a80\r\n"
        "\r\n"
        "Tag number 1 data:\r\n"
        "Tag name:\t\t\tcharacters\\cyborg\r\n"
        "Page Offset:\t\t844\r\n"
        "Identifier:\t\t\te1750001\r\n"
        "Tagclasses:\t\t\tobjeunitbipd\r\n"
        "String Offset:\t\t8cb\r\n"
        "Meta Offset:\t\t8a4\r\n"
        "Value:\t\t\t\t80603a80\r\n"
        "\r\n"
        "Tag number 2 data:\r\n"
        "Tag name:\t\t\tui\\empty\r\n"
        "Page Offset:\t\t864\r\n"
        "Identifier:\t\t\te1760002\r\n"
        "Tagclasses:\t\t\t\r\n"
        "String Offset:\t\t8dd\r\n"
        "Meta Offset:\t\t8b4\r\n"
        "Value:\t\t\t\t90603a80\r\n"
        "\r\n";
    EXPECT_EQ(MaskTimeLines(CloseAndReadLog()), expected);
}

TEST_F(TagIndexTest, CountAbove5000LoadsTheFirst5000AndSaysSo)
{
    MapBuilder map = MapBuilder::Pc();
    for (int i = 0; i < 5002; ++i) map.AddTag("bitm", "t" + std::to_string(i)).MetaSize(8);
    OpenTestLog();
    CTreeCtrl tree;
    MapLayout layout = Load(map, &tree);
    EXPECT_EQ(g_IndexHeader.m_nTagCount, 5002);
    EXPECT_EQ(LoadedTagCount(g_IndexHeader), 5000);
    EXPECT_EQ(g_Tags[4999].m_strName, "t4999");
    EXPECT_EQ(g_Tags[4999].m_nMetaSize, layout.LoadedMetaSize(4999)); // from entry 5000
    EXPECT_EQ(tree.GetCount(), 3u + 240u + 3u * 5000u);
    const std::string log = CloseAndReadLog();
    EXPECT_NE(log.find("Tag number 4999 data:"), std::string::npos);
    EXPECT_EQ(log.find("Tag number 5000 data:"), std::string::npos);
    const std::string note = "\tOnly the first 5000 of 5002 tags were loaded: the tag table holds 5000 tags.\r\n";
    ASSERT_GE(log.size(), note.size());
    EXPECT_EQ(log.substr(log.size() - note.size()), note);
}

// Hostile and truncated maps: every load finishes, indexes nothing past a
// table and reads missing bytes as zeros.
TEST_F(TagIndexTest, BrokenMapsLoadWithoutHarm)
{
    MapBuilder base = MapBuilder::Xbox();
    base.AddTag("bitm", "first").MetaSize(0x10);
    base.AddTag("obje", "second", "unit").MetaSize(0x10);
    base.AddTag("snd!", "third").MetaSize(0x10);
    const MapLayout whole = base.Layout();
    std::vector<size_t> cuts = {0, 4, 0x10, 0x14, 0x60, 0x800, 0x804, 0x80C, 0x80D, 0x810, 0x824, 0x830, 0x844,
                                0x850, 0x863, whole.metaOffsets[0], whole.nameOffsets[0], whole.nameOffsets[0] + 2,
                                whole.nameOffsets[2], whole.fileSize - 1};
    for (size_t cut : cuts) {
        ResetMapState();
        OpenTestLog();
        CTreeCtrl tree;
        Load(MapBuilder(base).TruncateAt(cut), &tree);
        EXPECT_LE(LoadedTagCount(g_IndexHeader), 3) << cut;
        EXPECT_GE(tree.GetCount(), 243u) << cut;
        EXPECT_NE(CloseAndReadLog().find("Index load starts."), std::string::npos) << cut;
    }
    // Entries past the cut read as zeros.
    ResetMapState();
    Load(MapBuilder(base).TruncateAt(0x850));
    EXPECT_EQ(g_IndexHeader.m_nTagCount, 3);
    EXPECT_EQ(g_Tags[1].m_strClass1, "obje");
    EXPECT_EQ(g_Tags[1].m_strIdentifier, "00000000");
    EXPECT_EQ(g_Tags[2].m_strClass1, "");
    EXPECT_EQ(g_Tags[2].m_strName, "");
}

TEST_F(TagIndexTest, HostileCountsAndAddresses)
{
    // A count of 65535 over a short file.
    CTreeCtrl tree;
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "only").MetaSize(4);
    map.StoredTagCount(65535);
    Load(map, &tree);
    EXPECT_EQ(g_IndexHeader.m_nTagCount, 65535);
    EXPECT_EQ(g_Tags[0].m_strName, "only");
    EXPECT_EQ(g_Tags[4999].m_strClass1, "");
    EXPECT_EQ(tree.GetCount(), 3u + 240u + 3u * 5000u);

    // Index offset and addresses outside the file, a huge metadata size.
    ResetMapState();
    tree.DeleteAllItems();
    MapBuilder far = MapBuilder::Pc();
    far.AddTag("bitm", "a").MetaAddress(0x00000010).NameAddress(0xFFFFFFFF);
    far.AddTag("bitm", "b").MetaAddress(0x7FFFFFF0);
    Load(far, &tree);
    EXPECT_EQ(g_Tags[0].m_nMetaSize, 0x7FFFFFE0);
    EXPECT_EQ(g_Tags[0].m_strName, "");

    for (uint32_t offset : {0x7FFFFFF0u, 0xFFFFFFFFu, 0xFFFFFFE0u, 0xFFFFF000u}) {
        ResetMapState();
        tree.DeleteAllItems();
        Load(MapBuilder::Xbox().Patch(0x10, Le32(offset)), &tree);
        EXPECT_EQ(g_IndexHeader.m_nTagCount, 0) << offset;
    }

    // Offsets are 32-bit: an index just below the top of the range has its
    // count at 0x08 and its entries from 0x20 on, over the header's texts.
    ResetMapState();
    tree.DeleteAllItems();
    Load(MapBuilder::Xbox().EofPosition(2).Patch(0x10, Le32(0xFFFFFFFC)), &tree);
    EXPECT_EQ(g_IndexHeader.m_nTagCount, 2);
    EXPECT_EQ(g_strMagic, "FFFFFFE0");
    EXPECT_EQ(g_Tags[0].m_strPageOffset, "20");
    EXPECT_EQ(g_Tags[0].m_strClass1, "tset"); // the map name "testmap"
    EXPECT_EQ(g_Tags[0].m_strClass2, "pam");
    EXPECT_EQ(g_Tags[0].m_strName, "testmap"); // name address 0: offset 0x20
    EXPECT_EQ(g_Tags[1].m_strPageOffset, "40");
    EXPECT_EQ(g_Tags[1].m_strClass1, "0.10"); // the build date "01.00.00.0609"
}

TEST_F(TagIndexTest, NoMapOpenLoadsNothingHarmfully)
{
    FillTagClassTable();
    CTreeCtrl tree;
    ReadMapHeader();
    ReadIndexHeader();
    LoadTagIndex(&tree);
    EXPECT_EQ(g_IndexHeader.m_nTagCount, 0);
    EXPECT_EQ(tree.GetCount(), 243u);
}
} // namespace
