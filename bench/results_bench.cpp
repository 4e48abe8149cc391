// Results benchmark: what the program does once a calculation is over, for
// generated projects of three materials (200, 60 and 20 part rows, times the
// scale), in the program's own main window with the results page in front.
// A console program, never shipped and never run by the tests.
//
// Per scale it prints the seconds taken
//  - through the document alone: the three solutions applied (result rows
//    built), the rows rebuilt after an option changed, the warnings collected;
//  - in the window, as the program goes through them: the end of a
//    calculation of all materials (each solution applied, the broadcasts,
//    the warnings collected) and the end of a calculation of one material
//    after its solution was chosen, each until the window has handled every
//    message and painted.
//
// It uses only what older builds have too, so scripts/bench-results can build
// the same file against an older revision and show both side by side.
//
// With --save=FOLDER the projects of each scale are saved after both ends
// (results-<scale>-all.brvk, results-<scale>-one.brvk), so that the files of
// two builds can be compared.
//
//   bravik_results_bench [--scales=N,N,...] [--repeats=N] [--save=FOLDER]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/OXRWindow.h"
#include "appsvc/OXRApp.h"
#include "document/AppEvents.h"
#include "document/DCSSolution.h"
#include "engine/LayoutStats.h"
#include "foundation/DAuto.h"
#include "panels/WinProcess.h"
#include "BenchTiming.h"

namespace {

// ---- The project ------------------------------------------------------------------------------

// A fixed sequence, the same in every build.
struct Sequence {
    unsigned long state;
    long Next(long low, long high)
    {
        state = state * 1103515245UL + 12345UL;
        return low + static_cast<long>((state >> 8) % static_cast<unsigned long>(high - low + 1));
    }
};

DProps Row(std::initializer_list<std::pair<const char*, std::string>> entries)
{
    DProps row;
    for (const auto& e : entries)
        row.SetString(e.first, e.second);
    return row;
}

// Two stock lengths without limit, kerf 3, remnants from 300; part rows of
// 150 to 2500 in quantities of 1 to 12, each with a label.
void FillOrder(DCSProject& material, long parts, unsigned long seed)
{
    material.SetProperty("remnants", "300");
    material.AppendRows({Row({{"length", "6000"}, {"quantity", "0"}, {"knife", "3"}, {"cost", "12.5"}}),
                         Row({{"length", "4000"}, {"quantity", "0"}, {"knife", "3"}, {"cost", "9"}})},
                        1);
    Sequence random{seed};
    PropsList rows;
    for (long i = 0; i < parts; ++i) {
        const long length = random.Next(150, 2500);
        const long quantity = random.Next(1, 12);
        rows.push_back(Row({{"length", std::to_string(length)},
                            {"quantity", std::to_string(quantity)},
                            {"label", "P" + std::to_string(i + 1)}}));
    }
    material.AppendRows(rows, 2);
}

// A solution as a calculation leaves one: the parts, longest first, each on
// the first bar of 6000 with room for it, one piece in fifty left unplaced;
// bars that hold the same parts make one pattern; the engine's statistics.
CUTTING::Layout FirstFit(const DCSProject& material)
{
    CUTTING::Layout layout;
    material.BuildStockAndDemand(layout);
    const CUTTING::Blank& stock = layout.blanks.at(0);
    struct Bar {
        double left;
        std::vector<CUTTING::Piece> parts;
    };
    std::vector<Bar> bars;
    long counted = 0;
    for (const CUTTING::Piece& kind : layout.pieces) {
        for (long n = 0; n < kind.quantity; ++n) {
            if (++counted % 50 == 0)
                continue;
            const double need = kind.length + stock.knife;
            auto bar = std::find_if(bars.begin(), bars.end(), [need](const Bar& b) { return b.left >= need; });
            if (bar == bars.end()) {
                bars.push_back(Bar{stock.length, {}});
                bar = bars.end() - 1;
            }
            bar->left -= need;
            if (!bar->parts.empty() && bar->parts.back().id == kind.id)
                ++bar->parts.back().quantity;
            else
                bar->parts.push_back(CUTTING::Piece(kind.id, kind.length, 1));
        }
    }
    for (const Bar& bar : bars) {
        CUTTING::Blank pattern = stock;
        pattern.quantity = 1;
        pattern.pieces = bar.parts;
        pattern.props.SetLong("blank", stock.id);
        pattern.props.SetString("blank.cost", DProps::GetString(stock.props, "cost", ""));
        pattern.UpdateSignature(true);
        auto same = std::find_if(layout.cuttings.begin(), layout.cuttings.end(),
                                 [&pattern](const CUTTING::Blank& c) { return c.signature == pattern.signature; });
        if (same != layout.cuttings.end())
            ++same->quantity;
        else
            layout.cuttings.push_back(pattern);
    }
    CUTTING::RemainingPieces(layout.orphans, layout, nullptr);
    DProps options;
    options.SetString("remnants", DProps::GetString(material.GetProperties(), "remnants", ""));
    CUTTING::ComputeSummary(options, layout);
    return layout;
}

const char* const kMaterials[] = {"Steel", "Alu", "Wood"};
const long kPartRows[] = {200, 60, 20};

// ---- The window -------------------------------------------------------------------------------

// Every message handled and every window painted.
void UntilIdle(HWND main)
{
    for (;;) {
        ::RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        MSG msg;
        bool any = false;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (!any)
            return;
    }
}

// The document's services with the broadcast held back: what the document
// takes by itself, without the windows' answers.
class QuietServices : public DAppServices {
public:
    explicit QuietServices(DAppServices& app) : m_app(app) {}
    void OnAppEvent(long, long, const void*) override {}
    std::string FormatQuantity(int mode, bool withUnits, double value) override
    {
        return m_app.FormatQuantity(mode, withUnits, value);
    }
    std::string GetListSeparator(const char* key) override { return m_app.GetListSeparator(key); }
    bool GetLocaleSection(const char* name, DProps& out) override { return m_app.GetLocaleSection(name, out); }
    std::string GetLanguage() override { return m_app.GetLanguage(); }

private:
    DAppServices& m_app;
};

struct Timings {
    double apply = 0.0;     // document: the solutions applied
    double rows = 0.0;      // document: the rows rebuilt after "sort" changed
    double warnings = 0.0;  // document: each material's warnings, then the project's
    double all = 0.0;       // window: the end of a calculation of all materials
    double one = 0.0;       // window: the end of a calculation of one material
    long cuttings = 0;
};

void Keep(double& best, double value, bool first)
{
    if (first || value < best)
        best = value;
}

// A fresh project of the scale, opened as the application opens one, with
// the results page in front.
std::vector<CUTTING::Layout> OpenProject(OXRApp& app, OXRWindow& window, long scale)
{
    DCSSolution& doc = app.Document();
    doc.Reset();
    app.OnAppEvent(kEventProjectClosed, 0);
    doc.New("Bench", "", kMaterials[0]);
    for (int i = 1; i < 3; ++i)
        doc.AddMaterial(kMaterials[i], "");
    std::vector<CUTTING::Layout> layouts;
    for (long i = 0; i < 3; ++i) {
        DCSProject& material = *doc.GetProject(i, false);
        FillOrder(material, kPartRows[i] * scale, 7 + static_cast<unsigned long>(i));
        material.Refresh(true);
        layouts.push_back(FirstFit(material));
    }
    doc.UpdateFingerprint(true);
    app.OnAppEvent(kEventProjectOpened, 0);
    app.SelectMaterial(0);
    window.ShowWorkPanel(1);
    UntilIdle(window.m_hWnd);
    return layouts;
}

// The project saved into the folder under the name, when a folder is given.
void SaveInto(DCSSolution& doc, const std::string& folder, long scale, const char* what)
{
    if (folder.empty())
        return;
    const std::string path = folder + "\\results-" + std::to_string(scale) + "-" + what + ".brvk";
    if (!doc.Save(path.c_str()))
        std::printf("results bench: cannot write %s\n", path.c_str());
}

Timings BenchOnce(OXRApp& app, OXRWindow& window, long scale, const std::string& folder)
{
    Timings t;
    DCSSolution& doc = app.Document();

    // The document alone.
    std::vector<CUTTING::Layout> layouts = OpenProject(app, window, scale);
    {
        QuietServices quiet(app);
        SetAppServices(&quiet);
        Clock::time_point start = Clock::now();
        for (long i = 0; i < 3; ++i) {
            DCSProject& material = *doc.GetProject(i, false);
            material.SetLayout(layouts[static_cast<size_t>(i)]);
            material.ApplySolution(-1);
            t.cuttings += static_cast<long>(material.GetCuttingRows().size());
        }
        t.apply = SecondsSince(start);

        start = Clock::now();
        for (long i = 0; i < 3; ++i) {
            DCSProject& material = *doc.GetProject(i, false);
            material.SetProperty("sort", "1");
            material.RefreshResults();
        }
        t.rows = SecondsSince(start);

        start = Clock::now();
        for (long i = 0; i < 3; ++i)
            doc.GetProject(i, false)->UpdateWarnings();
        doc.CollectWarnings(true);
        t.warnings = SecondsSince(start);
        SetAppServices(&app);
    }

    // All materials, as the application ends their calculation: each best
    // solution applied, the broadcasts, the warnings collected.
    layouts = OpenProject(app, window, scale);
    Clock::time_point start = Clock::now();
    for (long i = 0; i < 3; ++i) {
        DCSProject& material = *doc.GetProject(i, true);
        material.SetLayout(layouts[static_cast<size_t>(i)]);
        material.ApplySolution(-1);
    }
    app.OnAppEvent(kEventSolutionsChanged, 0);
    doc.CollectWarnings(true);
    app.OnAppEvent(kEventProjectDataChanged, 0);
    UntilIdle(window.m_hWnd);
    t.all = SecondsSince(start);
    SaveInto(doc, folder, scale, "all");

    // The current material, as the results page ends its calculation once
    // a solution was chosen.
    layouts = OpenProject(app, window, scale);
    auto* results = dynamic_cast<WinProcess*>(window.m_resultsPage.get());
    start = Clock::now();
    DCSProject& current = *doc.GetProject(-1, false);
    current.SetLayout(layouts[0]);
    current.ApplySolution(-1);
    if (results)
        results->SetMaterial(&current);
    app.OnAppEvent(kEventProjectDataChanged, 0, nullptr);
    app.OnAppEvent(kEventCalculationFinished, 1, results);
    UntilIdle(window.m_hWnd);
    t.one = SecondsSince(start);
    SaveInto(doc, folder, scale, "one");
    return t;
}

bool SetUpApp(OXRApp& app)
{
    UMemory buffer(4096);
    if (!app.LoadResourceData("LOCALE", "Bravik.EN_US", buffer))
        return false;
    app.Locale().Parse(buffer.GetData());
    app.LoadLocale("en_US");
    app.CreateUiFonts();
    app.LoadNumberFormats();
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<long> scales = {1, 2, 5, 10};
    long repeats = 3;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--scales=", 0) == 0)
            scales = ReadList(arg.c_str() + 9);
        else if (arg.rfind("--repeats=", 0) == 0)
            repeats = std::max(1L, std::atol(arg.c_str() + 10));
        else if (arg.rfind("--save=", 0) == 0)
            folder = arg.substr(7);
    }

    OXRApp app;
    if (!SetUpApp(app)) {
        std::printf("results bench: the English locale is not embedded\n");
        return 2;
    }
    auto* window = new OXRWindow();
    if (!window->Create(kMainWindowTemplate, nullptr)) {
        std::printf("results bench: the main window could not be made\n");
        return 2;
    }
    app.SetMainWindow(window);
    app.m_pMainWnd = window;
    ::ShowWindow(window->m_hWnd, SW_SHOW);

    std::printf("%6s %9s %9s | %9s %9s %9s | %9s %9s\n", "scale", "part rows", "cuttings", "apply", "rows",
                "warnings", "all", "one");
    for (long scale : scales) {
        Timings best;
        for (long r = 0; r < repeats; ++r) {
            const Timings t = BenchOnce(app, *window, scale, folder);
            const bool first = r == 0;
            Keep(best.apply, t.apply, first);
            Keep(best.rows, t.rows, first);
            Keep(best.warnings, t.warnings, first);
            Keep(best.all, t.all, first);
            Keep(best.one, t.one, first);
            best.cuttings = t.cuttings;
        }
        long parts = 0;
        for (long n : kPartRows)
            parts += n * scale;
        std::printf("%5ldx %9ld %9ld | %9.3f %9.3f %9.3f | %9.3f %9.3f\n", scale, parts, best.cuttings, best.apply,
                    best.rows, best.warnings, best.all, best.one);
        std::fflush(stdout);
    }

    app.Document().Reset();
    app.SetMainWindow(nullptr);
    app.m_pMainWnd = nullptr;
    ::DestroyWindow(window->m_hWnd);
    delete window;
    return 0;
}
