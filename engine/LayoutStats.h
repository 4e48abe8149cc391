// Operations on a whole layout: its signature, applying a pattern to the open demand
// and stock, merging and pruning cuttings, and the two statistics passes whose keys
// and formats every screen, file and report reads.
#pragma once

#include <vector>

#include "engine/Cutting.h"

namespace CUTTING {

// Sorted "<pattern signature>x<bars>" texts joined by "-", also stored under "signature".
void UpdateSignature(Layout& layout);
// Signature, finished state, longest bars first and, with totals, UpdateTotals.
void Refresh(Layout& layout, bool withTotals);
// The light statistics pass over the cuttings and per stock length.
void UpdateTotals(Layout& layout);
// Cuts the pattern (parallel to the demand) as often as demand and stock allow and
// appends it to the cuttings; returns the number of bars cut.
long ApplyPattern(Layout& layout, Blank& pattern);
void RemoveEmptyPieces(Layout& layout);
// Drops patterns with fewer than one bar; returns the new count.
long RemoveEmptyCuttings(std::vector<Blank>& list);
// Joins cuttings of equal signature, then sorts by stock; true when the count changed.
bool MergeEqualPatterns(Layout& layout, bool fullOrder);
// The demand (given, or the layout's own) less everything cut; overproduced kinds
// go negative. Returns the sum of the result quantities.
long RemainingPieces(std::vector<Piece>& result, const Layout& layout, const std::vector<Piece>* demand);
// Cuts bar counts down to the stock available; returns how many cuttings were cut down.
long ClampToStock(Layout& layout);
// Sum of the quantities of the blanks at least x long; x = -1 gives the total.
long SumBlankQuantities(double x, const std::vector<Blank>& list);
// Position of the first blank with the id, -1 when none.
long FindBlankById(const std::vector<Blank>& list, long id);
// The full statistics pass; options supply "remnants", the shortest usable offcut.
void ComputeSummary(const DProps& options, Layout& layout);

}  // namespace CUTTING
