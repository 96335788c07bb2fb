// The scanner side of the Tag Controls dialog: Scan Metadata, the
// selection of a scan result and Update Item.
#include "tagcontrols/TagInfo.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/MapWrite.h"
#include "messagebox/MessageDialog.h"
#include "metadata/WorkingMetadata.h"
#include "res/ResourceIds.h"
#include "tagcontrols/ScanEngine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace {

const char* const kNulledOutEntry = "\xFF\xFF\xFF\xFF -- Nulled Out";

CString TagText(int k) { return g_Tags[k].m_strClass1 + " -- " + g_Tags[k].m_strName; }

// The tag text a 'd' or 'l' record shows: the Nulled Out entry for a
// reference past the loaded tags, whatever an earlier map left in that slot.
CString RecordTagText(const ScanRecord& record)
{
    const int loaded = LoadedTagCount(g_IndexHeader);
    if (record.m_nTag < 0 || record.m_nTag >= loaded) return kNulledOutEntry;
    CString text = TagText(record.m_nTag);
    return text == " -- " ? CString(kNulledOutEntry) : text;
}

bool IsHexText(const CString& text)
{
    if (text.IsEmpty()) return false;
    return std::all_of(text.Bytes().begin(), text.Bytes().end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

CString Nothing(const char* why)
{
    CString text = why;
    return text + " Nothing was written.";
}

} // namespace

int CTagInfo::FindScanRecord(HTREEITEM item)
{
    if (item == nullptr) return -1;
    for (int i = 0; i < kMaxScanRecords; ++i)
        if (g_ScanRecords[i].m_hItem == item) return i;
    return -1;
}

bool CTagInfo::IsScanRoot(HTREEITEM item) const
{
    return item != nullptr && (item == m_hDependencies || item == m_hLoneIDs || item == m_hReflexives ||
                               item == m_hPointers || item == m_hFloats || item == m_hShorts);
}

int CTagInfo::FindTagByText(const CString& text)
{
    const int loaded = LoadedTagCount(g_IndexHeader);
    for (int k = 0; k < loaded; ++k)
        if (TagText(k) == text) return k;
    return -1;
}

bool CTagInfo::ShowsRecord(int record) const
{
    return record >= 0 && record == m_nShownRecord && g_ScanRecords[record].m_hItem == m_hShownItem;
}

int CTagInfo::ScanClassLimit() const
{
    // Only a Dependency's patch uses the text as a class code; otherwise it
    // is a target offset, or unused, and a stale target must not block the
    // other buttons.
    const int record = FindScanRecord(m_treeScanner.GetSelectedItem());
    return record >= 0 && g_ScanRecords[record].m_chType == 'd' ? 4 : 8;
}

void CTagInfo::OnScanMetadata()
{
    // A refused control would scan with what the user no longer sees.
    if (!UpdateData(TRUE)) return;

    HTREEITEM roots[kScanRootCount];
    for (int r = 0; r < kScanRootCount; ++r)
        roots[r] = m_treeScanner.InsertItem(ScanRootText(static_cast<ScanRoot>(r)), TVI_ROOT, TVI_LAST);
    m_hDependencies = roots[static_cast<int>(ScanRoot::Dependencies)];
    m_hLoneIDs = roots[static_cast<int>(ScanRoot::LoneIDs)];
    m_hReflexives = roots[static_cast<int>(ScanRoot::Reflexives)];
    m_hPointers = roots[static_cast<int>(ScanRoot::Pointers)];
    m_hFloats = roots[static_cast<int>(ScanRoot::Floats)];
    m_hShorts = roots[static_cast<int>(ScanRoot::Shorts)];

    ScanSwitches switches;
    switches.dependencies = m_bDependencies != FALSE;
    switches.loneIDs = m_bLoneIDs != FALSE;
    switches.reflexives = m_bReflexives != FALSE;
    switches.pointers = m_bPointers != FALSE;
    switches.floats = m_bFloats != FALSE;
    switches.shorts = m_bShorts != FALSE;
    const ScanResult result = ScanTagMetadata(m_nTagIndex, switches, m_fFloatPrecision);

    int n = 0;
    for (const ScanItem& item : result.items) {
        if (n >= kMaxScanRecords) break;
        HTREEITEM handle = m_treeScanner.InsertItem(item.text, roots[static_cast<int>(RootOf(item.kind))], TVI_LAST);
        StoreScanRecord(item, handle, g_ScanRecords[n]);
        ++n;
    }
    UpdateData(FALSE);
    for (const CString& message : result.messages) ShowMessage(message);
}

void CTagInfo::OnSelchangedScanTree(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    *pResult = 0;
    HTREEITEM selected = m_treeScanner.GetSelectedItem();
    if (IsScanRoot(selected)) return;
    m_nScanItem = FindScanRecord(selected);
    if (m_nScanItem < 0) {
        UpdateData(FALSE);
        return;
    }
    if (!g_bTagListFilled) {
        const int loaded = LoadedTagCount(g_IndexHeader);
        for (int k = 0; k < loaded; ++k) m_comboScanTag.AddString(TagText(k));
        m_comboScanTag.AddString(kNulledOutEntry);
    }
    const ScanRecord& record = g_ScanRecords[m_nScanItem];
    switch (record.m_chType) {
    case 'd':
        m_strScanClass = record.m_strClass;
        m_strScanTag = RecordTagText(record);
        break;
    case 'l': m_strScanTag = RecordTagText(record); break;
    case 'r':
    case 'p':
        m_strScanTag.Empty();
        m_strScanClass = IntToHex(static_cast<int32_t>(record.m_dwTarget));
        m_dScanValue = record.m_nCount;
        break;
    case 'f':
        m_strScanTag.Empty();
        m_strScanClass.Empty();
        m_dScanValue = record.m_fValue;
        break;
    case 's':
        m_strScanTag.Empty();
        m_strScanClass.Empty();
        m_dScanValue = record.m_sValue;
        break;
    default: break;
    }
    g_bTagListFilled = true;
    UpdateData(FALSE);
    m_nShownRecord = m_nScanItem;
    m_hShownItem = record.m_hItem;
    m_strShownScanTag = m_strScanTag;
    m_strShownScanClass = m_strScanClass;
    m_dShownScanValue = m_dScanValue;
}

bool CTagInfo::PatchScanRecord(const ScanRecord& record, std::string& block, uint32_t& first, uint32_t& end,
                               CString& refusal)
{
    const int64_t size = static_cast<int64_t>(block.size());
    const int64_t off = record.m_nOffset;
    const bool shown = ShowsRecord(m_nScanItem);
    first = static_cast<uint32_t>(block.size());
    end = 0;
    auto put = [&](int64_t at, const std::string& bytes) {
        std::copy(bytes.begin(), bytes.end(), block.begin() + at);
        first = std::min(first, static_cast<uint32_t>(at));
        end = std::max(end, static_cast<uint32_t>(at + static_cast<int64_t>(bytes.size())));
    };
    auto outside = [&](int64_t from, int64_t to) {
        if (from >= 0 && to <= size) return false;
        refusal.Format("This item's patch would reach outside the tag's metadata (offset 0x%llx of %lld bytes). "
                       "Nothing was written.",
                       static_cast<unsigned long long>(off), static_cast<long long>(size));
        return true;
    };

    switch (record.m_chType) {
    case 'd':
    case 'l': {
        // An untouched tag text stands for the record's own tag, never for
        // a namesake listed first, and keeps the identifier bytes as found.
        const bool tagChanged = !(shown && m_strScanTag == m_strShownScanTag);
        const bool recordTagLoaded = record.m_nTag >= 0 && record.m_nTag < LoadedTagCount(g_IndexHeader);
        const int k = tagChanged ? FindTagByText(m_strScanTag) : (recordTagLoaded ? record.m_nTag : -1);
        if (k < 0) return true;
        const bool classChanged = record.m_chType == 'd' && !(shown && m_strScanClass == m_strShownScanClass);
        if (!tagChanged && !classChanged) return true;
        if (outside(classChanged ? off - 12 : off, tagChanged ? off + 4 : off - 8)) return false;
        if (classChanged && m_strScanClass.GetLength() != 4) {
            refusal = Nothing("A class code has four characters.");
            return false;
        }
        std::string identifier;
        if (tagChanged) {
            // Tag k's identifier as its index entry stores it.
            g_MapFile.SeekRead(IndexEntryOffset(k) + 0x0C);
            if (g_MapFile.Read(identifier, 4) != 4) {
                refusal.Format("The identifier of the chosen tag could not be read from the map file '%s'. "
                               "Nothing was written.",
                               g_strMapFileName.GetString());
                return false;
            }
        }
        if (classChanged) put(off - 12, std::string(m_strScanClass.Bytes().rbegin(), m_strScanClass.Bytes().rend()));
        if (tagChanged) put(off, identifier);
        return true;
    }
    case 'r': {
        const bool countChanged = !(shown && m_dScanValue == m_dShownScanValue);
        const bool targetChanged = !(shown && m_strScanClass == m_strShownScanClass);
        if (!countChanged && !targetChanged) return true;
        if (countChanged && !(m_dScanValue > -1.0 && m_dScanValue < 65536.0)) {
            refusal = Nothing("The chunk count must be a number from 0 to 65535.");
            return false;
        }
        if (targetChanged && !IsHexText(m_strScanClass)) {
            refusal = Nothing("The target must be an offset inside the tag's metadata, in hexadecimal digits.");
            return false;
        }
        if (outside(countChanged ? off - 4 : off, targetChanged ? off + 4 : off - 2)) return false;
        if (countChanged) put(off - 4, LittleEndianBytes(static_cast<uint32_t>(std::trunc(m_dScanValue)), 2));
        if (targetChanged) {
            const uint32_t pointer =
                HexToInt(m_strScanClass) + HexToInt(g_strMagic) + HexToInt(g_Tags[m_nTagIndex].m_strMetaOffset);
            put(off, LittleEndianBytes(pointer, 4));
        }
        return true;
    }
    default: return true;
    }
}

void CTagInfo::OnUpdateItem()
{
    HTREEITEM selected = m_treeScanner.GetSelectedItem();
    if (IsScanRoot(selected)) return;
    m_nScanItem = FindScanRecord(selected);
    // A refused control would otherwise be written with its older value.
    if (!UpdateData(TRUE)) return;
    if (m_nScanItem < 0) return;

    const TagEntry& tag = g_Tags[m_nTagIndex];
    const uint32_t metaOffset = HexToInt(tag.m_strMetaOffset);
    if (!MapIsStillTheOpenedFile()) {
        ShowMessage(MapReplacedMessage());
        return;
    }
    WorkingMetadata metadata = ReadWorkingMetadata(g_MapFile, metaOffset, tag.m_nMetaSize);
    if (metadata.status == MetadataReadStatus::ReadError) {
        ShowMessage(FileReadFailedText(g_strMapFileName) + " Nothing was written.");
        return;
    }
    if (metadata.status == MetadataReadStatus::SizeOutOfRange) {
        CString text;
        text.Format("The metadata size of this tag (%d bytes) is not between 0 and %d bytes. Nothing was written.",
                    tag.m_nMetaSize, kWorkingMetadataSize);
        ShowMessage(text);
        return;
    }
    if (metadata.status == MetadataReadStatus::ShortRead) {
        CString text;
        text.Format("The map file ends after %d of this tag's %d metadata bytes. Nothing was written.",
                    metadata.bytesRead, tag.m_nMetaSize);
        ShowMessage(text);
        return;
    }
    // The block as stored: a write-back from the text form would turn
    // every 0x78 byte into zero.
    std::string& block = metadata.raw;

    uint32_t first = 0;
    uint32_t end = 0;
    CString refusal;
    if (!PatchScanRecord(g_ScanRecords[m_nScanItem], block, first, end, refusal)) {
        ShowMessage(refusal);
        return;
    }
    // Bytes outside the patch are as read, so only the patched run is written.
    if (first < end) {
        const std::string_view run = std::string_view(block).substr(first, end - first);
        if (!WriteMapBytesAt(static_cast<int64_t>(metaOffset) + first, run) || !g_MapFile.Sync()) {
            ShowMessage(MapWriteFailedMessage());
            return;
        }
    }
    OnClearScanner();
}
