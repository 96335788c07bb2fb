#include "directinject/DirectInject.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapWrite.h"
#include "metadata/DataFile.h"
#include "metadata/ReferenceSearch.h"
#include "metadata/WorkingMetadata.h"
#include "platform/FileReplacement.h"
#include "platform/ScratchFolder.h"

#include <algorithm>
#include <string>

int FindTagByItem(const TagEntry* tags, const IndexHeaderInfo& header, HTREEITEM item)
{
    if (item == nullptr) return -1;
    const int count = LoadedTagCount(header);
    for (int i = 0; i < count; ++i)
        if (tags[i].m_hItem2 == item) return i;
    return -1;
}

const char* const kTempDataFileName = "Temp.data";

namespace {
// Identifiers that differ give at most one hit per position of a block, so
// an identifier pass with more hits than the block has bytes meets tags
// that share identifiers, whose hits multiply; it is stopped there.
size_t MaxIdentifierHits(const CString& block) { return static_cast<size_t>(block.GetLength()); }

CString SizeRefusal(int32_t size, const char* what)
{
    return CString("The metadata size of ") + what + " (" + IntToDecText(size) + " bytes) is outside 0 to " +
           IntToDecText(kWorkingMetadataSize) + " bytes.";
}

// Distinct identifiers give at most one hit per position of a block; only
// a table whose tags share identifiers can multiply them.
bool HasSharedIdentifiers(const TagEntry* tags, const IndexHeaderInfo& header)
{
    std::vector<std::string> keys;
    const int count = LoadedTagCount(header);
    keys.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) keys.push_back(IdentifierKey(tags[i]).Bytes());
    std::sort(keys.begin(), keys.end());
    return std::adjacent_find(keys.begin(), keys.end()) != keys.end();
}

bool TooManyIdentifierHits(const CString& block, const TagEntry* tags, const IndexHeaderInfo& header)
{
    if (!HasSharedIdentifiers(tags, header)) return false;
    int32_t P = 0;
    size_t hits = 0;
    const size_t limit = MaxIdentifierHits(block);
    IdentifierPass(block, tags, header.m_nTagCount, P, [&](const ReferenceHit&) { return ++hits <= limit; });
    return hits > limit;
}

CString TooManyHitsText()
{
    return "Tags of the second map share identifiers: this tag's metadata gives more identifier finds than it "
           "has bytes.";
}

const char* const kNothingInjected = " Nothing was injected.";

CString NotWrittenText(int64_t count)
{
    CString text;
    text.Format(count == 1 ? "%lld reference of the source tag was not re-pointed: the name or class of the tag it "
                             "names cannot be read back from the data file."
                           : "%lld references of the source tag were not re-pointed: the names or classes of the "
                             "tags they name cannot be read back from the data file.",
                static_cast<long long>(count));
    return text;
}
} // namespace

ReferenceList SourceReferenceList(int sourceTag)
{
    ReferenceList list;
    const TagEntry& tag = g_InputTags[sourceTag];
    const WorkingMetadata meta = ReadWorkingMetadata(g_InputMapFile, HexToInt(tag.m_strMetaOffset), tag.m_nMetaSize);
    if (meta.status == MetadataReadStatus::SizeOutOfRange) {
        list.message = SizeRefusal(tag.m_nMetaSize, "this tag") + " Its references are not listed.";
        return list;
    }
    if (meta.status == MetadataReadStatus::ReadError) {
        list.message = FileReadFailedText(g_strInputMapFileName) + " Its references are not listed.";
        return list;
    }
    // A short read lists what the bytes read hold.
    int32_t P = 0;
    size_t hits = 0;
    const size_t limit = MaxIdentifierHits(meta.block);
    IdentifierPass(meta.block, g_InputTags, g_InputIndexHeader.m_nTagCount, P, [&](const ReferenceHit& hit) {
        if (++hits > limit) return false;
        const TagEntry& found = g_InputTags[hit.tag];
        if (hit.kind == HitKind::Dependency)
            list.texts.push_back("Dependency -- " + hit.classCode + " -- " + found.m_strName);
        else
            list.texts.push_back("LoneID -- " + found.m_strClass1 + " -- " + found.m_strName);
        return true;
    });
    if (hits > limit) {
        list.texts.clear();
        list.message = TooManyHitsText() + " Its references are not listed.";
        return list;
    }
    // The list keeps its items sorted as it takes them; sorting them first
    // the same way (stable, so equal texts keep their order) lets each one
    // go to the end instead of moving the rest.
    std::stable_sort(list.texts.begin(), list.texts.end(),
                     [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });
    return list;
}

void DirectInjectTag(int source, int target, const MessageSink& tell)
{
    const TagEntry& from = g_InputTags[source];
    const TagEntry& into = g_Tags[target];
    const int32_t sourceSize = from.m_nMetaSize;
    if (into.m_nMetaSize < sourceSize) {
        tell("Not enough space to inject.");
        return;
    }
    if (sourceSize < 0 || sourceSize > kWorkingMetadataSize) {
        tell(SizeRefusal(sourceSize, "the source tag") + kNothingInjected);
        return;
    }
    const uint32_t sourceOffset = HexToInt(from.m_strMetaOffset);
    const uint32_t targetOffset = HexToInt(into.m_strMetaOffset);
    if (static_cast<int64_t>(targetOffset) + sourceSize > g_MapFile.FileSize()) {
        tell("The target tag's metadata runs past the end of the map file '" + g_strMapFileName + "'." +
             kNothingInjected);
        return;
    }

    // The source is read whole before anything is written: a refusal leaves
    // "Temp.data" and the map as they were. The second map may be the very
    // file open as the map; its reads go to the file, never to a buffer
    // filled before an earlier inject wrote there.
    if (!MapIsStillTheOpenedFile()) {
        tell(MapReplacedMessage());
        return;
    }
    WorkingMetadata meta = ReadWorkingMetadata(g_InputMapFile, sourceOffset, sourceSize);
    if (meta.status == MetadataReadStatus::ReadError) {
        tell(FileReadFailedText(g_strInputMapFileName) + kNothingInjected);
        return;
    }
    if (meta.status != MetadataReadStatus::Complete) {
        tell("The second map '" + g_strInputMapFileName + "' ends before the source tag's metadata does (" +
             IntToDecText(meta.bytesRead) + " of " + IntToDecText(sourceSize) + " bytes read)." + kNothingInjected);
        return;
    }
    if (TooManyIdentifierHits(meta.block, g_InputTags, g_InputIndexHeader)) {
        tell(TooManyHitsText() + kNothingInjected);
        return;
    }

    const CString dataFile = ScratchFilePath(kTempDataFileName);
    // Emptying the scratch file must never empty a file the editor holds.
    CString heldName;
    if (CFileStream::IsHeldOpen(dataFile, &heldName)) {
        tell(HeldOpenText(dataFile, heldName) + kNothingInjected);
        return;
    }
    if (!StartDataFile(dataFile)) {
        CloseDataFile();
        tell("The data file '" + dataFile + "' could not be emptied or opened." + kNothingInjected);
        return;
    }
    const RecordSource records {g_InputTags, g_InputIndexHeader.m_nTagCount, HexToInt(g_strInputMagic), sourceOffset};
    // A record left out because it would not read back whole keeps the
    // second map's identifier in the injected bytes.
    const RecordWriteResult written = WriteDataFileRecords(g_DataFile, meta.raw, records);
    if (!CloseDataFile() || !written.ok) {
        tell("The data file '" + dataFile + "' could not be written." + kNothingInjected);
        return;
    }
    // The identifier check above keeps the records under the writer's
    // limit; should they reach it all the same, a part of the references
    // would be re-pointed and the rest not.
    if (!written.complete) {
        tell("The data file '" + dataFile + "' could not hold every reference of the source tag." +
             kNothingInjected);
        return;
    }

    OpenDataFile(dataFile);
    if (!g_DataFile.IsOpen()) {
        CloseDataFile();
        tell("The data file '" + dataFile + "' could not be opened again to read it." + kNothingInjected);
        return;
    }
    const InjectTarget targetMap {g_Tags, g_IndexHeader.m_nTagCount, &g_MapFile, HexToInt(g_strMagic), targetOffset};
    std::string& bytes = meta.raw;
    int64_t unknown = 0;
    std::vector<CString> unknownMessages;
    const int64_t mapErrors = g_MapFile.ReadErrorCount();
    const ApplySummary summary = ApplyDataFileRecords(g_DataFile, bytes, targetMap, [&](const CString& field) {
        if (++unknown <= kUnknownObjectMessageLimit) unknownMessages.push_back(UnknownObjectMessage(field));
    });
    // Records after a failed read were never applied: the source's
    // identifiers would go into the map as if they were the target's.
    const bool dataReadFailed = g_DataFile.ReadError();
    CloseDataFile();
    if (dataReadFailed) {
        tell(FileReadFailedText(dataFile) + kNothingInjected);
        return;
    }
    if (g_MapFile.ReadErrorCount() != mapErrors) {
        tell(FileReadFailedText(g_strMapFileName) + kNothingInjected);
        return;
    }
    for (const CString& text : unknownMessages) tell(text);
    if (unknown > kUnknownObjectMessageLimit) tell(FurtherUnknownObjectsMessage(unknown - kUnknownObjectMessageLimit));
    for (const CString& problem : ApplyProblemMessages(summary)) tell(problem);
    if (written.notWritten > 0) tell(NotWrittenText(written.notWritten));

    if (!WriteMapBytesAt(targetOffset, bytes) || !g_MapFile.Sync()) {
        tell(MapWriteFailedMessage());
        return;
    }
    tell("Direct inject completed successfully.");
}
