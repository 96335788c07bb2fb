// Small cases worked out by hand from the search's rules, each checked on
// the exhaustive search and on the fast one: the differential test proves
// the two equal, these prove that both are right.
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "metadata/ReferenceSearch.h"
#include "tagcontrols/ScanEngine.h"
#include "tests/support/ReferenceOracle.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace oracle = travik::test::oracle;

// A block over a filler byte, zero bytes written as 'x'.
std::string Block(size_t length, char filler = '\x11') { return std::string(length, filler); }
void Put(std::string& block, size_t at, const std::string& bytes) { block.replace(at, bytes.size(), bytes); }
std::string Stored(uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((v >> (8 * i)) & 0xFF);
        s += c == '\0' ? 'x' : c;
    }
    return s;
}

ReferenceHit Identifier(HitKind kind, int32_t offset, int32_t tag, const char* classCode = "")
{
    ReferenceHit hit;
    hit.kind = kind;
    hit.offset = offset;
    hit.tag = tag;
    hit.classCode = classCode;
    return hit;
}

ReferenceHit Null(int32_t offset, const char* classCode)
{
    ReferenceHit hit;
    hit.kind = HitKind::NullReference;
    hit.offset = offset;
    hit.classCode = classCode;
    return hit;
}

ReferenceHit Pointer(int32_t offset, uint32_t value, uint32_t target, uint32_t count)
{
    ReferenceHit hit;
    hit.kind = HitKind::Pointer;
    hit.offset = offset;
    hit.value = value;
    hit.target = target;
    hit.count = count;
    return hit;
}

class WorkedCases : public travik::test::WorkDirTest {
protected:
    void SetUp() override
    {
        WorkDirTest::SetUp();
        FillTagClassTable();
        m_tags.resize(2);
        m_tags[0].m_strIdentifier = "e1740000";  // stored xx 74 e1
        m_tags[1].m_strIdentifier = "e1750001";  // stored 01 xx 75 e1
        for (TagEntry& tag : m_tags) {
            tag.m_strClass1 = "weap";
            tag.m_strName = "w";
        }
    }

    // Runs the identifier pass on both searches from P = start.
    void ExpectIdentifiers(const std::string& block, int32_t start, int tagCount,
                           const std::vector<ReferenceHit>& expected, int32_t endP)
    {
        int32_t fastP = start, slowP = start;
        EXPECT_EQ(oracle::IdentifierPass(CString(block), m_tags.data(), tagCount, slowP), expected);
        EXPECT_EQ(slowP, endP);
        EXPECT_EQ(IdentifierPass(CString(block), m_tags.data(), tagCount, fastP), expected);
        EXPECT_EQ(fastP, endP);
    }

    std::vector<TagEntry> m_tags;
};

void ExpectNulls(const std::string& block, int32_t start, const std::vector<ReferenceHit>& expected)
{
    int32_t fastP = start, slowP = start;
    EXPECT_EQ(oracle::NullReferencePass(CString(block), slowP), expected);
    EXPECT_EQ(NullReferencePass(CString(block), fastP), expected);
    EXPECT_EQ(slowP, -1);
    EXPECT_EQ(fastP, -1);
}

void ExpectPointers(const std::string& block, uint32_t first, uint32_t last, uint32_t magic, uint32_t base,
                    int32_t start, const std::vector<ReferenceHit>& expected, int32_t endP)
{
    int32_t fastP = start, slowP = start;
    EXPECT_EQ(oracle::PointerSearch(CString(block), first, last, magic, base, slowP), expected);
    EXPECT_EQ(slowP, endP);
    EXPECT_EQ(PointerSearch(CString(block), first, last, magic, base, fastP), expected);
    EXPECT_EQ(fastP, endP);
}

TEST_F(WorkedCases, IdentifierAtPositionZeroIsPassedOverAndLaterOnesFound)
{
    std::string block = Block(16);
    Put(block, 0, "xxt\xE1");
    Put(block, 9, "xxt\xE1");
    // Class window of 9 starts at 0: the identifier itself, "\xE1txx" read.
    const std::vector<ReferenceHit> hit9 = {Identifier(HitKind::LoneID, 9, 0)};
    ExpectIdentifiers(block, 0, 2, hit9, -1);
    ExpectIdentifiers(block, -1, 2, hit9, -1);
    ExpectIdentifiers(block, 9, 2, {}, -1);  // tag 0 from 10, tag 1 from 0
    ExpectIdentifiers(block, 9, 0, {}, 9);   // no tag: P stays
}

TEST_F(WorkedCases, ClassWindowMovedToTheStartAndReadWithZeroAsX)
{
    std::string block = Block(32);
    Put(block, 0, "mtib");
    Put(block, 5, "xxt\xE1");      // window 0..3
    Put(block, 12, "xecs");        // the stored code of "scex" with its 'x' a zero byte
    Put(block, 24, "\x01xu\xE1");  // window 12..15
    ExpectIdentifiers(block, 0, 2,
                      {Identifier(HitKind::Dependency, 5, 0, "bitm"), Identifier(HitKind::Dependency, 24, 1, "scex")},
                      -1);
    Put(block, 12, "\xFF\xFF\xFF\xFF");  // the "Nulled Out" row is no class
    ExpectIdentifiers(block, 0, 2,
                      {Identifier(HitKind::Dependency, 5, 0, "bitm"), Identifier(HitKind::LoneID, 24, 1)}, -1);
}

TEST_F(WorkedCases, IdentifierTextsOfOtherLengthsGiveKeysOfTheirOwnLength)
{
    // "123" -> 01 23 -> a two-byte key 23 01; ten digits give five bytes
    // 12 34 56 78 9a -> 9a 78 56 34 12, whose 0x78 also matches a zero byte;
    // an empty text gives no key and no hit.
    m_tags.resize(3);
    m_tags[0].m_strIdentifier = "123";
    m_tags[1].m_strIdentifier = "123456789a";
    m_tags[2].m_strIdentifier = "";
    std::string block = Block(24);
    Put(block, 0, "\x9ax\x56\x34\x12");
    Put(block, 6, "\x23\x01");
    Put(block, 10, "\x9a\x78\x56\x34\x12");
    Put(block, 20, "\x23\x01");
    ExpectIdentifiers(block, 0, 3,
                      {Identifier(HitKind::LoneID, 6, 0), Identifier(HitKind::LoneID, 20, 0),
                       Identifier(HitKind::LoneID, 10, 1)},
                      -1);
}

TEST_F(WorkedCases, NullReferencesAtOverlappingPositions)
{
    std::string block = Block(40);
    Put(block, 8, "mtib");
    Put(block, 20, "\xFF\xFF\xFF\xFF");
    Put(block, 24, "zzzz");
    Put(block, 36, "\xFF\xFF\xFF\xFF");  // twelve after no known class
    ExpectNulls(block, 0, {Null(20, "bitm")});

    // Six 0xFF at 20..25: finds at 20, 21 and 22, of which only 21 has a
    // known class twelve bytes before it.
    std::string run = Block(32);
    Put(run, 9, "tinu");
    Put(run, 20, std::string(6, '\xFF'));
    ExpectNulls(run, -1, {Null(21, "unit")});
    ExpectNulls(run, 21, {});  // searched from 22
}

TEST_F(WorkedCases, SelfPointerToTheBlocksStart)
{
    std::string block = Block(32);
    Put(block, 0, Stored(0x80001234));
    Put(block, 4, "\x02x");
    Put(block, 8, Stored(0x80001234));
    // The scanner (P = 0): the first address is searched from 1.
    ExpectPointers(block, 0x1234, 0x1254, 0x80000000, 0x1234, 0, {Pointer(8, 0x80001234, 0, 2)}, -1);
    // Save Metadata and Direct inject (P = -1): the find at 0 ends it.
    ExpectPointers(block, 0x1234, 0x1254, 0x80000000, 0x1234, -1, {}, -1);
    int32_t fastP = -1, slowP = -1;
    EXPECT_EQ(SelfPointerPass(CString(block), 0x1234, 0x80000000, fastP),
              oracle::SelfPointerPass(CString(block), 0x1234, 0x80000000, slowP));
    EXPECT_EQ(fastP, slowP);
}

TEST_F(WorkedCases, EndOfAnAddressCarriesToTheNext)
{
    // Address 1's key stands at 0 and 8, address 2's at 12. From P = -1
    // address 1 ends at its find at 0 (P = 0), and 2 is searched from 1.
    std::string block = Block(20);
    Put(block, 0, Stored(0x01000001));
    Put(block, 8, Stored(0x01000001));
    Put(block, 12, Stored(0x01000002));
    ExpectPointers(block, 1, 2, 0x01000000, 0, -1, {Pointer(12, 0x01000002, 2, 1)}, -1);
    ExpectPointers(block, 1, 1, 0x01000000, 0, -1, {}, 0);
    ExpectPointers(block, 1, 2, 0x01000000, 0, 0,
                   {Pointer(8, 0x01000001, 1, 0x1111), Pointer(12, 0x01000002, 2, 1)}, -1);
    ExpectPointers(block, 2, 1, 0x01000000, 0, 5, {}, 5);  // no address: P stays
}

TEST_F(WorkedCases, ShortKeysAndCutWindows)
{
    // magic + 8 = 0x00100008: a three-byte key 08 xx 10; the find reads four
    // bytes, so the target takes in the 05 after it.
    std::string block = Block(16);
    Put(block, 4, "\x08x\x10\x05");
    ExpectPointers(block, 8, 8, 0x00100000, 0, 0, {Pointer(4, 0x05100008, 0x05000008, 0x1111)}, -1);

    // The value 0 is the one byte 'x', which a 0x78 byte also is. The
    // value window is cut at the end; the count window moved to 0.
    const std::string zeros("\x11x\x11\x78", 4);
    ExpectPointers(zeros, 0, 0, 0, 0, 0, {Pointer(1, 0x1100, 0x1100, 0x11), Pointer(3, 0, 0, 0x11)}, -1);

    // A find at 2: the count window starts at 0 and keeps its two bytes.
    std::string early = Block(12);
    Put(early, 0, "\x03x");
    Put(early, 2, Stored(0x80000010));
    ExpectPointers(early, 0x10, 0x10, 0x80000000, 0, 0, {Pointer(2, 0x80000010, 0x10, 3)}, -1);
}

TEST_F(WorkedCases, EmptyBlockVisitsOneAddress)
{
    for (int32_t start : {-1, 0}) {
        int32_t fastP = start, slowP = start;
        EXPECT_TRUE(SelfPointerPass(CString(), 0x40, 0, fastP).empty());
        EXPECT_TRUE(oracle::SelfPointerPass(CString(), 0x40, 0, slowP).empty());
        EXPECT_EQ(fastP, -1);
        EXPECT_EQ(slowP, -1);
    }
    ExpectIdentifiers("", 0, 2, {}, -1);
}

// Scans of small blocks, worked step by step, with the running position
// carried and reset between the phases.
class WorkedScans : public WorkedCases {
protected:
    void SetUp() override
    {
        WorkedCases::SetUp();
        m_in.tags = m_tags.data();
        m_in.tagCount = 1;  // tag 0, whose identifier none of these blocks holds
        m_in.magic = 0x80000000;
        m_in.metaOffset = 0x1000;
        m_in.eofPosition = 0;
        m_in.floatPrecision = 0.5f;
    }

    void ExpectScan(const std::string& block, const std::vector<ScanItem>& expected)
    {
        EXPECT_EQ(oracle::Scan(CString(block), m_in), expected);
        EXPECT_EQ(RunMetadataScan(CString(block), m_in).items, expected);
    }

    static ScanItem Item(ScanItemKind kind, int32_t offset, const char* text)
    {
        ScanItem item;
        item.kind = kind;
        item.offset = offset;
        item.text = text;
        return item;
    }
    static ScanItem Pointing(ScanItemKind kind, int32_t offset, uint32_t target, int32_t count, const char* text)
    {
        ScanItem item = Item(kind, offset, text);
        item.target = target;
        item.count = count;
        return item;
    }
    static ScanItem Short(int32_t offset, int16_t value, const char* text)
    {
        ScanItem item = Item(ScanItemKind::Short, offset, text);
        item.shortValue = value;
        return item;
    }
    static ScanItem Float(int32_t offset, float value, const char* text)
    {
        ScanItem item = Item(ScanItemKind::Float, offset, text);
        item.floatValue = value;
        return item;
    }

    ScanParameters m_in;
};

TEST_F(WorkedScans, PointerPhaseStartsAtZeroWhateverCameBefore)
{
    // Phases 1 and 2 end with P = -1; phase 4 still searches address 0
    // (key xx xx xx 80) from position 1.
    std::string block = Block(16, '\xEE');
    Put(block, 0, "xxx\x80");
    Put(block, 8, "xxx\x80");
    m_in.switches.dependencies = m_in.switches.pointers = true;
    ExpectScan(block,
               {Pointing(ScanItemKind::Pointer, 8, 0, 0xEEEE, "0x00000008 -- 0x80000000 = 0x0 -- Chunk Count: 61166")});
}

TEST_F(WorkedScans, ReflexivePhaseStartsAtZeroAfterThePointerPhase)
{
    // The pointer phase finds nothing and ends with P = -1; the block's own
    // start (0x80000020) is still searched from position 1.
    m_in.metaOffset = 0x20;
    std::string block = Block(16, '\xEE');
    Put(block, 0, Stored(0x80000020));
    Put(block, 8, Stored(0x80000020));
    m_in.switches.pointers = m_in.switches.reflexives = true;
    ExpectScan(block, {Pointing(ScanItemKind::Reflexive, 8, 0, 0xEEEE,
                                "0x00000008 -- 0x80000020 = 0x0 -- Chunk Count: 61166")});
}

TEST_F(WorkedScans, ShortPhaseGoesOnFromTheReflexivePhase)
{
    const std::string block("\x01x\xEE\xEE\x01x", 6);
    m_in.tagCount = 0;
    m_in.switches.shorts = true;
    // Phase 5 not run: P = 0, the byte 1 is searched from position 1.
    ExpectScan(block, {Short(4, 1, "0x00000004 -- 1")});
    // Phase 5 run, finding nothing: P = -1, the byte 1 at position 0 ends
    // that value and its later occurrence is not listed.
    m_in.switches.reflexives = true;
    ExpectScan(block, {});
}

TEST_F(WorkedScans, FloatPhaseGoesOnFromTheIdentifierPass)
{
    std::string block = Block(16, '\xEE');
    Put(block, 0, Stored(0x3F000000));  // 0.5
    Put(block, 8, Stored(0x3F000000));
    m_in.switches.floats = true;
    // No tags: the identifier pass leaves P = 0, and 0.5 is searched from 1.
    m_in.tagCount = 0;
    ExpectScan(block, {Float(8, 0.5f, "0x00000008 -- 0.5")});
    // One tag: the pass ends with P = -1; the find at 0 ends the value 0.5.
    m_in.tagCount = 1;
    ExpectScan(block, {});
}

TEST_F(WorkedScans, FloatValuesRunUpToAndIncluding100)
{
    std::string block = Block(16, '\xEE');
    Put(block, 4, Stored(0x42C80000));  // 100
    Put(block, 8, Stored(0x42960000));  // 75
    m_in.tagCount = 0;
    m_in.floatPrecision = 25.0f;
    m_in.switches.floats = true;
    // Values 25, 50, 75, 100 in turn: the items follow the values.
    ExpectScan(block, {Float(8, 75.0f, "0x00000008 -- 75"), Float(4, 100.0f, "0x00000004 -- 100")});
}

TEST_F(WorkedScans, WindowsCutAtTheBlocksEndInEveryPhase)
{
    // magic 1: addresses 4 and metadata offset 0 + 4 are the value 5, whose
    // one-byte key stands last in the block. The value window is that one
    // byte; the count window starts at 0.
    const std::string block("\xEE\xEE\xEE\x05", 4);
    m_in.magic = 1;
    m_in.metaOffset = 0;
    m_in.eofPosition = 0x10;
    m_in.switches.pointers = m_in.switches.reflexives = m_in.switches.shorts = true;
    ExpectScan(block, {
                          Pointing(ScanItemKind::Pointer, 3, 4, 0xEEEE, "0x00000003 -- 0x05 = 0x4 -- Chunk Count: 61166"),
                          Pointing(ScanItemKind::Reflexive, 3, 4, 0xEEEE, "0x00000003 -- 0x05 = 0x4 -- Chunk Count: 61166"),
                          Short(3, 5, "0x00000003 -- 5"),
                      });
}

} // namespace
