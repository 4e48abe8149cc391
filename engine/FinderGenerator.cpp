#include "engine/FinderGenerator.h"

#include "engine/LateRelease.h"
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
using CUTTING::KeptPattern;
using CUTTING::PatternCounts;
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
    explicit UniquePool(std::vector<KeptPattern>& pool) : m_pool(pool)
    {
        for (const KeptPattern& p : pool)
            m_seen.insert(p.signature);
    }
    // A pattern without any part is never a proposal: the solver reads an empty
    // first proposal as the end of its search.
    bool Add(const PatternCounts& p)
    {
        if (p.Total() <= 0 || !m_seen.insert(p.signature).second)
            return false;
        m_pool.push_back(p.Keep());
        return true;
    }
    long Count() const { return static_cast<long>(m_pool.size()); }
    // The signatures seen, handed over (the pool forgets them).
    std::unordered_set<std::string> TakeSeen() { return std::move(m_seen); }

private:
    std::vector<KeptPattern>& m_pool;
    std::unordered_set<std::string> m_seen;
};

// Reorders the list by positions sorted with before(a, b) on its records.
template <class Before>
void SortKept(std::vector<KeptPattern>& list, const Before& before)
{
    const std::vector<size_t> pos =
        CUTTING::SortedPositions(list.size(), [&](size_t x, size_t y) { return before(list[x], list[y]); });
    std::vector<KeptPattern> sorted;
    sorted.reserve(list.size());
    for (size_t i : pos)
        sorted.push_back(std::move(list[i]));
    list.swap(sorted);
}

void SortByQuality(std::vector<KeptPattern>& list)
{
    SortKept(list, [](const KeptPattern& a, const KeptPattern& b) { return CUTTING::BestQualityBefore(a, b); });
}

void SortByFitness(std::vector<const KeptPattern*>& list)
{
    const std::vector<size_t> pos = CUTTING::SortedPositions(
        list.size(), [&](size_t x, size_t y) { return CUTTING::BestFitnessBefore(*list[x], *list[y]); });
    std::vector<const KeptPattern*> sorted;
    sorted.reserve(list.size());
    for (size_t i : pos)
        sorted.push_back(list[i]);
    list.swap(sorted);
}

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
    m_kinds.Build(bar, bounds);
    m_scorerFor = nullptr;
    return true;
}

void FinderGenerator::Prepare() const
{
    if (m_kinds.Size() != bar.pieces.size())
        m_kinds.Build(bar, bounds);
    if (m_scorerFor != fitness || fitness == nullptr) {
        m_scorer = CUTTING::CountsScorer(fitness, &bar);
        m_scorerFor = fitness;
    }
}

long FinderGenerator::PooledCount() const
{
    long total = baseCount;
    for (long k = 1; k < PoolCount; ++k)
        total += static_cast<long>(pools[k].size());
    return total;
}

std::vector<Blank> FinderGenerator::Patterns(const std::vector<KeptPattern>& pool) const
{
    std::vector<Blank> list;
    list.reserve(pool.size());
    for (const KeptPattern& p : pool)
        list.push_back(CUTTING::ToBlank(p, bar));
    return list;
}

bool FinderGenerator::Stopped() const
{
    return stop && stop->load(std::memory_order_relaxed) != 0;
}

long FinderGenerator::MutateRoundLimit() const
{
    const long long limit = 2 * m_kinds.boundSum + RoundSlack;
    return static_cast<long>(std::min<long long>(limit, RoundCeiling));
}

void FinderGenerator::SeedWorker(long stage, long k) const
{
    unsigned seed = 0;
    if (FixedSeed(&seed))
        std::srand(MixSeed(seed, runCount, stage, k));
}

void FinderGenerator::FitToBar(PatternCounts& p) const
{
    const std::vector<double>& length = m_kinds.length;
    std::vector<size_t> held;
    while (AboveOne(p.Fraction(nullptr))) {
        // Prefer the shortest part whose removal alone makes the pattern fit;
        // failing that, give up one of the longest and look again.
        held.clear();
        p.Held().ForEach([&](size_t i) {
            if (p.Count(i) > 0)
                held.push_back(i);
        });
        long fitting = -1;
        long longest = -1;
        for (size_t i : held) {
            if (longest < 0 || length[i] > length[longest])
                longest = static_cast<long>(i);
            p.SetCount(i, p.Count(i) - 1);
            const bool fits = !AboveOne(p.Fraction(nullptr));
            p.SetCount(i, p.Count(i) + 1);
            if (fits && (fitting < 0 || length[i] < length[fitting]))
                fitting = static_cast<long>(i);
        }
        const long take = fitting >= 0 ? fitting : longest;
        if (take < 0)
            return;  // nothing left to take: a bar shorter than its own trim
        p.SetCount(static_cast<size_t>(take), p.Count(static_cast<size_t>(take)) - 1);
    }
}

double FinderGenerator::Score(PatternCounts& p) const
{
    p.ratio = p.Fraction(nullptr);
    if (AboveOne(p.ratio)) {
        FitToBar(p);
        p.ratio = p.Fraction(nullptr);
    }
    m_scorer.Score(p);
    p.Sign();
    return p.badness;
}

void FinderGenerator::AddOnePart(PatternCounts& p, double& c) const
{
    const size_t size = p.Size();
    const size_t start = static_cast<size_t>(RandomBelow(static_cast<long>(size) - 1));
    if (c < -Tolerance)
        return;
    if (!m_kinds.ascending) {
        AddOnePartAnyOrder(p, c, start);
        return;
    }
    // Along a list of rising lengths the first open kind of the walk is the
    // one to take, when it is short enough; if it is not, no kind up to the
    // end of the list is, and the walk goes on from the front.
    const double* length = m_kinds.length.data();
    size_t i = p.Open().Next(start, size);
    if (i >= size || !(length[i] < c || CUTTING::NumEqualInline(length[i], c))) {
        i = p.Open().Next(0, start);
        if (i >= start || !(length[i] < c || CUTTING::NumEqualInline(length[i], c)))
            return;
    }
    p.SetCount(i, p.Count(i) + 1);
    c -= length[i];
}

void FinderGenerator::AddOnePartAnyOrder(PatternCounts& p, double& c, size_t start) const
{
    const size_t size = p.Size();
    for (size_t step = 0; step < size; ++step) {
        const size_t i = (start + step) % size;
        const double length = m_kinds.length[i];
        if (p.Open().Test(i) && (length < c || NumEqual(length, c))) {
            p.SetCount(i, p.Count(i) + 1);
            c -= length;
            return;
        }
    }
}

bool FinderGenerator::Perturb(PatternCounts& p) const
{
    (void)std::rand();
    double c = 0.0;
    p.ratio = p.Fraction(&c);
    const double c0 = c;
    const size_t size = p.Size();
    if (size == 0)
        return false;
    // The budget counts part lengths only; the kerf of a new cut shows when the
    // caller works out the ratio again.
    for (int pass = 0; pass < PerturbPasses && !(c < -Tolerance); ++pass) {
        if (pass > 0) {
            // The first kind holding a part, walking cyclically from a random start.
            const size_t start = static_cast<size_t>(RandomBelow(static_cast<long>(size) - 1));
            size_t i = p.Held().Next(start, size);
            while (i < size && p.Count(i) <= 0)
                i = p.Held().Next(i + 1, size);
            if (i >= size) {
                i = p.Held().Next(0, start);
                while (i < start && p.Count(i) <= 0)
                    i = p.Held().Next(i + 1, start);
                if (i >= start)
                    i = size;
            }
            if (i < size) {
                p.SetCount(i, std::max(p.Count(i) - 1, 0L));
                c += m_kinds.length[i];
            }
        }
        AddOnePart(p, c);
    }
    return c != c0;
}

bool FinderGenerator::Repair(PatternCounts& p) const
{
    (void)std::rand();
    double c = 0.0;
    p.ratio = p.Fraction(&c);
    const size_t size = p.Size();
    if (size == 0)
        return c != 0.0;
    const auto takeFrom = [&](size_t i) {
        while (c < -Tolerance && p.Count(i) >= 1) {
            p.SetCount(i, p.Count(i) - 1);
            c += m_kinds.length[i];
        }
    };
    for (int pass = 0; pass < RepairPasses && c < -Tolerance; ++pass) {
        // Parts are taken from the kinds held, walking cyclically from a random
        // start, until the pattern fits; kinds without parts give nothing.
        const size_t start = static_cast<size_t>(RandomBelow(static_cast<long>(size) - 1));
        for (size_t i = p.Held().Next(start, size); i < size && c < -Tolerance; i = p.Held().Next(i + 1, size))
            takeFrom(i);
        for (size_t i = p.Held().Next(0, start); i < start && c < -Tolerance; i = p.Held().Next(i + 1, start))
            takeFrom(i);
        AddOnePart(p, c);
    }
    return c != 0.0;
}

double FinderGenerator::SeedPattern(PatternCounts& p, long kind) const
{
    p.fitness = 0.0;
    if (p.Size() == 0)
        return 0.0;
    p.Clear();
    double f = 0.0;
    if (kind >= 0 && kind < static_cast<long>(p.Size())) {
        const size_t k = static_cast<size_t>(kind);
        while (f < 1.0 && !NumEqual(f, 1.0)) {
            if (p.Count(k) >= m_kinds.bound[k])
                break;
            p.SetCount(k, p.Count(k) + 1);
            f = p.Fraction(nullptr);
        }
    }
    if (AboveOne(f))
        Repair(p);
    return Score(p);
}

double FinderGenerator::Mutate(PatternCounts& p, bool repairFirst) const
{
    if (IsNearZero(m_kinds.barLength) || p.Size() == 0)
        return 0.0;
    const bool full = NumEqual(p.ratio, 1.0);
    if (!repairFirst) {
        if (full)
            return p.fitness;
    } else if (full || p.ratio > 1.0) {
        Repair(p);
        p.ratio = p.Fraction(nullptr);
    }
    // Swaps can go on changing the free length without ever filling the bar,
    // so the rounds are counted.
    const long limit = MutateRoundLimit();
    for (long round = 0; p.ratio < 1.0 && round < limit; ++round) {
        if (!Perturb(p))
            break;
        p.ratio = p.Fraction(nullptr);
    }
    if (p.ratio - 1.0 >= Tolerance)
        Repair(p);
    return Score(p);
}

template <class Op>
auto FinderGenerator::OnBlank(Blank& b, const Op& op) const
{
    Prepare();
    PatternCounts p;
    p.Reset(m_kinds);
    const size_t n = std::min(p.Size(), b.pieces.size());
    for (size_t i = 0; i < n; ++i)
        p.SetCount(i, b.pieces[i].quantity);
    p.ratio = b.ratio;
    p.badness = b.badness;
    p.fitness = b.fitness;
    p.signature = b.signature;
    const auto result = op(p);
    for (size_t i = 0; i < n; ++i)
        b.pieces[i].quantity = p.Count(i);
    b.ratio = p.ratio;
    b.badness = p.badness;
    b.fitness = p.fitness;
    b.signature = p.signature;
    return result;
}

double FinderGenerator::SeedPattern(Blank& p, long kind) const
{
    if (p.pieces.empty()) {
        p.fitness = 0.0;
        return 0.0;
    }
    return OnBlank(p, [&](PatternCounts& counts) { return SeedPattern(counts, kind); });
}

double FinderGenerator::Mutate(Blank& p, bool repairFirst) const
{
    if (IsNearZero(p.length) || p.pieces.empty())
        return 0.0;
    return OnBlank(p, [&](PatternCounts& counts) { return Mutate(counts, repairFirst); });
}

bool FinderGenerator::Perturb(Blank& p) const
{
    return OnBlank(p, [&](PatternCounts& counts) { return Perturb(counts); });
}

bool FinderGenerator::Repair(Blank& p) const
{
    return OnBlank(p, [&](PatternCounts& counts) { return Repair(counts); });
}

long FinderGenerator::BuildFixedSet()
{
    Prepare();
    const size_t n = m_kinds.Size();
    m_fixedIds = m_kinds.id;
    UniquePool fixedPool(fixedSet);
    PatternCounts p;
    p.Reset(m_kinds);

    // Stopped, the set of signatures is freed apart: it is as large as the
    // fixed set.
    const auto stopped = [&] {
        if (!Stopped())
            return false;
        CUTTING::ReleaseLater(fixedPool.TakeSeen());
        return true;
    };
    for (size_t i = 0; i < n; ++i) {
        if (stopped())
            return 0;
        p.SetCount(i, m_kinds.bound[i]);
        Score(p);
        fixedPool.Add(p);
        p.Clear();
    }

    if (diversity != 1) {
        for (size_t i = 0; i < n; ++i) {
            for (long c = 1; c < m_kinds.bound[i]; ++c) {
                if (stopped())
                    return 0;
                for (size_t j = 0; j < n; ++j) {
                    if (j == i)
                        continue;
                    p.Clear();
                    p.SetCount(i, c);
                    // Parts of kind j, one at a time while the bar (trim included)
                    // holds them, as AddCount does on a Blank.
                    if (p.Fraction(nullptr) > 1.0)
                        continue;
                    for (long added = 0; added < m_kinds.bound[j]; ++added) {
                        p.SetCount(j, std::max(p.Count(j) + 1, 0L));
                        if (p.Fraction(nullptr) > 1.0) {
                            p.SetCount(j, std::max(p.Count(j) - 1, 0L));
                            break;
                        }
                    }
                    Score(p);
                    if (diversity != 0 || p.ratio >= PairRatio)
                        fixedPool.Add(p);
                }
            }
        }
    }
    return stopped() ? 0 : static_cast<long>(fixedSet.size());
}

long FinderGenerator::BuildBaseSet()
{
    Prepare();
    if (!fixedSet.empty()) {
        // Keep the patterns the shrinking demand still allows; a set built for
        // another demand list cannot be read against these bounds at all.
        const bool sameKinds = m_fixedIds == m_kinds.id;
        size_t kept = 0;
        for (size_t i = 0; i < fixedSet.size(); ++i) {
            if (Stopped())
                break;
            if (sameKinds && fixedSet[i].Within(m_kinds.bound)) {
                if (kept != i)
                    fixedSet[kept] = std::move(fixedSet[i]);
                ++kept;
            }
        }
        fixedSet.resize(kept);
    }
    if (fixedSet.empty())
        BuildFixedSet();
    if (Stopped())
        return 0;

    // The best few in best-fitness order, by a bounded stable insertion over
    // positions: the order compares with a tolerance, and sorting the whole
    // set would cost more than the search itself.
    const std::vector<KeptPattern>& all = fixedSet;
    std::vector<size_t> best;
    best.reserve(BaseKept + 1);
    for (size_t i = 0; i < all.size(); ++i) {
        size_t at = best.size();
        while (at > 0 && CUTTING::BestFitnessBefore(all[i], all[best[at - 1]]))
            --at;
        if (at >= static_cast<size_t>(BaseKept))
            continue;
        best.insert(best.begin() + at, i);
        if (best.size() > static_cast<size_t>(BaseKept))
            best.pop_back();
    }
    std::vector<KeptPattern>& base = pools[0];
    base.clear();
    for (size_t i : best)
        base.push_back(all[i]);
    baseCount = static_cast<long>(fixedSet.size());
    return baseCount;
}

void FinderGenerator::MutateBest(long k, double minFit)
{
    const long n = baseCount;
    if (n == 0 || diversity == 1 || k < 1 || k > MaxWorkers)
        return;
    Prepare();
    SeedWorker(0, k);
    UniquePool pool(pools[k]);
    const double rmin = n > EliteCount ? EliteRatio : 0.0;
    PatternCounts p;
    p.Reset(m_kinds);
    // The first quarter of the fixed set in the order it was built or filtered.
    const long last = std::min(n / 4, static_cast<long>(fixedSet.size()));
    for (long g = 0; g < last; ++g) {
        if (Stopped())
            break;
        p.Load(fixedSet[static_cast<size_t>(g)]);
        for (int twice = 0; twice < 2; ++twice) {
            Mutate(p, false);
            if (diversity != 0) {
                if (p.KindCount() <= diversity)
                    pool.Add(p);
            } else if (rmin < p.ratio && minFit <= p.fitness) {
                pool.Add(p);
            }
        }
    }
    SortByQuality(pools[k]);
}

void FinderGenerator::SeedAndMutate(long k, double minFit)
{
    const long n = static_cast<long>(bar.pieces.size());
    if (diversity == 1 || n == 0 || k < 1 || k > MaxWorkers)
        return;
    Prepare();
    SeedWorker(1, k);
    UniquePool pool(pools[k]);
    const long quota = population / 4;
    const long seeds = population / 3;
    PatternCounts p;
    p.Reset(m_kinds);
    for (long t = 0; t < seeds; ++t) {
        if (Stopped())
            break;
        const double badness = SeedPattern(p, t % n);
        if (diversity != 0) {
            if (p.KindCount() <= diversity)
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
    SortByQuality(pools[k]);
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
    Prepare();
    for (std::vector<KeptPattern>& pool : pools)
        pool.clear();
    ++runCount;

    baseCount = 0;
    BuildBaseSet();
    if (Stopped())
        return false;
    const double minFit = baseCount > EliteCount ? pools[0][EliteCount].fitness : 0.0;

    // Each worker index writes its own pool only and reads shared state that
    // nobody writes during the region, so no lock is needed. An exception must
    // not leave a parallel region: a worker that fails keeps what it has.
    const int workers = static_cast<int>(threads);
    // The runtime's threads beyond the worker count would get no index from the
    // static schedule and only spin at the barrier; the others get the indices
    // they would get anyway.
    const int team = std::max(1, std::min(workers, omp_get_max_threads()));
#pragma omp parallel for schedule(static) num_threads(team)
    for (int k = 1; k <= workers; ++k) {
        try {
            MutateBest(k, minFit);
        } catch (const std::exception&) {
        }
    }

    const long long total = PooledCount();
    population = static_cast<long>(std::min<long long>(std::max<long long>(PopulationFloor, total * 3 / 2), LONG_MAX));

#pragma omp parallel for schedule(static) num_threads(team)
    for (int k = 1; k <= workers; ++k) {
        try {
            SeedAndMutate(k, minFit);
        } catch (const std::exception&) {
        }
    }

    // The best of each pool, each signature once and no empty pattern, ranked
    // and trimmed to the limit; only those become Blanks.
    results.Clear();
    std::vector<const KeptPattern*> selected;
    std::unordered_set<std::string> seen;
    for (const std::vector<KeptPattern>& pool : pools) {
        if (Stopped())
            break;
        const size_t taken = std::min(static_cast<size_t>(TakenPerPool), pool.size());
        for (size_t i = 0; i < taken; ++i)
            if (pool[i].Total() > 0 && seen.insert(pool[i].signature).second)
                selected.push_back(&pool[i]);
    }
    if (Stopped())
        return false;

    if (traceLevel > 1)
        TraceRecordF(trace, "Fixed set: %ld; Extended set: %ld; Population: %ld; Selected: %ld",
                     static_cast<long>(fixedSet.size()), PooledCount(), population,
                     static_cast<long>(selected.size()));

    SortByFitness(selected);
    if (results.limit > 0 && static_cast<long>(selected.size()) > results.limit)
        selected.resize(static_cast<size_t>(results.limit));
    if (Stopped())
        return false;
    SortByFitness(selected);
    for (const KeptPattern* p : selected)
        results.patterns.push_back(CUTTING::ToBlank(*p, bar));
    return true;
}
