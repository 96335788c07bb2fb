// Save Changes moving a longer name to the map's EoF position: only into
// bytes the map does not use or onto the end of the file, in an order that
// leaves a sound map after every write, and the flag with its check box.
#include "tests/support/TagInfoFixture.h"
#include "tests/support/FileSizeLimit.h"

#include <filesystem>
#include <fstream>

using namespace travik::test;

namespace {

const char* const kInUse = "The new name was not written: at the map's EoF position it would overwrite bytes the map "
                           "uses (its header, its index or a tag's name or metadata). The rest of the tag's entry was "
                           "saved.";
const char* const kPastEnd = "The new name was not written: the map's EoF position lies past the end of the map file "
                             "'test.map'. The rest of the tag's entry was saved.";
const char* const kOutOfRange = "The new name was not written: at the map's EoF position it would pass the highest "
                                "offset a map can address. The rest of the tag's entry was saved.";
const char* const kWriteFailed = "Writing to the map file 'test.map' failed. The change may be only partly written. "
                                 "Written before the failure: nothing. Perhaps written in part: Tag Name at the EoF "
                                 "position.";

// Tag 2's name "weapons\rifle" grown by one character: 14 and a zero byte.
const char* const kLonger = "weapons\\rifle2";
constexpr uint32_t kMoved = 15;

bool Clean(uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        if (((value >> (8 * i)) & 0xFF) == 0x78) return false;
    return true;
}

class NameMove : public TagControls {
protected:
    // Three tags whose index lies at 0x900: the 256 bytes after the header
    // are free and hold 0x78 bytes. The file is padded so that its end is
    // a position without a 0x78 byte.
    static MapBuilder GapMap(uint32_t eof)
    {
        MapBuilder map = Xbox3();
        map.IndexOffset(0x900).Patch(0x800, std::string(0x100, '\x78'));
        EofAtFileEnd(map);
        if (eof) map.EofPosition(eof);
        return map;
    }

    // Tag 2 with the longer name, the flag set by a click, then Save Changes;
    // `check` gets the box's state after the save.
    void Move(const char* message, int* check = nullptr, const CString& type1 = "weap")
    {
        g_bUpdateNameLocation = false;
        Expect()
            .Type(IDC_TAG_NAME, kLonger)
            .Type(IDC_TYPE1, type1)
            .Click(IDC_UPDATE_NAME_LOCATION)
            .Click(IDC_SAVE_CHANGES)
            .Inspect([check](CDialog& d) {
                if (check) *check = dynamic_cast<CButton*>(d.GetDlgItem(IDC_UPDATE_NAME_LOCATION))->GetCheck();
            })
            .Escape();
        if (message) ExpectMessage(message);
        Run(2);
    }
};

TEST_F(NameMove, RefusedWhereTheMapUsesTheBytesOrPastTheEndAndNothingIsWritten)
{
    const MapLayout gap = GapMap(0).Layout();
    struct Case {
        const char* what;
        uint32_t eof;
        const char* message;
    } cases[] = {
        {"header's index offset", 0x0C, kInUse},
        {"last byte of the header", 0x7FF, kInUse},
        {"name would touch the index header", 0x900 - kMoved + 1, kInUse},
        {"index header", 0x904, kInUse},
        {"an index entry", gap.entryOffsets[1] + 0x11, kInUse},
        {"tag 1's metadata", gap.metaOffsets[1] + 0x21, kInUse},
        {"last byte of tag 0's metadata", gap.metaOffsets[1] - 1, kInUse},
        {"tag 0's name", gap.nameOffsets[0] + 3, kInUse},
        {"tag 2's own name", gap.nameOffsets[2], kInUse},
        {"one past the end of the file", 0, kPastEnd},
        {"far past the end of the file", 0x7FFF0000, kPastEnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint32_t eof = c.eof;
        if (eof == 0) {
            eof = GapMap(0).Layout().fileSize + 1;
            if (!Clean(eof)) continue;
        }
        ASSERT_TRUE(Clean(eof)) << std::hex << eof;
        Load(GapMap(eof));
        ASSERT_EQ(HexToInt(g_MapHeader.m_strEofPosition), eof);
        const std::string before = FileBytes();
        int check = -1;
        Move(c.message, &check, "weap");
        EXPECT_TRUE(SameBytes(FileBytes(), before));
        // No move was made: the flag stays set and the box shows it.
        EXPECT_TRUE(g_bUpdateNameLocation);
        EXPECT_EQ(check, BST_CHECKED);
        EXPECT_TRUE(g_bTagChanged);
    }
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(NameMove, ARefusedMoveStillSavesTheRestOfTheEntry)
{
    Load(GapMap(0x0C));
    std::string expected = FileBytes();
    Move(kInUse, nullptr, "item");
    Put(expected, Layout().entryOffsets[2], "meti");
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(NameMove, LandsInFreeBytesUpToTheNextUsedOneAndOnTheEndOfTheFile)
{
    // Free bytes: right after the header, and ending exactly where the
    // index header begins.
    for (uint32_t eof : {0x800u, 0x900u - kMoved}) {
        Load(GapMap(eof));
        std::string expected = FileBytes();
        int check = -1;
        Move(nullptr, &check);
        Put(expected, eof, std::string(kLonger) + '\0');
        Put(expected, 0x08, Le32(eof + kMoved));
        Put(expected, Layout().entryOffsets[2] + 0x10, Le32(eof + Layout().magic));
        EXPECT_TRUE(SameBytes(FileBytes(), expected)) << std::hex << eof;
        EXPECT_FALSE(g_bUpdateNameLocation);
        EXPECT_EQ(check, BST_UNCHECKED);
    }

    // Exactly at the end of the file: appended, nothing before it changes.
    Load(GapMap(0));
    const uint32_t end = Layout().eofPosition;
    std::string expected = FileBytes();
    ASSERT_EQ(expected.size(), end);
    Move(nullptr);
    expected += std::string(kLonger) + '\0';
    Put(expected, 0x08, Le32(end + kMoved));
    Put(expected, Layout().entryOffsets[2] + 0x10, Le32(end + Layout().magic));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(NameMove, TheBoxShowsTheFlagAsItStandsAndNoMoveHappensUnchecked)
{
    Load(GapMap(0x800));
    const std::string before = FileBytes();
    // A click sets the flag; the next opening shows it checked.
    Expect().Click(IDC_UPDATE_NAME_LOCATION).Escape();
    Run(2);
    ASSERT_TRUE(g_bUpdateNameLocation);
    int opened = -1, afterSave = -1, afterClick = -1;
    Expect()
        .Inspect([&](CDialog& d) { opened = dynamic_cast<CButton*>(d.GetDlgItem(IDC_UPDATE_NAME_LOCATION))->GetCheck(); })
        .Type(IDC_TAG_NAME, kLonger)
        .Click(IDC_SAVE_CHANGES)
        .Inspect([&](CDialog& d) {
            afterSave = dynamic_cast<CButton*>(d.GetDlgItem(IDC_UPDATE_NAME_LOCATION))->GetCheck();
        })
        // The move cleared the flag and the box: a second, longer name is
        // not moved until the box is checked again.
        .Type(IDC_TAG_NAME, "weapons\\rifle22")
        .Click(IDC_SAVE_CHANGES)
        .Escape();
    ExpectMessage("The new name is longer than the stored one and was not written. Check \"Update Name Location\" to move "
                  "it to the end of the map. The rest of the tag's entry was saved.");
    Run(2);
    EXPECT_EQ(opened, BST_CHECKED);
    EXPECT_EQ(afterSave, BST_UNCHECKED);
    EXPECT_FALSE(g_bUpdateNameLocation);
    std::string expected = before;
    Put(expected, 0x800, std::string(kLonger) + '\0');
    Put(expected, 0x08, Le32(0x800 + kMoved));
    Put(expected, Layout().entryOffsets[2] + 0x10, Le32(0x800 + Layout().magic));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));

    // Clicking the unchecked box checks it and sets the flag together.
    Expect()
        .Click(IDC_UPDATE_NAME_LOCATION)
        .Inspect([&](CDialog& d) {
            afterClick = dynamic_cast<CButton*>(d.GetDlgItem(IDC_UPDATE_NAME_LOCATION))->GetCheck();
        })
        .Escape();
    Run(2);
    EXPECT_EQ(afterClick, BST_CHECKED);
    EXPECT_TRUE(g_bUpdateNameLocation);
    EXPECT_EQ(user.Problems(), "");
}

// The name is written first: when it cannot be (a file-size limit at the
// end of the file), the header's EoF position and the entry keep their
// bytes, so nothing points at the part of the name that landed. The flag
// is cleared as after a move that succeeded.
TEST_F(NameMove, AFailedMoveLeavesTheEntryAndTheHeaderAsTheyWereAndClearsTheFlag)
{
    Load(GapMap(0));
    const std::string before = FileBytes();
    const int status = RunWithFileSizeLimit(before.size() + 3, [&] {
        int check = -1;
        Move(kWriteFailed, &check);
        int faults = 0;
        if (g_bUpdateNameLocation) faults |= 1;
        if (check != BST_UNCHECKED) faults |= 2;
        if (user.Problems() != "") faults |= 4;
        return faults;
    });
    if (status == kNoFileSizeLimit) GTEST_SKIP() << "no file-size limit could be set";
    EXPECT_EQ(status, 0) << "1: flag still set, 2: box still checked, 4: dialogs, 32: the child's checks";
    const std::string after = FileBytes();
    ASSERT_LE(after.size(), before.size() + 3);
    EXPECT_TRUE(SameBytes(after.substr(0, before.size()), before));
    EXPECT_EQ(after.substr(before.size()), std::string(kLonger).substr(0, after.size() - before.size()));
}

std::string ReadRange(const std::filesystem::path& path, uint64_t at, size_t count)
{
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(at));
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

// A map whose data ends 15 bytes below 4 GiB (a sparse file): the longer
// name ends exactly at 0xFFFFFFFF, the new EoF position; one more
// character would pass it and is refused.
TEST_F(NameMove, ANameMayEndExactlyAtTheTopOfTheAddressRange)
{
    constexpr uint32_t kEof = 0xFFFFFFFFu - kMoved;
    MapBuilder map = Xbox3();
    map.EofPosition(kEof);
    const MapLayout layout = map.Write(PathOf("test.map"));
    std::error_code error;
    std::filesystem::resize_file(PathOf("test.map"), kEof, error);
    if (error) GTEST_SKIP() << "no sparse file of 4 GiB here: " << error.message();
    g_strMapFileName = "test.map";
    OpenMapFile();
    LoadOpenMap(nullptr);
    ASSERT_EQ(HexToInt(g_MapHeader.m_strEofPosition), kEof);
    const std::string before = ReadRange(PathOf("test.map"), 0, layout.fileSize);

    g_bUpdateNameLocation = false;
    Expect()
        .Type(IDC_TAG_NAME, "weapons\\rifle23")
        .Click(IDC_UPDATE_NAME_LOCATION)
        .Click(IDC_SAVE_CHANGES)
        .Type(IDC_TAG_NAME, kLonger)
        .Click(IDC_SAVE_CHANGES)
        .Escape();
    ExpectMessage(kOutOfRange);
    Run(2);
    g_MapFile.Close();
    EXPECT_EQ(std::filesystem::file_size(PathOf("test.map")), 0xFFFFFFFFu);
    std::string expected = before;
    Put(expected, 0x08, Le32(0xFFFFFFFFu));
    Put(expected, layout.entryOffsets[2] + 0x10, Le32(kEof + layout.magic));
    EXPECT_TRUE(SameBytes(ReadRange(PathOf("test.map"), 0, layout.fileSize), expected));
    EXPECT_EQ(ReadRange(PathOf("test.map"), kEof, 64), std::string(kLonger) + '\0');
    EXPECT_FALSE(g_bUpdateNameLocation);
    EXPECT_EQ(user.Problems(), "");
    std::filesystem::remove(PathOf("test.map"), error);
}

} // namespace
