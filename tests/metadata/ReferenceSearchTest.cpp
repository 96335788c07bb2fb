#include "metadata/ReferenceSearch.h"

#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "tests/support/ReferenceOracle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace oracle = travik::test::oracle;

// A block laid out at given positions over a filler byte.
class BlockText {
public:
    explicit BlockText(int length, char filler = '\x11') : m_s(static_cast<size_t>(length), filler) {}
    BlockText& Put(int at, const std::string& bytes)
    {
        m_s.replace(static_cast<size_t>(at), bytes.size(), bytes);
        return *this;
    }
    BlockText& Value(int at, uint32_t v, int bytes = 4)
    {
        std::string s;
        for (int i = 0; i < bytes; ++i) {
            char c = static_cast<char>((v >> (8 * i)) & 0xFF);
            s += c == '\0' ? 'x' : c;
        }
        return Put(at, s);
    }
    BlockText& Class(int at, const std::string& code) { return Put(at, std::string(code.rbegin(), code.rend())); }
    operator CString() const { return CString(m_s); }

private:
    std::string m_s;
};

const std::string kFF4("\xFF\xFF\xFF\xFF", 4);

class ReferenceSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetMapState();
        FillTagClassTable();
        m_tags.resize(3);
        const char* ids[] = {"e1740000", "e1750001", "0a0b0c0d"};
        for (int k = 0; k < 3; ++k) m_tags[static_cast<size_t>(k)].m_strIdentifier = ids[k];
    }
    void TearDown() override { ResetMapState(); }

    std::vector<ReferenceHit> Identifiers(const CString& block, int32_t P = 0)
    {
        return IdentifierPass(block, m_tags.data(), static_cast<int>(m_tags.size()), P);
    }

    std::vector<TagEntry> m_tags;
};

std::vector<int32_t> Offsets(const std::vector<ReferenceHit>& hits)
{
    std::vector<int32_t> out;
    for (const ReferenceHit& hit : hits) out.push_back(hit.offset);
    return out;
}

TEST_F(ReferenceSearch, KeysAreTheStoredBytesWithZeroAsX)
{
    EXPECT_EQ(IdentifierKey(m_tags[0]), "xxt\xE1");
    EXPECT_EQ(IdentifierKey(m_tags[2]), "\x0D\x0C\x0B\x0A");
    struct Case { uint32_t value; std::string key; };
    const Case cases[] = {
        {0, "x"},          {0x78, "x"},           {0x41, "A"},          {0x100, "x\x01"},
        {0x7800, "xx"},    {0x123456, "\x56\x34\x12"}, {0x00FF0000, "xx\xFF"}, {0x80000000, "xxx\x80"},
        {0xFFFFFFFF, "\xFF\xFF\xFF\xFF"},
    };
    for (const Case& c : cases) EXPECT_EQ(ValueKey(c.value), CString(c.key)) << c.value;
}

TEST_F(ReferenceSearch, KnownClassCodesAreRowsZeroTo78Exactly)
{
    EXPECT_TRUE(IsKnownClassCode("bitm"));
    EXPECT_TRUE(IsKnownClassCode("fog "));
    EXPECT_TRUE(IsKnownClassCode("DeLa"));
    EXPECT_TRUE(IsKnownClassCode("wphi"));
    EXPECT_FALSE(IsKnownClassCode("fog"));
    EXPECT_FALSE(IsKnownClassCode("dela"));
    EXPECT_FALSE(IsKnownClassCode(CString(kFF4)));  // "Nulled Out" is no class
    EXPECT_FALSE(IsKnownClassCode(""));
    ResetMapState();  // before any map: nothing is known, not even the empty text
    EXPECT_FALSE(IsKnownClassCode(""));
    EXPECT_FALSE(IsKnownClassCode("bitm"));
}

TEST_F(ReferenceSearch, WindowsStartAtZeroAndAreCutAtTheEnd)
{
    const CString block = BlockText(10).Class(0, "bitm").Value(6, 0x78020301);
    EXPECT_EQ(ClassWindowText(block, 5), "bitm");   // P - 12 < 0: starts at 0
    EXPECT_EQ(ClassWindowText(block, 12), "bitm");
    EXPECT_EQ(ClassWindowText(block, 20), CString("x\x02"));  // cut at the end
    EXPECT_EQ(ValueWindow(block, 6), 0x00020301u);    // 0x78 reads as zero
    EXPECT_EQ(ValueWindowHex(block, 6), "00020301");
    EXPECT_EQ(ValueWindow(block, 8), 0x0002u);        // two bytes left
    EXPECT_EQ(ValueWindowHex(block, 8), "0002");
    EXPECT_EQ(CountWindow(block, 2), 0x746du);        // "mt" of the stored code at 0
    EXPECT_EQ(CountWindow(block, 10), 0x0301u);
}

TEST_F(ReferenceSearch, IdentifierPassClassifiesEachFindByTheBytesTwelveBefore)
{
    const CString id0 = IdentifierKey(m_tags[0]), id1 = IdentifierKey(m_tags[1]);
    const CString block = BlockText(64)
                              .Put(0, id1.Bytes())        // position 0: passed over
                              .Put(9, id1.Bytes())        // class window at 0..3 = the stored id1
                              .Class(20, "weap").Put(32, id0.Bytes())
                              .Class(40, std::string(kFF4)).Put(52, id0.Bytes());
    const std::vector<ReferenceHit> hits = Identifiers(block);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].kind, HitKind::Dependency);
    EXPECT_EQ(hits[0].offset, 32);
    EXPECT_EQ(hits[0].tag, 0);
    EXPECT_EQ(hits[0].classCode, "weap");
    EXPECT_EQ(hits[1].kind, HitKind::LoneID);  // FF FF FF FF is not a known class
    EXPECT_EQ(hits[1].offset, 52);
    EXPECT_EQ(hits[2].kind, HitKind::LoneID);
    EXPECT_EQ(hits[2].offset, 9);
    EXPECT_EQ(hits[2].tag, 1);

    // Position 5: the class window is 0..3.
    const CString early = BlockText(16).Class(0, "snd!").Put(5, id0.Bytes());
    const std::vector<ReferenceHit> found = Identifiers(early);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, HitKind::Dependency);
    EXPECT_EQ(found[0].classCode, "snd!");
}

TEST_F(ReferenceSearch, IdentifierPassRunningPosition)
{
    const CString id0 = IdentifierKey(m_tags[0]);
    const CString block = BlockText(20).Put(2, id0.Bytes()).Put(9, id0.Bytes());
    int32_t P = 0;
    EXPECT_EQ(Offsets(IdentifierPass(block, m_tags.data(), 3, P)), (std::vector<int32_t>{2, 9}));
    EXPECT_EQ(P, -1);
    P = 4;  // the first tag only is searched from P + 1
    EXPECT_EQ(Offsets(IdentifierPass(block, m_tags.data(), 3, P)), (std::vector<int32_t>{9}));
    P = 7;
    EXPECT_EQ(IdentifierPass(block, m_tags.data(), 0, P).size(), 0u);
    EXPECT_EQ(P, 7);  // no tags: P unchanged
    EXPECT_EQ(IdentifierPass(block, m_tags.data(), -3, P).size(), 0u);
    EXPECT_EQ(P, 7);
}

TEST_F(ReferenceSearch, DuplicateIdentifiersEachGiveTheirHitsInTagOrder)
{
    m_tags[2].m_strIdentifier = m_tags[0].m_strIdentifier;
    const CString block = BlockText(24).Put(3, IdentifierKey(m_tags[0]).Bytes()).Put(12, IdentifierKey(m_tags[1]).Bytes());
    const std::vector<ReferenceHit> hits = Identifiers(block);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].tag, 0);
    EXPECT_EQ(hits[1].tag, 1);
    EXPECT_EQ(hits[2].tag, 2);
    EXPECT_EQ(hits[2].offset, 3);
}

TEST_F(ReferenceSearch, NullReferencesNeedAKnownClassTwelveBefore)
{
    const CString block = BlockText(80)
                              .Class(8, "bitm").Put(20, kFF4)            // a hit
                              .Class(30, "zzzz").Put(42, kFF4)           // no known class: nothing
                              .Class(51, "unit")
                              .Put(62, kFF4 + "\xFF\xFF");               // six 0xFF at 62..67
    int32_t P = -1;
    // Of the three overlapping finds at 62, 63 and 64 only 63 has a known
    // class twelve bytes before it.
    const std::vector<ReferenceHit> hits = NullReferencePass(block, P);
    EXPECT_EQ(P, -1);
    ASSERT_EQ(Offsets(hits), (std::vector<int32_t>{20, 63}));
    EXPECT_EQ(hits[0].classCode, "bitm");
    EXPECT_EQ(hits[1].classCode, "unit");
    EXPECT_EQ(hits[1].kind, HitKind::NullReference);
}

TEST_F(ReferenceSearch, SelfPointerToTheBlocksStartAtPositionZero)
{
    const uint32_t magic = 0x80000000, metaOffset = 0x1234;
    const CString block = BlockText(32).Value(0, magic + metaOffset).Value(4, 2, 2).Value(8, magic + metaOffset)
                              .Value(20, magic + metaOffset + 16);
    // The scanner starts the pass at P = 0: the first address is searched
    // from position 1, so its later occurrence is reported.
    int32_t P = 0;
    std::vector<ReferenceHit> scanner = SelfPointerPass(block, metaOffset, magic, P);
    ASSERT_EQ(Offsets(scanner), (std::vector<int32_t>{8, 20}));
    EXPECT_EQ(scanner[0].target, 0u);
    EXPECT_EQ(scanner[0].count, 2u);
    EXPECT_EQ(scanner[1].target, 16u);
    // Save Metadata and Direct inject come from the null-reference pass
    // with P = -1: the find at 0 ends that address without any hit.
    P = -1;
    EXPECT_EQ(Offsets(SelfPointerPass(block, metaOffset, magic, P)), (std::vector<int32_t>{20}));
    EXPECT_EQ(oracle::SelfPointerPass(block, metaOffset, magic, P = -1).size(), 1u);
}

TEST_F(ReferenceSearch, EmptyBlockGivesNoHitButVisitsOneAddress)
{
    const CString empty;
    int32_t P = 0;
    EXPECT_TRUE(Identifiers(empty).empty());
    EXPECT_TRUE(NullReferencePass(empty, P).empty());
    P = 0;
    EXPECT_TRUE(SelfPointerPass(empty, 0x40, 0, P).empty());
    EXPECT_EQ(P, -1);  // one address searched, nothing found
}

TEST_F(ReferenceSearch, ShortValueKeysMatchWhateverFollowsThem)
{
    // magic + address below 0x1000000: a three-byte key, and the target is
    // computed from all four bytes found.
    const uint32_t magic = 0x00100000;
    const CString block = BlockText(16, 'x').Value(4, 0x00100008, 3).Put(7, "\x05").Value(12, 0x00100008);
    int32_t P = 0;
    const std::vector<ReferenceHit> hits = PointerSearch(block, 8, 8, magic, 0, P);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].offset, 4);
    EXPECT_EQ(hits[0].value, 0x05100008u);
    EXPECT_EQ(hits[0].target, 0x05000008u);
    EXPECT_EQ(hits[1].offset, 12);
    EXPECT_EQ(hits[1].target, 8u);
}

TEST_F(ReferenceSearch, A78ByteMatchesAZeroByteOfAKeyAndReadsAsZero)
{
    // Key of 0x80000010 is 10 'x' 'x' 80; the block holds 10 78 00 80.
    const CString block = BlockText(12).Put(4, std::string("\x10\x78x\x80", 4));
    int32_t P = 0;
    const std::vector<ReferenceHit> hits = PointerSearch(block, 0x10, 0x10, 0x80000000, 0, P);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].value, 0x80000010u);
    // And the zero-carrier matches a key byte 0x78.
    P = 0;
    const std::vector<ReferenceHit> again = PointerSearch(block, 0x7810, 0x7810, 0x80000000, 0, P);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].value, 0x80000010u);  // read back as zero: the target differs from the address
    EXPECT_EQ(again[0].target, 0x10u);
}

TEST_F(ReferenceSearch, PointerSearchRunningPositionBetweenAddresses)
{
    // Searched from 0, address 1's key stands at position 0: that ends
    // address 1 with P = 0 and no hit (its find at 8 is never reported), and
    // address 2 is searched from 1.
    const uint32_t magic = 0x01000000;
    const CString block = BlockText(20).Value(0, magic + 1).Value(8, magic + 1).Value(12, magic + 2);
    int32_t P = -1;
    std::vector<ReferenceHit> hits = PointerSearch(block, 1, 3, magic, 0, P);
    EXPECT_EQ(Offsets(hits), (std::vector<int32_t>{12}));
    EXPECT_EQ(P, -1);
    P = -1;
    PointerSearch(block, 1, 1, magic, 0, P);
    EXPECT_EQ(P, 0);  // ended by the find at position 0
    P = 5;
    EXPECT_TRUE(PointerSearch(block, 3, 1, magic, 0, P).empty());
    EXPECT_EQ(P, 5);  // no address: P unchanged
}

TEST_F(ReferenceSearch, RangeEndingAtTheTopAddressEnds)
{
    const CString block = BlockText(12).Value(4, 0xFFFFFFFF);
    int32_t P = 0;
    const std::vector<ReferenceHit> hits = PointerSearch(block, 0xFFFFFFF0, 0xFFFFFFFF, 0, 0, P);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].offset, 4);
    EXPECT_EQ(P, -1);
}

TEST_F(ReferenceSearch, ASinkThatReturnsFalseEndsThePass)
{
    const CString id0 = IdentifierKey(m_tags[0]);
    const CString block = BlockText(20).Put(2, id0.Bytes()).Put(9, id0.Bytes()).Put(15, id0.Bytes());
    int calls = 0;
    int32_t P = 0;
    IdentifierPass(block, m_tags.data(), 3, P, [&](const ReferenceHit&) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
}

TEST_F(ReferenceSearch, LongBlockAgreesWithTheExhaustiveSearch)
{
    // Long enough for the pointer search's precomputed tables; magics that
    // give four-, one-, two- and three-byte keys and sums that wrap.
    for (uint32_t magic : {0x80000000u, 0x10u, 0xF00u, 0xFFF00u, 0xFFFFFFF0u}) {
        std::string s(70000, '\xEE');
        for (size_t i = 0; i < s.size(); i += 131) s.replace(i, 5, "xxxxx");
        for (size_t i = 3, n = 0; i + 4 < s.size(); i += 347, ++n) {
            const uint32_t v = magic + 0x10 + static_cast<uint32_t>(n % 80);
            for (int b = 0; b < 4; ++b) {
                const char c = static_cast<char>((v >> (8 * b)) & 0xFF);
                s[i + static_cast<size_t>(b)] = c == '\0' ? 'x' : c;
            }
        }
        const CString block(s);
        SCOPED_TRACE(magic);
        for (int32_t start : {-1, 0}) {
            int32_t fastP = start, slowP = start;
            const auto fast = PointerSearch(block, 0x10, 0x50, magic, 0, fastP);
            EXPECT_EQ(fast, oracle::PointerSearch(block, 0x10, 0x50, magic, 0, slowP));
            EXPECT_EQ(fastP, slowP);
            EXPECT_FALSE(fast.empty());
        }
    }
}

} // namespace
