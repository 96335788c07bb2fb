// The Direct Injection dialog as a user meets it: opening and closing the
// second map, both trees, the two sizes and the source tag's reference list.
#include "tests/support/DirectInjectFixture.h"

#include "directinject/DirectInject.h"
#include "map/HexCodec.h"

#include <gtest/gtest.h>

using namespace travik::test;

namespace {

using Lines = std::vector<std::string>;
using Texts = std::vector<CString>;

MapBuilder OpenMapSpec()
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "levels\\open\\bitmap").MetaSize(64);
    map.AddTag("weap", "weapons\\rifle", "item", "obje").MetaSize(96);
    map.AddTag("snd!", "sound\\shot").MetaSize(48);
    map.AddTag("obje", "end");
    return map;
}

// A second map whose tag 1 refers to the others in every way the list shows.
MapBuilder SecondMapSpec()
{
    MapBuilder map = MapBuilder::Pc();
    map.AddTag("bitm", "levels\\a\\bitmap").MetaSize(32);
    map.AddTag("obje", "a\\object")
        .MetaSize(0xA0)
        .IdRef(0, 0)                                  // at the very start: no item
        .TagRef(0x10, "bitm", 0)                      // Dependency with the referenced tag's class
        .TagRef(0x30, "snd!", 0)                      // the class read is the metadata's, not the tag's
        .IdRef(0x50, 2)                               // the same tag twice: two equal items
        .IdRef(0x60, 2)
        .IdRef(0x70, 1)                               // its own identifier
        .Bytes(0x80, std::string(4, '\xFF')).IdRef(0x8C, 0); // the "Nulled Out" code is no known class
    map.AddTag("weap", "a\\Rifle", "item").MetaSize(0);
    map.AddTag("bitm", "a\\last");
    return map;
}

TEST_F(DirectInjectTest, FreshDialogThenOpenMapCancelledTriesNone)
{
    OpenMap(OpenMapSpec());
    bool checkClear = false, checkEnabled = true;
    size_t getFrom = 99, injectInto = 99, listed = 99;
    user.ExpectDialog("Direct Injection")
        .Inspect([&](CDialog& d) {
            auto* check = dynamic_cast<CButton*>(d.GetDlgItem(IDC_UPDATE_TAG_INFO));
            checkClear = check->GetCheck() == BST_UNCHECKED;
            checkEnabled = check->IsWindowEnabled();
        })
        .Click(IDC_OPEN_MAP)
        .Inspect([&](CDialog& d) {
            getFrom = TreeIn(d, IDC_GET_FROM_TREE).GetCount();
            injectInto = TreeIn(d, IDC_INJECT_INTO_TREE).GetCount();
            listed = ListIn(d).size();
        })
        .Escape();
    user.CancelFile();
    RunDialog();
    EXPECT_EQ(user.Problems(), "");

    const headless::ShownWindow& shown = user.Shown().at(0);
    EXPECT_EQ(shown.templateId, IDD_DIRECT_INJECT);
    EXPECT_EQ(shown.Text(IDC_INJECT_STATUS), "Load 2nd map.");
    EXPECT_EQ(shown.Text(IDC_OLD_TAG_SIZE), "0");
    EXPECT_EQ(shown.Text(IDC_NEW_TAG_SIZE), "0");
    EXPECT_TRUE(checkClear);
    EXPECT_FALSE(checkEnabled);
    EXPECT_EQ(shown.TextAtEnd(IDC_INJECT_STATUS), "Select tags to inject and overwrite.");
    EXPECT_EQ(getFrom, 0u);
    EXPECT_EQ(injectInto, 0u);
    EXPECT_EQ(listed, 0u);

    const FileDialogRequest& chooser = user.Shown().at(1).file;
    EXPECT_TRUE(chooser.open);
    EXPECT_EQ(chooser.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(chooser.fileName.IsEmpty());
    EXPECT_TRUE(chooser.filter.IsEmpty());
    EXPECT_FALSE(g_InputMapFile.IsOpen());
    EXPECT_EQ(FileLogLines(CloseAndReadLog()),
              (Lines {"MapFile 'open.map' opened successfully.", "Index load starts.",
                      "Input MapFile 'None' opened unsuccessfully."}));
}

// Open, Cancel (which opens the same map again) and Close: what the trees,
// the sizes, the list and the log show after each.
TEST_F(DirectInjectTest, OpenCancelAndCloseTheSecondMap)
{
    OpenMap(OpenMapSpec());
    SecondMapSpec().Write("a.map");
    Lines getFrom, injectInto, getFromAgain, injectIntoAgain;
    unsigned afterCloseGetFrom = 99, afterCloseInjectInto = 99;
    CString oldSize, newSize, statusAfterClose, oldAfterClose, newAfterClose;
    Texts list, listAfterClose;
    user.ExpectDialog("Direct Injection")
        .Click(IDC_OPEN_MAP)
        .Inspect([&](CDialog& d) {
            getFrom = TagItemsOf(TreeIn(d, IDC_GET_FROM_TREE));
            injectInto = TagItemsOf(TreeIn(d, IDC_INJECT_INTO_TREE));
        })
        .SelectTreeItem(IDC_INJECT_INTO_TREE, ItemOf(g_Tags, 1))
        .SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 1))
        .Read(IDC_OLD_TAG_SIZE, oldSize)
        .Read(IDC_NEW_TAG_SIZE, newSize)
        .Inspect([&](CDialog& d) { list = ListIn(d); })
        .Click(IDC_OPEN_MAP)
        .Inspect([&](CDialog& d) {
            getFromAgain = TagItemsOf(TreeIn(d, IDC_GET_FROM_TREE));
            injectIntoAgain = TagItemsOf(TreeIn(d, IDC_INJECT_INTO_TREE));
        })
        .Click(IDC_CLOSE_MAP)
        .Inspect([&](CDialog& d) {
            afterCloseGetFrom = TreeIn(d, IDC_GET_FROM_TREE).GetCount();
            afterCloseInjectInto = TreeIn(d, IDC_INJECT_INTO_TREE).GetCount();
            listAfterClose = ListIn(d);
        })
        .Read(IDC_INJECT_STATUS, statusAfterClose)
        .Read(IDC_OLD_TAG_SIZE, oldAfterClose)
        .Read(IDC_NEW_TAG_SIZE, newAfterClose)
        .Escape();
    user.AnswerFile("a.map");
    user.CancelFile();
    RunDialog();
    EXPECT_EQ(user.Problems(), "");

    // Each tree lists its map's tags (in class order, then index order).
    EXPECT_EQ(getFrom, (Lines {"levels\\a\\bitmap", "a\\last", "a\\object", "a\\Rifle"}));
    EXPECT_EQ(injectInto, (Lines {"levels\\open\\bitmap", "end", "sound\\shot", "weapons\\rifle"}));
    EXPECT_EQ(oldSize, "96");
    EXPECT_EQ(newSize, "160");
    EXPECT_EQ(list.size(), 6u);
    // Cancel re-opened the same map: the trees are loaded once again, not twice.
    EXPECT_EQ(getFromAgain, getFrom);
    EXPECT_EQ(injectIntoAgain, injectInto);
    // Close empties the trees; the list and the sizes keep the last selection.
    EXPECT_EQ(afterCloseGetFrom, 0u);
    EXPECT_EQ(afterCloseInjectInto, 0u);
    EXPECT_EQ(statusAfterClose, "Load 2nd map.");
    EXPECT_EQ(listAfterClose, list);
    EXPECT_EQ(oldAfterClose, "96");
    EXPECT_EQ(newAfterClose, "160");
    EXPECT_FALSE(g_InputMapFile.IsOpen());
    EXPECT_EQ(FileLogLines(CloseAndReadLog()),
              (Lines {"MapFile 'open.map' opened successfully.", "Index load starts.",
                      "Input MapFile 'a.map' opened successfully.", "Index load starts.", "Index load starts.",
                      "Input MapFile closed successfully.", "Input MapFile 'a.map' opened successfully.",
                      "Index load starts.", "Index load starts.", "Input MapFile closed successfully."}));
}

TEST_F(DirectInjectTest, ReopenedDialogStartsFreshWhileTheSecondMapStaysOpen)
{
    OpenMap(OpenMapSpec());
    SecondMapSpec().Write("a.map");
    SecondMapSpec().MapName("b").Write("b.map");
    user.ExpectDialog("Direct Injection")
        .Click(IDC_OPEN_MAP)
        .SelectTreeItem(IDC_INJECT_INTO_TREE, ItemOf(g_Tags, 0))
        .SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 1))
        .Escape();
    user.AnswerFile("a.map");
    RunDialog();
    EXPECT_TRUE(g_InputMapFile.IsOpen());
    const std::string firstLog = LogSoFar();

    size_t listed = 99;
    unsigned trees = 99;
    user.ExpectDialog("Direct Injection")
        .Inspect([&](CDialog& d) {
            listed = ListIn(d).size();
            trees = TreeIn(d, IDC_GET_FROM_TREE).GetCount() + TreeIn(d, IDC_INJECT_INTO_TREE).GetCount();
        })
        .Click(IDC_OPEN_MAP)
        .Escape();
    user.AnswerFile("b.map");
    RunDialog();
    EXPECT_EQ(user.Problems(), "");
    const headless::ShownWindow& second = user.Shown().at(2);
    EXPECT_EQ(second.Text(IDC_INJECT_STATUS), "Load 2nd map.");
    EXPECT_EQ(second.Text(IDC_OLD_TAG_SIZE), "0");
    EXPECT_EQ(second.Text(IDC_NEW_TAG_SIZE), "0");
    EXPECT_EQ(listed, 0u);
    EXPECT_EQ(trees, 0u);
    const std::string log = CloseAndReadLog();
    EXPECT_EQ(FileLogLines(log.substr(firstLog.size())),
              (Lines {"Input MapFile closed successfully.", "Input MapFile 'b.map' opened successfully.",
                      "Index load starts.", "Index load starts."}));
}

// Each selection shows the tag's size; an item of no tag shows 0 and lists nothing.
TEST_F(DirectInjectTest, SelectionsShowSizesAndItemsOfNoTagShowZero)
{
    OpenMap(OpenMapSpec());
    SecondMapSpec().Write("a.map");
    std::vector<std::pair<CString, CString>> sizes;
    std::vector<size_t> listed;
    auto read = [&](CDialog& d) {
        sizes.emplace_back(d.GetDlgItem(IDC_OLD_TAG_SIZE)->WindowText(), d.GetDlgItem(IDC_NEW_TAG_SIZE)->WindowText());
        listed.push_back(ListIn(d).size());
    };
    user.ExpectDialog("Direct Injection")
        .Click(IDC_OPEN_MAP)
        .SelectTreeItem(IDC_INJECT_INTO_TREE, ItemOf(g_Tags, 2))
        .SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 1))
        .Inspect(read)
        .SelectTreeItem(IDC_INJECT_INTO_TREE, {"Tag Class Set 1"})
        .SelectTreeItem(IDC_GET_FROM_TREE, {"Tag Class Set 1", "bitm -- Bitmap"})
        .Inspect(read)
        .SelectTreeItem(IDC_INJECT_INTO_TREE, {"Tag Class Set 1", "bitm -- Bitmap", "levels\\open\\bitmap"})
        .SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 2)) // metadata of size 0
        .Inspect(read)
        .Escape();
    user.AnswerFile("a.map");
    RunDialog();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(sizes, (std::vector<std::pair<CString, CString>> {{"48", "160"}, {"0", "0"}, {"64", "0"}}));
    EXPECT_EQ(listed, (std::vector<size_t> {6, 0, 0}));
}

// One item per identifier found, with the exact texts, dependencies first.
TEST_F(DirectInjectTest, ReferenceListNamesEveryIdentifierFound)
{
    OpenMap(OpenMapSpec());
    SecondMapSpec().Write("a.map");
    Texts list;
    user.ExpectDialog("Direct Injection")
        .Click(IDC_OPEN_MAP)
        .SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 1))
        .Inspect([&](CDialog& d) { list = ListIn(d); })
        .Escape();
    user.AnswerFile("a.map");
    RunDialog();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(list, (Texts {"Dependency -- bitm -- levels\\a\\bitmap", "Dependency -- snd! -- levels\\a\\bitmap",
                            "LoneID -- bitm -- levels\\a\\bitmap", "LoneID -- obje -- a\\object",
                            "LoneID -- weap -- a\\Rifle", "LoneID -- weap -- a\\Rifle"}));
}

// The identifier pass finds tag by tag, so this block's finds come out as
// zeta, Beta, alpha, ALPHA; the list orders them by text, case ignored,
// and keeps equal texts in the order found.
TEST_F(DirectInjectTest, ReferenceListIsOrderedByTextIgnoringCase)
{
    OpenMap(OpenMapSpec());
    MapBuilder second = MapBuilder::Pc();
    second.AddTag("obje", "zeta");
    second.AddTag("obje", "Beta");
    second.AddTag("obje", "alpha");
    second.AddTag("obje", "ALPHA");
    second.AddTag("weap", "source").MetaSize(0x40).IdRef(0x10, 3).IdRef(0x18, 2).IdRef(0x20, 1).IdRef(0x28, 0);
    second.AddTag("bitm", "end");
    second.Write("a.map");
    const Texts expected {"LoneID -- obje -- alpha", "LoneID -- obje -- ALPHA", "LoneID -- obje -- Beta",
                          "LoneID -- obje -- zeta"};
    Texts list;
    user.ExpectDialog("Direct Injection")
        .Click(IDC_OPEN_MAP)
        .SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 4))
        .Inspect([&](CDialog& d) {
            list = ListIn(d);
            EXPECT_EQ(SourceReferenceList(4).texts, expected);
        })
        .Escape();
    user.AnswerFile("a.map");
    RunDialog();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(list, expected);
}

// Sizes the buffer cannot hold are refused with a message and read
// nothing; metadata that runs past the end of the map lists what was read.
TEST_F(DirectInjectTest, ReferenceListOfSizesOutsideTheBufferAndOfShortReads)
{
    OpenMap(OpenMapSpec());
    const uint32_t magic = 0x40000000;
    MapBuilder second = MapBuilder::Pc();
    second.Magic(magic);
    second.AddTag("bitm", "negative").TagRef(0x10, "bitm", 2);
    second.AddTag("bitm", "spacer");
    second.AddTag("bitm", "huge").TagRef(0x10, "bitm", 0);
    second.AddTag("bitm", "spacer");
    second.AddTag("bitm", "short").TagRef(0x10, "bitm", 0);
    second.AddTag("bitm", "after");
    const MapLayout layout = second.Layout();
    second.Tag(1).MetaAddress(layout.metaAddresses[0] - 0x100);    // tag 0's size below 0
    second.Tag(3).MetaAddress(layout.metaAddresses[2] + 2000000);  // tag 2's size past the buffer
    second.Tag(5).MetaAddress(layout.metaAddresses[4] + 0x80000);  // tag 4 runs past the file's end
    second.Write("a.map");

    std::vector<std::pair<CString, Texts>> seen;
    auto read = [&](CDialog& d) { seen.emplace_back(d.GetDlgItem(IDC_NEW_TAG_SIZE)->WindowText(), ListIn(d)); };
    auto& steps = user.ExpectDialog("Direct Injection").Click(IDC_OPEN_MAP);
    user.AnswerFile("a.map");
    steps.SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 0)).Inspect(read);
    user.ExpectDialog("Message").Escape();
    steps.SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 2)).Inspect(read);
    user.ExpectDialog("Message").Escape();
    steps.SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 4)).Inspect(read).Escape();
    RunDialog();
    EXPECT_EQ(user.Problems(), "");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], (std::pair<CString, Texts> {"-256", {}}));
    EXPECT_EQ(seen[1], (std::pair<CString, Texts> {"2000000", {}}));
    EXPECT_EQ(seen[2], (std::pair<CString, Texts> {"524288", {"Dependency -- bitm -- negative"}}));
    std::vector<CString> shown;
    for (const auto& window : user.Shown())
        if (window.caption == "Message") shown.push_back(window.Text(IDC_MESSAGE));
    EXPECT_EQ(shown, (std::vector<CString> {
                         "The metadata size of this tag (-256 bytes) is outside 0 to 1000000 bytes. Its references "
                         "are not listed.",
                         "The metadata size of this tag (2000000 bytes) is outside 0 to 1000000 bytes. Its references "
                         "are not listed."}));
}

} // namespace
