// Every writing operation run through the dialogs while the file system
// fails under it: writes cut short after k bytes (a full disk) at every
// boundary, failed reads, flushes and closes, a map replaced or deleted
// after it was opened, a file-size limit and a small file system. For each
// case: nothing says success after a failure, the failure names the file,
// and no byte of the map outside the operation's target changes.
#include "directinject/DirectInjectDialog.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "platform/FileStream.h"
#include "platform/ScratchFolder.h"
#include "platform/headless/HeadlessPresenter.h"
#include "res/ResourceIds.h"
#include "tagcontrols/MetadataFiles.h"
#include "tagcontrols/TagInfo.h"
#include "tests/support/AppShellFixture.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"
#include "tools/ExportDialog.h"
#include "tools/HaloMapInfo.h"
#include "tools/OptionsDialog.h"
#include "tools/StringIndexDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace travik::test;
using Kind = CFileStream::Fault::Op;

namespace {

// The texts the user is shown, gathered in one place so that a reworded
// message is changed here only.
namespace says {
const std::string kMapWriteFailed =
    "Writing to the map file 'test.map' failed. The change may be only partly written.";
const std::string kToolWriteFailed = "Could not write to the file 'test.map'.";
const std::string kInjectWriteFailed =
    "Writing to the map file 'test.map' failed. The change may be only partly written.";
const std::string kDirectWriteFailed =
    "Writing to the map file 'test.map' failed. The change may be only partly written.";
const std::string kReplaced = "The map file 'test.map' is no longer the file that was opened: it was replaced, moved "
                              "or deleted. Nothing was written. Close the map and open it again.";
std::string ReadFailed(const std::string& file, const std::string& tail)
{
    return "The file '" + file + "' could not be read: the file system reported an error." + tail;
}
std::string CouldNotWrite(const std::string& file) { return "Could not write to the file '" + file + "'."; }
std::string Partial(const std::string& written, const std::string& inPart)
{
    return "Writing to the map file 'test.map' failed. The change may be only partly written. Written before the "
           "failure: " + written + ". Perhaps written in part: " + inPart + ".";
}
} // namespace says

struct Region {
    uint32_t from, to; // [from, to) of the map file
};

// One fault and what the user must be told once it strikes: one of the texts.
struct FaultSpot {
    Kind kind;
    std::string file;
    std::vector<std::string> told;
    int64_t firstCases = INT64_MAX; // only the first k that count (a later one strikes a read-only close)
};

struct Operation {
    std::string name;
    std::function<void()> prepare;                        // with the map loaded, before the fault
    std::function<void(headless::HeadlessPresenter&)> run; // queues the user's steps and runs the dialog
    std::function<std::vector<Region>(const MapLayout&)> targets;
    std::vector<FaultSpot> faults;
    std::string success; // empty: success says nothing
};

struct Result {
    std::vector<std::string> messages;
    std::string map;
};

MapBuilder FaultMap()
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "levels\\test\\bitmaps").MetaSize(64);
    map.AddTag("obje", "levels\\test\\object", "unit")
        .MetaSize(96)
        .TagRef(0x10, "bitm", 0)
        .NullRef(0x20, "snd!")
        .Reflexive(0x40, 2, 0x50);
    map.AddTag("weap", "weapons\\rifle", "item", "obje").MetaSize(32);
    // A 0x78 byte beside the fields the operations write.
    map.Patch(0x07, "\x78");
    return map;
}

// Where a run of k bytes or calls is cut: every k near the start and the
// end, and a spread between, so a run stays short however much is written.
std::vector<int64_t> Boundaries(int64_t total, int64_t limit)
{
    std::set<int64_t> ks;
    for (int64_t k = 0; k < std::min<int64_t>(total, 12); ++k) ks.insert(k);
    for (int64_t k = std::max<int64_t>(0, total - 4); k < total; ++k) ks.insert(k);
    for (int64_t step = std::max<int64_t>(1, total / 16), k = 0; k < total; k += step) ks.insert(k);
    std::vector<int64_t> out;
    for (int64_t k : ks)
        if (k < limit) out.push_back(k);
    return out;
}

class FaultSuite : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        OpenTestLog();
    }
    void TearDown() override
    {
        CFileStream::ClearFault();
        CloseEverything();
        ShellTest::TearDown();
    }

    static void CloseEverything()
    {
        g_MapFile.Close();
        g_InputMapFile.Close();
        g_DataFile.Close();
        g_MetaFile.Close();
    }

    // A fresh map, opened and loaded as the main window does, and nothing
    // left from the case before.
    void Fresh()
    {
        CloseEverything();
        for (const char* name : {"saved.meta", "saved.meta.data", "Temp.data", "export.bin", "Travik.dat"})
            std::filesystem::remove(PathOf(name));
        g_bUpdateNameLocation = false;
        g_bTagChanged = g_bMapChanged = false;
        m_layout = OpenBuiltMap(FaultMap(), "test.map");
        LoadOpenMap(nullptr);
        ASSERT_TRUE(g_MapFile.IsOpen());
    }

    // One run on a fresh map; from another folder when elsewhere is set,
    // as after a file chooser moved there.
    Result RunOnce(const Operation& op, const CFileStream::Fault* fault, bool elsewhere = false)
    {
        Fresh();
        if (op.prepare) op.prepare();
        const std::filesystem::path home = std::filesystem::current_path();
        if (elsewhere) {
            std::filesystem::create_directories(PathOf("elsewhere"));
            std::filesystem::current_path(PathOf("elsewhere"));
        }
        Result result;
        headless::HeadlessPresenter user;
        headless::ScopedPresenter active(user);
        if (fault) CFileStream::InjectFault(*fault);
        op.run(user);
        m_passed = fault ? CFileStream::FaultPassed() : 0;
        CFileStream::ClearFault();
        std::filesystem::current_path(home);
        for (const auto& shown : user.Shown())
            if (shown.kind == headless::ShownWindow::Dialog && shown.caption == "Message")
                result.messages.push_back(shown.Text(IDC_MESSAGE).Bytes());
        if (std::filesystem::exists(PathOf("test.map"))) result.map = ReadFileBytes(PathOf("test.map"));
        return result;
    }

    static ::testing::AssertionResult OnlyTargetsChanged(const std::string& before, const std::string& after,
                                                         const std::vector<Region>& targets)
    {
        const size_t n = std::max(before.size(), after.size());
        for (size_t i = 0; i < n; ++i) {
            const bool inTarget = std::any_of(targets.begin(), targets.end(),
                                              [&](const Region& r) { return i >= r.from && i < r.to; });
            if (inTarget) continue;
            if (i >= before.size() || i >= after.size() || before[i] != after[i])
                return ::testing::AssertionFailure() << "byte " << i << " outside the target changed (sizes "
                                                     << before.size() << ", " << after.size() << ")";
        }
        return ::testing::AssertionSuccess();
    }

    void Sweep(const Operation& op)
    {
        Fresh();
        const std::string before = ReadFileBytes(PathOf("test.map"));
        const std::vector<Region> targets = op.targets(m_layout);

        // Without a fault: it succeeds, and changes its targets only.
        const Result clean = RunOnce(op, nullptr);
        if (op.success.empty()) EXPECT_EQ(clean.messages, std::vector<std::string>()) << op.name;
        else EXPECT_EQ(clean.messages, std::vector<std::string>{op.success}) << op.name;
        EXPECT_TRUE(OnlyTargetsChanged(before, clean.map, targets)) << op.name;

        for (const FaultSpot& spot : op.faults) {
            // A fault armed too far off to strike counts what passes it.
            CFileStream::Fault probe {spot.kind, spot.file, INT32_MAX, INT32_MAX, EIO};
            RunOnce(op, &probe);
            const int64_t total = m_passed;
            ASSERT_GT(total, 0) << op.name << ": nothing passes the fault on " << spot.file;
            for (int64_t k : Boundaries(total, spot.firstCases)) {
                CFileStream::Fault fault {spot.kind, spot.file, k, static_cast<int>(k),
                                          spot.kind == Kind::Write ? ENOSPC : EIO};
                const Result got = RunOnce(op, &fault);
                const std::string where = op.name + ", " + spot.file + " fails at " + std::to_string(k);
                if (!op.success.empty()) {
                    EXPECT_EQ(std::count(got.messages.begin(), got.messages.end(), op.success), 0) << where;
                }
                const bool told = std::any_of(got.messages.begin(), got.messages.end(), [&](const std::string& m) {
                    return std::find(spot.told.begin(), spot.told.end(), m) != spot.told.end();
                });
                EXPECT_TRUE(told) << where << "; shown: "
                                  << (got.messages.empty() ? std::string("nothing") : got.messages.back());
                EXPECT_TRUE(OnlyTargetsChanged(before, got.map, targets)) << where;
            }
        }
    }

    // The map replaced by a copy, or deleted, after it was loaded: the
    // operation writes nothing and says so.
    void RefusesAnotherMap(const Operation& op)
    {
        for (const bool deleted : {false, true}) {
            Operation changed = op;
            changed.prepare = [&, deleted]() {
                if (op.prepare) op.prepare();
                const std::string bytes = ReadFileBytes(PathOf("test.map"));
                if (deleted) {
                    std::filesystem::remove(PathOf("test.map"));
                } else {
                    WriteFileBytes(PathOf("copy.map"), bytes);
                    std::filesystem::rename(PathOf("copy.map"), PathOf("test.map"));
                }
            };
            Fresh();
            const std::string before = ReadFileBytes(PathOf("test.map"));
            const Result got = RunOnce(changed, nullptr, true);
            EXPECT_EQ(got.messages, std::vector<std::string>{says::kReplaced}) << op.name << (deleted ? " deleted" : "");
            if (!deleted) {
                EXPECT_EQ(got.map, before) << op.name;
            }
        }
    }

    static void RunTagControls(int tag)
    {
        CTagInfo dlg;
        dlg.SetTag(tag);
        dlg.DoModal();
    }

    // The operations. Map offsets come from the layout of FaultMap().
    Operation SaveNameInPlace()
    {
        return {"Save Changes, name in place", nullptr,
                [](headless::HeadlessPresenter& user) {
                    user.ExpectDialog("Tag Controls")
                        .Type(IDC_TAG_NAME, "weapons\\gun")
                        .Type(IDC_IDENTIFIER, "E1230042")
                        .Click(IDC_SAVE_CHANGES)
                        .Escape();
                    RunTagControls(2);
                },
                [](const MapLayout& l) {
                    return std::vector<Region>{{l.nameOffsets[2], l.nameOffsets[2] + 12},
                                               {l.entryOffsets[2] + 0x0C, l.entryOffsets[2] + 0x10}};
                },
                {{Kind::Write, "test.map",
                  {says::Partial("nothing", "Identifier"), says::Partial("Identifier", "Tag Name")}},
                 {Kind::Sync, "test.map", {says::Partial("nothing", "Identifier, Tag Name")}}},
                ""};
    }

    Operation SaveNameMoved()
    {
        return {"Save Changes, name moved", nullptr,
                [](headless::HeadlessPresenter& user) {
                    user.ExpectDialog("Tag Controls")
                        .Type(IDC_TAG_NAME, "weapons\\rifle_with_a_longer_name")
                        .Click(IDC_UPDATE_NAME_LOCATION)
                        .Click(IDC_SAVE_CHANGES)
                        .Escape();
                    RunTagControls(2);
                },
                [](const MapLayout& l) {
                    return std::vector<Region>{{0x08, 0x0C},
                                               {l.entryOffsets[2] + 0x10, l.entryOffsets[2] + 0x14},
                                               {l.eofPosition, l.eofPosition + 33}};
                },
                {{Kind::Write, "test.map",
                  {says::Partial("nothing", "Tag Name at the EoF position"),
                   says::Partial("Tag Name at the EoF position", "EoF Position"),
                   says::Partial("Tag Name at the EoF position, EoF Position", "String Offset")}},
                 {Kind::Sync, "test.map",
                  {says::Partial("nothing", "Tag Name at the EoF position, EoF Position, String Offset")}}},
                ""};
    }

    Operation UpdateItem()
    {
        return {"Update Item", nullptr,
                [](headless::HeadlessPresenter& user) {
                    user.ExpectDialog("Tag Controls")
                        .Click(IDC_SCAN_METADATA)
                        .SelectTreeItem(IDC_SCANNER_TREE,
                                        [](CTreeCtrl& tree) {
                                            for (HTREEITEM r = tree.GetRootItem(); r; r = tree.GetNextSiblingItem(r))
                                                for (HTREEITEM i = tree.GetChildItem(r); i; i = tree.GetNextSiblingItem(i))
                                                    if (tree.GetItemText(i).Left(10) == "0x00000044") return i;
                                            return HTREEITEM(nullptr);
                                        })
                        .Type(IDC_SCAN_VALUE, "5")
                        .Click(IDC_UPDATE_ITEM)
                        .Escape();
                    RunTagControls(1);
                },
                [](const MapLayout& l) { return std::vector<Region>{{l.metaOffsets[1] + 0x40, l.metaOffsets[1] + 0x42}}; },
                {{Kind::Write, "test.map", {says::kMapWriteFailed}},
                 {Kind::Sync, "test.map", {says::kMapWriteFailed}},
                 {Kind::Read, "test.map",
                  {says::ReadFailed("test.map", " Nothing was written."),
                   says::ReadFailed("test.map", " The metadata was not scanned.")}}},
                ""};
    }

    Operation SaveMetadata()
    {
        const std::vector<std::string> meta {"The metadata file 'saved.meta' could not be written. Metadata was not saved; the files of that name are as they were."};
        const std::vector<std::string> data {"The data file 'saved.meta.data' could not be written. Metadata was not saved; the files of that name are as they were."};
        return {"Save Metadata", nullptr,
                [this](headless::HeadlessPresenter& user) {
                    user.ExpectDialog("Tag Controls").Click(IDC_SAVE_METADATA).Escape();
                    user.AnswerFile(PathOf("saved.meta").c_str());
                    RunTagControls(1);
                },
                [](const MapLayout&) { return std::vector<Region>{}; },
                {{Kind::Write, "saved.meta", meta},
                 {Kind::Sync, "saved.meta", meta},
                 {Kind::Close, "saved.meta", meta},
                 {Kind::Write, "saved.meta.data", data},
                 {Kind::Sync, "saved.meta.data", data},
                 {Kind::Close, "saved.meta.data", data},
                 {Kind::Read, "test.map", {says::ReadFailed("test.map", " Metadata was not saved.")}}},
                "Metadata saved successfully."};
    }

    Operation InjectMetadata()
    {
        const char* refusal = " Injection will not occur.";
        return {"Inject Metadata",
                [this]() {
                    // A pair saved from the tag, its bytes changed so the inject shows.
                    ASSERT_TRUE(SaveMetadataPair("saved.meta", 1, [](const CString&) {}));
                    std::string meta = ReadFileBytes(PathOf("saved.meta"));
                    for (size_t i = 0x48; i < meta.size(); ++i) meta[i] = static_cast<char>(meta[i] ^ 0x5A);
                    WriteFileBytes(PathOf("saved.meta"), meta);
                },
                [this](headless::HeadlessPresenter& user) {
                    // "Correct Metadata" is checked when the dialog opens.
                    user.ExpectDialog("Tag Controls").Click(IDC_INJECT_METADATA).Escape();
                    user.AnswerFile(PathOf("saved.meta").c_str());
                    RunTagControls(1);
                },
                [](const MapLayout& l) {
                    return std::vector<Region>{{l.metaOffsets[1], l.metaOffsets[1] + uint32_t(l.LoadedMetaSize(1))}};
                },
                {{Kind::Write, "test.map", {says::kInjectWriteFailed}},
                 {Kind::Sync, "test.map", {says::kInjectWriteFailed}},
                 {Kind::Read, "saved.meta", {says::ReadFailed("saved.meta", refusal)}},
                 {Kind::Read, "saved.meta.data", {says::ReadFailed("saved.meta.data", refusal)}}},
                "Inject completed successfully."};
    }

    Operation DirectInject()
    {
        const char* none = " Nothing was injected.";
        const std::string scratch = ScratchFilePath("Temp.data").Bytes();
        return {"Direct inject",
                [this]() { FaultMap().Write(PathOf("second.map")); },
                [this](headless::HeadlessPresenter& user) {
                    auto& steps = user.ExpectDialog("Direct Injection").Click(IDC_OPEN_MAP);
                    user.AnswerFile(PathOf("second.map").c_str());
                    steps.SelectTreeItem(IDC_INJECT_INTO_TREE, [](CTreeCtrl&) { return g_Tags[1].m_hItem2; })
                        .SelectTreeItem(IDC_GET_FROM_TREE, [](CTreeCtrl&) { return g_InputTags[1].m_hItem2; })
                        .Click(IDC_INJECT)
                        .Escape();
                    CDirectInjectDialog dlg;
                    dlg.DoModal();
                },
                [](const MapLayout& l) {
                    return std::vector<Region>{{l.metaOffsets[1], l.metaOffsets[1] + uint32_t(l.LoadedMetaSize(1))}};
                },
                {{Kind::Write, "test.map", {says::kDirectWriteFailed}},
                 {Kind::Sync, "test.map", {says::kDirectWriteFailed}},
                 {Kind::Read, "test.map",
                  {says::ReadFailed("test.map", none), says::ReadFailed("test.map", " The second map was not opened.")}},
                 {Kind::Read, "second.map",
                  {says::ReadFailed("second.map", none), says::ReadFailed("second.map", " The second map was not opened.")}},
                 {Kind::Write, "Temp.data", {"The data file '" + scratch + "' could not be written." + none}},
                 // The first close empties the file, the second ends its writing;
                 // the third only ends a read.
                 {Kind::Close, "Temp.data",
                  {"The data file '" + scratch + "' could not be emptied or opened." + none,
                   "The data file '" + scratch + "' could not be written." + none},
                  2},
                 {Kind::Read, "Temp.data", {says::ReadFailed(scratch, none)}}},
                "Direct inject completed successfully."};
    }

    Operation MapInfo()
    {
        return {"Map Info", nullptr,
                [](headless::HeadlessPresenter& user) {
                    user.ExpectDialog("Map Info")
                        .Type(IDC_MAPINFO_VERSION, "7")
                        .Type(IDC_MAPINFO_MAP_NAME, "edited")
                        .Click(IDC_MAPINFO_SAVE)
                        .Escape();
                    CHaloMapInfo dlg;
                    dlg.DoModal();
                },
                [](const MapLayout&) { return std::vector<Region>{{0x04, 0x06}, {0x20, 0x40}}; },
                {{Kind::Write, "test.map",
                  {says::Partial("nothing", "Map Version"), says::Partial("Map Version", "Map Name")}},
                 {Kind::Sync, "test.map", {says::Partial("nothing", "Map Version, Map Name")}}},
                ""};
    }

    Operation StringIndex()
    {
        return {"String index editor", nullptr,
                [](headless::HeadlessPresenter& user) {
                    user.ExpectDialog("String Index Editor")
                        .Type(IDC_STRINGINDEX_END, "6")
                        .Click(IDC_STRINGINDEX_LOAD)
                        .Type(IDC_STRINGINDEX_TEXT, "LEVELS")
                        .Click(IDC_STRINGINDEX_UPDATE)
                        .Escape();
                    CStringIndexDialog dlg;
                    dlg.DoModal();
                },
                [](const MapLayout& l) { return std::vector<Region>{{l.nameOffsets[0], l.nameOffsets[0] + 6}}; },
                {{Kind::Write, "test.map", {says::Partial("nothing", "the text")}},
                 {Kind::Sync, "test.map", {says::Partial("nothing", "the text")}}},
                ""};
    }

    Operation Export(int button, const char* name)
    {
        const std::vector<std::string> failed {says::CouldNotWrite("export.bin")};
        return {name, nullptr,
                [button](headless::HeadlessPresenter& user) {
                    user.ExpectDialog("Export...").Click(button).Escape();
                    user.AnswerFile("export.bin");
                    CExportDialog dlg;
                    dlg.DoModal();
                },
                [](const MapLayout&) { return std::vector<Region>{}; },
                {{Kind::Write, "export.bin", failed},
                 {Kind::Sync, "export.bin", failed},
                 {Kind::Close, "export.bin", failed},
                 {Kind::Read, "test.map", {}}},
                ""};
    }

    Operation Options()
    {
        const std::vector<std::string> failed {says::CouldNotWrite("Travik.dat")};
        return {"Options", nullptr,
                [](headless::HeadlessPresenter& user) {
                    user.ExpectDialog("Options").Click(IDC_OPTIONS_SAVE).Escape();
                    COptionsDialog dlg;
                    dlg.DoModal();
                },
                [](const MapLayout&) { return std::vector<Region>{}; },
                {{Kind::Write, "Travik.dat", failed},
                 {Kind::Sync, "Travik.dat", failed},
                 {Kind::Close, "Travik.dat", failed}},
                ""};
    }

    MapLayout m_layout;
    int64_t m_passed = 0;
};

TEST_F(FaultSuite, TagControlsWritesUnderEveryFault)
{
    Sweep(SaveNameInPlace());
    Sweep(SaveNameMoved());
    Sweep(UpdateItem());
}

TEST_F(FaultSuite, MetadataFilesUnderEveryFault)
{
    Sweep(SaveMetadata());
    Sweep(InjectMetadata());
}

TEST_F(FaultSuite, DirectInjectUnderEveryFault)
{
    Sweep(DirectInject());
}

TEST_F(FaultSuite, ToolDialogsUnderEveryFault)
{
    Sweep(MapInfo());
    Sweep(StringIndex());
    Sweep(Options());
}

TEST_F(FaultSuite, ExportsUnderEveryFault)
{
    for (const Operation& op : {Export(IDC_EXPORT_HEADER, "Export header"), Export(IDC_EXPORT_INDEX, "Export index")}) {
        Operation checked = op;
        // A failed read of the map exports nothing, and says which file.
        checked.faults.back().told = {says::ReadFailed("test.map", " Nothing was exported.")};
        Sweep(checked);
    }
}

TEST_F(FaultSuite, AReplacedOrDeletedMapIsRefused)
{
    for (const Operation& op : {SaveNameInPlace(), SaveNameMoved(), UpdateItem(), InjectMetadata(), DirectInject(),
                                MapInfo(), StringIndex()})
        RefusesAnotherMap(op);
}

TEST_F(FaultSuite, AFailedCloseOfTheMapIsLoggedAsFailed)
{
    Fresh();
    CFileStream::InjectFault({Kind::Close, "test.map", 0, 0, EIO});
    CloseMapFile();
    CFileStream::ClearFault();
    const std::string log = CloseAndReadLog();
    EXPECT_NE(log.find("\tMapFile closed unsuccessfully.\r\n"), std::string::npos);
    EXPECT_EQ(log.find("\tMapFile closed successfully."), std::string::npos);
}

// The log is no operation's output: a log that cannot be written stops
// none of them, and changes nothing in the map beyond their targets.
TEST_F(FaultSuite, ALogThatCannotBeWrittenStopsNoOperation)
{
    for (const Operation& op : {SaveMetadata(), DirectInject()}) {
        Fresh();
        const std::string before = ReadFileBytes(PathOf("test.map"));
        for (const int64_t k : {0, 40}) {
            CFileStream::Fault fault {Kind::Write, "Log.txt", k, 0, ENOSPC};
            const Result got = RunOnce(op, &fault);
            EXPECT_EQ(got.messages, std::vector<std::string>{op.success}) << op.name << " " << k;
            EXPECT_TRUE(OnlyTargetsChanged(before, got.map, op.targets(m_layout))) << op.name;
        }
    }
}

TEST_F(FaultSuite, AMapWhoseReadsFailIsNotShownAsLoaded)
{
    // What a whole load reads, counted by a fault too far off to strike.
    Fresh();
    CloseMapFile();
    CFileStream::InjectFault({Kind::Read, "test.map", INT32_MAX, 0, EIO});
    g_strMapFileName = "test.map";
    OpenMapFile();
    LoadOpenMap(nullptr);
    const int64_t total = CFileStream::FaultPassed();
    CFileStream::ClearFault();
    CloseMapFile();
    ASSERT_GT(total, 0x20);
    for (const int64_t k : {int64_t(0), int64_t(0x10), total / 2, total - 1}) {
        headless::HeadlessPresenter user;
        headless::ScopedPresenter active(user);
        user.ExpectDialog("Project Travik").Menu(ID_FILE_OPEN_MAPFILE).Escape();
        user.AnswerFile("test.map");
        user.ExpectDialog("Message").Escape();
        CFileStream::InjectFault({Kind::Read, "test.map", k, 0, EIO});
        RunProgram();
        CFileStream::ClearFault();
        ASSERT_GE(user.Shown().size(), 3u) << k;
        EXPECT_EQ(user.Shown()[2].Text(IDC_MESSAGE),
                  says::ReadFailed("test.map", " The map was not opened.").c_str()) << k;
        EXPECT_FALSE(g_MapFile.IsOpen()) << k;
        g_MapFile.Close();
        OpenTestLog();
    }
}

// The limit is set in a child: the whole test process must not inherit it.
// The child's exit status is the number of failed checks.
template <typename Body>
int InChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int failed = 0;
        try {
            failed = body();
        } catch (...) {
            failed = 100;
        }
        ::_exit(failed);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

TEST_F(FaultSuite, AFileSizeLimitFailsExportsAndSavesAloud)
{
    Fresh();
    const int failed = InChild([&]() {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {1000, 1000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 50;
        int bad = 0;
        {
            headless::HeadlessPresenter user;
            headless::ScopedPresenter active(user);
            user.ExpectDialog("Export...").Click(IDC_EXPORT_HEADER).Escape();
            user.AnswerFile("export.bin");
            user.ExpectDialog("Message").Escape();
            CExportDialog dlg;
            dlg.DoModal();
            if (user.Shown().size() < 3 || user.Shown()[2].Text(IDC_MESSAGE) != "Could not write to the file 'export.bin'.")
                ++bad;
        }
        // The tag's metadata file runs past a lower limit.
        limit = {60, 60};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<CString> told;
        if (SaveMetadataPair("small.meta", 1, [&](const CString& t) { told.push_back(t); })) ++bad;
        if (told != std::vector<CString>{"The metadata file 'small.meta' could not be written. Metadata was not saved; the files of that name are as they were."})
            ++bad;
        return bad;
    });
    EXPECT_EQ(failed, 0);
}

TEST_F(FaultSuite, AFullSmallFileSystemFailsExportsAloud)
{
    Fresh();
    std::filesystem::create_directories(PathOf("small"));
    const std::string small = PathOf("small").string();
    const int failed = InChild([&]() {
        // A mount of its own, seen by this child only.
        if (::unshare(CLONE_NEWNS) != 0) return 77;
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 77;
        if (::mount("travik-small", small.c_str(), "tmpfs", 0, "size=8k") != 0) return 77;
        // Filled to the last byte, so the next write finds no room.
        std::string filler(64 * 1024, 'f');
        FILE* fill = std::fopen((small + "/filler").c_str(), "wb");
        if (!fill) return 78;
        std::fwrite(filler.data(), 1, filler.size(), fill);
        std::fclose(fill);
        int bad = 0;
        headless::HeadlessPresenter user;
        headless::ScopedPresenter active(user);
        user.ExpectDialog("Export...").Click(IDC_EXPORT_HEADER).Escape();
        user.AnswerFile((small + "/export.bin").c_str());
        user.ExpectDialog("Message").Escape();
        CExportDialog dlg;
        dlg.DoModal();
        if (user.Shown().size() < 3 || user.Shown()[2].Text(IDC_MESSAGE) != "Could not write to the file 'export.bin'.")
            ++bad;
        ::umount(small.c_str());
        return bad;
    });
    if (failed == 77) GTEST_SKIP() << "no small file system: this machine does not let the test mount a tmpfs";
    EXPECT_EQ(failed, 0);
}

} // namespace
