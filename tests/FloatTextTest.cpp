#include "map/FloatText.h"

#include "map/MapState.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <limits>
#include <random>

namespace {

using travik::test::ReadFileBytes;

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
    EXPECT_EQ(ReadFileBytes(PathOf("Temp.meta")), "0.5\r\n");
    EXPECT_FALSE(g_TempMetaFile.IsOpen());
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
    std::filesystem::create_directory(PathOf("Temp.meta"));
    EXPECT_EQ(FloatToText(0.5f), "");
    EXPECT_FALSE(g_TempMetaFile.IsOpen());
}

} // namespace
