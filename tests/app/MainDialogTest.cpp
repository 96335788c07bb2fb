// The main window as a user meets it: opening and closing maps, the tag
// tree, selections, reloads, the Tools and About commands, the system menu,
// the minimised paint and File > Exit.
#include "map/MapHeader.h"
#include "map/TagClassTable.h"
#include "platform/FileStream.h"
#include "res/ResourceIds.h"
#include "tests/support/AppShellFixture.h"
#include "tests/support/MapBuilder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <vector>

using namespace travik::test;

namespace {

MapLayout WriteTestMap(const std::filesystem::path& path, const std::string& mapName = "bloodgulch")
{
    MapBuilder map = MapBuilder::Xbox();
    map.MapName(mapName);
    map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
    map.AddTag("obje", "levels\\test\\object", "unit").MetaSize(96);
    map.AddTag("weap", "weapons\\rifle", "item", "obje").MetaSize(32);
    return map.Write(path);
}

std::vector<int32_t> g_openedTags;
void RecordTagControls(int32_t index) { g_openedTags.push_back(index); }
void ChangeTag(int32_t index)
{
    g_openedTags.push_back(index);
    g_bTagChanged = true;
}

// Tag Controls changed the tag, then the file system fails every read of
// the map: the reload that follows meets only errors.
void ChangeTagThenFailReads(int32_t index)
{
    ChangeTag(index);
    CFileStream::InjectFault({CFileStream::Fault::Op::Read, "test.map", 0, 0, EIO});
}

int g_runs = 0;
void CountRun() { ++g_runs; }
void ChangeMap()
{
    ++g_runs;
    g_bMapChanged = true;
}

CTreeCtrl& TreeOf(CDialog& dialog) { return *dynamic_cast<CTreeCtrl*>(dialog.GetDlgItem(IDC_TAG_TREE)); }

class MainDialogTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        g_openedTags.clear();
        g_runs = 0;
        MainWindowFeatureDialogs().runTagControls = &RecordTagControls;
    }

    // The main window's steps, after opening "test.map" from the start-up directory.
    headless::DialogSteps& WithMapOpen()
    {
        WriteTestMap(PathOf("test.map"));
        auto& steps = user.ExpectDialog("Project Travik").Menu(ID_FILE_OPEN_MAPFILE);
        user.AnswerFile("test.map");
        return steps;
    }
};

TEST_F(MainDialogTest, CancelledFirstOpenTriesNone)
{
    unsigned roots = 99;
    user.ExpectDialog("Project Travik")
        .Menu(ID_FILE_OPEN_MAPFILE)
        .Inspect([&](CDialog& d) { roots = TreeOf(d).GetCount(); })
        .Escape();
    user.CancelFile();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(roots, 0u);
    EXPECT_FALSE(g_MapFile.IsOpen());
    EXPECT_NE(ReadLog().find("\tMapFile 'None' opened unsuccessfully.\r\n"), std::string::npos);
    const auto& chooser = user.Shown().at(1);
    EXPECT_EQ(chooser.kind, headless::ShownWindow::FileChooser);
    EXPECT_TRUE(chooser.file.open);
    EXPECT_EQ(chooser.file.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(chooser.file.defaultExtension.IsEmpty());
    EXPECT_TRUE(chooser.file.fileName.IsEmpty());
    EXPECT_TRUE(chooser.file.filter.IsEmpty());
}

TEST_F(MainDialogTest, OpeningAMapFillsTheTreeInItsColour)
{
    std::filesystem::create_directory(PathOf("maps"));
    WriteTestMap(PathOf("maps") / "test.map");
    std::vector<std::pair<CString, unsigned>> roots;
    COLORREF colour = 0;
    user.ExpectDialog()
        .Menu(ID_FILE_OPEN_MAPFILE)
        .Inspect([&](CDialog& d) {
            CTreeCtrl& tree = TreeOf(d);
            for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root)) {
                unsigned classes = 0;
                for (HTREEITEM node = tree.GetChildItem(root); node; node = tree.GetNextSiblingItem(node))
                    if (tree.GetItemText(node).Find(" -- ") >= 0) ++classes; // tags without that class stand beside
                roots.emplace_back(tree.GetItemText(root), classes);
            }
            colour = tree.GetBkColor();
        })
        .Escape();
    user.AnswerFile("maps/test.map");
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(g_strMapFileName, "test.map");
    EXPECT_EQ(std::filesystem::current_path(), PathOf("maps"));
    EXPECT_EQ(roots, (std::vector<std::pair<CString, unsigned>> {
                         {"Tag Class Set 1", 80}, {"Tag Class Set 2", 80}, {"Tag Class Set 3", 80}}));
    EXPECT_EQ(colour, TreeColorForNickname("Blood Gulch"));
    const std::string log = ReadLog();
    EXPECT_NE(log.find("\tMapFile 'test.map' opened successfully.\r\n"), std::string::npos);
    EXPECT_EQ(CountOf(log, "Index load starts."), 1u);
    EXPECT_EQ(g_Tags[2].m_strName, "weapons\\rifle");
}

TEST_F(MainDialogTest, FailedOpenOfAChosenFileIsTriedAgainAfterCancel)
{
    user.ExpectDialog().Menu(ID_FILE_OPEN_MAPFILE).Menu(ID_FILE_OPEN_MAPFILE).Escape();
    user.AnswerFile("missing.map");
    user.ExpectDialog("Message").Escape(); // the chosen file; the retry after Cancel is silent
    user.CancelFile();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(CountOf(ReadLog(), "\tMapFile 'missing.map' opened unsuccessfully.\r\n"), 2u);
}

// Only the name is kept, and it is opened in the current directory: a
// choice whose folder cannot be entered must not open a namesake here.
TEST_F(MainDialogTest, AChoiceInAFolderThatCannotBeEnteredOpensNoNamesake)
{
    WriteTestMap(PathOf("test.map"));
    user.ExpectDialog().Menu(ID_FILE_OPEN_MAPFILE).Escape();
    user.AnswerFile("vanished/test.map");
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_FALSE(g_MapFile.IsOpen());
    EXPECT_EQ(g_strMapFileName, "None");
    EXPECT_NE(ReadLog().find("\tMapFile 'None' opened unsuccessfully.\r\n"), std::string::npos);
}

TEST_F(MainDialogTest, ReadOnlyModeOpensTheMapReadOnly)
{
    g_bReadOnlyMode = true;
    WithMapOpen().Escape();
    RunProgram();
    EXPECT_NE(ReadLog().find("'test.map' opened successfully in Read-Only mode."), std::string::npos);
}

// A "Log.txt" that cannot be created is reported once at start, and the
// editor goes on: a map still opens.
TEST_F(MainDialogTest, ALogThatCannotBeCreatedIsReportedOnceAtStart)
{
    std::filesystem::create_directory(PathOf("Log.txt"));
    CString told;
    user.ExpectDialog("Message").Read(1029, told).Enter();
    WithMapOpen().Menu(ID_FILE_CLOSE_MAPFILE).Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(told, "The log file 'Log.txt' could not be created in the start-up folder (a folder of that name is in "
                    "the way). The editor goes on without a log.");
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("Log.txt")));
}

TEST_F(MainDialogTest, OpenWithAMapOpenDoesNothing)
{
    WithMapOpen().Menu(ID_FILE_OPEN_MAPFILE).Escape(); // no second file chooser is queued
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(CountOf(ReadLog(), "opened successfully"), 1u);
}

TEST_F(MainDialogTest, CloseWithAndWithoutAMap)
{
    unsigned countAfterClose = 99;
    COLORREF colourAfterClose = 1;
    std::string logBeforeSecondClose;
    WithMapOpen()
        .Menu(ID_FILE_CLOSE_MAPFILE)
        .Inspect([&](CDialog& d) {
            countAfterClose = TreeOf(d).GetCount();
            colourAfterClose = TreeOf(d).GetBkColor();
            TreeOf(d).SetBkColor(RGB(9, 9, 9));
            logBeforeSecondClose = ReadFileBytes(PathOf("Log.txt"));
        })
        .Menu(ID_FILE_CLOSE_MAPFILE)
        .Inspect([&](CDialog& d) { colourAfterClose = TreeOf(d).GetBkColor(); })
        .Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(countAfterClose, 0u);
    EXPECT_EQ(colourAfterClose, 0u);
    EXPECT_FALSE(g_MapFile.IsOpen());
    EXPECT_EQ(g_strMapFileName, "None");
    const std::string log = ReadLog();
    EXPECT_EQ(CountOf(log, "\tMapFile closed successfully.\r\n"), 1u);
    EXPECT_EQ(log, logBeforeSecondClose) << "a close without a map wrote to the log";
}

TEST_F(MainDialogTest, SelectingASetOneTagOpensItsDialogOncePerChange)
{
    FillTagClassTable(); // for the class node's text below
    ASSERT_EQ(g_TagClasses[5][0], "bitm");
    WithMapOpen()
        .SelectTreeItem(IDC_TAG_TREE, [](CTreeCtrl&) { return g_Tags[1].m_hItem1; })
        .SelectTreeItem(IDC_TAG_TREE, [](CTreeCtrl&) { return g_Tags[1].m_hItem1; })
        .SelectTreeItem(IDC_TAG_TREE, [](CTreeCtrl&) { return g_Tags[2].m_hItem1; })
        .SelectTreeItem(IDC_TAG_TREE, {"Tag Class Set 1", "bitm -- " + g_TagClasses[5][1], "levels\\test\\bitmap"})
        .Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(g_openedTags, (std::vector<int32_t> {1, 2, 0}));
}

TEST_F(MainDialogTest, SelectionsThatOpenNothing)
{
    using Pick = HTREEITEM (*)(CTreeCtrl&);
    const Pick picks[] = {
        [](CTreeCtrl&) { return g_Tags[0].m_hItem2; },      // a set-2 tag
        [](CTreeCtrl&) { return g_Tags[1].m_hItem3; },      // a set-3 tag
        [](CTreeCtrl&) { return g_hTagClassSet[1]; },       // a root
        [](CTreeCtrl&) { return g_hClassItems[5][1]; },     // a class node of set 1
        [](CTreeCtrl&) { return g_hTagClassSet[3]; },
    };
    auto& steps = WithMapOpen();
    for (Pick pick : picks) steps.SelectTreeItem(IDC_TAG_TREE, pick);
    steps.Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_TRUE(g_openedTags.empty());
}

TEST_F(MainDialogTest, ReloadAfterATagChangeKeepsTheColour)
{
    MainWindowFeatureDialogs().runTagControls = &ChangeTag;
    HTREEITEM before = nullptr;
    COLORREF colour = 0;
    unsigned items = 0, itemsBefore = 0;
    WithMapOpen()
        .Inspect([&](CDialog& d) {
            before = g_Tags[0].m_hItem1;
            itemsBefore = TreeOf(d).GetCount();
            TreeOf(d).SetBkColor(RGB(1, 2, 3)); // a reload that set the colour would lose this
        })
        .SelectTreeItem(IDC_TAG_TREE, [](CTreeCtrl&) { return g_Tags[0].m_hItem1; })
        .Inspect([&](CDialog& d) {
            colour = TreeOf(d).GetBkColor();
            items = TreeOf(d).GetCount();
        })
        .Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(g_openedTags, (std::vector<int32_t> {0}));
    EXPECT_FALSE(g_bTagChanged);
    EXPECT_EQ(colour, RGB(1, 2, 3));
    EXPECT_EQ(items, itemsBefore);
    EXPECT_NE(g_Tags[0].m_hItem1, before) << "the tree was not rebuilt";
    EXPECT_EQ(CountOf(ReadLog(), "Index load starts."), 2u);
}

TEST_F(MainDialogTest, WithoutAChangeTheTreeStaysAsItWas)
{
    HTREEITEM before = nullptr;
    WithMapOpen()
        .Inspect([&](CDialog&) { before = g_Tags[0].m_hItem1; })
        .SelectTreeItem(IDC_TAG_TREE, [](CTreeCtrl&) { return g_Tags[0].m_hItem1; })
        .Escape();
    RunProgram();
    EXPECT_EQ(g_Tags[0].m_hItem1, before);
    EXPECT_EQ(CountOf(ReadLog(), "Index load starts."), 1u);
}

TEST_F(MainDialogTest, WithNoTagsNoSelectionOpensAnything)
{
    MapBuilder::Xbox().Write(PathOf("empty.map"));
    user.ExpectDialog()
        .Menu(ID_FILE_OPEN_MAPFILE)
        .SelectTreeItem(IDC_TAG_TREE, [](CTreeCtrl&) { return g_hTagClassSet[1]; })
        .SelectTreeItem(IDC_TAG_TREE, [](CTreeCtrl&) { return g_hClassItems[0][1]; })
        .Escape();
    user.AnswerFile("empty.map");
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_TRUE(g_openedTags.empty());
}

TEST_F(MainDialogTest, MapInfoReloadsOnlyAfterAChange)
{
    MainWindowFeatureDialogs().runMapInfo = &CountRun;
    WithMapOpen().Menu(ID_TOOLS_MAP_INFO).Escape();
    RunProgram();
    EXPECT_EQ(g_runs, 1);
    EXPECT_EQ(CountOf(ReadLog(), "Index load starts."), 1u);

    headless::HeadlessPresenter second;
    headless::ScopedPresenter scoped(second);
    g_runs = 0;
    MainWindowFeatureDialogs().runMapInfo = &ChangeMap;
    g_MapFile.Close();
    second.ExpectDialog().Menu(ID_FILE_OPEN_MAPFILE).Menu(ID_TOOLS_MAP_INFO).Escape();
    second.AnswerFile("test.map");
    RunProgram();
    EXPECT_EQ(second.Problems(), "");
    EXPECT_EQ(g_runs, 1);
    EXPECT_FALSE(g_bMapChanged);
    EXPECT_EQ(CountOf(ReadLog(), "Index load starts."), 2u);
}

TEST_F(MainDialogTest, CommandsWhoseDialogsAreNotThereOpenNothing)
{
    MainWindowFeatureDialogs() = FeatureDialogs {};
    WithMapOpen()
        .Menu(ID_TOOLS_MAP_INFO)
        .Menu(ID_TOOLS_HEX_FLOAT_CONVERTER)
        .Menu(ID_TOOLS_REFLEXIVE_CALCULATOR)
        .Menu(ID_TOOLS_DIRECT_INJECT)
        .SelectTreeItem(IDC_TAG_TREE, [](CTreeCtrl&) { return g_Tags[0].m_hItem1; })
        .Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(user.Shown().size(), 2u); // the main window and the file chooser
}

TEST_F(MainDialogTest, ToolsCommandsReachTheirDialogs)
{
    MainWindowFeatureDialogs().runHexFloatConverter = &CountRun;
    MainWindowFeatureDialogs().runReflexiveCalculator = &CountRun;
    MainWindowFeatureDialogs().runDirectInject = &CountRun;
    WithMapOpen().Menu(ID_TOOLS_HEX_FLOAT_CONVERTER).Menu(ID_TOOLS_REFLEXIVE_CALCULATOR).Menu(ID_TOOLS_DIRECT_INJECT).Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(g_runs, 3);
}

TEST_F(MainDialogTest, DirectInjectWithoutAMapShowsItsMessage)
{
    MainWindowFeatureDialogs().runDirectInject = &CountRun;
    CString message;
    user.ExpectDialog().Menu(ID_TOOLS_DIRECT_INJECT).Escape();
    user.ExpectDialog("Message").Read(IDC_MESSAGE, message).Enter();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(message, "You must open a map before using Direct Inject.");
    EXPECT_EQ(user.Shown().at(1).caption, "Message");
    EXPECT_EQ(user.Shown().at(1).endCode, IDCANCEL);
    EXPECT_EQ(g_runs, 0);
}

TEST_F(MainDialogTest, AboutBoxFromTheMenuAndTheSystemMenu)
{
    std::vector<CString> systemMenu;
    user.ExpectDialog()
        .Inspect([&](CDialog& d) {
            for (const CMenu::Item& item : d.GetSystemMenu(FALSE)->Items())
                systemMenu.push_back(item.IsSeparator() ? CString("-") : item.text);
            EXPECT_EQ(d.GetSystemMenu(FALSE)->Items().back().id, IDM_ABOUTBOX);
        })
        .Menu(ID_ABOUT)
        .SystemMenu(IDM_ABOUTBOX)
        .Escape();
    user.ExpectDialog("About Project Travik").Enter();
    user.ExpectDialog("About Project Travik").Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    ASSERT_GE(systemMenu.size(), 2u);
    EXPECT_EQ(systemMenu[systemMenu.size() - 2], "-");
    EXPECT_EQ(systemMenu.back(), "&About Project Travik...");
    EXPECT_EQ(user.Shown().at(1).endCode, IDOK);
    EXPECT_EQ(user.Shown().at(2).endCode, IDCANCEL);
}

TEST_F(MainDialogTest, MinimisedPaintDrawsTheIconCentred)
{
    std::vector<CDialog::PaintOperation> restored, minimised;
    RECT client {};
    HCURSOR dragIcon = nullptr;
    user.ExpectDialog()
        .Paint()
        .Inspect([&](CDialog& d) { restored = d.LastPaint(); })
        .SystemMenu(SC_MINIMIZE)
        .Paint()
        .Inspect([&](CDialog& d) {
            minimised = d.LastPaint();
            d.GetClientRect(&client);
            dragIcon = d.QueryDragIcon();
        })
        .Escape();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].kind, CDialog::PaintOperation::DialogBackground);
    ASSERT_EQ(minimised.size(), 2u);
    EXPECT_EQ(minimised[0].kind, CDialog::PaintOperation::EraseIconBackground);
    EXPECT_EQ(minimised[1].kind, CDialog::PaintOperation::DrawIcon);
    EXPECT_EQ(minimised[1].x, (client.right - 32 + 1) / 2);
    EXPECT_EQ(minimised[1].y, (client.bottom - 32 + 1) / 2);
    EXPECT_EQ(minimised[1].icon, FindIconResource(IDR_MAINFRAME));
    EXPECT_EQ(dragIcon, FindIconResource(IDR_MAINFRAME));
}

TEST_F(MainDialogTest, ExitEndsTheProgramWithoutACloseEntry)
{
    WithMapOpen().Menu(ID_FILE_EXIT);
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_TRUE(ExitCalled());
    EXPECT_EQ(user.Problems(), "");
    EXPECT_FALSE(g_MapFile.IsOpen());
    EXPECT_FALSE(g_LogFile.IsOpen()) << "the log was not closed before the end";
    EXPECT_EQ(g_strMapFileName, "test.map") << "Exit reset the map's state";
    const std::string log = ReadFileBytes(PathOf("Log.txt"));
    EXPECT_NE(log.find("opened successfully"), std::string::npos);
    EXPECT_EQ(log.find("closed successfully"), std::string::npos);
}

// A reload built from reads that failed is not the map: numbers read as
// zeros would send the next edit into the header. The map is closed.
TEST_F(MainDialogTest, AReloadWhoseReadsFailClosesTheMapAndSaysSo)
{
    MainWindowFeatureDialogs().runTagControls = &ChangeTagThenFailReads;
    bool open = true;
    unsigned items = 99;
    CString told;
    WithMapOpen()
        .SelectTreeItem(IDC_TAG_TREE, [](CTreeCtrl&) { return g_Tags[0].m_hItem1; })
        .Inspect([&](CDialog& d) {
            CFileStream::ClearFault();
            open = g_MapFile.IsOpen();
            items = TreeOf(d).GetCount();
        })
        .Escape();
    user.ExpectDialog("Message").Read(IDC_MESSAGE, told).Enter();
    RunProgram();
    CFileStream::ClearFault();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(told, "The file 'test.map' could not be read: the file system reported an error. The map was closed: "
                    "open it again.");
    EXPECT_FALSE(open);
    EXPECT_EQ(items, 0u);
}

} // namespace
