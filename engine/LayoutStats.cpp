#include "engine/LayoutStats.h"

#include <algorithm>
#include <cmath>

#include "engine/Pattern.h"
#include "engine/PatternPool.h"
#include "foundation/StrUtil.h"

namespace CUTTING {

namespace {

double ClampPercent(double x)
{
    return std::min(100.0, std::max(0.0, x));
}

// Sums of a cutting's statistics over a group of cuttings.
struct Totals {
    double output = 0.0;
    double length = 0.0;
    double used = 0.0;
    double pieces = 0.0;
    double shifts = 0.0;
    double remnants = 0.0;

    void Add(const DProps& stats)
    {
        output += DProps::GetDouble(stats, "output");
        length += DProps::GetDouble(stats, "length");
        used += DProps::GetDouble(stats, "used");
        pieces += DProps::GetDouble(stats, "pieces");
        shifts += DProps::GetDouble(stats, "shifts");
        remnants += DProps::GetDouble(stats, "remnants");
    }
    double Cmu() const { return 100.0 * SafeDivide(output, length); }
};

}  // namespace

void UpdateSignature(Layout& layout)
{
    std::vector<std::string> texts;
    texts.reserve(layout.cuttings.size());
    for (const Blank& c : layout.cuttings) {
        std::string text;
        StrFormat(text, "%sx%ld", c.signature.c_str(), c.quantity);
        texts.push_back(text);
    }
    // std::string compares bytes as unsigned characters, which is the byte order
    // the signature has always been sorted in.
    std::sort(texts.begin(), texts.end());
    layout.signature = StrJoin(texts, "-");
    layout.props.SetString("signature", layout.signature);
}

void Refresh(Layout& layout, bool withTotals)
{
    UpdateSignature(layout);
    if ((layout.state == 1 || layout.state == 2) &&
        (SumBlankQuantities(-1, layout.blanks) == 0 || SumQuantitiesAtLeast(-1, layout.pieces) == 0)) {
        layout.state = 3;
        layout.complete = layout.cuttings.empty() ? 0 : 1;
    }
    SortPatterns(OrderLongestBar, layout.cuttings);
    if (withTotals)
        UpdateTotals(layout);
}

void UpdateTotals(Layout& layout)
{
    Totals all;
    for (Blank& c : layout.cuttings) {
        c.UpdateStats();
        all.Add(c.props);
    }

    layout.props.Clear();
    layout.props.SetLong("output", RoundToLong(all.output));
    layout.props.SetLong("used", RoundToLong(all.used));
    layout.props.SetLong("pieces", RoundToLong(all.pieces));
    layout.props.SetDouble("cmu", all.Cmu(), "%.5f");
    layout.props.SetDouble("waste", ClampPercent(100.0 - all.Cmu()), "%.5f");
    layout.props.SetLong("shifts", RoundToLong(all.shifts));

    for (Blank& s : layout.blanks) {
        Totals t;
        for (const Blank& c : layout.cuttings)
            if (DProps::GetLong(c.props, "blank") == s.id)
                t.Add(c.props);
        s.props.SetLong("blank", s.id);
        s.props.SetLong("used", RoundToLong(t.used));
        s.props.SetLong("pieces", RoundToLong(t.pieces));
        s.props.SetDouble("cmu", t.Cmu(), "%.5f");
        s.props.SetDouble("waste", ClampPercent(100.0 - t.Cmu()), "%.5f");
        s.props.SetLong("shifts", RoundToLong(t.shifts));
        s.props.SetDouble("output", t.output, "%.5f");
    }
}

long ApplyPattern(Layout& layout, Blank& pattern)
{
    const long stockPos = FindBlankById(layout.blanks, pattern.id);
    if (stockPos < 0)
        return 0;
    Blank& stock = layout.blanks[static_cast<size_t>(stockPos)];
    pattern.quantity = 0;

    // The pattern's entries run parallel to the demand; a pass takes one bar's worth
    // and succeeds only when every kind still has enough open.
    std::vector<long> open;
    open.reserve(layout.pieces.size());
    for (const Piece& p : layout.pieces)
        open.push_back(p.quantity);
    // A pattern whose counts are all 0 cuts nothing: applied bar by bar it
    // would otherwise eat the whole stock.
    long total = 0;
    for (const Piece& p : pattern.pieces)
        total += p.quantity > 0 ? p.quantity : 0;
    long n = 0;
    if (total > 0) {
        while (n < stock.quantity) {
            bool fits = true;
            for (size_t i = 0; i < pattern.pieces.size() && fits; ++i) {
                const long c = pattern.pieces[i].quantity;
                if (c != 0 && (i >= open.size() || open[i] - c < 0))
                    fits = false;
            }
            if (!fits)
                break;
            for (size_t i = 0; i < pattern.pieces.size(); ++i)
                if (pattern.pieces[i].quantity != 0)
                    open[i] -= pattern.pieces[i].quantity;
            ++n;
        }
    }

    if (n > 0) {
        for (size_t i = 0; i < pattern.pieces.size(); ++i)
            if (pattern.pieces[i].quantity != 0)
                layout.pieces[i].quantity -= n * pattern.pieces[i].quantity;
        pattern.quantity = n;
        pattern.pieces.erase(std::remove_if(pattern.pieces.begin(), pattern.pieces.end(),
                                            [](const Piece& p) { return p.quantity == 0; }),
                             pattern.pieces.end());
        pattern.UpdateSignature(false);
        layout.cuttings.push_back(pattern);
        stock.quantity -= n;
    }
    return n;
}

void RemoveEmptyPieces(Layout& layout)
{
    auto& list = layout.pieces;
    list.erase(std::remove_if(list.begin(), list.end(), [](const Piece& p) { return p.quantity == 0; }),
               list.end());
}

long RemoveEmptyCuttings(std::vector<Blank>& list)
{
    list.erase(std::remove_if(list.begin(), list.end(), [](const Blank& b) { return b.quantity < 1; }),
               list.end());
    return static_cast<long>(list.size());
}

bool MergeEqualPatterns(Layout& layout, bool fullOrder)
{
    auto& list = layout.cuttings;
    const size_t before = list.size();
    for (size_t i = 0; i < list.size(); ++i) {
        for (size_t j = i + 1; j < list.size(); ++j) {
            if (list[j].signature == list[i].signature) {
                list[i].quantity += list[j].quantity;
                list[j].quantity = 0;
            }
        }
    }
    RemoveEmptyCuttings(list);
    SortPatterns(OrderByStock, list, fullOrder);
    return list.size() != before;
}

long RemainingPieces(std::vector<Piece>& result, const Layout& layout, const std::vector<Piece>* demand)
{
    // Built apart so that result may be the very list the demand is read from.
    std::vector<Piece> left = demand ? *demand : layout.pieces;
    for (const Blank& c : layout.cuttings) {
        if (c.quantity == 0)
            continue;
        for (const Piece& p : c.pieces) {
            if (p.quantity <= 0)
                continue;
            const long pos = FindPieceById(left, p.id);
            if (pos >= 0)
                left[static_cast<size_t>(pos)].quantity -= c.quantity * p.quantity;
        }
    }
    result.swap(left);
    return SumQuantitiesAtLeast(-1, result);
}

long ClampToStock(Layout& layout)
{
    std::vector<long> available;
    available.reserve(layout.blanks.size());
    for (const Blank& s : layout.blanks)
        available.push_back(s.quantity);
    long cut = 0;
    for (Blank& c : layout.cuttings) {
        if (c.quantity == 0)
            continue;
        const long pos = FindBlankById(layout.blanks, c.id);
        if (pos < 0)
            continue;
        long& q = available[static_cast<size_t>(pos)];
        if (q < c.quantity) {
            c.quantity = q;
            q = 0;
            ++cut;
        } else {
            q -= c.quantity;
        }
    }
    return cut;
}

long SumBlankQuantities(double x, const std::vector<Blank>& list)
{
    return SumQuantitiesOfAtLeast(x, list);
}

long FindBlankById(const std::vector<Blank>& list, long id)
{
    return FindRecordById(list, id);
}

void ComputeSummary(const DProps& options, Layout& layout)
{
    const double minRemnant = DProps::GetDouble(options, "remnants");
    double srest = 0.0;
    double cost = 0.0;
    Totals all;

    for (Blank& c : layout.cuttings) {
        const long n = c.quantity;
        c.UpdateStats();
        const double len = DProps::GetDouble(c.props, "length");
        const double rem = DProps::GetDouble(c.props, "remains");
        double remTotal = 0.0;
        if (!IsNearZero(minRemnant) && rem > minRemnant) {
            // The offcut is kept as a remnant, so its length is not stock consumed.
            remTotal = rem * n;
            c.props.SetDouble("length", len - remTotal, "%.5f");
        }
        c.props.SetDouble("remnants", remTotal, "%.5f");

        const double usedLen = DProps::GetDouble(c.props, "length");
        srest += n * rem * rem;
        all.Add(c.props);
        cost += DProps::GetDouble(c.props, "blank.cost") * usedLen;

        if (n != 0) {
            double pmin = DProps::GetDouble(c.props, "blank.length");
            double pmax = 0.0;
            for (const Piece& p : c.pieces) {
                if (p.quantity == 0)
                    continue;
                pmin = std::min(pmin, p.length);
                pmax = std::max(pmax, p.length);
            }
            const double lra = n * rem;
            const double lu1 = (usedLen - lra) / n;
            c.props.SetDouble("Pmin", pmin, "%.5f");
            c.props.SetDouble("Pmax", pmax, "%.5f");
            c.props.SetDouble("LR1", rem, "%.5f");
            c.props.SetDouble("LRA", lra, "%.5f");
            c.props.SetDouble("LU1", lu1, "%.5f");
            c.props.SetDouble("LUA", n * lu1, "%.5f");
        }
    }

    DProps& sum = layout.props;
    sum.Clear();
    sum.SetDouble("output", all.output, "%.5f");
    sum.SetDouble("used.len", all.length, "%.5f");
    sum.SetLong("used", RoundToLong(all.used));
    sum.SetLong("pieces", RoundToLong(all.pieces));
    sum.SetDouble("cmu", all.Cmu(), "%.5f");
    sum.SetDouble("waste", ClampPercent(100.0 - all.Cmu()), "%.5f");
    sum.SetLong("shifts", RoundToLong(all.shifts));
    sum.SetDouble("remnants", all.remnants, "%.5f");
    sum.SetDouble("srest", std::sqrt(srest), "%.5f");
    sum.SetDouble("cost", cost, "%.5f");

    double totalCost = 0.0;
    double totalUsed = 0.0;
    for (Blank& s : layout.blanks) {
        Totals t;
        for (const Blank& c : layout.cuttings)
            if (c.quantity != 0 && DProps::GetLong(c.props, "blank") == s.id)
                t.Add(c.props);
        const double costSum = DProps::GetDouble(s.props, "cost") * t.length;
        s.props.SetLong("blank", s.id);
        s.props.SetLong("used", RoundToLong(t.used));
        s.props.SetDouble("used.len", t.length, "%.5f");
        s.props.SetDouble("cost.sum", costSum, "%.5f");
        s.props.SetLong("pieces", RoundToLong(t.pieces));
        s.props.SetDouble("cmu", t.Cmu(), "%.5f");
        s.props.SetDouble("waste", ClampPercent(100.0 - t.Cmu()), "%.5f");
        s.props.SetLong("shifts", RoundToLong(t.shifts));
        s.props.SetDouble("cost.ppu", SafeDivide(costSum, t.output), "%.5f");
        s.props.SetDouble("output", t.output, "%.5f");
        s.props.SetDouble("remnants", t.remnants, "%.5f");
        totalCost += costSum;
        totalUsed += t.used;
    }

    sum.SetDouble("cost.ppu", SafeDivide(totalCost, DProps::GetDouble(sum, "output")), "%.5f");
    sum.SetDouble("brest", SafeDivide(DProps::GetDouble(sum, "srest"), totalUsed), "%.1f");
}

void Layout::ComputeSummary(const DProps& options)
{
    CUTTING::ComputeSummary(options, *this);
}

}  // namespace CUTTING
