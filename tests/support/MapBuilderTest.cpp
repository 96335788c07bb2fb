// The map builder's output, checked byte by byte against the layout it
// promises (independently of the editor's own readers).
#include "tests/support/MapBuilder.h"

#include <gtest/gtest.h>

#include <string>

namespace {
using namespace travik::test;

uint32_t U32At(const std::string& f, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(f.at(at + static_cast<size_t>(i)));
    return v;
}

uint16_t U16At(const std::string& f, size_t at)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(f.at(at)) | (static_cast<unsigned char>(f.at(at + 1)) << 8));
}

TEST(MapBuilderTest, HeaderFieldsStandAtTheirOffsets)
{
    struct Case {
        MapBuilder map;
        uint16_t version;
        uint32_t indexMagic;
    };
    Case cases[] = {{MapBuilder::Xbox(), 5, 0x803A6000u}, {MapBuilder::Pc(), 7, 0x40440000u}};
    for (Case& c : cases) {
        c.map.MapName("bloodgulch").BuildDate("01.10.12.2276").MapType(2);
        c.map.AddTag("bitm", "a");
        MapLayout layout;
        std::string f = c.map.Build(&layout);
        EXPECT_EQ(f.substr(0, 4), "daeh");
        EXPECT_EQ(U32At(f, 0x04), c.version);
        EXPECT_EQ(U32At(f, 0x08), f.size());
        EXPECT_EQ(U32At(f, 0x10), 0x800u);
        EXPECT_EQ(f.substr(0x20, 32), std::string("bloodgulch") + std::string(22, '\0'));
        EXPECT_EQ(f.substr(0x40, 32), std::string("01.10.12.2276") + std::string(19, '\0'));
        EXPECT_EQ(U32At(f, 0x60), 2u);
        EXPECT_EQ(f.substr(0x7FC, 4), "toof");
        EXPECT_EQ(U32At(f, 0x800), c.indexMagic);
        EXPECT_EQ(layout.magic, c.indexMagic - 0x824u);
        EXPECT_EQ(layout.fileSize, f.size());
    }
}

TEST(MapBuilderTest, WorkedMagicExampleAndIndexEntries)
{
    MapBuilder map = MapBuilder::Pc();
    map.IndexOffset(0x1E0).IndexMagic(0x804);
    map.AddTag("bitm", "first", "obje", "unit").Identifier(0xE1740000).MetaSize(12);
    map.AddTag("fog ", "second").Identifier(0x12345601).MetaSize(4);
    map.AddTag("", "third").MetaSize(8);
    MapLayout layout;
    std::string f = map.Build(&layout);
    EXPECT_EQ(layout.magic, 0x600u);
    EXPECT_EQ(U32At(f, 0x10), 0x1E0u);
    EXPECT_EQ(U32At(f, 0x1E0), 0x804u);
    EXPECT_EQ(U16At(f, 0x1E0 + 0x0C), 3);
    EXPECT_EQ(U16At(f, 0x1E0 + 0x0E), 0);
    ASSERT_EQ(layout.entryOffsets.size(), 3u);
    EXPECT_EQ(layout.entryOffsets[2], 0x244u);

    const size_t e0 = 0x204, e1 = 0x224, e2 = 0x244;
    EXPECT_EQ(f.substr(e0, 12), std::string("mtibejbotinu"));
    EXPECT_EQ(f.substr(e1, 4), " gof");
    EXPECT_EQ(f.substr(e1 + 4, 8), std::string(8, '\0'));
    EXPECT_EQ(f.substr(e2, 4), std::string(4, '\0'));
    EXPECT_EQ(U32At(f, e0 + 0x0C), 0xE1740000u);
    EXPECT_EQ(U32At(f, e1 + 0x0C), 0x12345601u);
    for (size_t i = 0; i < 3; ++i) {
        const size_t e = layout.entryOffsets[i];
        EXPECT_EQ(U32At(f, e + 0x10), layout.nameOffsets[i] + 0x600u);
        EXPECT_EQ(U32At(f, e + 0x14), layout.metaOffsets[i] + 0x600u);
    }
    EXPECT_EQ(f.substr(layout.nameOffsets[0], 6), std::string("first\0", 6));
    EXPECT_EQ(f.substr(layout.nameOffsets[2], 6), std::string("third\0", 6));
    // Blocks follow the header and each other in index order.
    EXPECT_GE(layout.metaOffsets[0], 0x800u);
    EXPECT_EQ(layout.metaOffsets[1], layout.metaOffsets[0] + 12);
    EXPECT_EQ(layout.LoadedMetaSize(0), 12);
    EXPECT_EQ(layout.LoadedMetaSize(2), 0);
}

TEST(MapBuilderTest, ReferencesInsideMetadata)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "target").Identifier(0xE1740005);
    TagSpec& tag = map.AddTag("obje", "holder")
                       .MetaSize(0x60)
                       .TagRef(0x10, "bitm", 0)
                       .NullRef(0x30, "snd!")
                       .Reflexive(0x48, 3, 0x50)
                       .IdRef(0x58, 0)
                       .TagRefId(0x20, "unit", 0xAABBCCDD);
    (void)tag;
    MapLayout layout;
    std::string f = map.Build(&layout);
    const size_t b = layout.metaOffsets[1];
    EXPECT_EQ(f.substr(b + 0x10, 4), "mtib");
    EXPECT_EQ(U32At(f, b + 0x1C), 0xE1740005u);
    EXPECT_EQ(f.substr(b + 0x20, 4), "tinu");
    EXPECT_EQ(U32At(f, b + 0x2C), 0xAABBCCDDu);
    EXPECT_EQ(f.substr(b + 0x30, 4), "!dns");
    EXPECT_EQ(U32At(f, b + 0x3C), 0xFFFFFFFFu);
    EXPECT_EQ(U32At(f, b + 0x48), 3u);
    EXPECT_EQ(U32At(f, b + 0x4C), b + 0x50 + layout.magic);
    EXPECT_EQ(U32At(f, b + 0x58), 0xE1740005u);
}

TEST(MapBuilderTest, LaidOutNumbersMeet78Bytes)
{
    MapBuilder map = MapBuilder::Xbox();
    for (int i = 0; i < 600; ++i) map.AddTag("bitm", "tag" + std::to_string(i)).MetaSize(static_cast<uint32_t>(i % 7 * 4));
    map.Tag(3).MetaAddressLowByte(0x78).NameAddressLowByte(0x78);
    MapLayout layout;
    std::string f = map.Build(&layout);
    // Numbers fall as the arithmetic gives them: some hold a 0x78 byte.
    EXPECT_EQ(layout.identifiers[120], 0xE1740078u);
    int with78 = 0;
    for (size_t i = 0; i < layout.identifiers.size(); ++i)
        with78 += HasByte78(layout.metaAddresses[i]) + HasByte78(layout.nameAddresses[i]);
    EXPECT_GT(with78, 4);
    // Asked for: the address ends in 0x78, the bytes sit where the entry says.
    EXPECT_EQ(layout.metaAddresses[3] & 0xFF, 0x78u);
    EXPECT_EQ(layout.nameAddresses[3] & 0xFF, 0x78u);
    EXPECT_EQ(layout.metaOffsets[3] + layout.magic, layout.metaAddresses[3]);
    EXPECT_EQ(U32At(f, layout.entryOffsets[3] + 0x14), layout.metaAddresses[3]);
    EXPECT_EQ(f.substr(layout.nameOffsets[3], 5), std::string("tag3\0", 5));
    EXPECT_GE(layout.metaOffsets[3], layout.metaOffsets[2] + layout.metaLengths[2]);
    EXPECT_GE(layout.metaOffsets[4], layout.metaOffsets[3] + layout.metaLengths[3]);
}

TEST(MapBuilderTest, BrokenMaps)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a").MetaSize(8);
    map.AddTag("bitm", "tail").UnterminatedName().MetaAddress(0x10);
    map.StoredTagCount(65535).Patch(0x0E, "\x12\x34").TruncateAt(0x830);
    MapLayout layout;
    std::string f = map.Build(&layout);
    EXPECT_EQ(f.size(), 0x830u);
    EXPECT_EQ(layout.fileSize, 0x830u);
    EXPECT_EQ(U16At(f, 0x80C), 65535);
    EXPECT_EQ(f.substr(0x0E, 2), "\x12\x34");
    EXPECT_EQ(U32At(f, 0x08), layout.nameOffsets[1] + 4); // EoF as laid out, before the cut

    std::string whole = MapBuilder(map).TruncateAt(1u << 20).Build(&layout);
    EXPECT_EQ(whole.substr(whole.size() - 4), "tail"); // no terminator: the file ends with the name
    EXPECT_EQ(U32At(whole, layout.entryOffsets[1] + 0x14), 0x10u);
    EXPECT_EQ(layout.LoadedMetaSize(0), static_cast<int32_t>(0x10u - layout.metaAddresses[0]));
}
} // namespace
