// The orders in which lists of patterns are ranked, and the bounded pool of the best
// patterns that the finders fill and the solver reads.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "engine/Cutting.h"

namespace CUTTING {

enum PatternOrder : long {
    OrderBestFitness = 0,
    OrderLeastUsed = 1,
    OrderBestQuality = 2,
    OrderLongestBar = 3,
    OrderByStock = 4,
};

// Orders 0 and 2 on any record that carries fitness, badness, ratio and a
// signature: the finders rank the patterns they keep as counts with them too.
// Order 0, best fitness: the higher fitness, and among equal non-zero ones the
// shorter signature.
template <class P>
bool BestFitnessBefore(const P& a, const P& b)
{
    if (!NumEqual(a.fitness, b.fitness) || IsNearZero(a.fitness))
        return a.fitness > b.fitness;
    return a.signature.size() < b.signature.size();
}

// Order 2, best quality: fitness, then badness, then (when bad at all) the
// shorter signature, then the ratio closer to 1.
template <class P>
bool BestQualityBefore(const P& a, const P& b)
{
    if (!NumEqual(a.fitness, b.fitness))
        return a.fitness > b.fitness;
    if (!NumEqual(a.badness, b.badness))
        return a.badness < b.badness;
    if (!IsNearZero(a.badness) && a.signature.size() != b.signature.size())
        return a.signature.size() < b.signature.size();
    return std::fabs(a.ratio - 1.0) < std::fabs(b.ratio - 1.0);
}

// Stable top-down merge sort of positions. An element from the right half only
// overtakes one from the left when it is strictly before it, so a comparator that
// is no strict weak order (tolerances are not transitive) still yields a
// permutation of the list, reproducibly, and never reads out of bounds.
template <class Before>
void MergeSortPositions(std::vector<size_t>& pos, std::vector<size_t>& tmp, size_t lo, size_t hi,
                        const Before& before)
{
    if (hi - lo < 2)
        return;
    const size_t mid = lo + (hi - lo) / 2;
    MergeSortPositions(pos, tmp, lo, mid, before);
    MergeSortPositions(pos, tmp, mid, hi, before);
    size_t i = lo, j = mid, k = lo;
    while (i < mid && j < hi)
        tmp[k++] = before(pos[j], pos[i]) ? pos[j++] : pos[i++];
    while (i < mid)
        tmp[k++] = pos[i++];
    while (j < hi)
        tmp[k++] = pos[j++];
    for (k = lo; k < hi; ++k)
        pos[k] = tmp[k];
}

// The positions 0 .. n-1 in the order of before(x, y) on positions.
template <class Before>
std::vector<size_t> SortedPositions(size_t n, const Before& before)
{
    std::vector<size_t> pos(n), tmp(n);
    for (size_t i = 0; i < n; ++i)
        pos[i] = i;
    MergeSortPositions(pos, tmp, 0, n, before);
    return pos;
}

// True when a comes before b in the given order (any unknown order acts as order 1).
// fullOrder only matters for order 4. Several orders compare with a tolerance and are
// therefore no strict weak order: they are only ever used by SortPatterns.
bool PatternBefore(long order, const Blank& a, const Blank& b, bool fullOrder = false);

// Sorts with one of the orders 0..4 (others act as order 1). The sort is a stable
// merge sort, which stays well-defined for the tolerance orders.
void SortPatterns(long order, std::vector<Blank>& list, bool fullOrder = false);

// Order by a numeric property of the pattern's bag (0 when missing).
struct PropertyOrder {
    bool descending = false;
    std::string key;

    PropertyOrder() = default;
    PropertyOrder(bool descending_, const std::string& key_) : descending(descending_), key(key_) {}
    bool operator()(const Blank& a, const Blank& b) const;
};

void SortByProperty(const PropertyOrder& order, std::vector<Blank>& list);
// The same over positions of a list: reorders the positions as SortByProperty
// would reorder the patterns at them.
void SortPositionsByProperty(const PropertyOrder& order, const std::vector<Blank>& list,
                             std::vector<size_t>& positions);

// A bounded, ranked list of patterns.
class PatternPool {
public:
    std::vector<Blank> patterns;  // best first after sorting
    long limit = 0;               // largest number kept, 0 = no limit
    long mode = 0;                // 0 never sorted, 1..5 sorted with order mode - 1

    // Stores the limit, switches to best-fitness order, sorts and trims.
    void SetLimit(long newLimit);
    void SortAndTrim();
    // With unique, a pattern whose signature is already pooled is refused (false).
    bool Add(const Blank& pattern, bool unique, bool sortNow);
    // Appends copies of all of `from` to `to` (no uniqueness test), then sorts and trims `to`.
    static void AddAll(const PatternPool& from, PatternPool& to);
    // The pattern at the position, null when outside the pool.
    const Blank* GetAt(long position) const;
    Blank* GetAt(long position);
    // True when a pattern with exactly this signature is pooled.
    bool HasSignature(const std::string& signature) const;
    long Count() const { return static_cast<long>(patterns.size()); }
    void Clear() { patterns.clear(); }
};

// Limit the finders give their pools: 20, or 3 x the number of kinds beyond 6 kinds.
long PoolLimitForKinds(long kinds);

}  // namespace CUTTING
