// Geometry of one bar: how much of it a pattern uses, how many parts fit, how many
// patterns it admits. Every statistic, fitness value and finder rests on this cutting
// rule: one kerf between neighbouring parts, one more after the last part unless the
// parts fill the bar exactly, and the edge trim kept free once at the end of the bar.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/Cutting.h"

namespace CUTTING {

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
