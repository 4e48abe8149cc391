#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "CuttingFixtures.h"
#include "engine/Pattern.h"

using namespace CUTTING;

TEST(PatternUsedFraction, CuttingRuleCases)
{
    struct Case {
        const char* name;
        Blank bar;
        bool withTrim;
        double fraction;
        double remainder;
    };
    const std::vector<Case> cases = {
        {"two parts, kerf 5", MakePattern(1, 6000, 5, 0, {{1, 2000, 2}}), false, 4010.0 / 6000.0, 1990},
        {"exact fill, no kerf", MakePattern(1, 6000, 0, 0, {{1, 2000, 3}}), false, 1.0, 0},
        {"exact fill ignores trim", MakePattern(1, 6000, 0, 20, {{1, 2000, 3}}), true, 1.0, 0},
        {"overrun by the final cut", MakePattern(1, 6000, 5, 0, {{1, 2000, 3}}), false, 1.0025, -15},
        {"empty pattern", MakePattern(1, 6000, 5, 20, {}), true, 0.0, 6000},
        {"trim divides the rest", MakePattern(1, 6000, 5, 20, {{1, 2000, 2}}), true, 4010.0 / 5980.0, 1990},
        {"kinds with count 0 are skipped", MakePattern(1, 6000, 5, 0, {{1, 1000, 1}, {2, 500, 0}, {3, 2000, 1}}),
         false, 3010.0 / 6000.0, 2990},
        {"zero-length bar", MakePattern(1, 0, 5, 0, {{1, 100, 1}}), false, 0.0, -105},
        {"trim equal to the bar", MakePattern(1, 100, 5, 100, {{1, 10, 1}}), true, 0.0, 85},
    };
    for (const Case& c : cases) {
        double r = 12345;
        EXPECT_NEAR(c.fraction, UsedFraction(c.bar.pieces, c.bar, &r, c.withTrim), 1e-12) << c.name;
        EXPECT_NEAR(c.remainder, r, 1e-9) << c.name;
    }
    const Blank bar = MakePattern(1, 6000, 5, 0, {{1, 2000, 2}});
    EXPECT_NEAR(0.66833, UsedFraction(bar.pieces, bar, nullptr, false), 5e-6);
}

TEST(PatternFitCount, KerfTrimAndExactFill)
{
    struct Case {
        double knife, indent, part;
        long expected;
    };
    const std::vector<Case> cases = {
        {5, 20, 1980, 3},  // remainder 50 leaves room for cut and trim
        {5, 20, 1990, 2},  // remainder 20
        {5, 20, 1995, 2},  // remainder 5
        {0, 20, 2000, 3},  // exact fill needs neither cut nor trim
        {5, 0, 6000, 1},   // as long as the bar
        {5, 0, 6001, 0},   // longer than the bar
        {5, 0, 5990, 1},   // the first part leaves room for its cut
        {5, 0, 5998, 0},   // but not here
        {5, 0, 2997.5, 2}, // second part fits exactly after one kerf
        {0, 0, 1, 6000},
    };
    for (const Case& c : cases) {
        const Blank bar(1, 6000, 1, c.knife, c.indent);
        EXPECT_EQ(c.expected, FitCount(bar, Piece(1, c.part, 1))) << c.part << " kerf " << c.knife;
    }
}

TEST(PatternCombinations, BoundsAndCount)
{
    const Blank bar(1, 6000, 1, 0, 0);
    std::vector<long> counts{99};

    EXPECT_EQ(8u, CombinationBounds(counts, bar, {Piece(1, 2000, 5), Piece(2, 3000, 1)}));
    EXPECT_EQ((std::vector<long>{3, 1}), counts);

    EXPECT_EQ(1u, CombinationBounds(counts, bar, {}));
    EXPECT_TRUE(counts.empty());

    EXPECT_EQ(0u, CombinationBounds(counts, bar, {Piece(1, 2000, 0), Piece(2, 7000, 3)}));
    EXPECT_EQ((std::vector<long>{0, 0}), counts);

    // A part as long as the bar counts once; a part of length 0 never.
    EXPECT_EQ(2u, CombinationBounds(counts, bar, {Piece(1, 6000, 4), Piece(2, 0, 3), Piece(3, 7000, 1)}));
    EXPECT_EQ((std::vector<long>{1, 0, 0}), counts);

    // A negative open quantity bounds nothing instead of zeroing the product.
    EXPECT_EQ(3u, CombinationBounds(counts, bar, {Piece(1, 2000, -2), Piece(2, 3000, 2)}));
    EXPECT_EQ((std::vector<long>{0, 2}), counts);
}

TEST(PatternCombinations, ManyKindsSaturateInsteadOfWrapping)
{
    const Blank bar(1, 6000, 1, 5, 0);
    std::vector<long> counts;
    for (size_t kinds : {63u, 64u, 65u, 120u}) {
        std::vector<Piece> demand;
        for (size_t i = 0; i < kinds; ++i)
            demand.emplace_back(static_cast<long>(i) + 1, 40.0, 1);
        const uint64_t c = CombinationBounds(counts, bar, demand);
        EXPECT_EQ(kinds, counts.size());
        if (kinds == 63)
            EXPECT_EQ(uint64_t(1) << 63, c);
        else
            EXPECT_EQ(UINT64_MAX, c) << kinds;
    }
    // Triplet-like demand: 40 kinds of 3 parts each, each bound 3, 4^40 combinations.
    std::vector<Piece> triplets;
    for (long i = 0; i < 40; ++i)
        triplets.emplace_back(i + 1, 500.0 + i, 3);
    EXPECT_EQ(UINT64_MAX, CombinationBounds(counts, bar, triplets));
    EXPECT_GT(CombinationBounds(counts, bar, triplets), 1000u);
}

TEST(PatternLengthChanges, CountsDistinctSteps)
{
    const Blank bar(1, 6000, 1);
    EXPECT_EQ(0, LengthChanges(bar, {}));
    EXPECT_EQ(0, LengthChanges(Blank(1, 0, 1), {Piece(1, 100, 1)}));
    EXPECT_EQ(1, LengthChanges(bar, {Piece(1, 1000, 2)}));
    EXPECT_EQ(1, LengthChanges(bar, {Piece(1, 1000, 1), Piece(2, 500, 0), Piece(3, 1000, 2)}));
    EXPECT_EQ(3, LengthChanges(bar, {Piece(1, 1000, 1), Piece(2, 2000, 1), Piece(3, 1000, 1)}));
    EXPECT_EQ(1, LengthChanges(bar, {Piece(1, 2000, 1), Piece(2, 2000 + 5e-8, 1)}));
    EXPECT_EQ(0, LengthChanges(bar, {Piece(1, 0, 3)}));
}

TEST(PatternAddCount, AddsWhileTheBarHoldsThem)
{
    Blank b = MakePattern(1, 6000, 5, 0, {{1, 2000, 0}, {2, 1000, 0}});
    EXPECT_TRUE(AddCount(0, b, 5));
    EXPECT_EQ(2, b.pieces[0].quantity);
    EXPECT_TRUE(AddCount(1, b, 1));
    EXPECT_EQ(1, b.pieces[1].quantity);
    EXPECT_TRUE(AddCount(1, b, 3));
    EXPECT_EQ(1, b.pieces[1].quantity);  // 2000+2000+1000+1000 needs 6015

    EXPECT_FALSE(AddCount(2, b, 1));
    EXPECT_FALSE(AddCount(-1, b, 1));

    Blank over = MakePattern(1, 6000, 5, 0, {{1, 2000, 3}});
    EXPECT_FALSE(AddCount(0, over, 1));
    EXPECT_EQ(3, over.pieces[0].quantity);

    // The trim counts when adding.
    Blank trimmed = MakePattern(1, 6000, 5, 20, {{1, 1990, 0}});
    EXPECT_TRUE(AddCount(0, trimmed, 3));
    EXPECT_EQ(2, trimmed.pieces[0].quantity);
}

TEST(PatternCounts, KindsFitsAndSums)
{
    const Blank b = MakePattern(1, 6000, 0, 0, {{1, 1000, 2}, {2, 500, 0}, {3, 1000 - 5e-8, 1}});
    EXPECT_EQ(2, CountKinds(b));
    EXPECT_EQ(0, CountKinds(Blank()));

    EXPECT_TRUE(FitsCounts(b.pieces, {2, 0, 1}));
    EXPECT_TRUE(FitsCounts(b.pieces, {5, 5, 5}));
    EXPECT_FALSE(FitsCounts(b.pieces, {1, 0, 1}));
    EXPECT_FALSE(FitsCounts(b.pieces, {2, 0, 0}));

    EXPECT_EQ(3, SumQuantitiesAtLeast(-1, b.pieces));
    EXPECT_EQ(3, SumQuantitiesAtLeast(1000, b.pieces));  // within the tolerance counts
    EXPECT_EQ(0, SumQuantitiesAtLeast(1000.001, b.pieces));
    EXPECT_EQ(0, SumQuantitiesAtLeast(-1, {}));
}
