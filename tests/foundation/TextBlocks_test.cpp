#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <string>

#include "foundation/DProps.h"
#include "foundation/TextBlocks.h"
#include "foundation/UString.h"

namespace {

// The tokens of a list joined by "|", so a whole split compares at once.
std::wstring Joined(const UWStringList& list)
{
    std::wstring out;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            out += L"|";
        out += list[i].GetW();
    }
    return out;
}

UWStringList Separators(std::initializer_list<const wchar_t*> texts)
{
    UWStringList list;
    for (const wchar_t* t : texts)
        list.emplace_back(t);
    return list;
}

const char kThree[] =
    "<!--block:#solution-->\r\nname=p\r\n<!--#solution:block-->\r\n"
    "<!--block:Steel-->\r\nk=1\r\n<!--Steel:block-->\r\n"
    "<!--block:Wood-->\r\nk=2\r\n<!--Wood:block-->\r\n";

// ---- Named blocks ---------------------------------------------------------------

TEST(BlockWrap, FramesTheTextWithBothMarkers)
{
    EXPECT_EQ("<!--block:#solution-->\r\nk=v\r\n<!--#solution:block-->\r\n", BlockWrap("k=v\r\n", "#solution"));
    EXPECT_EQ("<!--block:m-->\r\n<!--m:block-->\r\n", BlockWrap(nullptr, "m"));
    EXPECT_EQ("", BlockWrap("k=v\r\n", ""));
    EXPECT_EQ("", BlockWrap("k=v\r\n", nullptr));
}

TEST(BlockExtract, GivesTheContentBetweenTheMarkers)
{
    const std::string wrapped = BlockWrap("k=v\r\n", "#solution");
    EXPECT_EQ("\r\nk=v\r\n", BlockExtract(wrapped.c_str(), "#solution"));
    EXPECT_EQ("\r\nk=2\r\n", BlockExtract(kThree, "Wood"));
    EXPECT_EQ("", BlockExtract(kThree, "wood")); // names are case-sensitive
    EXPECT_EQ("", BlockExtract(kThree, ""));
    EXPECT_EQ("", BlockExtract(nullptr, "Wood"));
    EXPECT_EQ("", BlockExtract("", "Wood"));
    // Without its end marker the content runs to the end of the text.
    EXPECT_EQ("\r\nk=1\r\ntail", BlockExtract("<!--block:a-->\r\nk=1\r\ntail", "a"));
}

TEST(BlockEnumerate, WalksTheBlocksInOrder)
{
    const char* names[] = {"#solution", "Steel", "Wood"};
    const char* contents[] = {"\r\nname=p\r\n", "\r\nk=1\r\n", "\r\nk=2\r\n"};
    for (int n = 0; n < 3; ++n) {
        std::string content, name;
        ASSERT_TRUE(BlockEnumerate(kThree, n, content, &name)) << n;
        EXPECT_EQ(names[n], name);
        EXPECT_EQ(contents[n], content);
    }
    std::string content = "stale";
    EXPECT_FALSE(BlockEnumerate(kThree, 3, content));
    EXPECT_EQ("", content);
    EXPECT_FALSE(BlockEnumerate(kThree, -1, content));
    EXPECT_FALSE(BlockEnumerate(nullptr, 0, content));
    EXPECT_FALSE(BlockEnumerate("", 0, content));
}

TEST(BlockEnumerate, TextWithoutMarkersIsOneAnonymousBlock)
{
    std::string content, name = "kept";
    ASSERT_TRUE(BlockEnumerate("k=v\r\n", 0, content, &name));
    EXPECT_EQ("k=v\r\n", content);
    EXPECT_EQ("kept", name);
    EXPECT_FALSE(BlockEnumerate("k=v\r\n", 1, content, &name));
}

TEST(BlockEnumerate, MissingEndMarkerEndsTheWalkAtThatBlock)
{
    const char text[] = "<!--block:a-->\r\nx=1\r\n<!--block:b-->\r\ny=2\r\n<!--b:block-->\r\n";
    std::string content, name;
    ASSERT_TRUE(BlockEnumerate(text, 0, content, &name));
    EXPECT_EQ("a", name);
    EXPECT_EQ("\r\nx=1\r\n<!--block:b-->\r\ny=2\r\n<!--b:block-->\r\n", content);
    EXPECT_FALSE(BlockEnumerate(text, 1, content, &name));
}

TEST(BlockEnumerate, StartMarkerWithoutCloseFails)
{
    std::string content;
    EXPECT_FALSE(BlockEnumerate("<!--block:broken\r\nk=v\r\n", 0, content));
}

TEST(BlockEnumerate, StartMarkerInsideContentIsNotABlock)
{
    const std::string text = BlockWrap("note=<!--block:inner-->\r\n", "outer") + BlockWrap("k=1\r\n", "next");
    std::string content, name;
    ASSERT_TRUE(BlockEnumerate(text.c_str(), 1, content, &name));
    EXPECT_EQ("next", name);
    EXPECT_EQ("\r\nk=1\r\n", content);
    EXPECT_FALSE(BlockEnumerate(text.c_str(), 2, content, &name));
}

// ---- Character references -----------------------------------------------------------

struct RefCase {
    const char* text;
    const wchar_t* wide;
};

const RefCase kRefs[] = {
    {"x&#66;z", L"xBz"},
    {"&#1041;", L"\x0411"},
    {"x&#0;y", L"xy"},
    {"x&#ab;y", L"xy"},
    {"x&#66", L"xB"},
    {"&# 66;&#+67;", L"BC"},
    {"&#65601;", L"A"},  // 65536 + 65: only the low 16 bits count
    {"&#65536;", L""},   // low 16 bits zero: nothing
    {"a & b; c", L"a & b; c"},
    {"", L""},
};

TEST(DecodeCharRefs, ReplacesDecimalReferences)
{
    for (const RefCase& c : kRefs) {
        SCOPED_TRACE(c.text);
        UWString decoded = DecodeCharRefs(c.text);
        EXPECT_STREQ(c.wide, decoded.GetW());
        const std::wstring widened(c.text, c.text + strlen(c.text));
        UWString wide = DecodeCharRefsW(widened.c_str());
        EXPECT_STREQ(c.wide, wide.GetW());
    }
    EXPECT_STREQ(L"", DecodeCharRefs(nullptr).GetW());
    EXPECT_STREQ(L"", DecodeCharRefsW(nullptr).GetW());
}

TEST(DecodeCharRefs, KeepsBothFormsAndConvertsTheAnsiText)
{
    UWString decoded = DecodeCharRefs("caf\xE9 &#233;");
    EXPECT_STREQ(L"caf\xE9 \xE9", decoded.GetW());
    EXPECT_STREQ("caf\xE9 \xE9", decoded.GetA());
    UWString plain = DecodeCharRefs("caf\xE9");
    EXPECT_STREQ(L"caf\xE9", plain.GetW());
    EXPECT_STREQ("caf\xE9", plain.GetA());
}

// ---- HTML ---------------------------------------------------------------------------

TEST(HtmlEscape, EscapesInOrderWithoutEscapingItsOwnEntities)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a>=b & c", "a&ge;b &amp; c"},
        {"a<=b", "a&le;b"},
        {"<p>", "&lt;p&gt;"},
        {"x\r\ny", "x<br>y"},
        {"x\ry\nz", "x\ry\nz"},
        {"\t", "&nbsp;&nbsp;&nbsp;&nbsp;"},
        {"&lt;", "&amp;lt;"},
        {"<=>", "&le;&gt;"},
    };
    for (const auto& c : cases) {
        UString s(c.in);
        const char* result = HtmlEscape(s);
        EXPECT_STREQ(c.out, result) << c.in;
        EXPECT_EQ(s.GetText(), result);
    }
}

TEST(ColorToHtml, WritesRedGreenBlue)
{
    EXPECT_EQ("#0A00FF", ColorToHtml(RGB(10, 0, 255)));
    EXPECT_EQ("#C8BFE7", ColorToHtml(0xE7BFC8));
    EXPECT_EQ("#000000", ColorToHtml(0));
}

// ---- Display texts --------------------------------------------------------------------

TEST(TextShorten, CutsAtTwentyBytes)
{
    EXPECT_EQ("", TextShorten(nullptr));
    EXPECT_EQ("", TextShorten(""));
    EXPECT_EQ("abcdefghijklmnopqrs", TextShorten("abcdefghijklmnopqrs"));
    EXPECT_EQ("abcdefghijklmnopq...", TextShorten("abcdefghijklmnopqrst"));
    EXPECT_EQ("abcdefghijklmnopq...", TextShorten("abcdefghijklmnopqrstuvwxyz"));
}

TEST(TextDuration, ShowsOnlyTheLeadingUnitsThatAreNeeded)
{
    const struct {
        long seconds;
        const char* text;
    } cases[] = {
        {3725, "1 h 02 m 05 s"}, {59, "59 s"}, {60, "1 m 00 s"},
        {3600, "1 h 00 m 00 s"}, {0, "0 s"},   {90061, "25 h 01 m 01 s"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, TextDuration(c.seconds)) << c.seconds;
}

TEST(TextDuration, CallerWordsReplaceTheDefaults)
{
    DProps words;
    words.Set("hrs", "Std");
    words.Set("secs", "sec");
    EXPECT_EQ("1 Std 02 m 05 sec", TextDuration(3725, &words));
}

// ---- Tokenisers -------------------------------------------------------------------------

TEST(TextSplitWords, PutsABlankTokenAfterEachPieceABlankEnds)
{
    const struct {
        const wchar_t* text;
        const wchar_t* tokens;
        int count;
    } cases[] = {
        {L"a  b", L"a| || |b", 5},
        {L" a", L"| |a", 3},
        {L"a ", L"a| ", 2},
        {L"one", L"one", 1},
    };
    for (const auto& c : cases) {
        UWStringList list;
        EXPECT_EQ(c.count, TextSplitWords(c.text, list));
        EXPECT_EQ(c.tokens, Joined(list));
    }
    UWStringList list = Separators({L"old"});
    EXPECT_EQ(1, TextSplitWords(L"", list));
    EXPECT_EQ(4, TextSplitWords(L"x y", list));
    EXPECT_EQ(L"old|x| |y", Joined(list));
}

TEST(TextFindFirstOf, PicksTheEarliestSeparator)
{
    int position = 0;
    EXPECT_EQ(1, TextFindFirstOf(L"a;b,c", Separators({L",", L";"}), &position));
    EXPECT_EQ(1, position);
    // Equal positions: the earlier separator of the list wins.
    EXPECT_EQ(0, TextFindFirstOf(L"xab", Separators({L"ab", L"a"}), &position));
    EXPECT_EQ(1, position);
    EXPECT_EQ(-1, TextFindFirstOf(L"abc", Separators({L",", L";"}), &position));
    EXPECT_EQ(INT_MAX, position);
    EXPECT_EQ(-1, TextFindFirstOf(L"abc", UWStringList(), nullptr));
}

TEST(TextSplitAtAny, KeepsPiecesAndSeparators)
{
    const UWStringList seps = Separators({L",", L";;"});
    const struct {
        const wchar_t* text;
        const wchar_t* tokens;
    } cases[] = {
        {L"a,b;;c", L"a|,|b|;;|c"},
        {L",a", L"|,|a"},
        {L"a,", L"a|,"},
        {L"plain", L"plain"},
    };
    for (const auto& c : cases) {
        UWStringList list;
        int count = TextSplitAtAny(c.text, list, seps);
        EXPECT_EQ(c.tokens, Joined(list)) << c.text;
        EXPECT_EQ(static_cast<int>(list.size()), count);
    }
    UWStringList list = Separators({L"old"});
    EXPECT_EQ(1, TextSplitAtAny(L"", list, seps));
    EXPECT_EQ(4, TextSplitAtAny(L"x,y", list, seps));
}

TEST(TextSplitControls, CutsAtEveryControlCharacter)
{
    UWStringList list = Separators({L"old"});
    EXPECT_EQ(5, TextSplitControls(list, L"ab\tc\r\n"));
    EXPECT_EQ(L"ab|\t|c|\r|\n", Joined(list));
    EXPECT_EQ(3, TextSplitControls(list, L"\x01x\x02"));
    EXPECT_EQ(L"\x01|x|\x02", Joined(list));
    // An empty text leaves the list alone.
    EXPECT_EQ(0, TextSplitControls(list, L""));
    EXPECT_EQ(0, TextSplitControls(list, nullptr));
    EXPECT_EQ(3u, list.size());
}

}  // namespace
