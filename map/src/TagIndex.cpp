#include "map/TagIndex.h"

#include "map/HexCodec.h"
#include "map/MapBytes.h"
#include "map/MapState.h"
#include "map/TagTrees.h"
#include "platform/TimeText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr uint32_t kHeaderSize = kIndexHeaderSize;
constexpr uint32_t kEntrySize = kIndexEntrySize;
// Per table (g_Tags, g_InputTags): the last load met a name cut by the end of the file.
bool s_namesCut[2] = {};
constexpr int64_t kFourGiB = int64_t(1) << 32;

void ReadIndexHeaderOf(CFileStream& file, const MapHeaderInfo& header, IndexHeaderInfo& index, CString& magicText)
{
    const uint32_t off = HexToInt(header.m_strIndexOffset);
    index.m_strIndexMagic = HexWithoutLeadingZeros(ReadNumberAt(file, off, 4));
    const uint32_t magic = HexToInt(index.m_strIndexMagic) - (off + kHeaderSize);
    magicText = IntToHex(static_cast<int32_t>(magic));
    magicText.MakeUpper();
    index.m_nTagCount = static_cast<int32_t>(ReadNumberAt(file, static_cast<uint32_t>(off + 0x0C), 2));
}

// Offsets are 32-bit: a run that passes the top of the range goes on at 0.
std::string ReadWrapped(CFileStream& file, uint32_t offset, int64_t count)
{
    const int64_t beforeWrap = std::min<int64_t>(count, kFourGiB - offset);
    std::string bytes = ReadBytesAt(file, offset, beforeWrap);
    if (beforeWrap < count) bytes += ReadBytesAt(file, 0, count - beforeWrap);
    return bytes;
}

// Tag names are read through one window of the file, so that names lying
// one after another (as they do) cost one read for many tags.
class NameReader {
public:
    explicit NameReader(CFileStream& file) : m_file(file), m_size(file.FileSize()) {}
    // Whether a name ran into the end of the file (or started beyond it).
    bool Cut() const { return m_cut; }

    // The text at the offset up to its first zero byte, at most 5000
    // characters; the end of the file ends it too.
    CString NameAt(uint32_t offset)
    {
        const int64_t at = offset;
        // Past the end of the file there is nothing to read: a hostile index
        // pointing every name there costs no read at all.
        if (at >= m_size) {
            m_cut = true;
            return CString();
        }
        const int64_t end = m_start + static_cast<int64_t>(m_window.size());
        if (m_start < 0 || at < m_start || at >= end || (end - at < kMaxTagNameLength && !m_windowAtEof)) Fill(at);
        const int64_t available = m_start + static_cast<int64_t>(m_window.size()) - at;
        if (available <= 0) {
            m_cut = true;
            return CString();
        }
        const size_t from = static_cast<size_t>(at - m_start);
        const size_t limit = static_cast<size_t>(std::min<int64_t>(available, kMaxTagNameLength));
        const void* zero = std::memchr(m_window.data() + from, '\0', limit);
        const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - (m_window.data() + from)) : limit;
        // No zero byte before the end of the file, and not the full 5000 characters.
        if (zero == nullptr && limit < static_cast<size_t>(kMaxTagNameLength)) m_cut = true;
        return CString(m_window.substr(from, length));
    }

private:
    static constexpr int64_t kWindow = 64 * 1024;

    void Fill(int64_t at)
    {
        const int64_t wanted = std::min(kWindow, m_size - at);
        m_file.SeekRead(at);
        m_file.Read(m_window, wanted);
        m_start = at;
        m_windowAtEof = static_cast<int64_t>(m_window.size()) < kWindow;
    }

    CFileStream& m_file;
    const int64_t m_size;
    std::string m_window;
    int64_t m_start = -1;
    bool m_windowAtEof = false;
    bool m_cut = false;
};

// A class code: the field's bytes before its first zero byte, last one first.
CString ClassCodeAt(const std::string& index, size_t at)
{
    size_t length = 0;
    while (length < 4 && index[at + length] != '\0') ++length;
    std::string code(index, at, length);
    std::reverse(code.begin(), code.end());
    return CString(std::move(code));
}

CString EightDigits(uint32_t value)
{
    char text[12];
    std::snprintf(text, sizeof text, "%08x", value);
    return CString(text);
}

// Bytes in file order, two digits each, exactly as stored.
CString FileOrderHex(const std::string& index, size_t at)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = at; i < at + 4; ++i) {
        const unsigned char b = static_cast<unsigned char>(index[i]);
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return CString(std::move(out));
}

enum class Slots { AllThree, SecondOnly };

struct Loader {
    CFileStream& file;
    const MapHeaderInfo& header;
    const CString& magicText;
    const IndexHeaderInfo& indexHeader;
    TagEntry* table;
    int sets;
    Slots slots;
};

void AppendLine(std::string& log, const char* label, const CString& value)
{
    log += label;
    log += value.Bytes();
    log += '\n';
}

void RunLoader(const Loader& loader, CTreeCtrl* tree)
{
    const uint32_t magic = HexToInt(loader.magicText);
    const CString timeLine = CurrentTimeLine();

    BuildClassSets(tree, loader.sets);

    std::string log;
    log += "\n\n";
    log += timeLine.Bytes();
    log += "\n\tIndex load starts.\n\n";

    const uint32_t off = HexToInt(loader.header.m_strIndexOffset);
    const uint32_t first = off + kHeaderSize;
    const int count = loader.indexHeader.m_nTagCount;
    const int loaded = LoadedTagCount(loader.indexHeader);
    // One read for the index, including the entry after the last loaded tag,
    // whose metadata address gives that tag's size.
    const int entriesRead = std::min(count, loaded + 1);
    const std::string index = ReadWrapped(loader.file, first, int64_t(kEntrySize) * std::max(entriesRead, 0));
    // The entry goes out in pieces of a few tens of kilobytes: few writes,
    // and no buffer the size of the whole entry.
    constexpr size_t kLogPiece = 32 * 1024;
    log.reserve(kLogPiece + 16 * 1024);

    NameReader names(loader.file);
    NoteTagEntriesWritten(loader.table, loaded);
    for (int i = 0; i < loaded; ++i) {
        const size_t at = size_t(kEntrySize) * static_cast<size_t>(i);
        const uint32_t e = first + kEntrySize * static_cast<uint32_t>(i);
        TagEntry& tag = loader.table[i];

        tag.m_strClass1 = ClassCodeAt(index, at);
        tag.m_strClass2 = ClassCodeAt(index, at + 4);
        tag.m_strClass3 = ClassCodeAt(index, at + 8);
        tag.m_strIdentifier = EightDigits(ReadLittleEndian(index, at + 0x0C, 4));
        const uint32_t nameAddress = ReadLittleEndian(index, at + 0x10, 4);
        const uint32_t metaAddress = ReadLittleEndian(index, at + 0x14, 4);
        tag.m_strValue = FileOrderHex(index, at + 0x14);
        if (i < count - 1) {
            const uint32_t nextMetaAddress = ReadLittleEndian(index, at + kEntrySize + 0x14, 4);
            tag.m_nMetaSize = static_cast<int32_t>(nextMetaAddress - metaAddress);
        } else {
            tag.m_nMetaSize = 0;
        }
        const uint32_t stringOffset = nameAddress - magic;
        tag.m_strStringOffset = IntToHex(static_cast<int32_t>(stringOffset));
        tag.m_strMetaOffset = IntToHex(static_cast<int32_t>(metaAddress - magic));
        tag.m_strPageOffset = IntToHex(static_cast<int32_t>(e));
        tag.m_strName = names.NameAt(stringOffset);

        log += "Tag number ";
        log += std::to_string(i);
        log += " data:\n";
        AppendLine(log, "Tag name:\t\t\t", tag.m_strName);
        AppendLine(log, "Page Offset:\t\t", tag.m_strPageOffset);
        AppendLine(log, "Identifier:\t\t\t", tag.m_strIdentifier);
        AppendLine(log, "Tagclasses:\t\t\t", tag.m_strClass1 + tag.m_strClass2 + tag.m_strClass3);
        AppendLine(log, "String Offset:\t\t", tag.m_strStringOffset);
        AppendLine(log, "Meta Offset:\t\t", tag.m_strMetaOffset);
        AppendLine(log, "Value:\t\t\t\t", tag.m_strValue);
        log += '\n';
        if (log.size() >= kLogPiece) {
            g_LogFile.Write(log);
            log.clear();
        }

        if (loader.slots == Slots::AllThree) {
            tag.m_hItem1 = PlaceTagInSet(tree, 1, tag.m_strClass1, tag.m_strName);
            tag.m_hItem2 = PlaceTagInSet(tree, 2, tag.m_strClass2, tag.m_strName);
            tag.m_hItem3 = PlaceTagInSet(tree, 3, tag.m_strClass3, tag.m_strName);
        } else {
            tag.m_hItem2 = PlaceTagInSet(tree, 1, tag.m_strClass1, tag.m_strName);
        }
    }
    if (count > loaded) {
        log += "\tOnly the first " + std::to_string(loaded) + " of " + std::to_string(count) +
               " tags were loaded: the tag table holds " + std::to_string(kMaxTags) + " tags.\n";
    }
    g_LogFile.Write(log);
    s_namesCut[loader.table == g_Tags ? 0 : 1] = names.Cut();
}
} // namespace

bool LastLoadCutNames(const TagEntry* table) { return s_namesCut[table == g_Tags ? 0 : 1]; }

void ResetNamesCut()
{
    s_namesCut[0] = s_namesCut[1] = false;
}

void ReadIndexHeader() { ReadIndexHeaderOf(g_MapFile, g_MapHeader, g_IndexHeader, g_strMagic); }

void ReadInputIndexHeader()
{
    ReadIndexHeaderOf(g_InputMapFile, g_InputMapHeader, g_InputIndexHeader, g_strInputMagic);
}

void LoadTagIndex(CTreeCtrl* tree)
{
    RunLoader({g_MapFile, g_MapHeader, g_strMagic, g_IndexHeader, g_Tags, 3, Slots::AllThree}, tree);
}

void LoadTagIndexForInjection(CTreeCtrl* tree)
{
    RunLoader({g_MapFile, g_MapHeader, g_strMagic, g_IndexHeader, g_Tags, 1, Slots::SecondOnly}, tree);
}

void LoadInputTagIndex(CTreeCtrl* tree)
{
    RunLoader({g_InputMapFile, g_InputMapHeader, g_strInputMagic, g_InputIndexHeader, g_InputTags, 1,
               Slots::SecondOnly},
              tree);
}
