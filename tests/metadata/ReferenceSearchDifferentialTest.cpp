// The fast passes and the scanner engine against the exhaustive search, on
// random blocks built to be hard: runs of zero / 0x78 / 0xFF bytes, needles
// at both ends and cut by the end, overlapping and repeated needles,
// duplicate identifiers, magics that give one- to four-byte value keys.
#include "map/HexCodec.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "metadata/ReferenceSearch.h"
#include "tagcontrols/ScanEngine.h"
#include "tests/support/ReferenceOracle.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstring>
#include <random>
#include <sstream>

namespace {

namespace oracle = travik::test::oracle;

std::string Stored(uint32_t v, int bytes = 4)
{
    std::string s;
    for (int i = 0; i < bytes; ++i) {
        char c = static_cast<char>((v >> (8 * i)) & 0xFF);
        s += c == '\0' ? 'x' : c;
    }
    return s;
}

std::string StoredClass(const CString& code) { return std::string(code.Bytes().rbegin(), code.Bytes().rend()); }

class Generator {
public:
    explicit Generator(uint32_t seed) : m_rng(seed) {}

    uint32_t Next(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(m_rng() % n); }
    bool Chance(int percent) { return Next(100) < static_cast<uint32_t>(percent); }
    template <class T> const T& Pick(const std::vector<T>& from) { return from[Next(static_cast<uint32_t>(from.size()))]; }

    // Identifiers from a small pool, so that tables hold duplicates and
    // blocks hold identifiers with zero and 0x78 bytes.
    std::vector<TagEntry> Tags()
    {
        static const std::vector<uint32_t> pool = {0xE1740000, 0xE1750001, 0xE1760002, 0x00000000, 0xFFFFFFFF,
                                                   0x78787878, 0x00780078, 0xE177FFFF, 0x01020304, 0xFFFFFF00};
        static const std::vector<const char*> classes = {"bitm", "weap", "fog ", "DeLa", "zzzz", "scex"};
        std::vector<TagEntry> tags(Next(9));
        for (size_t k = 0; k < tags.size(); ++k) {
            uint32_t id = Chance(70) ? Pick(pool) : static_cast<uint32_t>(m_rng());
            char text[16];
            std::snprintf(text, sizeof text, "%08x", id);
            tags[k].m_strIdentifier = text;
            tags[k].m_strClass1 = Pick(classes);
            tags[k].m_strName = CString("tag\\") + IntToDecText(static_cast<int32_t>(k));
        }
        return tags;
    }

    // Identifiers that share their top two bytes (one bucket of the
    // search's needle table) and differ below, a few of them twice.
    std::vector<TagEntry> CrowdedTags()
    {
        const uint32_t top = Chance(50) ? 0xE1740000u : (static_cast<uint32_t>(m_rng()) & 0xFFFF0000u);
        std::vector<TagEntry> tags(20 + Next(60));
        for (size_t k = 0; k < tags.size(); ++k) {
            const uint32_t id = k > 0 && Chance(10) ? std::stoul(tags[k - 1].m_strIdentifier.GetString(), nullptr, 16)
                                                    : top | (Chance(30) ? Next(4) : Next(0x10000));
            char text[16];
            std::snprintf(text, sizeof text, "%08x", id);
            tags[k].m_strIdentifier = text;
            tags[k].m_strClass1 = "bitm";
            tags[k].m_strName = CString("tag\\") + IntToDecText(static_cast<int32_t>(k));
        }
        return tags;
    }

    // A longer block of words that share their top bytes with the tags'
    // identifiers: some are identifiers, most stand for nothing.
    CString CrowdedBlock(const std::vector<TagEntry>& tags)
    {
        const uint32_t top = std::stoul(tags[0].m_strIdentifier.GetString(), nullptr, 16) & 0xFFFF0000u;
        std::string s;
        const size_t length = 200 + Next(400);
        while (s.size() < length) {
            if (Chance(30)) s += IdentifierKey(Pick(tags)).Bytes();
            else if (Chance(10)) s.append(1 + Next(3), Chance(50) ? 'x' : '\xFF');
            else s += Stored(top | Next(0x10000), Chance(90) ? 4 : static_cast<int>(1 + Next(3)));
        }
        s.resize(length);
        return CString(s);
    }

    // A block with needles planted at hard places.
    CString Block(const std::vector<TagEntry>& tags, uint32_t magic, uint32_t metaOffset,
                  const std::vector<uint32_t>& values)
    {
        static const std::vector<const char*> classes = {"bitm", "weap", "snd!", "fog ", "scex", "DeLa", "dela"};
        const int length = Chance(10) ? static_cast<int>(Next(6)) : static_cast<int>(Next(Chance(10) ? 160 : 56));
        std::string s;
        const int style = static_cast<int>(Next(4));
        while (static_cast<int>(s.size()) < length) {
            switch (style == 0 ? Next(3) : Next(10)) {
            case 0: s.append(1 + Next(9), 'x'); break;                // zero or 0x78 bytes
            case 1: s.append(1 + Next(9), '\xFF'); break;
            case 2: s += static_cast<char>(1 + Next(3)); break;        // short-key bytes
            case 3: s += static_cast<char>(1 + Next(255)); break;
            case 4: s += StoredClass(Pick(classes)); break;
            case 5:
                if (!tags.empty()) s += IdentifierKey(Pick(tags)).Bytes();
                break;
            case 6: s += Stored(magic + metaOffset + Next(static_cast<uint32_t>(length) + 2)); break;
            case 7:
                if (!values.empty()) s += Stored(Pick(values));
                break;
            case 8: s += Stored(magic + Next(64), static_cast<int>(1 + Next(4))); break;
            case 9:
                if (Chance(5)) s += '\0';  // never in a byte string: must simply never match
                else s += static_cast<char>(Next(2) ? 100 : 101);
                break;
            }
        }
        s.resize(static_cast<size_t>(length));
        // Needles at positions 0, 1 and the last four, some cut by the end.
        for (int i = 0; i < 2 && length > 0; ++i) {
            std::string needle;
            switch (Next(4)) {
            case 0:
                if (!tags.empty()) needle = IdentifierKey(Pick(tags)).Bytes();
                break;
            case 1: needle = Stored(magic + metaOffset); break;
            case 2: needle = "\xFF\xFF\xFF\xFF"; break;
            case 3: needle = Stored(magic + Next(8)); break;
            }
            const size_t at = Chance(50) ? Next(2) : static_cast<size_t>(length) - 1 - Next(4) % static_cast<size_t>(length);
            s.replace(at, std::min(needle.size(), s.size() - at), needle.substr(0, s.size() - at));
        }
        // A class code 12 bytes before some 0xFF runs and identifiers.
        if (length > 16 && Chance(60)) {
            size_t at = Next(static_cast<uint32_t>(length - 16));
            s.replace(at, 4, StoredClass(Pick(classes)));
            std::string needle = Chance(50) || tags.empty() ? std::string("\xFF\xFF\xFF\xFF\xFF", 4 + Next(2))
                                                            : IdentifierKey(Pick(tags)).Bytes();
            s.replace(at + 12, std::min(needle.size(), s.size() - at - 12), needle.substr(0, s.size() - at - 12));
        }
        return CString(s);
    }

    // One-, two-, three- and four-byte value keys, and sums that wrap.
    uint32_t Magic()
    {
        switch (Next(6)) {
        case 0: return Next(0x40);
        case 1: return 0xF0 + Next(0x20);
        case 2: return 0xFFF0 + Next(0x20);
        case 3: return 0xFFFFF0 + Next(0x20);
        case 4: return 0xFFFFFFFF - Next(0x40);
        default: return 0x80000000u + Next(0x1000000);
        }
    }

    int32_t RunningPosition()
    {
        switch (Next(6)) {
        case 0: return Chance(50) ? -2 : (Chance(50) ? INT32_MIN : INT32_MAX);
        case 1:
        case 2: return -1;
        case 3:
        case 4: return 0;
        default: return static_cast<int32_t>(Next(8));
        }
    }

    float Precision()
    {
        static const std::vector<float> precisions = {0.5f, 1.0f, 2.5f, 0.75f, 7.0f, 12.5f, 33.0f, 101.0f, 0.4f};
        return Pick(precisions);
    }

private:
    std::mt19937 m_rng;
};

std::string Describe(const CString& block)
{
    std::ostringstream out;
    out << "block (" << block.GetLength() << "): " << BytesToHex(block).GetString();
    for (char c : block.Bytes()) out << (c == 'x' ? " x" : "");
    return out.str();
}

class ReferenceSearchDifferential : public travik::test::WorkDirTest {
protected:
    void SetUp() override
    {
        WorkDirTest::SetUp();
        FillTagClassTable();
    }
};

// Seeds in shards, so that the test runner spreads them over its workers.
void PassesAgree(uint32_t firstSeed, uint32_t lastSeed)
{
    for (uint32_t seed = firstSeed; seed <= lastSeed; ++seed) {
        Generator gen(seed);
        const std::vector<TagEntry> tags = gen.Tags();
        const uint32_t magic = gen.Magic();
        const uint32_t metaOffset = gen.Chance(10) ? 0xFFFFFFF0u + gen.Next(16) : gen.Next(0x300);
        std::vector<uint32_t> values;
        for (uint32_t i = gen.Next(12); i > 0; --i)
            values.push_back(gen.Chance(50) ? gen.Next(0x300) : magic + gen.Next(0x40));
        const CString block = gen.Block(tags, magic, metaOffset, values);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + Describe(block));

        const int32_t start = gen.RunningPosition();
        int32_t fastP = start, slowP = start;
        ASSERT_EQ(IdentifierPass(block, tags.data(), static_cast<int>(tags.size()), fastP),
                  oracle::IdentifierPass(block, tags.data(), static_cast<int>(tags.size()), slowP));
        ASSERT_EQ(fastP, slowP);

        fastP = slowP = gen.RunningPosition();
        ASSERT_EQ(NullReferencePass(block, fastP), oracle::NullReferencePass(block, slowP));
        ASSERT_EQ(fastP, slowP);

        fastP = slowP = gen.RunningPosition();
        ASSERT_EQ(SelfPointerPass(block, metaOffset, magic, fastP), oracle::SelfPointerPass(block, metaOffset, magic, slowP));
        ASSERT_EQ(fastP, slowP);

        uint32_t first = gen.Next(0x40), last = first + gen.Next(0x100);
        if (gen.Chance(5)) std::swap(first, last);
        if (gen.Chance(5)) {
            first = 0xFFFFFFFFu - gen.Next(0x100);
            last = 0xFFFFFFFFu;
        }
        const uint32_t base = gen.Chance(50) ? 0 : metaOffset;
        fastP = slowP = gen.RunningPosition();
        ASSERT_EQ(PointerSearch(block, first, last, magic, base, fastP),
                  oracle::PointerSearch(block, first, last, magic, base, slowP))
            << "first " << first << " last " << last << " magic " << magic;
        ASSERT_EQ(fastP, slowP);

        fastP = slowP = gen.RunningPosition();
        std::vector<std::pair<size_t, int32_t>> fast;
        SearchValueList(block, values, fastP, [&](size_t i, int32_t p) {
            fast.emplace_back(i, p);
            return true;
        });
        ASSERT_EQ(fast, oracle::SearchValueList(block, values, slowP));
        ASSERT_EQ(fastP, slowP);
    }
}

void ScansAgree(uint32_t firstSeed, uint32_t lastSeed)
{
    for (uint32_t seed = firstSeed; seed <= lastSeed; ++seed) {
        Generator gen(seed * 7919u);
        const std::vector<TagEntry> tags = gen.Tags();
        ScanParameters in;
        in.tags = tags.data();
        in.tagCount = static_cast<int32_t>(tags.size());
        in.magic = gen.Magic();
        in.metaOffset = gen.Next(0x300);
        in.eofPosition = gen.Next(0x100);
        in.floatPrecision = gen.Precision();
        std::vector<uint32_t> floats;
        for (float f = in.floatPrecision; f <= 100.0f; f = f + in.floatPrecision)
            floats.push_back(std::bit_cast<uint32_t>(f));
        const CString block = gen.Block(tags, in.magic, in.metaOffset, floats);
        in.switches = {gen.Chance(60), gen.Chance(60), gen.Chance(60), gen.Chance(60), gen.Chance(60), gen.Chance(60)};
        in.itemLimit = gen.Chance(10) ? static_cast<int32_t>(gen.Next(6)) : kMaxScanRecords;
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + Describe(block));

        const std::vector<ScanItem> expected = oracle::Scan(block, in);
        const ScanResult result = RunMetadataScan(block, in);
        const size_t shown = std::min(expected.size(), static_cast<size_t>(in.itemLimit));
        ASSERT_EQ(result.items, std::vector<ScanItem>(expected.begin(), expected.begin() + static_cast<long>(shown)));
        ASSERT_EQ(result.truncated, expected.size() > shown);
        ASSERT_EQ(result.messages.size(), result.truncated ? 1u : 0u);
    }
}

// A broken map's pointer range, every address or most of them: each value
// a block can stand for is in range, ranks wrap around zero, and keys of
// every length meet in one search.
void LongRangesAgree(uint32_t firstSeed, uint32_t lastSeed)
{
    for (uint32_t seed = firstSeed; seed <= lastSeed; ++seed) {
        Generator gen(seed * 104729u);
        const std::vector<TagEntry> tags = gen.Tags();
        const uint32_t magic = gen.Chance(30) ? 0 : gen.Magic();
        const uint32_t metaOffset = gen.Next(0x300);
        const CString block = gen.Block(tags, magic, metaOffset, {});
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + Describe(block));

        uint32_t first = 0, last = 0xFFFFFFFFu;
        if (gen.Chance(40)) {
            first = static_cast<uint32_t>(gen.Next(0x10000) * 0x10001u);
            last = first + oracle::kLongRange + static_cast<uint32_t>(gen.Next(0x10000) * 0x10000u);
            if (last < first) last = 0xFFFFFFFFu;
        }
        const uint32_t base = gen.Chance(50) ? 0 : metaOffset;
        int32_t fastP = gen.RunningPosition(), slowP = fastP;
        ASSERT_EQ(PointerSearch(block, first, last, magic, base, fastP),
                  oracle::PointerSearch(block, first, last, magic, base, slowP))
            << "first " << first << " last " << last << " magic " << magic;
        ASSERT_EQ(fastP, slowP);

        // The whole scan of a map whose header gives the EoF position
        // 0xFFFFFFFF, with the item limit cutting the pointer phase or not.
        ScanParameters in;
        in.tags = tags.data();
        in.tagCount = static_cast<int32_t>(tags.size());
        in.magic = magic;
        in.metaOffset = metaOffset;
        in.eofPosition = last;
        in.floatPrecision = gen.Precision();
        in.switches = {gen.Chance(50), gen.Chance(50), gen.Chance(50), true, gen.Chance(50), gen.Chance(50)};
        in.itemLimit = gen.Chance(30) ? static_cast<int32_t>(gen.Next(40)) : kMaxScanRecords;
        const std::vector<ScanItem> expected = oracle::Scan(block, in);
        const ScanResult result = RunMetadataScan(block, in);
        const size_t shown = std::min(expected.size(), static_cast<size_t>(in.itemLimit));
        ASSERT_EQ(result.items, std::vector<ScanItem>(expected.begin(), expected.begin() + static_cast<long>(shown)));
        ASSERT_EQ(result.truncated, expected.size() > shown);
    }
}

// Tags whose identifiers crowd one bucket of the needle table, and blocks
// of words from the same bucket: the identifier pass and the value lists.
void CrowdedNeedlesAgree(uint32_t firstSeed, uint32_t lastSeed)
{
    for (uint32_t seed = firstSeed; seed <= lastSeed; ++seed) {
        Generator gen(seed * 15485863u);
        const std::vector<TagEntry> tags = gen.CrowdedTags();
        const CString block = gen.CrowdedBlock(tags);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + Describe(block));

        int32_t fastP = gen.RunningPosition(), slowP = fastP;
        ASSERT_EQ(IdentifierPass(block, tags.data(), static_cast<int>(tags.size()), fastP),
                  oracle::IdentifierPass(block, tags.data(), static_cast<int>(tags.size()), slowP));
        ASSERT_EQ(fastP, slowP);

        std::vector<uint32_t> values;
        for (const TagEntry& tag : tags) values.push_back(std::stoul(tag.m_strIdentifier.GetString(), nullptr, 16) >> (gen.Chance(20) ? 8 : 0));
        fastP = slowP = gen.RunningPosition();
        std::vector<std::pair<size_t, int32_t>> fast;
        SearchValueList(block, values, fastP, [&](size_t i, int32_t p) {
            fast.emplace_back(i, p);
            return true;
        });
        ASSERT_EQ(fast, oracle::SearchValueList(block, values, slowP));
        ASSERT_EQ(fastP, slowP);

        const uint32_t top = static_cast<uint32_t>(std::stoul(tags[0].m_strIdentifier.GetString(), nullptr, 16)) & 0xFFFF0000u;
        fastP = slowP = gen.RunningPosition();
        ASSERT_EQ(PointerSearch(block, 0, 0xFFFFF, top, 0, fastP), oracle::PointerSearch(block, 0, 0xFFFFF, top, 0, slowP));
        ASSERT_EQ(fastP, slowP);
    }
}

TEST_F(ReferenceSearchDifferential, LongRangeOracleSkipsOnlyAddressesThatFindNothing)
{
    // The oracle's shortcut for long ranges against its plain loop, on
    // ranges just long enough to take it.
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        Generator gen(seed * 31337u);
        const std::vector<TagEntry> tags = gen.Tags();
        const uint32_t magic = seed % 2 ? 0 : gen.Magic();
        const CString block = gen.Block(tags, magic, 0, {});
        const uint32_t first = seed <= 2 ? 0 : 0xFFFFFFFFu - oracle::kLongRange - 3;
        const uint32_t last = first + oracle::kLongRange + 3;
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + Describe(block));
        for (int32_t start : {-1, 0}) {
            int32_t skipP = start, everyP = start;
            ASSERT_EQ(oracle::PointerSearch(block, first, last, magic, 0, skipP),
                      oracle::PointerSearchEveryAddress(block, first, last, magic, 0, everyP));
            ASSERT_EQ(skipP, everyP);
        }
    }
}

TEST_F(ReferenceSearchDifferential, LongRangesGiveTheExhaustiveHitsSeeds1To400) { LongRangesAgree(1, 400); }
TEST_F(ReferenceSearchDifferential, LongRangesGiveTheExhaustiveHitsSeeds401To800) { LongRangesAgree(401, 800); }
TEST_F(ReferenceSearchDifferential, CrowdedNeedlesGiveTheExhaustiveHitsSeeds1To400) { CrowdedNeedlesAgree(1, 400); }

TEST_F(ReferenceSearchDifferential, PassesGiveTheExhaustiveHitsSeeds1To2500) { PassesAgree(1, 2500); }
TEST_F(ReferenceSearchDifferential, PassesGiveTheExhaustiveHitsSeeds2501To5000) { PassesAgree(2501, 5000); }
TEST_F(ReferenceSearchDifferential, PassesGiveTheExhaustiveHitsSeeds5001To7500) { PassesAgree(5001, 7500); }
TEST_F(ReferenceSearchDifferential, PassesGiveTheExhaustiveHitsSeeds7501To10000) { PassesAgree(7501, 10000); }
TEST_F(ReferenceSearchDifferential, ScanMakesTheStepByStepItemsSeeds1To2500) { ScansAgree(1, 2500); }
TEST_F(ReferenceSearchDifferential, ScanMakesTheStepByStepItemsSeeds2501To5000) { ScansAgree(2501, 5000); }
TEST_F(ReferenceSearchDifferential, ScanMakesTheStepByStepItemsSeeds5001To7500) { ScansAgree(5001, 7500); }
TEST_F(ReferenceSearchDifferential, ScanMakesTheStepByStepItemsSeeds7501To10000) { ScansAgree(7501, 10000); }

} // namespace
