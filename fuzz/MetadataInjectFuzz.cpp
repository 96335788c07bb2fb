// Hostile metadata pairs against a small fixed map. An input is
//   byte 0: bit 0 set: corrected inject; bits 1-2: the target tag (0-3)
//   bytes 1-2: n, little-endian: the data file is the next n bytes (fewer
//   when the input ends first); the metadata file is the rest.
// Inject Metadata runs on the pair, the data file is applied again as a
// header-less record file, and then the target is saved and its data file
// applied over it. Aborts when an invariant breaks: a byte outside the
// injected block changed, the map grew, a refused inject wrote, a file was
// left open, or a saved record did not read back to the bytes it came from.
#include "fuzz/FuzzScratch.h"
#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapLoad.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "metadata/DataFile.h"
#include "tagcontrols/MetadataFiles.h"
#include "tests/support/MapBuilder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
using travik::test::MapBuilder;
using travik::test::MapLayout;

// Four tags whose blocks refer to each other (one name holds '|', one is
// "Nulled"); tag 3 is large enough to take most injected blocks.
const std::string& SmallMap(MapLayout& layout)
{
    static MapLayout built;
    static const std::string bytes = [] {
        MapBuilder map = MapBuilder::Xbox();
        map.AddTag("bitm", "a\\bitmap").MetaSize(32).IdRef(4, 1);
        map.AddTag("snd!", "a|sound").MetaSize(48).TagRef(8, "bitm", 0).NullRef(24, "weap").Pointer(40, 16);
        map.AddTag("weap", "Nulled").MetaSize(24).Pointer(4, 24);
        map.AddTag("weap", "big tag").MetaSize(600).TagRef(16, "snd!", 1).Reflexive(100, 3, 200);
        map.AddTag("bitm", "end").MetaSize(4);
        return map.Build(&built);
    }();
    layout = built;
    return bytes;
}

std::string ReadFile(const std::string& path)
{
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "metadata inject invariant broken: %s\n", what);
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const travik::fuzz::ScratchFolder& scratch = travik::fuzz::Scratch();
    const bool correct = size > 0 && (data[0] & 1);
    const int target = size > 0 ? (data[0] >> 1) & 3 : 0;
    const size_t n = size >= 3 ? std::min<size_t>(size - 3, data[1] | size_t(data[2]) << 8) : 0;
    const size_t metaStart = size >= 3 ? 3 + n : size;

    ResetMapLoadState();
    FillTagClassTable();
    MapLayout layout;
    const std::string& map = SmallMap(layout);
    const std::string mapPath = scratch.Write("fuzz.map", reinterpret_cast<const uint8_t*>(map.data()), map.size());
    const std::string meta = scratch.Write("f.meta", data + metaStart, size - metaStart);
    scratch.Write("f.meta.data", size >= 3 ? data + 3 : data, n);
    g_strMapFileName = mapPath.c_str();
    OpenMapFile();
    ReadOpenMapAndIndex(nullptr);
    const MessageSink quiet = [](const CString&) {};

    // Only the injected block may change, and the map never grows.
    const bool written = InjectMetadataPair(meta.c_str(), target, correct, quiet);
    const std::string after = ReadFile(mapPath);
    Require(after.size() == map.size(), "the map changed its length");
    const size_t o = layout.metaOffsets[static_cast<size_t>(target)];
    const size_t t = static_cast<size_t>(layout.LoadedMetaSize(static_cast<size_t>(target)));
    Require(after.compare(0, o, map, 0, o) == 0, "bytes before the target changed");
    Require(after.compare(o + t, std::string::npos, map, o + t, std::string::npos) == 0, "bytes after the target changed");
    Require(written || after == map, "a refused inject wrote the map");
    Require(!g_MetaFile.IsOpen() && !g_DataFile.IsOpen(), "a file was left open");

    // The same file read as a scratch record file, without a header.
    std::string block(64, '\x78');
    OpenDataFile((meta + ".data").c_str());
    const InjectTarget anywhere{g_Tags, LoadedTagCount(g_IndexHeader), &g_MapFile, 0x80000000u, 0x1000u};
    ApplyDataFileRecords(g_DataFile, block, anywhere, {});
    CloseDataFile();
    Require(block.size() == 64, "a record changed the block's length");

    // What the writer writes, the reader takes back record for record, and
    // applied over the same tag each record gives back the bytes it came
    // from (an identifier up to a 0x00 read for a 0x78, which the search
    // cannot tell apart).
    const std::string saved = scratch.PathOf("s.meta");
    Require(SaveMetadataPair(saved.c_str(), target, quiet), "saving the target failed");
    OpenDataFile((saved + ".data").c_str());
    Require(ReadDataFileHeader(g_DataFile).status == DataFileHeaderStatus::Complete, "the saved header");
    const std::string original = ReadFile(saved);
    std::string raw = original;
    RecordApplier applier(
        {g_Tags, LoadedTagCount(g_IndexHeader), &g_MapFile, HexToInt(g_strMagic), static_cast<uint32_t>(o)});
    DataFileRecordReader reader(g_DataFile);
    for (DataFileRecordReader::Step step; (step = reader.Next()) != DataFileRecordReader::Step::End;) {
        Require(step == DataFileRecordReader::Step::Record, "a saved record did not read back");
        const DataFileRecord& record = reader.Record();
        Require(applier.Apply(record, raw) == ApplyOutcome::Applied, "a saved record was not applied");
        const bool identifier = record.kind != DataRecordKind::Reflexive && !IsNullReferenceRecord(record);
        for (size_t i = static_cast<size_t>(record.offset); i < static_cast<size_t>(record.offset) + 4; ++i) {
            const bool zeroOr78 = (raw[i] == '\0' || raw[i] == '\x78') && (original[i] == '\0' || original[i] == '\x78');
            Require(raw[i] == original[i] || (identifier && zeroOr78), "a saved record did not give back its bytes");
        }
    }
    CloseDataFile();
    CloseMapFile();
    return 0;
}
