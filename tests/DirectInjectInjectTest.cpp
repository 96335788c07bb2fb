// Direct inject through the dialog: the bytes of the whole open map after
// each inject, "Temp.data", the messages and the log lines in order.
#include "tests/DirectInjectFixture.h"

#include "map/MapFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace travik::test;

namespace {

using Lines = std::vector<std::string>;
using Texts = std::vector<CString>;

const char* const kDone = "Direct inject completed successfully.";

// The open map. Its tags share names with the second map's in another
// index order; "shared\sound" has an identifier with a 0x78 byte.
MapBuilder OpenSpec()
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "shared\\bitmap").MetaSize(64);                  // 0
    map.AddTag("snd!", "shared\\sound").MetaSize(64).Identifier(0xE1780005); // 1
    std::string old(0x200, '\0');
    for (size_t i = 0; i < old.size(); ++i) old[i] = static_cast<char>(0x80 + i % 0x70);
    map.AddTag("weap", "target").Meta(old);                             // 2
    map.AddTag("bitm", "twin").MetaSize(16);                            // 3
    map.AddTag("snd!", "twin").MetaSize(16);                            // 4
    map.AddTag("obje", "Nulled").MetaSize(16);                          // 5
    map.AddTag("obje", "small target").Meta(std::string(0x40, '\x55')); // 6
    map.AddTag("obje", "end");
    return map;
}

struct SecondMap {
    MapBuilder spec = MapBuilder::Pc();
    MapLayout layout;
    uint32_t pointer78At = 0;     // where the pointer whose address holds a 0x78 byte stands
    uint32_t pointer78Target = 0; // ... and the byte of the block it addresses
};

// Tag 2 refers to everything the inject re-points; the others are the
// sizes and shapes of the edge cases.
SecondMap SecondSpec()
{
    SecondMap second;
    MapBuilder& map = second.spec;
    map.AddTag("snd!", "shared\\sound");   // 0
    map.AddTag("bitm", "shared\\bitmap");  // 1
    map.AddTag("weap", "source")           // 2
        .MetaSize(0x100)
        .TagRef(0x10, "bitm", 1)
        .TagRef(0x20, "snd!", 0)
        .IdRef(0x30, 1)                    // the same tag again
        .TagRef(0x40, "snd!", 3)           // "twin": the open map's lower index wins, whatever the class
        .NullRef(0x50, "effe")             // stays FF FF FF FF although the open map has a tag "Nulled"
        .TagRef(0x60, "bitm", 4)           // no such name in the open map
        .Pointer(0x70, 0)                  // to the block's first byte
        .Reflexive(0x80, 3, 0x90)
        .Bytes(0xA0, std::string("\x78\x78\x00\x78", 4)); // not patched: kept exactly
    map.AddTag("bitm", "twin");            // 3
    map.AddTag("bitm", "only here");       // 4
    map.AddTag("obje", "no refs").Bytes(0x8, "abcdefgh").MetaSize(0x40); // 5
    map.AddTag("obje", "self start").Pointer(0, 0).Pointer(0x10, 0).MetaSize(0x20); // 6
    map.AddTag("obje", "fits").MetaSize(0x200).IdRef(0x100, 1); // 7: as large as "target"
    map.AddTag("obje", "one more").MetaSize(0x44);              // 8: 0x41 bytes, one more than "small target"
    map.AddTag("obje", "end");                                  // 9
    MapLayout layout = map.Layout();
    const uint32_t size = layout.metaAddresses[3] - layout.metaAddresses[2];
    map.Tag(2).Pointer(0x74, size); // to the byte just past the block
    // A pointer whose stored address holds a 0x78 byte.
    second.pointer78Target = (0x78 - (layout.metaOffsets[2] + layout.magic)) & 0xFF;
    second.pointer78At = 0xF8;
    map.Tag(2).Pointer(second.pointer78At, second.pointer78Target);
    map.Tag(9).MetaAddress(layout.metaAddresses[8] + 0x41);
    second.layout = map.Write("second.map");
    return second;
}

std::string Slice(const std::string& bytes, uint32_t at, uint32_t size) { return bytes.substr(at, size); }

void Put(std::string& bytes, uint32_t at, const std::string& value) { bytes.replace(at, value.size(), value); }

class DirectInjectInject : public DirectInjectTest {
protected:
    void SetUp() override
    {
        DirectInjectTest::SetUp();
        open = OpenMap(OpenSpec());
        second = SecondSpec();
        openBytes = ReadFileBytes(PathOf("open.map"));
        secondBytes = ReadFileBytes(PathOf("second.map"));
    }

    std::string MapNow() { return ReadFileBytes(PathOf("open.map")); }
    std::string TempData() { return ReadFileBytes(PathOf("Temp.data")); }
    uint32_t SourceSize(int tag) const { return static_cast<uint32_t>(second.layout.LoadedMetaSize(tag)); }
    // The source's bytes as the second map stores them, laid over the target.
    std::string WithSource(const std::string& map, int source, int target) const
    {
        std::string expected = map;
        Put(expected, open.metaOffsets[target], Slice(secondBytes, second.layout.metaOffsets[source], SourceSize(source)));
        return expected;
    }
    // A pointer into the target's metadata, as the open map stores addresses.
    std::string Rebased(int target, uint32_t offset) const
    {
        return Le32(offset + open.magic + open.metaOffsets[target]);
    }

    MapLayout open;
    SecondMap second;
    std::string openBytes, secondBytes;
};

// Every kind of reference of one source, re-pointed or kept byte for byte,
// and the target's bytes past the source's end kept.
TEST_F(DirectInjectInject, RepointsRebasesAndKeepsTheRest)
{
    EXPECT_EQ(InjectThroughDialog(2, 2, 1), (Texts {kDone}));
    EXPECT_EQ(user.Problems(), "");

    const uint32_t at = open.metaOffsets[2];
    const uint32_t size = SourceSize(2);
    std::string expected = WithSource(openBytes, 2, 2);
    Put(expected, at + 0x1C, Le32(open.identifiers[0]));   // bitmap, open tag 0
    Put(expected, at + 0x2C, std::string("\x05\x00\x78\xE1", 4)); // sound, its 0x78 byte exact
    Put(expected, at + 0x30, Le32(open.identifiers[0]));
    Put(expected, at + 0x4C, Le32(open.identifiers[3]));   // "twin": tag 3 of class bitm, not tag 4
    Put(expected, at + 0x70, Rebased(2, 0));
    Put(expected, at + 0x74, Rebased(2, size));
    Put(expected, at + 0x84, Rebased(2, 0x90));
    Put(expected, at + second.pointer78At, Rebased(2, second.pointer78Target));
    EXPECT_EQ(MapNow(), expected);
    // Untouched by the inject: the null reference, the unknown name, the 0x78 bytes.
    EXPECT_EQ(Slice(expected, at + 0x5C, 4), std::string(4, '\xFF'));
    EXPECT_EQ(Slice(expected, at + 0x6C, 4), Le32(second.layout.identifiers[4]));
    EXPECT_EQ(Slice(expected, at + 0xA0, 4), std::string("\x78\x78\x00\x78", 4));
    EXPECT_EQ(Slice(expected, at + size, 0x200 - size), Slice(openBytes, at + size, 0x200 - size));

    // The records in the order of the passes: identifiers by source tag,
    // null references, then pointers by the address they hold.
    std::vector<std::pair<uint32_t, uint32_t>> pointers {
        {0, 0x70}, {0x90, 0x84}, {second.pointer78Target, second.pointer78At}, {size, 0x74}};
    std::stable_sort(pointers.begin(), pointers.end());
    std::string records = "Dependency|44|shared\\sound|snd!|\r\n"
                          "Dependency|28|shared\\bitmap|bitm|\r\nLoneID|48|shared\\bitmap|bitm|\r\n"
                          "Dependency|76|twin|snd!|\r\nDependency|108|only here|bitm|\r\n"
                          "Dependency|92|Nulled|" + std::string(4, '\xFF') + "|\r\n";
    for (auto [target, position] : pointers)
        records += "Reflexive|" + std::to_string(position) + "|" + std::to_string(target) + "|\r\n";
    EXPECT_EQ(TempData(), records);
    EXPECT_EQ(FileLogLines(CloseAndReadLog()),
              (Lines {"MapFile 'open.map' opened successfully.", "Index load starts.",
                      "Input MapFile 'second.map' opened successfully.", "Index load starts.", "Index load starts.",
                      "DataFile 'Temp.data' opened successfully.", "DataFile closed successfully.",
                      "DataFile 'Temp.data' opened successfully.", "DataFile closed successfully."}));
}

} // namespace
