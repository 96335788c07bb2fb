// What the user is told when File > Open Mapfile meets a file that cannot
// be opened, or one that opens but cannot be a complete map; and what is
// loaded from such a file all the same.
#include "map/MapFiles.h"
#include "map/MapLoad.h"
#include "res/ResourceIds.h"
#include "tests/support/AppShellFixture.h"
#include "tests/support/MapBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace travik::test;

namespace {

class MapOpenReportTest : public ShellTest {
protected:
    // Opens the file through the menu and the chooser, then ends the program.
    void OpenThroughTheMenu(headless::HeadlessPresenter& player, const std::string& path, bool expectMessage)
    {
        player.ExpectDialog("Project Travik").Menu(ID_FILE_OPEN_MAPFILE).Escape();
        player.AnswerFile(path);
        if (expectMessage) player.ExpectDialog("Message").Escape();
        RunProgram();
        EXPECT_EQ(player.Problems(), "") << path;
    }
    std::vector<CString> Messages() const { return MessagesOf(user); }
    static std::vector<CString> MessagesOf(const headless::HeadlessPresenter& player)
    {
        std::vector<CString> texts;
        for (const auto& window : player.Shown())
            if (window.caption == "Message") texts.push_back(window.Text(IDC_MESSAGE));
        return texts;
    }
};

MapBuilder SoundMap()
{
    MapBuilder map = MapBuilder::Xbox();
    map.MapName("bloodgulch");
    map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
    map.AddTag("obje", "levels\\test\\object", "unit").MetaSize(96);
    map.AddTag("weap", "weapons\\rifle", "item", "obje").MetaSize(32);
    return map;
}

TEST_F(MapOpenReportTest, AFolderAPipeAndAMissingFileAreReportedByNameAndReason)
{
    std::filesystem::create_directory(PathOf("folder.map"));
    ASSERT_EQ(mkfifo(PathOf("pipe.map").c_str(), 0644), 0);
    user.ExpectDialog("Project Travik")
        .Menu(ID_FILE_OPEN_MAPFILE)
        .Menu(ID_FILE_OPEN_MAPFILE)
        .Menu(ID_FILE_OPEN_MAPFILE)
        .Menu(ID_FILE_OPEN_MAPFILE) // cancelled: the pipe's name is tried again, silently
        .Escape();
    user.AnswerFile("folder.map");
    user.ExpectDialog("Message").Escape();
    user.AnswerFile("missing.map");
    user.ExpectDialog("Message").Escape();
    user.AnswerFile("pipe.map");
    user.ExpectDialog("Message").Escape();
    user.CancelFile();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(Messages(), (std::vector<CString> {
                              "The map 'folder.map' could not be opened: it is a folder, not a map file.",
                              "The map 'missing.map' could not be opened: the file does not exist.",
                              "The map 'pipe.map' could not be opened: it is not a regular file (a pipe or a device, "
                              "for example).",
                          }));
    EXPECT_FALSE(g_MapFile.IsOpen());
    // The log says what it always said.
    const std::string log = ReadLog();
    for (const char* name : {"folder.map", "missing.map"})
        EXPECT_EQ(CountOf(log, std::string("\tMapFile '") + name + "' opened unsuccessfully.\r\n"), 1u) << name;
    EXPECT_EQ(CountOf(log, "\tMapFile 'pipe.map' opened unsuccessfully.\r\n"), 2u);
    EXPECT_EQ(CountOf(log, "opened successfully"), 0u);
    EXPECT_FALSE(std::filesystem::exists(PathOf("missing.map")));
}

TEST_F(MapOpenReportTest, ADeviceIsRefusedInsteadOfReadAsAMap)
{
    OpenThroughTheMenu(user, "/dev/urandom", true);
    EXPECT_EQ(Messages(), (std::vector<CString> {"The map 'urandom' could not be opened: it is not a regular file (a "
                                                 "pipe or a device, for example)."}));
    EXPECT_FALSE(g_MapFile.IsOpen());
    EXPECT_EQ(g_IndexHeader.m_nTagCount, 0);
}

// Permissions mean nothing to root: the checks run in a child process that
// has given up root, or are skipped where that cannot be done.
TEST_F(MapOpenReportTest, AReadOnlyOrUnreadableFileIsReportedAsSuch)
{
    const std::string bytes = SoundMap().Build();
    WriteFileBytes(PathOf("readonly.map"), bytes);
    WriteFileBytes(PathOf("secret.map"), bytes);
    ASSERT_EQ(chmod(PathOf("readonly.map").c_str(), 0444), 0);
    ASSERT_EQ(chmod(PathOf("secret.map").c_str(), 0000), 0);
    ASSERT_EQ(chmod(Dir().c_str(), 0777), 0);

    auto check = [&]() -> int {
        struct Case {
            const char* name;
            CFileStream::OpenFailure failure;
            const char* message;
        } cases[] = {
            {"readonly.map", CFileStream::OpenFailure::ReadOnly,
             "The map 'readonly.map' could not be opened: the file is read-only, and the editor writes every change "
             "into the map."},
            {"secret.map", CFileStream::OpenFailure::NoPermission,
             "The map 'secret.map' could not be opened: you do not have permission to read and write it."},
        };
        int failures = 0;
        for (const Case& c : cases) {
            g_strMapFileName = c.name;
            OpenMapFile();
            CString message = MapOpenFailureMessage(c.name, g_MapFile);
            if (g_MapFile.IsOpen() || g_MapFile.LastOpenFailure() != c.failure || message != c.message) {
                std::fprintf(stderr, "%s: open %d, failure %d, message '%s'\n", c.name, g_MapFile.IsOpen() ? 1 : 0,
                             static_cast<int>(g_MapFile.LastOpenFailure()), message.GetString());
                ++failures;
            }
        }
        return failures;
    };
    if (geteuid() != 0) {
        EXPECT_EQ(check(), 0);
    } else {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(77);
            _exit(check() == 0 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "only root is available: the child could not give up root";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "see the child's lines above";
    }
    EXPECT_EQ(ReadFileBytes(PathOf("readonly.map")), bytes);
}

TEST_F(MapOpenReportTest, AnIncompleteMapLoadsWhatItHoldsAndSaysSoOnce)
{
    MapLayout layout = SoundMap().Layout();
    struct Case {
        const char* what;
        std::function<void(MapBuilder&)> change;
        const char* reason; // null: a sound map, no message
        int tagsLoaded;
    } cases[] = {
        {"sound", [](MapBuilder&) {}, nullptr, 3},
        {"a name of 5000 characters", [](MapBuilder& m) { m.Tag(1).Name(std::string(5000, 'n')); }, nullptr, 3},
        {"a last name of 5000 characters ending the file",
         [](MapBuilder& m) { m.Tag(2).Name(std::string(5000, 'n')).UnterminatedName(); }, nullptr, 3},
        {"a last name of 4999 characters ending the file",
         [](MapBuilder& m) { m.Tag(2).Name(std::string(4999, 'n')).UnterminatedName(); },
         "tag names run past the end of the file", 3},
        {"cut inside the header", [](MapBuilder& m) { m.TruncateAt(0x30); }, "the file ends inside its header", 0},
        {"empty file", [](MapBuilder& m) { m.TruncateAt(0); }, "the file ends inside its header", 0},
        {"index header beyond the end", [](MapBuilder& m) { m.Patch(0x10, Le32(0x7FFFFFF0)); },
         "its index header lies beyond the end of the file", 0},
        {"cut inside the index header", [&](MapBuilder& m) { m.TruncateAt(layout.indexOffset + 0x20); },
         "its index header lies beyond the end of the file", 3},
        {"more tags than the index holds", [](MapBuilder& m) { m.StoredTagCount(65535); },
         "its tag index runs past the end of the file", 5000},
        {"cut inside the index", [&](MapBuilder& m) { m.TruncateAt(layout.entryOffsets[2] + 8); },
         "its tag index runs past the end of the file", 3},
        {"cut inside the last name", [&](MapBuilder& m) { m.TruncateAt(layout.fileSize - 3); },
         "tag names run past the end of the file", 3},
        {"last name without its zero", [](MapBuilder& m) { m.Tag(2).UnterminatedName(); },
         "tag names run past the end of the file", 3},
        {"a name beyond the end", [](MapBuilder& m) { m.Tag(0).NameAddress(0x7FFF0000); },
         "tag names run past the end of the file", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetMapState();
        headless::HeadlessPresenter player;
        headless::ScopedPresenter active(player);
        MapBuilder map = SoundMap();
        c.change(map);
        map.Write(PathOf("test.map"));
        OpenThroughTheMenu(player, "test.map", c.reason != nullptr);
        std::vector<CString> expected;
        if (c.reason)
            expected.push_back(CString("The map 'test.map' is incomplete: ") + c.reason +
                               ", so the tag tree may be partial.");
        EXPECT_EQ(MessagesOf(player), expected);
        // What could be loaded is there, and the log is as it always was.
        EXPECT_TRUE(g_MapFile.IsOpen());
        EXPECT_EQ(std::min(g_IndexHeader.m_nTagCount, 5000), c.tagsLoaded);
        const std::string log = ReadLog();
        EXPECT_EQ(CountOf(log, "\tMapFile 'test.map' opened successfully.\r\n"), 1u);
        EXPECT_EQ(CountOf(log, "Index load starts."), 1u);
        EXPECT_EQ(log.find("incomplete"), std::string::npos);
        g_MapFile.Close();
    }
}

// A map whose last name ends exactly at the end of the file, and a map
// without tags whose file ends right after its index header, are whole.
TEST_F(MapOpenReportTest, AFileEndingExactlyWhereTheMapEndsIsWhole)
{
    MapBuilder noTags = MapBuilder::Xbox();
    noTags.TruncateAt(0x824);
    noTags.Write(PathOf("empty.map"));
    g_strMapFileName = "empty.map";
    OpenMapFile();
    LoadOpenMap(nullptr);
    EXPECT_EQ(FindOpenMapGap(), MapGap::None);
    g_MapFile.Close();

    MapLayout layout = SoundMap().Write(PathOf("test.map"));
    ASSERT_EQ(layout.nameOffsets.back() + std::string("weapons\\rifle").size() + 1, layout.fileSize);
    g_strMapFileName = "test.map";
    OpenMapFile();
    LoadOpenMap(nullptr);
    EXPECT_EQ(FindOpenMapGap(), MapGap::None);
    g_MapFile.Close();
}

TEST_F(MapOpenReportTest, AReloadAfterAChangeDoesNotRepeatTheMessage)
{
    MapBuilder map = SoundMap();
    map.Tag(2).UnterminatedName();
    map.Write(PathOf("test.map"));
    MainWindowFeatureDialogs().runTagControls = [](int32_t) { g_bTagChanged = true; };
    user.ExpectDialog("Project Travik")
        .Menu(ID_FILE_OPEN_MAPFILE)
        .SelectTreeItem(IDC_TAG_TREE, [](CTreeCtrl&) { return g_Tags[0].m_hItem1; })
        .Escape();
    user.AnswerFile("test.map");
    user.ExpectDialog("Message").Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(CountOf(ReadLog(), "Index load starts."), 2u);
}

} // namespace
