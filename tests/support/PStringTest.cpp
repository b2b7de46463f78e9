// PString: character length, copy on write, substrings, case, trimming,
// buffers, Format and MakeNumber.
#include <climits>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "support/PException.h"
#include "support/PString.h"
#include "tests/common/CaughtException.h"
#include "tests/common/RunThreads.h"

namespace {

// The reference count sits in the first int32 of the header before the text.
int32
RefCount(const PString& s)
{
    return ((const int32*)(const char*)s)[-3];
}

template<class... Args>
PString
Formatted(const char* format, Args... args)
{
    PString s;
    s.Format(format, args...);
    return s;
}

}   // namespace

// #pragma mark - construction and length

TEST(PString, DefaultOrNull_IsSharedEmpty)
{
    PString a;
    PString b(nullptr);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(0, a.GetLength());
    EXPECT_EQ(0, a.GetByteLength());
    EXPECT_STREQ("", (const char*)a);
    EXPECT_EQ((const char*)a, (const char*)b);   // the one static empty string
    b = "x";
    b = (const char*)nullptr;
    EXPECT_TRUE(b.IsEmpty());
}

TEST(PString, Utf8_CountsCharactersNotBytes)
{
    struct
    {
        const char* text;
        int32       length;
        int32       bytes;
    } cases[] = {
        { "\xC3\xA9", 1, 2 },
        { "a\xE2\x82\xAC"
          "b\xF0\x9F\x8E\xB5",
            4, 9 },   // a, euro sign, b, musical note
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.length, PString(c.text).GetLength()) << c.text;
        EXPECT_EQ(c.bytes, PString(c.text).GetByteLength()) << c.text;
    }
}

// #pragma mark - copy on write

TEST(PString, Copy_SharesWithoutAllocating)
{
    PString a("abc");
    PString b(a);
    EXPECT_EQ((const char*)a, (const char*)b);
    EXPECT_EQ(2, RefCount(a));
    PString c;
    c = a;
    EXPECT_EQ((const char*)a, (const char*)c);
    EXPECT_EQ(3, RefCount(a));
}

TEST(PString, EditCopy_LeavesOriginalUnchanged)
{
    PString a("abc");
    PString b(a);
    PString c = a;
    b.MakeUpper();
    c += "def";
    EXPECT_STREQ("abc", (const char*)a);
    EXPECT_STREQ("ABC", (const char*)b);
    EXPECT_STREQ("abcdef", (const char*)c);
    EXPECT_NE((const char*)a, (const char*)b);
    EXPECT_EQ(1, RefCount(a));
    EXPECT_EQ(1, RefCount(b));
}

TEST(PString, SelfAssignment_KeepsText)
{
    PString  a("abc");
    PString& alias = a;
    a = alias;
    EXPECT_STREQ("abc", (const char*)a);
    a = (const char*)a + 1;   // text pointing into its own buffer
    EXPECT_STREQ("bc", (const char*)a);
}

TEST(PString, CopyWhileBufferHandedOut_CopiesText)
{
    PString a("abc");
    char*   buffer = a.GetBuffer(10);
    PString b(a);
    EXPECT_NE((const char*)b, (const char*)a);
    buffer[0] = 'X';
    a.ReleaseBuffer();
    EXPECT_STREQ("Xbc", (const char*)a);
    EXPECT_STREQ("abc", (const char*)b);
}

TEST(PString, CopiesAcrossThreads_CountsStayExact)
{
    PString shared("shared text");
    RunThreads(4, [&shared] {
        for (int i = 0; i < 20000; i++) {
            PString copy(shared);
            PString another = copy;
        }
    });
    EXPECT_EQ(1, RefCount(shared));
    EXPECT_STREQ("shared text", (const char*)shared);
}

// #pragma mark - operators

TEST(PString, Plus_AllThreeForms)
{
    PString a("ab");
    EXPECT_STREQ("abcd", (const char*)(a + PString("cd")));
    EXPECT_STREQ("abcd", (const char*)(a + "cd"));
    EXPECT_STREQ("cdab", (const char*)("cd" + a));
    EXPECT_STREQ("ab", (const char*)(a + (const char*)nullptr));
    EXPECT_EQ(3, (PString("\xC3\xA9") + "xy").GetLength());
}

TEST(PString, PlusEqualsPString_ToEmptyShares)
{
    PString a;
    PString b("xyz");
    a += b;
    EXPECT_EQ((const char*)a, (const char*)b);
    a += a;
    EXPECT_STREQ("xyzxyz", (const char*)a);
    EXPECT_STREQ("xyz", (const char*)b);
}

TEST(PString, Comparison_ComparesText)
{
    PString a("abc");
    EXPECT_TRUE(a == "abc");
    EXPECT_TRUE(a == PString("abc"));
    EXPECT_TRUE(a != "abd");
    EXPECT_TRUE(PString() == (const char*)nullptr);
    EXPECT_EQ(0, a.CompareNoCase("ABC"));
    EXPECT_LT(a.CompareNoCase("ABD"), 0);
}

// #pragma mark - access

TEST(PString, GetAt_ByteIndexOrBoundsOutsideText)
{
    PString s("a\xC3\xA9z");
    EXPECT_EQ('a', s.GetAt(0));
    EXPECT_EQ((char)0xC3, s[1]);
    EXPECT_EQ('z', s[3]);
    EXPECT_EQ('\0', s[4]);
    for (int32 index : { -1, 5, INT_MAX }) {
        auto e = CatchP<PBoundsException>([&] { s.GetAt(index); });
        ASSERT_NE(nullptr, e) << "no exception for " << index;
        EXPECT_EQ((double)index, e->value);
    }
}

TEST(PString, MakeEmpty_ReturnsToSharedEmpty)
{
    PString s("abc");
    s.MakeEmpty();
    EXPECT_EQ((const char*)PString(), (const char*)s);
}

// #pragma mark - substrings

TEST(PString, Substrings_ClampedToText)
{
    PString s("abc");
    struct
    {
        PString     got;
        const char* expected;
    } cases[] = {
        { s.Left(100), "abc" },
        { s.Left(2), "ab" },
        { s.Left(0), "" },
        { s.Left(-5), "" },
        { s.Mid(5), "" },
        { s.Mid(1), "bc" },
        { s.Mid(1, 1), "b" },
        { s.Mid(1, INT_MAX), "bc" },
        { s.Mid(-3, 2), "ab" },
        { s.Mid(1, -1), "" },
        { s.Right(2), "bc" },
        { s.Right(100), "abc" },
        { s.Right(-1), "" },
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); i++)
        EXPECT_STREQ(cases[i].expected, (const char*)cases[i].got) << "case " << i;
    PString accented("\xC3\xA9"
                     "ab");   // substrings recount their characters
    EXPECT_EQ(1, accented.Left(2).GetLength());
    EXPECT_EQ(2, accented.Mid(2).GetLength());
}

TEST(PString, Find_ByteIndexOrMinusOne)
{
    PString s("abcabc");
    EXPECT_EQ(1, s.Find('b'));
    EXPECT_EQ(4, s.Find('b', 2));
    EXPECT_EQ(-1, s.Find('b', 5));
    EXPECT_EQ(-1, s.Find('b', 100));
    EXPECT_EQ(1, s.Find('b', -4));
    EXPECT_EQ(-1, s.Find('x'));
    EXPECT_EQ(-1, s.Find('\0'));
    EXPECT_EQ(4, s.ReverseFind('b'));
    EXPECT_EQ(-1, s.ReverseFind('x'));
}

// #pragma mark - editing

TEST(PString, MakeUpper_StepsOverMultiByteSequences)
{
    PString s("ab\xC3\xA9"
              "cd\xE2\x82\xAC"
              "e");
    s.MakeUpper();
    EXPECT_STREQ("AB\xC3\xA9"
                 "CD\xE2\x82\xAC"
                 "E",
        (const char*)s);
    s.MakeLower();
    EXPECT_STREQ("ab\xC3\xA9"
                 "cd\xE2\x82\xAC"
                 "e",
        (const char*)s);
    PString truncated("a\xF0");   // a four-byte lead with nothing after it
    truncated.MakeUpper();
    EXPECT_STREQ("A\xF0", (const char*)truncated);
}

TEST(PString, Trim_RemovesWhiteSpaceFromItsOwnCopyOnly)
{
    PString original(" \t ab c \r\n");
    PString s(original);
    s.TrimLeft();
    EXPECT_STREQ("ab c \r\n", (const char*)s);
    EXPECT_EQ(7, s.GetLength());
    s.TrimRight();
    EXPECT_STREQ("ab c", (const char*)s);
    EXPECT_EQ(4, s.GetLength());
    EXPECT_STREQ(" \t ab c \r\n", (const char*)original);
    PString blank("   ");
    blank.TrimRight();
    EXPECT_TRUE(blank.IsEmpty());
}

// #pragma mark - buffers

TEST(PString, GetBuffer_KeepsContentsAndMakesUnshared)
{
    PString a("abc");
    PString b(a);
    char*   buffer = b.GetBuffer(100);
    EXPECT_STREQ("abc", buffer);
    strcpy(buffer, "a much longer text");
    b.ReleaseBuffer();
    EXPECT_STREQ("abc", (const char*)a);
    EXPECT_STREQ("a much longer text", (const char*)b);
    EXPECT_EQ(18, b.GetLength());
}

TEST(PString, ReleaseBufferWithCount_CutsAndRecounts)
{
    PString s;
    char*   buffer = s.GetBuffer(10);
    memcpy(buffer, "\xC3\xA9xyz", 5);
    s.ReleaseBuffer(3);
    EXPECT_STREQ("\xC3\xA9x", (const char*)s);
    EXPECT_EQ(2, s.GetLength());
}

TEST(PString, GetBufferSetLength_TerminatesAfterTheBytes)
{
    PString s;
    char*   buffer = s.GetBufferSetLength(3);
    EXPECT_EQ('\0', buffer[3]);
    memcpy(buffer, "abc", 3);
    s.ReleaseBuffer();
    EXPECT_STREQ("abc", (const char*)s);

    PString empty("x");
    empty.GetBufferSetLength(0);   // wrote at index -1 before the mend
    empty.ReleaseBuffer();
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(PString, NegativeSizesAndEmptyRelease_ChangeNothing)
{
    PString s("ab");
    char*   buffer = s.GetBuffer(-10);
    EXPECT_STREQ("ab", buffer);
    s.ReleaseBuffer(-1);
    EXPECT_STREQ("ab", (const char*)s);
    PString empty;
    empty.ReleaseBuffer(5);
    empty.ReleaseBuffer();
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(PString, FreeExtra_KeepsText)
{
    PString s("abc");
    s.GetBuffer(1000);
    s.ReleaseBuffer();
    s.FreeExtra();
    EXPECT_STREQ("abc", (const char*)s);
    EXPECT_EQ(4, ((const int32*)(const char*)s)[-1]);   // size field: text + terminator
}

TEST(PString, HugeBuffer_RaisesMemoryAndKeepsValue)
{
    PString s("keep");
    EXPECT_NE(nullptr, CatchP<PMemoryException>([&] { s.GetBuffer(INT_MAX); }));
    EXPECT_STREQ("keep", (const char*)s);
}

// #pragma mark - Format

TEST(PString, Format_AllConversionKinds)
{
    PString s = Formatted("%c|%5s|%.2s|%-4d|%05.1f|%x|%#o|%lu|%lld|%%|%p", 'q', "ab", "xyz", 42,
        3.14159, 255, 8, 123456789ul, -5ll, (void*)nullptr);
    char    expected[256];
    snprintf(expected, sizeof(expected), "%c|%5s|%.2s|%-4d|%05.1f|%x|%#o|%lu|%lld|%%|%p", 'q', "ab",
        "xyz", 42, 3.14159, 255, 8, 123456789ul, -5ll, (void*)nullptr);
    EXPECT_STREQ(expected, (const char*)s);
}

TEST(PString, FormatSizeEstimates_NeverCutOrOverrun)
{
    std::string big(5000, 'x');
    PString     own("abc");
    struct
    {
        PString     got;
        std::string expected;
    } cases[] = {
        // The size estimate cuts "%300.2s" to 2 bytes; 300 are written.
        { Formatted("%300.2s|%10.0c", "abcdef", 'z'),
            std::string(298, ' ') + "ab|" + std::string(9, ' ') + "z" },
        { Formatted("[%*.*s][%*d]", 6, 3, "abcdef", -4, 9), "[   abc][9   ]" },
        { Formatted("<%s>", big.c_str()), "<" + big + ">" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, (const char*)c.got);
        EXPECT_EQ((int32)c.expected.size(), c.got.GetByteLength());
    }
    own.Format("%s%s", (const char*)own, (const char*)own);   // its own text as argument
    EXPECT_STREQ("abcabc", (const char*)own);
}

TEST(PString, FormatEmptyResult_IsSharedEmpty)
{
    PString s("x");
    s.Format("%s", "");
    EXPECT_EQ((const char*)PString(), (const char*)s);
    s.Format(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(PString, FormatUtf8_CountsCharacters)
{
    EXPECT_EQ(5, Formatted("%s=%d", "\xC3\xA9t\xC3\xA9", 1).GetLength());
    EXPECT_EQ(4, Formatted("%s-%d", "ab", 7).GetLength());
}

// #pragma mark - MakeNumber

TEST(PString, MakeNumber_CommaEveryThreeDigits)
{
    struct
    {
        const char* digits;
        const char* expected;
    } cases[] = {
        { "1000", "1,000" },
        { "1234567", "1,234,567" },
        { "123456", "123,456" },
        { "98765", "98,765" },
        { "123", "123" },
        { "", "" },
    };
    for (const auto& c : cases) {
        PString source(c.digits);
        PString number = source.MakeNumber();
        EXPECT_STREQ(c.expected, (const char*)number);
        EXPECT_EQ((int32)strlen(c.expected), number.GetLength()) << c.digits;
        EXPECT_STREQ(c.digits, (const char*)source);   // the source is left alone
    }
}
