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
#include <string>
#include <vector>

#include "appsvc/OXRApp.h"
#include "document/DCSProject.h"
#include "engine/Cutting.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"
#include "reports/OXRLayout.h"
#include "GeneratedOrder.h"
#include "BenchTiming.h"
#include "ReportWork.h"

namespace {



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
        app.SetDataFolder(dataFolder.c_str());
        app.SetProgramFolder(folder.c_str());
        app.Log().Open((folder + "\\bench.log").c_str(), true);
        UMemory locale;
        if (app.LoadResourceData("LOCALE", kEmbeddedLocale, locale))
            app.Locale().Parse(locale.GetData());
        app.LoadLocale("en_US");

        Clock::time_point start = Clock::now();
        app.Document().AddMaterial("Steel 40x40", "generated");
        app.Document().SetCurrent(0);
        DCSProject* material = app.Document().GetProject(0, false);
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
        app.Log().Close();
    }
    DeleteFileA((dataFolder + "\\DATA\\bench.sol.scl").c_str());
    DeleteFileA((folder + "\\bench.log").c_str());
    RemoveDirectoryA((dataFolder + "\\DATA").c_str());
    RemoveDirectoryA(dataFolder.c_str());
    RemoveDirectoryA(folder.c_str());
    return status;
}
