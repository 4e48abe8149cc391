#include "engine/Finder.h"

#include "engine/Pattern.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using CUTTING::Blank;
using CUTTING::Piece;

namespace {

using Counts = std::vector<long>;

Counts CountsOf(const Blank& pattern)
{
    Counts counts;
    for (const Piece& piece : pattern.pieces)
        counts.push_back(piece.quantity);
    return counts;
}

// Records every combination the finder scores, in order, and scores it with a
// rule of the test's choosing (1 - badness / 10 by default, like FFBasic).
class RecordingFitness : public FitnessFunction {
public:
    mutable std::vector<Counts> scored;
    double (*rule)(const Counts&) = nullptr;

    double Badness(const Blank& pattern) const override
    {
        scored.push_back(CountsOf(pattern));
        return 1.0;
    }
    double Fitness(const Blank& pattern) const override
    {
        return rule ? rule(CountsOf(pattern)) : 1.0 - pattern.badness / 10.0;
    }
};

// A stock bar whose pieces are the open demand, as the solver hands it over.
Blank MakeBar(double length, double knife, double indent, const std::vector<double>& lengths)
{
    Blank bar(1, length, 5, knife, indent);
    long id = 1;
    for (double l : lengths)
        bar.pieces.push_back(Piece(id++, l, 10));
    return bar;
}

DProps Options(long diversity, long trace = 0)
{
    DProps options;
    options.SetLong("diversity", diversity);
    if (trace)
        options.SetLong("trace", trace);
    return options;
}

std::vector<Counts> PoolCounts(const Finder& finder)
{
    std::vector<Counts> all;
    for (const Blank& pattern : finder.results.patterns)
        all.push_back(CountsOf(pattern));
    return all;
}

bool Holds(const Finder& finder, const Counts& counts)
{
    const std::vector<Counts> all = PoolCounts(finder);
    return std::find(all.begin(), all.end(), counts) != all.end();
}

} // namespace

TEST(FinderBase, DoesNothing)
{
    Finder finder;
    FFBasic ff;
    const DProps options;
    EXPECT_FALSE(finder.Init(MakeBar(6000, 5, 0, {1000}), {3}, 4));
    EXPECT_FALSE(finder.Run(&ff, options, nullptr));
    EXPECT_EQ(0u, finder.combinations);
    EXPECT_TRUE(finder.bounds.empty());
}

TEST(FinderEnumeratorInit, TakesTheProblemAndEmptiesThePool)
{
    FinderEnumerator finder;
    finder.results.limit = 3;
    finder.results.patterns.push_back(Blank(9, 100, 1));
    FFBasic earlier;
    finder.fitness = &earlier;
    const Blank bar = MakeBar(6000, 5, 20, {1000, 700});
    ASSERT_TRUE(finder.Init(bar, {2, 3}, 12));
    EXPECT_EQ(12u, finder.combinations);
    EXPECT_EQ((Counts{2, 3}), finder.bounds);
    EXPECT_EQ(6000.0, finder.bar.length);
    EXPECT_EQ(20.0, finder.bar.indent);
    EXPECT_EQ(2u, finder.bar.pieces.size());
    EXPECT_EQ(0, finder.results.Count());
    EXPECT_EQ(20, finder.results.limit);
    EXPECT_EQ(1, finder.results.mode);
    EXPECT_EQ(nullptr, finder.fitness);
}

TEST(FinderEnumeratorRun, NullFitnessFails)
{
    FinderEnumerator finder;
    finder.Init(MakeBar(6000, 5, 0, {1000}), {3}, 4);
    EXPECT_FALSE(finder.Run(nullptr, Options(0), nullptr));
    EXPECT_EQ(0, finder.results.Count());
}

struct OrderCase {
    const char* name;
    Counts bounds;
    std::vector<Counts> expected;
};

class EnumerationOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(EnumerationOrder, CountsLikeAMixedRadixNumberFirstKindFastest)
{
    const OrderCase& c = GetParam();
    std::vector<double> lengths(c.bounds.size(), 100.0);
    uint64_t combinations = 1;
    for (long b : c.bounds)
        combinations *= b + 1;
    FinderEnumerator finder;
    finder.Init(MakeBar(100000, 5, 0, lengths), c.bounds, combinations);
    RecordingFitness fitness;
    // Diversity as large as the number of kinds rules nothing out but skips the
    // all-at-bound shortcut, so every combination is scored.
    ASSERT_TRUE(finder.Run(&fitness, Options(static_cast<long>(c.bounds.size())), nullptr));
    EXPECT_EQ(c.expected, fitness.scored) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EnumerationOrder,
    ::testing::Values(OrderCase{"bounds 2 1", {2, 1}, {{1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}},
                      OrderCase{"a zero bound", {1, 0, 2}, {{1, 0, 0}, {0, 0, 1}, {1, 0, 1}, {0, 0, 2}, {1, 0, 2}}},
                      OrderCase{"one kind", {3}, {{1}, {2}, {3}}},
                      OrderCase{"nothing allowed", {0, 0}, {}}));

TEST(FinderEnumeratorRun, AllAtTheirBoundsFitSoOnePatternIsProposed)
{
    FinderEnumerator finder;
    finder.Init(MakeBar(10000, 5, 0, {2000, 1500}), {2, 1}, 6);
    RecordingFitness fitness;
    ASSERT_TRUE(finder.Run(&fitness, Options(0), nullptr));
    EXPECT_EQ((std::vector<Counts>{{2, 1}}), fitness.scored);
    ASSERT_EQ(1, finder.results.Count());
    const Blank& only = finder.results.patterns[0];
    EXPECT_EQ((Counts{2, 1}), CountsOf(only));
    EXPECT_EQ("1#a2-b1-", only.signature);
    EXPECT_DOUBLE_EQ(0.9, only.fitness);
    EXPECT_DOUBLE_EQ((4000.0 + 1500.0 + 15.0) / 10000.0, only.ratio);
}

TEST(FinderEnumeratorRun, DiversityOneProposesSingleKindsOnly)
{
    FinderEnumerator finder;
    finder.Init(MakeBar(10000, 5, 0, {2000, 1500}), {2, 1}, 6);
    MFcLog10 curve;
    FFBasic ff;
    ff.wasteCurve = &curve;
    ff.cutsCurve = &curve;
    ASSERT_TRUE(finder.Run(&ff, Options(1), nullptr));
    EXPECT_EQ(3, finder.results.Count());
    EXPECT_TRUE(Holds(finder, {1, 0}));
    EXPECT_TRUE(Holds(finder, {2, 0}));
    EXPECT_TRUE(Holds(finder, {0, 1}));
    for (const Blank& pattern : finder.results.patterns)
        EXPECT_GT(pattern.fitness, 0.0);
}

TEST(FinderEnumeratorRun, DiversityDropsZeroFitnessButPlainRunKeepsIt)
{
    // Every pattern scores 0 except the single 1000.
    RecordingFitness fitness;
    fitness.rule = [](const Counts& c) { return c == Counts{1, 0} ? 0.5 : 0.0; };
    FinderEnumerator finder;
    finder.Init(MakeBar(1500, 0, 0, {1000, 400}), {1, 1}, 4);
    ASSERT_TRUE(finder.Run(&fitness, Options(2), nullptr));
    EXPECT_EQ((std::vector<Counts>{{1, 0}}), PoolCounts(finder));

    // Without a diversity limit zero-fitness patterns stay candidates ((1,1)
    // does not fit, so no shortcut either).
    finder.Init(MakeBar(1300, 0, 0, {1000, 400}), {1, 1}, 4);
    ASSERT_TRUE(finder.Run(&fitness, Options(0), nullptr));
    EXPECT_EQ(2, finder.results.Count());
    EXPECT_TRUE(Holds(finder, {0, 1}));
}

struct FitCase {
    const char* name;
    double length, knife, indent, part;
    bool threeProposed;
};

class FinderFitTable : public ::testing::TestWithParam<FitCase> {};

TEST_P(FinderFitTable, RemainderDecidesWhetherACombinationIsTried)
{
    const FitCase& c = GetParam();
    FinderEnumerator finder;
    finder.Init(MakeBar(c.length, c.knife, c.indent, {c.part}), {3}, 4);
    RecordingFitness fitness;
    // Diversity 1 forces the enumeration even when all three fit.
    ASSERT_TRUE(finder.Run(&fitness, Options(1), nullptr));
    EXPECT_EQ(c.threeProposed, Holds(finder, {3})) << c.name;
    EXPECT_TRUE(Holds(finder, {2})) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FinderFitTable,
    ::testing::Values(
        // 3 x 1996 + 2 kerfs = 5998: the final cut overruns by 3, less than a kerf.
        FitCase{"final cut overruns", 6000, 5, 0, 1996, false},
        // 3 x 1995 + 3 kerfs = 6000: remainder 0 after the final cut.
        FitCase{"final cut just fits", 6000, 5, 0, 1995, true},
        FitCase{"exact fill", 6000, 0, 0, 2000, true},
        // Fits only without the trim: still tried (its fitness is the scorer's call).
        FitCase{"fits without trim", 6000, 0, 20, 1995, true}));

TEST(FinderEnumeratorRun, FitsOnlyWithoutTrimScoresZeroWithFFBasic)
{
    MFcLog10 curve;
    FFBasic ff;
    ff.wasteCurve = &curve;
    FinderEnumerator finder;
    finder.Init(MakeBar(6000, 0, 20, {1995}), {3}, 4);
    ASSERT_TRUE(finder.Run(&ff, Options(0), nullptr));
    ASSERT_TRUE(Holds(finder, {3}));
    for (const Blank& pattern : finder.results.patterns)
        if (CountsOf(pattern) == Counts{3}) {
            EXPECT_GT(pattern.ratio, 1.0);
            EXPECT_EQ(0.0, pattern.fitness);
        }

    // With a diversity limit the zero-fitness pattern is left out.
    finder.Init(MakeBar(6000, 0, 20, {1995}), {3}, 4);
    ASSERT_TRUE(finder.Run(&ff, Options(1), nullptr));
    EXPECT_FALSE(Holds(finder, {3}));
}

TEST(FinderEnumeratorRun, PoolKeepsTheTwentyBestByFitness)
{
    // 3 x 3 x 4 = 36 combinations, 35 of them scored, each with its own fitness.
    RecordingFitness fitness;
    fitness.rule = [](const Counts& c) {
        const long code = c[0] + 3 * c[1] + 9 * c[2];
        return ((7 * code) % 37 + 1) / 40.0;
    };
    FinderEnumerator finder;
    finder.Init(MakeBar(100000, 5, 0, {100, 200, 300}), {2, 2, 3}, 36);
    ASSERT_TRUE(finder.Run(&fitness, Options(3), nullptr));
    ASSERT_EQ(35u, fitness.scored.size());

    std::vector<double> all;
    for (const Counts& c : fitness.scored)
        all.push_back(fitness.rule(c));
    std::sort(all.begin(), all.end(), [](double a, double b) { return a > b; });
    all.resize(20);

    ASSERT_EQ(20, finder.results.Count());
    std::vector<double> kept;
    for (const Blank& pattern : finder.results.patterns) {
        kept.push_back(pattern.fitness);
        EXPECT_DOUBLE_EQ(fitness.rule(CountsOf(pattern)), pattern.fitness);
    }
    EXPECT_EQ(all, kept);
}

TEST(FinderEnumeratorRun, EqualSignaturesEnterOnce)
{
    // Two demand entries of one kind id: (1,0) and (0,1) both read "1#a1-".
    Blank bar(1, 10000, 5, 5, 0);
    bar.pieces = {Piece(1, 1000, 3), Piece(1, 1000, 3)};
    FinderEnumerator finder;
    finder.Init(bar, {1, 1}, 4);
    RecordingFitness fitness;
    ASSERT_TRUE(finder.Run(&fitness, Options(2), nullptr));
    EXPECT_EQ(3u, fitness.scored.size());
    ASSERT_EQ(2, finder.results.Count());
    EXPECT_NE(finder.results.patterns[0].signature, finder.results.patterns[1].signature);
}

TEST(FinderEnumeratorRun, NeverProposesAnEmptyPattern)
{
    FinderEnumerator finder;
    finder.Init(MakeBar(6000, 5, 0, {1000, 700}), {0, 0}, 1);
    RecordingFitness fitness;
    ASSERT_TRUE(finder.Run(&fitness, Options(0), nullptr));
    EXPECT_EQ(0, finder.results.Count());
    EXPECT_TRUE(fitness.scored.empty());
}

TEST(FinderEnumeratorRun, CountsNeverPassTheirBounds)
{
    // A combination count larger than the space (the index would spill into the
    // last digit) and a negative bound (no part of that kind).
    FinderEnumerator finder;
    finder.Init(MakeBar(100000, 5, 0, {100, 200, 300}), {2, -1, 1}, 100);
    RecordingFitness fitness;
    ASSERT_TRUE(finder.Run(&fitness, Options(3), nullptr));
    EXPECT_EQ((std::vector<Counts>{{1, 0, 0}, {2, 0, 0}, {0, 0, 1}, {1, 0, 1}, {2, 0, 1}}), fitness.scored);
}

TEST(FinderEnumeratorRun, HugeBoundsDoNotWrapTheMultipliers)
{
    // (65535 + 1)^2 is 2^32: a 32-bit multiplier for the third kind would be 0.
    FinderEnumerator finder;
    finder.Init(MakeBar(100000, 5, 0, {100, 200, 300}), {65535, 65535, 1}, 5);
    RecordingFitness fitness;
    ASSERT_TRUE(finder.Run(&fitness, Options(3), nullptr));
    EXPECT_EQ((std::vector<Counts>{{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}}), fitness.scored);
}

TEST(FinderEnumeratorRun, MoreBoundsThanDemandEntriesAreIgnored)
{
    FinderEnumerator finder;
    finder.Init(MakeBar(100000, 5, 0, {100}), {2, 4}, 15);
    RecordingFitness fitness;
    ASSERT_TRUE(finder.Run(&fitness, Options(1), nullptr));
    EXPECT_EQ((std::vector<Counts>{{1}, {2}}), fitness.scored);
}

TEST(FinderEnumeratorRun, WorksFromTheCombinationsOfCombinationBounds)
{
    // The way the solver hands a stock length over.
    Blank bar(1, 6000, 10, 5, 0);
    bar.SetPieces({Piece(1, 2500, 3), Piece(2, 1200, 1), Piece(3, 800, 2)});
    std::vector<long> bounds;
    const uint64_t combinations = CUTTING::CombinationBounds(bounds, bar, bar.pieces);
    ASSERT_EQ((Counts{2, 1, 2}), bounds);
    ASSERT_EQ(18u, combinations);
    MFcLog10 curve;
    FFBasic ff;
    ff.wasteCurve = &curve;
    ff.cutsCurve = &curve;
    FinderEnumerator finder;
    finder.Init(bar, bounds, combinations);
    ASSERT_TRUE(finder.Run(&ff, Options(0), nullptr));
    ASSERT_GT(finder.results.Count(), 0);
    for (const Blank& pattern : finder.results.patterns) {
        double remainder = 0;
        CUTTING::UsedFraction(pattern.pieces, pattern, &remainder, true);
        EXPECT_GE(remainder, 0.0) << pattern.signature;
        EXPECT_TRUE(CUTTING::FitsCounts(pattern.pieces, bounds)) << pattern.signature;
    }
    // Best first.
    for (long i = 1; i < finder.results.Count(); ++i)
        EXPECT_GE(finder.results.patterns[i - 1].fitness, finder.results.patterns[i].fitness - 1e-7);
}

class FinderTraceTest : public TraceCaptureTest {
protected:
    FinderEnumerator finder;
    RecordingFitness fitness;
    void RunTraced(long level)
    {
        finder.Init(MakeBar(10000, 5, 0, {2000, 1500}), {2, 1}, 6);
        ASSERT_TRUE(finder.Run(&fitness, Options(2, level), nullptr));
    }
};

TEST_F(FinderTraceTest, LevelZeroWritesNothing)
{
    RunTraced(0);
    EXPECT_EQ(0, finder.traceLevel);
    EXPECT_TRUE(sent.empty());
}

TEST_F(FinderTraceTest, LevelOneListsTheProposalsUnderTheTitle)
{
    RunTraced(1);
    EXPECT_EQ(1, finder.traceLevel);
    ASSERT_EQ(1u + 5u, sent.size());
    EXPECT_EQ("Selected with FinderEnumerator from 6 combinations\r\n", sent[0]);
    for (size_t i = 1; i < sent.size(); ++i) {
        const std::string& pattern = finder.results.patterns[i - 1].signature;
        EXPECT_NE(std::string::npos, sent[i].find(pattern)) << sent[i];
    }
}
