#include "tests/support/MetadataInjectInput.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapLoad.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "tagcontrols/DataFile.h"
#include "tagcontrols/MetadataFiles.h"
#include "tests/support/MapBuilder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace travik::test {

namespace {
// Four tags whose blocks hold references to each other; tag 3 is large
// enough to take most injected blocks.
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

void WriteFile(const char* name, const std::string& bytes)
{
    FILE* file = std::fopen(name, "wb");
    if (file == nullptr) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string ReadFile(const char* name)
{
    std::string bytes;
    if (FILE* file = std::fopen(name, "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
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

std::string MetadataInjectInput(bool correct, int targetTag, const std::string& dataFile, const std::string& metaFile)
{
    std::string input;
    input += static_cast<char>((correct ? 1 : 0) | (targetTag & 3) << 1);
    input += static_cast<char>(dataFile.size() & 0xFF);
    input += static_cast<char>(dataFile.size() >> 8 & 0xFF);
    return input + dataFile + metaFile;
}

void RunMetadataInjectInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const bool correct = size > 0 && (data[0] & 1);
    const int target = size > 0 ? (data[0] >> 1) & 3 : 0;
    const size_t n = size >= 3 ? std::min<size_t>(size - 3, data[1] | size_t(data[2]) << 8) : 0;
    const std::string dataFile = size >= 3 ? input.substr(3, n) : std::string();
    const std::string metaFile = size >= 3 ? input.substr(3 + n) : std::string();

    ResetMapState();
    FillTagClassTable();
    MapLayout layout;
    const std::string map = SmallMap(layout);
    WriteFile("fuzz.map", map);
    WriteFile("f.meta", metaFile);
    WriteFile("f.meta.data", dataFile);
    g_strMapFileName = "fuzz.map";
    OpenMapFile();
    ReadOpenMapAndIndex(nullptr);
    const MessageSink quiet = [](const CString&) {};

    // Only the injected block may change, and the map never grows.
    const bool written = InjectMetadataPair("f.meta", target, correct, quiet);
    const std::string after = ReadFile("fuzz.map");
    Require(after.size() == map.size(), "the map changed its length");
    const size_t o = layout.metaOffsets[static_cast<size_t>(target)];
    const size_t t = static_cast<size_t>(layout.LoadedMetaSize(static_cast<size_t>(target)));
    Require(after.substr(0, o) == map.substr(0, o), "bytes before the target changed");
    Require(after.substr(o + t) == map.substr(o + t), "bytes after the target changed");
    Require(written || after == map, "a refused inject wrote the map");
    Require(!g_MetaFile.IsOpen() && !g_DataFile.IsOpen(), "a file was left open");

    // The same file read as a scratch record file, without a header.
    std::string block(64, '\x78');
    OpenDataFile("f.meta.data");
    const InjectTarget into{g_Tags, LoadedTagCount(g_IndexHeader), &g_MapFile, 0x80000000u, 0x1000u};
    ApplyDataFileRecords(g_DataFile, block, into, {});
    CloseDataFile();
    Require(block.size() == 64, "a record changed the block's length");

    // What the writer writes, the reader takes back record for record, and
    // applied over the same tag each record gives back the bytes it came
    // from (an identifier up to a 0x00 read for a 0x78, which the search
    // cannot tell apart).
    Require(SaveMetadataPair("s.meta", target, quiet), "saving the target failed");
    OpenDataFile("s.meta.data");
    Require(ReadDataFileHeader(g_DataFile).status == DataFileHeaderStatus::Complete, "the saved header");
    const std::string saved = ReadFile("s.meta");
    std::string raw = saved;
    RecordApplier applier({g_Tags, LoadedTagCount(g_IndexHeader), &g_MapFile, HexToInt(g_strMagic),
                           static_cast<uint32_t>(o)});
    DataFileRecordReader reader(g_DataFile);
    for (DataFileRecordReader::Step step; (step = reader.Next()) != DataFileRecordReader::Step::End;) {
        Require(step == DataFileRecordReader::Step::Record, "a saved record did not read back");
        const DataFileRecord& record = reader.Record();
        Require(applier.Apply(record, raw) == ApplyOutcome::Applied, "a saved record was not applied");
        const size_t p = static_cast<size_t>(record.offset);
        for (size_t i = p; i < p + 4; ++i) {
            const bool same = raw[i] == saved[i];
            const bool zeroFor78 = record.kind != DataRecordKind::Reflexive && !IsNullReferenceRecord(record) &&
                                   (raw[i] == '\0' || raw[i] == '\x78') && (saved[i] == '\0' || saved[i] == '\x78');
            Require(same || zeroFor78, "a saved record did not give back its bytes");
        }
    }
    CloseDataFile();
    CloseMapFile();
}

} // namespace travik::test
