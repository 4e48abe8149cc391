#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/SProps.h"
#include "PropsEntries.h"
#include "PointerText.h"

// ---- Setting keys ------------------------------------------------------------

TEST(SPropsSet, AppendsInOrderAndStoresNullsAsEmptyText)
{
    SProps bag;
    EXPECT_TRUE(bag.Set("b", "2", "two", true));
    EXPECT_TRUE(bag.Set("a", nullptr, nullptr, true));
    EXPECT_TRUE(bag.Set("c", "", "", false));
    EXPECT_EQ((Lines{"b=2;two", "a=;", "c=;"}), Entries(bag));
}

TEST(SPropsSet, OverwriteKeepsFirstSpellingAndPositionAndReplacesComment)
{
    SProps bag;
    bag.Set("knife", "3", "kerf", true);
    bag.Set("x", "1", nullptr, true);
    EXPECT_TRUE(bag.Set("Knife", "4", nullptr, true));
    EXPECT_EQ((Lines{"knife=4;", "x=1;"}), Entries(bag));
    EXPECT_TRUE(bag.Set("KNIFE", "5", "new", true));
    EXPECT_EQ((Lines{"knife=5;new", "x=1;"}), Entries(bag));
}

TEST(SPropsSet, WithoutOverwriteAPresentKeyIsLeftAlone)
{
    SProps bag;
    bag.Set("length", "10", "mm", true);
    EXPECT_FALSE(bag.Set("LENGTH", "20", "cm", false));
    EXPECT_EQ((Lines{"length=10;mm"}), Entries(bag));
}

TEST(SPropsSet, ValueAndCommentMayPointIntoTheEntryTheyReplace)
{
    SProps bag;
    bag.Set("k", "a rather long value that lives on the heap", "and its comment", true);
    const char* value = bag.GetValueAt(0);
    bag.Set("k", bag.GetCommentAt(0), value, true);
    EXPECT_EQ((Lines{"k=and its comment;a rather long value that lives on the heap"}), Entries(bag));
}

TEST(SPropsSet, EmptyKeyIsAppendedEveryTimeAndNeverFound)
{
    SProps bag;
    bag.Set("", "1", nullptr, true);
    bag.Set("", "2", nullptr, true);
    EXPECT_EQ(2, bag.Count());
    EXPECT_EQ(-1, bag.IndexOf(""));
    EXPECT_EQ(-1, bag.IndexOf(nullptr));
    EXPECT_EQ(nullptr, bag.Get("", nullptr));
    EXPECT_STREQ("2", bag.GetValueAt(1));
}

// ---- Looking keys up -----------------------------------------------------------

TEST(SPropsLookup, KeysFoldAsciiLettersOnly)
{
    SProps bag;
    bag.Set("Length", "1", nullptr, true);
    bag.Set("\xC4rea", "2", nullptr, true); // A with diaeresis in code page 1252
    struct Case { const char* key; int index; } cases[] = {
        {"length", 0}, {"LENGTH", 0}, {"Length", 0}, {"Lengt", -1}, {"Length ", -1},
        {"\xC4rea", 1}, {"\xC4REA", 1}, {"\xE4rea", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.index, bag.IndexOf(c.key)) << c.key;
}

TEST(SPropsLookup, GetGivesValueOrDefaultAndAnEmptyValueIsNotAbsent)
{
    SProps bag;
    bag.Set("empty", "", "note", true);
    bag.Set("full", "7", "seven", true);
    EXPECT_STREQ("", bag.Get("empty", "dflt"));
    EXPECT_STREQ("7", bag.Get("FULL", "dflt"));
    EXPECT_STREQ("dflt", bag.Get("absent", "dflt"));
    EXPECT_EQ(nullptr, bag.Get("absent", nullptr));
    EXPECT_EQ(nullptr, bag.Get(nullptr, nullptr));
    EXPECT_STREQ("seven", bag.GetComment("Full", "x"));
    EXPECT_STREQ("note", bag.GetComment("empty", "x"));
    EXPECT_STREQ("x", bag.GetComment("absent", "x"));
}

TEST(SPropsLookup, TextsStayValidWhileOtherEntriesComeAndGo)
{
    SProps bag;
    bag.Set("first", "gone soon", nullptr, true);
    bag.Set("kept", "a value long enough to live outside the string object", nullptr, true);
    const char* kept = bag.Get("kept", nullptr);
    for (int i = 0; i < 200; ++i)
        bag.Set(("k" + std::to_string(i)).c_str(), "filler text that takes some room", nullptr, true);
    bag.RemoveAt(0);
    EXPECT_STREQ("a value long enough to live outside the string object", kept);
}

// ---- Positions -------------------------------------------------------------------

TEST(SPropsPosition, OutOfRangeReadsGiveNullAndWritesFalse)
{
    SProps bag;
    bag.Set("a", "1", "c", true);
    for (int i : {-1, 1, 100}) {
        EXPECT_EQ(nullptr, bag.GetKeyAt(i)) << i;
        EXPECT_EQ(nullptr, bag.GetValueAt(i)) << i;
        EXPECT_EQ(nullptr, bag.GetCommentAt(i)) << i;
        EXPECT_FALSE(bag.SetValueAt(i, "x")) << i;
        EXPECT_FALSE(bag.SetCommentAt(i, "x")) << i;
        EXPECT_FALSE(bag.RemoveAt(i)) << i;
    }
    EXPECT_EQ((Lines{"a=1;c"}), Entries(bag));
}

TEST(SPropsPosition, WritesByPositionTouchOneFieldAndStoreNullAsEmpty)
{
    SProps bag;
    bag.Set("a", "1", "c", true);
    EXPECT_TRUE(bag.SetValueAt(0, "2"));
    EXPECT_EQ((Lines{"a=2;c"}), Entries(bag));
    EXPECT_TRUE(bag.SetCommentAt(0, "d"));
    EXPECT_EQ((Lines{"a=2;d"}), Entries(bag));
    EXPECT_TRUE(bag.SetValueAt(0, nullptr));
    EXPECT_TRUE(bag.SetCommentAt(0, nullptr));
    EXPECT_EQ((Lines{"a=;"}), Entries(bag));
}

TEST(SPropsPosition, RemoveAtKeepsTheOrderOfTheRest)
{
    struct Case { int at; Lines left; } cases[] = {
        {0, {"b=2;", "c=3;", "d=4;"}},
        {2, {"a=1;", "b=2;", "d=4;"}},
        {3, {"a=1;", "b=2;", "c=3;"}},
    };
    for (const Case& c : cases) {
        SProps bag;
        for (const char* k : {"a", "b", "c", "d"})
            bag.Set(k, std::to_string(*k - 'a' + 1).c_str(), nullptr, true);
        EXPECT_TRUE(bag.RemoveAt(c.at));
        EXPECT_EQ(c.left, Entries(bag)) << c.at;
    }
}

TEST(SPropsPosition, ClearAndResetEmptyTheBag)
{
    SProps bag;
    bag.Set("a", "1", nullptr, true);
    bag.Clear();
    EXPECT_EQ(0, bag.Count());
    bag.Set("b", "2", nullptr, true);
    EXPECT_EQ(&bag, &bag.Reset());
    EXPECT_EQ(0, bag.Count());
}

// ---- Prefixes --------------------------------------------------------------------

TEST(SPropsPrefix, FindPrefixCountsMatchesInBagOrderIgnoringCase)
{
    SProps bag;
    for (const char* k : {"p001", "q", "P002", "pp"})
        bag.Set(k, "v", nullptr, true);
    struct Case { const char* prefix; int n; int at; } cases[] = {
        {"p", 0, 0}, {"p", 1, 2}, {"p", 2, 3}, {"p", 3, -1}, {"P0", 1, 2},
        {"q", 0, 1}, {"q", 1, -1}, {"qq", 0, -1}, {"p", -1, -1},
        {"", 0, 0}, {"", 7, 0}, {nullptr, 3, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.at, bag.FindPrefix(c.prefix, c.n)) << (c.prefix ? c.prefix : "null") << " " << c.n;
    SProps empty;
    EXPECT_EQ(-1, empty.FindPrefix("", 0));
    EXPECT_EQ(-1, empty.FindPrefix(nullptr, 0));
}

TEST(SPropsPrefix, SetPrefixedJoinsPrefixAndKey)
{
    SProps bag;
    EXPECT_TRUE(bag.SetPrefixed("fitness.", "a", "1", "c", true));
    EXPECT_TRUE(bag.SetPrefixed(nullptr, "b", "2", nullptr, true));
    EXPECT_FALSE(bag.SetPrefixed("fitness.", "A", "3", nullptr, false));
    EXPECT_FALSE(bag.SetPrefixed("x.", nullptr, "4", nullptr, true));
    EXPECT_FALSE(bag.SetPrefixed("x.", "k", nullptr, nullptr, true));
    EXPECT_EQ((Lines{"fitness.a=1;c", "b=2;"}), Entries(bag));
}

// ---- Copying ---------------------------------------------------------------------

class SPropsCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        src.Set("a", "1", "ca", true);
        src.Set("b", "2", "cb", true);
        src.Set("c", "3", nullptr, true);
        src.Set("d", "4", nullptr, true);
    }
    SProps src;
    SProps dst;
};

TEST_F(SPropsCopy, RangesOfTheSource)
{
    struct Case { int first; int last; int result; Lines entries; } cases[] = {
        {0, -1, 4, {"a=1;ca", "b=2;cb", "c=3;", "d=4;"}},
        {1, 3, 2, {"b=2;cb", "c=3;"}},
        {2, 100, 2, {"c=3;", "d=4;"}},
        {2, 2, 0, {}},
        {3, 1, 0, {}},
    };
    for (const Case& c : cases) {
        SProps out;
        EXPECT_EQ(c.result, out.CopyFrom(&src, c.first, c.last)) << c.first << ".." << c.last;
        EXPECT_EQ(c.entries, Entries(out)) << c.first << ".." << c.last;
    }
}

TEST_F(SPropsCopy, OverwritesPresentKeysAndReturnsTheNewCount)
{
    dst.Set("B", "old", "old comment", true);
    dst.Set("z", "26", nullptr, true);
    EXPECT_EQ(5, dst.CopyFrom(&src, 0, -1));
    EXPECT_EQ((Lines{"B=2;cb", "z=26;", "a=1;ca", "c=3;", "d=4;"}), Entries(dst));
}

TEST_F(SPropsCopy, StopsAtTheFirstEmptyKey)
{
    SProps holey;
    holey.Set("a", "1", nullptr, true);
    holey.Set("b", "2", nullptr, true);
    holey.Set("", "3", nullptr, true);
    holey.Set("d", "4", nullptr, true);
    EXPECT_EQ(2, dst.CopyFrom(&holey, 0, -1));
    EXPECT_EQ((Lines{"a=1;", "b=2;"}), Entries(dst));
}

TEST_F(SPropsCopy, NullEmptyOrSelfCopiesNothing)
{
    SProps empty;
    dst.Set("x", "1", nullptr, true);
    EXPECT_EQ(0, dst.CopyFrom(nullptr, 0, -1));
    EXPECT_EQ(0, dst.CopyFrom(&empty, 0, -1));
    EXPECT_EQ(4, src.CopyFrom(&src, 0, -1));
    EXPECT_EQ((Lines{"x=1;"}), Entries(dst));
    EXPECT_EQ(4, src.Count());
}

// ---- Numbers and chaining ----------------------------------------------------------

TEST(SPropsPut, NumbersAreStoredAsTextInTheirFormats)
{
    SProps bag;
    int object = 0;
    bag.PutDouble("plain", 2.5)
        .PutDouble("formatted", 2.5, "c", true, "%.1f")
        .PutDouble("tiny", 0.0004)
        .PutLong("long", -42)
        .PutPointer("null", nullptr)
        .Put("text", "t", "ct");
    EXPECT_STREQ("2.500", bag.Get("plain", nullptr));
    EXPECT_STREQ("2.5", bag.Get("formatted", nullptr));
    EXPECT_STREQ("c", bag.GetComment("formatted", nullptr));
    EXPECT_STREQ("0.000", bag.Get("tiny", nullptr));
    EXPECT_STREQ("-42", bag.Get("long", nullptr));
    EXPECT_EQ(PointerText(0), bag.Get("null", ""));
    EXPECT_STREQ("ct", bag.GetComment("text", nullptr));

    bag.PutPointer("p", &object);
    EXPECT_EQ(PointerText(reinterpret_cast<uintptr_t>(&object)), bag.Get("p", ""));
}

TEST(SPropsPut, AHugeDoubleIsNeverCut)
{
    SProps bag;
    bag.PutDouble("big", 1e300);
    const std::string text = bag.Get("big", "");
    EXPECT_EQ(305u, text.size()); // 301 digits, the point and three decimals
    EXPECT_EQ(".000", text.substr(text.size() - 4));
}

TEST(SPropsPut, OverwriteFlagIsPassedOn)
{
    SProps bag;
    bag.PutLong("n", 1, "one");
    bag.PutLong("n", 2, nullptr, false).PutDouble("n", 3.0, nullptr, false).Put("n", "4", nullptr, false);
    EXPECT_EQ((Lines{"n=1;one"}), Entries(bag));
    bag.PutLong("N", 5);
    EXPECT_EQ((Lines{"n=5;"}), Entries(bag));
}

// ---- Large bags ---------------------------------------------------------------------
// Bags of a few dozen entries and more look their keys up through an index;
// what a lookup finds must be exactly what a scan from the first entry finds.

namespace {

// A plain list searched from the front: the rules every bag must keep.
struct ModelBag {
    struct Entry {
        std::string key, value;
    };
    std::vector<Entry> entries;

    static bool Same(const std::string& a, const std::string& b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i) {
            char x = a[i], y = b[i];
            if (x >= 'A' && x <= 'Z')
                x = static_cast<char>(x - 'A' + 'a');
            if (y >= 'A' && y <= 'Z')
                y = static_cast<char>(y - 'A' + 'a');
            if (x != y)
                return false;
        }
        return true;
    }
    int IndexOf(const std::string& key) const
    {
        if (key.empty())
            return -1;
        for (size_t i = 0; i < entries.size(); ++i)
            if (Same(entries[i].key, key))
                return static_cast<int>(i);
        return -1;
    }
};

// Renaming in place is how two entries come to share a key.
class RenamingBag : public SProps {
public:
    using SProps::ReplaceKeyAt;
};

} // namespace

TEST(SPropsLargeBags, LookupsFindWhatAScanFromTheFirstEntryFinds)
{
    // Keys differing in case, empty keys, renamings onto present keys,
    // removals at the end and in the middle, growing past the index size and
    // shrinking below it: after every step each key is found where a scan
    // finds it, and the entries stay in their order.
    std::vector<std::string> keys;
    for (int i = 0; i < 60; ++i)
        keys.push_back((i % 3 == 0 ? "Key." : "key.") + std::to_string(i % 40));
    keys.push_back("");
    keys.push_back("\xC4rea");
    keys.push_back("\xE4REA");

    RenamingBag bag;
    ModelBag model;
    unsigned state = 12345;
    auto next = [&state](unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % n;
    };
    for (int step = 0; step < 3000; ++step) {
        const std::string& key = keys[next(static_cast<unsigned>(keys.size()))];
        const std::string value = std::to_string(step);
        const unsigned op = next(10);
        const int count = bag.Count();
        if (op < 6 || count == 0) {
            const bool overwrite = op % 2 == 0;
            const int at = model.IndexOf(key);
            const bool changed = bag.Set(key.c_str(), value.c_str(), nullptr, overwrite);
            EXPECT_EQ(at < 0 || overwrite, changed) << step;
            if (at < 0)
                model.entries.push_back({key, value});
            else if (overwrite)
                model.entries[static_cast<size_t>(at)].value = value;
        } else if (op < 8) {
            // Removals lean towards the end, where rows of a list go.
            const int i = op == 6 ? count - 1 : static_cast<int>(next(static_cast<unsigned>(count)));
            EXPECT_TRUE(bag.RemoveAt(i));
            model.entries.erase(model.entries.begin() + i);
        } else if (op == 8) {
            const int i = static_cast<int>(next(static_cast<unsigned>(count)));
            EXPECT_TRUE(bag.ReplaceKeyAt(i, key.c_str()));
            model.entries[static_cast<size_t>(i)].key = key;
        } else if (next(8) == 0) {
            bag.Clear();
            model.entries.clear();
        }
        ASSERT_EQ(static_cast<int>(model.entries.size()), bag.Count()) << step;
        for (const std::string& k : keys)
            ASSERT_EQ(model.IndexOf(k), bag.IndexOf(k.c_str())) << "step " << step << " key " << k;
        for (size_t i = 0; i < model.entries.size(); ++i) {
            ASSERT_EQ(model.entries[i].key, bag.GetKeyAt(static_cast<int>(i))) << step;
            ASSERT_EQ(model.entries[i].value, bag.GetValueAt(static_cast<int>(i))) << step;
        }
    }
}
