// The solver: turns a layout's stock and demand into cutting patterns by a greedy
// main loop with look-ahead in its candidates, run in up to two phases, each result
// improved by post-optimisation. Progress is published for other threads to poll.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/Cutting.h"
#include "engine/Finder.h"
#include "engine/Fitness.h"
#include "engine/PatternPool.h"
#include "engine/SolverStatus.h"
#include "engine/Trace.h"
#include "foundation/DProps.h"

class Solver {
public:
    Solver();
    virtual ~Solver();

    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    // Solves in place. Leaves "progress" "0" and the result code (SolverStatus)
    // under "status" in the options. True when the layout ends with at least one cutting, even after
    // a stop. stop may be null (never stopped).
    virtual bool Solve(CUTTING::Layout& layout, DProps& options, const StopFlag* stop);
    // Copies the progress values into out under the status lock; returns out's count.
    // Safe from any thread while Solve runs.
    virtual long GetStatus(DProps& out);

    // Caps every part kind's demand at what the stock can hold and makes kinds that
    // fit fewer stock lengths weigh more.
    void PrepareDemand(CUTTING::Layout& layout);
    // One run of the greedy loop; writes "status" into the options.
    bool MainLoop(DProps& options, CUTTING::Layout& layout);

    // Relative fitness threshold of the selection when the options carry none.
    double DefaultThreshold() const;
    // Picks one candidate, applies it to B and appends the result to N; 0 when cand
    // is empty, else 2.
    long SelectPattern(CUTTING::Layout& B, CUTTING::PatternPool& cand, std::vector<CUTTING::Layout>& N,
                       const DProps& options);
    // True when candidate is the better of two complete layouts.
    static bool IsBetterLayout(const DProps& options, const CUTTING::Layout& current,
                               const CUTTING::Layout& candidate);
    // Tries to save bars by filling offcuts and re-solving single bars; true when
    // the layout was replaced.
    bool PostOptimise(const DProps& options, CUTTING::Layout& layout);

    bool IsStopped() const;

    // Published progress of a main-loop step: 100 x sqrt(placed share) to the
    // nearest integer, kept within 1..99 while the loop runs.
    static long ProgressPercent(long need, long open);

protected:
    DProps m_status;                          // "step", "blank.used", "piece.done", ...
    const FitnessFunction* m_fitness = nullptr;
    FFBasic* m_basic = nullptr;               // the Solve call's own function, for its mode
    TraceRecord m_trace;
    const StopFlag* m_stop = nullptr;
    int64_t m_startTime = 0;
    long m_need = 0;        // open demand when the current main-loop run began
    long m_open = 0;        // open demand of the current partial solution
    long m_stockTotal = 0;  // stock at the start of the current run
    long m_stockLeft = 0;   // stock of the current partial solution

private:
    void PublishStep(long step, long avail, long left, long need, long open);
    bool FillOffcuts(const DProps& options, const DProps& subOptions, CUTTING::Layout& layout);
    bool ResolveSingleBars(const DProps& options, const DProps& subOptions, CUTTING::Layout& layout);
};

// Parts of one bar of a pattern: their count, and their length without kerfs.
long BarPartCount(const CUTTING::Blank& pattern);
double BarPartLength(const CUTTING::Blank& pattern);
// Total length of the parts cut in the layout, kerfs not counted.
double CutPartLength(const CUTTING::Layout& layout);
