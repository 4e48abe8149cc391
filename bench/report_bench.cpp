// Report benchmark: builds the report of one generated material of many part
// rows (10,000 unless told) with each layout the program ships, as HTML and
// as drawn pages, and prints how long each took. A console program, never
// shipped and never run by the tests.
//
// The material carries a result as a calculation leaves it: its parts are
// packed best-fit decreasing onto bars of the two stock lengths, equal bars
// become one pattern, a few pieces stay unplaced, and the solution is applied
// the way the program applies one, so the report's tables see the rows,
// patterns, totals and unplaced counts of a real result.
//
//   bravik_report_bench [--parts=N] [--layouts=FULL,LIST,BASE]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "appsvc/OXRApp.h"
#include "document/DCSProject.h"
#include "engine/Cutting.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"
#include "reports/OXRLayout.h"
#include "tests/document/AppliedLayout.h"
#include "GeneratedOrder.h"
#include "BenchTiming.h"

namespace {

constexpr double kKerf = 3.0;

// The parts packed onto bars (kerf 3), longest first, each into the bar
// that it leaves the least room in; every 97th kind keeps one piece back, so
// the result has unplaced parts. Equal bars are counted as one pattern.
void ApplyPackedResult(DCSProject& material)
{
    CUTTING::Layout layout = material.GetLayout();
    material.BuildStockAndDemand(layout);
    layout.cuttings.clear();

    struct Item {
        long kind;
        double length;
    };
    std::vector<Item> items;
    for (const CUTTING::Piece& piece : layout.pieces) {
        long count = piece.quantity;
        if (piece.id % 97 == 0)
            --count;
        for (long k = 0; k < count; ++k)
            items.push_back({piece.id, piece.length});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.length > b.length; });

    // Bars of the long stock for long parts, of the short one otherwise.
    struct Bar {
        long stock;
        std::map<long, long> parts;
    };
    std::vector<Bar> bars;
    std::multimap<double, size_t> room;  // free length -> bar
    for (const Item& item : items) {
        const double need = item.length + kKerf;
        auto at = room.lower_bound(need);
        if (at == room.end()) {
            const long stock = item.length > 2000 ? 2 : 1;
            bars.push_back({stock, {}});
            at = room.emplace(stock == 2 ? 12000.0 : 6000.0, bars.size() - 1);
        }
        const size_t bar = at->second;
        const double left = at->first - need;
        room.erase(at);
        bars[bar].parts[item.kind] += 1;
        room.emplace(left, bar);
    }

    std::map<std::pair<long, std::map<long, long>>, long> patterns;
    for (const Bar& bar : bars)
        ++patterns[{bar.stock, bar.parts}];
    for (const auto& pattern : patterns)
        AddPattern(layout, pattern.first.first, pattern.second,
                   std::vector<std::pair<long, long>>(pattern.first.second.begin(), pattern.first.second.end()));
    ApplyLayout(material, layout);
    material.ComputeOrphans();
}

std::vector<std::string> ReadNames(const char* text)
{
    std::vector<std::string> names;
    std::string name;
    for (const char* p = text;; ++p) {
        if (*p == ',' || *p == '\0') {
            if (!name.empty())
                names.push_back(name);
            name.clear();
            if (*p == '\0')
                break;
        } else {
            name += *p;
        }
    }
    return names;
}

// Every page of one pass, each recorded into its own metafile mapped the
// way a printer's page is; returns the page count.
int DrawAllPages(OXRLayout& layout, DCSProject* material)
{
    const int width = static_cast<int>(layout.ParamLong("draw.size.x"));
    const int height = static_cast<int>(layout.ParamLong("draw.size.y"));
    layout.SetProject(material);
    int pages = 0;
    for (bool more = true; more && pages < 100000; ++pages) {
        RECT frame = {0, 0, width * 10, height * 10};
        HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
        if (!dc)
            return -1;
        SetMapMode(dc, MM_ISOTROPIC);
        SetWindowExtEx(dc, width, height, nullptr);
        SetViewportExtEx(dc, width, height, nullptr);
        more = layout.DrawPage(dc, pages, false);
        DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    }
    return pages;
}

} // namespace

int main(int argc, char** argv)
{
    long parts = 10000;
    std::vector<std::string> layouts = {"FULL", "LIST", "BASE"};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--parts=", 8) == 0) {
            parts = std::max(1L, std::strtol(argv[i] + 8, nullptr, 10));
        } else if (std::strncmp(argv[i], "--layouts=", 10) == 0) {
            layouts = ReadNames(argv[i] + 10);
        } else {
            std::fprintf(stderr, "usage: bravik_report_bench [--parts=N] [--layouts=FULL,LIST,BASE]\n");
            return 2;
        }
    }

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "bravik-report-bench-" + std::to_string(GetCurrentProcessId());
    const std::string dataFolder = folder + "\\data";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA(dataFolder.c_str(), nullptr);
    CreateDirectoryA((dataFolder + "\\DATA").c_str(), nullptr);

    int status = 0;
    {
        OXRApp app;
        app.m_dataFolder = dataFolder.c_str();
        app.m_programFolder = folder.c_str();
        app.m_log.Open((folder + "\\bench.log").c_str(), true);
        UMemory locale;
        if (app.LoadResourceData("LOCALE", kEmbeddedLocale, locale))
            app.m_locale.Parse(locale.GetData());
        app.LoadLocale("en_US");

        Clock::time_point start = Clock::now();
        app.m_document.AddMaterial("Steel 40x40", "generated");
        app.m_document.SetCurrent(0);
        DCSProject* material = app.m_document.GetProject(0, false);
        FillOrder(*material, parts);
        ApplyPackedResult(*material);
        std::printf("material: %ld part rows, %zu patterns, %ld unplaced, made in %.2f s\n", parts,
                    material->GetCuttingRows().size(), material->GetOrphans(""), SecondsSince(start));
        std::fflush(stdout);

        const std::string path = dataFolder + "\\DATA\\bench.sol.scl";
        for (const std::string& name : layouts) {
            UMemory text;
            if (!app.LoadResourceData("INSTALL", (name + ".SOL.SCL").c_str(), text)) {
                std::printf("%-5s no such layout\n", name.c_str());
                status = 1;
                continue;
            }
            FILE* out = std::fopen(path.c_str(), "wb");
            if (!out) {
                status = 1;
                continue;
            }
            std::fwrite(text.GetData(), 1, static_cast<size_t>(text.GetUsed()), out);
            std::fclose(out);
            if (!OXRLayout::LoadAll(nullptr)) {
                std::printf("%-5s not loaded\n", name.c_str());
                status = 1;
                continue;
            }
            OXRLayout* layout = OXRLayout::Registry().GetValueAt(0);
            UPairList extra;
            extra.Set("projects", "1");

            start = Clock::now();
            layout->Init(&extra);
            layout->SetProject(material);
            std::string html;
            DProps options;
            layout->WriteHtml(html, &options);
            const double htmlSeconds = SecondsSince(start);

            start = Clock::now();
            layout->Init(&extra);
            const int pages = DrawAllPages(*layout, material);
            const double pageSeconds = SecondsSince(start);
            std::printf("%-5s html %8.1f kB in %7.2f s   pages %6d in %7.2f s\n", name.c_str(),
                        html.size() / 1024.0, htmlSeconds, pages, pageSeconds);
            std::fflush(stdout);
        }
        OXRLayout::ClearRegistry();
        app.m_log.Close();
    }
    DeleteFileA((dataFolder + "\\DATA\\bench.sol.scl").c_str());
    DeleteFileA((folder + "\\bench.log").c_str());
    RemoveDirectoryA((dataFolder + "\\DATA").c_str());
    RemoveDirectoryA(dataFolder.c_str());
    RemoveDirectoryA(folder.c_str());
    return status;
}
