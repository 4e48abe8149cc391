#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/document/MaterialFixture.h"
#include "support/SolvedMaterial.h"

namespace {

TEST(PiecesFromSignature, ExpandsTheGroupsAfterTheHash)
{
    const struct {
        const char* signature;
        long count;
        Texts letters;
        const char* pieces;
    } cases[] = {
        {"1#a2-b1-", 3, {"a", "a", "b"}, "3"},
        {"1#", 0, {}, "0"},
        {"no hash", 0, {}, "0"},
        {"2#A12-b1-", 13, {"A", "A", "A", "A", "A", "A", "A", "A", "A", "A", "A", "A", "b"}, "13"},
        {"1#a-b2", 2, {"b", "b"}, "2"},
        {"1#a2-b-3", 2, {"a", "a"}, "2"},
        {"1#a-2-", 0, {}, "0"},
        // Rows past the letters are named by their ids.
        {"(300)#(126)2-a1-", 3, {"(126)", "(126)", "a"}, "3"},
        {"1#(1200)1-", 1, {"(1200)"}, "1"},
    };
    for (const auto& c : cases) {
        Texts letters = {"old"};
        DProps bag;
        EXPECT_EQ(c.count, DCSProject::PiecesFromSignature(c.signature, letters, bag, 1000)) << c.signature;
        EXPECT_EQ(c.letters, letters) << c.signature;
        EXPECT_EQ(c.pieces, Val(bag, "pieces")) << c.signature;
    }
}

TEST(PiecesFromSignature, AnEmptySignatureLeavesListAndBagAlone)
{
    Texts letters = {"x"};
    DProps bag;
    bag.Set("pieces", "7");
    EXPECT_EQ(0, DCSProject::PiecesFromSignature("", letters, bag, 1000));
    EXPECT_EQ(0, DCSProject::PiecesFromSignature(nullptr, letters, bag, 1000));
    EXPECT_EQ(Texts{"x"}, letters);
    EXPECT_EQ("7", Val(bag, "pieces"));
}

class MaterialTexts : public MaterialFixture {
protected:
    void SetUp() override
    {
        MaterialFixture::SetUp();
        AddStock("6000", "4");
        AddParts({{"500", "20", ""}, {"300", "6", ""}, {"200", "4", ""}});
    }
};

TEST_F(MaterialTexts, TheMaterialsSignaturesStopAtTheDemand)
{
    Texts letters;
    DProps bag;
    EXPECT_EQ(30, material.PiecesFromSignature("1#a999999999-", letters, bag));
    EXPECT_EQ(30u, letters.size());
    EXPECT_EQ("999999999", Val(bag, "pieces"));
    EXPECT_EQ(3, material.PiecesFromSignature("1#a2-b1-", letters, bag));
}

TEST_F(MaterialTexts, OrphansOfOneRowOrOfAll)
{
    SetRowValue(material, RowsPieces, 0, "orphans", "2");
    SetRowValue(material, RowsPieces, 2, "orphans", "3");
    const struct {
        const char* id;
        long orphans;
    } cases[] = {{"", 5}, {nullptr, 5}, {"0", 5}, {"-3", 5}, {"1", 2}, {"2", 0}, {"3", 3}, {"7", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.orphans, material.GetOrphans(c.id)) << (c.id ? c.id : "null");
}

TEST_F(MaterialTexts, QuantityTextShowsPlacedOfRequired)
{
    SetRowValue(material, RowsPieces, 0, "orphans", "2");
    const struct {
        const char* id;
        bool totalOnly;
        const char* text;
    } cases[] = {
        {"1", false, "18 of 20"},
        {"1", true, "20 of 20"},
        {"2", false, "6"},
        {"", false, "28 of 30"},   // the order's total less every unplaced part
        {"9", false, "30"},        // no such row: the order's total, and no row's orphans
        {"9", true, "30 of 30"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, material.QuantityText(c.id, c.totalOnly)) << c.id << " " << c.totalOnly;

    app.SetLocaleText("globals", "of", "von");
    EXPECT_EQ("18 von 20", material.QuantityText("1", false));
    SetRowValue(material, RowsPieces, 1, "quantity", "0");
    EXPECT_EQ("-", material.QuantityText("2", false));

    DCSProject empty;
    EXPECT_EQ("-", empty.QuantityText("", false));
}

TEST_F(MaterialTexts, QuantityTextOfNoRowNumberIsTheOrdersTotal)
{
    // A row left unnumbered (added but not yet renumbered) reads its "id" as 0.
    DocumentProbe::Pieces(material).push_back(RowOf({{"length", "100"}, {"quantity", "7"}}));
    const struct {
        const char* id;
        bool totalOnly;
        const char* text;
    } cases[] = {
        {"0", true, "30 of 30"}, {"0", false, "30"}, {"-3", true, "30 of 30"}, {"x", true, "30 of 30"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, material.QuantityText(c.id, c.totalOnly)) << c.id << " " << c.totalOnly;
}

// ---- Warnings -------------------------------------------------------------------------

TEST(MaterialWarnings, AnUnnamedMaterialIsNamedAsTheCulprit)
{
    TestAppServices app;
    DCSProject material;
    DProps bag;
    bag.Set("102", "old");
    material.AppendRows({RowOf({{"length", "6000"}, {"quantity", "1"}})}, 1);
    material.AppendRows({RowOf({{"length", "500"}, {"quantity", "1"}})}, 2);
    EXPECT_EQ(0, material.CollectWarnings(bag));
    EXPECT_EQ("${project}", Val(bag, "102"));
    EXPECT_EQ(0, material.GetCheckResult());
    material.SetMaterial("Oak");
    EXPECT_EQ(0, material.UpdateWarnings());
    EXPECT_EQ(0, material.GetWarnings().Count());
}

TEST_F(MaterialTexts, UnplacedPartsAndTheOrderCheckFillTheBag)
{
    ApplyPatterns(material, {{1, 1, {{1, 2}}}});
    SetRowValue(material, RowsPieces, 1, "length", "6500");
    material.Refresh(false);
    const DProps& warnings = material.GetWarnings();
    EXPECT_EQ("Steel", warnings.Name());
    EXPECT_EQ("${calc}", Val(warnings, "44"));
    EXPECT_STREQ("", warnings.GetComment("44", "<none>"));
    EXPECT_EQ("${piece} #2", Val(warnings, "43"));
    EXPECT_EQ(2, material.GetCheckResult());  // 44 is the material's own and sets no flag

    SetRowValue(material, RowsPieces, 1, "length", "0");
    material.ClearSolutions();
    EXPECT_EQ(1, material.UpdateWarnings());
    EXPECT_EQ("<absent>", Val(material.GetWarnings(), "44"));
    EXPECT_EQ("${piece} #2", Val(material.GetWarnings(), "31"));
}

TEST_F(MaterialTexts, AMaterialWithoutResultsHasNoUnplacedPartsToWarnAbout)
{
    // Opening a file rebuilds the layout from the stored cutting rows; with
    // none, it holds the whole order as unplaced.
    material.RestoreLayout();
    ASSERT_GT(CUTTING::SumPieceQuantities(material.GetLayout().orphans), 0);
    EXPECT_EQ(0, material.UpdateWarnings());
    EXPECT_EQ(0, material.GetWarnings().Count());

    // Applied, a solution that leaves parts over is warned about...
    ApplyPatterns(material, {{1, 1, {{1, 2}}}});
    EXPECT_EQ("${calc}", Val(material.GetWarnings(), "44"));
    material.UpdateWarnings();
    EXPECT_EQ("${calc}", Val(material.GetWarnings(), "44"));
    // ...until its results are cleared, at once.
    material.ClearSolutions();
    EXPECT_EQ(0, material.GetWarnings().Count());
    material.UpdateWarnings();
    EXPECT_EQ(0, material.GetWarnings().Count());
}

TEST_F(MaterialTexts, GetWarningsNamesTheBagAfterTheMaterial)
{
    material.SetMaterial("Oak");
    EXPECT_EQ("Oak", material.GetWarnings().Name());
}

// ---- Content id -------------------------------------------------------------------------

TEST_F(MaterialTexts, ContentIdFollowsWhatReportsShow)
{
    const std::string base = material.GetContentId();
    EXPECT_EQ(8u, base.size());
    EXPECT_EQ(std::string::npos, base.find_first_not_of("0123456789ABCDEF"));
    EXPECT_EQ(base, material.GetContentId());

    DCSProject same = material;
    same.SetProperty("calculation", "0000002A");
    DCSProject other = material;
    other.SetProperty("calculation", "0000002B");
    EXPECT_NE(same.GetContentId(), other.GetContentId());
    EXPECT_NE(base, same.GetContentId());

    const struct {
        const char* key;
        const char* value;
    } edits[] = {{"desc", "x"}, {"comment", "x"}, {"comment.active", "1"}, {"notes", "x"}, {"notes.active", "1"}};
    for (const auto& e : edits) {
        DCSProject m = material;
        m.SetProperty(e.key, e.value);
        EXPECT_NE(base, m.GetContentId()) << e.key;
    }
    DCSProject edited = material;
    SetRowValue(edited, RowsPieces, 0, "comment", "left side");
    EXPECT_NE(base, edited.GetContentId());
    DCSProject optioned = material;
    optioned.SetProperty("sort", "1");
    optioned.UpdateFingerprint(true);
    EXPECT_NE(base, optioned.GetContentId());
}

// ---- Row operations of automation ---------------------------------------------------------

TEST_F(MaterialTexts, ImportedStockRowsGetDefaults)
{
    EXPECT_FALSE(material.ImportBlankRow(RowOf({{"quantity", "2"}})));
    EXPECT_EQ(1u, material.GetBlankRows().size());

    EXPECT_TRUE(material.ImportBlankRow(RowOf({{"length", "3000"}, {"label", "ignored"}})));
    ASSERT_EQ(2u, material.GetBlankRows().size());
    const DProps& row = material.GetBlankRows()[1];
    EXPECT_EQ("3000", Val(row, "length"));
    EXPECT_EQ("0", Val(row, "quantity"));
    // Without a "material" of its own the row stands outside the groups of
    // "Steel", so the renumbering neither numbers nor normalises it.
    EXPECT_EQ("0.00000", Val(row, "knife"));
    EXPECT_EQ("0.00000", Val(row, "indent"));
    EXPECT_EQ("<absent>", Val(row, "id"));
    EXPECT_EQ("1.00000", Val(row, "cost"));
    EXPECT_EQ("", Val(row, "comment"));
    EXPECT_EQ("<absent>", Val(row, "material"));
    EXPECT_EQ("<absent>", Val(row, "label"));
    EXPECT_NE("<absent>", Val(row, "uid"));

    EXPECT_TRUE(material.ImportBlankRow(
        RowOf({{"length", "2000"}, {"material", "Steel"}, {"quantity", "3"}, {"cost", "2.5"}, {"comment", "c"}})));
    const DProps& full = material.GetBlankRows()[2];
    EXPECT_EQ("Steel", Val(full, "material"));
    EXPECT_EQ("3", Val(full, "quantity"));
    EXPECT_EQ("2.5", Val(full, "cost"));
    EXPECT_EQ("c", Val(full, "comment"));
    EXPECT_EQ("2", Val(full, "id"));  // numbered among the rows of "Steel"
}

TEST_F(MaterialTexts, ImportedPartRowsBelongToThisMaterial)
{
    EXPECT_FALSE(material.ImportPieceRow(RowOf({{"length", "100"}})));
    EXPECT_FALSE(material.ImportPieceRow(RowOf({{"quantity", "1"}})));
    EXPECT_TRUE(material.ImportPieceRow(RowOf({{"length", "100"}, {"quantity", "5"}, {"material", "Oak"}})));
    ASSERT_EQ(4u, material.GetPieceRows().size());
    const DProps& row = material.GetPieceRows()[3];
    EXPECT_EQ("Steel", Val(row, "material"));
    EXPECT_EQ("", Val(row, "comment"));
    EXPECT_EQ("4", Val(row, "id"));
    EXPECT_EQ("d", Val(row, "name"));
    // The caller recounts afterwards.
    EXPECT_EQ(30, DProps::GetLong(material.GetTotals(), "pieces.quantity"));
}

TEST_F(MaterialTexts, DeletingRowsByNumber)
{
    const long n = static_cast<long>(material.GetPieceRows().size());
    EXPECT_FALSE(material.DeletePieceRow(0));
    EXPECT_FALSE(material.DeletePieceRow(n + 1));
    EXPECT_FALSE(material.DeleteBlankRow(2));
    EXPECT_EQ(3u, material.GetPieceRows().size());
    EXPECT_TRUE(material.DeletePieceRow(1));
    ASSERT_EQ(2u, material.GetPieceRows().size());
    EXPECT_EQ("300", Val(material.GetPieceRows()[0], "length"));
    EXPECT_EQ("1", Val(material.GetPieceRows()[0], "id"));
    EXPECT_EQ("a", Val(material.GetPieceRows()[0], "name"));
    EXPECT_TRUE(material.DeleteBlankRow(1));
    EXPECT_TRUE(material.GetBlankRows().empty());
}

}  // namespace
