// The string index: the chunk loader with its texts, progress bar and log
// entry, and the editor's Load, Revert and Update, checked on the bytes of
// the whole map.
#include "map/MapFiles.h"
#include "map/StringIndex.h"
#include "platform/Controls.h"
#include "platform/FileStream.h"
#include "res/ResourceIds.h"
#include "tests/support/AppShellFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ToolTestFixture.h"
#include "tools/StringIndexDialog.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace travik::test;

namespace {

// Names "ab", "cd", "e*f" (a '*' the map stores) and "ghij", one after another.
MapBuilder NamesMap()
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "ab").MetaSize(16);
    map.AddTag("bitm", "cd").MetaSize(16);
    map.AddTag("bitm", "e*f").MetaSize(16);
    map.AddTag("bitm", "ghij").MetaSize(16);
    return map;
}

class StringIndexTest : public ToolDialogTest {
protected:
    // Opens the names map with a log; returns where the first name lies.
    uint32_t OpenNames(const MapBuilder& map = NamesMap())
    {
        OpenTestLog();
        OpenLoaded(map);
        return map.Layout().nameOffsets.at(0);
    }
    // Runs the editor with the steps; the map stays open.
    void RunEditor(const std::function<void(headless::DialogSteps&)>& steps)
    {
        headless::DialogSteps& dialog = user.ExpectDialog("String Index Editor");
        steps(dialog);
        CStringIndexDialog dlg;
        dlg.DoModal();
    }
};

TEST_F(StringIndexTest, LoaderTextsForEachStretch)
{
    OpenNames();
    const char* before = "Cannot read when starting value is greater than ending value.";
    struct Case {
        uint32_t start, end;
        const char* text;
        std::string raw;
    } cases[] = {
        {0, 6, "ab*cd*", std::string("ab\0cd\0", 6)},
        {6, 10, "e*f*", std::string("e*f\0", 4)},
        {1, 2, "b", "b"},
        {3, 3, before, ""},
        {5, 2, before, ""},
        {0, 30001, "Not enough memory.", ""},
        {4294967295u, 4294967295u, before, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
        CProgressCtrl progress;
        std::string raw = "stale";
        LoadStringIndexChunk(c.start, c.end, progress, &raw);
        EXPECT_EQ(g_strStringIndexText.Bytes(), c.text);
        EXPECT_EQ(raw, c.raw);
    }
    const std::string log = CloseAndReadLog();
    EXPECT_EQ(CountOf(log, "\tString index chunk loaded:\r\n"), std::size(cases));
    EXPECT_NE(log.find("\tString index chunk loaded:\r\nab*cd*\r\n\r\n"), std::string::npos);
    EXPECT_NE(log.find(std::string("\tString index chunk loaded:\r\n") + before + "\r\n\r\n"), std::string::npos);
    EXPECT_NE(log.find("\tString index chunk loaded:\r\nNot enough memory.\r\n\r\n"), std::string::npos);
}

TEST_F(StringIndexTest, LoaderEntryHasTheLogShape)
{
    OpenNames();
    CProgressCtrl progress;
    LoadStringIndexChunk(0, 3, progress);
    const std::string log = CloseAndReadLog();
    const size_t at = log.rfind("\r\n\r\n", log.find("\tString index chunk loaded:") - 27);
    ASSERT_NE(at, std::string::npos);
    const std::string entry = log.substr(at);
    // Two empty lines, the 24-character time line, the message, the chunk, an empty line.
    ASSERT_EQ(entry.size(), 4 + 24 + 2 + 29 + 3 + 2 + 2);
    EXPECT_EQ(entry.substr(30), "\tString index chunk loaded:\r\nab*\r\n\r\n");
}

TEST_F(StringIndexTest, LoaderLimitAndProgress)
{
    MapBuilder map = NamesMap();
    const uint32_t first = map.Layout().nameOffsets.at(0);
    map.Patch(first + 30010, "z"); // room for a full chunk after the first name
    OpenNames(map);

    CProgressCtrl progress;
    LoadStringIndexChunk(0, 30000, progress);
    EXPECT_EQ(g_strStringIndexText.GetLength(), 30000);
    int low = -1, high = -1;
    progress.GetRange(low, high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 30000);
    EXPECT_EQ(progress.GetPos(), 29999);

    LoadStringIndexChunk(10, 30011, progress);
    EXPECT_EQ(g_strStringIndexText, "Not enough memory.");
    progress.GetRange(low, high);
    EXPECT_EQ(high, 30001);
    EXPECT_EQ(progress.GetPos(), 0);

    // A stretch far beyond the 16-bit bound: refused, the bar's bound cut to 16 bits.
    LoadStringIndexChunk(0, 0x10005, progress);
    EXPECT_EQ(g_strStringIndexText, "Not enough memory.");
    progress.GetRange(low, high);
    EXPECT_EQ(high, 5);
}

TEST_F(StringIndexTest, LoaderPastTheEndOfTheFileReadsWhatExists)
{
    const MapLayout layout = NamesMap().Layout();
    OpenNames();
    const uint32_t toEnd = layout.fileSize - layout.nameOffsets.at(0); // "ab\0cd\0e*f\0ghij\0"
    CProgressCtrl progress;
    std::string raw;
    LoadStringIndexChunk(toEnd - 5, toEnd + 100, progress, &raw);
    EXPECT_EQ(g_strStringIndexText, "ghij*");
    EXPECT_EQ(raw, std::string("ghij\0", 5));
    LoadStringIndexChunk(0xFFFFFF00u, 0xFFFFFF10u, progress, &raw); // wholly past: nothing, and no wrap
    EXPECT_EQ(g_strStringIndexText, "");
    EXPECT_EQ(raw, "");
}

// A read the file system refuses is no end of the file: the load says so,
// and its text is a refusal that Update does not write.
TEST_F(StringIndexTest, ALoadWhoseReadFailsIsRefusedAndNotWritten)
{
    OpenNames();
    const std::string before = MapBytes();
    CFileStream::InjectFault({CFileStream::Fault::Op::Read, "test.map", 4, 4, EIO});
    CString text;
    user.ExpectDialog("String Index Editor")
        .Type(IDC_STRINGINDEX_START, "0")
        .Type(IDC_STRINGINDEX_END, "10")
        .Click(IDC_STRINGINDEX_LOAD)
        .Read(IDC_STRINGINDEX_TEXT, text)
        .Click(IDC_STRINGINDEX_UPDATE)
        .Escape();
    user.ExpectDialog("Message").Enter();
    CStringIndexDialog dlg;
    dlg.DoModal();
    CFileStream::ClearFault();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(text, "The file 'test.map' could not be read: the file system reported an error. Nothing was loaded.");
    EXPECT_EQ(EditorMessages(),
              std::vector<CString> {
                  "The text is the message of a load that was refused, not names of the map. Nothing was written."});
    EXPECT_EQ(MapBytes(), before);
}

TEST_F(StringIndexTest, LoaderWithoutAMapTouchesNothing)
{
    OpenTestLog();
    CProgressCtrl progress;
    progress.SetRange(0, 50);
    progress.SetPos(7);
    LoadStringIndexChunk(0, 4, progress);
    EXPECT_EQ(g_strStringIndexText, "Cannot load string information if there is no map open.");

    // A closed map keeps its first name's offset, but the refusal comes first.
    OpenLoaded(NamesMap());
    CloseMapFile();
    LoadStringIndexChunk(0, 4, progress);
    EXPECT_EQ(g_strStringIndexText, "Cannot load string information if there is no map open.");
    int low = -1, high = -1;
    progress.GetRange(low, high);
    EXPECT_EQ(high, 50);
    EXPECT_EQ(progress.GetPos(), 7);
    EXPECT_EQ(CloseAndReadLog().find("String index"), std::string::npos);
}

TEST_F(StringIndexTest, EditorLoadShowsTheStretchAndUpdateWithoutEditsKeepsEveryByte)
{
    OpenNames();
    const std::string before = MapBytes();
    CString text;
    int pos = -1, high = -1;
    RunEditor([&](headless::DialogSteps& s) {
        s.Type(IDC_STRINGINDEX_END, "10")
            .Click(IDC_STRINGINDEX_LOAD)
            .Read(IDC_STRINGINDEX_TEXT, text)
            .Inspect([&](CDialog& d) {
                auto* bar = dynamic_cast<CProgressCtrl*>(d.GetDlgItem(IDC_STRINGINDEX_PROGRESS));
                int low = 0;
                bar->GetRange(low, high);
                pos = bar->GetPos();
            })
            .Click(IDC_STRINGINDEX_UPDATE)
            .Escape();
    });
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(text, "ab*cd*e*f*");
    EXPECT_EQ(high, 10);
    EXPECT_EQ(pos, 9);
    EXPECT_EQ(MapBytes(), before); // the stored '*' of "e*f" stays a '*'
    EXPECT_TRUE(g_bMapChanged);
}

// Each edit of the loaded "ab*cd*e*f*" (zero bytes and one stored '*') and
// the bytes it leaves from the first name on.
TEST_F(StringIndexTest, EditorUpdateTurnsOnlyTypedStarsIntoZeroBytes)
{
    struct Case {
        const char* what;
        const char* start;
        const char* typed;
        std::string written; // from the first name on, through "ghij\0"
    } cases[] = {
        {"a typed star", "0", "a**cd*e*f*", std::string("a\0\0cd\0e*f\0ghij\0", 15)},
        {"other characters as typed", "0", "AB*cd*e*f*", std::string("AB\0cd\0e*f\0ghij\0", 15)},
        {"grown at the start: the text runs on", "0", "XYab*cd*e*f*", std::string("XYab\0cd\0e*f\0ij\0", 15)},
        {"grown in the middle", "0", "ab*c*d*e*f*", std::string("ab\0c\0d\0e*f\0hij\0", 15)},
        {"shrunk at the start: the rest stays", "0", "cd*e*f*", std::string("cd\0e*f\0*f\0ghij\0", 15)},
        {"a star typed beside the stored one", "0", "ab*cd*e**f*", std::string("ab\0cd\0e*\0f\0hij\0", 15)},
        {"written at a start changed after the load", "5", "ab*cd*e*f*", std::string("ab\0cdab\0cd\0e*f\0", 15)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint32_t first = OpenNames();
        const std::string before = MapBytes();
        RunEditor([&](headless::DialogSteps& s) {
            s.Type(IDC_STRINGINDEX_END, "10")
                .Click(IDC_STRINGINDEX_LOAD)
                .Type(IDC_STRINGINDEX_TEXT, c.typed)
                .Type(IDC_STRINGINDEX_START, c.start)
                .Click(IDC_STRINGINDEX_UPDATE)
                .Escape();
        });
        EXPECT_EQ(user.Problems(), "");
        g_MapFile.Close();
        g_LogFile.Close();
        EXPECT_EQ(MapBytes(), Overwritten(before, first, c.written));
    }
}

TEST_F(StringIndexTest, EditorRevertAfterUpdateShowsTheTextUpToItsFirstZeroByte)
{
    OpenNames();
    CString reverted, start;
    RunEditor([&](headless::DialogSteps& s) {
        s.Type(IDC_STRINGINDEX_END, "6")
            .Click(IDC_STRINGINDEX_LOAD)
            .Click(IDC_STRINGINDEX_UPDATE)
            .Type(IDC_STRINGINDEX_START, "99")
            .Click(IDC_STRINGINDEX_REVERT)
            .Read(IDC_STRINGINDEX_TEXT, reverted)
            .Read(IDC_STRINGINDEX_START, start)
            .Escape();
    });
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(reverted, "ab");
    EXPECT_EQ(start, "0");
}

TEST_F(StringIndexTest, EditorRefusesWhatWouldWriteWrongBytes)
{
    const MapLayout layout = NamesMap().Layout();
    const uint32_t toEnd = layout.fileSize - layout.nameOffsets.at(0);
    OpenNames();
    const std::string before = MapBytes();
    CString end;
    user.ExpectDialog("String Index Editor")
        // A refused load leaves its message in the text; Update does not write it.
        .Type(IDC_STRINGINDEX_START, "4")
        .Type(IDC_STRINGINDEX_END, "4")
        .Click(IDC_STRINGINDEX_LOAD)
        .Click(IDC_STRINGINDEX_UPDATE)
        // A text that would run past the end of the file.
        .Type(IDC_STRINGINDEX_START, std::to_string(toEnd - 2).c_str())
        .Type(IDC_STRINGINDEX_TEXT, "abc")
        .Click(IDC_STRINGINDEX_UPDATE)
        // Not a number: refused, and the member keeps its value.
        .Type(IDC_STRINGINDEX_END, "x")
        .Click(IDC_STRINGINDEX_LOAD)
        .Click(IDC_STRINGINDEX_REVERT)
        .Read(IDC_STRINGINDEX_END, end)
        .Escape();
    user.ExpectDialog("Message").Enter();
    user.ExpectDialog("Message").Enter();
    user.AnswerMessageBox();
    CStringIndexDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(EditorMessages(),
              (std::vector<CString> {
                  "The text is the message of a load that was refused, not names of the map. Nothing was written.",
                  "The text would reach past the end of the map file 'test.map'. Nothing was written."}));
    EXPECT_EQ(user.MessageBoxTexts(), std::vector<CString> {"Please enter a positive integer."});
    EXPECT_EQ(end, "4");
    EXPECT_EQ(MapBytes(), before);
    EXPECT_FALSE(g_bMapChanged);
}

// The text crosses a file-size limit (in a child process): the part below
// it lands, and the message says the text may be written in part.
TEST_F(StringIndexTest, EditorTellsOfATextWrittenInPart)
{
    const uint32_t first = OpenNames();
    const std::string before = MapBytes();
    const int status = RunWithFileSizeLimit(first + 3, [&] {
        user.ExpectDialog("String Index Editor")
            .Type(IDC_STRINGINDEX_END, "10")
            .Click(IDC_STRINGINDEX_LOAD)
            .Type(IDC_STRINGINDEX_TEXT, "XY*ZW*e*f*")
            .Click(IDC_STRINGINDEX_UPDATE)
            .Escape();
        user.ExpectDialog("Message").Escape();
        CStringIndexDialog dlg;
        dlg.DoModal();
        const std::vector<CString> expected {
            "Writing to the map file 'test.map' failed. The change may be only partly written. Written before the "
            "failure: nothing. Perhaps written in part: the text."};
        int faults = 0;
        if (EditorMessages() != expected) faults |= 1;
        if (!g_bMapChanged) faults |= 2;
        if (user.Problems() != "") faults |= 4;
        return faults;
    });
    g_MapFile.Close();
    g_LogFile.Close();
    if (status == kNoFileSizeLimit) GTEST_SKIP() << "no file-size limit could be set";
    EXPECT_EQ(status, 0) << "1: message, 2: no reload asked, 4: dialogs, 32: the child's checks";
    EXPECT_EQ(MapBytes(), Overwritten(before, first, std::string("XY\0", 3)));
}

// A Start or End that the exchange refuses stops Update: the text and the
// start it would write are then not the ones on screen. After an earlier
// Update the text member holds zero bytes, and writing it would have turned
// the stored '*' of "e*f" into a zero byte.
TEST_F(StringIndexTest, EditorUpdateWithARefusedNumberWritesNothing)
{
    for (const int refused : {IDC_STRINGINDEX_END, IDC_STRINGINDEX_START}) {
        SCOPED_TRACE(refused == IDC_STRINGINDEX_END ? "end refused" : "start refused");
        OpenNames();
        const std::string before = MapBytes();
        headless::HeadlessPresenter person;
        headless::ScopedPresenter active(person);
        person.ExpectDialog("String Index Editor")
            .Type(IDC_STRINGINDEX_END, "10")
            .Click(IDC_STRINGINDEX_LOAD)
            .Click(IDC_STRINGINDEX_UPDATE)
            .Type(IDC_STRINGINDEX_TEXT, "qq")
            .Type(refused, "x")
            .Click(IDC_STRINGINDEX_UPDATE)
            .Escape();
        person.AnswerMessageBox();
        CStringIndexDialog dlg;
        dlg.DoModal();
        EXPECT_EQ(person.Problems(), "");
        EXPECT_EQ(person.MessageBoxTexts(), std::vector<CString> {"Please enter a positive integer."});
        g_MapFile.Close();
        g_LogFile.Close();
        EXPECT_EQ(MapBytes(), before);
    }
}

TEST_F(StringIndexTest, EditorUpdateWithoutAMapDoesNothing)
{
    user.ExpectDialog("String Index Editor")
        .Type(IDC_STRINGINDEX_TEXT, "abc*")
        .Click(IDC_STRINGINDEX_UPDATE)
        .Click(IDC_STRINGINDEX_LOAD)
        .Escape();
    CStringIndexDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_FALSE(g_bMapChanged);
    EXPECT_EQ(dlg.m_strText, "Cannot load string information if there is no map open.");
}

TEST_F(StringIndexTest, EditorDoesNotWriteIntoAMapWithoutTags)
{
    // The table's entry 0 keeps the names map's offset when a map without tags is loaded after it.
    OpenNames();
    CloseMapFile();
    MapBuilder empty = MapBuilder::Xbox();
    const std::string before = OpenLoaded(empty, "empty.map");
    ASSERT_FALSE(g_Tags[0].m_strStringOffset.IsEmpty());
    user.ExpectDialog("String Index Editor").Type(IDC_STRINGINDEX_TEXT, "abc").Click(IDC_STRINGINDEX_UPDATE).Escape();
    user.ExpectDialog("Message").Enter();
    CStringIndexDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(EditorMessages(), std::vector<CString> {"The map has no tags, so it has no string index. Nothing was written."});
    EXPECT_EQ(MapBytes("empty.map"), before);
    EXPECT_FALSE(g_bMapChanged);
}

TEST(StringIndexBytes, EdgesOfTheUneditedParts)
{
    const std::string stored("a*\0", 3); // shown as "a**"
    struct Case {
        const char* what;
        const char* edited;
        std::string bytes;
    } cases[] = {
        {"unchanged", "a**", stored},
        {"emptied", "", ""},
        {"a star added at the end", "a***", std::string("a*\0\0", 4)},
        {"a star added at the start", "*a**", std::string("\0a*\0", 4)},
        {"the end cut off", "a*", "a*"},
        {"the letter replaced by a star", "***", std::string("\0*\0", 3)},
    };
    for (const Case& c : cases) EXPECT_EQ(StringIndexBytes(c.edited, "a**", stored), c.bytes) << c.what;
    // Nothing loaded, or shown and stored out of step: every star is typed.
    EXPECT_EQ(StringIndexBytes("a**", "", ""), std::string("a\0\0", 3));
    EXPECT_EQ(StringIndexBytes("a**", "a**", "a*"), std::string("a\0\0", 3));
}

} // namespace
