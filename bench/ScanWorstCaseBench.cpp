// The scanner on blocks a file can choose: a block whose words all fall
// into one run of slots of a multiplicative hash (the golden-ratio
// multiplier, top bits as the slot: the lookup structure the fast search
// once used), tags whose identifiers do the same, and a broken map (EoF
// position 0xFFFFFFFF, magic 0) whose pointer range holds every value.
#include "bench/BenchSupport.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "metadata/ReferenceSearch.h"
#include "tagcontrols/ScanEngine.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

namespace {

constexpr uint32_t kMagic = 0x803A57DC;
constexpr uint32_t kMetaOffset = 0x00A40000;
constexpr uint32_t kEof = 0x11600000;
constexpr int kBlockSize = 1000000;
constexpr int kTags = 5000;

void EnterScratchDirectory()
{
    // Whatever the bench writes stays out of the folder it is run from.
    EnterScratchFolder("travik-worstbench");
}

// Four-byte words in [lo, hi] whose key (length 4 in the high half, the
// word in the low half) multiplied by the golden-ratio constant has its
// top slotBits bits below window. Their three low bytes stay below 0x80
// and avoid 0x00 and 0x78, so the words overlapping two of them fall
// outside [lo, hi] and no byte reads as zero.
std::vector<uint32_t> CollidingWords(uint32_t lo, uint32_t hi, size_t want, int slotBits, uint64_t window)
{
    std::vector<uint32_t> words;
    for (uint64_t b3 = lo >> 24; b3 <= hi >> 24; ++b3)
        for (uint32_t b2 = 1; b2 < 0x80; ++b2)
            for (uint32_t b1 = 1; b1 < 0x80; ++b1)
                for (uint32_t b0 = 1; b0 < 0x80; ++b0) {
                    if (b0 == 0x78 || b1 == 0x78 || b2 == 0x78) continue;
                    const uint32_t w = static_cast<uint32_t>(b3 << 24) | b2 << 16 | b1 << 8 | b0;
                    if (w < lo || w > hi) continue;
                    const uint64_t key = (uint64_t{4} << 32) | w;
                    if ((key * 0x9E3779B97F4A7C15ull) >> (64 - slotBits) >= window) continue;
                    words.push_back(w);
                    if (words.size() == want) return words;
                }
    return words;
}

std::vector<TagEntry> MakeTags(const std::vector<uint32_t>& identifiers)
{
    std::vector<TagEntry> tags(kTags);
    for (int k = 0; k < kTags; ++k) {
        char id[16];
        const uint32_t value = static_cast<size_t>(k) < identifiers.size()
                                   ? identifiers[static_cast<size_t>(k)]
                                   : ((0xE174u + static_cast<uint32_t>(k)) << 16) | static_cast<uint32_t>(k);
        std::snprintf(id, sizeof id, "%08x", value);
        tags[static_cast<size_t>(k)].m_strIdentifier = id;
        tags[static_cast<size_t>(k)].m_strClass1 = g_TagClasses[k % 79][0];
        tags[static_cast<size_t>(k)].m_strName = CString("levels\\bench\\tag_") + std::to_string(k).c_str();
    }
    return tags;
}

CString BlockOfWords(const std::vector<uint32_t>& words)
{
    std::string s;
    s.reserve(kBlockSize);
    for (size_t i = 0; s.size() < static_cast<size_t>(kBlockSize); ++i)
        for (int b = 0; b < 4; ++b) s += static_cast<char>((words[i % words.size()] >> (8 * b)) & 0xFF);
    s.resize(kBlockSize);
    return CString(s);
}

struct Colliding {
    std::vector<TagEntry> tags;
    CString block;

    Colliding()
    {
        EnterScratchDirectory();
        ResetMapState();
        FillTagClassTable();
        // 250,000 block words in the first 8192 slots of a 2^19-slot table
        // (where a table sized for them ends up), and 5000 identifiers more.
        std::vector<uint32_t> words = CollidingWords(kMagic, kMagic + kEof, kBlockSize / 4 + kTags, 19, 8192);
        std::vector<uint32_t> identifiers(words.end() - kTags, words.end());
        words.resize(words.size() - kTags);
        tags = MakeTags(identifiers);
        block = BlockOfWords(words);
    }
};

const Colliding& CollidingData()
{
    static const Colliding data;
    return data;
}

// Metadata-like bytes (as the typical benchmark's block, reduced to what
// matters here): zero runs, references, pointers, floats, small numbers.
struct Broken {
    std::vector<TagEntry> tags;
    CString typical;   // references, pointers, floats and noise
    CString sparse;    // few references: the pointer phase is reached
    CString zeros;     // all zero bytes: every phase's worst fan-out

    Broken()
    {
        EnterScratchDirectory();
        ResetMapState();
        FillTagClassTable();
        tags = MakeTags({});
        std::mt19937 rng(77);
        typical = Make(rng, 8);
        sparse = Make(rng, 64);
        zeros = CString(std::string(kBlockSize, 'x'));
    }

    CString Make(std::mt19937& rng, uint32_t spread) const
    {
        std::string s;
        s.reserve(kBlockSize + 64);
        auto put32 = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        while (static_cast<int>(s.size()) < kBlockSize) {
            const uint32_t pick = rng() % spread;
            switch (pick) {
            case 0: s.append(4 * (1 + rng() % 16), '\0'); break;
            case 1:
                put32(static_cast<uint32_t>(std::stoul(tags[rng() % kTags].m_strIdentifier.GetString(), nullptr, 16)));
                break;
            case 2: put32(0xFFFFFFFF); break;
            case 3: put32(kMetaOffset + static_cast<uint32_t>(rng() % kBlockSize)); break;
            case 4: put32(std::bit_cast<uint32_t>(static_cast<float>(rng() % 10000) / 100.0f)); break;
            case 5: put32(rng() % 64); break;
            default: put32(static_cast<uint32_t>(rng()) | 0x01010101u); break;
            }
        }
        s.resize(kBlockSize);
        for (char& c : s)
            if (c == '\0') c = 'x';
        return CString(s);
    }
};

const Broken& BrokenData()
{
    static const Broken data;
    return data;
}

ScanParameters Parameters(const std::vector<TagEntry>& tags, uint32_t magic, uint32_t eof)
{
    ScanParameters in;
    in.tags = tags.data();
    in.tagCount = kTags;
    in.magic = magic;
    in.metaOffset = kMetaOffset;
    in.eofPosition = eof;
    in.switches = {true, true, true, true, true, true};
    in.floatPrecision = 0.01f;
    in.itemLimit = kMaxScanRecords;
    return in;
}

// The whole scan, every box on, of the colliding block with the colliding
// identifiers.
void ScanOfCollidingBlock(benchmark::State& state)
{
    const Colliding& c = CollidingData();
    const ScanParameters in = Parameters(c.tags, kMagic, kEof);
    size_t items = 0;
    for (auto _ : state) items = RunMetadataScan(c.block, in).items.size();
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(ScanOfCollidingBlock)->Unit(benchmark::kMillisecond)->Iterations(3);

void PointerSearchOfCollidingBlock(benchmark::State& state)
{
    const Colliding& c = CollidingData();
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        int32_t P = 0;
        PointerSearch(c.block, 0, kEof, kMagic, 0, P, [&](const ReferenceHit&) { return ++hits, true; });
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(PointerSearchOfCollidingBlock)->Unit(benchmark::kMillisecond)->Iterations(3);

void IdentifierPassOfCollidingBlock(benchmark::State& state)
{
    const Colliding& c = CollidingData();
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        int32_t P = 0;
        IdentifierPass(c.block, c.tags.data(), kTags, P, [&](const ReferenceHit&) { return ++hits, true; });
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(IdentifierPassOfCollidingBlock)->Unit(benchmark::kMillisecond)->Iterations(3);

// A broken map: EoF position 0xFFFFFFFF and magic 0, every box on. Arg:
// 0 typical block, 1 sparse block, 2 all zero bytes; the second arg 1 runs
// the pointer box alone.
void ScanOfBrokenMap(benchmark::State& state)
{
    const Broken& b = BrokenData();
    const CString& block = state.range(0) == 0 ? b.typical : state.range(0) == 1 ? b.sparse : b.zeros;
    ScanParameters in = Parameters(b.tags, 0, 0xFFFFFFFFu);
    if (state.range(1) != 0) in.switches = {false, false, false, true, false, false};
    size_t items = 0;
    for (auto _ : state) items = RunMetadataScan(block, in).items.size();
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(ScanOfBrokenMap)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);

// The pointer search of a broken map to its end (no item limit): every
// value, every hit. Arg as above.
void PointerSearchOfBrokenMapToTheEnd(benchmark::State& state)
{
    const Broken& b = BrokenData();
    const CString& block = state.range(0) == 0 ? b.typical : state.range(0) == 1 ? b.sparse : b.zeros;
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        int32_t P = 0;
        PointerSearch(block, 0, 0xFFFFFFFFu, 0, 0, P, [&](const ReferenceHit&) { return ++hits, true; });
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(PointerSearchOfBrokenMapToTheEnd)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
