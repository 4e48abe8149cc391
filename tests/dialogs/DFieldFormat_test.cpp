#include "dialogs/DFieldFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Keys = std::vector<std::string>;

DProps StockDescriptor(const char* format)
{
    DProps d;
    d.Set("fields", "length;quantity;knife;comment")
        .Set("titles", "Length;Quantity;Knife;Comment;Nothing")
        .Set("columns", "140;140;;320")
        .Set("format.separator", ";");
    if (format)
        d.Set("format", format);
    return d;
}

} // namespace

TEST(DFieldFormat, SetupSplitsTheDescriptor)
{
    DFieldFormat f;
    f.Setup(StockDescriptor(" knife ; length"));
    EXPECT_EQ((Keys{"length", "quantity", "knife", "comment"}), f.Fields());
    EXPECT_EQ((Keys{"knife", "length"}), f.Keys());
    EXPECT_EQ("Knife", f.Title("knife"));
    // The title after the last field names the empty field.
    EXPECT_EQ("Nothing", f.Title("\\empty"));
    EXPECT_EQ("", f.Title("label"));
    EXPECT_EQ("knife;length", f.FormatText(";"));
    EXPECT_EQ("knife|length", f.FormatText("|"));

    // No format: every field; an empty one: nothing chosen.
    f.Setup(StockDescriptor(nullptr));
    EXPECT_EQ(f.Fields(), f.Keys());
    f.Setup(StockDescriptor(""));
    EXPECT_TRUE(f.Keys().empty());

    // Without a title for it, the empty field has its default title.
    DProps bare;
    bare.Set("fields", "a,b").Set("format.separator", ",").Set("format", "b;a");
    f.Setup(bare);
    EXPECT_EQ((Keys{"a", "b"}), f.Fields());
    EXPECT_EQ((Keys{"b", "a"}), f.Keys());
    EXPECT_EQ("\\Empty field", f.Title("\\empty"));
    EXPECT_EQ((Keys{"", ""}), f.KeyTitles());
}

TEST(DFieldFormat, ForeignKeysBecomeTheEmptyField)
{
    DFieldFormat f;
    f.Setup(StockDescriptor("length;label;\\empty;Quantity;comment"));
    f.ReplaceForeignKeys();
    // Keys compare exactly: "Quantity" is not the field "quantity".
    EXPECT_EQ((Keys{"length", "\\empty", "\\empty", "\\empty", "comment"}), f.Keys());
    f.ReplaceKeys({"knife", "x", ""});
    EXPECT_EQ((Keys{"knife", "\\empty", "\\empty"}), f.Keys());
}

TEST(DFieldFormat, MenuOffersUnchosenFieldsAndTheEmptyFieldAlways)
{
    DFieldFormat f;
    f.Setup(StockDescriptor("quantity;\\empty"));
    const std::vector<std::pair<long, std::string>> expected = {
        {1, "Length"}, {3, "Knife"}, {4, "Comment"}, {5, "Nothing"}};
    EXPECT_EQ(expected, f.MenuChoices());
    EXPECT_EQ("length", f.KeyOfCommand(1));
    EXPECT_EQ("\\empty", f.KeyOfCommand(5));
    EXPECT_EQ("", f.KeyOfCommand(0));
    EXPECT_EQ("", f.KeyOfCommand(6));

    // A field without a title is offered under its key.
    DProps d;
    d.Set("fields", "a;b").Set("format", "a");
    f.Setup(d);
    EXPECT_EQ((std::vector<std::pair<long, std::string>>{{2, "b"}, {3, "\\Empty field"}}), f.MenuChoices());
}

TEST(DFieldFormat, EditingKeepsTheSelectionWithTheEntry)
{
    struct Case {
        const char* name;
        long (*edit)(DFieldFormat&);
        long selection;
        Keys keys;
    };
    const Case cases[] = {
        {"insert before 1", [](DFieldFormat& f) { return f.Insert(1, "knife"); }, 1,
         {"length", "knife", "quantity", "comment"}},
        {"insert past the end", [](DFieldFormat& f) { return f.Insert(9, "knife"); }, 3,
         {"length", "quantity", "comment", "knife"}},
        {"append", [](DFieldFormat& f) { return f.Append("\\empty"); }, 3,
         {"length", "quantity", "comment", "\\empty"}},
        {"remove middle", [](DFieldFormat& f) { return f.Remove(1); }, 1, {"length", "comment"}},
        {"remove last selects the new last", [](DFieldFormat& f) { return f.Remove(2); }, 1,
         {"length", "quantity"}},
        {"remove nothing", [](DFieldFormat& f) { return f.Remove(-1); }, -1,
         {"length", "quantity", "comment"}},
        {"up", [](DFieldFormat& f) { return f.MoveUp(2); }, 1, {"length", "comment", "quantity"}},
        {"up at the top", [](DFieldFormat& f) { return f.MoveUp(0); }, 0, {"length", "quantity", "comment"}},
        {"down", [](DFieldFormat& f) { return f.MoveDown(0); }, 1, {"quantity", "length", "comment"}},
        {"down at the bottom", [](DFieldFormat& f) { return f.MoveDown(2); }, 2,
         {"length", "quantity", "comment"}},
        {"down without selection", [](DFieldFormat& f) { return f.MoveDown(-1); }, -1,
         {"length", "quantity", "comment"}},
    };
    for (const Case& c : cases) {
        DFieldFormat f;
        f.Setup(StockDescriptor("length;quantity;comment"));
        EXPECT_EQ(c.selection, c.edit(f)) << c.name;
        EXPECT_EQ(c.keys, f.Keys()) << c.name;
    }
    DFieldFormat one;
    one.Setup(StockDescriptor("length"));
    EXPECT_EQ(-1, one.Remove(0));
    EXPECT_TRUE(one.Keys().empty());
}

TEST(DFieldFormat, ColumnWidthsScaleToTheListAndRound)
{
    DFieldFormat f;
    // 140, 140, 0 (empty entry), 320: sum 600.
    f.Setup(StockDescriptor(nullptr));
    EXPECT_EQ((std::vector<long>{70, 70, 0, 160}), f.ColumnWidths(300));
    EXPECT_EQ((std::vector<long>{117, 117, 0, 267}), f.ColumnWidths(501));  // 116.9, 116.9, 267.2

    // Fields without an entry start at 100.
    DProps d;
    d.Set("fields", "a;b;c").Set("columns", "50");
    f.Setup(d);
    EXPECT_EQ((std::vector<long>{40, 80, 80}), f.ColumnWidths(200));
    d.Set("columns", "1;1").Set("fields", "a;b");
    f.Setup(d);
    EXPECT_EQ((std::vector<long>{51, 51}), f.ColumnWidths(101));  // 50.5 rounds away from zero
}
