#include "platform/CString.h"

#include <gtest/gtest.h>

namespace {

TEST(CString, KeepsEveryByteValueIncludingEmbeddedZeros)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    CString s(all);
    ASSERT_EQ(s.GetLength(), 256);
    for (int b = 0; b < 256; ++b) EXPECT_EQ(static_cast<unsigned char>(s.GetAt(b)), b);
    CString copy = s + CString("\0z", 2);
    EXPECT_EQ(copy.GetLength(), 258);
    EXPECT_EQ(copy.GetAt(256), '\0');
}

TEST(CString, ExtractionClampsOutOfRangeArguments)
{
    CString s("abcdef");
    EXPECT_EQ(s.Mid(2), "cdef");
    EXPECT_EQ(s.Mid(2, 3), "cde");
    EXPECT_EQ(s.Mid(4, 100), "ef");
    EXPECT_EQ(s.Mid(-3, 2), "ab");
    EXPECT_EQ(s.Mid(10), "");
    EXPECT_EQ(s.Mid(1, -1), "");
    EXPECT_EQ(s.Left(3), "abc");
    EXPECT_EQ(s.Left(99), "abcdef");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Right(2), "ef");
    EXPECT_EQ(s.Right(99), "abcdef");
    EXPECT_EQ(s.GetAt(6), '\0');
    EXPECT_EQ(s.GetAt(-1), '\0');
    s.SetAt(6, 'z');
    s.SetAt(-1, 'z');
    EXPECT_EQ(s, "abcdef");
    s.SetAt(0, 'A');
    EXPECT_EQ(s, "Abcdef");
}

TEST(CString, SearchAndEdit)
{
    CString s("a|b||c");
    EXPECT_EQ(s.Find('|'), 1);
    EXPECT_EQ(s.Find('|', 2), 3);
    EXPECT_EQ(s.Find('q'), -1);
    EXPECT_EQ(s.Find("||"), 3);
    EXPECT_EQ(s.Find("", 0), 0);
    EXPECT_EQ(s.Find('|', 99), -1);
    EXPECT_EQ(s.ReverseFind('|'), 4);
    EXPECT_EQ(s.Replace('|', '/'), 3);
    EXPECT_EQ(s, "a/b//c");
    EXPECT_EQ(s.Replace("//", "-"), 1);
    EXPECT_EQ(s, "a/b-c");
    EXPECT_EQ(s.Replace("", "zz"), 0);
    EXPECT_EQ(s.Remove('/'), 1);
    EXPECT_EQ(s, "ab-c");
    s.Insert(2, "XY");
    EXPECT_EQ(s, "abXY-c");
    s.Delete(1, 3);
    EXPECT_EQ(s, "a-c");
}

TEST(CString, CaseAndReversalTouchOnlyAsciiLetters)
{
    CString s("Ab1\xE9z");
    EXPECT_EQ(CString(s).MakeUpper(), "AB1\xE9Z");
    EXPECT_EQ(CString(s).MakeLower(), "ab1\xE9z");
    EXPECT_EQ(CString("mtib").MakeReverse(), "bitm");
    EXPECT_EQ(CString("a").CompareNoCase("A"), 0);
    EXPECT_LT(CString("a").Compare("b"), 0);
}

TEST(CString, FormatAndConcatenation)
{
    CString s;
    s.Format("%ld|%u|%s", -5L, 7u, "x");
    EXPECT_EQ(s, "-5|7|x");
    CString t = CString("a") + 'b' + "c";
    t += 'd';
    t += CString("e");
    EXPECT_EQ(t, "abcde");
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_EQ(CString('-', 3), "---");
}

} // namespace
