#include "foundation/URecentList.h"

#include <gtest/gtest.h>

#include "support/TestFiles.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> Items(const URecentList& list)
{
    std::vector<std::string> items;
    for (long i = 0; i < list.Count(); ++i)
        items.push_back(list.GetAt(i).GetText());
    return items;
}

TEST(URecentList, AddingMovesAPathToTheFrontIgnoringCaseWithoutItsExtension)
{
    URecentList list;
    list.AddPath("D:\\p\\a.brvk");
    list.AddPath("D:\\p\\b.brvk");
    list.AddPath("D:\\p\\A.brvk");
    EXPECT_EQ((std::vector<std::string>{"D:\\p\\A", "D:\\p\\b"}), Items(list));
    list.AddPath("");
    list.AddFront("");
    EXPECT_EQ(2, list.Count());
}

TEST(URecentList, KeepsTheMostRecentUpToTheMaximum)
{
    URecentList list;
    for (int i = 0; i < 21; ++i)
        list.AddPath(("C:\\f\\p" + std::to_string(i) + ".brvk").c_str());
    ASSERT_EQ(20, list.Count());
    EXPECT_EQ("C:\\f\\p20", std::string(list.GetAt(0).GetText()));
    EXPECT_EQ("C:\\f\\p1", std::string(list.GetAt(19).GetText()));
    EXPECT_EQ("", std::string(list.GetAt(20).GetText()));
}

TEST(URecentList, TextFormRoundTripsEmptyItems)
{
    URecentList list;
    EXPECT_EQ("", std::string(list.ToText().GetText()));
    EXPECT_EQ(4, list.FromText("a| b ||c", false));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "", "c"}), Items(list));
    EXPECT_EQ("a|b||c", std::string(list.ToText().GetText()));
}

class URecentListFiles : public TempFolderTest {
protected:
    URecentListFiles() : TempFolderTest("recent_") {}
};

TEST_F(URecentListFiles, OnlyExistingFilesAreHandedOutAndMissingOnesDropped)
{
    WriteBytes(Path("kept.brvk"), "x");
    WriteBytes(Path("gone.brvk"), "x");
    URecentList list;
    list.SetExtension("brvk");
    list.AddPath(Path("kept.brvk").c_str());
    list.AddPath(Path("gone.brvk").c_str());
    ASSERT_TRUE(DeleteFileA(Path("gone.brvk").c_str()));
    EXPECT_EQ("", std::string(list.GetExistingAt(0).GetText()));
    EXPECT_EQ(Path("kept.brvk"), std::string(list.GetExistingAt(1).GetText()));
    EXPECT_EQ("", std::string(list.GetExistingAt(2).GetText()));
    EXPECT_EQ(1, list.RemoveMissing());
    EXPECT_EQ((std::vector<std::string>{Path("kept")}), Items(list));

    // Missing files among existing ones go, the others keep their order.
    for (const char* name : {"a.brvk", "b.brvk", "c.brvk", "d.brvk"})
        WriteBytes(Path(name), "x");
    URecentList mixed;
    mixed.SetExtension("brvk");
    for (const char* name : {"a.brvk", "b.brvk", "c.brvk", "d.brvk", "e.brvk"})
        mixed.AddPath(Path(name).c_str());
    ASSERT_TRUE(DeleteFileA(Path("b.brvk").c_str()));
    ASSERT_TRUE(DeleteFileA(Path("d.brvk").c_str()));
    EXPECT_EQ(2, mixed.RemoveMissing());
    EXPECT_EQ((std::vector<std::string>{Path("c"), Path("a")}), Items(mixed));

    // Loading with onlyExisting drops what is gone, keeping the order.
    URecentList loaded;
    EXPECT_EQ(1, loaded.FromText((Path("gone.brvk") + "|" + Path("kept.brvk")).c_str(), true));
}

struct ArgCase {
    const char* argument;
    bool result;
    const char* key;
    const char* value;
};

TEST(SplitCommandLineArg, Cases)
{
    const ArgCase cases[] = {
        {"-file:D:\\x.brvk", true, "file", "D:\\x.brvk"},
        {"-out:\"a b\"", true, "out", "a b"},
        {"--gui:0", true, "gui", "0"},
        {"-batch", true, "batch", ""},
        {"-key::x", true, "key", ""},
        {"-key: :x", true, "key", ""},
        {"-:x", false, "", "x"},
    };
    for (const ArgCase& c : cases) {
        UString key("old"), value("old");
        EXPECT_EQ(c.result, SplitCommandLineArg(c.argument, key, value)) << c.argument;
        EXPECT_EQ(std::string(c.key), key.GetText()) << c.argument;
        EXPECT_EQ(std::string(c.value), value.GetText()) << c.argument;
    }
    UString key("old"), value("old");
    EXPECT_FALSE(SplitCommandLineArg(nullptr, key, value));
    EXPECT_EQ("", std::string(key.GetText()));
    EXPECT_EQ("", std::string(value.GetText()));
}

} // namespace
