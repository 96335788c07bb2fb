#include "tagcontrols/ScanEngine.h"

#include "map/FloatText.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "metadata/ReferenceSearch.h"
#include "platform/ScratchFolder.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/ReferenceOracle.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace travik::test;

std::string Stored(uint32_t v, int bytes = 4)
{
    std::string s;
    for (int i = 0; i < bytes; ++i) {
        char c = static_cast<char>((v >> (8 * i)) & 0xFF);
        s += c == '\0' ? 'x' : c;
    }
    return s;
}

std::string StoredClass(const std::string& code) { return std::string(code.rbegin(), code.rend()); }

// Filler 0xEE: no short (above 100), no class code, no part of a key used here.
std::string Filler(size_t length) { return std::string(length, '\xEE'); }

void Put(std::string& block, size_t at, const std::string& bytes) { block.replace(at, bytes.size(), bytes); }

const ScanItem* FindItem(const ScanResult& result, ScanItemKind kind, int32_t offset)
{
    for (const ScanItem& item : result.items)
        if (item.kind == kind && item.offset == offset) return &item;
    return nullptr;
}

std::vector<ScanItemKind> Kinds(const ScanResult& result)
{
    std::vector<ScanItemKind> kinds;
    for (const ScanItem& item : result.items) kinds.push_back(item.kind);
    return kinds;
}

class ScanEngine : public WorkDirTest {
protected:
    void SetUp() override
    {
        WorkDirTest::SetUp();
        FillTagClassTable();
        m_tags.resize(3);
        const char* ids[] = {"e1740000", "e1750001", "e1760002"};
        const char* names[] = {"weapons\\gun", "sound\\bang", "fx\\smoke"};
        const char* classes[] = {"weap", "snd!", "effe"};
        for (size_t k = 0; k < 3; ++k) {
            m_tags[k].m_strIdentifier = ids[k];
            m_tags[k].m_strName = names[k];
            m_tags[k].m_strClass1 = classes[k];
        }
        m_in.tags = m_tags.data();
        m_in.tagCount = 3;
        m_in.magic = 0x80000000;
        m_in.metaOffset = 0x1000;
        m_in.eofPosition = 0x2000;
        m_in.floatPrecision = 0.5f;
        m_in.switches = {true, true, true, true, true, true};
    }

    ScanResult Scan(const std::string& block) { return RunMetadataScan(CString(block), m_in); }

    std::vector<TagEntry> m_tags;
    ScanParameters m_in;
};

TEST_F(ScanEngine, ItemTextsAndRecordFieldsOfEveryKind)
{
    std::string block = Filler(0x60);
    Put(block, 0x10, StoredClass("bitm"));  // a reference to tag 0 (a "weap") under the class bitm
    Put(block, 0x1C, IdentifierKey(m_tags[0]).Bytes());
    Put(block, 0x24, IdentifierKey(m_tags[1]).Bytes());
    Put(block, 0x28, StoredClass("snd!"));
    Put(block, 0x34, "\xFF\xFF\xFF\xFF");
    Put(block, 0x3C, Stored(std::bit_cast<uint32_t>(1.5f)));
    Put(block, 0x44, "\x03x");
    Put(block, 0x48, Stored(0x80000500));
    Put(block, 0x4C, Stored(0x80001020));  // into the block, 0x20 past its start
    const ScanResult result = Scan(block);
    EXPECT_FALSE(result.truncated);
    EXPECT_TRUE(result.messages.empty());

    struct Expect {
        ScanItemKind kind;
        int32_t offset;
        const char* text;
    };
    const Expect expected[] = {
        {ScanItemKind::Dependency, 0x1C, "0x0000001c -- bitm -- weapons\\gun"},
        {ScanItemKind::LoneID, 0x24, "0x00000024 -- snd! -- sound\\bang"},
        {ScanItemKind::NullReference, 0x34, "0x00000034 -- snd! -- Nulled Out"},
        {ScanItemKind::Float, 0x3C, "0x0000003c -- 1.5"},
        // The stored 00 also stands for 0x78: address 0x578 has the same key.
        {ScanItemKind::Pointer, 0x48, "0x00000048 -- 0x80000500 = 0x500 -- Chunk Count: 3"},
        {ScanItemKind::Pointer, 0x48, "0x00000048 -- 0x80000500 = 0x500 -- Chunk Count: 3"},
        {ScanItemKind::Pointer, 0x4C, "0x0000004c -- 0x80001020 = 0x1020 -- Chunk Count: 1280"},
        {ScanItemKind::Reflexive, 0x4C, "0x0000004c -- 0x80001020 = 0x20 -- Chunk Count: 1280"},
        // Every byte from 1 to 100 before a zero byte is a short.
        {ScanItemKind::Short, 0x24, "0x00000024 -- 1"},
        {ScanItemKind::Short, 0x44, "0x00000044 -- 3"},
        {ScanItemKind::Short, 0x49, "0x00000049 -- 5"},
        {ScanItemKind::Short, 0x4D, "0x0000004d -- 16"},
    };
    ASSERT_EQ(result.items.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(result.items[i].kind, expected[i].kind) << i;
        EXPECT_EQ(result.items[i].offset, expected[i].offset) << i;
        EXPECT_EQ(result.items[i].text, expected[i].text) << i;
    }
    const ScanItem& dependency = result.items[0];
    EXPECT_EQ(dependency.classCode, "bitm");  // the class found, not the tag's own
    EXPECT_EQ(dependency.tag, 0);
    EXPECT_EQ(result.items[1].tag, 1);
    EXPECT_EQ(result.items[2].tag, 4);  // tag count + 1
    EXPECT_EQ(result.items[2].classCode, "snd!");
    EXPECT_EQ(result.items[3].floatValue, 1.5f);
    EXPECT_EQ(result.items[4].target, 0x500u);
    EXPECT_EQ(result.items[4].count, 3);
    EXPECT_EQ(result.items[7].target, 0x20u);
    // The count window of 0x4C holds the low bytes of the pointer at 0x48.
    EXPECT_EQ(result.items[7].count, 0x500);
    EXPECT_EQ(result.items[9].shortValue, 3);

    EXPECT_EQ(result.items, oracle::Scan(CString(block), m_in));
}

TEST_F(ScanEngine, RootsAndRecordTypes)
{
    struct Case { ScanItemKind kind; ScanRoot root; char type; const char* rootText; };
    const Case cases[] = {
        {ScanItemKind::Dependency, ScanRoot::Dependencies, 'd', "Dependencies"},
        {ScanItemKind::NullReference, ScanRoot::Dependencies, 'd', "Dependencies"},
        {ScanItemKind::LoneID, ScanRoot::LoneIDs, 'l', "LoneIDs"},
        {ScanItemKind::Reflexive, ScanRoot::Reflexives, 'r', "Reflexives"},
        {ScanItemKind::Pointer, ScanRoot::Pointers, 'p', "Pointers"},
        {ScanItemKind::Float, ScanRoot::Floats, 'f', "Floats"},
        {ScanItemKind::Short, ScanRoot::Shorts, 's', "Shorts"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RootOf(c.kind), c.root);
        EXPECT_EQ(RecordType(c.kind), c.type);
        EXPECT_STREQ(ScanRootText(c.root), c.rootText);
    }
}

TEST_F(ScanEngine, ARecordTakesOnlyTheFieldsOfItsKind)
{
    ScanRecord earlier;
    earlier.m_strClass = "old!";
    earlier.m_chType = 'x';
    earlier.m_nTag = 77;
    earlier.m_dwTarget = 0xABCD;
    earlier.m_nCount = 9;
    earlier.m_nOffset = 1234;
    earlier.m_fValue = 2.5f;
    earlier.m_sValue = 42;
    ScanItem item;
    item.offset = 8;
    item.tag = 2;
    item.classCode = "bitm";
    item.target = 0x10;
    item.count = 3;
    item.floatValue = 7.0f;
    item.shortValue = 5;
    HTREEITEM handle = reinterpret_cast<HTREEITEM>(0x1234);

    struct Case { ScanItemKind kind; bool cls, tag, target, count, fvalue, svalue; };
    const Case cases[] = {
        {ScanItemKind::Dependency, true, true, false, false, false, false},
        {ScanItemKind::NullReference, true, true, false, false, false, false},
        {ScanItemKind::LoneID, false, true, false, false, false, false},
        {ScanItemKind::Pointer, false, false, true, true, false, false},
        {ScanItemKind::Reflexive, false, false, true, true, false, false},
        {ScanItemKind::Float, false, false, false, false, true, false},
        {ScanItemKind::Short, false, false, false, false, false, true},
    };
    for (const Case& c : cases) {
        ScanRecord record = earlier;
        item.kind = c.kind;
        StoreScanRecord(item, handle, record);
        SCOPED_TRACE(RecordType(c.kind));
        EXPECT_EQ(record.m_hItem, handle);
        EXPECT_EQ(record.m_chType, RecordType(c.kind));
        EXPECT_EQ(record.m_nOffset, 8);
        EXPECT_EQ(record.m_strClass, c.cls ? "bitm" : "old!");
        EXPECT_EQ(record.m_nTag, c.tag ? 2 : 77);
        EXPECT_EQ(record.m_dwTarget, c.target ? 0x10u : 0xABCDu);
        EXPECT_EQ(record.m_nCount, c.count ? 3 : 9);
        EXPECT_EQ(record.m_fValue, c.fvalue ? 7.0f : 2.5f);
        EXPECT_EQ(record.m_sValue, c.svalue ? 5 : 42);
    }
}

TEST_F(ScanEngine, DependencyAndLoneIDSwitches)
{
    std::string block = Filler(0x40);
    Put(block, 0x00, StoredClass("bitm"));
    Put(block, 0x0C, IdentifierKey(m_tags[2]).Bytes());
    Put(block, 0x14, IdentifierKey(m_tags[0]).Bytes());
    Put(block, 0x20, StoredClass("weap"));
    Put(block, 0x2C, "\xFF\xFF\xFF\xFF");
    m_in.switches = {};

    m_in.switches.loneIDs = true;
    EXPECT_EQ(Kinds(Scan(block)), (std::vector<ScanItemKind>{ScanItemKind::LoneID}));
    m_in.switches = {};
    m_in.switches.dependencies = true;
    // Every Dependency of the identifier pass before the first null reference.
    EXPECT_EQ(Kinds(Scan(block)), (std::vector<ScanItemKind>{ScanItemKind::Dependency, ScanItemKind::NullReference}));
    m_in.switches = {};
    EXPECT_TRUE(Scan(block).items.empty());
}

TEST_F(ScanEngine, FloatsAreOnlyTheAccumulatedValues)
{
    m_in.switches = {};
    m_in.switches.floats = true;
    m_in.floatPrecision = 0.01f;
    float tenth = 0.0f;
    int tried = 0;
    for (float f = 0.01f; f <= 100.0f; f = f + 0.01f)
        if (++tried == 10) tenth = f;
    EXPECT_EQ(tried, 9999);
    ASSERT_NE(tenth, 0.1f);

    std::string block = Filler(0x40);
    Put(block, 0x04, Stored(std::bit_cast<uint32_t>(0.1f)));
    Put(block, 0x0C, Stored(std::bit_cast<uint32_t>(0.5f)));
    Put(block, 0x14, Stored(std::bit_cast<uint32_t>(1.0f)));
    Put(block, 0x1C, Stored(std::bit_cast<uint32_t>(25.0f)));
    Put(block, 0x24, Stored(std::bit_cast<uint32_t>(tenth)));
    const ScanResult result = Scan(block);
    ASSERT_EQ(result.items.size(), 1u);
    EXPECT_EQ(result.items[0].offset, 0x24);
    EXPECT_EQ(result.items[0].floatValue, tenth);
    EXPECT_EQ(result.items[0].text, "0x00000024 -- 0.1");  // six digits hide the difference
}

TEST_F(ScanEngine, FloatPrecisionThatCannotEndIsRefusedOnce)
{
    std::string block = Filler(0x10);
    Put(block, 0x04, Stored(std::bit_cast<uint32_t>(1.0f)));
    Put(block, 0x0A, "\x07x");
    m_in.switches = {};
    m_in.switches.floats = m_in.switches.shorts = true;
    struct Case { float precision; const char* message; };
    const char* const notPositive = "The float precision must be a number greater than 0. Floats were not scanned.";
    const char* const tooSmall =
        "The float precision is too small: more than 2000000 values would be tried. Floats were not scanned.";
    const Case cases[] = {
        {0.0f, notPositive},
        {-0.5f, notPositive},
        {std::numeric_limits<float>::quiet_NaN(), notPositive},
        {1e-6f, tooSmall},              // stops growing below 100
        {1e-40f, tooSmall},
        {150.0f, nullptr},                      // above 100: tries nothing, and that is no fault
        {std::numeric_limits<float>::infinity(), nullptr},
    };
    for (const Case& c : cases) {
        m_in.floatPrecision = c.precision;
        const ScanResult result = Scan(block);
        SCOPED_TRACE(c.precision);
        EXPECT_EQ(Kinds(result), (std::vector<ScanItemKind>{ScanItemKind::Short}));  // the other phases run
        if (c.message) {
            ASSERT_EQ(result.messages.size(), 1u);
            EXPECT_EQ(result.messages[0], c.message);
        } else {
            EXPECT_TRUE(result.messages.empty());
        }
    }
    m_in.floatPrecision = 0.25f;
    EXPECT_EQ(Kinds(Scan(block)), (std::vector<ScanItemKind>{ScanItemKind::Float, ScanItemKind::Short}));
}

TEST_F(ScanEngine, AFinePrecisionStillRuns)
{
    // 0.0001 needs about a million values to pass 100.
    m_in.switches = {};
    m_in.switches.floats = true;
    m_in.floatPrecision = 0.0001f;
    float f = 0.0001f;
    for (int i = 0; i < 700000; ++i) f = f + 0.0001f;
    std::string block = Filler(12);
    Put(block, 4, Stored(std::bit_cast<uint32_t>(f)));
    const ScanResult result = Scan(block);
    EXPECT_TRUE(result.messages.empty());
    ASSERT_EQ(result.items.size(), 1u);
    EXPECT_EQ(result.items[0].floatValue, f);
}

TEST_F(ScanEngine, ShortsAreSmallBytesFollowedByZeroOrLast)
{
    m_in.switches = {};
    m_in.switches.shorts = true;
    const std::string block("\xEE\xEE\x05x\xEE\x05\x01\xEE\x64\x78\x05", 11);
    const ScanResult result = Scan(block);
    ASSERT_EQ(result.items.size(), 3u);
    EXPECT_EQ(result.items[0].offset, 2);  // 05 00
    EXPECT_EQ(result.items[0].text, "0x00000002 -- 5");
    EXPECT_EQ(result.items[1].offset, 10);  // 05 last in the block
    EXPECT_EQ(result.items[1].shortValue, 5);
    EXPECT_EQ(result.items[2].offset, 8);  // 100 followed by 0x78, which reads as zero
    EXPECT_EQ(result.items[2].text, "0x00000008 -- 100");
}

TEST_F(ScanEngine, AValueAtPositionZeroHidesItsLaterOccurrences)
{
    // Phase 6 goes on from where phase 5 left P: 0 when phase 5 did not
    // run, so the first value is searched from 1 and every later value
    // from 0, where a find ends that value.
    m_in.switches = {};
    m_in.switches.shorts = true;
    const std::string block("\x05x\x05x\x07x", 6);
    EXPECT_EQ(Kinds(Scan(block)), (std::vector<ScanItemKind>{ScanItemKind::Short}));
    EXPECT_EQ(Scan(block).items[0].offset, 4);
    const std::string one("\x01x\x01x", 4);  // the first value: searched from 1
    ASSERT_EQ(Scan(one).items.size(), 1u);
    EXPECT_EQ(Scan(one).items[0].offset, 2);
}

TEST_F(ScanEngine, PointerBelowTheMagicShowsEightDigits)
{
    // The key of 0x80780000 is "xxx\x80": it matches four stored bytes whose
    // 0x78 reads back as zero, so value - magic is negative.
    m_in.switches = {};
    m_in.switches.pointers = true;
    m_in.magic = 0x80780000;
    m_in.eofPosition = 0x10;
    std::string block = Filler(0x10);
    Put(block, 0x08, "xxx\x80");
    const ScanResult result = Scan(block);
    ASSERT_EQ(result.items.size(), 1u);
    EXPECT_EQ(result.items[0].target, 0xFF880000u);
    EXPECT_EQ(result.items[0].text, "0x00000008 -- 0x80000000 = 0xff880000 -- Chunk Count: 61166");
}

TEST_F(ScanEngine, ListStopsAtTheItemLimitAndSaysSo)
{
    m_in.switches = {};
    m_in.switches.shorts = true;
    std::string block = "\xEE";
    for (int i = 0; i < 700; ++i) block += "\x05x";
    for (int i = 0; i < 400; ++i) block += "\x06x";
    const ScanResult result = Scan(block);
    ASSERT_EQ(result.items.size(), 1000u);
    EXPECT_TRUE(result.truncated);
    EXPECT_EQ(result.items.back().offset, 1 + 1400 + 2 * 299);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0], "The scan found more than 1000 items. Only the first 1000 are listed.");

    block.resize(2000);  // exactly 1000 items (the last one byte, last in the block)
    const ScanResult exact = Scan(block);
    EXPECT_EQ(exact.items.size(), 1000u);
    EXPECT_FALSE(exact.truncated);
    EXPECT_TRUE(exact.messages.empty());
}

TEST_F(ScanEngine, HostileRangeStopsAtTheLimit)
{
    // Every address of the 32-bit space, over a block of zero bytes: the
    // exhaustive search would run for ages; the list is full at once.
    m_in.switches = {};
    m_in.switches.pointers = true;
    m_in.magic = 0;
    m_in.eofPosition = 0xFFFFFFFF;
    const ScanResult result = Scan(std::string(100000, 'x'));
    EXPECT_EQ(result.items.size(), 1000u);
    EXPECT_TRUE(result.truncated);
    EXPECT_EQ(result.items[0].offset, 1);  // address 0's key "x", searched from position 1
    EXPECT_EQ(result.items[0].text, "0x00000001 -- 0x00000000 = 0x0 -- Chunk Count: 0");
}

TEST_F(ScanEngine, TempMetaHoldsTheLastNumberShown)
{
    m_in.switches = {};
    m_in.switches.shorts = true;
    Scan(std::string("\xEE\x09x\x21x", 5));
    const std::string scratch = ScratchFilePath("Temp.meta").Bytes();
    EXPECT_EQ(ReadFileBytes(scratch), "33\r\n");
    EXPECT_FALSE(std::filesystem::exists(PathOf("Temp.meta")));
    std::filesystem::remove(scratch);
    Scan(Filler(8));  // no number shown: the scratch file is not touched
    EXPECT_FALSE(std::filesystem::exists(scratch));

    // The log held open under the scratch file's name keeps its bytes, and
    // the scan says why the scratch file was not written.
    OpenTestLog();
    g_LogFile << "kept\n";
    std::filesystem::create_hard_link(PathOf("Log.txt"), scratch);
    const ScanResult result = Scan(std::string("\xEE\x09x\x21x", 5));
    ASSERT_FALSE(result.messages.empty());
    EXPECT_EQ(result.messages.back(),
              "The file '" + scratch + "' is open in the editor as 'Log.txt'. The scratch file was not written.");
    EXPECT_EQ(ReadFileBytes(PathOf("Log.txt")), "kept\r\n");
    std::filesystem::remove(scratch);
}

class ScanTagMetadataTest : public WorkDirTest {
protected:
    ScanSwitches AllOn() const { return {true, true, true, true, true, true}; }
};

TEST_F(ScanTagMetadataTest, ScansTheTagOfTheOpenMap)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "levels\\bitmap").MetaSize(32);
    map.AddTag("obje", "levels\\object")
        .MetaSize(0x60)
        .TagRef(0x10, "bitm", 0)
        .NullRef(0x24, "snd!")
        .Reflexive(0x40, 2, 0x50);
    map.AddTag("bitm", "levels\\last").MetaSize(16);  // the last tag's size is read as 0
    MapLayout layout = OpenBuiltMap(map);
    LoadOpenMap(nullptr);

    const ScanResult result = ScanTagMetadata(1, AllOn(), 0.5f);
    EXPECT_FALSE(result.refused);
    EXPECT_TRUE(result.messages.empty());
    const ScanItem* dependency = FindItem(result, ScanItemKind::Dependency, 0x1C);
    ASSERT_NE(dependency, nullptr);
    EXPECT_EQ(dependency->text, "0x0000001c -- bitm -- levels\\bitmap");
    const ScanItem* nulled = FindItem(result, ScanItemKind::NullReference, 0x30);
    ASSERT_NE(nulled, nullptr);
    EXPECT_EQ(nulled->tag, 4);
    const ScanItem* reflexive = FindItem(result, ScanItemKind::Reflexive, 0x44);
    ASSERT_NE(reflexive, nullptr);
    EXPECT_EQ(reflexive->target, 0x50u);
    EXPECT_EQ(reflexive->count, 2);
    const ScanItem* pointer = FindItem(result, ScanItemKind::Pointer, 0x44);
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(pointer->target, layout.metaOffsets[1] + 0x50);
}

TEST_F(ScanTagMetadataTest, SizesOutsideTheWorkingBufferAreRefused)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a").MetaSize(32);
    map.AddTag("bitm", "b").MetaSize(32);
    OpenBuiltMap(map);
    LoadOpenMap(nullptr);
    const std::pair<int32_t, const char*> sizes[] = {
        {-4, "The metadata size of this tag (-4 bytes) is not between 0 and 1000000 bytes. The tag was not scanned."},
        {1000001,
         "The metadata size of this tag (1000001 bytes) is not between 0 and 1000000 bytes. The tag was not scanned."},
        {INT32_MIN, "The metadata size of this tag (-2147483648 bytes) is not between 0 and 1000000 bytes. The tag was "
                    "not scanned."},
    };
    for (const auto& [size, message] : sizes) {
        g_Tags[0].m_nMetaSize = size;
        const ScanResult result = ScanTagMetadata(0, AllOn(), 0.5f);
        EXPECT_TRUE(result.refused);
        EXPECT_TRUE(result.items.empty());
        ASSERT_EQ(result.messages.size(), 1u);
        EXPECT_EQ(result.messages[0], message);
    }
    g_Tags[0].m_nMetaSize = 1000000;  // the largest size that fits is read
    EXPECT_FALSE(ScanTagMetadata(0, AllOn(), 0.5f).refused);
    EXPECT_TRUE(ScanTagMetadata(-1, AllOn(), 0.5f).refused);
    EXPECT_TRUE(ScanTagMetadata(5000, AllOn(), 0.5f).refused);
}

TEST_F(ScanTagMetadataTest, AMapThatEndsEarlyIsScannedAsFarAsItGoes)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a").MetaSize(32);
    map.AddTag("bitm", "b").MetaSize(32).Bytes(8, "\x05");
    MapLayout layout = OpenBuiltMap(map);
    LoadOpenMap(nullptr);
    const int32_t available = static_cast<int32_t>(layout.fileSize - layout.metaOffsets[1]);
    g_Tags[1].m_nMetaSize = available + 100;
    ScanSwitches shorts;
    shorts.shorts = true;
    const ScanResult result = ScanTagMetadata(1, shorts, 0.5f);
    EXPECT_FALSE(result.refused);
    ASSERT_GE(result.messages.size(), 1u);
    const std::string shortRead = "The map file ends after " + std::to_string(available) + " of this tag's " +
                                  std::to_string(available + 100) + " metadata bytes. Only those bytes were scanned.";
    EXPECT_EQ(result.messages[0], shortRead.c_str());
    ASSERT_NE(FindItem(result, ScanItemKind::Short, 8), nullptr);

    const WorkingMetadata read = ReadWorkingMetadata(g_MapFile, layout.metaOffsets[1], available + 100);
    EXPECT_EQ(read.status, MetadataReadStatus::ShortRead);
    EXPECT_EQ(read.bytesRead, available);
    EXPECT_EQ(read.block.GetLength(), available);
}

} // namespace
