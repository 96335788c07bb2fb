// The scanner in the Tag Controls dialog: Scan Metadata, the selection of
// a result and Update Item, checked on the tree, the records and the bytes
// of the map file.
#include "map/FloatText.h"
#include "tagcontrols/ScanEngine.h"
#include "tests/support/TagInfoFixture.h"

#include <bit>
#include <cstdio>

using namespace travik::test;

namespace {

CString Hex8(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

const char* const kNulledOut = "\xFF\xFF\xFF\xFF -- Nulled Out";

class TagScanner : public TagControls {
protected:
    // Tag 2's block: a Dependency of tag 1 under "bitm" at 0x1C, a LoneID of
    // tag 1 at 0x30, a null reference at 0x4C, reflexives at 0x54 (count
    // 0x0105) and 0x64 (count 3), both to 0x1A0, the float 25 at 0x70 and a
    // Dependency of tag 3, whose name differs from tag 1's only in case, at 0x8C.
    void LoadScanMap()
    {
        MapBuilder map = MapBuilder::Xbox();
        map.AddTag("bitm", "pic").Identifier(0xE1EC0078).MetaSize(16);
        map.AddTag("snd!", "bang").Identifier(0xE1750000).MetaSize(16);
        map.AddTag("weap", "gun")
            .MetaSize(0x200)
            .TagRef(0x10, "bitm", 1)
            .IdRef(0x30, 1)
            .NullRef(0x40, "snd!")
            .Reflexive(0x50, 0x0105, 0x1A0)
            .Reflexive(0x60, 3, 0x1A0)
            .U32(0x70, std::bit_cast<uint32_t>(25.0f))
            .TagRef(0x80, "snd!", 3);
        map.AddTag("snd!", "BANG").Identifier(0xE1770000).MetaSize(16);
        // The reference to tag 3 is stored with a 0x78 byte, which reads as zero.
        map.Patch(map.Layout().metaOffsets[2] + 0x8C, "\x78");
        // 0x78 bytes inside the runs Update Item writes back (between a
        // reference's class and its identifier, above a reflexive's
        // two-byte count), which the scanner reads as zero.
        map.Patch(map.Layout().metaOffsets[2] + 0x14, std::string(8, '\x78'));
        map.Patch(map.Layout().metaOffsets[2] + 0x52, "\x78\x78");
        Load(map);
        m_block = Layout().metaOffsets[2];
        m_before = FileBytes();
    }

    headless::DialogSteps& Scan(headless::DialogSteps& steps)
    {
        return steps.Click(IDC_SCAN_METADATA);
    }
    headless::DialogSteps& ScanAndSelect(headless::DialogSteps& steps, const CString& item)
    {
        return steps.Click(IDC_SCAN_METADATA).SelectTreeItem(IDC_SCANNER_TREE, ItemStarting(item));
    }
    CString ReflexiveText(uint32_t at, uint32_t count) const
    {
        return "0x" + Hex8(at) + " -- 0x" + Hex8(Layout().AddressOf(m_block + 0x1A0)) +
               " = 0x1a0 -- Chunk Count: " + FloatToText(static_cast<float>(count));
    }

    uint32_t m_block = 0;
    std::string m_before;
};

TEST_F(TagScanner, EachScanAppendsSixRootsAndStoresOnlyTheFieldsOfEachKind)
{
    LoadScanMap();
    for (ScanRecord& record : g_ScanRecords) {
        record.m_chType = 'z';
        record.m_fValue = 7.5f;
        record.m_dwTarget = 0xDEAD;
    }
    std::vector<CString> first, second;
    ScanRecord firstRecords[9];
    unsigned cleared[2] = {99, 99};
    auto& steps = Expect()
                      .Click(IDC_CLEAR_SCANNER)
                      .Inspect([&](CDialog& d) { cleared[0] = ScanTree(d).GetCount(); })
                      .Click(IDC_FIND_FLOATS)
                      .Type(IDC_FLOAT_PRECISION, "5")
                      .Click(IDC_SCAN_METADATA);
    steps.Inspect([&](CDialog& d) {
        first = TreeTexts(ScanTree(d));
        std::copy(g_ScanRecords, g_ScanRecords + 9, firstRecords);
    });
    for (int box : {IDC_FIND_DEPENDENCIES, IDC_FIND_LONEIDS, IDC_FIND_REFLEXIVES, IDC_FIND_FLOATS}) steps.Click(box);
    steps.Click(IDC_SCAN_METADATA)
        .Inspect([&](CDialog& d) { second = TreeTexts(ScanTree(d)); })
        .Click(IDC_CLEAR_SCANNER)
        .Inspect([&](CDialog& d) { cleared[1] = ScanTree(d).GetCount(); })
        .Escape();
    Run(2);
    ASSERT_EQ(user.Problems(), "");

    const std::vector<CString> expected = {
        "Dependencies",
        "  0x0000001c -- bitm -- bang",
        "  0x0000008c -- snd! -- BANG",
        "  0x0000004c -- snd! -- Nulled Out",
        "LoneIDs",
        "  0x00000030 -- snd! -- bang",
        "Reflexives",
        "  " + ReflexiveText(0x54, 0x0105),
        "  " + ReflexiveText(0x64, 3),
        "Pointers",
        "Floats",
        "  0x00000070 -- " + FloatToText(25.0f),
        "Shorts",
    };
    EXPECT_EQ(first, expected);
    std::vector<CString> twice = expected;
    for (const char* root : {"Dependencies", "LoneIDs", "Reflexives", "Pointers", "Floats", "Shorts"})
        twice.push_back(root);
    EXPECT_EQ(second, twice);
    EXPECT_EQ(cleared[0], 0u);
    EXPECT_EQ(cleared[1], 0u);

    // Records 0 to 6 in the order the items were made (phase by phase); each
    // keeps the fields of other kinds, and record 7 is untouched.
    const ScanRecord* r = firstRecords;
    EXPECT_EQ(std::string({r[0].m_chType, r[1].m_chType, r[2].m_chType, r[3].m_chType, r[4].m_chType,
                           r[5].m_chType, r[6].m_chType, r[7].m_chType}),
              "dlddfrrz");
    EXPECT_EQ(r[0].m_nTag, 1);
    EXPECT_EQ(r[0].m_strClass, "bitm");
    EXPECT_EQ(r[0].m_nOffset, 0x1C);
    EXPECT_EQ(r[0].m_fValue, 7.5f);
    EXPECT_EQ(r[2].m_nTag, 3);
    EXPECT_EQ(r[3].m_nTag, 4 + 1); // the tag count + 1
    EXPECT_EQ(r[3].m_strClass, "snd!");
    EXPECT_EQ(r[5].m_dwTarget, 0x1A0u);
    EXPECT_EQ(r[5].m_nCount, 0x0105);
    EXPECT_EQ(r[4].m_fValue, 25.0f);
    EXPECT_EQ(r[4].m_dwTarget, 0xDEADu);
    // The second scan listed nothing, so the records are still the first scan's.
    EXPECT_EQ(g_ScanRecords[0].m_hItem, r[0].m_hItem);
}

TEST_F(TagScanner, TheEnginesMessagesReachTheUser)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("snd!", "bang").MetaSize(16);
    TagSpec& many = map.AddTag("weap", "many").MetaSize(8 * 1001 + 16);
    for (int i = 0; i < 1001; ++i) many.IdRef(16 + 8 * i, 0);
    map.AddTag("bitm", "last").MetaSize(16); // the last tag's loaded size is 0
    Load(map);
    unsigned items = 0;
    Expect()
        .Click(IDC_SCAN_METADATA)
        .Inspect([&](CDialog& d) { items = ScanTree(d).GetCount(); })
        .Click(IDC_FIND_FLOATS)
        .Type(IDC_FLOAT_PRECISION, "0")
        .Click(IDC_FIND_LONEIDS)
        .Click(IDC_SCAN_METADATA)
        .Escape();
    ExpectMessage("The scan found more than 1000 items. Only the first 1000 are listed.");
    ExpectMessage("The float precision must be a number greater than 0. Floats were not scanned.");
    Run(1);
    EXPECT_EQ(items, 6u + 1000u);

    // A size the working buffer cannot hold is refused; a map that ends
    // inside the block is scanned as far as it goes.
    g_Tags[0].m_nMetaSize = 1000001;
    Expect().Click(IDC_SCAN_METADATA).Escape();
    ExpectMessage(
        "The metadata size of this tag (1000001 bytes) is not between 0 and 1000000 bytes. The tag was not scanned.");
    Run(0);
    const int32_t toEnd = static_cast<int32_t>(Layout().fileSize - Layout().metaOffsets[2]);
    g_Tags[2].m_nMetaSize = toEnd + 10;
    Expect().Click(IDC_SCAN_METADATA).Escape();
    ExpectMessage(("The map file ends after " + std::to_string(toEnd) + " of this tag's " + std::to_string(toEnd + 10) +
                   " metadata bytes. Only those bytes were scanned.")
                      .c_str());
    Run(2);
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(TagScanner, SelectingAResultShowsItsRecord)
{
    LoadScanMap();
    // A stale tag of an earlier, larger map in the slot a null reference names.
    g_Tags[5].m_strClass1 = "weap";
    g_Tags[5].m_strName = "old";
    struct Shown {
        CString tag, cls, value;
    };
    std::vector<Shown> shown;
    int listed[2] = {};
    auto read = [&](CDialog& d) {
        Shown s;
        d.GetDlgItem(IDC_SCAN_TAG)->GetWindowText(s.tag);
        d.GetDlgItem(IDC_SCAN_CLASS)->GetWindowText(s.cls);
        d.GetDlgItem(IDC_SCAN_VALUE)->GetWindowText(s.value);
        shown.push_back(s);
    };
    auto& steps = Expect().Click(IDC_FIND_FLOATS).Type(IDC_FLOAT_PRECISION, "5").Click(IDC_SCAN_METADATA);
    for (const char* item : {"0x0000001c", "0x0000008c", "0x0000004c", "0x00000030", "0x00000064", "0x00000070"})
        steps.SelectTreeItem(IDC_SCANNER_TREE, ItemStarting(item)).Inspect(read);
    // A root selected leaves the row alone.
    steps.SelectTreeItem(IDC_SCANNER_TREE, {"Dependencies"}).Inspect(read);
    steps.Inspect([&](CDialog& d) { listed[0] = Combo(d, IDC_SCAN_TAG).GetCount(); }).Escape();
    Run(2);
    Expect().Click(IDC_SCAN_METADATA).SelectTreeItem(IDC_SCANNER_TREE, ItemStarting("0x0000001c"))
        .Inspect([&](CDialog& d) { listed[1] = Combo(d, IDC_SCAN_TAG).GetCount(); })
        .Escape();
    Run(2);
    ASSERT_EQ(user.Problems(), "");

    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[0].tag, "snd! -- bang");
    EXPECT_EQ(shown[0].cls, "bitm");
    EXPECT_EQ(shown[0].value, "0");
    EXPECT_EQ(shown[1].tag, "snd! -- BANG"); // not its namesake listed first
    EXPECT_EQ(shown[2].tag, kNulledOut);
    EXPECT_EQ(shown[2].cls, "snd!");
    EXPECT_EQ(shown[3].tag, "snd! -- bang");
    EXPECT_EQ(shown[3].cls, "snd!"); // a LoneID keeps the class shown before
    EXPECT_EQ(shown[4].tag, "");
    EXPECT_EQ(shown[4].cls, "1a0");
    EXPECT_EQ(shown[4].value, "3");
    EXPECT_EQ(shown[5].tag, "");
    EXPECT_EQ(shown[5].cls, "");
    EXPECT_EQ(shown[5].value, "25");
    EXPECT_EQ(shown[6].value, "25");
    EXPECT_EQ(listed[0], 4 + 1);
    EXPECT_EQ(listed[1], 4 + 1);
}

TEST_F(TagScanner, UpdateItemPatchesOnlyTheBytesOfTheReference)
{
    LoadScanMap();
    std::string expected = m_before;
    unsigned treeAfter = 99;

    // Re-pointed to tag 0 under "scex": tag 0's identifier as stored
    // (78 00 EC E1) and the code with its 'x' as the letter.
    ScanAndSelect(Expect(), "0x0000001c")
        .SelectComboEntry(IDC_SCAN_TAG, "bitm -- pic")
        .SelectComboEntry(IDC_SCAN_CLASS, "scex")
        .Click(IDC_UPDATE_ITEM)
        .Inspect([&](CDialog& d) { treeAfter = ScanTree(d).GetCount(); })
        .Click(IDC_UPDATE_ITEM)
        .Escape();
    Run(2);
    Put(expected, m_block + 0x10, "xecs");
    Put(expected, m_block + 0x1C, std::string("\x78\x00\xEC\xE1", 4));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
    EXPECT_EQ(treeAfter, 0u);

    // Count 5 over 0x0105; the untouched target keeps its bytes.
    ScanAndSelect(Expect(), "0x00000054").Type(IDC_SCAN_VALUE, "5").Click(IDC_UPDATE_ITEM).Escape();
    Run(2);
    Put(expected, m_block + 0x50, std::string("\x05\x00", 2));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));

    // A target of five hex digits is taken; the untouched count keeps its bytes.
    ScanAndSelect(Expect(), "0x00000064").Type(IDC_SCAN_CLASS, "12345").Click(IDC_UPDATE_ITEM).Escape();
    Run(2);
    Put(expected, m_block + 0x64, Le32(Layout().AddressOf(m_block) + 0x12345));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));

    // A new class alone leaves the identifier's bytes as found, 0x78 included.
    ScanAndSelect(Expect(), "0x0000008c").SelectComboEntry(IDC_SCAN_CLASS, "weap").Click(IDC_UPDATE_ITEM).Escape();
    Run(2);
    Put(expected, m_block + 0x80, "paew");
    EXPECT_TRUE(SameBytes(FileBytes(), expected));

    // Untouched rows write nothing new: the namesake's reference stays its
    // own, and a float item only empties the tree.
    for (const char* item : {"0x0000008c", "0x00000070"}) {
        treeAfter = 99;
        ScanAndSelect(Expect().Click(IDC_FIND_FLOATS).Type(IDC_FLOAT_PRECISION, "5"), item)
            .Click(IDC_UPDATE_ITEM)
            .Inspect([&](CDialog& d) { treeAfter = ScanTree(d).GetCount(); })
            .Escape();
        Run(2);
        EXPECT_TRUE(SameBytes(FileBytes(), expected)) << item;
        EXPECT_EQ(treeAfter, 0u) << item;
    }
    EXPECT_EQ(user.Problems(), "");
}

TEST_F(TagScanner, UpdateItemRefusesWhatItCannotWriteExactly)
{
    LoadScanMap();
    std::string expected = m_before;
    struct Case {
        const char* item;
        int id;
        const char* typed;
        const char* message; // the editor's box; platform refusals below
        const char* refusal;
    };
    const Case cases[] = {
        {"0x00000054", IDC_SCAN_VALUE, "70000", "The chunk count must be a number from 0 to 65535. Nothing was written.", nullptr},
        {"0x00000054", IDC_SCAN_CLASS, "123456789", nullptr, "Please enter no more than 8 characters."},
        {"0x00000054", IDC_SCAN_CLASS, "12g", "The target must be an offset inside the tag's metadata, in hexadecimal digits. Nothing was written.", nullptr},
        {"0x0000001c", IDC_SCAN_CLASS, "weapo", nullptr, "Please enter no more than 4 characters."},
        {"0x0000001c", IDC_SCAN_CLASS, "ab", "A class code has four characters. Nothing was written.", nullptr},
    };
    for (const Case& c : cases) {
        unsigned treeAfter = 0;
        ScanAndSelect(Expect(), c.item)
            .Type(c.id, c.typed)
            .Click(IDC_UPDATE_ITEM)
            .Inspect([&](CDialog& d) { treeAfter = ScanTree(d).GetCount(); })
            .Escape();
        if (c.message) ExpectMessage(c.message);
        else user.AnswerMessageBox();
        Run(2);
        EXPECT_TRUE(SameBytes(FileBytes(), m_before)) << c.typed;
        EXPECT_GT(treeAfter, 0u) << c.typed;
        if (c.refusal) {
            EXPECT_EQ(user.MessageBoxTexts().back(), c.refusal);
        }
    }

    // A refused control stops a scan before it adds roots; with no item
    // selected a target of eight digits blocks nothing.
    unsigned roots = 99;
    ScanAndSelect(Expect(), "0x00000054")
        .Type(IDC_SCAN_CLASS, "12345678")
        .Click(IDC_UPDATE_ITEM)
        .Type(IDC_TYPE1, "weapo")
        .Click(IDC_SCAN_METADATA)
        .Inspect([&](CDialog& d) { roots = ScanTree(d).GetCount(); })
        .Type(IDC_TYPE1, "weap")
        .Click(IDC_SAVE_CHANGES)
        .Escape();
    user.AnswerMessageBox();
    Run(2);
    EXPECT_EQ(roots, 0u);
    EXPECT_EQ(user.MessageBoxTexts().back(), "Please enter no more than 4 characters.");
    Put(expected, m_block + 0x54, Le32(Layout().AddressOf(m_block) + 0x12345678));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));

    // A block the map file cuts short, and a map that refuses writes.
    ScanAndSelect(Expect(), "0x0000001c")
        .Inspect([&](CDialog&) { g_Tags[2].m_nMetaSize = static_cast<int32_t>(Layout().fileSize - m_block) + 0x100; })
        .SelectComboEntry(IDC_SCAN_TAG, "bitm -- pic")
        .Click(IDC_UPDATE_ITEM)
        .Escape();
    ExpectMessage("The map file ends after " +
                  CString(std::to_string(Layout().fileSize - m_block).c_str()) +
                  " of this tag's " + CString(std::to_string(Layout().fileSize - m_block + 0x100).c_str()) +
                  " metadata bytes. Nothing was written.");
    Run(2);
    g_Tags[2].m_nMetaSize = 0x200;
    g_MapFile.Close();
    OpenMapFileReadOnly();
    ScanAndSelect(Expect(), "0x0000001c").SelectComboEntry(IDC_SCAN_TAG, "bitm -- pic").Click(IDC_UPDATE_ITEM).Escape();
    ExpectMessage("Writing to the map file 'test.map' failed. The change may be only partly written.");
    Run(2);
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
    EXPECT_EQ(user.Problems(), "");
}

// A reference in a block's last four bytes is re-pointed in place: its
// class and identifier change and the next block's first bytes, 0x78
// among them, keep theirs.
TEST_F(TagScanner, AReferenceInTheLastFourBytesIsRepointed)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "pic").Identifier(0xE1EC0078).MetaSize(16);
    map.AddTag("snd!", "bang").Identifier(0xE1750000).MetaSize(16);
    map.AddTag("weap", "gun").MetaSize(0x40).TagRef(0x30, "snd!", 1);
    map.AddTag("obje", "next").Meta("\x78\x5A\x78\xA5\x78\x78\x78\x78");
    Load(map);
    const uint32_t block = Layout().metaOffsets[2];
    ASSERT_EQ(Layout().metaOffsets[3], block + 0x40);
    std::string expected = FileBytes();
    ScanAndSelect(Expect(), "0x0000003c")
        .SelectComboEntry(IDC_SCAN_TAG, "bitm -- pic")
        .Type(IDC_SCAN_CLASS, "bitm")
        .Click(IDC_UPDATE_ITEM)
        .Escape();
    Run(2);
    EXPECT_EQ(user.Problems(), "");
    Put(expected, block + 0x30, "mtib");
    Put(expected, block + 0x3C, Le32(0xE1EC0078));
    EXPECT_TRUE(SameBytes(FileBytes(), expected));
}

TEST_F(TagScanner, APatchReachingOutsideTheBlockIsRefused)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("weap", "gun").MetaSize(0x20).Pointer(2, 0x10);
    map.AddTag("bitm", "last").MetaSize(16);
    Load(map);
    const std::string before = FileBytes();
    ScanAndSelect(Expect(), "0x00000002").Type(IDC_SCAN_VALUE, "1").Click(IDC_UPDATE_ITEM).Escape();
    ExpectMessage("This item's patch would reach outside the tag's metadata (offset 0x2 of 32 bytes). "
                  "Nothing was written.");
    Run(0);
    EXPECT_TRUE(SameBytes(FileBytes(), before));
    EXPECT_EQ(user.Problems(), "");
}

} // namespace
