#include "tagcontrols/ReferenceSearch.h"

#include "map/HexCodec.h"
#include "map/TagClassTable.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace {

using Byte = unsigned char;

int32_t BlockLength(const CString& block) { return block.GetLength(); }
const Byte* BlockBytes(const CString& block) { return reinterpret_cast<const Byte*>(block.Bytes().data()); }

// Up to four characters at s, the first in the low byte.
uint32_t Pack(const Byte* s, int len)
{
    uint32_t v = 0;
    for (int i = 0; i < len; ++i) v |= static_cast<uint32_t>(s[i]) << (8 * i);
    return v;
}

uint32_t Load4(const Byte* s)
{
    uint32_t v;
    std::memcpy(&v, s, 4);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    return v;
}

// A little-endian number of up to four bytes at [first, first + width) cut
// at the block's end; 'x' reads as zero, as through the hex-text codec.
uint32_t ReadWindow(const Byte* s, int32_t length, int64_t first, int width)
{
    if (first < 0) first = 0;
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) {
        int64_t at = first + i;
        Byte b = at < length ? s[at] : 0;
        if (b == 'x') b = 0;
        v = (v << 8) | b;
    }
    return v;
}

uint64_t Mix(uint64_t key) { return key * 0x9E3779B97F4A7C15ull; }

// Open-addressing map from a needle (length and packed characters) to a
// small integer, growing as it fills.
class NeedleMap {
public:
    static uint64_t KeyOf(int len, uint32_t packed) { return (static_cast<uint64_t>(len) << 32) | packed; }

    explicit NeedleMap(size_t expected = 16) { Rehash(expected * 2 < 16 ? 16 : expected * 2); }

    int32_t Find(uint64_t key) const
    {
        for (size_t i = Slot(key);; i = (i + 1) & m_mask) {
            if (m_keys[i] == key) return m_values[i];
            if (m_keys[i] == kEmpty) return -1;
        }
    }

    // Returns the value held for key, or stores value and returns it.
    int32_t FindOrInsert(uint64_t key, int32_t value)
    {
        if ((m_size + 1) * 2 > m_keys.size()) Rehash(m_keys.size() * 2);
        for (size_t i = Slot(key);; i = (i + 1) & m_mask) {
            if (m_keys[i] == key) return m_values[i];
            if (m_keys[i] == kEmpty) {
                m_keys[i] = key;
                m_values[i] = value;
                ++m_size;
                return value;
            }
        }
    }

private:
    static constexpr uint64_t kEmpty = ~0ull;

    size_t Slot(uint64_t key) const { return static_cast<size_t>(Mix(key) >> m_shift) & m_mask; }

    void Rehash(size_t minSlots)
    {
        size_t slots = 16;
        int bits = 4;
        while (slots < minSlots) {
            slots *= 2;
            ++bits;
        }
        std::vector<uint64_t> keys(slots, kEmpty);
        std::vector<int32_t> values(slots, -1);
        std::swap(keys, m_keys);
        std::swap(values, m_values);
        m_mask = slots - 1;
        m_shift = 64 - bits;
        m_size = 0;
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] != kEmpty) FindOrInsert(keys[i], values[i]);
    }

    std::vector<uint64_t> m_keys;
    std::vector<int32_t> m_values;
    size_t m_mask = 0;
    int m_shift = 60;
    size_t m_size = 0;
};

// One bit per hashed needle: most positions of a block stand on no needle,
// and this rules them out without touching the map.
class NeedleFilter {
public:
    void Reset(size_t needles)
    {
        size_t bits = 1u << 12;
        while (bits < needles * 64 && bits < (1u << 22)) bits *= 2;
        m_bits.assign(bits / 64, 0);
        m_shift = 64 - std::countr_zero(bits);
    }
    void Add(uint64_t key)
    {
        uint64_t h = Mix(key) >> m_shift;
        m_bits[h >> 6] |= 1ull << (h & 63);
    }
    bool MayHold(uint64_t key) const
    {
        uint64_t h = Mix(key) >> m_shift;
        return (m_bits[h >> 6] >> (h & 63)) & 1;
    }

private:
    std::vector<uint64_t> m_bits;
    int m_shift = 52;
};

// Positions grouped by needle, each group ascending: filled from (group,
// position) pairs that arrive in ascending positions.
struct Occurrences {
    std::vector<uint32_t> start;  // groups + 1 entries
    std::vector<int32_t> positions;

    void Build(size_t groups, const std::vector<std::pair<int32_t, int32_t>>& pairs)
    {
        start.assign(groups + 1, 0);
        for (const auto& [g, p] : pairs) ++start[static_cast<size_t>(g) + 1];
        for (size_t g = 0; g < groups; ++g) start[g + 1] += start[g];
        positions.resize(pairs.size());
        std::vector<uint32_t> next(start.begin(), start.end() - 1);
        for (const auto& [g, p] : pairs) positions[next[static_cast<size_t>(g)]++] = p;
    }
    const int32_t* Begin(int32_t g) const { return positions.data() + start[static_cast<size_t>(g)]; }
    const int32_t* End(int32_t g) const { return positions.data() + start[static_cast<size_t>(g) + 1]; }
};

// A set of needles of one to four characters, each with a group number,
// and the walk of the block that finds where they stand.
class NeedleIndex {
public:
    explicit NeedleIndex(size_t expected) : m_map(expected) { m_filter.Reset(expected); }

    // Group of the needle, a new one for a needle not seen before.
    int32_t Add(const std::string& needle)
    {
        const int len = static_cast<int>(needle.size());
        return Add(len, Pack(reinterpret_cast<const Byte*>(needle.data()), len));
    }

    int32_t Add(int len, uint32_t packed)
    {
        const uint64_t key = NeedleMap::KeyOf(len, packed);
        int32_t g = m_map.FindOrInsert(key, m_groups);
        if (g == m_groups) {
            ++m_groups;
            m_filter.Add(key);
            m_lengths |= 1u << len;
        }
        return g;
    }

    // Every position of the block at which a needle stands, by group.
    void Walk(const CString& block, Occurrences& out) const
    {
        const Byte* s = BlockBytes(block);
        const int32_t length = BlockLength(block);
        std::vector<std::pair<int32_t, int32_t>> pairs;
        for (int32_t p = 0; p < length; ++p) {
            uint32_t word = p + 4 <= length ? Load4(s + p) : Pack(s + p, length - p);
            for (int len = 1; len <= 4; ++len) {
                if (!(m_lengths & (1u << len)) || p + len > length) continue;
                uint32_t packed = len == 4 ? word : word & ((1u << (8 * len)) - 1);
                uint64_t key = NeedleMap::KeyOf(len, packed);
                if (!m_filter.MayHold(key)) continue;
                int32_t g = m_map.Find(key);
                if (g >= 0) pairs.emplace_back(g, p);
            }
        }
        out.Build(static_cast<size_t>(m_groups), pairs);
    }

private:
    NeedleMap m_map;
    NeedleFilter m_filter;
    int32_t m_groups = 0;
    unsigned m_lengths = 0;
};

// ValueKey's characters, packed, without building the text: the value's
// low-order bytes up to its highest non-zero one, zero bytes as 'x'.
int PackedValueKey(uint32_t v, uint32_t& packed)
{
    const int len = v < 0x100u ? 1 : v < 0x10000u ? 2 : v < 0x1000000u ? 3 : 4;
    packed = 0;
    for (int i = 0; i < len; ++i) {
        uint32_t b = (v >> (8 * i)) & 0xFF;
        packed |= (b == 0 ? uint32_t{'x'} : b) << (8 * i);
    }
    return len;
}

// The lowest p with p >= start at which needle stands, or -1; the
// exhaustive search's Find, used for needles too long for the index.
int32_t FindFrom(const CString& block, const std::string& needle, int64_t start)
{
    if (start > block.GetLength()) return -1;
    size_t at = block.Bytes().find(needle, static_cast<size_t>(start < 0 ? 0 : start));
    return at == std::string::npos ? -1 : static_cast<int32_t>(at);
}

// The search loop shared by the pointer search and the value lists: one
// value after another, each searched from P + 1 until a search gives
// P <= 0. Only P in {-1, 0} carries from one value to the next: after -1
// the next value is searched from 0 and a find there ends it without a
// hit; after 0 it is searched from 1.
class ValueLoop {
public:
    explicit ValueLoop(int32_t P) : m_P(P) {}

    // The value of the given rank, its occurrences ascending. Ranks come
    // ascending; ranks skipped had no occurrence. Returns false when the
    // sink stopped.
    template <class Emit>
    bool Visit(uint64_t rank, const int32_t* begin, const int32_t* end, Emit&& emit)
    {
        if (rank != m_nextRank) m_P = -1;  // the skipped values each ended with -1
        m_nextRank = rank + 1;
        int64_t from = static_cast<int64_t>(m_P) + 1;
        if (from < 0) from = 0;
        const int32_t* first = from <= 1 ? begin : std::lower_bound(begin, end, from);
        if (from <= 1 && first != end && *first < from) ++first;
        if (first == end) {
            m_P = -1;
        } else if (*first == 0) {
            m_P = 0;
        } else {
            for (const int32_t* p = first; p != end; ++p)
                if (!emit(*p)) return false;
            m_P = -1;
        }
        return true;
    }

    // P after the last of rankCount values.
    int32_t Finish(uint64_t rankCount) const
    {
        if (rankCount == 0) return m_P;
        return m_nextRank == rankCount ? m_P : -1;
    }

private:
    int32_t m_P;
    uint64_t m_nextRank = 0;
};

struct KnownClasses {
    // The four bytes of each known code as the block holds them.
    std::array<uint32_t, kNulledOutRow> codes{};
    int count = 0;

    KnownClasses()
    {
        for (int row = 0; row < kNulledOutRow; ++row) {
            const std::string& code = g_TagClasses[row][0].Bytes();
            if (code.size() != 4) continue;
            const Byte* c = reinterpret_cast<const Byte*>(code.data());
            // The block holds a code's characters last one first.
            codes[static_cast<size_t>(count++)] = c[3] | c[2] << 8 | c[1] << 16 | static_cast<uint32_t>(c[0]) << 24;
        }
        std::sort(codes.begin(), codes.begin() + count);
    }

    // The class text of the window of a find at p when it is a known code.
    bool At(const Byte* s, int32_t length, int32_t p, CString& classCode) const
    {
        int32_t first = p - 12 < 0 ? 0 : p - 12;
        if (first + 4 > length) return false;
        uint32_t stored = Load4(s + first);
        if (!std::binary_search(codes.begin(), codes.begin() + count, stored)) return false;
        const char text[4] = {static_cast<char>(s[first + 3]), static_cast<char>(s[first + 2]),
                              static_cast<char>(s[first + 1]), static_cast<char>(s[first])};
        classCode = CString(text, 4);
        return true;
    }
};

int ClampTagCount(int tagCount) { return tagCount < 0 ? 0 : (tagCount > kMaxTags ? kMaxTags : tagCount); }

} // namespace

bool IsKnownClassCode(const CString& code)
{
    if (code.GetLength() != 4) return false;
    for (int row = 0; row < kNulledOutRow; ++row)
        if (g_TagClasses[row][0] == code) return true;
    return false;
}

CString IdentifierKey(const TagEntry& tag) { return HexToBytes(tag.m_strIdentifier).MakeReverse(); }

CString ValueKey(uint32_t value) { return HexToBytes(IntToHex(static_cast<int32_t>(value))).MakeReverse(); }

CString ClassWindowText(const CString& block, int32_t p)
{
    int64_t first = static_cast<int64_t>(p) - 12;
    if (first < 0) first = 0;
    if (first > block.GetLength()) return CString();
    return block.Mid(static_cast<int>(first), 4).MakeReverse();
}

uint32_t ValueWindow(const CString& block, int32_t p)
{
    return ReadWindow(BlockBytes(block), BlockLength(block), p, 4);
}

uint32_t CountWindow(const CString& block, int32_t p)
{
    return ReadWindow(BlockBytes(block), BlockLength(block), static_cast<int64_t>(p) - 4, 2);
}

CString ValueWindowHex(const CString& block, int32_t p)
{
    if (p > block.GetLength()) return CString();
    return BytesToHex(block.Mid(p < 0 ? 0 : p, 4).MakeReverse());
}

void IdentifierPass(const CString& block, const TagEntry* tags, int tagCount, int32_t& P, const HitSink& sink)
{
    const int count = ClampTagCount(tagCount);
    if (count == 0) return;
    const Byte* s = BlockBytes(block);
    const int32_t length = BlockLength(block);
    // Tag 0 is searched from P + 1, every later tag from 0 (the tag before
    // ends with P = -1); a find at 0 is always passed over.
    const int64_t firstFrom = std::max<int64_t>(static_cast<int64_t>(P) + 1, 1);
    P = -1;

    NeedleIndex index(static_cast<size_t>(count));
    std::vector<int32_t> groupOf(static_cast<size_t>(count), -1);
    std::vector<std::string> longKeys(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        const CString keyText = IdentifierKey(tags[k]);
        const std::string& key = keyText.Bytes();
        if (key.size() >= 1 && key.size() <= 4) groupOf[static_cast<size_t>(k)] = index.Add(key);
        else longKeys[static_cast<size_t>(k)] = key;  // empty: a needle that never stands anywhere
    }
    Occurrences found;
    index.Walk(block, found);

    const KnownClasses known;
    ReferenceHit hit;
    auto report = [&](int k, int32_t p) {
        hit.offset = p;
        hit.tag = k;
        if (known.At(s, length, p, hit.classCode)) {
            hit.kind = HitKind::Dependency;
        } else {
            hit.kind = HitKind::LoneID;
            hit.classCode.Empty();
        }
        return sink(hit);
    };
    for (int k = 0; k < count; ++k) {
        const int64_t from = k == 0 ? firstFrom : 1;
        if (int32_t g = groupOf[static_cast<size_t>(k)]; g >= 0) {
            const int32_t* end = found.End(g);
            for (const int32_t* p = std::lower_bound(found.Begin(g), end, from); p != end; ++p)
                if (!report(k, *p)) return;
        } else if (const std::string& key = longKeys[static_cast<size_t>(k)]; !key.empty()) {
            for (int32_t p = FindFrom(block, key, from); p > 0; p = FindFrom(block, key, int64_t{p} + 1))
                if (!report(k, p)) return;
        }
    }
}

void NullReferencePass(const CString& block, int32_t& P, const HitSink& sink)
{
    const Byte* s = BlockBytes(block);
    const int32_t length = BlockLength(block);
    int64_t from = std::max<int64_t>(static_cast<int64_t>(P) + 1, 1);
    P = -1;
    const KnownClasses known;
    ReferenceHit hit;
    hit.kind = HitKind::NullReference;
    for (int64_t p = from; p + 4 <= length; ++p) {
        const void* at = std::memchr(s + p, 0xFF, static_cast<size_t>(length - 3 - p));
        if (!at) break;
        p = static_cast<const Byte*>(at) - s;
        if (Load4(s + p) != 0xFFFFFFFFu) continue;
        if (known.At(s, length, static_cast<int32_t>(p), hit.classCode)) {
            hit.offset = static_cast<int32_t>(p);
            if (!sink(hit)) return;
        }
    }
}

namespace {

// The key bytes a block character can stand for: 'x' is a zero byte or
// 0x78; a raw zero character (never in a byte string) matches no key byte.
int ByteChoices(Byte c, bool top, Byte out[2])
{
    if (c == 0) return 0;
    if (c != 'x') {
        out[0] = c;
        return 1;
    }
    if (top) {  // the highest byte of a key is never zero
        out[0] = 0x78;
        return 1;
    }
    out[0] = 0x00;
    out[1] = 0x78;
    return 2;
}

// The addresses first..last as values a + magic: those v with
// (v - low) mod 2^32 <= span. A value's rank is that difference.
struct ValueRange {
    uint32_t low;
    uint32_t span;

    bool Holds(uint32_t v) const { return v - low <= span; }
    // Whether any of the values from a to b (a <= b) is in the range.
    bool Meets(uint32_t a, uint32_t b) const { return Holds(a) || low - a <= b - a; }
};

// Calls add(value) for every value whose value key equals the len
// characters at s.
template <class Add>
void ValuesOfKey(const Byte* s, int len, Add&& add)
{
    Byte choice[4][2];
    int n[4];
    for (int i = 0; i < len; ++i)
        if ((n[i] = ByteChoices(s[i], len > 1 && i == len - 1, choice[i])) == 0) return;
    for (int c0 = 0; c0 < n[0]; ++c0)
        for (int c1 = 0; c1 < (len > 1 ? n[1] : 1); ++c1)
            for (int c2 = 0; c2 < (len > 2 ? n[2] : 1); ++c2)
                for (int c3 = 0; c3 < (len > 3 ? n[3] : 1); ++c3) {
                    uint32_t v = choice[0][c0];
                    if (len > 1) v |= static_cast<uint32_t>(choice[1][c1]) << 8;
                    if (len > 2) v |= static_cast<uint32_t>(choice[2][c2]) << 16;
                    if (len > 3) v |= static_cast<uint32_t>(choice[3][c3]) << 24;
                    add(v);
                }
}

// For keys of one length, whether the top two characters (the top one for
// a one-character key) leave any value of that length in the range.
bool TopMeets(int len, Byte low, Byte top, const ValueRange& range)
{
    Byte lowChoice[2], topChoice[2];
    int nLow = 1, nTop;
    if (len == 1) {
        nTop = ByteChoices(top, false, topChoice);
        lowChoice[0] = 0;
    } else {
        nLow = ByteChoices(low, false, lowChoice);
        nTop = ByteChoices(top, true, topChoice);
    }
    const int lowBits = len <= 2 ? 0 : 8 * (len - 2);
    for (int a = 0; a < nLow; ++a)
        for (int b = 0; b < nTop; ++b) {
            uint32_t high = len == 1 ? topChoice[b] : (lowChoice[a] | static_cast<uint32_t>(topChoice[b]) << 8);
            uint32_t lo = high << lowBits;
            uint32_t hi = lo | ((1u << lowBits) - 1);
            if (range.Meets(lo, hi)) return true;
        }
    return false;
}

// TopMeets for every pair of top characters of one key length, worth
// building only for a long block.
std::vector<bool> TopCharsTable(int len, const ValueRange& range)
{
    std::vector<bool> table(65536, false);
    for (unsigned t = 0; t < 65536; ++t)
        table[t] = TopMeets(len, static_cast<Byte>(t & 0xFF), static_cast<Byte>(t >> 8), range);
    return table;
}

} // namespace

void PointerSearch(const CString& block, uint32_t firstAddress, uint32_t lastAddress, uint32_t magic,
                   uint32_t base, int32_t& P, const HitSink& sink)
{
    // Addresses run from first to last once each (a range ending at
    // 0xFFFFFFFF does not wrap round and start again).
    if (firstAddress > lastAddress) return;
    const uint64_t rankCount = static_cast<uint64_t>(lastAddress - firstAddress) + 1;
    const ValueRange range{firstAddress + magic, lastAddress - firstAddress};
    const Byte* s = BlockBytes(block);
    const int32_t length = BlockLength(block);

    // Which key lengths can hold a value of the range at all, and by their
    // top characters.
    const bool useTables = length >= (1 << 16);
    std::array<std::vector<bool>, 5> tops;
    unsigned lengths = 0;
    for (int len = 1; len <= 4; ++len) {
        uint32_t lo = len == 1 ? 0 : 1u << (8 * (len - 1));
        uint32_t hi = len == 4 ? 0xFFFFFFFFu : (1u << (8 * len)) - 1;
        if (!range.Meets(lo, hi)) continue;
        lengths |= 1u << len;
        if (useTables) tops[static_cast<size_t>(len)] = TopCharsTable(len, range);
    }

    // One walk: every key string of the block that is the key of some
    // address of the range, with its positions.
    NeedleMap groups(1024);
    std::vector<std::pair<uint32_t, int32_t>> ranked;  // (rank, group)
    std::vector<bool> groupUsed;
    std::vector<std::pair<int32_t, int32_t>> pairs;
    int32_t groupCount = 0;
    for (int32_t p = 0; p < length && lengths; ++p) {
        for (int len = 1; len <= 4; ++len) {
            if (!(lengths & (1u << len)) || p + len > length) continue;
            const Byte* at = s + p;
            const Byte low = len == 1 ? 0 : at[len - 2], top = at[len - 1];
            if (useTables ? !tops[static_cast<size_t>(len)][low | static_cast<unsigned>(top) << 8]
                          : !TopMeets(len, low, top, range))
                continue;
            const uint64_t key = NeedleMap::KeyOf(len, Pack(at, len));
            int32_t g = groups.FindOrInsert(key, groupCount);
            if (g == groupCount) {
                ++groupCount;
                bool used = false;
                ValuesOfKey(at, len, [&](uint32_t v) {
                    if (range.Holds(v)) {
                        ranked.emplace_back(v - range.low, g);
                        used = true;
                    }
                });
                groupUsed.push_back(used);
            }
            if (groupUsed[static_cast<size_t>(g)]) pairs.emplace_back(g, p);
        }
    }
    Occurrences found;
    found.Build(static_cast<size_t>(groupCount), pairs);
    std::sort(ranked.begin(), ranked.end());

    ValueLoop loop(P);
    ReferenceHit hit;
    hit.kind = HitKind::Pointer;
    for (const auto& [rank, g] : ranked) {
        bool go = loop.Visit(rank, found.Begin(g), found.End(g), [&](int32_t p) {
            hit.offset = p;
            hit.value = ReadWindow(s, length, p, 4);
            hit.count = ReadWindow(s, length, int64_t{p} - 4, 2);
            hit.target = hit.value - magic - base;
            return sink(hit);
        });
        if (!go) return;
    }
    P = loop.Finish(rankCount);
}

void SelfPointerPass(const CString& block, uint32_t metaOffset, uint32_t magic, int32_t& P, const HitSink& sink)
{
    PointerSearch(block, metaOffset, metaOffset + static_cast<uint32_t>(block.GetLength()), magic, metaOffset, P,
                  sink);
}

void SearchValueList(const CString& block, const std::vector<uint32_t>& values, int32_t& P, const ValueHitSink& sink)
{
    NeedleIndex index(values.size());
    std::vector<int32_t> groupOf(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        uint32_t packed;
        const int len = PackedValueKey(values[i], packed);
        groupOf[i] = index.Add(len, packed);
    }
    Occurrences found;
    index.Walk(block, found);

    ValueLoop loop(P);
    for (size_t i = 0; i < values.size(); ++i) {
        const int32_t g = groupOf[i];
        if (found.Begin(g) == found.End(g)) continue;
        if (!loop.Visit(i, found.Begin(g), found.End(g), [&](int32_t p) { return sink(i, p); })) return;
    }
    P = loop.Finish(values.size());
}

namespace {
HitSink Collect(std::vector<ReferenceHit>& hits)
{
    return [&hits](const ReferenceHit& hit) {
        hits.push_back(hit);
        return true;
    };
}
} // namespace

std::vector<ReferenceHit> IdentifierPass(const CString& block, const TagEntry* tags, int tagCount, int32_t& P)
{
    std::vector<ReferenceHit> hits;
    IdentifierPass(block, tags, tagCount, P, Collect(hits));
    return hits;
}

std::vector<ReferenceHit> NullReferencePass(const CString& block, int32_t& P)
{
    std::vector<ReferenceHit> hits;
    NullReferencePass(block, P, Collect(hits));
    return hits;
}

std::vector<ReferenceHit> PointerSearch(const CString& block, uint32_t firstAddress, uint32_t lastAddress,
                                        uint32_t magic, uint32_t base, int32_t& P)
{
    std::vector<ReferenceHit> hits;
    PointerSearch(block, firstAddress, lastAddress, magic, base, P, Collect(hits));
    return hits;
}

std::vector<ReferenceHit> SelfPointerPass(const CString& block, uint32_t metaOffset, uint32_t magic, int32_t& P)
{
    std::vector<ReferenceHit> hits;
    SelfPointerPass(block, metaOffset, magic, P, Collect(hits));
    return hits;
}
