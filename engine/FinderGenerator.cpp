#include "engine/FinderGenerator.h"

#include "engine/Pattern.h"
#include "foundation/StrUtil.h"

#include <omp.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <exception>
#include <string>
#include <unordered_set>

using CUTTING::Blank;
using CUTTING::PatternPool;
using CUTTING::Piece;

namespace {

// The proposals never drop below this many, however few part kinds there are.
constexpr long ResultFloor = 20;
// The best of each pool that reach the proposals.
constexpr long TakenPerPool = 30;
// Seeds a second-stage worker may draw at the least.
constexpr long PopulationFloor = 2000;
// A base population beyond this many patterns sets a fitness bar for mutants:
// the fitness of the pattern after them.
constexpr long EliteCount = 50;
// The best of the base population that anything reads.
constexpr long BaseKept = std::max(EliteCount + 1, TakenPerPool);
// Ratio a mutant must beat once the base population is large.
constexpr double EliteRatio = 0.7;
// Ratio a pair pattern needs to join the fixed set when kinds are unlimited.
constexpr double PairRatio = 0.7;
// Mutations of each seed that is not already good.
constexpr int SeedMutations = 3;
// Badness at or below which a seed is kept as it is.
constexpr double GoodSeedBadness = 1.0;
constexpr int RepairPasses = 10;
constexpr int PerturbPasses = 3;
// Perturb rounds of one Mutate: each round adds at most one part net, so twice
// the parts a bar can hold is ample; the ceiling keeps absurd bounds in check.
constexpr long RoundSlack = 16;
constexpr long RoundCeiling = 65536;

std::atomic<bool> g_fixedSeedSet{false};
std::atomic<unsigned> g_fixedSeed{0};

// rand() modulo m for m >= 2; no draw and 0 otherwise.
long RandomBelow(long m)
{
    return m >= 2 ? std::rand() % m : 0;
}

bool AboveOne(double fraction)
{
    return fraction > 1.0 && !NumEqual(fraction, 1.0);
}

double TrimFraction(const Blank& p, double* remainder = nullptr)
{
    return CUTTING::UsedFraction(p.pieces, p, remainder, true);
}

long TotalCount(const Blank& p)
{
    long total = 0;
    for (const Piece& piece : p.pieces)
        total += piece.quantity;
    return total;
}

// Mixes the fixed seed with where it is used, so that workers and runs draw
// different sequences that are still the same from one test run to the next.
unsigned MixSeed(unsigned seed, unsigned long run, long stage, long k)
{
    uint32_t x = seed ^ (static_cast<uint32_t>(run) * 0x9E3779B1u) ^ (static_cast<uint32_t>(stage) * 0x85EBCA6Bu) ^
                 (static_cast<uint32_t>(k) * 0xC2B2AE35u);
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

// A pool that refuses a second pattern of one signature, with the signatures
// kept in a hash set: worker pools grow to thousands of patterns.
class UniquePool {
public:
    explicit UniquePool(PatternPool& pool) : m_pool(pool)
    {
        for (const Blank& p : pool.patterns)
            m_seen.insert(p.signature);
    }
    // A pattern without any part is never a proposal: the solver reads an empty
    // first proposal as the end of its search.
    bool Add(const Blank& p)
    {
        if (TotalCount(p) <= 0 || !m_seen.insert(p.signature).second)
            return false;
        m_pool.patterns.push_back(p);
        return true;
    }
    long Count() const { return m_pool.Count(); }

private:
    PatternPool& m_pool;
    std::unordered_set<std::string> m_seen;
};

} // namespace

void FinderGenerator::SetFixedSeed(bool fixed, unsigned seed)
{
    g_fixedSeed.store(seed);
    g_fixedSeedSet.store(fixed);
}

bool FinderGenerator::FixedSeed(unsigned* seed)
{
    const bool fixed = g_fixedSeedSet.load();
    if (fixed && seed)
        *seed = g_fixedSeed.load();
    return fixed;
}

bool FinderGenerator::Init(const Blank& newBar, const std::vector<long>& newBounds, uint64_t newCombinations)
{
    Reset(newBar, newBounds, newCombinations);
    diversity = 0;
    return true;
}

long FinderGenerator::PooledCount() const
{
    long total = baseCount;
    for (long k = 1; k < PoolCount; ++k)
        total += pools[k].Count();
    return total;
}

bool FinderGenerator::Stopped() const
{
    return stop && stop->load(std::memory_order_relaxed) != 0;
}

long FinderGenerator::Bound(size_t i) const
{
    return i < bounds.size() && bounds[i] > 0 ? bounds[i] : 0;
}

long FinderGenerator::MutateRoundLimit() const
{
    long long parts = 0;
    for (size_t i = 0; i < bar.pieces.size(); ++i)
        parts += Bound(i);
    const long long limit = 2 * parts + RoundSlack;
    return static_cast<long>(std::min<long long>(limit, RoundCeiling));
}

void FinderGenerator::SeedWorker(long stage, long k) const
{
    unsigned seed = 0;
    if (FixedSeed(&seed))
        std::srand(MixSeed(seed, runCount, stage, k));
}

void FinderGenerator::FitToBar(Blank& p) const
{
    while (AboveOne(TrimFraction(p))) {
        // Prefer the shortest part whose removal alone makes the pattern fit;
        // failing that, give up one of the longest and look again.
        long fitting = -1;
        long longest = -1;
        for (size_t i = 0; i < p.pieces.size(); ++i) {
            Piece& piece = p.pieces[i];
            if (piece.quantity <= 0)
                continue;
            if (longest < 0 || piece.length > p.pieces[longest].length)
                longest = static_cast<long>(i);
            --piece.quantity;
            const bool fits = !AboveOne(TrimFraction(p));
            ++piece.quantity;
            if (fits && (fitting < 0 || piece.length < p.pieces[fitting].length))
                fitting = static_cast<long>(i);
        }
        const long take = fitting >= 0 ? fitting : longest;
        if (take < 0)
            return;  // nothing left to take: a bar shorter than its own trim
        --p.pieces[take].quantity;
    }
}

double FinderGenerator::Score(Blank& p) const
{
    p.ratio = TrimFraction(p);
    if (AboveOne(p.ratio)) {
        FitToBar(p);
        p.ratio = TrimFraction(p);
    }
    p.badness = fitness->Badness(p);
    p.fitness = fitness->Fitness(p);
    p.UpdateSignature(false);
    return p.badness;
}

namespace {

// Adds one part at the first entry, walking cyclically from a random start,
// that is below its bound and no longer than the free length c.
template <class BoundOf>
void AddOnePart(Blank& p, double& c, const BoundOf& boundOf)
{
    const long size = static_cast<long>(p.pieces.size());
    const long start = RandomBelow(size - 1);
    if (c < -Tolerance)
        return;
    for (long step = 0; step < size; ++step) {
        const long i = (start + step) % size;
        Piece& piece = p.pieces[i];
        if (piece.quantity < boundOf(i) && (piece.length < c || NumEqual(piece.length, c))) {
            ++piece.quantity;
            c -= piece.length;
            return;
        }
    }
}

} // namespace

bool FinderGenerator::Perturb(Blank& p) const
{
    (void)std::rand();
    double c = 0.0;
    p.ratio = TrimFraction(p, &c);
    const double c0 = c;
    const long size = static_cast<long>(p.pieces.size());
    if (size == 0)
        return false;
    const auto boundOf = [this](long i) { return Bound(static_cast<size_t>(i)); };
    // The budget counts part lengths only; the kerf of a new cut shows when the
    // caller works out the ratio again.
    for (int pass = 0; pass < PerturbPasses && !(c < -Tolerance); ++pass) {
        if (pass > 0) {
            const long start = RandomBelow(size - 1);
            for (long step = 0; step < size; ++step) {
                Piece& piece = p.pieces[(start + step) % size];
                if (piece.quantity > 0) {
                    piece.quantity = std::max(piece.quantity - 1, 0L);
                    c += piece.length;
                    break;
                }
            }
        }
        AddOnePart(p, c, boundOf);
    }
    return c != c0;
}

bool FinderGenerator::Repair(Blank& p) const
{
    (void)std::rand();
    double c = 0.0;
    p.ratio = TrimFraction(p, &c);
    const long size = static_cast<long>(p.pieces.size());
    if (size == 0)
        return c != 0.0;
    const auto boundOf = [this](long i) { return Bound(static_cast<size_t>(i)); };
    for (int pass = 0; pass < RepairPasses && c < -Tolerance; ++pass) {
        const long start = RandomBelow(size - 1);
        for (long step = 0; step < size; ++step) {
            Piece& piece = p.pieces[(start + step) % size];
            while (c < -Tolerance && piece.quantity >= 1) {
                --piece.quantity;
                c += piece.length;
            }
        }
        AddOnePart(p, c, boundOf);
    }
    return c != 0.0;
}

double FinderGenerator::SeedPattern(Blank& p, long kind) const
{
    p.fitness = 0.0;
    if (p.pieces.empty())
        return 0.0;
    p.ClearCounts();
    double f = 0.0;
    if (kind >= 0 && kind < static_cast<long>(p.pieces.size())) {
        Piece& piece = p.pieces[kind];
        while (f < 1.0 && !NumEqual(f, 1.0)) {
            if (piece.quantity >= Bound(static_cast<size_t>(kind)))
                break;
            ++piece.quantity;
            f = TrimFraction(p);
        }
    }
    if (AboveOne(f))
        Repair(p);
    return Score(p);
}

double FinderGenerator::Mutate(Blank& p, bool repairFirst) const
{
    if (IsNearZero(p.length) || p.pieces.empty())
        return 0.0;
    const bool full = NumEqual(p.ratio, 1.0);
    if (!repairFirst) {
        if (full)
            return p.fitness;
    } else if (full || p.ratio > 1.0) {
        Repair(p);
        p.ratio = TrimFraction(p);
    }
    // Swaps can go on changing the free length without ever filling the bar,
    // so the rounds are counted.
    const long limit = MutateRoundLimit();
    for (long round = 0; p.ratio < 1.0 && round < limit; ++round) {
        if (!Perturb(p))
            break;
        p.ratio = TrimFraction(p);
    }
    if (p.ratio - 1.0 >= Tolerance)
        Repair(p);
    return Score(p);
}

long FinderGenerator::BuildFixedSet()
{
    const size_t n = bar.pieces.size();
    UniquePool fixedPool(fixedSet);
    Blank p = bar;
    p.ClearCounts();

    for (size_t i = 0; i < n; ++i) {
        if (Stopped())
            return 0;
        // Scored in place and copied only when it joins the set.
        p.pieces[i].quantity = Bound(i);
        Score(p);
        fixedPool.Add(p);
        p.ClearCounts();
    }

    if (diversity != 1) {
        for (size_t i = 0; i < n; ++i) {
            for (long c = 1; c < Bound(i); ++c) {
                if (Stopped())
                    return 0;
                for (size_t j = 0; j < n; ++j) {
                    if (j == i)
                        continue;
                    p.ClearCounts();
                    p.pieces[i].quantity = c;
                    if (CUTTING::AddCount(static_cast<long>(j), p, Bound(j))) {
                        Score(p);
                        if (diversity != 0 || p.ratio >= PairRatio)
                            fixedPool.Add(p);
                    }
                }
            }
        }
    }
    return Stopped() ? 0 : fixedSet.Count();
}

long FinderGenerator::BuildBaseSet()
{
    if (!fixedSet.patterns.empty()) {
        // Keep the patterns the shrinking demand still allows. Patterns are heavy
        // to copy, so the set is rebuilt only when some must go.
        std::vector<char> keep(fixedSet.patterns.size(), 0);
        size_t kept = 0;
        for (size_t i = 0; i < fixedSet.patterns.size(); ++i) {
            if (Stopped())
                break;
            const Blank& pattern = fixedSet.patterns[i];
            // A pattern from another demand list cannot be read against these bounds.
            bool sameKinds = pattern.pieces.size() == bar.pieces.size();
            for (size_t j = 0; sameKinds && j < bar.pieces.size(); ++j)
                sameKinds = pattern.pieces[j].id == bar.pieces[j].id;
            if (sameKinds && CUTTING::FitsCounts(pattern.pieces, bounds)) {
                keep[i] = 1;
                ++kept;
            }
        }
        if (kept < fixedSet.patterns.size()) {
            std::vector<Blank> filtered;
            filtered.reserve(kept);
            for (size_t i = 0; i < fixedSet.patterns.size(); ++i)
                if (keep[i])
                    filtered.push_back(fixedSet.patterns[i]);
            fixedSet.patterns.swap(filtered);
        }
    }
    if (fixedSet.patterns.empty())
        BuildFixedSet();

    // The best few in best-fitness order, by a bounded stable insertion over
    // positions: the order compares with a tolerance, and copying the whole set
    // to sort it would cost more than the search itself.
    const std::vector<Blank>& all = fixedSet.patterns;
    std::vector<size_t> best;
    best.reserve(BaseKept + 1);
    for (size_t i = 0; i < all.size(); ++i) {
        size_t at = best.size();
        while (at > 0 && CUTTING::PatternBefore(CUTTING::OrderBestFitness, all[i], all[best[at - 1]]))
            --at;
        if (at >= static_cast<size_t>(BaseKept))
            continue;
        best.insert(best.begin() + at, i);
        if (best.size() > static_cast<size_t>(BaseKept))
            best.pop_back();
    }
    PatternPool& base = pools[0];
    base.patterns.clear();
    for (size_t i : best)
        base.patterns.push_back(all[i]);
    baseCount = fixedSet.Count();
    return baseCount;
}

void FinderGenerator::MutateBest(long k, double minFit)
{
    const long n = baseCount;
    if (n == 0 || diversity == 1 || k < 1 || k > MaxWorkers)
        return;
    SeedWorker(0, k);
    UniquePool pool(pools[k]);
    const double rmin = n > EliteCount ? EliteRatio : 0.0;
    // The first quarter of the fixed set in the order it was built or filtered.
    const long last = std::min(n / 4, fixedSet.Count());
    for (long g = 0; g < last; ++g) {
        if (Stopped())
            break;
        Blank p = fixedSet.patterns[g];
        for (int twice = 0; twice < 2; ++twice) {
            Mutate(p, false);
            if (diversity != 0) {
                if (CUTTING::CountKinds(p) <= diversity)
                    pool.Add(p);
            } else if (rmin < p.ratio && minFit <= p.fitness) {
                pool.Add(p);
            }
        }
    }
    CUTTING::SortPatterns(CUTTING::OrderBestQuality, pools[k].patterns);
}

void FinderGenerator::SeedAndMutate(long k, double minFit)
{
    const long n = static_cast<long>(bar.pieces.size());
    if (diversity == 1 || n == 0 || k < 1 || k > MaxWorkers)
        return;
    SeedWorker(1, k);
    UniquePool pool(pools[k]);
    const long quota = population / 4;
    const long seeds = population / 3;
    Blank p = bar;
    for (long t = 0; t < seeds; ++t) {
        if (Stopped())
            break;
        const double badness = SeedPattern(p, t % n);
        if (diversity != 0) {
            if (CUTTING::CountKinds(p) <= diversity)
                pool.Add(p);
            continue;
        }
        if (badness <= GoodSeedBadness) {
            pool.Add(p);
        } else {
            for (int i = 0; i < SeedMutations; ++i) {
                Mutate(p, true);
                if (minFit <= p.fitness)
                    pool.Add(p);
            }
        }
        if (pool.Count() >= quota)
            break;
    }
    CUTTING::SortPatterns(CUTTING::OrderBestQuality, pools[k].patterns);
}

bool FinderGenerator::Run(const FitnessFunction* function, const DProps& options, const StopFlag* stopFlag)
{
    if (!function)
        return false;
    traceLevel = DProps::GetLong(options, "trace");
    stop = stopFlag;
    threads = std::min(std::max(DProps::GetLong(options, "threads"), 1L), MaxWorkers);
    diversity = DProps::GetLong(options, "diversity", 0);

    const long kinds = static_cast<long>(bar.pieces.size());
    results.SetLimit(std::max(ResultFloor, 3 * kinds));

    fitness = function;
    for (PatternPool& pool : pools)
        pool.Clear();
    ++runCount;

    baseCount = 0;
    BuildBaseSet();
    if (Stopped())
        return false;
    const double minFit = baseCount > EliteCount ? pools[0].patterns[EliteCount].fitness : 0.0;

    // Each worker index writes its own pool only and reads shared state that
    // nobody writes during the region, so no lock is needed. An exception must
    // not leave a parallel region: a worker that fails keeps what it has.
    const int workers = static_cast<int>(threads);
#pragma omp parallel for schedule(static)
    for (int k = 1; k <= workers; ++k) {
        try {
            MutateBest(k, minFit);
        } catch (const std::exception&) {
        }
    }

    const long long total = PooledCount();
    population = static_cast<long>(std::min<long long>(std::max<long long>(PopulationFloor, total * 3 / 2), LONG_MAX));

#pragma omp parallel for schedule(static)
    for (int k = 1; k <= workers; ++k) {
        try {
            SeedAndMutate(k, minFit);
        } catch (const std::exception&) {
        }
    }

    results.Clear();
    UniquePool selected(results);
    for (const PatternPool& pool : pools) {
        if (Stopped())
            break;
        const long taken = std::min(TakenPerPool, pool.Count());
        for (long i = 0; i < taken; ++i)
            selected.Add(pool.patterns[i]);
    }
    if (Stopped())
        return false;

    if (traceLevel > 1)
        TraceRecordF(trace, "Fixed set: %ld; Extended set: %ld; Population: %ld; Selected: %ld", fixedSet.Count(),
                     PooledCount(), population, results.Count());

    results.SortAndTrim();
    if (Stopped())
        return false;
    CUTTING::SortPatterns(CUTTING::OrderBestFitness, results.patterns);
    return true;
}
