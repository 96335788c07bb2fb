// Save Metadata and corrected Inject Metadata of a 1,000,000-byte tag with
// many references in a map of 5000 tags: both files written, then read back
// and applied over the same tag.
#include "bench/BenchSupport.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "tagcontrols/MetadataFiles.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

namespace {
using namespace travik::test;

constexpr int kTags = 5000;
constexpr uint32_t kSize = 1000000;
constexpr int kTag = 2345;

const char* const kClasses[] = {"bitm", "obje", "unit", "weap", "snd!", "shdr", "mod2", "scnr", "effe", "vehi"};

// Tag kTag refers to tags all over the map (about 10000 identifiers) and
// holds about 2000 null references and 4000 reflexives into itself.
void WriteMap()
{
    std::mt19937 rng(11);
    MapBuilder map = MapBuilder::Xbox();
    for (int i = 0; i < kTags; ++i) {
        TagSpec& tag = map.AddTag(kClasses[i % 10], "levels\\bench\\tag_" + std::to_string(i)).MetaSize(16);
        if (i != kTag) continue;
        tag.MetaSize(kSize - 256);  // room for the layout to move the next block
        for (uint32_t at = 16; at + 64 <= kSize - 256; at += 64) {
            const uint32_t kind = rng() % 8;
            if (kind < 4) tag.TagRef(at, kClasses[rng() % 10], static_cast<int>(rng() % kTags));
            else if (kind == 4) tag.IdRef(at + 8, static_cast<int>(rng() % kTags));
            else if (kind == 5) tag.NullRef(at, kClasses[rng() % 10]);
            else tag.Reflexive(at + 4, rng() % 50, static_cast<uint32_t>(rng() % (kSize - 256)));
        }
    }
    map.Write("bench.map");
}

void OpenMap()
{
    static bool written = false;
    EnterScratchFolder("travik-metabench");
    if (!written) {
        written = true;
        WriteMap();
    }
    OpenAndLoadMap("bench.map");
}

void SaveMetadataOfAOneMegabyteTag(benchmark::State& state)
{
    OpenMap();
    CString last;
    for (auto _ : state) SaveMetadataPair("bench.meta", kTag, [&](const CString& text) { last = text; });
    if (last != "Metadata saved successfully.") state.SkipWithError(last.GetString());
    const std::string data = ReadFileBytes("bench.meta.data");
    state.counters["records"] = static_cast<double>(std::count(data.begin(), data.end(), '\n') - 7);
    state.counters["bytes"] = g_Tags[kTag].m_nMetaSize;
    ResetMapState();
}
BENCHMARK(SaveMetadataOfAOneMegabyteTag)->Unit(benchmark::kMillisecond);

void CorrectedInjectOfAOneMegabyteTag(benchmark::State& state)
{
    OpenMap();
    SaveMetadataPair("bench.meta", kTag, [](const CString&) {});
    CString last;
    for (auto _ : state) InjectMetadataPair("bench.meta", kTag, true, [&](const CString& text) { last = text; });
    if (last != "Inject completed successfully.") state.SkipWithError(last.GetString());
    state.counters["bytes"] = g_Tags[kTag].m_nMetaSize;
    ResetMapState();
}
BENCHMARK(CorrectedInjectOfAOneMegabyteTag)->Unit(benchmark::kMillisecond);

} // namespace
