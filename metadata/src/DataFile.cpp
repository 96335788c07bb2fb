#include "metadata/DataFile.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "metadata/ReferenceSearch.h"

#include <algorithm>
#include <climits>
#include <cstdio>

const char* const kDataFileTitleLine = "Metadata information file created by Project Travik";
const char* const kDataFileFormatLine = "Format: Name, Type1, Type2, Type3, Size";
const char* const kNulledName = "Nulled";
const char* const kNulledClass = "\xFF\xFF\xFF\xFF";

namespace {
void LogDataFileOpen(const CString& strFileName, bool opened)
{
    if (opened)
        LogEntry("\tDataFile '" + strFileName + "' opened successfully.\n");
    else
        LogEntry("\tDataFile '" + strFileName + "' opened unsuccessfully.\n");
}
} // namespace

void OpenDataFile(CString strFileName)
{
    g_DataFile.Open(strFileName, CFileStream::kDataFile);
    LogDataFileOpen(strFileName, g_DataFile.IsOpen());
}

void OpenDataFileForReading(const CString& strFileName)
{
    g_DataFile.Open(strFileName, CFileStream::modeRead | CFileStream::modeNoCreate);
    LogDataFileOpen(strFileName, g_DataFile.IsOpen());
}

bool BeginDataFileReplacement(CFileReplacement& replacement, const CString& strFileName)
{
    const bool begun = replacement.Begin(g_DataFile, strFileName, CFileStream::kDataFile);
    LogDataFileOpen(strFileName, begun);
    return begun;
}

bool CloseDataFile()
{
    const bool closed = g_DataFile.Close();
    if (!closed || g_DataFile.IsOpen())
        LogEntry("\tDataFile closed unsuccessfully.\n");
    else
        LogEntry("\tDataFile closed successfully.\n");
    return closed;
}

bool StartDataFile(const CString& strFileName)
{
    // OpenDataFile keeps a file's content for the readers, so a writer
    // empties the file first: an older, longer file leaves nothing behind.
    CFileStream emptier;
    bool emptied = emptier.Open(strFileName, CFileStream::modeWrite | CFileStream::modeTruncate);
    emptied = emptier.Close() && emptied;
    OpenDataFile(strFileName);
    return emptied && g_DataFile.IsOpen();
}

bool IsNullReferenceRecord(const DataFileRecord& record)
{
    return record.kind == DataRecordKind::Dependency && record.name == kNulledName && record.classCode == kNulledClass;
}

std::string FormatDataFileRecord(const DataFileRecord& record)
{
    std::string line;
    line.reserve(32 + static_cast<size_t>(record.name.GetLength()));
    switch (record.kind) {
    case DataRecordKind::Dependency: line += "Dependency|"; break;
    case DataRecordKind::LoneID: line += "LoneID|"; break;
    case DataRecordKind::Reflexive: line += "Reflexive|"; break;
    }
    line += std::to_string(record.offset);
    line += '|';
    if (record.kind == DataRecordKind::Reflexive) {
        line += std::to_string(record.target);
        line += '|';
    } else {
        line += record.name.Bytes();
        line += '|';
        line += record.classCode.Bytes();
        line += '|';
    }
    line += '\n';
    return line;
}

namespace {
// The stored value of up to four bytes from p, least significant first;
// fewer where the block ends. Exact: a 0x78 byte counts as 0x78.
uint32_t StoredValueAt(const std::string& raw, int32_t p)
{
    uint32_t value = 0;
    if (p < 0) return 0;
    for (int i = 0; i < 4; ++i) {
        const size_t at = static_cast<size_t>(p) + static_cast<size_t>(i);
        if (at >= raw.size()) break;
        value |= static_cast<uint32_t>(static_cast<unsigned char>(raw[at])) << (8 * i);
    }
    return value;
}
} // namespace

bool CollectDataFileRecords(const std::string& raw, const RecordSource& source, const RecordSink& userSink)
{
    const CString block = RawToByteString(raw);
    const int tagCount = source.tags ? std::clamp(source.tagCount, 0, kMaxTags) : 0;
    int32_t P = 0;
    bool going = true;
    bool complete = true;
    int64_t count = 0;
    DataFileRecord record;
    auto sink = [&](const DataFileRecord& r) {
        if (++count > kMaxDataFileRecords) return complete = false;
        return userSink(r);
    };

    IdentifierPass(block, source.tags, tagCount, P, [&](const ReferenceHit& hit) {
        const TagEntry& tag = source.tags[hit.tag];
        record.kind = hit.kind == HitKind::Dependency ? DataRecordKind::Dependency : DataRecordKind::LoneID;
        record.offset = hit.offset;
        record.name = tag.m_strName;
        record.classCode = hit.kind == HitKind::Dependency ? hit.classCode : tag.m_strClass1;
        record.target = 0;
        return going = sink(record);
    });
    if (!going) return complete;

    NullReferencePass(block, P, [&](const ReferenceHit& hit) {
        record.kind = DataRecordKind::Dependency;
        record.offset = hit.offset;
        record.name = kNulledName;
        record.classCode = kNulledClass;
        record.target = 0;
        return going = sink(record);
    });
    if (!going) return complete;

    record.name.Empty();
    record.classCode.Empty();
    SelfPointerPass(block, source.metaOffset, source.magic, P, [&](const ReferenceHit& hit) {
        record.kind = DataRecordKind::Reflexive;
        record.offset = hit.offset;
        // The hit's own value reads a stored 0x78 byte as zero; the target
        // comes from the bytes as stored so the rebase restores them exactly.
        record.target = StoredValueAt(raw, hit.offset) - source.magic - source.metaOffset;
        return going = sink(record);
    });
    return complete;
}

std::vector<DataFileRecord> CollectDataFileRecords(const std::string& raw, const RecordSource& source)
{
    std::vector<DataFileRecord> records;
    CollectDataFileRecords(raw, source, [&](const DataFileRecord& record) {
        records.push_back(record);
        return true;
    });
    return records;
}

RecordWriteResult WriteDataFileRecords(CFileStream& out, const std::string& raw, const RecordSource& source)
{
    RecordWriteResult result;
    if (!out.IsOpen()) {
        result.ok = false;
        return result;
    }
    result.complete = CollectDataFileRecords(raw, source, [&](const DataFileRecord& record) {
        // A record the reader would take apart otherwise than written could
        // be applied as another tag's, or as a record made of a name's
        // pieces: it is left out, and an inject leaves its bytes as saved.
        if (!RecordReadsBackWhole(record)) {
            ++result.notWritten;
            return true;
        }
        if (!out.Write(FormatDataFileRecord(record))) {
            result.ok = false;
            return false;
        }
        ++result.records;
        return true;
    });
    return result;
}

bool RecordReadsBackWhole(const DataFileRecord& record)
{
    if (record.kind == DataRecordKind::Reflexive) return true;
    const std::string& cls = record.classCode.Bytes();
    if (cls.find('|') != std::string::npos) return false;
    // The reader checks for the line end after every field from the second
    // one after the position on: a '|' past the name's first that a line
    // break follows ends the record there.
    const std::string text = record.name.Bytes() + '|' + cls;
    const size_t first = text.find('|');
    for (size_t i = text.find('|', first + 1); i != std::string::npos; i = text.find('|', i + 1))
        if (i + 1 < text.size() && (text[i + 1] == '\n' || text[i + 1] == '\r')) return false;
    // The reader takes the name's first piece as the name field and each
    // piece after a '|' as a class field, with the limits of those fields.
    if (record.name.Bytes().size() > DataFileRecordReader::kNameLimit || first > DataFileRecordReader::kNameLimit)
        return false;
    for (size_t from = first + 1; from <= text.size();) {
        size_t bar = text.find('|', from);
        if (bar == std::string::npos) bar = text.size();
        if (bar - from > DataFileRecordReader::kFieldLimit) return false;
        from = bar + 1;
    }
    return true;
}

bool WriteDataFileHeader(CFileStream& out, const TagEntry& tag)
{
    std::string header;
    for (const std::string& line : {std::string(kDataFileTitleLine), std::string(kDataFileFormatLine),
                                     tag.m_strName.Bytes(), tag.m_strClass1.Bytes(), tag.m_strClass2.Bytes(),
                                     tag.m_strClass3.Bytes(), std::to_string(tag.m_nMetaSize)}) {
        header += line;
        header += '\n';
    }
    return out.IsOpen() && out.Write(header);
}

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Optional '-', then 1 to 19 digits; nothing else.
bool ParseDecimal(const std::string& text, bool& negative, uint64_t& magnitude)
{
    size_t i = 0;
    negative = !text.empty() && text[0] == '-';
    if (negative) ++i;
    if (i == text.size() || text.size() - i > 19) return false;
    magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    return true;
}

bool ParsePosition(const std::string& text, int32_t& position)
{
    bool negative = false;
    uint64_t magnitude = 0;
    if (!ParseDecimal(text, negative, magnitude)) return false;
    if (negative ? magnitude > uint64_t(INT32_MAX) + 1 : magnitude > uint64_t(INT32_MAX)) return false;
    position = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
    return true;
}

// Written unsigned; a signed form of the same 32 bits is taken too.
bool ParseTarget(const std::string& text, uint32_t& target)
{
    bool negative = false;
    uint64_t magnitude = 0;
    if (!ParseDecimal(text, negative, magnitude)) return false;
    if (negative ? magnitude > uint64_t(INT32_MAX) + 1 : magnitude > uint64_t(UINT32_MAX)) return false;
    target = negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude)) : static_cast<uint32_t>(magnitude);
    return true;
}

bool StartsWithLineEnd(const std::string& text) { return !text.empty() && (text[0] == '\n' || text[0] == '\r'); }
} // namespace

DataFileHeader ReadDataFileHeader(CFileStream& in)
{
    DataFileHeader header;
    for (int line = 1; line <= 6; ++line) {
        int c;
        do {
            c = in.GetChar();
        } while (c >= 0 && c != '\n');
        if (c < 0) return header;
    }
    // Line 7: a number with blanks around it, nothing else.
    constexpr size_t kLineLimit = 64;
    std::string text;
    bool tooLong = false;
    for (int c = in.GetChar(); c >= 0 && c != '\n'; c = in.GetChar()) {
        if (text.size() < kLineLimit) text += static_cast<char>(c);
        else tooLong = true;
    }
    if (tooLong) return header;
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    bool negative = false;
    uint64_t magnitude = 0;
    if (!ParseDecimal(text.substr(first, last - first), negative, magnitude)) return header;
    if (magnitude > uint64_t(INT64_MAX)) magnitude = uint64_t(INT64_MAX);
    header.size = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    header.status = header.size < 0 ? DataFileHeaderStatus::NegativeSize : DataFileHeaderStatus::Complete;
    return header;
}

DataFileRecordReader::Field DataFileRecordReader::ReadField(size_t limit)
{
    Field field;
    for (;;) {
        const int c = m_in.GetChar();
        if (c < 0) {
            field.end = FieldEnd::EndOfFile;
            return field;
        }
        if (c == '|') return field;
        if (field.text.size() < limit) field.text += static_cast<char>(c);
        else field.tooLong = true;
    }
}

bool DataFileRecordReader::NextStartsLine()
{
    const int c = m_in.PeekChar();
    return c < 0 || c == '\n' || c == '\r';
}

DataFileRecordReader::Step DataFileRecordReader::Unreadable()
{
    // The rest of the record is skipped: the next record starts a line.
    m_resync = true;
    return Step::Unreadable;
}

DataFileRecordReader::Step DataFileRecordReader::Next()
{
    while (!m_ended) {
        const Field kind = ReadField(kFieldLimit);
        if (kind.end == FieldEnd::EndOfFile) {
            m_ended = true;
            const bool blank = !kind.tooLong && std::all_of(kind.text.begin(), kind.text.end(), IsBlank);
            // The line end after the last record ends the file quietly; a
            // record cut short by the end of the file is not.
            if (blank || m_resync) return Step::End;
            return Step::Unreadable;
        }
        if (m_resync) {
            if (!StartsWithLineEnd(kind.text)) continue;
            m_resync = false;
        }
        if (kind.tooLong) return Unreadable();
        if (kind.text.find("LoneID") != std::string::npos) return ReadRecord(DataRecordKind::LoneID);
        if (kind.text.find("Dependency") != std::string::npos) return ReadRecord(DataRecordKind::Dependency);
        if (kind.text.find("Reflexive") != std::string::npos) return ReadRecord(DataRecordKind::Reflexive);
        m_unknown = CString(kind.text);
        return Step::Unknown;
    }
    return Step::End;
}

DataFileRecordReader::Step DataFileRecordReader::ReadRecord(DataRecordKind kind)
{
    auto cut = [this]() {
        m_ended = true;
        return Step::Unreadable;
    };
    DataFileRecord record;
    record.kind = kind;
    const Field position = ReadField(kFieldLimit);
    if (position.end == FieldEnd::EndOfFile) return cut();
    if (position.tooLong || !ParsePosition(position.text, record.offset)) return Unreadable();

    if (kind == DataRecordKind::Reflexive) {
        const Field target = ReadField(kFieldLimit);
        if (target.end == FieldEnd::EndOfFile) return cut();
        if (target.tooLong || !ParseTarget(target.text, record.target)) return Unreadable();
        if (!NextStartsLine()) return Unreadable();
    } else {
        Field name = ReadField(kNameLimit);
        if (name.end == FieldEnd::EndOfFile) return cut();
        Field cls = ReadField(kFieldLimit);
        if (cls.end == FieldEnd::EndOfFile) return cut();
        // A name that holds '|' was split; the class field is the last one.
        while (!NextStartsLine()) {
            if (name.tooLong || cls.tooLong || name.text.size() + 1 + cls.text.size() > kNameLimit)
                return Unreadable();
            name.text += '|';
            name.text += cls.text;
            cls = ReadField(kFieldLimit);
            if (cls.end == FieldEnd::EndOfFile) return cut();
        }
        if (name.tooLong || cls.tooLong) return Unreadable();
        record.name = CString(std::move(name.text));
        record.classCode = CString(std::move(cls.text));
    }
    m_record = std::move(record);
    return Step::Record;
}

RecordApplier::RecordApplier(const InjectTarget& target) : m_target(target)
{
    m_count = target.tags ? std::clamp(target.tagCount, 0, kMaxTags) : 0;
    m_byName.reserve(static_cast<size_t>(m_count));
    for (int k = 0; k < m_count; ++k) m_byName.emplace_back(target.tags[k].m_strName.Bytes(), k);
    // Sorted by name, then index, so the first of each name is the lowest index.
    std::sort(m_byName.begin(), m_byName.end());
    m_byName.erase(std::unique(m_byName.begin(), m_byName.end(),
                               [](const auto& a, const auto& b) { return a.first == b.first; }),
                   m_byName.end());
    m_identifiers.resize(static_cast<size_t>(m_count));
}

int RecordApplier::FindTag(const CString& name) const
{
    auto it = std::lower_bound(m_byName.begin(), m_byName.end(), name.Bytes(),
                               [](const std::pair<std::string, int>& entry, const std::string& key) {
                                   return entry.first < key;
                               });
    if (it == m_byName.end() || it->first != name.Bytes()) return -1;
    return it->second;
}

std::string RecordApplier::StoredIdentifier(int tag)
{
    if (tag < 0 || tag >= m_count) return std::string();
    std::string& cached = m_identifiers[static_cast<size_t>(tag)];
    if (!cached.empty()) return cached;
    // The identifier as loaded is exact, 0x78 bytes included.
    cached = LittleEndianBytes(HexToInt(m_target.tags[tag].m_strIdentifier), 4);
    return cached;
}

ApplyOutcome RecordApplier::Apply(const DataFileRecord& record, std::string& raw)
{
    const int64_t p = record.offset;
    if (p < 0 || p + 4 > static_cast<int64_t>(raw.size())) return ApplyOutcome::OutsideBlock;
    std::string bytes;
    if (record.kind == DataRecordKind::Reflexive) {
        bytes = LittleEndianBytes(record.target + m_target.magic + m_target.metaOffset, 4);
    } else {
        int tag = -1;
        // A Dependency named "Nulled" is a null reference, unless its class
        // field names a class and the map has a tag of that name: then it is
        // a reference to that tag, saved like any other.
        const bool nulled = record.kind == DataRecordKind::Dependency && record.name == kNulledName &&
                            (record.classCode == kNulledClass || (tag = FindTag(record.name)) < 0);
        if (nulled) {
            bytes = kNulledClass;
        } else {
            if (tag < 0) tag = FindTag(record.name);
            if (tag < 0) return ApplyOutcome::NoSuchTag;
            bytes = StoredIdentifier(tag);
        }
    }
    raw.replace(static_cast<size_t>(p), 4, bytes);
    return ApplyOutcome::Applied;
}

ApplySummary ApplyDataFileRecords(CFileStream& in, std::string& raw, const InjectTarget& target,
                                  const std::function<void(const CString&)>& onUnknown)
{
    ApplySummary summary;
    RecordApplier applier(target);
    DataFileRecordReader reader(in);
    for (;;) {
        switch (reader.Next()) {
        case DataFileRecordReader::Step::End: return summary;
        case DataFileRecordReader::Step::Unknown:
            ++summary.unknown;
            if (onUnknown) onUnknown(reader.UnknownText());
            break;
        case DataFileRecordReader::Step::Unreadable: ++summary.unreadable; break;
        case DataFileRecordReader::Step::Record:
            switch (applier.Apply(reader.Record(), raw)) {
            case ApplyOutcome::Applied: ++summary.applied; break;
            case ApplyOutcome::NoSuchTag: ++summary.noSuchTag; break;
            case ApplyOutcome::OutsideBlock: ++summary.outside; break;
            }
            break;
        }
    }
}

CString UnknownObjectMessage(const CString& fieldText)
{
    return "Unknown object in data file. Skipping line. Object: " + fieldText;
}

namespace {
CString CountedText(int64_t count, const char* one, const char* many)
{
    CString text;
    text.Format(count == 1 ? one : many, static_cast<long long>(count));
    return text;
}
} // namespace

CString FurtherUnknownObjectsMessage(int64_t count)
{
    return CountedText(count, "%lld further unknown object in the data file was skipped.",
                       "%lld further unknown objects in the data file were skipped.");
}

std::vector<CString> ApplyProblemMessages(const ApplySummary& summary)
{
    std::vector<CString> messages;
    if (summary.outside > 0)
        messages.push_back(CountedText(
            summary.outside,
            "%lld record of the data file was skipped: its four bytes lie outside the injected metadata.",
            "%lld records of the data file were skipped: their four bytes lie outside the injected metadata."));
    if (summary.unreadable > 0)
        messages.push_back(CountedText(summary.unreadable,
                                       "%lld record of the data file could not be read and was skipped.",
                                       "%lld records of the data file could not be read and were skipped."));
    return messages;
}
