// Stop benchmark: how long the solver takes to return once its stop flag is
// set, on materials of many part rows. A console program, never shipped and
// never run by the tests.
//
// Each material is solved the way a material pass does it (mode 0, four
// worker pools, two stock lengths without limit, kerf 3), on a thread of its
// own; the flag is set after each of the given delays in turn, each time on a
// fresh run, and the seconds from the flag to Solve's return are printed.
// Part lengths either repeat as users type them (a few thousand kinds) or are
// all different (as many kinds as rows).
//
//   bravik_stop_bench [--rows=N,N,...] [--after=MS,MS,...] [--kinds=repeating|distinct|both]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchOptions.h"
#include "engine/FinderGenerator.h"
#include "engine/Solver.h"
#include "foundation/ULog.h"

using namespace CUTTING;

namespace {

// A material pass's input: the stock, and the part rows merged by length,
// shortest first as the rows are sorted before merging.
Layout Material(long rows, bool distinct)
{
    Layout layout;
    long stockId = 0;
    for (double length : {6000.0, 12000.0}) {
        Blank stock(++stockId, length, UnlimitedQuantity, 3.0, 0.0);
        stock.props.Set("name", "bar");
        stock.props.SetDouble("cost", length / 480.0, "%f");
        layout.blanks.push_back(stock);
    }
    std::vector<std::pair<double, long>> parts;
    parts.reserve(static_cast<size_t>(rows));
    for (long i = 0; i < rows; ++i) {
        const double length = distinct ? 250.0 + static_cast<double>((i * 7919) % rows) * 2000.0 / rows
                                       : static_cast<double>(250 + (i * 37) % 2400);
        parts.emplace_back(length, 1 + i % 4);
    }
    std::stable_sort(parts.begin(), parts.end(),
                     [](const std::pair<double, long>& a, const std::pair<double, long>& b) { return a.first < b.first; });
    long id = 0;
    for (const auto& p : parts) {
        if (!layout.pieces.empty() && std::fabs(layout.pieces.back().length - p.first) < 1e-7) {
            layout.pieces.back().quantity += p.second;
            continue;
        }
        layout.pieces.emplace_back(++id, p.first, p.second);
    }
    return layout;
}

DProps PassOptions()
{
    DProps o;
    o.Set("optimize", "0");
    o.Set("level", "0");
    o.Set("diversity", "0");
    o.Set("remnants", "0");
    o.Set("mode", "0");
    o.Set("shift", "0.");
    o.Set("ratio", "0.");
    o.Set("threads", "4");
    return o;
}

struct Run {
    Layout layout;
    DProps options;
    StopFlag stop{0};
    Solver solver;
};

DWORD WINAPI SolveThread(void* arg)
{
    Run* run = static_cast<Run*>(arg);
    run->solver.Solve(run->layout, run->options, &run->stop);
    return 0;
}

// Seconds from setting the flag after delayMs to Solve's return; a negative
// value is the seconds the run took when it ended before the flag was set.
double StopLatency(long rows, bool distinct, long delayMs)
{
    Run run;
    run.layout = Material(rows, distinct);
    run.options = PassOptions();
    FinderGenerator::SetFixedSeed(true, 1);
    const uint64_t start = TimeNowMs();
    HANDLE thread = CreateThread(nullptr, 0, &SolveThread, &run, 0, nullptr);
    if (!thread)
        return 0.0;
    if (WaitForSingleObject(thread, static_cast<DWORD>(delayMs)) == WAIT_OBJECT_0) {
        CloseHandle(thread);
        return -static_cast<double>(TimeNowMs() - start) / 1000.0;
    }
    const uint64_t stopped = TimeNowMs();
    run.stop.store(1);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return static_cast<double>(TimeNowMs() - stopped) / 1000.0;
}

void Usage()
{
    std::fprintf(stderr,
                 "usage: bravik_stop_bench [--rows=N,N,...] [--after=MS,MS,...] [--kinds=repeating|distinct|both]\n"
                 "  seconds from setting the solver's stop flag to the solver's return, per number of\n"
                 "  part rows and per delay after the start; the worst of the delays is the 'worst' column\n");
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<long> rows = {2000, 20000};
    std::vector<long> after = {500, 2000, 5000};
    std::vector<bool> kinds = {false, true};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rows=", 7) == 0) {
            rows = ReadList(argv[i] + 7);
        } else if (std::strncmp(argv[i], "--after=", 8) == 0) {
            after = ReadList(argv[i] + 8);
        } else if (std::strcmp(argv[i], "--kinds=repeating") == 0) {
            kinds = {false};
        } else if (std::strcmp(argv[i], "--kinds=distinct") == 0) {
            kinds = {true};
        } else if (std::strcmp(argv[i], "--kinds=both") == 0) {
            kinds = {false, true};
        } else {
            Usage();
            return 2;
        }
    }
    for (bool distinct : kinds) {
        for (long n : rows) {
            double worst = 0.0;
            std::string line;
            for (long ms : after) {
                const double latency = StopLatency(n, distinct, ms);
                char cell[64];
                if (latency < 0)
                    std::snprintf(cell, sizeof cell, "  @%ldms done in %.2f", ms, -latency);
                else
                    std::snprintf(cell, sizeof cell, "  @%ldms %.3f", ms, latency);
                line += cell;
                worst = std::max(worst, latency);
            }
            std::printf("stop %-9s %8ld part rows  worst %8.3f s %s\n", distinct ? "distinct" : "repeating", n,
                        worst, line.c_str());
            std::fflush(stdout);
        }
    }
    return 0;
}
