#include "engine/Solver.h"

#include "engine/FinderGenerator.h"
#include "engine/LayoutStats.h"
#include "engine/Pattern.h"
#include "engine/Weighting.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

using namespace CUTTING;

namespace {

// Gives tests the fitness function that Solve would install, so the main loop and
// the post-optimisation can be driven on their own.
class TestSolver : public Solver {
public:
    TestSolver()
    {
        m_basic.wasteCurve = &m_waste;
        m_basic.cutsCurve = &m_cuts;
        m_basic.shift = 0.0;
        m_fitness = &m_basic;
    }
    void SetStop(const StopFlag* stop) { m_stop = stop; }
    void SetCounters(long need, long open)
    {
        m_need = need;
        m_open = open;
    }

private:
    MFcLog10 m_waste;
    MFcLog10 m_cuts;
    FFBasic m_basic;
};

Blank Stock(long id, double length, long quantity, double knife = 0.0, double indent = 0.0, double cost = 1.0)
{
    Blank b(id, length, quantity, knife, indent);
    b.props.SetDouble("cost", cost, "%f");
    return b;
}

Layout Problem(const std::vector<Blank>& stock, const std::vector<Piece>& demand)
{
    Layout l;
    l.blanks = stock;
    l.pieces = demand;
    return l;
}

DProps PassOptions(long mode)
{
    DProps o;
    o.Set("mode", mode == 0 ? "0" : "2");
    o.Set("shift", "0.");
    o.Set("ratio", "0.");
    o.Set("threads", "4");
    return o;
}

std::map<long, long> PlacedById(const Layout& l)
{
    std::map<long, long> placed;
    for (const Blank& c : l.cuttings)
        for (const Piece& p : c.pieces)
            placed[p.id] += c.quantity * p.quantity;
    return placed;
}

// What holds after every run, whatever the random choices were.
void ExpectSound(const Layout& input, const Layout& result)
{
    const std::map<long, long> placed = PlacedById(result);
    long totalPlaced = 0;
    long totalBars = 0;
    for (const Piece& p : input.pieces) {
        const long got = placed.count(p.id) ? placed.at(p.id) : 0;
        EXPECT_LE(got, p.quantity) << "kind " << p.id << " overproduced";
        EXPECT_GE(got, 0);
        totalPlaced += got;
        const long at = FindPieceById(result.orphans, p.id);
        const long unplaced = at >= 0 ? result.orphans[static_cast<size_t>(at)].quantity : 0;
        EXPECT_EQ(unplaced, p.quantity - got) << "kind " << p.id;
    }
    for (const auto& kv : placed)
        EXPECT_GE(FindPieceById(input.pieces, kv.first), 0) << "unknown kind " << kv.first;

    std::map<long, long> bars;
    for (const Blank& c : result.cuttings) {
        EXPECT_GE(c.quantity, 1);
        bars[c.id] += c.quantity;
        totalBars += c.quantity;
        double rest = 0.0;
        UsedFraction(c.pieces, c, &rest, false);
        EXPECT_GE(rest, -1e-7) << c.signature << " overfills its bar";
    }
    for (const auto& kv : bars) {
        const long at = FindBlankById(input.blanks, kv.first);
        ASSERT_GE(at, 0);
        EXPECT_LE(kv.second, input.blanks[static_cast<size_t>(at)].quantity) << "stock " << kv.first << " overdrawn";
    }
    if (!result.cuttings.empty()) {
        EXPECT_EQ(DProps::GetLong(result.props, "pieces"), totalPlaced);
        EXPECT_EQ(DProps::GetLong(result.props, "used"), totalBars);
    }
    EXPECT_EQ(result.pieces.size(), input.pieces.size());
}

long Status(const DProps& options)
{
    return DProps::GetLong(options, "status");
}

}  // namespace

// ---- Whole runs: invariants -------------------------------------------------------

struct RunCase {
    const char* name;
    std::vector<Blank> stock;
    std::vector<Piece> demand;
};

class SolverRuns : public ::testing::TestWithParam<RunCase> {};

TEST_P(SolverRuns, EveryPassIsSound)
{
    const RunCase& rc = GetParam();
    for (long mode : {0L, 2L}) {
        Layout input = Problem(rc.stock, rc.demand);
        Layout layout = input;
        DProps options = PassOptions(mode);
        Solver solver;
        const bool ok = solver.Solve(layout, options, nullptr);
        EXPECT_EQ(ok, !layout.cuttings.empty());
        ExpectSound(input, layout);
        const long status = Status(options);
        EXPECT_TRUE(status == 0 || status == 2 || status == 41) << status;
        EXPECT_EQ(DProps::GetString(options, "progress"), "0");
        DProps st;
        solver.GetStatus(st);
        EXPECT_EQ(DProps::GetLong(st, "progress"), 100);
        EXPECT_EQ(st.Count(), 6);
        EXPECT_EQ(st.IndexOf("status"), -1);
    }
}

static std::vector<Piece> Kinds(const std::vector<std::pair<double, long>>& list)
{
    std::vector<Piece> out;
    long id = 1;
    for (const auto& x : list)
        out.emplace_back(id++, x.first, x.second);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Instances, SolverRuns,
    ::testing::Values(
        RunCase{"unlimited", {Stock(1, 6000, UnlimitedQuantity, 5)}, Kinds({{2000, 7}, {1500, 5}, {700, 12}, {333, 9}})},
        RunCase{"short_stock", {Stock(1, 1000, 3)}, Kinds({{400, 5}, {300, 6}, {250, 3}})},
        RunCase{"two_stocks_trim", {Stock(1, 3000, 4, 3, 10), Stock(2, 2000, 5, 3, 10)},
                Kinds({{1200, 4}, {900, 6}, {650, 5}, {410, 7}, {2500, 1}})},
        RunCase{"many_kinds", {Stock(1, 1000, UnlimitedQuantity)},
                Kinds({{91, 3}, {87, 2}, {83, 4}, {79, 1}, {71, 5}, {67, 2}, {61, 3}, {59, 6}, {53, 2},
                       {47, 3}, {43, 4}, {41, 1}, {37, 2}})},
        RunCase{"nothing_fits", {Stock(1, 500, 3)}, Kinds({{600, 2}, {700, 1}})},
        RunCase{"zero_bar_stock", {Stock(1, 2000, 0), Stock(2, 1000, 4)}, Kinds({{450, 6}})}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

// ---- Edge cases of a whole solve --------------------------------------------------

TEST(SolverSolve, DemandAlreadyMetGivesNoCuttings)
{
    Layout layout = Problem({Stock(1, 1000, 5)}, Kinds({{300, 0}, {200, 0}}));
    DProps options = PassOptions(0);
    Solver solver;
    EXPECT_FALSE(solver.Solve(layout, options, nullptr));
    EXPECT_EQ(Status(options), 0);
    EXPECT_TRUE(layout.cuttings.empty());
}

TEST(SolverSolve, PartLongerThanEveryStockIsUnplaced)
{
    const Layout input = Problem({Stock(1, 1000, 5), Stock(2, 800, 5)}, Kinds({{1200, 2}, {400, 3}}));
    Layout layout = input;
    DProps options = PassOptions(0);
    Solver solver;
    EXPECT_TRUE(solver.Solve(layout, options, nullptr));
    ExpectSound(input, layout);
    EXPECT_EQ(PlacedById(layout)[2], 3);
    const long at = FindPieceById(layout.orphans, 1);
    ASSERT_GE(at, 0);
    EXPECT_EQ(layout.orphans[static_cast<size_t>(at)].quantity, 2);
    EXPECT_EQ(layout.pieces[0].quantity, 2);  // the demand as passed in comes back
}

TEST(SolverSolve, TwoBarsOfThreeForADemandOfEight)
{
    const Layout input = Problem({Stock(1, 900, 2)}, Kinds({{300, 8}}));
    Layout layout = input;
    DProps options = PassOptions(0);
    Solver solver;
    EXPECT_TRUE(solver.Solve(layout, options, nullptr));
    ExpectSound(input, layout);
    EXPECT_EQ(PlacedById(layout)[1], 6);
    ASSERT_EQ(layout.orphans.size(), 1u);
    EXPECT_EQ(layout.orphans[0].quantity, 2);
}

TEST(SolverSolve, SixtyFourDistinctLengthsThatFitOneBarTakeOneBar)
{
    // 2^64 count vectors: the combination count must not wrap to "nothing fits".
    std::vector<Piece> demand;
    for (long i = 1; i <= 64; ++i)
        demand.emplace_back(i, 10.0 + i, 1);
    const Layout input = Problem({Stock(1, 10000, 5)}, demand);
    Layout layout = input;
    DProps options = PassOptions(0);
    Solver solver;
    EXPECT_TRUE(solver.Solve(layout, options, nullptr));
    ExpectSound(input, layout);
    ASSERT_EQ(layout.cuttings.size(), 1u);
    EXPECT_EQ(layout.cuttings[0].quantity, 1);
    EXPECT_EQ(SumPieceQuantities(layout.orphans), 0);
}

TEST(SolverSolve, StopBeforeTheCall)
{
    const Layout input = Problem({Stock(1, 1000, 5)}, Kinds({{300, 4}}));
    Layout layout = input;
    DProps options = PassOptions(0);
    StopFlag stop{1};
    Solver solver;
    EXPECT_FALSE(solver.Solve(layout, options, &stop));
    EXPECT_EQ(Status(options), 1);
    EXPECT_TRUE(layout.cuttings.empty());
    DProps st;
    solver.GetStatus(st);
    EXPECT_EQ(DProps::GetLong(st, "progress"), 1);
    EXPECT_EQ(DProps::GetLong(st, "step"), 0);
}

TEST(SolverSolve, ProgressStaysWithinOneToNinetyNineThenReachesHundred)
{
    std::vector<Piece> demand;
    for (long i = 1; i <= 16; ++i)
        demand.emplace_back(i, 100.0 + 37 * i, 2);
    const Layout input = Problem({Stock(1, 2000, UnlimitedQuantity)}, demand);
    Layout layout = input;
    DProps options = PassOptions(0);
    Solver solver;
    std::atomic<bool> done{false};
    std::vector<long> seen;
    std::thread poller([&] {
        while (!done.load()) {
            // The reset at the start writes its keys one at a time, so a
            // look at that moment may find no "progress" yet.
            DProps st;
            if (solver.GetStatus(st) > 0 && st.IndexOf("progress") >= 0)
                seen.push_back(DProps::GetLong(st, "progress"));
            Sleep(1);
        }
    });
    solver.Solve(layout, options, nullptr);
    done = true;
    poller.join();
    ExpectSound(input, layout);
    for (long p : seen)
        EXPECT_TRUE(p >= 1 && p <= 100) << p;
    DProps st;
    solver.GetStatus(st);
    EXPECT_EQ(DProps::GetLong(st, "progress"), 100);
    EXPECT_EQ(DProps::GetLong(st, "piece.need"), 32);
    EXPECT_EQ(DProps::GetLong(st, "piece.done"), 32);
}

// The stop is raised by the solving thread itself, from the trace of the
// second step's selection, so the test does not race the solver.
namespace StopFromTrace {
StopFlag* flag = nullptr;
std::atomic<int> selections{0};
void Sink(const char* text)
{
    if (strncmp(text, "Selected ", 9) == 0 && ++selections == 2 && flag)
        *flag = 1;
}
} // namespace StopFromTrace

TEST(SolverSolve, StopRequestIsHonouredWithinAStep)
{
    std::vector<Piece> demand;
    for (long i = 1; i <= 300; ++i)
        demand.emplace_back(i, 50.0 + 3 * i, 1);
    const Layout input = Problem({Stock(1, 1500, UnlimitedQuantity)}, demand);
    Layout layout = input;
    DProps options = PassOptions(0);
    options.SetLong("trace", 1);
    Solver solver;
    StopFlag stop{0};
    StopFromTrace::flag = &stop;
    StopFromTrace::selections = 0;
    TraceSink previous = SetTraceSink(&StopFromTrace::Sink);
    const bool ok = solver.Solve(layout, options, &stop);
    SetTraceSink(previous);
    StopFromTrace::flag = nullptr;
    ASSERT_EQ(1, stop.load()) << "the run ended before its second selection";
    EXPECT_EQ(Status(options), 1);
    EXPECT_EQ(ok, !layout.cuttings.empty());
    DProps st;
    solver.GetStatus(st);
    EXPECT_LE(DProps::GetLong(st, "step"), 3) << "stopped during step 2";
    EXPECT_LT(DProps::GetLong(st, "progress"), 100);
    // Whatever it holds after a stop is still a sound partial solution.
    for (const auto& kv : PlacedById(layout))
        EXPECT_LE(kv.second, 1);
}

TEST(SolverSolve, FixedSeedRepeatsTheResult)
{
    std::vector<Piece> demand = Kinds({{1020, 7}, {830, 9}, {640, 11}, {455, 13}, {270, 17}, {115, 4}});
    const Layout input = Problem({Stock(1, 3000, UnlimitedQuantity, 4)}, demand);
    Layout a = input, b = input;
    DProps oa = PassOptions(2), ob = PassOptions(2);
    FinderGenerator::SetFixedSeed(true, 77);
    Solver s1, s2;
    s1.Solve(a, oa, nullptr);
    s2.Solve(b, ob, nullptr);
    FinderGenerator::SetFixedSeed(false);
    ExpectSound(input, a);
    ExpectSound(input, b);
    EXPECT_EQ(a.signature, b.signature);
}

// ---- Demand preparation and the main loop on its own --------------------------------

TEST(SolverMainLoop, PrepareDemandCapsAndWeighs)
{
    Layout l = Problem({Stock(1, 900, 2), Stock(2, 500, 1), Stock(3, 250, 1)},
                       Kinds({{300, 8}, {450, 1}, {1000, 3}, {200, 2}}));
    TestSolver solver;
    solver.PrepareDemand(l);
    EXPECT_EQ(l.pieces[0].quantity, 7);  // 3 + 3 per bar of 900, 1 per bar of 500
    EXPECT_EQ(l.pieces[1].quantity, 1);
    EXPECT_DOUBLE_EQ(l.pieces[1].weight, 1.0 / 3 + 1);  // fits 2 of 3 stock lengths
    EXPECT_EQ(l.pieces[2].quantity, 0);                 // fits none
    EXPECT_EQ(l.pieces[3].quantity, 2);
    EXPECT_DOUBLE_EQ(l.pieces[3].weight, 1.0);  // fits every stock length
}

TEST(SolverMainLoop, CapacityOfUnlimitedStockDoesNotWrap)
{
    // 1000 parts per bar times two million bars passes 32 bits.
    Layout l = Problem({Stock(1, 1000, 2 * UnlimitedQuantity)}, Kinds({{1, 5}}));
    TestSolver solver;
    solver.PrepareDemand(l);
    EXPECT_EQ(l.pieces[0].quantity, 5);
}

TEST(SolverMainLoop, TwoKindsOfSixThatOutgrowTheStockEndWithNotEnoughMaterial)
{
    Layout l = Problem({Stock(1, 900, 2)}, Kinds({{300, 6}, {290, 6}}));
    TestSolver solver;
    solver.PrepareDemand(l);
    EXPECT_EQ(SumPieceQuantities(l.pieces), 12);  // each kind alone fits
    DProps options;
    solver.MainLoop(options, l);
    EXPECT_EQ(Status(options), 41);
    long bars = 0;
    for (const Blank& c : l.cuttings)
        bars += c.quantity;
    EXPECT_EQ(bars, 2);
}

TEST(SolverMainLoop, PartsLeftWithStockLeftAreCodeTwo)
{
    // Without PrepareDemand the part that fits no bar stays open while bars remain.
    Layout l = Problem({Stock(1, 500, 4)}, Kinds({{200, 2}, {800, 1}}));
    TestSolver solver;
    DProps options;
    solver.MainLoop(options, l);
    EXPECT_EQ(Status(options), 2);
    EXPECT_EQ(PlacedById(l)[1], 2);
}

TEST(SolverMainLoop, WithoutProgressOptionNothingIsPublished)
{
    Layout l = Problem({Stock(1, 1000, 5)}, Kinds({{300, 6}}));
    TestSolver solver;
    DProps options;
    options.Set("progress", "0");
    solver.MainLoop(options, l);
    DProps st;
    EXPECT_EQ(solver.GetStatus(st), 0);
}

TEST(SolverMainLoop, ProgressPercentRounding)
{
    struct {
        long need, open, percent;
    } cases[] = {{10, 1, 95}, {10, 10, 1}, {10, 0, 99}, {0, 0, 1}, {4, 3, 50}, {100, 75, 50}};
    for (const auto& c : cases)
        EXPECT_EQ(Solver::ProgressPercent(c.need, c.open), c.percent) << c.need << "/" << c.open;
}

// ---- Selection -----------------------------------------------------------------

class SolverSelect : public TraceCaptureTest {
protected:
    // Candidates for stock 1 (1000 long, 3 bars) against demand of four kinds.
    Layout b = Problem({Stock(1, 1000, 3)}, Kinds({{400, 3}, {300, 3}, {200, 3}, {100, 3}}));
    TestSolver solver;

    Blank Candidate(const std::vector<long>& counts, double fitness)
    {
        Blank c = b.blanks[0];
        c.SetPieces(b.pieces);
        for (size_t i = 0; i < counts.size(); ++i)
            c.pieces[i].quantity = counts[i];
        c.fitness = fitness;
        c.ratio = UsedFraction(c.pieces, c, nullptr, true);
        c.props.SetLong("blank", 1);
        c.props.SetString("blank.cost", "1.000000");
        c.props.SetDouble("blank.length", 1000, "%.5f");
        c.UpdateSignature(false);
        return c;
    }

    long SelectedCount() const
    {
        for (const std::string& line : sent)
            if (line.rfind("Selected ", 0) == 0)
                return atol(line.c_str() + 9);
        return -1;
    }
};

TEST_F(SolverSelect, EmptyPoolSelectsNothing)
{
    PatternPool cand;
    std::vector<Layout> n;
    EXPECT_EQ(solver.SelectPattern(b, cand, n, DProps()), 0);
    EXPECT_TRUE(n.empty());
}

TEST_F(SolverSelect, BestCandidateSurvivesAFilterThatDropsEverything)
{
    // Its fitness rounds to "0.00000", below the unrounded threshold.
    PatternPool cand;
    cand.Add(Candidate({2, 0, 1, 0}, 0.000004), false, false);
    std::vector<Layout> n;
    DProps options;
    options.Set("threshold", "0.9");
    EXPECT_EQ(solver.SelectPattern(b, cand, n, options), 2);
    ASSERT_EQ(n.size(), 1u);
    ASSERT_EQ(n[0].cuttings.size(), 1u);
    EXPECT_EQ(n[0].cuttings[0].quantity, 1);  // a second bar would need four 400s
    EXPECT_EQ(n[0].blanks[0].quantity, 2);
    EXPECT_TRUE(cand.patterns.empty());
}

TEST_F(SolverSelect, PatternWithoutPartsDoesNotEatTheStock)
{
    PatternPool cand;
    cand.Add(Candidate({0, 0, 0, 0}, 0.0), false, false);
    std::vector<Layout> n;
    EXPECT_EQ(solver.SelectPattern(b, cand, n, DProps()), 2);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_TRUE(n[0].cuttings.empty());
    EXPECT_EQ(n[0].blanks[0].quantity, 3);
}

TEST_F(SolverSelect, WeightFilterNeedsMoreThanFiveCandidates)
{
    const std::vector<std::vector<long>> counts = {{2, 0, 1, 0}, {0, 0, 0, 1}, {0, 0, 1, 0},
                                                   {0, 1, 0, 0}, {0, 0, 0, 2}, {1, 0, 0, 0}};
    for (size_t size : {5u, 6u}) {
        sent.clear();
        PatternPool cand;
        for (size_t i = 0; i < size; ++i)
            cand.Add(Candidate(counts[i], 0.9), false, false);
        std::vector<Layout> n;
        DProps options;
        options.Set("trace", "1");
        options.Set("threshold", "0.5");
        solver.SelectPattern(b, cand, n, options);
        if (size == 5) {
            EXPECT_EQ(SelectedCount(), 5);
        } else {
            EXPECT_EQ(SelectedCount(), 1);  // all but the heaviest fall below half its weight
        }
    }
}

TEST_F(SolverSelect, ByCostTheCheapestPerUnitWinsOtherwiseTheHeaviest)
{
    for (const char* optimize : {"1", "0"}) {
        Layout start = b;
        PatternPool cand;
        cand.Add(Candidate({2, 0, 1, 0}, 0.95), false, false);  // 1000 of parts, weight 2.25
        cand.Add(Candidate({0, 0, 2, 0}, 0.90), false, false);  // 400 of parts, weight 0.5
        cand.patterns[0].props.SetString("blank.cost", "3.000000");  // 3 per unit of parts
        cand.patterns[1].props.SetString("blank.cost", "0.100000");  // 0.25 per unit
        std::vector<Layout> n;
        DProps options;
        options.Set("optimize", optimize);
        options.Set("threshold", "0.1");
        solver.SelectPattern(start, cand, n, options);
        ASSERT_EQ(n.size(), 1u);
        ASSERT_EQ(n[0].cuttings.size(), 1u);
        EXPECT_EQ(n[0].cuttings[0].signature, optimize[0] == '1' ? "1#c2-" : "1#a2-c1-") << optimize;
    }
}

TEST_F(SolverSelect, TheChosenCuttingCarriesEveryStatisticInItsOrder)
{
    // The selection weighs all candidates but writes the full statistics only
    // into the one it chooses: that one must come out exactly as if every step
    // had been taken on it, keys in the same order, texts the same.
    const std::vector<std::vector<long>> counts = {{2, 0, 1, 0}, {0, 0, 0, 1}, {0, 0, 1, 0},
                                                   {0, 1, 0, 0}, {0, 0, 0, 2}, {1, 0, 0, 0}, {0, 1, 1, 1}};
    for (long trace : {0L, 3L}) {
        for (const char* mode : {"0", "2"}) {
            PatternPool cand;
            for (const std::vector<long>& c : counts)
                cand.Add(Candidate(c, 0.7 + 0.03 * c[1]), false, false);
            DProps options;
            options.Set("mode", mode);
            options.SetLong("trace", trace);
            Layout start = b;
            std::vector<Layout> n;
            ASSERT_EQ(solver.SelectPattern(start, cand, n, options), 2);
            ASSERT_EQ(n.size(), 1u);
            ASSERT_EQ(n[0].cuttings.size(), 1u);
            const Blank& cut = n[0].cuttings[0];

            // The same candidate, taken through every step by hand.
            long chosen = -1;
            for (size_t i = 0; i < counts.size(); ++i) {
                Blank probe = Candidate(counts[i], 0.7 + 0.03 * counts[i][1]);
                probe.UpdateSignature(false);
                Blank applied = probe;
                applied.pieces.erase(std::remove_if(applied.pieces.begin(), applied.pieces.end(),
                                                    [](const Piece& p) { return p.quantity == 0; }),
                                     applied.pieces.end());
                applied.UpdateSignature(false);
                if (applied.signature == cut.signature)
                    chosen = static_cast<long>(i);
            }
            ASSERT_GE(chosen, 0) << cut.signature;
            Layout weighed = b;
            PieceWeights(weighed.pieces);
            Blank expected = Candidate(counts[chosen], 0.7 + 0.03 * counts[chosen][1]);
            expected.UpdateSignature(true);
            PatternWeight(expected, weighed.pieces);
            PatternCost(expected);

            SCOPED_TRACE(std::string("mode ") + mode + " trace " + std::to_string(trace));
            ASSERT_EQ(cut.props.Count(), expected.props.Count());
            for (int i = 0; i < expected.props.Count(); ++i) {
                EXPECT_STREQ(cut.props.GetKeyAt(i), expected.props.GetKeyAt(i));
                EXPECT_STREQ(cut.props.GetValueAt(i), expected.props.GetValueAt(i)) << expected.props.GetKeyAt(i);
            }
            EXPECT_EQ(cut.ratio, expected.ratio);
            EXPECT_EQ(cut.cmu, expected.cmu);
        }
    }
}

TEST_F(SolverSelect, DefaultThresholdRisesWithPlacedShare)
{
    solver.SetCounters(0, 0);
    EXPECT_DOUBLE_EQ(solver.DefaultThreshold(), 0.5);
    solver.SetCounters(10, 10);
    EXPECT_DOUBLE_EQ(solver.DefaultThreshold(), 0.5);
    solver.SetCounters(10, 0);
    EXPECT_DOUBLE_EQ(solver.DefaultThreshold(), 0.625);
}

// ---- Comparison of layouts -------------------------------------------------------

namespace {

Layout Summarised(const std::vector<Blank>& cuttings, double knife = 0.0)
{
    Layout l;
    l.blanks.push_back(Stock(1, 1000, 100, knife));
    for (Blank c : cuttings) {
        c.knife = knife;
        c.props.SetLong("blank", 1);
        c.props.SetString("blank.cost", "1.000000");
        c.props.SetDouble("blank.length", c.length, "%.5f");
        c.UpdateSignature(true);
        l.cuttings.push_back(c);
    }
    Refresh(l, true);
    ComputeSummary(DProps(), l);
    return l;
}

Blank Cut(long bars, const std::vector<std::pair<double, long>>& parts)
{
    Blank c(1, 1000, bars);
    long id = 1;
    for (const auto& p : parts)
        c.pieces.emplace_back(id++, p.first, p.second);
    return c;
}

}  // namespace

TEST(SolverCompare, FewerBarsForTheSamePartsWinsEvenWithKerf)
{
    // 500 and 495 fill a bar exactly with one kerf between them and no final cut;
    // cut on bars of their own, each part needs a final cut, so that layout's
    // "output" is higher although its parts are the same.
    const Layout two = Summarised({Cut(2, {{500, 1}, {495, 1}})}, 5);
    const Layout four = Summarised({Cut(2, {{500, 1}}), Cut(2, {{495, 1}})}, 5);
    ASSERT_GT(DProps::GetDouble(four.props, "output"), DProps::GetDouble(two.props, "output"));
    EXPECT_TRUE(Solver::IsBetterLayout(DProps(), four, two));
    EXPECT_FALSE(Solver::IsBetterLayout(DProps(), two, four));
}

TEST(SolverCompare, MorePartsCutWins)
{
    const Layout less = Summarised({Cut(1, {{400, 2}})});
    const Layout more = Summarised({Cut(2, {{400, 2}})});
    EXPECT_TRUE(Solver::IsBetterLayout(DProps(), less, more));
}

TEST(SolverCompare, ByCostTheCheaperWinsFirst)
{
    Layout cheap = Summarised({Cut(2, {{400, 2}})});
    Layout dear = Summarised({Cut(2, {{400, 2}})});
    cheap.props.SetDouble("cost", 10, "%.5f");
    dear.props.SetDouble("cost", 20, "%.5f");
    DProps byCost;
    byCost.Set("optimize", "1");
    EXPECT_TRUE(Solver::IsBetterLayout(byCost, dear, cheap));
    EXPECT_FALSE(Solver::IsBetterLayout(byCost, cheap, dear));
}

TEST(SolverCompare, EqualStatisticsFewerCuttingsWinAndEqualIsNotBetter)
{
    const Layout one = Summarised({Cut(2, {{500, 1}, {300, 1}, {200, 1}})});
    Layout split = Summarised({Cut(1, {{500, 1}, {300, 1}, {200, 1}}), Cut(1, {{200, 1}, {300, 1}, {500, 1}})});
    EXPECT_TRUE(Solver::IsBetterLayout(DProps(), split, one));
    EXPECT_FALSE(Solver::IsBetterLayout(DProps(), one, split));
    EXPECT_FALSE(Solver::IsBetterLayout(DProps(), one, one));
}

// ---- Post-optimisation ------------------------------------------------------------

namespace {

long Bars(const Layout& l)
{
    long n = 0;
    for (const Blank& c : l.cuttings)
        n += c.quantity;
    return n;
}

}  // namespace

TEST(SolverPostOptimise, PartsOfTwoBarsMoveIntoOffcuts)
{
    // 3 bars of one 700 leave 300 each; 2 bars of one 250 move into two of them.
    Layout l = Summarised({Cut(3, {{700, 1}}), Cut(2, {{250, 1}})});
    for (Blank& c : l.cuttings)
        if (c.pieces[0].length == 250)
            c.pieces[0].id = 2;
    for (Blank& c : l.cuttings)
        c.UpdateSignature(true);
    Refresh(l, true);
    ComputeSummary(DProps(), l);
    const std::map<long, long> before = PlacedById(l);

    TestSolver solver;
    EXPECT_TRUE(solver.PostOptimise(DProps(), l));
    EXPECT_EQ(PlacedById(l), before);
    EXPECT_EQ(Bars(l), 3);
    ASSERT_EQ(l.cuttings.size(), 2u);
    std::map<std::string, long> bySignature;
    for (const Blank& c : l.cuttings)
        bySignature[c.signature] = c.quantity;
    EXPECT_EQ(bySignature["1#b1-a1-"], 2);
    EXPECT_EQ(bySignature["1#a1-"], 1);
}

TEST(SolverPostOptimise, OffcutsOfOneStockNeverLendMoreBarsThanTheirPattern)
{
    // Both offcut patterns come from stock 1: three bars leaving 400 and one bar
    // leaving 500. The two parts of P fit only the single 500 offcut, so only one
    // bar of P can move; counting its bars against the three-bar offcut would move
    // both and cut the 500 part twice.
    Layout l = Summarised({Cut(2, {{50, 1}, {450, 1}}), Cut(3, {{600, 1}}), Cut(1, {{500, 1}})});
    l.cuttings[0].pieces[1].id = 2;
    l.cuttings[1].pieces[0].id = 3;
    l.cuttings[2].pieces[0].id = 4;
    for (Blank& c : l.cuttings)
        c.UpdateSignature(true);
    Refresh(l, true);
    ComputeSummary(DProps(), l);
    ASSERT_EQ(l.cuttings[0].pieces.size(), 2u);  // P is looked at first
    const std::map<long, long> before = PlacedById(l);

    TestSolver solver;
    EXPECT_TRUE(solver.PostOptimise(DProps(), l));
    EXPECT_EQ(PlacedById(l), before);
    EXPECT_EQ(Bars(l), 5);
    for (const Blank& c : l.cuttings) {
        EXPECT_GE(c.quantity, 1);
        double rest = 0;
        UsedFraction(c.pieces, c, &rest, false);
        EXPECT_GE(rest, -1e-7) << c.signature;
    }
}

TEST(SolverPostOptimise, AllMultiBarPatternsLeaveStageTwoNothingToDo)
{
    Layout l = Summarised({Cut(2, {{600, 1}}), Cut(3, {{900, 1}})});
    const std::string signature = l.signature;
    TestSolver solver;
    EXPECT_FALSE(solver.PostOptimise(DProps(), l));
    EXPECT_EQ(l.signature, signature);
}

TEST(SolverPostOptimise, SingleBarsAreSolvedAgain)
{
    // Three single bars each holding one 300 fit into one bar together.
    Layout l = Summarised({Cut(1, {{300, 1}}), Cut(1, {{300, 1}, {100, 1}}), Cut(1, {{200, 1}})});
    long id = 1;
    for (Blank& c : l.cuttings)
        for (Piece& p : c.pieces)
            p.id = id++;
    for (Blank& c : l.cuttings)
        c.UpdateSignature(true);
    Refresh(l, true);
    ComputeSummary(DProps(), l);
    const long parts = DProps::GetLong(l.props, "pieces");
    TestSolver solver;
    EXPECT_TRUE(solver.PostOptimise(DProps(), l));
    EXPECT_EQ(Bars(l), 1);
    EXPECT_EQ(DProps::GetLong(l.props, "pieces"), parts);
}

TEST(SolverPostOptimise, StoppedBeforeItChangesNothing)
{
    Layout l = Summarised({Cut(3, {{700, 1}}), Cut(2, {{250, 1}})});
    const std::string signature = l.signature;
    TestSolver solver;
    StopFlag stop{1};
    solver.SetStop(&stop);
    EXPECT_FALSE(solver.PostOptimise(DProps(), l));
    EXPECT_EQ(l.signature, signature);
}
