// Solver benchmark: reads cutting problems in the common text format (number of
// part kinds, bar length, then one "length quantity" line per kind) and solves each
// the way a material calculation does: two passes, modes 0 and 2, four worker
// pools, the better result kept. Prints one line per instance and a summary.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/FinderGenerator.h"
#include "engine/Solver.h"
#include "foundation/ULog.h"

using namespace CUTTING;

namespace {

struct Instance {
    std::string name;
    double barLength = 0.0;
    std::vector<std::pair<double, long>> parts;  // length, quantity
};

struct Settings {
    double kerf = 0.0;
    double trim = 0.0;
    long repeats = 1;
    bool seeded = false;
    unsigned seed = 0;
};

bool ReadInstance(const char* path, Instance& out)
{
    std::ifstream in(path);
    if (!in)
        return false;
    long kinds = 0;
    if (!(in >> kinds >> out.barLength) || kinds < 0)
        return false;
    for (long i = 0; i < kinds; ++i) {
        double length = 0.0;
        long quantity = 0;
        if (!(in >> length >> quantity))
            return false;
        out.parts.emplace_back(length, quantity);
    }
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            base = p + 1;
    out.name = base;
    return true;
}

// The input a material pass builds: one unlimited stock length, parts longest
// first and merged by equal length.
Layout BuildLayout(const Instance& inst, const Settings& s)
{
    Layout layout;
    Blank stock(1, inst.barLength, UnlimitedQuantity, s.kerf, s.trim);
    stock.props.Set("name", "bar");
    stock.props.SetDouble("cost", 1.0, "%f");
    layout.blanks.push_back(stock);

    std::vector<std::pair<double, long>> parts = inst.parts;
    std::stable_sort(parts.begin(), parts.end(),
                     [](const std::pair<double, long>& a, const std::pair<double, long>& b) { return a.first > b.first; });
    long id = 0;
    for (const auto& p : parts) {
        if (!layout.pieces.empty() && std::fabs(layout.pieces.back().length - p.first) < 1e-7) {
            layout.pieces.back().quantity = std::max(0L, layout.pieces.back().quantity + p.second);
            continue;
        }
        layout.pieces.emplace_back(++id, p.first, p.second);
    }
    return layout;
}

DProps PassOptions(const char* mode)
{
    DProps o;
    o.Set("optimize", "0");
    o.Set("level", "0");
    o.Set("diversity", "0");
    o.Set("remnants", "0");
    o.Set("mode", mode);
    o.Set("shift", "0.");
    o.Set("ratio", "0.");
    o.Set("threads", "4");
    return o;
}

struct RunResult {
    long bars = 0;
    long unplaced = 0;
    double seconds = 0.0;
};

RunResult SolveOnce(const Instance& inst, const Settings& s, unsigned seed)
{
    const uint64_t start = TimeNowMs();
    FinderGenerator::SetFixedSeed(s.seeded, seed);
    Solver solver;
    Layout best;
    bool have = false;
    DProps bestOptions;
    for (const char* mode : {"0", "2"}) {
        Layout work = BuildLayout(inst, s);
        DProps options = PassOptions(mode);
        if (!solver.Solve(work, options, nullptr))
            continue;
        if (!have || Solver::IsBetterLayout(options, best, work)) {
            best = work;
            have = true;
        }
    }
    RunResult r;
    r.seconds = static_cast<double>(TimeNowMs() - start) / 1000.0;
    if (have) {
        for (const Blank& c : best.cuttings)
            r.bars += c.quantity;
        r.unplaced = SumPieceQuantities(best.orphans);
    } else {
        r.unplaced = SumPieceQuantities(BuildLayout(inst, s).pieces);
    }
    return r;
}

template <class T>
T Median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[(v.size() - 1) / 2];
}

void Usage()
{
    fprintf(stderr,
            "usage: bravik_bench [--kerf=K] [--trim=T] [--repeats=N] [--seed=S] FILE...\n"
            "  --kerf, --trim  kerf and edge trim of the bar (default 0)\n"
            "  --repeats       runs per instance; bars and seconds are given as median and worst\n"
            "  --seed          fixes the random seeds of each run (seed + run number) instead of the clock\n");
}

}  // namespace

int main(int argc, char** argv)
{
    Settings s;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (strncmp(a, "--kerf=", 7) == 0)
            s.kerf = atof(a + 7);
        else if (strncmp(a, "--trim=", 7) == 0)
            s.trim = atof(a + 7);
        else if (strncmp(a, "--repeats=", 10) == 0)
            s.repeats = std::max(1L, atol(a + 10));
        else if (strncmp(a, "--seed=", 7) == 0) {
            s.seeded = true;
            s.seed = static_cast<unsigned>(strtoul(a + 7, nullptr, 10));
        } else if (a[0] == '-') {
            Usage();
            return 2;
        } else
            files.push_back(a);
    }
    if (files.empty()) {
        Usage();
        return 2;
    }

    long instances = 0, barsAll = 0, overAll = 0, unplacedAll = 0;
    double secondsAll = 0.0;
    int failed = 0;
    for (const char* path : files) {
        Instance inst;
        if (!ReadInstance(path, inst)) {
            fprintf(stderr, "%s: cannot read\n", path);
            ++failed;
            continue;
        }
        long parts = 0;
        double total = 0.0;
        for (const auto& p : inst.parts) {
            parts += p.second;
            total += p.first * p.second;
        }
        // The simple bound ignores kerf and trim: no packing can need fewer bars.
        const long bound = inst.barLength > 0 ? static_cast<long>(std::ceil(total / inst.barLength - 1e-9)) : 0;

        std::vector<long> bars, unplaced;
        std::vector<double> seconds;
        for (long r = 0; r < s.repeats; ++r) {
            const RunResult res = SolveOnce(inst, s, s.seed + static_cast<unsigned>(r));
            bars.push_back(res.bars);
            unplaced.push_back(res.unplaced);
            seconds.push_back(res.seconds);
            secondsAll += res.seconds;
        }
        const long barsMedian = Median(bars);
        const long unplacedMedian = Median(unplaced);
        ++instances;
        barsAll += barsMedian;
        overAll += barsMedian - bound;
        unplacedAll += unplacedMedian;
        if (s.repeats > 1)
            printf("%-24s parts %5ld  bars %5ld (worst %ld)  bound %5ld  unplaced %ld  seconds %.2f (worst %.2f)\n",
                   inst.name.c_str(), parts, barsMedian, *std::max_element(bars.begin(), bars.end()), bound,
                   unplacedMedian, Median(seconds), *std::max_element(seconds.begin(), seconds.end()));
        else
            printf("%-24s parts %5ld  bars %5ld  bound %5ld  unplaced %ld  seconds %.2f\n", inst.name.c_str(), parts,
                   barsMedian, bound, unplacedMedian, seconds[0]);
        fflush(stdout);
    }
    printf("summary: instances %ld  bars %ld  over bound %ld  unplaced %ld  seconds %.2f\n", instances, barsAll,
           overAll, unplacedAll, secondsAll);
    return failed == 0 ? 0 : 1;
}
