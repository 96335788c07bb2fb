// The metadata scanner and the reference search passes over a 1 MB block
// of a 5000-tag map whose EoF position is 0x11600000, and the exhaustive
// search on a reduced range for comparison.
#include "bench/BenchSupport.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "metadata/ReferenceSearch.h"
#include "tagcontrols/ScanEngine.h"
#include "tests/support/ReferenceOracle.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <climits>
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

struct Fixture {
    std::vector<TagEntry> tags = std::vector<TagEntry>(kTags);
    CString block;

    Fixture()
    {
        // Whatever the bench writes stays out of the folder it is run from.
        EnterScratchFolder("travik-refbench");

        ResetMapState();
        FillTagClassTable();
        std::mt19937 rng(2024);
        for (int k = 0; k < kTags; ++k) {
            char id[16];
            std::snprintf(id, sizeof id, "%08x", ((0xE174u + static_cast<uint32_t>(k)) << 16) | static_cast<uint32_t>(k));
            tags[static_cast<size_t>(k)].m_strIdentifier = id;
            tags[static_cast<size_t>(k)].m_strClass1 = g_TagClasses[k % 79][0];
            tags[static_cast<size_t>(k)].m_strName = CString("levels\\bench\\tag_") + std::to_string(k).c_str();
        }
        block = MakeBlock(rng);
    }

    // Metadata-like content: zero runs, tag references, null references,
    // reflexives into the block, pointers elsewhere in the map, floats,
    // small numbers and noise.
    CString MakeBlock(std::mt19937& rng)
    {
        std::string s;
        s.reserve(kBlockSize + 64);
        auto put32 = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        auto putClass = [&](int row) {
            const std::string& code = g_TagClasses[row][0].Bytes();
            s.append(code.rbegin(), code.rend());
        };
        while (static_cast<int>(s.size()) < kBlockSize) {
            switch (rng() % 8) {
            case 0: s.append(4 * (1 + rng() % 16), '\0'); break;
            case 1:  // tag reference
                putClass(static_cast<int>(rng() % 79));
                put32(0);
                put32(0);
                put32(static_cast<uint32_t>(HexToIntOf(tags[rng() % kTags])));
                break;
            case 2:  // null reference
                putClass(static_cast<int>(rng() % 79));
                put32(0);
                put32(0);
                put32(0xFFFFFFFF);
                break;
            case 3:  // reflexive into the block
                put32(rng() % 40);
                put32(kMagic + kMetaOffset + static_cast<uint32_t>(rng() % kBlockSize));
                put32(0);
                break;
            case 4: put32(kMagic + static_cast<uint32_t>(rng() % kEof)); break;  // pointer into the map
            case 5: put32(std::bit_cast<uint32_t>(static_cast<float>(rng() % 10000) / 100.0f)); break;
            case 6: put32(rng() % 64); break;
            default: put32(static_cast<uint32_t>(rng())); break;
            }
        }
        s.resize(kBlockSize);
        for (char& c : s)
            if (c == '\0') c = 'x';
        return CString(s);
    }

    static uint32_t HexToIntOf(const TagEntry& tag) { return static_cast<uint32_t>(std::stoul(tag.m_strIdentifier.GetString(), nullptr, 16)); }

    ScanParameters Parameters(int32_t itemLimit) const
    {
        ScanParameters in;
        in.tags = tags.data();
        in.tagCount = kTags;
        in.magic = kMagic;
        in.metaOffset = kMetaOffset;
        in.eofPosition = kEof;
        in.switches = {true, true, true, true, true, true};
        in.floatPrecision = 0.01f;
        in.itemLimit = itemLimit;
        return in;
    }
};

const Fixture& Data()
{
    static const Fixture fixture;
    return fixture;
}

HitSink Count(size_t& hits)
{
    return [&hits](const ReferenceHit&) {
        ++hits;
        return true;
    };
}

void WholeScan(benchmark::State& state)
{
    const Fixture& f = Data();
    const ScanParameters in = f.Parameters(static_cast<int32_t>(state.range(0)));
    size_t items = 0;
    for (auto _ : state) items = RunMetadataScan(f.block, in).items.size();
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(WholeScan)->Arg(kMaxScanRecords)->Arg(INT_MAX)->Unit(benchmark::kMillisecond);

void IdentifierPassAlone(benchmark::State& state)
{
    const Fixture& f = Data();
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        int32_t P = 0;
        IdentifierPass(f.block, f.tags.data(), kTags, P, Count(hits));
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(IdentifierPassAlone)->Unit(benchmark::kMillisecond);

void NullReferencePassAlone(benchmark::State& state)
{
    const Fixture& f = Data();
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        int32_t P = -1;
        NullReferencePass(f.block, P, Count(hits));
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(NullReferencePassAlone)->Unit(benchmark::kMillisecond);

void FloatPhaseAlone(benchmark::State& state)
{
    const Fixture& f = Data();
    std::vector<uint32_t> values;
    for (float v = 0.01f; v <= 100.0f; v = v + 0.01f) values.push_back(std::bit_cast<uint32_t>(v));
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        int32_t P = -1;
        SearchValueList(f.block, values, P, [&](size_t, int32_t) { return ++hits, true; });
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(FloatPhaseAlone)->Unit(benchmark::kMillisecond);

void PointerPhaseAlone(benchmark::State& state)
{
    const Fixture& f = Data();
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        int32_t P = 0;
        PointerSearch(f.block, 0, kEof, kMagic, 0, P, Count(hits));
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(PointerPhaseAlone)->Unit(benchmark::kMillisecond);

void SelfPointerPassAlone(benchmark::State& state)
{
    const Fixture& f = Data();
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        int32_t P = 0;
        SelfPointerPass(f.block, kMetaOffset, kMagic, P, Count(hits));
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(SelfPointerPassAlone)->Unit(benchmark::kMillisecond);

void ShortPhaseAlone(benchmark::State& state)
{
    const Fixture& f = Data();
    std::vector<uint32_t> values;
    for (uint32_t j = 1; j <= 100; ++j) values.push_back(j);
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        int32_t P = 0;
        SearchValueList(f.block, values, P, [&](size_t, int32_t) { return ++hits, true; });
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(ShortPhaseAlone)->Unit(benchmark::kMillisecond);

// The exhaustive search against the fast one on the same reduced work: the
// pointer search over the first 256 addresses of the block's own range.
void SelfPointerReducedRange(benchmark::State& state)
{
    const Fixture& f = Data();
    const bool exhaustive = state.range(0) != 0;
    size_t hits = 0;
    for (auto _ : state) {
        int32_t P = 0;
        if (exhaustive) {
            hits = travik::test::oracle::PointerSearch(f.block, kMetaOffset, kMetaOffset + 255, kMagic, kMetaOffset, P).size();
        } else {
            hits = 0;
            PointerSearch(f.block, kMetaOffset, kMetaOffset + 255, kMagic, kMetaOffset, P, Count(hits));
        }
    }
    state.counters["hits"] = static_cast<double>(hits);
    state.SetLabel(exhaustive ? "exhaustive" : "fast");
}
BENCHMARK(SelfPointerReducedRange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The identifier pass over the first 100 tags.
void IdentifierPassReducedTags(benchmark::State& state)
{
    const Fixture& f = Data();
    const bool exhaustive = state.range(0) != 0;
    size_t hits = 0;
    for (auto _ : state) {
        int32_t P = 0;
        if (exhaustive) {
            hits = travik::test::oracle::IdentifierPass(f.block, f.tags.data(), 100, P).size();
        } else {
            hits = 0;
            IdentifierPass(f.block, f.tags.data(), 100, P, Count(hits));
        }
    }
    state.counters["hits"] = static_cast<double>(hits);
    state.SetLabel(exhaustive ? "exhaustive" : "fast");
}
BENCHMARK(IdentifierPassReducedTags)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole scan, all six phases, of the block's first 4 KB with an EoF
// position of 0x4000.
void WholeScanReducedRange(benchmark::State& state)
{
    const Fixture& f = Data();
    const bool exhaustive = state.range(0) != 0;
    const CString block = f.block.Left(4096);
    ScanParameters in = f.Parameters(INT_MAX);
    in.eofPosition = 0x4000;
    size_t items = 0;
    for (auto _ : state)
        items = exhaustive ? travik::test::oracle::Scan(block, in).size() : RunMetadataScan(block, in).items.size();
    state.counters["items"] = static_cast<double>(items);
    state.SetLabel(exhaustive ? "exhaustive" : "fast");
}
BENCHMARK(WholeScanReducedRange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
