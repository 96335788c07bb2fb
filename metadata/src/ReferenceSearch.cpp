#include "metadata/ReferenceSearch.h"

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

// Sorts keys by the bits [0, bits) of each, stable, least significant
// digit first: linear in the number of keys whatever they are, so no block
// can make it slow. scratch is working room of the same size.
void RadixSort(std::vector<uint64_t>& keys, std::vector<uint64_t>& scratch, int bits, int shift = 0)
{
    constexpr int kDigit = 16;
    scratch.resize(keys.size());
    std::vector<uint32_t> count(size_t{1} << kDigit);
    for (int low = 0; low < bits; low += kDigit) {
        const int width = std::min(kDigit, bits - low);
        const uint64_t mask = (uint64_t{1} << width) - 1;
        const int at = shift + low;
        std::fill(count.begin(), count.begin() + (1 << width), 0u);
        for (uint64_t k : keys) ++count[(k >> at) & mask];
        uint32_t sum = 0;
        for (size_t d = 0; d <= mask; ++d) {
            const uint32_t c = count[d];
            count[d] = sum;
            sum += c;
        }
        for (uint64_t k : keys) scratch[count[(k >> at) & mask]++] = k;
        keys.swap(scratch);
    }
}

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
// and the walk of the block that finds where they stand. The needles come
// from the file (tag identifiers), so they are kept sorted rather than
// hashed: a lookup is one step into a table indexed by the needle's top
// two characters and a binary search within what shares them, however the
// needles and the block were chosen.
class NeedleIndex {
public:
    // Gives the group of every needle, equal needles one group.
    void Build(const std::vector<std::pair<int, uint32_t>>& needles, std::vector<int32_t>& groupOf)
    {
        std::array<std::vector<uint64_t>, 5> byLength;  // (packed << 32 | needle number)
        for (size_t i = 0; i < needles.size(); ++i) {
            const auto& [len, packed] = needles[i];
            byLength[static_cast<size_t>(len)].push_back(static_cast<uint64_t>(packed) << 32 | i);
        }
        groupOf.assign(needles.size(), -1);
        std::vector<uint64_t> scratch;
        for (int len = 1; len <= 4; ++len) {
            std::vector<uint64_t>& list = byLength[static_cast<size_t>(len)];
            if (list.empty()) continue;
            RadixSort(list, scratch, 8 * len, 32);
            Length& table = m_length[static_cast<size_t>(len)];
            table.firstGroup = m_groups;
            for (size_t i = 0; i < list.size(); ++i) {
                const uint32_t packed = static_cast<uint32_t>(list[i] >> 32);
                if (table.keys.empty() || table.keys.back() != packed) table.keys.push_back(packed);
                groupOf[static_cast<size_t>(list[i] & 0xFFFFFFFFu)] =
                    table.firstGroup + static_cast<int32_t>(table.keys.size()) - 1;
            }
            m_groups += static_cast<int32_t>(table.keys.size());
            table.bucketShift = len <= 2 ? 0 : 8 * len - 16;
            table.start.assign(size_t{1} << std::min(16, 8 * len), 0);
            table.start.push_back(0);
            for (uint32_t key : table.keys) ++table.start[(key >> table.bucketShift) + 1];
            for (size_t b = 1; b < table.start.size(); ++b) table.start[b] += table.start[b - 1];
            m_lengths |= 1u << len;
        }
    }

    int32_t Groups() const { return m_groups; }

    // Every position of the block at which a needle stands, by group.
    void Walk(const CString& block, Occurrences& out) const
    {
        const Byte* s = BlockBytes(block);
        const int32_t length = BlockLength(block);
        std::vector<std::pair<int32_t, int32_t>> pairs;
        for (int32_t p = 0; p < length && m_lengths; ++p) {
            const uint32_t word = p + 4 <= length ? Load4(s + p) : Pack(s + p, length - p);
            for (int len = 1; len <= 4; ++len) {
                if (!(m_lengths & (1u << len)) || p + len > length) continue;
                const uint32_t packed = len == 4 ? word : word & ((1u << (8 * len)) - 1);
                const int32_t g = m_length[static_cast<size_t>(len)].Find(packed);
                if (g >= 0) pairs.emplace_back(g, p);
            }
        }
        out.Build(static_cast<size_t>(m_groups), pairs);
    }

private:
    struct Length {
        std::vector<uint32_t> keys;    // sorted, distinct
        std::vector<uint32_t> start;   // per value of the top two characters, where its keys begin
        int bucketShift = 0;
        int32_t firstGroup = 0;

        int32_t Find(uint32_t packed) const
        {
            const uint32_t bucket = packed >> bucketShift;
            const auto first = keys.begin() + start[bucket], last = keys.begin() + start[bucket + 1];
            if (first == last) return -1;
            const auto at = std::lower_bound(first, last, packed);
            return at != last && *at == packed ? firstGroup + static_cast<int32_t>(at - keys.begin()) : -1;
        }
    };

    std::array<Length, 5> m_length;
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

    std::vector<std::pair<int, uint32_t>> needles;
    std::vector<int> needleTag;
    std::vector<std::string> longKeys(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        const CString keyText = IdentifierKey(tags[k]);
        const std::string& key = keyText.Bytes();
        if (key.size() >= 1 && key.size() <= 4) {
            needles.emplace_back(static_cast<int>(key.size()),
                                 Pack(reinterpret_cast<const Byte*>(key.data()), static_cast<int>(key.size())));
            needleTag.push_back(k);
        } else {
            longKeys[static_cast<size_t>(k)] = key;  // empty: a needle that never stands anywhere
        }
    }
    NeedleIndex index;
    std::vector<int32_t> needleGroup;
    index.Build(needles, needleGroup);
    std::vector<int32_t> groupOf(static_cast<size_t>(count), -1);
    for (size_t i = 0; i < needleTag.size(); ++i) groupOf[static_cast<size_t>(needleTag[i])] = needleGroup[i];
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
    Byte choice[4][2] = {};
    int n[4] = {1, 1, 1, 1};
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

namespace {

// Values of one key length, lo to hi, that come in one run of ascending
// ranks.
struct Piece {
    int len;
    uint32_t lo, hi;
};

// The pointer search over one piece: the key strings of that length that
// stand for a value of the piece are sorted (with their positions, which
// stay ascending within a key), then the values they stand for are sorted
// and visited in order. Every step is linear or a radix sort, so the cost
// follows the block's length and not what it holds; and the pieces are
// searched one after another, so a sink that stops early spares the rest.
template <class Emit>
bool SearchPiece(const Byte* s, int32_t length, const Piece& piece, uint32_t low, ValueLoop& loop, Emit&& emit)
{
    const int len = piece.len;
    if (length < len) return true;
    const ValueRange range{piece.lo, piece.hi - piece.lo};
    const bool useTable = length >= (1 << 16);
    const std::vector<bool> tops = useTable ? TopCharsTable(len, range) : std::vector<bool>();

    std::vector<uint64_t> keys;  // characters << 32 | position
    for (int32_t p = 0; p + len <= length; ++p) {
        const Byte* at = s + p;
        const Byte lowChar = len == 1 ? 0 : at[len - 2], topChar = at[len - 1];
        if (useTable ? !tops[lowChar | static_cast<unsigned>(topChar) << 8] : !TopMeets(len, lowChar, topChar, range))
            continue;
        keys.push_back(static_cast<uint64_t>(Pack(at, len)) << 32 | static_cast<uint32_t>(p));
    }
    if (keys.empty()) return true;
    std::vector<uint64_t> scratch;
    RadixSort(keys, scratch, 8 * len, 32);

    std::vector<int32_t> positions(keys.size());
    std::vector<uint32_t> groupStart;
    std::vector<uint64_t> ranked;  // rank << 32 | group
    for (size_t i = 0; i < keys.size(); ++i) {
        positions[i] = static_cast<int32_t>(keys[i] & 0xFFFFFFFFu);
        if (i > 0 && keys[i] >> 32 == keys[i - 1] >> 32) continue;
        const uint32_t group = static_cast<uint32_t>(groupStart.size());
        groupStart.push_back(static_cast<uint32_t>(i));
        ValuesOfKey(s + positions[i], len, [&](uint32_t v) {
            if (range.Holds(v)) ranked.push_back(static_cast<uint64_t>(v - low) << 32 | group);
        });
    }
    groupStart.push_back(static_cast<uint32_t>(keys.size()));
    std::vector<uint64_t>().swap(keys);
    RadixSort(ranked, scratch, 32, 32);
    std::vector<uint64_t>().swap(scratch);

    for (uint64_t r : ranked) {
        const uint32_t g = static_cast<uint32_t>(r & 0xFFFFFFFFu);
        if (!loop.Visit(r >> 32, positions.data() + groupStart[g], positions.data() + groupStart[g + 1], emit))
            return false;
    }
    return true;
}

} // namespace

void PointerSearch(const CString& block, uint32_t firstAddress, uint32_t lastAddress, uint32_t magic,
                   uint32_t base, int32_t& P, const HitSink& sink)
{
    // Addresses run from first to last once each (a range ending at
    // 0xFFFFFFFF does not wrap round and start again).
    if (firstAddress > lastAddress) return;
    const uint32_t span = lastAddress - firstAddress;
    const uint64_t rankCount = static_cast<uint64_t>(span) + 1;
    const uint32_t low = firstAddress + magic;
    const Byte* s = BlockBytes(block);
    const int32_t length = BlockLength(block);

    // The values low .. low + span in rank order: one run of ascending
    // values, or two where the sum wraps, each cut into pieces by the
    // length of their keys.
    std::vector<Piece> pieces;
    auto addRun = [&](uint32_t lo, uint32_t hi) {
        for (int len = 1; len <= 4; ++len) {
            const uint32_t lengthLo = len == 1 ? 0 : 1u << (8 * (len - 1));
            const uint32_t lengthHi = len == 4 ? 0xFFFFFFFFu : (1u << (8 * len)) - 1;
            const uint32_t a = std::max(lo, lengthLo), b = std::min(hi, lengthHi);
            if (a <= b) pieces.push_back({len, a, b});
        }
    };
    const uint64_t end = static_cast<uint64_t>(low) + span;
    if (end <= 0xFFFFFFFFu) {
        addRun(low, static_cast<uint32_t>(end));
    } else {
        addRun(low, 0xFFFFFFFFu);
        addRun(0, static_cast<uint32_t>(end - (uint64_t{1} << 32)));
    }

    ValueLoop loop(P);
    ReferenceHit hit;
    hit.kind = HitKind::Pointer;
    auto emit = [&](int32_t p) {
        hit.offset = p;
        hit.value = ReadWindow(s, length, p, 4);
        hit.count = ReadWindow(s, length, int64_t{p} - 4, 2);
        hit.target = hit.value - magic - base;
        return sink(hit);
    };
    for (const Piece& piece : pieces)
        if (!SearchPiece(s, length, piece, low, loop, emit)) return;
    P = loop.Finish(rankCount);
}

void SelfPointerPass(const CString& block, uint32_t metaOffset, uint32_t magic, int32_t& P, const HitSink& sink)
{
    PointerSearch(block, metaOffset, metaOffset + static_cast<uint32_t>(block.GetLength()), magic, metaOffset, P,
                  sink);
}

void SearchValueList(const CString& block, const std::vector<uint32_t>& values, int32_t& P, const ValueHitSink& sink)
{
    std::vector<std::pair<int, uint32_t>> needles(values.size());
    for (size_t i = 0; i < values.size(); ++i) needles[i].first = PackedValueKey(values[i], needles[i].second);
    NeedleIndex index;
    std::vector<int32_t> groupOf;
    index.Build(needles, groupOf);
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
