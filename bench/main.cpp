// Solver benchmark: reads cutting problems and solves each the way a material
// calculation does: two passes, modes 0 and 2, four worker pools, the better
// result kept. Prints one line per instance and a summary.
//
// Two input forms. The common cutting-stock text format: the number of part
// kinds, the bar length, then one "length quantity" line per kind (one
// unlimited stock length). And a form with several stock lengths:
//     stock M KERF TRIM
//     LENGTH QUANTITY COST        (M lines; quantity 0 means unlimited)
//     KINDS
//     LENGTH QUANTITY             (KINDS lines)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <windows.h>

#include "engine/FinderGenerator.h"
#include "engine/Solver.h"
#include "engine/Trace.h"
#include "foundation/ULog.h"

using namespace CUTTING;

namespace {

struct Stock {
    double length = 0.0;
    long quantity = 0;  // 0: unlimited
    double cost = 1.0;
};

struct Instance {
    std::string name;
    std::vector<Stock> stock;
    bool ownCuts = false;  // kerf and trim come from the file
    double kerf = 0.0;
    double trim = 0.0;
    std::vector<std::pair<double, long>> parts;  // length, quantity
};

struct Settings {
    double kerf = 0.0;
    double trim = 0.0;
    long repeats = 1;
    bool seeded = false;
    unsigned seed = 0;
    FILE* dump = nullptr;
    long trace = 0;
};

// The solver's trace lines, which otherwise go to a debugger.
void TraceToStderr(const char* text)
{
    fputs(text, stderr);
}

bool ReadInstance(const char* path, Instance& out)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string first;
    if (!(in >> first))
        return false;
    long kinds = 0;
    if (first == "stock") {
        long m = 0;
        if (!(in >> m >> out.kerf >> out.trim) || m < 1)
            return false;
        out.ownCuts = true;
        for (long i = 0; i < m; ++i) {
            Stock s;
            if (!(in >> s.length >> s.quantity >> s.cost) || s.quantity < 0)
                return false;
            out.stock.push_back(s);
        }
        if (!(in >> kinds) || kinds < 0)
            return false;
    } else {
        Stock s;
        kinds = atol(first.c_str());
        if (!(in >> s.length) || kinds < 0)
            return false;
        out.stock.push_back(s);
    }
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

double Kerf(const Instance& inst, const Settings& s)
{
    return inst.ownCuts ? inst.kerf : s.kerf;
}

double Trim(const Instance& inst, const Settings& s)
{
    return inst.ownCuts ? inst.trim : s.trim;
}

// The input a material pass builds: the stock lengths (quantity below 1 is
// unlimited), parts longest first and merged by equal length.
Layout BuildLayout(const Instance& inst, const Settings& s)
{
    Layout layout;
    long stockId = 0;
    for (const Stock& st : inst.stock) {
        Blank stock(++stockId, st.length, st.quantity < 1 ? UnlimitedQuantity : st.quantity, Kerf(inst, s),
                    Trim(inst, s));
        stock.props.Set("name", "bar");
        stock.props.SetDouble("cost", st.cost, "%f");
        layout.blanks.push_back(stock);
    }

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

// First-fit decreasing under the program's cutting rule, as a reference: each
// part, longest first, goes into the first bar that still holds it. Only for
// one stock length in unlimited supply; -1 otherwise.
long FirstFitDecreasing(const Instance& inst, const Settings& s)
{
    if (inst.stock.size() != 1 || inst.stock[0].quantity > 0)
        return -1;
    const double L = inst.stock[0].length;
    const double K = Kerf(inst, s);
    const double I = Trim(inst, s);
    std::vector<double> lengths;
    for (const auto& p : inst.parts)
        for (long i = 0; i < p.second; ++i)
            lengths.push_back(p.first);
    std::sort(lengths.begin(), lengths.end(), [](double a, double b) { return a > b; });
    struct Bar {
        double sum = 0.0;
        long count = 0;
    };
    std::vector<Bar> bars;
    // The bar holds the parts as UsedFraction with trim says, the test the
    // engine's own TryAddPiece makes; a bar's parts are summed directly.
    const auto fits = [&](const Bar& b, double length) {
        const long q = b.count + 1;
        double used = b.sum + length + (q - 1) * K;
        if (std::fabs(L - used) < 1e-7)
            return true;
        used += K;
        return (L - I == 0.0 ? 0.0 : used / (L - I)) <= 1.0;
    };
    for (double length : lengths) {
        size_t i = 0;
        while (i < bars.size() && !fits(bars[i], length))
            ++i;
        if (i == bars.size()) {
            if (!fits(Bar(), length))
                continue;  // fits no bar at all
            bars.emplace_back();
        }
        bars[i].sum += length;
        ++bars[i].count;
    }
    return static_cast<long>(bars.size());
}

void DumpProps(FILE* f, const char* indent, const DProps& props)
{
    for (int i = 0; i < props.Count(); ++i)
        fprintf(f, "%s%s=%s\n", indent, props.GetKeyAt(i), props.GetValueAt(i));
}

// Everything a solution holds, as text, so that two builds' results can be
// compared byte for byte.
void DumpLayout(FILE* f, const std::string& title, const Layout& layout)
{
    fprintf(f, "== %s\n", title.c_str());
    fprintf(f, "signature %s\n", layout.signature.c_str());
    DumpProps(f, "  ", layout.props);
    for (const Blank& c : layout.cuttings) {
        fprintf(f, "cutting %s x%ld\n", c.signature.c_str(), c.quantity);
        DumpProps(f, "  ", c.props);
    }
    for (const Blank& b : layout.blanks) {
        fprintf(f, "stock %ld left %ld\n", b.id, b.quantity);
        DumpProps(f, "  ", b.props);
    }
    for (const Piece& p : layout.orphans)
        if (p.quantity != 0)
            fprintf(f, "unplaced %ld %.5f x%ld\n", p.id, p.length, p.quantity);
}

struct RunResult {
    long bars = 0;
    long unplaced = 0;
    double seconds = 0.0;
    double cpu = 0.0;  // processor seconds of all threads
};

// Processor time of the whole process so far, user and kernel, all threads:
// on a busy machine it says more about the work done than the clock does.
double ProcessSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

RunResult SolveOnce(const Instance& inst, const Settings& s, unsigned seed, long run)
{
    const uint64_t start = TimeNowMs();
    const double cpuStart = ProcessSeconds();
    FinderGenerator::SetFixedSeed(s.seeded, seed);
    Solver solver;
    Layout best;
    bool have = false;
    for (const char* mode : {"0", "2"}) {
        Layout work = BuildLayout(inst, s);
        DProps options = PassOptions(mode);
        if (s.trace > 0) {
            options.SetLong("trace", s.trace);
            fprintf(stderr, "==== %s run %ld mode %s\n", inst.name.c_str(), run, mode);
        }
        if (!solver.Solve(work, options, nullptr))
            continue;
        if (s.dump)
            DumpLayout(s.dump, inst.name + " run " + std::to_string(run) + " mode " + mode, work);
        if (!have || Solver::IsBetterLayout(options, best, work)) {
            best = work;
            have = true;
        }
    }
    RunResult r;
    r.seconds = static_cast<double>(TimeNowMs() - start) / 1000.0;
    r.cpu = ProcessSeconds() - cpuStart;
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
            "usage: bravik_bench [--kerf=K] [--trim=T] [--repeats=N] [--seed=S] [--dump=FILE] FILE...\n"
            "  --kerf, --trim  kerf and edge trim of the bar (default 0; files with stock lines carry their own)\n"
            "  --repeats       runs per instance; bars and seconds are given as median and worst\n"
            "  --seed          fixes the random seeds of each run (seed + run number) instead of the clock\n"
            "  --dump          writes every solution in full to FILE, to compare builds\n"
            "  --trace         the solver's trace level; its lines go to the standard error\n");
}

}  // namespace

int main(int argc, char** argv)
{
    Settings s;
    std::vector<const char*> files;
    const char* dumpPath = nullptr;
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
        } else if (strncmp(a, "--dump=", 7) == 0)
            dumpPath = a + 7;
        else if (strncmp(a, "--trace=", 8) == 0)
            s.trace = atol(a + 8);
        else if (a[0] == '-') {
            Usage();
            return 2;
        } else
            files.push_back(a);
    }
    if (files.empty()) {
        Usage();
        return 2;
    }
    if (s.trace > 0)
        SetTraceSink(&TraceToStderr);
    if (dumpPath) {
        s.dump = fopen(dumpPath, "wb");
        if (!s.dump) {
            fprintf(stderr, "%s: cannot write\n", dumpPath);
            return 2;
        }
    }

    long instances = 0, barsAll = 0, overAll = 0, unplacedAll = 0, ffdAll = 0, ffdCount = 0, worseThanFfd = 0;
    double secondsAll = 0.0, cpuAll = 0.0;
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
        // With several stock lengths it counts bars of the longest.
        double longest = 0.0;
        for (const Stock& st : inst.stock)
            longest = std::max(longest, st.length);
        const long bound = longest > 0 ? static_cast<long>(std::ceil(total / longest - 1e-9)) : 0;
        const long ffd = FirstFitDecreasing(inst, s);

        std::vector<long> bars, unplaced;
        std::vector<double> seconds, cpu;
        for (long r = 0; r < s.repeats; ++r) {
            const RunResult res = SolveOnce(inst, s, s.seed + static_cast<unsigned>(r), r);
            bars.push_back(res.bars);
            unplaced.push_back(res.unplaced);
            seconds.push_back(res.seconds);
            cpu.push_back(res.cpu);
            secondsAll += res.seconds;
            cpuAll += res.cpu;
        }
        const long barsMedian = Median(bars);
        const long unplacedMedian = Median(unplaced);
        ++instances;
        barsAll += barsMedian;
        overAll += barsMedian - bound;
        unplacedAll += unplacedMedian;
        char ffdText[32] = "    -";
        if (ffd >= 0) {
            snprintf(ffdText, sizeof(ffdText), "%5ld", ffd);
            ffdAll += ffd;
            ++ffdCount;
            if (barsMedian > ffd && unplacedMedian == 0)
                ++worseThanFfd;
        }
        if (s.repeats > 1)
            printf("%-24s parts %5ld  bars %5ld (worst %ld)  bound %5ld  ffd %s  unplaced %ld  seconds %.2f (worst "
                   "%.2f)  cpu %.2f\n",
                   inst.name.c_str(), parts, barsMedian, *std::max_element(bars.begin(), bars.end()), bound, ffdText,
                   unplacedMedian, Median(seconds), *std::max_element(seconds.begin(), seconds.end()), Median(cpu));
        else
            printf("%-24s parts %5ld  bars %5ld  bound %5ld  ffd %s  unplaced %ld  seconds %.2f  cpu %.2f\n",
                   inst.name.c_str(), parts, barsMedian, bound, ffdText, unplacedMedian, seconds[0], cpu[0]);
        fflush(stdout);
    }
    printf("summary: instances %ld  bars %ld  over bound %ld  ffd bars %ld (of %ld)  worse than ffd %ld  unplaced %ld  "
           "seconds %.2f  cpu %.2f\n",
           instances, barsAll, overAll, ffdAll, ffdCount, worseThanFfd, unplacedAll, secondsAll, cpuAll);
    if (s.dump)
        fclose(s.dump);
    return failed == 0 ? 0 : 1;
}
