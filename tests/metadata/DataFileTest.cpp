#include "metadata/DataFile.h"

#include "map/HexCodec.h"
#include "map/MapState.h"
#include "map/TagClassTable.h"
#include "tests/support/MapBuilder.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace travik::test;

const std::string FF4 = "\xFF\xFF\xFF\xFF";

std::string StoredClass(const std::string& code) { return std::string(code.rbegin(), code.rend()); }
void Put(std::string& block, size_t at, const std::string& bytes) { block.replace(at, bytes.size(), bytes); }

class DataFileTest : public WorkDirTest {
protected:
    void SetUp() override
    {
        WorkDirTest::SetUp();
        FillTagClassTable();
        OpenTestLog();
    }

    // What the reader hands over, one line per step.
    std::vector<std::string> ReadSteps(const std::string& text)
    {
        WriteFileBytes("r.data", text);
        CFileStream in;
        EXPECT_TRUE(in.Open("r.data", CFileStream::kDataFile));
        DataFileRecordReader reader(in);
        std::vector<std::string> steps;
        for (int guard = 0; guard < 1000; ++guard) {
            switch (reader.Next()) {
            case DataFileRecordReader::Step::End: return steps;
            case DataFileRecordReader::Step::Unknown: steps.push_back("?" + reader.UnknownText().Bytes()); break;
            case DataFileRecordReader::Step::Unreadable: steps.push_back("!"); break;
            case DataFileRecordReader::Step::Record: {
                const DataFileRecord& r = reader.Record();
                if (r.kind == DataRecordKind::Reflexive)
                    steps.push_back("R " + std::to_string(r.offset) + " " + std::to_string(r.target));
                else
                    steps.push_back((r.kind == DataRecordKind::LoneID ? "L " : "D ") + std::to_string(r.offset) +
                                    " [" + r.name.Bytes() + "] [" + r.classCode.Bytes() + "]");
                break;
            }
            }
        }
        ADD_FAILURE() << "the reader did not come to an end";
        return steps;
    }
};

TEST_F(DataFileTest, TheWorkedExampleIsWrittenByteForByte)
{
    // Tag 0 "a\b" (bitm, no second or third class) holds 1234 bytes in which
    // the identifier of "c\d" stands at 20 after bitm, a null reference at
    // 60 and a pointer to its own byte 200 at 100.
    TagEntry tags[2];
    tags[0].m_strName = "a\\b";
    tags[0].m_strClass1 = "bitm";
    tags[0].m_strClass2 = FF4;
    tags[0].m_strClass3 = FF4;
    tags[0].m_strIdentifier = "e0010000";
    tags[0].m_nMetaSize = 1234;
    tags[1].m_strName = "c\\d";
    tags[1].m_strClass1 = "bitm";
    tags[1].m_strIdentifier = "e0020001";
    const uint32_t magic = 0x80000000, metaOffset = 0x4000;
    std::string block(1234, '\xEE');
    Put(block, 8, StoredClass("bitm"));
    Put(block, 20, LittleEndianBytes(0xe0020001, 4));
    Put(block, 48, StoredClass("snd!"));
    Put(block, 60, FF4);
    Put(block, 100, LittleEndianBytes(magic + metaOffset + 200, 4));

    ASSERT_TRUE(StartDataFile("a.meta.data"));
    EXPECT_TRUE(WriteDataFileHeader(g_DataFile, tags[0]));
    const RecordWriteResult written = WriteDataFileRecords(g_DataFile, block, {tags, 2, magic, metaOffset});
    CloseDataFile();
    EXPECT_TRUE(written.ok);
    EXPECT_EQ(written.records, 3);
    EXPECT_EQ(ReadFileBytes("a.meta.data"), "Metadata information file created by Project Travik\r\n"
                                            "Format: Name, Type1, Type2, Type3, Size\r\n"
                                            "a\\b\r\n"
                                            "bitm\r\n" + FF4 + "\r\n" + FF4 + "\r\n"
                                            "1234\r\n"
                                            "Dependency|20|c\\d|bitm|\r\n"
                                            "Dependency|60|Nulled|" + FF4 + "|\r\n"
                                            "Reflexive|100|200|\r\n");
}

TEST_F(DataFileTest, OpenAndCloseLogTheirOutcomeAndKeepContentForReaders)
{
    OpenDataFile("new.data");
    EXPECT_TRUE(g_DataFile.IsOpen());
    EXPECT_TRUE(std::filesystem::exists("new.data"));
    CloseDataFile();
    CloseDataFile();  // nothing open: still the success line
    std::filesystem::create_directory("folder.data");
    OpenDataFile("folder.data");
    EXPECT_FALSE(g_DataFile.IsOpen());
    WriteFileBytes("kept.data", "LoneID|4|x|y|\r\n");
    OpenDataFile("kept.data");
    CString field;
    EXPECT_TRUE(g_DataFile.ReadField(field, 100, '|'));
    EXPECT_EQ(field, "LoneID");
    g_DataFile.Close();
    EXPECT_EQ(ReadFileBytes("kept.data"), "LoneID|4|x|y|\r\n");

    const std::string log = CloseAndReadLog();
    const char* lines[] = {"\tDataFile 'new.data' opened successfully.\r\n", "\tDataFile closed successfully.\r\n",
                           "\tDataFile 'folder.data' opened unsuccessfully.\r\n",
                           "\tDataFile 'kept.data' opened successfully.\r\n"};
    size_t at = 0;
    for (const char* line : lines) {
        at = log.find(line, at);
        ASSERT_NE(at, std::string::npos) << line;
    }
    size_t closes = 0;
    for (size_t p = log.find("\tDataFile closed successfully.\r\n"); p != std::string::npos;
         p = log.find("\tDataFile closed successfully.\r\n", p + 1))
        ++closes;
    EXPECT_EQ(closes, 2u);
}

TEST_F(DataFileTest, AWriterStartsTheFileAnew)
{
    WriteFileBytes("old.data", std::string(5000, 'Z') + "LoneID|8|old|tag|\r\n");
    ASSERT_TRUE(StartDataFile("old.data"));
    g_DataFile.Write(FormatDataFileRecord({DataRecordKind::Reflexive, 4, "", "", 8}));
    CloseDataFile();
    EXPECT_EQ(ReadFileBytes("old.data"), "Reflexive|4|8|\r\n");
    std::filesystem::create_directory("dir.data");
    EXPECT_FALSE(StartDataFile("dir.data"));
}

TEST_F(DataFileTest, RecordLinesAreFieldsEachFollowedByABar)
{
    EXPECT_EQ(FormatDataFileRecord({DataRecordKind::Dependency, 20, "c\\d", "bitm", 0}), "Dependency|20|c\\d|bitm|\n");
    EXPECT_EQ(FormatDataFileRecord({DataRecordKind::LoneID, 7, "with blanks ", "fog ", 0}),
              "LoneID|7|with blanks |fog |\n");
    EXPECT_EQ(FormatDataFileRecord({DataRecordKind::LoneID, 7, "", "", 0}), "LoneID|7|||\n");
    EXPECT_EQ(FormatDataFileRecord({DataRecordKind::Reflexive, 3, "", "", 0xFFFFFFF0u}), "Reflexive|3|4294967280|\n");
}

TEST_F(DataFileTest, HeaderGivesTheSizeOnLineSevenOrSaysWhyNot)
{
    struct Case {
        std::string text;
        DataFileHeaderStatus status;
        int64_t size;
        std::string firstRecordKind;  // what the record reading starts with
    };
    const std::string top = "T\r\nF\r\n";
    const Case cases[] = {
        {top + "name with blanks\r\nbitm\r\n\r\nsky \r\n1234\r\nLoneID|", DataFileHeaderStatus::Complete, 1234, "LoneID"},
        {top + "n\r\n\r\n\r\n\r\n0\r\n", DataFileHeaderStatus::Complete, 0, ""},
        {top + "n\r\na\r\nb\r\nc\r\n  77 \r\nX|", DataFileHeaderStatus::Complete, 77, "X"},
        {top + "n\r\na\r\nb\r\nc\r\n\r\n", DataFileHeaderStatus::NoSize, 0, ""},
        {top + "n\r\na\r\nb\r\nc\r\n12ab\r\n", DataFileHeaderStatus::NoSize, 0, ""},
        {top + "n\r\na\r\nb\r\nc\r\n-5\r\n", DataFileHeaderStatus::NegativeSize, -5, ""},
        {top + "n\r\na\r\nb\r\nc\r\n99999999999999999999999\r\n", DataFileHeaderStatus::NoSize, 0, ""},
        {top + "n\r\na\r\nb\r\nc\r\n4294967296\r\n", DataFileHeaderStatus::Complete, 4294967296LL, ""},
        {top + "n\r\na\r\n", DataFileHeaderStatus::NoSize, 0, ""},
        {"", DataFileHeaderStatus::NoSize, 0, ""},
        {top + "n\r\na\r\nb\r\nc\r\n8", DataFileHeaderStatus::Complete, 8, ""},
        // Line 7 holds at most 64 characters, the number at most 19 digits.
        {top + "n\r\na\r\nb\r\nc\r\n" + std::string(61, ' ') + "123\nX|", DataFileHeaderStatus::Complete, 123, "X"},
        {top + "n\r\na\r\nb\r\nc\r\n" + std::string(62, ' ') + "123\nX|", DataFileHeaderStatus::NoSize, 0, ""},
        {top + "n\r\na\r\nb\r\nc\r\n0000000000000000042\r\n", DataFileHeaderStatus::Complete, 42, ""},
        {top + "n\r\na\r\nb\r\nc\r\n00000000000000000042\r\n", DataFileHeaderStatus::NoSize, 0, ""},
        {top + "n\r\na\r\nb\r\nc\r\n-0000000000000000042\r\n", DataFileHeaderStatus::NegativeSize, -42, ""},
        {top + "n\r\na\r\nb\r\nc\r\n9999999999999999999\r\n", DataFileHeaderStatus::Complete, INT64_MAX, ""},
    };
    for (const Case& c : cases) {
        WriteFileBytes("h.data", c.text);
        CFileStream in;
        ASSERT_TRUE(in.Open("h.data", CFileStream::kDataFile));
        const DataFileHeader header = ReadDataFileHeader(in);
        EXPECT_EQ(header.status, c.status) << c.text;
        if (c.status != DataFileHeaderStatus::NoSize) {
            EXPECT_EQ(header.size, c.size) << c.text;
            CString kind;
            in.ReadField(kind, 100, '|');
            EXPECT_EQ(kind, c.firstRecordKind.c_str()) << c.text;
        }
    }
}

TEST_F(DataFileTest, ReaderTakesRecordsApartAndRecognisesKindsByContainment)
{
    // Records as written, with the last line end quietly dropped.
    EXPECT_EQ(ReadSteps("Dependency|20|c\\d|bitm|\r\nDependency|60|Nulled|" + FF4 + "|\r\nLoneID|5|e f|fog |\r\n"
                        "Reflexive|100|200|\r\n"),
              (std::vector<std::string>{"D 20 [c\\d] [bitm]", "D 60 [Nulled] [" + FF4 + "]", "L 5 [e f] [fog ]",
                                        "R 100 200"}));
    // An unknown kind field is reported, and each following field is read
    // as a kind in turn; a kind word inside a longer field counts.
    EXPECT_EQ(ReadSteps("Pointer|20|n|\r\nxxLoneIDyy|4|n|c|\r\n"),
              (std::vector<std::string>{"?Pointer", "?20", "?n", "L 4 [n] [c]"}));
    // LoneID is tested before Dependency.
    EXPECT_EQ(ReadSteps("DependencyLoneID|4|n|c|\r\n"), (std::vector<std::string>{"L 4 [n] [c]"}));
    // No line end after the last record, or only blanks after it.
    EXPECT_EQ(ReadSteps("Reflexive|1|2|"), (std::vector<std::string>{"R 1 2"}));
    EXPECT_EQ(ReadSteps("Reflexive|1|2|\r\n\r\n  "), (std::vector<std::string>{"R 1 2"}));
    EXPECT_EQ(ReadSteps(""), (std::vector<std::string>{}));
    // Targets are unsigned 32-bit; a signed form of the same bits is taken.
    EXPECT_EQ(ReadSteps("Reflexive|4|4294967295|\r\nReflexive|4|-16|\r\n"),
              (std::vector<std::string>{"R 4 4294967295", "R 4 4294967280"}));
}

TEST_F(DataFileTest, ReaderNeverGuessesAPositionAndAlwaysComesToTheEnd)
{
    const std::string good = "\r\nLoneID|8|n|c|\r\n";
    const std::string longName(5001, 'n');
    const std::string joined5000 = std::string(4901, 'a') + "|" + std::string(98, 'b');
    struct Case {
        std::string text;
        std::vector<std::string> steps;
    };
    const Case cases[] = {
        // Position or target not a whole number, or out of range.
        {"LoneID|2a|n|c|" + good, {"!", "L 8 [n] [c]"}},
        {"LoneID||n|c|" + good, {"!", "L 8 [n] [c]"}},
        {"Reflexive| 4|5|" + good, {"!", "L 8 [n] [c]"}},
        {"Reflexive|4|4294967296|" + good, {"!", "L 8 [n] [c]"}},
        {"LoneID|2147483648|n|c|" + good, {"!", "L 8 [n] [c]"}},
        {"LoneID|-2147483648|n|c|" + good, {"L -2147483648 [n] [c]", "L 8 [n] [c]"}},
        {"LoneID|2147483647|n|c|" + good, {"L 2147483647 [n] [c]", "L 8 [n] [c]"}},
        {"LoneID|-2147483649|n|c|" + good, {"!", "L 8 [n] [c]"}},
        {"LoneID|0000000000000000012|n|c|" + good, {"L 12 [n] [c]", "L 8 [n] [c]"}},
        {"LoneID|00000000000000000012|n|c|" + good, {"!", "L 8 [n] [c]"}},
        {"Reflexive|4|-2147483648|" + good, {"R 4 2147483648", "L 8 [n] [c]"}},
        {"Reflexive|4|-2147483649|" + good, {"!", "L 8 [n] [c]"}},
        {"Reflexive|4|0000000004294967295|" + good, {"R 4 4294967295", "L 8 [n] [c]"}},
        {"Reflexive|4|00000000004294967295|" + good, {"!", "L 8 [n] [c]"}},
        // A name holding '|' is joined back up to 5000 characters in all.
        {"LoneID|4|" + joined5000 + "|c|" + good, {"L 4 [" + joined5000 + "] [c]", "L 8 [n] [c]"}},
        {"LoneID|4|" + joined5000 + "b|c|" + good, {"!", "L 8 [n] [c]"}},
        // A Reflexive record with a field too many.
        {"Reflexive|4|5|6|" + good, {"!", "L 8 [n] [c]"}},
        // Fields over their limits: a kind, a position, a name.
        {std::string(200, 'k') + "|4|5|" + good, {"!", "L 8 [n] [c]"}},
        {"LoneID|" + std::string(150, '1') + "|n|c|" + good, {"!", "L 8 [n] [c]"}},
        {"LoneID|4|" + longName + "|c|" + good, {"!", "L 8 [n] [c]"}},
        {"LoneID|4|" + longName.substr(1) + "|c|" + good, {"L 4 [" + longName.substr(1) + "] [c]", "L 8 [n] [c]"}},
        // Records cut by the end of the file.
        {"LoneID|8|n|c|\r\nDependency|20|c\\d", {"L 8 [n] [c]", "!"}},
        {"LoneID|8|n|c|\r\nRefl", {"L 8 [n] [c]", "!"}},
        {"LoneID|8", {"!"}},
        // Names holding '|' are joined back; names may hold line breaks.
        {"Dependency|20|a|b|bitm|" + good, {"D 20 [a|b] [bitm]", "L 8 [n] [c]"}},
        {"LoneID|20||||c|" + good, {"L 20 [||] [c]", "L 8 [n] [c]"}},
        {"LoneID|20|a\r\nb|c|" + good, {"L 20 [a\nb] [c]", "L 8 [n] [c]"}},
        {"LoneID|20|a\rb|c|" + good, {"L 20 [a\rb] [c]", "L 8 [n] [c]"}},
        // After an unreadable record the reading goes on at the next line;
        // a line without bars runs into the kind field that follows it.
        {"LoneID|x|n|c|\r\nno bars here\r\nLoneID|8|n|c|\r\n", {"!", "L 8 [n] [c]"}},
        {"LoneID|x|n|c|\r\nno bars|here|\r\nLoneID|8|n|c|\r\n", {"!", "?\nno bars", "?here", "L 8 [n] [c]"}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadSteps(c.text), c.steps) << c.text;
}

TEST_F(DataFileTest, ApplierPatchesExactBytesAndSkipsWhatLiesOutside)
{
    TagEntry tags[4];
    const char* names[] = {"first", "Nulled", "twin", "twin"};
    const char* ids[] = {"e0000000", "e0010001", "e0020002", "e0030003"};
    for (int k = 0; k < 4; ++k) {
        tags[k].m_strName = names[k];
        tags[k].m_strIdentifier = ids[k];
    }
    RecordApplier applier({tags, 4, nullptr, 0x80000000u, 0x2000u});
    std::string raw(16, '\x78');
    auto apply = [&](DataFileRecord r) { return applier.Apply(r, raw); };

    // Target 16 at metadata offset 0x2000 of a map of magic 0x80000000.
    EXPECT_EQ(apply({DataRecordKind::Reflexive, 0, "", "", 16}), ApplyOutcome::Applied);
    EXPECT_EQ(raw.substr(0, 4), std::string("\x10\x20\x00\x80", 4));
    // Tag 0 is found like any other; of two tags of one name the lower wins.
    EXPECT_EQ(apply({DataRecordKind::LoneID, 4, "first", "zzzz", 0}), ApplyOutcome::Applied);
    EXPECT_EQ(raw.substr(4, 4), std::string("\x00\x00\x00\xe0", 4));
    EXPECT_EQ(apply({DataRecordKind::Dependency, 4, "twin", "bitm", 0}), ApplyOutcome::Applied);
    EXPECT_EQ(raw.substr(4, 4), std::string("\x02\x00\x02\xe0", 4));
    // A null reference is FF FF FF FF even though a tag is named "Nulled";
    // a saved reference to that tag (a class code in field 4) finds it.
    EXPECT_EQ(apply({DataRecordKind::Dependency, 8, "Nulled", FF4, 0}), ApplyOutcome::Applied);
    EXPECT_EQ(raw.substr(8, 4), FF4);
    EXPECT_EQ(apply({DataRecordKind::LoneID, 8, "Nulled", FF4, 0}), ApplyOutcome::Applied);
    EXPECT_EQ(raw.substr(8, 4), std::string("\x01\x00\x01\xe0", 4));
    EXPECT_EQ(apply({DataRecordKind::Dependency, 8, "Nulled", FF4, 0}), ApplyOutcome::Applied);
    EXPECT_EQ(raw.substr(8, 4), FF4);
    EXPECT_EQ(apply({DataRecordKind::Dependency, 8, "Nulled", "bitm", 0}), ApplyOutcome::Applied);
    EXPECT_EQ(raw.substr(8, 4), std::string("\x01\x00\x01\xe0", 4));
    // No tag of that name: nothing changes (names compare exactly).
    EXPECT_EQ(apply({DataRecordKind::LoneID, 12, "First", "", 0}), ApplyOutcome::NoSuchTag);
    EXPECT_EQ(raw.substr(12, 4), std::string(4, '\x78'));
    // Four bytes must lie inside the block: 12 is the last place that fits.
    for (int32_t p : {-1, 13, 16, INT32_MAX, INT32_MIN})
        EXPECT_EQ(apply({DataRecordKind::Reflexive, p, "", "", 0}), ApplyOutcome::OutsideBlock) << p;
    EXPECT_EQ(raw.size(), 16u);
    EXPECT_EQ(raw.substr(12, 4), std::string(4, '\x78'));
    // Without a map "Nulled" named in field 4 by a class, and no such tag: null.
    RecordApplier noNulled({tags, 1, nullptr, 0, 0});
    EXPECT_EQ(noNulled.Apply({DataRecordKind::Dependency, 12, "Nulled", "bitm", 0}, raw), ApplyOutcome::Applied);
    EXPECT_EQ(raw.substr(12, 4), FF4);
}

TEST_F(DataFileTest, StoredIdentifiersComeFromTheIndexEntryWith78Bytes)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "plain").MetaSize(16);
    map.AddTag("bitm", "seventy-eight").MetaSize(16).Identifier(0xE0780078);
    OpenBuiltMap(map);
    LoadOpenMap(nullptr);
    ASSERT_EQ(g_Tags[1].m_strIdentifier, "e0780078");  // loaded exactly
    RecordApplier applier({g_Tags, 2, &g_MapFile, 0, 0});
    EXPECT_EQ(applier.StoredIdentifier(1), LittleEndianBytes(0xE0780078, 4));
    // The identifier is the one loaded, whatever the index holds by now.
    g_Tags[0].m_strIdentifier = "e0990000";
    EXPECT_EQ(applier.StoredIdentifier(0), LittleEndianBytes(0xE0990000, 4));
}

TEST_F(DataFileTest, WriterTakesPointerTargetsFromTheStoredBytes)
{
    const uint32_t magic = 0x80000000, metaOffset = 0x1000;
    std::string raw(256, '\xEE');
    // Pointers to bytes 0x20 and 0x78 of the block; the second's stored
    // value 78 10 00 80 holds a 0x78 byte.
    Put(raw, 8, LittleEndianBytes(magic + metaOffset + 0x20, 4));
    Put(raw, 20, LittleEndianBytes(magic + metaOffset + 0x78, 4));
    const std::vector<DataFileRecord> records = CollectDataFileRecords(raw, {nullptr, 0, magic, metaOffset});
    std::vector<std::pair<int32_t, uint32_t>> found;
    for (const DataFileRecord& r : records) {
        ASSERT_EQ(r.kind, DataRecordKind::Reflexive);
        found.emplace_back(r.offset, r.target);
    }
    // Read as zero, the 0x78 byte also matches the block's first address;
    // both finds take the exact target 0x78.
    EXPECT_EQ(found, (std::vector<std::pair<int32_t, uint32_t>>{{20, 0x78}, {8, 0x20}, {20, 0x78}}));
}

TEST_F(DataFileTest, ApplyingAFileCountsEveryKindOfProblem)
{
    WriteFileBytes("a.data", "LoneID|0|first|c|\r\nWhat|4|\r\nReflexive|13|0|\r\nLoneID|x|n|c|\r\n"
                             "LoneID|4|nobody|c|\r\nReflexive|4|1|\r\n");
    TagEntry tag;
    tag.m_strName = "first";
    tag.m_strIdentifier = "11223344";
    CFileStream in;
    ASSERT_TRUE(in.Open("a.data", CFileStream::kDataFile));
    std::string raw(16, '\0');
    std::vector<std::string> unknown;
    const ApplySummary s =
        ApplyDataFileRecords(in, raw, {&tag, 1, nullptr, 0x100, 0x10}, [&](const CString& t) { unknown.push_back(t.Bytes()); });
    EXPECT_EQ(s.applied, 2);
    EXPECT_EQ(s.noSuchTag, 1);
    EXPECT_EQ(s.outside, 1);
    EXPECT_EQ(s.unreadable, 1);
    EXPECT_EQ(s.unknown, 2);
    EXPECT_EQ(unknown, (std::vector<std::string>{"\nWhat", "4"}));
    EXPECT_EQ(raw, std::string("\x44\x33\x22\x11\x11\x01\x00\x00", 8) + std::string(8, '\0'));
    EXPECT_EQ(ApplyProblemMessages(s),
              (std::vector<CString>{"1 record of the data file was skipped: its four bytes lie outside the injected "
                                    "metadata.",
                                    "1 record of the data file could not be read and was skipped."}));
    EXPECT_EQ(UnknownObjectMessage("\nWhat"), "Unknown object in data file. Skipping line. Object: \nWhat");
}

} // namespace
