// The export dialog's index and header copies, byte for byte, and the
// options dialog's colours and its three lines in "Travik.dat".
#include "res/ResourceIds.h"
#include "tests/support/ToolTestFixture.h"
#include "tools/ExportDialog.h"
#include "tools/OptionsDialog.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace travik::test;

namespace {

MapBuilder ThreeTagMap()
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
    map.AddTag("obje", "levels\\test\\object", "unit").MetaSize(96);
    map.AddTag("weap", "weapons\\rifle", "item", "obje").MetaSize(32);
    return map;
}

class ExportTest : public ToolDialogTest {
protected:
    // Clicks one export button with the file chooser answered by path.
    void Export(int button, const CString& path, bool confirmOverwrite = true)
    {
        user.ExpectDialog("Export...").Click(button).Escape();
        user.AnswerFile(path, confirmOverwrite);
        CExportDialog dlg;
        dlg.DoModal();
    }
};

TEST_F(ExportTest, IndexAndHeaderAreCopiedByteForByte)
{
    const std::string map = OpenLoaded(ThreeTagMap());
    Export(IDC_EXPORT_INDEX, "index.bin");
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(ReadFileBytes(PathOf("index.bin")), map.substr(0x800, 0x24 + 3 * 32));
    EXPECT_EQ(g_strMetaFileName, "index.bin");

    const auto& chooser = user.Shown().at(1);
    EXPECT_FALSE(chooser.file.open);
    EXPECT_EQ(chooser.file.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(chooser.file.defaultExtension.IsEmpty());
    EXPECT_TRUE(chooser.file.fileName.IsEmpty());
    EXPECT_TRUE(chooser.file.filter.IsEmpty());

    std::filesystem::create_directory(PathOf("out"));
    Export(IDC_EXPORT_HEADER, (PathOf("out") / "header.bin").string().c_str());
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(ReadFileBytes(PathOf("out") / "header.bin"), map.substr(0, 2048));
    EXPECT_EQ(g_strMetaFileName, "header.bin");
}

TEST_F(ExportTest, AnExistingFileIsReplacedOnlyWhenConfirmed)
{
    const std::string map = OpenLoaded(ThreeTagMap());
    WriteFileBytes(PathOf("old.bin"), std::string(5000, 'o'));
    Export(IDC_EXPORT_HEADER, "old.bin", false);
    EXPECT_EQ(ReadFileBytes(PathOf("old.bin")), std::string(5000, 'o'));
    EXPECT_EQ(g_strMetaFileName, "None");
    Export(IDC_EXPORT_HEADER, "old.bin", true);
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(ReadFileBytes(PathOf("old.bin")), map.substr(0, 2048));
}

TEST_F(ExportTest, NothingHappensWithoutAMapOrAfterCancel)
{
    user.ExpectDialog("Export...")
        .Click(IDC_EXPORT_INDEX)
        .Click(IDC_EXPORT_HEADER)
        .Click(IDC_EXPORT_METADATA)
        .Click(IDC_EXPORT_RAW_DATA)
        .Click(IDC_EXPORT_OFFSET_LIST)
        .Click(IDC_EXPORT_STRING_INDEX)
        .Escape();
    {
        CExportDialog dlg;
        dlg.DoModal();
    }
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(user.Shown().size(), 1u); // no chooser, no message

    OpenLoaded(ThreeTagMap());
    user.ExpectDialog("Export...").Click(IDC_EXPORT_INDEX).Escape();
    user.CancelFile();
    {
        CExportDialog dlg;
        dlg.DoModal();
    }
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(g_strMetaFileName, "None");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir()), {}), 1); // the map alone
}

TEST_F(ExportTest, AnIndexLargerThanTheBufferIsExportedWhole)
{
    const uint16_t count = 25000; // 800,036 bytes with the index header
    MapBuilder map = ThreeTagMap();
    map.StoredTagCount(count).Patch(0x800 + 0x24 + count * 32 + 10, "end");
    const std::string bytes = OpenLoaded(map);
    Export(IDC_EXPORT_INDEX, "big.bin");
    EXPECT_EQ(user.Problems(), "");
    const std::string exported = ReadFileBytes(PathOf("big.bin"));
    ASSERT_EQ(exported.size(), 0x24 + size_t(count) * 32);
    EXPECT_EQ(exported, bytes.substr(0x800, exported.size()));
    EXPECT_GT(exported.size(), size_t(kExportBufferSize));
}

TEST_F(ExportTest, AShortMapGivesTheBytesThatExistAndSaysSo)
{
    MapBuilder map = ThreeTagMap();
    map.TruncateAt(0x800 + 0x24 + 40); // the index's second entry is cut
    const std::string bytes = OpenLoaded(map);
    user.ExpectDialog("Export...").Click(IDC_EXPORT_INDEX).Escape();
    user.AnswerFile("short.bin");
    user.ExpectDialog("Message").Enter();
    CExportDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(ReadFileBytes(PathOf("short.bin")), bytes.substr(0x800));
    ASSERT_EQ(EditorMessages().size(), 1u);
    EXPECT_EQ(EditorMessages()[0],
              "The map file 'test.map' ends before the stretch to export does: 'short.bin' holds 76 of its 132 bytes.");
}

// Creating the export file empties the file chosen; were that a map the
// editor has open, the map would be lost and the export read from nothing.
// By its own name, a second name for the same file, or the second map.
TEST_F(ExportTest, AMapOpenInTheEditorIsNeverTheExportFile)
{
    const std::string map = OpenLoaded(ThreeTagMap());
    std::filesystem::create_hard_link(PathOf("test.map"), PathOf("alias.map"));
    WriteFileBytes(PathOf("second.map"), ThreeTagMap().Build());
    const std::string second = ReadFileBytes(PathOf("second.map"));
    ASSERT_TRUE(g_InputMapFile.Open("second.map", CFileStream::kMapFile));
    struct Case {
        int button;
        const char* chosen;
    } cases[] = {
        {IDC_EXPORT_HEADER, "test.map"},
        {IDC_EXPORT_INDEX, "alias.map"},
        {IDC_EXPORT_HEADER, "second.map"},
    };
    for (const Case& c : cases) {
        user.ExpectDialog("Export...").Click(c.button).Escape();
        user.AnswerFile(c.chosen, true);
        user.ExpectDialog("Message").Enter();
        CExportDialog dlg;
        dlg.DoModal();
    }
    g_InputMapFile.Close();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(EditorMessages(), (std::vector<CString> {
                                    "The file 'test.map' is open in the editor as 'test.map'. Nothing was exported.",
                                    "The file 'alias.map' is open in the editor as 'test.map'. Nothing was exported.",
                                    "The file 'second.map' is open in the editor as 'second.map'. Nothing was exported.",
                                }));
    EXPECT_EQ(MapBytes(), map);
    EXPECT_EQ(ReadFileBytes(PathOf("second.map")), second);
}

TEST_F(ExportTest, AFailedWriteNamesTheFile)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    OpenLoaded(ThreeTagMap(), (PathOf("test.map")).string());
    user.ExpectDialog("Export...").Click(IDC_EXPORT_HEADER).Escape();
    user.AnswerFile("/dev/full");
    user.ExpectDialog("Message").Enter();
    CExportDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(EditorMessages(), std::vector<CString> {"Could not write to the file 'full'."});
}

using OptionsTest = ToolDialogTest;

const char* const kSettingsHeader = "Travik settings file - init information stored here.\r\n";

TEST_F(OptionsTest, SaveWithoutChoosingWritesZeros)
{
    user.ExpectDialog("Options").Type(IDC_OPTIONS_TREE_COLOR, "ffffff").Click(IDC_OPTIONS_SAVE).Escape();
    COptionsDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(user.Shown().at(0).Text(IDC_OPTIONS_TREE_COLOR), "000000");
    EXPECT_EQ(user.Shown().at(0).Text(IDC_OPTIONS_LIST_COLOR), "000000");
    // What was typed is not saved.
    EXPECT_EQ(ReadFileBytes(PathOf("Travik.dat")), std::string(kSettingsHeader) + "0\r\n0\r\n");
    EXPECT_FALSE(dlg.m_settingsFile.IsOpen());
}

TEST_F(OptionsTest, ChosenColoursAreShownAndSaved)
{
    CString tree, list;
    user.ExpectDialog("Options")
        .Type(IDC_OPTIONS_LIST_COLOR, "abc")
        .Click(IDC_OPTIONS_CHOOSE_TREE)
        .Read(IDC_OPTIONS_LIST_COLOR, list) // replaced by the member's text
        .Click(IDC_OPTIONS_CHOOSE_LIST)
        .Read(IDC_OPTIONS_TREE_COLOR, tree)
        .Click(IDC_OPTIONS_SAVE)
        .Click(IDC_OPTIONS_SAVE)
        .Escape();
    user.AnswerColor(RGB(255, 0, 0));
    user.CancelColor();
    COptionsDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(list, "000000");
    EXPECT_EQ(tree, "0000ff");
    EXPECT_EQ(dlg.m_strListColor, "000001"); // Cancel leaves the initial colour
    EXPECT_EQ(user.Shown().at(1).color.initial, RGB(1, 0, 0));
    EXPECT_EQ(ReadFileBytes(PathOf("Travik.dat")), std::string(kSettingsHeader) + "255\r\n1\r\n"); // one copy
}

TEST_F(OptionsTest, ColourTextsArePaddedToSixDigits)
{
    EXPECT_EQ(ColorText(0), "000000");
    EXPECT_EQ(ColorText(RGB(0, 0, 255)), "ff0000");
    EXPECT_EQ(ColorText(RGB(18, 52, 86)), "563412");
    EXPECT_EQ(ColorText(0x01000000), "000000"); // only six digits are kept
}

TEST_F(OptionsTest, ASettingsFileThatCannotBeWrittenIsReported)
{
    std::filesystem::create_directory(PathOf("Travik.dat"));
    user.ExpectDialog("Options").Click(IDC_OPTIONS_SAVE).Escape();
    user.ExpectDialog("Message").Enter();
    COptionsDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(EditorMessages(), std::vector<CString> {"Could not write to the file 'Travik.dat'."});
}

// A settings file that opens but takes no byte (a link to a full device):
// the failed write is reported, never taken for a save, and the link stays.
TEST_F(OptionsTest, ASettingsFileThatOpensButTakesNoByteIsReported)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to stand for a full disk";
    std::filesystem::create_symlink("/dev/full", PathOf("Travik.dat"));
    user.ExpectDialog("Options").Type(IDC_OPTIONS_TREE_COLOR, "ffffff").Click(IDC_OPTIONS_SAVE).Escape();
    user.ExpectDialog("Message").Enter();
    COptionsDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(EditorMessages(), std::vector<CString> {"Could not write to the file 'Travik.dat'."});
    EXPECT_TRUE(std::filesystem::is_symlink(PathOf("Travik.dat")));
    for (const auto& entry : std::filesystem::directory_iterator(Dir()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// The log is held open: an export chosen under its name, or a hard link
// to it, is refused naming the file, and the log keeps its bytes.
TEST_F(ExportTest, TheLogIsNeverTheExportFile)
{
    OpenLoaded(ThreeTagMap());
    OpenTestLog();
    g_LogFile << "entry\n";
    std::filesystem::create_hard_link(PathOf("Log.txt"), PathOf("copy.bin"));
    for (auto [button, name] : {std::pair {IDC_EXPORT_HEADER, "Log.txt"}, {IDC_EXPORT_INDEX, "copy.bin"}}) {
        user.ExpectDialog("Export...").Click(button).Escape();
        user.AnswerFile(name, true);
        user.ExpectDialog("Message").Enter();
        CExportDialog dlg;
        dlg.DoModal();
    }
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(EditorMessages(), (std::vector<CString> {
                                    "The file 'Log.txt' is open in the editor as 'Log.txt'. Nothing was exported.",
                                    "The file 'copy.bin' is open in the editor as 'Log.txt'. Nothing was exported.",
                                }));
    EXPECT_EQ(ReadFileBytes(PathOf("Log.txt")), "entry\r\n");
}

// A failed export leaves an older file of that name whole.
TEST_F(ExportTest, AFailedExportLeavesTheOlderFileWhole)
{
    const std::string map = OpenLoaded(ThreeTagMap());
    const std::string older(100, '\x78');
    WriteFileBytes(PathOf("h.bin"), older);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size {1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &size);
        Export(IDC_EXPORT_HEADER, "h.bin");
        const bool told = EditorMessages() == std::vector<CString> {"Could not write to the file 'h.bin'."};
        ::_exit(told ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFileBytes(PathOf("h.bin")), older);
    Export(IDC_EXPORT_HEADER, "h.bin");
    EXPECT_EQ(ReadFileBytes(PathOf("h.bin")), map.substr(0, 0x800));
}

// "Travik.dat" is never written over an open map of that name, under
// another spelling or through a hard link; the map keeps every byte.
TEST_F(OptionsTest, AnOpenMapIsNeverTheSettingsFile)
{
    for (const char* opened : {"./Travik.dat", "m.map"}) {
        SCOPED_TRACE(opened);
        const std::string map = OpenLoaded(ThreeTagMap(), "m.map");
        if (std::string(opened) == "m.map") {
            std::filesystem::create_hard_link(PathOf("m.map"), PathOf("Travik.dat"));
        } else {
            g_MapFile.Close();
            std::filesystem::rename(PathOf("m.map"), PathOf("Travik.dat"));
            ASSERT_TRUE(g_MapFile.Open(opened, CFileStream::kMapFile));
        }
        user.ExpectDialog("Options").Click(IDC_OPTIONS_SAVE).Escape();
        user.ExpectDialog("Message").Enter();
        COptionsDialog dlg;
        dlg.DoModal();
        EXPECT_EQ(user.Problems(), "");
        EXPECT_EQ(EditorMessages().back(), CString("The file 'Travik.dat' is open in the editor as '") + opened +
                                               "'. The settings were not saved.");
        EXPECT_EQ(ReadFileBytes(PathOf("Travik.dat")), map);
        g_MapFile.Close();
        std::filesystem::remove(PathOf("Travik.dat"));
        std::filesystem::remove(PathOf("m.map"));
    }
}

// A failed save leaves the older settings file whole.
TEST_F(OptionsTest, AFailedSaveLeavesTheOlderSettingsFileWhole)
{
    const std::string older = std::string(kSettingsHeader) + "255\r\n1\r\n";
    WriteFileBytes(PathOf("Travik.dat"), older);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size {20, 20};
        ::setrlimit(RLIMIT_FSIZE, &size);
        user.ExpectDialog("Options").Click(IDC_OPTIONS_SAVE).Escape();
        user.ExpectDialog("Message").Enter();
        {
            COptionsDialog dlg;
            dlg.DoModal();
        }
        const bool told = EditorMessages() == std::vector<CString> {"Could not write to the file 'Travik.dat'."};
        ::_exit(told ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFileBytes(PathOf("Travik.dat")), older);
    for (const auto& entry : std::filesystem::directory_iterator(Dir()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

} // namespace
