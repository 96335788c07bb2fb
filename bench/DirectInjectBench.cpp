// The Direct Injection dialog's reference list and Direct inject of a
// 1,000,000-byte source tag with many references, between two maps of
// 5000 tags each ("Temp.data" written and read back, the map written).
#include "bench/BenchSupport.h"
#include "directinject/DirectInject.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "platform/Controls.h"
#include "platform/ScratchFolder.h"
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
constexpr uint32_t kSourceSize = 1000000;
constexpr int kSource = 1234;
constexpr int kTarget = 4321;

const char* const kClasses[] = {"bitm", "obje", "unit", "weap", "snd!", "shdr", "mod2", "scnr", "effe", "vehi"};

// Both maps hold the same names; the second map's tag kSource refers to
// tags all over the map (about 30000 identifiers), holds null references
// and 10000 reflexives into itself.
void WriteMaps()
{
    std::mt19937 rng(7);
    MapBuilder second = MapBuilder::Pc();
    MapBuilder open = MapBuilder::Xbox();
    for (int i = 0; i < kTags; ++i) {
        const std::string name = "levels\\bench\\tag_" + std::to_string(i);
        TagSpec& from = second.AddTag(kClasses[i % 10], name).MetaSize(16);
        TagSpec& into = open.AddTag(kClasses[(i + 1) % 10], name).MetaSize(16);
        into.Identifier(0xE2000000u + static_cast<uint32_t>(i) * 3 + 1);
        if (i == kSource) {
            from.MetaSize(kSourceSize - 256); // room for the layout to move the next block
            for (uint32_t at = 16; at + 64 <= kSourceSize; at += 64) {
                const uint32_t kind = rng() % 8;
                if (kind < 4) from.TagRef(at, kClasses[rng() % 10], static_cast<int>(rng() % kTags));
                else if (kind == 4) from.IdRef(at + 8, static_cast<int>(rng() % kTags));
                else if (kind == 5) from.NullRef(at, kClasses[rng() % 10]);
                else if (kind == 6) from.Reflexive(at + 4, rng() % 50, static_cast<uint32_t>(rng() % kSourceSize));
            }
        }
        if (i == kTarget) into.MetaSize(kSourceSize + 4096);
    }
    second.Write("second.map");
    open.Write("open.map");
}

void PrepareOnce()
{
    static bool done = false;
    EnterScratchFolder("travik-injectbench");
    if (done) return;
    done = true;
    WriteMaps();
}

// Opens both maps and reads them as the dialog's Open Map does.
void OpenBoth()
{
    PrepareOnce();
    ResetMapState();
    g_LogFile.Open("Log.txt", CFileStream::kLogFile);
    g_strMapFileName = "open.map";
    OpenMapFile();
    LoadOpenMap(nullptr);
    g_strInputMapFileName = "second.map";
    OpenInputMapFile();
    LoadInputMap(nullptr);
}

void ReferenceListOfAOneMegabyteTag(benchmark::State& state)
{
    OpenBoth();
    size_t items = 0;
    for (auto _ : state) {
        CListCtrl list;
        for (const CString& text : SourceReferenceList(kSource).texts) list.InsertItem(list.GetItemCount(), text);
        items = static_cast<size_t>(list.GetItemCount());
    }
    state.counters["items"] = static_cast<double>(items);
    state.counters["bytes"] = g_InputTags[kSource].m_nMetaSize;
    ResetMapState();
}
BENCHMARK(ReferenceListOfAOneMegabyteTag)->Unit(benchmark::kMillisecond);

void DirectInjectOfAOneMegabyteTag(benchmark::State& state)
{
    OpenBoth();
    CString last;
    for (auto _ : state) DirectInjectTag(kSource, kTarget, [&](const CString& text) { last = text; });
    if (last != "Direct inject completed successfully.") state.SkipWithError(last.GetString());
    const std::string records = ReadFileBytes(ScratchFilePath("Temp.data").Bytes());
    state.counters["records"] = static_cast<double>(std::count(records.begin(), records.end(), '\n'));
    state.counters["bytes"] = g_InputTags[kSource].m_nMetaSize;
    ResetMapState();
}
BENCHMARK(DirectInjectOfAOneMegabyteTag)->Unit(benchmark::kMillisecond);

} // namespace
