#include "engine/Pattern.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "foundation/StrUtil.h"

namespace CUTTING {

double UsedFraction(const std::vector<Piece>& pieces, const Blank& blank, double* remainder, bool withTrim)
{
    return UsedFractionOf(EachPiece{pieces}, blank.length, blank.knife, blank.indent, remainder, withTrim);
}

long FitCount(const Blank& blank, const Piece& piece)
{
    const double K = blank.knife;
    const double room = K + blank.indent;  // needed after the last part
    const double step = piece.length + K;  // taken by every further part
    const double rest = blank.length - piece.length;
    const double q = SafeDivide(rest, step);

    if (q < 1.0 && !NumEqual(q, 1.0))
        return (IsNearZero(rest) || rest > room - Tolerance) ? 1 : 0;

    // Absurdly short parts would otherwise overflow the count.
    const double further = NumEqual(q, 1.0) ? 1.0 : std::min(std::floor(q), static_cast<double>(LONG_MAX - 1));
    const long g = static_cast<long>(further);
    const double r = rest - g * step;
    if (IsNearZero(r) || r > room || NumEqual(r, room))
        return g + 1;
    return g;
}

uint64_t CombinationBounds(std::vector<long>& counts, const Blank& blank, const std::vector<Piece>& demand)
{
    counts.clear();
    uint64_t product = 1;
    bool anyCount = false;
    for (const Piece& p : demand) {
        long c;
        if (NumEqual(p.length, blank.length))
            c = 1;
        else if (p.length == 0.0)
            c = 0;
        else
            c = FitCount(blank, p);
        c = std::min(c, p.quantity);
        // A digit bound below zero would make the factor zero or wrap it.
        c = std::max(c, 0L);
        counts.push_back(c);
        anyCount = anyCount || c != 0;

        // Many kinds multiply past 64 bits; a wrapped product could read as 0 (no
        // pattern at all) or as a small count, so the product saturates instead.
        const uint64_t factor = static_cast<uint64_t>(c) + 1;
        if (product > UINT64_MAX / factor)
            product = UINT64_MAX;
        else
            product *= factor;
    }
    if (product > static_cast<uint64_t>(demand.size()))
        return product;
    return anyCount ? product : 0;
}

long LengthChanges(const Blank& blank, const std::vector<Piece>& pieces)
{
    if (pieces.empty())
        return 0;
    return LengthChangesOf(EachPiece{pieces}, blank.length);
}

bool AddCount(long position, Blank& blank, long n)
{
    if (position < 0 || position >= static_cast<long>(blank.pieces.size()))
        return false;
    if (UsedFraction(blank.pieces, blank, nullptr, true) > 1.0)
        return false;
    long& q = blank.pieces[position].quantity;
    for (long i = 0; i < n; ++i) {
        q = std::max(q + 1, 0L);
        if (UsedFraction(blank.pieces, blank, nullptr, true) > 1.0) {
            q = std::max(q - 1, 0L);
            return true;
        }
    }
    return true;
}

long CountKinds(const Blank& blank)
{
    return static_cast<long>(std::count_if(blank.pieces.begin(), blank.pieces.end(),
                                           [](const Piece& p) { return p.quantity != 0; }));
}

bool FitsCounts(const std::vector<Piece>& pieces, const std::vector<long>& counts)
{
    const size_t n = std::min(pieces.size(), counts.size());
    for (size_t i = 0; i < n; ++i)
        if (counts[i] < pieces[i].quantity)
            return false;
    return true;
}

long SumQuantitiesAtLeast(double x, const std::vector<Piece>& pieces)
{
    return SumQuantitiesOfAtLeast(x, pieces);
}

}  // namespace CUTTING
