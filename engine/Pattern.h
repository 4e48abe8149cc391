// Geometry of one bar: how much of it a pattern uses, how many parts fit, how many
// patterns it admits. Every statistic, fitness value and finder rests on this cutting
// rule: one kerf between neighbouring parts, one more after the last part unless the
// parts fill the bar exactly, and the edge trim kept free once at the end of the bar.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/Cutting.h"

namespace CUTTING {

// IsNearZero and NumEqual for the innermost loops, where a call per part kind
// costs more than the test itself: the very same comparisons.
inline bool NearZeroInline(double x)
{
    return std::fabs(x) < Tolerance;
}

inline bool NumEqualInline(double a, double b)
{
    return std::fabs(a - b) < Tolerance;
}

// The cutting rule over a pattern's entries, handed out in pattern order as
// (count, length) by forEach. Every form of a pattern shares it, so that the
// sums are made in one order and come out the same to the last bit.
template <class ForEach>
double UsedFractionOf(const ForEach& forEach, double L, double K, double I, double* remainder, bool withTrim)
{
    double used = 0.0;
    double lastLength = 0.0;
    forEach([&](long q, double length) {
        if (q == 0)
            return;
        if (!NearZeroInline(used))
            used += K;  // the cut that separates this group from the previous one
        used += q * length + (q - 1) * K;
        lastLength = length;
    });

    const double left = L - used;
    if (IsNearZero(left)) {
        // An exact fill needs neither the final cut nor the trim.
        if (remainder)
            *remainder = 0.0;
        return 1.0;
    }
    double r = left;
    if (!IsNearZero(lastLength)) {
        used += K;
        r = left - K;
    }
    if (remainder)
        *remainder = r;
    return withTrim ? SafeDivide(used, L - I) : SafeDivide(used, L);
}

// Length changes along the entries (counted ones only), as LengthChanges.
template <class ForEach>
long LengthChangesOf(const ForEach& forEach, double L)
{
    if (IsNearZero(L))
        return 0;
    long changes = 0;
    double previous = 0.0;
    forEach([&](long q, double length) {
        if (q == 0)
            return;
        if (!NumEqualInline(length, previous))
            ++changes;
        previous = length;
    });
    return changes;
}

// Hands out a list of pieces as (count, length) in list order.
struct EachPiece {
    const std::vector<Piece>& pieces;
    template <class F>
    void operator()(const F& f) const
    {
        for (const Piece& p : pieces)
            f(p.quantity, p.length);
    }
};

// Used fraction of the blank's bar for the pattern `pieces` (count per bar in each
// quantity). The remainder (negative when the parts do not fit) goes to *remainder
// when given. With trim the fraction is taken of length - indent. Above 1 means the
// pattern does not fit; exactly 1.0 is a perfect fill.
double UsedFraction(const std::vector<Piece>& pieces, const Blank& blank, double* remainder, bool withTrim);

// The largest number of parts of the piece's length one bar of the blank holds.
long FitCount(const Blank& blank, const Piece& piece);

// Digit bounds of the mixed-radix enumeration of the bar's patterns (one per demand
// kind, into `counts`) and the number of count vectors, the empty one included.
// The product saturates at the largest 64-bit value rather than wrapping.
uint64_t CombinationBounds(std::vector<long>& counts, const Blank& blank, const std::vector<Piece>& demand);

// Number of times the part length changes along the pattern (counted parts only).
long LengthChanges(const Blank& blank, const std::vector<Piece>& pieces);

// Adds up to n parts of the kind at `position`, one at a time, while the bar (trim
// included) still holds them.
bool AddCount(long position, Blank& blank, long n);

// Number of kinds with a non-zero count in the pattern.
long CountKinds(const Blank& blank);

// True when no pieces[i].quantity exceeds counts[i].
bool FitsCounts(const std::vector<Piece>& pieces, const std::vector<long>& counts);

// Sum of the quantities of the pieces at least x long; x = -1 gives the total.
long SumQuantitiesAtLeast(double x, const std::vector<Piece>& pieces);

}  // namespace CUTTING
