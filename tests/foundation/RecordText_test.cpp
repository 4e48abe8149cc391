#include "foundation/RecordText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/PropsTestHelpers.h"

namespace {

Entries Read(const char* text, int mode = JsonUnescape)
{
    DProps bag;
    EXPECT_TRUE(PropsFromJson(text, &bag, mode));
    return EntriesOf(bag);
}

} // namespace

// ---- Checksum ---------------------------------------------------------------------

TEST(Crc32, KnownValues)
{
    // The complement of the standard CRC-32 for ASCII text: fingerprints stored
    // in project files were made this way.
    EXPECT_EQ(0u, Crc32(nullptr));
    EXPECT_EQ(0xFFFFFFFFu, Crc32(""));
    EXPECT_EQ(0xCADBBE3Du, Crc32("abc"));
    EXPECT_EQ(0x340BC6D9u, Crc32("123456789"));
}

TEST(Crc32, HighBytesEnterByTheirSignedMagnitude)
{
    struct Case { const char* high; const char* low; };
    const Case cases[] = {
        {"\xC3", "="},         // 256 - 0xC3 = 0x3D
        {"\xFF", "\x01"},      // 256 - 0xFF = 1
        {"x\xBFy", "x\x41y"},  // 256 - 0xBF = 0x41 ('A')
    };
    for (const Case& c : cases)
        EXPECT_EQ(Crc32(c.low), Crc32(c.high)) << c.low;
    // 0x80 folds onto itself and differs from every ASCII byte.
    EXPECT_NE(Crc32("\x80"), Crc32("\x7F"));
    EXPECT_NE(Crc32("\xC3"), Crc32("\xC4"));
}

TEST(Crc32, BagChecksumCoversKeyValueAndCommentWithoutSeparators)
{
    DProps empty;
    EXPECT_EQ(0xFFFFFFFFul, empty.Checksum());

    DProps ab = BagOf({{"ab", "c"}});
    DProps a = BagOf({{"a", "bc"}});
    EXPECT_EQ(Crc32("abc"), ab.Checksum());
    EXPECT_EQ(ab.Checksum(), a.Checksum());

    DProps commented;
    commented.Set("a", "b", "c");
    EXPECT_EQ(Crc32("abc"), commented.Checksum());

    DProps two = BagOf({{"k1", "v1"}, {"k2", "v2"}});
    DProps swapped = BagOf({{"k2", "v2"}, {"k1", "v1"}});
    EXPECT_EQ(Crc32("k1v1k2v2"), two.Checksum());
    EXPECT_NE(two.Checksum(), swapped.Checksum());
}

// ---- Escapes ----------------------------------------------------------------------

TEST(RecordEscapes, EscapeAndUnescape)
{
    EXPECT_EQ("", StrEscapeQuotes(nullptr));
    EXPECT_EQ("", StrUnescapeBackslashes(nullptr));

    struct Case { const char* plain; const char* escaped; };
    const Case cases[] = {
        {"", ""},
        {"plain, text: {x}", "plain, text: {x}"},
        {"A\"1", "A\\\"1"},
        {"C:\\dir\\", "C:\\\\dir\\\\"},
        {"\\\"", "\\\\\\\""},
        {"line\r\nbreak\t", "line\r\nbreak\t"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.escaped, StrEscapeQuotes(c.plain)) << c.plain;
        EXPECT_EQ(c.plain, StrUnescapeBackslashes(c.escaped)) << c.escaped;
    }
    // Any escaped character stands for itself; a lone backslash at the end goes.
    EXPECT_EQ("ntx", StrUnescapeBackslashes("\\n\\tx\\"));
}

TEST(RecordEscapes, FindUnescaped)
{
    struct Case { const char* s; const char* pattern; long start; long expected; };
    const Case cases[] = {
        {"x\\\"y\"z", "\"", 0, 4},      // the first quote is escaped
        {"x\\\"y\"z", "\"", 3, 1},      // distance counted from start
        {"x\\\\\"", "\"", 0, 3},        // an escaped backslash escapes nothing
        {"x\\\\\\\"", "\"", 0, -1},     // three backslashes: the quote is escaped
        {"\"a", "\"", 0, 0},
        {"abc", "\"", 0, -1},
        {"a:b:c", ":", 2, 1},
        {"a:b", ":", 10, -1},
        {"a:b", "", 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, StrFindUnescaped(c.s, c.pattern, c.start)) << c.s << " from " << c.start;
}

// ---- Writing ----------------------------------------------------------------------

TEST(PropsToJson, WritesOneLineInBagOrder)
{
    DProps row = BagOf({{"length", "1200.00000"}, {"quantity", "4"}, {"label", "A\"1"}});
    row.SetCommentAt(1, "comments are never written");
    EXPECT_EQ("{ \"length\": \"1200.00000\", \"quantity\": \"4\", \"label\": \"A\\\"1\" }",
              PropsToJson(&row));
}

TEST(PropsToJson, EmptyBagsAndEmptyKeys)
{
    DProps empty;
    EXPECT_EQ("", PropsToJson(&empty));
    EXPECT_EQ("", PropsToJson(nullptr));

    DProps emptyKey;
    emptyKey.SetString("", "lost", nullptr, true);
    EXPECT_EQ("{  }", PropsToJson(&emptyKey));
    EXPECT_TRUE(Read(PropsToJson(&emptyKey).c_str()).empty());

    DProps mixed;
    mixed.SetString("", "lost", nullptr, true);
    mixed.Set("a", "1");
    mixed.SetString("", "lost too", nullptr, true);
    mixed.Set("b", "2");
    EXPECT_EQ("{ \"a\": \"1\", \"b\": \"2\" }", PropsToJson(&mixed));
}

TEST(PropsToJson, RoundTripKeepsEveryValue)
{
    const Entries entries = {
        {"label", "5\" pipe, short"},
        {"path", "C:\\data\\"},
        {"tricky", "a\\\"b"},
        {"colon", "12:30"},
        {"braces", "{ \"x\": \"y\" }"},
        {"lines", "one\r\ntwo"},
        {"quote", "\""},
        {"empty", ""},
        {"comma", ", \"k\": \"v\""},
    };
    DProps source = BagOf(entries);
    source.SetCommentAt(0, "dropped");
    DProps copy;
    PropsFromJson(PropsToJson(&source).c_str(), &copy, JsonUnescape);
    EXPECT_EQ(entries, EntriesOf(copy));
    for (int i = 0; i < copy.Count(); ++i)
        EXPECT_STREQ("", copy.GetCommentAt(i));
}

TEST(PropsToJson, LineBreaksAreEscapedSoARecordStaysOneLine)
{
    // A record is one line of a file: an unescaped line break would split
    // the row there, and the rest would be read as lines of their own.
    DProps row = BagOf({{"label", "Door\r\nleft"}, {"comment", "a\nb\rc"}, {"path", "C:\\new\\r"}});
    const std::string text = PropsToJson(&row);
    EXPECT_EQ("{ \"label\": \"Door\\r\\nleft\", \"comment\": \"a\\nb\\rc\", \"path\": \"C:\\\\new\\\\r\" }", text);
    EXPECT_EQ(std::string::npos, text.find_first_of("\r\n"));
    EXPECT_EQ((Entries{{"label", "Door\r\nleft"}, {"comment", "a\nb\rc"}, {"path", "C:\\new\\r"}}), Read(text.c_str()));
    // Raw reading keeps the escapes as they stand.
    EXPECT_EQ((Entries{{"label", "Door\\r\\nleft"}}), Read("{ \"label\": \"Door\\r\\nleft\" }", JsonRaw));

    std::vector<std::string> list;
    StrListFromJson("{ \"one\\r\\ntwo\", \"x\\\\n\" }", list);
    EXPECT_EQ((std::vector<std::string>{"one\r\ntwo", "x\\n"}), list);
}

// ---- Reading ----------------------------------------------------------------------

TEST(PropsFromJson, ItemsAndTheirOddities)
{
    struct Case { const char* text; Entries expected; };
    const Case cases[] = {
        {"{ \"a\": 1, \"b\": \"x\" }", {{"a", "1"}, {"b", "x"}}},
        {"{ \"a\": 1 }", {{"a", "1 }"}}},                 // unquoted last value keeps the brace
        {"\"a\": \"x\"", {{"a", "x"}}},                   // braces are optional
        {"{ \"a\" \"b\" }", {{"a", ""}}},                 // no colon: empty value part
        {"{ a: \"x\", \"b\": \"y\" }", {{"b", "y"}}},     // unquoted key: skipped
        {"{ \"a\": \"x, y\", \"b\": \"z\" }", {{"a", "x, y"}, {"b", "z"}}},
        {"{ \"t\": \"12:30\" }", {{"t", "12:30"}}},
        {"{ \"t\": 12:30 }", {{"t", "12"}}},              // value part ends at the next colon
        {"{ \"a\": \"x\\\", y\" }", {{"a", "x\", y"}}},
        {"{ \"a\": \"1\", \"A\": \"2\" }", {{"a", "2"}}}, // a key read twice keeps the later value
        {"  {   \"a\"  :   \"x\"   }  ", {{"a", "x"}}},
        {"{  }", {}},
        {"", {}},
        {"   ", {}},
        {"{ , , }", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Read(c.text)) << c.text;
}

TEST(PropsFromJson, TextsWrittenBeforeReadAsThen)
{
    // Writers always doubled a typed backslash: "\\r" in a file is a
    // backslash and an r, and a line break written raw stays a line break.
    EXPECT_EQ((Entries{{"a", "x\\ry"}, {"b", "one\r\ntwo"}, {"c", "q\""}}),
              Read("{ \"a\": \"x\\\\ry\", \"b\": \"one\r\ntwo\", \"c\": \"q\\\"\" }"));
}

TEST(PropsFromJson, ModeDecidesWhetherBackslashesGo)
{
    // a, three backslashes, a quote, b: an escaped backslash, then an escaped quote.
    const char* text = "{ \"k\": \"a\\\\\\\"b\" }";
    EXPECT_EQ(Entries({{"k", "a\\\"b"}}), Read(text, JsonUnescape));
    EXPECT_EQ(Entries({{"k", "a\\\\\\\"b"}}), Read(text, JsonRaw));
}

TEST(PropsFromJson, ReadsIntoABagWithoutClearingIt)
{
    DProps bag;
    bag.Set("keep", "old", "kept comment");
    bag.Set("length", "100", "a comment that goes");
    EXPECT_TRUE(PropsFromJson("{ \"LENGTH\": \"250\", \"new\": \"x\" }", &bag));
    EXPECT_EQ(Entries({{"keep", "old"}, {"length", "250"}, {"new", "x"}}), EntriesOf(bag));
    EXPECT_STREQ("kept comment", bag.GetCommentAt(0));
    EXPECT_STREQ("", bag.GetCommentAt(1));
    EXPECT_TRUE(PropsFromJson("{ \"a\": \"1\" }", nullptr));
    EXPECT_TRUE(PropsFromJson(nullptr, &bag));
    EXPECT_EQ(3, bag.Count());
}

TEST(StrListFromJson, QuotedItemsAreAppended)
{
    std::vector<std::string> list = {"existing"};
    EXPECT_TRUE(StrListFromJson("{ \"first\", \"sec, ond\", bare, \"a\\\"b\" }", list));
    EXPECT_EQ((std::vector<std::string>{"existing", "first", "sec, ond", "a\"b"}), list);

    std::vector<std::string> raw;
    EXPECT_TRUE(StrListFromJson("\"x\\\\y\",\"z\"", raw, true));
    EXPECT_EQ((std::vector<std::string>{"x\\\\y", "z"}), raw);

    std::vector<std::string> none;
    EXPECT_TRUE(StrListFromJson("{ }", none));
    EXPECT_TRUE(StrListFromJson(nullptr, none));
    EXPECT_TRUE(none.empty());
}
