// The solver's decisions after the finders: which candidate to apply, which of two
// layouts is better, and the post-optimisation that tries to save bars.
#include "engine/Solver.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "engine/LayoutStats.h"
#include "engine/Pattern.h"
#include "engine/Weighting.h"
#include "foundation/StrUtil.h"
#include "foundation/TextBlocks.h"

using namespace CUTTING;

namespace {

double Stat(const DProps& bag, const char* key)
{
    return DProps::GetDouble(bag, key);
}

// A statistic as the bags hold it: "%.5f" text read back, so that two layouts
// with the same parts in another order compare equal.
double AsStored(double x)
{
    std::string text;
    StrFormat(text, "%.5f", x);
    return atof(text.c_str());
}

void TraceCandidates(TraceRecord& trace, const std::vector<Blank>& all, const std::vector<size_t>& list)
{
    for (size_t i = 0; i < list.size(); ++i) {
        const Blank& c = all[list[i]];
        TraceRecordF(trace, "#%02ld %20s fitness %f weight %f fitness.weight %f", static_cast<long>(i + 1),
                     TextShorten(c.signature.c_str()).c_str(), c.fitness, Stat(c.props, "weight"),
                     Stat(c.props, "fitness.weight"));
    }
}

}  // namespace

long BarPartCount(const Blank& pattern)
{
    long sum = 0;
    for (const Piece& p : pattern.pieces)
        sum += p.quantity;
    return sum;
}

double BarPartLength(const Blank& pattern)
{
    double sum = 0.0;
    for (const Piece& p : pattern.pieces)
        sum += p.quantity * p.length;
    return sum;
}

double CutPartLength(const Layout& layout)
{
    double total = 0.0;
    for (const Blank& c : layout.cuttings)
        total += c.quantity * BarPartLength(c);
    return total;
}

double Solver::DefaultThreshold() const
{
    double p = 0.0;
    if (!IsNearZero(static_cast<double>(m_need)))
        p = static_cast<double>(m_need - m_open) / m_need;
    return std::min(0.8, 0.5 + 0.125 * p);
}

long Solver::SelectPattern(Layout& B, PatternPool& cand, std::vector<Layout>& N, const DProps& options)
{
    if (cand.Count() == 0)
        return 0;
    const long mode = DProps::GetLong(options, "mode");
    const long trace = DProps::GetLong(options, "trace");
    const bool byCost = DProps::GetLong(options, "optimize") == 1;

    const double top = cand.patterns.front().fitness;
    const double t = options.IndexOf("threshold") >= 0 ? DProps::GetDouble(options, "threshold")
                                                       : DefaultThreshold();
    double tc = t * top;

    PieceWeights(B.pieces);
    const std::vector<double> demandWeights = DemandWeights(B.pieces);
    // Only the chosen candidate leaves the selection, so only it is given the
    // full statistics (below); the others get what the filters and the orders
    // read: the fitness as its bag text, the weights and the cost.
    std::vector<Blank>& all = cand.patterns;
    std::vector<int> baseCounts(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        Blank& c = all[i];
        baseCounts[i] = c.props.Count();
        if (trace >= 3)
            c.UpdateSignature(true);
        else
            c.UpdateSignature(false).props.SetDouble("fitness", c.fitness, "%.5f");
        PatternWeight(c, demandWeights);
        if (trace >= 3)
            TraceRecordF(m_trace,
                         "#%02ld Cutting %20s fitness %f ratio %f remains %4.0f badness %f weight %f "
                         "fitness.weight %f",
                         static_cast<long>(i + 1), TextShorten(c.signature.c_str()).c_str(), c.fitness, c.ratio,
                         Stat(c.props, "remains"), c.badness, Stat(c.props, "weight"),
                         Stat(c.props, "fitness.weight"));
    }

    // The filters and orders work on positions in the pool; the candidates
    // themselves move once, at the end. The filters compare rounded bag texts
    // with unrounded thresholds and could drop everything; the best candidate
    // always stays.
    std::vector<size_t> list(all.size());
    for (size_t i = 0; i < list.size(); ++i)
        list[i] = i;
    const size_t best = list.front();
    list = FilterPositionsByProperty("fitness", tc, true, all, list);
    if (list.empty())
        list.push_back(best);
    if (trace >= 2) {
        TraceRecordF(m_trace, "Filtered %ld items with fitness %f (TC %f)", static_cast<long>(list.size()), t, tc);
        TraceCandidates(m_trace, all, list);
    }

    if (!byCost && list.size() > 5) {
        SortPositionsByProperty(PropertyOrder(true, "weight"), all, list);
        tc = t * Stat(all[list.front()].props, "weight");
        const size_t heaviest = list.front();
        list = FilterPositionsByProperty("weight", tc, true, all, list);
        if (list.empty())
            list.push_back(heaviest);
    }

    for (size_t i : list)
        PatternCost(all[i]);
    if (byCost)
        SortPositionsByProperty(PropertyOrder(false, "cost"), all, list);
    else if (mode == 2)
        SortPositionsByProperty(PropertyOrder(true, "fitness.weight"), all, list);
    else
        SortPositionsByProperty(PropertyOrder(true, "weight"), all, list);

    if (trace >= 1) {
        TraceRecordF(m_trace, "%s", std::string(59, '=').c_str());
        TraceRecordF(m_trace, "Selected %ld items (weight threshold %f)", static_cast<long>(list.size()), tc);
        TraceCandidates(m_trace, all, list);
    }

    // The chosen candidate is weighed again from its bag as it came, the full
    // way, so that it carries every statistic in the order it always had.
    const size_t first = list.front();
    Blank chosen = std::move(all[first]);
    while (chosen.props.Count() > baseCounts[first])
        chosen.props.RemoveAt(chosen.props.Count() - 1);
    chosen.UpdateSignature(true);
    PatternWeight(chosen, demandWeights);
    PatternCost(chosen);

    // A pattern without parts would be "applied" as often as there are bars;
    // it places nothing, so it is not applied at all.
    if (BarPartCount(chosen) > 0)
        ApplyPattern(B, chosen);
    B.state = 2;
    Refresh(B, false);
    N.push_back(B);

    // The pool keeps the other candidates that passed, in the final order.
    std::vector<Blank> rest;
    rest.reserve(list.size() - 1);
    for (size_t i = 1; i < list.size(); ++i)
        rest.push_back(std::move(all[list[i]]));
    all.swap(rest);
    return 2;
}

bool Solver::IsBetterLayout(const DProps& options, const Layout& current, const Layout& candidate)
{
    const DProps& a = current.props;
    const DProps& b = candidate.props;
    if (DProps::GetLong(options, "optimize") == 1) {
        const double x = Stat(a, "cost"), y = Stat(b, "cost");
        if (x != y)
            return y < x;
    }
    // The parts themselves, not "output", which counts the kerfs too and would
    // reward a layout for cutting more bars.
    {
        const double x = AsStored(CutPartLength(current)), y = AsStored(CutPartLength(candidate));
        if (x != y)
            return y > x;
    }
    {
        const double x = Stat(a, "used.len"), y = Stat(b, "used.len");
        if (x != y)
            return y < x;
    }
    {
        const double x = Stat(a, "cmu"), y = Stat(b, "cmu");
        if (x != y)
            return y > x;
    }
    {
        const double x = Stat(a, "srest"), y = Stat(b, "srest");
        if (x != y)
            return y > x;
    }
    return candidate.cuttings.size() < current.cuttings.size();
}

bool Solver::PostOptimise(const DProps& options, Layout& layout)
{
    DProps subOptions(options);
    subOptions.Set("threshold", "0.3");
    bool improved = FillOffcuts(options, subOptions, layout);
    if (ResolveSingleBars(options, subOptions, layout))
        improved = true;
    return improved;
}

namespace {

// One sub-problem run of the post-optimisation; successful when it placed every part.
bool RunSubProblem(Solver& solver, const DProps& subOptions, Layout& sub)
{
    DProps opts(subOptions);
    opts.Set("status", "");
    opts.Set("progress", "0");
    solver.MainLoop(opts, sub);
    return opts.IndexOf("status") >= 0 && DProps::GetString(opts, "status") == std::to_string(kSolverAllPlaced);
}

}  // namespace

bool Solver::FillOffcuts(const DProps& options, const DProps& subOptions, Layout& layout)
{
    Layout best = layout;
    bool improved = false;
    bool restart = true;
    bool stopped = false;
    while (restart && !stopped) {
        restart = false;
        if (IsStopped())
            break;
        Layout work = best;
        for (size_t pos = 0; pos < work.cuttings.size(); ++pos) {
            if (IsStopped()) {
                stopped = true;
                break;
            }
            const Blank& P = work.cuttings[pos];
            if (P.quantity < 1)
                continue;
            const double pMin = Stat(P.props, "Pmin"), pMax = Stat(P.props, "Pmax");
            const double lu1 = Stat(P.props, "LU1"), lua = Stat(P.props, "LUA");

            // Offcuts of the other patterns as stock. Each gets an id of its own
            // (its position + 1) so that bars are counted against the right offcut.
            std::vector<Blank> offcuts;
            double capacity = 0.0;
            for (size_t j = 0; j < work.cuttings.size(); ++j) {
                if (j == pos)
                    continue;
                const Blank& Q = work.cuttings[j];
                if (Q.quantity < 1)
                    continue;
                const double lr1 = Stat(Q.props, "LR1"), lra = Stat(Q.props, "LRA");
                if (lr1 < pMin || lra < lu1)
                    continue;
                const int reasons = (lr1 > pMax) + (lr1 > lu1) + (lra > lua);
                if (reasons == 0)
                    continue;
                Blank o(static_cast<long>(j) + 1, lr1, Q.quantity, Q.knife, Q.indent);
                o.props.SetString("cost", DProps::GetString(Q.props, "blank.cost"));
                o.props.SetLong("pp.cutting", static_cast<long>(j));
                capacity += lr1 * Q.quantity;
                offcuts.push_back(o);
            }
            if (offcuts.empty())
                continue;

            // Fewer bars than this cannot be moved: their parts alone are longer
            // than all the offcuts together, so the sub-run could never succeed.
            const double perBar = BarPartLength(P);
            long v = P.quantity;
            if (perBar > 0)
                v = std::min<long>(v, static_cast<long>(capacity / perBar + 1e-7));
            Layout sub;
            bool found = false;
            for (; v >= 1; --v) {
                if (IsStopped())
                    break;
                sub = Layout();
                sub.blanks = offcuts;
                for (const Piece& p : P.pieces) {
                    if (p.quantity == 0)
                        continue;
                    Piece d = p;
                    d.quantity = p.quantity * v;
                    sub.pieces.push_back(d);
                }
                if (sub.pieces.empty())
                    break;
                if (RunSubProblem(*this, subOptions, sub)) {
                    found = true;
                    break;
                }
            }
            if (IsStopped()) {
                stopped = true;
                break;
            }
            if (!found)
                continue;

            const Layout saved = work;
            work.cuttings[pos].quantity -= v;
            bool cancelled = false;
            for (const Blank& R : sub.cuttings) {
                const long j = DProps::GetLong(R.props, "pp.cutting");
                // A move never cuts more bars of a pattern than the pattern has.
                if (j < 0 || static_cast<size_t>(j) >= saved.cuttings.size() || static_cast<size_t>(j) == pos ||
                    work.cuttings[static_cast<size_t>(j)].quantity < R.quantity) {
                    cancelled = true;
                    break;
                }
                Blank X = work.cuttings[static_cast<size_t>(j)];
                for (const Piece& p : R.pieces)
                    X.AddPiece(p);
                std::stable_sort(X.pieces.begin(), X.pieces.end(),
                                 [](const Piece& a, const Piece& b) { return a.length < b.length; });
                X.quantity = R.quantity;
                X.UpdateSignature(true);
                if (X.ratio > 1 && !NumEqual(X.ratio, 1.0)) {
                    cancelled = true;
                    break;
                }
                Blank& Q = work.cuttings[static_cast<size_t>(j)];
                Q.quantity -= R.quantity;
                Q.UpdateSignature(true);
                work.cuttings.push_back(X);
            }
            if (cancelled) {
                work = saved;
                continue;
            }
            MergeEqualPatterns(work, true);
            work.props.Clear();
            Refresh(work, true);
            ComputeSummary(subOptions, work);
            if (work.signature == best.signature)
                continue;
            if (IsBetterLayout(options, best, work)) {
                best = work;
                improved = true;
                restart = true;
                break;
            }
            // Not better on its own: later moves build on it.
        }
    }
    if (improved)
        layout = best;
    return improved;
}

bool Solver::ResolveSingleBars(const DProps& options, const DProps& subOptions, Layout& layout)
{
    Layout work = layout;
    Layout sub;
    std::vector<Blank> kept;
    for (const Blank& p : work.cuttings) {
        if (p.quantity > 1) {
            kept.push_back(p);
            continue;
        }
        Blank stock(p.id, DProps::GetDouble(p.props, "blank.length"), 1, p.knife, p.indent);
        stock.props.SetString("cost", DProps::GetString(p.props, "blank.cost"));
        sub.AddBlank(stock);
        for (const Piece& piece : p.pieces)
            sub.AddPiece(piece);
    }
    if (SumQuantitiesAtLeast(-1, sub.pieces) == 0)
        return false;
    work.cuttings = kept;
    if (!RunSubProblem(*this, subOptions, sub))
        return false;
    work.cuttings.insert(work.cuttings.end(), sub.cuttings.begin(), sub.cuttings.end());
    MergeEqualPatterns(work, true);
    work.props.Clear();
    Refresh(work, true);
    ComputeSummary(subOptions, work);
    if (!IsBetterLayout(options, layout, work))
        return false;
    layout = work;
    return true;
}
