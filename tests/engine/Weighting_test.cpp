#include "engine/Weighting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using CUTTING::Blank;
using CUTTING::Piece;

namespace {

std::string Prop(const DProps& bag, const char* key)
{
    return DProps::GetString(bag, key, "<absent>");
}

Piece Demand(long id, double length, long quantity, double weight = 1.0)
{
    Piece piece(id, length, quantity);
    piece.weight = weight;
    return piece;
}

} // namespace

TEST(PieceWeights, LongerOpenPartsWeighMore)
{
    std::vector<Piece> demand = {Demand(1, 3000, 4), Demand(2, 1500, 2), Demand(3, 5000, 0),
                                 Demand(4, 1500, 1, 2.0)};
    // The finished 5000 does not set the scale: only open parts do.
    EXPECT_EQ(3000.0, CUTTING::PieceWeights(demand));
    EXPECT_EQ("1.000000", Prop(demand[0].props, "weight"));
    EXPECT_EQ("0.250000", Prop(demand[1].props, "weight"));
    EXPECT_EQ("<absent>", Prop(demand[2].props, "weight"));
    // The part's own weight scales before squaring: (0.5 x 2)^2.
    EXPECT_EQ("1.000000", Prop(demand[3].props, "weight"));
}

TEST(PieceWeights, NothingOpenGivesZero)
{
    std::vector<Piece> demand = {Demand(1, 3000, 0)};
    EXPECT_EQ(0.0, CUTTING::PieceWeights(demand));
    EXPECT_EQ("<absent>", Prop(demand[0].props, "weight"));
    std::vector<Piece> none;
    EXPECT_EQ(0.0, CUTTING::PieceWeights(none));
}

TEST(PatternWeight, SumsTheDemandWeightsOfItsParts)
{
    std::vector<Piece> demand = {Demand(1, 3000, 4), Demand(2, 1500, 2), Demand(3, 700, 5)};
    CUTTING::PieceWeights(demand);
    Blank pattern(1, 6000, 1);
    pattern.pieces = {Piece(1, 3000, 2), Piece(2, 1500, 1), Piece(3, 700, 0)};
    pattern.fitness = 0.81;
    EXPECT_DOUBLE_EQ(2.25, CUTTING::PatternWeight(pattern, demand));
    EXPECT_EQ("2.25000", Prop(pattern.props, "weight"));
    // sqrt(0.81) + 2.25^2
    EXPECT_EQ("5.962500", Prop(pattern.props, "fitness.weight"));
}

TEST(PatternWeight, EntriesBeyondTheDemandWeighNothing)
{
    std::vector<Piece> demand = {Demand(1, 3000, 1)};
    CUTTING::PieceWeights(demand);
    Blank pattern(1, 6000, 1);
    pattern.pieces = {Piece(1, 3000, 1), Piece(2, 1000, 3)};
    EXPECT_DOUBLE_EQ(1.0, CUTTING::PatternWeight(pattern, demand));
    EXPECT_EQ("1.000000", Prop(pattern.props, "fitness.weight"));
}

TEST(PatternWeight, WeightsReadBeforehandGiveTheSameTextsAsTheDemand)
{
    std::vector<Piece> demand = {Demand(1, 3000, 4), Demand(2, 1100, 2), Demand(3, 700, 5, 1.7)};
    CUTTING::PieceWeights(demand);
    const std::vector<double> weights = CUTTING::DemandWeights(demand);
    ASSERT_EQ(3u, weights.size());
    EXPECT_DOUBLE_EQ(DProps::GetDouble(demand[1].props, "weight"), weights[1]);
    for (long third = 0; third < 4; ++third) {
        Blank direct(1, 6000, 1);
        direct.pieces = {Piece(1, 3000, 1), Piece(2, 1100, 2), Piece(3, 700, third)};
        direct.fitness = 0.64;
        Blank early = direct;
        EXPECT_EQ(CUTTING::PatternWeight(direct, demand), CUTTING::PatternWeight(early, weights));
        EXPECT_EQ(Prop(direct.props, "weight"), Prop(early.props, "weight"));
        EXPECT_EQ(Prop(direct.props, "fitness.weight"), Prop(early.props, "fitness.weight"));
    }
}

struct CostCase {
    const char* name;
    const char* remnants;  // null: key not set
    std::vector<long> counts;
    const char* expected;
};

class PatternCostTable : public ::testing::TestWithParam<CostCase> {};

TEST_P(PatternCostTable, ChargesTheBarUnlessTheLeftoverIsARemnant)
{
    const CostCase& c = GetParam();
    Blank pattern(1, 6000, 1);
    pattern.pieces = {Piece(1, 2000, c.counts[0]), Piece(2, 1000, c.counts[1])};
    pattern.props.Set("blank.length", "6000");
    pattern.props.Set("blank.cost", "2");
    if (c.remnants)
        pattern.props.Set("blank.remnants", c.remnants);
    CUTTING::PatternCost(pattern);
    EXPECT_EQ(c.expected, Prop(pattern.props, "cost")) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatternCostTable,
    ::testing::Values(
        // Leftover 2000 of a bar of 6000 with 4000 of parts.
        CostCase{"remnant", "1000", {2, 0}, "2.00000"},
        CostCase{"threshold equals leftover", "2000", {2, 0}, "3.00000"},
        CostCase{"no remnants", "0", {2, 0}, "3.00000"},
        CostCase{"key missing", nullptr, {2, 0}, "3.00000"},
        // 2 x 2000 + 1 x 1000 used, leftover 1000.
        CostCase{"two kinds", "500", {2, 1}, "2.00000"},
        CostCase{"two kinds, whole bar", "1500", {2, 1}, "2.40000"},
        CostCase{"nothing cut", "1000", {0, 0}, "0.00000"}));

TEST(PatternCost, ReturnsWhatItStores)
{
    Blank pattern(1, 6000, 1);
    pattern.pieces = {Piece(1, 2000, 2)};
    pattern.props.Set("blank.length", "6000");
    pattern.props.Set("blank.cost", "2");
    EXPECT_DOUBLE_EQ(3.0, CUTTING::PatternCost(pattern));
}

namespace {

std::vector<Blank> Candidates(const std::vector<const char*>& values)
{
    std::vector<Blank> list;
    long id = 1;
    for (const char* value : values) {
        Blank pattern(id++, 6000, 1);
        if (value)
            pattern.props.Set("fitness", value);
        list.push_back(pattern);
    }
    return list;
}

std::vector<long> Ids(const std::vector<Blank>& list)
{
    std::vector<long> ids;
    for (const Blank& b : list)
        ids.push_back(b.id);
    return ids;
}

} // namespace

TEST(FilterByProperty, KeepsAtLeastTheThresholdInOrder)
{
    std::vector<Blank> list = Candidates({"0.9", "0.49999", "0.50000", nullptr, "0.7"});
    EXPECT_EQ(3, CUTTING::FilterByProperty("fitness", 0.5, true, list));
    EXPECT_EQ((std::vector<long>{1, 3, 5}), Ids(list));
}

TEST(FilterByProperty, KeepsAtMostTheThresholdInOrder)
{
    std::vector<Blank> list = Candidates({"0.9", "0.49999", "0.50000", nullptr, "0.7"});
    // A missing value reads as 0 and so stays below.
    EXPECT_EQ(3, CUTTING::FilterByProperty("fitness", 0.5, false, list));
    EXPECT_EQ((std::vector<long>{2, 3, 4}), Ids(list));
}

TEST(FilterByProperty, MayEmptyTheList)
{
    std::vector<Blank> list = Candidates({"0.1", "0.2"});
    EXPECT_EQ(0, CUTTING::FilterByProperty("fitness", 0.5, true, list));
    EXPECT_TRUE(list.empty());
}
