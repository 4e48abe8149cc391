// Pattern finders: given one stock length and the open demand, propose a small
// ranked list of cutting patterns for one bar. Neither finder cuts anything or
// changes the demand; the solver applies the pattern it chooses.
#pragma once

#include "engine/Cutting.h"
#include "engine/Fitness.h"
#include "engine/PatternPool.h"
#include "engine/Trace.h"
#include "foundation/DProps.h"

#include <atomic>
#include <cstdint>
#include <vector>

// The caller's stop request: one byte, set by another thread.
using StopFlag = std::atomic<char>;

// The common data of the finders and the two operations the solver calls:
// Init, Run, then read `results` before the next Init.
class Finder {
public:
    // Size of the search space: the product over the part kinds of (bound + 1),
    // the empty pattern included.
    uint64_t combinations = 0;
    // The stock length, its `pieces` holding the open demand in demand order; the
    // finder overwrites the counts of these entries while it works.
    CUTTING::Blank bar;
    // The proposals, best first.
    CUTTING::PatternPool results;
    // Per part kind, parallel to the template's pieces: the most of that kind
    // one bar can take and the demand still needs.
    std::vector<long> bounds;
    // Set by the generating finder for its workers; not owned.
    const FitnessFunction* fitness = nullptr;
    long traceLevel = 0;
    TraceRecord trace;
    // The caller's stop request, not owned.
    const StopFlag* stop = nullptr;

    Finder() = default;
    virtual ~Finder();

    // Takes the bar, the bounds and the combination count, and empties the
    // proposals (limit 20, best fitness first). The base class does nothing.
    virtual bool Init(const CUTTING::Blank& bar, const std::vector<long>& bounds, uint64_t combinations);
    // Fills the proposals; false for a null fitness function. The base class
    // does nothing.
    virtual bool Run(const FitnessFunction* fitness, const DProps& options, const StopFlag* stop);

protected:
    // The Init steps both finders share.
    void Reset(const CUTTING::Blank& bar, const std::vector<long>& bounds, uint64_t combinations);
    // Writes the proposals under a title line to the finder's trace record.
    void TraceResults(const char* title);
};

// Tries every combination of part counts up to the bounds; meant for search
// spaces of at most 1000 combinations.
class FinderEnumerator : public Finder {
public:
    bool Init(const CUTTING::Blank& bar, const std::vector<long>& bounds, uint64_t combinations) override;
    bool Run(const FitnessFunction* fitness, const DProps& options, const StopFlag* stop) override;
};
