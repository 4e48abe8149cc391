#include "engine/FinderGenerator.h"

#include "engine/Pattern.h"
#include "engine/PatternPool.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

using CUTTING::Blank;
using CUTTING::Piece;

namespace {

struct Instance {
    const char* name;
    double length;
    double knife;
    double indent;
    std::vector<std::pair<double, long>> parts;  // length, quantity still required
};

// The demand as the solver hands it over: the stock bar with the open demand as
// its pieces, and the bounds and combination count worked out from it.
struct Problem {
    Blank bar;
    std::vector<long> bounds;
    uint64_t combinations = 0;
};

Problem Make(const Instance& instance)
{
    Problem problem;
    problem.bar = Blank(1, instance.length, 10, instance.knife, instance.indent);
    problem.bar.props.Set("cost", "2");
    std::vector<Piece> demand;
    long id = 1;
    for (const auto& part : instance.parts)
        demand.push_back(Piece(id++, part.first, part.second));
    problem.bar.SetPieces(demand);
    problem.combinations = CUTTING::CombinationBounds(problem.bounds, problem.bar, demand);
    return problem;
}

// 81 kinds from 20 to 100 in bars of 150: far too many combinations to enumerate.
Instance Uniform()
{
    Instance instance{"uniform", 150.0, 0.0, 0.0, {}};
    for (long length = 20; length <= 100; ++length)
        instance.parts.push_back({static_cast<double>(length), length % 5 + 1});
    return instance;
}

// 64 kinds of one part each that all fit one bar together.
Instance Singles()
{
    Instance instance{"singles", 100000.0, 0.0, 0.0, {}};
    for (long i = 0; i < 64; ++i)
        instance.parts.push_back({100.0 + 13.0 * i, 1});
    return instance;
}

// Kerf and trim, and kinds whose demand is already met.
Instance KerfAndTrim()
{
    Instance instance{"kerf-trim", 6000.0, 5.0, 20.0, {}};
    const double lengths[] = {1980, 1995, 1200, 870, 640, 455, 333.3, 2900, 715, 0.5};
    long i = 0;
    for (double length : lengths)
        instance.parts.push_back({length, i++ % 3 == 2 ? 0 : 7});
    return instance;
}

// Triplets that fill a bar of 1000 exactly.
Instance Triplets()
{
    Instance instance{"triplets", 1000.0, 0.0, 0.0, {}};
    const double lengths[] = {250, 300, 450, 200, 350, 400, 270, 310, 420, 330, 333, 337};
    for (double length : lengths)
        instance.parts.push_back({length, 4});
    return instance;
}

// The fitness function as the solver sets it up.
struct Fitness {
    MFcLog10 waste;
    MFcLog10 cuts;
    FFBasic function;
    Fitness()
    {
        function.wasteCurve = &waste;
        function.cutsCurve = &cuts;
        function.ratioUnit = 0.0;
        function.shift = 1.0;
    }
};

DProps Options(long threads, long diversity = 0, long trace = 0)
{
    DProps options;
    if (threads >= 0)
        options.SetLong("threads", threads);
    options.SetLong("diversity", diversity);
    options.SetLong("trace", trace);
    return options;
}

template <class Pattern>
std::vector<std::string> Signatures(const std::vector<Pattern>& patterns)
{
    std::vector<std::string> list;
    for (const Pattern& p : patterns)
        list.push_back(p.signature);
    return list;
}

// What every pattern a finder hands out must satisfy, whatever the random draws.
void ExpectSoundPattern(const Problem& problem, const Blank& p, long diversity)
{
    SCOPED_TRACE(p.signature);
    EXPECT_EQ(p.id, problem.bar.id);
    EXPECT_DOUBLE_EQ(p.length, problem.bar.length);
    ASSERT_EQ(p.pieces.size(), problem.bar.pieces.size());
    long total = 0;
    for (size_t i = 0; i < p.pieces.size(); ++i) {
        EXPECT_EQ(p.pieces[i].id, problem.bar.pieces[i].id);
        EXPECT_GE(p.pieces[i].quantity, 0);
        EXPECT_LE(p.pieces[i].quantity, problem.bounds[i]) << "more than the demand or the bar allows";
        total += p.pieces[i].quantity;
    }
    EXPECT_GT(total, 0) << "an empty pattern";
    const double used = CUTTING::UsedFraction(p.pieces, p, nullptr, true);
    EXPECT_TRUE(used <= 1.0 + Tolerance) << "overfills its bar: " << used;
    EXPECT_NEAR(p.ratio, used, 1e-12);
    if (diversity > 0) {
        EXPECT_LE(CUTTING::CountKinds(p), diversity);
    }
    Blank copy = p;
    copy.UpdateSignature(false);
    EXPECT_EQ(copy.signature, p.signature);
}

void ExpectSoundProposals(const Problem& problem, const FinderGenerator& finder, long diversity)
{
    const std::vector<Blank>& results = finder.results.patterns;
    ASSERT_FALSE(results.empty());
    const long kinds = static_cast<long>(problem.bar.pieces.size());
    EXPECT_LE(static_cast<long>(results.size()), std::max(20L, 3 * kinds));
    std::set<std::string> seen;
    for (size_t i = 0; i < results.size(); ++i) {
        ExpectSoundPattern(problem, results[i], diversity);
        EXPECT_TRUE(seen.insert(results[i].signature).second) << "twice: " << results[i].signature;
        if (i > 0) {
            EXPECT_FALSE(CUTTING::PatternBefore(CUTTING::OrderBestFitness, results[i], results[i - 1]))
                << "out of order at " << i;
        }
    }
}

// Fixes the number of system threads for one test and puts the default back.
class TeamSize {
public:
    explicit TeamSize(int n) : m_previous(omp_get_max_threads()) { omp_set_num_threads(n); }
    ~TeamSize() { omp_set_num_threads(m_previous); }

private:
    int m_previous;
};

class FixedSeed {
public:
    explicit FixedSeed(unsigned seed) { FinderGenerator::SetFixedSeed(true, seed); }
    ~FixedSeed() { FinderGenerator::SetFixedSeed(false); }
};

// A finder ready for its steps to be called one by one.
void Prepare(FinderGenerator& finder, const Problem& problem, const FitnessFunction& fitness,
             const std::vector<long>* bounds = nullptr)
{
    finder.Init(problem.bar, bounds ? *bounds : problem.bounds, problem.combinations);
    finder.fitness = &fitness;
}

bool RunOnce(FinderGenerator& finder, const Problem& problem, const FitnessFunction& fitness,
             const DProps& options, const StopFlag* stop = nullptr)
{
    finder.Init(problem.bar, problem.bounds, problem.combinations);
    return finder.Run(&fitness, options, stop);
}

} // namespace

// ---- Proposals stay within bar, demand and limit on every run ----------------------

struct SoundCase {
    Instance (*instance)();
    long threads;
    long diversity;
};

class FinderGeneratorSound : public ::testing::TestWithParam<SoundCase> {};

TEST_P(FinderGeneratorSound, EveryProposalFitsItsBarAndTheDemand)
{
    const SoundCase& c = GetParam();
    const Problem problem = Make(c.instance());
    Fitness fitness;
    FinderGenerator finder;
    ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(c.threads, c.diversity)));
    ExpectSoundProposals(problem, finder, c.diversity);
    // The base population and the worker pools obey the same rules as the
    // proposals drawn from them.
    for (long k = 0; k < FinderGenerator::PoolCount; ++k)
        for (const Blank& p : finder.Patterns(finder.pools[k]))
            ExpectSoundPattern(problem, p, c.diversity);
    EXPECT_GE(finder.population, 2000);
}

INSTANTIATE_TEST_SUITE_P(Instances, FinderGeneratorSound,
                         ::testing::Values(SoundCase{Uniform, 4, 0}, SoundCase{Singles, 4, 0},
                                           SoundCase{KerfAndTrim, 4, 0}, SoundCase{Triplets, 8, 0},
                                           SoundCase{KerfAndTrim, 3, 2}, SoundCase{Uniform, 2, 3},
                                           SoundCase{Triplets, 1, 1}),
                         [](const ::testing::TestParamInfo<SoundCase>& info) {
                             std::string name = info.param.instance().name;
                             for (char& ch : name)
                                 if (ch == '-')
                                     ch = '_';
                             return name + "_threads" + std::to_string(info.param.threads) + "_diversity" +
                                    std::to_string(info.param.diversity);
                         });

TEST(FinderGenerator, TheSameInstanceTwiceStaysSoundAcrossRuns)
{
    // Worker threads keep their generators from run to run; the second run draws
    // other numbers and must be just as sound.
    const Problem problem = Make(KerfAndTrim());
    Fitness fitness;
    FinderGenerator finder;
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(4)));
        ExpectSoundProposals(problem, finder, 0);
    }
}

TEST(FinderGenerator, ExactFillsRankFirst)
{
    const Problem problem = Make(Triplets());
    Fitness fitness;
    FinderGenerator finder;
    ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(4)));
    const Blank& best = finder.results.patterns.front();
    EXPECT_DOUBLE_EQ(best.ratio, 1.0);
    EXPECT_GT(best.fitness, 0.9);
}

TEST(FinderGenerator, PartsThatAllFitOneBarAreProposedTogether)
{
    // 64 kinds of one part each, all in one bar: the best proposal takes every
    // part, so the solver needs one bar. The material's first passes weigh no
    // part kinds (shift 0).
    const Problem problem = Make(Singles());
    Fitness fitness;
    fitness.function.shift = 0.0;
    FinderGenerator finder;
    ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(4)));
    const Blank& best = finder.results.patterns.front();
    for (const Piece& piece : best.pieces)
        EXPECT_EQ(piece.quantity, 1) << "kind " << piece.id;
}

// ---- Options ------------------------------------------------------------------------

TEST(FinderGenerator, NoFitnessFunctionFindsNothing)
{
    const Problem problem = Make(Triplets());
    FinderGenerator finder;
    finder.Init(problem.bar, problem.bounds, problem.combinations);
    EXPECT_FALSE(finder.Run(nullptr, Options(4), nullptr));
    EXPECT_TRUE(finder.results.patterns.empty());
}

TEST(FinderGenerator, WorkerCountIsClampedToOneToEight)
{
    const struct {
        long option;  // -1: missing
        long threads;
    } cases[] = {{-1, 1}, {0, 1}, {-3, 1}, {1, 1}, {3, 3}, {8, 8}, {12, 8}};
    const Problem problem = Make(Triplets());
    Fitness fitness;
    for (const auto& c : cases) {
        FinderGenerator finder;
        DProps options = Options(c.option == -1 ? -1 : 0);
        if (c.option != -1)
            options.SetLong("threads", c.option);
        ASSERT_TRUE(RunOnce(finder, problem, fitness.function, options));
        EXPECT_EQ(finder.threads, c.threads) << "option " << c.option;
        // Only the pools of the workers in use receive anything.
        for (long k = c.threads + 1; k < FinderGenerator::PoolCount; ++k)
            EXPECT_TRUE(finder.pools[k].empty()) << "pool " << k;
        EXPECT_FALSE(finder.pools[c.threads].empty());
    }
}

TEST(FinderGenerator, ProposalLimitFollowsTheNumberOfKinds)
{
    const struct {
        long kinds;
        long limit;
    } cases[] = {{5, 20}, {6, 20}, {7, 21}, {10, 30}};
    Fitness fitness;
    for (const auto& c : cases) {
        Instance instance{"kinds", 10000.0, 3.0, 0.0, {}};
        for (long i = 0; i < c.kinds; ++i)
            instance.parts.push_back({97.0 + 41.0 * i, 40});
        const Problem problem = Make(instance);
        FinderGenerator finder;
        ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(4)));
        EXPECT_EQ(finder.results.limit, c.limit) << c.kinds << " kinds";
        EXPECT_LE(finder.results.Count(), c.limit);
        // Plenty of distinct patterns exist, so the limit is reached.
        EXPECT_EQ(finder.results.Count(), c.limit);
    }
}

// ---- Diversity ----------------------------------------------------------------------

TEST(FinderGenerator, DiversityOneProposesTheSingleKindPatternsOnly)
{
    const Problem problem = Make(Triplets());
    Fitness fitness;
    FinderGenerator finder;
    ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(4, 1)));
    for (long k = 1; k < FinderGenerator::PoolCount; ++k)
        EXPECT_TRUE(finder.pools[k].empty());
    EXPECT_EQ(finder.fixedSet.size(), problem.bar.pieces.size());
    std::set<std::string> expected;
    for (size_t i = 0; i < problem.bar.pieces.size(); ++i) {
        Blank single = problem.bar;
        single.ClearCounts();
        single.pieces[i].quantity = problem.bounds[i];
        single.UpdateSignature(false);
        expected.insert(single.signature);
    }
    const std::vector<std::string> got = Signatures(finder.results.patterns);
    EXPECT_EQ(std::set<std::string>(got.begin(), got.end()), expected);
}

TEST(FinderGenerator, LimitedDiversityKeepsPoorPairsInTheFixedSet)
{
    // Bar 1000: one part of 100 and one of 150 use a quarter of the bar. The pair
    // joins the fixed set only when the diversity is limited.
    Instance instance{"pairs", 1000.0, 0.0, 0.0, {{100.0, 2}, {150.0, 1}}};
    const Problem problem = Make(instance);
    Fitness fitness;
    for (long diversity : {0L, 2L}) {
        FinderGenerator finder;
        ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(2, diversity)));
        const std::vector<std::string> fixed = Signatures(finder.fixedSet);
        const bool hasPair = std::find(fixed.begin(), fixed.end(), "1#a1-b1-") != fixed.end();
        EXPECT_EQ(hasPair, diversity == 2) << "diversity " << diversity;
        EXPECT_NE(std::find(fixed.begin(), fixed.end(), "1#a2-"), fixed.end());
        EXPECT_NE(std::find(fixed.begin(), fixed.end(), "1#b1-"), fixed.end());
    }
}

// ---- The fixed set from step to step ------------------------------------------------

TEST(FinderGenerator, FixedSetIsFilteredByTheNewBoundsAndRebuiltWhenNoneFits)
{
    // Bar 1000 with parts of 300 (3 fit) and 400 (2 fit): the fixed set is
    // 3 x 300, 2 x 400, 300 + 400 and 2 x 300 + 400.
    Instance instance{"steps", 1000.0, 0.0, 0.0, {{300.0, 3}, {400.0, 2}}};
    Problem problem = Make(instance);
    Fitness fitness;
    FinderGenerator finder;
    ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(2)));
    const std::vector<std::string> built = Signatures(finder.fixedSet);
    EXPECT_EQ(built, (std::vector<std::string>{"1#a3-", "1#b2-", "1#a1-b1-", "1#a2-b1-"}));

    // One of each left: only 300 + 400 still fits the demand.
    problem.bar.pieces[0].quantity = 1;
    problem.bar.pieces[1].quantity = 1;
    problem.combinations = CUTTING::CombinationBounds(problem.bounds, problem.bar, problem.bar.pieces);
    ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(2)));
    EXPECT_EQ(Signatures(finder.fixedSet), (std::vector<std::string>{"1#a1-b1-"}));

    // Only a 400 left: no kept pattern fits, so the set is built again.
    problem.bar.pieces[0].quantity = 0;
    problem.combinations = CUTTING::CombinationBounds(problem.bounds, problem.bar, problem.bar.pieces);
    ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(2)));
    EXPECT_EQ(Signatures(finder.fixedSet), (std::vector<std::string>{"1#b1-"}));
    EXPECT_EQ(Signatures(finder.results.patterns), (std::vector<std::string>{"1#b1-"}));
}

// ---- Mutation and repair ------------------------------------------------------------

namespace {

// The pattern changes written plainly on a Blank, walking every entry, to hold
// the finder's counted forms against: the same draws must make the same changes.
long Draw(long m)
{
    return m >= 2 ? std::rand() % m : 0;
}

void PlainAddOne(Blank& p, const std::vector<long>& bounds, double& c)
{
    const long size = static_cast<long>(p.pieces.size());
    const long start = Draw(size - 1);
    if (c < -Tolerance)
        return;
    for (long step = 0; step < size; ++step) {
        Piece& piece = p.pieces[(start + step) % size];
        const long bound = std::max(bounds[(start + step) % size], 0L);
        if (piece.quantity < bound && (piece.length < c || NumEqual(piece.length, c))) {
            ++piece.quantity;
            c -= piece.length;
            return;
        }
    }
}

bool PlainPerturb(Blank& p, const std::vector<long>& bounds)
{
    (void)std::rand();
    double c = 0.0;
    CUTTING::UsedFraction(p.pieces, p, &c, true);
    const double c0 = c;
    const long size = static_cast<long>(p.pieces.size());
    for (int pass = 0; pass < 3 && !(c < -Tolerance); ++pass) {
        if (pass > 0) {
            const long start = Draw(size - 1);
            for (long step = 0; step < size; ++step) {
                Piece& piece = p.pieces[(start + step) % size];
                if (piece.quantity > 0) {
                    --piece.quantity;
                    c += piece.length;
                    break;
                }
            }
        }
        PlainAddOne(p, bounds, c);
    }
    return c != c0;
}

bool PlainRepair(Blank& p, const std::vector<long>& bounds)
{
    (void)std::rand();
    double c = 0.0;
    CUTTING::UsedFraction(p.pieces, p, &c, true);
    const long size = static_cast<long>(p.pieces.size());
    for (int pass = 0; pass < 10 && c < -Tolerance; ++pass) {
        const long start = Draw(size - 1);
        for (long step = 0; step < size; ++step) {
            Piece& piece = p.pieces[(start + step) % size];
            while (c < -Tolerance && piece.quantity >= 1) {
                --piece.quantity;
                c += piece.length;
            }
        }
        PlainAddOne(p, bounds, c);
    }
    return c != 0.0;
}

std::vector<long> Counts(const Blank& p)
{
    std::vector<long> counts;
    for (const Piece& piece : p.pieces)
        counts.push_back(piece.quantity);
    return counts;
}

} // namespace

TEST(FinderGenerator, CountedChangesMatchThePlainWalkDrawForDraw)
{
    // Lengths rising (as the solver hands them over) and in no order; kinds
    // whose demand is met (bound 0); patterns that fit and that overfill.
    Fitness fitness;
    std::srand(4242);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        Instance instance{"walk", 1000.0 + std::rand() % 500, static_cast<double>(std::rand() % 4),
                          static_cast<double>(std::rand() % 3 * 10), {}};
        const long kinds = 2 + std::rand() % 70;
        for (long i = 0; i < kinds; ++i)
            instance.parts.push_back({20.0 + std::rand() % 600 + (std::rand() % 4) * 0.25, std::rand() % 4});
        if (round % 2 == 0)
            std::sort(instance.parts.begin(), instance.parts.end());
        const Problem problem = Make(instance);
        FinderGenerator finder;
        Prepare(finder, problem, fitness.function);

        Blank start = problem.bar;
        for (size_t i = 0; i < start.pieces.size(); ++i)
            start.pieces[i].quantity = problem.bounds[i] > 0 ? std::rand() % (problem.bounds[i] + 2) : 0;
        const unsigned seed = static_cast<unsigned>(std::rand());

        for (int repair = 0; repair < 2; ++repair) {
            Blank counted = start, plain = start;
            std::srand(seed);
            const bool countedChanged = repair ? finder.Repair(counted) : finder.Perturb(counted);
            const int countedNext = std::rand();
            std::srand(seed);
            const bool plainChanged = repair ? PlainRepair(plain, problem.bounds) : PlainPerturb(plain, problem.bounds);
            const int plainNext = std::rand();
            EXPECT_EQ(Counts(counted), Counts(plain)) << (repair ? "repair" : "perturb");
            EXPECT_EQ(countedChanged, plainChanged);
            EXPECT_EQ(countedNext, plainNext) << "a different number of draws";
        }

        // Scoring the counts gives what scoring the Blank gives.
        Blank seeded = problem.bar;
        finder.SeedPattern(seeded, round % kinds);
        finder.Mutate(seeded, true);
        Blank check = seeded;
        check.ratio = CUTTING::UsedFraction(check.pieces, check, nullptr, true);
        check.badness = fitness.function.Badness(check);
        check.fitness = fitness.function.Fitness(check);
        check.UpdateSignature(false);
        EXPECT_EQ(seeded.ratio, check.ratio);
        EXPECT_EQ(seeded.badness, check.badness);
        EXPECT_EQ(seeded.fitness, check.fitness);
        EXPECT_EQ(seeded.signature, check.signature);
    }
    std::srand(1);
}


TEST(FinderGenerator, MutationEndsWhenSwapsNeverFillTheBar)
{
    // Two parts of 47.9 in a bar of 150 and no more required: every swap takes a
    // part out and puts it back, and rounding makes the free length look changed
    // each time, so only the round limit ends the mutation.
    Instance instance{"swap", 150.0, 0.0, 0.0, {{47.9, 2}}};
    const Problem problem = Make(instance);
    Fitness fitness;
    FinderGenerator finder;
    ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(2)));
    EXPECT_EQ(Signatures(finder.results.patterns), (std::vector<std::string>{"1#a2-"}));
    EXPECT_LE(finder.MutateRoundLimit(), 2 * 2 + 16);
}

TEST(FinderGenerator, RoundLimitStaysBoundedForTinyParts)
{
    Instance instance{"tiny", 6000.0, 0.0, 0.0, {{0.001, 100000000}, {0.002, 100000000}}};
    const Problem problem = Make(instance);
    FinderGenerator finder;
    finder.Init(problem.bar, problem.bounds, problem.combinations);
    EXPECT_GT(finder.MutateRoundLimit(), 0);
    EXPECT_LE(finder.MutateRoundLimit(), 65536);
}

TEST(FinderGenerator, OverfilledSeedIsRepairedBeforeItIsScored)
{
    // A bound above what fits (three parts of 400 in a bar of 1000): the third
    // part overfills the bar and is taken back.
    Instance instance{"seed", 1000.0, 0.0, 0.0, {{400.0, 5}, {150.0, 5}}};
    const Problem problem = Make(instance);
    Fitness fitness;
    FinderGenerator finder;
    const std::vector<long> beyondTheBar{5, 5};
    Prepare(finder, problem, fitness.function, &beyondTheBar);
    Blank p = problem.bar;
    const double badness = finder.SeedPattern(p, 0);
    EXPECT_LE(CUTTING::UsedFraction(p.pieces, p, nullptr, true), 1.0);
    EXPECT_LE(p.pieces[0].quantity, 2);
    EXPECT_DOUBLE_EQ(p.badness, badness);
    EXPECT_GT(p.fitness, 0.0);
    Blank check = p;
    check.UpdateSignature(false);
    EXPECT_EQ(p.signature, check.signature);
}

TEST(FinderGenerator, MutantsFitTheBarWithKerfAndTrim)
{
    // The free length counts part lengths only and leaves out the trim, so the
    // pattern changes overshoot; whatever they leave is brought back into the bar.
    const Problem problem = Make(KerfAndTrim());
    Fitness fitness;
    FinderGenerator finder;
    Prepare(finder, problem, fitness.function);
    for (long kind = 0; kind < static_cast<long>(problem.bar.pieces.size()); ++kind) {
        Blank p = problem.bar;
        finder.SeedPattern(p, kind);
        for (int i = 0; i < 20; ++i) {
            finder.Mutate(p, i % 2 == 0);
            ExpectSoundPattern(problem, p, 0);
            EXPECT_NEAR(p.fitness, fitness.function.Fitness(p), 1e-12);
        }
    }
}

TEST(FinderGenerator, LargeBasePopulationSetsABarForMutants)
{
    const Problem problem = Make(Uniform());
    Fitness fitness;
    FinderGenerator finder;
    Prepare(finder, problem, fitness.function);
    ASSERT_GT(finder.BuildBaseSet(), 50);
    // Pool 0 holds the 51 best of the base population, in best-fitness order.
    const std::vector<Blank> best = finder.Patterns(finder.pools[0]);
    ASSERT_EQ(best.size(), 51u);
    for (size_t i = 1; i < best.size(); ++i)
        EXPECT_FALSE(CUTTING::PatternBefore(CUTTING::OrderBestFitness, best[i], best[i - 1]));
    const std::vector<std::string> bestSignatures = Signatures(best);
    for (const Blank& p : finder.Patterns(finder.fixedSet)) {
        if (std::find(bestSignatures.begin(), bestSignatures.end(), p.signature) == bestSignatures.end()) {
            EXPECT_FALSE(CUTTING::PatternBefore(CUTTING::OrderBestFitness, p, best.back())) << p.signature;
        }
    }
    const double minFit = best[50].fitness;
    finder.MutateBest(1, minFit);
    const std::vector<Blank> mutants = finder.Patterns(finder.pools[1]);
    ASSERT_FALSE(mutants.empty());
    for (const Blank& p : mutants) {
        EXPECT_GT(p.ratio, 0.7);
        EXPECT_GE(p.fitness, minFit);
    }
    for (size_t i = 1; i < mutants.size(); ++i)
        EXPECT_FALSE(CUTTING::PatternBefore(CUTTING::OrderBestQuality, mutants[i], mutants[i - 1]));
}

// ---- Reproducible runs with a fixed seed ----------------------------------------------

TEST(FinderGenerator, FixedSeedGivesTheSameProposalsOnOneThread)
{
    TeamSize one(1);
    FixedSeed seed(12345);
    const Problem problem = Make(Uniform());
    Fitness fitness;
    FinderGenerator first, second;
    ASSERT_TRUE(RunOnce(first, problem, fitness.function, Options(4)));
    ASSERT_TRUE(RunOnce(second, problem, fitness.function, Options(4)));
    EXPECT_EQ(Signatures(first.results.patterns), Signatures(second.results.patterns));
    for (long k = 0; k < FinderGenerator::PoolCount; ++k)
        EXPECT_EQ(Signatures(first.pools[k]), Signatures(second.pools[k])) << "pool " << k;
}

TEST(FinderGenerator, FixedSeedGivesTheSameProposalsWhateverTheTeamSize)
{
    // Each worker seeds from its own index, and writes its own pool only.
    FixedSeed seed(99);
    const Problem problem = Make(KerfAndTrim());
    Fitness fitness;
    FinderGenerator alone, team;
    {
        TeamSize one(1);
        ASSERT_TRUE(RunOnce(alone, problem, fitness.function, Options(4)));
        ASSERT_TRUE(RunOnce(alone, problem, fitness.function, Options(4)));
    }
    {
        TeamSize four(4);
        ASSERT_TRUE(RunOnce(team, problem, fitness.function, Options(4)));
        ASSERT_TRUE(RunOnce(team, problem, fitness.function, Options(4)));
    }
    EXPECT_EQ(Signatures(alone.results.patterns), Signatures(team.results.patterns));
    for (long k = 1; k < FinderGenerator::PoolCount; ++k)
        EXPECT_EQ(Signatures(alone.pools[k]), Signatures(team.pools[k])) << "pool " << k;
}

// ---- Stop requests ------------------------------------------------------------------

TEST(FinderGenerator, StopBeforeTheCallFindsNothing)
{
    const Problem problem = Make(Triplets());
    Fitness fitness;
    FinderGenerator finder;
    StopFlag stop{1};
    EXPECT_FALSE(RunOnce(finder, problem, fitness.function, Options(4), &stop));
    EXPECT_TRUE(finder.results.patterns.empty());
}

namespace {

// Raises the stop flag from inside the search after a number of scored
// patterns, and counts how many more are scored after that.
class StoppingFitness : public FFBasic {
public:
    StoppingFitness(StopFlag& stop, long after) : m_stop(stop), m_after(after)
    {
        wasteCurve = &m_waste;
        cutsCurve = &m_cuts;
    }
    double Badness(const Blank& pattern) const override
    {
        if (++m_calls == m_after)
            m_stop.store(1);
        return FFBasic::Badness(pattern);
    }
    long Calls() const { return m_calls.load(); }

private:
    MFcLog10 m_waste, m_cuts;
    StopFlag& m_stop;
    long m_after;
    mutable std::atomic<long> m_calls{0};
};

} // namespace

TEST(FinderGenerator, StopDuringTheSearchIsHonouredWithinAPattern)
{
    // With a fixed seed every run scores the same patterns until it is stopped.
    FixedSeed seed(5);
    const Problem problem = Make(Uniform());
    // Count the scorings of a whole run first, then stop at points spread over it:
    // in the fixed set and in both worker stages.
    long whole = 0;
    {
        StopFlag never{0};
        StoppingFitness counting(never, -1);
        FinderGenerator finder;
        ASSERT_TRUE(RunOnce(finder, problem, counting, Options(4), &never));
        whole = counting.Calls();
    }
    const long kinds = static_cast<long>(problem.bar.pieces.size());
    for (long after : {5L, whole / 4, whole / 2, whole - 10}) {
        StopFlag stop{0};
        StoppingFitness stopping(stop, after);
        FinderGenerator finder;
        EXPECT_FALSE(RunOnce(finder, problem, stopping, Options(4), &stop)) << "stop after " << after;
        // Each worker finishes at most the pattern it is on (a seed and its three
        // mutants); the fixed set finishes at most one row of pairs.
        EXPECT_LE(stopping.Calls() - after, 4 * 4 + kinds) << "stop after " << after;
    }
}

// ---- Trace --------------------------------------------------------------------------

class FinderGeneratorTrace : public TraceCaptureTest {};

TEST_F(FinderGeneratorTrace, SummaryLineFromLevelTwo)
{
    const Problem problem = Make(Triplets());
    Fitness fitness;
    FinderGenerator finder;
    ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(4, 0, 1)));
    EXPECT_TRUE(sent.empty());

    ASSERT_TRUE(RunOnce(finder, problem, fitness.function, Options(4, 0, 2)));
    ASSERT_EQ(sent.size(), 1u);
    long fixed = -1, extended = -1, population = -1, selected = -1;
    ASSERT_EQ(std::sscanf(sent[0].c_str(), "Fixed set: %ld; Extended set: %ld; Population: %ld; Selected: %ld",
                          &fixed, &extended, &population, &selected),
              4)
        << sent[0];
    EXPECT_EQ(sent[0].substr(sent[0].size() - 2), "\r\n");
    EXPECT_EQ(fixed, static_cast<long>(finder.fixedSet.size()));
    long pooled = static_cast<long>(finder.fixedSet.size());
    for (long k = 1; k < FinderGenerator::PoolCount; ++k)
        pooled += static_cast<long>(finder.pools[k].size());
    EXPECT_EQ(extended, pooled);
    EXPECT_EQ(population, finder.population);
    EXPECT_GE(selected, finder.results.Count());
}
