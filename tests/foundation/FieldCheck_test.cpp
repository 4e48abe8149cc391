#include "foundation/FieldCheck.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <utility>
#include <vector>

#include "support/PropsTestHelpers.h"
#include "foundation/StrList.h"

namespace {

std::vector<std::string> Column(const PropsList& list, const char* key)
{
    std::vector<std::string> out;
    for (const DProps& row : list)
        out.push_back(DProps::GetString(row, key, ""));
    return out;
}

} // namespace

// ---- Validation and normalisation ---------------------------------------------------

TEST(ValidateValue, JudgesAgainstTheDescriptor)
{
    struct Case { const char* value; Entries descriptor; long expected; };
    const Case cases[] = {
        {"", {{"type", "long"}, {"min", "1"}}, 0},
        {"", {{"type", "long"}, {"min", "1"}, {"default", ""}}, 1},  // any default makes empty valid
        {"5", {{"type", "long"}, {"min.warn", "10"}}, 2},
        {"10", {{"type", "long"}, {"min.warn", "10"}}, 1},
        {"11", {{"type", "long"}, {"max", "10"}, {"max.warn", "5"}}, 0},
        {"7", {{"type", "long"}, {"max", "10"}, {"max.warn", "5"}}, 2},
        {"-2147483648", {{"type", "long"}}, 1},
        {"0.5", {{"type", "double"}, {"max", "0.9"}}, 1},
        {"0.95", {{"type", "double"}, {"max", "0.9"}}, 0},
        {"0.9", {{"type", "double"}, {"max", "0.9"}}, 1},             // a bound is inside
        {"", {{"type", "double"}, {"min", "1"}}, 0},                   // empty reads 0
        {"3", {{"type", "double"}, {"min.warn", "2.5"}, {"max.warn", "2.9"}}, 2},
        {"  ab  ", {{"type", "text"}, {"max", "2"}}, 1},              // trimmed first
        {"  ab  ", {{"type", "text"}, {"max", "2"}, {"space", "1"}}, 0},
        {"a", {{"type", "text"}, {"min", "2"}}, 0},
        {"abc", {{"type", "text"}, {"min", "2"}, {"min.warn", "9"}}, 1}, // texts never warn
        // A number field holds a number and nothing else: atoi and atof
        // would read another one out of these.
        {"12mm", {{"type", "double"}, {"min", "1"}}, 0},
        {"2pcs", {{"type", "long"}, {"min", "1"}}, 0},
        {"2.5", {{"type", "long"}}, 0},
        {"1,250.5", {{"type", "double"}}, 0},
        {"1 200", {{"type", "double"}}, 0},
        {" 12 ", {{"type", "double"}, {"min", "1"}}, 1},
        {"+5", {{"type", "long"}, {"min", "1"}}, 1},
        {"anything", {{"type", "Long"}, {"max", "1"}}, 1},            // types are case-sensitive
        {"anything", {}, 1},
    };
    for (const Case& c : cases) {
        DProps descriptor = BagOf(c.descriptor);
        EXPECT_EQ(c.expected, ValidateValue(c.value, &descriptor)) << "'" << c.value << "' "
                                                                    << DProps::GetString(descriptor, "type", "");
    }
    EXPECT_EQ(1, ValidateValue("x", nullptr));
}

TEST(NormalizeValue, WritesTheStoredForm)
{
    struct Case { const char* value; Entries descriptor; const char* expected; };
    const Case cases[] = {
        {"abcdef", {{"type", "text"}, {"max", "4"}}, "abcd"},
        {"abcd", {{"type", "text"}, {"max", "4"}}, "abcd"},
        {"  ab  ", {{"type", "text"}}, "ab"},
        {"  ab  ", {{"type", "text"}, {"space", "1"}, {"max", "3"}}, "  a"},
        {"abc", {{"type", "text"}, {"max", "0"}}, "abc"},            // max 0 cuts nothing
        {"2.50", {{"type", "double"}}, "2.5"},
        {"3", {{"type", "double"}}, "3.0"},
        {"3", {{"type", "double"}, {"compact", "1"}}, "3"},
        {"-1", {{"type", "double"}, {"min", "0"}}, "0.000000"},
        {"7.25", {{"type", "double"}, {"max", "5.5"}}, "5.500000"},
        {"", {{"type", "long"}, {"default", "3"}}, "3"},
        {"007", {{"type", "long"}}, "7"},
        {"12abc", {{"type", "long"}}, "12"},
        {"50", {{"type", "long"}, {"min", "1"}, {"max", "8"}}, "8"},
        {"-3", {{"type", "long"}, {"min", "1"}, {"max", "8"}}, "1"},
        {"", {{"default", "x"}}, "x"},
        {" as is ", {{"type", "other"}}, " as is "},
    };
    for (const Case& c : cases) {
        DProps descriptor = BagOf(c.descriptor);
        EXPECT_EQ(c.expected, NormalizeValue(c.value, &descriptor)) << "'" << c.value << "'";
    }
    EXPECT_EQ("raw", NormalizeValue("raw", nullptr));
}

TEST(NormalizeValue, DoublesFollowTheNumericLocale)
{
    ASSERT_NE(nullptr, setlocale(LC_NUMERIC, "French_Canada.1252"));
    NumSetSeparator(",");
    DProps compact = BagOf({{"type", "double"}, {"compact", "1"}});
    DProps plain = BagOf({{"type", "double"}});
    std::string cut = NormalizeValue("2,50", &compact);
    std::string kept = NormalizeValue("12,500", &plain);
    DProps bounded = BagOf({{"type", "double"}, {"max", "0,9"}});
    long tooBig = ValidateValue("0,95", &bounded);
    long inside = ValidateValue("0,85", &bounded);
    setlocale(LC_NUMERIC, "C");
    NumSetSeparator(".");
    EXPECT_EQ("2,5", cut);
    EXPECT_EQ("12,5", kept);
    EXPECT_EQ(0, tooBig);
    EXPECT_EQ(1, inside);
}

// ---- Ordering -----------------------------------------------------------------------

TEST(CompareProps, PrimaryKeyByTypeAndDirection)
{
    DProps descending = BagOf({{"primary", "length"}, {"primary.type", "double"}});
    DProps ascending = BagOf({{"primary", "length"}, {"primary.type", "double"}, {"primary.less", "1"}});
    DProps longer = BagOf({{"length", "1200"}}), shorter = BagOf({{"length", "800"}});
    EXPECT_TRUE(CompareProps(&descending, &longer, &shorter));
    EXPECT_FALSE(CompareProps(&descending, &shorter, &longer));
    EXPECT_TRUE(CompareProps(&ascending, &shorter, &longer));
    EXPECT_FALSE(CompareProps(&ascending, &longer, &shorter));

    // As texts "800" sorts after "1200".
    DProps asText = BagOf({{"primary", "length"}, {"primary.less", "1"}});
    EXPECT_TRUE(CompareProps(&asText, &longer, &shorter));

    // 64-bit integers compare exactly beyond 32 bits.
    DProps asInt = BagOf({{"primary", "uid"}, {"primary.type", "__int64"}, {"primary.less", "1"}});
    DProps small = BagOf({{"uid", "4000000000"}}), big = BagOf({{"uid", "5000000000"}});
    EXPECT_TRUE(CompareProps(&asInt, &small, &big));
    EXPECT_FALSE(CompareProps(&asInt, &big, &small));
}

TEST(CompareProps, TiesGoToTheSecondaryKey)
{
    DProps byLengthThenName = BagOf({{"primary", "length"}, {"primary.type", "double"},
                                   {"secondary", "name"}, {"secondary.less", "1"}});
    DProps a = BagOf({{"length", "1200.000001"}, {"name", "a"}});
    DProps b = BagOf({{"length", "1200"}, {"name", "b"}});
    EXPECT_TRUE(CompareProps(&byLengthThenName, &a, &b));  // lengths equal within 1e-5
    EXPECT_FALSE(CompareProps(&byLengthThenName, &b, &a));

    // Secondary numbers that agree are told apart by their texts.
    DProps byQuantity = BagOf({{"primary", "length"}, {"primary.type", "double"},
                             {"secondary", "quantity"}, {"secondary.type", "long"},
                             {"secondary.less", "1"}});
    DProps q1 = BagOf({{"length", "5"}, {"quantity", "02"}});
    DProps q2 = BagOf({{"length", "5"}, {"quantity", "2"}});
    EXPECT_TRUE(CompareProps(&byQuantity, &q1, &q2));
    EXPECT_FALSE(CompareProps(&byQuantity, &q2, &q1));

    // Equal in every step: neither goes first.
    DProps same = BagOf({{"length", "5"}, {"quantity", "2"}});
    EXPECT_FALSE(CompareProps(&byQuantity, &q2, &same));
    EXPECT_FALSE(CompareProps(&byQuantity, &same, &q2));
}

TEST(PropsListSort, StableAndSafeWithATolerantOrder)
{
    DProps descending = BagOf({{"primary", "length"}, {"primary.type", "double"}});
    PropsList rows;
    const char* lengths[] = {"800", "1200", "800.000001", "1500", "1200.000002"};
    for (int i = 0; i < 5; ++i)
        rows.push_back(BagOf({{"length", lengths[i]}, {"id", std::to_string(i)}}));
    PropsListSort(rows, &descending);
    // Ties keep their order of entry.
    EXPECT_EQ((std::vector<std::string>{"3", "1", "4", "0", "2"}), Column(rows, "id"));

    // A chain of values each within 1e-5 of the next is no strict weak order;
    // sorting it must still end with every record present exactly once.
    PropsList chain;
    for (int i = 0; i < 200; ++i) {
        chain.push_back(BagOf({{"length", std::to_string((i * 37 % 200) * 0.000006)},
                             {"id", std::to_string(i)}}));
    }
    PropsListSort(chain, &descending);
    ASSERT_EQ(200u, chain.size());
    std::vector<bool> seen(200, false);
    for (const DProps& row : chain) {
        long id = DProps::GetLong(row, "id");
        ASSERT_FALSE(seen[id]);
        seen[id] = true;
    }
}

// ---- Record lists and maps -----------------------------------------------------------

class RecordList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rows.push_back(BagOf({{"uid", "11"}, {"material", "Steel"}}, "first"));
        rows.push_back(BagOf({{"uid", "12"}, {"material", "steel"}}, "second"));
        rows.push_back(BagOf({{"uid", "13"}, {"material", "Steel"}}, "third"));
    }
    PropsList rows;
};

TEST_F(RecordList, AtFindAndFilter)
{
    long position = -5;
    EXPECT_EQ(&rows[1], PropsListAt(&rows, 1, &position));
    EXPECT_EQ(1, position);
    EXPECT_EQ(nullptr, PropsListAt(&rows, 3));
    EXPECT_EQ(nullptr, PropsListAt(&rows, -1));
    EXPECT_EQ(nullptr, PropsListAt(static_cast<PropsList*>(nullptr), 0));

    EXPECT_EQ(&rows[1], PropsListFind(&rows, "material", "steel", &position));
    EXPECT_EQ(1, position);
    EXPECT_EQ(nullptr, PropsListFind(&rows, "material", "STEEL", &position));
    EXPECT_EQ(3, position); // the end
    EXPECT_EQ(nullptr, PropsListFind(&rows, "material", "", &position));
    EXPECT_EQ(&rows[0], PropsListFind(&rows, "absent", "")); // an absent key reads empty

    std::vector<long> positions = {99};
    EXPECT_EQ(2, PropsListFilter(&rows, "material", "Steel", positions));
    EXPECT_EQ((std::vector<long>{0, 2}), positions);
    EXPECT_EQ(0, PropsListFilter(&rows, "material", "Iron", positions));
    EXPECT_TRUE(positions.empty());

    EXPECT_EQ(&rows[2], PropsListFindName(&rows, "third", &position));
    EXPECT_EQ(2, position);
    EXPECT_EQ(nullptr, PropsListFindName(&rows, "Third"));
}

TEST_F(RecordList, MergeReplacesByUidAndAppendsTheRest)
{
    PropsList source;
    source.push_back(BagOf({{"uid", "12"}, {"length", "500"}}));
    source.push_back(BagOf({{"uid", "99"}, {"length", "700"}}));
    EXPECT_EQ(1, PropsListMerge(&source, &rows));
    ASSERT_EQ(4u, rows.size());
    // Replaced in place: the old entries are gone, the new ones are there.
    EXPECT_EQ(Entries({{"uid", "12"}, {"length", "500"}}), EntriesOf(rows[1]));
    EXPECT_EQ(Entries({{"uid", "99"}, {"length", "700"}}), EntriesOf(rows[3]));
}

TEST_F(RecordList, RecordsWithoutUidMatchNothing)
{
    rows.push_back(BagOf({{"material", "Iron"}}));     // no uid
    rows.push_back(BagOf({{"uid", ""}, {"x", "1"}}));  // empty uid
    PropsList source;
    source.push_back(BagOf({{"length", "300"}}));
    source.push_back(BagOf({{"uid", ""}, {"length", "400"}}));
    EXPECT_EQ(2, PropsListMerge(&source, &rows));
    ASSERT_EQ(7u, rows.size());
    EXPECT_EQ(Entries({{"material", "Iron"}}), EntriesOf(rows[3]));
    EXPECT_EQ(Entries({{"uid", ""}, {"x", "1"}}), EntriesOf(rows[4]));
    EXPECT_EQ("300", DProps::GetString(rows[5], "length", ""));
    EXPECT_EQ("400", DProps::GetString(rows[6], "length", ""));
}

TEST_F(RecordList, MergeIntoItselfChangesNothing)
{
    EXPECT_EQ(0, PropsListMerge(&rows, &rows));
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ(Entries({{"uid", "12"}, {"material", "steel"}}), EntriesOf(rows[1]));
    EXPECT_EQ(0, PropsListMerge(static_cast<PropsList*>(nullptr), &rows));
}

TEST(PropsMap, AtAndFind)
{
    PropsMap map;
    map[30] = BagOf({{"k", "thirty"}});
    map[10] = BagOf({{"k", "ten"}});
    EXPECT_EQ("ten", DProps::GetString(PropsMapAt(&map, 0), "k", ""));
    EXPECT_EQ("thirty", DProps::GetString(PropsMapAt(&map, 1), "k", ""));
    EXPECT_EQ(nullptr, PropsMapAt(&map, 2));
    EXPECT_EQ(nullptr, PropsMapAt(&map, -1));
    EXPECT_EQ(&map[30], PropsMapFind(&map, 30));
    EXPECT_EQ(nullptr, PropsMapFind(&map, 20));
    EXPECT_EQ(nullptr, PropsMapFind(nullptr, 30));
    EXPECT_EQ(nullptr, PropsMapAt(nullptr, 0));
}

// ---- Description ------------------------------------------------------------------------

TEST(PropsDescribe, NamesFormatsAndUnits)
{
    DProps length = BagOf({{"length", "1200"}, {"$name.length", "Length"}, {"$units.length", "mm"},
                         {"$format.length", "%.1f"}, {"$type.length", "double"}});
    EXPECT_EQ("((Length: 1200.0mm))", PropsDescribe(&length, ", "));

    DProps two = BagOf({{"a", "1"}, {"$format.a", "%.2f"}, {"b", "2.5"}, {"$units.b", " kg"}});
    EXPECT_EQ("((a: 1)(b: 2.5 kg))", PropsDescribe(&two, nullptr)); // no $type: as it stands
    EXPECT_EQ("((a: 1); (b: 2.5 kg))", PropsDescribe(&two, "; "));

    DProps empty;
    EXPECT_EQ("", PropsDescribe(&empty, ", "));
    EXPECT_EQ("", PropsDescribe(nullptr, ", "));
    DProps onlyHidden = BagOf({{"$name.x", "X"}});
    EXPECT_EQ("()", PropsDescribe(&onlyHidden, ", "));
}

TEST(PropsDescribe, AFormatThatIsNotForOneDoubleIsNotApplied)
{
    const char* formats[] = {"%s", "%.1f %f", "%d", "%n", "%*f", "no conversion"};
    for (const char* format : formats) {
        DProps bag = BagOf({{"x", "2.5"}, {"$format.x", format}, {"$type.x", "double"}});
        EXPECT_EQ("((x: 2.5))", PropsDescribe(&bag, ", ")) << format;
    }
    DProps percent = BagOf({{"x", "2.6"}, {"$format.x", "%.0f%%"}, {"$type.x", "double"}});
    EXPECT_EQ("((x: 3%))", PropsDescribe(&percent, ", "));
}
