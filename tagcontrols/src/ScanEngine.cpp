#include "tagcontrols/ScanEngine.h"

#include "map/FloatText.h"
#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "metadata/ReferenceSearch.h"

#include <bit>
#include <string>

const char* const kFloatPrecisionNotPositiveMessage =
    "The float precision must be a number greater than 0. Floats were not scanned.";

CString MetadataSizeRefusedMessage(int32_t metaSize)
{
    CString text;
    text.Format("The metadata size of this tag (%d bytes) is not between 0 and %d bytes. The tag was not scanned.",
                metaSize, kWorkingMetadataSize);
    return text;
}

CString MetadataShortReadMessage(int32_t bytesRead, int32_t metaSize)
{
    CString text;
    text.Format("The map file ends after %d of this tag's %d metadata bytes. Only those bytes were scanned.",
                bytesRead, metaSize);
    return text;
}

CString FloatPrecisionTooSmallMessage()
{
    CString text;
    text.Format("The float precision is too small: more than %d values would be tried. Floats were not scanned.",
                kMaxFloatValues);
    return text;
}

CString ScanItemLimitMessage(int32_t itemLimit)
{
    CString text;
    text.Format("The scan found more than %d items. Only the first %d are listed.", itemLimit, itemLimit);
    return text;
}

const char* ScanRootText(ScanRoot root)
{
    switch (root) {
    case ScanRoot::Dependencies: return "Dependencies";
    case ScanRoot::LoneIDs: return "LoneIDs";
    case ScanRoot::Reflexives: return "Reflexives";
    case ScanRoot::Pointers: return "Pointers";
    case ScanRoot::Floats: return "Floats";
    case ScanRoot::Shorts: return "Shorts";
    }
    return "";
}

ScanRoot RootOf(ScanItemKind kind)
{
    switch (kind) {
    case ScanItemKind::Dependency:
    case ScanItemKind::NullReference: return ScanRoot::Dependencies;
    case ScanItemKind::LoneID: return ScanRoot::LoneIDs;
    case ScanItemKind::Reflexive: return ScanRoot::Reflexives;
    case ScanItemKind::Pointer: return ScanRoot::Pointers;
    case ScanItemKind::Float: return ScanRoot::Floats;
    case ScanItemKind::Short: return ScanRoot::Shorts;
    }
    return ScanRoot::Dependencies;
}

char RecordType(ScanItemKind kind)
{
    switch (kind) {
    case ScanItemKind::Dependency:
    case ScanItemKind::NullReference: return 'd';
    case ScanItemKind::LoneID: return 'l';
    case ScanItemKind::Reflexive: return 'r';
    case ScanItemKind::Pointer: return 'p';
    case ScanItemKind::Float: return 'f';
    case ScanItemKind::Short: return 's';
    }
    return 'd';
}

void StoreScanRecord(const ScanItem& item, HTREEITEM handle, ScanRecord& record)
{
    record.m_hItem = handle;
    record.m_chType = RecordType(item.kind);
    record.m_nOffset = item.offset;
    switch (item.kind) {
    case ScanItemKind::Dependency:
    case ScanItemKind::NullReference:
        record.m_nTag = item.tag;
        record.m_strClass = item.classCode;
        break;
    case ScanItemKind::LoneID: record.m_nTag = item.tag; break;
    case ScanItemKind::Reflexive:
    case ScanItemKind::Pointer:
        record.m_dwTarget = item.target;
        record.m_nCount = item.count;
        break;
    case ScanItemKind::Float: record.m_fValue = item.floatValue; break;
    case ScanItemKind::Short: record.m_sValue = item.shortValue; break;
    }
}

namespace {

CString OffsetText(int32_t offset) { return "0x" + (CString("00000000") + IntToHex(offset)).Right(8); }

// The accumulated values of the float phase: precision, then each sum with
// precision again in single precision, while the value is at most 100.
// False when the phase could not end within kMaxFloatValues values.
bool FloatPhaseValues(float precision, std::vector<uint32_t>& values)
{
    values.clear();
    for (float f = precision; f <= 100.0f; f = f + precision) {
        if (static_cast<int32_t>(values.size()) == kMaxFloatValues) return false;
        values.push_back(std::bit_cast<uint32_t>(f));
    }
    return true;
}

class Scan {
public:
    Scan(const CString& block, const ScanParameters& parameters, ScanResult& result)
        : m_block(block), m_in(parameters), m_out(result),
          m_limit(parameters.itemLimit < 0 ? 0 : parameters.itemLimit)
    {
    }

    void Run()
    {
        const ScanSwitches& on = m_in.switches;
        int32_t P = 0;

        // Phase 1 always runs; when neither of its kinds is listed, only
        // where it leaves P matters, and that is known without searching.
        if (on.dependencies || on.loneIDs) {
            IdentifierPass(m_block, m_in.tags, m_in.tagCount, P, [&](const ReferenceHit& hit) {
                return hit.kind == HitKind::Dependency ? (!on.dependencies || Dependency(hit))
                                                       : (!on.loneIDs || LoneID(hit));
            });
        } else if (m_in.tagCount > 0) {
            P = -1;
        }
        if (m_stopped) return;

        if (on.dependencies) NullReferencePass(m_block, P, [&](const ReferenceHit& hit) { return NullReference(hit); });
        if (m_stopped) return;

        if (on.floats) FloatPhase(P);
        if (m_stopped) return;

        P = 0;
        if (on.pointers)
            PointerSearch(m_block, 0, m_in.eofPosition, m_in.magic, 0, P,
                          [&](const ReferenceHit& hit) { return Pointer(hit, ScanItemKind::Pointer); });
        if (m_stopped) return;

        P = 0;
        if (on.reflexives)
            SelfPointerPass(m_block, m_in.metaOffset, m_in.magic, P,
                            [&](const ReferenceHit& hit) { return Pointer(hit, ScanItemKind::Reflexive); });
        if (m_stopped) return;

        if (on.shorts) ShortPhase(P);
    }

private:
    bool Make(ScanItem&& item)
    {
        m_out.items.push_back(std::move(item));
        return true;
    }

    // Asked before an item's text is made: the first item past the limit
    // is not made; it ends the scan and marks the list as cut.
    bool Full()
    {
        if (static_cast<int32_t>(m_out.items.size()) < m_limit) return false;
        m_out.truncated = true;
        m_stopped = true;
        return true;
    }

    bool Dependency(const ReferenceHit& hit)
    {
        if (Full()) return false;
        ScanItem item;
        item.kind = ScanItemKind::Dependency;
        item.offset = hit.offset;
        item.tag = hit.tag;
        item.classCode = hit.classCode;
        item.text = OffsetText(hit.offset) + " -- " + hit.classCode + " -- " + m_in.tags[hit.tag].m_strName;
        return Make(std::move(item));
    }

    bool LoneID(const ReferenceHit& hit)
    {
        if (Full()) return false;
        const TagEntry& tag = m_in.tags[hit.tag];
        ScanItem item;
        item.kind = ScanItemKind::LoneID;
        item.offset = hit.offset;
        item.tag = hit.tag;
        item.text = OffsetText(hit.offset) + " -- " + tag.m_strClass1 + " -- " + tag.m_strName;
        return Make(std::move(item));
    }

    bool NullReference(const ReferenceHit& hit)
    {
        if (Full()) return false;
        ScanItem item;
        item.kind = ScanItemKind::NullReference;
        item.offset = hit.offset;
        item.tag = static_cast<int32_t>(static_cast<uint32_t>(m_in.tagCount) + 1u);
        item.classCode = hit.classCode;
        item.text = OffsetText(hit.offset) + " -- " + hit.classCode + " -- Nulled Out";
        return Make(std::move(item));
    }

    bool Pointer(const ReferenceHit& hit, ScanItemKind kind)
    {
        if (Full()) return false;
        ScanItem item;
        item.kind = kind;
        item.offset = hit.offset;
        item.target = hit.target;
        item.count = static_cast<int32_t>(hit.count);
        item.text = OffsetText(hit.offset) + " -- 0x" + ValueWindowHex(m_block, hit.offset) + " = 0x" +
                    IntToHex(static_cast<int32_t>(hit.target)) +
                    " -- Chunk Count: " + NumberText(static_cast<float>(hit.count));
        return Make(std::move(item));
    }

    void FloatPhase(int32_t& P)
    {
        const float precision = m_in.floatPrecision;
        std::vector<uint32_t> values;
        if (!(precision > 0.0f)) {
            m_out.messages.push_back(kFloatPrecisionNotPositiveMessage);
            return;
        }
        if (!FloatPhaseValues(precision, values)) {
            m_out.messages.push_back(FloatPrecisionTooSmallMessage());
            return;
        }
        SearchValueList(m_block, values, P, [&](size_t, int32_t position) {
            const float v = std::bit_cast<float>(ValueWindow(m_block, position));
            if (!(v > 0.0f)) return true;
            if (Full()) return false;
            ScanItem item;
            item.kind = ScanItemKind::Float;
            item.offset = position;
            item.floatValue = v;
            item.text = OffsetText(position) + " -- " + NumberText(v);
            return Make(std::move(item));
        });
    }

    void ShortPhase(int32_t& P)
    {
        std::vector<uint32_t> values;
        for (uint32_t j = 1; j <= 100; ++j) values.push_back(j);
        SearchValueList(m_block, values, P, [&](size_t, int32_t position) {
            // Two bytes, or one at the block's last position.
            const uint32_t w = ValueWindow(m_block, position) & 0xFFFF;
            if (w > 100) return true;
            if (Full()) return false;
            ScanItem item;
            item.kind = ScanItemKind::Short;
            item.offset = position;
            item.shortValue = static_cast<int16_t>(w);
            item.text = OffsetText(position) + " -- " + NumberText(static_cast<float>(w));
            return Make(std::move(item));
        });
    }

public:
    // Every number is shown as FloatToText writes it; "Temp.meta" is left
    // holding the last one, as after one round trip per number.
    void LeaveLastNumber() const
    {
        CString refusal;
        if (m_formattedAny) FloatToText(m_lastNumber, &refusal);
        if (!refusal.IsEmpty()) m_out.messages.push_back(refusal);
    }

private:
    CString NumberText(float value)
    {
        m_formattedAny = true;
        m_lastNumber = value;
        return FormatFloatText(value);
    }

    const CString& m_block;
    const ScanParameters& m_in;
    ScanResult& m_out;
    const int32_t m_limit;
    bool m_stopped = false;
    bool m_formattedAny = false;
    float m_lastNumber = 0.0f;
};

} // namespace

ScanResult RunMetadataScan(const CString& block, const ScanParameters& parameters)
{
    ScanResult result;
    Scan scan(block, parameters, result);
    scan.Run();
    scan.LeaveLastNumber();
    if (result.truncated) result.messages.push_back(ScanItemLimitMessage(parameters.itemLimit));
    return result;
}

ScanResult ScanTagMetadata(int tagIndex, const ScanSwitches& switches, float floatPrecision)
{
    ScanResult result;
    if (tagIndex < 0 || tagIndex >= kMaxTags) {
        result.refused = true;
        return result;
    }
    const TagEntry& tag = g_Tags[tagIndex];
    const uint32_t metaOffset = HexToInt(tag.m_strMetaOffset);
    WorkingMetadata metadata = ReadWorkingMetadata(g_MapFile, metaOffset, tag.m_nMetaSize);
    if (metadata.status == MetadataReadStatus::SizeOutOfRange) {
        result.refused = true;
        result.messages.push_back(MetadataSizeRefusedMessage(tag.m_nMetaSize));
        return result;
    }
    if (metadata.status == MetadataReadStatus::ReadError) {
        result.refused = true;
        result.messages.push_back(FileReadFailedText(g_strMapFileName) + " The metadata was not scanned.");
        return result;
    }

    ScanParameters parameters;
    parameters.tags = g_Tags;
    parameters.tagCount = g_IndexHeader.m_nTagCount;
    parameters.magic = HexToInt(g_strMagic);
    parameters.metaOffset = metaOffset;
    parameters.eofPosition = HexToInt(g_MapHeader.m_strEofPosition);
    parameters.switches = switches;
    parameters.floatPrecision = floatPrecision;
    result = RunMetadataScan(metadata.block, parameters);
    if (metadata.status == MetadataReadStatus::ShortRead)
        result.messages.insert(result.messages.begin(), MetadataShortReadMessage(metadata.bytesRead, tag.m_nMetaSize));
    return result;
}
