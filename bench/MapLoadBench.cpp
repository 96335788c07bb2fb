// Opening a map and loading its index: the log entry written and the three
// class sets of the main tree built, as File > Open Mapfile does.
#include "bench/BenchSupport.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "platform/TreeCtrl.h"
#include "tests/support/MapBuilder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {
using namespace travik::test;

const char* const kClasses[] = {"bitm", "obje", "unit", "weap", "snd!", "shdr", "mod2", "scnr", "fog ", "DeLa"};

// A map of `entries` index entries with names and metadata; the file is
// written once per entry count into a scratch directory.
std::string MapFileFor(int entries)
{
    EnterScratchFolder("travik-bench");
    std::string name = "bench" + std::to_string(entries) + ".map";
    if (!std::filesystem::exists(name)) {
        MapBuilder map = MapBuilder::Xbox();
        map.MapName("bloodgulch");
        for (int i = 0; i < entries; ++i) {
            map.AddTag(kClasses[i % 10], "levels\\test\\bench\\tag_" + std::to_string(i), kClasses[(i + 3) % 10],
                       kClasses[(i + 7) % 10])
                .MetaSize(64);
        }
        map.Write(name);
    }
    return name;
}

void OpenAndLoad(benchmark::State& state)
{
    const std::string name = MapFileFor(static_cast<int>(state.range(0)));
    ResetMapState();
    size_t items = 0;
    for (auto _ : state) {
        CTreeCtrl tree;
        g_LogFile.Open("Log.txt", CFileStream::kLogFile);
        g_strMapFileName = name.c_str();
        OpenMapFile();
        LoadOpenMap(&tree);
        items = tree.GetCount();
        state.counters["tags"] = LoadedTagCount(g_IndexHeader);
        CloseMapFile();
        g_LogFile.Close();
    }
    state.SetComplexityN(state.range(0));
    state.counters["tree items"] = static_cast<double>(items);
}
} // namespace

BENCHMARK(OpenAndLoad)->Arg(500)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMillisecond)->Complexity();
// 65535 entries in the index, of which the table takes 5000.
BENCHMARK(OpenAndLoad)->Name("OpenAndLoad65535Entries")->Arg(65535)->Unit(benchmark::kMillisecond);
