// The Tag Controls dialog, headless, on a 1,000,000-byte tag of a map of
// 5000 tags: Scan Metadata with every box on, end to end (the read, the
// scan, the tree items, the records, the controls shown again, the item
// limit's message), and Update Item re-pointing a Dependency of that tag.
#include "bench/BenchSupport.h"
#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapLoad.h"
#include "map/MapState.h"
#include "platform/Controls.h"
#include "platform/headless/HeadlessPresenter.h"
#include "res/ResourceIds.h"
#include "tagcontrols/TagInfo.h"
#include "tests/support/MapBuilder.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

namespace {
using namespace travik::test;

constexpr int kTags = 5000;
constexpr uint32_t kBlockSize = 1000000;
constexpr int kTag = 2500;
constexpr int kIterations = 30;

const char* const kClasses[] = {"bitm", "obje", "unit", "weap", "snd!", "shdr", "mod2", "scnr", "effe", "vehi"};

CString TagText(int k) { return g_Tags[k].m_strClass1 + " -- " + g_Tags[k].m_strName; }

// Tag kTag holds about 10000 tag references to tags all over the map,
// identifiers without a class, null references, reflexives into itself,
// floats and small numbers: far more than the scan lists.
void WriteMap()
{
    std::mt19937 rng(11);
    MapBuilder map = MapBuilder::Xbox();
    for (int i = 0; i < kTags; ++i) {
        TagSpec& tag = map.AddTag(kClasses[i % 10], "levels\\bench\\tag_" + std::to_string(i)).MetaSize(16);
        if (i != kTag) continue;
        tag.MetaSize(kBlockSize);
        for (uint32_t at = 16; at + 64 <= kBlockSize; at += 64) {
            switch (rng() % 8) {
            case 0:
            case 1:
            case 2: tag.TagRef(at, kClasses[rng() % 10], static_cast<int>(rng() % kTags)); break;
            case 3: tag.IdRef(at + 8, static_cast<int>(rng() % kTags)); break;
            case 4: tag.NullRef(at, kClasses[rng() % 10]); break;
            case 5: tag.Reflexive(at + 4, rng() % 50, static_cast<uint32_t>(rng() % kBlockSize)); break;
            case 6: tag.U32(at, std::bit_cast<uint32_t>(static_cast<float>(rng() % 10000) / 100.0f)); break;
            default: tag.U16(at, static_cast<uint16_t>(rng() % 100)); break;
            }
        }
    }
    map.Write("bench.map");
}

void OpenMap()
{
    static bool written = false;
    EnterScratchFolder("travik-tagbench");
    if (!written) {
        written = true;
        WriteMap();
    }
    OpenAndLoadMap("bench.map");
}

template <class T> T& Control(CDialog& d, int id) { return *dynamic_cast<T*>(d.GetDlgItem(id)); }

// Runs the dialog on tag kTag with every box on; look runs inside it. Each
// scan that passes the item limit says so in a message box, answered here.
void RunDialog(benchmark::State& state, int messages, const std::function<void(CDialog&)>& look)
{
    OpenMap();
    headless::HeadlessPresenter user;
    headless::ScopedPresenter active(user);
    user.ExpectDialog("Tag Controls")
        .Click(IDC_FIND_FLOATS)
        .Click(IDC_FIND_POINTERS)
        .Click(IDC_FIND_SHORTS)
        .Inspect(look)
        .Escape();
    for (int i = 0; i < messages; ++i) user.ExpectDialog("Message").Escape();
    CTagInfo dlg;
    dlg.SetTag(kTag);
    dlg.DoModal();
    if (!user.Problems().empty()) state.SkipWithError(user.Problems().c_str());
    state.counters["bytes"] = g_Tags[kTag].m_nMetaSize;
    ResetMapState();
}

void ScanMetadataInTheDialog(benchmark::State& state)
{
    size_t items = 0;
    RunDialog(state, kIterations, [&](CDialog& d) {
        CTreeCtrl& tree = Control<CTreeCtrl>(d, IDC_SCANNER_TREE);
        for (auto _ : state) {
            Control<CButton>(d, IDC_SCAN_METADATA).UserClick();
            state.PauseTiming();
            items = tree.GetCount();
            Control<CButton>(d, IDC_CLEAR_SCANNER).UserClick();
            state.ResumeTiming();
        }
    });
    state.counters["tree_items"] = static_cast<double>(items);
}
BENCHMARK(ScanMetadataInTheDialog)->Unit(benchmark::kMillisecond)->Iterations(kIterations);

// Each round scans and selects the first Dependency (not timed), then
// re-points it to one of two tags in turn with Update Item (timed).
void UpdateItemInTheDialog(benchmark::State& state)
{
    RunDialog(state, kIterations, [&](CDialog& d) {
        CTreeCtrl& tree = Control<CTreeCtrl>(d, IDC_SCANNER_TREE);
        int round = 0;
        int written = 0;
        for (auto _ : state) {
            state.PauseTiming();
            Control<CButton>(d, IDC_SCAN_METADATA).UserClick();
            HTREEITEM first = tree.GetChildItem(tree.GetRootItem());
            tree.UserSelect(first);
            const int target = round++ % 2 ? 17 : 4321;
            Control<CComboBox>(d, IDC_SCAN_TAG).UserType(TagText(target));
            int32_t offset = -1;
            for (const ScanRecord& record : g_ScanRecords)
                if (record.m_hItem == first) offset = record.m_nOffset;
            state.ResumeTiming();
            Control<CButton>(d, IDC_UPDATE_ITEM).UserClick();
            state.PauseTiming();
            std::string stored;
            g_MapFile.SeekRead(HexToInt(g_Tags[kTag].m_strMetaOffset) + static_cast<uint32_t>(offset));
            g_MapFile.Read(stored, 4);
            char id[16];
            std::snprintf(id, sizeof id, "%02x%02x%02x%02x", static_cast<unsigned char>(stored[3]),
                          static_cast<unsigned char>(stored[2]), static_cast<unsigned char>(stored[1]),
                          static_cast<unsigned char>(stored[0]));
            if (tree.GetCount() == 0 && g_Tags[target].m_strIdentifier == id) ++written;
            state.ResumeTiming();
        }
        state.counters["rounds_written"] = written;
    });
}
BENCHMARK(UpdateItemInTheDialog)->Unit(benchmark::kMillisecond)->Iterations(kIterations);

} // namespace
