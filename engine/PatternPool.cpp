#include "engine/PatternPool.h"

#include <cmath>
#include <utility>

#include "foundation/StrUtil.h"

namespace CUTTING {

namespace {

bool LeastUsedBefore(const Blank& a, const Blank& b)
{
    return std::fabs(a.ratio) < std::fabs(b.ratio);
}

bool LongestBarBefore(const Blank& a, const Blank& b)
{
    return a.length > b.length;
}

bool ByStockBefore(const Blank& a, const Blank& b, bool fullOrder)
{
    const long stockA = DProps::GetLong(a.props, "blank");
    const long stockB = DProps::GetLong(b.props, "blank");
    if (!fullOrder || stockA != stockB)
        return stockA < stockB;
    if (a.quantity != b.quantity)
        return a.quantity > b.quantity;
    return DProps::GetLong(a.props, "remains") < DProps::GetLong(b.props, "remains");
}

// Patterns are heavy, so positions are sorted and the records are then moved
// once into their new order. The order compares positions.
template <class PositionBefore>
void StableSortPositions(std::vector<Blank>& list, const PositionBefore& before)
{
    if (list.size() < 2)
        return;
    const std::vector<size_t> pos = SortedPositions(list.size(), before);
    bool moved = false;
    for (size_t i = 0; i < pos.size() && !moved; ++i)
        moved = pos[i] != i;
    if (!moved)
        return;
    std::vector<Blank> sorted;
    sorted.reserve(list.size());
    for (size_t i : pos)
        sorted.push_back(std::move(list[i]));
    list.swap(sorted);
}

template <class Before>
void StableSortBlanks(std::vector<Blank>& list, const Before& before)
{
    StableSortPositions(list, [&](size_t x, size_t y) { return before(list[x], list[y]); });
}

}  // namespace

bool PatternBefore(long order, const Blank& a, const Blank& b, bool fullOrder)
{
    switch (order) {
    case OrderBestFitness:
        return BestFitnessBefore(a, b);
    case OrderBestQuality:
        return BestQualityBefore(a, b);
    case OrderLongestBar:
        return LongestBarBefore(a, b);
    case OrderByStock:
        return ByStockBefore(a, b, fullOrder);
    case OrderLeastUsed:
    default:
        return LeastUsedBefore(a, b);
    }
}

void SortPatterns(long order, std::vector<Blank>& list, bool fullOrder)
{
    StableSortBlanks(list, [&](const Blank& a, const Blank& b) { return PatternBefore(order, a, b, fullOrder); });
}

bool PropertyOrder::operator()(const Blank& a, const Blank& b) const
{
    const double va = DProps::GetDouble(a.props, key.c_str());
    const double vb = DProps::GetDouble(b.props, key.c_str());
    return descending ? va > vb : va < vb;
}

void SortPositionsByProperty(const PropertyOrder& order, const std::vector<Blank>& list,
                             std::vector<size_t>& positions)
{
    // Each bag's text is read once: the comparisons see the very numbers the
    // order would read, without parsing them again at every step.
    std::vector<double> values(positions.size());
    for (size_t i = 0; i < positions.size(); ++i)
        values[i] = DProps::GetDouble(list[positions[i]].props, order.key.c_str());
    const bool descending = order.descending;
    const std::vector<size_t> sorted = SortedPositions(positions.size(), [&](size_t x, size_t y) {
        return descending ? values[x] > values[y] : values[x] < values[y];
    });
    std::vector<size_t> reordered;
    reordered.reserve(positions.size());
    for (size_t i : sorted)
        reordered.push_back(positions[i]);
    positions.swap(reordered);
}

void SortByProperty(const PropertyOrder& order, std::vector<Blank>& list)
{
    std::vector<size_t> positions(list.size());
    for (size_t i = 0; i < positions.size(); ++i)
        positions[i] = i;
    SortPositionsByProperty(order, list, positions);
    std::vector<Blank> sorted;
    sorted.reserve(list.size());
    for (size_t i : positions)
        sorted.push_back(std::move(list[i]));
    list.swap(sorted);
}

// ---- PatternPool ------------------------------------------------------------------

void PatternPool::SetLimit(long newLimit)
{
    limit = newLimit;
    mode = 1;
    SortAndTrim();
}

void PatternPool::SortAndTrim()
{
    if (mode >= 1 && mode <= 5)
        SortPatterns(mode - 1, patterns);
    if (limit > 0 && static_cast<long>(patterns.size()) > limit)
        patterns.resize(static_cast<size_t>(limit));
}

bool PatternPool::Add(const Blank& pattern, bool unique, bool sortNow)
{
    if (unique && HasSignature(pattern.signature))
        return false;
    patterns.push_back(pattern);
    if (sortNow)
        SortAndTrim();
    return true;
}

void PatternPool::AddAll(const PatternPool& from, PatternPool& to)
{
    if (&from == &to) {
        const std::vector<Blank> copy = from.patterns;
        to.patterns.insert(to.patterns.end(), copy.begin(), copy.end());
    } else {
        to.patterns.insert(to.patterns.end(), from.patterns.begin(), from.patterns.end());
    }
    to.SortAndTrim();
}

const Blank* PatternPool::GetAt(long position) const
{
    if (position < 0 || position >= static_cast<long>(patterns.size()))
        return nullptr;
    return &patterns[static_cast<size_t>(position)];
}

Blank* PatternPool::GetAt(long position)
{
    if (position < 0 || position >= static_cast<long>(patterns.size()))
        return nullptr;
    return &patterns[static_cast<size_t>(position)];
}

bool PatternPool::HasSignature(const std::string& signature) const
{
    for (const Blank& p : patterns)
        if (p.signature == signature)
            return true;
    return false;
}

long PoolLimitForKinds(long kinds)
{
    return kinds > 6 ? 3 * kinds : 20;
}

}  // namespace CUTTING
