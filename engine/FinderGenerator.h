// The pattern finder for bars that admit too many combinations to enumerate: it
// proposes patterns built from one or two part kinds, mutations of those, and
// random seeds, the random work shared among parallel worker pools.
#pragma once

#include "engine/Cutting.h"
#include "engine/Finder.h"
#include "engine/Fitness.h"
#include "engine/PatternCounts.h"
#include "engine/PatternPool.h"
#include "foundation/DProps.h"

#include <cstdint>
#include <vector>

class FinderGenerator : public Finder {
public:
    // Pool 0 is the base population; pools 1 .. MaxWorkers belong to the workers.
    static constexpr long MaxWorkers = 8;
    static constexpr long PoolCount = MaxWorkers + 1;

    // Random seeds a worker of the second stage may draw, set by Run.
    long population = 0;
    // Patterns of one or two kinds, counted against the kinds it was built for.
    // It survives from one Run to the next, kept while the shrinking demand
    // still allows its patterns, rebuilt once none is.
    std::vector<CUTTING::KeptPattern> fixedSet;
    // Worker k writes pools[k] only; no pool has a limit. Pool 0 holds the best
    // of the base population (the fixed set) in best-fitness order: as many as
    // the proposals and the fitness bar for mutants read.
    std::vector<CUTTING::KeptPattern> pools[PoolCount];
    // Size of the base population, which pool 0 holds the best of.
    long baseCount = 0;
    // Number of worker pools, 1 .. MaxWorkers (the option "threads").
    long threads = 1;
    // Most part kinds in one pattern (the option "diversity"); 0: no limit.
    long diversity = 0;

    bool Init(const CUTTING::Blank& bar, const std::vector<long>& bounds, uint64_t combinations) override;
    // Fills `results` with at most max(20, 3 x part kinds) proposals, best
    // fitness first. False for a null fitness function or when a stop was seen.
    bool Run(const FitnessFunction* fitness, const DProps& options, const StopFlag* stop) override;

    // Random numbers come from each thread's own rand(), never seeded by the
    // finder, so results differ from run to run. Tests and the benchmark may fix
    // a seed instead: then every worker seeds its thread's generator from the
    // seed, its worker index and the finder's run count before it starts, and a
    // finder fed the same calls gives the same proposals whatever the number of
    // system threads. The solver may read the hook to seed its own thread.
    static void SetFixedSeed(bool fixed, unsigned seed = 0);
    // True when a fixed seed is set; the seed goes to *seed when given.
    static bool FixedSeed(unsigned* seed = nullptr);

    // The steps of Run, open for tests. They read the template bar, the bounds,
    // the fixed set, pool 0 and the stored fitness function. BuildBaseSet also
    // ranks pool 0 and returns the size of the base population.
    long BuildBaseSet();
    long BuildFixedSet();
    void MutateBest(long k, double minFit);
    void SeedAndMutate(long k, double minFit);

    // Pattern changes on a copy of the template (pieces parallel to the
    // bounds). Each keeps every count within its bound, and the scoring ones
    // (SeedPattern, Mutate) leave the pattern within its bar, trim included.
    // The finder works on counted patterns; these forms on a Blank serve tests
    // and callers that hold one, after Init and with `fitness` set.
    double SeedPattern(CUTTING::Blank& p, long kind) const;
    double Mutate(CUTTING::Blank& p, bool repairFirst) const;
    bool Perturb(CUTTING::Blank& p) const;
    bool Repair(CUTTING::Blank& p) const;

    double SeedPattern(CUTTING::PatternCounts& p, long kind) const;
    double Mutate(CUTTING::PatternCounts& p, bool repairFirst) const;
    bool Perturb(CUTTING::PatternCounts& p) const;
    bool Repair(CUTTING::PatternCounts& p) const;

    // Most Perturb rounds of one Mutate, for the pattern's bounds.
    long MutateRoundLimit() const;

    // A pool, or the fixed set, as Blanks made from the template bar.
    std::vector<CUTTING::Blank> Patterns(const std::vector<CUTTING::KeptPattern>& pool) const;

    // The base population and the worker pools together.
    long PooledCount() const;

private:
    bool Stopped() const;
    // Sets ratio, badness, fitness and the signature; returns the badness.
    double Score(CUTTING::PatternCounts& p) const;
    // Takes parts away until the pattern fits its bar with the trim.
    void FitToBar(CUTTING::PatternCounts& p) const;
    // Adds one part at the first kind, walking cyclically from a random
    // start, that is below its bound and no longer than the free length c.
    void AddOnePart(CUTTING::PatternCounts& p, double& c) const;
    // The same walk, from start, over kinds in no particular order of length.
    void AddOnePartAnyOrder(CUTTING::PatternCounts& p, double& c, size_t start) const;
    // Seeds the calling thread's generator for worker k of a stage when a fixed
    // seed is set.
    void SeedWorker(long stage, long k) const;
    // Runs a counted form on a Blank parallel to the template.
    template <class Op>
    auto OnBlank(CUTTING::Blank& b, const Op& op) const;
    // Makes the kind table and the scorer follow the template, the bounds and
    // the fitness function.
    void Prepare() const;

    // Runs so far, mixed into a fixed seed so that steps do not repeat.
    unsigned long runCount = 0;
    // The template's kinds as the counted patterns see them, and the kind ids
    // the fixed set was built against.
    mutable CUTTING::KindTable m_kinds;
    std::vector<long> m_fixedIds;
    mutable CUTTING::CountsScorer m_scorer;
    mutable const FitnessFunction* m_scorerFor = nullptr;
};
