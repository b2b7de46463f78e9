// PString: character length, copy on write, substrings, case, trimming,
// buffers, Format and MakeNumber.
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/PException.h"
#include "support/PString.h"

namespace {

// The reference count sits in the first int32 of the header before the text.
int32
RefCount(const PString& s)
{
    return ((const int32*)(const char*)s)[-3];
}

}   // namespace

// #pragma mark - construction and length

TEST(PString, Default_IsEmptyAndShared)
{
    PString a;
    PString b;
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(0, a.GetLength());
    EXPECT_EQ(0, a.GetByteLength());
    EXPECT_STREQ("", (const char*)a);
    EXPECT_EQ((const char*)a, (const char*)b);   // the one static empty string
}

TEST(PString, NullPointer_GivesEmpty)
{
    PString a(nullptr);
    EXPECT_TRUE(a.IsEmpty());
    a = "x";
    a = (const char*)nullptr;
    EXPECT_TRUE(a.IsEmpty());
}

TEST(PString, TwoByteCharacter_LengthOneByteLengthTwo)
{
    PString s("\xC3\xA9");
    EXPECT_EQ(1, s.GetLength());
    EXPECT_EQ(2, s.GetByteLength());
}

TEST(PString, MixedUtf8_CountsCharactersNotBytes)
{
    PString s("a\xE2\x82\xAC" "b\xF0\x9F\x8E\xB5");   // a, euro sign, b, musical note
    EXPECT_EQ(4, s.GetLength());
    EXPECT_EQ(9, s.GetByteLength());
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
    b.MakeUpper();
    EXPECT_STREQ("abc", (const char*)a);
    EXPECT_STREQ("ABC", (const char*)b);
    EXPECT_NE((const char*)a, (const char*)b);
    EXPECT_EQ(1, RefCount(a));
    EXPECT_EQ(1, RefCount(b));
}

TEST(PString, AppendToCopy_LeavesOriginalUnchanged)
{
    PString a("abc");
    PString b = a;
    b += "def";
    EXPECT_STREQ("abc", (const char*)a);
    EXPECT_STREQ("abcdef", (const char*)b);
}

TEST(PString, SelfAssignment_KeepsText)
{
    PString a("abc");
    PString& alias = a;
    a = alias;
    EXPECT_STREQ("abc", (const char*)a);
    a = (const char*)a + 1;     // text pointing into its own buffer
    EXPECT_STREQ("bc", (const char*)a);
}

TEST(PString, CopyWhileBufferHandedOut_CopiesText)
{
    PString a("abc");
    char* buffer = a.GetBuffer(10);
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
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&shared] {
            for (int i = 0; i < 20000; i++) {
                PString copy(shared);
                PString another = copy;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
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

TEST(PString, GetAt_ByteIndex)
{
    PString s("a\xC3\xA9z");
    EXPECT_EQ('a', s.GetAt(0));
    EXPECT_EQ((char)0xC3, s[1]);
    EXPECT_EQ('z', s[3]);
    EXPECT_EQ('\0', s[4]);
}

TEST(PString, GetAt_OutsideText_RaisesBounds)
{
    PString s("abc");
    for (int32 index : {-1, 5, INT_MAX}) {
        try {
            s.GetAt(index);
            ADD_FAILURE() << "no exception for " << index;
        } catch (PBoundsException* e) {
            EXPECT_EQ((double)index, e->value);
            e->Delete();
        }
    }
}

TEST(PString, MakeEmpty_ReturnsToSharedEmpty)
{
    PString s("abc");
    s.MakeEmpty();
    EXPECT_EQ((const char*)PString(), (const char*)s);
}

// #pragma mark - substrings

TEST(PString, LeftBeyondLength_WholeString)
{
    PString s("abc");
    EXPECT_STREQ("abc", (const char*)s.Left(100));
    EXPECT_STREQ("ab", (const char*)s.Left(2));
    EXPECT_STREQ("", (const char*)s.Left(0));
    EXPECT_STREQ("", (const char*)s.Left(-5));
}

TEST(PString, MidBeyondLength_Empty)
{
    PString s("abc");
    EXPECT_STREQ("", (const char*)s.Mid(5));
    EXPECT_STREQ("bc", (const char*)s.Mid(1));
    EXPECT_STREQ("b", (const char*)s.Mid(1, 1));
    EXPECT_STREQ("bc", (const char*)s.Mid(1, INT_MAX));
    EXPECT_STREQ("ab", (const char*)s.Mid(-3, 2));
    EXPECT_STREQ("", (const char*)s.Mid(1, -1));
}

TEST(PString, Right_ClampedToText)
{
    PString s("abc");
    EXPECT_STREQ("bc", (const char*)s.Right(2));
    EXPECT_STREQ("abc", (const char*)s.Right(100));
    EXPECT_STREQ("", (const char*)s.Right(-1));
}

TEST(PString, Substrings_RecountCharacters)
{
    PString s("\xC3\xA9" "ab");
    EXPECT_EQ(1, s.Left(2).GetLength());
    EXPECT_EQ(2, s.Mid(2).GetLength());
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
    PString s("ab\xC3\xA9" "cd\xE2\x82\xAC" "e");
    s.MakeUpper();
    EXPECT_STREQ("AB\xC3\xA9" "CD\xE2\x82\xAC" "E", (const char*)s);
    s.MakeLower();
    EXPECT_STREQ("ab\xC3\xA9" "cd\xE2\x82\xAC" "e", (const char*)s);
}

TEST(PString, MakeUpper_TruncatedSequence_StopsAtTerminator)
{
    PString s("a\xF0");     // a four-byte lead with nothing after it
    s.MakeUpper();
    EXPECT_STREQ("A\xF0", (const char*)s);
}

TEST(PString, Trim_RemovesWhiteSpace)
{
    PString s(" \t ab c \r\n");
    s.TrimLeft();
    EXPECT_STREQ("ab c \r\n", (const char*)s);
    EXPECT_EQ(7, s.GetLength());
    s.TrimRight();
    EXPECT_STREQ("ab c", (const char*)s);
    EXPECT_EQ(4, s.GetLength());
    PString blank("   ");
    blank.TrimRight();
    EXPECT_TRUE(blank.IsEmpty());
}

TEST(PString, TrimShared_LeavesOtherCopy)
{
    PString a("  x  ");
    PString b(a);
    b.TrimLeft();
    b.TrimRight();
    EXPECT_STREQ("  x  ", (const char*)a);
    EXPECT_STREQ("x", (const char*)b);
}

// #pragma mark - buffers

TEST(PString, GetBuffer_KeepsContentsAndMakesUnshared)
{
    PString a("abc");
    PString b(a);
    char* buffer = b.GetBuffer(100);
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
    char* buffer = s.GetBuffer(10);
    memcpy(buffer, "\xC3\xA9xyz", 5);
    s.ReleaseBuffer(3);
    EXPECT_STREQ("\xC3\xA9x", (const char*)s);
    EXPECT_EQ(2, s.GetLength());
}

TEST(PString, GetBufferSetLength_TerminatesAfterTheBytes)
{
    PString s;
    char* buffer = s.GetBufferSetLength(3);
    EXPECT_EQ('\0', buffer[3]);
    memcpy(buffer, "abc", 3);
    s.ReleaseBuffer();
    EXPECT_STREQ("abc", (const char*)s);

    PString empty("x");
    empty.GetBufferSetLength(0);    // wrote at index -1 before the mend
    empty.ReleaseBuffer();
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(PString, GetBufferNegative_TreatedAsZero)
{
    PString s("ab");
    char* buffer = s.GetBuffer(-10);
    EXPECT_STREQ("ab", buffer);
    s.ReleaseBuffer(-1);
    EXPECT_STREQ("ab", (const char*)s);
}

TEST(PString, ReleaseBufferOnEmpty_DoesNothing)
{
    PString s;
    s.ReleaseBuffer(5);
    s.ReleaseBuffer();
    EXPECT_TRUE(s.IsEmpty());
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
    try {
        s.GetBuffer(INT_MAX);
        ADD_FAILURE() << "no exception";
    } catch (PMemoryException* e) {
        e->Delete();
    }
    EXPECT_STREQ("keep", (const char*)s);
}

// #pragma mark - Format

TEST(PString, FormatStringAndNumber_JoinedByHyphen)
{
    PString s;
    s.Format("%s-%d", "ab", 7);
    EXPECT_STREQ("ab-7", (const char*)s);
    EXPECT_EQ(4, s.GetLength());
}

TEST(PString, Format_AllConversionKinds)
{
    PString s;
    s.Format("%c|%5s|%.2s|%-4d|%05.1f|%x|%#o|%lu|%lld|%%|%p", 'q', "ab", "xyz", 42, 3.14159,
        255, 8, 123456789ul, -5ll, (void*)nullptr);
    char expected[256];
    snprintf(expected, sizeof(expected), "%c|%5s|%.2s|%-4d|%05.1f|%x|%#o|%lu|%lld|%%|%p", 'q',
        "ab", "xyz", 42, 3.14159, 255, 8, 123456789ul, -5ll, (void*)nullptr);
    EXPECT_STREQ(expected, (const char*)s);
}

TEST(PString, FormatWidthBeyondPrecision_NeverOverruns)
{
    // The size estimate cuts "%300.2s" to 2 bytes; 300 are written.
    PString s;
    s.Format("%300.2s|%10.0c", "abcdef", 'z');
    EXPECT_EQ(300 + 1 + 10, s.GetByteLength());
    EXPECT_EQ(std::string(298, ' ') + "ab|" + std::string(9, ' ') + "z", (const char*)s);
}

TEST(PString, FormatStarWidthAndPrecision_Consumed)
{
    PString s;
    s.Format("[%*.*s][%*d]", 6, 3, "abcdef", -4, 9);
    EXPECT_STREQ("[   abc][9   ]", (const char*)s);
}

TEST(PString, FormatLongString_FitsExactly)
{
    std::string big(5000, 'x');
    PString s;
    s.Format("<%s>", big.c_str());
    EXPECT_EQ(5002, s.GetByteLength());
}

TEST(PString, FormatOwnText_AsArgument)
{
    PString s("abc");
    s.Format("%s%s", (const char*)s, (const char*)s);
    EXPECT_STREQ("abcabc", (const char*)s);
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
    PString s;
    s.Format("%s=%d", "\xC3\xA9t\xC3\xA9", 1);
    EXPECT_EQ(5, s.GetLength());
}

// #pragma mark - MakeNumber

TEST(PString, MakeNumberFourDigits_OneComma)
{
    EXPECT_STREQ("1,000", (const char*)PString("1000").MakeNumber());
}

TEST(PString, MakeNumberSevenDigits_ThreeGroups)
{
    EXPECT_STREQ("1,234,567", (const char*)PString("1234567").MakeNumber());
    EXPECT_STREQ("123,456", (const char*)PString("123456").MakeNumber());
}

TEST(PString, MakeNumberThreeDigits_Unchanged)
{
    EXPECT_STREQ("123", (const char*)PString("123").MakeNumber());
    EXPECT_STREQ("", (const char*)PString().MakeNumber());
}

TEST(PString, MakeNumber_LeavesSourceAlone)
{
    PString s("98765");
    PString n = s.MakeNumber();
    EXPECT_STREQ("98765", (const char*)s);
    EXPECT_STREQ("98,765", (const char*)n);
    EXPECT_EQ(6, n.GetLength());
}
