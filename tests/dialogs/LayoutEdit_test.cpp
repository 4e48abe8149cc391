// Editing a solution by hand keeps it feasible: parts move between the
// patterns and the free list, never appear or vanish.
#include <gtest/gtest.h>

#include "dialogs/LayoutEdit.h"
#include "support/SolvedMaterial.h"

namespace {

// Placed plus free pieces of a kind: what an edit must never change.
long TotalOf(const LayoutEdit& edit, long kind)
{
    long total = edit.FreeCount(kind);
    for (const CUTTING::Blank& c : edit.GetLayout().cuttings)
        for (const CUTTING::Piece& p : c.pieces)
            if (p.id == kind)
                total += c.quantity * p.quantity;
    return total;
}

class LayoutEditTest : public ::testing::Test {
protected:
    // Parts 1500 x4, 1000 x6, 700 x3 on stock 6000 (10 bars) and 4000.
    void Solve(const std::vector<PatternSpec>& patterns)
    {
        FillOrder(material);
        ApplyPatterns(material, patterns);
        edit.Load(material.GetLayout());
    }
    DCSProject material;
    LayoutEdit edit;
};

TEST_F(LayoutEditTest, CompleteSolutionOpensWithNothingFreeAndCanBeSaved)
{
    Solve({{1, 2, {{1, 2}, {2, 3}}}, {2, 1, {{3, 3}}}});
    ASSERT_EQ(3u, edit.GetLayout().pieces.size());
    for (const CUTTING::Piece& p : edit.GetLayout().pieces)
        EXPECT_EQ(0, p.quantity);
    EXPECT_EQ(0, edit.PiecesRemain());
    EXPECT_TRUE(edit.CanSave());
    EXPECT_FALSE(edit.CanRemove(0));
}

TEST_F(LayoutEditTest, PartPlusNeedsAFreePieceForEveryCopy)
{
    // Five bars with one 1000 each leave one 1000 free: another 1000 per bar needs five.
    Solve({{1, 5, {{2, 1}}}});
    EXPECT_EQ(1, edit.FreeCount(2));
    EXPECT_FALSE(edit.CanStep(0, 0, +1));
    EXPECT_FALSE(edit.Step(0, 0, +1));
    EXPECT_EQ(6, TotalOf(edit, 2));
    EXPECT_FALSE(edit.CanSave());

    // A kind the pattern does not hold can come from the free list only
    // when it covers the copies too.
    EXPECT_FALSE(edit.CanAddFree(0, 2));   // 700: 3 free, 5 copies
    ASSERT_TRUE(edit.Step(0, 1, -1));     // copies 5 -> 4
    ASSERT_TRUE(edit.Step(0, 1, -1));     // copies 4 -> 3
    EXPECT_TRUE(edit.CanAddFree(0, 2));
    ASSERT_TRUE(edit.AddFree(0, 2));
    EXPECT_EQ(0, edit.FreeCount(3));
    EXPECT_EQ(3, TotalOf(edit, 3));
}

TEST_F(LayoutEditTest, LoweringCopiesGivesEveryPartBack)
{
    Solve({{1, 2, {{1, 2}, {2, 3}}}, {2, 1, {{3, 3}}}});
    const long copiesRow = 2;
    ASSERT_TRUE(edit.CanStep(0, copiesRow, -1));
    ASSERT_TRUE(edit.Step(0, copiesRow, -1));
    EXPECT_EQ(1, edit.Pattern(0)->quantity);
    EXPECT_EQ(2, edit.FreeCount(1));
    EXPECT_EQ(3, edit.FreeCount(2));
    EXPECT_EQ(5, edit.PiecesRemain());
    EXPECT_EQ(5, DProps::GetLong(edit.GetLayout().props, "pieces.remains"));
    EXPECT_FALSE(edit.CanSave());

    // Raising them again takes the parts back, as long as they are free.
    ASSERT_TRUE(edit.CanStep(0, copiesRow, +1));
    ASSERT_TRUE(edit.Step(0, copiesRow, +1));
    EXPECT_FALSE(edit.CanStep(0, copiesRow, +1));
    EXPECT_TRUE(edit.CanSave());
    for (long kind = 1; kind <= 3; ++kind)
        EXPECT_EQ(kind == 2 ? 6 : (kind == 1 ? 4 : 3), TotalOf(edit, kind));
}

TEST_F(LayoutEditTest, NewPatternStartsEmptyAndGrowsWithinStockAndBar)
{
    Solve({{1, 1, {{1, 2}}}});
    const long added = edit.AddPattern(0, "0");
    ASSERT_EQ(1, added);
    EXPECT_EQ(0, edit.Pattern(added)->quantity);
    EXPECT_TRUE(edit.Pattern(added)->pieces.empty());
    EXPECT_EQ(1, DProps::GetLong(edit.Pattern(added)->props, "blank"));
    EXPECT_TRUE(edit.CanRemove(added));
    EXPECT_EQ(-1, edit.AddPattern(7, "0"));

    // A free part goes in at once: with 0 copies nothing is taken yet.
    ASSERT_TRUE(edit.AddFree(added, 0));  // 1500
    EXPECT_EQ(2, edit.FreeCount(1));
    // Copies rise while every part of the pattern has enough free pieces.
    const long copiesRow = 1;
    ASSERT_TRUE(edit.Step(added, copiesRow, +1));
    ASSERT_TRUE(edit.Step(added, copiesRow, +1));
    EXPECT_EQ(0, edit.FreeCount(1));
    EXPECT_FALSE(edit.CanStep(added, copiesRow, +1));
    EXPECT_FALSE(edit.CanRemove(added));

    // Four 1000s fit with the 1500 on 6000 (kerf 3); a fifth would not.
    edit.Step(added, copiesRow, -1);
    edit.Step(added, copiesRow, -1);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(edit.AddFree(added, 1)) << i;
    EXPECT_FALSE(edit.CanAddFree(added, 1));
    const std::string before = edit.Pattern(added)->signature;
    EXPECT_FALSE(edit.AddFree(added, 1));
    EXPECT_EQ(before, edit.Pattern(added)->signature);
    EXPECT_TRUE(edit.RemovePattern(added));
    EXPECT_EQ(1, edit.PatternCount());
}

TEST_F(LayoutEditTest, StockBarsLimitTheCopiesOfAllItsPatterns)
{
    // Stock 1 has 10 bars: two patterns on it with 6 and 4 copies use them all.
    Solve({{1, 6, {{3, 0}}}, {1, 4, {{3, 0}}}});
    EXPECT_FALSE(edit.CanStep(0, 1, +1));
    ASSERT_TRUE(edit.Step(1, 1, -1));
    EXPECT_TRUE(edit.CanStep(0, 1, +1));
}

TEST_F(LayoutEditTest, PartMinusReturnsOnePiecePerCopyAndStopsAtZero)
{
    Solve({{1, 2, {{1, 2}, {2, 3}}}, {2, 1, {{3, 3}}}});
    ASSERT_TRUE(edit.Step(0, 1, -1));   // 1000: 3 -> 2 per bar
    EXPECT_EQ(2, edit.FreeCount(2));
    ASSERT_TRUE(edit.Step(1, 0, -1));
    ASSERT_TRUE(edit.Step(1, 0, -1));
    ASSERT_TRUE(edit.Step(1, 0, -1));
    EXPECT_FALSE(edit.CanStep(1, 0, -1));
    EXPECT_EQ(3, edit.FreeCount(3));
    EXPECT_FALSE(edit.CanStep(1, 5, -1));
    EXPECT_FALSE(edit.CanStep(9, 0, -1));
    for (long kind = 1; kind <= 3; ++kind)
        EXPECT_EQ(kind == 2 ? 6 : (kind == 1 ? 4 : 3), TotalOf(edit, kind));
}

} // namespace

// A pattern rebuilt by hand that cuts a bar as another one does joins it at
// saving: one pattern with the copies of both, whatever order its parts were
// added in; a pattern that differs in any count stays.
TEST_F(LayoutEditTest, SavingMergesPatternsThatCutABarAlike)
{
    Solve({{1, 2, {{1, 2}, {2, 2}}}, {2, 1, {{3, 3}}}});
    // One bar of the first pattern given back, then built anew with its parts reversed.
    const long first = 0;
    const long copiesRow = static_cast<long>(edit.Pattern(first)->pieces.size());
    ASSERT_TRUE(edit.Step(first, copiesRow, -1));
    const long added = edit.AddPattern(0, "0");
    ASSERT_GE(added, 0);
    auto freeRowOf = [&](long kind) { return CUTTING::FindPieceById(edit.GetLayout().pieces, kind); };
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(edit.AddFree(added, freeRowOf(2)));
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(edit.AddFree(added, freeRowOf(1)));
    ASSERT_TRUE(edit.Step(added, static_cast<long>(edit.Pattern(added)->pieces.size()), +1));
    ASSERT_EQ(3, edit.PatternCount());

    edit.Finish("0");
    ASSERT_EQ(2, edit.PatternCount());
    EXPECT_EQ(2, edit.Pattern(0)->quantity);
    EXPECT_EQ(1, edit.Pattern(1)->quantity);
    for (long kind : {1L, 2L, 3L})
        EXPECT_EQ(kind == 1 ? 4 : kind == 2 ? 6 : 3, TotalOf(edit, kind)) << kind;
}
