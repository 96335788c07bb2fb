// Save Metadata then corrected Inject Metadata on random maps: over the same
// tag of the same map nothing changes; into a map whose tags are renumbered
// every reference names the same tag and every self-pointer is rebased.
// Blocks are rich in 0x00, 0x78 and 0xFF bytes, identifiers and pointers
// hold 0x78 bytes, and references stand near both ends of the block.
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "tagcontrols/MetadataFiles.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace travik::test;

struct Placement {
    enum Kind { Identifier, Dependency, Null, Pointer } kind;
    uint32_t at;
    int tag = 0;          // Identifier, Dependency: the tag referenced
    uint32_t target = 0;  // Pointer: offset inside the block
};

// A random map of a few tags; tag `source` holds references to the others.
struct RandomMaps {
    std::vector<std::string> names;
    std::vector<uint32_t> firstIds;
    std::vector<Placement> placements;
    int source = 0;
    MapBuilder first = MapBuilder::Xbox();

    explicit RandomMaps(std::mt19937& rng)
    {
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        const int count = 3 + pick(5);
        const char* classes[] = {"bitm", "snd!", "weap", "sky ", "effe"};
        first.Magic(RandomMagic(0x80000000u, rng));
        source = pick(count);
        for (int k = 0; k < count; ++k) {
            names.push_back("tag " + std::to_string(k) + (k % 2 ? "\\x" : ""));
            firstIds.push_back(Id(0xE0, k, rng));
        }
        uint32_t length = 0;
        for (int k = 0; k < count; ++k) {
            TagSpec& tag = first.AddTag(classes[pick(5)], names[k]).Identifier(firstIds[k]);
            With78Addresses(tag, rng);
            const uint32_t size = 24 + static_cast<uint32_t>(pick(k == source ? 300 : 16));
            tag.Meta(Filler(size, rng));
            if (k == source) length = size;
        }
        first.AddTag("bitm", "end").MetaSize(4);
        const MapLayout layout = first.Layout();
        Place(first.Tag(source), length, count, layout.AddressOf(layout.metaOffsets[static_cast<size_t>(source)]), rng);
    }

    // A magic that now and then puts a 0x78 byte into every address, into
    // some, or into the index magic.
    static uint32_t RandomMagic(uint32_t base, std::mt19937& rng)
    {
        const uint32_t magic = base | (rng() % 0x40) << 16 | 4 * (rng() % 0x4000);
        switch (rng() % 4) {
        case 0: return (magic & 0xFF00FFFFu) | 0x00780000u;
        case 1: return (magic & 0xFFFF00FFu) | 0x00007800u;
        case 2: return (((magic + 0x824) & 0xFFFFFF00u) | 0x78u) - 0x824;
        default: return magic;
        }
    }

    // Now and then a block or a name on an address whose low byte is 0x78.
    static void With78Addresses(TagSpec& tag, std::mt19937& rng)
    {
        if (rng() % 3 == 0) tag.MetaAddressLowByte(0x78);
        if (rng() % 3 == 0) tag.NameAddressLowByte(0x78);
    }

    // Identifiers whose low byte tells the tags apart and whose middle
    // bytes are 0x00 or 0x78, so no two differ only by 0x00 against 0x78.
    static uint32_t Id(uint32_t top, int k, std::mt19937& rng)
    {
        const uint32_t b2 = rng() % 2 ? 0x78 : 0x00, b1 = rng() % 2 ? 0x78 : 0x00;
        return top << 24 | b2 << 16 | b1 << 8 | static_cast<uint32_t>(k + 1);
    }

    static std::string Filler(uint32_t length, std::mt19937& rng)
    {
        const char bytes[] = {'\x00', '\x78', '\xFF', '\x00', '\x78', '\xFF', '\x11', '\x22'};
        std::string block(length, '\0');
        for (char& c : block) c = bytes[rng() % sizeof bytes];
        return block;
    }

    void Place(TagSpec& tag, uint32_t length, int count, uint32_t start, std::mt19937& rng)
    {
        // Targets whose address holds a 0x78 byte, when the block has one.
        std::vector<uint32_t> with78;
        for (uint32_t t = 0; t <= length; ++t)
            if (HasByte78(start + t)) with78.push_back(t);
        std::vector<bool> used(length, false);
        auto freeRange = [&](uint32_t from, uint32_t n) {
            if (from + n > length) return false;
            for (uint32_t i = from; i < from + n; ++i)
                if (used[i]) return false;
            return true;
        };
        auto take = [&](uint32_t from, uint32_t n) {
            for (uint32_t i = from; i < from + n; ++i) used[i] = true;
        };
        const int wanted = 3 + static_cast<int>(rng() % 8);
        for (int tries = 0; tries < 60 && static_cast<int>(placements.size()) < wanted; ++tries) {
            // Near either end half of the time.
            uint32_t at = static_cast<uint32_t>(rng() % (length - 3));
            if (rng() % 2) at = rng() % 2 ? static_cast<uint32_t>(rng() % 3) : length - 4 - static_cast<uint32_t>(rng() % 3);
            Placement p {static_cast<Placement::Kind>(rng() % 4), at};
            const bool withClass = p.kind == Placement::Dependency || p.kind == Placement::Null;
            if (withClass && (at < 12 || !freeRange(at - 12, 4))) continue;
            if (!freeRange(at, 4)) continue;
            take(at, 4);
            if (withClass) take(at - 12, 4);
            switch (p.kind) {
            case Placement::Identifier:
                p.tag = static_cast<int>(rng() % static_cast<unsigned>(count));
                tag.IdRef(at, p.tag);
                break;
            case Placement::Dependency:
                p.tag = static_cast<int>(rng() % static_cast<unsigned>(count));
                tag.TagRef(at - 12, "snd!", p.tag);
                break;
            case Placement::Null: tag.NullRef(at - 12, "bitm"); break;
            case Placement::Pointer: {
                const uint32_t ends[] = {0, 1, length - 1, length};
                const unsigned way = rng() % 3;
                p.target = way == 0 ? ends[rng() % 4]
                           : way == 1 && !with78.empty() ? with78[rng() % with78.size()]
                                                          : static_cast<uint32_t>(rng() % (length + 1));
                tag.Pointer(at, p.target);
                break;
            }
            }
            placements.push_back(p);
        }
    }
};

class MetadataFilesProperty : public WorkDirTest {
protected:
    void SetUp() override
    {
        WorkDirTest::SetUp();
        FillTagClassTable();
    }

    static void Load(const MapBuilder& map, const std::string& file, MapLayout& layout)
    {
        if (g_MapFile.IsOpen()) CloseMapFile();
        layout = OpenBuiltMap(map, file);
        LoadOpenMap(nullptr);
    }
};

const MessageSink kQuiet = [](const CString&) {};

TEST_F(MetadataFilesProperty, SaveThenCorrectedInjectOverTheSameTagLeavesTheMapUnchanged)
{
    std::mt19937 rng(20261209);
    for (int round = 0; round < 500; ++round) {
        RandomMaps maps(rng);
        MapLayout layout;
        Load(maps.first, "one.map", layout);
        const std::string before = ReadFileBytes("one.map");
        std::vector<std::string> said;
        const MessageSink tell = [&](const CString& text) { said.push_back(text.Bytes()); };
        ASSERT_TRUE(SaveMetadataPair("s.meta", maps.source, tell)) << round;
        ASSERT_TRUE(InjectMetadataPair("s.meta", maps.source, true, tell)) << round;
        ASSERT_EQ(said, (std::vector<std::string>{"Metadata saved successfully.", "Inject completed successfully."}))
            << round;
        ASSERT_EQ(ReadFileBytes("one.map"), before) << "round " << round;
    }
}

TEST_F(MetadataFilesProperty, CorrectedInjectIntoARenumberedMapRepointsByNameAndRebases)
{
    std::mt19937 rng(777);
    for (int round = 0; round < 500; ++round) {
        RandomMaps maps(rng);
        MapLayout first;
        Load(maps.first, "one.map", first);
        ASSERT_TRUE(SaveMetadataPair("s.meta", maps.source, kQuiet)) << round;
        const std::string saved = ReadFileBytes("s.meta");

        // The same names in another order, other identifiers and another
        // magic; sometimes one referenced name is missing.
        const int count = static_cast<int>(maps.names.size());
        std::vector<int> order(static_cast<size_t>(count));
        for (int k = 0; k < count; ++k) order[static_cast<size_t>(k)] = k;
        std::shuffle(order.begin(), order.end(), rng);
        int missing = rng() % 3 == 0 ? order.back() : -1;
        if (missing == maps.source) missing = -1;
        MapBuilder second = MapBuilder::Pc();
        second.Magic(RandomMaps::RandomMagic(0x40000000u, rng));
        std::vector<uint32_t> secondIdOf(static_cast<size_t>(count), 0);
        int target = -1;
        for (int k : order) {
            if (k == missing) continue;
            const int index = second.TagCount();
            secondIdOf[static_cast<size_t>(k)] = RandomMaps::Id(0xE1, index, rng);
            TagSpec& tag = second.AddTag("weap", maps.names[static_cast<size_t>(k)]).Identifier(secondIdOf[static_cast<size_t>(k)]);
            RandomMaps::With78Addresses(tag, rng);
            if (k == maps.source) {
                target = index;
                tag.Meta(std::string(saved.size() + rng() % 12, '\x5A'));
            } else {
                tag.MetaSize(8);
            }
        }
        second.AddTag("bitm", "end").MetaSize(4);
        MapLayout layout;
        Load(second, "two.map", layout);
        const std::string before = ReadFileBytes("two.map");
        ASSERT_TRUE(InjectMetadataPair("s.meta", target, true, kQuiet)) << round;

        // The expected block, from the placements alone.
        const uint32_t o = layout.metaOffsets[static_cast<size_t>(target)];
        std::string expected = saved;
        std::set<uint32_t> unrebased;  // a pointer at 0 hides its address from the search
        for (const Placement& p : maps.placements)
            if (p.kind == Placement::Pointer && p.at == 0) unrebased.insert(p.target);
        for (const Placement& p : maps.placements) {
            if (p.at == 0) continue;
            if ((p.kind == Placement::Identifier || p.kind == Placement::Dependency) && p.tag != missing)
                expected.replace(p.at, 4, Le32(secondIdOf[static_cast<size_t>(p.tag)]));
            if (p.kind == Placement::Pointer && !unrebased.count(p.target))
                expected.replace(p.at, 4, Le32(layout.magic + o + p.target));
        }
        const std::string after = ReadFileBytes("two.map");
        ASSERT_EQ(after.substr(o, saved.size()), expected) << "round " << round;
        ASSERT_EQ(after.substr(0, o), before.substr(0, o)) << round;
        ASSERT_EQ(after.substr(o + saved.size()), before.substr(o + saved.size())) << round;
    }
}

} // namespace
