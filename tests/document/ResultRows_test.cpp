#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/document/MaterialFixture.h"

namespace {

std::vector<std::string> Column(const PropsList& rows, const char* key)
{
    std::vector<std::string> out;
    for (const DProps& r : rows)
        out.push_back(Val(r, key));
    return out;
}

// Part rows a (id 1, 500 x 4), b (id 2, 500 x 5), c (id 3, 300 x 3) on one
// stock length of 6000.
class ResultRows : public MaterialFixture {
protected:
    void SetUp() override
    {
        MaterialFixture::SetUp();
        AddStock("6000");
        AddParts({{"500", "4", ""}, {"500", "5", ""}, {"300", "3", ""}});
    }
    // One pattern cut three times: three parts of 500 (kind id 1) and one of 300.
    void ApplyOnePattern()
    {
        SetLayout({MakePattern(1, 3, {CUTTING::Piece(1, 500, 3), CUTTING::Piece(3, 300, 1)}, "1200.00000")});
        material.ApplySolution(-1);
    }
};

TEST_F(ResultRows, CuttingRowTakesThePartRowsWithTheMostPartsFirst)
{
    ApplyOnePattern();
    ASSERT_EQ(1u, material.GetCuttingRows().size());
    const DProps& row = material.GetCuttingRows()[0];
    EXPECT_EQ("1#c1-a3-", Val(row, "signature"));  // "sort" 0: shorter parts first
    EXPECT_EQ("3", Val(row, "copies"));
    EXPECT_EQ("1200", Val(row, "remains"));
    EXPECT_EQ("1", Val(row, "blank"));
    EXPECT_EQ("0", Val(row, "shifts"));
    EXPECT_EQ("#2 x 5; #1 x 4; #3 x 3", Val(row, "output"));
    EXPECT_EQ("300; 500; 500; 500", Val(row, "layout"));
}

TEST_F(ResultRows, ARowWithMoreThanNeededKeepsTheRestForLaterPatterns)
{
    SetRowValue(material, RowsPieces, 1, "quantity", "12");
    SetRowValue(material, RowsPieces, 1, "label", "Door");
    material.Refresh(false);
    SetLayout({MakePattern(1, 3, {CUTTING::Piece(1, 500, 3), CUTTING::Piece(3, 300, 1)}),
               MakePattern(1, 4, {CUTTING::Piece(1, 500, 1)})});
    material.ApplySolution(-1);
    ASSERT_EQ(2u, material.GetCuttingRows().size());
    EXPECT_EQ("#2 Door x 9; #3 x 3", Val(material.GetCuttingRows()[0], "output"));
    EXPECT_EQ("#2 Door x 3; #1", Val(material.GetCuttingRows()[1], "output"));
}

TEST_F(ResultRows, AnAssignmentThatRunsOutOfRowsIsLeftEmpty)
{
    SetLayout({MakePattern(1, 1, {CUTTING::Piece(1, 500, 2), CUTTING::Piece(4, 250, 1)}),
               MakePattern(1, 1, {CUTTING::Piece(1, 500, 1)})});
    material.ApplySolution(-1);
    ASSERT_EQ(2u, material.GetCuttingRows().size());
    EXPECT_EQ("", Val(material.GetCuttingRows()[0], "output"));
    // The 500s the first pattern took stay taken.
    EXPECT_EQ("#2", Val(material.GetCuttingRows()[1], "output"));
}

TEST_F(ResultRows, PartOrderWithinTheSignatureFollowsSort)
{
    const struct {
        const char* sort;
        const char* signature;
    } cases[] = {{"0", "1#c1-d1-a2-"}, {"1", "1#a2-c1-d1-"}, {"2", "1#a2-c1-d1-"}};
    // Part kind 4 is as long as kind 3: the smaller id goes first.
    for (const auto& c : cases) {
        material.SetProperty("sort", c.sort);
        SetLayout({MakePattern(1, 1, {CUTTING::Piece(4, 300, 1), CUTTING::Piece(1, 500, 2), CUTTING::Piece(3, 300.00000001, 1)})});
        material.ApplySolution(-1);
        EXPECT_EQ(c.signature, Val(material.GetCuttingRows()[0], "signature")) << "sort " << c.sort;
    }
}

TEST_F(ResultRows, Sort1OrdersPatternsOfOneStockByCopiesThenRemains)
{
    AddStock("4000");
    material.SetProperty("sort", "1");
    SetLayout({MakePattern(2, 5, {CUTTING::Piece(1, 500, 1)}), MakePattern(1, 2, {CUTTING::Piece(1, 500, 1)}),
               MakePattern(1, 5, {CUTTING::Piece(1, 500, 1)}, "300.00000"),
               MakePattern(1, 5, {CUTTING::Piece(1, 500, 1)}, "100.00000")});
    material.ApplySolution(-1);
    EXPECT_EQ((Texts{"1", "1", "1", "2"}), Column(material.GetCuttingRows(), "blank"));
    EXPECT_EQ((Texts{"5", "5", "2", "5"}), Column(material.GetCuttingRows(), "copies"));
    EXPECT_EQ((Texts{"100", "300", "0", "0"}), Column(material.GetCuttingRows(), "remains"));

    material.SetProperty("sort", "0");
    SetLayout({MakePattern(2, 5, {CUTTING::Piece(1, 500, 1)}), MakePattern(1, 2, {CUTTING::Piece(1, 500, 1)}),
               MakePattern(1, 5, {CUTTING::Piece(1, 500, 1)})});
    material.ApplySolution(-1);
    EXPECT_EQ((Texts{"1", "1", "2"}), Column(material.GetCuttingRows(), "blank"));
    EXPECT_EQ((Texts{"2", "5", "5"}), Column(material.GetCuttingRows(), "copies"));
}

// ---- Cutting part rows ---------------------------------------------------------------

TEST_F(ResultRows, BarsThatReceiveDifferentRowsBecomeLetteredGroups)
{
    ApplyOnePattern();
    const PropsList& parts = material.GetCuttingPartRows();
    EXPECT_EQ((Texts{"1-a", "1-b", "1-c"}), Column(parts, "name"));
    EXPECT_EQ((Texts{"1#c1-a3-", "1#c1-a1-b2-", "1#c1-b3-"}), Column(parts, "signature"));
    EXPECT_EQ((Texts{"1", "1", "1"}), Column(parts, "copies"));
    EXPECT_EQ((Texts{"#3; #1 x 3", "#3; #1; #2 x 2", "#3; #2 x 3"}), Column(parts, "output"));
    EXPECT_EQ((Texts{"300; 500 x 3", "300; 500; 500 x 2", "300; 500 x 3"}), Column(parts, "layout"));
    EXPECT_EQ((Texts{"1200", "1200", "1200"}), Column(parts, "remains"));
}

TEST_F(ResultRows, BarsWithTheSameRowsMergeEvenAcrossCuttingRows)
{
    SetRowValue(material, RowsPieces, 0, "quantity", "6");
    SetRowValue(material, RowsPieces, 2, "quantity", "4");
    material.Refresh(false);
    SetLayout({MakePattern(1, 3, {CUTTING::Piece(1, 500, 2), CUTTING::Piece(2, 500, 0)}),
               MakePattern(1, 1, {CUTTING::Piece(3, 300, 4)})});
    material.ApplySolution(-1);
    EXPECT_EQ((Texts{"1", "2"}), Column(material.GetCuttingPartRows(), "name"));
    EXPECT_EQ((Texts{"3", "1"}), Column(material.GetCuttingPartRows(), "copies"));
    EXPECT_EQ((Texts{"1#a2-", "1#c4-"}), Column(material.GetCuttingPartRows(), "signature"));

    // Two one-bar rows whose bars receive the same rows make one group, named
    // after the first of them.
    DocumentProbe::Cuttings(material) = {RowOf({{"signature", "1#c2-"}, {"copies", "1"}}),
                           RowOf({{"signature", "1#c2-"}, {"copies", "1"}})};
    material.BuildCuttingParts();
    EXPECT_EQ((Texts{"1"}), Column(material.GetCuttingPartRows(), "name"));
    EXPECT_EQ((Texts{"2"}), Column(material.GetCuttingPartRows(), "copies"));
}

TEST_F(ResultRows, AStoredRowWithoutPartsStopsTheGroups)
{
    DocumentProbe::Cuttings(material) = {RowOf({{"signature", "1#a1-"}, {"copies", "1"}}),
                           RowOf({{"signature", "1#"}, {"copies", "1"}})};
    material.BuildCuttingParts();
    EXPECT_TRUE(material.GetCuttingPartRows().empty());
    DocumentProbe::Cuttings(material).clear();
    DocumentProbe::CuttingParts(material) = {RowOf({{"name", "kept"}})};
    material.BuildCuttingParts();
    EXPECT_EQ(1u, material.GetCuttingPartRows().size());
}

// Stored rows can claim anything; the groups never hold more bars or parts
// than the order demands.
TEST_F(ResultRows, AbsurdStoredCountsAreHeldAtTheDemand)
{
    DocumentProbe::Cuttings(material) = {RowOf({{"signature", "1#a2-"}, {"copies", "2000000000"}}),
                           RowOf({{"signature", "1#c999999999-"}, {"copies", "1"}})};
    material.BuildCuttingParts();
    long bars = 0;
    for (const DProps& row : material.GetCuttingPartRows())
        bars += DProps::GetLong(row, "copies");
    EXPECT_LE(bars, 12);
    EXPECT_GE(bars, 1);
}

// ---- Summary and remnants ----------------------------------------------------------------

TEST_F(ResultRows, SummaryCopiesTheLayoutAndItsStockLengths)
{
    material.SetProperty("time.gone", "12");
    SetLayout({MakePattern(1, 3, {CUTTING::Piece(1, 500, 3), CUTTING::Piece(3, 300, 1)})});
    DocumentProbe::Layout(material).props.Set("used", "3");
    DocumentProbe::Layout(material).props.Set("status", "");
    DocumentProbe::Layout(material).blanks[0].props.Set("used", "3");
    material.ApplySolution(-1);
    ASSERT_EQ(2u, material.GetSummaryRows().size());
    const DProps& summary = material.GetSummaryRows()[0];
    EXPECT_EQ("summary", Val(summary, "type"));
    EXPECT_EQ("3", Val(summary, "used"));
    EXPECT_EQ("", Val(summary, "status"));
    EXPECT_EQ("12", Val(summary, "time.gone"));
    EXPECT_EQ("", Val(summary, "time.date"));
    EXPECT_EQ("a", Val(material.GetSummaryRows()[1], "name"));
    EXPECT_EQ("3", Val(material.GetSummaryRows()[1], "used"));
}

TEST_F(ResultRows, SummaryStatusNamesMissingPartsAndTheDiversityLimit)
{
    const struct {
        const char* orphans;
        const char* diversity;
        const char* status;
    } cases[] = {
        {"0", "0", "<absent>"},
        {"2", "0", "Incomplete"},
        {"0", "2", "Smax=2"},
        {"2", "2", "Incomplete; Smax=2"},
    };
    for (const auto& c : cases) {
        SetLayout({MakePattern(1, 1, {CUTTING::Piece(1, 500, 1)})});
        SetRowValue(material, RowsPieces, 2, "orphans", c.orphans);
        material.SetProperty("diversity", c.diversity);
        material.ApplySolution(-1);
        EXPECT_EQ(c.status, Val(material.GetSummaryRows()[0], "status")) << c.orphans << "/" << c.diversity;
    }
    app.SetLocaleText("messages", "status.42", "Unvollst\xe4ndig");
    material.ApplySolution(-1);
    EXPECT_EQ("Unvollst\xe4ndig; Smax=2", Val(material.GetSummaryRows()[0], "status"));
}

TEST_F(ResultRows, RemnantRowsOnlyWhenTheOptionAsksForThem)
{
    SetLayout({MakePattern(1, 1, {CUTTING::Piece(1, 500, 1)})});
    AddStock("3000");
    SetLayout({MakePattern(1, 1, {CUTTING::Piece(1, 500, 1)})});
    DocumentProbe::Layout(material).props.Set("remnants", "5500.00000");
    DocumentProbe::Layout(material).blanks[0].props.Set("remnants", "5500.00000");
    DocumentProbe::Layout(material).blanks[1].props.Set("remnants", "0.00000");
    material.ApplySolution(-1);
    EXPECT_TRUE(material.GetRemnantRows().empty());
    EXPECT_FALSE(material.HasRemnants());

    material.SetProperty("remnants", "1000");
    material.RefreshResults();
    EXPECT_EQ((Texts{"summary", "<absent>"}), Column(material.GetRemnantRows(), "type"));
    EXPECT_TRUE(material.HasRemnants());
}

// ---- Applying --------------------------------------------------------------------------

TEST_F(ResultRows, ApplyingTakesTheRankedSolutionAndDropsTheAlternatives)
{
    CUTTING::Layout longer, shorter;
    longer.props.Set("used.len", "18000");
    longer.cuttings.push_back(MakePattern(1, 3, {CUTTING::Piece(1, 500, 4)}));
    shorter.props.Set("used.len", "12000");
    shorter.cuttings.push_back(MakePattern(1, 2, {CUTTING::Piece(1, 500, 4)}));
    DocumentProbe::Solutions(material).Add(longer);
    DocumentProbe::Solutions(material).Add(shorter);
    app.ClearEvents();

    material.ApplySolution(0);
    EXPECT_EQ(0, material.GetSolutions().Count());
    EXPECT_EQ("12000", Val(material.GetLayout().props, "used.len"));
    EXPECT_EQ((Texts{"2"}), Column(material.GetCuttingRows(), "copies"));
    EXPECT_EQ(1, app.CountEvents(13));
    EXPECT_TRUE(material.IsChanged(kChangedResults));
}

TEST_F(ResultRows, ApplyingAChosenSolutionChargesItsOwnUnplacedPartsToThePartRows)
{
    CUTTING::Layout complete, incomplete;
    complete.cuttings.push_back(MakePattern(1, 3, {CUTTING::Piece(1, 500, 3), CUTTING::Piece(3, 300, 1)}));
    complete.orphans = {CUTTING::Piece(1, 500, 0), CUTTING::Piece(3, 300, 0)};
    incomplete.cuttings.push_back(MakePattern(1, 2, {CUTTING::Piece(1, 500, 3)}));
    incomplete.orphans = {CUTTING::Piece(1, 500, 3), CUTTING::Piece(3, 300, 3)};
    complete.pieces = incomplete.pieces = {CUTTING::Piece(1, 500, 9), CUTTING::Piece(3, 300, 3)};
    // As a calculation leaves the rows: charged with its last pass's layout.
    DocumentProbe::Layout(material) = incomplete;
    material.ComputeOrphans();
    ASSERT_EQ(6, material.GetOrphans(""));

    DocumentProbe::Solutions(material).Add(complete);
    DocumentProbe::Solutions(material).Add(incomplete);
    material.ApplySolution(0);
    EXPECT_EQ(0, material.GetOrphans(""));
    EXPECT_EQ("<absent>", Val(material.GetWarnings(), "44"));

    DocumentProbe::Solutions(material).Add(incomplete);
    material.ApplySolution(0);
    EXPECT_EQ(6, material.GetOrphans(""));
}

TEST_F(ResultRows, ApplyingOutsideTheListKeepsItAndTheCurrentLayout)
{
    ApplyOnePattern();
    DocumentProbe::Solutions(material).Add(CUTTING::Layout());
    DocumentProbe::Solutions(material).Add(CUTTING::Layout());
    for (long index : {-1L, 2L}) {
        material.ApplySolution(index);
        EXPECT_EQ(2, material.GetSolutions().Count());
        EXPECT_EQ((Texts{"1#c1-a3-"}), Column(material.GetCuttingRows(), "signature"));
    }
}

TEST_F(ResultRows, ApplyingCollectsTheWarningsOfTheResult)
{
    SetLayout({MakePattern(1, 1, {CUTTING::Piece(1, 500, 1)})});
    DocumentProbe::Layout(material).orphans.push_back(CUTTING::Piece(3, 300, 2));
    DocumentProbe::Warnings(material).Set("31", "stale");
    material.ApplySolution(-1);
    // Named by the apply itself, not only when handed out.
    EXPECT_EQ("Steel", DocumentProbe::Warnings(material).Name());
    EXPECT_EQ("${calc}", Val(material.GetWarnings(), "44"));
    EXPECT_EQ("<absent>", Val(material.GetWarnings(), "31"));
    EXPECT_EQ("<absent>", Val(material.GetWarnings(), "36"));

    DCSProject empty;
    empty.ApplySolution(-1);
    EXPECT_EQ("${order}", Val(empty.GetWarnings(), "36"));
    EXPECT_EQ("${order}", Val(empty.GetWarnings(), "37"));
}

TEST_F(ResultRows, AnEmptyLayoutKeepsTheOldCuttingRows)
{
    ApplyOnePattern();
    DocumentProbe::Layout(material).cuttings.clear();
    material.ApplySolution(-1);
    EXPECT_EQ(1u, material.GetCuttingRows().size());
    EXPECT_EQ(3u, material.GetCuttingPartRows().size());
}

TEST_F(ResultRows, LayoutTextUsesTheListSeparatorAndTheLocaleNumberSign)
{
    app.SetListSeparator(" | ");
    app.SetLocaleText("globals", "no", "Nr.");
    ApplyOnePattern();
    EXPECT_EQ("300 | 500 | 500 | 500", Val(material.GetCuttingRows()[0], "layout"));
    EXPECT_EQ("Nr.2 x 5; Nr.1 x 4; Nr.3 x 3", Val(material.GetCuttingRows()[0], "output"));
    EXPECT_EQ("300; 500 x 3", Val(material.GetCuttingPartRows()[0], "layout"));
}

TEST_F(ResultRows, DescribeSignatureListsThePartsAndTheirLengths)
{
    DProps bag;
    std::vector<std::string> letters = {"kept"};
    EXPECT_EQ(0, material.DescribeSignature(bag, "", letters));
    EXPECT_EQ((Texts{"kept"}), letters);
    EXPECT_EQ(0, bag.Count());

    DProps& third = DocumentProbe::Pieces(material)[2];
    third.RemoveAt(third.IndexOf("length"));
    EXPECT_EQ(4, material.DescribeSignature(bag, "1#a2-c1-z1-", letters));
    EXPECT_EQ((Texts{"a", "a", "c", "z"}), letters);
    EXPECT_EQ("4", Val(bag, "pieces"));
    EXPECT_EQ("500; 500; -", Val(bag, "formatting"));
}

}  // namespace
