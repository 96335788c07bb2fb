// The text converter's operations and the two free functions beside it.
#include "tests/support/TestEnvironment.h"
#include "tools/TextConverter.h"
#include "map/MapState.h"
#include "platform/ScratchFolder.h"

#include <gtest/gtest.h>

using namespace travik::test;

namespace {

CString Converted(const CString& text, void (CTextConverter::*operation)())
{
    CTextConverter converter;
    converter.SetText(text);
    (converter.*operation)();
    return converter.GetText();
}

TEST(TextConverter, SwapEndianReversesPairsOrGivesTheMessage)
{
    const char* odd = "You must have an even number of characters to perform an endian swap.";
    EXPECT_EQ(Converted("12345678", &CTextConverter::SwapEndian), "78563412");
    EXPECT_EQ(Converted("AABBCCDD", &CTextConverter::SwapEndian), "DDCCBBAA");
    EXPECT_EQ(Converted("", &CTextConverter::SwapEndian), "");
    EXPECT_EQ(Converted("12345", &CTextConverter::SwapEndian), odd);

    // A fresh converter has no text given: its flag says odd.
    CTextConverter fresh;
    fresh.SwapEndian();
    EXPECT_EQ(fresh.GetText(), odd);

    // Made odd by another operation after SetText: the message, never half a pair.
    CTextConverter changed;
    changed.SetText("1234");
    changed.Replace(CString("34"), CString("3"));
    changed.SwapEndian();
    EXPECT_EQ(changed.GetText(), odd);
}

TEST(TextConverter, CaseAndLookAlikeEffects)
{
    EXPECT_EQ(Converted("Bait Toes!", &CTextConverter::ToLeet), "8417 7035!");
    EXPECT_EQ(Converted("8417 7035", &CTextConverter::FromLeet), "BAIT TOES");
    EXPECT_EQ(Converted("abcDEF", &CTextConverter::AlternateCase), "aBcDeF");
    EXPECT_EQ(Converted("Mixed\xC9", &CTextConverter::MakeUpper), "MIXED\xC9");
    EXPECT_EQ(Converted("Mixed", &CTextConverter::MakeLower), "mixed");
    EXPECT_EQ(Converted("abc", &CTextConverter::MakeReverse), "cba");
    EXPECT_EQ(Converted("abc", &CTextConverter::Empty), "");

    const CString random = Converted("abcdefghij\xE9", &CTextConverter::RandomCase);
    EXPECT_EQ(random.GetLength(), 11);
    EXPECT_EQ(CString(random).MakeLower(), "abcdefghij\xE9"); // only the case of the letters changes
}

TEST(TextConverter, SymbolsAndBack)
{
    EXPECT_EQ(Converted("az", &CTextConverter::ToSymbols), "\xE3~");
    EXPECT_EQ(Converted("AZ", &CTextConverter::ToSymbols), "@?");
    // f and F share a byte, so F comes back as f; characters that are
    // themselves in the table's second column become letters.
    EXPECT_EQ(Converted(Converted("Fish", &CTextConverter::ToSymbols), &CTextConverter::FromSymbols), "fish");
    EXPECT_EQ(Converted("9$?", &CTextConverter::FromSymbols), "gsZ");
    const CString all = "abcdeghijklmnopqrstuvwxyzABCDEGHIJKLMNOPQRSTUVWXYZ";
    EXPECT_EQ(Converted(Converted(all, &CTextConverter::ToSymbols), &CTextConverter::FromSymbols), all);
}

TEST(TextConverter, CharactersByIndexStayInsideTheText)
{
    CTextConverter converter;
    converter.SetText("abc");
    converter.SetAt(1, 'X');
    converter.SetAt(3, 'Y');
    converter.SetAt(-1, 'Z');
    EXPECT_EQ(converter.GetText(), "aXc");
    EXPECT_EQ(converter.GetAt(0), 'a');
    EXPECT_EQ(converter.GetAt(3), '\0');
    EXPECT_EQ(converter.GetAt(-5), '\0');
    converter.Replace('X', 'b');
    converter.Replace(CString("bc"), CString("--"));
    converter.Replace(CString(""), CString("never"));
    EXPECT_EQ(converter.GetText(), "a--");
}

TEST(TextConverter, NumbersInEachRadix)
{
    struct Case {
        void (CTextConverter::*set)(int32_t);
        int32_t value;
        const char* text;
    } cases[] = {
        {&CTextConverter::SetBinary, -1, "11111111111111111111111111111111"},
        {&CTextConverter::SetBinary, 5, "101"},
        {&CTextConverter::SetDecimal, -1, "-1"},
        {&CTextConverter::SetDecimal, INT32_MIN, "-2147483648"},
        {&CTextConverter::SetHex, -1, "ffffffff"},
        {&CTextConverter::SetHex, 0, "0"},
        {&CTextConverter::SetOctal, -1, "37777777777"},
        {&CTextConverter::SetOctal, 8, "10"},
    };
    for (const Case& c : cases) {
        CTextConverter converter;
        (converter.*c.set)(c.value);
        EXPECT_EQ(converter.GetText(), c.text) << c.value;
    }
    CTextConverter converter;
    converter.SetNumber(35, 36);
    EXPECT_EQ(converter.GetText(), "z");
    converter.SetNumber(35, 37);
    EXPECT_EQ(converter.GetText(), "");
    converter.SetNumber(35, 1);
    EXPECT_EQ(converter.GetText(), "");
}

TEST(TextConverter, TextToNumbers)
{
    CTextConverter converter;
    converter.SetText("  -42abc");
    EXPECT_EQ(converter.ToLong(), -42);
    converter.SetText("99999999999");
    EXPECT_EQ(converter.ToLong(), INT32_MAX);
    converter.SetText("-99999999999");
    EXPECT_EQ(converter.ToLong(), INT32_MIN);
    converter.SetText("none");
    EXPECT_EQ(converter.ToLong(), 0);
    converter.SetText("2.5e2x");
    EXPECT_DOUBLE_EQ(converter.ToDouble(), 250.0);
    converter.SetHexOfText(CString("A\n\xFF", 3));
    EXPECT_EQ(converter.GetText(), "410aff");
}

TEST(TextConverter, FreeFunctions)
{
    EXPECT_EQ(BytesToHexPlain(CString("\0x\x05", 3)), "007805"); // no 'x' rule
    EXPECT_EQ(BytesToHexPlain(""), "");
    EXPECT_DOUBLE_EQ(HexTextToDouble("100"), 256.0);
    EXPECT_DOUBLE_EQ(HexTextToDouble(""), 0.0);
    EXPECT_DOUBLE_EQ(HexTextToDouble(nullptr), 0.0);
    EXPECT_DOUBLE_EQ(HexTextToDouble("FFFFFFFFFF"), 1099511627775.0);
    EXPECT_DOUBLE_EQ(HexTextToDouble("10000000000"), HexTextToDouble("1000000000")); // ten characters at most
    EXPECT_DOUBLE_EQ(HexTextToDouble("1g", 2), 16.0);
    EXPECT_DOUBLE_EQ(HexTextToDouble("12\0" "34", 5), 18.0);
    EXPECT_DOUBLE_EQ(HexTextToDouble("1234", 2), 18.0);
}

class TextConverterFile : public WorkDirTest {};

TEST_F(TextConverterFile, SetFloatGoesThroughTempTxt)
{
    CTextConverter converter;
    converter.SetFloat(0.5f);
    EXPECT_EQ(converter.GetText(), "0.5");
    const std::string scratch = ScratchFilePath("temp.txt").Bytes();
    EXPECT_EQ(ReadFileBytes(scratch), "0.5\r\n");
    EXPECT_FALSE(std::filesystem::exists(PathOf("temp.txt")));
    converter.SetFloat(1234567.0f);
    EXPECT_EQ(converter.GetText(), "1.23457e+006");
    EXPECT_FALSE(g_TempTextFile.IsOpen());

    // A folder in the file's place: nothing to read, an empty text.
    std::filesystem::remove(scratch);
    std::filesystem::create_directory(scratch);
    converter.SetFloat(2.0f);
    EXPECT_EQ(converter.GetText(), "");
    std::filesystem::remove(scratch);

    // A map open under the scratch file's name is never truncated.
    WriteFileBytes(PathOf("t.map"), "x\x78");
    std::filesystem::create_hard_link(PathOf("t.map"), scratch);
    ASSERT_TRUE(g_MapFile.Open("t.map", CFileStream::kMapFile));
    converter.SetFloat(0.5f);
    EXPECT_EQ(converter.GetText(), "");
    EXPECT_EQ(ReadFileBytes(PathOf("t.map")), "x\x78");
    g_MapFile.Close();
    std::filesystem::remove(scratch);
}

} // namespace
