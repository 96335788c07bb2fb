// Numbers of the header and the index that hold 0x78 bytes: what the main
// window, Tag Controls and Map Info show, and every writing operation of
// Tag Controls, each compared with the whole map file.
#include "tests/support/TagInfoFixture.h"
#include "tools/HaloMapInfo.h"

#include <cstdio>

using namespace travik::test;

namespace {

CString Hex8(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// Tag 1 ("weapons\seventy-eight") stands where a number read with 0x78 as
// zero would miss it: its metadata and name addresses end in 0x78, its
// identifier holds two 0x78 bytes, and in the second shape the magic puts
// 0x78 into the third byte of every address as well. Its neighbours are
// filled with non-zero bytes, so a write at a wrong place shows.
MapBuilder Map78(bool magic78)
{
    MapBuilder map = MapBuilder::Xbox();
    if (magic78) map.Magic(0x80780000u);
    map.AddTag("bitm", "levels\\first").Meta(std::string(0x100, '\x33'));
    map.AddTag("weap", "weapons\\seventy-eight")
        .Identifier(0xE1780078u)
        .Meta(std::string(0x60, '\x5A'))
        .TagRef(0x10, "bitm", 0)
        .Reflexive(0x20, 2, 0x40)
        .MetaAddressLowByte(0x78)
        .NameAddressLowByte(0x78);
    map.AddTag("snd!", "sounds\\after").Identifier(0xE1790078u).Meta(std::string(0x40, '\x44'));
    map.AddTag("obje", "end").Meta(std::string(8, '\x66'));
    return map;
}

class Exact78 : public TagControls, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        TagControls::SetUp();
        Load(Map78(GetParam()));
        // The shape is what the tests are about.
        ASSERT_EQ(Layout().metaAddresses[1] & 0xFF, 0x78u);
        ASSERT_EQ(Layout().nameAddresses[1] & 0xFF, 0x78u);
        m_before = FileBytes();
        m_block = Layout().metaOffsets[1];
    }

    std::string m_before;
    uint32_t m_block = 0;
};

TEST_P(Exact78, TreeTagControlsAndLogShowExactNumbersAndNames)
{
    Expect().Escape();
    Run(1);
    ASSERT_EQ(user.Problems(), "");
    const headless::ShownWindow& shown = user.Shown().back();
    EXPECT_EQ(shown.Text(IDC_TAG_NAME), "weapons\\seventy-eight");
    EXPECT_EQ(shown.Text(IDC_IDENTIFIER), "e1780078");
    EXPECT_EQ(shown.Text(IDC_PAGE_OFFSET), "844");
    EXPECT_EQ(shown.Text(IDC_META_OFFSET), IntToHex(static_cast<int32_t>(m_block)));
    EXPECT_EQ(shown.Text(IDC_STRING_OFFSET), IntToHex(static_cast<int32_t>(Layout().nameOffsets[1])));
    // The address in file order: its first byte is the 0x78.
    const uint32_t a = Layout().metaAddresses[1];
    EXPECT_EQ(shown.Text(IDC_VALUE), Hex8((a & 0xFF) << 24 | (a >> 8 & 0xFF) << 16 | (a >> 16 & 0xFF) << 8 | a >> 24));
    EXPECT_EQ(shown.Text(IDC_VALUE).Left(2), "78");
    EXPECT_EQ(shown.Text(IDC_META_SIZE), std::to_string(Layout().metaAddresses[2] - a).c_str());
    // Tag 0's size runs to tag 1's exact address.
    EXPECT_EQ(g_Tags[0].m_nMetaSize, static_cast<int32_t>(a - Layout().metaAddresses[0]));
    EXPECT_EQ(g_Tags[2].m_strName, "sounds\\after");
    EXPECT_EQ(g_Tags[2].m_strIdentifier, "e1790078");

    // The main window's tree names the tag by its exact name.
    ResetMapState();
    g_strMapFileName = "None";
    user.ExpectDialog("Project Travik")
        .Menu(ID_FILE_OPEN_MAPFILE)
        .SelectTreeItem(IDC_TAG_TREE, {"Tag Class Set 1", "weap -- Weapon", "weapons\\seventy-eight"})
        .Escape();
    user.AnswerFile("test.map");
    user.ExpectDialog("Tag Controls").Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(user.Shown().back().Text(IDC_IDENTIFIER), "e1780078");
    const std::string log = ReadLog();
    EXPECT_NE(log.find("Tag name:\t\t\tweapons\\seventy-eight\r\n"), std::string::npos);
    EXPECT_NE(log.find("Identifier:\t\t\te1780078\r\n"), std::string::npos);
}

TEST_P(Exact78, RenameInPlaceWritesOnlyAtTheNamesExactAddress)
{
    Expect().Type(IDC_TAG_NAME, "weapons\\78").Click(IDC_SAVE_CHANGES).Escape();
    Run(1);
    ASSERT_EQ(user.Problems(), "");
    std::string expected = m_before;
    Put(expected, Layout().nameOffsets[1], std::string("weapons\\78\0", 11));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
}

TEST_P(Exact78, SaveChangesWritesEditedNumbersExactlyAndKeepsTheOthers)
{
    // A new metadata offset: its address is written from the exact magic.
    const uint32_t moved = m_block + 0x10;
    Expect().Type(IDC_META_OFFSET, IntToHex(static_cast<int32_t>(moved))).Click(IDC_SAVE_CHANGES).Escape();
    Run(1);
    ASSERT_EQ(user.Problems(), "");
    std::string expected = m_before;
    Put(expected, Layout().entryOffsets[1] + 0x14, Le32(moved + Layout().magic));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
}

TEST_P(Exact78, MovedNameGoesToTheExactEofPosition)
{
    // A map whose end, and EoF position, is an offset ending in 0x78.
    MapBuilder map = Map78(GetParam());
    const uint32_t size = map.Layout().fileSize;
    const uint32_t eof = ((size + 1 + 0xFF - 0x78) & ~0xFFu) + 0x78; // past the end
    map.Patch(eof - 1, std::string(1, '\x21')).EofPosition(eof);
    g_MapFile.Close();
    Load(map);
    const std::string before = FileBytes();
    ASSERT_EQ(before.size(), eof);
    ASSERT_EQ(g_MapHeader.m_strEofPosition, IntToHex(static_cast<int32_t>(eof)));

    const std::string name = "weapons\\seventy-eight and more";
    Expect().Type(IDC_TAG_NAME, name.c_str()).Click(IDC_UPDATE_NAME_LOCATION).Click(IDC_SAVE_CHANGES).Escape();
    Run(1);
    ASSERT_EQ(user.Problems(), "");
    std::string expected = before;
    Put(expected, eof, name + '\0');
    Put(expected, Layout().entryOffsets[1] + 0x10, Le32(eof + Layout().magic));
    Put(expected, 0x08, Le32(eof + static_cast<uint32_t>(name.size()) + 1));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
}

TEST_P(Exact78, UpdateItemPatchesOnlyTheTagsOwnReference)
{
    Expect()
        .Click(IDC_SCAN_METADATA)
        .SelectTreeItem(IDC_SCANNER_TREE, ItemStarting("0x0000001c"))
        .SelectComboEntry(IDC_SCAN_TAG, "snd! -- sounds\\after")
        .Click(IDC_UPDATE_ITEM)
        .Escape();
    Run(1);
    ASSERT_EQ(user.Problems(), "");
    std::string expected = m_before;
    Put(expected, m_block + 0x1C, Le32(0xE1790078u));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
}

TEST_P(Exact78, SaveMetadataThenInjectRestoresOnlyTheTagsOwnBytes)
{
    for (const bool corrected : {false, true}) {
        SCOPED_TRACE(corrected ? "corrected" : "uncorrected");
        Expect().Click(IDC_SAVE_METADATA).Escape();
        user.AnswerFile(PathOf("t.meta").c_str());
        ExpectMessage("Metadata saved successfully.");
        Run(1);
        ASSERT_EQ(user.Problems(), "");
        // Tag 1's block overwritten behind the editor's back: the inject
        // must bring back exactly those bytes and touch no others.
        const uint32_t size = Layout().metaAddresses[2] - Layout().metaAddresses[1];
        PatchFile(m_block, std::string(size, '\xEE'));
        auto& steps = Expect();
        if (!corrected) steps.Click(IDC_CORRECT_METADATA);
        steps.Click(IDC_INJECT_METADATA).Escape();
        user.AnswerFile(PathOf("t.meta").c_str());
        ExpectMessage(corrected ? "Inject completed successfully." : "Inject successfuly completed.");
        Run(1);
        ASSERT_EQ(user.Problems(), "");
        EXPECT_TRUE(SameBytes(FileBytes(), m_before));
    }
    // The pointer of the saved block is written relative to its exact place.
    const std::string data = ReadFileBytes(PathOf("t.meta.data"));
    EXPECT_NE(data.find("Reflexive|36|64|\r\n"), std::string::npos) << data;
    EXPECT_NE(data.find("Dependency|28|levels\\first|bitm|\r\n"), std::string::npos) << data;
}

INSTANTIATE_TEST_SUITE_P(Shapes, Exact78, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("magic_holds_78") : std::string("addresses_end_in_78");
                         });

// Map Info shows the header's and the index header's numbers exactly.
TEST_F(TagControls, MapInfoShowsExactHeaderNumbers)
{
    MapBuilder map = MapBuilder::Xbox();
    map.IndexOffset(0x878).IndexMagic(0x803A7878u).EofPosition(0x12345678u);
    map.AddTag("bitm", "only").Meta(std::string(16, '\x33'));
    Load(map);
    user.ExpectDialog("Map Info").Escape();
    CHaloMapInfo dlg;
    dlg.DoModal();
    ASSERT_EQ(user.Problems(), "");
    const headless::ShownWindow& shown = user.Shown().back();
    EXPECT_EQ(shown.Text(IDC_MAPINFO_INDEX_OFFSET), "878");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_INDEX_MAGIC), "803a7878");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_MAGIC), "803A6FDC");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_EOF_POSITION), "12345678");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_TAG_COUNT), "1");
    EXPECT_EQ(g_Tags[0].m_strName, "only");
    EXPECT_EQ(g_Tags[0].m_strPageOffset, "89c");
}

} // namespace
