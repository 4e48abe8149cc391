#include "engine/Weighting.h"

#include "foundation/StrUtil.h"

#include <cmath>

namespace CUTTING {

double PieceWeights(std::vector<Piece>& demand)
{
    double longest = 0.0;
    for (const Piece& piece : demand)
        if (piece.quantity != 0 && piece.length > longest)
            longest = piece.length;
    for (Piece& piece : demand) {
        if (piece.quantity == 0)
            continue;
        const double w = SafeDivide(piece.length, longest) * piece.weight;
        piece.props.SetDouble("weight", w * w, "%f");
    }
    return longest;
}

std::vector<double> DemandWeights(const std::vector<Piece>& demand)
{
    std::vector<double> weights(demand.size());
    for (size_t i = 0; i < demand.size(); ++i)
        weights[i] = DProps::GetDouble(demand[i].props, "weight");
    return weights;
}

double PatternWeight(Blank& pattern, const std::vector<Piece>& demand)
{
    return PatternWeight(pattern, DemandWeights(demand));
}

double PatternWeight(Blank& pattern, const std::vector<double>& demandWeights)
{
    // The x87 unit would keep the running sum in extended precision; it is
    // stored as a double after every term, as it always was while each weight
    // was read from its bag in the loop, so the sum rounds the same way.
    volatile double sum = 0.0;
    const size_t n = pattern.pieces.size() < demandWeights.size() ? pattern.pieces.size() : demandWeights.size();
    for (size_t i = 0; i < n; ++i) {
        const long count = pattern.pieces[i].quantity;
        if (count != 0)
            sum = sum + demandWeights[i] * count;
    }
    const double weight = sum;
    pattern.props.SetDouble("weight", weight, "%.5f");
    // A pattern with a negative fitness has no square root to speak of.
    const double root = pattern.fitness > 0.0 ? std::sqrt(pattern.fitness) : 0.0;
    pattern.props.SetDouble("fitness.weight", root + weight * weight, "%f");
    return weight;
}

double PatternCost(Blank& pattern)
{
    double used = 0.0;
    for (const Piece& piece : pattern.pieces)
        if (piece.quantity != 0)
            used += piece.quantity * piece.length;
    const double barLength = DProps::GetDouble(pattern.props, "blank.length");
    const double remnants = DProps::GetDouble(pattern.props, "blank.remnants");
    double charged = barLength;
    // A leftover long enough to be kept as a remnant is still stock, not waste.
    if (!IsNearZero(remnants) && remnants < barLength - used)
        charged = used;
    const double cost = SafeDivide(DProps::GetDouble(pattern.props, "blank.cost") * charged, used);
    pattern.props.SetDouble("cost", cost, "%.5f");
    return cost;
}

std::vector<size_t> FilterPositionsByProperty(const char* key, double threshold, bool keepAtLeast,
                                              const std::vector<Blank>& list, const std::vector<size_t>& positions)
{
    std::vector<size_t> kept;
    kept.reserve(positions.size());
    for (size_t i : positions) {
        const double value = DProps::GetDouble(list[i].props, key);
        if (keepAtLeast ? !(value < threshold) : !(value > threshold))
            kept.push_back(i);
    }
    return kept;
}

long FilterByProperty(const char* key, double threshold, bool keepAtLeast, std::vector<Blank>& patterns)
{
    std::vector<size_t> all(patterns.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    std::vector<Blank> kept;
    for (size_t i : FilterPositionsByProperty(key, threshold, keepAtLeast, patterns, all))
        kept.push_back(std::move(patterns[i]));
    patterns = std::move(kept);
    return static_cast<long>(patterns.size());
}

} // namespace CUTTING
