#include "tests/support/ReferenceOracle.h"

#include "map/FloatText.h"
#include "map/HexCodec.h"

#include <algorithm>
#include <bit>
#include <string>

namespace travik::test::oracle {

int32_t Find(const CString& block, const CString& needle, int64_t start)
{
    if (needle.IsEmpty()) return -1;  // a needle is never empty
    if (start > block.GetLength()) return -1;
    size_t at = block.Bytes().find(needle.Bytes(), static_cast<size_t>(start < 0 ? 0 : start));
    return at == std::string::npos ? -1 : static_cast<int32_t>(at);
}

namespace {
// A window of the block: moved to start at 0, cut at the end.
CString Window(const CString& block, int64_t first, int width)
{
    if (first < 0) first = 0;
    if (first > block.GetLength()) return CString();
    return block.Mid(static_cast<int>(first), width);
}

uint32_t ReadNumber(CString window) { return HexToInt(BytesToHex(window.MakeReverse())); }
} // namespace

CString ClassText(const CString& block, int32_t P) { return Window(block, int64_t{P} - 12, 4).MakeReverse(); }
uint32_t ValueAt(const CString& block, int32_t P) { return ReadNumber(Window(block, P, 4)); }
uint32_t CountAt(const CString& block, int32_t P) { return ReadNumber(Window(block, int64_t{P} - 4, 2)); }

bool IsKnown(const CString& classText)
{
    if (classText.GetLength() != 4) return false;
    for (int row = 0; row <= 78; ++row)
        if (g_TagClasses[row][0] == classText) return true;
    return false;
}

std::vector<ReferenceHit> IdentifierPass(const CString& block, const TagEntry* tags, int tagCount, int32_t& P)
{
    std::vector<ReferenceHit> hits;
    if (tagCount > kMaxTags) tagCount = kMaxTags;
    int k = 0;
    while (k < tagCount) {
        const CString key = HexToBytes(tags[k].m_strIdentifier).MakeReverse();
        P = Find(block, key, int64_t{P} + 1);
        if (P > 0) {
            ReferenceHit hit;
            hit.offset = P;
            hit.tag = k;
            CString text = ClassText(block, P);
            if (IsKnown(text)) {
                hit.kind = HitKind::Dependency;
                hit.classCode = text;
            } else {
                hit.kind = HitKind::LoneID;
            }
            hits.push_back(hit);
        }
        if (P == -1) ++k;
    }
    return hits;
}

std::vector<ReferenceHit> NullReferencePass(const CString& block, int32_t& P)
{
    std::vector<ReferenceHit> hits;
    const CString key("\xFF\xFF\xFF\xFF", 4);
    for (;;) {
        P = Find(block, key, int64_t{P} + 1);
        if (P > 0) {
            CString text = ClassText(block, P);
            if (IsKnown(text)) {
                ReferenceHit hit;
                hit.kind = HitKind::NullReference;
                hit.offset = P;
                hit.classCode = text;
                hits.push_back(hit);
            }
        }
        if (P == -1) return hits;
    }
}

namespace {
CString KeyOfValue(uint32_t v) { return HexToBytes(IntToHex(static_cast<int32_t>(v))).MakeReverse(); }

// Every value whose key stands somewhere in the block: each substring of
// one to four characters read with each 'x' as 0x00 and as 0x78, kept
// when its value's key is that substring. A value not in this set has a
// key that stands nowhere, so every search for it gives -1.
std::vector<uint32_t> ValuesWithAKeyInTheBlock(const CString& block)
{
    std::vector<uint32_t> values;
    const std::string& s = block.Bytes();
    for (size_t p = 0; p < s.size(); ++p)
        for (size_t len = 1; len <= 4 && p + len <= s.size(); ++len) {
            const std::string sub = s.substr(p, len);
            for (unsigned pick = 0; pick < (1u << len); ++pick) {
                uint32_t v = 0;
                for (size_t i = 0; i < len; ++i) {
                    unsigned char c = static_cast<unsigned char>(sub[i]);
                    if (c == 'x' && !(pick & (1u << i))) c = 0;
                    v |= static_cast<uint32_t>(c) << (8 * i);
                }
                if (KeyOfValue(v).Bytes() == sub) values.push_back(v);
            }
        }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

void SearchAddress(const CString& block, uint32_t a, uint32_t magic, uint32_t base, int32_t& P,
                   std::vector<ReferenceHit>& hits)
{
    const CString key = KeyOfValue(a + magic);
    for (;;) {
        P = Find(block, key, int64_t{P} + 1);
        if (P > 0) {
            ReferenceHit hit;
            hit.kind = HitKind::Pointer;
            hit.offset = P;
            hit.value = ValueAt(block, P);
            hit.count = CountAt(block, P);
            hit.target = hit.value - magic - base;
            hits.push_back(hit);
        }
        if (P <= 0) break;
    }
}
} // namespace

std::vector<ReferenceHit> PointerSearchEveryAddress(const CString& block, uint32_t firstAddress, uint32_t lastAddress,
                                                    uint32_t magic, uint32_t base, int32_t& P)
{
    std::vector<ReferenceHit> hits;
    // Every address from first to last once: a 32-bit counter would never
    // pass a last address of 0xFFFFFFFF.
    for (uint64_t a = firstAddress; a <= lastAddress; ++a) SearchAddress(block, static_cast<uint32_t>(a), magic, base, P, hits);
    return hits;
}

std::vector<ReferenceHit> PointerSearch(const CString& block, uint32_t firstAddress, uint32_t lastAddress,
                                        uint32_t magic, uint32_t base, int32_t& P)
{
    if (firstAddress > lastAddress) return {};
    if (lastAddress - firstAddress < kLongRange)
        return PointerSearchEveryAddress(block, firstAddress, lastAddress, magic, base, P);
    std::vector<ReferenceHit> hits;
    // A long range: the addresses whose key stands somewhere, in order; a
    // run of other addresses between them leaves P = -1.
    std::vector<uint32_t> addresses;
    for (uint32_t v : ValuesWithAKeyInTheBlock(block))
        if (v - magic - firstAddress <= lastAddress - firstAddress) addresses.push_back(v - magic);
    std::sort(addresses.begin(), addresses.end());
    uint64_t next = firstAddress;
    for (uint32_t a : addresses) {
        if (a != next) P = -1;
        SearchAddress(block, a, magic, base, P, hits);
        next = uint64_t{a} + 1;
    }
    if (next != uint64_t{lastAddress} + 1) P = -1;
    return hits;
}

std::vector<ReferenceHit> SelfPointerPass(const CString& block, uint32_t metaOffset, uint32_t magic, int32_t& P)
{
    return oracle::PointerSearch(block, metaOffset, metaOffset + static_cast<uint32_t>(block.GetLength()), magic,
                         metaOffset, P);
}

std::vector<std::pair<size_t, int32_t>> SearchValueList(const CString& block, const std::vector<uint32_t>& values,
                                                        int32_t& P)
{
    std::vector<std::pair<size_t, int32_t>> hits;
    for (size_t i = 0; i < values.size(); ++i) {
        const CString key = KeyOfValue(values[i]);
        for (;;) {
            P = Find(block, key, int64_t{P} + 1);
            if (P > 0) hits.emplace_back(i, P);
            if (P <= 0) break;
        }
    }
    return hits;
}

namespace {
CString O(int32_t offset) { return "0x" + (CString("00000000") + IntToHex(offset)).Right(8); }
CString H(const CString& block, int32_t P) { return BytesToHex(Window(block, P, 4).MakeReverse()); }
} // namespace

std::vector<ScanItem> Scan(const CString& block, const ScanParameters& in)
{
    std::vector<ScanItem> items;
    const ScanSwitches& on = in.switches;
    const uint32_t magic = in.magic;
    int32_t P = 0;

    // Phase 1: always runs.
    for (const ReferenceHit& hit : oracle::IdentifierPass(block, in.tags, in.tagCount, P)) {
        const TagEntry& tag = in.tags[hit.tag];
        ScanItem item;
        item.offset = hit.offset;
        item.tag = hit.tag;
        if (hit.kind == HitKind::Dependency) {
            if (!on.dependencies) continue;
            item.kind = ScanItemKind::Dependency;
            item.classCode = hit.classCode;
            item.text = O(hit.offset) + " -- " + hit.classCode + " -- " + tag.m_strName;
        } else {
            if (!on.loneIDs) continue;
            item.kind = ScanItemKind::LoneID;
            item.text = O(hit.offset) + " -- " + tag.m_strClass1 + " -- " + tag.m_strName;
        }
        items.push_back(item);
    }

    // Phase 2.
    if (on.dependencies) {
        for (const ReferenceHit& hit : oracle::NullReferencePass(block, P)) {
            ScanItem item;
            item.kind = ScanItemKind::NullReference;
            item.offset = hit.offset;
            item.tag = in.tagCount + 1;
            item.classCode = hit.classCode;
            item.text = O(hit.offset) + " -- " + hit.classCode + " -- Nulled Out";
            items.push_back(item);
        }
    }

    // Phase 3.
    if (on.floats) {
        float f = in.floatPrecision;
        while (f <= 100.0f) {
            P = Find(block, KeyOfValue(std::bit_cast<uint32_t>(f)), int64_t{P} + 1);
            if (P > 0) {
                float v = std::bit_cast<float>(ValueAt(block, P));
                if (v > 0.0f) {
                    ScanItem item;
                    item.kind = ScanItemKind::Float;
                    item.offset = P;
                    item.floatValue = v;
                    item.text = O(P) + " -- " + FormatFloatText(v);
                    items.push_back(item);
                }
            }
            if (P <= 0) f = f + in.floatPrecision;
        }
    }

    // Phase 4.
    P = 0;
    if (on.pointers) {
        for (const ReferenceHit& hit : oracle::PointerSearch(block, 0, in.eofPosition, magic, 0, P)) {
            ScanItem item;
            item.kind = ScanItemKind::Pointer;
            item.offset = hit.offset;
            item.target = hit.value - magic;
            item.count = static_cast<int32_t>(hit.count);
            item.text = O(hit.offset) + " -- 0x" + H(block, hit.offset) + " = 0x" +
                        IntToHex(static_cast<int32_t>(item.target)) +
                        " -- Chunk Count: " + FormatFloatText(static_cast<float>(hit.count));
            items.push_back(item);
        }
    }

    // Phase 5.
    P = 0;
    if (on.reflexives) {
        for (const ReferenceHit& hit : oracle::SelfPointerPass(block, in.metaOffset, magic, P)) {
            ScanItem item;
            item.kind = ScanItemKind::Reflexive;
            item.offset = hit.offset;
            item.target = hit.value - magic - in.metaOffset;
            item.count = static_cast<int32_t>(hit.count);
            item.text = O(hit.offset) + " -- 0x" + H(block, hit.offset) + " = 0x" +
                        IntToHex(static_cast<int32_t>(item.target)) +
                        " -- Chunk Count: " + FormatFloatText(static_cast<float>(hit.count));
            items.push_back(item);
        }
    }

    // Phase 6.
    if (on.shorts) {
        for (uint32_t j = 1; j <= 100; ++j) {
            for (;;) {
                P = Find(block, KeyOfValue(j), int64_t{P} + 1);
                if (P > 0) {
                    uint32_t w = ReadNumber(Window(block, P, 2));
                    if (w <= 100) {
                        ScanItem item;
                        item.kind = ScanItemKind::Short;
                        item.offset = P;
                        item.shortValue = static_cast<int16_t>(w);
                        item.text = O(P) + " -- " + FormatFloatText(static_cast<float>(w));
                        items.push_back(item);
                    }
                }
                if (P <= 0) break;
            }
        }
    }
    return items;
}

} // namespace travik::test::oracle

void PrintTo(const ReferenceHit& hit, std::ostream* out)
{
    static const char* const kinds[] = {"Dependency", "LoneID", "NullReference", "Pointer"};
    *out << "{" << kinds[static_cast<int>(hit.kind)] << " @" << hit.offset << " tag " << hit.tag << " class '"
         << hit.classCode.GetString() << "' value " << std::hex << hit.value << " target " << hit.target << std::dec
         << " count " << hit.count << "}";
}

void PrintTo(const ScanItem& item, std::ostream* out)
{
    *out << "{kind " << static_cast<int>(item.kind) << " '" << item.text.GetString() << "' @" << item.offset
         << " tag " << item.tag << " class '" << item.classCode.GetString() << "' target " << std::hex << item.target
         << std::dec << " count " << item.count << " f " << item.floatValue << " s " << item.shortValue << "}";
}
