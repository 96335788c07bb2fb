#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "map/TagIndex.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using namespace travik::test;

std::vector<std::string> ChildTexts(const CTreeCtrl& tree, HTREEITEM parent)
{
    std::vector<std::string> texts;
    for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item))
        texts.push_back(tree.GetItemText(item).Bytes());
    return texts;
}

std::vector<std::string> Tail(const std::vector<std::string>& texts, size_t from)
{
    return from < texts.size() ? std::vector<std::string>(texts.begin() + static_cast<long>(from), texts.end())
                               : std::vector<std::string>();
}

using Texts = std::vector<std::string>;

class TagTreesTest : public WorkDirTest {
protected:
    static int Row(const char* code)
    {
        for (int row = 0; row < kFilledClassRows; ++row)
            if (g_TagClasses[row][0] == code) return row;
        return -1;
    }
    // The tag texts under the node of a class in a set.
    Texts Under(const CTreeCtrl& tree, int set, const char* code) const
    {
        return ChildTexts(tree, g_hClassItems[Row(code)][set]);
    }
    // The tags standing directly under a set's root, after its 80 class nodes.
    Texts UnderRoot(const CTreeCtrl& tree, int set) const { return Tail(ChildTexts(tree, g_hTagClassSet[set]), 80); }
};

TEST_F(TagTreesTest, ThreeSetsOfEightyClassNodes)
{
    CTreeCtrl tree;
    OpenBuiltMap(MapBuilder::Xbox());
    LoadOpenMap(&tree);
    EXPECT_EQ(ChildTexts(tree, TVI_ROOT), (Texts{"Tag Class Set 1", "Tag Class Set 2", "Tag Class Set 3"}));
    EXPECT_EQ(g_hTagClassSet[0], nullptr);
    for (int set = 1; set <= 3; ++set) {
        const Texts nodes = ChildTexts(tree, g_hTagClassSet[set]);
        ASSERT_EQ(nodes.size(), 80u);
        EXPECT_EQ(nodes[0], "actr -- Actor");
        EXPECT_EQ(nodes[5], "bitm -- Bitmap");
        EXPECT_EQ(nodes[19], "fog  -- Fog");
        EXPECT_EQ(nodes[79], std::string(4, '\xFF') + " -- Nulled Out");
        for (int row = 0; row < 80; ++row) {
            EXPECT_EQ(tree.GetParentItem(g_hClassItems[row][set]), g_hTagClassSet[set]);
            EXPECT_FALSE(tree.ItemHasChildren(g_hClassItems[row][set]));
        }
    }
}

TEST_F(TagTreesTest, TagsStandUnderTheirClassInIndexOrder)
{
    MapBuilder map = MapBuilder::Pc();
    map.AddTag("bitm", "bitmap one", "obje", "");
    map.AddTag("weap", "rifle", "item", "obje");
    map.AddTag("bitm", "bitmap two", std::string(4, '\xFF'), std::string(4, '\xFF'));
    map.AddTag("Bitm", "wrong case", "fog", "fog ");
    map.AddTag("zzzz", "unknown code", "dela", "DeLa");
    map.AddTag("", "no class");
    CTreeCtrl tree;
    OpenBuiltMap(map);
    LoadOpenMap(&tree);

    EXPECT_EQ(Under(tree, 1, "bitm"), (Texts{"bitmap one", "bitmap two"}));
    EXPECT_EQ(Under(tree, 1, "weap"), (Texts{"rifle"}));
    EXPECT_EQ(UnderRoot(tree, 1), (Texts{"wrong case", "unknown code", "no class"}));

    EXPECT_EQ(Under(tree, 2, "obje"), (Texts{"bitmap one"}));
    EXPECT_EQ(Under(tree, 2, "item"), (Texts{"rifle"}));
    EXPECT_EQ(Under(tree, 2, std::string(4, '\xFF').c_str()), (Texts{"bitmap two"}));
    EXPECT_EQ(UnderRoot(tree, 2), (Texts{"wrong case", "unknown code", "no class"}));

    EXPECT_EQ(Under(tree, 3, "obje"), (Texts{"rifle"}));
    EXPECT_EQ(Under(tree, 3, std::string(4, '\xFF').c_str()), (Texts{"bitmap two"}));
    EXPECT_EQ(Under(tree, 3, "fog "), (Texts{"wrong case"}));
    EXPECT_EQ(Under(tree, 3, "DeLa"), (Texts{"unknown code"}));
    EXPECT_EQ(UnderRoot(tree, 3), (Texts{"bitmap one", "no class"}));

    // Every tag has its three items, each standing in its own set.
    for (int i = 0; i < 6; ++i) {
        const TagEntry& tag = g_Tags[i];
        EXPECT_EQ(tree.GetItemText(tag.m_hItem1), tag.m_strName);
        HTREEITEM items[3] = {tag.m_hItem1, tag.m_hItem2, tag.m_hItem3};
        for (int set = 1; set <= 3; ++set) {
            HTREEITEM up = items[set - 1];
            while (tree.GetParentItem(up)) up = tree.GetParentItem(up);
            EXPECT_EQ(up, g_hTagClassSet[set]) << i << " " << set;
        }
    }
}

TEST_F(TagTreesTest, DirectInjectionTreesHaveSetOneAndLeaveTheMainTreeItems)
{
    MapBuilder open = MapBuilder::Xbox();
    open.AddTag("bitm", "open bitmap");
    open.AddTag("obje", "open object", "unit");
    MapBuilder second = MapBuilder::Pc();
    second.AddTag("snd!", "second sound");
    second.AddTag("", "second plain");
    second.AddTag("bitm", "second bitmap");

    CTreeCtrl mainTree, getFrom, injectInto;
    OpenBuiltMap(open);
    LoadOpenMap(&mainTree);
    const HTREEITEM item1 = g_Tags[1].m_hItem1, item3 = g_Tags[1].m_hItem3;
    const HTREEITEM mainSet2 = g_hTagClassSet[2], mainSet3 = g_hTagClassSet[3];

    OpenBuiltInputMap(second);
    LoadInputMap(&getFrom);
    LoadTagIndexForInjection(&injectInto);

    EXPECT_EQ(ChildTexts(getFrom, TVI_ROOT), (Texts{"Tag Class Set 1"}));
    EXPECT_EQ(ChildTexts(injectInto, TVI_ROOT), (Texts{"Tag Class Set 1"}));
    EXPECT_EQ(getFrom.GetCount(), 1u + 80u + 3u);
    EXPECT_EQ(injectInto.GetCount(), 1u + 80u + 2u);
    EXPECT_EQ(g_InputIndexHeader.m_nTagCount, 3);
    EXPECT_EQ(g_InputTags[0].m_strName, "second sound");
    EXPECT_EQ(getFrom.GetItemText(g_InputTags[1].m_hItem2), "second plain");
    EXPECT_EQ(getFrom.GetParentItem(g_InputTags[1].m_hItem2), getFrom.GetRootItem());
    EXPECT_EQ(g_InputTags[0].m_hItem1, nullptr);

    // The open map's tags keep their main-tree items; m_hItem2 now names the
    // Inject Into item, and the set roots 2 and 3 still name the main tree's.
    EXPECT_EQ(g_Tags[1].m_hItem1, item1);
    EXPECT_EQ(g_Tags[1].m_hItem3, item3);
    EXPECT_EQ(injectInto.GetItemText(g_Tags[1].m_hItem2), "open object");
    EXPECT_TRUE(injectInto.IsItem(g_hTagClassSet[1]));
    EXPECT_EQ(g_hTagClassSet[2], mainSet2);
    EXPECT_EQ(g_hTagClassSet[3], mainSet3);
    EXPECT_EQ(mainTree.GetItemText(g_Tags[1].m_hItem1), "open object");
}

TEST_F(TagTreesTest, OpeningWritesTheTreeColour)
{
    CTreeCtrl tree;
    tree.SetBkColor(RGB(0, 0, 0));
    OpenBuiltMap(MapBuilder::Xbox().MapName("c20"));
    LoadOpenMap(&tree);
    EXPECT_EQ(tree.GetBkColor(), 0x707E89u);
    CloseMapFile(); // the class table outlives the map
    EXPECT_EQ(g_TagClasses[5][0], "bitm");
}
} // namespace
