// Direct inject from and into tags whose addresses and identifiers hold
// 0x78 bytes, in both maps: the trees name them exactly and the open map
// changes in the target's own bytes only.
#include "tests/support/DirectInjectFixture.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"

#include <gtest/gtest.h>

using namespace travik::test;

namespace {

struct Shape {
    uint32_t openMagic;   // 0: the builder's
    uint32_t secondMagic;
    const char* name;
};

// The open map's "target" and the second map's "source" stand on
// addresses ending in 0x78; the magics of the second shape put 0x78 into
// more bytes of every address. Fillers are non-zero so that a write at a
// wrong place shows in the whole-file comparison.
MapBuilder OpenMap78(const Shape& shape)
{
    MapBuilder map = MapBuilder::Xbox();
    if (shape.openMagic) map.Magic(shape.openMagic);
    map.AddTag("bitm", "shared\\bitmap").Identifier(0xE1740078u).Meta(std::string(0x40, '\x33'));
    map.AddTag("weap", "target").Meta(std::string(0x100, '\x5A')).MetaAddressLowByte(0x78).NameAddressLowByte(0x78);
    map.AddTag("obje", "end").Meta(std::string(8, '\x66'));
    return map;
}

MapBuilder SecondMap78(const Shape& shape)
{
    MapBuilder map = MapBuilder::Pc();
    if (shape.secondMagic) map.Magic(shape.secondMagic);
    map.AddTag("bitm", "shared\\bitmap").Identifier(0xE0780001u).Meta(std::string(0x20, '\x22'));
    map.AddTag("weap", "source")
        .Identifier(0xE0780078u)
        .Meta(std::string(0xC0, '\x11'))
        .TagRef(0x10, "bitm", 0)
        .Pointer(0x30, 0x40)
        .Reflexive(0x50, 1, 0x78)
        .MetaAddressLowByte(0x78)
        .NameAddressLowByte(0x78);
    map.AddTag("obje", "end").Meta(std::string(8, '\x77'));
    return map;
}

class DirectInject78 : public DirectInjectTest, public ::testing::WithParamInterface<Shape> {};

TEST_P(DirectInject78, FromAndIntoTagsOnAddressesWith78)
{
    const MapLayout open = OpenMap(OpenMap78(GetParam()));
    const MapLayout second = SecondMap78(GetParam()).Write("second.map");
    ASSERT_EQ(open.metaAddresses[1] & 0xFF, 0x78u);
    ASSERT_EQ(second.metaAddresses[1] & 0xFF, 0x78u);
    const std::string before = ReadFileBytes(PathOf("open.map"));
    const std::string secondBytes = ReadFileBytes(PathOf("second.map"));

    std::vector<std::string> into, from;
    auto& steps = user.ExpectDialog("Direct Injection").Click(IDC_OPEN_MAP);
    user.AnswerFile("second.map");
    steps.Inspect([&](CDialog& d) {
             into = TagItemsOf(TreeIn(d, IDC_INJECT_INTO_TREE));
             from = TagItemsOf(TreeIn(d, IDC_GET_FROM_TREE));
         })
        .SelectTreeItem(IDC_INJECT_INTO_TREE, ItemOf(g_Tags, 1))
        .SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 1))
        .Click(IDC_INJECT)
        .Escape();
    CString told;
    user.ExpectDialog("Message").Read(IDC_MESSAGE, told).Escape();
    RunDialog();
    ASSERT_EQ(user.Problems(), "");
    EXPECT_EQ(told, "Direct inject completed successfully.");
    // By class: bitm, obje, weap.
    EXPECT_EQ(into, (std::vector<std::string> {"shared\\bitmap", "end", "target"}));
    EXPECT_EQ(from, (std::vector<std::string> {"shared\\bitmap", "end", "source"}));
    EXPECT_EQ(g_InputTags[1].m_strIdentifier, "e0780078");
    EXPECT_EQ(g_InputTags[1].m_strMetaOffset, IntToHex(static_cast<int32_t>(second.metaOffsets[1])));
    CloseMapFile();
    CloseInputMapFile();

    // The source's exact bytes over the target's first ones, re-pointed to
    // the open map's identifier and rebased to the target's exact address.
    const uint32_t size = second.metaAddresses[2] - second.metaAddresses[1];
    const uint32_t at = open.metaOffsets[1];
    std::string expected = before;
    expected.replace(at, size, secondBytes.substr(second.metaOffsets[1], size));
    expected.replace(at + 0x1C, 4, Le32(0xE1740078u));
    expected.replace(at + 0x30, 4, Le32(open.magic + at + 0x40));
    expected.replace(at + 0x54, 4, Le32(open.magic + at + 0x78));
    const std::string after = ReadFileBytes(PathOf("open.map"));
    EXPECT_TRUE(after == expected) << "first difference at "
                                   << std::mismatch(after.begin(), after.end(), expected.begin()).first -
                                          after.begin();
    EXPECT_EQ(after.substr(at + size, 0x100 - size), std::string(0x100 - size, '\x5A'));
}

INSTANTIATE_TEST_SUITE_P(Shapes, DirectInject78,
                         ::testing::Values(Shape {0, 0, "addresses_end_in_78"},
                                           Shape {0x80780000u, 0x40787800u, "magics_hold_78"}),
                         [](const ::testing::TestParamInfo<Shape>& info) { return std::string(info.param.name); });

} // namespace
