#include "engine/Finder.h"

#include "engine/Pattern.h"
#include "foundation/StrUtil.h"

#include <climits>

using CUTTING::Blank;
using CUTTING::Piece;

namespace {

constexpr long PoolLimit = 20;

uint64_t SaturatingProduct(uint64_t a, uint64_t b)
{
    if (a != 0 && b > UINT64_MAX / a)
        return UINT64_MAX;
    return a * b;
}

} // namespace

Finder::~Finder() = default;

bool Finder::Init(const Blank&, const std::vector<long>&, uint64_t)
{
    return false;
}

bool Finder::Run(const FitnessFunction*, const DProps&, const StopFlag*)
{
    return false;
}

void Finder::Reset(const Blank& newBar, const std::vector<long>& newBounds, uint64_t newCombinations)
{
    bar = newBar;
    combinations = newCombinations;
    bounds = newBounds;
    results.Clear();
    results.SetLimit(PoolLimit);
    fitness = nullptr;
}

void Finder::TraceResults(const char* title)
{
    TraceWrite(trace, title, -1);
    long position = 0;
    for (const Blank& pattern : results.patterns)
        TraceRecordF(trace, "#%02ld %s fitness %f ratio %f badness %f", ++position,
                     pattern.signature.c_str(), pattern.fitness, pattern.ratio, pattern.badness);
}

bool FinderEnumerator::Init(const Blank& newBar, const std::vector<long>& newBounds, uint64_t newCombinations)
{
    Reset(newBar, newBounds, newCombinations);
    return true;
}

bool FinderEnumerator::Run(const FitnessFunction* function, const DProps& options, const StopFlag* stopFlag)
{
    if (!function)
        return false;
    const long diversity = DProps::GetLong(options, "diversity", 0);
    traceLevel = DProps::GetLong(options, "trace");
    // Never polled: the solver hands this finder only small search spaces.
    stop = stopFlag;

    // Kinds beyond either list have no entry to count or no bound to count to;
    // a negative bound allows none of its kind.
    const size_t kinds = bounds.size() < bar.pieces.size() ? bounds.size() : bar.pieces.size();
    std::vector<long> limits(kinds);
    bool anyPart = false;
    for (size_t i = 0; i < kinds; ++i) {
        limits[i] = bounds[i] > 0 ? bounds[i] : 0;
        anyPart = anyPart || limits[i] > 0;
    }

    Blank trial = bar;
    trial.pieces.clear();
    for (size_t i = 0; i < kinds; ++i) {
        bar.pieces[i].quantity = limits[i];
        trial.pieces.push_back(bar.pieces[i]);
    }
    trial.ratio = CUTTING::UsedFraction(trial.pieces, trial, nullptr, true);

    if (diversity == 0 && trial.ratio <= 1.0 && anyPart) {
        // Every kind fits at its bound in one bar: nothing can beat taking all.
        trial.badness = function->Badness(trial);
        trial.fitness = function->Fitness(trial);
        trial.UpdateSignature(false);
        results.Add(trial, true, true);
    } else {
        // Mixed-radix digits: kind i counts in units of multipliers[i]. The
        // multipliers saturate rather than wrap, and every radix is at least 1.
        std::vector<uint64_t> multipliers(kinds);
        uint64_t space = 1;
        for (size_t i = 0; i < kinds; ++i) {
            multipliers[i] = space;
            space = SaturatingProduct(space, static_cast<uint64_t>(limits[i]) + 1);
        }
        // Indices past the space would push the last digit beyond its bound.
        const uint64_t end = combinations < space ? combinations : space;
        std::vector<long> digits(kinds);
        for (uint64_t index = 0; index < end; ++index) {
            uint64_t rest = index;
            long total = 0;
            for (size_t i = kinds; i-- > 0;) {
                const uint64_t digit = rest / multipliers[i];
                rest -= digit * multipliers[i];
                digits[i] = static_cast<long>(digit);
                total += digits[i];
            }
            if (total == 0)
                continue;

            trial.pieces.clear();
            for (size_t i = 0; i < kinds; ++i) {
                bar.pieces[i].quantity = digits[i];
                trial.pieces.push_back(bar.pieces[i]);
            }
            trial.fitness = 0.0;
            if (diversity != 0 && CUTTING::CountKinds(trial) > diversity)
                continue;

            double remainder = 0.0;
            trial.ratio = CUTTING::UsedFraction(trial.pieces, trial, &remainder, true);
            // The remainder leaves the trim out: a pattern that fits only
            // without it stays a candidate, and its ratio above 1 scores 0.
            if (remainder < 0.0)
                continue;
            trial.badness = function->Badness(trial);
            trial.fitness = function->Fitness(trial);
            if (diversity != 0 && IsNearZero(trial.fitness, Tolerance))
                continue;
            trial.UpdateSignature(false);
            results.Add(trial, true, true);
        }
    }

    if (traceLevel >= 1) {
        const long shown = combinations > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(combinations);
        const std::string title = StrFormatStatic("Selected with FinderEnumerator from %ld combinations", shown);
        TraceResults(title.c_str());
    }
    return true;
}
