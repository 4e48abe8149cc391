// Weights of the demand and of candidate patterns, written into their property
// bags for the solver's ordering and filtering: long parts weigh more, a pattern
// weighs what its parts weigh, and its cost depends on whether its leftover is a
// usable remnant.
#pragma once

#include "engine/Cutting.h"

#include <vector>

namespace CUTTING {

// Sets each open piece's "weight" to ((length / longest open length) x weight)^2.
// Returns the longest open length (0 when nothing is open).
double PieceWeights(std::vector<Piece>& demand);

// The pattern's pieces are parallel by position to the demand. Sets the
// pattern's "weight" (sum of count x the demand's "weight") and "fitness.weight"
// (square root of the fitness plus weight squared); returns the weight.
double PatternWeight(Blank& pattern, const std::vector<Piece>& demand);
// The demand's "weight" values as PatternWeight reads them, for weighing many
// patterns against one demand without reading the texts again.
std::vector<double> DemandWeights(const std::vector<Piece>& demand);
// The same with the demand's weights read beforehand by DemandWeights.
double PatternWeight(Blank& pattern, const std::vector<double>& demandWeights);

// Stock cost per unit of part length, from the solver's "blank.length",
// "blank.remnants" and "blank.cost": a leftover longer than the remnant threshold
// is not charged. Stored as the pattern's "cost" and returned.
double PatternCost(Blank& pattern);

// Keeps, in their order, the patterns whose property is not below the threshold
// (keepAtLeast) or not above it; a missing property reads as 0. Returns how many
// were kept.
long FilterByProperty(const char* key, double threshold, bool keepAtLeast, std::vector<Blank>& patterns);
// The same over positions of a list: of the given positions, those whose
// pattern passes, in their order.
std::vector<size_t> FilterPositionsByProperty(const char* key, double threshold, bool keepAtLeast,
                                              const std::vector<Blank>& list, const std::vector<size_t>& positions);

} // namespace CUTTING
