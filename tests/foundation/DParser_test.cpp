#include <gtest/gtest.h>

#include <string>

#include "foundation/DParser.h"
#include "foundation/DProps.h"

namespace {

class DParserExpand : public ::testing::Test {
protected:
    void SetUp() override
    {
        DProps& v = parser.Variables();
        v.Set("file", "C:\\a.txt");
        v.Set("project", "Hall");
        v.Set("x", "${y}");
        v.Set("y", "z");
        v.Set("app.name", "Bravik");
        v.Set("open", "${");
        v.Set("tail", "T");
    }
    DParser parser;
};

TEST_F(DParserExpand, ReplacesReferences)
{
    const struct {
        const char* text;
        const char* expanded;
    } cases[] = {
        {"File ${file} has been saved.", "File C:\\a.txt has been saved."},
        {"${unknown} x", " x"},
        {"${Project}", "Hall"},                 // names ignore case
        {"a ${b", "a ${b"},                     // unterminated: kept
        {"${file} and ${b", "C:\\a.txt and ${b"},
        {"${x}", "z"},                          // values are expanded in turn
        {"${app.name}/${project}", "Bravik/Hall"},
        {"${}", ""},
        {"}${project}{", "}Hall{"},
        {"$${project}}", "$Hall}"},
        // The inserted value is scanned together with what follows it.
        {"${open}tail}", "T"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expanded, parser.Expand(c.text)) << c.text;
    EXPECT_EQ("", parser.Expand(nullptr));
}

TEST_F(DParserExpand, SelfReferencesEnd)
{
    parser.Variables().Set("file", "C:\\${file}\\a");
    const std::string once = parser.Expand("${file}");
    EXPECT_EQ(0u, once.find("C:\\C:\\"));
    EXPECT_NE(std::string::npos, once.find("${file}"));

    parser.Variables().Set("p", "${q}");
    parser.Variables().Set("q", "<${p}>");
    const std::string cycle = parser.Expand("${p}");
    EXPECT_EQ(0u, cycle.find("<<"));
    EXPECT_NE(std::string::npos, cycle.find("${"));

    // A value that doubles itself at every level still ends.
    parser.Variables().Set("w", "${w}${w}");
    const std::string doubled = parser.Expand("${w}");
    EXPECT_EQ(std::string::npos, doubled.find_first_not_of("${w}"));
    EXPECT_EQ(std::size_t(1) << DParser::MaxDepth, doubled.size() / 4);
}

TEST_F(DParserExpand, ReferencesAfterAnInsertedValueAreAtTheOuterDepth)
{
    // Many siblings side by side must all expand: depth counts nesting, not number.
    std::string text, expected;
    for (int i = 0; i < 40; ++i) {
        text += "${x}";
        expected += "z";
    }
    EXPECT_EQ(expected, parser.Expand(text.c_str()));
}

TEST_F(DParserExpand, LookupAndGetValue)
{
    std::string out = "stale";
    EXPECT_TRUE(parser.Lookup("FILE", out));
    EXPECT_EQ("C:\\a.txt", out);
    EXPECT_FALSE(parser.Lookup("nothing", out));
    EXPECT_EQ("", out);
    EXPECT_FALSE(parser.Lookup(nullptr, out));
    EXPECT_EQ("Hall", parser.GetValue("project"));
    EXPECT_EQ("", parser.GetValue("nothing"));
}

TEST_F(DParserExpand, CopyHasVariablesOfItsOwn)
{
    DParser copy(parser);
    EXPECT_EQ("Hall", copy.Expand("${project}"));
    copy.Variables().Set("project", "Yard");
    EXPECT_EQ("Hall", parser.Expand("${project}"));
    EXPECT_EQ("Yard", copy.Expand("${project}"));
}

// A derived parser supplies values of its own through GetValue.
class CountingParser : public DParser {
public:
    std::string GetValue(const char* name) override
    {
        ++calls;
        if (std::string(name) == "n")
            return std::to_string(calls);
        return DParser::GetValue(name);
    }
    int calls = 0;
};

TEST(DParser, ExpandAsksTheVirtualGetValue)
{
    CountingParser parser;
    parser.Variables().Set("k", "v");
    EXPECT_EQ("1-2-v", parser.Expand("${n}-${n}-${k}"));
    EXPECT_EQ(3, parser.calls);
}

TEST(ExpandVariables, UsesTheBagWithoutChangingIt)
{
    DProps bag;
    bag.Set("name", "Steel");
    bag.Set("qty", "${n}");
    bag.Set("n", "4");
    EXPECT_EQ("Steel x 4", ExpandVariables("${name} x ${qty}", bag));
    EXPECT_EQ(3, bag.Count());
    EXPECT_EQ("", ExpandVariables(nullptr, bag));
}

TEST(ParseVariableTags, StoresEveryTag)
{
    const struct {
        const char* text;
        int stored;
        const char* key;
        const char* value;
    } cases[] = {
        {" ${ release : DeleteObject } ", 1, "release", "DeleteObject"},
        {"${release:free}", 1, "release", "free"},
        {"${a}", 1, "a", ""},
        {"${a:b:c}", 1, "a", "b"},
        {"${}", 0, nullptr, nullptr},
        {"${ : v}", 0, nullptr, nullptr},
        {"${a:b", 0, nullptr, nullptr},
        {"plain text", 0, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        DProps bag;
        EXPECT_EQ(c.stored, ParseVariableTags(c.text, bag));
        EXPECT_EQ(c.stored, bag.Count());
        if (c.key != nullptr) {
            EXPECT_STREQ(c.value, bag.Get(c.key));
        }
    }
}

TEST(ParseVariableTags, OverwritesAndCountsEachTag)
{
    DProps bag;
    bag.Set("release", "old", "kept?");
    EXPECT_EQ(3, ParseVariableTags("${release:free} text ${x:1}${RELEASE:again}", bag));
    EXPECT_EQ(2, bag.Count());
    EXPECT_STREQ("again", bag.Get("release"));
    EXPECT_STREQ("", bag.GetComment("release"));
    EXPECT_STREQ("1", bag.Get("x"));
    // The search goes on right after each "${", so a tag inside a broken one
    // is read as well as the broken one.
    DProps nested;
    EXPECT_EQ(2, ParseVariableTags("${a ${b:2}", nested));
    EXPECT_STREQ("2", nested.Get("a ${b"));
    EXPECT_STREQ("2", nested.Get("b"));
    EXPECT_EQ(0, ParseVariableTags(nullptr, nested));
}

}  // namespace
