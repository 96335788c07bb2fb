// Save Metadata and Inject Metadata as a user meets them in the Tag Controls
// dialog: the chooser, the message box and the files they leave.
#include "res/ResourceIds.h"
#include "tests/support/AppShellFixture.h"
#include "tests/support/MapBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace travik::test;

namespace {

class TagInfoMetadataTest : public ShellTest {
protected:
    MapLayout WriteMap()
    {
        MapBuilder map = MapBuilder::Xbox();
        map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
        map.AddTag("weap", "weapons\\rifle", "item", "obje").MetaSize(96).TagRef(0x10, "bitm", 0).Pointer(0x30, 8);
        map.AddTag("bitm", "end").MetaSize(4);
        return map.Write(PathOf("test.map"));
    }

    headless::DialogSteps& OpenRifle()
    {
        user.ExpectDialog("Project Travik")
            .Menu(ID_FILE_OPEN_MAPFILE)
            .SelectTreeItem(IDC_TAG_TREE, {"Tag Class Set 1", "weap -- Weapon", "weapons\\rifle"})
            .Escape();
        user.AnswerFile("test.map");
        return user.ExpectDialog("Tag Controls");
    }
};

TEST_F(TagInfoMetadataTest, SaveThenInjectUncorrectedOverTheSameTagChangesNothing)
{
    WriteMap();
    const std::string before = ReadFileBytes(PathOf("test.map"));
    CString saved, injected;
    // Edited fields and scanner boxes play no part in the save.
    OpenRifle()
        .Type(IDC_TAG_NAME, "edited")
        .Click(IDC_FIND_DEPENDENCIES)
        .Click(IDC_SAVE_METADATA)
        .Click(IDC_CORRECT_METADATA)
        .Click(IDC_INJECT_METADATA)
        .Escape();
    user.AnswerFile(PathOf("rifle.meta").c_str());
    user.ExpectDialog("Message").Read(IDC_MESSAGE, saved).Enter();
    user.AnswerFile(PathOf("rifle.meta").c_str());
    user.ExpectDialog("Message").Read(IDC_MESSAGE, injected).Enter();
    RunProgram();
    ASSERT_EQ(user.Problems(), "");
    EXPECT_EQ(saved, "Metadata saved successfully.");
    EXPECT_EQ(injected, "Inject successfuly completed.");
    EXPECT_EQ(g_strMetaFileName, "rifle.meta");
    EXPECT_EQ(ReadFileBytes(PathOf("test.map")), before);
    const std::string data = ReadFileBytes(PathOf("rifle.meta.data"));
    EXPECT_NE(data.find("\r\nweapons\\rifle\r\nweap\r\nitem\r\nobje\r\n96\r\nDependency|28|levels\\test\\bitmap|bitm|\r\n"
                        "Reflexive|48|8|\r\n"),
              std::string::npos)
        << data;

    // The choosers: a save chooser, then an open chooser, with no extension,
    // name or filter, asking before a file is replaced.
    std::vector<FileDialogRequest> requests;
    for (const headless::ShownWindow& shown : user.Shown())
        if (shown.kind == headless::ShownWindow::FileChooser) requests.push_back(shown.file);
    ASSERT_EQ(requests.size(), 3u);  // the map, then the two metadata choosers
    EXPECT_FALSE(requests[1].open);
    EXPECT_TRUE(requests[2].open);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(requests[i].flags, DWORD(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
        EXPECT_TRUE(requests[i].defaultExtension.IsEmpty() && requests[i].fileName.IsEmpty() &&
                    requests[i].filter.IsEmpty());
    }
}

TEST_F(TagInfoMetadataTest, CancelInEitherChooserWritesNothingAndSaysNothing)
{
    WriteMap();
    OpenRifle().Click(IDC_SAVE_METADATA).Click(IDC_INJECT_METADATA).Escape();
    user.CancelFile();
    user.CancelFile();
    RunProgram();
    ASSERT_EQ(user.Problems(), "");
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Dir())) files += entry.path().filename() != "Log.txt";
    EXPECT_EQ(files, 1u);  // the map alone
    EXPECT_EQ(g_strMetaFileName, "None");
    const std::string log = ReadLog();
    EXPECT_EQ(log.find("DataFile"), std::string::npos);
}

TEST_F(TagInfoMetadataTest, InjectGoesByTheBoxTheUserSeesWhenAnEarlierFieldIsRefused)
{
    WriteMap();
    CString saved, injected;
    // The refused class field stops the exchange before the check box; the
    // box was cleared, so the inject is uncorrected.
    OpenRifle()
        .Click(IDC_SAVE_METADATA)
        .Type(IDC_TYPE1, "toolong")
        .Click(IDC_CORRECT_METADATA)
        .Click(IDC_INJECT_METADATA)
        .Escape();
    user.AnswerFile(PathOf("rifle.meta").c_str());
    user.ExpectDialog("Message").Read(IDC_MESSAGE, saved).Enter();
    user.AnswerMessageBox();
    user.AnswerFile(PathOf("rifle.meta").c_str());
    user.ExpectDialog("Message").Read(IDC_MESSAGE, injected).Enter();
    RunProgram();
    ASSERT_EQ(user.Problems(), "");
    EXPECT_EQ(saved, "Metadata saved successfully.");
    EXPECT_EQ(user.MessageBoxTexts(), std::vector<CString>{"Please enter no more than 4 characters."});
    EXPECT_EQ(injected, "Inject successfuly completed.");
}

} // namespace
