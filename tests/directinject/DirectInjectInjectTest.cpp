// Direct inject through the dialog: the bytes of the whole open map after
// each inject, "Temp.data", the messages and the log lines in order.
#include "tests/support/DirectInjectFixture.h"

#include "directinject/DirectInject.h"
#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "metadata/DataFile.h"
#include "platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace travik::test;

namespace {

using Lines = std::vector<std::string>;
using Texts = std::vector<CString>;

const char* const kDone = "Direct inject completed successfully.";

// The open map. Its tags share names with the second map's in another
// index order; "shared\sound" has an identifier with a 0x78 byte.
MapBuilder OpenSpec()
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "shared\\bitmap").MetaSize(64);                  // 0
    map.AddTag("snd!", "shared\\sound").MetaSize(64).Identifier(0xE1780005); // 1
    std::string old(0x200, '\0');
    for (size_t i = 0; i < old.size(); ++i) old[i] = static_cast<char>(0x80 + i % 0x70);
    map.AddTag("weap", "target").Meta(old);                             // 2
    map.AddTag("bitm", "twin").MetaSize(16);                            // 3
    map.AddTag("snd!", "twin").MetaSize(16);                            // 4
    map.AddTag("obje", "Nulled").MetaSize(16);                          // 5
    map.AddTag("obje", "small target").Meta(std::string(0x40, '\x55')); // 6
    map.AddTag("obje", "end");
    return map;
}

struct SecondMap {
    MapBuilder spec = MapBuilder::Pc();
    MapLayout layout;
    uint32_t pointer78At = 0;     // where the pointer whose address holds a 0x78 byte stands
    uint32_t pointer78Target = 0; // ... and the byte of the block it addresses
};

// Tag 2 refers to everything the inject re-points; the others are the
// sizes and shapes of the edge cases.
SecondMap SecondSpec()
{
    SecondMap second;
    MapBuilder& map = second.spec;
    map.AddTag("snd!", "shared\\sound");   // 0
    map.AddTag("bitm", "shared\\bitmap");  // 1
    map.AddTag("weap", "source")           // 2
        .MetaSize(0x100)
        .TagRef(0x10, "bitm", 1)
        .TagRef(0x20, "snd!", 0)
        .IdRef(0x30, 1)                    // the same tag again
        .TagRef(0x40, "snd!", 3)           // "twin": the open map's lower index wins, whatever the class
        .NullRef(0x50, "effe")             // stays FF FF FF FF although the open map has a tag "Nulled"
        .TagRef(0x60, "bitm", 4)           // no such name in the open map
        .Pointer(0x70, 0)                  // to the block's first byte
        .Reflexive(0x80, 3, 0x90)
        .Bytes(0xA0, std::string("\x78\x78\x00\x78", 4)); // not patched: kept exactly
    map.AddTag("bitm", "twin");            // 3
    map.AddTag("bitm", "only here");       // 4
    map.AddTag("obje", "no refs").Bytes(0x8, "abcdefgh").MetaSize(0x40); // 5
    map.AddTag("obje", "self start").Pointer(0, 0).Pointer(0x10, 0).MetaSize(0x20); // 6
    map.AddTag("obje", "fits").MetaSize(0x200).IdRef(0x100, 1); // 7: as large as "target"
    map.AddTag("obje", "one more").MetaSize(0x44);              // 8: 0x41 bytes, one more than "small target"
    map.AddTag("obje", "end");                                  // 9
    MapLayout layout = map.Layout();
    const uint32_t size = layout.metaAddresses[3] - layout.metaAddresses[2];
    map.Tag(2).Pointer(0x74, size); // to the byte just past the block
    // A pointer whose stored address holds a 0x78 byte.
    second.pointer78Target = (0x78 - (layout.metaOffsets[2] + layout.magic)) & 0xFF;
    second.pointer78At = 0xF8;
    map.Tag(2).Pointer(second.pointer78At, second.pointer78Target);
    map.Tag(9).MetaAddress(layout.metaAddresses[8] + 0x41);
    second.layout = map.Write("second.map");
    return second;
}

std::string Slice(const std::string& bytes, uint32_t at, uint32_t size) { return bytes.substr(at, size); }

void Put(std::string& bytes, uint32_t at, const std::string& value) { bytes.replace(at, value.size(), value); }

class DirectInjectInject : public DirectInjectTest {
protected:
    void SetUp() override
    {
        DirectInjectTest::SetUp();
        open = OpenMap(OpenSpec());
        second = SecondSpec();
        openBytes = ReadFileBytes(PathOf("open.map"));
        secondBytes = ReadFileBytes(PathOf("second.map"));
    }

    std::string MapNow() { return ReadFileBytes(PathOf("open.map")); }
    std::string TempData() { return ReadFileBytes(ScratchFilePath("Temp.data").Bytes()); }
    uint32_t SourceSize(int tag) const { return static_cast<uint32_t>(second.layout.LoadedMetaSize(tag)); }
    // The source's bytes as the second map stores them, laid over the target.
    std::string WithSource(const std::string& map, int source, int target) const
    {
        std::string expected = map;
        Put(expected, open.metaOffsets[target], Slice(secondBytes, second.layout.metaOffsets[source], SourceSize(source)));
        return expected;
    }
    // A pointer into the target's metadata, as the open map stores addresses.
    std::string Rebased(int target, uint32_t offset) const
    {
        return Le32(offset + open.magic + open.metaOffsets[target]);
    }

    MapLayout open;
    SecondMap second;
    std::string openBytes, secondBytes;
};

// Every kind of reference of one source, re-pointed or kept byte for byte,
// and the target's bytes past the source's end kept.
TEST_F(DirectInjectInject, RepointsRebasesAndKeepsTheRest)
{
    EXPECT_EQ(InjectThroughDialog(2, 2, 1), (Texts {kDone}));
    EXPECT_EQ(user.Problems(), "");

    const uint32_t at = open.metaOffsets[2];
    const uint32_t size = SourceSize(2);
    std::string expected = WithSource(openBytes, 2, 2);
    Put(expected, at + 0x1C, Le32(open.identifiers[0]));   // bitmap, open tag 0
    Put(expected, at + 0x2C, std::string("\x05\x00\x78\xE1", 4)); // sound, its 0x78 byte exact
    Put(expected, at + 0x30, Le32(open.identifiers[0]));
    Put(expected, at + 0x4C, Le32(open.identifiers[3]));   // "twin": tag 3 of class bitm, not tag 4
    Put(expected, at + 0x70, Rebased(2, 0));
    Put(expected, at + 0x74, Rebased(2, size));
    Put(expected, at + 0x84, Rebased(2, 0x90));
    Put(expected, at + second.pointer78At, Rebased(2, second.pointer78Target));
    EXPECT_EQ(MapNow(), expected);
    // Untouched by the inject: the null reference, the unknown name, the 0x78 bytes.
    EXPECT_EQ(Slice(expected, at + 0x5C, 4), std::string(4, '\xFF'));
    EXPECT_EQ(Slice(expected, at + 0x6C, 4), Le32(second.layout.identifiers[4]));
    EXPECT_EQ(Slice(expected, at + 0xA0, 4), std::string("\x78\x78\x00\x78", 4));
    EXPECT_EQ(Slice(expected, at + size, 0x200 - size), Slice(openBytes, at + size, 0x200 - size));

    // The records in the order of the passes: identifiers by source tag,
    // null references, then pointers by the address they hold.
    std::vector<std::pair<uint32_t, uint32_t>> pointers {
        {0, 0x70}, {0x90, 0x84}, {second.pointer78Target, second.pointer78At}, {size, 0x74}};
    std::stable_sort(pointers.begin(), pointers.end());
    std::string records = "Dependency|44|shared\\sound|snd!|\r\n"
                          "Dependency|28|shared\\bitmap|bitm|\r\nLoneID|48|shared\\bitmap|bitm|\r\n"
                          "Dependency|76|twin|snd!|\r\nDependency|108|only here|bitm|\r\n"
                          "Dependency|92|Nulled|" + std::string(4, '\xFF') + "|\r\n";
    for (auto [target, position] : pointers)
        records += "Reflexive|" + std::to_string(position) + "|" + std::to_string(target) + "|\r\n";
    EXPECT_EQ(TempData(), records);
    EXPECT_EQ(FileLogLines(CloseAndReadLog()),
              (Lines {"MapFile 'open.map' opened successfully.", "Index load starts.",
                      "Input MapFile 'second.map' opened successfully.", "Index load starts.", "Index load starts.",
                      "DataFile '" + ScratchFilePath("Temp.data").Bytes() + "' opened successfully.",
                      "DataFile closed successfully.",
                      "DataFile '" + ScratchFilePath("Temp.data").Bytes() + "' opened successfully.",
                      "DataFile closed successfully."}));
}

} // namespace

namespace {

const char* const kSelectBoth = "Select the tag to copy in \"Get From\" and the tag to overwrite in \"Inject Into\".";

// Refusals before anything is written: the map keeps every byte and no
// "Temp.data" is made. Equal sizes pass.
TEST_F(DirectInjectInject, SizesAndSelectionsDecideWhetherItRuns)
{
    ASSERT_EQ(SourceSize(8), 0x41u);
    ASSERT_EQ(open.LoadedMetaSize(6), 0x40);
    EXPECT_EQ(InjectThroughDialog(8, 6, 1), (Texts {"Not enough space to inject."}));
    EXPECT_EQ(InjectThroughDialog(-1, 6, 1), (Texts {kSelectBoth}));
    // Without a target the size shown is 0, so the size test refuses first.
    EXPECT_EQ(InjectThroughDialog(5, -1, 1), (Texts {"Not enough space to inject."}));
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(MapNow(), openBytes);
    EXPECT_FALSE(std::filesystem::exists(PathOf("Temp.data")));

    ASSERT_EQ(static_cast<int32_t>(SourceSize(7)), open.LoadedMetaSize(2));
    EXPECT_EQ(InjectThroughDialog(7, 2, 1), (Texts {kDone}));
    std::string expected = WithSource(openBytes, 7, 2);
    Put(expected, open.metaOffsets[2] + 0x100, Le32(open.identifiers[0]));
    EXPECT_EQ(MapNow(), expected);
}

// A source without references arrives unchanged with an empty "Temp.data",
// also right after an inject that wrote many records; a block that starts
// with a pointer to its own first byte has none of its copies rebased.
TEST_F(DirectInjectInject, InjectsInARowApplyOnlyTheirOwnRecords)
{
    EXPECT_EQ(InjectThroughDialog(2, 2, 1), (Texts {kDone}));
    const std::string afterFirst = MapNow();
    EXPECT_NE(TempData(), "");

    EXPECT_EQ(InjectThroughDialog(5, 6, 1), (Texts {kDone}));
    EXPECT_EQ(TempData(), "");
    EXPECT_EQ(MapNow(), WithSource(afterFirst, 5, 6));

    EXPECT_EQ(InjectThroughDialog(6, 6, 1), (Texts {kDone}));
    EXPECT_EQ(TempData(), "");
    EXPECT_EQ(MapNow(), WithSource(WithSource(afterFirst, 5, 6), 6, 6));
    EXPECT_EQ(user.Problems(), "");
}

// What cannot be read or written stops the inject with a message naming
// the file, and the map keeps its bytes where nothing was written.
TEST_F(DirectInjectInject, FilesThatFailAreNamed)
{
    const std::string scratch = ScratchFilePath("Temp.data").Bytes();
    std::filesystem::remove(scratch);
    std::filesystem::create_directory(scratch);
    EXPECT_EQ(InjectThroughDialog(2, 2, 1),
              (Texts {"The data file '" + scratch + "' could not be emptied or opened. Nothing was injected."}));
    EXPECT_EQ(MapNow(), openBytes);
    std::filesystem::remove(scratch);

    // The second map ends inside the source's metadata.
    std::string cut = secondBytes.substr(0, second.layout.metaOffsets[2] + 0x80);
    WriteFileBytes(PathOf("short.map"), cut);
    EXPECT_EQ(InjectThroughDialog(2, 2, 1, "short.map"),
              (Texts {"The second map 'short.map' ends before the source tag's metadata does (128 of " +
                      IntToDecText(static_cast<int32_t>(SourceSize(2))) + " bytes read). Nothing was injected."}));
    EXPECT_EQ(MapNow(), openBytes);
    EXPECT_FALSE(std::filesystem::exists(scratch));

    // A map opened for reading only cannot take the write.
    g_MapFile.Open("open.map", CFileStream::kMapFileReadOnly);
    EXPECT_EQ(InjectThroughDialog(2, 2, 1),
              (Texts {"Writing to the map file 'open.map' failed. The change may be only partly written."}));
    EXPECT_EQ(MapNow(), openBytes);
    EXPECT_EQ(user.Problems(), "");

    const Lines log = FileLogLines(CloseAndReadLog());
    const Lines tail(log.end() - 12, log.end());
    EXPECT_EQ(tail, (Lines {"Input MapFile closed successfully.", "Input MapFile 'short.map' opened successfully.",
                            "Index load starts.", "Index load starts.", "Input MapFile closed successfully.",
                            "Input MapFile 'second.map' opened successfully.", "Index load starts.",
                            "Index load starts.", "DataFile '" + scratch + "' opened successfully.",
                            "DataFile closed successfully.", "DataFile '" + scratch + "' opened successfully.",
                            "DataFile closed successfully."}));
    EXPECT_EQ(std::count(log.begin(), log.end(), "DataFile '" + scratch + "' opened unsuccessfully."), 1);
}

// The second map may be the very file open as the map. Within one opening
// of the dialog, a source written by the inject before is read as the file
// holds it now.
TEST_F(DirectInjectInject, TheSecondMapMayBeTheOpenMapItself)
{
    auto& steps = user.ExpectDialog("Direct Injection").Click(IDC_OPEN_MAP);
    user.AnswerFile("open.map");
    steps.SelectTreeItem(IDC_INJECT_INTO_TREE, ItemOf(g_Tags, 0))
        .SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 6))
        .Click(IDC_INJECT);
    user.ExpectDialog("Message").Escape();
    steps.SelectTreeItem(IDC_INJECT_INTO_TREE, ItemOf(g_Tags, 1))
        .SelectTreeItem(IDC_GET_FROM_TREE, ItemOf(g_InputTags, 0))
        .Click(IDC_INJECT)
        .Escape();
    user.ExpectDialog("Message").Escape();
    RunDialog();
    EXPECT_EQ(user.Problems(), "");
    Texts messages;
    for (const auto& window : user.Shown())
        if (window.caption == "Message") messages.push_back(window.Text(IDC_MESSAGE));
    EXPECT_EQ(messages, (Texts {kDone, kDone}));

    std::string expected = openBytes;
    const std::string fill(0x40, '\x55');
    Put(expected, open.metaOffsets[0], fill);
    Put(expected, open.metaOffsets[1], fill);
    EXPECT_EQ(MapNow(), expected);
}

} // namespace

namespace {

// Sizes the working buffer cannot hold, a target that runs past the end of
// the open map, and second-map tags that share an identifier so widely
// that its hits would multiply: each refused with its message, the map
// and "Temp.data" untouched.
TEST_F(DirectInjectTest, BlocksOutsideTheirBoundsAreRefused)
{
    MapBuilder openSpec = MapBuilder::Xbox();
    openSpec.AddTag("weap", "target").MetaSize(0x100);
    openSpec.AddTag("weap", "runs past the end").MetaSize(0x40);
    openSpec.AddTag("obje", "end");
    const MapLayout plain = openSpec.Layout();
    openSpec.Tag(2).MetaAddress(plain.metaAddresses[1] + 0x10000);
    OpenMap(openSpec);
    const std::string openBytes = ReadFileBytes(PathOf("open.map"));

    MapBuilder second = MapBuilder::Pc();
    second.Magic(0x40000000);
    second.AddTag("bitm", "negative").MetaSize(16);
    second.AddTag("bitm", "spacer");
    // One identifier, held by five tags, filling a block: 16 finds each.
    std::string shared;
    for (int i = 0; i < 16; ++i) shared += Le32(0xE1234567);
    second.AddTag("bitm", "shared").Meta(shared).Identifier(0xE1234567);
    for (int i = 0; i < 4; ++i) second.AddTag("bitm", "same id " + std::to_string(i)).Identifier(0xE1234567);
    second.AddTag("obje", "large").MetaSize(0x1000);
    second.AddTag("obje", "end");
    const MapLayout layout = second.Layout();
    second.Tag(1).MetaAddress(layout.metaAddresses[0] - 0x100);
    second.Write("second.map");

    EXPECT_EQ(InjectThroughDialog(0, 0, 2),
              (Texts {"The metadata size of this tag (-256 bytes) is outside 0 to 1000000 bytes. Its references are "
                      "not listed.",
                      "The metadata size of the source tag (-256 bytes) is outside 0 to 1000000 bytes. Nothing was "
                      "injected."}));
    EXPECT_EQ(InjectThroughDialog(7, 1, 1),
              (Texts {"The target tag's metadata runs past the end of the map file 'open.map'. Nothing was injected."}));
    const CString shares = "Tags of the second map share identifiers: this tag's metadata gives more identifier finds "
                           "than it has bytes.";
    EXPECT_EQ(InjectThroughDialog(2, 0, 2),
              (Texts {shares + " Its references are not listed.", shares + " Nothing was injected."}));
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(ReadFileBytes(PathOf("open.map")), openBytes);
    EXPECT_FALSE(std::filesystem::exists(PathOf("Temp.data")));
}

// Tag names and class codes that the record reader cannot take apart as
// written: a '|' (not the name's first) before a line break ends the record
// early, so the rest of the name would be read as records of its own (here
// a forged Reflexive at offset 8), and a '|' in a LoneID's class field
// moves the name's end (here to another tag of the open map, "x|a"). Such
// references keep the second map's identifier, the user is told, and no
// forged record is applied.
TEST_F(DirectInjectTest, NamesThatCannotBeReadBackAreNotApplied)
{
    MapBuilder openSpec = MapBuilder::Xbox();
    openSpec.AddTag("weap", "target").MetaSize(0x100);
    openSpec.AddTag("obje", "x");
    openSpec.AddTag("obje", "x|a");
    openSpec.AddTag("obje", "end");
    const MapLayout open = OpenMap(openSpec);
    const std::string openBytes = ReadFileBytes(PathOf("open.map"));

    MapBuilder second = MapBuilder::Pc();
    second.AddTag("obje", "a|b|\r\nReflexive|8|4096|\r\n");
    second.AddTag("a|bc", "x");
    second.AddTag("obje", "y|\r\nz"); // its only '|' is the name's first: read back whole
    second.AddTag("weap", "source").MetaSize(0x40).Bytes(8, "ABCD").IdRef(0x20, 0).IdRef(0x28, 1).IdRef(0x30, 2);
    second.AddTag("obje", "end");
    const MapLayout layout = second.Write("second.map");
    const std::string secondBytes = ReadFileBytes(PathOf("second.map"));

    EXPECT_EQ(InjectThroughDialog(3, 0, 2),
              (Texts {"2 references of the source tag were not re-pointed: the names or classes of the tags they "
                      "name cannot be read back from the data file.",
                      "Direct inject completed successfully."}));
    EXPECT_EQ(user.Problems(), "");
    std::string expected = openBytes;
    expected.replace(open.metaOffsets[0], 0x40, secondBytes.substr(layout.metaOffsets[3], 0x40));
    EXPECT_EQ(ReadFileBytes(PathOf("open.map")), expected);
    EXPECT_EQ(ReadFileBytes(ScratchFilePath("Temp.data").Bytes()), "LoneID|48|y|\r\r\nz|obje|\r\n");
}

// The check on what is written agrees with the reader: a record it lets
// through reads back as written and alone; one it stops does not.
TEST_F(DirectInjectTest, RecordsThatReadBackWholeAreTheOnesLetThrough)
{
    struct Case {
        DataRecordKind kind;
        std::string name, cls;
        bool whole;
    };
    const Case cases[] = {
        {DataRecordKind::LoneID, "plain\\name", "bitm", true},
        {DataRecordKind::Dependency, "a|b", "bitm", true},
        {DataRecordKind::LoneID, "a|b||", "obje", true},
        {DataRecordKind::LoneID, "line\nbreak", "obje", true},
        {DataRecordKind::LoneID, "a|\r\nb", "obje", true}, // the name's first '|'
        {DataRecordKind::LoneID, "a", "\nbc ", true},
        {DataRecordKind::LoneID, "a|b|\nc", "obje", false},
        {DataRecordKind::LoneID, "a|b|\rc", "obje", false},
        {DataRecordKind::Dependency, "a|b", "\nbcd", false},
        {DataRecordKind::LoneID, "a|b|\nReflexive|8|4096|\n", "obje", false},
        {DataRecordKind::LoneID, "x", "a|bc", false},
        {DataRecordKind::LoneID, "x", "ab|\n", false},
        // Each piece after a '|' is read as a class field of at most 99
        // characters; the name field holds any tag name.
        {DataRecordKind::Dependency, "a|" + std::string(99, 'b'), "bitm", true},
        {DataRecordKind::Dependency, "a|" + std::string(100, 'b'), "bitm", false},
        {DataRecordKind::LoneID, "a|" + std::string(100, 'b') + "|c", "obje", false},
        {DataRecordKind::LoneID, "a|b|" + std::string(99, 'c'), "obje", true},
        {DataRecordKind::LoneID, "x", std::string(99, 'c'), true},
        {DataRecordKind::LoneID, "x", std::string(100, 'c'), false},
        {DataRecordKind::LoneID, std::string(5000, 'n'), "obje", true},
        {DataRecordKind::LoneID, std::string(5001, 'n'), "obje", false},
        {DataRecordKind::LoneID, std::string(4950, 'n') + "|" + std::string(49, 'b'), "obje", true},
        {DataRecordKind::LoneID, std::string(4951, 'n') + "|" + std::string(49, 'b'), "obje", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " / " + c.cls);
        const DataFileRecord record {c.kind, 20, CString(c.name), CString(c.cls), 0};
        EXPECT_EQ(RecordReadsBackWhole(record), c.whole);
        {
            CFileStream out;
            ASSERT_TRUE(out.Open("one.data", CFileStream::kScratchText));
            ASSERT_TRUE(out.Write(FormatDataFileRecord(record)));
        }
        CFileStream in;
        ASSERT_TRUE(in.Open("one.data", CFileStream::kDataFile));
        DataFileRecordReader reader(in);
        const bool first = reader.Next() == DataFileRecordReader::Step::Record && reader.Record() == record;
        const bool alone = reader.Next() == DataFileRecordReader::Step::End;
        EXPECT_EQ(first && alone, c.whole);
    }
}

// "Temp.data" lies in the editor's scratch folder, never beside the maps.
// A map that is the scratch file all the same (chosen from that folder, or
// a hard link to it there), as the second map or as the open map, is never
// emptied: the inject is refused naming the file and both maps keep every
// byte.
TEST_F(DirectInjectTest, AMapThatIsTheScratchFileIsNeverEmptied)
{
    MapBuilder openSpec = MapBuilder::Xbox();
    openSpec.AddTag("weap", "target").MetaSize(0x100);
    openSpec.AddTag("obje", "end");
    MapBuilder second = MapBuilder::Pc();
    second.AddTag("weap", "source").MetaSize(0x40).Bytes(8, "ABCD");
    second.AddTag("obje", "end");
    const std::string scratch = ScratchFilePath("Temp.data").Bytes();
    const std::string home = Dir().string();

    // A second map chosen in the scratch folder under the scratch name.
    OpenMap(openSpec);
    second.Write(scratch);
    const std::string openBytes = ReadFileBytes(PathOf("open.map"));
    const std::string secondBytes = ReadFileBytes(scratch);
    EXPECT_EQ(InjectThroughDialog(0, 0, 1, scratch.c_str()),
              (Texts {"The file '" + scratch + "' is open in the editor as 'Temp.data'. Nothing was injected."}));
    EXPECT_EQ(ReadFileBytes(PathOf("open.map")), openBytes);
    EXPECT_EQ(ReadFileBytes(scratch), secondBytes);
    CloseInputMapFile();
    std::filesystem::current_path(home);
    std::filesystem::remove(scratch);

    // The open map, hard-linked into the scratch folder as "Temp.data".
    std::filesystem::create_hard_link(PathOf("open.map"), scratch);
    second.Write("second.map");
    EXPECT_EQ(InjectThroughDialog(0, 0, 1),
              (Texts {"The file '" + scratch + "' is open in the editor as 'open.map'. Nothing was injected."}));
    EXPECT_EQ(ReadFileBytes(PathOf("open.map")), openBytes);
    EXPECT_EQ(user.Problems(), "");
    // Nothing of the inject's lands beside the maps.
    EXPECT_FALSE(std::filesystem::exists(PathOf("Temp.data")));
}

} // namespace

namespace {

// A source of 1,000,000 bytes fits the working buffer, one byte more does
// not; a target block ending exactly at the end of the open map takes the
// injection, one byte longer runs past it.
TEST_F(DirectInjectTest, SizesAndTheMapsEndArePinnedAtTheirExactEdges)
{
    std::vector<CString> told;
    auto tell = [&](const CString& text) { told.push_back(text); };
    auto inject = [&](int32_t size) {
        told.clear();
        g_InputTags[0].m_nMetaSize = size;
        g_Tags[0].m_nMetaSize = size;
        DirectInjectTag(0, 0, tell);
        return told.empty() ? CString() : told.back();
    };

    MapBuilder big = MapBuilder::Xbox();
    big.AddTag("weap", "target").MetaSize(1000000);
    big.AddTag("obje", "end");
    OpenMap(big);
    MapBuilder bigSource = MapBuilder::Pc();
    bigSource.AddTag("weap", "source").MetaSize(1000000).Bytes(0x20, "\x78\x5A\x78");
    bigSource.AddTag("obje", "end");
    OpenBuiltInputMap(bigSource, "second.map");
    LoadInputMap(nullptr);
    ASSERT_EQ(g_InputTags[0].m_nMetaSize, 1000000);
    EXPECT_EQ(inject(1000000), "Direct inject completed successfully.");
    std::string openBytes = ReadFileBytes(PathOf("open.map"));
    EXPECT_EQ(inject(1000001), "The metadata size of the source tag (1000001 bytes) is outside 0 to 1000000 bytes. "
                               "Nothing was injected.");
    EXPECT_EQ(ReadFileBytes(PathOf("open.map")), openBytes);
    CloseInputMapFile();
    CloseMapFile();

    MapBuilder small = MapBuilder::Xbox();
    small.AddTag("weap", "target").MetaSize(0x40);
    small.AddTag("obje", "end");
    const MapLayout layout = OpenMap(small);
    MapBuilder smallSource = MapBuilder::Pc();
    smallSource.AddTag("weap", "source").MetaSize(0x200);
    smallSource.AddTag("obje", "end");
    OpenBuiltInputMap(smallSource, "second.map");
    LoadInputMap(nullptr);
    const int32_t toEnd = static_cast<int32_t>(layout.fileSize - layout.metaOffsets[0]);
    openBytes = ReadFileBytes(PathOf("open.map"));
    EXPECT_EQ(inject(toEnd + 1),
              "The target tag's metadata runs past the end of the map file 'open.map'. Nothing was injected.");
    EXPECT_EQ(ReadFileBytes(PathOf("open.map")), openBytes);
    EXPECT_EQ(inject(toEnd), "Direct inject completed successfully.");
    EXPECT_EQ(ReadFileBytes(PathOf("open.map")).size(), openBytes.size());
    EXPECT_EQ(user.Problems(), "");
}

} // namespace
