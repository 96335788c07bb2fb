// The hex and float converter and the reflexive calculator, as a user
// drives them: the texts each button leaves in the edit boxes.
#include "res/ResourceIds.h"
#include "tests/support/AppShellFixture.h"
#include "tests/support/ToolTestFixture.h"
#include "tools/HexFloatDialog.h"
#include "tools/ReflexiveConverterDialog.h"

#include <gtest/gtest.h>

using namespace travik::test;

namespace {

using ConverterTest = ToolDialogTest;

// Types the decimal and hex texts, presses a button and reads both boxes.
struct HexFloatCase {
    const char* what;
    const char* decimal; // null: left as it is
    const char* hex;
    int button;
    const char* decimalAfter;
    const char* hexAfter;
};

TEST_F(ConverterTest, HexFloatConversionsBothWays)
{
    const HexFloatCase cases[] = {
        {"zero gives one digit", "0", nullptr, IDC_HEXFLOAT_TO_HEX, "0", "0"},
        {"one half", "0.5", nullptr, IDC_HEXFLOAT_TO_HEX, "0.5", "3f000000"},
        {"minus one", "-1", nullptr, IDC_HEXFLOAT_TO_HEX, "-1", "bf800000"},
        {"upper-case digits", nullptr, "3F800000", IDC_HEXFLOAT_TO_FLOAT, "1", "3F800000"},
        {"lower-case digits", nullptr, "3f800000", IDC_HEXFLOAT_TO_FLOAT, "1", "3f800000"},
        {"fewer than eight digits change nothing", "2.5", "3f8", IDC_HEXFLOAT_TO_FLOAT, "2.5", "3f8"},
        {"six significant digits shown", nullptr, "3f800001", IDC_HEXFLOAT_TO_FLOAT, "1", "3f800001"},
        {"a long decimal is shown rounded (float to hex)", "1.23456789", nullptr, IDC_HEXFLOAT_TO_HEX, "1.23457",
         "3f9e0652"},
        {"a long decimal is shown rounded (hex to float)", "1.23456789", "", IDC_HEXFLOAT_TO_FLOAT, "1.23457", ""},
        {"a character that is not a digit counts as 0", nullptr, "4g200000", IDC_HEXFLOAT_TO_FLOAT, "2.5", "4g200000"},
    };
    for (const HexFloatCase& c : cases) {
        SCOPED_TRACE(c.what);
        headless::HeadlessPresenter person;
        headless::ScopedPresenter active(person);
        CString decimal, hex;
        auto& steps = person.ExpectDialog("Hex - Float Converter");
        if (c.decimal) steps.Type(IDC_HEXFLOAT_DECIMAL, c.decimal);
        if (c.hex) steps.Type(IDC_HEXFLOAT_HEX, c.hex);
        steps.Click(c.button).Read(IDC_HEXFLOAT_DECIMAL, decimal).Read(IDC_HEXFLOAT_HEX, hex).Enter();
        CHexFloatDialog dlg;
        EXPECT_EQ(dlg.DoModal(), IDCANCEL); // Enter presses Close, the default button
        EXPECT_EQ(person.Problems(), "");
        EXPECT_EQ(decimal.Bytes(), c.decimalAfter);
        EXPECT_EQ(hex.Bytes(), c.hexAfter);
    }
}

TEST_F(ConverterTest, HexFloatRoundTripKeepsOnlyWhatSixDigitsHold)
{
    CString decimal, hex;
    user.ExpectDialog("Hex - Float Converter")
        .Type(IDC_HEXFLOAT_HEX, "3f800001")
        .Click(IDC_HEXFLOAT_TO_FLOAT)
        .Click(IDC_HEXFLOAT_TO_HEX)
        .Read(IDC_HEXFLOAT_DECIMAL, decimal)
        .Read(IDC_HEXFLOAT_HEX, hex)
        .Escape();
    CHexFloatDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(decimal, "1");
    EXPECT_EQ(hex, "3f800000");
    EXPECT_EQ(user.Shown().at(0).Text(IDC_HEXFLOAT_DECIMAL), "0");
    EXPECT_EQ(user.Shown().at(0).Text(IDC_HEXFLOAT_HEX), "");
}

TEST_F(ConverterTest, HexFloatRefusedDecimalPutsBothOldValuesBack)
{
    CString decimal, hex;
    user.ExpectDialog("Hex - Float Converter")
        .Type(IDC_HEXFLOAT_DECIMAL, "0.5")
        .Click(IDC_HEXFLOAT_TO_HEX)
        .Type(IDC_HEXFLOAT_DECIMAL, "abc")
        .Type(IDC_HEXFLOAT_HEX, "3f800000")
        .Click(IDC_HEXFLOAT_TO_FLOAT)
        .Read(IDC_HEXFLOAT_DECIMAL, decimal)
        .Read(IDC_HEXFLOAT_HEX, hex)
        .Escape();
    user.AnswerMessageBox();
    CHexFloatDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(user.MessageBoxTexts(), std::vector<CString> {"Please enter a number."});
    EXPECT_EQ(decimal, "0.5");
    EXPECT_EQ(hex, "3f000000");
    EXPECT_EQ(dlg.m_fDecimal, 0.5f);
}

struct ReflexiveCase {
    const char* what;
    const char* magic;
    const char* offset;
    const char* reflexive;
    int button;
    const char* offsetAfter;
    const char* reflexiveAfter;
};

TEST_F(ConverterTest, ReflexiveCalculatorConversions)
{
    const char* odd = "You must have an even number of characters to perform an endian swap.";
    const ReflexiveCase cases[] = {
        {"offset to reflexive", "40000000", "1234", "", IDC_REFLEXIVE_TO_REFLEXIVE, "1234", "34120040"},
        {"reflexive with blanks to offset", "40000000", "", "34 12 00 40", IDC_REFLEXIVE_TO_OFFSET, "1234",
         "34120040"},
        {"three bytes are not padded", "0", "123456", "", IDC_REFLEXIVE_TO_REFLEXIVE, "123456", "563412"},
        {"odd digits give the message", "0", "12345", "", IDC_REFLEXIVE_TO_REFLEXIVE, "12345", odd},
        {"below the magic: the 32-bit difference", "40000000", "", "00000030", IDC_REFLEXIVE_TO_OFFSET, "f0000000",
         "00000030"},
        {"empty reflexive: 0 minus the magic", "10", "", "", IDC_REFLEXIVE_TO_OFFSET, "fffffff0", ""},
        {"odd reflexive: the message read as a number", "0", "", "123", IDC_REFLEXIVE_TO_OFFSET, "a0000a00", "123"},
        {"blanks in the offset count as 0", "0", "1 23", "", IDC_REFLEXIVE_TO_REFLEXIVE, "1 23", "2310"},
        {"lower-case magic typed becomes capitals", "abcd", "0", "", IDC_REFLEXIVE_TO_REFLEXIVE, "0", "cdab"},
    };
    for (const ReflexiveCase& c : cases) {
        SCOPED_TRACE(c.what);
        headless::HeadlessPresenter person;
        headless::ScopedPresenter active(person);
        CString offset, reflexive;
        person.ExpectDialog("Reflexive Calculator")
            .Type(IDC_REFLEXIVE_MAGIC, c.magic)
            .Type(IDC_REFLEXIVE_OFFSET, c.offset)
            .Type(IDC_REFLEXIVE_REFLEXIVE, c.reflexive)
            .Click(c.button)
            .Read(IDC_REFLEXIVE_OFFSET, offset)
            .Read(IDC_REFLEXIVE_REFLEXIVE, reflexive)
            .Escape();
        CReflexiveConverterDialog dlg;
        dlg.DoModal();
        EXPECT_EQ(person.Problems(), "");
        EXPECT_EQ(offset.Bytes(), c.offsetAfter);
        EXPECT_EQ(reflexive.Bytes(), c.reflexiveAfter);
    }
}

TEST_F(ConverterTest, ReflexiveMagicStartsAsTheMapsAndEditsStayInTheDialog)
{
    // No map: the magic is "None", which reads as 0xE.
    CString reflexive, magic, typedMagic;
    user.ExpectDialog("Reflexive Calculator")
        .Read(IDC_REFLEXIVE_MAGIC, magic)
        .Type(IDC_REFLEXIVE_OFFSET, "10")
        .Click(IDC_REFLEXIVE_TO_REFLEXIVE)
        .Read(IDC_REFLEXIVE_REFLEXIVE, reflexive)
        .Type(IDC_REFLEXIVE_MAGIC, "ff")
        .Read(IDC_REFLEXIVE_MAGIC, typedMagic)
        .Click(IDC_REFLEXIVE_TO_REFLEXIVE)
        .Escape();
    CReflexiveConverterDialog dlg;
    dlg.DoModal();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(magic, "None");
    EXPECT_EQ(reflexive, "1e");
    EXPECT_EQ(typedMagic, "FF");
    EXPECT_EQ(g_strMagic, "None");
}

// The Tools menu reaches both converters and the map's magic.
class ConvertersFromMenuTest : public ShellTest {};

TEST_F(ConvertersFromMenuTest, ToolsMenuOpensBothConverters)
{
    MapBuilder map = MapBuilder::Xbox();
    map.AddTag("bitm", "levels\\test\\bitmap").MetaSize(64);
    map.Magic(0x40000000);
    map.Write(PathOf("test.map"));
    CString magic;
    user.ExpectDialog("Project Travik")
        .Menu(ID_FILE_OPEN_MAPFILE)
        .Menu(ID_TOOLS_HEX_FLOAT_CONVERTER)
        .Menu(ID_TOOLS_REFLEXIVE_CALCULATOR)
        .Escape();
    user.AnswerFile("test.map");
    user.ExpectDialog("Hex - Float Converter").Enter();
    user.ExpectDialog("Reflexive Calculator").Read(IDC_REFLEXIVE_MAGIC, magic).Enter();
    RunProgram();
    EXPECT_EQ(user.Problems(), "");
    EXPECT_EQ(magic, g_strMagic);
    EXPECT_EQ(magic, "40000000");
}

} // namespace
