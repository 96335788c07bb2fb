// The data file: a text file of one record line per reference found in a
// tag's metadata (a tag identifier, a null reference or a pointer into the
// same metadata), so that the metadata can be put over a tag of another map
// and its references re-pointed there. Save Metadata writes it beside the
// metadata file with a header of seven lines; direct injection writes and
// reads the same record lines, without the header, in its scratch file.
//
// The three pieces every user shares:
//   - the writer: WriteDataFileRecords runs the reference search over a
//     block and writes each hit as a record line;
//   - the reader: DataFileRecordReader takes the record lines apart again;
//   - the apply step: RecordApplier patches one record into the working
//     metadata of the map being written (ApplyDataFileRecords does both
//     for a whole file).
// They take every map they work on as explicit inputs, so the block may
// come from one map and be applied to another.
#pragma once

#include "map/MapState.h"
#include "metadata/WorkingMetadata.h"
#include "platform/CString.h"
#include "platform/FileReplacement.h"
#include "platform/FileStream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Opens g_DataFile on the name for reading and writing in text mode (a
// missing file is created empty, an existing one keeps its content) and
// logs whether it opened.
void OpenDataFile(CString strFileName);
// Closes g_DataFile if it is open and logs whether it is closed now.
// False when the close reported an error (what was written may be lost).
bool CloseDataFile();
// A writer's start: empties the file (creating it when missing), then
// OpenDataFile, so that the file ends up holding only what is written now.
// True when g_DataFile is open on the emptied file.
bool StartDataFile(const CString& strFileName);
// OpenDataFile for a reader that only reads: the file must exist, and a
// read-only file opens. Logged as OpenDataFile logs.
void OpenDataFileForReading(const CString& strFileName);
// A writer's start when the file is replaced whole: g_DataFile opens on a
// temporary beside the name, logged as OpenDataFile under the name. The
// replacement finishes and commits it.
bool BeginDataFileReplacement(CFileReplacement& replacement, const CString& strFileName);

// The two fixed lines of the header.
extern const char* const kDataFileTitleLine;
extern const char* const kDataFileFormatLine;
// The name field of a null reference.
extern const char* const kNulledName;
// Four 0xFF bytes: the class field of a null reference.
extern const char* const kNulledClass;

enum class DataRecordKind { Dependency, LoneID, Reflexive };

// One record line. A null reference is a Dependency named "Nulled" with
// the class field of four 0xFF bytes.
struct DataFileRecord {
    DataRecordKind kind = DataRecordKind::Dependency;
    int32_t offset = 0;   // where in the metadata the four bytes stand
    CString name;         // Dependency, LoneID: the name of the referenced tag
    CString classCode;    // Dependency, LoneID: field 4, as written
    uint32_t target = 0;  // Reflexive: the offset inside the metadata pointed at

    friend bool operator==(const DataFileRecord&, const DataFileRecord&) = default;
};

bool IsNullReferenceRecord(const DataFileRecord& record);

// The line: each field followed by '|', then a line feed (a text-mode
// stream writes it as CR LF). Fields are written as held, nothing escaped.
std::string FormatDataFileRecord(const DataFileRecord& record);

// The map whose metadata is searched: its tag table (tags 0 to tagCount - 1
// are searched, at most the table's room), its magic and the file offset of
// the block.
struct RecordSource {
    const TagEntry* tags = nullptr;
    int tagCount = 0;
    uint32_t magic = 0;
    uint32_t metaOffset = 0;
};

// Runs the identifier pass, the null-reference pass and the self-pointer
// pass over the block, in this order, with one running position that
// starts at 0 and goes on from pass to pass, and hands each hit over as a
// record in the order of the passes. The passes find with 0x78 read as a
// zero byte; a pointer's target is taken from its bytes as stored in
// `raw` (four bytes, fewer at the end of the block), so a pointer that
// holds a 0x78 byte keeps its exact distance from the block's start.
// A sink that returns false ends the search.
//
// Distinct identifiers give at most one hit per position, and a position
// matches at most four pointer keys, so a block gives at most about six
// records per byte; tags that share an identifier multiply the hits, so
// the search stops after kMaxDataFileRecords records. Returns false when
// it stopped there.
constexpr int64_t kMaxDataFileRecords = 6 * int64_t(kWorkingMetadataSize) + 16;
using RecordSink = std::function<bool(const DataFileRecord&)>;
bool CollectDataFileRecords(const std::string& raw, const RecordSource& source, const RecordSink& sink);
std::vector<DataFileRecord> CollectDataFileRecords(const std::string& raw, const RecordSource& source);

struct RecordWriteResult {
    int64_t records = 0;    // record lines written
    bool ok = true;         // false when a write failed (the stream is then not open or full)
    bool complete = true;   // false when the search stopped at kMaxDataFileRecords
    int64_t notWritten = 0; // records left out because they would not read back whole
};
// Every record of the block that reads back whole, one line each, written
// at the stream's write position.
RecordWriteResult WriteDataFileRecords(CFileStream& out, const std::string& raw, const RecordSource& source);

// False for a Dependency or LoneID record that the reader would take apart
// otherwise than written: its class field holds '|', or a '|' of its name
// other than the first, or the one after the name, comes before a line
// break (the reader takes that for the record's end and reads the rest as
// records of their own).
bool RecordReadsBackWhole(const DataFileRecord& record);

// The seven header lines of Save Metadata for the tag whose metadata is
// saved. False when a write failed.
bool WriteDataFileHeader(CFileStream& out, const TagEntry& tag);

enum class DataFileHeaderStatus { Complete, NoSize, NegativeSize };
struct DataFileHeader {
    DataFileHeaderStatus status = DataFileHeaderStatus::NoSize;
    int64_t size = 0;  // line 7: the number of metadata bytes (may exceed 32 bits in a broken file)
};
// Reads past lines 1 to 6 and takes the number on line 7 (blanks around it
// allowed, nothing else), leaving the stream at the first record line.
DataFileHeader ReadDataFileHeader(CFileStream& in);

// Takes the record lines apart, from the stream's read position to the end
// of the file. Fields are split at '|'; a kind is recognised by the word it
// contains, tested in the order LoneID, Dependency, Reflexive, as every
// kind field after the first begins with the line end of the record before
// it. A field whose kind is not recognised is handed over as Unknown, and
// the next field is read as the next kind. The line end after the last
// record ends the reading without anything handed over.
//
// A record is taken whole or not at all: a position or target that is not
// a whole decimal number, a field longer than its limit, a record cut by
// the end of the file, or more fields than a Reflexive record has, give
// Unreadable, and the reading goes on at the next line. A name that holds
// '|' (a Dependency or LoneID record with more fields than four) is joined
// back: its class field is the record's last field. A name may hold line
// breaks. The cost is linear in the size of the file.
class DataFileRecordReader {
public:
    enum class Step { Record, Unknown, Unreadable, End };

    // Field limits: kind, position, class and target fields; the name
    // field holds any tag name.
    static constexpr size_t kFieldLimit = 99;
    static constexpr size_t kNameLimit = kMaxTagNameLength;

    explicit DataFileRecordReader(CFileStream& in) : m_in(in) {}

    Step Next();
    // After Record: the record.
    const DataFileRecord& Record() const { return m_record; }
    // After Unknown: the field's text as read, the line end of the record
    // before it included (at most kFieldLimit characters).
    const CString& UnknownText() const { return m_unknown; }

private:
    enum class FieldEnd { Bar, EndOfFile };
    struct Field {
        std::string text;
        FieldEnd end = FieldEnd::Bar;
        bool tooLong = false;
    };
    Field ReadField(size_t limit);
    bool NextStartsLine();
    Step ReadRecord(DataRecordKind kind);
    Step Unreadable();

    CFileStream& m_in;
    DataFileRecord m_record;
    CString m_unknown;
    bool m_resync = false;
    bool m_ended = false;
};

// The map being written: its tag table, where each tag's index entry is
// read for its identifier as stored (null: the identifier's text form),
// its magic and the file offset of the metadata being replaced.
struct InjectTarget {
    const TagEntry* tags = nullptr;
    int tagCount = 0;
    CFileStream* map = nullptr;
    uint32_t magic = 0;
    uint32_t metaOffset = 0;
};

enum class ApplyOutcome { Applied, NoSuchTag, OutsideBlock };

// Applies records to the working metadata as raw bytes: only the four bytes
// a record addresses change, written exactly (a 0x78 byte stays 0x78).
//  - Dependency, LoneID: the identifier of the first tag of that exact name,
//    as loaded; nothing when there is none.
//  - Null reference: FF FF FF FF. A Dependency named "Nulled" whose class
//    field is a class code instead is a reference to a tag of that name
//    when the map has one.
//  - Reflexive: target + magic + the metadata offset, little-endian.
// A record whose four bytes would reach outside the block is not applied.
class RecordApplier {
public:
    explicit RecordApplier(const InjectTarget& target);

    ApplyOutcome Apply(const DataFileRecord& record, std::string& raw);
    // The first tag of that exact name among the target's tags, or -1.
    int FindTag(const CString& name) const;
    // Tag k's identifier as loaded, least significant byte first.
    std::string StoredIdentifier(int tag);

private:
    InjectTarget m_target;
    int m_count = 0;
    std::vector<std::pair<std::string, int>> m_byName;  // sorted; first index per name
    std::vector<std::string> m_identifiers;             // made on first use
};

struct ApplySummary {
    int64_t applied = 0;
    int64_t noSuchTag = 0;
    int64_t outside = 0;     // records whose bytes lie outside the block
    int64_t unreadable = 0;  // records that could not be taken apart
    int64_t unknown = 0;     // fields whose kind was not recognised
};

// Reads every record from the stream's read position and applies it to
// raw, in file order (a later record wins where two overlap). Each
// unrecognised kind field goes to onUnknown (may be empty) as it is read.
ApplySummary ApplyDataFileRecords(CFileStream& in, std::string& raw, const InjectTarget& target,
                                  const std::function<void(const CString&)>& onUnknown);

// Messages about a data file, for the dialogs that apply one.
CString UnknownObjectMessage(const CString& fieldText);
// So that a broken file cannot ask for thousands of boxes, only this many
// unknown fields get a box of their own; the rest are counted in one.
constexpr int64_t kUnknownObjectMessageLimit = 20;
CString FurtherUnknownObjectsMessage(int64_t count);
// What the user is told after an inject about records not applied; empty
// when there is nothing to tell.
std::vector<CString> ApplyProblemMessages(const ApplySummary& summary);
