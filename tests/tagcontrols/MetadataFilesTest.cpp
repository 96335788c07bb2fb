// Save Metadata and Inject Metadata on built maps, files compared whole.
#include "tagcontrols/MetadataFiles.h"

#include "map/HexCodec.h"
#include "map/MapFiles.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "metadata/DataFile.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using namespace travik::test;

const std::string FF4 = "\xFF\xFF\xFF\xFF";
const std::string kHeadTop = "Metadata information file created by Project Travik\r\n"
                             "Format: Name, Type1, Type2, Type3, Size\r\n";

class MetadataFilesTest : public WorkDirTest {
protected:
    void SetUp() override
    {
        WorkDirTest::SetUp();
        FillTagClassTable();
        OpenTestLog();
    }

    MapLayout Open(const MapBuilder& map, const std::string& name = "test.map")
    {
        const MapLayout layout = OpenBuiltMap(map, name);
        LoadOpenMap(nullptr);
        return layout;
    }

    bool Save(const CString& name, int tag) { return SaveMetadataPair(name, tag, Tell()); }
    bool Inject(const CString& name, int tag, bool correct = true) { return InjectMetadataPair(name, tag, correct, Tell()); }
    MessageSink Tell()
    {
        return [this](const CString& text) { messages.push_back(text.Bytes()); };
    }
    std::string MapBytes() { return ReadFileBytes("test.map"); }

    std::vector<std::string> messages;
};

// The worked example: tag "a\b" of class bitm with no second or third
// class, 1234 bytes holding a reference to "c\d", a null reference and a
// pointer to its own byte 200.
MapBuilder ExampleMap()
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a\\b", FF4, FF4).MetaSize(1236).TagRef(8, "bitm", 1).NullRef(48, "snd!").Pointer(100, 200);
    map.AddTag("bitm", "c\\d").MetaSize(16);
    map.AddTag("sky ", "last").MetaSize(4);
    return map;
}

TEST_F(MetadataFilesTest, SaveWritesTheMetadataFileAndTheWorkedExampleDataFile)
{
    const MapLayout layout = Open(ExampleMap());
    g_Tags[0].m_nMetaSize = 1234;
    ASSERT_TRUE(Save("a.meta", 0));
    EXPECT_EQ(messages, std::vector<std::string>{"Metadata saved successfully."});
    EXPECT_EQ(ReadFileBytes("a.meta"), MapBytes().substr(layout.metaOffsets[0], 1234));
    EXPECT_EQ(ReadFileBytes("a.meta.data"), kHeadTop + "a\\b\r\nbitm\r\n" + FF4 + "\r\n" + FF4 + "\r\n1234\r\n" +
                                                "Dependency|20|c\\d|bitm|\r\n"
                                                "Dependency|60|Nulled|" + FF4 + "|\r\n"
                                                "Reflexive|100|200|\r\n");
    const std::string log = CloseAndReadLog();
    EXPECT_NE(log.find("\tDataFile 'a.meta.data' opened successfully.\r\n"), std::string::npos);
    EXPECT_NE(log.find("\tDataFile closed successfully.\r\n"), std::string::npos);
}

TEST_F(MetadataFilesTest, SaveEdgesOfTheFiles)
{
    MapBuilder map = MapBuilder::Xbox();
    // Nothing to find; bytes 00 and 78 stay themselves in the metadata file.
    map.AddTag("fog ", "with blanks in name", "", "sky ").Meta(std::string("\x00\x78\x01\x00\x78\x78\xFF\x02", 8));
    map.AddTag("bitm", "empty").MetaSize(0);
    // Its own identifier at 0 (no record) and at 1 (a record naming itself);
    // an identifier after four 0xFF bytes is a LoneID.
    map.AddTag("bitm", "self").MetaSize(32).IdRef(0, 2).IdRef(5, 2).Bytes(12, FF4).IdRef(24, 2);
    map.AddTag("bitm", "end").MetaSize(4);
    const MapLayout layout = Open(map);

    ASSERT_TRUE(Save("plain", 0));
    const std::string size0 = std::to_string(layout.LoadedMetaSize(0));
    EXPECT_EQ(ReadFileBytes("plain").substr(0, 8), std::string("\x00\x78\x01\x00\x78\x78\xFF\x02", 8));
    EXPECT_EQ(ReadFileBytes("plain"), MapBytes().substr(layout.metaOffsets[0], layout.LoadedMetaSize(0)));
    EXPECT_EQ(ReadFileBytes("plain.data"), kHeadTop + "with blanks in name\r\nfog \r\n\r\nsky \r\n" + size0 + "\r\n");

    ASSERT_TRUE(Save("empty", 1));
    EXPECT_EQ(ReadFileBytes("empty"), "");
    EXPECT_EQ(ReadFileBytes("empty.data"), kHeadTop + "empty\r\nbitm\r\n\r\n\r\n0\r\n");

    // A longer, older pair under the same name leaves nothing behind, and
    // saving twice gives the files of one save.
    WriteFileBytes("self", std::string(4000, 'o'));
    WriteFileBytes("self.data", std::string(4000, 'o'));
    ASSERT_TRUE(Save("self", 2));
    const std::string first = ReadFileBytes("self.data");
    ASSERT_TRUE(Save("self", 2));
    EXPECT_EQ(ReadFileBytes("self.data"), first);
    EXPECT_EQ(ReadFileBytes("self"), MapBytes().substr(layout.metaOffsets[2], layout.LoadedMetaSize(2)));
    EXPECT_EQ(first, kHeadTop + "self\r\nbitm\r\n\r\n\r\n" + std::to_string(layout.LoadedMetaSize(2)) +
                         "\r\nLoneID|5|self|bitm|\r\nLoneID|24|self|bitm|\r\n");
}

TEST_F(MetadataFilesTest, SaveRefusesWhatItCannotDoWholeAndNamesTheFile)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "t").MetaSize(16);
    map.AddTag("bitm", "u").MetaSize(16);
    map.AddTag("bitm", "end").MetaSize(4);
    Open(map);
    struct Case {
        const char* what;
        std::function<void()> arrange;
        CString name;
        int tag;
        std::string message;
    };
    const Case cases[] = {
        {"negative size", [] { g_Tags[0].m_nMetaSize = -1; }, "n.meta", 0,
         "The metadata size of this tag (-1 bytes) is not between 0 and 1000000 bytes. Metadata was not saved."},
        {"size above the buffer", [] { g_Tags[0].m_nMetaSize = 1000001; }, "n.meta", 0,
         "The metadata size of this tag (1000001 bytes) is not between 0 and 1000000 bytes. Metadata was not saved."},
        {"map ends early", [] { g_Tags[0].m_nMetaSize = 1000000; }, "n.meta", 0, ""},
        {"the open map's name", [] {}, "test.map", 1, "The file 'test.map' is open in the editor as 'test.map'. Metadata was not saved."},
        {"a folder as metadata file", [] { std::filesystem::create_directory("dir"); }, "dir", 1,
         "The file 'dir' is a folder. Metadata was not saved."},
        {"a folder as data file", [] { std::filesystem::create_directory("m.data"); }, "m", 1,
         "The file 'm.data' is a folder. Metadata was not saved."},
    };
    const std::string mapBefore = MapBytes();
    for (const Case& c : cases) {
        messages.clear();
        const int32_t size = g_Tags[c.tag].m_nMetaSize;
        c.arrange();
        EXPECT_FALSE(Save(c.name, c.tag)) << c.what;
        ASSERT_EQ(messages.size(), 1u) << c.what;
        if (c.message.empty())
            EXPECT_NE(messages[0].find("The map file 'test.map' ends after"), std::string::npos) << messages[0];
        else
            EXPECT_EQ(messages[0], c.message) << c.what;
        EXPECT_FALSE(std::filesystem::exists("n.meta")) << c.what;
        EXPECT_FALSE(std::filesystem::exists("n.meta.data")) << c.what;
        g_Tags[c.tag].m_nMetaSize = size;
    }
    EXPECT_EQ(MapBytes(), mapBefore);
    // After a data file that could not be written, the next save writes it in full.
    messages.clear();
    std::filesystem::remove("m.data");
    EXPECT_TRUE(Save("m", 1));
    EXPECT_EQ(ReadFileBytes("m.data"), kHeadTop + "u\r\nbitm\r\n\r\n\r\n16\r\n");
}

// Names and classes that the data file cannot carry: a record that would
// read back as another (or as a record made of a name's pieces) is not
// written, and a line break in the header refuses the save, so a saved pair
// injected over its own tag never changes the map.
TEST_F(MetadataFilesTest, NamesTheDataFileCannotCarryNeverMisleadTheInject)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("obje", "a|b|\r\nReflexive|8|4096|\r\n");
    map.AddTag("a|bc", "x");
    map.AddTag("obje", "x|a");
    map.AddTag("obje", "y|\r\nz");  // its only '|' is the name's first: read back whole
    map.AddTag("weap", "source")
        .MetaSize(0x40)
        .Bytes(8, "ABCD")
        .IdRef(0x20, 0)
        .IdRef(0x28, 1)
        .IdRef(0x30, 3)
        .IdRef(0x38, 5);
    // Read back, the 100 characters after the '|' would overrun a class field.
    map.AddTag("obje", "long|" + std::string(100, 'c'));
    map.AddTag("bitm", "end").MetaSize(4);
    const MapLayout layout = Open(map);
    const std::string before = MapBytes();
    ASSERT_TRUE(Save("s.meta", 4));
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "3 references of this tag were not written to the data file: the names or classes of the "
                            "tags they name cannot be read back from it. An inject leaves them as saved.",
                            "Metadata saved successfully."}));
    EXPECT_EQ(ReadFileBytes("s.meta.data"), kHeadTop + "source\r\nweap\r\n\r\n\r\n" +
                                                std::to_string(layout.LoadedMetaSize(4)) +
                                                "\r\nLoneID|48|y|\r\r\nz|obje|\r\n");
    messages.clear();
    ASSERT_TRUE(Inject("s.meta", 4));
    EXPECT_EQ(messages, std::vector<std::string>{"Inject completed successfully."});
    EXPECT_EQ(MapBytes(), before);

    // A line break in the name or a class code would move line 7.
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"name", [] { g_Tags[4].m_strName = "s\n\n\n\n4"; }},
        {"first class", [] { g_Tags[4].m_strClass1 = "we\np"; }},
        {"third class", [] { g_Tags[4].m_strClass3 = "\n\n\n\n"; }},
    };
    for (const Case& c : cases) {
        const TagEntry kept = g_Tags[4];
        c.arrange();
        messages.clear();
        EXPECT_FALSE(Save("h.meta", 4)) << c.what;
        EXPECT_EQ(messages, std::vector<std::string>{"The name or a class code of this tag holds a line break, which "
                                                     "the data file cannot hold. Metadata was not saved."})
            << c.what;
        EXPECT_FALSE(std::filesystem::exists("h.meta")) << c.what;
        EXPECT_FALSE(std::filesystem::exists("h.meta.data")) << c.what;
        g_Tags[4] = kept;
    }
}

// A save never cuts a file it reads or writes: the open map under the data
// file's name, or a data file that is the metadata file under another name.
TEST_F(MetadataFilesTest, SaveNeverWritesOverTheMapOrItsOwnMetadataFile)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "t").MetaSize(16).IdRef(4, 0);
    map.AddTag("bitm", "end").MetaSize(4);
    Open(map, "z.data");
    const std::string before = ReadFileBytes("z.data");
    EXPECT_FALSE(Save("z", 0));
    EXPECT_EQ(messages, std::vector<std::string>{"The file 'z.data' is open in the editor as 'z.data'. Metadata was not saved."});
    EXPECT_EQ(ReadFileBytes("z.data"), before);
    EXPECT_FALSE(std::filesystem::exists("z"));

    WriteFileBytes("m", "kept");
    std::filesystem::create_symlink("m", "m.data");
    messages.clear();
    EXPECT_FALSE(Save("m", 0));
    EXPECT_EQ(messages, std::vector<std::string>{
                            "The data file 'm.data' is the metadata file 'm' under another name. Metadata was not saved."});
    EXPECT_EQ(ReadFileBytes("m"), "kept");
}

TEST_F(MetadataFilesTest, CorrectedInjectRepointsByNameAndRebasesIntoAnotherMap)
{
    MapBuilder one = MapBuilder::Xbox();
    one.AddTag("bitm", "zero").MetaSize(8);
    one.AddTag("weap", "gun").MetaSize(64).IdRef(0, 0).TagRef(8, "bitm", 0).NullRef(24, "snd!").IdRef(40, 2)
        .Pointer(44, 16).Pointer(52, 64);
    one.AddTag("snd!", "bang").MetaSize(8);
    one.AddTag("bitm", "end").MetaSize(4);
    OpenBuiltMap(one, "one.map");
    LoadOpenMap(nullptr);
    ASSERT_TRUE(Save("gun.meta", 1));
    CloseMapFile();

    MapBuilder two = MapBuilder::Pc();
    two.AddTag("snd!", "bang").MetaSize(8).Identifier(0xE1780078);  // stored with 0x78 bytes
    two.AddTag("bitm", "zero").MetaSize(8);
    two.AddTag("bitm", "Nulled").MetaSize(8);
    two.AddTag("weap", "target").MetaSize(80).Meta(std::string(80, '\x55'));
    two.AddTag("bitm", "end").MetaSize(4);
    const MapLayout l2 = OpenBuiltMap(two, "test.map");
    LoadOpenMap(nullptr);
    const std::string before = MapBytes();
    ASSERT_TRUE(Inject("gun.meta", 3));
    EXPECT_EQ(messages.back(), "Inject completed successfully.");

    const std::string after = MapBytes();
    const uint32_t o = l2.metaOffsets[3];
    std::string expected = ReadFileBytes("gun.meta");
    // The reference at 0 gives no record and keeps the first map's identifier.
    expected.replace(20, 4, Le32(l2.identifiers[1]));
    expected.replace(40, 4, std::string("\x78\x00\x78\xE1", 4));
    expected.replace(44, 4, Le32(l2.magic + o + 16));
    expected.replace(52, 4, Le32(l2.magic + o + 64));
    EXPECT_EQ(after.substr(o, 64), expected);
    // The target's bytes past the injected block keep theirs, and nothing
    // else in the map changed.
    EXPECT_EQ(after.substr(o + 64), before.substr(o + 64));
    EXPECT_EQ(after.substr(0, o), before.substr(0, o));
}

// A tag may be named "Nulled": a real reference to it is saved as a
// Dependency "Nulled" with its class code and injected as a reference to
// the tag of that name; a null reference, saved with four 0xFF bytes,
// stays FF FF FF FF although the map has such a tag.
TEST_F(MetadataFilesTest, ARealReferenceToATagNamedNulledStaysRealAndANullStaysNull)
{
    MapBuilder one = MapBuilder::Xbox();
    one.AddTag("bitm", "Nulled").MetaSize(8);
    one.AddTag("weap", "gun").MetaSize(48).TagRef(8, "bitm", 0).NullRef(24, "snd!");
    one.AddTag("bitm", "end").MetaSize(4);
    OpenBuiltMap(one, "one.map");
    LoadOpenMap(nullptr);
    ASSERT_TRUE(Save("gun.meta", 1));
    CloseMapFile();
    EXPECT_EQ(ReadFileBytes("gun.meta.data"),
              kHeadTop + "gun\r\nweap\r\n\r\n\r\n48\r\nDependency|20|Nulled|bitm|\r\nDependency|36|Nulled|" +
                  std::string(4, '\xFF') + "|\r\n");

    MapBuilder two = MapBuilder::Pc();
    two.AddTag("bitm", "other").MetaSize(8);
    two.AddTag("bitm", "Nulled").MetaSize(8).Identifier(0xE0780178);
    two.AddTag("weap", "target").MetaSize(64).Meta(std::string(64, '\x78'));
    two.AddTag("bitm", "end").MetaSize(4);
    const MapLayout l2 = OpenBuiltMap(two, "test.map");
    LoadOpenMap(nullptr);
    const std::string before = MapBytes();
    messages.clear();
    ASSERT_TRUE(Inject("gun.meta", 2));
    EXPECT_EQ(messages, std::vector<std::string>{"Inject completed successfully."});

    std::string injected = ReadFileBytes("gun.meta");
    injected.replace(20, 4, Le32(0xE0780178));
    injected.replace(36, 4, std::string(4, '\xFF'));
    std::string expected = before;
    expected.replace(l2.metaOffsets[2], injected.size(), injected);
    EXPECT_EQ(MapBytes(), expected);
}

// The buffer's size is a size Save Metadata takes whole, with a reference
// in the block's last four bytes; one byte more is refused before any file
// is made.
TEST_F(MetadataFilesTest, SaveTakesExactlyAMillionBytesAndRefusesOneMore)
{
    std::string block(1000000, '\x5A');
    for (size_t at = 3; at < block.size(); at += 4096) block[at] = '\x78';
    block[0] = '\0';
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "big").Meta(block).IdRef(999996, 1);
    map.AddTag("bitm", "end").MetaSize(4);
    const MapLayout layout = Open(map);
    g_Tags[0].m_nMetaSize = 1000000;
    ASSERT_TRUE(Save("big", 0));
    EXPECT_EQ(messages, std::vector<std::string> {"Metadata saved successfully."});
    const std::string saved = ReadFileBytes("big");
    EXPECT_EQ(saved.size(), 1000000u);
    EXPECT_TRUE(saved == MapBytes().substr(layout.metaOffsets[0], 1000000));
    EXPECT_EQ(saved.substr(999996), Le32(layout.identifiers[1]));
    EXPECT_EQ(ReadFileBytes("big.data"), kHeadTop + "big\r\nbitm\r\n\r\n\r\n1000000\r\nLoneID|999996|end|bitm|\r\n");

    std::filesystem::remove("big");
    std::filesystem::remove("big.data");
    messages.clear();
    g_Tags[0].m_nMetaSize = 1000001;
    EXPECT_FALSE(Save("big", 0));
    EXPECT_EQ(messages, std::vector<std::string> {"The metadata size of this tag (1000001 bytes) is not between 0 and "
                                                  "1000000 bytes. Metadata was not saved."});
    EXPECT_FALSE(std::filesystem::exists("big"));
    EXPECT_FALSE(std::filesystem::exists("big.data"));
}

// The second map is held open like the first: a pair named after it, or
// a data file linked to it, is refused and the second map keeps its bytes.
TEST_F(MetadataFilesTest, SaveNeverReplacesTheSecondMap)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "t").MetaSize(16).IdRef(4, 0);
    map.AddTag("bitm", "end").MetaSize(4);
    Open(map);
    MapBuilder second = MapBuilder::Pc();
    second.AddTag("bitm", "s").Meta(std::string("\x78\x00\x5A\x78", 4));
    second.Write("second.map");
    const std::string secondBefore = ReadFileBytes("second.map");
    g_strInputMapFileName = "second.map";
    OpenInputMapFile();
    ASSERT_TRUE(g_InputMapFile.IsOpen());
    std::filesystem::create_hard_link("second.map", "y.data");
    EXPECT_FALSE(Save("second.map", 0));
    EXPECT_FALSE(Save("y", 0));
    EXPECT_EQ(messages, (std::vector<std::string> {
                            "The file 'second.map' is open in the editor as 'second.map'. Metadata was not saved.",
                            "The file 'y.data' is open in the editor as 'second.map'. Metadata was not saved."}));
    g_InputMapFile.Close();
    EXPECT_EQ(ReadFileBytes("second.map"), secondBefore);
    EXPECT_FALSE(std::filesystem::exists("second.map.data"));
    EXPECT_FALSE(std::filesystem::exists("y"));
}

// Tags that share an identifier multiply the references of a block; the
// data file takes at most 6000016 of them. 4998 tags share the identifier
// "AAAA", which stands at 1200 positions; one tag's "BBBB" stands at 2416,
// or 2417 for one reference more. Their class codes hold '|', so no record
// reads back and the data file stays small, but every one counts.
TEST_F(MetadataFilesTest, ReferencesAreWrittenUpToTheRecordLimitAndNotOneMore)
{
    for (const size_t bees : {2419u, 2420u}) {
        SCOPED_TRACE(bees);
        MapBuilder map = MapBuilder::Xbox();
        map.AddTag("bitm", "src").Identifier(0xE0000001).Meta("Z" + std::string(1203, 'A') + std::string(bees, 'B'));
        for (int k = 1; k < 4999; ++k) map.AddTag("a|bc", "shared").Identifier(0x41414141);
        map.AddTag("b|cd", "bees").Identifier(0x42424242);
        Open(map);
        ASSERT_EQ(LoadedTagCount(g_IndexHeader), 5000);
        messages.clear();
        std::filesystem::remove("r");
        std::filesystem::remove("r.data");
        if (bees == 2419u) {
            ASSERT_TRUE(Save("r", 0));
            EXPECT_EQ(messages, (std::vector<std::string> {
                                    "6000016 references of this tag were not written to the data file: the names or "
                                    "classes of the tags they name cannot be read back from it. An inject leaves them "
                                    "as saved.",
                                    "Metadata saved successfully."}));
        } else {
            EXPECT_FALSE(Save("r", 0));
            EXPECT_EQ(messages, std::vector<std::string> {
                                    "This tag's metadata gives more than 6000016 references (tags of the map share "
                                    "identifiers). The data file 'r.data' is incomplete. Metadata was not saved."});
            EXPECT_FALSE(std::filesystem::exists("r"));
            EXPECT_FALSE(std::filesystem::exists("r.data"));
        }
    }
    // The table's last tag is saved and injected; tag 5000 lies past the table.
    messages.clear();
    ASSERT_TRUE(Save("last", 4999));
    EXPECT_EQ(ReadFileBytes("last.data"), kHeadTop + "bees\r\nb|cd\r\n\r\n\r\n0\r\n");
    EXPECT_TRUE(Inject("last", 4999));
    EXPECT_EQ(messages, (std::vector<std::string> {"Metadata saved successfully.", "Inject completed successfully."}));
    messages.clear();
    const std::string before = MapBytes();
    EXPECT_FALSE(Save("past", 5000));
    EXPECT_FALSE(Inject("last", 5000));
    EXPECT_EQ(messages, std::vector<std::string> {});
    EXPECT_FALSE(std::filesystem::exists("past"));
    EXPECT_EQ(MapBytes(), before);
}

TEST_F(MetadataFilesTest, InjectSizeCheckAndTheUncorrectedPath)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a").MetaSize(16).Meta(std::string("\x00\x78\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e", 16));
    map.AddTag("bitm", "b").MetaSize(16);
    map.AddTag("bitm", "c").MetaSize(12).Meta(std::string(12, '\x33'));
    map.AddTag("bitm", "end").MetaSize(4);
    const MapLayout layout = Open(map);
    ASSERT_TRUE(Save("a.meta", 0));
    const std::string saved = ReadFileBytes("a.meta");

    // T = S + ... one byte short: refused, nothing written.
    messages.clear();
    const std::string before = MapBytes();
    g_Tags[2].m_nMetaSize = 15;
    EXPECT_FALSE(Inject("a.meta", 2));
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Meta being overwritten is smaller than meta being injected. Injection will not occur."});
    EXPECT_EQ(MapBytes(), before);

    // S = T passes; the uncorrected path writes the saved bytes exactly,
    // 0x78 and zero bytes included.
    messages.clear();
    g_Tags[2].m_nMetaSize = 16;
    EXPECT_TRUE(Inject("a.meta", 2, false));
    EXPECT_EQ(messages, std::vector<std::string>{"Inject successfuly completed."});
    EXPECT_EQ(MapBytes().substr(layout.metaOffsets[2], 16), saved);

    // A record line that holds no kind: one message per field, none for
    // the line end after the last record.
    WriteFileBytes("a.meta.data", ReadFileBytes("a.meta.data") + "Dependency|4|b|bitm|\r\nStuff|more|\r\n");
    messages.clear();
    EXPECT_TRUE(Inject("a.meta", 1));
    // The kind field begins with the line end of the record before it.
    EXPECT_EQ(messages, (std::vector<std::string>{"Unknown object in data file. Skipping line. Object: \nStuff",
                                                  "Unknown object in data file. Skipping line. Object: more",
                                                  "Inject completed successfully."}));
    std::string expected = saved;
    expected.replace(4, 4, Le32(layout.identifiers[1]));
    EXPECT_EQ(MapBytes().substr(layout.metaOffsets[1], 16), expected);
}

TEST_F(MetadataFilesTest, InjectRefusesAPairItCannotReadCompletely)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a").MetaSize(16);
    map.AddTag("bitm", "end").MetaSize(4);
    Open(map);
    const std::string head = kHeadTop + "a\r\nbitm\r\n\r\n\r\n";
    struct Case {
        const char* what;
        std::string meta;  // "-" for no file
        std::string data;
        std::string message;
    };
    const std::string no = " Injection will not occur.";
    const Case cases[] = {
        {"no metadata file", "-", head + "4\r\n", "The metadata file 'p' does not exist." + no},
        {"no data file", "1234", "-", "The data file 'p.data' does not exist." + no},
        {"no number", "1234", head + "four\r\n", "Line 7 of the data file 'p.data' holds no metadata size." + no},
        {"empty data file", "1234", "", "Line 7 of the data file 'p.data' holds no metadata size." + no},
        {"negative", "1234", head + "-4\r\n", "Line 7 of the data file 'p.data' holds a negative metadata size." + no},
        {"short metadata file", "123", head + "4\r\n",
         "The metadata file 'p' holds 3 bytes, fewer than the 4 bytes its data file gives." + no},
        {"larger than the tag", "1234", head + "17\r\n",
         "Meta being overwritten is smaller than meta being injected. Injection will not occur."},
    };
    const std::string before = MapBytes();
    for (const Case& c : cases) {
        std::filesystem::remove("p");
        std::filesystem::remove("p.data");
        if (c.meta != "-") WriteFileBytes("p", c.meta);
        if (c.data != "-") WriteFileBytes("p.data", c.data);
        messages.clear();
        EXPECT_FALSE(Inject("p", 0)) << c.what;
        EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.what;
        EXPECT_EQ(std::filesystem::exists("p"), c.meta != "-") << c.what;
        EXPECT_EQ(std::filesystem::exists("p.data"), c.data != "-") << c.what;
        EXPECT_FALSE(g_MetaFile.IsOpen() || g_DataFile.IsOpen()) << c.what;
    }
    // A size the working buffer cannot hold, on a tag that claims to be larger.
    WriteFileBytes("p", "1234");
    WriteFileBytes("p.data", head + "1000001\r\n");
    g_Tags[0].m_nMetaSize = 2000000;
    messages.clear();
    EXPECT_FALSE(Inject("p", 0));
    EXPECT_EQ(messages, std::vector<std::string>{"The metadata size on line 7 of the data file 'p.data' (1000001 bytes) "
                                                 "is more than the 1000000 bytes the working buffer holds." + no});
    EXPECT_EQ(MapBytes(), before);
}

// A block may end exactly where the map file ends; one byte further is
// refused and nothing is written.
TEST_F(MetadataFilesTest, InjectReachesTheLastByteOfTheMapAndNotOnePast)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a").MetaSize(16).Bytes(0, "\x78\x5A\x78\x5A");
    map.AddTag("bitm", "tail").MetaSize(8);
    const MapLayout layout = Open(map);
    const std::string before = MapBytes();
    const uint32_t at = layout.metaOffsets[1];
    const size_t toEnd = before.size() - at;
    g_Tags[1].m_nMetaSize = 1000000;
    const std::string head = kHeadTop + "tail\r\nbitm\r\n\r\n\r\n";

    std::string raw(toEnd + 1, '\x78');
    for (size_t i = 1; i < raw.size(); i += 3) raw[i] = static_cast<char>(0xA0 + i % 16);
    WriteFileBytes("p", raw);
    WriteFileBytes("p.data", head + std::to_string(toEnd + 1) + "\r\n");
    EXPECT_FALSE(Inject("p", 1, false));
    EXPECT_EQ(messages, std::vector<std::string> {"This tag's metadata lies beyond the end of the map file 'test.map'. "
                                                  "Injection will not occur."});
    EXPECT_EQ(MapBytes(), before);

    messages.clear();
    WriteFileBytes("p.data", head + std::to_string(toEnd) + "\r\n");
    EXPECT_TRUE(Inject("p", 1, false));
    EXPECT_EQ(messages, std::vector<std::string> {"Inject successfuly completed."});
    EXPECT_EQ(MapBytes(), before.substr(0, at) + raw.substr(0, toEnd));
}

TEST_F(MetadataFilesTest, InjectTellsOfSkippedRecordsAndOfAFailedWrite)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a").MetaSize(16);
    map.AddTag("bitm", "end").MetaSize(4);
    const MapLayout layout = Open(map);
    const std::string head = kHeadTop + "a\r\nbitm\r\n\r\n\r\n8\r\n";
    std::string records = "Reflexive|4|0|\r\nReflexive|5|0|\r\nReflexive|-1|0|\r\nLoneID|zz|a|bitm|\r\n";
    for (int i = 0; i < 25; ++i) records += "Junk" + std::to_string(i) + "|\r\n";
    WriteFileBytes("p", std::string(8, '\x78'));
    WriteFileBytes("p.data", head + records);
    EXPECT_TRUE(Inject("p", 0));
    ASSERT_EQ(messages.size(), 20u + 4u);
    EXPECT_EQ(messages[0], "Unknown object in data file. Skipping line. Object: \nJunk0");
    EXPECT_EQ(messages[19], "Unknown object in data file. Skipping line. Object: \nJunk19");
    EXPECT_EQ(messages[20], "Inject completed successfully.");
    EXPECT_EQ(messages[21], "5 further unknown objects in the data file were skipped.");
    EXPECT_EQ(messages[22], "2 records of the data file were skipped: their four bytes lie outside the injected metadata.");
    EXPECT_EQ(messages[23], "1 record of the data file could not be read and was skipped.");
    EXPECT_EQ(MapBytes().substr(layout.metaOffsets[0], 8),
              std::string(4, '\x78') + Le32(layout.magic + layout.metaOffsets[0]));

    // A map opened read-only cannot be written: no success is claimed.
    g_MapFile.Open("test.map", CFileStream::kMapFileReadOnly);
    messages.clear();
    EXPECT_FALSE(Inject("p", 0, false));
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Writing to the map file 'test.map' failed. The change may be only partly written."});
}

// Neither file of the pair may be a file the editor holds open, under
// any name: the log, or the map through another spelling or a hard link.
// Refused naming the file; the held file keeps its bytes and nothing of
// the pair is written.
TEST_F(MetadataFilesTest, SaveNeverReplacesAFileTheEditorHolds)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "t").MetaSize(16).IdRef(4, 0);
    map.AddTag("bitm", "end").MetaSize(4);
    Open(map);
    const std::string mapBefore = MapBytes();
    LogEntry("\tbefore\n");
    const std::string logBefore = ReadFileBytes("Log.txt");
    std::filesystem::create_hard_link("test.map", "x.data");
    struct Case {
        CString name;
        std::string message;
    } cases[] = {
        {"Log.txt", "The file 'Log.txt' is open in the editor as 'Log.txt'. Metadata was not saved."},
        {"./test.map", "The file './test.map' is open in the editor as 'test.map'. Metadata was not saved."},
        {"x", "The file 'x.data' is open in the editor as 'test.map'. Metadata was not saved."},
    };
    for (const Case& c : cases) {
        messages.clear();
        EXPECT_FALSE(Save(c.name, 0)) << c.name.Bytes();
        EXPECT_EQ(messages, std::vector<std::string> {c.message});
    }
    EXPECT_EQ(MapBytes(), mapBefore);
    EXPECT_EQ(ReadFileBytes("Log.txt").substr(0, logBefore.size()), logBefore);
    EXPECT_FALSE(std::filesystem::exists("x"));
    EXPECT_FALSE(std::filesystem::exists("Log.txt.data"));
    for (const auto& entry : std::filesystem::directory_iterator("."))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// A file system that fills up under the save (a file-size limit in a
// child process): at the metadata file, or at the data file after the
// metadata file was complete. Either way the older pair is left whole and
// no temporary stays beside it.
TEST_F(MetadataFilesTest, AFailedSaveLeavesTheOlderPairWhole)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "t").MetaSize(48).IdRef(4, 0);
    map.AddTag("bitm", "end").MetaSize(4);
    Open(map);
    const std::string olderMeta("old\x78\0meta", 10), olderData = kHeadTop + "old\r\nbitm\r\n\r\n\r\n10\r\n";
    for (rlim_t limit : {20, 80}) {
        SCOPED_TRACE(limit);
        WriteFileBytes("old", olderMeta);
        WriteFileBytes("old.data", olderData);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size {limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &size);
            int code = 0;
            {
                std::vector<std::string> told;
                const bool saved = SaveMetadataPair("old", 0, [&](const CString& text) { told.push_back(text.Bytes()); });
                const std::string expected = limit == 20 ? "The metadata file 'old'" : "The data file 'old.data'";
                if (saved || told.size() != 1 ||
                    told[0] != expected + " could not be written. Metadata was not saved; the files of that name are "
                                          "as they were.")
                    code = 1;
            }
            g_DataFile.Close();
            g_MetaFile.Close();
            ::_exit(code);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(ReadFileBytes("old"), olderMeta);
        EXPECT_EQ(ReadFileBytes("old.data"), olderData);
        for (const auto& entry : std::filesystem::directory_iterator("."))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
}

TEST_F(MetadataFilesTest, InjectNamesAFolderAndOnlyReadsThePair)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "a").MetaSize(16);
    map.AddTag("bitm", "end").MetaSize(4);
    const MapLayout layout = Open(map);
    const std::string head = kHeadTop + "a\r\nbitm\r\n\r\n\r\n8\r\n";
    std::filesystem::create_directory("f");
    WriteFileBytes("f.data", head);
    WriteFileBytes("g", std::string(8, '\x78'));
    std::filesystem::create_directory("g.data");
    const std::string no = " Injection will not occur.";
    EXPECT_FALSE(Inject("f", 0));
    EXPECT_FALSE(Inject("g", 0));
    EXPECT_EQ(messages, (std::vector<std::string> {"The metadata file 'f' is a folder, not a file." + no,
                                                   "The data file 'g.data' is a folder, not a file." + no}));

    // A read-only pair is injected: the data file is opened for reading.
    std::filesystem::remove("g.data");
    WriteFileBytes("g.data", head);
    std::filesystem::permissions("g", std::filesystem::perms::owner_read);
    std::filesystem::permissions("g.data", std::filesystem::perms::owner_read);
    messages.clear();
    EXPECT_TRUE(Inject("g", 0));
    EXPECT_EQ(messages, std::vector<std::string> {"Inject completed successfully."});
    EXPECT_EQ(MapBytes().substr(layout.metaOffsets[0], 8), std::string(8, '\x78'));
    EXPECT_EQ(ReadFileBytes("g.data"), head);
}

} // namespace
