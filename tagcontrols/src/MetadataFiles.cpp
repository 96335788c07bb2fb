#include "tagcontrols/MetadataFiles.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/MapWrite.h"
#include "messagebox/MessageDialog.h"
#include "metadata/DataFile.h"
#include "metadata/WorkingMetadata.h"
#include "platform/CommonDialogs.h"
#include "platform/FileReplacement.h"

#include <filesystem>
#include <system_error>
#include <utility>

const char* const kMetadataSavedMessage = "Metadata saved successfully.";
const char* const kInjectTooLargeMessage =
    "Meta being overwritten is smaller than meta being injected. Injection will not occur.";
const char* const kInjectUncorrectedDoneMessage = "Inject successfuly completed.";
const char* const kInjectCorrectedDoneMessage = "Inject completed successfully.";

namespace {
bool ValidTagIndex(int32_t tagIndex) { return tagIndex >= 0 && tagIndex < kMaxTags; }

CString Quoted(const CString& name) { return "'" + name + "'"; }

bool IsExistingFile(const CString& name)
{
    std::error_code error;
    const std::filesystem::path path(name.Bytes());
    return !name.IsEmpty() && std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error);
}

bool IsFolder(const CString& name)
{
    std::error_code error;
    return !name.IsEmpty() && std::filesystem::is_directory(std::filesystem::path(name.Bytes()), error);
}

const char* const kOlderPairKept = " Metadata was not saved; the files of that name are as they were.";

// Why a file of the pair could not take the place of the older one.
CString NotReplacedText(const char* what, const CFileReplacement& file)
{
    using Failure = CFileReplacement::Failure;
    const CString name = Quoted(file.Target());
    switch (file.LastFailure()) {
    case Failure::Folder: return CString("The ") + what + " " + name + " is a folder. Metadata was not saved.";
    case Failure::HeldOpen:
        return HeldOpenText(file.Target(), file.HeldFileName()) + " Metadata was not saved.";
    case Failure::Replace:
        return CString("The ") + what + " " + name + " could not be replaced (" + CString(file.ErrorText()) + ")." +
               kOlderPairKept;
    default:
        return CString("The ") + what + " " + name + " could not be written." + kOlderPairKept;
    }
}

// A line break in a header line would move line 7, the size.
bool HoldsLineBreak(const CString& text) { return text.Bytes().find('\n') != std::string::npos; }

CString SizeRefusedText(int32_t size)
{
    CString text;
    text.Format("The metadata size of this tag (%d bytes) is not between 0 and %d bytes. Metadata was not saved.",
                size, kWorkingMetadataSize);
    return text;
}

// Closes both files however the inject ends (no log entry, as for an inject).
struct InjectFiles {
    ~InjectFiles()
    {
        g_MetaFile.Close();
        g_DataFile.Close();
    }
};
} // namespace

void SaveMetadata(int32_t tagIndex)
{
    if (!ValidTagIndex(tagIndex)) return;
    const int32_t size = g_Tags[tagIndex].m_nMetaSize;
    if (size < 0 || size > kWorkingMetadataSize) {
        ShowMessage(SizeRefusedText(size));
        return;
    }
    CFileDialog chooser(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr, nullptr);
    if (chooser.DoModal() != IDOK) return;
    g_strMetaFileName = chooser.GetFileName();
    SaveMetadataPair(g_strMetaFileName, tagIndex, ShowMessage);
}

bool SaveMetadataPair(const CString& metaFileName, int32_t tagIndex, const MessageSink& tell)
{
    if (!ValidTagIndex(tagIndex)) return false;
    const TagEntry& tag = g_Tags[tagIndex];
    const CString dataFileName = metaFileName + ".data";
    const uint32_t metaOffset = HexToInt(tag.m_strMetaOffset);

    const WorkingMetadata metadata = ReadWorkingMetadata(g_MapFile, metaOffset, tag.m_nMetaSize);
    if (metadata.status == MetadataReadStatus::SizeOutOfRange) {
        tell(SizeRefusedText(tag.m_nMetaSize));
        return false;
    }
    if (metadata.status == MetadataReadStatus::ReadError) {
        tell(FileReadFailedText(g_strMapFileName) + " Metadata was not saved.");
        return false;
    }
    if (metadata.status == MetadataReadStatus::ShortRead) {
        CString text;
        text.Format("The map file '%s' ends after %d of this tag's %d metadata bytes. Metadata was not saved.",
                    g_strMapFileName.GetString(), metadata.bytesRead, tag.m_nMetaSize);
        tell(text);
        return false;
    }
    if (HoldsLineBreak(tag.m_strName) || HoldsLineBreak(tag.m_strClass1) || HoldsLineBreak(tag.m_strClass2) ||
        HoldsLineBreak(tag.m_strClass3)) {
        tell("The name or a class code of this tag holds a line break, which the data file cannot hold. Metadata "
             "was not saved.");
        return false;
    }
    for (const CString& name : {metaFileName, dataFileName}) {
        if (IsFolder(name)) {
            tell("The file " + Quoted(name) + " is a folder. Metadata was not saved.");
            return false;
        }
    }

    // Through a link the data file may be the metadata file itself.
    std::error_code linkError;
    if (std::filesystem::equivalent(std::filesystem::path(metaFileName.Bytes()),
                                    std::filesystem::path(dataFileName.Bytes()), linkError)) {
        tell("The data file " + Quoted(dataFileName) + " is the metadata file " + Quoted(metaFileName) +
             " under another name. Metadata was not saved.");
        return false;
    }

    // Both files are written beside the old pair and renamed over it only
    // when both are complete on disk: a failure leaves the old pair whole.
    CFileReplacement metaOut, dataOut;
    if (!metaOut.Begin(g_MetaFile, metaFileName, CFileStream::kWriteBinaryNew)) {
        tell(NotReplacedText("metadata file", metaOut));
        return false;
    }
    if (!g_MetaFile.Write(metadata.raw) || !metaOut.Finish()) {
        tell("The metadata file " + Quoted(metaFileName) + " could not be written." + kOlderPairKept);
        return false;
    }

    bool written = BeginDataFileReplacement(dataOut, dataFileName);
    if (!written) {
        CloseDataFile();
        tell(NotReplacedText("data file", dataOut));
        return false;
    }
    written = WriteDataFileHeader(g_DataFile, tag);
    RecordWriteResult records;
    if (written) {
        const RecordSource source{g_Tags, LoadedTagCount(g_IndexHeader), HexToInt(g_strMagic), metaOffset};
        records = WriteDataFileRecords(g_DataFile, metadata.raw, source);
        written = records.ok;
    }
    written = dataOut.Finish() && written;
    CloseDataFile();
    if (!written) {
        tell("The data file " + Quoted(dataFileName) + " could not be written." + kOlderPairKept);
        return false;
    }
    if (!records.complete) {
        CString text;
        text.Format("This tag's metadata gives more than %lld references (tags of the map share identifiers). The "
                    "data file '%s' is incomplete. Metadata was not saved.",
                    static_cast<long long>(kMaxDataFileRecords), dataFileName.GetString());
        tell(text);
        return false;
    }
    if (CFileReplacement* failed = CommitReplacements({&metaOut, &dataOut})) {
        tell(NotReplacedText(failed == &metaOut ? "metadata file" : "data file", *failed));
        return false;
    }
    if (records.notWritten > 0) {
        CString text;
        text.Format(records.notWritten == 1
                        ? "%lld reference of this tag was not written to the data file: the name or class of the tag "
                          "it names cannot be read back from it. An inject leaves it as saved."
                        : "%lld references of this tag were not written to the data file: the names or classes of "
                          "the tags they name cannot be read back from it. An inject leaves them as saved.",
                    static_cast<long long>(records.notWritten));
        tell(text);
    }
    tell(kMetadataSavedMessage);
    return true;
}

void InjectMetadata(int32_t tagIndex, bool correct)
{
    if (!ValidTagIndex(tagIndex)) return;
    CFileDialog chooser(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr, nullptr);
    if (chooser.DoModal() != IDOK) return;
    g_strMetaFileName = chooser.GetFileName();
    InjectMetadataPair(g_strMetaFileName, tagIndex, correct, ShowMessage);
}

bool InjectMetadataPair(const CString& metaFileName, int32_t tagIndex, bool correct, const MessageSink& tell)
{
    if (!ValidTagIndex(tagIndex)) return false;
    const TagEntry& tag = g_Tags[tagIndex];
    const CString dataFileName = metaFileName + ".data";
    const char* const refusal = " Injection will not occur.";

    // Checked before anything is opened, so that no empty file is made
    // beside the user's files.
    for (const auto& [what, name] : {std::pair {"The metadata file ", metaFileName}, {"The data file ", dataFileName}}) {
        if (IsFolder(name)) {
            tell(what + Quoted(name) + " is a folder, not a file." + refusal);
            return false;
        }
        if (!IsExistingFile(name)) {
            tell(what + Quoted(name) + " does not exist." + refusal);
            return false;
        }
    }

    if (!MapIsStillTheOpenedFile()) {
        tell(MapReplacedMessage());
        return false;
    }

    InjectFiles closeAtEnd;
    if (!g_MetaFile.Open(metaFileName, CFileStream::modeRead | CFileStream::modeBinary | CFileStream::modeNoCreate)) {
        tell("The metadata file " + Quoted(metaFileName) + " could not be opened." + refusal);
        return false;
    }
    // Only read: a read-only pair can be injected.
    OpenDataFileForReading(dataFileName);
    if (!g_DataFile.IsOpen()) {
        tell("The data file " + Quoted(dataFileName) + " could not be opened." + refusal);
        return false;
    }

    const DataFileHeader header = ReadDataFileHeader(g_DataFile);
    if (g_DataFile.ReadError()) {
        tell(FileReadFailedText(dataFileName) + refusal);
        return false;
    }
    if (header.status == DataFileHeaderStatus::NoSize) {
        tell("Line 7 of the data file " + Quoted(dataFileName) + " holds no metadata size." + refusal);
        return false;
    }
    if (header.status == DataFileHeaderStatus::NegativeSize) {
        tell("Line 7 of the data file " + Quoted(dataFileName) + " holds a negative metadata size." + refusal);
        return false;
    }
    const int64_t size = header.size;
    if (tag.m_nMetaSize < size) {
        tell(kInjectTooLargeMessage);
        return false;
    }
    if (size > kWorkingMetadataSize) {
        CString text;
        text.Format("The metadata size on line 7 of the data file '%s' (%lld bytes) is more than the %d bytes the "
                    "working buffer holds.%s",
                    dataFileName.GetString(), static_cast<long long>(size), kWorkingMetadataSize, refusal);
        tell(text);
        return false;
    }

    std::string raw;
    g_MetaFile.SeekRead(0);
    g_MetaFile.Read(raw, size);
    if (g_MetaFile.ReadError()) {
        tell(FileReadFailedText(metaFileName) + refusal);
        return false;
    }
    if (static_cast<int64_t>(raw.size()) < size) {
        CString text;
        text.Format("The metadata file '%s' holds %lld bytes, fewer than the %lld bytes its data file gives.%s",
                    metaFileName.GetString(), static_cast<long long>(raw.size()), static_cast<long long>(size),
                    refusal);
        tell(text);
        return false;
    }

    const uint32_t metaOffset = HexToInt(tag.m_strMetaOffset);
    if (g_MapFile.IsOpen() && int64_t(metaOffset) + size > g_MapFile.FileSize()) {
        tell("This tag's metadata lies beyond the end of the map file " + Quoted(g_strMapFileName) + "." + refusal);
        return false;
    }

    ApplySummary summary;
    int64_t furtherUnknown = 0;
    std::vector<CString> unknownMessages;
    if (correct) {
        const InjectTarget target{g_Tags, LoadedTagCount(g_IndexHeader), &g_MapFile, HexToInt(g_strMagic),
                                  metaOffset};
        int64_t shown = 0;
        const int64_t mapErrors = g_MapFile.ReadErrorCount();
        summary = ApplyDataFileRecords(g_DataFile, raw, target, [&](const CString& text) {
            if (shown < kUnknownObjectMessageLimit) {
                ++shown;
                unknownMessages.push_back(UnknownObjectMessage(text));
            } else {
                ++furtherUnknown;
            }
        });
        // A record after a failed read was never seen: the block would go
        // in with some references left as saved and nothing said.
        if (g_DataFile.ReadError()) {
            tell(FileReadFailedText(dataFileName) + refusal);
            return false;
        }
        if (g_MapFile.ReadErrorCount() != mapErrors) {
            tell(FileReadFailedText(g_strMapFileName) + refusal);
            return false;
        }
        for (const CString& text : unknownMessages) tell(text);
    }

    // Only the injected bytes are written: where the block is smaller than
    // the tag, the tag's bytes past it keep their values.
    if (!WriteMapBytesAt(metaOffset, raw) || !g_MapFile.Sync()) {
        tell(MapWriteFailedMessage());
        return false;
    }
    tell(correct ? kInjectCorrectedDoneMessage : kInjectUncorrectedDoneMessage);
    if (furtherUnknown > 0) tell(FurtherUnknownObjectsMessage(furtherUnknown));
    for (const CString& text : ApplyProblemMessages(summary)) tell(text);
    return true;
}
