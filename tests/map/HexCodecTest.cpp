#include "map/HexCodec.h"

#include <gtest/gtest.h>

namespace {

CString Raw(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return CString(s);
}

TEST(HexCodec, BytesToHexWritesTwoLowercaseDigitsPerByte)
{
    EXPECT_EQ(BytesToHex(Raw({0x01, 'x', 0xAB})), "0100ab");
    EXPECT_EQ(BytesToHex(Raw({'x', 0x05})), "0005");
    EXPECT_EQ(BytesToHex(Raw({0xFF, 0x80, 0x7F})), "ff807f");
    EXPECT_EQ(BytesToHex(""), "");
    // 0x78 is the zero-byte carrier, so '78' can never be written.
    EXPECT_EQ(BytesToHex(Raw({0x78, 0x78})), "0000");
}

TEST(HexCodec, HexToIntReadsEveryCharacterAsADigitInItsPlace)
{
    struct Case { std::string text; uint32_t value; };
    const Case cases[] = {
        {"1A2b", 6699},        {"12G4", 4612},          {"12 34", 73780},
        {"123456789", 591751049}, {"None", 14},         {"ffffffff", 4294967295u},
        {"", 0},               {"zz!?", 0},             {"0x10", 16},
        {"FFFFFFFF1", 0xFFFFFFF1u}, {std::string("12\0" "34", 5), 0x12},
        {std::string("\x80\xff" "1", 3), 1},
    };
    for (const Case& c : cases) EXPECT_EQ(HexToInt(CString(c.text)), c.value) << c.text;
}

TEST(HexCodec, IntToHexHasNoLeadingZerosAndTwosComplementForNegatives)
{
    EXPECT_EQ(IntToHex(255), "ff");
    EXPECT_EQ(IntToHex(-1), "ffffffff");
    EXPECT_EQ(IntToHex(0), "0");
    EXPECT_EQ(IntToHex(0x1000), "1000");
    EXPECT_EQ(IntToHex(INT32_MIN), "80000000");
}

TEST(HexCodec, HexToBytesPairsFromTheLeftWithZeroAsX)
{
    EXPECT_EQ(HexToBytes("abc"), Raw({0x0A, 0xBC}));
    EXPECT_EQ(HexToBytes("0041"), Raw({'x', 'A'}));
    EXPECT_EQ(HexToBytes("78"), "x");
    EXPECT_EQ(HexToBytes("00"), "x");
    EXPECT_EQ(HexToBytes("zz"), "x");
    EXPECT_EQ(HexToBytes(""), "");
    EXPECT_EQ(HexToBytes("FF80"), Raw({0xFF, 0x80}));
    // Each pair goes through HexToInt, which stops at a NUL character.
    EXPECT_EQ(HexToBytes(CString(std::string("1\0" "\0" "2", 4))), Raw({0x01, 'x'}));
}

TEST(HexCodec, IntToDecTextIsSignedDecimal)
{
    EXPECT_EQ(IntToDecText(-42), "-42");
    EXPECT_EQ(IntToDecText(0), "0");
    EXPECT_EQ(IntToDecText(INT32_MIN), "-2147483648");
}

TEST(HexCodec, RoundTripsThroughTheCodecKeepEveryByteButX)
{
    for (int b = 0; b < 256; ++b) {
        CString one = Raw({b == 0 ? 'x' : b});
        CString back = HexToBytes(BytesToHex(one));
        if (b == 0x78) EXPECT_EQ(back, "x");
        else EXPECT_EQ(back, one) << b;
    }
}

TEST(LittleEndian, ReaderTakes0x78Exactly)
{
    std::string raw("\x34\x12\x78\x01", 4);
    EXPECT_EQ(ReadLittleEndian(raw, 0, 4), 0x01781234u);
    EXPECT_EQ(ReadLittleEndian(raw, 0, 2), 0x1234u);
    EXPECT_EQ(ReadLittleEndian(std::string("\x78\x78", 2), 0, 2), 0x7878u);
    // Past the end reads as zero bytes.
    EXPECT_EQ(ReadLittleEndian(raw, 3, 4), 0x01u);
    EXPECT_EQ(ReadLittleEndian(raw, 100, 4), 0u);
}

TEST(LittleEndian, WriterNeverTurns0x78IntoZero)
{
    EXPECT_EQ(LittleEndianBytes(0x78787878u, 4), std::string("\x78\x78\x78\x78", 4));
    EXPECT_EQ(LittleEndianBytes(0x00000178u, 2), std::string("\x78\x01", 2));
    EXPECT_EQ(LittleEndianBytes(0x12345678u, 4), std::string("\x78\x56\x34\x12", 4));
    EXPECT_EQ(LittleEndianBytes(0, 4), std::string(4, '\0'));
}

} // namespace
