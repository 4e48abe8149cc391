#include "foundation/UString.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

namespace {

std::string Text(const UString& s)
{
    return s.ToStdString();
}

// The invariants every operation must keep: a terminated text inside the
// buffer, zero bytes after it, a capacity in whole grow steps.
void ExpectSound(const UString& s)
{
    if (!s.GetData()) {
        EXPECT_EQ(0, s.GetLength());
        EXPECT_EQ(0, s.GetCapacity());
        return;
    }
    EXPECT_GT(s.GetCapacity(), s.GetLength());
    EXPECT_EQ(0, s.GetCapacity() % 128);
    for (long i = s.GetLength(); i < s.GetCapacity(); ++i) {
        if (s.GetData()[i] != '\0') {
            ADD_FAILURE() << "byte " << i << " past the text is not zero";
            break;
        }
    }
}

// ---- Construction, assignment and comparison ----------------------------------

TEST(UStringConstruct, FromNothingTextAndNumbers)
{
    UString empty;
    EXPECT_EQ(nullptr, empty.GetData());
    EXPECT_STREQ("", empty.GetText());
    EXPECT_EQ(128, empty.GetGrowStep());

    UString fromNull(static_cast<const char*>(nullptr));
    EXPECT_EQ(nullptr, fromNull.GetData());

    UString text("hello");
    EXPECT_EQ("hello", Text(text));
    EXPECT_EQ(128, text.GetCapacity());
    ExpectSound(text);

    EXPECT_EQ("-42", Text(UString(-42L)));
    EXPECT_EQ("7", Text(UString(7)));
    EXPECT_EQ("1.50000", Text(UString(1.5)));
    EXPECT_EQ("-0.12500", Text(UString(-0.125)));

    // Far beyond the 128 bytes the number was once formatted through.
    const UString huge(1e300);
    ASSERT_EQ(307, huge.GetLength());
    EXPECT_EQ(".00000", Text(huge).substr(301));
    ExpectSound(huge);

    UString copy(text);
    EXPECT_EQ("hello", Text(copy));
    EXPECT_NE(text.GetData(), copy.GetData());
}

TEST(UStringConstruct, DoubleFollowsTheNumericLocale)
{
    ASSERT_NE(nullptr, setlocale(LC_NUMERIC, "French_Canada.1252"));
    const std::string text = Text(UString(2.25));
    setlocale(LC_NUMERIC, "C");
    EXPECT_EQ("2,25000", text);
    EXPECT_EQ("2.25000", Text(UString(2.25)));
}

TEST(UStringConstruct, ConcatStopsAtTheFirstNullOrEmptyText)
{
    EXPECT_EQ("abc", Text(UString::Concat("a", "b", "c", nullptr)));
    EXPECT_EQ("a", Text(UString::Concat("a", "", "c", nullptr)));
    EXPECT_EQ(nullptr, UString::Concat("", nullptr).GetData());
    const std::string big(300, 'x');
    const UString joined = UString::Concat(big.c_str(), "|", big.c_str(), nullptr);
    EXPECT_EQ(big + "|" + big, Text(joined));
    ExpectSound(joined);
}

TEST(UStringAssign, OwnTextChangesNothing)
{
    UString s("abcdef");
    const char* before = s.GetData();
    s = s.GetData();
    EXPECT_EQ("abcdef", Text(s));
    s = s.GetData() + 2; // starts inside the own text
    EXPECT_EQ("abcdef", Text(s));
    EXPECT_EQ(before, s.GetData());

    s = s; // the same buffer
    EXPECT_EQ("abcdef", Text(s));

    // Assign skips that test but still must not read freed memory.
    s.Assign(s.GetData() + 3);
    EXPECT_EQ("def", Text(s));
}

TEST(UStringAssign, EmptyTextLeavesNoBufferAndTooLongLeavesEmpty)
{
    UString s("abc");
    s = "";
    EXPECT_EQ(nullptr, s.GetData());
    s = "abc";
    s = static_cast<const char*>(nullptr);
    EXPECT_EQ(nullptr, s.GetData());

    UString a, b;
    a = b; // two strings without buffer
    EXPECT_EQ(nullptr, a.GetData());

    s = "old";
    const std::string tooLong(UString::MaxText + 1, 'x');
    s = tooLong.c_str();
    EXPECT_EQ(nullptr, s.GetData());
    EXPECT_EQ(0, s.GetLength());

    const std::string largest(UString::MaxText, 'y');
    s = largest.c_str();
    EXPECT_EQ(UString::MaxText, s.GetLength());
    EXPECT_EQ(0x100000, s.GetCapacity());
}

TEST(UStringAssign, AppendGrowsInSteps)
{
    UString s;
    for (int i = 0; i < 300; ++i)
        s += UString("x");
    EXPECT_EQ(300, s.GetLength());
    EXPECT_EQ(384, s.GetCapacity());
    ExpectSound(s);

    UString self("ab");
    for (int i = 0; i < 8; ++i)
        self += self; // the appended text is the string's own, moved by the growth
    EXPECT_EQ(512, self.GetLength());
    EXPECT_EQ(std::string::npos, Text(self).find_first_not_of("ab"));
    EXPECT_EQ("abab", Text(self).substr(0, 4));

    UString none;
    none += UString();
    EXPECT_EQ(nullptr, none.GetData());
    none.Append("abcdef", 3);
    EXPECT_EQ("abc", Text(none));
}

TEST(UStringCompare, EqualityNeedsText)
{
    EXPECT_FALSE(UString() == UString());
    EXPECT_FALSE(UString("") == UString(""));
    UString a("abc");
    EXPECT_TRUE(a == a);
    EXPECT_TRUE(a == UString("abc"));
    EXPECT_FALSE(a == UString("abcd"));
    EXPECT_FALSE(a == UString("ABC"));
    EXPECT_FALSE(a == UString());
    UString cleared("abc");
    cleared.Delete(-1, 0); // a buffer, but no text
    EXPECT_FALSE(cleared == cleared);
}

TEST(UStringCompare, OrderIsByUnsignedBytesWithEmptyFirst)
{
    const struct { const char* a; const char* b; bool less; } cases[] = {
        {"a", "b", true}, {"b", "a", false}, {"ab", "abc", true}, {"abc", "ab", false},
        {"z", "\xE9", true}, {"\xE9", "z", false}, {"", "a", true}, {"a", "", false},
        {"", "", false}, {"B", "a", true}, {"same", "same", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.less, UString(c.a) < UString(c.b)) << c.a << " < " << c.b;

    UString blank;
    UString cleared("x");
    cleared.Delete(-1, 0);
    EXPECT_FALSE(blank < cleared);
    EXPECT_FALSE(cleared < blank);
}

// ---- Buffer and editing -------------------------------------------------------

TEST(UStringBuffer, ReserveGrowsInWholeStepsAboveN)
{
    const struct { long first, second, capacity; } cases[] = {
        {5, 0, 128}, {127, 0, 128}, {128, 0, 256}, {100, 200, 256}, {100, 255, 256},
        {100, 256, 384}, {300, 10, 384},
    };
    for (const auto& c : cases) {
        UString s;
        ASSERT_TRUE(s.Reserve(c.first));
        if (c.second > 0) {
            ASSERT_TRUE(s.Reserve(c.second));
        }
        EXPECT_EQ(c.capacity, s.GetCapacity()) << c.first << "," << c.second;
    }

    UString s("keep");
    EXPECT_TRUE(s.Reserve(1000));
    EXPECT_EQ("keep", Text(s));
    ExpectSound(s);
    EXPECT_FALSE(s.Reserve(0));
    EXPECT_FALSE(s.Reserve(-5));
    EXPECT_TRUE(s.Reserve(0xFFFFF));
    EXPECT_FALSE(s.Reserve(0x100000));
    EXPECT_EQ("keep", Text(s));
}

TEST(UStringBuffer, AllocBufferGivesAZeroedBufferForASystemCall)
{
    UString s("old text");
    EXPECT_EQ(200, s.AllocBuffer(200));
    EXPECT_EQ(0, s.GetLength());
    EXPECT_EQ(256, s.GetCapacity());
    for (long i = 0; i < s.GetCapacity(); ++i)
        ASSERT_EQ('\0', s.GetData()[i]);
    strcpy(s.GetData(), "written");
    UString result = s.GetData();
    EXPECT_EQ("written", Text(result));

    EXPECT_EQ(0, s.AllocBuffer(0));
    EXPECT_EQ(nullptr, s.GetData());
    EXPECT_EQ(0, s.AllocBuffer(0x100000));
}

TEST(UStringBuffer, WriteInsertDelete)
{
    struct Case { const char* start; char op; long n; const char* text; long pos; const char* out; };
    const Case cases[] = {
        {"abcd", 'W', -1, "XY", 1, "aXYd"},
        {"abcd", 'W', -1, "XYZ", 3, "abcXYZ"},
        {"abcd", 'W', -1, "XY", 4, "abcdXY"},
        {"abcd", 'W', -1, "XY", 99, "abcdXY"},
        {"abcd", 'W', 1, "XY", 0, "Xbcd"},
        {"abcd", 'W', -1, "XY", -1, "abcd"},
        {"", 'W', -1, "new", 0, "new"},
        {"abcd", 'I', -1, "XY", 1, "aXYbcd"},
        {"abcd", 'I', -1, "XY", 0, "XYabcd"},
        {"abcd", 'I', 1, "XY", 99, "abcdX"},
        {"abcd", 'I', -1, "XY", -1, "abcd"},
        {"abcd", 'D', 3, nullptr, 2, "ab"},
        {"abcd", 'D', 1, nullptr, 0, "bcd"},
        {"abcd", 'D', -1, nullptr, 1, "a"},
        {"abcd", 'D', 2, nullptr, 4, "abcd"},
        {"abcd", 'D', 2, nullptr, -1, "abcd"},
        {"abcd", 'D', 0, nullptr, 1, "abcd"},
    };
    for (const auto& c : cases) {
        UString s(c.start);
        if (c.op == 'W')
            s.Write(c.n, c.text, c.pos);
        else if (c.op == 'I')
            s.Insert(c.n, c.text, c.pos);
        else
            s.Delete(c.n, c.pos);
        EXPECT_EQ(c.out, Text(s)) << c.start << ' ' << c.op << ' ' << c.n << '@' << c.pos;
        ExpectSound(s);
    }

    UString s("abc");
    EXPECT_EQ(s.GetData(), s.Write(-1, nullptr, 0));
    EXPECT_EQ("abc", Text(s));
    s.Insert(-1, s.GetData(), 1); // own text, moved by the growth
    EXPECT_EQ("aabcbc", Text(s));
}

TEST(UStringBuffer, GrowingPastTheLargestTextChangesNothing)
{
    const std::string nearly(UString::MaxText - 2, 'n');
    UString s(nearly.c_str());
    ASSERT_EQ(UString::MaxText - 2, s.GetLength());
    EXPECT_EQ(nullptr, s.Write(-1, "abc", s.GetLength()));
    EXPECT_EQ(nullptr, s.Insert(-1, "abc", 0));
    s += UString("abc");
    EXPECT_EQ(UString::MaxText - 2, s.GetLength());
    EXPECT_EQ('n', s.GetData()[0]);
    EXPECT_NE(nullptr, s.Write(-1, "ab", s.GetLength()));
    EXPECT_EQ(UString::MaxText, s.GetLength());
    EXPECT_EQ(0, s.ReplaceAll("n", "nn"));
    EXPECT_EQ(UString::MaxText, s.GetLength());
}

TEST(UStringBuffer, FormatWholeAndFromOwnText)
{
    UString s;
    s.Format("%s-%03ld", "row", 7L);
    EXPECT_EQ("row-007", Text(s));
    s.Format("[%s|%s]", s.GetText(), s.GetText());
    EXPECT_EQ("[row-007|row-007]", Text(s));
    s.Format(nullptr);
    EXPECT_EQ("[row-007|row-007]", Text(s));

    const std::string big(10000, 'b'); // beyond the 8192 bytes once supported
    s.Format("%s!", big.c_str());
    EXPECT_EQ(big + "!", Text(s));
    ExpectSound(s);
    s.Format("%s", "");
    EXPECT_EQ(nullptr, s.GetData());
}

TEST(UStringBuffer, TrimUpperReverse)
{
    const struct { const char* in; bool rightOnly; const char* out; } trims[] = {
        {"  ab c \t\r\n", false, "ab c"}, {"  ab c \t\r\n", true, "  ab c"},
        {"   ", false, ""}, {"   ", true, "   "}, {"x", false, "x"}, {"\x01x\x1F", false, "x"},
        {"\xA0x", false, "\xA0x"},
    };
    for (const auto& c : trims) {
        UString s(c.in);
        EXPECT_EQ(c.out, Text(s.Trim(c.rightOnly))) << '"' << c.in << '"';
        ExpectSound(s);
    }
    UString none;
    EXPECT_EQ(nullptr, none.Trim().GetData());

    UString u("abc \xE9z1");
    EXPECT_EQ("ABC \xE9Z1", Text(u.MakeUpper()));

    const struct { const char* in; const char* out; long swaps; } reverses[] = {
        {"abcde", "edcba", 2}, {"abcd", "dcba", 2}, {"a", "a", 0}, {"", "", 0},
    };
    for (const auto& c : reverses) {
        UString s(c.in);
        EXPECT_EQ(c.swaps, s.Reverse()) << c.in;
        EXPECT_EQ(c.out, Text(s));
    }
}

TEST(UStringBuffer, ReplaceAllNeverRescansInsertedText)
{
    const struct { const char* s; const char* what; const char* with; const char* out; long n; } cases[] = {
        {"aa", "a", "aa", "aaaa", 2},
        {"aaa", "a", "aa", "aaaaaa", 3},
        {"a-b-c", "-", nullptr, "abc", 2},
        {"a-b-c", "-", "", "abc", 2},
        {"a-b-c", "-", "=>", "a=>b=>c", 2},
        {"abc", "abc", "abc", "abc", 1},
        {"aaaa", "aa", "a", "aa", 2},
        {"abc", "x", "y", "abc", 0},
        {"abc", "", "y", "abc", 0},
        {"abc", nullptr, "y", "abc", 0},
        {"", "a", "b", "", 0},
    };
    for (const auto& c : cases) {
        UString s(c.s);
        EXPECT_EQ(c.n, s.ReplaceAll(c.what, c.with)) << c.s;
        EXPECT_EQ(c.out, Text(s)) << c.s;
        ExpectSound(s);
    }
    UString gone("--");
    EXPECT_EQ(2, gone.ReplaceAll("-", nullptr));
    EXPECT_EQ(0, gone.GetLength());
}

// ---- Reading ------------------------------------------------------------------

TEST(UStringRead, HasTextCharAtToLong)
{
    EXPECT_FALSE(UString().HasText());
    EXPECT_TRUE(UString(" ").HasText());
    EXPECT_FALSE(UString(" \t ").HasText(true));
    EXPECT_TRUE(UString(" x ").HasText(true));

    UString s("abc");
    EXPECT_EQ(s.GetData() + 2, s.CharAt(2));
    EXPECT_EQ(s.GetData() + 100, s.CharAt(100)); // within the capacity
    EXPECT_EQ(s.GetData(), s.CharAt(128));
    EXPECT_EQ(s.GetData(), s.CharAt(-1));
    EXPECT_EQ(nullptr, UString().CharAt(0));

    EXPECT_EQ(42, UString(" 42x").ToLong());
    EXPECT_EQ(-3, UString("-3").ToLong());
    EXPECT_EQ(0, UString().ToLong());
}

TEST(UStringRead, MidAndCopyRange)
{
    const UString s("abcdef");
    const struct { long start, count; const char* out; } mids[] = {
        {1, 3, "bcd"}, {2, -1, "cdef"}, {4, 10, "ef"}, {0, 0, ""}, {6, 1, ""}, {9, -1, ""},
        {-2, 2, "ab"},
    };
    for (const auto& c : mids)
        EXPECT_EQ(c.out, Text(s.Mid(c.start, c.count))) << c.start << "," << c.count;

    const struct { long first, last; const char* out; long result; } ranges[] = {
        {1, 3, "bcd", 3}, {-4, 1, "ab", 2}, {2, -1, "cdef", 4}, {3, 2, "", 0}, {4, 1, "", -2},
        {6, -1, "", 0}, {4, 99, "ef", 2},
    };
    for (const auto& c : ranges) {
        UString out("previous");
        EXPECT_EQ(c.result, out.CopyRange(s, c.first, c.last)) << c.first << "," << c.last;
        EXPECT_EQ(c.out, Text(out)) << c.first << "," << c.last;
    }
    UString self("abcdef");
    self.CopyRange(self, 2, 3);
    EXPECT_EQ("cd", Text(self));
}

TEST(UStringRead, FindCountsFromStart)
{
    const UString s("abcb");
    const struct { const char* pattern; long start; bool matchCase; long result; } cases[] = {
        {"b", 0, true, 1}, {"b", 2, true, 1}, {"b", 3, true, 0}, {"b", 4, true, -2},
        {"b", -1, true, -2}, {"x", 0, true, -1}, {"", 0, true, -1}, {nullptr, 0, true, -1},
        {"B", 0, true, -1}, {"B", 2, false, 1}, {"CB", 0, false, 2}, {"cb", 0, true, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, s.Find(c.pattern, c.start, c.matchCase))
            << (c.pattern ? c.pattern : "(null)") << " from " << c.start;
    EXPECT_EQ(-1, UString().Find("a", 0));
}

TEST(UStringRead, ReverseFindGivesIndexFromTheBeginning)
{
    const UString s("abcb");
    EXPECT_EQ(3, s.ReverseFind("b"));
    EXPECT_EQ(2, s.ReverseFind("cb"));
    EXPECT_EQ(-1, s.ReverseFind("B"));
    EXPECT_EQ(3, s.ReverseFind("B", false));
    EXPECT_EQ(-1, s.ReverseFind("x"));
    EXPECT_EQ(-1, s.ReverseFind(""));
    EXPECT_EQ(1, UString("aaa").ReverseFind("aa"));
    EXPECT_EQ(-1, UString().ReverseFind("a"));
}

TEST(UStringRead, TokensBySeparatorText)
{
    const struct { const char* s; const char* sep; long n; bool ok; const char* out; } cases[] = {
        {"a;;b", ";", 0, true, "a"}, {"a;;b", ";", 1, true, ""}, {"a;;b", ";", 2, true, "b"},
        {"a;;b", ";", 3, false, ""}, {"a;b;", ";", 2, true, ""}, {"a;b;", ";", 3, false, ""},
        {"a::b::c", "::", 2, true, "c"}, {"abc", ";", 0, true, "abc"}, {"abc", ";", 1, false, ""},
        {";x", ";", 0, true, ""}, {"abc", "", 0, false, ""}, {"abc", nullptr, 0, false, ""},
        {"abc", ";", -1, false, ""}, {"", ";", 0, false, ""},
    };
    for (const auto& c : cases) {
        UString out("previous");
        EXPECT_EQ(c.ok, UString(c.s).GetToken(c.n, c.sep, out)) << c.s << " #" << c.n;
        EXPECT_EQ(c.out, Text(out)) << c.s << " #" << c.n;
        EXPECT_EQ(c.out, Text(UString(c.s).Token(c.n, c.sep))) << c.s << " #" << c.n;
    }
    UString self("x|y|z");
    EXPECT_TRUE(self.GetToken(1, "|", self));
    EXPECT_EQ("y", Text(self));
}

TEST(UStringRead, IsEqualComparesPrefixesOrWholes)
{
    const struct { const char* s; const char* pattern; long n; bool matchCase; bool result; } cases[] = {
        {"Abc", "ab", 2, false, true},
        {"Abc", "ab", 2, true, false},
        {"abc", "ab", 2, true, true},
        {"Abc", "   ", 2, false, false},
        {"Abc", "", -1, true, false},
        {"abc", "abc", -1, true, true},
        {"abc", "ABC", -1, false, true},
        {"abc", "ab", -1, true, false},
        {"abc", "ab", -1, false, false},
        {"ab", "abc", -1, false, false},
        {"abc", "abc", 0, true, false},
        {"abc", "abd", 2, true, true},
        {"abc", "abd", 2, false, false}, // the pattern is taken whole without case
        {"ab", "AB", 5, false, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, UString(c.s).IsEqual(c.pattern, c.n, c.matchCase))
            << c.s << " ~ " << c.pattern << " n=" << c.n << " case=" << c.matchCase;
    EXPECT_FALSE(UString().IsEqual("a"));
    EXPECT_FALSE(UString("a").IsEqual(nullptr));
}

// ---- UWString -------------------------------------------------------------------

TEST(UWStringForms, SetGivesBothForms)
{
    UWString s;
    EXPECT_FALSE(s.HasA());
    EXPECT_FALSE(s.HasW());
    s.SetA("caf\xE9");
    EXPECT_STREQ("caf\xE9", s.GetA());
    EXPECT_STREQ(L"caf\u00E9", s.GetW());

    s.SetW(L"na\u00EFve");
    EXPECT_STREQ("na\xEFve", s.GetA());
    EXPECT_STREQ(L"na\u00EFve", s.GetW());

    UWString w(L"wide");
    EXPECT_STREQ("wide", w.GetA());

    s.SetA(nullptr);
    EXPECT_FALSE(s.HasA());
    EXPECT_FALSE(s.HasW());
    EXPECT_STREQ("", s.GetA());
    EXPECT_STREQ(L"", s.GetW());

    s.SetA("self");
    s.SetA(s.GetA()); // its own text
    EXPECT_STREQ("self", s.GetA());
    s.SetW(s.GetW());
    EXPECT_STREQ(L"self", s.GetW());
}

TEST(UWStringForms, CopyKeepsOnlyTheWideForm)
{
    UWString a;
    a.SetA("text");
    UWString b;
    b = a;
    EXPECT_TRUE(b.HasW());
    EXPECT_FALSE(b.HasA());
    EXPECT_STREQ(L"text", b.GetW());
    EXPECT_STREQ("", b.GetA());

    UWString c(a);
    EXPECT_STREQ(L"text", c.GetW());
    EXPECT_FALSE(c.HasA());

    b = b;
    EXPECT_STREQ(L"text", b.GetW());

    UWString empty;
    b = empty;
    EXPECT_FALSE(b.HasW());
    EXPECT_FALSE(b.HasA());
}

TEST(UWStringForms, AppendKeepsOnlyTheWideForm)
{
    UWString s;
    s.SetA("ab");
    s.AppendA("c\xE9");
    EXPECT_FALSE(s.HasA());
    EXPECT_STREQ(L"abc\u00E9", s.GetW());
    s.AppendW(L"\u20AC");
    EXPECT_STREQ(L"abc\u00E9\u20AC", s.GetW());

    s.AppendA("");
    s.AppendA(nullptr);
    s.AppendW(L"");
    s.AppendW(nullptr);
    EXPECT_STREQ(L"abc\u00E9\u20AC", s.GetW());

    s.AppendW(s.GetW()); // its own text
    EXPECT_STREQ(L"abc\u00E9\u20ACabc\u00E9\u20AC", s.GetW());

    UWString fresh;
    fresh.AppendW(L"x");
    EXPECT_STREQ(L"x", fresh.GetW());
    EXPECT_FALSE(fresh.HasA());
}

} // namespace
