#include "engine/Fitness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using CUTTING::Blank;
using CUTTING::Layout;
using CUTTING::Piece;

namespace {

struct Part {
    double length;
    long count;
};

Blank MakePattern(double length, double knife, double indent, const std::vector<Part>& parts)
{
    Blank bar(1, length, 1, knife, indent);
    long id = 1;
    for (const Part& part : parts)
        bar.pieces.push_back(Piece(id++, part.length, part.count));
    return bar;
}

// The solver's setting: logarithmic waste and cuts curves, no final curve.
class FFBasicTest : public ::testing::Test {
protected:
    MFcLog10 log10Curve;
    FFBasic ff;

    void SetUp() override
    {
        ff.wasteCurve = &log10Curve;
        ff.cutsCurve = &log10Curve;
    }
};

} // namespace

TEST(MFcLog10Test, AppliesAndInvertsTheDecimalLogarithm)
{
    MFcLog10 curve;
    EXPECT_DOUBLE_EQ(3.0, curve.Apply(1000.0));
    EXPECT_DOUBLE_EQ(100.0, curve.Inverse(2.0));
    EXPECT_TRUE(std::isinf(curve.Apply(0.0)));
}

TEST(FitnessFunctionTest, BaseClassScoresNothing)
{
    FitnessFunction base;
    Layout layout;
    layout.score = 0.5;
    const Blank pattern = MakePattern(6000, 5, 0, {{2000, 2}});
    EXPECT_EQ(0.0, base.LayoutScore(layout));
    EXPECT_EQ(0.0, base.Fitness(pattern));
    EXPECT_EQ(0.0, base.Yield(layout));
    EXPECT_EQ(0.0, base.Badness(pattern));
    EXPECT_EQ(0.5, layout.score);
}

TEST(FFBasicDefaults, ConstructedAsTheSolverExpects)
{
    FFBasic ff;
    EXPECT_EQ(nullptr, ff.wasteCurve);
    EXPECT_EQ(nullptr, ff.cutsCurve);
    EXPECT_EQ(nullptr, ff.finalCurve);
    EXPECT_EQ(0.0, ff.ratioUnit);
    EXPECT_EQ(1.0, ff.shift);
    EXPECT_EQ(10.0, ff.cap);
    EXPECT_FALSE(ff.mode);
    EXPECT_EQ(0, ff.props.Count());
    EXPECT_EQ(1.0, ff.LayoutScore(Layout()));
    // Without curves every pattern is perfect.
    EXPECT_EQ(0.0, ff.Badness(MakePattern(6000, 5, 0, {{2000, 1}})));
}

struct BadnessCase {
    const char* name;
    double length, knife, indent;
    std::vector<Part> parts;
    double ratioUnit, shift, cap;
    double expected;
};

class BadnessTable : public FFBasicTest, public ::testing::WithParamInterface<BadnessCase> {};

TEST_P(BadnessTable, MatchesTheWorkedValue)
{
    const BadnessCase& c = GetParam();
    ff.ratioUnit = c.ratioUnit;
    ff.shift = c.shift;
    ff.cap = c.cap;
    EXPECT_NEAR(c.expected, ff.Badness(MakePattern(c.length, c.knife, c.indent, c.parts)), 5e-6) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Worked, BadnessTable,
    ::testing::Values(
        // Unit falls back to the kerf: leftover 1990 / 5 = 398; log10(0) adds nothing.
        BadnessCase{"kerf unit, shift 0", 6000, 5, 0, {{2000, 2}}, 0, 0.0, 10, 5.19977},
        // One part length is one length change: log10(2).
        BadnessCase{"kerf unit, shift 1", 6000, 5, 0, {{2000, 2}}, 0, 1.0, 10, 5.50080},
        // Two part lengths add log10(3); leftover (6000 - 3510) / 5 = 498.
        BadnessCase{"two lengths", 6000, 5, 0, {{2000, 1}, {1500, 1}}, 0, 1.0, 10,
                    std::log10(498.0 * 498.0) + std::log10(3.0)},
        // A ratio unit of its own replaces the kerf: leftover 199.
        BadnessCase{"ratio unit 10", 6000, 5, 0, {{2000, 2}}, 10, 0.0, 10, std::log10(199.0 * 199.0)},
        // No kerf and no unit: measured in units of 1.
        BadnessCase{"unit 1", 6000, 0, 0, {{2000, 2}}, 0, 0.0, 10, std::log10(2000.0 * 2000.0)},
        // Exact fill: leftover 0, only the cuts term remains.
        BadnessCase{"exact fill", 6000, 0, 0, {{2000, 3}}, 0, 1.0, 10, std::log10(2.0)},
        BadnessCase{"exact fill, shift 0", 6000, 0, 0, {{2000, 3}}, 0, 0.0, 10, 0.0},
        // Half a bar or less: no cuts term however many lengths.
        BadnessCase{"half used", 6000, 5, 0, {{1000, 1}, {1500, 1}}, 0, 1.0, 10,
                    std::log10(698.0 * 698.0)},
        // The trim shrinks the bar the fraction is taken of: u = 4010 / 5980.
        BadnessCase{"trim", 6000, 5, 20, {{2000, 2}}, 0, 0.0, 10,
                    std::log10(std::pow(6000.0 * (1.0 - 4010.0 / 5980.0) / 5.0, 2))},
        // Each term is capped on its own.
        BadnessCase{"capped", 6000, 5, 0, {{2000, 2}}, 0, 1.0, 3, 3.0 + std::log10(2.0)},
        BadnessCase{"cuts term capped", 6000, 0, 0, {{2000, 3}}, 0, 1e12, 10, 10.0},
        // A negative shift has no logarithm and adds nothing.
        BadnessCase{"negative shift", 6000, 5, 0, {{2000, 2}}, 0, -1.0, 10, 5.19977}),
    [](const ::testing::TestParamInfo<BadnessCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST_F(FFBasicTest, FinalCurveShapesTheSum)
{
    ff.shift = 0.0;
    ff.finalCurve = &log10Curve;
    EXPECT_NEAR(std::log10(5.19977), ff.Badness(MakePattern(6000, 5, 0, {{2000, 2}})), 1e-6);
}

TEST_F(FFBasicTest, CutsTermNeedsTheWasteCurveToSeeTheBarUsed)
{
    // Without a waste curve the used fraction is taken as 0, so no cuts term either.
    ff.wasteCurve = nullptr;
    EXPECT_EQ(0.0, ff.Badness(MakePattern(6000, 0, 0, {{2000, 3}})));
}

TEST_F(FFBasicTest, FitnessFollowsBadness)
{
    ff.shift = 0.0;
    Blank pattern = MakePattern(6000, 5, 0, {{2000, 2}});
    pattern.ratio = 4010.0 / 6000.0;
    pattern.badness = ff.Badness(pattern);
    EXPECT_NEAR(0.48002, ff.Fitness(pattern), 5e-6);

    ff.shift = 1.0;
    pattern.badness = ff.Badness(pattern);
    EXPECT_NEAR(0.44992, ff.Fitness(pattern), 5e-6);

    Blank perfect = MakePattern(6000, 0, 0, {{2000, 3}});
    perfect.ratio = 1.0;
    ff.cutsCurve = nullptr;
    perfect.badness = ff.Badness(perfect);
    EXPECT_EQ(0.0, perfect.badness);
    EXPECT_EQ(1.0, ff.Fitness(perfect));
}

struct FitnessCase {
    const char* name;
    double ratio;
    double badness;
    bool mode;
    std::vector<double> weights;  // one per part, count 1 each
    double expected;
};

class FitnessTable : public ::testing::TestWithParam<FitnessCase> {};

TEST_P(FitnessTable, ReadsRatioBadnessAndWeights)
{
    const FitnessCase& c = GetParam();
    FFBasic ff;
    ff.mode = c.mode;
    Blank pattern(1, 6000, 1);
    long id = 1;
    for (double w : c.weights) {
        Piece piece(id++, 1000, 1);
        piece.weight = w;
        pattern.pieces.push_back(piece);
    }
    // A kind not in the pattern never weighs on it.
    Piece absent(id, 500, 0);
    absent.weight = 0.01;
    pattern.pieces.push_back(absent);
    pattern.ratio = c.ratio;
    pattern.badness = c.badness;
    EXPECT_NEAR(c.expected, ff.Fitness(pattern), 1e-12) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitnessTable,
    ::testing::Values(FitnessCase{"fits within tolerance", 1.0000001, 1.0, false, {1.0}, 0.9},
                      FitnessCase{"overfilled", 1.01, 1.0, false, {1.0}, 0.0},
                      FitnessCase{"weights ignored without mode", 0.9, 1.0, false, {0.5, 0.8}, 0.9},
                      FitnessCase{"weights with mode", 0.9, 1.0, true, {0.5, 0.8}, 0.36},
                      FitnessCase{"badness beyond cap", 0.9, 25.0, false, {1.0}, 0.0},
                      FitnessCase{"negative badness", 0.9, -5.0, false, {1.0}, 1.0},
                      FitnessCase{"heavy weights clamp", 0.9, 0.0, true, {3.0}, 1.0}));

TEST(FFBasicYield, PartLengthOverStockLength)
{
    FFBasic ff;
    Layout layout;
    Blank a(1, 6000, 2);
    a.pieces.push_back(Piece(1, 2000, 2));
    Blank b(2, 3000, 1);
    b.pieces.push_back(Piece(2, 1000, 1));
    b.pieces.push_back(Piece(3, 700, 0));
    layout.cuttings = {a, b};
    // (2 x 4000 + 1000) / (12000 + 3000)
    EXPECT_DOUBLE_EQ(0.6, ff.Yield(layout));
    EXPECT_DOUBLE_EQ(0.6, layout.score);
}

TEST(FFBasicYield, NoCuttingsYieldNothing)
{
    FFBasic ff;
    Layout layout;
    layout.score = 0.75;
    EXPECT_EQ(0.0, ff.Yield(layout));
    EXPECT_EQ(0.0, layout.score);

    Blank empty(1, 0, 3);
    empty.pieces.push_back(Piece(1, 100, 1));
    layout.cuttings.push_back(empty);
    EXPECT_EQ(0.0, ff.Yield(layout));
}
