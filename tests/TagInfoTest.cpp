// The Tag Controls dialog as a user meets it from the main window.
#include "res/ResourceIds.h"
#include "tagcontrols/TagInfo.h"
#include "tests/AppShellFixture.h"
#include "tests/support/MapBuilder.h"

#include <gtest/gtest.h>

using namespace travik::test;

namespace {

class TagInfoTest : public ShellTest {
protected:
    MapLayout WriteMap()
    {
        MapBuilder map = MapBuilder::Xbox();
        map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
        map.AddTag("weap", "weapons\\rifle", "item", "obje").MetaSize(96).TagRef(0x10, "bitm", 0);
        return map.Write(PathOf("test.map"));
    }

    // The main window opens "test.map" and selects tag `name` of the first set;
    // the Tag Controls steps follow.
    headless::DialogSteps& OpenTag(const CString& classNode, const CString& name)
    {
        user.ExpectDialog("Project Travik")
            .Menu(ID_FILE_OPEN_MAPFILE)
            .SelectTreeItem(IDC_TAG_TREE, {"Tag Class Set 1", classNode, name})
            .Escape();
        user.AnswerFile("test.map");
        return user.ExpectDialog("Tag Controls");
    }
};

TEST_F(TagInfoTest, SelectingATagShowsItsEntry)
{
    const MapLayout layout = WriteMap();
    OpenTag("weap -- Weapon", "weapons\\rifle").Escape();
    RunProgram();
    ASSERT_EQ(user.Problems(), "");
    const headless::ShownWindow& shown = user.Shown().at(2);
    EXPECT_EQ(shown.templateId, IDD_TAG_INFO);
    EXPECT_EQ(shown.Text(IDC_TAG_NAME), "weapons\\rifle");
    EXPECT_EQ(shown.Text(IDC_TYPE1), "weap");
    EXPECT_EQ(shown.Text(IDC_TYPE2), "item");
    EXPECT_EQ(shown.Text(IDC_TYPE3), "obje");
    EXPECT_EQ(shown.Text(IDC_META_SIZE), std::to_string(layout.LoadedMetaSize(1)).c_str());
    EXPECT_EQ(shown.Text(IDC_FLOAT_PRECISION), "0.01");
    EXPECT_EQ(shown.Text(IDC_FIND_DEPENDENCIES), "Dependencies");
}

} // namespace
