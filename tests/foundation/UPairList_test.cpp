#include "foundation/UPairList.h"

#include <gtest/gtest.h>

#include "PairEntries.h"

#include <string>
#include <utility>
#include <vector>

namespace {

std::string Text(const UString& s) { return s.GetText(); }

// ---- Setting -----------------------------------------------------------------

TEST(UPairListSet, ANewKeyIsAppendedAndAPresentOneKeepsItsPlace)
{
    UPairList list;
    EXPECT_TRUE(list.Set("k", "a"));
    EXPECT_TRUE(list.Set("m", "x"));
    EXPECT_FALSE(list.Set("k", "b", false));
    EXPECT_EQ((Pairs{{"k", "a"}, {"m", "x"}}), Contents(list));
    EXPECT_TRUE(list.Set("k", "c", true));
    EXPECT_EQ((Pairs{{"k", "c"}, {"m", "x"}}), Contents(list));
    // Keys are case-sensitive when setting.
    EXPECT_TRUE(list.Set("K", "d", false));
    EXPECT_TRUE(list.Set("m", nullptr));
    EXPECT_EQ((Pairs{{"k", "c"}, {"m", ""}, {"K", "d"}}), Contents(list));
}

TEST(UPairListSet, CommentAndBlankKeysAreAlwaysAppended)
{
    UPairList list;
    EXPECT_TRUE(list.Set(";", "a"));
    EXPECT_TRUE(list.Set(";", "a", false));
    EXPECT_TRUE(list.Set("", "b", false));
    EXPECT_TRUE(list.Set("", "c", false));
    EXPECT_TRUE(list.Set("  ", "d", false));
    EXPECT_TRUE(list.Set("  ", "e", false));
    EXPECT_EQ((Pairs{{";", "a"}, {";", "a"}, {"", "b"}, {"", "c"}, {"  ", "d"}, {"  ", "e"}}),
              Contents(list));
    EXPECT_EQ(-1, list.IndexOf("  "));
    EXPECT_EQ(-1, list.IndexOf(""));
}

// ---- Reading -----------------------------------------------------------------

class UPairListRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.Set("width", "12");
        list.Set("Width", "99");
        list.Set("empty", "");
        list.Set("colour", "red");
    }
    UPairList list;
};

TEST_F(UPairListRead, GetComparesWholeKeysWithOrWithoutCase)
{
    const struct {
        const char* key;
        bool matchCase;
        const char* value;
    } cases[] = {
        {"width", true, "12"},  {"Width", true, "99"},  {"Width", false, "12"},
        {"WIDTH", false, "12"}, {"WIDTH", true, ""},     {"wid", false, ""},
        {"widths", false, ""},  {"missing", false, ""}, {nullptr, false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, Text(list.Get(c.key, c.matchCase)))
            << (c.key ? c.key : "<null>") << " " << c.matchCase;
}

TEST_F(UPairListRead, GetOrFallsBackForMissingAndEmptyValues)
{
    EXPECT_EQ("red", Text(list.GetOr("colour", "blue")));
    EXPECT_EQ("blue", Text(list.GetOr("empty", "blue")));
    EXPECT_EQ("blue", Text(list.GetOr("missing", "blue")));
    EXPECT_EQ("blue", Text(list.GetOr("COLOUR", "blue"))) << "case-sensitive";
    EXPECT_EQ("", Text(list.GetOr("missing", nullptr)));
}

TEST_F(UPairListRead, PositionsAndOutOfRangeReads)
{
    EXPECT_EQ(1, list.IndexOf("Width"));
    EXPECT_EQ(0, list.IndexOf("WIDTH", false));
    EXPECT_EQ(-1, list.IndexOf("nothing", false));
    EXPECT_EQ(list.begin() + 3, list.FindPos("Colour", false));
    EXPECT_EQ(list.end(), list.FindPos("Colour", true));
    EXPECT_EQ("colour", Text(list.KeyAt(3)));
    EXPECT_EQ("", Text(list.KeyAt(4)));
    EXPECT_EQ("", Text(list.KeyAt(-1)));
    EXPECT_EQ("99", Text(list.ValueAt(1, "d")));
    EXPECT_EQ("d", Text(list.ValueAt(4, "d")));
    EXPECT_EQ("d", Text(list.ValueAt(-1, "d")));
    EXPECT_EQ("", Text(list.ValueAt(2, "d"))) << "an empty value in range is still the value";
}

// ---- Long lists --------------------------------------------------------------

// A list of many pairs finds its keys through an index, built once the list
// grows long and kept with every pair set later: it must answer every lookup
// as a short list, which scans, does.
TEST(UPairListLong, FindsWhatAShortListFinds)
{
    const std::pair<const char*, const char*> sets[] = {
        {"width", "12"}, {"Width", "99"}, {";", "c1"}, {"", "x"},    {"colour", "red"},
        {"  ", "y"},     {";", "c2"},     {"empty", ""}, {"width", "13"}, {"COLOUR", "blue"},
    };
    const struct {
        const char* key;
        bool matchCase;
        const char* value;
        long index;  // counted from the first of the sets; -1 for none
    } cases[] = {
        {"width", true, "13", 0},   {"Width", true, "99", 1},    {"WIDTH", false, "13", 0},
        {"WIDTH", true, "", -1},    {"colour", true, "red", 4},  {"Colour", false, "red", 4},
        {"COLOUR", true, "blue", 8}, {";", true, "c1", 2},       {"", true, "", -1},
        {"  ", false, "", -1},      {"empty", false, "", 7},     {"wid", false, "", -1},
        {nullptr, false, "", -1},
    };
    for (int padding : {0, 5, 30, 300}) {
        UPairList list;
        for (int i = 0; i < padding; ++i)
            list.Set(("pad." + std::to_string(i)).c_str(), "p");
        for (const auto& s : sets)
            list.Set(s.first, s.second);
        for (const auto& c : cases) {
            const std::string what = std::string(c.key ? c.key : "<null>") + (c.matchCase ? " exact" : " any case") +
                                     ", " + std::to_string(padding) + " pairs before";
            EXPECT_EQ(c.value, Text(list.Get(c.key, c.matchCase))) << what;
            EXPECT_EQ(c.index < 0 ? -1 : c.index + padding, list.IndexOf(c.key, c.matchCase)) << what;
        }
        EXPECT_FALSE(list.Set("Width", "0", false));
        EXPECT_EQ(static_cast<long>(padding) + 9, list.Count());
    }
}

TEST(UPairListLong, CopiesAndClearedListsFindTheirOwnPairs)
{
    UPairList list;
    for (int i = 0; i < 100; ++i)
        list.Set(("key." + std::to_string(i)).c_str(), std::to_string(i).c_str());
    UPairList copy(list);
    UPairList assigned;
    assigned.Set("old", "1");
    assigned = list;
    list.Clear();
    list.Set("key.5", "new");
    for (UPairList* l : {&copy, &assigned}) {
        EXPECT_EQ("42", Text(l->Get("KEY.42", false)));
        EXPECT_EQ(42, l->IndexOf("key.42"));
        EXPECT_EQ(-1, l->IndexOf("old"));
    }
    EXPECT_EQ("new", Text(list.Get("key.5")));
    EXPECT_EQ(-1, list.IndexOf("key.42"));
    EXPECT_EQ(1, list.Count());

    UPairList moved(std::move(copy));
    EXPECT_EQ("99", Text(moved.Get("key.99")));
}

TEST(UPairListJoin, PairsWithOrWithoutQuotes)
{
    UPairList list;
    EXPECT_EQ("", Text(list.Join(";", true)));
    list.Set("a", "1");
    EXPECT_EQ("a=1", Text(list.Join(";", false)));
    list.Set("b", "2");
    EXPECT_EQ("a=\"1\";b=\"2\"", Text(list.Join(";", true)));
    EXPECT_EQ("a=1, b=2", Text(list.Join(", ", false)));
    EXPECT_EQ("a=1b=2", Text(list.Join(nullptr, false)));
}

// ---- Copying -----------------------------------------------------------------

TEST(UPairListCopy, SetsEveryPairIntoTheTarget)
{
    UPairList source;
    source.Set("a", "1");
    source.Set(";", "note");
    source.Set("b", "2");
    UPairList target;
    target.Set("b", "old");
    target.Set(";", "first");
    EXPECT_EQ(&target, &source.CopyTo(target, false));
    EXPECT_EQ((Pairs{{"b", "2"}, {";", "first"}, {"a", "1"}, {";", "note"}}), Contents(target));

    source.CopyTo(target, true);
    EXPECT_EQ(Contents(source), Contents(target));
}

TEST(UPairListCopy, IntoItselfEndsAndKeepsThePairs)
{
    UPairList list;
    list.Set("a", "1");
    list.Set(";", "c");
    list.CopyTo(list, true);
    EXPECT_EQ((Pairs{{"a", "1"}, {";", "c"}}), Contents(list));
    list.CopyTo(list, false);
    EXPECT_EQ((Pairs{{"a", "1"}, {";", "c"}, {";", "c"}}), Contents(list));
}

// ---- Inheriting --------------------------------------------------------------

class UPairListChain : public ::testing::Test {
protected:
    void SetUp() override
    {
        table.Set("a", "table-a");
        table.Set("font", "Arial");
        table.Set("border", "1");
        table.SetParent(&style);
        style.Set("colour", "grey");
        style.Set("align", "left");
        cell.SetParent(&table);
        cell.Set("border", "");
        cell.Set("align", "right");
    }
    UPairList style, table, cell;
};

TEST_F(UPairListChain, GetInheritedAsksUpTheChain)
{
    EXPECT_EQ("Arial", Text(cell.GetInherited("font")));
    EXPECT_EQ("grey", Text(cell.GetInherited("colour")));
    EXPECT_EQ("right", Text(cell.GetInherited("align")));
    EXPECT_EQ("", Text(cell.GetInherited("border"))) << "an empty value is an answer";
    EXPECT_EQ("", Text(cell.GetInherited("nowhere")));
    EXPECT_EQ("", Text(cell.GetInherited("FONT", true)));
    EXPECT_EQ("Arial", Text(cell.GetInherited("FONT", false)));
    EXPECT_EQ("", Text(table.GetInherited("right")));
}

TEST_F(UPairListChain, AParentLoopEnds)
{
    style.SetParent(&cell);
    EXPECT_EQ("", Text(cell.GetInherited("nowhere")));
    EXPECT_EQ("${nowhere}", Text(cell.Expand("${nowhere}", true, false)));
    EXPECT_EQ("Arial", Text(style.GetInherited("font")));
}

TEST_F(UPairListChain, ExpandLeavesUnknownReferencesForTheParent)
{
    EXPECT_EQ("right Arial grey ${x}", Text(cell.Expand("${align} ${font} ${colour} ${x}", true, false)));
    EXPECT_EQ("right ${font}", Text(cell.Expand("${align} ${font}", false, false)));

    UPairList empty;
    UPairList parent;
    parent.Set("a", "1");
    empty.SetParent(&parent);
    EXPECT_EQ("1", Text(empty.Expand("${a}", true, false)));
    EXPECT_EQ("${a}", Text(empty.Expand("${a}", false, false)));
    EXPECT_EQ("1", Text(empty.Expand("${a}", true, true))) << "an empty list drops nothing";
}

// ---- Expanding ---------------------------------------------------------------

TEST(UPairListExpand, ReplacesWhatTheListKnows)
{
    UPairList list;
    list.Set("a", "1");
    list.Set("path", "C:\\${dir}\\${file}");
    list.Set("dir", "data");
    list.Set("file", "x.txt");
    list.Set("open", "${");
    list.Set("self", "<${self}>");
    list.Set("ping", "${pong}");
    list.Set("pong", "${ping}");
    const struct {
        const char* text;
        bool drop;
        const char* expanded;
    } cases[] = {
        {"x ${a} ${zz}", false, "x 1 ${zz}"},
        {"x ${a} ${zz}", true, "x 1 "},
        {"${A}", false, "1"},
        {"${path}", false, "C:\\data\\x.txt"},
        {"${zz}${a}", false, "${zz}1"},
        {"a ${b", false, "a ${b"},
        {"${open}a}", false, "1"},
        {"${}", false, "${}"},
        {"${ a }", false, "${ a }"},
        {"   ", false, ""},
        {"", false, ""},
        {nullptr, false, ""},
        {" ${a} ", false, " 1 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expanded, Text(list.Expand(c.text, false, c.drop)))
            << (c.text ? c.text : "<null>") << " drop " << c.drop;

    // Values that refer to themselves end; the reference left deepest stays.
    std::string self = Text(list.Expand("${self}", false, false));
    EXPECT_EQ(0u, self.find("<<<")) << self;
    EXPECT_NE(std::string::npos, self.find("${self}")) << self;
    std::string loop = Text(list.Expand("${ping}", false, true));
    EXPECT_NE(std::string::npos, loop.find("${p")) << loop;
}

TEST(UPairListExpand, WithoutPairsTheTextStaysAsItIs)
{
    UPairList list;
    EXPECT_EQ("${a} b", Text(list.Expand("${a} b", false, true)));
    EXPECT_EQ("", Text(list.Expand(" \t", false, true)));
}

TEST(UPairListMarker, StartsAsHashAndCanBeChanged)
{
    UPairList list;
    EXPECT_EQ("#", Text(list.Marker()));
    EXPECT_EQ(nullptr, list.GetParent());
    list.SetMarker(";");
    EXPECT_EQ(";", Text(list.Marker()));
}

} // namespace
