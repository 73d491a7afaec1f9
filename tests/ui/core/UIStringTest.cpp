// CUIString: inline/heap transitions, substrings, searching, replacing and the short formatter.
#include "ui/core/UIString.h"

#include <gtest/gtest.h>

#include <string>

using ui::CUIString;

namespace {

std::u16string Repeat(char16_t ch, int n)
{
    return std::u16string(static_cast<std::size_t>(n), ch);
}

bool IsInline(const CUIString& s)
{
    const auto* object = reinterpret_cast<const unsigned char*>(&s);
    const auto* data = reinterpret_cast<const unsigned char*>(s.CStr());
    return data >= object && data < object + sizeof(CUIString);
}

} // namespace

TEST(UIString, StorageMovesBetweenInlineAndHeapAtSixtyTwo)
{
    CUIString s;
    s.Assign(Repeat(u'a', 62).c_str());
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(s.Length(), 62);

    s.Assign(Repeat(u'b', 63).c_str());
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(s.Length(), 63);

    s.Assign(u"xy");
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(s, u"xy");

    CUIString t(Repeat(u'c', 62).c_str());
    t.Append(u'd');
    EXPECT_FALSE(IsInline(t));
    EXPECT_EQ(t.Length(), 63);
    EXPECT_EQ(std::u16string(t.CStr()), Repeat(u'c', 62) + u"d");
}

TEST(UIString, AssignWithCountCopiesAtMostNAndHandlesNull)
{
    CUIString s(u"abcdef", 3);
    EXPECT_EQ(s, u"abc");
    s.Assign(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = u"hello";
    s = static_cast<const char16_t*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    // A count beyond the text stops at its terminator.
    s.Assign(u"ab", 70);
    EXPECT_EQ(s, u"ab");
    EXPECT_EQ(s.Length(), 2);
}

TEST(UIString, AssignAndAppendFromOwnCharacters)
{
    CUIString s(Repeat(u'q', 70).c_str());
    s.SetCharAt(0, u'p');
    s.Assign(s.CStr() + 60); // into the inline buffer from the heap block being freed
    EXPECT_EQ(std::u16string(s.CStr()), Repeat(u'q', 10));

    CUIString h(Repeat(u'z', 40).c_str());
    h.Append(h.CStr()); // grows to the heap while reading its own text
    EXPECT_EQ(std::u16string(h.CStr()), Repeat(u'z', 80));
}

TEST(UIString, CopyMoveAndConcatenationKeepValues)
{
    CUIString big(Repeat(u'x', 100).c_str());
    CUIString copy(big);
    copy.SetCharAt(0, u'y');
    EXPECT_EQ(big.CharAt(0), u'x');
    CUIString moved(std::move(copy));
    EXPECT_EQ(moved.CharAt(0), u'y');
    EXPECT_EQ(moved.Length(), 100);

    CUIString a(u"ab");
    EXPECT_EQ(a + u"cd", u"abcd");
    EXPECT_EQ(a + static_cast<const char16_t*>(nullptr), u"ab");
    EXPECT_EQ(a + u'!', u"ab!");
    a += CUIString(u"-");
    a += u'z';
    a += static_cast<const char16_t*>(nullptr);
    EXPECT_EQ(a, u"ab-z");
    // A string passes as a text, and compares as a string rather than as a pointer.
    EXPECT_EQ(ui::TextLength(a), 4);
    EXPECT_EQ(a[3], u'z');
    EXPECT_TRUE(a == CUIString(u"ab-z"));
    EXPECT_TRUE(a < CUIString(u"b"));
}

TEST(UIString, ComparisonIsOrdinalAndNoCaseFoldsAsciiOnly)
{
    CUIString s(u"Abc");
    EXPECT_EQ(s.Compare(u"Abc"), 0);
    EXPECT_LT(s.Compare(u"abc"), 0);
    EXPECT_GT(s.Compare(u"Ab"), 0);
    EXPECT_EQ(s.CompareNoCase(u"aBC"), 0);
    // U+00C4 and U+00E4 differ only outside ASCII: not folded.
    EXPECT_NE(CUIString(u"\u00c4").CompareNoCase(u"\u00e4"), 0);
    // Code units compare unsigned.
    EXPECT_GT(CUIString(u"\uffff").Compare(u"a"), 0);
    CUIString mixed(u"aZ\u00e4");
    mixed.ToUpper();
    EXPECT_EQ(mixed, u"AZ\u00e4");
    mixed.ToLower();
    EXPECT_EQ(mixed, u"az\u00e4");
}

TEST(UIString, SubstringsClampTheirArguments)
{
    CUIString s(u"abcdef");
    EXPECT_EQ(s.Mid(2), u"cdef");
    EXPECT_EQ(s.Mid(4, 10), u"ef");
    EXPECT_EQ(s.Mid(6), u"");
    EXPECT_EQ(s.Mid(9), u"");
    EXPECT_EQ(s.Right(2), u"ef");
    EXPECT_EQ(s.Right(10), u"abcdef");
    EXPECT_EQ(s.Right(-1), u"");
    CUIString abc(u"abc");
    EXPECT_EQ(abc.Left(10), u"abc");
    EXPECT_EQ(abc.Left(-1), u"");
}

TEST(UIString, FindingCharactersAndTexts)
{
    CUIString abc(u"abc");
    EXPECT_EQ(abc.FindChar(u'c', 3), -1);
    EXPECT_EQ(abc.FindChar(u'c', 2), 2);
    EXPECT_EQ(abc.FindChar(u'a', -1), -1);
    EXPECT_EQ(abc.FindText(u"", 3), 3);
    EXPECT_EQ(abc.FindText(u"bc"), 1);
    EXPECT_EQ(abc.FindText(u"bc", 2), -1);
    EXPECT_EQ(abc.FindText(u"b", 4), -1);
    EXPECT_EQ(CUIString().FindChar(u'a', 0), -1);
    EXPECT_EQ(CUIString(u"a.b.c").FindLastChar(u'.'), 3);
    EXPECT_EQ(abc.FindLastChar(u'z'), -1);
}

TEST(UIString, ReplaceAllDoesNotRescanReplacements)
{
    CUIString s(u"aXa");
    EXPECT_EQ(s.ReplaceAll(u"a", u"aa"), 2);
    EXPECT_EQ(s, u"aaXaa");

    CUIString t(u"one, two, three");
    EXPECT_EQ(t.ReplaceAll(u", ", u""), 2);
    EXPECT_EQ(t, u"onetwothree");
    EXPECT_EQ(t.ReplaceAll(u"zz", u"y"), 0);
    EXPECT_EQ(t.ReplaceAll(u"", u"y"), 0);

    CUIString grow(u"abababababababababababababababab");
    EXPECT_EQ(grow.ReplaceAll(u"b", u"-long-"), 16);
    EXPECT_EQ(grow.Length(), 16 + 16 * 6);
}

TEST(UIString, FormatShortFollowsTheIntegerAndStringRules)
{
    CUIString s;
    EXPECT_EQ(s.FormatShort(u"%ld,%ld", -5, 12), 5);
    EXPECT_EQ(s, u"-5,12");
    s.FormatShort(u"%d|%u|%x|%X|%#x|%05d|%-4d|%.3d", 42, 4294967295u, 255, 255, 255, -42, 7, 5);
    EXPECT_EQ(s, u"42|4294967295|ff|FF|0xff|-0042|7   |005");
    s.FormatShort(u"[%s][%c][%hs][%S][%5s][%.2s]", u"wide", u'W', "narrow", "n2", u"ab", u"xyz");
    EXPECT_EQ(s, u"[wide][W][narrow][n2][   ab][xy]");
    s.FormatShort(u"%I64d %lld %hd %%", static_cast<long long>(-1) << 40, 7LL, 70000);
    EXPECT_EQ(s, u"-1099511627776 7 4464 %");
    s.FormatShort(u"%s", static_cast<const char16_t*>(nullptr));
    EXPECT_EQ(s, u"(null)");
}

TEST(UIString, FormatShortCutsLongResultsBelowSixtyFourUnits)
{
    CUIString s;
    const std::u16string longText = Repeat(u'k', 100);
    EXPECT_EQ(s.FormatShort(u"%s", longText.c_str()), 63);
    EXPECT_EQ(s.Length(), 63);
}
