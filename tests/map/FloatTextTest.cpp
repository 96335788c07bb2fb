#include "map/FloatText.h"

#include "map/MapState.h"
#include "tests/support/TestEnvironment.h"
#include "platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <limits>
#include <random>

namespace {

using travik::test::ReadFileBytes;
using travik::test::WriteFileBytes;

class FloatText : public travik::test::WorkDirTest {};

TEST_F(FloatText, WritesTheGeneralFormWithThreeExponentDigits)
{
    struct Case { float value; const char* text; };
    const Case cases[] = {
        {1.0f, "1"},           {0.5f, "0.5"},         {0.01f, "0.01"},          {-2.5f, "-2.5"},
        {0.1f, "0.1"},         {123456.7f, "123457"}, {1234567.0f, "1.23457e+006"}, {1e10f, "1e+010"},
        {0.00001f, "1e-005"},  {-0.0f, "-0"},         {0.0f, "0"},              {0.0001f, "0.0001"},
        {999999.0f, "999999"}, {9999995.0f, "1e+007"}, {3.4028235e38f, "3.40282e+038"}, {1e-40f, "9.99995e-041"},
        {std::numeric_limits<float>::infinity(), "inf"}, {-std::numeric_limits<float>::infinity(), "-inf"},
        {std::numeric_limits<float>::quiet_NaN(), "nan"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FloatToText(c.value), c.text) << c.text;
        EXPECT_EQ(FormatFloatText(c.value), c.text) << c.text;
    }
}

TEST_F(FloatText, LeavesTheLastNumberAndALineEndInTempMeta)
{
    EXPECT_EQ(FloatToText(123.25f), "123.25");
    EXPECT_EQ(FloatToText(0.5f), "0.5");
    EXPECT_EQ(ReadFileBytes(ScratchFilePath("Temp.meta").Bytes()), "0.5\r\n");
    EXPECT_FALSE(g_TempMetaFile.IsOpen());
    // The scratch file lies in the scratch folder, not the current one.
    EXPECT_FALSE(std::filesystem::exists(PathOf("Temp.meta")));
    EXPECT_EQ(std::filesystem::status(std::filesystem::path(ScratchFilePath("Temp.meta").Bytes()).parent_path())
                      .permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
}

// A file the editor holds open under the scratch file's name (here a map
// hard-linked into the scratch folder) is never truncated: the text is
// empty and the refusal names the file.
TEST_F(FloatText, AHeldFileIsNeverTheScratchFile)
{
    const std::string scratch = ScratchFilePath("Temp.meta").Bytes();
    std::filesystem::remove(scratch);
    WriteFileBytes(PathOf("m.map"), std::string("x\0\x78y", 4));
    std::filesystem::create_hard_link(PathOf("m.map"), scratch);
    ASSERT_TRUE(g_MapFile.Open("m.map", CFileStream::kMapFile));
    CString refusal;
    EXPECT_EQ(FloatToText(0.5f, &refusal), "");
    EXPECT_EQ(refusal, "The file '" + scratch + "' is open in the editor as 'm.map'. The scratch file was not written.");
    EXPECT_EQ(ReadFileBytes(PathOf("m.map")), std::string("x\0\x78y", 4));
    g_MapFile.Close();
    std::filesystem::remove(scratch);
    EXPECT_EQ(FloatToText(0.5f, &refusal), "0.5");
}

TEST_F(FloatText, InMemoryTextEqualsTheRoundTrip)
{
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        const float value = std::bit_cast<float>(static_cast<uint32_t>(rng()));
        if (value != value) continue;  // NaN payloads and signs are not texts the scanner makes
        ASSERT_EQ(FormatFloatText(value), FloatToText(value)) << std::bit_cast<uint32_t>(value);
    }
}

TEST_F(FloatText, UnusableScratchFileGivesAnEmptyText)
{
    const std::string scratch = ScratchFilePath("Temp.meta").Bytes();
    std::filesystem::remove(scratch);
    std::filesystem::create_directory(scratch);
    EXPECT_EQ(FloatToText(0.5f), "");
    EXPECT_FALSE(g_TempMetaFile.IsOpen());
    std::filesystem::remove(scratch);
}

} // namespace
