#include "engine/Solver.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <memory>

#include <windows.h>

#include "engine/FinderGenerator.h"
#include "engine/LateRelease.h"
#include "engine/LayoutStats.h"
#include "engine/Pattern.h"
#include "foundation/DLock.h"
#include "foundation/ULog.h"

using namespace CUTTING;

namespace {

int64_t NowMs()
{
    return static_cast<int64_t>(TimeNowMs());
}

// Nearest integer, halves away from zero.
long RoundHalfAway(double x)
{
    return static_cast<long>(x >= 0 ? x + 0.5 : x - 0.5);
}

}  // namespace

Solver::Solver() = default;
Solver::~Solver() = default;

bool Solver::IsStopped() const
{
    // Another thread sets the flag; the atomic load keeps every poll a real read.
    return m_stop != nullptr && m_stop->load(std::memory_order_relaxed) != 0;
}

long Solver::GetStatus(DProps& out)
{
    DAutoLock guard(&m_status.GetLock());
    out.CopyFrom(&m_status);
    return out.Count();
}

bool Solver::Solve(Layout& layout, DProps& options, const StopFlag* stop)
{
    const Layout input = layout;
    const long mode = DProps::GetLong(options, "mode");

    m_startTime = NowMs();
    // Results differ from run to run by design; tests and the benchmark fix the
    // engine's seed through the generating finder's hook.
    unsigned seed = 0;
    srand(FinderGenerator::FixedSeed(&seed) ? seed : static_cast<unsigned>(GetTickCount()));
    m_stop = stop;

    m_need = m_open = SumQuantitiesAtLeast(-1, layout.pieces);
    m_stockTotal = m_stockLeft = SumBlankQuantities(-1, layout.blanks);

    m_status.SetLong("step", 0);
    m_status.SetLong("blank.used", 0);
    m_status.SetLong("piece.done", 0);
    m_status.SetLong("piece.need", m_need);
    m_status.SetLong("progress", 1);
    m_status.SetLong("time.gone", 0);

    MFcLog10 wasteCurve;
    MFcLog10 cutsCurve;
    FFBasic basic;
    basic.wasteCurve = &wasteCurve;
    basic.cutsCurve = &cutsCurve;
    basic.ratioUnit = DProps::GetDouble(options, "ratio");
    basic.shift = DProps::GetDouble(options, "shift");
    basic.mode = false;
    m_basic = &basic;
    m_fitness = &basic;

    const bool postOptimise = DProps::GetLong(options, "diversity") == 0;

    PrepareDemand(layout);
    options.Set("progress", "98");
    MainLoop(options, layout);
    options.Set("progress", "0");
    if (postOptimise)
        PostOptimise(options, layout);

    if (!IsStopped()) {
        // Unplaced parts count against the demand as passed in, so kinds that no
        // stock can hold show up here.
        const long open = RemainingPieces(layout.orphans, layout, &input.pieces);
        if (open > 0) {
            // Second phase: the same problem with twice the stock, cut back to the
            // real stock afterwards.
            Layout q = input;
            basic.mode = mode != 0;
            for (Blank& b : q.blanks)
                b.quantity *= 2;
            PrepareDemand(q);
            MainLoop(options, q);
            basic.mode = false;
            for (Piece& p : q.pieces)
                p.weight = 1.0;
            if (postOptimise)
                PostOptimise(options, q);
            for (size_t i = 0; i < q.blanks.size() && i < input.blanks.size(); ++i)
                q.blanks[i].quantity = input.blanks[i].quantity;
            ClampToStock(q);
            const long open2 = RemainingPieces(q.orphans, q, &input.pieces);
            if (open2 <= open) {
                MergeEqualPatterns(q, false);
                q.score = basic.LayoutScore(q);
                Refresh(q, true);
                q.pieces = input.pieces;
                ComputeSummary(options, q);
                if (IsBetterLayout(options, layout, q))
                    layout = q;
            }
        }
    }

    layout.pieces = input.pieces;
    {
        DAutoLock guard(&m_status.GetLock());
        if (!IsStopped())
            m_status.SetLong("progress", 100);
        m_status.SetLong("time.gone", static_cast<long>((NowMs() - m_startTime) / 1000));
    }
    SortPatterns(OrderByStock, layout.cuttings);
    m_basic = nullptr;
    m_fitness = nullptr;
    return !layout.cuttings.empty();
}

void Solver::PrepareDemand(Layout& layout)
{
    m_stockTotal = SumBlankQuantities(-1, layout.blanks);
    const long n = static_cast<long>(layout.blanks.size());
    for (Piece& p : layout.pieces) {
        // Unlimited stock counts a million bars (two in the second phase), which
        // times a bar's count easily passes 32 bits.
        int64_t capacity = 0;
        for (const Blank& s : layout.blanks) {
            capacity += static_cast<int64_t>(FitCount(s, p)) * s.quantity;
            if (capacity > p.quantity)
                break;
        }
        if (capacity < p.quantity) {
            p.quantity = static_cast<long>(capacity);
            continue;
        }
        long k = 0;
        for (const Blank& s : layout.blanks)
            if (s.length >= p.length)
                ++k;
        if (k == 0)
            p.quantity = 0;
        else if (k < n)
            p.weight = static_cast<double>(n - k) / n + 1;
    }
    m_need = m_open = SumQuantitiesAtLeast(-1, layout.pieces);
    m_stockLeft = m_stockTotal;
}

void Solver::PublishStep(long step, long avail, long left, long need, long open)
{
    DAutoLock guard(&m_status.GetLock());
    m_status.SetLong("step", step);
    m_status.SetLong("blank.used", avail - left);
    m_status.SetLong("piece.done", need - open);
    m_status.SetLong("time.gone", static_cast<long>((NowMs() - m_startTime) / 1000));
    m_status.SetLong("progress", ProgressPercent(need, open));
}

long Solver::ProgressPercent(long need, long open)
{
    const double x = need == 0 ? 0.0 : 100.0 * std::sqrt(static_cast<double>(need - open) / need);
    return std::min(99L, std::max(1L, RoundHalfAway(x)));
}

bool Solver::MainLoop(DProps& options, Layout& layout)
{
    if (m_fitness == nullptr)
        return false;
    const long progressAtEnd = DProps::GetLong(options, "progress");

    std::stable_sort(layout.pieces.begin(), layout.pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.length < b.length; });
    layout.cuttings.clear();
    layout.state = 2;

    const std::vector<Piece> demand = layout.pieces;
    const long need = SumQuantitiesAtLeast(-1, demand);
    const long avail = SumBlankQuantities(-1, layout.blanks);
    long step = 0;
    long last = -1;
    long open = 0;
    long left = 0;

    std::vector<Layout> partial(1, layout);
    // A generator per stock length keeps its fixed set from step to step.
    std::vector<std::unique_ptr<FinderGenerator>> generators;
    for (size_t i = 0; i < layout.blanks.size(); ++i)
        generators.push_back(std::make_unique<FinderGenerator>());
    FinderEnumerator enumerator;
    const std::string remnants = DProps::GetString(options, "remnants");

    for (;;) {
        if (IsStopped())
            break;
        Layout b = partial.front();
        open = SumQuantitiesAtLeast(-1, b.pieces);
        left = SumBlankQuantities(-1, b.blanks);
        m_open = open;
        m_stockLeft = left;
        ++step;
        if (progressAtEnd != 0)
            PublishStep(step, avail, left, need, open);

        if (open == 0 || open == last)
            break;
        last = open;
        if (left == 0)
            break;

        const std::vector<Blank> stock = b.blanks;
        std::vector<Layout> next;
        PatternPool cand;
        for (size_t i = 0; i < stock.size(); ++i) {
            if (IsStopped())
                break;
            const Blank& s = stock[i];
            if (s.quantity == 0)
                continue;
            std::vector<long> bounds;
            const uint64_t c = CombinationBounds(bounds, s, b.pieces);
            if (c == 0)
                continue;
            Finder* finder = (c >= 1 && c <= 1000) ? static_cast<Finder*>(&enumerator)
                                                   : static_cast<Finder*>(generators[i].get());
            Blank bar = s;
            bar.SetPieces(b.pieces);
            finder->Init(bar, bounds, c);
            finder->Run(m_fitness, options, m_stop);
            if (IsStopped())
                break;
            // Nothing fits this bar any more; the shorter stock after it is not
            // searched in this step.
            if (finder->results.Count() == 0 || BarPartCount(finder->results.patterns.front()) == 0)
                break;
            const std::string cost = DProps::GetString(s.props, "cost");
            for (Blank& p : finder->results.patterns) {
                p.props.SetLong("blank", s.id);
                p.props.SetString("blank.cost", cost);
                p.props.SetString("blank.remnants", remnants);
                p.props.SetDouble("blank.length", s.length, "%.5f");
            }
            // The proposals are read once, here, so they move rather than copy;
            // the candidates have no limit and no order, so nothing is dropped.
            std::vector<Blank>& proposals = finder->results.patterns;
            cand.patterns.insert(cand.patterns.end(), std::make_move_iterator(proposals.begin()),
                                 std::make_move_iterator(proposals.end()));
            proposals.clear();
        }
        if (IsStopped())
            break;
        SortPatterns(OrderBestFitness, cand.patterns);
        if (IsStopped())
            break;
        if (cand.Count() == 0 || cand.patterns.front().quantity == 0)
            continue;  // the next pass finds the open demand unchanged and leaves
        if (SelectPattern(b, cand, next, options) == 0)
            break;
        partial.swap(next);
    }
    if (IsStopped())
        ReleaseLater(std::move(generators));
    generators.clear();

    if (IsStopped()) {
        options.SetLong("status", kSolverStopped);
        return false;
    }
    options.SetLong("status", kSolverAllPlaced);
    if (open > 0)
        options.SetLong("status", left != 0 ? kSolverPartsLeft : kSolverOutOfStock);

    layout = partial.front();
    layout.score = m_fitness->LayoutScore(layout);
    Refresh(layout, true);
    layout.pieces = demand;
    ComputeSummary(options, layout);
    if (IsStopped())
        return false;
    if (progressAtEnd != 0) {
        DAutoLock guard(&m_status.GetLock());
        m_status.SetLong("progress", std::min(100L, std::max(0L, progressAtEnd)));
    }
    return !layout.cuttings.empty();
}
