#include "foundation/StrList.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(const UStringList& list)
{
    std::vector<std::string> out;
    for (const UString& item : list)
        out.push_back(item.GetText());
    return out;
}

// Number text under a chosen decimal separator: the numeric locale and the
// configured separator change together, as the settings change them.
class NumberText : public ::testing::Test
{
protected:
    void UseComma()
    {
        ASSERT_NE(nullptr, setlocale(LC_NUMERIC, "French_Canada.1252"));
        NumSetSeparator(",");
    }
    void TearDown() override
    {
        setlocale(LC_NUMERIC, "C");
        NumSetSeparator(".");
    }
};

} // namespace

// ---- UStringList --------------------------------------------------------------------

TEST(UStringList, BuildStopsAtTheFirstNullOrEmptyText)
{
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Texts(UStringList::Build("a", "b", nullptr)));
    EXPECT_EQ((std::vector<std::string>{"a"}), Texts(UStringList::Build("a", "", "b", nullptr)));
    EXPECT_TRUE(UStringList::Build(nullptr, nullptr).empty());
    EXPECT_TRUE(UStringList::Build("", "a", nullptr).empty());
}

TEST(UStringList, AtAddAndRemove)
{
    UStringList list = UStringList::Build("a", "b", nullptr);
    EXPECT_STREQ("b", UStringList::At(&list, 1).GetText());
    EXPECT_STREQ("", UStringList::At(&list, 2).GetText());
    EXPECT_STREQ("", UStringList::At(&list, -1).GetText());
    EXPECT_STREQ("", UStringList::At(nullptr, 0).GetText());

    EXPECT_EQ(3, UStringList::Add(&list, "c"));
    EXPECT_EQ(-1, UStringList::Add(nullptr, "c"));

    EXPECT_EQ(0, UStringList::RemoveAt(&list, 3)); // index == count
    EXPECT_EQ(0, UStringList::RemoveAt(&list, -1));
    EXPECT_EQ(3, list.Count());
    EXPECT_EQ(2, UStringList::RemoveAt(&list, 0));
    EXPECT_EQ((std::vector<std::string>{"b", "c"}), Texts(list));
    EXPECT_EQ(0, UStringList::RemoveAt(nullptr, 0));
    UStringList empty;
    EXPECT_EQ(0, UStringList::RemoveAt(&empty, 0));
}

TEST(UStringList, FindMatchesWholeItems)
{
    UStringList list = UStringList::Build("   ", "Printer", "printer 2", nullptr);
    struct Case { const char* text; bool matchCase; long expected; };
    const Case cases[] = {
        {"Printer", true, 1},
        {"printer", true, -1},
        {"printer", false, 1},
        {"PRINTER 2", false, 2},
        {"Print", false, -1},    // a prefix is no match
        {"   ", true, -1},       // a blank text finds nothing, not even a blank item
        {"", false, -1},
        {nullptr, false, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, UStringList::Find(c.text, &list, c.matchCase)) << (c.text ? c.text : "null");
    EXPECT_EQ(-1, UStringList::Find("Printer", nullptr, true));
    UStringList empty;
    EXPECT_EQ(-1, UStringList::Find("Printer", &empty, true));
}

TEST(UStringList, JoinPutsSeparatorsAfterText)
{
    UStringList aEmptyB = UStringList::Build("a", nullptr);
    aEmptyB.emplace_back("");
    aEmptyB.emplace_back("b");
    EXPECT_STREQ("a, , b", UStringList::Join(&aEmptyB, false).GetText());
    EXPECT_STREQ("a||b", UStringList::Join(&aEmptyB, false, "|").GetText());

    UStringList emptyB;
    emptyB.emplace_back("");
    emptyB.emplace_back("b");
    EXPECT_STREQ("b", UStringList::Join(&emptyB, false).GetText());
    EXPECT_STREQ("\"\", \"b\"", UStringList::Join(&emptyB, true).GetText());

    UStringList printers = UStringList::Build("HP 1", "Canon", nullptr);
    EXPECT_STREQ("\"HP 1\", \"Canon\"", UStringList::Join(&printers, true).GetText());
    EXPECT_STREQ("", UStringList::Join(nullptr, true).GetText());
}

TEST(UStringList, JoinLeavesOutWhatWouldPassTheLimit)
{
    // A piece that would carry the text past the longest a string holds is
    // left out, whatever comes after it.
    UStringList list;
    list.emplace_back(std::string(static_cast<size_t>(UString::MaxText) - 2, 'x').c_str());
    list.emplace_back("abc");
    list.emplace_back("d");
    const UString joined = UStringList::Join(&list, false);
    EXPECT_EQ(UString::MaxText, joined.GetLength());
    EXPECT_EQ(std::string(static_cast<size_t>(UString::MaxText) - 2, 'x') + ", ", std::string(joined.GetText()));
}

TEST(UStringList, UnquoteDropsOnePairOfQuotes)
{
    UStringList list = UStringList::Build("\"HP 1\"", "\"", "\"open", "plain", "\"\"x\"\"", nullptr);
    EXPECT_TRUE(UStringList::Unquote(&list));
    EXPECT_EQ((std::vector<std::string>{"HP 1", "", "\"open", "plain", "\"x\""}), Texts(list));
    EXPECT_FALSE(UStringList::Unquote(nullptr));
}

TEST(UStringList, SplitKeepsEmptyTokens)
{
    UStringList list;
    EXPECT_EQ(4, UStringList::Split(&list, "a|b||c", "|", true, false));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "", "c"}), Texts(list));

    EXPECT_EQ(0, UStringList::Split(&list, "   ", "|", true, false)); // not even cleared
    EXPECT_EQ(4, list.Count());

    EXPECT_EQ(3, UStringList::Split(&list, " x , y ,", ",", false, true));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "", "c", "x", "y", ""}), Texts(list));

    EXPECT_EQ(2, UStringList::Split(&list, "\"HP 1\", \"Canon\"", ",", true, true));
    EXPECT_EQ((std::vector<std::string>{"\"HP 1\"", "\"Canon\""}), Texts(list));
    EXPECT_EQ(0, UStringList::Split(nullptr, "a", ",", true, true));
}

TEST(UStringList, SplitGivesTheTokensOfGetToken)
{
    const char* texts[] = {"a", "a|b", "a|b|", "|a", "||", "a::b::", "::", " x | y ", "ab::"};
    for (const char* text : texts) {
        for (const char* separator : {"|", "::", ""}) {
            for (bool trim : {false, true}) {
                std::vector<std::string> expected;
                UString token;
                for (long n = 0; UString(text).GetToken(n, separator, token); ++n) {
                    if (trim)
                        token.Trim();
                    expected.push_back(token.GetText());
                }
                UStringList list;
                EXPECT_EQ(static_cast<long>(expected.size()), UStringList::Split(&list, text, separator, true, trim))
                    << text << " by " << separator;
                EXPECT_EQ(expected, Texts(list)) << text << " by " << separator;
            }
        }
    }
}

// ---- Number text ------------------------------------------------------------------

TEST_F(NumberText, CutZerosWithADot)
{
    struct Case { const char* in; bool dropTail; const char* out; };
    const Case cases[] = {
        {"12.500", false, "12.5"},
        {"12.000", true, "12"},
        {"12.000", false, "12.0"},
        {"100", true, "100"},        // no separator: integer zeros stay
        {"0.0", true, "0"},
        {"10.", true, "10"},
        {".0", true, ".0"},          // two characters are left alone
        {"5", true, "5"},
        {"-0.50", true, "-0.5"},
        {"12,50", true, "12,50"},    // a comma is not the separator now
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        EXPECT_EQ(c.out, NumCutZeros(text, c.dropTail)) << c.in;
        char buffer[32];
        strcpy(buffer, c.in);
        EXPECT_STREQ(c.out, NumCutZeros(buffer, c.dropTail)) << c.in;
    }
    EXPECT_EQ(nullptr, NumCutZeros(static_cast<char*>(nullptr), true));
}

TEST_F(NumberText, CutZerosWithAComma)
{
    UseComma();
    std::string dotted = "12.50", comma = "12,50", whole = "6000,000";
    EXPECT_EQ("12.50", NumCutZeros(dotted, true));
    EXPECT_EQ("12,5", NumCutZeros(comma, true));
    EXPECT_EQ("6000", NumCutZeros(whole, true));
}

TEST_F(NumberText, EmptySeparatorCutsNothing)
{
    NumSetSeparator("");
    std::string text = "100";
    EXPECT_EQ("100", NumCutZeros(text, true));
    std::string dotted = "1.5";
    EXPECT_EQ("1.5", NumUseSeparator(dotted, true));
}

TEST_F(NumberText, UseSeparator)
{
    std::string length = "6000.00000", price = "12,50000";
    EXPECT_EQ("6000", NumUseSeparator(length, true));
    EXPECT_EQ("12.50000", NumUseSeparator(price, false));
    UseComma();
    std::string cost = "1.5", knife = "3.0";
    EXPECT_EQ("1,5", NumUseSeparator(cost, false));
    EXPECT_EQ("3", NumUseSeparator(knife, true));
}

TEST_F(NumberText, GroupThousands)
{
    struct Case { const char* in; const char* out; const char* cut; };
    const Case cases[] = {
        {"10000", "10 000", "10000"},
        {"-12000", "-12000", "-12000"},
        {"9999", "9999", "9999"},
        {"1234567", "1 234 567", "1234567"},
        {"12345.500", "12 345.5", "12345.5"},
        {"100000.000", "100 000", "100000"},
        {"", "0", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        EXPECT_EQ(c.out, NumGroupThousands(text)) << c.in;
        EXPECT_EQ(c.cut, text) << c.in; // the caller's text is cut in place
    }
    UseComma();
    std::string comma = "1234567,50";
    EXPECT_EQ("1 234 567,5", NumGroupThousands(comma));
}

TEST_F(NumberText, ToTextFollowsTheNumericLocale)
{
    EXPECT_EQ("3.14", NumToText(2, false, 3.14159));
    EXPECT_EQ("2.50", NumToText(2, false, 2.5));
    EXPECT_EQ("2.5", NumToText(2, true, 2.5));
    EXPECT_EQ("2", NumToText(3, true, 2.0));
    EXPECT_EQ("1200", NumToText(0, false, 1200.0));
    // Far wider than the 256 bytes a fixed buffer would give.
    std::string huge = NumToText(2, false, 1e300);
    EXPECT_EQ(304u, huge.size());
    EXPECT_EQ(".00", huge.substr(301));
    UseComma();
    EXPECT_EQ("1,50", NumToText(2, false, 1.5));
    EXPECT_EQ("1,5", NumToText(2, true, 1.5));
}

TEST_F(NumberText, CompactSqueezesBlanksOutOfNumbers)
{
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"  12 500,5 ", "12500,5"},
        {" -1 000 ", "-1000"},
        {"+ 3", "+3"},
        {"12 mm", "12 mm"},
        {"12\t500", "12\t500"},
        {"", ""},
        {nullptr, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, NumCompact(c.in)) << (c.in ? c.in : "null");
}

TEST(NumIsPlain, TakesOnlyWhatReadsAsTheNumberWritten)
{
    struct Case { const char* in; bool integer; const char* marks; bool plain; };
    const Case cases[] = {
        {"6100", true, nullptr, true},
        {" -12 ", true, nullptr, true},
        {"+5", true, nullptr, true},
        {"2.5", true, nullptr, false},      // a quantity is whole
        {"2pcs", true, nullptr, false},
        {"12mm", false, nullptr, false},
        {"1250.5", false, nullptr, true},
        {".5", false, nullptr, true},
        {"1,250.5", false, ".,", false},     // two marks: no number of either notation
        {"1.250.5", false, ".,", false},
        {"1250,5", false, ".,", true},
        {"1250,5", false, nullptr, false},   // the C locale's point is "."
        {"1 200", false, nullptr, false},   // blanks inside are for NumCompact
        {"1e3", false, nullptr, false},
        {"-", true, nullptr, false},
        {"", false, nullptr, false},
        {nullptr, false, nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.plain, NumIsPlain(c.in, c.integer, c.marks)) << (c.in ? c.in : "null");
}

TEST(NumParse, DigitsFromTheRight)
{
    struct Case { const char* in; int32_t out; };
    const Case cases[] = {
        {"0x1F", 31}, {"#10", 16}, {"12", 12}, {"12px", 0}, {"x12", 12},
        {"-5", 5}, {"0xff", 255}, {"zz", 0}, {"#zz", 0}, {"0x", 0},
        {"0xFFFFFFFF", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, NumParse(c.in, -7)) << c.in;
    EXPECT_EQ(-7, NumParse("", -7));
    EXPECT_EQ(-7, NumParse(nullptr, -7));
}

TEST(NumParseColor, HashIsRgbZeroXIsAsStored)
{
    struct Case { const char* in; uint32_t out; };
    const Case cases[] = {
        {"#0000FF", 0xFF0000u},  // pure blue
        {"255", 0x0000FFu},      // pure red
        {"#FF8000", 0x0080FFu},  // red 255, green 128, blue 0
        {"0x00E7BFC8", 0xE7BFC8u},
        {" #FF0000 ", 0x0000FFu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, NumParseColor(c.in, 0x123456u)) << c.in;
    EXPECT_EQ(0x123456u, NumParseColor("   ", 0x123456u));
    EXPECT_EQ(0x123456u, NumParseColor(nullptr, 0x123456u));
}

TEST(PathSegment, NthSegment)
{
    char buffer[1024];
    struct Case { const char* text; long n; const char* out; };
    const Case cases[] = {
        {"a/b/c", 0, "a"}, {"a/b/c", 1, "b"}, {"a/b/c", 2, "c"}, {"a/b/c", 3, ""},
        {"a/b/c", -1, ""}, {"/x", 0, ""}, {"/x", 1, "x"}, {"plain", 0, "plain"},
        {nullptr, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.out, PathSegment(c.text, c.n, buffer)) << (c.text ? c.text : "null") << " " << c.n;

    std::string longPath = std::string(3000, 'x') + "/y";
    EXPECT_EQ(std::string(1023, 'x'), PathSegment(longPath.c_str(), 0, buffer));
    EXPECT_STREQ("y", PathSegment(longPath.c_str(), 1, nullptr));
}
