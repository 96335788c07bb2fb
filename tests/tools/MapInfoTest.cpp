// Map Info: the fields it shows, the bytes Save Changes writes (and those
// it leaves alone), Revert and Close, and the main window's reload.
#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "res/ResourceIds.h"
#include "tests/support/AppShellFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ToolTestFixture.h"
#include "tools/HaloMapInfo.h"

#include <gtest/gtest.h>

using namespace travik::test;

namespace {

MapBuilder InfoMap()
{
    MapBuilder map = MapBuilder::Xbox();
    map.MapName("bloodgulch").BuildDate("01.00.00.0609").EofPosition(0x2000);
    map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
    map.AddTag("obje", "levels\\test\\object", "unit").MetaSize(96);
    map.AddTag("weap", "weapons\\rifle", "item", "obje").MetaSize(32);
    return map;
}

class MapInfoTest : public ToolDialogTest {
protected:
    // Opens a fresh copy of the map, runs Map Info with the steps and closes
    // the map; returns the bytes from before.
    std::string SaveWith(const MapBuilder& map, const std::function<void(headless::DialogSteps&)>& steps)
    {
        const std::string before = OpenLoaded(map);
        headless::DialogSteps& dialog = user.ExpectDialog("Map Info");
        steps(dialog);
        CHaloMapInfo dlg;
        dlg.DoModal();
        g_MapFile.Close();
        return before;
    }
};

TEST_F(MapInfoTest, ShowsTheLoadedMapAndItsIdentification)
{
    const MapLayout layout = OpenBuiltMap(InfoMap());
    LoadOpenMap(nullptr);
    user.ExpectDialog("Map Info").Escape();
    CHaloMapInfo dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(user.Problems(), "");
    const auto& shown = user.Shown().at(0);
    EXPECT_EQ(shown.templateId, IDD_MAP_INFO);
    EXPECT_EQ(shown.Text(IDC_MAPINFO_TAG_COUNT), "3");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_INDEX_OFFSET), "800");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_VERSION), "5");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_MAP_TYPE), "1");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_SPMP), g_strMapType);
    EXPECT_EQ(shown.Text(IDC_MAPINFO_NICKNAME), "Blood Gulch");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_MAP_NAME), "bloodgulch");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_FORMAT), g_strMapFormat);
    EXPECT_EQ(shown.Text(IDC_MAPINFO_FILENAME), "test.map");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_BUILD_DATE), "01.00.00.0609");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_MAGIC), g_strMagic);
    EXPECT_EQ(shown.Text(IDC_MAPINFO_INDEX_MAGIC), "803a6000");
    EXPECT_EQ(HexToInt(shown.Text(IDC_MAPINFO_EOF_POSITION)), layout.eofPosition);
    EXPECT_EQ(shown.Text(IDC_MAPINFO_EOF_SPACE), CString(std::to_string(g_nEofSpace)));
}

TEST_F(MapInfoTest, WithoutAMapItShowsTheResetStateAndSaveDoesNothing)
{
    user.ExpectDialog("Map Info").Click(IDC_MAPINFO_SAVE).Escape();
    CHaloMapInfo dlg;
    dlg.DoModal();
    ASSERT_EQ(user.Problems(), "");
    const auto& shown = user.Shown().at(0);
    EXPECT_EQ(shown.Text(IDC_MAPINFO_FILENAME), "None");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_MAGIC), "None");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_MAP_NAME), "");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_TAG_COUNT), "0");
    EXPECT_EQ(shown.Text(IDC_MAPINFO_EOF_SPACE), "0");
    EXPECT_FALSE(g_bMapChanged);
    EXPECT_FALSE(std::filesystem::exists(PathOf("None")));
}

// Bytes the map holds that read back differently (0x78 reads as zero, a
// name's tail after its zero byte is not read) survive a save without edits.
TEST_F(MapInfoTest, SavingWithoutEditingKeepsEveryByte)
{
    MapBuilder map = InfoMap();
    map.Patch(0x04, std::string("\x05\x78", 2))        // version
        .Patch(0x08, Le32(0x00781000))                  // EoF position
        .Patch(0x20, std::string("abc\0dgulch", 10))    // map name and the tail after it
        .Patch(0x40, std::string(32, 'd'))              // build date with no zero byte
        .Patch(0x60, std::string("\x78\x01", 2));       // map type
    const std::string before = SaveWith(map, [](headless::DialogSteps& s) { s.Click(IDC_MAPINFO_SAVE).Escape(); });
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(MapBytes(), before);
    EXPECT_TRUE(g_bMapChanged);
}

TEST_F(MapInfoTest, EachNumberFieldIsWrittenLittleEndianAtItsWidth)
{
    const uint32_t indexAt = 0x800;
    struct Case {
        const char* what;
        int id;
        CString typed;
        uint32_t at;
        std::string bytes;
    } cases[] = {
        {"index offset 40", IDC_MAPINFO_INDEX_OFFSET, "40", 0x10, std::string("\x40\0\0\0", 4)},
        {"empty index offset", IDC_MAPINFO_INDEX_OFFSET, "", 0x10, std::string(4, '\0')},
        {"version 6", IDC_MAPINFO_VERSION, "6", 0x04, std::string("\x06\0", 2)},
        {"map type 78 stays 78", IDC_MAPINFO_MAP_TYPE, "78", 0x60, std::string("\x78\0", 2)},
        {"ten digits keep the low four bytes", IDC_MAPINFO_EOF_POSITION, "123456789a", 0x08, "\x9a\x78\x56\x34"},
        {"a letter past f counts as 0", IDC_MAPINFO_INDEX_MAGIC, "8g3a6001", indexAt, "\x01\x60\x3a\x80"},
        {"tag count cut to 16 bits", IDC_MAPINFO_TAG_COUNT, "70000", indexAt + 0x0C, "\x70\x11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = SaveWith(InfoMap(), [&](headless::DialogSteps& s) {
            s.Type(c.id, c.typed).Click(IDC_MAPINFO_SAVE).Escape();
        });
        EXPECT_EQ(user.Problems(), "");
        EXPECT_EQ(MapBytes(), Overwritten(before, c.at, c.bytes));
    }
}

// Every byte beside a field holds 0x78 or another non-zero byte, so a
// write wider than the field, or one a byte off, shows in the file.
TEST_F(MapInfoTest, FieldsWithBusyNeighboursChangeOnlyTheirOwnBytes)
{
    MapBuilder map = InfoMap();
    map.Patch(0x00, "daeh").Patch(0x06, "\x78\x5A")
        .Patch(0x0C, "\x78\xA5\x78\x5A")
        .Patch(0x14, std::string(12, '\x78'))
        .Patch(0x62, "\x5A\x78")
        .Patch(0x64, std::string(0x20, '\x78'))
        .Patch(0x804, "\x78\x11\x78\x22\x78\x33\x78\x44")
        .Patch(0x80E, "\x78\x5A")
        .Patch(0x810, "\x78\x78\x78\x78");
    struct Case {
        const char* what;
        int id;
        CString typed;
        uint32_t at;
        std::string bytes;
    } cases[] = {
        {"version", IDC_MAPINFO_VERSION, "6", 0x04, std::string("\x06\0", 2)},
        {"EoF position", IDC_MAPINFO_EOF_POSITION, "1", 0x08, std::string("\x01\0\0\0", 4)},
        {"index offset", IDC_MAPINFO_INDEX_OFFSET, "800", 0x10, std::string("\0\x08\0\0", 4)},
        {"map type", IDC_MAPINFO_MAP_TYPE, "2", 0x60, std::string("\x02\0", 2)},
        {"index magic", IDC_MAPINFO_INDEX_MAGIC, "1", 0x800, std::string("\x01\0\0\0", 4)},
        {"tag count", IDC_MAPINFO_TAG_COUNT, "1", 0x80C, std::string("\x01\0", 2)},
        {"tag count 65535", IDC_MAPINFO_TAG_COUNT, "65535", 0x80C, "\xFF\xFF"},
        {"tag count 65536 keeps its low 16 bits", IDC_MAPINFO_TAG_COUNT, "65536", 0x80C, std::string(2, '\0')},
        {"map name", IDC_MAPINFO_MAP_NAME, "ab", 0x20, std::string("ab\0", 3)},
        {"build date", IDC_MAPINFO_BUILD_DATE, "7", 0x40, std::string("7\0", 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = SaveWith(map, [&](headless::DialogSteps& s) {
            s.Type(c.id, c.typed).Click(IDC_MAPINFO_SAVE).Escape();
        });
        EXPECT_EQ(user.Problems(), "");
        EXPECT_EQ(MapBytes(), Overwritten(before, c.at, c.bytes));
    }
}

// The index header's tag count is the last field: a map that ends right
// after it takes the save, one byte shorter refuses it whole.
TEST_F(MapInfoTest, AFieldEndingAtTheEndOfTheFileIsWrittenOnePastIsRefused)
{
    MapBuilder fits = InfoMap();
    fits.TruncateAt(0x80E);
    std::string before = SaveWith(fits, [](headless::DialogSteps& s) {
        s.Type(IDC_MAPINFO_MAP_NAME, "abc").Type(IDC_MAPINFO_TAG_COUNT, "2").Click(IDC_MAPINFO_SAVE).Escape();
    });
    EXPECT_EQ(EditorMessages(), std::vector<CString> {});
    EXPECT_EQ(MapBytes(), Overwritten(Overwritten(before, 0x20, std::string("abc\0", 4)), 0x80C, std::string("\x02\0", 2)));

    MapBuilder cut = InfoMap();
    cut.TruncateAt(0x80D);
    before = SaveWith(cut, [](headless::DialogSteps& s) {
        s.Type(IDC_MAPINFO_MAP_NAME, "abc").Type(IDC_MAPINFO_TAG_COUNT, "2").Click(IDC_MAPINFO_SAVE).Escape();
    });
    user.ExpectDialog("Message").Escape();
    EXPECT_EQ(MapBytes(), before);
    EXPECT_EQ(EditorMessages(),
              std::vector<CString> {"The map file 'test.map' is too short to hold the changed fields. Nothing was written."});
}

TEST_F(MapInfoTest, TextFieldsEndWithOneZeroByteAndKeepTheRestOfTheField)
{
    const std::string name32(32, 'n');
    const std::string before = SaveWith(InfoMap(), [&](headless::DialogSteps& s) {
        s.Type(IDC_MAPINFO_MAP_NAME, "abc").Type(IDC_MAPINFO_BUILD_DATE, name32.c_str()).Click(IDC_MAPINFO_SAVE).Escape();
    });
    EXPECT_EQ(user.Problems(), "");
    std::string expected = Overwritten(before, 0x20, std::string("abc\0", 4)); // "dgulch" stays behind
    expected = Overwritten(expected, 0x40, name32);                           // no zero byte: the field is full
    EXPECT_EQ(MapBytes(), expected);

    // Read back as the reload reads it.
    OpenMapFile();
    LoadOpenMap(nullptr);
    EXPECT_EQ(g_MapHeader.m_strMapName, "abc");
    EXPECT_EQ(g_MapHeader.m_strBuildDate, CString(name32));
}

TEST_F(MapInfoTest, IndexHeaderFieldsGoToTheIndexOffsetTheMapWasLoadedFrom)
{
    const std::string before = SaveWith(InfoMap(), [](headless::DialogSteps& s) {
        s.Type(IDC_MAPINFO_INDEX_OFFSET, "900")
            .Type(IDC_MAPINFO_INDEX_MAGIC, "11223344")
            .Type(IDC_MAPINFO_TAG_COUNT, "2")
            .Click(IDC_MAPINFO_SAVE)
            .Escape();
    });
    std::string expected = Overwritten(before, 0x10, Le32(0x900));
    expected = Overwritten(expected, 0x800, Le32(0x11223344));
    expected = Overwritten(expected, 0x80C, Le16(2));
    EXPECT_EQ(MapBytes(), expected);
}

TEST_F(MapInfoTest, RefusedTagCountStopsTheExchangeAndCloseStaysOpen)
{
    CString nameAfterRefusal;
    const std::string before = SaveWith(InfoMap(), [&](headless::DialogSteps& s) {
        s.Type(IDC_MAPINFO_MAP_NAME, "other")
            .Type(IDC_MAPINFO_TAG_COUNT, "x1")
            .Click(IDC_MAPINFO_SAVE) // no member changes: nothing new to write
            .Click(IDOK)             // refused again: the dialog stays open
            .Read(IDC_MAPINFO_MAP_NAME, nameAfterRefusal)
            .Escape();
    });
    user.AnswerMessageBox();
    EXPECT_EQ(user.MessageBoxTexts(),
              (std::vector<CString> {"Please enter a positive integer.", "Please enter a positive integer."}));
    EXPECT_EQ(nameAfterRefusal, "other");
    EXPECT_EQ(MapBytes(), before);
}

TEST_F(MapInfoTest, ARefusedNameWritesNoFieldAtAll)
{
    // The version stands before the name in the exchange and is taken in;
    // the name is refused: the save writes neither.
    const std::string before = SaveWith(InfoMap(), [&](headless::DialogSteps& s) {
        s.Type(IDC_MAPINFO_VERSION, "7")
            // The edit caps typing at 32: a longer text only comes from code.
            .Inspect([](CDialog& dlg) {
                dlg.GetDlgItem(IDC_MAPINFO_MAP_NAME)->SetWindowText(CString(std::string(33, 'n').c_str()));
            })
            .Click(IDC_MAPINFO_SAVE)
            .Escape();
    });
    user.AnswerMessageBox();
    EXPECT_EQ(user.MessageBoxTexts(), (std::vector<CString> {"Please enter no more than 32 characters."}));
    EXPECT_EQ(MapBytes(), before);
}

TEST_F(MapInfoTest, RevertShowsTheLastSavedTextsNotTheFile)
{
    CString shown;
    SaveWith(InfoMap(), [&](headless::DialogSteps& s) {
        s.Type(IDC_MAPINFO_MAP_NAME, "abc")
            .Click(IDC_MAPINFO_SAVE)
            .Type(IDC_MAPINFO_MAP_NAME, "zzz")
            .Click(IDC_MAPINFO_REVERT)
            .Read(IDC_MAPINFO_MAP_NAME, shown)
            .Escape();
    });
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(shown, "abc");
}

TEST_F(MapInfoTest, ChangedBackAfterASaveIsWrittenAgain)
{
    const std::string before = SaveWith(InfoMap(), [](headless::DialogSteps& s) {
        s.Type(IDC_MAPINFO_VERSION, "7")
            .Click(IDC_MAPINFO_SAVE)
            .Type(IDC_MAPINFO_VERSION, "5")
            .Click(IDC_MAPINFO_SAVE)
            .Escape();
    });
    EXPECT_EQ(MapBytes(), before);
}

TEST_F(MapInfoTest, FailuresAreReportedWithTheFileNameAndWriteNothing)
{
    // A read-only map: the write fails.
    WriteFileBytes(PathOf("test.map"), InfoMap().Build());
    const std::string before = MapBytes();
    g_strMapFileName = "test.map";
    OpenMapFileReadOnly();
    LoadOpenMap(nullptr);
    user.ExpectDialog("Map Info").Type(IDC_MAPINFO_MAP_NAME, "abc").Click(IDC_MAPINFO_SAVE).Escape();
    user.ExpectDialog("Message").Escape();
    {
        CHaloMapInfo dlg;
        dlg.DoModal();
    }
    g_MapFile.Close();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(MapBytes(), before);
    ASSERT_EQ(EditorMessages().size(), 1u);
    EXPECT_EQ(EditorMessages()[0], "Writing to the map file 'test.map' failed. The change may be only partly written. "
                                   "Written before the failure: nothing. Perhaps written in part: Map Name.");

    // An index header outside the file: the whole save is refused, the
    // file neither changes nor grows.
    MapBuilder far = InfoMap();
    far.Patch(0x10, Le32(0x7FFFFFF0));
    const std::string farBefore = SaveWith(far, [](headless::DialogSteps& s) {
        s.Type(IDC_MAPINFO_MAP_NAME, "abc").Type(IDC_MAPINFO_TAG_COUNT, "9").Click(IDC_MAPINFO_SAVE).Escape();
    });
    user.ExpectDialog("Message").Escape();
    EXPECT_EQ(MapBytes(), farBefore);
    ASSERT_EQ(EditorMessages().size(), 2u);
    EXPECT_EQ(EditorMessages()[1], "The map file 'test.map' is too short to hold the changed fields. Nothing was written.");
}

// A write that fails part way (a file-size limit in a child process): the
// message names the fields that landed before it and the one that may have
// landed in part; the bytes show the same, and nothing after it is written.
TEST_F(MapInfoTest, APartialWriteNamesTheFieldsWrittenBeforeTheFailure)
{
    const std::string head = "Writing to the map file 'test.map' failed. The change may be only partly written. ";
    struct Case {
        const char* what;
        rlim_t limit;
        bool numbers; // the four numbers edited besides the two texts
        const char* message;
        std::function<std::string(std::string)> landed;
    } cases[] = {
        {"the index header lies past the limit", 0x800, true,
         "Written before the failure: Index Offset, EoF Position. Perhaps written in part: Index Magic.",
         [](std::string b) { return Overwritten(Overwritten(b, 0x10, Le32(0x804)), 0x08, Le32(0x3000)); }},
        {"the map name crosses the limit", 0x22, false,
         "Written before the failure: nothing. Perhaps written in part: Map Name.",
         [](std::string b) { return Overwritten(b, 0x20, "ab"); }},
        {"the build date crosses the limit", 0x44, false,
         "Written before the failure: Map Name. Perhaps written in part: Map Build Date.",
         [](std::string b) { return Overwritten(Overwritten(b, 0x20, std::string("abc\0", 4)), 0x40, "2024"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = OpenLoaded(InfoMap());
        const int status = RunWithFileSizeLimit(c.limit, [&] {
            headless::DialogSteps& dialog = user.ExpectDialog("Map Info");
            if (c.numbers)
                dialog.Type(IDC_MAPINFO_INDEX_OFFSET, "804")
                    .Type(IDC_MAPINFO_EOF_POSITION, "3000")
                    .Type(IDC_MAPINFO_INDEX_MAGIC, "80000000")
                    .Type(IDC_MAPINFO_VERSION, "7");
            dialog.Type(IDC_MAPINFO_MAP_NAME, "abc").Type(IDC_MAPINFO_BUILD_DATE, "2024-05-06").Click(IDC_MAPINFO_SAVE);
            dialog.Escape();
            user.ExpectDialog("Message").Escape();
            CHaloMapInfo dlg;
            dlg.DoModal();
            const std::vector<CString> messages = EditorMessages();
            int faults = 0;
            if (messages.size() != 1 || messages[0] != CString(head + c.message)) faults |= 1;
            if (!g_bMapChanged) faults |= 2;
            if (user.Problems() != "") faults |= 4;
            if (faults & 1)
                for (const CString& m : messages) std::fprintf(stderr, "shown: %s\n", m.GetString());
            return faults;
        });
        g_MapFile.Close();
        if (status == kNoFileSizeLimit) GTEST_SKIP() << "no file-size limit could be set";
        EXPECT_EQ(status, 0) << "1: message, 2: no reload asked, 4: dialogs, 32: the child's checks";
        EXPECT_EQ(MapBytes(), c.landed(before));
    }
}

// Through the main window: Tools > Map Info, then the reload after a save.
class MapInfoFromMenuTest : public ShellTest {};

TEST_F(MapInfoFromMenuTest, SaveCausesOneReloadAndCloseNone)
{
    WriteFileBytes(PathOf("test.map"), InfoMap().Build());
    const std::string before = ReadFileBytes(PathOf("test.map"));
    user.ExpectDialog("Project Travik")
        .Menu(ID_FILE_OPEN_MAPFILE)
        .Menu(ID_TOOLS_MAP_INFO)
        .Menu(ID_TOOLS_MAP_INFO)
        .Escape();
    user.AnswerFile("test.map");
    user.ExpectDialog("Map Info").Type(IDC_MAPINFO_MAP_NAME, "edited").Click(IDOK); // Close writes nothing
    user.ExpectDialog("Map Info")
        .Type(IDC_MAPINFO_MAP_NAME, "a30")
        .Click(IDC_MAPINFO_SAVE)
        .Type(IDC_MAPINFO_VERSION, "7")
        .Click(IDC_MAPINFO_SAVE)
        .Click(IDOK);
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(user.Shown().at(2).endCode, IDOK);
    const std::string log = ReadLog();
    EXPECT_EQ(CountOf(log, "Index load starts."), 2u); // the open and one reload
    EXPECT_FALSE(g_bMapChanged);
    EXPECT_EQ(g_MapHeader.m_strMapName, "a30");
    EXPECT_EQ(g_strMapNickname, "Halo");
    EXPECT_EQ(g_MapHeader.m_strVersion, "7");
    std::string expected = Overwritten(before, 0x20, std::string("a30\0", 4));
    expected = Overwritten(expected, 0x04, Le16(7));
    EXPECT_EQ(ReadFileBytes(PathOf("test.map")), expected);
}

} // namespace
