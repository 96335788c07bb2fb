// Direct inject on random pairs of maps: map A, and map B holding A's tags
// in another order, with other identifiers, another magic and its metadata
// elsewhere; identifiers, magics and addresses hold 0x78 bytes at random. Injecting a tag of A into B's tag of the
// same name re-points every reference to the tag of the same name, rebases
// every self-pointer to the same distance from the start of the metadata
// and keeps every other byte of B; a target one byte too small is refused
// with B unchanged.
#include "directinject/DirectInject.h"
#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/ReferenceOracle.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using namespace travik::test;

namespace {

enum class PlaceKind { TagRef, IdRef, NullRef, Pointer };

struct Place {
    PlaceKind kind;
    uint32_t at;      // TagRef, NullRef: the class code; IdRef, Pointer: the four bytes
    std::string code; // TagRef, NullRef
    int tag = 0;      // TagRef, IdRef: index into A's tags
    uint32_t target = 0;
};

struct TagPlan {
    std::string code;
    std::string name;
    std::string filler; // the block before the places
    std::vector<Place> places;
    bool metaOn78 = false; // the block's address ends in 0x78 (in B too)
    bool nameOn78 = false;
};

const char* const kCodes[] = {"bitm", "snd!", "weap", "obje", "effe", "scnr", "vehi"};

// Bytes that no identifier, address, class code or null reference uses, so
// the filler never makes a find of its own.
char FillerByte(std::mt19937& rng) { return static_cast<char>(std::uniform_int_distribution<int>(0x01, 0x3F)(rng)); }

// Identifiers whose bytes are neither zero, 0x40, 0x80 nor 0xFF (so they
// never look like an address or a null reference), with a 0x78 byte now
// and then; distinct even when 0x78 reads as zero.
std::vector<uint32_t> Identifiers(std::mt19937& rng, size_t count)
{
    std::vector<uint32_t> ids;
    auto seen = [&](uint32_t id) {
        auto loose = [](uint32_t v) {
            for (int b = 0; b < 4; ++b)
                if (((v >> (8 * b)) & 0xFF) == 0x78) v &= ~(0xFFu << (8 * b));
            return v;
        };
        for (uint32_t other : ids)
            if (loose(other) == loose(id)) return true;
        return false;
    };
    while (ids.size() < count) {
        uint32_t id = 0xE0000000u | std::uniform_int_distribution<uint32_t>(0, 0x0FFFFFFF)(rng);
        if (std::bernoulli_distribution(0.3)(rng)) id = (id & 0xFF00FFFFu) | 0x00780000u;
        if (std::bernoulli_distribution(0.2)(rng)) id = (id & 0xFFFFFF00u) | 0x78u;
        bool clean = true;
        for (int b = 0; b < 3; ++b) {
            const uint32_t byte = (id >> (8 * b)) & 0xFF;
            clean = clean && byte != 0 && byte != 0x40 && byte != 0x80 && byte != 0xFF;
        }
        if (clean && !seen(id)) ids.push_back(id);
    }
    return ids;
}

struct Pair {
    std::vector<TagPlan> tags; // A's tags; the last is "end"
    std::vector<int> order;    // B's tag b is A's tag order[b]
    std::vector<uint32_t> idsA, idsB;
    bool bIsPc = false;
    bool aIsPc = false;
    uint32_t spacer = 0;       // size of B's first tag, which A does not have
    uint32_t magicA = 0, magicB = 0; // 0: the builder's default
};

// Now and then a magic with a 0x78 byte: in every address, or in the index magic.
uint32_t RandomMagic(std::mt19937& rng, bool pc)
{
    const uint32_t magic = (pc ? 0x40000000u : 0x80000000u) | (rng() % 0x40) << 16 | 4 * (rng() % 0x4000);
    switch (rng() % 4) {
    case 0: return (magic & 0xFF00FFFFu) | 0x00780000u;
    case 1: return (((magic + 0x824) & 0xFFFF00FFu) | 0x7800u) - 0x824;
    default: return 0;
    }
}

Pair RandomPair(std::mt19937& rng)
{
    Pair pair;
    const int count = std::uniform_int_distribution<int>(2, 6)(rng);
    for (int i = 0; i < count; ++i) {
        TagPlan tag;
        tag.code = kCodes[std::uniform_int_distribution<int>(0, 6)(rng)];
        tag.name = "tags\\" + std::to_string(i) + "\\" + std::to_string(rng() % 1000);
        const int slots = std::uniform_int_distribution<int>(1, 8)(rng);
        const uint32_t length = 16 * static_cast<uint32_t>(slots + 1) + 4 * (rng() % 4);
        for (uint32_t b = 0; b < length; ++b) tag.filler += FillerByte(rng);
        for (int slot = 1; slot <= slots; ++slot) {
            const uint32_t at = 16 * static_cast<uint32_t>(slot);
            Place place {};
            switch (rng() % 5) {
            case 0:
                place = {PlaceKind::TagRef, at, kCodes[rng() % 7], static_cast<int>(rng() % (count + 1)), 0};
                break;
            case 1: place = {PlaceKind::IdRef, at + 4, "", static_cast<int>(rng() % (count + 1)), 0}; break;
            case 2: place = {PlaceKind::NullRef, at, kCodes[rng() % 7], 0, 0}; break;
            default: place = {PlaceKind::Pointer, at + 8, "", 0, static_cast<uint32_t>(rng() % (length + 1))}; break;
            }
            tag.places.push_back(place);
        }
        tag.metaOn78 = rng() % 4 == 0;
        tag.nameOn78 = rng() % 4 == 0;
        pair.tags.push_back(tag);
    }
    pair.tags.push_back({"obje", "end", "", {}});
    pair.order.resize(static_cast<size_t>(count));
    std::iota(pair.order.begin(), pair.order.end(), 0);
    std::shuffle(pair.order.begin(), pair.order.end(), rng);
    pair.order.push_back(count);
    pair.idsA = Identifiers(rng, pair.tags.size());
    pair.idsB = Identifiers(rng, pair.tags.size() + 1);
    pair.aIsPc = rng() % 2;
    pair.bIsPc = rng() % 2;
    pair.spacer = 4 * (rng() % 40);
    pair.magicA = RandomMagic(rng, pair.aIsPc);
    pair.magicB = RandomMagic(rng, pair.bIsPc);
    return pair;
}

// One tag's block into a builder, references to tags given by `indexOf`.
template <typename IndexOf>
void Describe(TagSpec& spec, const TagPlan& plan, IndexOf indexOf)
{
    spec.Meta(plan.filler);
    if (plan.metaOn78) spec.MetaAddressLowByte(0x78);
    if (plan.nameOn78) spec.NameAddressLowByte(0x78);
    for (const Place& place : plan.places) {
        switch (place.kind) {
        case PlaceKind::TagRef: spec.TagRef(place.at, place.code, indexOf(place.tag)); break;
        case PlaceKind::IdRef: spec.IdRef(place.at, indexOf(place.tag)); break;
        case PlaceKind::NullRef: spec.NullRef(place.at, place.code); break;
        case PlaceKind::Pointer: spec.Pointer(place.at, place.target); break;
        }
    }
}

MapBuilder BuildA(const Pair& pair)
{
    MapBuilder map = pair.aIsPc ? MapBuilder::Pc() : MapBuilder::Xbox();
    if (pair.magicA) map.Magic(pair.magicA);
    for (size_t i = 0; i < pair.tags.size(); ++i) {
        TagSpec& spec = map.AddTag(pair.tags[i].code, pair.tags[i].name).Identifier(pair.idsA[i]);
        Describe(spec, pair.tags[i], [](int tag) { return tag; });
    }
    return map;
}

// B: a spacer tag, then A's tags in B's order. B's tag of A's tag a is at
// index 1 + position of a in order.
MapBuilder BuildB(const Pair& pair)
{
    MapBuilder map = pair.bIsPc ? MapBuilder::Pc() : MapBuilder::Xbox();
    if (pair.magicB) map.Magic(pair.magicB);
    map.AddTag("bitm", "spacer").Identifier(pair.idsB.back()).Meta(std::string(pair.spacer, '\x11'));
    auto indexInB = [&](int a) {
        return 1 + static_cast<int>(std::find(pair.order.begin(), pair.order.end(), a) - pair.order.begin());
    };
    for (size_t b = 0; b < pair.order.size(); ++b) {
        const int a = pair.order[b];
        TagSpec& spec = map.AddTag(pair.tags[static_cast<size_t>(a)].code, pair.tags[static_cast<size_t>(a)].name)
                            .Identifier(pair.idsB[b]);
        Describe(spec, pair.tags[static_cast<size_t>(a)], indexInB);
    }
    return map;
}

void Put(std::string& bytes, uint32_t at, const std::string& value) { bytes.replace(at, value.size(), value); }

class DirectInjectProperty : public WorkDirTest {
protected:
    void SetUp() override
    {
        WorkDirTest::SetUp();
        OpenTestLog();
    }
};

TEST_F(DirectInjectProperty, RandomPairsRepointRebaseAndRefuseOneByteLess)
{
    constexpr int kCases = 500;
    int injected = 0, withByte78 = 0, numbersWith78 = 0;
    for (int seed = 0; injected < kCases && seed < 2 * kCases; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(static_cast<uint32_t>(seed));
        Pair pair = RandomPair(rng);
        const int source = static_cast<int>(rng() % (pair.tags.size() - 1));
        const int target = 1 + static_cast<int>(std::find(pair.order.begin(), pair.order.end(), source) -
                                                pair.order.begin());
        // Where the layouts allow, some pointers address the byte whose
        // address, in A or in B, has a 0x78 low byte.
        {
            const uint32_t baseA = BuildA(pair).Layout().metaOffsets[static_cast<size_t>(source)];
            const MapLayout b = BuildB(pair).Layout();
            const uint32_t magicA = BuildA(pair).Layout().magic;
            TagPlan& plan = pair.tags[static_cast<size_t>(source)];
            for (Place& place : plan.places) {
                if (place.kind != PlaceKind::Pointer || rng() % 2) continue;
                const uint32_t t = rng() % 2 ? (0x78 - (baseA + magicA)) & 0xFF
                                             : (0x78 - (b.metaOffsets[static_cast<size_t>(target)] + b.magic)) & 0xFF;
                if (t <= plan.filler.size()) place.target = t;
            }
        }

        MapBuilder a = BuildA(pair);
        const MapLayout layoutA = a.Write("a.map");
        const uint32_t size = static_cast<uint32_t>(layoutA.LoadedMetaSize(static_cast<size_t>(source)));
        const std::string bytesA = ReadFileBytes("a.map");
        const uint32_t targetAddress = BuildB(pair).Layout().metaAddresses[static_cast<size_t>(target)];
        numbersWith78 += HasByte78(targetAddress) || HasByte78(targetAddress + size) ||
                         HasByte78(layoutA.metaAddresses[static_cast<size_t>(source)]) ||
                         HasByte78(layoutA.nameAddresses[static_cast<size_t>(source)]);

        // The target holds exactly the source's size.
        {
            MapBuilder b = BuildB(pair);
            // A's next block may stand up to 255 bytes on (an address ending
            // in 0x78): B's target grows to hold what the source's size says.
            if (b.Tag(target).MetaBytes().size() < size) b.Tag(target).MetaSize(size);
            b.Tag(target + 1).MetaAddress(targetAddress + size);
            const MapLayout layoutB = b.Write("b.map");
            const std::string before = ReadFileBytes("b.map");

            g_strMapFileName = "b.map";
            OpenMapFile();
            LoadOpenMap(nullptr);
            g_strInputMapFileName = "a.map";
            OpenInputMapFile();
            LoadInputMap(nullptr);
            ASSERT_EQ(g_Tags[target].m_strName, pair.tags[static_cast<size_t>(source)].name.c_str());
            ASSERT_EQ(g_Tags[target].m_nMetaSize, static_cast<int32_t>(size));

            // One byte less, as the loader derives it for a target one byte
            // shorter (a map file of that shape is among the edge cases).
            std::vector<CString> told;
            g_Tags[target].m_nMetaSize = static_cast<int32_t>(size - 1);
            DirectInjectTag(source, target, [&](const CString& text) { told.push_back(text); });
            EXPECT_EQ(told, (std::vector<CString> {"Not enough space to inject."}));
            EXPECT_TRUE(ReadFileBytes("b.map") == before);

            told.clear();
            g_Tags[target].m_nMetaSize = static_cast<int32_t>(size);
            DirectInjectTag(source, target, [&](const CString& text) { told.push_back(text); });
            CloseMapFile();
            CloseInputMapFile();
            const std::string after = ReadFileBytes("b.map");
            ASSERT_EQ(told, (std::vector<CString> {"Direct inject completed successfully."})) << (told.empty() ? "" : told.front().GetString());
            ++injected;

            const uint32_t at = layoutB.metaOffsets[static_cast<size_t>(target)];
            std::string expected = before;
            Put(expected, at, bytesA.substr(layoutA.metaOffsets[static_cast<size_t>(source)], size));
            auto idInB = [&](int tagOfA) {
                const int b = static_cast<int>(std::find(pair.order.begin(), pair.order.end(), tagOfA) -
                                               pair.order.begin());
                return pair.idsB[static_cast<size_t>(b)];
            };
            for (const Place& place : pair.tags[static_cast<size_t>(source)].places) {
                switch (place.kind) {
                case PlaceKind::TagRef: Put(expected, at + place.at + 12, Le32(idInB(place.tag))); break;
                case PlaceKind::IdRef: Put(expected, at + place.at, Le32(idInB(place.tag))); break;
                case PlaceKind::NullRef: break;
                case PlaceKind::Pointer: {
                    const uint32_t value = place.target + layoutB.magic + at;
                    withByte78 += HasByte78(value) || HasByte78(place.target + layoutA.magic +
                                                                layoutA.metaOffsets[static_cast<size_t>(source)]);
                    Put(expected, at + place.at, Le32(value));
                    break;
                }
                }
            }
            EXPECT_TRUE(after == expected) << "first difference at "
                                           << std::mismatch(after.begin(), after.end(), expected.begin()).first -
                                                  after.begin();
        }
    }
    EXPECT_EQ(injected, kCases);
    EXPECT_GT(withByte78, 20); // pointers whose stored bytes hold 0x78 were among them
    EXPECT_GT(numbersWith78, 100); // and addresses of the source and the target
}

// Second maps broken at random (index header, entries, metadata, magic 0,
// addresses near the top of the 32-bit range, tag counts up to 65535, a
// file cut short; now and then the open map itself): the reference list
// and the inject never crash or read past a buffer, and the open map
// changes only after a completed inject, only in the target's first S
// bytes.
TEST_F(DirectInjectProperty, BrokenSecondMapsChangeNothingButTheTargetsFirstBytes)
{
    MapBuilder open = MapBuilder::Xbox();
    open.AddTag("weap", "target").MetaSize(0x400);
    open.AddTag("bitm", "b").MetaSize(0x40);
    open.AddTag("obje", "end");
    open.Write("open.map");
    const std::string before = ReadFileBytes("open.map");
    int completed = 0;
    int listsChecked = 0;
    for (uint32_t seed = 0; seed < 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        MapBuilder second = rng() % 2 ? MapBuilder::Pc() : MapBuilder::Xbox();
        if (rng() % 3 == 0) second.Magic(rng() % 2 ? 0 : static_cast<uint32_t>(rng()));
        second.AddTag("bitm", "b");
        second.AddTag("weap", "source")
            .MetaSize(0x100)
            .TagRef(0x10, "bitm", 0)
            .Pointer(0x40, 0x20)
            .NullRef(0x50, "bitm")
            .IdRef(0x70, 2);
        second.AddTag("obje", "end");
        if (rng() % 4 == 0) second.StoredTagCount(static_cast<uint16_t>(rng() % 2 ? 65535 : rng() % 6000));
        const MapLayout layout = second.Layout();
        for (uint32_t i = 0, patches = rng() % 6; i < patches; ++i) {
            uint32_t at = 0;
            switch (rng() % 4) {
            case 0: at = layout.indexOffset + rng() % (0x24 + 32 * 3); break;
            case 1: at = layout.entryOffsets[rng() % 3] + 0x14; break;
            case 2: at = layout.metaOffsets[1] + rng() % 0x100; break;
            default: at = rng() % 0x800; break;
            }
            const uint32_t value = rng() % 4 == 0 ? 0xFFFFFFF0u + rng() % 16
                                                  : (rng() % 2 ? static_cast<uint32_t>(rng()) : rng() % 0x2000);
            second.Patch(at, Le32(value));
        }
        if (rng() % 5 == 0) second.TruncateAt(layout.metaOffsets[1] + rng() % 0x100);
        second.Write("second.map");

        g_strMapFileName = "open.map";
        OpenMapFile();
        LoadOpenMap(nullptr);
        g_strInputMapFileName = rng() % 8 == 0 ? "open.map" : "second.map";
        OpenInputMapFile();
        LoadInputMap(nullptr);
        const int loaded = LoadedTagCount(g_InputIndexHeader);
        if (loaded > 0) {
            const int source = rng() % 3 == 0 ? static_cast<int>(rng() % static_cast<uint32_t>(loaded))
                                              : std::min(1, loaded - 1);
            const int target = static_cast<int>(rng() % 2);
            // The list is the identifier pass over the bytes the map holds
            // for the tag, sorted, or a refusal with nothing listed.
            const ReferenceList list = SourceReferenceList(source);
            const TagEntry& sourceTag = g_InputTags[source];
            if (sourceTag.m_nMetaSize < 0 || sourceTag.m_nMetaSize > 1000000) {
                EXPECT_TRUE(list.texts.empty());
                EXPECT_EQ(list.message, "The metadata size of this tag (" + IntToDecText(sourceTag.m_nMetaSize) +
                                            " bytes) is outside 0 to 1000000 bytes. Its references are not listed.");
            } else if (g_InputIndexHeader.m_nTagCount == loaded && loaded <= 16 && sourceTag.m_nMetaSize <= 0x1000) {
                // (The oracle is slow: it is kept to the blocks and tag
                // tables the map describes, not what a broken index claims.)
                ++listsChecked;
                const std::string file = ReadFileBytes(g_strInputMapFileName.GetString());
                const size_t at = std::min<size_t>(HexToInt(sourceTag.m_strMetaOffset), file.size());
                const CString block = RawToByteString(file.substr(at, static_cast<size_t>(sourceTag.m_nMetaSize)));
                int32_t P = 0;
                std::vector<CString> expected;
                for (const ReferenceHit& hit :
                     oracle::IdentifierPass(block, g_InputTags, g_InputIndexHeader.m_nTagCount, P)) {
                    const TagEntry& found = g_InputTags[hit.tag];
                    expected.push_back(hit.kind == HitKind::Dependency
                                           ? "Dependency -- " + hit.classCode + " -- " + found.m_strName
                                           : "LoneID -- " + found.m_strClass1 + " -- " + found.m_strName);
                }
                std::stable_sort(expected.begin(), expected.end(),
                                 [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });
                if (expected.size() > static_cast<size_t>(block.GetLength())) {
                    EXPECT_TRUE(list.texts.empty());
                    EXPECT_EQ(list.message, "Tags of the second map share identifiers: this tag's metadata gives more "
                                            "identifier finds than it has bytes. Its references are not listed.");
                } else {
                    EXPECT_EQ(list.message, "");
                    EXPECT_EQ(list.texts, expected);
                }
            }
            std::vector<CString> told;
            DirectInjectTag(source, target, [&](const CString& text) { told.push_back(text); });
            ASSERT_FALSE(told.empty());
            const bool done = told.back() == "Direct inject completed successfully.";
            completed += done;
            const uint32_t from = HexToInt(g_Tags[target].m_strMetaOffset);
            const int64_t to = int64_t(from) + g_InputTags[source].m_nMetaSize;
            const std::string after = ReadFileBytes("open.map");
            ASSERT_EQ(after.size(), before.size());
            for (size_t i = 0; i < after.size(); ++i)
                if (after[i] != before[i]) {
                    ASSERT_TRUE(done) << "changed at " << i;
                    ASSERT_TRUE(int64_t(i) >= from && int64_t(i) < to) << "changed at " << i;
                }
        }
        CloseMapFile();
        CloseInputMapFile();
        WriteFileBytes("open.map", before);
    }
    EXPECT_GT(completed, 8);
    EXPECT_GT(listsChecked, 8);
}

} // namespace
