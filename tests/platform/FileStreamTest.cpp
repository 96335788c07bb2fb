#include "platform/FileStream.h"
#include "platform/TimeText.h"

#include "tests/support/TestEnvironment.h"

#include <clocale>
#include <cmath>
#include <sys/stat.h>

namespace {

using travik::test::ReadFileBytes;
using travik::test::WriteFileBytes;

class FileStreamTest : public travik::test::WorkDirTest {};

TEST_F(FileStreamTest, MapModeNeedsAnExistingFileAndNeverTruncates)
{
    CFileStream stream;
    EXPECT_FALSE(stream.Open("missing.map", CFileStream::kMapFile));
    EXPECT_FALSE(std::filesystem::exists("missing.map"));
    EXPECT_FALSE(stream.Open("missing.map", CFileStream::kMapFileReadOnly));

    WriteFileBytes("a.map", std::string("\x01\x02\x03\x04", 4));
    ASSERT_TRUE(stream.Open("a.map", CFileStream::kMapFile));
    stream.SeekWrite(1);
    ASSERT_TRUE(stream.Write("\x78\x00", 2));
    stream.Close();
    EXPECT_EQ(ReadFileBytes("a.map"), std::string("\x01\x78\x00\x04", 4));
}

TEST_F(FileStreamTest, ReadOnlyModeRefusesWrites)
{
    WriteFileBytes("a.map", "abcd");
    CFileStream stream;
    ASSERT_TRUE(stream.Open("a.map", CFileStream::kMapFileReadOnly));
    EXPECT_FALSE(stream.Write("zz", 2));
    stream.Close();
    EXPECT_EQ(ReadFileBytes("a.map"), "abcd");
}

TEST_F(FileStreamTest, ReadAndWritePositionsAreSeparate)
{
    WriteFileBytes("a.bin", "0123456789");
    CFileStream stream;
    ASSERT_TRUE(stream.Open("a.bin", CFileStream::kMapFile));
    stream.SeekRead(2);
    stream.SeekWrite(6);
    std::string got;
    stream.Read(got, 2);
    stream.Write("ab", 2);
    stream.Read(got, 3);
    EXPECT_EQ(got, "45a");
    stream.Read(got, 3);
    EXPECT_EQ(got, "b89") << "a read after a write sees the written bytes";
    EXPECT_EQ(stream.ReadPosition(), 10);
    EXPECT_EQ(stream.WritePosition(), 8);
}

TEST_F(FileStreamTest, ShortReadSetsEndOfFileUntilTheNextSeek)
{
    WriteFileBytes("a.bin", "abc");
    CFileStream stream;
    ASSERT_TRUE(stream.Open("a.bin", CFileStream::kMapFile));
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 3);
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Read(buffer, 1), 0);
    stream.SeekRead(1);
    EXPECT_FALSE(stream.Eof());
    EXPECT_EQ(stream.Read(buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 2), "bc");
    stream.SeekRead(1000);
    EXPECT_EQ(stream.Read(buffer, 4), 0);
}

TEST_F(FileStreamTest, ClosedStreamReadsNothingAndLosesWrites)
{
    CFileStream stream;
    char buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    EXPECT_FALSE(stream.Write("ab", 2));
    CString token;
    EXPECT_FALSE(stream.ReadToken(token));
    EXPECT_TRUE(stream.Close());
}

TEST_F(FileStreamTest, TextModeWritesCrLfAndReadsItAsOneLineEnd)
{
    CFileStream stream;
    ASSERT_TRUE(stream.Open("t.txt", CFileStream::kScratchText));
    stream << "one\n" << -12 << "|" << 4000000000u << "\n";
    stream.Close();
    EXPECT_EQ(ReadFileBytes("t.txt"), "one\r\n-12|4000000000\r\n");

    ASSERT_TRUE(stream.Open("t.txt", CFileStream::kDataFile));
    CString field;
    EXPECT_TRUE(stream.ReadField(field, 100, '\n'));
    EXPECT_EQ(field, "one");
    EXPECT_TRUE(stream.ReadField(field, 100, '|'));
    EXPECT_EQ(field, "-12");
    EXPECT_TRUE(stream.ReadField(field, 100, '|'));
    EXPECT_EQ(field, "4000000000\n") << "no '|' before the end: the rest is the field";
    EXPECT_TRUE(stream.Eof());
}

TEST_F(FileStreamTest, ScratchTextModeTruncatesAndDataModeKeepsContent)
{
    WriteFileBytes("keep.data", "old|");
    WriteFileBytes("wipe.txt", "old");
    CFileStream stream;
    ASSERT_TRUE(stream.Open("keep.data", CFileStream::kDataFile));
    CString field;
    stream.ReadField(field, 10, '|');
    EXPECT_EQ(field, "old");
    stream.Close();
    ASSERT_TRUE(stream.Open("wipe.txt", CFileStream::kScratchText));
    stream.Close();
    EXPECT_EQ(ReadFileBytes("wipe.txt"), "");
    ASSERT_TRUE(stream.Open("new.data", CFileStream::kDataFile));
    EXPECT_TRUE(std::filesystem::exists("new.data"));
}

TEST_F(FileStreamTest, FieldReadStopsAtTheLimitAndFails)
{
    WriteFileBytes("f.data", "abcdef|gh|");
    CFileStream stream;
    ASSERT_TRUE(stream.Open("f.data", CFileStream::kDataFile));
    CString field;
    EXPECT_FALSE(stream.ReadField(field, 4, '|'));
    EXPECT_EQ(field, "abc");
    EXPECT_TRUE(stream.Fail());
    EXPECT_FALSE(stream.ReadField(field, 4, '|')) << "a failed stream reads nothing more";
    stream.SeekRead(7);
    EXPECT_TRUE(stream.ReadField(field, 3, '|')) << "exactly limit-1 characters then the delimiter";
    EXPECT_EQ(field, "gh");
    EXPECT_FALSE(stream.ReadField(field, 10, '|'));
    EXPECT_TRUE(stream.Eof());

    // A last field that fills the limit exactly and meets the end of the
    // file is read, and the end is seen, so a reader's loop comes to an end.
    WriteFileBytes("g.data", "ab|cd");
    ASSERT_TRUE(stream.Open("g.data", CFileStream::kDataFile));
    EXPECT_TRUE(stream.ReadField(field, 3, '|'));
    EXPECT_EQ(field, "ab");
    EXPECT_TRUE(stream.ReadField(field, 3, '|'));
    EXPECT_EQ(field, "cd");
    EXPECT_TRUE(stream.Eof());
    EXPECT_FALSE(stream.Fail());
    EXPECT_FALSE(stream.ReadField(field, 3, '|'));
    EXPECT_EQ(field, "");
}

TEST_F(FileStreamTest, TokensSkipWhiteSpace)
{
    WriteFileBytes("t.txt", "  1.5\r\n\tnext  ");
    CFileStream stream;
    ASSERT_TRUE(stream.Open("t.txt", CFileStream::kDataFile));
    CString token;
    EXPECT_TRUE(stream.ReadToken(token));
    EXPECT_EQ(token, "1.5");
    EXPECT_TRUE(stream.ReadToken(token));
    EXPECT_EQ(token, "next");
    EXPECT_FALSE(stream.ReadToken(token));
    EXPECT_EQ(token, "");
}

TEST_F(FileStreamTest, BinaryWriteTruncatesAndCreateModeKeepsContent)
{
    WriteFileBytes("m.meta", "0123456789");
    CFileStream stream;
    ASSERT_TRUE(stream.Open("m.meta", CFileStream::kReadWriteBinaryCreate));
    std::string got;
    stream.Read(got, 10);
    EXPECT_EQ(got, "0123456789");
    stream.Close();
    ASSERT_TRUE(stream.Open("m.meta", CFileStream::kWriteBinaryNew));
    stream.Write("a\nb", 3);
    stream.Close();
    EXPECT_EQ(ReadFileBytes("m.meta"), "a\nb") << "binary mode writes a line feed as it is";
}

// A read the file system refuses is not the end of the file, in binary
// reads and in the character reads of text mode alike.
TEST_F(FileStreamTest, ARefusedReadIsAnErrorNotTheEndOfTheFile)
{
    WriteFileBytes("a.bin", std::string("0123456789\n|abc\n", 16));
    CFileStream stream;
    ASSERT_TRUE(stream.Open("a.bin", CFileStream::kMapFileReadOnly));
    CFileStream::InjectFault({CFileStream::Fault::Op::Read, "a.bin", 4, 0, 5});
    char buffer[10] = {};
    EXPECT_EQ(stream.Read(buffer, 10), 4);
    EXPECT_TRUE(stream.Fail());
    EXPECT_TRUE(stream.ReadError());
    EXPECT_FALSE(stream.Eof());
    EXPECT_EQ(stream.ReadErrorCount(), 1);
    // A seek clears the state, never the count an operation compares.
    stream.SeekRead(0);
    EXPECT_FALSE(stream.ReadError());
    EXPECT_EQ(stream.ReadErrorCount(), 1);
    CFileStream::ClearFault();
    EXPECT_EQ(stream.Read(buffer, 10), 10);
    EXPECT_EQ(stream.Read(buffer, 10), 6);
    EXPECT_TRUE(stream.Eof());
    EXPECT_FALSE(stream.ReadError());

    CFileStream text;
    ASSERT_TRUE(text.Open("a.bin", CFileStream::kDataFile));
    CFileStream::InjectFault({CFileStream::Fault::Op::Read, "a.bin", 0, 0, 5});
    EXPECT_EQ(text.GetChar(), -1);
    EXPECT_FALSE(text.Eof());
    EXPECT_TRUE(text.ReadError());
    CString field;
    EXPECT_FALSE(text.ReadField(field, 64, '|'));
    EXPECT_FALSE(text.Eof());
    CFileStream::ClearFault();
}

TEST_F(FileStreamTest, WritesAreCutAtTheByteAndSyncAndCloseReportFailure)
{
    CFileStream stream;
    ASSERT_TRUE(stream.Open("out.bin", CFileStream::kWriteBinaryNew));
    CFileStream::InjectFault({CFileStream::Fault::Op::Write, "out.bin", 3, 0, 28});
    EXPECT_FALSE(stream.Write("abcdef", 6));
    EXPECT_EQ(stream.WritePosition(), 3);
    EXPECT_EQ(CFileStream::FaultPassed(), 3);
    CFileStream::InjectFault({CFileStream::Fault::Op::Sync, "out.bin", 0, 1, 5});
    EXPECT_TRUE(stream.Sync());
    EXPECT_FALSE(stream.Sync());
    CFileStream::InjectFault({CFileStream::Fault::Op::Close, "out.bin", 0, 0, 5});
    EXPECT_FALSE(stream.Close());
    EXPECT_FALSE(stream.IsOpen());
    CFileStream::ClearFault();
    EXPECT_EQ(ReadFileBytes("out.bin"), "abc");
    // Another file is not touched by the fault.
    CFileStream::InjectFault({CFileStream::Fault::Op::Close, "out.bin", 0, 0, 5});
    ASSERT_TRUE(stream.Open("other.bin", CFileStream::kWriteBinaryNew));
    EXPECT_TRUE(stream.Write("x", 1));
    EXPECT_TRUE(stream.Sync());
    EXPECT_TRUE(stream.Close());
    CFileStream::ClearFault();
    // The null device keeps nothing, so it has nothing to push to a disk.
    ASSERT_TRUE(stream.Open("/dev/null", CFileStream::kWriteBinaryNew));
    EXPECT_TRUE(stream.Write("x", 1));
    EXPECT_TRUE(stream.Sync());
    EXPECT_TRUE(stream.Close());
}

TEST(NumberText, GeneralFormHasSixDigitsAndThreeExponentDigits)
{
    struct Case { double value; const char* text; };
    const Case cases[] = {
        {1.0, "1"}, {0.5, "0.5"}, {0.01, "0.01"}, {-2.5, "-2.5"}, {static_cast<double>(0.1f), "0.1"},
        {123456.7, "123457"}, {1234567.0, "1.23457e+006"}, {10000000000.0, "1e+010"},
        {0.00001, "1e-005"}, {-0.0, "-0"}, {1e100, "1e+100"}, {1.5e-300, "1.5e-300"},
        {HUGE_VAL, "inf"}, {-HUGE_VAL, "-inf"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatGeneralNumber(c.value), c.text) << c.text;
}

TEST(NumberText, GeneralFormIgnoresTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    int tried = 0;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (!std::setlocale(LC_NUMERIC, name)) continue;
        ++tried;
        EXPECT_EQ(FormatGeneralNumber(0.5), "0.5") << name;
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (tried == 0) GTEST_SKIP() << "no locale with a decimal comma is installed (e.g. de_DE.UTF-8), so the "
                                    "process locale cannot be shown to be ignored";
}

TEST(TimeText, TwentyFourCharactersWithBlankPaddedDay)
{
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(FormatTimeLine(1796695395), "Tue Dec  8 02:03:15 2026");
    EXPECT_EQ(FormatTimeLine(0), "Thu Jan  1 00:00:00 1970");
    EXPECT_EQ(FormatTimeLine(1798761599), "Thu Dec 31 23:59:59 2026");
    EXPECT_EQ(CurrentTimeLine().GetLength(), 24);
}

} // namespace
