#include "foundation/StrUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// ---- Tolerance, rounding and arithmetic -------------------------------------

TEST(StrUtilTolerance, ComparisonsAreStrictAtTheBound)
{
    EXPECT_TRUE(NumEqual(1.0, 1.0 + 0.5e-7, Tolerance));
    EXPECT_FALSE(NumEqual(1.0, 1.0 + 2e-7, Tolerance));
    EXPECT_FALSE(NumEqual(0.0, 1e-7)); // strict: a difference of exactly the tolerance is not equal
    EXPECT_TRUE(IsNearZero(-0.9e-7));
    EXPECT_FALSE(IsNearZero(1e-7));
    EXPECT_TRUE(IsNearZero(0.05, 0.1));

    EXPECT_TRUE(IsAtLeast(2.0, 1.0));
    EXPECT_TRUE(IsAtLeast(1.0 - 0.5e-7, 1.0)); // just below, but within the tolerance
    EXPECT_FALSE(IsAtLeast(1.0 - 2e-7, 1.0));
    EXPECT_FALSE(IsAtLeast(0.5, 1.0, 0.5));
    EXPECT_TRUE(IsAtLeast(0.6, 1.0, 0.5));
}

TEST(StrUtilTolerance, SafeDivideTreatsTinyDivisorsAsZero)
{
    EXPECT_EQ(0.0, SafeDivide(1.0, 1e-8));
    EXPECT_EQ(0.0, SafeDivide(1.0, -1e-8));
    EXPECT_EQ(0.0, SafeDivide(1.0, 0.0));
    EXPECT_DOUBLE_EQ(1e7, SafeDivide(1.0, 1e-7));
    EXPECT_DOUBLE_EQ(-1e7, SafeDivide(1.0, -1e-7));
    EXPECT_DOUBLE_EQ(2.5, SafeDivide(5.0, 2.0));

    EXPECT_EQ(0.0, SafeDivide(5L, 0L));
    EXPECT_DOUBLE_EQ(2.5, SafeDivide(5L, 2L)); // longs divide as doubles, not truncated
    EXPECT_EQ(0.0, SafeDivide(5, 0));
    EXPECT_DOUBLE_EQ(2.5, SafeDivide(5, 2));
    EXPECT_EQ(0.0, SafeDivide(5L, 1e-9)); // mixed arguments divide as doubles
}

TEST(StrUtilTolerance, RoundToLongRoundsHalvesAwayFromZero)
{
    const struct { double x; long expected; } cases[] = {
        {2.5, 3}, {-2.5, -3}, {-0.5, -1}, {0.49, 0}, {-0.49, 0}, {0.5, 1},
        {1.4999, 1}, {-1.5, -2}, {0.0, 0}, {123456.5, 123457},
        {1e12, LONG_MAX}, {-1e12, LONG_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, RoundToLong(c.x)) << c.x;
}

TEST(StrUtilTolerance, MakePercentagesLetsTheLastValueTakeTheRest)
{
    const struct { std::vector<long> in, out; } cases[] = {
        {{1, 1, 1}, {33, 33, 34}},
        {{7}, {100}},
        {{0}, {100}},
        {{0, 0, 0}, {0, 0, 100}},
        {{1, 3}, {25, 75}},
        {{2, 1}, {67, 33}},
        {{1, 1, 1, 1, 1, 1}, {17, 17, 17, 17, 17, 15}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        std::vector<long> v = c.in;
        MakePercentages(v);
        EXPECT_EQ(c.out, v);
    }
}

// ---- Numbers to text and back -----------------------------------------------

TEST(StrUtilNumbers, IntegersToText)
{
    EXPECT_EQ("0", StrFromLong(0));
    EXPECT_EQ("-42", StrFromLong(-42));
    EXPECT_EQ("-2147483648", StrFromLong(LONG_MIN));
    EXPECT_EQ("2147483647", StrFromLong(LONG_MAX));
    EXPECT_EQ("0", StrFromUInt64(0));
    EXPECT_EQ("4294967296", StrFromUInt64(4294967296ULL));
    EXPECT_EQ("18446744073709551615", StrFromUInt64(~0ULL));
}

TEST(StrUtilNumbers, StrFromDoubleNeverCutsTheText)
{
    EXPECT_EQ("1.50000", StrFromDouble(1.5));
    EXPECT_EQ("-0.125", StrFromDouble(-0.125, "%.3f"));
    EXPECT_EQ("", StrFromDouble(1.5, nullptr));

    // Far more than a 64-byte buffer holds: 301 digits, the point, 5 decimals.
    const std::string huge = StrFromDouble(1e300);
    ASSERT_EQ(307u, huge.size());
    EXPECT_EQ('1', huge[0]);
    EXPECT_EQ(".00000", huge.substr(301));
    EXPECT_EQ(std::string::npos, huge.find_first_not_of("0123456789.")) << huge;
}

TEST(StrUtilNumbers, StrFromDoubleCompactKeepsOneDecimal)
{
    const struct { double x; const char* expected; } cases[] = {
        {2.5, "2.5"}, {3.0, "3.0"}, {0.125, "0.125"}, {10.0, "10.0"}, {0.1, "0.1"},
        {0.0, "0.0"}, {-4.0, "-4.0"}, {100.0, "100.0"}, {1.000001, "1.000001"},
        {1234.5678, "1234.5678"}, {0.0000001, "0.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, StrFromDoubleCompact(c.x)) << c.x;
}

TEST(StrUtilNumbers, StrToPointerReadsWhatStrFromPointerWrote)
{
    int local = 0;
    EXPECT_EQ(static_cast<void*>(&local), StrToPointer(StrFromPointer(&local).c_str()));
    EXPECT_EQ(reinterpret_cast<void*>(0xABCDEF), StrToPointer("00abcdef"));
    EXPECT_EQ(nullptr, StrToPointer(nullptr));
    EXPECT_EQ(nullptr, StrToPointer(""));
    EXPECT_EQ(nullptr, StrToPointer("zz"));
}

TEST(StrUtilNumbers, StrFromPointerIsUpperCaseDigitsAsManyAsAPointerHolds)
{
    const std::string zeros(sizeof(void*) * 2 - 8, '0');
    EXPECT_EQ(zeros + "00ABCDEF", StrFromPointer(reinterpret_cast<void*>(0xABCDEF)));
    EXPECT_EQ(zeros + "DEADBEEF", StrFromPointer(reinterpret_cast<void*>(0xDEADBEEF)));
    EXPECT_EQ(zeros + "00000000", StrFromPointer(nullptr));
    int local = 0;
    const std::string own = StrFromPointer(&local);
    EXPECT_EQ(sizeof(void*) * 2, own.size());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&local), strtoull(own.c_str(), nullptr, 16));
}

TEST(StrUtilNumbers, TextToNumbers)
{
    const struct { const char* text; long value; } longs[] = {
        {"42", 42}, {"  42abc", 42}, {"-7", -7}, {"+8", 8}, {"abc", 0}, {"", 0}, {nullptr, 0},
        {"3.9", 3},
    };
    for (const auto& c : longs) {
        EXPECT_EQ(c.value, StrToLong(c.text)) << (c.text ? c.text : "(null)");
        if (c.text) {
            EXPECT_EQ(c.value, StrToLong(std::string(c.text))) << c.text;
        }
    }
    EXPECT_DOUBLE_EQ(2.5, StrToDouble("2.5"));
    EXPECT_DOUBLE_EQ(-0.125, StrToDouble(std::string(" -0.125xyz")));
    EXPECT_EQ(0.0, StrToDouble(""));
    EXPECT_EQ(0.0, StrToDouble(static_cast<const char*>(nullptr)));
}

// The application sets the numeric locale from the user's settings; every
// number helper must follow it, and the tests must leave "C" behind.
class StrUtilLocale : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, setlocale(LC_NUMERIC, "French_Canada.1252"));
    }
    void TearDown() override { setlocale(LC_NUMERIC, "C"); }
};

TEST_F(StrUtilLocale, NumbersFollowTheCommaDecimalPoint)
{
    // Only a dot stops the trimming, so the comma is left last.
    EXPECT_EQ("3,", StrFromDoubleCompact(3.0));
    EXPECT_EQ("2,5", StrFromDoubleCompact(2.5));
    EXPECT_EQ("10,", StrFromDoubleCompact(10.0));
    EXPECT_EQ("1,50000", StrFromDouble(1.5));
    EXPECT_DOUBLE_EQ(2.5, StrToDouble("2,5"));
    EXPECT_DOUBLE_EQ(2.0, StrToDouble("2.5")); // a dot ends the number here

    setlocale(LC_NUMERIC, "C");
    EXPECT_EQ("3.0", StrFromDoubleCompact(3.0));
    EXPECT_DOUBLE_EQ(2.5, StrToDouble("2.5"));
}

// ---- Building and formatting ------------------------------------------------

TEST(StrUtilBuild, NullTextReadsAsEmpty)
{
    EXPECT_EQ("", StrFromText(nullptr));
    EXPECT_EQ("abc", StrFromText("abc"));
    EXPECT_EQ("ab", StrCopy(std::string("ab\0cd", 5))); // ends at the first NUL
}

TEST(StrUtilBuild, StrCharAtFallsBackToTheFirstCharacter)
{
    std::string s = "abc";
    const std::string& cs = s;
    EXPECT_EQ(cs.c_str() + 2, StrCharAt(cs, 2));
    EXPECT_EQ(cs.c_str(), StrCharAt(cs, 3));
    EXPECT_EQ(cs.c_str(), StrCharAt(cs, -1));
    *StrCharAt(s, 1) = 'X';
    EXPECT_EQ("aXc", s);
    std::string empty;
    EXPECT_EQ('\0', *StrCharAt(empty, 0));
}

TEST(StrUtilFormat, ResultsComeOutWholeAndOwnTextMayBeAnArgument)
{
    std::string out = "old";
    StrFormat(out, "%s=%ld", "key", 12L);
    EXPECT_EQ("key=12", out);
    StrFormat(out, nullptr);
    EXPECT_EQ("key=12", out);

    StrFormat(out, "[%s|%s]", out.c_str(), out.c_str());
    EXPECT_EQ("[key=12|key=12]", out);

    std::string grow = "ab";
    for (int i = 0; i < 12; ++i)
        StrAppendFormat(grow, "%s", grow.c_str()); // the argument is out's own text
    EXPECT_EQ(2u << 12, grow.size());
    EXPECT_EQ(std::string::npos, grow.find_first_not_of("ab"));

    // Longer than the 16384 bytes the fixed buffers held.
    const std::string long_text(40000, 'q');
    StrFormat(out, "<%s>", long_text.c_str());
    EXPECT_EQ("<" + long_text + ">", out);
    StrFormat(out, "%.5f", 1e300);
    EXPECT_EQ(307u, out.size());

    std::string appended = "x";
    StrAppendFormat(appended, "%03ld", 7L);
    StrAppendFormat(appended, nullptr);
    EXPECT_EQ("x007", appended);
}

TEST(StrUtilFormat, StrFormatStaticReturnsAnOwnedCopy)
{
    EXPECT_EQ("", StrFormatStatic(nullptr));
    const std::string a = StrFormatStatic("%s-%ld", "a", 1L);
    const std::string b = StrFormatStatic("%s-%ld", "b", 2L);
    EXPECT_EQ("a-1", a);
    EXPECT_EQ("b-2", b);
    const std::string big(20000, 'z');
    EXPECT_EQ(big, StrFormatStatic("%s", big.c_str()));
    EXPECT_EQ("short", StrFormatStatic("short"));
}

TEST(StrUtilFormat, StrFormatStaticIsSafeOnManyThreads)
{
    constexpr int kThreads = 8;
    constexpr int kRounds = 3000;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &wrong] {
            const std::string pad(100 + t * 37, static_cast<char>('a' + t));
            for (int i = 0; i < kRounds; ++i) {
                const std::string got = StrFormatStatic("%d:%s:%d", t, pad.c_str(), i);
                const std::string want = std::to_string(t) + ":" + pad + ":" + std::to_string(i);
                if (got != want)
                    ++wrong;
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(0, wrong.load());
}

TEST(StrUtilFormat, FormatBuffer1024CutsCleanly)
{
    char buffer[1100];
    memset(buffer, 'X', sizeof(buffer));
    const std::string text(1500, 'a');
    EXPECT_EQ(1023, FormatBuffer1024(buffer, "%s", text.c_str()));
    EXPECT_EQ(1023u, strlen(buffer));
    EXPECT_EQ('X', buffer[1024]); // nothing written past the 1024 characters

    EXPECT_EQ(1023, FormatBuffer1024(buffer, "%.5f%.5f%.5f%.5f", 1e300, 1e300, 1e300, 1e300));
    EXPECT_EQ(1023u, strlen(buffer));

    EXPECT_EQ(5, FormatBuffer1024(buffer, "%s-%d", "abc", 7));
    EXPECT_STREQ("abc-7", buffer);
    EXPECT_EQ(0, FormatBuffer1024(buffer, nullptr));
    EXPECT_STREQ("abc-7", buffer);
}

// ---- Comparing, searching and cutting -----------------------------------------

TEST(StrUtilCompare, StrEqualAndDollar)
{
    EXPECT_TRUE(StrEqual("abc", "abc"));
    EXPECT_FALSE(StrEqual("abc", "ABC"));
    EXPECT_TRUE(StrEqual("abc", "ABC", true));
    EXPECT_FALSE(StrEqual("abc", "abcd", true));
    EXPECT_FALSE(StrEqual("abc", nullptr));
    EXPECT_FALSE(StrEqual("", nullptr));
    EXPECT_TRUE(StrEqual("", ""));
    EXPECT_FALSE(StrEqual(std::string("ab\0", 3), "ab")); // lengths differ

    EXPECT_TRUE(StrStartsWithDollar("$12"));
    EXPECT_FALSE(StrStartsWithDollar("12$"));
    EXPECT_FALSE(StrStartsWithDollar(""));
}

TEST(StrUtilCut, InsertMidAndSlice)
{
    const struct { long pos; const char* expected; } inserts[] = {
        {0, "XYabc"}, {1, "aXYbc"}, {2, "abXYc"}, {3, "abcXY"}, {9, "abcXY"}, {-1, "abcXY"},
    };
    for (const auto& c : inserts) {
        std::string s = "abc";
        EXPECT_EQ(c.expected, StrInsert(c.pos, s, "XY")) << c.pos;
    }
    std::string s = "abc";
    EXPECT_EQ("abc", StrInsert(1, s, nullptr));

    const struct { long start, count; const char* expected; } mids[] = {
        {0, 2, "ab"}, {1, -1, "bcde"}, {-3, 2, "ab"}, {3, 10, "de"}, {5, 1, ""}, {9, -1, ""},
        {2, 0, ""}, {4, 1, "e"},
    };
    for (const auto& c : mids)
        EXPECT_EQ(c.expected, StrMid("abcde", c.start, c.count)) << c.start << "," << c.count;

    const struct { long first, last; const char* expected; } slices[] = {
        {1, 3, "bcd"}, {0, -1, "abcde"}, {2, 2, "c"}, {3, 1, ""}, {-2, 1, "ab"}, {4, 20, "e"},
        {5, -1, ""},
    };
    for (const auto& c : slices)
        EXPECT_EQ(c.expected, StrSlice("abcde", c.first, c.last)) << c.first << "," << c.last;
}

TEST(StrUtilCut, BeforeAndAfterAny)
{
    const struct { const char* s; const char* set; bool first; const char* before; const char* after; } cases[] = {
        {"a.b/c", "./", true, "a", "b/c"},
        {"a.b/c", "./", false, "a.b", "c"},
        {"abc", "./", true, "abc", ""},
        {".abc", ".", true, "", "abc"},
        {"abc.", ".", false, "abc", ""},
        {"a.b", "", true, "", ""},
        {"a.b", nullptr, true, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.before, StrBeforeAny(c.s, c.set, c.first)) << c.s;
        EXPECT_EQ(c.after, StrAfterAny(c.s, c.set, c.first)) << c.s;
    }
}

TEST(StrUtilCut, TrimRemovesControlBytesAndOptionallyNbsp)
{
    const struct { const char* in; bool rightOnly, nbsp; const char* out; } cases[] = {
        {"  ab c \t\r\n", false, false, "ab c"},
        {"  ab c \t\r\n", true, false, "  ab c"},
        {"   ", false, false, ""},
        {"   ", true, false, ""},
        {"", false, false, ""},
        {"\xA0x\xA0", false, false, "\xA0x\xA0"},
        {"\xA0 x \xA0", false, true, "x"},
        {"\xA0 x \xA0", true, true, "\xA0 x"},
        {"\x01x\x1F", false, false, "x"},
        {"\xE9t\xE9", false, true, "\xE9t\xE9"}, // bytes above 127 are not blanks
    };
    for (const auto& c : cases) {
        std::string s = c.in;
        EXPECT_EQ(c.out, StrTrim(s, c.rightOnly, c.nbsp)) << '"' << c.in << '"';
    }
}

TEST(StrUtilCut, ReplaceAllNeverRescansInsertedText)
{
    const struct { const char* s; const char* what; const char* with; const char* out; long n; } cases[] = {
        {"aaa", "a", "aa", "aaaaaa", 3},
        {"a-b-c", "-", nullptr, "abc", 2},
        {"a-b-c", "-", "", "abc", 2},
        {"abab", "ab", "ba", "baba", 2},
        {"abc", "abc", "abc", "abc", 0},
        {"abc", "", "x", "abc", 0},
        {"abc", nullptr, "x", "abc", 0},
        {"", "a", "b", "", 0},
        {"xyz", "q", "r", "xyz", 0},
        {"aaaa", "aa", "a", "aa", 2},
    };
    for (const auto& c : cases) {
        std::string s = c.s;
        EXPECT_EQ(c.n, StrReplaceAll(s, c.what, c.with)) << c.s;
        EXPECT_EQ(c.out, s) << c.s;
    }
}

TEST(StrUtilToken, TokensBySeparatorText)
{
    struct Case { const char* s; long n; const char* sep; bool trim, quoted, ok; const char* out; };
    const Case cases[] = {
        {"a;;b", 0, ";", false, false, true, "a"},
        {"a;;b", 1, ";", false, false, true, ""},
        {"a;;b", 2, ";", false, false, true, "b"},
        {"a;;b", 3, ";", false, false, false, ""},
        {"a;b;", 1, ";", false, false, true, "b"},
        {"a;b;", 2, ";", false, false, false, ""},
        {"x", 0, ";", false, false, true, "x"},
        {"x", 1, ";", false, false, false, ""},
        {"a::b::c", 1, "::", false, false, true, "b"},
        {"a:b::c", 0, "::", false, false, true, "a:b"},
        {" a ; b ", 1, ";", true, false, true, "b"},
        {" a ; b ", 1, ";", false, false, true, " b "},
        {"\"a;b\";c", 0, ";", false, true, true, "\"a;b\""},
        {"\"a;b\";c", 1, ";", false, true, true, "c"},
        {"\"a;b\";c", 2, ";", false, true, false, ""},
        {"\"a;b\";c", 0, ";", false, false, true, "\"a"},
        {"\"a;b", 0, ";", false, true, true, "\"a;b"}, // an unclosed quote runs to the end
        {"a;b", 0, "", false, false, true, "a;b"},
        {"a;b", 1, "", false, false, false, ""},
        {"a;b", -1, ";", false, false, false, ""},
    };
    for (const auto& c : cases) {
        std::string out = "old";
        EXPECT_EQ(c.ok, StrToken(c.s, out, c.n, c.sep, c.trim, c.quoted)) << c.s << " #" << c.n;
        EXPECT_EQ(c.out, out) << c.s << " #" << c.n;
    }
}

TEST(StrUtilToken, EmptyTextOrNullSeparatorLeavesOutAlone)
{
    std::string out = "old";
    EXPECT_FALSE(StrToken("", out, 0, ";"));
    EXPECT_EQ("old", out);
    EXPECT_FALSE(StrToken("a;b", out, 0, nullptr));
    EXPECT_EQ("old", out);
}

TEST(StrUtilToken, Fields)
{
    const struct { const char* s; const char* sep; long n; const char* out; } cases[] = {
        {"a,b,,c", ",", 0, "a"}, {"a,b,,c", ",", 1, "b"}, {"a,b,,c", ",", 2, ""},
        {"a,b,,c", ",", 3, "c"}, {"a,b,,c", ",", 4, ""}, {"a;b", ";", 2, ""},
        {";a", ";", 0, ""}, {";a", ";", 1, "a"}, {"a<>b<>c", "<>", 2, "c"},
        {"abc", ";", 0, "abc"}, {"a;b", "", 0, ""}, {"a;b", nullptr, 0, ""},
        {"a;b", ";", -1, ""}, {"", ";", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.out, StrField(c.s, c.sep, c.n)) << c.s << " #" << c.n;
}

TEST(StrUtilEscape, EscapesMarkerAndCharacters)
{
    EXPECT_EQ("a&38&b&13&&10&c", StrEscapeChars("a&b\r\nc", "\r\n"));
    EXPECT_EQ("a&b\r\nc", StrEscapeChars("a&b\r\nc", ""));
    EXPECT_EQ("a&b\r\nc", StrEscapeChars("a&b\r\nc", nullptr));
    EXPECT_EQ("x&-23&y", StrEscapeChars("x\xE9y", "\xE9")); // signed 8-bit value
    EXPECT_EQ("#35#a#59#", StrEscapeChars("#a;", ";", "#"));
    EXPECT_EQ("a&38&&59&", StrEscapeChars("a&;", ";", ""));
}

TEST(StrUtilEscape, UnescapeReversesAndToleratesBrokenEscapes)
{
    const struct { const char* in; const char* marker; const char* out; } cases[] = {
        {"a&38&b&13&&10&c", "&", "a&b\r\nc"},
        {"&&", "&", ""},
        {"x&-23&y", "&", "x\xE9y"},
        {"x&321&y", "&", "xAy"},     // 321 truncated to 8 bits is 65
        {"x&65", "&", "xA65"},        // no closing marker: the marker is dropped
        {"abc&", "&", "abc"},
        {"#35#a#59#", "#", "#a;"},
        {"a&38&", "", "a&"},
        {"plain", "&", "plain"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.out, StrUnescapeChars(c.in, c.marker)) << c.in;
}

TEST(StrUtilEscape, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    std::string set = all.substr(0, 40) + all.substr(120);
    for (const char* marker : {"&", "%%", "@#"}) {
        const std::string escaped = StrEscapeChars(all, set.c_str(), marker);
        EXPECT_EQ(all, StrUnescapeChars(escaped, marker)) << marker;
    }
}

TEST(StrUtilRowLetter, NamesRowsByIndex)
{
    const struct { long n; const char* letter; } cases[] = {
        {0, "a"}, {25, "z"}, {26, "A"}, {51, "Z"}, {52, "0"}, {61, "9"},
        {62, "\xC0"}, {100, "\xE6"}, {124, "\xFE"}, {125, "*"}, {-1, "*"}, {1000, "*"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.letter, RowLetter(c.n)) << c.n;
}

// ---- Lists of strings ---------------------------------------------------------

TEST(StrUtilList, SplitGivesTheTokensOfStrToken)
{
    const char* texts[] = {"a", "a;b", "a;b;", ";a", ";;", "a;;b", "\r\n", "1\r\n\r\n2\r\n",
                           "x\r\ny\r", "ab", "::a::b:::", "\"a;b\";c", "\" x ; y \" ; z ", "a\"b;c", "\"open;a;b",
                           "\"\";\"\"", "\"P 1\", \"P, 2\", \"P3\""};
    const char* separators[] = {";", "\r\n", "::", "", ", "};
    for (const char* text : texts) {
        for (const char* separator : separators) {
            for (bool trim : {false, true}) {
                for (bool quoted : {false, true}) {
                    std::vector<std::string> expected;
                    std::string token;
                    while (StrToken(text, token, static_cast<long>(expected.size()), separator, trim, quoted))
                        expected.push_back(token);
                    std::vector<std::string> parts;
                    EXPECT_EQ(static_cast<long>(expected.size()), StrSplit(text, parts, separator, trim, quoted));
                    EXPECT_EQ(expected, parts) << text << " by " << separator << (quoted ? " quoted" : "");
                }
            }
        }
    }
}

TEST(StrUtilList, FindSplitJoin)
{
    const std::vector<std::string> list = {"Alpha", "beta", "BETA", "gamma"};
    EXPECT_EQ(1, StrListFind(list, "BETA"));
    EXPECT_EQ(0, StrListFind(list, "alpha"));
    EXPECT_EQ(-1, StrListFind(list, "alph"));
    EXPECT_EQ(-1, StrListFind(list, nullptr));
    EXPECT_EQ(-1, StrListFind({}, "a"));

    std::vector<std::string> parts = {"keep"};
    EXPECT_EQ(3, StrSplit(" a ; b;c ", parts, ";", true));
    EXPECT_EQ((std::vector<std::string>{"keep", "a", "b", "c"}), parts);
    parts.clear();
    EXPECT_EQ(4, StrSplit("a;;\"b;c\"", parts, ";", false)); // quotes do not protect here
    EXPECT_EQ((std::vector<std::string>{"a", "", "\"b", "c\""}), parts);
    parts.clear();
    EXPECT_EQ(0, StrSplit("", parts, ";"));
    EXPECT_EQ(2, StrSplit("a;b;", parts, ";"));
    EXPECT_EQ(0, StrSplit("a;b", parts, nullptr));

    EXPECT_EQ("", StrJoin({}, ","));
    EXPECT_EQ("one", StrJoin({"one"}, ","));
    EXPECT_EQ("a, b, c", StrJoin({"a", "b", "c"}, ", "));
    EXPECT_EQ("a;b", StrJoin({"a", "b"}, nullptr));
    EXPECT_EQ("a;b", StrJoin({"a", "b"}));
}

// ---- Narrow and wide text -----------------------------------------------------

TEST(StrUtilWide, ConversionsByCodePage)
{
    wchar_t* w = TextToWide(nullptr, "caf\xE9", 0); // ANSI code page 1252
    ASSERT_NE(nullptr, w);
    EXPECT_STREQ(L"caf\u00E9", w);
    free(w);

    w = TextToWide(nullptr, "caf\xC3\xA9", 65001);
    ASSERT_NE(nullptr, w);
    EXPECT_STREQ(L"caf\u00E9", w);
    free(w);

    w = TextToWide(nullptr, "", 0);
    ASSERT_NE(nullptr, w);
    EXPECT_STREQ(L"", w);
    free(w);

    wchar_t own[8];
    wmemset(own, L'X', 8);
    EXPECT_EQ(own, TextToWide(own, "ab", 0));
    EXPECT_STREQ(L"ab", own);

    char* t = WideToText(nullptr, 0, L"caf\u00E9");
    ASSERT_NE(nullptr, t);
    EXPECT_STREQ("caf\xE9", t);
    free(t);

    t = WideToText(nullptr, 65001, L"caf\u00E9\u20AC");
    ASSERT_NE(nullptr, t);
    EXPECT_STREQ("caf\xC3\xA9\xE2\x82\xAC", t);
    free(t);

    char buf[8];
    EXPECT_EQ(buf, WideToText(buf, 0, L"xy"));
    EXPECT_STREQ("xy", buf);

    EXPECT_EQ(nullptr, TextToWide(nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, WideToText(nullptr, 0, nullptr));
}

} // namespace
