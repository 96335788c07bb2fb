// The Tag Controls dialog: what it shows, Save Changes byte by byte, Revert,
// the name location flag and Close.
#include "tests/support/TagInfoFixture.h"

#include <filesystem>

using namespace travik::test;

namespace {

TEST_F(TagControls, SelectingATagInTheMainWindowOpensItAndSaveReloads)
{
    MapBuilder map = Xbox3();
    EofAtFileEnd(map);
    const MapLayout layout = map.Write(PathOf("test.map"));
    user.ExpectDialog("Project Travik")
        .Menu(ID_FILE_OPEN_MAPFILE)
        .SelectTreeItem(IDC_TAG_TREE, {"Tag Class Set 1", "weap -- Weapon", "weapons\\rifle"})
        .Inspect([](CDialog&) { EXPECT_EQ(g_Tags[2].m_strName, "weapons\\rifle2"); })
        .Escape();
    user.AnswerFile("test.map");
    user.ExpectDialog("Tag Controls").Type(IDC_TAG_NAME, "weapons\\rifle2").Click(IDC_UPDATE_NAME_LOCATION).Click(IDC_SAVE_CHANGES).Escape();
    RunProgram();
    ASSERT_EQ(user.Problems(), "");
    const headless::ShownWindow& shown = user.Shown().at(2);
    EXPECT_EQ(shown.templateId, IDD_TAG_INFO);
    EXPECT_EQ(shown.Text(IDC_TAG_NAME), "weapons\\rifle");
    EXPECT_EQ(shown.Text(IDC_TYPE1), "weap");
    EXPECT_EQ(shown.Text(IDC_TYPE2), "item");
    EXPECT_EQ(shown.Text(IDC_TYPE3), "obje");
    EXPECT_EQ(shown.Text(IDC_META_SIZE), std::to_string(layout.LoadedMetaSize(2)).c_str());
    EXPECT_EQ(shown.Text(IDC_FLOAT_PRECISION), "0.01");
    EXPECT_FALSE(g_bTagChanged); // the main window reloaded and cleared it
}

TEST_F(TagControls, ShowsEveryFieldAndClassCodesExactlyAsLoaded)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a", "\xFF\xFF\xFF\xFF", "fog").MetaSize(16);
    map.AddTag("DELA", "b", "ab", "sky ").MetaSize(16);
    const MapLayout layout = Load(map);
    std::map<int, CString> texts[2];
    bool readOnly[3] = {};
    for (int tag = 0; tag < 2; ++tag) {
        Expect()
            .Inspect([&](CDialog& d) {
                readOnly[0] = Edit(d, IDC_PAGE_OFFSET).IsReadOnly();
                readOnly[1] = Edit(d, IDC_VALUE).IsReadOnly();
                readOnly[2] = Edit(d, IDC_META_SIZE).IsReadOnly();
                EXPECT_FALSE(d.GetDlgItem(IDC_RECURSIVE)->IsWindowEnabled());
                EXPECT_EQ(Combo(d, IDC_TYPE1).GetCount(), 80);
                EXPECT_EQ(Combo(d, IDC_SCAN_CLASS).GetCount(), 80);
                EXPECT_EQ(Combo(d, IDC_SCAN_TAG).GetCount(), 0);
            })
            .Escape();
        Run(tag);
        texts[tag] = user.Shown().back().texts;
    }
    ASSERT_EQ(user.Problems(), "");
    EXPECT_TRUE(readOnly[0] && readOnly[1] && readOnly[2]);
    EXPECT_EQ(texts[0][IDC_TYPE2], "\xFF\xFF\xFF\xFF");
    EXPECT_EQ(texts[0][IDC_TYPE3], "fog");  // not the entry "fog "
    EXPECT_EQ(texts[1][IDC_TYPE1], "DELA"); // not the entry "DeLa"
    EXPECT_EQ(texts[1][IDC_TYPE2], "ab");   // not "actr"
    EXPECT_EQ(texts[1][IDC_TYPE3], "sky ");
    EXPECT_EQ(texts[0][IDC_PAGE_OFFSET], IntToHex(static_cast<int32_t>(layout.entryOffsets[0])));
    EXPECT_EQ(texts[0][IDC_META_OFFSET], IntToHex(static_cast<int32_t>(layout.metaOffsets[0])));
    EXPECT_EQ(texts[0][IDC_STRING_OFFSET], IntToHex(static_cast<int32_t>(layout.nameOffsets[0])));
    EXPECT_EQ(texts[0][IDC_META_SIZE], "16");
    EXPECT_EQ(texts[0][IDC_SCAN_VALUE], "0");
    EXPECT_EQ(texts[0][IDC_TAG_NAME], "a");
}

// Bytes that the texts cannot show (class bytes after a zero) and numbers
// holding 0x78 survive a Save Changes that edits nothing.
TEST_F(TagControls, SaveWithoutEditsLeavesEveryTagByteIdentical)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("weap", "gun").Identifier(0xE1EC0078).MetaSize(16);
    map.AddTag("fog", "mist", "DELA", "ab").MetaSize(16);
    map.AddTag("bitm", "pic", "\xFF\xFF\xFF\xFF").MetaSize(16);
    map.AddTag("bitm", "moved").MetaSize(16);
    Load(map);
    // Class code 1 of tag 2 holds bytes after a zero; tag 3's address a 0x78.
    const uint32_t e2 = Layout().entryOffsets[2];
    PatchFile(e2, std::string("m\0cd", 4));
    PatchFile(Layout().entryOffsets[3] + 0x14, Le32((Layout().metaAddresses[3] & 0xFFFFFF00u) | 0x78u));
    ReloadIndex();
    const std::string before = FileBytes();
    EXPECT_EQ(g_Tags[0].m_strIdentifier, "e1ec0078");
    for (int tag = 0; tag < 4; ++tag) {
        g_bTagChanged = false;
        Expect().Click(IDC_SAVE_CHANGES).Escape();
        Run(tag);
        EXPECT_TRUE(g_bTagChanged) << tag;
        EXPECT_TRUE(SameBytes(FileBytes(), before)) << tag;
    }
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(TagControls, SavedFieldsLandAtTheirPlacesAndNothingElseChanges)
{
    MapBuilder map = MapBuilder::Xbox();
    map.Magic(0x80000000);
    map.AddTag("bitm", "pic").MetaSize(16);
    map.AddTag("obje", "thing", "unit", "item").MetaSize(16);
    Load(map);
    const uint32_t e = Layout().entryOffsets[1];
    std::string expected = FileBytes();
    Expect()
        .Type(IDC_META_OFFSET, "1A2B0")
        .Type(IDC_STRING_OFFSET, "30000")
        .Type(IDC_IDENTIFIER, "E1A20005")
        .SelectComboEntry(IDC_TYPE1, "weap")
        .Type(IDC_TYPE2, "fog ")
        .Type(IDC_TYPE3, "ab")
        .Click(IDC_SAVE_CHANGES)
        .Escape();
    Run(1);
    ASSERT_EQ(user.Problems(), "");
    Put(expected, e + 0x00, "paew");
    Put(expected, e + 0x04, " gof");
    Put(expected, e + 0x08, std::string("ba\0\0", 4));
    Put(expected, e + 0x0C, std::string("\x05\x00\xA2\xE1", 4));
    Put(expected, e + 0x10, std::string("\x00\x00\x03\x80", 4));
    Put(expected, e + 0x14, "\xB0\xA2\x01\x80");
    EXPECT_TRUE(SameBytes(FileBytes(), expected));

    // A typed value whose bytes hold 0x78 is written with 0x78; a longer
    // identifier text is cut to its low four bytes.
    Expect().Type(IDC_META_OFFSET, "1278").Type(IDC_IDENTIFIER, "AB78787878").Click(IDC_SAVE_CHANGES).Escape();
    Run(1);
    Put(expected, e + 0x14, std::string("\x78\x12\x00\x80", 4));
    Put(expected, e + 0x0C, "\x78\x78\x78\x78");
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
}

TEST_F(TagControls, NamesAreWrittenInPlaceMovedOrRefused)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "abcde").MetaSize(16);
    map.AddTag("bitm", "fghij").MetaSize(16);
    // Free bytes from the EoF position on, holding 0x78 bytes.
    map.EofPosition(0x1000).Patch(0x1000, std::string(0x40, '\x78'));
    Load(map);
    const uint32_t name0 = Layout().nameOffsets[0];
    const uint32_t e0 = Layout().entryOffsets[0];
    std::string expected = FileBytes();

    // Shorter: three characters and a zero; the old fifth character stays.
    Expect().Type(IDC_TAG_NAME, "xyz").Click(IDC_SAVE_CHANGES).Escape();
    Run(0);
    Put(expected, name0, std::string("xyz\0e", 5));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));

    // Same length, in place, at the loaded offset even with String Offset edited.
    Expect().Type(IDC_TAG_NAME, "vwxyz").Type(IDC_STRING_OFFSET, "2000").Click(IDC_SAVE_CHANGES).Escape();
    Run(0);
    Put(expected, name0, "vwxyz");
    Put(expected, e0 + 0x10, Le32(0x2000 + Layout().magic));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));

    // Longer with the flag clear: not written, and the user is told.
    g_bTagChanged = false;
    Expect().Type(IDC_TAG_NAME, "abcdefgh").Click(IDC_SAVE_CHANGES).Escape();
    ExpectMessage("The new name is longer than the stored one and was not written. Check \"Update Name Location\" to move "
                  "it to the end of the map. The rest of the tag's entry was saved.");
    Run(1);
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
    EXPECT_TRUE(g_bTagChanged);

    // Longer with the flag set: moved to the EoF position, the flag cleared;
    // a second save of the same opening without edits changes nothing.
    std::string afterMove;
    Expect()
        .Type(IDC_TAG_NAME, "abcdefgh")
        .Click(IDC_UPDATE_NAME_LOCATION)
        .Click(IDC_SAVE_CHANGES)
        .Inspect([&](CDialog&) { afterMove = FileBytes(); })
        .Click(IDC_SAVE_CHANGES)
        .Escape();
    Run(1);
    ASSERT_EQ(user.Problems(), "");
    EXPECT_FALSE(g_bUpdateNameLocation);
    Put(expected, 0x1000, std::string("abcdefgh\0", 9));
    Put(expected, Layout().entryOffsets[1] + 0x10, Le32(0x1000 + Layout().magic));
    Put(expected, 0x08, Le32(0x1000 + 9));
    EXPECT_TRUE(SameBytes(afterMove, expected));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
}

TEST_F(TagControls, ARefusedControlWritesNothing)
{
    MapBuilder map = Xbox3();
    Load(map);
    const std::string before = FileBytes();
    Expect().Type(IDC_META_OFFSET, "1234").Type(IDC_TYPE2, "weapo").Click(IDC_SAVE_CHANGES).Escape();
    user.AnswerMessageBox();
    Run(2);
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(user.MessageBoxTexts(), std::vector<CString> {"Please enter no more than 4 characters."});
    EXPECT_TRUE(SameBytes(FileBytes(), before));
    EXPECT_FALSE(g_bTagChanged);
}

TEST_F(TagControls, RevertFlagToggleAndCloseWriteNothing)
{
    MapBuilder map = Xbox3();
    Load(map);
    const std::string before = FileBytes();
    CString name, offset, afterSave;
    bool flags[3] = {};
    Expect()
        .Type(IDC_TAG_NAME, "other")
        .Type(IDC_META_OFFSET, "99")
        .Click(IDC_REVERT)
        .Read(IDC_TAG_NAME, name)
        .Read(IDC_META_OFFSET, offset)
        .Click(IDC_UPDATE_NAME_LOCATION)
        .Inspect([&](CDialog&) { flags[0] = g_bUpdateNameLocation; })
        .Click(IDC_UPDATE_NAME_LOCATION)
        .Inspect([&](CDialog&) { flags[1] = g_bUpdateNameLocation; })
        .Click(IDC_UPDATE_NAME_LOCATION)
        .Type(IDC_TAG_NAME, "other")
        .Escape();
    Run(0);
    EXPECT_EQ(name, "levels\\test\\bitmap");
    EXPECT_EQ(offset, IntToHex(static_cast<int32_t>(Layout().metaOffsets[0])));
    EXPECT_TRUE(flags[0]);
    EXPECT_FALSE(flags[1]);
    EXPECT_TRUE(SameBytes(FileBytes(), before));
    EXPECT_FALSE(g_bTagChanged);

    // The flag outlives the dialog and its box shows it when the dialog
    // opens; Revert after a save shows the saved values.
    int check = -1;
    Expect()
        .Inspect([&](CDialog& d) { check = dynamic_cast<CButton*>(d.GetDlgItem(IDC_UPDATE_NAME_LOCATION))->GetCheck(); })
        .Type(IDC_TAG_NAME, "bmp")
        .Click(IDC_SAVE_CHANGES)
        .Type(IDC_TAG_NAME, "zzz")
        .Click(IDC_REVERT)
        .Read(IDC_TAG_NAME, afterSave)
        .Escape();
    Run(0);
    EXPECT_TRUE(g_bUpdateNameLocation);
    EXPECT_EQ(check, BST_CHECKED);
    EXPECT_EQ(afterSave, "bmp");
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(TagControls, AFailedWriteIsReportedWithTheFileName)
{
    MapBuilder map = Xbox3();
    Load(map);
    g_MapFile.Close();
    OpenMapFileReadOnly();
    Expect().Type(IDC_META_OFFSET, "99").Click(IDC_SAVE_CHANGES).Escape();
    ExpectMessage("Writing to the map file 'test.map' failed. The change may be only partly written. Written before "
                  "the failure: nothing. Perhaps written in part: Meta Offset.");
    Run(1);
    EXPECT_EQ(user.Problems(), "");
}

} // namespace

namespace {

// Places a hostile map puts out of reach: a name moved to an EoF position
// so high that it would pass the top of the 32-bit range, and an index
// entry that lies past the end of a cut map. Nothing is written there.
TEST_F(TagControls, SaveRefusesPlacesTheMapCannotHold)
{
    const uint32_t eofs[] = {0xFFFFFFFFu, 0xFFFFFFF8u};
    for (uint32_t eof : eofs) {
        MapBuilder map = Xbox3();
        map.EofPosition(eof);
        Load(map);
        const std::string before = FileBytes();
        Expect()
            .Type(IDC_TAG_NAME, "weapons\\rifle2")
            .Click(IDC_UPDATE_NAME_LOCATION)
            .Click(IDC_SAVE_CHANGES)
            .Escape();
        ExpectMessage("The new name was not written: at the map's EoF position it would pass the highest offset a "
                      "map can address. The rest of the tag's entry was saved.");
        Run(2);
        ASSERT_EQ(std::filesystem::file_size(PathOf("test.map")), before.size()) << eof;
        EXPECT_TRUE(SameBytes(FileBytes(), before)) << eof;
        EXPECT_TRUE(g_bUpdateNameLocation) << eof; // no move was made
        g_bUpdateNameLocation = false;
    }

    // Tag 2's entry lies past the end of a map cut after tag 1's entry.
    MapBuilder map = Xbox3();
    map.TruncateAt(map.Layout().entryOffsets[2]);
    Load(map);
    ASSERT_EQ(LoadedTagCount(g_IndexHeader), 3);
    const std::string before = FileBytes();
    Expect().Type(IDC_TYPE1, "weap").Click(IDC_SAVE_CHANGES).Escape();
    ExpectMessage("This tag's index entry lies outside the map file 'test.map'. Nothing was written.");
    Run(2);
    EXPECT_TRUE(SameBytes(FileBytes(), before));
    EXPECT_EQ(user.Problems(), "");
}

// A map cut right after tag 2's metadata address takes that field; cut one
// byte earlier, the entry lies outside it and nothing is written.
TEST_F(TagControls, AnEntryFieldEndingAtTheEndOfTheFileIsWrittenOnePastIsRefused)
{
    for (const uint32_t cut : {0x18u, 0x17u}) {
        SCOPED_TRACE(cut);
        MapBuilder map = Xbox3();
        const uint32_t e2 = map.Layout().entryOffsets[2];
        map.TruncateAt(e2 + cut);
        Load(map);
        std::string expected = FileBytes();
        Expect().Type(IDC_META_OFFSET, "1234").Click(IDC_SAVE_CHANGES).Escape();
        if (cut == 0x18u) {
            Put(expected, e2 + 0x14, Le32(0x1234 + Layout().magic));
        } else {
            ExpectMessage("This tag's index entry lies outside the map file 'test.map'. Nothing was written.");
        }
        Run(2);
        EXPECT_TRUE(SameBytes(FileBytes(), expected));
        EXPECT_EQ(g_bTagChanged, cut == 0x18u);
        g_bTagChanged = false;
        EXPECT_EQ(user.Problems(), "");
    }
}

// Typed back to the loaded text after a save, a field differs from what
// the map now holds and is written again.
TEST_F(TagControls, AFieldTypedBackAfterASaveIsWrittenAgain)
{
    MapBuilder map = Xbox3();
    Load(map);
    const std::string before = FileBytes();
    const CString offset = IntToHex(static_cast<int32_t>(Layout().metaOffsets[1]));
    std::string afterFirst;
    Expect()
        .Type(IDC_META_OFFSET, "1234")
        .Type(IDC_TYPE1, "weap")
        .Type(IDC_TAG_NAME, "levels\\test\\obj")
        .Click(IDC_SAVE_CHANGES)
        .Inspect([&](CDialog&) { afterFirst = FileBytes(); })
        .Type(IDC_META_OFFSET, offset)
        .Type(IDC_TYPE1, "obje")
        .Type(IDC_TAG_NAME, "levels\\test\\object")
        .Click(IDC_SAVE_CHANGES)
        .Escape();
    Run(1);
    EXPECT_EQ(user.Problems(), "");
    EXPECT_FALSE(SameBytes(afterFirst, before));
    EXPECT_TRUE(SameBytes(FileBytes(), before));
}

TEST_F(TagControls, ANameCutByTheEndOfTheMapIsNotLengthenedPastIt)
{
    // The last name is cut to "weapons": a new name of the same length
    // would put its zero byte past the end; a shorter one fits.
    MapBuilder map = Xbox3();
    map.TruncateAt(map.Layout().nameOffsets[2] + 7);
    Load(map);
    const uint32_t name2 = Layout().nameOffsets[2];
    std::string expected = FileBytes();
    Expect().Type(IDC_TAG_NAME, "weaponz").Type(IDC_TYPE1, "item").Click(IDC_SAVE_CHANGES).Escape();
    ExpectMessage("The new name was not written: with its ending zero byte it would pass the end of the map file "
                  "'test.map'. The rest of the tag's entry was saved.");
    Run(2);
    Put(expected, Layout().entryOffsets[2], "meti");
    EXPECT_TRUE(SameBytes(FileBytes(), expected));

    Expect().Type(IDC_TAG_NAME, "weapon").Click(IDC_SAVE_CHANGES).Escape();
    Run(2);
    Put(expected, name2, std::string("weapon\0", 7));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
    EXPECT_EQ(user.Problems(), "");
}

} // namespace
