#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CuttingFixtures.h"
#include "engine/PatternPool.h"

using namespace CUTTING;

namespace {

Blank Candidate(double fitness, const std::string& signature, double badness = 0.0, double ratio = 0.0)
{
    Blank b(1, 6000, 1);
    b.fitness = fitness;
    b.signature = signature;
    b.badness = badness;
    b.ratio = ratio;
    return b;
}

std::vector<std::string> Signatures(const std::vector<Blank>& list)
{
    std::vector<std::string> out;
    for (const Blank& b : list)
        out.push_back(b.signature);
    return out;
}

}  // namespace

// ---- Orders -------------------------------------------------------------------------

TEST(PatternOrders, BestFitnessPrefersShorterSignatureOnlyOnEqualFitness)
{
    std::vector<Blank> list = {Candidate(0.8, "1#a1-b11-"), Candidate(0.8 + 5e-8, "1#a1-b1-"),
                               Candidate(0.9, "1#c1-d1-e1-")};
    SortPatterns(OrderBestFitness, list);
    EXPECT_EQ((std::vector<std::string>{"1#c1-d1-e1-", "1#a1-b1-", "1#a1-b11-"}), Signatures(list));

    // A zero fitness never falls back to the signature length.
    EXPECT_FALSE(PatternBefore(OrderBestFitness, Candidate(0, "1#"), Candidate(0, "1#a1-b1-")));
    EXPECT_FALSE(PatternBefore(OrderBestFitness, Candidate(0, "1#a1-b1-"), Candidate(0, "1#")));
}

TEST(PatternOrders, BestQualityTieBreaks)
{
    struct Case {
        const char* name;
        Blank a, b;
        bool aFirst;
    };
    const std::vector<Case> cases = {
        {"higher fitness", Candidate(0.9, "1#a11-", 5, 0.5), Candidate(0.8, "1#a1-", 1, 1.0), true},
        {"lower badness", Candidate(0.8, "1#a11-", 2, 0.5), Candidate(0.8, "1#a1-", 3, 1.0), true},
        {"equal non-zero badness: shorter signature", Candidate(0.8, "1#a1-b11-", 2, 1.0),
         Candidate(0.8, "1#a1-b1-", 2, 0.5), false},
        {"zero badness: ratio closer to 1", Candidate(0.8, "1#a1-b1-", 0, 0.7),
         Candidate(0.8, "1#a1-b11-", 0, 0.95), false},
        {"equal lengths: ratio closer to 1", Candidate(0.8, "1#a1-", 2, 1.001), Candidate(0.8, "1#b1-", 2, 0.99),
         true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.aFirst, PatternBefore(OrderBestQuality, c.a, c.b)) << c.name;
        EXPECT_EQ(!c.aFirst, PatternBefore(OrderBestQuality, c.b, c.a)) << c.name;
    }
}

TEST(PatternOrders, LeastUsedLongestBarAndUnknownOrders)
{
    std::vector<Blank> list = {Candidate(0, "a", 0, 0.5), Candidate(0, "b", 0, -0.2), Candidate(0, "c", 0, 0.9)};
    SortPatterns(OrderLeastUsed, list);
    EXPECT_EQ((std::vector<std::string>{"b", "a", "c"}), Signatures(list));
    SortPatterns(OrderBestFitness, list);
    SortPatterns(17, list);  // any other number sorts as order 1
    EXPECT_EQ((std::vector<std::string>{"b", "a", "c"}), Signatures(list));

    std::vector<Blank> bars = {Blank(1, 4000, 1), Blank(2, 6000, 1), Blank(3, 5000, 1)};
    SortPatterns(OrderLongestBar, bars);
    EXPECT_EQ(6000.0, bars[0].length);
    EXPECT_EQ(5000.0, bars[1].length);
    EXPECT_EQ(4000.0, bars[2].length);
}

TEST(PatternOrders, ByStockWithAndWithoutFullOrder)
{
    auto make = [](const char* stock, long bars, const char* remains, const char* sig) {
        Blank b(0, 6000, bars);
        if (stock)
            b.props.Set("blank", stock);
        b.props.Set("remains", remains);
        b.signature = sig;
        return b;
    };
    std::vector<Blank> list = {make("2", 1, "10.9", "p"), make("1", 1, "90.0", "q"), make("1", 3, "50.0", "r"),
                               make(nullptr, 1, "0", "s"), make("1", 1, "10.2", "t"), make("1", 1, "10.7", "u")};
    std::vector<Blank> loose = list;
    SortPatterns(OrderByStock, loose);
    ASSERT_EQ(6u, loose.size());
    EXPECT_EQ("s", loose[0].signature);
    EXPECT_EQ("p", loose[5].signature);
    for (size_t i = 1; i < 5; ++i)
        EXPECT_EQ(1, DProps::GetLong(loose[i].props, "blank"));

    SortPatterns(OrderByStock, list, true);
    // More bars first; then the smaller remainder, by its integer part only.
    EXPECT_EQ("s", list[0].signature);
    EXPECT_EQ("r", list[1].signature);
    EXPECT_EQ("q", list[4].signature);
    EXPECT_EQ("p", list[5].signature);
    EXPECT_FALSE(PatternBefore(OrderByStock, list[2], list[3], true));
    EXPECT_FALSE(PatternBefore(OrderByStock, list[3], list[2], true));
}

TEST(PatternOrders, PropertyOrderReadsDoublesWithMissingAsZero)
{
    auto make = [](const char* weight, const char* sig) {
        Blank b;
        if (weight)
            b.props.Set("weight", weight);
        b.signature = sig;
        return b;
    };
    std::vector<Blank> list = {make("2.5", "a"), make(nullptr, "b"), make("10", "c"), make("-1", "d")};
    SortByProperty(PropertyOrder(true, "weight"), list);
    EXPECT_EQ((std::vector<std::string>{"c", "a", "b", "d"}), Signatures(list));
    SortByProperty(PropertyOrder(false, "weight"), list);
    EXPECT_EQ((std::vector<std::string>{"d", "b", "a", "c"}), Signatures(list));
    EXPECT_FALSE(PropertyOrder(false, "weight")(list[0], list[0]));
}

TEST(PatternOrders, ToleranceChainsStillSortToAPermutation)
{
    // Neighbours within the tolerance compare by signature length, distant ones by
    // fitness: no strict weak order. The sort must keep every pattern exactly once.
    std::vector<Blank> list;
    for (int i = 0; i < 200; ++i) {
        const double fitness = 0.5 + (i % 37) * 6e-8;
        list.push_back(Candidate(fitness, std::string(1 + (i * 7919) % 23, 'x') + std::to_string(i)));
    }
    std::vector<std::string> before = Signatures(list);
    SortPatterns(OrderBestFitness, list);
    SortPatterns(OrderBestQuality, list);
    std::vector<std::string> after = Signatures(list);
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(before, after);
}

TEST(PatternOrders, EqualPatternsKeepTheirOrder)
{
    std::vector<Blank> list = {Candidate(0, "first"), Candidate(0, "second"), Candidate(0, "third")};
    SortPatterns(OrderBestFitness, list);
    EXPECT_EQ((std::vector<std::string>{"first", "second", "third"}), Signatures(list));
}

// ---- Pool ---------------------------------------------------------------------------

TEST(PatternPoolTest, KeepsTheBestUnderItsLimit)
{
    PatternPool pool;
    EXPECT_EQ(0, pool.limit);
    EXPECT_EQ(0, pool.mode);
    pool.SetLimit(3);
    EXPECT_EQ(1, pool.mode);
    const double fitness[] = {0.9, 0.5, 0.7, 0.95, 0.6};
    for (double f : fitness)
        EXPECT_TRUE(pool.Add(Candidate(f, "1#a" + std::to_string(f) + "-"), true, true));
    ASSERT_EQ(3, pool.Count());
    EXPECT_DOUBLE_EQ(0.95, pool.GetAt(0)->fitness);
    EXPECT_DOUBLE_EQ(0.9, pool.GetAt(1)->fitness);
    EXPECT_DOUBLE_EQ(0.7, pool.GetAt(2)->fitness);
    EXPECT_EQ(nullptr, pool.GetAt(3));
    EXPECT_EQ(nullptr, pool.GetAt(-1));

    pool.SetLimit(1);
    ASSERT_EQ(1, pool.Count());
    EXPECT_DOUBLE_EQ(0.95, pool.GetAt(0)->fitness);
}

TEST(PatternPoolTest, UniqueRefusesAnEqualSignatureOnly)
{
    PatternPool pool;
    EXPECT_TRUE(pool.Add(Candidate(0.5, "1#a1-"), true, false));
    EXPECT_FALSE(pool.Add(Candidate(0.9, "1#a1-"), true, true));
    EXPECT_EQ(1, pool.Count());
    EXPECT_DOUBLE_EQ(0.5, pool.GetAt(0)->fitness);
    // Kinds 1 and 27 differ only in letter case.
    EXPECT_TRUE(pool.Add(Candidate(0.5, "1#A1-"), true, false));
    EXPECT_TRUE(pool.Add(Candidate(0.5, "1#a1-"), false, false));
    EXPECT_EQ(3, pool.Count());
    EXPECT_TRUE(pool.HasSignature("1#A1-"));
    EXPECT_FALSE(pool.HasSignature("1#b1-"));
}

TEST(PatternPoolTest, NoLimitAndNoModeKeepEverythingInPlace)
{
    PatternPool pool;
    for (int i = 0; i < 30; ++i)
        pool.Add(Candidate(i / 100.0, "s" + std::to_string(i)), false, true);
    ASSERT_EQ(30, pool.Count());
    EXPECT_EQ("s0", pool.GetAt(0)->signature);  // mode 0 never sorts

    pool.mode = 5;  // order 4
    pool.limit = 0;
    pool.SortAndTrim();
    EXPECT_EQ(30, pool.Count());
}

TEST(PatternPoolTest, AddAllAppendsThenSortsAndTrimsTheReceiver)
{
    PatternPool from, to;
    from.Add(Candidate(0.4, "x"), false, false);
    from.Add(Candidate(0.8, "y"), false, false);
    from.Add(Candidate(0.8, "y"), false, false);
    to.SetLimit(2);
    to.Add(Candidate(0.6, "z"), false, true);

    PatternPool::AddAll(from, to);
    ASSERT_EQ(2, to.Count());
    EXPECT_EQ("y", to.GetAt(0)->signature);
    EXPECT_EQ("y", to.GetAt(1)->signature);
    EXPECT_EQ(3, from.Count());

    PatternPool open;
    PatternPool::AddAll(from, open);
    PatternPool::AddAll(open, open);
    EXPECT_EQ(6, open.Count());
    EXPECT_EQ("x", open.GetAt(0)->signature);  // no order: appended as they were
}

TEST(PatternPoolTest, FinderLimitFollowsTheNumberOfKinds)
{
    EXPECT_EQ(20, PoolLimitForKinds(0));
    EXPECT_EQ(20, PoolLimitForKinds(6));
    EXPECT_EQ(21, PoolLimitForKinds(7));
    EXPECT_EQ(90, PoolLimitForKinds(30));
}
